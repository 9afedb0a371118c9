// Triangles of a plane region: the inside of a boundary ring less the insides
// of its opening rings, on the rings' own points (no point is added).
//
// Rings are lists of point numbers into one point array, in any direction,
// open or closed: a ring is closed by the edge from its last point back to
// its first, and a closing point that repeats the first adds no edge.  Points
// are taken in order, and each within `snap` (Euclidean, `<=`) of an earlier
// lead point is that lead's vertex, the first such lead's; so no point moves
// farther than `snap`, and a ring drawn with points closer than that is
// thinned, not collapsed.  A ring edge that passes within `snap` of a vertex
// runs through it.  So rings computed with rounding still touch where they
// were meant to, at a vertex or along an edge.  The boundary counts +1 and
// every opening -1 inside it, whichever their direction; the region is where
// the count is 1.  Points must be finite (the caller reports those that are
// not).
#pragma once

#include "core/basics/interrupt.hpp"
#include "core/basics/vec2.hpp"

#include <array>
#include <cstddef>
#include <span>
#include <vector>

namespace geom {

using Triangle = std::array<std::size_t, 3>;
using Ring = std::vector<std::size_t>;

// Why rings give no region: two edges cross (of rings `ring` and `other`,
// which are equal for a ring that crosses itself) near `at`; a part of an
// opening lies outside the boundary or inside another opening (`ring`, or 0
// for a boundary that overlaps itself) near `at`; or the triangulation
// failed (coordinates beyond the reach of its arithmetic).
struct RegionFault {
    enum class Kind { none, crossing, outside, failed };
    Kind kind = Kind::none;
    std::size_t ring = 0, other = 0;
    Vec2 at{};
};

struct RegionMesh {
    // The constrained Delaunay triangulation of the region, counter-
    // clockwise; corners are point numbers (of coinciding points, the lead).
    std::vector<Triangle> triangles;
    // The region's border edges, the region on their left, split at every
    // vertex that lies on them.
    std::vector<std::array<std::size_t, 2>> rim;
    RegionFault fault;
};

// No rings, or a boundary of fewer than three vertices, give no triangles.
RegionMesh triangulate_region(std::span<const Vec2> points, const std::vector<Ring> &rings, double snap,
                              const Interrupt &stop = {});

// For every point, the first point with the same coordinates (both equal by
// `==`, so -0.0 equals 0.0).
std::vector<std::size_t> first_equal(std::span<const Vec2> points);

}  // namespace geom
