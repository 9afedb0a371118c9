"""Cutting a polyline at points, parameters, intervals and pairs of points."""

import random

import pytest
from hypothesis import given, settings
from hypothesis import strategies as st

import pyref_flatkin
from Flatkin import Point
from Polyline import Polyline
from polyline_support import Twin, chains, outcome, picture

CORNER = [(0, 0), (2, 0), (2, 2)]


def poly(coords):
    return Polyline([Point(x, y) for x, y in coords])


def xy(p):
    return [(q.x, q.y) for q in p.points]


def rejoined(pieces):
    """The pieces' points chained, each shared cut point once."""
    out = list(pieces[0].points)
    for piece in pieces[1:]:
        assert piece.points[0] is out[-1]
        out += piece.points[1:]
    return out


@settings(max_examples=150, deadline=None)
@given(chains.filter(lambda c: len(set(c)) == len(c)), st.lists(st.floats(0.01, 0.99), max_size=5),
       st.integers(0, 1000))
def test_breaks_equal_the_plain_steps(coords, values, seed):
    twin = Twin(coords)
    rng = random.Random(seed)
    where = [twin.coords[rng.randrange(len(coords))] for _ in range(3)] + [(9.5, 9.5)]
    for (x0, y0), (x1, y1) in zip(twin.coords, twin.coords[1:]):
        where.append((x0 + 0.5 * (x1 - x0), y0 + 0.5 * (y1 - y0)))
    mine = [Point(*w) for w in where]
    theirs = [pyref_flatkin.Point(*w) for w in where]
    calls = [("break_by_parameters", (values,), (values,)), ("break_by_interval", (values[:2],), (values[:2],)),
             ("break_by_intervals", ([values[:2], values[2:]],), ([values[:2], values[2:]],))]
    calls += [("break_by_parameter", (v,), (v,)) for v in values[:2] + [0, 1]]
    calls += [("break_by_point", (m,), (t,)) for m, t in zip(mine, theirs)]
    calls += [("break_by_points", (mine[:3],), (theirs[:3],)), ("break_by_tuple", (mine[1:3],), (theirs[1:3],)),
              ("break_by_tuples", ([mine[1:3], mine[3:5]],), ([theirs[1:3], theirs[3:5]],))]
    for name, ours_args, plain_args in calls:
        ours = outcome(getattr(twin.ours, name), *ours_args)
        plain = outcome(getattr(twin.plain, name), *plain_args)
        pool_ours, pool_plain = twin.ours_points + mine, twin.plain_points + theirs
        assert ours[0] == plain[0], name
        if ours[0] == "ok":
            assert picture(ours[1], pool_ours) == picture(plain[1], pool_plain), name


@settings(max_examples=100, deadline=None)
@given(chains.filter(lambda c: len(set(c)) == len(c)), st.lists(st.floats(0.01, 0.99), min_size=1, max_size=6))
def test_pieces_rejoin_to_the_original(coords, values):
    p = poly(coords)
    if p.length == 0:
        return
    pieces = p.break_by_parameters(values)
    assert len(pieces) == len(set(values)) + 1
    chain = rejoined(pieces)
    originals = [q for q in chain if any(q is r for r in p.points)]
    assert originals == [r for r in p.points if any(r is q for q in chain)] and originals[0] is p.points[0]
    assert sum(piece.length for piece in pieces) == pytest.approx(p.length, rel=1e-9, abs=1e-9)
    first, last = p.break_by_interval(values[:2])
    assert xy(first) == xy(p.break_by_parameter(min(values[:2]))[0])
    assert xy(last) == xy(p.break_by_parameter(max(values[:2]))[1])


def test_single_cuts_return_the_receiver_when_there_is_nothing_to_cut():
    p = poly(CORNER)
    assert p.break_by_point(Point(5, 5)) is p and p.break_by_points([Point(5, 5)]) is p
    assert p.break_by_parameter(0) is p and p.break_by_parameter(1) is p and p.break_by_parameter(-3) is p
    assert p.break_by_tuple((Point(5, 5), Point(6, 6))) is p
    assert p.break_by_tuple((Point(1, 0), Point(1, 0))) is p
    assert p.break_by_interval([]) == (p, p) and p.break_by_parameters([]) == [p]
    assert p.break_by_tuples([]) == [p] and p.break_by_intervals([]) == [p]


def test_a_vertex_cut_shares_the_cut_point_and_keeps_the_vertex():
    pts = [Point(0, 0), Point(2, 0), Point(2, 2)]
    p = Polyline(pts)
    cut = Point(2, 0)
    first, second = p.break_by_point(cut)
    assert first.points == [pts[0], cut] and first.points[1] is cut and second.points[0] is cut
    assert second.points[1] is pts[1]
    a, b = p.break_by_parameter(0.5)
    assert a.points[-1] is b.points[0] and b.points[1] is pts[1] and xy(b)[0] == (2, 0)
    three = p.break_by_tuple((Point(2, 1), Point(1, 0)))
    assert type(three) is tuple and [xy(q) for q in three] == [[(0, 0), (1, 0)], [(1, 0), (2, 0), (2, 1)],
                                                               [(2, 1), (2, 2)]]


@pytest.mark.parametrize("values", [[0.5, 1], [0, 0.5], [-0.1], [float("nan")], [2]])
def test_parameters_outside_the_open_range_are_refused(values):
    p = poly(CORNER)
    for call in (p.break_by_parameters, p.break_by_interval, lambda v: p.break_by_intervals([v])):
        with pytest.raises(ValueError, match=r"^All parameter values must be between 0 and 1\.$"):
            call(values)


def test_intervals_keep_the_parts_outside_them():
    p = poly([(0, 0), (8, 0)])
    outside = p.break_by_intervals([(0.25, 0.375), (0.625, 0.75)])
    assert [xy(q) for q in outside] == [[(0, 0), (2, 0)], [(3, 0), (5, 0)], [(6, 0), (8, 0)]]
    first, last = p.break_by_interval((0.75, 0.25))
    assert xy(first) == [(0, 0), (2, 0)] and xy(last) == [(6, 0), (8, 0)]
    assert len(p.break_by_intervals([(0.25, 0.5), (0.5, 0.75)])) == 2  # 0.5 once: four pieces, two kept
