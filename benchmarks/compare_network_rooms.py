"""Rooms of a seeded set of plans from one build, written as JSON, so that two
builds can be compared loop by loop (same loops, same corners, same order).

    PYTHONPATH=<build> python benchmarks/compare_network_rooms.py out.json
    python benchmarks/compare_network_rooms.py --diff before.json after.json

The plans: irregular grids, plans cut into rooms, both drawn in pieces, with
sloppy joints, turned, moved 1e6 from the origin and in millimetres; walls
through one point and rooms in a row.  Each plan is named by its family and
seed; its result is its loops as (start, end) coordinates, or the error.
"""
import json
import math
import os
import random
import sys

sys.path.insert(0, os.path.join(os.path.dirname(__file__), "..", "tests"))


def plans():
    from test_strakel_network_rooms import irregular_grid, cut_plan, in_pieces, turned
    from test_strakel_network_walk_plans import corridor, street
    from test_strakel_network_split_plans import radial_plan

    def sloppy(rng, coords, by):
        return [tuple((x + rng.uniform(-by, by), y + rng.uniform(-by, by)) for x, y in w) for w in coords]

    def scaled(coords, f, shift=(0.0, 0.0)):
        return [tuple((x * f + shift[0], y * f + shift[1]) for x, y in w) for w in coords]

    for seed in range(60):
        rng = random.Random(seed)
        grid, _ = irregular_grid(rng, rng.randint(3, 12), rng.randint(3, 12))
        cut, _ = cut_plan(rng, rng.uniform(8, 40), rng.uniform(8, 40), rng.randint(2, 6))
        angle = rng.uniform(0, 2 * math.pi)
        yield f"grid/{seed}", grid
        yield f"cut/{seed}", cut
        yield f"cut-pieces/{seed}", in_pieces(rng, cut, seed % 2 == 0)
        yield f"cut-turned/{seed}", turned(cut, angle)
        yield f"cut-sloppy/{seed}", sloppy(rng, cut, 3e-4)
        yield f"cut-far/{seed}", scaled(turned(cut, angle), 1.0, (1e6, -1e6))
        yield f"cut-mm/{seed}", scaled(cut, 1000.0)
        yield f"grid-pieces-turned/{seed}", turned(in_pieces(rng, grid, True), angle)
        yield f"corridor/{seed}", corridor(rng, rng.randint(2, 30))[0]
        yield f"street/{seed}", street(rng, rng.randint(2, 30))[0]
        yield f"radial/{seed}", radial_plan(rng.randint(3, 40), seed % 2 == 1, rng)[0]
        # Near a degenerate junction: walls through a small disc, and walls
        # drawn twice a little off and turned.
        walls, _ = radial_plan(rng.randint(3, 40), seed % 2 == 1, rng)
        r = 10 ** rng.uniform(-4, -2)
        yield f"radial-disc/{seed}", [tuple((x + rng.uniform(-r, r), y + rng.uniform(-r, r)) for x, y in w) for w in walls]
        yield f"cut-doubled/{seed}", cut + [tuple((x + rng.uniform(-2e-4, 2e-4), y + rng.uniform(-2e-4, 2e-4))
                                                  for x, y in w) for w in rng.sample(cut, len(cut) // 3)]


def rooms(coords):
    from Flatkin import Point
    from Strakel import Segment, SegmentCollection

    try:
        loops = SegmentCollection([Segment(Point(*a), Point(*b)) for a, b in coords]).get_polygons()
    except Exception as e:  # the result compared is the error itself
        return f"{type(e).__name__}: {e}"
    return [[[s.start.x, s.start.y, s.end.x, s.end.y] for s in loop] for loop in loops]


def diff(before_path, after_path):
    before, after = (json.load(open(p)) for p in (before_path, after_path))
    changed = {}
    for name, old in before.items():
        new = after[name]
        if old == new:
            continue
        family = name.split("/")[0]
        kind = ("error -> rooms" if isinstance(old, str) and not isinstance(new, str) else
                "rooms -> error" if isinstance(new, str) and not isinstance(old, str) else
                "error changed" if isinstance(old, str) else
                "loop count" if len(old) != len(new) else "loops")
        changed.setdefault((family, kind), []).append(name)
    print(f"{len(before)} plans, {sum(len(v) for v in changed.values())} changed")
    for (family, kind), names in sorted(changed.items()):
        print(f"  {family:20s} {kind:15s} {len(names):4d}  e.g. {names[0]}")


if __name__ == "__main__":
    if sys.argv[1] == "--diff":
        diff(sys.argv[2], sys.argv[3])
    else:
        json.dump({name: rooms(c) for name, c in plans()}, open(sys.argv[1], "w"))
