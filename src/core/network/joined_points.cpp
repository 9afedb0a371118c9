#include "core/network/joined_points.hpp"

#include "core/planar/cell_grid.hpp"
#include "core/basics/rounding.hpp"
#include "core/network/segment_network.hpp"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <set>
#include <cstring>
#include <vector>

namespace geom {

namespace {

// Every pair the grid finds near, tested one by one: for rounding
// tolerances and coordinates the cell rule below does not cover.
void join_pairwise(std::span<const Vec2> at, std::span<const std::uint32_t> id, double flat_eps, Groups &g,
                   const Interrupt &stop) {
    grid::for_near_pairs(at, joined_reach(flat_eps), [&](std::size_t q, std::size_t i) {
        if (points_joined(at[q], at[i], flat_eps))
            g.join(id[q], id[i]);
    }, stop);
}

// Cells 2^-11 wide, a little narrower than node_join: a coordinate times
// 2^11 is exact, so two points of one cell lie less than a cell apart on
// each axis, and their rounded difference is at most a cell: they are
// joined.  Two joined points lie at most two cells apart on each axis.
constexpr double cell_scale = 2048.0;
// Beyond this the cell numbers no longer fit: the general path.
constexpr double fast_limit = 0x1p51;
// The least cell of the grid over rounded points: two different 3-decimal
// roundings lie at least this far apart up to 2^40, and a cell number of a
// coordinate below fast_limit fits.
constexpr double least_round_cell = 0x1p-11;

struct Cell {
    std::int64_t kx, ky;
    std::uint32_t begin, end;  // its points, in `order`
    double lo_x, hi_x, lo_y, hi_y;
};

std::uint64_t bits(double v) {
    v = v == 0 ? 0.0 : v;  // -0.0 is 0.0
    std::uint64_t b;
    std::memcpy(&b, &v, sizeof b);
    return b;
}

// The smallest difference a point of [alo, ahi] and one of [blo, bhi] can
// have, as the subtraction rounds it: the rounded difference only grows as
// the exact one does.
double least_gap(double alo, double ahi, double blo, double bhi) {
    if (bhi < alo)
        return alo - bhi;
    if (ahi < blo)
        return blo - ahi;
    return 0.0;
}

// Whether some point of `a` and some point of `b` are within node_join on
// both axes.  A sweep along x keeps the points less than node_join behind,
// by colour, ordered by y: a point of one colour has a partner when the
// nearest y of the other colour, above or below, is close enough.
bool any_pair_joined(std::span<const Vec2> at, std::span<const std::uint32_t> a, std::span<const std::uint32_t> b,
                     const Interrupt &stop) {
    if (a.size() * b.size() <= 256) {
        for (std::uint32_t i : a)
            for (std::uint32_t j : b)
                if (within_node_join(at[i], at[j]))
                    return true;
        return false;
    }
    struct Item {
        double x, y;
        int colour;
    };
    std::vector<Item> items;
    items.reserve(a.size() + b.size());
    for (std::uint32_t i : a)
        items.push_back({at[i].x, at[i].y, 0});
    for (std::uint32_t j : b)
        items.push_back({at[j].x, at[j].y, 1});
    std::sort(items.begin(), items.end(), [](const Item &p, const Item &q) { return p.x < q.x; });
    std::multiset<double> ys[2];
    std::size_t head = 0;
    for (std::size_t i = 0; i < items.size(); ++i) {
        stop.tick();
        const Item &p = items[i];
        for (; head < i && p.x - items[head].x > node_join; ++head)
            ys[items[head].colour].erase(ys[items[head].colour].find(items[head].y));
        const std::multiset<double> &other = ys[1 - p.colour];
        auto above = other.lower_bound(p.y);
        if (above != other.end() && *above - p.y <= node_join)
            return true;
        if (above != other.begin() && p.y - *std::prev(above) <= node_join)
            return true;
        ys[p.colour].insert(p.y);
    }
    return false;
}

}  // namespace

void join_points(std::span<const Vec2> points, double flat_eps, Groups &g, const Interrupt &stop) {
    std::vector<std::uint32_t> id;
    std::vector<Vec2> at;
    bool fast = std::isfinite(flat_eps) || std::isnan(flat_eps);
    for (std::size_t i = 0; i < points.size(); ++i)
        if (is_finite(points[i])) {
            id.push_back(static_cast<std::uint32_t>(i));
            at.push_back(points[i]);
            fast = fast && std::fabs(points[i].x) < fast_limit && std::fabs(points[i].y) < fast_limit;
        }
    if (!fast) {
        join_pairwise(at, id, flat_eps, g, stop);
        return;
    }
    const std::size_t n = at.size();

    // Rounding: points with one 3-decimal rounding are joined, through the
    // first of them; then distinct roundings within flat_eps of each other on
    // both axes, found on a grid at least as wide as the rounding step, so
    // that any tolerance costs a few neighbours per rounding.  A negative or
    // NaN tolerance matches nothing.
    if (flat_eps >= 0) {
        grid::FirstOf first_of(n);
        std::vector<Vec2> rounded;
        std::vector<std::uint32_t> rounded_first;
        for (std::size_t i = 0; i < n; ++i) {
            stop.tick();
            auto self = static_cast<std::uint32_t>(i);
            Vec2 r{round3(at[i].x), round3(at[i].y)};
            std::uint32_t first = first_of.file(bits(r.x), bits(r.y), self);
            if (first != self) {
                g.join(id[first], id[i]);
            } else if (is_finite(r)) {
                rounded.push_back(r);
                rounded_first.push_back(self);
            }
        }
        if (flat_eps > 0) {
            grid::GridOf<Vec2> near(std::max(flat_eps, least_round_cell), rounded.size());
            for (std::size_t k = 0; k < rounded.size(); ++k) {
                stop.tick();
                near.any_near(grid::axes(rounded[k]), [&](std::size_t q) {
                    if (tolerant_equal(rounded[q], rounded[k], flat_eps))
                        g.join(id[rounded_first[q]], id[rounded_first[k]]);
                    return false;
                });
                near.insert(grid::axes(rounded[k]), k);
            }
        }
    }

    // Nearness: every cell's points are joined; a cell and one up to two
    // cells away are joined when some point of each is.
    grid::FirstOf cell_of(n);
    std::vector<Cell> cells;
    std::vector<std::uint32_t> cell_index(n);
    for (std::size_t i = 0; i < n; ++i) {
        stop.tick();
        Vec2 p = at[i];
        std::int64_t kx = static_cast<std::int64_t>(std::floor(p.x * cell_scale));
        std::int64_t ky = static_cast<std::int64_t>(std::floor(p.y * cell_scale));
        auto fresh = static_cast<std::uint32_t>(cells.size());
        std::uint32_t cell = cell_of.file(static_cast<std::uint64_t>(kx), static_cast<std::uint64_t>(ky), fresh);
        if (cell == fresh) {
            cells.push_back({kx, ky, static_cast<std::uint32_t>(i), 0, p.x, p.x, p.y, p.y});
        } else {
            Cell &c = cells[cell];
            c.lo_x = std::min(c.lo_x, p.x);
            c.hi_x = std::max(c.hi_x, p.x);
            c.lo_y = std::min(c.lo_y, p.y);
            c.hi_y = std::max(c.hi_y, p.y);
            g.join(id[c.begin], id[i]);  // `begin` holds the cell's first point for now
        }
        cell_index[i] = cell;
        ++cells[cell].end;  // the count, for now
    }
    // Each cell's points together in `order`.
    std::vector<std::uint32_t> order(n);
    {
        std::uint32_t offset = 0;
        for (Cell &c : cells) {
            c.begin = offset;
            offset += c.end;
            c.end = c.begin;
        }
        for (std::size_t i = 0; i < n; ++i)
            order[cells[cell_index[i]].end++] = static_cast<std::uint32_t>(i);
    }
    stop.tick(n);

    auto members = [&](const Cell &c) {
        return std::span<const std::uint32_t>(order.data() + c.begin, c.end - c.begin);
    };
    auto meet = [&](const Cell &a, const Cell &b) {
        std::uint32_t pa = id[order[a.begin]], pb = id[order[b.begin]];
        if (g.find(pa) == g.find(pb))
            return;
        if (least_gap(a.lo_x, a.hi_x, b.lo_x, b.hi_x) > node_join ||
            least_gap(a.lo_y, a.hi_y, b.lo_y, b.hi_y) > node_join)
            return;
        bool all = std::max(a.hi_x, b.hi_x) - std::min(a.lo_x, b.lo_x) <= node_join &&
                   std::max(a.hi_y, b.hi_y) - std::min(a.lo_y, b.lo_y) <= node_join;
        if (all || any_pair_joined(at, members(a), members(b), stop))
            g.join(pa, pb);
    };
    // Each cell meets the cells up to two columns and rows away, each pair
    // once: those after it in columns kx to kx + 2, each column's stretch of
    // rows found by a cursor over the cells in order, which only moves
    // forward as the cells do.
    struct Key {
        std::int64_t kx, ky;
        std::uint32_t cell;
    };
    std::vector<Key> keys(cells.size());
    for (std::size_t c = 0; c < cells.size(); ++c)
        keys[c] = {cells[c].kx, cells[c].ky, static_cast<std::uint32_t>(c)};
    auto before = [](std::int64_t ax, std::int64_t ay, std::int64_t bx, std::int64_t by) {
        return ax < bx || (ax == bx && ay < by);
    };
    std::sort(keys.begin(), keys.end(), [&](const Key &p, const Key &q) { return before(p.kx, p.ky, q.kx, q.ky); });
    stop.tick(keys.size());
    std::size_t cursor[3] = {0, 0, 0};
    for (const Key &a : keys) {
        stop.tick();
        for (int dx = 0; dx <= 2; ++dx) {
            std::int64_t col = a.kx + dx, row_lo = dx == 0 ? a.ky + 1 : a.ky - 2, row_hi = a.ky + 2;
            std::size_t &k = cursor[dx];
            while (k < keys.size() && before(keys[k].kx, keys[k].ky, col, row_lo))
                ++k;
            for (std::size_t m = k; m < keys.size() && keys[m].kx == col && keys[m].ky <= row_hi; ++m)
                meet(cells[a.cell], cells[keys[m].cell]);
        }
    }
}

}  // namespace geom
