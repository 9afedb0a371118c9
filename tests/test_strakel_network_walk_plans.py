"""Walks over plans that stress how loops are found: rooms in a long row (a
double-loaded corridor, a street closed by walls along its edges) and metre
plans whose wall ends miss each other by a millimetre or so.  Every room
comes back once, closed, with the area it has by construction."""

import math
import random

import pytest

from Flatkin import Point
from Polygon import Polygon
from Strakel import Segment, SegmentCollection

from test_strakel_network_plans import measure
from test_strakel_network_rooms import turned


def loops_of(coords):
    """The rooms Polygon.get_polygons finds, as lists of (x, y), each closed."""
    out = []
    for line in Polygon.get_polygons(SegmentCollection([Segment(Point(*a), Point(*b)) for a, b in coords])):
        pts = [(p.x, p.y) for p in line.points]
        assert len(pts) >= 4 and math.dist(pts[0], pts[-1]) <= 1e-9, pts
        out.append(pts)
    return out


def assert_room_areas(coords, want):
    """The rooms found have the areas of the rooms in want (outlines), matched
    in area order, each within 1e-9 relative plus 2e-6 times its perimeter."""
    got = sorted(measure(pts)[0] for pts in loops_of(coords))
    want = sorted(measure(w) for w in want)
    assert len(got) == len(want)
    for g, (area, perimeter) in zip(got, want):
        assert abs(g - area) <= 1e-9 * area + 2e-6 * perimeter, (g, area)


def outline(x0, y0, x1, y1):
    return [(x0, y0), (x1, y0), (x1, y1), (x0, y1), (x0, y0)]


def corridor(rng, n):
    """n rooms 5 m deep on each side of a corridor 2 m wide, partitions at
    random to the centimetre: the walls and the rooms."""
    m = 4.0 * n
    walls = [((0.0, y), (m, y)) for y in (-5.0, 0.0, 2.0, 7.0)] + [((0.0, -5.0), (0.0, 7.0)), ((m, -5.0), (m, 7.0))]
    rooms = [outline(0.0, 0.0, m, 2.0)]
    for y0, y1 in ((-5.0, 0.0), (2.0, 7.0)):
        xs = sorted(x / 100 for x in rng.sample(range(1, 400 * n), n - 1))
        walls += [((x, y0), (x, y1)) for x in xs]
        edges = [0.0] + xs + [m]
        rooms += [outline(a, y0, b, y1) for a, b in zip(edges, edges[1:])]
    return walls, rooms


def street(rng, n):
    """A street along y = 0 drawn in n unit pieces, each crossed by two cross
    walls that end on two walls along its edges: the walls and the rooms."""
    walls = [((0.0, -0.5), (float(n), -0.5)), ((0.0, 0.5), (float(n), 0.5)),
             ((0.0, -0.5), (0.0, 0.5)), ((float(n), -0.5), (float(n), 0.5))]
    xs = []
    for k in range(n):
        walls.append(((float(k), 0.0), (k + 1.0, 0.0)))
        for lo, hi in ((10, 40), (60, 90)):
            xs.append(k + rng.randint(lo, hi) / 100)
            walls.append(((xs[-1], -0.5), (xs[-1], 0.5)))
    edges = [0.0] + xs + [float(n)]
    rooms = [outline(a, y0, b, y0 + 0.5) for a, b in zip(edges, edges[1:]) for y0 in (-0.5, 0.0)]
    return walls, rooms


@pytest.mark.parametrize("plan, rooms_per_step", [(corridor, 2), (street, 4)])
@pytest.mark.parametrize("about", [10, 75, 1_000, 10_000])
def test_rooms_in_a_row_give_every_room(plan, rooms_per_step, about):
    rng = random.Random(about)
    walls, rooms = plan(rng, about // rooms_per_step)
    rng.shuffle(walls)
    if about < 10_000:
        angle = rng.uniform(-math.pi, math.pi)
        walls, rooms = turned(walls, angle), [[p for p, _ in turned([(q, q) for q in r], angle)] for r in rooms]
    assert_room_areas(walls, rooms)
