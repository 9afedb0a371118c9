#include "core/outline/layout.hpp"

#include <cmath>

namespace geom {

// ------------------------------------------------------ floored division

double floored_mod(double v, double w) {
    double mod = std::fmod(v, w);
    if (mod != 0.0 || std::isnan(mod)) {
        if ((w < 0) != (mod < 0))
            mod += w;
    } else {
        mod = std::copysign(0.0, w);  // a zero remainder takes w's sign
    }
    return mod;
}

double floored_div(double v, double w) {
    double mod = std::fmod(v, w);
    double div = (v - mod) / w;  // close to, not always exactly, a whole number
    if (mod != 0.0 || std::isnan(mod)) {
        if ((w < 0) != (mod < 0))
            div -= 1.0;
    }
    if (div != 0.0 || std::isnan(div)) {
        double floor = std::floor(div);
        if (div - floor > 0.5)
            floor += 1.0;
        return floor;
    }
    return std::copysign(0.0, v / w);  // a zero quotient with the true quotient's sign
}

// --------------------------------------------------------------- lattice

LineEnds line_ends(std::span<const double> distances) {
    LineEnds e{0, 0};
    for (std::size_t k = 1; k < distances.size(); ++k) {
        double d = distances[k];
        if (d < distances[e.first] || std::isnan(distances[e.first]))
            e.first = std::isnan(d) ? e.first : k;
        if (d >= distances[e.last] || std::isnan(distances[e.last]))
            e.last = std::isnan(d) ? e.last : k;
    }
    return e;
}

RowStart row_start(Vec2 first, double d, Vec2 line_start, Vec2 vec_y, double unit, double flat) {
    if (tolerant_equal(first, line_start, flat))
        return {line_start, true};
    double s = unit - floored_mod(d, unit);
    return {{first.x + vec_y.x * s, first.y + vec_y.y * s}, false};
}

// ------------------------------------------------------------------ holes

RingBox ring_box(std::span<const Vec2> pts) {
    RingBox r{{0, 0, 0, 0}, true};
    if (pts.empty())
        return r;
    r.box = {pts[0].x, pts[0].x, pts[0].y, pts[0].y};
    for (const Vec2 &p : pts) {
        if (std::isnan(p.x) || std::isnan(p.y)) {
            r.finite = false;
            continue;
        }
        r.box.min_x = std::fmin(r.box.min_x, p.x);
        r.box.max_x = std::fmax(r.box.max_x, p.x);
        r.box.min_y = std::fmin(r.box.min_y, p.y);
        r.box.max_y = std::fmax(r.box.max_y, p.y);
    }
    return r;
}

bool ring_meets_segment(std::span<const Vec2> pts, const RingBox &ring, Vec2 a, Vec2 b, double flat, double seg) {
    // A crossing lies in both widened bounds, so two boxes that stay apart
    // once both are widened by seg hold none.  NaN anywhere: no skipping.
    Box s = segment_bound(a, b);
    const Box &r = ring.box;
    bool comparable = ring.finite && !std::isnan(a.x) && !std::isnan(a.y) && !std::isnan(b.x) &&
                      !std::isnan(b.y) && !std::isnan(seg);
    if (comparable && (s.max_x + seg < r.min_x - seg || r.max_x + seg < s.min_x - seg ||
                       s.max_y + seg < r.min_y - seg || r.max_y + seg < s.min_y - seg))
        return false;
    for (std::size_t k = 0; k + 1 < pts.size(); ++k)
        if (segment_intersection(pts[k], pts[k + 1], a, b, flat, seg))
            return true;
    return false;
}

// ------------------------------------------------------------ cut points

std::size_t first_max_index(std::span<const double> values) {
    if (values.empty())
        return 0;
    std::size_t best = 0;
    for (std::size_t k = 1; k < values.size(); ++k)
        if (values[k] > values[best])
            best = k;
    return best;
}

std::vector<Pair> combinations_of_two(std::size_t n, const Interrupt &stop) {
    std::vector<Pair> out;
    if (n >= 2)
        out.reserve(n * (n - 1) / 2);
    for (std::size_t i = 0; i < n; ++i)
        for (std::size_t j = i + 1; j < n; ++j) {
            stop.tick();
            out.push_back({i, j});
        }
    return out;
}

}  // namespace geom
