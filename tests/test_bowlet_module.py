"""Bowlet as a module: its namespace, the kinds and parameters of every
member, names read at call time, the figures, and bad input."""

import inspect
import math
import os
import re
import subprocess
import sys
import textwrap

import matplotlib
import matplotlib.pyplot as plt
import numpy as np
import pytest

import Bowlet
import Flatkin
import Strakel
from Bowlet import Arc, Circle, Line, Point, Vector


# ------------------------------------------------------------ namespace

def test_public_names_are_exactly_the_imports_and_the_two_classes():
    public = {name for name in vars(Bowlet) if not name.startswith("__")}
    assert public == {"math", "Union", "Tuple", "Optional", "List", "plt", "np", "Segment", "Ray", "Line",
                      "Point", "Vector", "Circle", "Arc"}


def test_imported_names_are_the_very_same_objects():
    import typing
    assert Bowlet.Point is Flatkin.Point and Bowlet.Vector is Flatkin.Vector
    for name in ("Segment", "Ray", "Line"):
        assert getattr(Bowlet, name) is getattr(Strakel, name)
    assert Bowlet.plt is matplotlib.pyplot and Bowlet.np is np and Bowlet.math is math
    assert Bowlet.Union is typing.Union and Bowlet.List is typing.List


def test_classes_are_plain_and_belong_to_the_module():
    for cls in (Circle, Arc):
        assert cls.__module__ == "Bowlet" and cls.__qualname__ == cls.__name__


def test_module_classes_and_members_carry_the_docstrings_of_the_stub():
    import ast
    import pathlib
    stub = ast.parse((pathlib.Path(__file__).resolve().parent.parent / "stubs" / "Bowlet.pyi").read_text())
    assert Bowlet.__doc__ == ast.get_docstring(stub)
    classes = {node.name: node for node in stub.body if isinstance(node, ast.ClassDef)}
    for cls, table in ((Circle, CIRCLE), (Arc, ARC)):
        node = classes[cls.__name__]
        assert cls.__doc__ == ast.get_docstring(node)
        documented = {f.name: ast.get_docstring(f) for f in node.body if isinstance(f, ast.FunctionDef)}
        for name, _, _ in table:
            raw = inspect.getattr_static(cls, name)
            doc = raw.__doc__ if isinstance(raw, property) else getattr(cls, name).__doc__
            assert documented[name] and documented[name] in doc, name


# Every member: kind and parameter names (receiver included), in order.
CIRCLE = [
    ("__init__", "special", None), ("__repr__", "special", None), ("__eq__", "special", None),
    ("__hash__", "special", None), ("__iter__", "special", None),
    ("area", "property", None), ("circumference", "property", None), ("diameter", "property", None),
    ("set_center", "method", "self x y"), ("set_radius", "method", "self r"),
    ("get_arc_length", "method", "self radians"), ("get_sector_area", "method", "self radians"),
    ("get_chord_length", "method", "self radians"), ("is_circle_intersect", "method", "self other_circle"),
    ("is_line_intersect", "method", "self line"), ("is_overlapping", "method", "self other_circle"),
    ("contains", "method", "self point"), ("rotate", "method", "self axis_center radians"),
    ("move", "method", "self vector"), ("scale", "method", "self factor"), ("offset", "method", "self distance"),
    ("bound", "method", None),
    ("point_at_radians", "method", "self radians"), ("point_at_parameter", "method", "self parameter"),
    ("closest_point", "method", "self point"), ("is_point_on_circle", "method", "self point"),
    ("evaluate_point_radians", "method", "self point"), ("evaluate_point_parameter", "method", "self point"),
    ("tangent", "method", "self point"), ("perpendicular", "method", "self point"),
    ("with_line_intersection", "method", "self line"), ("with_ray_intersection", "method", "self ray"),
    ("with_segment_intersection", "method", "self segment"),
    ("circle_intersection", "static", "circle_1 circle_2"), ("find_circle", "static", "input_a input_b input_c"),
    ("plot_circle", "method", "self show"),
]
ARC = [
    ("__init__", "special", None), ("__repr__", "special", None), ("__eq__", "special", None),
    ("__hash__", "special", None), ("__iter__", "special", None),
    ("radians", "property", None), ("length", "property", None), ("parameter_domain", "property", None),
    ("circumference", "property", None), ("diameter", "property", None), ("is_circle", "property", None),
    ("midpoint", "property", None), ("get_sector_area", "property", None),
    ("set_center", "method", "self x y"), ("set_radius", "method", "self r"),
    ("rotate", "method", "self axis_center radians"), ("move", "method", "self vector"),
    ("scale", "method", "self factor"), ("offset", "method", "self distance"), ("bound", "method", None),
    ("is_radians_in_domain", "method", "self radians"), ("is_point_on_arc", "method", "self point"),
    ("point_at_radians", "method", "self radians"), ("point_at_parameter", "method", "self parameter"),
    ("perpendicular", "method", "self point"), ("tangent", "method", "self point"),
    ("plot_arc", "static", "arc show"), ("arc_to_polyline", "static", "arc number length"),
]


def signature(func):
    """{name: default or missing} of a bound C++ function, in order."""
    text, _, defaults = func.__nb_signature__[0]
    inner = text[text.index("(") + 1:text.rindex(")")]
    params, depth, part = {}, 0, ""
    for ch in inner + ",":
        depth += ch in "([{"
        depth -= ch in ")]}"
        if ch == "," and depth == 0:
            part = part.strip()
            if part and part not in ("/", "*"):
                name = re.split(r"[:=]", part, maxsplit=1)[0].strip()
                m = re.search(r"= \\(\d+)$", part)
                params[name] = defaults[int(m.group(1))] if m else inspect.Parameter.empty
            part = ""
        else:
            part += ch
    return params


def test_member_tables_have_36_and_28_entries():
    assert len(CIRCLE) == 36 and len(ARC) == 28


# The attributes the constructors set, stored in the instance.
STORED = {Circle: {"center", "radius"},
          Arc: {"center", "radius", "circle", "start_radians", "end_radians", "wise", "start_point", "end_point"}}


def members(cls):
    return [name for name in vars(cls)
            if (not (name.startswith("__") and name.endswith("__")) or name in
                ("__init__", "__repr__", "__eq__", "__hash__", "__iter__")) and name not in STORED[cls]]


@pytest.mark.parametrize("cls, table", [(Circle, CIRCLE), (Arc, ARC)], ids=["Circle", "Arc"])
def test_every_member_has_its_kind_and_no_other_member_exists(cls, table):
    assert sorted(members(cls)) == sorted(name for name, _, _ in table)
    instance = Circle(Point(0, 0), 1) if cls is Circle else Arc(Point(0, 0), 1, 1.0, 0.5)
    for name, kind, params in table:
        raw = inspect.getattr_static(cls, name)
        if kind == "property":
            assert isinstance(raw, property), name
            assert raw.fset is None and raw.fdel is None
        elif kind == "static":
            assert getattr(cls, name) is getattr(instance, name), name
        elif kind == "method":
            bound = getattr(instance, name)
            assert getattr(bound, "__self__", None) is instance, name
        if params is not None:
            assert list(signature(getattr(cls, name))) == params.split(), name


@pytest.mark.parametrize("cls, name, defaults", [
    (Circle, "__init__", {"input_a": None, "input_b": None, "input_c": None}),
    (Circle, "point_at_radians", {"radians": None}),
    (Circle, "tangent", {"point": None}),
    (Circle, "plot_circle", {"show": False}),
    (Arc, "point_at_parameter", {"parameter": None}),
    (Arc, "plot_arc", {"show": False}),
    (Arc, "arc_to_polyline", {"arc": None, "number": None, "length": None}),
])
def test_defaults(cls, name, defaults):
    found = {k: v for k, v in signature(getattr(cls, name)).items() if v is not inspect.Parameter.empty}
    assert found == defaults


def test_methods_take_their_receiver_by_keyword_too():
    c = Circle(Point(0, 0), 1)
    assert Circle.contains(self=c, point=Point(0, 0)) == 1
    assert Circle.is_overlapping(c, other_circle=c) is True
    arc = Arc(center=Point(0, 0), radius=1, radians=1.0, start_radians=0.5)
    assert Arc.point_at_parameter(self=arc, parameter=0) == arc.start_point
    assert Arc.arc_to_polyline(arc=arc, number=2)[0] == arc.point_at_parameter(1 / 3)


def test_methods_bind_like_functions_defined_in_the_class():
    c = Circle(Point(0, 0), 1)
    raw = vars(Circle)["contains"]
    assert Circle.contains is raw.__func__ and raw.__name__ == "contains"
    bound = c.contains
    assert bound.__self__ is c and bound.__func__ is Circle.contains
    assert bound(Point(0, 0)) == 1
    assert raw.__get__(c, Circle)(Point(5, 0)) == 0 and raw.__get__(None, Circle) is Circle.contains


def test_methods_accept_any_receiver_with_the_attributes():
    class Plain:
        center = Point(0, 0)
        radius = 2
    assert Circle.bound(Plain()) == (-2.0, -2.0, 2.0, 2.0)
    assert Circle.diameter.fget(Plain()) == 4
    assert Circle.is_point_on_circle(Plain(), Point(0, 2)) is True


def test_unknown_keywords_and_extra_arguments_raise_type_error():
    with pytest.raises(TypeError, match="argument"):
        Arc(centre=Point(0, 0))
    with pytest.raises(TypeError, match="argument"):
        Arc(*range(9))
    with pytest.raises(TypeError, match="argument"):
        Circle(Point(0, 0), 1, None, None)
    with pytest.raises(TypeError, match="argument"):
        Circle(Point(0, 0), 1).contains(Point(0, 0), Point(1, 1))


def test_subclasses_work():
    class Ring(Circle):
        pass
    r = Ring(Point(0, 0), 1)
    assert type(r) is Ring and r.diameter == 2 and r == Circle(Point(0, 0), 1)


def test_three_point_circles_ask_the_instance_for_find_circle():
    class Fixed(Circle):
        @staticmethod
        def find_circle(input_a, input_b, input_c):
            return (input_b, 7)
    q = Point(1, 1)
    c = Fixed(Point(0, 0), q, Point(2, 0))
    assert c.center is q and c.radius == 7


# ------------------------------------------------------------ names at call time

def test_new_points_and_segments_follow_the_module_names(monkeypatch):
    class MyPoint(Point):
        pass

    class MySegment(Strakel.Segment):
        pass
    monkeypatch.setattr(Bowlet, "Point", MyPoint)
    monkeypatch.setattr(Bowlet, "Segment", MySegment)
    c = Circle(MyPoint(0, 0), 1)
    assert type(c.closest_point(Point(3, 0))) is MyPoint
    assert type(c.tangent(Point(1, 0))) is MySegment
    with pytest.raises(Exception, match="Check three circle inputs!"):
        Circle(Flatkin.Point(0, 0), 1)   # no longer an instance of Bowlet.Point


def test_point_tolerance_follows_flatkin_epsilon_at_each_call(monkeypatch):
    s, e, m = Point(0, 0), Point(0.0005, 0), Point(1, 1)
    Arc(start_point=s, end_point=e, arc_point=m)
    monkeypatch.setattr(Flatkin, "epsilon", 1e-3)
    with pytest.raises(Exception, match="equal point existing"):
        Arc(start_point=s, end_point=e, arc_point=m)
    monkeypatch.setattr(Flatkin, "epsilon", 1e-6)
    Arc(start_point=s, end_point=e, arc_point=m)


def test_segment_bounds_follow_strakel_epsilon_at_each_call(monkeypatch):
    c = Circle(Point(0, 0), 1)
    seg = Strakel.Segment(Point(1.0005, 0), Point(2, 0))
    assert c.with_segment_intersection(seg) is None
    monkeypatch.setattr(Strakel, "epsilon", 1e-3)
    assert c.with_segment_intersection(seg) == Point(1, 0)


def test_plots_use_the_module_plt(monkeypatch):
    calls = []

    class Spy:
        def __getattr__(self, name):
            calls.append(name)
            return getattr(plt, name)
    monkeypatch.setattr(Bowlet, "plt", Spy())
    Circle(Point(0, 0), 1).plot_circle()
    assert calls == ["subplots", "axis"]


def test_a_name_rebound_during_a_call_is_used_from_then_on(monkeypatch):
    class MyPoint(Point):
        pass

    class Rebinds:
        """A point whose x read rebinds Bowlet.Point, as a caller's getter may."""
        y = 0.0

        @property
        def x(self):
            monkeypatch.setattr(Bowlet, "Point", MyPoint)
            return 3.0
    c = Circle(Point(0, 0), 1)
    assert type(c.closest_point(Rebinds())) is MyPoint
    monkeypatch.setattr(Bowlet, "Point", Point)
    line = Line(Rebinds(), Point(-3, 0))
    assert [type(p) for p in c.with_line_intersection(line)] == [MyPoint, MyPoint]

    class Reading(Point):
        """A Point whose x read rebinds Bowlet.Point after its class was checked."""
        @property
        def x(self):
            monkeypatch.setattr(Bowlet, "Point", MyPoint)
            return 0.0
    monkeypatch.setattr(Bowlet, "Point", Point)
    three = Circle(Reading(0, 0), Point(1, 1), Point(2, 0))
    assert type(three.center) is MyPoint and (three.center.x, three.center.y) == (1.0, 0.0)


def test_vectors_and_supporting_circles_follow_the_module_names(monkeypatch):
    class MyVector(Vector):
        pass

    class MyCircle(Circle):
        pass
    monkeypatch.setattr(Bowlet, "Vector", MyVector)
    monkeypatch.setattr(Bowlet, "Circle", MyCircle)
    assert type(Circle(Point(0, 0), 2).perpendicular(Point(0, 2))) is MyVector
    arc = Arc(Point(0, 0), 1, 1.0, 0.5)
    assert type(arc.circle) is MyCircle and type(arc.perpendicular(arc.midpoint)) is MyVector
    assert type(Arc(start_point=Point(1, 0), arc_point=Point(0.6, 0.8), end_point=Point(-1, 0)).circle) is MyCircle


@pytest.mark.parametrize("call", [
    lambda: Circle.contains(None, Point(0, 0)), lambda: Circle.bound(None), lambda: Circle.__repr__(None),
    lambda: Arc.bound(None), lambda: Arc.__hash__(None), lambda: Arc.tangent(None, Point(1, 0)),
    lambda: Arc.arc_to_polyline(None, 3),
], ids=["contains", "Circle.bound", "__repr__", "Arc.bound", "__hash__", "tangent", "arc_to_polyline"])
def test_none_as_the_receiver_fails_in_the_body(call):
    with pytest.raises(AttributeError, match="'NoneType' object has no attribute"):
        call()


def run_python(code):
    env = dict(os.environ, PYTHONPATH=os.pathsep.join(p for p in sys.path if p), MPLBACKEND="Agg")
    return subprocess.run([sys.executable, "-c", textwrap.dedent(code)], env=env, capture_output=True, text=True,
                          timeout=300)


@pytest.mark.parametrize("blocked, error", [
    ("numpy", "ModuleNotFoundError"), ("Strakel", "ModuleNotFoundError"), ("Flatkin", "ModuleNotFoundError"),
])
def test_a_missing_dependency_reaches_the_importer_unchanged(blocked, error):
    result = run_python(f"""
        import sys
        sys.modules[{blocked!r}] = None
        try:
            import Bowlet
        except BaseException as e:
            print(type(e).__name__, e.__cause__ is None, "Bowlet" in sys.modules)
        del sys.modules[{blocked!r}]
        import Bowlet
        print("then", Bowlet.Circle(Bowlet.Point(0, 0), 1).diameter)
    """)
    lines = [line for line in result.stdout.splitlines() if not line.startswith("('epsilon'")]
    assert lines == [f"{error} True False", "then 2"], result.stdout + result.stderr


def test_a_sibling_without_a_name_raises_import_error():
    result = run_python("""
        import Strakel
        del Strakel.Ray
        try:
            import Bowlet
        except ImportError as e:
            print(type(e).__name__, e)
    """)
    assert result.stdout.splitlines()[-1] == "ImportError cannot import name 'Ray' from 'Strakel'", result.stderr


# ------------------------------------------------------------ figures

def test_plot_circle_draws_one_patch_sized_by_its_bound(monkeypatch):
    shown = []
    monkeypatch.setattr(plt, "show", lambda *a, **k: shown.append(1))
    before = len(plt.get_fignums())
    assert Circle(Point(5, 5), 1).plot_circle() is None
    assert len(plt.get_fignums()) == before + 1 and not shown
    fig = plt.gcf()
    assert tuple(fig.get_size_inches()) == (2.0, 2.0)
    (patch,) = fig.axes[0].patches
    assert isinstance(patch, matplotlib.patches.Circle)
    assert tuple(patch.center) == (5.0, 5.0) and patch.radius == 1
    Circle(Point(0, 0), 1).plot_circle(show=True)
    assert shown == [1]


def test_plot_arc_prints_start_and_sweep_in_degrees(capsys, monkeypatch):
    shown = []
    monkeypatch.setattr(plt, "show", lambda *a, **k: shown.append(1))
    arc = Arc(Point(0, 0), 2, math.pi / 2, math.pi / 2)
    assert Arc.plot_arc(arc) is None
    assert capsys.readouterr().out == "90.0\n90.0\n"
    (patch,) = plt.gcf().axes[0].patches
    assert isinstance(patch, matplotlib.patches.Arc)
    assert patch.width == patch.height == 4.0
    assert (patch.theta1, patch.theta2) == (90.0, 180.0)
    assert not shown
    arc.plot_arc(arc, 1)
    assert shown == [1]
    capsys.readouterr()


def test_plot_arc_draws_a_clockwise_arc_between_its_angles(capsys):
    arc = Arc(Point(0, 0), 1, -math.pi / 2, math.pi)
    Arc.plot_arc(arc, show=False)
    assert capsys.readouterr().out == "180.0\n-90.0\n"
    (patch,) = plt.gcf().axes[0].patches
    assert (patch.theta1, patch.theta2) == (90.0, 180.0)


def test_two_plots_leave_two_figures():
    before = len(plt.get_fignums())
    Circle(Point(0, 0), 1).plot_circle()
    Circle(Point(0, 0), 2).plot_circle()
    assert len(plt.get_fignums()) == before + 2


# ------------------------------------------------------------ bad input

BAD = [None, math.nan, math.inf, "1", [], object(), (math.nan, 0), (math.inf, math.inf), 0, -1]


def call_all(obj, arg):
    """Every one-argument member of obj with arg: only Python exceptions may come out."""
    for name in dir(type(obj)):
        if name.startswith("_") or name in ("plot_circle", "plot_arc"):
            continue
        member = getattr(obj, name, None)
        if not callable(member):
            continue
        for args in ((), (arg,), (arg, arg), (obj, arg), (arg, arg, arg)):
            try:
                member(*args)
            except Exception:  # noqa: BLE001 - any Python exception is fine
                pass


@pytest.mark.parametrize("arg", BAD, ids=repr)
def test_bad_arguments_raise_python_exceptions_only(arg):
    if isinstance(arg, tuple):
        arg = Point(*arg)
    shapes = [Circle(Point(0, 0), 1), Circle(Point(0, 0), 0), Circle(Point(0, 0), math.nan),
              Arc(Point(0, 0), 1, 1.0, 0.5), Arc(Point(0, 0), 0, 0, 0), Arc(), Arc(Point(0, 0), math.nan, math.inf, 0.0)]
    for shape in shapes:
        call_all(shape, arg)
        for args in ((arg,), (arg, arg), (Point(0, 0), arg), (arg, 1, 1.0, 0.0)):
            for cls in (Circle, Arc):
                try:
                    cls(*args)
                except Exception:  # noqa: BLE001
                    pass
    for kwargs in ({"start_point": arg, "end_point": Point(1, 1), "start_direction": Vector(1, 0)},
                   {"start_point": Point(0, 0), "end_point": Point(1, 1), "start_direction": arg},
                   {"start_point": Point(0, 0), "end_point": arg, "arc_point": Point(1, 0)},
                   {"center": Point(0, 0), "start_point": arg, "radians": 1.0}):
        try:
            Arc(**kwargs)
        except Exception:  # noqa: BLE001
            pass


@pytest.mark.parametrize("make", [lambda: Circle(Point(0, 0), 1), lambda: Arc(Point(0, 0), 1, 1.0, 0.5), Arc],
                         ids=["Circle", "Arc", "empty Arc"])
def test_reference_cycles_through_stored_attributes_are_collected(make):
    import gc
    freed = []

    class Flag:
        def __del__(self):
            freed.append(1)
    shape = make()
    shape.radius = [shape, Flag()]      # a cycle through a stored attribute
    shape.note = [shape]                # and one through the instance dictionary
    del shape
    gc.collect()
    assert freed == [1]
