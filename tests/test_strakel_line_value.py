"""Line as a value: construction, text form, equality and hash, direction,
slope, intercept, reversal and copying."""

import math

import pytest

from Flatkin import Point, Vector
from Strakel import Line

from common import Duck, assert_xy, same_float


def line(ax, ay, bx, by):
    return Line(Point(ax, ay), Point(bx, by))


# ------------------------------------------------------------ construction

def test_the_constructor_keeps_the_given_objects():
    a, b = Point(0, 0), Point(1, 2)
    l = Line(a, b)
    assert l.start is a and l.end is b


def test_the_constructor_takes_keywords_and_stores_anything():
    l = Line(start=1, end="x")
    assert l.start == 1 and l.end == "x"
    l.start = None
    assert l.start is None


def test_end_points_are_writable_and_instances_take_new_attributes():
    l = line(0, 0, 1, 0)
    q = Point(5, 5)
    l.end = q
    assert l.end is q
    l.name = "grid A"
    assert l.name == "grid A"


def test_init_called_again_rebinds_the_points():
    l = line(0, 0, 1, 0)
    p, q = Point(3, 3), Point(4, 4)
    Line.__init__(l, p, q)
    assert l.start is p and l.end is q


def test_a_line_that_refers_to_itself_is_collected():
    import gc
    import weakref

    class Probe:
        pass

    l = Line(None, None)
    probe = Probe()
    l.start, l.end = l, probe
    ref = weakref.ref(probe)
    del l, probe
    gc.collect()
    assert ref() is None


# ------------------------------------------------------------ text form

@pytest.mark.parametrize("pts, text", [
    ((0, 1, 2, 5), "Line:y=2.0x+1.0"),
    ((0, -3, 1, -1), "Line:y=2.0x-3.0"),
    ((1, 0, 3, -4), "Line:y=-2.0x+2.0"),
    ((0, 0, 2, 1), "Line:y=0.5x"),
    ((2, 0, 2, 5), "Line:y=Nonex+2.0"),
    ((-1, 0, -1, 5), "Line:y=Nonex-1.0"),
    ((0, 0, 0, 5), "Line:y=Nonex"),
    ((0, 0, 0.0000005, 1), "Line:y=Nonex"),
    ((0, 0, 0.000001, 1), "Line:y=1000000.0x"),
    ((0, 2, 3, 2.0000005), "Line:y=1.66666666689963e-07x+2.0"),
    ((2, 3, 0, 3), "Line:y=-0.0x+3.0"),
    ((1, 1, 1, 1), "Line:y=Nonex+1.0"),
])
def test_the_text_form_shows_slope_and_signed_intercept(pts, text):
    l = line(*pts)
    assert repr(l) == text
    assert l.__repr__() == text and str(l) == text


def test_a_nan_intercept_is_left_out_of_the_text():
    assert repr(line(0, float("nan"), 1, 1)) == "Line:y=nanx"


# ------------------------------------------------------------ slope, intercept

@pytest.mark.parametrize("pts, slope, intercept", [
    ((0, 1, 2, 5), 2.0, 1.0),
    ((1, 0, 3, -4), -2.0, 2.0),
    ((0, 0, 2, 1), 0.5, 0.0),
    ((2, 0, 2, 5), None, 2.0),
    ((0, 0, 0.0000005, 1), None, 0.0),       # below epsilon: vertical
    ((0, 0, 0.000001, 1), 1000000.0, 0.0),   # exactly epsilon: not vertical
    ((0, 2, 3, 2.0000005), 0.5e-6 / 3 * 1.0000000000000002, 2.0),
    ((2, 3, 0, 3), -0.0, 3.0),
    ((1, 1, 1, 1), None, 1.0),
    ((5, 2, 5.0000009, 9), None, 5.0),       # vertical test comes first
])
def test_slope_and_intercept(pts, slope, intercept):
    l = line(*pts)
    if slope is None:
        assert l.slope is None
    else:
        assert l.slope == pytest.approx(slope, rel=1e-12)
        assert math.copysign(1, l.slope) == math.copysign(1, slope)
    assert same_float(l.intercept, float(intercept))


def test_a_nearly_flat_line_takes_the_y_of_its_start_as_intercept():
    l = line(10, 2, 13, 2.0000005)
    assert l.intercept == 2.0
    assert line(10, 2, 13, 2.000001).intercept == pytest.approx(2.0 - 10 * (0.000001 / 3))


@pytest.mark.parametrize("pts, vector, unit", [
    ((0, 1, 2, 5), (2.0, 4.0), (0.4472135954999579, 0.8944271909999159)),
    ((1, 1, 1, 1), (0.0, 0.0), (0.0, 0.0)),
    ((0, 0, 1e-7, 0), (1e-7, 0.0), (1e-7, 0.0)),    # too short to normalise
    ((3, 4, 0, 0), (-3.0, -4.0), (-0.6, -0.8)),
])
def test_vector_and_unit_vector_are_new_vectors(pts, vector, unit):
    l = line(*pts)
    assert_xy(l.vector, *vector, cls=Vector)
    assert_xy(l.unit_vector, *unit, cls=Vector)
    assert l.vector is not l.vector


def test_properties_follow_the_current_points():
    l = line(0, 0, 1, 1)
    assert l.slope == 1.0
    l.end = Point(1, 3)
    assert l.slope == 3.0


def test_a_coordinate_too_large_to_square_raises_overflow_error_for_the_unit_vector():
    with pytest.raises(OverflowError, match="^math range error$"):
        line(0, 0, 1e200, 0).unit_vector
    assert line(0, 0, 1e200, 0).vector.x == 1e200


# ------------------------------------------------------------ equality and hash

@pytest.mark.parametrize("a, b, equal", [
    ((0, 0, 1, 1), (5, 5, 7, 7), True),
    ((0, 0, 1, 1), (0, 1, 1, 2), False),
    ((2, 3, 0, 3), (0, 3, 2, 3), True),                 # slopes -0.0 and 0.0
    ((0, 0, 1, 1.0004), (0, 0, 1, 1.0002), True),       # both round to 1.0
    ((0, 0, 1, 1.00049), (0, 0, 1, 1.00051), False),
    # vertical lines compare their intercepts; vertical and sloped differ
    ((2, 0, 2, 5), (2, 7, 2, 9), True),
    ((2, 0, 2, 5), (2.0004, 7, 2.0004, 9), True),
    ((2, 0, 2, 5), (3, 0, 3, 5), False),
    ((2, 0, 2, 5), (0, 0, 1, 1), False),
    ((0, 0, 1, 1), (2, 0, 2, 5), False),
])
def test_lines_are_equal_when_rounded_slopes_and_intercepts_agree(a, b, equal):
    la, lb = line(*a), line(*b)
    assert (la == lb) is equal
    assert (lb == la) is equal
    assert (la != lb) is (not equal)
    if equal:
        assert hash(la) == hash(lb)


def test_a_vertical_line_can_be_looked_up_in_a_list_and_a_set():
    vertical = line(2, 0, 2, 5)
    lines = [line(0, 0, 1, 1), line(2, 3, 2, 8)]
    assert vertical in lines
    assert line(4, 0, 4, 1) not in lines
    assert len({vertical, line(2, 1, 2, 2), line(0, 0, 1, 1)}) == 2


def test_the_hash_of_the_diagonal_is_the_hash_of_its_slope_and_intercept():
    assert hash(line(0, 0, 1, 1)) == hash((1.0, 0.0))
    assert hash(line(0, 1, 2, 5)) == hash((2.0, 1.0))


def test_equality_reads_slope_and_intercept_of_any_object():
    class Fake:
        slope, intercept = 2.0, 1.0

    assert line(0, 1, 2, 5) == Fake()
    Fake.slope = None
    assert not line(0, 1, 2, 5) == Fake()
    with pytest.raises(AttributeError, match="^'NoneType' object has no attribute 'slope'$"):
        line(0, 0, 1, 1) == None  # noqa: E711
    with pytest.raises(AttributeError, match="^'int' object has no attribute 'slope'$"):
        line(0, 0, 1, 1) == 5


def test_ordering_is_refused():
    with pytest.raises(TypeError):
        line(0, 0, 1, 1) < line(0, 0, 2, 2)  # noqa: B015


# ------------------------------------------------------------ reverse, copy

def test_reverse_swaps_the_stored_objects_in_place():
    a, b = Point(0, 0), Point(2, 1)
    l = Line(a, b)
    assert l.reverse() is None
    assert l.start is b and l.end is a
    assert_xy(l.vector, -2, -1)
    assert l.slope == 0.5


def test_reverse_of_a_vertical_line_takes_the_other_x_as_intercept():
    l = line(2, 0, 2.0000005, 5)
    l.reverse()
    assert l.intercept == 2.0000005


def test_copy_shares_the_points_and_is_independent():
    l = line(0, 0, 1, 1)
    c = l.copy()
    assert type(c) is Line and c is not l
    assert c.start is l.start and c.end is l.end
    c.reverse()
    assert l.start is c.end


def test_a_subclass_copies_into_a_plain_line():
    class Grid(Line):
        pass

    g = Grid(Point(0, 0), Point(1, 1))
    assert type(g.copy()) is Line
    assert type(g.offset(1)) is Line
    assert g.slope == 1.0


# ------------------------------------------------------------ bad input

@pytest.mark.parametrize("start, end, error", [
    (None, (0, 0), AttributeError),
    ((0, 0), "text", AttributeError),
    (Duck("a", 0), (0, 0), TypeError),
])
def test_points_without_numeric_coordinates_raise_python_errors(start, end, error):
    l = Line(*(Point(*p) if type(p) is tuple else p for p in (start, end)))
    for prop in ("slope", "intercept", "vector", "unit_vector"):
        with pytest.raises(error):
            getattr(l, prop)
    with pytest.raises(error):
        repr(l)
    with pytest.raises(error):
        hash(l)


@pytest.mark.parametrize("value", [math.inf, -math.inf, math.nan])
def test_non_finite_coordinates_never_crash(value):
    l = line(0, 0, value, 1)
    repr(l)
    hash(l)
    l.slope, l.intercept, l.vector, l.unit_vector
    l == line(0, 0, 1, 1)
