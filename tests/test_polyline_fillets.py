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
from polyline_support import Twin, outcome, outlines, same_outcome


def poly(coords):
    return Polyline([Point(x, y) for x, y in coords])


def xy(p):
    return [(q.x, q.y) for q in p.points]


def corner(a, b, c, plain=False):
    P, S = (pyref_flatkin.Point, pyref_strakel.Segment) if plain else (Point, Segment)
    return S(P(*a), P(*b)), S(P(*b), P(*c))


@settings(max_examples=100, deadline=None)
@given(outlines(max_size=10), st.booleans(), st.floats(0, 3), st.integers(0, 6))
def test_polyline_corners_equal_the_plain_steps(coords, closed, radius, number):
    twin = Twin(coords if closed else coords[:-1])
    for name, args in [("polyline_chamfer", (radius,)), ("polyline_fillet", (radius, number))]:
        ours = outcome(getattr(Polyline, name), twin.ours, *args)
        plain = outcome(getattr(pyref_polyline.Polyline, name), twin.plain, *args)
        assert same_outcome(twin, ours, plain), name


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


def test_straight_and_folded_corners():
    straight = corner((-5, 0), (0, 0), (5, 0))
    assert [(p.x, p.y) for p in Polyline.segment_chamfer(*straight, 1).points][1:3] == [(0, 0), (0, 0)]
    folded = corner((-4, 0), (0, 0), (-8, 0))
    assert Polyline.chamfer_t(*folded, 1) == 2.0  # tan 0: infinite, clamped to half the shorter


def test_counts_of_open_and_closed_results():
    zigzag = poly([(0, 0), (10, 0), (10, 10), (20, 10), (20, 20)])
    assert zigzag.polyline_chamfer(zigzag, 1).count == 2 + 2 * 3
    assert Polyline.polyline_fillet(zigzag, 1, 4).count == 2 + 3 * (4 + 2)
    assert Polyline.polyline_fillet(zigzag, 1, 0).count == 2 + 3 * (2 + 2)
    square = poly([(0, 0), (10, 0), (10, 10), (0, 10), (0, 0)])
    for result in (Polyline.polyline_chamfer(square, 1), Polyline.polyline_fillet(square, 1, 3)):
        assert result.points[0] is result.points[-1] and xy(result)[0] == (0, 1)
    assert xy(Polyline.polyline_chamfer(poly([(0, 0), (5, 0)]), 1)) == [(0, 0), (5, 0)]


def test_a_closed_outline_starting_mid_side_keeps_that_vertex_twice():
    outline = poly([(5, 0), (10, 0), (10, 10), (0, 10), (0, 0), (5, 0)])
    chamfered, filleted = Polyline.polyline_chamfer(outline, 1), Polyline.polyline_fillet(outline, 1, 2)
    assert xy(chamfered)[:2] == [(5, 0), (5, 0)] and xy(filleted)[:2] == [(5, 0), (5, 0)]
    assert filleted.points[0] is filleted.points[-1] and filleted.count == 1 + 2 + 4 * 4


@pytest.mark.parametrize("call, error", [
    (lambda: Polyline.chamfer_t(), AttributeError),
    (lambda: Polyline.chamfer_t(*corner((0, 0), (1, 0), (1, 1))), TypeError),
    (lambda: Polyline.chamfer_t(*corner((0, 0), (1, 0), (1, 1)), "1"), TypeError),
    (lambda: Polyline.segment_fillet(*corner((0, 0), (1, 0), (1, 1)), 0.1), Exception),
    (lambda: Polyline.segment_fillet(*corner((0, 0), (1, 0), (1, 1)), 0, 3), Exception),
    (lambda: Polyline.chamfer_t(*corner((0, 0), (0, 0), (1, 1)), 1), TypeError),
])
def test_missing_and_bad_arguments(call, error):
    with pytest.raises(error):
        call()
