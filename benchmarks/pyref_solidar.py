"""Plain-Python solid points, vectors, façade surfaces, planes and meshes doing
exactly the steps Solidar does.

The benchmark times our compiled operations against these in the same
process, and the tests take them as the reference of Solidar's results. They
are written the way a careful Python programmer would write the same rules:
the literal loops, numpy and pyvista called step by step, no caching.

Where Solidar mends a fault of the rules it follows, the mend is here too,
marked by a comment that starts with "Mend:".
"""

import math
from typing import List, Optional, Tuple  # noqa: F401

import matplotlib
import numpy as np
import pyvista as pv
from matplotlib import pyplot as plt

from Flatkin import Point

epsilon = float("1e-6")
BIM_HEIGHTS = [0, 6.5, 11, 15.5]
BIM_FLOOR_HEIGHTS = [0, 6.5, 4.5, 4.5, 4.5, 4.5, 4.5, 4.5]
BIM_UNIT_WIDTH = 8.4

_RANGE = (-10, 10)


def _double(value):
    """A parameter declared as a float: numbers only (text raises TypeError)."""
    if isinstance(value, (str, bytes, bytearray)):
        raise TypeError(f"must be real number, not {type(value).__name__}")
    return float(value)


def _text(value):
    """A part of a text form: text as it is, anything else formatted."""
    return value if isinstance(value, str) else format(value, "")


def _clamp(value):
    """Clamp to [-1, 1]; a clamped value comes back as the int 1 or -1."""
    if 1 < value:
        value = 1
    if -1 > value:
        value = -1
    return value


def _label(_type):
    return str(_type[0]) + "," + str(_type[1])


def _column_label(i, count):
    # The first test wins: a single column is the first one.
    return -1 if i == 0 else (1 if i == count - 1 else 0)


# ------------------------------------------------------------------- Point3d

class Point3d:
    def __init__(self, x, y, z):
        self.x = _double(x)
        self.y = _double(y)
        self.z = _double(z)

    def __repr__(self):
        return "Point3d(" + _text(self.x) + ", " + _text(self.y) + ", " + _text(self.z) + ")"

    def __hash__(self):
        return hash((self.x, self.y, self.z))

    def __eq__(self, other):
        sx, sy, sz, ox, oy, oz = self.x, self.y, self.z, other.x, other.y, other.z
        return abs(sx - ox) <= epsilon and abs(sy - oy) <= epsilon and abs(sz - oz) <= epsilon

    def __round__(self, n=2):
        return Point3d(round(self.x, n), round(self.y, n), round(self.z, n))

    def __add__(self, other):
        return Point3d(self.x + float(other.x), self.y + float(other.y), self.z + float(other.z))

    def __sub__(self, other):
        return Vector3d(self.x - float(other.x), self.y - float(other.y), self.z - float(other.z))

    def is_equal(self, other):
        sx, sy, sz, ox, oy, oz = self.x, self.y, self.z, other.x, other.y, other.z
        return abs(sx - ox) <= epsilon and abs(sy - oy) <= epsilon and abs(sz - oz) <= epsilon

    def is_greater(self, other):
        if abs(self.y - other.y) <= epsilon:
            if abs(self.x - other.x) <= epsilon:
                if abs(self.z - other.z) <= epsilon:
                    return False
                return self.z - other.z > epsilon
            return self.x - other.x > epsilon
        return self.y - other.y > epsilon

    def is_less(self, other):
        if abs(self.y - other.y) <= epsilon:
            if abs(self.x - other.x) <= epsilon:
                if abs(self.z - other.z) <= epsilon:
                    return False
                return self.z - other.z < -epsilon
            return self.x - other.x < -epsilon
        return self.y - other.y < -epsilon

    def distance_to_point(self, other):
        return math.sqrt((self.x - other.x) ** 2 + (self.y - other.y) ** 2 + (self.z - other.z) ** 2)

    @staticmethod
    def find_nearest_point(target_point, points):
        nearest_point = points[0]
        min_distance = Point3d.distance_to_point(target_point, points[0])
        for point in points[1:]:
            distance = Point3d.distance_to_point(target_point, point)
            if distance < min_distance:
                min_distance = distance
                nearest_point = point
        return nearest_point

    @staticmethod
    def find_farthest_point(target_point, points):
        farthest_point = points[0]
        max_distance = Point3d.distance_to_point(target_point, points[0])
        for point in points[1:]:
            distance = Point3d.distance_to_point(target_point, point)
            if distance > max_distance:
                max_distance = distance
                farthest_point = point
        return farthest_point

    @staticmethod
    def remove_duplicate_points(points, /):
        unique_points = []
        for point in points:
            is_duplicate = False
            for kept in unique_points:
                if Point3d.is_equal(point, kept):
                    is_duplicate = True
                    break
            if not is_duplicate:
                unique_points.append(point)
        return unique_points

    @staticmethod
    def select_unique_points(points, /):
        unique_points = []
        for point in points:
            if points.count(point) == 1:
                unique_points.append(point)
        return unique_points

    @staticmethod
    def count_point_occurrences(target_point, points):
        count = 0
        for point in points:
            if Point3d.is_equal(target_point, point):
                count += 1
        return count

    @staticmethod
    def is_has_duplicate_points(points, /):
        for i in range(len(points)):
            point1 = points[i]
            for point2 in points[i + 1:]:
                if Point3d.is_equal(point1, point2):
                    return True
        return False

    @staticmethod
    def is_has_same_point(target_point, points):
        for point in points:
            if Point3d.is_equal(target_point, point):
                return True
        return False

    @staticmethod
    def zero():
        return Point3d(0, 0, 0)

    @staticmethod
    def get_min_point(points, /):
        min_point = points[0]
        for point in points[1:]:
            if Point3d.is_less(point, min_point):
                min_point = point
        return min_point

    @staticmethod
    def get_min_point_id(points, /):
        min_point_id = 0
        min_point = points[min_point_id]
        for i, point in enumerate(points[1:], 1):
            if Point3d.is_less(point, min_point):
                min_point_id = i
                min_point = point
        return min_point_id

    @staticmethod
    def get_max_point(points, /):
        max_point = points[0]
        for point in points[1:]:
            if Point3d.is_greater(point, max_point):
                max_point = point
        return max_point

    @staticmethod
    def get_max_point_id(points, /):
        max_point_id = 0
        max_point = points[max_point_id]
        for i, point in enumerate(points[1:], 1):
            if Point3d.is_greater(point, max_point):
                max_point_id = i
                max_point = point
        return max_point_id

    @staticmethod
    def generate_random_points(num_points, x_range=_RANGE, y_range=_RANGE, z_range=_RANGE):
        return [Point3d(np.random.uniform(x_range[0], x_range[1]),
                        np.random.uniform(y_range[0], y_range[1]),
                        np.random.uniform(z_range[0], z_range[1])) for _ in range(num_points)]

    @staticmethod
    def find_nearest_two_points(points, /):
        min_distance = float("inf")
        nearest_point1 = None
        nearest_point2 = None
        for i in range(len(points)):
            point1 = points[i]
            for point2 in points[i + 1:]:
                distance = Point3d.distance_to_point(point1, point2)
                if distance < min_distance:
                    min_distance = distance
                    nearest_point1 = point1
                    nearest_point2 = point2
        return (nearest_point1, nearest_point2)

    def rotate2d(self, angle, center):
        angle = _double(angle)
        vector = Vector3d.vector_from_points(center, self)
        rotated_vector = Vector3d(np.cos(angle) * vector.x - np.sin(angle) * vector.y,
                                  np.sin(angle) * vector.x + np.cos(angle) * vector.y, 0)
        rotated_point = Point3d(rotated_vector.x + center.x, rotated_vector.y + center.y, center.z)
        return rotated_point

    def move(self, vector):
        return Point3d(self.x + vector.x, self.y + vector.y, self.z + vector.z)

    def copy(self):
        return Point3d(float(self.x), float(self.y), float(self.z))

    @staticmethod
    def random_point(x_range=_RANGE, y_range=_RANGE, z_range=_RANGE):
        return Point3d(np.random.uniform(x_range[0], x_range[1]),
                       np.random.uniform(y_range[0], y_range[1]),
                       np.random.uniform(z_range[0], z_range[1]))

    @staticmethod
    def random_points(num_points, x_range=_RANGE, y_range=_RANGE, z_range=_RANGE):
        return [Point3d(np.random.uniform(x_range[0], x_range[1]),
                        np.random.uniform(y_range[0], y_range[1]),
                        np.random.uniform(z_range[0], z_range[1])) for _ in range(num_points)]

    @staticmethod
    def find_center(points, /):
        x_sum = 0.0
        y_sum = 0.0
        z_sum = 0.0
        for point in points:
            x_sum += point.x
            y_sum += point.y
            z_sum += point.z
        return Point3d(x_sum / len(points), y_sum / len(points), z_sum / len(points))

    def tween(self, point2, t):
        t = _double(t)
        x = self.x + (point2.x - self.x) * t
        y = self.y + (point2.y - self.y) * t
        z = self.z + (point2.z - self.z) * t
        return Point3d(x, y, z)

    def apply_affine_transformation(self, transformation_matrix):
        if transformation_matrix.shape != (4, 4):
            raise ValueError("The transformation matrix should be of shape (4, 4)")
        homogeneous_point = np.array([self.x, self.y, self.z, 1])
        transformed_point = np.dot(transformation_matrix, homogeneous_point)
        return Point3d(transformed_point[0], transformed_point[1], transformed_point[2])

    @staticmethod
    def apply_affine_transformation_to_3d(points, transformation_matrix):
        if transformation_matrix.shape != (4, 4):
            raise ValueError("The transformation matrix should be of shape (4, 4)")
        rows = [[point.x, point.y, point.z, 1] for point in points]
        # Mend: an empty list gives an empty list (numpy cannot multiply the
        # one-dimensional empty array).
        if not rows:
            return []
        homogeneous_points = np.array(rows).T
        transformed_points = np.dot(transformation_matrix, homogeneous_points).T
        result = []
        for x, y, z, _ in transformed_points:
            result.append(Point3d(x, y, z))
        return result

    @staticmethod
    def apply_affine_transformation_to_2d(points, transformation_matrix):
        if transformation_matrix.shape != (4, 4):
            raise ValueError("The transformation matrix should be of shape (4, 4)")
        rows = [[point.x, point.y, point.z, 1] for point in points]
        # Mend: an empty list gives an empty list.
        if not rows:
            return []
        homogeneous_points = np.array(rows).T
        transformed_points = np.dot(transformation_matrix, homogeneous_points).T
        result = []
        for x, y, _, _ in transformed_points:
            result.append(Point(x, y))
        return result

    @staticmethod
    def plot_points(points, show=True):
        fig = plt.figure()
        ax = fig.add_subplot(111, projection="3d")
        for i, p in enumerate(points):
            ax.text(p.x, p.y, p.z, str(i), color="r", fontsize=10)
            ax.scatter(p.x, p.y, p.z, c="r", marker="o")
        if show:
            plt.show()


# ------------------------------------------------------------------ Vector3d

class Vector3d:
    def __init__(self, x, y, z):
        self.x = _double(x)
        self.y = _double(y)
        self.z = _double(z)

    def __repr__(self):
        return "Vector3d(" + _text(self.x) + ", " + _text(self.y) + ", " + _text(self.z) + ")"

    def __hash__(self):
        return hash((self.x, self.y, self.z))

    def __eq__(self, other):
        sx, sy, sz, ox, oy, oz = self.x, self.y, self.z, other.x, other.y, other.z
        return abs(sx - ox) <= epsilon and abs(sy - oy) <= epsilon and abs(sz - oz) <= epsilon

    def __add__(self, other):
        return Vector3d(self.x + other.x, self.y + other.y, self.z + other.z)

    def __sub__(self, other):
        return Vector3d(self.x - other.x, self.y - other.y, self.z - other.z)

    def __mul__(self, other):
        k = _double(other)
        return Vector3d(self.x * k, self.y * k, self.z * k)

    def __truediv__(self, other):
        k = _double(other)
        return Vector3d(self.x / k, self.y / k, self.z / k)

    @property
    def magnitude(self):
        return math.sqrt(self.x ** 2 + self.y ** 2 + self.z ** 2)

    @property
    def norm(self):
        return abs(self.x) + abs(self.y) + abs(self.z)

    @property
    def unit_vector(self):
        m = self.magnitude
        if abs(m) <= epsilon:
            return self
        return Vector3d(self.x / m, self.y / m, self.z / m)

    def reverse(self):
        return Vector3d(-self.x, -self.y, -self.z)

    def dot_product(self, vector2):
        return self.x * vector2.x + self.y * vector2.y + self.z * vector2.z

    def cross_product(self, other):
        return Vector3d(self.y * other.z - self.z * other.y,
                        self.z * other.x - self.x * other.z,
                        self.x * other.y - self.y * other.x)

    def is_equal(self, other):
        if not abs(self.x - other.x) <= epsilon:
            return False
        if not abs(self.y - other.y) <= epsilon:
            return False
        if not abs(self.z - other.z) <= epsilon:
            return False
        return True

    def adjust_length(self, new_length):
        new_length = _double(new_length)
        normalized_vector = self.unit_vector
        return Vector3d(normalized_vector.x * new_length, normalized_vector.y * new_length,
                        normalized_vector.z * new_length)

    def rotate2d(self, angle=None):
        # Mend: the angle is a parameter; without one, a number stored as
        # `angle` on this very vector serves, and anything else is refused.
        if angle is None:
            stored = self.__dict__.get("angle")
            if stored is None or isinstance(stored, (str, bytes, bytearray)):
                raise TypeError("rotate2d() needs an angle")
            try:
                angle = float(stored)
            except TypeError:
                raise TypeError("rotate2d() needs an angle") from None
        else:
            angle = _double(angle)
        rotated_vector = Vector3d(np.cos(angle) * self.x - np.sin(angle) * self.y,
                                  np.sin(angle) * self.x + np.cos(angle) * self.y, self.z)
        return rotated_vector

    def copy(self):
        return Vector3d(self.x, self.y, self.z)

    @staticmethod
    def vector_from_points(point1, point2):
        return Vector3d(point2.x - point1.x, point2.y - point1.y, point2.z - point1.z)

    @staticmethod
    def angle(vector1, vector2, polar=True, compare=False):
        cos_theta = Vector3d.cos(vector1, vector2)
        if cos_theta is None:
            return None
        angle = np.arccos(cos_theta)
        if polar is False:
            return angle
        cross = Vector3d.cross_product(vector1, vector2)
        if cross.z >= 0:
            return angle
        if compare is True:
            return 1 / (angle - math.pi * 2)
        return np.pi * 2 - angle

    @staticmethod
    def radian_to_degree(radian, /):
        radian = _double(radian)
        return round(radian * 180.0 / np.pi, 2)

    @staticmethod
    def degree_to_radian(degree, /):
        degree = _double(degree)
        return degree * np.pi / 180

    @staticmethod
    def cos(vector1, vector2):
        magnitude1 = vector1.magnitude
        magnitude2 = vector2.magnitude
        if abs(magnitude1) <= epsilon:
            return None
        if abs(magnitude2) <= epsilon:
            return None
        cos_theta = Vector3d.dot_product(vector1, vector2) / (magnitude1 * magnitude2)
        return _clamp(cos_theta)

    @staticmethod
    def sin(vector1, vector2):
        magnitude1 = vector1.magnitude
        magnitude2 = vector2.magnitude
        if abs(magnitude1) <= epsilon:
            return None
        if abs(magnitude2) <= epsilon:
            return None
        cross = Vector3d.cross_product(vector1, vector2)
        # Mend: a cross product with z = 0 counts as a counter-clockwise turn,
        # as in `angle`, instead of dividing zero by zero.
        sign = 1.0 if cross.z == 0 else cross.z / abs(cross.z)
        sin_theta = sign * cross.magnitude / (magnitude1 * magnitude2)
        return _clamp(sin_theta)

    @staticmethod
    def projection_point(a, b, c):
        ab = Vector3d.vector_from_points(a, b)
        ac = Vector3d.vector_from_points(a, c)
        projection_length = Vector3d.dot_product(ab, ac) / ab.magnitude
        projection_vector = Vector3d.adjust_length(ab, projection_length)
        o = Point3d(projection_vector.x + a.x, projection_vector.y + a.y, projection_vector.z + a.z)
        return o

    @staticmethod
    def projection_distance(a, b, c):
        o = Vector3d.projection_point(a, b, c)
        distance = Point3d.distance_to_point(c, o)
        return distance

    @staticmethod
    def projection_length(a, b, c):
        o = Vector3d.projection_point(a, b, c)
        length = Point3d.distance_to_point(a, o)
        return length

    @staticmethod
    def projection_vector(a, b, c):
        o = Vector3d.projection_point(a, b, c)
        return Vector3d(o.x - a.x, o.y - a.y, o.z - a.z)

    @staticmethod
    def mirror(a, b, c):
        ab = Vector3d.vector_from_points(a, b)
        ac = Vector3d.vector_from_points(a, c)
        projection_length = Vector3d.dot_product(ab, ac) / ab.magnitude
        projection_vector = Vector3d.adjust_length(ab, projection_length)
        o = Point3d(projection_vector.x + a.x, projection_vector.y + a.y, projection_vector.z + a.z)
        reflected_vector = Vector3d(2 * o.x - c.x, 2 * o.y - c.y, 2 * o.z - c.z)
        reflected_point = Point3d(reflected_vector.x, reflected_vector.y, reflected_vector.z)
        return reflected_point

    @staticmethod
    def intersection(a, b, c, d):
        vec_ab = Vector3d.vector_from_points(b, a)
        vec_cd = Vector3d.vector_from_points(d, c)
        if Vector3d.cross_product(vec_ab, vec_cd).magnitude == 0:
            return None
        vec_ac = Vector3d.vector_from_points(c, a)
        vec_ad = Vector3d.vector_from_points(d, a)
        cross1 = Vector3d.cross_product(vec_ac, vec_ab)
        cross2 = Vector3d.cross_product(vec_ab, vec_ad)
        if Vector3d.dot_product(cross1, vec_cd) != 0:
            return None
        cross3 = Vector3d.cross_product(vec_ad, vec_ac)
        cross_sum = cross1 + cross2
        t1 = cross3.magnitude / cross_sum.magnitude
        if Vector3d.dot_product(cross3, cross_sum) > 0:
            t1 = -t1
        if 0 <= t1 <= 1:
            return a.move(vec_ab.reverse() * t1)
        return None

    @staticmethod
    def relative_position(a, b, c):
        ab = Vector3d.vector_from_points(a, b)
        ac = Vector3d.vector_from_points(a, c)
        cross_product = Vector3d.cross_product(ab, ac)
        if cross_product.z > 0:
            return 0
        elif cross_product.z < 0:
            return 1
        else:
            return 2

    @staticmethod
    def polar_angle(point, reference_point=None):
        if reference_point is None:
            reference_point = Point3d.zero()
        vector = Vector3d.vector_from_points(reference_point, point)
        angle = Vector3d.angle(Vector3d(1, 0, 0), vector)
        return angle

    @staticmethod
    def sort_points_by_polar_angle(points, reference_point=None):
        if reference_point is None:
            reference_point = Point3d.zero()
        sorted_points = sorted(points, key=lambda p: Vector3d.polar_angle(p, reference_point))
        return sorted_points

    @staticmethod
    def area_of_triangle(point1, point2, point3):
        vector1 = Vector3d.vector_from_points(point1, point2)
        vector2 = Vector3d.vector_from_points(point1, point3)
        cross_product = Vector3d.cross_product(vector1, vector2)
        return cross_product.magnitude / 2

    @staticmethod
    def is_clockwise(point1, point2, point3):
        vector1 = Vector3d.vector_from_points(point1, point2)
        vector2 = Vector3d.vector_from_points(point2, point3)
        cross_product = Vector3d.cross_product(vector1, vector2)
        return cross_product.z < 0

    @staticmethod
    def is_counter_clockwise(point1, point2, point3):
        vector1 = Vector3d.vector_from_points(point1, point2)
        vector2 = Vector3d.vector_from_points(point2, point3)
        cross_product = Vector3d.cross_product(vector1, vector2)
        return cross_product.z > 0

    @staticmethod
    def is_linear(points, /):
        # Mend: linear means every run of three consecutive points spans no
        # area, not the same area as the first three.
        if len(points) < 3:
            return True
        for i in range(2, len(points)):
            if Vector3d.area_of_triangle(points[i - 2], points[i - 1], points[i]) != 0:
                return False
        return True


# ------------------------------------------------------------------- Surface

class Surface:
    """A façade face of points in space; its four points are coplanar.
    points[0] is the base point, points[1] lies above it and points[-1] lies
    to its right."""

    def __init__(self, points):
        self.points = points

    def __repr__(self):
        return ("Surface(" + _text(self.points[0]) + ", " + _text(self.points[1]) + ","
                + _text(self.points[2]) + "," + _text(self.points[3]) + ")")

    @property
    def origin(self):
        return self.points[0]

    @property
    def vector_i(self):
        return (self.points[-1] - self.points[0]).unit_vector

    @property
    def vector_j(self):
        return (self.points[1] - self.points[0]).unit_vector

    @property
    def height(self):
        return self.points[0].distance_to_point(self.points[1])

    @property
    def width(self):
        return self.points[0].distance_to_point(self.points[-1])

    @property
    def plane(self):
        return Plane(self.points)

    @property
    def transformation_to_xy(self):
        return self.plane.transformation_matrix_to_xy()

    @property
    def inverse_transformation_to_xy(self):
        return self.plane.transformation_inverse_matrix_to_xy()

    def apply_affine_transformation_to_xy(self):
        return Point3d.apply_affine_transformation_to_3d(self.points, self.transformation_to_xy)

    def divide_height(self):
        height_list = []
        _height = 0
        for h in BIM_FLOOR_HEIGHTS:
            _height += h
            if abs(_height - self.height) <= epsilon or _height >= self.height:
                height_list.append(self.height)
                break
            height_list.append(_height)
        return height_list

    def divide_width(self):
        length_list = [0]
        num_parts = int(self.width // BIM_UNIT_WIDTH)
        _width = 0
        for _ in range(num_parts):
            _width += BIM_UNIT_WIDTH
            length_list.append(_width)
        rest_length = self.width % BIM_UNIT_WIDTH
        if rest_length > epsilon:
            length_list.append(rest_length + _width)
        return length_list

    def _corner(self, w, h):
        return (self.origin + self.vector_i * w) + self.vector_j * h

    def divide_surface(self):
        width_list = self.divide_width()
        height_list = self.divide_height()
        surfaces = []
        for i in range(len(width_list) - 1):
            for j in range(len(height_list) - 1):
                bottom_left = self._corner(width_list[i], height_list[j])
                top_left = self._corner(width_list[i], height_list[j + 1])
                top_right = self._corner(width_list[i + 1], height_list[j + 1])
                bottom_right = self._corner(width_list[i + 1], height_list[j])
                surfaces.append(Surface([bottom_left, top_left, top_right, bottom_right]))
        return surfaces

    def divide_surface_with_label(self):
        width_list = self.divide_width()
        height_list = self.divide_height()
        surfaces_dict = {}
        _type = [0, 0]
        for i in range(len(width_list) - 1):
            _type[0] = _column_label(i, len(width_list) - 1)
            for j in range(len(height_list) - 1):
                _type[1] = _column_label(j, len(height_list) - 1)
                bottom_left = self._corner(width_list[i], height_list[j])
                top_left = self._corner(width_list[i], height_list[j + 1])
                top_right = self._corner(width_list[i + 1], height_list[j + 1])
                bottom_right = self._corner(width_list[i + 1], height_list[j])
                surface = Surface([bottom_left, top_left, top_right, bottom_right])
                surfaces_dict[surface] = tuple(_type)
        return surfaces_dict

    def divide_surface_to_planes_with_label(self):
        width_list = self.divide_width()
        height_list = self.divide_height()
        planes_dict = {}
        _type = [0, 0]
        for i in range(len(width_list) - 1):
            _type[0] = _column_label(i, len(width_list) - 1)
            for j in range(len(height_list) - 1):
                _type[1] = _column_label(j, len(height_list) - 1)
                bottom_left = self._corner(width_list[i], height_list[j])
                top_left = self._corner(width_list[i], height_list[j + 1])
                bottom_right = self._corner(width_list[i + 1], height_list[j])
                plane = Plane([bottom_left, top_left, bottom_right])
                value = _label(_type)
                planes_dict[plane] = value
        return planes_dict

    def divide_surface_xy_points(self):
        """Labels each cell by its indices alone (first, last or inner column and
        row), so the grid's corners and edges can be told apart; the list of
        storey heights may be longer than a façade needs."""
        height_list = self.divide_height()
        width_list = self.divide_width()
        points_dict = {}
        _type = [0, 0]
        for i in range(len(width_list) - 1):
            _type[0] = _column_label(i, len(width_list) - 1)
            for j in range(len(height_list) - 1):
                _type[1] = _column_label(j, len(height_list) - 1)
                points_dict[Point3d(width_list[i], height_list[j], 0)] = tuple(_type)
        return points_dict

    def divide_surface_xy_planes(self):
        """As divide_surface_xy_points, with unit-by-storey planes as keys."""
        height_list = self.divide_height()
        width_list = self.divide_width()
        planes_dict = {}
        _type = [0, 0]
        _vec_i = Vector3d(BIM_UNIT_WIDTH, 0, 0)
        for i in range(len(width_list) - 1):
            _type[0] = _column_label(i, len(width_list) - 1)
            for j in range(len(height_list) - 1):
                _type[1] = _column_label(j, len(height_list) - 1)
                _vec_j = Vector3d(0, BIM_FLOOR_HEIGHTS[j + 1], 0)
                point_0 = Point3d(width_list[i], height_list[j], 0)
                point_1 = point_0 + _vec_j
                point_2 = point_0 + _vec_i
                planes_dict[Plane([point_0, point_1, point_2])] = _label(_type)
        return planes_dict


# --------------------------------------------------------------------- Plane

class Plane:
    def __init__(self, points):
        if len(points) < 3:
            raise Exception("Points number less than three!")
        if len(points) > 3:
            self.points = [points[0], points[1], points[-1]]
        else:
            self.points = points

    def __repr__(self):
        first = _text(self.points[0])
        return "Plane(" + first + ", " + _text(self.normal) + ")"

    def __hash__(self):
        return hash((self.points[0], self.normal))

    @property
    def normal(self):
        p1, p2, p3 = self.points[:3]
        return Vector3d.cross_product(p2 - p1, p3 - p1)

    @property
    def distance_to_origin(self):
        return abs(Vector3d.dot_product(self.points[0] - Point3d(0, 0, 0), self.normal)) / self.normal.magnitude

    def equation(self):
        p1, p2, p3 = self.points
        normal = Vector3d.cross_product(p2 - p1, p3 - p1)
        d = -Vector3d.dot_product(normal, p1)
        return (normal.x, normal.y, normal.z, d)

    def distance_to_point(self, point):
        a, b, c, d = self.equation()
        return abs(a * point.x + b * point.y + c * point.z + d) / math.sqrt(a ** 2 + b ** 2 + c ** 2)

    def plane_z_intersection(self):
        a, b, c, d = self.equation()
        z = -d / c
        return Point3d(0, 0, z)

    @staticmethod
    def to_array(points, /):
        return np.array([(point.x, point.y, point.z) for point in points])

    def local_coordinate_system(self):
        p1, p2, p3 = Plane.to_array(self.points)
        normal = np.cross(p2 - p1, p3 - p1)
        normal = normal / np.linalg.norm(normal)
        u = p2 - p1
        u = u / np.linalg.norm(u)
        v = np.cross(normal, u)
        return (p1, u, v, normal)

    @staticmethod
    def move(plane=None, x=0, y=0, z=0):
        vec = Vector3d(x, y, z)
        new_points = []
        for point in plane.points:
            new_points.append(point + vec)
        return Plane(new_points)

    @property
    def xy_plane(self):
        return Plane([Point3d(0, 0, 0), Point3d(0, 1, 0), Point3d(1, 0, 0)])

    @property
    def xz_plane(self):
        return Plane([Point3d(0, 0, 0), Point3d(0, 0, 1), Point3d(1, 0, 0)])

    @property
    def yz_plane(self):
        return Plane([Point3d(0, 0, 0), Point3d(0, 0, 1), Point3d(0, 1, 0)])

    @property
    def xy_coord_system(self):
        return self.xy_plane.local_coordinate_system()

    @property
    def xz_coord_system(self):
        return self.xz_plane.local_coordinate_system()

    @property
    def yz_coord_system(self):
        return self.yz_plane.local_coordinate_system()

    @staticmethod
    def transformation_matrix(coord_system1, coord_system2):
        origin1, u1, v1, n1 = coord_system1
        origin2, u2, v2, n2 = coord_system2
        R = np.column_stack((u1, v1, n1))
        R_ = np.column_stack((u2, v2, n2))
        A_affine = np.dot(R_, np.linalg.inv(R))
        translation = origin2 - np.dot(A_affine, origin1)
        A_trans = np.eye(4)
        A_trans[:3, :3] = A_affine
        A_trans[:3, 3] = translation
        return A_trans

    def transformation_matrix_to_xy(self):
        xy_coord_system = self.xy_coord_system
        local_coord_system = self.local_coordinate_system()
        return Plane.transformation_matrix(local_coord_system, xy_coord_system)

    def transformation_inverse_matrix_to_xy(self):
        xy_coord_system = self.xy_coord_system
        local_coord_system = self.local_coordinate_system()
        return Plane.transformation_matrix(xy_coord_system, local_coord_system)

    @staticmethod
    def is_coplanar(points, /):
        if len(points) < 4:
            return True
        plane = Plane(points[:3])
        for point in points[3:]:
            if plane.distance_to_point(point) != 0:
                return False
        return True


# ---------------------------------------------------------------------- Mesh

def _unique_rows(vertices):
    """numpy's unique rows and the inverse as a one-dimensional index array
    (numpy 2.0.0 alone gave it a second axis)."""
    rows, inverse = np.unique(vertices, axis=0, return_inverse=True)
    return rows, inverse.reshape(-1)


def _outline_polygon(points):
    vertices = np.array([[point.x, point.y, 0] for point in points])
    indices = np.hstack([[len(points)], np.arange(len(points))])
    return vertices, indices


class Mesh:
    def __init__(self, vertices, indices, layer=None):
        if layer is not None and type(layer) is not str:
            raise TypeError("Argument 'layer' has incorrect type (expected str, got %s)"
                            % type(layer).__name__)
        self.vertices = vertices
        self.indices = indices
        self.layer = layer

    def __repr__(self):
        return "Mesh:" + _text(self.layer)

    @property
    def normals(self):
        face_vertices = self.vertices[self.indices]
        # Mend: integer vertex arrays are measured in float64 instead of
        # failing in the in-place division.
        if face_vertices.dtype.kind in "biu":
            face_vertices = face_vertices.astype(np.float64)
        face_normals = np.cross(face_vertices[:, 1] - face_vertices[:, 0],
                                face_vertices[:, 2] - face_vertices[:, 1])
        norms = np.linalg.norm(face_normals, axis=1)
        face_normals /= norms[:, np.newaxis]
        return face_normals

    def to_pyvista_mesh(self):
        return pv.make_tri_mesh(self.vertices, self.indices)

    def merge(self, other_mesh):
        merged_vertices = np.concatenate((self.vertices, other_mesh.vertices), axis=0)
        merged_indices = np.concatenate((self.indices, other_mesh.indices + len(self.vertices)), axis=0)
        return Mesh(merged_vertices, merged_indices, self.layer)

    def self_clean_vertices(self):
        vertices, indices = _unique_rows(self.vertices)
        indices = indices[self.indices]
        return Mesh(vertices=vertices, indices=indices, layer=self.layer)

    @staticmethod
    def merge_meshes_by_layer(meshes, /):
        merged_meshes = {}
        for mesh in meshes:
            if mesh.layer in merged_meshes:
                merged_meshes[mesh.layer] = merged_meshes[mesh.layer].merge(mesh)
            else:
                merged_meshes[mesh.layer] = mesh
        return list(merged_meshes.values())

    @staticmethod
    def apply_affine_transformation(vertices, transformation_matrix):
        if transformation_matrix.shape != (4, 4):
            raise ValueError("The transformation matrix should be of shape (4, 4)")
        homogeneous_vertices = np.column_stack((vertices, np.ones(vertices.shape[0])))
        transformed_vertices = np.dot(transformation_matrix, homogeneous_vertices.T)
        return transformed_vertices[:3, :].T

    @staticmethod
    def clean_vertices(vertices=None, _indices=None):
        vertices, indices = _unique_rows(vertices)
        indices = indices[_indices]
        return (vertices, indices)

    @staticmethod
    def simplify_mesh(mesh, /):
        vertices, indices = Mesh.clean_vertices(mesh.vertices, mesh.indices)
        return Mesh(vertices, indices, mesh.layer)

    @staticmethod
    def convert_pvMesh_to_array(pv_mesh, /):
        indices = pv_mesh.faces.reshape(-1, 4)[:, 1:]
        ones = np.ones(pv_mesh.points.shape[0], dtype=np.float32)
        vertices = np.hstack((pv_mesh.points, ones[:, np.newaxis]))[:, :3]
        return (vertices, indices)

    @staticmethod
    def triangulate_2d(points, /):
        vertices, indices = _outline_polygon(points)
        poly_data = pv.PolyData(vertices, indices)
        tri_mesh = poly_data.triangulate()
        vertices, indices = Mesh.convert_pvMesh_to_array(tri_mesh)
        return (vertices, indices)

    @staticmethod
    def extrude_to_mesh(points, height):
        height = _double(height)
        vertices, indices = _outline_polygon(points)
        extrusion = pv.PolyData(vertices, indices).extrude([0, 0, height], capping=True)
        tri_mesh = extrusion.triangulate()
        vertices, indices = Mesh.convert_pvMesh_to_array(tri_mesh)
        return (vertices, indices)

    @staticmethod
    def _combine(points_list):
        polygon = []
        for points in points_list:
            vertices, indices = _outline_polygon(points)
            polygon.append(pv.PolyData(vertices, indices))
        combine = polygon[0]
        for i in range(len(polygon) - 1):
            # pyvista's in-place addition merges coincident points of the
            # outlines, which may renumber them.
            combine += polygon[i + 1]
        return combine

    @staticmethod
    def constrain_delaunay_2d(points_list, /):
        combine = Mesh._combine(points_list)
        mesh = combine.delaunay_2d(edge_source=combine)
        vertices, indices = Mesh.convert_pvMesh_to_array(mesh)
        return (vertices, indices)

    @staticmethod
    def constrain_delaunay_3d(points_list, height):
        height = _double(height)
        combine = Mesh._combine(points_list)
        tess = combine.delaunay_2d(edge_source=combine)
        mesh = tess.extrude([0, 0, height], capping=True).triangulate()
        vertices, indices = Mesh.convert_pvMesh_to_array(mesh)
        return (vertices, indices)

    @staticmethod
    def convert_rhinoMesh_to_pvMesh(rhino_mesh, /):
        if rhino_mesh.Faces.QuadCount != 0:
            rhino_mesh.Faces.ConvertQuadsToTriangles()
        point_array = np.array([[rhino_mesh.Vertices[j].X, rhino_mesh.Vertices[j].Y, rhino_mesh.Vertices[j].Z]
                                for j in range(rhino_mesh.Vertices.__len__())], dtype=float)
        face_array = np.array([rhino_mesh.Faces.__getitem__(k)[:3] for k in range(rhino_mesh.Faces.Count)],
                              dtype=int)
        pv_mesh = pv.make_tri_mesh(point_array, face_array).compute_normals(auto_orient_normals=True,
                                                                            flip_normals=True)
        return pv_mesh

    @staticmethod
    def show_rhino_mesh(rhino_geometries, /):
        plotter = pv.Plotter()
        for geo in rhino_geometries:
            newMesh = Mesh.convert_rhinoMesh_to_pvMesh(geo)
            plotter.add_mesh(newMesh)
        plotter.add_axes(line_width=5, labels_off=False)
        plotter.show()

    @staticmethod
    def show_pyvista_mesh(pyvista_meshes, /):
        plotter = pv.Plotter()
        for m in pyvista_meshes:
            plotter.add_mesh(m)
        plotter.add_axes(line_width=5, labels_off=False)
        plotter.show()

    @staticmethod
    def show_mesh(meshes, /):
        plotter = pv.Plotter()
        colormap = matplotlib.colormaps.get_cmap("rainbow")
        for m in meshes:
            mm = m.to_pyvista_mesh()
            np.random.seed(hash(m.layer) % 4294967295)
            random_numbers = np.random.rand()
            color = colormap(random_numbers)
            plotter.add_mesh(mm, color=color, show_scalar_bar=False)
        plotter.add_axes(line_width=5, labels_off=False)
        plotter.show()

    @staticmethod
    def meshes_to_front(meshes=None):
        dic = dict([(mesh.layer, {"vertex": np.round(mesh.vertices[:, [0, 2, 1]] * [1, 1, -1],
                                                        decimals=4).flatten().tolist(),
                                  "vertex_index": mesh.indices.flatten().tolist()})
                    for mesh in meshes])
        return dic
