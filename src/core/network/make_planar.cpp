// The pieces of a split network made planar: cut again wherever they cross,
// and routed through every node they pass within the join distance of.
//
// The split joins crossings into nodes by distance and lays each piece
// straight between its two nodes, so where several walls nearly meet (a
// column, a junction drawn by hand, a wall drawn twice) pieces can end up
// crossing one another, or passing a node of another piece so closely that
// the walks take them to touch it.  Each round here finds those places, cuts
// the pieces there, and joins the nodes that the cuts bring within the join
// rule of one another (the first node of each group keeps its place), until
// a round finds nothing.  A network that needs no cut comes back exactly as
// it was.
#include "core/network/joined_points.hpp"
#include "core/basics/line_segment_ray.hpp"
#include "core/network/split.hpp"
#include "core/network/segment_network.hpp"
#include "core/planar/union_find.hpp"

#include <algorithm>
#include <limits>
#include <cmath>
#include <optional>
#include <unordered_set>

namespace geom {

namespace {

// Rounds of cutting and joining before giving up; every plan seen settles
// in a few.
constexpr int most_rounds = 64;
// Rounds that route pieces through the nodes they pass; later ones join such
// nodes to the piece's nearer end.
constexpr int route_rounds = 8;

struct Cut {
    std::uint32_t piece, node;
    bool crossing = false;  // at a node made where two pieces cross
};

// Whether a-b and c-d cross at a point inside both: their ends on strictly
// opposite sides of each other.  Touches and overlaps are found as nodes
// near a piece instead.
bool cross_inside(Vec2 a, Vec2 b, Vec2 c, Vec2 d) {
    double o1 = cross(b - a, c - a), o2 = cross(b - a, d - a);
    double o3 = cross(d - c, a - c), o4 = cross(d - c, b - c);
    return ((o1 > 0 && o2 < 0) || (o1 < 0 && o2 > 0)) && ((o3 > 0 && o4 < 0) || (o3 < 0 && o4 > 0));
}

// The point of a-b nearest to p.
Vec2 nearest_on(Vec2 a, Vec2 b, Vec2 p) {
    Vec2 d = b - a;
    double l2 = dot(d, d);
    double t = l2 > 0 ? std::clamp(dot(p - a, d) / l2, 0.0, 1.0) : 0.0;
    return a + d * t;
}

// Calls f(i, j), i < j, for the pairs of boxes that meet once widened by
// `reach`, with at least one of the two marked in `dirty`: a sweep along x
// in which every box scans the dirty boxes still open, and a dirty box the
// others too.  Rounds after the first look only at what the round before
// changed.
template <class F>
void pairs_with_dirty(std::span<const Box> boxes, std::span<const char> dirty, double reach, const Interrupt &stop,
                      F &&f) {
    std::vector<std::uint32_t> order;
    for (std::size_t i = 0; i < boxes.size(); ++i)
        if (!std::isnan(boxes[i].min_x) && !std::isnan(boxes[i].max_x))
            order.push_back(static_cast<std::uint32_t>(i));
    std::sort(order.begin(), order.end(), [&](std::uint32_t a, std::uint32_t b) {
        return boxes[a].min_x < boxes[b].min_x || (boxes[a].min_x == boxes[b].min_x && a < b);
    });
    auto meet = [&](const Box &a, const Box &b) {
        return a.min_x - reach <= b.max_x + reach && b.min_x - reach <= a.max_x + reach &&
               a.min_y - reach <= b.max_y + reach && b.min_y - reach <= a.max_y + reach;
    };
    std::vector<std::uint32_t> open_dirty, open_clean;
    // Pairs `i` with the open boxes of `open`, dropping those it has passed.
    auto scan = [&](std::vector<std::uint32_t> &open, std::uint32_t i) {
        const Box &b = boxes[i];
        std::size_t kept = 0;
        for (std::uint32_t o : open) {
            stop.tick();
            if (boxes[o].max_x + reach < b.min_x - reach)
                continue;
            open[kept++] = o;
            if (meet(boxes[o], b))
                f(std::min(o, i), std::max(o, i));
        }
        open.resize(kept);
    };
    for (std::uint32_t i : order) {
        scan(open_dirty, i);
        if (dirty[i]) {
            scan(open_clean, i);
            open_dirty.push_back(i);
        } else {
            open_clean.push_back(i);
        }
    }
}

// Nodes on a uniform grid, and the nodes a piece passes near found through
// the cells its stretch (widened by the reach) covers, column by column: a
// long piece through a crowd of nodes meets only those near its own line,
// not every node inside its box.
class NodeGrid {
public:
    // Cells of `cell` (> 0) over the nodes marked in `use`.
    NodeGrid(const std::vector<Vec2> &nodes, std::span<const char> use, double cell) : nodes_(nodes), cell_(cell) {
        for (std::size_t k = 0; k < nodes.size(); ++k)
            if (use[k] && is_finite(nodes[k])) {
                if (keyed_.empty()) {
                    ox_ = nodes[k].x;
                    oy_ = nodes[k].y;
                }
                ox_ = std::min(ox_, nodes[k].x);
                oy_ = std::min(oy_, nodes[k].y);
                keyed_.push_back({0, 0, static_cast<std::uint32_t>(k)});
            }
        for (Keyed &e : keyed_) {
            e.cx = column(nodes[e.node].x);
            e.cy = row(nodes[e.node].y);
        }
        std::sort(keyed_.begin(), keyed_.end(), [](const Keyed &a, const Keyed &b) {
            return a.cx < b.cx || (a.cx == b.cx && (a.cy < b.cy || (a.cy == b.cy && a.node < b.node)));
        });
        // The columns that hold nodes, each with its stretch of `keyed_` and
        // the heights of its nodes.
        for (std::size_t k = 0; k < keyed_.size(); ++k) {
            double y = nodes[keyed_[k].node].y;
            if (k == 0 || keyed_[k].cx != keyed_[k - 1].cx)
                columns_.push_back({keyed_[k].cx, static_cast<std::uint32_t>(k), 0, y, y});
            Column &c = columns_.back();
            c.end = static_cast<std::uint32_t>(k + 1);
            c.lo_y = std::min(c.lo_y, y);
            c.hi_y = std::max(c.hi_y, y);
        }
    }
    bool empty() const { return keyed_.empty(); }

    // Calls f(node) for every node within `reach` of the box of a-b's part
    // in each column it crosses, each once.
    template <class F>
    void near_piece(Vec2 a, Vec2 b, double reach, const Interrupt &stop, F &&f) const {
        if (keyed_.empty() || !is_finite(a) || !is_finite(b))
            return;
        Vec2 d = b - a;
        std::int64_t c0 = column(std::min(a.x, b.x) - reach), c1 = column(std::max(a.x, b.x) + reach);
        auto col = std::lower_bound(columns_.begin(), columns_.end(), c0,
                                    [](const Column &c, std::int64_t key) { return c.cx < key; });
        for (; col != columns_.end() && col->cx <= c1; ++col) {
            stop.tick();
            const std::int64_t c = col->cx;
            // The y-range of the piece over this column, widened by the reach.
            double t0 = 0, t1 = 1;
            if (d.x != 0) {
                double x0 = ox_ + static_cast<double>(c) * cell_ - reach, x1 = x0 + cell_ + 2 * reach;
                double u = (x0 - a.x) / d.x, v = (x1 - a.x) / d.x;
                t0 = std::max(0.0, std::min(u, v));
                t1 = std::min(1.0, std::max(u, v));
                if (!(t0 <= t1))
                    continue;
            }
            double ya = a.y + t0 * d.y, yb = a.y + t1 * d.y;
            double lo = std::min(ya, yb) - reach, hi = std::max(ya, yb) + reach;
            if (hi < col->lo_y || lo > col->hi_y)
                continue;
            std::int64_t r0 = row(lo), r1 = row(hi);
            auto first = keyed_.begin() + col->begin, last = keyed_.begin() + col->end;
            auto it = std::lower_bound(first, last, r0, [](const Keyed &e, std::int64_t key) { return e.cy < key; });
            for (; it != last && it->cy <= r1; ++it) {
                stop.tick();
                f(it->node);
            }
        }
    }

private:
    struct Keyed {
        std::int64_t cx, cy;
        std::uint32_t node;
    };
    std::int64_t column(double x) const { return static_cast<std::int64_t>(std::floor((x - ox_) / cell_)); }
    std::int64_t row(double y) const { return static_cast<std::int64_t>(std::floor((y - oy_) / cell_)); }

    const std::vector<Vec2> &nodes_;
    double cell_, ox_ = 0, oy_ = 0;
    std::vector<Keyed> keyed_;
    struct Column {
        std::int64_t cx;
        std::uint32_t begin, end;
        double lo_y, hi_y;
    };
    std::vector<Column> columns_;
};

// The cells of the node grid: as wide as the median piece, but never
// narrower than a few reaches, nor so narrow that the cell numbers of the
// nodes' spread would not fit.
double grid_cell(const NetworkSplit &net, double reach) {
    std::vector<double> extent;
    extent.reserve(net.pieces.size());
    double lo_x = INFINITY, hi_x = -INFINITY, lo_y = INFINITY, hi_y = -INFINITY;
    for (const SplitPiece &p : net.pieces) {
        Vec2 a = net.nodes[p.start], b = net.nodes[p.end];
        if (!is_finite(a) || !is_finite(b))
            continue;
        extent.push_back(std::max(std::fabs(b.x - a.x), std::fabs(b.y - a.y)));
        lo_x = std::min({lo_x, a.x, b.x});
        hi_x = std::max({hi_x, a.x, b.x});
        lo_y = std::min({lo_y, a.y, b.y});
        hi_y = std::max({hi_y, a.y, b.y});
    }
    double cell = 4 * reach;
    if (!extent.empty()) {
        std::nth_element(extent.begin(), extent.begin() + static_cast<std::ptrdiff_t>(extent.size() / 2), extent.end());
        cell = std::max(cell, extent[extent.size() / 2]);
        cell = std::max(cell, std::max(hi_x - lo_x, hi_y - lo_y) * 0x1p-40);
    }
    return std::isfinite(cell) && cell > 0 ? cell : 1.0;
}

// The cuts a round calls for: crossings of two pieces (a new node each) and
// nodes a piece passes within node_join of.  Only pairs with a piece or a
// node marked in `dirty` (pieces first, then nodes) are looked at, or all
// when it is empty.  A piece whose cut is put off to the next round is
// marked in `again`.
std::vector<Cut> find_cuts(NetworkSplit &net, std::span<const char> dirty, std::vector<char> &again,
                           double flat_eps, const Interrupt &stop) {
    const std::size_t n_pieces = net.pieces.size(), n_nodes = net.nodes.size();
    const bool all = dirty.empty();
    auto dirty_piece = [&](std::size_t p) { return all || dirty[p]; };
    auto dirty_node = [&](std::size_t k) { return all || dirty[n_pieces + k]; };
    std::vector<Box> boxes(n_pieces);
    for (std::size_t p = 0; p < n_pieces; ++p)
        boxes[p] = segment_bound(net.nodes[net.pieces[p].start], net.nodes[net.pieces[p].end]);
    again.assign(n_pieces, 0);
    std::vector<Cut> cuts;
    const double reach = joined_reach(flat_eps);

    // Nodes near pieces: every piece past the nodes in question, a piece
    // that changed past every node.
    std::vector<char> used(n_nodes, 0), fresh(n_nodes, 0);
    for (const SplitPiece &p : net.pieces)
        used[p.start] = used[p.end] = 1;
    for (std::size_t k = 0; k < n_nodes; ++k)
        fresh[k] = used[k] && dirty_node(k);
    const double cell = grid_cell(net, reach);
    NodeGrid every(net.nodes, used, cell);
    std::optional<NodeGrid> changed;
    if (!all)
        changed.emplace(net.nodes, fresh, cell);
    // The three nodes of each piece cut at a node: a piece of the same three
    // is not cut in the same round.  Two pieces from one node, each passing
    // close to the other's far end, would otherwise each be routed through
    // the other's end and make the same two pieces again.
    std::unordered_set<std::uint64_t> triangles;
    auto triangle = [](std::uint32_t a, std::uint32_t b, std::uint32_t c) {
        std::uint32_t v[3] = {a, b, c};
        std::sort(v, v + 3);
        return (std::uint64_t(v[0]) * 0x9E3779B97F4A7C15ULL) ^ (std::uint64_t(v[1]) << 32) ^ v[2] ^
               (std::uint64_t(v[2]) << 17);
    };
    for (std::size_t i = 0; i < n_pieces; ++i) {
        const SplitPiece &p = net.pieces[i];
        Vec2 a = net.nodes[p.start], b = net.nodes[p.end];
        const NodeGrid *grid = dirty_piece(i) ? &every : (changed && !changed->empty() ? &*changed : nullptr);
        if (!grid)
            continue;
        grid->near_piece(a, b, reach, stop, [&](std::uint32_t k) {
            if (k == p.start || k == p.end)
                return;
            Vec2 v = net.nodes[k];
            // The nearest point lies in the piece's box (up to its
            // rounding): a node farther from the box on either axis is not
            // within the join.
            double slack = node_join + 8 * std::numeric_limits<double>::epsilon() * (std::fabs(v.x) + std::fabs(v.y));
            if (!in_box(boxes[i], v, slack) || !within_node_join(v, nearest_on(a, b, v)))
                return;
            if (triangles.insert(triangle(p.start, p.end, k)).second)
                cuts.push_back({static_cast<std::uint32_t>(i), k});
            else
                again[i] = 1;
        });
    }

    // Pieces that cross.
    auto pair = [&](std::size_t i, std::size_t j) {
        stop.tick();
        const SplitPiece &p = net.pieces[i], &q = net.pieces[j];
        if (p.start == q.start || p.start == q.end || p.end == q.start || p.end == q.end)
            return;
        Vec2 a = net.nodes[p.start], b = net.nodes[p.end], c = net.nodes[q.start], d = net.nodes[q.end];
        if (!cross_inside(a, b, c, d))
            return;
        double t = cross(c - a, d - c) / cross(b - a, d - c);
        Vec2 x = a + (b - a) * std::clamp(t, 0.0, 1.0);
        if (!is_finite(x))
            return;
        auto k = static_cast<std::uint32_t>(net.nodes.size());
        net.nodes.push_back(x);
        cuts.push_back({static_cast<std::uint32_t>(i), k, true});
        cuts.push_back({static_cast<std::uint32_t>(j), k, true});
    };
    std::size_t n_dirty = 0;
    for (std::size_t i = 0; i < n_pieces; ++i)
        n_dirty += dirty_piece(i);
    if (8 * n_dirty > n_pieces) {
        for (auto [i, j] : overlapping_pairs(boxes, 0.0, stop))
            if (dirty_piece(i) || dirty_piece(j))
                pair(i, j);
    } else if (n_dirty) {
        pairs_with_dirty(boxes, dirty.first(n_pieces), 0.0, stop, pair);
    }
    return cuts;
}

// Each cut piece replaced, in its place, by the chain through its cuts in
// order along it; `changed` marks the pieces made, and keeps the marks of
// those not cut.
void apply_cuts(NetworkSplit &net, std::vector<Cut> &cuts, std::vector<char> &changed) {
    std::sort(cuts.begin(), cuts.end(),
              [](const Cut &a, const Cut &b) { return a.piece < b.piece || (a.piece == b.piece && a.node < b.node); });
    std::vector<SplitPiece> out;
    std::vector<char> out_changed;
    out.reserve(net.pieces.size() + cuts.size());
    out_changed.reserve(net.pieces.size() + cuts.size());
    std::vector<std::pair<double, std::uint32_t>> along;
    std::size_t c = 0;
    for (std::size_t p = 0; p < net.pieces.size(); ++p) {
        SplitPiece piece = net.pieces[p];
        if (c == cuts.size() || cuts[c].piece != p) {
            out.push_back(piece);
            out_changed.push_back(changed[p]);
            continue;
        }
        Vec2 a = net.nodes[piece.start], d = net.nodes[piece.end] - a;
        along.clear();
        for (; c < cuts.size() && cuts[c].piece == p; ++c)
            along.emplace_back(dot(net.nodes[cuts[c].node] - a, d), cuts[c].node);
        std::sort(along.begin(), along.end());
        std::uint32_t from = piece.start;
        for (auto &[s, k] : along) {
            if (k == from)
                continue;
            out.push_back({from, k});
            out_changed.push_back(1);
            from = k;
        }
        out.push_back({from, piece.end});
        out_changed.push_back(1);
    }
    net.pieces = std::move(out);
    changed = std::move(out_changed);
}

// Nodes joined under the walks' rule become their group's first node, and
// so do the pairs in `also`; pieces that then have one node at both ends, or
// repeat an earlier piece, are left out.  `changed` follows the pieces and
// marks those given a new end; `moved` marks the nodes that took in others.
void join_nodes(NetworkSplit &net, double flat_eps, std::span<const std::pair<std::uint32_t, std::uint32_t>> also,
                std::vector<char> &changed, std::vector<char> &moved, const Interrupt &stop) {
    Groups g(net.nodes.size());
    join_points(net.nodes, flat_eps, g, stop);
    for (auto [a, b] : also)
        g.join(a, b);
    moved.assign(net.nodes.size(), 0);
    for (std::size_t k = 0; k < net.nodes.size(); ++k)
        if (std::uint32_t lead = g.find(static_cast<std::uint32_t>(k)); lead != k)
            moved[lead] = 1;
    std::unordered_set<std::uint64_t> seen;
    std::vector<SplitPiece> out;
    std::vector<char> out_changed;
    out.reserve(net.pieces.size());
    for (std::size_t i = 0; i < net.pieces.size(); ++i) {
        SplitPiece p = net.pieces[i];
        p.start = g.find(p.start);
        p.end = g.find(p.end);
        if (p.start == p.end)
            continue;
        std::uint64_t key = (std::uint64_t(std::min(p.start, p.end)) << 32) | std::max(p.start, p.end);
        if (!seen.insert(key).second)
            continue;
        out_changed.push_back(changed[i] || p.start != net.pieces[i].start || p.end != net.pieces[i].end);
        out.push_back(p);
    }
    net.pieces = std::move(out);
    changed = std::move(out_changed);
}

}  // namespace

bool make_planar(NetworkSplit &net, double flat_eps, const Interrupt &stop) {
    std::vector<char> dirty, again, changed, moved;
    // The first round: every node against every piece, and crossings looked
    // for only where a piece is bent off its segment.
    if (net.loose.size() == net.nodes.size()) {
        dirty.assign(net.pieces.size() + net.nodes.size(), 1);
        for (std::size_t i = 0; i < net.pieces.size(); ++i)
            dirty[i] = net.loose[net.pieces[i].start] || net.loose[net.pieces[i].end];
    }
    for (int round = 0; round < most_rounds; ++round) {
        std::size_t old_nodes = net.nodes.size();
        std::vector<Cut> cuts = find_cuts(net, dirty, again, flat_eps, stop);
        // A piece no longer than the point tolerance has no direction for
        // the walks to turn by: its two nodes become one.
        std::vector<std::pair<std::uint32_t, std::uint32_t>> also;
        for (const SplitPiece &p : net.pieces)
            if (std::fabs(magnitude(net.nodes[p.end] - net.nodes[p.start])) <= flat_eps)
                also.emplace_back(p.start, p.end);
        if (cuts.empty() && also.empty() && std::find(again.begin(), again.end(), 1) == again.end())
            return true;
        // Late rounds join a node passed that closely to the nearer end of
        // the piece instead: routing a piece through a node can bring
        // another near, but nodes only ever become fewer this way.
        if (round >= route_rounds)
            std::erase_if(cuts, [&](const Cut &c) {
                if (c.crossing)
                    return false;
                const SplitPiece &p = net.pieces[c.piece];
                Vec2 v = net.nodes[c.node];
                Vec2 a = net.nodes[p.start], b = net.nodes[p.end];
                also.emplace_back(c.node, dot(v - a, v - a) <= dot(v - b, v - b) ? p.start : p.end);
                return true;
            });
        changed = std::move(again);
        apply_cuts(net, cuts, changed);
        join_nodes(net, flat_eps, also, changed, moved, stop);
        // What the next round looks at: the pieces made or given a new end,
        // those put off, the nodes made and those that took in others.
        dirty = std::move(changed);
        dirty.resize(net.pieces.size() + net.nodes.size(), 0);
        for (std::size_t k = 0; k < net.nodes.size(); ++k)
            if (k >= old_nodes || moved[k])
                dirty[net.pieces.size() + k] = 1;
    }
    return false;
}

}  // namespace geom
