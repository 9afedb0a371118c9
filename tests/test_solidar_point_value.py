"""Point3d as a value: construction, text, hash, tolerant equality and order,
rounding, arithmetic with vectors, distance, rotation, interpolation."""

import math

import pytest
from hypothesis import given, settings
from hypothesis import strategies as st

import pyref_solidar as ref
import Solidar
from Solidar import Point3d, Vector3d

from common import Duck3, solid_outcome

MODULES = (Solidar, ref)
# Near-equal coordinates, exact ties, huge and odd values all in one pool.
value = st.one_of(
    st.floats(allow_nan=True, allow_infinity=True),
    st.sampled_from([0.0, -0.0, 1e-6, -1e-6, 5e-7, 2e-6, 1e154, 1.5e154, -2.675, 1e300]),
    st.integers(-3, 3).map(float),
)
triple = st.tuples(value, value, value)


def ops():
    """Operations of one or two points, each a function of (module, p, q)."""
    return {
        "eq": lambda m, p, q: p == q,
        "ne": lambda m, p, q: p != q,
        "is_equal": lambda m, p, q: p.is_equal(q),
        "is_greater": lambda m, p, q: m.Point3d.is_greater(p, q),
        "is_less": lambda m, p, q: p.is_less(q),
        "distance": lambda m, p, q: p.distance_to_point(q),
        "add": lambda m, p, q: p + q,
        "sub": lambda m, p, q: p - q,
        "move": lambda m, p, q: p.move(q),
        "copy": lambda m, p, q: p.copy(),
        "round": lambda m, p, q: round(p),
        "round3": lambda m, p, q: round(p, 3),
        "round_none": lambda m, p, q: p.__round__(None),
        "round_neg": lambda m, p, q: round(p, -1),
        "hash": lambda m, p, q: hash(p),
        "repr": lambda m, p, q: repr(p),
        "tween": lambda m, p, q: p.tween(q, 0.3),
        "extrapolate": lambda m, p, q: p.tween(q, -2),
        "rotate2d": lambda m, p, q: p.rotate2d(0.7, q),
        "rotate2d_int": lambda m, p, q: p.rotate2d(3, q),
    }


@settings(max_examples=400, deadline=None)
@given(triple, triple)
def test_point_operations_match_the_plain_reference(a, b):
    for name, op in ops().items():
        if name == "hash" and math.isnan(sum(a)):
            continue  # a NaN hashes by identity in plain Python
        ours = solid_outcome(op, Solidar, Point3d(*a), Point3d(*b))
        plain = solid_outcome(op, ref, ref.Point3d(*a), ref.Point3d(*b))
        assert ours == plain, name


@settings(max_examples=100, deadline=None)
@given(triple, triple)
def test_duck_operands_are_read_through_their_attributes(a, b):
    for name, op in ops().items():
        if name in ("copy", "round", "round3", "round_none", "round_neg", "hash", "repr"):
            continue
        ours = solid_outcome(op, Solidar, Point3d(*a), Duck3(*b))
        plain = solid_outcome(op, ref, ref.Point3d(*a), Duck3(*b))
        assert ours == plain, name


@pytest.mark.parametrize("args, stored", [
    ((1, 2.5, -3), (1.0, 2.5, -3.0)),
    ((True, 0, -0.0), (1.0, 0.0, -0.0)),
])
def test_constructor_stores_floats(args, stored):
    p = Point3d(*args)
    assert (p.x, p.y, p.z) == stored and all(type(c) is float for c in (p.x, p.y, p.z))
    assert repr(p) == "Point3d(%r, %r, %r)" % stored


@pytest.mark.parametrize("args, error", [
    (("1", 2, 3), TypeError), ((1, None, 3), TypeError), ((1, 2), TypeError), ((1, 2, 10 ** 400), OverflowError),
])
def test_constructor_refuses_non_numbers(args, error):
    with pytest.raises(error):
        Point3d(*args)


def test_text_form_is_a_str():
    assert repr(Point3d(1, 2.5, -3)) == "Point3d(1.0, 2.5, -3.0)"
    assert str(Point3d(1e-5, 1e16, float("nan"))) == "Point3d(1e-05, 1e+16, nan)"


def test_equality_is_tolerant_while_the_hash_is_exact():
    o = Point3d(0, 0, 0)
    assert o == Point3d(1e-6, 0, 0) and not o == Point3d(2e-6, 0, 0)
    near = Point3d(1e-7, 0, 0)
    assert o == near and hash(o) != hash(near) and len({o, near}) == 2
    assert hash(Point3d(1, 2, 3)) == hash((1.0, 2.0, 3.0)) == hash(Vector3d(1, 2, 3))
    assert o == Vector3d(0, 0, 0)


def test_equality_never_declines_and_reads_all_six_coordinates_first():
    with pytest.raises(AttributeError):
        Point3d(0, 0, 0) == None  # noqa: E711
    lacks_z = Duck3(5, 0, 0)
    del lacks_z.z
    for compare in (lambda p: p == lacks_z, lambda p: p.is_equal(lacks_z)):
        with pytest.raises(AttributeError):
            compare(Point3d(0, 0, 0))


def test_order_reads_only_what_it_needs():
    only_y = Duck3(0, 5, 0)
    del only_y.x, only_y.z
    assert Point3d(0, 0, 0).is_less(only_y) and not Point3d(0, 0, 0).is_greater(only_y)
    with pytest.raises(AttributeError):
        Point3d(0, 5, 0).is_less(only_y)


@pytest.mark.parametrize("a, b, less, greater", [
    ((5, 0, 0), (0, 1, 0), True, False),          # y decides before x
    ((0, 0, 1), (0, 0, 0), False, True),          # z decides last
    ((5, 0, 0), (1, 5e-7, 0), False, True),       # y ties, x decides
    ((0, 0, 0), (0, 0, 5e-7), False, False),      # all tie
])
def test_order_is_y_then_x_then_z(a, b, less, greater):
    assert Point3d(*a).is_less(Point3d(*b)) is less
    assert Point3d(*a).is_greater(Point3d(*b)) is greater


def test_rounding_defaults_to_two_places():
    p = Point3d(1.23456, 2.675, -0.005)
    assert (round(p).x, round(p).y) == (1.23, 2.67)
    assert round(p, None).x == 1.23
    assert p.__round__(None).x == 1.0 and round(p, 0).y == 3.0
    with pytest.raises(TypeError):
        round(p, 1.5)


def test_addition_converts_with_float_while_move_does_not():
    text = Duck3("1", "2", "3")
    assert Point3d(0, 0, 0) + text == Point3d(1, 2, 3)
    with pytest.raises(TypeError):
        Point3d(0, 0, 0).move(text)
    with pytest.raises(ValueError):
        Point3d(0, 0, 0) - Duck3("x", 0, 0)
    v = Point3d(1, 2, 3) - Point3d(0, 0, 5)
    assert type(v) is Vector3d and (v.x, v.y, v.z) == (1.0, 2.0, -2.0)


def test_distance_squares_with_pythons_power():
    assert Point3d(3, 4, 0).distance_to_point(Point3d(0, 0, 0)) == 5.0
    with pytest.raises(OverflowError):
        Point3d(2e154, 0, 0).distance_to_point(Point3d(0, 0, 0))
    assert Point3d(float("inf"), 0, 0).distance_to_point(Point3d(0, 0, 0)) == math.inf


def test_rotation_about_a_vertical_axis_keeps_the_centres_height():
    p = Point3d(1, 0, 5).rotate2d(math.pi / 2, Point3d(0, 0, 0))
    assert (p.x, p.y, p.z) == (6.123233995736766e-17, 1.0, 0.0)
    with pytest.raises(TypeError):
        Point3d(1, 0, 0).rotate2d("half", Point3d(0, 0, 0))


def test_tween_is_unclamped_and_zero_is_new_each_time():
    assert Point3d(0, 0, 0).tween(Point3d(1, 2, 3), 2) == Point3d(2, 4, 6)
    assert Point3d.zero() is not Point3d.zero() and Point3d.zero() == Point3d(0, 0, 0)
    with pytest.raises(TypeError):
        Point3d(0, 0, 0).tween(Point3d(1, 1, 1), "half")


@pytest.mark.parametrize("value", ["a", None, [1], 1j])
def test_coordinates_are_doubles(value):
    p = Point3d(1, 2, 3)
    p.z = 4
    assert type(p.z) is float and p.z == 4.0
    with pytest.raises(TypeError):
        p.x = value
    assert (p.x, p.y, p.z) == (1.0, 2.0, 4.0)
