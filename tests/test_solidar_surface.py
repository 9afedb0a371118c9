"""Surface: a façade laid flat and divided into storey and unit panels with
position labels, against the plain reference on tilted and turned quads."""

import math

import numpy as np
import pytest
from hypothesis import given, settings
from hypothesis import strategies as st

import pyref_solidar as ref
import Solidar
from Solidar import Point3d, Surface

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


def check_surface(build, extra=(), classes=(Surface, Plain)):
    """Every division (also through a subclass) and measure of the surface on
    the corners `build(Point3d)` gives, against the plain reference."""
    for name in DIVISIONS + list(extra) + MEASURES:
        for cls in classes if name in DIVISIONS else (Surface,):
            outcomes = []
            for module in (Solidar, ref):
                s = (cls if module is Solidar else ref.Surface)(build(module.Point3d))
                outcomes.append(solid_outcome(lambda: getattr(s, name)() if name not in MEASURES else getattr(s, name)))
            assert outcomes[0] == outcomes[1], (name, cls)


# Storey and unit boundaries, just past them, and none at all.
sizes = st.one_of(st.floats(0, 60), st.sampled_from([0.0, 1e-7, 8.4, 16.8, 25.2, 42.0, 8.4000005, 33.5, 11.0000005, 15.5,
                                                     13.0, 10.99, 6.50001, 40.0, 5.0, 20.0]))


@settings(max_examples=60, deadline=None)
@given(sizes, sizes, st.floats(-3.2, 3.2), st.floats(-1.5, 1.5))
def test_divisions_match_the_plain_reference_on_turned_and_tilted_facades(width, height, yaw, tilt):
    check_surface(lambda P: quad(P, width, height, yaw, tilt, (3.0, -2.0, 1.5)))


FACADE = [(0, 0, 0), (0, 0, 3), (4, 0, 3), (4, 0, 0)]


@pytest.mark.parametrize("corners", [FACADE, FACADE + [(6, 0, 0)], FACADE[:3] + [(0, 0, 0)], FACADE[:2], "abcd"])
def test_chosen_corner_lists_match_the_plain_reference(corners):
    check_surface(lambda P: [c if type(c) is str else P(*c) for c in corners],
                  extra=["apply_affine_transformation_to_xy", "__repr__"], classes=(Surface,))


@pytest.mark.parametrize("floors, unit", [
    ([0, 6.5] + [4.5] * 99, 8.4),          # a hundred storeys
    ([0.0, 3.0, 3.0], 5),                  # all floats, an int unit width
    ([0, 1, 2], 2.5),                      # int storeys: int running levels
])
def test_divisions_follow_rebound_constants(monkeypatch, floors, unit):
    for module in (Solidar, ref):
        monkeypatch.setattr(module, "BIM_FLOOR_HEIGHTS", list(floors))
        monkeypatch.setattr(module, "BIM_UNIT_WIDTH", unit)
    check_surface(lambda P: quad(P, 41.3, 450.0, 0.3, 0.1))


def test_a_constant_list_changed_in_place_changes_later_divisions():
    s = Surface(quad(Point3d, 20, 15.5))
    assert s.divide_height() == [0, 6.5, 11.0, 15.5]
    Solidar.BIM_FLOOR_HEIGHTS[1] = 10.0
    try:
        assert s.divide_height() == [0, 10.0, 14.5, 15.5]
    finally:
        Solidar.BIM_FLOOR_HEIGHTS[1] = 6.5


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


def test_surfaces_keep_their_corner_list_and_compare_by_identity():
    pts = [Point3d(*c) for c in FACADE]
    a, b = Surface(pts), Surface(pts)
    assert a.points is pts and a.origin is pts[0] and a.plane.points[1] is pts[1]
    assert a != b and len({a: 1, b: 2}) == 2
    with pytest.raises(Exception, match="^Points number less than three!$"):
        Surface(pts[:2]).plane


@settings(max_examples=40, deadline=None)
@given(st.floats(0.5, 50), st.floats(0.5, 50), st.floats(-3.2, 3.2), st.floats(-1.5, 1.5))
def test_any_rectangle_lies_flat_with_its_height_up_and_its_width_right(width, height, yaw, tilt):
    flat = Surface(quad(Point3d, width, height, yaw, tilt, (10.0, 5.0, -3.0))).apply_affine_transformation_to_xy()
    want = [(0, 0, 0), (0, height, 0), (width, height, 0), (width, 0, 0)]
    assert np.allclose([(p.x, p.y, p.z) for p in flat], want, atol=1e-9)
