"""Strakel as a module: its namespace after import, the names taken from
Flatkin, and the members of Line, Segment and Ray with their kinds,
parameter names and defaults."""

import collections
import inspect
import math
import os
import pathlib
import random
import re
import subprocess
import sys
import typing

import matplotlib.pyplot as plt
import numpy as np
import pytest

import Flatkin
import Strakel
from Flatkin import Point, Vector
from Strakel import Line, Ray

IMPORT_LINE = "('epsilon', 2.220446049250313e-16)\n"


def run_python(code):
    """Runs `code` in a fresh interpreter that finds the same build."""
    env = dict(os.environ)
    module_dir = str(pathlib.Path(Strakel.__file__).resolve().parent)
    env["PYTHONPATH"] = os.pathsep.join([module_dir, env.get("PYTHONPATH", "")])
    env["MPLBACKEND"] = "Agg"
    return subprocess.run([sys.executable, "-c", code], capture_output=True, text=True,
                          env=env, timeout=120)


# ----------------------------------------------------------------- namespace

PUBLIC_NAMES = {"math", "random", "defaultdict", "Optional", "List", "Tuple", "Dict",
                "Iterator", "Callable", "Any", "plt", "np", "Point", "Vector", "epsilon",
                "Line", "Segment", "Ray", "SegmentCollection"}


def test_the_namespace_binds_the_outside_modules_under_their_names():
    assert Strakel.math is math
    assert Strakel.random is random
    assert Strakel.defaultdict is collections.defaultdict
    for name in ("Optional", "List", "Tuple", "Dict", "Iterator", "Callable", "Any"):
        assert getattr(Strakel, name) is getattr(typing, name)
    assert Strakel.plt is plt
    assert Strakel.np is np


def test_point_vector_and_epsilon_are_the_very_objects_of_flatkin():
    assert Strakel.Point is Flatkin.Point
    assert Strakel.Vector is Flatkin.Vector
    assert Strakel.epsilon is Flatkin.epsilon
    assert Strakel.epsilon == 1e-6


def test_the_public_names_are_exactly_the_imports_and_the_classes():
    public = {n for n in vars(Strakel) if not n.startswith("_")}
    assert public == PUBLIC_NAMES


def test_the_classes_are_bound_in_order_after_the_imports():
    names = [n for n in vars(Strakel) if not n.startswith("_")]
    assert names[-4:] == ["Line", "Segment", "Ray", "SegmentCollection"]
    assert names.index("epsilon") < names.index("Line")
    assert Strakel.__doc__ is None


def test_the_classes_are_named_after_the_module():
    for cls in (Line, Ray):
        assert cls.__module__ == "Strakel"
        assert cls.__qualname__ == cls.__name__
        assert cls.__bases__ == (object,)


def test_importing_strakel_prints_only_the_flatkin_line_once():
    done = run_python("import Strakel\nimport Strakel\nfrom Strakel import Line, Ray\n")
    assert done.returncode == 0, done.stderr
    assert done.stdout == IMPORT_LINE


def test_a_flatkin_without_epsilon_makes_the_import_fail_with_import_error():
    done = run_python(
        "import sys, types\n"
        "import Flatkin as real\n"
        "fake = types.ModuleType('Flatkin')\n"
        "fake.Point, fake.Vector = real.Point, real.Vector\n"
        "sys.modules['Flatkin'] = fake\n"
        "try:\n"
        "    import Strakel\n"
        "except ImportError as exc:\n"
        "    print('ImportError', exc, 'Strakel' in sys.modules)\n")
    assert done.returncode == 0, done.stderr
    assert "ImportError cannot import name 'epsilon' from 'Flatkin'" in done.stdout
    assert done.stdout.strip().endswith("False")


def test_a_missing_numpy_raises_module_not_found_and_a_later_import_starts_again():
    done = run_python(
        "import sys\n"
        "saved = {k: sys.modules.pop(k) for k in list(sys.modules) if k.split('.')[0] in ('numpy', 'matplotlib')}\n"
        "sys.modules['numpy'] = None\n"
        "try:\n"
        "    import Strakel\n"
        "except ModuleNotFoundError:\n"
        "    print('missing', 'Strakel' in sys.modules)\n"
        "del sys.modules['numpy']\n"
        "sys.modules.update(saved)\n"
        "import Strakel\n"
        "print('loaded', Strakel.Line.__name__)\n")
    assert done.returncode == 0, done.stderr
    assert done.stdout.startswith("missing False\n") and done.stdout.endswith("loaded Line\n")


def test_rebinding_flatkin_epsilon_leaves_the_line_tolerance_alone(monkeypatch):
    line = Line(Point(0, 0), Point(1, 0))
    assert not line.is_on_line(Point(0.5, 0.1))
    monkeypatch.setattr(Flatkin, "epsilon", 1.0)
    assert not line.is_on_line(Point(0.5, 0.1))
    assert Strakel.epsilon == 1e-6


def test_rebinding_strakel_epsilon_changes_later_calls(monkeypatch):
    line = Line(Point(0, 0), Point(1, 0))
    monkeypatch.setattr(Strakel, "epsilon", 1.0)
    assert line.is_on_line(Point(0.5, 0.1))
    ray = Ray(Point(0, 0), Vector(1, 0))
    assert ray.is_point_in_bound(Point(-0.5, 0.5))


def test_deleting_strakel_epsilon_raises_name_error(monkeypatch):
    monkeypatch.delattr(Strakel, "epsilon")
    with pytest.raises(NameError, match="^name 'epsilon' is not defined$"):
        Line(Point(0, 0), Point(1, 0)).slope


# -------------------------------------------------------------- member tables

M, S, P = "method", "staticmethod", "property"

LINE_MEMBERS = [
    ("__init__", M, "self start end"),
    ("__repr__", M, "self"),
    ("__eq__", M, "self other"),
    ("__hash__", M, "self"),
    ("vector", P, "self"),
    ("unit_vector", P, "self"),
    ("slope", P, "self"),
    ("intercept", P, "self"),
    ("reverse", M, "self"),
    ("copy", M, "self"),
    ("is_parallel", M, "self other"),
    ("is_perpendicular", M, "self other"),
    ("intersection_with_line", M, "self other"),
    ("intersection_with_ray", M, "self other"),
    ("intersection_with_segment", M, "self other"),
    ("relative_position", M, "self point"),
    ("is_on_line", M, "self point"),
    ("is_same_direction", M, "self other"),
    ("move", M, "self vector"),
    ("offset", M, "self distance"),
    ("offset_both", M, "self distance"),
    ("tween_line", S, "line1 line2 t=0.5"),
    ("tween_lines", S, "line1 line2 *t_values"),
    ("plot_lines", S, "lines names=None show=True"),
    ("closest_point", M, "self point"),
    ("distance_to_point", M, "self point"),
]

SEGMENT_MEMBERS = [
    ("__init__", M, "self start end"),
    ("__repr__", M, "self"),
    ("__eq__", M, "self other"),
    ("__hash__", M, "self"),
    ("__iter__", M, "self"),
    ("vector", P, "self"),
    ("normal", P, "self"),
    ("unit_vector", P, "self"),
    ("unit_normal", P, "self"),
    ("length", P, "self"),
    ("midpoint", P, "self"),
    ("endpoints", P, "self"),
    ("reverse", M, "self"),
    ("bound", P, "self"),
    ("is_point_in_bound", M, "self point"),
    ("is_point_on", M, "self point"),
    ("is_parallel", M, "self other"),
    ("is_perpendicular", M, "self other"),
    ("to_line", M, "self"),
    ("copy", M, "self"),
    ("intersection_with_segment", M, "self other"),
    ("intersection_with_line", M, "self other"),
    ("intersection_with_ray", M, "self other"),
    ("extend_line", M, "self length direction='both'"),
    ("closest_point", M, "self point"),
    ("distance_to_point", M, "self point"),
    ("distance_between_segments", S, "seg1 seg2"),
    ("point_at_parameter", M, "self t"),
    ("point_at_length", M, "self length"),
    ("parameter_at_point", M, "self point"),
    ("length_at_point", M, "self point"),
    ("divide_by_count", M, "self num_points"),
    ("divide_by_length", M, "self interval"),
    ("break_at_point", M, "self point"),
    ("break_by_points", M, "self points"),
    ("intersection_points", S, "segments"),
    ("closest_endpoint", M, "self point"),
    ("farthest_endpoint", M, "self point"),
    ("other_endpoint", M, "self point"),
    ("extend_to_point", M, "self point"),
    ("fillet", S, "segment1 segment2"),
    ("select_segments_containing_point", S, "point segments delete=False"),
    ("select_segment_containing_point", S, "point segments delete=False"),
    ("select_intersecting_segments", S, "segment segments delete=False"),
    ("select_multi_intersection_segments", S, "segments_to_select segments"),
    ("extract_nodes_from_segments", S, "segments ordered=False"),
    ("move", M, "self vector"),
    ("offset", M, "self distance"),
    ("offset_both", M, "self distance"),
    ("is_same_direction", S, "segment1 segment2"),
    ("unify_direction", S, "segment1 segment2"),
    ("tween_segment", S, "segment1 segment2 t=0.5 unify=True"),
    ("loft", S, "l1 l2"),
    ("construct_lines", S, "points"),
    ("plot_segments", S, "segments names=None show=True"),
]

RAY_MEMBERS = [
    ("__init__", M, "self origin direction"),
    ("point_at_parameter", M, "self t"),
    ("point_at_length", M, "self length"),
    ("bound", P, "self"),
    ("is_point_in_bound", M, "self point"),
    ("parameter_at_point", M, "self point"),
    ("intersection_with_ray", M, "self other"),
    ("intersection_with_segment", M, "self other"),
    ("intersection_with_line", M, "self other"),
    ("to_line", M, "self"),
    ("plot", M, "self length=10.0 color='r' show=True"),
]

# Attributes the constructors set: writable data, not members of the tables.
INSTANCE_ATTRIBUTES = {"Line": {"start", "end"}, "Segment": {"start", "end"},
                       "Ray": {"origin", "direction", "unit_vector"}}

TABLES = [("Line", LINE_MEMBERS), ("Segment", SEGMENT_MEMBERS), ("Ray", RAY_MEMBERS)]
ROWS = [(cls, *row) for cls, rows in TABLES for row in rows]
ROW_IDS = [f"{cls}.{row[0]}" for cls, rows in TABLES for row in rows]


def strakel_class(name):
    cls = getattr(Strakel, name, None)
    if cls is None:
        pytest.skip(f"{name} is not built yet")
    return cls


def member_kind(cls, name):
    raw = inspect.getattr_static(cls, name)
    if isinstance(raw, property):
        return P
    if isinstance(raw, staticmethod):
        return S
    if hasattr(type(raw), "__get__"):
        return M
    # A builtin function stored on the class does not bind to instances:
    # called through an instance it takes no implicit first argument.
    return S


def underlying(cls, name):
    raw = inspect.getattr_static(cls, name)
    if isinstance(raw, property):
        return raw.fget
    if isinstance(raw, staticmethod):
        return raw.__func__
    return raw


def parameters(func):
    """[(name, default text or None)] and the defaults tuple of a function."""
    sig = getattr(func, "__nb_signature__", None)
    if sig is None:
        params = []
        for p in inspect.signature(func).parameters.values():
            name = ("*" if p.kind is p.VAR_POSITIONAL else "") + p.name
            params.append((name, None if p.default is p.empty else repr(p.default)))
        return params
    text, _, defaults = sig[0]
    inner = text[text.index("(") + 1:text.rindex(")")]
    params, depth, cur = [], 0, ""
    for ch in inner + ",":
        depth += ch in "([{"
        depth -= ch in ")]}"
        if ch == "," and depth == 0:
            part = cur.strip()
            cur = ""
            if part and part not in ("/", "*"):
                name = re.split(r"[:=]", part, maxsplit=1)[0].strip()
                default = None
                m = re.search(r"= \\(\d+)$", part)
                if m:
                    default = repr(defaults[int(m.group(1))])
                params.append((name, default))
        else:
            cur += ch
    return params


def expected_parameters(text):
    out = []
    for item in text.split():
        name, _, default = item.partition("=")
        out.append((name, default or None))
    return out


def test_the_tables_count_26_55_and_11_members():
    assert [len(rows) for _, rows in TABLES] == [26, 55, 11]
    for _, rows in TABLES:
        assert len({r[0] for r in rows}) == len(rows)


@pytest.mark.parametrize("cls_name, name, kind, params", ROWS, ids=ROW_IDS)
def test_each_member_is_defined_by_its_class_with_its_kind(cls_name, name, kind, params):
    cls = strakel_class(cls_name)
    assert name in cls.__dict__, f"{cls_name}.{name} missing"
    assert member_kind(cls, name) == kind


@pytest.mark.parametrize("cls_name, name, kind, params", ROWS, ids=ROW_IDS)
def test_each_member_has_its_parameter_names_and_defaults(cls_name, name, kind, params):
    cls = strakel_class(cls_name)
    got = parameters(underlying(cls, name))
    expected = expected_parameters(params)
    if len(expected) == 1 and not expected[0][0].startswith("*"):
        # One parameter: positional only, so its name is not part of the call.
        assert len(got) == 1 and got[0][1] is None, got
    else:
        assert got == expected


@pytest.mark.parametrize("cls_name, name, kind, params",
                         [r for r in ROWS if r[2] != P], ids=[i for i, r in zip(ROW_IDS, ROWS) if r[2] != P])
def test_each_operation_carries_its_name_and_qualified_name(cls_name, name, kind, params):
    cls = strakel_class(cls_name)
    func = underlying(cls, name)
    assert func.__name__ == name
    assert func.__qualname__ == f"{cls_name}.{name}"


@pytest.mark.parametrize("cls_name, rows", TABLES, ids=[t[0] for t in TABLES])
def test_the_classes_define_no_other_public_members(cls_name, rows):
    cls = strakel_class(cls_name)
    documented = {r[0] for r in rows} | INSTANCE_ATTRIBUTES[cls_name]
    public = {n for n in cls.__dict__ if not n.startswith("_")}
    assert public <= documented, public - documented


@pytest.mark.parametrize("cls_name, rows", TABLES, ids=[t[0] for t in TABLES])
def test_read_only_properties_refuse_assignment(cls_name, rows):
    cls = strakel_class(cls_name)
    obj = cls(Point(0, 0), Point(1, 1)) if cls_name != "Ray" else cls(Point(0, 0), Vector(1, 1))
    for name, kind, _ in rows:
        if kind == P:
            with pytest.raises(AttributeError):
                setattr(obj, name, 3)


def test_static_methods_work_through_the_class_and_through_an_instance():
    a = Line(Point(0, 0), Point(2, 0))
    b = Line(Point(0, 2), Point(2, 2))
    assert Line.tween_line(a, b).start.y == a.tween_line(a, b).start.y == 1.0


def test_defaults_are_made_once():
    assert Ray.plot.__nb_signature__[0][2] == (10.0, "r", True)
    assert Line.tween_line.__nb_signature__[0][2] == (0.5,)
    assert type(Line.tween_line.__nb_signature__[0][2][0]) is float


# ------------------------------------------------------------------ call shapes

def test_two_parameter_operations_take_keywords_the_receiver_included():
    a = Line(Point(0, 0), Point(1, 1))
    b = Line(Point(0, 1), Point(1, 0))
    assert Line.intersection_with_line(self=a, other=b).x == 0.5
    assert a.is_on_line(point=Point(2, 2))
    line = Line(start=Point(0, 0), end=Point(1, 0))
    assert line.end.x == 1.0
    ray = Ray(origin=Point(0, 0), direction=Vector(1, 0))
    assert ray.point_at_parameter(t=2).x == 2.0


@pytest.mark.parametrize("call", [
    lambda l: l.reverse(l),
    lambda l: l.copy(l),
    lambda l: Line.reverse(self=l),
    lambda l: l.offset(distance=1, extra=2),
    lambda l: l.offset(),
    lambda l: Line(l.start),
    lambda l: Line.tween_lines(l, l, t=1),
])
def test_wrong_calls_raise_type_error(call):
    with pytest.raises(TypeError):
        call(Line(Point(0, 0), Point(1, 0)))


def test_lines_and_rays_keep_an_instance_dictionary():
    line, ray = Line(Point(0, 0), Point(1, 0)), Ray(Point(0, 0), Vector(1, 0))
    line.label = "axis A"
    ray.tag = 7
    assert line.__dict__["label"] == "axis A" and ray.tag == 7
