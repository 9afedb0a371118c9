// Laying the constraint edges of a ConstrainedDelaunay: the walk along a
// segment through the triangles it crosses, and the triangulation afresh of
// the polygons on either side of it.
#include "core/mesh/constrained_delaunay.hpp"

#include "core/planar/exact_predicates.hpp"

namespace geom {
namespace {

using exact::farther;
using exact::in_circle;
using exact::orient;

// Where the lines through a-b and c-d meet (for a report only).
Vec2 meet(Vec2 a, Vec2 b, Vec2 c, Vec2 d) {
    Vec2 r = b - a, s = d - c;
    double den = cross(r, s);
    if (den == 0)
        return c;
    return a + r * (cross(c - a, s) / den);
}

}  // namespace

bool ConstrainedDelaunay::constrain(std::uint32_t a0, std::uint32_t b0, std::int32_t ring, std::int32_t weight,
                                    double snap, Crossing &crossing) {
    todo_.assign(1, {a0, b0});
    std::size_t budget = 4 * (std::size_t) n_ + 64;
    crossing = {-1, at_[a0]};
    while (!todo_.empty()) {
        auto [a, b] = todo_.back();
        todo_.pop_back();
        if (a == b)
            continue;
        if (budget-- == 0 || edge_of_[a] == none || edge_of_[b] == none)
            return false;
        stop_.tick();
        // The fan around a: the edge itself, a vertex to pass through, or the
        // triangle the segment leaves a by.
        std::uint32_t via = none, start = none, first = edge_of_[a], e = first;
        do {
            std::uint32_t u = origin_[next(e)], w = origin_[prev(e)];
            if (u == b) {
                start = e;
                break;
            }
            if (near_segment(a, b, u, snap)) {
                via = u;
                break;
            }
            if (start == none && orient(at_[a], at_[b], at_[u]) < 0 && orient(at_[a], at_[b], at_[w]) > 0)
                start = next(e);
            e = twin_[prev(e)];
        } while (e != none && e != first);
        std::uint32_t g = none;
        if (via == none && start != none && origin_[next(start)] == b) {
            g = start;
        } else {
            if (via == none && start == none)
                return false;
            crossed_.clear();
            // The walk: `cut` is the side u->w (u right of the segment, w
            // left) it crosses next.
            for (std::uint32_t cut = start; via == none;) {
                if (ring_[cut] >= 0) {
                    crossing = {ring_[cut], meet(at_[a], at_[b], at_[origin_[cut]], at_[origin_[next(cut)]])};
                    return false;
                }
                crossed_.push_back(cut);
                std::uint32_t back = twin_[cut];
                if (back == none || crossed_.size() > triangle_count())
                    return false;
                stop_.tick();
                std::uint32_t p = origin_[prev(back)];
                if (p == b)
                    break;
                if (near_segment(a, b, p, snap)) {
                    via = p;
                    break;
                }
                cut = orient(at_[a], at_[b], at_[p]) > 0 ? next(back) : prev(back);
            }
            if (via != none) {
                todo_.push_back({via, b});
                todo_.push_back({a, via});
                continue;
            }
            g = lay(a, b);
            if (g == none)
                return false;
        }
        if (ring_[g] < 0)
            ring_[g] = ring_[twin_[g]] = ring;
        weight_[g] += weight, weight_[twin_[g]] -= weight;
    }
    return true;
}

// The crossed half-edges run u->w, u right of a->b and w left, each in the
// triangle on a's side.  Each crossed triangle has one side on a chain: the
// first one (a, u1, w1) two, with w1->a on the left chain and a->u1 on the
// right; then (w, u, p) its side p->w on the left chain when the walk goes
// on through u->p, u->p on the right one otherwise; the last (w, u, b) both
// u->b and b->w.  These sides, their triangles on the inside, run along the
// polygon on the left from b back to a and along the one on the right from
// a to b, counter-clockwise.
std::uint32_t ConstrainedDelaunay::lay(std::uint32_t a, std::uint32_t b) {
    left_.clear(), right_.clear(), free_.clear();
    std::uint32_t e = crossed_[0];
    left_.push_back(next(e)), right_.push_back(prev(e));
    free_.push_back(e / 3);
    for (std::size_t i = 0; i < crossed_.size(); ++i) {
        std::uint32_t back = twin_[crossed_[i]];
        free_.push_back(back / 3);
        if (i + 1 == crossed_.size()) {
            right_.push_back(next(back)), left_.push_back(prev(back));
        } else if (crossed_[i + 1] == next(back)) {
            left_.push_back(prev(back));
        } else {
            right_.push_back(next(back));
        }
    }
    // Both polygons are read before either is filled (filling reuses the
    // crossed triangles): their vertices counter-clockwise from the segment's
    // far end, and what lies outside each of their sides.
    const std::uint32_t ends[2] = {a, b};
    for (int k = 0; k < 2; ++k) {
        const std::vector<std::uint32_t> &chain = k == 0 ? left_ : right_;
        std::uint32_t m = (std::uint32_t) chain.size() + 1;
        polygon_[k].resize(m), outside_[k].resize(m - 1);
        for (std::uint32_t i = 0; i + 1 < m; ++i) {
            std::uint32_t h = k == 0 ? chain[m - 2 - i] : chain[i];
            polygon_[k][i] = origin_[h];
            outside_[k][i] = side(h);
        }
        polygon_[k][m - 1] = ends[k];
        // A vertex met twice would make it no polygon; the crossings of a
        // segment leave none.
        for (std::uint32_t i = 0; i < m; ++i) {
            std::uint32_t v = polygon_[k][i];
            if (position_[v] < i && polygon_[k][position_[v]] == v)
                return none;
            position_[v] = i;
        }
    }
    std::uint32_t on_left = fill(0), on_right = fill(1);
    link(on_left, on_right);
    return on_left;
}

// The constrained Delaunay triangulation of one side's polygon, whose last
// side is the segment.  Returns the segment's half-edge, its twin unset.
std::uint32_t ConstrainedDelaunay::fill(int k) {
    const std::vector<std::uint32_t> &polygon = polygon_[k];
    const std::uint32_t m = (std::uint32_t) polygon.size();
    current_ = k;
    for (std::uint32_t i = 0; i < m; ++i)
        position_[polygon[i]] = i;
    inner_.resize(m);
    // Vertices taken out in a random order (never one nearer the segment's
    // line than both its neighbours: the polygon left would fold over it),
    // each remembering its neighbours then.
    before_.resize(m), after_.resize(m), order_.resize(m);
    for (std::uint32_t i = 0; i < m; ++i)
        before_[i] = i - 1, after_[i] = i + 1, order_[i] = i;
    for (std::uint32_t i = m - 2; i >= 2; --i) {
        std::uint32_t j;
        do {
            random_ ^= random_ << 13, random_ ^= random_ >> 7, random_ ^= random_ << 17;
            j = 1 + (std::uint32_t) (random_ % i);
        } while (closer_than_both(order_[j]));
        std::swap(order_[j], order_[i]);
        std::uint32_t p = order_[i];
        after_[before_[p]] = after_[p], before_[after_[p]] = before_[p];
    }
    std::uint32_t t = take_triangle();
    set_triangle(t, polygon[0], polygon[order_[1]], polygon[m - 1]);
    for (std::uint32_t e = 3 * t; e < 3 * t + 3; ++e)
        twin_[e] = none, ring_[e] = -1, weight_[e] = 0;
    inner_[0] = 3 * t, inner_[order_[1]] = 3 * t + 1, inner_[m - 1] = 3 * t + 2;
    for (std::uint32_t i = 2; i + 1 < m; ++i) {
        stop_.tick();
        put_back(order_[i]);
    }
    for (std::uint32_t i = 0; i + 1 < m; ++i)
        put(inner_[i], outside_[k][i]);
    return inner_[m - 1];
}

// Whether polygon vertex p lies nearer the line from the polygon's last
// vertex to its first than both its neighbours (which are those ends
// themselves only when nothing is nearer).
bool ConstrainedDelaunay::closer_than_both(std::uint32_t p) const {
    std::uint32_t l = before_[p], r = after_[p], last = (std::uint32_t) polygon_[current_].size() - 1;
    if (l == 0 || r == last)
        return false;
    Vec2 from = at_[polygon_[current_][last]], to = at_[polygon_[current_][0]], q = at_[polygon_[current_][p]];
    return farther(from, to, q, at_[polygon_[current_][l]]) < 0 && farther(from, to, q, at_[polygon_[current_][r]]) < 0;
}

// Puts polygon vertex u back between the neighbours it had when it was taken
// out, w before it and v after it, whose side w->v has its triangle
// inner_[w].  A triangle (w', v', x) across a side from u whose circle holds
// u, or from whose side u lies on the wrong side, gives way, and u sees its
// two other sides in turn; u joins every side it then sees, from v round to
// w, in a fan.
void ConstrainedDelaunay::put_back(std::uint32_t u) {
    std::uint32_t v = after_[u], w = before_[u];
    std::uint32_t gu = polygon_[current_][u];
    Vec2 pu = at_[gu];
    std::uint32_t first = none, last = none;
    dig_.clear();
    dig_.push_back({v, w, inner_[w]});
    while (!dig_.empty()) {
        Dig d = dig_.back();
        dig_.pop_back();
        std::uint32_t gv = polygon_[current_][d.v], gw = polygon_[current_][d.w];
        if (d.e != none) {
            std::uint32_t gx = origin_[prev(d.e)];
            if (in_circle(at_[gw], at_[gv], at_[gx], pu) > 0 || orient(pu, at_[gv], at_[gw]) <= 0) {
                stop_.tick();
                std::uint32_t x = position_[gx], vx = twin_[next(d.e)], xw = twin_[prev(d.e)];
                free_.push_back(d.e / 3);
                dig_.push_back({x, d.w, xw});
                dig_.push_back({d.v, x, vx});
                continue;
            }
        }
        std::uint32_t t = take_triangle();
        set_triangle(t, gu, gv, gw);  // u->v, v->w, w->u
        for (std::uint32_t k = 0; k < 3; ++k)
            twin_[3 * t + k] = none, ring_[3 * t + k] = -1, weight_[3 * t + k] = 0;
        if (d.e != none)
            link(3 * t + 1, d.e);
        else
            inner_[d.v] = 3 * t + 1;  // a side of the polygon so far
        if (last != none)
            link(last, 3 * t);
        else
            first = 3 * t;
        last = 3 * t + 2;
    }
    inner_[u] = first, inner_[w] = last;
}

std::uint32_t ConstrainedDelaunay::take_triangle() {
    if (free_.empty())
        return new_triangle();
    std::uint32_t t = free_.back();
    free_.pop_back();
    return t;
}


}  // namespace geom
