"""Vector's static geometry: products, cos/sin/angle, unit conversion,
projection and mirror, line intersection, orientation, polar angles and the
collinearity test."""

import math
import random
from fractions import Fraction

import numpy as np
import pytest
from hypothesis import given, settings
from hypothesis import strategies as st

import Flatkin
from Flatkin import Point, Vector

import common
import pyref_network
from common import Duck, DuckVector, assert_xy, outcome, same_float, same_outcome

NAN, INF, PI = float("nan"), float("inf"), math.pi


# ------------------------------------------------------------- products

def test_vector_from_points_points_from_the_first_to_the_second():
    assert_xy(Vector.vector_from_points(Point(1, 1), Point(4, 5)), 3, 4, Vector)
    assert_xy(Vector.vector_from_points(Point(4, 5), Point(1, 1)), -3, -4, Vector)
    assert_xy(Vector.vector_from_points(Vector(1, 1), Duck(2, 2)), 1, 1, Vector)


@pytest.mark.parametrize("u, v, dot, cross", [
    (Vector(1, 0), Vector(0, 1), 0.0, 1.0),
    (Vector(0, 1), Vector(1, 0), 0.0, -1.0),
    (Vector(1, 2), Vector(3, 4), 11.0, -2.0),
    (Point(1, 2), Duck(2, 4), 10.0, 0.0),
])
def test_dot_and_cross_products(u, v, dot, cross):
    assert Vector.dot_product(u, v) == dot and type(Vector.dot_product(u, v)) is float
    assert Vector.cross_product(u, v) == cross and type(Vector.cross_product(u, v)) is float


# ------------------------------------------------------ cos, sin and angle

@pytest.mark.parametrize("u, v, cos, sin", [
    (Vector(1, 0), Vector(2, 0), 1.0, 0.0),
    (Vector(1, 0), Vector(0, 3), 0.0, 1.0),
    (Vector(0.1, 0.7), Vector(0.1, 0.7), 1, 0.0),        # a quotient just above 1 clamps to the int 1
    (Vector(0.7, -0.1), Vector(-0.1, -0.7), 0.0, -1),     # and just below -1 to the int -1
    (Vector(-0.5, 0.9), Vector(0.5, -0.9), -1, 0.0),
])
def test_cos_and_sin_clamp_to_the_integers_one_and_minus_one(u, v, cos, sin):
    c, s = Vector.cos(u, v), Vector.sin(u, v)
    assert type(c) is type(cos) and c == cos
    assert type(s) is type(sin) and s == sin


@pytest.mark.parametrize("short", [Vector(0, 0), Vector(1e-6, 0), Vector(0, -1e-6), Vector(7e-7, 7e-7)])
def test_cos_sin_and_angle_of_a_vector_no_longer_than_epsilon_are_none(short):
    for op in (Vector.cos, Vector.sin, Vector.angle):
        assert op(short, Vector(1, 1)) is None
        assert op(Vector(1, 1), short) is None


def test_a_vector_just_longer_than_epsilon_has_an_angle():
    assert Vector.cos(Vector(2e-6, 0), Vector(1, 0)) == 1.0
    assert Vector.angle(Vector(2e-6, 0), Vector(0, 1)) == PI / 2


def test_cos_passes_nan_through():
    assert math.isnan(Vector.cos(Vector(NAN, 0), Vector(1, 0)))
    assert math.isnan(Vector.angle(Vector(NAN, 0), Vector(1, 0)))


def test_cos_reads_the_magnitude_of_what_it_is_given():
    stored = Duck(1, 0)
    stored.magnitude = 2.0
    assert Vector.cos(stored, Vector(1, 0)) == 0.5
    with pytest.raises(AttributeError):
        Vector.cos(Point(1, 0), Vector(1, 0))
    with pytest.raises(AttributeError):
        Vector.angle(Vector(1, 0), Point(0, 1))


M_DEFAULT = {}
M_UNSIGNED = dict(polar=False)
M_COMPARE = dict(compare=True)


@pytest.mark.parametrize("u, v, mode, expected", [
    (Vector(1, 0), Vector(0, 1), M_DEFAULT, PI / 2),
    (Vector(1, 0), Vector(0, 1), M_UNSIGNED, PI / 2),
    (Vector(1, 0), Vector(0, 1), M_COMPARE, PI / 2),
    (Vector(1, 0), Vector(0, -1), M_DEFAULT, 4.71238898038469),
    (Vector(1, 0), Vector(0, -1), M_UNSIGNED, PI / 2),
    (Vector(1, 0), Vector(0, -1), M_COMPARE, 1 / (PI / 2 - 2 * PI)),
    (Vector(1, 0), Vector(-1, 0), M_DEFAULT, PI),
    (Vector(1, 0), Vector(-1, 0), M_UNSIGNED, PI),
    (Vector(1, 0), Vector(-1, 0), M_COMPARE, PI),
    (Vector(1, 0), Vector(2, 0), M_DEFAULT, 0.0),
    (Vector(1, 1e-17), Vector(1, 0), M_DEFAULT, 2 * PI),
    (Vector(1, 1e-17), Vector(1, 0), M_COMPARE, 1 / (0.0 - 2 * PI)),
    (Vector(1, 0), Vector(1, 1e-17), M_DEFAULT, 0.0),
    (Vector(1, 0), Vector(1, 1e-17), M_COMPARE, 0.0),
    # polar and compare are tested by identity with False and True
    (Vector(1, 0), Vector(0, -1), dict(polar=0), 4.71238898038469),
    (Vector(1, 0), Vector(0, -1), dict(polar=None), 4.71238898038469),
    (Vector(1, 0), Vector(0, -1), dict(polar=np.False_), 4.71238898038469),
    (Vector(1, 0), Vector(0, -1), dict(compare=1), 4.71238898038469),
    (Vector(1, 0), Vector(0, -1), dict(compare=np.True_), 4.71238898038469),
    (Vector(1, 0), Vector(0, -1), dict(polar=False, compare=True), PI / 2),
])
def test_angle_in_its_three_modes(u, v, mode, expected):
    a = Vector.angle(u, v, **mode)
    assert isinstance(a, float) and a == expected


def test_angle_takes_its_modes_by_position():
    assert Vector.angle(Vector(1, 0), Vector(0, -1), True, True) == 1 / (PI / 2 - 2 * PI)
    assert Vector.angle(Vector(1, 0), Vector(0, -1), False) == PI / 2


vector_coordinate = st.one_of(
    st.floats(-10, 10), st.sampled_from([0.0, -0.0, 1e-6, -1e-6, 7e-7, 1e-17, 1.0, NAN, INF]),
    st.floats(-1e100, 1e100))


def matches_either(got, *candidates):
    return any(same_outcome(got, c) for c in candidates)


@given(st.tuples(vector_coordinate, vector_coordinate), st.tuples(vector_coordinate, vector_coordinate),
       st.sampled_from([True, False, 0, None]), st.sampled_from([False, True, 1]))
@settings(max_examples=300, deadline=None)
def test_cos_sin_and_angle_match_the_plain_formulas(a, b, polar, compare):
    u, v = Vector(*a), Vector(*b)
    du, dv = DuckVector(*a), DuckVector(*b)
    for ours, plain in ((Vector.cos, common.ref_cos), (Vector.sin, common.ref_sin)):
        expected = outcome(plain, du, dv)
        assert same_outcome(outcome(ours, u, v), expected)
        assert same_outcome(outcome(ours, du, dv), expected)
    for left, right in ((u, v), (du, dv)):
        got = outcome(Vector.angle, left, right, polar, compare)
        assert matches_either(got, outcome(common.ref_angle, du, dv, polar, compare),
                              outcome(common.ref_angle, du, dv, polar, compare, arccos=math.acos))


# ------------------------------------------------------------ unit conversion

@pytest.mark.parametrize("radian, degree", [(1, 57.3), (PI / 3, 60.0), (PI, 180.0), (0, 0.0),
                                            (-1, -57.3), (True, 57.3)])
def test_radian_to_degree_rounds_to_two_places(radian, degree):
    r = Vector.radian_to_degree(radian)
    assert type(r) is float and r == degree


@pytest.mark.parametrize("degree, radian", [(180, PI), (90, 1.5707963267948966), (0, 0.0), (1, PI / 180)])
def test_degree_to_radian_is_not_rounded(degree, radian):
    r = Vector.degree_to_radian(degree)
    assert type(r) is float and r == radian


@given(st.floats(-1e12, 1e12))
@settings(max_examples=300, deadline=None)
def test_unit_conversions_match_the_plain_formulas(x):
    assert Vector.radian_to_degree(x) == round(x * 180.0 / np.pi, 2)
    assert same_float(Vector.degree_to_radian(x), x * np.pi / 180)


def test_unit_conversion_of_infinities_and_nan():
    assert Vector.radian_to_degree(INF) == INF
    assert math.isnan(Vector.radian_to_degree(NAN))
    assert Vector.degree_to_radian(-INF) == -INF


# -------------------------------------------------- projection and mirror

PROJECTIONS = [Vector.projection_point, Vector.projection_distance, Vector.projection_length,
               Vector.projection_vector, Vector.mirror]


@pytest.mark.parametrize("a, b, c, foot, distance, length, vector, mirror", [
    ((0, 0), (2, 0), (1, 5), (1, 0), 5.0, 1.0, (1, 0), (1, -5)),
    ((0, 0), (2, 0), (-3, 4), (-3, 0), 4.0, 3.0, (-3, 0), (-3, -4)),   # foot behind a
    ((0, 0), (2, 0), (7, 1), (7, 0), 1.0, 7.0, (7, 0), (7, -1)),       # foot beyond b
    ((0, 0), (0, 4), (3, 1), (0, 1), 3.0, 1.0, (0, 1), (-3, 1)),       # vertical line
    ((0, 0), (2, 0), (1, 0), (1, 0), 0.0, 1.0, (1, 0), (1, 0)),        # c on the line
])
def test_projection_and_mirror_on_a_line(a, b, c, foot, distance, length, vector, mirror):
    a, b, c = Point(*a), Point(*b), Point(*c)
    assert_xy(Vector.projection_point(a, b, c), *foot, cls=Point)
    d = Vector.projection_distance(a, b, c)
    assert type(d) is float and d == distance
    assert Vector.projection_length(a, b, c) == length
    assert_xy(Vector.projection_vector(a, b, c), *vector, cls=Vector)
    assert_xy(Vector.mirror(a, b, c), *mirror, cls=Point)


def test_a_short_line_is_not_normalised():
    a, b, c = Point(0, 0), Point(1e-7, 0), Point(5, 5)
    assert common.approx_xy(Vector.projection_point(a, b, c), 5e-7, 0, tol=1e-20)
    assert common.approx_xy(Vector.mirror(a, b, c), -4.999999, -5, tol=1e-12)


@pytest.mark.parametrize("operation", PROJECTIONS)
def test_projection_on_a_line_through_one_point_raises_zero_division_error(operation):
    with pytest.raises(ZeroDivisionError):
        operation(Point(1, 1), Point(1, 1), Point(3, 3))
    with pytest.raises(ZeroDivisionError):
        operation(a=Duck(0.0, 0.0), b=Point(-0.0, 0), c=Point(3, 3))


@pytest.mark.parametrize("operation", PROJECTIONS)
def test_projection_needs_coordinates(operation):
    with pytest.raises(AttributeError):
        operation(Point(0, 0), Point(1, 0), None)
    with pytest.raises(AttributeError):
        operation(None, Point(1, 0), Point(0, 0))


point_coordinate = st.one_of(
    st.floats(-100, 100), st.sampled_from([0.0, -0.0, 1e-7, 1e-6, 5e-7, 1.0, NAN, INF, 1e200]),
    st.floats(-1e6, 1e6))
points3 = st.tuples(*[st.tuples(point_coordinate, point_coordinate)] * 3)


def plain_projection(name, a, b, c):
    ox, oy = common.ref_projection_foot(a, b, c)
    if name == "projection_point":
        return Point(ox, oy)
    if name == "projection_distance":
        return common.ref_distance(c, Duck(ox, oy))
    if name == "projection_length":
        return common.ref_distance(a, Duck(ox, oy))
    if name == "projection_vector":
        return Vector(ox - a.x, oy - a.y)
    return Point(2 * ox - c.x, 2 * oy - c.y)


@pytest.mark.parametrize("operation", PROJECTIONS, ids=lambda f: f.__name__)
@given(pts=points3)
@settings(max_examples=150, deadline=None)
def test_projections_match_the_plain_formulas_on_both_paths(operation, pts):
    a, b, c = (Point(*p) for p in pts)
    expected = outcome(plain_projection, operation.__name__, a, b, c)
    assert same_outcome(outcome(operation, a, b, c), expected)
    assert same_outcome(outcome(operation, *(Duck(*p) for p in pts)), expected)


# ------------------------------------------------------------ intersection

@pytest.mark.parametrize("a, b, c, d, expected", [
    ((0, 0), (1, 1), (0, 1), (1, 0), (0.5, 0.5)),
    ((2, 0), (2, 5), (0, 0), (4, 2), (2.0, 1.0)),          # line one vertical
    ((0, 0), (4, 2), (2, 0), (2, 5), (2.0, 1.0)),          # line two vertical
    ((0, 0), (1, 0), (5, -1), (5, 1), (5.0, 0.0)),         # beyond the given points
    ((1e-6, 5), (0, 0), (-1, 1), (1, 1), (1e-06, 1.0)),    # near vertical keeps its first x
    ((0, 0), (1, 1), (0, 1), (1, 2), None),                # parallel
    ((0, 0), (1, 1), (2, 2), (3, 3), None),                # the same line
    ((0, 0), (0, 1), (3, 0), (3, 1), None),                # two vertical lines
    ((0, 0), (0, 1), (0, 5), (1e-7, 9), None),             # both vertical within epsilon
])
def test_intersection_of_two_infinite_lines(a, b, c, d, expected):
    r = Vector.intersection(Point(*a), Point(*b), Point(*c), Point(*d))
    if expected is None:
        assert r is None
    else:
        assert_xy(r, *expected, cls=Point)


@given(pts=st.tuples(*[st.tuples(point_coordinate, point_coordinate)] * 4), eps=st.sampled_from([1e-6, 0.0, 0.1]))
@settings(max_examples=300, deadline=None)
def test_intersection_matches_the_plain_formula_on_both_paths(pts, eps):
    old = Flatkin.epsilon
    Flatkin.epsilon = eps
    try:
        expected = outcome(common.ref_intersection, *(Duck(*p) for p in pts))
        for args in ([Point(*p) for p in pts], [Duck(*p) for p in pts]):
            got = outcome(Vector.intersection, *args)
            if got[0] == "ok" and got[1] is not None:
                assert type(got[1]) is Point
                got = ("ok", (got[1].x, got[1].y))
            assert same_outcome(got, expected)
    finally:
        Flatkin.epsilon = old


# ------------------------------------------------------------- orientation

@pytest.mark.parametrize("c, code", [((0, 1), 0), ((0, -1), 1), ((5, 0), 2), ((0.5, 1e-12), 0),
                                     ((-3, -1e-300), 1), ((-3, 0), 2)])
def test_relative_position_codes(c, code):
    r = Vector.relative_position(Point(0, 0), Point(1, 0), Point(*c))
    assert type(r) is int and r == code


@pytest.mark.parametrize("pts, area", [
    (((0, 0), (1, 0), (0, 1)), 0.5),
    (((0, 0), (0, 1), (1, 0)), -0.5),
    (((0, 0), (1, 1), (2, 2)), 0.0),
])
def test_area_of_triangle_is_signed(pts, area):
    r = Vector.area_of_triangle(*(Point(*p) for p in pts))
    assert type(r) is float and r == area


@pytest.mark.parametrize("pts, clockwise, counter", [
    (((0, 0), (0, 1), (1, 0)), True, False),
    (((0, 0), (1, 0), (0, 1)), False, True),
    (((0, 0), (1, 1), (2, 2)), False, False),
    (((0, 0), (1, 1), (0, 0)), False, False),
])
def test_turn_tests(pts, clockwise, counter):
    p = [Point(*q) for q in pts]
    assert Vector.is_clockwise(*p) is clockwise
    assert Vector.is_counter_clockwise(*p) is counter


@given(st.tuples(*[st.tuples(point_coordinate, point_coordinate)] * 3))
@settings(max_examples=300, deadline=None)
def test_orientation_matches_the_plain_formulas_on_both_paths(pts):
    d = [Duck(*p) for p in pts]
    area = common.ref_area(*d)
    k = common.ref_cross(Duck(d[1].x - d[0].x, d[1].y - d[0].y), Duck(d[2].x - d[1].x, d[2].y - d[1].y))
    kr = common.ref_cross(Duck(d[1].x - d[0].x, d[1].y - d[0].y), Duck(d[2].x - d[0].x, d[2].y - d[0].y))
    code = 0 if kr > 0 else 1 if kr < 0 else 2
    for args in ([Point(*p) for p in pts], d):
        assert same_float(Vector.area_of_triangle(*args), area)
        assert Vector.is_clockwise(*args) is (k < 0)
        assert Vector.is_counter_clockwise(*args) is (k > 0)
        assert Vector.relative_position(*args) == code


# ---------------------------------------------------------- polar angles

@pytest.mark.parametrize("p, angle", [((1, 0), 0.0), ((0, 1), PI / 2), ((-1, 0), PI), ((0, -1), 3 * PI / 2),
                                      ((1, -1e-9), 2 * PI), ((3, 3), PI / 4)])
def test_polar_angle_about_the_origin(p, angle):
    assert Vector.polar_angle(Point(*p)) == angle
    assert Vector.polar_angle(Point(*p), None) == angle
    assert Vector.polar_angle(point=Point(*p), reference_point=Point.zero()) == angle


def test_polar_angle_about_a_reference_point():
    assert Vector.polar_angle(Point(5, 6), Point(5, 5)) == PI / 2
    assert Vector.polar_angle(Duck(4, 5), Duck(5, 5)) == PI


@pytest.mark.parametrize("p", [(0, 0), (1e-6, 0), (-5e-7, 5e-7)])
def test_polar_angle_of_the_reference_point_is_none(p):
    assert Vector.polar_angle(Point(*p)) is None
    assert Vector.polar_angle(Point(p[0] / 2 + 2, p[1] / 2 + 2), Point(2, 2)) is None


def test_sort_by_polar_angle_is_counter_clockwise_from_the_x_axis():
    a, b, c = Point(0, -1), Point(1, 1), Point(-1, 0)
    r = Vector.sort_points_by_polar_angle([a, b, c])
    assert [id(p) for p in r] == [id(b), id(c), id(a)]


def test_sort_by_polar_angle_is_stable_and_new():
    a, b = Point(2, 2), Point(1, 1)
    pts = [a, b]
    r = Vector.sort_points_by_polar_angle(pts)
    assert r is not pts and r[0] is a and r[1] is b
    assert Vector.sort_points_by_polar_angle([]) == []
    assert Vector.sort_points_by_polar_angle(iter([b, a]))[0] is b


def test_sort_about_a_reference_point():
    ref = Point(1, 1)
    pts = [Point(1, 0), Point(2, 1), Point(1, 2)]
    r = Vector.sort_points_by_polar_angle(pts, ref)
    assert [id(p) for p in r] == [id(pts[1]), id(pts[2]), id(pts[0])]
    r = Vector.sort_points_by_polar_angle(points=pts, reference_point=ref)
    assert [id(p) for p in r] == [id(pts[1]), id(pts[2]), id(pts[0])]


def test_sort_with_the_reference_point_in_the_list_raises_type_error():
    with pytest.raises(TypeError):
        Vector.sort_points_by_polar_angle([Point(0, 0), Point(1, 1)])
    with pytest.raises(TypeError):
        Vector.sort_points_by_polar_angle([Point(1, 1), Point(2, 2), Point(5e-7, 0)])
    only = Point(0, 0)
    assert Vector.sort_points_by_polar_angle([only])[0] is only


@given(st.lists(st.tuples(point_coordinate, point_coordinate), max_size=12))
@settings(max_examples=200, deadline=None)
def test_polar_angle_and_sort_match_the_plain_formulas(coords):
    pts = [Point(*c) for c in coords]
    for p in pts:
        got = outcome(Vector.polar_angle, p)
        assert matches_either(got, outcome(common.ref_polar_angle, p),
                              outcome(common.ref_polar_angle, p, arccos=math.acos))
    expected = outcome(sorted, pts, key=common.ref_polar_angle)
    got = outcome(Vector.sort_points_by_polar_angle, pts)
    ducks = [Duck(*c) for c in coords]
    by_duck = outcome(Vector.sort_points_by_polar_angle, ducks)
    if expected[0] == "ok":
        assert same_outcome(got, expected, (pts,), (pts,))
        assert same_outcome(by_duck, expected, (ducks,), (pts,))
    else:
        assert got == expected and by_duck == expected


# ------------------------------------------------------------- collinearity

@pytest.mark.parametrize("pts, linear", [
    ([], True),
    ([(0, 0)], True),
    ([(0, 0), (5, 1)], True),
    ([(0, 0), (1, 0), (2, 0)], True),
    ([(0, 0), (1, 0), (2, 0), (3, 0)], True),
    ([(0, 0), (1, 1), (2, 2), (-4, -4)], True),
    ([(0, 0), (1, 0), (0, 1)], False),                     # a triangle is not linear
    ([(0, 0), (1, 0), (1, 1), (0, 1)], False),             # nor is a square
    ([(0, 0), (1, 0), (2, 0), (2, 1)], False),
    ([(0, 0), (1, 0), (2, 1e-300), (3, 0)], False),        # exactly zero areas only
    ([(0, 0), (1, 0), (NAN, 0)], False),
])
def test_is_linear_requires_every_consecutive_triple_to_have_zero_area(pts, linear):
    points = [Point(*p) for p in pts]
    assert Vector.is_linear(points) is linear
    assert Vector.is_linear(tuple(Duck(*p) for p in pts)) is linear


def test_is_linear_needs_a_sequence():
    with pytest.raises(TypeError):
        Vector.is_linear(iter([Point(0, 0)] * 4))
    with pytest.raises(TypeError):
        Vector.is_linear(points=[])


@given(st.lists(st.tuples(st.integers(-3, 3).map(float), st.integers(-3, 3).map(float)), max_size=8),
       st.lists(st.tuples(point_coordinate, point_coordinate), max_size=6))
@settings(max_examples=300, deadline=None)
def test_is_linear_matches_the_plain_loop(lattice, coords):
    for cs in (lattice, coords, [(x, 2 * x) for x, _ in lattice]):
        pts = [Point(*c) for c in cs]
        assert Vector.is_linear(pts) is common.ref_is_linear(pts)
        assert Vector.is_linear([Duck(*c) for c in cs]) is common.ref_is_linear(pts)


# --------------------------------------------------------- both paths agree

STATIC_TWO = [Vector.vector_from_points, Vector.dot_product, Vector.cross_product, Point.calculate_slope,
              Point.is_equal, Point.is_greater, Point.is_less, Point.distance_to_point, Point.__eq__,
              Point.__add__, Point.__sub__, Point.move, Vector.__eq__, Vector.__add__, Vector.__sub__,
              Vector.is_equal, Vector.polar_angle]


@pytest.mark.parametrize("operation", STATIC_TWO, ids=lambda f: f.__qualname__)
@given(st.tuples(point_coordinate, point_coordinate), st.tuples(point_coordinate, point_coordinate))
@settings(max_examples=100, deadline=None)
def test_two_point_operations_give_the_same_on_points_and_plain_objects(operation, a, b):
    fast = outcome(operation, Point(*a), Vector(*b))
    slow = outcome(operation, Duck(*a), Duck(*b))
    assert same_outcome(fast, slow)


ONE_POINT = [Point.copy, Vector.copy, Vector.reverse, Point.__repr__, Vector.__repr__,
             lambda p: Point.rotate(p, 0.5, Duck(1.0, 2.0)), lambda p: Point.tween(p, Duck(1.0, 2.0), 0.3),
             lambda p: Vector.__mul__(p, 3), lambda p: Vector.__truediv__(p, 3), lambda p: Vector.rotate(p, 0.5),
             lambda p: Point.__round__(p, 3)]


@pytest.mark.parametrize("operation", ONE_POINT, ids=range(len(ONE_POINT)))
@given(st.tuples(point_coordinate, point_coordinate))
@settings(max_examples=100, deadline=None)
def test_receiver_operations_give_the_same_on_points_and_plain_objects(operation, a):
    fast = outcome(operation, Point(*a))
    slow = outcome(operation, Duck(*a))
    assert same_outcome(fast, slow)


# ---------------------------------------------------- crossing accuracy

def line_through(rng, p):
    """Two float points of a random line through about p: half of the lines
    steep, |dx| just above epsilon and slopes up to about 1e10."""
    if rng.random() < 0.5:
        dx = rng.choice([-1, 1]) * 1e-6 * (1 + 10 ** rng.uniform(-3, 3))
        dy = rng.choice([-1, 1]) * 10 ** rng.uniform(-2, 4)
    else:
        turn, length = rng.uniform(0, PI), 10 ** rng.uniform(-2, 4)
        dx, dy = length * math.cos(turn), length * math.sin(turn)
    k = rng.uniform(-3, 3)
    a = Point(p[0] + k * dx, p[1] + k * dy)
    b = Point(a.x + dx, a.y + dy)
    return (a, b) if rng.random() < 0.5 else (b, a)


def exact_crossing(a, b, c, d):
    (ax, ay), (bx, by), (cx, cy), (dx, dy) = ((Fraction(p.x), Fraction(p.y)) for p in (a, b, c, d))
    t = ((cx - ax) * (dy - cy) - (cy - ay) * (dx - cx)) / ((bx - ax) * (dy - cy) - (by - ay) * (dx - cx))
    return ax + t * (bx - ax), ay + t * (by - ay)


def test_crossings_of_lines_at_any_slope_are_within_a_billionth_of_the_exact_one():
    rng = random.Random("crossings")
    checked = 0
    for _ in range(4000):
        size = 10 ** rng.uniform(-3, 5)
        (a, b), (c, d) = (line_through(rng, (rng.uniform(-size, size), rng.uniform(-size, size))) for _ in range(2))
        got = Vector.intersection(a, b, c, d)
        ref = pyref_network.line_intersection(*(pyref_network.Point(p.x, p.y) for p in (a, b, c, d)))
        assert (got is None) == (ref is None)
        assert got is None or (same_float(got.x, ref.x) and same_float(got.y, ref.y))
        u, v = (b.x - a.x, b.y - a.y), (d.x - c.x, d.y - c.y)
        angle = math.atan2(abs(u[0] * v[1] - u[1] * v[0]), abs(u[0] * v[0] + u[1] * v[1]))
        if abs(u[0]) <= 1e-6 or abs(v[0]) <= 1e-6 or angle <= 1e-6:
            continue  # a vertical line, or lines too near parallel to promise anything
        checked += 1
        s1, s2 = u[1] / u[0], v[1] / v[0]
        if abs(s1) <= abs(s2):  # the flatter line is line one: the plain slope form, bit for bit
            i1, i2 = a.y - s1 * a.x, c.y - s2 * c.x
            x = (i2 - i1) / (s1 - s2)
            assert same_float(got.x, x) and same_float(got.y, s1 * x + i1)
        x, y = exact_crossing(a, b, c, d)
        tol = 1e-9 * (1 + max(abs(q) for p in (a, b, c, d) for q in (p.x, p.y)))
        assert abs(got.x - x) <= tol and abs(got.y - y) <= tol, (a, b, c, d, got, float(x), float(y))
    assert checked > 3000
