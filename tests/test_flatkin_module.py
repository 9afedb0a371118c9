"""Flatkin as a module: the import, `epsilon`, the members of Point and Vector
with their kinds and parameters, and the call shapes every operation follows."""

import inspect
import math
import os
import pathlib
import re
import subprocess
import sys
import typing

import matplotlib.pyplot as plt
import numpy as np
import pytest

import Flatkin
from Flatkin import Point, Vector

from common import Duck, assert_xy, normalise

IMPORT_LINE = "('epsilon', 2.220446049250313e-16)\n"


def run_python(code):
    """Runs `code` in a fresh interpreter that finds the same Flatkin build."""
    env = dict(os.environ)
    module_dir = str(pathlib.Path(Flatkin.__file__).resolve().parent)
    env["PYTHONPATH"] = os.pathsep.join([module_dir, env.get("PYTHONPATH", "")])
    env["MPLBACKEND"] = "Agg"
    done = subprocess.run([sys.executable, "-c", code], capture_output=True,
                          text=True, env=env, timeout=120)
    assert done.returncode == 0, done.stderr
    return done


# ------------------------------------------------------------------ import

def test_import_prints_the_machine_epsilon_line_once():
    done = run_python("import Flatkin\nimport Flatkin\nimport importlib\n"
                      "importlib.import_module('Flatkin')\nfrom Flatkin import Point\n")
    assert done.stdout == IMPORT_LINE


def test_import_line_goes_through_sys_stdout():
    done = run_python(
        "import io, sys\n"
        "buf = io.StringIO()\n"
        "sys.stdout = buf\n"
        "import Flatkin\n"
        "sys.stdout = sys.__stdout__\n"
        "print('captured', repr(buf.getvalue()))\n")
    assert done.stdout == "captured " + repr(IMPORT_LINE) + "\n"


def test_epsilon_is_the_float_one_millionth():
    assert type(Flatkin.epsilon) is float
    assert Flatkin.epsilon == 1e-6 == float("1e-6")


def test_module_namespace_binds_its_imports():
    assert Flatkin.math is math
    assert Flatkin.sys is sys
    assert Flatkin.plt is plt
    assert Flatkin.np is np
    for name in ("Optional", "List", "Tuple", "Union"):
        assert getattr(Flatkin, name) is getattr(typing, name)
    assert Flatkin.Point is Point and Flatkin.Vector is Vector


def test_classes_are_named_after_the_module():
    for cls in (Point, Vector):
        assert cls.__module__ == "Flatkin"
        assert cls.__qualname__ == cls.__name__


def test_rebinding_epsilon_changes_later_comparisons(monkeypatch):
    assert not Point(0, 0) == Point(0.4, 0.4)
    monkeypatch.setattr(Flatkin, "epsilon", 0.5)
    assert Point(0, 0) == Point(0.4, 0.4)
    assert Vector(0, 0).is_equal(Vector(0.4, -0.4))
    assert Point.count_point_occurrences(Point(0, 0), [Point(0.3, 0), Point(0.6, 0)]) == 1
    monkeypatch.setattr(Flatkin, "epsilon", 0.0)
    assert not Point(0, 0) == Point(1e-300, 0)
    assert Point(0, 0) == Point(-0.0, 0)


# ----------------------------------------------------------- member table

M, S, P = "method", "staticmethod", "property"

# (name, kind, parameters in order; a trailing "=" marks a default)
POINT_MEMBERS = [
    ("__init__", M, "self x y"),
    ("__repr__", M, "self"),
    ("__hash__", M, "self"),
    ("__eq__", M, "self other"),
    ("__round__", M, "self n="),
    ("__add__", M, "self other"),
    ("__sub__", M, "self other"),
    ("is_equal", M, "self other"),
    ("is_greater", M, "self other"),
    ("is_less", M, "self other"),
    ("distance_to_point", M, "self other"),
    ("find_nearest_point", S, "target_point points"),
    ("find_farthest_point", S, "target_point points"),
    ("calculate_slope", S, "point1 point2"),
    ("remove_duplicate_points", S, "points"),
    ("select_unique_points", S, "points"),
    ("count_point_occurrences", S, "target_point points"),
    ("is_has_duplicate_points", S, "points"),
    ("is_has_same_point", S, "target_point points"),
    ("zero", S, ""),
    ("get_min_point", S, "points"),
    ("get_min_point_id", S, "points"),
    ("get_max_point", S, "points"),
    ("get_max_point_id", S, "points"),
    ("generate_random_points", S, "num_points x_range= y_range="),
    ("find_nearest_two_points", S, "points"),
    ("rotate", M, "self angle center"),
    ("move", M, "self vector"),
    ("copy", M, "self"),
    ("random_point", S, "x_range= y_range="),
    ("random_points", S, "num_points x_range= y_range="),
    ("find_center", S, "points"),
    ("tween", M, "self point2 t"),
    ("plot_points", S, "points show="),
]

VECTOR_MEMBERS = [
    ("__init__", M, "self x y"),
    ("__repr__", M, "self"),
    ("__hash__", M, "self"),
    ("__eq__", M, "self other"),
    ("__add__", M, "self other"),
    ("__sub__", M, "self other"),
    ("__mul__", M, "self other"),
    ("__truediv__", M, "self other"),
    ("magnitude", P, "self"),
    ("norm", P, "self"),
    ("unit_vector", P, "self"),
    ("reverse", M, "self"),
    ("is_equal", M, "self other"),
    ("adjust_length", M, "self new_length"),
    ("rotate", M, "self angle"),
    ("copy", M, "self"),
    ("vector_from_points", S, "point1 point2"),
    ("dot_product", S, "vector1 vector2"),
    ("cross_product", S, "vector1 vector2"),
    ("angle", S, "vector1 vector2 polar= compare="),
    ("radian_to_degree", S, "radian"),
    ("degree_to_radian", S, "degree"),
    ("cos", S, "vector1 vector2"),
    ("sin", S, "vector1 vector2"),
    ("projection_point", S, "a b c"),
    ("projection_distance", S, "a b c"),
    ("projection_length", S, "a b c"),
    ("projection_vector", S, "a b c"),
    ("mirror", S, "a b c"),
    ("intersection", S, "a b c d"),
    ("relative_position", S, "a b c"),
    ("polar_angle", S, "point reference_point="),
    ("sort_points_by_polar_angle", S, "points reference_point="),
    ("area_of_triangle", S, "point1 point2 point3"),
    ("is_clockwise", S, "point1 point2 point3"),
    ("is_counter_clockwise", S, "point1 point2 point3"),
    ("is_linear", S, "points"),
]

MEMBERS = [(Point, *row) for row in POINT_MEMBERS] + [(Vector, *row) for row in VECTOR_MEMBERS]
MEMBER_IDS = [f"{cls.__name__}.{name}" for cls, name, _, _ in MEMBERS]


def test_member_tables_count_34_and_37_operations():
    assert len(POINT_MEMBERS) == 34 and len({r[0] for r in POINT_MEMBERS}) == 34
    assert len(VECTOR_MEMBERS) == 37 and len({r[0] for r in VECTOR_MEMBERS}) == 37


def member_kind(cls, name):
    raw = inspect.getattr_static(cls, name)
    if isinstance(raw, property) or inspect.isdatadescriptor(raw):
        return P
    if isinstance(raw, staticmethod):
        return S
    if isinstance(raw, classmethod):
        return "classmethod"
    if hasattr(type(raw), "__get__"):
        return M
    # A builtin function stored on the class is not a descriptor: it is called
    # unchanged through an instance, which is what a static method is.
    return S


def signature_text(func):
    sig = getattr(func, "__nb_signature__", None)
    if sig:
        return sig[0][0]
    return "def " + func.__name__ + str(inspect.signature(func))


def split_top_level(text):
    parts, depth, cur = [], 0, ""
    for ch in text:
        if ch in "([{":
            depth += 1
        elif ch in ")]}":
            depth -= 1
        if ch == "," and depth == 0:
            parts.append(cur)
            cur = ""
        else:
            cur += ch
    if cur.strip():
        parts.append(cur)
    return [p.strip() for p in parts]


def parameters(func):
    """[(name, has_default)] read from the function's rendered signature."""
    text = signature_text(func)
    text = text.strip().splitlines()[-1]
    start = text.index("(")
    depth, end = 0, None
    for i in range(start, len(text)):
        if text[i] == "(":
            depth += 1
        elif text[i] == ")":
            depth -= 1
            if depth == 0:
                end = i
                break
    params = []
    for part in split_top_level(text[start + 1:end]):
        if part in ("/", "*"):
            continue
        name = re.split(r"[:=]", part, maxsplit=1)[0].strip()
        params.append((name, "=" in part))
    return params


def underlying_function(cls, name):
    raw = inspect.getattr_static(cls, name)
    if isinstance(raw, property):
        return raw.fget
    if isinstance(raw, (staticmethod, classmethod)):
        return raw.__func__
    return raw


@pytest.mark.parametrize("cls, name, kind, params", MEMBERS, ids=MEMBER_IDS)
def test_member_is_defined_on_the_class_with_its_kind(cls, name, kind, params):
    assert name in cls.__dict__, f"{cls.__name__}.{name} is not defined by the class itself"
    assert member_kind(cls, name) == kind


@pytest.mark.parametrize("cls, name, kind, params", MEMBERS, ids=MEMBER_IDS)
def test_member_parameters_are_named_as_documented(cls, name, kind, params):
    func = underlying_function(cls, name)
    if not hasattr(func, "__nb_signature__") and not callable(func):
        pytest.skip("a C-level descriptor has no signature")
    expected = [(p.rstrip("="), p.endswith("=")) for p in params.split()]
    got = parameters(func)
    if len(expected) == 1:
        # A one-parameter operation is positional-only: its name is either the
        # documented one or the anonymous one the binding gives it.
        assert len(got) == 1 and got[0][0] in (expected[0][0], "arg", "self"), got
        assert not got[0][1]
    else:
        assert got == expected


@pytest.mark.parametrize("cls, name, kind, params", [m for m in MEMBERS if m[2] != P],
                         ids=[i for i, m in zip(MEMBER_IDS, MEMBERS) if m[2] != P])
def test_operation_carries_its_name_and_qualified_name(cls, name, kind, params):
    func = getattr(cls, name)
    if name == "__init__" and not hasattr(func, "__qualname__"):
        pytest.skip("slot wrapper")
    assert func.__name__ == name
    assert func.__qualname__ == f"{cls.__name__}.{name}"


def test_classes_define_no_extra_public_operations():
    for cls, rows in ((Point, POINT_MEMBERS), (Vector, VECTOR_MEMBERS)):
        documented = {r[0] for r in rows} | {"x", "y"}
        public = {n for n in cls.__dict__ if not n.startswith("_")}
        assert public <= documented, public - documented


@pytest.mark.parametrize("name", ["__ne__", "__lt__", "__le__", "__gt__", "__ge__",
                                  "__bool__", "__len__", "__neg__", "__iter__", "__radd__",
                                  "__rsub__", "__rmul__", "__iadd__", "__imul__", "__mul__",
                                  "__truediv__"])
def test_point_defines_no_further_operators(name):
    assert name not in Point.__dict__


@pytest.mark.parametrize("name", ["__ne__", "__lt__", "__le__", "__gt__", "__ge__",
                                  "__bool__", "__len__", "__neg__", "__iter__", "__radd__",
                                  "__rsub__", "__rmul__", "__rtruediv__", "__iadd__",
                                  "__round__"])
def test_vector_defines_no_further_operators(name):
    assert name not in Vector.__dict__


def test_instances_have_an_instance_dictionary():
    p, v = Point(1, 2), Vector(3, 4)
    p.label = "corner A"
    v.tag = 7
    assert p.label == "corner A" and v.tag == 7
    assert p.__dict__["label"] == "corner A"


@pytest.mark.parametrize("obj", [Point(0, 0), Vector(0, 0), Point(-0.0, -0.0)])
def test_every_point_and_vector_is_true(obj):
    assert bool(obj) is True


@pytest.mark.parametrize("obj", [Point(1, 2), Vector(1, 2)])
def test_ordering_and_length_are_refused(obj):
    with pytest.raises(TypeError):
        obj < obj  # noqa: B015
    with pytest.raises(TypeError):
        obj >= obj  # noqa: B015
    with pytest.raises(TypeError):
        len(obj)
    with pytest.raises(TypeError):
        iter(obj)


# ------------------------------------------------------------- coordinates

@pytest.mark.parametrize("cls", [Point, Vector])
def test_coordinates_are_writable_floats(cls):
    obj = cls(1, 2)
    obj.x = 3
    obj.y = -0.5
    assert type(obj.x) is float and obj.x == 3.0 and obj.y == -0.5
    obj.x = np.float64(1.25)
    assert type(obj.x) is float and obj.x == 1.25


@pytest.mark.parametrize("cls", [Point, Vector])
@pytest.mark.parametrize("value", ["a", "2.5", None, [1], object(), 1j])
def test_assigning_a_non_number_coordinate_raises_type_error(cls, value):
    obj = cls(1, 2)
    with pytest.raises(TypeError):
        obj.x = value
    with pytest.raises(TypeError):
        obj.y = value
    assert (obj.x, obj.y) == (1.0, 2.0)


def test_operations_see_reassigned_coordinates():
    p, v = Point(0, 0), Vector(3, 4)
    p.x = 5.0
    v.y = 0.0
    assert repr(p) == "Point(5.0, 0.0)"
    assert v.magnitude == 3.0


# --------------------------------------------------------------- call shapes

ONE_PARAMETER_CALLS = [
    # (callable, keyword it must refuse, positional argument that works)
    (Point.__repr__, "self", Point(1, 2)),
    (Point.__hash__, "self", Point(1, 2)),
    (Point.copy, "self", Point(1, 2)),
    (Point.find_center, "points", [Point(1, 2)]),
    (Point.find_nearest_two_points, "points", [Point(1, 2)]),
    (Point.get_min_point, "points", [Point(1, 2)]),
    (Point.get_min_point_id, "points", [Point(1, 2)]),
    (Point.get_max_point, "points", [Point(1, 2)]),
    (Point.get_max_point_id, "points", [Point(1, 2)]),
    (Point.is_has_duplicate_points, "points", [Point(1, 2)]),
    (Point.remove_duplicate_points, "points", [Point(1, 2)]),
    (Point.select_unique_points, "points", [Point(1, 2)]),
    (Vector.__repr__, "self", Vector(1, 2)),
    (Vector.__hash__, "self", Vector(1, 2)),
    (Vector.copy, "self", Vector(1, 2)),
    (Vector.reverse, "self", Vector(1, 2)),
    (Vector.radian_to_degree, "radian", 1.0),
    (Vector.degree_to_radian, "degree", 90),
    (Vector.is_linear, "points", [Point(1, 2)]),
]


@pytest.mark.parametrize("func, keyword, arg", ONE_PARAMETER_CALLS,
                         ids=[f"{f.__qualname__}" for f, _, _ in ONE_PARAMETER_CALLS])
def test_one_parameter_operations_take_one_positional_argument_and_no_keyword(func, keyword, arg):
    func(arg)
    with pytest.raises(TypeError):
        func(**{keyword: arg})
    with pytest.raises(TypeError):
        func()
    with pytest.raises(TypeError):
        func(arg, arg)


@pytest.mark.parametrize("name", ["magnitude", "norm", "unit_vector"])
def test_property_getters_refuse_keywords(name):
    raw = inspect.getattr_static(Vector, name)
    fget = getattr(raw, "fget", None)
    if fget is None:
        pytest.skip("C-level descriptor")
    v = Vector(3, 4)
    fget(v)
    with pytest.raises(TypeError):
        fget(self=v)


@pytest.mark.parametrize("name", ["magnitude", "norm", "unit_vector"])
def test_read_only_properties_refuse_assignment(name):
    v = Vector(3, 4)
    with pytest.raises(AttributeError):
        setattr(v, name, 1)
    with pytest.raises(AttributeError):
        delattr(v, name)


def test_zero_takes_no_argument_at_all():
    assert_xy(Point.zero(), 0, 0, Point)
    with pytest.raises(TypeError):
        Point.zero(0)
    with pytest.raises(TypeError):
        Point.zero(points=0)


def test_copy_takes_only_its_receiver():
    p = Point(1, 2)
    assert_xy(p.copy(), 1, 2, Point)
    assert_xy(Point.copy(p), 1, 2, Point)
    with pytest.raises(TypeError):
        p.copy(p)


def test_static_methods_can_be_called_through_an_instance():
    p, v = Point(3, 4), Vector(1, 0)
    assert_xy(p.zero(), 0, 0, Point)
    assert p.find_nearest_point(Point(0, 0), [Point(5, 5), Point(1, 1)]) is not None
    assert v.dot_product(Vector(1, 2), Vector(3, 4)) == 11.0
    assert v.radian_to_degree(1) == 57.3


def test_plain_methods_called_through_the_class_take_any_receiver():
    assert Point.distance_to_point(Vector(3, 4), Point(0, 0)) == 5.0
    assert Point.distance_to_point(Duck(3, 4), Duck(0, 0)) == 5.0
    assert_xy(Vector.reverse(Point(1, 2)), -1, -2, Vector)
    assert_xy(Point.move(Duck(1, 1), Duck(2, 3)), 3, 4, Point)


P1, P2, P3, P4 = Point(0, 0), Point(2, 0), Point(1, 5), Point(0, 1)
V1, V2 = Vector(1, 0), Vector(0, -1)
LIST = [Point(0, 0), Point(1, 0), Point(1, 1)]

# (callable, positional arguments, the same arguments by keyword)
KEYWORD_CALLS = [
    (Point, (1, 2), dict(x=1, y=2)),
    (Point.__eq__, (P1, P2), dict(self=P1, other=P2)),
    (Point.__round__, (Point(1.25, 2.5), 1), dict(self=Point(1.25, 2.5), n=1)),
    (Point.__add__, (P1, V1), dict(self=P1, other=V1)),
    (Point.__sub__, (P1, P2), dict(self=P1, other=P2)),
    (Point.is_equal, (P1, P2), dict(self=P1, other=P2)),
    (Point.is_greater, (P3, P2), dict(self=P3, other=P2)),
    (Point.is_less, (P1, P3), dict(self=P1, other=P3)),
    (Point.distance_to_point, (P1, P3), dict(self=P1, other=P3)),
    (Point.find_nearest_point, (P3, LIST), dict(target_point=P3, points=LIST)),
    (Point.find_farthest_point, (P3, LIST), dict(target_point=P3, points=LIST)),
    (Point.calculate_slope, (P1, P3), dict(point1=P1, point2=P3)),
    (Point.count_point_occurrences, (P1, LIST), dict(target_point=P1, points=LIST)),
    (Point.is_has_same_point, (P1, LIST), dict(target_point=P1, points=LIST)),
    (Point.rotate, (P3, 0.5, P2), dict(self=P3, angle=0.5, center=P2)),
    (Point.move, (P3, V2), dict(self=P3, vector=V2)),
    (Point.tween, (P1, P3, 0.25), dict(self=P1, point2=P3, t=0.25)),
    (Vector, (1, 2), dict(x=1, y=2)),
    (Vector.__eq__, (V1, V2), dict(self=V1, other=V2)),
    (Vector.__add__, (V1, V2), dict(self=V1, other=V2)),
    (Vector.__sub__, (V1, V2), dict(self=V1, other=V2)),
    (Vector.__mul__, (V1, 3), dict(self=V1, other=3)),
    (Vector.__truediv__, (V1, 4), dict(self=V1, other=4)),
    (Vector.is_equal, (V1, V2), dict(self=V1, other=V2)),
    (Vector.adjust_length, (V1, 5), dict(self=V1, new_length=5)),
    (Vector.rotate, (V1, 0.5), dict(self=V1, angle=0.5)),
    (Vector.vector_from_points, (P1, P3), dict(point1=P1, point2=P3)),
    (Vector.dot_product, (V1, V2), dict(vector1=V1, vector2=V2)),
    (Vector.cross_product, (V1, V2), dict(vector1=V1, vector2=V2)),
    (Vector.angle, (V1, V2, True, True), dict(vector1=V1, vector2=V2, polar=True, compare=True)),
    (Vector.cos, (V1, V2), dict(vector1=V1, vector2=V2)),
    (Vector.sin, (V1, V2), dict(vector1=V1, vector2=V2)),
    (Vector.projection_point, (P1, P2, P3), dict(a=P1, b=P2, c=P3)),
    (Vector.projection_distance, (P1, P2, P3), dict(a=P1, b=P2, c=P3)),
    (Vector.projection_length, (P1, P2, P3), dict(a=P1, b=P2, c=P3)),
    (Vector.projection_vector, (P1, P2, P3), dict(a=P1, b=P2, c=P3)),
    (Vector.mirror, (P1, P2, P3), dict(a=P1, b=P2, c=P3)),
    (Vector.intersection, (P1, P3, P2, P4), dict(a=P1, b=P3, c=P2, d=P4)),
    (Vector.relative_position, (P1, P2, P3), dict(a=P1, b=P2, c=P3)),
    (Vector.polar_angle, (P3, P2), dict(point=P3, reference_point=P2)),
    (Vector.sort_points_by_polar_angle, (LIST, P4), dict(points=LIST, reference_point=P4)),
    (Vector.area_of_triangle, (P1, P2, P3), dict(point1=P1, point2=P2, point3=P3)),
    (Vector.is_clockwise, (P1, P3, P2), dict(point1=P1, point2=P3, point3=P2)),
    (Vector.is_counter_clockwise, (P1, P3, P2), dict(point1=P1, point2=P3, point3=P2)),
]


def call_id(row):
    f = row[0]
    return f.__name__ if isinstance(f, type) else f.__qualname__


@pytest.mark.parametrize("func, args, kwargs", KEYWORD_CALLS, ids=[call_id(r) for r in KEYWORD_CALLS])
def test_operations_with_two_or_more_parameters_take_keywords_self_included(func, args, kwargs):
    by_position = func(*args)
    by_keyword = func(**kwargs)
    pools = (LIST,)
    assert normalise(by_keyword, *pools) == normalise(by_position, *pools)
    # The first argument by position and the rest by keyword works too.
    first, *rest = kwargs
    mixed = func(args[0], **{k: kwargs[k] for k in rest})
    assert normalise(mixed, *pools) == normalise(by_position, *pools)


@pytest.mark.parametrize("func, args, kwargs", KEYWORD_CALLS, ids=[call_id(r) for r in KEYWORD_CALLS])
def test_wrong_calls_raise_type_error_before_the_body_runs(func, args, kwargs):
    with pytest.raises(TypeError):
        func(*args, no_such_parameter=1)
    with pytest.raises(TypeError):
        func(*args, *args, *args, *args)
    first = next(iter(kwargs))
    with pytest.raises(TypeError):
        func(*args, **{first: args[0]})  # given twice


def test_random_and_plot_statics_take_keywords():
    np.random.seed(3)
    a = Point.generate_random_points(num_points=2, x_range=(0, 1), y_range=(0, 1))
    np.random.seed(3)
    b = Point.random_points(2, y_range=(0, 1), x_range=(0, 1))
    np.random.seed(3)
    c = Point.random_point(x_range=(0, 1), y_range=(0, 1))
    assert [(p.x, p.y) for p in a] == [(p.x, p.y) for p in b]
    assert (c.x, c.y) == (a[0].x, a[0].y)
    assert Point.plot_points(points=[Point(1, 2)], show=False) is None


def test_constructor_calls():
    assert_xy(Point(x=1, y=2), 1, 2, Point)
    assert_xy(Point(1, y=2), 1, 2, Point)
    with pytest.raises(TypeError):
        Point(1, x=2)
    with pytest.raises(TypeError):
        Point(1)
    with pytest.raises(TypeError):
        Vector(1, 2, 3)


# ------------------------------------------------------ float parameters

class HasFloat:
    def __float__(self):
        return 0.5


class HasIndex:
    def __index__(self):
        return 2


FLOAT_PARAMETERS = [
    # (call taking the value, value that the call sees as the float 2.0 or 0.5)
    ("Point.rotate angle", lambda a: Point(1, 0).rotate(a, Point(0, 0))),
    ("Point.tween t", lambda t: Point(0, 0).tween(Point(10, 20), t)),
    ("Vector.__mul__ other", lambda k: Vector(1, 2) * k),
    ("Vector.__truediv__ other", lambda k: Vector(1, 2) / k),
    ("Vector.adjust_length new_length", lambda k: Vector(3, 4).adjust_length(k)),
    ("Vector.radian_to_degree radian", lambda r: Vector.radian_to_degree(r)),
    ("Vector.degree_to_radian degree", lambda d: Vector.degree_to_radian(d)),
]


@pytest.mark.parametrize("label, call", FLOAT_PARAMETERS, ids=[r[0] for r in FLOAT_PARAMETERS])
def test_float_parameters_accept_numbers_and_refuse_text(label, call):
    same = normalise(call(2.0))
    assert normalise(call(2)) == same
    assert normalise(call(HasIndex())) == same
    assert normalise(call(np.float64(2.0))) == same
    assert normalise(call(HasFloat())) == normalise(call(0.5))
    assert normalise(call(True)) == normalise(call(1.0))
    for bad in ("2", None, [2.0], 2j, object()):
        with pytest.raises(TypeError):
            call(bad)
    with pytest.raises(OverflowError):
        call(10 ** 400)


def test_vector_rotate_hands_its_angle_to_numpy_unconverted():
    v = Vector(1, 0)
    assert_xy(v.rotate(np.float64(0.0)), 1, 0, Vector)
    with pytest.raises(TypeError):
        v.rotate("1")
    with pytest.raises(TypeError):
        v.rotate(HasFloat())
    with pytest.raises(TypeError):
        v.rotate(np.array([0.0, 1.0]))
