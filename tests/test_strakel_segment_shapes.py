"""Segment moving, offsets, direction, tweening, lofting, pairing and plots."""

import matplotlib.pyplot as plt
import numpy as np
import pytest
from matplotlib.colors import to_hex

from Flatkin import Point, Vector
from Strakel import Segment

# The legend is asked for even when no segment has a label.
pytestmark = pytest.mark.filterwarnings("ignore:No artists with labels")


def xy(p):
    return (p.x, p.y)


def ends(s):
    return (xy(s.start), xy(s.end))


def seg(ax, ay, bx, by):
    return Segment(Point(ax, ay), Point(bx, by))


# ------------------------------------------------------------ move and offsets

def test_move_rebinds_new_points_and_leaves_the_old_ones():
    s = seg(0, 0, 10, 0)
    a = s.start
    assert s.move(Vector(1, 1)) is None
    assert ends(s) == ((1.0, 1.0), (11.0, 1.0))
    assert xy(a) == (0.0, 0.0) and s.start is not a


def test_move_with_a_bad_vector_changes_nothing():
    s = seg(0, 0, 10, 0)
    before = (s.start, s.end)
    with pytest.raises(AttributeError):
        s.move(None)
    assert (s.start, s.end) == before


@pytest.mark.parametrize(
    "distance, expected",
    [(2, ((0.0, -2.0), (10.0, -2.0))), (-2, ((0.0, 2.0), (10.0, 2.0))), (0, ((0.0, 0.0), (10.0, 0.0)))],
)
def test_offset_goes_to_the_right_for_positive_distances(distance, expected):
    s = seg(0, 0, 10, 0)
    o = s.offset(distance)
    assert type(o) is Segment and ends(o) == expected
    assert ends(s) == ((0.0, 0.0), (10.0, 0.0))


def test_offset_both_is_a_list_right_first():
    both = seg(0, 0, 10, 0).offset_both(2)
    assert type(both) is list
    assert [ends(s) for s in both] == [((0.0, -2.0), (10.0, -2.0)), ((0.0, 2.0), (10.0, 2.0))]


def test_offsets_refuse_a_distance_that_is_not_a_number():
    with pytest.raises(TypeError):
        seg(0, 0, 1, 0).offset("1")
    with pytest.raises(TypeError):
        seg(0, 0, 1, 0).offset_both(None)


def test_a_zero_length_segment_is_not_offset():
    assert ends(seg(1, 1, 1, 1).offset(5)) == ((1.0, 1.0), (1.0, 1.0))


# ------------------------------------------------------------ direction

@pytest.mark.parametrize(
    "other, same",
    [((5, 5, 9, 5), True), ((9, 5, 5, 5), False), ((0, 0, 0, 1), False), ((3, 3, 3, 3), False)],
)
def test_is_same_direction(other, same):
    assert Segment.is_same_direction(seg(0, 0, 1, 0), seg(*other)) is same


def test_unify_direction_reverses_only_the_second_segment():
    a, b = seg(0, 0, 1, 0), seg(9, 5, 5, 5)
    p, q = b.start, b.end
    assert Segment.unify_direction(a, b) is None
    assert b.start is q and b.end is p and ends(a) == ((0.0, 0.0), (1.0, 0.0))
    Segment.unify_direction(a, b)
    assert b.start is q


def test_unify_direction_leaves_perpendicular_segments_alone():
    a, b = seg(0, 0, 1, 0), seg(0, 1, 0, 0)
    Segment.unify_direction(segment1=a, segment2=b)
    assert ends(b) == ((0.0, 1.0), (0.0, 0.0))


# ------------------------------------------------------------ tween

def test_tween_segment_with_defaults():
    assert ends(Segment.tween_segment(seg(0, 0, 10, 0), seg(0, 10, 10, 10))) == ((0.0, 5.0), (10.0, 5.0))


def test_tween_segment_unifies_the_second_segment_first():
    b = seg(10, 10, 0, 10)
    assert ends(Segment.tween_segment(seg(0, 0, 10, 0), b)) == ((0.0, 5.0), (10.0, 5.0))
    assert ends(b) == ((0.0, 10.0), (10.0, 10.0))


def test_tween_segment_without_unify_collapses_opposite_segments():
    b = seg(10, 10, 0, 10)
    t = Segment.tween_segment(seg(0, 0, 10, 0), b, unify=False)
    assert ends(t) == ((5.0, 5.0), (5.0, 5.0))
    assert ends(b) == ((10.0, 10.0), (0.0, 10.0))


def test_tween_segment_extrapolates_and_converts_t():
    a, b = seg(0, 0, 10, 0), seg(0, 10, 10, 10)
    assert ends(Segment.tween_segment(a, b, 2)) == ((0.0, 20.0), (10.0, 20.0))
    assert ends(Segment.tween_segment(a, b, t=0)) == ends(a)
    with pytest.raises(TypeError):
        Segment.tween_segment(a, b, "0.5")


# ------------------------------------------------------------ loft and pairs

def test_loft_reverses_a_second_segment_pointing_the_same_way():
    a, b = seg(0, 0, 10, 0), seg(0, 5, 10, 5)
    pts = Segment.loft(a, b)
    assert [xy(p) for p in pts] == [(0, 0), (10, 0), (10, 5), (0, 5)]
    assert pts[0] is a.start and pts[2] is b.start and ends(b) == ((10.0, 5.0), (0.0, 5.0))


def test_loft_keeps_an_opposite_second_segment():
    a, b = seg(0, 0, 10, 0), seg(10, 5, 0, 5)
    pts = Segment.loft(l1=a, l2=b)
    assert [xy(p) for p in pts] == [(0, 0), (10, 0), (10, 5), (0, 5)]
    assert ends(b) == ((10.0, 5.0), (0.0, 5.0))


def test_construct_lines_joins_every_pair():
    pts = [Point(i, i * i) for i in range(4)]
    segs = Segment.construct_lines(pts)
    pairs = [(pts.index(s.start), pts.index(s.end)) for s in segs]
    assert pairs == [(0, 1), (0, 2), (0, 3), (1, 2), (1, 3), (2, 3)]
    assert segs[0].start is pts[0]
    assert Segment.construct_lines([Point(0, 0)]) == []
    with pytest.raises(TypeError):
        Segment.construct_lines(points=pts)


# ------------------------------------------------------------ plots

def _cycle_colours():
    return [to_hex(c["color"]) for c in plt.rcParams["axes.prop_cycle"]]


def test_plot_segments_draws_each_segment_with_a_drawn_colour_and_label():
    segs = [seg(0, 0, 1, 0), seg(0, 1, 1, 2), seg(3, 3, 4, 4)]
    np.random.seed(5)
    expected = np.random.choice(list(plt.rcParams["axes.prop_cycle"]), size=3, replace=True)
    np.random.seed(5)
    assert Segment.plot_segments(segs, names=["a", "b", "c"], show=False) is None
    ax = plt.gca()
    assert [line.get_xydata().tolist() for line in ax.lines] == [
        [[0, 0], [1, 0]], [[0, 1], [1, 2]], [[3, 3], [4, 4]]]
    assert [to_hex(line.get_color()) for line in ax.lines] == [to_hex(e["color"]) for e in expected]
    assert [line.get_label() for line in ax.lines] == ["a", "b", "c"]
    assert ax.get_legend() is not None


def test_plot_segments_accepts_more_segments_than_colours():
    segs = [seg(i, 0, i, 1) for i in range(12)]
    Segment.plot_segments(segs, show=False)
    assert len(plt.gca().lines) == 12
    assert len({to_hex(line.get_color()) for line in plt.gca().lines}) <= len(_cycle_colours())


def test_plot_segments_with_too_few_names_draws_the_first_and_raises():
    with pytest.raises(IndexError, match="^list index out of range$"):
        Segment.plot_segments([seg(0, 0, 1, 0), seg(0, 1, 1, 1)], ["a"], False)
    assert len(plt.gca().lines) == 1


def test_plot_segments_shows_the_figure_by_default(monkeypatch):
    shown = []
    monkeypatch.setattr(plt, "show", lambda: shown.append(1))
    Segment.plot_segments([seg(0, 0, 1, 0)])
    Segment.plot_segments([seg(0, 0, 1, 0)], None, 0)
    assert shown == [1]


def test_plot_segments_of_nothing_still_calls_legend():
    Segment.plot_segments([], show=False)
    assert plt.gca().lines == [] or len(plt.gca().lines) == 0
