"""No Python code a caller writes can crash Polyline (see hostile.py)."""

import textwrap

import pytest

from hostile import assert_survives

# Every member (polyline_support.member_calls) on a polyline that `make(at)` builds.
CALLS = """
from Flatkin import Point, Vector
from Polyline import Polyline
from polyline_support import call, member_calls

def run_all(make, positions=(0, 2)):
    for name, *args in member_calls():
        # (each hostile read collects garbage, and a fillet reads every coordinate many times)
        for at in ([1] if name in ("polyline_chamfer", "polyline_fillet") else positions):
            attempt(call, make(at), name, *args)
    for mode in ("MBB", "LEB", "SVB"):
        p = make(2)
        p.BOUND = mode
        attempt(p.bounding_box, Vector(0.5, 1), 1)
"""


# Polylines whose point list holds, at each position in turn, a point that
# changes the list, replaces the receiver's points or rebinds a module name
# when its coordinates are read.
MAKERS = {
    "changing-the-list": """
        for hostile in (Clearing, Growing):
            def make(at):
                pts = [Point(0, 0), Point(1, 0), Point(1, 1), Point(0, 1), Point(0, 0)]
                pts.insert(at, hostile(pts, 0.5, 0.5))
                return Polyline(pts)
            run_all(make)
    """,
    "replacing": """
        for new_points, coords in ((lambda: [Point(9, 9)], [(0, 0), (1, 0), (1, 1), (0, 0)]),
                                   (lambda: [], [(0, 0), (1, 0), (1, 1)])):
            def make(at):
                p = Polyline([Point(x, y) for x, y in coords])
                p.points.insert(at, Replacing(p, "points", new_points, 0.5, 0.5))
                return p
            run_all(make)
    """,
    "rebinding": """
        import Flatkin, Strakel
        import Polyline as module
        saved = {n: getattr(module, n) for n in ("Point", "Vector", "Segment", "Ray", "Line", "Polyline", "plt", "np")}
        for target, name, value in [(module, "Point", None), (module, "Vector", None), (module, "Segment", None),
                                    (module, "Ray", None), (module, "Polyline", None), (module, "np", None),
                                    (Flatkin, "epsilon", "x"), (Strakel, "epsilon", None)]:
            def make(at):
                pts = [Point(0, 0), Point(1, 0), Point(1, 1), Point(0, 0)]
                pts.insert(at, Rebinding(target, name, value, 0.5, 0.5))
                return Polyline(pts)
            run_all(make, (2,))
            for n, v in saved.items():
                setattr(module, n, v)
            Flatkin.epsilon = Strakel.epsilon = 1e-6
    """,
}


@pytest.mark.parametrize("maker", MAKERS)
def test_members_survive_the_points_changing_under_them(maker):
    assert_survives(CALLS + textwrap.dedent(MAKERS[maker]))


def test_argument_lists_changed_while_read():
    assert_survives("""
        from Flatkin import Point
        from Strakel import Segment
        from Polyline import Polyline
        square = Polyline([Point(0, 0), Point(4, 0), Point(4, 4), Point(0, 4), Point(0, 0)])
        for hostile in (Clearing, Growing):
            for at in range(4):
                pts = [Point(i, i) for i in range(6)]
                pts.insert(at, hostile(pts, 1.0, 1.0))
                attempt(square.contains_points, pts)
                segs = [Segment(Point(1, 1), Point(2, 2)) for _ in range(4)]
                segs.insert(at, Segment(hostile(segs, 1.0, 1.0), Point(3, 3)))
                attempt(square.contains_segments, segs)
                lines = [Polyline([Point(1, 1), Point(2, 2)]) for _ in range(4)]
                lines.insert(at, Polyline([hostile(lines, 1.0, 1.0), Point(2, 2)]))
                attempt(square.contains_polylines, lines)
                attempt(Polyline.plot_polylines, lines, None, False)
                pts = [Point(i, i * i % 5) for i in range(8)]
                pts.insert(at, hostile(pts, 1.0, 1.0))
                attempt(Polyline.convex_hull, pts)
                lines = [Polyline([Point(0, 0), Point(1, 0), Point(0, 1), Point(0, 0)]) for _ in range(4)]
                lines.insert(at, Polyline([hostile(lines, 1.0, 1.0), Point(2, 2), Point(3, 0)]))
                attempt(Polyline.unify_direction, lines)
                segs = [Segment(Point(i, 0), Point(i + 1, 0)) for i in range(4)]
                segs.insert(at, Segment(hostile(segs, 4.0, 0.0), Point(5, 0)))
                attempt(Polyline.join, list(segs), True)
                attempt(Polyline.join, segs)
                a, b = Segment(Point(0, 0), hostile(segs, 1.0, 0.0)), Segment(Point(1, 0), Point(1, 1))
                attempt(Polyline.chamfer_t, a, b, 0.2)
                attempt(Polyline.segment_fillet, a, b, 0.2, 3)
                attempt(square.break_by_points, pts)
                attempt(square.break_by_tuples, [(hostile(pts, 1.0, 0.0), Point(4, 1))])
                vals = [0.1, 0.2]
                attempt(square.break_by_intervals, [vals, [hostile(vals, 0.5, 0.0)]])
    """)


def test_self_references_huge_counts_and_tiny_spacings_raise_python_errors():
    assert_survives("""
        from Flatkin import Point
        from Polyline import Polyline
        p = Polyline([Point(0, 0), Point(1, 0)])
        p.points.append(p)
        for f in (hash, repr, lambda q: q == q, lambda q: q.length, lambda q: q.bound):
            attempt(f, p)
        q = Polyline([Point(0, 0), Point(1, 0), Point(1, 1)])
        for f, arg in ((q.divide_by_count, 10 ** 30), (q.divide_by_count, 2 ** 62), (q.divide_by_length, 1e-300),
                       (q.divide_by_length, float("nan")), (q.point_at_parameter, float("nan"))):
            attempt(f, arg)
        inf = Polyline([Point(0, 0), Point(float("inf"), 0)])
        for name in ("length", "centroid", "bound", "area", "wise"):
            attempt(lambda: getattr(inf, name))
        attempt(inf.divide_by_length, 1.0)
        attempt(inf.divide_by_count, 4)
        attempt(Polyline([Point(0, 0), Point(1e200, 0)]).divide_by_count, 3)
    """)


# ------------------- emptied sequences, rebound members, the collector

def test_emptied_sequences_raise_what_the_plain_steps_raise():
    assert_survives("""
        import collections, sys
        sys.path.insert(0, "../benchmarks")
        import pyref_polyline as ref
        from Flatkin import Point
        from Polyline import Polyline
        WALKS = ("point_at_length", "point_at_parameter", "divide_by_length", "divide_by_count")
        for kind in (collections.deque, list, lambda pts: collections.UserList(pts)):
            for name, raw in members(Polyline):
                for arg in ((), (0,), (0.5,), (2,), (Point(0, 0),)):
                    outcome = []
                    for cls in (Polyline, ref.Polyline):
                        points = kind([Point(0, 0), Point(1, 0), Point(1, 1)])
                        poly = cls(points)
                        points.clear()
                        try:
                            f = getattr(poly, name)
                            outcome.append(type(f(*arg) if callable(f) else f).__name__)
                        except Exception as e:
                            outcome.append(type(e).__name__ + str(e))
                            if "Unable to convert" in str(e) or "internal error" in str(e):
                                raise SystemError(str(e))
                    if "IndexError" in outcome[1] and name in WALKS:
                        assert outcome[0] == outcome[1], (name, arg, outcome)
    """)


def test_members_deleted_and_rebound_on_the_class_are_honoured():
    assert_survives("""
        from Flatkin import Point
        from Polyline import Polyline
        square = lambda: Polyline([Point(0, 0), Point(2, 0), Point(2, 1), Point(0, 1), Point(0, 0)])
        value = values_with(lambda: Point(0.5, 0.5))
        def run(name):
            for other, f, args in calls(Polyline, square, square(), value):
                attempt(f, *args)
        rebound_members(Polyline, run)
        del Polyline.is_closed
        Polyline.is_closed = [type(lambda: 0)((lambda: 0).__code__, {}) for _ in range(100)][50]
        try:
            square().area
        except TypeError:
            pass
        else:
            raise AssertionError("area ran the deleted is_closed")
        finally:
            Polyline.is_closed = vars(Polyline).get("is_closed")
    """)


@pytest.mark.parametrize("finalizer", [False, True])
def test_collector_changing_the_points_a_member_reads(finalizer):
    assert_survives(f"""
        from Flatkin import Point
        from Polyline import Polyline
        value = values_with(lambda: Point(0.5, 0.5))
        for which in range(4):
            pts = [Point(i % 3, i // 3) for i in range(12)]
            poly = Polyline(pts)
            actions = seq_actions(pts, Point(5, 5)) + [lambda: setattr(poly, "points", [Point(0, 0)])]
            for name, f, args in calls(Polyline, lambda: poly, poly, value):
                with collecting(actions[which], {finalizer}):
                    attempt(f, *args)
    """)
