"""A polyline on the caller's own list: construction, identity, its derived
segments and measures, and the self-intersection test."""

import math
import random

import pytest
from hypothesis import given, settings
from hypothesis import strategies as st

from Flatkin import Point
from Polyline import Polyline
from Strakel import Segment
from polyline_support import Twin, chains, outcome, same_outcome

MEASURES = ["segments", "count", "length", "start", "end", "midpoint", "centroid", "mean", "longest_edge",
            "shortest_edge", "bound"]


@pytest.mark.parametrize("points", [[], [Point(0, 0)], (), "a"], ids=["empty", "one", "tuple", "text"])
def test_fewer_than_two_points_are_refused(points):
    with pytest.raises(ValueError, match=r"^Polyline must have at least two points\.$"):
        Polyline(points)


def test_an_object_without_a_length_raises_type_error():
    with pytest.raises(TypeError):
        Polyline(iter([Point(0, 0), Point(1, 1)]))


def test_the_caller_list_is_shared_closed_in_place_and_kept_on_reverse():
    pts = [Point(0, 0), Point(1, 0), Point(1, 1)]
    p = Polyline(pts)
    assert p.points is pts and list(p) == pts and all(a is b for a, b in zip(p, pts))
    assert p.close() is p and len(pts) == 4 and pts[-1] is pts[0]
    assert p.close() is p and len(pts) == 4
    p.reverse()
    assert p.points is not pts and p.points == pts[::-1] and pts[1].x == 1.0
    assert Polyline(pts + [Point(0, 5e-7)]).close().count == 5  # closed within epsilon: nothing added


def test_equality_hash_and_text():
    a = Polyline([Point(0, 0), Point(1, 1)])
    assert a == Polyline([Point(0, 5e-7), Point(1, 1)])
    assert a != Polyline([Point(1, 1), Point(0, 0)]) and a != [Point(0, 0), Point(1, 1)]
    assert a != Polyline([Point(0, 0), Point(1, 1), Point(1, 1)])
    assert hash(a) == hash((Point(0, 0), Point(1, 1)))
    assert repr(a) == "Polyline([Point(0.0, 0.0), Point(1.0, 1.0)])" and str(a) == repr(a)


def test_segments_are_new_on_every_read_and_hold_the_polylines_points():
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
        ours = outcome(lambda: getattr(twin.ours, name))
        plain = outcome(lambda: getattr(twin.plain, name))
        assert same_outcome(twin, ours, plain), name


def test_midpoint_is_the_middle_vertex_itself_for_an_odd_count():
    pts = [Point(i, i * i) for i in range(5)]
    assert Polyline(pts).midpoint is pts[2]
    assert Polyline(pts[:4]).midpoint == Point(1.5, 2.5)


def test_centroid_of_coinciding_points_divides_by_zero():
    with pytest.raises(ZeroDivisionError):
        Polyline([Point(1, 1), Point(1, 1)]).centroid


@pytest.mark.parametrize("coords, expected", [
    ([(0, 0), (2, 0), (2, 2), (1, -1)], True),                      # open, first crosses last
    ([(0, 0), (1, 1), (1, 0), (0, 1), (0, 0)], True),               # closed bow-tie
    ([(0, 0), (1, 0), (1, 1), (0, 1), (0, 0)], False),              # closed square
    ([(0, 0), (1, 0), (1, 1), (0, 1)], False),                      # four points, no crossing
    ([(0, 0), (4, 0), (4, 4), (2, 4), (2, -1)], True),
    ([(0, 0), (1, 0)], False),
], ids=["open-first-last", "bow-tie", "square", "open-square", "hook", "two-points"])
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
        x = y = 0.0
        coords = []
        for _ in range(rng.randint(3, 120)):
            x += rng.uniform(-3, 3)
            y += rng.uniform(-3, 3)
            coords.append((x, y))
        twin = Twin(coords, rng.random() < 0.5)
        assert twin.ours.is_self_intersecting() is twin.plain.is_self_intersecting()


def test_lengths_with_squares_beyond_the_double_range_raise_overflow_error():
    p = Polyline([Point(0, 0), Point(1e200, 0)])
    with pytest.raises(OverflowError):
        p.length
    assert math.isinf(Polyline([Point(0, 0), Point(math.inf, 0)]).length)


# Every member with its arguments (ours, plain), for the degenerate inputs.
def member_calls(P, V):
    return [
        ("length", None), ("centroid", None), ("bound", None), ("midpoint", None), ("mean", None),
        ("longest_edge", None), ("area", None), ("is_clockwise", None), ("wise", None), ("is_convex", ()),
        ("is_self_intersecting", ()), ("closest_point", (P(0.5, 0.5),)), ("contains_point", (P(0.5, 0.5),)),
        ("intersection", None), ("point_at_parameter", (0.5,)), ("divide_by_count", (3,)),
        ("divide_by_length", (0.7,)), ("evaluate_point", (P(0, 0),)), ("bounding_box", ()),
        ("minimum_bounding_box", ()), ("longest_edge_box", ()), ("set_vector_box", (V(1, 1),)),
        ("degenerate_distance", ()), ("offset", (0.3,)), ("offset", (-0.3,)), ("find_discontinuity", ()),
        ("extend", (1.0,)), ("shorten", (0.5,)), ("break_by_parameter", (0.5,)), ("break_by_parameters", ([0.3, 0.6],)),
    ]


@pytest.mark.parametrize("coords", [
    [(0, 0), (math.nan, 1), (2, 0), (0, 0)], [(0, 0), (math.inf, 0), (1, 1)], [(math.nan, math.nan), (1, 1)],
    [(0, 0), (0, 0), (0, 0)], [(0, 0), (1, 1), (2, 2), (3, 3)], [(0, 0), (1, 0), (0, 0), (1, 0)],
    [(1e-9, 0), (0, 0), (1, 1e-9), (1e-9, 0)], [(-math.inf, 0), (math.inf, 0), (0, math.nan)],
], ids=["nan-vertex", "inf-vertex", "nan-start", "one-place", "collinear", "doubling-back", "tiny", "mixed"])
def test_degenerate_polylines_give_the_plain_outcome(coords):
    import pyref_flatkin
    import pyref_strakel
    from Flatkin import Vector
    from Strakel import Line
    twin = Twin(coords)
    ours_calls = member_calls(Point, Vector)
    plain_calls = member_calls(pyref_flatkin.Point, pyref_flatkin.Vector)
    for (name, ours_args), (_, plain_args) in zip(ours_calls, plain_calls):
        if name == "divide_by_length" and outcome(lambda: twin.plain.length)[1] == math.inf:
            # The plain steps never end on an infinite length; ours refuse it.
            with pytest.raises(MemoryError):
                twin.ours.divide_by_length(0.7)
            continue
        if name == "intersection":
            ours_args = (Line(Point(0, 0.5), Point(1, 0.5)),)
            plain_args = (pyref_strakel.Line(pyref_flatkin.Point(0, 0.5), pyref_flatkin.Point(1, 0.5)),)
        if ours_args is None:
            ours = outcome(lambda: getattr(twin.ours, name))
            plain = outcome(lambda: getattr(twin.plain, name))
        else:
            ours = outcome(getattr(twin.ours, name), *ours_args)
            plain = outcome(getattr(twin.plain, name), *plain_args)
        assert same_outcome(twin, ours, plain), (name, ours, plain)
