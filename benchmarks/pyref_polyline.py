"""Plain-Python polylines doing exactly the steps the Polyline module does, on
the plain points, vectors, lines, segments and rays of pyref_flatkin and
pyref_strakel (and the plain arcs of pyref_bowlet for fillets).

The benchmarks time our compiled class against this one in the same process,
and the tests use it as the reference: every member is written the way a
careful Python programmer would write the same rules, literal loops and all,
so both sides give the same objects and the same floats, bit for bit.
Where our class repairs a plain fault of the original rules, this file does
the same and says so in a comment starting with "Repair:"."""

import heapq
import math
from typing import Dict, List, Optional, Tuple, Union  # noqa: F401

import matplotlib.pyplot as plt
import numpy as np

import pyref_bowlet
import pyref_offset_region
from pyref_flatkin import Point, Vector, epsilon
from pyref_strakel import Line, Ray, Segment


class Polyline:
    BOUND = "ABB"

    # ------------------------------------------------------------ core

    def __init__(self, points):
        if len(points) > 1:
            self.points = points
        else:
            raise ValueError("Polyline must have at least two points.")

    def __repr__(self):
        return "Polyline(" + str(self.points) + ")"

    def __eq__(self, other):
        if not isinstance(other, Polyline):
            return False
        if len(self.points) != len(other.points):
            return False
        for i in range(len(self.points)):
            if not self.points[i] == other.points[i]:
                return False
        return True

    def __hash__(self):
        return hash(tuple(self.points))

    def __iter__(self):
        return iter(self.points)

    def reverse(self):
        self.points = self.points[::-1]

    def is_closed(self):
        return self.points[0] == self.points[-1]

    def close(self):
        if self.is_closed():
            return self
        self.points.append(self.points[0])
        return self

    def is_self_intersecting(self):
        n = len(self.points)
        closed = self.is_closed()
        for i in range(n - 1):
            for j in range(i + 2, n - 1):
                # Repair: the first and the last segment meet at the closing
                # vertex only when the polyline is closed; an open polyline
                # has that pair tested like any other.
                if i == 0 and j == n - 2 and closed:
                    continue
                s1 = Segment(self.points[i], self.points[i + 1])
                s2 = Segment(self.points[j], self.points[j + 1])
                if s1.intersection_with_segment(s2):
                    return True
        return False

    @property
    def segments(self):
        return [Segment(self.points[i], self.points[i + 1]) for i in range(len(self.points) - 1)]

    @property
    def count(self):
        return len(self.points)

    @property
    def length(self):
        return sum([segment.length for segment in self.segments])

    @property
    def start(self):
        return self.points[0]

    @property
    def end(self):
        return self.points[-1]

    @property
    def midpoint(self):
        c = self.count
        p = self.points
        if c % 2 == 0:
            return Point((p[c // 2 - 1].x + p[c // 2].x) / 2, (p[c // 2 - 1].y + p[c // 2].y) / 2)
        return p[c // 2]

    @property
    def centroid(self):
        x = 0
        y = 0
        total_length = 0
        for segment in self.segments:
            m = segment.midpoint
            length = segment.length
            x += m.x * length
            y += m.y * length
            total_length += length
        return Point(x / total_length, y / total_length)

    @property
    def mean(self):
        return Point.find_center(self.points)

    @property
    def longest_edge(self):
        return max([segment.length for segment in self.segments])

    @property
    def shortest_edge(self):
        return min([segment.length for segment in self.segments])

    @property
    def bound(self):
        return (min([p.x for p in self.points]), min([p.y for p in self.points]),
                max([p.x for p in self.points]), max([p.y for p in self.points]))

    # ------------------------------------------------------- boxes

    def bounding_box(self, vector=Vector(1, 2), typ=0):
        polyline = self
        if typ == 1 and not self.is_convex():
            hull = self.convex_hull(Point.remove_duplicate_points(self.points))
            polyline = Polyline(hull).close()
        if self.BOUND == "ABB":
            xs = sorted([p.x for p in polyline.points])
            ys = sorted([p.y for p in polyline.points])
            return [Point(xs[0], ys[0]), Point(xs[0], ys[-1]), Point(xs[-1], ys[-1]), Point(xs[-1], ys[0])]
        if self.BOUND == "MBB":
            return polyline.minimum_bounding_box()
        if self.BOUND == "LEB":
            return polyline.longest_edge_box()
        if self.BOUND == "SVB":
            return polyline.set_vector_box(vector=vector)
        return None

    @staticmethod
    def _box(origin, vec, perpendicular, width, height):
        """Corners origin, + vec w, - perpendicular h + vec w, - perpendicular h
        (the last two as Points, with the arithmetic of Point - Vector + Vector)."""
        third = Point((origin.x - perpendicular.x * height) + vec.x * width,
                      (origin.y - perpendicular.y * height) + vec.y * width)
        fourth = Point(origin.x - perpendicular.x * height, origin.y - perpendicular.y * height)
        return [origin, origin + vec * width, third, fourth]

    def minimum_bounding_box(self):
        min_area = float("inf")
        min_bounding_box = None
        polyline = Polyline(self.points[::-1]) if self.wise == 1 else self
        leftmost_point = min(self.points, key=lambda p: p.x)
        for segment in polyline.segments:
            st = segment.start
            vec = segment.unit_vector
            perpendicular = Vector(-vec.y, vec.x)
            projections = [Vector.dot_product(Vector.vector_from_points(leftmost_point, p), perpendicular)
                           for p in polyline.points]
            _projections = [Vector.dot_product(Vector.vector_from_points(st, p), vec) for p in polyline.points]
            p_max, p_min = max(projections), min(projections)
            _p_max, _p_min = max(_projections), min(_projections)
            height = p_max - p_min
            width = _p_max - _p_min
            area = width * height
            if area < min_area:
                min_area = area
                origin = st + vec * _p_min
                min_bounding_box = self._box(origin, vec, perpendicular, width, height)
        return min_bounding_box

    def _frame_box(self, polyline, vec):
        leftmost_point = min(self.points, key=lambda p: p.x)
        perpendicular = Vector(-vec.y, vec.x)
        projections = [Vector.dot_product(Vector.vector_from_points(leftmost_point, p), perpendicular)
                       for p in polyline.points]
        _projections = [Vector.dot_product(Vector.vector_from_points(leftmost_point, p), vec)
                        for p in polyline.points]
        p_max, p_min = max(projections), min(projections)
        _p_max, _p_min = max(_projections), min(_projections)
        height = p_max - p_min
        width = _p_max - _p_min
        origin = (leftmost_point + vec * _p_min) + perpendicular * p_max
        return self._box(origin, vec, perpendicular, width, height)

    def longest_edge_box(self):
        polyline = Polyline(self.points[::-1]) if self.wise == 1 else self
        max_edge = max(polyline.segments, key=lambda s: s.length)
        return self._frame_box(polyline, max_edge.unit_vector)

    def set_vector_box(self, vector=Vector(1, 0)):
        polyline = Polyline(self.points[::-1]) if self.wise == 1 else self
        return self._frame_box(polyline, vector.unit_vector)

    # ----------------------------------------- area, winding, convexity

    @property
    def area(self):
        if not self.is_closed():
            raise ValueError("Polyline must be closed to calculate area.")
        # Repair: the cross products are taken about the first point, so a
        # room drawn at site coordinates keeps its digits.
        return abs(Polyline._twice_area([(p.x, p.y) for p in self.points])) / 2

    @property
    def is_clockwise(self):
        segments = self.segments
        s = 0
        for i in range(len(segments)):
            s += Vector.cross_product(segments[i - 1].vector, segments[i].vector)
        return s

    @property
    def simple_wise(self):
        p = self.points
        if p[0] == p[1] or p[1] == p[2] or p[0] == p[2]:
            raise Exception("Point Overlap")
        c = Vector.cross_product(Vector.vector_from_points(p[0], p[1]), Vector.vector_from_points(p[1], p[2]))
        if c < 0:
            return 0
        if c > 0:
            return 1
        if c == 0:
            return 2
        return None

    @property
    def wise(self):
        # The sign of the enclosed area, an open polyline closed by the
        # straight edge back to its first point.
        points = self.points
        if not self.is_closed():
            self.segments[0]
        s = 0
        for i in range(1, len(points) - 1):
            s += Vector.cross_product(Vector.vector_from_points(points[0], points[i]),
                                      Vector.vector_from_points(points[0], points[i + 1]))
        if s < 0:
            return 0
        if s > 0:
            return 1
        return 2

    @property
    def start_vector(self):
        return Vector.vector_from_points(self.points[0], self.points[1])

    @property
    def end_vector(self):
        return Vector.vector_from_points(self.points[-2], self.points[-1])

    def is_convex(self):
        p = self.points
        if len(p) < 4:
            return True
        direction = None
        # The inner vertices, then the closing vertex of a closed polyline.
        turns = [(p[i], p[i + 1], p[i + 1], p[i + 2]) for i in range(len(p) - 2)]
        if self.is_closed():
            turns.append((p[-2], p[-1], p[0], p[1]))
        for a, b, c, d in turns:
            c = Vector.cross_product(Vector.vector_from_points(a, b), Vector.vector_from_points(c, d))
            if c == 0:
                continue
            if c > 0:
                if direction == "right":
                    return False
                direction = "left"
            else:
                if direction == "left":
                    return False
                direction = "right"
        return True

    # ------------------------------------------ hull and directions

    @staticmethod
    def convex_hull(points, /):
        # Repair: a monotone chain over the points sorted by x, then y (the
        # first of exact repeats kept, points with a NaN coordinate left out)
        # gives the true hull, counter-clockwise, of the caller's objects,
        # strict left turns only; it then starts at the hull vertex of least
        # polar angle about the origin (a vertex at the origin first) and is
        # closed by repeating its first object.  The scan wraps its index
        # modulo the count: no points at all raise ZeroDivisionError.
        points = list(points)
        0 % len(points)
        pts = [p for p in points if not (p.x != p.x or p.y != p.y)]
        if not pts:
            return []
        pts = Polyline._outside_extremes(pts)
        order = sorted(range(len(pts)), key=lambda i: (pts[i].x, pts[i].y))
        unique = []
        for i in order:
            if unique and pts[i].x == unique[-1].x and pts[i].y == unique[-1].y:
                continue
            unique.append(pts[i])
        if len(unique) == 1:
            return [unique[0], unique[0]]

        def chain(seq):
            out = []
            for p in seq:
                while len(out) >= 2 and Vector.relative_position(out[-2], out[-1], p) != 0:
                    out.pop()
                out.append(p)
            return out

        hull = chain(unique)[:-1] + chain(unique[::-1])[:-1]
        start, best = 0, None
        for k, p in enumerate(hull):
            a = Vector.angle(Vector(1, 0), Vector(p.x - 0.0, p.y - 0.0))
            if a is None:
                start = k
                break
            if best is None or a < best:
                start, best = k, a
        hull = hull[start:] + hull[:start]
        return hull + [hull[0]]

    @staticmethod
    def _outside_extremes(pts):
        """The points, less those clearly inside the octagon of the extreme
        points (by x, x + y, y, y - x, each way): they cannot be on the hull."""
        keys = [lambda p: p.x, lambda p: p.x + p.y, lambda p: p.y, lambda p: p.y - p.x]
        extremes = []
        for sign in (1, -1):
            for key in keys:
                best = pts[0]
                for p in pts[1:]:
                    if sign * key(p) > sign * key(best):
                        best = p
                extremes.append(best)
        ring = []
        for p in extremes:
            if not ring or p is not ring[-1]:
                ring.append(p)
        while len(ring) > 1 and ring[-1] is ring[0]:
            ring.pop()
        if len(ring) < 3:
            return pts

        def clearly_left(a, b, p):
            ux, uy, vx, vy = b.x - a.x, b.y - a.y, p.x - a.x, p.y - a.y
            return ux * vy - uy * vx > 1e-12 * (abs(ux * vy) + abs(uy * vx)) + 1e-300

        edges = list(zip(ring, ring[1:] + ring[:1]))
        if not all(clearly_left(a, b, c) for (a, b), c in zip(edges, ring[2:] + ring[:2])):
            return pts  # not a strictly convex octagon: keep everything
        return [p for p in pts if not all(clearly_left(a, b, p) for a, b in edges)]

    @staticmethod
    def unify_direction(polylines, /):
        first = polylines[0].wise
        for i in range(1, len(polylines)):
            if polylines[i].wise != first:
                polylines[i].reverse()
        return polylines

    # -------------------------------------------------------- offsets

    # Repair: an edge's collapse distance is judged from the turns at both
    # of its ends (the closing vertex of a closed polyline included): its
    # ends move along its line by d * tan(phi / 2) for a turn phi there.
    @staticmethod
    def _half_turn_tangent(a, la, b, lb):
        if not (la > epsilon and lb > epsilon):
            return 0.0
        c = a.x * b.y - a.y * b.x
        d = a.x * b.x + a.y * b.y
        if c == 0:
            return -math.inf if d < 0 else 0.0
        den = la * lb + d
        if not den > 0:
            return math.inf if c > 0 else -math.inf
        return c / den

    @staticmethod
    def _collapse_at(length, grow):
        if length == 0:
            return 0.0
        if grow < 0:
            return length / -grow
        return math.inf

    def _edges(self, closed):
        segments = self.segments
        n = len(segments)
        vec = [s.vector for s in segments]
        length = [s.length for s in segments]
        start_turn, end_turn = [0.0] * n, [0.0] * n
        for i in range(n - 1):
            end_turn[i] = start_turn[i + 1] = Polyline._half_turn_tangent(vec[i], length[i], vec[i + 1],
                                                                          length[i + 1])
        if closed and n >= 2:
            end_turn[n - 1] = start_turn[0] = Polyline._half_turn_tangent(vec[n - 1], length[n - 1], vec[0],
                                                                          length[0])
        return vec, length, start_turn, end_turn

    def degenerate_distance(self):
        _, length, start_turn, end_turn = self._edges(self.count >= 3 and self.is_closed())
        return {i: Polyline._collapse_at(length[i], start_turn[i] + end_turn[i]) for i in range(len(length))}

    def _kept_edges(self, closed, distance):
        # Repair: edges collapse one at a time, nearest distance first; a
        # dropped edge's neighbours meet at the crossing of their own lines
        # and are judged anew from there. None when the outline collapses.
        vec, length, start_turn, end_turn = self._edges(closed)
        pts = self.points
        n = len(length)
        at = [Polyline._collapse_at(length[i], start_turn[i] + end_turn[i]) for i in range(n)]
        start, end = [0.0] * n, list(length)
        alive = [True] * n
        if distance != distance:
            return None
        if distance == 0:
            return alive
        stamp = [0] * n
        events = [(at[i], i, 0) for i in range(n) if at[i] <= distance]
        heapq.heapify(events)
        prev = [i - 1 if i > 0 else (n - 1 if closed else None) for i in range(n)]
        nxt = [i + 1 if i + 1 < n else (0 if closed else None) for i in range(n)]

        def schedule(k, d):
            at[k] = d
            stamp[k] += 1
            if d <= distance:
                heapq.heappush(events, (d, k, stamp[k]))

        def length_at(k, d):
            return (end[k] + end_turn[k] * d) - (start[k] - start_turn[k] * d)

        def refresh(k, now):
            length_now = length_at(k, now)
            grow = start_turn[k] + end_turn[k]
            d = math.inf
            if not length_now > 0:
                d = now
            elif grow < 0:
                r = (end[k] - start[k]) / -grow
                d = now if r < now else r
            schedule(k, d)

        count = n
        while events:
            now, k, version = heapq.heappop(events)
            if not alive[k] or version != stamp[k]:
                continue
            alive[k] = False
            count -= 1
            if count == 0 or (closed and count < 3):
                return None
            p, q = prev[k], nxt[k]
            if p is not None:
                nxt[p] = q
            if q is not None:
                prev[q] = p
            if p is None:
                start[q] = 0.0
                start_turn[q] = 0.0
                refresh(q, now)
            elif q is None:
                end[p] = length[p]
                end_turn[p] = 0.0
                refresh(p, now)
            else:
                ep, eq = vec[p], vec[q]
                c = ep.x * eq.y - ep.y * eq.x
                long_enough = length[p] > epsilon and length[q] > epsilon
                if c == 0 and ep.x * eq.x + ep.y * eq.y < 0 and long_enough:
                    # Lines that double back: the shorter edge goes (both when equal).
                    lp, lq = length_at(p, now), length_at(q, now)
                    if not lq < lp:
                        schedule(p, now)
                    if not lp < lq:
                        schedule(q, now)
                    continue
                if c == 0 or not long_enough:
                    end[p] = end[p] + end_turn[p] * now
                    end_turn[p] = 0.0
                    start[q] = start[q] - start_turn[q] * now
                    start_turn[q] = 0.0
                else:
                    wx, wy = pts[q].x - pts[p].x, pts[q].y - pts[p].y
                    end[p] = ((wx * eq.y - wy * eq.x) / c) * length[p]
                    start[q] = ((wx * ep.y - wy * ep.x) / c) * length[q]
                    end_turn[p] = start_turn[q] = Polyline._half_turn_tangent(ep, length[p], eq, length[q])
                refresh(p, now)
                refresh(q, now)
        return alive

    def _walked(self, distance):
        """The cleaned points in the order an offset by `distance` walks
        them (reversed for a negative one), and the distance's size."""
        pts = self.find_discontinuity()
        if distance < 0:
            return pts[::-1], abs(distance)
        return pts, distance

    def offset(self, distance):
        self_distance = distance = float(distance)
        pts, distance = self._walked(distance)
        poly = Polyline(pts)
        closed = self.is_closed()
        # Repair: a closing vertex where the outline runs straight on joins
        # its two edges into one while edges are judged.
        if closed and Polyline._straight_start(pts):
            keep = Polyline(pts[1:-1] + [pts[1]])._kept_edges(True, distance)
            if keep is not None:
                keep = [keep[-1]] + keep[:-1] + [keep[-1]]
        else:
            keep = poly._kept_edges(closed, distance)
        moved = []
        if keep is not None and any(keep):
            moved = Polyline._joined([segment.offset(distance) for i, segment in enumerate(poly.segments) if keep[i]],
                                     closed)
        coords = [(p.x, p.y) for p in pts]
        flat = closed and (len(pts) < 4 or Polyline._twice_area(coords) == 0)
        point_edge = any(math.hypot(b[0] - a[0], b[1] - a[1]) <= epsilon for a, b in zip(coords, coords[1:]))
        measured = not (distance == 0 or distance != distance or point_edge or
                        not all(map(math.isfinite, sum(coords, ()))))
        collapses = keep is None or not all(keep)
        # Repair: tests and rebuilds are taken about the first point, so a
        # figure keeps its offset wherever it is drawn.
        ox, oy = coords[-1] if float(self_distance) < 0 else coords[0]
        local = [(x - ox, y - oy) for x, y in coords]
        # Repair: a closed outline that crosses itself is not one region (its
        # lobes face opposite ways): past a collapse it has no offset.
        if measured and collapses and closed and pyref_offset_region.crosses_itself(local):
            raise ValueError("The outline crosses itself, so it has no offset past the collapse of an edge.")
        if not measured or flat:
            if not moved:
                raise IndexError("The offset distance collapses the outline.")
            return Polyline(moved)
        # Repair: moving the edges one by one is the true mitred offset only
        # while nothing collapses and no corner runs into a far side; past
        # that the offset is rebuilt from the moved edges' swept shapes.
        # An open polyline's edges moved one by one are its offset wherever
        # nothing collapses, crossing itself wherever they do, and so are a
        # closed outline's that crosses itself.
        if not collapses and (not closed or Polyline._edgewise_holds(coords, distance, moved) or
                              pyref_offset_region.crosses_itself(local)):
            return Polyline(moved)
        out = [(x + ox, y + oy) for x, y in pyref_offset_region.mitred_offset(local, closed, distance)]
        first = Point(*out[0])
        return Polyline([first] + [Point(*p) for p in out[1:-1]] + [first if out[-1] == out[0] else Point(*out[-1])])

    @staticmethod
    def _joined(kept, closed):
        corners = []
        for j in range(len(kept) - 1):
            p = Line.intersection_with_line(kept[j].to_line(), kept[j + 1].to_line())
            if p is not None:
                corners.append(p)
        if closed:
            w = Line.intersection_with_line(kept[0].to_line(), kept[-1].to_line())
            # Repair: parallel first and last edges (a start in the middle of
            # a side) meet at their moved joint point instead of nowhere.
            if w is None:
                w = kept[0].start
            return [w] + corners + [w]
        return [kept[0].start] + corners + [kept[-1].end]

    def _edge_by_edge_offset(self, distance):
        """The open polyline's edges moved one by one, those whose collapse
        limit is below the distance dropped at once: a bar's rail where the
        true offset refuses. IndexError when every edge goes."""
        pts, distance = self._walked(distance)
        poly = Polyline(pts)
        table = poly.degenerate_distance()
        kept = [segment.offset(distance) for i, segment in enumerate(poly.segments) if table[i] >= distance]
        return Polyline(Polyline._joined(kept, False))

    @staticmethod
    def _straight_start(pts):
        if len(pts) < 5:
            return False
        a = Vector.vector_from_points(pts[-2], pts[-1])
        b = Vector.vector_from_points(pts[0], pts[1])
        return (a.x * b.y - a.y * b.x == 0 and a.x * b.x + a.y * b.y > 0 and math.hypot(a.x, a.y) > epsilon
                and math.hypot(b.x, b.y) > epsilon)

    @staticmethod
    def _twice_area(coords):
        x0, y0 = coords[0]
        return sum((a[0] - x0) * (b[1] - y0) - (a[1] - y0) * (b[0] - x0) for a, b in zip(coords[1:], coords[2:]))

    @staticmethod
    def _runs_along(q, first, coords):
        """Each edge of q from edge `first` on runs its edge of coords' way."""
        return all((q[first + k + 1][0] - q[first + k][0]) * (coords[k + 1][0] - coords[k][0]) +
                   (q[first + k + 1][1] - q[first + k][1]) * (coords[k + 1][1] - coords[k][1]) > 0
                   for k in range(len(coords) - 1))

    @staticmethod
    def _crosses_itself(moved):
        """Two edges of the closed outline `moved` that are not neighbours meet."""
        n = len(moved) - 1
        for i in range(n):
            for j in range(i + 2, n):
                if i == 0 and j == n - 1:
                    continue
                if Segment(moved[i], moved[i + 1]).intersection_with_segment(Segment(moved[j], moved[j + 1])):
                    return True
        return False

    @staticmethod
    def _edgewise_holds(coords, distance, moved):
        """The edges of a closed outline moved one by one are its true
        offset: each runs its source edge's way, they do not cross each
        other, the outline keeps its orientation, and nothing they cut off
        crosses them (the overlaps at right turns)."""
        n = len(coords) - 1
        if len(moved) != n + 1 or not all(math.isfinite(p.x) and math.isfinite(p.y) for p in moved):
            return False
        q = [(p.x, p.y) for p in moved]
        if not Polyline._runs_along(q, 0, coords):
            return False
        if not Polyline._twice_area(coords) * Polyline._twice_area(q) > 0:
            return False
        if Polyline._crosses_itself(moved):
            return False
        e = pyref_offset_region._moved(coords, distance)
        obstacles = []
        for i in range(n):
            j = (i + 1) % n
            if pyref_offset_region._join(e[i], e[j]) != "vertex":
                continue
            # A right turn of at most a right angle between edges no shorter
            # than the moved ends reach past the vertex: its overlap lies in
            # both swept rectangles and cannot change the offset.
            sine = -(e[i][2][0] * e[j][2][1] - e[i][2][1] * e[j][2][0])
            shorter = min(math.dist(coords[i], coords[i + 1]), math.dist(coords[j], coords[j + 1]))
            if sine > 0 and e[i][2][0] * e[j][2][0] + e[i][2][1] * e[j][2][1] >= 0 and distance * sine <= shorter:
                continue
            x, v = q[i + 1], coords[i + 1]
            obstacles += [(a, b, (i, j)) for a, b in ((x, e[i][1]), (e[i][1], v), (v, e[j][0]), (e[j][0], x))]
        for i in range(n):
            edge = Segment(moved[i], moved[i + 1])
            for a, b, skip in obstacles:
                if i not in skip and edge.intersection_with_segment(Segment(Point(*a), Point(*b))):
                    return False
        return True

    @staticmethod
    def _lofted_strip_holds(coords, half_width, lofted):
        """The loft of a bar's two rails (the right side moved edge by edge,
        then the left side from the end back, closed) is its strip: each
        rail edge runs its source edge's way, the moved edges cross at every
        right turn of either side, so the strip's raw curve is the loft's own
        path, and the loft runs counter-clockwise without crossing itself."""
        n = len(coords) - 1
        if len(lofted) != 2 * n + 3 or not all(math.isfinite(p.x) and math.isfinite(p.y) for p in lofted):
            return False
        q = [(p.x, p.y) for p in lofted]
        if not (Polyline._runs_along(q, 0, coords) and Polyline._runs_along(q, n + 1, coords[::-1])):
            return False
        if any(pyref_offset_region.strip_side(side, half_width)[1] for side in (coords, coords[::-1])):
            return False
        return Polyline._twice_area(q) > 0 and not Polyline._crosses_itself(lofted)

    def unequal_offset(self, dis_lst):
        segments = self.segments
        if len(dis_lst) != len(segments):
            raise IndexError("Length of dis_lst does not match the number of segments in the polyline.")
        n = len(segments)
        lines = [segments[i].to_line().offset(dis_lst[i]) for i in range(n)]
        corners = []
        for i in range(n):
            p = Line.intersection_with_line(lines[i], lines[(i + 1) % n])
            if p is not None:
                corners.append(p)
            # Repair: lines of equal slope have no crossing; when they meet at
            # the moved shared vertex it is the corner, otherwise both moved
            # ends go in, so no corner is ever missing.
            elif lines[i].end == lines[(i + 1) % n].start:
                corners.append(lines[i].end)
            else:
                corners.append(lines[i].end)
                corners.append(lines[(i + 1) % n].start)
        return Polyline(corners).close()

    def find_discontinuity(self):
        # Repair: an exact repeat of the previous kept point drops alone (a
        # run ending the list keeps its last copy), and each remaining vertex
        # is judged against its neighbours once repeats are gone; judged
        # against its input neighbours, a repeated corner lost both copies.
        points = self.points
        last = points[-1]
        same = lambda a, b: a.x == b.x and a.y == b.y
        distinct = [points[0]]
        for p in points[1:-1]:
            if not same(p, distinct[-1]):
                distinct.append(p)
        if len(distinct) > 1 and same(last, distinct[-1]):
            distinct[-1] = last
        else:
            distinct.append(last)
        pts = [points[0]]
        for i in range(1, len(distinct) - 1):
            s1 = Segment(distinct[i - 1], distinct[i])
            s2 = Segment(distinct[i], distinct[i + 1])
            if s1.is_parallel(s2):
                continue
            pts.append(distinct[i])
        pts.append(last)
        return pts

    # ------------------------------------------ queries about a point

    def select_segment_containing_point(self, point):
        for segment in self.segments:
            if segment.is_point_on(point):
                return segment
        return None

    def select_segment_close_to_point(self, point):
        segments = self.segments
        if not segments:
            return None
        closest_segment = segments[0]
        closest_distance = closest_segment.distance_to_point(point)
        for segment in segments[1:]:
            distance = segment.distance_to_point(point)
            if distance < closest_distance:
                closest_segment = segment
                closest_distance = distance
        return closest_segment

    def tangent_at_point(self, point):
        segment = self.select_segment_containing_point(point)
        return None if segment is None else segment.vector

    def normal_at_point(self, point):
        segment = self.select_segment_containing_point(point)
        return None if segment is None else segment.normal

    def tangent_ray_at_point(self, point):
        segment = self.select_segment_containing_point(point)
        if segment is None:
            return None
        tangent_vector = segment.vector
        if tangent_vector.x == 0:
            direction = Vector(0, 1) if tangent_vector.y > 0 else Vector(0, -1)
        elif tangent_vector.y == 0:
            direction = Vector(1, 0) if tangent_vector.x > 0 else Vector(-1, 0)
        else:
            slope = tangent_vector.y / tangent_vector.x
            direction = Vector(1, slope) if tangent_vector.x > 0 else Vector(-1, -slope)
        return Ray(point, direction)

    def tangent_line_at_point(self, point):
        tangent_ray = self.tangent_ray_at_point(point)
        return None if tangent_ray is None else tangent_ray.to_line()

    def normal_ray_at_point(self, point):
        segment = self.select_segment_containing_point(point)
        if segment is None:
            return None
        return Ray(point, segment.normal)

    def normal_line_at_point(self, point):
        normal_ray = self.normal_ray_at_point(point)
        return None if normal_ray is None else normal_ray.to_line()

    def closest_point(self, point):
        closest_segment = self.select_segment_close_to_point(point)
        if closest_segment is not None:
            return closest_segment.closest_point(point)
        closest_point_on_polyline = self.points[0]
        closest_distance = closest_point_on_polyline.distance_to_point(point)
        for polyline_point in self.points[1:]:
            distance = polyline_point.distance_to_point(point)
            if distance < closest_distance:
                closest_point_on_polyline = polyline_point
                closest_distance = distance
        return closest_point_on_polyline

    def intersection(self, other):
        intersections = []
        if not isinstance(other, Polyline):
            for segment in self.segments:
                intersection = other.intersection_with_segment(segment)
                if intersection is not None and intersection not in intersections:
                    intersections.append(intersection)
        else:
            for segment in other.segments:
                for p in self.intersection(segment):
                    if p not in intersections:
                        intersections.append(p)
        return intersections

    # ---------------------------------------------------- containment

    def is_point_in_bound(self, point):
        min_x, min_y, max_x, max_y = self.bound
        if point.x < min_x:
            return False
        if point.x > max_x:
            return False
        if point.y < min_y:
            return False
        if point.y > max_y:
            return False
        return True

    def is_point_on(self, point):
        for segment in self.segments:
            if segment.is_point_on(point):
                return True
        return False

    def is_point_inside(self, point):
        if not self.is_point_in_bound(point):
            return False
        if self.is_point_on(point):
            return True
        # Repair: a vertex on the ray's line counts once where the outline
        # crosses that line and zero or two times where it only touches it:
        # an edge counts when one end lies strictly above the line and the
        # other on or below it (horizontal edges never count), and its
        # crossing with the ray's line lies no more than epsilon left of the
        # point.
        ahead = point + Vector(1, 0)
        crossings = 0
        for segment in self.segments:
            a, b = segment.start, segment.end
            if (a.y > point.y) == (b.y > point.y):
                continue
            p = Vector.intersection(a, b, point, ahead)
            if p is not None and p.x >= point.x - epsilon:
                crossings += 1
        return crossings % 2 == 1

    def is_segment_inside(self, segment):
        return self.is_point_inside(segment.start) and self.is_point_inside(segment.end)

    def is_polyline_inside(self, other_polyline):
        for point in self.points:
            if not other_polyline.is_point_inside(point):
                return False
        return True

    def contains_point(self, point):
        if not self.is_point_in_bound(point):
            return 0
        if self.is_point_on(point):
            return 2
        if self.is_point_inside(point):
            return 1
        return 0

    def contains_points(self, points):
        points_exterior, points_interior, points_boundary = [], [], []
        for point in points:
            if not self.is_point_in_bound(point):
                points_exterior.append(point)
            elif self.is_point_on(point):
                points_boundary.append(point)
            elif self.is_point_inside(point):
                points_interior.append(point)
            else:
                points_exterior.append(point)
        return (points_exterior, points_interior, points_boundary)

    def contains_segments(self, segments):
        segments_exterior, segments_interior = [], []
        for segment in segments:
            if self.is_segment_inside(segment):
                segments_interior.append(segment)
            else:
                segments_exterior.append(segment)
        return (segments_exterior, segments_interior)

    def contains_polylines(self, polylines):
        polylines_exterior, polylines_interior = [], []
        for polyline in polylines:
            # Repair: a polyline is interior when it lies inside the receiver
            # (the same direction as contains_points and contains_segments).
            if polyline.is_polyline_inside(self):
                polylines_interior.append(polyline)
            else:
                polylines_exterior.append(polyline)
        return (polylines_exterior, polylines_interior)

    # ------------------------------------------- positions along it

    def point_at_parameter(self, t):
        t = float(t)
        if t < 0 or t > 1:
            raise ValueError("Parameter value must be between 0 and 1.")
        total_length = self.length
        target_length = t * total_length
        current_length = 0
        for segment in self.segments:
            segment_length = segment.length
            if current_length + segment_length >= target_length:
                return segment.point_at_parameter((target_length - current_length) / segment_length)
            current_length += segment_length
        return self.end

    def point_at_length(self, length):
        length = float(length)
        if length < 0 or length > self.length:
            raise ValueError("Length must be between 0 and the total length of the Polyline.")
        current_length = 0
        for segment in self.segments:
            segment_length = segment.length
            if current_length + segment_length >= length:
                return segment.point_at_length(length - current_length)
            current_length += segment_length
        return self.end

    def evaluate_point(self, point, method="length"):
        if method != "length" and method != "parameter":
            raise ValueError("Method must be either 'length' or 'parameter'.")
        total_length = self.length
        current_length = 0
        for segment in self.segments:
            if segment.is_point_on(point):
                point_length = current_length + segment.start.distance_to_point(point)
                if method == "length":
                    return point_length
                return point_length / total_length
            current_length += segment.length
        return None

    def divide_by_count(self, count):
        if count < 2:
            raise ValueError("Number of points must be at least 2.")
        total_length = self.length
        step = total_length / count
        current_length = 0
        points = []
        for _ in range(count):
            points.append(self.point_at_length(current_length))
            current_length += step
        return points

    def divide_by_length(self, length):
        length = float(length)
        if length <= 0:
            raise ValueError("Length must be greater than 0.")
        total_length = self.length
        current_length = 0
        points = []
        while current_length <= total_length:
            points.append(self.point_at_length(current_length))
            current_length += length
        return points

    # --------------------------------------- joining and reshaping

    @staticmethod
    def join(segments, ordered=False):
        return Polyline(Segment.extract_nodes_from_segments(segments, ordered=ordered))

    def loft(self, other_polyline):
        return Polyline(self.points + other_polyline.points).close()

    def tween(self, other_polyline, t):
        t = float(t)
        if len(self.points) != len(other_polyline.points):
            raise ValueError("Polyline objects must have the same number of points.")
        return Polyline([self.points[j].tween(other_polyline.points[j], t) for j in range(len(self.points))])

    def extend(self, length):
        length = float(length)
        if length <= 0:
            raise ValueError("Length must be greater than 0.")
        last_segment = self.segments[-1]
        last_point = last_segment.end
        new_point = last_point + last_segment.vector.unit_vector * length
        new_segments = self.segments + [Segment(last_point, new_point)]
        return Polyline(Segment.extract_nodes_from_segments(new_segments, ordered=True))

    def shorten(self, length):
        length = float(length)
        if length <= 0:
            raise ValueError("Length must be greater than 0.")
        total_length = self.length
        if length >= total_length:
            raise ValueError("Length must be less than the total length of the Polyline.")
        current_length = 0
        new_segments = []
        for segment in self.segments:
            segment_length = segment.length
            if current_length + segment_length >= length:
                new_segments.append(Segment(segment.start, segment.point_at_length(length - current_length)))
                break
            new_segments.append(segment)
            current_length += segment_length
        return Polyline.join(new_segments, ordered=True)

    def adjust_length(self, length):
        length = float(length)
        if length > 0:
            return self.extend(length)
        if length < 0:
            # Repair: a negative length takes its magnitude off the total
            # length (the result is total - |length| long).
            total_length = self.length
            if abs(length) >= total_length:
                raise ValueError("Length must be less than the total length of the Polyline.")
            return self.shorten(total_length - abs(length))
        return self

    def move(self, vector):
        return Polyline([point + vector for point in self.points])

    def rotate(self, angle, point):
        angle = float(angle)
        return Polyline([p.rotate(angle, point) for p in self.points])

    # ------------------------------------------------------- breaking

    def break_by_point(self, point):
        if not self.is_point_on(point):
            return self
        first, second = [], []
        cut = False
        for segment in self.segments:
            if cut:
                second.append(segment.end)
            elif segment.is_point_on(point):
                first += [segment.start, point]
                second += [point, segment.end]
                cut = True
            else:
                first.append(segment.start)
        return [Polyline(first), Polyline(second)]

    def break_by_points(self, points):
        points = list(points)
        if not any(self.is_point_on(point) for point in points):
            return self
        pieces = [self]
        for point in points:
            new_pieces = []
            for piece in pieces:
                result = piece.break_by_point(point)
                if isinstance(result, list):
                    new_pieces.extend(result)
                else:
                    new_pieces.append(result)
            pieces = new_pieces
        return pieces

    def break_by_parameter(self, t):
        t = float(t)
        if t <= 0 or t >= 1:
            return self
        total_length = self.length
        acc = 0
        first, second = [], []
        cut = False
        for segment in self.segments:
            if cut:
                second.append(segment.end)
                continue
            acc += segment.length
            if t <= acc / total_length:
                u = (t * total_length - (acc - segment.length)) / segment.length
                p = segment.point_at_parameter(u)
                first += [segment.start, p]
                second += [p, segment.end]
                cut = True
            else:
                first.append(segment.start)
        return [Polyline(first), Polyline(second)]

    def break_by_parameters(self, parameters):
        values = [float(v) for v in parameters]
        if any(not (0 < v < 1) for v in values):
            raise ValueError("All parameter values must be between 0 and 1.")
        # Repair: several values cut the whole polyline once each, at the
        # sorted distinct values, into k + 1 consecutive pieces; each cut is
        # the one break_by_parameter makes at that value.
        values = sorted(set(values))
        if not values:
            return [self]
        if len(values) == 1:
            return self.break_by_parameter(values[0])
        total_length = self.length
        segments = self.segments
        cuts = []  # (index of the cut segment, cut point), in order along it
        for t in values:
            acc = 0
            for i, segment in enumerate(segments):
                acc += segment.length
                if t <= acc / total_length:
                    u = (t * total_length - (acc - segment.length)) / segment.length
                    cuts.append((i, segment.point_at_parameter(u)))
                    break
        pieces = []
        current = [segments[0].start]
        last = 0
        for i, p in cuts:
            current += [segment.end for segment in segments[last:i]]
            current.append(p)
            pieces.append(Polyline(current))
            current = [p]
            last = i
        current += [segment.end for segment in segments[last:]]
        pieces.append(Polyline(current))
        return pieces

    def break_by_interval(self, interval):
        values = [float(v) for v in interval]
        if any(not (0 < v < 1) for v in values):
            raise ValueError("All parameter values must be between 0 and 1.")
        pieces = self.break_by_parameters(values)
        return (pieces[0], pieces[-1])

    def break_by_intervals(self, intervals):
        values = []
        for interval in intervals:
            values.extend(interval)
        pieces = self.break_by_parameters(sorted(set(values)))
        return pieces[0::2]

    def break_by_tuple(self, points):
        if not self.is_point_on(points[0]) and not self.is_point_on(points[1]):
            return self
        pieces = self.break_by_points([points[0], points[1]])
        if not isinstance(pieces, list) or len(pieces) != 3:
            return self
        return (pieces[0], pieces[1], pieces[2])

    def break_by_tuples(self, tuples):
        pieces = [self]
        for pair in tuples:
            new_pieces = []
            for piece in pieces:
                result = piece.break_by_tuple(pair)
                if isinstance(result, tuple):
                    new_pieces.extend(result)
                else:
                    new_pieces.append(result)
            pieces = new_pieces
        return pieces

    # ------------------------------------------ chamfers and fillets

    @staticmethod
    def chamfer_t(segment0=None, segment1=None, radius=None):
        angle = Vector.angle(segment0.vector, segment1.vector.reverse())
        with np.errstate(divide="ignore", invalid="ignore"):
            t = abs(radius / np.tan(0.5 * angle))
        if t > segment0.length / 2 or t > segment1.length / 2:
            t = min(segment0.length, segment1.length) / 2
        return float(t)

    @staticmethod
    def segment_chamfer(segment0=None, segment1=None, radius=None):
        t = Polyline.chamfer_t(segment0, segment1, radius)
        a = segment0.point_at_length(segment0.length - t)
        b = segment1.point_at_length(t)
        return Polyline([segment0.start, a, b, segment1.end])

    @staticmethod
    def segment_fillet(segment0=None, segment1=None, radius=None, number=None):
        t = Polyline.chamfer_t(segment0, segment1, radius)
        a = segment0.point_at_length(segment0.length - t)
        b = segment1.point_at_length(t)
        # The plain arcs live on the plain points of pyref_bowlet.
        d = segment0.vector
        arc = pyref_bowlet.Arc(start_point=pyref_bowlet.Point(a.x, a.y), end_point=pyref_bowlet.Point(b.x, b.y),
                               start_direction=pyref_bowlet.Vector(d.x, d.y))
        inner = [Point(p.x, p.y) for p in pyref_bowlet.Arc.arc_to_polyline(arc, number=number)]
        return Polyline([a] + inner + [b])

    @staticmethod
    def polyline_chamfer(polyline=None, radius=None):
        p = Polyline(polyline.find_discontinuity())
        segments = p.segments
        n = len(segments)
        if p.is_closed():
            corners, points = range(n), []
        else:
            corners, points = range(1, n), [p.start]
        for i in corners:
            t = Polyline.chamfer_t(segments[i - 1], segments[i], radius)
            points.append(segments[i - 1].point_at_length(segments[i - 1].length - t))
            points.append(segments[i].point_at_length(t))
        points.append(points[0] if p.is_closed() else p.end)
        return Polyline(points)

    @staticmethod
    def polyline_fillet(polyline=None, radius=None, number=None):
        p = Polyline(polyline.find_discontinuity())
        segments = p.segments
        n = len(segments)
        if p.is_closed():
            corners, points = range(n), []
        else:
            corners, points = range(1, n), [p.start]
        for i in corners:
            v0, v1 = segments[i - 1].vector, segments[i].vector
            # Repair: where the two segments run straight on (the start of a
            # closed outline in the middle of a side) there is no corner to
            # round; its two cut points go in, as the chamfer gives them.
            if Vector.cross_product(v0, v1) == 0 and Vector.dot_product(v0, v1) > 0:
                t = Polyline.chamfer_t(segments[i - 1], segments[i], radius)
                points.append(segments[i - 1].point_at_length(segments[i - 1].length - t))
                points.append(segments[i].point_at_length(t))
                continue
            points.extend(Polyline.segment_fillet(segments[i - 1], segments[i], radius=radius, number=number).points)
        points.append(points[0] if p.is_closed() else p.end)
        return Polyline(points)

    # ------------------------------------------------------------ plot

    @staticmethod
    def plot_polylines(polylines, name=None, show=True):
        fig, ax = plt.subplots()
        fig.gca().set_aspect("equal")
        for i, polyline in enumerate(polylines):
            x = [p.x for p in polyline.points]
            y = [p.y for p in polyline.points]
            label = name[i] if isinstance(name, list) else name
            ax.plot(x, y, color=np.random.rand(3), label=label)
        ax.legend()
        if show:
            plt.show()
