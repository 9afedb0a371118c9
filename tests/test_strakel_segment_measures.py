"""Segment crossings, extension, closest points, distances, parameters and
division."""

import math

import pytest
from hypothesis import given, settings
from hypothesis import strategies as st

from Flatkin import Point, Vector
from Strakel import Line, Ray, Segment


def xy(p):
    return (p.x, p.y)


def seg(ax, ay, bx, by):
    return Segment(Point(ax, ay), Point(bx, by))


# ------------------------------------------------------------ crossings

@pytest.mark.parametrize(
    "a, b, expected",
    [
        ((0, 0, 2, 2), (0, 2, 2, 0), (1.0, 1.0)),
        ((0, 0, 1, 0), (1, 0, 1, 1), (1.0, 0.0)),
        ((0, 0, 1, 0), (1, 0, 2, 0), None),
        ((0, 0, 1, 0), (2, -1, 2, 1), None),
        ((0, 0, 1, 0), (0.5, 1, 0.5, 0.000001), (0.5, 0.0)),
        ((0, 0, 1, 0), (0.5, 1, 0.5, 0.000002), None),
        ((0, 0, 0, 1), (0, 0.5, 0, 2), None),
    ],
)
def test_crossing_with_a_segment(a, b, expected):
    p = seg(*a).intersection_with_segment(seg(*b))
    if expected is None:
        assert p is None
    else:
        assert type(p) is Point and xy(p) == expected


def test_the_other_segments_bound_test_runs_only_after_the_own_passes():
    calls = []

    class Spy:
        def __init__(self, s):
            self.start, self.end = s.start, s.end
            self.s = s

        def is_point_in_bound(self, p):
            calls.append(xy(p))
            return self.s.is_point_in_bound(p)

    assert seg(0, 0, 1, 0).intersection_with_segment(Spy(seg(2, -1, 2, 1))) is None
    assert calls == []
    assert xy(seg(0, 0, 2, 2).intersection_with_segment(Spy(seg(0, 2, 2, 0)))) == (1.0, 1.0)
    assert calls == [(1.0, 1.0)]


def test_crossing_with_a_line_checks_only_the_segment():
    s = seg(0, 0, 1, 0)
    assert xy(s.intersection_with_line(Line(Point(0.5, -5), Point(0.5, -4)))) == (0.5, 0.0)
    assert s.intersection_with_line(Line(Point(2, -1), Point(2, 1))) is None
    assert s.intersection_with_line(Line(Point(0, 1), Point(1, 1))) is None


def test_crossing_with_a_ray_asks_the_ray():
    s = seg(0, 2, 2, 0)
    r = Ray(Point(0, 0), Vector(1, 1))
    assert xy(s.intersection_with_ray(r)) == xy(r.intersection_with_segment(s))
    assert s.intersection_with_ray(Ray(Point(0, 0), Vector(-1, -1))) is None


# ------------------------------------------------------------ extension

@pytest.mark.parametrize(
    "direction, expected",
    [
        ("both", ((-1.0, 0.0), (2.0, 0.0))),
        ("positive", ((0.0, 0.0), (2.0, 0.0))),
        ("negative", ((-1.0, 0.0), (1.0, 0.0))),
        ("sideways", ((0.0, 0.0), (1.0, 0.0))),
        (None, ((0.0, 0.0), (1.0, 0.0))),
    ],
)
def test_extend_line_moves_the_chosen_ends(direction, expected):
    s = seg(0, 0, 1, 0)
    a, b = s.start, s.end
    assert s.extend_line(1, direction) is None
    assert (xy(s.start), xy(s.end)) == expected
    assert xy(a) == (0.0, 0.0) and xy(b) == (1.0, 0.0)
    if direction in (None, "sideways"):
        assert s.start is a and s.end is b


def test_extend_line_defaults_to_both_and_takes_keywords():
    s = seg(0, 0, 0, 2)
    s.extend_line(length=0.5)
    assert (xy(s.start), xy(s.end)) == ((0.0, -0.5), (0.0, 2.5))
    Segment.extend_line(self=s, length=1, direction="positive")
    assert xy(s.end) == (0.0, 3.5)


@pytest.mark.parametrize("bad", [5, b"both", 1.0])
def test_extend_line_refuses_a_direction_that_is_not_text(bad):
    s = seg(0, 0, 1, 0)
    with pytest.raises(TypeError, match=r"^Argument 'direction' has incorrect type \(expected str, got "):
        s.extend_line(1, bad)
    assert xy(s.start) == (0.0, 0.0) and xy(s.end) == (1.0, 0.0)


def test_extend_line_refuses_a_length_that_is_not_a_number():
    with pytest.raises(TypeError):
        seg(0, 0, 1, 0).extend_line("1")


def test_extend_line_on_a_zero_length_segment_puts_new_points_in_place():
    s = seg(1, 1, 1, 1)
    a = s.start
    s.extend_line(5)
    assert s.start is not a and xy(s.start) == (1.0, 1.0) and xy(s.end) == (1.0, 1.0)


# ------------------------------------------------------------ closest point, distance

def test_closest_point_is_the_foot_or_the_nearer_stored_end():
    s = seg(0, 0, 2, 0)
    foot = s.closest_point(Point(1, 5))
    assert type(foot) is Point and xy(foot) == (1.0, 0.0)
    assert s.closest_point(Point(-1, 1)) is s.start
    assert s.closest_point(Point(3, 1)) is s.end
    assert s.distance_to_point(Point(1, 5)) == 5.0
    assert s.distance_to_point(Point(3, 1)) == 1.4142135623730951


def test_closest_point_of_a_zero_length_segment_is_its_start():
    s = seg(1, 1, 1, 1)
    assert s.closest_point(Point(4, 5)) is s.start
    assert s.distance_to_point(Point(4, 5)) == 5.0


@pytest.mark.parametrize(
    "a, b, expected",
    [
        ((0, 0, 10, 0), (0, 1, 10, 1), 1.0),
        ((0, 0, 10, 0), (20, 5, 5, 1), 1.0),
        ((0, 0, 10, 0), (12, 0, 15, 0), 2.0),
        ((0, 0, 10, 0), (3, 2, 3, 7), 2.0),
        ((0, 0, 0, 0), (3, 4, 3, 4), 5.0),
    ],
)
def test_distance_between_segments_is_the_least_distance(a, b, expected):
    assert Segment.distance_between_segments(seg(*a), seg(*b)) == pytest.approx(expected)
    assert Segment.distance_between_segments(seg2=seg(*a), seg1=seg(*b)) == pytest.approx(expected)


def test_distance_between_crossing_segments_is_the_integer_zero():
    d = Segment.distance_between_segments(seg(0, 0, 2, 2), seg(0, 2, 2, 0))
    assert d == 0 and type(d) is int
    assert seg(0, 0, 1, 1).distance_between_segments(seg(0, 0, 2, 2), seg(0, 2, 2, 0)) == 0


def _brute_segment_distance(a, b):
    def point_seg(p, s):
        (ax, ay), (bx, by) = s
        dx, dy = bx - ax, by - ay
        L2 = dx * dx + dy * dy
        t = 0.0 if L2 == 0 else max(0.0, min(1.0, ((p[0] - ax) * dx + (p[1] - ay) * dy) / L2))
        return math.hypot(p[0] - (ax + t * dx), p[1] - (ay + t * dy))

    return min(point_seg(a[0], b), point_seg(a[1], b), point_seg(b[0], a), point_seg(b[1], a))


coord = st.integers(-20, 20).map(float)


@settings(max_examples=150, deadline=None)
@given(st.tuples(coord, coord, coord, coord), st.tuples(coord, coord, coord, coord))
def test_distance_between_segments_agrees_with_a_reference(a, b):
    sa, sb = seg(*a), seg(*b)
    d = Segment.distance_between_segments(sa, sb)
    if sa.intersection_with_segment(sb) is not None:
        assert d == 0
    else:
        ref = _brute_segment_distance(((a[0], a[1]), (a[2], a[3])), ((b[0], b[1]), (b[2], b[3])))
        assert d == pytest.approx(ref, abs=1e-6)


# ------------------------------------------------------------ parameters and lengths

def test_point_at_parameter_is_unbounded():
    s = seg(0, 0, 2, 4)
    assert xy(s.point_at_parameter(0.5)) == (1.0, 2.0)
    assert xy(s.point_at_parameter(2)) == (4.0, 8.0)
    assert xy(s.point_at_parameter(-1)) == (-2.0, -4.0)
    with pytest.raises(TypeError):
        s.point_at_parameter("0.5")


def test_point_at_length_holds_the_stored_ends():
    s = seg(0, 0, 2, 0)
    assert xy(s.point_at_length(0.5)) == (0.5, 0.0)
    assert s.point_at_length(-3) is s.start
    assert s.point_at_length(0.0000005) is s.start
    assert s.point_at_length(0.000001) is s.start
    assert s.point_at_length(1.9999995) is s.end
    assert s.point_at_length(1.999999) is s.end
    assert s.point_at_length(5) is s.end
    assert s.point_at_length(1.99999) is not s.end


def test_point_at_length_on_a_zero_length_segment():
    s = seg(1, 1, 1, 1)
    assert s.point_at_length(0) is s.start
    assert s.point_at_length(1) is s.end


@pytest.mark.parametrize(
    "point, parameter",
    [((0.5, 0), 0.25), ((2.0000005, 0), 1.00000025), ((-0.0000005, 0), 2.5e-07), ((2, 0), 1.0)],
)
def test_parameter_at_point_is_the_unsigned_distance_ratio(point, parameter):
    s = seg(0, 0, 2, 0)
    assert s.parameter_at_point(Point(*point)) == parameter


def test_length_at_point_and_off_segment_points():
    s = seg(0, 0, 2, 0)
    assert s.length_at_point(Point(0.5, 0)) == 0.5
    for f in (s.parameter_at_point, s.length_at_point):
        with pytest.raises(ValueError, match="^Point is not on the segment.$"):
            f(Point(1, 1))


def test_parameters_on_a_zero_length_segment_are_the_integer_zero():
    s = seg(1, 1, 1, 1)
    for f in (s.parameter_at_point, s.length_at_point):
        r = f(Point(1, 1))
        assert r == 0 and type(r) is int


# ------------------------------------------------------------ division

def test_divide_by_count_includes_both_ends():
    pts = seg(0, 0, 4, 0).divide_by_count(5)
    assert [p.x for p in pts] == [0.0, 1.0, 2.0, 3.0, 4.0]
    assert seg(0, 0, 4, 0).divide_by_count(0) == []
    assert seg(0, 0, 4, 0).divide_by_count(-3) == []
    assert [xy(p) for p in seg(0, 0, 4, 0).divide_by_count(2)] == [(0.0, 0.0), (4.0, 0.0)]


def test_divide_by_count_errors():
    with pytest.raises(ZeroDivisionError, match="^division by zero$"):
        seg(0, 0, 4, 0).divide_by_count(1)
    with pytest.raises(TypeError):
        seg(0, 0, 4, 0).divide_by_count(2.0)


def test_divide_by_length_reaches_the_end_only_through_the_clamp():
    s = seg(0, 0, 1, 0)
    pts = s.divide_by_length(0.25)
    assert pts[0] is s.start and pts[-1] is s.end
    assert [p.x for p in pts] == [0.0, 0.25, 0.5, 0.75, 1.0]
    pts = s.divide_by_length(0.3)
    assert pts[0] is s.start and pts[-1] is not s.end
    assert [round(p.x, 12) for p in pts] == [0.0, 0.3, 0.6, 0.9]
    pts = s.divide_by_length(0.1)
    assert len(pts) == 11 and pts[-1] is s.end


def test_divide_by_length_of_a_zero_length_segment_is_its_start():
    s = seg(1, 1, 1, 1)
    assert s.divide_by_length(0.5) == [s.start] and s.divide_by_length(0.5)[0] is s.start


@pytest.mark.parametrize("interval", [0, -1, -0.0])
def test_divide_by_length_refuses_an_interval_that_never_ends(interval):
    with pytest.raises(ValueError, match="^Interval must be greater than 0.$"):
        seg(0, 0, 1, 0).divide_by_length(interval)


def test_divide_by_length_with_nan_interval_stops_after_one_step():
    s = seg(0, 0, 1, 0)
    pts = s.divide_by_length(math.nan)
    assert pts[0] is s.start and len(pts) == 2 and math.isnan(pts[1].x)
