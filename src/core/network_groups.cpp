// The groups of a segment network: which pieces a walk can reach from which,
// whether any of them close a loop, and where each group's lowest point is.
#include "core/segment_network.hpp"

#include <algorithm>
#include <cmath>

namespace geom {

SegmentNetwork::Components SegmentNetwork::components(double flat_eps) const {
    Components out;
    const std::size_t k = knots_.size();
    std::vector<std::uint32_t> lead(k);
    for (std::size_t i = 0; i < k; ++i)
        lead[i] = static_cast<std::uint32_t>(i);
    auto find = [&](std::uint32_t i) {
        while (lead[i] != i) {
            lead[i] = lead[lead[i]];
            i = lead[i];
        }
        return i;
    };
    auto join = [&](std::uint32_t a, std::uint32_t b) {
        a = find(a);
        b = find(b);
        if (a == b)
            return false;
        lead[std::max(a, b)] = std::min(a, b);
        return true;
    };
    // First the pieces alone: joining knots that are near each other only
    // adds loops and merges groups, so a network that already has a loop and
    // is one group needs nothing more.
    {
        bool cycle = false;
        std::vector<char> seen(pieces_.size(), 0);
        std::size_t groups = 0;
        for (std::size_t i = 0; i < k; ++i)
            groups += knot_uses_[i] != 0;
        for (std::size_t e = 0; e < entry_piece_.size(); ++e) {
            if (!live_[e] || seen[entry_piece_[e]])
                continue;
            seen[entry_piece_[e]] = 1;
            if (join(entry_knot_[0][e], entry_knot_[1][e]))
                --groups;
            else
                cycle = true;
        }
        if (cycle && groups == 1) {
            out.has_cycle = true;
            out.of_entry.assign(entry_piece_.size(), 0);
            for (std::size_t i = 0; i < k; ++i)
                if (knot_uses_[i]) {
                    out.lowest.push_back(knots_[i]);
                    break;
                }
            return out;
        }
        for (std::size_t i = 0; i < k; ++i)
            lead[i] = static_cast<std::uint32_t>(i);
    }
    // Knots a walk takes for one point: those in use, joined by rounding or
    // by node_join, found through a grid at least that wide.  Knots that
    // no grid can index join only the knot they are.
    const double reach = std::max(node_join, 1e-3 + std::fabs(flat_eps));
    for_near_knots(reach, true, [&](std::uint32_t a, std::uint32_t b) {
        if (points_joined(knots_[a], knots_[b], flat_eps))
            join(a, b);
    });
    // A piece whose ends are already one component closes a loop.
    std::vector<char> seen(pieces_.size(), 0);
    for (std::size_t e = 0; e < entry_piece_.size(); ++e) {
        if (!live_[e] || seen[entry_piece_[e]])
            continue;
        seen[entry_piece_[e]] = 1;
        if (!join(entry_knot_[0][e], entry_knot_[1][e]))
            out.has_cycle = true;
    }
    // Components numbered from the lowest point up.
    std::vector<std::uint32_t> number(k, UINT32_MAX);
    for (std::size_t i = 0; i < k; ++i) {
        if (!knot_uses_[i])
            continue;
        std::uint32_t r = find(static_cast<std::uint32_t>(i));
        if (number[r] == UINT32_MAX) {
            number[r] = static_cast<std::uint32_t>(out.lowest.size());
            out.lowest.push_back(knots_[i]);
        }
    }
    out.of_entry.assign(entry_piece_.size(), UINT32_MAX);
    for (std::size_t e = 0; e < entry_piece_.size(); ++e)
        if (live_[e])
            out.of_entry[e] = number[find(entry_knot_[0][e])];
    return out;
}

}  // namespace geom
