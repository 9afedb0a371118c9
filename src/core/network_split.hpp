// The split of a segment network at its crossings into pieces that meet
// only at their end points.
//
// Each segment is cut at the crossings found on it, measured as parameters
// rounded to 9 decimals; only the stretch between its first and its last
// crossing is kept.  Every crossing is one node: the crossings that several
// segments file at one place (a corner, a T-junction, walls meeting at one
// point) are merged, so every piece that meets there ends on the same node
// rather than on its own copy of the point a few 1e-9 away.
//
// Segments on one straight line that meet end to end or overlap (a wall
// drawn in pieces) make up one wall: a stretch of that wall that none of its
// segments keeps on its own is cut at the wall's crossings and at the ends
// of its segments, and a stretch covered twice gives one piece.
#pragma once

#include "core/vec2.hpp"

#include <cstddef>
#include <cstdint>
#include <span>
#include <vector>

namespace geom {

// Points this close on both axes (half of the walks' rounding step) are one
// node to the walks; a segment end this close to another segment's line
// lies on it.
inline constexpr double node_join = 5e-4;

struct SplitPiece {
    std::uint32_t start, end;  // nodes, in the direction of the segment cut
};

struct NetworkSplit {
    std::vector<Vec2> nodes;
    // In the order the segments were first found crossing (pairs (i, j),
    // i < j, ascending), each segment's pieces by ascending parameter; then
    // the stretches that only the walls drawn in pieces give.
    std::vector<SplitPiece> pieces;
};

// `flat_eps`: the point tolerance, under which crossings are one node;
// `eps`: the segment tolerance of the crossing test and of the parameters.
NetworkSplit split_network(std::span<const Vec2> starts, std::span<const Vec2> ends, double flat_eps, double eps);

}  // namespace geom
