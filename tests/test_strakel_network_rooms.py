"""Walls to rooms on ordinary plans: every room of a plan comes back once,
closed, with the area it has by construction, whatever the plan's
coordinates, turn, T-junctions, walls drawn in pieces or separate groups; and
on the networks the plain steps already walk right, the result is theirs."""

import math
import random

import pytest
import shapely
from hypothesis import HealthCheck, assume, given, settings, strategies as st
from shapely.geometry import LineString, MultiLineString

from Flatkin import Point
from Polygon import Polygon
from Strakel import Segment, SegmentCollection

from common import close_ends, reference_walks_right
from pyref_network import SegmentCollection as RefCollection, segments_of as ref_segments


def walls_of(coords):
    return [Segment(Point(*a), Point(*b)) for a, b in coords]


def shoelace(points):
    return sum(p.x * q.y - q.x * p.y for p, q in zip(points, points[1:])) / 2


def rooms(coords):
    """The areas of the rooms Polygon.get_polygons finds, each checked closed."""
    out = []
    for line in Polygon.get_polygons(SegmentCollection(walls_of(coords))):
        pts = line.points
        assert abs(pts[0].x - pts[-1].x) <= 1e-6 and abs(pts[0].y - pts[-1].y) <= 1e-6
        out.append(abs(shoelace(pts)))
    return sorted(out)


def assert_areas(got, want):
    assert len(got) == len(want), (got, want)
    for g, w in zip(got, sorted(want)):
        assert g == pytest.approx(w, rel=1e-9, abs=1e-12)


def shapely_areas(coords):
    noded = shapely.node(MultiLineString([LineString(c) for c in coords]))
    return sorted(p.area for p in shapely.polygonize(noded.geoms).geoms)


def turned(coords, angle, origin=(0.0, 0.0)):
    c, s = math.cos(angle), math.sin(angle)

    def turn(p):
        x, y = p[0] - origin[0], p[1] - origin[1]
        return (origin[0] + c * x - s * y, origin[1] + s * x + c * y)

    return [(turn(a), turn(b)) for a, b in coords]


# ------------------------------------------------------------ plan families

def box_with_cross_wall(y):
    return [((0, 0), (6, 0)), ((0, y), (6, y)), ((0, 8.2), (6, 8.2)), ((0, 0), (0, 8.2)), ((6, 0), (6, 8.2))]


def irregular_grid(rng, nx, ny):
    xs = sorted(rng.sample(range(0, 100_000, 7), nx))
    ys = sorted(rng.sample(range(0, 100_000, 7), ny))
    xs, ys = [x / 1000 for x in xs], [y / 1000 for y in ys]
    coords = [((xs[0], y), (xs[-1], y)) for y in ys] + [((x, ys[0]), (x, ys[-1])) for x in xs]
    cells = [(x1 - x0) * (y1 - y0) for x0, x1 in zip(xs, xs[1:]) for y0, y1 in zip(ys, ys[1:])]
    return coords, cells


def cut_plan(rng, w, h, depth):
    """A w by h plan cut recursively into rooms: every cut wall ends on two
    walls (T-junctions); coordinates in metres rounded to mm."""
    coords = [((0, 0), (w, 0)), ((w, 0), (w, h)), ((w, h), (0, h)), ((0, h), (0, 0))]
    cells = []

    def cut(x0, y0, x1, y1, d):
        span_x, span_y = round((x1 - x0) * 1000), round((y1 - y0) * 1000)
        if d == 0 or max(span_x, span_y) < 2000:
            cells.append((x1 - x0) * (y1 - y0))
            return
        if span_x >= span_y:
            x = x0 + rng.randrange(700, span_x - 700) / 1000
            coords.append(((x, y0), (x, y1)))
            cut(x0, y0, x, y1, d - 1)
            cut(x, y0, x1, y1, d - 1)
        else:
            y = y0 + rng.randrange(700, span_y - 700) / 1000
            coords.append(((x0, y), (x1, y)))
            cut(x0, y0, x1, y, d - 1)
            cut(x0, y, x1, y1, d - 1)

    cut(0, 0, w, h, depth)
    return coords, cells


def in_pieces(rng, coords, overlap):
    """Every wall drawn as two segments, meeting end to end or overlapping."""
    out = []
    for a, b in coords:
        f = rng.uniform(0.2, 0.8)
        g = f + (rng.uniform(0.01, 0.1) if overlap else 0.0)
        at = lambda t: (a[0] + t * (b[0] - a[0]), a[1] + t * (b[1] - a[1]))
        first, second = (a, at(g)), (at(f), b)
        out += [first, second[::-1] if rng.random() < 0.5 else second]
    rng.shuffle(out)
    return out


def square(x, y, s):
    return [((x, y), (x + s, y)), ((x + s, y), (x + s, y + s)), ((x + s, y + s), (x, y + s)), ((x, y + s), (x, y))]


ANGLES = [0.0, math.radians(17), math.radians(45), math.radians(-63.3), 2.0]


# ------------------------------------------------------------ families

def test_a_cross_wall_swept_in_tenth_millimetre_steps_gives_two_rooms_everywhere():
    for k in range(1000):
        y = 4.7 + k * 1e-4
        assert_areas(rooms(box_with_cross_wall(y)), [6 * y, 6 * (8.2 - y)])


@pytest.mark.parametrize("angle", ANGLES)
def test_turned_irregular_grids_give_every_cell(angle):
    rng = random.Random(round(angle * 1000))
    for _ in range(4):
        coords, cells = irregular_grid(rng, rng.randint(3, 9), rng.randint(3, 9))
        assert_areas(rooms(turned(coords, angle, (50, 50))), cells)
        if angle == 0.0:
            assert_areas(shapely_areas(coords), cells)


@pytest.mark.parametrize("angle", ANGLES)
@pytest.mark.parametrize("pieces", [None, "end to end", "overlapping"])
def test_plans_cut_into_rooms_give_every_room(angle, pieces):
    rng = random.Random(f"{angle}-{pieces}")
    for _ in range(6):
        coords, cells = cut_plan(rng, rng.randint(8, 30), rng.randint(6, 20), rng.randint(1, 5))
        if pieces:
            coords = in_pieces(rng, coords, pieces == "overlapping")
        coords = turned(coords, angle, (3.0, -2.0))
        assert_areas(rooms(coords), cells)


@pytest.mark.parametrize("angle", ANGLES[:3])
def test_shafts_and_separate_buildings_give_each_room_once(angle):
    rng = random.Random(7)
    for _ in range(5):
        coords, cells = cut_plan(rng, 20, 12, 3)
        # Shafts: closed groups of walls touching nothing, inside the plan,
        # and a second building beside it.
        extra, extra_cells = [], []
        for x in (0.3, 19.2):
            extra += square(x, 0.3, 0.5)
            extra_cells.append(0.25)
        other, other_cells = cut_plan(rng, 6, 6, 2)
        extra += [((a[0] + 30, a[1]), (b[0] + 30, b[1])) for a, b in other]
        # The room a shaft stands in keeps its outline: the shaft is its own room.
        got = rooms(turned(coords + extra, angle, (10, 6)))
        assert_areas(got, cells + extra_cells + other_cells)


@pytest.mark.parametrize("coords", [
    [], [((0, 0), (1, 1)), ((0, 1), (1, 0))], [((0, 0), (5, 0))], [((0, 0), (5, 0)), ((5, 0), (5, 3))],
    [((0, 0), (5, 0)), ((0, 1), (5, 1))], [((0, 0), (2, 0)), ((2, 0), (4, 0))],
    [((0, 1), (4, 1)), ((1, 0), (1, 2)), ((3, 0), (3, 2))],  # one piece between two crossings
    [((0, 1), (4, 1)), ((1, 0), (1, 2)), ((3, 0), (3, 2)), ((2, 0), (2, 3)), ((0, 2.5), (3, 2.5))],  # a tree
], ids=["empty", "X", "one", "L", "parallel", "collinear", "H", "tree"])
def test_walls_that_enclose_nothing_give_no_rooms(coords):
    c = SegmentCollection(walls_of(coords))
    assert c.get_polygons() == [] and c.segments == [] and c.dict == {}
    assert Polygon.get_polygons(SegmentCollection(walls_of(coords))) == []


def test_a_dangling_piece_bounds_no_room_but_a_walk_on_it_names_its_dead_end():
    # A room with a wall that leaves it between two crossings: a dangling piece.
    coords = square(0, 0, 4) + [((2, -1), (2, 6)), ((1, 5), (3, 5))]
    assert_areas(rooms(coords), [8, 8])
    with pytest.raises(AttributeError, match=r"dead-end at \(2\.0, 5\.0\)"):
        SegmentCollection(walls_of(coords)).get_contour_segments()


# ------------------------------------------------------------ what already worked stays

def same_state(ours, ref):
    assert close_ends(ours.segments, ref.segments)
    assert close_ends(list(ours.dict), list(ref.dict)) and list(ours.dict.values()) == list(ref.dict.values())
    assert (ours.current_dir, ours.current_pt, ours.current_seg, ours.end_pt) == (None,) * 4


lattice = st.integers(0, 5)
float_coord = st.floats(-10, 10, allow_nan=False, allow_infinity=False).map(lambda v: round(v, 3))


@st.composite
def networks(draw):
    """Overlapping rectangles, some turned, and a few loose walls."""
    coords = []
    for _ in range(draw(st.integers(1, 3))):
        x, y = draw(float_coord), draw(float_coord)
        w, h = draw(st.floats(0.5, 8).map(lambda v: round(v, 3))), draw(st.floats(0.5, 8).map(lambda v: round(v, 3)))
        rect = [((x, y), (x + w, y)), ((x + w, y), (x + w, y + h)), ((x + w, y + h), (x, y + h)), ((x, y + h), (x, y))]
        coords += turned(rect, draw(st.sampled_from([0.0, 0.3, 1.1])), (x, y))
    point = st.tuples(lattice, lattice) if draw(st.booleans()) else st.tuples(float_coord, float_coord)
    coords += draw(st.lists(st.tuples(point, point), max_size=4))
    return draw(st.permutations(coords))


@settings(max_examples=200, deadline=None, suppress_health_check=[HealthCheck.too_slow, HealthCheck.filter_too_much])
@given(networks(), st.sampled_from(["get_connections", "get_contour_segments", "get_polygons"]))
def test_where_the_plain_steps_walk_right_the_result_is_theirs(coords, method):
    assume(reference_walks_right(coords))
    ours, ref = SegmentCollection(walls_of(coords)), RefCollection(ref_segments(coords))
    got, want = getattr(ours, method)(), getattr(ref, method)()
    if method == "get_polygons":
        assert len(got) == len(want) and all(close_ends(a, b) for a, b in zip(got, want))
    elif method == "get_contour_segments":
        assert close_ends(got, want)
    same_state(ours, ref)
