"""No Python code a caller writes can crash the Polygon module (see hostile.py):
lists emptied while they are walked, holes and grids changed by the objects
they hold, module names rebound during a call, hashes that recurse."""

import pytest

from hostile import assert_survives

SETUP = """
    import random
    import Polygon as module
    from Flatkin import Point, Vector
    from Polyline import Polyline
    from Strakel import Segment
    from Polygon import Polygon, Bound, RecGenerator, Bar

    def square(x0, y0, x1, y1, cls=Polyline):
        return cls([Point(x0, y0), Point(x1, y0), Point(x1, y1), Point(x0, y1), Point(x0, y0)])
"""


SCRIPTS = {
    "holes changed while they are tested": """
        class Emptying(Polyline):
            # A hole whose answers empty the polygon's hole list.
            def is_point_inside(self, point):
                del self.victim[:]
                gc.collect()
                return False
            @property
            def segments(self):
                del self.victim[:]
                gc.collect()
                return [Segment(self.points[0], self.points[1])]

        for hostile in ("Clearing", "Growing"):
            holes = []
            pg = Polygon(square(0, 0, 50, 50), holes)
            for k in range(6):
                h = Emptying([Point(k, k), Point(k + 2, k), Point(k + 2, k + 2), Point(k, k + 2), Point(k, k)])
                h.victim = holes
                holes.append(h if k % 2 else square(k, k, k + 1, k + 1))
            odd = square(20, 20, 30, 30)
            odd.points.insert(2, globals()[hostile](holes, 30.0, 25.0))
            holes.insert(3, odd)
            gen = RecGenerator([Point(1, 1)], pg, [[3, 3]], typ=0)
            for p in (Point(1.5, 1.5), Point(25, 25), Clearing(holes, 25.0, 25.0)):
                attempt(pg.contains_point, p)
                attempt(gen.is_intersection, p, Point(40, 40))
                attempt(gen.contain_func, Point(40, 40), p)
            attempt(lambda: pg.area)
            attempt(hash, pg)
            attempt(lambda: pg == pg)
            attempt(list, pg)
    """,
    "grids changed by their points during placement": """
        for hostile in ("Clearing", "Growing"):
            for random_generate in (False, True):
                random.seed(1)
                pg = Polygon(square(0, 0, 60, 60))
                grid = [Point(5 * i, 5 * j) for i in range(12) for j in range(12)]
                grid.insert(7, globals()[hostile](grid, 30.0, 30.0))
                gen = RecGenerator(grid, pg, [[4, 3], [5, 5], [40, 40]], random_generate=random_generate)
                attempt(gen.get_recs, 0)
                attempt(gen.get_recs, 1)
                gen.grid = Clearing(grid, 1.0, 1.0)
                attempt(gen.get_a_rec, 2, 2)
    """,
    "module names rebound during a call": """
        import Flatkin, Strakel
        real = {name: getattr(module, name) for name in ("Polyline", "Segment", "Line", "Vector", "r", "math", "Bar",
                                                         "Polygon")}
        for name in real:
            for value in (None, object(), real[name]):
                random.seed(2)
                pg = Polygon(square(0, 0, 60, 40), [square(10, 10, 12, 12)])
                grid = Bound(square(0, 0, 60, 40), unit=4, typ=0).get_grid()
                grid.insert(3, Rebinding(module, name, value, 8.0, 8.0))
                gen = RecGenerator(grid, pg, [[4, 3], [6, 2]], random_generate=True)
                attempt(gen.get_recs, 0)
                attempt(gen.is_intersection, Rebinding(module, name, value, 1.0, 1.0), Point(50, 30))
                attempt(Bound(square(0, 0, 20, 10), unit=2, typ=0).get_grid)
                attempt(Bar, axis=square(0, 0, 20, 10), diameter=2)
                attempt(Bar.short_brs, [square(0, 0, 20, 10), Polyline([Point(0, 0), Point(3, 0)])], 40, 30, 2)
                attempt(Bar.break_by_polylines, Polyline([Point(0, 0), Point(50, 0)]),
                        [Polyline([Point(10, 5), Rebinding(module, name, value, 20.0, 5.0), Point(30, 5)])])
                setattr(module, name, real[name])
        for mod in (Flatkin, Strakel):
            pg = Polygon(square(0, 0, 60, 40), [square(10, 10, 12, 12)])
            gen = RecGenerator([], pg, [])
            attempt(gen.is_intersection, Rebinding(mod, "epsilon", "x", 11.0, 0.0), Point(11, 30))
            attempt(pg.contains_point, Rebinding(mod, "epsilon", None, 11.0, 11.0))
            mod.epsilon = 1e-6
    """,
    "cutters and axes changed while they are read": """
        class Shrinking(Polyline):
            # An axis whose length empties the list of axes being shortened.
            @property
            def length(self):
                del self.victim[:]
                gc.collect()
                return 10.0

        axis = Polyline([Point(0, 0), Point(50, 0), Point(50, 30)])
        for hostile in ("Clearing", "Growing"):
            pts = [Point(10, 5), Point(20, 5), Point(30, 5), Point(45, 10)]
            pts.insert(2, globals()[hostile](pts, 25.0, 5.0))
            attempt(Bar.get_cutter, axis, Polyline(pts))
            attempt(Bar.break_by_polylines, axis, [Polyline(pts), Polyline(list(pts))])
            tuples = [(Point(10, 0), Point(20, 0))]
            tuples.append(globals()[hostile](tuples, 1.0, 0.0))
            attempt(Bar.break_by_tuples, axis, tuples)
            axes = [Polyline([Point(0, k), Point(10, k)]) for k in range(4)]
            bad = Shrinking([Point(0, 9), Point(5, 9)])
            bad.victim = axes
            axes.insert(2, bad)
            attempt(Bar.short_brs, axes, 40, 30, 2)
        class Keyed(Point):
            def __hash__(self):
                gc.collect()
                return 7
        attempt(Bar.get_cutter, axis, Polyline([Keyed(10, 5), Keyed(20, 5), Keyed(30, 5)]))
    """,
    "grids of odd outlines and recursive polygons": """
        class Crossing(Polyline):
            # An outline whose crossings empty the corner list of its bound.
            def intersection(self, other):
                del self.victim[:]
                gc.collect()
                return [Clearing([], 1.0, 0.0), Point(5, 0), Growing([], 9.0, 0.0)]

        line = Crossing([Point(0, 0), Point(10, 0), Point(10, 10), Point(0, 10), Point(0, 0)])
        for typ in (0, 1):
            b = Bound(line, unit=1, typ=typ)
            line.victim = b.bound
            attempt(b.get_grid)
            b.unit = 0
            attempt(b.get_grid)
            b.unit = 1e-300
            b.x_length = 1e300
            attempt(b.get_grid)
        pg = Polygon(square(0, 0, 4, 4))
        pg.outer.points.insert(1, pg)
        for f in (hash, repr, lambda p: p == p, lambda p: p.contains_point(Point(1, 1))):
            attempt(f, pg)
        class Net:
            def get_polygons(self):
                loop = [Segment(Point(0, 0), Point(1, 0)), Segment(Point(1, 0), Point(0, 1))]
                loop.append(Segment(Clearing(loop, 0.0, 1.0), Point(0, 0)))
                return [loop, []]
        attempt(Polygon.get_polygons, Net())
    """,
}


@pytest.mark.parametrize("name", list(SCRIPTS))
def test_no_crash(name):
    assert_survives(SETUP + SCRIPTS[name])


def test_members_deleted_and_rebound_and_half_made_polygons():
    assert_survives(SETUP + """
        value = values_with(lambda: Point(0.5, 0.5))
        make = lambda: Polygon(square(0, 0, 4, 4), [square(1, 1, 2, 2)])
        rebound_members(Polygon, lambda name: [attempt(f, *args) for _, f, args in calls(Polygon, make, make(), value)])
        for obj in half_made(Polygon, "Polygon"):
            for _, f, args in calls(Polygon, make, obj, value):
                attempt(f, *args)
    """)
