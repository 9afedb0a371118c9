"""Circles and arcs in the plane.

Angles are in radians, counter-clockwise from the positive x axis; lengths
are in the library's length unit. A circle or an arc keeps the objects it is
given (its centre is the caller's Point, an int radius stays an int) and
reads its attributes at every call; the in-place changes replace ``center``
or ``radius`` and return None. ``Point``, ``Vector``, ``Segment`` and
``Circle`` are looked up in this module when a member runs, so rebinding
them here changes what later calls build.
"""

import math as math
from typing import Any, Iterator, List as List, Optional as Optional, Protocol, Tuple as Tuple, Union as Union

import matplotlib.pyplot as plt
import numpy as np
from Flatkin import Point as Point, SupportsXY, Vector as Vector
from Strakel import Line as Line, Ray as Ray, Segment as Segment

class _CircleLike(Protocol):
    """Anything with a ``center`` point and a number ``radius``."""

    @property
    def center(self) -> SupportsXY: ...
    @property
    def radius(self) -> float: ...

class _LineLike(Protocol):
    """Anything with ``start`` and ``end`` points: a Line, or a Segment taken as its line."""

    @property
    def start(self) -> SupportsXY: ...
    @property
    def end(self) -> SupportsXY: ...

class _Measurable(Protocol):
    """Anything that measures its distance to a point, such as a Line."""

    def distance_to_point(self, point: Point, /) -> float: ...

class _Bounded(Protocol):
    """A Ray or a Segment: its supporting line and its bound test."""

    def to_line(self) -> _LineLike: ...
    def is_point_in_bound(self, point: Point, /) -> bool: ...

class Circle:
    """A circle: a centre ``Point`` and a number ``radius``.

    Built from a centre and a radius (kept as given) or from three points.
    Equality is tolerant (radii within 0.01, centres by Point equality)
    while the hash is that of the exact pair ``(center, radius)``. Copies,
    deep copies and pickles as a plain class does.
    """

    center: Point
    radius: float
    def __init__(
        self, input_a: Optional[Point] = None, input_b: Union[Point, float, None] = None, input_c: Optional[Point] = None
    ) -> None:
        """Build from a Point and an int or float radius, or from three Points on the circle.

        Raises Exception("Check three circle inputs!") for any other inputs and
        Exception("Three points collinear!") for three points on one line.
        """
    def __repr__(self) -> str:
        """The text form, ``Circle (R:<radius rounded to 2 decimals>,<centre>)``."""
    def __eq__(self, other: _CircleLike) -> bool:  # type: ignore[override]
        """True when the radii are within 0.01 and the centres are equal (Point equality)."""
    def __hash__(self) -> int:
        """The hash of the exact pair ``(center, radius)``."""
    def __iter__(self) -> Iterator[Any]:
        """Yield ``center``, then ``radius``, each read when reached."""
    @property
    def area(self) -> float:
        """pi times the radius squared."""
    @property
    def circumference(self) -> float:
        """2 pi times the radius."""
    @property
    def diameter(self) -> float:
        """Twice the radius (an int for an int radius)."""
    def set_center(self, x: float, y: float) -> None:
        """Replace the centre by a new ``Point(x, y)``; in place."""
    def set_radius(self, r: float) -> None:
        """Replace the radius by ``r``, unchanged and unchecked; in place."""
    def get_arc_length(self, radians: float) -> float:
        """The length of the arc over ``radians``: signed like the angle."""
    def get_sector_area(self, radians: float) -> float:
        """The area of the sector over ``radians``: signed like the angle."""
    def get_chord_length(self, radians: float) -> float:
        """The chord over ``radians``, ``2 r sin(radians / 2)``: signed like that sine."""
    def is_circle_intersect(self, other_circle: _CircleLike) -> bool:
        """True when the centre distance is at most the sum of the radii (a circle inside another counts)."""
    def is_line_intersect(self, line: _Measurable) -> bool:
        """True when ``line.distance_to_point(center)`` is at most the radius."""
    def is_overlapping(self, other_circle: _CircleLike) -> bool:
        """True when the centre distance is less than the sum of the radii."""
    def contains(self, point: SupportsXY) -> Optional[int]:
        """Position of the point: 1 inside, 2 on the circle (within 0.001), 0 outside; None for NaN."""
    def rotate(self, axis_center: SupportsXY, radians: float) -> None:
        """Turn the centre counter-clockwise by ``radians`` about ``axis_center``; in place."""
    def move(self, vector: SupportsXY) -> None:
        """Replace the centre by ``center + vector``; in place."""
    def scale(self, factor: float) -> None:
        """Multiply the radius by ``factor``; in place, the centre stays."""
    def offset(self, distance: float) -> None:
        """Add ``distance`` to the radius (unchecked: it may turn negative); in place."""
    def bound(self) -> Tuple[float, float, float, float]:
        """The box ``(min_x, min_y, max_x, max_y)`` of the circle."""
    def point_at_radians(self, radians: Optional[float] = None) -> Point:
        """The new point of the circle at the angle ``radians``."""
    def point_at_parameter(self, parameter: Optional[float] = None) -> Point:
        """The new point at ``parameter`` turns (the angle ``2 pi * parameter``)."""
    def closest_point(self, point: Optional[SupportsXY] = None) -> Point:
        """The new point of the circle nearest to ``point``.

        Raises Exception("Given point is on center!") for the centre itself.
        """
    def is_point_on_circle(self, point: Optional[SupportsXY] = None) -> bool:
        """True when the point's distance from the centre is within a relative 0.001 of the radius."""
    def evaluate_point_radians(self, point: Optional[SupportsXY] = None) -> Optional[float]:
        """The angle of a point on the circle, in [0, 2 pi]; None for a radius at most ``epsilon``.

        Raises Exception("Given point is not on the circle!") for a point off it.
        """
    def evaluate_point_parameter(self, point: Optional[SupportsXY] = None) -> float:
        """The angle of a point on the circle in turns, in [0, 1]."""
    def tangent(self, point: Optional[SupportsXY] = None) -> Segment:
        """The unit Segment from ``point`` along the counter-clockwise tangent.

        Its start is the point given. Raises Exception("Given point is not on
        the circle!") for a point off the circle.
        """
    def perpendicular(self, point: Optional[SupportsXY] = None) -> Vector:
        """The outward unit normal at a point of the circle, a new Vector.

        Raises Exception("Given point is not on the circle!") for a point off it.
        """
    def with_line_intersection(self, line: _LineLike) -> Union[None, Point, Tuple[Point, Point]]:
        """Crossings with the infinite line through ``line.start`` and ``line.end``.

        None, one Point for a tangent line, or a tuple of two, the one farther
        along start -> end first. Solved about the centre, so a circle drawn
        at site coordinates keeps its digits.
        """
    def with_ray_intersection(self, ray: _Bounded) -> Union[None, Point, List[Point]]:
        """Crossings with a Ray: None, one Point, or a list of two, farther along the ray first."""
    def with_segment_intersection(self, segment: _Bounded) -> Union[None, Point, List[Point]]:
        """Crossings with a Segment: None, one Point, or a list of two, nearer its end first."""
    @staticmethod
    def circle_intersection(circle_1: _CircleLike, circle_2: _CircleLike) -> Optional[Tuple[Point, Point]]:
        """Crossings of two circles: None, or a tuple of two Points (right, then left of centre 1 -> centre 2).

        Touching circles give the contact point twice.
        """
    @staticmethod
    def find_circle(input_a: SupportsXY, input_b: SupportsXY, input_c: SupportsXY) -> Tuple[Point, float]:
        """The centre (a new Point) and radius of the circle through three points.

        Raises Exception("Three points collinear!") for points on one line.
        """
    def plot_circle(self, show: Any = False) -> None:
        """Draw the circle in a new matplotlib figure sized by its bound; with ``show``, show it."""

class Arc:
    """A circular arc: a supporting ``circle``, start and end angles in radians,
    the direction ``wise`` (1 counter-clockwise, 0 clockwise) and its end points.

    The in-place changes replace ``center`` or ``radius`` only; the circle,
    the angles and the end points keep their values. An arc built without a
    complete set of inputs has no attributes. Copies, deep copies and pickles
    as a plain class does.
    """

    center: Point
    radius: float
    circle: Circle
    start_radians: float
    end_radians: float
    wise: int
    start_point: Point
    end_point: Point
    def __init__(
        self,
        center: Optional[Point] = None,
        radius: Optional[float] = None,
        radians: Optional[float] = None,
        start_radians: Optional[float] = None,
        start_point: Optional[Point] = None,
        end_point: Optional[Point] = None,
        arc_point: Optional[Point] = None,
        start_direction: Optional[SupportsXY] = None,
    ) -> None:
        """Build from the first complete set of inputs, in this order.

        ``center``, ``radius``, ``start_radians`` and the signed sweep
        ``radians``; three points ``start_point``, ``arc_point``, ``end_point``;
        ``center``, ``start_point`` and ``radians``; ``start_point``,
        ``end_point`` and the direction ``start_direction`` leaving the start.
        With none complete the arc is left without attributes. Raises
        Exception("equal point existing"), Exception("start_point ==
        end_point") or Exception("can't get a circle with this direction").
        """
    def __repr__(self) -> str:
        """The text form, ``Arc (Center:<centre>,R:<radius to 2 decimals>,Radians:<sweep>,start_radians:<start>)``."""
    def __eq__(self, other: Arc) -> bool:  # type: ignore[override]
        """True when ``(center, radius, start_radians, end_radians)`` are equal pair by pair (centres by Point equality)."""
    def __hash__(self) -> int:
        """The hash of ``(center, radius, start_radians, end_radians)``."""
    def __iter__(self) -> Iterator[Any]:
        """Iterate over ``center``, ``radius``, ``start_radians``, ``end_radians``, read at once."""
    @property
    def radians(self) -> float:
        """The signed sweep ``end_radians - start_radians``: negative for a clockwise arc."""
    @property
    def length(self) -> float:
        """The arc length, ``radius * abs(radians)``."""
    @property
    def parameter_domain(self) -> Tuple[float, float]:
        """The start and end angles in turns (divided by 2 pi)."""
    @property
    def circumference(self) -> float:
        """The circumference of the whole circle, ``2.0 * pi * radius``."""
    @property
    def diameter(self) -> float:
        """``2.0 * radius``."""
    @property
    def is_circle(self) -> bool:
        """True when the sweep is a full turn within 0.001 radians."""
    @property
    def midpoint(self) -> Point:
        """The new point halfway along the arc.

        Raises Exception("Radians is not in domain") when the domain test refuses it.
        """
    @property
    def get_sector_area(self) -> float:
        """The area of the circular sector, ``abs(radians) / 2 * radius ** 2``."""
    def set_center(self, x: float, y: float) -> None:
        """Replace the centre by a new ``Point(x, y)``; in place."""
    def set_radius(self, r: float) -> None:
        """Replace the radius by ``float(r)``; in place."""
    def rotate(self, axis_center: SupportsXY, radians: float) -> None:
        """Turn the centre counter-clockwise by ``radians`` about ``axis_center``; in place, the angles stay."""
    def move(self, vector: SupportsXY) -> None:
        """Replace the centre by ``center + vector``; in place."""
    def scale(self, factor: float) -> None:
        """Multiply the radius by ``float(factor)``; in place."""
    def offset(self, distance: float) -> None:
        """Add ``float(distance)`` to the radius (unchecked: it may turn negative); in place."""
    def bound(self) -> Tuple[float, float, float, float]:
        """The box ``(min_x, min_y, max_x, max_y)`` enclosing the arc."""
    def is_radians_in_domain(self, radians: float) -> Optional[bool]:
        """True when the angle lies between the arc's lower and upper angle, inclusive.

        Compared as given, without reduction by whole turns; None when
        ``wise`` is neither 0 nor 1.
        """
    def is_point_on_arc(self, point: Optional[SupportsXY] = None) -> Optional[bool]:
        """True when the point is within a relative 0.001 of the radius and its angle is in the domain.

        The arc's own ``start_point`` and ``end_point``, and points whose
        angle lies within rounding of an end angle, are on the arc.
        """
    def point_at_radians(self, radians: Optional[float] = None) -> Point:
        """The new point at the angle ``radians``.

        Raises Exception("Radians is not in domain") for an angle outside the arc.
        """
    def point_at_parameter(self, parameter: Optional[float] = None) -> Point:
        """The new point at ``parameter`` along the sweep: 0 the start, 1 the end, unclamped."""
    def perpendicular(self, point: Optional[SupportsXY] = None) -> Vector:
        """The unit normal at a point of the arc, on the right of the direction of travel.

        Raises Exception("Given point is not on circle!") for a point off the arc
        (the arc's own end points are on it).
        """
    def tangent(self, point: Optional[SupportsXY] = None) -> Vector:
        """The unit direction of travel at a point of the arc.

        Raises Exception("Given point is not on circle!") for a point off the arc
        (the arc's own end points are on it).
        """
    @staticmethod
    def plot_arc(arc: Arc, show: Any = False) -> None:
        """Draw the arc in a new matplotlib figure sized by its bound; with ``show``, show it.

        Prints the start angle and the sweep in degrees, one line each.
        """
    @staticmethod
    def arc_to_polyline(arc: Optional[Arc] = None, number: Optional[int] = None, length: Optional[float] = None) -> List[Point]:
        """New points evenly spaced along the arc, without its ends.

        ``number`` points (at least 2), or ``round(length / arc.length)`` when
        ``number`` is None. Raises Exception("No number and no length given!")
        when both are None.
        """
