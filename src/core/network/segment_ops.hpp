// Geometry that only segments need: the walk that orders the segments of a
// chain into its nodes.
//
// The tolerance is passed in, as everywhere in the core: `flat_eps` is the
// point tolerance of tolerant point equality.
#pragma once

#include "core/basics/vec2.hpp"

#include <cstddef>
#include <span>
#include <vector>

namespace geom {

struct SegmentEnds {
    Vec2 start, end;
};

// ------------------------------------------------------------ chain walk
//
// The segments of a chain are taken one at a time, each time the first one
// in list order that touches the current walk end (the start of a segment
// tested before its end).  The walk goes forward from the end of the segment
// drawn first; when no segment touches that end any more, it goes on
// backwards from the drawn segment's start.  A segment is taken as it is: met
// end first, it is walked from its end to its start.

struct ChainStep {
    std::size_t index;  // position in the list the walk was given
    bool at_start;      // the walk end matched the segment's start: the next node is its end
};

struct ChainWalk {
    std::vector<ChainStep> forward;   // in walk order, away from the drawn segment's end
    std::vector<ChainStep> backward;  // in walk order, away from the drawn segment's start
    bool connected = true;            // false: some segments touch neither walk end
    std::vector<std::size_t> left;    // when not connected: the segments never reached, in list order
};

// The walk itself, on any notion of touching.  `rest` holds the segments not
// yet taken:
//   bool empty() const;
//   bool take(const End &end, ChainStep &step);  // finds and removes the first touching segment
//   std::vector<std::size_t> indices() const;     // the segments never taken, in list order
// and `next_end(step)` is the walk end after a step: the other end of the
// segment taken.  A failing test (an exception) leaves the segments taken so
// far taken.
template <class Rest, class End, class NextEnd>
ChainWalk walk_chain_with(Rest &rest, End forward_end, End backward_end, NextEnd &&next_end) {
    ChainWalk walk;
    ChainStep step{};
    End end = forward_end;
    while (!rest.empty() && rest.take(end, step)) {
        walk.forward.push_back(step);
        end = next_end(step);
    }
    end = backward_end;
    while (!rest.empty()) {
        if (!rest.take(end, step)) {
            walk.connected = false;
            walk.left = rest.indices();
            break;
        }
        walk.backward.push_back(step);
        end = next_end(step);
    }
    return walk;
}

// Which positions of a list of `count` segments are not taken yet.
class ChainRemaining {
public:
    explicit ChainRemaining(std::size_t count) : alive_(count, true), count_(count) {}
    bool empty() const { return count_ == 0; }
    std::size_t size() const { return alive_.size(); }
    bool alive(std::size_t i) const { return alive_[i]; }
    void remove(std::size_t i) {
        alive_[i] = false;
        --count_;
        while (first_ < alive_.size() && !alive_[first_])
            ++first_;
    }
    // No position before this one is alive.
    std::size_t first() const { return first_; }
    std::vector<std::size_t> indices() const;

private:
    std::vector<bool> alive_;
    std::size_t count_;
    std::size_t first_ = 0;
};

// The scan of the list from its front with the caller's test: `same(end, i,
// at_start)` tells whether the walk end equals the start (at_start) or the
// end of segment i.  Each test runs once per segment and scan, the start's
// first, and the scan stops at the first match.
template <class End, class Same>
class ScanRemaining : public ChainRemaining {
public:
    ScanRemaining(std::size_t count, Same same) : ChainRemaining(count), same_(same) {}
    bool take(const End &end, ChainStep &step) {
        for (std::size_t i = first(); i < size(); ++i) {
            if (!alive(i))
                continue;
            bool at_start = same_(end, i, true);
            if (at_start || same_(end, i, false)) {
                step = {i, at_start};
                remove(i);
                return true;
            }
        }
        return false;
    }

private:
    Same same_;
};

// The walk on coordinates, with tolerant point equality (each coordinate
// within flat_eps): the first segment is drawn and removed by the caller,
// whose start and end are `backward_end` and `forward_end`.
ChainWalk walk_chain(std::span<const SegmentEnds> segments, Vec2 forward_end, Vec2 backward_end,
                     double flat_eps);

}  // namespace geom
