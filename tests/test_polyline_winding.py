"""Area, turn sums, winding codes and convexity."""

import pytest
import shapely
from hypothesis import given, settings
from hypothesis import strategies as st

from polyline_support import Twin, agree, chains, outlines, poly

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
