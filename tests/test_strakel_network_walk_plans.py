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


# ------------------------------------------------------------ sloppy joints

JOIN = 5e-4


def joined(a, b):
    """The join rule: within JOIN on both axes, or equal 3-decimal roundings."""
    return (abs(a[0] - b[0]) <= JOIN and abs(a[1] - b[1]) <= JOIN) or (round(a[0], 3), round(a[1], 3)) == (
        round(b[0], 3), round(b[1], 3))


def collection(coords):
    return SegmentCollection([Segment(Point(*a), Point(*b)) for a, b in coords])


def outlines(loops):
    """Loops of SegmentCollection.get_polygons as outlines, each checked to
    run piece to piece (shared end points) back to its start, with area."""
    out = []
    for loop in loops:
        ends = [((s.start.x, s.start.y), (s.end.x, s.end.y)) for s in loop]
        at = next(p for p in ends[0] if p in ends[1 % len(ends)])
        pts = [ends[0][1] if at == ends[0][0] else ends[0][0], at]
        for e in ends[1:]:
            assert pts[-1] in e, ends
            pts.append(e[1] if e[0] == pts[-1] else e[0])
        assert pts[-1] == pts[0] and measure(pts)[0] > 0, ends
        out.append(pts)
    return out


def inside(p, poly):
    return sum((a[1] > p[1]) != (b[1] > p[1]) and p[0] < a[0] + (p[1] - a[1]) * (b[0] - a[0]) / (b[1] - a[1])
               for a, b in zip(poly, poly[1:])) % 2 == 1


def jittered_plan(rng):
    """A metre grid of rooms 2 to 6 m wide, every wall one side of a room,
    every wall end moved 0.1 to 1.2 mm: the walls, the grid lines, and which
    corners have all their wall ends joined."""
    def lines(n, at):
        out = [at]
        for _ in range(n):
            out.append(out[-1] + rng.randint(200, 600) / 100)
        return out
    xs, ys = lines(rng.randint(1, 5), rng.uniform(-50, 50)), lines(rng.randint(1, 5), rng.uniform(-50, 50))

    def moved(p):
        r, a = rng.uniform(1e-4, 1.2e-3), rng.uniform(0, 2 * math.pi)
        return (p[0] + r * math.cos(a), p[1] + r * math.sin(a))
    walls, ends = [], {}
    sides = [((i, j), (i + 1, j)) for i in range(len(xs) - 1) for j in range(len(ys))]
    sides += [((i, j), (i, j + 1)) for i in range(len(xs)) for j in range(len(ys) - 1)]
    for c in sides:
        wall = tuple(moved((xs[i], ys[j])) for i, j in c)
        walls.append(wall)
        for k, p in zip(c, wall):
            ends.setdefault(k, []).append(p)
    rng.shuffle(walls)
    return walls, xs, ys, {k: all(joined(p, q) for p in v for q in v) for k, v in ends.items()}


sloppy = pytest.mark.xfail(reason="crossings joined off a wall's line must be cut in their order along it", strict=False)


@sloppy
@pytest.mark.parametrize("coords", [
    [((8.0002, 8.0), (9.0001, 8.0002)), ((8.9996, 7.9996), (10.0004, 8.0006)), ((8.9994, 8.0002), (8.9998, 8.9999)),
     ((9.0004, 8.9994), (9.9998, 8.9998)), ((9.0006, 8.9996), (8.9998, 9.9995)), ((8.9994, 9.9999), (10.0, 9.9999)),
     ((9.9994, 8.0006), (10.0002, 9.0001)), ((10.0001, 9.0003), (10.0002, 10.0001))],
    [((0.00059, -0.00698), (0.0, 0.0)), ((-0.00996, -0.00092), (0.0002, -0.00233)),
     ((-0.00577, -0.00049), (-0.00487, -0.00743)), ((-0.00653, -0.00055), (0.00013, -0.00158))]])
def test_walls_that_miss_by_a_millimetre_give_two_rooms(coords):
    assert len(outlines(collection(coords).get_polygons())) == 2


@sloppy
def test_metre_plans_with_every_wall_end_moved_give_the_rooms_they_close():
    slack = 3e-3  # a wall end moved, and a corner joined within the join distance
    for seed in range(120):
        walls, xs, ys, good = jittered_plan(random.Random(seed))
        cells = {(i, j): ((xs[i] + xs[i + 1]) / 2, (ys[j] + ys[j + 1]) / 2)
                 for i in range(len(xs) - 1) for j in range(len(ys) - 1)}
        owner = {}
        for k, pts in enumerate(outlines(collection(walls).get_polygons())):
            assert all(min(min(abs(x - p[0]) for x in xs), min(abs(y - p[1]) for y in ys)) <= slack for p in pts)
            mine = [c for c, centre in cells.items() if inside(centre, pts)]
            area, perimeter = measure(pts)
            cover = sum((xs[i + 1] - xs[i]) * (ys[j + 1] - ys[j]) for i, j in mine)
            assert abs(area - cover) <= slack * perimeter and not owner.keys() & set(mine), seed
            owner.update((c, k) for c in mine)
        for i, j in cells:
            if all(good[i + a, j + b] for a in (0, 1) for b in (0, 1)):
                assert (i, j) in owner and list(owner.values()).count(owner[i, j]) == 1, seed


def test_sub_millimetre_soups_give_closed_rooms_or_the_walk_error():
    for seed in range(1500):
        rng = random.Random(seed)
        s = rng.choice([2e-3, 5e-3])
        coords = [((rng.uniform(-s, s), rng.uniform(-s, s)), (rng.uniform(-s, s), rng.uniform(-s, s)))
                  for _ in range(rng.randint(3, 10))]
        try:
            loops = collection(coords).get_polygons()
        except Exception as e:
            assert type(e) is Exception and str(e) == "Walk does not close.", seed
        else:
            outlines(loops)
