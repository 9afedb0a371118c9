"""Bad input never takes the interpreter down.

Every operation of Point and Vector is called, in this process, with NaN,
infinities, huge integers, None, text, foreign objects and broken
stand-ins; the only acceptable outcomes are a result or an ordinary Python
exception (a crash would end the test run itself)."""

import math

import numpy as np
import pytest
from hypothesis import HealthCheck, given, settings
from hypothesis import strategies as st

from Flatkin import Point, Vector

from common import Duck, DuckVector

NAN, INF = float("nan"), float("inf")

# numpy warns about cos(inf) and complex angles; the answers are what count here.
pytestmark = pytest.mark.filterwarnings("ignore::RuntimeWarning", "ignore:Casting complex values")


class Exploding:
    """Every attribute read raises."""

    def __getattr__(self, name):
        raise RuntimeError(f"no {name} here")


class FloatRaises:
    def __float__(self):
        raise ValueError("refuses to be a float")

    def __index__(self):
        raise ValueError("refuses to be an index")


class WeirdMagnitude(Duck):
    magnitude = "long"


class BadLen(list):
    def __len__(self):
        raise RuntimeError("no length")


class LyingLen(list):
    """Claims more elements than it holds."""

    def __len__(self):
        return super().__len__() + 5


class BadCount(list):
    def count(self, value):
        raise RuntimeError("cannot count")


class Index:
    def __index__(self):
        return 3


SCALARS = [NAN, INF, -INF, 0.0, -0.0, 1e-320, 1e308, -1e308, 0, 1, -1, True, False, 2 ** 63, -2 ** 63 - 1,
           10 ** 400, -10 ** 400, np.float64(NAN), np.float32(2.5), np.int64(7), Index(), 1j, FloatRaises()]
FOREIGN = [None, "a", "1.5", "", " nan ", b"1", object(), [], [1, 2], {}, {"x": 1, "y": 2}, (1, 2),
           np.array([1.0, 2.0]), np.zeros(0), Exploding(), math, print, Point, Vector]


def stand_ins():
    return [Duck(None, None), Duck("a", "b"), Duck("1", "2"), Duck(NAN, INF), Duck(10 ** 400, 1),
            Duck(1, FloatRaises()), Duck(Exploding(), 0), DuckVector(NAN, NAN), DuckVector(1e200, 1),
            WeirdMagnitude(1, 1), Point(NAN, NAN), Point(INF, -INF), Point(1e308, -1e308), Point(0, 0),
            Point(-0.0, 1e-320), Vector(INF, NAN), Vector(0, 0), Vector(1e-7, 0), Vector(3, 4)]


def lists_of(elements):
    return st.one_of(
        st.lists(elements, max_size=6),
        st.lists(elements, max_size=6).map(tuple),
        st.lists(elements, max_size=6).map(iter),
        st.lists(elements, max_size=4).map(BadLen),
        st.lists(elements, max_size=4).map(LyingLen),
        st.lists(elements, max_size=4).map(BadCount),
    )


scalar = st.sampled_from(SCALARS)
foreign = st.sampled_from(FOREIGN)
stand_in = st.builds(lambda i: stand_ins()[i], st.integers(0, len(stand_ins()) - 1))
point_like = st.one_of(stand_in, st.builds(Point, st.floats(), st.floats()),
                       st.builds(Vector, st.floats(), st.floats()))
anything = st.one_of(scalar, foreign, point_like, lists_of(st.one_of(point_like, scalar, foreign)))
safe_count = st.sampled_from([NAN, None, "3", -1, 0, 2, True, -10 ** 400, 2.5, object(), Index(), FloatRaises()])

# (label, callable, number of arguments, special strategy per position)
OPERATIONS = []


def op(label, func, arity, **special):
    OPERATIONS.append((label, func, arity, special))


for name in ["__init__", "__repr__", "__hash__", "__eq__", "__round__", "__add__", "__sub__", "is_equal",
             "is_greater", "is_less", "distance_to_point", "rotate", "move", "copy", "tween"]:
    func = getattr(Point, name)
    arity = {"__repr__": 1, "__hash__": 1, "copy": 1, "rotate": 3, "tween": 3, "__init__": 3}.get(name, 2)
    op(f"Point.{name}", func, arity)
for name in ["find_nearest_point", "find_farthest_point", "calculate_slope", "count_point_occurrences",
             "is_has_same_point"]:
    op(f"Point.{name}", getattr(Point, name), 2)
for name in ["remove_duplicate_points", "select_unique_points", "is_has_duplicate_points", "get_min_point",
             "get_min_point_id", "get_max_point", "get_max_point_id", "find_nearest_two_points", "find_center"]:
    op(f"Point.{name}", getattr(Point, name), 1)
op("Point.zero", Point.zero, 0)
op("Point.generate_random_points", Point.generate_random_points, 3, p0=safe_count)
op("Point.random_points", Point.random_points, 3, p0=safe_count)
op("Point.random_point", Point.random_point, 2)
op("Point.plot_points", Point.plot_points, 2)
op("Point(x, y)", Point, 2)
op("Vector(x, y)", Vector, 2)
for name in ["__init__", "__repr__", "__hash__", "__eq__", "__add__", "__sub__", "__mul__", "__truediv__",
             "reverse", "is_equal", "adjust_length", "rotate", "copy"]:
    arity = {"__repr__": 1, "__hash__": 1, "copy": 1, "reverse": 1, "__init__": 3}.get(name, 2)
    op(f"Vector.{name}", getattr(Vector, name), arity)
for name in ["magnitude", "norm", "unit_vector"]:
    op(f"Vector.{name}", (lambda n: lambda v: getattr(v, n))(name), 1,
       p0=st.builds(Vector, st.one_of(st.floats(), st.sampled_from([1e200, 1e-200])), st.floats()))
for name, arity in [("vector_from_points", 2), ("dot_product", 2), ("cross_product", 2), ("angle", 4),
                    ("radian_to_degree", 1), ("degree_to_radian", 1), ("cos", 2), ("sin", 2),
                    ("projection_point", 3), ("projection_distance", 3), ("projection_length", 3),
                    ("projection_vector", 3), ("mirror", 3), ("intersection", 4), ("relative_position", 3),
                    ("polar_angle", 2), ("sort_points_by_polar_angle", 2), ("area_of_triangle", 3),
                    ("is_clockwise", 3), ("is_counter_clockwise", 3), ("is_linear", 1)]:
    op(f"Vector.{name}", getattr(Vector, name), arity)
op("p == x", lambda a, b: a == b, 2)
op("p != x", lambda a, b: a != b, 2)
op("x in [p]", lambda a, b: a in [b], 2)
op("p + x", lambda a, b: a + b, 2)
op("p - x", lambda a, b: a - b, 2)
op("v * x", lambda a, b: a * b, 2)
op("v / x", lambda a, b: a / b, 2)
op("round(p, n)", lambda a, b: round(a, b), 2, p0=point_like)
op("set of points", lambda a, b: {a, b}, 2)
op("p.x = value", lambda p, v: setattr(p, "x", v), 2, p0=point_like)
op("sorted(points)", lambda pts: sorted(pts), 1)


def assert_only_python_errors(func, args, kwargs=None):
    try:
        result = func(*args, **(kwargs or {}))
    except SystemError as exc:  # an internal fault, never an answer
        raise AssertionError(f"SystemError from {args!r}: {exc}") from exc
    except Exception:
        return None
    # A result must be an ordinary, printable, well-formed object.
    try:
        repr(result)
    except Exception:
        pass
    return result


@pytest.mark.parametrize("label, func, arity, special", OPERATIONS, ids=[o[0] for o in OPERATIONS])
@given(data=st.data())
@settings(max_examples=60, deadline=None, suppress_health_check=list(HealthCheck))
def test_operation_survives_bad_input(label, func, arity, special, data):
    n = data.draw(st.sampled_from([arity] * 6 + [max(arity - 1, 0), arity + 1]), label="count")
    args = []
    for i in range(n):
        strategy = special.get(f"p{i}", anything)
        args.append(data.draw(strategy, label=f"arg{i}"))
    assert_only_python_errors(func, args)


@pytest.mark.parametrize("label, func, arity, special", OPERATIONS, ids=[o[0] for o in OPERATIONS])
def test_operation_survives_every_fixed_bad_value(label, func, arity, special):
    if "p0" in special:
        pytest.skip("guarded first argument")
    values = SCALARS + FOREIGN + stand_ins()
    good = Point(1, 2)
    for value in values:
        for position in range(arity):
            args = [good] * arity
            args[position] = value
            assert_only_python_errors(func, args)
        if arity:
            assert_only_python_errors(func, [[good, value, good]] + [good] * (arity - 1))
            assert_only_python_errors(func, [value] * arity)


@pytest.mark.parametrize("keyword", ["self", "other", "points", "x", "y", "n", "t", "a", "bogus", "", "0"])
def test_keywords_never_crash(keyword):
    for _, func, arity, _ in OPERATIONS:
        assert_only_python_errors(func, [Point(1, 2)] * max(arity - 1, 0), {keyword: Point(3, 4)})


def test_a_list_that_changes_while_it_is_read_does_not_crash():
    class Shrinking(list):
        def __getitem__(self, i):
            if len(self) > 1:
                self.pop()
            return super().__getitem__(i)

    class Stealer:
        def __init__(self, victims):
            self.victims = victims

        @property
        def x(self):
            self.victims.clear()
            return 0.0

        y = 0.0

    for query in (Point.get_min_point, Point.get_max_point_id, Point.find_nearest_two_points,
                  Point.remove_duplicate_points, Point.is_has_duplicate_points, Point.select_unique_points,
                  Point.find_center, Vector.is_linear, Vector.sort_points_by_polar_angle):
        assert_only_python_errors(query, [Shrinking([Point(0, 0), Point(1, 1), Point(2, 2)])])
        victims = [Point(0, 0), Point(1, 1), Point(2, 2), Point(3, 3)]
        victims.insert(1, Stealer(victims))
        assert_only_python_errors(query, [victims])
        victims = [Point(0, 0), Point(1, 1)]
        victims.append(Stealer(victims))
        assert_only_python_errors(Point.find_nearest_point, [Point(0, 0), victims])
        assert_only_python_errors(Point.count_point_occurrences, [Point(0, 0), victims])


def test_an_epsilon_that_is_not_a_number_gives_python_errors(monkeypatch):
    import Flatkin
    for value in (None, "1e-6", [1e-6], NAN, INF, -1.0):
        monkeypatch.setattr(Flatkin, "epsilon", value)
        pts = [Point(0, 0), Point(1e-7, 0), Point(1, 1)]
        for func, args in ((Point.__eq__, (pts[0], pts[1])), (Point.remove_duplicate_points, (pts,)),
                           (Point.get_min_point, (pts,)), (lambda v: v.unit_vector, (Vector(3, 4),)),
                           (Point.calculate_slope, (pts[0], pts[2])), (Vector.angle, (Vector(1, 0), Vector(0, 1))),
                           (Point.select_unique_points, (pts,)), (Point.is_has_duplicate_points, (pts,))):
            assert_only_python_errors(func, args)
    monkeypatch.delattr(Flatkin, "epsilon")
    assert_only_python_errors(Point.__eq__, (Point(0, 0), Point(0, 0)))
    assert_only_python_errors(Point.remove_duplicate_points, ([Point(0, 0), Point(0, 0)],))
