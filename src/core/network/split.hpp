// The split of a segment network at its crossings into pieces that meet
// only at their end points.
//
// Each segment is cut at the crossings found on it, in the order of their
// parameters along it; only the stretch between its first and its last
// crossing is kept.  Crossings are joined into nodes by the rule the walks
// join points by (equal 3-decimal roundings, or within node_join on both
// axes), and by nothing else: every piece that meets at a node ends on the
// same point, and a piece between two crossings of one node vanishes.  A segment end that
// comes that close to another segment meets it, as if the two crossed.
//
// Segments on one straight line that meet end to end or overlap (a wall
// drawn in pieces) make up one wall: it is cut at every crossing found on any
// of them, and a stretch covered twice gives one piece.
#pragma once

#include "core/basics/interrupt.hpp"
#include "core/basics/vec2.hpp"

#include <cstddef>
#include <cstdint>
#include <span>
#include <vector>

namespace geom {

// Points this close on both axes (half of the walks' rounding step) are one
// node to the walks; a segment end this close to another segment meets it.
inline constexpr double node_join = 5e-4;
// Segments on one line within node_join whose directions differ by at most
// this (as the sine of the angle between them) are pieces of one wall.
inline constexpr double wall_turn = 1e-6;

struct SplitPiece {
    std::uint32_t start, end;  // nodes, in the direction of the segment cut
};

struct NetworkSplit {
    std::vector<Vec2> nodes;
    // In the order the segments were first found crossing (pairs (i, j),
    // i < j, ascending), each segment's pieces by ascending parameter; a
    // wall drawn in pieces gives all its pieces where its first segment
    // would, along that segment.
    std::vector<SplitPiece> pieces;
    // Nodes whose crossings lay apart (by more than an eighth of node_join),
    // or that cut a wall drawn in pieces: pieces drawn to such a node are bent
    // off their segments and may cross others away from any node; elsewhere
    // pieces cross only near a node, where the node's own test finds them.
    // Empty: any node may be.
    std::vector<char> loose;
};

// `flat_eps`: the point tolerance of the walks' rounding comparison;
// `eps`: the segment tolerance of the crossing test and of the parameters.
NetworkSplit split_network(std::span<const Vec2> starts, std::span<const Vec2> ends, double flat_eps, double eps,
                           const Interrupt &stop = {});

// Cuts the pieces again until no two cross, overlap or touch except at a
// shared node, and no node lies within node_join on both axes of the
// nearest point of a piece it is not an end of: crossings become nodes,
// pieces are routed through the nodes they pass that close, and nodes
// brought within the walks' join rule of one another become one, at the
// place of the first; so do the two nodes of a piece no longer than
// flat_eps, which has no direction for the walks.  A network that needs no
// cut is left exactly as it is.  False when it still needed cuts after the
// last round.  split_network ends with it.
bool make_planar(NetworkSplit &net, double flat_eps, const Interrupt &stop = {});

}  // namespace geom
