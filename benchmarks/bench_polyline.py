"""Polylines: the Polyline module against the plain-Python class doing the
same steps (benchmarks/pyref_polyline.py), and against shapely where it
answers the same question, in the same process.

    PYTHONPATH=build/<dir> python benchmarks/bench_polyline.py [--quick] [--markdown] [--check]

Importing this file registers its rows with benchmarks/run.py's table; run on
its own it prints just these rows.  Inputs are seeded; each row checks that
both sides give the same answer before it is timed.
"""

import math
import pathlib
import random
import sys

HERE = pathlib.Path(__file__).resolve().parent
if str(HERE) not in sys.path:
    sys.path.insert(0, str(HERE))

import run  # noqa: E402
from run import Timing, case  # noqa: E402


def _modules():
    import Flatkin
    import Polyline
    import pyref_flatkin
    import pyref_polyline
    return Flatkin, Polyline, pyref_flatkin, pyref_polyline


def _outline(n, seed=1, surveyed=True):
    """A closed floor outline of n vertices, counter-clockwise: a wavy ring
    about 26 m across.  Surveyed, it is jittered and taken to the
    centimetre, so many vertices share a height with others; otherwise it is
    the smooth curve (offsets of a jittered outline grow spikes where edges
    collapse)."""
    rng = random.Random(seed)
    out = []
    for i in range(n):
        a = 2 * math.pi * i / n
        r = 10 + 3 * math.sin(7 * a) + (rng.uniform(-0.2, 0.2) if surveyed else 0.0)
        x, y = r * math.cos(a), r * math.sin(a)
        out.append((round(x, 2), round(y, 2)) if surveyed else (x, y))
    out.append(out[0])
    return out


def _probes(n, seed=2, spread=14.0):
    rng = random.Random(seed)
    return [(rng.uniform(-spread, spread), rng.uniform(-spread, spread)) for _ in range(n)]


def _twins(coords):
    """Our polyline and the plain one on the same coordinates."""
    Flatkin, Polyline, pf, pp = _modules()
    ours = Polyline.Polyline([Flatkin.Point(x, y) for x, y in coords])
    plain = pp.Polyline([pf.Point(x, y) for x, y in coords])
    return ours, plain


def _picture(r):
    """A result's shape and exact coordinates (points by x and y)."""
    if r is None or isinstance(r, (int, float)):
        return r
    if isinstance(r, (list, tuple)):
        return [type(r).__name__] + [_picture(p) for p in r]
    if hasattr(r, "points"):
        return ["Polyline"] + [_picture(p) for p in r.points]
    return (r.x, r.y)


def _same(stmt, ours, plain):
    return lambda: _picture(eval(stmt, ours)) == _picture(eval(stmt, plain))


@case("Polyline", "contains_point, 1,000-vertex outline, 1,000 points",
      "which grid points of a floor plate lie inside its outline (one call per point)", 50)
def _contains_plain():
    Flatkin, _, pf, _ = _modules()
    ours, plain = _twins(_outline(1000))
    probes = _probes(1000)
    envs = [{"p": ours, "pts": [Flatkin.Point(x, y) for x, y in probes]},
            {"p": plain, "pts": [pf.Point(x, y) for x, y in probes]}]
    stmt = "[p.contains_point(q) for q in pts]"
    return Timing(stmt, envs[0], envs[1], _same(stmt, envs[0], envs[1]))


def _shapely_env(coords, probes):
    import shapely
    polygon = shapely.Polygon(coords)
    shapely.prepare(polygon)
    xy = [(x, y) for x, y in probes]
    return {"run": lambda: [int(shapely.intersects_xy(polygon, x, y)) for x, y in xy]}


@case("Polyline", "contains_point vs shapely.intersects_xy (prepared), 1,000 vertices, 10,000 points",
      "the same grid test against a prepared GEOS polygon, point by point", 1)
def _contains_shapely():
    import shapely
    Flatkin, _, _, _ = _modules()
    coords, probes = _outline(1000), _probes(10_000)
    ours, _ = _twins(coords)
    pts = [Flatkin.Point(x, y) for x, y in probes]
    mine = {"run": lambda: [ours.contains_point(q) for q in pts]}
    theirs = _shapely_env(coords, probes)
    boundary = shapely.Polygon(coords).boundary

    def check():
        # The same inside/outside answers away from the outline.
        a, b = mine["run"](), theirs["run"]()
        return all((x != 0) == (y != 0) for x, y, q in zip(a, b, probes)
                   if boundary.distance(shapely.Point(q)) > 1e-6)
    return Timing("run()", mine, theirs, check)


@case("Polyline", "contains_points vs shapely.intersects_xy (prepared), 1,000 vertices, 10,000 points",
      "the whole grid in one call: the outline is read once for all points", 1)
def _contains_points_shapely():
    Flatkin, _, _, _ = _modules()
    coords, probes = _outline(1000), _probes(10_000)
    ours, _ = _twins(coords)
    pts = [Flatkin.Point(x, y) for x, y in probes]
    mine = {"run": lambda: ours.contains_points(pts)}
    return Timing("run()", mine, _shapely_env(coords, probes))


@case("Polyline", "area, 1,000 vertices", "floor areas of outlines, read afresh on every call", 20)
def _area():
    ours, plain = _twins(_outline(1000))
    envs = [{"p": ours}, {"p": plain}]
    return Timing("p.area", envs[0], envs[1], _same("p.area", envs[0], envs[1]))


@case("Polyline", "length, 1,000 vertices", "perimeters and the walks along outlines", 2)
def _length():
    ours, plain = _twins(_outline(1000))
    envs = [{"p": ours}, {"p": plain}]
    return Timing("p.length", envs[0], envs[1], _same("p.length", envs[0], envs[1]))


@case("Polyline", "closest_point, 1,000 vertices", "snapping a point to the nearest wall of an outline", 20)
def _closest():
    Flatkin, _, pf, _ = _modules()
    ours, plain = _twins(_outline(1000))
    envs = [{"p": ours, "q": Flatkin.Point(3.25, -17.5)}, {"p": plain, "q": pf.Point(3.25, -17.5)}]
    stmt = "p.closest_point(q)"
    return Timing(stmt, envs[0], envs[1], _same(stmt, envs[0], envs[1]))


@case("Polyline", "divide_by_length, 1,000 vertices, every 0.5 m",
      "setting out posts along a boundary (the plain steps walk from the start for every point)", 100)
def _divide():
    ours, plain = _twins(_outline(1000))
    envs = [{"p": ours}, {"p": plain}]
    stmt = "p.divide_by_length(0.5)"
    return Timing(stmt, envs[0], envs[1], _same(stmt, envs[0], envs[1]))


def _site_points(n, seed=3):
    """n points surveyed over a 500 x 300 m site."""
    rng = random.Random(seed)
    return [(rng.uniform(0, 500), rng.uniform(0, 300)) for _ in range(n)]


def _vertex_set(hull):
    return {(p.x, p.y) for p in hull}


@case("Polyline", "convex_hull, 100,000 points", "the outline around all survey points of a site", 20)
def _hull_plain():
    Flatkin, Polyline, pf, pp = _modules()
    xy = _site_points(100_000)
    envs = [{"H": Polyline.Polyline, "pts": [Flatkin.Point(x, y) for x, y in xy]},
            {"H": pp.Polyline, "pts": [pf.Point(x, y) for x, y in xy]}]
    stmt = "H.convex_hull(pts)"
    return Timing(stmt, envs[0], envs[1], _same(stmt, envs[0], envs[1]))


@case("Polyline", "convex_hull vs shapely.convex_hull (MultiPoint built), 100,000 points",
      "the same hull by GEOS on a ready MultiPoint: the same vertex set", 1)
def _hull_shapely():
    import shapely
    Flatkin, Polyline, _, _ = _modules()
    xy = _site_points(100_000)
    pts = [Flatkin.Point(x, y) for x, y in xy]
    cloud = shapely.MultiPoint(xy)
    mine = {"run": lambda: Polyline.Polyline.convex_hull(pts)}
    theirs = {"run": lambda: shapely.convex_hull(cloud)}
    return Timing("run()", mine, theirs,
                  lambda: _vertex_set(mine["run"]()) == set(theirs["run"]().exterior.coords))


@case("Polyline", "offset, 1,000-vertex outline", "a clearance line around a floor outline", 50)
def _offset_plain():
    ours, plain = _twins(_outline(1000, surveyed=False))
    envs = [{"p": ours}, {"p": plain}]
    stmt = "p.offset(0.05)"
    return Timing(stmt, envs[0], envs[1], _same(stmt, envs[0], envs[1]))


@case("Polyline", "offset vs shapely mitre buffer, 1,000-vertex outline",
      "the same outline grown by GEOS with mitred corners", 1)
def _offset_shapely():
    import shapely
    coords = _outline(1000, surveyed=False)
    ours, _ = _twins(coords)
    polygon = shapely.Polygon(coords)
    mine = {"run": lambda: ours.offset(0.05)}
    theirs = {"run": lambda: shapely.buffer(polygon, 0.05, join_style="mitre")}

    def check():  # the same outline, up to GEOS's own start point and rounding
        grown = shapely.LinearRing([(q.x, q.y) for q in mine["run"]().points])
        return shapely.hausdorff_distance(grown, theirs["run"]().exterior) < 1e-6
    return Timing("run()", mine, theirs, check)


def _comb(teeth, seed=4):
    """A counter-clockwise rectilinear floor outline of 4 * teeth + 3
    vertices: a 10 m deep base with rooms 0.6 to 1.2 m wide and 1 to 3 m deep
    along its top, 0.6 to 1.2 m apart, to the centimetre.  Grown or shrunk by
    more than 0.3 m, rooms and the gaps between them close up one by one."""
    rng = random.Random(seed)
    x, top = 0.0, []
    for _ in range(teeth):
        w, g, h = round(rng.uniform(0.6, 1.2), 2), round(rng.uniform(0.6, 1.2), 2), round(rng.uniform(1, 3), 2)
        top += [(x, 10.0), (x, 10.0 + h), (x + w, 10.0 + h), (x + w, 10.0)]
        x = round(x + w + g, 2)
    pts = [(0.0, 0.0), (x, 0.0), (x, 10.0)] + top[::-1]
    return pts + [pts[0]]


def _offset_vs_buffer(coords, distance):
    import shapely
    ours, _ = _twins(coords)
    polygon = shapely.Polygon(coords)
    mine = {"run": lambda: ours.offset(distance)}
    theirs = {"run": lambda: shapely.buffer(polygon, distance, join_style="mitre", mitre_limit=1e9)}

    def check():  # the same region, up to GEOS's own start point and rounding
        expected = theirs["run"]()
        got = shapely.Polygon([(q.x, q.y) for q in mine["run"]().points])
        return got.symmetric_difference(expected).area <= 1e-9 * expected.area
    return Timing("run()", mine, theirs, check)


for _teeth, _size in ((250, "1,000"), (2500, "10,000")):
    for _distance, _what in ((0.1, "grown 0.1 m, nothing collapses"), (-0.1, "shrunk 0.1 m, nothing collapses"),
                             (0.4, "grown 0.4 m, gaps close"), (-0.4, "shrunk 0.4 m, rooms vanish")):
        case("Polyline", f"offset vs shapely mitre buffer, {_size}-vertex comb, {_what}",
             "a clearance line or a finish line of a floor with many rooms, against GEOS's mitred buffer"
             " (no mitre limit)", 2)(lambda t=_teeth, d=_distance: _offset_vs_buffer(_comb(t), d))


@case("Polyline", "offset past collapses, 1,000-vertex comb, shrunk 0.4 m",
      "rooms vanish one by one: the plain steps rebuild the outline from swept shapes", 1)
def _offset_collapse_plain():
    ours, plain = _twins(_comb(250))
    envs = [{"p": ours}, {"p": plain}]

    def check():  # the same outline within rounding
        a, b = ours.offset(-0.4).points, plain.offset(-0.4).points
        return len(a) == len(b) and all(math.isclose(p.x, q.x, abs_tol=1e-9) and math.isclose(p.y, q.y, abs_tol=1e-9)
                                        for p, q in zip(a, b))
    return Timing("p.offset(-0.4)", envs[0], envs[1], check)


@case("Polyline", "minimum_bounding_box, 1,000-vertex outline",
      "the least-area frame of a floor plate (a box per segment, no allocation per candidate)", 100)
def _min_box():
    ours, plain = _twins(_outline(1000))
    envs = [{"p": ours}, {"p": plain}]
    stmt = "p.minimum_bounding_box()"
    return Timing(stmt, envs[0], envs[1], _same(stmt, envs[0], envs[1]))


if __name__ == "__main__":
    sys.exit(run.main(sys.argv[1:] + ["-k", "Polyline"]))
