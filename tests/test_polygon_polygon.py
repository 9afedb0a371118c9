"""Polygons with holes: measures and containment against shapely and the plain
reference, equality and hashing, iteration, the caller's hole list, and the
polygons of a segment network."""

import random
import types

import pytest
import shapely.geometry as sg
import shapely.ops
from hypothesis import given, settings, strategies as st

from Flatkin import Point
from Polygon import Polygon
from Polyline import Polyline
from Strakel import Segment, SegmentCollection

from polygon_support import L_SHAPE, OURS, PLAIN, U_SHAPE, picture, rect, rotated


def holed(seed, n_holes):
    """A floor outline and up to n_holes non-overlapping rectangular holes."""
    rng = random.Random(seed)
    outline = rotated(L_SHAPE, rng.uniform(-1, 1)) if seed % 2 else U_SHAPE
    shell, holes = sg.Polygon(outline).buffer(-0.01), []
    for x, y in rng.sample([(x, y) for x in range(-10, 60, 10) for y in range(-10, 50, 10)], 42):  # one per cell
        h = rect(x + rng.uniform(0, 1), y + rng.uniform(0, 1), x + rng.uniform(2, 9.5), y + rng.uniform(2, 9.5))
        if len(holes) < n_holes and shell.contains(sg.Polygon(h)):
            holes.append(h if rng.random() < 0.5 else h[::-1])
    return outline, holes


def test_area_takes_the_holes_off_and_needs_them_closed():
    assert OURS.polygon(rect(0, 0, 10, 10), [rect(4, 4, 6, 6)]).area == 96.0
    pg = Polygon(OURS.poly(rect(0, 0, 10, 10)), [OURS.poly([(1, 1), (2, 1), (2, 2)])])
    with pytest.raises(ValueError, match="Polyline must be closed to calculate area."):
        pg.area


@settings(max_examples=60, deadline=None)
@given(seed=st.integers(0, 10_000), n_holes=st.integers(0, 5))
def test_area_and_containment_agree_with_shapely(seed, n_holes):
    outline, holes = holed(seed, n_holes)
    region = sg.Polygon(outline, holes)
    pg, ref = OURS.polygon(outline, holes), PLAIN.polygon(outline, holes)
    assert pg.area == pytest.approx(region.area, rel=1e-12) and pg.area == ref.area
    assert pg.perimeter == pytest.approx(region.exterior.length)
    # Containment away from the tolerance band of the outlines.
    rng = random.Random(seed)
    for _ in range(40):
        x, y = rng.uniform(-15, 65), rng.uniform(-15, 55)
        got = pg.contains_point(Point(x, y))
        assert got is ref.contains_point(PLAIN.Point(x, y))
        if region.boundary.distance(sg.Point(x, y)) > 1e-3:
            assert got == region.contains(sg.Point(x, y))


@pytest.mark.parametrize("point, contained, on", [
    ((0, 5), True, True), ((10, 10), True, True),  # on the outline, at a corner
    ((4, 5), False, False), ((5, 5), False, False),  # on a hole's outline, inside the hole
    ((1, 1), True, False), ((11, 5), False, False)])
def test_points_on_outlines_and_in_holes(point, contained, on):
    asked = []

    class Hole(Polyline):  # asked through its own methods, never read directly
        def is_point_inside(self, p):
            asked.append(p)
            return super().is_point_inside(p)

    pg = Polygon(OURS.poly(rect(0, 0, 10, 10)), [OURS.poly(rect(7, 1, 8, 2)), Hole(OURS.pts(rect(4, 4, 6, 6)))])
    assert pg.contains_point(Point(*point)) is contained and pg.is_point_on(Point(*point)) is on
    assert len(asked) == (0 <= point[0] <= 10 and 0 <= point[1] <= 10)  # once for points in the outline


# ------------------------------------------------------------ identity

def test_equality_is_tolerant_ordered_and_hole_by_hole_and_hashes_are_exact():
    outline, hole = rect(0, 0, 10, 10), rect(4, 4, 6, 6)
    a = OURS.polygon(outline, [hole])
    assert a == OURS.polygon([(x + 1e-7, y) for x, y in outline], [hole]) and not a != OURS.polygon(outline, [hole])
    for other in [(outline[::-1], [hole]), (outline[1:] + [(10, 0)], [hole]), (outline, [hole, rect(1, 1, 2, 2)]),
                  (outline, [[(4, 4), (6, 4), (4, 6), (4, 4)]]), (outline, [])]:
        assert a != OURS.polygon(*other)
    assert a == PLAIN.polygon(outline, [hole]) and hash(a) == hash(PLAIN.polygon(outline, [hole]))  # no class test
    assert hash(a) != hash(OURS.polygon(outline, [rect(4, 4, 6, 6.5)]))
    with pytest.raises(AttributeError):
        a == 3
    no_holes, empty = Polygon(OURS.poly(outline)), Polygon(OURS.poly(outline), [])
    assert no_holes == empty and hash(no_holes) == hash(empty) == hash(PLAIN.polygon(outline))


def test_holes_are_the_callers_list_read_when_iteration_reaches_them():
    outline = OURS.poly(rect(0, 0, 10, 10))
    pg = Polygon(outline)
    it = iter(pg)
    assert next(it) is outline and list(Polygon(outline)) == [outline]
    pg.add_inner(OURS.poly(rect(1, 1, 2, 2)))
    assert list(it) == pg.inners
    holes = [OURS.poly(rect(1, 1, 2, 2))]
    pg = Polygon(OURS.poly(rect(0, 0, 10, 10)), holes)
    extra = OURS.poly(rect(3, 3, 4, 4))
    assert pg.add_inner(extra) is None and pg.inners is holes and holes[-1] is extra
    assert pg.inn_points == [h.points for h in holes] and pg.inn_points[0] is holes[0].points
    assert pg.out_points is pg.outer.points
    alone = Polygon(OURS.poly(rect(0, 0, 10, 10)))
    assert alone.inn_points == [] and alone.add_inner(extra) is None and alone.inners == [extra]


@pytest.mark.parametrize("check", [True, 1, False, [1], None])
def test_only_the_object_true_checks_the_outline(check):
    open_line = OURS.poly([(0, 0), (4, 0), (4, 3)])
    if check is True:
        with pytest.raises(Exception, match="Please input closed Polyline"):
            Polygon(open_line, check=check)
    else:
        assert Polygon(open_line, check=check).outer is open_line


def test_outline_queries_are_the_outlines_own_answers():
    outline = OURS.poly(L_SHAPE)
    pg = Polygon(outline)
    assert pg.is_clockwise() == outline.is_clockwise > 0 > Polygon(OURS.poly(L_SHAPE[::-1])).is_clockwise()
    assert (pg.bound, pg.is_convex(), pg.is_closed(), pg.is_self_intersecting()) == (outline.bound, False, True, False)
    assert (pg.centroid.x, pg.centroid.y) == (outline.centroid.x, outline.centroid.y)
    assert [pg.move(), pg.rotate(), pg.scale()] == [None] * 3 and pg.outer is outline and pg.inners is None


def test_polygons_of_a_segment_network_run_round_its_rooms():
    # Three rooms side by side and a corridor: the inner walls bound two
    # loops each, and the loop walks leave some of them turned round.
    walls = [((0, 0), (30, 0)), ((30, 0), (30, 10)), ((30, 10), (0, 10)), ((0, 10), (0, 0)),
             ((10, 0), (10, 6)), ((20, 0), (20, 6)), ((0, 6), (30, 6))]
    network = SegmentCollection([Segment(Point(*a), Point(*b)) for a, b in walls])
    polylines = Polygon.get_polygons(network)
    rooms = sg.MultiLineString([list(w) for w in walls]).union(sg.Point(0, 0))
    faces = sorted(round(f.area, 9) for f in shapely.ops.polygonize(rooms))
    assert len(polylines) == len(faces)
    assert all(type(p) is Polyline and p.is_closed() and not p.is_self_intersecting() for p in polylines)
    assert sorted(p.area for p in polylines) == pytest.approx(faces, abs=1e-6)
    plain = PLAIN.Polygon.get_polygons(SegmentCollection([Segment(Point(*a), Point(*b)) for a, b in walls]))
    assert picture(plain) == picture(polylines)


def test_polygons_of_a_network_share_the_point_objects():
    def Network(loops):
        return types.SimpleNamespace(get_polygons=lambda: loops)

    pts = OURS.pts([(0, 0), (2, 0), (2, 2)])
    loop = [Segment(pts[0], pts[1]), Segment(pts[1], pts[2]), Segment(pts[2], pts[0])]
    (poly,) = Polygon.get_polygons(Network([loop]))
    assert poly.points[0] is pts[0] and poly.points[2] is pts[2] and poly.points[3] is pts[0]
    assert Polygon.get_polygons(Network([])) == []
    with pytest.raises(IndexError):
        Polygon.get_polygons(Network([[]]))
