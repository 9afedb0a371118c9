"""New polylines from old ones: join, loft, tween, extend, shorten, adjust
the length, move and rotate."""

import math
import random

import pytest
from hypothesis import given, settings
from hypothesis import strategies as st

import pyref_flatkin
import pyref_polyline
import pyref_strakel
from Flatkin import Point, Vector
from Polyline import Polyline
from Strakel import Segment
from polyline_support import Twin, agree, chains, outcome, poly, xy


@settings(max_examples=150, deadline=None)
@given(chains, chains, st.booleans(), st.floats(-2, 2), st.floats(-40, 40), st.floats(-7, 7))
def test_reshaping_equals_the_plain_steps(coords, other, closed, t, length, angle):
    twin = Twin(coords, closed)
    for name, *args in [("loft", poly(other)), ("tween", poly(other[:1] * len(twin.coords)), t),
                        ("tween", poly(other), t), ("extend", length), ("shorten", length),
                        ("adjust_length", length), ("move", Vector(t, length)), ("rotate", angle, Point(t, -t))]:
        agree(twin, name, *args)


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
    assert p.adjust_length(0) is p and p.adjust_length(math.nan) is p


def test_join_in_order_keeps_the_list():
    a, b, c = Point(0, 0), Point(1, 0), Point(1, 1)
    segments = [Segment(a, b), Segment(b, c)]
    joined = Polyline.join(segments, ordered=True)
    assert joined.points == [a, b, c] and joined.points[1] is b and len(segments) == 2


def test_unordered_join_empties_the_list_and_equals_the_plain_steps_with_the_same_draws():
    rng, state = random.Random(9), random.getstate()
    try:
        random.seed(5)
        ring = [Segment(Point(i, 0), Point(i + 1, 0)) for i in range(4)]
        assert sorted(q.x for q in Polyline.join(ring).points) == [0, 1, 2, 3, 4] and ring == []
        for _ in range(30):
            coords = [(float(rng.randint(0, 5)), float(rng.randint(0, 5))) for _ in range(rng.randint(2, 8))]
            pairs = list(zip(coords, coords[1:]))
            rng.shuffle(pairs)
            ours = [Segment(Point(*p), Point(*q)) for p, q in pairs]
            plain = [pyref_strakel.Segment(pyref_flatkin.Point(*p), pyref_flatkin.Point(*q)) for p, q in pairs]
            seed = rng.random()
            random.seed(seed)
            a = outcome(Polyline.join, ours)
            random.seed(seed)
            b = outcome(pyref_polyline.Polyline.join, plain)
            assert a[0] == b[0] and (a[0] == "raises" or xy(a[1]) == xy(b[1]))
    finally:
        random.setstate(state)
