"""Where points, segments and polylines lie against a polyline: its bound,
on it, inside it (ray casting), the codes 0, 1, 2 and the sorting of lists."""

import random

import pytest
import shapely
from hypothesis import given, settings
from hypothesis import strategies as st

from Flatkin import Point
from Polyline import Polyline
from Strakel import Segment
from polyline_support import DIAMOND, L_ROOM, UNIT_SQUARE, Twin, agree, chains, outlines, poly, star

CONTAINMENT = ["is_point_in_bound", "is_point_on", "is_point_inside", "contains_point"]


class Duck:
    def __init__(self, x, y):
        self.x, self.y = x, y

    def __add__(self, v):
        return Duck(self.x + v.x, self.y + v.y)


@pytest.mark.parametrize("coords, xy, code", [
    (UNIT_SQUARE, (1, 1), 2), (UNIT_SQUARE, (0.5, 1e-7), 2), (UNIT_SQUARE, (0.5, -1e-7), 0),
    (UNIT_SQUARE, (0.5, 0.5), 1), ([(1, 1), (0, 1), (0, 0), (1, 0)], (0.5, 0.5), 0),
    ([(1, 1), (0, 1), (0, 0), (1, 0), (1, 1)], (0.5, 0.5), 1),
    # A vertex where the outline only touches the ray's line is no crossing.
    ([(0, 1), (1, 0), (2, 1), (1, 2), (0, 1)], (0.2, 0), 0),
    # A vertex where it crosses that line is one crossing.
    (DIAMOND, (0.5, 1), 1),
    # A horizontal edge on the ray's line between two crossings of the line.
    ([(0, 0), (2, 0), (2, 1), (3, 1), (3, 2), (0, 2), (0, 0)], (1, 1), 1),
    (L_ROOM, (4, 4), 0), (L_ROOM, (2, 3), 1), (L_ROOM, (3, 4), 2), (L_ROOM, (1, 3), 1),
])
def test_containment_code_table(coords, xy, code):
    p = poly(coords)
    assert p.contains_point(Point(*xy)) == code and type(p.contains_point(Point(*xy))) is int
    assert p.is_point_inside(Point(*xy)) is (code != 0)


@settings(max_examples=150, deadline=None)
@given(outlines(), st.integers(0, 10 ** 6))
def test_codes_agree_with_shapely_away_from_the_outline(coords, seed):
    polygon = shapely.Polygon(coords)
    if not polygon.is_valid:
        return
    shapely.prepare(polygon)
    rng = random.Random(seed)
    p = poly(coords)
    for _ in range(40):
        xy = (rng.uniform(-12, 12), rng.uniform(-12, 12))
        if rng.random() < 0.5:  # on the height of a vertex
            xy = (xy[0], rng.choice(coords)[1])
        if polygon.boundary.distance(shapely.Point(xy)) < 1e-4:
            continue
        assert p.contains_point(Point(*xy)) == (1 if polygon.contains(shapely.Point(xy)) else 0), xy


@settings(max_examples=150, deadline=None)
@given(st.one_of(outlines(), chains), st.integers(0, 10 ** 6))
def test_containment_equals_the_plain_steps(coords, seed):
    twin = Twin(coords)
    rng = random.Random(seed)
    xs = [x for x, _ in coords] + [rng.uniform(-12, 12) for _ in range(6)]
    ys = [y for _, y in coords] + [rng.uniform(-12, 12) for _ in range(6)]
    for _ in range(30):
        x, y = rng.choice(xs) + rng.choice([0, 0.5, -0.25]), rng.choice(ys)
        for name in CONTAINMENT:
            agree(twin, name, Point(x, y))


def test_many_points_at_once_give_each_points_own_code_on_the_fast_and_the_duck_typed_path():
    rng = random.Random(3)
    for grid in (False, True):
        coords = star(rng, 300, grid=grid)
        p, duck = poly(coords), poly(coords, Duck)
        pts = [Point(rng.uniform(-11, 11), rng.choice([rng.uniform(-11, 11), rng.choice(coords)[1]]))
               for _ in range(3000)] + [Point(x, y) for x, y in coords[::7]]
        codes = [p.contains_point(q) for q in pts]
        for found, code in zip(p.contains_points(pts), (0, 1, 2)):
            assert [id(q) for q in found] == [id(q) for q, c in zip(pts, codes) if c == code]
        assert duck.contains_points(pts[:200]) == p.contains_points(pts[:200])
        for x, y in coords[::5] + [(float(rng.randint(-11, 11)), float(rng.randint(-11, 11))) for _ in range(300)]:
            assert p.contains_point(Point(x, y)) == duck.contains_point(Duck(x, y)) == duck.contains_point(Point(x, y))


def test_overridden_members_are_asked_through_the_receiver():
    class Everywhere(Polyline):
        def is_point_on(self, point):
            return True
    p = Everywhere([Point(0, 0), Point(1, 0), Point(1, 1), Point(0, 0)])
    assert p.contains_point(Point(0.9, 0.1)) == 2
    assert p.contains_points([Point(0.5, 0.1)]) == ([], [], [Point(0.5, 0.1)])
    q = poly(UNIT_SQUARE)
    q.is_point_in_bound = lambda point: False
    assert q.contains_point(Point(0.5, 0.5)) == 0 and q.is_point_inside(Point(0.5, 0.5)) is False


def test_lists_keep_input_order_repeats_and_the_callers_objects():
    square, big = poly(UNIT_SQUARE), poly([(-1, -1), (2, -1), (2, 2), (-1, 2), (-1, -1)])
    a, b, c = Point(0.5, 0.5), Point(3, 3), Point(1, 0.5)
    assert square.contains_points(iter([a, b, a, c])) == ([b], [a, a], [c])
    inside, across = Segment(Point(0.2, 0.2), Point(0.8, 0.8)), Segment(Point(0.5, 0.5), Point(2, 2))
    out, inn = square.contains_segments((s for s in [across, inside, inside]))
    assert out == [across] and inn == [inside, inside] and inn[0] is inside
    assert square.contains_points([]) == ([], [], []) and square.contains_segments([]) == ([], [])
    # A polyline inside the receiver is interior.
    assert square.is_polyline_inside(big) is True and big.is_polyline_inside(square) is False
    assert big.contains_polylines([square]) == ([], [square]) and big.contains_polylines([]) == ([], [])
    assert square.contains_polylines([big, square]) == ([big], [square])
