#include "core/line_segment_ray.hpp"

#include <algorithm>
#include <cmath>
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
    std::optional<Vec2> foot = projection_point(start, end, p, flat_eps);
    if (!foot)  // ends coincide: the segment is the single point `start`
        return {Nearest::start, start};
    if (on_segment(start, end, *foot, eps))
        return {Nearest::foot, *foot};
    if (distance(p, start) < distance(p, end))
        return {Nearest::start, start};
    return {Nearest::end, end};
}

std::vector<std::pair<std::size_t, std::size_t>> overlapping_pairs(std::span<const Box> boxes,
                                                                   double eps, const Interrupt &stop) {
    struct Item {
        double lo_x, hi_x, lo_y, hi_y;
        std::size_t index;
    };
    std::vector<Item> items;
    items.reserve(boxes.size());
    for (std::size_t i = 0; i < boxes.size(); ++i) {
        // The limits are computed exactly as the bound test computes them, so
        // a point inside both widened boxes proves the two boxes overlap.
        const Box &b = boxes[i];
        Item it{b.min_x - eps, b.max_x + eps, b.min_y - eps, b.max_y + eps, i};
        if (std::isnan(it.lo_x) || std::isnan(it.hi_x) || std::isnan(it.lo_y) || std::isnan(it.hi_y))
            continue;
        items.push_back(it);
    }
    std::sort(items.begin(), items.end(), [](const Item &a, const Item &b) {
        return a.lo_x < b.lo_x || (a.lo_x == b.lo_x && a.index < b.index);
    });

    std::vector<std::pair<std::size_t, std::size_t>> pairs;
    std::vector<const Item *> active;
    for (const Item &it : items) {
        stop.tick();
        // Boxes ending left of this one end left of every later one too.
        std::erase_if(active, [&](const Item *a) { return a->hi_x < it.lo_x; });
        for (const Item *a : active) {
            stop.tick();
            if (a->lo_x <= it.hi_x && it.lo_x <= a->hi_x && a->lo_y <= it.hi_y && it.lo_y <= a->hi_y)
                pairs.emplace_back(std::min(a->index, it.index), std::max(a->index, it.index));
        }
        active.push_back(&it);
    }
    // Sorted by first index through a count of each (many pairs share one),
    // then each run by second index.
    std::vector<std::size_t> start(boxes.size() + 1, 0);
    for (auto &p : pairs)
        ++start[p.first + 1];
    for (std::size_t i = 0; i < boxes.size(); ++i)
        start[i + 1] += start[i];
    std::vector<std::pair<std::size_t, std::size_t>> sorted(pairs.size());
    {
        std::vector<std::size_t> fill(start.begin(), start.end() - 1);
        for (auto &p : pairs)
            sorted[fill[p.first]++] = p;
    }
    stop.tick(pairs.size());
    for (std::size_t i = 0; i < boxes.size(); ++i)
        std::sort(sorted.begin() + static_cast<std::ptrdiff_t>(start[i]),
                  sorted.begin() + static_cast<std::ptrdiff_t>(start[i + 1]));
    return sorted;
}

}  // namespace geom
