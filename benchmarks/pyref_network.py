"""Plain-Python lines of segments and the segment network, doing the steps
Strakel does: the slow, literal version that the tests compare with and the
benchmarks time.

Every rule is written the direct way, with its own minimal point, vector and
segment classes: all pairs are tested in the split and in the crossings of a
list, every adjacency scans every piece, and the knots are recomputed at
every walk.  It follows the collection's documented behaviour, including its
fixes:

* the crossing of two lines takes its y from the flatter line (on a steep
  one, slope * x loses it);
* a crossing parameter is measured along the segment it is filed under (a
  reversed copy files 1 - t, not t), and it is not re-tested on the segment;
* a walk that has not closed after 2 * len(segments) + 2 steps raises
  Exception("Walk does not close.");
* a dead end raises AttributeError before anything is marked;
* get_polygons raises Exception("Walk does not close.") when a loop walk
  that gave up no use leaves the marks (pieces in order, marks, directions)
  as they were after an earlier such walk: every later walk would repeat;
* the four walk attributes are reset to None whenever a walk ends, by an
  error too.

The knots come lowest first (by y, then x; points with a NaN last), which
fixes the tie-break of the lowest point.  `epsilon` is read at each use, so a
test may rebind it.
"""

import math

epsilon = float("1e-6")
TWO_PI = 2 * math.pi


# ------------------------------------------------------------ points

class Point:
    def __init__(self, x, y):
        self.x = float(x)
        self.y = float(y)

    def __eq__(self, other):
        return abs(self.x - other.x) <= epsilon and abs(self.y - other.y) <= epsilon

    def __hash__(self):
        return hash((self.x, self.y))

    def __round__(self, n):
        return Point(round(self.x, n), round(self.y, n))

    def __add__(self, v):
        return Point(self.x + float(v.x), self.y + float(v.y))

    def __repr__(self):
        return f"Point({self.x!r}, {self.y!r})"

    def distance_to_point(self, other):
        return math.sqrt((self.x - other.x) ** 2 + (self.y - other.y) ** 2)

    @staticmethod
    def is_less(a, b):
        dy, dx = a.y - b.y, a.x - b.x
        if abs(dy) <= epsilon:
            if abs(dx) <= epsilon:
                return False
            return dx < -epsilon
        return dy < -epsilon

    @staticmethod
    def get_min_point(points):
        held = points[0]
        for p in points[1:]:
            if Point.is_less(p, held):
                held = p
        return held

    @staticmethod
    def calculate_slope(p1, p2):
        if abs(p1.x - p2.x) <= epsilon:
            return None
        return (p2.y - p1.y) / (p2.x - p1.x)


class Vector:
    def __init__(self, x, y):
        self.x = float(x)
        self.y = float(y)

    @property
    def magnitude(self):
        return math.sqrt(math.pow(self.x, 2) + math.pow(self.y, 2))


def line_intersection(a, b, c, d):
    """Vector.intersection: the crossing of the infinite lines a-b and c-d."""
    s1, s2 = Point.calculate_slope(a, b), Point.calculate_slope(c, d)
    if s1 == s2:
        return None
    if s1 is None:
        x = a.x
        return Point(x, s2 * x + (c.y - s2 * c.x))
    if s2 is None:
        x = c.x
        return Point(x, s1 * x + (a.y - s1 * a.x))
    i1, i2 = a.y - s1 * a.x, c.y - s2 * c.x
    x = (i2 - i1) / (s1 - s2)
    # y from the flatter line: on a steep one, slope * x loses it.
    if abs(s1) > abs(s2):
        return Point(x, s2 * x + i2)
    return Point(x, s1 * x + i1)


def turn_key(v1, v2):
    """Vector.angle(v1, v2, polar=True, compare=True)."""
    m1, m2 = v1.magnitude, v2.magnitude
    if abs(m1) <= epsilon or abs(m2) <= epsilon:
        return None
    c = (v1.x * v2.x + v1.y * v2.y) / (m1 * m2)
    if 1 < c:
        c = 1
    elif -1 > c:
        c = -1
    a = math.acos(c)
    if v1.x * v2.y - v1.y * v2.x >= 0:
        return a
    return 1 / (a - TWO_PI)


# ------------------------------------------------------------ segments

class Segment:
    def __init__(self, start, end):
        self.start = start
        self.end = end

    def __eq__(self, other):
        return {self.start, self.end} == {other.start, other.end}

    def __hash__(self):
        return hash(Point((self.start.x + self.end.x) / 2, (self.start.y + self.end.y) / 2))

    def __repr__(self):
        return f"Segment({self.start!r}, {self.end!r})"

    @property
    def vector(self):
        return Vector(self.end.x - self.start.x, self.end.y - self.start.y)

    @property
    def length(self):
        return self.vector.magnitude

    def reverse(self):
        self.start, self.end = self.end, self.start

    @property
    def bound(self):
        return (min(self.start.x, self.end.x), max(self.start.x, self.end.x),
                min(self.start.y, self.end.y), max(self.start.y, self.end.y))

    def is_point_in_bound(self, p):
        min_x, max_x, min_y, max_y = self.bound
        if not (min_x - epsilon <= p.x <= max_x + epsilon):
            return False
        return min_y - epsilon <= p.y <= max_y + epsilon

    def intersection_with_segment(self, other):
        p = line_intersection(self.start, self.end, other.start, other.end)
        if p is None or not self.is_point_in_bound(p):
            return None
        return p if other.is_point_in_bound(p) else None

    def parameter_of_crossing(self, point):
        """parameter_at_point without the on-segment re-test."""
        length = self.length
        if abs(length) < epsilon:
            return 0
        return self.start.distance_to_point(point) / length

    def point_at_parameter(self, t):
        return Point(self.start.x + t * (self.end.x - self.start.x),
                     self.start.y + t * (self.end.y - self.start.y))

    @staticmethod
    def intersection_points(segments):
        points = []
        for i in range(len(segments)):
            for j in range(i + 1, len(segments)):
                p = segments[i].intersection_with_segment(segments[j])
                if p is not None:
                    points.append(p)
        return points


def knot_order(p):
    if math.isnan(p.x) or math.isnan(p.y):
        return (1, 0.0, 0.0)
    return (0, p.y, p.x)


# ------------------------------------------------------------ collection

class SegmentCollection:
    def __init__(self, segments):
        self.segments = segments
        self.dict = {}
        self.current_dir = None
        self.current_pt = None
        self.current_seg = None
        self.end_pt = None

    # -- points, weights, cleaning

    @property
    def endpoints(self):
        points = []
        for s in self.segments:
            points.append(s.start)
            points.append(s.end)
        return points

    @property
    def knots(self):
        unique = list(dict.fromkeys(self.endpoints))
        finite = [p for p in unique if knot_order(p)[0] == 0]
        with_nan = [p for p in unique if knot_order(p)[0] == 1]
        return sorted(finite, key=knot_order) + with_nan

    @staticmethod
    def create_weight_dict(points, segments):
        weights = {}
        for p in points:
            weights.setdefault(p, 0)
        for s in segments:
            weights[s.start] += 1
            weights[s.end] += 1
        return weights

    def clean_isolated_segments(self):
        w = self.create_weight_dict(self.endpoints, self.segments)
        isolated = [s for s in self.segments if w[s.start] == 1 and w[s.end] == 1]
        for s in reversed(isolated):
            self.segments.remove(s)

    def _clean_open_segments(self):
        w = self.create_weight_dict(self.endpoints, self.segments)
        open_segments = [s for s in self.segments if w[s.start] != 2 or w[s.end] != 2]
        for s in reversed(open_segments):
            self.segments.remove(s)

    def clean_open_segments(self):
        while True:
            before = len(self.segments)
            self._clean_open_segments()
            if len(self.segments) == before:
                return

    # -- split and turn rules

    def get_connections(self):
        table, keys = {}, {}
        segs = self.segments
        for i in range(len(segs)):
            for j in range(i + 1, len(segs)):
                l1, l2 = segs[i], segs[j]
                o = l1.intersection_with_segment(l2)
                if o is None:
                    continue
                for seg in (l1, l2):
                    key = keys.setdefault(seg, seg)
                    table.setdefault(key, []).append(round(key.parameter_of_crossing(o), 9))
        self.segments = []
        for key, ts in table.items():
            ts = sorted(set(ts))
            for t1, t2 in zip(ts, ts[1:]):
                piece = Segment(key.point_at_parameter(t1), key.point_at_parameter(t2))
                self.dict[piece] = 1
                self.segments.append(piece)

    def get_adjacent_segments(self, point):
        adjacent = []
        for s in self.segments:
            if self.current_seg is not None and s == self.current_seg:
                continue
            if round(point, 3) == round(s.start, 3) or round(point, 3) == round(s.end, 3):
                adjacent.append(s)
        return adjacent

    @staticmethod
    def set_direction_by_point(segments, point):
        for s in segments:
            if s.start.distance_to_point(point) > s.end.distance_to_point(point):
                s.reverse()
        return segments

    @staticmethod
    def get_right_segment(segments, vector):
        held, nearest = math.inf, None
        for s in segments:
            key = turn_key(vector, s.vector)
            if key - held < epsilon:
                held, nearest = key, s
        return nearest

    @staticmethod
    def get_left_segment(segments, vector):
        held, farthest = -math.inf, None
        for s in segments:
            key = turn_key(vector, s.vector)
            if key - held > epsilon:
                held, farthest = key, s
        return farthest

    # -- walks

    def _walk(self, contour, split, clean):
        walked = []
        try:
            self.current_dir = Vector(1, 0)
            if split is True:
                self.get_connections()
            if clean is True:
                self.clean_open_segments()
            bottom = Point.get_min_point(self.knots)
            self.end_pt = bottom
            self.current_pt = bottom
            max_steps = 2 * len(self.segments) + 2
            while True:
                if len(walked) >= max_steps:
                    raise Exception("Walk does not close.")
                adjacent = self.set_direction_by_point(self.get_adjacent_segments(self.current_pt),
                                                       self.current_pt)
                if contour or self.current_pt == bottom:
                    seg = self.get_right_segment(adjacent, self.current_dir)
                else:
                    seg = self.get_left_segment(adjacent, self.current_dir)
                if seg is None:
                    raise AttributeError("'NoneType' object has no attribute 'vector'")
                self.current_seg = seg
                walked.append(seg)
                if contour:
                    self.dict[seg] = 0
                elif seg in self.dict and self.dict[seg] == 0:
                    del self.dict[seg]
                else:
                    self.dict[seg] = 0
                self.current_dir = seg.vector
                self.current_pt = self.current_pt + self.current_dir
                if round(self.current_pt, 3) == round(bottom, 3):
                    return walked
        finally:
            self.current_dir = self.current_pt = self.current_seg = self.end_pt = None

    def get_contour_segments(self, split=True, clean=False):
        return self._walk(True, split, clean)

    def get_loop_segments(self, split=False, clean=False):
        return self._walk(False, split, clean)

    def _uses_left(self):
        return sum(1 if v == 0 else 2 for v in self.dict.values())

    def _marks_state(self):
        return [(id(k), id(v), k.start.x, k.start.y) for k, v in self.dict.items()]

    def get_polygons(self, split=True, clean=False):
        polygons = []
        self.get_contour_segments(split=split)
        stalled = []
        while self.dict:
            before = self._uses_left()
            loop = self.get_loop_segments()
            if self._uses_left() < before:
                stalled = []
            else:
                state = self._marks_state()
                if state in stalled:
                    raise Exception("Walk does not close.")
                stalled.append(state)
            self.segments = list(self.dict.keys())
            polygons.append(loop)
        return polygons


def segments_of(coords):
    """Segments from ((x1, y1), (x2, y2)) pairs."""
    return [Segment(Point(*a), Point(*b)) for a, b in coords]
