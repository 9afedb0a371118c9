// Noding: the rounds of crossing and routing that cut the segments into
// pieces meeting only at their ends, and the links that merge the pieces
// lying on each other.
#include "core/planar/arrangement.hpp"

#include "core/planar/arrangement_nodes.hpp"
#include "core/planar/exact_predicates.hpp"
#include "core/planar/pair_map.hpp"
#include "core/planar/scratch.hpp"
#include "core/basics/line_segment_ray.hpp"
#include "core/planar/union_find.hpp"

#include <algorithm>
#include <cmath>
#include <limits>
#include <utility>

namespace geom::arrangement {

using namespace detail;

namespace {

// Rounds of crossing and routing before the arrangement is called settled.
constexpr int max_rounds = 16;

// Calls f(i, j), i < j, for every pair of boxes that overlap once widened by
// `reach` and, if `fresh_only`, of which one at least is marked in `fresh`
// (boxes with a NaN side meet none): a sweep along x over the boxes ordered
// by their left side, with lists of the fresh and of the other boxes still
// open.
template <class F>
void overlapping(const scratch_vector<Box> &boxes, const scratch_vector<char> &fresh, double reach, bool fresh_only,
                 const Interrupt &stop, F &&f) {
    // An open box with its sides widened, kept at hand for the scans.
    struct Open {
        double right, low, high;
        std::uint32_t box;
    };
    scratch_vector<Open> open[2];  // the fresh ones, the others
    for (std::uint32_t i : ordered_by(boxes.size(), [&](std::uint32_t k) { return boxes[k].min_x; })) {
        const Box &b = boxes[i];
        const double left = b.min_x - reach, low = b.min_y - reach, high = b.max_y + reach;
        for (int list = 0; list < (fresh[i] || !fresh_only ? 2 : 1); ++list) {
            scratch_vector<Open> &o = open[list];
            std::size_t kept = 0;
            for (const Open &a : o) {
                stop.tick();
                if (a.right < left)
                    continue;  // closed for good: every later box starts farther right
                o[kept++] = a;
                if (a.low <= high && low <= a.high)
                    f(std::min(a.box, i), std::max(a.box, i));
            }
            o.resize(kept);
        }
        open[fresh[i] ? 0 : 1].push_back({b.max_x + reach, low, high, i});
    }
}

// Whether the boxes overlap once widened by `reach`.
inline bool meet(const Box &p, const Box &q, double reach) {
    return p.min_x - reach <= q.max_x + reach && q.min_x - reach <= p.max_x + reach &&
           p.min_y - reach <= q.max_y + reach && q.min_y - reach <= p.max_y + reach;
}

// A working segment: a piece of input edge `edge` between two nodes.
struct Seg {
    std::uint32_t a, b, edge;
    std::uint32_t root;  // the segment of the first round it is a piece of
};

// Where a segment is to be cut: at `node`, `t` along it.
struct Cut {
    std::uint32_t seg, node;
    double t;
};

// The crossing of a-b with c-d when each pair of ends lies strictly on
// opposite sides of the other's line (exact signs); t along a-b.
bool proper_crossing(Vec2 a, Vec2 b, Vec2 c, Vec2 d, double &t) {
    if (exact::orient(a, b, c) * exact::orient(a, b, d) >= 0 || exact::orient(c, d, a) * exact::orient(c, d, b) >= 0)
        return false;
    double o3 = cross(d - c, a - c), o4 = cross(d - c, b - c);
    t = o3 == o4 ? 0.5 : std::clamp(o3 / (o3 - o4), 0.0, 1.0);
    return true;
}

}  // namespace

Noded node(std::span<const Vec2> points, std::span<const Edge> edges, double snap, const Interrupt &stop) {
    Noded out;
    const std::size_t n = points.size();
    // Clusters of input points, each led by its first point.
    Groups groups(n);
    scratch_vector<std::uint32_t> by_x = ordered_by(n, [&](std::uint32_t k) { return points[k].x; });
    if (!join_near(points, by_x, snap, groups, stop)) {
        NodeIndex index(snap, n);
        for (std::size_t i = 0; i < n; ++i) {
            stop.tick();
            index.near(points, points[i], [&](std::uint32_t q) { groups.join(q, static_cast<std::uint32_t>(i)); });
            index.insert(points, static_cast<std::uint32_t>(i));
        }
    }
    out.node_of_point.assign(n, none);
    for (std::size_t i = 0; i < n; ++i) {
        std::uint32_t lead = groups.find(static_cast<std::uint32_t>(i));
        if (out.node_of_point[lead] == none) {
            out.node_of_point[lead] = static_cast<std::uint32_t>(out.nodes.size());
            out.nodes.push_back(points[lead]);
        }
        out.node_of_point[i] = out.node_of_point[lead];
    }
    const std::size_t input_nodes = out.nodes.size();
    // The nodes in x order: the points' order already when no points merged.
    if (input_nodes != n)
        by_x = ordered_by(input_nodes, [&](std::uint32_t k) { return out.nodes[k].x; });
    NearNodes nodes(snap, std::move(by_x));

    scratch_vector<Seg> segs;
    segs.reserve(edges.size());
    for (std::size_t e = 0; e < edges.size(); ++e) {
        std::uint32_t a = out.node_of_point[edges[e].from], b = out.node_of_point[edges[e].to];
        if (a != b)
            segs.push_back({a, b, static_cast<std::uint32_t>(e), static_cast<std::uint32_t>(segs.size())});
    }

    // Which segments and nodes the last round made or moved: only pairs
    // with one of them in can change anything.  A piece cut from a segment
    // only at older nodes that lie exactly on it is a part of that segment,
    // and was looked at with it.
    const std::size_t roots = segs.size();
    scratch_vector<char> fresh_seg(roots, 1);
    std::size_t fresh_nodes_from = 0;
    // The first round notes which segments lie near each other, a little
    // farther than snap: the second looks only at the pieces of segments
    // near one that moved, unless a cut moved a piece farther than that.
    double magnitude = 0;
    for (Vec2 p : out.nodes)
        magnitude = std::max(magnitude, std::max(std::fabs(p.x), std::fabs(p.y)));
    const double slack = 2 * snap + 16 * std::numeric_limits<double>::epsilon() * magnitude;
    scratch_vector<std::pair<std::uint32_t, std::uint32_t>> near_pairs;
    double bend = 0;  // how far the cuts of the last round moved pieces off their segments' boxes
    const double snap2 = snap * snap;
    out.planar = false;
    for (int round = 0; round < max_rounds; ++round) {
        const std::size_t ns = segs.size(), nn = out.nodes.size();
        if (std::find(fresh_seg.begin(), fresh_seg.end(), 1) == fresh_seg.end() && fresh_nodes_from == nn) {
            out.planar = true;
            break;
        }
        // The segments taken: all, or in the second round those from a
        // first-round segment that moved or lay near one that did.
        scratch_vector<std::uint32_t> items;
        items.reserve(ns);
        if (round == 1 && bend <= slack) {
            scratch_vector<char> moved(roots, 0), taken;
            for (std::size_t s = 0; s < ns; ++s)
                if (fresh_seg[s])
                    moved[segs[s].root] = 1;
            taken = moved;
            for (auto [p, q] : near_pairs) {
                if (moved[p])
                    taken[q] = 1;
                if (moved[q])
                    taken[p] = 1;
            }
            for (std::uint32_t s = 0; s < ns; ++s)
                if (taken[segs[s].root])
                    items.push_back(s);
        } else {
            for (std::uint32_t s = 0; s < ns; ++s)
                items.push_back(s);
        }
        near_pairs.clear();
        const std::size_t ni = items.size();
        if (round == 0)
            near_pairs.reserve(2 * ni);
        // One pass over the boxes of those segments and of the nodes that
        // end no segment.  A crossing gets a node, or the node already
        // within snap of it; a node within snap of a segment it does not
        // end at is routed through.  Nodes made here are routed in the next
        // round.
        scratch_vector<char> ends(nn, 0);
        for (const Seg &sg : segs)
            ends[sg.a] = ends[sg.b] = 1;
        scratch_vector<Box> boxes(ni);
        scratch_vector<char> fresh(ni);
        for (std::size_t i = 0; i < ni; ++i) {
            const Seg &sg = segs[items[i]];
            boxes[i] = segment_bound(out.nodes[sg.a], out.nodes[sg.b]);
            fresh[i] = fresh_seg[items[i]];
        }
        scratch_vector<std::uint32_t> lone;
        for (std::uint32_t k = 0; k < nn; ++k)
            if (!ends[k]) {
                lone.push_back(k);
                boxes.push_back(Box{out.nodes[k].x, out.nodes[k].x, out.nodes[k].y, out.nodes[k].y});
                fresh.push_back(k >= fresh_nodes_from);
            }
        scratch_vector<Cut> cuts;
        // Cuts segment s at node k, unless k ends it.
        auto cut = [&](std::uint32_t s, std::uint32_t k) {
            double t;
            if (k != segs[s].a && k != segs[s].b) {
                squared_distance_to_segment(out.nodes[segs[s].a], out.nodes[segs[s].b], out.nodes[k], t);
                cuts.push_back({s, k, t});
            }
        };
        // Routes segment s through node k when k lies within snap of it.
        auto route = [&](std::uint32_t s, const Box &box, std::uint32_t k) {
            if (k == segs[s].a || k == segs[s].b || !in_box(box, out.nodes[k], snap))
                return;
            double t;
            if (squared_distance_to_segment(out.nodes[segs[s].a], out.nodes[segs[s].b], out.nodes[k], t) <= snap2)
                cuts.push_back({s, k, t});
        };
        const bool note = round == 0;
        overlapping(boxes, fresh, note ? slack : snap, !note, stop, [&](std::size_t i, std::size_t j) {
            if (i >= ni)
                return;  // node with node
            if (note && !meet(boxes[i], boxes[j], snap)) {
                if (j < ni)
                    near_pairs.push_back({segs[items[i]].root, segs[items[j]].root});
                return;
            }
            if (j >= ni) {
                route(items[i], boxes[i], lone[j - ni]);
                return;
            }
            std::uint32_t si = items[i], sj = items[j];
            if (note)
                near_pairs.push_back({segs[si].root, segs[sj].root});
            const Seg &p = segs[si], &q = segs[sj];
            route(si, boxes[i], q.a);
            route(si, boxes[i], q.b);
            route(sj, boxes[j], p.a);
            route(sj, boxes[j], p.b);
            if (p.a == q.a || p.a == q.b || p.b == q.a || p.b == q.b)
                return;  // a shared end: they can only overlap, which routing mends
            Vec2 a = out.nodes[p.a], b = out.nodes[p.b], c = out.nodes[q.a], d = out.nodes[q.b];
            double t;
            if (!proper_crossing(a, b, c, d, t))
                return;
            Vec2 x = a + (b - a) * t;
            std::uint32_t at = none;
            double best = INFINITY;
            nodes.near(out.nodes, x, [&](std::uint32_t k) {
                double d2 = squared_distance(out.nodes[k], x);
                if (d2 < best || (d2 == best && k < at)) {
                    best = d2;
                    at = k;
                }
            });
            if (at == none) {
                at = static_cast<std::uint32_t>(out.nodes.size());
                out.nodes.push_back(x);
                nodes.insert(out.nodes, at);
            }
            cut(si, at);
            cut(sj, at);
        });
        fresh_nodes_from = nn;
        if (cuts.empty()) {
            out.planar = true;
            break;
        }
        // Each cut segment replaced by its pieces, in order along it (a node
        // found twice cuts once).
        std::sort(cuts.begin(), cuts.end(), [](const Cut &x, const Cut &y) {
            return x.seg < y.seg || (x.seg == y.seg && (x.t < y.t || (x.t == y.t && x.node < y.node)));
        });
        scratch_vector<Seg> next;
        scratch_vector<char> next_fresh;
        next.reserve(segs.size() + cuts.size());
        next_fresh.reserve(segs.size() + cuts.size());
        bend = 0;
        std::size_t c = 0;
        for (std::size_t s = 0; s < segs.size(); ++s) {
            const Seg &sg = segs[s];
            std::uint32_t from = sg.a;
            bool moved = false;
            for (; c < cuts.size() && cuts[c].seg == s; ++c) {
                std::uint32_t k = cuts[c].node;
                if (k == from)
                    continue;
                Vec2 a = out.nodes[sg.a], b = out.nodes[sg.b], x = out.nodes[k];
                moved = moved || k >= nn || exact::orient(a, b, x) != 0;
                bend = std::max({bend, std::min(a.x, b.x) - x.x, x.x - std::max(a.x, b.x), std::min(a.y, b.y) - x.y,
                                 x.y - std::max(a.y, b.y)});
                next.push_back({from, k, sg.edge, sg.root});
                from = k;
            }
            if (from != sg.b)
                next.push_back({from, sg.b, sg.edge, sg.root});
            next_fresh.resize(next.size(), moved ? 1 : 0);
        }
        segs.swap(next);
        fresh_seg.swap(next_fresh);
    }

    out.crossing_nodes = out.nodes.size() - input_nodes;
    out.first_piece.assign(edges.size() + 1, 0);
    for (const Seg &s : segs)
        ++out.first_piece[s.edge + 1];
    for (std::size_t e = 0; e < edges.size(); ++e)
        out.first_piece[e + 1] += out.first_piece[e];
    out.pieces.reserve(segs.size());
    for (const Seg &s : segs)
        out.pieces.push_back({s.a, s.b});
    return out;
}

scratch_vector<Link> links(const Noded &noded, std::span<const Edge> edges, bool keep_zero,
                           scratch_vector<std::uint32_t> *link_of_piece) {
    scratch_vector<Link> out;
    PairMap seen(noded.pieces.size());
    if (link_of_piece)
        link_of_piece->resize(noded.pieces.size());
    for (std::size_t e = 0; e < edges.size(); ++e)
        for (std::uint32_t p = noded.first_piece[e]; p < noded.first_piece[e + 1]; ++p) {
            const Piece &piece = noded.pieces[p];
            auto [at, fresh] = seen.emplace(piece.from, piece.to, static_cast<std::uint32_t>(out.size()));
            if (fresh)
                out.push_back({piece.from, piece.to, 0});
            Link &l = out[at];
            l.weight += l.from == piece.from ? edges[e].weight : -std::int64_t{edges[e].weight};
            if (link_of_piece)
                (*link_of_piece)[p] = at;
        }
    if (keep_zero)
        return out;
    scratch_vector<std::uint32_t> renumbered(out.size(), none);
    std::size_t kept = 0;
    for (std::size_t k = 0; k < out.size(); ++k)
        if (out[k].weight != 0) {
            renumbered[k] = static_cast<std::uint32_t>(kept);
            out[kept++] = out[k];
        }
    out.resize(kept);
    if (link_of_piece)
        for (std::uint32_t &k : *link_of_piece)
            k = renumbered[k];
    return out;
}

}  // namespace geom::arrangement
