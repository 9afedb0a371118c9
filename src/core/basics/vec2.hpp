// core/basics: vectors, rounding, interrupts, lines, segments, rays, circles and arcs.
// Includes the standard library only; every other folder of the core builds on it.
//
// Planar values and the tolerant point tests every planar module shares.
//
// Tolerances are passed in: the caller reads its module's `epsilon` at call
// time.  Equality is inclusive (`<=`): two points are equal when each
// coordinate differs by at most eps, a square rather than a disc, and the
// relation is not transitive.
#pragma once

#include <cmath>
#include <cstdint>
#include <cstring>
#include <optional>

namespace geom {

// v ** 2 exactly as the C library's pow(v, 2.0) gives it, which is what
// Python's `v ** 2.0` and math.pow(v, 2) return.  pow is not correctly
// rounded (it errs by up to about 0.52 units in the last place), so it can
// differ from the correctly rounded v * v where the exact square lies next to
// a rounding midpoint.  The exact rounding error of v * v (Dekker's product)
// tells those cases apart; only they pay for the library call.  (Measured
// here: pow returns the correctly rounded square whenever the exact square
// lies more than 0.01 units from a midpoint; 0.03 is the margin kept.)
double pow_call(double v);

inline double py_square(double v) {
    double p = v * v;
    double a = std::fabs(v);
    if (!(a > 1e-140 && a < 1e150))
        return pow_call(v);  // zero, subnormal, huge, inf or NaN: ask pow
    constexpr double split = 134217729.0;  // 2^27 + 1
    double c = split * v;
    double hi = c - (c - v), lo = v - hi;
    double err = ((hi * hi - p) + 2 * hi * lo) + lo * lo;  // v*v - p, exactly
    uint64_t bits;
    std::memcpy(&bits, &p, sizeof bits);
    bits &= 0x7FF0000000000000ULL;  // 2^exponent(p)
    double unit;
    std::memcpy(&unit, &bits, sizeof unit);
    double ulp = unit * 0x1p-52;
    if (std::fabs(err) < 0.47 * ulp)
        return p;  // far from a midpoint: pow rounds to the same double
    return pow_call(v);
}

struct Vec2 {
    double x = 0.0, y = 0.0;
};

inline Vec2 operator+(Vec2 a, Vec2 b) { return {a.x + b.x, a.y + b.y}; }
inline Vec2 operator-(Vec2 a, Vec2 b) { return {a.x - b.x, a.y - b.y}; }
inline Vec2 operator*(Vec2 a, double s) { return {a.x * s, a.y * s}; }

// Euclidean length sqrt(x^2 + y^2), each square as py_square gives it and
// without scaling against overflow: a finite coordinate whose square
// overflows gives inf (the bindings report that as Python's OverflowError).
inline double magnitude(Vec2 v) { return std::sqrt(py_square(v.x) + py_square(v.y)); }

// Unit direction of v, whose length is m: a vector no longer than flat_eps
// (|m| <= flat_eps) is returned as it is, unnormalised and possibly zero,
// instead of being divided by its length.
inline Vec2 unit_or_self(Vec2 v, double m, double flat_eps) {
    if (std::fabs(m) <= flat_eps)
        return v;
    return {v.x / m, v.y / m};
}
inline Vec2 unit_or_self(Vec2 v, double flat_eps) { return unit_or_self(v, magnitude(v), flat_eps); }

inline double dot(Vec2 a, Vec2 b) { return a.x * b.x + a.y * b.y; }
// Positive when b turns counter-clockwise from a (y axis up).
inline double cross(Vec2 a, Vec2 b) { return a.x * b.y - a.y * b.x; }

inline bool tolerant_equal(Vec2 a, Vec2 b, double eps) {
    return std::fabs(a.x - b.x) <= eps && std::fabs(a.y - b.y) <= eps;
}

// Order by y, then by x when the y values tie within eps; tolerantly equal
// points are neither greater nor less.  Pairwise only: not transitive.
inline bool tolerant_less(Vec2 a, Vec2 b, double eps) {
    double dy = a.y - b.y, dx = a.x - b.x;
    if (std::fabs(dy) <= eps) {
        if (std::fabs(dx) <= eps)
            return false;
        return dx < -eps;
    }
    return dy < -eps;
}
inline bool tolerant_greater(Vec2 a, Vec2 b, double eps) {
    double dy = a.y - b.y, dx = a.x - b.x;
    if (std::fabs(dy) <= eps) {
        if (std::fabs(dx) <= eps)
            return false;
        return dx > eps;
    }
    return dy > eps;
}

// Slope of the line through two points; empty for a vertical pair, which is
// any pair whose x values differ by at most eps (two equal points included).
inline std::optional<double> slope(Vec2 p1, Vec2 p2, double eps) {
    if (std::fabs(p1.x - p2.x) <= eps)
        return std::nullopt;
    return (p2.y - p1.y) / (p2.x - p1.x);
}

// Crossing of the infinite lines a-b and c-d.  Each intercept is taken at its
// line's first point; a vertical line's x is its first point's x.  Empty when
// the slopes are exactly equal (parallel, identical, or both vertical).
//
// x is accurate in the slope form, but y = s * x + i on a steep line carries
// an error of about ulp(s * x): a wall 1e-4 degrees off vertical, in
// millimetres, misses its corner by 1e-4.  So y comes from the flatter line;
// when line one is the flatter (or as flat), from line one, as the slope
// form has it.
inline std::optional<Vec2> line_intersection(Vec2 a, Vec2 b, Vec2 c, Vec2 d, double eps) {
    std::optional<double> s1 = slope(a, b, eps), s2 = slope(c, d, eps);
    if (s1 == s2)
        return std::nullopt;
    if (!s1) {
        double x = a.x;
        return Vec2{x, *s2 * x + (c.y - *s2 * c.x)};
    }
    if (!s2) {
        double x = c.x;
        return Vec2{x, *s1 * x + (a.y - *s1 * a.x)};
    }
    double i1 = a.y - *s1 * a.x, i2 = c.y - *s2 * c.x;
    double x = (i2 - i1) / (*s1 - *s2);
    if (std::fabs(*s1) > std::fabs(*s2))
        return Vec2{x, *s2 * x + i2};
    return Vec2{x, *s1 * x + i1};
}

// Signed area of the triangle p1 p2 p3: positive counter-clockwise.
inline double triangle_area(Vec2 p1, Vec2 p2, Vec2 p3) { return cross(p2 - p1, p3 - p1) / 2; }

// Turn at p2 of the path p1 -> p2 -> p3 (exact sign of the cross product).
inline double turn(Vec2 p1, Vec2 p2, Vec2 p3) { return cross(p2 - p1, p3 - p2); }

// Side of c relative to the directed line a -> b: 0 left, 1 right, 2 on it
// (exact comparison with zero, no tolerance).
inline int relative_position(Vec2 a, Vec2 b, Vec2 c) {
    double k = cross(b - a, c - a);
    return k > 0 ? 0 : (k < 0 ? 1 : 2);
}

}  // namespace geom
