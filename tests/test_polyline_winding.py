"""Area, turn sums, winding codes and convexity."""

import itertools
import math
import random

import pytest
import shapely
from hypothesis import given, settings
from hypothesis import strategies as st

from polyline_support import Twin, agree, chains, histogram_room, outlines, poly, star, xy

WINDING = ["area", "is_clockwise", "simple_wise", "wise", "start_vector", "end_vector", "is_convex"]


@settings(max_examples=150, deadline=None)
@given(outlines(), st.booleans())
def test_area_and_bound_agree_with_shapely_in_both_orientations(coords, backwards):
    coords = coords[::-1] if backwards else coords
    ring = shapely.Polygon(coords)
    assert poly(coords).area == pytest.approx(ring.area, rel=1e-12, abs=1e-12)
    assert poly(coords).bound == tuple(ring.bounds)


@settings(max_examples=200, deadline=None)
@given(chains, st.booleans())
def test_winding_members_equal_the_plain_steps(coords, closed):
    twin = Twin(coords, closed)
    for name in WINDING:
        agree(twin, name)


@settings(max_examples=100, deadline=None)
@given(outlines(), st.booleans())
def test_winding_code_of_a_convex_outline_follows_shapely_orientation(coords, backwards):
    # A sum of turn cross products, not of angles: its sign is the
    # orientation for convex outlines (and not always otherwise).
    hull = shapely.Polygon(coords).convex_hull
    if hull.geom_type != "Polygon" or hull.area < 1e-6:
        return
    ring = list(hull.exterior.coords)[::-1] if backwards else list(hull.exterior.coords)
    p = poly(ring)
    assert p.is_convex() and p.wise == (1 if shapely.LinearRing(ring).is_ccw else 0)
    assert (p.is_clockwise < 0) == (p.wise == 0)


@pytest.mark.parametrize("seed", range(40))
def test_is_convex_is_the_hull_test_whatever_the_start_vertex(seed):
    rng = random.Random(seed)
    shape = histogram_room(rng, rng.randint(1, 3)) if seed % 2 else star(rng, rng.randint(3, 9), grid=True)
    ring = shape[:-1]
    if not shapely.Polygon(shape).is_valid:
        return
    for start in range(len(ring)):  # the closing vertex takes every corner in turn
        for coords in (ring[start:] + ring[:start + 1], (ring[start:] + ring[:start + 1])[::-1]):
            p, region = poly(coords), shapely.Polygon(coords)
            assert p.is_convex() == (region.area == region.convex_hull.area), coords
            box = shapely.Polygon(xy(p.bounding_box(typ=1)))
            assert box.covers(region) and p.is_convex() == Twin(coords).plain.is_convex()
            assert poly(coords[:-1]).is_convex() == Twin(coords[:-1]).plain.is_convex()  # open: inner vertices only


def test_a_concave_start_vertex_is_not_convex():
    room = poly([(360, 110), (390, 110), (390, 290), (270, 290), (270, 50), (360, 50), (360, 110)])
    assert not room.is_convex() and poly([(360, 110), (390, 110), (390, 290), (270, 290), (270, 50),
                                          (360, 50)]).is_convex()
    assert shapely.Polygon(xy(room.bounding_box(typ=1))).covers(shapely.Polygon(xy(room)))


def turn_sum_code(ring, closed):
    """The winding code by the sum of turns at the interior vertices (and, open, at both ends)."""
    v = [(b[0] - a[0], b[1] - a[1]) for a, b in zip(ring, ring[1:])]
    cross = lambda a, b: a[0] * b[1] - a[1] * b[0]
    s = sum(cross(a, b) for a, b in zip(v, v[1:]))
    if not closed:
        c = (ring[0][0] - ring[-1][0], ring[0][1] - ring[-1][1])
        s += cross(c, v[0]) + cross(v[-1], c)
    return 0 if s < 0 else 1 if s > 0 else 2


def star_shaped(rng):
    n = rng.randint(5, 14)
    polar = [((k + rng.random()) * 2 * math.pi / n, rng.uniform(0.2, 5)) for k in range(n)]  # gaps below pi
    return [(r * math.cos(a), r * math.sin(a)) for a, r in polar]


def rectilinear_room(rng):
    while True:
        boxes = [shapely.box(x, y, x + rng.randint(1, 8), y + rng.randint(1, 8))
                 for x, y in ((rng.randint(0, 8), rng.randint(0, 8)) for _ in range(rng.randint(2, 5)))]
        room = shapely.unary_union(boxes)
        if room.geom_type == "Polygon" and not room.interiors:
            return [(float(x), float(y)) for x, y in room.exterior.coords[:-1]]


NAMED = [[(60, 180), (140, 120), (100, 180), (140, 240)],  # the arrowhead of an ordinary plan
         [(18, 6), (18, 13), (22, 13), (22, 14), (18, 14), (18, 16), (23, 16), (23, 19), (19, 19), (19, 33),
          (18, 33), (18, 19), (6, 19), (6, 16), (3, 16), (3, 15), (6, 15), (6, 6)]]


@pytest.mark.parametrize("kind", [star_shaped, rectilinear_room])
def test_winding_code_of_non_convex_outlines_is_the_sign_of_their_area(kind):
    rng = random.Random(26)
    rings = NAMED + [kind(rng) for _ in range(400)]
    for ring, backwards, closed in itertools.product(rings, (False, True), (False, True)):
        ring = ring[::-1] if backwards else ring
        expected = 1 if shapely.LinearRing(ring).is_ccw else 0
        assert poly(ring + ring[:1] if closed else ring).wise == expected, (ring, closed)
        if shapely.Polygon(ring).convex_hull.area == pytest.approx(shapely.Polygon(ring).area):
            assert turn_sum_code(ring + ring[:1] if closed else ring, closed) == expected
    assert poly([(0, 0), (2, 0), (1, 0), (0, 0)]).wise == 2 and poly([(0, 0), (math.nan, 1), (1, 0)]).wise == 2


@settings(max_examples=150, deadline=None)
@given(outlines(), st.booleans(), st.booleans())
def test_convex_outlines_keep_the_code_of_the_turn_sum(coords, backwards, closed):
    hull = shapely.Polygon(coords).convex_hull
    if hull.geom_type != "Polygon" or hull.area < 1e-6:
        return
    ring = list(hull.exterior.coords)[:-1]
    ring = ring[::-1] if backwards else ring
    ring = ring + ring[:1] if closed else ring
    assert poly(ring).wise == turn_sum_code(ring, closed)
