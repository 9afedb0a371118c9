// The true mitred offset of a polyline, for where moving its edges one by one
// does not give it: edges that collapse, a corner that runs into a far side,
// an outline that splits.
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
// right side's curve.
#pragma once

#include "core/polyline.hpp"

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

// Whether the edge-by-edge offset `moved` (one point per kept edge joint,
// nothing dropped) is the true mitred offset: its edges run their source
// edges' way, it does not cross itself, a closed one keeps the outline's
// orientation, and no part of the raw offset curve that it cuts off (the
// overlaps at right turns, and for an open polyline the polyline and its
// other side) crosses it.
bool edgewise_offset_holds(std::span<const Vec2> pts, bool closed, double distance, std::span<const Vec2> moved,
                           Tolerances tol, const Interrupt &stop = {});

}  // namespace geom
