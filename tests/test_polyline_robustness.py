"""No Python code a caller writes can crash Polyline (see hostile.py)."""

import textwrap

import pytest

from hostile import assert_survives

# Every member that reads the receiver's points, with arguments for it.
CALLS = """
from Flatkin import Point, Vector
from Strakel import Line, Segment
from Polyline import Polyline

CALLS = [
    ("__repr__", ()), ("__eq__", (Polyline([Point(0, 0), Point(1, 1)]),)), ("__hash__", ()), ("__iter__", ()),
    ("reverse", ()), ("is_closed", ()), ("close", ()), ("is_self_intersecting", ()),
    ("segments", None), ("count", None), ("length", None), ("start", None), ("end", None), ("midpoint", None),
    ("centroid", None), ("mean", None), ("longest_edge", None), ("shortest_edge", None), ("bound", None),
    ("area", None), ("is_clockwise", None), ("simple_wise", None), ("wise", None), ("start_vector", None),
    ("end_vector", None), ("is_convex", ()),
    ("select_segment_containing_point", (Point(0.5, 0),)), ("select_segment_close_to_point", (Point(0.5, 0),)),
    ("tangent_at_point", (Point(0.5, 0),)), ("normal_at_point", (Point(0.5, 0),)),
    ("tangent_ray_at_point", (Point(0.5, 0),)), ("tangent_line_at_point", (Point(0.5, 0),)),
    ("normal_ray_at_point", (Point(0.5, 0),)), ("normal_line_at_point", (Point(0.5, 0),)),
    ("closest_point", (Point(3, 3),)), ("intersection", (Line(Point(0, 0.5), Point(1, 0.5)),)),
    ("intersection", (Polyline([Point(0, 0.5), Point(1, 0.5)]),)),
    ("is_point_in_bound", (Point(0.5, 0.5),)), ("is_point_on", (Point(0.5, 0.5),)),
    ("is_point_inside", (Point(0.5, 0.5),)), ("contains_point", (Point(0.5, 0.5),)),
    ("contains_points", ([Point(0.5, 0.5)] * 20,)), ("is_segment_inside", (Segment(Point(0, 0), Point(1, 1)),)),
    ("is_polyline_inside", (Polyline([Point(-1, -1), Point(3, -1), Point(3, 3), Point(-1, -1)]),)),
    ("point_at_parameter", (0.5,)), ("point_at_length", (0.5,)), ("evaluate_point", (Point(0.5, 0),)),
    ("divide_by_count", (5,)), ("divide_by_length", (0.3,)),
    ("bounding_box", ()), ("bounding_box", (Vector(1, 2), 1)), ("minimum_bounding_box", ()),
    ("longest_edge_box", ()), ("set_vector_box", ()), ("degenerate_distance", ()), ("offset", (0.2,)),
    ("offset", (-0.2,)), ("unequal_offset", ([0.1] * 4,)), ("find_discontinuity", ()),
    ("loft", (Polyline([Point(5, 5), Point(6, 6)]),)), ("tween", (Polyline([Point(5, 5)] * 5), 0.5)),
    ("extend", (1.0,)), ("shorten", (0.5,)), ("adjust_length", (-0.5,)), ("break_by_point", (Point(0.5, 0),)),
    ("break_by_points", ([Point(0.5, 0), Point(1, 0.5)],)), ("break_by_parameter", (0.3,)),
    ("break_by_parameters", ([0.2, 0.7],)), ("break_by_interval", ((0.2, 0.7),)),
    ("break_by_intervals", ([(0.1, 0.2), (0.5, 0.6)],)), ("break_by_tuple", ((Point(0.5, 0), Point(1, 0.5)),)),
    ("break_by_tuples", ([(Point(0.5, 0), Point(1, 0.5))],)), ("move", (Vector(1, 1),)),
    ("rotate", (0.5, Point(0, 0))), ("polyline_chamfer", (None, 0.1)), ("polyline_fillet", (None, 0.1, 3)),
]

def run_all(make, positions=(0, 2)):
    for name, args in CALLS:
        # (each hostile read collects garbage, and a fillet reads every coordinate many times)
        for at in ([1] if name in ("polyline_chamfer", "polyline_fillet") else positions):
            p = make(at)
            if args is None:
                attempt(lambda: getattr(p, name))
            elif name in ("polyline_chamfer", "polyline_fillet"):
                attempt(getattr(Polyline, name), p, *args[1:])
            else:
                attempt(getattr(p, name), *args)
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
