#include "core/point_set.hpp"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <limits>
#include <numeric>
#include <unordered_map>

namespace geom {
namespace {

// Cells twice as wide as eps: two equal points (|d| <= eps per axis) always
// fall in the same or in neighbouring cells, whatever the rounding of x/cell.
// Open addressing from cell to the head of a chain of point indices, so that
// indexing n points costs two flat arrays and no allocation per cell.
class Grid {
public:
    Grid(double eps, size_t n) : cell_(2 * eps), next_(n, none) {
        size_t capacity = 16;
        while (capacity < 2 * n)
            capacity *= 2;
        slots_.assign(capacity, Slot{0, 0, none});
    }

    void insert(Vec2 p, size_t index) {
        Slot &slot = find(key_i(p.x), key_i(p.y), true);
        next_[index] = slot.head;
        slot.head = index;
    }

    // Calls f(index) for every indexed point in the 3 x 3 cells around p;
    // stops and returns true as soon as f does.
    template <class F>
    bool any_near(Vec2 p, F &&f) {
        int64_t ki = key_i(p.x), kj = key_i(p.y);
        for (int64_t di = -1; di <= 1; ++di)
            for (int64_t dj = -1; dj <= 1; ++dj)
                for (size_t q = find(ki + di, kj + dj, false).head; q != none; q = next_[q])
                    if (f(q))
                        return true;
        return false;
    }

private:
    static constexpr size_t none = ~size_t{0};
    struct Slot {
        int64_t i, j;
        size_t head;  // none: the slot is free
    };

    int64_t key_i(double v) const { return (int64_t) std::floor(v / cell_); }

    // The slot of cell (i, j).  Slots are never freed, so a probe that meets
    // a free slot has passed every place the cell could be: an absent cell
    // is then claimed (`claim`) or answered by an empty chain.  One cell at
    // most is claimed per inserted point: the table stays under half full.
    Slot &find(int64_t i, int64_t j, bool claim) {
        uint64_t h = (uint64_t) i * 0x9E3779B97F4A7C15ULL ^ ((uint64_t) j * 0xC2B2AE3D27D4EB4FULL);
        h ^= h >> 31;
        size_t mask = slots_.size() - 1;
        for (size_t s = (size_t) h & mask;; s = (s + 1) & mask) {
            Slot &slot = slots_[s];
            if (slot.head != none) {
                if (slot.i == i && slot.j == j)
                    return slot;
                continue;
            }
            if (!claim)
                return empty_;
            slot.i = i;
            slot.j = j;
            return slot;
        }
    }

    double cell_;
    std::vector<size_t> next_;
    std::vector<Slot> slots_;
    Slot empty_{0, 0, none};
};

}  // namespace

bool grid_usable(const std::vector<Vec2> &pts, double eps) {
    if (!(eps > 0) || !std::isfinite(eps))
        return false;
    const double limit = 4e18 * 2 * eps;
    for (Vec2 p : pts)
        if (!(std::fabs(p.x) < limit && std::fabs(p.y) < limit))
            return false;
    return true;
}

std::vector<size_t> first_of_each_group(const std::vector<Vec2> &pts, double eps) {
    Grid grid(eps, pts.size());
    std::vector<size_t> kept;
    for (size_t i = 0; i < pts.size(); ++i) {
        Vec2 p = pts[i];
        if (grid.any_near(p, [&](size_t q) { return tolerant_equal(p, pts[q], eps); }))
            continue;
        grid.insert(p, i);
        kept.push_back(i);
    }
    return kept;
}

std::vector<size_t> points_without_twin(const std::vector<Vec2> &pts, double eps) {
    Grid grid(eps, pts.size());
    for (size_t i = 0; i < pts.size(); ++i)
        grid.insert(pts[i], i);
    std::vector<size_t> alone;
    for (size_t i = 0; i < pts.size(); ++i) {
        Vec2 p = pts[i];
        if (!grid.any_near(p, [&](size_t q) { return q != i && tolerant_equal(p, pts[q], eps); }))
            alone.push_back(i);
    }
    return alone;
}

bool has_tolerant_pair(const std::vector<Vec2> &pts, double eps) {
    Grid grid(eps, pts.size());
    for (size_t i = 0; i < pts.size(); ++i) {
        Vec2 p = pts[i];
        if (grid.any_near(p, [&](size_t q) { return tolerant_equal(p, pts[q], eps); }))
            return true;
        grid.insert(p, i);
    }
    return false;
}

bool coordinates_below(const std::vector<Vec2> &pts, double limit) {
    for (Vec2 p : pts)
        if (!(std::fabs(p.x) < limit && std::fabs(p.y) < limit))
            return false;
    return true;
}

std::optional<std::pair<size_t, size_t>> closest_pair(const std::vector<Vec2> &pts) {
    const size_t n = pts.size();
    if (n < 2)
        return std::nullopt;
    auto dist = [&](size_t i, size_t j) {
        if (j < i)
            std::swap(i, j);
        double dx = pts[i].x - pts[j].x, dy = pts[i].y - pts[j].y;
        return std::sqrt(py_square(dx) + py_square(dy));
    };
    std::vector<size_t> order(n);
    std::iota(order.begin(), order.end(), size_t{0});
    std::stable_sort(order.begin(), order.end(), [&](size_t a, size_t b) { return pts[a].x < pts[b].x; });

    // Sweep in x; a pair is skipped only when one axis alone already puts it
    // beyond the best distance, with a margin far above rounding error so
    // that every pair at exactly the final best distance is measured (the
    // absolute margin covers differences whose squares underflow to zero).
    double best = std::numeric_limits<double>::infinity();
    std::pair<size_t, size_t> first_tie{n, n};
    for (size_t a = 0; a < n; ++a) {
        size_t i = order[a];
        for (size_t b = a + 1; b < n; ++b) {
            size_t j = order[b];
            double reach = best * (1 + 1e-9) + 1e-150;
            if (pts[j].x - pts[i].x > reach)
                break;
            if (std::fabs(pts[j].y - pts[i].y) > reach)
                continue;
            double d = dist(i, j);
            if (d < best) {
                best = d;
                first_tie = {n, n};
            }
            if (d == best)
                first_tie = std::min(first_tie, std::make_pair(std::min(i, j), std::max(i, j)));
        }
    }
    return first_tie;
}

}  // namespace geom
