#include "core/outline/hull_box.hpp"

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

namespace {

// Whether p lies to the left of the directed line a -> b by more than the
// rounding of the cross product could account for.
bool clearly_left(Vec2 a, Vec2 b, Vec2 p) {
    double ux = b.x - a.x, uy = b.y - a.y, vx = p.x - a.x, vy = p.y - a.y;
    return ux * vy - uy * vx > 1e-12 * (std::fabs(ux * vy) + std::fabs(uy * vx)) + 1e-300;
}

// The positions of the points, less those clearly inside the octagon of the
// extreme points (by x, x + y, y, y - x, the greatest then the least, the
// first of equal ones): such points cannot be hull vertices.  Nothing is
// left out when the octagon is not strictly convex.
std::vector<std::size_t> outside_extremes(std::span<const Vec2> pts, const std::vector<std::size_t> &in,
                                          const Interrupt &stop) {
    // One pass: for each of the four keys the first point of greatest and
    // of least value.
    std::size_t extremes[8];
    double best[8];
    {
        Vec2 p = pts[in[0]];
        double k[4] = {p.x, p.x + p.y, p.y, p.y - p.x};
        for (int j = 0; j < 4; ++j) {
            extremes[j] = extremes[4 + j] = in[0];
            best[j] = best[4 + j] = k[j];
        }
    }
    for (std::size_t i : in) {
        Vec2 p = pts[i];
        double k[4] = {p.x, p.x + p.y, p.y, p.y - p.x};
        for (int j = 0; j < 4; ++j) {
            if (k[j] > best[j]) {
                best[j] = k[j];
                extremes[j] = i;
            }
            if (-k[j] > -best[4 + j]) {
                best[4 + j] = k[j];
                extremes[4 + j] = i;
            }
        }
    }
    std::vector<std::size_t> ring;
    for (std::size_t e : extremes)
        if (ring.empty() || e != ring.back())
            ring.push_back(e);
    while (ring.size() > 1 && ring.back() == ring.front())
        ring.pop_back();
    std::size_t m = ring.size();
    if (m < 3)
        return in;
    for (std::size_t j = 0; j < m; ++j)
        if (!clearly_left(pts[ring[j]], pts[ring[(j + 1) % m]], pts[ring[(j + 2) % m]]))
            return in;
    std::vector<std::size_t> out;
    for (std::size_t i : in) {
        stop.tick();
        bool inside = true;
        for (std::size_t j = 0; j < m && inside; ++j)
            inside = clearly_left(pts[ring[j]], pts[ring[(j + 1) % m]], pts[i]);
        if (!inside)
            out.push_back(i);
    }
    return out;
}

}  // namespace

std::vector<std::size_t> convex_hull(std::span<const Vec2> pts, double flat_eps, ArcCos arccos, Fault &fault,
                                     const Interrupt &stop) {
    std::vector<std::size_t> usable;
    for (std::size_t i = 0; i < pts.size(); ++i) {
        stop.tick();
        if (!std::isnan(pts[i].x) && !std::isnan(pts[i].y))
            usable.push_back(i);
    }
    if (usable.empty())
        return usable;
    // Sorted by x, then y, then input position: the order a stable sort by
    // (x, y) gives.
    struct Key {
        double x, y;
        std::size_t i;
    };
    std::vector<Key> order;
    for (std::size_t i : outside_extremes(pts, usable, stop))
        order.push_back({pts[i].x, pts[i].y, i});
    std::sort(order.begin(), order.end(), [](const Key &a, const Key &b) {
        return a.x < b.x || (a.x == b.x && (a.y < b.y || (a.y == b.y && a.i < b.i)));
    });
    std::vector<std::size_t> unique;
    for (const Key &k : order)
        if (unique.empty() || !(k.x == pts[unique.back()].x && k.y == pts[unique.back()].y))
            unique.push_back(k.i);
    if (unique.size() < 2)
        return unique;

    std::vector<std::size_t> hull;
    auto chain = [&](auto first, auto last) {
        std::size_t base = hull.size();
        for (auto it = first; it != last; ++it) {
            stop.tick();
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

SortedBound sorted_bound(std::span<const Vec2> pts) {
    SortedBound r;
    if (pts.empty()) {
        r.nan = true;
        return r;
    }
    r.box = {pts[0].x, pts[0].y, pts[0].x, pts[0].y};
    for (Vec2 p : pts) {
        if (std::isnan(p.x) || std::isnan(p.y))
            r.nan = true;
        if (p.x < r.box.min_x)
            r.box.min_x = p.x;
        if (p.y < r.box.min_y)
            r.box.min_y = p.y;
        if (p.x >= r.box.max_x)
            r.box.max_x = p.x;
        if (p.y >= r.box.max_y)
            r.box.max_y = p.y;
    }
    return r;
}

std::size_t leftmost(std::span<const Vec2> pts) {
    std::size_t best = 0;
    for (std::size_t i = 1; i < pts.size(); ++i)
        if (pts[i].x < pts[best].x)
            best = i;
    return best;
}

std::optional<Corners> minimum_area_box(std::span<const Vec2> pts, Vec2 base, double flat_eps, Fault &fault,
                                        const Interrupt &stop) {
    double min_area = std::numeric_limits<double>::infinity();
    std::optional<Corners> best;
    // The across values all start from the same base: its differences are
    // the same for every segment.
    std::vector<Vec2> from_base(pts.size());
    for (std::size_t i = 0; i < pts.size(); ++i)
        from_base[i] = pts[i] - base;
    for (std::size_t k = 0; k + 1 < pts.size(); ++k) {
        stop.tick(pts.size());  // a pass over every point
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
