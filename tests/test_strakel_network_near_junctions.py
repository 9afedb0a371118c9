"""Walls to rooms where walls nearly meet: walls through a small disc rather
than one point, walls drawn more than once a hair apart, stacks of copies
split across the join, and plans far from the origin or finer than the join.
Every plan gives an answer, every room closes and encloses area, the rooms
cover what shapely's do, and no room is narrower than the join distance."""

import math
import random
import time

import pytest
from shapely.geometry import LineString
from shapely.ops import polygonize, unary_union

import Flatkin
from Flatkin import Point
from Polygon import Polygon
from Strakel import Segment, SegmentCollection

from test_strakel_network_plans import JOIN
from test_strakel_network_rooms import cut_plan, turned


def area_of(pts):
    """The area of a closed outline, taken from its first point: far from the
    origin the products of coordinates would drown it."""
    o = pts[0]
    return abs(sum((p.x - o.x) * (q.y - o.y) - (q.x - o.x) * (p.y - o.y) for p, q in zip(pts, pts[1:]))) / 2


def rooms(coords):
    """Each room's (area, perimeter), checked closed and enclosing area."""
    out = []
    for line in Polygon.get_polygons(SegmentCollection([Segment(Point(*a), Point(*b)) for a, b in coords])):
        pts = line.points
        assert abs(pts[0].x - pts[-1].x) <= 1e-6 and abs(pts[0].y - pts[-1].y) <= 1e-6
        area = area_of(pts)
        assert area > 0
        out.append((area, sum(p.distance_to_point(q) for p, q in zip(pts, pts[1:]))))
    return sorted(out)


def shapely_area(coords):
    return sum(p.area for p in polygonize(unary_union([LineString(c) for c in coords])))


def ring(rng, centre, n, radius):
    """A closed ring of n walls around `centre`, turned at random."""
    turn = rng.uniform(0, 2 * math.pi)
    at = [(centre[0] + radius * math.cos(turn + 2 * math.pi * k / n),
           centre[1] + radius * math.sin(turn + 2 * math.pi * k / n)) for k in range(n)]
    return [(at[k], at[(k + 1) % n]) for k in range(n)]


def disc_plan(rng, n, r, centre, fan):
    """n walls through a disc of radius r around `centre` (each running
    through it, or ending in it for a fan), closed by a ring that they cross."""
    walls = []
    for k in range(n):
        a = rng.uniform(0, 2 * math.pi) if fan else math.pi * (k + rng.uniform(0.1, 0.9)) / n
        ox = centre[0] + rng.uniform(-r, r)
        oy = centre[1] + rng.uniform(-r, r)
        far = (ox + 10 * math.cos(a), oy + 10 * math.sin(a))
        walls.append(((ox, oy), far) if fan else (far, (ox - 10 * math.cos(a), oy - 10 * math.sin(a))))
    return walls + ring(rng, centre, rng.randint(5, 40), 8.0)


# Centres: the origin, on and off the corners of the join cells and of the
# 3-decimal rounding, a metre plan far from the origin and near 2^40.
CENTRES = [(0.0, 0.0), (0.0005, -0.0005), (12.3455, 7.0004999), (1e6 + 0.25, -1e6), (2.0 ** 40 - 573, 2.0 ** 40 - 573)]


@pytest.mark.parametrize("centre", CENTRES)
@pytest.mark.parametrize("fan", [False, True], ids=["star", "fan"])
def test_walls_through_a_small_disc_give_rooms_covering_shapelys(centre, fan):
    rng = random.Random(hash((centre, fan)) % 1000)
    for run in range(8):
        n = rng.choice([3, 4, 5, 7, 12, 30, 60]) if run < 7 else 200
        r = rng.choice([0.0, 1e-5, 1e-4, 5e-4, 1e-3, 1e-2])
        walls = disc_plan(rng, n, r, centre, fan)
        got = rooms(walls)
        total = sum(a for a, _ in got)
        # Nodes near the disc move by about the join distance at most, each
        # turning the walls of up to 10 m that end there; far from the
        # origin the coordinates themselves are that coarse.
        slack = 1e-2 if abs(centre[0]) < 1e7 else 0.2
        assert total == pytest.approx(shapely_area(walls), abs=slack), (n, r, run)


def test_the_five_walls_of_the_report_through_a_millimetre_give_their_rooms():
    walls = [((10.001828, 0.001677), (-9.998172, -0.00045)), ((8.077122, 5.899207), (-8.07245, -5.898731)),
             ((3.024755, 9.531804), (-3.021833, -9.532266)), ((-3.091872, 9.510339), (3.094014, -9.508988)),
             ((-8.131338, 5.819121), (8.133981, -5.818722)), ((1.781667, 7.799923), (-4.986418, 6.255152)),
             ((-4.986418, 6.255152), (-7.9985, 0.0005))]
    got = rooms(walls)
    assert sum(a for a, _ in got) == pytest.approx(shapely_area(walls), abs=1e-3)


# ------------------------------------------------------------ doubled walls

SQUARE = [((0, 0), (6, 0)), ((6, 0), (6, 8)), ((6, 8), (0, 8)), ((0, 8), (0, 0))]


@pytest.mark.parametrize("copies", [
    [((5.9998, 2.8), (6.0001, 4.1)), ((6.0002, 2.7), (6.0001, 4.1))],
    [((5.9998, 2.8), (6.0001, 4.1)), ((6.0002, 2.7), (6.0001, 4.2))],
    [((5.9999, 2.8), (6.0001, 4.1)), ((6.0001, 2.7), (5.9999, 4.1))],
])
def test_copies_of_part_of_a_wall_a_hair_off_keep_the_walls_outline(copies):
    assert rooms(SQUARE + copies) == [(48.0, 28.0)]


def copy_of(rng, a, b, kind):
    """A copy of the wall a-b within the join distance of it: shifted
    parallel, turned a little, or a part of it: each end moved by less than
    the join distance."""
    d = JOIN * 0.49
    if kind == "parallel":
        off = (rng.uniform(-d, d), rng.uniform(-d, d))
        return ((a[0] + off[0], a[1] + off[1]), (b[0] + off[0], b[1] + off[1]))
    f, g = (0.0, 1.0) if kind == "turned" else sorted(rng.uniform(0.05, 0.95) for _ in range(2))
    at = lambda t: (a[0] + t * (b[0] - a[0]) + rng.uniform(-d, d), a[1] + t * (b[1] - a[1]) + rng.uniform(-d, d))
    return (at(f), at(g))


@pytest.mark.parametrize("kind", ["parallel", "turned", "part"])
@pytest.mark.parametrize("angle", [0.0, 0.6])
def test_walls_drawn_more_than_once_give_the_rooms_of_the_single_drawing(kind, angle):
    rng = random.Random(len(kind) * 7 + int(angle * 10))
    for run in range(6):
        plan, _ = cut_plan(rng, rng.uniform(8, 30), rng.uniform(8, 30), rng.randint(2, 5))
        plan = turned(plan, angle)
        doubled = list(plan)
        for a, b in rng.sample(plan, len(plan) // 2):
            doubled += [copy_of(rng, a, b, kind) for _ in range(rng.randint(1, 3))]
        rng.shuffle(doubled)
        want, got = rooms(plan), rooms(doubled)
        assert len(got) == len(want)
        for (ga, gp), (wa, wp) in zip(got, want):
            assert ga == pytest.approx(wa, abs=JOIN * wp)
            # No sliver: a room is on average wider than the join distance.
            assert 2 * ga / gp > JOIN


# ------------------------------------------------------------ stacks

@pytest.mark.parametrize("copies", [31, 32, 40])
def test_a_stack_of_copies_split_across_the_join_gives_the_square(copies):
    walls = [((0, 0), (4, 0)), ((4, 0), (4, 4)), ((4, 4), (0, 4))]
    for _ in range(copies):
        walls += [((0, 4), (0, 2.0002)), ((0, 1.9996), (0, 0))]
    assert rooms(walls) == [(16.0, 16.0)]


# ------------------------------------------------------------ fine plans and time

@pytest.mark.parametrize("extent", [1e-2, 1e-3])
def test_line_arrangements_finer_than_the_join_never_raise(extent):
    rng = random.Random(int(1 / extent))
    for _ in range(10):
        walls = [tuple((rng.uniform(0, extent), rng.uniform(0, extent)) for _ in range(2)) for _ in range(12)]
        for area, _ in rooms(walls):
            assert area > 0


@pytest.mark.parametrize("epsilon", [1e-6, 1e-4, 1e-3])
@pytest.mark.parametrize("r, centre", [(0.0, (0.0, 0.0)), (5e-4, (0.0, 0.0)), (5e-4, (2.0 ** 40 - 573, 2.0 ** 40 - 573))])
def test_a_thousand_walls_through_a_millimetre_take_well_under_two_seconds(monkeypatch, epsilon, r, centre):
    monkeypatch.setattr(Flatkin, "epsilon", epsilon)
    walls = disc_plan(random.Random(3), 1000, r, centre, False)
    t = time.perf_counter()
    c = SegmentCollection([Segment(Point(*a), Point(*b)) for a, b in walls])
    loops = c.get_polygons()
    # About 0.7 s on an idle machine; the bound leaves room for a busy one.
    assert time.perf_counter() - t < 3.0
    assert loops


def test_a_crowd_of_small_rooms_in_one_place_gives_shapelys_rooms():
    # Many small walls packed where a plan of long ones would put one cell
    # of its broad phase: they are paired on a grid of their own.
    rng = random.Random(5)
    plan, _ = cut_plan(rng, 80, 80, 8)
    small = [w for i in range(6) for j in range(6)
             for w in ring(rng, (-5 - 0.06 * i, 0.06 * j), 4, 0.02)]
    walls = plan + small
    rng.shuffle(walls)
    assert len(plan) > len(small) > 128
    got = [a for a, _ in rooms(walls)]
    want = sorted(p.area for p in polygonize(unary_union([LineString(c) for c in walls])))
    assert got == pytest.approx(want, rel=1e-9, abs=1e-12)
