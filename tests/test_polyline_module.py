"""Polyline as a module: its namespace, the kinds and parameters of every
member, the call shapes, copies and pickles, docstrings and the plot."""

import copy
import math
import inspect
import os
import pathlib
import pickle
import re
import subprocess
import sys
import typing

import matplotlib
import matplotlib.pyplot as plt
import numpy as np
import pytest

import Bowlet
import Flatkin
import Polyline as module
import Strakel
from Flatkin import Point
from Polyline import Polyline
from Strakel import Segment

M, P, S = "method", "property", "static"

# Every member: name(parameters) a method, @name(parameters) a static method, .name a read-only property.
MEMBERS = [(m[2], P if m[1] else S if m[0] else M, None if m[1] else m[3].replace(",", " "))
           for m in re.findall(r"(@?)(\.?)(\w+)(?:\(([^)]*)\))?", """
    __init__(self,points) __repr__(self) __eq__(self,other) __hash__(self) __iter__(self) reverse(self)
    is_closed(self) close(self) is_self_intersecting(self) .segments .count .length .start .end .midpoint .centroid
    .mean .longest_edge .shortest_edge .bound bounding_box(self,vector=,typ=) minimum_bounding_box(self)
    longest_edge_box(self) set_vector_box(self,vector=) .area .is_clockwise .simple_wise .wise .start_vector
    .end_vector is_convex(self) @convex_hull(points) @unify_direction(polylines) degenerate_distance(self)
    offset(self,distance) unequal_offset(self,dis_lst) select_segment_containing_point(self,point)
    select_segment_close_to_point(self,point) tangent_at_point(self,point) normal_at_point(self,point)
    tangent_ray_at_point(self,point) tangent_line_at_point(self,point) normal_ray_at_point(self,point)
    normal_line_at_point(self,point) closest_point(self,point) intersection(self,other)
    is_point_in_bound(self,point) is_point_on(self,point) is_point_inside(self,point)
    is_segment_inside(self,segment) is_polyline_inside(self,other_polyline) contains_point(self,point)
    contains_points(self,points) contains_segments(self,segments) contains_polylines(self,polylines)
    point_at_parameter(self,t) point_at_length(self,length) evaluate_point(self,point,method=)
    divide_by_count(self,count) divide_by_length(self,length) find_discontinuity(self) @join(segments,ordered=)
    loft(self,other_polyline) tween(self,other_polyline,t) extend(self,length) shorten(self,length)
    adjust_length(self,length) break_by_point(self,point) break_by_points(self,points) break_by_parameter(self,t)
    break_by_parameters(self,parameters) break_by_interval(self,interval) break_by_intervals(self,intervals)
    break_by_tuple(self,points) break_by_tuples(self,tuples) move(self,vector) rotate(self,angle,point)
    @chamfer_t(segment0=,segment1=,radius=) @segment_chamfer(segment0=,segment1=,radius=)
    @polyline_chamfer(polyline=,radius=) @segment_fillet(segment0=,segment1=,radius=,number=)
    @polyline_fillet(polyline=,radius=,number=) @plot_polylines(polylines,name=,show=)
""")]


def square():
    return Polyline([Point(0, 0), Point(1, 0), Point(1, 1), Point(0, 1), Point(0, 0)])


def parameters(func):
    text = func.__nb_signature__[0][0] if hasattr(func, "__nb_signature__") else str(inspect.signature(func))
    inner = text[text.index("(") + 1:text.rindex(")")]
    out = []
    for part in re.split(r",\s*(?![^\[]*\])", inner):
        part = part.strip()
        if part and part not in ("/", "*"):
            out.append(re.split(r"[:=]", part)[0].strip() + ("=" if "=" in part else ""))
    return out


# ------------------------------------------------------------ namespace

def test_the_namespace_holds_the_imports_and_the_class_only_with_the_listed_members():
    public = {n for n in vars(module) if not n.startswith("__")}
    assert public == {"math", "Optional", "List", "Tuple", "Union", "Dict", "plt", "np", "Arc", "Line", "Segment",
                      "Ray", "Point", "Vector", "Polyline"}
    assert module.Arc is Bowlet.Arc and module.Segment is Strakel.Segment and module.Point is Flatkin.Point
    assert module.plt is matplotlib.pyplot and module.np is np and module.Dict is typing.Dict
    assert Polyline.__module__ == "Polyline" and Polyline.__qualname__ == "Polyline" and Polyline.BOUND == "ABB"
    members = {n for n in vars(Polyline) if not n.startswith("_")}
    assert members == {m[0] for m in MEMBERS if not m[0].startswith("_")} | {"BOUND"} and len(MEMBERS) == 83


@pytest.mark.parametrize("name, kind, params", MEMBERS, ids=[m[0] for m in MEMBERS])
def test_member_kind_parameters_and_docstring(name, kind, params):
    raw = inspect.getattr_static(Polyline, name)
    assert name in vars(Polyline) and {property: P, staticmethod: S}.get(type(raw), M) == kind
    func = raw.fget if kind == P else getattr(Polyline, name)
    if name != "__init__":
        assert (raw.__doc__ if kind == P else func.__doc__).strip(), name
    if params is not None and name != "__init__":
        assert parameters(func) == params.split(), name


def test_properties_are_read_only_and_instances_take_attributes():
    p = square()
    with pytest.raises(AttributeError):
        p.length = 3
    p.note = "kitchen"
    p.BOUND = "MBB"
    assert p.note == "kitchen" and p.BOUND == "MBB" and Polyline.BOUND == "ABB"
    assert callable(p.is_convex) and p.is_convex() is True


PARAMETER, POINTS = r"^All parameter values must be between 0 and 1\.$", r"^Polyline must have at least two points\.$"
TOO_LONG = r"^Length must be less than the total length of the Polyline\.$"
NOT_POSITIVE, ONE = r"^Length must be greater than 0\.$", r"^Parameter value must be between 0 and 1\.$"
OUTSIDE = r"^Length must be between 0 and the total length of the Polyline\.$"
METHOD = r"^Method must be either 'length' or 'parameter'\.$"
SAME_COUNT = r"^Polyline objects must have the same number of points\.$"


def segs(*coords):
    return [Segment(Point(*a), Point(*b)) for a, b in zip(coords, coords[1:])]


# Calls on the corner (0, 0), (2, 0), (2, 2): the error each raises and its message.
ERRORS = [
    *[(lambda p, a=a: Polyline(a), ValueError, POINTS) for a in ([], [Point(0, 0)], (), "a")],
    *[(lambda p, v=v, f=f: f(p, v), ValueError, PARAMETER) for v in ([0.5, 1], [0, 0.5], [-0.1], [math.nan], [2])
      for f in (Polyline.break_by_parameters, Polyline.break_by_interval, lambda p, v: p.break_by_intervals([v]))],
    (lambda p: p.point_at_parameter(1.0000001), ValueError, ONE),
    (lambda p: p.point_at_parameter(-0.1), ValueError, ONE),
    (lambda p: p.point_at_length(-1), ValueError, OUTSIDE), (lambda p: p.point_at_length(4.5), ValueError, OUTSIDE),
    (lambda p: p.evaluate_point(Point(0, 0), "Length"), ValueError, METHOD),
    (lambda p: p.evaluate_point(Point(0, 0), None), ValueError, METHOD),
    (lambda p: p.divide_by_count(1), ValueError, r"^Number of points must be at least 2\.$"),
    (lambda p: p.divide_by_length(0), ValueError, NOT_POSITIVE), (lambda p: p.extend(0), ValueError, NOT_POSITIVE),
    (lambda p: p.shorten(-1), ValueError, NOT_POSITIVE), (lambda p: p.shorten(4), ValueError, TOO_LONG),
    (lambda p: p.adjust_length(-4), ValueError, TOO_LONG),
    (lambda p: p.tween(Polyline(p.points[:2]), 0.5), ValueError, SAME_COUNT),
    (lambda p: Polyline.join(segs((0, 0), (1, 0)) + segs((5, 5), (6, 6))), ValueError,
     r"^The segments are not connected\.$"),
    (lambda p: square().unequal_offset([1, 2]), IndexError,
     r"^Length of dis_lst does not match the number of segments in the polyline\.$"),
    (lambda p: p.area, ValueError, r"^Polyline must be closed to calculate area\.$"),
    *[(lambda p, c=c: Polyline([Point(*q) for q in c]).simple_wise, Exception, r"^Point Overlap$")
      for c in ([(0, 0), (0, 0), (1, 1)], [(0, 0), (1, 0), (0, 0)], [(0, 0), (1, 1), (1, 1)])],
    (lambda p: Polyline(p.points[:2]).simple_wise, IndexError, None),
    (lambda p: square().offset(math.nan), IndexError, None), (lambda p: p.offset(math.nan), IndexError, None),
    (lambda p: Polyline.unify_direction([]), IndexError, None), (lambda p: Polyline.chamfer_t(), AttributeError, None),
    (lambda p: Polyline([Point(0, 0), Point(0, 0), Point(1, 0)]).point_at_parameter(0), ZeroDivisionError, None),
    (lambda p: Polyline.segment_fillet(*segs((0, 0), (1, 0), (1, 1)), 0.1), Exception, None),
    (lambda p: Polyline.segment_fillet(*segs((0, 0), (1, 0), (1, 1)), 0, 3), Exception, None),
    *[(call, TypeError, None) for call in (  # wrong types and call shapes
        lambda p: p.point_at_parameter("0.5"), lambda p: p.point_at_length("1"), lambda p: p.divide_by_length(None),
        lambda p: p.divide_by_count(3.0), lambda p: p.evaluate_point(Point(0, 0), 3), lambda p: p.offset("2"),
        lambda p: p.unequal_offset([1, "3"]), lambda p: p.tween(p, "0.5"), lambda p: p.extend("1"),
        lambda p: p.shorten(None), lambda p: p.adjust_length("1"), lambda p: p.break_by_parameter("0.5"),
        lambda p: p.rotate("1", Point(0, 0)), lambda p: p.is_closed(p), lambda p: p.contains_point(),
        lambda p: p.contains_point(Point(0, 0), 1), lambda p: p.contains_point(pt=Point(0, 0)),
        lambda p: p.is_convex(self=p), lambda p: Polyline.convex_hull(points=p.points), lambda p: Polyline(iter(p)),
        lambda p: Polyline.unify_direction(polylines=[p]), lambda p: Polyline.chamfer_t(*segs((0, 0), (1, 0), (1, 1))),
        lambda p: Polyline.chamfer_t(*segs((0, 0), (1, 0), (1, 1)), "1"),
        lambda p: Polyline.chamfer_t(*segs((0, 0), (0, 0), (1, 1)), 1))],
]


@pytest.mark.parametrize("call, error, message", ERRORS)
def test_errors_and_their_messages(call, error, message):
    with pytest.raises(error, match=message) as info:
        call(Polyline([Point(0, 0), Point(2, 0), Point(2, 2)]))
    assert error is not Exception or message is None or type(info.value) is Exception


def test_numbers_reach_the_body_as_given_and_float_parameters_take_ints_and_bools():
    p = square()
    assert p.divide_by_count(True + True)[1] == Point(1, 1)
    assert p.offset(2) == p.offset(2.0) and p.offset(True).count == 5
    assert p.point_at_parameter(1) == p.end and p.point_at_length(True) == Point(1, 0)
    assert p.evaluate_point(point=Point(1, 0), method="parameter") == 0.25


def test_members_take_any_receiver_and_build_results_through_the_modules_current_names(monkeypatch):
    class Plain:
        points = [Point(0, 0), Point(2, 0), Point(2, 2)]
    assert Polyline.length.fget(Plain()) == 4.0 and Polyline.is_point_on(Plain(), Point(1, 0)) is True
    assert Polyline.point_at_length(Plain(), 3) == Point(2, 1)
    with pytest.raises(AttributeError):
        Polyline.is_convex(None)

    class MyPoint(Point):
        pass
    monkeypatch.setattr(module, "Point", MyPoint)
    assert type(square().centroid) is MyPoint and type(square().point_at_parameter(0.125)) is MyPoint


# ------------------------------------------------------ copy and pickle

def test_copies_and_pickles_behave_as_a_plain_class_and_subclasses_keep_theirs():
    pts = [Point(0, 0), Point(1, 0), Point(1, 1)]
    p = Polyline(pts)
    p.BOUND = "LEB"
    shallow, deep, back = copy.copy(p), copy.deepcopy(p), pickle.loads(pickle.dumps(p))
    assert shallow.points is pts and shallow.BOUND == "LEB" and type(shallow) is Polyline
    assert deep == p and deep.points is not pts and deep.points[0] is not pts[0]
    assert back == p and back.BOUND == "LEB" and back.points[0] == pts[0]
    again = pickle.loads(pickle.dumps([Polyline(pts), Polyline(pts)]))
    assert again[0].points is again[1].points

    class Room(Polyline):
        def is_closed(self):
            return False
    room = Room([Point(0, 0), Point(1, 0), Point(0, 0)])
    assert type(copy.deepcopy(room)) is Room
    with pytest.raises(ValueError, match=r"^Polyline must be closed to calculate area\.$"):
        room.area


# ---------------------------------------------------------------- plot

def test_plot_draws_each_polyline_with_its_label_and_one_colour_draw_each(monkeypatch):
    shown = []
    monkeypatch.setattr(plt, "show", lambda: shown.append(True))
    np.random.seed(3)
    expected = [np.random.rand(3) for _ in range(2)]
    np.random.seed(3)
    assert Polyline.plot_polylines([square(), Polyline([Point(0, 0), Point(5, 5)])], ["first", "second"]) is None
    ax = plt.gcf().axes[0]
    assert [line.get_label() for line in ax.lines] == ["first", "second"]
    assert ax.lines[1].get_xydata().tolist() == [[0, 0], [5, 5]]
    assert all(np.allclose(line.get_color(), c) for line, c in zip(ax.lines, expected))
    assert shown == [True] and ax.get_aspect() == 1.0 and ax.get_legend() is not None
    # One label for all, and no showing: a new figure only.
    before = len(plt.get_fignums())
    Polyline.plot_polylines([square(), square()], name="room", show=False)
    assert len(plt.get_fignums()) == before + 1 and shown == [True]
    assert [line.get_label() for line in plt.gcf().axes[0].lines] == ["room", "room"]
    with pytest.raises(IndexError):
        Polyline.plot_polylines([square(), square()], name=["only one"], show=False)


def test_a_failed_import_leaves_no_module_and_a_later_one_succeeds():
    env = dict(os.environ, MPLBACKEND="Agg")
    env["PYTHONPATH"] = os.pathsep.join([str(pathlib.Path(module.__file__).parent), env.get("PYTHONPATH", "")])
    done = subprocess.run([sys.executable, "-c", (
        "import sys\n"
        "sys.modules['Bowlet'] = None\n"
        "try:\n"
        "    import Polyline\n"
        "except ImportError as e:\n"
        "    print(type(e).__name__, 'Polyline' in sys.modules)\n"
        "del sys.modules['Bowlet']\n"
        "import Polyline\n"
        "print(Polyline.Polyline.BOUND)\n")], capture_output=True, text=True, env=env, timeout=120)
    assert done.returncode == 0, done.stderr
    lines = done.stdout.splitlines()
    assert lines[0] == "ModuleNotFoundError False" and lines[-1] == "ABB"
