"""Calls that a member's parameters do not allow, in all six modules.

Every member raises TypeError before its body runs, with the interpreter's
own text and the member's short name: the text of a function written in
Python where it has one ("missing 1 required positional argument: 'x'",
"got an unexpected keyword argument 'x'"), the text of a built-in function
for the members of one parameter or none, and the positional counts in the
form "takes exactly 3 positional arguments (2 given)", the receiver counted.
"""

import inspect
import re

import numpy as np
import pytest

import Bowlet
import Flatkin
import Polygon
import Polyline
import Solidar
import Strakel
from Flatkin import Point

MODULES = [Flatkin, Strakel, Bowlet, Polyline, Polygon, Solidar]
P = inspect.Parameter


def error_text(f, *args, **kwargs):
    with pytest.raises(TypeError) as info:
        f(*args, **kwargs)
    return str(info.value)


PL = Polyline.Polyline([Point(0, 0), Point(1, 0), Point(1, 1)])
PLANE = Solidar.Plane([Solidar.Point3d(0, 0, 0), Solidar.Point3d(1, 0, 0), Solidar.Point3d(0, 1, 0)])
LINE = Strakel.Line(Point(0, 0), Point(1, 1))

# (call, the text it must raise)
TEXTS = [
    (lambda: PL.offset(), "offset() takes exactly 2 positional arguments (1 given)"),
    (lambda: PL.offset(1, 2), "offset() takes exactly 2 positional arguments (3 given)"),
    (lambda: PL.offset(distanc=1), "offset() got an unexpected keyword argument 'distanc'"),
    (lambda: Polyline.Polyline.offset(distance=1), "offset() missing 1 required positional argument: 'self'"),
    (lambda: PL.offset(1, distance=2), "offset() got multiple values for keyword argument 'distance'"),
    (lambda: Point(1), "__init__() takes exactly 3 positional arguments (2 given)"),
    (lambda: Point(1, 2, 3), "__init__() takes exactly 3 positional arguments (4 given)"),
    (lambda: Point(y=1), "__init__() missing 1 required positional argument: 'x'"),
    (lambda: Point(1, x=1), "__init__() got multiple values for keyword argument 'x'"),
    (lambda: Solidar.Point3d(1, 2), "__init__() takes exactly 4 positional arguments (3 given)"),
    (lambda: Solidar.Point3d(z=1), "__init__() missing 2 required positional arguments: 'x' and 'y'"),
    (lambda: Strakel.Segment(), "__init__() takes exactly 3 positional arguments (1 given)"),
    (lambda: Point(1, 2).__round__(1, 2), "__round__() takes at most 2 positional arguments (3 given)"),
    (lambda: Point(1, 2).distance_to_point(), "distance_to_point() takes exactly 2 positional arguments (1 given)"),
    (lambda: Point.plot_points(), "plot_points() takes at least 1 positional argument (0 given)"),
    (lambda: Solidar.Point3d.plot_points(1, 2, 3), "plot_points() takes at most 2 positional arguments (3 given)"),
    (lambda: Bowlet.Arc(*range(9)), "__init__() takes at most 9 positional arguments (10 given)"),
    (lambda: Strakel.Line.tween_lines(LINE), "tween_lines() takes at least 2 positional arguments (1 given)"),
    (lambda: Strakel.Line.tween_lines(LINE, LINE, t_values=1),
     "tween_lines() got an unexpected keyword argument 't_values'"),
    (lambda: Solidar.Plane.move(1, 2, 3, 4, 5), "move() takes at most 4 positional arguments (5 given)"),
    (lambda: PLANE.distance_to_point(pointt=1), "distance_to_point() got an unexpected keyword argument 'pointt'"),
    (lambda: Solidar.Plane.to_array(), "to_array() takes exactly one argument (0 given)"),
    (lambda: Solidar.Plane.is_coplanar([], []), "is_coplanar() takes exactly one argument (2 given)"),
    (lambda: Solidar.Plane.to_array(points=[]), "to_array() takes no keyword arguments"),
    (lambda: PLANE.equation(1), "equation() takes no arguments (1 given)"),
    (lambda: PLANE.equation(self=1), "equation() takes no keyword arguments"),
    (lambda: Solidar.Plane.transformation_matrix_to_xy(), "unbound method Plane.transformation_matrix_to_xy() needs an argument"),
    (lambda: Solidar.Point3d.zero(1), "zero() takes no arguments (1 given)"),
    (lambda: Point.zero(points=1), "zero() takes no keyword arguments"),
    (lambda: Solidar.Mesh.meshes_to_front(1, 2), "meshes_to_front() takes at most 1 positional argument (2 given)"),
    (lambda: Polygon.Polygon(), "__init__() takes at least 2 positional arguments (1 given)"),
    (lambda: Point(1, 2).__getstate__(1), "__getstate__() takes no arguments (1 given)"),
    (lambda: Point(1, 2).__setstate__(), "__setstate__() takes exactly 2 positional arguments (1 given)"),
    (lambda: Polyline.Polyline.length.fget(PL, PL),
     "length() takes exactly one argument (2 given)"),
]


@pytest.mark.parametrize("call, text", TEXTS, ids=[t for _, t in TEXTS])
def test_wrong_calls_raise_the_interpreters_texts(call, text):
    assert error_text(call) == text


# ------------------------------------------------- every member of every class


def is_wrapper(fn):
    """A method or function made by the class builder (each module has its own such types)."""
    return repr(type(fn)) in ("<class 'geometry.method'>", "<class 'geometry.function'>")


def members():
    """(qualified name, callable) for every member the class builder made."""
    for module in MODULES:
        for cls in vars(module).values():
            if not isinstance(cls, type) or cls.__module__ != module.__name__:
                continue
            for name, raw in vars(cls).items():
                fn = raw.fget if isinstance(raw, property) else getattr(raw, "__func__", raw)
                if is_wrapper(fn):
                    yield f"{cls.__name__}.{name}", fn


MEMBERS = sorted(members(), key=lambda m: m[0])


def plain_twin(name, sig):
    """The same signature written in Python: the interpreter's reference texts."""
    parts, scope = [], {}
    for p in sig.parameters.values():
        parts.append(("*" if p.kind is P.VAR_POSITIONAL else "") + p.name +
                     ("=None" if p.default is not P.empty else ""))
    if any(p.kind is P.POSITIONAL_ONLY for p in sig.parameters.values()):
        parts.append("/")
    exec(f"def {name}({', '.join(parts)}): pass", scope)
    return scope[name]


def short(text, name, reference):
    return text.replace(reference, name)


def test_every_member_of_every_module_is_checked():
    assert len(MEMBERS) > 500
    assert {q.split(".")[0] for q, _ in MEMBERS} >= {"Point", "Segment", "Arc", "Polyline", "Bar", "Mesh"}


@pytest.mark.parametrize("qualname, fn", MEMBERS, ids=[q for q, _ in MEMBERS])
def test_every_member_refuses_wrong_calls_with_the_interpreters_texts(qualname, fn):
    name = fn.__name__
    sig = inspect.signature(fn)
    params = list(sig.parameters.values())
    named = [p for p in params if p.kind is not P.VAR_POSITIONAL]
    varargs = len(named) < len(params)
    required = sum(p.default is P.empty for p in named)
    if params and params[0].kind is P.POSITIONAL_ONLY:
        # one parameter, no default: the built-in texts (len, list.copy)
        assert error_text(fn, x=1) == f"{name}() takes no keyword arguments" == short(error_text(len, x=1), name, "len")
        if repr(type(fn)) == "<class 'geometry.method'>":  # a method of its receiver alone
            assert error_text(fn, 1, 2) == short(error_text(list.copy, [], 2), name, "list.copy")
            assert error_text(fn) == f"unbound method {fn.__qualname__}() needs an argument"
        else:
            for n in (0, 2):
                assert error_text(fn, *[1] * n) == short(error_text(len, *[1] * n), name, "len")
        return
    if not params:
        for args, kwargs in (((1,), {}), ((), {"x": 1})):
            assert error_text(fn, *args, **kwargs) == short(error_text(globals, *args, **kwargs), name, "globals")
        return
    twin = plain_twin(name, sig)
    # texts the interpreter gives for a function written in Python
    assert error_text(fn, no_such=1) == error_text(twin, no_such=1)
    if required >= 2:
        last = named[required - 1].name
        assert error_text(fn, **{last: 1}) == error_text(twin, **{last: 1})
        assert re.fullmatch(rf"{name}\(\) missing {required - 1} required positional arguments?: .*",
                            error_text(fn, **{last: 1}))
    # the receiver or first parameter given twice
    assert error_text(fn, 1, **{named[0].name: 1}) == \
        f"{name}() got multiple values for keyword argument '{named[0].name}'"
    # positional counts, the receiver counted
    if not varargs:
        bound = "exactly" if required == len(named) else "at most"
        s = "" if len(named) == 1 else "s"
        assert error_text(fn, *[1] * (len(named) + 1)) == \
            f"{name}() takes {bound} {len(named)} positional argument{s} ({len(named) + 1} given)"
    if required:
        bound = "exactly" if required == len(named) and not varargs else "at least"
        s = "" if required == 1 else "s"
        assert error_text(fn, *[1] * (required - 1)) == \
            f"{name}() takes {bound} {required} positional argument{s} ({required - 1} given)"


@pytest.mark.parametrize("cls", [c for m in MODULES for c in vars(m).values()
                                 if isinstance(c, type) and c.__module__ == m.__name__ and "__init__" in vars(c)],
                         ids=lambda c: c.__name__)
def test_constructing_a_class_checks_its_init_call_shape(cls):
    named = list(inspect.signature(cls.__init__).parameters)
    assert error_text(cls, no_such=1) == "__init__() got an unexpected keyword argument 'no_such'"
    assert error_text(cls, *[1] * len(named)).startswith(f"__init__() takes ")
    assert error_text(cls, *[1] * len(named)).endswith(f" {len(named)} positional arguments ({len(named) + 1} given)")

    class Sub(cls):  # a subclass is made the interpreter's way, with the same checks
        pass
    assert error_text(Sub, no_such=1) == "__init__() got an unexpected keyword argument 'no_such'"


def test_a_replaced_init_is_the_one_construction_calls():
    class Local(Strakel.Segment):
        pass
    calls = []
    Local.__init__ = lambda self, *a: calls.append(a)
    Local(1, 2, 3)
    original = Strakel.Segment.__init__
    try:
        Strakel.Segment.__init__ = lambda self, *a: calls.append(a)
        Strakel.Segment(4)
    finally:
        Strakel.Segment.__init__ = original
    assert calls == [(1, 2, 3), (4,)]
    assert Strakel.Segment(Point(0, 0), Point(1, 1)).length == np.hypot(1, 1)
