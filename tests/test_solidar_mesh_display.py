"""Rhino meshes converted, meshes shown in (recorded) pyvista windows coloured
by layer, and the front-end export dictionaries."""

import types

import matplotlib
import numpy as np
import pytest
import pyvista as pv
import rhino3dm

from Solidar import Mesh


def rhino_quads():
    m = rhino3dm.Mesh()
    for p in [(0, 0, 0), (1, 0, 0), (1, 1, 0), (0, 1, 0), (2, 0, 0), (2, 1, 1)]:
        m.Vertices.Add(*p)
    m.Faces.AddFace(0, 1, 2, 3)
    m.Faces.AddFace(1, 4, 5, 2)
    m.Faces.AddFace(0, 1, 2)
    return m


def test_a_rhino_quad_mesh_is_split_in_place_and_converted():
    m = rhino_quads()
    converted = Mesh.convert_rhinoMesh_to_pvMesh(m)
    assert m.Faces.QuadCount == 0 and m.Faces.Count == 5
    assert np.array_equal(converted.points[:6], [[0, 0, 0], [1, 0, 0], [1, 1, 0], [0, 1, 0], [2, 0, 0], [2, 1, 1]])
    assert converted.n_cells == 5 and "Normals" in converted.cell_data
    with pytest.raises(TypeError):
        Mesh.convert_rhinoMesh_to_pvMesh(rhino_mesh=m)


def test_a_closed_rhino_mesh_comes_back_facing_inward():
    cube = pv.Box((0, 2, 0, 3, 0, 4))
    box = rhino3dm.Mesh()
    for p in cube.points:
        box.Vertices.Add(*map(float, p))
    for face in cube.faces.reshape(-1, 5)[:, 1:]:
        box.Faces.AddFace(*map(int, face))
    converted = Mesh.convert_rhinoMesh_to_pvMesh(box)
    outward = converted.cell_centers().points - [1, 1.5, 2]
    assert (np.einsum("ij,ij->i", converted.cell_data["Normals"], outward) < 0).all()
    assert "inward" in Mesh.convert_rhinoMesh_to_pvMesh.__doc__


SITES = [pytest.param((512345.678, 5612345.678, 12.345), 1.0, id="utm-metres"),
         pytest.param((512345678.0, 5612345678.0, 12345.0), 1000.0, id="utm-millimetres")]


def site_box(origin, unit):
    """A 2.4 x 3.3 x 3 m room drawn at site coordinates: double-precision
    vertices, four-cornered faces."""
    cube = pv.Box((0, 2.4, 0, 3.3, 0, 3))
    corners = [tuple(o + float(c) * unit for o, c in zip(origin, p)) for p in cube.points]
    box = rhino3dm.Mesh()
    for p in corners:
        box.Vertices.AddPoint3d(*p)
    for face in cube.faces.reshape(-1, 5)[:, 1:]:
        box.Faces.AddFace(*map(int, face))
    return box, corners


def volume(mesh):
    """The volume a closed triangle mesh bounds, taken about its first point."""
    corners = mesh.points[mesh.regular_faces] - mesh.points[0]
    return abs(np.einsum("ij,ij->i", corners[:, 0], np.cross(corners[:, 1], corners[:, 2])).sum()) / 6


@pytest.mark.parametrize("origin, unit", SITES)
def test_rhino_meshes_at_site_coordinates_keep_every_vertex_exactly(origin, unit, tmp_path):
    box, corners = site_box(origin, unit)
    model = rhino3dm.File3dm()
    model.Objects.AddMesh(box)
    assert model.Write(str(tmp_path / "room.3dm"), 7)
    read = rhino3dm.File3dm.Read(str(tmp_path / "room.3dm")).Objects[0].Geometry
    for mesh in (box, read):
        assert mesh.Faces.QuadCount == 6
        converted = Mesh.convert_rhinoMesh_to_pvMesh(mesh)
        assert mesh.Faces.QuadCount == 0 and converted.n_cells == 12  # quads split in the caller's mesh
        assert converted.points.tolist() == [list(p) for p in corners]
        assert volume(converted) == pytest.approx(np.prod(np.ptp(corners, axis=0)), rel=1e-12)
        outward = converted.cell_centers().points - np.mean(corners, axis=0)
        assert (np.einsum("ij,ij->i", converted.cell_data["Normals"], outward) < 0).all()


def test_single_precision_rhino_meshes_convert_as_their_items_read():
    m = rhino3dm.Mesh()
    for p in [(512345.678, 5612345.678, 0), (512348.5, 5612345.9, 0), (512345.9, 5612348.1, 0)]:
        m.Vertices.Add(*p)
    m.Faces.AddFace(0, 1, 2)
    converted = Mesh.convert_rhinoMesh_to_pvMesh(m)
    assert converted.points.tolist() == [[v.X, v.Y, v.Z] for v in (m.Vertices[j] for j in range(3))]


class Vertices(list):
    """A vertex list whose items are rounded, and which offers its exact
    points whole, one by one, or not at all; it records what was read."""

    def __init__(self, points, offers):
        V = types.SimpleNamespace
        super().__init__(V(X=round(x), Y=round(y), Z=round(z)) for x, y, z in points)
        self.exact, self.log = [V(X=x, Y=y, Z=z) for x, y, z in points], []
        if "whole" in offers:
            self.ToPoint3dArray = lambda: self.log.append("whole") or tuple(self.exact)
        if "each" in offers:
            self.Point3dAt = lambda j: self.log.append(j) or self.exact[j]


@pytest.mark.parametrize("offers, read, log", [
    (("whole", "each"), "exact", ["whole"]), (("each",), "exact", [0, 1, 2]), ((), "rounded", [])])
def test_vertices_are_read_whole_or_one_by_one_where_offered_and_indexed_otherwise(offers, read, log):
    points = [(0.25, 0.4, 0.0), (1.25, 0.4, 0.0), (0.25, 1.4, 0.1)]
    vertices = Vertices(points, offers)
    mesh = types.SimpleNamespace(Faces=Faces([(0, 1, 2)], 0), Vertices=vertices)
    got = Mesh.convert_rhinoMesh_to_pvMesh(mesh).points.tolist()
    assert got == ([list(p) for p in points] if read == "exact" else [[v.X, v.Y, v.Z] for v in vertices])
    assert vertices.log == log


class Faces(list):
    """Rhino-like faces that record a conversion to triangles."""

    Count = property(len)

    def __init__(self, faces, quads):
        super().__init__(faces)
        self.QuadCount, self.log = quads, []

    def ConvertQuadsToTriangles(self):
        self.log.append("convert")


def stand_in(faces, quads=0):
    V = types.SimpleNamespace
    return types.SimpleNamespace(Faces=Faces(faces, quads), Vertices=[V(X=0, Y=0, Z=0), V(X=1, Y=0, Z=0), V(X=0, Y=1, Z=0)])


@pytest.mark.parametrize("quads", [0, 1])
def test_quads_alone_are_converted_and_faces_must_slice(quads):
    s = stand_in([(0, 1, 2, 2)], quads)
    assert Mesh.convert_rhinoMesh_to_pvMesh(s).n_cells == 1 and s.Faces.log == ["convert"] * quads
    with pytest.raises(TypeError, match=r"'int' object is (unsliceable|not subscriptable)"):
        Mesh.convert_rhinoMesh_to_pvMesh(stand_in([7], quads))


class Recorder:
    made = []

    def __init__(self):
        self.calls = []
        Recorder.made.append(self)

    def add_mesh(self, mesh, **kw):
        self.calls.append(("add_mesh", mesh, kw))

    def add_axes(self, **kw):
        self.calls.append(("add_axes", kw))

    def show(self):
        self.calls.append(("show",))


@pytest.fixture
def recorder(monkeypatch):
    Recorder.made = []
    monkeypatch.setattr(pv, "Plotter", Recorder)
    return Recorder


def tri(layer, shift=0.0):
    return Mesh(np.array([[0, 0, 0], [1, 0, 0], [0, 1, 0]], dtype=float) + shift, np.array([[0, 1, 2]]), layer)


def test_show_mesh_colours_each_layer_from_a_seeded_draw(recorder):
    meshes = [tri("wall"), tri("roof", 2), tri("wall", 4)]
    assert Mesh.show_mesh(meshes) is None
    calls = recorder.made[0].calls
    assert [c[0] for c in calls] == ["add_mesh"] * 3 + ["add_axes", "show"]
    assert calls[3][1] == {"line_width": 5, "labels_off": False}
    colours = [c[2]["color"] for c in calls[:3]]
    assert colours[0] == colours[2] and all(c[2]["show_scalar_bar"] is False for c in calls[:3])
    cmap = matplotlib.colormaps.get_cmap("rainbow")
    np.random.seed(hash("wall") % 4294967295)
    assert colours[0] == cmap(np.random.rand())
    after = np.random.rand()
    Mesh.show_mesh(meshes)
    assert np.random.rand() == after  # the shared generator is left seeded by the last layer


def test_show_pyvista_and_rhino_meshes(recorder):
    sphere = pv.Sphere()
    Mesh.show_pyvista_mesh([sphere])
    Mesh.show_pyvista_mesh([])
    Mesh.show_rhino_mesh([rhino_quads()])
    first, empty, rhino = recorder.made
    assert first.calls[0] == ("add_mesh", sphere, {}) and [c[0] for c in empty.calls] == ["add_axes", "show"]
    assert rhino.calls[0][1].n_cells == 5


def test_front_end_export():
    m = Mesh(np.array([[1, 2, 3], [0, 0.123456, 0]]), np.array([[0, 1, 1]]))
    assert Mesh.meshes_to_front([m]) == {None: {"vertex": [1.0, 3.0, -2.0, 0.0, 0.0, -0.1235], "vertex_index": [0, 1, 1]}}
    zeros = Mesh.meshes_to_front(meshes=[Mesh(np.array([[0.0, 0.0, 0.0], [0, 0.00004, 0], [0, -0.00004, 0]]),
                                              np.zeros((0, 3), dtype=int), "a")])
    signs = [np.copysign(1, v) for v in zeros["a"]["vertex"][2::3]]
    assert signs == [-1, -1, 1]
    later = Mesh.meshes_to_front([tri("A"), tri("B"), tri("A", 5)])
    assert list(later) == ["A", "B"] and later["A"]["vertex"][0] == 5.0
    assert all(type(x) is float for x in later["A"]["vertex"]) and all(type(x) is int for x in later["A"]["vertex_index"])
    with pytest.raises(TypeError):
        Mesh.meshes_to_front()
    assert Mesh.meshes_to_front([]) == {}
