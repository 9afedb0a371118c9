// Stacks of segments on one line, found through buckets of direction and
// offset, so that the split never tests the pairs within a stack.
#include "core/planar/cell_grid.hpp"
#include "core/basics/line_segment_ray.hpp"
#include "core/network/split.hpp"
#include "core/network/walls.hpp"
#include "core/network/segment_network.hpp"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <functional>
#include <numbers>
#include <optional>

namespace geom {

namespace {

// Fewer segments than this on one line, or overlapping at one place of it,
// take the pairwise path, as any.
constexpr std::size_t stack_least = 32;
// Bucket widths: the direction in radians, the offset of the line from the
// origin.  A line's direction is taken the way that puts its angle in
// [wrap - pi, wrap), a wrap far from the angles plans are drawn at.
constexpr double angle_step = 1e-7, offset_step = 2.3e-4, wrap = 1.8925;

struct Along {
    double lo, hi;  // the stretch along the stack's line
    std::uint32_t seg;
};

// The stretch along the line through o along u (unit) of the part of p-q
// that lies within d of the line, widened by d; empty when none does.
std::optional<std::pair<double, double>> near_stretch(Vec2 o, Vec2 u, Vec2 p, Vec2 q, double d) {
    double d0 = cross(u, p - o), d1 = cross(u, q - o);
    double t0 = 0, t1 = 1;
    if (d1 != d0) {
        double a = (-d - d0) / (d1 - d0), b = (d - d0) / (d1 - d0);
        t0 = std::max(0.0, std::min(a, b));
        t1 = std::min(1.0, std::max(a, b));
    } else if (!(std::fabs(d0) <= d)) {
        return std::nullopt;
    }
    if (!(t0 <= t1))
        return std::nullopt;
    double s = dot(u, p - o), ds = dot(u, q - p);
    double a = s + t0 * ds, b = s + t1 * ds;
    return std::pair{std::min(a, b) - d, std::max(a, b) + d};
}

bool boxes_meet(const Box &a, const Box &b, double e) {
    return a.min_x - e <= b.max_x + e && b.min_x - e <= a.max_x + e && a.min_y - e <= b.max_y + e &&
           b.min_y - e <= a.max_y + e;
}

// Pairs sorted by first index, through a count of each, then each run by
// second index.
void sort_pairs(std::vector<std::pair<std::size_t, std::size_t>> &pairs, std::size_t n, const Interrupt &stop) {
    std::vector<std::size_t> start(n + 1, 0);
    for (auto &p : pairs)
        ++start[p.first + 1];
    for (std::size_t i = 0; i < n; ++i)
        start[i + 1] += start[i];
    std::vector<std::pair<std::size_t, std::size_t>> sorted(pairs.size());
    std::vector<std::size_t> fill(start.begin(), start.end() - 1);
    for (auto &p : pairs)
        sorted[fill[p.first]++] = p;
    stop.tick(pairs.size());
    for (std::size_t i = 0; i < n; ++i)
        std::sort(sorted.begin() + static_cast<std::ptrdiff_t>(start[i]),
                  sorted.begin() + static_cast<std::ptrdiff_t>(start[i + 1]));
    pairs = std::move(sorted);
}

}  // namespace

std::vector<std::pair<std::size_t, std::size_t>> split_pairs(std::span<const Vec2> starts, std::span<const Vec2> ends,
                                                             std::span<const char> shorts, double reach,
                                                             double flat_eps, WallPairs &pairs, const Interrupt &stop) {
    const std::size_t n = starts.size();
    std::vector<Box> boxes(n);
    for (std::size_t i = 0; i < n; ++i)
        boxes[i] = segment_bound(starts[i], ends[i]);

    // Longer segments by bucket of direction and offset.  Buckets are
    // centred on round values (a direction of 0, an offset of 0), where the
    // copies of a wall scatter by rounding; a wall whose copies straddle two
    // buckets still comes out right, as two stacks tested against each
    // other.
    std::vector<Vec2> unit(n, Vec2{0, 0});
    std::vector<std::uint32_t> bucket_of(n, UINT32_MAX), count;
    grid::FirstOf buckets(n);
    for (std::size_t i = 0; i < n; ++i) {
        if (shorts[i])
            continue;
        Vec2 d = ends[i] - starts[i];
        double l = std::hypot(d.x, d.y);
        if (!(l > node_join) || !std::isfinite(l) || !is_finite(starts[i]))
            continue;
        Vec2 u{d.x / l, d.y / l};
        double a = std::atan2(u.y, u.x);
        if (a >= wrap || a < wrap - std::numbers::pi) {
            u = Vec2{-u.x, -u.y};
            a = std::atan2(u.y, u.x);
        }
        double ka = std::floor(a / angle_step + 0.5), ko = std::floor(cross(u, starts[i]) / offset_step + 0.5);
        if (!(std::fabs(ko) < 0x1p52))
            continue;
        unit[i] = u;
        auto fresh = static_cast<std::uint32_t>(count.size());
        std::uint32_t b = buckets.file(static_cast<std::uint64_t>(static_cast<std::int64_t>(ka)),
                                       static_cast<std::uint64_t>(static_cast<std::int64_t>(ko)), fresh);
        if (b == fresh)
            count.push_back(0);
        ++count[b];
        bucket_of[i] = b;
    }
    stop.tick(n);
    // The segments of each bucket large enough for a stack, in list order.
    std::vector<std::vector<std::uint32_t>> merged;
    std::vector<std::uint32_t> big(count.size(), UINT32_MAX);
    for (std::size_t b = 0; b < count.size(); ++b)
        if (count[b] >= stack_least) {
            big[b] = static_cast<std::uint32_t>(merged.size());
            merged.emplace_back();
        }
    if (!merged.empty())
        for (std::size_t i = 0; i < n; ++i)
            if (bucket_of[i] != UINT32_MAX && big[bucket_of[i]] != UINT32_MAX)
                merged[big[bucket_of[i]]].push_back(static_cast<std::uint32_t>(i));

    // Stacks: the segments of a merged bucket on the line of its first one,
    // within half the wall tolerances, so that any two of them are as
    // parallel and as close as one wall's pieces.  Runs along that line
    // whose stretches meet within node_join are walls; each stands in the
    // sweep as one box that holds its segments'.
    std::vector<std::vector<Along>> runs;  // each by the start of its stretches
    std::vector<std::uint32_t> run_stack;
    std::vector<Box> run_box;
    std::vector<char> stacked(n, 0);
    for (auto &group : merged) {
        stop.tick(group.size());
        std::uint32_t ref = *std::min_element(group.begin(), group.end());
        Vec2 o = starts[ref], u = unit[ref];
        std::vector<Along> along;
        for (std::uint32_t s : group)
            if (std::fabs(cross(u, unit[s])) <= wall_turn / 2 && std::fabs(cross(u, starts[s] - o)) <= node_join / 2 &&
                std::fabs(cross(u, ends[s] - o)) <= node_join / 2) {
                double a = dot(u, starts[s] - o), b = dot(u, ends[s] - o);
                along.push_back({std::min(a, b), std::max(a, b), s});
            }
        if (along.size() < stack_least)
            continue;
        std::sort(along.begin(), along.end(),
                  [](const Along &p, const Along &q) { return p.lo < q.lo || (p.lo == q.lo && p.seg < q.seg); });
        // A wall drawn in pieces end to end costs the pairwise path little:
        // a stack only where that many segments overlap at one place.
        {
            std::vector<double> ends_so_far;  // a min-heap of the stretch ends still open
            std::size_t depth = 0;
            for (const Along &p : along) {
                while (!ends_so_far.empty() && ends_so_far.front() < p.lo) {
                    std::pop_heap(ends_so_far.begin(), ends_so_far.end(), std::greater<>());
                    ends_so_far.pop_back();
                }
                ends_so_far.push_back(p.hi);
                std::push_heap(ends_so_far.begin(), ends_so_far.end(), std::greater<>());
                depth = std::max(depth, ends_so_far.size());
            }
            if (depth < stack_least)
                continue;
        }
        double run_hi = 0;
        Vec2 run_hi_at{};
        // The end of a segment that lies at `s` along the line.
        auto end_at = [&](std::uint32_t seg, double s) {
            return dot(u, starts[seg] - o) == s ? starts[seg] : ends[seg];
        };
        for (std::size_t k = 0; k < along.size(); ++k) {
            const Along &p = along[k];
            stacked[p.seg] = 1;
            // A run goes on past a gap whose two ends the walks join, as
            // two segments meeting there would.
            bool goes_on = k > 0 && (p.lo <= run_hi + node_join ||
                                     points_joined(run_hi_at, end_at(p.seg, p.lo), flat_eps));
            if (k == 0 || !(p.hi <= run_hi))
                run_hi_at = end_at(p.seg, p.hi);
            if (!goes_on) {
                runs.emplace_back();
                run_stack.push_back(ref);
                run_box.push_back(boxes[p.seg]);
                run_hi = p.hi;
            } else {
                std::uint32_t first = runs.back().front().seg;
                pairs.long_pairs.emplace_back(std::min(first, p.seg), std::max(first, p.seg));
                run_hi = std::max(run_hi, p.hi);
                Box &b = run_box.back();
                const Box &c = boxes[p.seg];
                b = {std::min(b.min_x, c.min_x), std::max(b.max_x, c.max_x), std::min(b.min_y, c.min_y),
                     std::max(b.max_y, c.max_y)};
            }
            runs.back().push_back(p);
        }
    }
    if (runs.empty())
        return overlapping_pairs(boxes, reach, stop);

    // The sweep over the other segments and the runs' boxes.  A run found
    // near a segment stands for those of its segments near the part of it
    // that comes close to the run's line (far more than any join apart),
    // whose own boxes meet its box; a run near another stack's run, for
    // those near each of that run's segments.
    std::vector<Box> sweep(boxes);
    for (std::size_t i = 0; i < n; ++i)
        if (stacked[i])
            sweep[i] = Box{NAN, NAN, NAN, NAN};
    sweep.insert(sweep.end(), run_box.begin(), run_box.end());
    const double within = 4 * reach + node_join;
    std::vector<std::pair<std::size_t, std::size_t>> out;
    // Each run's greatest stretch end so far: the segments before the first
    // that reaches a point end before it.
    std::vector<std::vector<double>> reach_of(runs.size());
    for (std::size_t r = 0; r < runs.size(); ++r) {
        double hi = -INFINITY;
        for (const Along &m : runs[r])
            reach_of[r].push_back(hi = std::max(hi, m.hi));
    }
    auto pair_run = [&](std::size_t r, std::size_t x) {
        const std::vector<Along> &run = runs[r];
        std::uint32_t ref = run_stack[r];
        std::optional<std::pair<double, double>> st =
            near_stretch(starts[ref], unit[ref], starts[x], ends[x], within);
        if (!st)
            return;
        auto from = std::lower_bound(reach_of[r].begin(), reach_of[r].end(), st->first) - reach_of[r].begin();
        for (std::size_t k = static_cast<std::size_t>(from); k < run.size(); ++k) {
            const Along &m = run[k];
            stop.tick();
            if (m.lo > st->second)
                break;
            if (m.hi >= st->first && boxes_meet(boxes[m.seg], boxes[x], reach))
                out.emplace_back(std::min<std::size_t>(m.seg, x), std::max<std::size_t>(m.seg, x));
        }
    };
    for (auto [a, b] : overlapping_pairs(sweep, reach, stop)) {
        stop.tick();
        if (b < n) {
            out.emplace_back(a, b);
        } else if (a < n) {
            pair_run(b - n, a);
        } else if (run_stack[a - n] != run_stack[b - n]) {
            for (const Along &k : runs[b - n])
                pair_run(a - n, k.seg);
        }
    }
    sort_pairs(out, n, stop);
    return out;
}

}  // namespace geom
