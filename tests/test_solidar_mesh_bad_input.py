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


def test_any_index_array_is_made_int64_by_numpy_before_it_is_checked_and_handed_on():
    assert_survives("""
        import numpy as np
        import pyvista as pv
        from Solidar import Mesh
        handed = []
        real_make = pv.make_tri_mesh
        def make(points, faces):
            handed.append((type(points), faces.dtype, faces.min(), faces.max(), len(points)))
            return real_make(points, faces)
        pv.make_tri_mesh = make

        class Liar(int):
            # an index that claims to be in range whatever it is compared with
            def __lt__(self, other): return False
            def __ge__(self, other): return False
            def __ne__(self, other): return False
        class Shifty:
            # an __array__ that answers differently each time it is asked
            calls = 0
            def __init__(self, good, bad): self.good, self.bad = good, bad
            def __array__(self, dtype=None, copy=None):
                Shifty.calls += 1
                return np.asarray(self.good if Shifty.calls == 1 else self.bad)
        v = np.array([[0, 0, 0], [1, 0, 0], [0, 1, 0]], float)
        good = [[0, 1, 2]]
        for bad, value in [([[0, 1, 9]], 9), (np.array([[0, 1, 9]]).data, 9), (np.array([[0, 1, -4]], np.int8), -4),
                           (np.array([[0, 1, Liar(7)]], object), 7), ([[0.0, 1.0, float("nan")]], "nan"),
                           (Shifty([[0, 1, 99]], [[0, 1, 2]]), 99), (np.array([[0, 1, 2]], np.uint64) - np.uint64(3), None)]:
            try:
                Mesh(v, bad).to_pyvista_mesh()
            except IndexError as e:
                assert value is None or f"index {value}" in str(e), str(e)
            else:
                raise AssertionError(bad)
        for fine in (good, np.array(good, np.int16).data, np.array(good, object), np.array(good, float), Shifty(good, good)):
            Shifty.calls = 0
            assert Mesh(v, fine).to_pyvista_mesh().n_cells == 1
        Shifty.calls = 0
        assert Mesh(Shifty(v, v[:1]), good).to_pyvista_mesh().n_points == 3   # the rows that were measured
        assert all(dtype == np.int64 and lo >= 0 and hi < n for _, dtype, lo, hi, n in handed), handed
        for hostile in ("12", object(), [[0, 1, "x"]], [[0, 1]], np.zeros((2, 2, 2), int)):
            attempt(Mesh(v, hostile).to_pyvista_mesh)
    """)


def test_outlines_that_cross_or_hold_no_number_are_refused_and_the_interpreter_lives():
    assert_survives("""
        import math
        from Solidar import Mesh
        square = [P(0, 0), P(4, 0), P(4, 4), P(0, 4)]
        bowtie = [P(0, 0), P(4, 4), P(4, 0), P(0, 4)]
        for f, args, said in [
                (Mesh.triangulate_2d, (bowtie,), "the outline crosses itself"),
                (Mesh.extrude_to_mesh, (bowtie, 2), "the outline crosses itself"),
                (Mesh.constrain_delaunay_2d, ([square, [P(3, 3), P(5, 3), P(5, 5)]],), "outline 0 crosses outline 1"),
                (Mesh.constrain_delaunay_3d, ([bowtie], 1), "outline 0 crosses itself"),
                (Mesh.constrain_delaunay_2d, ([square, [P(5, 5), P(6, 5), P(6, 6)]],), "lies outside the boundary"),
                (Mesh.constrain_delaunay_2d, ([square, [P(1, 1), P(math.nan, 1), P(1, 2)]],), "point 1 of outline 1"),
                (Mesh.extrude_to_mesh, ([P(0, 0), P(1, -math.inf), P(1, 1)], 1), "point 1 of the outline"),
                (Mesh.constrain_delaunay_2d, ([[P(0, 0), P(1e300, 0), P(1e300, 1e300), P(-1e300, 1e-300)]],), "beyond 1e+60"),
                (Mesh.constrain_delaunay_2d, ([[P(0, 0), P(1e-300, 0), P(0, 5e-324)]],), "")]:
            try:
                f(*args)
            except ValueError as e:
                assert said in str(e), str(e)
        victim = [P(0, 0), P(4, 0), P(4, 4)]
        victim.append(Clearing(victim, 0, 4))
        for f in (Mesh.triangulate_2d, lambda o: Mesh.extrude_to_mesh(o, 1), lambda o: Mesh.constrain_delaunay_2d([o, o]),
                  lambda o: Mesh.constrain_delaunay_3d([o], 1)):
            attempt(f, victim)
            attempt(f, list(victim))
        outlines = [square]
        outlines.append([Clearing(outlines, 1, 1), P(2, 1), P(2, 2)])
        attempt(Mesh.constrain_delaunay_2d, outlines)
        attempt(Mesh.constrain_delaunay_2d, (x for x in [square]))
    """)
