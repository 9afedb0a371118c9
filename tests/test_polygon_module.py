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
import re
import typing

import pytest

import Flatkin
import Polygon as module
import Polyline
import Strakel
from Flatkin import Vector
from Polygon import Bar, Bound, Polygon, RecGenerator

from polygon_support import OURS, rect

# "name(params)" is a method, "@name(params)" a static method, "name" alone a
# read-only property.
MEMBERS = {
    Polygon: "__init__(self, outer, inners, check) __repr__(self) out_points inn_points __eq__(self, other) "
             "__hash__(self) __iter__(self) is_closed(self) is_self_intersecting(self) centroid area bound perimeter "
             "is_clockwise(self) is_convex(self) add_inner(self, inner) is_point_on(self, point) move(self) "
             "rotate(self) scale(self) contains_point(self, point) @get_polygons(segments)",
    Bound: "__init__(self, polyline, unit, vector, typ) get_bounding_box(self) get_grid(self)",
    RecGenerator: "__init__(self, grid, polygon, size, random_generate, vec_i, vec_j, typ) "
                  "is_intersection(self, point1, point2) contain_func(self, point1, point2) "
                  "get_a_rec(self, length_i, length_j) get_recs(self, clean_points)",
    Bar: "__init__(self, rail1, rail2, axis, diameter) _construct(self) __repr__(self) area "
         "@get_cutter(inpt1, inpt2, _distance) @get_remain(inpt, cutter) @break_by_tuples(polyline, tuples) "
         "@break_by_polylines(axis, polys, _distance) @short_brs(axes, current_lgt, goal_lgt, dis)",
}


def test_module_binds_its_imports_and_classes():
    bound = {"itertools": itertools, "math": math, "r": random, "defaultdict": collections.defaultdict,
             "List": typing.List, "Tuple": typing.Tuple, "Line": Strakel.Line, "Segment": Strakel.Segment,
             "SegmentCollection": Strakel.SegmentCollection, "Polyline": Polyline.Polyline,
             "Point": Flatkin.Point, "Vector": Flatkin.Vector}
    for name, value in bound.items():
        assert getattr(module, name) is value, name
    for cls in MEMBERS:
        assert getattr(module, cls.__name__) is cls
        assert cls.__module__ == "Polygon" and cls.__qualname__ == cls.__name__
    assert not hasattr(module, "polyline2") and Polygon.BOUND == "ABB"


@pytest.mark.parametrize("cls", list(MEMBERS), ids=lambda c: c.__name__)
def test_members_have_their_kind_parameters_and_docstring(cls):
    assert (cls.__doc__ or "").strip()
    for static, name, params in re.findall(r"(@?)(\w+)(?:\(([^)]*)\))?", MEMBERS[cls]):
        raw = inspect.getattr_static(cls, name)
        kind = staticmethod if static else None if params else property
        assert isinstance(raw, kind) if kind else not isinstance(raw, (property, staticmethod, classmethod)), name
        assert (raw.__doc__ or "").strip(), f"{cls.__name__}.{name} has no docstring"
        if params and name != "__init__":
            assert list(inspect.signature(getattr(cls, name)).parameters) == params.split(", "), name


def test_constructor_defaults():
    pg = Polygon(OURS.poly(rect(0, 0, 4, 2)))
    bound = Bound(OURS.poly(rect(0, 0, 4, 2)))
    gen = RecGenerator([], pg, [])
    assert (pg.inners, bound.unit, bound.typ, gen.random_generate, gen.typ, gen.rec_lst) == (None, 2.0, 1, False, 1, [])


def test_default_vectors_are_made_once_and_shared():
    seen = []

    class Recording(Polyline.Polyline):  # boxed along a vector, which it keeps
        BOUND = "SVB"

        def set_vector_box(self, vector=None):
            seen.append(vector)
            return super().set_vector_box(vector=vector)

    poly = Recording(OURS.pts(rect(0, 0, 10, 6)))
    Bound(poly), Bound(poly)
    va, vb = seen
    assert va is vb and type(va) is Vector and (va.x, va.y) == (1.0, 2.0)
    g1, g2 = (RecGenerator([], OURS.polygon(rect(0, 0, 10, 6)), []) for _ in range(2))
    assert g1.vec_i is g2.vec_i and (g1.vec_i.x, g1.vec_i.y) == (0.0, 1.0)
    assert g1.vec_j is g2.vec_j and (g1.vec_j.x, g1.vec_j.y) == (1.0, 0.0)


@pytest.mark.parametrize("call, error", [
    (lambda: Bound(OURS.poly(rect(0, 0, 4, 2)), unit="2"), TypeError),
    (lambda: Bound(OURS.poly(rect(0, 0, 4, 2)), unit=None), TypeError),
    (lambda: Bound(type("Odd", (Polyline.Polyline,), {"BOUND": "XYZ"})(OURS.pts(rect(0, 0, 4, 2)))), TypeError),
    (lambda: Bound(), AttributeError),
    (lambda: Bar.get_cutter(OURS.poly(rect(0, 0, 4, 2)), OURS.poly(rect(0, 0, 4, 2)), "18"), TypeError),
    (lambda: Bar.break_by_polylines(OURS.poly(rect(0, 0, 4, 2)), [], _distance="x"), TypeError),
    (lambda: Polygon.get_polygons(segments=None), TypeError),
    (lambda: Polygon(OURS.poly(rect(0, 0, 4, 2))).move(1), TypeError),
    (lambda: Bar(axis=OURS.poly([(0, 0), (4, 0)]), diameter="4"), TypeError),
    (lambda: setattr(Polygon(OURS.poly(rect(0, 0, 2, 1))), "area", 3), AttributeError),
    (lambda: setattr(Bar(axis=OURS.poly([(0, 0), (4, 0)]), diameter=2), "area", 3), AttributeError),
])
def test_call_boundary_refusals(call, error):
    with pytest.raises(error):
        call()


def test_conversions_text_forms_and_statics_through_instances():
    # Float parameters are converted, the others reach the body unchanged.
    unit = Bound(OURS.poly(rect(0, 0, 4, 2)), unit=3).unit
    assert type(unit) is float and unit == 3.0
    axis = OURS.poly([(0, 0), (4, 0)])
    assert Bar.get_cutter(axis, OURS.poly([(0, 30), (4, 30)]), 18) is None
    bar = Bar(axis=axis, diameter=4)
    assert type(bar.diameter) is int and bar.radius == 2.0
    assert repr(bar) == "Bar(" + str(axis) + ")" == str(bar)
    poly = OURS.poly(rect(0, 0, 2, 1))
    assert repr(Polygon(poly)) == "Polygon(" + str(poly.points) + ")"
    axes = [OURS.poly([(0, 0), (10, 0)]), OURS.poly([(0, 5), (4, 5)])]
    assert [b.axis for b in bar.short_brs(axes, 10, 8, 2)] == [b.axis for b in Bar.short_brs(axes, 10, 8, 2)]
    bar.axis = "axis"
    assert repr(bar) == "Bar(axis)"


def _instances():
    pg = OURS.polygon(rect(0, 0, 20, 10), [rect(2, 2, 4, 4)])
    gen = RecGenerator(Bound(pg.outer, unit=2, typ=0).get_grid(), pg, [[3, 2]], random_generate=True)
    return {"Polygon": pg, "Bound": Bound(pg.outer, unit=2, typ=0), "RecGenerator": gen,
            "Bar": Bar(axis=OURS.poly([(0, 0), (10, 0), (10, 5)]), diameter=2)}


@pytest.mark.parametrize("name", ["Polygon", "Bound", "RecGenerator", "Bar"])
@pytest.mark.parametrize("how", ["copy", "deepcopy", "pickle"])
def test_copies_and_pickles_keep_the_attributes(name, how):
    obj = _instances()[name]
    obj.extra = [1, 2]
    dup = {"copy": copy.copy, "deepcopy": copy.deepcopy, "pickle": lambda o: pickle.loads(pickle.dumps(o))}[how](obj)
    assert type(dup) is type(obj) and sorted(vars(dup)) == sorted(vars(obj))
    for key, value in vars(obj).items():
        if how == "copy":
            assert getattr(dup, key) is value
        elif isinstance(value, list):
            assert getattr(dup, key) is not value and len(getattr(dup, key)) == len(value)
