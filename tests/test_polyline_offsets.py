"""Offsets by one distance and by one distance per edge, with the cleaning
and the collapse limits they rest on."""

import math

import pytest
import shapely
from hypothesis import given, settings
from hypothesis import strategies as st

from Polyline import Polyline
from Strakel import Line
from polyline_support import Twin, agree, outcome, picture, chains, histogram_room, outlines, poly, star, xy


@settings(max_examples=150, deadline=None)
@given(st.one_of(outlines(), chains), st.floats(-4, 4), st.lists(st.floats(-3, 3), min_size=30, max_size=30))
def test_offsets_equal_the_plain_steps(coords, distance, distances):
    twin = Twin(coords)
    for name, *args in [("find_discontinuity",), ("degenerate_distance",), ("offset", 0),
                        ("unequal_offset", distances[:len(coords) - 1])]:
        agree(twin, name, *args)
    assert_offset_like_the_plain_steps(twin, coords, distance)


def assert_offset_like_the_plain_steps(twin, coords, distance):
    ours, plain = outcome(twin.ours.offset, distance), outcome(twin.plain.offset, distance)
    if ours[0] == plain[0] == "ok" and picture(ours[1]) == picture(plain[1]):
        return  # the edges moved one by one, bit for bit
    # Rebuilt: the same outcome, the same corners up to the tolerance, where
    # the set operations of the plain steps are not lost in a degenerate case
    # (an outline that crosses itself, a distance or an edge within the
    # tolerance, a chain that meets itself).
    tol = 1e-6 * max([abs(distance)] + [abs(v) for c in coords for v in c])
    closed = coords[0] == coords[-1] and len(coords) >= 4
    if abs(distance) <= tol or min(math.dist(a, b) for a, b in zip(coords, coords[1:])) <= tol or not (
            shapely.Polygon(coords).is_valid if closed else shapely.LineString(coords).is_simple):
        return
    assert ours[0] == plain[0], (ours, plain)
    assert ours[1:] == plain[1:] if ours[0] == "raises" else len(ours[1].points) == len(plain[1].points), (ours, plain)
    if ours[0] == "ok":
        for p, q in zip(ours[1].points, plain[1].points):
            assert math.isclose(p.x, q.x, abs_tol=tol) and math.isclose(p.y, q.y, abs_tol=tol), (ours, plain)


@settings(max_examples=100, deadline=None)
@given(st.lists(st.tuples(st.floats(-20, 20).map(lambda v: round(v, 4)), st.floats(-20, 20).map(lambda v: round(v, 4))),
                min_size=3, max_size=30), st.floats(0.01, 5))
def test_offset_edges_lie_at_the_distance_from_their_source_edges(coords, distance):
    hull = shapely.MultiPoint(coords).convex_hull
    if hull.geom_type != "Polygon" or hull.area < 1:
        return
    ring = list(shapely.orient_polygons(hull).exterior.coords)  # counter-clockwise
    for a, b, c in zip(ring[-2:-1] + ring[:-2], ring[:-1], ring[1:]):
        u, w = (b[0] - a[0], b[1] - a[1]), (c[0] - b[0], c[1] - b[1])
        if (u[0] * w[1] - u[1] * w[0]) < 1e-3 * math.hypot(*u) * math.hypot(*w):
            return  # a vertex where the outline nearly runs straight on: crossings far away
    source = poly(ring)
    cleaned = Polyline(source.find_discontinuity())
    moved = source.offset(distance)
    assert moved.count == cleaned.count and moved.points[0] is moved.points[-1]
    for s, a, b in zip(cleaned.segments, moved.points, moved.points[1:]):
        dx, dy = s.end.x - s.start.x, s.end.y - s.start.y
        for q in (a, b):  # on the source edge's line moved to its right, outwards
            side = (dx * (q.y - s.start.y) - dy * (q.x - s.start.x)) / math.hypot(dx, dy)
            assert side == pytest.approx(-distance, rel=1e-6, abs=1e-5)


def turning_chain(rng):
    """An open chain of 2 to 6 edges turning 20 to 160 degrees either way at
    every vertex: one in a few crosses itself."""
    heading, p = rng.uniform(0, 2 * math.pi), (rng.uniform(-50, 50), rng.uniform(-50, 50))
    out = [p]
    for k in range(rng.randint(2, 6)):
        heading += math.radians(rng.uniform(20, 160)) * rng.choice((1, -1)) if k else 0
        length = rng.uniform(1, 20)
        p = (p[0] + length * math.cos(heading), p[1] + length * math.sin(heading))
        out.append(p)
    return out


@pytest.mark.parametrize("block", range(6))
def test_open_chains_are_their_moved_edges_below_every_collapse_and_rebuilt_past_one(block):
    import random
    crossing = 0
    for seed in range(100 * block, 100 * block + 100):
        rng = random.Random(seed)
        coords = turning_chain(rng)
        twin = Twin(coords)
        shortest = min(math.dist(a, b) for a, b in zip(coords, coords[1:]))
        for sign in (1, -1):
            limit = min(poly(coords[::sign]).degenerate_distance().values())
            below = [rng.uniform(0.01, 0.05) * shortest] + [0.999 * limit] * (limit < math.inf)
            for d in below:
                assert d < limit
                agree(twin, "offset", sign * d)  # bit for bit, crossing itself or not
                crossing += not shapely.LineString(xy(twin.ours.offset(sign * d))).is_simple
            if limit < math.inf:
                assert_offset_like_the_plain_steps(twin, coords, sign * 1.001 * limit)
    assert crossing > 0


@pytest.mark.parametrize("coords, distance, expected", [
    # A chain that crosses itself: so does its offset.
    ([(0, 0), (10, 0), (10, 10), (5, -5)], 0.1,
     [(0, -0.1), (10.1, -0.1), (10.1, 10.616227766016834), (4.905131670194948, -4.968377223398316)]),
    # The end near the start: the moved end is not cut back by anything.
    ([(0, 0.2), (10, 0.2), (10, 5), (0, 5), (0, 0.5)], -0.2, [(0.2, 0.5), (0.2, 4.8), (9.8, 4.8), (9.8, 0.4), (0, 0.4)]),
    # A far edge passing nearer than the distance.
    ([(9.244334796582763, -154.86787921394725), (-66.96407950962787, -171.6927125399157),
      (-54.39635147151129, -98.64243247376456), (-11.881347945596978, -62.653126492985514),
      (2.7299912803895108, -128.5384784138831), (-44.611780658461214, -91.74214056359928)], 1.2465005875290611, None),
])
def test_open_offsets_that_meet_themselves(coords, distance, expected):
    agree(Twin(coords), "offset", distance)
    if expected:
        flat = [c for pair in xy(poly(coords).offset(distance)) for c in pair]
        assert flat == pytest.approx([float(c) for pair in expected for c in pair], abs=1e-12)


@pytest.mark.parametrize("call, expected", [
    # The step keeps its length at any distance: a right turn, then a left one.
    (lambda: poly([(0, 0), (10, 0), (10, -1), (20, -1)]).offset(1), [(0, -1), (9, -1), (9, -2), (20, -2)]),
    # A 10-unit step offset by 8 stays a step.
    (lambda: poly([(0, 0), (100, 0), (100, 60), (50, 60), (50, 70), (0, 70), (0, 0)]).offset(8),
     [(-8, -8), (108, -8), (108, 68), (58, 68), (58, 78), (-8, 78), (-8, -8)]),
    # A tab wider than it is deep: its end goes, then its sides, which double back.
    (lambda: poly([(0, 0), (10, 0), (10, 1), (11, 1), (11, 0), (20, 0)]).offset(0.6), [(0, -0.6), (20, -0.6)]),
    # A closed outline starting in the middle of a side: the moved joint.
    (lambda: poly([(5, 0), (10, 0), (10, 10), (0, 10), (0, 0), (5, 0)]).offset(1),
     [(5, -1), (11, -1), (11, 11), (-1, 11), (-1, -1), (5, -1)]),
    # Collinear neighbours with equal distances meet at the moved vertex ...
    (lambda: poly([(0, 0), (5, 0), (10, 0), (10, 10), (0, 10), (0, 0)]).unequal_offset([1, 1, 1, 1, 1]),
     [(5, -1), (11, -1), (11, 11), (-1, 11), (-1, -1), (5, -1)]),
    # ... with different distances both moved ends go in.
    (lambda: poly([(0, 0), (5, 0), (10, 0), (10, 10), (0, 10), (0, 0)]).unequal_offset([1, 2, 1, 1, 1]),
     [(5, -1), (5, -2), (11, -2), (11, 11), (-1, 11), (-1, -1), (5, -1)]),
    (lambda: poly([(0, 0), (3, 0)]).unequal_offset([1]), [(3, -1), (0, -1), (3, -1)]),
])
def test_offset_table(call, expected):
    result = call()
    assert xy(result) == [(float(x), float(y)) for x, y in expected]
    if expected[0] == expected[-1]:
        assert result.points[0] is result.points[-1]


@settings(max_examples=150, deadline=None)
@given(outlines(min_size=4), st.lists(st.integers(0, 99), min_size=1, max_size=4), st.floats(0.01, 0.2),
       st.booleans())
def test_repeated_vertices_drop_alone_and_the_offset_is_shapelys_mitre_buffer(coords, repeats, share, outwards):
    outline = shapely.Polygon(coords)
    if not outline.is_valid:
        return  # snapping to the grid crossed two edges
    doubled = list(coords)
    for r in repeats:  # any vertex, the closing one included
        i = r % len(doubled)
        doubled.insert(i, doubled[i])
    plain, repeated = poly(coords), poly(doubled)
    assert xy(repeated.find_discontinuity()) == xy(plain.find_discontinuity())
    for twins in ([Polyline.polyline_chamfer, 0.05], [Polyline.polyline_fillet, 0.05, 3]):
        assert xy(twins[0](repeated, *twins[1:])) == xy(twins[0](plain, *twins[1:]))
    distance = share * min(math.dist(a, b) for a, b in zip(coords, coords[1:])) * (1 if outwards else -1)
    moved, again = outcome(repeated.offset, distance), outcome(plain.offset, distance)
    expected = outline.buffer(distance, join_style="mitre", mitre_limit=1e9)
    if moved[0] == "raises":  # the outline splits
        assert moved[1:] == again[1:] and moved[1] is ValueError and expected.geom_type == "MultiPolygon"
        return
    assert xy(moved[1]) == xy(again[1])
    ours = shapely.Polygon(xy(moved[1]))
    assert ours.is_valid and ours.symmetric_difference(expected).area <= 1e-9 * expected.area


def test_a_repeated_corner_keeps_its_corner():
    square = poly([(0, 0), (4, 0), (4, 0), (4, 3), (0, 3), (0, 0)])
    assert xy(square.find_discontinuity()) == [(0, 0), (4, 0), (4, 3), (0, 3), (0, 0)]
    assert square.offset(-0.1).area == pytest.approx(3.8 * 2.8)
    ends = poly([(0, 0), (0, 0), (5, 0), (5, 5), (5, 5)])  # the first copy and the last one stay
    kept = ends.find_discontinuity()
    assert len(kept) == 3 and all(p is ends.points[i] for p, i in zip(kept, (0, 2, 4)))


def assert_each_edge_on_its_moved_source(source, moved, distance, closed):
    """Each edge of `moved` lies on the line of a source edge moved by
    `distance` to its right and runs its way, the source edges in order."""
    k = 0
    for a, b in zip(moved.points, moved.points[1:]):
        for k in range(k, len(source) - 1 + (len(source) if closed else 0)):
            s, e = source[k % (len(source) - 1)], source[k % (len(source) - 1) + 1]
            dx, dy = e.x - s.x, e.y - s.y
            sides = [(dx * (q.y - s.y) - dy * (q.x - s.x)) / math.hypot(dx, dy) for q in (a, b)]
            if all(v == pytest.approx(-distance, rel=1e-9, abs=1e-9) for v in sides) and \
                    dx * (b.x - a.x) + dy * (b.y - a.y) > 0:  # not collapsed, not turned over
                break
        else:
            raise AssertionError(f"edge {(a.x, a.y)} {(b.x, b.y)} lies on no moved source edge")


@pytest.mark.parametrize("seed", range(120))
def test_offsets_of_rooms_keep_exactly_the_edges_that_do_not_collapse(seed):
    import random
    rng = random.Random(seed)
    coords = histogram_room(rng, rng.randint(1, 5)) if seed % 2 else star(rng, rng.randint(3, 12))
    room = shapely.Polygon(coords)
    if not room.is_valid:
        return
    outline = poly(coords)
    for share in (0.1, 0.25, 0.4, 0.5):
        for sign in (1, -1):
            distance = sign * share * min(math.dist(a, b) for a, b in zip(coords, coords[1:]))
            source = outline.find_discontinuity()[::sign]
            limits = Polyline(source).degenerate_distance()
            try:
                moved = outline.offset(distance)
            except IndexError:  # only where the true offset is empty
                assert room.buffer(distance, join_style="mitre", mitre_limit=1e9).area <= 1e-9 * room.area
                continue
            except ValueError:  # only where it splits
                assert room.buffer(distance, join_style="mitre", mitre_limit=1e9).geom_type == "MultiPolygon"
                continue
            assert_each_edge_on_its_moved_source(source, moved, abs(distance), True)
            if min(limits.values()) > abs(distance):  # nothing collapses: the exact mitre offset
                assert moved.count == len(source)
                ours = shapely.Polygon(xy(moved))
                if ours.is_valid:
                    expected = room.buffer(distance, join_style="mitre", mitre_limit=1e9)
                    assert ours.symmetric_difference(expected).area <= 1e-9 * expected.area
            else:
                assert moved.count < len(source)


@pytest.mark.parametrize("seed", range(60))
def test_edge_limits_are_where_the_moved_edge_reaches_zero_length(seed):
    import random
    rng = random.Random(seed)
    coords = star(rng, rng.randint(3, 10))
    for outline in (poly(coords), poly(coords[::-1]), poly(coords[:-1])):
        limits = outline.degenerate_distance()
        pts = outline.points
        n, closed = len(pts) - 1, outline.is_closed()
        for i, d in limits.items():
            if d == math.inf or not (i > 0 or closed) or not (i < n - 1 or closed):
                continue  # an open end has no crossing on its outer side
            lines = [outline.segments[j % n].offset(d).to_line() for j in (i - 1, i, i + 1)]
            ends = [Line.intersection_with_line(lines[0], lines[1]), Line.intersection_with_line(lines[1], lines[2])]
            assert ends[0].distance_to_point(ends[1]) <= 1e-6 * (1 + d)


@pytest.mark.parametrize("coords", [[(0, 0), (1, 0), (1, 1), (0, 1), (0, 0)],
                                    [(0, 0), (7, 0), (7, 3), (0, 3), (0, 0)],
                                    [(0, 0), (4, 0), (2, 3), (0, 0)]])
def test_an_offset_that_collapses_every_edge_raises(coords):
    outline = poly(coords)
    inward = min(Polyline(outline.points[::-1]).degenerate_distance().values())  # counter-clockwise: inwards
    assert outline.offset(-inward * 0.999).count == len(coords)
    for d in (inward, inward * 1.001, 100):
        with pytest.raises(IndexError, match="The offset distance collapses the outline."):
            outline.offset(-d)
