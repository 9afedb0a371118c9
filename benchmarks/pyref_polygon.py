"""Plain-Python polygons with holes, bounds and point grids, the rectangle
placer and bars, doing exactly the steps the Polygon module does, on the
plain points and vectors of pyref_flatkin, the plain lines and segments of
pyref_strakel and the plain polylines of pyref_polyline.

The benchmarks time our compiled classes against these in the same process,
and the tests use them as the reference: every member is written the way a
careful Python programmer would write the same rules, literal loops and all,
so both sides give the same objects and the same floats, bit for bit.
Where our classes repair a plain fault of the original rules, this file does
the same and says so in a comment starting with "Repair:"."""

import itertools
import math
import random as r
from collections import defaultdict  # noqa: F401
from typing import List, Tuple  # noqa: F401

import pyref_offset_region
from pyref_flatkin import Point, Vector, epsilon
from pyref_polyline import Polyline
from pyref_strakel import Line, Segment

# The clearance zone of a placed rectangle: its sides moved by these
# distances, the first along vec_j, for a rectangle that runs clockwise.
CLEARANCE = [-10, -18, -10, -18]


def line_distance_to_point(line, point):
    """Line.distance_to_point: the distance from `point` to its foot on the
    infinite line through the line's two points."""
    ab = Vector.vector_from_points(line.start, line.end)
    ac = Vector.vector_from_points(line.start, point)
    s = Vector.dot_product(ab, ac) / ab.magnitude
    v = ab.unit_vector * s
    foot = Point(v.x + line.start.x, v.y + line.start.y)
    return foot.distance_to_point(point)


class Polygon:
    BOUND = "ABB"

    def __init__(self, outer, inners=None, check=True):
        self.outer = outer
        self.inners = inners
        if check is True:
            if not self.is_closed():
                raise Exception("Please input closed Polyline")

    def __repr__(self):
        return "Polygon(" + str(self.out_points) + ")"

    @property
    def out_points(self):
        return self.outer.points

    @property
    def inn_points(self):
        if self.inners is None:
            return []
        return [inner.points for inner in self.inners]

    def __eq__(self, other):
        if len(self.out_points) != len(other.out_points):
            return False
        for i in range(len(self.out_points)):
            if self.out_points[i] != other.out_points[i]:
                return False
        if len(self.inn_points) != len(other.inn_points):
            return False
        for i in range(len(self.inn_points)):
            if len(self.inn_points[i]) != len(other.inn_points[i]):
                return False
            for j in range(len(self.inn_points[i])):
                if self.inn_points[i][j] != other.inn_points[i][j]:
                    return False
        return True

    def __hash__(self):
        out_hash = hash(tuple(self.out_points))
        inn_hash = hash(tuple(tuple(pts) for pts in self.inn_points))
        return hash((out_hash, inn_hash))

    def __iter__(self):
        yield self.outer
        if self.inners is None:
            return
        for inner in self.inners:
            yield inner

    def is_closed(self):
        return self.outer.is_closed()

    def is_self_intersecting(self):
        return self.outer.is_self_intersecting()

    @property
    def centroid(self):
        return self.outer.centroid

    @property
    def area(self):
        out_area = self.outer.area
        if self.inners is None or len(self.inners) == 0:
            return out_area
        inn_area = 0
        for inner in self.inners:
            inn_area += inner.area
        # Repair: the holes' areas are taken off the outline's area.
        return out_area - inn_area

    @property
    def bound(self):
        return self.outer.bound

    @property
    def perimeter(self):
        return self.outer.length

    def is_clockwise(self):
        return self.outer.is_clockwise

    def is_convex(self):
        return self.outer.is_convex()

    def add_inner(self, inner):
        if self.inners is None:
            self.inners = []
        self.inners.append(inner)

    def is_point_on(self, point):
        return self.outer.is_point_on(point)

    def move(self):
        pass

    def rotate(self):
        pass

    def scale(self):
        pass

    def contains_point(self, point):
        if not self.outer.is_point_in_bound(point):
            return False
        if not self.outer.is_point_inside(point):
            return False
        if self.inners is None:
            return True
        for inner in self.inners:
            if inner.is_point_inside(point):
                return False
        return True

    @staticmethod
    def get_polygons(segments, /):
        polylines = []
        for loop in segments.get_polygons():
            # Repair: a loop of segments becomes the polyline through the
            # points where its segments meet, in walk order: each segment
            # gives the end it shares with the segment before it (its start
            # when it shares both or neither), and the last one also its
            # other end.  For a loop whose segments run head to tail these
            # are the start points and the last segment's end point.
            if not loop:
                raise IndexError("list index out of range")
            points = []
            for k in range(len(loop)):
                seg, before = loop[k], loop[k - 1]
                if seg.start == before.start or seg.start == before.end:
                    first, other = seg.start, seg.end
                elif seg.end == before.start or seg.end == before.end:
                    first, other = seg.end, seg.start
                else:
                    first, other = seg.start, seg.end
                points.append(first)
            points.append(other)
            polylines.append(Polyline(points))
        return polylines


class Bound:
    def __init__(self, polyline=None, unit=2.0, vector=Vector(1, 2), typ=1):
        unit = float(unit)
        bound = Polyline.bounding_box(polyline, vector)
        self.polyline = polyline
        self.bound = bound
        self.origin = bound[0]
        self.vec_x = Vector.vector_from_points(bound[0], bound[1]).unit_vector
        self.x_length = bound[0].distance_to_point(bound[1])
        self.vec_y = Vector.vector_from_points(bound[0], bound[3]).unit_vector
        self.y_length = bound[0].distance_to_point(bound[3])
        self.unit = unit
        self.typ = typ

    def get_bounding_box(self):
        return Polyline(self.bound).close()

    def get_grid(self):
        if self.typ == 0:
            n = int(self.x_length / self.unit) + 2
            lines = []
            for i in range(n):
                o = self.vec_x * (float(i) * self.unit)
                lines.append(Line(self.origin + o, self.bound[3] + o))
            points = []
            for line in lines:
                crossings = self.polyline.intersection(line)
                if len(crossings) < 2:
                    continue
                crossings = sorted(crossings, key=lambda p: p.distance_to_point(line.start))
                first = crossings[0]
                last = crossings[-1]
                if first.is_equal(line.start):
                    st = line.start
                else:
                    d = first.distance_to_point(line.start)
                    st = first + self.vec_y * (self.unit - d % self.unit)
                m = int(st.distance_to_point(last) // self.unit) + 1
                for j in range(m):
                    points.append(st + (self.vec_y * self.unit) * j)
            return points
        return self.polyline.divide_by_length(self.unit)


class RecGenerator:
    def __init__(self, grid, polygon, size, random_generate=False, vec_i=Vector(0, 1), vec_j=Vector(1, 0), typ=1):
        self.grid = grid
        self.polygon = polygon
        self.size = size
        self.random_generate = random_generate
        self.vec_i = vec_i
        self.vec_j = vec_j
        self.typ = typ
        self.rec_lst = []

    def _turn(self):
        """vec_j turned a quarter: clockwise unless the outline's turn sum is 0."""
        if self.polygon.outer.is_clockwise:
            return self.vec_j.rotate(-math.radians(90))
        return self.vec_j.rotate(math.radians(90))

    def is_intersection(self, point1, point2):
        if self.polygon.inners is None:
            return True
        for inner in self.polygon.inners:
            for segment in inner.segments:
                if segment.intersection_with_segment(Segment(point1, point2)):
                    return False
        return True

    def contain_func(self, point1, point2):
        if not self.polygon.outer.is_point_inside(point2):
            return False
        return self.is_intersection(point1, point2)

    def get_a_rec(self, length_i, length_j):
        placed = False
        count = 0
        id = 0
        while not placed and count < 1000:
            count += 1
            # Repair: a grid with no point left to try ends the tries, as
            # 1000 failed tries do, instead of raising IndexError.
            if self.random_generate:
                if len(self.grid) == 0:
                    break
                origin = r.choice(self.grid)
            else:
                if id >= len(self.grid):
                    break
                origin = self.grid[id]
            id += 1
            if self.typ == 1:
                foot = self.polygon.outer.closest_point(origin)
                v = origin - foot
                if v == Vector(0.0, 0.0):
                    for segment in self.polygon.outer.segments:
                        if segment.is_point_on(foot):
                            v = segment.vector
                            break
                self.vec_j = v.unit_vector
                self.vec_i = self._turn()
            if not self.polygon.contains_point(origin):
                self.grid.remove(origin)
                continue
            p1 = origin + self.vec_j * length_j
            if not self.contain_func(origin, p1):
                continue
            p2 = p1 + self.vec_i * length_i
            if not self.contain_func(p1, p2):
                continue
            p3 = p2 + self.vec_j * (-length_j)
            if not self.contain_func(p2, p3):
                continue
            if not self.is_intersection(p3, origin):
                continue
            self.grid.remove(origin)
            n_poly = Polyline([origin, p1, p2, p3, origin])
            # Repair: the zone moves the sides outwards whichever way the
            # rectangle runs: for a counter-clockwise one the distances
            # change sign.
            distances = CLEARANCE
            if n_poly.is_clockwise > 0:
                distances = [-d for d in CLEARANCE]
            inner = n_poly.unequal_offset(distances)
            self.rec_lst.append(n_poly)
            self.polygon.add_inner(inner)
            placed = True
        return None

    def get_recs(self, clean_points=1):
        if self.typ == 2:
            edge = max(self.polygon.outer.segments, key=lambda x: x.length)
            self.vec_j = edge.vector.unit_vector
            self.vec_i = self._turn()
        for entry in self.size:
            length_i = entry[0]
            length_j = entry[1]
            self.get_a_rec(length_i, length_j)
            if clean_points == 0:
                n = len(self.grid)
                for i in range(n - 1, -1, -1):
                    if not self.polygon.contains_point(self.grid[i]):
                        self.grid.remove(self.grid[i])
        return self.rec_lst


class Bar:
    def __init__(self, rail1=None, rail2=None, axis=None, diameter=None):
        self.rail1 = rail1
        self.rail2 = rail2
        self.axis = axis
        self.diameter = diameter
        # Repair: a bar built from its rails needs no width; the rails give it.
        self.radius = None if diameter is None else diameter / 2.0
        self.geo = self._construct()

    def _construct(self):
        from_rails = bool(self.rail1 and self.rail2)
        if from_rails:
            self.axis = self.rail1.tween(self.rail2, t=0.5)
            s_pt1 = self.rail1.start
            l2 = self.rail2.select_segment_close_to_point(s_pt1).to_line()
            self.diameter = line_distance_to_point(l2, s_pt1)
            self.radius = self.diameter / 2.0
        elif self.axis and self.diameter:
            self.rail1 = self._rail(self.radius)
            self.rail2 = self._rail(-self.radius)
        else:
            raise Exception("Invalid input for Bar construction")
        if self.rail1.is_closed() and self.rail2.is_closed():
            return iter(Polygon(self.rail1, [self.rail2]))
        # Repair: rails that run the same way (starts and ends pair up
        # closer than crosswise) are lofted with the second one reversed.
        if from_rails:
            (s1, e1), (s2, e2) = (self.rail1.start, self.rail1.end), (self.rail2.start, self.rail2.end)
            def d(a, b):
                dx, dy = a.x - b.x, a.y - b.y
                return math.sqrt(dx * dx + dy * dy)
            if d(s1, s2) + d(e1, e2) < d(s1, e2) + d(e1, s2):
                return Polyline.loft(self.rail1, Polyline(self.rail2.points[::-1]))
        lofted = Polyline.loft(self.rail1, self.rail2)
        return lofted if from_rails else self._strip(lofted)

    def _about_first(self):
        """The axis less its first point, and that point.

        Repair: a bar is built about its axis's first point and moved back,
        so a bar drawn at site coordinates keeps the digits its width needs.
        An axis of fewer than two points, or not finite, stays where it is."""
        pts = self.axis.points
        if len(pts) < 2 or not all(math.isfinite(c) for p in pts for c in (p.x, p.y)):
            return self.axis, (0.0, 0.0)
        x0, y0 = pts[0].x, pts[0].y
        return Polyline([Point(p.x - x0, p.y - y0) for p in pts]), (x0, y0)

    def _rail(self, distance):
        # Repair: where the axis's offset refuses past a collapse, the bar
        # around an open axis is still its strip, and the rail the axis's
        # edges moved one by one, those that collapse dropped.
        axis, (x0, y0) = self._about_first()

        def back(rail):
            return rail if axis is self.axis else Polyline([Point(p.x + x0, p.y + y0) for p in rail.points])
        try:
            return back(Polyline.offset(axis, distance))
        except (IndexError, ValueError) as exc:
            text = str(exc)
            refuses = text == "The offset distance collapses the outline." if isinstance(exc, IndexError) else \
                text.startswith("The offset splits the polyline into ")
            if not refuses or self.axis.is_closed() or not Bar._strip_measured(
                    [(p.x, p.y) for p in axis.find_discontinuity()], float(distance)):
                raise
        try:
            return back(Polyline._edge_by_edge_offset(axis, float(distance)))
        except IndexError:
            raise ValueError("The bar's rail has no edge left: every edge of its axis collapses within half the "
                             "bar's width.") from None

    @staticmethod
    def _strip_measured(pts, half):
        point_edge = any(math.hypot(b[0] - a[0], b[1] - a[1]) <= epsilon for a, b in zip(pts, pts[1:]))
        return 0 < abs(half) < math.inf and len(pts) >= 2 and not point_edge and all(map(math.isfinite, sum(pts, ())))

    def _strip(self, lofted):
        # Repair: the outline round an open axis is its strip, both sides'
        # swept shapes with flat ends: the lofted rails where they are it,
        # otherwise the strip built anew from the axis.
        axis, (x0, y0) = self._about_first()
        pts = [(p.x, p.y) for p in axis.find_discontinuity()]
        corners = [(p.x - x0, p.y - y0) for p in lofted.points]
        half = float(self.radius)
        if half < 0:
            pts, half = pts[::-1], -half
        if not Bar._strip_measured(pts, half):
            return lofted
        limits = [d for side in (pts, pts[::-1]) for d in Polyline([Point(*p) for p in side]).degenerate_distance().values()]
        if all(d > half for d in limits) and Polyline._lofted_strip_holds(pts, half, [Point(*c) for c in corners]):
            return lofted
        out = pyref_offset_region.strip(pts, half)
        # Rails rebuilt past a collapse are lofted into the strip as well
        # where the corners agree.
        tol = 1e-9 * max([half] + [abs(c) for p in pts for c in p])
        if len(out) == len(corners) and all(abs(p[0] - q[0]) <= tol and abs(p[1] - q[1]) <= tol
                                            for p, q in zip(corners, out)):
            return lofted
        first = Point(out[0][0] + x0, out[0][1] + y0)
        return Polyline([first] + [Point(x + x0, y + y0) for x, y in out[1:-1]] + [first])

    def __repr__(self):
        return "Bar(" + format(self.axis) + ")"

    @property
    def area(self):
        # Repair: a ring between two closed rails has the area between them.
        if self.rail1.is_closed() and self.rail2.is_closed():
            return abs(self.rail1.area - self.rail2.area)
        return self.geo.area

    @staticmethod
    def get_cutter(inpt1, inpt2, _distance=18.0):
        _distance = float(_distance)
        c_pts = {}
        _c_pts = []
        for i in inpt2.points[:-1]:
            c_pt = inpt1.closest_point(i)
            dis = c_pt.distance_to_point(i)
            c_pts[c_pt] = dis
            if dis < _distance:
                _c_pts.append(c_pt)
        n = len(_c_pts)
        if n == 0:
            return None
        if n == 1 or n == 3:
            lists = list(itertools.combinations(c_pts.keys(), 2))
            # Repair: with fewer than two distinct nearest points there is
            # no pair to cut at.
            if not lists:
                return None
            dic = {}
            for j in lists:
                dic[j] = abs(inpt1.evaluate_point(j[0]) - inpt1.evaluate_point(j[1]))
            cutter = max(lists, key=lambda j: dic[j])
            length = dic[cutter]
            if length > inpt1.length - length:
                cutter = max(lists, key=lambda j: j[0].distance_to_point(j[1]))
            return cutter
        if n == 2:
            return _c_pts
        _c_pts = sorted(_c_pts, key=lambda p: c_pts[p])
        return (_c_pts[0], _c_pts[1])

    @staticmethod
    def get_remain(inpt, cutter):
        poly0, insides, poly1 = Polyline.break_by_tuple(inpt, cutter)
        len_p = poly0.length + poly1.length
        len_i = insides.length
        if len_p >= len_i:
            return Polyline(poly1.points[:-1] + poly0.points)
        return insides

    @staticmethod
    def break_by_tuples(polyline, tuples):
        polylines = [polyline]
        for i, pair in enumerate(tuples):
            new_polylines = []
            for piece in polylines:
                # Repair: only a closed piece is opened and kept by its longer
                # remainder; an open piece is cut like at every later pair.
                if i == 0 and piece.is_closed():
                    new_polylines.append(Bar.get_remain(piece, pair))
                    continue
                pls = piece.break_by_tuple(pair)
                if isinstance(pls, tuple):
                    first, _, third = pls
                    new_polylines.append(first)
                    new_polylines.append(third)
                else:
                    new_polylines.append(pls)
            polylines = new_polylines
        return polylines

    @staticmethod
    def break_by_polylines(axis, polys, _distance=18.0):
        _distance = float(_distance)
        cutters = []
        for polyline in polys:
            cutter = Bar.get_cutter(axis, polyline, _distance=_distance)
            if cutter is not None:
                cutters.append(cutter)
        if not cutters:
            return axis
        return Bar.break_by_tuples(axis, cutters)

    @staticmethod
    def short_brs(axes, current_lgt, goal_lgt, dis):
        to_short = sorted([a for a in axes if a.length >= dis], key=lambda a: a.length)
        new_axes = [a for a in axes if a not in to_short]
        short_len = current_lgt - goal_lgt
        current_len = sum([a.length for a in to_short])
        ratio = short_len / current_len
        # Repair: nothing to take off shortens nothing; taking off the whole
        # length or more is refused.
        if ratio >= 1:
            raise ValueError("The length to take off is not less than the total length of the axes to shorten.")
        if ratio <= 0:
            shorted = list(to_short)
        else:
            shorted = [a.break_by_parameter(ratio)[1] for a in to_short]
        new_axes.extend(shorted)
        return [Bar(axis=a, diameter=dis) for a in new_axes]
