"""Shared pieces of the polygon tests: the two worlds (our compiled classes and
the plain references of benchmarks/pyref_polygon.py) built from the same
coordinates, floor outlines that layout scripts meet, and one picture of a
result that the two worlds can be compared by, bit for bit."""

import math
import random

import pyref_flatkin
import pyref_polygon
import pyref_polyline
import pyref_strakel
from Flatkin import Point, Vector
from Polygon import Bar, Bound, Polygon, RecGenerator
from Polyline import Polyline
from Strakel import Line, Segment


class World:
    """The classes of one side, and builders on coordinates."""

    def __init__(self, **classes):
        self.__dict__.update(classes)

    def pts(self, coords):
        return [self.Point(x, y) for x, y in coords]

    def poly(self, coords, closed=False):
        coords = [tuple(c) for c in coords]
        if closed and coords[0] != coords[-1]:
            coords.append(coords[0])
        return self.Polyline(self.pts(coords))

    def polygon(self, outer, holes=()):
        inners = [self.poly(h, closed=True) for h in holes] if holes else None
        return self.Polygon(self.poly(outer, closed=True), inners)


OURS = World(Point=Point, Vector=Vector, Polyline=Polyline, Segment=Segment, Line=Line, Polygon=Polygon,
             Bound=Bound, RecGenerator=RecGenerator, Bar=Bar)
PLAIN = World(Point=pyref_flatkin.Point, Vector=pyref_flatkin.Vector, Polyline=pyref_polyline.Polyline,
              Segment=pyref_strakel.Segment, Line=pyref_strakel.Line, Polygon=pyref_polygon.Polygon,
              Bound=pyref_polygon.Bound, RecGenerator=pyref_polygon.RecGenerator, Bar=pyref_polygon.Bar)


def fkey(v):
    """A float's exact identity: NaN is NaN, -0.0 is not 0.0."""
    if isinstance(v, float):
        return ("nan",) if math.isnan(v) else (v, math.copysign(1.0, v))
    return (type(v).__name__, v)


def picture(value):
    """What a result is, by class name and exact coordinates, so that the two
    worlds can be compared; iterators are not consumed."""
    name = type(value).__name__
    if name in ("Point", "Vector"):
        return (name, fkey(value.x), fkey(value.y))
    if name in ("Segment", "Line"):
        return (name, picture(value.start), picture(value.end))
    if name == "Polyline":
        return (name, tuple(picture(p) for p in value.points))
    if name == "Polygon":
        inners = None if value.inners is None else tuple(picture(h) for h in value.inners)
        return (name, picture(value.outer), inners)
    if name == "Bar":
        geo = "iterator" if hasattr(value.geo, "__next__") else picture(value.geo)
        parts = tuple(picture(getattr(value, k)) for k in ("rail1", "rail2", "axis", "diameter", "radius"))
        return (name,) + parts + (geo,)
    if isinstance(value, (list, tuple)):
        return (name,) + tuple(picture(v) for v in value)
    if isinstance(value, float):
        return fkey(value)
    return (name, value)


def coords(points):
    return [(p.x, p.y) for p in points]


def outcome(make, world):
    """make(world) as ("ok", picture) or ("raises", type name, text)."""
    try:
        return ("ok", picture(make(world)))
    except Exception as e:  # noqa: BLE001 - the type is the result here
        return ("raises", type(e).__name__, str(e))


def same_both(make):
    """make(world) gives the same outcome on both sides; that outcome."""
    ours, plain = outcome(make, OURS), outcome(make, PLAIN)
    assert ours == plain
    return ours


# ------------------------------------------------------------- outlines

def rect(x0, y0, x1, y1):
    return [(x0, y0), (x1, y0), (x1, y1), (x0, y1), (x0, y0)]


def rotated(outline, angle, about=(0.0, 0.0)):
    c, s = math.cos(angle), math.sin(angle)
    ox, oy = about
    return [(ox + (x - ox) * c - (y - oy) * s, oy + (x - ox) * s + (y - oy) * c) for x, y in outline]


L_SHAPE = [(0, 0), (60, 0), (60, 25), (25, 25), (25, 50), (0, 50), (0, 0)]
U_SHAPE = [(0, 0), (50, 0), (50, 40), (35, 40), (35, 12), (15, 12), (15, 40), (0, 40), (0, 0)]


def floor_outline(n, seed, width=120.0, depth=80.0):
    """A closed floor outline of about n vertices, clockwise from the lower
    left corner: a rectangle whose long sides carry shallow bays."""
    rng = random.Random(seed)
    bays = max(1, (n - 4) // 8)
    top, bottom = [], []
    for k in range(bays):
        a, b = width * (k + 0.2) / bays, width * (k + 0.8) / bays
        up, down = rng.uniform(0.5, 3.0), rng.uniform(0.5, 3.0)
        top += [(a, depth), (a, depth + up), (b, depth + up), (b, depth)]
        bottom = [(b, 0.0), (b, -down), (a, -down), (a, 0.0)] + bottom  # walked back from the right
    return [(0.0, 0.0), (0.0, depth)] + top + [(width, depth), (width, 0.0)] + bottom + [(0.0, 0.0)]
