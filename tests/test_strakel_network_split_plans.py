"""The split of walls into rooms where many crossings gather: many walls
through one point (a star, or a fan of walls ending there), partitions that
run far past the plan, walls drawn in pieces shorter than the join distance
and many copies of one wall.  Every room comes back once, closed, with the
area it has by construction."""

import math
import random
import time

import pytest

from test_strakel_network_plans import assert_rooms, measure, rect
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
