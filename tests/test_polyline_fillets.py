"""Chamfers and fillets of one corner and of whole polylines."""

import math

import pytest
from hypothesis import given, settings
from hypothesis import strategies as st

import pyref_flatkin
import pyref_polyline
import pyref_strakel
from Flatkin import Point
from Polyline import Polyline
from Strakel import Segment
from polyline_support import Twin, agree, outcome, outlines, picture, poly, xy


def corner(a, b, c):
    return Segment(Point(*a), Point(*b)), Segment(Point(*b), Point(*c))


@settings(max_examples=100, deadline=None)
@given(outlines(max_size=10), st.booleans(), st.floats(0, 3), st.integers(0, 6))
def test_polyline_corners_equal_the_plain_steps(coords, closed, radius, number):
    twin = Twin(coords if closed else coords[:-1])
    agree(twin, "polyline_chamfer", radius)
    agree(twin, "polyline_fillet", radius, number)


@settings(max_examples=150, deadline=None)
@given(st.tuples(st.floats(-9, 9), st.floats(-9, 9)), st.tuples(st.floats(-9, 9), st.floats(-9, 9)),
       st.floats(-4, 4), st.integers(0, 5))
def test_corners_equal_the_plain_steps_and_fillets_lie_on_a_circle_touching_both_segments(a, c, radius, number):
    s0, s1 = corner(a, (0.0, 0.0), c)
    ends = [s0.start, s0.end, s1.start, s1.end]
    plain_ends = [pyref_flatkin.Point(p.x, p.y) for p in ends]
    t0, t1 = pyref_strakel.Segment(*plain_ends[:2]), pyref_strakel.Segment(*plain_ends[2:])
    for name, args in [("chamfer_t", (radius,)), ("segment_chamfer", (radius,)), ("segment_fillet", (radius, number))]:
        ours = outcome(getattr(Polyline, name), s0, s1, *args)
        plain = outcome(getattr(pyref_polyline.Polyline, name), t0, t1, *args)
        assert ours[0] == plain[0] and (ours[1] is plain[1] if ours[0] == "raises" else
                                        picture(ours[1], ends) == picture(plain[1], plain_ends)), name
    cross = s0.vector.x * s1.vector.y - s0.vector.y * s1.vector.x
    if radius < 0.1 or s0.length < 0.5 or s1.length < 0.5 or abs(cross) < 1e-3:
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


def test_straight_and_folded_corners_and_a_start_mid_side():
    assert xy(Polyline.segment_chamfer(*corner((-5, 0), (0, 0), (5, 0)), 1))[1:3] == [(0, 0), (0, 0)]
    assert Polyline.chamfer_t(*corner((-4, 0), (0, 0), (-8, 0)), 1) == 2.0  # tan 0: clamped to half the shorter
    # A closed outline starting in the middle of a side keeps that vertex twice.
    outline = poly([(5, 0), (10, 0), (10, 10), (0, 10), (0, 0), (5, 0)])
    chamfered, filleted = Polyline.polyline_chamfer(outline, 1), Polyline.polyline_fillet(outline, 1, 2)
    assert xy(chamfered)[:2] == [(5, 0), (5, 0)] and xy(filleted)[:2] == [(5, 0), (5, 0)]
    assert filleted.points[0] is filleted.points[-1] and filleted.count == 1 + 2 + 4 * 4
