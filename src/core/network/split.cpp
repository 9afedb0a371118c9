#include "core/network/split.hpp"

#include "core/network/joined_points.hpp"
#include "core/network/walls.hpp"
#include "core/network/segment_network.hpp"
#include "core/planar/union_find.hpp"
#include "core/basics/line_segment_ray.hpp"

#include <algorithm>
#include <cmath>
#include <unordered_map>
#include <utility>

namespace geom {

namespace {

// Crossings filed per entry: segments equal to an earlier one (the same two
// end points, either way round) share its entry; entries are kept in the
// order they were first filed.  Each crossing is one event, filed on both
// segments, with its parameter along each entry's own segment.
struct Filing {
    std::vector<std::size_t> key;                  // entry -> its segment
    std::vector<std::vector<double>> params;       // entry -> parameters, in order found
    std::vector<std::vector<std::uint32_t>> event; // entry -> event of each parameter
    std::vector<Vec2> points;                      // event -> crossing point
    std::vector<std::pair<std::size_t, std::size_t>> event_pair;  // event -> the two segments
    std::vector<char> dropped;                     // event -> between two pieces of one wall
    std::vector<std::ptrdiff_t> entry_of;          // segment -> entry, or -1
    WallPairs wall_pairs;
    Walls walls;
};

// Where the end `e` of the segment `from_a`-`from_b` meets the segment
// c-d, when it comes within the join distance of it without crossing it:
// where the two lines cross, if that is joined to the end (the segment is
// then only a little short), else the point of c-d nearest to the end.
std::optional<Vec2> end_meets(Vec2 e, Vec2 from_a, Vec2 from_b, Vec2 c, Vec2 d, double flat_eps, double eps) {
    Box b = segment_bound(c, d);
    double reach = joined_reach(flat_eps);
    if (!(e.x >= b.min_x - reach && e.x <= b.max_x + reach && e.y >= b.min_y - reach && e.y <= b.max_y + reach))
        return std::nullopt;
    Vec2 f = segment_closest_point(c, d, e, flat_eps, eps).point;
    if (!is_finite(f) || !points_joined(e, f, flat_eps))
        return std::nullopt;
    if (std::optional<Vec2> x = line_intersection(from_a, from_b, c, d, flat_eps);
        x && is_finite(*x) && points_joined(*x, e, flat_eps) && in_box(b, *x, node_join))
        return x;
    return f;
}

Filing file_crossings(std::span<const Vec2> starts, std::span<const Vec2> ends, double flat_eps, double eps,
                      const Interrupt &stop) {
    Filing f;
    const std::size_t n = starts.size();
    f.entry_of.assign(n, -1);
    if (n < 2)
        return f;

    std::unordered_map<PairKey, std::size_t, PairKeyHash> entry_by_pair;
    auto file = [&](std::size_t i, Vec2 o, std::uint32_t ev) {
        std::ptrdiff_t e = f.entry_of[i];
        if (e < 0) {
            PairKey k = pair_key(starts[i], ends[i]);
            std::size_t fresh_entry = f.key.size();
            if (k.valid)
                e = static_cast<std::ptrdiff_t>(entry_by_pair.try_emplace(k, fresh_entry).first->second);
            else
                e = static_cast<std::ptrdiff_t>(fresh_entry);
            if (static_cast<std::size_t>(e) == fresh_entry) {
                f.key.push_back(i);
                f.params.emplace_back();
                f.event.emplace_back();
            }
            f.entry_of[i] = e;
        }
        // Measured along the entry's own segment, so that a reversed copy
        // files the same parameter as the segment it is filed under.  Signed
        // (a projection, not a distance): a crossing joined just before the
        // start, or a little off the line, still sorts in its place.
        std::size_t key = f.key[static_cast<std::size_t>(e)];
        Vec2 s = starts[key];
        Vec2 along = ends[key] - s;
        double length = magnitude(along);
        double t = std::fabs(length) < eps ? 0.0 : dot(o - s, along) / (length * length);
        f.params[static_cast<std::size_t>(e)].push_back(t);
        f.event[static_cast<std::size_t>(e)].push_back(ev);
    };
    auto crossing = [&](std::size_t i, std::size_t j, Vec2 o) {
        auto ev = static_cast<std::uint32_t>(f.points.size());
        f.points.push_back(o);
        f.event_pair.emplace_back(i, j);
        file(i, o, ev);
        file(j, o, ev);
    };

    std::vector<char> shorts(n);
    for (std::size_t i = 0; i < n; ++i)
        shorts[i] = short_piece(starts[i], ends[i], flat_eps);
    // Ends that stop short of the other segment, or overshoot it by less
    // than the join distance along a line that misses it.
    auto ends_meet = [&](std::size_t i, std::size_t j) {
        for (int k = 0; k < 4; ++k) {
            bool own_i = k < 2;
            std::size_t a = own_i ? i : j, b = own_i ? j : i;
            Vec2 e = (k % 2) ? ends[a] : starts[a];
            if (std::optional<Vec2> m = end_meets(e, starts[a], ends[a], starts[b], ends[b], flat_eps, eps))
                crossing(i, j, *m);
        }
    };
    std::vector<std::pair<std::size_t, std::size_t>> later;

    // Boxes widened by the join reach: pieces of one wall and ends that
    // just miss a segment are found too; the crossing test keeps its own
    // tolerance.
    std::vector<std::pair<std::size_t, std::size_t>> pairs =
        split_pairs(starts, ends, shorts, std::max(eps, joined_reach(flat_eps)), flat_eps, f.wall_pairs, stop);
    // A copy of part of a wall, drawn a little off it and turned (a wall
    // drawn twice or more), is the wall there: it crosses nothing and makes
    // no piece, so that the rooms keep the wall's outline.  Copies of copies
    // are one group, of which the wall is the first drawn of the longest.
    std::vector<char> copy(n, 0);
    {
        Groups copies(n);
        bool any = false;
        for (auto [i, j] : pairs) {
            stop.tick();
            if (shorts[i] || shorts[j])
                continue;
            if (copy_along(starts[i], ends[i], starts[j], ends[j], i > j) ||
                copy_along(starts[j], ends[j], starts[i], ends[i], j > i)) {
                copies.join(static_cast<std::uint32_t>(i), static_cast<std::uint32_t>(j));
                copy[i] = copy[j] = 1;
                any = true;
            }
        }
        if (any) {
            // Lengths within the join distance at each end count as one.
            std::vector<double> longest(n, -1.0);
            auto length = [&](std::size_t s) { return magnitude(ends[s] - starts[s]); };
            for (std::size_t s = 0; s < n; ++s)
                if (copy[s]) {
                    double &l = longest[copies.find(static_cast<std::uint32_t>(s))];
                    l = std::max(l, length(s));
                }
            std::vector<std::uint32_t> keep(n, UINT32_MAX);
            for (std::size_t s = 0; s < n; ++s)
                if (copy[s]) {
                    std::uint32_t lead = copies.find(static_cast<std::uint32_t>(s));
                    if (keep[lead] == UINT32_MAX && length(s) >= longest[lead] - 3 * node_join)
                        keep[lead] = static_cast<std::uint32_t>(s);
                }
            for (std::size_t s = 0; s < n; ++s)
                if (copy[s] && keep[copies.find(static_cast<std::uint32_t>(s))] == s)
                    copy[s] = 0;
        }
    }
    for (auto [i, j] : pairs) {
        stop.tick();
        if (copy[i] || copy[j])
            continue;
        // Two pieces of one wall cross nowhere: on nearly parallel lines the
        // slope form would put their crossing anywhere along the overlap.
        if (one_wall(starts[i], ends[i], starts[j], ends[j])) {
            f.wall_pairs.long_pairs.emplace_back(i, j);
            continue;
        }
        if (shorts[i] != shorts[j]) {
            auto [s, l] = shorts[i] ? std::pair{i, j} : std::pair{j, i};
            if (lies_along(starts[s], ends[s], starts[l], ends[l])) {
                f.wall_pairs.along.emplace_back(s, l);
                continue;
            }
        } else if (shorts[i] && shorts_meet(starts[i], ends[i], starts[j], ends[j])) {
            f.wall_pairs.short_pairs.emplace_back(i, j);
            continue;
        }
        if (std::optional<Vec2> o = segment_intersection(starts[i], ends[i], starts[j], ends[j], flat_eps, eps)) {
            crossing(i, j, *o);
            continue;
        }
        // A segment whose two ends are joined meets nothing, unless it turns
        // out to be a piece of a wall.
        if (points_joined(starts[i], ends[i], flat_eps) || points_joined(starts[j], ends[j], flat_eps)) {
            later.emplace_back(i, j);
            continue;
        }
        ends_meet(i, j);
    }
    f.walls = assemble_walls(starts, ends, f.wall_pairs, flat_eps, stop);
    // Pieces of one wall, a short one among them, cross nowhere; short
    // pieces of walls meet what their ends come near, as walls do.
    auto one_wall_with_short = [&](std::size_t i, std::size_t j) {
        return (shorts[i] || shorts[j]) && f.walls.member[i] && f.walls.member[j] &&
               f.walls.groups.find(static_cast<std::uint32_t>(i)) == f.walls.groups.find(static_cast<std::uint32_t>(j));
    };
    if (!f.walls.member.empty()) {
        f.dropped.assign(f.points.size(), 0);
        for (std::size_t ev = 0; ev < f.points.size(); ++ev)
            f.dropped[ev] = one_wall_with_short(f.event_pair[ev].first, f.event_pair[ev].second);
        for (auto [i, j] : later) {
            stop.tick();
            auto counts = [&](std::size_t s) { return !shorts[s] || f.walls.member[s]; };
            if ((f.walls.member[i] || f.walls.member[j]) && counts(i) && counts(j) && !one_wall_with_short(i, j))
                ends_meet(i, j);
        }
    }
    f.dropped.resize(f.points.size(), 0);  // crossings found last are no wall's own
    return f;
}

}  // namespace

namespace {

// A node whose crossings lie farther apart than this on either axis bends
// the pieces drawn to it off their segments enough to cross others away from
// any node (see NetworkSplit::loose); closer, a piece they would cross passes
// within the join distance of the node itself.
constexpr double loose_node = node_join / 8;

}  // namespace

NetworkSplit split_network(std::span<const Vec2> starts, std::span<const Vec2> ends, double flat_eps, double eps,
                           const Interrupt &stop) {
    NetworkSplit out;
    Filing f = file_crossings(starts, ends, flat_eps, eps, stop);
    const std::size_t n_entries = f.key.size();

    // Each entry's parameters ascending (NaN last, in the order found), with
    // the events that gave them.  Crossings are one node only by the join
    // rule: by their distance, never by their parameter.
    std::vector<std::vector<std::pair<double, std::uint32_t>>> stops(n_entries);
    for (std::size_t e = 0; e < n_entries; ++e) {
        stop.tick(f.params[e].size() + 1);
        auto &st = stops[e];
        for (std::size_t k = 0; k < f.params[e].size(); ++k)
            if (!f.dropped[f.event[e][k]])
                st.emplace_back(f.params[e][k], f.event[e][k]);
        auto nan_begin = std::stable_partition(st.begin(), st.end(), [](auto &v) { return !std::isnan(v.first); });
        std::stable_sort(st.begin(), nan_begin, [](auto &a, auto &b) { return a.first < b.first; });
    }
    Groups g(f.points.size());
    {
        std::vector<Vec2> live = f.points;
        for (std::size_t ev = 0; ev < live.size(); ++ev)
            if (f.dropped[ev])
                live[ev] = Vec2{NAN, NAN};
        join_points(live, flat_eps, g, stop);
    }

    // Nodes numbered in the order their first events were found; a node
    // lies where that first crossing was found.
    std::vector<std::uint32_t> node_of_lead(f.points.size(), UINT32_MAX);
    auto node_of = [&](std::uint32_t ev) {
        std::uint32_t lead = g.find(ev);
        if (node_of_lead[lead] == UINT32_MAX) {
            node_of_lead[lead] = static_cast<std::uint32_t>(out.nodes.size());
            out.nodes.push_back(f.points[lead]);
        }
        return node_of_lead[lead];
    };
    std::vector<std::vector<std::uint32_t>> entry_nodes(n_entries);
    for (std::size_t e = 0; e < n_entries; ++e)
        for (auto &[t, ev] : stops[e]) {
            std::uint32_t node = node_of(ev);
            if (entry_nodes[e].empty() || entry_nodes[e].back() != node)
                entry_nodes[e].push_back(node);
        }

    out.loose.assign(out.nodes.size(), 0);
    for (std::size_t ev = 0; ev < f.points.size(); ++ev) {
        if (f.dropped[ev])
            continue;
        std::uint32_t node = node_of_lead[g.find(static_cast<std::uint32_t>(ev))];
        if (node == UINT32_MAX)
            continue;
        Vec2 p = f.points[ev], q = out.nodes[node];
        if (!(std::fabs(p.x - q.x) <= loose_node && std::fabs(p.y - q.y) <= loose_node))
            out.loose[node] = 1;
    }

    // A piece whose ends are one node, or that an earlier piece already
    // gives, is left out.  Pieces by their lower node: a piece is made once.
    std::vector<std::vector<std::uint32_t>> made(out.nodes.size());
    auto make = [&](std::uint32_t a, std::uint32_t b) {
        if (a == b)
            return;
        auto &row = made[std::min(a, b)];
        std::uint32_t hi = std::max(a, b);
        if (std::find(row.begin(), row.end(), hi) != row.end())
            return;
        row.push_back(hi);
        out.pieces.push_back({a, b});
    };

    // Walls drawn in pieces: each wall's segments, in list order, in
    // compressed rows by leader.
    const std::size_t n = starts.size();
    Groups &walls = f.walls.groups;
    const std::vector<char> &in_wall = f.walls.member;
    std::vector<std::uint32_t> wall_row, wall_members;
    if (!in_wall.empty()) {
        wall_row.assign(n + 1, 0);
        for (std::size_t s = 0; s < n; ++s)
            if (in_wall[s])
                ++wall_row[walls.find(static_cast<std::uint32_t>(s)) + 1];
        for (std::size_t s = 0; s < n; ++s)
            wall_row[s + 1] += wall_row[s];
        std::vector<std::uint32_t> fill(wall_row.begin(), wall_row.end() - 1);
        wall_members.resize(wall_row[n]);
        for (std::size_t s = 0; s < n; ++s)
            if (in_wall[s])
                wall_members[fill[walls.find(static_cast<std::uint32_t>(s))]++] = static_cast<std::uint32_t>(s);
    }
    std::vector<char> wall_done(in_wall.size(), 0), entry_seen(n_entries, 0);
    struct Stop {
        double s;
        std::uint32_t node;
    };
    std::vector<Stop> along_wall;
    // Every crossing of every segment of the wall led by `lead`, cut in order
    // along the segment `key`, in its direction; along the wall's own line,
    // turned the key's way, when the key is too short to have a direction.
    auto make_wall = [&](std::uint32_t lead, std::size_t key) {
        Vec2 o = starts[key], d = ends[key] - o;
        if (Vec2 u = f.walls.direction[lead]; short_piece(o, ends[key], flat_eps) && (u.x != 0 || u.y != 0))
            d = dot(u, d) < 0 ? Vec2{-u.x, -u.y} : u;
        along_wall.clear();
        for (std::uint32_t k = wall_row[lead]; k < wall_row[lead + 1]; ++k) {
            std::ptrdiff_t e = f.entry_of[wall_members[k]];
            if (e < 0 || entry_seen[static_cast<std::size_t>(e)])
                continue;
            entry_seen[static_cast<std::size_t>(e)] = 1;
            for (std::uint32_t node : entry_nodes[static_cast<std::size_t>(e)]) {
                double s = dot(d, out.nodes[node] - o);
                if (std::isfinite(s))
                    along_wall.push_back({s, node});
            }
        }
        stop.tick(along_wall.size());
        std::sort(along_wall.begin(), along_wall.end(),
                  [](const Stop &a, const Stop &b) { return a.s < b.s || (a.s == b.s && a.node < b.node); });
        for (std::size_t k = 0; k + 1 < along_wall.size(); ++k)
            make(along_wall[k].node, along_wall[k + 1].node);
        // Its pieces run along the key, off the other segments' crossings.
        for (const Stop &st : along_wall)
            out.loose[st.node] = 1;
    };

    for (std::size_t e = 0; e < n_entries; ++e) {
        stop.tick();
        std::size_t key = f.key[e];
        if (!in_wall.empty() && in_wall[key]) {
            std::uint32_t lead = walls.find(static_cast<std::uint32_t>(key));
            if (!wall_done[lead]) {
                wall_done[lead] = 1;
                make_wall(lead, key);
            }
            continue;
        }
        const auto &nodes = entry_nodes[e];
        for (std::size_t k = 0; k + 1 < nodes.size(); ++k)
            make(nodes[k], nodes[k + 1]);
    }
    make_planar(out, flat_eps, stop);
    return out;
}

}  // namespace geom
