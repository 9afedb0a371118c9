// Solid values and the tolerant tests of the solid point and vector.
//
// Every formula runs in the order Python evaluates the same expression:
// sums left to right, `(x**2 + y**2) + z**2`, the receiver's component on the
// left of each product.  Squares are Python's `v ** 2`, which is the C
// library's pow and which raises OverflowError where IEEE arithmetic would go
// on with infinity; a division by exactly zero raises ZeroDivisionError.  Both
// are reported here as a PyFault for the bindings to raise.
//
// Tolerances are passed in (the module's `epsilon`, read at call time).
// Equality is inclusive (`<=`) per axis: a cube rather than a ball, and not
// transitive.
#pragma once

#include "core/basics/vec2.hpp"

#include <cmath>
#include <optional>

namespace geom {

struct Vec3 {
    double x = 0.0, y = 0.0, z = 0.0;
};

inline Vec3 operator+(Vec3 a, Vec3 b) { return {a.x + b.x, a.y + b.y, a.z + b.z}; }
inline Vec3 operator-(Vec3 a, Vec3 b) { return {a.x - b.x, a.y - b.y, a.z - b.z}; }
inline Vec3 operator-(Vec3 a) { return {-a.x, -a.y, -a.z}; }
inline Vec3 operator*(Vec3 a, double k) { return {a.x * k, a.y * k, a.z * k}; }

// (a.x * b.x + a.y * b.y) + a.z * b.z
inline double dot(Vec3 a, Vec3 b) { return a.x * b.x + a.y * b.y + a.z * b.z; }
// a x b, receiver's component on the left of each product.
inline Vec3 cross(Vec3 a, Vec3 b) {
    return {a.y * b.z - a.z * b.y, a.z * b.x - a.x * b.z, a.x * b.y - a.y * b.x};
}

// ------------------------------------------------------------ Python faults

// How a step of Python float arithmetic fails where IEEE arithmetic goes on.
enum class PyFault {
    none,
    overflow,       // a finite value's `** 2` beyond the double range
    zero_division,  // a float divided by exactly zero (either sign)
};

template <class T>
struct Checked {
    T value{};
    PyFault fault = PyFault::none;
    bool ok() const { return fault == PyFault::none; }
};

inline Checked<double> fail(PyFault f) { return {0.0, f}; }

// Python's `v ** 2`: pow's square, or overflow for a finite v whose square is
// infinite (inf ** 2 is inf and NaN ** 2 is NaN, without error).
inline Checked<double> py_pow2(double v) {
    double s = py_square(v);
    if (std::isinf(s) && std::isfinite(v))
        return fail(PyFault::overflow);
    return {s};
}

// Python's `a / b` for floats.
inline Checked<double> py_div(double a, double b) {
    if (b == 0.0)
        return fail(PyFault::zero_division);
    return {a / b};
}

// math.sqrt((v.x ** 2 + v.y ** 2) + v.z ** 2)
inline Checked<double> length(Vec3 v) {
    Checked<double> x = py_pow2(v.x), y = py_pow2(v.y), z = py_pow2(v.z);
    if (!x.ok())
        return x;
    if (!y.ok())
        return y;
    if (!z.ok())
        return z;
    return {std::sqrt(x.value + y.value + z.value)};
}

// Distance from a to b: the length of a - b.
inline Checked<double> distance(Vec3 a, Vec3 b) { return length(a - b); }

// (|x| + |y|) + |z|
inline double norm1(Vec3 v) { return std::fabs(v.x) + std::fabs(v.y) + std::fabs(v.z); }

// The unit vector of v, or v itself (`same`) when its length is at most eps:
// a vector that short is handed back unchanged, not an error.
struct UnitVector {
    Vec3 v;
    bool same = false;
};
Checked<UnitVector> unit_or_self(Vec3 v, double eps);

// ---------------------------------------------------------- tolerant tests

// |d| <= eps: the two values tie.
inline bool ties(double d, double eps) { return std::fabs(d) <= eps; }

inline bool tolerant_equal(Vec3 a, Vec3 b, double eps) {
    return ties(a.x - b.x, eps) && ties(a.y - b.y, eps) && ties(a.z - b.z, eps);
}

// Order by y, then x when the y values tie, then z when x ties as well; points
// that tie on all three are neither greater nor less.  Pairwise only.
inline bool tolerant_greater(Vec3 a, Vec3 b, double eps) {
    if (!ties(a.y - b.y, eps))
        return a.y - b.y > eps;
    if (!ties(a.x - b.x, eps))
        return a.x - b.x > eps;
    if (!ties(a.z - b.z, eps))
        return a.z - b.z > eps;
    return false;
}
inline bool tolerant_less(Vec3 a, Vec3 b, double eps) {
    if (!ties(a.y - b.y, eps))
        return a.y - b.y < -eps;
    if (!ties(a.x - b.x, eps))
        return a.x - b.x < -eps;
    if (!ties(a.z - b.z, eps))
        return a.z - b.z < -eps;
    return false;
}

// ------------------------------------------------------------- point steps

// p turned by the angle whose cosine and sine are c and s about the vertical
// line through center; the result lies at the centre's height.
inline Vec3 rotate_about_vertical(Vec3 p, Vec3 center, double c, double s) {
    Vec3 v = p - center;
    Vec3 r{c * v.x - s * v.y, s * v.x + c * v.y, 0.0};
    return {r.x + center.x, r.y + center.y, center.z};
}

// v turned about the z axis; z is kept.
inline Vec3 rotate_planar(Vec3 v, double c, double s) {
    return {c * v.x - s * v.y, s * v.x + c * v.y, v.z};
}

// a + (b - a) * t per axis, unclamped: t outside [0, 1] extrapolates.
inline Vec3 tween(Vec3 a, Vec3 b, double t) {
    return {a.x + (b.x - a.x) * t, a.y + (b.y - a.y) * t, a.z + (b.z - a.z) * t};
}

// ----------------------------------------------------------------- angles

// A cosine or sine clamped to [-1, 1]; a clamped value is the int 1 or -1 in
// Python (`as_int`), a value inside stays the computed float, NaN passes.
struct Clamped {
    double value = 0.0;
    bool as_int = false;
};
inline Clamped clamp_unit(double c) {
    if (1 < c)
        return {1.0, true};
    if (-1 > c)
        return {-1.0, true};
    return {c, false};
}

// The cosine of the angle between a and b given their lengths ma and mb;
// empty when either length is at most eps.
Checked<std::optional<Clamped>> cos_between(Vec3 a, Vec3 b, double ma, double mb, double eps);
// The signed sine: positive for a counter-clockwise turn from a to b seen from
// +z, and for a cross product with z exactly 0.
Checked<std::optional<Clamped>> sin_between(Vec3 a, Vec3 b, double ma, double mb, double eps);

// The angle of arccos(cos) turned into a polar angle: unchanged when the
// turn's cross product has z >= 0; otherwise 2 pi - a, or 1 / (a - 2 pi) when
// `compare` (a reciprocal kept for callers that rely on it).
double polar_turn(double angle, double cross_z, bool compare);

// ------------------------------------------------------ point and line geometry

// Foot of the perpendicular from c onto the unbounded line a-b.
Checked<Vec3> projection_point(Vec3 a, Vec3 b, Vec3 c, double eps);

// The crossing of segment a-b with the unbounded line c-d, by exact tests.
// `hit` with `step` = (a - b) reversed and times t when 0 <= t <= 1: the
// crossing is a moved by `step`.
struct SegmentCrossing {
    bool hit = false;
    Vec3 step;
};
Checked<SegmentCrossing> segment_line_crossing(Vec3 a, Vec3 b, Vec3 c, Vec3 d);

// Side of c relative to the directed line a -> b seen from +z: 0 left,
// 1 right, 2 on it (exact comparison with zero).
inline int relative_position(Vec3 a, Vec3 b, Vec3 c) {
    double z = cross(b - a, c - a).z;
    return z > 0 ? 0 : (z < 0 ? 1 : 2);
}

// Unsigned area of the triangle p1 p2 p3.
inline Checked<double> triangle_area(Vec3 p1, Vec3 p2, Vec3 p3) {
    Checked<double> m = length(cross(p2 - p1, p3 - p1));
    if (m.ok())
        m.value /= 2;
    return m;
}

// z of the cross product of p1 -> p2 and p2 -> p3: the turn at p2.
inline double turn_z(Vec3 p1, Vec3 p2, Vec3 p3) { return cross(p2 - p1, p3 - p2).z; }

}  // namespace geom
