"""Walks over rooms in a long row (a double-loaded corridor, a street closed
by walls along its edges) and over metre plans whose wall ends miss by a
millimetre: every room once, closed, with the area it has by construction."""

import math
import random
from itertools import accumulate

import pytest

from Flatkin import Point
from Strakel import Segment, SegmentCollection

from test_strakel_network_plans import assert_rooms, measure, rect
from test_strakel_network_rooms import turned


def corridor(rng, n):
    """n rooms 5 m deep each side of a corridor 2 m wide: walls and rooms."""
    m = 4.0 * n
    walls = [((0.0, y), (m, y)) for y in (-5.0, 0.0, 2.0, 7.0)] + [((0.0, -5.0), (0.0, 7.0)), ((m, -5.0), (m, 7.0))]
    rooms = [rect(0.0, 0.0, m, 2.0)]
    for y0, y1 in ((-5.0, 0.0), (2.0, 7.0)):
        xs = [0.0] + sorted(x / 100 for x in rng.sample(range(1, 400 * n), n - 1)) + [m]
        walls += [((x, y0), (x, y1)) for x in xs[1:-1]]
        rooms += [rect(a, y0, b, y1) for a, b in zip(xs, xs[1:])]
    return walls, rooms


def street(rng, n):
    """A street in n unit pieces, each crossed by two walls that end on the
    street's two edge walls: walls and rooms."""
    walls = [((0.0, y), (float(n), y)) for y in (-0.5, 0.5)] + [((x, -0.5), (x, 0.5)) for x in (0.0, float(n))]
    xs = sorted(k + rng.randint(lo, lo + 30) / 100 for k in range(n) for lo in (10, 60))
    walls += [((float(k), 0.0), (k + 1.0, 0.0)) for k in range(n)] + [((x, -0.5), (x, 0.5)) for x in xs]
    xs = [0.0] + xs + [float(n)]
    return walls, [rect(a, y, b, y + 0.5) for a, b in zip(xs, xs[1:]) for y in (-0.5, 0.0)]


@pytest.mark.parametrize("plan, rooms_per_step", [(corridor, 2), (street, 4)])
@pytest.mark.parametrize("about", [10, 75, 1_000, 10_000])
def test_rooms_in_a_row_give_every_room(plan, rooms_per_step, about):
    rng = random.Random(about)
    walls, rooms = plan(rng, about // rooms_per_step)
    rng.shuffle(walls)
    assert_rooms(walls if about == 10_000 else turned(walls, rng.uniform(-math.pi, math.pi)), rooms)


def outlines(coords):
    """The loops of get_polygons as outlines, each checked to run piece to
    piece (shared end points) back to its start, with an area."""
    out = []
    for loop in SegmentCollection([Segment(Point(*a), Point(*b)) for a, b in coords]).get_polygons():
        ends = [((s.start.x, s.start.y), (s.end.x, s.end.y)) for s in loop]
        at = next(p for p in ends[0] if p in ends[1 % len(ends)])
        pts = [ends[0][1] if at == ends[0][0] else ends[0][0], at]
        for e in ends[1:]:
            assert pts[-1] in e, ends
            pts.append(e[1] if e[0] == pts[-1] else e[0])
        assert pts[-1] == pts[0] and measure(pts)[0] > 0, ends
        out.append(pts)
    return out


@pytest.mark.parametrize("coords", [
    [((8.0002, 8.0), (9.0001, 8.0002)), ((8.9996, 7.9996), (10.0004, 8.0006)), ((8.9994, 8.0002), (8.9998, 8.9999)),
     ((9.0004, 8.9994), (9.9998, 8.9998)), ((9.0006, 8.9996), (8.9998, 9.9995)), ((8.9994, 9.9999), (10.0, 9.9999)),
     ((9.9994, 8.0006), (10.0002, 9.0001)), ((10.0001, 9.0003), (10.0002, 10.0001))],
    [((0.00059, -0.00698), (0.0, 0.0)), ((-0.00996, -0.00092), (0.0002, -0.00233)),
     ((-0.00577, -0.00049), (-0.00487, -0.00743)), ((-0.00653, -0.00055), (0.00013, -0.00158))]])
def test_walls_that_miss_by_a_millimetre_give_two_rooms(coords):
    assert len(outlines(coords)) == 2


def joined(a, b):
    """The join rule: within 5e-4 on both axes, or equal 3-decimal roundings."""
    return max(abs(a[0] - b[0]), abs(a[1] - b[1])) <= 5e-4 or [round(v, 3) for v in a] == [round(v, 3) for v in b]


def inside(p, poly):
    return sum((a[1] > p[1]) != (b[1] > p[1]) and p[0] < a[0] + (p[1] - a[1]) * (b[0] - a[0]) / (b[1] - a[1])
               for a, b in zip(poly, poly[1:])) % 2 == 1


def jittered_plan(rng):
    """A grid of rooms 2 to 6 m wide, each wall one side of a room, every
    wall end moved 0.1 to 1.2 mm (at some corners 0.1 to 0.2 mm): the walls,
    the grid lines, and the wall ends at each corner."""
    xs, ys = ([*accumulate((rng.randint(200, 600) / 100 for _ in range(rng.randint(1, 5))),
                           initial=rng.uniform(-50, 50))] for _ in range(2))
    most = {(i, j): rng.choice([2e-4, 1.2e-3]) for i in range(len(xs)) for j in range(len(ys))}
    sides = [((i, j), (i + 1, j)) for i in range(len(xs) - 1) for j in range(len(ys))]
    sides += [((i, j), (i, j + 1)) for i in range(len(xs)) for j in range(len(ys) - 1)]
    walls, ends = [], {}
    for side in sides:
        walls.append([])
        for i, j in side:
            r, a = rng.uniform(1e-4, most[i, j]), rng.uniform(0, 2 * math.pi)
            walls[-1].append((xs[i] + r * math.cos(a), ys[j] + r * math.sin(a)))
            ends.setdefault((i, j), []).append(walls[-1][-1])
    return walls, xs, ys, ends


def test_metre_plans_with_every_wall_end_moved_give_the_rooms_they_close():
    """Each room lies on the grid's cells (widened by the moves), no cell is
    in two rooms, and a cell whose corners have all their ends joined is a
    room of its own."""
    slack = 3e-3
    for seed in range(400):
        walls, xs, ys, ends = jittered_plan(random.Random(seed))
        cells = [(i, j) for i in range(len(xs) - 1) for j in range(len(ys) - 1)]
        owner = {}
        for k, pts in enumerate(outlines(walls)):
            assert all(min(abs(x - p[0]) for x in xs) <= slack or min(abs(y - p[1]) for y in ys) <= slack
                       for p in pts), seed
            mine = {c for c in cells if inside(((xs[c[0]] + xs[c[0] + 1]) / 2, (ys[c[1]] + ys[c[1] + 1]) / 2), pts)}
            cover = sum((xs[i + 1] - xs[i]) * (ys[j + 1] - ys[j]) for i, j in mine)
            area, perimeter = measure(pts)
            assert abs(area - cover) <= slack * perimeter and not owner.keys() & mine, seed
            owner.update((c, k) for c in mine)
        for i, j in cells:
            corners = ((i, j), (i + 1, j), (i, j + 1), (i + 1, j + 1))
            if all(joined(p, q) for c in corners for p in ends[c] for q in ends[c]):
                assert (i, j) in owner and list(owner.values()).count(owner[i, j]) == 1, seed


def test_sub_millimetre_soups_give_closed_rooms_or_the_walk_error():
    for seed in range(1500):
        rng = random.Random(seed)
        s = rng.choice([2e-3, 5e-3])
        coords = [((rng.uniform(-s, s), rng.uniform(-s, s)), (rng.uniform(-s, s), rng.uniform(-s, s)))
                  for _ in range(rng.randint(3, 10))]
        try:
            outlines(coords)
        except AssertionError:
            raise
        except Exception as e:
            assert type(e) is Exception and str(e) == "Walk does not close.", seed
