"""Walls to rooms at site coordinates and coarse tolerances: the walks find
the pieces at a point through cells over the rounded piece ends, and they
find exactly the pieces the plain scan of every piece finds (the scan runs
in a child process started with STRAKEL_SCAN_EVERY_PIECE set), so the rooms,
their order and their points are the plain scan's; and it stays fast."""

import json
import math
import os
import random
import subprocess
import sys
import time

import pytest

import Flatkin
import Strakel
from Strakel import SegmentCollection

from test_strakel_network_rooms import cut_plan, walls_of

CENTRES = [(0.0, 0.0), (512345.678, 5612345.678), (2.0 ** 42 - 573, 2.0 ** 42 - 573), (2.0 ** 42 + 0.3, -2.0 ** 42),
           (5e12, 5e12), (1e14, 1e14), (-3e13, 7e13), (3e15, 3e15)]
# (Flatkin.epsilon, Strakel.epsilon): the walks' point tolerance and the split's.
TOLERANCES = [(1e-6, 1e-6), (1e-4, 1e-6), (1e-4, 1e-4), (3e-4, 3e-4), (1e-3, 1e-3), (2e-3, 1e-6), (0.03, 0.03),
              (-1e-4, 1e-6), (float("nan"), 1e-6), (float("inf"), 1e-6)]


def plan(k, join):
    """Random walls, walls on a lattice whose ends lie about `join` apart
    (across the cells of the 3-decimal rounding), a cut plan (T-junctions),
    or a wheel whose spokes end about `join` apart at its hub, moved to a
    centre."""
    rng = random.Random(k)
    cx, cy = CENTRES[k % len(CENTRES)]
    size, kind = rng.choice([1.0, 5.0, 20.0]), k % 4
    if kind == 2:
        return [((a[0] + cx, a[1] + cy), (b[0] + cx, b[1] + cy)) for a, b in cut_plan(rng, 4 * size, 3 * size, 6)[0]]
    if kind == 3:  # a wheel: spokes from a hub whose ends are scattered, to the corners of a ring
        r = join * rng.choice([0.5, 1.0, 1.5])
        turns = sorted(rng.uniform(0, 2 * math.pi) for _ in range(rng.randint(3, 16)))
        rim = [(cx + size * math.cos(a), cy + size * math.sin(a)) for a in turns]
        hub = [(cx + rng.uniform(-r, r), cy + rng.uniform(-r, r)) for _ in turns]
        return list(zip(hub, rim)) + list(zip(rim, rim[1:] + rim[:1]))
    if kind == 0:
        return [tuple((cx + rng.uniform(0, size), cy + rng.uniform(0, size)) for _ in range(2))
                for _ in range(rng.randint(8, 30))]
    hair = lambda: join * rng.choice([0.0, 0.4, -0.8, 0.9, 1.2, 1.9, 3.0])  # noqa: E731
    walls = []
    for _ in range(rng.randint(10, 30)):
        a = (rng.randint(0, 4), rng.randint(0, 4))
        b = (a[0], rng.randint(0, 4)) if rng.random() < 0.5 else (rng.randint(0, 4), a[1])
        walls.append(tuple((cx + p[0] * size / 4 + hair(), cy + p[1] * size / 4 + hair()) for p in (a, b)))
    return walls


def picture(coords, split):
    """The rooms (or the walk's error) and the pieces left, every coordinate as hex."""
    c = SegmentCollection(walls_of(coords))
    ends = lambda segs: [[float.hex(v) for v in (s.start.x, s.start.y, s.end.x, s.end.y)] for s in segs]  # noqa
    try:
        got = ["ok", [ends(loop) for loop in c.get_polygons(split=split)]]
    except Exception as e:  # noqa: BLE001 - the error is part of the outcome
        got = [type(e).__name__, str(e)]
    return got + [ends(c.segments)]


def pictures():
    out, saved = {}, (Flatkin.epsilon, Strakel.epsilon)
    try:
        for k in range(160):
            Flatkin.epsilon, Strakel.epsilon = TOLERANCES[k // len(CENTRES) % len(TOLERANCES)]
            join = Flatkin.epsilon if 5e-4 < Flatkin.epsilon < 1 else 5e-4
            for split in (True, False):
                out[f"{k} {split}"] = picture(plan(k, join), split)
    finally:
        Flatkin.epsilon, Strakel.epsilon = saved
    return out


def test_the_rooms_found_through_the_cells_are_the_rooms_of_the_plain_scan():
    env = dict(os.environ, STRAKEL_SCAN_EVERY_PIECE="1", PYTHONPATH=os.pathsep.join(sys.path))
    child = subprocess.run([sys.executable, __file__], env=env, capture_output=True, text=True, check=True)
    plain, ours = json.loads(child.stdout.splitlines()[-1]), pictures()
    assert sum(len(v[1]) for v in ours.values() if v[0] == "ok") > 500  # rooms, not only errors
    assert [k for k in ours if ours[k] != plain[k]] == []


@pytest.mark.parametrize("centre", [1e14, 2.0 ** 42, 5e5])
@pytest.mark.parametrize("flat_eps, eps", [(1e-4, 1e-4), (1e-2, 1e-6)])
def test_three_hundred_random_walls_far_out_at_a_coarse_tolerance_take_under_three_seconds(monkeypatch, centre,
                                                                                          flat_eps, eps):
    monkeypatch.setattr(Flatkin, "epsilon", flat_eps)
    monkeypatch.setattr(Strakel, "epsilon", eps)
    rng = random.Random(0)
    walls = [tuple((centre + rng.uniform(0, 20), centre + rng.uniform(0, 20)) for _ in range(2)) for _ in range(300)]
    t = time.perf_counter()
    loops = SegmentCollection(walls_of(walls)).get_polygons()
    # About 0.3 s on an idle machine (it took minutes when the walks scanned
    # every piece at each step); the bound leaves room for a busy one.
    assert time.perf_counter() - t < 3.0
    assert len(loops) > 6000


if __name__ == "__main__":
    print(json.dumps(pictures()))
