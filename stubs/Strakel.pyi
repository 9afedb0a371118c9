"""Infinite lines, segments, rays and segment networks in the plane.

Coordinates are floats in the library's length unit. The tolerance tests
(bounds widened by ``epsilon``, the on-line test) read this module's own
``epsilon``, bound once from ``Flatkin`` at import: rebinding
``Strakel.epsilon`` changes them, rebinding ``Flatkin.epsilon`` does not.
A worker process started by spawn or forkserver imports the modules afresh
and must set a rebound ``epsilon`` again, for example in a pool initializer.
Where a given point is tested against a segment or a line, ``epsilon`` is
raised to the rounding of coordinates of that size where that is larger, so
walls drawn at site coordinates (UTM-like metres or millimetres) hold the
points on them; closest points, distances, fillets and a ray's crossings are
taken about a point of the figure itself and keep their digits there.
New points, vectors, lines and segments are built through this module's
current names ``Point``, ``Vector``, ``Line`` and ``Segment``. End points are
stored as given and shared, never copied; any object with float ``x`` and
``y`` serves as a point.
"""

import math as math
import random as random
from collections import defaultdict as defaultdict
from typing import Any as Any, Callable as Callable, Dict as Dict, Iterable, Iterator as Iterator, List as List
from typing import Optional as Optional, Protocol, Sequence, Tuple as Tuple, TypeVar, overload

import matplotlib.pyplot as plt
import numpy as np
from Flatkin import Point as Point, SupportsXY, Vector as Vector, epsilon as epsilon

class _HasEnds(Protocol):
    """Anything with a ``start`` and an ``end`` point: a Line or a Segment."""

    @property
    def start(self) -> SupportsXY: ...
    @property
    def end(self) -> SupportsXY: ...

class _HasVector(Protocol):
    """Anything with a direction ``vector``: a Line or a Segment."""

    @property
    def vector(self) -> SupportsXY: ...

class _HasLine(Protocol):
    """Anything with ``to_line()``: a Segment or a Ray."""

    def to_line(self) -> Line: ...

_L = TypeVar("_L", bound=List[Segment])

class Line:
    """The infinite line through ``start`` and ``end``, directed from ``start`` to ``end``.

    Equality and hash go by the slope and the intercept, each rounded to 3
    decimals; a vertical line (x values closer than ``epsilon``) has the
    slope None.
    """

    start: Point
    end: Point
    def __init__(self, start: SupportsXY, end: SupportsXY) -> None:
        """Store the two points as given (not copied)."""
    def __repr__(self) -> str:
        """The text form ``Line:y=<slope>x+<intercept>`` (``Line:y=Nonex+<x>`` when vertical)."""
    def __eq__(self, other: Any) -> bool:
        """True when the slopes (both None, or equal after rounding to 3 decimals) and the rounded intercepts agree."""
    def __hash__(self) -> int:
        """The hash of the pair (slope, intercept), each rounded to 3 decimals."""
    @property
    def vector(self) -> Vector:
        """A new Vector from ``start`` to ``end``."""
    @property
    def unit_vector(self) -> Vector:
        """A new unit Vector along the line; the unnormalised direction when no longer than Flatkin's ``epsilon``."""
    @property
    def slope(self) -> Optional[float]:
        """dy / dx, or None for a vertical line (x values closer than ``epsilon``)."""
    @property
    def intercept(self) -> float:
        """The y at x = 0; the x of ``start`` for a vertical line, the y of ``start`` for a horizontal one."""
    def reverse(self) -> None:
        """Swap ``start`` and ``end`` in place."""
    def copy(self) -> Line:
        """A new Line sharing the two point objects."""
    def is_parallel(self, other: _HasVector) -> bool:
        """True when the cross product of the two directions is exactly 0 (no tolerance)."""
    def is_perpendicular(self, other: _HasVector) -> bool:
        """True when the dot product of the two directions is exactly 0 (no tolerance)."""
    def intersection_with_line(self, other: _HasEnds) -> Optional[Point]:
        """A new Point where the two infinite lines cross; None when their slopes are equal."""
    def intersection_with_ray(self, other: Ray) -> Optional[Point]:
        """``other.intersection_with_line(self)``: the crossing if it lies on the ray, else None."""
    def intersection_with_segment(self, other: Segment) -> Optional[Point]:
        """``other.intersection_with_line(self)``: the crossing if it lies in the segment's bound, else None."""
    def relative_position(self, point: SupportsXY) -> int:
        """Side of ``point`` to the way from ``start`` to ``end``: 0 left, 1 right, 2 on the line (exact)."""
    def is_on_line(self, point: SupportsXY) -> bool:
        """True when the triangle start, end, point has an area below ``epsilon`` (strict), or below the rounding at the points' size."""
    def is_same_direction(self, other: _HasVector) -> bool:
        """True when the dot product of the two directions is above 0."""
    def move(self, vector: SupportsXY) -> None:
        """Move the line in place by ``vector``: both points are replaced by new ones."""
    def offset(self, distance: float) -> Line:
        """A new parallel Line ``distance`` to the right (negative: to the left)."""
    def offset_both(self, distance: float) -> Tuple[Line, Line]:
        """Two new parallel Lines ``distance`` away: (right, left)."""
    @staticmethod
    def tween_line(line1: _HasEnds, line2: _HasEnds, t: float = 0.5) -> Line:
        """A new Line blending start with start and end with end at ``t`` (0: line1, 1: line2; unclamped)."""
    @staticmethod
    def tween_lines(line1: _HasEnds, line2: _HasEnds, *t_values: float) -> List[Line]:
        """A new list with one ``tween_line`` for each value of ``t_values``, in order."""
    @staticmethod
    def plot_lines(lines: Sequence[_HasEnds], names: Optional[Sequence[str]] = None, show: object = True) -> None:
        """Draw each line between its two points in its own colour of the colour cycle, with the labels ``names``, then the legend; with ``show``, show the figure."""
    def closest_point(self, point: SupportsXY) -> Point:
        """A new Point: the foot of the perpendicular from ``point`` on the infinite line."""
    def distance_to_point(self, point: SupportsXY) -> float:
        """The distance from ``point`` to the infinite line."""

class Segment:
    """The straight piece from ``start`` to ``end``.

    Two segments are equal when they have the same two end points (exact
    coordinates, either direction); a segment hashes as its midpoint, so
    reversing it in place keeps both.
    """

    start: Point
    end: Point
    def __init__(self, start: SupportsXY, end: SupportsXY) -> None:
        """Store the two end points as given (not copied)."""
    def __repr__(self) -> str:
        """The text form ``Segment:(<start>, <end>)``, each end point formatted with ``format(p, '')``."""
    def __eq__(self, other: Any) -> bool:
        """True when ``{start, end}`` equals ``{other.start, other.end}`` as sets of points."""
    def __hash__(self) -> int:
        """The hash of the midpoint (the same for the reversed segment)."""
    def __iter__(self) -> Iterator[Point]:
        """Yield ``start``, then ``end``, each read when asked for."""
    @property
    def vector(self) -> Vector:
        """A new Vector from ``start`` to ``end``."""
    @property
    def normal(self) -> Vector:
        """A new Vector: the direction turned clockwise (to the right), as long as the segment."""
    @property
    def unit_vector(self) -> Vector:
        """A new unit Vector along the segment; the unnormalised direction when no longer than Flatkin's ``epsilon``."""
    @property
    def unit_normal(self) -> Vector:
        """The unit vector of ``normal``, under the same rule."""
    @property
    def length(self) -> float:
        """The length, in the library's length unit."""
    @property
    def midpoint(self) -> Point:
        """A new Point halfway between the end points."""
    @property
    def endpoints(self) -> List[Point]:
        """A new list ``[start, end]`` of the stored point objects."""
    def reverse(self) -> None:
        """Swap ``start`` and ``end`` in place."""
    @property
    def bound(self) -> Tuple[float, float, float, float]:
        """The bound (min x, max x, min y, max y) of the end points."""
    def is_point_in_bound(self, point: SupportsXY) -> bool:
        """True when ``point`` lies in the bound widened by ``epsilon``, borders included."""
    def is_point_on(self, point: SupportsXY) -> bool:
        """True when ``point`` is on the segment's line (area below ``epsilon``) and in its widened bound (each raised to the rounding at the points' size where larger)."""
    def is_parallel(self, other: _HasLine) -> bool:
        """True when the cross product of the two directions is exactly 0 (no tolerance)."""
    def is_perpendicular(self, other: _HasLine) -> bool:
        """True when the dot product of the two directions is exactly 0 (no tolerance)."""
    def to_line(self) -> Line:
        """A new Line through the same two point objects."""
    def copy(self) -> Segment:
        """A new Segment sharing the two point objects."""
    def intersection_with_segment(self, other: Segment) -> Optional[Point]:
        """A new Point where the two segments cross (in both widened bounds); None otherwise or when parallel."""
    def intersection_with_line(self, other: _HasEnds) -> Optional[Point]:
        """A new Point where the infinite line ``other`` crosses the segment (in its widened bound), else None."""
    def intersection_with_ray(self, other: Ray) -> Optional[Point]:
        """``other.intersection_with_segment(self)``: the crossing on both, else None."""
    def extend_line(self, length: float, direction: Optional[str] = "both") -> None:
        """Move end points in place by ``length`` along the segment: "both", "positive" (the end) or "negative" (the start); any other text changes nothing."""
    def closest_point(self, point: SupportsXY) -> Point:
        """The point of the segment nearest to ``point``: a new Point on it, or the stored ``start`` or ``end`` itself.

        A segment whose ends coincide is the single point ``start``.
        """
    def distance_to_point(self, point: SupportsXY) -> float:
        """The distance from ``point`` to its closest point on the segment."""
    @staticmethod
    def distance_between_segments(seg1: Segment, seg2: Segment) -> float:
        """The int 0 when the segments cross; otherwise the least distance from an end of one segment to the other."""
    def point_at_parameter(self, t: float) -> Point:
        """A new Point at parameter ``t`` (0: start, 1: end; unclamped)."""
    def point_at_length(self, length: float) -> Point:
        """A new Point ``length`` from ``start``; the stored ``start`` within ``epsilon`` of it or before, the stored ``end`` from ``epsilon`` short of it on."""
    def parameter_at_point(self, point: SupportsXY) -> float:
        """The distance of ``point`` from ``start`` over the length (the int 0 for a segment shorter than ``epsilon``).

        Raises ValueError "Point is not on the segment." for a point off it.
        """
    def length_at_point(self, point: SupportsXY) -> float:
        """The distance of ``point`` from ``start`` (the int 0 for a segment shorter than ``epsilon``).

        Raises ValueError "Point is not on the segment." for a point off it.
        """
    def divide_by_count(self, num_points: int) -> List[Point]:
        """``num_points`` new Points evenly spaced from ``start`` to ``end``, both included; ZeroDivisionError for 1."""
    def divide_by_length(self, interval: float) -> List[Point]:
        """The stored ``start``, then points every ``interval`` along the segment while within its length (the stored ``end`` when a step lands within ``epsilon`` of it).

        Raises ValueError "Interval must be greater than 0." for an interval of 0 or less.
        """
    def break_at_point(self, point: SupportsXY) -> Tuple[Segment, Segment]:
        """Two new Segments, (start, point) and (point, end); ValueError "Point is not on the segment." for a point off it."""
    def break_by_points(self, points: Iterable[SupportsXY]) -> List[Segment]:
        """New Segments from ``start`` to ``end`` through ``points`` (near repeats dropped), ordered by distance from ``start``."""
    @staticmethod
    def intersection_points(segments: Sequence[Segment], /) -> List[Point]:
        """A new list of the crossing Points of every pair (i, j), i < j, in that order; repeats kept."""
    def closest_endpoint(self, point: SupportsXY) -> Point:
        """The stored end point nearer to ``point`` (``end`` on a tie)."""
    def farthest_endpoint(self, point: SupportsXY) -> Point:
        """The stored end point farther from ``point`` (``end`` on a tie)."""
    def other_endpoint(self, point: SupportsXY) -> Point:
        """The stored end point farther from ``point`` (``start`` on a tie)."""
    def extend_to_point(self, point: SupportsXY) -> None:
        """Move the nearer end point (``end`` on a tie) in place onto ``point``, which must be on the segment's line.

        Raises Exception "The point is not on the line of the segment." otherwise.
        """
    @staticmethod
    def fillet(segment1: Segment, segment2: Segment) -> None:
        """Bring both segments in place to the crossing of their lines (each nearer end becomes the one new Point); nothing for parallel lines."""
    @staticmethod
    def select_segments_containing_point(point: SupportsXY, segments: List[Segment], delete: object = False) -> List[Segment]:
        """The segments of ``segments`` that ``point`` is on, last first; with ``delete``, removed from the list."""
    @staticmethod
    def select_segment_containing_point(point: SupportsXY, segments: List[Segment], delete: object = False) -> Optional[Segment]:
        """The first segment of ``segments`` that ``point`` is on, or None; with ``delete``, removed from the list."""
    @staticmethod
    def select_intersecting_segments(segment: Segment, segments: List[Segment], delete: object = False) -> List[Segment]:
        """The segments of ``segments`` that ``segment`` crosses, last first; with ``delete``, removed from the list."""
    @staticmethod
    def select_multi_intersection_segments(segments_to_select: Sequence[Segment], segments: List[Segment]) -> List[Segment]:
        """For each selector in order, the segments of ``segments`` it crosses, removed from that list."""
    @staticmethod
    def extract_nodes_from_segments(segments: List[Segment], ordered: object = False) -> List[Point]:
        """The nodes of a chain of segments, each once, in chain order.

        Ordered: the end points in list order. Otherwise a walk from a segment
        drawn with ``random.randint``, which empties the caller's list; raises
        ValueError "The segments are not connected." when it cannot go on.
        """
    def move(self, vector: SupportsXY) -> None:
        """Move the segment in place by ``vector``: both end points are replaced by new ones."""
    def offset(self, distance: float) -> Segment:
        """A new parallel Segment ``distance`` to the right (negative: to the left)."""
    def offset_both(self, distance: float) -> List[Segment]:
        """Two new parallel Segments ``distance`` away: [right, left]."""
    @staticmethod
    def is_same_direction(segment1: Segment, segment2: Segment) -> bool:
        """True when the dot product of the unit vectors is above 0."""
    @staticmethod
    def unify_direction(segment1: Segment, segment2: Segment) -> None:
        """Reverse ``segment2`` in place when it points against ``segment1``."""
    @staticmethod
    def tween_segment(segment1: Segment, segment2: Segment, t: float = 0.5, unify: object = True) -> Segment:
        """A new Segment blending start with start and end with end at ``t``; with ``unify``, ``segment2`` is first turned in place to ``segment1``'s direction."""
    @staticmethod
    def loft(l1: Segment, l2: Segment) -> List[Point]:
        """The outline ``[l1.start, l1.end, l2.start, l2.end]``; ``l2`` is first reversed in place when it points the same way as ``l1``."""
    @staticmethod
    def construct_lines(points: Sequence[SupportsXY], /) -> List[Segment]:
        """A new Segment for every pair (i, j), i < j, of the points."""
    @staticmethod
    def plot_segments(segments: Sequence[_HasEnds], names: Optional[Sequence[str]] = None, show: object = True) -> None:
        """Draw each segment in a colour drawn from the colour cycle, with the labels ``names``, then the legend; with ``show``, show the figure."""

class Ray:
    """The half-line from ``origin`` along ``direction``.

    ``unit_vector`` is taken once, at construction. Rays compare and hash by
    identity.
    """

    origin: Point
    direction: Vector
    unit_vector: Vector
    def __init__(self, origin: SupportsXY, direction: SupportsXY) -> None:
        """Store ``origin`` and ``direction`` as given, then ``unit_vector = direction.unit_vector``."""
    def point_at_parameter(self, t: float) -> Point:
        """A new Point ``origin + t * direction`` (the raw direction)."""
    def point_at_length(self, length: float) -> Point:
        """A new Point ``length`` from the origin along ``unit_vector``.

        Raises ValueError "Length is out of range." for a negative length.
        """
    @property
    def bound(self) -> Tuple[float, float, float, float]:
        """The bound (min x, min y, max x, max y), infinite on the open sides.

        Raises Exception "Invalid ray" for a zero direction.
        """
    def is_point_in_bound(self, point: SupportsXY) -> bool:
        """True when ``point`` lies in the bound widened by ``epsilon``, borders included."""
    def parameter_at_point(self, point: SupportsXY) -> float:
        """The dot product of ``point - origin`` with the raw direction."""
    def intersection_with_ray(self, other: Ray) -> Optional[Point]:
        """A new Point where the two rays cross (in both widened bounds), else None."""
    def intersection_with_segment(self, other: Segment) -> Optional[Point]:
        """A new Point where the ray crosses the segment (in both widened bounds), else None."""
    def intersection_with_line(self, other: _HasEnds) -> Optional[Point]:
        """A new Point where the infinite line ``other`` crosses the ray, else None."""
    def to_line(self) -> Line:
        """A new Line from the ``origin`` object to a new point one direction further."""
    def plot(self, length: float = 10.0, color: Optional[str] = "r", show: object = True) -> None:
        """Draw the ray from the origin to ``origin + length * direction``; with ``show``, show the figure."""

class SegmentCollection:
    """A network of segments: the caller's list with the list protocol, end point weights and cleaning, the split at crossings and the walks into an outer contour and closed loops.

    Marks in ``dict``: 1 for a piece not yet walked by the contour, 0 for a
    piece with one use left; a used-up piece leaves the dictionary.
    """

    segments: List[Segment]
    dict: Dict[Segment, int]
    current_dir: Optional[Vector]
    current_pt: Optional[Point]
    current_seg: Optional[Segment]
    end_pt: Optional[Point]
    def __init__(self, segments: List[Segment]) -> None:
        """Hold the caller's list itself (not copied), an empty ``dict`` and no walk state."""
    def __len__(self) -> int:
        """The number of segments."""
    @overload
    def __getitem__(self, index: int) -> Segment:
        """``segments[index]``."""
    @overload
    def __getitem__(self, index: slice) -> List[Segment]: ...
    def __setitem__(self, index: int, value: Segment) -> None:
        """``segments[index] = value``."""
    def __delitem__(self, index: int) -> None:
        """``del segments[index]``."""
    def __iter__(self) -> Iterator[Segment]:
        """An iterator over the live list of segments."""
    def __contains__(self, item: object) -> bool:
        """True when some segment is ``item`` or equals it."""
    def append(self, segment: Segment) -> None:
        """Append to ``segments`` in place."""
    def extend(self, segments: Iterable[Segment]) -> None:
        """Append each of ``segments`` in place."""
    def insert(self, index: int, segment: Segment) -> None:
        """Insert before position ``index`` in place."""
    def remove(self, segment: Segment) -> None:
        """Remove the first segment that is or equals ``segment``; ValueError when none does."""
    def pop(self, index: int = -1) -> Segment:
        """Remove and return the segment at ``index``."""
    def index(self, segment: Segment) -> int:
        """The position of the first segment that is or equals ``segment``."""
    def count(self, segment: Segment) -> int:
        """How many segments are or equal ``segment``."""
    def reverse(self) -> None:
        """Reverse the order of the list in place (each segment keeps its direction)."""
    def sort(self, key: Optional[Callable[[Segment], Any]] = None, reverse: bool = False) -> None:
        """Sort the list in place, stably, by ``key``."""
    @property
    def endpoints(self) -> List[Point]:
        """A new list of the start and end of each segment, in order, repeats kept."""
    @property
    def knots(self) -> List[Point]:
        """A new list of the distinct end points (exact coordinates), lowest y first, then lowest x."""
    def remove_duplicates(self) -> List[Segment]:
        """A new list with the first of each group of equal segments; ``segments`` is unchanged."""
    @staticmethod
    def create_weight_dict(points: Iterable[Point], segments: Iterable[Segment]) -> Dict[Point, int]:
        """A dict from each point to the number of segment ends on it; KeyError for an end not among ``points``."""
    def get_min_weight_point(self) -> Point:
        """An end point of least weight, drawn with ``random.choice``; ValueError when empty."""
    def clean_isolated_segments(self) -> None:
        """Remove in place the segments both of whose ends have weight 1."""
    def _clean_open_segments(self) -> None:
        """One pass: remove in place the segments with an end whose weight is not 2."""
    def clean_open_segments(self) -> None:
        """Repeat the open-segment pass until it removes nothing: closed chains are left."""
    def get_connections(self) -> None:
        """Split the segments at their crossings: ``segments`` becomes a new list of pieces, each filed in ``dict`` with 1.

        Crossings that the walks would take for one point (equal after
        rounding to 3 decimals, or within 5e-4 on both axes) are one node,
        one Point shared by every piece that meets there, and nothing else
        makes two crossings one; a segment end that close to another segment
        meets it. Segments on one line that meet end to end or overlap make
        up one wall, cut at every crossing on any of them. A segment too
        short to stand alone (its ends that close, or no longer than 5e-4)
        is a piece of the wall it carries on, and several in a straight row
        make a wall; alone, it meets nothing. A segment whose two ends lie
        within 5e-4 of a longer wall, turned from it (a wall drawn twice), is
        that wall there and makes no piece.

        The pieces then meet only at shared nodes: where joining crossings
        into nodes left pieces crossing, overlapping or passing within 5e-4
        of another piece's node (walls that nearly meet at one point, a wall
        drawn twice a hair apart), they are cut there again and routed
        through that node, until none is; nodes brought that close become
        one, at the place of the first. A piece no longer than ``epsilon``
        joins its two nodes. Where no piece comes that near another's node,
        the pieces are exactly those of the crossings.
        """
    def get_adjacent_segments(self, point: SupportsXY) -> List[Segment]:
        """The segments with an end equal to ``point`` after rounding to 3 decimals or within 5e-4 of it on both axes,
        without ``current_seg`` and its equals."""
    @staticmethod
    def set_direction_by_point(segments: _L, point: SupportsXY) -> _L:
        """Reverse in place each segment whose start is farther from ``point`` than its end; returns the same list."""
    @staticmethod
    def get_right_segment(segments: Sequence[Segment], vector: SupportsXY = ...) -> Optional[Segment]:
        """The segment of the right-most turn from ``vector`` (the later one of near ties), or None for no segments."""
    @staticmethod
    def get_left_segment(segments: Sequence[Segment], vector: SupportsXY = ...) -> Optional[Segment]:
        """The segment of the left-most turn from ``vector`` (the earlier one of near ties), or None for no segments."""
    def get_contour_segments(self, split: object = True, clean: object = False) -> List[Segment]:
        """Walk the outer contour by right-most turns from the lowest point, marking each piece 0.

        ``split`` and ``clean`` take effect only when they are True itself.
        Pieces are reversed in place to leave each point the walk stands on;
        each step moves to the end of the piece taken. Back at its start, the
        walk closes unless its next turn leads on to another piece than its
        first. A dead end raises AttributeError naming the point.
        """
    def get_loop_segments(self, split: object = False, clean: object = False) -> List[Segment]:
        """Walk one closed loop from the lowest point by left-most turns; each piece walked gives up one use of its mark.

        The loop closes back at its start when its next turn would repeat
        its first piece: a wall that reaches the start twice (a tie to a
        shaft) is walked out and back.
        """
    def get_polygons(self, split: object = True, clean: object = False) -> List[List[Segment]]:
        """The closed loops of the network, each a list of pieces in walk order; empties ``segments`` and ``dict``.

        Each room comes once, separate groups of walls included; walls that
        enclose nothing give ``[]``. ``clean`` has no effect. Pieces that lead
        nowhere (stubs, fins, returns) are left out first, and a wall the
        contour walks out and back (a link between two buildings) is used up.
        A loop that encloses no area (on average narrower than ``epsilon``,
        as out and back along overlapping walls) uses up its pieces but is
        not returned. After the split the walks always finish; its walks
        tell heights apart down to 1e-6 whatever ``epsilon`` is, so that a
        coarse tolerance does not start them inside a fine plan. Without the
        split, exception "Walk does not close." when the walks cannot finish.
        """
