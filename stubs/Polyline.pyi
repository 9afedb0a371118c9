"""Polylines: ordered chains of planar points joined by straight segments.

A polyline keeps the caller's own list of points, uncopied: closing it
appends to that list. It is closed when its first and last points are equal
(within ``epsilon``), with no separate flag and no implicit closing segment.
Lengths are in the library's length unit, angles in radians. Containment
codes are 0 outside, 1 inside, 2 on the polyline; winding codes 0 clockwise,
1 counter-clockwise, 2 neither.
"""

import math as math
from typing import Any, Dict as Dict, Iterable, Iterator, List as List, Optional as Optional, Sequence, Tuple as Tuple, Union as Union

import matplotlib.pyplot as plt
import numpy as np
from Bowlet import Arc as Arc
from Flatkin import Point as Point, SupportsXY, Vector as Vector
from Strakel import Line as Line, Ray as Ray, Segment as Segment

class Polyline:
    """An ordered chain of points, open or closed, on the caller's own list.

    Segments are built anew on every read; nothing derived from the points
    is kept between calls, so a change to the list is seen by the next call.
    """

    BOUND: str
    points: Sequence[Point]
    def __init__(self, points: Sequence[Point]) -> None:
        """Keep ``points`` itself (not a copy); ValueError for fewer than two points."""
    def __repr__(self) -> str:
        """The text form, ``Polyline([...])``."""
    def __eq__(self, other: object) -> bool:
        """True for a Polyline whose points equal these one for one, in order (within ``epsilon``)."""
    def __hash__(self) -> int:
        """The hash of the tuple of the points."""
    def __iter__(self) -> Iterator[Point]:
        """Iterate over the stored points."""
    def reverse(self) -> None:
        """Rebind ``points`` to a reversed copy; the caller's list keeps its order."""
    def is_closed(self) -> bool:
        """True when the first point equals the last (within ``epsilon``)."""
    def close(self) -> Polyline:
        """Append the first point object to the shared list unless closed already; return the receiver."""
    def is_self_intersecting(self) -> bool:
        """True when two segments that are not neighbours cross (first and last are neighbours when closed)."""
    @property
    def segments(self) -> List[Segment]:
        """New segments between consecutive points, holding the polyline's own points."""
    @property
    def count(self) -> int:
        """The number of points."""
    @property
    def length(self) -> float:
        """The sum of the segment lengths."""
    @property
    def start(self) -> Point:
        """The first stored point."""
    @property
    def end(self) -> Point:
        """The last stored point."""
    @property
    def midpoint(self) -> Point:
        """The middle vertex itself for an odd count, else a new point between the two middle vertices."""
    @property
    def centroid(self) -> Point:
        """The length-weighted mean of the segment midpoints; ZeroDivisionError when all points coincide."""
    @property
    def mean(self) -> Point:
        """The mean of all stored points, a closed polyline's repeated end included."""
    @property
    def longest_edge(self) -> float:
        """The greatest segment length."""
    @property
    def shortest_edge(self) -> float:
        """The smallest segment length."""
    @property
    def bound(self) -> Tuple[float, float, float, float]:
        """``(min x, min y, max x, max y)`` of the points."""
    @property
    def area(self) -> float:
        """The unsigned enclosed area; ValueError when the polyline is open."""
    @property
    def is_clockwise(self) -> float:
        """The signed sum of the turns at every vertex (the last segment paired with the first): negative clockwise."""
    @property
    def simple_wise(self) -> Optional[int]:
        """The winding code of the first three points; Exception "Point Overlap" when two are equal."""
    @property
    def wise(self) -> int:
        """The winding code of the whole polyline (an open one as if closed by a straight edge)."""
    @property
    def start_vector(self) -> Vector:
        """A new vector from the first point to the second."""
    @property
    def end_vector(self) -> Vector:
        """A new vector from the second-last point to the last."""
    def is_convex(self) -> bool:
        """True when every non-zero turn at the inner vertices has one sign (fewer than four points: True)."""
    def select_segment_containing_point(self, point: SupportsXY) -> Optional[Segment]:
        """The first segment the point lies on (within ``epsilon``), or None."""
    def select_segment_close_to_point(self, point: SupportsXY) -> Optional[Segment]:
        """The segment nearest to the point (the first of equally near ones)."""
    def tangent_at_point(self, point: SupportsXY) -> Optional[Vector]:
        """The vector of the segment holding the point, or None."""
    def normal_at_point(self, point: SupportsXY) -> Optional[Vector]:
        """That segment's vector turned clockwise (as long as the segment), or None."""
    def tangent_ray_at_point(self, point: SupportsXY) -> Optional[Ray]:
        """A ray from the point along the segment holding it (x component scaled to 1), or None."""
    def tangent_line_at_point(self, point: SupportsXY) -> Optional[Line]:
        """The line of the tangent ray, or None."""
    def normal_ray_at_point(self, point: SupportsXY) -> Optional[Ray]:
        """A ray from the point along the holding segment's normal, or None."""
    def normal_line_at_point(self, point: SupportsXY) -> Optional[Line]:
        """The line of the normal ray, or None."""
    def closest_point(self, point: SupportsXY) -> Point:
        """The nearest point of the polyline: a foot on a segment or one of its own vertices."""
    def intersection(self, other: Union[Line, Polyline, Segment, Ray, Any]) -> List[Point]:
        """The distinct crossing points with a line, ray, segment or polyline, in the order found."""
    def is_point_in_bound(self, point: SupportsXY) -> bool:
        """True when the point lies in the closed axis-aligned bound (no tolerance)."""
    def is_point_on(self, point: SupportsXY) -> bool:
        """True when the point lies on a segment (within ``epsilon``)."""
    def is_point_inside(self, point: SupportsXY) -> bool:
        """True inside or on the polyline (ray casting towards +x)."""
    def is_segment_inside(self, segment: Any) -> bool:
        """True when both end points of the segment are inside or on the polyline."""
    def is_polyline_inside(self, other_polyline: Polyline) -> bool:
        """True when every point of this polyline is inside or on ``other_polyline``."""
    def contains_point(self, point: SupportsXY) -> int:
        """0 outside, 1 inside, 2 on the polyline."""
    def contains_points(self, points: Iterable[SupportsXY]) -> Tuple[List[Any], List[Any], List[Any]]:
        """``(exterior, interior, boundary)``: the given points sorted by their code, in input order."""
    def contains_segments(self, segments: Iterable[Any]) -> Tuple[List[Any], List[Any]]:
        """``(exterior, interior)``: the given segments sorted by ``is_segment_inside``."""
    def contains_polylines(self, polylines: Iterable[Polyline]) -> Tuple[List[Polyline], List[Polyline]]:
        """``(exterior, interior)``: the given polylines sorted by whether they lie inside this one."""
    def point_at_parameter(self, t: float) -> Point:
        """The point at the fraction ``t`` of the length; ValueError outside [0, 1]."""
    def point_at_length(self, length: float) -> Point:
        """The point ``length`` along the polyline; a vertex is taken from the earlier segment."""
    def evaluate_point(self, point: SupportsXY, method: Optional[str] = "length") -> Optional[float]:
        """The length ("length") or fraction ("parameter") along the polyline of a point on it, else None."""
    def divide_by_count(self, count: int) -> List[Point]:
        """``count`` points spaced by length / count from the start (the end is not among them)."""
    def divide_by_length(self, length: float) -> List[Point]:
        """Points every ``length`` from the start while within the total length."""
    @staticmethod
    def plot_polylines(polylines: Iterable[Polyline], name: Optional[Union[str, List[str]]] = None, show: Any = True) -> None:
        """Draw the polylines in one figure, each in a random colour with its label; show it when ``show``."""
