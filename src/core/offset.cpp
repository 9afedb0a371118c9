#include "core/offset.hpp"

#include <algorithm>
#include <cmath>
#include <limits>

namespace geom {

namespace {

constexpr double pi = 3.141592653589793;

struct Edge {
    Vec2 start, end;
};

// The edge from a to b moved by `distance` to its right.
Edge moved_edge(Vec2 a, Vec2 b, double distance, double flat_eps, Fault &fault) {
    Vec2 u = checked_unit(b - a, flat_eps, fault);
    Vec2 shift = right_normal(u) * distance;
    return {a + shift, b + shift};
}

std::optional<Vec2> crossing(const Edge &e, const Edge &f, double flat_eps) {
    return line_intersection(e.start, e.end, f.start, f.end, flat_eps);
}

}  // namespace

std::vector<std::size_t> without_straight_vertices(std::span<const Vec2> pts) {
    std::size_t n = pts.size();
    if (n < 2)
        return {0, 0};
    // Exact repeats (equal coordinates; NaN repeats nothing) first.
    auto same = [&](std::size_t i, std::size_t j) { return pts[i].x == pts[j].x && pts[i].y == pts[j].y; };
    std::vector<std::size_t> distinct{0};
    for (std::size_t i = 1; i + 1 < n; ++i)
        if (!same(i, distinct.back()))
            distinct.push_back(i);
    if (distinct.size() > 1 && same(n - 1, distinct.back()))
        distinct.back() = n - 1;
    else
        distinct.push_back(n - 1);
    std::vector<std::size_t> keep{0};
    for (std::size_t k = 1; k + 1 < distinct.size(); ++k) {
        Vec2 a = pts[distinct[k - 1]], b = pts[distinct[k]], c = pts[distinct[k + 1]];
        if (cross(b - a, c - b) != 0)
            keep.push_back(distinct[k]);
    }
    keep.push_back(n - 1);
    return keep;
}

std::vector<double> collapse_limits(std::span<const Vec2> pts, double flat_eps, ArcCos arccos, Fault &fault) {
    std::size_t m = pts.size() < 2 ? 0 : pts.size() - 1;
    std::vector<double> table(m, std::numeric_limits<double>::infinity());
    for (std::size_t i = 0; i + 2 < pts.size(); ++i) {
        Vec2 v1 = pts[i + 1] - pts[i], v2 = pts[i + 2] - pts[i + 1];
        std::optional<double> theta = turn_angle({-v1.x, -v1.y}, v2, flat_eps, arccos, fault);
        if (!theta || !(*theta < pi))
            continue;
        double l1 = checked_magnitude(v1, fault), l2 = checked_magnitude(v2, fault);
        if (l1 < l2) {
            double d1 = (0.5 * l1) * std::tan(0.5 * *theta);
            if (d1 < table[i])
                table[i] = d1;
        } else {
            double divisor = (2 * std::sin(pi - *theta)) / 2;
            if (divisor == 0.0) {
                note(fault, Fault::zero_division);
                continue;
            }
            double d2 = (l2 * std::sin(0.5 * *theta)) / divisor;
            table[i + 1] = d2 < table[i] ? d2 : table[i];
        }
    }
    return table;
}

OffsetResult offset_polyline(std::span<const Vec2> pts, bool closed, double distance, Tolerances tol,
                             ArcCos arccos) {
    OffsetResult r;
    std::vector<Vec2> work(pts.begin(), pts.end());
    if (distance < 0) {
        std::reverse(work.begin(), work.end());
        distance = std::fabs(distance);
    }
    std::vector<double> limits = collapse_limits(work, tol.flat, arccos, r.fault);
    std::vector<Edge> kept;
    for (std::size_t i = 0; i < limits.size(); ++i)
        if (limits[i] >= distance)
            kept.push_back(moved_edge(work[i], work[i + 1], distance, tol.flat, r.fault));
    if (kept.empty()) {
        r.no_edge = true;
        return r;
    }
    std::vector<Vec2> corners;
    for (std::size_t j = 0; j + 1 < kept.size(); ++j)
        if (std::optional<Vec2> p = crossing(kept[j], kept[j + 1], tol.flat))
            corners.push_back(*p);
    if (closed) {
        // Parallel first and last edges (a start in the middle of a side)
        // meet at their moved joint.
        Vec2 w = crossing(kept.front(), kept.back(), tol.flat).value_or(kept.front().start);
        r.points.push_back(w);
        r.points.insert(r.points.end(), corners.begin(), corners.end());
        r.points.push_back(w);
        r.same_ends = true;
    } else {
        r.points.push_back(kept.front().start);
        r.points.insert(r.points.end(), corners.begin(), corners.end());
        r.points.push_back(kept.back().end);
    }
    return r;
}

std::vector<Vec2> unequal_offset_corners(std::span<const Vec2> pts, std::span<const double> distances,
                                         Tolerances tol, Fault &fault) {
    std::size_t n = distances.size();
    std::vector<Edge> lines(n);
    for (std::size_t i = 0; i < n; ++i)
        lines[i] = moved_edge(pts[i], pts[i + 1], distances[i], tol.flat, fault);
    std::vector<Vec2> corners;
    corners.reserve(n + 1);
    for (std::size_t i = 0; i < n; ++i) {
        const Edge &a = lines[i], &b = lines[(i + 1) % n];
        if (std::optional<Vec2> p = crossing(a, b, tol.flat)) {
            corners.push_back(*p);
        } else if (tolerant_equal(a.end, b.start, tol.flat)) {
            corners.push_back(a.end);  // the lines meet at their moved shared vertex
        } else {
            corners.push_back(a.end);
            corners.push_back(b.start);
        }
    }
    return corners;
}

}  // namespace geom
