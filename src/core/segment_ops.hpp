// Geometry that only segments need: the walk that orders the segments of a
// chain into its nodes.
//
// The tolerance is passed in, as everywhere in the core: `flat_eps` is the
// point tolerance of tolerant point equality.
#pragma once

#include "core/vec2.hpp"

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
// in list order that touches the current walk end (tolerant equality within
// flat_eps, the start of a segment tested before its end).  The walk goes
// forward from the end of the segment drawn first; when no segment touches
// that end any more, it goes on backwards from the drawn segment's start.

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

ChainWalk walk_chain(std::span<const SegmentEnds> segments, Vec2 forward_end, Vec2 backward_end,
                     double flat_eps);

}  // namespace geom
