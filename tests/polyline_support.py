"""Shared pieces of the polyline tests: twin polylines (ours and the plain
reference of benchmarks/pyref_polyline.py on the same coordinates), shapes
that building scripts meet, hypothesis strategies, and one picture of a
result that two twins can be compared by, bit for bit."""

import inspect
import math

from hypothesis import strategies as st

import pyref_flatkin
import pyref_polyline
import pyref_strakel
from Flatkin import Point
from Polyline import Polyline

PLAIN = {"Point": pyref_flatkin.Point, "Vector": pyref_flatkin.Vector, "Polyline": pyref_polyline.Polyline,
         "Segment": pyref_strakel.Segment, "Line": pyref_strakel.Line, "Ray": pyref_strakel.Ray}


class Twin:
    """The same coordinates as our Polyline and as the plain one."""

    def __init__(self, coords, closed=False):
        coords = [tuple(c) for c in coords]
        if closed and coords and coords[0] != coords[-1]:
            coords.append(coords[0])
        self.coords = coords
        self.ours_points = [Point(x, y) for x, y in coords]
        self.plain_points = [pyref_flatkin.Point(x, y) for x, y in coords]
        self.ours = Polyline(self.ours_points)
        self.plain = pyref_polyline.Polyline(self.plain_points)


def fkey(v):
    """A float's exact identity: NaN is NaN, -0.0 is not 0.0."""
    if isinstance(v, float):
        return ("nan",) if math.isnan(v) else (v, math.copysign(1.0, v))
    return (type(v).__name__, v)


def picture(value, pool=()):
    """What a result is, in a form two twins compare by: an object of the
    input pool by its position (identity matters), a point, vector, segment,
    line, ray or polyline by its class name and exact coordinates."""
    for i, item in enumerate(pool):
        if value is item:
            return ("own", i)
    name = type(value).__name__
    if name in ("Point", "Vector"):
        return (name, fkey(value.x), fkey(value.y))
    if name in ("Segment", "Line"):
        return (name, picture(value.start, pool), picture(value.end, pool))
    if name == "Ray":
        return (name, picture(value.origin, pool), picture(value.direction, pool))
    if name == "Polyline":
        return (name, picture(value.points, pool))
    if isinstance(value, (list, tuple)):
        return (name,) + tuple(picture(v, pool) for v in value)
    if isinstance(value, dict):
        return ("dict",) + tuple((k, picture(v, pool)) for k, v in value.items())
    if isinstance(value, float):
        return ("float",) + fkey(value)
    return (name, value)


def outcome(fn, *args, **kwargs):
    """('ok', result) or ('raises', type, message) of one call."""
    try:
        return ("ok", fn(*args, **kwargs))
    except Exception as exc:  # noqa: BLE001 - the exception is the outcome
        return ("raises", type(exc), str(exc))


def agree(twin, name, *args, **kwargs):
    """Member `name` of both twins (a property, a method, or a static method
    given the receiver first) has the same outcome: the same exception type,
    or the same picture of the result. Our arguments are copied to the plain
    side, a shared object staying shared, and their points join the pool, so
    identity counts for them too."""
    pool_ours, pool_plain = list(twin.ours_points), list(twin.plain_points)
    memo = {id(o): (o, p) for o, p in zip(pool_ours, pool_plain)}

    def plain_of(v):
        if id(v) in memo:
            return memo[id(v)][1]
        kind = type(v).__name__
        if kind in ("Point", "Vector"):
            out = PLAIN[kind](v.x, v.y)
            if kind == "Point":
                pool_ours.append(v)
                pool_plain.append(out)
        elif kind in ("Segment", "Line"):
            out = PLAIN[kind](plain_of(v.start), plain_of(v.end))
        elif kind == "Ray":
            out = PLAIN[kind](plain_of(v.origin), plain_of(v.direction))
        elif kind == "Polyline":
            out = PLAIN[kind]([plain_of(q) for q in v.points])
        elif isinstance(v, (list, tuple)):
            out = type(v)(plain_of(q) for q in v)
        else:
            return v
        memo[id(v)] = (v, out)  # holds v, so its id stays its own
        return out

    plain_args, plain_kwargs = [plain_of(a) for a in args], {k: plain_of(v) for k, v in kwargs.items()}
    ours, plain = outcome(call, twin.ours, name, *args, **kwargs), outcome(call, twin.plain, name, *plain_args,
                                                                           **plain_kwargs)
    assert ours[0] == plain[0] and (ours[1] is plain[1] if ours[0] == "raises" else
                                    picture(ours[1], pool_ours) == picture(plain[1], pool_plain)), \
        (name, args, ours, plain)


def call(polyline, name, *args, **kwargs):
    """Member `name` of a polyline: a property read, a method call, or a
    static method given the polyline first."""
    raw = inspect.getattr_static(Polyline, name)
    if isinstance(raw, property):
        return getattr(polyline, name)
    if isinstance(raw, staticmethod):
        return getattr(type(polyline), name)(polyline, *args, **kwargs)
    return getattr(polyline, name)(*args, **kwargs)


def member_calls():
    """Every member that reads the receiver's points, with arguments for it
    (new objects on every call)."""
    from Flatkin import Vector
    from Strakel import Line, Segment
    on, near, inner = Point(0.5, 0), Point(3, 3), Point(0.5, 0.5)
    return [(n,) for n in (
        "__repr__", "__hash__", "__iter__", "reverse", "is_closed", "close", "is_self_intersecting", "segments",
        "count", "length", "start", "end", "midpoint", "centroid", "mean", "longest_edge", "shortest_edge", "bound",
        "area", "is_clockwise", "simple_wise", "wise", "start_vector", "end_vector", "is_convex", "bounding_box",
        "minimum_bounding_box", "longest_edge_box", "set_vector_box", "degenerate_distance", "find_discontinuity")] + [
        (n, on) for n in ("select_segment_containing_point", "select_segment_close_to_point", "tangent_at_point",
                          "normal_at_point", "tangent_ray_at_point", "tangent_line_at_point", "normal_ray_at_point",
                          "normal_line_at_point", "evaluate_point", "break_by_point")] + [
        (n, inner) for n in ("is_point_in_bound", "is_point_on", "is_point_inside", "contains_point")] + [
        ("__eq__", Polyline([Point(0, 0), Point(1, 1)])), ("closest_point", near),
        ("intersection", Line(Point(0, 0.5), Point(1, 0.5))), ("intersection", Polyline([Point(0, 0.5), Point(1, 0.5)])),
        ("contains_points", [inner] * 20), ("is_segment_inside", Segment(Point(0, 0), Point(1, 1))),
        ("is_polyline_inside", Polyline([Point(-1, -1), Point(3, -1), Point(3, 3), Point(-1, -1)])),
        ("point_at_parameter", 0.5), ("point_at_length", 0.5), ("divide_by_count", 5), ("divide_by_length", 0.3),
        ("bounding_box", Vector(1, 2), 1), ("offset", 0.2), ("offset", -0.2), ("unequal_offset", [0.1] * 4),
        ("loft", Polyline([Point(5, 5), Point(6, 6)])), ("tween", Polyline([Point(5, 5)] * 5), 0.5),
        ("extend", 1.0), ("shorten", 0.5), ("adjust_length", -0.5), ("break_by_points", [on, Point(1, 0.5)]),
        ("break_by_parameter", 0.3), ("break_by_parameters", [0.2, 0.7]), ("break_by_interval", (0.2, 0.7)),
        ("break_by_intervals", [(0.1, 0.2), (0.5, 0.6)]), ("break_by_tuple", (on, Point(1, 0.5))),
        ("break_by_tuples", [(on, Point(1, 0.5))]), ("move", Vector(1, 1)), ("rotate", 0.5, Point(0, 0)),
        ("polyline_chamfer", 0.1), ("polyline_fillet", 0.1, 3)]


def poly(coords, cls=Point):
    return Polyline([cls(x, y) for x, y in coords])


def xy(p):
    """The coordinates of a polyline's points, or of a list of points."""
    return [(q.x, q.y) for q in getattr(p, "points", p)]


# ------------------------------------------------------------ shapes

UNIT_SQUARE = [(0, 0), (1, 0), (1, 1), (0, 1), (0, 0)]
L_ROOM = [(0, 0), (6, 0), (6, 3), (3, 3), (3, 5), (0, 5), (0, 0)]
DIAMOND = [(1, 0), (2, 1), (1, 2), (0, 1), (1, 0)]


def star(rng, n, center=(0.0, 0.0), grid=False):
    """A closed simple outline around `center`: vertices at sorted random
    angles and random radii (snapped to whole numbers on a grid, which puts
    many vertices on the same horizontal lines)."""
    angles = sorted(rng.uniform(0, 2 * math.pi) for _ in range(n))
    coords = []
    for a in angles:
        r = rng.uniform(2, 10)
        x, y = center[0] + r * math.cos(a), center[1] + r * math.sin(a)
        if grid:
            x, y = float(round(x)), float(round(y))
        if not coords or coords[-1] != (x, y):
            coords.append((x, y))
    coords.append(coords[0])
    return coords


def histogram_room(rng, columns, step=(1, 12)):
    """A closed simple rectilinear room, counter-clockwise: the floor line,
    then a skyline of columns of random whole widths and heights (steps up
    and down, some as short as one unit)."""
    xs, x = [0], 0
    for _ in range(columns):
        x += rng.randint(*step)
        xs.append(x)
    heights = [rng.randint(*step) for _ in range(columns)]
    coords = [(0.0, 0.0), (float(xs[-1]), 0.0)]
    for i in range(columns - 1, -1, -1):
        coords += [(float(xs[i + 1]), float(heights[i])), (float(xs[i]), float(heights[i]))]
    coords.append((0.0, 0.0))
    out = [coords[0]]
    for a, b, c in zip(coords, coords[1:], coords[2:]):  # equal neighbouring heights run straight on
        if (b[0] - a[0]) * (c[1] - b[1]) != (b[1] - a[1]) * (c[0] - b[0]):
            out.append(b)
    return out + [coords[-1]]


# ------------------------------------------------------ strategies

grid_coord = st.integers(-6, 6).map(float)
# Building-scale values: a coordinate is 0 or at least a nanometre from it
# (turns of points 1e-300 apart underflow, where no outline lives).
free_coord = st.floats(-50, 50, allow_nan=False, allow_infinity=False).filter(lambda v: v == 0 or abs(v) > 1e-9)
coord = st.one_of(grid_coord, free_coord)
point_xy = st.tuples(coord, coord)
chains = st.lists(point_xy, min_size=2, max_size=14)


@st.composite
def outlines(draw, min_size=3, max_size=24):
    """Closed simple outlines, on a grid or not."""
    import random
    seed = draw(st.integers(0, 2 ** 32 - 1))
    n = draw(st.integers(min_size, max_size))
    return star(random.Random(seed), n, center=(draw(grid_coord), draw(grid_coord)), grid=draw(st.booleans()))


def rectilinear_room(rng, kind):
    """A closed simple rectilinear room, counter-clockwise, of whole
    dimensions: an L, T, U or H, a comb (teeth along the top) or stairs
    (a staircase up from the floor line)."""
    r = lambda lo, hi: rng.randint(lo, hi)  # noqa: E731
    if kind == "L":
        w, h, a, b = r(6, 30), r(6, 30), r(2, 5), r(2, 5)
        pts = [(0, 0), (w, 0), (w, b), (a, b), (a, h), (0, h)]
    elif kind == "T":
        w, h, s, t = r(9, 30), r(6, 30), r(2, 4), r(2, 5)
        x = r(1, w - s - 1)
        pts = [(x, 0), (x + s, 0), (x + s, h - t), (w, h - t), (w, h), (0, h), (0, h - t), (x, h - t)]
    elif kind == "U":
        w, h, a, b, c = r(9, 30), r(6, 30), r(2, 4), r(2, 4), r(1, 5)
        pts = [(0, 0), (w, 0), (w, h), (w - b, h), (w - b, c), (a, c), (a, h), (0, h)]
    elif kind == "H":
        w, h, a, b, c, e = r(9, 30), r(9, 30), r(2, 4), r(2, 4), r(2, 4), r(1, 4)
        y = r(1, h - c - 1)
        pts = [(0, 0), (a, 0), (a, y), (w - b, y), (w - b, 0), (w, 0), (w, h), (w - b, h), (w - b, y + c),
               (a, y + c), (a, h), (0, h)]
        del e
    elif kind == "comb":
        depth, x, top = r(2, 6), 0, []
        for _ in range(r(2, 8)):
            tooth, gap, height = r(1, 4), r(1, 4), r(1, 8)
            top += [(x, depth), (x, depth + height), (x + tooth, depth + height), (x + tooth, depth)]
            x += tooth + gap
        pts = [(0, 0), (x, 0), (x, depth)] + top[::-1]
        pts = [p for k, p in enumerate(pts) if p != pts[k - 1]]
    else:  # stairs
        x, y, pts = 0, 0, [(0, 0)]
        for _ in range(r(2, 7)):
            x += r(1, 6)
            pts.append((x, y))
            y += r(1, 6)
            pts.append((x, y))
        pts.append((0, y))
    pts = [(float(px), float(py)) for px, py in pts]
    return pts + [pts[0]]


ROOM_KINDS = ("L", "T", "U", "H", "comb", "stairs")
