#include "core/planar/exact_predicates.hpp"

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

// a = hi + lo exactly, each half of 26 bits or fewer.
inline void split(double a, double &hi, double &lo) {
    double c = 134217729.0 * a;  // 2^27 + 1
    double big = c - a;
    hi = c - big;
    lo = a - hi;
}

// a * b = x + y exactly: with the fused multiply-add where the target has
// it, by halves otherwise (a call to fma() would cost more than the halves).
inline void two_product(double a, double b, double &x, double &y) {
    x = a * b;
#ifdef __FMA__
    y = std::fma(a, b, -x);
#else
    double ah, al, bh, bl;
    split(a, ah, al);
    split(b, bh, bl);
    y = al * bl - (((x - ah * bh) - al * bh) - ah * bl);
#endif
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

// Error bounds (u = 2^-53): of the floating-point first stage (A); of the
// exact value of the rounded differences against the true value (B); of
// that value corrected to first order in the differences' rounding errors
// (C); and of rounding the corrected value itself.
constexpr double unit = 0x1p-53;
constexpr double orient_bound = (3.0 + 16.0 * unit) * unit;
constexpr double orient_bound_b = (2.0 + 12.0 * unit) * unit;
constexpr double orient_bound_c = (9.0 + 64.0 * unit) * unit * unit;
constexpr double circle_bound = (10.0 + 96.0 * unit) * unit;
constexpr double circle_bound_c = (44.0 + 576.0 * unit) * unit * unit;
constexpr double result_bound = (3.0 + 8.0 * unit) * unit;

// The rounding error of x = a - b: a - b = x + difference_tail(a, b, x).
inline double difference_tail(double a, double b, double x) {
    double bv = a - x, av = x + bv;
    return (a - av) + (bv - b);
}

template <int N>
double estimate(const Expansion<N> &e) {
    double s = 0;
    for (int i = 0; i < e.size; ++i)
        s += e.term[i];
    return s;
}

int sign(double v) { return v > 0 ? 1 : (v < 0 ? -1 : 0); }

// p * q - r * s exactly: up to four terms.
Expansion<4> cross_terms(double p, double q, double r, double s) {
    Expansion<2> left, right;
    double hi, lo;
    two_product(p, q, hi, lo);
    if (lo != 0)
        left.push(lo);
    left.push(hi);
    two_product(r, s, hi, lo);
    if (lo != 0)
        right.push(lo);
    right.push(hi);
    Expansion<4> out;
    sum(left, right, out, true);
    return out;
}

// The sign of (p1 - p2)(q1 - q2) - (r1 - r2)(s1 - s2), each difference an
// exact expansion.
int cross_of_differences(double p1, double p2, double q1, double q2, double r1, double r2, double s1, double s2) {
    Expansion<8> left, right;
    product(difference(p1, p2), difference(q1, q2), left);
    product(difference(r1, r2), difference(s1, s2), right);
    Expansion<16> det;
    sum(left, right, det, true);
    return sign_of(det);
}

// Stages B and C, then the whole exact value: `sum` is |left| + |right| of
// the first stage.
int orient_adapt(Vec2 a, Vec2 b, Vec2 c, double magnitude) {
    double acx = a.x - c.x, bcx = b.x - c.x, acy = a.y - c.y, bcy = b.y - c.y;
    Expansion<4> exact_rounded = cross_terms(acx, bcy, acy, bcx);
    double det = estimate(exact_rounded), bound = orient_bound_b * magnitude;
    if (det >= bound || -det >= bound)
        return sign(det);
    double acxt = difference_tail(a.x, c.x, acx), bcxt = difference_tail(b.x, c.x, bcx);
    double acyt = difference_tail(a.y, c.y, acy), bcyt = difference_tail(b.y, c.y, bcy);
    if (acxt == 0 && acyt == 0 && bcxt == 0 && bcyt == 0)
        return sign_of(exact_rounded);
    bound = orient_bound_c * magnitude + result_bound * std::fabs(det);
    det += (acx * bcyt + bcy * acxt) - (acy * bcxt + bcx * acyt);
    if (det >= bound || -det >= bound)
        return sign(det);
    return cross_of_differences(a.x, c.x, b.y, c.y, a.y, c.y, b.x, c.x);
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

int in_circle_exactly(Vec2 a, Vec2 b, Vec2 c, Vec2 d) {
    constexpr int T = 32 * 16;
    Expansion<2> e[6] = {difference(a.x, d.x), difference(a.y, d.y), difference(b.x, d.x),
                         difference(b.y, d.y), difference(c.x, d.x), difference(c.y, d.y)};
    Expansion<T> ta, tb, tc;
    in_circle_term(e[0], e[1], e[2], e[3], e[4], e[5], ta);
    in_circle_term(e[2], e[3], e[4], e[5], e[0], e[1], tb);
    in_circle_term(e[4], e[5], e[0], e[1], e[2], e[3], tc);
    Expansion<2 * T> ab;
    sum(ta, tb, ab);
    Expansion<3 * T> det;
    sum(ab, tc, det);
    return sign_of(det);
}

// (x * x + y * y) * m exactly, m of four terms: up to 32 terms.
Expansion<32> lifted(double x, double y, const Expansion<4> &m) {
    Expansion<8> mx, my;
    Expansion<16> mxx, myy;
    scale(m, x, mx);
    scale(mx, x, mxx);
    scale(m, y, my);
    scale(my, y, myy);
    Expansion<32> out;
    sum(mxx, myy, out);
    return out;
}

// Whether p, q lie on one line parallel to an axis and r, s on another, the
// two pairs with the same midpoint along it: the corners of a rectangle or
// of an isosceles trapezoid, on one circle.  `along` picks the coordinate
// along the lines, `across` the other.  The midpoints are compared exactly
// (a sum's rounded value and its error are unique).
template <double Vec2::*along, double Vec2::*across>
bool symmetric_pairs(const Vec2 &p, const Vec2 &q, const Vec2 &r, const Vec2 &s) {
    if (p.*across != q.*across || r.*across != s.*across || p.*across == r.*across)
        return false;
    double m1, e1, m2, e2;
    two_sum(p.*along, q.*along, m1, e1);
    two_sum(r.*along, s.*along, m2, e2);
    return m1 == m2 && e1 == e2;
}

// Whether the four (distinct) points are the corners of a rectangle or an
// isosceles trapezoid whose parallel sides run along an axis: drawn panels
// and rows of windows are full of them, all four on one circle, and their
// coordinate differences are often inexact.
bool axis_trapezoid(Vec2 a, Vec2 b, Vec2 c, Vec2 d) {
    const Vec2 *pairings[3][4] = {{&a, &b, &c, &d}, {&a, &c, &b, &d}, {&a, &d, &b, &c}};
    for (const auto &k : pairings) {
        if (symmetric_pairs<&Vec2::x, &Vec2::y>(*k[0], *k[1], *k[2], *k[3]) ||
            symmetric_pairs<&Vec2::y, &Vec2::x>(*k[0], *k[1], *k[2], *k[3]))
            return true;
    }
    return false;
}

// p * q - r * s and x * x + y * y in double-double arithmetic: hi + lo.
void cross_pair(double p, double q, double r, double s, double &hi, double &lo) {
    double pq, pql, rs, rsl, err;
    two_product(p, q, pq, pql);
    two_product(r, s, rs, rsl);
    two_sum(pq, -rs, hi, err);
    lo = err + (pql - rsl);
}

void lift_pair(double x, double y, double &hi, double &lo) {
    double xx, xxl, yy, yyl, err;
    two_product(x, x, xx, xxl);
    two_product(y, y, yy, yyl);
    two_sum(xx, yy, hi, err);
    lo = err + (xxl + yyl);
}

// The in-circle determinant of the rounded differences in double-double
// arithmetic, hi + lo, within 256 u^2 times the first stage's permanent of
// its exact value (a bound with room to spare over the few dozen u^2 that
// its roundings and the dropped lo * lo products add up to).
void rounded_determinant(const double (&q)[6], double &hi, double &lo) {
    double term_hi[3], term_lo[3];
    for (int k = 0; k < 3; ++k) {
        const double *p = q + 2 * k, *r = q + 2 * ((k + 1) % 3), *s = q + 2 * ((k + 2) % 3);
        double lh, ll, mh, ml;
        lift_pair(p[0], p[1], lh, ll);
        cross_pair(r[0], s[1], s[0], r[1], mh, ml);
        double h, hl;
        two_product(lh, mh, h, hl);
        term_hi[k] = h;
        term_lo[k] = hl + (lh * ml + ll * mh);
    }
    double u, ul, v, vl;
    two_sum(term_hi[0], term_hi[1], u, ul);
    two_sum(u, term_hi[2], v, vl);
    hi = v;
    lo = (ul + vl) + ((term_lo[0] + term_lo[1]) + term_lo[2]);
}

// Stages B and C, then the whole exact value; `permanent` bounds the first
// stage's terms.  Where the differences are exact, stage B's value is the
// exact one: first as a double-double with its bound, then, if that does not
// decide, as an expansion.  Otherwise stage C corrects the double-double.
int in_circle_adapt(Vec2 a, Vec2 b, Vec2 c, Vec2 d, double permanent) {
    if (axis_trapezoid(a, b, c, d))
        return 0;
    double adx = a.x - d.x, bdx = b.x - d.x, cdx = c.x - d.x, ady = a.y - d.y, bdy = b.y - d.y, cdy = c.y - d.y;
    double hi, lo;
    rounded_determinant({adx, ady, bdx, bdy, cdx, cdy}, hi, lo);
    constexpr double pair_bound = 256.0 * unit * unit;
    double adxt = difference_tail(a.x, d.x, adx), bdxt = difference_tail(b.x, d.x, bdx),
           cdxt = difference_tail(c.x, d.x, cdx), adyt = difference_tail(a.y, d.y, ady),
           bdyt = difference_tail(b.y, d.y, bdy), cdyt = difference_tail(c.y, d.y, cdy);
    if (adxt == 0 && bdxt == 0 && cdxt == 0 && adyt == 0 && bdyt == 0 && cdyt == 0) {
        double det = hi + lo, bound = pair_bound * permanent + result_bound * std::fabs(det);
        if (det >= bound || -det >= bound)
            return sign(det);
        Expansion<4> bc = cross_terms(bdx, cdy, cdx, bdy), ca = cross_terms(cdx, ady, adx, cdy),
                     ab = cross_terms(adx, bdy, bdx, ady);
        Expansion<64> two;
        sum(lifted(adx, ady, bc), lifted(bdx, bdy, ca), two);
        Expansion<96> exact_rounded;
        sum(two, lifted(cdx, cdy, ab), exact_rounded);
        return sign_of(exact_rounded);
    }
    double correction =
        ((adx * adx + ady * ady) * ((bdx * cdyt + cdy * bdxt) - (bdy * cdxt + cdx * bdyt)) +
         2.0 * (adx * adxt + ady * adyt) * (bdx * cdy - bdy * cdx)) +
        ((bdx * bdx + bdy * bdy) * ((cdx * adyt + ady * cdxt) - (cdy * adxt + adx * cdyt)) +
         2.0 * (bdx * bdxt + bdy * bdyt) * (cdx * ady - cdy * adx)) +
        ((cdx * cdx + cdy * cdy) * ((adx * bdyt + bdy * adxt) - (ady * bdxt + bdx * adyt)) +
         2.0 * (cdx * cdxt + cdy * cdyt) * (adx * bdy - ady * bdx));
    double det = hi + (lo + correction);
    double bound = (circle_bound_c + pair_bound) * permanent + result_bound * std::fabs(det);
    if (det >= bound || -det >= bound)
        return sign(det);
    return in_circle_exactly(a, b, c, d);
}

}  // namespace

int orient(Vec2 a, Vec2 b, Vec2 c) {
    double left = (a.x - c.x) * (b.y - c.y), right = (a.y - c.y) * (b.x - c.x);
    double det = left - right;
    // Products of opposite signs, or a zero one (a zero difference: equal
    // coordinates), leave no doubt about the sign.
    if ((left >= 0) != (right > 0) || left == 0)
        return sign(det);
    double magnitude = std::fabs(left) + std::fabs(right), bound = orient_bound * magnitude;
    if (det > bound)
        return 1;
    if (-det > bound)
        return -1;
    return orient_adapt(a, b, c, magnitude);
}

int farther(Vec2 a, Vec2 b, Vec2 p, Vec2 q) {
    double left = (b.x - a.x) * (p.y - q.y), right = (b.y - a.y) * (p.x - q.x);
    double det = left - right;
    if ((left >= 0) != (right > 0) || left == 0)
        return sign(det);
    double bound = orient_bound * (std::fabs(left) + std::fabs(right));
    if (det > bound)
        return 1;
    if (-det > bound)
        return -1;
    return cross_of_differences(b.x, a.x, p.y, q.y, b.y, a.y, p.x, q.x);
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
    return in_circle_adapt(a, b, c, d, permanent);
}

}  // namespace geom::exact
