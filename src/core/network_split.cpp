#include "core/network_split.hpp"

#include "core/cell_grid.hpp"
#include "core/segment_network.hpp"
#include "core/union_find.hpp"
#include "core/line_segment_ray.hpp"
#include "core/rounding.hpp"

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
    std::vector<std::ptrdiff_t> entry_of;          // segment -> entry, or -1
    std::vector<std::pair<std::size_t, std::size_t>> collinear;  // touching pairs on one line
};

// Whether two segments lie on one line (every end within node_join of the
// other's line) and meet or overlap along it.
bool on_one_line(Vec2 a0, Vec2 a1, Vec2 b0, Vec2 b1) {
    Vec2 da = a1 - a0, db = b1 - b0;
    double la = std::hypot(da.x, da.y), lb = std::hypot(db.x, db.y);
    if (!(la > node_join) || !(lb > node_join) || !std::isfinite(la) || !std::isfinite(lb))
        return false;
    Vec2 ua{da.x / la, da.y / la}, ub{db.x / lb, db.y / lb};
    if (std::fabs(cross(ua, b0 - a0)) > node_join || std::fabs(cross(ua, b1 - a0)) > node_join ||
        std::fabs(cross(ub, a0 - b0)) > node_join || std::fabs(cross(ub, a1 - b0)) > node_join)
        return false;
    double s0 = dot(ua, b0 - a0), s1 = dot(ua, b1 - a0);
    return std::min(s0, s1) <= la + node_join && std::max(s0, s1) >= -node_join;
}

Filing file_crossings(std::span<const Vec2> starts, std::span<const Vec2> ends, double flat_eps, double eps,
                      const Interrupt &stop) {
    Filing f;
    const std::size_t n = starts.size();
    f.entry_of.assign(n, -1);
    if (n < 2)
        return f;
    std::vector<Box> boxes(n);
    for (std::size_t i = 0; i < n; ++i)
        boxes[i] = segment_bound(starts[i], ends[i]);

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
        // files the same parameter as the segment it is filed under.
        std::size_t key = f.key[static_cast<std::size_t>(e)];
        Vec2 s = starts[key];
        double length = magnitude(ends[key] - s);
        double t = std::fabs(length) < eps ? 0.0 : distance(s, o) / length;
        f.params[static_cast<std::size_t>(e)].push_back(t);
        f.event[static_cast<std::size_t>(e)].push_back(ev);
    };

    // Boxes widened by the larger tolerance: pairs that touch along one line
    // within node_join are found too; the crossing test keeps its own.
    for (auto [i, j] : overlapping_pairs(boxes, std::max(eps, node_join), stop)) {
        stop.tick();
        std::optional<Vec2> o = segment_intersection(starts[i], ends[i], starts[j], ends[j], flat_eps, eps);
        if (!o) {
            if (on_one_line(starts[i], ends[i], starts[j], ends[j]))
                f.collinear.emplace_back(i, j);
            continue;
        }
        auto ev = static_cast<std::uint32_t>(f.points.size());
        f.points.push_back(*o);
        file(i, *o, ev);
        file(j, *o, ev);
    }
    return f;
}

// Events within flat_eps of each other on both axes are one node.
void join_close_events(const std::vector<Vec2> &points, double flat_eps, Groups &g, const Interrupt &stop) {
    std::vector<std::uint32_t> finite;
    std::vector<Vec2> at;
    for (std::size_t i = 0; i < points.size(); ++i)
        if (is_finite(points[i])) {
            finite.push_back(static_cast<std::uint32_t>(i));
            at.push_back(points[i]);
        }
    grid::for_near_pairs(std::span<const Vec2>(at), flat_eps, [&](std::size_t q, std::size_t i) {
        if (tolerant_equal(at[q], at[i], flat_eps))
            g.join(finite[q], finite[i]);
    }, stop);
}

struct Stop {
    double s;
    std::uint32_t node;
};

}  // namespace

NetworkSplit split_network(std::span<const Vec2> starts, std::span<const Vec2> ends, double flat_eps, double eps,
                           const Interrupt &stop) {
    NetworkSplit out;
    Filing f = file_crossings(starts, ends, flat_eps, eps, stop);
    const std::size_t n_entries = f.key.size();

    // Rounded parameters, each entry's distinct values ascending (NaN last,
    // each its own value), with the events that gave them.
    Groups g(f.points.size());
    std::vector<std::vector<std::pair<double, std::uint32_t>>> stops(n_entries);
    for (std::size_t e = 0; e < n_entries; ++e) {
        stop.tick();
        auto &st = stops[e];
        for (std::size_t k = 0; k < f.params[e].size(); ++k)
            st.emplace_back(round_decimal(f.params[e][k], 9), f.event[e][k]);
        auto nan_begin = std::stable_partition(st.begin(), st.end(), [](auto &v) { return !std::isnan(v.first); });
        std::stable_sort(st.begin(), nan_begin, [](auto &a, auto &b) { return a.first < b.first; });
        // One parameter is one place on the segment: its events are one node.
        std::size_t w = 0;
        for (std::size_t k = 0; k < st.size(); ++k) {
            if (w > 0 && k < static_cast<std::size_t>(nan_begin - st.begin()) && st[w - 1].first == st[k].first) {
                g.join(st[w - 1].second, st[k].second);
                continue;
            }
            st[w++] = st[k];
        }
        st.resize(w);
    }
    join_close_events(f.points, flat_eps, g, stop);

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

    // Pieces between neighbouring crossings of each entry; a piece whose
    // ends are one node, or that an earlier piece already gives, is left out.
    // Pieces by their lower node: a piece is made once.
    std::vector<std::vector<std::uint32_t>> made(f.points.size());
    auto make = [&](std::uint32_t a, std::uint32_t b) {
        if (a == b)
            return false;
        std::uint32_t lo = std::min(a, b), hi = std::max(a, b);
        if (lo >= made.size())
            made.resize(lo + 1);
        auto &row = made[lo];
        if (std::find(row.begin(), row.end(), hi) != row.end())
            return false;
        row.push_back(hi);
        out.pieces.push_back({a, b});
        return true;
    };
    std::vector<std::vector<std::uint32_t>> entry_nodes(n_entries);
    std::vector<std::vector<std::pair<std::uint32_t, std::uint32_t>>> entry_pieces(n_entries);
    for (std::size_t e = 0; e < n_entries; ++e) {
        for (auto &[t, ev] : stops[e])
            entry_nodes[e].push_back(node_of(ev));
        for (std::size_t k = 0; k + 1 < entry_nodes[e].size(); ++k)
            if (make(entry_nodes[e][k], entry_nodes[e][k + 1]))
                entry_pieces[e].emplace_back(entry_nodes[e][k], entry_nodes[e][k + 1]);
    }
    if (f.collinear.empty())
        return out;

    // Walls drawn in pieces: segments joined by touching along one line.
    Groups walls(starts.size());
    for (auto [i, j] : f.collinear)
        walls.join(static_cast<std::uint32_t>(i), static_cast<std::uint32_t>(j));
    std::vector<std::vector<std::uint32_t>> members(starts.size());
    for (auto [i, j] : f.collinear)
        for (std::size_t s : {i, j}) {
            auto &m = members[walls.find(static_cast<std::uint32_t>(s))];
            if (std::find(m.begin(), m.end(), s) == m.end())
                m.push_back(static_cast<std::uint32_t>(s));
        }
    for (auto &m : members) {
        stop.tick();
        if (m.size() < 2)
            continue;
        std::sort(m.begin(), m.end());
        // Positions along the first segment's line.
        Vec2 o = starts[m[0]], d = ends[m[0]] - o;
        double len = std::hypot(d.x, d.y);
        Vec2 u{d.x / len, d.y / len};
        auto along = [&](Vec2 p) { return dot(u, p - o); };

        std::vector<Stop> crossings, joints;
        std::vector<std::pair<double, double>> covered;
        for (std::uint32_t s : m) {
            std::ptrdiff_t e = f.entry_of[s];
            if (e >= 0) {
                for (std::uint32_t node : entry_nodes[static_cast<std::size_t>(e)])
                    crossings.push_back({along(out.nodes[node]), node});
                for (auto [a, b] : entry_pieces[static_cast<std::size_t>(e)]) {
                    double sa = along(out.nodes[a]), sb = along(out.nodes[b]);
                    covered.emplace_back(std::min(sa, sb), std::max(sa, sb));
                }
            }
            joints.push_back({along(starts[s]), UINT32_MAX});
            joints.push_back({along(ends[s]), UINT32_MAX});
        }
        std::erase_if(crossings, [](const Stop &c) { return !std::isfinite(c.s); });
        if (crossings.size() < 2)
            continue;
        auto by_s = [](const Stop &a, const Stop &b) { return a.s < b.s || (a.s == b.s && a.node < b.node); };
        std::sort(crossings.begin(), crossings.end(), by_s);
        const double lo = crossings.front().s, hi = crossings.back().s;
        // The stretches of [lo, hi] that no segment keeps.
        std::sort(covered.begin(), covered.end());
        std::vector<std::pair<double, double>> gaps;
        double reached = lo;
        for (auto [a, b] : covered) {
            if (a > reached + flat_eps)
                gaps.emplace_back(reached, a);
            reached = std::max(reached, b);
        }
        if (hi > reached + flat_eps)
            gaps.emplace_back(reached, hi);

        for (auto [g0, g1] : gaps) {
            std::vector<Stop> cut;
            for (const Stop &c : crossings)
                if (c.s >= g0 - flat_eps && c.s <= g1 + flat_eps && (cut.empty() || cut.back().node != c.node))
                    cut.push_back(c);
            for (const Stop &j : joints)
                if (j.s > g0 + node_join && j.s < g1 - node_join)
                    cut.push_back(j);
            std::sort(cut.begin(), cut.end(), by_s);
            // A segment end near a crossing, or near another end, is that node.
            std::vector<Stop> stops_in;
            for (const Stop &c : cut) {
                if (!stops_in.empty() && c.s - stops_in.back().s <= node_join) {
                    if (stops_in.back().node == UINT32_MAX && c.node != UINT32_MAX)
                        stops_in.back() = c;
                    continue;
                }
                stops_in.push_back(c);
            }
            for (Stop &st : stops_in)
                if (st.node == UINT32_MAX) {
                    st.node = static_cast<std::uint32_t>(out.nodes.size());
                    out.nodes.push_back(o + u * st.s);
                }
            for (std::size_t k = 0; k + 1 < stops_in.size(); ++k) {
                double mid = (stops_in[k].s + stops_in[k + 1].s) / 2;
                // The first segment of the wall under the stretch gives its
                // direction.
                for (std::uint32_t s : m) {
                    double a = along(starts[s]), b = along(ends[s]);
                    if (mid < std::min(a, b) - node_join || mid > std::max(a, b) + node_join)
                        continue;
                    bool forward = b >= a;
                    std::uint32_t p = stops_in[k].node, q = stops_in[k + 1].node;
                    forward ? make(p, q) : make(q, p);
                    break;
                }
            }
        }
    }
    return out;
}

}  // namespace geom
