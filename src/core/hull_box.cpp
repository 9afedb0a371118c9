#include "core/hull_box.hpp"

#include <algorithm>
#include <cmath>
#include <limits>
#include <numeric>

namespace geom {

namespace {

// Extremes of a stream of values in the interpreter's way (see the header).
struct Extremes {
    double lo = 0.0, hi = 0.0;
    bool any = false;
    void add(double v) {
        if (!any) {
            lo = hi = v;
            any = true;
            return;
        }
        if (v > hi)
            hi = v;
        if (v < lo)
            lo = v;
    }
};

Corners box_corners(Vec2 origin, Vec2 vec, Vec2 perp, double width, double height) {
    return {origin,
            Vec2{origin.x + vec.x * width, origin.y + vec.y * width},
            Vec2{(origin.x - perp.x * height) + vec.x * width, (origin.y - perp.y * height) + vec.y * width},
            Vec2{origin.x - perp.x * height, origin.y - perp.y * height}};
}

}  // namespace

std::vector<std::size_t> convex_hull(std::span<const Vec2> pts, double flat_eps, ArcCos arccos, Fault &fault) {
    std::vector<std::size_t> order;
    for (std::size_t i = 0; i < pts.size(); ++i)
        if (!std::isnan(pts[i].x) && !std::isnan(pts[i].y))
            order.push_back(i);
    std::stable_sort(order.begin(), order.end(), [&](std::size_t a, std::size_t b) {
        return pts[a].x < pts[b].x || (pts[a].x == pts[b].x && pts[a].y < pts[b].y);
    });
    std::vector<std::size_t> unique;
    for (std::size_t i : order)
        if (unique.empty() || !(pts[i].x == pts[unique.back()].x && pts[i].y == pts[unique.back()].y))
            unique.push_back(i);
    if (unique.size() < 2)
        return unique;

    std::vector<std::size_t> hull;
    auto chain = [&](auto first, auto last) {
        std::size_t base = hull.size();
        for (auto it = first; it != last; ++it) {
            while (hull.size() >= base + 2 &&
                   relative_position(pts[hull[hull.size() - 2]], pts[hull.back()], pts[*it]) != 0)
                hull.pop_back();
            hull.push_back(*it);
        }
        hull.pop_back();  // the chain's last point starts the other chain
    };
    chain(unique.begin(), unique.end());
    chain(unique.rbegin(), unique.rend());

    std::size_t start = 0;
    std::optional<double> best;
    for (std::size_t k = 0; k < hull.size(); ++k) {
        Vec2 p = pts[hull[k]];
        std::optional<double> a = turn_angle({1.0, 0.0}, {p.x - 0.0, p.y - 0.0}, flat_eps, arccos, fault);
        if (!a) {
            start = k;
            break;
        }
        if (!best || *a < *best) {
            start = k;
            best = a;
        }
    }
    std::rotate(hull.begin(), hull.begin() + (std::ptrdiff_t) start, hull.end());
    return hull;
}

std::size_t leftmost(std::span<const Vec2> pts) {
    std::size_t best = 0;
    for (std::size_t i = 1; i < pts.size(); ++i)
        if (pts[i].x < pts[best].x)
            best = i;
    return best;
}

std::optional<Corners> minimum_area_box(std::span<const Vec2> pts, Vec2 base, double flat_eps, Fault &fault) {
    double min_area = std::numeric_limits<double>::infinity();
    std::optional<Corners> best;
    // The across values all start from the same base: its differences are
    // the same for every segment.
    std::vector<Vec2> from_base(pts.size());
    for (std::size_t i = 0; i < pts.size(); ++i)
        from_base[i] = pts[i] - base;
    for (std::size_t k = 0; k + 1 < pts.size(); ++k) {
        Vec2 st = pts[k];
        Vec2 vec = checked_unit(pts[k + 1] - st, flat_eps, fault);
        Vec2 perp{-vec.y, vec.x};
        Extremes across, along;
        for (std::size_t i = 0; i < pts.size(); ++i)
            across.add(dot(from_base[i], perp));
        for (std::size_t i = 0; i < pts.size(); ++i)
            along.add(dot(pts[i] - st, vec));
        double height = across.hi - across.lo;
        double width = along.hi - along.lo;
        double area = width * height;
        if (area < min_area) {
            min_area = area;
            Vec2 origin{st.x + vec.x * along.lo, st.y + vec.y * along.lo};
            best = box_corners(origin, vec, perp, width, height);
        }
    }
    return best;
}

Corners direction_box(std::span<const Vec2> pts, Vec2 base, Vec2 vec) {
    Vec2 perp{-vec.y, vec.x};
    Extremes across, along;
    for (Vec2 p : pts)
        across.add(dot(p - base, perp));
    for (Vec2 p : pts)
        along.add(dot(p - base, vec));
    double height = across.hi - across.lo;
    double width = along.hi - along.lo;
    Vec2 near{base.x + vec.x * along.lo, base.y + vec.y * along.lo};
    Vec2 origin{near.x + perp.x * across.hi, near.y + perp.y * across.hi};
    return box_corners(origin, vec, perp, width, height);
}

std::size_t longest_segment(std::span<const Vec2> pts, Fault &fault) {
    std::size_t best = 0;
    double best_length = 0.0;
    for (std::size_t k = 0; k + 1 < pts.size(); ++k) {
        double l = checked_magnitude(pts[k + 1] - pts[k], fault);
        if (k == 0 || l > best_length) {
            best = k;
            best_length = l;
        }
    }
    return best;
}

}  // namespace geom
