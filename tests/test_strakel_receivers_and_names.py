"""Strakel's members as Python sees them: any receiver reaches the body,
results are built through the module's current class names, and every
member carries the docstring its stub gives it."""

import ast
import pathlib

import pytest

import Strakel
from Flatkin import Point, Vector
from Strakel import Line, Ray, Segment, SegmentCollection

STUB = pathlib.Path(__file__).resolve().parent.parent / "stubs" / "Strakel.pyi"


def seg(x1, y1, x2, y2):
    return Segment(Point(x1, y1), Point(x2, y2))


# Plausible arguments by parameter name: with None as the receiver, the body
# must be what fails, on reading the receiver.
ARGUMENTS = {
    "point": Point(0.5, 0.0), "other": seg(0, -1, 1, 1), "vector": Vector(1, 0), "distance": 1.0, "t": 0.5,
    "length": 1.0, "interval": 0.5, "num_points": 3, "direction": "both", "points": [Point(0.5, 0.0)],
    "color": "r", "show": False, "index": 0, "item": None, "segment": seg(0, 0, 1, 1), "value": None,
    "segments": [], "key": None, "reverse": False, "split": False, "clean": False,
}


def methods(cls):
    """(name, parameter names after the receiver) of each plain method."""
    for name, raw in vars(cls).items():
        if isinstance(raw, (property, staticmethod)) or name in ("__init__", "__getstate__", "__setstate__", "__reduce_ex__"):
            continue
        signature = getattr(raw, "__nb_signature__", None)
        if signature is None:
            continue  # Segment.__iter__ is a Python generator function
        text = signature[0][0]
        params = [p.split(":")[0].split("=")[0].strip() for p in text[text.index("(") + 1:text.rindex(")")].split(",")]
        yield name, [p for p in params[1:] if p and p != "/"]


CASES = [(cls, name, params) for cls in (Line, Segment, Ray, SegmentCollection) for name, params in methods(cls)]


@pytest.mark.parametrize("cls, name, params", CASES, ids=[f"{c.__name__}.{n}" for c, n, _ in CASES])
def test_none_as_the_receiver_fails_in_the_body_with_attribute_error(cls, name, params):
    args = [ARGUMENTS[p] for p in params]
    with pytest.raises(AttributeError, match="'NoneType' object has no attribute"):
        getattr(cls, name)(None, *args)


def test_is_point_on_through_the_class_with_none_raises_from_the_body():
    with pytest.raises(AttributeError, match="^'NoneType' object has no attribute 'start'$"):
        Segment.is_point_on(None, Point(0, 0))


def test_any_object_with_start_and_end_serves_as_the_receiver():
    class Wall:
        def __init__(self):
            self.start, self.end = Point(0, 0), Point(2, 0)

    assert Segment.length.fget(seg(0, 0, 2, 0)) == 2.0
    assert Segment.is_point_on(Wall(), Point(1, 0))
    assert Line.intersection_with_line(Wall(), Line(Point(1, -1), Point(1, 1))).x == 1.0


# -------------------------------------------- names looked up at each call

class MyPoint:
    def __init__(self, x, y):
        self.x, self.y = x, y


class MyVector(MyPoint):
    pass


class MyLine(Line):
    pass


class MySegment(Segment):
    pass


BUILT_POINTS = [
    ("midpoint", lambda: seg(0, 0, 2, 0).midpoint),
    ("crossing", lambda: seg(0, 0, 2, 2).intersection_with_segment(seg(0, 2, 2, 0))),
    ("line crossing", lambda: Line(Point(0, 0), Point(2, 2)).intersection_with_line(seg(0, 2, 2, 0))),
    ("ray crossing", lambda: Ray(Point(0, 0), Vector(1, 1)).intersection_with_segment(seg(0, 2, 2, 0))),
    ("closest point", lambda: seg(0, 0, 2, 0).closest_point(Point(1, 5))),
    ("point at parameter", lambda: seg(0, 0, 2, 0).point_at_parameter(0.25)),
    ("point at length", lambda: Ray(Point(0, 0), Vector(1, 0)).point_at_length(2)),
    ("division", lambda: seg(0, 0, 2, 0).divide_by_count(3)[1]),
    ("crossings of a list", lambda: Segment.intersection_points([seg(0, 0, 2, 2), seg(0, 2, 2, 0)])[0]),
]


@pytest.mark.parametrize("what, make", BUILT_POINTS, ids=[w for w, _ in BUILT_POINTS])
def test_points_are_built_through_the_current_point_name(monkeypatch, what, make):
    ours = make()
    assert type(ours) is Point
    monkeypatch.setattr(Strakel, "Point", MyPoint)
    rebound = make()
    assert type(rebound) is MyPoint
    assert (rebound.x, rebound.y) == (ours.x, ours.y)
    monkeypatch.undo()
    assert type(make()) is Point  # our own class again: the direct path


def test_a_rebound_point_class_makes_the_midpoint(monkeypatch):
    monkeypatch.setattr(Strakel, "Point", MyPoint)
    assert type(Segment(Point(0, 0), Point(2, 0)).midpoint) is MyPoint


def test_vectors_lines_and_segments_follow_their_names(monkeypatch):
    s = seg(0, 0, 3, 4)
    monkeypatch.setattr(Strakel, "Vector", MyVector)
    monkeypatch.setattr(Strakel, "Line", MyLine)
    monkeypatch.setattr(Strakel, "Segment", MySegment)
    for v in (s.vector, s.normal, s.unit_vector, s.unit_normal, Line(Point(0, 0), Point(1, 0)).vector):
        assert type(v) is MyVector
    assert (s.unit_vector.x, s.unit_vector.y) == (0.6, 0.8)
    for line in (s.to_line(), Line(Point(0, 0), Point(1, 0)).copy(), Ray(Point(0, 0), Vector(1, 0)).to_line(),
                 Line(Point(0, 0), Point(1, 0)).offset(1), Line.tween_line(s, s)):
        assert type(line) is MyLine
    pieces = [s.copy(), s.offset(1), *s.offset_both(1), *s.break_at_point(Point(1.5, 2)),
              Segment.tween_segment(s, s), *Segment.construct_lines([Point(0, 0), Point(1, 1)])]
    assert all(type(p) is MySegment for p in pieces)
    c = SegmentCollection([seg(0, 0, 2, 0), seg(2, 0, 0, 2), seg(0, 2, 0, 0)])
    c.get_connections()
    assert c.segments and all(type(p) is MySegment for p in c.segments)


def test_a_rays_unit_vector_is_what_the_direction_gives(monkeypatch):
    # The direction is asked for its unit vector: our own Vector answers as
    # Flatkin does, whatever Strakel.Vector holds.
    monkeypatch.setattr(Strakel, "Vector", MyVector)
    assert type(Ray(Point(0, 0), Vector(3, 4)).unit_vector) is Vector
    short = Vector(1e-7, 0)
    assert Ray(Point(0, 0), short).unit_vector is short


# ------------------------------------------------------------- docstrings

def stub_docs():
    tree = ast.parse(STUB.read_text(encoding="utf-8"))
    for node in tree.body:
        if isinstance(node, ast.ClassDef) and not node.name.startswith("_"):
            yield node.name, None, ast.get_docstring(node)
            for item in node.body:
                if isinstance(item, ast.FunctionDef) and ast.get_docstring(item):
                    yield node.name, item.name, ast.get_docstring(item)


DOCS = list(stub_docs())


@pytest.mark.parametrize("cls_name, name, doc", DOCS, ids=[f"{c}.{n}" for c, n, _ in DOCS])
def test_every_member_carries_its_stub_docstring(cls_name, name, doc):
    cls = getattr(Strakel, cls_name)
    if name is None:
        assert cls.__doc__ == doc
    elif name == "__init__":
        assert "__init__" in vars(cls)
    else:
        assert doc in getattr(cls, name).__doc__


def test_every_public_member_is_in_the_stub():
    documented = {(c, n) for c, n, _ in DOCS}
    for cls in (Line, Segment, Ray, SegmentCollection):
        for name in vars(cls):
            if name.startswith("__") and name not in ("__repr__", "__eq__", "__hash__", "__len__", "__getitem__",
                                                       "__setitem__", "__delitem__", "__contains__"):
                continue
            if name in ("start", "end", "origin", "direction", "unit_vector") and isinstance(vars(cls)[name], property) \
                    and vars(cls)[name].fset is not None:
                continue  # stored attributes: typed as attributes in the stub
            assert (cls.__name__, name) in documented, f"{cls.__name__}.{name}"
