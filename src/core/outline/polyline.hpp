// core/outline: polylines, offsets, hulls and boxes, rectangle layouts.
// Includes basics/ and planar/.
//
// Polylines as spans of vertices read once per call: measures, winding and
// convexity, self-intersection, the segment that holds or is nearest to a
// point, containment by ray casting, and positions along the chain.
//
// Segment k runs from pts[k] to pts[k + 1]; there is no implicit closing
// segment (a closed polyline repeats its first vertex at the end).  Every
// kernel takes the same arithmetic steps, in the same order, as the plain
// rules do on Point, Vector and Segment objects, so results agree bit for bit.
//
// Two tolerances come in with every call (see line_segment_ray.hpp): `flat`
// is the point tolerance (tolerant equality, the vertical test of a line
// crossing, vectors too short to normalise) and `seg` the segment tolerance
// (widened bounds, the strict on-line test).
#pragma once

#include "core/basics/line_segment_ray.hpp"
#include "core/basics/vec2.hpp"

#include <cmath>
#include <cstddef>
#include <cstdint>
#include <limits>
#include <optional>
#include <span>
#include <vector>

namespace geom {

struct Tolerances {
    double flat;  // points and vectors
    double seg;   // segments
};

inline constexpr std::size_t npos = std::numeric_limits<std::size_t>::max();

// Where the plain steps would raise, a kernel records the first such fault
// and the caller raises it; the values computed after a fault are not used.
enum class Fault : std::uint8_t {
    none,
    length_overflow,    // a square in a length (the pow of a magnitude) left the double range
    distance_overflow,  // a square in a distance (a float power) left the double range
    zero_division,      // a float division by zero
};

inline void note(Fault &fault, Fault what) {
    if (fault == Fault::none)
        fault = what;
}

// |v| as sqrt(pow(x, 2) + pow(y, 2)); a finite coordinate whose square
// overflows is a length_overflow (an infinite one simply gives inf).
inline double checked_magnitude(Vec2 v, Fault &fault) {
    double xx = square(v.x), yy = square(v.y);
    if ((std::isinf(xx) && std::isfinite(v.x)) || (std::isinf(yy) && std::isfinite(v.y)))
        note(fault, Fault::length_overflow);
    return std::sqrt(xx + yy);
}

// The distance from a to b as sqrt((a.x - b.x) ** 2 + (a.y - b.y) ** 2).
inline double checked_distance(Vec2 a, Vec2 b, Fault &fault) {
    double dx = a.x - b.x, dy = a.y - b.y;
    double xx = square(dx), yy = square(dy);
    if ((std::isinf(xx) && std::isfinite(dx)) || (std::isinf(yy) && std::isfinite(dy)))
        note(fault, Fault::distance_overflow);
    return std::sqrt(xx + yy);
}

// The unit vector of v; a vector no longer than flat_eps comes back as it is.
inline Vec2 checked_unit(Vec2 v, double flat_eps, Fault &fault) {
    double m = checked_magnitude(v, fault);
    if (std::fabs(m) <= flat_eps)
        return v;
    return {v.x / m, v.y / m};
}

// The counter-clockwise turn from v1 to v2 in [0, 2 pi]: the arc cosine of
// their cosine (clamped to [-1, 1]), taken the long way round when v2 turns
// clockwise from v1.  Empty when either vector is no longer than flat_eps.
// The arc cosine is passed in so that it can be numpy's.
using ArcCos = double (*)(double);
std::optional<double> turn_angle(Vec2 v1, Vec2 v2, double flat_eps, ArcCos arccos, Fault &fault);

// ------------------------------------------------------------ measures

// Lengths of the segments, in order.
void segment_lengths(std::span<const Vec2> pts, std::vector<double> &out, Fault &fault);

// The sum of the values added one at a time in order, starting from 0.
double sum_in_order(std::span<const double> values);

// max() and min() as the interpreter takes them over a non-empty list: the
// first value stays unless a later one compares strictly greater (smaller).
double first_max_of(std::span<const double> values);
double first_min_of(std::span<const double> values);

// Length-weighted sums of the segment midpoints and the total length; the
// centroid is (x / total, y / total).
struct WeightedMidpoints {
    double x = 0.0, y = 0.0, total = 0.0;
};
WeightedMidpoints weighted_midpoints(std::span<const Vec2> pts, Fault &fault);

// (min x, min y, max x, max y) of the vertices, each by the interpreter's min
// or max over the coordinate list; NaN for no points (nothing is in it).
struct VertexBound {
    double min_x, min_y, max_x, max_y;
};
VertexBound vertex_bound(std::span<const Vec2> pts);

// The closed box, no tolerance: x below, x above, y below, y above.
inline bool in_bound(const VertexBound &b, Vec2 p) {
    return !(p.x < b.min_x) && !(p.x > b.max_x) && !(p.y < b.min_y) && !(p.y > b.max_y);
}

// Twice the signed area of the closed path through `pts` (back to the first
// from the last), summed as cross(p_i - p_0, p_(i+1) - p_0): coordinates far
// from the origin lose no digits to the products.
double twice_area_from_first(std::span<const Vec2> pts);

// The turns (cross products of consecutive segment vectors) summed over
// every vertex, the first paired with the last segment, open or closed.
double turn_sum(std::span<const Vec2> pts);

// Winding code of the whole polyline by the sign of the area it encloses,
// an open one closed by the straight edge from its last point back to its
// first: 0 clockwise (negative), 1 counter-clockwise (positive), 2 for a zero
// or NaN area (twice_area_from_first).
int winding_code(std::span<const Vec2> pts);

// Convex when every non-zero turn at points[1] .. points[-2], and for a
// closed polyline the turn from its last edge into its first, has one sign;
// fewer than four points are convex.
bool is_convex(std::span<const Vec2> pts, bool closed);

// Whether two segments that are not neighbours in the chain cross within
// their widened bounds; the first and the last segment are not tested
// against each other when skip_closing_pair is set (a closed polyline).
bool is_self_intersecting(std::span<const Vec2> pts, bool skip_closing_pair, Tolerances tol,
                          const Interrupt &stop = {});

// --------------------------------------------------- one point against it

// The first segment that holds p (strict on-line test, widened bound), or npos.
std::size_t first_segment_holding(std::span<const Vec2> pts, Vec2 p, double seg_eps);

// The nearest point of a segment to p, as the segment gives it: the start of
// a segment of zero length, the foot of the perpendicular when it lies on
// the segment, else the nearer end (the end on a tie).
SegmentClosest closest_on_segment(Vec2 a, Vec2 b, Vec2 p, Tolerances tol, Fault &fault);

// The segment nearest to p (the first of equal distances), or npos when
// there is no segment.
std::size_t nearest_segment(std::span<const Vec2> pts, Vec2 p, Tolerances tol, Fault &fault);

// The crossings of the segments, in order, with a line through a and b, a
// segment from a to b, or a ray from a along b, each as that object finds
// its crossing with a segment: the crossing of the two lines (with the
// segment's line first for a line or a ray, the probe's first for a
// segment), kept inside the segment's bound widened by the segment
// tolerance, and inside the probe segment's or the ray's bound too.  A ray
// meets each segment about its origin, its line from there along b.  A
// crossing equal to one already found (point tolerance) is left out.
// `invalid_ray` is set, and the walk stopped, when a ray of zero direction
// meets a segment's line: its bound is undefined.
enum class Probe : std::uint8_t { line, segment, ray };
struct ProbeCrossings {
    std::vector<Vec2> points;
    bool invalid_ray = false;
};
void probe_crossings(std::span<const Vec2> pts, Probe kind, Vec2 a, Vec2 b, Tolerances tol, ProbeCrossings &out);

// ---------------------------------------------------------- containment

// Position of points against a polyline: 0 outside its bound or not inside,
// 1 inside, 2 on a segment.  Inside counts the crossings of the ray from the
// point towards +x by the half-open rule: a segment counts when one end lies
// strictly above the ray's line and the other on or below it, and its line
// meets the ray's line (the line through p and `p_next`, the point one step
// along +x) no more than seg_eps left of p.  So a vertex where the outline
// crosses the ray's line counts once and one where it only touches counts
// zero or two times; horizontal segments never count.
//
// Built once per call on the vertices; with `index` it sorts the segments
// into bands of y so that a point meets only the segments of its band.  The
// answers are the same either way.
class PointLocator {
public:
    PointLocator(std::span<const Vec2> pts, Tolerances tol, bool index);

    const VertexBound &bound() const { return bound_; }
    bool in_bound(Vec2 p) const { return geom::in_bound(bound_, p); }
    bool on(Vec2 p) const;
    // The crossing count is odd (p is not on the polyline; bound not tested).
    bool odd_crossings(Vec2 p, Vec2 p_next) const;
    // bound, then on, then inside: 0, 2, 1 or 0.
    int code(Vec2 p, Vec2 p_next) const;

private:
    bool on_segment_at(std::size_t k, Vec2 p) const;
    int crossing_at(std::size_t k, Vec2 p, Vec2 p_next) const;
    template <class F>
    bool each_candidate(Vec2 p, F &&f) const;

    std::span<const Vec2> pts_;
    Tolerances tol_;
    VertexBound bound_;
    // Bands of y: the segments of band b are band_items_[band_start_[b] ..
    // band_start_[b + 1]).  Empty when not indexed.
    double band_y0_ = 0.0, band_height_ = 0.0;
    std::vector<std::uint32_t> band_start_, band_items_;
};

// The same code for one point, the bound and the segments taken in one pass
// over the vertices.
int position_code(std::span<const Vec2> pts, Vec2 p, Vec2 p_next, Tolerances tol);

// ------------------------------------------------ positions along the chain

// Where a point at a given length along the polyline lies, as a segment's
// point_at_length gives it: its stored start, its stored end, or the point
// at a parameter between them; `past_end` when no segment reaches the
// length (the polyline's last point is the answer).
struct LengthPlace {
    enum Kind : std::uint8_t { start, end, inner, past_end } kind;
    std::size_t index;  // the segment
    Vec2 point;         // for inner
};

// Places lengths along the polyline walking forward once: each length must
// be no smaller than the one before (or NaN from then on), so that the
// running sums are those of a walk from the first vertex, added in the same
// order.  Lengths are those of segment_lengths.
class LengthWalk {
public:
    LengthWalk(std::span<const Vec2> pts, std::span<const double> lengths, double seg_eps)
        : pts_(pts), lengths_(lengths), seg_eps_(seg_eps) {}
    LengthPlace place(double length);

private:
    std::span<const Vec2> pts_;
    std::span<const double> lengths_;
    double seg_eps_;
    std::size_t i_ = 0;
    double before_ = 0.0;  // the running length at the start of segment i_
};

// The point at parameter t: the first segment whose running end length
// reaches t * total gives the point at (t * total - before) / its length.
// past_end when none does.  zero_division for a segment of length zero.
LengthPlace place_parameter(std::span<const Vec2> pts, std::span<const double> lengths, double total, double t,
                            Fault &fault);

// The cut of a polyline at parameter t as breaking makes it: the running
// length acc includes each segment before it is tested, and the first
// segment with t <= acc / total holds the cut point at parameter
// (t * total - (acc - length)) / length.  index npos when none does.
struct Cut {
    std::size_t index;
    Vec2 point;
};
Cut cut_at_parameter(std::span<const Vec2> pts, std::span<const double> lengths, double total, double t,
                     Fault &fault);

// The running length of a point on the polyline: the first segment that
// holds it gives the length before it plus the straight distance from its
// start.  Empty when no segment holds the point.
std::optional<double> length_at_point(std::span<const Vec2> pts, std::span<const double> lengths, Vec2 p,
                                      double seg_eps, Fault &fault);

// The segment at which keeping the first `length` units ends: the first
// whose running end length reaches it, with the remaining length on it.
struct KeepPlace {
    std::size_t index;
    double remaining;
};
KeepPlace keep_length(std::span<const double> lengths, double length);

}  // namespace geom
