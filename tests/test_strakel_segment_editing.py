"""Segment breaking, end-point choice, extension to a point, fillet and the
crossings of every pair of a list."""

import random

import pytest
from hypothesis import given, settings
from hypothesis import strategies as st

from Flatkin import Point
from Strakel import Segment


def xy(p):
    return (p.x, p.y)


def seg(ax, ay, bx, by):
    return Segment(Point(ax, ay), Point(bx, by))


# ------------------------------------------------------------ breaking

def test_break_at_point_gives_two_pieces_sharing_the_given_point():
    s = seg(0, 0, 4, 0)
    p = Point(1, 0)
    a, b = pieces = s.break_at_point(p)
    assert type(pieces) is tuple and type(a) is Segment
    assert a.start is s.start and a.end is p and b.start is p and b.end is s.end


def test_break_at_the_start_gives_a_zero_length_first_piece():
    s = seg(0, 0, 4, 0)
    a, b = s.break_at_point(s.start)
    assert a.length == 0.0 and b == s


def test_break_at_a_point_off_the_segment_raises():
    with pytest.raises(ValueError, match="^Point is not on the segment.$"):
        seg(0, 0, 4, 0).break_at_point(Point(2, 0.01))


def test_break_by_points_sorts_and_deduplicates_the_points():
    s = seg(0, 0, 4, 0)
    p, q, q2 = Point(1, 0), Point(3, 0), Point(3.0000005, 0)
    given_points = [q, p, q2]
    pieces = s.break_by_points(given_points)
    assert given_points == [q, p, q2]
    assert [(a.start, a.end) for a in pieces] == [(s.start, p), (p, q), (q, s.end)]
    assert pieces[1].end is q


def test_break_by_no_points_gives_one_piece():
    s = seg(0, 0, 4, 0)
    (only,) = s.break_by_points([])
    assert only.start is s.start and only.end is s.end and only is not s


def test_break_by_points_keeps_points_at_the_ends_as_zero_length_pieces():
    s = seg(0, 0, 4, 0)
    pieces = s.break_by_points([Point(4, 0), Point(0, 0)])
    assert [a.length for a in pieces] == [0.0, 4.0, 0.0]


def test_break_by_points_with_a_point_off_the_segment_raises():
    with pytest.raises(ValueError, match="^Point is not on the segment.$"):
        seg(0, 0, 4, 0).break_by_points([Point(1, 0), Point(2, 1)])


def test_break_by_points_is_stable_for_equal_distances():
    s = seg(1, 1, 1, 1)  # every key is the integer 0
    a, b = Point(1.000001, 1), Point(0.999999, 1)
    pieces = s.break_by_points([a, b])
    assert pieces[0].end is a and pieces[1].end is b
    pieces = s.break_by_points([b, a])
    assert pieces[0].end is b and pieces[1].end is a


# ------------------------------------------------------------ end points

@pytest.mark.parametrize(
    "point, closest, farthest, other",
    [
        ((1, 0), "start", "end", "end"),
        ((3, 0), "end", "start", "start"),
        ((2, 5), "end", "end", "start"),
        ((0, 0), "start", "end", "end"),
        ((4, 0), "end", "start", "start"),
    ],
)
def test_end_point_choice_with_exact_ties(point, closest, farthest, other):
    s = seg(0, 0, 4, 0)
    p = Point(*point)
    assert s.closest_endpoint(p) is getattr(s, closest)
    assert s.farthest_endpoint(p) is getattr(s, farthest)
    assert s.other_endpoint(p) is getattr(s, other)


# ------------------------------------------------------------ extension to a point

@pytest.mark.parametrize(
    "point, expected",
    [
        ((15, 0), ((0, 0), (15, 0))),
        ((-5, 0), ((-5, 0), (10, 0))),
        ((2, 0), ((2, 0), (10, 0))),
        ((5, 0), ((0, 0), (5, 0))),
    ],
)
def test_extend_to_point_moves_the_nearer_end(point, expected):
    s = seg(0, 0, 10, 0)
    p = Point(*point)
    assert s.extend_to_point(p) is None
    assert (xy(s.start), xy(s.end)) == (tuple(map(float, expected[0])), tuple(map(float, expected[1])))
    assert s.start is p or s.end is p


def test_extend_to_point_off_the_line_raises_the_generic_exception():
    s = seg(0, 0, 10, 0)
    with pytest.raises(Exception, match="^The point is not on the line of the segment.$") as info:
        s.extend_to_point(Point(5, 1))
    assert type(info.value) is Exception
    assert xy(s.start) == (0.0, 0.0) and xy(s.end) == (10.0, 0.0)


def test_extend_to_point_needs_no_bound():
    s = seg(0, 0, 1, 0)
    s.extend_to_point(Point(1000, 0.0000015))
    assert xy(s.end) == (1000.0, 0.0000015)


# ------------------------------------------------------------ fillet

def test_fillet_brings_both_segments_to_the_crossing():
    a, b = seg(0, 0, 4, 0), seg(5, 1, 5, 3)
    assert Segment.fillet(a, b) is None
    assert (xy(a.start), xy(a.end)) == ((0.0, 0.0), (5.0, 0.0))
    assert (xy(b.start), xy(b.end)) == ((5.0, 0.0), (5.0, 3.0))
    assert a.end is b.start


def test_fillet_cuts_crossing_segments_back_keeping_the_longer_parts():
    a, b = seg(0, 0, 10, 0), seg(8, -1, 8, 5)
    Segment.fillet(segment1=a, segment2=b)
    assert (xy(a.start), xy(a.end)) == ((0.0, 0.0), (8.0, 0.0))
    assert (xy(b.start), xy(b.end)) == ((8.0, 0.0), (8.0, 5.0))


@pytest.mark.parametrize("other", [(0, 1, 4, 1), (5, 0, 9, 0)])
def test_fillet_of_parallel_segments_changes_nothing(other):
    a, b = seg(0, 0, 4, 0), seg(*other)
    ends = (a.start, a.end, b.start, b.end)
    assert Segment.fillet(a, b) is None
    assert (a.start, a.end, b.start, b.end) == ends


# The crossing of these lines lies far from both, where rounding puts it a
# few units in the last place off the second line: it is still their corner.
SHORT = (-9.419184248502642, -5.566166674539299, -1.2422481269885584, -0.0837551723629879)
FAR = (-308599.17058249505, 353697.0796999489, 521895.475083641, 904488.9105823874)


def test_fillet_meets_lines_whose_crossing_lies_far_out():
    a, b = seg(*SHORT), seg(*FAR)
    corner = a.to_line().intersection_with_line(b.to_line())
    assert a.to_line().is_on_line(corner) and b.to_line().is_on_line(corner)
    start, start_b = a.start, b.start
    assert Segment.fillet(a, b) is None
    assert a.start is start and b.start is start_b and a.end is b.end
    assert xy(a.end) == pytest.approx(xy(corner), rel=1e-15)


# ------------------------------------------------------------ all pairs

def test_intersection_points_of_pairs_in_order():
    a, b, c = seg(0, 0, 2, 2), seg(0, 2, 2, 0), seg(0, 1, 2, 1)
    pts = Segment.intersection_points([a, b, c])
    assert [xy(p) for p in pts] == [(1.0, 1.0), (1.0, 1.0), (1.0, 1.0)]
    assert len({id(p) for p in pts}) == 3


def test_intersection_points_of_short_lists_are_empty():
    assert Segment.intersection_points([]) == []
    assert Segment.intersection_points([seg(0, 0, 1, 1)]) == []


def test_intersection_points_takes_its_list_by_position_only():
    with pytest.raises(TypeError):
        Segment.intersection_points(segments=[])


def _pairwise(segments):
    out = []
    for i in range(len(segments)):
        for j in range(i + 1, len(segments)):
            p = segments[i].intersection_with_segment(segments[j])
            if p is not None:
                out.append(p)
    return out


grid = st.integers(0, 6).map(float)
pair = st.tuples(grid, grid)


@st.composite
def segment_lists(draw):
    pool = draw(st.lists(pair, min_size=2, max_size=8))
    point = st.sampled_from(pool)
    raw = draw(st.lists(st.tuples(point, point), min_size=0, max_size=14))
    segs = [Segment(Point(*a), Point(*b)) for a, b in raw]
    # repeats of the same segment object and of equal segments
    if segs and draw(st.booleans()):
        segs.append(segs[0])
        segs.append(segs[0].copy())
    return segs


@settings(max_examples=200, deadline=None)
@given(segment_lists())
def test_intersection_points_equal_the_pairwise_loop(segments):
    fast = Segment.intersection_points(segments)
    slow = _pairwise(segments)
    assert [xy(p) for p in fast] == [xy(p) for p in slow]


def test_intersection_points_equal_the_pairwise_loop_on_random_short_segments():
    rnd = random.Random(7)
    segs = []
    for _ in range(300):
        x, y = rnd.uniform(0, 50), rnd.uniform(0, 50)
        segs.append(seg(x, y, x + rnd.uniform(-3, 3), y + rnd.uniform(-3, 3)))
    segs += [seg(10, 10, 20, 10), seg(15, 10, 25, 10), seg(20, 10, 20, 0)]
    assert [xy(p) for p in Segment.intersection_points(segs)] == [xy(p) for p in _pairwise(segs)]


@pytest.mark.parametrize("seed", range(4))
def test_intersection_points_equal_the_pairwise_loop_on_pieces_points_and_long_walls(seed):
    # Mostly short pieces on a half-unit lattice, some points and a few long
    # walls: touches and overlaps everywhere, found in cells and by the sweep.
    rnd = random.Random(seed)
    segs = []
    for _ in range(300):
        x, y = rnd.randint(0, 40) / 2, rnd.randint(0, 40) / 2
        reach = rnd.choices((0, 0.5, 1, 25), weights=(1, 4, 4, 1))[0]
        segs.append(seg(x, y, x + rnd.choice((0, reach, -reach)), y + rnd.choice((0, reach, -reach))))
    assert [xy(p) for p in Segment.intersection_points(segs)] == [xy(p) for p in _pairwise(segs)]


def test_intersection_points_asks_other_kinds_of_segment_themselves():
    class Shy(Segment):
        def intersection_with_segment(self, other):
            return None

    a, b = seg(0, 0, 2, 2), Shy(Point(0, 2), Point(2, 0))
    assert Segment.intersection_points([a, b]) != []
    assert Segment.intersection_points([b, a]) == []
