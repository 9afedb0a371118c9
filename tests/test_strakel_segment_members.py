"""Every member of Segment, with its kind, parameter names and defaults."""

import inspect
import re

import pytest

from Flatkin import Point
from Strakel import Segment

METHOD, PROPERTY, STATIC = "method", "property", "static"

# name, kind, parameters (defaults as name=value text)
MEMBERS = [
    ("__init__", METHOD, "self, start, end"),
    ("__repr__", METHOD, "self"),
    ("__eq__", METHOD, "self, other"),
    ("__hash__", METHOD, "self"),
    ("__iter__", METHOD, "self"),
    ("vector", PROPERTY, "self"),
    ("normal", PROPERTY, "self"),
    ("unit_vector", PROPERTY, "self"),
    ("unit_normal", PROPERTY, "self"),
    ("length", PROPERTY, "self"),
    ("midpoint", PROPERTY, "self"),
    ("endpoints", PROPERTY, "self"),
    ("reverse", METHOD, "self"),
    ("bound", PROPERTY, "self"),
    ("is_point_in_bound", METHOD, "self, point"),
    ("is_point_on", METHOD, "self, point"),
    ("is_parallel", METHOD, "self, other"),
    ("is_perpendicular", METHOD, "self, other"),
    ("to_line", METHOD, "self"),
    ("copy", METHOD, "self"),
    ("intersection_with_segment", METHOD, "self, other"),
    ("intersection_with_line", METHOD, "self, other"),
    ("intersection_with_ray", METHOD, "self, other"),
    ("extend_line", METHOD, "self, length, direction='both'"),
    ("closest_point", METHOD, "self, point"),
    ("distance_to_point", METHOD, "self, point"),
    ("distance_between_segments", STATIC, "seg1, seg2"),
    ("point_at_parameter", METHOD, "self, t"),
    ("point_at_length", METHOD, "self, length"),
    ("parameter_at_point", METHOD, "self, point"),
    ("length_at_point", METHOD, "self, point"),
    ("divide_by_count", METHOD, "self, num_points"),
    ("divide_by_length", METHOD, "self, interval"),
    ("break_at_point", METHOD, "self, point"),
    ("break_by_points", METHOD, "self, points"),
    ("intersection_points", STATIC, "segments"),
    ("closest_endpoint", METHOD, "self, point"),
    ("farthest_endpoint", METHOD, "self, point"),
    ("other_endpoint", METHOD, "self, point"),
    ("extend_to_point", METHOD, "self, point"),
    ("fillet", STATIC, "segment1, segment2"),
    ("select_segments_containing_point", STATIC, "point, segments, delete=False"),
    ("select_segment_containing_point", STATIC, "point, segments, delete=False"),
    ("select_intersecting_segments", STATIC, "segment, segments, delete=False"),
    ("select_multi_intersection_segments", STATIC, "segments_to_select, segments"),
    ("extract_nodes_from_segments", STATIC, "segments, ordered=False"),
    ("move", METHOD, "self, vector"),
    ("offset", METHOD, "self, distance"),
    ("offset_both", METHOD, "self, distance"),
    ("is_same_direction", STATIC, "segment1, segment2"),
    ("unify_direction", STATIC, "segment1, segment2"),
    ("tween_segment", STATIC, "segment1, segment2, t=0.5, unify=True"),
    ("loft", STATIC, "l1, l2"),
    ("construct_lines", STATIC, "points"),
    ("plot_segments", STATIC, "segments, names=None, show=True"),
]


def test_there_are_55_members_in_definition_order():
    assert len(MEMBERS) == 55
    names = [name for name, _, _ in MEMBERS]
    defined = [k for k in Segment.__dict__ if k in set(names)]
    assert defined == names


def _signature(func):
    """Parameter names and defaults as 'a, b=default' text."""
    if hasattr(func, "__nb_signature__"):
        text, _, defaults = func.__nb_signature__[0]
        params = re.match(r"def [\w]*\((.*)\)", text).group(1)
        out = []
        for part in (p.strip() for p in params.split(",")):
            if part == "/":
                continue
            name = part.split(":")[0].split("=")[0].strip()
            if "=" in part:
                index = int(part.split("\\")[-1])
                name += "=" + repr(defaults[index])
            out.append(name)
        return ", ".join(out)
    sig = inspect.signature(func)  # its annotations aside
    return ", ".join(str(p.replace(annotation=inspect.Parameter.empty)) for p in sig.parameters.values())


@pytest.mark.parametrize("name, kind, params", MEMBERS, ids=[m[0] for m in MEMBERS])
def test_member_kind_and_parameters(name, kind, params):
    member = inspect.getattr_static(Segment, name)
    if kind == PROPERTY:
        assert isinstance(member, property) and member.fset is None and member.fdel is None
        return
    s = Segment(Point(0, 0), Point(1, 0))
    if kind == STATIC:
        assert getattr(s, name) == getattr(Segment, name) or getattr(s, name) is getattr(Segment, name)
    else:
        assert getattr(s, name).__self__ is s
    got = _signature(member)
    if name in ("intersection_points", "construct_lines"):
        assert got in (params, "arg")  # positional only
    else:
        assert got == params


@pytest.mark.parametrize("name", ["reverse", "to_line", "copy", "__repr__", "__hash__"])
def test_operations_of_the_receiver_alone_take_no_keyword(name):
    s = Segment(Point(0, 0), Point(1, 0))
    with pytest.raises(TypeError):
        getattr(Segment, name)(self=s)


def test_operations_with_more_parameters_take_the_receiver_by_keyword():
    s = Segment(Point(0, 0), Point(1, 0))
    assert Segment.is_point_on(self=s, point=Point(0.5, 0))
    assert Segment.point_at_length(self=s, length=5) is s.end


def test_static_methods_work_through_an_instance():
    a = Segment(Point(0, 0), Point(10, 0))
    b = Segment(Point(0, 1), Point(10, 1))
    assert a.distance_between_segments(a, b) == Segment.distance_between_segments(a, b) == 1.0


def test_one_parameter_operations_refuse_keywords_and_extra_arguments():
    s = Segment(Point(0, 0), Point(1, 0))
    with pytest.raises(TypeError):
        Segment.intersection_points(segments=[s])
    with pytest.raises(TypeError):
        s.reverse(1)
    with pytest.raises(TypeError):
        s.is_point_on(Point(0, 0), Point(1, 1))
    with pytest.raises(TypeError):
        s.is_point_on(p=Point(0, 0))


def test_the_class_is_plain_and_subclassable():
    assert Segment.__module__ == "Strakel" and Segment.__qualname__ == "Segment"
    assert Segment.__bases__ == (object,)

    class Wall(Segment):
        pass

    w = Wall(Point(0, 0), Point(1, 0))
    assert type(w.copy()) is Segment and w.length == 1.0
    assert type(Segment.tween_segment(w, w)) is Segment


def test_a_segment_in_a_reference_cycle_is_collected():
    import gc
    import weakref

    class Wall(Segment):
        pass

    w = Wall(Point(0, 0), Point(1, 0))
    w.start = w  # a cycle through a stored end point
    ref = weakref.ref(w)
    del w
    gc.collect()
    assert ref() is None
