"""Circles and arcs copy, deep-copy and pickle as the same classes written in
plain Python would: a shallow copy shares the stored objects, a deep copy and
a pickle round trip copy them once each (sharing survives), numbers keep
their type, extra attributes come along, and an arc built without a complete
set of inputs comes back without attributes."""

import copy
import math
import multiprocessing
import pickle

import pytest

from Bowlet import Arc, Circle, Point, Vector

STORED = {Circle: ("center", "radius"),
          Arc: ("center", "radius", "circle", "start_radians", "end_radians", "wise", "start_point", "end_point")}


class Ring(Circle):
    """A subclass with its own attribute, as a caller would write one."""

    def __init__(self, center, radius, label):
        super().__init__(center, radius)
        self.label = label


class Fillet(Arc):
    pass


def shapes():
    return [
        Circle(Point(1, 2), 3),
        Circle(Point(0, 0), Point(1, 1), Point(2, 0)),
        Arc(Point(0, 0), 2, math.pi / 2, 0),
        Arc(start_point=Point(1, 0), arc_point=Point(0.6, 0.8), end_point=Point(-1, 0)),
        Arc(center=Point(0, 0), start_point=Point(2, 0), radians=-1.0),
        Arc(start_point=Point(0, 0), end_point=Point(1, 1), start_direction=Vector(1, 0)),
        Ring(Point(5, 5), 1.5, "column"),
        Fillet(start_point=Point(0, 0), end_point=Point(2, 0), start_direction=Vector(0, 1)),
    ]


def stored(shape):
    base = Circle if isinstance(shape, Circle) else Arc
    return [getattr(shape, name) for name in STORED[base]]


def pickled(obj, protocol=pickle.HIGHEST_PROTOCOL):
    return pickle.loads(pickle.dumps(obj, protocol))


ROUND_TRIPS = {"deepcopy": copy.deepcopy, "pickle 2": lambda o: pickled(o, 2), "pickle": pickled}


def assert_same_values(a, b):
    """Equal stored values of the same types; points compared exactly."""
    assert type(a) is type(b)
    for x, y in zip(stored(a), stored(b)):
        assert type(x) is type(y)
        if isinstance(x, (Circle, Arc)):
            assert_same_values(x, y)
        elif isinstance(x, Point):
            assert (x.x, x.y) == (y.x, y.y)
        else:
            assert x == y
    assert vars(a).keys() == vars(b).keys()


@pytest.mark.parametrize("shape", shapes(), ids=repr)
def test_a_shallow_copy_shares_the_stored_objects(shape):
    twin = copy.copy(shape)
    assert twin is not shape and type(twin) is type(shape)
    for x, y in zip(stored(shape), stored(twin)):
        assert x is y
    assert twin == shape and hash(twin) == hash(shape)


@pytest.mark.parametrize("trip", ROUND_TRIPS.values(), ids=ROUND_TRIPS.keys())
@pytest.mark.parametrize("shape", shapes(), ids=repr)
def test_deep_copies_and_pickles_copy_values_and_keep_their_types(shape, trip):
    twin = trip(shape)
    assert_same_values(shape, twin)
    assert twin == shape and hash(twin) == hash(shape) and repr(twin) == repr(shape)
    for x, y in zip(stored(shape), stored(twin)):
        assert x is not y or isinstance(x, (int, float))


@pytest.mark.parametrize("trip", ROUND_TRIPS.values(), ids=ROUND_TRIPS.keys())
def test_sharing_survives_a_round_trip(trip):
    arc = Arc(Point(0, 0), 2, 1.0, 0.5)
    assert arc.circle.center is arc.center
    p = Point(3, 3)
    c1, c2 = Circle(p, 1), Circle(p, 2)
    arc2, c3, d3 = trip([arc, c1, c2])
    assert arc2.circle.center is arc2.center
    assert c3.center is d3.center and c3.center is not p


@pytest.mark.parametrize("trip", [copy.copy] + list(ROUND_TRIPS.values()), ids=["copy"] + list(ROUND_TRIPS))
def test_an_arc_without_inputs_comes_back_without_attributes(trip):
    for empty in (Arc(), Arc(center=Point(0, 0), radius=1)):
        twin = trip(empty)
        assert type(twin) is Arc and vars(twin) == {}
        for name in STORED[Arc]:
            with pytest.raises(AttributeError, match=f"'Arc' object has no attribute '{name}'"):
                getattr(twin, name)


@pytest.mark.parametrize("trip", ROUND_TRIPS.values(), ids=ROUND_TRIPS.keys())
def test_numbers_keep_their_python_type(trip):
    arc = Arc(Point(0, 0), 2, 1, 0)
    c = Circle(Point(0, 0), 2 ** 70)
    arc2, c2 = trip([arc, c])
    assert type(arc2.radius) is int and type(arc2.start_radians) is int and type(arc2.wise) is int
    assert c2.radius == 2 ** 70 and type(c2.radius) is int
    assert type(c2.diameter) is int


@pytest.mark.parametrize("trip", [copy.copy] + list(ROUND_TRIPS.values()), ids=["copy"] + list(ROUND_TRIPS))
def test_extra_attributes_and_replaced_attributes_come_along(trip):
    ring = Ring(Point(1, 1), 2, "stair core")
    ring.note = ["checked"]
    ring.radius = "any object"
    twin = trip(ring)
    assert type(twin) is Ring and twin.label == "stair core" and twin.note == ["checked"]
    assert twin.radius == "any object"
    assert (twin.note is ring.note) == (trip is copy.copy)


def test_a_round_trip_keeps_working_shapes():
    arc = Arc(start_point=Point(0, 0), end_point=Point(1, 1), start_direction=Vector(1, 0))
    twin = pickled(arc)
    assert Arc.arc_to_polyline(twin, number=4) == Arc.arc_to_polyline(arc, number=4)
    assert twin.bound() == arc.bound() and twin.midpoint == arc.midpoint
    c = pickled(Circle(Point(0, 0), 1))
    crossings = Circle.circle_intersection(c, Circle(Point(1, 0), 1))
    assert [(p.x, p.y) for p in crossings] == [(0.5, -0.8660254037844386), (0.5, 0.8660254037844386)]


def test_shapes_cross_a_two_process_pool():
    originals = shapes()
    with multiprocessing.get_context("spawn").Pool(2) as pool:
        back = pool.map(copy.copy, originals)
    for a, b in zip(originals, back):
        assert_same_values(a, b)
        assert a == b
