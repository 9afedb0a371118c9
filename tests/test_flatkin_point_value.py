"""Point as a value: construction, text form, equality, hash, rounding and
the + and - operators."""

import math

import pytest
from hypothesis import given, settings
from hypothesis import strategies as st

import Flatkin
from Flatkin import Point, Vector

from common import Duck, assert_xy, same_float

NAN, INF = float("nan"), float("inf")


# ------------------------------------------------------------ construction

class Half:
    def __float__(self):
        return 0.5


class Three:
    def __index__(self):
        return 3


@pytest.mark.parametrize("x, y, expected", [
    (1, 2.5, (1.0, 2.5)),
    ("2.5", 3, (2.5, 3.0)),
    (True, False, (1.0, 0.0)),
    (" -4 ", "1e3", (-4.0, 1000.0)),
    ("inf", "-inf", (INF, -INF)),
    (Half(), Three(), (0.5, 3.0)),
    (-0.0, 0, (-0.0, 0.0)),
    (2 ** 53 + 1, 0, (float(2 ** 53 + 1), 0.0)),
])
def test_constructor_stores_the_float_of_each_argument(x, y, expected):
    assert_xy(Point(x, y), *expected, cls=Point)


def test_constructor_accepts_nan_text():
    p = Point("nan", 0)
    assert math.isnan(p.x) and type(p.x) is float


@pytest.mark.parametrize("x, y, error", [
    ("a", 0, ValueError),
    (0, "", ValueError),
    (None, 0, TypeError),
    (0, None, TypeError),
    ([1], 0, TypeError),
    (1j, 0, TypeError),
    (10 ** 400, 0, OverflowError),
    (0, -10 ** 400, OverflowError),
])
def test_constructor_refuses_what_float_refuses(x, y, error):
    with pytest.raises(error):
        Point(x, y)


def test_init_called_again_reinitialises_the_point():
    p = Point(1, 2)
    Point.__init__(p, 3, 4)
    assert_xy(p, 3, 4, Point)
    Point.__init__(self=p, x=5, y=6)
    assert_xy(p, 5, 6, Point)


def test_a_failing_y_leaves_the_new_x_in_place():
    p = Point(1, 2)
    with pytest.raises(ValueError):
        Point.__init__(p, 7, "not a number")
    assert p.x == 7.0 and p.y == 2.0


# --------------------------------------------------------------- text form

@pytest.mark.parametrize("point, text", [
    (Point(1, 2.5), "Point(1.0, 2.5)"),
    (Point(-0.0, 0), "Point(-0.0, 0.0)"),
    (Point(1e-7, 1e16), "Point(1e-07, 1e+16)"),
    (Point(0.1, -2.5), "Point(0.1, -2.5)"),
    (Point(INF, -INF), "Point(inf, -inf)"),
    (Point(NAN, 123456789.125), "Point(nan, 123456789.125)"),
    (Point(1 / 3, 2 ** 60), "Point(0.3333333333333333, 1.152921504606847e+18)"),
])
def test_text_form_uses_python_float_text(point, text):
    assert point.__repr__() == text
    assert type(point.__repr__()) is str
    assert repr(point) == text and str(point) == text and f"{point}" == text


def test_text_form_of_a_list_of_points():
    assert repr([Point(1, 2), Point(3, 4)]) == "[Point(1.0, 2.0), Point(3.0, 4.0)]"


@given(st.floats(allow_nan=True, allow_infinity=True), st.floats(allow_nan=True, allow_infinity=True))
@settings(max_examples=200, deadline=None)
def test_text_form_reads_back_as_the_same_floats(x, y):
    text = repr(Point(x, y))
    assert text == f"Point({x!r}, {y!r})"


# ---------------------------------------------------------------- equality

@pytest.mark.parametrize("a, b, equal", [
    (Point(0, 0), Point(1e-6, 0), True),           # a difference of exactly epsilon counts
    (Point(0, 0), Point(0, -1e-6), True),
    (Point(0, 0), Point(1e-6, 1e-6), True),        # a square, not a disc
    (Point(0, 0), Point(2e-6, 0), False),
    (Point(0, 0), Point(0, 1.0000001e-6), False),
    (Point(5, 5), Point(5, 5), True),
    (Point(1, 2), Vector(1, 2), True),
    (Point(1, 2), Duck(1.0000005, 2), True),
    (Point(NAN, 0), Point(NAN, 0), False),
    (Point(0, NAN), Point(0, 0), False),
    (Point(INF, 0), Point(INF, 0), False),          # inf - inf is nan
    (Point(-0.0, 0), Point(0.0, -0.0), True),
])
def test_equality_is_an_inclusive_square_of_epsilon(a, b, equal):
    assert (a == b) is equal
    assert (a != b) is (not equal)
    assert a.is_equal(b) is equal
    assert Point.__eq__(a, b) is equal


def test_equality_is_not_transitive():
    a, b, c = Point(0, 0), Point(1e-6, 0), Point(2e-6, 0)
    assert a == b and b == c and not a == c


def test_a_nan_point_equals_nothing_yet_is_found_by_identity():
    p = Point(NAN, 1)
    assert not p == p
    assert p in [p]
    assert [p].count(p) == 1


@pytest.mark.parametrize("compare", [
    lambda p: p == None,  # noqa: E711
    lambda p: p != None,  # noqa: E711
    lambda p: None == p,  # noqa: E711
    lambda p: None in [p],
    lambda p: p == 1,
    lambda p: p == "Point(0.0, 0.0)",
    lambda p: p == (0, 0),
    lambda p: p.is_equal(None),
    lambda p: Point.__eq__(p, None),
])
def test_comparing_with_an_object_without_x_and_y_raises_attribute_error(compare):
    with pytest.raises(AttributeError):
        compare(Point(0, 0))


class OnlyX:
    def __init__(self, x):
        self.x = x


def test_equality_reads_all_four_coordinates_before_comparing():
    with pytest.raises(AttributeError):
        Point(0, 0) == OnlyX(100.0)
    with pytest.raises(AttributeError):
        Point.__eq__(OnlyX(0.0), Point(0, 0))


def test_equality_returns_bools():
    assert (Point(0, 0) == Point(0, 0)) is True
    assert (Point(0, 0) == Point(1, 0)) is False


# -------------------------------------------------------------------- hash

@pytest.mark.parametrize("x, y", [(1, 2), (1.5, -2.25), (-0.0, 0.0), (INF, -INF), (1e300, 1e-300),
                                  (-1, -2), (0, 0)])
def test_hash_is_the_hash_of_the_coordinate_pair(x, y):
    assert hash(Point(x, y)) == hash((float(x), float(y)))


def test_hash_of_integral_point_equals_hash_of_int_pair():
    assert hash(Point(1, 2)) == hash((1, 2))


def test_sets_merge_only_exactly_equal_points():
    assert len({Point(1, 2), Point(1, 2)}) == 1
    assert len({Point(0, 0), Point(1e-7, 0)}) == 2


@given(st.floats(allow_nan=False), st.floats(allow_nan=False))
@settings(max_examples=200, deadline=None)
def test_hash_matches_the_tuple_hash_for_any_float(x, y):
    assert hash(Point(x, y)) == hash((x, y))
    assert hash(Vector(x, y)) == hash((x, y))


# ---------------------------------------------------------------- rounding

@pytest.mark.parametrize("point, args, expected", [
    (Point(1.23456, -1.23456), (), (1.23, -1.23)),
    (Point(1.23456, 0), (3,), (1.235, 0.0)),
    (Point(2.675, 0), (2,), (2.67, 0.0)),           # the binary value of 2.675 is below the half
    (Point(15, 0), (-1,), (20.0, 0.0)),
    (Point(25, 0), (-1,), (20.0, 0.0)),             # halves go to the even digit
    (Point(0.5, 1.5), (0,), (0.0, 2.0)),
    (Point(INF, NAN), (2,), (INF, NAN)),
    (Point(-0.004, 0.004), (2,), (-0.0, 0.0)),
    (Point(123.456, 1e300), (-2,), (100.0, 1e300)),
])
def test_round_uses_the_builtin_round_on_each_coordinate(point, args, expected):
    r = round(point, *args)
    assert type(r) is Point and r is not point
    assert same_float(r.x, expected[0]) and same_float(r.y, expected[1])


def test_round_with_none_rounds_to_whole_floats():
    assert_xy(Point(1.5, 2.4).__round__(None), 2.0, 2.0, Point)
    assert_xy(round(Point(1.23456, 9.87654), None), 1.23, 9.88, Point)


def test_round_by_keyword():
    assert_xy(Point.__round__(self=Point(1.25, 3.14159), n=3), 1.25, 3.142, Point)


@pytest.mark.parametrize("n", [1.5, "2", [2]])
def test_round_refuses_a_non_integer_number_of_digits(n):
    with pytest.raises(TypeError):
        Point(1, 2).__round__(n)


@given(st.floats(allow_nan=False, allow_infinity=False, min_value=-1e12, max_value=1e12),
       st.integers(-5, 12))
@settings(max_examples=200, deadline=None)
def test_round_matches_python_round(x, n):
    r = round(Point(x, -x), n)
    assert same_float(r.x, float(round(x, n))) and same_float(r.y, float(round(-x, n)))


# --------------------------------------------------------------- arithmetic

@pytest.mark.parametrize("a, b, expected", [
    (Point(1, 2), Vector(0.5, -1), (1.5, 1.0)),
    (Point(1, 2), Point(3, 4), (4.0, 6.0)),
    (Point(1, 2), Duck(1, 1), (2.0, 3.0)),
    (Point(1, 2), Duck("0.5", " 1 "), (1.5, 3.0)),     # other.x passes through float()
    (Point(1, 2), Duck(True, Three()), (2.0, 5.0)),
])
def test_adding_gives_a_new_point(a, b, expected):
    r = a + b
    assert_xy(r, *expected, cls=Point)
    assert r is not a


@pytest.mark.parametrize("a, b, expected", [
    (Point(3, 4), Point(1, 1), (2.0, 3.0)),
    (Point(3, 4), Vector(1, 1), (2.0, 3.0)),
    (Point(3, 4), Duck("1", 1), (2.0, 3.0)),
    (Point(0, 0), Point(0, 0), (0.0, 0.0)),
])
def test_subtracting_gives_the_vector_from_other_to_the_point(a, b, expected):
    assert_xy(a - b, *expected, cls=Vector)


def test_operands_are_left_unchanged():
    p, v = Point(1, 2), Vector(3, 4)
    p + v
    p - v
    assert (p.x, p.y, v.x, v.y) == (1.0, 2.0, 3.0, 4.0)


def test_in_place_addition_rebinds_the_name():
    p = Point(1, 1)
    old = p
    p += Vector(1, 2)
    assert_xy(p, 2, 3, Point)
    assert_xy(old, 1, 1, Point)
    p -= Point(2, 3)
    assert_xy(p, 0, 0, Vector)


@pytest.mark.parametrize("operation", [lambda p: p + 1, lambda p: p - 1, lambda p: p + None,
                                       lambda p: p - None, lambda p: p + (1, 2), lambda p: p + OnlyX(1)])
def test_arithmetic_with_an_object_without_x_and_y_raises_attribute_error(operation):
    with pytest.raises(AttributeError):
        operation(Point(0, 0))


@pytest.mark.parametrize("operation", [lambda p: 1 + p, lambda p: 1 - p, lambda p: -p, lambda p: p * 2,
                                       lambda p: p / 2, lambda p: 2 * p])
def test_missing_operators_raise_type_error(operation):
    with pytest.raises(TypeError):
        operation(Point(0, 0))


@pytest.mark.parametrize("other, error", [(Duck("a", 0), ValueError), (Duck(0, None), TypeError),
                                          (Duck([1], 0), TypeError), (Duck(10 ** 400, 0), OverflowError)])
def test_arithmetic_reports_the_float_conversion_error(other, error):
    with pytest.raises(error):
        Point(0, 0) + other
    with pytest.raises(error):
        Point(0, 0) - other


def test_arithmetic_operators_never_return_not_implemented():
    assert Point.__add__(Point(0, 0), Point(1, 1)) is not NotImplemented
    with pytest.raises(AttributeError):
        Point.__add__(Point(0, 0), 5)
    with pytest.raises(AttributeError):
        Point.__sub__(Point(0, 0), "x")


@given(st.floats(width=64), st.floats(width=64), st.floats(width=64), st.floats(width=64))
@settings(max_examples=200, deadline=None)
def test_arithmetic_is_plain_float_arithmetic(ax, ay, bx, by):
    s, d = Point(ax, ay) + Vector(bx, by), Point(ax, ay) - Point(bx, by)
    assert same_float(s.x, ax + bx) and same_float(s.y, ay + by)
    assert same_float(d.x, ax - bx) and same_float(d.y, ay - by)


def test_equality_reads_epsilon_at_each_call(monkeypatch):
    monkeypatch.setattr(Flatkin, "epsilon", 1.0)
    assert Point(0, 0) == Point(1, -1)
    assert not Point(0, 0) == Point(1.5, 0)
