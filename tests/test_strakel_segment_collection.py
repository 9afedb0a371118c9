"""SegmentCollection as a container: the list protocol on the caller's list,
end points and knots, weights, and the cleaning of open segments."""

import random

import pytest
from hypothesis import given, settings, strategies as st

import Strakel
from Flatkin import Point, Vector
from Strakel import SegmentCollection

from pyref_network import SegmentCollection as RefCollection, segments_of as ref_segments


def seg(a, b):
    return Strakel.Segment(Point(*a), Point(*b))


def segs(coords):
    return [seg(a, b) for a, b in coords]


def ends(s):
    return (s.start.x, s.start.y, s.end.x, s.end.y)


SQUARE = [((0, 0), (1, 0)), ((1, 0), (1, 1)), ((1, 1), (0, 1)), ((0, 1), (0, 0))]
TAIL = [((1, 1), (2, 2))]


# ------------------------------------------------------------ construction

def test_the_collection_holds_the_callers_list_itself():
    lst = segs(SQUARE)
    c = SegmentCollection(lst)
    assert c.segments is lst
    assert c.dict == {} and type(c.dict) is dict
    assert (c.current_dir, c.current_pt, c.current_seg, c.end_pt) == (None, None, None, None)


def test_construction_neither_copies_nor_tests_its_argument():
    marker = object()
    assert SegmentCollection(marker).segments is marker
    assert SegmentCollection(segments=None).segments is None


def test_the_state_is_made_of_plain_assignable_attributes():
    c = SegmentCollection([])
    assert list(vars(c)) == ["segments", "dict", "current_dir", "current_pt", "current_seg", "end_pt"]
    c.current_seg = seg((0, 0), (1, 0))
    c.extra = 1
    assert c.extra == 1


def test_members_have_the_documented_kinds():
    d = SegmentCollection.__dict__
    for name in ("endpoints", "knots"):
        assert isinstance(d[name], property)
    c = SegmentCollection([])
    with pytest.raises(AttributeError):
        c.knots = []
    with pytest.raises(AttributeError):
        c.endpoints = []
    # static methods work through the class and through an instance
    for target in (SegmentCollection, c):
        assert target.create_weight_dict([], []) == {}
        assert target.get_right_segment([]) is None
        assert target.get_left_segment(segments=[]) is None
        assert target.set_direction_by_point([], Point(0, 0)) == []


def test_every_parameter_is_taken_by_keyword_under_its_name():
    lst = segs(SQUARE)
    s = lst[0]
    c = SegmentCollection(segments=lst)
    assert c.__getitem__(index=0) is s
    assert c.__contains__(item=s) and c.index(segment=s) == 0 and c.count(segment=s) == 1
    c.__setitem__(index=0, value=s)
    c.append(segment=s)
    c.remove(segment=s)
    c.insert(index=0, segment=s)
    c.extend(segments=[])
    assert c.pop(index=0) is s
    c.__delitem__(index=-1)
    c.sort(key=id, reverse=True)
    assert len(lst) == 3
    assert SegmentCollection.create_weight_dict(points=[], segments=[]) == {}
    assert SegmentCollection.set_direction_by_point(segments=lst, point=Point(0, 0)) is lst
    assert SegmentCollection.get_right_segment(segments=[], vector=Vector(0, 1)) is None
    assert SegmentCollection.get_left_segment(segments=[], vector=Vector(0, 1)) is None
    assert c.get_adjacent_segments(point=Point(5, 5)) == []
    c = SegmentCollection(segs(SQUARE))
    assert len(c.get_contour_segments(split=False, clean=False)) == 4
    assert len(SegmentCollection(segs(SQUARE)).get_loop_segments(split=False, clean=False)) == 4
    assert len(SegmentCollection(segs(SQUARE)).get_polygons(split=True, clean=False)) == 1


def test_a_wrong_keyword_is_a_type_error():
    with pytest.raises(TypeError):
        SegmentCollection([]).append(item=1)
    with pytest.raises(TypeError):
        SegmentCollection([]).get_polygons(True, False, None)


# ------------------------------------------------------------ list protocol

def test_an_empty_collection_is_false_and_has_length_zero():
    c = SegmentCollection([])
    assert not c and len(c) == 0
    assert c.endpoints == [] and c.knots == [] and c.remove_duplicates() == []


def test_indexing_slicing_and_iteration_follow_the_list():
    lst = segs(SQUARE)
    c = SegmentCollection(lst)
    assert c[0] is lst[0] and c[-1] is lst[-1]
    assert c[1:3] == lst[1:3] and type(c[1:3]) is list
    assert [s for s in c] == lst
    new = seg((5, 5), (6, 6))
    c[0] = new
    assert lst[0] is new
    del c[0]
    assert len(lst) == 3
    with pytest.raises(IndexError):
        c[10]
    with pytest.raises(IndexError):
        del c[10]


def test_changes_show_on_both_sides_until_a_split():
    lst = segs(SQUARE)
    c = SegmentCollection(lst)
    extra = seg((3, 3), (4, 4))
    c.append(extra)
    assert lst[-1] is extra
    lst.append(seg((7, 7), (8, 8)))
    assert len(c) == 6
    c.get_connections()
    assert c.segments is not lst and len(lst) == 6


def test_membership_and_counting_go_by_segment_equality():
    lst = segs(SQUARE)
    c = SegmentCollection(lst)
    reversed_copy = seg((1, 0), (0, 0))
    assert reversed_copy in c
    assert c.index(reversed_copy) == 0
    assert c.count(reversed_copy) == 1
    c.append(reversed_copy)
    assert c.count(lst[0]) == 2
    c.remove(seg((1, 0), (0, 0)))
    assert lst[0] is not reversed_copy and lst[-1] is reversed_copy
    assert seg((0, 0), (1.0000001, 0)) not in c


def test_list_errors_are_the_lists_own():
    c = SegmentCollection(segs(SQUARE))
    with pytest.raises(ValueError):
        c.remove(seg((9, 9), (8, 8)))
    with pytest.raises(ValueError):
        c.index(seg((9, 9), (8, 8)))
    with pytest.raises(TypeError):
        c.sort()
    with pytest.raises(IndexError):
        SegmentCollection([]).pop()
    with pytest.raises(AttributeError):
        c.index(5)


def test_pop_insert_extend_reverse_and_sort():
    lst = segs(SQUARE)
    first, last = lst[0], lst[-1]
    c = SegmentCollection(lst)
    assert c.pop() is last and c.pop(0) is first
    c.insert(0, last)
    c.extend([first])
    assert lst[0] is last and lst[-1] is first
    before = [ends(s) for s in lst]
    c.reverse()
    assert [ends(s) for s in lst] == before[::-1]
    c.sort(key=lambda s: s.start.x + s.start.y, reverse=True)
    keys = [s.start.x + s.start.y for s in lst]
    assert keys == sorted(keys, reverse=True)


def test_protocol_members_follow_a_replaced_list():
    c = SegmentCollection([])
    other = segs(SQUARE)
    c.segments = other
    assert len(c) == 4 and c[0] is other[0]


# ------------------------------------------------------------ points

def test_endpoints_are_the_segments_own_points_in_order_with_repeats():
    lst = segs(SQUARE)
    pts = SegmentCollection(lst).endpoints
    assert len(pts) == 8
    for i, s in enumerate(lst):
        assert pts[2 * i] is s.start and pts[2 * i + 1] is s.end


def test_knots_merge_exactly_equal_points_only():
    lst = segs(SQUARE) + [seg((2, 2), (2.0000001, 2)), seg((-0.0, 0.0), (0, -1))]
    knots = SegmentCollection(lst).knots
    coords = sorted((p.x, p.y) for p in knots)
    assert coords == sorted({(0.0, 0.0), (1.0, 0.0), (1.0, 1.0), (0.0, 1.0), (2.0, 2.0), (2.0000001, 2.0),
                             (0.0, -1.0)})
    assert knots[0].y == -1.0  # lowest first


def test_knots_come_lowest_first_with_nan_points_last():
    lst = [seg((5, 5), (float("nan"), 0)), seg((1, 2), (0, 2)), seg((3, -1), (3, 1))]
    knots = SegmentCollection(lst).knots
    assert [(p.x, p.y) for p in knots[:5]] == [(3, -1), (3, 1), (0, 2), (1, 2), (5, 5)]
    assert knots[-1] is lst[0].end


def test_remove_duplicates_keeps_the_first_of_each_group():
    lst = segs(SQUARE)
    twin = seg((1, 0), (0, 0))
    c = SegmentCollection(lst + [twin, lst[1]])
    unique = c.remove_duplicates()
    assert len(unique) == 4 and all(s in lst for s in unique)
    assert all(any(u is s for s in lst) for u in unique)
    assert len(c) == 6


# ------------------------------------------------------------ weights

def test_weights_count_segment_ends_on_each_point():
    lst = segs(SQUARE + TAIL)
    c = SegmentCollection(lst)
    w = c.create_weight_dict(c.endpoints, lst)
    assert {(p.x, p.y): v for p, v in w.items()} == {(0, 0): 2, (1, 0): 2, (1, 1): 3, (0, 1): 2, (2, 2): 1}
    assert next(iter(w)) is lst[0].start  # keyed by the first occurrence


def test_weights_never_create_entries():
    p = Point(0, 0)
    w = SegmentCollection.create_weight_dict([p, Point(9, 9)], [])
    assert list(w.values()) == [0, 0]
    with pytest.raises(KeyError) as err:
        SegmentCollection.create_weight_dict([p], [seg((0, 0), (1, 0))])
    assert err.value.args[0] == Point(1, 0)


def test_the_least_weight_point_is_drawn_from_the_shared_generator():
    lst = segs([((0, 0), (1, 0)), ((1, 0), (2, 0))])
    c = SegmentCollection(lst)
    seen = set()
    for seed in range(30):
        random.seed(seed)
        p = c.get_min_weight_point()
        assert p is lst[0].start or p is lst[1].end
        seen.add(id(p))
        random.seed(seed)
        assert random.choice([lst[0].start, lst[1].end]) is p
    assert len(seen) == 2


def test_the_least_weight_point_of_an_empty_collection_is_a_value_error():
    with pytest.raises(ValueError):
        SegmentCollection([]).get_min_weight_point()


# ------------------------------------------------------------ cleaning

@pytest.mark.parametrize("coords, isolated, once, repeated", [
    ([], 0, 0, 0),
    ([((0, 0), (1, 0))], 1, 1, 1),
    ([((0, 0), (1, 0)), ((1, 0), (2, 0))], 0, 2, 2),
    (SQUARE, 0, 0, 0),
    (SQUARE + TAIL, 0, 3, 5),
    (SQUARE + [((1, 1), (2, 1)), ((2, 1), (2, 0)), ((2, 0), (1, 0))], 0, 5, 7),
    ([((0, 0), (1, 0)), ((1.0000001, 0), (2, 0))], 2, 2, 2),
    ([((3, 3), (3, 3))], 0, 0, 0),
    ([((0, 0), (1, 0)), ((1, 0), (0, 0))], 0, 0, 0),
])
def test_cleaning_removes_as_many_segments_as_documented(coords, isolated, once, repeated):
    for method, removed in (("clean_isolated_segments", isolated), ("_clean_open_segments", once),
                            ("clean_open_segments", repeated)):
        lst = segs(coords)
        c = SegmentCollection(lst)
        assert getattr(c, method)() is None
        assert c.segments is lst
        assert len(lst) == len(coords) - removed


def test_a_square_with_a_tail_is_cleaned_in_passes_of_three_then_two():
    lst = segs(SQUARE + TAIL)
    c = SegmentCollection(lst)
    c._clean_open_segments()
    assert [ends(s) for s in lst] == [(0, 0, 1, 0), (0, 1, 0, 0)]
    c._clean_open_segments()
    assert lst == []


def test_cleaning_keeps_the_survivors_objects_and_order():
    lst = segs(SQUARE + TAIL + SQUARE)
    kept = [s for s in lst[:4]]
    c = SegmentCollection(lst[:4] + lst[5:] + [lst[4]])
    c.clean_isolated_segments()
    assert c.segments[:4] == kept


class _Sequence(list):
    """A list subclass: cleaned through its own remove."""


def test_cleaning_a_list_subclass_goes_through_its_remove():
    lst = _Sequence(segs(SQUARE + TAIL))
    SegmentCollection(lst).clean_open_segments()
    assert lst == []


def _coords_strategy():
    coord = st.integers(0, 3)
    point = st.tuples(coord, coord)
    return st.lists(st.tuples(point, point), max_size=12)


@settings(max_examples=150, deadline=None)
@given(_coords_strategy())
def test_cleaning_equals_the_plain_passes(coords):
    for method in ("clean_isolated_segments", "_clean_open_segments", "clean_open_segments"):
        ours = SegmentCollection(segs(coords))
        ref = RefCollection(ref_segments(coords))
        getattr(ours, method)()
        getattr(ref, method)()
        assert [ends(s) for s in ours.segments] == [ends(s) for s in ref.segments]


@settings(max_examples=100, deadline=None)
@given(_coords_strategy())
def test_knots_and_weights_equal_the_plain_version(coords):
    ours = SegmentCollection(segs(coords))
    ref = RefCollection(ref_segments(coords))
    assert [(p.x, p.y) for p in ours.knots] == [(p.x, p.y) for p in ref.knots]
    w1 = ours.create_weight_dict(ours.endpoints, ours.segments)
    w2 = ref.create_weight_dict(ref.endpoints, ref.segments)
    assert [((p.x, p.y), v) for p, v in w1.items()] == [((p.x, p.y), v) for p, v in w2.items()]


def test_the_default_direction_of_the_turn_rules_is_the_x_axis():
    c = SegmentCollection([])
    a = seg((0, 0), (0, 1))
    b = seg((0, 0), (1, -1))
    assert c.get_right_segment([a, b]) is b is c.get_right_segment([a, b], Vector(1, 0))
    assert SegmentCollection.get_left_segment([a, b]) is a
    assert SegmentCollection.get_left_segment([a, b], vector=Vector(0, -1)) is a
    assert SegmentCollection.get_right_segment([a, b], vector=Vector(-1, 0)) is a
