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

benchmarks/run.py also takes this file's rows, among them other drawings: a
street drawn in many short pieces, each crossed by two cross walls (the split
alone, against shapely.node, and closed into rooms, against shapely), a floor
cut room by room into 20,000 rooms, whose walls end on other walls, a
double-loaded corridor, and walls through one point.
"""

import collections
import heapq
import math
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


def street_in_pieces(n, seed=0):
    """A street along y = 0 drawn as n pieces of 1 m end to end, each crossed
    by two cross walls 1 m long, 10 to 40 and 60 to 90 cm along it to the
    centimetre; the 3n lines come in shuffled order."""
    rng = random.Random(seed)
    lines = []
    for k in range(n):
        lines.append(((float(k), 0.0), (k + 1.0, 0.0)))
        for lo, hi in ((10, 40), (60, 90)):
            x = k + rng.randint(lo, hi) / 100
            lines.append(((x, -0.5), (x, 0.5)))
    rng.shuffle(lines)
    return lines


def street_in_rooms(n, seed=0):
    """The street of street_in_pieces closed into rooms: two walls along its
    edges, on which the cross walls end, and one across each end."""
    m = float(n)
    return street_in_pieces(n, seed) + [((0.0, -0.5), (m, -0.5)), ((0.0, 0.5), (m, 0.5)),
                                         ((0.0, -0.5), (0.0, 0.5)), ((m, -0.5), (m, 0.5))]


def corridor(n, seed=0):
    """A double-loaded corridor: n rooms 5 m deep on each side of a corridor
    2 m wide and 4n m long, the partitions placed at random to the centimetre
    and ending on the corridor and outer walls; 2n + 1 rooms, the lines in
    shuffled order."""
    rng = random.Random(seed)
    m = 4.0 * n
    lines = [((0.0, y), (m, y)) for y in (-5.0, 0.0, 2.0, 7.0)] + [((0.0, -5.0), (0.0, 7.0)), ((m, -5.0), (m, 7.0))]
    for y0, y1 in ((-5.0, 0.0), (2.0, 7.0)):
        lines += [((x / 100, y0), (x / 100, y1)) for x in rng.sample(range(1, 400 * n), n - 1)]
    rng.shuffle(lines)
    return lines


def star(n, turn=0.001):
    """n walls 20 m long through one point, turned by `turn` radians, inside a
    ring of 2n walls of radius 8 m: 2n rooms round the centre, the wall ends
    outside the ring left as stubs."""
    walls = [((10 * math.cos(a), 10 * math.sin(a)), (-10 * math.cos(a), -10 * math.sin(a)))
             for a in (math.pi * k / n + turn for k in range(n))]
    ring = [(8 * math.cos(math.pi * (k + 0.5) / n), 8 * math.sin(math.pi * (k + 0.5) / n)) for k in range(2 * n)]
    return walls + [(ring[k], ring[(k + 1) % (2 * n)]) for k in range(2 * n)]


def cut_plan(rooms, seed=0):
    """A 1,000 m by 800 m floor cut until it has `rooms` rooms: each time the
    largest room is cut across its longer side, 30 to 70% along it to the
    centimetre, by one wall that ends on the two walls it meets (T-junctions,
    no crossings); the lines come in shuffled order."""
    rng = random.Random(seed)
    w, h = 1000.0, 800.0
    lines = [((0.0, 0.0), (w, 0.0)), ((w, 0.0), (w, h)), ((w, h), (0.0, h)), ((0.0, h), (0.0, 0.0))]
    heap = [(-w * h, 0.0, 0.0, w, h)]
    while len(heap) < rooms:
        _, x0, y0, x1, y1 = heapq.heappop(heap)
        if x1 - x0 >= y1 - y0:
            x = round(x0 + (x1 - x0) * rng.uniform(0.3, 0.7), 2)
            lines.append(((x, y0), (x, y1)))
            halves = ((x0, y0, x, y1), (x, y0, x1, y1))
        else:
            y = round(y0 + (y1 - y0) * rng.uniform(0.3, 0.7), 2)
            lines.append(((x0, y), (x1, y)))
            halves = ((x0, y0, x1, y), (x0, y, x1, y1))
        for a, b, c, d in halves:
            heapq.heappush(heap, (-(c - a) * (d - b), a, b, c, d))
    rng.shuffle(lines)
    return lines


def disc_star(n, radius, centre=(0.0, 0.0), seed=0):
    """n walls 20 m long through a disc of `radius` around `centre` (a column,
    a junction drawn by hand), inside a ring of 64 walls of radius 8 m."""
    rng = random.Random(seed)
    walls = []
    for k in range(n):
        a = math.pi * (k + rng.uniform(0.1, 0.9)) / n
        ox, oy = centre[0] + rng.uniform(-radius, radius), centre[1] + rng.uniform(-radius, radius)
        walls.append(((ox + 10 * math.cos(a), oy + 10 * math.sin(a)), (ox - 10 * math.cos(a), oy - 10 * math.sin(a))))
    ring = [(centre[0] + 8 * math.cos(math.pi * k / 32), centre[1] + 8 * math.sin(math.pi * k / 32)) for k in range(64)]
    return walls + [(ring[k], ring[(k + 1) % 64]) for k in range(64)]


def crowded(rooms, small, seed=0):
    """A plan cut into `rooms` rooms, and `small` walls 2 mm long packed 4 mm
    apart in one place outside it (a hatch or a text drawn as walls): stubs
    that bound no room."""
    side = math.isqrt(small)
    return cut_plan(rooms, seed) + [((-10 + 0.004 * i, 0.004 * j), (-10 + 0.004 * i + 0.002, 0.004 * j))
                                    for i in range(side) for j in range(side)]


def doubled(rooms, seed=0):
    """A plan cut into `rooms` rooms with every wall drawn twice: the copy's
    ends each within 0.2 mm of the wall's, so turned by a hair."""
    rng = random.Random(seed)
    lines = cut_plan(rooms, seed)
    jitter = lambda p: (p[0] + rng.uniform(-2e-4, 2e-4), p[1] + rng.uniform(-2e-4, 2e-4))  # noqa: E731
    return lines + [(jitter(a), jitter(b)) for a, b in lines]


def random_walls(n, centre, seed=0):
    """n walls between random points of a 20 m square whose corner is at
    (centre, centre): about n^2 / 5 crossings, most rooms small."""
    rng = random.Random(seed)
    return [tuple((centre + rng.uniform(0, 20), centre + rng.uniform(0, 20)) for _ in range(2)) for _ in range(n)]


def at_tolerance(run, epsilon):
    """`run` with Flatkin.epsilon and Strakel.epsilon both set to epsilon, as
    when Flatkin.epsilon is set before Strakel is imported."""
    import Flatkin

    def coarse():
        old = Flatkin.epsilon, Strakel.epsilon
        Flatkin.epsilon = Strakel.epsilon = epsilon
        try:
            return run()
        finally:
            Flatkin.epsilon, Strakel.epsilon = old
    return coarse


def _far_vs_shapely(lines, centre, epsilon, Timing):
    """Ours at `epsilon` and shapely on walls near (centre, centre): the rooms
    cover the same area, measured with the centre taken off (at 1e14 a
    shoelace about the origin keeps no digits of a room)."""
    ours, other = at_tolerance(_ours_on(lines), epsilon), _shapely_on(lines)

    def check():
        loops = ours()
        theirs = sum(shapely.transform(f, lambda c: c - centre).area for f in other())
        return len(loops) > 1000 and abs(_area_of_rooms(loops, centre) - theirs) <= 1e-3 * theirs
    return Timing("run_grid()", {"run_grid": ours}, {"run_grid": other}, check)


def _area_of_rooms(loops, centre=0.0):
    return sum(p.area for loop in loops
               for p in shapely.get_parts(shapely.polygonize(
                   [shapely.LineString([(s.start.x - centre, s.start.y - centre), (s.end.x - centre, s.end.y - centre)])
                    for s in loop])))


def _same_area_vs_shapely(lines, Timing, slack=1e-3):
    """Our get_polygons and shapely's node + polygonize on the same walls: the
    rooms cover the same area (shapely keeps the slivers at the junction)."""
    ours, other = _ours_on(lines), _shapely_on(lines)
    check = lambda: abs(_area_of_rooms(ours()) - sum(p.area for p in other())) <= slack  # noqa: E731
    return Timing("run_grid()", {"run_grid": ours}, {"run_grid": other}, check)


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


def _our_split(segments):
    def split():
        collection = SegmentCollection(segments)  # holds the list; the split leaves it unchanged
        collection.get_connections()
        return collection
    return split


def _shapely_split(multi_line):
    def split():
        return shapely.node(multi_line)
    return split


def _same_split(collection, noded):
    """On the street: our pieces run end to end from its first crossing to its
    last, and the piece ends are exactly the crossings of shapely's noding
    (its nodes of three or more pieces): the joints of the drawn pieces cut
    nothing."""
    coords = shapely.get_coordinates(noded).round(9).reshape(-1, 2, 2).tolist()
    ends = collections.Counter(tuple(end) for piece in coords for end in piece)
    crossings = {end for end, k in ends.items() if k >= 3}
    ours = sorted(sorted([(round(s.start.x, 9), round(s.start.y, 9)), (round(s.end.x, 9), round(s.end.y, 9))])
                  for s in collection)
    chained = all(a[1] == b[0] for a, b in zip(ours, ours[1:]))
    cuts = {end for piece in ours for end in piece}
    return (bool(ours) and chained and ours[0][0] == min(crossings) and ours[-1][1] == max(crossings)
            and cuts == crossings)


def _segments_of(lines):
    return [Strakel.Segment(Point(*a), Point(*b)) for a, b in lines]


def _rooms_vs_shapely(lines, rooms, Timing):
    """Our get_polygons and shapely's node + polygonize on the same walls, both finding `rooms`."""
    ours, other = _ours_on(lines), _shapely_on(lines)
    check = lambda: len(ours()) == len(other()) == rooms  # noqa: E731
    return Timing("run_grid()", {"run_grid": ours}, {"run_grid": other}, check)


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
        return _rooms_vs_shapely(street_grid(50), 2401, Timing)

    @case("Strakel", "get_polygons growth, grid 50 + 50 to 100 + 100",
          "4 times the pieces: about n log n, not the square", 6.0)
    def _growth():
        return Growth("run_grid()", {"run_grid": _ours_on(street_grid(50))},
                      {"run_grid": _ours_on(street_grid(100))}, 19800 / 4900)

    @case("Strakel", "get_polygons vs shapely node + polygonize, plan cut into 20,000 rooms",
          "walls that end on walls (T-junctions), not a grid of crossings", 1.5)
    def _cut_plan():
        return _rooms_vs_shapely(cut_plan(20_000), 20_000, Timing)

    @case("Strakel", "get_connections vs shapely.node, a street in 12,000 pieces crossed twice each",
          "walls drawn piece by piece: the split alone, inputs built beforehand on both sides", 1.0)
    def _split_vs_shapely():
        lines = street_in_pieces(12_000)
        ours = _our_split(_segments_of(lines))
        other = _shapely_split(shapely.MultiLineString([list(line) for line in lines]))
        check = lambda: _same_split(ours(), other())  # noqa: E731
        return Timing("split()", {"split": ours}, {"split": other}, check)

    @case("Strakel", "get_connections growth, a street in 6,000 to 12,000 pieces",
          "twice the pieces: log2 of the growth at most 1.35, close to n log n", 2.55)
    def _split_growth():
        return Growth("split()", {"split": _our_split(_segments_of(street_in_pieces(6_000)))},
                      {"split": _our_split(_segments_of(street_in_pieces(12_000)))}, 2.0)

    @case("Strakel", "get_polygons vs shapely node + polygonize, 1,000 walls through one point",
          "radial walls: half a million crossings at one place make one node, well under 2 s", 1.0)
    def _star():
        return _rooms_vs_shapely(star(1_000), 2_000, Timing)

    @case("Strakel", "get_polygons vs shapely node + polygonize, corridor of 16,000 rooms a side",
          "rooms in a row along two long walls: every start of a walk lies on one line", 1.5)
    def _corridor():
        return _rooms_vs_shapely(corridor(16_000), 32_001, Timing)

    @case("Strakel", "get_polygons growth, corridor of 8,000 to 16,000 rooms a side",
          "twice the rooms: at most the walls to the power 1.2", 2 ** 1.2)
    def _corridor_growth():
        return Growth("run_grid()", {"run_grid": _ours_on(corridor(8_000))},
                      {"run_grid": _ours_on(corridor(16_000))}, 2.0)

    @case("Strakel", "get_polygons vs shapely node + polygonize, a street in 12,000 pieces crossed twice",
          "the street closed by walls along its edges: 48,002 rooms in a row", 1.5)
    def _street_rooms():
        return _rooms_vs_shapely(street_in_rooms(12_000), 48_002, Timing)

    @case("Strakel", "get_polygons growth, a street in 6,000 to 12,000 pieces crossed twice",
          "twice the pieces: at most the walls to the power 1.2", 2 ** 1.2)
    def _street_rooms_growth():
        return Growth("run_grid()", {"run_grid": _ours_on(street_in_rooms(6_000))},
                      {"run_grid": _ours_on(street_in_rooms(12_000))}, 2.0)


    @case("Strakel", "get_polygons vs shapely node + polygonize, 300 walls through a 1 mm disc",
          "walls that nearly meet: their crossings scatter round the disc and are noded again", 1.0)
    def _disc():
        return _same_area_vs_shapely(disc_star(300, 5e-4), Timing)

    @case("Strakel", "get_polygons vs shapely node + polygonize, 1,000 walls through a 1 mm disc",
          "half a million crossings spread round the disc: well under 2 s (shapely: about 20 s)", 5.0)
    def _disc_1000():
        return _same_area_vs_shapely(disc_star(1_000, 5e-4), Timing)

    @case("Strakel", "get_polygons vs shapely node + polygonize, 400 walls through a point near 2^40",
          "far from the origin the crossings scatter by the spacing of doubles there", 1.0)
    def _far_star():
        c = 2.0 ** 40 - 573
        return _same_area_vs_shapely(disc_star(400, 0.0, (c, c)), Timing, slack=0.5)

    @case("Strakel", "get_polygons vs shapely node + polygonize, 300 walls through one point, epsilon 1e-4",
          "a coarse point tolerance: crossings joined on grids, not pair by pair", 1.0)
    def _coarse():
        import Flatkin
        lines = star(300)
        ours, other = _ours_on(lines), _shapely_on(lines)

        def coarse():
            old, Flatkin.epsilon = Flatkin.epsilon, 1e-4
            try:
                return ours()
            finally:
                Flatkin.epsilon = old
        return Timing("run_grid()", {"run_grid": coarse}, {"run_grid": other},
                      lambda: len(coarse()) == len(other()) == 600)

    @case("Strakel", "get_polygons vs shapely node + polygonize, 300 random walls near (1e14, 1e14), epsilon 1e-4",
          "site coordinates, a coarse tolerance: the pieces at a point found through cells, not by a scan", 1.0)
    def _far_coarse():
        return _far_vs_shapely(random_walls(300, 1e14), 1e14, 1e-4, Timing)

    @case("Strakel", "get_polygons vs shapely node + polygonize, 300 random walls near 2^42, epsilon 1e-4",
          "where the 3-decimal rounding step meets the spacing of doubles", 1.0)
    def _far_coarse_2_42():
        return _far_vs_shapely(random_walls(300, 2.0 ** 42), 2.0 ** 42, 1e-4, Timing)

    @case("Strakel", "get_polygons growth, grid 50 + 50 to 100 + 100 near (1e14, 1e14), epsilon 1e-4",
          "4 times the pieces far out at a coarse tolerance: as near the origin, not the square", 6.0)
    def _far_coarse_growth():
        far = lambda n: [((a[0] + 1e14, a[1] + 1e14), (b[0] + 1e14, b[1] + 1e14)) for a, b in street_grid(n)]  # noqa
        return Growth("run_grid()", {"run_grid": at_tolerance(_ours_on(far(50)), 1e-4)},
                      {"run_grid": at_tolerance(_ours_on(far(100)), 1e-4)}, 19800 / 4900)

    @case("Strakel", "get_polygons vs shapely node + polygonize, 40,000 rooms and 40,000 small walls in one place",
          "a crowd of small walls in one cell of the broad phase is paired on a grid of its own", 1.5)
    def _crowded():
        return _rooms_vs_shapely(crowded(40_000, 40_000), 40_000, Timing)

    @case("Strakel", "get_polygons vs shapely node + polygonize, 5,000 rooms with every wall drawn twice",
          "copies a hair off the wall are the wall: the rooms of the single drawing (shapely adds slivers)", 1.0)
    def _doubled():
        lines = doubled(5_000)
        ours, other = _ours_on(lines), _shapely_on(lines)
        return Timing("run_grid()", {"run_grid": ours}, {"run_grid": other}, lambda: len(ours()) == 5_000)


if "run" in sys.modules and hasattr(sys.modules["run"], "case"):
    _run = sys.modules["run"]
    register(_run.case, _run.Timing, _run.Growth)


if __name__ == "__main__":
    main()
