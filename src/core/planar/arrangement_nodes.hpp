// The node index and the clustering of the planar arrangement: the working
// parts that noding (arrangement.cpp) and the region (arrangement_region.cpp)
// share.  Internal to the arrangement: include arrangement.hpp elsewhere.
#pragma once

#include "core/planar/arrangement.hpp"
#include "core/planar/radix_order.hpp"
#include "core/planar/scratch.hpp"
#include "core/planar/union_find.hpp"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstring>
#include <span>
#include <utility>

namespace geom::arrangement::detail {

inline constexpr std::uint32_t none = ~std::uint32_t{0};

inline double squared_distance(Vec2 a, Vec2 b) {
    double dx = a.x - b.x, dy = a.y - b.y;
    return dx * dx + dy * dy;
}

// Squared distance from p to the segment a-b, and where its foot lies along
// it (0 at a, 1 at b, clamped).
inline double squared_distance_to_segment(Vec2 a, Vec2 b, Vec2 p, double &t) {
    Vec2 d = b - a;
    double len2 = dot(d, d);
    t = len2 > 0 ? std::clamp(dot(p - a, d) / len2, 0.0, 1.0) : 0.0;
    return squared_distance(p, a + d * t);
}

inline std::int64_t bits(double v) {
    if (v == 0)
        v = 0;  // -0.0 and 0.0 are one key
    std::int64_t b;
    std::memcpy(&b, &v, sizeof b);
    return b;
}

// Points within `snap` of one another, found through cells sixteen times
// `snap` wide, so that most points need only their own cell.  With snap 0,
// points with equal coordinates (the cell is the coordinate pair itself).
// Open addressing from a cell to the head of a chain of node numbers; a
// slot holds only the head, whose point tells the cell.
class NodeIndex {
public:
    // Room for about `expected` points before the table grows.
    NodeIndex(double snap, std::size_t expected) : snap_(snap), snap2_(snap * snap), width_(16 * snap) {
        inverse_ = 1 / width_;
        if (!(inverse_ < INFINITY))
            inverse_ = 0;  // divide instead
        std::size_t capacity = 64;
        while (capacity < 2 * expected)
            capacity *= 2;
        slots_.resize(capacity);
        next_.reserve(expected);
    }

    // Calls f(q) for every indexed q whose point pts[q] lies within snap of
    // p.  `pts` holds the points of all numbers indexed.
    template <class F>
    void near(std::span<const Vec2> pts, Vec2 p, F &&f) const {
        if (snap_ <= 0) {
            for (std::uint32_t q = head(pts, key(p)); q != none; q = next_[q])
                f(q);  // the cell is the point
            return;
        }
        Key lo = key({p.x - snap_, p.y - snap_}), hi = key({p.x + snap_, p.y + snap_});
        for (std::int64_t i = lo.x; i <= hi.x; ++i)
            for (std::int64_t j = lo.y; j <= hi.y; ++j)
                for (std::uint32_t q = head(pts, {i, j}); q != none; q = next_[q])
                    if (squared_distance(pts[q], p) <= snap2_)
                        f(q);
    }

    // Indexes number q at its point pts[q].
    void insert(std::span<const Vec2> pts, std::uint32_t q) {
        if (next_.size() <= q)
            next_.resize(q + 1, none);
        if (2 * (used_ + 1) > slots_.size())
            grow(pts);
        Key k = key(pts[q]);
        Slot &slot = slots_[place(pts, k)];
        used_ += slot.head == none;
        next_[q] = slot.head;
        slot = {q, static_cast<std::uint32_t>(hash(k) >> 32)};
    }

private:
    struct Key {
        std::int64_t x, y;
        bool operator==(const Key &o) const { return x == o.x && y == o.y; }
    };

    Key key(Vec2 p) const {
        if (snap_ <= 0)
            return {bits(p.x), bits(p.y)};
        return {cell(p.x), cell(p.y)};
    }
    // Cells past +-2^62 are clamped: points there share a cell, and the
    // distance test still tells them apart.
    std::int64_t cell(double v) const {
        double c = std::clamp(std::floor(inverse_ > 0 ? v * inverse_ : v / width_), -0x1p62, 0x1p62);
        return static_cast<std::int64_t>(c);
    }
    static std::uint64_t hash(const Key &k) {
        // Cells in a row differ in their low bits only: mixed to spread.
        std::uint64_t h = static_cast<std::uint64_t>(k.x) * 0x9E3779B97F4A7C15ULL + static_cast<std::uint64_t>(k.y);
        h = (h ^ (h >> 31)) * 0xBF58476D1CE4E5B9ULL;
        h = (h ^ (h >> 27)) * 0x94D049BB133111EBULL;
        return h ^ (h >> 31);
    }
    // The slot of the cell, or the free slot where it would go.  A slot's
    // tag (the hash's high bits) spares most comparisons of cells.
    std::size_t place(std::span<const Vec2> pts, const Key &k) const {
        std::uint64_t h = hash(k);
        std::uint32_t tag = static_cast<std::uint32_t>(h >> 32);
        for (std::size_t i = h & (slots_.size() - 1);; i = (i + 1) & (slots_.size() - 1))
            if (slots_[i].head == none || (slots_[i].tag == tag && key(pts[slots_[i].head]) == k))
                return i;
    }
    std::uint32_t head(std::span<const Vec2> pts, const Key &k) const { return slots_[place(pts, k)].head; }
    void grow(std::span<const Vec2> pts) {
        scratch_vector<Slot> old(slots_.size() * 2);
        old.swap(slots_);
        for (const Slot &s : old)
            if (s.head != none)
                slots_[place(pts, key(pts[s.head]))] = s;
    }

    struct Slot {
        std::uint32_t head = none, tag = 0;
    };
    double snap_, snap2_, width_, inverse_;
    scratch_vector<Slot> slots_;
    std::size_t used_ = 0;
    scratch_vector<std::uint32_t> next_;
};

// How many points a window of the sweeps below may hold before they give
// way to the cells (points crowded on a line across the sweep).
inline constexpr std::size_t crowd = 64;

// Joins every two points within snap of each other: a sweep along x over
// the points in x order.  False, with nothing joined, when the points
// crowd.
inline bool join_near(std::span<const Vec2> points, const scratch_vector<std::uint32_t> &by_x, double snap, Groups &groups,
               const Interrupt &stop) {
    const double snap2 = snap * snap;
    scratch_vector<std::pair<std::uint32_t, std::uint32_t>> pairs;
    for (std::size_t k = 0, w = 0; k < by_x.size(); ++k) {
        stop.tick();
        Vec2 p = points[by_x[k]];
        while (points[by_x[w]].x < p.x - snap)
            ++w;
        if (k - w > crowd)
            return false;
        for (std::size_t m = w; m < k; ++m)
            if (squared_distance(points[by_x[m]], p) <= snap2)
                pairs.push_back({by_x[m], by_x[k]});
    }
    for (auto [a, b] : pairs)
        groups.join(a, b);
    return true;
}

// The nodes near a point: those of the first rounds by a binary search in
// their x order, later ones (and all, once they crowd) through cells.
class NearNodes {
public:
    NearNodes(double snap, scratch_vector<std::uint32_t> by_x)
        : snap_(snap), by_x_(std::move(by_x)), recent_(snap, 64) {}

    template <class F>
    void near(std::span<const Vec2> pts, Vec2 p, F &&f) {
        if (!crowded_) {
            auto at = std::lower_bound(by_x_.begin(), by_x_.end(), p.x - snap_,
                                       [&](std::uint32_t q, double x) { return pts[q].x < x; });
            std::size_t seen = 0;
            for (; at != by_x_.end() && pts[*at].x <= p.x + snap_; ++at)
                ++seen;
            if (seen <= crowd) {
                const double snap2 = snap_ * snap_;
                for (at -= static_cast<std::ptrdiff_t>(seen); seen > 0; --seen, ++at)
                    if (squared_distance(pts[*at], p) <= snap2)
                        f(*at);
            } else {
                crowded_ = true;  // all into the cells from here on
                for (std::uint32_t q : by_x_)
                    recent_.insert(pts, q);
                by_x_.clear();
            }
        }
        recent_.near(pts, p, f);
    }
    void insert(std::span<const Vec2> pts, std::uint32_t q) { recent_.insert(pts, q); }

private:
    double snap_;
    scratch_vector<std::uint32_t> by_x_;
    NodeIndex recent_;
    bool crowded_ = false;
};

}  // namespace geom::arrangement::detail
