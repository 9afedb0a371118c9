"""Offsets by one distance and by one distance per edge, with the cleaning
and the collapse limits they rest on."""

import math

import pytest
import shapely
from hypothesis import given, settings
from hypothesis import strategies as st

from Flatkin import Point
from Polyline import Polyline
from polyline_support import Twin, chains, outcome, outlines, same_outcome

SQUARE = [(0, 0), (10, 0), (10, 10), (0, 10), (0, 0)]


def poly(coords):
    return Polyline([Point(x, y) for x, y in coords])


def xy(p):
    return [(q.x, q.y) for q in p.points]


@settings(max_examples=150, deadline=None)
@given(st.one_of(outlines(), chains), st.floats(-4, 4), st.lists(st.floats(-3, 3), min_size=30, max_size=30))
def test_offsets_equal_the_plain_steps(coords, distance, distances):
    twin = Twin(coords)
    n = len(coords) - 1
    for name, args in [("find_discontinuity", ()), ("degenerate_distance", ()), ("offset", (distance,)),
                       ("offset", (0,)), ("unequal_offset", (distances[:n],))]:
        ours = outcome(getattr(twin.ours, name), *args)
        plain = outcome(getattr(twin.plain, name), *args)
        assert same_outcome(twin, ours, plain), (name, args)


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


@pytest.mark.parametrize("coords, distance, expected", [
    ([(0, 0), (10, 0), (10, 10)], 1, [(0, -1), (11, -1), (11, 10)]),
    ([(0, 0), (10, 0), (10, 10)], -1, [(9, 10), (9, 1), (0, 1)]),
    ([(0, 0), (10, 0), (10, -1), (20, -1)], 0.5, [(0, -0.5), (9.5, -0.5), (9.5, -1.5), (20, -1.5)]),
    ([(0, 0), (10, 0), (10, -1), (20, -1)], 1, [(0, -1), (20, -2)]),
    (SQUARE, 1, [(-1, -1), (11, -1), (11, 11), (-1, 11), (-1, -1)]),
    (SQUARE, -1, [(1, 1), (1, 9), (9, 9), (9, 1), (1, 1)]),
    # A closed outline starting in the middle of a side: the moved joint.
    ([(5, 0), (10, 0), (10, 10), (0, 10), (0, 0), (5, 0)], 1,
     [(5, -1), (11, -1), (11, 11), (-1, 11), (-1, -1), (5, -1)]),
], ids=["corner", "corner-left", "step", "step-collapsed", "square", "square-in", "start-mid-side"])
def test_offset_table(coords, distance, expected):
    result = poly(coords).offset(distance)
    assert xy(result) == [(float(x), float(y)) for x, y in expected]
    if coords[0] == coords[-1]:
        assert result.points[0] is result.points[-1]


def test_offset_tables_and_cleaning():
    assert poly([(0, 0), (10, 0), (10, -1), (20, -1)]).degenerate_distance() == {
        0: math.inf, 1: math.sin(math.pi / 4) / ((2 * math.sin(math.pi - math.pi / 2)) / 2), 2: math.inf}
    pts = [Point(0, 0), Point(5, 0), Point(10, 0), Point(10, 10)]
    kept = Polyline(pts).find_discontinuity()
    assert kept == [pts[0], pts[2], pts[3]] and kept[0] is pts[0] and kept[-1] is pts[-1]
    assert xy(Polyline(poly([(0, 0), (10, 0), (5, 0)]).find_discontinuity())) == [(0, 0), (5, 0)]
    assert poly([(0, 0), (1, 0)]).degenerate_distance() == {0: math.inf}


@pytest.mark.parametrize("coords, distances, expected", [
    (SQUARE, [1, 2, 3, 4], [(12, -1), (12, 13), (-4, 13), (-4, -1), (12, -1)]),
    ([(0, 0), (4, 0), (4, 2), (0, 2), (0, 0)], [-10, -18, -10, -18], [(-14, 10), (-14, -8), (18, -8), (18, 10),
                                                                       (-14, 10)]),
    # Collinear neighbours with equal distances meet at the moved vertex.
    ([(0, 0), (5, 0), (10, 0), (10, 10), (0, 10), (0, 0)], [1, 1, 1, 1, 1],
     [(5, -1), (11, -1), (11, 11), (-1, 11), (-1, -1), (5, -1)]),
    # ... with different distances both moved ends go in.
    ([(0, 0), (5, 0), (10, 0), (10, 10), (0, 10), (0, 0)], [1, 2, 1, 1, 1],
     [(5, -1), (5, -2), (11, -2), (11, 11), (-1, 11), (-1, -1), (5, -1)]),
    ([(0, 0), (3, 0)], [1], [(3, -1), (0, -1), (3, -1)]),
], ids=["square", "clearance", "collinear", "collinear-steps", "one-segment"])
def test_unequal_offset_table(coords, distances, expected):
    result = poly(coords).unequal_offset(distances)
    assert xy(result) == [(float(x), float(y)) for x, y in expected]
    assert result.points[0] is result.points[-1] and all(p is not None for p in result.points)


@pytest.mark.parametrize("call, error, message", [
    (lambda: poly(SQUARE).unequal_offset([1, 2]), IndexError,
     r"^Length of dis_lst does not match the number of segments in the polyline\.$"),
    (lambda: poly(SQUARE).offset(float("nan")), IndexError, None),
    (lambda: poly(SQUARE).offset("1"), TypeError, None),
    (lambda: poly(SQUARE).unequal_offset([1, 2, "3", 4]), TypeError, None),
])
def test_offset_failures(call, error, message):
    with pytest.raises(error, match=message):
        call()


def test_degenerate_input_gives_no_crash():
    for coords in ([(0, 0), (0, 0), (1, 0)], [(0, 0), (1e-9, 0), (1, 1)], [(0, 0), (1, 0), (0, 0)],
                   [(0, 0), (math.nan, 1), (2, 0)], [(0, 0), (1, 1), (2, 2), (3, 3)]):
        p = poly(coords)
        for call in (lambda: p.offset(1), lambda: p.offset(-1), lambda: p.unequal_offset([1] * (len(coords) - 1)),
                     p.degenerate_distance, p.find_discontinuity):
            outcome(call)
