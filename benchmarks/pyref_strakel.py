"""Plain-Python lines, segments and rays doing exactly the steps Strakel does,
on the plain points and vectors of pyref_flatkin.

Only what the plain polylines (pyref_polyline) reach is here. Every length is
sqrt(pow(x, 2) + pow(y, 2)) and every distance sqrt(dx ** 2.0 + dy ** 2.0),
as the compiled classes compute them, so results agree bit for bit."""

import math
import random
import sys

from pyref_flatkin import Point, Vector, epsilon


def _in_box(min_x, max_x, min_y, max_y, point, slack=(0.0, 0.0)):
    """The box widened by epsilon on every side, or on an axis by the
    rounding slack where that is larger, borders included; x first."""
    ex, ey = max(epsilon, slack[0]), max(epsilon, slack[1])
    if not (min_x - ex <= point.x <= max_x + ex):
        return False
    return min_y - ey <= point.y <= max_y + ey


def _rounding_slack(a, b, p):
    """Per axis, a few units in the last place of the largest coordinate of
    the three points: how far rounding alone moves a point off a line."""
    def slack(*values):
        s = 4 * sys.float_info.epsilon * max(abs(v) for v in values)
        return s if math.isfinite(s) else 0.0
    return slack(a.x, b.x, p.x), slack(a.y, b.y, p.y)


class Line:
    def __init__(self, start, end):
        self.start = start
        self.end = end

    def intersection_with_line(self, other):
        return Vector.intersection(self.start, self.end, other.start, other.end)

    def intersection_with_segment(self, segment):
        return segment.intersection_with_line(self)

    def offset(self, distance):
        distance = float(distance)
        u = Vector.vector_from_points(self.start, self.end).unit_vector
        n = Vector(u.y, -u.x)
        return Line(self.start + n * distance, self.end + n * distance)


class Segment(Line):
    @property
    def vector(self):
        return Vector.vector_from_points(self.start, self.end)

    @property
    def length(self):
        return self.vector.magnitude

    @property
    def unit_vector(self):
        return self.vector.unit_vector

    @property
    def midpoint(self):
        return Point((self.start.x + self.end.x) / 2, (self.start.y + self.end.y) / 2)

    @property
    def normal(self):
        v = self.vector
        return Vector(v.y, -v.x)

    @property
    def bound(self):
        return (min(self.start.x, self.end.x), max(self.start.x, self.end.x),
                min(self.start.y, self.end.y), max(self.start.y, self.end.y))

    def is_point_in_bound(self, point):
        return _in_box(*self.bound, point)

    def is_point_on(self, point):
        # Repair: the tolerances are raised to the rounding of coordinates of
        # the points' size where that is larger, so that a point on a wall
        # drawn at site coordinates is on it.
        sx, sy = _rounding_slack(self.start, self.end, point)
        dx, dy = self.end.x - self.start.x, self.end.y - self.start.y
        swept = (abs(dx) * sy + abs(dy) * sx) / 2
        if not abs(Vector.area_of_triangle(self.start, self.end, point)) < max(epsilon, swept):
            return False
        return _in_box(*self.bound, point, (sx, sy))

    def is_parallel(self, other):
        return Vector.cross_product(self.vector, other.vector) == 0

    def to_line(self):
        return Line(self.start, self.end)

    def intersection_with_segment(self, other):
        p = Vector.intersection(self.start, self.end, other.start, other.end)
        if p is None or not self.is_point_in_bound(p):
            return None
        return p if other.is_point_in_bound(p) else None

    def intersection_with_line(self, line):
        p = Vector.intersection(self.start, self.end, line.start, line.end)
        if p is None or not self.is_point_in_bound(p):
            return None
        return p

    def _closest(self, point):
        """(closest point, gap from it to the point): the foot of the
        perpendicular when it lies on the segment, else the nearer end (the
        end on a tie); the start of a zero-length one."""
        ab = self.vector
        ac = Vector.vector_from_points(self.start, point)
        if ab.magnitude == 0.0:
            return self.start, ac
        s = Vector.dot_product(ab, ac) / ab.magnitude
        v = ab.unit_vector * s
        # Repair: the foot is judged by its move from the start against the
        # segment's own, and the gap measured there, before the sum with a
        # far-out start is rounded.
        if Segment(Point(0.0, 0.0), Point(ab.x, ab.y)).is_point_on(v):
            return Point(v.x + self.start.x, v.y + self.start.y), Vector(ac.x - v.x, ac.y - v.y)
        if point.distance_to_point(self.start) < point.distance_to_point(self.end):
            return self.start, ac
        return self.end, Vector(point.x - self.end.x, point.y - self.end.y)

    def closest_point(self, point):
        return self._closest(point)[0]

    def distance_to_point(self, point):
        gap = self._closest(point)[1]
        return math.sqrt(gap.x ** 2.0 + gap.y ** 2.0)

    def point_at_parameter(self, t):
        t = float(t)
        return Point(self.start.x + t * (self.end.x - self.start.x), self.start.y + t * (self.end.y - self.start.y))

    def point_at_length(self, length):
        length = float(length)
        full = self.length
        if length <= epsilon:
            return self.start
        if length + epsilon >= full:
            return self.end
        return self.point_at_parameter(length / full)

    def offset(self, distance):
        distance = float(distance)
        u = self.unit_vector
        n = Vector(u.y, -u.x)
        return Segment(self.start + n * distance, self.end + n * distance)

    @staticmethod
    def extract_nodes_from_segments(segments, ordered=False):
        """Ordered: the ends of the segments in list order. Unordered: a walk
        from a randomly drawn segment (removed from the caller's list), on
        from its end, then on from its start, taking each time the first
        segment in list order that touches the walk end."""
        if ordered:
            nodes = []
            for s in segments:
                nodes.append(s.start)
                nodes.append(s.end)
            return _without_repeats(nodes)
        first = segments.pop(random.randint(0, len(segments) - 1))

        def take(end):
            for i, s in enumerate(segments):
                if end == s.start:
                    del segments[i]
                    return s.end
                if end == s.end:
                    del segments[i]
                    return s.start
            return None

        ahead, behind = [], []
        end = first.end
        while segments:
            end = take(end)
            if end is None:
                break
            ahead.append(end)
        end = first.start
        while segments:
            end = take(end)
            if end is None:
                raise ValueError("The segments are not connected.")
            behind.append(end)
        return _without_repeats(behind[::-1] + [first.start, first.end] + ahead)


def _without_repeats(nodes):
    seen, out = set(), []
    for p in nodes:
        if p in seen:
            continue
        seen.add(p)
        out.append(p)
    return out


class Ray:
    def __init__(self, origin, direction):
        self.origin = origin
        self.direction = direction
        self.unit_vector = direction.unit_vector

    def to_line(self):
        return Line(self.origin, self.origin + self.direction)

    @property
    def bound(self):
        """(min x, min y, max x, max y): infinite on the open sides, pinned to
        the origin along an axis the direction does not move along."""
        def pair(a, b):
            return (b, a) if b < a else (a, b)
        inf = float("inf")
        min_x, max_x = pair(self.origin.x, self.direction.x * inf)
        min_y, max_y = pair(self.origin.y, self.direction.y * inf)
        if self.direction.x == 0 and self.direction.y != 0:
            min_x = max_x = self.origin.x
        elif self.direction.x != 0 and self.direction.y == 0:
            min_y = max_y = self.origin.y
        return (min_x, min_y, max_x, max_y)

    def is_point_in_bound(self, point):
        min_x, min_y, max_x, max_y = self.bound
        return _in_box(min_x, max_x, min_y, max_y, point)

    def intersection_with_segment(self, segment):
        # Repair: met about the origin, the ray's line from there along its
        # own direction rather than through the rounded origin + direction.
        o = self.origin
        local = Segment(Point(segment.start.x - o.x, segment.start.y - o.y),
                        Point(segment.end.x - o.x, segment.end.y - o.y))
        here = Ray(Point(0.0, 0.0), self.direction)
        p = Vector.intersection(local.start, local.end, here.origin, Point(self.direction.x, self.direction.y))
        if p is None:
            return None
        in_self = here.is_point_in_bound(p)
        in_other = local.is_point_in_bound(p)
        return Point(p.x + o.x, p.y + o.y) if in_self and in_other else None
