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
from polyline_support import L_ROOM, Twin, agree, chains, outcome, outlines, picture, point_xy, poly, star, xy

BOXES = ["minimum_bounding_box", "longest_edge_box", "set_vector_box"]


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
@given(st.lists(point_xy, max_size=40))
def test_hull_equals_the_plain_steps(coords):
    ours = [Point(x, y) for x, y in coords]
    plain = [pyref_flatkin.Point(x, y) for x, y in coords]
    mine, theirs = outcome(Polyline.convex_hull, ours), outcome(pyref_polyline.Polyline.convex_hull, plain)
    if not coords:  # the scan's index wraps modulo a count of zero
        with pytest.raises(ZeroDivisionError) as modulo:
            0 % len(coords)
        assert mine == theirs == ("raises", ZeroDivisionError, str(modulo.value))
    else:
        assert picture(mine[1], ours) == picture(theirs[1], plain)


def test_unify_direction_reverses_in_place_all_but_the_first():
    ccw = poly([(0, 0), (1, 0), (1, 1), (0, 1), (0, 0)])
    cw, flat = poly([(0, 0), (0, 1), (1, 1), (1, 0), (0, 0)]), poly([(0, 0), (1, 0), (2, 0)])
    old = cw.points
    polylines = [ccw, cw, flat]
    assert Polyline.unify_direction(polylines) is polylines
    assert cw.wise == 1 and cw.points is not old and cw.points == old[::-1] and flat.points[0] == Point(2, 0)


@settings(max_examples=120, deadline=None)
@given(st.one_of(outlines(), chains), st.sampled_from(["ABB", "MBB", "LEB", "SVB", "nope"]), st.integers(0, 2))
def test_boxes_equal_the_plain_steps(coords, mode, typ):
    twin = Twin(coords)
    twin.ours.BOUND = twin.plain.BOUND = mode
    for name in BOXES:
        agree(twin, name)
    agree(twin, "set_vector_box", Vector(0.3, -2))
    agree(twin, "bounding_box", typ=typ)


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
    area = shapely.Polygon(xy(box)).area
    assert area == pytest.approx(shapely.oriented_envelope(hull).area, rel=1e-9)
    assert shapely.Polygon(xy(box)).buffer(1e-7).contains(hull)


def test_the_mode_is_read_at_call_time_and_the_default_vector_is_one_object():
    rect, other = poly([(0, 0), (4, 0), (4, 2), (0, 2), (0, 0)]), poly([(0, 0), (4, 0), (4, 2), (0, 2), (0, 0)])
    assert xy(rect.bounding_box()) == [(0, 0), (0, 2), (4, 2), (4, 0)]
    rect.BOUND = "other"
    assert rect.bounding_box() is None and other.bounding_box() is not None
    try:
        Polyline.BOUND = "LEB"
        assert xy(other.bounding_box()) == [(0, 2), (4, 2), (4, 0), (0, 0)] and rect.bounding_box() is None
    finally:
        Polyline.BOUND = "ABB"
    seen = []

    class Spy(Polyline):
        BOUND = "SVB"

        def set_vector_box(self, vector=None):
            seen.append(vector)
            return []
    Spy([Point(0, 0), Point(1, 0)]).bounding_box()
    Spy([Point(0, 0), Point(1, 0)]).bounding_box(typ=1)
    assert seen[0] is seen[1] and (seen[0].x, seen[0].y) == (1.0, 2.0) and type(seen[0]) is Vector


def test_boxes_of_a_large_outline_and_of_an_l_shaped_room_equal_the_plain_steps():
    for twin in (Twin(star(random.Random(4), 300)), Twin(L_ROOM)):
        twin.ours.BOUND = twin.plain.BOUND = "MBB"
        for name in BOXES:
            agree(twin, name)
        agree(twin, "bounding_box", typ=1)
    box = twin.ours.bounding_box(typ=1)  # the L-shaped room has a vertex at the origin
    assert shapely.Polygon(xy(box)).area == pytest.approx(30.0) and twin.ours.bounding_box(typ=True) == box
    assert twin.ours.count == 7
