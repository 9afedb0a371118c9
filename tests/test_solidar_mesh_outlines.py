"""Vertex and triangle arrays from plane outlines: triangulation, extrusion and
constrained Delaunay triangulation, measured against shapely and pyvista."""

import math

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


@pytest.mark.parametrize("outlines", [[SQUARE], [[(0, 0), (10, 0), (10, 10), (0, 10)], [(4, 4), (6, 4), (6, 6), (4, 6)]],
                                      [L_ROOM, [(x + 10, y) for x, y in SQUARE]]])
def test_constrained_delaunay_keeps_every_outline_point(outlines):
    v, i = Mesh.constrain_delaunay_2d([pts(o) for o in outlines])
    every = {(float(x), float(y)) for o in outlines for x, y in o}
    assert every <= {(x, y) for x, y, _ in v.tolist()} and i.shape[1] == 3
    assert solid_outcome(Mesh.constrain_delaunay_2d, [pts(o) for o in outlines]) == \
        solid_outcome(ref.Mesh.constrain_delaunay_2d, [pts(o) for o in outlines])
    v3, i3 = Mesh.constrain_delaunay_3d([pts(o) for o in outlines], height=2)
    assert set(v3[:, 2].tolist()) == {0.0, 2.0} and i3.shape[1] == 3
    assert solid_outcome(Mesh.constrain_delaunay_3d, [pts(o) for o in outlines], 2) == \
        solid_outcome(ref.Mesh.constrain_delaunay_3d, [pts(o) for o in outlines], 2)


@pytest.mark.parametrize("call, error", [
    (lambda: Mesh.constrain_delaunay_2d([]), IndexError), (lambda: Mesh.constrain_delaunay_3d([], 1), IndexError),
    (lambda: Mesh.extrude_to_mesh(pts(SQUARE), "high"), TypeError),
])
def test_refusals(call, error):
    with pytest.raises(error):
        call()
