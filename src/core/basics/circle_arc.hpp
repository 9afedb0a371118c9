// Circles and circular arcs: the circle through three points, crossings with
// lines and other circles, arc angle domains, bounds and sampling.
//
// Angles are in radians, counter-clockwise from the positive x axis.  An arc
// is described by its centre, radius and the two angles it runs between; its
// lower angle is the smaller of the two for a well-formed arc (the end angle
// of a clockwise arc, the start angle of a counter-clockwise one).
//
// Every comparison here is exact unless a tolerance is passed in; the point
// tolerance `flat_eps` (the root module's epsilon) only decides when a chord
// is vertical.  Arithmetic follows the interpreter's float operations in the
// stated operand order, so results agree bit for bit with a plain script.
#pragma once

#include "core/basics/line_segment_ray.hpp"
#include "core/basics/vec2.hpp"

#include <cmath>
#include <cstddef>
#include <span>

namespace geom {

inline constexpr double pi = 3.141592653589793;
inline constexpr double two_pi = 2.0 * pi;
inline constexpr double half_pi = pi / 2;

// math.isclose(a, b, rel_tol=rel, abs_tol=abs): equal values are close,
// an infinity is close only to itself, NaN to nothing.
inline bool is_close(double a, double b, double rel, double abs_tol) {
    if (a == b)
        return true;
    if (std::isinf(a) || std::isinf(b))
        return false;
    double diff = std::fabs(b - a);
    return diff <= std::fabs(rel * b) || diff <= std::fabs(rel * a) || diff <= abs_tol;
}

// numpy.isclose(a, b, rtol, atol) for two scalars: asymmetric, scaled by |b|.
inline bool np_is_close(double a, double b, double rtol, double atol) {
    if (std::isinf(a) || std::isinf(b))
        return a == b;
    return std::fabs(a - b) <= atol + rtol * std::fabs(b);
}

// The interpreter's float `%` and `//`: the remainder takes the sign of the
// divisor, and the quotient is the floor of the true quotient.
double py_mod(double v, double w);
double py_floor_div(double v, double w);

// ---------------------------------------------------------- circles

// The circle through three points, from the crossing of the perpendicular
// bisectors of the chords a-b and b-c.  A chord whose end x values differ by
// at most flat_eps is vertical; two vertical chords, or two of exactly equal
// slope, are collinear.  The centre's y is read off the first bisector
// unless that one is steeper than 1e8 (a chord horizontal up to rounding)
// and the second is flatter.
struct CircleFit {
    enum Status { ok, collinear, parallel_bisectors } status;
    Vec2 center;
    double radius;
};
CircleFit circle_through(Vec2 a, Vec2 b, Vec2 c, double flat_eps);

// Up to two crossings, ordered as the callers return them.
struct Crossings {
    int count = 0;  // 0, 1 or 2
    Vec2 p[2];
};

// Crossings of the infinite line start-end with a circle.  One point only
// when the discriminant is exactly zero; otherwise the point farther along
// start -> end comes first.  `degenerate` is set (and nothing found) when
// start and end coincide exactly, so the line has no direction.
struct LineCrossings : Crossings {
    bool degenerate = false;
};
LineCrossings line_circle_crossings(Vec2 start, Vec2 end, Vec2 center, double r);

// Crossings of two circles: none when they lie apart, one inside the other,
// or are the same circle; otherwise two points, the first on the right of
// the direction from the first centre to the second.  Touching circles give
// the contact point twice, also when rounding leaves the half chord's square
// a hair below zero.  `zero_distance` flags concentric input that slipped
// through the tests above (NaN radii), where the chord foot is undefined.
struct CircleCrossings : Crossings {
    bool zero_distance = false;
};
CircleCrossings circle_circle_crossings(Vec2 c1, double r1, Vec2 c2, double r2);

// Nearest point of a circle to p (p not the centre): the centre moved by r
// along the direction to p.
inline Vec2 closest_on_circle(Vec2 center, double r, Vec2 p, double d) {
    return {center.x + r * (p.x - center.x) / d, center.y + r * (p.y - center.y) / d};
}

// The cosine and sine of one angle.  The caller chooses the library that
// computes them (numpy's kernels for the rules that rotate vectors with
// numpy), so they are passed in.
struct CosSin {
    double c, s;
};

// A vector turned counter-clockwise by the angle of cs.
inline Vec2 rotated(Vec2 v, CosSin cs) { return {v.x * cs.c - v.y * cs.s, v.x * cs.s + v.y * cs.c}; }

// (r, 0) turned by the angle of cs: the radius vector to the point of a
// circle at that angle.  The zero terms are kept so that signed zeros come
// out as a general rotation gives them.
inline Vec2 radius_vector(double r, CosSin cs) { return {r * cs.c - 0.0 * cs.s, r * cs.s + 0.0 * cs.c}; }

// Direction of travel of a counter-clockwise circle at point p: the radius
// direction turned a quarter turn, taken as the difference to a point one
// radius further along it (and not yet normalised).
Vec2 circle_tangent_step(Vec2 center, double r, Vec2 p);

// ------------------------------------------------------------- arcs

// Quadrant index of an angle: (theta % 2 pi) // (pi / 2), from 0 to 3 (4 only
// when the remainder rounds up to 2 pi).  Undefined for non-finite angles.
int quadrant(double theta);

// Axis-aligned box (min_x, min_y, max_x, max_y) of the arc that covers the
// angles from `lower` up to `upper`, counter-clockwise, and whose end points
// are `p_start` and `p_end`.  The box of the end points grows to the circle's extreme at
// every quarter-turn boundary the arc passes: those of the quadrants from
// the lower angle's up to the upper angle's (a span that wraps past angle 0
// counts on through it), all four when both angles share a quadrant and the
// sweep exceeds pi, and all four for a sweep of 2 pi or more.  `valid` is
// false when an angle is not finite (it has no quadrant).
struct Bound {
    double min_x, min_y, max_x, max_y;
    bool valid;
};
Bound arc_bound(Vec2 p_start, Vec2 p_end, Vec2 center, double r, double lower, double upper);

// Shift an angle in [0, 2 pi) by whole turns into [lower, lower + 2 pi): the
// turn of an arc in which a point's angle is compared with its domain.
double angle_into_turn(double theta, double lower);

// Which end angle of the domain [lower, upper] the direction from `center`
// to `p` lies within rounding of, taken by whole turns: -1 for the lower,
// 1 for the upper, 0 for neither.  The direction's angle comes from atan2
// and the tolerance is a few ulps of 2 pi (of the end angle when larger)
// and of the coordinates (seen from the centre).  NaN lies near neither.
int end_angle_within_rounding(Vec2 center, Vec2 p, double lower, double upper);

// Sampling: the angles at parameters i / n for i = first, first + 1, ...
// (one per element of `out`), where parameter 0 is the start angle and 1 the
// end, evenly spaced; i runs from 1 to n - 1 over a whole sampling, which a
// caller may take in blocks.
void sample_angles(double start, double sweep, std::size_t n, std::size_t first, std::span<double> out);

// The points of a circle at the angles whose cosines and sines are given.
void place_on_circle(Vec2 center, double r, std::span<const double> cos, std::span<const double> sin,
                     std::span<Vec2> out);

// Tangent-start arc: the arc from a start point, leaving it along a given
// direction, to an end point.  `alpha` is the counter-clockwise angle from
// the direction to the chord, in [0, 2 pi].
//
// theta is the angle whose cosine relates chord and radius: alpha - pi/2
// inside (pi/2, 3 pi/2), exactly 0 within numpy's isclose of pi/2 or
// 3 pi/2, else pi/2 - alpha.
double tangent_arc_theta(double alpha);
// Radius of the circle touching the direction at the start and passing
// through the end: |chord| / |2 cos theta|, given cos theta.
inline double tangent_arc_radius(double chord_length, double cos_theta) {
    return chord_length / std::fabs(2 * cos_theta);
}

}  // namespace geom
