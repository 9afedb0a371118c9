"""Point and line geometry of Vector3d: projections, mirrors, the crossing of
a line with a segment, sides, polar angles, areas, turns and collinearity."""

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
    "sort_origin": lambda V, a, b, c, d: V.sort_points_by_polar_angle([a, b, c, d]),
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


ORIGIN, X = (0, 0, 0), (1, 0, 0)
EDGES = [
    # a segment crossed by a line: the line is unbounded, both segment ends count
    *((ORIGIN, X, c, d) for c, d in [((0.5, -1, 0), (0.5, 1, 0)), ((0.5, 1, 0), (0.5, 2, 0)), ((0, -1, 0), (0, 1, 0)),
                                     ((1, -1, 0), (1, 1, 0)), ((-0.5, -1, 0), (-0.5, 1, 0)), ((1.5, -1, 0), (1.5, 1, 0)),
                                     ((0, 1, 0), (1, 1, 0)), ((0.5, -1, 1), (0.5, 1, 1))]),
    (ORIGIN, (2, 2, 2), (2, 0, 0), (0, 2, 2)),
    # projections, mirrors, sides, turns, areas and collinear runs
    (ORIGIN, (2, 0, 0), (1, 5, 0), (-3, 2, 0)), ((1, 1, 1), (1, 1, 3), (4, 5, 2), ORIGIN), (ORIGIN, ORIGIN, (1, 2, 0), X),
    (ORIGIN, X, (0, 0, 5), (0, -1, 0)), (ORIGIN, X, (2, 0, 0), (3, 1, 0)), (ORIGIN, X, (1, 1, 0), (0, 1, 0)),
    (ORIGIN, (0, 1, 0), X, (2, 0, 0)), ((1, 1, 1), (2, 2, 2), (3, 3, 3), (4, 4, 4)),
    # polar angles of the axes and a stable sort with ties
    ((0, -1, 0), (2, 0, 0), (0, 1, 0), X), ((-1, 0, 0), (0, 0, 1), (1, 0, 1), (0, -1, 0)), ((1, 1, 0), X, ORIGIN, ORIGIN),
]


@pytest.mark.parametrize("a, b, c, d", EDGES)
def test_edge_cases_match_the_plain_reference(a, b, c, d):
    for name, op in GEOMETRY.items():
        ours = solid_outcome(op, Vector3d, *(Point3d(*p) for p in (a, b, c, d)))
        plain = solid_outcome(op, ref.Vector3d, *(ref.Point3d(*p) for p in (a, b, c, d)))
        assert ours == plain, name


@pytest.mark.parametrize("coords, linear", [
    ([], True), ([(0, 0, 0), (5, 5, 0)], True), ([(0, 0, 0), (1, 0, 0), (2, 0, 0)], True),
    ([(0, 0, 0), (1, 0, 0), (1, 1, 0)], False),                  # any three points are no longer linear
    ([(0, 0, 0), (1, 0, 0), (1, 1, 0), (0, 1, 0)], False),       # nor the corners of a square
    ([(0, 0, 0), (1, 0, 0), (2, 0, 0), (3, 1, 0)], False), ([(k, k, k) for k in range(5)], True),
])
def test_is_linear_asks_every_consecutive_triangle_for_zero_area(coords, linear):
    assert Vector3d.is_linear([Point3d(*c) for c in coords]) is linear


def test_sorting_gives_a_new_list():
    pts = [Point3d(0, 1, 0), Point3d(1, 0, 0)]
    got = Vector3d.sort_points_by_polar_angle(pts)
    assert got == pts[::-1] and got is not pts and got[0] is pts[1]
