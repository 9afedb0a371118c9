"""Rows of the line and segment module, against the plain-Python segment of
pyref_network, which takes the same steps, between the plain points of
pyref_flatkin."""
import random

import pyref_flatkin
import pyref_network as plain
from run import Timing, case


def _walls(point, segment, n, seed):
    """n short walls scattered over a 100 m floor: most pairs never meet."""
    rng = random.Random(seed)
    walls = []
    for _ in range(n):
        x, y = rng.uniform(0, 100), rng.uniform(0, 100)
        walls.append(segment(point(x, y), point(x + rng.uniform(-8, 8), y + rng.uniform(-8, 8))))
    return walls


def _coords(points):
    return [(p.x, p.y) for p in points]


def _envs(n):
    from Flatkin import Point
    from Strakel import Segment
    ours = {"S": Segment, "segs": _walls(Point, Segment, n, 7)}
    ref = {"S": plain.Segment, "segs": _walls(pyref_flatkin.Point, plain.Segment, n, 7)}
    return ours, ref


@case("Strakel", "Segment.intersection_with_segment", "every wall-to-wall crossing of a plan", 10)
def _crossing():
    from Flatkin import Point
    from Strakel import Segment
    ours = {"a": Segment(Point(0, 0), Point(10, 10)), "b": Segment(Point(0, 10), Point(10, 0))}
    ref = {"a": plain.Segment(pyref_flatkin.Point(0, 0), pyref_flatkin.Point(10, 10)),
           "b": plain.Segment(pyref_flatkin.Point(0, 10), pyref_flatkin.Point(10, 0))}
    stmt = "a.intersection_with_segment(b)"
    return Timing(stmt, ours, ref, lambda: _coords([eval(stmt, ours)]) == _coords([eval(stmt, ref)]))


@case("Strakel", "Segment.intersection_points, 400 walls", "all crossings of a plan's walls (broad phase)", 100)
def _all_crossings():
    ours, ref = _envs(400)
    stmt = "S.intersection_points(segs)"
    return Timing(stmt, ours, ref, lambda: _coords(eval(stmt, ours)) == _coords(eval(stmt, ref)))
