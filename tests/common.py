"""Shared helpers for the test suite.

Keep additions here small and generic: duck-typed stand-ins, exact float
comparison, result normalisation and plain-Python reference versions of the
point rules that several test files check our modules against.
"""

import math

import numpy as np

import Flatkin
from pyref_network import SegmentCollection as RefCollection, segments_of as ref_segments
from Flatkin import Point, Vector


# ------------------------------------------------------------ stand-ins

class Duck:
    """Any object with x and y: what every point parameter accepts."""

    def __init__(self, x, y):
        self.x = x
        self.y = y

    def __repr__(self):
        return f"Duck({self.x!r}, {self.y!r})"


class DuckVector(Duck):
    """A duck that also answers `magnitude`, as cos, sin and angle read it."""

    @property
    def magnitude(self):
        return math.sqrt(math.pow(self.x, 2) + math.pow(self.y, 2))


def duck_of(obj):
    """The duck twin of a Point or Vector (same coordinates, plain class)."""
    if isinstance(obj, Vector):
        return DuckVector(obj.x, obj.y)
    return Duck(obj.x, obj.y)


# --------------------------------------------------- exact comparisons

def same_float(a, b):
    """Bit-for-bit equality of two numbers: NaN equals NaN, -0.0 is not 0.0."""
    if isinstance(a, float) and isinstance(b, float):
        if math.isnan(a) or math.isnan(b):
            return math.isnan(a) and math.isnan(b)
        return a == b and math.copysign(1.0, a) == math.copysign(1.0, b)
    return type(a) is type(b) and a == b


def xy(obj):
    return (obj.x, obj.y)


def assert_xy(obj, x, y, cls=None):
    """`obj` has exactly the coordinates (x, y), as floats, and the class cls."""
    if cls is not None:
        assert type(obj) is cls, f"expected {cls.__name__}, got {type(obj).__name__}"
    assert type(obj.x) is float and type(obj.y) is float
    assert same_float(obj.x, float(x)) and same_float(obj.y, float(y)), (
        f"({obj.x!r}, {obj.y!r}) != ({x!r}, {y!r})")


def approx_xy(obj, x, y, tol=1e-9):
    return abs(obj.x - x) <= tol and abs(obj.y - y) <= tol


def normalise(value, *pools):
    """A comparable picture of a result.

    Elements of the given input lists become ('elem', pool, index) so that two
    runs on twin inputs can be compared by position; points and vectors
    become their class name and exact coordinates; floats compare bit for bit.
    """
    for k, pool in enumerate(pools):
        for i, item in enumerate(pool):
            if value is item:
                return ("elem", k, i)
    if isinstance(value, (Point, Vector)):
        return (type(value).__name__, _fkey(value.x), _fkey(value.y))
    if isinstance(value, (Duck,)):
        return ("duck", _fkey(value.x), _fkey(value.y))
    if isinstance(value, (list, tuple)):
        return (type(value).__name__,) + tuple(normalise(v, *pools) for v in value)
    if isinstance(value, float):
        return ("float", _fkey(value))
    return (type(value).__name__, value)


def _fkey(v):
    if isinstance(v, float):
        if math.isnan(v):
            return "nan"
        return (v, math.copysign(1.0, v))
    return v


def outcome(fn, *args, **kwargs):
    """('ok', result) or ('raises', exception type) of one call."""
    try:
        return ("ok", fn(*args, **kwargs))
    except Exception as exc:  # noqa: BLE001 - the type is the result here
        return ("raises", type(exc))


def same_outcome(a, b, pools_a=(), pools_b=()):
    """Two outcomes agree: the same exception type, or equal normalised results
    (elements of pools_a in `a` and of pools_b in `b` compared by position)."""
    if a[0] != b[0]:
        return False
    if a[0] == "raises":
        return a[1] is b[1]
    return normalise(a[1], *pools_a) == normalise(b[1], *pools_b)


# ---------------------------------------------- plain-Python references
# These restate the point rules literally (quadratic scans and all) so that
# the fast implementations can be checked against them on random inputs.

def eps():
    return Flatkin.epsilon


def ref_is_equal(a, b):
    ax, ay, bx, by = a.x, a.y, b.x, b.y
    e = eps()
    return abs(ax - bx) <= e and abs(ay - by) <= e


def ref_is_greater(a, b):
    e = eps()
    if abs(a.y - b.y) <= e:
        if abs(a.x - b.x) <= e:
            return False
        return (a.x - b.x) > e
    return (a.y - b.y) > e


def ref_is_less(a, b):
    e = eps()
    if abs(a.y - b.y) <= e:
        if abs(a.x - b.x) <= e:
            return False
        return (a.x - b.x) < -e
    return (a.y - b.y) < -e


def ref_distance(a, b):
    return math.sqrt((a.x - b.x) ** 2.0 + (a.y - b.y) ** 2.0)


def ref_nearest(target, points):
    best = points[0]
    best_d = ref_distance(target, best)
    for p in points[1:]:
        d = ref_distance(target, p)
        if d < best_d:
            best, best_d = p, d
    return best


def ref_farthest(target, points):
    best = points[0]
    best_d = ref_distance(target, best)
    for p in points[1:]:
        d = ref_distance(target, p)
        if d > best_d:
            best, best_d = p, d
    return best


def ref_remove_duplicates(points):
    kept = []
    for p in points:
        if not any(ref_is_equal(p, q) for q in kept):
            kept.append(p)
    return kept


def ref_select_unique(points):
    return [p for p in points if points.count(p) == 1]


def ref_count(target, points):
    return sum(1 for p in points if ref_is_equal(target, p))


def ref_has_same(target, points):
    return any(ref_is_equal(target, p) for p in points)


def ref_has_duplicates(points):
    for i, p in enumerate(points):
        for q in points[i + 1:]:
            if ref_is_equal(p, q):
                return True
    return False


def _ref_extreme(points, better):
    best, best_i = points[0], 0
    for i, p in enumerate(points[1:], start=1):
        if better(p, best):
            best, best_i = p, i
    return best, best_i


def ref_min_point(points):
    return _ref_extreme(points, ref_is_less)[0]


def ref_min_point_id(points):
    return _ref_extreme(points, ref_is_less)[1]


def ref_max_point(points):
    return _ref_extreme(points, ref_is_greater)[0]


def ref_max_point_id(points):
    return _ref_extreme(points, ref_is_greater)[1]


def ref_nearest_two(points):
    best = float("inf")
    first = second = None
    for i, p in enumerate(points):
        for q in points[i + 1:]:
            d = ref_distance(p, q)
            if d < best:
                best, first, second = d, p, q
    return (first, second)


def ref_slope(p1, p2):
    if abs(p1.x - p2.x) <= eps():
        return None
    return (p2.y - p1.y) / (p2.x - p1.x)


def ref_cross(u, v):
    return u.x * v.y - u.y * v.x


def ref_dot(u, v):
    return u.x * v.x + u.y * v.y


def ref_magnitude(x, y):
    return math.sqrt(math.pow(x, 2) + math.pow(y, 2))


def ref_area(p1, p2, p3):
    u = Duck(p2.x - p1.x, p2.y - p1.y)
    v = Duck(p3.x - p1.x, p3.y - p1.y)
    return ref_cross(u, v) / 2


def ref_is_linear(points):
    """Collinear means every consecutive triple has exactly zero signed area."""
    if len(points) < 3:
        return True
    return all(ref_area(points[i - 2], points[i - 1], points[i]) == 0
               for i in range(2, len(points)))


def ref_cos(v1, v2, product=ref_dot):
    m1 = v1.magnitude
    m2 = v2.magnitude
    if abs(m1) <= eps() or abs(m2) <= eps():
        return None
    c = product(v1, v2) / (m1 * m2)
    if 1 < c:
        c = 1
    if -1 > c:
        c = -1
    return c


def ref_sin(v1, v2):
    return ref_cos(v1, v2, product=ref_cross)


def ref_angle(v1, v2, polar=True, compare=False, arccos=np.arccos):
    c = ref_cos(v1, v2)
    if c is None:
        return None
    a = arccos(c)
    if polar is False:
        return a
    if ref_cross(v1, v2) >= 0:
        return a
    if compare is True:
        return 1 / (a - math.pi * 2)
    return np.pi * 2 - a


def ref_polar_angle(point, reference=None, arccos=np.arccos):
    if reference is None:
        reference = Duck(0.0, 0.0)
    v = DuckVector(point.x - reference.x, point.y - reference.y)
    return ref_angle(DuckVector(1.0, 0.0), v, arccos=arccos)


def ref_intersection(a, b, c, d):
    s1 = ref_slope(a, b)
    s2 = ref_slope(c, d)
    if s1 == s2:
        return None
    if s1 is None:
        x = a.x
        y = s2 * x + (c.y - s2 * c.x)
    elif s2 is None:
        x = c.x
        y = s1 * x + (a.y - s1 * a.x)
    else:
        i1 = a.y - s1 * a.x
        i2 = c.y - s2 * c.x
        x = (i2 - i1) / (s1 - s2)
        # y from the flatter line: on a steep one, slope * x loses it.
        y = s2 * x + i2 if abs(s1) > abs(s2) else s1 * x + i1
    return (float(x), float(y))


def ref_projection_foot(a, b, c):
    abx, aby = b.x - a.x, b.y - a.y
    acx, acy = c.x - a.x, c.y - a.y
    m = ref_magnitude(abx, aby)
    s = (abx * acx + aby * acy) / m
    if abs(m) <= eps():
        ux, uy = abx, aby
    else:
        ux, uy = abx / m, aby / m
    return (ux * s + a.x, uy * s + a.y)


# ------------------------------------------------------------ named shapes
# Outlines as lists of Points, closed by repeating the first point, in the
# library's length unit (metres in the examples).

def unit_square():
    """The unit square, counter-clockwise from the origin."""
    return [Point(0, 0), Point(1, 0), Point(1, 1), Point(0, 1), Point(0, 0)]


def rectangle(x0, y0, width, height):
    """An axis-aligned rectangle, counter-clockwise from (x0, y0)."""
    return [Point(x0, y0), Point(x0 + width, y0), Point(x0 + width, y0 + height), Point(x0, y0 + height),
            Point(x0, y0)]


def l_shaped_room():
    """A 10 by 8 room with a 4 by 3 corner cut away at the top right (area 68)."""
    return [Point(0, 0), Point(10, 0), Point(10, 5), Point(6, 5), Point(6, 8), Point(0, 8), Point(0, 0)]


def street_grid(columns, rows, spacing=10.0):
    """The centre lines of a street grid as (start, end) coordinate pairs:
    `columns` north-south streets and `rows` east-west streets, each running
    the whole grid."""
    width, height = (columns - 1) * spacing, (rows - 1) * spacing
    lines = [((i * spacing, 0.0), (i * spacing, height)) for i in range(columns)]
    lines += [((0.0, j * spacing), (width, j * spacing)) for j in range(rows)]
    return lines


# ------------------------------------------------------------- solid values
# Solidar is checked against benchmarks/pyref_solidar.py, the plain-Python
# classes doing the same steps: results are compared through `solid_picture`,
# which reads classes by name so that the two modules' classes match.

class Duck3:
    """Any object with x, y and z: what every solid point parameter accepts."""

    def __init__(self, x, y, z):
        self.x = x
        self.y = y
        self.z = z

    def __repr__(self):
        return f"Duck3({self.x!r}, {self.y!r}, {self.z!r})"


class DuckVector3(Duck3):
    """A solid duck that also answers `magnitude`, as cos, sin and angle read it."""

    @property
    def magnitude(self):
        return math.sqrt(self.x ** 2 + self.y ** 2 + self.z ** 2)


def _bits(v):
    if isinstance(v, float):
        return "nan" if math.isnan(v) else (v, math.copysign(1.0, v))
    return v


def solid_picture(value, *pools):
    """A comparable picture of a result: elements of the given input lists by
    position, solid points and vectors by class name and exact coordinates,
    numbers bit for bit with their type, arrays by dtype, shape and bytes."""
    for k, pool in enumerate(pools):
        for i, item in enumerate(pool):
            if value is item:
                return ("elem", k, i)
    name = type(value).__name__
    if name in ("Point3d", "Vector3d", "Point", "Vector"):
        return (name,) + tuple(_bits(float(getattr(value, a))) for a in ("x", "y", "z") if hasattr(value, a))
    if isinstance(value, (Duck, Duck3)):
        return ("duck",) + tuple(_bits(getattr(value, a)) for a in ("x", "y", "z") if hasattr(value, a))
    if isinstance(value, (np.floating, np.integer)):
        return (name, _bits(float(value)))
    if isinstance(value, np.ndarray):
        return ("ndarray", value.dtype.str, value.shape, value.tobytes())
    if isinstance(value, (list, tuple)):
        return (type(value).__name__,) + tuple(solid_picture(v, *pools) for v in value)
    if isinstance(value, dict):
        return ("dict",) + tuple((solid_picture(k, *pools), solid_picture(v, *pools)) for k, v in value.items())
    if type(value).__name__ in ("Surface", "Plane"):
        return (name, solid_picture(value.points, *pools))
    if type(value).__name__ == "Mesh":
        return (name, solid_picture(value.vertices), solid_picture(value.indices), value.layer)
    if isinstance(value, float):
        return ("float", _bits(value))
    return (name, value)


def solid_outcome(fn, *args, **kwargs):
    """('ok', picture) or ('raises', exception type name) of one call; the
    picture reads elements of list arguments by position."""
    try:
        result = fn(*args, **kwargs)
    except Exception as exc:  # noqa: BLE001 - the type is the result here
        return ("raises", type(exc).__name__)
    pools = [a for a in list(args) + list(kwargs.values()) if isinstance(a, (list, tuple))]
    return ("ok", solid_picture(result, *pools))


# ------------------------------------------------------------ segment networks

def on_one_line(a, b, tol=5e-4):
    (a0, a1), (b0, b1) = a, b
    da, db = (a1[0] - a0[0], a1[1] - a0[1]), (b1[0] - b0[0], b1[1] - b0[1])
    la, lb = math.hypot(*da), math.hypot(*db)
    if la <= tol or lb <= tol:
        return False
    cross = lambda u, p, o: (u[0] * (p[1] - o[1]) - u[1] * (p[0] - o[0]))
    return all(abs(cross(da, p, a0)) / la <= tol for p in (b0, b1)) and \
        all(abs(cross(db, p, b0)) / lb <= tol for p in (a0, a1))


def _gap_to(p, a, b):
    """The distance from p to the segment a-b."""
    dx, dy = b[0] - a[0], b[1] - a[1]
    t = ((p[0] - a[0]) * dx + (p[1] - a[1]) * dy) / (dx * dx + dy * dy) if dx or dy else 0.0
    t = min(1.0, max(0.0, t))
    return math.hypot(a[0] + t * dx - p[0], a[1] + t * dy - p[1])


def reference_walks_right(coords, split=True):
    """The plain steps give every room once, no walls are drawn in pieces, and
    no wall ends just short of another (the split's join rule meets them, the
    plain steps do not)."""
    if any(on_one_line(a, b) for i, a in enumerate(coords) for b in coords[i + 1:]):
        return False
    if any(1e-9 < _gap_to(e, *b) <= 1.5e-3 for a in coords for b in coords if a is not b for e in a):
        return False
    try:
        loops = RefCollection(ref_segments(coords)).get_polygons(split=split)
    except Exception:
        return False
    # A room is walked over distinct pieces (not out and back along a wall
    # that dead-ends), and no room comes twice.
    keys = [[frozenset(((round(s.start.x, 3), round(s.start.y, 3)), (round(s.end.x, 3), round(s.end.y, 3))))
             for s in loop] for loop in loops]
    rooms = [frozenset(k) for k in keys]
    return all(len(set(k)) == len(k) for k in keys) and len(set(rooms)) == len(rooms)


def _ends(s):
    return (s.start.x, s.start.y, s.end.x, s.end.y)


def close_ends(a, b):
    return len(a) == len(b) and all(math.isclose(u, v, rel_tol=0, abs_tol=5e-8)
                                    for p, q in zip(a, b) for u, v in zip(_ends(p), _ends(q)))
