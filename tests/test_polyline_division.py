"""Positions along a polyline: points at a parameter or a length, the
position of a point, and division by count and by spacing."""

import math
import random

import pytest
import shapely
from hypothesis import HealthCheck, given, settings
from hypothesis import strategies as st

import pyref_flatkin
from Flatkin import Point
from Polyline import Polyline
from polyline_support import UNIT_SQUARE, Twin, chains, outcome, same_outcome


def poly(coords):
    return Polyline([Point(x, y) for x, y in coords])


@settings(max_examples=150, deadline=None)
@given(chains, st.booleans(), st.floats(0, 1), st.integers(2, 40), st.floats(0.05, 30))
def test_positions_and_divisions_equal_the_plain_steps(coords, closed, t, count, spacing):
    twin = Twin(coords, closed)
    total = twin.plain.length
    calls = [("point_at_parameter", t), ("point_at_length", t * total), ("point_at_length", total),
             ("divide_by_count", count), ("divide_by_length", spacing), ("divide_by_length", total / count)]
    for name, arg in calls:
        assert same_outcome(twin, outcome(getattr(twin.ours, name), arg), outcome(getattr(twin.plain, name), arg)), name
    for x, y in coords[:4]:
        for method in ("length", "parameter"):
            assert same_outcome(twin, outcome(twin.ours.evaluate_point, Point(x, y), method),
                                outcome(twin.plain.evaluate_point, pyref_flatkin.Point(x, y), method))


def well_apart(coords):
    """No segment comes within 1e-3 of another, except neighbours at their joint."""
    segs = [shapely.LineString([a, b]) for a, b in zip(coords, coords[1:])]
    if any(s.length < 1e-3 for s in segs):
        return False
    for i, s in enumerate(segs):
        for j in range(i + 1, len(segs)):
            if j == i + 1:
                far = [shapely.Point(coords[i]).distance(segs[j]), shapely.Point(coords[j + 1]).distance(s)]
                if min(far) < 1e-3:
                    return False
            elif s.distance(segs[j]) < 1e-3:
                return False
    return True


@settings(max_examples=80, deadline=None, suppress_health_check=[HealthCheck.filter_too_much])
@given(chains.filter(well_apart), st.integers(2, 60))
def test_divide_by_count_lies_on_the_polyline_at_equal_spacing(coords, count):
    p = poly(coords)
    points = p.divide_by_count(count)
    assert len(points) == count and points[0] is p.points[0]
    step = p.length / count
    for k, q in enumerate(points):
        assert p.is_point_on(q)
        assert p.evaluate_point(q) == pytest.approx(k * step, abs=1e-6 * max(1.0, p.length))


def test_long_divisions_are_linear_and_equal_the_plain_steps():
    rng = random.Random(2)
    coords = [(math.cos(a) * 50, math.sin(a) * 50) for a in sorted(rng.uniform(0, 6.283) for _ in range(2000))]
    twin = Twin(coords, closed=True)
    assert twin.same(twin.ours.divide_by_length(0.37), twin.plain.divide_by_length(0.37))
    assert twin.same(twin.ours.divide_by_count(777), twin.plain.divide_by_count(777))


@pytest.mark.parametrize("call, expected", [
    (lambda p: p.point_at_length(2), (2, 0)), (lambda p: p.point_at_parameter(0.75), (2, 1)),
    (lambda p: p.evaluate_point(Point(2, 1)), 3.0), (lambda p: p.evaluate_point(Point(2, 1), "parameter"), 0.75),
    (lambda p: p.evaluate_point(Point(5, 5)), None),
    (lambda p: [(q.x, q.y) for q in p.divide_by_count(4)], [(0, 0), (1, 0), (2, 0), (2, 1)]),
    (lambda p: [(q.x, q.y) for q in p.divide_by_length(1)], [(0, 0), (1, 0), (2, 0), (2, 1), (2, 2)]),
    (lambda p: [(q.x, q.y) for q in p.divide_by_length(1.5)], [(0, 0), (1.5, 0), (2, 1)]),
    (lambda p: [(q.x, q.y) for q in p.divide_by_length(9)], [(0, 0)]),
])
def test_positions_on_a_corner(call, expected):
    p = poly([(0, 0), (2, 0), (2, 2)])
    result = call(p)
    assert (result if not isinstance(result, Point) else (result.x, result.y)) == expected


def test_vertices_come_back_as_the_stored_objects_of_the_earlier_segment():
    pts = [Point(0, 0), Point(2, 0), Point(2, 2)]
    p = Polyline(pts)
    assert p.point_at_length(2) is pts[1] and p.point_at_length(0) is pts[0] and p.point_at_length(4) is pts[2]
    square = poly(UNIT_SQUARE)
    assert all(q is r for q, r in zip(square.divide_by_count(4), square.points[:4]))


@pytest.mark.parametrize("call, error, message", [
    (lambda p: p.point_at_parameter(1.0000001), ValueError, r"^Parameter value must be between 0 and 1\.$"),
    (lambda p: p.point_at_parameter(-0.1), ValueError, r"^Parameter value must be between 0 and 1\.$"),
    (lambda p: p.point_at_length(-1), ValueError, r"^Length must be between 0 and the total length of the Polyline\.$"),
    (lambda p: p.point_at_length(4.5), ValueError, r"^Length must be between 0 and the total length of the Polyline\.$"),
    (lambda p: p.evaluate_point(Point(0, 0), "Length"), ValueError, r"^Method must be either 'length' or 'parameter'\.$"),
    (lambda p: p.evaluate_point(Point(0, 0), None), ValueError, r"^Method must be either 'length' or 'parameter'\.$"),
    (lambda p: p.evaluate_point(Point(0, 0), 3), TypeError, None),
    (lambda p: p.divide_by_count(1), ValueError, r"^Number of points must be at least 2\.$"),
    (lambda p: p.divide_by_count(3.0), TypeError, None),
    (lambda p: p.divide_by_length(0), ValueError, r"^Length must be greater than 0\.$"),
    (lambda p: p.point_at_parameter("0.5"), TypeError, None),
    (lambda p: Polyline([Point(0, 0), Point(0, 0), Point(1, 0)]).point_at_parameter(0), ZeroDivisionError, None),
])
def test_bad_arguments(call, error, message):
    with pytest.raises(error, match=message):
        call(poly([(0, 0), (2, 0), (2, 2)]))
