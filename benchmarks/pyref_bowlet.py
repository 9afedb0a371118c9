"""Plain-Python circles and arcs doing exactly the steps Bowlet does, on
plain-Python points, vectors, lines and segments.

The benchmark times our compiled operations against these in the same
process. They are written the way a careful Python programmer would write
the same rules: numpy's trigonometry on scalars where the rules ask for it,
no caching, no shortcuts. Only what the timed cases reach is here."""

import math

import numpy as np

epsilon = float("1e-6")


class Point:
    def __init__(self, x, y):
        self.x = float(x)
        self.y = float(y)

    def __repr__(self):
        return "Point(" + format(self.x, "") + ", " + format(self.y, "") + ")"

    def __eq__(self, other):
        sx, sy, ox, oy = self.x, self.y, other.x, other.y
        return abs(sx - ox) <= epsilon and abs(sy - oy) <= epsilon

    def __hash__(self):
        return hash((self.x, self.y))

    def __add__(self, other):
        return Point(self.x + float(other.x), self.y + float(other.y))

    def distance_to_point(self, other):
        return math.sqrt((self.x - other.x) ** 2.0 + (self.y - other.y) ** 2.0)

    def tween(self, point2, t):
        t = float(t)
        return Point(self.x + (point2.x - self.x) * t, self.y + (point2.y - self.y) * t)

    @staticmethod
    def calculate_slope(point1, point2):
        if abs(point1.x - point2.x) <= epsilon:
            return None
        return (point2.y - point1.y) / (point2.x - point1.x)


class Vector:
    def __init__(self, x, y):
        self.x = float(x)
        self.y = float(y)

    def __mul__(self, other):
        other = float(other)
        return Vector(self.x * other, self.y * other)

    @property
    def magnitude(self):
        return math.sqrt(math.pow(self.x, 2) + math.pow(self.y, 2))

    @property
    def unit_vector(self):
        m = self.magnitude
        if abs(m) <= epsilon:
            return self
        return Vector(self.x / m, self.y / m)

    def rotate(self, angle):
        c, s = np.cos(angle), np.sin(angle)
        return Vector(float(self.x * c - self.y * s), float(self.x * s + self.y * c))

    @staticmethod
    def vector_from_points(point1, point2):
        return Vector(point2.x - point1.x, point2.y - point1.y)

    @staticmethod
    def cross_product(vector1, vector2):
        return vector1.x * vector2.y - vector1.y * vector2.x

    @staticmethod
    def cos(vector1, vector2):
        m1, m2 = vector1.magnitude, vector2.magnitude
        if abs(m1) <= epsilon or abs(m2) <= epsilon:
            return None
        c = (vector1.x * vector2.x + vector1.y * vector2.y) / (m1 * m2)
        if c > 1:
            c = 1
        if c < -1:
            c = -1
        return c

    @staticmethod
    def angle(vector1, vector2, polar=True, compare=False):
        c = Vector.cos(vector1, vector2)
        if c is None:
            return None
        a = np.arccos(c)
        if polar is False:
            return a
        if Vector.cross_product(vector1, vector2) >= 0:
            return a
        if compare is True:
            return 1 / (a - 2 * math.pi)
        return 2 * np.pi - a

    @staticmethod
    def is_clockwise(point1, point2, point3):
        v1 = Vector.vector_from_points(point1, point2)
        v2 = Vector.vector_from_points(point2, point3)
        return Vector.cross_product(v1, v2) < 0


class Line:
    def __init__(self, start, end):
        self.start = start
        self.end = end


class Segment(Line):
    def to_line(self):
        return Line(self.start, self.end)

    def is_point_in_bound(self, point):
        min_x, max_x = min(self.start.x, self.end.x), max(self.start.x, self.end.x)
        min_y, max_y = min(self.start.y, self.end.y), max(self.start.y, self.end.y)
        return (min_x - epsilon <= point.x <= max_x + epsilon) and (min_y - epsilon <= point.y <= max_y + epsilon)


class Circle:
    def __init__(self, input_a=None, input_b=None, input_c=None):
        if isinstance(input_a, Point) and isinstance(input_b, (int, float)):
            self.center = input_a
            self.radius = input_b
        elif isinstance(input_a, Point) and isinstance(input_b, Point) and isinstance(input_c, Point):
            self.center, self.radius = self.find_circle(input_a, input_b, input_c)
        else:
            raise Exception("Check three circle inputs!")

    @staticmethod
    def find_circle(input_a, input_b, input_c):
        slope_a = Point.calculate_slope(input_a, input_b)
        slope_b = Point.calculate_slope(input_b, input_c)
        if slope_a is None and slope_b is None:
            raise Exception("Three points collinear!")
        if slope_a is not None and slope_b is not None and slope_a == slope_b:
            raise Exception("Three points collinear!")
        mid_a = input_a.tween(input_b, 0.5)
        mid_b = input_b.tween(input_c, 0.5)

        def bisector(slope):
            if slope == 0:
                return None
            if slope is not None:
                return -1 / slope
            return 0
        pa, pb = bisector(slope_a), bisector(slope_b)
        if pa is None:
            x = mid_a.x
            y = pb * (x - mid_b.x) + mid_b.y
        elif pb is None:
            x = mid_b.x
            y = pa * (x - mid_a.x) + mid_a.y
        else:
            x = (pa * mid_a.x - pb * mid_b.x + mid_b.y - mid_a.y) / (pa - pb)
            y = pa * (x - mid_a.x) + mid_a.y
        radius = ((input_a.x - x) ** 2 + (input_a.y - y) ** 2) ** 0.5
        return Point(x, y), radius

    def point_at_radians(self, radians=None):
        vec = Vector(self.radius, 0).rotate(radians)
        return self.center + vec

    def is_point_on_circle(self, point=None):
        dis = self.center.distance_to_point(point)
        return math.isclose(dis, self.radius, rel_tol=0.001)

    def evaluate_point_radians(self, point=None):
        if not self.is_point_on_circle(point):
            raise Exception("Given point is not on the circle!")
        raw = Vector(self.radius, 0)
        vec = Vector.vector_from_points(self.center, point)
        return Vector.angle(raw, vec)

    @staticmethod
    def _crossings(x1, y1, x2, y2, r):
        """The crossings of the line (x1, y1)-(x2, y2) with a circle of radius
        r about the origin: None, one (x, y) or a pair."""
        cx, cy = 0.0, 0.0
        dx, dy = x2 - x1, y2 - y1
        a = dx ** 2 + dy ** 2
        b = 2 * (dx * (x1 - cx) + dy * (y1 - cy))
        c = cx ** 2 + cy ** 2 + x1 ** 2 + y1 ** 2 - 2 * (cx * x1 + cy * y1) - r ** 2
        disc = b ** 2 - 4 * a * c
        if disc < 0:
            return None
        if disc == 0:
            t = -b / (2 * a)
            return (x1 + t * dx, y1 + t * dy)
        sqrt_disc = math.sqrt(disc)
        t1 = (-b + sqrt_disc) / (2 * a)
        t2 = (-b - sqrt_disc) / (2 * a)
        return ((x1 + t1 * dx, y1 + t1 * dy), (x1 + t2 * dx, y1 + t2 * dy))

    def with_line_intersection(self, line):
        # Repair: the quadratic is taken about the centre, so a circle drawn
        # at site coordinates keeps its digits; the centre is added back.
        cx, cy = self.center.x, self.center.y
        found = Circle._crossings(line.start.x - cx, line.start.y - cy, line.end.x - cx, line.end.y - cy,
                                  self.radius)
        if found is None:
            return None
        if isinstance(found[0], float):
            return Point(found[0] + cx, found[1] + cy)
        return tuple(Point(x + cx, y + cy) for x, y in found)

    def with_segment_intersection(self, segment):
        # Repair: crossings and the bound test about the centre.
        cx, cy = self.center.x, self.center.y
        x1, y1, x2, y2 = segment.start.x - cx, segment.start.y - cy, segment.end.x - cx, segment.end.y - cy
        found = Circle._crossings(x1, y1, x2, y2, self.radius)
        if found is None:
            return None
        e = epsilon
        kept = [(x + cx, y + cy) for x, y in ([found] if isinstance(found[0], float) else found)
                if min(x1, x2) - e <= x <= max(x1, x2) + e and min(y1, y2) - e <= y <= max(y1, y2) + e]
        if not kept:
            return None
        if len(kept) == 1:
            return Point(*kept[0])
        return [Point(*p) for p in kept]

    @staticmethod
    def circle_intersection(circle_1, circle_2):
        x1, y1, r1 = circle_1.center.x, circle_1.center.y, circle_1.radius
        x2, y2, r2 = circle_2.center.x, circle_2.center.y, circle_2.radius
        d = math.sqrt((x2 - x1) ** 2 + (y2 - y1) ** 2)
        if d > r1 + r2:
            return None
        if d < abs(r1 - r2):
            return None
        if d == 0 and r1 == r2:
            return None
        a = (r1 ** 2 - r2 ** 2 + d ** 2) / (2 * d)
        h = math.sqrt(max(r1 ** 2 - a ** 2, 0.0))
        x3 = x1 + a * (x2 - x1) / d
        y3 = y1 + a * (y2 - y1) / d
        x4 = x3 + h * (y2 - y1) / d
        y4 = y3 - h * (x2 - x1) / d
        x5 = x3 - h * (y2 - y1) / d
        y5 = y3 + h * (x2 - x1) / d
        return (Point(x4, y4), Point(x5, y5))


class Arc:
    def __init__(self, center=None, radius=None, radians=None, start_radians=None,
                 start_point=None, end_point=None, arc_point=None, start_direction=None):
        if center is not None and radius is not None and start_radians is not None and radians is not None:
            self.center = center
            self.radius = radius
            self.circle = Circle(center, radius)
            self.start_radians = start_radians
            self.end_radians = start_radians + radians
            self.wise = 0 if radians < 0 else 1
            self._normalise()
            self.start_point = self.circle.point_at_radians(self.start_radians)
            self.end_point = self.circle.point_at_radians(self.end_radians)
        elif start_point is not None and end_point is not None and arc_point is not None:
            if start_point == end_point or start_point == arc_point or end_point == arc_point:
                raise Exception("equal point existing")
            self.circle = Circle(start_point, arc_point, end_point)
            self.center = self.circle.center
            self.radius = self.circle.radius
            self.start_point = start_point
            self.end_point = end_point
            self.start_radians = self.circle.evaluate_point_radians(start_point)
            self.end_radians = self.circle.evaluate_point_radians(end_point)
            self.wise = 0 if Vector.is_clockwise(start_point, arc_point, end_point) else 1
            self._normalise()
        elif start_point is not None and end_point is not None and start_direction is not None:
            if start_point == end_point:
                raise Exception("start_point == end_point")
            vector = Vector.vector_from_points(start_point, end_point)
            alpha = Vector.angle(start_direction, vector)
            if 0.5 * np.pi < alpha < 1.5 * np.pi:
                theta = alpha - 0.5 * np.pi
            elif np.isclose(alpha, 0.5 * np.pi, rtol=1e-4) or np.isclose(alpha, 1.5 * np.pi, rtol=1e-4):
                theta = 0
            else:
                theta = 0.5 * np.pi - alpha
            if 0 < alpha < np.pi:
                tangent = start_direction.unit_vector.rotate(0.5 * np.pi)
            elif np.pi < alpha < 2 * np.pi:
                tangent = start_direction.unit_vector.rotate(-0.5 * np.pi)
            else:
                raise Exception("can't get a circle with this direction")
            radius = vector.magnitude / abs(2 * np.cos(theta))
            self.radius = radius
            self.center = start_point + tangent * radius
            self.circle = Circle(self.center, self.radius)
            self.start_point = start_point
            self.end_point = end_point
            self.start_radians = self.circle.evaluate_point_radians(start_point)
            self.end_radians = self.circle.evaluate_point_radians(end_point)
            to_center = Vector.vector_from_points(start_point, self.center)
            self.wise = 0 if Vector.angle(start_direction, to_center) > np.pi else 1
            self._normalise()

    def _normalise(self):
        if self.wise == 0 and self.end_radians > self.start_radians:
            self.end_radians -= 2 * math.pi
        elif self.wise == 1 and self.end_radians < self.start_radians:
            self.start_radians -= 2 * math.pi

    @property
    def radians(self):
        return self.end_radians - self.start_radians

    @property
    def length(self):
        return self.radius * abs(self.radians)

    def point_at_parameter(self, parameter=None):
        radians = self.radians * parameter
        vec = Vector(self.radius, 0).rotate(self.start_radians + radians)
        return self.center + vec

    @staticmethod
    def arc_to_polyline(arc=None, number=None, length=None):
        if number is None:
            if length is None:
                raise Exception("No number and no length given!")
            number = round(length / arc.length)
        if number < 2:
            number = 2
        number = number + 1
        points = []
        for i in range(1, number):
            points.append(arc.point_at_parameter(i / number))
        return points
