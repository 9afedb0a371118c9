"""One point against a polyline: the segment that holds it or lies nearest,
tangents and normals, the closest point, and crossings with lines, rays,
segments and other polylines."""

import math
import random

import pytest
import shapely
from hypothesis import given, settings
from hypothesis import strategies as st

import Strakel
from Flatkin import Point, Vector
from Strakel import Line, Ray, Segment
from polyline_support import UNIT_SQUARE, Twin, agree, chains, point_xy, poly

POINT_QUERIES = ["select_segment_containing_point", "select_segment_close_to_point", "tangent_at_point",
                 "normal_at_point", "tangent_ray_at_point", "tangent_line_at_point", "normal_ray_at_point",
                 "normal_line_at_point", "closest_point"]


def probes(twin, rng):
    """Points near, on and at the vertices of a polyline."""
    out = [(x + rng.uniform(-2, 2), y + rng.uniform(-2, 2)) for x, y in twin.coords]
    for (x0, y0), (x1, y1) in zip(twin.coords, twin.coords[1:]):
        t = rng.random()
        out.append((x0 + t * (x1 - x0), y0 + t * (y1 - y0)))
    return out + twin.coords[:3]


@settings(max_examples=120, deadline=None)
@given(chains, st.booleans(), st.integers(0, 1000))
def test_point_queries_equal_the_plain_steps(coords, closed, seed):
    twin = Twin(coords, closed)
    for x, y in probes(twin, random.Random(seed)):
        for name in POINT_QUERIES:
            agree(twin, name, Point(x, y))


@settings(max_examples=100, deadline=None)
@given(chains.filter(lambda c: all(math.dist(a, b) > 1e-6 for a, b in zip(c, c[1:]))), point_xy)
def test_closest_point_is_at_shapelys_distance(coords, xy):
    # A projection counts as on a segment up to Strakel's epsilon beyond its ends,
    # so the distance may be short of shapely's by that much on each axis.
    p = poly(coords).closest_point(Point(*xy))
    line = shapely.LineString(coords)
    assert math.dist((p.x, p.y), xy) == pytest.approx(line.distance(shapely.Point(xy)), rel=1e-9,
                                                      abs=1.5 * Strakel.epsilon)


@settings(max_examples=80, deadline=None)
@given(chains, chains, st.booleans())
def test_crossings_equal_the_plain_steps(coords, other, closed):
    twin, (ax, ay), (bx, by) = Twin(coords, closed), other[0], other[1]
    for arg in (poly(other), Line(Point(ax, ay), Point(bx, by)), Segment(Point(ax, ay), Point(bx, by))):
        agree(twin, "intersection", arg)
    if (bx, by) != (0, 0):
        agree(twin, "intersection", Ray(Point(ax, ay), Vector(bx, by)))


def test_any_object_with_intersection_with_segment_is_asked_per_segment():
    asked = []

    class Probe:
        def intersection_with_segment(self, segment):
            asked.append((segment.start.x, segment.end.x))
            return Point(7, 7)

    assert poly([(0, 0), (1, 0), (2, 0)]).intersection(Probe()) == [Point(7, 7)]
    assert asked == [(0.0, 1.0), (1.0, 2.0)]
    with pytest.raises(AttributeError):
        poly(UNIT_SQUARE).intersection(object())
