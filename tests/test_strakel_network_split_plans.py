"""The split of walls into rooms where many crossings gather: many walls
through one point (a star, or a fan of walls ending there), partitions that
run far past the plan, walls drawn in pieces shorter than the join distance
and many copies of one wall.  Every room comes back once, closed, with the
area it has by construction."""

import math
import random
import time

import pytest

from test_strakel_network_plans import JOIN, assert_rooms, measure, rect
from test_strakel_network_rooms import turned


def ray_hits_chord(angle, p, q):
    """Where the ray from the origin at `angle` crosses the line p-q."""
    d = (math.cos(angle), math.sin(angle))
    e = (q[0] - p[0], q[1] - p[1])
    t = (p[0] * e[1] - p[1] * e[0]) / (d[0] * e[1] - d[1] * e[0])
    return (t * d[0], t * d[1])


def radial_plan(n, fan, rng):
    """n walls through the origin (a star: each runs through; a fan: each ends
    there) inside a ring with one corner between two neighbouring walls: the
    walls and each room's (area, perimeter)."""
    rays = 2 * n if not fan else n
    turn = rng.uniform(0, 2 * math.pi / rays)
    step = 2 * math.pi / rays
    angles = [turn + k * step + rng.uniform(-0.2, 0.2) * step for k in range(rays)]
    corners = [(8 * math.cos(a + step / 2), 8 * math.sin(a + step / 2)) for a in angles]
    walls = []
    for k in range(n):
        far = (10 * math.cos(angles[k]), 10 * math.sin(angles[k]))
        walls.append((far, (0.0, 0.0) if fan else (-far[0], -far[1])))
    if not fan:  # the walls' other halves are rays too
        angles = [angles[k] if k < n else math.atan2(-walls[k - n][0][1], -walls[k - n][0][0]) for k in range(rays)]
        corners = [(8 * math.cos(a + step / 2), 8 * math.sin(a + step / 2)) for a in angles]
    walls += [(corners[k], corners[(k + 1) % rays]) for k in range(rays)]
    want = []
    for k in range(rays):
        a, b = angles[k], angles[(k + 1) % rays]
        c = corners[k]
        pa = ray_hits_chord(a, corners[k - 1], c)
        pb = ray_hits_chord(b, c, corners[(k + 1) % rays])
        want.append(measure([(0.0, 0.0), pa, c, pb, (0.0, 0.0)]))
    return walls, want


def moved(coords, angle, by):
    return [((a[0] + by[0], a[1] + by[1]), (b[0] + by[0], b[1] + by[1])) for a, b in turned(coords, angle)]


@pytest.mark.parametrize("n, runs", [(3, 6), (4, 6), (7, 6), (40, 4), (200, 2)])
@pytest.mark.parametrize("fan", [False, True], ids=["star", "fan"])
def test_walls_through_one_point_give_every_room(n, runs, fan):
    rng = random.Random(n * 31 + fan)
    for run in range(runs):
        walls, want = radial_plan(n, fan, rng)
        if run % 2:
            walls = moved(walls, rng.uniform(-math.pi, math.pi), (rng.uniform(-1e3, 1e3), rng.uniform(-1e3, 1e3)))
        assert_rooms(walls, want)


@pytest.mark.parametrize("fan", [False, True], ids=["star", "fan"])
def test_a_thousand_walls_through_one_point_take_about_a_second(fan):
    walls, want = radial_plan(1000, fan, random.Random(7))
    walls = moved(walls, 0.3, (12.5, -7.25))
    t = time.perf_counter()
    assert_rooms(walls, want)
    # Far below what comparing every pair of crossings at the centre costs.
    assert time.perf_counter() - t < 10


@pytest.mark.parametrize("angle", [0.0, math.pi / 2, 0.7])
def test_partitions_running_far_past_the_plan_cut_it_where_they_cross_it(angle):
    rng = random.Random(int(angle * 100))
    box = [((0, 0), (4, 0)), ((4, 0), (4, 4)), ((4, 4), (0, 4)), ((0, 4), (0, 0))]
    for exponent in range(3, 13):
        past = 10.0 ** exponent * rng.uniform(1, 2)
        x = rng.uniform(0.5, 3.5)
        wall = ((x, -rng.uniform(0.5, 2)), (x, 4 + past))
        if rng.random() < 0.5:
            wall = wall[::-1]
        walls = box + [wall]
        want = [rect(0, 0, x, 4), rect(x, 0, 4, 4)]
        if angle and exponent > 10 and wall[0][1] > 4:
            continue  # the slope form of a crossing, from a start 1e11 away, is off by 1e-5
        assert_rooms(turned(walls, angle, (2, 2)), want)
        # A second partition across it, as long when the plan is not turned
        # (two turned walls that long cross where doubles at 1e12 put them).
        y = rng.uniform(0.5, 3.5)
        walls.append(((-rng.uniform(0.5, 2), y), (4 + (past if angle == 0 else 1), y)))
        want = [rect(0, 0, x, y), rect(x, 0, 4, y), rect(0, y, x, 4), rect(x, y, 4, 4)]
        assert_rooms(turned(walls, angle, (2, 2)), want)


# ------------------------------------------------------------ walls in short pieces

def in_short_pieces(rng, a, b, where, lo, hi):
    """The wall a-b in pieces: those at its end, in its middle or all of it
    from lo to hi long, the rest long, with gaps of up to a third of the
    join distance between them; each piece either way round."""
    length = math.dist(a, b)
    u = ((b[0] - a[0]) / length, (b[1] - a[1]) / length)
    cuts, s = [], 0.0
    short_from, short_to = {"end": (length - 12 * hi, length), "middle": (length / 2, length / 2 + 12 * hi),
                            "throughout": (0.0, length)}[where]
    while s < length:
        if short_from <= s < short_to:
            size = rng.uniform(lo, hi)
        else:  # a long piece, up to where the short ones begin
            size = rng.uniform(0.1, 0.3) * length
            size = min(size, short_from - s) if s < short_from else size
        gap = rng.choice([0.0, rng.uniform(0, JOIN / 3)])
        cuts.append((s, min(s + size, length)))
        s += size + gap
    at = lambda t: (a[0] + t * u[0], a[1] + t * u[1])
    pieces = [(at(s), at(e)) if rng.random() < 0.5 else (at(e), at(s)) for s, e in cuts]
    rng.shuffle(pieces)
    return pieces



@pytest.mark.parametrize("where", ["end", "middle", "throughout"])
def test_walls_drawn_in_pieces_shorter_than_the_join_distance_give_the_rooms_of_the_wall(where):
    rng = random.Random(where)
    for run in range(6):
        lo, hi = [(1e-5, 4e-5), (1e-4, 4e-4), (1e-5, 4e-4)][run % 3]
        w, h = (0.03, 0.02) if where == "throughout" and lo < 1e-4 else (0.6, 0.4)
        x = w * rng.uniform(0.3, 0.7)
        box = [((0, 0), (w, 0)), ((w, 0), (w, h)), ((w, h), (0, h)), ((0, h), (0, 0))]
        partition = ((x, 0), (x, h)) if run % 2 else ((x, h), (x, 0))
        want = [rect(0, 0, x, h), rect(x, 0, w, h)]
        angle, by = rng.choice([0.0, rng.uniform(-math.pi, math.pi)]), (rng.uniform(-50, 50), 3.0)
        # The partition in pieces, then the bottom wall (an outer wall).
        walls = box + in_short_pieces(rng, *partition, where, lo, hi)
        assert_rooms(moved(walls, angle, by), want)
        walls = box[1:] + [partition] + in_short_pieces(rng, *box[0], where, lo, hi)
        assert_rooms(moved(walls, angle, by), want)


def test_the_walls_of_the_report_drawn_in_short_pieces():
    box = [((0, 0), (4, 0)), ((4, 0), (4, 4)), ((4, 4), (0, 4)), ((0, 4), (0, 0))]
    partition = [((2, 0), (2, 3.9994)), ((2, 3.9994), (2, 3.9997)), ((2, 3.9997), (2, 4))]
    assert_rooms(box + partition, [rect(0, 0, 2, 4)] * 2)
    assert_rooms(box + [((2, 4e-4 * k), (2, 4e-4 * (k + 1))) for k in range(10_000)], [rect(0, 0, 2, 4)] * 2)
    unit = [((0, 0), (0.4, 0)), ((0.4004, 0), (0.4005, 0)), ((0.4009, 0), (1, 0)), ((1, 0), (1, 1)),
            ((1, 1), (0, 1)), ((0, 1), (0, 0))]
    assert_rooms(unit, [rect(0, 0, 1, 1)])


@pytest.mark.parametrize("extra", [
    [((2, 2), (2.0003, 2.0002))],                                # alone in a room
    [((2, 0), (2, 3e-4))],                                       # a stub on a wall
    [((1, 1), (1, 1))],                                          # a point
    [((4, 2), (4 + 3e-4, 2)), ((4 + 3e-4, 2), (4 + 6e-4, 2))],   # two that join no wall
    [((1, 1), (1.0003, 1)), ((1.0003, 1), (1.0003, 1.0003)), ((1.0003, 1.0003), (1.0006, 1.0003)),
     ((1.0006, 1.0003), (1.0006, 1.0006))],                      # a staircase, not a wall
])
def test_short_segments_that_are_no_piece_of_a_wall_still_vanish(extra):
    box = [((0, 0), (4, 0)), ((4, 0), (4, 4)), ((4, 4), (0, 4)), ((0, 4), (0, 0))]
    assert_rooms(box + extra, [rect(0, 0, 4, 4)])


# ------------------------------------------------------------ copies of one wall

def copies_of(rng, a, b, n):
    """n segments along a-b, overlapping in random stretches, that together
    cover it: a few from end to end, with overlaps, the rest anywhere on it."""
    cover = sorted({0.0, 1.0, *(rng.uniform(0, 1) for _ in range(min(n, 4) - 1))})
    stretches = [(max(s - 0.01, 0.0), min(e + 0.01, 1.0)) for s, e in zip(cover, cover[1:])]
    while len(stretches) < n:
        stretches.append(tuple(sorted((rng.uniform(0, 1), rng.uniform(0, 1)))))
    at = lambda t: (a[0] + t * (b[0] - a[0]), a[1] + t * (b[1] - a[1]))
    out = [(at(s), at(e)) if rng.random() < 0.5 else (at(e), at(s)) for s, e in stretches[:n] if e - s > 1e-3]
    rng.shuffle(out)
    return out


@pytest.mark.parametrize("n", [1, 2, 5, 31, 32, 33, 200, 10_000])
def test_copies_of_one_wall_overlapping_in_random_stretches_give_the_rooms_of_one_wall(n):
    rng = random.Random(n)
    for run in range(1 if n > 1000 else 4):
        x, y = rng.uniform(0.5, 3.5), rng.uniform(0.5, 3.5)
        box = [((0, 0), (4, 0)), ((4, 0), (4, 4)), ((4, 4), (0, 4)), ((0, 4), (0, 0))]
        walls = box + copies_of(rng, (x, 0), (x, 4), n) + copies_of(rng, (0, y), (x, y), max(1, n // 3))
        # The outer bottom wall drawn over itself as well.
        walls = walls[1:] + copies_of(rng, (0, 0), (4, 0), n)
        want = [rect(0, 0, x, y), rect(0, y, x, 4), rect(x, 0, 4, 4)]
        angle = rng.choice([0.0, rng.uniform(-math.pi, math.pi)])
        t = time.perf_counter()
        assert_rooms(moved(walls, angle, (rng.uniform(-100, 100), 0.5)), want)
        assert time.perf_counter() - t < 10  # copies are never compared pair by pair
