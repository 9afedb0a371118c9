"""Closed outlines that cross themselves: below every collapse each edge is
moved on its own and met at its mitres, every lobe kept; past a collapse
there is no offset.  Outlines that only touch themselves are one region and
keep its offset."""

import math
import random

import pytest
import shapely

import pyref_offset_region
import pyref_strakel
from pyref_flatkin import Point as PlainPoint
from polyline_support import Twin, outcome, poly, xy

CROSSES = "The outline crosses itself, so it has no offset past the collapse of an edge."
PLACES = [pytest.param((0.0, 0.0), 1.0, id="origin"),
          pytest.param((512345678.0, 5612345678.0), 1000.0, id="utm-millimetres")]


def crossing_ring(rng):
    """A closed outline of 4 to 10 random corners that crosses itself."""
    while True:
        c = [(rng.uniform(-20, 20), rng.uniform(-20, 20)) for _ in range(rng.randint(4, 10))]
        if not shapely.LinearRing(c + [c[0]]).is_simple:
            return c + [c[0]]


def moved_edge_by_edge(coords, distance):
    """The plain steps with nothing dropped: every edge moved by its
    Segment.offset, neighbours met by Line.intersection_with_line, the first
    edge with the last for the corner that starts and ends the ring."""
    pts = [PlainPoint(x, y) for x, y in coords][::1 if distance >= 0 else -1]
    edges = [pyref_strakel.Segment(a, b).offset(abs(distance)) for a, b in zip(pts, pts[1:])]

    def meet(e, f):
        return pyref_strakel.Line.intersection_with_line(e.to_line(), f.to_line())

    w = meet(edges[0], edges[-1])
    return [(w.x, w.y)] + [xy([meet(e, f)])[0] for e, f in zip(edges, edges[1:])] + [(w.x, w.y)]


@pytest.mark.parametrize("origin, unit", PLACES)
@pytest.mark.parametrize("seed", range(30))
def test_outlines_that_cross_themselves_move_every_lobe_below_every_collapse_and_have_no_offset_past_one(
        origin, unit, seed):
    rng = random.Random(seed)
    coords = [(origin[0] + x * unit, origin[1] + y * unit) for x, y in crossing_ring(rng)]
    local = [(x - coords[0][0], y - coords[0][1]) for x, y in coords]
    assert pyref_offset_region.crosses_itself(local)
    shortest = min(math.dist(a, b) for a, b in zip(coords, coords[1:]))
    for ring in (coords, coords[::-1]):
        for sign in (1, -1):
            limit = min(poly(ring[::sign]).degenerate_distance().values())
            below = [1e-4 * min(shortest, limit), rng.uniform(0.01, 0.5) * min(shortest, limit)]
            for d in below + [0.999 * limit] * math.isfinite(limit):
                got = poly(ring).offset(sign * d)
                assert xy(got) == moved_edge_by_edge(ring, sign * d)  # bit for bit, wherever it stands
                assert got.points[0] is got.points[-1] and len(got.points) == len(ring)
                # Moved a little, it crosses where the outline does (a lobe
                # may shrink out of the crossing before an edge collapses).
                assert d != below[0] or not shapely.LinearRing(xy(got)).is_simple
            if math.isfinite(limit):
                for d in (1.001 * limit, 3 * limit):
                    assert outcome(poly(ring).offset, sign * d) == ("raises", ValueError, CROSSES)


def test_the_reported_ring_keeps_both_lobes():
    c = [(7.527102508110612, 1.8148278295347708), (-3.8423139842445053, -19.51341239887229),
         (-14.190494140434566, 10.71705390210477), (-8.422777743167575, -10.980699384381133)]
    ring = poly(c + [c[0]])
    got = ring.offset(0.3)
    assert xy(got) == moved_edge_by_edge(c + [c[0]], 0.3) and len(got.points) == 5
    lobes = sorted(g.area for g in shapely.get_parts(shapely.polygonize(shapely.get_parts(shapely.node(shapely.LinearRing(xy(got)))))))
    assert lobes == pytest.approx([33.70, 74.19], abs=0.01)
    with pytest.raises(ValueError, match=CROSSES):
        ring.offset(3.37)


def touching_ring(rng):
    """A counter-clockwise room with a diamond standing on its top side, one
    ring round both: it touches itself at the diamond's foot (or, now and
    then, at a corner of the room) and never crosses."""
    w, h = rng.randint(6, 20), rng.randint(6, 20)
    a = rng.randint(1, min(5, w // 2 - 1))
    x = rng.choice([rng.randint(a, w - a), w])  # on the side, or on the corner
    diamond = [(x, h), (x + a, h + a), (x, h + 2 * a), (x - a, h + a), (x, h)]
    pts = [(0, 0), (w, 0)] + ([(w, h)] if x < w else []) + diamond + [(0, h), (0, 0)]
    return [(float(px), float(py)) for px, py in pts]


@pytest.mark.parametrize("seed", range(12))
def test_outlines_that_only_touch_themselves_keep_the_offset_of_their_region(seed):
    rng = random.Random(seed)
    coords = touching_ring(rng)
    assert not pyref_offset_region.crosses_itself(coords)
    twin = Twin(coords)
    kinds = set()
    for distance in (0.2, 0.7, 2.0, 4.0, -0.2, -0.7, -2.0, -4.0):
        ours, plain = outcome(twin.ours.offset, distance), outcome(twin.plain.offset, distance)
        kinds.add(ours[2] if ours[0] == "raises" else len(ours[1].points))
        assert ours[0] == plain[0] and ours[1:] != (ValueError, CROSSES), (distance, ours, plain)
        if ours[0] == "raises":
            assert ours[1:] == plain[1:]
        else:
            assert len(ours[1].points) == len(plain[1].points)
            for p, q in zip(xy(ours[1]), xy(plain[1])):
                assert math.dist(p, q) <= 1e-9 * (1 + abs(distance)), (distance, ours, plain)
    assert len(kinds) > 1


def test_a_pinched_neck_still_splits():
    # Two rooms joined at one corner: shrunk, they fall apart there.
    coords = [(0, 0), (10, 0), (10, 10), (20, 10), (20, 20), (10, 20), (10, 10), (0, 10), (0, 0)]
    with pytest.raises(ValueError, match="The offset splits the outline into 2 parts."):
        poly(coords).offset(-1)
