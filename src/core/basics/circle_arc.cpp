#include "core/basics/circle_arc.hpp"

#include <algorithm>
#include <cmath>
#include <optional>

namespace geom {

double py_mod(double v, double w) {
    double mod = std::fmod(v, w);
    if (mod != 0.0) {
        if ((w < 0) != (mod < 0))
            mod += w;
    } else {
        mod = std::copysign(0.0, w);
    }
    return mod;
}

double py_floor_div(double v, double w) {
    double mod = std::fmod(v, w);
    double div = (v - mod) / w;
    if (mod != 0.0) {
        if ((w < 0) != (mod < 0))
            div -= 1.0;
    }
    if (div != 0.0) {
        double floordiv = std::floor(div);
        if (div - floordiv > 0.5)
            floordiv += 1.0;
        return floordiv;
    }
    return std::copysign(0.0, v / w);
}

// ---------------------------------------------------------- circles


CircleFit circle_through(Vec2 a, Vec2 b, Vec2 c, double flat_eps) {
    // Bisector slope beyond which a y read off it amplifies the rounding of x
    // by more than 1e8.
    constexpr double steep = 1e8;
    std::optional<double> slope_a = slope(a, b, flat_eps), slope_b = slope(b, c, flat_eps);
    // Two vertical chords, or two chords of exactly the same slope.
    if (slope_a == slope_b)
        return {CircleFit::collinear, {}, 0.0};

    Vec2 mid_a{a.x + (b.x - a.x) * 0.5, a.y + (b.y - a.y) * 0.5};
    Vec2 mid_b{b.x + (c.x - b.x) * 0.5, b.y + (c.y - b.y) * 0.5};

    // Bisector slopes: a horizontal chord has a vertical bisector (empty), a
    // vertical chord a horizontal one.
    auto bisector = [](std::optional<double> s) -> std::optional<double> {
        if (!s)
            return 0.0;
        if (*s == 0)
            return std::nullopt;
        return -1 / *s;
    };
    std::optional<double> perp_a = bisector(slope_a), perp_b = bisector(slope_b);

    double x, y;
    if (!perp_a) {
        x = mid_a.x;
        y = *perp_b * (x - mid_b.x) + mid_b.y;
    } else if (!perp_b) {
        x = mid_b.x;
        y = *perp_a * (x - mid_a.x) + mid_a.y;
    } else {
        double denominator = *perp_a - *perp_b;
        if (denominator == 0)
            return {CircleFit::parallel_bisectors, {}, 0.0};
        x = (*perp_a * mid_a.x - *perp_b * mid_b.x + mid_b.y - mid_a.y) / denominator;
        // y is read off the first bisector, unless the first chord is so
        // nearly horizontal (a rounding-noise slope) that its bisector is
        // too steep to follow; the flatter second bisector then gives it.
        if (std::fabs(*perp_a) > steep && std::fabs(*perp_b) < std::fabs(*perp_a))
            y = *perp_b * (x - mid_b.x) + mid_b.y;
        else
            y = *perp_a * (x - mid_a.x) + mid_a.y;
    }
    Vec2 center{x, y};
    double radius = std::pow(py_square(a.x - center.x) + py_square(a.y - center.y), 0.5);
    return {CircleFit::ok, center, radius};
}

LineCrossings line_circle_crossings(Vec2 start, Vec2 end, Vec2 center, double r) {
    LineCrossings out;
    double x1 = start.x, y1 = start.y, cx = center.x, cy = center.y;
    double dx = end.x - x1, dy = end.y - y1;
    double a = py_square(dx) + py_square(dy);
    double b = 2 * (dx * (x1 - cx) + dy * (y1 - cy));
    // The expanded form, summed left to right.
    double c = py_square(cx) + py_square(cy) + py_square(x1) + py_square(y1) - 2 * (cx * x1 + cy * y1) - py_square(r);
    double disc = py_square(b) - 4 * a * c;
    if (disc < 0)
        return out;
    if (a == 0) {  // every later step divides by 2a
        out.degenerate = true;
        return out;
    }
    if (disc == 0) {
        double t = -b / (2 * a);
        out.count = 1;
        out.p[0] = {x1 + t * dx, y1 + t * dy};
        return out;
    }
    double root = std::sqrt(disc);
    double t1 = (-b + root) / (2 * a), t2 = (-b - root) / (2 * a);
    out.count = 2;
    out.p[0] = {x1 + t1 * dx, y1 + t1 * dy};
    out.p[1] = {x1 + t2 * dx, y1 + t2 * dy};
    return out;
}

CircleCrossings circle_circle_crossings(Vec2 c1, double r1, Vec2 c2, double r2) {
    CircleCrossings out;
    double x1 = c1.x, y1 = c1.y, x2 = c2.x, y2 = c2.y;
    double d = std::sqrt(py_square(x2 - x1) + py_square(y2 - y1));
    if (d > r1 + r2)  // apart
        return out;
    if (d < std::fabs(r1 - r2))  // one inside the other
        return out;
    if (d == 0 && r1 == r2)  // the same circle
        return out;
    if (d == 0) {
        out.zero_distance = true;
        return out;
    }
    double a = (py_square(r1) - py_square(r2) + py_square(d)) / (2 * d);
    // The tests above make the circles meet, so a negative square is only
    // rounding: touching circles share one point.
    double h_squared = py_square(r1) - py_square(a);
    if (h_squared < 0)
        h_squared = 0.0;
    double h = std::sqrt(h_squared);
    double x3 = x1 + a * (x2 - x1) / d, y3 = y1 + a * (y2 - y1) / d;
    out.count = 2;
    out.p[0] = {x3 + h * (y2 - y1) / d, y3 - h * (x2 - x1) / d};
    out.p[1] = {x3 - h * (y2 - y1) / d, y3 + h * (x2 - x1) / d};
    return out;
}

Vec2 circle_tangent_step(Vec2 center, double r, Vec2 p) {
    double dx = p.x - center.x, dy = p.y - center.y;
    double n = std::atan2(dy, dx) + pi / 2;
    double x = p.x + r * std::cos(n), y = p.y + r * std::sin(n);
    return {x - p.x, y - p.y};
}

// ------------------------------------------------------------- arcs

int quadrant(double theta) { return (int) py_floor_div(py_mod(theta, two_pi), half_pi); }

Bound arc_bound(Vec2 p_start, Vec2 p_end, Vec2 center, double r, double lower, double upper) {
    // Slots in the order top, left, bottom, right: slot q is the extreme
    // reached at the boundary (q + 1) pi / 2 that ends quadrant q.
    double slots[4] = {first_max(p_start.y, p_end.y), first_min(p_start.x, p_end.x),
                       first_min(p_start.y, p_end.y), first_max(p_start.x, p_end.x)};
    const double extremes[4] = {center.y + r, center.x - r, center.y - r, center.x + r};
    if (!std::isfinite(lower) || !std::isfinite(upper))
        return {0, 0, 0, 0, false};

    double sweep = upper - lower;
    int passed;
    int first = quadrant(lower) % 4;
    if (sweep >= two_pi) {
        passed = 4;
    } else {
        passed = ((quadrant(upper) % 4) - first + 4) % 4;
        if (passed == 0 && sweep > pi)
            passed = 4;
    }
    for (int k = 0; k < passed; ++k)
        slots[(first + k) % 4] = extremes[(first + k) % 4];
    return {slots[1], slots[2], slots[3], slots[0], true};
}

double angle_into_turn(double theta, double lower) {
    double turns = std::ceil((lower - theta) / two_pi);
    double shifted = turns == 0 ? theta : theta + turns * two_pi;
    if (shifted < lower)
        shifted += two_pi;
    return shifted;
}

namespace {
double ulp(double v) { return std::nextafter(v, INFINITY) - v; }
}  // namespace

int end_angle_within_rounding(Vec2 center, Vec2 p, double lower, double upper) {
    double dx = p.x - center.x, dy = p.y - center.y;
    double phi = std::atan2(dy, dx);
    // The coordinates' own rounding, seen from the centre, widens it.
    double scale = std::max({std::fabs(p.x), std::fabs(p.y), std::fabs(center.x), std::fabs(center.y)});
    double dist = std::hypot(dx, dy);
    double coord_tol = dist > 0 ? 4.0 * ulp(scale) / dist : 0.0;
    auto near = [phi, coord_tol](double end) {
        double tol = 4.0 * ulp(std::max(two_pi, std::fabs(end))) + coord_tol;
        return std::fabs(std::remainder(phi - end, two_pi)) <= tol;
    };
    if (near(lower))
        return -1;
    if (near(upper))
        return 1;
    return 0;
}

void sample_angles(double start, double sweep, std::size_t n, std::size_t first, std::span<double> out) {
    for (std::size_t k = 0; k < out.size(); ++k)
        out[k] = start + sweep * ((double) (first + k) / (double) n);
}

void place_on_circle(Vec2 center, double r, std::span<const double> cos, std::span<const double> sin,
                     std::span<Vec2> out) {
    for (std::size_t i = 0; i < out.size(); ++i)
        out[i] = center + radius_vector(r, {cos[i], sin[i]});
}

double tangent_arc_theta(double alpha) {
    const double low = 0.5 * pi, high = 1.5 * pi;
    if (low < alpha && alpha < high)
        return alpha - low;
    if (np_is_close(alpha, low, 1e-4, 1e-8) || np_is_close(alpha, high, 1e-4, 1e-8))
        return 0.0;
    return low - alpha;
}

}  // namespace geom
