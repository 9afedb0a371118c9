#include "core/mesh/constrained_delaunay.hpp"

#include "core/planar/exact_predicates.hpp"

#include <algorithm>
#include <cmath>
#include <utility>

namespace geom {
namespace {

using exact::in_circle;
using exact::orient;

// The position of (x, y) on a Hilbert curve over a 2^16 x 2^16 grid.
std::uint64_t hilbert(std::uint32_t x, std::uint32_t y) {
    constexpr std::uint32_t n = 1u << 16;
    std::uint64_t d = 0;
    for (std::uint32_t s = n / 2; s > 0; s /= 2) {
        std::uint32_t rx = (x & s) ? 1 : 0, ry = (y & s) ? 1 : 0;
        d += (std::uint64_t) s * s * ((3 * rx) ^ ry);
        if (ry == 0) {
            if (rx == 1)
                x = n - 1 - x, y = n - 1 - y;
            std::swap(x, y);
        }
    }
    return d;
}

}  // namespace

ConstrainedDelaunay::ConstrainedDelaunay(std::span<const Vec2> vertices, const Interrupt &stop)
    : at_(vertices.begin(), vertices.end()), n_((std::uint32_t) vertices.size()), stop_(stop) {
    double lo_x = 0, hi_x = 0, lo_y = 0, hi_y = 0;
    for (std::uint32_t v = 0; v < n_; ++v) {
        Vec2 p = at_[v];
        if (v == 0 || p.x < lo_x) lo_x = p.x;
        if (v == 0 || p.x > hi_x) hi_x = p.x;
        if (v == 0 || p.y < lo_y) lo_y = p.y;
        if (v == 0 || p.y > hi_y) hi_y = p.y;
    }
    double cx = lo_x / 2 + hi_x / 2, cy = lo_y / 2 + hi_y / 2;
    double size = std::max({hi_x - lo_x, hi_y - lo_y, 1e-3 * std::max(std::fabs(cx), std::fabs(cy)), 1e-9});
    // Far enough that the outer vertices hardly shape the triangulation near
    // the given ones; what they do shape lies outside every constraint ring.
    at_.push_back({cx - 3e3 * size, cy - 1e3 * size});
    at_.push_back({cx + 3e3 * size, cy - 1e3 * size});
    at_.push_back({cx, cy + 3e3 * size});
    edge_of_.assign(n_ + 3, none);
    position_.assign(n_ + 3, none);
    std::size_t expected = 2 * (std::size_t) n_ + 1;
    origin_.reserve(3 * expected), twin_.reserve(3 * expected), ring_.reserve(3 * expected);
    weight_.reserve(3 * expected);
    set_triangle(new_triangle(), n_, n_ + 1, n_ + 2);

    std::vector<std::pair<std::uint64_t, std::uint32_t>> order(n_);
    // One scale on both axes: on a long thin set of points (a row of windows,
    // a drawn wave) the curve then walks along it in small square blocks,
    // where a scale per axis would sweep whole rows one after another, each
    // new vertex flipping the long fans the row before left.
    double wide = std::max(hi_x - lo_x, hi_y - lo_y), wx = wide, wy = wide;
    for (std::uint32_t v = 0; v < n_; ++v) {
        double fx = wx > 0 ? (at_[v].x - lo_x) / wx : 0, fy = wy > 0 ? (at_[v].y - lo_y) / wy : 0;
        auto cell = [](double f) -> std::uint32_t { return !(f > 0) ? 0 : f >= 1 ? 65535 : (std::uint32_t) (f * 65535.0); };
        order[v] = {hilbert(cell(fx), cell(fy)), v};
    }
    // Rounds of a random order, each twice the one before, each along the
    // curve: the random rounds keep the flips per vertex few whatever the
    // layout (rows of narrow windows made long thin fans in curve order
    // alone), the curve keeps the walks short.
    for (std::uint32_t i = n_; i > 1; --i) {
        random_ ^= random_ << 13, random_ ^= random_ >> 7, random_ ^= random_ << 17;
        std::swap(order[i - 1], order[random_ % i]);
    }
    for (std::size_t end = n_; end > 0; end /= 2) {
        std::size_t begin = end > 64 ? end / 2 : 0;
        std::sort(order.begin() + (std::ptrdiff_t) begin, order.begin() + (std::ptrdiff_t) end);
        if (begin == 0)
            break;
    }
    std::uint32_t hint = 0;
    for (auto [key, v] : order) {
        stop_.tick();
        insert(v, hint);
    }
}

std::uint32_t ConstrainedDelaunay::new_triangle() {
    std::uint32_t t = (std::uint32_t) (origin_.size() / 3);
    for (int k = 0; k < 3; ++k) {
        origin_.push_back(none), twin_.push_back(none), ring_.push_back(-1), weight_.push_back(0);
    }
    return t;
}

void ConstrainedDelaunay::set_triangle(std::uint32_t t, std::uint32_t a, std::uint32_t b, std::uint32_t c) {
    origin_[3 * t] = a, origin_[3 * t + 1] = b, origin_[3 * t + 2] = c;
    edge_of_[a] = 3 * t, edge_of_[b] = 3 * t + 1, edge_of_[c] = 3 * t + 2;
}

void ConstrainedDelaunay::put(std::uint32_t e, Side s) {
    twin_[e] = s.twin;
    if (s.twin != none)
        twin_[s.twin] = e;
    ring_[e] = s.ring, weight_[e] = s.weight;
}

void ConstrainedDelaunay::link(std::uint32_t e, std::uint32_t f) {
    twin_[e] = f, twin_[f] = e;
    ring_[e] = ring_[f] = -1;
    weight_[e] = weight_[f] = 0;
}

// The triangles (a, b, c) and (b, a, d) on e = a->b become (c, d, b) and
// (d, c, a); returns the new half-edge c->d.
std::uint32_t ConstrainedDelaunay::flip(std::uint32_t e) {
    std::uint32_t f = twin_[e], t0 = e / 3, t1 = f / 3;
    std::uint32_t a = origin_[e], b = origin_[next(e)], c = origin_[prev(e)], d = origin_[prev(f)];
    Side bc = side(next(e)), ca = side(prev(e)), ad = side(next(f)), db = side(prev(f));
    set_triangle(t0, c, d, b);
    set_triangle(t1, d, c, a);
    link(3 * t0, 3 * t1);
    put(3 * t0 + 1, db), put(3 * t0 + 2, bc), put(3 * t1 + 1, ca), put(3 * t1 + 2, ad);
    return 3 * t0;
}

// The triangle that holds p (inside or on its sides), by a walk from t that
// crosses any side p lies beyond, starting at a side that turns each step
// and never testing the side it came in by (p lies on its inner side).
std::uint32_t ConstrainedDelaunay::locate(Vec2 p, std::uint32_t t) {
    std::uint32_t came = none;
    for (std::size_t steps = 0;; ++steps) {
        if (steps > triangle_count() + 16)
            return none;  // a cycle: only with coordinates beyond the predicates' reach
        std::uint32_t r = turn_++ % 3;
        bool moved = false;
        for (std::uint32_t k = 0; k < 3 && !moved; ++k) {
            std::uint32_t e = 3 * t + (k + r) % 3;
            if (e != came && twin_[e] != none && orient(at_[origin_[e]], at_[origin_[next(e)]], p) < 0) {
                came = twin_[e];
                t = came / 3;
                moved = true;
            }
        }
        if (!moved)
            return t;
    }
}

void ConstrainedDelaunay::insert(std::uint32_t v, std::uint32_t &hint) {
    Vec2 p = at_[v];
    std::uint32_t t = locate(p, hint);
    if (t == none)
        return;  // left out; its constraints then report a failed walk
    std::uint32_t on = none;
    for (std::uint32_t k = 0; k < 3; ++k) {
        std::uint32_t e = 3 * t + k;
        if (orient(at_[origin_[e]], at_[origin_[next(e)]], p) == 0)
            on = e;
    }
    stack_.clear();
    if (on == none || twin_[on] == none) {
        std::uint32_t a = origin_[3 * t], b = origin_[3 * t + 1], c = origin_[3 * t + 2];
        Side ab = side(3 * t), bc = side(3 * t + 1), ca = side(3 * t + 2);
        std::uint32_t t1 = new_triangle(), t2 = new_triangle();
        set_triangle(t, a, b, v), put(3 * t, ab);
        set_triangle(t1, b, c, v), put(3 * t1, bc);
        set_triangle(t2, c, a, v), put(3 * t2, ca);
        link(3 * t + 1, 3 * t1 + 2), link(3 * t1 + 1, 3 * t2 + 2), link(3 * t2 + 1, 3 * t + 2);
        stack_.insert(stack_.end(), {3 * t, 3 * t1, 3 * t2});
    } else {  // on the side a->b of (a, b, c), whose twin's triangle is (b, a, d)
        std::uint32_t e = on, f = twin_[e], t0 = e / 3, t1 = f / 3;
        std::uint32_t a = origin_[e], b = origin_[next(e)], c = origin_[prev(e)], d = origin_[prev(f)];
        Side bc = side(next(e)), ca = side(prev(e)), ad = side(next(f)), db = side(prev(f));
        std::uint32_t t2 = new_triangle(), t3 = new_triangle();
        set_triangle(t0, v, c, a), put(3 * t0 + 1, ca);
        set_triangle(t1, v, a, d), put(3 * t1 + 1, ad);
        set_triangle(t2, v, d, b), put(3 * t2 + 1, db);
        set_triangle(t3, v, b, c), put(3 * t3 + 1, bc);
        link(3 * t0 + 2, 3 * t1), link(3 * t1 + 2, 3 * t2), link(3 * t2 + 2, 3 * t3), link(3 * t3 + 2, 3 * t0);
        stack_.insert(stack_.end(), {3 * t0 + 1, 3 * t1 + 1, 3 * t2 + 1, 3 * t3 + 1});
    }
    legalize();
    hint = edge_of_[v] / 3;
}

// Each half-edge on the stack lies opposite the new vertex in its triangle;
// one that fails the in-circle test is flipped and its two new far sides
// are tested in turn.
void ConstrainedDelaunay::legalize() {
    while (!stack_.empty()) {
        std::uint32_t e = stack_.back();
        stack_.pop_back();
        std::uint32_t f = twin_[e];
        if (f == none || ring_[e] >= 0)
            continue;
        std::uint32_t a = origin_[e], b = origin_[next(e)], p = origin_[prev(e)], d = origin_[prev(f)];
        if (in_circle(at_[a], at_[b], at_[p], at_[d]) <= 0)
            continue;
        std::uint32_t g = flip(e);  // p->d in (p, d, b); its twin d->p in (d, p, a)
        stack_.push_back(next(g));
        stack_.push_back(prev(twin_[g]));
    }
}

// Whether v lies on the open segment a-b or within `snap` of it, between
// the perpendiculars at its ends.
bool ConstrainedDelaunay::near_segment(std::uint32_t a, std::uint32_t b, std::uint32_t v, double snap) const {
    if (v >= n_ || v == a || v == b)
        return false;
    Vec2 pa = at_[a], d = at_[b] - pa, w = at_[v] - pa;
    double along = dot(w, d), length2 = dot(d, d);
    if (!(along > 0 && along < length2))
        return false;
    if (orient(pa, at_[b], at_[v]) == 0)
        return true;
    double off = cross(d, w);
    return off * off <= snap * snap * length2;
}

bool ConstrainedDelaunay::windings(std::vector<std::int32_t> &winding) const {
    constexpr std::int32_t unknown = INT32_MIN;
    winding.assign(triangle_count(), unknown);
    std::uint32_t t0 = edge_of_[n_] / 3;
    winding[t0] = 0;
    std::vector<std::uint32_t> stack = {t0};
    while (!stack.empty()) {
        std::uint32_t t = stack.back();
        stack.pop_back();
        for (std::uint32_t e = 3 * t; e < 3 * t + 3; ++e) {
            std::uint32_t f = twin_[e];
            if (f == none)
                continue;
            std::int32_t w = winding[t] + weight_[f];
            std::int32_t &there = winding[f / 3];
            if (there == unknown) {
                there = w;
                stack.push_back(f / 3);
            } else if (there != w) {
                return false;
            }
        }
    }
    return true;
}

}  // namespace geom
