"""No Python code a caller writes can crash Flatkin (see hostile.py)."""

import pytest

from hostile import assert_survives

LIST_STATICS = [
    "find_nearest_point", "find_farthest_point", "remove_duplicate_points", "select_unique_points",
    "count_point_occurrences", "is_has_duplicate_points", "is_has_same_point", "get_min_point",
    "get_min_point_id", "get_max_point", "get_max_point_id", "find_nearest_two_points", "find_center",
    "plot_points",
]


@pytest.mark.parametrize("hostile", ["Clearing", "Growing"])
def test_point_list_queries_survive_lists_changed_while_read(hostile):
    assert_survives(f"""
        import Flatkin
        from Flatkin import Point, Vector
        for name in {LIST_STATICS!r}:
            f = getattr(Point, name)
            for at in range(4):
                pts = [Point(i, i % 3) for i in range(6)]
                pts.insert(at, {hostile}(pts, 1.0, 1.0))
                args = (pts,) if name in ("remove_duplicate_points", "select_unique_points",
                    "is_has_duplicate_points", "get_min_point", "get_min_point_id", "get_max_point",
                    "get_max_point_id", "find_nearest_two_points", "find_center", "plot_points") else (Point(0, 0), pts)
                attempt(f, *args)
        for name in ("is_linear", "sort_points_by_polar_angle"):
            pts = [Point(i, 0) for i in range(5)]
            pts.insert(2, {hostile}(pts, 2.0, 0.0))
            attempt(getattr(Vector, name), pts)
    """)


def test_module_names_rebound_during_a_call():
    assert_survives("""
        import Flatkin
        from Flatkin import Point, Vector
        real_plt, real_np = Flatkin.plt, Flatkin.np
        class FakePlt:
            def __getattr__(self, name):
                Flatkin.plt = object()
                gc.collect()
                return lambda *a, **k: None
        for _ in range(3):
            Flatkin.plt = FakePlt()
            attempt(Point.plot_points, [Point(0, 0), Point(1, 1)], True)
        Flatkin.plt = real_plt
        p = Rebinding(Flatkin, "epsilon", 0.5, 1.0, 1.0)
        for f in (Point.is_equal, Point.distance_to_point, Point.is_less, Vector.angle, Vector.cos):
            attempt(f, p, Point(0, 0))
            attempt(f, Point(0, 0), p)
        Flatkin.epsilon = 1e-6
        q = Rebinding(Flatkin, "Point", None, 1.0, 1.0)
        attempt(Point.__add__, Point(0, 0), q)
        attempt(Point.find_center, [q, Point(1, 1)])
        Flatkin.Point = Point
        r = Rebinding(Flatkin, "np", None, 1.0, 1.0)
        attempt(Vector.rotate, r, 0.5)
        attempt(Point.random_point, (r, 2), (0, 1))
        Flatkin.np = real_np
    """)


def test_self_referential_points_raise_recursion_error_not_crash():
    assert_survives("""
        from Flatkin import Point, Vector
        class Loop(Point):
            @property
            def x(self):
                return self
        loop = Loop(0, 0)
        for f in (hash, repr, lambda p: Point.__hash__(p), lambda p: Point.__repr__(p),
                  lambda p: Vector.__repr__(p), lambda p: Point.__round__(p)):
            attempt(f, loop)
    """)


def test_huge_counts_and_odd_lists_raise_python_errors():
    assert_survives("""
        from Flatkin import Point
        attempt(Point.select_unique_points, BigCount([Point(0, 0), Point(1, 1)]))
        attempt(Point.generate_random_points, 2 ** 62)
        attempt(Point.generate_random_points, 10 ** 30)
        attempt(Point.random_points, -5)
    """)


# ---------------------------------------- half-made objects and the collector

def test_half_made_points_and_vectors_have_no_coordinates():
    assert_survives("""
        from Flatkin import Point, Vector
        value = values_with(lambda: Point(1.0, 2.0))
        for cls in (Point, Vector):
            check_half_made(cls, "Flatkin", ("x", "y"), lambda: cls(1.0, 2.0), value,
                            among=(Vector,) if cls is Point else (Point,))
    """)


@pytest.mark.parametrize("finalizer", [False, True])
def test_collector_changing_the_list_a_member_reads(finalizer):
    assert_survives(f"""
        from Flatkin import Point, Vector
        for name in {LIST_STATICS[:-1] + ["is_linear", "sort_points_by_polar_angle"]!r}:
            cls = Vector if name in ("is_linear", "sort_points_by_polar_angle") else Point
            f = getattr(cls, name)
            for which in range(3):
                pts = [Point(i, i % 7) for i in range(200)]
                with collecting(seq_actions(pts, Point(3, 3))[which], {finalizer}):
                    attempt(f, pts)
                    attempt(f, Point(1, 1), pts)
    """)
