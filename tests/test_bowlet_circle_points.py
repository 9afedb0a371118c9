"""Circle: points at angles and parameters, nearest points, angles of points,
tangents and normals."""

import math

import pytest
from hypothesis import given, settings, strategies as st

from Bowlet import Circle, Point, Segment, Vector
from common import Duck, assert_xy


@pytest.fixture
def unit():
    return Circle(Point(0, 0), 1)


@pytest.fixture
def two():
    return Circle(Point(0, 0), 2)


# ------------------------------------------------------- points at angles

def test_point_at_radians_turns_the_radius_counter_clockwise(two):
    assert_xy(two.point_at_radians(0), 2.0, 0.0)
    assert_xy(two.point_at_radians(math.pi / 2), 2 * math.cos(math.pi / 2), 2.0)
    assert two.point_at_radians(-math.pi / 2) == Point(0, -2)
    assert two.point_at_radians(radians=math.pi) == Point(-2, 0)


def test_point_at_parameter_is_a_fraction_of_a_turn(two):
    assert two.point_at_parameter(0.75) == Point(0, -2)
    assert two.point_at_parameter(1) == two.point_at_parameter(0)
    assert two.point_at_parameter(1.25) == two.point_at_parameter(0.25) == Point(0, 2)
    assert two.point_at_parameter(-0.25) == Point(0, -2)


def test_point_at_parameter_goes_through_the_instance():
    class Shifted(Circle):
        def point_at_radians(self, radians=None):
            return Point(radians, -1)
    c = Shifted(Point(0, 0), 1)
    assert_xy(c.point_at_parameter(0.5), math.pi, -1.0)


def test_point_with_a_negative_radius_lies_opposite():
    assert Circle(Point(0, 0), -1).point_at_radians(0) == Point(-1, 0)


def test_missing_angle_and_point_fail_at_first_use(unit):
    with pytest.raises(TypeError, match="NoneType"):
        unit.point_at_radians()
    with pytest.raises(TypeError, match=r"unsupported operand type\(s\) for \*: 'float' and 'NoneType'"):
        unit.point_at_parameter()
    for name in ("closest_point", "is_point_on_circle", "evaluate_point_radians",
                 "evaluate_point_parameter", "tangent", "perpendicular"):
        with pytest.raises(AttributeError, match="'NoneType' object has no attribute 'x'"):
            getattr(unit, name)()


# ------------------------------------------------------- nearest points

@pytest.mark.parametrize("point", [(4, 0), (1, 0), (0.0000001, 0), (2, 0)])
def test_closest_point_projects_along_the_ray_from_the_centre(two, point):
    assert_xy(two.closest_point(Point(*point)), 2.0, 0.0)


def test_closest_point_to_the_centre_raises(two):
    with pytest.raises(Exception, match="^Given point is on center!$") as info:
        two.closest_point(Point(0, 0))
    assert type(info.value) is Exception


def test_closest_point_reads_any_object_with_x_and_y(two):
    assert_xy(two.closest_point(Duck(0, 5)), 0.0, 2.0)


# ------------------------------------------------------- on the circle

@pytest.mark.parametrize("radius, point, on", [
    (10, (10.01, 0), True), (10, (10.02, 0), False), (10, (9.99, 0), True),
    (1, (1.0005, 0), True), (1, (1.002, 0), False),
    (0, (0, 0), True), (0, (1e-100, 0), False), (-1, (1, 0), False),
])
def test_on_circle_has_a_relative_tolerance_only(radius, point, on):
    assert Circle(Point(0, 0), radius).is_point_on_circle(Point(*point)) is on


# ------------------------------------------------------- angles of points

@pytest.mark.parametrize("point, radians", [
    ((1, 0), 0.0), ((0, 1), math.pi / 2), ((-1, 0), math.pi), ((0, -1), 4.71238898038469), ((1.0005, 0), 0.0),
])
def test_angle_of_a_point_runs_counter_clockwise_from_zero(unit, point, radians):
    assert unit.evaluate_point_radians(Point(*point)) == radians


def test_parameter_of_a_point_is_its_angle_over_a_turn(unit):
    assert unit.evaluate_point_parameter(Point(0, -1)) == 0.75


def test_angle_of_a_point_off_the_circle_raises(unit):
    for method in (unit.evaluate_point_radians, unit.evaluate_point_parameter, unit.tangent, unit.perpendicular):
        with pytest.raises(Exception, match="^Given point is not on the circle!$") as info:
            method(Point(2, 0))
        assert type(info.value) is Exception


def test_a_circle_of_radius_zero_has_no_angles():
    z = Circle(Point(0, 0), 0)
    assert z.evaluate_point_radians(Point(0, 0)) is None
    with pytest.raises(TypeError, match=r"unsupported operand type\(s\) for /: 'NoneType' and 'float'"):
        z.evaluate_point_parameter(Point(0, 0))


# ------------------------------------------------------- tangents and normals

@pytest.mark.parametrize("point, end", [
    ((0, 1), (-1.0, 1.0)), ((0, -1), (1.0, -1.0)), ((1, 0), (1.0, 1.0)), ((-1, 0), (-1.0, -1.0)),
])
def test_tangent_is_a_unit_segment_counter_clockwise(unit, point, end):
    p = Point(*point)
    s = unit.tangent(p)
    assert type(s) is Segment
    assert s.start is p
    assert s.end == Point(*end)


def test_tangent_and_normal_of_a_circle_of_radius_zero():
    z = Circle(Point(0, 0), 0)
    s = z.tangent(Point(0, 0))
    assert_xy(s.end, 1.0, 0.0)
    assert_xy(z.perpendicular(Point(0, 0)), 0.0, 0.0, Vector)


def test_normal_points_outwards(two):
    assert_xy(two.perpendicular(Point(0, 2)), 0.0, 1.0, Vector)
    with pytest.raises(Exception, match="^Given point is not on the circle!$"):
        two.perpendicular(Point(3, 0))


points_on_circle = st.tuples(
    st.floats(-100, 100), st.floats(-100, 100), st.floats(0.01, 50), st.floats(-10, 10))


@settings(max_examples=150, deadline=None)
@given(points_on_circle)
def test_angle_of_the_point_at_an_angle_gives_it_back(data):
    cx, cy, r, theta = data
    c = Circle(Point(cx, cy), r)
    p = c.point_at_radians(theta)
    assert c.is_point_on_circle(p)
    back = c.evaluate_point_radians(p)
    assert 0 <= back <= 2 * math.pi
    turned = (back - theta) % (2 * math.pi)
    assert min(turned, 2 * math.pi - turned) < 1e-6
    normal = c.perpendicular(p)
    assert normal.magnitude == pytest.approx(1.0)
    step = c.tangent(p).end - p
    assert abs(step.x * normal.x + step.y * normal.y) < 1e-6  # tangent is normal to the radius
    assert step.magnitude == pytest.approx(1.0)


@settings(max_examples=200, deadline=None)
@given(points_on_circle)
def test_points_and_angles_are_vector_rotate_and_angle_to_the_last_bit(data):
    cx, cy, r, theta = data
    c = Circle(Point(cx, cy), r)
    p = c.point_at_radians(theta)
    expected = Vector.angle(Vector(r, 0), Vector.vector_from_points(c.center, p))
    assert c.evaluate_point_radians(p) == expected
    q = c.center + Vector(r, 0).rotate(theta)
    assert (p.x, p.y) == (q.x, q.y)


def test_angles_follow_the_module_vector(monkeypatch):
    import Bowlet

    class Quarter(Vector):
        @staticmethod
        def angle(vector1, vector2, polar=True, compare=False):
            return 0.25
    monkeypatch.setattr(Bowlet, "Vector", Quarter)
    assert Circle(Point(0, 0), 1).evaluate_point_radians(Point(-1, 0)) == 0.25
