// Layout kernels behind polygons with holes, point grids, rectangle
// placement and bars: the interior lattice of a framed outline, the tests of
// a placed rectangle's sides against the holes, and the choice of a pair of
// cut points.
//
// Every kernel takes the same arithmetic steps, in the same order, as the
// plain rules on Point and Vector objects, so results agree bit for bit.
// Tolerances are passed in: `flat` is the point tolerance (tolerant point
// equality, the vertical test of a line crossing) and `seg` the segment
// tolerance (widened bounds).
#pragma once

#include "core/basics/line_segment_ray.hpp"
#include "core/basics/vec2.hpp"

#include <cstddef>
#include <span>
#include <vector>

namespace geom {

// ------------------------------------------------------ floored division

// The interpreter's float `v % w` and `v // w` (w not zero): the remainder
// takes the sign of w, and the quotient is the floor of the exact quotient
// as the interpreter rounds it.  Both raise nothing: a zero w is the
// caller's ZeroDivisionError.
double floored_mod(double v, double w);
double floored_div(double v, double w);

// --------------------------------------------------------------- lattice

// The offset of scan line i: vec_x * (float(i) * unit), as a Vector times a
// number gives it.
inline Vec2 scan_offset(Vec2 vec_x, double i, double unit) {
    double s = i * unit;
    return {vec_x.x * s, vec_x.y * s};
}

// The crossings of a scan line that bound its grid points: `first` is the
// earliest of those nearest to the line's start and `last` the latest of
// those farthest from it, as a stable sort by distance orders them (a NaN
// distance is never chosen over a number).  `distances` are those of the
// crossings, in their order; at least two.
struct LineEnds {
    std::size_t first, last;
};
LineEnds line_ends(std::span<const double> distances);

// The first grid point of a scan line: the line's start when the nearest
// crossing equals it within flat (`at_start`); otherwise that crossing moved
// along vec_y to the next whole multiple of unit from the start, d being its
// distance from the start: first + vec_y * (unit - d % unit).
struct RowStart {
    Vec2 point;
    bool at_start;
};
RowStart row_start(Vec2 first, double d, Vec2 line_start, Vec2 vec_y, double unit, double flat);

// Grid point j of a row: st + (vec_y * unit) * float(j).
inline Vec2 row_point(Vec2 st, Vec2 step, double j) { return {st.x + step.x * j, st.y + step.y * j}; }

// ------------------------------------------------------------------ holes

// The extent of a hole's vertices, for the segment prefilter; `finite` is
// false when a coordinate is NaN (such a hole is never skipped).
struct RingBox {
    Box box;
    bool finite;
};
RingBox ring_box(std::span<const Vec2> pts);

// Whether a segment of the hole meets the segment a-b: the crossing of
// their lines (the hole segment's ends first) inside both bounds widened by
// seg.  Segment k runs from vertex k to vertex k + 1; there is no implicit
// closing segment.  A hole whose box, widened by seg, stays apart from the
// segment's widened bound holds no such crossing and is skipped without
// testing its segments: the answer is that of testing every segment.
bool ring_meets_segment(std::span<const Vec2> pts, const RingBox &box, Vec2 a, Vec2 b, double flat, double seg);

// ------------------------------------------------------------ cut points

// The index of the first largest value, as the interpreter's max() keeps
// the first unless a later value compares strictly greater.  npos-like
// values.size() for an empty span.
std::size_t first_max_index(std::span<const double> values);

// All pairs (i, j), i < j, of n items in the order of the standard
// combinations of two: (0, 1), (0, 2), ..., (1, 2), ...
struct Pair {
    std::size_t i, j;
};
std::vector<Pair> combinations_of_two(std::size_t n, const Interrupt &stop = {});

}  // namespace geom
