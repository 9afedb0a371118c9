"""Rectangle placement: seeded runs against the plain reference bit for bit,
the invariants of a layout (inside the outline, clear of earlier zones, zones
added as holes, grid points used up), the hole test against a plain loop on
random inputs, and the repaired ends of a run."""

import random

import pytest
import shapely.geometry as sg
from hypothesis import given, settings, strategies as st

from Flatkin import Point
from Polygon import RecGenerator

from polygon_support import L_SHAPE, OURS, PLAIN, U_SHAPE, coords, floor_outline, picture, rect, rotated

SIZES = [[10, 8], [6, 5], [12, 3], [4, 4]] * 2


def layout(world, outline, unit=4, sizes=SIZES, seed=5, holes=(), clean=1, **kwargs):
    pg = world.polygon(outline, holes)
    grid = world.Bound(pg.outer, unit=unit, typ=0).get_grid()
    random.seed(seed)
    gen = world.RecGenerator(grid, pg, sizes, **kwargs)
    recs = gen.get_recs(clean_points=clean)
    return gen, recs


def same_run(outline, **kwargs):
    runs = [layout(world, outline, **kwargs) for world in (OURS, PLAIN)]
    a, b = ([recs, gen.polygon, gen.grid, gen.vec_i, gen.vec_j] for gen, recs in runs)
    assert picture(a) == picture(b) and runs[0][1] is runs[0][0].rec_lst


OUTLINES = {"rectangle": rect(0, 0, 100, 60), "L-shape": L_SHAPE, "U-shape": U_SHAPE,
            "rotated": rotated(rect(0, 0, 80, 50), 0.3), "floor": floor_outline(60, 3)}
# The last two holes touch the outline: one along its side, one at a corner.
HOLES = [rect(30, 20, 40, 30), rect(60, 5, 62, 50)[::-1], rect(0, 40, 10, 60), rect(90, 0, 100, 10)]


@pytest.mark.parametrize("typ", [0, 1, 2])
@pytest.mark.parametrize("random_generate", [False, True])
@pytest.mark.parametrize("name", list(OUTLINES))
def test_seeded_runs_match_the_plain_steps(name, typ, random_generate):
    same_run(OUTLINES[name], typ=typ, random_generate=random_generate, clean=typ)
    if name == "rectangle" and random_generate:  # with holes, cleaning first
        same_run(OUTLINES[name], holes=HOLES, seed=typ, clean=0, random_generate=True)


@pytest.mark.parametrize("typ", [0, 1, 2])
@pytest.mark.parametrize("seed", [1, 2])
def test_layout_invariants(typ, seed):
    outline = floor_outline(40, seed)
    pg = OURS.polygon(outline)
    grid = OURS.Bound(pg.outer, unit=3, typ=0).get_grid()
    random.seed(seed)
    gen = RecGenerator(grid, pg, SIZES, random_generate=True, typ=typ)
    shell = sg.Polygon(outline).buffer(1e-6)
    zones = []
    for length_i, length_j in SIZES:
        placed = len(gen.rec_lst)
        gen.get_a_rec(length_i, length_j)
        assert len(pg.inners or []) == len(zones) + len(gen.rec_lst) - placed  # one zone per rectangle
        if len(gen.rec_lst) == placed:
            continue
        pts = gen.rec_lst[-1].points
        assert len(pts) == 5 and pts[0] is pts[4] and pts[0] not in grid
        corners, zone = sg.Polygon(coords(pts)), sg.Polygon(coords(pg.inners[-1].points))
        assert corners.area == pytest.approx(length_i * length_j)
        assert all(shell.contains(sg.Point(c)) for c in coords(pts))
        assert all(corners.intersection(z).area < 1e-6 for z in zones)
        assert zone.contains(corners) and zone.area == pytest.approx((length_i + 20) * (length_j + 36))
        zones.append(zone)
    assert zones


@pytest.mark.parametrize("side, count, random_generate", [(50, 1500, False), (20, 3, False), (20, 3, True)])
def test_sizes_that_fit_nowhere_end_quietly(side, count, random_generate):
    # At most 1000 tries; sequential tries reading past the end of the grid,
    # and random ones drawing from an emptied grid, end the same way.
    pg = OURS.polygon(rect(0, 0, side, side))
    grid = ([Point(5, 5), Point(30, 30), Point(6, 6)] if count == 3 else
            [Point(1 + (i % 40), 1 + (i // 40) * 0.01) for i in range(count)])
    gen = RecGenerator(grid, pg, [[100, 100]], random_generate=random_generate)
    assert gen.get_a_rec(100, 100) is None and gen.rec_lst == [] and pg.inners is None
    assert len(grid) == (2 if count == 3 else count)  # only the point outside left
    assert RecGenerator([], pg, [[1, 1], [2, 2]], random_generate=random_generate).get_recs() == []


def test_counter_clockwise_rectangles_get_their_zone_outside():
    # The stored defaults vec_i (0, 1), vec_j (1, 0) make the rectangle run
    # counter-clockwise; its zone still surrounds it.
    pg = OURS.polygon(rect(0, 0, 100, 100))
    gen = RecGenerator([Point(40, 40)], pg, [[4, 3]], typ=0)
    (rec,) = gen.get_recs()
    assert coords(rec.points) == [(40, 40), (43, 40), (43, 44), (40, 44), (40, 40)]
    zone = sg.Polygon(coords(pg.inners[-1].points))
    assert zone.contains(sg.Polygon(coords(rec.points))) and zone.bounds == pytest.approx((22, 30, 61, 54))


# ------------------------------------------------------------- hole test

def random_holes(rng, n, spread=100):
    holes = []
    for _ in range(n):
        x, y, w, h = rng.uniform(0, spread), rng.uniform(0, spread), rng.uniform(0.5, 12), rng.uniform(0.5, 12)
        shape = rect(x, y, x + w, y + h)
        holes.append(rotated(shape, rng.uniform(0, 3), (x, y)) if rng.random() < 0.3 else shape)
    return holes


@settings(max_examples=80, deadline=None)
@given(seed=st.integers(0, 100_000), n=st.integers(0, 25))
def test_hole_test_agrees_with_a_plain_loop_over_every_hole_segment(seed, n):
    rng = random.Random(seed)
    holes = random_holes(rng, n)
    ours = RecGenerator([], OURS.polygon(rect(-10, -10, 120, 120), holes), [])
    plain = PLAIN.RecGenerator([], PLAIN.polygon(rect(-10, -10, 120, 120), holes), [])
    for _ in range(30):
        a = (rng.uniform(-5, 110), rng.uniform(-5, 110))
        b = (a[0] + rng.uniform(-20, 20), a[1] + rng.choice([0.0, rng.uniform(-20, 20)]))
        if holes and rng.random() < 0.3:  # from a hole corner, or just short of one
            corner = rng.choice(holes)[rng.randrange(4)]
            a = (corner[0] + rng.choice([0.0, 1e-6, -2e-6]), corner[1])
        for name in ("is_intersection", "contain_func"):
            assert getattr(ours, name)(Point(*a), Point(*b)) is getattr(plain, name)(PLAIN.Point(*a), PLAIN.Point(*b))


def test_members_replaced_on_a_subclass_are_called():
    class Strict(RecGenerator):
        def contain_func(self, point1, point2):
            return False

    pg = OURS.polygon(rect(0, 0, 100, 100))
    gen = Strict([Point(40, 40), Point(50, 50)], pg, [[4, 3]], typ=0)
    assert gen.get_recs() == [] and pg.inners is None


def test_grid_removal_takes_the_first_equal_point_in_place():
    # After the outside point leaves, the second try reads index 1: the
    # twin of the first inside point, whose removal takes the first equal one.
    pg = OURS.polygon(rect(0, 0, 100, 100))
    a, b = Point(40, 40), Point(40 + 1e-7, 40)
    grid = [Point(150, 150), a, b]
    gen = RecGenerator(grid, pg, [[4, 3]], typ=0)
    (rec,) = gen.get_recs()
    assert rec.points[0] is b and gen.grid is grid and grid == [b] and grid[0] is b
