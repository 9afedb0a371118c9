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
#include "core/joined_points.hpp"
#include "core/line_segment_ray.hpp"
#include "core/network_split.hpp"
#include "core/segment_network.hpp"
#include "core/union_find.hpp"

#include <algorithm>
#include <cmath>
#include <unordered_set>
#include <cstdio>
#include <cstdlib>

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

// The cuts a round calls for: crossings of two pieces (a new node each) and
// nodes a piece passes within the join rule of.
std::vector<Cut> find_cuts(NetworkSplit &net, double flat_eps, const Interrupt &stop) {
    const std::size_t n_pieces = net.pieces.size(), n_nodes = net.nodes.size();
    std::vector<Box> boxes(n_pieces + n_nodes);
    for (std::size_t p = 0; p < n_pieces; ++p)
        boxes[p] = segment_bound(net.nodes[net.pieces[p].start], net.nodes[net.pieces[p].end]);
    std::vector<char> used(n_nodes, 0);
    for (const SplitPiece &p : net.pieces)
        used[p.start] = used[p.end] = 1;
    for (std::size_t k = 0; k < n_nodes; ++k) {
        Vec2 v = net.nodes[k];
        boxes[n_pieces + k] = used[k] && is_finite(v) ? Box{v.x, v.x, v.y, v.y} : Box{NAN, NAN, NAN, NAN};
    }
    std::vector<Cut> cuts;
    const double reach = joined_reach(flat_eps);
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
    for (auto [i, j] : overlapping_pairs(boxes, reach, stop)) {
        stop.tick();
        if (i >= n_pieces)
            continue;  // two nodes: apart by the join already
        const SplitPiece &p = net.pieces[i];
        Vec2 a = net.nodes[p.start], b = net.nodes[p.end];
        if (j >= n_pieces) {
            auto k = static_cast<std::uint32_t>(j - n_pieces);
            if (k == p.start || k == p.end)
                continue;
            Vec2 v = net.nodes[k];
            if (within_node_join(v, nearest_on(a, b, v)) && triangles.insert(triangle(p.start, p.end, k)).second)
                cuts.push_back({static_cast<std::uint32_t>(i), k});
            continue;
        }
        const SplitPiece &q = net.pieces[j];
        if (p.start == q.start || p.start == q.end || p.end == q.start || p.end == q.end)
            continue;
        Vec2 c = net.nodes[q.start], d = net.nodes[q.end];
        if (!cross_inside(a, b, c, d))
            continue;
        double t = cross(c - a, d - c) / cross(b - a, d - c);
        Vec2 x = a + (b - a) * std::clamp(t, 0.0, 1.0);
        if (!is_finite(x))
            continue;
        auto k = static_cast<std::uint32_t>(net.nodes.size());
        net.nodes.push_back(x);
        cuts.push_back({static_cast<std::uint32_t>(i), k, true});
        cuts.push_back({static_cast<std::uint32_t>(j), k, true});
    }
    return cuts;
}

// Each cut piece replaced, in its place, by the chain through its cuts in
// order along it.
void apply_cuts(NetworkSplit &net, std::vector<Cut> &cuts) {
    std::sort(cuts.begin(), cuts.end(),
              [](const Cut &a, const Cut &b) { return a.piece < b.piece || (a.piece == b.piece && a.node < b.node); });
    std::vector<SplitPiece> out;
    out.reserve(net.pieces.size() + cuts.size());
    std::vector<std::pair<double, std::uint32_t>> along;
    std::size_t c = 0;
    for (std::size_t p = 0; p < net.pieces.size(); ++p) {
        SplitPiece piece = net.pieces[p];
        if (c == cuts.size() || cuts[c].piece != p) {
            out.push_back(piece);
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
            from = k;
        }
        out.push_back({from, piece.end});
    }
    net.pieces = std::move(out);
}

// Nodes joined under the walks' rule become their group's first node, and
// so do the pairs in `also`; pieces that then have one node at both ends, or
// repeat an earlier piece, are left out.
void join_nodes(NetworkSplit &net, double flat_eps, std::span<const std::pair<std::uint32_t, std::uint32_t>> also,
                const Interrupt &stop) {
    Groups g(net.nodes.size());
    join_points(net.nodes, flat_eps, g, stop);
    for (auto [a, b] : also)
        g.join(a, b);
    std::unordered_set<std::uint64_t> seen;
    std::vector<SplitPiece> out;
    out.reserve(net.pieces.size());
    for (SplitPiece p : net.pieces) {
        p.start = g.find(p.start);
        p.end = g.find(p.end);
        if (p.start == p.end)
            continue;
        std::uint64_t key = (std::uint64_t(std::min(p.start, p.end)) << 32) | std::max(p.start, p.end);
        if (seen.insert(key).second)
            out.push_back(p);
    }
    net.pieces = std::move(out);
}

}  // namespace

bool make_planar(NetworkSplit &net, double flat_eps, const Interrupt &stop) {
    for (int round = 0; round < most_rounds; ++round) {
        std::vector<Cut> cuts = find_cuts(net, flat_eps, stop);
        if (std::getenv("I32_TIMES"))
            std::fprintf(stderr, "round %d cuts %zu pieces %zu nodes %zu\n", round, cuts.size(), net.pieces.size(), net.nodes.size());
        if (cuts.empty())
            return true;
        if (round > 20 && std::getenv("I32_TIMES"))
            for (Cut c : cuts) {
                SplitPiece p = net.pieces[c.piece];
                std::fprintf(stderr, "  piece %u (%u %.9g %.9g)-(%u %.9g %.9g) node %u %.9g %.9g\n", c.piece, p.start, net.nodes[p.start].x, net.nodes[p.start].y, p.end, net.nodes[p.end].x, net.nodes[p.end].y, c.node, net.nodes[c.node].x, net.nodes[c.node].y);
            }
        // Late rounds join a node passed that closely to the nearer end of
        // the piece instead: routing a piece through a node can bring
        // another near, but nodes only ever become fewer this way.
        std::vector<std::pair<std::uint32_t, std::uint32_t>> also;
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
        apply_cuts(net, cuts);
        join_nodes(net, flat_eps, also, stop);
    }
    return false;
}

}  // namespace geom
