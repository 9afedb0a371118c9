"""Line operations: direction tests, crossings, side and on-line tests,
moving, offsets, interpolation, closest point, distance and the plot."""

import matplotlib.pyplot as plt
import numpy as np
import pytest

import Strakel
from Flatkin import Point, Vector
from Strakel import Line, Ray

from common import Duck, assert_xy

pytestmark = pytest.mark.filterwarnings("ignore:No artists with labels")


def line(ax, ay, bx, by):
    return Line(Point(ax, ay), Point(bx, by))


# ------------------------------------------------------------ direction tests

@pytest.mark.parametrize("other, parallel", [
    ((0, 0, 0.1, 0.3), False),      # cross product -5.55e-17, not 0
    ((5, 5, 7, 11), True),
    ((0, 0, -1, -3), True),         # opposite directions count
    ((0, 0, 3, 1), False),
    ((4, 4, 4, 4), True),           # a zero-length line is parallel to all
])
def test_is_parallel_compares_the_cross_product_exactly_with_zero(other, parallel):
    assert line(0, 0, 1, 3).is_parallel(line(*other)) is parallel


@pytest.mark.parametrize("other, perpendicular, same_direction", [
    ((3, 3, 3, 8), True, False),
    ((0, 0, 2, 1), False, True),
    ((1, 0, 0, 0), False, False),
    ((2, 2, 2, 2), True, False),
])
def test_perpendicular_and_same_direction(other, perpendicular, same_direction):
    l = line(0, 0, 1, 0)
    assert l.is_perpendicular(line(*other)) is perpendicular
    assert l.is_same_direction(line(*other)) is same_direction


def test_direction_tests_read_the_vector_of_any_object():
    class Segmentish:
        vector = Vector(0, 5)

    assert line(0, 0, 1, 0).is_perpendicular(Segmentish())
    with pytest.raises(AttributeError, match="^'Ray' object has no attribute 'vector'$"):
        line(0, 0, 1, 0).is_parallel(Ray(Point(0, 0), Vector(1, 0)))
    with pytest.raises(AttributeError, match="^'NoneType' object has no attribute 'vector'$"):
        line(0, 0, 1, 0).is_parallel(None)


# ------------------------------------------------------------ crossings

@pytest.mark.parametrize("a, b, expected", [
    ((0, 0, 1, 1), (0, 1, 1, 0), (0.5, 0.5)),
    ((0, 0, 1, 1), (0, 1, 1, 2), None),            # parallel
    ((0, 0, 1, 1), (5, 5, 7, 7), None),            # the same line
    ((2, 0, 2, 5), (0, 3, 1, 3), (2.0, 3.0)),
    ((2, 0, 2, 5), (3, 0, 3, 5), None),            # both vertical
    ((0, 0, 1, 0), (5, -1, 5, 1), (5.0, 0.0)),     # beyond both point pairs
    ((0, 0, 0.000001, 5), (0, 0, 4, 2), (0.0, 0.0)),  # within epsilon: vertical
])
def test_intersection_with_line_is_the_crossing_of_the_infinite_lines(a, b, expected):
    p = line(*a).intersection_with_line(line(*b))
    if expected is None:
        assert p is None
    else:
        assert_xy(p, *expected, cls=Point)


def test_the_crossing_takes_its_vertical_test_from_flatkin_epsilon(monkeypatch):
    import Flatkin
    a, b = line(0, 0, 0.5, 5), line(0, 1, 4, 3)
    assert a.intersection_with_line(b).x != 0.0
    monkeypatch.setattr(Flatkin, "epsilon", 1.0)
    assert_xy(a.intersection_with_line(b), 0.0, 1.0)


def test_intersection_with_line_reads_start_and_end_of_any_object():
    class Pair:
        start, end = Duck(0, 1), Duck(1, 0)

    assert_xy(line(0, 0, 1, 1).intersection_with_line(Pair()), 0.5, 0.5)


def test_intersection_with_segment_asks_the_segment():
    seen = []

    class Other:
        def intersection_with_line(self, l):
            seen.append(l)
            return "answer"

    l = line(0, 0, 1, 1)
    assert l.intersection_with_segment(Other()) == "answer"
    assert l.intersection_with_ray(Other()) == "answer"
    assert seen == [l, l]


@pytest.mark.parametrize("direction, expected", [
    ((1, 1), (1.0, 1.0)),
    ((-1, -1), None),            # the crossing lies behind the origin
])
def test_intersection_with_ray_keeps_points_on_the_ray(direction, expected):
    ray = Ray(Point(0, 0), Vector(*direction))
    p = line(2, 0, 0, 2).intersection_with_ray(ray)
    if expected is None:
        assert p is None
    else:
        assert_xy(p, *expected)


def test_a_ray_subclass_is_asked_through_its_own_method():
    class Beam(Ray):
        def intersection_with_line(self, other):
            return "beam"

    assert line(2, 0, 0, 2).intersection_with_ray(Beam(Point(0, 0), Vector(1, 1))) == "beam"


def test_intersection_with_segment_of_the_module():
    Segment = getattr(Strakel, "Segment", None)
    if Segment is None:
        pytest.skip("Segment is not built yet")
    l = line(0, 0, 1, 1)
    assert_xy(l.intersection_with_segment(Segment(Point(0, 2), Point(2, 0))), 1.0, 1.0)
    assert l.intersection_with_segment(Segment(Point(2, 0), Point(3, -1))) is None


# ------------------------------------------------------------ side and on-line

@pytest.mark.parametrize("point, side", [
    ((0, 1), 0), ((0, -1), 1), ((5, 0), 2), ((5, 1e-9), 0), ((-3, -1e-300), 1),
])
def test_relative_position_has_no_tolerance(point, side):
    assert line(0, 0, 1, 0).relative_position(Point(*point)) == side


@pytest.mark.parametrize("pts, point, on", [
    ((0, 0, 1, 0), (0.5, 0.0000015), True),     # area 7.5e-7
    ((0, 0, 1, 0), (1000, 0.0000015), True),    # the line is infinite
    ((0, 0, 1, 0), (0.5, 0.000002), False),     # area exactly 1e-6: strict
    ((0, 0, 10, 0), (5, 0.0000015), False),     # area 7.5e-6
    ((1, 1, 1, 1), (50, -7), True),             # every point is on a point-line
])
def test_is_on_line_is_a_strict_area_test(pts, point, on):
    assert line(*pts).is_on_line(Point(*point)) is on


# ------------------------------------------------------------ move and offsets

def test_move_rebinds_both_points_to_new_points():
    p, q = Point(0, 0), Point(1, 1)
    l = Line(p, q)
    assert l.move(Vector(1, 2)) is None
    assert_xy(l.start, 1, 2, cls=Point)
    assert_xy(l.end, 2, 3, cls=Point)
    assert_xy(p, 0, 0) and assert_xy(q, 1, 1)


def test_a_failing_move_leaves_both_points_in_place():
    p = Point(0, 0)
    l = Line(p, Duck("x", 0))
    with pytest.raises(TypeError):
        l.move(Vector(1, 1))
    assert l.start is p


@pytest.mark.parametrize("pts, distance, start, end", [
    ((0, 0, 2, 0), 1, (0, -1), (2, -1)),
    ((0, 0, 2, 0), -1, (0, 1), (2, 1)),
    ((0, 0, 0, 2), 1, (1, 0), (1, 2)),
    ((0, 0, 0, 2), True, (1, 0), (1, 2)),
    ((0, 0, 1e-7, 0), 2, (0, -2e-7), (1e-7, -2e-7)),   # short: unnormalised
    ((3, 3, 3, 3), 5, (3, 3), (3, 3)),
])
def test_offset_moves_to_the_right(pts, distance, start, end):
    o = line(*pts).offset(distance)
    assert type(o) is Line
    assert o.start.x == pytest.approx(start[0]) and o.start.y == pytest.approx(start[1])
    assert o.end.x == pytest.approx(end[0]) and o.end.y == pytest.approx(end[1])


def test_offset_both_is_a_tuple_right_first():
    l = line(0, 0, 2, 0)
    right, left = both = l.offset_both(1)
    assert type(both) is tuple
    assert_xy(right.start, 0, -1) and assert_xy(left.end, 2, 1)
    assert_xy(l.offset(1).end, right.end.x, right.end.y)


@pytest.mark.parametrize("distance", ["1", None, [1]])
def test_offsets_take_a_number(distance):
    with pytest.raises(TypeError):
        line(0, 0, 1, 0).offset(distance)
    with pytest.raises(TypeError):
        line(0, 0, 1, 0).offset_both(distance)


# ------------------------------------------------------------ interpolation

@pytest.mark.parametrize("t, y", [(0.5, 1.0), (0.25, 0.5), (2, 4.0), (0, 0.0), (1, 2.0)])
def test_tween_line_blends_start_with_start(t, y):
    l1, l2 = line(0, 0, 2, 0), line(0, 2, 2, 2)
    tw = Line.tween_line(l1, l2, t)
    assert_xy(tw.start, 0, y) and assert_xy(tw.end, 2, y)


def test_tween_of_opposite_lines_collapses_at_one_half():
    tw = Line.tween_line(line(0, 0, 2, 0), line(2, 2, 0, 2))
    assert_xy(tw.start, 1, 1) and assert_xy(tw.end, 1, 1)
    with pytest.raises(TypeError):
        Line.tween_line(line(0, 0, 2, 0), line(2, 2, 0, 2), "a")


def test_tween_lines_gives_one_line_per_value_in_order():
    l1, l2 = line(0, 0, 2, 0), line(0, 2, 2, 2)
    assert Line.tween_lines(l1, l2) == []
    lines = Line.tween_lines(l1, l2, 0, 0.5, 1)
    assert [l.start.y for l in lines] == [0.0, 1.0, 2.0]
    assert Line.tween_lines(line1=l1, line2=l2) == []
    with pytest.raises(TypeError):
        Line.tween_lines(l1, l2, 0.5, "a")


# ------------------------------------------------------------ distances

def test_closest_point_is_the_unbounded_foot():
    l = line(0, 0, 2, 0)
    assert_xy(l.closest_point(Point(5, 3)), 5, 0, cls=Point)
    assert l.distance_to_point(Point(5, 3)) == 3.0
    assert_xy(line(0, 0, 0, 4).closest_point(Duck(3, 1)), 0, 1)


def test_closest_point_of_a_point_line_divides_by_zero():
    with pytest.raises(ZeroDivisionError, match="^float division by zero$"):
        line(1, 1, 1, 1).distance_to_point(Point(0, 0))
    with pytest.raises(ZeroDivisionError, match="^float division by zero$"):
        line(1, 1, 1, 1).closest_point(Point(0, 0))


def test_a_short_line_projects_along_its_unnormalised_direction():
    # |ab| <= epsilon: the foot is a + ab * (ab.ac / |ab|)
    assert_xy(line(0, 0, 1e-7, 0).closest_point(Point(5, 5)), 5e-7, 0)


# ------------------------------------------------------------ plot

def drawn(ax):
    return [(list(l.get_xdata()), list(l.get_ydata()), l.get_color(), l.get_label())
            for l in ax.lines]


def test_plot_lines_draws_each_line_in_a_different_colour_and_labels_them():
    lines = [line(0, 0, 1, 1), line(1, 0, 2, 3), line(5, 5, 6, 6)]
    np.random.seed(3)
    assert Line.plot_lines(lines, names=["a", "b", "c"], show=False) is None
    ax = plt.gca()
    got = drawn(ax)
    assert [g[:2] for g in got] == [([0.0, 1.0], [0.0, 1.0]), ([1.0, 2.0], [0.0, 3.0]),
                                    ([5.0, 6.0], [5.0, 6.0])]
    assert [g[3] for g in got] == ["a", "b", "c"]
    assert len({g[2] for g in got}) == 3
    np.random.seed(3)
    cycle = list(plt.rcParams["axes.prop_cycle"])
    expected = np.random.choice(cycle, size=3, replace=False)
    assert [g[2] for g in got] == [c["color"] for c in expected]
    assert ax.get_legend() is not None


def test_plot_lines_with_more_lines_than_colours_draws_with_replacement_beyond_the_cycle():
    cycle = list(plt.rcParams["axes.prop_cycle"])
    lines = [line(i, 0, i, 1) for i in range(len(cycle) + 3)]
    np.random.seed(5)
    Line.plot_lines(lines, show=False)
    got = drawn(plt.gca())
    assert len(got) == len(lines)
    np.random.seed(5)
    first = np.random.choice(cycle, size=len(cycle), replace=False)
    rest = np.random.choice(cycle, size=3, replace=True)
    assert [g[2] for g in got] == [c["color"] for c in list(first) + list(rest)]


def test_plot_lines_without_names_leaves_lines_unlabelled_and_shows(monkeypatch):
    shown = []
    monkeypatch.setattr(plt, "show", lambda: shown.append(True))
    Line.plot_lines([line(0, 0, 1, 1)], names=[])
    assert drawn(plt.gca())[0][3].startswith("_")
    assert shown == [True]
    Line.plot_lines([], show=True)
    assert shown == [True, True]


def test_plot_lines_with_too_few_names_raises_after_drawing_the_first():
    with pytest.raises(IndexError, match="^list index out of range$"):
        Line.plot_lines([line(0, 0, 1, 1), line(0, 1, 1, 2)], names=["a"], show=False)
    assert len(plt.gca().lines) == 1


def test_plot_lines_needs_a_sized_collection():
    with pytest.raises(TypeError):
        Line.plot_lines(iter([line(0, 0, 1, 1)]))
    assert len(plt.gca().lines) == 0
