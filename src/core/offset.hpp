// Offsets of polylines: every edge moved sideways by one distance (edges
// that would collapse dropped first), or each edge by its own distance with
// the moved lines crossed in a ring.
//
// A positive distance moves an edge to the right of its direction of travel,
// along (u.y, -u.x) for its unit direction u; a unit direction of an edge no
// longer than the point tolerance is the edge's own vector, unscaled.
// Tolerances and faults are those of polyline.hpp.
#pragma once

#include "core/polyline.hpp"

#include <cstddef>
#include <span>
#include <vector>

namespace geom {

// Positions of the points kept when exact repeats are dropped and then every
// interior vertex whose two edges are exactly parallel (straight on or
// doubling back) goes too.  A repeat drops alone, so the corner it repeats
// stays: a vertex is judged against its neighbours once repeats are gone.
// The first and the last point are always kept (a run of repeats ending the
// list keeps its last copy).
std::vector<std::size_t> without_straight_vertices(std::span<const Vec2> pts);

// The largest distance at which each segment survives an offset, starting
// at infinity.  At each interior vertex whose turn angle theta (from the
// backward first edge to the forward second edge, counter-clockwise) is
// below pi: if the first edge is the shorter, its limit becomes
// 0.5 L1 tan(theta / 2) when smaller; otherwise the second edge's limit
// becomes L2 sin(theta / 2) / sin(pi - theta) when that is below the first
// edge's limit, and the first edge's limit otherwise.  A vertex with an edge
// no longer than the point tolerance has no angle and is skipped.
std::vector<double> collapse_limits(std::span<const Vec2> pts, double flat_eps, ArcCos arccos, Fault &fault);

// The polyline moved by `distance`, given its points with the straight
// vertices dropped already: the order reversed for a negative distance
// (which is then used as its magnitude),
// edges whose limit is below the distance dropped, the moved edges' lines
// crossed one after the other (parallel neighbours give no corner).  Closed
// (as the receiver is): the crossing of the first and last moved edges
// starts and ends the result (their moved joint when they are parallel);
// open: the start of the first and the end of the last moved edge.
struct OffsetResult {
    std::vector<Vec2> points;
    bool same_ends = false;  // first and last are one point object
    bool no_edge = false;    // every edge collapsed
    Fault fault = Fault::none;
};
OffsetResult offset_polyline(std::span<const Vec2> pts, bool closed, double distance, Tolerances tol,
                             ArcCos arccos);

// Each segment's line moved by its own distance, and the crossing of each
// moved line with the next (the last with the first), starting at the image
// of pts[1].  Lines of exactly equal slope have no crossing: when the first
// one's moved end equals the next one's moved start (point tolerance) that
// point is the corner, otherwise both go in.
std::vector<Vec2> unequal_offset_corners(std::span<const Vec2> pts, std::span<const double> distances,
                                         Tolerances tol, Fault &fault);

}  // namespace geom
