#include "core/segment_ops.hpp"

namespace geom {
namespace {

// The segments not yet taken, in list order.  Each walk step scans them from
// the front, as the walk over a list does; removing one keeps the order.
class Remaining {
public:
    explicit Remaining(std::size_t n) {
        alive_.resize(n);
        for (std::size_t i = 0; i < n; ++i)
            alive_[i] = i;
    }
    bool empty() const { return alive_.empty(); }

    // The first segment touching `end`, removed from the remaining ones.
    bool take(std::span<const SegmentEnds> segs, Vec2 end, double flat_eps, ChainStep &step) {
        for (std::size_t k = 0; k < alive_.size(); ++k) {
            const SegmentEnds &s = segs[alive_[k]];
            bool at_start = tolerant_equal(end, s.start, flat_eps);
            if (at_start || tolerant_equal(end, s.end, flat_eps)) {
                step = {alive_[k], at_start};
                alive_.erase(alive_.begin() + (std::ptrdiff_t) k);
                return true;
            }
        }
        return false;
    }
    const std::vector<std::size_t> &indices() const { return alive_; }

private:
    std::vector<std::size_t> alive_;
};

Vec2 next_end(const SegmentEnds &s, const ChainStep &step) { return step.at_start ? s.end : s.start; }

}  // namespace

ChainWalk walk_chain(std::span<const SegmentEnds> segments, Vec2 forward_end, Vec2 backward_end,
                     double flat_eps) {
    ChainWalk walk;
    Remaining rest(segments.size());
    ChainStep step{};
    Vec2 end = forward_end;
    while (!rest.empty() && rest.take(segments, end, flat_eps, step)) {
        walk.forward.push_back(step);
        end = next_end(segments[step.index], step);
    }
    end = backward_end;
    while (!rest.empty()) {
        if (!rest.take(segments, end, flat_eps, step)) {
            walk.connected = false;
            walk.left = rest.indices();
            break;
        }
        walk.backward.push_back(step);
        end = next_end(segments[step.index], step);
    }
    return walk;
}

}  // namespace geom
