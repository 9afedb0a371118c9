"""Layouts: the Polygon module against the plain-Python classes doing the same
steps (benchmarks/pyref_polygon.py), in the same process.

    PYTHONPATH=build/<dir> python benchmarks/bench_polygon.py [--quick] [--markdown] [--check]

Importing this file registers its rows with benchmarks/run.py's table; run on
its own it prints just these rows.  Inputs are seeded; each row checks that
both sides give the same answer before it is timed.
"""

import pathlib
import random
import sys

HERE = pathlib.Path(__file__).resolve().parent
if str(HERE) not in sys.path:
    sys.path.insert(0, str(HERE))

import run  # noqa: E402
from run import Timing, case  # noqa: E402


def _worlds():
    import Flatkin
    import Polygon
    import Polyline
    import pyref_flatkin
    import pyref_polygon
    import pyref_polyline
    ours = dict(P=Flatkin.Point, L=Polyline.Polyline, G=Polygon.Polygon, B=Polygon.Bound, R=Polygon.RecGenerator)
    plain = dict(P=pyref_flatkin.Point, L=pyref_polyline.Polyline, G=pyref_polygon.Polygon, B=pyref_polygon.Bound,
                 R=pyref_polygon.RecGenerator)
    return ours, plain


def floor(top_bays, bottom_bays, seed, width, depth):
    """A closed floor outline of 4 + 4 * (top_bays + bottom_bays) vertices,
    clockwise from the lower left corner: a rectangle whose long sides carry
    shallow bays, to the centimetre."""
    rng = random.Random(seed)
    top, bottom = [], []
    for k in range(top_bays):
        a, b = width * (k + 0.2) / top_bays, width * (k + 0.8) / top_bays
        up = round(rng.uniform(0.5, 3.0), 2)
        top += [(a, depth), (a, depth + up), (b, depth + up), (b, depth)]
    for k in range(bottom_bays - 1, -1, -1):
        a, b = width * (k + 0.2) / bottom_bays, width * (k + 0.8) / bottom_bays
        down = round(rng.uniform(0.5, 3.0), 2)
        bottom += [(b, 0.0), (b, -down), (a, -down), (a, 0.0)]
    return [(0.0, 0.0), (0.0, depth)] + top + [(width, depth), (width, 0.0)] + bottom + [(0.0, 0.0)]


def _picture(value):
    name = type(value).__name__
    if name == "Point":
        return (value.x, value.y)
    if name == "Polyline":
        return tuple(_picture(p) for p in value.points)
    if isinstance(value, (list, tuple)):
        return tuple(_picture(v) for v in value)
    return value


# Room sizes [along vec_i, along vec_j]: small offices and meeting rooms.
ROOMS = [[4, 3], [5, 4], [3, 3], [6, 4], [4, 4]] * 20


def _layout_env(world, outline, unit):
    env = dict(world)
    env["random"] = random
    env["outline"] = [world["P"](x, y) for x, y in outline]
    env["grid"] = world["B"](world["L"](env["outline"]), unit=unit, typ=0).get_grid()
    env["sizes"] = ROOMS

    def layout():
        # A fresh grid and polygon each run (placing changes both), drawn
        # from the shared generator seeded alike.
        random.seed(11)
        return env["R"](list(env["grid"]), env["G"](env["L"](list(env["outline"]))), env["sizes"],
                        random_generate=True).get_recs()

    env["layout"] = layout
    return env


LAYOUT = "layout()"


@case("Polygon", "RecGenerator.get_recs, 100 rooms, 200-vertex floor",
      "the layout road: rooms placed on a floor outline, each zone cut in as a hole", 30)
def _layout():
    ours, plain = _worlds()
    outline = floor(25, 24, 7, 500.0, 300.0)
    o, p = _layout_env(ours, outline, 4.0), _layout_env(plain, outline, 4.0)
    check = lambda: _picture(eval(LAYOUT, o)) == _picture(eval(LAYOUT, p))  # noqa: E731
    return Timing(LAYOUT, o, p, check)


@case("Polygon", "Bound.get_grid, 10,000-point lattice, 200-vertex floor", "candidate room corners over a floor", 30)
def _lattice():
    ours, plain = _worlds()
    outline = floor(25, 24, 7, 500.0, 300.0)
    envs = []
    for world in (ours, plain):
        env = dict(world)
        env["bound"] = world["B"](world["L"]([world["P"](x, y) for x, y in outline]), unit=3.9, typ=0)
        envs.append(env)
    stmt = "bound.get_grid()"

    def check():
        grid = eval(stmt, envs[0])
        return len(grid) >= 10_000 and _picture(grid) == _picture(eval(stmt, envs[1]))

    return Timing(stmt, envs[0], envs[1], check)


if __name__ == "__main__":
    sys.modules.setdefault("bench_polygon", sys.modules[__name__])
    sys.exit(run.main(sys.argv[1:] + ["-k", "Polygon "]))
