"""Positions along a polyline: points at a parameter or a length, the
position of a point, and division by count and by spacing."""

import math
import random

import pytest
import shapely
from hypothesis import HealthCheck, given, settings
from hypothesis import strategies as st

from Flatkin import Point
from polyline_support import Twin, agree, chains, poly


@settings(max_examples=150, deadline=None)
@given(chains, st.booleans(), st.floats(0, 1), st.integers(2, 40), st.floats(0.05, 30))
def test_positions_and_divisions_equal_the_plain_steps(coords, closed, t, count, spacing):
    twin = Twin(coords, closed)
    total = twin.plain.length
    for name, arg in [("point_at_parameter", t), ("point_at_length", t * total), ("point_at_length", total),
                      ("divide_by_count", count), ("divide_by_length", spacing), ("divide_by_length", total / count),
                      ("divide_by_length", math.nan), ("divide_by_length", math.inf)]:  # the start alone
        agree(twin, name, arg)
    assert len(twin.ours.divide_by_length(math.nan)) == 1
    for x, y in coords[:4]:
        for method in ("length", "parameter"):
            agree(twin, "evaluate_point", Point(x, y), method)


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
    agree(twin, "divide_by_length", 0.37)
    agree(twin, "divide_by_count", 777)
