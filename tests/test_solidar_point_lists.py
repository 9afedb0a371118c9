"""Point3d list queries against the plain quadratic scans, and random points
against the same draws from numpy's shared generator."""

import numpy as np
import pytest
from hypothesis import given, settings
from hypothesis import strategies as st

import pyref_solidar as ref
import Solidar
from Solidar import Point3d

from common import Duck3, solid_outcome

# Points on a coarse lattice, each nudged by less or more than epsilon, so
# that lists hold exact repeats, tolerant twins, chains and far points.
nudge = st.sampled_from([0.0, 4e-7, -9e-7, 1e-6, 1.1e-6, 3e-6])
coordinate = st.builds(lambda k, d: k * 0.5 + d, st.integers(-3, 3), nudge)
odd = st.sampled_from([float("nan"), float("inf"), -float("inf"), 1e200])
point = st.tuples(coordinate, coordinate, coordinate)
points = st.lists(point, max_size=40)

LIST_QUERIES = {
    "nearest": lambda P, t, pts: P.find_nearest_point(t, pts),
    "farthest": lambda P, t, pts: P.find_farthest_point(target_point=t, points=pts),
    "remove_duplicates": lambda P, t, pts: P.remove_duplicate_points(pts),
    "select_unique": lambda P, t, pts: P.select_unique_points(pts),
    "count": lambda P, t, pts: P.count_point_occurrences(t, pts),
    "has_duplicates": lambda P, t, pts: P.is_has_duplicate_points(pts),
    "has_same": lambda P, t, pts: P.is_has_same_point(t, pts),
    "min": lambda P, t, pts: P.get_min_point(pts),
    "min_id": lambda P, t, pts: P.get_min_point_id(pts),
    "max": lambda P, t, pts: P.get_max_point(pts),
    "max_id": lambda P, t, pts: P.get_max_point_id(pts),
    "closest_pair": lambda P, t, pts: P.find_nearest_two_points(pts),
    "center": lambda P, t, pts: P.find_center(pts),
}


def check_all(coords, target, make=None, container=list):
    for name, query in LIST_QUERIES.items():
        ours_pts = container((make or Point3d)(*c) for c in coords)
        plain_pts = container((make or ref.Point3d)(*c) for c in coords)
        ours = solid_outcome(query, Point3d, Point3d(*target), ours_pts)
        plain = solid_outcome(query, ref.Point3d, ref.Point3d(*target), plain_pts)
        assert ours == plain, name


@settings(max_examples=300, deadline=None)
@given(points, point)
def test_list_queries_match_the_plain_scans(coords, target):
    check_all(coords, target)


@settings(max_examples=60, deadline=None)
@given(points, point, st.lists(st.tuples(st.integers(0, 39), st.integers(0, 2), odd), max_size=3))
def test_list_queries_match_with_nan_infinite_and_huge_coordinates(coords, target, spoils):
    coords = [list(c) for c in coords]
    for i, axis, v in spoils:
        if i < len(coords):
            coords[i][axis] = v
    check_all([tuple(c) for c in coords], target)


@settings(max_examples=60, deadline=None)
@given(points, point)
def test_list_queries_match_for_duck_points_and_tuples(coords, target):
    check_all(coords, target, make=Duck3)
    check_all(coords, target, container=tuple)


@pytest.mark.parametrize("eps", [0.0, -1.0, 0.6, float("inf"), float("nan")])
def test_list_queries_follow_a_rebound_epsilon(monkeypatch, eps):
    monkeypatch.setattr(Solidar, "epsilon", eps)
    monkeypatch.setattr(ref, "epsilon", eps)
    check_all([(0, 0, 0), (0.5, 0, 0), (1, 0, 0), (0, 0, 0), (1e-7, 0, 0)], (0.4, 0, 0))


def test_results_are_the_lists_own_elements():
    pts = [Point3d(5, 0, 0), Point3d(1, 5e-7, 0), Point3d(1, 0, 0)]
    assert Point3d.get_min_point(pts) is pts[Point3d.get_min_point_id(pts)] is pts[1]
    assert Point3d.find_nearest_point(pts[2], pts) is pts[2]
    p = Point3d(1, 1, 1)
    assert Point3d.remove_duplicate_points([p, p])[0] is p
    assert Point3d.select_unique_points([p, p]) == []
    assert Point3d.find_nearest_two_points([p, p]) == (p, p)


def test_tolerant_chains_follow_the_kept_points():
    pts = [Point3d(0, 0, 0), Point3d(8e-7, 0, 0), Point3d(1.6e-6, 0, 0)]
    assert Point3d.remove_duplicate_points(pts) == [pts[0], pts[2]]
    assert Point3d.select_unique_points(pts) == []
    assert Point3d.count_point_occurrences(Point3d(8e-7, 0, 0), pts) == 3


def test_closest_pair_keeps_the_first_pair_met():
    pts = [Point3d(0, 0, 0), Point3d(3, 0, 0), Point3d(1, 0, 0), Point3d(4, 0, 0)]
    first, second = Point3d.find_nearest_two_points(pts)
    assert first is pts[0] and second is pts[2]
    assert Point3d.find_nearest_two_points(pts[:1]) == (None, None)


@pytest.mark.parametrize("seed", [0, 1, 2])
def test_closest_pair_of_many_points_equals_the_quadratic_scan(seed):
    rng = np.random.default_rng(seed)
    coords = np.round(rng.uniform(-20, 20, (1500, 3)), 1)  # many exact ties
    ours = [Point3d(*c) for c in coords]
    plain = [ref.Point3d(*c) for c in coords]
    got = Point3d.find_nearest_two_points(ours)
    want = ref.Point3d.find_nearest_two_points(plain)
    assert [ours.index(p) for p in got] == [plain.index(p) for p in want]


@pytest.mark.parametrize("query, error", [
    (Point3d.get_min_point, IndexError), (Point3d.get_max_point_id, IndexError),
    (lambda pts: Point3d.find_nearest_point(Point3d(0, 0, 0), pts), IndexError),
    (Point3d.find_center, ZeroDivisionError),
])
def test_empty_lists_raise(query, error):
    with pytest.raises(error):
        query([])


def test_empty_lists_give_empty_answers():
    assert Point3d.remove_duplicate_points([]) == [] and Point3d.select_unique_points([]) == []
    assert Point3d.count_point_occurrences(Point3d(0, 0, 0), []) == 0
    assert Point3d.is_has_duplicate_points([]) is False and Point3d.is_has_same_point(Point3d(0, 0, 0), []) is False


# ----------------------------------------------------------- random points

@pytest.mark.parametrize("call", [
    lambda P: P.generate_random_points(3),
    lambda P: P.random_points(3, (0, 1, 99), y_range=[5, 6]),
    lambda P: [P.random_point(), P.random_point(z_range=(-1, 1))],
    lambda P: P.random_points(-2),
])
def test_random_points_draw_as_the_plain_steps_do(call):
    np.random.seed(7)
    ours = call(Point3d)
    after_ours = np.random.random()
    np.random.seed(7)
    plain = call(ref.Point3d)
    assert solid_outcome(lambda: ours) == solid_outcome(lambda: plain)
    assert np.random.random() == after_ours


def test_random_points_lie_in_their_ranges_and_need_an_int_count():
    np.random.seed(3)
    pts = Point3d.generate_random_points(200, (0, 1, 99))
    assert all(0 <= p.x < 1 and -10 <= p.y < 10 and -10 <= p.z < 10 for p in pts)
    state = np.random.get_state()[1].copy()
    with pytest.raises(TypeError):
        Point3d.generate_random_points(2.0)
    assert np.array_equal(np.random.get_state()[1], state)
    with pytest.raises(IndexError):
        Point3d.random_point((1,))
