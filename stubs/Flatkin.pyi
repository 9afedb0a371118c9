"""Planar points and vectors, the root of the planar geometry modules.

Coordinates are floats in the library's length unit; angles are in radians,
counter-clockwise positive. Two points are equal when each coordinate
differs by at most ``epsilon`` (read at every call). Any object with float
``x`` and ``y`` attributes is accepted wherever a point or vector is.
Importing the module prints ``('epsilon', 2.220446049250313e-16)`` once.
Figures may be drawn at site coordinates (UTM-like metres, or millimetres):
the measures and tests of the planar modules are taken about a point of
the figure itself, so a figure moved there gives its answers at the origin.
A worker process started by spawn or forkserver imports the module afresh:
a rebound ``epsilon`` must be set again there, for example in a pool
initializer.
"""

import math as math
import sys as sys
from typing import Any, Iterable, List as List, Optional as Optional, Protocol, Sequence, Tuple as Tuple, TypeVar, Union as Union

import matplotlib.pyplot as plt
import numpy as np

epsilon: float
"""The tolerance of point and vector equality, 1e-06, read at every call.

An absolute length in the drawing's unit (a micrometre in metres, a
nanometre in millimetres), wherever the figure stands. Where a given point
is tested against a segment or a line, the line module's copy of it is
raised to the rounding of coordinates of that size where that is larger.

Rebinding it changes later calls in this process only: a worker process
started by spawn or forkserver imports the module afresh and must set it
again, for example in a pool initializer.
"""

class SupportsXY(Protocol):
    """Anything with float coordinates ``x`` and ``y``: a point or a vector."""

    @property
    def x(self) -> float: ...
    @property
    def y(self) -> float: ...

_P = TypeVar("_P", bound=SupportsXY)

class Point:
    """A planar point with float coordinates ``x`` and ``y``.

    Equality is tolerant (each coordinate within ``epsilon``) while the hash
    is that of the exact pair ``(x, y)``; ``point - other`` is the Vector
    from ``other`` to the point.
    """

    x: float
    y: float
    def __init__(self, x: Union[float, str], y: Union[float, str]) -> None:
        """Store ``float(x)``, then ``float(y)`` (numeric text is accepted)."""
    def __repr__(self) -> str:
        """The text form, ``Point(x, y)``."""
    def __hash__(self) -> int:
        """The hash of the exact tuple ``(x, y)``."""
    def __eq__(self, other: SupportsXY) -> bool:  # type: ignore[override]
        """True when both coordinates differ by at most ``epsilon``.

        Comparing with an object without ``x`` and ``y`` (None included)
        raises AttributeError.
        """
    def __round__(self, n: Optional[int] = 2) -> Point:
        """A new point with each coordinate rounded to ``n`` decimals."""
    def __add__(self, other: SupportsXY) -> Point:
        """A new point moved by ``other``'s coordinates."""
    def __sub__(self, other: SupportsXY) -> Vector:
        """The Vector from ``other`` to this point."""
    def is_equal(self, other: SupportsXY) -> bool:
        """Tolerant equality, as ``==``."""
    def is_greater(self, other: SupportsXY) -> bool:
        """True when greater in the tolerant order: y first, then x on a tie."""
    def is_less(self, other: SupportsXY) -> bool:
        """True when less in the tolerant order: y first, then x on a tie."""
    def distance_to_point(self, other: SupportsXY) -> float:
        """The Euclidean distance to ``other``."""
    @staticmethod
    def find_nearest_point(target_point: SupportsXY, points: Sequence[_P]) -> _P:
        """The element of ``points`` nearest to ``target_point`` (the earliest on a tie).

        Raises IndexError for an empty list.
        """
    @staticmethod
    def find_farthest_point(target_point: SupportsXY, points: Sequence[_P]) -> _P:
        """The element of ``points`` farthest from ``target_point`` (the earliest on a tie)."""
    @staticmethod
    def calculate_slope(point1: SupportsXY, point2: SupportsXY) -> Optional[float]:
        """The slope of the line through two points; None when their x values are within ``epsilon``."""
    @staticmethod
    def remove_duplicate_points(points: Iterable[_P], /) -> List[_P]:
        """A new list keeping the first of each group of tolerantly equal points, in order."""
    @staticmethod
    def select_unique_points(points: Sequence[_P], /) -> List[_P]:
        """A new list of the points that have no tolerantly equal twin in ``points``."""
    @staticmethod
    def count_point_occurrences(target_point: SupportsXY, points: Iterable[SupportsXY]) -> int:
        """How many elements of ``points`` equal ``target_point``."""
    @staticmethod
    def is_has_duplicate_points(points: Sequence[SupportsXY], /) -> bool:
        """True when some two elements of ``points`` are tolerantly equal."""
    @staticmethod
    def is_has_same_point(target_point: SupportsXY, points: Iterable[SupportsXY]) -> bool:
        """True when some element of ``points`` equals ``target_point``."""
    @staticmethod
    def zero() -> Point:
        """A new point at the origin."""
    @staticmethod
    def get_min_point(points: Sequence[_P], /) -> _P:
        """The least element in the tolerant y-then-x order (the earliest of ties)."""
    @staticmethod
    def get_min_point_id(points: Sequence[SupportsXY], /) -> int:
        """The position of the element ``get_min_point`` returns."""
    @staticmethod
    def get_max_point(points: Sequence[_P], /) -> _P:
        """The greatest element in the tolerant y-then-x order (the earliest of ties)."""
    @staticmethod
    def get_max_point_id(points: Sequence[SupportsXY], /) -> int:
        """The position of the element ``get_max_point`` returns."""
    @staticmethod
    def generate_random_points(
        num_points: int, x_range: Sequence[float] = (-10, 10), y_range: Sequence[float] = (-10, 10)
    ) -> List[Point]:
        """``num_points`` new random points, x then y drawn by ``numpy.random.uniform``."""
    @staticmethod
    def find_nearest_two_points(points: Sequence[_P], /) -> Union[Tuple[_P, _P], Tuple[None, None]]:
        """The closest pair of elements in list order, or (None, None) for fewer than two."""
    def rotate(self, angle: float, center: SupportsXY) -> Point:
        """A new point turned counter-clockwise by ``angle`` radians about ``center``."""
    def move(self, vector: SupportsXY) -> Point:
        """A new point moved by ``vector``; the receiver is unchanged."""
    def copy(self) -> Point:
        """A new point with the same coordinates."""
    @staticmethod
    def random_point(x_range: Sequence[float] = (-10, 10), y_range: Sequence[float] = (-10, 10)) -> Point:
        """One new random point, x then y drawn by ``numpy.random.uniform``."""
    @staticmethod
    def random_points(
        num_points: int, x_range: Sequence[float] = (-10, 10), y_range: Sequence[float] = (-10, 10)
    ) -> List[Point]:
        """The same as ``generate_random_points``."""
    @staticmethod
    def find_center(points: Sequence[SupportsXY], /) -> Point:
        """A new point at the mean of the coordinates; ZeroDivisionError when empty."""
    def tween(self, point2: SupportsXY, t: float) -> Point:
        """A new point at parameter ``t`` from this point (0) to ``point2`` (1), unclamped."""
    @staticmethod
    def plot_points(points: Union[Point, Sequence[SupportsXY]], show: Any = True) -> None:
        """Scatter the points in one random colour; with ``show``, number them and show the figure."""

class Vector:
    """A planar vector with float components ``x`` and ``y``.

    Equality is tolerant and the hash exact, as for Point; ``*`` and ``/``
    take a number on the right only.
    """

    x: float
    y: float
    def __init__(self, x: Union[float, str], y: Union[float, str]) -> None:
        """Store ``float(x)``, then ``float(y)`` (numeric text is accepted)."""
    def __repr__(self) -> str:
        """The text form, ``Vector(x, y)``."""
    def __hash__(self) -> int:
        """The hash of the exact tuple ``(x, y)``."""
    def __eq__(self, other: SupportsXY) -> bool:  # type: ignore[override]
        """True when both components differ by at most ``epsilon``."""
    def __add__(self, other: SupportsXY) -> Vector:
        """The sum of two vectors."""
    def __sub__(self, other: SupportsXY) -> Vector:
        """The difference of two vectors."""
    def __mul__(self, other: float) -> Vector:
        """A new vector scaled by the number ``other``."""
    def __truediv__(self, other: float) -> Vector:
        """A new vector divided by the number ``other``; ZeroDivisionError for 0."""
    @property
    def magnitude(self) -> float:
        """The Euclidean length."""
    @property
    def norm(self) -> float:
        """The sum of the absolute components, ``|x| + |y|``."""
    @property
    def unit_vector(self) -> Vector:
        """A new vector of length 1 in the same direction; the receiver itself when no longer than ``epsilon``."""
    def reverse(self) -> Vector:
        """A new vector pointing the other way."""
    def is_equal(self, other: SupportsXY) -> bool:
        """Tolerant equality, as ``==``."""
    def adjust_length(self, new_length: float) -> Vector:
        """A new vector along this one with length ``new_length``."""
    def rotate(self, angle: float) -> Vector:
        """A new vector turned counter-clockwise by ``angle`` radians."""
    def copy(self) -> Vector:
        """A new vector with the same components."""
    @staticmethod
    def vector_from_points(point1: SupportsXY, point2: SupportsXY) -> Vector:
        """The vector from ``point1`` to ``point2``."""
    @staticmethod
    def dot_product(vector1: SupportsXY, vector2: SupportsXY) -> float:
        """The dot product."""
    @staticmethod
    def cross_product(vector1: SupportsXY, vector2: SupportsXY) -> float:
        """The z component of the cross product: positive when ``vector2`` turns counter-clockwise from ``vector1``."""
    @staticmethod
    def angle(vector1: Any, vector2: Any, polar: Any = True, compare: Any = False) -> Optional[float]:
        """The angle from ``vector1`` to ``vector2`` in radians; None when either is no longer than ``epsilon``.

        By default the counter-clockwise turn in [0, 2 pi); with ``polar`` the
        False object the unsigned angle in [0, pi]; with ``compare`` the True
        object a clockwise turn gives ``1 / (a - 2 pi)``.
        """
    @staticmethod
    def radian_to_degree(radian: float, /) -> float:
        """Degrees, rounded to 2 decimals."""
    @staticmethod
    def degree_to_radian(degree: float, /) -> float:
        """Radians."""
    @staticmethod
    def cos(vector1: Any, vector2: Any) -> Optional[float]:
        """The cosine of the angle between the vectors (clamped to the ints 1 and -1); None for a short vector."""
    @staticmethod
    def sin(vector1: Any, vector2: Any) -> Optional[float]:
        """The signed sine of the turn from ``vector1`` to ``vector2`` (clamped to the ints 1 and -1); None for a short vector."""
    @staticmethod
    def projection_point(a: SupportsXY, b: SupportsXY, c: SupportsXY) -> Point:
        """The foot of the perpendicular from ``c`` on the line through ``a`` and ``b``."""
    @staticmethod
    def projection_distance(a: SupportsXY, b: SupportsXY, c: SupportsXY) -> float:
        """The distance from ``c`` to the line through ``a`` and ``b``."""
    @staticmethod
    def projection_length(a: SupportsXY, b: SupportsXY, c: SupportsXY) -> float:
        """The distance from ``a`` to the foot of ``c`` on the line through ``a`` and ``b`` (unsigned)."""
    @staticmethod
    def projection_vector(a: SupportsXY, b: SupportsXY, c: SupportsXY) -> Vector:
        """The vector from ``a`` to the foot of ``c`` on the line through ``a`` and ``b``."""
    @staticmethod
    def mirror(a: SupportsXY, b: SupportsXY, c: SupportsXY) -> Point:
        """The mirror image of ``c`` in the line through ``a`` and ``b``."""
    @staticmethod
    def intersection(a: SupportsXY, b: SupportsXY, c: SupportsXY, d: SupportsXY) -> Optional[Point]:
        """The crossing of the infinite lines a-b and c-d; None when their slopes are equal."""
    @staticmethod
    def relative_position(a: SupportsXY, b: SupportsXY, c: SupportsXY) -> int:
        """Side of ``c`` to the directed line a -> b: 0 left, 1 right, 2 on it (exact)."""
    @staticmethod
    def polar_angle(point: SupportsXY, reference_point: Optional[SupportsXY] = None) -> Optional[float]:
        """The counter-clockwise angle of ``point`` about ``reference_point`` (the origin when None), in [0, 2 pi)."""
    @staticmethod
    def sort_points_by_polar_angle(points: Iterable[_P], reference_point: Optional[SupportsXY] = None) -> List[_P]:
        """A new list sorted by polar angle (stable); TypeError when a point lies at the reference."""
    @staticmethod
    def area_of_triangle(point1: SupportsXY, point2: SupportsXY, point3: SupportsXY) -> float:
        """The signed area of the triangle: positive counter-clockwise."""
    @staticmethod
    def is_clockwise(point1: SupportsXY, point2: SupportsXY, point3: SupportsXY) -> bool:
        """True when the path point1 -> point2 -> point3 turns clockwise."""
    @staticmethod
    def is_counter_clockwise(point1: SupportsXY, point2: SupportsXY, point3: SupportsXY) -> bool:
        """True when the path point1 -> point2 -> point3 turns counter-clockwise."""
    @staticmethod
    def is_linear(points: Sequence[SupportsXY], /) -> bool:
        """True when every consecutive triple has zero area (fewer than three points are linear)."""
