"""A polyline on the caller's own list: construction, identity, its derived
segments and measures, the self-intersection test, and every member on
degenerate input against the plain steps."""

import math
import random

import pytest
from hypothesis import given, settings
from hypothesis import strategies as st

from Flatkin import Point
from Polyline import Polyline
from Strakel import Segment
from polyline_support import Twin, agree, chains, member_calls, outcome

MEASURES = ["segments", "count", "length", "start", "end", "midpoint", "centroid", "mean", "longest_edge",
            "shortest_edge", "bound"]


def test_the_caller_list_is_shared_closed_in_place_and_kept_on_reverse():
    pts = [Point(0, 0), Point(1, 0), Point(1, 1)]
    p = Polyline(pts)
    assert p.points is pts and list(p) == pts and all(a is b for a, b in zip(p, pts))
    assert p.close() is p and len(pts) == 4 and pts[-1] is pts[0]
    assert p.close() is p and len(pts) == 4
    p.reverse()
    assert p.points is not pts and p.points == pts[::-1] and pts[1].x == 1.0
    assert Polyline(pts + [Point(0, 5e-7)]).close().count == 5  # closed within epsilon: nothing added


def test_equality_hash_text_and_fresh_segments():
    a = Polyline([Point(0, 0), Point(1, 1)])
    assert a == Polyline([Point(0, 5e-7), Point(1, 1)])
    assert a != Polyline([Point(1, 1), Point(0, 0)]) and a != [Point(0, 0), Point(1, 1)]
    assert a != Polyline([Point(0, 0), Point(1, 1), Point(1, 1)])
    assert hash(a) == hash((Point(0, 0), Point(1, 1)))
    assert repr(a) == "Polyline([Point(0.0, 0.0), Point(1.0, 1.0)])" and str(a) == repr(a)
    pts = [Point(0, 0), Point(2, 0), Point(2, 1)]
    p = Polyline(pts)
    first, second = p.segments, p.segments
    assert [type(s) for s in first] == [Segment, Segment] and first[0] is not second[0]
    assert first[0].start is pts[0] and first[1].end is pts[2] and first[0].end is first[1].start


@settings(max_examples=150, deadline=None)
@given(chains, st.booleans())
def test_measures_equal_the_plain_steps(coords, closed):
    twin = Twin(coords, closed)
    for name in MEASURES:
        agree(twin, name)


@pytest.mark.parametrize("coords, expected", [
    ([(0, 0), (2, 0), (2, 2), (1, -1)], True),                      # open, first crosses last
    ([(0, 0), (1, 1), (1, 0), (0, 1), (0, 0)], True),               # closed bow-tie
    ([(0, 0), (1, 0), (1, 1), (0, 1), (0, 0)], False),              # closed square
    ([(0, 0), (1, 0), (1, 1), (0, 1)], False),                      # four points, no crossing
])
def test_self_intersection_table(coords, expected):
    assert Polyline([Point(x, y) for x, y in coords]).is_self_intersecting() is expected


@settings(max_examples=200, deadline=None)
@given(st.lists(st.tuples(st.integers(-4, 4), st.integers(-4, 4)), min_size=2, max_size=16), st.booleans())
def test_self_intersection_equals_the_all_pairs_loop(coords, closed):
    twin = Twin([(float(x), float(y)) for x, y in coords], closed)
    assert twin.ours.is_self_intersecting() is twin.plain.is_self_intersecting()


def test_self_intersection_of_long_random_walks_equals_the_all_pairs_loop():
    rng = random.Random(11)
    for _ in range(20):
        steps = [(rng.uniform(-3, 3), rng.uniform(-3, 3)) for _ in range(rng.randint(3, 120))]
        coords = [(sum(s[0] for s in steps[:k + 1]), sum(s[1] for s in steps[:k + 1])) for k in range(len(steps))]
        twin = Twin(coords, rng.random() < 0.5)
        assert twin.ours.is_self_intersecting() is twin.plain.is_self_intersecting()


@pytest.mark.parametrize("coords", [
    [(0, 0), (math.nan, 1), (2, 0), (0, 0)], [(0, 0), (math.inf, 0), (1, 1)], [(math.nan, math.nan), (1, 1)],
    [(0, 0), (0, 0), (0, 0)], [(0, 0), (1, 1), (2, 2), (3, 3)], [(0, 0), (1, 0), (0, 0), (1, 0)],
    [(1e-9, 0), (0, 0), (1, 1e-9), (1e-9, 0)], [(-math.inf, 0), (math.inf, 0), (0, math.nan)],
    [(0, 0), (1e200, 0)], [(0, 0), (0, 0), (1, 0)], [(0, 0), (1e-9, 0), (1, 1)], [(0, 0), (1, 0), (0, 0)],
], ids=["nan-vertex", "inf-vertex", "nan-start", "one-place", "collinear", "doubling-back", "tiny", "mixed", "huge",
        "repeated-start", "nanometre", "back-and-forth"])
def test_degenerate_polylines_give_the_plain_outcome(coords):
    for name, *args in member_calls():
        if name == "divide_by_length" and outcome(lambda: Twin(coords).plain.length)[1] == math.inf:
            # The plain steps never end on an infinite length; ours refuse it.
            with pytest.raises(MemoryError):
                Twin(coords).ours.divide_by_length(0.7)
        elif name not in ("__iter__", "__hash__"):  # an iterator; a hash of NaN is by identity
            agree(Twin(coords), name, *args)
