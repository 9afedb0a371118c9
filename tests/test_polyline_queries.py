"""One point against a polyline: the segment that holds it or lies nearest,
tangents and normals, the closest point, and crossings with lines, rays,
segments and other polylines."""

import math
import random

import pytest
import shapely
from hypothesis import given, settings
from hypothesis import strategies as st

import pyref_flatkin
import pyref_strakel
import Strakel
from Flatkin import Point, Vector
from Polyline import Polyline
from Strakel import Line, Ray, Segment
from polyline_support import UNIT_SQUARE, Twin, chains, outcome, point_xy, same_outcome

POINT_QUERIES = ["select_segment_containing_point", "select_segment_close_to_point", "tangent_at_point",
                 "normal_at_point", "tangent_ray_at_point", "tangent_line_at_point", "normal_ray_at_point",
                 "normal_line_at_point", "closest_point"]


def poly(coords):
    return Polyline([Point(x, y) for x, y in coords])


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
            ours = outcome(getattr(twin.ours, name), Point(x, y))
            plain = outcome(getattr(twin.plain, name), pyref_flatkin.Point(x, y))
            assert same_outcome(twin, ours, plain), (name, x, y)


@settings(max_examples=100, deadline=None)
@given(chains.filter(lambda c: all(math.dist(a, b) > 1e-6 for a, b in zip(c, c[1:]))), point_xy)
def test_closest_point_is_at_shapelys_distance(coords, xy):
    # A projection counts as on a segment up to Strakel's epsilon beyond its ends,
    # so the distance may be short of shapely's by that much on each axis.
    p = poly(coords).closest_point(Point(*xy))
    line = shapely.LineString(coords)
    assert math.dist((p.x, p.y), xy) == pytest.approx(line.distance(shapely.Point(xy)), rel=1e-9,
                                                      abs=1.5 * Strakel.epsilon)


def test_a_vertex_belongs_to_the_earlier_segment_and_ties_go_to_the_earliest():
    pts = [Point(0, 0), Point(1, 0), Point(1, 1)]
    p = Polyline(pts)
    assert p.tangent_at_point(Point(1, 0)) == Vector(1, 0)
    assert p.closest_point(Point(2, -1)) is pts[1]
    assert p.closest_point(Point(2, 0.5)) == Point(1, 0.5)
    s = p.select_segment_close_to_point(Point(2, -2))
    assert s.start is pts[0] and s.end is pts[1]


@pytest.mark.parametrize("start, end, direction", [
    ((0, 0), (2, 1), (1, 0.5)), ((2, 1), (0, 0), (-1, -0.5)), ((0, 0), (0, 3), (0, 1)),
    ((0, 3), (0, 0), (0, -1)), ((0, 0), (3, 0), (1, 0)), ((3, 0), (0, 0), (-1, 0)),
])
def test_tangent_ray_direction_table(start, end, direction):
    mid = ((start[0] + end[0]) / 2, (start[1] + end[1]) / 2)
    ray = poly([start, end]).tangent_ray_at_point(Point(*mid))
    assert type(ray) is Ray and (ray.direction.x, ray.direction.y) == direction


def test_normals_keep_the_segment_length_and_points_off_the_polyline_give_none():
    p = poly([(0, 0), (2, 0)])
    assert p.normal_at_point(Point(1, 0)) == Vector(0, -2)
    ray = p.normal_ray_at_point(Point(1, 0))
    assert ray.direction == Vector(0, -2) and ray.origin == Point(1, 0)
    assert type(p.normal_line_at_point(Point(1, 0))) is Line
    for name in POINT_QUERIES[:1] + POINT_QUERIES[2:8]:
        assert getattr(p, name)(Point(1, 1)) is None


@pytest.mark.parametrize("other, expected", [
    (Line(Point(0, 0.5), Point(1, 0.5)), [(1, 0.5), (0, 0.5)]),
    (Line(Point(0, 0), Point(1, 1)), [(0, 0), (1, 1)]),
    (Line(Point(0, 0), Point(1, 0)), [(1, 0), (0, 0)]),
    (Line(Point(5, 5), Point(6, 5)), []),
    (Segment(Point(0.5, -1), Point(0.5, 0.5)), [(0.5, 0)]),
    (Ray(Point(0.5, 0.5), Vector(1, 0)), [(1, 0.5)]),
], ids=["line-across", "diagonal", "along-edge", "miss", "segment", "ray"])
def test_crossings_with_the_unit_square(other, expected):
    found = poly(UNIT_SQUARE).intersection(other)
    assert [(p.x, p.y) for p in found] == expected and all(type(p) is Point for p in found)


@settings(max_examples=80, deadline=None)
@given(chains, chains, st.booleans())
def test_crossings_equal_the_plain_steps(coords, other, closed):
    twin, other_twin = Twin(coords, closed), Twin(other)
    (ax, ay), (bx, by) = other[0], other[1]
    cases = [
        (other_twin.ours, other_twin.plain),
        (Line(Point(ax, ay), Point(bx, by)), pyref_strakel.Line(pyref_flatkin.Point(ax, ay),
                                                                 pyref_flatkin.Point(bx, by))),
        (Segment(Point(ax, ay), Point(bx, by)), pyref_strakel.Segment(pyref_flatkin.Point(ax, ay),
                                                                       pyref_flatkin.Point(bx, by))),
    ]
    if (bx, by) != (0, 0):
        cases.append((Ray(Point(ax, ay), Vector(bx, by)),
                      pyref_strakel.Ray(pyref_flatkin.Point(ax, ay), pyref_flatkin.Vector(bx, by))))
    for ours, plain in cases:
        assert same_outcome(twin, outcome(twin.ours.intersection, ours), outcome(twin.plain.intersection, plain))


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
