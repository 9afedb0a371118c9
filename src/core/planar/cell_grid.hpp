// Tolerant duplicates among plane or solid points on a uniform hash grid, in
// expected linear time.  Each query gives exactly the answer of its pairwise
// definition: equality is tested with the points' own tolerant_equal (`<=`
// per axis), and the grid only narrows down which pairs are tested.  Used by
// point_set.cpp (Vec2) and point3_set.cpp (Vec3); callers pass finite
// coordinates only and check grid_fits first.
#pragma once

#include "core/basics/interrupt.hpp"
#include "core/basics/vec2.hpp"
#include "core/basics/vec3.hpp"

#include <array>
#include <cmath>
#include <cstdint>
#include <span>
#include <utility>
#include <vector>

namespace geom::grid {

inline std::array<double, 2> axes(Vec2 p) { return {p.x, p.y}; }
inline std::array<double, 3> axes(Vec3 p) { return {p.x, p.y, p.z}; }

// Cells twice as wide as eps: two equal points (|d| <= eps per axis) fall in
// the same or in neighbouring cells, whatever the rounding of v / cell: while
// |v| / cell is below 2^40 the rounding is far too small to matter, and
// beyond 2^52 two doubles that close are the same double.  Open addressing
// from cell to the head of a chain of point indices, so that indexing n
// points costs flat arrays and no allocation per cell.
template <size_t D>
class CellGrid {
    static_assert(D == 2 || D == 3);

public:
    using Key = std::array<int64_t, D>;

    CellGrid(double eps, size_t n) : cell_(2 * eps), next_(n, none) {
        size_t capacity = 16;
        while (capacity < 2 * n)
            capacity *= 2;
        slots_.assign(capacity, Slot{});
    }

    void insert(const std::array<double, D> &p, size_t index) {
        Slot &slot = find(key(p), true);
        next_[index] = slot.head;
        slot.head = index;
    }

    // Calls f(index) for every indexed point in the 3^D cells around p;
    // stops and returns true as soon as f does.
    template <class F>
    bool any_near(const std::array<double, D> &p, F &&f) {
        const Key c = key(p);
        auto chain = [&](const Key &k) {
            for (size_t q = find(k, false).head; q != none; q = next_[q])
                if (f(q))
                    return true;
            return false;
        };
        for (int64_t di = -1; di <= 1; ++di)
            for (int64_t dj = -1; dj <= 1; ++dj) {
                if constexpr (D == 2) {
                    if (chain({c[0] + di, c[1] + dj}))
                        return true;
                } else {
                    for (int64_t dk = -1; dk <= 1; ++dk)
                        if (chain({c[0] + di, c[1] + dj, c[2] + dk}))
                            return true;
                }
            }
        return false;
    }

private:
    static constexpr size_t none = ~size_t{0};
    struct Slot {
        Key k{};
        size_t head = none;  // none: the slot is free
    };

    // Spelled out: std::array's == is measurably slower on this hot path.
    static bool same(const Key &a, const Key &b) {
        if constexpr (D == 2)
            return a[0] == b[0] && a[1] == b[1];
        else
            return a[0] == b[0] && a[1] == b[1] && a[2] == b[2];
    }

    Key key(const std::array<double, D> &p) const {
        Key k;
        for (size_t a = 0; a < D; ++a)
            k[a] = (int64_t) std::floor(p[a] / cell_);
        return k;
    }

    // The slot of cell k.  Slots are never freed, so a probe that meets a
    // free slot has passed every place the cell could be: an absent cell is
    // then claimed (`claim`) or answered by an empty chain.  One cell at most
    // is claimed per inserted point: the table stays under half full.
    Slot &find(const Key &k, bool claim) {
        uint64_t h = (uint64_t) k[0] * 0x9E3779B97F4A7C15ULL ^ ((uint64_t) k[1] * 0xC2B2AE3D27D4EB4FULL);
        if constexpr (D == 3)
            h ^= (uint64_t) k[2] * 0x165667B19E3779F9ULL;
        h ^= h >> 31;
        size_t mask = slots_.size() - 1;
        for (size_t s = (size_t) h & mask;; s = (s + 1) & mask) {
            Slot &slot = slots_[s];
            if (slot.head != none) {
                if (same(slot.k, k))
                    return slot;
                continue;
            }
            if (!claim)
                return empty_;
            slot.k = k;
            return slot;
        }
    }

    double cell_;
    std::vector<size_t> next_;
    std::vector<Slot> slots_;
    Slot empty_{};
};

// From a pair of 64-bit keys to the first index filed under it: open
// addressing over flat arrays, kept at most half full for n keys.
class FirstOf {
public:
    explicit FirstOf(size_t n) {
        size_t capacity = 16;
        while (capacity < 2 * n)
            capacity *= 2;
        slots_.assign(capacity, Slot{});
    }
    static constexpr uint32_t none = UINT32_MAX;

    // The index filed under (a, b) first, after filing `index` if none was.
    uint32_t file(uint64_t a, uint64_t b, uint32_t index) {
        Slot &slot = slot_of(a, b);
        if (slot.index == none)
            slot = {a, b, index};
        return slot.index;
    }
    // The index filed under (a, b), or none.
    uint32_t find(uint64_t a, uint64_t b) { return slot_of(a, b).index; }

private:
    struct Slot;
    Slot &slot_of(uint64_t a, uint64_t b) {
        uint64_t h = a * 0x9E3779B97F4A7C15ULL ^ (b * 0xC2B2AE3D27D4EB4FULL);
        h ^= h >> 31;
        const size_t mask = slots_.size() - 1;
        for (size_t s = static_cast<size_t>(h) & mask;; s = (s + 1) & mask) {
            Slot &slot = slots_[s];
            if (slot.index == none || (slot.a == a && slot.b == b))
                return slot;
        }
    }
    struct Slot {
        uint64_t a = 0, b = 0;
        uint32_t index = none;
    };
    std::vector<Slot> slots_;
};

template <class P>
using GridOf = CellGrid<std::tuple_size_v<decltype(axes(std::declval<P>()))>>;

// Whether the grid can index these points at tolerance eps: eps positive and
// finite, and every coordinate divided by the cell size within 64-bit range.
template <class P>
bool grid_fits(std::span<const P> pts, double eps) {
    if (!(eps > 0) || !std::isfinite(eps))
        return false;
    const double limit = 4e18 * 2 * eps;
    for (const P &p : pts)
        for (double v : axes(p))
            if (!(std::fabs(v) < limit))
                return false;
    return true;
}

// Positions of the points kept when each point is dropped if it equals a
// point kept before it (the first of each group stays; input order).
template <class P>
std::vector<size_t> first_of_each_group(std::span<const P> pts, double eps, const Interrupt &stop = {}) {
    GridOf<P> grid(eps, pts.size());
    std::vector<size_t> kept;
    for (size_t i = 0; i < pts.size(); ++i) {
        stop.tick();
        P p = pts[i];
        if (grid.any_near(axes(p), [&](size_t q) { return tolerant_equal(p, pts[q], eps); }))
            continue;
        grid.insert(axes(p), i);
        kept.push_back(i);
    }
    return kept;
}

// Positions of the points equal to no other point of the list.
template <class P>
std::vector<size_t> points_without_twin(std::span<const P> pts, double eps, const Interrupt &stop = {}) {
    GridOf<P> grid(eps, pts.size());
    for (size_t i = 0; i < pts.size(); ++i) {
        stop.tick();
        grid.insert(axes(pts[i]), i);
    }
    std::vector<size_t> alone;
    for (size_t i = 0; i < pts.size(); ++i) {
        stop.tick();
        P p = pts[i];
        if (!grid.any_near(axes(p), [&](size_t q) { return q != i && tolerant_equal(p, pts[q], eps); }))
            alone.push_back(i);
    }
    return alone;
}

// Whether some two points of the list are equal.
template <class P>
bool has_tolerant_pair(std::span<const P> pts, double eps, const Interrupt &stop = {}) {
    GridOf<P> grid(eps, pts.size());
    for (size_t i = 0; i < pts.size(); ++i) {
        stop.tick();
        P p = pts[i];
        if (grid.any_near(axes(p), [&](size_t q) { return tolerant_equal(p, pts[q], eps); }))
            return true;
        grid.insert(axes(p), i);
    }
    return false;
}

// Calls f(q, i), q < i, for every pair of points that may lie within
// `reach` of each other on every axis (a superset: f tests the pair itself).
// False, and no call, when the grid cannot index the points.
template <class P, class F>
bool for_near_pairs(std::span<const P> pts, double reach, F &&f, const Interrupt &stop = {}) {
    if (!grid_fits(pts, reach))
        return false;
    GridOf<P> grid(reach, pts.size());
    for (size_t i = 0; i < pts.size(); ++i) {
        stop.tick();
        grid.any_near(axes(pts[i]), [&](size_t q) {
            f(q, i);
            return false;
        });
        grid.insert(axes(pts[i]), i);
    }
    return true;
}

}  // namespace geom::grid
