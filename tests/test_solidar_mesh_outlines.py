"""Vertex and triangle arrays from plane outlines: triangulation, extrusion and
constrained Delaunay triangulation, measured against shapely and pyvista."""

import itertools
import math
import random

import numpy as np
import pytest
import pyvista as pv
import shapely

import pyref_solidar as ref
from Flatkin import Point
from Solidar import Mesh

from common import solid_outcome

SQUARE = [(0, 0), (1, 0), (1, 1), (0, 1)]
L_ROOM = [(0, 0), (6, 0), (6, 3), (3, 3), (3, 5), (0, 5)]


def star(n, r1, r2):
    return [((r1 if k % 2 else r2) * math.cos(k * math.pi / n), (r1 if k % 2 else r2) * math.sin(k * math.pi / n))
            for k in range(2 * n)]


def pts(coords):
    return [Point(x, y) for x, y in coords]


def area(v, i):
    t = v[i].astype(float)
    return float(np.abs(np.cross(t[:, 1] - t[:, 0], t[:, 2] - t[:, 0])).sum() / 2) if len(i) else 0.0


@pytest.mark.parametrize("outline", [SQUARE, L_ROOM, star(5, 1, 3), star(9, 2, 2.5),
                                     SQUARE + SQUARE[:1], [(0, 0), (1, 1), (2, 2)]])  # a closing repeat, no area
def test_triangulated_area_equals_the_outline_area(outline):
    v, i = Mesh.triangulate_2d(pts(outline))
    assert v.shape == (len(outline), 3) and (v[:, 2] == 0).all() and i.shape[1] == 3
    assert math.isclose(area(v, i), shapely.Polygon(outline).area, rel_tol=1e-9)
    assert solid_outcome(Mesh.triangulate_2d, pts(outline)) == solid_outcome(ref.Mesh.triangulate_2d, pts(outline))


@pytest.mark.parametrize("outline", [SQUARE, L_ROOM, star(6, 1, 2)])
@pytest.mark.parametrize("height", [3, -2.5])
def test_extruded_outlines_are_closed_prisms(outline, height):
    v, i = Mesh.extrude_to_mesh(pts(outline), height)
    assert sorted(set(v[:, 2].tolist())) == sorted({0.0, float(height)})
    solid = pv.make_tri_mesh(v, i)
    assert solid.is_manifold
    assert math.isclose(solid.volume, shapely.Polygon(outline).area * abs(height), rel_tol=1e-6)
    ours = solid_outcome(Mesh.extrude_to_mesh, points=pts(outline), height=height)
    assert ours == solid_outcome(ref.Mesh.extrude_to_mesh, points=pts(outline), height=height)


@pytest.mark.parametrize("outlines, as_pyvista", [
    ([SQUARE], True),
    ([[(0, 0), (10, 0), (10, 10), (0, 10)], [(4, 4), (6, 4), (6, 6), (4, 6)]], False),  # pyvista fills the opening
    ([L_ROOM, [(x + 10, y) for x, y in SQUARE]], False)])                               # and covers the outside one
def test_constrained_delaunay_keeps_every_outline_point(outlines, as_pyvista):
    v, i = Mesh.constrain_delaunay_2d([pts(o) for o in outlines])
    every = {(float(x), float(y)) for o in outlines for x, y in o}
    assert every <= {(x, y) for x, y, _ in v.tolist()} and i.shape[1] == 3
    ours = solid_outcome(Mesh.constrain_delaunay_2d, [pts(o) for o in outlines])
    plain = solid_outcome(ref.Mesh.constrain_delaunay_2d, [pts(o) for o in outlines])
    assert (ours == plain) == as_pyvista and ours[1][1][1] == plain[1][1][1]  # the same vertex rows
    v3, i3 = Mesh.constrain_delaunay_3d([pts(o) for o in outlines], height=2)
    assert set(v3[:, 2].tolist()) == {0.0, 2.0} and i3.shape[1] == 3
    assert (solid_outcome(Mesh.constrain_delaunay_3d, [pts(o) for o in outlines], 2) ==
            solid_outcome(ref.Mesh.constrain_delaunay_3d, [pts(o) for o in outlines], 2)) == as_pyvista


@pytest.mark.parametrize("call, error", [
    (lambda: Mesh.constrain_delaunay_2d([]), IndexError), (lambda: Mesh.constrain_delaunay_3d([], 1), IndexError),
    (lambda: Mesh.extrude_to_mesh(pts(SQUARE), "high"), TypeError),
])
def test_refusals(call, error):
    with pytest.raises(error):
        call()


# ------------------------------------------- a boundary and its openings

CELL = [(0, 0), (2, 0), (2, 3.5), (0, 3.5)]
WINDOW = [(0.5, 1), (1.5, 1), (1.5, 2.5), (0.5, 2.5)]
TOUCHING = [[(11, 10), (0, 10), (0, 0), (11, 0)], [(7, 6), (7, 9), (10, 9)], [(10, 5), (10, 2), (7, 5)],
            [(6, 9), (1, 4), (1, 9)], [(1, 1), (1, 4), (4, 1)]]


def panel(rng):
    """A boundary (a rectangle, notched or not) and one to six openings on a
    coarse grid, so that openings often touch each other or the boundary at
    a vertex; both as shapely checks them valid."""
    while True:
        shell = shapely.box(0, 0, 12, 10)
        for _ in range(rng.randint(0, 2)):  # notches cut from the sides
            x, y = rng.randrange(0, 12, 2), rng.choice([0, 8]) if rng.random() < 0.5 else rng.randrange(0, 10, 2)
            shell = shell.difference(shapely.box(x, y, x + 2, y + 2))
        if shell.geom_type != "Polygon" or shell.interiors:
            continue
        openings = []
        for _ in range(rng.randint(1, 6)):
            x, y = rng.randrange(0, 12, 2), rng.randrange(0, 10, 2)
            corners = [(x, y), (x + 2, y), (x + 2, y + 2), (x, y + 2)]
            if rng.random() < 0.6:  # a triangle of the cell: its corners are the grid's
                del corners[rng.randrange(4)]
            openings.append(corners)
        region = shapely.Polygon(shell.exterior.coords, openings)
        if region.is_valid and all(shapely.Polygon(o).within(shell) for o in openings):
            return [list(shell.exterior.coords)[:-1]] + openings, region


def given_as(rings, rng):
    rings = [r[::-1] if rng.random() < 0.5 else r for r in rings]
    return [r + r[:1] if rng.random() < 0.5 else r for r in rings]


def assert_covers(rings, region, height=None):
    v, i = Mesh.constrain_delaunay_2d([pts(r) for r in rings])
    rv, _ = ref.Mesh.constrain_delaunay_2d([pts(r) for r in rings])
    assert np.array_equal(v, rv) and v.dtype == rv.dtype and i.shape[1:] == (3,)   # the Part's vertex rows
    assert math.isclose(area(v, i), region.area, rel_tol=1e-9)
    centroids = v[i].mean(axis=1)
    assert shapely.contains_xy(region, centroids[:, 0], centroids[:, 1]).all()
    if height is not None:
        v3, i3 = Mesh.constrain_delaunay_3d([pts(r) for r in rings], height)
        assert set(v3[:, 2].tolist()) <= {0.0, float(height)}
        z = v3[i3][:, :, 2]
        for level in (0, height):  # both caps are the region
            assert math.isclose(area(v3, i3[(z == level).all(axis=1)]), region.area, rel_tol=1e-6)
        walls = sum(math.dist(a, b) for r in rings for a, b in zip(r, r[1:] + r[:1]))
        t = v3[i3[(z != z[:, :1]).any(axis=1)]].astype(float)
        wall_area = np.linalg.norm(np.cross(t[:, 1] - t[:, 0], t[:, 2] - t[:, 0]), axis=1).sum() / 2
        assert math.isclose(wall_area, walls * abs(height), rel_tol=1e-6)


@pytest.mark.parametrize("boundary_back, window_back, closed", list(itertools.product((False, True), repeat=3)))
def test_a_window_is_cut_from_a_panel_given_in_any_direction(boundary_back, window_back, closed):
    rings = [CELL[::-1] if boundary_back else CELL, WINDOW[::-1] if window_back else WINDOW]
    rings = [r + r[:1] for r in rings] if closed else rings
    assert_covers(rings, shapely.Polygon(CELL, [WINDOW]), height=3)
    assert_covers(rings[:1], shapely.Polygon(CELL))


def test_openings_touching_each_other_and_notched_boundaries_are_cut_exactly():
    rng = random.Random(2026)
    assert_covers(TOUCHING, shapely.Polygon(TOUCHING[0], TOUCHING[1:]), height=2)
    for n in range(120):
        rings, region = panel(rng)
        assert_covers(given_as(rings, rng), region, height=1.5 if n % 10 == 0 else None)
