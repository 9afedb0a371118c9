"""Bars: built from an axis or between parallel and curved rails, cut where
other polylines come near and shortened to a goal length, against the plain
reference bit for bit, with the repaired cases."""

import inspect
import math
import random

import pytest
import shapely.geometry as sg
from hypothesis import given, settings, strategies as st

from Flatkin import Point
from Polygon import Bar

from polygon_support import OURS, PLAIN, coords, picture, rect


def arc(cx, cy, r, a0, a1, n):
    return [(cx + r * math.cos(a0 + (a1 - a0) * k / n), cy + r * math.sin(a0 + (a1 - a0) * k / n)) for k in range(n + 1)]


def both(make):
    """make(world) on both sides, as (outcome, outcome)."""
    out = []
    for world in (OURS, PLAIN):
        try:
            out.append(("ok", picture(make(world))))
        except Exception as e:  # noqa: BLE001 - the type is the result here
            out.append(("raises", type(e).__name__, str(e)))
    return out


AXES = {
    "straight": [(0, 0), (40, 0)],
    "corner": [(0, 0), (30, 0), (30, 20)],
    "zigzag": [(0, 0), (10, 5), (20, 0), (30, 5)],
    "curve": arc(0, 0, 20, 0, 2, 12),
}


@pytest.mark.parametrize("diameter", [4, 2.5, -3])
@pytest.mark.parametrize("name", list(AXES))
def test_bars_around_an_axis_match_the_plain_steps(name, diameter):
    a, b = both(lambda w: w.Bar(axis=w.poly(AXES[name]), diameter=diameter))
    assert a == b and a[0] == "ok"
    bar = Bar(axis=OURS.poly(AXES[name]), diameter=diameter)
    assert bar.radius == diameter / 2.0 and bar.geo.is_closed()
    assert bar.area == bar.geo.area == PLAIN.Bar(axis=PLAIN.poly(AXES[name]), diameter=diameter).area


def test_straight_bar_is_the_strip_around_its_axis():
    bar = Bar(axis=OURS.poly([(0, 0), (40, 0)]), diameter=4)
    # A negative offset runs the other way round: the loft closes the strip.
    assert coords(bar.rail1.points) == [(0, -2), (40, -2)] and coords(bar.rail2.points) == [(40, 2), (0, 2)]
    assert coords(bar.geo.points) == [(0, -2), (40, -2), (40, 2), (0, 2), (0, -2)] and bar.area == 160.0


def rails(world, kind):
    if kind == "parallel":
        return world.poly([(0, 0), (30, 0), (30, 20)]), world.poly([(0, 3), (27, 3), (27, 20)])
    if kind == "curved":
        return world.poly(arc(0, 0, 20, 0, 1.5, 10)), world.poly(arc(0, 0, 23, 0, 1.5, 10))
    return world.poly([(0, 0), (10, 0)]), world.poly([(0, 0), (10, 0)])  # collinear


@pytest.mark.parametrize("diameter", [None, 1, 99])
@pytest.mark.parametrize("kind", ["parallel", "curved", "collinear"])
def test_bars_between_rails_measure_their_width(kind, diameter):
    a, b = both(lambda w: w.Bar(*rails(w, kind), diameter=diameter))
    assert a == b and a[0] == "ok"
    bar = Bar(*rails(OURS, kind), diameter=diameter)
    # Measured at the first rail's start, to the line of the second rail's
    # nearest segment (a chord, a little inside the arc).
    low, high = {"parallel": (3.0, 3.0), "curved": (2.95, 3.0), "collinear": (0.0, 0.0)}[kind]
    assert low - 1e-12 <= bar.diameter <= high + 1e-12 and bar.radius == bar.diameter / 2.0
    r1, r2, ax = coords(bar.rail1.points), coords(bar.rail2.points), coords(bar.axis.points)
    mid = [c for a, b in zip(r1, r2) for c in ((a[0] + b[0]) / 2, (a[1] + b[1]) / 2)]
    assert [c for p in ax for c in p] == pytest.approx(mid)


def test_a_ring_bar_yields_its_rails_once_and_measures_the_ring():
    bar = Bar(axis=OURS.poly(rect(0, 0, 20, 10)), diameter=2)
    assert inspect.isgenerator(bar.geo)
    assert bar.area == pytest.approx(abs(sg.Polygon(coords(bar.rail2.points)).area -
                                         sg.Polygon(coords(bar.rail1.points)).area)) == 120
    assert bar.area == PLAIN.Bar(axis=PLAIN.poly(rect(0, 0, 20, 10)), diameter=2).area
    assert list(bar.geo) == [bar.rail1, bar.rail2] and list(bar.geo) == []


@pytest.mark.parametrize("kwargs, error, message", [
    ({}, Exception, "Invalid input for Bar construction"),
    ({"diameter": 0, "axis": "axis"}, Exception, "Invalid input for Bar construction"),
    ({"axis": None, "diameter": 3}, Exception, "Invalid input for Bar construction"),
])
def test_invalid_constructions(kwargs, error, message):
    with pytest.raises(error, match=message):
        Bar(**kwargs)


def test_rails_of_different_point_counts_fail_in_the_tween():
    with pytest.raises(ValueError, match="Polyline objects must have the same number of points."):
        Bar(OURS.poly([(0, 0), (10, 0)]), OURS.poly([(0, 3), (5, 3), (10, 3)]))


# ------------------------------------------------------------- cutting

AXIS = [(0, 0), (50, 0), (50, 30), (0, 30), (0, 0)]


@pytest.mark.parametrize("cutter, kind", [
    ([(60, 60), (90, 60)], type(None)),                  # never near
    ([(20, 18), (30, 18)], type(None)),                  # at exactly the distance: not near
    ([(20, 10), (30, 10), (30, 40)], list),              # two near vertices
    ([(10, 5), (20, 5), (30, 5), (40, 5), (45, 25)], tuple),  # four or more
    ([(10, 5), (80, 80), (90, 90)], tuple),               # one near vertex
    ([(10, 5), (20, 5), (30, 5), (90, 90)], tuple),       # three near vertices
    ([(10, 5), (10, 5)], type(None)),                     # one near vertex, one nearest point
])
def test_cutter_pairs_match_the_plain_steps(cutter, kind):
    a, b = both(lambda w: w.Bar.get_cutter(w.poly(AXIS), w.poly(cutter)))
    assert a == b and a[0] == "ok"
    assert type(Bar.get_cutter(OURS.poly(AXIS), OURS.poly(cutter))) is kind


@settings(max_examples=50, deadline=None)
@given(seed=st.integers(0, 100_000), n=st.integers(2, 9), distance=st.sampled_from([5, 18.0, 40]))
def test_random_cutters_and_cuts_match_the_plain_steps(seed, n, distance):
    rng = random.Random(seed)
    axis = AXIS if seed % 2 else [(0, 0), (30, 0), (30, 20), (60, 20)]
    cutters = [[(rng.uniform(-10, 70), rng.uniform(-10, 40)) for _ in range(n)] for _ in range(rng.randint(0, 3))]
    a, b = both(lambda w: [w.Bar.get_cutter(w.poly(axis), w.poly(c), distance) for c in cutters])
    assert a == b
    a, b = both(lambda w: w.Bar.break_by_polylines(w.poly(axis), [w.poly(c) for c in cutters], _distance=distance))
    assert a == b


def test_no_cutter_near_the_axis_gives_the_axis_itself():
    axis = OURS.poly(AXIS)
    assert Bar.break_by_polylines(axis, [OURS.poly([(80, 80), (90, 90)])]) is axis
    assert Bar.break_by_tuples(axis, []) == [axis]


def test_a_closed_axis_keeps_the_longer_remainder_at_the_first_pair():
    axis = OURS.poly(AXIS)
    pair = (Point(10, 0), Point(20, 0))
    (rest,) = Bar.break_by_tuples(axis, [pair])
    assert rest.length == pytest.approx(axis.length - 10)
    assert coords(rest.points)[0] == (20, 0) and coords(rest.points)[-1] == (10, 0)
    assert picture(Bar.get_remain(axis, pair)) == picture(rest)
    a, b = both(lambda w: w.Bar.break_by_tuples(w.poly(AXIS), [(w.Point(10, 0), w.Point(20, 0)),
                                                               (w.Point(50, 10), w.Point(50, 20))]))
    assert a == b


def test_an_open_axis_is_cut_at_the_first_pair_like_at_the_later_ones():
    axis = OURS.poly([(0, 0), (100, 0)])
    pieces = Bar.break_by_tuples(axis, [(Point(20, 0), Point(30, 0)), (Point(60, 0), Point(70, 0))])
    assert [coords(p.points) for p in pieces] == [[(0, 0), (20, 0)], [(30, 0), (60, 0)], [(70, 0), (100, 0)]]
    assert pieces[-1].points[-1] is axis.points[-1]


# ---------------------------------------------------------- shortening

def axes(world):
    return [world.poly([(0, 0), (10, 0)]), world.poly([(0, 5), (3, 5)]), world.poly([(0, 9), (0, 20), (6, 20)]),
            world.poly([(0, 30), (1, 30)])]


@pytest.mark.parametrize("current, goal", [(40, 30), (40, 39.5), (10, 10), (10, 12), (44, 14.0001)])
def test_shortened_axes_match_the_plain_steps(current, goal):
    a, b = both(lambda w: w.Bar.short_brs(axes(w), current, goal, 2))
    assert a == b and a[0] == "ok"


def test_shortening_keeps_short_axes_first_and_cuts_long_ones_at_their_start():
    given_axes = axes(OURS)
    bars = Bar.short_brs(given_axes, 40, 30, 2)
    assert bars[0].axis is given_axes[3]
    long_ones = [b.axis for b in bars[1:]]
    assert [round(a.length, 9) for a in long_ones] == [round(3 * (1 - 10 / 30), 9), round(10 * (1 - 10 / 30), 9),
                                                       round(17 * (1 - 10 / 30), 9)]
    assert all(b.diameter == 2 and b.radius == 1.0 for b in bars)
    assert sum(a.length for a in long_ones) == pytest.approx(30 - 10)


def test_nothing_to_take_off_shortens_nothing():
    given_axes = axes(OURS)
    bars = Bar.short_brs(given_axes, 30, 30, 2)
    assert [b.axis for b in bars] == [given_axes[3], given_axes[1], given_axes[0], given_axes[2]]


@pytest.mark.parametrize("current, goal, error, message", [
    (60, 20, ValueError, "not less than the total length"),
    (30, 0, ValueError, "not less than the total length"),
])
def test_taking_off_everything_is_refused(current, goal, error, message):
    with pytest.raises(error, match=message):
        Bar.short_brs(axes(OURS), current, goal, 2)


def test_no_axis_long_enough_divides_by_zero():
    with pytest.raises(ZeroDivisionError):
        Bar.short_brs(axes(OURS), 10, 8, 100)
