"""No Python code a caller writes can crash Solidar (see hostile.py)."""

import pytest

from hostile import assert_survives

ONE_LIST = ["remove_duplicate_points", "select_unique_points", "is_has_duplicate_points", "get_min_point",
            "get_min_point_id", "get_max_point", "get_max_point_id", "find_nearest_two_points", "find_center",
            "plot_points"]
TARGET_AND_LIST = ["find_nearest_point", "find_farthest_point", "count_point_occurrences", "is_has_same_point"]


def test_point_list_queries_survive_lists_changed_while_read():
    assert_survives(f"""
        import itertools
        import numpy as np
        import Solidar
        from Solidar import Point3d, Vector3d
        for hostile, name, at in itertools.product((Clearing, Growing), {ONE_LIST + TARGET_AND_LIST!r}, range(4)):
            pts = [Point3d(i, i % 3, i % 2) for i in range(6)]
            pts.insert(at, hostile(pts, 1.0, 1.0, 1.0))
            attempt(getattr(Point3d, name), *((pts,) if name in {ONE_LIST!r} else (Point3d(0, 0, 0), pts)))
        for hostile in (Clearing, Growing):
            for f in (Point3d.apply_affine_transformation_to_3d, Point3d.apply_affine_transformation_to_2d):
                pts = [Point3d(i, 0, 0) for i in range(5)]
                pts.insert(2, hostile(pts, 2.0, 0.0, 1.0))
                attempt(f, pts, np.eye(4))
            for name in ("is_linear", "sort_points_by_polar_angle"):
                pts = [Point3d(i, 1, 0) for i in range(5)]
                pts.insert(2, hostile(pts, 2.0, 0.0, 0.0))
                attempt(getattr(Vector3d, name), pts)
    """)


def test_module_names_rebound_during_a_call_and_self_referential_or_odd_values():
    assert_survives("""
        import numpy as np
        import Solidar
        from Solidar import Point3d, Vector3d
        real = {name: getattr(Solidar, name) for name in ("np", "plt", "epsilon", "Point3d", "Vector3d", "Point")}
        class Fake:
            def __getattr__(self, name):
                Solidar.np = Solidar.plt = object()
                gc.collect()
                return lambda *a, **k: None
        for name in ("np", "plt"):
            setattr(Solidar, name, Fake())
            attempt(Point3d.plot_points, [Point3d(0, 0, 0)], True)
            attempt(Point3d.random_points, 3)
            attempt(Point3d(1, 0, 0).rotate2d, 1.0, Point3d(0, 0, 0))
            attempt(Vector3d.angle, Vector3d(0, 1, 0), Vector3d(1, 0, 0))
            attempt(Point3d.apply_affine_transformation_to_3d, [Point3d(1, 2, 3)], np.eye(4))
            attempt(Vector3d.radian_to_degree, 1.0)
            for key, value in real.items():
                setattr(Solidar, key, value)
        for name, value in (("epsilon", "x"), ("Point3d", None), ("Vector3d", 5), ("Point", None)):
            p = Rebinding(Solidar, name, value, 1.0, 1.0, 1.0)
            for f in (Point3d.is_equal, Point3d.distance_to_point, Point3d.is_less, Point3d.__add__,
                      Point3d.__sub__, Point3d.move, Vector3d.cross_product, Vector3d.angle, Vector3d.sin,
                      Vector3d.projection_point, Vector3d.mirror):
                attempt(f, p, Point3d(0, 0, 0))
                attempt(f, Point3d(0, 0, 0), p)
            attempt(Point3d.find_center, [p, Point3d(1, 1, 1)])
            attempt(Point3d.apply_affine_transformation_to_2d, [p], np.eye(4))
            attempt(Vector3d.intersection, Point3d(0, 0, 0), Point3d(1, 0, 0), p, Point3d(0.5, 1, 0))
            for key, v in real.items():
                setattr(Solidar, key, v)
        class Loop(Point3d):
            @property
            def x(self):
                return self
        loop = Loop(0, 0, 0)
        for f in (hash, repr, round, lambda p: Point3d.__hash__(p), lambda p: Vector3d.__repr__(p),
                  lambda p: p + p, lambda p: p.copy(), lambda p: Vector3d.angle(p, p)):
            attempt(f, loop)
        v = Vector3d(1, 0, 0)
        class Angle:
            def __float__(self):
                del v.angle
                gc.collect()
                return 1.0
        v.angle = Angle()
        attempt(v.rotate2d)
        class Shape:
            @property
            def shape(self):
                raise RuntimeError("no shape")
        class Wide:
            shape = (4, 4)
            def __array__(self, *a, **k):
                raise RuntimeError("no array")
        for m in (Shape(), Wide(), None, np.eye(4, dtype=object), np.full((4, 4), np.nan)):
            attempt(Point3d.apply_affine_transformation_to_3d, [Point3d(1, 2, 3), P(1, 2, 3)], m)
            attempt(Point3d(1, 2, 3).apply_affine_transformation, m)
        for n in (10 ** 20, -1, 2 ** 62, "3", 2.0):
            attempt(Point3d.generate_random_points, n)
        for bad in (None, 1, "abc", [None], [P("a", 0, 0)], (P(1, 1, 1),), BigCount([Point3d(0, 0, 0)] * 3)):
            for name in ("select_unique_points", "find_nearest_two_points", "remove_duplicate_points",
                         "get_min_point", "find_center", "is_has_duplicate_points"):
                attempt(getattr(Point3d, name), bad)
            attempt(Vector3d.is_linear, bad)
            attempt(Vector3d.sort_points_by_polar_angle, bad)
    """)


def test_surfaces_and_planes_survive_corner_lists_and_constants_changed_while_read():
    assert_survives("""
        import Solidar
        from Solidar import Plane, Point3d, Surface, Vector3d
        real_floors, real_unit = Solidar.BIM_FLOOR_HEIGHTS, Solidar.BIM_UNIT_WIDTH
        for hostile in (Clearing, Growing):
            for at in range(4):
                pts = [Point3d(0, 0, 0), Point3d(0, 0, 9), Point3d(20, 0, 9), Point3d(20, 0, 0)]
                pts[at] = hostile(pts, 0.0, 0.0, 9.0 * (at in (1, 2)))
                s = Surface(pts)
                for name in ("origin", "vector_i", "vector_j", "height", "width", "plane", "transformation_to_xy",
                             "inverse_transformation_to_xy"):
                    attempt(getattr, s, name)
                for name in ("apply_affine_transformation_to_xy", "divide_height", "divide_width", "divide_surface",
                             "divide_surface_with_label", "divide_surface_to_planes_with_label",
                             "divide_surface_xy_points", "divide_surface_xy_planes", "__repr__"):
                    attempt(getattr(s, name))
                pl = attempt(Plane, list(pts))
                if pl is not None:
                    pl.points = pts
                    for f in (hash, repr, Plane.equation, Plane.local_coordinate_system, Plane.plane_z_intersection,
                              lambda p: p.normal, lambda p: p.distance_to_origin, Plane.transformation_matrix_to_xy,
                              lambda p: Plane.move(p, 1, 2, 3), lambda p: p.distance_to_point(hostile(pts))):
                        attempt(f, pl)
                attempt(Plane.is_coplanar, pts + [hostile(pts, 1, 1, 1)])
                attempt(Plane.to_array, pts)
        class Storey(float):
            def __radd__(self, other):
                Solidar.BIM_FLOOR_HEIGHTS = None
                Solidar.Surface = None
                gc.collect()
                return 4.5 + other
        class Unit(float):
            def __rfloordiv__(self, other):
                Solidar.BIM_UNIT_WIDTH = "x"
                gc.collect()
                return 2.0
        s = Surface([Point3d(0, 0, 0), Point3d(0, 0, 30), Point3d(20, 0, 30), Point3d(20, 0, 0)])
        for floors, unit in (([0, Storey(6.5), Storey(4.5)], 8.4), ([0, 6.5], Unit(8.4)), ([0, None], 8.4),
                             (None, None), ([0, 6.5], 0), ([0, 6.5], float("nan")), ([0, 1e308, 1e308], 1e-300)):
            for name in ("divide_height", "divide_width", "divide_surface", "divide_surface_xy_planes",
                         "divide_surface_to_planes_with_label"):
                Solidar.BIM_FLOOR_HEIGHTS, Solidar.BIM_UNIT_WIDTH, Solidar.Surface = floors, unit, Surface
                attempt(getattr(s, name))
        Solidar.BIM_FLOOR_HEIGHTS, Solidar.BIM_UNIT_WIDTH, Solidar.Surface = real_floors, real_unit, Surface
        class Loop:
            def __init__(self):
                self.points = [self, self, self]
            x = y = z = 0.0
            def __sub__(self, other):
                return Vector3d(0, 0, 0)
        loop = Plane([Point3d(0, 0, 0)] * 3)
        loop.points = [loop, loop, loop]
        for f in (hash, repr, lambda p: p.normal):
            attempt(f, loop)
        tile = Surface([])
        tile.points = [tile] * 4
        attempt(repr, tile)
    """)


def test_meshes_survive_layers_arrays_and_plotters_that_change_things():
    assert_survives("""
        import numpy as np
        import pyvista as pv
        import Solidar
        from Solidar import Mesh
        meshes = []
        class Layer(str):
            pass
        class Hashing:
            def __hash__(self):
                del meshes[:]
                gc.collect()
                return 1
            def __eq__(self, other):
                meshes.clear()
                return True
        def make(k, layer):
            return Mesh(np.eye(3) * k, np.array([[0, 1, 2]]), layer)
        for layer in ("a", None, "b"):
            meshes.extend(make(k, layer) for k in range(3))
        odd = make(9, "a")
        odd.layer = Hashing()
        meshes.insert(2, odd)
        attempt(Mesh.merge_meshes_by_layer, meshes)
        attempt(Mesh.meshes_to_front, meshes)
        class Swapping:
            def __init__(self, target):
                self.target = target
            def __array__(self, *a, **k):
                self.target.vertices = None
                gc.collect()
                return np.eye(3)
        m = make(1, "a")
        m.vertices = Swapping(m)
        for f in (lambda: m.normals, m.self_clean_vertices, lambda: m.merge(make(2, "a")),
                  lambda: Mesh.merge_meshes_by_layer([m, make(3, "a")]), lambda: Mesh.simplify_mesh(m),
                  lambda: Mesh.clean_vertices(m.vertices, m.indices), lambda: Mesh.apply_affine_transformation(m.vertices, np.eye(4))):
            attempt(f)
        for bad in (None, [None], [[1, 2]], np.zeros((3, 3, 3)), np.zeros((2, 3), dtype=object), "abc",
                    np.zeros((4, 0)), np.full((3, 3), np.nan)):
            attempt(Mesh.clean_vertices, bad)
            attempt(lambda: Mesh(bad, np.array([[0, 1, 2]])).normals)
            attempt(lambda: Mesh(np.eye(3), bad).normals)
            attempt(Mesh.merge_meshes_by_layer, [Mesh(bad, bad, "a"), Mesh(np.eye(3), np.zeros((1, 3), dtype=int), "a")])
        class Plotter:
            def __init__(self):
                Solidar.pv = None
                Solidar.np = None
                gc.collect()
            def __getattr__(self, name):
                return lambda *a, **k: None
        real_pv, real_np = Solidar.pv, Solidar.np
        pv.Plotter = Plotter
        odd_layer = make(2, "b")
        odd_layer.layer = Layer("b")
        for f in (Mesh.show_mesh, Mesh.show_pyvista_mesh, Mesh.show_rhino_mesh):
            attempt(f, [make(1, "a"), odd_layer])
            Solidar.pv, Solidar.np = real_pv, real_np
        class Faces:
            QuadCount = 1
            Count = 3
            def ConvertQuadsToTriangles(self):
                victim.Vertices = []
                gc.collect()
            def __getitem__(self, k):
                return [0, 1, 2, 2] if k else 7
        class Rhino:
            Faces = Faces()
        victim = Rhino()
        victim.Vertices = [P(0, 0, 0), P(1, 0, 0), P(0, 1, 0)]
        for pts in ([P(0, 0), P(1, 0), P(1, 1)], [], [P("a", 0)], None):
            for f in (Mesh.triangulate_2d, lambda p: Mesh.extrude_to_mesh(p, 2), lambda p: Mesh.constrain_delaunay_2d([p, p]),
                      lambda p: Mesh.constrain_delaunay_3d([p], 1)):
                attempt(f, pts)
        attempt(Mesh.convert_rhinoMesh_to_pvMesh, victim)
        # Exact points offered whole or one by one, each emptying the list
        # it came from as its X is read.
        class Whole(list):
            def ToPoint3dArray(self):
                return self
        class Each(list):
            def Point3dAt(self, j):
                return self[j]
        class Vanishing:
            @property
            def X(self):
                holder.Vertices.clear()
                gc.collect()
                return 1.0
            Y = Z = 0.0
        for kind in (Whole, Each):
            holder = Rhino()
            holder.Vertices = kind([Vanishing(), Vanishing(), Vanishing()])
            attempt(Mesh.convert_rhinoMesh_to_pvMesh, holder)
    """)


# ---------------------------------------- half-made objects and the collector

def test_half_made_instances_have_no_coordinates():
    assert_survives("""
        from Solidar import Point3d, Vector3d, Plane, Surface, Mesh
        value = values_with(lambda: Point3d(1.0, 2.0, 3.0))
        for cls in (Point3d, Vector3d):
            check_half_made(cls, "Solidar", ("x", "y", "z"), lambda: cls(1.0, 2.0, 3.0), value,
                            among=(Plane, Surface, Vector3d if cls is Point3d else Point3d))
        for cls, fields in ((Plane, ("points",)), (Surface, ("points",)), (Mesh, ("vertices", "indices"))):
            for obj in half_made(cls, "Solidar"):
                assert not any(hasattr(obj, f) for f in fields)
                for name, f, args in calls(cls, lambda: obj, obj, value):
                    attempt(f, *args)
    """)


@pytest.mark.parametrize("finalizer", [False, True])
def test_collector_changing_the_points_a_member_reads(finalizer):
    assert_survives(f"""
        import numpy as np
        from Solidar import Point3d, Vector3d, Plane, Surface
        statics = [(Point3d, n) for n in {[n for n in ONE_LIST + TARGET_AND_LIST if "plot" not in n]!r}]
        statics += [(Vector3d, "is_linear"), (Vector3d, "sort_points_by_polar_angle"), (Plane, "to_array"),
                    (Point3d, "apply_affine_transformation_to_3d"), (Point3d, "apply_affine_transformation_to_2d")]
        for which in range(3):
            for cls, name in statics:
                pts = [Point3d(i, i % 5, i % 3) for i in range(300)]
                with collecting(seq_actions(pts, Point3d(1, 1, 1))[which], {finalizer}):
                    for args in ((pts,), (Point3d(1, 1, 1), pts), (pts, np.eye(4))):
                        attempt(getattr(cls, name), *args)
            for cls in (Plane, Surface):
                pts = [Point3d(0, 0, 0), Point3d(1, 0, 0), Point3d(0, 1, 0), Point3d(1, 1, 0)]
                shape = cls(pts[:3] if cls is Plane else pts)
                for name, f, args in calls(cls, lambda: shape, shape, values_with(lambda: Point3d(1, 2, 3))):
                    with collecting(seq_actions(pts, Point3d(2, 2, 2))[which], {finalizer}):
                        attempt(f, *args)
    """)


def test_meshes_over_unaligned_and_empty_arrays():
    assert_survives("""
        import numpy as np
        from Solidar import Mesh
        v = np.array([[0, 0, 0], [1, 0, 0], [0, 1, 0], [1, 1, 1]], dtype=float)
        t = np.array([[0, 1, 2], [1, 3, 2]], dtype=np.int64)
        def unaligned(a):
            return np.frombuffer(b"\\0" + a.tobytes(), dtype=a.dtype, offset=1).reshape(a.shape)
        for vertices, triangles in ((unaligned(v), unaligned(t)), (unaligned(v.astype(np.int64)), t),
                                    (v, unaligned(t.astype(np.int32))), (np.zeros((0, 3)), np.zeros((0, 3), np.int64))):
            mesh = Mesh(vertices, triangles, "a")
            for name, f, args in calls(Mesh, lambda: mesh, mesh, lambda name: mesh):
                attempt(f, *args)
            attempt(Mesh.clean_vertices, vertices, triangles)
            attempt(Mesh.merge_meshes_by_layer, [mesh, mesh])
        assert np.array_equal(Mesh(unaligned(v), unaligned(t), "a").normals, Mesh(v, t, "a").normals)
    """)
