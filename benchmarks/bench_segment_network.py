"""Polygon extraction from a street grid: SegmentCollection.get_polygons
against the plain-Python version of the same rules and against shapely
(shapely.node, then shapely.polygonize) on the same lines.

Why this case: a floor plan's walls or a city block's streets are long lines
that cross many others; the network is split at every crossing and every
enclosed cell is walked.  Grids of 50 + 50 and 100 + 100 streets give about
2,500 and 10,000 faces from 4,900 and 19,800 pieces.

Run from the repository root with the built modules on the path:

    PYTHONPATH=build/<dir> python benchmarks/bench_segment_network.py

The plain version grows with the square of the number of pieces; on the
larger grid it is stopped after a time budget, and its ratio is then a lower
bound (marked with >=).
"""

import os
import random
import sys
import time

import shapely

import Strakel
from Flatkin import Point
from Strakel import SegmentCollection

from pyref_network import SegmentCollection as RefCollection, segments_of as ref_segments

SIZES = (50, 100)
REFERENCE_BUDGET = float(os.environ.get("SEGNET_REFERENCE_BUDGET", "120"))


def street_grid(n, seed=0):
    """n east-west and n north-south streets, 12 to 30 m apart to the
    centimetre, each running past the whole grid (coordinates in metres)."""
    rng = random.Random(seed)

    def positions():
        out, at = [], 0
        for _ in range(n):
            at += rng.randint(1_200, 3_000) / 100
            out.append(at)
        return out

    ys, xs = positions(), positions()
    lo, hi_x, hi_y = -5.0, xs[-1] + 5.0, ys[-1] + 5.0
    lines = [((lo, y), (hi_x, y)) for y in ys] + [((x, lo), (x, hi_y)) for x in xs]
    rng.shuffle(lines)
    return lines


def best_of(runs, make, work):
    best = float("inf")
    result = None
    for _ in range(runs):
        arg = make()
        t = time.perf_counter()
        result = work(arg)
        best = min(best, time.perf_counter() - t)
    return best, result


def time_ours(lines):
    def make():
        return SegmentCollection([Strakel.Segment(Point(*a), Point(*b)) for a, b in lines])
    return best_of(5, make, lambda c: c.get_polygons())


def time_shapely(lines):
    def make():
        return shapely.MultiLineString([list(line) for line in lines])

    def work(ml):
        noded = shapely.node(ml)
        return shapely.get_parts(shapely.polygonize(shapely.get_parts(noded)))
    return best_of(5, make, work)


class BudgetedReference(RefCollection):
    """The plain version, stopped once its time budget is spent."""

    def __init__(self, segments, deadline):
        super().__init__(segments)
        self.deadline = deadline
        self.complete = True

    def get_polygons(self, split=True, clean=False):
        polygons = []
        self.get_contour_segments(split=split)
        while self.dict:
            if time.perf_counter() > self.deadline:
                self.complete = False
                break
            loop = self.get_loop_segments()
            self.segments = list(self.dict.keys())
            polygons.append(loop)
        return polygons


def time_reference(lines, budget):
    c = BudgetedReference(ref_segments(lines), time.perf_counter() + budget)
    t = time.perf_counter()
    polygons = c.get_polygons()
    return time.perf_counter() - t, polygons, c.complete


def rows(sizes=SIZES, budget=REFERENCE_BUDGET):
    """One row per grid: times in seconds and the two ratios."""
    out = []
    for n in sizes:
        lines = street_grid(n)
        ours, polygons = time_ours(lines)
        shp, faces = time_shapely(lines)
        ref, ref_polygons, complete = time_reference(lines, budget)
        if complete:
            assert len(ref_polygons) == len(polygons)
        out.append({
            "case": f"get_polygons, street grid {n} + {n}",
            "faces": len(polygons),
            "shapely_faces": len(faces),
            "ours_s": ours,
            "plain_python_s": ref,
            "plain_python_complete": complete,
            "shapely_s": shp,
            "vs_plain_python": ref / ours,
            "vs_shapely": shp / ours,
        })
    return out


def main():
    print(f"{'case':38} {'faces':>6} {'ours ms':>9} {'plain py s':>11} {'x plain':>9} {'shapely ms':>11} {'x shapely':>9}")
    for r in rows():
        bound = "" if r["plain_python_complete"] else ">="
        print(f"{r['case']:38} {r['faces']:>6} {r['ours_s'] * 1e3:>9.1f} {r['plain_python_s']:>11.1f} "
              f"{bound + format(r['vs_plain_python'], '.0f'):>9} {r['shapely_s'] * 1e3:>11.1f} "
              f"{r['vs_shapely']:>9.2f}")


# ------------------------------------------------------------ rows of run.py

def _ours_on(lines):
    def run_grid():
        return SegmentCollection([Strakel.Segment(Point(*a), Point(*b)) for a, b in lines]).get_polygons()
    return run_grid


def _plain_on(lines):
    def run_grid():
        return RefCollection(ref_segments(lines)).get_polygons()
    return run_grid


def _shapely_on(lines):
    def run_grid():
        noded = shapely.node(shapely.MultiLineString([list(line) for line in lines]))
        return shapely.get_parts(shapely.polygonize(shapely.get_parts(noded)))
    return run_grid


def register(case, Timing, Growth):
    """Adds this file's rows to benchmarks/run.py's table."""

    @case("Strakel", "get_polygons, street grid 12 + 12",
          "the plain version grows with the square of the pieces; a small grid keeps it timeable", 100)
    def _vs_plain():
        lines = street_grid(12)
        ours, plain = _ours_on(lines), _plain_on(lines)
        check = lambda: len(ours()) == len(plain()) == 121  # noqa: E731
        return Timing("run_grid()", {"run_grid": ours}, {"run_grid": plain}, check)

    @case("Strakel", "get_polygons vs shapely node + polygonize, grid 50 + 50",
          "the same faces from a general-purpose library", 1.0)
    def _vs_shapely():
        lines = street_grid(50)
        ours, other = _ours_on(lines), _shapely_on(lines)
        check = lambda: len(ours()) == len(other()) == 2401  # noqa: E731
        return Timing("run_grid()", {"run_grid": ours}, {"run_grid": other}, check)

    @case("Strakel", "get_polygons growth, grid 50 + 50 to 100 + 100",
          "4 times the pieces: about n log n, not the square", 6.0)
    def _growth():
        return Growth("run_grid()", {"run_grid": _ours_on(street_grid(50))},
                      {"run_grid": _ours_on(street_grid(100))}, 19800 / 4900)


if "run" in sys.modules and hasattr(sys.modules["run"], "case"):
    _run = sys.modules["run"]
    register(_run.case, _run.Timing, _run.Growth)


if __name__ == "__main__":
    main()
