"""Lines and rays against a plain-Python restatement of their rules, on
random inputs: built from our Point and Vector, or from foreign objects that
have only `x` and `y`, they give the same answers."""

import math
import sys

import pytest
from hypothesis import given, settings, strategies as st

import Flatkin
import Strakel
from Flatkin import Point, Vector
from Strakel import Line, Ray

from common import (Duck, normalise, outcome, ref_area, ref_distance, ref_intersection,
                    ref_magnitude, ref_projection_foot, same_outcome)


def seps():
    return Strakel.epsilon


# ------------------------------------------------------ the plain rules

def ref_unit(x, y):
    m = ref_magnitude(x, y)
    if abs(m) <= Flatkin.epsilon:
        return (x, y)
    return (x / m, y / m)


class RefLine:
    def __init__(self, start, end):
        self.start, self.end = start, end

    @property
    def vector(self):
        return Duck(self.end.x - self.start.x, self.end.y - self.start.y)

    @property
    def unit_vector(self):
        v = self.vector
        return Duck(*ref_unit(v.x, v.y))

    @property
    def slope(self):
        if abs(self.start.x - self.end.x) < seps():
            return None
        return (self.end.y - self.start.y) / (self.end.x - self.start.x)

    @property
    def intercept(self):
        if abs(self.start.x - self.end.x) < seps():
            return self.start.x
        if abs(self.start.y - self.end.y) < seps():
            return self.start.y
        return self.start.y - self.slope * self.start.x

    def __repr__(self):
        text = "Line:y=" + format(self.slope) + "x"
        if self.intercept > 0:
            return text + "+" + format(self.intercept)
        if self.intercept < 0:
            return text + format(self.intercept)
        return text

    def __eq__(self, other):
        s1, s2 = self.slope, other.slope
        if s1 is None or s2 is None:
            return s1 is None and s2 is None and round(self.intercept, 3) == round(other.intercept, 3)
        if round(s1, 3) != round(s2, 3):
            return False
        return round(self.intercept, 3) == round(other.intercept, 3)

    def __hash__(self):
        s = self.slope
        return hash((None if s is None else round(s, 3) + 0.0, round(self.intercept, 3) + 0.0))

    def is_parallel(self, other):
        a, b = self.vector, other.vector
        return a.x * b.y - a.y * b.x == 0

    def is_perpendicular(self, other):
        a, b = self.vector, other.vector
        return a.x * b.x + a.y * b.y == 0

    def is_same_direction(self, other):
        a, b = self.vector, other.vector
        return a.x * b.x + a.y * b.y > 0

    def intersection_with_line(self, other):
        p = ref_intersection(self.start, self.end, other.start, other.end)
        return None if p is None else Duck(*p)

    def relative_position(self, point):
        k = (self.end.x - self.start.x) * (point.y - self.start.y) - \
            (self.end.y - self.start.y) * (point.x - self.start.x)
        return 0 if k > 0 else 1 if k < 0 else 2

    def is_on_line(self, point):
        # The tolerance is raised to the area that rounding at the points'
        # size sweeps along the line, where that is larger.
        def slack(*values):
            s = 4 * sys.float_info.epsilon * max(abs(v) for v in values)
            return s if math.isfinite(s) else 0.0
        sx, sy = (slack(self.start.x, self.end.x, point.x), slack(self.start.y, self.end.y, point.y))
        swept = (abs(self.end.x - self.start.x) * sy + abs(self.end.y - self.start.y) * sx) / 2
        return abs(ref_area(self.start, self.end, point)) < max(seps(), swept)

    def offset(self, distance):
        u = self.unit_vector
        rx, ry = u.y * distance, -u.x * distance
        return RefLine(Duck(self.start.x + rx, self.start.y + ry), Duck(self.end.x + rx, self.end.y + ry))

    def offset_both(self, distance):
        u = self.unit_vector
        right = self.offset(distance)
        lx, ly = -u.y * distance, u.x * distance
        return (right, RefLine(Duck(self.start.x + lx, self.start.y + ly),
                               Duck(self.end.x + lx, self.end.y + ly)))

    def closest_point(self, point):
        return Duck(*ref_projection_foot(self.start, self.end, point))

    def distance_to_point(self, point):
        return ref_distance(self.closest_point(point), point)

    @staticmethod
    def tween_line(line1, line2, t=0.5):
        s = 1.0 - t
        return RefLine(Duck(line1.start.x * s + line2.start.x * t, line1.start.y * s + line2.start.y * t),
                       Duck(line1.end.x * s + line2.end.x * t, line1.end.y * s + line2.end.y * t))


class RefRay:
    def __init__(self, origin, direction):
        self.origin, self.direction = origin, direction
        self.unit_vector = Duck(*ref_unit(direction.x, direction.y))

    def point_at_parameter(self, t):
        return Duck(self.origin.x + t * self.direction.x, self.origin.y + t * self.direction.y)

    def point_at_length(self, length):
        if length < 0:
            raise ValueError("Length is out of range.")
        return Duck(self.origin.x + length * self.unit_vector.x, self.origin.y + length * self.unit_vector.y)

    @property
    def bound(self):
        xs = sorted([self.origin.x, self.direction.x * math.inf])
        ys = sorted([self.origin.y, self.direction.y * math.inf])
        min_x, max_x = xs
        min_y, max_y = ys
        dx, dy = self.direction.x, self.direction.y
        if dx == 0 and dy == 0:
            raise Exception("Invalid ray")
        if dx == 0 and dy != 0:
            min_x = max_x = self.origin.x
        elif dx != 0 and dy == 0:
            min_y = max_y = self.origin.y
        return (float(min_x), float(min_y), float(max_x), float(max_y))

    def is_point_in_bound(self, point):
        b0, b1, b2, b3 = self.bound
        e = seps()
        return b0 - e <= point.x <= b2 + e and b1 - e <= point.y <= b3 + e

    def parameter_at_point(self, point):
        return (point.x - self.origin.x) * self.direction.x + (point.y - self.origin.y) * self.direction.y

    def to_line(self):
        return RefLine(self.origin, Duck(self.origin.x + self.direction.x, self.origin.y + self.direction.y))

    # Crossings are taken about the origin: the other object less the
    # origin, the ray's line from there along its own direction (not through
    # the rounded origin + direction), the bound tests there too, and the
    # origin added back to the point kept.
    def _here(self, point):
        return Duck(point.x - self.origin.x, point.y - self.origin.y)

    def _back(self, point):
        return Duck(point.x + self.origin.x, point.y + self.origin.y)

    def intersection_with_ray(self, other):
        here = RefRay(Duck(0.0, 0.0), self.direction)
        if isinstance(other, RefRay):
            there = RefRay(self._here(other.origin), other.direction)
        else:
            there = RefSegment(self._here(other.start), self._here(other.end))
        point = there.to_line().intersection_with_line(RefLine(here.origin, Duck(self.direction.x, self.direction.y)))
        if point is None:
            return None
        a = here.is_point_in_bound(point)
        b = there.is_point_in_bound(point)
        return self._back(point) if a and b else None

    def intersection_with_line(self, other):
        there = RefLine(self._here(other.start), self._here(other.end))
        point = there.intersection_with_line(RefLine(Duck(0.0, 0.0), Duck(self.direction.x, self.direction.y)))
        if point is None:
            return None
        return self._back(point) if RefRay(Duck(0.0, 0.0), self.direction).is_point_in_bound(point) else None


# ------------------------------------------------------------ inputs

# Coordinates with a taste for the tolerance borders and exact repeats.
coord = st.one_of(
    st.integers(-4, 4).map(float),
    st.sampled_from([0.0, -0.0, 1e-6, -1e-6, 5e-7, 1.5e-6, 2e-6, 0.5, 1e-7]),
    st.floats(-10, 10, allow_nan=False),
    st.sampled_from([math.inf, -math.inf, math.nan, 1e200]),
)
small = st.one_of(st.integers(-4, 4).map(float), st.sampled_from([1e-6, 5e-7, 1.5e-6, 0.0]))
pair = st.tuples(coord, coord)
near_pair = st.tuples(small, small)


def points_of(kind, *pairs):
    cls = {"point": Point, "duck": Duck, "ref": Duck}[kind]
    return [cls(x, y) for x, y in pairs]


def line_of(kind, a, b):
    pa, pb = points_of(kind, a, b)
    return (RefLine if kind == "ref" else Line)(pa, pb)


def picture(value):
    """Results compared across kinds: points of any class by coordinates."""
    if isinstance(value, (Line, RefLine)):
        return ("line", picture(value.start), picture(value.end))
    if isinstance(value, (Point, Vector, Duck)):
        return normalise(Duck(float(value.x), float(value.y)))
    if isinstance(value, tuple):
        return tuple(picture(v) for v in value)
    return normalise(value)


def agree(make):
    results = []
    for kind in ("ref", "point", "duck"):
        got = outcome(make, kind)
        if got[0] == "ok":
            got = ("ok", picture(got[1]))
        results.append(got)
    ref = results[0]
    for got in results[1:]:
        assert got[0] == ref[0], (results,)
        assert got[1] == ref[1], (results,)


LINE_QUERIES = ["vector", "unit_vector", "slope", "intercept", "repr"]


@settings(max_examples=200, deadline=None)
@given(a=st.one_of(pair, near_pair), b=st.one_of(pair, near_pair),
       query=st.sampled_from(LINE_QUERIES))
def test_line_values_agree_with_the_plain_rules(a, b, query):
    def make(kind):
        l = line_of(kind, a, b)
        return repr(l) if query == "repr" else getattr(l, query)
    agree(make)


@settings(max_examples=300, deadline=None)
@given(a=near_pair, b=near_pair, c=st.one_of(near_pair, pair), d=st.one_of(near_pair, pair),
       op=st.sampled_from(["is_parallel", "is_perpendicular", "is_same_direction",
                           "intersection_with_line", "eq", "hash"]))
def test_line_pair_operations_agree_with_the_plain_rules(a, b, c, d, op):
    def make(kind):
        l1, l2 = line_of(kind, a, b), line_of(kind, c, d)
        if op == "eq":
            return (l1 == l2, l2 == l1)
        if op == "hash":
            return (l1 == l2, hash(l1) == hash(l2) if l1 == l2 else True)
        return getattr(l1, op)(l2)
    agree(make)


@settings(max_examples=300, deadline=None)
@given(a=st.one_of(near_pair, pair), b=st.one_of(near_pair, pair), p=st.one_of(near_pair, pair),
       op=st.sampled_from(["relative_position", "is_on_line", "closest_point", "distance_to_point"]))
def test_line_point_operations_agree_with_the_plain_rules(a, b, p, op):
    def make(kind):
        l = line_of(kind, a, b)
        (q,) = points_of(kind, p)
        return getattr(l, op)(q)
    agree(make)


@settings(max_examples=200, deadline=None)
@given(a=pair, b=pair, c=pair, d=pair, t=st.one_of(st.floats(-3, 3), st.integers(-2, 2)),
       op=st.sampled_from(["offset", "offset_both", "tween_line"]))
def test_line_constructions_agree_with_the_plain_rules(a, b, c, d, t, op):
    def make(kind):
        l = line_of(kind, a, b)
        if op == "tween_line":
            cls = RefLine if kind == "ref" else Line
            return cls.tween_line(l, line_of(kind, c, d), t)
        return getattr(l, op)(t)
    agree(make)


def ray_of(kind, o, d):
    (po,) = points_of(kind, o)
    if kind == "ref":
        return RefRay(po, Duck(*d))
    return Ray(po, Vector(*d))


direction = st.one_of(near_pair, st.sampled_from([(1.0, 0.0), (0.0, -1.0), (-1.0, 1.0), (0.0, 0.0)]), pair)


@settings(max_examples=300, deadline=None)
@given(o=st.one_of(near_pair, pair), d=direction, p=st.one_of(near_pair, pair),
       t=st.one_of(st.floats(-3, 3), st.sampled_from([0.0, -1e-300])),
       op=st.sampled_from(["bound", "is_point_in_bound", "parameter_at_point",
                           "point_at_parameter", "point_at_length", "to_line"]))
def test_ray_operations_agree_with_the_plain_rules(o, d, p, t, op):
    def make(kind):
        r = ray_of(kind, o, d)
        (q,) = points_of(kind, p)
        if op == "bound":
            return r.bound
        if op == "to_line":
            return r.to_line()
        if op in ("point_at_parameter", "point_at_length"):
            return getattr(r, op)(t)
        return getattr(r, op)(q)
    agree(make)


@settings(max_examples=300, deadline=None)
@given(o1=near_pair, d1=direction, o2=st.one_of(near_pair, pair), d2=direction,
       a=near_pair, b=st.one_of(near_pair, pair),
       op=st.sampled_from(["ray", "line", "line_asks_ray"]))
def test_ray_crossings_agree_with_the_plain_rules(o1, d1, o2, d2, a, b, op):
    def make(kind):
        r = ray_of(kind, o1, d1)
        if op == "ray":
            return r.intersection_with_ray(ray_of(kind, o2, d2))
        l = line_of(kind, a, b)
        if op == "line_asks_ray" and kind != "ref":
            return l.intersection_with_ray(r)
        return r.intersection_with_line(l)
    agree(make)


class RefSegment:
    def __init__(self, start, end):
        self.start, self.end = start, end

    def to_line(self):
        return RefLine(self.start, self.end)

    def is_point_in_bound(self, point):
        xs, ys = [self.start.x, self.end.x], [self.start.y, self.end.y]
        e = seps()
        return min(xs) - e <= point.x <= max(xs) + e and min(ys) - e <= point.y <= max(ys) + e


@settings(max_examples=300, deadline=None)
@given(o=near_pair, d=direction, a=st.one_of(near_pair, pair), b=st.one_of(near_pair, pair),
       asked=st.booleans())
def test_ray_segment_crossings_agree_with_the_plain_rules(o, d, a, b, asked):
    def make(kind):
        r = ray_of(kind, o, d)
        pa, pb = points_of(kind, a, b)
        if kind == "ref":
            return r.intersection_with_ray(RefSegment(pa, pb))
        s = Strakel.Segment(pa, pb)
        return s.intersection_with_ray(r) if asked else r.intersection_with_segment(s)
    agree(make)
