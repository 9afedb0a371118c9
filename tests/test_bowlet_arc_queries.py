"""Arc: identity, measures, in-place changes, angle domain, points, normals,
bound and sampling."""

import math

import pytest
from hypothesis import assume, given, settings, strategies as st

from Bowlet import Arc, Point, Vector
from common import assert_xy

PI = math.pi


def ccw(start, end, radius=1, center=(0, 0)):
    """The arc about `center` from `start` to `end` in the first mode."""
    return Arc(Point(*center), radius, end - start, start)


# ------------------------------------------------------------ identity

def test_text_form():
    assert repr(Arc(Point(0, 0), 2, PI / 2, 0)) == \
        "Arc (Center:Point(0.0, 0.0),R:2,Radians:1.5707963267948966,start_radians:0)"
    assert repr(Arc(Point(0, 0), 1.23456, 1, 2)) == "Arc (Center:Point(0.0, 0.0),R:1.23,Radians:1,start_radians:2)"


def test_equality_compares_centre_radius_and_angles_only():
    a = Arc(Point(0, 0), 2, 1.0, 0.5)
    assert a == Arc(Point(0.0000005, 0), 2.0, 1.0, 0.5)
    assert a != Arc(Point(0.000002, 0), 2, 1.0, 0.5)
    assert a != Arc(Point(0, 0), 2, 1.0, 0.6)
    b = Arc(Point(0, 0), 2, 1.0, 0.5)
    b.wise, b.end_point = 0, None
    assert a == b
    assert hash(a) == hash(Arc(Point(0, 0), 2.0, 1.0, 0.5)) == hash((a.center, 2, 0.5, 1.5))
    with pytest.raises(AttributeError, match="'NoneType' object has no attribute 'center'"):
        a == None  # noqa: E711


def test_identical_values_are_equal_by_identity():
    nan = math.nan
    a = Arc(Point(0, 0), 1, 1.0, nan)
    b = Arc(a.center, 1, 1.0, nan)
    b.end_radians = a.end_radians
    assert a == b


def test_iteration_is_a_snapshot_of_four_values():
    a = Arc(Point(0, 0), 2, 1.0, 0.5)
    it = iter(a)
    a.radius = 99
    assert list(it) == [a.center, 2, 0.5, 1.5]
    center, radius, start, end = a
    assert radius == 99 and (start, end) == (0.5, 1.5)


# ------------------------------------------------------------ measures

def test_measures_of_a_quarter_arc():
    a = Arc(Point(0, 0), 2, PI / 2, 0)
    assert a.radians == PI / 2
    assert a.length == PI
    assert a.parameter_domain == (0.0, 0.25)
    assert a.circumference == 4 * PI
    assert a.diameter == 4.0 and type(a.diameter) is float
    assert a.is_circle is False
    assert a.get_sector_area == PI


def test_clockwise_measures_are_positive():
    a = Arc(Point(0, 0), 2, -PI / 2, PI)
    assert (a.radians, a.length, a.get_sector_area) == (-PI / 2, PI, PI)


@pytest.mark.parametrize("sweep, closed", [
    (2 * PI - 0.0005, True), (2 * PI + 0.0005, True), (-2 * PI, True), (2 * PI - 0.002, False),
])
def test_is_circle_within_a_thousandth_of_a_turn(sweep, closed):
    assert Arc(Point(0, 0), 1, sweep, 0.0).is_circle is closed


@pytest.mark.parametrize("name", ["radians", "length", "parameter_domain", "circumference", "diameter",
                                  "is_circle", "midpoint", "get_sector_area"])
def test_measures_are_read_only_properties(name):
    a = Arc(Point(0, 0), 1, 1.0, 0.5)
    with pytest.raises(AttributeError, match="setter|can't set attribute"):
        setattr(a, name, 1)
    assert isinstance(vars(Arc)[name], property)


# ------------------------------------------------------- in-place changes

def test_changes_replace_centre_or_radius_only():
    p = Point(1, 0)
    a = Arc(p, 2, 1.0, 0.5)
    before = (a.circle, a.start_radians, a.end_radians, a.wise, a.start_point, a.end_point)
    a.set_center(1, 2)
    assert_xy(a.center, 1.0, 2.0)
    a.move(Vector(1, 1))
    assert_xy(a.center, 2.0, 3.0)
    a.rotate(Point(0, 0), PI)
    assert a.center == Point(-2, -3)
    a.set_radius(3)
    assert a.radius == 3.0 and type(a.radius) is float
    a.scale(2)
    assert a.radius == 6.0
    a.offset(distance=-7)
    assert a.radius == -1.0 and a.length < 0
    assert (a.circle, a.start_radians, a.end_radians, a.wise, a.start_point, a.end_point) == before
    assert_xy(p, 1.0, 0.0)
    assert a.circle.center is p


@pytest.mark.parametrize("method, args", [
    ("set_radius", ("2",)), ("scale", ("2",)), ("offset", (None,)), ("set_center", (1, "2")), ("rotate", ("origin", "1")),
])
def test_float_parameters_refuse_text(method, args):
    a = Arc(Point(0, 0), 2, 1.0, 0.5)
    args = tuple(Point(0, 0) if arg == "origin" else arg for arg in args)
    with pytest.raises(TypeError, match="must be real number, not (str|NoneType)"):
        getattr(a, method)(*args)
    assert a.radius == 2 and a.center == Point(0, 0)


# ------------------------------------------------------------ domain

@pytest.mark.parametrize("start, sweep, inside, outside", [
    (0.5, 1.0, [0.5, 1.0, 1.5, 1], [0.4, 1.6, 1.0 + 2 * PI]),
    (1.5, -1.0, [0.5, 1.0, 1.5], [1.6, 0.4]),                       # clockwise
    (-PI / 2, PI / 2, [-PI / 2, -0.1, 0.0], [0.1, 3 * PI / 2]),     # passes angle 0
    (7.0, 1.0, [7.0, 7.5, 8.0], [7.5 - 2 * PI]),                    # beyond a turn
])
def test_domain_is_the_closed_interval_between_the_angles(start, sweep, inside, outside):
    arc = Arc(Point(0, 0), 1, sweep, start)
    assert all(arc.is_radians_in_domain(t) is True for t in inside)
    assert all(arc.is_radians_in_domain(radians=t) is False for t in outside)


def test_an_unknown_direction_has_no_domain():
    a = ccw(0.5, 1.5)
    a.wise = 2
    assert a.is_radians_in_domain(1.0) is None
    assert a.is_point_on_arc(Point(math.cos(1.0), math.sin(1.0))) is None
    with pytest.raises(Exception, match="^Radians is not in domain$"):
        a.point_at_radians(1.0)


def test_domain_converts_its_angle():
    with pytest.raises(TypeError, match="must be real number, not str"):
        ccw(0.5, 1.5).is_radians_in_domain("1.0")


@pytest.mark.parametrize("distance, angle, on", [
    (1.0009, 1.0, True), (1.0011, 1.0, False), (1.0, 2.0, False), (1.0, 0.75, True), (0.9991, 1.4, True),
])
def test_point_on_arc(distance, angle, on):
    p = Point(distance * math.cos(angle), distance * math.sin(angle))
    assert ccw(0.5, 1.5).is_point_on_arc(p) is on


def test_arcs_through_angle_zero_find_their_own_points():
    fillet = Arc(start_point=Point(0, 0), end_point=Point(1, 1), start_direction=Vector(1, 0))
    assert (fillet.start_radians, fillet.end_radians) == (-PI / 2, 0.0)
    for p in (fillet.start_point, fillet.end_point, fillet.midpoint, fillet.point_at_parameter(0.3)):
        assert fillet.is_point_on_arc(p) is True
    assert fillet.is_point_on_arc(Point(-1, 1)) is False
    assert_xy(fillet.tangent(fillet.start_point), 1.0, fillet.tangent(fillet.start_point).y)


def test_arcs_beyond_a_turn_find_their_own_points():
    a = ccw(7.0, 8.0)
    assert a.is_point_on_arc(a.midpoint) is True
    assert a.is_point_on_arc(a.point_at_parameter(0.1)) is True
    assert a.is_point_on_arc(Point(math.cos(6.5), math.sin(6.5))) is False


def test_point_on_arc_uses_the_moved_arc():
    a = ccw(0.5, 1.5)
    a.move(Vector(10, 0))
    assert a.is_point_on_arc(Point(10 + math.cos(1.0), math.sin(1.0))) is True
    assert a.is_point_on_arc(Point(math.cos(1.0), math.sin(1.0))) is False
    a.rotate(Point(0, 0), PI)
    assert a.is_point_on_arc(Point(-10 + math.cos(1.0), math.sin(1.0))) is True


# ------------------------------------------------------------ points

def test_midpoint_is_the_same_for_either_direction():
    expected = (0.5403023058681398, 0.8414709848078965)
    assert_xy(ccw(0.5, 1.5).midpoint, *expected)
    assert_xy(Arc(Point(0, 0), 1, -1.0, 1.5).midpoint, *expected)


def test_point_at_radians_checks_the_domain():
    a = ccw(0.5, 1.5, radius=2, center=(1, 1))
    assert_xy(a.point_at_radians(1.0), 1 + 2 * math.cos(1.0), 1 + 2 * math.sin(1.0))
    with pytest.raises(Exception, match="^Radians is not in domain$"):
        a.point_at_radians(2.0)
    with pytest.raises(TypeError, match="NoneType"):
        a.point_at_radians()


def test_point_at_parameter_runs_on_beyond_the_ends():
    a = ccw(0.5, 1.5)
    assert a.point_at_parameter(0) == a.start_point
    assert a.point_at_parameter(1) == a.end_point
    assert a.point_at_parameter(2) == Point(math.cos(2.5), math.sin(2.5))
    cw = Arc(Point(0, 0), 1, -1.0, 1.5)
    assert cw.point_at_parameter(0.5) == Point(math.cos(1.0), math.sin(1.0))
    with pytest.raises(TypeError, match=r"unsupported operand type\(s\) for \*: 'float' and 'NoneType'"):
        a.point_at_parameter()


@pytest.mark.parametrize("sweep, start, normal, tangent", [
    (1.5, 0.5, (0, 1), (-1, 0)),
    (-1.5, 2.0, (0, -1), (1, 0)),
])
def test_normal_is_right_of_travel_and_tangent_along_it(sweep, start, normal, tangent):
    arc = Arc(Point(0, 0), 2, sweep, start)
    n = arc.perpendicular(Point(0, 2))
    t = arc.tangent(point=Point(0, 2))
    assert type(n) is Vector and type(t) is Vector
    assert n == Vector(*normal) and t == Vector(*tangent)


def test_normal_off_the_arc_raises():
    a = Arc(Point(0, 0), 2, 1.5, 0.5)
    for method in (a.perpendicular, a.tangent):
        with pytest.raises(Exception, match="^Given point is not on circle!$") as info:
            method(Point(0, -2))
        assert type(info.value) is Exception
    with pytest.raises(AttributeError, match="'NoneType' object has no attribute 'x'"):
        a.perpendicular()


# ------------------------------------------------------------ bound

def test_bound_of_a_quarter_to_half_arc_takes_only_the_top():
    a = ccw(0.25, 2.0)
    assert a.bound() == (math.cos(2.0), math.sin(0.25), math.cos(0.25), 1)


@pytest.mark.parametrize("start, end, box", [
    (0.1, 0.05 + 2 * PI, (-1, -1, 1, 1)),            # same quadrant, sweep > pi: the whole circle
    (0.1, 0.5, None),                                 # inside one quadrant: the end points' box
    (0.1, 0.1 + 2 * PI, (-1, -1, 1, 1)),
    (0.1, 0.1 + 5 * PI, (-1, -1, 1, 1)),
])
def test_bound_of_arcs_in_one_quadrant(start, end, box):
    a = ccw(start, end)
    if box is None:
        s, e = a.start_point, a.end_point
        box = (min(s.x, e.x), min(s.y, e.y), max(s.x, e.x), max(s.y, e.y))
    assert a.bound() == pytest.approx(box, abs=1e-15)


def test_bound_of_clockwise_and_wrapping_arcs():
    cw = Arc(Point(0, 0), 1, -PI, PI / 2)      # from the top down through the right to the bottom
    assert cw.bound() == pytest.approx((0.0, -1.0, 1.0, 1.0), abs=1e-15)
    fillet = Arc(start_point=Point(0, 0), end_point=Point(2, 0), start_direction=Vector(0, 1))
    assert fillet.bound() == pytest.approx((0.0, 0.0, 2.0, 1.0), abs=1e-15)
    wrap = ccw(3 * PI / 4, 2 * PI)
    assert wrap.bound() == pytest.approx((-1.0, -1.0, 1.0, math.sin(3 * PI / 4)), abs=1e-15)


def test_bound_of_a_nan_angle_raises_value_error():
    with pytest.raises(ValueError, match="cannot convert float NaN to integer"):
        ccw(math.nan, 1.0).bound()


# ------------------------------------------------------------ sampling

@pytest.mark.parametrize("number, parameters", [
    (0, [1 / 3, 2 / 3]), (1, [1 / 3, 2 / 3]), (2, [1 / 3, 2 / 3]), (4, [1 / 5, 2 / 5, 3 / 5, 4 / 5]),
])
def test_sampling_by_number_leaves_out_both_ends(number, parameters):
    a = ccw(0.25, 1.0, radius=3, center=(1, 2))
    points = Arc.arc_to_polyline(a, number=number)
    assert type(points) is list
    assert [(p.x, p.y) for p in points] == [(q.x, q.y) for q in map(a.point_at_parameter, parameters)]


@pytest.mark.parametrize("length, count", [(7, 4), (5, 2), (9, 4), (1, 2), (20, 10)])
def test_sampling_by_length_rounds_half_to_even(length, count):
    assert len(Arc.arc_to_polyline(ccw(0.0, 2.0), length=length)) == count


def test_number_wins_over_length_and_neither_raises():
    a = ccw(0.0, 2.0)
    assert len(Arc.arc_to_polyline(a, number=3, length=100)) == 3
    with pytest.raises(Exception, match="^No number and no length given!$") as info:
        Arc.arc_to_polyline(a)
    assert type(info.value) is Exception
    with pytest.raises(Exception, match="^No number and no length given!$"):
        Arc.arc_to_polyline()


def test_sampling_refuses_a_float_number_and_a_zero_length_arc():
    a = ccw(0.0, 2.0)
    with pytest.raises(TypeError, match="'float' object cannot be interpreted as an integer"):
        Arc.arc_to_polyline(a, number=4.0)
    assert len(Arc.arc_to_polyline(a, number=1.5)) == 2   # raised to the int 2 first
    with pytest.raises(ZeroDivisionError, match="division by zero"):
        Arc.arc_to_polyline(ccw(1.0, 1.0), length=1)


def test_sampling_uses_the_arcs_own_point_at_parameter():
    class Marked(Arc):
        def point_at_parameter(self, parameter=None):
            return parameter
    a = Marked(Point(0, 0), 1, 1.0, 0.0)
    assert Arc.arc_to_polyline(a, number=3) == [0.25, 0.5, 0.75]


def test_sampling_through_an_instance_and_of_an_int_arc():
    a = Arc(Point(0, 0), 2, 3, 0)
    points = a.arc_to_polyline(a, 2)
    assert [(p.x, p.y) for p in points] == [(q.x, q.y) for q in (a.point_at_parameter(1 / 3), a.point_at_parameter(2 / 3))]


arcs = st.tuples(
    st.floats(-50, 50), st.floats(-50, 50), st.floats(0.01, 40),
    st.floats(-4 * PI, 4 * PI), st.floats(-2.5 * PI, 2.5 * PI).filter(lambda s: abs(s) > 1e-6),
)


@settings(max_examples=200, deadline=None)
@given(arcs, st.integers(0, 40))
def test_sampled_points_lie_on_the_arc_and_inside_its_bound(data, number):
    cx, cy, r, start, sweep = data
    a = Arc(Point(cx, cy), r, sweep, start)
    points = Arc.arc_to_polyline(a, number=number)
    assert len(points) == max(number, 2)
    min_x, min_y, max_x, max_y = a.bound()
    tol = 1e-9 * max(1.0, r, abs(cx), abs(cy))
    for p in points + [a.start_point, a.end_point]:
        assert abs(math.hypot(p.x - cx, p.y - cy) - r) <= 1e-9 * max(1.0, r)
        assert min_x - tol <= p.x <= max_x + tol and min_y - tol <= p.y <= max_y + tol
    for p in points:
        assert a.is_point_on_arc(p) is True


@settings(max_examples=150, deadline=None)
@given(arcs)
def test_bound_is_the_tightest_box_of_the_arc(data):
    cx, cy, r, start, sweep = data
    a = Arc(Point(cx, cy), r, sweep, start)
    dense = Arc.arc_to_polyline(a, number=2000) + [a.start_point, a.end_point]
    box = a.bound()
    dense_box = (min(p.x for p in dense), min(p.y for p in dense), max(p.x for p in dense), max(p.y for p in dense))
    # Never smaller than the arc, and larger only by the last sliver between samples.
    slack = r * (1 - math.cos(abs(sweep) / 2000)) + 1e-9 * max(1.0, r, abs(cx), abs(cy))
    assert box[0] <= dense_box[0] + 1e-12 and box[1] <= dense_box[1] + 1e-12
    assert box[2] >= dense_box[2] - 1e-12 and box[3] >= dense_box[3] - 1e-12
    for got, want in zip(box, dense_box):
        assert abs(got - want) <= slack + 1e-9


@settings(max_examples=100, deadline=None)
@given(arcs, st.floats(0, 1))
def test_points_at_parameters_and_angles_are_on_the_arc(data, t):
    cx, cy, r, start, sweep = data
    assume(abs(sweep) < 2 * PI)
    a = Arc(Point(cx, cy), r, sweep, start)
    p = a.point_at_parameter(t)
    # Angles come from an arc cosine, good to about 2e-8 rad next to an end.
    assert a.is_point_on_arc(p) or min(t, 1 - t) * abs(sweep) < 1e-7
    if a.is_point_on_arc(p):
        n = a.perpendicular(p)
        assert n.magnitude == pytest.approx(1.0)


def arcs_of_every_construction(rng):
    """One arc of each of the four constructions, on a random circle."""
    c = Point(rng.uniform(-1e4, 1e4), rng.uniform(-1e4, 1e4))
    r, start, sweep = rng.uniform(0.5, 50), rng.uniform(-7, 7), rng.choice([-1, 1]) * rng.uniform(0.01, 6.2)

    def at(angle):
        return Point(c.x + r * math.cos(angle), c.y + r * math.sin(angle))

    yield Arc(center=c, radius=r, start_radians=start, radians=sweep)
    yield Arc(center=c, start_point=at(start), radians=sweep)
    yield Arc(start_point=at(start), arc_point=at(start + sweep / 2), end_point=at(start + sweep))
    d = Vector(-math.sin(start), math.cos(start)) * (1 if sweep > 0 else -1)
    yield Arc(start_point=at(start), end_point=at(start + sweep), start_direction=d)


@pytest.mark.parametrize("seed", range(300))
def test_arcs_hold_their_own_ends_and_points_at_their_end_angles(seed):
    import random
    for a in arcs_of_every_construction(random.Random(seed)):
        c, r = a.center, a.radius
        ends = [a.start_point, a.end_point] + [
            Point(c.x + r * math.cos(t), c.y + r * math.sin(t)) for t in (a.start_radians, a.end_radians)]
        for p in ends:
            assert a.is_point_on_arc(p) is True
            assert a.tangent(p).x == pytest.approx(-a.perpendicular(p).y, abs=1e-12)
        lower, upper = sorted((a.start_radians, a.end_radians))
        if upper - lower < 2 * PI - 1e-5:  # clearly outside, on either side
            for t in (lower - 1e-6, upper + 1e-6):
                p = Point(c.x + r * math.cos(t), c.y + r * math.sin(t))
                assert a.is_point_on_arc(p) is False
                with pytest.raises(Exception, match="Given point is not on circle!"):
                    a.tangent(p)


def test_an_arc_from_its_centre_and_angles_holds_its_start():
    a = Arc(center=Point(0, 0), radius=1, start_radians=0.1, radians=1.0)
    assert a.is_point_on_arc(a.start_point) is True and a.is_point_on_arc(a.end_point) is True
    assert (a.tangent(a.start_point).x, a.tangent(a.start_point).y) == pytest.approx((-math.sin(0.1), math.cos(0.1)))
