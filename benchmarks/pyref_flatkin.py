"""Plain-Python points and vectors doing exactly the steps Flatkin does.

The benchmark times our compiled operations against these in the same
process. They are written the way a careful Python programmer would write
the same rules: no tricks, no caching, the literal loops."""

import math

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

    def __add__(self, other):
        return Vector(self.x + other.x, self.y + other.y)

    def __sub__(self, other):
        return Vector(self.x - other.x, self.y - other.y)

    def __mul__(self, other):
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
