"""SegmentCollection as a network: the split at crossings, the turn rules,
the contour and loop walks and polygon extraction, checked on the worked
networks and against the plain-Python version on random networks."""

import math

import pytest
from hypothesis import HealthCheck, assume, given, settings, strategies as st

import Strakel
from Flatkin import Point, Vector
from Strakel import SegmentCollection

from common import close_ends, reference_walks_right
from pyref_network import SegmentCollection as RefCollection, segments_of as ref_segments


def seg(a, b):
    return Strakel.Segment(Point(*a), Point(*b))


def segs(coords):
    return [seg(a, b) for a, b in coords]


def ends(s):
    return (s.start.x, s.start.y, s.end.x, s.end.y)


def loops_of(polygons):
    return [[ends(s) for s in loop] for loop in polygons]


def approx_ends(s, digits=6):
    return tuple(round(v, digits) for v in ends(s))


def walk_state(c):
    return (c.current_dir, c.current_pt, c.current_seg, c.end_pt)


TRIANGLE = [((0, 0), (1, 0)), ((1, 0), (0, 1)), ((0, 1), (0, 0))]
SQUARE = [((0, 0), (1, 0)), ((1, 0), (1, 1)), ((1, 1), (0, 1)), ((0, 1), (0, 0))]
SQUARE_X = SQUARE + [((0, 0), (1, 1)), ((1, 0), (0, 1))]
RECT_UPRIGHT = [((0, 0), (2, 0)), ((2, 0), (2, 1)), ((2, 1), (0, 1)), ((0, 1), (0, 0)), ((1, 0), (1, 1))]
HASH = [((0, 1), (3, 1)), ((0, 2), (3, 2)), ((1, 0), (1, 3)), ((2, 0), (2, 3))]
TWO_SQUARES = SQUARE + [((3, 0), (4, 0)), ((4, 0), (4, 1)), ((4, 1), (3, 1)), ((3, 1), (3, 0))]
X = [((0, 0), (1, 1)), ((0, 1), (1, 0))]


# ------------------------------------------------------------ split

def test_a_triangle_splits_into_its_own_sides():
    lst = segs(TRIANGLE)
    c = SegmentCollection(lst)
    assert c.get_connections() is None
    assert c.segments is not lst and len(lst) == 3
    assert [ends(s) for s in c.segments] == [ends(s) for s in lst]
    assert all(p is not s for p, s in zip(c.segments, lst))
    assert list(c.dict.values()) == [1, 1, 1]
    assert all(k is p for k, p in zip(c.dict, c.segments))


def test_the_square_with_diagonals_gives_eight_pieces_in_filing_order():
    c = SegmentCollection(segs(SQUARE_X))
    c.get_connections()
    assert [ends(s) for s in c.segments] == [
        (0, 0, 1, 0), (1, 0, 1, 1), (0, 1, 0, 0),
        (0, 0, 0.5, 0.5), (0.5, 0.5, 1, 1),
        (1, 0, 0.5, 0.5), (0.5, 0.5, 0, 1),
        (1, 1, 0, 1)]


def test_the_hash_keeps_only_the_middle_square_with_one_node_per_crossing():
    c = SegmentCollection(segs(HASH))
    c.get_connections()
    assert [ends(s) for s in c.segments] == [(1, 1, 2, 1), (1, 1, 1, 2), (2, 1, 2, 2), (1, 2, 2, 2)]
    # Pieces meeting at a crossing hold the same point, not copies made from
    # each segment's own rounded parameter.
    a, b, c_, d = c.segments
    assert a.start is b.start and a.end is c_.start and b.end is d.start and c_.end is d.end


@pytest.mark.parametrize("coords", [X, [((0, 0), (1, 0))], [], [((0, 0), (1, 0)), ((1, 0), (2, 0))],
                                    [((0, 0), (1, 0)), ((5, 5), (6, 6))]])
def test_networks_without_two_crossings_per_segment_split_into_nothing(coords):
    c = SegmentCollection(segs(coords))
    c.get_connections()
    assert c.segments == [] and c.dict == {}


def test_the_split_keeps_marks_filed_before():
    c = SegmentCollection(segs(TRIANGLE))
    c.dict["old"] = 7
    c.get_connections()
    assert list(c.dict.values()) == [7, 1, 1, 1]


def test_a_single_junk_segment_is_never_read():
    c = SegmentCollection([None])
    c.get_connections()
    assert c.segments == []


def test_equal_segments_share_one_entry_and_equal_pieces_one_mark():
    lst = segs(SQUARE) + [seg((0, 0), (1, 0))]
    c = SegmentCollection(lst)
    c.get_connections()
    assert len(c.segments) == 4 and len(c.dict) == 4


def test_a_reversed_duplicate_files_its_crossings_along_the_first_copy():
    # The upright cuts the bottom at a quarter; the reversed copy of the
    # bottom must not add a false vertex at three quarters.
    coords = [((0, 0), (2, 0)), ((2, 0), (2, 1)), ((2, 1), (0, 1)), ((0, 1), (0, 0)), ((0.5, 0), (0.5, 1)),
              ((2, 0), (0, 0))]
    c = SegmentCollection(segs(coords))
    c.get_connections()
    bottom = [ends(s) for s in c.segments if s.start.y == 0 and s.end.y == 0]
    assert bottom == [(0, 0, 0.5, 0), (0.5, 0, 2, 0)]
    polygons = SegmentCollection(segs(coords)).get_polygons()
    assert len(polygons) == 2


def test_building_scale_crossings_split_without_error():
    a = [((11100, 700), (11200, 17300)), ((2800, 13900), (19200, 16200))]
    c = SegmentCollection(segs(a))
    c.get_connections()
    assert c.segments == []
    frame = a + [((11000, 800), (11300, 800)), ((2800, 13000), (2900, 17000))]
    c = SegmentCollection(segs(frame))
    c.get_connections()
    assert len(c.segments) == 2


def test_pieces_are_made_by_the_modules_segment_class(monkeypatch):
    made = []

    class Counting(Strakel.Segment):
        def __init__(self, start, end):
            made.append((start, end))
            super().__init__(start, end)

    c = SegmentCollection(segs(TRIANGLE))
    monkeypatch.setattr(Strakel, "Segment", Counting)
    c.get_connections()
    assert len(made) == 3 and all(type(s) is Counting for s in c.segments)
    assert all(isinstance(p, Point) for pair in made for p in pair)


# ------------------------------------------------------------ turn rules

def test_adjacency_keeps_list_order_and_skips_the_current_segment():
    lst = segs(SQUARE_X)
    c = SegmentCollection(lst)
    assert c.get_adjacent_segments(Point(0, 0)) == [lst[0], lst[3], lst[4]]
    c.current_seg = seg((1, 0), (0, 0))
    assert c.get_adjacent_segments(Point(0, 0)) == [lst[3], lst[4]]


@pytest.mark.parametrize("end, touches", [(1.0004, True), (1.0006, False), (0.9995, True), (0.9994, False)])
def test_adjacency_matches_points_after_rounding_to_three_decimals(end, touches):
    c = SegmentCollection([seg((5, 5), (end, 0))])
    assert bool(c.get_adjacent_segments(Point(1.0, 0))) is touches


def test_adjacency_rounds_halves_to_even():
    c = SegmentCollection([seg((0.0625, 0), (3, 3))])
    assert c.get_adjacent_segments(Point(0.062, 0)) == c.segments
    assert c.get_adjacent_segments(Point(0.063, 0)) == []


def test_a_segment_touching_with_both_ends_is_listed_once():
    s = seg((0, 0), (0.0001, 0))
    assert SegmentCollection([s]).get_adjacent_segments(Point(0, 0)) == [s]


def test_orientation_reverses_in_place_and_returns_the_same_list():
    a, b, c_ = seg((1, 0), (0, 0)), seg((0, 0), (0, 1)), seg((-1, 0), (1, 0))
    lst = [a, b, c_]
    assert SegmentCollection.set_direction_by_point(lst, Point(0, 0)) is lst
    assert [ends(s) for s in lst] == [(0, 0, 1, 0), (0, 0, 0, 1), (-1, 0, 1, 0)]


def test_turn_choices_from_the_worked_example():
    up, down_right, back = seg((0, 0), (0, 1)), seg((0, 0), (1, -1)), seg((0, 0), (-1, 0))
    cands = [up, down_right, back]
    assert SegmentCollection.get_right_segment(cands, Vector(1, 0)) is down_right
    assert SegmentCollection.get_left_segment(cands, Vector(1, 0)) is back
    assert SegmentCollection.get_right_segment([]) is None
    assert SegmentCollection.get_left_segment([], Vector(0, 1)) is None


def test_near_ties_go_to_the_later_on_the_right_and_the_earlier_on_the_left():
    a, b = seg((0, 0), (1, 1)), seg((0, 0), (2, 2))
    assert SegmentCollection.get_right_segment([a, b]) is b
    assert SegmentCollection.get_left_segment([a, b]) is a


@pytest.mark.parametrize("method", ["get_right_segment", "get_left_segment"])
def test_a_zero_length_candidate_is_a_type_error(method):
    with pytest.raises(TypeError, match=r"^unsupported operand type\(s\) for -: 'NoneType' and 'float'$"):
        getattr(SegmentCollection, method)([seg((0, 0), (0, 1)), seg((1, 1), (1, 1))])
    with pytest.raises(TypeError, match=r"^unsupported operand type\(s\) for -: 'NoneType' and 'float'$"):
        getattr(SegmentCollection, method)([seg((0, 0), (0, 1))], Vector(0, 0))


# ------------------------------------------------------------ walks

def test_the_triangle_gives_one_loop_and_an_empty_collection():
    lst = segs(TRIANGLE)
    c = SegmentCollection(lst)
    assert loops_of([c.get_contour_segments()]) == [[(0, 0, 1, 0), (1, 0, 0, 1), (0, 1, 0, 0)]]
    assert walk_state(c) == (None,) * 4
    c = SegmentCollection(lst)
    polygons = c.get_polygons()
    assert loops_of(polygons) == [[(0, 0, 1, 0), (1, 0, 0, 1), (0, 1, 0, 0)]]
    assert c.segments == [] and c.dict == {} and walk_state(c) == (None,) * 4
    assert [ends(s) for s in lst] == TRIANGLE_ENDS


TRIANGLE_ENDS = [(0, 0, 1, 0), (1, 0, 0, 1), (0, 1, 0, 0)]


def test_the_square_with_diagonals_gives_four_triangles_bottom_first():
    c = SegmentCollection(segs(SQUARE_X))
    polygons = c.get_polygons()
    assert loops_of(polygons) == [
        [(0, 0, 1, 0), (0.5, 0.5, 1, 0), (0, 0, 0.5, 0.5)],
        [(0, 0, 0.5, 0.5), (0, 1, 0.5, 0.5), (0, 1, 0, 0)],
        [(1, 0, 1, 1), (0.5, 0.5, 1, 1), (0.5, 0.5, 1, 0)],
        [(0.5, 0.5, 1, 1), (1, 1, 0, 1), (0, 1, 0.5, 0.5)],
    ]
    # shared pieces are the same objects in every loop
    assert polygons[0][1] is polygons[2][2]


def test_the_rectangle_with_an_upright_gives_the_left_square_first():
    polygons = SegmentCollection(segs(RECT_UPRIGHT)).get_polygons()
    assert len(polygons) == 2
    assert {(s.start.x, s.start.y) for s in polygons[0]} | {(s.end.x, s.end.y) for s in polygons[0]} == \
        {(0, 0), (1, 0), (1, 1), (0, 1)}
    assert {(s.start.x, s.start.y) for s in polygons[1]} | {(s.end.x, s.end.y) for s in polygons[1]} == \
        {(1, 0), (2, 0), (2, 1), (1, 1)}


def test_the_hash_gives_the_middle_square_only():
    polygons = SegmentCollection(segs(HASH)).get_polygons()
    assert len(polygons) == 1 and len(polygons[0]) == 4
    corners = {(round(s.start.x, 6), round(s.start.y, 6)) for s in polygons[0]}
    assert corners == {(1, 1), (2, 1), (2, 2), (1, 2)}


def test_two_separate_squares_give_each_square_once():
    polygons = SegmentCollection(segs(TWO_SQUARES)).get_polygons()
    xs = [min(s.start.x for s in loop) for loop in polygons]
    assert xs == [0, 3]
    polygons = SegmentCollection(segs(TWO_SQUARES)).get_polygons(split=False)
    assert [min(s.start.x for s in loop) for loop in polygons] == [0]


def test_without_the_split_the_callers_segments_are_walked_and_reoriented():
    lst = segs([((1, 0), (0, 0)), ((1, 0), (0, 1)), ((0, 0), (0, 1))])
    c = SegmentCollection(lst)
    polygons = c.get_polygons(split=1)
    assert len(polygons) == 1 and all(any(s is t for t in lst) for s in polygons[0])
    assert [ends(s) for s in polygons[0]] == TRIANGLE_ENDS
    assert c.segments == [] and c.dict == {}


def test_clean_has_no_effect_on_polygons():
    coords = SQUARE + [((1, 1), (2, 2))]
    assert loops_of(SegmentCollection(segs(coords)).get_polygons(clean=True)) == \
        loops_of(SegmentCollection(segs(coords)).get_polygons())


def test_a_contour_walk_may_clean_first():
    coords = SQUARE + [((5, 5), (6, 6)), ((6, 6), (7, 6))]
    c = SegmentCollection(segs(coords))
    contour = c.get_contour_segments(split=False, clean=True)
    assert len(contour) == 4 and len(c.segments) == 4


def test_a_loop_walk_on_a_split_collection_does_not_split_again():
    c = SegmentCollection(segs(SQUARE_X))
    c.get_contour_segments()
    pieces = list(c.segments)
    loop = c.get_loop_segments()
    assert c.segments == pieces and len(loop) == 3
    assert walk_state(c) == (None,) * 4


def test_a_walk_leaves_out_a_current_segment_set_beforehand():
    lst = segs(TRIANGLE)
    c = SegmentCollection(lst)
    c.current_seg = seg((0, 0), (1, 0))
    contour = c.get_contour_segments(split=False)
    assert contour[0] is lst[2]


@pytest.mark.parametrize("coords", [X, []])
def test_an_empty_network_has_no_loops_and_no_walk(coords):
    c = SegmentCollection(segs(coords))
    assert c.get_polygons() == [] and walk_state(c) == (None,) * 4
    c = SegmentCollection(segs(coords))
    with pytest.raises(IndexError, match="^list index out of range$"):
        c.get_contour_segments()
    assert walk_state(c) == (None,) * 4


def test_a_wall_in_two_pieces_gives_its_room_and_a_dangling_wall_a_dead_end_only_to_a_walk():
    coords = [((0, 0), (1, 0)), ((1, 0), (2, 0)), ((2, 0), (2, 1)), ((2, 1), (0, 1)), ((0, 1), (0, 0))]
    (room,) = SegmentCollection(segs(coords)).get_polygons()
    # The wall drawn in two pieces is one piece: nothing crosses it at (1, 0).
    assert sorted(approx_ends(s)[:2] for s in room) == [(0, 0), (0, 1), (2, 0), (2, 1)]
    # A piece that leaves the square and ends at a wall it alone crosses:
    # it bounds no room, but a walk that takes it dead-ends.
    dangling = SQUARE + [((0.5, 0.5), (0.5, 3)), ((0, 2), (1, 2))]
    c = SegmentCollection(segs(dangling))
    assert len(c.get_polygons()) == 1 and c.segments == [] and c.dict == {}
    c = SegmentCollection(segs(dangling))
    with pytest.raises(AttributeError, match=r"^The walls dead-end at \(0\.5, 2\.0\)"):
        c.get_contour_segments()
    assert None not in c.dict
    assert walk_state(c) == (None,) * 4


# Three walls at slivers of angles: the pieces between their crossings, a
# millimetre apart, let this walk wander.
NOT_CLOSING = [((2.0006, 2.0), (0.0, 0.0006)), ((1.0, 0.9995), (0.0004, 0.0004)), ((-0.0006, -0.0006), (2.0006, 2.0))]
# Walked as they are, without the split: ends merged by the rounding to 3
# decimals let the walks wander.
UNSPLIT_NOT_CLOSING = [((1.9995, 1.9996), (1.0, 0.0)), ((2.0, 2.0004), (0.9996, 0.0)), ((1.0, 0.0005), (1.9995, 2.0006))]


def test_a_walk_that_does_not_close_stops_with_an_exception():
    c = SegmentCollection(segs(UNSPLIT_NOT_CLOSING))
    with pytest.raises(Exception, match="Walk does not close.") as err:
        c.get_polygons(split=False)
    assert type(err.value) is Exception
    assert walk_state(c) == (None,) * 4


def test_walls_within_the_join_distance_of_each_other_are_one_wall_and_enclose_nothing():
    # Three walls that nearly lie on each other: the split makes one wall of
    # them, and the walks no longer wander.
    c = SegmentCollection(segs(NOT_CLOSING))
    assert c.get_polygons() == []
    assert c.segments == [] and c.dict == {} and walk_state(c) == (None,) * 4


# Extractions that cannot end: end points merged by the rounding to 3
# decimals let the walks wander or repeat themselves.
ENDLESS = [
    (False, UNSPLIT_NOT_CLOSING),
]


@pytest.mark.parametrize("split, coords", ENDLESS)
def test_an_extraction_that_repeats_itself_stops_with_an_exception(split, coords):
    c = SegmentCollection(segs(coords))
    with pytest.raises(Exception, match="Walk does not close.") as err:
        c.get_polygons(split=split)
    assert type(err.value) is Exception
    assert walk_state(c) == (None,) * 4 and c.dict


def test_a_zero_length_piece_at_a_step_is_a_type_error():
    coords = TRIANGLE + [((1, 0), (1, 0))]
    c = SegmentCollection(segs(coords))
    with pytest.raises(TypeError, match=r"^unsupported operand type\(s\) for -: 'NoneType' and 'float'$"):
        c.get_contour_segments(split=False)
    assert walk_state(c) == (None,) * 4


def test_walk_defaults():
    c = SegmentCollection(segs(TRIANGLE))
    assert len(c.get_contour_segments()) == 3  # split by default
    c = SegmentCollection(segs(TRIANGLE))
    assert len(c.get_loop_segments()) == 3 and c.dict  # not split: files the caller's segments
    assert all(v == 0 for v in c.dict.values())


# ------------------------------------------------------------ against the plain version

def _run(collection, method, kwargs):
    try:
        result = getattr(collection, method)(**kwargs)
        return ("ok", result)
    except Exception as e:  # the outcome compared, type and message
        return (type(e).__name__, str(e))


def _same_outcome(ours, ref, method, kwargs):
    """The plain steps' outcome, up to the few 1e-9 by which they place one
    crossing differently for each segment meeting there."""
    a, b = _run(ours, method, kwargs), _run(ref, method, kwargs)
    assert a[0] == b[0], (a, b)
    if a[0] == "ok":
        if method == "get_polygons":
            assert len(a[1]) == len(b[1]) and all(close_ends(p, q) for p, q in zip(a[1], b[1]))
        elif isinstance(a[1], list):
            assert close_ends(a[1], b[1])
    assert close_ends(ours.segments, ref.segments)
    assert close_ends(list(ours.dict), list(ref.dict)) and list(ours.dict.values()) == list(ref.dict.values())
    assert walk_state(ours) == (None,) * 4 or method == "get_connections"


def _check(coords, method, **kwargs):
    """Compared where the plain steps find every room once."""
    if reference_walks_right(coords, kwargs.get("split", True) is True):
        _same_outcome(SegmentCollection(segs(coords)), RefCollection(ref_segments(coords)), method, kwargs)


lattice = st.integers(0, 4)
lattice_point = st.tuples(lattice, lattice)


@st.composite
def grids(draw):
    """Street grids: horizontal and vertical lines of random extent."""
    n_h, n_v = draw(st.integers(1, 5)), draw(st.integers(1, 5))
    coords = []
    for _ in range(n_h):
        y = draw(st.integers(0, 6))
        x0, x1 = sorted(draw(st.lists(st.integers(-1, 7), min_size=2, max_size=2)))
        coords.append(((x0, y), (x1 + 1, y)))
    for _ in range(n_v):
        x = draw(st.integers(0, 6))
        y0, y1 = sorted(draw(st.lists(st.integers(-1, 7), min_size=2, max_size=2)))
        coords.append(((x, y0), (x, y1 + 1)))
    return draw(st.permutations(coords))


@st.composite
def lattice_networks(draw):
    """Segments between lattice points: shared end points, T-junctions,
    collinear overlaps, duplicates and reversed duplicates."""
    coords = draw(st.lists(st.tuples(lattice_point, lattice_point), min_size=1, max_size=10))
    if draw(st.booleans()) and coords:
        a, b = draw(st.sampled_from(coords))
        coords.append(draw(st.sampled_from([(a, b), (b, a)])))
    return coords


float_coord = st.floats(-10, 10, allow_nan=False, allow_infinity=False).map(lambda v: round(v, 2))


@st.composite
def random_networks(draw):
    n = draw(st.integers(2, 9))
    return [((draw(float_coord), draw(float_coord)), (draw(float_coord), draw(float_coord))) for _ in range(n)]


networks = st.one_of(grids(), lattice_networks(), random_networks())
SETTINGS = settings(max_examples=150, deadline=None, suppress_health_check=[HealthCheck.too_slow])


@SETTINGS
@given(networks)
def test_the_split_equals_the_plain_version(coords):
    _check(coords, "get_connections")


@SETTINGS
@given(networks, st.sampled_from([True, False]))
def test_contour_walks_equal_the_plain_version(coords, split):
    _check(coords, "get_contour_segments", split=split)


@SETTINGS
@given(networks, st.sampled_from([True, False]))
def test_polygons_equal_the_plain_version(coords, split):
    _check(coords, "get_polygons", split=split)


@settings(max_examples=60, deadline=None)
@given(lattice_networks(), lattice_point, st.one_of(st.none(), st.tuples(lattice_point, lattice_point)))
def test_adjacency_equals_the_plain_version(coords, point, current):
    ours, ref = SegmentCollection(segs(coords)), RefCollection(ref_segments(coords))
    if current is not None:
        ours.current_seg, ref.current_seg = seg(*current), ref_segments([current])[0]
    got = ours.get_adjacent_segments(Point(*point))
    want = ref.get_adjacent_segments(ref_segments([(point, point)])[0].start)
    assert [ends(s) for s in got] == [ends(s) for s in want]


@st.composite
def full_grids(draw):
    """Every street crosses every street of the other direction; the extra
    segments add dead ends and cut cells."""
    ys = draw(st.lists(st.integers(0, 20), min_size=2, max_size=6, unique=True))
    xs = draw(st.lists(st.integers(0, 20), min_size=2, max_size=6, unique=True))
    coords = [((-1, y), (21, y)) for y in ys] + [((x, -1), (x, 21)) for x in xs]
    coords += draw(st.lists(st.tuples(st.tuples(st.integers(0, 20), st.integers(0, 20)),
                                      st.tuples(st.integers(0, 20), st.integers(0, 20))), max_size=2))
    return draw(st.permutations(coords))


@settings(max_examples=100, deadline=None)
@given(full_grids())
def test_every_loop_returned_is_closed(coords):
    _check(coords, "get_polygons")
    try:
        polygons = SegmentCollection(segs(coords)).get_polygons()
    except Exception:  # a dead end or a zero-length piece, as the plain version
        return
    for loop in polygons:
        # Pieces end up turned by later walks, so a loop is closed when every
        # point it passes (matched as the walk matches points) is met by an
        # even number of its piece ends.
        count = {}
        for s in loop:
            for p in (s.start, s.end):
                key = (round(p.x, 3), round(p.y, 3))
                count[key] = count.get(key, 0) + 1
        assert loop and all(v % 2 == 0 for v in count.values())


@settings(max_examples=30, deadline=None)
@given(st.integers(2, 6), st.integers(2, 6))
def test_a_full_grid_gives_every_cell_once(n_h, n_v):
    coords = [((0, y), (n_v + 1, y)) for y in range(1, n_h + 1)] + \
             [((x, 0), (x, n_h + 1)) for x in range(1, n_v + 1)]
    polygons = SegmentCollection(segs(coords)).get_polygons()
    assert len(polygons) == (n_h - 1) * (n_v - 1)
    cells = {(min(s.start.x for s in loop), min(s.start.y for s in loop)) for loop in polygons}
    assert len(cells) == len(polygons)


# ------------------------------------------------------------ bad input

bad_value = st.sampled_from([math.nan, math.inf, -math.inf, 0.0, -0.0, 1e300, -1e300, 1e-300, 1.0])


@settings(max_examples=150, deadline=None)
@given(st.lists(st.tuples(st.tuples(bad_value, bad_value), st.tuples(bad_value, bad_value)), max_size=6),
       st.sampled_from(["get_connections", "get_polygons", "get_contour_segments", "clean_open_segments",
                        "knots", "get_min_weight_point"]))
def test_non_finite_and_degenerate_input_raises_python_errors_only(coords, member):
    c = SegmentCollection(segs(coords) + segs(SQUARE_X))
    try:
        getattr(c, member)() if member != "knots" else c.knots
    except (IndexError, AttributeError, TypeError, ValueError, OverflowError, Exception):
        pass


@pytest.mark.parametrize("junk", [None, 1, "ab", object(), [None], [1, 2], "a point"])
@pytest.mark.parametrize("member", ["get_connections", "get_polygons", "get_contour_segments", "get_loop_segments",
                                    "clean_open_segments", "clean_isolated_segments", "remove_duplicates"])
def test_junk_collections_raise_python_errors(junk, member):
    c = SegmentCollection([Point(0, 0)] if junk == "a point" else junk)
    try:
        getattr(c, member)()
    except Exception:
        pass


# ------------------------------------------------------------ other classes and tolerances

def test_the_class_is_a_plain_class_of_the_module():
    assert SegmentCollection.__module__ == "Strakel"
    assert SegmentCollection.__qualname__ == "SegmentCollection"
    assert SegmentCollection.__bases__ == (object,)


@pytest.mark.parametrize("coords", [SQUARE_X, RECT_UPRIGHT, TWO_SQUARES,
                                    [((0, y), (6, y)) for y in (1, 2, 3, 4)] + [((x, 0), (x, 5)) for x in (1, 3, 5)]])
def test_pieces_of_a_segment_subclass_give_the_same_loops(coords, monkeypatch):
    plain = loops_of(SegmentCollection(segs(coords)).get_polygons())

    class Piece(Strakel.Segment):
        pass

    c = SegmentCollection(segs(coords))
    monkeypatch.setattr(Strakel, "Segment", Piece)
    polygons = c.get_polygons()
    assert loops_of(polygons) == plain
    assert all(type(s) is Piece for loop in polygons for s in loop)
    assert c.segments == [] and c.dict == {}


def test_a_failed_extraction_leaves_the_list_of_the_last_whole_loop():
    # Loops are found before the walks start to wander: the list is the
    # marked pieces as the last whole loop left them, so every piece still
    # marked is in it.
    pieces = len(UNSPLIT_NOT_CLOSING)
    c = SegmentCollection(segs(UNSPLIT_NOT_CLOSING))
    with pytest.raises(Exception, match="Walk does not close."):
        c.get_polygons(split=False)
    assert 0 < len(c.segments) <= pieces
    assert all(any(k is s for s in c.segments) for k in c.dict)


def test_the_point_tolerance_is_flatkins_read_at_call_time(monkeypatch):
    import Flatkin
    import pyref_network
    near = [((0, 0), (1, 0)), ((1.004, 0), (0, 1)), ((0, 1.003), (0, 0))]
    c = SegmentCollection(segs(near))
    with pytest.raises(AttributeError, match=r"^The walls dead-end at \(1\.0, 0\.0\)"):
        c.get_contour_segments(split=False)
    monkeypatch.setattr(Flatkin, "epsilon", 0.01)
    monkeypatch.setattr(pyref_network, "epsilon", 0.01)
    c = SegmentCollection(segs(near))
    assert len(c.get_adjacent_segments(Point(1, 0))) == 2
    _check(near, "get_contour_segments", split=False)
    _check(near, "get_polygons", split=False)


def test_the_turn_tolerance_is_strakels_read_at_call_time(monkeypatch):
    a, b = seg((0, 0), (1, 1)), seg((0, 0), (1, 1.1))
    assert SegmentCollection.get_left_segment([a, b]) is b
    monkeypatch.setattr(Strakel, "epsilon", 0.1)
    assert SegmentCollection.get_left_segment([a, b]) is a
    assert SegmentCollection.get_right_segment([b, a]) is a
