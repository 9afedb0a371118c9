"""Arc: the four ways of building one, their normalised angles, stored
objects and failures."""

import math

import numpy as np
import pytest
from hypothesis import assume, given, settings, strategies as st

import Bowlet
from Bowlet import Arc, Circle, Point, Vector
from common import assert_xy

PI = math.pi
ATTRIBUTES = {"center", "radius", "circle", "start_radians", "end_radians", "wise", "start_point", "end_point"}


def angles(arc):
    return (arc.wise, arc.start_radians, arc.end_radians)


# ------------------------------------------------- centre, radius, sweep, start

def test_sweep_comes_before_the_start_angle():
    center = Point(0, 0)
    arc = Arc(center, 2, PI / 2, 0)
    assert all(hasattr(arc, name) for name in ATTRIBUTES)
    assert arc.center is center and arc.circle.center is center
    assert type(arc.circle) is Circle
    assert arc.radius == 2 and type(arc.radius) is int
    assert angles(arc) == (1, 0, PI / 2)
    assert type(arc.start_radians) is int
    assert_xy(arc.start_point, 2.0, 0.0)
    assert arc.end_point == Point(0, 2)


@pytest.mark.parametrize("radians, start, expected", [
    (-PI / 2, PI, (0, PI, PI / 2)),
    (0, 1.0, (1, 1.0, 1.0)),
    (3 * PI, 0.5, (1, 0.5, 0.5 + 3 * PI)),
    (-3 * PI, 0.5, (0, 0.5, 0.5 - 3 * PI)),
])
def test_given_sweep_is_kept_whatever_its_size(radians, start, expected):
    arc = Arc(center=Point(0, 0), radius=1, radians=radians, start_radians=start)
    assert angles(arc) == expected


def test_zero_sweep_is_counter_clockwise_with_equal_end_points():
    arc = Arc(Point(1, 1), 1, 0, 0.3)
    assert arc.wise == 1
    assert arc.start_point.x == arc.end_point.x and arc.start_point.y == arc.end_point.y


def test_the_first_complete_mode_wins():
    arc = Arc(center=Point(0, 0), radius=1, radians=1.0, start_radians=0.0,
              start_point=Point(5, 5), end_point=Point(6, 6), start_direction=Vector(1, 0))
    assert_xy(arc.start_point, 1.0, 0.0)
    three = Arc(start_point=Point(1, 0), end_point=Point(-1, 0), arc_point=Point(0, 1), start_direction=Vector(0, -1))
    assert angles(three) == (1, 0.0, PI)


def test_no_complete_mode_leaves_an_arc_without_attributes():
    for arc in (Arc(), Arc(center=Point(0, 0), radius=1), Arc(start_point=Point(0, 0))):
        assert not any(hasattr(arc, name) for name in ATTRIBUTES)
        with pytest.raises(AttributeError, match="'Arc' object has no attribute 'center'"):
            arc.center
        with pytest.raises(AttributeError, match="'Arc' object has no attribute 'end_radians'"):
            arc.radians


def test_init_called_again_without_a_complete_mode_sets_and_removes_nothing():
    arc = Arc(Point(0, 0), 2, 1.0, 0.5)
    before = [getattr(arc, name) for name in ATTRIBUTES]
    arc.__init__(radius=3)
    assert all(getattr(arc, name) is value for name, value in zip(ATTRIBUTES, before))
    arc.__init__(Point(1, 1), 3, 0.5, 0.0)
    assert arc.radius == 3 and arc.center == Point(1, 1)


def test_attributes_can_be_set_on_an_empty_arc():
    arc = Arc()
    arc.wise = 2
    arc.center = None
    assert arc.wise == 2 and arc.center is None
    arc.tag = "kept"
    assert arc.tag == "kept"


def test_zero_counts_as_given():
    arc = Arc(Point(0, 0), 0, 0, 0)
    assert angles(arc) == (1, 0, 0)


def test_bad_centre_or_radius_fail_in_the_supporting_circle():
    with pytest.raises(Exception, match="^Check three circle inputs!$"):
        Arc((0, 0), 1, 1.0, 0.0)
    with pytest.raises(Exception, match="^Check three circle inputs!$"):
        Arc(Point(0, 0), np.int64(1), 1.0, 0.0)


# ------------------------------------------------------------ three points

@pytest.mark.parametrize("start, mid, end, center, expected", [
    ((1, 0), (0.6, 0.8), (-1, 0), (0, 0), (1, 0.0, PI)),
    ((0, 1), (0.8, 0.6), (0, -1), (0, 0), (0, PI / 2, -PI / 2)),
    ((1, 0), (0, -1), (0, 1), (0, 0), (0, 0.0, PI / 2 - 2 * PI)),
    ((0, 1), (-1, 0), (1, 0), (0, 0), (1, PI / 2 - 2 * PI, 0.0)),
])
def test_three_points_run_from_start_through_the_arc_point(start, mid, end, center, expected):
    s, m, e = Point(*start), Point(*mid), Point(*end)
    arc = Arc(start_point=s, arc_point=m, end_point=e)
    assert arc.start_point is s and arc.end_point is e
    assert arc.center is arc.circle.center and arc.radius is arc.circle.radius
    assert arc.center == Point(*center)
    assert arc.radius == pytest.approx(1.0, abs=1e-12)
    wise, start_radians, end_radians = angles(arc)
    assert wise == expected[0]
    assert start_radians == pytest.approx(expected[1], abs=1e-12)
    assert end_radians == pytest.approx(expected[2], abs=1e-12)


@pytest.mark.parametrize("points", [
    ((0, 0), (0.0000005, 0), (1, 1)),
    ((0, 0), (1, 1), (0, 0.000001)),
    ((1, 1), (0, 0), (1, 1)),
])
def test_equal_points_raise(points):
    s, e, m = (Point(*p) for p in points)
    with pytest.raises(Exception, match="^equal point existing$") as info:
        Arc(start_point=s, end_point=e, arc_point=m)
    assert type(info.value) is Exception


def test_collinear_points_raise():
    with pytest.raises(Exception, match="^Three points collinear!$"):
        Arc(start_point=Point(0, 0), arc_point=Point(1, 1), end_point=Point(2, 2))


@settings(max_examples=150, deadline=None)
@given(st.lists(st.tuples(st.integers(-10 ** 5, 10 ** 5).map(lambda v: v / 1000),
                          st.one_of(st.integers(-10 ** 5, 10 ** 5).map(lambda v: v / 1000),
                                    st.floats(1e-17, 1e-12), st.floats(-1e-12, -1e-17))),
                min_size=3, max_size=3, unique=True))
def test_an_arc_through_three_points_passes_through_them(pts):
    (ax, ay), (bx, by), (cx, cy) = pts
    cross = (bx - ax) * (cy - by) - (by - ay) * (cx - bx)
    assume(abs(cross) > 1e-2 * max(1.0, math.dist(pts[0], pts[2])) ** 2)
    assume(min(math.dist(pts[0], pts[1]), math.dist(pts[1], pts[2]), math.dist(pts[0], pts[2])) > 1e-2)
    assume(abs(ax - bx) > 1e-5 or abs(bx - cx) > 1e-5)
    s, m, e = Point(ax, ay), Point(bx, by), Point(cx, cy)
    arc = Arc(start_point=s, arc_point=m, end_point=e)
    assert arc.wise == (0 if cross < 0 else 1)
    assert -2 * PI < arc.radians <= 2 * PI
    assert (arc.radians >= 0) == (arc.wise == 1)
    for p in (s, m, e):
        assert arc.is_point_on_arc(p)
    assert arc.point_at_parameter(0) == s or math.dist(xy_(arc.point_at_parameter(0)), (ax, ay)) < 1e-6 * arc.radius
    assert math.dist(xy_(arc.point_at_parameter(1)), (cx, cy)) < 1e-6 * max(1.0, arc.radius)


def xy_(p):
    return (p.x, p.y)


# -------------------------------------------------- centre, start point, sweep

def test_centre_start_and_sweep():
    center, start = Point(0, 0), Point(2, 0)
    arc = Arc(center=center, start_point=start, radians=PI / 2, end_point=Point(9, 9))
    assert arc.center is center and arc.start_point is start
    assert arc.radius == 2.0 and type(arc.radius) is float
    assert angles(arc) == (1, 0.0, PI / 2)
    assert arc.end_point == Point(0, 2)


@pytest.mark.parametrize("radians", [0, 0.0, -0.0, False])
def test_a_zero_sweep_about_a_centre_raises(radians):
    with pytest.raises(Exception, match="^start_point == end_point$"):
        Arc(center=Point(0, 0), start_point=Point(1, 0), radians=radians)


def test_a_start_on_the_centre_has_no_angle():
    with pytest.raises(TypeError, match=r"unsupported operand type\(s\) for \+: 'NoneType'"):
        Arc(center=Point(0, 0), start_point=Point(0, 0), radians=1.0)


# ---------------------------------------------- start, end and start direction

@pytest.mark.parametrize("end, direction, center, radius, expected", [
    ((1, 1), (1, 0), (0, 1), 1.0, (1, -PI / 2, 0.0)),
    ((2, 0), (0, 1), (1, 0), 1.0, (0, PI, 0.0)),
    ((2, 0), (0, -1), (1, 0), 1.0, (1, -PI, 0.0)),
    ((1, -1), (1, 0), (0, -1), 1.0, (0, PI / 2, 0.0)),
])
def test_start_direction_arcs(end, direction, center, radius, expected):
    s, e = Point(0, 0), Point(*end)
    arc = Arc(start_point=s, end_point=e, start_direction=Vector(*direction))
    assert arc.start_point is s and arc.end_point is e
    assert arc.center == Point(*center) and arc.circle.center is arc.center
    assert arc.radius == pytest.approx(radius, abs=1e-12)
    wise, start_radians, end_radians = angles(arc)
    assert wise == expected[0]
    assert start_radians == pytest.approx(expected[1], abs=1e-12)
    assert end_radians == pytest.approx(expected[2], abs=1e-12)


def test_the_quarter_circle_turning_left_has_exact_values():
    arc = Arc(start_point=Point(0, 0), end_point=Point(1, 1), start_direction=Vector(1, 0))
    assert arc.radius == 1.0
    assert (arc.start_radians, arc.end_radians) == (-PI / 2, 0.0)
    assert arc.parameter_domain == (-0.25, 0.0)


@pytest.mark.parametrize("end", [(2, 0), (-2, 0)])
def test_an_end_straight_ahead_or_behind_raises(end):
    with pytest.raises(Exception, match="^can't get a circle with this direction$") as info:
        Arc(start_point=Point(0, 0), end_point=Point(*end), start_direction=Vector(1, 0))
    assert type(info.value) is Exception


def test_start_equal_to_end_raises():
    with pytest.raises(Exception, match="^start_point == end_point$"):
        Arc(start_point=Point(0, 0), end_point=Point(0, 0.0000001), start_direction=Vector(1, 0))


def test_a_zero_direction_raises_type_error():
    with pytest.raises(TypeError, match="'<' not supported between instances of 'float' and 'NoneType'"):
        Arc(start_point=Point(0, 0), end_point=Point(1, 1), start_direction=Vector(0, 0))


@settings(max_examples=200, deadline=None)
@given(st.floats(0, 2 * PI), st.floats(0.05, 2 * PI - 0.05), st.floats(0.1, 50), st.floats(-50, 50), st.floats(-50, 50))
def test_a_fillet_arc_leaves_along_its_direction_and_reaches_its_end(heading, turn, dist, x, y):
    # A corner: incoming direction `heading`, chord turned from it by `turn`.
    chord_angle = heading + turn
    assume(abs(math.sin(turn)) > 1e-3)
    s = Point(x, y)
    e = Point(x + dist * math.cos(chord_angle), y + dist * math.sin(chord_angle))
    d = Vector(math.cos(heading), math.sin(heading))
    arc = Arc(start_point=s, end_point=e, start_direction=d)
    for p in (s, e):
        assert abs(math.dist(xy_(p), xy_(arc.center)) - arc.radius) <= 1e-6 * max(1.0, arc.radius)
    assert arc.is_point_on_arc(s) and arc.is_point_on_arc(e)
    assert arc.is_point_on_arc(arc.midpoint)
    # Leaving the start along the direction.
    t = arc.tangent(s)
    assert t.x * d.x + t.y * d.y > 0.999
    # Sampled points lie on the arc, in order from start to end.
    pts = Arc.arc_to_polyline(arc, number=5)
    assert all(arc.is_point_on_arc(p) for p in pts)


def test_the_supporting_circle_is_built_by_the_module_name(monkeypatch):
    made = []

    class Recording(Circle):
        def __init__(self, *args):
            made.append(args)
            super().__init__(*args)
    monkeypatch.setattr(Bowlet, "Circle", Recording)
    arc = Arc(Point(0, 0), 1, 1.0, 0.0)
    assert type(arc.circle) is Recording and len(made) == 1
