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
    "has_same": lambda P, t, pts: P.is_has_same_point(t, pts), "min": lambda P, t, pts: P.get_min_point(pts),
    "min_id": lambda P, t, pts: P.get_min_point_id(pts), "max": lambda P, t, pts: P.get_max_point(pts),
    "max_id": lambda P, t, pts: P.get_max_point_id(pts),
    "closest_pair": lambda P, t, pts: P.find_nearest_two_points(pts), "center": lambda P, t, pts: P.find_center(pts),
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
def test_list_queries_match_with_odd_coordinates_duck_points_and_tuples(coords, target, spoils):
    coords = [list(c) for c in coords]
    for i, axis, v in spoils:
        if i < len(coords):
            coords[i][axis] = v
    coords = [tuple(c) for c in coords]
    check_all(coords, target)
    check_all(coords, target, make=Duck3)
    check_all(coords, target, container=tuple)


CHAIN = [(0, 0, 0), (8e-7, 0, 0), (1.6e-6, 0, 0)]            # tolerant twins in a chain
FIRST_PAIR = [(0, 0, 0), (3, 0, 0), (1, 0, 0), (4, 0, 0)]   # the first closest pair met wins
MIXED = [(0, 0, 0), (0.5, 0, 0), (1, 0, 0), (0, 0, 0), (1e-7, 0, 0)]


@pytest.mark.parametrize("eps, coords, target", [
    (None, [], (0, 0, 0)), (None, CHAIN, (8e-7, 0, 0)), (None, FIRST_PAIR, (2, 0, 0)), (None, FIRST_PAIR[:1], (0, 0, 0)),
    *((eps, MIXED, (0.4, 0, 0)) for eps in (0.0, -1.0, 0.6, float("inf"), float("nan"))),
])
def test_list_queries_on_edge_lists_and_a_rebound_epsilon(monkeypatch, eps, coords, target):
    if eps is not None:
        monkeypatch.setattr(Solidar, "epsilon", eps)
        monkeypatch.setattr(ref, "epsilon", eps)
    check_all(coords, target)


@pytest.mark.parametrize("seed", [0, 1, 2])
def test_closest_pair_of_many_points_equals_the_quadratic_scan(seed):
    rng = np.random.default_rng(seed)
    coords = np.round(rng.uniform(-20, 20, (1500, 3)), 1)  # many exact ties
    ours = [Point3d(*c) for c in coords]
    plain = [ref.Point3d(*c) for c in coords]
    got = Point3d.find_nearest_two_points(ours)
    want = ref.Point3d.find_nearest_two_points(plain)
    assert [ours.index(p) for p in got] == [plain.index(p) for p in want]


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
    for call, error in ((lambda: Point3d.generate_random_points(2.0), TypeError),
                        (lambda: Point3d.random_point((1,)), IndexError)):
        with pytest.raises(error):
            call()
    assert np.array_equal(np.random.get_state()[1], state)
