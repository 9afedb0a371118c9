#include "core/network/segment_ops.hpp"
#include "core/planar/point_set.hpp"

#include <cmath>
#include <cstdint>
#include <optional>
#include <unordered_map>

namespace geom {

std::vector<std::size_t> ChainRemaining::indices() const {
    std::vector<std::size_t> out;
    for (std::size_t i = first_; i < alive_.size(); ++i)
        if (alive_[i])
            out.push_back(i);
    return out;
}

namespace {

bool touches(const SegmentEnds &s, Vec2 end, double flat_eps) {
    return tolerant_equal(end, s.start, flat_eps) || tolerant_equal(end, s.end, flat_eps);
}

// The scan's answers through a hash grid of the end points with cells twice
// as wide as the tolerance: two equal points always lie in the same or in
// neighbouring cells, so only the 3 x 3 cells around the walk end are looked
// at, and the least position among the touching segments there is taken.
class GridRemaining : public ChainRemaining {
public:
    GridRemaining(std::span<const SegmentEnds> segs, double flat_eps)
        : ChainRemaining(segs.size()), segs_(segs), flat_eps_(flat_eps), cell_(2 * flat_eps) {
        for (std::size_t i = 0; i < segs.size(); ++i) {
            cells_[key(segs[i].start)].push_back(i);
            Key k = key(segs[i].end);
            if (k != key(segs[i].start))
                cells_[k].push_back(i);
        }
    }

    bool take(Vec2 end, ChainStep &step) {
        std::optional<std::size_t> i = first_touching(end);
        if (!i)
            return false;
        step = {*i, tolerant_equal(end, segs_[*i].start, flat_eps_)};
        remove(*i);
        return true;
    }

private:
    struct Key {
        int64_t i, j;
        bool operator==(const Key &o) const { return i == o.i && j == o.j; }
        bool operator!=(const Key &o) const { return !(*this == o); }
    };
    struct KeyHash {
        std::size_t operator()(const Key &k) const {
            uint64_t h = (uint64_t) k.i * 0x9E3779B97F4A7C15ULL ^ ((uint64_t) k.j * 0xC2B2AE3D27D4EB4FULL);
            return (std::size_t) (h ^ (h >> 31));
        }
    };

    Key key(Vec2 p) const { return {(int64_t) std::floor(p.x / cell_), (int64_t) std::floor(p.y / cell_)}; }

    std::optional<std::size_t> first_touching(Vec2 end) {
        Key c = key(end);
        std::optional<std::size_t> best;
        for (int64_t di = -1; di <= 1; ++di)
            for (int64_t dj = -1; dj <= 1; ++dj) {
                auto it = cells_.find({c.i + di, c.j + dj});
                if (it == cells_.end())
                    continue;
                std::vector<std::size_t> &entries = it->second;
                for (std::size_t k = 0; k < entries.size();) {
                    std::size_t i = entries[k];
                    if (!alive(i)) {  // taken earlier: forget it here
                        entries[k] = entries.back();
                        entries.pop_back();
                        continue;
                    }
                    if ((!best || i < *best) && touches(segs_[i], end, flat_eps_))
                        best = i;
                    ++k;
                }
            }
        return best;
    }

    std::span<const SegmentEnds> segs_;
    double flat_eps_;
    double cell_;
    std::unordered_map<Key, std::vector<std::size_t>, KeyHash> cells_;
};

}  // namespace

ChainWalk walk_chain(std::span<const SegmentEnds> segments, Vec2 forward_end, Vec2 backward_end,
                     double flat_eps) {
    auto next_end = [&](const ChainStep &step) {
        const SegmentEnds &s = segments[step.index];
        return step.at_start ? s.end : s.start;
    };
    std::vector<Vec2> points{forward_end, backward_end};
    for (const SegmentEnds &s : segments) {
        points.push_back(s.start);
        points.push_back(s.end);
    }
    if (grid_usable(points, flat_eps)) {
        GridRemaining rest(segments, flat_eps);
        return walk_chain_with(rest, forward_end, backward_end, next_end);
    }
    auto same = [&](Vec2 end, std::size_t i, bool at_start) {
        return tolerant_equal(end, at_start ? segments[i].start : segments[i].end, flat_eps);
    };
    ScanRemaining<Vec2, decltype(same)> rest(segments.size(), same);
    return walk_chain_with(rest, forward_end, backward_end, next_end);
}

}  // namespace geom
