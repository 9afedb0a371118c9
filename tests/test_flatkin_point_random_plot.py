"""Point: seeded random points, rotation, moving, copying, the centre of a list,
interpolation, the nearest pair and the scatter plot."""

import math

import matplotlib.colors as mcolors
import matplotlib.pyplot as plt
import numpy as np
import pytest
from hypothesis import given, settings
from hypothesis import strategies as st

from Flatkin import Point, Vector

import common
from common import Duck, assert_xy, same_float

PI = math.pi
NAN = float("nan")
COLOURS = ["b", "g", "r", "c", "m", "y", "k"]


# ----------------------------------------------------------- random points

def drawn(n, x_range=(-10, 10), y_range=(-10, 10)):
    """The same draws written out: x then y from numpy's shared generator."""
    out = []
    for _ in range(n):
        x = np.random.uniform(x_range[0], x_range[1])
        y = np.random.uniform(y_range[0], y_range[1])
        out.append((float(x), float(y)))
    return out


@pytest.mark.parametrize("generate", [Point.generate_random_points, Point.random_points])
@pytest.mark.parametrize("seed, n, x_range, y_range", [
    (0, 5, (-10, 10), (-10, 10)),
    (42, 3, (0, 1), (100, 200)),
    (7, 4, [2.5, -2.5], (0.0, 1e-9)),
    (1, 2, (0, 1, 99), (5, 6, "ignored")),
])
def test_random_points_follow_numpys_seeded_draws_x_then_y(generate, seed, n, x_range, y_range):
    np.random.seed(seed)
    pts = generate(n, x_range, y_range)
    after = np.random.uniform()
    np.random.seed(seed)
    expected = drawn(n, x_range, y_range)
    assert type(pts) is list and all(type(p) is Point for p in pts)
    assert [(p.x, p.y) for p in pts] == expected
    # exactly two draws per point, nothing more
    assert np.random.uniform() == after


def test_default_ranges_are_minus_ten_to_ten():
    np.random.seed(5)
    pts = Point.generate_random_points(4)
    np.random.seed(5)
    assert [(p.x, p.y) for p in pts] == drawn(4)
    np.random.seed(5)
    p = Point.random_point()
    np.random.seed(5)
    assert (p.x, p.y) == drawn(1)[0]


def test_random_point_is_one_element_of_the_list():
    np.random.seed(11)
    many = Point.generate_random_points(3, (0, 5), (5, 10))
    np.random.seed(11)
    again = Point.random_points(3, (0, 5), (5, 10))
    np.random.seed(11)
    one = Point.random_point((0, 5), (5, 10))
    assert [(p.x, p.y) for p in many] == [(p.x, p.y) for p in again]
    assert (one.x, one.y) == (many[0].x, many[0].y)


def test_a_zero_width_range_gives_its_bound():
    pts = Point.generate_random_points(5, x_range=(5, 5))
    assert all(p.x == 5.0 and type(p.x) is float for p in pts)


@pytest.mark.parametrize("n", [0, -3, False])
def test_no_points_for_a_count_of_zero_or_less(n):
    np.random.seed(2)
    before = np.random.get_state()[1].copy()
    assert Point.generate_random_points(n) == [] and Point.random_points(n) == []
    assert (np.random.get_state()[1] == before).all()


@pytest.mark.parametrize("n", [2.0, "3", None])
def test_a_count_that_is_not_an_integer_raises_type_error(n):
    with pytest.raises(TypeError):
        Point.random_points(n)
    with pytest.raises(TypeError):
        Point.generate_random_points(n)


@pytest.mark.parametrize("x_range, error", [(5, TypeError), ((1,), IndexError), (None, TypeError)])
def test_a_range_without_two_items_raises(x_range, error):
    with pytest.raises(error):
        Point.generate_random_points(1, x_range)
    with pytest.raises(error):
        Point.random_point(x_range)


@given(st.integers(0, 2 ** 32 - 1), st.integers(0, 6),
       st.tuples(st.floats(-1e6, 1e6), st.floats(-1e6, 1e6)),
       st.tuples(st.integers(-100, 100), st.integers(-100, 100)))
@settings(max_examples=100, deadline=None)
def test_random_points_equal_the_written_out_draws(seed, n, x_range, y_range):
    np.random.seed(seed)
    pts = Point.random_points(n, x_range, y_range)
    np.random.seed(seed)
    assert [(p.x, p.y) for p in pts] == drawn(n, x_range, y_range)


# ------------------------------------------------------------------ rotate

@pytest.mark.parametrize("point, angle, center, expected", [
    (Point(1, 0), PI, Point(0, 0), (-1.0, 1.2246467991473532e-16)),
    (Point(1, 0), PI / 2, Point(0, 0), (6.123233995736766e-17, 1.0)),
    (Point(2, 1), 0, Point(1, 1), (2.0, 1.0)),
    (Point(2, 1), PI / 2, Point(1, 1), (1.0, 2.0)),
    (Point(5, 5), 1.234, Point(5, 5), (5.0, 5.0)),
])
def test_rotate_turns_counter_clockwise_about_the_centre(point, angle, center, expected):
    r = point.rotate(angle, center)
    assert type(r) is Point and r is not point
    assert common.approx_xy(r, *expected, tol=1e-15)
    if angle in (0, PI):
        assert_xy(r, *expected)


def test_rotate_by_keyword_matches_rotate_by_position():
    p, c = Point(3, -2), Point(1, 1)
    a = p.rotate(0.7, c)
    for b in (p.rotate(angle=0.7, center=c), Point.rotate(self=p, angle=0.7, center=c),
              p.rotate(center=c, angle=0.7)):
        assert (a.x, a.y) == (b.x, b.y)


def test_rotate_takes_its_angle_as_a_float():
    p, c = Point(3, -2), Point(1, 1)
    assert (p.rotate(1, c).x, p.rotate(1, c).y) == (p.rotate(1.0, c).x, p.rotate(1.0, c).y)
    assert (p.rotate(True, c).x, p.rotate(True, c).y) == (p.rotate(1.0, c).x, p.rotate(1.0, c).y)
    with pytest.raises(TypeError):
        p.rotate("1", c)
    with pytest.raises(TypeError):
        p.rotate(1)


def test_rotate_leaves_receiver_and_centre_alone():
    p, c = Point(3, -2), Point(1, 1)
    p.rotate(2.0, c)
    assert (p.x, p.y, c.x, c.y) == (3.0, -2.0, 1.0, 1.0)


def rotated_reference(px, py, angle, cx, cy, cos, sin):
    vx, vy = px - cx, py - cy
    c, s = cos(angle), sin(angle)
    return (float(c * vx - s * vy + cx), float(s * vx + c * vy + cy))


@given(st.floats(-1e6, 1e6), st.floats(-1e6, 1e6), st.floats(-20, 20), st.floats(-1e3, 1e3),
       st.floats(-1e3, 1e3))
@settings(max_examples=200, deadline=None)
def test_rotate_is_the_rotation_formula_about_the_centre(px, py, angle, cx, cy):
    r = Point(px, py).rotate(angle, Duck(cx, cy))
    got = (r.x, r.y)
    assert got in (rotated_reference(px, py, angle, cx, cy, np.cos, np.sin),
                   rotated_reference(px, py, angle, cx, cy, math.cos, math.sin))


# ------------------------------------------------------ move, copy, tween

def test_move_returns_a_new_point_and_leaves_the_receiver():
    p = Point(1, 2)
    m = p.move(Vector(3, -1))
    assert_xy(m, 4, 1, Point)
    assert_xy(p, 1, 2, Point)
    assert_xy(p.move(vector=Duck(0.5, 0.5)), 1.5, 2.5, Point)
    with pytest.raises(AttributeError):
        p.move(None)


def test_copy_is_equal_but_not_the_same_object():
    p = Point(1.5, -2)
    c = p.copy()
    assert c == p and c is not p and type(c) is Point
    assert_xy(Point.copy(Duck(3, "4")), 3, 4, Point)   # float() of each coordinate


@pytest.mark.parametrize("t, expected", [(0.25, (2.5, 5.0)), (2, (20.0, 40.0)), (-1, (-10.0, -20.0)),
                                         (0, (0.0, 0.0)), (1, (10.0, 20.0))])
def test_tween_interpolates_and_extrapolates(t, expected):
    assert_xy(Point(0, 0).tween(Point(10, 20), t), *expected, cls=Point)


def test_tween_keywords_and_float_conversion():
    assert_xy(Point.tween(self=Point(0, 0), point2=Point(4, 4), t=0.5), 2, 2, Point)
    with pytest.raises(TypeError):
        Point(0, 0).tween(Point(4, 4), "0.5")


@given(st.floats(-1e6, 1e6), st.floats(-1e6, 1e6), st.floats(-1e6, 1e6), st.floats(-1e6, 1e6),
       st.floats(-3, 3))
@settings(max_examples=200, deadline=None)
def test_tween_is_self_plus_the_difference_times_t(ax, ay, bx, by, t):
    r = Point(ax, ay).tween(Duck(bx, by), t)
    assert same_float(r.x, ax + (bx - ax) * t) and same_float(r.y, ay + (by - ay) * t)


# ----------------------------------------------------------------- centre

def test_find_center_is_the_mean_of_the_coordinates():
    assert_xy(Point.find_center([Point(0, 0), Point(2, 0), Point(2, 2)]),
              1.3333333333333333, 0.6666666666666666, Point)
    assert_xy(Point.find_center((Duck(1, 1),)), 1, 1, Point)


def test_find_center_of_nothing_raises_zero_division_error():
    with pytest.raises(ZeroDivisionError):
        Point.find_center([])


def test_find_center_needs_a_length():
    with pytest.raises(TypeError):
        Point.find_center(iter([Point(1, 1)]))


@given(st.lists(st.tuples(st.floats(-1e300, 1e300), st.floats(-1e6, 1e6)), min_size=1, max_size=30))
@settings(max_examples=200, deadline=None)
def test_find_center_sums_left_to_right_then_divides(coords):
    xs = ys = 0
    for x, y in coords:
        xs += x
        ys += y
    r = Point.find_center([Point(x, y) for x, y in coords])
    n = float(len(coords))
    assert same_float(r.x, xs / n) and same_float(r.y, ys / n)


# ---------------------------------------------------------- nearest pair

def test_nearest_two_points_prefers_the_earliest_pair():
    pts = [Point(0, 0), Point(1, 0), Point(5, 5), Point(6, 5)]
    first, second = Point.find_nearest_two_points(pts)
    assert first is pts[0] and second is pts[1]


def test_nearest_two_points_of_fewer_than_two_is_a_pair_of_nones():
    assert Point.find_nearest_two_points([]) == (None, None)
    assert Point.find_nearest_two_points([Point(1, 1)]) == (None, None)
    assert type(Point.find_nearest_two_points([])) is tuple


def test_nearest_two_points_returns_the_elements_in_list_order():
    pts = (Point(9, 9), Point(0, 0), Point(4, 4), Point(9.5, 9))
    first, second = Point.find_nearest_two_points(pts)
    assert first is pts[0] and second is pts[3]


def test_nearest_two_points_never_chooses_a_nan_distance():
    pts = [Point(NAN, 0), Point(NAN, 0), Point(3, 0), Point(0, 0)]
    first, second = Point.find_nearest_two_points(pts)
    assert first is pts[2] and second is pts[3]
    assert Point.find_nearest_two_points([Point(NAN, 0), Point(NAN, 0)]) == (None, None)


@pytest.mark.parametrize("tiny", [5e-324, 1e-300, 1.416860526414255e-300, 1e-200, 1e-170])
def test_nearest_two_points_ranks_an_underflowing_distance_as_zero(tiny):
    # tiny**2 underflows to 0.0: that pair is as close as identical points
    # and comes first.
    pts = [Point(0, 0), Point(tiny, 0), Point(0, 0)]
    first, second = Point.find_nearest_two_points(pts)
    assert first is pts[0] and second is pts[1]


def test_nearest_two_points_keeps_ties_in_pair_order_on_a_grid():
    pts = [Point(i % 7, i // 7) for i in range(49)]
    pts.reverse()
    first, second = Point.find_nearest_two_points(pts)
    assert first is pts[0] and second is pts[1]


def test_nearest_two_points_raises_when_a_square_overflows():
    with pytest.raises(OverflowError):
        Point.find_nearest_two_points([Point(1e200, 0), Point(-1e200, 0)])
    with pytest.raises(OverflowError):
        Point.find_nearest_two_points([Point(0, 0), Point(0, 1e-3), Point(1e200, 0), Point(-1e200, 0)])


# -------------------------------------------------------------------- plot

def scatter_of(ax):
    assert len(ax.collections) == 1
    return ax.collections[0]


def expected_colour(seed):
    np.random.seed(seed)
    return mcolors.to_rgba(np.random.choice(COLOURS))


def test_plot_points_without_show_draws_unlabelled_points(monkeypatch):
    calls = []
    monkeypatch.setattr(plt, "show", lambda *a, **k: calls.append(1))
    np.random.seed(3)
    pts = [Point(1, 2), Point(3, 4), Point(-1, 0.5)]
    assert Point.plot_points(pts, show=False) is None
    ax = plt.gca()
    sc = scatter_of(ax)
    assert sc.get_offsets().tolist() == [[1, 2], [3, 4], [-1, 0.5]]
    assert tuple(sc.get_facecolor()[0]) == expected_colour(3)
    assert len(ax.texts) == 0 and calls == []


def test_plot_points_with_show_labels_from_one_and_shows(monkeypatch):
    calls = []
    monkeypatch.setattr(plt, "show", lambda *a, **k: calls.append(1))
    np.random.seed(8)
    pts = [Point(1, 2), Point(3, 4), Point(-1, 0.5)]
    Point.plot_points(pts)
    ax = plt.gca()
    sc = scatter_of(ax)
    assert tuple(sc.get_facecolor()[0]) == expected_colour(8)
    assert [t.get_text() for t in ax.texts] == ["1", "2", "3"]
    assert [tuple(t.xy) for t in ax.texts] == [(1.0, 2.0), (3.0, 4.0), (-1.0, 0.5)]
    assert calls == [1]


def test_plot_points_wraps_a_single_point(monkeypatch):
    monkeypatch.setattr(plt, "show", lambda *a, **k: None)
    Point.plot_points(Point(1, 2), show=True)
    ax = plt.gca()
    assert scatter_of(ax).get_offsets().tolist() == [[1, 2]]
    assert [t.get_text() for t in ax.texts] == ["1"]


def test_plot_points_draws_one_colour_per_call_from_numpy():
    np.random.seed(21)
    Point.plot_points([Duck(0, 0), Duck(1, 1)], show=0)
    after = np.random.uniform()
    np.random.seed(21)
    np.random.choice(COLOURS)
    assert np.random.uniform() == after
    assert len(plt.gca().texts) == 0


def test_plot_points_uses_the_current_figure():
    before = plt.get_fignums()
    fig = plt.gcf()
    Point.plot_points([Point(0, 0)], show="yes")
    assert plt.get_fignums() == before and plt.gcf() is fig


def test_plot_points_of_an_empty_list_draws_an_empty_scatter(monkeypatch):
    calls = []
    monkeypatch.setattr(plt, "show", lambda *a, **k: calls.append(1))
    Point.plot_points([])
    assert len(scatter_of(plt.gca()).get_offsets()) == 0
    assert calls == [1]


def test_plot_points_needs_coordinates():
    with pytest.raises(AttributeError):
        Point.plot_points([Point(0, 0), None], show=False)
