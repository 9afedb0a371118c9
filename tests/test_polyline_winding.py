"""Area, turn sums, winding codes and convexity."""

import pytest
import shapely
from hypothesis import given, settings
from hypothesis import strategies as st

from Flatkin import Point
from Polyline import Polyline
from polyline_support import L_ROOM, UNIT_SQUARE, Twin, chains, outcome, outlines, same_outcome

WINDING = ["area", "is_clockwise", "simple_wise", "wise", "start_vector", "end_vector"]


def poly(coords):
    return Polyline([Point(x, y) for x, y in coords])


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
        assert same_outcome(twin, outcome(lambda: getattr(twin.ours, name)),
                            outcome(lambda: getattr(twin.plain, name))), name
    assert twin.ours.is_convex() is twin.plain.is_convex()


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


@pytest.mark.parametrize("coords, area, turns, wise, convex", [
    (UNIT_SQUARE, 1.0, 4.0, 1, True),
    (UNIT_SQUARE[::-1], 1.0, -4.0, 0, True),
    ([(0, 0), (1, 0), (1, 1)], None, 0.0, 1, True),
    ([(0, 0), (2, 0)], None, 0.0, 2, True),
    (L_ROOM, 24.0, 72.0, 1, False),
    ([(0, 0), (1, 1), (1, 0), (0, 1), (0, 0)], 0.0, 0.0, 0, False),
    ([(0, 0), (1, 0), (2, 0), (2, 2), (0, 2), (0, 0)], 4.0, 12.0, 1, True),
], ids=["square", "square-cw", "open-corner", "two-points", "L", "figure-eight", "side-point"])
def test_winding_table(coords, area, turns, wise, convex):
    p = poly(coords)
    if area is None:
        with pytest.raises(ValueError, match=r"^Polyline must be closed to calculate area\.$"):
            p.area
    else:
        assert p.area == area and type(p.area) is float
    assert p.is_clockwise == turns and type(p.is_clockwise) is float
    assert p.wise == wise and p.is_convex() is convex


@pytest.mark.parametrize("coords, expected", [
    ([(0, 0), (1, 0), (2, 0)], 2), ([(0, 0), (1, 0), (1, -1)], 0), ([(0, 0), (1, 0), (1, 1)], 1),
])
def test_simple_wise_reads_the_first_three_points(coords, expected):
    assert poly(coords + [(9, 9)]).simple_wise == expected


@pytest.mark.parametrize("coords, error", [
    ([(0, 0), (0, 0), (1, 1)], Exception), ([(0, 0), (1, 0), (0, 0)], Exception),
    ([(0, 0), (1, 1), (1, 1)], Exception), ([(0, 0), (1, 1)], IndexError),
])
def test_simple_wise_failures(coords, error):
    with pytest.raises(error) as info:
        poly(coords).simple_wise
    if error is Exception:
        assert type(info.value) is Exception and str(info.value) == "Point Overlap"
