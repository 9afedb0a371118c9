"""Circle: construction, identity, measures, predicates and in-place changes."""

import math

import numpy as np
import pytest

from Bowlet import Circle, Line, Point, Vector
from common import Duck, assert_xy


# ------------------------------------------------------------ construction

def test_centre_and_radius_are_the_objects_given():
    p = Point(0, 0)
    c = Circle(p, 2)
    assert c.center is p
    assert c.radius == 2 and type(c.radius) is int


def test_a_third_argument_is_ignored_with_a_centre_and_radius():
    c = Circle(Point(0, 0), 2.5, Point(1, 1))
    assert c.radius == 2.5


@pytest.mark.parametrize("radius", [True, 2, 2.5, np.float64(1.5), 2 ** 70])
def test_any_int_or_float_radius_is_kept_as_given(radius):
    c = Circle(Point(0, 0), radius)
    assert c.radius is radius


@pytest.mark.parametrize("args", [
    (),
    ("P",),
    (2.0, "P"),
    ("P", "2"),
    ("P", "Q", None),
    ("P", np.int64(2)),
    (Duck(0, 0), 1),
    (None, None, None),
])
def test_inputs_that_fit_no_form_raise_the_generic_exception(args):
    # "P" and "Q" stand for points, built here rather than at collection.
    args = tuple(Point(0, 0) if a == "P" else Point(1, 1) if a == "Q" else a for a in args)
    with pytest.raises(Exception, match="^Check three circle inputs!$") as info:
        Circle(*args)
    assert type(info.value) is Exception


def test_keywords_name_the_three_inputs():
    c = Circle(input_a=Point(0, 0), input_b=Point(1, 1), input_c=Point(2, 0))
    assert_xy(c.center, 1.0, 0.0)
    assert c.radius == 1.0


@pytest.mark.parametrize("points, center, radius", [
    ([(0, 0), (1, 1), (2, 0)], (1.0, 0.0), 1.0),
    ([(0, 0), (0, 2), (2, 2)], (1.0, 1.0), 1.4142135623730951),
    ([(1, 0), (0.6, 0.8), (-1, 0)], None, 1.0),
])
def test_three_points_give_the_circle_through_them(points, center, radius):
    found_center, found_radius = Circle.find_circle(*(Point(*p) for p in points))
    assert type(found_center) is Point and type(found_radius) is float
    if center is not None:
        assert_xy(found_center, *center)
    assert found_radius == pytest.approx(radius, abs=1e-15)
    c = Circle(*(Point(*p) for p in points))
    assert c.radius == found_radius and c.center == found_center


def test_find_circle_works_through_an_instance_and_by_keyword():
    c = Circle(Point(0, 0), 1)
    center, radius = c.find_circle(input_a=Point(0, 0), input_b=Point(1, 1), input_c=Point(2, 0))
    assert_xy(center, 1.0, 0.0)
    assert radius == 1.0


@pytest.mark.parametrize("points", [
    [(0, 0), (0, 1), (0, 5)],
    [(0, 0), (1, 0), (5, 0)],
    [(0, 0), (1, 2), (2, 4)],
    [(0, 0), (0.0000005, 1), (0, 2)],  # both chords vertical within epsilon
])
def test_collinear_points_raise(points):
    with pytest.raises(Exception, match="^Three points collinear!$") as info:
        Circle(*(Point(*p) for p in points))
    assert type(info.value) is Exception


def test_nearly_collinear_points_give_a_far_centre():
    c = Circle(Point(0, 0), Point(1, 1e-9), Point(2, 0))
    assert c.radius > 1e8


# ------------------------------------------------------------ identity

@pytest.mark.parametrize("radius, text", [
    (2, "Circle (R:2,Point(0.0, 0.0))"),
    (2.0, "Circle (R:2.0,Point(0.0, 0.0))"),
    (1.23456, "Circle (R:1.23,Point(0.0, 0.0))"),
    (0.125, "Circle (R:0.12,Point(0.0, 0.0))"),
    (True, "Circle (R:1,Point(0.0, 0.0))"),
])
def test_text_form_rounds_the_radius_to_two_places(radius, text):
    assert repr(Circle(Point(0, 0), radius)) == text
    assert str(Circle(Point(0, 0), radius)) == text


def test_text_form_shows_the_centre():
    assert repr(Circle(Point(1, 2), 3.14159)) == "Circle (R:3.14,Point(1.0, 2.0))"


@pytest.mark.parametrize("r1, r2, equal", [(1.0, 1.005, True), (1.0, 1.02, False), (2, 2.0, True), (1.0, 1.01, False), (1.5, 1.5099, True)])
def test_radii_compare_within_a_hundredth(r1, r2, equal):
    assert (Circle(Point(0, 0), r1) == Circle(Point(0, 0), r2)) is equal
    assert (Circle(Point(0, 0), r1) != Circle(Point(0, 0), r2)) is (not equal)


@pytest.mark.parametrize("x, equal", [(0.000001, True), (0.000002, False)])
def test_centres_compare_within_epsilon(x, equal):
    assert (Circle(Point(0, 0), 1) == Circle(Point(x, 0), 1)) is equal


def test_equality_reads_radius_before_centre():
    class OnlyRadius:
        radius = 5
    assert (Circle(Point(0, 0), 1) == OnlyRadius()) is False
    with pytest.raises(AttributeError, match="'OnlyRadius' object has no attribute 'center'"):
        Circle(Point(0, 0), 5) == OnlyRadius()
    with pytest.raises(AttributeError, match="'NoneType' object has no attribute 'radius'"):
        Circle(Point(0, 0), 5) == None  # noqa: E711


def test_hash_is_that_of_centre_and_radius():
    c = Circle(Point(1, 2), 2)
    assert hash(c) == hash((c.center, 2)) == hash(Circle(Point(1, 2), 2.0))
    assert len({Circle(Point(0, 0), 2), Circle(Point(0, 0), 2.0)}) == 1


def test_iteration_unpacks_centre_then_radius_lazily():
    p = Point(0, 0)
    c = Circle(p, 3)
    center, radius = c
    assert center is p and radius == 3
    it = iter(c)
    assert next(it) is p
    c.radius = 7  # read when reached
    assert next(it) == 7
    with pytest.raises(StopIteration):
        next(it)
    assert len(list(c)) == 2


def test_attributes_can_be_replaced_by_anything():
    c = Circle(Point(0, 0), 1)
    q = Point(5, 5)
    c.center = q
    assert c.center is q and c.bound() == (4.0, 4.0, 6.0, 6.0)
    c.radius = None
    assert c.radius is None
    c.tag = "kept"
    assert c.tag == "kept"


# ------------------------------------------------------------ measures

def test_measures_of_an_int_radius():
    c = Circle(Point(0, 0), 1)
    assert c.area == math.pi
    assert c.circumference == 2 * math.pi
    assert c.diameter == 2 and type(c.diameter) is int


@pytest.mark.parametrize("name", ["area", "circumference", "diameter"])
def test_measures_are_read_only(name):
    c = Circle(Point(0, 0), 1)
    with pytest.raises(AttributeError, match="setter|can't set attribute"):
        setattr(c, name, 1.0)
    assert isinstance(vars(Circle)[name], property)


@pytest.mark.parametrize("radius, method, radians, expected", [
    (2, "get_arc_length", -math.pi / 2, -math.pi),
    (1, "get_sector_area", 2 * math.pi, math.pi),
    (1, "get_chord_length", math.pi, 2.0),
    (1, "get_chord_length", -math.pi, -2.0),
    (1, "get_chord_length", 3 * math.pi, -2.0),
    (3, "get_arc_length", 2, 6),
])
def test_signed_measures_follow_their_angle(radius, method, radians, expected):
    value = getattr(Circle(Point(0, 0), radius), method)(radians)
    assert value == pytest.approx(expected, abs=1e-15)
    assert type(value) is type(expected)


@pytest.mark.parametrize("center2, r2, intersect, overlap", [
    ((2, 0), 1, True, False),     # touching from outside
    ((0, 0), 3, True, True),      # concentric
    ((1, 0), 1, True, True),
    ((3, 0), 1, False, False),
])
def test_circle_tests_compare_centre_distance_with_the_radius_sum(center2, r2, intersect, overlap):
    c1, c2 = Circle(Point(0, 0), 1), Circle(Point(*center2), r2)
    assert c1.is_circle_intersect(c2) is intersect
    assert c1.is_overlapping(other_circle=c2) is overlap


def test_a_touching_line_intersects():
    c = Circle(Point(0, 0), 1)
    assert c.is_line_intersect(Line(Point(-1, 1), Point(1, 1))) is True
    assert c.is_line_intersect(Line(Point(-1, 1.5), Point(1, 1.5))) is False


@pytest.mark.parametrize("point, code", [
    ((1.0005, 0), 2), ((1.002, 0), 0), ((0.998, 0), 1), ((0, 0), 1), ((0, 1), 2), ((5, 5), 0),
])
def test_contains_gives_a_position_code(point, code):
    assert Circle(Point(0, 0), 1).contains(Point(*point)) == code


def test_contains_answers_none_for_nan():
    assert Circle(Point(0, 0), 1).contains(Point(math.nan, 0)) is None
    assert Circle(Point(0, 0), math.nan).contains(Point(0, 0)) is None


# ------------------------------------------------- in-place changes

def test_transformations_replace_the_centre_and_leave_the_callers_point_alone():
    p = Point(0, 0)
    c = Circle(p, 1)
    assert c.move(Vector(1, 2)) is None
    assert_xy(c.center, 1.0, 2.0)
    assert_xy(p, 0.0, 0.0)
    c.set_center(3, 4)
    assert_xy(c.center, 3.0, 4.0)
    with pytest.raises(TypeError, match="must be real number, not str"):
        c.set_center("1", 2)


def test_rotate_turns_the_centre_about_an_axis():
    c = Circle(Point(1, 0), 1)
    c.rotate(axis_center=Point(0, 0), radians=math.pi / 2)
    assert c.center == Point(0, 1)
    assert abs(c.center.x) < 1e-15


def test_scale_and_offset_keep_integer_arithmetic():
    c = Circle(Point(0, 0), 1)
    c.scale(2)
    c.offset(-3)
    assert c.radius == -1 and type(c.radius) is int
    assert c.bound() == (1.0, 1.0, -1.0, -1.0)  # minima above maxima, unchecked


def test_set_radius_stores_any_object():
    c = Circle(Point(0, 0), 1)
    c.set_radius("big")
    assert c.radius == "big"
    with pytest.raises(TypeError, match=r"unsupported operand type\(s\) for \*\* or pow\(\): 'str' and 'int'"):
        c.area


def test_bound_of_a_circle():
    assert Circle(Point(1, 2), 0.5).bound() == (0.5, 1.5, 1.5, 2.5)
    assert Circle(Point(1, 2), 1).bound() == (0.0, 1.0, 2.0, 3.0)


def test_a_chord_horizontal_up_to_rounding_still_gives_the_circle_through_the_points():
    # 0.1 + 0.2 is not 0.3: the first chord's slope is -5.6e-17, not 0, and
    # its bisector (slope 1.8e16) cannot carry the centre's y.
    points = [Point(0, 0.1 + 0.2), Point(1, 0.3), Point(0.5, 1)]
    center, radius = Circle.find_circle(*points)
    for p in points:
        assert math.dist((center.x, center.y), (p.x, p.y)) == pytest.approx(radius, rel=1e-12)
    assert center == Point(0.5, 0.4714285714285714)
