// Offsets of polylines: every edge moved sideways by one distance (edges
// that would collapse dropped first), or each edge by its own distance with
// the moved lines crossed in a ring.
//
// A positive distance moves an edge to the right of its direction of travel,
// along (u.y, -u.x) for its unit direction u; a unit direction of an edge no
// longer than the point tolerance is the edge's own vector, unscaled.
// Tolerances and faults are those of polyline.hpp.
#pragma once

#include "core/outline/polyline.hpp"

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

// The distance of an offset to the right at which each segment shrinks to
// nothing, from the turns at both of its ends (the closing vertex of a closed
// polyline included): the ends of a segment move along its line by
// d tan(phi / 2) for a turn phi there (left positive), so a segment of length
// L whose two tangents sum to s < 0 collapses at L / -s; infinity where it
// never does (s >= 0), 0 for a segment of no length or at a doubling back.
// A vertex with an edge no longer than the point tolerance counts as no turn.
std::vector<double> collapse_limits(std::span<const Vec2> pts, bool closed, double flat_eps, Fault &fault);

// The polyline moved by `distance`, given its points with the straight
// vertices dropped already: the order reversed for a negative distance
// (which is then used as its magnitude).  Edges go whose collapse distance
// is not above the distance, nearest first: neighbours of a dropped edge
// then meet at the crossing of their own lines and are judged anew from
// there, until no kept edge collapses (the closing vertex of a closed
// polyline, where it runs straight on, joins its two edges into one).  The
// kept moved edges' lines are crossed one after the other.  Closed (as the
// receiver is): the crossing of the first and last moved edges starts and
// ends the result (their moved joint when they are parallel); open: the
// start of the first and the end of the last moved edge.
//
// An open polyline's offset is that edge-by-edge result wherever no edge
// collapses, crossing itself wherever the polyline or its moved edges do.
// Otherwise, and for a closed outline whose corner runs into a far side or
// which splits, the edge-by-edge offset is not the true mitred offset, and
// the result is rebuilt as the true one (see offset_region.hpp), about the
// first of `pts` and moved back, so a figure keeps its offset wherever it is
// drawn.  `no_edge` when the offset is empty (or the distance is not a
// number); `parts` and `holes` when it is not one outline: a closed
// outline's offset falling into several outlines or enclosing holes, an open
// one's into several pieces.
//
// A closed outline that crosses itself is not one region: its lobes face
// opposite ways, and one side's offset grows one lobe while it shrinks the
// other.  Below every collapse its offset is its edges moved one by one,
// every lobe kept, crossing where the outline does; past a collapse it has
// none (`crosses_itself`).
struct OffsetResult {
    std::vector<Vec2> points;
    bool same_ends = false;  // first and last are one point object
    bool no_edge = false;    // the distance collapses the outline
    bool crosses_itself = false;  // a closed outline crossing itself, past a collapse
    std::size_t parts = 1, holes = 0;
    Fault fault = Fault::none;
};
OffsetResult offset_polyline(std::span<const Vec2> pts, bool closed, double distance, Tolerances tol,
                             const Interrupt &stop = {});

// The open polyline `pts` (straight vertices dropped) moved by `distance`
// edge by edge: the order reversed for a negative distance, every edge whose
// collapse distance is below the distance dropped at once, the kept moved
// edges' lines crossed one after the other, from the start of the first to
// the end of the last.  Past a collapse it may cross itself or run back
// along an edge; a bar's rail where the true offset refuses.  `no_edge`
// when every edge goes.
OffsetResult edge_by_edge_offset(std::span<const Vec2> pts, double distance, Tolerances tol);

// Whether the strip of `pts` at `half_width` (either sign) is measured: a
// finite width above nothing, two points or more, every coordinate a
// number, and no edge within the point tolerance.
bool strip_measured(std::span<const Vec2> pts, double half_width, double flat_eps);

// The outline of a bar around the open polyline `pts` (straight vertices
// dropped) whose rails are its offsets by `half_width` and -`half_width`,
// given `lofted`, the first rail followed by the second, closed: its strip
// (see offset_region.hpp), a flat-ended mitred band.  `lofted` is that
// outline where neither rail has an edge that collapses and it holds, or
// where the strip built anew has its corners (to 1e-9 of the largest
// coordinate); it stands where the strip is not measured (no width, a point
// that is not a number, an edge within the point tolerance).  Otherwise
// `points` is the strip's outline when it is one polygon without holes
// (`parts` 1, `holes` 0), running the way the loft does from where its
// stretch on the first rail's earliest moved edge begins.
struct StripOutline {
    std::vector<Vec2> points;
    bool lofted = true;  // the loft is the outline
    std::size_t parts = 1, holes = 0;
};
StripOutline bar_strip(std::span<const Vec2> pts, double half_width, std::span<const Vec2> lofted, Tolerances tol,
                       const Interrupt &stop = {});

// Each segment's line moved by its own distance, and the crossing of each
// moved line with the next (the last with the first), starting at the image
// of pts[1].  Lines of exactly equal slope have no crossing: when the first
// one's moved end equals the next one's moved start (point tolerance) that
// point is the corner, otherwise both go in.
std::vector<Vec2> unequal_offset_corners(std::span<const Vec2> pts, std::span<const double> distances,
                                         Tolerances tol, Fault &fault);

}  // namespace geom
