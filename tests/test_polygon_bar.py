"""Bars: built from an axis or between parallel and curved rails, cut where
other polylines come near and shortened to a goal length, against the plain
reference bit for bit, with the repaired cases."""

import inspect
import math
import pickle
import random

import pytest
import shapely.geometry as sg
from hypothesis import given, settings, strategies as st

from Flatkin import Point
from Polygon import Bar

from polygon_support import OURS, PLAIN, coords, picture, rect, same_both
from polyline_support import outcome


def arc(cx, cy, r, a0, a1, n):
    return [(cx + r * math.cos(a0 + (a1 - a0) * k / n), cy + r * math.sin(a0 + (a1 - a0) * k / n)) for k in range(n + 1)]


AXES = {"straight": [(0, 0), (40, 0)], "corner": [(0, 0), (30, 0), (30, 20)],
        "zigzag": [(0, 0), (10, 5), (20, 0), (30, 5)], "curve": arc(0, 0, 20, 0, 2, 12)}
RAILS = {"parallel": ([(0, 0), (30, 0), (30, 20)], [(0, 3), (27, 3), (27, 20)]),
         "curved": (arc(0, 0, 20, 0, 1.5, 10), arc(0, 0, 23, 0, 1.5, 10)),
         "collinear": ([(0, 0), (10, 0)], [(0, 0), (10, 0)])}


def build(world, key, diameter):
    if key in AXES:
        return world.Bar(axis=world.poly(AXES[key]), diameter=diameter)
    return world.Bar(*map(world.poly, RAILS[key]), diameter=diameter)


@pytest.mark.parametrize("key, diameter", [(k, d) for k in AXES for d in (4, 2.5, -3)] +
                         [(k, d) for k in RAILS for d in (None, 1, 99)])
def test_bars_around_an_axis_and_between_rails_match_the_plain_steps(key, diameter):
    assert same_both(lambda w: build(w, key, diameter))[0] == "ok"
    bar = build(OURS, key, diameter)
    assert bar.radius == bar.diameter / 2.0 and bar.area == build(PLAIN, key, diameter).area
    if key in AXES:
        assert bar.diameter == diameter and bar.geo.is_closed() and bar.area == bar.geo.area
        return
    # The width is measured at the first rail's start, to the line of the
    # second rail's nearest segment (a chord, a little inside the arc).
    low, high = {"parallel": (3.0, 3.0), "curved": (2.95, 3.0), "collinear": (0.0, 0.0)}[key]
    assert low - 1e-12 <= bar.diameter <= high + 1e-12
    mid = [(a + b) / 2 for p, q in zip(coords(bar.rail1.points), coords(bar.rail2.points)) for a, b in zip(p, q)]
    assert [c for p in coords(bar.axis.points) for c in p] == pytest.approx(mid)


def test_a_ring_bar_yields_its_rails_once_and_measures_the_ring():
    bar = Bar(axis=OURS.poly(rect(0, 0, 20, 10)), diameter=2)
    ring = sg.Polygon(coords(bar.rail2.points)).area - sg.Polygon(coords(bar.rail1.points)).area
    assert bar.area == pytest.approx(abs(ring)) == 120
    assert bar.area == PLAIN.Bar(axis=PLAIN.poly(rect(0, 0, 20, 10)), diameter=2).area
    assert inspect.isgenerator(bar.geo)
    with pytest.raises(TypeError):
        pickle.dumps(bar)
    assert list(bar.geo) == [bar.rail1, bar.rail2] and list(bar.geo) == []


@pytest.mark.parametrize("call, error, message", [
    (lambda: Bar(), Exception, "Invalid input for Bar construction"),
    (lambda: Bar(diameter=0, axis="axis"), Exception, "Invalid input for Bar construction"),
    (lambda: Bar(axis=None, diameter=3), Exception, "Invalid input for Bar construction"),
    (lambda: Bar(OURS.poly([(0, 0), (10, 0)]), OURS.poly([(0, 3), (5, 3), (10, 3)])), ValueError,
     "Polyline objects must have the same number of points."),
    (lambda: Bar.short_brs(axes(OURS), 60, 20, 2), ValueError, "not less than the total length"),
    (lambda: Bar.short_brs(axes(OURS), 30, 0, 2), ValueError, "not less than the total length"),
    (lambda: Bar.short_brs(axes(OURS), 10, 8, 100), ZeroDivisionError, None),  # no axis long enough
])
def test_refusals(call, error, message):
    with pytest.raises(error, match=message):
        call()


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
    assert same_both(lambda w: w.Bar.get_cutter(w.poly(AXIS), w.poly(cutter)))[0] == "ok"
    assert type(Bar.get_cutter(OURS.poly(AXIS), OURS.poly(cutter))) is kind


@settings(max_examples=50, deadline=None)
@given(seed=st.integers(0, 100_000), n=st.integers(2, 9), distance=st.sampled_from([5, 18.0, 40]))
def test_random_cutters_and_cuts_match_the_plain_steps(seed, n, distance):
    rng = random.Random(seed)
    axis = AXIS if seed % 2 else [(0, 0), (30, 0), (30, 20), (60, 20)]
    cutters = [[(rng.uniform(-10, 70), rng.uniform(-10, 40)) for _ in range(n)] for _ in range(rng.randint(0, 3))]
    same_both(lambda w: [w.Bar.get_cutter(w.poly(axis), w.poly(c), distance) for c in cutters])
    same_both(lambda w: w.Bar.break_by_polylines(w.poly(axis), [w.poly(c) for c in cutters], _distance=distance))


def test_cuts_of_closed_and_open_axes():
    axis = OURS.poly(AXIS)
    assert Bar.break_by_polylines(axis, [OURS.poly([(80, 80), (90, 90)])]) is axis
    assert Bar.break_by_tuples(axis, []) == [axis]
    # A closed axis keeps the longer remainder at the first pair.
    pair = (Point(10, 0), Point(20, 0))
    (rest,) = Bar.break_by_tuples(axis, [pair])
    assert rest.length == pytest.approx(axis.length - 10)
    assert coords([rest.points[0], rest.points[-1]]) == [(20, 0), (10, 0)]
    assert picture(Bar.get_remain(axis, pair)) == picture(rest)
    same_both(lambda w: w.Bar.break_by_tuples(w.poly(AXIS), [(w.Point(10, 0), w.Point(20, 0)),
                                                             (w.Point(50, 10), w.Point(50, 20))]))
    # An open axis is cut at the first pair like at the later ones.
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
    assert same_both(lambda w: w.Bar.short_brs(axes(w), current, goal, 2))[0] == "ok"
    given_axes = axes(OURS)
    bars = Bar.short_brs(given_axes, current, goal, 2)
    assert bars[0].axis is given_axes[3]  # short axes come first, untouched
    if current <= goal:  # nothing to take off shortens nothing
        assert [b.axis for b in bars] == [given_axes[i] for i in (3, 1, 0, 2)]


@pytest.mark.parametrize("seed", range(40))
def test_a_bar_between_rails_running_the_same_way_is_the_strip_between_them(seed):
    rng = random.Random(seed)
    xs = sorted(rng.sample(range(0, 200), rng.randint(2, 8)))
    low = [(float(x), rng.uniform(-20, 20)) for x in xs]
    high = [(x, y + rng.uniform(1, 15)) for x, y in low]
    strip = sum((x1 - x0) * ((b0 - a0) + (b1 - a1)) / 2  # trapezoids between the rails
                for (x0, a0), (x1, a1), (_, b0), (_, b1) in zip(low, low[1:], high, high[1:]))
    for rail1, rail2 in ((low, high), (high, low)):
        given2 = OURS.poly(rail2)
        points2 = given2.points
        bar = Bar(rail1=OURS.poly(rail1), rail2=given2)
        outline = sg.Polygon(coords(bar.geo.points))
        assert outline.is_valid and bar.area == pytest.approx(outline.area) == pytest.approx(strip)
        assert given2.points is points2 and coords(points2) == rail2  # the caller's rail as it was
        assert [v for p in coords(bar.axis.points) for v in p] == pytest.approx(
            [v for (a, b), (c, d) in zip(rail1, rail2) for v in ((a + c) / 2, (b + d) / 2)])
        assert same_both(lambda w: w.Bar(rail1=w.poly(rail1), rail2=w.poly(rail2)))[0] == "ok"
        backwards = Bar(rail1=OURS.poly(rail1), rail2=OURS.poly(rail2[::-1]))  # as before: lofted as given
        assert coords(backwards.geo.points) == coords(bar.geo.points)


# ------------------------------------------------------------- strips

def strip_axes():
    """Seeded simple axes with a width at which their strip overlaps itself
    away from a corner: wider than the gap between two edges that do not
    meet; on every other one no edge of a rail collapses."""
    for seed in range(600):
        rng = random.Random(seed)
        axis = [(rng.uniform(0, 100), rng.uniform(0, 100)) for _ in range(rng.randint(3, 7))]
        edges = [sg.LineString(axis[i:i + 2]) for i in range(len(axis) - 1)]
        gaps = [a.distance(b) for i, a in enumerate(edges) for b in edges[i + 2:]]
        if not gaps or not sg.LineString(axis).is_simple:
            continue
        widest = 2 * min(min(OURS.poly(a).degenerate_distance().values()) for a in (axis, axis[::-1]))
        low, high = 1.05 * min(gaps), 2 * min(gaps)
        if seed % 2:
            high = min(high, 0.999 * widest)
        if low < high:
            yield seed, axis, rng.uniform(low, high) * rng.choice((1, -1))


@pytest.mark.parametrize("seed, axis, diameter", list(strip_axes())[::2])
def test_a_bar_round_an_open_axis_is_its_strip(seed, axis, diameter):
    half = abs(diameter) / 2
    limits = [OURS.poly(a).degenerate_distance().values() for a in (axis, axis[::-1])]
    collapses = min(min(side) for side in limits) <= half
    refused = [outcome(OURS.poly(axis).offset, d)[0] == "raises" for d in (diameter / 2, -diameter / 2)]
    got = outcome(lambda: Bar(axis=OURS.poly(axis), diameter=diameter))
    plain = outcome(lambda: PLAIN.Bar(axis=PLAIN.poly(axis), diameter=diameter))
    assert got[0] == plain[0] and got[1:] == plain[1:] if got[0] == "raises" else len(got[1].geo.points) == len(
        plain[1].geo.points)
    # shapely's flat-ended mitred buffer is the strip while nothing collapses
    # (past that it first drops the vertices of edges shorter than about
    # half the width); then the plain steps are, but for a rail that refuses.
    expected = sg.Polygon(coords(plain[1].geo.points)) if collapses and got[0] == "ok" and not any(
        refused) else sg.LineString(axis).buffer(half, cap_style="flat", join_style="mitre", mitre_limit=1e12)
    holes = [h for h in getattr(expected, "interiors", []) if sg.Polygon(h).area > 1e-9 * expected.area]
    if got[0] == "raises" and got[2].startswith("The bar's rail has no edge left"):
        assert got[1] is ValueError and any(refused) and any(max(side) < half for side in limits)
        return
    if got[0] == "raises":
        assert got[1] is ValueError and got[2].startswith("The bar's strip")
        assert collapses or got[2].startswith(f"The bar's strip closes round {len(holes)} ")
        return
    assert not holes and expected.geom_type == "Polygon"
    bar = got[1]
    for name, refuses in zip(("rail1", "rail2"), refused):
        if refuses:  # the axis's edges moved one by one, those that collapse dropped
            assert picture(getattr(bar, name)) == picture(getattr(plain[1], name))
    ring = sg.LinearRing(coords(bar.geo.points))
    assert ring.is_simple and ring.is_ccw and bar.geo.points[0] is bar.geo.points[-1]
    outline = sg.Polygon(ring)
    assert outline.area == pytest.approx(expected.area, rel=1e-9)
    assert outline.symmetric_difference(expected).area <= 1e-9 * expected.area
    assert all(math.dist(p, q) <= 1e-7 for p, q in zip(coords(bar.geo.points), coords(plain[1].geo.points)))


def test_strips_that_loft_their_rails_and_strips_built_anew():
    cases = list(strip_axes())
    lofted = [coords(b.geo.points[:-1]) == coords(b.rail1.points + b.rail2.points)
              for b in (outcome(lambda: Bar(axis=OURS.poly(a), diameter=d))[-1] for _, a, d in cases) if
              isinstance(b, Bar)]
    assert 0 < sum(lofted) < len(lofted)  # both kinds among the seeded axes
    # The axis's end passes its start within the width, and the strip is
    # still the lofted rails.
    axis = OURS.poly([(29.890132258530997, 117.77899994063887), (69.01786897840721, 36.33615076159876),
                      (133.2874976700682, 15.675711402026746), (112.21471310530177, 114.80525247532869),
                      (6.342410170936901, 125.22886075330875)])
    bar = Bar(axis=axis, diameter=5.484181369790553)
    expected = sg.LineString(coords(axis.points)).buffer(5.484181369790553 / 2, cap_style="flat", join_style="mitre",
                                                         mitre_limit=1e12)
    assert bar.geo.points[:-1] == bar.rail1.points + bar.rail2.points
    assert bar.area == pytest.approx(expected.area, rel=1e-9)
    # A last edge shorter than the corner of the one before reaches past the
    # turn: the rails still cross there, and cut that corner off.
    axis = OURS.poly([(0, 0), (10, 0), (10.5, -math.sqrt(3) / 2)])
    for diameter in (3, -3):
        bar = Bar(axis=axis, diameter=diameter)
        assert bar.geo.points[:-1] == bar.rail1.points + bar.rail2.points and bar.area == pytest.approx(33.0)
    # Round a U whose arms are nearer than the width, the inner rail's
    # offset refuses; its edges moved one by one run back along the end.
    u = [(0, 0), (10, 0), (10, 3), (0, 3)]
    for diameter in (3.2, -3.2):
        bar = Bar(axis=OURS.poly(u), diameter=diameter)
        inner = bar.rail2 if diameter > 0 else bar.rail1
        assert coords(inner.points) == [(0, 1.4), (0, 1.6)] and bar.area == pytest.approx(11.6 * 6.2, rel=1e-12)
    # An axis round three sides of a square and back near its start.
    with pytest.raises(ValueError, match=r"^The bar's strip closes round 1 hole: its axis comes back within the "
                                         r"bar's width of itself\.$"):
        Bar(axis=OURS.poly([(0, 0), (10, 0), (10, 10), (0, 10), (0, 0.5)]), diameter=2)


@pytest.mark.parametrize("axis, diameter, error, message", [
    # Every edge of the inner side collapses: no rail to move.
    ([(0, 0), (10, 0), (10, 3), (0, 3)], 30, ValueError,
     r"^The bar's rail has no edge left: every edge of its axis collapses within half the bar's width\.$"),
    # No strip to measure, or a closed axis: the offset's refusal stands.
    ([(0, 0), (10, 0), (10, 3), (0, 3)], math.nan, IndexError, r"^The offset distance collapses the outline\.$"),
    (rect(0, 0, 10, 10), 30, IndexError, r"^The offset distance collapses the outline\.$"),
])
def test_bars_whose_rails_cannot_be_made(axis, diameter, error, message):
    with pytest.raises(error, match=message):
        Bar(axis=OURS.poly(axis), diameter=diameter)
    assert same_both(lambda w: w.Bar(axis=w.poly(axis), diameter=diameter))[0] == "raises"
