"""Convex hulls, one winding for a list of polylines, and the four kinds of
bounding box."""

import math
import random

import pytest
import shapely
from hypothesis import given, settings
from hypothesis import strategies as st

from Flatkin import Point, Vector
from Polyline import Polyline
import pyref_flatkin
import pyref_polyline
from polyline_support import Twin, chains, outlines, picture, point_xy, star

BOXES = ["minimum_bounding_box", "longest_edge_box", "set_vector_box", "bounding_box"]


def poly(coords):
    return Polyline([Point(x, y) for x, y in coords])


@settings(max_examples=200, deadline=None)
@given(st.lists(point_xy, min_size=1, max_size=60))
def test_hull_has_shapelys_vertices_counter_clockwise_and_closed(coords):
    pts = [Point(x, y) for x, y in coords]
    hull = Polyline.convex_hull(pts)
    assert hull[0] is hull[-1] and all(any(h is p for p in pts) for h in hull)
    expected = shapely.MultiPoint(coords).convex_hull
    ring = [(h.x, h.y) for h in hull]
    theirs = list(expected.exterior.coords) if expected.geom_type == "Polygon" else list(expected.coords)
    # The same vertices, but for nearly collinear ones that floating-point
    # turns and shapely's exact predicates may judge differently.
    for a, b in ((ring, theirs), (theirs, ring)):
        other = shapely.LineString(b) if len(set(b)) > 1 else shapely.Point(b[0])
        assert all(v in b or other.distance(shapely.Point(v)) < 1e-9 for v in a)
    if len(set(ring)) > 2:
        assert shapely.LinearRing(ring).is_ccw
    angles = [math.atan2(y, x) % (2 * math.pi) for x, y in ring[:-1]]
    if all(math.hypot(x, y) > 1e-6 for x, y in ring) and len(angles) > 1:
        assert angles[0] == min(angles) or math.isclose(angles[0], min(angles), abs_tol=1e-12)


@settings(max_examples=100, deadline=None)
@given(st.lists(point_xy, min_size=1, max_size=40))
def test_hull_equals_the_plain_steps(coords):
    ours = [Point(x, y) for x, y in coords]
    plain = [pyref_flatkin.Point(x, y) for x, y in coords]
    assert picture(Polyline.convex_hull(ours), ours) == picture(pyref_polyline.Polyline.convex_hull(plain), plain)


@pytest.mark.parametrize("coords, expected", [
    ([(1, 1), (-1, 1), (-1, -1), (1, -1)], [(1, 1), (-1, 1), (-1, -1), (1, -1), (1, 1)]),
    ([(-1, -1), (0, 1), (1, 1), (1, -1), (-1, 1), (0.5, 0)], [(1, 1), (-1, 1), (-1, -1), (1, -1), (1, 1)]),
    ([(10, 10), (20, 10), (20, 20), (10, 20)], [(20, 10), (20, 20), (10, 20), (10, 10), (20, 10)]),
    ([(0, 0), (2, 0), (2, 2), (0, 2), (1, 1)], [(0, 0), (2, 0), (2, 2), (0, 2), (0, 0)]),
    ([(3, 3)], [(3, 3), (3, 3)]),
    ([(1, 0), (0, 1)], [(1, 0), (0, 1), (1, 0)]),
    ([(0, 0), (1, 1), (2, 2), (1, 1)], [(0, 0), (2, 2), (0, 0)]),
], ids=["square", "square-with-extras", "away-from-origin", "vertex-at-origin", "one", "two", "collinear"])
def test_hull_table(coords, expected):
    assert [(p.x, p.y) for p in Polyline.convex_hull([Point(x, y) for x, y in coords])] == expected


def test_hull_takes_its_argument_by_position_only():
    with pytest.raises(TypeError):
        Polyline.convex_hull(points=[Point(0, 0)])
    assert Polyline.convex_hull([]) == []


def test_unify_direction_reverses_in_place_all_but_the_first():
    ccw = poly([(0, 0), (1, 0), (1, 1), (0, 1), (0, 0)])
    cw, flat = poly([(0, 0), (0, 1), (1, 1), (1, 0), (0, 0)]), poly([(0, 0), (1, 0), (2, 0)])
    old = cw.points
    polylines = [ccw, cw, flat]
    assert Polyline.unify_direction(polylines) is polylines
    assert cw.wise == 1 and cw.points is not old and cw.points == old[::-1] and flat.points[0] == Point(2, 0)
    with pytest.raises(IndexError):
        Polyline.unify_direction([])
    with pytest.raises(TypeError):
        Polyline.unify_direction(polylines=polylines)


@settings(max_examples=120, deadline=None)
@given(st.one_of(outlines(), chains), st.sampled_from(["ABB", "MBB", "LEB", "SVB", "nope"]), st.integers(0, 2))
def test_boxes_equal_the_plain_steps(coords, mode, typ):
    twin = Twin(coords)
    twin.ours.BOUND = twin.plain.BOUND = mode
    for name in BOXES[:3]:
        assert twin.same(getattr(twin.ours, name)(), getattr(twin.plain, name)()), name
    assert twin.same(twin.ours.set_vector_box(Vector(0.3, -2)), twin.plain.set_vector_box(
        type(twin.plain.start_vector)(0.3, -2)))
    assert twin.same(twin.ours.bounding_box(typ=typ), twin.plain.bounding_box(typ=typ))


@settings(max_examples=100, deadline=None)
@given(st.lists(point_xy, min_size=3, max_size=40))
def test_minimum_box_of_a_convex_outline_has_shapelys_area(coords):
    hull = shapely.MultiPoint(coords).convex_hull
    if hull.geom_type != "Polygon" or hull.area < 1e-3:
        return
    ring = list(hull.exterior.coords)
    if min(math.dist(a, b) for a, b in zip(ring, ring[1:])) < 1e-3:
        return  # an edge no longer than epsilon gives an unscaled, shrunken frame
    outline = poly(list(hull.exterior.coords))
    box = outline.minimum_bounding_box()
    area = shapely.Polygon([(c.x, c.y) for c in box]).area
    assert area == pytest.approx(shapely.oriented_envelope(hull).area, rel=1e-9)
    assert shapely.Polygon([(c.x, c.y) for c in box]).buffer(1e-7).contains(hull)


def test_bound_is_read_through_the_instance_and_the_class():
    rect = poly([(0, 0), (4, 0), (4, 2), (0, 2), (0, 0)])
    other = poly([(0, 0), (4, 0), (4, 2), (0, 2), (0, 0)])
    assert [(c.x, c.y) for c in rect.bounding_box()] == [(0, 0), (0, 2), (4, 2), (4, 0)]
    rect.BOUND = "other"
    assert rect.bounding_box() is None and other.bounding_box() is not None
    try:
        Polyline.BOUND = "LEB"
        assert [(c.x, c.y) for c in other.bounding_box()] == [(0, 2), (4, 2), (4, 0), (0, 0)]
        assert rect.bounding_box() is None
    finally:
        Polyline.BOUND = "ABB"


def test_the_default_vector_is_one_object_handed_to_every_call():
    seen = []

    class Spy(Polyline):
        BOUND = "SVB"

        def set_vector_box(self, vector=None):
            seen.append(vector)
            return []
    spy = Spy([Point(0, 0), Point(1, 0)])
    spy.bounding_box()
    spy.bounding_box(typ=1)
    assert seen[0] is seen[1] and (seen[0].x, seen[0].y) == (1.0, 2.0) and type(seen[0]) is Vector
    axis = poly([(0, 0), (4, 0), (4, 2), (0, 2), (0, 0)]).set_vector_box()
    assert [(c.x, c.y) for c in axis] == [(0, 2), (4, 2), (4, 0), (0, 0)]


def test_typ_one_boxes_the_hull_of_a_non_convex_outline_with_a_vertex_at_the_origin():
    l_shape = poly([(0, 0), (6, 0), (6, 3), (3, 3), (3, 5), (0, 5), (0, 0)])
    l_shape.BOUND = "MBB"
    box = l_shape.bounding_box(typ=1)
    assert shapely.Polygon([(c.x, c.y) for c in box]).area == pytest.approx(30.0)
    assert l_shape.count == 7 and l_shape.bounding_box(typ=True) == box


def test_boxes_of_large_random_outlines_equal_the_plain_steps():
    rng = random.Random(4)
    twin = Twin(star(rng, 300))
    for name in BOXES[:3]:
        assert twin.same(getattr(twin.ours, name)(), getattr(twin.plain, name)())
    assert twin.same(twin.ours.bounding_box(typ=1), twin.plain.bounding_box(typ=1))
