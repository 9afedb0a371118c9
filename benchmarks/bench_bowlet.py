"""Circles and arcs: Bowlet against plain-Python classes doing the same steps
(benchmarks/pyref_bowlet.py), in the same process.

    PYTHONPATH=build/<dir> python benchmarks/bench_bowlet.py [--quick] [--markdown] [--check]

Importing this file registers its rows with benchmarks/run.py's table; run on
its own it prints just these rows. Inputs are seeded; each row checks that
both sides give the same points before it is timed.
"""

import math
import random
import sys
import pathlib

HERE = pathlib.Path(__file__).resolve().parent
if str(HERE) not in sys.path:
    sys.path.insert(0, str(HERE))

import run  # noqa: E402
from run import Timing, case  # noqa: E402


def _modules():
    import Bowlet
    import Strakel
    import pyref_bowlet
    return Bowlet, Strakel, pyref_bowlet


def _same_points(a, b):
    """Two results name the same coordinates, bit for bit, in the same shape."""
    def picture(r):
        if r is None:
            return None
        if isinstance(r, (list, tuple)):
            return [type(r).__name__] + [picture(p) for p in r]
        return (r.x, r.y)
    return picture(a) == picture(b)


def _check(stmt, ours, plain):
    return lambda: _same_points(eval(stmt, ours), eval(stmt, plain))


def _site(module_point, seed):
    rng = random.Random(seed)
    return module_point(rng.uniform(-50, 50), rng.uniform(-50, 50))


@case("Bowlet", "Circle.with_segment_intersection",
      "a wall segment through a round column: crossing, order and bound filter", 10)
def _segment_crossing():
    Bowlet, Strakel, ref = _modules()
    envs = []
    for P, Seg, C in ((Bowlet.Point, Strakel.Segment, Bowlet.Circle), (ref.Point, ref.Segment, ref.Circle)):
        c = C(_site(P, 1), 7.5)
        s = Seg(P(c.center.x - 20, c.center.y - 3), P(c.center.x + 20, c.center.y + 4))
        envs.append({"c": c, "s": s})
    stmt = "c.with_segment_intersection(s)"
    return Timing(stmt, envs[0], envs[1], _check(stmt, envs[0], envs[1]))


@case("Bowlet", "Circle.circle_intersection",
      "where two clearance circles meet (setting out, access radii)", 10)
def _circle_crossing():
    Bowlet, _, ref = _modules()
    envs = []
    for P, C in ((Bowlet.Point, Bowlet.Circle), (ref.Point, ref.Circle)):
        envs.append({"C": C, "a": C(P(0.5, 1.25), 6.0), "b": C(P(7.0, -2.5), 4.5)})
    stmt = "C.circle_intersection(a, b)"
    return Timing(stmt, envs[0], envs[1], _check(stmt, envs[0], envs[1]))


@case("Bowlet", "Arc(start_point, end_point, arc_point)",
      "an arc through three surveyed points: three-point circle, two angles, direction", 10)
def _arc_three_points():
    Bowlet, _, ref = _modules()
    envs = []
    for P, A in ((Bowlet.Point, Bowlet.Arc), (ref.Point, ref.Arc)):
        envs.append({"A": A, "p": P(12.0, 3.5), "q": P(-4.25, 9.0), "m": P(6.0, 11.75)})
    stmt = "A(start_point=p, end_point=q, arc_point=m)"

    def check():
        a, b = eval(stmt, envs[0]), eval(stmt, envs[1])
        return (_same_points(a.center, b.center) and (a.radius, a.start_radians, a.end_radians, a.wise)
                == (b.radius, b.start_radians, b.end_radians, b.wise))
    return Timing(stmt, envs[0], envs[1], check)


@case("Bowlet", "Arc(start_point, end_point, start_direction)",
      "the fillet arc every rounded polyline corner builds", None)
def _arc_fillet():
    Bowlet, _, ref = _modules()
    envs = []
    for P, V, A in ((Bowlet.Point, Bowlet.Vector, Bowlet.Arc), (ref.Point, ref.Vector, ref.Arc)):
        envs.append({"A": A, "p": P(10.0, 0.0), "q": P(12.0, 2.0), "d": V(1.0, 0.0)})
    stmt = "A(start_point=p, end_point=q, start_direction=d)"

    def check():
        a, b = eval(stmt, envs[0]), eval(stmt, envs[1])
        return _same_points(a.center, b.center) and (a.start_radians, a.end_radians) == (b.start_radians, b.end_radians)
    return Timing(stmt, envs[0], envs[1], check)


@case("Bowlet", "Arc.arc_to_polyline, 10,000 points",
      "sampling a long curved facade into points for a polyline", 20)
def _sampling():
    Bowlet, _, ref = _modules()
    envs = []
    for P, A in ((Bowlet.Point, Bowlet.Arc), (ref.Point, ref.Arc)):
        envs.append({"A": A, "a": A(P(3.0, -4.0), 25.0, 1.75 * math.pi, 0.3)})
    stmt = "A.arc_to_polyline(a, number=10_000)"
    return Timing(stmt, envs[0], envs[1], _check(stmt, envs[0], envs[1]))


if __name__ == "__main__":
    argv = sys.argv[1:]
    sys.exit(run.main(argv + ["-k", "Bowlet"]))
