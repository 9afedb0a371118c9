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
    "eq": lambda V, v, w, k: v == w,
    "is_equal": lambda V, v, w, k: v.is_equal(w),
    "add": lambda V, v, w, k: v + w,
    "sub": lambda V, v, w, k: v - w,
    "mul": lambda V, v, w, k: v * k,
    "div": lambda V, v, w, k: v / k,
    "magnitude": lambda V, v, w, k: v.magnitude,
    "norm": lambda V, v, w, k: v.norm,
    "unit": lambda V, v, w, k: v.unit_vector,
    "reverse": lambda V, v, w, k: v.reverse(),
    "dot": lambda V, v, w, k: V.dot_product(v, w),
    "cross": lambda V, v, w, k: v.cross_product(other=w),
    "adjust": lambda V, v, w, k: v.adjust_length(k),
    "rotate2d": lambda V, v, w, k: v.rotate2d(k),
    "copy": lambda V, v, w, k: v.copy(),
    "hash": lambda V, v, w, k: hash(v),
    "repr": lambda V, v, w, k: repr(v),
    "from_points": lambda V, v, w, k: V.vector_from_points(v, w),
    "cos": lambda V, v, w, k: V.cos(v, w),
    "sin": lambda V, v, w, k: V.sin(v, w),
    "angle": lambda V, v, w, k: V.angle(v, w),
    "angle_unsigned": lambda V, v, w, k: V.angle(v, w, False),
    "angle_compare": lambda V, v, w, k: V.angle(v, w, compare=True),
    "to_degree": lambda V, v, w, k: V.radian_to_degree(k),
    "to_radian": lambda V, v, w, k: V.degree_to_radian(k),
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


def test_lengths_and_unit_vectors():
    v = Vector3d(3, 4, 0)
    assert (v.magnitude, v.norm, Vector3d(-1, 2, -3).norm) == (5.0, 7.0, 6.0)
    u = v.unit_vector
    assert (u.x, u.y, u.z) == (0.6, 0.8, 0.0)
    for short in (Vector3d(0, 0, 0), Vector3d(1e-7, 0, 0)):
        assert short.unit_vector is short
    grown = Vector3d(1e-7, 0, 0).adjust_length(10)
    assert (grown.x, grown.y, grown.z) == (1e-06, 0.0, 0.0)
    with pytest.raises(OverflowError):
        Vector3d(2e154, 0, 0).magnitude


def test_products_and_operators():
    assert Vector3d(1, 2, 3).dot_product(Vector3d(4, -5, 6)) == 12.0
    z = Vector3d.cross_product(Point3d(1, 0, 0), Point3d(0, 1, 0))
    assert type(z) is Vector3d and (z.x, z.y, z.z) == (0.0, 0.0, 1.0)
    assert Vector3d(1, 2, 3) == Point3d(1, 2, 3)
    assert type(Vector3d(1, 2, 3) + Point3d(1, 1, 1)) is Vector3d
    with pytest.raises(ZeroDivisionError):
        Vector3d(1, 2, 3) / 0
    with pytest.raises(TypeError):
        Vector3d(1, 2, 3) * Vector3d(1, 2, 3)
    with pytest.raises(AttributeError):
        Vector3d(1, 2, 3) == None  # noqa: E711


def test_is_equal_reads_lazily():
    far_x = DuckVector3(5, 0, 0)
    del far_x.y
    assert Vector3d(0, 0, 0).is_equal(far_x) is False
    with pytest.raises(AttributeError):
        Vector3d(0, 0, 0) == far_x  # noqa: B015


def test_planar_rotation_takes_its_angle_or_a_stored_one():
    v = Vector3d(1, 0, 5)
    r = v.rotate2d(math.pi / 2)
    assert (r.x, r.y, r.z) == (6.123233995736766e-17, 1.0, 5.0)
    with pytest.raises(TypeError, match=r"^rotate2d\(\) needs an angle$"):
        v.rotate2d()
    v.angle = math.pi
    assert v.rotate2d().x == -1.0
    v.angle = "north"
    with pytest.raises(TypeError, match=r"^rotate2d\(\) needs an angle$"):
        v.rotate2d()
    with pytest.raises(TypeError):
        v.rotate2d("north")


@pytest.mark.parametrize("a, b, cos, sin", [
    ((1, 0, 0), (0, 1, 0), 0.0, 1.0),
    ((0, 1, 0), (1, 0, 0), 0.0, -1.0),
    ((1, 0, 0), (2, 0, 0), 1.0, 0.0),          # parallel: sine 0, not a division by zero
    ((1, 0, 0), (0, 0, 1), 0.0, 1.0),          # vertical turn: z of the cross product is 0
    ((1, 1, 1), (1, 1, 1), 1, 0.0),            # clamped: the int 1
    ((1, 1, 0), (1, 1, 0), 0.9999999999999998, 0.0),
    ((0, 0, 0), (1, 0, 0), None, None),
])
def test_cosine_and_signed_sine(a, b, cos, sin):
    c, s = Vector3d.cos(Vector3d(*a), Vector3d(*b)), Vector3d.sin(Vector3d(*a), Vector3d(*b))
    assert c == cos and type(c) is type(cos)
    assert s == sin and type(s) is type(sin)


def test_angles_are_numpy_scalars_and_flags_are_tested_by_identity():
    x, y = Vector3d(1, 0, 0), Vector3d(0, 1, 0)
    a = Vector3d.angle(y, x)
    assert type(a) is np.float64 and a == 3 * np.pi / 2
    assert Vector3d.angle(y, x, polar=False) == np.pi / 2
    assert Vector3d.angle(y, x, polar=0) == a and Vector3d.angle(y, x, None) == a
    assert math.isclose(Vector3d.angle(y, x, compare=True), -0.2122065907891938)
    assert Vector3d.angle(y, x, compare=1) == a
    assert Vector3d.angle(Vector3d(0, 0, 0), x) is None
    with pytest.raises(AttributeError):
        Vector3d.angle(Point3d(1, 0, 0), x)


def test_degrees_and_radians():
    assert Vector3d.radian_to_degree(math.pi / 2) == 90.0 and Vector3d.radian_to_degree(1) == 57.3
    assert Vector3d.degree_to_radian(180) == math.pi and Vector3d.degree_to_radian(90) == 1.5707963267948966
    with pytest.raises(TypeError):
        Vector3d.radian_to_degree("1")
