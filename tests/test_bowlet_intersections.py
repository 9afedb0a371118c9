"""Circle crossings with lines, rays, segments and other circles: result
shapes, order, bound filtering, degenerate input, and agreement with a
literal transcription of the formulas."""

import math

import pytest
from hypothesis import assume, given, settings, strategies as st

from Bowlet import Circle, Line, Point, Ray, Segment, Vector
from common import assert_xy


@pytest.fixture
def unit():
    return Circle(Point(0, 0), 1)


def xys(result):
    if result is None:
        return None
    if isinstance(result, Point):
        return (result.x, result.y)
    return type(result)((p.x, p.y) for p in result)


# ------------------------------------------------------------ lines

@pytest.mark.parametrize("start, end, expected", [
    ((-2, 0), (2, 0), ((1.0, 0.0), (-1.0, 0.0))),
    ((2, 0), (-2, 0), ((-1.0, 0.0), (1.0, 0.0))),
    ((0, 0), (1, 0), ((1.0, 0.0), (-1.0, 0.0))),
    ((-2, 1), (2, 1), (0.0, 1.0)),      # exact tangency: one bare point
    ((-2, 2), (2, 2), None),
])
def test_line_crossings_come_farther_along_first(unit, start, end, expected):
    assert xys(unit.with_line_intersection(Line(Point(*start), Point(*end)))) == expected


def test_a_segment_is_taken_as_its_infinite_line(unit):
    found = unit.with_line_intersection(line=Segment(Point(-0.5, 0), Point(0.5, 0)))
    assert xys(found) == ((1.0, 0.0), (-1.0, 0.0))


def test_vertical_line_through_a_larger_circle():
    found = Circle(Point(0, 0), 2).with_line_intersection(Line(Point(0, 0), Point(0, 1)))
    assert xys(found) == ((0.0, 2.0), (0.0, -2.0))


def test_a_line_without_direction_divides_by_zero(unit):
    with pytest.raises(ZeroDivisionError, match="division by zero"):
        unit.with_line_intersection(Line(Point(0, 0), Point(0, 0)))
    with pytest.raises(ZeroDivisionError, match="division by zero"):
        unit.with_segment_intersection(Segment(Point(0, 0), Point(0, 0)))


def test_a_ray_is_not_a_line(unit):
    with pytest.raises(AttributeError, match="'Ray' object has no attribute 'start'"):
        unit.with_line_intersection(Ray(Point(0, 0), Vector(1, 0)))
    with pytest.raises(AttributeError, match="'NoneType' object has no attribute 'start'"):
        unit.with_line_intersection(None)


# ------------------------------------------------------------ rays and segments

@pytest.mark.parametrize("origin, direction, expected", [
    ((-2, 0), (1, 0), [(1.0, 0.0), (-1.0, 0.0)]),
    ((0, 0), (1, 0), (1.0, 0.0)),
    ((2, 0), (1, 0), None),
    ((-2, 1), (1, 0), (0.0, 1.0)),
    ((1, 1), (1, 0), None),
    ((0, 0), (1, 1), (0.7071067811865476, 0.7071067811865476)),
])
def test_ray_crossings(unit, origin, direction, expected):
    assert xys(unit.with_ray_intersection(Ray(Point(*origin), Vector(*direction)))) == expected


@pytest.mark.parametrize("start, end, expected", [
    ((-2, 0), (2, 0), [(1.0, 0.0), (-1.0, 0.0)]),
    ((2, 0), (-2, 0), [(-1.0, 0.0), (1.0, 0.0)]),
    ((0, 0), (2, 0), (1.0, 0.0)),
    ((-0.5, 0), (0.5, 0), None),
    ((1, 0), (2, 0), (1.0, 0.0)),
    ((1.0000005, 0), (2, 0), (1.0, 0.0)),   # inside the bound widened by epsilon
    ((1.000002, 0), (2, 0), None),
    ((-2, 1), (2, 1), (0.0, 1.0)),
    ((-2, 1), (-1, 1), None),
])
def test_segment_crossings(unit, start, end, expected):
    found = unit.with_segment_intersection(segment=Segment(Point(*start), Point(*end)))
    assert xys(found) == expected
    assert type(found) in (type(None), Point, list)


def test_ray_and_segment_forms_go_through_the_instance():
    class Fixed(Circle):
        def with_line_intersection(self, line):
            return (Point(0.5, 0), Point(3, 0), Point(-3, 0))
    c = Fixed(Point(0, 0), 1)
    assert xys(c.with_segment_intersection(Segment(Point(0, 0), Point(1, 0)))) == (0.5, 0.0)
    assert xys(c.with_ray_intersection(Ray(Point(0, 0), Vector(1, 0)))) == [(0.5, 0.0), (3.0, 0.0)]


def test_bound_filter_uses_the_objects_own_test(unit):
    class Picky(Segment):
        def is_point_in_bound(self, point):
            return point.x < 0
    assert xys(unit.with_segment_intersection(Picky(Point(-2, 0), Point(2, 0)))) == (-1.0, 0.0)


# ------------------------------------------------------------ two circles

@pytest.mark.parametrize("c1, c2, expected", [
    (((0, 0), 1), ((1, 0), 1), ((0.5, -0.8660254037844386), (0.5, 0.8660254037844386))),
    (((1, 0), 1), ((0, 0), 1), ((0.5, 0.8660254037844386), (0.5, -0.8660254037844386))),
    (((0, 0), 1), ((2, 0), 1), ((1.0, 0.0), (1.0, 0.0))),
    (((0, 0), 2), ((1, 0), 1), ((2.0, 0.0), (2.0, 0.0))),
    (((0, 0), 1), ((3, 0), 1), None),
    (((0, 0), 2), ((0.5, 0), 1), None),
    (((0, 0), 1), ((0, 0), 1), None),
    (((0, 0), 1), ((0, 0), 2), None),
])
def test_circle_crossings_right_of_the_centre_line_first(c1, c2, expected):
    a, b = Circle(Point(*c1[0]), c1[1]), Circle(Point(*c2[0]), c2[1])
    assert xys(Circle.circle_intersection(a, b)) == expected
    assert xys(a.circle_intersection(circle_1=a, circle_2=b)) == expected


def test_touching_circles_whose_rounding_goes_negative_give_the_contact_twice():
    found = Circle.circle_intersection(Circle(Point(0, 0), 7.7), Circle(Point(10.3, 0), 2.6))
    assert type(found) is tuple
    first, second = found
    assert xys(first) == xys(second)
    assert_xy(first, 7.700000000000001, 0.0)


def test_concentric_nan_circles_divide_by_zero():
    with pytest.raises(ZeroDivisionError, match="division by zero"):
        Circle.circle_intersection(Circle(Point(0, 0), math.nan), Circle(Point(0, 0), math.nan))


# ------------------------------------------------------ literal references

def ref_line(center, r, start, end, local=False):
    """The crossings as the formula gives them about the centre: the line's
    points less the centre in, the centre added back to the points found
    (left off with `local`)."""
    x1, y1 = start[0] - center[0], start[1] - center[1]
    x2, y2 = end[0] - center[0], end[1] - center[1]
    found = ref_line_about_origin(r, x1, y1, x2, y2)
    if found is None or local:
        return found
    if isinstance(found[0], float):
        return (found[0] + center[0], found[1] + center[1])
    return tuple((x + center[0], y + center[1]) for x, y in found)


def ref_line_about_origin(r, x1, y1, x2, y2):
    cx, cy = 0.0, 0.0
    dx, dy = x2 - x1, y2 - y1
    a = dx ** 2 + dy ** 2
    b = 2 * (dx * (x1 - cx) + dy * (y1 - cy))
    c = cx ** 2 + cy ** 2 + x1 ** 2 + y1 ** 2 - 2 * (cx * x1 + cy * y1) - r ** 2
    disc = b ** 2 - 4 * a * c
    if disc < 0:
        return None
    if disc == 0:
        t = -b / (2 * a)
        return (x1 + t * dx, y1 + t * dy)
    root = math.sqrt(disc)
    t1 = (-b + root) / (2 * a)
    t2 = (-b - root) / (2 * a)
    return ((x1 + t1 * dx, y1 + t1 * dy), (x1 + t2 * dx, y1 + t2 * dy))


def ref_circles(c1, r1, c2, r2):
    (x1, y1), (x2, y2) = c1, c2
    d = math.sqrt((x2 - x1) ** 2 + (y2 - y1) ** 2)
    if d > r1 + r2 or d < abs(r1 - r2) or (d == 0 and r1 == r2):
        return None
    a = (r1 ** 2 - r2 ** 2 + d ** 2) / (2 * d)
    h = math.sqrt(max(r1 ** 2 - a ** 2, 0.0))
    x3 = x1 + a * (x2 - x1) / d
    y3 = y1 + a * (y2 - y1) / d
    return ((x3 + h * (y2 - y1) / d, y3 - h * (x2 - x1) / d),
            (x3 - h * (y2 - y1) / d, y3 + h * (x2 - x1) / d))


coord = st.floats(-50, 50, allow_nan=False)
small_coord = st.integers(-6, 6).map(float)
radius = st.floats(0.01, 30)


@settings(max_examples=200, deadline=None)
@given(coord, coord, radius, coord, coord, coord, coord)
def test_line_crossings_equal_the_formula_and_lie_on_both(cx, cy, r, x1, y1, x2, y2):
    assume(math.hypot(x2 - x1, y2 - y1) > 1e-3)
    c = Circle(Point(cx, cy), r)
    found = c.with_line_intersection(Line(Point(x1, y1), Point(x2, y2)))
    assert xys(found) == ref_line((cx, cy), r, (x1, y1), (x2, y2))
    points = [] if found is None else [found] if isinstance(found, Point) else list(found)
    length = math.hypot(x2 - x1, y2 - y1)
    for p in points:
        assert abs(math.hypot(p.x - cx, p.y - cy) - r) <= 1e-6 * max(1.0, r, length)
        area = (x2 - x1) * (p.y - y1) - (y2 - y1) * (p.x - x1)
        assert abs(area) / length <= 1e-6 * max(1.0, r, abs(cx), abs(cy), abs(x1), abs(y1))


@settings(max_examples=200, deadline=None)
@given(st.one_of(coord, small_coord), st.one_of(coord, small_coord), st.one_of(radius, small_coord.map(abs)),
       st.one_of(coord, small_coord), st.one_of(coord, small_coord), st.one_of(radius, small_coord.map(abs)))
def test_circle_crossings_equal_the_formula_and_lie_on_both(x1, y1, r1, x2, y2, r2):
    a, b = Circle(Point(x1, y1), r1), Circle(Point(x2, y2), r2)
    found = Circle.circle_intersection(a, b)
    assert xys(found) == ref_circles((x1, y1), r1, (x2, y2), r2)
    if found is not None:
        for p in found:
            for c in (a, b):
                assert abs(math.hypot(p.x - c.center.x, p.y - c.center.y) - c.radius) <= 1e-6 * max(1.0, r1, r2)


@settings(max_examples=150, deadline=None)
@given(coord, coord, radius, coord, coord, coord, coord)
def test_segment_crossings_are_the_line_crossings_inside_the_segment(cx, cy, r, x1, y1, x2, y2):
    assume(math.hypot(x2 - x1, y2 - y1) > 1e-3)
    c = Circle(Point(cx, cy), r)
    seg = Segment(Point(x1, y1), Point(x2, y2))
    line = ref_line((cx, cy), r, (x1, y1), (x2, y2), local=True)
    candidates = [] if line is None else [line] if isinstance(line[0], float) else list(line)
    eps = 1e-6
    # The bound is tested about the centre, where the crossings were found.
    (ax, ay), (bx, by) = (x1 - cx, y1 - cy), (x2 - cx, y2 - cy)
    kept = [(p[0] + cx, p[1] + cy) for p in candidates
            if min(ax, bx) - eps <= p[0] <= max(ax, bx) + eps and min(ay, by) - eps <= p[1] <= max(ay, by) + eps]
    found = c.with_segment_intersection(seg)
    if isinstance(line, tuple) and isinstance(line[0], tuple):
        expected = None if not kept else kept[0] if len(kept) == 1 else kept
    else:
        expected = kept[0] if kept else None
    assert xys(found) == expected


class SubSegment(Segment):
    """Answers through its own to_line and is_point_in_bound calls."""


class SubRay(Ray):
    """The same for rays."""


@settings(max_examples=200, deadline=None)
@given(st.one_of(coord, small_coord), st.one_of(coord, small_coord), st.one_of(radius, small_coord.map(abs)),
       st.one_of(coord, small_coord), st.one_of(coord, small_coord),
       st.one_of(coord, small_coord), st.one_of(coord, small_coord))
def test_segments_and_rays_read_directly_agree_with_their_own_methods(cx, cy, r, x1, y1, x2, y2):
    c = Circle(Point(cx, cy), r)

    def outcome(fn, *args):
        try:
            return ("ok", xys(fn(*args)))
        except Exception as exc:  # noqa: BLE001 - the exception type is the outcome
            return ("raises", type(exc), str(exc))

    def close(direct, asked):
        # Our own segments and rays are met about the centre, and a ray's
        # line there runs along its own direction: the points agree with
        # those found through to_line to a few units in the last place of
        # the coordinates.
        if direct[0] != "ok" or asked[0] != "ok":
            return direct == asked
        flat = lambda v: [] if v is None else [v] if isinstance(v[0], float) else list(v)  # noqa: E731
        p, q = flat(direct[1]), flat(asked[1])
        scale = max([1.0, abs(cx), abs(cy), r, abs(x1), abs(y1), abs(x2), abs(y2)])
        return type(direct[1]) is type(asked[1]) and len(p) == len(q) and all(
            abs(u - v) <= 1e-14 * scale for a, b in zip(p, q) for u, v in zip(a, b))
    a, b = Point(x1, y1), Point(x2, y2)
    assert close(outcome(c.with_segment_intersection, Segment(a, b)), outcome(c.with_segment_intersection, SubSegment(a, b)))
    d = Vector(x2, y2)
    if math.hypot(x2, y2) > 1e-9 * max(1.0, abs(x1), abs(y1)):  # else origin + direction has lost the direction
        assert close(outcome(c.with_ray_intersection, Ray(a, d)), outcome(c.with_ray_intersection, SubRay(a, d)))
