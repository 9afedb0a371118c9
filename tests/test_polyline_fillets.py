"""Chamfers and fillets of one corner and of whole polylines."""

import math

import pytest
from hypothesis import given, settings
from hypothesis import strategies as st

from Flatkin import Point
from Polyline import Polyline
from Strakel import Segment
from polyline_support import Twin, agree, outlines, poly, xy


def corner(a, b, c):
    return Segment(Point(*a), Point(*b)), Segment(Point(*b), Point(*c))


@settings(max_examples=100, deadline=None)
@given(outlines(max_size=10), st.booleans(), st.floats(0, 3), st.integers(0, 6))
def test_polyline_corners_equal_the_plain_steps(coords, closed, radius, number):
    twin = Twin(coords if closed else coords[:-1])
    agree(twin, "polyline_chamfer", radius)
    agree(twin, "polyline_fillet", radius, number)


@settings(max_examples=100, deadline=None)
@given(st.tuples(st.floats(-9, 9), st.floats(-9, 9)), st.tuples(st.floats(-9, 9), st.floats(-9, 9)),
       st.floats(0.1, 4), st.integers(0, 5))
def test_fillet_points_lie_on_a_circle_touching_both_segments(a, c, radius, number):
    s0, s1 = corner(a, (0.0, 0.0), c)
    if s0.length < 0.5 or s1.length < 0.5 or abs(s0.vector.x * s1.vector.y - s0.vector.y * s1.vector.x) < 1e-3:
        return
    pts = Polyline.segment_fillet(s0, s1, radius, number).points
    assert len(pts) == max(number, 2) + 2
    t = Polyline.chamfer_t(s0, s1, radius)
    assert math.dist((pts[0].x, pts[0].y), (0, 0)) == pytest.approx(t, rel=1e-9, abs=1e-9)
    assert math.dist((pts[-1].x, pts[-1].y), (0, 0)) == pytest.approx(t, rel=1e-9, abs=1e-9)
    # The circle through the first three points holds every other one.
    (x1, y1), (x2, y2), (x3, y3) = [(p.x, p.y) for p in pts[:3]]
    d = 2 * (x1 * (y2 - y3) + x2 * (y3 - y1) + x3 * (y1 - y2))
    ux = ((x1 ** 2 + y1 ** 2) * (y2 - y3) + (x2 ** 2 + y2 ** 2) * (y3 - y1) + (x3 ** 2 + y3 ** 2) * (y1 - y2)) / d
    uy = ((x1 ** 2 + y1 ** 2) * (x3 - x2) + (x2 ** 2 + y2 ** 2) * (x1 - x3) + (x3 ** 2 + y3 ** 2) * (x2 - x1)) / d
    r = math.dist((ux, uy), (x1, y1))
    for p in pts:
        assert math.dist((ux, uy), (p.x, p.y)) == pytest.approx(r, rel=1e-6)


@pytest.mark.parametrize("lengths, radius, expected", [
    ((10, 10), 2, 2.0), ((4, 10), 5, 2.0), ((10, 10), -2, 2.0), ((4, 4), 1, 1.0),
])
def test_chamfer_cut_length_table(lengths, radius, expected):
    s0, s1 = corner((-lengths[0], 0), (0, 0), (0, lengths[1]))
    assert Polyline.chamfer_t(s0, s1, radius) == pytest.approx(expected)
    chamfered = Polyline.segment_chamfer(s0, s1, radius)
    assert chamfered.points[0] is s0.start and chamfered.points[-1] is s1.end
    assert [c for q in xy(chamfered)[1:3] for c in q] == pytest.approx([-expected, 0, 0, expected])


def test_straight_and_folded_corners_and_a_start_mid_side():
    assert xy(Polyline.segment_chamfer(*corner((-5, 0), (0, 0), (5, 0)), 1))[1:3] == [(0, 0), (0, 0)]
    assert Polyline.chamfer_t(*corner((-4, 0), (0, 0), (-8, 0)), 1) == 2.0  # tan 0: clamped to half the shorter
    # A closed outline starting in the middle of a side keeps that vertex twice.
    outline = poly([(5, 0), (10, 0), (10, 10), (0, 10), (0, 0), (5, 0)])
    chamfered, filleted = Polyline.polyline_chamfer(outline, 1), Polyline.polyline_fillet(outline, 1, 2)
    assert xy(chamfered)[:2] == [(5, 0), (5, 0)] and xy(filleted)[:2] == [(5, 0), (5, 0)]
    assert filleted.points[0] is filleted.points[-1] and filleted.count == 1 + 2 + 4 * 4
