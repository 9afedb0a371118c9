"""Ray: construction and its fixed unit vector, points by parameter and by
length, the bound with infinite sides, crossings and the plot."""

import math

import matplotlib.pyplot as plt
import pytest

import Strakel
from Flatkin import Point, Vector
from Strakel import Line, Ray

from common import Duck, DuckVector, assert_xy

inf = math.inf


def ray(ox, oy, dx, dy):
    return Ray(Point(ox, oy), Vector(dx, dy))


# ------------------------------------------------------------ construction

def test_the_constructor_keeps_origin_and_direction_and_takes_the_unit_vector_once():
    o, d = Point(1, 2), Vector(3, 4)
    r = Ray(o, d)
    assert r.origin is o and r.direction is d
    assert_xy(r.unit_vector, 0.6, 0.8, cls=Vector)


def test_a_short_direction_is_its_own_unit_vector():
    for d in (Vector(0, 0), Vector(1e-7, 0)):
        assert Ray(Point(0, 0), d).unit_vector is d


def test_keywords_and_repeated_init():
    r = Ray(origin=Point(0, 0), direction=Vector(2, 0))
    Ray.__init__(r, Point(5, 5), Vector(0, 3))
    assert_xy(r.origin, 5, 5) and assert_xy(r.unit_vector, 0, 1)


def test_a_direction_without_unit_vector_fails_after_origin_and_direction_are_set():
    with pytest.raises(AttributeError, match="^'Point' object has no attribute 'unit_vector'$"):
        Ray(Point(0, 0), Point(1, 0))
    class Arrow(DuckVector):
        unit_vector = Duck(0.6, 0.8)

    r = Ray(Point(0, 0), Arrow(3, 4))
    assert r.unit_vector is Arrow.unit_vector
    assert_xy(r.point_at_length(5), 3, 4)


def test_rays_compare_and_hash_by_identity():
    a, b = ray(0, 0, 1, 0), ray(0, 0, 1, 0)
    assert a != b and a == a
    assert len({a, b}) == 2
    assert repr(a).startswith("<Strakel.Ray")


def test_attributes_are_writable_and_the_unit_vector_stays_stale():
    r = ray(0, 0, 1, 0)
    r.direction = Vector(0, 5)
    assert_xy(r.point_at_length(2), 2, 0)
    assert_xy(r.point_at_parameter(1), 0, 5)
    assert_xy(r.to_line().end, 0, 5)
    r.unit_vector = Vector(0, -1)
    assert_xy(r.point_at_length(2), 0, -2)


# ------------------------------------------------------------ points

def test_points_by_parameter_use_the_raw_direction_and_by_length_the_unit_vector():
    r = ray(0, 0, 2, 0)
    assert_xy(r.point_at_parameter(1), 2, 0, cls=Point)
    assert_xy(r.point_at_parameter(-0.5), -1, 0)
    assert_xy(r.point_at_length(1), 1, 0, cls=Point)
    assert r.parameter_at_point(Point(2, 0)) == 4.0
    assert r.parameter_at_point(Duck(-1, 5)) == -2.0


@pytest.mark.parametrize("length", [-1, -1e-300, -math.inf])
def test_a_negative_length_is_out_of_range(length):
    with pytest.raises(ValueError, match="^Length is out of range.$"):
        ray(0, 0, 1, 0).point_at_length(length)


def test_length_zero_and_nan_give_points():
    r = ray(3, 4, 1, 0)
    p = r.point_at_length(0)
    assert_xy(p, 3, 4) and p is not r.origin
    assert math.isnan(r.point_at_length(math.nan).x)


def test_a_zero_direction_stays_at_the_origin():
    r = ray(3, 4, 0, 0)
    assert_xy(r.point_at_parameter(7), 3, 4)
    assert_xy(r.point_at_length(7), 3, 4)
    assert r.parameter_at_point(Point(9, 9)) == 0.0


@pytest.mark.parametrize("value", ["1", None])
def test_parameter_and_length_take_numbers(value):
    with pytest.raises(TypeError):
        ray(0, 0, 1, 0).point_at_parameter(value)
    with pytest.raises(TypeError):
        ray(0, 0, 1, 0).point_at_length(value)


# ------------------------------------------------------------ bound

@pytest.mark.parametrize("r, bound", [
    ((0, 0, 1, 0), (0.0, 0.0, inf, 0.0)),
    ((2, 3, 1, 0), (2.0, 3.0, inf, 3.0)),
    ((2, 3, 0, -1), (2.0, -inf, 2.0, 3.0)),
    ((0, 0, -1, 1), (-inf, 0.0, 0.0, inf)),
    ((2, 3, -1, 1), (-inf, 3.0, 2.0, inf)),
    ((1, 1, 0.5, -0.5), (1.0, -inf, inf, 1.0)),
])
def test_the_bound_is_min_x_min_y_max_x_max_y(r, bound):
    assert ray(*r).bound == bound
    assert type(ray(*r).bound) is tuple


def test_a_zero_direction_has_no_bound():
    r = ray(0, 0, 0, -0.0)
    with pytest.raises(Exception, match="^Invalid ray$") as info:
        r.bound
    assert type(info.value) is Exception
    with pytest.raises(Exception, match="^Invalid ray$"):
        r.is_point_in_bound(Point(0, 0))


@pytest.mark.parametrize("point, inside", [
    ((-1e-6, 0), True),
    ((-2e-6, 0), False),
    ((1e9, 1e-6), True),
    ((5, 2e-6), False),
    ((5, -1e-6), True),
])
def test_the_bound_test_is_inclusive_and_widened_by_epsilon(point, inside):
    assert ray(0, 0, 1, 0).is_point_in_bound(Point(*point)) is inside
    assert ray(0, 0, 1, 0).is_point_in_bound(Duck(*point)) is inside


def test_the_bound_test_reads_y_only_when_x_passes():
    class OnlyX:
        x = -5

    assert ray(0, 0, 1, 0).is_point_in_bound(OnlyX()) is False
    with pytest.raises(AttributeError):
        ray(0, 0, 1, 0).is_point_in_bound(Duck(3, 0).__class__.__new__(Duck))


# ------------------------------------------------------------ crossings

def test_two_rays_meet_only_ahead_of_both_origins():
    a = ray(0, 0, 1, 0)
    assert_xy(a.intersection_with_ray(ray(5, -5, 0, 1)), 5, 0, cls=Point)
    assert a.intersection_with_ray(ray(5, -5, 0, -1)) is None
    assert a.intersection_with_ray(ray(0, 1, 1, 0)) is None        # parallel


def test_both_bound_tests_run_before_the_results_are_looked_at():
    bad = ray(5, 0, 0, 0)      # zero direction: its line is vertical through x = 5
    with pytest.raises(Exception, match="Invalid ray"):
        ray(0, 0, -1, 0).intersection_with_ray(bad)


def test_intersection_with_line():
    assert ray(0, 0, 0, -1).intersection_with_line(Line(Point(0, 1), Point(1, 1))) is None
    assert_xy(ray(0, 0, 0, 1).intersection_with_line(Line(Point(0, 1), Point(1, 1))), 0, 1)


def test_intersection_with_line_asks_any_other_object_for_its_crossing():
    class Liney:
        def intersection_with_line(self, other):
            assert type(other) is Line
            return Point(-3, 0)

    assert ray(0, 0, 1, 0).intersection_with_line(Liney()) is None
    assert_xy(ray(0, 0, -1, 0).intersection_with_line(Liney()), -3, 0)


def test_intersection_with_segment_uses_the_segment_line_and_bound():
    Segment = getattr(Strakel, "Segment", None)
    if Segment is None:
        pytest.skip("Segment is not built yet")
    r = ray(0, 0, 1, 1)
    assert_xy(r.intersection_with_segment(Segment(Point(2, 0), Point(0, 2))), 1, 1)
    assert r.intersection_with_segment(Segment(Point(3, 0), Point(4, -1))) is None
    assert r.intersection_with_segment(Segment(Point(1, 0), Point(2, 1))) is None


def test_intersection_with_segment_of_any_class_with_to_line_and_a_bound():
    calls = []

    class Stick:
        def to_line(self):
            calls.append("to_line")
            return Line(Point(2, 0), Point(0, 2))

        def is_point_in_bound(self, p):
            calls.append(("bound", p.x, p.y))
            return True

    assert_xy(ray(0, 0, 1, 1).intersection_with_segment(Stick()), 1, 1)
    assert calls == ["to_line", ("bound", 1.0, 1.0)]
    calls.clear()
    assert ray(0, 0, -1, -1).intersection_with_segment(Stick()) is None
    assert calls == ["to_line", ("bound", 1.0, 1.0)]


def test_the_horizontal_test_ray_of_containment():
    r = Ray(Point(0, 0), Vector(1, 0))
    Segment = getattr(Strakel, "Segment", None)
    if Segment is None:
        pytest.skip("Segment is not built yet")
    assert_xy(r.intersection_with_segment(Segment(Point(3, -1), Point(3, 1))), 3, 0)
    assert r.intersection_with_segment(Segment(Point(3, 0), Point(5, 0))) is None
    assert_xy(r.intersection_with_segment(Segment(Point(3, 0), Point(4, 2))), 3, 0)
    assert_xy(r.intersection_with_segment(Segment(Point(0, -1), Point(0, 1))), 0, 0)
    assert r.intersection_with_segment(Segment(Point(-1, -1), Point(-1, 1))) is None


def test_to_line_starts_at_the_origin_object():
    r = ray(1, 1, 2, 3)
    l = r.to_line()
    assert type(l) is Line and l.start is r.origin
    assert_xy(l.end, 3, 4, cls=Point)


# ------------------------------------------------------------ plot

def test_plot_draws_length_times_the_raw_direction():
    r = ray(1, 1, 2, 0)
    assert r.plot(show=False) is None
    (drawn,) = plt.gca().lines
    assert list(drawn.get_xdata()) == [1.0, 21.0] and list(drawn.get_ydata()) == [1.0, 1.0]
    assert drawn.get_color() == "r"
    r.plot(length=2, color="b", show=False)
    assert list(plt.gca().lines[1].get_xdata()) == [1.0, 5.0]


def test_plot_with_color_none_takes_the_cycle_and_shows(monkeypatch):
    shown = []
    monkeypatch.setattr(plt, "show", lambda: shown.append(True))
    ray(0, 0, 1, 1).plot(color=None)
    assert shown == [True] and len(plt.gca().lines) == 1


@pytest.mark.parametrize("kwargs", [{"color": 1}, {"color": ("r",)}, {"length": "2"}])
def test_plot_refuses_bad_arguments_before_drawing(kwargs):
    with pytest.raises(TypeError):
        ray(0, 0, 1, 0).plot(show=False, **kwargs)
    assert len(plt.gca().lines) == 0
