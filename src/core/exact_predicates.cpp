#include "core/exact_predicates.hpp"

#include <algorithm>
#include <cmath>
#include <utility>

namespace geom::exact {
namespace {

// An expansion: doubles of increasing magnitude, none overlapping another,
// whose exact sum is the value; its last (largest) term carries its sign.
// Zero terms are dropped, so a zero value is one term 0 or none.  Held in a
// fixed buffer of N terms, large enough for every step below.
template <int N>
struct Expansion {
    double term[N];
    int size = 0;
    void push(double t) { term[size++] = t; }
};

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

Expansion<2> difference(double a, double b) {
    double x, y;
    two_sum(a, -b, x, y);
    Expansion<2> e;
    if (y != 0)
        e.push(y);
    e.push(x);
    return e;
}

// h = e * b, term by term, the carries summed as they arise (2 |e| terms at
// most).
template <int H, int E>
void scale(const Expansion<E> &e, double b, Expansion<H> &h) {
    static_assert(H >= 2 * E);
    h.size = 0;
    if (e.size == 0)
        return;
    double q, t;
    two_product(e.term[0], b, q, t);
    if (t != 0)
        h.push(t);
    for (int i = 1; i < e.size; ++i) {
        double hi, lo, sum, err;
        two_product(e.term[i], b, hi, lo);
        two_sum(q, lo, sum, err);
        if (err != 0)
            h.push(err);
        two_sum(hi, sum, q, err);
        if (err != 0)
            h.push(err);
    }
    if (q != 0 || h.size == 0)
        h.push(q);
}

// h = e + f (or e - f): both merged by magnitude, then summed from the
// smallest term up.  The sum has at most e.size + f.size terms, which the
// callers keep within H.
template <int H, int E, int F>
void sum(const Expansion<E> &e, const Expansion<F> &f, Expansion<H> &h, bool subtract = false) {
    double g[E + F];
    int i = 0, j = 0, k = 0;
    while (i < e.size || j < f.size) {
        double fj = j < f.size ? (subtract ? -f.term[j] : f.term[j]) : 0;
        if (j >= f.size || (i < e.size && std::fabs(e.term[i]) < std::fabs(fj)))
            g[k++] = e.term[i++];
        else
            g[k++] = fj, ++j;
    }
    h.size = 0;
    if (k == 0)
        return;
    double q = g[0];
    for (int m = 1; m < k; ++m) {
        double next, err;
        two_sum(q, g[m], next, err);
        if (err != 0)
            h.push(err);
        q = next;
    }
    if (q != 0 || h.size == 0)
        h.push(q);
}

// h = e * f.
template <int H, int E, int F>
void product(const Expansion<E> &e, const Expansion<F> &f, Expansion<H> &h) {
    static_assert(H >= 2 * E * F);
    Expansion<2 * E> part;
    Expansion<H> other;
    Expansion<H> *acc = &h, *spare = &other;
    acc->size = 0;
    for (int j = 0; j < f.size; ++j) {
        scale(e, f.term[j], part);
        spare->size = 0;
        sum(*acc, part, *spare);  // sizes stay within H: 2 |e| terms per term of f
        std::swap(acc, spare);
    }
    if (acc != &h) {
        h.size = acc->size;
        std::copy(acc->term, acc->term + acc->size, h.term);
    }
}

template <int N>
int sign_of(const Expansion<N> &e) {
    if (e.size == 0)
        return 0;
    double top = e.term[e.size - 1];
    return top > 0 ? 1 : (top < 0 ? -1 : 0);
}

// Error bounds of the floating-point first stage (u = 2^-53).
constexpr double unit = 0x1p-53;
constexpr double orient_bound = (3.0 + 16.0 * unit) * unit;
constexpr double circle_bound = (10.0 + 96.0 * unit) * unit;

int orient_exactly(Vec2 a, Vec2 b, Vec2 c) {
    Expansion<2> acx = difference(a.x, c.x), acy = difference(a.y, c.y);
    Expansion<2> bcx = difference(b.x, c.x), bcy = difference(b.y, c.y);
    Expansion<8> left, right;
    product(acx, bcy, left);
    product(acy, bcx, right);
    Expansion<16> det;
    sum(left, right, det, true);
    return sign_of(det);
}

// lift(p) * (q.x r.y - r.x q.y), p, q, r relative to the fourth point, each
// coordinate an expansion of D terms.
template <int D, int T>
void in_circle_term(const Expansion<D> &px, const Expansion<D> &py, const Expansion<D> &qx, const Expansion<D> &qy,
                    const Expansion<D> &rx, const Expansion<D> &ry, Expansion<T> &out) {
    Expansion<2 * D * D> xx, yy, qr, rq;
    product(px, px, xx);
    product(py, py, yy);
    product(qx, ry, qr);
    product(rx, qy, rq);
    Expansion<4 * D * D> lift, minor;
    sum(xx, yy, lift);
    sum(qr, rq, minor, true);
    product(lift, minor, out);
}

template <int D>
int in_circle_of(const Expansion<D> (&d)[6]) {
    constexpr int T = 32 * D * D * D * D;
    Expansion<T> ta, tb, tc;
    in_circle_term(d[0], d[1], d[2], d[3], d[4], d[5], ta);
    in_circle_term(d[2], d[3], d[4], d[5], d[0], d[1], tb);
    in_circle_term(d[4], d[5], d[0], d[1], d[2], d[3], tc);
    Expansion<2 * T> ab;
    sum(ta, tb, ab);
    Expansion<3 * T> det;
    sum(ab, tc, det);
    return sign_of(det);
}

// Differences of nearby coordinates are mostly exact doubles: their terms
// are then single doubles and the expansions stay short.
int in_circle_exactly(Vec2 a, Vec2 b, Vec2 c, Vec2 d) {
    Expansion<2> full[6] = {difference(a.x, d.x), difference(a.y, d.y), difference(b.x, d.x),
                            difference(b.y, d.y), difference(c.x, d.x), difference(c.y, d.y)};
    Expansion<1> single[6];
    for (int k = 0; k < 6; ++k) {
        if (full[k].size > 1)
            return in_circle_of(full);
        single[k].size = full[k].size;
        single[k].term[0] = full[k].size ? full[k].term[0] : 0;
    }
    return in_circle_of(single);
}

}  // namespace

int orient(Vec2 a, Vec2 b, Vec2 c) {
    double left = (a.x - c.x) * (b.y - c.y), right = (a.y - c.y) * (b.x - c.x);
    double det = left - right;
    // Products of opposite signs, or a zero one (a zero difference: equal
    // coordinates), leave no doubt about the sign.
    if ((left >= 0) != (right > 0) || left == 0)
        return det > 0 ? 1 : (det < 0 ? -1 : 0);
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
