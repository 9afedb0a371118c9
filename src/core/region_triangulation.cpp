#include "core/region_triangulation.hpp"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <unordered_map>
#include <unordered_set>
#include <utility>

namespace geom {
namespace {

double orient(Vec2 a, Vec2 b, Vec2 c) { return cross(b - a, c - a); }

// Positive when d lies inside the circle through a, b and c, whichever
// their direction.
double in_circle(Vec2 a, Vec2 b, Vec2 c, Vec2 d) {
    double adx = a.x - d.x, ady = a.y - d.y, bdx = b.x - d.x, bdy = b.y - d.y, cdx = c.x - d.x, cdy = c.y - d.y;
    double ad = adx * adx + ady * ady, bd = bdx * bdx + bdy * bdy, cd = cdx * cdx + cdy * cdy;
    double det = adx * (bdy * cd - bd * cdy) - ady * (bdx * cd - bd * cdx) + ad * (bdx * cdy - bdy * cdx);
    return orient(a, b, c) < 0 ? -det : det;
}

bool opposite(double p, double q) { return (p > 0 && q < 0) || (p < 0 && q > 0); }

// Whether the open segments pq and ab cross at one point inside both.
bool crosses(Vec2 p, Vec2 q, Vec2 a, Vec2 b) {
    return opposite(orient(a, b, p), orient(a, b, q)) && opposite(orient(p, q, a), orient(p, q, b));
}

uint64_t edge_key(size_t a, size_t b) {
    if (a > b)
        std::swap(a, b);
    return ((uint64_t) a << 32) | (uint64_t) b;
}

// Even-odd rule.
bool inside_ring(const std::vector<Vec2> &at, const std::vector<size_t> &ring, Vec2 p) {
    bool in = false;
    for (size_t i = 0, j = ring.size() - 1; i < ring.size(); j = i++) {
        Vec2 a = at[ring[i]], b = at[ring[j]];
        if ((a.y > p.y) != (b.y > p.y) && p.x < a.x + (p.y - a.y) * (b.x - a.x) / (b.y - a.y))
            in = !in;
    }
    return in;
}

// The rings on distinct vertices: `row` gives each vertex's first point
// number, rings hold vertex numbers without repeats in a row, and only
// rings of three or more vertices are kept (the boundary stays first, empty
// when it encloses nothing).
struct Region {
    std::vector<Vec2> at;
    std::vector<size_t> row;
    std::vector<std::vector<size_t>> rings;

    bool contains(Vec2 p) const {
        if (rings.empty() || rings[0].empty() || !inside_ring(at, rings[0], p))
            return false;
        for (size_t k = 1; k < rings.size(); ++k)
            if (inside_ring(at, rings[k], p))
                return false;
        return true;
    }
};

Region prepare(std::span<const Vec2> points, const std::vector<Ring> &rings) {
    Region r;
    std::vector<size_t> used;
    for (const Ring &ring : rings)
        for (size_t i : ring)
            if (i < points.size() && std::isfinite(points[i].x) && std::isfinite(points[i].y))
                used.push_back(i);
    std::sort(used.begin(), used.end(), [&](size_t i, size_t j) {
        Vec2 p = points[i], q = points[j];
        return p.x != q.x ? p.x < q.x : (p.y != q.y ? p.y < q.y : i < j);
    });
    std::unordered_map<size_t, size_t> vertex;
    for (size_t k = 0; k < used.size(); ++k) {
        size_t i = used[k];
        if (vertex.count(i))
            continue;
        if (k > 0 && points[used[k - 1]].x == points[i].x && points[used[k - 1]].y == points[i].y) {
            vertex[i] = vertex[used[k - 1]];
            continue;
        }
        vertex[i] = r.at.size();
        r.at.push_back(points[i]);
        r.row.push_back(i);
    }
    for (size_t k = 0; k < rings.size(); ++k) {
        std::vector<size_t> ring;
        for (size_t i : rings[k]) {
            auto v = vertex.find(i);
            if (v != vertex.end() && (ring.empty() || ring.back() != v->second))
                ring.push_back(v->second);
        }
        while (ring.size() > 1 && ring.back() == ring.front())
            ring.pop_back();
        if (ring.size() >= 3)
            r.rings.push_back(std::move(ring));
        else if (k == 0)
            r.rings.emplace_back();
    }
    return r;
}

// A Delaunay triangulation grown point by point inside a large triangle,
// then made to hold given edges.
class Triangulation {
public:
    Triangulation(std::vector<Vec2> at, const Interrupt &stop) : at_(std::move(at)), n_(at_.size()), stop_(stop) {
        double lo_x = at_[0].x, hi_x = lo_x, lo_y = at_[0].y, hi_y = lo_y;
        for (Vec2 p : at_)
            lo_x = std::min(lo_x, p.x), hi_x = std::max(hi_x, p.x), lo_y = std::min(lo_y, p.y), hi_y = std::max(hi_y, p.y);
        double d = std::max({hi_x - lo_x, hi_y - lo_y, 1.0}), cx = (lo_x + hi_x) / 2, cy = (lo_y + hi_y) / 2;
        at_.push_back({cx - 40 * d, cy - 20 * d});
        at_.push_back({cx + 40 * d, cy - 20 * d});
        at_.push_back({cx, cy + 40 * d});
        tri_.push_back({n_, n_ + 1, n_ + 2});
        for (size_t v = 0; v < n_; ++v)
            insert(v);
    }

    // Each edge a side of a triangle, split at the vertices on it; an edge
    // that would cross one already held is left out.
    void hold(size_t a, size_t b) {
        Vec2 pa = at_[a], pb = at_[b], d = pb - pa;
        std::vector<std::pair<double, size_t>> on;
        for (size_t v = 0; v < n_; ++v) {
            Vec2 p = at_[v];
            if (v != a && v != b && orient(pa, pb, p) == 0 && dot(p - pa, d) > 0 && dot(p - pb, d) < 0)
                on.push_back({dot(p - pa, d), v});
        }
        std::sort(on.begin(), on.end());
        size_t from = a;
        for (auto [t, v] : on)
            hold_segment(from, v), from = v;
        hold_segment(from, b);
    }

    // Counter-clockwise triangles on the given vertices only.
    std::vector<Triangle> triangles() const {
        std::vector<Triangle> out;
        for (const Triangle &t : tri_)
            if (t[0] < n_ && t[1] < n_ && t[2] < n_ && orient(at_[t[0]], at_[t[1]], at_[t[2]]) > 0)
                out.push_back(t);
        return out;
    }

private:
    std::vector<Vec2> at_;
    size_t n_;
    const Interrupt &stop_;
    std::vector<Triangle> tri_;
    std::unordered_set<uint64_t> held_;

    Triangle ccw(size_t a, size_t b, size_t c) const {
        return orient(at_[a], at_[b], at_[c]) < 0 ? Triangle{a, c, b} : Triangle{a, b, c};
    }

    void remove(const std::vector<char> &gone) {
        size_t k = 0;
        for (size_t t = 0; t < tri_.size(); ++t)
            if (!gone[t])
                tri_[k++] = tri_[t];
        tri_.resize(k);
    }

    // The triangle other than `t` with the side a-b, or SIZE_MAX.
    size_t across(size_t t, size_t a, size_t b) const {
        for (size_t u = 0; u < tri_.size(); ++u) {
            if (u == t)
                continue;
            const Triangle &x = tri_[u];
            bool has_a = x[0] == a || x[1] == a || x[2] == a, has_b = x[0] == b || x[1] == b || x[2] == b;
            if (has_a && has_b)
                return u;
        }
        return SIZE_MAX;
    }

    // Bowyer-Watson: the triangles whose circle holds the point, connected
    // to the one holding it, are replaced by a fan around it; the cavity is
    // widened while the point does not see one of its sides strictly.
    void insert(size_t v) {
        stop_.tick(tri_.size());
        Vec2 p = at_[v];
        size_t seed = SIZE_MAX;
        std::vector<char> candidate(tri_.size(), 0);
        for (size_t t = 0; t < tri_.size(); ++t) {
            const Triangle &x = tri_[t];
            Vec2 a = at_[x[0]], b = at_[x[1]], c = at_[x[2]];
            candidate[t] = in_circle(a, b, c, p) > 0;
            if (seed == SIZE_MAX && orient(a, b, p) >= 0 && orient(b, c, p) >= 0 && orient(c, a, p) >= 0)
                seed = t, candidate[t] = 1;
        }
        if (seed == SIZE_MAX)
            return;
        std::unordered_map<uint64_t, std::vector<size_t>> sides;
        for (size_t t = 0; t < tri_.size(); ++t)
            if (candidate[t])
                for (int e = 0; e < 3; ++e)
                    sides[edge_key(tri_[t][e], tri_[t][(e + 1) % 3])].push_back(t);
        std::vector<char> bad(tri_.size(), 0);
        std::vector<size_t> todo{seed};
        bad[seed] = 1;
        while (!todo.empty()) {
            size_t t = todo.back();
            todo.pop_back();
            for (int e = 0; e < 3; ++e)
                for (size_t u : sides[edge_key(tri_[t][e], tri_[t][(e + 1) % 3])])
                    if (!bad[u])
                        bad[u] = 1, todo.push_back(u);
        }
        std::vector<std::pair<size_t, size_t>> rim;
        for (bool widened = true; widened;) {
            widened = false;
            std::unordered_map<uint64_t, int> count;
            for (size_t t = 0; t < tri_.size(); ++t)
                if (bad[t])
                    for (int e = 0; e < 3; ++e)
                        ++count[edge_key(tri_[t][e], tri_[t][(e + 1) % 3])];
            rim.clear();
            for (size_t t = 0; t < tri_.size() && !widened; ++t) {
                if (!bad[t])
                    continue;
                for (int e = 0; e < 3 && !widened; ++e) {
                    size_t a = tri_[t][e], b = tri_[t][(e + 1) % 3];
                    if (count[edge_key(a, b)] > 1)
                        continue;
                    if (orient(at_[a], at_[b], p) > 0) {
                        rim.push_back({a, b});
                        continue;
                    }
                    size_t u = across(t, a, b);
                    if (u == SIZE_MAX)
                        return;  // not seen from inside the large triangle: left out
                    bad[u] = 1, widened = true;
                }
            }
        }
        remove(bad);
        for (auto [a, b] : rim)
            tri_.push_back({a, b, v});
    }

    bool has_side(size_t a, size_t b) const {
        for (const Triangle &x : tri_)
            for (int e = 0; e < 3; ++e)
                if ((x[e] == a && x[(e + 1) % 3] == b) || (x[e] == b && x[(e + 1) % 3] == a))
                    return true;
        return false;
    }

    // The triangles crossed by a-b are replaced by triangulations of the
    // two chains of their corners on either side (the corner whose circle
    // holds no other chain vertex first, as the Delaunay rule picks it).
    void hold_segment(size_t a, size_t b) {
        stop_.tick(tri_.size());
        if (a == b)
            return;
        if (has_side(a, b)) {
            held_.insert(edge_key(a, b));
            return;
        }
        Vec2 pa = at_[a], pb = at_[b];
        struct Crossing {
            double s;
            size_t left, right;
        };
        std::vector<Crossing> crossing;
        std::unordered_set<uint64_t> seen;
        std::vector<char> gone(tri_.size(), 0);
        for (size_t t = 0; t < tri_.size(); ++t) {
            for (int e = 0; e < 3; ++e) {
                size_t p = tri_[t][e], q = tri_[t][(e + 1) % 3];
                if (p == a || p == b || q == a || q == b || !crosses(at_[p], at_[q], pa, pb))
                    continue;
                gone[t] = 1;
                if (held_.count(edge_key(p, q)))
                    return;
                if (!seen.insert(edge_key(p, q)).second)
                    continue;
                double oa = orient(at_[p], at_[q], pa), ob = orient(at_[p], at_[q], pb);
                bool p_left = orient(pa, pb, at_[p]) > 0;
                crossing.push_back({oa / (oa - ob), p_left ? p : q, p_left ? q : p});
            }
        }
        if (crossing.empty())
            return;
        std::sort(crossing.begin(), crossing.end(), [](const Crossing &x, const Crossing &y) { return x.s < y.s; });
        std::vector<size_t> left{a}, right{a};
        for (const Crossing &c : crossing) {
            if (left.back() != c.left)
                left.push_back(c.left);
            if (right.back() != c.right)
                right.push_back(c.right);
        }
        left.push_back(b), right.push_back(b);
        remove(gone);
        fill(left), fill(right);
        held_.insert(edge_key(a, b));
    }

    void fill(const std::vector<size_t> &chain) {
        std::vector<std::pair<size_t, size_t>> todo{{0, chain.size() - 1}};
        while (!todo.empty()) {
            auto [i, j] = todo.back();
            todo.pop_back();
            if (j - i < 2)
                continue;
            size_t m = i + 1;
            for (size_t k = i + 2; k < j; ++k)
                if (in_circle(at_[chain[i]], at_[chain[j]], at_[chain[m]], at_[chain[k]]) > 0)
                    m = k;
            tri_.push_back(ccw(chain[i], chain[j], chain[m]));
            todo.push_back({i, m}), todo.push_back({m, j});
        }
    }
};

Vec2 centroid(Vec2 a, Vec2 b, Vec2 c) { return {(a.x + b.x + c.x) / 3, (a.y + b.y + c.y) / 3}; }

}  // namespace

std::vector<Triangle> triangulate_region(std::span<const Vec2> points, const std::vector<Ring> &rings,
                                         const Interrupt &stop) {
    Region region = prepare(points, rings);
    if (region.rings.empty() || region.rings[0].empty())
        return {};
    Triangulation mesh(region.at, stop);
    for (const std::vector<size_t> &ring : region.rings)
        for (size_t i = 0; i < ring.size(); ++i)
            mesh.hold(ring[i], ring[(i + 1) % ring.size()]);
    std::vector<Triangle> out;
    for (const Triangle &t : mesh.triangles())
        if (region.contains(centroid(region.at[t[0]], region.at[t[1]], region.at[t[2]])))
            out.push_back({region.row[t[0]], region.row[t[1]], region.row[t[2]]});
    return out;
}

bool triangles_in_region(std::span<const Vec2> points, const std::vector<Ring> &rings,
                         const std::vector<Triangle> &triangles, double &area, const Interrupt &stop) {
    area = triangles_area(points, triangles);
    Region region = prepare(points, rings);
    for (const Triangle &t : triangles) {
        stop.tick(region.at.size() + 1);
        if (t[0] >= points.size() || t[1] >= points.size() || t[2] >= points.size())
            return false;
        Vec2 a = points[t[0]], b = points[t[1]], c = points[t[2]];
        double o = orient(a, b, c);
        if (!(o != 0) || !region.contains(centroid(a, b, c)))
            return false;
        for (const std::vector<size_t> &ring : region.rings) {
            for (size_t i = 0; i < ring.size(); ++i) {
                Vec2 p = region.at[ring[i]], q = region.at[ring[(i + 1) % ring.size()]];
                double s0 = orient(a, b, p), s1 = orient(b, c, p), s2 = orient(c, a, p);
                bool strictly_in = o > 0 ? (s0 > 0 && s1 > 0 && s2 > 0) : (s0 < 0 && s1 < 0 && s2 < 0);
                if (strictly_in || crosses(p, q, a, b) || crosses(p, q, b, c) || crosses(p, q, c, a))
                    return false;
            }
        }
    }
    return true;
}

bool rings_cross(std::span<const Vec2> points, const std::vector<Ring> &rings, const Interrupt &stop) {
    Region region = prepare(points, rings);
    std::vector<std::pair<size_t, size_t>> edges;
    for (const std::vector<size_t> &ring : region.rings)
        for (size_t i = 0; i < ring.size(); ++i)
            edges.push_back({ring[i], ring[(i + 1) % ring.size()]});
    for (size_t e = 0; e < edges.size(); ++e) {
        stop.tick(edges.size());
        for (size_t f = e + 1; f < edges.size(); ++f)
            if (crosses(region.at[edges[e].first], region.at[edges[e].second], region.at[edges[f].first],
                        region.at[edges[f].second]))
                return true;
    }
    return false;
}

double triangles_area(std::span<const Vec2> points, const std::vector<Triangle> &triangles) {
    double sum = 0;
    for (const Triangle &t : triangles)
        sum += std::fabs(orient(points[t[0]], points[t[1]], points[t[2]])) / 2;
    return sum;
}

}  // namespace geom
