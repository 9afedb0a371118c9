"""Bad input never brings the interpreter down: every Segment operation
either answers or raises an ordinary Python exception."""

import inspect
import math
import random

import pytest

from common import Duck
from Flatkin import Point, Vector
from Strakel import Line, Ray, Segment

pytestmark = [
    pytest.mark.filterwarnings("ignore:No artists with labels"),
    pytest.mark.filterwarnings("ignore:nanobind. attempted to access an uninitialized instance"),
]

nan, inf = math.nan, math.inf

VALUES = [None, nan, inf, -inf, 0, 1, -1, 1e300, "a", b"x", [], (), [None], Point(0, 0),
          Point(nan, 1), Point(inf, 0), Duck(1, 2), Duck("a", 1), Vector(1, 1), object()]


def segments():
    return [Segment(Point(0, 0), Point(1, 1)), Segment(Point(1, 1), Point(1, 1)),
            Segment(Point(nan, 0), Point(1, inf)), Segment(None, None), Segment(1, 2),
            Segment(Duck(0, 0), Duck(3, 4)), Segment(Point(1e300, 0), Point(-1e300, 1e300)),
            Segment.__new__(Segment), Line(Point(0, 0), Point(1, 0)), Ray(Point(0, 0), Vector(1, 0))]


def pool():
    segs = segments()
    return VALUES + segs + [[Segment(Point(0, 0), Point(1, 1)), Segment(Point(0, 1), Point(1, 0))],
                            [segs[2], segs[3]], [segs[7]], [segs[0], segs[0]]]


def _callable_members():
    for name, member in Segment.__dict__.items():
        if isinstance(member, property) or name.startswith("__") and name not in (
                "__repr__", "__eq__", "__hash__", "__init__"):
            continue
        if name in ("plot_segments", "divide_by_length", "divide_by_count"):
            continue  # checked below with bounded sizes
        yield name


@pytest.mark.parametrize("name", sorted(_callable_members()))
def test_any_arguments_give_an_answer_or_a_python_exception(name):
    rnd = random.Random(name)
    f = getattr(Segment, name)
    for nargs in range(4):
        for _ in range(40):
            items = pool()
            args = [rnd.choice(segments() if i == 0 else items) for i in range(nargs)]
            try:
                f(*args)
            except Exception:
                pass


@pytest.mark.parametrize("name", ["vector", "normal", "unit_vector", "unit_normal", "length", "midpoint",
                                  "endpoints", "bound"])
def test_properties_of_odd_segments_answer_or_raise(name):
    getter = Segment.__dict__[name].fget
    for s in segments() + VALUES:
        try:
            getter(s)
        except Exception:
            pass


@pytest.mark.parametrize("count", [None, nan, "3", -5, 0, 1, 2, 3.0, True, 10**30, -10**30])
def test_divide_by_count_with_odd_counts(count):
    try:
        Segment(Point(0, 0), Point(1, 0)).divide_by_count(count)
    except (TypeError, ZeroDivisionError, OverflowError, MemoryError):
        pass


@pytest.mark.parametrize("interval", [None, nan, inf, -inf, "1", 0, -1, 0.5, 2])
def test_divide_by_length_with_odd_intervals(interval):
    for s in segments()[:6]:
        try:
            s.divide_by_length(interval)
        except (TypeError, ValueError, AttributeError, OverflowError):
            pass


def test_plot_segments_with_odd_input_raises_python_exceptions():
    for args in ([None], [[None]], [[Segment(1, 2)]], [[Segment(Point(0, 0), Point(1, 1))], 5],
                 [5], [[Segment(Point(nan, 0), Point(inf, 1))], None, False]):
        try:
            Segment.plot_segments(*args)
        except Exception:
            pass


def test_uninitialised_segments_raise_type_error():
    s = Segment.__new__(Segment)
    for f in (lambda: s.length, lambda: hash(s), lambda: repr(s)):
        with pytest.raises(TypeError):
            f()
    for f in (lambda: s.start, lambda: list(s)):  # fields never set, as in a plain class
        with pytest.raises(AttributeError, match="no attribute 'start'"):
            f()


@pytest.mark.parametrize(
    "call, error",
    [
        (lambda s, t: Segment.extract_nodes_from_segments((s, t)), AttributeError),
        (lambda s, t: Segment.extract_nodes_from_segments([s, 5]), AttributeError),
        (lambda s, t: Segment.extract_nodes_from_segments([s, Segment(None, None)]), AttributeError),
        (lambda s, t: Segment.extract_nodes_from_segments("ab"), AttributeError),
        (lambda s, t: Segment.intersection_points("ab"), AttributeError),
        (lambda s, t: Segment.construct_lines(5), TypeError),
        (lambda s, t: s.break_by_points(5), TypeError),
        (lambda s, t: s.break_by_points([5]), AttributeError),
        (lambda s, t: Segment.loft(s, 5), AttributeError),
        (lambda s, t: Segment.tween_segment(s, None), AttributeError),
        (lambda s, t: Segment.plot_segments([Segment(1, 2)], show=False), AttributeError),
    ],
)
def test_wrong_containers_and_elements_raise(call, error):
    s, t = Segment(Point(0, 0), Point(1, 0)), Segment(Point(1, 0), Point(2, 0))
    with pytest.raises(error):
        call(s, t)
