// Straight-line geometry shared by lines, segments and rays (and later by
// polylines and polygons): lengths and unit directions, projections, bounds
// and their tolerant tests, slope and intercept, closest points, offsets and
// the broad phase of the all-pairs segment crossing.
//
// Two tolerances meet here and are always passed in by the caller:
//   * the point tolerance (`flat_eps`, the root module's epsilon) decides when
//     a vector is too short to normalise and when a pair of points is
//     vertical for the crossing of two lines (see geom::line_intersection);
//   * the line tolerance (`eps`, the line module's own epsilon) widens bounds
//     and decides the strict slope, intercept and on-line tests.
#pragma once

#include "core/basics/interrupt.hpp"
#include "core/basics/vec2.hpp"

#include <algorithm>
#include <cstddef>
#include <limits>
#include <optional>
#include <span>
#include <utility>
#include <vector>

namespace geom {

// ------------------------------------------------------------ lengths

// x^2 as the interpreter's float power computes it.
inline double square(double v) { return py_square(v); }

// True when squaring a finite value leaves the double range, which the
// interpreter's float power reports as an OverflowError.
inline bool square_overflows(double v) { return std::isfinite(v) && !std::isfinite(square(v)); }

// Distance between two points, the squares taken separately as for a float
// power.
inline double distance(Vec2 a, Vec2 b) {
    return std::sqrt(square(a.x - b.x) + square(a.y - b.y));
}

// ------------------------------------------------------ projection

// The move from a to the foot of the perpendicular from c on the line a-b,
// given ab = b - a, ac = c - a and m = |ab| (not zero): ab's direction
// (unnormalised when m <= flat_eps) times dot(ab, ac) / m.  The foot is a
// plus this move.
inline Vec2 foot_move(Vec2 ab, Vec2 ac, double m, double flat_eps) {
    double s = dot(ab, ac) / m;
    return unit_or_self(ab, m, flat_eps) * s;
}

// ------------------------------------------------------------ lines

// Slope of a line for its own text, equality and hash: vertical (empty) when
// the x values differ by less than eps, strictly.  The crossing of two lines
// uses geom::slope instead, whose vertical test is inclusive.
inline std::optional<double> line_slope(Vec2 start, Vec2 end, double eps) {
    if (std::fabs(start.x - end.x) < eps)
        return std::nullopt;
    return (end.y - start.y) / (end.x - start.x);
}

// The y at x = 0; for a vertical line the x of its start, and for a line
// whose y values differ by less than eps the y of its start.
inline double line_intercept(Vec2 start, Vec2 end, double eps) {
    if (std::fabs(start.x - end.x) < eps)
        return start.x;
    if (std::fabs(start.y - end.y) < eps)
        return start.y;
    return start.y - *line_slope(start, end, eps) * start.x;
}

// How far rounding alone can move a point that lies exactly on the line or
// segment through a and b, along each axis: a few units in the last place of
// the largest coordinate of the three points on that axis.  A caller's point
// is tested with the tolerance raised to it where it is the larger: far out
// (site coordinates in millimetres, or long walls in metres) rounding
// outgrows the absolute tolerance, while near the origin the tolerance
// stands as it is, its border included.  0 where a coordinate is not finite.
inline Vec2 rounding_slack(Vec2 a, Vec2 b, Vec2 p) {
    auto slack = [](double u, double v, double w) {
        double s = 4 * std::numeric_limits<double>::epsilon() * std::fmax(std::fmax(std::fabs(u), std::fabs(v)), std::fabs(w));
        return std::isfinite(s) ? s : 0.0;
    };
    return {slack(a.x, b.x, p.x), slack(a.y, b.y, p.y)};
}

// A point is on the infinite line through start and end when the triangle
// they make has an area below eps, strictly, or below the area that the
// rounding `slack` of the point's coordinates sweeps along the line, where
// that is larger.  Every point is on a line of coinciding points.
inline bool on_line(Vec2 start, Vec2 end, Vec2 p, double eps, Vec2 slack) {
    Vec2 d = end - start;
    double swept = (std::fabs(d.x) * slack.y + std::fabs(d.y) * slack.x) / 2;
    return std::fabs(triangle_area(start, end, p)) < std::max(eps, swept);
}
inline bool on_line(Vec2 start, Vec2 end, Vec2 p, double eps) {
    return on_line(start, end, p, eps, rounding_slack(start, end, p));
}

// Right-hand normal of a unit direction: turned clockwise by a right angle.
inline Vec2 right_normal(Vec2 u) { return {u.y, -u.x}; }
inline Vec2 left_normal(Vec2 u) { return {-u.y, u.x}; }

// Linear blend a * (1 - t) + b * t of two points, coordinate by coordinate.
inline Vec2 blend(Vec2 a, Vec2 b, double t) {
    double s = 1.0 - t;
    return {a.x * s + b.x * t, a.y * s + b.y * t};
}

// ------------------------------------------------------------ bounds

// min() and max() of two values as the interpreter computes them: the first
// value wins unless the second compares strictly less (greater), so a NaN
// propagates only from the first position.
inline double first_min(double a, double b) { return b < a ? b : a; }
inline double first_max(double a, double b) { return b > a ? b : a; }

// Axis-aligned bound of a segment, in the order (min x, max x, min y, max y).
struct Box {
    double min_x, max_x, min_y, max_y;
};

inline Box segment_bound(Vec2 start, Vec2 end) {
    return {first_min(start.x, end.x), first_max(start.x, end.x), first_min(start.y, end.y),
            first_max(start.y, end.y)};
}

// The bound widened by eps on every side, borders included; x is tested
// first.  A NaN anywhere fails the test.
inline bool in_box(const Box &b, Vec2 p, double eps) {
    if (!(b.min_x - eps <= p.x && p.x <= b.max_x + eps))
        return false;
    return b.min_y - eps <= p.y && p.y <= b.max_y + eps;
}

// The bound widened by eps, or on each axis by `slack` where that is larger.
inline bool in_box(const Box &b, Vec2 p, double eps, Vec2 slack) {
    double ex = std::max(eps, slack.x), ey = std::max(eps, slack.y);
    if (!(b.min_x - ex <= p.x && p.x <= b.max_x + ex))
        return false;
    return b.min_y - ey <= p.y && p.y <= b.max_y + ey;
}

// A point lies on a segment when it is on the segment's line (strict area
// test) and inside its widened bound, both tolerances raised to the rounding
// of coordinates of their size where that is larger (rounding_slack).
inline bool on_segment(Vec2 start, Vec2 end, Vec2 p, double eps) {
    Vec2 slack = rounding_slack(start, end, p);
    return on_line(start, end, p, eps, slack) && in_box(segment_bound(start, end), p, eps, slack);
}

// Crossing of two segments: the crossing of their lines kept only inside
// both widened bounds (the first bound is tested first).
inline std::optional<Vec2> segment_intersection(Vec2 a, Vec2 b, Vec2 c, Vec2 d, double flat_eps,
                                                double eps) {
    std::optional<Vec2> p = line_intersection(a, b, c, d, flat_eps);
    if (!p || !in_box(segment_bound(a, b), *p, eps) || !in_box(segment_bound(c, d), *p, eps))
        return std::nullopt;
    return p;
}

// Bound of a ray in the order (min x, min y, max x, max y), infinite on its
// open sides; an axis along which the direction does not move is pinned to
// the origin's coordinate.  `valid` is false for the zero direction.
struct RayBound {
    double min_x, min_y, max_x, max_y;
    bool valid;
};

RayBound ray_bound(Vec2 origin, Vec2 direction);

// Widened, inclusive test against a ray bound: x first, then y.
inline bool in_ray_bound(const RayBound &b, Vec2 p, double eps) {
    if (!(b.min_x - eps <= p.x && p.x <= b.max_x + eps))
        return false;
    return b.min_y - eps <= p.y && p.y <= b.max_y + eps;
}

// ---------------------------------------------------- closest points

// Which point of a segment is nearest to a point: the foot of the
// perpendicular when it lies on the segment, else the nearer end (a tie goes
// to the end).  A segment whose ends coincide exactly answers its start.
//
// Whether the foot lies on the segment is decided on its move from the start
// against the segment's own (foot_on_segment), before the sum start + move
// is rounded: far from the origin that sum carries the rounding of the
// coordinates' last place, which an absolute tolerance cannot take.  `gap`
// is the probe less the nearest point, for a foot taken about the start too,
// so that distances keep their digits wherever the figure stands.
enum class Nearest { foot, start, end };
struct SegmentClosest {
    Nearest which;
    Vec2 point;
    Vec2 gap;
};
inline bool foot_on_segment(Vec2 ab, Vec2 move, double eps) { return on_segment(Vec2{}, ab, move, eps); }
SegmentClosest segment_closest_point(Vec2 start, Vec2 end, Vec2 p, double flat_eps, double eps);

// ------------------------------------------------------ broad phase

// Candidate pairs (i, j), i < j, in ascending (i, j) order, of the boxes
// that overlap once widened by eps, borders included: every pair whose
// segments can cross within both widened bounds is listed.  Boxes with a NaN
// limit can pass no bound test and never appear.  Sort and sweep along x.
std::vector<std::pair<std::size_t, std::size_t>> overlapping_pairs(std::span<const Box> boxes,
                                                                   double eps, const Interrupt &stop = {});

}  // namespace geom
