#include "core/outline/polyline.hpp"

#include "core/planar/radix_order.hpp"

#include <algorithm>
#include <cfloat>

namespace geom {

namespace {

constexpr double two_pi = 3.141592653589793 * 2;

Vec2 at_parameter(Vec2 a, Vec2 b, double t) { return {a.x + t * (b.x - a.x), a.y + t * (b.y - a.y)}; }

std::size_t segment_count(std::span<const Vec2> pts) { return pts.size() < 2 ? 0 : pts.size() - 1; }

}  // namespace

std::optional<double> turn_angle(Vec2 v1, Vec2 v2, double flat_eps, ArcCos arccos, Fault &fault) {
    double m1 = checked_magnitude(v1, fault), m2 = checked_magnitude(v2, fault);
    if (std::fabs(m1) <= flat_eps || std::fabs(m2) <= flat_eps)
        return std::nullopt;
    double m = m1 * m2;
    if (m == 0.0) {
        note(fault, Fault::zero_division);
        return std::nullopt;
    }
    double c = dot(v1, v2) / m;
    if (1 < c)
        c = 1;
    if (-1 > c)
        c = -1;
    double a = arccos(c);
    if (cross(v1, v2) >= 0)
        return a;
    return two_pi - a;
}

// ------------------------------------------------------------ measures

void segment_lengths(std::span<const Vec2> pts, std::vector<double> &out, Fault &fault) {
    std::size_t n = segment_count(pts);
    out.resize(n);
    for (std::size_t k = 0; k < n; ++k)
        out[k] = checked_magnitude(pts[k + 1] - pts[k], fault);
}

double sum_in_order(std::span<const double> values) {
    double s = 0.0;
    for (double v : values)
        s += v;
    return s;
}

double first_max_of(std::span<const double> values) {
    double m = values[0];
    for (std::size_t i = 1; i < values.size(); ++i)
        if (values[i] > m)
            m = values[i];
    return m;
}

double first_min_of(std::span<const double> values) {
    double m = values[0];
    for (std::size_t i = 1; i < values.size(); ++i)
        if (values[i] < m)
            m = values[i];
    return m;
}

WeightedMidpoints weighted_midpoints(std::span<const Vec2> pts, Fault &fault) {
    WeightedMidpoints w;
    for (std::size_t k = 0; k < segment_count(pts); ++k) {
        Vec2 a = pts[k], b = pts[k + 1];
        Vec2 m{(a.x + b.x) / 2, (a.y + b.y) / 2};
        double l = checked_magnitude(b - a, fault);
        w.x += m.x * l;
        w.y += m.y * l;
        w.total += l;
    }
    return w;
}

VertexBound vertex_bound(std::span<const Vec2> pts) {
    if (pts.empty()) {
        double nan = std::numeric_limits<double>::quiet_NaN();
        return {nan, nan, nan, nan};
    }
    VertexBound b{pts[0].x, pts[0].y, pts[0].x, pts[0].y};
    for (std::size_t i = 1; i < pts.size(); ++i) {
        if (pts[i].x < b.min_x)
            b.min_x = pts[i].x;
        if (pts[i].y < b.min_y)
            b.min_y = pts[i].y;
        if (pts[i].x > b.max_x)
            b.max_x = pts[i].x;
        if (pts[i].y > b.max_y)
            b.max_y = pts[i].y;
    }
    return b;
}

double turn_sum(std::span<const Vec2> pts) {
    std::size_t n = segment_count(pts);
    double s = 0.0;
    for (std::size_t i = 0; i < n; ++i) {
        std::size_t prev = i == 0 ? n - 1 : i - 1;
        s += cross(pts[prev + 1] - pts[prev], pts[i + 1] - pts[i]);
    }
    return s;
}

double twice_area_from_first(std::span<const Vec2> pts) {
    double s = 0.0;
    for (std::size_t i = 1; i + 1 < pts.size(); ++i)
        s += cross(pts[i] - pts[0], pts[i + 1] - pts[0]);
    return s;
}

int winding_code(std::span<const Vec2> pts) {
    double s = twice_area_from_first(pts);
    if (s < 0)
        return 0;
    if (s > 0)
        return 1;
    return 2;
}

bool is_convex(std::span<const Vec2> pts, bool closed) {
    std::size_t n = pts.size();
    if (n < 4)
        return true;
    enum { none, left, right } direction = none;
    // The inner vertices, then the closing one (from the last edge into the first).
    for (std::size_t i = 0; i + 2 < n + (closed ? 1 : 0); ++i) {
        double c = i + 2 < n ? cross(pts[i + 1] - pts[i], pts[i + 2] - pts[i + 1])
                             : cross(pts[n - 1] - pts[n - 2], pts[1] - pts[0]);
        if (c == 0)
            continue;
        if (c > 0) {
            if (direction == right)
                return false;
            direction = left;
        } else {
            if (direction == left)
                return false;
            direction = right;
        }
    }
    return true;
}

bool is_self_intersecting(std::span<const Vec2> pts, bool skip_closing_pair, Tolerances tol, const Interrupt &stop) {
    std::size_t m = segment_count(pts);
    if (m < 3)
        return false;
    // Sort (by radix) and sweep along x over the segments' bounds widened by
    // the segment tolerance, computed exactly as the bound test computes
    // them: two segments whose widened bounds do not overlap can have no
    // crossing that lies in both.  Bounds with a NaN limit pass no bound test.
    struct Item {
        double lo_x, hi_x, lo_y, hi_y;
        std::size_t k;
    };
    std::vector<Item> items;
    items.reserve(m);
    for (std::size_t k = 0; k < m; ++k) {
        Box b = segment_bound(pts[k], pts[k + 1]);
        Item it{b.min_x - tol.seg, b.max_x + tol.seg, b.min_y - tol.seg, b.max_y + tol.seg, k};
        if (std::isnan(it.lo_x) || std::isnan(it.hi_x) || std::isnan(it.lo_y) || std::isnan(it.hi_y))
            continue;
        items.push_back(it);
    }
    std::vector<const Item *> active;
    for (std::uint32_t at : ordered_by(items.size(), [&](std::uint32_t i) { return items[i].lo_x; })) {
        const Item &it = items[at];
        stop.tick();
        std::erase_if(active, [&](const Item *a) { return a->hi_x < it.lo_x; });
        for (const Item *a : active) {
            stop.tick();
            if (!(a->lo_y <= it.hi_y && it.lo_y <= a->hi_y))
                continue;
            std::size_t i = std::min(a->k, it.k), j = std::max(a->k, it.k);
            if (j < i + 2 || (skip_closing_pair && i == 0 && j == m - 1))
                continue;
            if (segment_intersection(pts[i], pts[i + 1], pts[j], pts[j + 1], tol.flat, tol.seg))
                return true;
        }
        active.push_back(&it);
    }
    return false;
}

// --------------------------------------------------- one point against it

std::size_t first_segment_holding(std::span<const Vec2> pts, Vec2 p, double seg_eps) {
    for (std::size_t k = 0; k < segment_count(pts); ++k)
        if (on_segment(pts[k], pts[k + 1], p, seg_eps))
            return k;
    return npos;
}

SegmentClosest closest_on_segment(Vec2 a, Vec2 b, Vec2 p, Tolerances tol, Fault &fault) {
    Vec2 ab = b - a, ap = p - a;
    double m = checked_magnitude(ab, fault);
    if (m == 0.0)
        return {Nearest::start, a, ap};
    double s = dot(ab, ap) / m;
    Vec2 move = checked_unit(ab, tol.flat, fault) * s;
    if (foot_on_segment(ab, move, tol.seg))
        return {Nearest::foot, move + a, ap - move};
    if (checked_distance(p, a, fault) < checked_distance(p, b, fault))
        return {Nearest::start, a, ap};
    return {Nearest::end, b, p - b};
}

std::size_t nearest_segment(std::span<const Vec2> pts, Vec2 p, Tolerances tol, Fault &fault) {
    std::size_t n = segment_count(pts);
    if (n == 0)
        return npos;
    std::size_t best = 0;
    double best_d = checked_distance(closest_on_segment(pts[0], pts[1], p, tol, fault).gap, Vec2{}, fault);
    for (std::size_t k = 1; k < n; ++k) {
        double d = checked_distance(closest_on_segment(pts[k], pts[k + 1], p, tol, fault).gap, Vec2{}, fault);
        if (d < best_d) {
            best = k;
            best_d = d;
        }
    }
    return best;
}

void probe_crossings(std::span<const Vec2> pts, Probe kind, Vec2 a, Vec2 b, Tolerances tol, ProbeCrossings &out) {
    RayBound ray{};
    for (std::size_t k = 0; k < segment_count(pts); ++k) {
        Vec2 s = pts[k], e = pts[k + 1];
        std::optional<Vec2> p;
        switch (kind) {
        case Probe::line:
            p = line_intersection(s, e, a, b, tol.flat);
            if (p && !in_box(segment_bound(s, e), *p, tol.seg))
                p.reset();
            break;
        case Probe::segment:
            p = line_intersection(a, b, s, e, tol.flat);
            if (p && !(in_box(segment_bound(a, b), *p, tol.seg) && in_box(segment_bound(s, e), *p, tol.seg)))
                p.reset();
            break;
        case Probe::ray: {
            // About the ray's origin, its line from there along its own
            // direction, as the ray meets a segment.
            Vec2 ls = s - a, le = e - a;
            p = line_intersection(ls, le, Vec2{}, b, tol.flat);
            if (!p)
                break;
            ray = ray_bound(Vec2{}, b);
            if (!ray.valid) {
                out.invalid_ray = true;
                return;
            }
            if (!(in_ray_bound(ray, *p, tol.seg) && in_box(segment_bound(ls, le), *p, tol.seg)))
                p.reset();
            else
                p = *p + a;
            break;
        }
        }
        if (!p)
            continue;
        bool seen = false;
        for (Vec2 q : out.points)
            seen = seen || tolerant_equal(q, *p, tol.flat);
        if (!seen)
            out.points.push_back(*p);
    }
}

// ---------------------------------------------------------- containment

namespace {
// The same extremes as vertex_bound for a test against the box: four lanes,
// each folding from the first point as the interpreter's min and max do
// (a NaN first value sticks, later NaNs are passed over).  Lanes may differ
// from the sequential fold only in the sign of a zero extreme, which no
// comparison sees.
VertexBound test_bound(std::span<const Vec2> pts) {
    if (pts.size() < 16)
        return vertex_bound(pts);
#if defined(__GNUC__)
    // (x, y) pairs, so each comparison folds both coordinates at once.
    typedef double pair __attribute__((vector_size(16)));
    auto load = [](Vec2 q) {
        pair r = {q.x, q.y};
        return r;
    };
    pair lo[4], hi[4];
    for (int j = 0; j < 4; ++j)
        lo[j] = hi[j] = load(pts[0]);
    std::size_t i = 0, n = pts.size();
    for (; i + 4 <= n; i += 4)
        for (int j = 0; j < 4; ++j) {
            pair q = load(pts[i + j]);
            lo[j] = q < lo[j] ? q : lo[j];
            hi[j] = q > hi[j] ? q : hi[j];
        }
    for (; i < n; ++i) {
        pair q = load(pts[i]);
        lo[0] = q < lo[0] ? q : lo[0];
        hi[0] = q > hi[0] ? q : hi[0];
    }
    for (int j = 1; j < 4; ++j) {
        lo[0] = lo[j] < lo[0] ? lo[j] : lo[0];
        hi[0] = hi[j] > hi[0] ? hi[j] : hi[0];
    }
    return {lo[0][0], lo[0][1], hi[0][0], hi[0][1]};
#else
    return vertex_bound(pts);
#endif
}
}  // namespace

PointLocator::PointLocator(std::span<const Vec2> pts, Tolerances tol, bool index)
    : pts_(pts), tol_(tol), bound_(test_bound(pts)) {
    std::size_t m = segment_count(pts);
    if (!index || m < 16 || !std::isfinite(tol.seg))
        return;
    for (Vec2 p : pts)
        if (!std::isfinite(p.x) || !std::isfinite(p.y))
            return;
    double span_y = bound_.max_y - bound_.min_y;
    std::size_t bands = std::min<std::size_t>(m, 1u << 20);
    double height = span_y / (double) bands;
    if (!(height > 0) || !std::isfinite(height))
        return;
    // A segment can hold p, or cross the ray's line, only when p.y lies in
    // its y range widened by the tolerance; it goes into every band that
    // range touches, with a margin for rounding and one more band each side.
    double margin = 2 * std::fabs(tol.seg);
    auto band_range = [&](std::size_t k) {
        double lo = std::min(pts[k].y, pts[k + 1].y), hi = std::max(pts[k].y, pts[k + 1].y);
        double slack = (std::fabs(lo) + std::fabs(hi) + margin) * 8 * DBL_EPSILON;
        double a = std::floor((lo - margin - slack - bound_.min_y) / height) - 1;
        double b = std::floor((hi + margin + slack - bound_.min_y) / height) + 1;
        std::size_t first = a < 0 ? 0 : (std::size_t) std::min(a, (double) (bands - 1));
        std::size_t last = b < 0 ? 0 : (std::size_t) std::min(b, (double) (bands - 1));
        return std::pair{first, last};
    };
    std::vector<std::uint32_t> start(bands + 1, 0);
    std::size_t total = 0;
    for (std::size_t k = 0; k < m; ++k) {
        auto [first, last] = band_range(k);
        total += last - first + 1;
        if (total > 32 * m + 1024)
            return;  // long segments everywhere: testing them all is as quick
        for (std::size_t b = first; b <= last; ++b)
            ++start[b + 1];
    }
    for (std::size_t b = 0; b < bands; ++b)
        start[b + 1] += start[b];
    std::vector<std::uint32_t> items(total), fill(start.begin(), start.end() - 1);
    for (std::size_t k = 0; k < m; ++k) {
        auto [first, last] = band_range(k);
        for (std::size_t b = first; b <= last; ++b)
            items[fill[b]++] = (std::uint32_t) k;
    }
    band_y0_ = bound_.min_y;
    band_height_ = height;
    band_start_ = std::move(start);
    band_items_ = std::move(items);
}

template <class F>
bool PointLocator::each_candidate(Vec2 p, F &&f) const {
    if (band_start_.empty()) {
        // Every segment, screened in a tight loop: a vertex clearly above
        // p's height (by more than the tolerance and a margin for the
        // rounding of the bound test's own subtraction) or clearly below it
        // is flagged once, and a segment whose ends are both above or both
        // below can neither hold p nor cross the ray's line.  The full tests
        // run only for the few others.
        const Vec2 *q = pts_.data();
        std::size_t m = segment_count(pts_);
        if (m == 0)
            return true;
        double eps = std::fabs(tol_.seg);
        double margin = eps + (std::fabs(p.y) + eps) * 1e-15 + 1e-300;
        double hi = p.y + margin, lo = p.y - margin;
        bool above = q[0].y > hi, below = q[0].y < lo;
        for (std::size_t k = 0; k < m; ++k) {
            double y = q[k + 1].y;
            bool next_above = y > hi, next_below = y < lo;
            bool clear = (above & next_above) | (below & next_below);
            above = next_above;
            below = next_below;
            if (__builtin_expect(clear, 1))
                continue;
            if (!f(k))
                return false;
        }
        return true;
    }
    std::size_t bands = band_start_.size() - 1;
    double t = std::floor((p.y - band_y0_) / band_height_);
    if (std::isnan(t))
        return true;  // a NaN y is on no segment and crosses none
    std::size_t b = t < 0 ? 0 : (std::size_t) std::min(t, (double) (bands - 1));
    for (std::uint32_t i = band_start_[b]; i < band_start_[b + 1]; ++i)
        if (!f(band_items_[i]))
            return false;
    return true;
}

bool PointLocator::on_segment_at(std::size_t k, Vec2 p) const {
    Vec2 a = pts_[k], b = pts_[k + 1];
    // The bound first: it rejects almost every segment, and both tests must
    // hold (each raised to the rounding at the points' size, as on_segment).
    Vec2 slack = rounding_slack(a, b, p);
    return in_box(segment_bound(a, b), p, tol_.seg, slack) && on_line(a, b, p, tol_.seg, slack);
}

int PointLocator::crossing_at(std::size_t k, Vec2 p, Vec2 p_next) const {
    Vec2 a = pts_[k], b = pts_[k + 1];
    if ((a.y > p.y) == (b.y > p.y))
        return 0;
    std::optional<Vec2> c = line_intersection(a, b, p, p_next, tol_.flat);
    return c && c->x >= p.x - tol_.seg ? 1 : 0;
}

// A band holds every segment that can matter to any p.y inside it, and a p.y
// beyond the bound is taken to the nearest band, which holds every segment
// reaching within the tolerance of that side: the bands serve every point.
bool PointLocator::on(Vec2 p) const {
    bool found = false;
    each_candidate(p, [&](std::size_t k) {
        found = on_segment_at(k, p);
        return !found;
    });
    return found;
}

bool PointLocator::odd_crossings(Vec2 p, Vec2 p_next) const {
    int count = 0;
    each_candidate(p, [&](std::size_t k) {
        count += crossing_at(k, p, p_next);
        return true;
    });
    return count % 2 == 1;
}

int PointLocator::code(Vec2 p, Vec2 p_next) const {
    if (!in_bound(p))
        return 0;
    int count = 0;
    bool on_it = !each_candidate(p, [&](std::size_t k) {
        if (on_segment_at(k, p))
            return false;
        count += crossing_at(k, p, p_next);
        return true;
    });
    if (on_it)
        return 2;
    return count % 2 == 1 ? 1 : 0;
}

int position_code(std::span<const Vec2> pts, Vec2 p, Vec2 p_next, Tolerances tol) {
    PointLocator locator(pts, tol, false);
    return locator.code(p, p_next);
}

// ------------------------------------------------ positions along the chain

LengthPlace LengthWalk::place(double length) {
    std::size_t n = lengths_.size();
    while (i_ < n) {
        double l = lengths_[i_];
        if (before_ + l >= length) {
            double rest = length - before_;
            if (rest <= seg_eps_)
                return {LengthPlace::start, i_, pts_[i_]};
            if (rest + seg_eps_ >= l)
                return {LengthPlace::end, i_, pts_[i_ + 1]};
            return {LengthPlace::inner, i_, at_parameter(pts_[i_], pts_[i_ + 1], rest / l)};
        }
        before_ += l;
        ++i_;
    }
    return {LengthPlace::past_end, npos, {}};
}

LengthPlace place_parameter(std::span<const Vec2> pts, std::span<const double> lengths, double total, double t,
                            Fault &fault) {
    double target = t * total;
    double current = 0.0;
    for (std::size_t k = 0; k < lengths.size(); ++k) {
        double l = lengths[k];
        if (current + l >= target) {
            if (l == 0.0) {
                note(fault, Fault::zero_division);
                return {LengthPlace::past_end, npos, {}};
            }
            return {LengthPlace::inner, k, at_parameter(pts[k], pts[k + 1], (target - current) / l)};
        }
        current += l;
    }
    return {LengthPlace::past_end, npos, {}};
}

Cut cut_at_parameter(std::span<const Vec2> pts, std::span<const double> lengths, double total, double t,
                     Fault &fault) {
    double acc = 0.0;
    for (std::size_t k = 0; k < lengths.size(); ++k) {
        double l = lengths[k];
        acc += l;
        if (total == 0.0) {
            note(fault, Fault::zero_division);
            return {npos, {}};
        }
        if (t <= acc / total) {
            if (l == 0.0) {
                note(fault, Fault::zero_division);
                return {npos, {}};
            }
            return {k, at_parameter(pts[k], pts[k + 1], (t * total - (acc - l)) / l)};
        }
    }
    return {npos, {}};
}

std::optional<double> length_at_point(std::span<const Vec2> pts, std::span<const double> lengths, Vec2 p,
                                      double seg_eps, Fault &fault) {
    double current = 0.0;
    for (std::size_t k = 0; k < lengths.size(); ++k) {
        if (on_segment(pts[k], pts[k + 1], p, seg_eps))
            return current + checked_distance(pts[k], p, fault);
        current += lengths[k];
    }
    return std::nullopt;
}

KeepPlace keep_length(std::span<const double> lengths, double length) {
    double current = 0.0;
    for (std::size_t k = 0; k < lengths.size(); ++k) {
        if (current + lengths[k] >= length)
            return {k, length - current};
        current += lengths[k];
    }
    return {npos, 0.0};
}

}  // namespace geom
