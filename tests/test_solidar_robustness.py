"""No Python code a caller writes can crash Solidar (see hostile.py)."""

import pytest

from hostile import assert_survives

ONE_LIST = ["remove_duplicate_points", "select_unique_points", "is_has_duplicate_points", "get_min_point",
            "get_min_point_id", "get_max_point", "get_max_point_id", "find_nearest_two_points", "find_center",
            "plot_points"]
TARGET_AND_LIST = ["find_nearest_point", "find_farthest_point", "count_point_occurrences", "is_has_same_point"]


@pytest.mark.parametrize("hostile", ["Clearing", "Growing"])
def test_point_list_queries_survive_lists_changed_while_read(hostile):
    assert_survives(f"""
        import numpy as np
        import Solidar
        from Solidar import Point3d, Vector3d
        for name in {ONE_LIST + TARGET_AND_LIST!r}:
            f = getattr(Point3d, name)
            for at in range(4):
                pts = [Point3d(i, i % 3, i % 2) for i in range(6)]
                pts.insert(at, {hostile}(pts, 1.0, 1.0, 1.0))
                attempt(f, *((pts,) if name in {ONE_LIST!r} else (Point3d(0, 0, 0), pts)))
        for f in (Point3d.apply_affine_transformation_to_3d, Point3d.apply_affine_transformation_to_2d):
            pts = [Point3d(i, 0, 0) for i in range(5)]
            pts.insert(2, {hostile}(pts, 2.0, 0.0, 1.0))
            attempt(f, pts, np.eye(4))
        for name in ("is_linear", "sort_points_by_polar_angle"):
            pts = [Point3d(i, 1, 0) for i in range(5)]
            pts.insert(2, {hostile}(pts, 2.0, 0.0, 0.0))
            attempt(getattr(Vector3d, name), pts)
    """)


def test_module_names_rebound_during_a_call():
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
    """)


def test_self_referential_and_odd_values_raise_errors_not_crashes():
    assert_survives("""
        import numpy as np
        from Solidar import Point3d, Vector3d
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
