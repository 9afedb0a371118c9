"""No Python code a caller writes can crash Bowlet (see hostile.py).

Every member of Circle and Arc is sent receivers and arguments whose
coordinate reads, number conversions or attribute lookups replace the very
objects being read, rebind the module's names, or lead back into the member
itself; the child interpreter must survive each call.
"""

import textwrap

import pytest

from hostile import assert_survives

# Calls every public member of a shape (and of its class, for the static
# ones) with a few argument shapes built from `arg`.
CALL_ALL = '''
import math
import Bowlet, Flatkin, Strakel
from Bowlet import Arc, Circle, Point, Vector, Segment, Line, Ray

# The plots are sent their own hostile cases (a plt that rebinds itself).
SPECIAL = ("__repr__", "__eq__", "__hash__", "__iter__", "__init__")
MEMBERS = {cls: [n for n in vars(cls) if (not n.startswith("_") or n in SPECIAL) and not n.startswith("plot")]
           for cls in (Circle, Arc)}

def call_all(shape, arg, extra=()):
    """Every member of type(shape)'s Bowlet base, through the class, with
    `shape` as receiver (or first argument) and `arg` in every position."""
    base = Circle if isinstance(shape, Circle) else Arc
    for name in MEMBERS[base]:
        raw = vars(base)[name]
        if isinstance(raw, property):
            attempt(raw.fget, shape)
            continue
        f = getattr(base, name)
        for args in ((), (arg,), (arg, arg), (arg, 1.0), (1.0, arg), (arg, arg, arg)) + tuple(extra):
            attempt(f, shape, *args)
            attempt(f, *args)
    for f in (hash, repr, str, list, lambda s: s == arg, lambda s: arg == s):
        attempt(f, shape)
'''


def survives(body):
    """The child runs CALL_ALL, then `body`, without crashing."""
    assert_survives(CALL_ALL + textwrap.dedent(body))


@pytest.mark.parametrize("subclass", [False, True], ids=["exact", "subclass"])
def test_stored_points_replaced_while_being_read(subclass):
    survives(f"""
        class C(Circle): pass
        class A(Arc): pass
        CircleCls, ArcCls = (C, A) if {subclass} else (Circle, Arc)
        fresh = lambda: Point(0.5, 0.25)

        def circles():
            for name in ("center", "radius"):
                c = CircleCls(Point(0, 0), 1.0)
                c.center = Replacing(c, name, fresh, 1.0, 0.0)
                yield c

        def arcs():
            for name in ("center", "radius", "circle", "start_point", "end_point", "start_radians", "wise"):
                for held in ("center", "start_point", "end_point"):
                    a = ArcCls(Point(0, 0), 1.0, 1.0, 0.5)
                    setattr(a, held, Replacing(a, name, fresh, 1.0, 0.0))
                    yield a
                a = ArcCls(start_point=Point(1, 0), end_point=Point(0, 1), start_direction=Vector(0, 1))
                a.circle.center = Replacing(a.circle, "center", fresh, 0.0, 0.0)
                yield a

        for shape in list(circles()) + list(arcs()):
            call_all(shape, P(1.0, 0.0))
        # Arguments whose reads replace the receiver's stored objects.
        for name in ("center", "radius", "start_point", "end_point", "circle"):
            c = CircleCls(Point(0, 0), 1.0)
            a = ArcCls(Point(0, 0), 1.0, 1.0, 0.5)
            for shape in (c, a):
                call_all(shape, Replacing(shape, name, fresh, 1.0, 0.0))
        # Constructors whose inputs replace one another's attributes.
        holder = P(0.0, 0.0)
        for kwargs in ({{"start_point": Replacing(holder, "x", fresh, 1.0, 0.0), "end_point": Point(0, 1),
                         "start_direction": Vector(0, 1)}},
                       {{"start_point": Point(1, 0), "end_point": Point(-1, 0),
                         "arc_point": Replacing(holder, "y", fresh, 0.0, 1.0)}},
                       {{"center": Point(0, 0), "start_point": Replacing(holder, "x", fresh, 1.0, 0.0),
                         "radians": 1.0}}):
            attempt(ArcCls, **kwargs)
    """)


def test_numbers_whose_conversion_replaces_the_receivers_attributes():
    survives("""
        class Num:
            '''A number whose float conversion replaces an attribute of a shape.'''
            def __init__(self, target, name, value=1.0):
                self.target, self.name, self.value = target, name, value
            def __float__(self):
                setattr(self.target, self.name, Point(2.0, 2.0) if self.name.endswith(("center", "point"))
                        else 3.0)
                gc.collect()
                return self.value
            def __index__(self):
                self.__float__()
                return 3
            def __lt__(self, other):
                self.__float__()
                return False
            __gt__ = __le__ = __lt__

        for name in ("center", "radius", "start_point", "end_point", "start_radians", "end_radians", "wise"):
            c = Circle(Point(0, 0), 1.0)
            c.radius = Num(c, name)
            call_all(c, Num(c, name))
            a = Arc(Point(0, 0), 1.0, 1.0, 0.5)
            for attr in ("radius", "start_radians", "end_radians"):
                setattr(a, attr, Num(a, name))
            call_all(a, Num(a, name))
            attempt(Arc.arc_to_polyline, a, Num(a, name))
            attempt(Arc.arc_to_polyline, a, None, Num(a, name))
    """)


def test_module_names_rebound_during_a_call():
    survives("""
        import matplotlib.pyplot as real_plt
        saved = {m: dict(vars(m)) for m in (Bowlet, Flatkin, Strakel)}

        def restore():
            for m, names in saved.items():
                for k in ("Point", "Vector", "Segment", "Circle", "plt", "math", "np", "epsilon"):
                    if k in names:
                        setattr(m, k, names[k])

        class MyPoint(Point):
            pass

        rebinds = [(Bowlet, "Point", None), (Bowlet, "Point", MyPoint), (Bowlet, "Point", 3),
                   (Bowlet, "Vector", None), (Bowlet, "Vector", lambda x, y: None),
                   (Bowlet, "Segment", None), (Bowlet, "Circle", None), (Bowlet, "Circle", Arc),
                   (Bowlet, "math", None), (Bowlet, "plt", None),
                   (Flatkin, "epsilon", None), (Flatkin, "epsilon", "wide"), (Flatkin, "epsilon", 0.5),
                   (Flatkin, "Point", None), (Flatkin, "Vector", None),
                   (Strakel, "epsilon", None), (Strakel, "epsilon", 10.0)]
        for module, name, value in rebinds:
            for shape in (Circle(Point(0, 0), 1.0), Arc(Point(0, 0), 1.0, 1.0, 0.5)):
                call_all(shape, Rebinding(module, name, value, 1.0, 0.0),
                         extra=((Segment(Rebinding(module, name, value, -2.0, 0.0), Point(2, 0)),),
                                (Ray(Point(-2, 0), Vector(1, 0)),)))
                restore()
            for kwargs in ({"start_point": Rebinding(module, name, value, 1.0, 0.0), "end_point": Point(0, 1),
                            "start_direction": Vector(0, 1)},
                           {"start_point": Point(1, 0), "end_point": Point(-1, 0),
                            "arc_point": Rebinding(module, name, value, 0.0, 1.0)},
                           {"center": Point(0, 0), "start_point": Rebinding(module, name, value, 1.0, 0.0),
                            "radians": 1.0},
                           {"center": Rebinding(module, name, value, 0.0, 0.0), "radius": 1, "radians": 1.0,
                            "start_radians": 0.0}):
                attempt(Arc, **kwargs)
                restore()
            attempt(Circle, Point(0, 0), Rebinding(module, name, value, 1.0, 1.0), Point(2, 0))
            restore()

        class FakePlt:
            '''A plt whose every attribute read rebinds Bowlet.plt.'''
            def __getattr__(self, name):
                Bowlet.plt = object()
                gc.collect()
                if name == "subplots":
                    return lambda *a, **k: real_plt.subplots(figsize=(1, 1))
                return lambda *a, **k: None
        for _ in range(3):
            Bowlet.plt = FakePlt()
            attempt(Circle(Point(0, 0), 1).plot_circle, True)
            Bowlet.plt = FakePlt()
            attempt(Arc.plot_arc, Arc(Point(0, 0), 1, 1.0, 0.5), True)
            real_plt.close("all")
        restore()
    """)


def test_self_referential_shapes_raise_recursion_error_not_crash():
    survives("""
        loops = []
        for make in (lambda: Circle(Point(0, 0), 1.0), lambda: Arc(Point(0, 0), 1.0, 1.0, 0.5)):
            for name in ("center", "radius"):
                s = make()
                setattr(s, name, s)
                loops.append(s)
        a, b = Arc(Point(0, 0), 1.0, 1.0, 0.5), Arc(Point(0, 0), 1.0, 1.0, 0.5)
        a.center, b.center = b, a
        loops += [a, b]
        for s in loops:
            for f in (hash, repr, str, lambda s: s == s, lambda s: format(s, ""), list):
                try:
                    f(s)
                except (RecursionError, TypeError, AttributeError, ValueError):
                    pass
            call_all(s, s)

        # Cycles with no Python frame in between: a member stored where
        # another member reads an attribute.
        class LoopC(Circle): pass
        LoopC.radius = Circle.area
        class LoopA(Arc): pass
        LoopA.radians = Arc.length
        class Far: pass
        Far.distance_to_point = Circle.contains
        far = Far()
        far.center, far.radius = far, 1.0
        class Turn: pass
        Turn.rotate = Circle.rotate
        t = Turn()
        t.center = t
        for s in (LoopC(Point(0, 0), 1.0), LoopA(Point(0, 0), 1.0, 1.0, 0.5)):
            call_all(s, Point(1, 0))
        for f, args in ((Circle.contains, (far, Point(1, 0))), (Circle.is_point_on_circle, (far, Point(1, 0))),
                        (Circle.rotate, (t, Point(0, 0), 1.0)), (Arc.is_point_on_arc, (far, Point(1, 0)))):
            attempt(f, *args)
    """)


def test_a_thread_reassigning_stored_points():
    assert_survives("""
        import time
        from Bowlet import Arc, Circle, Point, Vector, Segment, Ray, Line
        sys.setswitchinterval(1e-6)
        c = Circle(Point(0, 0), 1.0)
        a = Arc(Point(0, 0), 1.0, 1.0, 0.5)
        stop = time.time() + 3

        def writer():
            while time.time() < stop:
                for shape in (c, a):
                    shape.center = P(0.0, 0.0)
                    shape.radius = 1.0
                a.start_point, a.end_point = P(1.0, 0.0), P(0.0, 1.0)

        threading.Thread(target=writer).start()
        line, seg = Line(P(-2.0, 0.0), P(2.0, 0.0)), Segment(P(-2.0, 0.0), P(2.0, 0.0))
        other = Circle(Point(1, 0), 1.0)
        while time.time() < stop:
            attempt(c.with_line_intersection, line)
            attempt(c.with_segment_intersection, seg)
            attempt(Circle.circle_intersection, c, other)
            attempt(c.contains, P(0.5, 0.5))
            attempt(hash, c)
            attempt(repr, a)
            attempt(a.bound)
            attempt(a.is_point_on_arc, P(1.0, 0.0))
            attempt(Arc.arc_to_polyline, a, 3)
        time.sleep(0.1)
    """)


def test_huge_counts_raise_python_errors_before_allocating():
    assert_survives("""
        from Bowlet import Arc, Point
        class Huge:
            def __index__(self):
                return 2 ** 62
            def __lt__(self, other):
                return False
            def __add__(self, other):
                return self
        arc = Arc(Point(0, 0), 1.0, 1.0, 0.5)
        class Sub(Arc):
            pass
        sub = Sub(Point(0, 0), 1.0, 1.0, 0.5)
        for a in (arc, sub):
            for number in (2 ** 61, 2 ** 40, 2 ** 63 - 1, 10 ** 30, -5, Huge()):
                attempt(Arc.arc_to_polyline, a, number)
            for length in (1e300, 1e18, float("inf"), float("nan")):
                attempt(Arc.arc_to_polyline, a, None, length)
    """)


def test_huge_counts_raise_our_own_messages():
    import Bowlet
    arc = Bowlet.Arc(Bowlet.Point(0, 0), 1.0, 1.0, 0.5)
    for number in (2 ** 61, 2 ** 40):
        with pytest.raises(MemoryError, match=r"^cannot make \d+ items: too many for memory$"):
            Bowlet.Arc.arc_to_polyline(arc, number=number)
    with pytest.raises(OverflowError):
        Bowlet.Arc.arc_to_polyline(arc, number=10 ** 30)


def test_half_made_circles_and_arcs_have_no_fields():
    survives("""
        from Bowlet import Arc, Circle
        value = values_with(lambda: Point(0.5, 0.5))
        check_half_made(Circle, "Bowlet", ("center", "radius"), lambda: Circle(Point(0, 0), 1.0), value, among=(Arc,))
        check_half_made(Arc, "Bowlet", ("center", "radius", "wise"),
                        lambda: Arc(Point(0, 0), 1.0, 0.0, 1.0), value, among=(Circle,))
        check_half_made(Point, "Flatkin", ("x", "y"), lambda: Point(1, 0), value, among=(Circle, Arc))
    """)
