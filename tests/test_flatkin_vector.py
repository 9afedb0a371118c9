"""Vector as a value: construction, text form, equality, operators, the length
properties and the methods that make new vectors."""

import math

import numpy as np
import pytest
from hypothesis import example, given, settings
from hypothesis import strategies as st

import Flatkin
from Flatkin import Point, Vector

import common
from common import Duck, assert_xy, same_float

NAN, INF = float("nan"), float("inf")
PI = math.pi


# ------------------------------------------------------------ construction

@pytest.mark.parametrize("x, y, expected", [
    (1, "2.5", (1.0, 2.5)),
    (True, -3, (1.0, -3.0)),
    ("-inf", np.float32(0.5), (-INF, 0.5)),
])
def test_constructor_stores_the_float_of_each_argument(x, y, expected):
    assert_xy(Vector(x, y), *expected, cls=Vector)


@pytest.mark.parametrize("x, y, error", [("a", 0, ValueError), (0, None, TypeError),
                                         (10 ** 400, 0, OverflowError), ((1,), 0, TypeError)])
def test_constructor_refuses_what_float_refuses(x, y, error):
    with pytest.raises(error):
        Vector(x, y)


@pytest.mark.parametrize("v, text", [
    (Vector(1, "2.5"), "Vector(1.0, 2.5)"),
    (Vector(1e-7, -1e16), "Vector(1e-07, -1e+16)"),
    (Vector(0, 0).reverse(), "Vector(-0.0, -0.0)"),
    (Vector(NAN, INF), "Vector(nan, inf)"),
])
def test_text_form_uses_python_float_text(v, text):
    assert repr(v) == text and str(v) == text and type(v.__repr__()) is str


# ---------------------------------------------------------------- equality

@pytest.mark.parametrize("a, b, equal", [
    (Vector(0, 0), Vector(1e-6, 0), True),
    (Vector(0, 0), Vector(1.5e-6, 0), False),
    (Vector(0, 0), Vector(0, 1.5e-6), False),
    (Vector(0, 0), Vector(-1e-6, 1e-6), True),
    (Vector(1, 2), Point(1, 2), True),
    (Vector(NAN, 0), Vector(NAN, 0), False),
    (Vector(0, 0).reverse(), Vector(0, 0), True),
])
def test_equality_is_an_inclusive_square_of_epsilon(a, b, equal):
    assert (a == b) is equal and (a != b) is (not equal)
    assert a.is_equal(b) is equal and Vector.is_equal(self=a, other=b) is equal


def test_tolerantly_equal_vectors_hash_differently():
    a, b = Vector(0, 0), Vector(1e-6, 0)
    assert a == b and hash(a) != hash(b)
    assert hash(Vector(3, 4)) == hash((3.0, 4.0))


class OnlyX:
    def __init__(self, x):
        self.x = x


def test_equality_reads_y_only_when_the_x_test_passes():
    assert (Vector(0, 0) == OnlyX(5.0)) is False
    assert Vector(0, 0).is_equal(OnlyX(5.0)) is False
    with pytest.raises(AttributeError):
        Vector(0, 0) == OnlyX(0.0)


@pytest.mark.parametrize("compare", [lambda v: v == None, lambda v: None == v,  # noqa: E711
                                     lambda v: v != None, lambda v: None in [v],  # noqa: E711
                                     lambda v: v.is_equal(None), lambda v: v == 3])
def test_comparing_with_an_object_without_x_raises_attribute_error(compare):
    with pytest.raises(AttributeError):
        compare(Vector(1, 2))


# --------------------------------------------------------------- operators

@pytest.mark.parametrize("expression, expected", [
    (lambda: Vector(1, 2) + Vector(3, 4), (4.0, 6.0)),
    (lambda: Vector(1, 2) + Point(3, 4), (4.0, 6.0)),
    (lambda: Vector(1, 2) - Point(3, 5), (-2.0, -3.0)),
    (lambda: Vector(1, 2) - Duck(0.5, 0.5), (0.5, 1.5)),
    (lambda: Vector(1, 2) * 3, (3.0, 6.0)),
    (lambda: Vector(1, 2) * -0.5, (-0.5, -1.0)),
    (lambda: Vector(1, 2) * True, (1.0, 2.0)),
    (lambda: Vector(1, 2) / 2, (0.5, 1.0)),
    (lambda: Vector(1, 2) / np.float64(4), (0.25, 0.5)),
    (lambda: Vector(1, 0) * INF, (INF, NAN)),
])
def test_operators_return_new_vectors(expression, expected):
    assert_xy(expression(), *expected, cls=Vector)


@pytest.mark.parametrize("expression, error", [
    (lambda v: 3 * v, TypeError),
    (lambda v: v * v, TypeError),
    (lambda v: v * "2", TypeError),
    (lambda v: v / "2", TypeError),
    (lambda v: -v, TypeError),
    (lambda v: 1 / v, TypeError),
    (lambda v: v / 0, ZeroDivisionError),
    (lambda v: v / 0.0, ZeroDivisionError),
    (lambda v: v / -0.0, ZeroDivisionError),
    (lambda v: v / False, ZeroDivisionError),
    (lambda v: v + 1, AttributeError),
    (lambda v: v - None, AttributeError),
    (lambda v: v * 10 ** 400, OverflowError),
])
def test_unsupported_operands_raise(expression, error):
    with pytest.raises(error):
        expression(Vector(1, 2))


def test_zero_vector_divided_by_zero_raises_too():
    with pytest.raises(ZeroDivisionError):
        Vector(0, 0) / 0


def test_in_place_operators_rebind_the_name():
    v = Vector(1, 2)
    old = v
    v += Vector(1, 1)
    v *= 2
    v /= 4
    v -= Vector(1, 1)
    assert_xy(v, 0.0, 0.5, Vector)
    assert_xy(old, 1, 2, Vector)


@given(st.floats(), st.floats(), st.floats(), st.floats())
@settings(max_examples=200, deadline=None)
def test_operators_are_plain_float_arithmetic(ax, ay, bx, by):
    a = Vector(ax, ay)
    s, d, m = a + Vector(bx, by), a - Duck(bx, by), a * bx
    assert same_float(s.x, ax + bx) and same_float(s.y, ay + by)
    assert same_float(d.x, ax - bx) and same_float(d.y, ay - by)
    assert same_float(m.x, ax * bx) and same_float(m.y, ay * bx)
    if bx != 0:
        q = a / bx
        assert same_float(q.x, ax / bx) and same_float(q.y, ay / bx)


# ------------------------------------------------------------- properties

@pytest.mark.parametrize("v, magnitude, norm", [
    (Vector(3, 4), 5.0, 7.0),
    (Vector(0, 0), 0.0, 0.0),
    (Vector(-3, -4), 5.0, 7.0),
    (Vector(INF, 0), INF, INF),
    (Vector(1e-200, 0), 0.0, 1e-200),
])
def test_magnitude_and_norm(v, magnitude, norm):
    assert v.magnitude == magnitude and type(v.magnitude) is float
    assert v.norm == norm and type(v.norm) is float


def test_magnitude_of_a_vector_whose_square_overflows_raises():
    with pytest.raises(OverflowError):
        Vector(1e200, 0).magnitude
    with pytest.raises(OverflowError):
        Vector(1, 1e200).unit_vector
    with pytest.raises(OverflowError):
        Vector(1e200, 0).adjust_length(1)


@given(st.floats(allow_nan=True, allow_infinity=True), st.floats(allow_nan=True, allow_infinity=True))
@example(3791259725756.0, 2.9516038204700224e+16)   # pow(y, 2) != y * y in the last bit
@settings(max_examples=300, deadline=None)
def test_magnitude_is_the_root_of_math_pow_squares(x, y):
    expected = common.outcome(common.ref_magnitude, x, y)
    got = common.outcome(lambda: Vector(x, y).magnitude)
    assert common.same_outcome(got, expected)


def test_magnitude_is_not_hypot_in_the_last_bits():
    u = Vector(1, 2).unit_vector
    assert (u.x, u.y) == (0.4472135954999579, 0.8944271909999159)


def test_properties_follow_the_current_coordinates():
    v = Vector(3, 4)
    v.x = 0.0
    assert v.magnitude == 4.0 and v.norm == 4.0
    assert_xy(v.unit_vector, 0, 1, Vector)


@pytest.mark.parametrize("v", [Vector(0, 0), Vector(1e-7, 0), Vector(1e-6, 0), Vector(0, -5e-7)])
def test_unit_vector_of_a_vector_no_longer_than_epsilon_is_the_receiver(v):
    before = (v.x, v.y)
    assert v.unit_vector is v
    assert (v.x, v.y) == before


def test_unit_vector_of_a_longer_vector_is_new():
    v = Vector(3, 4)
    u = v.unit_vector
    assert u is not v
    assert_xy(u, 0.6, 0.8, Vector)
    assert_xy(Vector(2e-6, 0).unit_vector, 1, 0, Vector)


def test_unit_vector_reads_epsilon_at_each_call(monkeypatch):
    v = Vector(0.3, 0.4)
    monkeypatch.setattr(Flatkin, "epsilon", 0.5)
    assert v.unit_vector is v
    monkeypatch.setattr(Flatkin, "epsilon", 1e-6)
    assert v.unit_vector is not v


# ---------------------------------------------------------------- methods

@pytest.mark.parametrize("v, length, expected", [
    (Vector(3, 4), 10, (6.0, 8.0)),
    (Vector(3, 4), -10, (-6.0, -8.0)),
    (Vector(3, 4), 0, (0.0, 0.0)),
    (Vector(1e-7, 0), 10, (1e-6, 0.0)),      # a short vector is scaled, not normalised
    (Vector(0, 0), 5, (0.0, 0.0)),
])
def test_adjust_length_goes_through_the_unit_vector(v, length, expected):
    r = v.adjust_length(length)
    assert type(r) is Vector and r is not v
    assert common.approx_xy(r, *expected, tol=1e-15)


@given(st.floats(-1e100, 1e100), st.floats(-1e100, 1e100), st.floats(-1e6, 1e6))
@settings(max_examples=200, deadline=None)
def test_adjust_length_is_the_unit_vector_times_the_length(x, y, k):
    m = common.ref_magnitude(x, y)
    ux, uy = (x, y) if abs(m) <= Flatkin.epsilon else (x / m, y / m)
    r = Vector(x, y).adjust_length(k)
    assert same_float(r.x, ux * k) and same_float(r.y, uy * k)


def test_reverse_returns_a_new_opposite_vector():
    v = Vector(1, -2)
    r = v.reverse()
    assert_xy(r, -1, 2, Vector)
    assert_xy(v, 1, -2, Vector)
    assert_xy(Vector(0, 0).reverse(), -0.0, -0.0, Vector)


def test_copy_returns_an_equal_new_vector():
    v = Vector(1, -2)
    c = v.copy()
    assert type(c) is Vector and c is not v and (c.x, c.y) == (1.0, -2.0)


def test_rotate_turns_counter_clockwise():
    r = Vector(1, 0).rotate(PI / 2)
    assert type(r) is Vector and r.y == 1.0 and abs(r.x) < 1e-16
    r = Vector(1, 0).rotate(-PI / 2)
    assert r.y == -1.0 and abs(r.x) < 1e-16
    assert_xy(Vector(2, 3).rotate(0), 2, 3, Vector)
    assert_xy(Vector(2, 3).rotate(angle=0), 2, 3, Vector)


def test_rotate_results_are_plain_floats():
    r = Vector(1, 1).rotate(np.float64(0.3))
    assert type(r.x) is float and type(r.y) is float


@given(st.floats(-1e6, 1e6), st.floats(-1e6, 1e6), st.floats(-20, 20))
@settings(max_examples=200, deadline=None)
def test_rotate_is_the_rotation_formula(x, y, angle):
    r = Vector(x, y).rotate(angle)
    candidates = []
    for cos, sin in ((np.cos, np.sin), (math.cos, math.sin)):
        c, s = cos(angle), sin(angle)
        candidates.append((float(c * x - s * y), float(s * x + c * y)))
    assert (r.x, r.y) in candidates


@pytest.mark.parametrize("method", [lambda v: v.reverse(), lambda v: v.copy(), lambda v: v.rotate(1.0),
                                    lambda v: v.adjust_length(2), lambda v: v * 2, lambda v: v.unit_vector])
def test_methods_leave_the_receiver_unchanged(method):
    v = Vector(3, 4)
    method(v)
    assert (v.x, v.y) == (3.0, 4.0)


def test_methods_called_through_the_class_take_any_receiver():
    assert_xy(Vector.copy(Duck(1, 2)), 1, 2, Vector)
    assert_xy(Vector.__add__(Point(1, 2), Duck(1, 1)), 2, 3, Vector)
    assert_xy(Vector.__mul__(Duck(1, 2), 2), 2, 4, Vector)
    assert_xy(Vector.rotate(Point(2, 3), 0), 2, 3, Vector)
