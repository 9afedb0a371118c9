"""No Python code a caller writes can crash Strakel (see hostile.py).

Each test sends one pattern of hostile caller against every member it can
reach: lists changed while they are read, stored points replaced while they
are read, module names rebound during a call, objects that hold themselves,
a second thread rebinding end points, counts no memory could hold, and
instances whose __init__ never ran.
"""

import pytest

from hostile import assert_survives

# Defines, in the child: a unit square of segments (one end point hostile),
# the members of each class and a caller that tries every member with every
# argument shape.
HELPERS = """
    import itertools
    import Strakel
    from Flatkin import Point, Vector
    from Strakel import Line, Ray, Segment, SegmentCollection

    CORNERS = [(0.0, 0.0), (1.0, 0.0), (1.0, 1.0), (0.0, 1.0)]

    def square(make_point=Point, hostile_at=None, hostile=None, victim=None):
        segs = []
        for i in range(4):
            a, b = CORNERS[i], CORNERS[(i + 1) % 4]
            start = hostile(victim, *a) if i == hostile_at else make_point(*a)
            segs.append(Segment(start, make_point(*b)))
        # Both diagonals: the split at crossings has something to cut.
        segs.append(Segment(Point(0, 0), Point(1, 1)))
        segs.append(Segment(Point(1, 0), Point(0, 1)))
        return segs

    def members(cls):
        # (name, kind) of every member a caller can reach through the class.
        out = []
        for name, raw in list(vars(cls).items()):
            if name in ("__init__", "__getstate__", "__setstate__", "__dict__", "__doc__", "__module__",
                        "__weakref__"):
                continue
            kind = "property" if isinstance(raw, property) else "static" if isinstance(raw, staticmethod) else "method"
            out.append((name, kind))
        return out

    PLOTS = {"plot_lines", "plot_segments", "plot"}

    def extra_args(name):
        if name in ("divide_by_count",):
            return [(3,), (0,)]
        if name in ("divide_by_length",):
            return [(0.25,)]
        if name in PLOTS:
            return [(), (None, False)]
        return [(), (Point(0.5, 0.5),), (Point(0.5, 0.5), True), (0.5,), (0.5, 0.5, True)]

    def try_all(cls, make_receiver, make_other=None, skip=()):
        # Every member with the hostile object as receiver and, for the
        # static methods, as their first argument; then as the argument.
        for name, kind in members(cls):
            if name in skip:
                continue
            f = getattr(cls, name)
            if kind == "property":
                attempt(getattr, make_receiver(), name)
                continue
            for args in extra_args(name):
                attempt(f, make_receiver(), *args)
                if make_other is not None:
                    attempt(f, make_other(), make_receiver(), *args[1:])
"""


# ---------------------------------------------- lists changed while read

COLLECTION_CALLS = [
    "c.clean_isolated_segments()", "c._clean_open_segments()", "c.clean_open_segments()", "c.get_connections()",
    "c.remove_duplicates()", "c.knots", "c.endpoints", "c.get_min_weight_point()",
    "c.get_adjacent_segments(Point(1, 0))", "SegmentCollection.set_direction_by_point(c.segments, Point(1, 0))",
    "SegmentCollection.get_right_segment(c.segments)", "SegmentCollection.get_left_segment(c.segments)",
    "SegmentCollection.create_weight_dict(c.endpoints, c.segments)", "c.get_contour_segments()",
    "c.get_contour_segments(split=False)", "c.get_loop_segments()", "c.get_polygons()",
    "c.get_polygons(split=False)", "len(c)", "list(c)", "c.count(c.segments[0])", "c.index(c.segments[-1])",
    "c.segments[0] in c", "c.sort(key=lambda s: s.start.x)",
]

SEGMENT_LIST_CALLS = [
    "Segment.intersection_points(segs)", "Segment.select_segments_containing_point(Point(1, 0), segs, True)",
    "Segment.select_segment_containing_point(Point(1, 0), segs, True)",
    "Segment.select_intersecting_segments(segs[4], segs, True)",
    "Segment.select_multi_intersection_segments(segs[4:], segs)",
    "Segment.select_multi_intersection_segments(segs, segs)",
    "Segment.extract_nodes_from_segments(segs)", "Segment.extract_nodes_from_segments(segs[:4])",
    "Segment.extract_nodes_from_segments(segs, True)", "Segment.construct_lines([s.start for s in segs])",
    "Segment.plot_segments(segs, None, False)", "Line.plot_lines(segs[:3], ['a', 'b', 'c'], False)",
    "segs[4].break_by_points([s.start for s in segs])", "Strakel.Segment.loft(segs[0], segs[2])",
]


@pytest.mark.parametrize("hostile", ["Clearing", "Growing"])
def test_list_members_survive_lists_changed_while_read(hostile):
    assert_survives(HELPERS + f"""
    for call in {COLLECTION_CALLS!r}:
        for at in range(4):
            segs = []
            segs.extend(square(hostile_at=at, hostile={hostile}, victim=segs))
            c = SegmentCollection(segs)
            attempt(eval, call)
            # The split's pieces hold our own points; walk them with a
            # hostile list in place of the marks' keys too.
            c = SegmentCollection(segs)
            attempt(c.get_connections)
            victim = c.segments
            victim.append(Segment({hostile}(victim, 0.0, 0.0), Point(0.5, 0.5)))
            attempt(eval, call)
    for call in {SEGMENT_LIST_CALLS!r}:
        for at in range(4):
            segs = []
            segs.extend(square(hostile_at=at, hostile={hostile}, victim=segs))
            attempt(eval, call)
    """)


def test_hashes_and_equalities_that_change_the_list_survive():
    assert_survives(HELPERS + f"""
    class Wall(Segment):
        victim = None
        def __eq__(self, other):
            del self.victim[:]
            gc.collect()
            return False
        def __hash__(self):
            del self.victim[:]
            gc.collect()
            return 0

    for call in {COLLECTION_CALLS + SEGMENT_LIST_CALLS!r}:
        segs = []
        for s in square():
            w = Wall(s.start, s.end)
            w.victim = segs
            segs.append(w)
        c = SegmentCollection(segs)
        c.current_seg = segs[0]
        attempt(eval, call)
    # Marks kept in a mapping of another kind, whose lookups change the list.
    class Marks(dict):
        victim = None
        def __contains__(self, key):
            del self.victim[:]
            gc.collect()
            return dict.__contains__(self, key)
    segs = square()
    c = SegmentCollection(segs)
    c.get_connections()
    marks = Marks(c.dict)
    marks.victim = c.segments
    c.dict = marks
    attempt(c.get_polygons, False)
    """)


# --------------------------------------- stored points replaced while read

def test_stored_points_replaced_while_read_never_free_what_is_read():
    assert_survives(HELPERS + """
    def replacing_segment(cls=Segment, name="start"):
        s = cls(Point(0.0, 0.0), Point(2.0, 2.0))
        setattr(s, name, Replacing(s, name, lambda: P(0.0, 0.5), 0.0, 0.0))
        return s

    def replacing_ray(name):
        r = Ray(Point(0.0, 0.0), Vector(1.0, 1.0))
        setattr(r, name, Replacing(r, name, lambda: P(0.5, 0.5), 1.0, 1.0))
        return r

    plain = lambda: Segment(Point(0.0, 2.0), Point(2.0, 0.0))
    for name in ("start", "end"):
        try_all(Segment, lambda: replacing_segment(Segment, name), plain)
        try_all(Line, lambda: replacing_segment(Line, name), lambda: Line(Point(0, 2), Point(2, 0)))
        for other in ("intersection_with_line", "intersection_with_segment", "intersection_with_ray"):
            attempt(getattr(Ray(Point(0, 0), Vector(1, 1)), other), replacing_segment(Segment, name))
            attempt(getattr(Ray(Point(0, 0), Vector(1, 1)), other), replacing_segment(Line, name))
    for name in ("origin", "direction", "unit_vector"):
        try_all(Ray, lambda: replacing_ray(name), lambda: Ray(Point(0, 1), Vector(1, -1)))
        attempt(Segment.intersection_with_ray, plain(), replacing_ray(name))
        attempt(Line.intersection_with_ray, Line(Point(0, 2), Point(2, 0)), replacing_ray(name))
    # A direction whose unit_vector replaces the ray's direction.
    r = Ray(Point(0, 0), Vector(1, 0))
    class Direction(P):
        @property
        def unit_vector(self):
            r.direction = P(0.0, 1.0)
            gc.collect()
            return P(1.0, 0.0)
    attempt(Ray.__init__, r, Point(0, 0), Direction(2.0, 0.0))
    """)


def test_a_thread_rebinding_end_points_while_another_reads():
    assert_survives("""
    import time
    from Flatkin import Vector
    from Strakel import Line, Ray, Segment
    sys.setswitchinterval(1e-6)

    class Q:
        def __init__(s, x, y):
            s._x, s._y = x, y
        x = property(lambda s: s._x)
        y = property(lambda s: s._y)

    seg, other = Segment(Q(0, 0), Q(2, 2)), Segment(Q(0, 2), Q(2, 0))
    line, ray = Line(Q(0, 0), Q(2, 2)), Ray(Q(0, 0), Vector(1, 1))
    stop = time.time() + 3
    def rebind():
        while time.time() < stop:
            seg.start = Q(0, 0)
            line.end = Q(2, 2)
            ray.origin = Q(0, 0)
            ray.direction = Q(1, 1)
    worker = threading.Thread(target=rebind)
    worker.start()
    while time.time() < stop:
        seg.intersection_with_segment(other)
        other.intersection_with_segment(seg)
        seg.length, seg.midpoint, hash(seg), seg == other
        line.intersection_with_line(seg)
        ray.intersection_with_segment(seg)
        ray.point_at_length(1.0)
    worker.join()
    """, timeout=120)


# ------------------------------------------ module names rebound mid-call

def test_module_names_rebound_during_a_call():
    assert_survives(HELPERS + """
    real = {name: getattr(Strakel, name) for name in ("plt", "np", "random", "Point", "Vector", "Line",
                                                      "Segment", "epsilon")}

    class FakePlt:
        rcParams = real["plt"].rcParams
        def __getattr__(self, name):
            Strakel.plt = object()
            gc.collect()
            return lambda *a, **k: None

    class FakeNp:
        @property
        def random(self):
            Strakel.np = object()
            gc.collect()
            return real["np"].random

    class FakeRandom:
        def randint(self, a, b):
            Strakel.random = None
            gc.collect()
            return a

    def restore():
        for name, value in real.items():
            setattr(Strakel, name, value)

    segs = square()
    for _ in range(3):
        Strakel.plt = FakePlt()
        attempt(Segment.plot_segments, segs, ["a"] * 6, True)
        Strakel.plt = FakePlt()
        attempt(Line.plot_lines, segs[:2], None, True)
        Strakel.plt = FakePlt()
        attempt(Ray(Point(0, 0), Vector(1, 0)).plot)
        Strakel.np = FakeNp()
        attempt(Segment.plot_segments, segs, None, False)
        Strakel.random = FakeRandom()
        attempt(Segment.extract_nodes_from_segments, square()[:4])
        restore()

    # Names rebound by a point's coordinate read, in the middle of a call.
    for name, value in (("Point", None), ("Vector", None), ("Line", None), ("Segment", None),
                        ("epsilon", "text"), ("Point", lambda x, y: Strakel.__dict__.clear())):
        make = lambda: Segment(Rebinding(Strakel, name, value, 0.0, 0.0), Point(2.0, 2.0))
        try_all(Segment, make, lambda: Segment(Point(0, 2), Point(2, 0)), skip=PLOTS)
        restore()
        try_all(Line, lambda: Line(Rebinding(Strakel, name, value, 0.0, 0.0), Point(2.0, 2.0)),
                lambda: Line(Point(0, 2), Point(2, 0)), skip=PLOTS)
        restore()
        try_all(Ray, lambda: Ray(Rebinding(Strakel, name, value, 0.0, 0.0), Vector(1.0, 1.0)), skip=PLOTS)
        restore()
        c = SegmentCollection(square() + [Segment(Rebinding(Strakel, name, value, 0.5, 0.0), Point(0.5, 1.0))])
        attempt(c.get_polygons)
        restore()

    # A class put in place of Segment that rebinds the name as pieces are made.
    class Piece(Segment):
        def __init__(self, start, end):
            Strakel.Segment = Piece if Strakel.Segment is not Piece else real["Segment"]
            gc.collect()
            Segment.__init__(self, start, end)
    Strakel.Segment = Piece
    attempt(SegmentCollection(square()).get_polygons)
    restore()
    """)


# ---------------------------------------- objects that hold themselves

def test_self_holding_objects_raise_recursion_error_not_crash():
    assert_survives("""
    from Flatkin import Point
    from Strakel import Line, Ray, Segment, SegmentCollection
    s = Segment(Point(0, 0), Point(1, 1))
    s.start = s
    t = Segment(Point(0, 0), Point(1, 1))
    t.start, t.end = t, s
    for f in (repr, str, hash, lambda x: x == t, lambda x: t == x, lambda x: {x, t}, lambda x: x.length,
              lambda x: Segment.__repr__(x), lambda x: format(x, ""), lambda x: list(x)):
        attempt(f, s)
        attempt(f, t)
    line = Line(Point(0, 0), Point(1, 1))
    line.start = line
    for f in (repr, hash, lambda x: x == Line(Point(0, 0), Point(1, 1)), lambda x: x.slope):
        attempt(f, line)
    c = SegmentCollection([])
    c.segments = c
    d = SegmentCollection(c)
    for f in (len, list, bool, lambda x: x[0], lambda x: 1 in x, lambda x: x.append(1), lambda x: x.pop(),
              lambda x: x.sort(), lambda x: x.endpoints, lambda x: x.knots, lambda x: x.clean_open_segments(),
              lambda x: x.get_polygons(), lambda x: x.remove_duplicates(), lambda x: x.count(1),
              lambda x: x.reverse(), lambda x: x.extend([1]), lambda x: x.insert(0, 1), lambda x: iter(x)):
        attempt(f, c)
        attempt(f, d)
    """)


# -------------------------------------------------------------- huge counts

def test_huge_counts_raise_python_errors_before_allocating():
    assert_survives("""
    from Flatkin import Point
    from Strakel import Segment, SegmentCollection

    class Huge:
        def __len__(self):
            return 2 ** 62
        def __getitem__(self, i):
            return Point(i, i)

    s = Segment(Point(0, 0), Point(1, 0))
    for count in (2 ** 62, 2 ** 61, 2 ** 40, 10 ** 30, -10 ** 30, 2 ** 63):
        attempt(s.divide_by_count, count)
    for interval in (1e-300, 5e-324, 1e-18):
        attempt(s.divide_by_length, interval)
    attempt(Segment(Point(0, 0), Point(1e308, 0)).divide_by_length, 1e-300)
    attempt(Segment(Point(0, 0), Point(float("inf"), 0)).divide_by_length, 1.0)
    attempt(Segment.construct_lines, Huge())
    attempt(Segment.intersection_points, Huge())
    attempt(Segment.select_multi_intersection_segments, Huge(), [s])
    attempt(SegmentCollection([s]).pop, 10 ** 30)
    attempt(SegmentCollection([s]).__getitem__, 2 ** 62)
    """)


# ------------------------------------------------- instances not initialised

def test_uninitialised_instances_and_foreign_receivers_raise_type_error():
    assert_survives(HELPERS + """
    import copy, pickle
    for cls in (Line, Segment, Ray, SegmentCollection):
        try_all(cls, lambda: cls.__new__(cls), lambda: cls.__new__(cls), skip=PLOTS)
        for name, raw in list(vars(cls).items()):
            if isinstance(raw, property):
                for obj in (object(), None, 5, Point(0, 0), cls.__new__(cls)):
                    attempt(raw.__get__, obj, cls)
                    if raw.fset is not None:
                        attempt(raw.__set__, obj, Point(0, 0))
        attempt(copy.copy, cls.__new__(cls))
        attempt(pickle.dumps, cls.__new__(cls))
        attempt(cls.__setstate__, cls.__new__(cls), {"start": 1})
    for other in (Line, Ray, SegmentCollection):
        for name in ("__init__", "reverse", "copy", "__repr__", "__hash__"):
            if name in vars(Segment):
                attempt(getattr(Segment, name), other.__new__(other))
    """)


# ---------------------------------------- half-made objects and the collector

def test_half_made_instances_have_no_fields_anywhere():
    assert_survives(HELPERS + """
    value = values_with(lambda: Point(0.5, 0.5), {"segments": lambda: square(), "segment": lambda: square()[0]})
    for cls, fields, make in ((Segment, ("start", "end"), lambda: square()[0]),
                              (Line, ("start", "end"), lambda: Line(Point(0, 0), Point(1, 1))),
                              (Ray, ("origin", "direction"), lambda: Ray(Point(0, 0), Vector(1, 1))),
                              (SegmentCollection, (), lambda: SegmentCollection(square()))):
        check_half_made(cls, "Strakel", fields, make, value)
    for cls in (Point, Vector):
        check_half_made(cls, "Flatkin", ("x", "y"), lambda: Point(1, 1), value, among=(Segment, Line, Ray))
    """)


@pytest.mark.parametrize("finalizer", [False, True])
def test_collector_changing_the_segments_a_member_reads(finalizer):
    assert_survives(HELPERS + f"""
    value = values_with(lambda: Point(0.5, 0.5))
    for which in range(3):
        segs = square()
        c, first = SegmentCollection(segs), segs[0]
        for cls, make in ((SegmentCollection, lambda: c), (Segment, lambda: first)):
            for name, f, args in calls(cls, make, segs, value):
                with collecting(seq_actions(segs, Segment(Point(2, 2), Point(3, 2)))[which], {finalizer}):
                    attempt(f, *args)
    """)
