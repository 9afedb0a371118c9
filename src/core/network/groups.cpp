// The groups of a segment network: which pieces a walk can reach from which,
// whether any of them close a loop, and where each group's lowest point is.
#include "core/network/segment_network.hpp"
#include "core/planar/union_find.hpp"

#include <algorithm>
#include <cmath>

namespace geom {

SegmentNetwork::Components SegmentNetwork::components(double flat_eps) const {
    Components out;
    const std::size_t k = knots_.size();
    Groups g(k);
    // Joins the two end knots of every live piece, each piece once; the
    // number of groups left, and whether a piece closed a loop.
    auto join_pieces = [&](std::size_t groups) {
        std::vector<char> seen(pieces_.size(), 0);
        for (std::size_t e = 0; e < entry_piece_.size(); ++e) {
            if (!live_[e] || seen[entry_piece_[e]])
                continue;
            seen[entry_piece_[e]] = 1;
            if (g.join(entry_knot_[0][e], entry_knot_[1][e]))
                --groups;
            else
                out.has_cycle = true;
        }
        return groups;
    };
    // First the pieces alone: joining knots that are near each other only
    // adds loops and merges groups, so a network that already has a loop and
    // is one group needs nothing more.
    std::size_t in_use = 0;
    for (std::size_t i = 0; i < k; ++i)
        in_use += knot_uses_[i] != 0;
    if (join_pieces(in_use) == 1 && out.has_cycle) {
        out.of_entry.assign(entry_piece_.size(), 0);
        for (std::size_t i = 0; i < k; ++i)
            if (knot_uses_[i]) {
                out.lowest.push_back(knots_[i]);
                break;
            }
        return out;
    }
    // Knots a walk takes for one point: those in use, joined by rounding or
    // by node_join, found through a grid at least that wide.  Knots that
    // no grid can index join only the knot they are.
    g.reset(k);
    out.has_cycle = false;
    const double reach = joined_reach(flat_eps);
    for_near_knots(reach, true, [&](std::uint32_t a, std::uint32_t b) {
        if (points_joined(knots_[a], knots_[b], flat_eps))
            g.join(a, b);
    });
    join_pieces(in_use);
    // Components numbered from the lowest point up.
    std::vector<std::uint32_t> number(k, UINT32_MAX);
    for (std::size_t i = 0; i < k; ++i) {
        if (!knot_uses_[i])
            continue;
        std::uint32_t r = g.find(static_cast<std::uint32_t>(i));
        if (number[r] == UINT32_MAX) {
            number[r] = static_cast<std::uint32_t>(out.lowest.size());
            out.lowest.push_back(knots_[i]);
        }
    }
    out.of_entry.assign(entry_piece_.size(), UINT32_MAX);
    for (std::size_t e = 0; e < entry_piece_.size(); ++e)
        if (live_[e])
            out.of_entry[e] = number[g.find(entry_knot_[0][e])];
    return out;
}

}  // namespace geom
