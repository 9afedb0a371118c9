"""Offsets by one distance and by one distance per edge, with the cleaning
and the collapse limits they rest on."""

import math

import pytest
import shapely
from hypothesis import given, settings
from hypothesis import strategies as st

from Polyline import Polyline
from polyline_support import Twin, agree, chains, outlines, poly, xy


@settings(max_examples=150, deadline=None)
@given(st.one_of(outlines(), chains), st.floats(-4, 4), st.lists(st.floats(-3, 3), min_size=30, max_size=30))
def test_offsets_equal_the_plain_steps(coords, distance, distances):
    twin = Twin(coords)
    for name, *args in [("find_discontinuity",), ("degenerate_distance",), ("offset", distance), ("offset", 0),
                        ("unequal_offset", distances[:len(coords) - 1])]:
        agree(twin, name, *args)


@settings(max_examples=100, deadline=None)
@given(st.lists(st.tuples(st.floats(-20, 20).map(lambda v: round(v, 4)), st.floats(-20, 20).map(lambda v: round(v, 4))),
                min_size=3, max_size=30), st.floats(0.01, 5))
def test_offset_edges_lie_at_the_distance_from_their_source_edges(coords, distance):
    hull = shapely.MultiPoint(coords).convex_hull
    if hull.geom_type != "Polygon" or hull.area < 1:
        return
    ring = list(shapely.orient_polygons(hull).exterior.coords)  # counter-clockwise
    for a, b, c in zip(ring[-2:-1] + ring[:-2], ring[:-1], ring[1:]):
        u, w = (b[0] - a[0], b[1] - a[1]), (c[0] - b[0], c[1] - b[1])
        if (u[0] * w[1] - u[1] * w[0]) < 1e-3 * math.hypot(*u) * math.hypot(*w):
            return  # a vertex where the outline nearly runs straight on: crossings far away
    source = poly(ring)
    cleaned = Polyline(source.find_discontinuity())
    moved = source.offset(distance)
    assert moved.count == cleaned.count and moved.points[0] is moved.points[-1]
    for s, a, b in zip(cleaned.segments, moved.points, moved.points[1:]):
        dx, dy = s.end.x - s.start.x, s.end.y - s.start.y
        for q in (a, b):  # on the source edge's line moved to its right, outwards
            side = (dx * (q.y - s.start.y) - dy * (q.x - s.start.x)) / math.hypot(dx, dy)
            assert side == pytest.approx(-distance, rel=1e-6, abs=1e-5)


@pytest.mark.parametrize("call, expected", [
    (lambda: poly([(0, 0), (10, 0), (10, -1), (20, -1)]).offset(1), [(0, -1), (20, -2)]),  # the step collapses
    # A closed outline starting in the middle of a side: the moved joint.
    (lambda: poly([(5, 0), (10, 0), (10, 10), (0, 10), (0, 0), (5, 0)]).offset(1),
     [(5, -1), (11, -1), (11, 11), (-1, 11), (-1, -1), (5, -1)]),
    # Collinear neighbours with equal distances meet at the moved vertex ...
    (lambda: poly([(0, 0), (5, 0), (10, 0), (10, 10), (0, 10), (0, 0)]).unequal_offset([1, 1, 1, 1, 1]),
     [(5, -1), (11, -1), (11, 11), (-1, 11), (-1, -1), (5, -1)]),
    # ... with different distances both moved ends go in.
    (lambda: poly([(0, 0), (5, 0), (10, 0), (10, 10), (0, 10), (0, 0)]).unequal_offset([1, 2, 1, 1, 1]),
     [(5, -1), (5, -2), (11, -2), (11, 11), (-1, 11), (-1, -1), (5, -1)]),
    (lambda: poly([(0, 0), (3, 0)]).unequal_offset([1]), [(3, -1), (0, -1), (3, -1)]),
])
def test_offset_table(call, expected):
    result = call()
    assert xy(result) == [(float(x), float(y)) for x, y in expected]
    if expected[0] == expected[-1]:
        assert result.points[0] is result.points[-1]
