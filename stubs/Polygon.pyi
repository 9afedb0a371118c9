"""Polygons with holes, oriented bounds and point grids, rectangle placement
and bars between rails: the layout tools of the planar geometry modules.

A floor outline goes in as a closed Polyline; ``Bound`` frames it and lays a
grid of candidate points over it; ``RecGenerator`` places rectangles of given
sizes on those points inside a ``Polygon`` and cuts a clearance zone around
each into the polygon as a new hole; ``Bar`` builds corridors of constant
width between two rails or around an axis. Lengths are in the library's
length unit. The grid list, the polygon's hole list and the rails are the
caller's objects, changed in place where a member says so.
"""

import itertools as itertools
import math as math
import random as r
from collections import defaultdict as defaultdict
from typing import Any, Iterable, Iterator, List as List, Optional, Sequence, Tuple as Tuple, Union

from Flatkin import Point as Point, SupportsXY, Vector as Vector
from Polyline import Polyline as Polyline
from Strakel import Line as Line, Segment as Segment, SegmentCollection as SegmentCollection

class Polygon:
    """A planar region: a closed outer Polyline and any number of holes.

    ``outer`` and ``inners`` (None or a list of Polyline) are the caller's
    objects, stored unchanged; ``add_inner`` appends to the caller's list.
    """

    BOUND: str
    outer: Polyline
    inners: Optional[List[Polyline]]
    def __init__(self, outer: Polyline, inners: Optional[List[Polyline]] = None, check: object = True) -> None:
        """Store the outline and the holes.

        Only when ``check`` is the object True itself is the outline tested:
        Exception("Please input closed Polyline") when it is not closed.
        """
    def __repr__(self) -> str:
        """The text form, ``Polygon([...outline points...])``."""
    @property
    def out_points(self) -> List[Point]:
        """The outline's own point list (not a copy)."""
    @property
    def inn_points(self) -> List[List[Point]]:
        """A new list of each hole's own point list; [] without holes."""
    def __eq__(self, other: Any) -> bool:
        """True when outline and holes match vertex for vertex within epsilon, in order.

        Reads ``out_points`` and ``inn_points`` of ``other``, whatever its
        class; no holes and an empty hole list compare equal.
        """
    def __hash__(self) -> int:
        """The hash of the exact coordinates of the outline and of every hole."""
    def __iter__(self) -> Iterator[Polyline]:
        """A generator over the outline, then the holes (read when reached)."""
    def is_closed(self) -> bool:
        """Whether the outline is closed."""
    def is_self_intersecting(self) -> bool:
        """Whether two non-neighbouring edges of the outline cross."""
    @property
    def centroid(self) -> Point:
        """The length-weighted centroid of the outline's edges (holes ignored)."""
    @property
    def area(self) -> float:
        """The outline's area less the holes' areas.

        Raises ValueError when the outline or a hole is not closed.
        """
    @property
    def bound(self) -> Tuple[float, float, float, float]:
        """The outline's (min x, min y, max x, max y)."""
    @property
    def perimeter(self) -> float:
        """The outline's length (holes are not counted)."""
    def is_clockwise(self) -> float:
        """The outline's signed turn sum: negative clockwise, positive counter-clockwise."""
    def is_convex(self) -> bool:
        """Whether the outline is convex."""
    def add_inner(self, inner: Polyline) -> None:
        """Append a hole to ``inners`` (a new list when it is None); changes the polygon."""
    def is_point_on(self, point: SupportsXY) -> bool:
        """Whether the point lies on the outline (hole outlines are not considered)."""
    def move(self) -> None:
        """Do nothing and return None."""
    def rotate(self) -> None:
        """Do nothing and return None."""
    def scale(self) -> None:
        """Do nothing and return None."""
    def contains_point(self, point: SupportsXY) -> bool:
        """True inside or on the outline and neither inside nor on a hole."""
    @staticmethod
    def get_polygons(segments: SegmentCollection, /) -> List[Polyline]:
        """One closed Polyline per room of a segment network, in loop order; ``[]`` when the walls enclose nothing.

        Each polyline runs round its loop and ends on its first point; the
        collection is changed as its ``get_polygons()`` changes it.
        """

class Bound:
    """An outline boxed into an oriented frame, and a point grid over it.

    The frame is corners 0, 1 and 3 of ``Polyline.bounding_box`` (the mode
    named by the polyline's ``BOUND``): ``origin``, unit axes ``vec_x``
    (towards corner 1) and ``vec_y`` (towards corner 3) and the side lengths
    ``x_length`` and ``y_length``.
    """

    polyline: Polyline
    bound: List[Any]
    origin: Point
    vec_x: Vector
    x_length: float
    vec_y: Vector
    y_length: float
    unit: float
    typ: Any
    def __init__(self, polyline: Optional[Polyline] = None, unit: float = 2.0, vector: Vector = ..., typ: Any = 1) -> None:
        """Box ``polyline`` and keep the frame; ``unit`` is the grid spacing.

        ``vector`` (one shared ``Vector(1, 2)`` by default) orients the "SVB"
        box only. A mode the polyline does not know raises TypeError.
        """
    def get_bounding_box(self) -> Polyline:
        """A closed Polyline on the stored corner list, which closing extends in place."""
    def get_grid(self) -> List[Point]:
        """A new list of grid points.

        ``typ`` 0: the lattice at whole multiples of ``unit`` along both axes
        between the first and last crossing of each scan line with the
        outline, row by row; any other ``typ``: points every ``unit`` along
        the outline from its start.
        """

class RecGenerator:
    """Places rectangles of given sizes on grid points inside a polygon.

    Each placed rectangle is recorded in ``rec_lst``, its grid point is
    removed from the caller's ``grid`` and a clearance zone around it (its
    sides moved out by 10 and 18 in turn) is added to the caller's
    ``polygon`` as a new hole. ``typ`` 1 turns each rectangle to the nearest
    outline point, 2 to the longest outline edge, any other value keeps
    ``vec_i`` and ``vec_j``.
    """

    grid: List[Point]
    polygon: Polygon
    size: Sequence[Sequence[float]]
    random_generate: object
    vec_i: Vector
    vec_j: Vector
    typ: Any
    rec_lst: List[Polyline]
    def __init__(
        self,
        grid: List[Point],
        polygon: Polygon,
        size: Sequence[Sequence[float]],
        random_generate: object = False,
        vec_i: Vector = ...,
        vec_j: Vector = ...,
        typ: Any = 1,
    ) -> None:
        """Store the caller's grid, polygon and sizes ([length_i, length_j] each).

        The default ``vec_i`` (0, 1) and ``vec_j`` (1, 0) are made once and
        shared by every generator.
        """
    def is_intersection(self, point1: SupportsXY, point2: SupportsXY) -> bool:
        """True when the segment from point1 to point2 meets no hole (touching counts)."""
    def contain_func(self, point1: SupportsXY, point2: SupportsXY) -> bool:
        """True when point2 is inside or on the outline and the segment meets no hole."""
    def get_a_rec(self, length_i: float, length_j: float) -> None:
        """Place at most one rectangle in up to 1000 tries; returns None.

        Random mode draws each grid point with the interpreter's shared
        ``random``; otherwise the points are tried in list order. The tries
        end early when no grid point is left to try. Changes ``grid``,
        ``polygon`` and ``rec_lst``.
        """
    def get_recs(self, clean_points: Any = 1) -> List[Polyline]:
        """Place one rectangle per size, in order; returns ``rec_lst`` itself.

        With ``clean_points`` 0, grid points the polygon no longer contains
        are dropped after each size.
        """

class Bar:
    """A strip of constant width between two rails, or around an axis.

    Built from two truthy rails that run the same way (the axis is their
    point-by-point midway polyline and the width is measured at the first
    rail's start) or from an axis and a non-zero ``diameter`` (the rails are
    the axis offset by half of it to each side). ``geo`` is the outline made
    at construction: a closed Polyline, the strip out along the first rail
    and back along the second (rails given running the same way are lofted
    with a reversed copy of the second; the caller's rail is kept), or for
    two closed rails an iterator over the two rails.

    Around an open axis the outline is the strip, every point within half
    the width of an edge across it with mitred corners and flat ends (a
    flat-ended mitred buffer of the axis with no mitre limit): the lofted
    rails where they are it, otherwise the strip's own outline, the same
    way round from where its stretch on the first rail begins. ValueError("The bar's strip
    closes round N hole(s): its axis comes back within the bar's width of
    itself.") when the strip encloses holes. Where an open axis's offset
    refuses past a collapse, that rail is the axis's edges moved one by one,
    those that collapse within half the width dropped, and the outline is
    still the strip; ValueError("The bar's rail has no edge left: every edge
    of its axis collapses within half the bar's width.") when every edge does.
    """

    rail1: Polyline
    rail2: Polyline
    axis: Polyline
    diameter: Any
    radius: Optional[float]
    geo: Union[Polyline, Iterator[Polyline]]
    def __init__(
        self,
        rail1: Optional[Polyline] = None,
        rail2: Optional[Polyline] = None,
        axis: Optional[Polyline] = None,
        diameter: Optional[float] = None,
    ) -> None:
        """Build the bar; Exception("Invalid input for Bar construction") when neither way applies."""
    def _construct(self) -> Union[Polyline, Iterator[Polyline]]:
        """Fill in the axis and width or the rails, and return the outline."""
    def __repr__(self) -> str:
        """The text form, ``Bar(<axis>)``."""
    @property
    def area(self) -> float:
        """The outline's area; for two closed rails, the area of the ring between them."""
    @staticmethod
    def get_cutter(
        inpt1: Polyline, inpt2: Polyline, _distance: float = 18.0
    ) -> Union[None, List[Point], Tuple[Point, Point]]:
        """The pair of points of ``inpt1`` at which to cut it where ``inpt2`` comes nearer than ``_distance``.

        None when no vertex of ``inpt2`` comes near, or when no two distinct
        nearest points exist.
        """
    @staticmethod
    def get_remain(inpt: Polyline, cutter: Sequence[Point]) -> Polyline:
        """Cut ``inpt`` at the two points and keep the longer remainder."""
    @staticmethod
    def break_by_tuples(polyline: Polyline, tuples: Iterable[Sequence[Point]]) -> List[Polyline]:
        """Cut out the stretch between each pair of points, in turn.

        A closed polyline is first opened at the first pair, keeping its
        longer remainder.
        """
    @staticmethod
    def break_by_polylines(axis: Polyline, polys: Iterable[Polyline], _distance: float = 18.0) -> Union[Polyline, List[Polyline]]:
        """Cut ``axis`` where each polyline comes near it; ``axis`` itself when none does."""
    @staticmethod
    def short_brs(axes: List[Polyline], current_lgt: float, goal_lgt: float, dis: float) -> List[Bar]:
        """Bars of width ``dis`` on the axes, the long ones shortened at their start.

        Axes at least ``dis`` long lose the same fraction of their length so
        that the total falls by ``current_lgt - goal_lgt``; untouched axes
        come first, then the shortened ones by ascending length. Nothing to
        take off shortens nothing; taking off their whole length or more
        raises ValueError.
        """
