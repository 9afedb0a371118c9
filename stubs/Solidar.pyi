"""Solid points and vectors, planes, façade surfaces and triangle meshes.

Coordinates are floats in the library's length unit; angles are in radians,
counter-clockwise positive seen from +z. Two points are equal when each
coordinate differs by at most ``epsilon`` (read at every call). Any object
with float ``x``, ``y`` and ``z`` attributes is accepted wherever a solid
point or vector is. Storeys follow ``BIM_FLOOR_HEIGHTS`` and units
``BIM_UNIT_WIDTH``, both read when a façade is divided. These module
settings hold in the process that sets them: a worker process started by
spawn or forkserver imports the module afresh and must set them again, for
example in a pool initializer.
"""

import math as math
from typing import Any, Iterable, List as List, Optional as Optional, Protocol, Sequence, Tuple as Tuple, TypeVar, Union

import matplotlib as matplotlib
import matplotlib.pyplot as plt
import numpy as np
import pyvista as pv
from Flatkin import Point as Point

epsilon: float
"""The tolerance of point and vector equality, 1e-06, read at every call.

Rebinding it changes later calls in this process only: a worker process
started by spawn or forkserver imports the module afresh and must set it
again, for example in a pool initializer.
"""
BIM_HEIGHTS: List[float]
"""The level heights of the first four storeys, [0, 6.5, 11, 15.5]; no operation reads it."""
BIM_FLOOR_HEIGHTS: List[float]
"""The storey heights, bottom up, after a ground entry 0: [0, 6.5, 4.5, ...], summing to 33.5.

A façade is divided into storeys at the running sums of these entries, read
when it is divided; a façade taller than their sum gets no rows above that
sum. Rebound or changed in place, it changes later divisions in this
process only: a worker process started by spawn or forkserver imports the
module afresh and must set it again, for example in a pool initializer.
"""
BIM_UNIT_WIDTH: float
"""The width of a façade unit, 8.4, read when a façade is divided.

A worker process started by spawn or forkserver imports the module afresh
and must set it again, for example in a pool initializer.
"""
__test__: dict[str, Any]

class SupportsXYZ(Protocol):
    """Anything with float coordinates ``x``, ``y`` and ``z``: a solid point or vector."""

    @property
    def x(self) -> float: ...
    @property
    def y(self) -> float: ...
    @property
    def z(self) -> float: ...

class SupportsMagnitude(SupportsXYZ, Protocol):
    """A solid vector that also answers its length, as the angle operations read it."""

    @property
    def magnitude(self) -> float: ...

class SupportsShape(Protocol):
    """A 4x4 matrix: anything numpy multiplies whose ``shape`` is ``(4, 4)``."""

    @property
    def shape(self) -> Tuple[int, ...]: ...

_P = TypeVar("_P", bound=SupportsXYZ)

class Point3d:
    """A solid point with float coordinates ``x``, ``y`` and ``z``.

    Equality is tolerant (each coordinate within ``epsilon``) while the hash
    is that of the exact tuple ``(x, y, z)``; ``point - other`` is the
    Vector3d from ``other`` to the point. The order used by ``is_less`` and
    ``is_greater`` is y first, then x, then z, each tolerant.
    """

    x: float
    y: float
    z: float
    def __init__(self, x: float, y: float, z: float) -> None:
        """Store the three coordinates as floats; a non-number raises TypeError."""
    def __repr__(self) -> str:
        """The text form, ``Point3d(x, y, z)``."""
    def __hash__(self) -> int:
        """The hash of the exact tuple ``(x, y, z)``."""
    def __eq__(self, other: SupportsXYZ) -> bool:  # type: ignore[override]
        """True when every coordinate differs by at most ``epsilon``.

        Comparing with an object without ``x``, ``y`` and ``z`` (None
        included) raises AttributeError.
        """
    def __round__(self, n: Optional[int] = 2) -> Point3d:
        """A new point with each coordinate rounded to ``n`` decimals (2 by default)."""
    def __add__(self, other: SupportsXYZ) -> Point3d:
        """A new point moved by ``other``'s coordinates, each passed through ``float()``."""
    def __sub__(self, other: SupportsXYZ) -> Vector3d:
        """The Vector3d from ``other`` to this point."""
    def is_equal(self, other: SupportsXYZ) -> bool:
        """Tolerant equality, as ``==``."""
    def is_greater(self, other: SupportsXYZ) -> bool:
        """True when greater in the tolerant order: y, then x, then z on ties."""
    def is_less(self, other: SupportsXYZ) -> bool:
        """True when less in the tolerant order: y, then x, then z on ties."""
    def distance_to_point(self, other: SupportsXYZ) -> float:
        """The Euclidean distance to ``other``; OverflowError beyond the float range."""
    @staticmethod
    def find_nearest_point(target_point: SupportsXYZ, points: Sequence[_P]) -> _P:
        """The element of ``points`` nearest to ``target_point`` (the earliest on a tie).

        Raises IndexError for an empty list.
        """
    @staticmethod
    def find_farthest_point(target_point: SupportsXYZ, points: Sequence[_P]) -> _P:
        """The element of ``points`` farthest from ``target_point`` (the earliest on a tie)."""
    @staticmethod
    def remove_duplicate_points(points: Iterable[_P], /) -> List[_P]:
        """A new list of the points not equal to a point kept before them, in order."""
    @staticmethod
    def select_unique_points(points: Sequence[_P], /) -> List[_P]:
        """A new list of the points that have no tolerantly equal twin in ``points``."""
    @staticmethod
    def count_point_occurrences(target_point: SupportsXYZ, points: Iterable[SupportsXYZ]) -> int:
        """How many elements of ``points`` equal ``target_point``."""
    @staticmethod
    def is_has_duplicate_points(points: Sequence[SupportsXYZ], /) -> bool:
        """True when some two elements of ``points`` are tolerantly equal."""
    @staticmethod
    def is_has_same_point(target_point: SupportsXYZ, points: Iterable[SupportsXYZ]) -> bool:
        """True when some element of ``points`` equals ``target_point``."""
    @staticmethod
    def zero() -> Point3d:
        """A new point at the origin."""
    @staticmethod
    def get_min_point(points: Sequence[_P], /) -> _P:
        """The least element in the tolerant y, x, z order (the earliest of ties)."""
    @staticmethod
    def get_min_point_id(points: Sequence[SupportsXYZ], /) -> int:
        """The position of the element ``get_min_point`` returns."""
    @staticmethod
    def get_max_point(points: Sequence[_P], /) -> _P:
        """The greatest element in the tolerant y, x, z order (the earliest of ties)."""
    @staticmethod
    def get_max_point_id(points: Sequence[SupportsXYZ], /) -> int:
        """The position of the element ``get_max_point`` returns."""
    @staticmethod
    def generate_random_points(
        num_points: int,
        x_range: Sequence[float] = (-10, 10),
        y_range: Sequence[float] = (-10, 10),
        z_range: Sequence[float] = (-10, 10),
    ) -> List[Point3d]:
        """``num_points`` new random points, x, y then z drawn by ``numpy.random.uniform``."""
    @staticmethod
    def find_nearest_two_points(points: Sequence[_P], /) -> Union[Tuple[_P, _P], Tuple[None, None]]:
        """The closest pair of elements in list order, or (None, None) for fewer than two."""
    def rotate2d(self, angle: float, center: SupportsXYZ) -> Point3d:
        """A new point turned by ``angle`` radians about the vertical line through ``center``.

        The new point lies at the height of ``center``.
        """
    def move(self, vector: SupportsXYZ) -> Point3d:
        """A new point moved by ``vector``; the receiver is unchanged."""
    def copy(self) -> Point3d:
        """A new point with the same coordinates."""
    @staticmethod
    def random_point(
        x_range: Sequence[float] = (-10, 10), y_range: Sequence[float] = (-10, 10), z_range: Sequence[float] = (-10, 10)
    ) -> Point3d:
        """One new random point, x, y then z drawn by ``numpy.random.uniform``."""
    @staticmethod
    def random_points(
        num_points: int,
        x_range: Sequence[float] = (-10, 10),
        y_range: Sequence[float] = (-10, 10),
        z_range: Sequence[float] = (-10, 10),
    ) -> List[Point3d]:
        """The same as ``generate_random_points``."""
    @staticmethod
    def find_center(points: Sequence[SupportsXYZ], /) -> Point3d:
        """A new point at the mean of the coordinates; ZeroDivisionError when empty."""
    def tween(self, point2: SupportsXYZ, t: float) -> Point3d:
        """A new point at parameter ``t`` from this point (0) to ``point2`` (1), unclamped."""
    def apply_affine_transformation(self, transformation_matrix: SupportsShape) -> Point3d:
        """A new point: the 4x4 matrix applied to (x, y, z, 1), without dividing by w.

        Any other shape raises ValueError.
        """
    @staticmethod
    def apply_affine_transformation_to_3d(points: Iterable[SupportsXYZ], transformation_matrix: SupportsShape) -> List[Point3d]:
        """New points: the 4x4 matrix applied to every point in one product."""
    @staticmethod
    def apply_affine_transformation_to_2d(points: Iterable[SupportsXYZ], transformation_matrix: SupportsShape) -> List[Point]:
        """New planar points: the 4x4 matrix applied to every point, z dropped."""
    @staticmethod
    def plot_points(points: Iterable[SupportsXYZ], show: Any = True) -> None:
        """Draw a new 3-D scatter figure, each point red and labelled by its index; show it when ``show``."""

class Vector3d:
    """A solid vector with float components ``x``, ``y`` and ``z``.

    Equality is tolerant and the hash exact, as for Point3d; ``*`` and ``/``
    take a number on the right only.
    """

    x: float
    y: float
    z: float
    def __init__(self, x: float, y: float, z: float) -> None:
        """Store the three components as floats; a non-number raises TypeError."""
    def __repr__(self) -> str:
        """The text form, ``Vector3d(x, y, z)``."""
    def __hash__(self) -> int:
        """The hash of the exact tuple ``(x, y, z)``."""
    def __eq__(self, other: SupportsXYZ) -> bool:  # type: ignore[override]
        """True when every component differs by at most ``epsilon``."""
    def __add__(self, other: SupportsXYZ) -> Vector3d:
        """The component-wise sum, a new vector."""
    def __sub__(self, other: SupportsXYZ) -> Vector3d:
        """The component-wise difference, a new vector."""
    def __mul__(self, other: float) -> Vector3d:
        """A new vector scaled by the number ``other``."""
    def __truediv__(self, other: float) -> Vector3d:
        """A new vector divided by the number ``other``; ZeroDivisionError for 0."""
    @property
    def magnitude(self) -> float:
        """The Euclidean length; OverflowError beyond the float range."""
    @property
    def norm(self) -> float:
        """The sum of the absolute components."""
    @property
    def unit_vector(self) -> Vector3d:
        """A new vector of length 1, or the receiver itself when no longer than ``epsilon``."""
    def reverse(self) -> Vector3d:
        """A new vector pointing the opposite way."""
    def dot_product(self, vector2: SupportsXYZ) -> float:
        """The dot product with ``vector2``."""
    def cross_product(self, other: SupportsXYZ) -> Vector3d:
        """The cross product ``self x other``, a new vector."""
    def is_equal(self, other: SupportsXYZ) -> bool:
        """Tolerant equality, reading ``y`` only when ``x`` agrees and ``z`` when ``y`` does."""
    def adjust_length(self, new_length: float) -> Vector3d:
        """A new vector along this one of length ``new_length`` (a vector no longer than ``epsilon`` is scaled)."""
    def rotate2d(self, angle: Optional[float] = None) -> Vector3d:
        """A new vector turned counter-clockwise by ``angle`` radians about the z axis; z is kept.

        Without ``angle``, a number stored as the attribute ``angle`` of this
        vector is used; otherwise TypeError.
        """
    def copy(self) -> Vector3d:
        """A new vector with the same components."""
    @staticmethod
    def vector_from_points(point1: SupportsXYZ, point2: SupportsXYZ) -> Vector3d:
        """The vector from ``point1`` to ``point2``."""
    @staticmethod
    def angle(vector1: SupportsMagnitude, vector2: SupportsMagnitude, polar: Any = True, compare: Any = False) -> Optional[np.float64]:
        """The angle from ``vector1`` to ``vector2`` in radians, a numpy float; None for a vector no longer than ``epsilon``.

        By default the counter-clockwise turn seen from +z, in [0, 2 pi);
        with ``polar`` the False object, the unsigned angle in [0, pi]; with
        ``compare`` the True object, a clockwise turn gives 1 / (angle - 2 pi).
        """
    @staticmethod
    def radian_to_degree(radian: float, /) -> float:
        """The angle in degrees, rounded to 2 decimals."""
    @staticmethod
    def degree_to_radian(degree: float, /) -> float:
        """The angle in radians."""
    @staticmethod
    def cos(vector1: SupportsMagnitude, vector2: SupportsMagnitude) -> Optional[float]:
        """The cosine of the angle between the vectors; the int 1 or -1 when clamped, None for a null vector."""
    @staticmethod
    def sin(vector1: SupportsMagnitude, vector2: SupportsMagnitude) -> Optional[float]:
        """The signed sine: positive for a counter-clockwise turn seen from +z (or none), clamped as ``cos``."""
    @staticmethod
    def projection_point(a: SupportsXYZ, b: SupportsXYZ, c: SupportsXYZ) -> Point3d:
        """The foot of the perpendicular from ``c`` onto the line through ``a`` and ``b``."""
    @staticmethod
    def projection_distance(a: SupportsXYZ, b: SupportsXYZ, c: SupportsXYZ) -> float:
        """The distance from ``c`` to the line through ``a`` and ``b``."""
    @staticmethod
    def projection_length(a: SupportsXYZ, b: SupportsXYZ, c: SupportsXYZ) -> float:
        """The distance from ``a`` to the foot of ``c`` on the line ``a``-``b``, never negative."""
    @staticmethod
    def projection_vector(a: SupportsXYZ, b: SupportsXYZ, c: SupportsXYZ) -> Vector3d:
        """The vector from ``a`` to the foot of ``c`` on the line ``a``-``b``."""
    @staticmethod
    def mirror(a: SupportsXYZ, b: SupportsXYZ, c: SupportsXYZ) -> Point3d:
        """The mirror image of ``c`` in the line through ``a`` and ``b``."""
    @staticmethod
    def intersection(a: Point3d, b: SupportsXYZ, c: SupportsXYZ, d: SupportsXYZ) -> Optional[Point3d]:
        """Where the unbounded line ``c``-``d`` crosses the segment ``a``-``b`` (ends included), or None.

        The tests are exact: parallel lines, lines not in one plane and
        rounding that leaves them apart give None.
        """
    @staticmethod
    def relative_position(a: SupportsXYZ, b: SupportsXYZ, c: SupportsXYZ) -> int:
        """Side of ``c`` seen from +z against the line ``a`` -> ``b``: 0 left, 1 right, 2 on it."""
    @staticmethod
    def polar_angle(point: SupportsXYZ, reference_point: Optional[SupportsXYZ] = None) -> Optional[np.float64]:
        """The polar angle of ``point`` about ``reference_point`` (the origin by default), from +x, in radians."""
    @staticmethod
    def sort_points_by_polar_angle(points: Iterable[_P], reference_point: Optional[SupportsXYZ] = None) -> List[_P]:
        """A new list of the points by ascending polar angle, stable; a point at the reference raises TypeError."""
    @staticmethod
    def area_of_triangle(point1: SupportsXYZ, point2: SupportsXYZ, point3: SupportsXYZ) -> float:
        """The area of the triangle, never negative."""
    @staticmethod
    def is_clockwise(point1: SupportsXYZ, point2: SupportsXYZ, point3: SupportsXYZ) -> bool:
        """True when the path turns clockwise at ``point2`` seen from +z."""
    @staticmethod
    def is_counter_clockwise(point1: SupportsXYZ, point2: SupportsXYZ, point3: SupportsXYZ) -> bool:
        """True when the path turns counter-clockwise at ``point2`` seen from +z."""
    @staticmethod
    def is_linear(points: Sequence[SupportsXYZ], /) -> bool:
        """True when every run of three consecutive points spans no area (fewer than three: True)."""

class Surface:
    """A four-cornered façade face of coplanar points in space.

    ``points[0]`` is the base point, ``points[1]`` lies above it and
    ``points[-1]`` lies to its right (``points[2]``, the top right corner,
    only appears in the text form). The surface keeps the caller's list.
    """

    points: Any
    def __init__(self, points: Sequence[Point3d]) -> None:
        """Keep ``points`` (the caller's own list)."""
    def __repr__(self) -> str:
        """The text form, ``Surface(p0, p1,p2,p3)``."""
    @property
    def origin(self) -> Point3d:
        """The base point, ``points[0]`` itself."""
    @property
    def vector_i(self) -> Vector3d:
        """The unit vector from the base point to ``points[-1]`` (the edge itself when no longer than ``epsilon``)."""
    @property
    def vector_j(self) -> Vector3d:
        """The unit vector from the base point to ``points[1]`` (the edge itself when no longer than ``epsilon``)."""
    @property
    def height(self) -> float:
        """The distance from the base point to ``points[1]``."""
    @property
    def width(self) -> float:
        """The distance from the base point to ``points[-1]``."""
    @property
    def plane(self) -> Plane:
        """A new Plane through the base, top left and bottom right corners."""
    @property
    def transformation_to_xy(self) -> np.ndarray:
        """The 4x4 matrix laying the surface into the XY plane: base at the origin, height along +y, width along +x."""
    @property
    def inverse_transformation_to_xy(self) -> np.ndarray:
        """The 4x4 matrix carrying the XY layout back onto the surface."""
    def apply_affine_transformation_to_xy(self) -> List[Point3d]:
        """New points: every corner laid into the XY plane."""
    def divide_height(self) -> List[float]:
        """The storey levels from the running sum of ``BIM_FLOOR_HEIGHTS``, ending at the height (the int 0 first).

        A level within ``epsilon`` of the height, or above it, is replaced
        by the height and ends the list.
        """
    def divide_width(self) -> List[float]:
        """The unit offsets: 0, whole ``BIM_UNIT_WIDTH`` steps, then the width when a remainder above ``epsilon`` is left."""
    def divide_surface(self) -> List[Surface]:
        """New surfaces, one per storey and unit cell, column by column, each from the bottom."""
    def divide_surface_with_label(self) -> dict[Surface, Tuple[int, int]]:
        """The cells as new surfaces with their (column, row) labels: -1 first, 1 last, 0 inner."""
    def divide_surface_to_planes_with_label(self) -> dict[Plane, str]:
        """The cells as new planes (base, above, right corners) with their labels as text, ``"column,row"``."""
    def divide_surface_xy_points(self) -> dict[Point3d, Tuple[int, int]]:
        """The cells laid flat: each bottom left corner in the XY layout with its (column, row) label.

        Labels come from the cell's position alone (first, last or inner
        column and row), so every corner and edge of the grid is told apart.
        The storey list may be longer than a façade needs.
        """
    def divide_surface_xy_planes(self) -> dict[Plane, str]:
        """The cells laid flat as planes of one unit by one nominal storey, with their labels as text."""

class Plane:
    """The plane through three points, kept as given.

    Every measure is computed afresh from ``points``; the hash is that of
    ``(points[0], normal)`` while equality is identity.
    """

    points: Any
    def __init__(self, points: Sequence[Point3d]) -> None:
        """Keep ``points`` itself when it holds three items, else a new list of the first, second and last.

        Fewer than three raise ``Exception("Points number less than three!")``.
        """
    def __repr__(self) -> str:
        """The text form, ``Plane(p0, normal)``."""
    def __hash__(self) -> int:
        """The hash of ``(points[0], normal)``."""
    @property
    def normal(self) -> Vector3d:
        """The normal ``(p2 - p1) x (p3 - p1)``, not normalised."""
    @property
    def distance_to_origin(self) -> float:
        """The distance from the origin to the plane; ZeroDivisionError for collinear points."""
    def equation(self) -> Tuple[float, float, float, float]:
        """The coefficients ``(a, b, c, d)`` of ``a x + b y + c z + d = 0``, the normal unnormalised."""
    def distance_to_point(self, point: SupportsXYZ) -> float:
        """The unsigned distance from ``point`` to the plane."""
    def plane_z_intersection(self) -> Point3d:
        """The point where the plane meets the z axis; ZeroDivisionError for a plane parallel to it."""
    @staticmethod
    def to_array(points: Iterable[SupportsXYZ], /) -> np.ndarray:
        """A numpy array of the points' coordinates, shape (n, 3)."""
    def local_coordinate_system(self) -> Tuple[np.ndarray, np.ndarray, np.ndarray, np.ndarray]:
        """The plane's frame (origin, x axis, y axis, z axis): x towards the second point, z the unit normal."""
    @staticmethod
    def move(plane: Any = None, x: float = 0, y: float = 0, z: float = 0) -> Plane:
        """A new plane through the points of ``plane`` moved by (x, y, z)."""
    @property
    def xy_plane(self) -> Plane:
        """A new plane through (0, 0, 0), (0, 1, 0), (1, 0, 0): normal (0, 0, -1)."""
    @property
    def xz_plane(self) -> Plane:
        """A new plane through (0, 0, 0), (0, 0, 1), (1, 0, 0): normal (0, 1, 0)."""
    @property
    def yz_plane(self) -> Plane:
        """A new plane through (0, 0, 0), (0, 0, 1), (0, 1, 0): normal (-1, 0, 0)."""
    @property
    def xy_coord_system(self) -> Tuple[np.ndarray, np.ndarray, np.ndarray, np.ndarray]:
        """The frame of ``xy_plane``: x axis (0, 1, 0), y axis (1, 0, 0), z axis (0, 0, -1)."""
    @property
    def xz_coord_system(self) -> Tuple[np.ndarray, np.ndarray, np.ndarray, np.ndarray]:
        """The frame of ``xz_plane``."""
    @property
    def yz_coord_system(self) -> Tuple[np.ndarray, np.ndarray, np.ndarray, np.ndarray]:
        """The frame of ``yz_plane``."""
    @staticmethod
    def transformation_matrix(coord_system1: Sequence[Any], coord_system2: Sequence[Any]) -> np.ndarray:
        """The 4x4 matrix carrying frame 1 onto frame 2."""
    def transformation_matrix_to_xy(self) -> np.ndarray:
        """The 4x4 matrix carrying the plane's frame onto ``xy_coord_system``: the plane lands in z = 0."""
    def transformation_inverse_matrix_to_xy(self) -> np.ndarray:
        """The 4x4 matrix carrying ``xy_coord_system`` back onto the plane's frame."""
    @staticmethod
    def is_coplanar(points: Sequence[SupportsXYZ], /) -> bool:
        """True when every point from the fourth on lies exactly on the plane of the first three."""

class Mesh:
    """A triangle mesh: an (n, 3) vertex array, an (m, 3) triangle array of vertex rows, and a layer name.

    The arrays are kept as given; operations return new arrays or meshes.
    """

    vertices: Any
    indices: Any
    layer: Optional[str]
    def __init__(self, vertices: Any, indices: Any, layer: Optional[str] = None) -> None:
        """Keep the arrays and the layer (None or exactly a str, else TypeError)."""
    def __repr__(self) -> str:
        """The text form, ``Mesh:`` and the layer."""
    @property
    def normals(self) -> np.ndarray:
        """The unit normal of each triangle by the right-hand rule over its corners; NaN rows for degenerate ones."""
    def to_pyvista_mesh(self) -> pv.PolyData:
        """A new pyvista triangle mesh of the arrays.

        Whatever ``indices`` is (an array of any dtype, a memoryview, a list,
        an object with ``__array__``), numpy makes it one int64 array, and
        that array is what is checked and handed to pyvista, with numpy's
        array of ``vertices``. IndexError, before pyvista sees them, when a
        triangle index is below 0 or not below the number of vertex rows (so
        also in ``show_mesh``); numpy's own error when an element is no
        integer.
        """
    def merge(self, other_mesh: Mesh) -> Mesh:
        """A new mesh of both meshes' triangles, the other's renumbered after these vertices; this mesh's layer."""
    def self_clean_vertices(self) -> Mesh:
        """A new mesh without repeated vertex rows (numpy.unique's sorted rows), triangles renumbered."""
    @staticmethod
    def merge_meshes_by_layer(meshes: Iterable[Mesh], /) -> List[Mesh]:
        """One mesh per layer, in order of first appearance, each layer's meshes joined by ``merge`` in turn; a layer met once gives its mesh itself."""
    @staticmethod
    def apply_affine_transformation(vertices: Any, transformation_matrix: SupportsShape) -> np.ndarray:
        """A new (n, 3) array: the 4x4 matrix applied to every vertex row, without dividing by w."""
    @staticmethod
    def clean_vertices(vertices: Any = None, _indices: Any = None) -> Tuple[np.ndarray, np.ndarray]:
        """numpy.unique's sorted distinct rows and the inverse taken at ``_indices`` (shape (1, n) without them)."""
    @staticmethod
    def simplify_mesh(mesh: Mesh, /) -> Mesh:
        """A new mesh without repeated vertex rows, as ``self_clean_vertices``."""
    @staticmethod
    def convert_pvMesh_to_array(pv_mesh: Any, /) -> Tuple[np.ndarray, np.ndarray]:
        """The (vertices, triangles) arrays of a triangulated pyvista mesh."""
    @staticmethod
    def triangulate_2d(points: Sequence[Any], /) -> Tuple[np.ndarray, np.ndarray]:
        """The (vertices, triangles) of an outline of planar points triangulated in z = 0.

        The vertex rows are the outline's points in order, (x, y, 0) in
        float64, a closing point that repeats the first included; the int64
        triangles cover the outline's inside on those points, all counter-
        clockwise seen from +z. A point within ``epsilon`` (1e-6) of an
        earlier corner is that corner, so a ring drawn with points closer
        than that is thinned, never moved farther. ValueError, naming the point, for a coordinate
        that is NaN, infinite or beyond 1e+60, and for an outline that
        crosses itself.
        """
    @staticmethod
    def extrude_to_mesh(points: Sequence[Any], height: float) -> Tuple[np.ndarray, np.ndarray]:
        """The (vertices, triangles) of an outline extruded by ``height`` along z, both ends closed.

        The rows of ``triangulate_2d`` followed by the same rows at z =
        ``height``, in float64 with the outline's exact coordinates. The
        prism is closed and every triangle faces out of it, for an outline in
        either direction and a height of either sign: its signed volume is the
        outline's area times abs(height). A height of 0 is kept: both levels
        at z = 0. ValueError "the height is not finite: nan" (or inf, -inf),
        before the outline is read, for a NaN or infinite height; otherwise
        the same ValueErrors as ``triangulate_2d``.
        """
    @staticmethod
    def constrain_delaunay_2d(points_list: Sequence[Sequence[Any]], /) -> Tuple[np.ndarray, np.ndarray]:
        """The (vertices, triangles) of a Delaunay triangulation of outlines constrained by their edges.

        The first outline is the boundary and every other one an opening in
        it; each may run in either direction and may repeat its first point at
        the end. The triangles (int64, all counter-clockwise seen from +z)
        cover exactly the boundary's inside less the openings' insides, on the
        outlines' own points. Points and edges of different outlines within
        ``epsilon`` (1e-6) of each other touch, so openings computed with
        rounding may meet each other and the boundary at corners, along sides
        or on the boundary's edge; a point within ``epsilon`` of an earlier
        corner is that corner (a densely drawn ring is thinned, never moved
        farther than ``epsilon``). The vertex rows are the outlines' points in
        order, (x, y, 0) in float64, each distinct point once at its first
        appearance when there are several outlines (as adding pyvista meshes
        merges them).

        IndexError for no outlines. ValueError, naming the outline (and the
        point), for a coordinate that is NaN, infinite or beyond 1e+60, for
        outlines that cross each other or themselves by more than
        ``epsilon``, and for an opening outside the boundary or inside another
        opening.
        """
    @staticmethod
    def constrain_delaunay_3d(points_list: Sequence[Sequence[Any]], height: float) -> Tuple[np.ndarray, np.ndarray]:
        """That triangulation extruded by ``height`` along z, both ends closed.

        The rows of ``constrain_delaunay_2d`` followed by the same rows at z =
        ``height``. The caps are the boundary (the first outline) less the
        openings (the others); the walls stand on the boundary and on every
        opening. Every triangle faces out of the solid, for outlines in either
        direction and a height of either sign: the signed volume is the
        region's area times abs(height). A height of 0 is kept: both levels
        at z = 0. ValueError "the height is not finite: nan" (or inf, -inf),
        before the outlines are read, for a NaN or infinite height; otherwise
        the same errors as ``constrain_delaunay_2d``.
        """
    @staticmethod
    def convert_rhinoMesh_to_pvMesh(rhino_mesh: Any, /) -> pv.PolyData:
        """A pyvista triangle mesh with normals of a Rhino mesh; its quads are split in the caller's mesh.

        Vertices are read at the precision the mesh holds them: through
        ``Vertices.ToPoint3dArray()`` (or ``Vertices.Point3dAt(j)``) where the
        vertex list offers it, so double-precision vertices (a mesh read from
        a .3dm file, points added with ``AddPoint3d``) stay exact; otherwise
        ``Vertices[j].X``, ``.Y``, ``.Z``. The normals are oriented
        consistently and then flipped, so a closed Rhino mesh comes back
        facing inward (its normals point into the solid).

        IndexError when a face names a vertex below 0 or not below the vertex count.
        """
    @staticmethod
    def show_rhino_mesh(rhino_geometries: Iterable[Any], /) -> None:
        """Show Rhino meshes in a pyvista window (their quads are split in place)."""
    @staticmethod
    def show_pyvista_mesh(pyvista_meshes: Iterable[Any], /) -> None:
        """Show pyvista meshes in a pyvista window."""
    @staticmethod
    def show_mesh(meshes: Iterable[Mesh], /) -> None:
        """Show meshes in a pyvista window, one colour per layer.

        Each colour is drawn after seeding numpy's shared generator with the
        layer's hash, which leaves the generator seeded.
        """
    @staticmethod
    def meshes_to_front(meshes: Optional[Iterable[Mesh]] = None) -> dict[Optional[str], dict[str, list[Any]]]:
        """The front-end export: per layer, "vertex" (x, z, -y rounded to 4 decimals) and "vertex_index".

        One entry per layer: a later mesh of a layer replaces an earlier one
        (merge each layer first with ``merge_meshes_by_layer``). IndexError when a
        triangle index is below 0 or not below the mesh's number of vertex rows.
        """
