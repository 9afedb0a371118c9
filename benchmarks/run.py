"""Times our compiled operations against plain-Python classes doing the same
steps, in the same process, and prints the ratios.

    PYTHONPATH=build/<dir> python benchmarks/run.py [--quick] [--markdown] [--check] [-k TEXT]

A ratio is plain time / our time: above 1 means ours is faster. Each case
states why it is there and, where we hold ourselves to one, the ratio it must
reach. Inputs are seeded, so two runs time the same work.

Adding rows: decorate a setup function with @case(...) here, or put it in a
file benchmarks/bench_<module>.py that does `from run import case`; every
such file is imported before the table is printed (one whose module is not
built is skipped with a note). Longer stand-alone studies live in their own
scripts next to this one. A setup returns a Timing
(one statement timed on both sides) or a Growth (our statement timed on a
small and a large input).
"""

import argparse
import dataclasses
import gc
import importlib
import pathlib
import random
import sys
import timeit
from typing import Callable, Dict, List, Optional

HERE = pathlib.Path(__file__).resolve().parent
if str(HERE) not in sys.path:
    sys.path.insert(0, str(HERE))
# Files that `import run` must see this registry, not a second copy of it.
sys.modules.setdefault("run", sys.modules[__name__])


# ------------------------------------------------------------------ registry

@dataclasses.dataclass
class Timing:
    """`stmt` run with `ours` as globals and with `plain` as globals."""
    stmt: str
    ours: Dict[str, object]
    plain: Dict[str, object]
    check: Optional[Callable[[], bool]] = None  # both sides give the same answer


@dataclasses.dataclass
class Growth:
    """`stmt` timed on a small and on a large input; the ratio is large/small."""
    stmt: str
    small: Dict[str, object]
    large: Dict[str, object]
    size_ratio: float


@dataclasses.dataclass
class Case:
    group: str
    name: str
    why: str
    setup: Callable[[], object]
    target: Optional[float]  # at least this ratio (Timing), at most this growth (Growth)


CASES: List[Case] = []


def case(group, name, why, target=None):
    def register(setup):
        CASES.append(Case(group, name, why, setup, target))
        return setup
    return register


# ------------------------------------------------------------------- timing

def seconds_per_run(stmt, env_a, env_b, repeat):
    """Best time of one run of `stmt` with each of two global namespaces.

    Rounds of enough runs to last about 0.2 s alternate between the two
    sides, so that a busy machine slows both alike; the best round counts."""
    timers = [timeit.Timer(stmt, globals=env) for env in (env_a, env_b)]
    numbers = [t.autorange()[0] for t in timers]
    best = [float("inf"), float("inf")]
    for _ in range(repeat):
        for k, (t, n) in enumerate(zip(timers, numbers)):
            gc.collect()
            best[k] = min(best[k], t.timeit(number=n) / n)
    return best


def fmt_time(s):
    if s < 1e-6:
        return f"{s * 1e9:8.1f} ns"
    if s < 1e-3:
        return f"{s * 1e6:8.1f} us"
    return f"{s * 1e3:8.1f} ms"


def run_case(c, repeat):
    made = c.setup()
    if isinstance(made, Timing):
        if made.check is not None and not made.check():
            raise AssertionError(f"{c.name}: ours and the plain class disagree")
        plain, ours = seconds_per_run(made.stmt, made.plain, made.ours, repeat)
        ratio = plain / ours
        ok = None if c.target is None else ratio >= c.target
        return dict(plain=fmt_time(plain), ours=fmt_time(ours), ratio=f"{ratio:6.2f}x",
                    target="" if c.target is None else f">= {c.target:g}x", ok=ok)
    small, large = seconds_per_run(made.stmt, made.small, made.large, repeat)
    growth = large / small
    ok = None if c.target is None else growth <= c.target
    return dict(plain=fmt_time(small), ours=fmt_time(large), ratio=f"{growth:6.2f}x",
                target="" if c.target is None else f"<= {c.target:g}x (size x{made.size_ratio:g})", ok=ok)


# ----------------------------------------------------------- Flatkin cases

def _flat():
    import Flatkin
    import pyref_flatkin
    return Flatkin, pyref_flatkin


def _random_coords(n, seed, spread=100.0):
    rng = random.Random(seed)
    return [(rng.uniform(-spread, spread), rng.uniform(-spread, spread)) for _ in range(n)]


def _pair_env(module):
    return {"P": module.Point, "V": module.Vector, "p": module.Point(1.5, -2.0), "q": module.Point(3.0, 4.0),
            "v": module.Vector(0.5, 0.25)}


@case("Flatkin", "Point(x, y)", "every module builds points; construction bounds everything else", 1.5)
def _construct():
    ours, plain = _flat()
    return Timing("P(1.5, -2.0)", _pair_env(ours), _pair_env(plain))


@case("Flatkin", "p == q", "tolerant equality closes polylines and merges network nodes", 2.0)
def _eq():
    ours, plain = _flat()
    return Timing("p == q", _pair_env(ours), _pair_env(plain))


@case("Flatkin", "p + v", "moving points by vectors: offsets, grids, transforms", 2.0)
def _add():
    ours, plain = _flat()
    return Timing("p + v", _pair_env(ours), _pair_env(plain))


@case("Flatkin", "p - q", "direction vectors of every segment", 2.0)
def _sub():
    ours, plain = _flat()
    return Timing("p - q", _pair_env(ours), _pair_env(plain))


@case("Flatkin", "p.distance_to_point(q)", "the distance behind nearest-point and closest-point queries", 2.5)
def _distance():
    ours, plain = _flat()
    return Timing("p.distance_to_point(q)", _pair_env(ours), _pair_env(plain))


@case("Flatkin", "p.x", "scripts read coordinates all the time: at most 2x the plain attribute", 0.5)
def _read_x():
    ours, plain = _flat()
    return Timing("p.x", _pair_env(ours), _pair_env(plain))


@case("Flatkin", "p.y", "the same for y", 0.5)
def _read_y():
    ours, plain = _flat()
    return Timing("p.y", _pair_env(ours), _pair_env(plain))


def _list_env(module, n, seed):
    pts = [module.Point(x, y) for x, y in _random_coords(n, seed)]
    return {"P": module.Point, "pts": pts, "t": module.Point(3.25, -7.5)}


def _same_elements(a, b):
    """Two answers pick the same positions of their (twin) input lists."""
    def picture(result, pts):
        index = {id(p): i for i, p in enumerate(pts)}
        if isinstance(result, (list, tuple)):
            return [index.get(id(r)) for r in result]
        return index.get(id(result))
    return picture(*a) == picture(*b)


@case("Flatkin", "find_nearest_point, 10,000 points", "snapping a point to the nearest of a site's points", 30)
def _nearest():
    ours, plain = _flat()
    o, p = _list_env(ours, 10_000, 1), _list_env(plain, 10_000, 1)
    stmt = "P.find_nearest_point(t, pts)"
    check = lambda: _same_elements((eval(stmt, o), o["pts"]), (eval(stmt, p), p["pts"]))  # noqa: E731
    return Timing(stmt, o, p, check)


@case("Flatkin", "get_min_point, 10,000 points", "the start of every contour walk of a segment network", 30)
def _min_point():
    ours, plain = _flat()
    o, p = _list_env(ours, 10_000, 2), _list_env(plain, 10_000, 2)
    stmt = "P.get_min_point(pts)"
    check = lambda: _same_elements((eval(stmt, o), o["pts"]), (eval(stmt, p), p["pts"]))  # noqa: E731
    return Timing(stmt, o, p, check)


@case("Flatkin", "remove_duplicate_points, 2,000 points", "cleaning break points and hull inputs", None)
def _dedupe_small():
    ours, plain = _flat()
    o, p = _list_env(ours, 2_000, 3), _list_env(plain, 2_000, 3)
    for env in (o, p):  # a fifth of the points repeat an earlier one within epsilon
        pts = env["pts"]
        rng = random.Random(4)
        pts.extend(env["P"](q.x + 5e-7, q.y - 5e-7) for q in rng.sample(pts, 400))
    stmt = "P.remove_duplicate_points(pts)"
    check = lambda: _same_elements((eval(stmt, o), o["pts"]), (eval(stmt, p), p["pts"]))  # noqa: E731
    return Timing(stmt, o, p, check)


@case("Flatkin", "remove_duplicate_points, 20,000 -> 40,000 points",
      "grows close to linearly (the literal loop is quadratic)", 2.5)
def _dedupe_growth():
    ours, _ = _flat()
    return Growth("P.remove_duplicate_points(pts)", _list_env(ours, 20_000, 5), _list_env(ours, 40_000, 6), 2.0)


@case("Flatkin", "find_nearest_two_points, 1,000 points", "the closest pair of a point set", None)
def _nearest_two():
    ours, plain = _flat()
    o, p = _list_env(ours, 1_000, 7), _list_env(plain, 1_000, 7)
    stmt = "P.find_nearest_two_points(pts)"
    check = lambda: _same_elements((eval(stmt, o), o["pts"]), (eval(stmt, p), p["pts"]))  # noqa: E731
    return Timing(stmt, o, p, check)


# ----------------------------------------------------------------- report

def load_extra_cases():
    for path in sorted(HERE.glob("bench_*.py")):
        try:
            importlib.import_module(path.stem)
        except ImportError as exc:
            print(f"skipped {path.name}: {exc}")


def main(argv=None):
    parser = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    parser.add_argument("--quick", action="store_true", help="fewer repeats (noisier)")
    parser.add_argument("--markdown", action="store_true", help="print a Markdown table")
    parser.add_argument("--check", action="store_true", help="exit 1 when a target is missed")
    parser.add_argument("-k", dest="select", default="", help="only cases whose name contains TEXT")
    args = parser.parse_args(argv)

    load_extra_cases()
    repeat = 3 if args.quick else 7
    rows, missed = [], []
    for c in CASES:
        if args.select and args.select not in f"{c.group} {c.name}":
            continue
        r = run_case(c, repeat)
        rows.append((c, r))
        if r["ok"] is False:
            missed.append(c)

    head = ("module", "case", "plain / small", "ours / large", "ratio", "target", "")
    table = [head] + [(c.group, c.name, r["plain"].strip(), r["ours"].strip(), r["ratio"].strip(), r["target"],
                       "" if r["ok"] is None else ("ok" if r["ok"] else "MISSED")) for c, r in rows]
    if args.markdown:
        print("| " + " | ".join(head[:-1]) + " |")
        print("|" + "---|" * (len(head) - 1))
        for row in table[1:]:
            print("| " + " | ".join(row[:-1]) + (" (missed)" if row[-1] == "MISSED" else "") + " |")
    else:
        widths = [max(len(row[i]) for row in table) for i in range(len(head))]
        for k, row in enumerate(table):
            print("  ".join(cell.ljust(w) if i < 2 else cell.rjust(w)
                            for i, (cell, w) in enumerate(zip(row, widths))).rstrip())
            if k == 0:
                print("  ".join("-" * w for w in widths))
        print()
        print("ratio = plain time / our time (above 1: ours is faster); for growth rows, large / small.")
        for c, _ in rows:
            print(f"  {c.name}: {c.why}")
    if missed:
        print(f"\n{len(missed)} target(s) missed: " + ", ".join(c.name for c in missed))
    return 1 if (args.check and missed) else 0


if __name__ == "__main__":
    sys.exit(main())
