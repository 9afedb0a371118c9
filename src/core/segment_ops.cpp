#include "core/segment_ops.hpp"
#include "core/point_set.hpp"

#include <cmath>
#include <cstdint>
#include <optional>
#include <unordered_map>

namespace geom {
namespace {

// The segments not yet taken.  `take` finds the first of them in list order
// that touches a walk end, as a scan of the list from its front does, and
// removes it.
class Remaining {
public:
    explicit Remaining(std::span<const SegmentEnds> segs) : segs_(segs), alive_(segs.size(), true), count_(segs.size()) {}
    virtual ~Remaining() = default;
    bool empty() const { return count_ == 0; }

    bool take(Vec2 end, double flat_eps, ChainStep &step) {
        std::optional<std::size_t> i = first_touching(end, flat_eps);
        if (!i)
            return false;
        step = {*i, tolerant_equal(end, segs_[*i].start, flat_eps)};
        alive_[*i] = false;
        --count_;
        return true;
    }

    std::vector<std::size_t> indices() const {
        std::vector<std::size_t> out;
        for (std::size_t i = 0; i < alive_.size(); ++i)
            if (alive_[i])
                out.push_back(i);
        return out;
    }

protected:
    bool touches(std::size_t i, Vec2 end, double flat_eps) const {
        return tolerant_equal(end, segs_[i].start, flat_eps) || tolerant_equal(end, segs_[i].end, flat_eps);
    }
    virtual std::optional<std::size_t> first_touching(Vec2 end, double flat_eps) {
        // From the front: the first segment still there that touches.
        for (std::size_t i = first_alive_; i < alive_.size(); ++i) {
            if (!alive_[i]) {
                if (i == first_alive_)
                    ++first_alive_;
                continue;
            }
            if (touches(i, end, flat_eps))
                return i;
        }
        return std::nullopt;
    }

    std::span<const SegmentEnds> segs_;
    std::vector<bool> alive_;
    std::size_t count_;
    std::size_t first_alive_ = 0;
};

// The same answers through a hash grid of the end points with cells twice
// as wide as the tolerance: two equal points always lie in the same or in
// neighbouring cells, so only the 3 x 3 cells around the walk end are looked
// at, and the least position among the touching segments there is taken.
class GridRemaining : public Remaining {
public:
    GridRemaining(std::span<const SegmentEnds> segs, double flat_eps) : Remaining(segs), cell_(2 * flat_eps) {
        for (std::size_t i = 0; i < segs.size(); ++i) {
            cells_[key(segs[i].start)].push_back(i);
            Key k = key(segs[i].end);
            if (k != key(segs[i].start))
                cells_[k].push_back(i);
        }
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

    std::optional<std::size_t> first_touching(Vec2 end, double flat_eps) override {
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
                    if (!alive_[i]) {  // taken earlier: forget it here
                        entries[k] = entries.back();
                        entries.pop_back();
                        continue;
                    }
                    if ((!best || i < *best) && touches(i, end, flat_eps))
                        best = i;
                    ++k;
                }
            }
        return best;
    }

    double cell_;
    std::unordered_map<Key, std::vector<std::size_t>, KeyHash> cells_;
};

Vec2 next_end(const SegmentEnds &s, const ChainStep &step) { return step.at_start ? s.end : s.start; }

ChainWalk walk(std::span<const SegmentEnds> segments, Remaining &rest, Vec2 forward_end, Vec2 backward_end,
               double flat_eps) {
    ChainWalk walk;
    ChainStep step{};
    Vec2 end = forward_end;
    while (!rest.empty() && rest.take(end, flat_eps, step)) {
        walk.forward.push_back(step);
        end = next_end(segments[step.index], step);
    }
    end = backward_end;
    while (!rest.empty()) {
        if (!rest.take(end, flat_eps, step)) {
            walk.connected = false;
            walk.left = rest.indices();
            break;
        }
        walk.backward.push_back(step);
        end = next_end(segments[step.index], step);
    }
    return walk;
}

}  // namespace

ChainWalk walk_chain(std::span<const SegmentEnds> segments, Vec2 forward_end, Vec2 backward_end,
                     double flat_eps) {
    std::vector<Vec2> points{forward_end, backward_end};
    for (const SegmentEnds &s : segments) {
        points.push_back(s.start);
        points.push_back(s.end);
    }
    if (grid_usable(points, flat_eps)) {
        GridRemaining rest(segments, flat_eps);
        return walk(segments, rest, forward_end, backward_end, flat_eps);
    }
    Remaining rest(segments);
    return walk(segments, rest, forward_end, backward_end, flat_eps);
}

}  // namespace geom
