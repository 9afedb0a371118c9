"""Plain-Python points and vectors doing exactly the steps Flatkin does.

The benchmark times our compiled operations against these in the same
process. They are written the way a careful Python programmer would write
the same rules: no tricks, no caching, the literal loops."""

import math

import numpy as np

epsilon = float("1e-6")


class Point:
    def __init__(self, x, y):
        self.x = float(x)
        self.y = float(y)

    def __repr__(self):
        return "Point(" + format(self.x, "") + ", " + format(self.y, "") + ")"

    def __hash__(self):
        return hash((self.x, self.y))

    def __eq__(self, other):
        sx, sy, ox, oy = self.x, self.y, other.x, other.y
        return abs(sx - ox) <= epsilon and abs(sy - oy) <= epsilon

    def __add__(self, other):
        return Point(self.x + float(other.x), self.y + float(other.y))

    def __sub__(self, other):
        return Vector(self.x - float(other.x), self.y - float(other.y))

    @staticmethod
    def calculate_slope(point1, point2):
        if abs(point1.x - point2.x) <= epsilon:
            return None
        return (point2.y - point1.y) / (point2.x - point1.x)

    def is_equal(self, other):
        sx, sy, ox, oy = self.x, self.y, other.x, other.y
        return abs(sx - ox) <= epsilon and abs(sy - oy) <= epsilon

    def is_greater(self, other):
        if abs(self.y - other.y) <= epsilon:
            if abs(self.x - other.x) <= epsilon:
                return False
            return (self.x - other.x) > epsilon
        return (self.y - other.y) > epsilon

    def is_less(self, other):
        if abs(self.y - other.y) <= epsilon:
            if abs(self.x - other.x) <= epsilon:
                return False
            return (self.x - other.x) < -epsilon
        return (self.y - other.y) < -epsilon

    def distance_to_point(self, other):
        return math.sqrt((self.x - other.x) ** 2.0 + (self.y - other.y) ** 2.0)

    @staticmethod
    def find_nearest_point(target_point, points):
        nearest_point = points[0]
        min_distance = Point.distance_to_point(target_point, nearest_point)
        for point in points[1:]:
            distance = Point.distance_to_point(target_point, point)
            if distance < min_distance:
                nearest_point = point
                min_distance = distance
        return nearest_point

    @staticmethod
    def remove_duplicate_points(points):
        unique_points = []
        for point in points:
            if not any(Point.is_equal(point, q) for q in unique_points):
                unique_points.append(point)
        return unique_points

    @staticmethod
    def get_min_point(points):
        min_point = points[0]
        for point in points[1:]:
            if Point.is_less(point, min_point):
                min_point = point
        return min_point

    @staticmethod
    def find_center(points):
        return Point(sum([p.x for p in points]) / len(points), sum([p.y for p in points]) / len(points))

    def rotate(self, angle, center):
        angle = float(angle)
        v = Vector(self.x - center.x, self.y - center.y)
        c, s = np.cos(angle), np.sin(angle)
        return Point(float(c * v.x - s * v.y) + center.x, float(s * v.x + c * v.y) + center.y)

    def tween(self, point2, t):
        t = float(t)
        return Point(self.x + (point2.x - self.x) * t, self.y + (point2.y - self.y) * t)

    @staticmethod
    def find_nearest_two_points(points):
        min_distance = float("inf")
        first = second = None
        for i, p in enumerate(points):
            for q in points[i + 1:]:
                d = Point.distance_to_point(p, q)
                if d < min_distance:
                    min_distance, first, second = d, p, q
        return (first, second)


class Vector:
    def __init__(self, x, y):
        self.x = float(x)
        self.y = float(y)

    def __repr__(self):
        return "Vector(" + format(self.x, "") + ", " + format(self.y, "") + ")"

    def __eq__(self, other):
        return abs(self.x - other.x) <= epsilon and abs(self.y - other.y) <= epsilon

    def __hash__(self):
        return hash((self.x, self.y))

    def __add__(self, other):
        return Vector(self.x + other.x, self.y + other.y)

    def __sub__(self, other):
        return Vector(self.x - other.x, self.y - other.y)

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

    def reverse(self):
        return Vector(-self.x, -self.y)

    def rotate(self, angle):
        c, s = np.cos(angle), np.sin(angle)
        return Vector(float(c * self.x - s * self.y), float(s * self.x + c * self.y))

    @staticmethod
    def vector_from_points(point1, point2):
        return Vector(point2.x - point1.x, point2.y - point1.y)

    @staticmethod
    def dot_product(vector1, vector2):
        return vector1.x * vector2.x + vector1.y * vector2.y

    @staticmethod
    def cross_product(vector1, vector2):
        return vector1.x * vector2.y - vector1.y * vector2.x

    @staticmethod
    def cos(vector1, vector2):
        m1, m2 = vector1.magnitude, vector2.magnitude
        if abs(m1) <= epsilon or abs(m2) <= epsilon:
            return None
        c = Vector.dot_product(vector1, vector2) / (m1 * m2)
        if c > 1:
            c = 1
        if c < -1:
            c = -1
        return c

    @staticmethod
    def angle(vector1, vector2):
        """The counter-clockwise turn from vector1 to vector2 in [0, 2 pi]."""
        c = Vector.cos(vector1, vector2)
        if c is None:
            return None
        a = float(np.arccos(c))
        if Vector.cross_product(vector1, vector2) >= 0:
            return a
        return math.pi * 2 - a

    @staticmethod
    def area_of_triangle(point1, point2, point3):
        return Vector.cross_product(Vector.vector_from_points(point1, point2),
                                    Vector.vector_from_points(point1, point3)) / 2

    @staticmethod
    def relative_position(a, b, c):
        k = Vector.cross_product(Vector.vector_from_points(a, b), Vector.vector_from_points(a, c))
        if k > 0:
            return 0
        if k < 0:
            return 1
        return 2

    @staticmethod
    def intersection(a, b, c, d):
        """The crossing Point of the infinite lines a-b and c-d, or None."""
        slope1 = Point.calculate_slope(a, b)
        slope2 = Point.calculate_slope(c, d)
        if slope1 == slope2:
            return None
        if slope1 is None:
            x = a.x
            y = slope2 * x + (c.y - slope2 * c.x)
        elif slope2 is None:
            x = c.x
            y = slope1 * x + (a.y - slope1 * a.x)
        else:
            intercept1 = a.y - slope1 * a.x
            intercept2 = c.y - slope2 * c.x
            x = (intercept2 - intercept1) / (slope1 - slope2)
            # y from the flatter line: on a steep one, slope * x loses it.
            if abs(slope1) > abs(slope2):
                y = slope2 * x + intercept2
            else:
                y = slope1 * x + intercept1
        return Point(x, y)
