"""Surface: a façade laid flat and divided into storey and unit panels with
position labels, against the plain reference on tilted and turned quads."""

import math

import numpy as np
import pytest
from hypothesis import given, settings
from hypothesis import strategies as st

import pyref_solidar as ref
import Solidar
from Solidar import Plane, Point3d, Surface, Vector3d

from common import solid_outcome

# Degenerate inputs make numpy warn; the answers are what is checked here.
pytestmark = pytest.mark.filterwarnings("ignore:invalid value encountered:RuntimeWarning")

DIVISIONS = ["divide_height", "divide_width", "divide_surface", "divide_surface_with_label",
             "divide_surface_to_planes_with_label", "divide_surface_xy_points", "divide_surface_xy_planes"]
MEASURES = ["origin", "vector_i", "vector_j", "height", "width", "plane", "transformation_to_xy",
            "inverse_transformation_to_xy"]


def quad(P, width, height, yaw=0.0, tilt=0.0, base=(0.0, 0.0, 0.0)):
    """A façade `width` by `height`, turned by `yaw` about z and leaning by `tilt`."""
    right = np.array([math.cos(yaw), math.sin(yaw), 0.0])
    up = np.array([-math.sin(yaw) * math.sin(tilt), math.cos(yaw) * math.sin(tilt), math.cos(tilt)])
    o = np.array(base)
    corners = [o, o + up * height, o + up * height + right * width, o + right * width]
    return [P(*map(float, c)) for c in corners]


class Plain(Surface):
    """A subclass: divided by the plain steps, every property read anew."""


def twin_outcomes(name, coords_or_builder, call=True, ours=Surface):
    outcomes = []
    for module in (Solidar, ref):
        cls = ours if module is Solidar else module.Surface
        surface = cls(coords_or_builder(module.Point3d))
        attr = lambda s=surface: getattr(s, name)() if call else getattr(s, name)  # noqa: E731
        outcomes.append(solid_outcome(attr))
    return outcomes


sizes = st.one_of(st.floats(0, 60), st.sampled_from([0.0, 1e-7, 8.4, 16.8, 25.2, 42.0, 8.4000005, 33.5, 11.0000005]))


@settings(max_examples=60, deadline=None)
@given(sizes, sizes, st.floats(-3.2, 3.2), st.floats(-1.5, 1.5))
def test_divisions_match_the_plain_reference_on_turned_and_tilted_facades(width, height, yaw, tilt):
    build = lambda P: quad(P, width, height, yaw, tilt, (3.0, -2.0, 1.5))  # noqa: E731
    for name in DIVISIONS:
        for cls in (Surface, Plain):
            ours, plain = twin_outcomes(name, build, ours=cls)
            assert ours == plain, (name, cls)
    for name in MEASURES:
        ours, plain = twin_outcomes(name, build, call=False)
        assert ours == plain, name


@pytest.mark.parametrize("floors, unit", [
    ([0, 6.5] + [4.5] * 99, 8.4),          # a hundred storeys
    ([0.0, 3.0, 3.0], 5),                  # all floats, an int unit width
    ([0, 1, 2], 2.5),                      # int storeys: int running levels
])
def test_divisions_follow_rebound_constants(monkeypatch, floors, unit):
    for module in (Solidar, ref):
        monkeypatch.setattr(module, "BIM_FLOOR_HEIGHTS", list(floors))
        monkeypatch.setattr(module, "BIM_UNIT_WIDTH", unit)
    for name in DIVISIONS:
        for cls in (Surface, Plain):
            ours, plain = twin_outcomes(name, lambda P: quad(P, 41.3, 450.0, 0.3, 0.1), ours=cls)
            assert ours == plain, (name, cls)


def test_a_constant_list_changed_in_place_changes_later_divisions():
    s = Surface(quad(Point3d, 20, 15.5))
    assert s.divide_height() == [0, 6.5, 11.0, 15.5]
    Solidar.BIM_FLOOR_HEIGHTS[1] = 10.0
    try:
        assert s.divide_height() == [0, 10.0, 14.5, 15.5]
    finally:
        Solidar.BIM_FLOOR_HEIGHTS[1] = 6.5


@pytest.mark.parametrize("height, levels", [
    (15.5, [0, 6.5, 11.0, 15.5]), (13, [0, 6.5, 11.0, 13.0]), (11.0000005, [0, 6.5, 11.0000005]),
    (10.99, [0, 6.5, 10.99]), (6.50001, [0, 6.5, 6.50001]), (0, [0.0]),
    (40, [0, 6.5, 11.0, 15.5, 20.0, 24.5, 29.0, 33.5]),
])
def test_storey_levels(height, levels):
    got = Surface(quad(Point3d, 1, height)).divide_height()
    assert got == pytest.approx(levels, abs=1e-12) and type(got[0]) is type(levels[0])


@pytest.mark.parametrize("width, offsets", [
    (20, [0, 8.4, 16.8, 20.0]), (16.8, [0, 8.4, 16.8]), (5, [0, 5.0]), (0, [0]), (8.4000005, [0, 8.4]),
    (25.2, [0, 8.4, 16.8, 25.2]), (42, [0, 8.4, 16.8, 25.200000000000003, 33.6, 42.0]),
])
def test_unit_offsets(width, offsets):
    got = Surface([Point3d(0, 0, 0), Point3d(0, 0, 1), Point3d(width, 0, 1), Point3d(width, 0, 0)]).divide_width()
    assert got == offsets and type(got[0]) is int


def test_labels_tell_corners_edges_and_inner_cells_apart():
    s = Surface([Point3d(0, 0, 0), Point3d(0, 0, 15.5), Point3d(20, 0, 15.5), Point3d(20, 0, 0)])
    labels = [(-1, -1), (-1, 0), (-1, 1), (0, -1), (0, 0), (0, 1), (1, -1), (1, 0), (1, 1)]
    assert list(s.divide_surface_with_label().values()) == labels
    assert list(s.divide_surface_to_planes_with_label().values()) == ["%d,%d" % lab for lab in labels]
    points = s.divide_surface_xy_points()
    assert list(points.values()) == labels and list(points)[3] == Point3d(8.4, 0, 0)
    planes = list(s.divide_surface_xy_planes())
    assert [(p.x, p.y, p.z) for p in planes[-1].points] == [(16.8, 11.0, 0), (16.8, 15.5, 0), (25.200000000000003, 11.0, 0)]
    cells = s.divide_surface()
    assert len(cells) == 9 and all(type(c) is Surface for c in cells)
    assert all(abs(p.y) < 1e-12 for c in cells for p in c.points)
    narrow = Surface([Point3d(0, 0, 0), Point3d(0, 0, 3), Point3d(5, 0, 3), Point3d(5, 0, 0)])
    assert list(narrow.divide_surface_with_label().values()) == [(-1, -1)]
    two = Surface([Point3d(0, 0, 0), Point3d(0, 0, 13), Point3d(10, 0, 13), Point3d(10, 0, 0)])
    assert sorted({lab[0] for lab in two.divide_surface_with_label().values()}) == [-1, 1]


@pytest.mark.parametrize("corners", [[(0, 0, 0), (0, 0, 0), (5, 0, 0), (5, 0, 0)], [(0, 0, 0), (0, 0, 4), (0, 0, 4), (0, 0, 0)]])
def test_a_facade_without_height_or_width_has_no_cells(corners):
    s = Surface([Point3d(*c) for c in corners])
    assert s.divide_surface() == []
    for name in DIVISIONS[3:]:
        assert getattr(s, name)() == {}


def test_subclasses_change_the_grid_through_their_own_lists():
    calls = []

    class Logged(Surface):
        def divide_width(self):
            calls.append("width")
            return [0, 1.0]

        def divide_height(self):
            calls.append("height")
            return [0, 2.0, 3.0]

    s = Logged(quad(Point3d, 20, 15.5))
    assert len(s.divide_surface()) == 2
    s.divide_surface_xy_points()
    assert calls == ["width", "height", "height", "width"]


def test_measures_axes_and_the_flat_layout():
    pts = [Point3d(0, 0, 0), Point3d(0, 0, 3), Point3d(4, 0, 3), Point3d(4, 0, 0)]
    s = Surface(pts)
    assert s.points is pts and s.origin is pts[0]
    assert (s.width, s.height) == (4.0, 3.0)
    assert s.vector_i == Vector3d(1, 0, 0) and s.vector_j == Vector3d(0, 0, 1)
    flat = s.apply_affine_transformation_to_xy()
    assert all(p == Point3d(*c) for p, c in zip(flat, [(0, 0, 0), (0, 3, 0), (4, 3, 0), (4, 0, 0)]))
    assert type(s.plane) is Plane and s.plane.points == [pts[0], pts[1], pts[3]]
    assert np.allclose(s.inverse_transformation_to_xy @ s.transformation_to_xy, np.eye(4))
    five = Surface(pts + [Point3d(6, 0, 0)])
    assert five.width == 6.0 and five.plane.points[2] is five.points[4]
    assert Surface([Point3d(0, 0, 0), Point3d(0, 0, 3), Point3d(4, 0, 3), Point3d(0, 0, 0)]).vector_i == Vector3d(0, 0, 0)


@settings(max_examples=40, deadline=None)
@given(st.floats(0.5, 50), st.floats(0.5, 50), st.floats(-3.2, 3.2), st.floats(-1.5, 1.5))
def test_any_rectangle_lies_flat_with_its_height_up_and_its_width_right(width, height, yaw, tilt):
    flat = Surface(quad(Point3d, width, height, yaw, tilt, (10.0, 5.0, -3.0))).apply_affine_transformation_to_xy()
    want = [(0, 0, 0), (0, height, 0), (width, height, 0), (width, 0, 0)]
    assert np.allclose([(p.x, p.y, p.z) for p in flat], want, atol=1e-9)


def test_text_form_and_identity():
    assert repr(Surface(["a", "b", "c", "d"])) == "Surface(a, b,c,d)"
    assert repr(Surface(quad(Point3d, 1, 1))).startswith("Surface(Point3d(0.0, 0.0, 0.0), Point3d(")
    with pytest.raises(IndexError):
        repr(Surface(["a", "b"]))
    pts = quad(Point3d, 1, 1)
    a, b = Surface(pts), Surface(pts)
    assert a != b and len({a: 1, b: 2}) == 2 and Surface.__doc__
    with pytest.raises(Exception, match="^Points number less than three!$"):
        Surface(pts[:2]).plane
