"""Bounds and grids: the frame of the four box modes, the interior lattice on
rectangles, rotated rectangles, L- and U-shapes against the plain reference
bit for bit, the points along the outline, and the stored corner list."""

import math

import pytest
from hypothesis import given, settings, strategies as st

from Flatkin import Point, Vector
from Polygon import Bound

from polygon_support import L_SHAPE, OURS, PLAIN, U_SHAPE, coords, floor_outline, picture, rect, rotated


def twins(outline, mode="ABB", **kwargs):
    out = []
    for world in (OURS, PLAIN):
        poly = world.poly(outline, closed=True)
        poly.BOUND = mode
        out.append(world.Bound(poly, **kwargs))
    return out


def test_rectangle_lattice_is_row_by_row_from_the_origin():
    bound = Bound(OURS.poly(rect(0, 0, 4, 2)), unit=1, typ=0)
    assert [(c.x, c.y) for c in bound.bound] == [(0, 0), (0, 2), (4, 2), (4, 0)]
    assert bound.origin is bound.bound[0]
    assert (bound.vec_x.x, bound.vec_x.y, bound.x_length) == (0.0, 1.0, 2.0)
    assert (bound.vec_y.x, bound.vec_y.y, bound.y_length) == (1.0, 0.0, 4.0)
    grid = bound.get_grid()
    assert coords(grid) == [(float(x), float(y)) for y in range(3) for x in range(5)]
    assert all(type(p) is Point for p in grid)


OUTLINES = {
    "rectangle": rect(0, 0, 37.5, 21),
    "rotated rectangle": rotated(rect(0, 0, 40, 25), 0.4, (5, 5)),
    "L-shape": L_SHAPE,
    "U-shape": U_SHAPE,
    "floor": floor_outline(40, 2),
    "reversed L-shape": L_SHAPE[::-1],
}


@pytest.mark.parametrize("mode", ["ABB", "LEB", "MBB", "SVB"])
@pytest.mark.parametrize("name", list(OUTLINES))
def test_lattice_matches_the_plain_steps_bit_for_bit(name, mode):
    ours, plain = twins(OUTLINES[name], mode, unit=2.5, typ=0)
    for attr in ("origin", "vec_x", "x_length", "vec_y", "y_length", "unit"):
        assert picture(getattr(ours, attr)) == picture(getattr(plain, attr)), attr
    grid = ours.get_grid()
    assert picture(grid) == picture(plain.get_grid())
    assert len(grid) > 10


@settings(max_examples=40, deadline=None)
@given(angle=st.floats(-3.2, 3.2), unit=st.floats(0.3, 9), shape=st.sampled_from(["L-shape", "U-shape", "floor"]),
       mode=st.sampled_from(["ABB", "LEB", "SVB"]))
def test_random_frames_and_spacings_match_the_plain_steps(angle, unit, shape, mode):
    outline = rotated(OUTLINES[shape], angle, (3, 4))
    ours, plain = twins(outline, mode, unit=unit, typ=0)
    assert picture(ours.get_grid()) == picture(plain.get_grid())


@pytest.mark.parametrize("name", ["rectangle", "rotated rectangle", "L-shape"])
def test_lattice_points_sit_at_whole_units_along_both_axes(name):
    bound = twins(OUTLINES[name], "LEB", unit=3, typ=0)[0]
    o, vx, vy = bound.origin, bound.vec_x, bound.vec_y
    for p in bound.get_grid():
        a = (p.x - o.x) * vx.x + (p.y - o.y) * vx.y
        b = (p.x - o.x) * vy.x + (p.y - o.y) * vy.y
        assert abs(a / 3 - round(a / 3)) < 1e-6 and abs(b / 3 - round(b / 3)) < 1e-6


def test_u_shape_lattice_spans_the_gap_between_the_arms():
    grid = Bound(OURS.poly(U_SHAPE), unit=5, typ=0).get_grid()
    between = [(p.x, p.y) for p in grid if 15 < p.x < 35 and p.y > 12]
    assert between and all(OURS.poly(U_SHAPE).contains_point(Point(x, y)) == 0 for x, y in between)


def test_a_line_touching_the_outline_once_gives_no_points():
    diamond = [(0, 1), (1, 0), (2, 1), (1, 2), (0, 1)]
    ours, plain = twins(diamond, unit=1, typ=0)
    assert picture(ours.get_grid()) == picture(plain.get_grid())
    assert all(p.y < 2 for p in ours.get_grid())


@pytest.mark.parametrize("unit", [1, 0.75, 3.3])
def test_other_kinds_space_points_along_the_outline(unit):
    ours, plain = twins(L_SHAPE, unit=unit, typ=1)
    grid = ours.get_grid()
    assert picture(grid) == picture(plain.get_grid())
    assert picture(grid) == picture(ours.polyline.divide_by_length(unit))


def test_bounding_box_closes_the_stored_corner_list():
    bound = Bound(OURS.poly(rect(0, 0, 4, 2)), unit=1, typ=0)
    before = bound.get_grid()
    box = bound.get_bounding_box()
    assert box.points is bound.bound and len(bound.bound) == 5 and bound.bound[4] is bound.bound[0]
    assert bound.get_bounding_box().points is bound.bound and len(bound.bound) == 5
    assert picture(bound.get_grid()) == picture(before)


@pytest.mark.parametrize("unit, typ", [(0, 0), (0, 1), (-1, 1), (-2, 0), (1e-3, 0), (math.nan, 0), (math.inf, 0),
                                       (1e9, 0)])
def test_odd_spacings_end_as_the_plain_steps_do(unit, typ):
    results = []
    for bound in twins(rect(0, 0, 4, 2), unit=1, typ=typ):
        bound.unit = unit
        try:
            results.append(("ok", picture(bound.get_grid())))
        except Exception as e:  # noqa: BLE001 - the type is the result here
            results.append(("raises", type(e)))
    assert results[0] == results[1]


def test_unknown_box_mode_and_missing_outline():
    poly = OURS.poly(rect(0, 0, 4, 2))
    poly.BOUND = "XYZ"
    with pytest.raises(TypeError):
        Bound(poly)
    with pytest.raises(AttributeError):
        Bound()


def test_svb_frame_follows_the_vector():
    bound = twins(rect(0, 0, 10, 4), "SVB", vector=Vector(1, 1), unit=1, typ=0)[0]
    assert bound.vec_x.x == pytest.approx(math.sqrt(0.5)) and bound.vec_x.y == pytest.approx(math.sqrt(0.5))
