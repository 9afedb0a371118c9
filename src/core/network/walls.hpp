// Walls drawn in pieces, for the network split: which segments make up one
// wall, and the direction its pieces are cut along.
//
// Two segments longer than node_join whose ends are not joined are pieces of
// one wall when they are nearly parallel and meet or overlap along one line
// (one_wall).  A segment too short to stand alone (its ends joined, or no
// longer than node_join) is a piece of the wall it lies along and carries on
// past an end of a longer piece: both its ends within node_join of the
// piece's line, reaching past its stretch by at most a join distance, and
// turned from it by less than 45 degrees.  Short pieces that
// meet each other end to end join one another; where they lie on no longer
// wall, they make a wall of their own when together they run straight and
// their two far ends are not joined.  A short piece lying on two walls that
// are not on one line (at a corner) joins only the first.
#pragma once

#include "core/basics/interrupt.hpp"
#include "core/planar/union_find.hpp"
#include "core/basics/vec2.hpp"

#include <cstddef>
#include <span>
#include <utility>
#include <vector>

namespace geom {

// Too short to stand alone: finite, and ends joined or no longer than
// node_join.
bool short_piece(Vec2 a, Vec2 b, double flat_eps);
// Whether two segments longer than node_join are pieces of one wall.
bool one_wall(Vec2 a0, Vec2 a1, Vec2 b0, Vec2 b1);
// Whether the short piece s0-s1 lies along the segment l0-l1 (not short).
bool lies_along(Vec2 s0, Vec2 s1, Vec2 l0, Vec2 l1);
// Whether the segment s0-s1 is a copy of part of the segment l0-l1: both
// its ends within node_join of l0-l1 on both axes, not a piece of one wall
// with it (turned from it by more than wall_turn, or apart), and shorter;
// of two copies of one whole wall (each within node_join of the other), the
// one drawn later (`later`).
bool copy_along(Vec2 s0, Vec2 s1, Vec2 l0, Vec2 l1, bool later);
// Whether two short pieces meet end to end.
bool shorts_meet(Vec2 a0, Vec2 a1, Vec2 b0, Vec2 b1);

struct WallPairs {
    std::vector<std::pair<std::size_t, std::size_t>> long_pairs;   // one_wall
    std::vector<std::pair<std::size_t, std::size_t>> along;        // (short, segment it lies along)
    std::vector<std::pair<std::size_t, std::size_t>> short_pairs;  // shorts_meet
    bool empty() const { return long_pairs.empty() && along.empty() && short_pairs.empty(); }
};

struct Walls {
    Groups groups;                // over segments; a wall's lead is its first segment
    std::vector<char> member;     // segment -> piece of a wall (empty: no walls)
    std::vector<Vec2> direction;  // lead -> the wall's direction where its key is short
};

Walls assemble_walls(std::span<const Vec2> starts, std::span<const Vec2> ends, const WallPairs &pairs,
                     double flat_eps, const Interrupt &stop = {});

}  // namespace geom

namespace geom {

// The pairs of segments whose boxes, widened by `reach`, overlap (i < j,
// ascending), as overlapping_pairs lists them, but for the pairs within a
// stack: many longer segments on one line (a wall drawn over itself).  Runs
// go on past gaps whose ends the walks join (`flat_eps`).  A
// stack's segments are joined into walls along the line, run by run, in
// `pairs.long_pairs`, and never tested pair by pair, so that n copies of one
// wall cost n log n.
std::vector<std::pair<std::size_t, std::size_t>> split_pairs(std::span<const Vec2> starts, std::span<const Vec2> ends,
                                                             std::span<const char> shorts, double reach,
                                                             double flat_eps, WallPairs &pairs,
                                                             const Interrupt &stop = {});

}  // namespace geom
