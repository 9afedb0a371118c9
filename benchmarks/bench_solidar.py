"""Solid points, vectors, façades and meshes: Solidar against plain-Python
classes doing the same steps (benchmarks/pyref_solidar.py), in the same
process.

    PYTHONPATH=build/<dir> python benchmarks/bench_solidar.py [--quick] [--markdown] [--check]

Importing this file registers its rows with benchmarks/run.py's table; run on
its own it prints just these rows. Inputs are seeded; each row checks that
both sides give the same answer, bit for bit, before it is timed.
"""

import math
import pathlib
import random
import sys

import numpy as np

HERE = pathlib.Path(__file__).resolve().parent
if str(HERE) not in sys.path:
    sys.path.insert(0, str(HERE))

import run  # noqa: E402
from run import Growth, Timing, case  # noqa: E402


def _modules():
    import Solidar
    import pyref_solidar
    return Solidar, pyref_solidar


def _bits(v):
    return (v, math.copysign(1.0, v)) if v == v else "nan"


def _picture(r, pool=()):
    """A result as exact numbers; elements of `pool` by position."""
    index = {id(item): i for i, item in enumerate(pool)}

    def picture(r):
        if id(r) in index:
            return ("elem", index[id(r)])
        if r is None or isinstance(r, (bool, int, str)):
            return r
        if isinstance(r, float):
            return _bits(r)
        if isinstance(r, np.ndarray):
            return (r.dtype.str, r.shape, r.tobytes())
        if isinstance(r, (list, tuple)):
            return [type(r).__name__] + [picture(x) for x in r]
        if isinstance(r, dict):
            return [(picture(k), picture(v)) for k, v in r.items()]
        if hasattr(r, "vertices"):
            return ("mesh", picture(r.vertices), picture(r.indices), r.layer)
        if hasattr(r, "points"):
            return (type(r).__name__, picture(r.points))
        return (type(r).__name__, _bits(r.x), _bits(r.y), _bits(r.z))
    return picture(r)


def _check(stmt, ours, plain, pool="pts"):
    return lambda: (_picture(eval(stmt, ours), ours.get(pool, ())) ==
                    _picture(eval(stmt, plain), plain.get(pool, ())))


def _coords(n, seed, spread=100.0):
    rng = random.Random(seed)
    return [(rng.uniform(-spread, spread), rng.uniform(-spread, spread), rng.uniform(-spread, spread))
            for _ in range(n)]


# ------------------------------------------------------------ points, vectors

def _pair_env(m):
    return {"P": m.Point3d, "V": m.Vector3d, "p": m.Point3d(1.5, -2.0, 0.25), "q": m.Point3d(3.0, 4.0, -7.5),
            "v": m.Vector3d(0.5, 0.25, 2.0)}


@case("Solidar", "Point3d(x, y, z)", "every solid operation builds points", 1.5)
def _construct():
    ours, plain = _modules()
    return Timing("P(1.5, -2.0, 0.25)", _pair_env(ours), _pair_env(plain))


@case("Solidar", "p + v", "moving façade corners and panel points by vectors", 2.0)
def _add():
    ours, plain = _modules()
    o, p = _pair_env(ours), _pair_env(plain)
    return Timing("p + v", o, p, _check("p + v", o, p))


@case("Solidar", "p - q", "edge vectors of every façade and plane", 2.0)
def _sub():
    ours, plain = _modules()
    o, p = _pair_env(ours), _pair_env(plain)
    return Timing("p - q", o, p, _check("p - q", o, p))


@case("Solidar", "v * 2.5", "scaling unit axes to panel offsets", 2.0)
def _mul():
    ours, plain = _modules()
    o, p = _pair_env(ours), _pair_env(plain)
    return Timing("v * 2.5", o, p, _check("v * 2.5", o, p))


@case("Solidar", "p.distance_to_point(q)", "heights, widths and every nearest-point query", 2.5)
def _distance():
    ours, plain = _modules()
    o, p = _pair_env(ours), _pair_env(plain)
    return Timing("p.distance_to_point(q)", o, p, _check("p.distance_to_point(q)", o, p))


@case("Solidar", "p.x", "scripts read coordinates all the time: at most 2x the plain attribute", 0.5)
def _read_x():
    ours, plain = _modules()
    return Timing("p.x", _pair_env(ours), _pair_env(plain))


@case("Solidar", "Vector3d.angle(v, w)", "turns between façade edges", 3.0)
def _angle():
    ours, plain = _modules()
    envs = [{"V": m.Vector3d, "v": m.Vector3d(0.0, 1.0, 0.25), "w": m.Vector3d(1.0, -0.5, 0.0)} for m in (ours, plain)]
    stmt = "V.angle(v, w)"
    return Timing(stmt, envs[0], envs[1], _check(stmt, envs[0], envs[1]))


def _list_env(m, n, seed):
    return {"P": m.Point3d, "pts": [m.Point3d(*c) for c in _coords(n, seed)], "t": m.Point3d(3.25, -7.5, 1.0),
            "np": np}


@case("Solidar", "find_nearest_point, 10,000 points", "snapping to the nearest survey point", 20)
def _nearest():
    ours, plain = _modules()
    o, p = _list_env(ours, 10_000, 1), _list_env(plain, 10_000, 1)
    stmt = "P.find_nearest_point(t, pts)"
    return Timing(stmt, o, p, _check(stmt, o, p))


@case("Solidar", "remove_duplicate_points, 2,000 points", "cleaning survey points before meshing", 50)
def _dedupe():
    ours, plain = _modules()
    o, p = _list_env(ours, 2_000, 3), _list_env(plain, 2_000, 3)
    for env in (o, p):  # a fifth of the points repeat an earlier one within epsilon
        rng = random.Random(4)
        env["pts"].extend(env["P"](q.x + 5e-7, q.y - 5e-7, q.z) for q in rng.sample(env["pts"], 400))
    stmt = "P.remove_duplicate_points(pts)"
    return Timing(stmt, o, p, _check(stmt, o, p))


def _closest_pair_reference(points):
    """The quadratic definition's answer, found with numpy: all pairwise
    squared distances in blocks of rows, then every pair near the least one
    measured again with the exact formula; the first pair in (i, j) order at
    the least exact distance wins."""
    a = np.array([(p.x, p.y, p.z) for p in points])
    n, step = len(a), 500
    blocks = []
    for s in range(0, n, step):
        rows = a[s:s + step]
        d2 = sum((rows[:, None, k] - a[None, :, k]) ** 2 for k in range(3))
        d2[np.arange(len(rows))[:, None] + s >= np.arange(n)] = np.inf  # pairs i < j only
        blocks.append((s, d2))
    least = min(d2.min() for _, d2 in blocks)
    near = [(int(i) + s, int(j)) for s, d2 in blocks for i, j in zip(*np.nonzero(d2 <= least * (1 + 1e-9)))]
    exact = {(i, j): points[i].distance_to_point(points[j]) for i, j in near}
    shortest = min(exact.values())
    return min(pair for pair, d in exact.items() if d == shortest)


@case("Solidar", "find_nearest_two_points, 2,000 points", "the closest pair of a survey", 100)
def _closest_pair():
    ours, plain = _modules()
    o, p = _list_env(ours, 2_000, 7), _list_env(plain, 2_000, 7)
    stmt = "P.find_nearest_two_points(pts)"
    return Timing(stmt, o, p, _check(stmt, o, p))


@case("Solidar", "find_nearest_two_points, 5,000 -> 10,000 points",
      "grows close to n log n, with the quadratic definition's pair at 10,000 points", 2.6)
def _closest_pair_growth():
    ours, _ = _modules()
    small, large = _list_env(ours, 5_000, 8), _list_env(ours, 10_000, 9)
    pts = large["pts"]
    got = ours.Point3d.find_nearest_two_points(pts)
    if (pts.index(got[0]), pts.index(got[1])) != _closest_pair_reference(pts):
        raise AssertionError("find_nearest_two_points: not the quadratic definition's pair")
    return Growth("P.find_nearest_two_points(pts)", small, large, 2.0)


@case("Solidar", "apply_affine_transformation_to_3d, 100,000 points",
      "laying a site's points into a façade frame: one matrix product", 3)
def _transform():
    ours, plain = _modules()
    m = np.array([[0.0, -1.0, 0.0, 2.5], [0.6, 0.0, 0.8, -1.0], [-0.8, 0.0, 0.6, 4.0], [0.0, 0.0, 0.0, 1.0]])
    o, p = _list_env(ours, 100_000, 10), _list_env(plain, 100_000, 10)
    for env in (o, p):
        env["m"] = m
    stmt = "P.apply_affine_transformation_to_3d(pts, m)"
    return Timing(stmt, o, p, _check(stmt, o, p))


# ------------------------------------------------------------ façades, meshes

def _facade_env(m, storeys):
    corners = [m.Point3d(2.0, 1.0, 0.0), m.Point3d(2.0, 1.0, 6.5 + 4.5 * (storeys - 1)),
               m.Point3d(2.0 + 0.6 * 84.0, 1.0 + 0.8 * 84.0, 6.5 + 4.5 * (storeys - 1)),
               m.Point3d(2.0 + 0.6 * 84.0, 1.0 + 0.8 * 84.0, 0.0)]
    return {"s": m.Surface(corners)}


@case("Solidar", "Surface.divide_surface_with_label, 100 storeys x 10 units",
      "panelling a tower façade: 1,000 labelled cells", 5)
def _facade():
    ours, plain = _modules()
    for m in (ours, plain):  # the storey heights of a hundred storeys, in both modules
        m.BIM_FLOOR_HEIGHTS = [0, 6.5] + [4.5] * 99
    o, p = _facade_env(ours, 100), _facade_env(plain, 100)
    stmt = "s.divide_surface_with_label()"
    return Timing(stmt, o, p, _check(stmt, o, p))


def _vertex_array(n, seed, signed_zeros=False):
    rng = np.random.default_rng(seed)
    v = rng.integers(0, 60, (n, 3)).astype(np.float64) * 0.25  # many exact repeats
    if signed_zeros:
        v[rng.random(n) < 0.1] *= -1.0
        v[rng.integers(0, n, 50), rng.integers(0, 3, 50)] = np.nan
    return v


@case("Solidar", "Mesh.clean_vertices, 1,000,000 rows",
      "welding a site mesh's repeated vertices: rows hashed, only distinct rows sorted", 2)
def _clean():
    ours, plain = _modules()
    v = _vertex_array(1_000_000, 11)
    idx = np.random.default_rng(12).integers(0, len(v), (300_000, 3))
    envs = [{"M": m.Mesh, "v": v, "i": idx} for m in (ours, plain)]
    stmt = "M.clean_vertices(v, i)"
    return Timing(stmt, envs[0], envs[1], _check(stmt, envs[0], envs[1]))


@case("Solidar", "Mesh.clean_vertices, 1,000,000 rows with -0.0 and NaN",
      "the same rows as numpy keeps them, where numpy's own sort order decides", 2)
def _clean_signed():
    ours, plain = _modules()
    v = _vertex_array(1_000_000, 13, signed_zeros=True)
    envs = [{"M": m.Mesh, "v": v} for m in (ours, plain)]
    stmt = "M.clean_vertices(v)"
    return Timing(stmt, envs[0], envs[1], _check(stmt, envs[0], envs[1]))


@case("Solidar", "Mesh.clean_vertices against pyvista's clean(), 1,000,000 rows",
      "the welding a pyvista user would reach for", 1)
def _clean_pyvista():
    import pyvista as pv
    ours, _ = _modules()
    v = _vertex_array(1_000_000, 11)
    o = {"clean": ours.Mesh.clean_vertices, "v": v}
    p = {"clean": lambda v: pv.PolyData(v).clean(tolerance=0.0), "v": v}

    def check():  # the same number of distinct points
        return len(eval("clean(v)", o)[0]) == eval("clean(v)", p).n_points
    return Timing("clean(v)", o, p, check)


def _meshes(m, count, layers, seed):
    rng = np.random.default_rng(seed)
    out = []
    for k in range(count):
        n = int(rng.integers(3, 30))
        out.append(m.Mesh(rng.normal(size=(n, 3)), rng.integers(0, n, (n, 3)), layers[k % len(layers)]))
    return out


@case("Solidar", "Mesh.merge_meshes_by_layer, 2,000 meshes in 5 layers",
      "one mesh per layer for the front end: each layer concatenated once", 10)
def _merge():
    ours, plain = _modules()
    layers = ["wall", "slab", "roof", "glass", None]
    envs = [{"M": m.Mesh, "meshes": _meshes(m, 2_000, layers, 14)} for m in (ours, plain)]
    stmt = "M.merge_meshes_by_layer(meshes)"
    return Timing(stmt, envs[0], envs[1], _check(stmt, envs[0], envs[1]))


# ------------------------------------------------------- outline meshes

def _storey_outlines(m, count, width=30.0, height=3.5):
    """A storey panel and `count` windows on a grid, as lists of the
    module's Point (the façade scripts' input)."""
    from Flatkin import Point
    cols = max(1, round(math.sqrt(count * width / height)))
    rows = max(1, -(-count // cols))
    w, h = width / cols, height / rows
    windows = []
    for k in range(count):
        x, y = (k % cols) * w, (k // cols) * h
        windows.append([(x + 0.2 * w, y + 0.2 * h), (x + 0.8 * w, y + 0.2 * h), (x + 0.8 * w, y + 0.8 * h),
                        (x + 0.2 * w, y + 0.8 * h)])
    outlines = [[(0.0, 0.0), (width, 0.0), (width, height), (0.0, height)]] + windows
    return [[Point(x, y) for x, y in o] for o in outlines]


def _flat_area(v, i):
    t = v[i][:, :, :2] - v[0, :2]
    return float(((t[:, 1, 0] - t[:, 0, 0]) * (t[:, 2, 1] - t[:, 0, 1]) -
                  (t[:, 1, 1] - t[:, 0, 1]) * (t[:, 2, 0] - t[:, 0, 0])).sum() / 2)


def _shapely_cdt(outlines):
    """shapely's constrained Delaunay triangles of the polygon built from the
    same points, in the same call."""
    import shapely
    polygon = shapely.Polygon([(p.x, p.y) for p in outlines[0]], [[(p.x, p.y) for p in o] for o in outlines[1:]])
    return shapely.constrained_delaunay_triangles(polygon)


def _peer_arrays(outlines):
    """The outlines as the peers take them: coordinates, ring edges and a
    point inside each opening."""
    import shapely
    xy = np.array([(p.x, p.y) for o in outlines for p in o], dtype=np.float64)
    sizes = np.array([len(o) for o in outlines])
    starts = np.repeat(np.cumsum(sizes) - sizes, sizes)
    ends = np.arange(len(xy), dtype=np.int64)
    following = np.where(ends + 1 - starts == np.repeat(sizes, sizes), starts, ends + 1)
    edges = np.ascontiguousarray(np.column_stack([ends, following]).astype(np.uint32))
    holes = [shapely.Polygon([(p.x, p.y) for p in o]).representative_point().coords[0] for o in outlines[1:]]
    return xy, edges, np.array(holes, dtype=np.float64).reshape(-1, 2)


def _pythoncdt_on(xy, edges):
    """pythoncdt on ready-made arrays, the region kept by its own erasing of
    the outside and the holes: the triangles' corner numbers."""
    import pythoncdt
    t = pythoncdt.Triangulation(pythoncdt.VertexInsertionOrder.AUTO, pythoncdt.IntersectingConstraintEdges.NOT_ALLOWED, 0.0)
    t.insert_vertices(xy)
    t.insert_edges(edges)
    t.erase_outer_triangles_and_holes()
    return t.triangles_array()["vertices"]


def _peers(outlines):
    """pythoncdt and Triangle (`triangle.triangulate` with flag `p`) on the
    outlines as ready-made arrays: per peer, a call and its triangles."""
    import triangle
    xy, edges, holes = _peer_arrays(outlines)
    given = {"vertices": xy, "segments": edges.astype(np.int32)}
    if len(holes):
        given["holes"] = holes
    return {"pythoncdt": lambda _o=None: _pythoncdt_on(xy, edges),
            "Triangle": lambda _o=None: triangle.triangulate(given, "p")["triangles"]}, xy


def _vs_peers(outlines, names=("pythoncdt", "Triangle")):
    """Ours against the faster of the named peers (each timed a few times
    here, given ready-made arrays), checked to cover the same area with the
    same vertex rows."""
    import timeit
    ours, _ = _modules()
    calls, xy = _peers(outlines)
    seconds = {name: min(timeit.repeat(calls[name], number=1, repeat=3)) for name in names}
    fastest = min(names, key=seconds.get)
    env = {"M": ours.Mesh, "o": outlines}

    def check():
        v, i = ours.Mesh.constrain_delaunay_2d(outlines)
        theirs = _flat_area(np.column_stack([xy, np.zeros(len(xy))]), np.asarray(calls[fastest](), dtype=np.int64))
        rows = np.unique(xy + 0.0, axis=0)  # each distinct point once, as ours keeps them
        return len(v) == len(rows) and math.isclose(_flat_area(v, i), theirs, rel_tol=1e-9)
    return Timing("M.constrain_delaunay_2d(o)", env, dict(env, M=_PeerMesh(calls[fastest])), check)


def _outline_env(m, count):
    return {"M": m.Mesh, "o": _storey_outlines(m, count), "shapely_cdt": _shapely_cdt}


def _same_area_as_shapely(env):
    import shapely
    v, i = env["M"].constrain_delaunay_2d(env["o"])
    return math.isclose(_flat_area(v, i), shapely.area(_shapely_cdt(env["o"])).sum(), rel_tol=1e-9)


def _vs_shapely(windows):
    ours, _ = _modules()
    o = _outline_env(ours, windows)
    return Timing("M.constrain_delaunay_2d(o)", o, dict(o, M=_PeerMesh(_shapely_cdt)), lambda: _same_area_as_shapely(o))


@case("Solidar", "Mesh.constrain_delaunay_2d vs shapely constrained_delaunay_triangles, a panel with one window",
      "the façade workflow's call per unit panel; shapely builds its polygon from the same points", 0.5)
def _panel_vs_shapely():
    return _vs_shapely(1)


def _two_row_storey(count=2_500, width=30.0, height=3.5):
    """A storey with `count` tall narrow windows in two rows: each 0.6 of its
    bay wide and 1.1 high."""
    from Flatkin import Point
    bay = width / (count // 2)
    windows = [[(x, y), (x + 0.6 * bay, y), (x + 0.6 * bay, y + 1.1), (x, y + 1.1)]
               for y in (0.4, 2.0) for x in (k * bay + 0.2 * bay for k in range(count // 2))]
    outlines = [[(0.0, 0.0), (width, 0.0), (width, height), (0.0, height)]] + windows
    return [[Point(x, y) for x, y in o] for o in outlines]


def _row_above_sliver(n):
    """A boundary whose top is a row of n points over one long thin opening:
    each side of the opening crosses the fans from the row."""
    from Flatkin import Point
    boundary = [(0.0, 0.0), (float(n), 0.0)] + [(float(n - k), 1.0) for k in range(n + 1)]
    sliver = [(0.5, 0.5), (n - 0.5, 0.5), (n - 0.5, 0.5001), (0.5, 0.5001)]
    return [[Point(x, y) for x, y in o] for o in (boundary, sliver)]


def _square_wave(n):
    """A boundary drawn as a square wave of n points above one long bottom
    edge, which crosses the fans between the wave's feet."""
    from Flatkin import Point
    teeth = n // 4
    wave = [(x - dx, y) for k in range(teeth) for x in [float(teeth - k)]
            for dx, y in ((0.0, 1.0), (0.0, 2.0), (0.5, 2.0), (0.5, 1.0))]
    return [[Point(x, y) for x, y in [(0.0, 0.0), (float(teeth), 0.0)] + wave]]


@case("Solidar", "Mesh.constrain_delaunay_2d vs the faster of pythoncdt and Triangle, a storey with 2,500 windows "
      "in two rows (each 0.6 x 1.1 of a 0.024 m bay)",
      "tall narrow windows: every side crosses many Delaunay edges; the peers take ready-made arrays", 1.0)
def _two_rows_vs_peers():
    return _vs_peers(_two_row_storey())


@case("Solidar", "Mesh.constrain_delaunay_2d vs the faster of pythoncdt and Triangle, a storey with 2,500 windows "
      "on a grid (10,004 points)", "a 30 m storey cut by 2,500 windows; the peers take ready-made arrays", 1.0)
def _storey_vs_peers():
    ours, _ = _modules()
    return _vs_peers(_storey_outlines(ours, 2_500))


@case("Solidar", "Mesh.constrain_delaunay_2d vs the faster of pythoncdt and Triangle, 10,000 windows on a grid",
      "a whole tower's storey in one call", 1.0)
def _storey_10000_vs_peers():
    ours, _ = _modules()
    return _vs_peers(_storey_outlines(ours, 10_000))


@case("Solidar", "Mesh.constrain_delaunay_2d vs Triangle, a row of 4,000 points above one long thin opening",
      "a hostile outline: within a few times Triangle's time", 0.3)
def _sliver_vs_triangle():
    return _vs_peers(_row_above_sliver(4_000), ("Triangle",))


@case("Solidar", "Mesh.constrain_delaunay_2d, a row of 4,000 -> 16,000 points above one long thin opening",
      "grows close to n log n (flipping one crossed edge at a time grew as n^3)", 5.0)
def _sliver_growth():
    ours, _ = _modules()
    return Growth("M.constrain_delaunay_2d(o)", {"M": ours.Mesh, "o": _row_above_sliver(4_000)},
                  {"M": ours.Mesh, "o": _row_above_sliver(16_000)}, 4.0)


@case("Solidar", "Mesh.constrain_delaunay_2d vs Triangle, a square wave of 100,000 points above one long bottom edge",
      "a hostile outline: within a few times Triangle's time", 0.3)
def _wave_vs_triangle():
    return _vs_peers(_square_wave(100_000), ("Triangle",))


@case("Solidar", "Mesh.constrain_delaunay_2d vs the faster of pythoncdt and Triangle, a ring of 100,000 points on "
      "one circle", "co-circular everywhere: every in-circle test is decided past the floating-point filter", 0.3)
def _ring_vs_peers():
    from Flatkin import Point
    ring = [Point(10 * math.cos(a), 10 * math.sin(a)) for a in np.linspace(0, 2 * math.pi, 100_000, endpoint=False)]
    return _vs_peers([ring])


@case("Solidar", "Mesh.constrain_delaunay_2d vs shapely constrained_delaunay_triangles, 2,500 windows",
      "the same storey against the other peer", 10)
def _storey_vs_shapely():
    return _vs_shapely(2_500)


@case("Solidar", "Mesh.constrain_delaunay_2d, 6,250 -> 25,000 windows (25,004 -> 100,004 points)",
      "grows close to n log n: a whole tower's windows in one call", 5.0)
def _storey_growth():
    ours, _ = _modules()
    return Growth("M.constrain_delaunay_2d(o)", _outline_env(ours, 6_250), _outline_env(ours, 25_000), 4.0)


@case("Solidar", "Mesh.triangulate_2d vs shapely constrained_delaunay_triangles, a four-point outline",
      "a slab or a panel without openings", 1)
def _square_vs_shapely():
    ours, _ = _modules()
    o = {"M": ours.Mesh, "o": _storey_outlines(ours, 0)[0]}
    return Timing("M.triangulate_2d(o)", o, dict(o, M=_PeerMesh(lambda ring: _shapely_cdt([ring]), "triangulate_2d")))


@case("Solidar", "Mesh.constrain_delaunay_2d, a panel with one window",
      "the plain steps: pyvista meshes added and delaunay_2d with an edge source", 20)
def _panel_plain():
    ours, plain = _modules()
    envs = [{"M": m.Mesh, "o": _storey_outlines(m, 1)} for m in (ours, plain)]

    def check():  # the same vertex rows, and triangles covering the same area
        (v, i), (pv_v, pv_i) = (e["M"].constrain_delaunay_2d(e["o"]) for e in envs)
        import shapely
        o = envs[0]["o"]
        region = shapely.Polygon([(p.x, p.y) for p in o[0]], [[(p.x, p.y) for p in w] for w in o[1:]])
        return np.array_equal(v, pv_v) and math.isclose(_flat_area(v, i), region.area, rel_tol=1e-9)
    return Timing("M.constrain_delaunay_2d(o)", envs[0], envs[1], check)


@case("Solidar", "Mesh.extrude_to_mesh, a 200-point outline",
      "a round slab extruded (all its points on one circle): the plain steps are pyvista's extrude and triangulate", 3)
def _extrude_plain():
    ours, plain = _modules()
    from Flatkin import Point
    ring = [Point(10 * math.cos(a) + 1e6, 7 * math.sin(a)) for a in np.linspace(0, 2 * math.pi, 200, endpoint=False)]
    envs = [{"M": m.Mesh, "o": ring} for m in (ours, plain)]

    def check():  # the same vertex rows, in float64 rather than float32
        (v, _), (pv_v, _) = (e["M"].extrude_to_mesh(e["o"], 3.0) for e in envs)
        return v.shape == pv_v.shape and np.allclose(v, pv_v, rtol=1e-7)
    return Timing("M.extrude_to_mesh(o, 3.0)", envs[0], envs[1], check)


class _PeerMesh:
    """A peer's call under the name the statement uses."""
    def __init__(self, call, name="constrain_delaunay_2d"):
        setattr(self, name, call)


if __name__ == "__main__":
    sys.modules.setdefault("bench_solidar", sys.modules[__name__])  # run.py finds these rows registered
    sys.exit(run.main(sys.argv[1:] + ["-k", "Solidar"]))
