"""Figures drawn at site coordinates give the answers they give at the origin.

Each figure is built where it stands first, at UTM-like metres or at the
same in millimetres, and its twin at the origin is the exact difference, so
both hold the same shape to the last bit.  Every measure and test then
agrees: scalars within 1e-9 relative, points within a few units in the last
place of the offset, and counts, booleans, the edge picked and what raises
exactly.
"""

import math
import random
from fractions import Fraction

import pytest
import shapely

from Bowlet import Arc, Circle
from Flatkin import Point, Vector
from Polygon import Bar, Polygon
from Polyline import Polyline
from Strakel import Line, Ray, Segment, SegmentCollection

METRES = (512345.678, 5612345.678)
SITES = [pytest.param(METRES, 1.0, id="metres"),
         pytest.param((METRES[0] * 1000, METRES[1] * 1000), 1000.0, id="millimetres")]


class Site:
    """A place far out and the scale of its unit; figures are made there first."""

    def __init__(self, offset, unit):
        self.tx, self.ty = offset
        self.unit = unit

    def pair(self, x, y):
        """(moved, origin) Points of one drawn point: the origin one is the exact difference."""
        mx, my = self.tx + x * self.unit, self.ty + y * self.unit
        return Point(mx, my), Point(mx - self.tx, my - self.ty)

    def pairs(self, coords):
        moved, origin = zip(*(self.pair(x, y) for x, y in coords))
        return list(moved), list(origin)

    def back(self, p):
        """A moved point's coordinates taken back to the origin (exactly where they can be)."""
        return p.x - self.tx, p.y - self.ty

    def point_slack(self):
        """A few units in the last place of the offset's coordinates."""
        return 8 * max(math.ulp(self.tx), math.ulp(self.ty))


def same_point(site, moved, origin):
    x, y = site.back(moved)
    tol = site.point_slack()
    assert abs(x - origin.x) <= tol and abs(y - origin.y) <= tol, (x, y, origin.x, origin.y)


def same_scalar(moved, origin, scale):
    assert abs(moved - origin) <= 1e-9 * max(abs(origin), scale), (moved, origin)


def same_result(site, moved, origin, scale):
    """Results of the same shape: None, points, numbers, or sequences of them."""
    assert type(moved) is type(origin), (moved, origin)
    if moved is None:
        return
    if isinstance(moved, (int, bool)):
        assert moved == origin
    elif isinstance(moved, float):
        same_scalar(moved, origin, scale)
    elif isinstance(moved, Point):
        same_point(site, moved, origin)
    elif isinstance(moved, (Segment, Line)):
        same_point(site, moved.start, origin.start)
        same_point(site, moved.end, origin.end)
    elif isinstance(moved, Polyline):
        same_result(site, moved.points, origin.points, scale)
    else:
        assert len(moved) == len(origin)
        for m, o in zip(moved, origin):
            same_result(site, m, o, scale)


def outcome(call):
    """What a call gives, or the type and text of what it raises."""
    try:
        return call()
    except Exception as exc:  # the raise itself is compared
        return (type(exc), str(exc))


def same_outcome(site, moved_call, origin_call, scale):
    moved, origin = outcome(moved_call), outcome(origin_call)
    if isinstance(origin, tuple) and len(origin) == 2 and isinstance(origin[0], type):
        assert moved == origin
    else:
        same_result(site, moved, origin, scale)


# -------------------------------------------------------------- figures

def turned(coords, angle, dx=0.0, dy=0.0):
    c, s = math.cos(angle), math.sin(angle)
    return [(dx + c * x - s * y, dy + s * x + c * y) for x, y in coords]


def rooms(rng):
    """Seeded outlines a plan is made of, each closed, in metres."""
    w, h = rng.uniform(2, 9), rng.uniform(2, 9)
    a, b = rng.uniform(0.3, 0.7), rng.uniform(0.3, 0.7)
    rect = [(0, 0), (w, 0), (w, h), (0, h)]
    ell = [(0, 0), (w, 0), (w, h * a), (w * b, h * a), (w * b, h), (0, h)]
    tee = [(0, 0), (w, 0), (w, h * a), (w * 0.7, h * a), (w * 0.7, h), (w * 0.3, h), (w * 0.3, h * a), (0, h * a)]
    you = [(0, 0), (w, 0), (w, h), (w * 0.7, h), (w * 0.7, h * a), (w * 0.3, h * a), (w * 0.3, h), (0, h)]
    n = rng.randrange(5, 9)
    star = [((3 if k % 2 else 7) * math.cos(k * math.pi / n), (3 if k % 2 else 7) * math.sin(k * math.pi / n))
            for k in range(2 * n)]
    shapes = [rect, ell, tee, you, star]
    out = []
    for shape in shapes:
        angle = rng.uniform(0, 2 * math.pi)
        out.append(turned(shape, angle, rng.uniform(-20, 20), rng.uniform(-20, 20)))
    return out


def closed(coords):
    return coords + coords[:1]


def exact_twice_area(points):
    """Twice the signed area of the closed path, in exact fractions."""
    q = [(Fraction(p.x), Fraction(p.y)) for p in points]
    return sum(x0 * y1 - x1 * y0 for (x0, y0), (x1, y1) in zip(q, q[1:] + q[:1]))


SEEDS = range(12)


# -------------------------------------------------------------- areas

@pytest.mark.parametrize("offset, unit", SITES)
@pytest.mark.parametrize("seed", SEEDS)
def test_areas_of_rooms_do_not_depend_on_where_they_stand(offset, unit, seed):
    site, rng = Site(offset, unit), random.Random(seed)
    for coords in rooms(rng):
        moved, origin = site.pairs(closed(coords))
        exact = abs(exact_twice_area(origin)) / 2
        for pts in (moved, origin):
            area = Polyline(pts).area
            assert abs(Fraction(area) - exact) <= Fraction(1e-12) * exact
        hole_m, hole_o = site.pairs(closed([(x * 0.2 + coords[0][0], y * 0.2 + coords[0][1])
                                            for x, y in turned([(1, 1), (1, 2), (2, 2), (2, 1)], 0.3)]))
        same_scalar(Polygon(Polyline(moved), [Polyline(hole_m)]).area,
                    Polygon(Polyline(origin), [Polyline(hole_o)]).area, unit * unit)


def same_computed_area(site, outline, moved, origin):
    """An outline whose corners are computed is stored where the figure
    stands: its area is that of corners rounded to the last place there, no
    closer."""
    corners = outline.points
    rounding = site.point_slack() * sum(math.dist((p.x, p.y), (q.x, q.y)) for p, q in zip(corners, corners[1:]))
    assert abs(moved - origin) <= max(1e-9 * origin, rounding)


def same_bar_area(site, moved, origin):
    same_computed_area(site, moved.geo, moved.area, origin.area)


@pytest.mark.parametrize("offset, unit", SITES)
@pytest.mark.parametrize("seed", SEEDS)
def test_bars_do_not_depend_on_where_they_stand(offset, unit, seed):
    site, rng = Site(offset, unit), random.Random(100 + seed)
    angle = rng.uniform(0, 2 * math.pi)
    axes = []
    for k in range(4):
        n = rng.randrange(2, 5)
        coords = [(k * 4 + rng.uniform(-0.5, 0.5), j * rng.uniform(3, 6)) for j in range(n)]
        axes.append(site.pairs(turned(coords, angle)))
    width = rng.uniform(0.5, 1.5) * unit
    for m, o in axes:
        bm, bo = Bar(axis=Polyline(m), diameter=width), Bar(axis=Polyline(o), diameter=width)
        same_result(site, bm.geo, bo.geo, unit)
        same_bar_area(site, bm, bo)
    total = sum(Polyline(o).length for _, o in axes)
    moved_bars = Bar.short_brs([Polyline(m) for m, _ in axes], total, total * 0.8, width * 2)
    origin_bars = Bar.short_brs([Polyline(o) for _, o in axes], total, total * 0.8, width * 2)
    assert len(moved_bars) == len(origin_bars)
    for bm, bo in zip(moved_bars, origin_bars):
        same_result(site, bm.axis, bo.axis, unit)
        same_result(site, bm.geo, bo.geo, unit)
        same_bar_area(site, bm, bo)


# ----------------------------------------------- offsets past a collapse

def jagged_outline(rng):
    """A mapped building's outline: 80 corners round a circle, each a
    couple of centimetres in or out, so short edges collapse soon."""
    r = rng.uniform(12, 25)
    return [((r + rng.choice((-0.02, 0.0, 0.02))) * math.cos(a), (r + rng.choice((-0.02, 0.0, 0.02))) * math.sin(a))
            for a in sorted(rng.uniform(0, 2 * math.pi) for _ in range(80))]


def distances_past_collapse(pts, size):
    """Just past the first collapses of either walk, half the figure's size,
    and, for an outline, shrunk almost to a point (just short of the largest
    circle inside): each where an edge of its walk collapses."""
    out = []
    inner = 0.0
    if pts[0] == pts[-1]:
        inner = shapely.maximum_inscribed_circle(shapely.Polygon([(p.x, p.y) for p in pts]), size * 1e-9).length
    for sign, walk in ((1, pts), (-1, pts[::-1])):
        limits = sorted(Polyline(walk).degenerate_distance().values())
        shrink = [0.98 * inner] if inner and Polyline(walk).area < 0 else []
        out += [sign * d for d in [d * 1.001 for d in limits[:3]] + [size / 2] + shrink if limits[0] <= d <= size]
    return out


@pytest.mark.parametrize("offset, unit", SITES)
@pytest.mark.parametrize("seed", SEEDS)
def test_offsets_past_a_collapse_do_not_depend_on_where_they_stand(offset, unit, seed):
    site, rng = Site(offset, unit), random.Random(700 + seed)
    for coords in rooms(rng) + [jagged_outline(rng)]:
        for ring in (closed(coords), coords):
            moved, origin = site.pairs(ring)
            size = unit * max(max(c) - min(c) for c in zip(*ring))
            for d in distances_past_collapse(origin, size):
                got_m, got_o = outcome(lambda: Polyline(moved).offset(d)), outcome(lambda: Polyline(origin).offset(d))
                assert type(got_m) is type(got_o), (d, got_m, got_o)
                if isinstance(got_o, tuple):
                    assert got_m == got_o
                    continue
                same_result(site, got_m, got_o, unit)
                assert (got_m.points[0] is got_m.points[-1]) == (got_o.points[0] is got_o.points[-1])


# ----------------------------------------------- distances and closest points

def probe_pairs(site, rng, moved, origin, count):
    """Probe points near the outline, as (moved, origin) pairs.

    A point on a segment is made by each copy's own point_at_parameter, so it
    lies on the segment as exactly as coordinates of that size allow; the
    others are a clear step off it (or beyond an end), never on the
    tolerance's border.
    """
    out = []
    for _ in range(count):
        k = rng.randrange(len(moved) - 1)
        t = rng.choice([0.0, 1.0, rng.uniform(0, 1)])
        if rng.random() < 0.4:
            out.append((Segment(moved[k], moved[k + 1]).point_at_parameter(t),
                        Segment(origin[k], origin[k + 1]).point_at_parameter(t)))
            continue
        (x0, y0), (x1, y1) = (site.back(moved[k]), site.back(moved[k + 1]))
        # off a corner, a step across may run along the next wall
        t = rng.choice([rng.uniform(0.05, 0.95), rng.uniform(-0.3, -0.05), rng.uniform(1.05, 1.3)])
        off = rng.choice([-1, 1]) * rng.choice([rng.uniform(1e-3, 2e-3), rng.uniform(0.1, 2)]) * site.unit
        dx, dy = x1 - x0, y1 - y0
        n = math.hypot(dx, dy)
        out.append(site.pair((x0 + t * dx - off * dy / n) / site.unit, (y0 + t * dy + off * dx / n) / site.unit))
    return out


@pytest.mark.parametrize("offset, unit", SITES)
@pytest.mark.parametrize("seed", SEEDS)
def test_closest_points_and_distances_do_not_depend_on_where_they_stand(offset, unit, seed):
    site, rng = Site(offset, unit), random.Random(200 + seed)
    for coords in rooms(rng):
        coords = closed(coords)
        moved, origin = site.pairs(coords)
        pm, po = Polyline(moved), Polyline(origin)
        probes = probe_pairs(site, rng, moved, origin, 12)
        for a, b in probes:
            same_outcome(site, lambda: pm.closest_point(a), lambda: po.closest_point(b), unit)
            same_outcome(site, lambda: pm.select_segment_close_to_point(a),
                         lambda: po.select_segment_close_to_point(b), unit)
            same_outcome(site, lambda: pm.select_segment_containing_point(a),
                         lambda: po.select_segment_containing_point(b), unit)
        for k in range(len(moved) - 1):
            sm, so = Segment(moved[k], moved[k + 1]), Segment(origin[k], origin[k + 1])
            for a, b in probes:
                same_outcome(site, lambda: sm.closest_point(a), lambda: so.closest_point(b), unit)
                same_outcome(site, lambda: sm.distance_to_point(a), lambda: so.distance_to_point(b), unit)
            j = rng.randrange(len(moved) - 1)
            tm, to = Segment(moved[j], moved[j + 1]), Segment(origin[j], origin[j + 1])
            same_outcome(site, lambda: Segment.distance_between_segments(sm, tm),
                         lambda: Segment.distance_between_segments(so, to), unit)


def test_the_reported_millimetre_distance_is_to_the_foot():
    site = Site((512345678.0, 5612345678.0), 1.0)
    (am, ao), (bm, bo), (qm, qo) = (site.pair(3687.0508466959, 7253.609678268433),
                                    site.pair(8855.80696696043, 13273.508513450623),
                                    site.pair(7196.957242190838, 12669.749899864197))
    far, near = Segment(am, bm).distance_to_point(qm), Segment(ao, bo).distance_to_point(qo)
    assert near == pytest.approx(865.2699923, abs=1e-6)
    same_scalar(far, near, 1.0)


# ------------------------------------------------ points on a segment

@pytest.mark.parametrize("offset, unit", SITES)
@pytest.mark.parametrize("seed", SEEDS)
def test_points_on_a_segment_are_on_it_wherever_it_stands(offset, unit, seed):
    site, rng = Site(offset, unit), random.Random(300 + seed)
    for coords in rooms(rng):
        for k in range(len(coords) - 1):
            (x0, y0), (x1, y1) = coords[k], coords[k + 1]
            (sm, so), (em, eo) = site.pair(x0, y0), site.pair(x1, y1)
            segm, sego = Segment(sm, em), Segment(so, eo)
            ts = [rng.uniform(0, 1) for _ in range(3)]
            on = [(segm.point_at_parameter(t), sego.point_at_parameter(t)) for t in ts]
            off = site.pair(x0 + 0.5 * (x1 - x0) + 1e-3 * (y1 - y0), y0 + 0.5 * (y1 - y0) - 1e-3 * (x1 - x0))
            for m, o in on + [off]:
                same_outcome(site, lambda: segm.break_at_point(m), lambda: sego.break_at_point(o), unit)
                assert segm.is_point_on(m) == sego.is_point_on(o)
            same_outcome(site, lambda: segm.break_by_points([m for m, _ in on]),
                         lambda: sego.break_by_points([o for _, o in on]), unit)
            # a fillet of this wall and the next: both meet where their lines cross
            (x2, y2) = coords[k + 2] if k + 2 < len(coords) else coords[0]
            t = rng.uniform(0.1, 0.9)
            (cm, co), (dm, do) = site.pair(x1 + t * (x2 - x1), y1 + t * (y2 - y1)), site.pair(x2, y2)
            a = [Segment(sm, site.pair(x0 + 0.8 * (x1 - x0), y0 + 0.8 * (y1 - y0))[0]), Segment(cm, dm)]
            b = [Segment(so, site.pair(x0 + 0.8 * (x1 - x0), y0 + 0.8 * (y1 - y0))[1]), Segment(co, do)]
            same_outcome(site, lambda: Segment.fillet(*a), lambda: Segment.fillet(*b), unit)
            same_result(site, a, b, unit)


# ------------------------------------------------------- circles and rays

@pytest.mark.parametrize("offset, unit", SITES)
@pytest.mark.parametrize("seed", SEEDS)
def test_circle_crossings_do_not_depend_on_where_they_stand(offset, unit, seed):
    site, rng = Site(offset, unit), random.Random(400 + seed)
    cx, cy, r = rng.uniform(-20, 20), rng.uniform(-20, 20), rng.uniform(1, 8)
    (cm, co) = site.pair(cx, cy)
    circle_m, circle_o = Circle(cm, r * unit), Circle(co, r * unit)
    for _ in range(20):
        a = (cx + rng.uniform(-2, 2) * r, cy + rng.uniform(-2, 2) * r)
        b = (cx + rng.uniform(-2, 2) * r, cy + rng.uniform(-2, 2) * r)
        (am, ao), (bm, bo) = site.pair(*a), site.pair(*b)
        same_outcome(site, lambda: circle_m.with_line_intersection(Line(am, bm)),
                     lambda: circle_o.with_line_intersection(Line(ao, bo)), unit)
        same_outcome(site, lambda: circle_m.with_segment_intersection(Segment(am, bm)),
                     lambda: circle_o.with_segment_intersection(Segment(ao, bo)), unit)
        d = Vector(b[0] - a[0], b[1] - a[1])
        same_outcome(site, lambda: circle_m.with_ray_intersection(Ray(am, d)),
                     lambda: circle_o.with_ray_intersection(Ray(ao, d)), unit)


def test_the_reported_millimetre_circle_crossing():
    site = Site((512345678.0, 5612345678.0), 1.0)
    (cm, co), (am, ao), (bm, bo) = site.pair(0, 0), site.pair(-10000, 1000), site.pair(10000, 1500)
    far = Circle(cm, 5000.0).with_line_intersection(Line(am, bm))
    near = Circle(co, 5000.0).with_line_intersection(Line(ao, bo))
    same_result(site, far, near, 1.0)


@pytest.mark.parametrize("offset, unit", SITES)
@pytest.mark.parametrize("seed", SEEDS)
def test_ray_crossings_do_not_depend_on_where_they_stand(offset, unit, seed):
    site, rng = Site(offset, unit), random.Random(500 + seed)
    for _ in range(30):
        ox, oy = rng.uniform(-5, 5), rng.uniform(-5, 5)
        angle = rng.uniform(0, 2 * math.pi)
        d = Vector(math.cos(angle), math.sin(angle))
        # shallow crossings far along the ray, as well as steep near ones
        far = rng.choice([rng.uniform(1, 10), rng.uniform(100, 1000)])
        tilt = rng.choice([rng.uniform(0.01, 0.05), rng.uniform(0.3, 1.5)])
        px, py = ox + far * d.x, oy + far * d.y
        e = (math.cos(angle + tilt), math.sin(angle + tilt))
        (om, oo) = site.pair(ox, oy)
        (am, ao), (bm, bo) = site.pair(px - 5 * e[0], py - 5 * e[1]), site.pair(px + 5 * e[0], py + 5 * e[1])
        rm, ro = Ray(om, d), Ray(oo, d)
        same_outcome(site, lambda: rm.intersection_with_segment(Segment(am, bm)),
                     lambda: ro.intersection_with_segment(Segment(ao, bo)), unit)
        same_outcome(site, lambda: rm.intersection_with_line(Line(am, bm)),
                     lambda: ro.intersection_with_line(Line(ao, bo)), unit)
        same_outcome(site, lambda: rm.intersection_with_ray(Ray(am, Vector(*e))),
                     lambda: ro.intersection_with_ray(Ray(ao, Vector(*e))), unit)


# ------------------------------------------------------------ walls to rooms

@pytest.mark.parametrize("offset, unit", SITES)
@pytest.mark.parametrize("seed", range(6))
def test_walls_make_the_same_rooms_wherever_they_stand(offset, unit, seed):
    site, rng = Site(offset, unit), random.Random(600 + seed)
    w, h = rng.uniform(8, 20), rng.uniform(6, 12)
    coords = [((0, 0), (w, 0)), ((w, 0), (w, h)), ((w, h), (0, h)), ((0, h), (0, 0))]
    for _ in range(3):  # partitions wall to wall, and one across them
        x = rng.uniform(0.2, 0.8) * w
        coords.append(((x, 0), (x, h)))
    y = rng.uniform(0.3, 0.7) * h
    coords.append(((0, y), (w, y)))
    angle = rng.uniform(0, 2 * math.pi)
    ends = [turned([a, b], angle) for a, b in coords]
    rooms = []
    for copy in (0, 1):
        segments = []
        for a, b in ends:
            (am, ao), (bm, bo) = site.pair(*a), site.pair(*b)
            segments.append(Segment(*((am, bm) if copy == 0 else (ao, bo))))
        rooms.append(Polygon.get_polygons(SegmentCollection(segments)))
    moved, origin = rooms
    assert len(moved) == len(origin) == 8
    for m, o in zip(moved, origin):
        same_result(site, m, o, unit)
        same_computed_area(site, m, m.area, o.area)
