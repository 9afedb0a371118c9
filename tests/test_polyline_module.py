"""Polyline as a module: its namespace, the kinds and parameters of every
member, the call shapes, copies and pickles, docstrings and the plot."""

import copy
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
from Flatkin import Point, Vector
from Polyline import Polyline

M, P, S = "method", "property", "static"

MEMBERS = [
    ("__init__", M, "self points"), ("__repr__", M, "self"), ("__eq__", M, "self other"), ("__hash__", M, "self"),
    ("__iter__", M, "self"), ("reverse", M, "self"), ("is_closed", M, "self"), ("close", M, "self"),
    ("is_self_intersecting", M, "self"),
    ("segments", P, None), ("count", P, None), ("length", P, None), ("start", P, None), ("end", P, None),
    ("midpoint", P, None), ("centroid", P, None), ("mean", P, None), ("longest_edge", P, None),
    ("shortest_edge", P, None), ("bound", P, None),
    ("bounding_box", M, "self vector= typ="), ("minimum_bounding_box", M, "self"), ("longest_edge_box", M, "self"),
    ("set_vector_box", M, "self vector="),
    ("area", P, None), ("is_clockwise", P, None), ("simple_wise", P, None), ("wise", P, None),
    ("start_vector", P, None), ("end_vector", P, None), ("is_convex", M, "self"),
    ("convex_hull", S, "points"), ("unify_direction", S, "polylines"), ("degenerate_distance", M, "self"),
    ("offset", M, "self distance"), ("unequal_offset", M, "self dis_lst"),
    ("select_segment_containing_point", M, "self point"), ("select_segment_close_to_point", M, "self point"),
    ("tangent_at_point", M, "self point"), ("normal_at_point", M, "self point"),
    ("tangent_ray_at_point", M, "self point"), ("tangent_line_at_point", M, "self point"),
    ("normal_ray_at_point", M, "self point"), ("normal_line_at_point", M, "self point"),
    ("closest_point", M, "self point"), ("intersection", M, "self other"),
    ("is_point_in_bound", M, "self point"), ("is_point_on", M, "self point"), ("is_point_inside", M, "self point"),
    ("is_segment_inside", M, "self segment"), ("is_polyline_inside", M, "self other_polyline"),
    ("contains_point", M, "self point"), ("contains_points", M, "self points"),
    ("contains_segments", M, "self segments"), ("contains_polylines", M, "self polylines"),
    ("point_at_parameter", M, "self t"), ("point_at_length", M, "self length"),
    ("evaluate_point", M, "self point method="), ("divide_by_count", M, "self count"),
    ("divide_by_length", M, "self length"), ("find_discontinuity", M, "self"),
    ("join", S, "segments ordered="), ("loft", M, "self other_polyline"), ("tween", M, "self other_polyline t"),
    ("extend", M, "self length"), ("shorten", M, "self length"), ("adjust_length", M, "self length"),
    ("break_by_point", M, "self point"), ("break_by_points", M, "self points"), ("break_by_parameter", M, "self t"),
    ("break_by_parameters", M, "self parameters"), ("break_by_interval", M, "self interval"),
    ("break_by_intervals", M, "self intervals"), ("break_by_tuple", M, "self points"),
    ("break_by_tuples", M, "self tuples"), ("move", M, "self vector"), ("rotate", M, "self angle point"),
    ("chamfer_t", S, "segment0= segment1= radius="), ("segment_chamfer", S, "segment0= segment1= radius="),
    ("polyline_chamfer", S, "polyline= radius="), ("segment_fillet", S, "segment0= segment1= radius= number="),
    ("polyline_fillet", S, "polyline= radius= number="),
    ("plot_polylines", S, "polylines name= show="),
]


def square():
    return Polyline([Point(0, 0), Point(1, 0), Point(1, 1), Point(0, 1), Point(0, 0)])


def kind_of(name):
    raw = inspect.getattr_static(Polyline, name)
    if isinstance(raw, property):
        return P
    if isinstance(raw, staticmethod):
        return S
    return M


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

def test_the_namespace_holds_the_imports_and_the_class_only():
    public = {n for n in vars(module) if not n.startswith("__")}
    assert public == {"math", "Optional", "List", "Tuple", "Union", "Dict", "plt", "np", "Arc", "Line", "Segment",
                      "Ray", "Point", "Vector", "Polyline"}
    assert module.Arc is Bowlet.Arc and module.Segment is Strakel.Segment and module.Point is Flatkin.Point
    assert module.plt is matplotlib.pyplot and module.np is np and module.Dict is typing.Dict
    assert Polyline.__module__ == "Polyline" and Polyline.__qualname__ == "Polyline" and Polyline.BOUND == "ABB"


@pytest.mark.parametrize("name, kind, params", MEMBERS, ids=[m[0] for m in MEMBERS])
def test_member_kind_parameters_and_docstring(name, kind, params):
    assert name in vars(Polyline) and kind_of(name) == kind
    raw = inspect.getattr_static(Polyline, name)
    func = raw.fget if kind == P else getattr(Polyline, name)
    if name != "__init__":
        assert (raw.__doc__ if kind == P else func.__doc__).strip(), name
    if params is not None and name != "__init__":
        assert parameters(func) == params.split(), name


def test_the_class_has_83_functions_57_methods_17_properties_and_9_statics():
    kinds = [kind for _, kind, _ in MEMBERS]
    assert len(MEMBERS) == 83 and (kinds.count(M), kinds.count(P), kinds.count(S)) == (57, 17, 9)


def test_static_methods_of_one_parameter_take_it_by_position_only():
    pts = [Point(0, 0), Point(1, 0), Point(0, 1)]
    assert Polyline.convex_hull(pts) == square().convex_hull(pts)
    for call in (lambda: Polyline.convex_hull(points=pts), lambda: Polyline.unify_direction(polylines=[square()])):
        with pytest.raises(TypeError):
            call()


def test_no_other_public_member_exists():
    public = {n for n in vars(Polyline) if not n.startswith("_")}
    assert public == {m[0] for m in MEMBERS if not m[0].startswith("_")} | {"BOUND"}


def test_properties_are_read_only_and_instances_take_attributes():
    p = square()
    with pytest.raises(AttributeError):
        p.length = 3
    p.note = "kitchen"
    p.BOUND = "MBB"
    assert p.note == "kitchen" and p.BOUND == "MBB" and Polyline.BOUND == "ABB"
    assert callable(p.is_convex) and p.is_convex() is True


@pytest.mark.parametrize("call", [
    lambda p: p.point_at_parameter("0.5"), lambda p: p.point_at_length("1"), lambda p: p.divide_by_length(None),
    lambda p: p.offset("2"), lambda p: p.tween(p, "0.5"), lambda p: p.extend("1"), lambda p: p.shorten(None),
    lambda p: p.adjust_length("1"), lambda p: p.break_by_parameter("0.5"), lambda p: p.rotate("1", Point(0, 0)),
    lambda p: p.is_closed(p), lambda p: p.contains_point(), lambda p: p.contains_point(Point(0, 0), 1),
    lambda p: p.contains_point(pt=Point(0, 0)), lambda p: p.is_convex(self=p),
])
def test_wrong_calls_raise_type_error(call):
    with pytest.raises(TypeError):
        call(square())


def test_arguments_without_float_conversion_reach_the_body():
    p = square()
    with pytest.raises(AttributeError):
        Polyline.chamfer_t()
    assert p.divide_by_count(True + True)[1] == Point(1, 1)
    with pytest.raises(TypeError):
        p.divide_by_count(2.0)
    assert p.offset(2) == p.offset(2.0) and p.offset(True).count == 5


def test_float_parameters_accept_ints_and_bools():
    p = square()
    assert p.point_at_parameter(1) == p.end and p.point_at_length(True) == Point(1, 0)
    assert p.evaluate_point(point=Point(1, 0), method="parameter") == 0.25


def test_plain_methods_called_through_the_class_take_any_receiver():
    class Plain:
        points = [Point(0, 0), Point(2, 0), Point(2, 2)]
    assert Polyline.length.fget(Plain()) == 4.0
    assert Polyline.is_point_on(Plain(), Point(1, 0)) is True
    assert Polyline.point_at_length(Plain(), 3) == Point(2, 1)
    with pytest.raises(AttributeError):
        Polyline.is_convex(None)


def test_results_are_built_through_the_modules_current_names(monkeypatch):
    class MyPoint(Point):
        pass
    monkeypatch.setattr(module, "Point", MyPoint)
    p = square()
    assert type(p.centroid) is MyPoint and type(p.point_at_parameter(0.125)) is MyPoint


# ------------------------------------------------------ copy and pickle

def test_copies_and_pickles_behave_as_a_plain_class():
    pts = [Point(0, 0), Point(1, 0), Point(1, 1)]
    p = Polyline(pts)
    p.BOUND = "LEB"
    shallow = copy.copy(p)
    assert shallow.points is pts and shallow.BOUND == "LEB" and type(shallow) is Polyline
    deep = copy.deepcopy(p)
    assert deep == p and deep.points is not pts and deep.points[0] is not pts[0]
    back = pickle.loads(pickle.dumps(p))
    assert back == p and back.BOUND == "LEB" and back.points[0] == pts[0]
    shared = [Polyline(pts), Polyline(pts)]
    again = pickle.loads(pickle.dumps(shared))
    assert again[0].points is again[1].points


def test_subclasses_keep_their_class_and_overrides():
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
    a, b = square(), Polyline([Point(0, 0), Point(5, 5)])
    assert Polyline.plot_polylines([a, b], ["first", "second"]) is None
    ax = plt.gcf().axes[0]
    assert [line.get_label() for line in ax.lines] == ["first", "second"]
    assert ax.lines[1].get_xydata().tolist() == [[0, 0], [5, 5]]
    assert all(np.allclose(line.get_color(), c) for line, c in zip(ax.lines, expected))
    assert shown == [True] and ax.get_aspect() == 1.0 and ax.get_legend() is not None


def test_plot_with_one_label_and_without_showing(monkeypatch):
    monkeypatch.setattr(plt, "show", lambda: pytest.fail("shown"))
    before = len(plt.get_fignums())
    Polyline.plot_polylines([square(), square()], name="room", show=False)
    assert len(plt.get_fignums()) == before + 1
    assert [line.get_label() for line in plt.gcf().axes[0].lines] == ["room", "room"]
    with pytest.raises(IndexError):
        Polyline.plot_polylines([square(), square()], name=["only one"], show=False)


# --------------------------------------------------------------- import

def run_python(code):
    env = dict(os.environ)
    env["PYTHONPATH"] = os.pathsep.join([str(pathlib.Path(module.__file__).resolve().parent),
                                         env.get("PYTHONPATH", "")])
    env["MPLBACKEND"] = "Agg"
    return subprocess.run([sys.executable, "-c", code], capture_output=True, text=True, env=env, timeout=120)


def test_a_failed_import_leaves_no_module_and_a_later_one_succeeds():
    done = run_python(
        "import sys\n"
        "sys.modules['Bowlet'] = None\n"
        "try:\n"
        "    import Polyline\n"
        "except ImportError as e:\n"
        "    print(type(e).__name__, 'Polyline' in sys.modules)\n"
        "del sys.modules['Bowlet']\n"
        "import Polyline\n"
        "print(Polyline.Polyline.BOUND)\n")
    assert done.returncode == 0, done.stderr
    lines = done.stdout.splitlines()
    assert lines[0] == "ModuleNotFoundError False" and lines[-1] == "ABB"
