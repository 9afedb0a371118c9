"""Point comparisons, distances and the queries over lists of points.

The list queries are checked by hand on the tolerance boundaries and, on
random inputs, against the literal quadratic loops in common.py."""

import math

import pytest
from hypothesis import example, given, settings
from hypothesis import strategies as st

import Flatkin
from Flatkin import Point, Vector

import common
from common import Duck, assert_xy, outcome, same_outcome

NAN, INF = float("nan"), float("inf")


# ------------------------------------------------------------ tolerant order

@pytest.mark.parametrize("a, b, greater, less", [
    (Point(0, 0), Point(5e-7, -5e-7), False, False),     # tolerantly equal
    (Point(0, 0), Point(-3, 5e-7), True, False),         # y ties, x decides
    (Point(-3, 5e-7), Point(0, 0), False, True),
    (Point(0, 0), Point(5, -1), True, False),            # y decides before x
    (Point(0, 0), Point(-5, 1), False, True),
    (Point(0, 0), Point(0, 1e-6), False, False),         # a y difference of exactly epsilon ties
    (Point(0, 0), Point(-1e-6, 0), False, False),        # and so does an x difference
    (Point(0, 0), Point(-2e-6, 0), True, False),
    (Point(0, 2e-6), Point(0, 0), True, False),
    (Point(NAN, 0), Point(0, 0), False, False),
    (Point(0, NAN), Point(0, 0), False, False),
    (Point(0, INF), Point(0, 0), True, False),
    (Vector(0, 1), Duck(0, 0), True, False),
])
def test_tolerant_order_compares_y_first_then_x(a, b, greater, less):
    assert Point.is_greater(a, b) is greater
    assert Point.is_less(a, b) is less
    if isinstance(a, Point):
        assert a.is_greater(b) is greater and a.is_less(b) is less


def test_tolerant_order_is_not_transitive():
    a, b, c = Point(0, 0), Point(-2, 0.9e-6), Point(-4, 1.8e-6)
    assert b.is_less(a) and c.is_less(b)
    assert c.is_greater(a)


@pytest.mark.parametrize("operation", [Point.is_equal, Point.is_greater, Point.is_less,
                                       Point.distance_to_point])
def test_two_point_operations_need_x_and_y(operation):
    with pytest.raises(AttributeError):
        operation(Point(0, 0), None)
    with pytest.raises(AttributeError):
        operation(None, Point(0, 0))
    with pytest.raises(AttributeError):
        operation(Point(0, 0), 3)


# ---------------------------------------------------------------- distances

@pytest.mark.parametrize("a, b, d", [
    (Point(0, 0), Point(3, 4), 5.0),
    (Point(1, 1), Point(1, 1), 0.0),
    (Vector(3, 4), Point(0, 0), 5.0),
    (Duck(-1, -1), Duck(2, 3), 5.0),
    (Point(INF, 0), Point(0, 0), INF),
])
def test_distance_is_euclidean_and_a_float(a, b, d):
    r = Point.distance_to_point(a, b)
    assert type(r) is float and r == d


def test_distance_with_nan_is_nan():
    assert math.isnan(Point(NAN, 0).distance_to_point(Point(0, 0)))


def test_distance_whose_square_overflows_raises_overflow_error():
    with pytest.raises(OverflowError):
        Point(1e200, 0).distance_to_point(Point(-1e200, 0))
    with pytest.raises(OverflowError):
        Point(0, 0).distance_to_point(Point(0, 1.5e154))


# y**2.0 is the C library's pow, which differs in the last bit from y*y here.
POW_NOT_PRODUCT = 2.9516038204700224e+16


def test_distance_squares_with_pow_not_a_product():
    x, y = 3791259725756.0, POW_NOT_PRODUCT
    assert Point(x, y).distance_to_point(Point(0, 0)) == math.sqrt(x ** 2.0 + y ** 2.0)
    assert Point(0, 0).distance_to_point(Duck(x, y)) == math.sqrt(x ** 2.0 + y ** 2.0)


@given(st.floats(-1e100, 1e100), st.floats(-1e100, 1e100), st.floats(-1e100, 1e100),
       st.floats(-1e100, 1e100))
@example(3791259725756.0, POW_NOT_PRODUCT, 0.0, 0.0)
@example(0.0, 0.0, -1e6, POW_NOT_PRODUCT)
@settings(max_examples=300, deadline=None)
def test_distance_matches_the_square_root_of_squares(ax, ay, bx, by):
    assert Point(ax, ay).distance_to_point(Point(bx, by)) == common.ref_distance(Duck(ax, ay), Duck(bx, by))


# -------------------------------------------------------------------- slope

@pytest.mark.parametrize("a, b, slope", [
    (Point(0, 0), Point(2, 1), 0.5),
    (Point(2, 1), Point(0, 0), 0.5),
    (Point(0, 0), Point(1e-6, 5), None),          # |dx| equal to epsilon counts as vertical
    (Point(0, 0), Point(-1e-6, 5), None),
    (Point(0, 0), Point(0, 0), None),
    (Point(1, 1), Point(1, 1), None),
    (Point(0, 0), Point(2e-6, 1), 500000.0),
    (Point(0, 0), Point(4, 0), 0.0),
    (Point(0, 0), Point(-4, 0), -0.0),
])
def test_calculate_slope_treats_a_near_vertical_pair_as_vertical(a, b, slope):
    r = Point.calculate_slope(a, b)
    if slope is None:
        assert r is None
    else:
        assert type(r) is float and common.same_float(r, slope)


# --------------------------------------------------- nearest and farthest

def test_nearest_and_farthest_return_the_earliest_of_equal_candidates():
    a, b = Point(1, 0), Point(0, 1)
    assert Point.find_nearest_point(Point(0, 0), [a, b]) is a
    assert Point.find_farthest_point(Point(0, 0), [a, b]) is a


def test_nearest_and_farthest_return_the_lists_own_elements():
    pts = [Point(5, 5), Point(1, 1), Point(9, 9), Point(1, 1)]
    assert Point.find_nearest_point(Point(0, 0), pts) is pts[1]
    assert Point.find_farthest_point(Point(0, 0), pts) is pts[2]
    assert Point.find_nearest_point(Point(0, 0), tuple(pts)) is pts[1]


def test_a_target_in_the_list_is_its_own_nearest_point():
    pts = [Point(3, 3), Point(1, 1), Point(2, 2)]
    assert Point.find_nearest_point(pts[1], pts) is pts[1]


def test_a_one_point_list_answers_that_point():
    p = Point(7, 7)
    for query in (Point.get_min_point, Point.get_max_point):
        assert query([p]) is p
    assert Point.get_min_point_id([p]) == 0 and Point.get_max_point_id([p]) == 0
    assert Point.find_nearest_point(Point(0, 0), [p]) is p
    assert Point.find_farthest_point(Point(0, 0), [p]) is p


@pytest.mark.parametrize("query", [
    lambda pts: Point.find_nearest_point(Point(0, 0), pts),
    lambda pts: Point.find_farthest_point(Point(0, 0), pts),
    Point.get_min_point, Point.get_min_point_id, Point.get_max_point, Point.get_max_point_id,
])
def test_queries_starting_at_the_first_element_refuse_an_empty_list(query):
    with pytest.raises(IndexError):
        query([])


def test_nearest_skips_nan_distances_after_the_first():
    pts = [Point(5, 0), Point(NAN, 0), Point(1, 0)]
    assert Point.find_nearest_point(Point(0, 0), pts) is pts[2]
    first_nan = [Point(NAN, 0), Point(1, 0)]
    assert Point.find_nearest_point(Point(0, 0), first_nan) is first_nan[0]


# ------------------------------------------------------------ de-duplication

def test_remove_duplicates_keeps_the_first_of_each_group_in_order():
    a, b, a2, c = Point(0, 0), Point(5, 5), Point(5e-7, 0), Point(9, 9)
    r = Point.remove_duplicate_points([a, b, a2, c])
    assert len(r) == 3 and r[0] is a and r[1] is b and r[2] is c


def test_remove_duplicates_compares_only_with_the_points_kept():
    a, b, c = Point(0, 0), Point(8e-7, 0), Point(1.6e-6, 0)
    r = Point.remove_duplicate_points([a, b, c])
    assert len(r) == 2 and r[0] is a and r[1] is c


def test_remove_duplicates_accepts_any_iterable_and_returns_a_new_list():
    pts = [Point(0, 0), Point(0, 0), Point(1, 1)]
    r = Point.remove_duplicate_points(pts)
    assert r is not pts and len(pts) == 3
    assert [id(p) for p in Point.remove_duplicate_points(iter(pts))] == [id(pts[0]), id(pts[2])]
    assert [id(p) for p in Point.remove_duplicate_points(tuple(pts))] == [id(pts[0]), id(pts[2])]
    empty = Point.remove_duplicate_points([])
    assert empty == [] and type(empty) is list


def test_select_unique_drops_every_point_that_has_a_twin():
    a, b, a2 = Point(0, 0), Point(5, 5), Point(1e-6, 0)
    r = Point.select_unique_points([a, b, a2])
    assert len(r) == 1 and r[0] is b


def test_select_unique_drops_an_object_listed_twice():
    a, b = Point(0, 0), Point(3, 3)
    r = Point.select_unique_points([a, b, a])
    assert len(r) == 1 and r[0] is b


def test_select_unique_counts_a_nan_point_by_identity():
    n1, n2 = Point(NAN, 0), Point(NAN, 0)
    r = Point.select_unique_points([n1, n2, n1])
    assert len(r) == 1 and r[0] is n2


def test_select_unique_accepts_a_tuple_and_refuses_what_has_no_count():
    a, b = Point(0, 0), Point(3, 3)
    assert [p is q for p, q in zip(Point.select_unique_points((a, b)), (a, b))] == [True, True]
    assert Point.select_unique_points([]) == []
    with pytest.raises(AttributeError):
        Point.select_unique_points(iter([a, b]))


def test_count_and_membership_use_tolerant_equality():
    t, t2, u = Point(0, 0), Point(1e-6, -1e-6), Point(1, 1)
    assert Point.count_point_occurrences(t, [t, t2, u]) == 2
    assert Point.is_has_same_point(t, [t, t2, u]) is True
    assert Point.is_has_same_point(Point(2, 2), [t, t2, u]) is False
    assert Point.is_has_duplicate_points([t, t2, u]) is True
    assert Point.is_has_duplicate_points([t, u]) is False


def test_count_and_membership_accept_iterators_and_empty_lists():
    pts = [Point(0, 0), Point(0, 0)]
    assert Point.count_point_occurrences(Point(0, 0), iter(pts)) == 2
    assert Point.is_has_same_point(Point(0, 0), (p for p in pts)) is True
    assert Point.count_point_occurrences(Point(0, 0), []) == 0
    assert Point.is_has_same_point(Point(0, 0), []) is False
    assert Point.is_has_duplicate_points([]) is False


def test_a_nan_target_never_counts_itself():
    n = Point(NAN, 0)
    assert Point.count_point_occurrences(n, [n]) == 0
    assert Point.is_has_same_point(n, [n]) is False
    assert Point.is_has_duplicate_points([n, n]) is False


# ----------------------------------------------------------- min and max

def test_min_point_lets_a_tie_in_y_be_decided_by_x():
    pts = [Point(0, 0), Point(-1, 5e-7)]
    assert Point.get_min_point(pts) is pts[1] and Point.get_min_point_id(pts) == 1


def test_min_point_keeps_the_earliest_of_equal_points():
    pts = [Point(0, 0), Point(5e-7, 0)]
    assert Point.get_min_point(pts) is pts[0] and Point.get_min_point_id(pts) == 0
    pts = [Point(0, 0), Point(-5e-7, 0)]
    assert Point.get_min_point(pts) is pts[0] and Point.get_min_point_id(pts) == 0


def test_max_point_mirrors_min_point():
    pts = [Point(0, 0), Point(1, -5e-7), Point(0, 5e-7)]
    assert Point.get_max_point(pts) is pts[1] and Point.get_max_point_id(pts) == 1
    pts = [Point(0, 1), Point(10, 1), Point(10, 3), Point(-4, 3)]
    assert Point.get_max_point(pts) is pts[2] and Point.get_max_point_id(pts) == 2
    assert Point.get_min_point(pts) is pts[0] and Point.get_min_point_id(pts) == 0


def test_min_and_max_take_tuples_and_report_positions_in_the_callers_list():
    pts = (Point(3, 3), Point(1, 1), Point(2, 0), Point(2, 0))
    assert Point.get_min_point_id(pts) == 2 and Point.get_min_point(pts) is pts[2]
    assert Point.get_max_point_id(pts) == 0


# ------------------------------------------------------------------- zero

def test_zero_is_a_new_origin_each_call():
    a, b = Point.zero(), Point.zero()
    assert a is not b
    assert_xy(a, 0, 0, Point)


# ------------------------------------------------ against the plain loops

SPECIAL = [0.0, -0.0, 1e-6, -1e-6, 2e-6, 5e-7, 9.999999e-7, 1.0000001e-6, 1.0, 1.000001, 3.0,
           NAN, INF, -INF, 1e12, 1e12 + 1e-4, 1e300, -1e300, 1e-300]
JITTER = [0.0, 1e-6, -1e-6, 5e-7, -5e-7, 9e-7, 1.1e-6, 2e-6, 1e-9, -0.0]

coordinate = st.one_of(
    st.sampled_from(SPECIAL),
    st.integers(-4, 4).map(lambda k: k * 5e-7),
    st.floats(-10, 10),
    st.floats(-1e6, 1e6),
    st.floats(allow_nan=True, allow_infinity=True),
)


@st.composite
def point_lists(draw, max_size=30):
    """Lists with repeated objects, near twins within and just beyond epsilon,
    NaN and infinite coordinates: everything a fast path could get wrong."""
    base = draw(st.lists(st.tuples(coordinate, coordinate), max_size=max_size))
    coords = list(base)
    for _ in range(draw(st.integers(0, 8))):
        if not coords:
            break
        x, y = coords[draw(st.integers(0, len(coords) - 1))]
        coords.append((x + draw(st.sampled_from(JITTER)), y + draw(st.sampled_from(JITTER))))
    order = draw(st.permutations(range(len(coords))))
    coords = [coords[i] for i in order]
    points = [Point(x, y) for x, y in coords]
    for _ in range(draw(st.integers(0, 3))):
        if points:
            points.insert(draw(st.integers(0, len(points))), points[draw(st.integers(0, len(points) - 1))])
    return points


def duck_twins(points):
    """The same list with every Point replaced by a plain object (object
    repeats are kept as repeats)."""
    twins = {}
    return [twins.setdefault(id(p), Duck(p.x, p.y)) for p in points]


eps_values = st.sampled_from([1e-6, 1e-6, 1e-6, 0.0, 1e-3, 0.5, 1e-12])

LIST_QUERIES = [
    ("remove_duplicate_points", Point.remove_duplicate_points, common.ref_remove_duplicates),
    ("is_has_duplicate_points", Point.is_has_duplicate_points, common.ref_has_duplicates),
    ("get_min_point", Point.get_min_point, common.ref_min_point),
    ("get_min_point_id", Point.get_min_point_id, common.ref_min_point_id),
    ("get_max_point", Point.get_max_point, common.ref_max_point),
    ("get_max_point_id", Point.get_max_point_id, common.ref_max_point_id),
    ("find_nearest_two_points", Point.find_nearest_two_points, common.ref_nearest_two),
]

TARGET_QUERIES = [
    ("find_nearest_point", Point.find_nearest_point, common.ref_nearest),
    ("find_farthest_point", Point.find_farthest_point, common.ref_farthest),
    ("count_point_occurrences", Point.count_point_occurrences, common.ref_count),
    ("is_has_same_point", Point.is_has_same_point, common.ref_has_same),
]


@pytest.mark.parametrize("name, ours, plain", LIST_QUERIES, ids=[q[0] for q in LIST_QUERIES])
@given(points=point_lists(), eps=eps_values)
@settings(max_examples=150, deadline=None)
def test_list_query_equals_the_plain_loop(name, ours, plain, points, eps):
    old = Flatkin.epsilon
    Flatkin.epsilon = eps
    try:
        expected = outcome(plain, points)
        got = outcome(ours, points)
        assert same_outcome(got, expected, (points,), (points,)), (got, expected)
        ducks = duck_twins(points)
        by_duck = outcome(ours, ducks)
        assert same_outcome(by_duck, expected, (ducks,), (points,)), (by_duck, expected)
    finally:
        Flatkin.epsilon = old


@pytest.mark.parametrize("name, ours, plain", TARGET_QUERIES, ids=[q[0] for q in TARGET_QUERIES])
@given(points=point_lists(), target=st.tuples(coordinate, coordinate), pick=st.integers(0, 1000),
       eps=eps_values)
@settings(max_examples=150, deadline=None)
def test_target_query_equals_the_plain_loop(name, ours, plain, points, target, pick, eps):
    old = Flatkin.epsilon
    Flatkin.epsilon = eps
    try:
        t = points[pick % len(points)] if points and pick % 3 == 0 else Point(*target)
        expected = outcome(plain, t, points)
        got = outcome(ours, t, points)
        assert same_outcome(got, expected, (points,), (points,)), (got, expected)
        ducks = duck_twins(points)
        by_duck = outcome(ours, Duck(t.x, t.y), ducks)
        assert same_outcome(by_duck, expected, (ducks,), (points,)), (by_duck, expected)
    finally:
        Flatkin.epsilon = old


@given(points=point_lists())
@settings(max_examples=150, deadline=None)
def test_select_unique_equals_the_count_loop(points):
    expected = common.ref_select_unique(points)
    got = Point.select_unique_points(points)
    assert [id(p) for p in got] == [id(p) for p in expected]


@given(points=point_lists(max_size=60))
@settings(max_examples=60, deadline=None)
def test_queries_on_larger_clustered_lists_match(points):
    for _, ours, plain in LIST_QUERIES:
        assert same_outcome(outcome(ours, points), outcome(plain, points), (points,), (points,))


@st.composite
def grid_lists(draw):
    """Finite points on a lattice of step near epsilon: many tolerant
    neighbours across cell borders, the hard case for a hash grid."""
    n = draw(st.integers(0, 80))
    step = draw(st.sampled_from([1e-6, 5e-7, 9.99e-7, 1.0001e-6, 3e-7, 2e-6]))
    off = draw(st.tuples(st.sampled_from([0.0, 1e3, -7.5, 1e6]), st.sampled_from([0.0, -1e3, 2.5])))
    cells = draw(st.lists(st.tuples(st.integers(-6, 6), st.integers(-6, 6)), min_size=n, max_size=n))
    return [Point(off[0] + i * step, off[1] + j * step) for i, j in cells]


@given(points=grid_lists())
@settings(max_examples=150, deadline=None)
def test_queries_on_lattices_near_epsilon_match(points):
    for _, ours, plain in LIST_QUERIES:
        assert same_outcome(outcome(ours, points), outcome(plain, points), (points,), (points,))
    assert [id(p) for p in Point.select_unique_points(points)] == \
        [id(p) for p in common.ref_select_unique(points)]


def test_remove_duplicates_on_many_random_points_matches_the_plain_loop():
    import random
    rng = random.Random(1)
    pts = [Point(rng.uniform(-1, 1), rng.uniform(-1, 1)) for _ in range(1500)]
    pts += [Point(p.x + rng.choice(JITTER), p.y + rng.choice(JITTER)) for p in pts[:500]]
    rng.shuffle(pts)
    got = Point.remove_duplicate_points(pts)
    assert [id(p) for p in got] == [id(p) for p in common.ref_remove_duplicates(pts)]
    assert Point.is_has_duplicate_points(pts) is True
    first, second = Point.find_nearest_two_points(pts)
    ref_first, ref_second = common.ref_nearest_two(pts)
    assert first is ref_first and second is ref_second


def test_queries_accept_mixed_points_vectors_and_ducks():
    pts = [Point(0, 0), Vector(1e-7, 0), Duck(5.0, 5.0), Duck(5.0, 5.0000002)]
    r = Point.remove_duplicate_points(pts)
    assert [id(p) for p in r] == [id(pts[0]), id(pts[2])]
    first, second = Point.find_nearest_two_points(pts)
    assert first is pts[0] and second is pts[1]
    assert Point.get_max_point(pts) is pts[2]


@pytest.mark.parametrize("query", [Point.remove_duplicate_points, Point.is_has_duplicate_points,
                                   Point.get_min_point, Point.find_nearest_two_points,
                                   lambda pts: Point.count_point_occurrences(Point(0, 0), pts)])
def test_an_element_without_coordinates_raises_attribute_error(query):
    with pytest.raises(AttributeError):
        query([Point(0, 0), Point(1, 1), None, Point(2, 2)])


def test_points_that_cannot_be_indexed_raise_type_error():
    with pytest.raises(TypeError):
        Point.get_min_point(iter([Point(0, 0)]))
    with pytest.raises(TypeError):
        Point.find_nearest_two_points(iter([Point(0, 0), Point(1, 1)]))
    with pytest.raises(TypeError):
        Point.remove_duplicate_points(5)


@given(st.lists(st.tuples(st.floats(-1e6, 1e6), st.floats(-1e6, 1e6)), max_size=40))
@settings(max_examples=100, deadline=None)
def test_list_queries_leave_their_input_unchanged(coords):
    pts = [Point(x, y) for x, y in coords]
    before = [(id(p), p.x, p.y) for p in pts]
    for _, ours, _ in LIST_QUERIES:
        try:
            ours(pts)
        except IndexError:
            assert not pts
    Point.select_unique_points(pts)
    assert [(id(p), p.x, p.y) for p in pts] == before


def test_a_subclass_is_read_through_its_own_attributes():
    class Shifted(Point):
        @property
        def x(self):
            return 99.0

    p = Shifted(1, 2)
    assert p.distance_to_point(Point(0, 2)) == 99.0
    assert p == Point(99, 2) and Point(99, 2) == p
    assert Point.get_max_point([Point(50, 2), p]) is p
    pts = [p, Point(99, 2), Point(1, 2)]
    assert [id(q) for q in Point.remove_duplicate_points(pts)] == [id(pts[0]), id(pts[2])]
