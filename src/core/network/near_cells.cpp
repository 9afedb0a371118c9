// The cells a walk looks in for the pieces touching its point, at any
// tolerance and any coordinates: square cells over the 3-decimal roundings
// of the piece ends, wide enough that every end the walks join to a point
// lies in the cells around the point's own rounding.
#include "core/basics/rounding.hpp"
#include "core/network/segment_network.hpp"

#include <algorithm>
#include <cmath>
#include <limits>

namespace geom {

namespace {

// How far apart, per axis, two points that points_joined takes can have
// their 3-decimal roundings when no coordinate is larger in size than
// `bound`: within flat_eps, or the points within node_join and each moved by
// its rounding (to the nearest decimal, at most half the step, then to the
// nearest double, at most the spacing of doubles there).  A little more,
// for the rounding of these sums and of the differences points_joined
// takes.  A NaN or negative tolerance joins no rounding to another.
double rounded_reach(double flat_eps, double bound) {
    const double top = 2 * (bound + 1);
    const double spacing = std::nextafter(top, std::numeric_limits<double>::infinity()) - top;
    const double tolerance = flat_eps > 0 ? flat_eps : 0.0;
    return std::max(tolerance, node_join + 2 * (5e-4 + spacing)) * (1 + 0x1p-40);
}

bool cell_less(std::int64_t ax, std::int64_t ay, std::int64_t bx, std::int64_t by) {
    return ax < bx || (ax == bx && ay < by);
}

}  // namespace

bool SegmentNetwork::near_cells_ready(Vec2 pt, double flat_eps) {
    if (std::isnan(near_bound_)) {
        near_bound_ = 0.0;
        for (const PointKey &k : rounded_key_)
            near_bound_ = std::max({near_bound_, std::fabs(k.x), std::fabs(k.y)});
    }
    // A point beyond every end, or a tolerance no cell can be as wide as:
    // the caller scans every piece.
    if (!is_finite(pt) || !(std::fabs(pt.x) <= near_bound_ + 1 && std::fabs(pt.y) <= near_bound_ + 1))
        return false;
    const double reach = rounded_reach(flat_eps, near_bound_);
    if (!std::isfinite(2 * reach) || !std::isfinite(2 * (near_bound_ + 1)))
        return false;
    if (reach == near_reach_)
        return true;
    // Cells twice the reach wide: two roundings within the reach differ by
    // at most half a cell, and so their cell numbers by at most one: the
    // quotients stay below 2^51 in size (a cell is at least four spacings of
    // doubles at the largest coordinate), where the division moves each by
    // at most a quarter.
    near_reach_ = reach;
    near_cell_ = 2 * reach;
    near_.resize(rounded_key_.size());
    for (std::size_t k = 0; k < rounded_key_.size(); ++k)
        near_[k] = {static_cast<std::int64_t>(std::floor(rounded_key_[k].x / near_cell_)),
                    static_cast<std::int64_t>(std::floor(rounded_key_[k].y / near_cell_)), rounded_entry_[k]};
    std::sort(near_.begin(), near_.end(), [](const NearCells &a, const NearCells &b) {
        return cell_less(a.kx, a.ky, b.kx, b.ky) || (a.kx == b.kx && a.ky == b.ky && a.entry < b.entry);
    });
    return true;
}

void SegmentNetwork::near_candidates(Vec2 pt_round, std::vector<std::uint32_t> &out) const {
    const auto kx = static_cast<std::int64_t>(std::floor(pt_round.x / near_cell_));
    const auto ky = static_cast<std::int64_t>(std::floor(pt_round.y / near_cell_));
    // Each column's three cells lie together in the filing order.
    for (std::int64_t col = kx - 1; col <= kx + 1; ++col) {
        auto it = std::lower_bound(near_.begin(), near_.end(), ky - 1, [&](const NearCells &a, std::int64_t row) {
            return cell_less(a.kx, a.ky, col, row);
        });
        for (; it != near_.end() && it->kx == col && it->ky <= ky + 1; ++it)
            out.push_back(it->entry);
    }
}

}  // namespace geom
