"""Bounds and grids: the frame of the four box modes, the interior lattice on
rectangles, rotated rectangles, L- and U-shapes against the plain reference
bit for bit, the points along the outline, and the stored corner list."""

import itertools
import math

import pytest
from hypothesis import given, settings, strategies as st

from Polygon import Bound

from polygon_support import L_SHAPE, OURS, PLAIN, U_SHAPE, floor_outline, outcome, picture, rect, rotated


def twins(outline, mode="ABB", vector=None, **kwargs):
    out = []
    for world in (OURS, PLAIN):
        poly = world.poly(outline, closed=True)
        poly.BOUND = mode
        if vector is not None:
            kwargs["vector"] = world.Vector(*vector)
        out.append(world.Bound(poly, **kwargs))
    return out


OUTLINES = {
    "rectangle": rect(0, 0, 37.5, 21),
    "rotated rectangle": rotated(rect(0, 0, 40, 25), 0.4, (5, 5)),
    "L-shape": L_SHAPE,
    "U-shape": U_SHAPE,  # some points fall between the arms, outside
    "floor": floor_outline(40, 2),
    "reversed L-shape": L_SHAPE[::-1],
}


@pytest.mark.parametrize("mode, vector", [("ABB", None), ("LEB", None), ("MBB", None), ("SVB", None),
                                          ("SVB", (1, 1))])
@pytest.mark.parametrize("name", list(OUTLINES))
def test_lattice_matches_the_plain_steps_bit_for_bit(name, mode, vector):
    ours, plain = twins(OUTLINES[name], mode, vector, unit=2.5, typ=0)
    for attr in ("origin", "vec_x", "x_length", "vec_y", "y_length", "unit"):
        assert picture(getattr(ours, attr)) == picture(getattr(plain, attr)), attr
    assert ours.origin is ours.bound[0]
    grid = ours.get_grid()
    assert picture(grid) == picture(plain.get_grid()) and len(grid) > 10
    o = ours.origin
    for p, v in itertools.product(grid, (ours.vec_x, ours.vec_y)):  # at whole units along both axes
        t = ((p.x - o.x) * v.x + (p.y - o.y) * v.y) / 2.5
        assert abs(t - round(t)) < 1e-6


@settings(max_examples=40, deadline=None)
@given(angle=st.floats(-3.2, 3.2), unit=st.floats(0.3, 9), shape=st.sampled_from(["L-shape", "U-shape", "floor"]),
       mode=st.sampled_from(["ABB", "LEB", "SVB"]))
def test_random_frames_and_spacings_match_the_plain_steps(angle, unit, shape, mode):
    ours, plain = twins(rotated(OUTLINES[shape], angle, (3, 4)), mode, unit=unit, typ=0)
    assert picture(ours.get_grid()) == picture(plain.get_grid())


@pytest.mark.parametrize("unit", [1, 0.75, 3.3])
def test_other_kinds_space_points_along_the_outline(unit):
    ours, plain = twins(L_SHAPE, unit=unit, typ=1)
    grid = ours.get_grid()
    assert picture(grid) == picture(plain.get_grid()) == picture(ours.polyline.divide_by_length(unit))


DIAMOND = [(0, 1), (1, 0), (2, 1), (1, 2), (0, 1)]  # the top scan line touches it once


@pytest.mark.parametrize("outline, unit, typ", [(rect(0, 0, 4, 2), u, t) for u, t in [
    (0, 0), (0, 1), (-1, 1), (-2, 0), (1e-2, 0), (math.nan, 0), (math.inf, 0), (1e9, 0)]] + [(DIAMOND, 1, 0)])
def test_odd_spacings_end_as_the_plain_steps_do(outline, unit, typ):
    results = []
    for bound in twins(outline, unit=1, typ=typ):
        bound.unit = unit
        results.append(outcome(lambda w: bound.get_grid(), None)[:2])
    assert results[0] == results[1]


def test_bounding_box_closes_the_stored_corner_list():
    bound = Bound(OURS.poly(rect(0, 0, 4, 2)), unit=1, typ=0)
    before = bound.get_grid()
    for _ in range(2):
        assert bound.get_bounding_box().points is bound.bound and len(bound.bound) == 5
        assert bound.bound[4] is bound.bound[0]
    assert picture(bound.get_grid()) == picture(before)
