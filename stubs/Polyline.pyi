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
    def bounding_box(self, vector: Any = ..., typ: Any = 0) -> Optional[List[Point]]:
        """Four corners of the box ``BOUND`` names: "ABB" axis-aligned, "MBB" least area, "LEB" longest edge, "SVB" along ``vector``.

        With ``typ == 1`` a non-convex outline is boxed by its closed convex
        hull; an unknown mode gives None. The receiver is not changed.
        """
    def minimum_bounding_box(self) -> Optional[List[Point]]:
        """The least-area box with a side along a segment (clockwise corners); None when no area is finite."""
    def longest_edge_box(self) -> List[Point]:
        """The box with a side along the longest segment."""
    def set_vector_box(self, vector: Any = ...) -> List[Point]:
        """The box along ``vector`` (default ``Vector(1, 0)``), from its upper left corner."""
    @property
    def area(self) -> float:
        """The unsigned enclosed area, summed about the first point; ValueError when the polyline is open."""
    @property
    def is_clockwise(self) -> float:
        """The signed sum of the turns at every vertex (the last segment paired with the first), a float.

        It is a sum of turn cross products, not an area: its sign follows the
        turns and can disagree with the direction of a non-convex outline
        (``wise`` gives the direction). As a truth value it is true whenever
        it is not zero, whichever the direction.
        """
    @property
    def simple_wise(self) -> Optional[int]:
        """The winding code of the first three points; Exception "Point Overlap" when two are equal."""
    @property
    def wise(self) -> int:
        """The winding code of the whole polyline by the sign of the area it encloses.

        1 counter-clockwise (positive area), 0 clockwise (negative), 2 when
        the area is zero or not a number; an open polyline is closed by the
        straight edge from its last point back to its first.
        """
    @property
    def start_vector(self) -> Vector:
        """A new vector from the first point to the second."""
    @property
    def end_vector(self) -> Vector:
        """A new vector from the second-last point to the last."""
    def is_convex(self) -> bool:
        """True when every non-zero turn at the inner vertices, and at the closing vertex of a closed polyline, has one sign (fewer than four points: True)."""
    @staticmethod
    def convex_hull(points: Iterable[Point], /) -> List[Point]:
        """The given points on the convex hull, counter-clockwise from the least polar angle, closed by the first; ZeroDivisionError for no points."""
    @staticmethod
    def unify_direction(polylines: List[Polyline], /) -> List[Polyline]:
        """Reverse in place each polyline whose winding code differs from the first one's; return the list."""
    def degenerate_distance(self) -> Dict[int, float]:
        """For each segment index, the offset distance (to the right) at which the segment shrinks to nothing.

        Judged from the turns at both of its ends, the closing vertex of a
        closed polyline included; ``inf`` where it never collapses.
        """
    def offset(self, distance: float) -> Polyline:
        """A new polyline moved by ``distance`` to the right (left when negative), with mitred corners.

        A negative distance works on the reversed points, so the result runs
        the other way. Straight-on vertices are dropped first, the first and
        last point of a closed outline included, and change nothing.

        Closed: the region that moving every edge by the distance leaves (the
        outline grown or shrunk with mitred corners, like a mitred buffer of
        its polygon with no mitre limit). While no edge collapses and no
        corner runs into another part of the outline, the result is every
        edge moved and crossed with its neighbours, starting at the image of
        the first point. Otherwise it is rebuilt from the moved edges: it
        runs the same way and starts where its stretch on the moved line of
        the earliest surviving edge begins (the earliest along that edge when
        it has several). IndexError("The offset distance collapses the
        outline.") when nothing is left; ValueError("The offset splits the
        outline into N parts.") when it falls into several outlines, and
        "... into N part(s) around M hole(s)." when it encloses holes (a
        grown outline closing round a courtyard): one Polyline cannot hold
        them, and one part alone would lose the others. An outline that
        crosses itself (its lobes face opposite ways) is every edge moved and
        crossed with its neighbours while no edge collapses, every lobe kept;
        past a collapse ValueError("The outline crosses itself, so it has no
        offset past the collapse of an edge."). One that only touches itself
        is one region like any other.

        Open: while no edge collapses, every edge moved and crossed with its
        neighbours, from the moved first point to the moved last one; it
        crosses itself wherever the polyline or its moved edges do. Where an
        edge collapses, the part of the boundary of the polyline's mitred
        band (both sides, round ends of sixteen chords) that lies on the
        moved edges of the offset side; that never crosses itself.
        ValueError("The offset splits the polyline into N parts.") when it
        falls into several pieces.

        A result rebuilt past a collapse is built about the first point, so a
        figure far from the origin gets the offset it gets there.
        """
    def unequal_offset(self, dis_lst: Sequence[float]) -> Polyline:
        """A new closed polyline with each segment's line moved by its own distance; IndexError for a wrong count."""
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
    def find_discontinuity(self) -> List[Point]:
        """The points without exact repeats (one copy stays), then without the inner vertices where the polyline runs straight on or doubles back."""
    @staticmethod
    def join(segments: List[Segment], ordered: Any = False) -> Polyline:
        """A polyline through the segments' end points; unordered, the segments are chained and taken from the list."""
    def loft(self, other_polyline: Polyline) -> Polyline:
        """A new closed polyline of these points followed by the other's."""
    def tween(self, other_polyline: Polyline, t: float) -> Polyline:
        """A new polyline of each point moved the fraction ``t`` towards its partner; ValueError for unequal counts."""
    def extend(self, length: float) -> Polyline:
        """A new polyline running on ``length`` beyond the end, along the last segment."""
    def shorten(self, length: float) -> Polyline:
        """A new polyline of the first ``length`` units from the start."""
    def adjust_length(self, length: float) -> Polyline:
        """Extended by a positive ``length``, shortened by the magnitude of a negative one, the receiver for 0."""
    def break_by_point(self, point: SupportsXY) -> Union[List[Polyline], Polyline]:
        """Two pieces cut at the point, or the receiver when it lies on no segment."""
    def break_by_points(self, points: Iterable[SupportsXY]) -> Union[List[Polyline], Polyline]:
        """The pieces cut at each point in turn, or the receiver when none lies on it."""
    def break_by_parameter(self, t: float) -> Union[List[Polyline], Polyline]:
        """Two pieces cut at the fraction ``t`` of the length, or the receiver for t <= 0 or t >= 1."""
    def break_by_parameters(self, parameters: Iterable[float]) -> List[Polyline]:
        """The consecutive pieces between the sorted distinct fractions; ValueError outside (0, 1)."""
    def break_by_interval(self, interval: Iterable[float]) -> Tuple[Polyline, Polyline]:
        """The pieces before and after the interval's fractions."""
    def break_by_intervals(self, intervals: Iterable[Iterable[float]]) -> List[Polyline]:
        """Every second piece, from the first, of the cuts at all interval ends."""
    def break_by_tuple(self, points: Sequence[SupportsXY]) -> Union[Tuple[Polyline, Polyline, Polyline], Polyline]:
        """Three pieces cut at both points of the pair, or the receiver."""
    def break_by_tuples(self, tuples: Iterable[Sequence[SupportsXY]]) -> List[Polyline]:
        """The pieces cut by each pair in turn."""
    def move(self, vector: SupportsXY) -> Polyline:
        """A new polyline with every point moved by ``vector``."""
    def rotate(self, angle: float, point: SupportsXY) -> Polyline:
        """A new polyline turned counter-clockwise by ``angle`` radians about ``point``."""
    @staticmethod
    def chamfer_t(segment0: Any = None, segment1: Any = None, radius: Any = None) -> float:
        """How far from the corner the cut starts on each segment: |radius / tan(angle / 2)|, at most half the shorter."""
    @staticmethod
    def segment_chamfer(segment0: Any = None, segment1: Any = None, radius: Any = None) -> Polyline:
        """``[segment0.start, cut, cut, segment1.end]``: the corner cut straight."""
    @staticmethod
    def polyline_chamfer(polyline: Any = None, radius: Any = None) -> Polyline:
        """A new polyline with every corner cut straight (an open one keeps its ends)."""
    @staticmethod
    def segment_fillet(segment0: Any = None, segment1: Any = None, radius: Any = None, number: Any = None) -> Polyline:
        """The corner rounded: the two cut points with ``max(number, 2)`` arc points between them."""
    @staticmethod
    def polyline_fillet(polyline: Any = None, radius: Any = None, number: Any = None) -> Polyline:
        """A new polyline with every corner rounded by sampled arcs."""
    @staticmethod
    def plot_polylines(polylines: Iterable[Polyline], name: Optional[Union[str, List[str]]] = None, show: Any = True) -> None:
        """Draw the polylines in one figure, each in a random colour with its label; show it when ``show``."""
