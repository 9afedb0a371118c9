"""Point and line geometry of Vector3d: projections, mirrors, the crossing of
a line with a segment, sides, polar angles, areas, turns and collinearity."""

import math

import numpy as np
import pytest
from hypothesis import given, settings
from hypothesis import strategies as st

import pyref_solidar as ref
from Solidar import Point3d, Vector3d

from common import Duck3, solid_outcome

coordinate = st.one_of(st.integers(-3, 3).map(float), st.floats(-100, 100),
                       st.sampled_from([0.5, 1e-7, float("nan"), 1e200]))
point = st.tuples(coordinate, coordinate, coordinate)

GEOMETRY = {
    "projection_point": lambda V, a, b, c, d: V.projection_point(a, b, c),
    "projection_distance": lambda V, a, b, c, d: V.projection_distance(a, b, c=c),
    "projection_length": lambda V, a, b, c, d: V.projection_length(a, b, c),
    "projection_vector": lambda V, a, b, c, d: V.projection_vector(a, b, c),
    "mirror": lambda V, a, b, c, d: V.mirror(a, b, c),
    "intersection": lambda V, a, b, c, d: V.intersection(a, b, c, d),
    "relative_position": lambda V, a, b, c, d: V.relative_position(a, b, c),
    "polar_angle": lambda V, a, b, c, d: V.polar_angle(a, b),
    "polar_angle_origin": lambda V, a, b, c, d: V.polar_angle(a),
    "sort": lambda V, a, b, c, d: V.sort_points_by_polar_angle([a, b, c, d], d),
    "area": lambda V, a, b, c, d: V.area_of_triangle(a, b, c),
    "clockwise": lambda V, a, b, c, d: V.is_clockwise(a, b, c),
    "counter_clockwise": lambda V, a, b, c, d: V.is_counter_clockwise(a, b, c),
    "linear": lambda V, a, b, c, d: V.is_linear([a, b, c, d]),
    "linear3": lambda V, a, b, c, d: V.is_linear((a, b, c)),
}


@settings(max_examples=400, deadline=None)
@given(point, point, point, point)
def test_geometry_matches_the_plain_reference(a, b, c, d):
    for name, op in GEOMETRY.items():
        ours = solid_outcome(op, Vector3d, *(Point3d(*p) for p in (a, b, c, d)))
        plain = solid_outcome(op, ref.Vector3d, *(ref.Point3d(*p) for p in (a, b, c, d)))
        assert ours == plain, name


@settings(max_examples=100, deadline=None)
@given(point, point, point, point)
def test_duck_points_serve_except_as_the_moved_end_of_a_crossing(a, b, c, d):
    for name, op in GEOMETRY.items():
        first = Point3d(*a) if name == "intersection" else Duck3(*a)
        ours = solid_outcome(op, Vector3d, first, *(Duck3(*p) for p in (b, c, d)))
        first = ref.Point3d(*a) if name == "intersection" else Duck3(*a)
        plain = solid_outcome(op, ref.Vector3d, first, *(Duck3(*p) for p in (b, c, d)))
        assert ours == plain, name


@pytest.mark.parametrize("a, b, c, foot, distance, length, mirror", [
    ((0, 0, 0), (2, 0, 0), (1, 5, 0), (1, 0, 0), 5.0, 1.0, (1, -5, 0)),
    ((0, 0, 0), (1, 0, 0), (-3, 2, 0), (-3, 0, 0), 2.0, 3.0, (-3, -2, 0)),
    ((1, 1, 1), (1, 1, 3), (4, 5, 2), (1, 1, 2), 5.0, 1.0, (-2, -3, 2)),
])
def test_projections_and_mirrors(a, b, c, foot, distance, length, mirror):
    a, b, c = Point3d(*a), Point3d(*b), Point3d(*c)
    assert Vector3d.projection_point(a, b, c) == Point3d(*foot)
    assert Vector3d.projection_distance(a, b, c) == distance
    assert Vector3d.projection_length(a, b, c) == length
    assert Vector3d.projection_vector(a, b, c) == Point3d(*foot) - a
    assert Vector3d.mirror(a, b, c) == Point3d(*mirror)
    with pytest.raises(ZeroDivisionError):
        Vector3d.projection_point(a, a, c)


@pytest.mark.parametrize("c, d, crossing", [
    ((0.5, -1, 0), (0.5, 1, 0), (0.5, 0, 0)),
    ((0.5, 1, 0), (0.5, 2, 0), (0.5, 0, 0)),     # the line c-d is unbounded
    ((0, -1, 0), (0, 1, 0), (0, 0, 0)),          # both ends of the segment count
    ((1, -1, 0), (1, 1, 0), (1, 0, 0)),
    ((-0.5, -1, 0), (-0.5, 1, 0), None),
    ((1.5, -1, 0), (1.5, 1, 0), None),
    ((0, 1, 0), (1, 1, 0), None),                # parallel
    ((0.5, -1, 1), (0.5, 1, 1), None),           # passes above
])
def test_a_segment_crossed_by_a_line(c, d, crossing):
    got = Vector3d.intersection(Point3d(0, 0, 0), Point3d(1, 0, 0), Point3d(*c), Point3d(*d))
    assert got == (None if crossing is None else Point3d(*crossing))
    assert Vector3d.intersection(Point3d(0, 0, 0), Point3d(2, 2, 2), Point3d(2, 0, 0), Point3d(0, 2, 2)) == \
        Point3d(1, 1, 1)


def test_sides_turns_and_areas():
    o, x = Point3d(0, 0, 0), Point3d(1, 0, 0)
    assert [Vector3d.relative_position(o, x, Point3d(*c)) for c in ((0, 1, 0), (0, -1, 0), (2, 0, 0), (0, 0, 5))] == \
        [0, 1, 2, 2]
    assert Vector3d.is_clockwise(o, Point3d(0, 1, 0), x) and not Vector3d.is_counter_clockwise(o, Point3d(0, 1, 0), x)
    assert not Vector3d.is_clockwise(o, x, Point3d(2, 0, 0)) and not Vector3d.is_counter_clockwise(o, x, Point3d(2, 0, 0))
    assert Vector3d.area_of_triangle(o, Point3d(2, 0, 0), Point3d(0, 2, 0)) == 2.0


@pytest.mark.parametrize("p, angle", [
    ((1, 0, 0), 0.0), ((0, 1, 0), math.pi / 2), ((-1, 0, 0), math.pi), ((0, -1, 0), 3 * math.pi / 2),
    ((0, 0, 1), math.pi / 2), ((1, 0, 1), math.pi / 4), ((0, 0, 0), None),
])
def test_polar_angles_about_the_origin(p, angle):
    got = Vector3d.polar_angle(Point3d(*p))
    assert got == (None if angle is None else pytest.approx(angle, abs=1e-15))
    if angle is not None:
        assert type(got) is np.float64


def test_sorting_by_polar_angle_is_stable_and_refuses_the_reference_point():
    pts = [Point3d(0, -1, 0), Point3d(2, 0, 0), Point3d(0, 1, 0), Point3d(1, 0, 0)]
    got = Vector3d.sort_points_by_polar_angle(pts)
    assert got == [pts[1], pts[3], pts[2], pts[0]] and got[0] is pts[1] and got is not pts
    with pytest.raises(TypeError):
        Vector3d.sort_points_by_polar_angle(pts + [Point3d(0, 0, 0)])
    assert Vector3d.polar_angle(Point3d(1, 1, 0), Point3d(1, 0, 0)) == np.pi / 2


@pytest.mark.parametrize("coords, linear", [
    ([], True), ([(0, 0, 0), (5, 5, 0)], True),
    ([(0, 0, 0), (1, 0, 0), (2, 0, 0)], True),
    ([(0, 0, 0), (1, 0, 0), (1, 1, 0)], False),                  # any three points are no longer linear
    ([(0, 0, 0), (1, 0, 0), (1, 1, 0), (0, 1, 0)], False),       # nor the corners of a square
    ([(0, 0, 0), (1, 0, 0), (2, 0, 0), (3, 1, 0)], False),
    ([(k, k, k) for k in range(5)], True),
])
def test_is_linear_asks_every_consecutive_triangle_for_zero_area(coords, linear):
    assert Vector3d.is_linear([Point3d(*c) for c in coords]) is linear
