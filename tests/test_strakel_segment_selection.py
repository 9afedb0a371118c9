"""Selections of segments out of caller lists and node extraction."""

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


# ------------------------------------------------------------ containing a point

def test_segments_containing_a_point_come_in_reverse_list_order():
    a, b, c, d = seg(0, 0, 2, 0), seg(1, -1, 1, 1), seg(5, 5, 6, 6), seg(1, 0, 1, 5)
    items = [a, b, c, d]
    assert Segment.select_segments_containing_point(Point(1, 0), items) == [d, b, a]
    assert items == [a, b, c, d]
    got = Segment.select_segments_containing_point(Point(1, 0), items, delete=True)
    assert got[0] is d and got[1] is b and got[2] is a
    assert items == [c] and items[0] is c


def test_a_point_on_no_segment_selects_nothing():
    items = [seg(0, 0, 1, 0)]
    assert Segment.select_segments_containing_point(Point(5, 5), items, True) == []
    assert Segment.select_segment_containing_point(Point(5, 5), items, True) is None
    assert len(items) == 1


def test_a_shared_end_point_is_contained_by_both_segments():
    a, b = seg(0, 0, 1, 0), seg(1, 0, 1, 1)
    assert Segment.select_segments_containing_point(Point(1, 0), [a, b]) == [b, a]


def test_deleting_removes_the_selected_segment_by_position_not_by_equality():
    a = seg(0, 0, 2, 0)
    twin = seg(2, 0, 0, 0)  # equal to a
    off = seg(5, 5, 6, 6)
    items = [a, off, twin]
    got = Segment.select_segments_containing_point(Point(1, 0), items, delete=True)
    assert got[0] is twin and got[1] is a
    assert items == [off] and items[0] is off


def test_delete_on_a_tuple_fails_at_the_first_selected_segment():
    with pytest.raises(AttributeError):
        Segment.select_segments_containing_point(Point(1, 0), (seg(0, 0, 2, 0),), True)


def test_the_single_selection_takes_the_first_match_and_pops_it():
    a, b, c = seg(5, 5, 6, 6), seg(0, 0, 2, 0), seg(1, -1, 1, 1)
    items = [a, b, c]
    assert Segment.select_segment_containing_point(Point(1, 0), items) is b
    assert items == [a, b, c]
    assert Segment.select_segment_containing_point(point=Point(1, 0), segments=items, delete=True) is b
    assert items == [a, c] and items[1] is c


# ------------------------------------------------------------ crossing a segment

def test_intersecting_segments_in_reverse_order_without_collinear_ones():
    cutter = seg(0, 0, 10, 0)
    c1, c2, par, col, touch = (seg(1, -1, 1, 1), seg(5, -1, 5, 1), seg(0, 1, 10, 1),
                               seg(2, 0, 3, 0), seg(7, 0, 7, 3))
    items = [c1, par, c2, col, touch, cutter]
    got = Segment.select_intersecting_segments(cutter, items)
    assert got == [touch, c2, c1]
    got = Segment.select_intersecting_segments(cutter, items, delete=True)
    assert items == [par, col, cutter]


def test_multi_selection_groups_by_selector_and_takes_each_segment_once():
    a, b = seg(0, 0, 10, 0), seg(0, 5, 10, 5)
    c, d, e = seg(1, -1, 1, 6), seg(3, 4, 3, 6), seg(8, -1, 8, 1)
    items = [c, d, e]
    got = Segment.select_multi_intersection_segments([a, b], items)
    assert got == [e, c, d] and got[0] is e
    assert items == []


def test_multi_selection_accepts_keywords():
    items = [seg(1, -1, 1, 1)]
    got = Segment.select_multi_intersection_segments(segments_to_select=[seg(0, 0, 2, 0)], segments=items)
    assert len(got) == 1 and items == []


# ------------------------------------------------------------ ordered node extraction

def test_ordered_extraction_drops_exact_repeats_and_keeps_the_list():
    items = [seg(0, 0, 1, 0), seg(1, 0, 1, 1), seg(1, 1, 0, 1)]
    nodes = Segment.extract_nodes_from_segments(items, True)
    assert [xy(p) for p in nodes] == [(0, 0), (1, 0), (1, 1), (0, 1)]
    assert nodes[0] is items[0].start and len(items) == 3


def test_ordered_extraction_keeps_near_repeats_that_differ():
    items = [seg(0, 0, 1, 0), Segment(Point(1.0000001, 0), Point(2, 0))]
    assert len(Segment.extract_nodes_from_segments(items, ordered=True)) == 4


def test_ordered_extraction_of_nothing_is_empty():
    assert Segment.extract_nodes_from_segments([], True) == []


# ------------------------------------------------------------ unordered node extraction

def test_unordered_extraction_of_a_loop_starts_at_the_drawn_segment():
    loop = [seg(0, 0, 1, 0), seg(1, 1, 1, 0), seg(1, 1, 0, 0)]
    for k in range(3):
        items = list(loop)
        random.seed(k)
        drawn = items[random.randint(0, 2)]
        random.seed(k)
        nodes = Segment.extract_nodes_from_segments(items)
        assert items == []
        assert nodes[0] is drawn.start
        assert sorted(xy(p) for p in nodes) == [(0, 0), (1, 0), (1, 1)]


def test_unordered_extraction_is_repeatable_with_a_seed():
    def run():
        random.seed(3)
        items = [seg(i, 0, i + 1, 0) for i in range(6)]
        random.shuffle(items)
        return [xy(p) for p in Segment.extract_nodes_from_segments(items)]

    assert run() == run()


def test_unordered_extraction_of_one_segment():
    s = seg(0, 0, 1, 0)
    items = [s]
    assert Segment.extract_nodes_from_segments(items) == [s.start, s.end]
    assert items == []


def test_unordered_extraction_of_an_empty_list_raises_randoms_error():
    with pytest.raises(ValueError) as info:
        Segment.extract_nodes_from_segments([])
    with pytest.raises(ValueError) as expected:
        random.randint(0, -1)
    assert str(info.value) == str(expected.value)


def test_unordered_extraction_of_disconnected_segments_raises():
    a, b = seg(0, 0, 1, 0), seg(5, 5, 6, 5)
    items = [a, b]
    with pytest.raises(ValueError, match="^The segments are not connected.$"):
        Segment.extract_nodes_from_segments(items)
    assert len(items) == 1 and (items[0] is a or items[0] is b)


def test_unordered_extraction_walks_an_open_chain_backwards_too():
    chain = [seg(0, 0, 1, 0), seg(1, 0, 2, 0), seg(2, 0, 3, 0), seg(3, 0, 4, 0)]
    for k in range(10):
        items = list(chain)
        random.seed(k)
        nodes = Segment.extract_nodes_from_segments(items)
        assert [p.x for p in nodes] == [0.0, 1.0, 2.0, 3.0, 4.0]
        assert items == []


def test_unordered_extraction_follows_tolerant_point_equality():
    items = [seg(0, 0, 1, 0), Segment(Point(1.0000005, 0), Point(2, 0))]
    for k in range(4):
        random.seed(k)
        nodes = Segment.extract_nodes_from_segments(list(items))
        assert [p.x for p in nodes] in ([0.0, 1.0, 2.0], [0.0, 1.0000005, 2.0])


def test_unordered_extraction_draws_from_the_shared_random_module():
    import Strakel

    calls = []

    class Fake:
        @staticmethod
        def randint(a, b):
            calls.append((a, b))
            return b

    old = Strakel.random
    Strakel.random = Fake
    try:
        items = [seg(0, 0, 1, 0), seg(1, 0, 2, 0)]
        nodes = Segment.extract_nodes_from_segments(items)
    finally:
        Strakel.random = old
    assert calls == [(0, 1)]
    assert [p.x for p in nodes] == [0.0, 1.0, 2.0]


def _reference_extract(segments, k):
    """The forward walk from the drawn segment, then on from its start."""
    kind, result = _reference_walk(segments, k)
    if kind == "error":
        raise ValueError("The segments are not connected.")
    return result


@st.composite
def chains(draw):
    n = draw(st.integers(1, 9))
    pts = [Point(i, draw(st.integers(0, 3))) for i in range(n + 1)]
    closed = draw(st.booleans()) and n >= 3
    if closed:
        pts[-1] = pts[0]
    segs = []
    for i in range(n):
        a, b = pts[i], pts[i + 1]
        segs.append(Segment(a, b) if draw(st.booleans()) else Segment(b, a))
    order = draw(st.permutations(range(n)))
    return [segs[i] for i in order], closed


@settings(max_examples=150, deadline=None)
@given(chains(), st.integers(0, 2**16))
def test_unordered_extraction_of_any_chain_gives_its_nodes_in_chain_order(chain, seed):
    items, closed = chain
    ref_items = list(items)
    random.seed(seed)
    k = random.randint(0, len(items) - 1)
    random.seed(seed)
    nodes = Segment.extract_nodes_from_segments(items)
    assert items == []
    assert [xy(p) for p in nodes] == [xy(p) for p in _reference_extract(ref_items, k)]
    xs = [p.x for p in nodes]
    if not closed:
        assert xs == sorted(xs) or xs == sorted(xs, reverse=True)
    assert len(nodes) == len(ref_items) + (0 if closed else 1)


class TolerantDuck:
    """A point class of its own with Point's equality and hash rules."""

    def __init__(self, x, y):
        self.x, self.y = float(x), float(y)

    def __eq__(self, other):
        return abs(self.x - other.x) <= 1e-6 and abs(self.y - other.y) <= 1e-6

    def __hash__(self):
        return hash((self.x, self.y))


@settings(max_examples=100, deadline=None)
@given(chains(), st.integers(0, 2**16))
def test_unordered_extraction_walks_other_point_classes_alike(chain, seed):
    items, _ = chain
    twins = [Segment(TolerantDuck(s.start.x, s.start.y), TolerantDuck(s.end.x, s.end.y)) for s in items]
    random.seed(seed)
    nodes = Segment.extract_nodes_from_segments(items)
    random.seed(seed)
    twin_nodes = Segment.extract_nodes_from_segments(twins)
    assert [xy(p) for p in nodes] == [xy(p) for p in twin_nodes]
    assert items == [] and twins == []


def test_unordered_extraction_leaves_the_unreached_segments_in_list_order():
    a, b, c, d = seg(0, 0, 1, 0), seg(5, 5, 6, 5), seg(1, 0, 2, 0), seg(7, 7, 8, 8)
    for twin in (False, True):
        items = [a, b, c, d]
        if twin:
            items = [Segment(TolerantDuck(*xy(s.start)), TolerantDuck(*xy(s.end))) for s in items]
        kept = [items[1], items[3]]

        class First:
            @staticmethod
            def randint(lo, hi):
                return 0

        import Strakel

        old, Strakel.random = Strakel.random, First
        try:
            with pytest.raises(ValueError, match="^The segments are not connected.$"):
                Segment.extract_nodes_from_segments(items)
        finally:
            Strakel.random = old
        assert items == kept and items[0] is kept[0] and items[1] is kept[1]


def _reference_walk(segments, k):
    """The walk over a plain list, as the scan from its front takes segments:
    returns the nodes, or the error and the segments left in the list."""
    segments = list(segments)
    first = segments.pop(k)

    def take(end):
        for i, s in enumerate(segments):
            if end == s.start:
                segments.pop(i)
                return s.end
            if end == s.end:
                segments.pop(i)
                return s.start
        return None

    nodes, end = [first.start, first.end], first.end
    while segments:
        end = take(end)
        if end is None:
            break
        nodes.append(end)
    back = first.start
    while segments:
        back = take(back)
        if back is None:
            return "error", segments
        nodes.insert(0, back)
    out = []
    for p in nodes:
        if p not in set(out):
            out.append(p)
    return "nodes", out


near = st.sampled_from([0.0, 5e-7, 1e-6, 2e-6, 1.0, 1.0000008, 2.0])


@settings(max_examples=200, deadline=None)
@given(st.lists(st.tuples(near, near, near, near), min_size=1, max_size=12), st.integers(0, 2**16))
def test_unordered_extraction_of_any_segments_matches_the_plain_walk(raw, seed):
    items = [Segment(Point(a, b), Point(c, d)) for a, b, c, d in raw]
    random.seed(seed)
    k = random.randint(0, len(items) - 1)
    kind, expected = _reference_walk(items, k)
    random.seed(seed)
    if kind == "error":
        with pytest.raises(ValueError, match="^The segments are not connected.$"):
            Segment.extract_nodes_from_segments(items)
        assert len(items) == len(expected) and all(a is b for a, b in zip(items, expected))
    else:
        nodes = Segment.extract_nodes_from_segments(items)
        assert items == [] and len(nodes) == len(expected)
        assert all(a is b for a, b in zip(nodes, expected))


class _Wall(Segment):
    pass


class _Walls(list):
    """A list of another kind: the walk takes segments out with its pop."""


class _EqPoint(Point):
    """A Point subclass: compared through its own `==` (Flatkin's rule)."""


# The walk on coordinates (our Segments between our Points, in a plain list)
# and the walk through `==` (any other segment, point or list) agree with the
# scan, nodes and left-over list alike.
_KINDS = {
    "subclassed segments": lambda a, b, c, d: _Wall(Point(a, b), Point(c, d)),
    "point subclass": lambda a, b, c, d: Segment(_EqPoint(a, b), _EqPoint(c, d)),
}


@settings(max_examples=150, deadline=None)
@given(st.lists(st.tuples(near, near, near, near), min_size=1, max_size=10), st.integers(0, 2**16),
       st.sampled_from(sorted(_KINDS)), st.booleans())
def test_the_walk_through_equality_matches_the_plain_walk(raw, seed, kind, other_list):
    make = _KINDS[kind]
    items = [make(*r) for r in raw]
    if other_list:
        items = _Walls(items)
    random.seed(seed)
    k = random.randint(0, len(items) - 1)
    outcome, expected = _reference_walk(items, k)
    random.seed(seed)
    if outcome == "error":
        with pytest.raises(ValueError, match="^The segments are not connected.$"):
            Segment.extract_nodes_from_segments(items)
        assert len(items) == len(expected) and all(a is b for a, b in zip(items, expected))
    else:
        nodes = Segment.extract_nodes_from_segments(items)
        assert len(items) == 0 and all(a is b for a, b in zip(nodes, expected)) and len(nodes) == len(expected)
