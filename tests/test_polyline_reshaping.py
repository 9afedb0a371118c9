"""New polylines from old ones: join, loft, tween, extend, shorten, adjust
the length, move and rotate."""

import math
import random

import pytest
from hypothesis import given, settings
from hypothesis import strategies as st

import pyref_flatkin
import pyref_strakel
from Flatkin import Point, Vector
from Polyline import Polyline
from Strakel import Segment
from polyline_support import Twin, chains, outcome, same_outcome


def poly(coords):
    return Polyline([Point(x, y) for x, y in coords])


def xy(p):
    return [(q.x, q.y) for q in p.points]


@settings(max_examples=150, deadline=None)
@given(chains, chains, st.booleans(), st.floats(-2, 2), st.floats(-40, 40), st.floats(-7, 7))
def test_reshaping_equals_the_plain_steps(coords, other, closed, t, length, angle):
    twin, second = Twin(coords, closed), Twin(other)
    same_count = Twin(other[:1] * len(twin.coords)) if other else second
    calls = [("loft", (second.ours,), (second.plain,)), ("tween", (same_count.ours, t), (same_count.plain, t)),
             ("tween", (second.ours, t), (second.plain, t)),
             ("extend", (length,), (length,)), ("shorten", (length,), (length,)),
             ("adjust_length", (length,), (length,)),
             ("move", (Vector(t, length),), (pyref_flatkin.Vector(t, length),)),
             ("rotate", (angle, Point(t, -t)), (angle, pyref_flatkin.Point(t, -t)))]
    for name, ours_args, plain_args in calls:
        ours = outcome(getattr(twin.ours, name), *ours_args)
        plain = outcome(getattr(twin.plain, name), *plain_args)
        assert same_outcome(twin, ours, plain), name


@settings(max_examples=80, deadline=None)
@given(chains.filter(lambda c: len(set(c)) == len(c)), st.floats(0.01, 0.99))
def test_adjusting_by_a_negative_length_takes_it_off_the_total(coords, share):
    # (a point repeated exactly is dropped from the result's nodes)
    p = poly(coords)
    if p.length < 1e-3:
        return
    shorter = p.adjust_length(-share * p.length)
    assert shorter.length == pytest.approx((1 - share) * p.length, rel=1e-9, abs=1e-6)
    longer = p.adjust_length(share * p.length)
    assert longer.length == pytest.approx((1 + share) * p.length, rel=1e-9) or p.segments[-1].length <= 1e-6


def test_kept_points_are_the_same_objects_and_new_ones_are_new():
    pts = [Point(0, 0), Point(2, 0), Point(2, 2)]
    p = Polyline(pts)
    assert all(a is b for a, b in zip(p.extend(1).points, pts)) and xy(p.extend(1))[-1] == (2, 3)
    assert xy(p.shorten(3)) == [(0, 0), (2, 0), (2, 1)] and p.shorten(3).points[1] is pts[1]
    assert xy(p.shorten(2)) == [(0, 0), (2, 0)]
    assert p.adjust_length(0) is p and p.adjust_length(math.nan) is p
    assert xy(p.adjust_length(-1)) == [(0, 0), (2, 0), (2, 1)]
    assert all(a is not b for a, b in zip(p.move(Vector(1, 1)).points, pts))
    lofted = p.loft(poly([(1, 1), (0, 1)]))
    assert lofted.points[0] is pts[0] and lofted.points[-1] is pts[0] and p.count == 3
    r = poly([(1, 0), (2, 0)]).rotate(math.pi / 2, Point(0, 0))
    assert r.points[0] == Point(0, 1) and r.points[1] == Point(0, 2)


@pytest.mark.parametrize("call, error, message", [
    (lambda p: p.extend(0), ValueError, r"^Length must be greater than 0\.$"),
    (lambda p: p.shorten(-1), ValueError, r"^Length must be greater than 0\.$"),
    (lambda p: p.shorten(4), ValueError, r"^Length must be less than the total length of the Polyline\.$"),
    (lambda p: p.adjust_length(-4), ValueError, r"^Length must be less than the total length of the Polyline\.$"),
    (lambda p: p.tween(poly([(0, 0), (1, 1)]), 0.5), ValueError,
     r"^Polyline objects must have the same number of points\.$"),
    (lambda p: p.extend("1"), TypeError, None),
    (lambda p: p.rotate("1", Point(0, 0)), TypeError, None),
])
def test_bad_lengths(call, error, message):
    with pytest.raises(error, match=message):
        call(poly([(0, 0), (2, 0), (2, 2)]))


def test_join_in_order_keeps_the_list_and_unordered_empties_it():
    a, b, c = Point(0, 0), Point(1, 0), Point(1, 1)
    segments = [Segment(a, b), Segment(b, c)]
    joined = Polyline.join(segments, ordered=True)
    assert joined.points == [a, b, c] and joined.points[1] is b and len(segments) == 2
    rng_state = random.getstate()
    try:
        random.seed(5)
        ring = [Segment(Point(i, 0), Point(i + 1, 0)) for i in range(4)]
        out = Polyline.join(ring)
        assert ring == [] and sorted(q.x for q in out.points) == [0, 1, 2, 3, 4]
    finally:
        random.setstate(rng_state)
    with pytest.raises(ValueError, match=r"^The segments are not connected\.$"):
        Polyline.join([Segment(a, b), Segment(Point(5, 5), Point(6, 6))])


def test_join_equals_the_plain_steps_with_the_same_random_draws():
    rng, state = random.Random(9), random.getstate()
    for _ in range(30):
        coords = [(float(rng.randint(0, 5)), float(rng.randint(0, 5))) for _ in range(rng.randint(2, 8))]
        ours = [Segment(Point(*p), Point(*q)) for p, q in zip(coords, coords[1:])]
        plain = [pyref_strakel.Segment(pyref_flatkin.Point(*p), pyref_flatkin.Point(*q)) for p, q in zip(coords, coords[1:])]
        rng.shuffle(order := list(range(len(ours))))
        ours, plain = [ours[i] for i in order], [plain[i] for i in order]
        seed = rng.random()
        random.seed(seed)
        a = outcome(Polyline.join, ours)
        random.seed(seed)
        b = outcome(type(Twin([(0, 0), (1, 1)]).plain).join, plain)
        assert a[0] == b[0] and (a[0] == "raises" or [(p.x, p.y) for p in a[1].points] == [(p.x, p.y) for p in b[1].points])
    random.setstate(state)
