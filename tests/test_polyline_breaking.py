"""Cutting a polyline at points, parameters, intervals and pairs of points."""

import random

import pytest
from hypothesis import given, settings
from hypothesis import strategies as st

from Flatkin import Point
from polyline_support import Twin, agree, chains, poly, xy


@settings(max_examples=150, deadline=None)
@given(chains.filter(lambda c: len(set(c)) == len(c)), st.lists(st.floats(0.01, 0.99), max_size=5),
       st.integers(0, 1000))
def test_breaks_equal_the_plain_steps(coords, values, seed):
    twin = Twin(coords)
    rng = random.Random(seed)
    where = [twin.coords[rng.randrange(len(coords))] for _ in range(3)] + [(9.5, 9.5)]
    where += [((x0 + x1) / 2, (y0 + y1) / 2) for (x0, y0), (x1, y1) in zip(twin.coords, twin.coords[1:])]
    pts = [Point(*w) for w in where]
    for v in values[:2] + [0, 1]:
        agree(twin, "break_by_parameter", v)
    for q in pts:
        agree(twin, "break_by_point", q)
    for name, arg in [("break_by_parameters", values), ("break_by_interval", values[:2]),
                      ("break_by_intervals", [values[:2], values[2:]]), ("break_by_points", pts[:3]),
                      ("break_by_tuple", pts[1:3]), ("break_by_tuples", [pts[1:3], pts[3:5]])]:
        agree(twin, name, arg)


@settings(max_examples=100, deadline=None)
@given(chains.filter(lambda c: len(set(c)) == len(c)), st.lists(st.floats(0.01, 0.99), min_size=1, max_size=6))
def test_pieces_rejoin_to_the_original(coords, values):
    p = poly(coords)
    if p.length == 0:
        return
    pieces = p.break_by_parameters(values)
    assert len(pieces) == len(set(values)) + 1
    chain = list(pieces[0].points)  # the pieces chained, each shared cut point once
    for piece in pieces[1:]:
        assert piece.points[0] is chain[-1]
        chain += piece.points[1:]
    originals = [q for q in chain if any(q is r for r in p.points)]
    assert originals == [r for r in p.points if any(r is q for q in chain)] and originals[0] is p.points[0]
    assert sum(piece.length for piece in pieces) == pytest.approx(p.length, rel=1e-9, abs=1e-9)
    first, last = p.break_by_interval(values[:2])
    assert xy(first) == xy(p.break_by_parameter(min(values[:2]))[0])
    assert xy(last) == xy(p.break_by_parameter(max(values[:2]))[1])


def test_cuts_with_nothing_to_cut_return_the_receiver_and_intervals_keep_the_parts_outside_them():
    p = poly([(0, 0), (2, 0), (2, 2)])
    assert p.break_by_point(Point(5, 5)) is p and p.break_by_points([Point(5, 5)]) is p
    assert p.break_by_parameter(0) is p and p.break_by_parameter(1) is p and p.break_by_parameter(-3) is p
    assert p.break_by_tuple((Point(5, 5), Point(6, 6))) is p and p.break_by_tuple((Point(1, 0), Point(1, 0))) is p
    assert p.break_by_interval([]) == (p, p) and p.break_by_parameters([]) == [p]
    assert p.break_by_tuples([]) == [p] and p.break_by_intervals([]) == [p]
    p = poly([(0, 0), (8, 0)])
    outside = p.break_by_intervals([(0.25, 0.375), (0.625, 0.75)])
    assert [xy(q) for q in outside] == [[(0, 0), (2, 0)], [(3, 0), (5, 0)], [(6, 0), (8, 0)]]
    first, last = p.break_by_interval((0.75, 0.25))
    assert xy(first) == [(0, 0), (2, 0)] and xy(last) == [(6, 0), (8, 0)]
    assert len(p.break_by_intervals([(0.25, 0.5), (0.5, 0.75)])) == 2  # 0.5 once: four pieces, two kept
