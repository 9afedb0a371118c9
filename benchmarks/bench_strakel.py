"""Rows of the line and segment module, against a plain-Python segment that
takes the same steps through the plain Point and Vector of pyref_flatkin."""
import random

import pyref_flatkin as plain
from run import Timing, case

epsilon = plain.epsilon


def line_intersection(a, b, c, d):
    """The crossing of the infinite lines a-b and c-d, as Vector.intersection."""
    slope1 = plain.Point.calculate_slope(a, b)
    slope2 = plain.Point.calculate_slope(c, d)
    if slope1 == slope2:
        return None
    if slope1 is None:
        x = a.x
        y = slope2 * x + (c.y - slope2 * c.x)
    elif slope2 is None:
        x = c.x
        y = slope1 * x + (a.y - slope1 * a.x)
    else:
        intercept1 = a.y - slope1 * a.x
        intercept2 = c.y - slope2 * c.x
        x = (intercept2 - intercept1) / (slope1 - slope2)
        y = slope1 * x + intercept1
    return plain.Point(x, y)


class PlainSegment:
    def __init__(self, start, end):
        self.start = start
        self.end = end

    @property
    def bound(self):
        return (min(self.start.x, self.end.x), max(self.start.x, self.end.x),
                min(self.start.y, self.end.y), max(self.start.y, self.end.y))

    def is_point_in_bound(self, point):
        min_x, max_x, min_y, max_y = self.bound
        return min_x - epsilon <= point.x <= max_x + epsilon and min_y - epsilon <= point.y <= max_y + epsilon

    def intersection_with_segment(self, segment):
        p = line_intersection(self.start, self.end, segment.start, segment.end)
        if p is None:
            return None
        if self.is_point_in_bound(p) and segment.is_point_in_bound(p):
            return p
        return None

    @staticmethod
    def intersection_points(segments):
        points = []
        for i in range(len(segments)):
            for j in range(i + 1, len(segments)):
                p = segments[i].intersection_with_segment(segments[j])
                if p is not None:
                    points.append(p)
        return points


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
    ref = {"S": PlainSegment, "segs": _walls(plain.Point, PlainSegment, n, 7)}
    return ours, ref


@case("Strakel", "Segment.intersection_with_segment", "every wall-to-wall crossing of a plan", 10)
def _crossing():
    from Flatkin import Point
    from Strakel import Segment
    ours = {"a": Segment(Point(0, 0), Point(10, 10)), "b": Segment(Point(0, 10), Point(10, 0))}
    ref = {"a": PlainSegment(plain.Point(0, 0), plain.Point(10, 10)),
           "b": PlainSegment(plain.Point(0, 10), plain.Point(10, 0))}
    stmt = "a.intersection_with_segment(b)"
    return Timing(stmt, ours, ref, lambda: _coords([eval(stmt, ours)]) == _coords([eval(stmt, ref)]))


@case("Strakel", "Segment.intersection_points, 400 walls", "all crossings of a plan's walls (broad phase)", 100)
def _all_crossings():
    ours, ref = _envs(400)
    stmt = "S.intersection_points(segs)"
    return Timing(stmt, ours, ref, lambda: _coords(eval(stmt, ours)) == _coords(eval(stmt, ref)))
