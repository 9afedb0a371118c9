#include "core/basics/line_segment_ray.hpp"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <limits>

namespace geom {

RayBound ray_bound(Vec2 origin, Vec2 direction) {
    constexpr double inf = std::numeric_limits<double>::infinity();
    // Each axis is the sorted pair (origin, direction * inf): a zero
    // component gives NaN there, which the pinning below replaces.  The pair
    // is ordered as a two-element list sort orders it: swapped only when the
    // second compares strictly less.
    auto sorted_pair = [](double a, double b) { return b < a ? std::pair{b, a} : std::pair{a, b}; };
    auto [min_x, max_x] = sorted_pair(origin.x, direction.x * inf);
    auto [min_y, max_y] = sorted_pair(origin.y, direction.y * inf);
    RayBound b{min_x, min_y, max_x, max_y, true};
    if (direction.x == 0 && direction.y == 0) {
        b.valid = false;
        return b;
    }
    if (direction.x == 0 && direction.y != 0) {
        b.min_x = b.max_x = origin.x;
    } else if (direction.x != 0 && direction.y == 0) {
        b.min_y = b.max_y = origin.y;
    }
    return b;
}

SegmentClosest segment_closest_point(Vec2 start, Vec2 end, Vec2 p, double flat_eps, double eps) {
    Vec2 ab = end - start, ap = p - start;
    double m = magnitude(ab);
    if (m == 0.0)  // ends coincide: the segment is the single point `start`
        return {Nearest::start, start, ap};
    Vec2 move = foot_move(ab, ap, m, flat_eps);
    if (foot_on_segment(ab, move, eps))
        return {Nearest::foot, move + start, ap - move};
    if (distance(p, start) < distance(p, end))
        return {Nearest::start, start, ap};
    return {Nearest::end, end, p - end};
}

namespace {

struct SweepItem {
    double lo_x, hi_x, lo_y, hi_y;
    std::size_t index;
};
using IndexPairs = std::vector<std::pair<std::size_t, std::size_t>>;

bool items_meet(const SweepItem &a, const SweepItem &b) {
    return a.lo_x <= b.hi_x && b.lo_x <= a.hi_x && a.lo_y <= b.hi_y && b.lo_y <= a.hi_y;
}

void add_pair(IndexPairs &pairs, const SweepItem &a, const SweepItem &b) {
    pairs.emplace_back(std::min(a.index, b.index), std::max(a.index, b.index));
}

// Drops the boxes of `open` that end left of `it` (in a sweep by lo_x they
// end left of every later box too) and pairs `it` with those it meets.
void meet_open(std::vector<const SweepItem *> &open, const SweepItem &it, IndexPairs &pairs,
               const Interrupt &stop) {
    std::erase_if(open, [&](const SweepItem *a) { return a->hi_x < it.lo_x; });
    for (const SweepItem *a : open) {
        stop.tick();
        if (items_meet(*a, it))
            add_pair(pairs, *a, it);
    }
}

// The plain sweep along x over items sorted by lo_x: every pair, once.
void sweep_all(std::span<const SweepItem> items, IndexPairs &pairs, const Interrupt &stop) {
    std::vector<const SweepItem *> active;
    for (const SweepItem &it : items) {
        stop.tick();
        meet_open(active, it, pairs, stop);
        active.push_back(&it);
    }
}

// Pairs of boxes that each cover a few cells of a uniform grid are found in
// the cells they share, each in the one cell holding the low corner of the
// two boxes' common part; pairs with a box covering many cells (a long wall)
// come from the sweep, in which only those boxes are scanned by every box.
// False where the grid does not fit the input (infinite, inverted or
// degenerate boxes, or mostly large ones): the plain sweep is then used.
bool grid_pairs(std::span<const SweepItem> items, IndexPairs &pairs, const Interrupt &stop, int depth = 0) {
    constexpr std::int64_t most_cells = 16;
    constexpr std::size_t crowded_cell = 128;
    constexpr int most_depth = 3;
    const std::size_t n = items.size();
    if (n < 64)
        return false;
    std::vector<double> extent(n);
    double ox = items[0].lo_x, oy = items[0].lo_y, top_x = items[0].hi_x, top_y = items[0].hi_y;
    for (std::size_t i = 0; i < n; ++i) {
        const SweepItem &it = items[i];
        if (!(it.lo_x <= it.hi_x && it.lo_y <= it.hi_y))
            return false;
        extent[i] = std::max(it.hi_x - it.lo_x, it.hi_y - it.lo_y);
        ox = std::min(ox, it.lo_x);
        oy = std::min(oy, it.lo_y);
        top_x = std::max(top_x, it.hi_x);
        top_y = std::max(top_y, it.hi_y);
    }
    std::nth_element(extent.begin(), extent.begin() + static_cast<std::ptrdiff_t>(n / 2), extent.end());
    const double h = 2 * extent[n / 2];
    constexpr double most_index = 1152921504606846976.0;  // 2^60: cell numbers fit in 64 bits
    if (!(h > 0) || !std::isfinite(h) || !std::isfinite(ox) || !std::isfinite(oy) ||
        !((top_x - ox) / h < most_index) || !((top_y - oy) / h < most_index))
        return false;
    // Monotone in v, so a point inside a box lies in one of the box's cells.
    auto cell = [h](double v, double o) { return static_cast<std::int64_t>(std::floor((v - o) / h)); };

    struct Entry {
        std::int64_t cx, cy;
        std::uint32_t item;
    };
    std::vector<Entry> entries;
    entries.reserve(2 * n);
    std::vector<char> large(n, 0);
    std::size_t n_large = 0;
    for (std::size_t i = 0; i < n; ++i) {
        const SweepItem &it = items[i];
        std::int64_t x0 = cell(it.lo_x, ox), x1 = cell(it.hi_x, ox), y0 = cell(it.lo_y, oy), y1 = cell(it.hi_y, oy);
        if (x1 - x0 >= most_cells || y1 - y0 >= most_cells || (x1 - x0 + 1) * (y1 - y0 + 1) > most_cells) {
            large[i] = 1;
            ++n_large;
            continue;
        }
        for (std::int64_t cx = x0; cx <= x1; ++cx)
            for (std::int64_t cy = y0; cy <= y1; ++cy)
                entries.push_back({cx, cy, static_cast<std::uint32_t>(i)});
    }
    if (n_large > n / 4 || n > std::numeric_limits<std::uint32_t>::max())
        return false;
    stop.tick(entries.size());
    std::sort(entries.begin(), entries.end(), [](const Entry &a, const Entry &b) {
        return a.cx < b.cx || (a.cx == b.cx && (a.cy < b.cy || (a.cy == b.cy && a.item < b.item)));
    });
    for (std::size_t r = 0; r < entries.size();) {
        std::size_t e = r + 1;
        while (e < entries.size() && entries[e].cx == entries[r].cx && entries[e].cy == entries[r].cy)
            ++e;
        // A crowded cell (many small boxes packed in one place) is paired
        // on a grid of its own, as finely as its boxes are small.
        if (e - r > crowded_cell && depth < most_depth) {
            std::vector<SweepItem> sub;
            sub.reserve(e - r);
            for (std::size_t a = r; a < e; ++a) {
                SweepItem it = items[entries[a].item];
                it.index = a - r;
                sub.push_back(it);
            }
            IndexPairs inner;
            if (!grid_pairs(sub, inner, stop, depth + 1)) {
                inner.clear();
                sweep_all(sub, inner, stop);
            }
            for (auto [i, j] : inner) {
                stop.tick();
                const SweepItem &p = items[entries[r + i].item], &q = items[entries[r + j].item];
                if (cell(std::max(p.lo_x, q.lo_x), ox) == entries[r].cx &&
                    cell(std::max(p.lo_y, q.lo_y), oy) == entries[r].cy)
                    add_pair(pairs, p, q);
            }
            r = e;
            continue;
        }
        for (std::size_t a = r; a < e; ++a) {
            stop.tick();
            const SweepItem &p = items[entries[a].item];
            for (std::size_t b = a + 1; b < e; ++b) {
                const SweepItem &q = items[entries[b].item];
                if (items_meet(p, q) && cell(std::max(p.lo_x, q.lo_x), ox) == entries[r].cx &&
                    cell(std::max(p.lo_y, q.lo_y), oy) == entries[r].cy)
                    add_pair(pairs, p, q);
            }
        }
        r = e;
    }
    if (!n_large)
        return true;

    // Each pair with a large box is met when its later box (by lo_x) comes:
    // every box scans the large ones still open, a large one the small ones
    // too (dropped lazily, since only large boxes look at them).
    std::vector<const SweepItem *> open_large, open_small;
    for (std::size_t i = 0; i < n; ++i) {
        stop.tick();
        const SweepItem &it = items[i];
        meet_open(open_large, it, pairs, stop);
        if (!large[i]) {
            open_small.push_back(&it);
            continue;
        }
        meet_open(open_small, it, pairs, stop);
        open_large.push_back(&it);
    }
    return true;
}

}  // namespace

std::vector<std::pair<std::size_t, std::size_t>> overlapping_pairs(std::span<const Box> boxes,
                                                                   double eps, const Interrupt &stop) {
    std::vector<SweepItem> items;
    items.reserve(boxes.size());
    for (std::size_t i = 0; i < boxes.size(); ++i) {
        // The limits are computed exactly as the bound test computes them, so
        // a point inside both widened boxes proves the two boxes overlap.
        const Box &b = boxes[i];
        SweepItem it{b.min_x - eps, b.max_x + eps, b.min_y - eps, b.max_y + eps, i};
        if (std::isnan(it.lo_x) || std::isnan(it.hi_x) || std::isnan(it.lo_y) || std::isnan(it.hi_y))
            continue;
        items.push_back(it);
    }
    std::sort(items.begin(), items.end(), [](const SweepItem &a, const SweepItem &b) {
        return a.lo_x < b.lo_x || (a.lo_x == b.lo_x && a.index < b.index);
    });

    IndexPairs pairs;
    if (!grid_pairs(items, pairs, stop)) {
        pairs.clear();
        sweep_all(items, pairs, stop);
    }
    // Sorted by index pair: counted out by second index, then (keeping that
    // order) by first.
    auto counted_by = [&](const IndexPairs &from, auto key) {
        std::vector<std::size_t> start(boxes.size() + 1, 0);
        for (auto &p : from)
            ++start[key(p) + 1];
        for (std::size_t i = 0; i < boxes.size(); ++i)
            start[i + 1] += start[i];
        IndexPairs to(from.size());
        for (auto &p : from)
            to[start[key(p)]++] = p;
        return to;
    };
    stop.tick(pairs.size());
    IndexPairs by_second = counted_by(pairs, [](const auto &p) { return p.second; });
    return counted_by(by_second, [](const auto &p) { return p.first; });
}

}  // namespace geom
