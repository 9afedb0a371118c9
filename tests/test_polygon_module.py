"""Polygon as a module: its names, the members of its four classes with their
kinds and parameters, the shared default vectors, the float conversions at
the call boundary, text forms, and copies and pickles."""

import collections
import copy
import inspect
import itertools
import math
import pickle
import random
import typing

import pytest

import Flatkin
import Polygon as module
import Polyline
import Strakel
from Flatkin import Vector
from Polygon import Bar, Bound, Polygon, RecGenerator

from polygon_support import OURS, rect

PROPERTY, METHOD, STATIC = "property", "method", "static"

MEMBERS = {
    Polygon: [
        ("__init__", METHOD, ["self", "outer", "inners", "check"]),
        ("__repr__", METHOD, ["self"]),
        ("out_points", PROPERTY, None),
        ("inn_points", PROPERTY, None),
        ("__eq__", METHOD, ["self", "other"]),
        ("__hash__", METHOD, ["self"]),
        ("__iter__", METHOD, ["self"]),
        ("is_closed", METHOD, ["self"]),
        ("is_self_intersecting", METHOD, ["self"]),
        ("centroid", PROPERTY, None),
        ("area", PROPERTY, None),
        ("bound", PROPERTY, None),
        ("perimeter", PROPERTY, None),
        ("is_clockwise", METHOD, ["self"]),
        ("is_convex", METHOD, ["self"]),
        ("add_inner", METHOD, ["self", "inner"]),
        ("is_point_on", METHOD, ["self", "point"]),
        ("move", METHOD, ["self"]),
        ("rotate", METHOD, ["self"]),
        ("scale", METHOD, ["self"]),
        ("contains_point", METHOD, ["self", "point"]),
        ("get_polygons", STATIC, ["segments"]),
    ],
    Bound: [
        ("__init__", METHOD, ["self", "polyline", "unit", "vector", "typ"]),
        ("get_bounding_box", METHOD, ["self"]),
        ("get_grid", METHOD, ["self"]),
    ],
    RecGenerator: [
        ("__init__", METHOD, ["self", "grid", "polygon", "size", "random_generate", "vec_i", "vec_j", "typ"]),
        ("is_intersection", METHOD, ["self", "point1", "point2"]),
        ("contain_func", METHOD, ["self", "point1", "point2"]),
        ("get_a_rec", METHOD, ["self", "length_i", "length_j"]),
        ("get_recs", METHOD, ["self", "clean_points"]),
    ],
    Bar: [
        ("__init__", METHOD, ["self", "rail1", "rail2", "axis", "diameter"]),
        ("_construct", METHOD, ["self"]),
        ("__repr__", METHOD, ["self"]),
        ("area", PROPERTY, None),
        ("get_cutter", STATIC, ["inpt1", "inpt2", "_distance"]),
        ("get_remain", STATIC, ["inpt", "cutter"]),
        ("break_by_tuples", STATIC, ["polyline", "tuples"]),
        ("break_by_polylines", STATIC, ["axis", "polys", "_distance"]),
        ("short_brs", STATIC, ["axes", "current_lgt", "goal_lgt", "dis"]),
    ],
}


def test_module_binds_its_imports_and_classes():
    assert module.itertools is itertools and module.math is math and module.r is random
    assert module.defaultdict is collections.defaultdict
    assert module.List is typing.List and module.Tuple is typing.Tuple
    assert module.Line is Strakel.Line and module.Segment is Strakel.Segment
    assert module.SegmentCollection is Strakel.SegmentCollection
    assert module.Polyline is Polyline.Polyline
    assert module.Point is Flatkin.Point and module.Vector is Flatkin.Vector
    for cls in MEMBERS:
        assert getattr(module, cls.__name__) is cls
        assert cls.__module__ == "Polygon" and cls.__qualname__ == cls.__name__
    assert not hasattr(module, "polyline2")
    assert Polygon.BOUND == "ABB"


@pytest.mark.parametrize("cls", list(MEMBERS), ids=lambda c: c.__name__)
def test_members_have_their_kind_parameters_and_docstring(cls):
    for name, kind, params in MEMBERS[cls]:
        raw = inspect.getattr_static(cls, name)
        if kind == PROPERTY:
            assert isinstance(raw, property), name
        elif kind == STATIC:
            assert isinstance(raw, staticmethod), name
        else:
            assert not isinstance(raw, (property, staticmethod, classmethod)), name
        assert (raw.__doc__ or "").strip(), f"{cls.__name__}.{name} has no docstring"
        if params is not None and name != "__init__":
            assert list(inspect.signature(getattr(cls, name)).parameters) == params, name
    assert (cls.__doc__ or "").strip()


def test_constructor_defaults():
    open_line = OURS.poly([(0, 0), (4, 0)])
    pg = Polygon(OURS.poly(rect(0, 0, 4, 2)))
    assert pg.inners is None
    with pytest.raises(Exception, match="Please input closed Polyline"):
        Polygon(open_line)
    bound = Bound(OURS.poly(rect(0, 0, 4, 2)))
    assert bound.unit == 2.0 and bound.typ == 1
    gen = RecGenerator([], pg, [])
    assert gen.random_generate is False and gen.typ == 1 and gen.rec_lst == []
    with pytest.raises(Exception, match="Invalid input for Bar construction"):
        Bar()


class Recording(Polyline.Polyline):
    """A polyline boxed along a vector, which it keeps."""

    BOUND = "SVB"
    seen = []

    def set_vector_box(self, vector=None):
        Recording.seen.append(vector)
        return super().set_vector_box(vector=vector)


def test_default_vectors_are_made_once_and_shared():
    poly = Recording(OURS.pts(rect(0, 0, 10, 6)))
    Bound(poly), Bound(poly)
    va, vb = Recording.seen[-2:]
    assert va is vb and type(va) is Vector and (va.x, va.y) == (1.0, 2.0)
    g1 = RecGenerator([], OURS.polygon(rect(0, 0, 10, 6)), [])
    g2 = RecGenerator([], OURS.polygon(rect(0, 0, 10, 6)), [])
    assert g1.vec_i is g2.vec_i and (g1.vec_i.x, g1.vec_i.y) == (0.0, 1.0)
    assert g1.vec_j is g2.vec_j and (g1.vec_j.x, g1.vec_j.y) == (1.0, 0.0)


@pytest.mark.parametrize("call, error", [
    (lambda: Bound(OURS.poly(rect(0, 0, 4, 2)), unit="2"), TypeError),
    (lambda: Bound(OURS.poly(rect(0, 0, 4, 2)), unit=None), TypeError),
    (lambda: Bar.get_cutter(OURS.poly(rect(0, 0, 4, 2)), OURS.poly(rect(0, 0, 4, 2)), "18"), TypeError),
    (lambda: Bar.break_by_polylines(OURS.poly(rect(0, 0, 4, 2)), [], _distance="x"), TypeError),
    (lambda: Polygon.get_polygons(segments=None), TypeError),
    (lambda: Polygon(OURS.poly(rect(0, 0, 4, 2))).move(1), TypeError),
    (lambda: Bar(axis=OURS.poly([(0, 0), (4, 0)]), diameter="4"), TypeError),
])
def test_call_boundary_refusals(call, error):
    with pytest.raises(error):
        call()


def test_float_parameters_are_converted_and_others_reach_the_body_unchanged():
    bound = Bound(OURS.poly(rect(0, 0, 4, 2)), unit=3)
    assert type(bound.unit) is float and bound.unit == 3.0
    axis = OURS.poly([(0, 0), (4, 0)])
    assert Bar.get_cutter(axis, OURS.poly([(0, 30), (4, 30)]), 18) is None
    bar = Bar(axis=axis, diameter=4)
    assert type(bar.diameter) is int and bar.radius == 2.0


def test_text_forms_are_strings():
    poly = OURS.poly(rect(0, 0, 2, 1))
    assert repr(Polygon(poly)) == "Polygon(" + str(poly.points) + ")"
    bar = Bar(axis=OURS.poly([(0, 0), (4, 0)]), diameter=2)
    assert repr(bar) == "Bar(" + str(bar.axis) + ")" and str(bar) == repr(bar)
    bar.axis = "axis"
    assert repr(bar) == "Bar(axis)"


def test_static_members_work_through_instances_and_the_class():
    axes = [OURS.poly([(0, 0), (10, 0)]), OURS.poly([(0, 5), (4, 5)])]
    bar = Bar(axis=OURS.poly([(0, 0), (1, 0)]), diameter=1)
    a = [b.axis.points for b in Bar.short_brs(axes, 10, 8, 2)]
    b = [b.axis.points for b in bar.short_brs(axes, 10, 8, 2)]
    assert [[(p.x, p.y) for p in pts] for pts in a] == [[(p.x, p.y) for p in pts] for pts in b]


def test_read_only_properties():
    pg = Polygon(OURS.poly(rect(0, 0, 2, 1)))
    with pytest.raises(AttributeError):
        pg.area = 3
    bar = Bar(axis=OURS.poly([(0, 0), (4, 0)]), diameter=2)
    with pytest.raises(AttributeError):
        bar.area = 3
    assert callable(pg.is_closed) and pg.is_closed() is True


def _instances():
    pg = OURS.polygon(rect(0, 0, 20, 10), [rect(2, 2, 4, 4)])
    grid = Bound(pg.outer, unit=2, typ=0).get_grid()
    gen = RecGenerator(grid, pg, [[3, 2]], random_generate=True)
    bar = Bar(axis=OURS.poly([(0, 0), (10, 0), (10, 5)]), diameter=2)
    return {"Polygon": pg, "Bound": Bound(pg.outer, unit=2, typ=0), "RecGenerator": gen, "Bar": bar}


@pytest.mark.parametrize("name", ["Polygon", "Bound", "RecGenerator", "Bar"])
@pytest.mark.parametrize("how", ["copy", "deepcopy", "pickle"])
def test_copies_and_pickles_keep_the_attributes(name, how):
    obj = _instances()[name]
    obj.extra = [1, 2]
    dup = {"copy": copy.copy, "deepcopy": copy.deepcopy, "pickle": lambda o: pickle.loads(pickle.dumps(o))}[how](obj)
    assert type(dup) is type(obj)
    assert sorted(vars(dup)) == sorted(vars(obj))
    for key, value in vars(obj).items():
        if how == "copy":
            assert getattr(dup, key) is value
        elif isinstance(value, list):
            assert getattr(dup, key) is not value and len(getattr(dup, key)) == len(value)


def test_ring_bar_holds_a_generator_that_cannot_be_pickled():
    ring = Bar(axis=OURS.poly(rect(0, 0, 10, 10)), diameter=2)
    assert inspect.isgenerator(ring.geo)
    with pytest.raises(TypeError):
        pickle.dumps(ring)
