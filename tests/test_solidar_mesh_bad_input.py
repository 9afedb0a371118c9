"""Triangle indices that name no vertex are refused wherever a mesh's indices
leave the library, before pyvista sees them; the interpreter lives."""

from hostile import assert_survives


def test_indices_naming_no_vertex_are_refused_on_every_way_out():
    assert_survives("""
        import re, types
        import numpy as np
        import pyvista as pv
        from Solidar import Mesh
        v = np.array([[0, 0, 0], [1, 0, 0], [0, 1, 0]], float)
        good = Mesh(v, np.array([[0, 1, 2]]), "a")
        bad = [(np.array([[0, 1, 5]]), 5, 3), (np.array([[0, -1, 2]]), -1, 3), (np.array([[0, 1, 2**62]]), 2**62, 3),
               (np.array([[0, 1, 3]], np.int32), 3, 3), (np.array([[0, 1, 2]], np.uint64) + np.uint64(2**63), 2**63, 3),
               (np.array([[0.0, 1.0, np.nan]]), "nan", 3), (np.array([[0, 1, 2], [2, 1, 7]])[:, ::-1], 7, 3)]
        meshes = [(Mesh(v, i, "a"), value, n) for i, value, n in bad]
        meshes += [(Mesh(v, i, "a").merge(good), value, 6) for i, value, n in bad
                   if i.dtype != np.uint64 and (value == "nan" or not 0 <= value < 6)]   # merged first
        meshes += [(good.merge(Mesh(v, np.array([[0, 1, 4]]), "b")), 7, 6)]                       # merged second
        meshes += [(m, value, n) for m, value, n in [(Mesh.merge_meshes_by_layer([good, Mesh(v, i, "a")])[0], 3 + value, 6)
                                                    for i, value, _ in (bad[0], bad[2])]]
        meshes += [(Mesh(v, np.array([[0, 1, 2]]), "a").merge(Mesh(v, np.array([[-9, 1, 2]]))), -6, 6)]

        handed = []
        real_make = pv.make_tri_mesh
        def make(points, faces):
            f = np.asarray(faces, float)
            if not ((f >= 0) & (f < len(points))).all():
                handed.append(faces)
            return real_make(points, faces)
        pv.make_tri_mesh = make
        class Plotter:
            def __init__(self): self.added = []
            def add_mesh(self, mesh, **kw): self.added.append(mesh)
            def add_axes(self, **kw): pass
            def show(self): pass
        pv.Plotter = Plotter
        V = types.SimpleNamespace
        def rhino(face):
            class Faces(list):
                QuadCount, Count = 0, property(len)
            return V(Faces=Faces([face]), Vertices=[V(X=0, Y=0, Z=0), V(X=1, Y=0, Z=0), V(X=0, Y=1, Z=0)])
        ways = [lambda m: m.to_pyvista_mesh().compute_normals(), lambda m: Mesh.show_mesh([good, m]),
                lambda m: Mesh.meshes_to_front([good, m])]
        for (m, value, n), way in [(case, way) for case in meshes for way in ways]:
            try:
                way(m)
            except IndexError as e:
                said = re.fullmatch(rf"index (\\S+) of triangle \\d+ is out of range for {n} vertices", str(e))
                assert said and str(float(said[1])) == str(float(value)), str(e)
            else:
                raise AssertionError(f"{m.indices.tolist()} passed {way}")
        for face, value in [((0, 1, 5), 5), ((0, -1, 2), -1), ((2**40, 0, 1), 2**40)]:
            for way in (Mesh.convert_rhinoMesh_to_pvMesh, lambda r: Mesh.show_rhino_mesh([r])):
                try:
                    way(rhino(face))
                except IndexError as e:
                    assert f"{value} of triangle 0 is out of range for 3 vertices" in str(e), str(e)
                else:
                    raise AssertionError(face)
        assert handed == []              # nothing bad reached pyvista
        assert good.to_pyvista_mesh().compute_normals().n_cells == 1
        assert Mesh.meshes_to_front([Mesh(v, np.array([[0.0, 1.0, 2.0]]))])[None]["vertex_index"] == [0.0, 1.0, 2.0]
    """)
