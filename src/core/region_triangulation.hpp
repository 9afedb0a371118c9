// Triangles of a plane region: the inside of a boundary ring less the insides
// of its opening rings, on the rings' own points (no point is added).
//
// Rings are lists of point numbers into one point array, in any direction,
// open or closed: a ring is closed by the edge from its last point back to
// its first, and a closing point that repeats the first adds no edge.  Points
// with the same coordinates are one vertex, so openings may touch each other
// and the boundary at a vertex; points that are not finite are left out.
// "Inside" a ring is the even-odd rule.
#pragma once

#include "core/interrupt.hpp"
#include "core/vec2.hpp"

#include <array>
#include <cstddef>
#include <span>
#include <vector>

namespace geom {

using Triangle = std::array<std::size_t, 3>;
using Ring = std::vector<std::size_t>;

// A constrained Delaunay triangulation of the rings' points with every ring
// edge as a triangle side (an edge that crosses an earlier one is left out),
// keeping the triangles whose centroid lies in the region.  Corners are point
// numbers of `points` (for coinciding points the first one), counter-
// clockwise.  Ring 0 is the boundary; no rings, or a boundary of fewer than
// three distinct points, give no triangles.
std::vector<Triangle> triangulate_region(std::span<const Vec2> points, const std::vector<Ring> &rings,
                                         const Interrupt &stop = {});

// Whether every triangle lies in the region: none is degenerate, no ring edge
// passes through its inside and its centroid is in the region.  Sets `area`
// to the triangles' summed area.
bool triangles_in_region(std::span<const Vec2> points, const std::vector<Ring> &rings,
                         const std::vector<Triangle> &triangles, double &area, const Interrupt &stop = {});

// Whether two ring edges cross at a point inside both.
bool rings_cross(std::span<const Vec2> points, const std::vector<Ring> &rings, const Interrupt &stop = {});

// The summed unsigned area of the triangles.
double triangles_area(std::span<const Vec2> points, const std::vector<Triangle> &triangles);

}  // namespace geom
