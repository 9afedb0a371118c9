#include "core/network/walls.hpp"

#include "core/network/split.hpp"
#include "core/network/segment_network.hpp"

#include <algorithm>
#include <cmath>

namespace geom {

namespace {

// A line through `o` along the unit vector `u`.
struct Line {
    Vec2 o, u;
    double off(Vec2 p) const { return std::fabs(cross(u, p - o)); }
};

std::optional<Line> line_of(Vec2 a, Vec2 b) {
    Vec2 d = b - a;
    double l = std::hypot(d.x, d.y);
    if (!(l > 0) || !std::isfinite(l))
        return std::nullopt;
    return Line{a, {d.x / l, d.y / l}};
}

// Within 45 degrees of each other, either way round; a zero vector is
// within any angle.
bool roughly_along(Vec2 a, Vec2 b) { return std::fabs(cross(a, b)) <= std::fabs(dot(a, b)); }

}  // namespace

bool short_piece(Vec2 a, Vec2 b, double flat_eps) {
    if (!is_finite(a) || !is_finite(b))
        return false;
    Vec2 d = b - a;
    // Most segments are far longer than any join: told without rounding.
    if (std::fabs(d.x) > joined_reach(flat_eps) || std::fabs(d.y) > joined_reach(flat_eps))
        return false;
    return !(std::hypot(d.x, d.y) > node_join) || points_joined(a, b, flat_eps);
}

// Nearly parallel, every end within node_join of the other's line, and
// meeting or overlapping along it.
bool one_wall(Vec2 a0, Vec2 a1, Vec2 b0, Vec2 b1) {
    Vec2 da = a1 - a0, db = b1 - b0;
    // Most pairs cross at a clear angle: told apart without a square root.
    double c = cross(da, db);
    if (!(c * c <= wall_turn * wall_turn * dot(da, da) * dot(db, db)))
        return false;
    double la = std::hypot(da.x, da.y), lb = std::hypot(db.x, db.y);
    if (!(la > node_join) || !(lb > node_join) || !std::isfinite(la) || !std::isfinite(lb))
        return false;
    Vec2 ua{da.x / la, da.y / la}, ub{db.x / lb, db.y / lb};
    if (std::fabs(cross(ua, ub)) > wall_turn)
        return false;
    if (std::fabs(cross(ua, b0 - a0)) > node_join || std::fabs(cross(ua, b1 - a0)) > node_join ||
        std::fabs(cross(ub, a0 - b0)) > node_join || std::fabs(cross(ub, a1 - b0)) > node_join)
        return false;
    double s0 = dot(ua, b0 - a0), s1 = dot(ua, b1 - a0);
    return std::min(s0, s1) <= la + node_join && std::max(s0, s1) >= -node_join;
}

bool lies_along(Vec2 s0, Vec2 s1, Vec2 l0, Vec2 l1) {
    std::optional<Line> l = line_of(l0, l1);
    if (!l || l->off(s0) > node_join || l->off(s1) > node_join || !roughly_along(l->u, s1 - s0))
        return false;
    // Within the stretch of the segment it adds nothing to the wall; a
    // crossing there cuts the segment, as any crossing does.
    double la = magnitude(l1 - l0), a = dot(l->u, s0 - l0), b = dot(l->u, s1 - l0);
    if (std::min(a, b) >= 0 && std::max(a, b) <= la)
        return false;
    return std::min(a, b) <= la + node_join && std::max(a, b) >= -node_join;
}

bool copy_along(Vec2 s0, Vec2 s1, Vec2 l0, Vec2 l1, bool later) {
    auto near = [](Vec2 p, Vec2 a, Vec2 b) {
        Vec2 d = b - a;
        double l2 = dot(d, d);
        double t = l2 > 0 ? std::clamp(dot(p - a, d) / l2, 0.0, 1.0) : 0.0;
        return within_node_join(p, a + d * t);
    };
    Vec2 ds = s1 - s0, dl = l1 - l0;
    double ls = dot(ds, ds), ll = dot(dl, dl);
    if (!(ll > 0) || !std::isfinite(ll) || !std::isfinite(ls) || !near(s0, l0, l1) || !near(s1, l0, l1) ||
        one_wall(s0, s1, l0, l1))
        return false;
    // Two copies of one whole wall: the one drawn later is the copy.
    if (near(l0, s0, s1) && near(l1, s0, s1))
        return later;
    return ls < ll;
}

bool shorts_meet(Vec2 a0, Vec2 a1, Vec2 b0, Vec2 b1) {
    auto near = [](Vec2 p, Vec2 q) {
        return std::fabs(p.x - q.x) <= node_join && std::fabs(p.y - q.y) <= node_join;
    };
    if (!near(a0, b0) && !near(a0, b1) && !near(a1, b0) && !near(a1, b1))
        return false;
    return roughly_along(a1 - a0, b1 - b0);
}

Walls assemble_walls(std::span<const Vec2> starts, std::span<const Vec2> ends, const WallPairs &pairs,
                     double flat_eps, const Interrupt &stop) {
    Walls w;
    if (pairs.empty())
        return w;
    const std::size_t n = starts.size();
    w.groups.reset(n);
    w.member.assign(n, 0);
    w.direction.assign(n, Vec2{0, 0});
    Groups &g = w.groups;
    for (auto [i, j] : pairs.long_pairs) {
        g.join(static_cast<std::uint32_t>(i), static_cast<std::uint32_t>(j));
        w.member[i] = w.member[j] = 1;
    }
    if (pairs.along.empty() && pairs.short_pairs.empty())
        return w;

    // The line a wall of longer pieces lies on: that of its first one.
    std::vector<std::uint32_t> line_piece(n);
    for (std::size_t s = 0; s < n; ++s)
        line_piece[s] = static_cast<std::uint32_t>(s);
    auto line_of_group = [&](std::uint32_t lead) {
        std::uint32_t p = line_piece[lead];
        return line_of(starts[p], ends[p]);
    };

    // Short pieces that meet, as clusters; each cluster's pieces and the
    // longer segments they lie along, in the order of their first piece.
    Groups shorts(n);
    for (auto [i, j] : pairs.short_pairs)
        shorts.join(static_cast<std::uint32_t>(i), static_cast<std::uint32_t>(j));
    std::vector<char> involved(n, 0);
    for (auto [i, j] : pairs.short_pairs)
        involved[i] = involved[j] = 1;
    for (auto [s, l] : pairs.along)
        involved[s] = 1;
    std::vector<std::vector<std::uint32_t>> cluster_pieces(n), cluster_along(n);
    for (std::size_t s = 0; s < n; ++s)
        if (involved[s])
            cluster_pieces[shorts.find(static_cast<std::uint32_t>(s))].push_back(static_cast<std::uint32_t>(s));
    for (auto [s, l] : pairs.along)
        cluster_along[shorts.find(static_cast<std::uint32_t>(s))].push_back(static_cast<std::uint32_t>(l));

    for (std::size_t c = 0; c < n; ++c) {
        const auto &pieces = cluster_pieces[c];
        if (pieces.empty())
            continue;
        stop.tick(pieces.size() + cluster_along[c].size());
        if (!cluster_along[c].empty()) {
            // The wall of the first segment the cluster lies along, with
            // those of the others that lie on its line.
            std::uint32_t anchor = g.find(cluster_along[c][0]);
            for (std::uint32_t l : cluster_along[c])
                anchor = std::min(anchor, g.find(l));
            std::optional<Line> line = line_of_group(anchor);
            if (!line)
                continue;
            std::uint32_t piece = line_piece[anchor];
            for (std::uint32_t l : cluster_along[c]) {
                std::uint32_t other = g.find(l);
                std::optional<Line> ol = line_of_group(other);
                if (other == anchor || !ol || std::fabs(cross(line->u, ol->u)) > wall_turn)
                    continue;
                std::uint32_t p = line_piece[other];
                if (line->off(starts[p]) > node_join || line->off(ends[p]) > node_join ||
                    ol->off(starts[piece]) > node_join || ol->off(ends[piece]) > node_join)
                    continue;
                g.join(anchor, other);
            }
            for (std::uint32_t l : cluster_along[c])
                if (g.find(l) == g.find(anchor))
                    w.member[l] = 1;
            for (std::uint32_t s : pieces)
                if (line->off(starts[s]) <= node_join && line->off(ends[s]) <= node_join) {
                    g.join(anchor, s);
                    w.member[s] = 1;
                }
            line_piece[g.find(anchor)] = piece;
            continue;
        }
        // Short pieces alone: a wall when they run straight between two far
        // ends that are not joined.
        if (pieces.size() < 2)
            continue;
        Vec2 p0 = starts[pieces[0]];
        auto farthest = [&](Vec2 from) {
            Vec2 best = from;
            double d = -1;
            for (std::uint32_t s : pieces)
                for (Vec2 q : {starts[s], ends[s]})
                    if (double e = dot(q - from, q - from); e > d) {
                        d = e;
                        best = q;
                    }
            return best;
        };
        Vec2 a = farthest(p0), b = farthest(a);
        std::optional<Line> line = line_of(a, b);
        if (!line || points_joined(a, b, flat_eps))
            continue;
        bool straight = std::all_of(pieces.begin(), pieces.end(), [&](std::uint32_t s) {
            return line->off(starts[s]) <= node_join && line->off(ends[s]) <= node_join;
        });
        if (!straight)
            continue;
        for (std::uint32_t s : pieces) {
            g.join(pieces[0], s);
            w.member[s] = 1;
        }
        w.direction[g.find(pieces[0])] = line->u;
    }
    for (std::size_t s = 0; s < n; ++s)
        if (w.member[s] && g.find(static_cast<std::uint32_t>(s)) == s && w.direction[s].x == 0 && w.direction[s].y == 0)
            if (std::optional<Line> line = line_of_group(static_cast<std::uint32_t>(s)))
                w.direction[s] = line->u;
    return w;
}

}  // namespace geom
