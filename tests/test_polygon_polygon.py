"""Polygons with holes: measures and containment against shapely and the plain
reference, equality and hashing, iteration, the caller's hole list, and the
polygons of a segment network."""

import random

import pytest
import shapely.geometry as sg
import shapely.ops
from hypothesis import given, settings, strategies as st

from Flatkin import Point
from Polygon import Polygon
from Polyline import Polyline
from Strakel import Segment, SegmentCollection

from polygon_support import L_SHAPE, OURS, PLAIN, U_SHAPE, rect, rotated


def holed(seed, n_holes):
    """A floor outline and up to n_holes non-overlapping rectangular holes."""
    rng = random.Random(seed)
    outline = rotated(L_SHAPE, rng.uniform(-1, 1)) if seed % 2 else U_SHAPE
    shell = sg.Polygon(outline)
    holes = []
    for _ in range(60):
        if len(holes) == n_holes:
            break
        x, y = rng.uniform(-10, 60), rng.uniform(-10, 50)
        h = rect(x, y, x + rng.uniform(1, 8), y + rng.uniform(1, 8))
        hp = sg.Polygon(h)
        if shell.contains(hp.buffer(0.01)) and all(not hp.buffer(0.01).intersects(sg.Polygon(o)) for o in holes):
            holes.append(h if rng.random() < 0.5 else h[::-1])
    return outline, holes


@pytest.mark.parametrize("seed", range(6))
def test_area_is_the_outline_less_the_holes_as_shapely_measures_it(seed):
    outline, holes = holed(seed, 4)
    pg = OURS.polygon(outline, holes)
    assert pg.area == pytest.approx(sg.Polygon(outline, holes).area, rel=1e-12)
    assert pg.area == PLAIN.polygon(outline, holes).area
    assert pg.perimeter == pytest.approx(sg.Polygon(outline).exterior.length)


def test_area_of_a_square_with_a_hole_subtracts_it():
    pg = OURS.polygon(rect(0, 0, 10, 10), [rect(4, 4, 6, 6)])
    assert (pg.area, pg.perimeter) == (96.0, 40.0)
    assert OURS.polygon(rect(0, 0, 10, 10)).area == 100.0
    pg.inners = []
    assert pg.area == 100.0


def test_area_of_an_open_hole_raises():
    pg = Polygon(OURS.poly(rect(0, 0, 10, 10)), [OURS.poly([(1, 1), (2, 1), (2, 2)])])
    with pytest.raises(ValueError, match="Polyline must be closed to calculate area."):
        pg.area


@settings(max_examples=60, deadline=None)
@given(seed=st.integers(0, 10_000), n_holes=st.integers(0, 5))
def test_containment_agrees_with_shapely_away_from_the_boundaries(seed, n_holes):
    outline, holes = holed(seed, n_holes)
    region = sg.Polygon(outline, holes)
    pg, ref = OURS.polygon(outline, holes), PLAIN.polygon(outline, holes)
    rng = random.Random(seed)
    for _ in range(40):
        x, y = rng.uniform(-15, 65), rng.uniform(-15, 55)
        got = pg.contains_point(Point(x, y))
        assert got is ref.contains_point(PLAIN.Point(x, y))
        if region.boundary.distance(sg.Point(x, y)) > 1e-3:
            assert got == region.contains(sg.Point(x, y))


@pytest.mark.parametrize("point, contained, on", [
    ((0, 5), True, True),        # on the outline
    ((10, 10), True, True),      # an outline corner
    ((4, 5), False, False),      # on a hole's outline
    ((5, 5), False, False),      # inside the hole
    ((1, 1), True, False),
    ((11, 5), False, False),
])
def test_points_on_outlines_and_in_holes(point, contained, on):
    pg = OURS.polygon(rect(0, 0, 10, 10), [rect(4, 4, 6, 6)])
    assert pg.contains_point(Point(*point)) is contained
    assert pg.is_point_on(Point(*point)) is on


class Hole(Polyline):
    """A hole that answers through its own methods (never read directly)."""

    asked = 0

    def is_point_inside(self, point):
        Hole.asked += 1
        return super().is_point_inside(point)


def test_holes_of_another_class_are_asked_through_their_methods():
    pg = Polygon(OURS.poly(rect(0, 0, 10, 10)), [Hole(OURS.pts(rect(4, 4, 6, 6))), OURS.poly(rect(1, 1, 2, 2))])
    Hole.asked = 0
    assert pg.contains_point(Point(8, 8)) is True
    assert Hole.asked == 1
    assert pg.contains_point(Point(5, 5)) is False


# ------------------------------------------------------------ identity

def test_equality_is_tolerant_ordered_and_hole_by_hole():
    a = OURS.polygon(rect(0, 0, 10, 10), [rect(4, 4, 6, 6)])
    b = OURS.polygon([(x + 1e-7, y) for x, y in rect(0, 0, 10, 10)], [rect(4, 4, 6, 6)])
    assert a == b and not a != b
    assert a != OURS.polygon(rect(0, 0, 10, 10)[::-1], [rect(4, 4, 6, 6)])
    assert a != OURS.polygon(rotated(rect(0, 0, 10, 10), 0)[1:] + [(10, 0)], [rect(4, 4, 6, 6)])
    assert a != OURS.polygon(rect(0, 0, 10, 10), [rect(4, 4, 6, 6), rect(1, 1, 2, 2)])
    assert a != OURS.polygon(rect(0, 0, 10, 10), [[(4, 4), (6, 4), (4, 6), (4, 4)]])
    assert a == PLAIN.polygon(rect(0, 0, 10, 10), [rect(4, 4, 6, 6)])  # no class test
    with pytest.raises(AttributeError):
        a == 3


def test_no_holes_and_an_empty_hole_list_compare_and_hash_alike():
    outline = OURS.poly(rect(0, 0, 3, 2))
    a, b = Polygon(outline), Polygon(outline, [])
    assert a == b and hash(a) == hash(b)
    assert hash(a) == PLAIN.polygon(rect(0, 0, 3, 2)).__hash__()


def test_hash_follows_the_exact_coordinates():
    a = OURS.polygon(rect(0, 0, 10, 10), [rect(4, 4, 6, 6)])
    ref = PLAIN.polygon(rect(0, 0, 10, 10), [rect(4, 4, 6, 6)])
    assert hash(a) == hash(ref)
    assert hash(a) != hash(OURS.polygon(rect(0, 0, 10, 10), [rect(4, 4, 6, 6.5)]))


def test_iteration_is_a_generator_reading_the_holes_when_reached():
    outline = OURS.poly(rect(0, 0, 10, 10))
    pg = Polygon(outline)
    it = iter(pg)
    assert next(it) is outline
    hole = OURS.poly(rect(1, 1, 2, 2))
    pg.add_inner(hole)
    assert list(it) == [hole]
    assert list(Polygon(outline)) == [outline]


def test_holes_are_the_callers_list():
    holes = [OURS.poly(rect(1, 1, 2, 2))]
    pg = Polygon(OURS.poly(rect(0, 0, 10, 10)), holes)
    extra = OURS.poly(rect(3, 3, 4, 4))
    assert pg.add_inner(extra) is None
    assert pg.inners is holes and holes[-1] is extra
    assert pg.inn_points == [h.points for h in holes] and pg.inn_points[0] is holes[0].points
    assert pg.out_points is pg.outer.points
    alone = Polygon(OURS.poly(rect(0, 0, 10, 10)))
    assert alone.inn_points == []
    alone.add_inner(extra)
    assert alone.inners == [extra]


@pytest.mark.parametrize("check, raises", [(True, True), (1, False), (False, False), ([1], False), (None, False)])
def test_only_the_object_true_checks_the_outline(check, raises):
    open_line = OURS.poly([(0, 0), (4, 0), (4, 3)])
    if raises:
        with pytest.raises(Exception, match="Please input closed Polyline"):
            Polygon(open_line, check=check)
    else:
        assert Polygon(open_line, check=check).outer is open_line


def test_outline_queries_are_the_outlines_own_answers():
    outline = OURS.poly(L_SHAPE)
    pg = Polygon(outline)
    assert pg.is_clockwise() == outline.is_clockwise > 0
    assert Polygon(OURS.poly(L_SHAPE[::-1])).is_clockwise() < 0
    assert (pg.bound, pg.is_convex(), pg.is_closed()) == (outline.bound, False, True)
    assert (pg.centroid.x, pg.centroid.y) == (outline.centroid.x, outline.centroid.y)
    assert pg.is_self_intersecting() is False
    for name in ("move", "rotate", "scale"):
        assert getattr(pg, name)() is None
    assert pg.outer is outline and pg.inners is None


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
    for poly in polylines:
        assert type(poly) is Polyline and poly.is_closed() and not poly.is_self_intersecting()
    assert sorted(p.area for p in polylines) == pytest.approx(faces, abs=1e-6)
    plain = PLAIN.Polygon.get_polygons(SegmentCollection([Segment(Point(*a), Point(*b)) for a, b in walls]))
    assert [[(p.x, p.y) for p in q.points] for q in plain] == [[(p.x, p.y) for p in q.points] for q in polylines]


def test_polygons_of_a_network_share_the_point_objects():
    class Network:
        def __init__(self, loops):
            self.loops = loops

        def get_polygons(self):
            return self.loops

    pts = OURS.pts([(0, 0), (2, 0), (2, 2)])
    loop = [Segment(pts[0], pts[1]), Segment(pts[1], pts[2]), Segment(pts[2], pts[0])]
    (poly,) = Polygon.get_polygons(Network([loop]))
    assert poly.points[0] is pts[0] and poly.points[2] is pts[2] and poly.points[3] is pts[0]
    assert Polygon.get_polygons(Network([])) == []
    with pytest.raises(IndexError):
        Polygon.get_polygons(Network([[]]))
