#include "core/exact_predicates.hpp"

#include <algorithm>
#include <cmath>
#include <vector>

namespace geom::exact {
namespace {

// An expansion: doubles of increasing magnitude, none overlapping another,
// whose exact sum is the value; its last (largest) term carries its sign.
// Zero terms are dropped, so a zero value is one term 0 or none.
using Expansion = std::vector<double>;

// a + b = x + y exactly.
inline void two_sum(double a, double b, double &x, double &y) {
    x = a + b;
    double bv = x - a, av = x - bv;
    y = (a - av) + (b - bv);
}

// a * b = x + y exactly (the fused multiply-add rounds once).
inline void two_product(double a, double b, double &x, double &y) {
    x = a * b;
    y = std::fma(a, b, -x);
}

Expansion difference(double a, double b) {
    double x, y;
    two_sum(a, -b, x, y);
    Expansion e;
    if (y != 0)
        e.push_back(y);
    e.push_back(x);
    return e;
}

// e * b, term by term, the carries summed as they arise.
Expansion scale(const Expansion &e, double b) {
    Expansion h;
    if (e.empty())
        return h;
    double q, t;
    two_product(e[0], b, q, t);
    if (t != 0)
        h.push_back(t);
    for (size_t i = 1; i < e.size(); ++i) {
        double hi, lo, sum, err;
        two_product(e[i], b, hi, lo);
        two_sum(q, lo, sum, err);
        if (err != 0)
            h.push_back(err);
        two_sum(hi, sum, q, err);
        if (err != 0)
            h.push_back(err);
    }
    if (q != 0 || h.empty())
        h.push_back(q);
    return h;
}

// e + f: both merged by magnitude, then summed from the smallest term up.
Expansion sum(const Expansion &e, const Expansion &f) {
    Expansion g(e.size() + f.size());
    std::merge(e.begin(), e.end(), f.begin(), f.end(), g.begin(),
               [](double p, double q) { return std::fabs(p) < std::fabs(q); });
    Expansion h;
    if (g.empty())
        return h;
    double q = g[0];
    for (size_t i = 1; i < g.size(); ++i) {
        double next, err;
        two_sum(q, g[i], next, err);
        if (err != 0)
            h.push_back(err);
        q = next;
    }
    if (q != 0 || h.empty())
        h.push_back(q);
    return h;
}

Expansion product(const Expansion &e, const Expansion &f) {
    Expansion h;
    for (double term : f)
        h = sum(h, scale(e, term));
    return h;
}

Expansion negated(Expansion e) {
    for (double &term : e)
        term = -term;
    return e;
}

int sign_of(const Expansion &e) {
    if (e.empty())
        return 0;
    return e.back() > 0 ? 1 : (e.back() < 0 ? -1 : 0);
}

// Error bounds of the floating-point first stage (u = 2^-53).
constexpr double unit = 0x1p-53;
constexpr double orient_bound = (3.0 + 16.0 * unit) * unit;
constexpr double circle_bound = (10.0 + 96.0 * unit) * unit;

int orient_exactly(Vec2 a, Vec2 b, Vec2 c) {
    Expansion acx = difference(a.x, c.x), acy = difference(a.y, c.y);
    Expansion bcx = difference(b.x, c.x), bcy = difference(b.y, c.y);
    return sign_of(sum(product(acx, bcy), negated(product(acy, bcx))));
}

int in_circle_exactly(Vec2 a, Vec2 b, Vec2 c, Vec2 d) {
    Expansion adx = difference(a.x, d.x), ady = difference(a.y, d.y);
    Expansion bdx = difference(b.x, d.x), bdy = difference(b.y, d.y);
    Expansion cdx = difference(c.x, d.x), cdy = difference(c.y, d.y);
    auto lift = [](const Expansion &x, const Expansion &y) { return sum(product(x, x), product(y, y)); };
    auto minor = [](const Expansion &px, const Expansion &py, const Expansion &qx, const Expansion &qy) {
        return sum(product(px, qy), negated(product(qx, py)));
    };
    Expansion det = product(lift(adx, ady), minor(bdx, bdy, cdx, cdy));
    det = sum(det, product(lift(bdx, bdy), minor(cdx, cdy, adx, ady)));
    det = sum(det, product(lift(cdx, cdy), minor(adx, ady, bdx, bdy)));
    return sign_of(det);
}

}  // namespace

int orient(Vec2 a, Vec2 b, Vec2 c) {
    double left = (a.x - c.x) * (b.y - c.y), right = (a.y - c.y) * (b.x - c.x);
    double det = left - right;
    double bound = orient_bound * (std::fabs(left) + std::fabs(right));
    if (det > bound)
        return 1;
    if (-det > bound)
        return -1;
    return orient_exactly(a, b, c);
}

int in_circle(Vec2 a, Vec2 b, Vec2 c, Vec2 d) {
    double adx = a.x - d.x, ady = a.y - d.y, bdx = b.x - d.x, bdy = b.y - d.y, cdx = c.x - d.x, cdy = c.y - d.y;
    double bc = bdx * cdy, cb = cdx * bdy, ca = cdx * ady, ac = adx * cdy, ab = adx * bdy, ba = bdx * ady;
    double alift = adx * adx + ady * ady, blift = bdx * bdx + bdy * bdy, clift = cdx * cdx + cdy * cdy;
    double det = alift * (bc - cb) + blift * (ca - ac) + clift * (ab - ba);
    double permanent = (std::fabs(bc) + std::fabs(cb)) * alift + (std::fabs(ca) + std::fabs(ac)) * blift +
                       (std::fabs(ab) + std::fabs(ba)) * clift;
    double bound = circle_bound * permanent;
    if (det > bound)
        return 1;
    if (-det > bound)
        return -1;
    return in_circle_exactly(a, b, c, d);
}

}  // namespace geom::exact
