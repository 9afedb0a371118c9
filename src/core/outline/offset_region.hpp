// The true mitred offset of a polyline, for where moving its edges one by one
// does not give it: edges that collapse, and for a closed outline a corner
// that runs into a far side or an outline that splits; and the strip around
// an open polyline.
//
// The raw offset curve is every edge moved by the distance to its right,
// joined at a left turn by the crossing of the two moved lines (the mitre)
// and at a right turn through the original vertex.  As a chain it is the
// walked outline plus the boundaries of every edge's swept rectangle and
// every left turn's mitre kite, so its winding number counts how many of
// those shapes hold a point, plus the outline's own winding.  A closed
// outline's offset is where that count, signed so that the offset side
// counts positive, is at least 1: the union of the outline and the shapes
// when the right side is its outside, the outline less the shapes when it is
// its inside.  An open polyline's offset is the part of the boundary of its
// two-sided band (both sides' shapes, round ends) that lies on the
// right side's curve.  Its strip is the region its two sides' raw curves
// wind round, each end joined straight across to the other side, and each
// right turn whose moved edges cross joined at that crossing, as a
// flat-ended buffer is drawn.
#pragma once

#include "core/outline/polyline.hpp"

#include <cstddef>
#include <span>
#include <vector>

namespace geom {

struct OffsetRegion {
    // The result: a closed one repeats its first point at the end.
    std::vector<Vec2> points;
    // Closed: the number of outlines and of holes (1 and 0 for one polygon,
    // 0 and 0 when the offset is empty).  Open: the number of separate
    // pieces of the offset curve.
    std::size_t parts = 0, holes = 0;
};

// `pts` the cleaned points in walking order, `distance` > 0 to the right;
// every coordinate finite.  A closed outline runs the way the points are
// walked and starts where its stretch on the moved line of the earliest
// surviving edge begins (the earliest such stretch along that edge); corners
// within the snap distance of each other are one.
OffsetRegion mitred_offset(std::span<const Vec2> pts, bool closed, double distance, const Interrupt &stop = {});

// The strip of the open polyline `pts` (cleaned, every coordinate finite)
// at `half_width` > 0: its edges' rectangles reaching that far to both
// sides and the mitres' kites, less what a right turn whose moved edges
// cross cuts off (see above).  Its outline runs counter-clockwise from where
// its stretch on the earliest moved line begins, as a closed outline's does
// (the right side's lines first, then the left side's from the end back);
// the counts as in OffsetRegion's closed case.
OffsetRegion strip_region(std::span<const Vec2> pts, double half_width, const Interrupt &stop = {});

// Whether the closed outline `pts` (every coordinate finite) crosses itself:
// two of its stretches cross, so that a face it winds round is wound twice
// or the other way (a lobe turned over).  Stretches that only touch (a
// corner on a side, two lobes sharing a corner, sides lying on each other
// the opposite ways) do not cross; points within the snap distance of a
// rebuilt offset's corners are one.
bool ring_crosses_itself(std::span<const Vec2> pts, Tolerances tol, const Interrupt &stop = {});

// Every coordinate is a finite number.
bool all_finite(std::span<const Vec2> pts);

// Whether the closed outline `lofted` (the right side of `pts` moved edge by
// edge, then its left side from the end back: one point per edge joint of
// each side, and the first again) is the strip: every moved edge runs its
// source edge's way, the moved edges cross at every right turn of either
// side (so the strip's raw curve is the loft's own path), and the outline
// runs counter-clockwise without crossing itself.
bool lofted_strip_holds(std::span<const Vec2> pts, double half_width, std::span<const Vec2> lofted, Tolerances tol,
                        const Interrupt &stop = {});

// Whether the edge-by-edge offset `moved` of a closed outline (one point per
// kept edge joint, nothing dropped) is its true mitred offset: its edges run
// their source edges' way, it does not cross itself, it keeps the outline's
// orientation, and no overlap of the raw offset curve that it cuts off at a
// right turn crosses it.
bool edgewise_offset_holds(std::span<const Vec2> pts, double distance, std::span<const Vec2> moved, Tolerances tol,
                           const Interrupt &stop = {});

}  // namespace geom
