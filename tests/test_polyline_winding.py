"""Area, turn sums, winding codes and convexity."""

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
    import random
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
