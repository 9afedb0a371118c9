"""Vector3d as a value and its angles: arithmetic, lengths, unit vectors,
products, planar rotation, cosines, signed sines, angles and unit conversion."""

import math

import numpy as np
import pytest
from hypothesis import given, settings
from hypothesis import strategies as st

import pyref_solidar as ref
from Solidar import Point3d, Vector3d

from common import DuckVector3, solid_outcome

# The plain reference's numpy scalars warn on infinities and NaN; the answers are what is checked.
pytestmark = pytest.mark.filterwarnings("ignore::RuntimeWarning")

value = st.one_of(
    st.floats(allow_nan=True, allow_infinity=True),
    st.sampled_from([0.0, -0.0, 1e-6, 5e-7, 1.0, -1.0, 1e154, 2e154, 1e-170]),
    st.integers(-2, 2).map(float),
)
triple = st.tuples(value, value, value)
number = st.one_of(st.floats(allow_nan=True, allow_infinity=True), st.integers(-5, 5), st.sampled_from([0, 0.0, -0.0]))

VALUE_OPS = {
    "eq": lambda V, v, w, k: v == w, "is_equal": lambda V, v, w, k: v.is_equal(w),
    "add": lambda V, v, w, k: v + w, "sub": lambda V, v, w, k: v - w,
    "mul": lambda V, v, w, k: v * k, "div": lambda V, v, w, k: v / k,
    "magnitude": lambda V, v, w, k: v.magnitude, "norm": lambda V, v, w, k: v.norm,
    "unit": lambda V, v, w, k: v.unit_vector, "reverse": lambda V, v, w, k: v.reverse(),
    "dot": lambda V, v, w, k: V.dot_product(v, w), "cross": lambda V, v, w, k: v.cross_product(other=w),
    "adjust": lambda V, v, w, k: v.adjust_length(k), "rotate2d": lambda V, v, w, k: v.rotate2d(k),
    "copy": lambda V, v, w, k: v.copy(), "hash": lambda V, v, w, k: hash(v),
    "repr": lambda V, v, w, k: repr(v), "from_points": lambda V, v, w, k: V.vector_from_points(v, w),
    "cos": lambda V, v, w, k: V.cos(v, w), "sin": lambda V, v, w, k: V.sin(v, w),
    "angle": lambda V, v, w, k: V.angle(v, w), "angle_unsigned": lambda V, v, w, k: V.angle(v, w, False),
    "angle_compare": lambda V, v, w, k: V.angle(v, w, compare=True),
    "to_degree": lambda V, v, w, k: V.radian_to_degree(k), "to_radian": lambda V, v, w, k: V.degree_to_radian(k),
}


@settings(max_examples=400, deadline=None)
@given(triple, triple, number)
def test_vector_operations_match_the_plain_reference(a, b, k):
    for name, op in VALUE_OPS.items():
        if name == "hash" and math.isnan(sum(a)):
            continue  # a NaN hashes by identity in plain Python
        ours = solid_outcome(op, Vector3d, Vector3d(*a), Vector3d(*b), k)
        plain = solid_outcome(op, ref.Vector3d, ref.Vector3d(*a), ref.Vector3d(*b), k)
        assert ours == plain, name


@settings(max_examples=100, deadline=None)
@given(triple, triple, number)
def test_duck_vectors_are_read_through_their_attributes(a, b, k):
    for name, op in VALUE_OPS.items():
        if name in ("copy", "hash", "repr", "magnitude", "norm", "unit", "reverse", "adjust", "rotate2d", "div", "mul"):
            continue
        ours = solid_outcome(op, Vector3d, DuckVector3(*a), DuckVector3(*b), k)
        plain = solid_outcome(op, ref.Vector3d, DuckVector3(*a), DuckVector3(*b), k)
        assert ours == plain, name


def lacking_y():
    far_x = DuckVector3(5, 0, 0)
    del far_x.y
    return far_x


@pytest.mark.parametrize("call, error", [
    (lambda: Vector3d(1, 2, 3) == None, AttributeError),  # noqa: E711 - equality never declines
    (lambda: Vector3d(0, 0, 0) == lacking_y(), AttributeError),          # equality reads all six first
    (lambda: Vector3d.angle(Point3d(1, 0, 0), Vector3d(1, 0, 0)), AttributeError),  # angle reads magnitude
    (lambda: Vector3d.radian_to_degree("1"), TypeError),
    (lambda: Vector3d(1, 0, 0).rotate2d("north"), TypeError),
])
def test_refusals(call, error):
    with pytest.raises(error):
        call()


def test_short_vectors_are_their_own_unit_vectors_and_is_equal_stops_at_the_first_difference():
    for short in (Vector3d(0, 0, 0), Vector3d(1e-7, 0, 0)):
        assert short.unit_vector is short
    assert Vector3d(0, 0, 0).is_equal(lacking_y()) is False


def test_planar_rotation_takes_its_angle_or_a_stored_number():
    v = Vector3d(1, 0, 5)
    assert v.rotate2d(math.pi / 2) == Vector3d(0, 1, 5)
    for stored in (None, "north"):
        if stored is not None:
            v.angle = stored
        with pytest.raises(TypeError, match=r"^rotate2d\(\) needs an angle$"):
            v.rotate2d()
    v.angle = math.pi
    assert v.rotate2d().x == -1.0


@pytest.mark.parametrize("a, b, cos, sin", [
    ((1, 0, 0), (2, 0, 0), 1.0, 0.0),          # parallel: sine 0, not a division by zero
    ((1, 0, 0), (0, 0, 1), 0.0, 1.0),          # vertical turn: z of the cross product is 0
    ((1, 1, 1), (1, 1, 1), 1, 0.0),            # clamped: the int 1
    ((0, 0, 0), (1, 0, 0), None, None),
])
def test_cosine_and_signed_sine(a, b, cos, sin):
    c, s = Vector3d.cos(Vector3d(*a), Vector3d(*b)), Vector3d.sin(Vector3d(*a), Vector3d(*b))
    assert (c, type(c), s, type(s)) == (cos, type(cos), sin, type(sin))


def test_angle_flags_are_tested_by_identity():
    x, y = Vector3d(1, 0, 0), Vector3d(0, 1, 0)
    a = Vector3d.angle(y, x)
    assert type(a) is np.float64 and a == 3 * np.pi / 2 and Vector3d.angle(y, x, polar=False) == np.pi / 2
    assert Vector3d.angle(y, x, polar=0) == a == Vector3d.angle(y, x, None) == Vector3d.angle(y, x, compare=1)
    assert math.isclose(Vector3d.angle(y, x, compare=True), -0.2122065907891938)
