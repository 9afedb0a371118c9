"""Segments built from any object with x and y answer as with Point."""

import math

from hypothesis import given, settings
from hypothesis import strategies as st

from common import Duck
from Flatkin import Point
from Strakel import Line, Segment

coord = st.one_of(
    st.integers(-8, 8).map(float),
    st.floats(-10, 10, allow_nan=False, allow_infinity=False),
)
pt = st.tuples(coord, coord)


def both(a, b):
    return Segment(Point(*a), Point(*b)), Segment(Duck(*a), Duck(*b))


def picture(v):
    """A comparable form of a result: points by coordinates, other values as they are."""
    if v is None or isinstance(v, (bool, int, float, str)):
        return v
    if isinstance(v, (list, tuple)):
        return type(v).__name__, [picture(i) for i in v]
    if isinstance(v, Segment):
        return "Segment", picture(v.start), picture(v.end)
    if hasattr(v, "x"):
        return "pt", v.x, v.y
    return repr(v)


def outcome(f):
    try:
        return picture(f())
    except Exception as e:  # the same exception type and message on both paths
        return type(e).__name__, str(e)


@settings(max_examples=200, deadline=None)
@given(pt, pt, pt, pt, pt, st.floats(-3, 3, allow_nan=False))
def test_foreign_end_points_give_the_same_answers(a, b, c, d, q, t):
    s, f = both(a, b)
    o, g = both(c, d)
    p, dq = Point(*q), Duck(*q)
    checks = [
        lambda x, y, pp: x.vector,
        lambda x, y, pp: x.normal,
        lambda x, y, pp: x.unit_vector,
        lambda x, y, pp: x.unit_normal,
        lambda x, y, pp: x.length,
        lambda x, y, pp: x.midpoint,
        lambda x, y, pp: x.bound,
        lambda x, y, pp: hash(x),
        lambda x, y, pp: x.is_point_in_bound(pp),
        lambda x, y, pp: x.is_point_on(pp),
        lambda x, y, pp: x.is_parallel(y),
        lambda x, y, pp: x.is_perpendicular(y),
        lambda x, y, pp: x.intersection_with_segment(y),
        lambda x, y, pp: x.intersection_with_line(Line(y.start, y.end)),
        lambda x, y, pp: x.closest_point(pp),
        lambda x, y, pp: x.distance_to_point(pp),
        lambda x, y, pp: Segment.distance_between_segments(x, y),
        lambda x, y, pp: x.point_at_parameter(t),
        lambda x, y, pp: x.point_at_length(t),
        lambda x, y, pp: x.parameter_at_point(pp),
        lambda x, y, pp: x.length_at_point(pp),
        lambda x, y, pp: x.divide_by_count(4),
        lambda x, y, pp: x.divide_by_length(abs(t) + 0.5),
        lambda x, y, pp: x.closest_endpoint(pp),
        lambda x, y, pp: x.farthest_endpoint(pp),
        lambda x, y, pp: x.other_endpoint(pp),
        lambda x, y, pp: x.offset(t),
        lambda x, y, pp: x.offset_both(t),
        lambda x, y, pp: Segment.is_same_direction(x, y),
        lambda x, y, pp: Segment.tween_segment(x, y, t, False),
        lambda x, y, pp: Segment.intersection_points([x, y, x]),
        lambda x, y, pp: x.break_at_point(x.point_at_parameter(0.5)),
        lambda x, y, pp: x.break_by_points([x.point_at_parameter(0.7), x.point_at_parameter(0.2)]),
    ]
    for i, check in enumerate(checks):
        assert outcome(lambda: check(s, o, p)) == outcome(lambda: check(f, g, dq)), i


@settings(max_examples=100, deadline=None)
@given(pt, pt, pt, st.floats(-3, 3, allow_nan=False))
def test_foreign_end_points_are_edited_alike(a, b, q, length):
    for edit in (
        lambda s, p: s.extend_line(length),
        lambda s, p: s.extend_line(length, "positive"),
        lambda s, p: s.extend_to_point(p),
        lambda s, p: s.move(p),
        lambda s, p: s.reverse(),
    ):
        s, f = both(a, b)
        r1 = outcome(lambda: edit(s, Point(*q)))
        r2 = outcome(lambda: edit(f, Duck(*q)))
        assert r1 == r2
        assert picture(s) == picture(f)


def test_foreign_points_keep_their_identity_where_the_stored_objects_come_back():
    a, b = Duck(0, 0), Duck(2, 0)
    s = Segment(a, b)
    assert s.closest_point(Duck(-1, 1)) is a
    assert s.point_at_length(5) is b
    assert s.divide_by_length(0.5)[0] is a
    assert math.isclose(s.length, 2.0)
