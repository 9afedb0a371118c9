"""Segment as a value: construction, text form, equality, hash, iteration,
derived properties and the bound and on-segment tests."""

import math

import pytest
from hypothesis import given, settings
from hypothesis import strategies as st

from Flatkin import Point, Vector
from Strakel import Line, Segment


def xy(p):
    return (p.x, p.y)


def seg(ax, ay, bx, by):
    return Segment(Point(ax, ay), Point(bx, by))


# ------------------------------------------------------------ construction

def test_the_constructor_keeps_the_given_objects():
    a, b = Point(0, 0), Point(1, 2)
    s = Segment(a, b)
    assert s.start is a and s.end is b


def test_the_constructor_accepts_keywords_and_stores_anything():
    s = Segment(start=1, end="x")
    assert s.start == 1 and s.end == "x"


def test_end_points_are_writable_attributes_and_instances_take_new_attributes():
    s = seg(0, 0, 1, 0)
    q = Point(5, 5)
    s.end = q
    assert s.end is q
    s.tag = "wall"
    assert s.tag == "wall"


# ------------------------------------------------------------ text form

def test_the_text_form_formats_both_end_points():
    assert Segment(1, 2).__repr__() == "Segment:(1, 2)"
    assert repr(Segment(1.5, "a")) == "Segment:(1.5, a)"


def test_the_text_form_of_points_uses_their_own_text():
    s = seg(0, 0, 1, 1)
    assert repr(s) == "Segment:(" + repr(s.start) + ", " + repr(s.end) + ")"


# ------------------------------------------------------------ equality and hash

@pytest.mark.parametrize(
    "a, b, equal",
    [
        ((0, 0, 1, 1), (1, 1, 0, 0), True),
        ((0, 0, 1, 1), (0, 0, 1, 1), True),
        ((0, 0, 1, 1), (0, 0, 1, 1.0000001), False),
        ((0, 0, 1, 1), (0, 0, 2, 2), False),
        ((0.0, 0, 1, 1), (-0.0, 0, 1, 1), True),
        ((1, 1, 1, 1), (1, 1, 1, 1), True),
        ((1, 1, 1, 1), (1, 1, 2, 2), False),
    ],
)
def test_equality_compares_the_sets_of_exact_end_points(a, b, equal):
    assert (seg(*a) == seg(*b)) is equal
    assert (seg(*a) != seg(*b)) is (not equal)


def test_equal_segments_hash_alike_and_a_reversed_segment_stays_a_key():
    s = seg(0, 0, 1, 1)
    d = {s: "x"}
    assert hash(s) == hash(seg(1, 1, 0, 0)) == hash(Point(0.5, 0.5))
    s.reverse()
    assert d[s] == "x" and s in d
    assert seg(0, 0, 1, 1) in [seg(2, 2, 3, 3), seg(1, 1, 0, 0)]


def test_equality_with_an_object_without_end_points_raises_attribute_error():
    with pytest.raises(AttributeError, match="^'NoneType' object has no attribute 'start'$"):
        seg(0, 0, 1, 1) == None  # noqa: E711
    with pytest.raises(AttributeError, match="^'int' object has no attribute 'start'$"):
        seg(0, 0, 1, 1) == 5


def test_equality_follows_python_set_semantics_for_other_end_point_objects():
    assert Segment(1, 2) == Segment(2, 1)
    assert Segment(1, 1) != Segment(1, 2)
    assert Segment("a", "b") == Segment("b", "a")


# ------------------------------------------------------------ iteration

def test_iteration_yields_the_stored_end_points_in_order():
    s = seg(0, 0, 1, 2)
    a, b = s
    assert a is s.start and b is s.end
    assert list(s) == [s.start, s.end]
    it = iter(s)
    assert next(it) is s.start
    s.end = Point(9, 9)
    assert xy(next(it)) == (9.0, 9.0)
    with pytest.raises(StopIteration):
        next(it)


# ------------------------------------------------------------ properties

def test_the_properties_of_a_horizontal_segment():
    s = seg(0, 0, 2, 0)
    assert isinstance(s.vector, Vector) and xy(s.vector) == (2.0, 0.0)
    assert xy(s.normal) == (0.0, -2.0)
    assert xy(s.unit_vector) == (1.0, 0.0)
    assert xy(s.unit_normal) == (0.0, -1.0)
    assert s.length == 2.0
    assert isinstance(s.midpoint, Point) and xy(s.midpoint) == (1.0, 0.0)
    assert s.bound == (0.0, 2.0, 0.0, 0.0)


def test_the_bound_lists_x_limits_first_then_y_limits():
    assert seg(3, 1, 1, 4).bound == (1.0, 3.0, 1.0, 4.0)


def test_endpoints_is_a_new_list_of_the_stored_objects():
    s = seg(0, 0, 1, 1)
    e = s.endpoints
    assert e == [s.start, s.end] and e[0] is s.start and e[1] is s.end
    assert s.endpoints is not e


def test_a_zero_length_segment_has_zero_vectors():
    s = seg(1, 1, 1, 1)
    assert xy(s.vector) == (0.0, 0.0) and s.length == 0.0
    assert xy(s.unit_vector) == (0.0, 0.0)
    n = s.normal
    assert n.x == 0.0 and math.copysign(1, n.y) == -1.0


def test_a_very_short_segment_keeps_its_unnormalised_unit_vector():
    s = seg(0, 0, 1e-7, 0)
    assert xy(s.unit_vector) == (1e-7, 0.0)


def test_properties_follow_rebound_end_points():
    s = seg(0, 0, 1, 0)
    s.end = Point(0, 3)
    assert s.length == 3.0 and s.bound == (0.0, 0.0, 0.0, 3.0)


def test_properties_are_read_only():
    s = seg(0, 0, 1, 0)
    for name in ("vector", "normal", "unit_vector", "unit_normal", "length",
                 "midpoint", "endpoints", "bound"):
        with pytest.raises(AttributeError):
            setattr(s, name, 3)
    assert isinstance(Segment.__dict__["length"], property)


def test_a_huge_coordinate_overflows_the_length_as_math_pow_does():
    with pytest.raises(OverflowError, match="^math range error$"):
        seg(0, 0, 1e200, 0).length
    assert seg(0, 0, math.inf, 0).length == math.inf


# ------------------------------------------------------------ reverse, copy, line

def test_reverse_swaps_the_stored_objects_in_place():
    s = seg(0, 0, 1, 2)
    a, b = s.start, s.end
    before = s.copy()
    assert s.reverse() is None
    assert s.start is b and s.end is a
    assert list(s) == [b, a]
    assert xy(s.vector) == (-1.0, -2.0)
    assert s == before and hash(s) == hash(before)


def test_copy_and_to_line_share_the_end_points():
    s = seg(0, 0, 1, 2)
    c = s.copy()
    assert type(c) is Segment and c is not s
    assert c.start is s.start and c.end is s.end
    line = s.to_line()
    assert type(line) is Line
    assert line.start is s.start and line.end is s.end


# ------------------------------------------------------------ bound and on tests

@pytest.mark.parametrize(
    "point, inside",
    [
        ((1.000001, 0.000001), True),
        ((1.000002, 0), False),
        ((-0.000001, -0.000001), True),
        ((0.5, 0.0000015), False),
        ((0.5, 0), True),
    ],
)
def test_the_bound_test_widens_by_epsilon_inclusively(point, inside):
    assert seg(0, 0, 1, 0).is_point_in_bound(Point(*point)) is inside


@pytest.mark.parametrize(
    "segment, point, on",
    [
        ((0, 0, 1, 0), (0.5, 0.000001), True),
        ((0, 0, 1, 0), (0.5, 0.0000015), False),
        ((0, 0, 1, 0), (1.0000005, 0), True),
        ((0, 0, 1, 0), (1.1, 0), False),
        ((0, 0, 10, 0), (5, 0.0000001), True),
        ((0, 0, 10, 0), (5, 0.0000005), False),
        ((1, 1, 1, 1), (1.000001, 0.999999), True),
        ((1, 1, 1, 1), (1.000002, 1), False),
    ],
)
def test_a_point_is_on_a_segment_on_its_line_and_in_its_bound(segment, point, on):
    assert seg(*segment).is_point_on(Point(*point)) is on


def test_the_bound_tests_take_any_object_with_x_and_y():
    class P:
        def __init__(self, x, y):
            self.x, self.y = x, y

    assert seg(0, 0, 1, 0).is_point_on(P(0.5, 0))
    assert not seg(0, 0, 1, 0).is_point_in_bound(P(2, 0))
    with pytest.raises(AttributeError, match="^'NoneType' object has no attribute 'x'$"):
        seg(0, 0, 1, 0).is_point_on(None)


def test_the_tolerance_is_strakels_own_binding():
    import Flatkin
    import Strakel

    s = seg(0, 0, 1, 0)
    old = Strakel.epsilon
    try:
        Strakel.epsilon = 0.5
        assert s.is_point_in_bound(Point(1.4, 0))
    finally:
        Strakel.epsilon = old
    assert not s.is_point_in_bound(Point(1.4, 0))
    assert Strakel.epsilon is Flatkin.epsilon


# ------------------------------------------------------------ parallel, perpendicular

@pytest.mark.parametrize(
    "a, b, parallel, perpendicular",
    [
        ((0, 0, 1, 0), (5, 5, 9, 5), True, False),
        ((0, 0, 1, 0), (9, 5, 5, 5), True, False),
        ((0, 0, 1, 0), (0, 0, 0, 1), False, True),
        ((0, 0, 1, 3), (0, 0, 0.1, 0.3), False, False),
        ((1, 1, 1, 1), (0, 0, 3, 7), True, True),
    ],
)
def test_parallel_and_perpendicular_tests_are_exact(a, b, parallel, perpendicular):
    assert seg(*a).is_parallel(seg(*b)) is parallel
    assert seg(*a).is_perpendicular(seg(*b)) is perpendicular


def test_parallel_test_takes_anything_with_to_line():
    from Strakel import Ray

    assert seg(0, 0, 1, 0).is_parallel(Ray(Point(3, 3), Vector(2, 0)))
    with pytest.raises(AttributeError, match="^'Point' object has no attribute 'to_line'$"):
        seg(0, 0, 1, 0).is_parallel(Point(1, 1))


coordinate = st.sampled_from([0.0, -0.0, 1.0, 1.0000005, 1.000002, -1.0, -2.0, math.nan, math.inf])


@settings(max_examples=300, deadline=None)
@given(st.lists(st.tuples(coordinate, coordinate), min_size=1, max_size=4), st.lists(st.integers(0, 3), min_size=4, max_size=4))
def test_equality_is_that_of_python_sets_of_the_end_points(pool, picks):
    points = [Point(*p) for p in pool]
    a0, a1, b0, b1 = (points[i % len(points)] for i in picks)
    expected = {a0, a1} == {b0, b1}
    assert (Segment(a0, a1) == Segment(b0, b1)) is expected
    assert (Segment(a0, a1) != Segment(b0, b1)) is (not expected)
