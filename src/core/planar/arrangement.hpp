// core/planar: the planar arrangement, exact predicates and the small spatial kernels they
// share (cell grids, pair maps, union-find, scratch arrays, point sets).  Includes basics/.
//
// A planar arrangement of segments, noded at a snap distance, and the region
// of its faces chosen by winding number.
//
// Noding: points within `snap` of each other (Euclidean, `<=`, transitively)
// become one node, led by the first of them, whose coordinates the node keeps
// exactly; segments that cross get a node at the crossing (or at a node
// within `snap` of it); a segment that passes within `snap` of a node it
// does not end at is routed through that node.  Routing bends a segment by
// at most `snap`, which may make new crossings, so the steps repeat until
// nothing changes.  Afterwards no two pieces cross, overlap or touch except
// at a shared end, and every node lies farther than `snap` from every piece
// it is not an end of.  `snap` = 0 nodes exact crossings and exact touches
// only.
//
// Winding: a segment from a to b with weight w adds w to the winding number
// of the points on its left, against those on its right; the unbounded face
// has winding 0.  A closed ring counter-clockwise with weight 1 gives its
// inside winding 1; clockwise, -1.
#pragma once

#include "core/basics/interrupt.hpp"
#include "core/planar/scratch.hpp"
#include "core/basics/vec2.hpp"

#include <cstdint>
#include <functional>
#include <span>
#include <vector>

namespace geom::arrangement {

// A directed input segment between two point numbers.
struct Edge {
    std::uint32_t from = 0, to = 0;
    std::int32_t weight = 1;
};

// A piece of an input segment between two nodes, in the segment's direction.
struct Piece {
    std::uint32_t from = 0, to = 0;
};

struct Noded {
    // The input points' lead points first (a node per cluster, numbered in
    // the order of the cluster's first point), then the nodes made at
    // crossings, in the order they were found.
    scratch_vector<Vec2> nodes;
    // The node of every input point.
    scratch_vector<std::uint32_t> node_of_point;
    // The pieces of input segment i are pieces[first_piece[i] ..
    // first_piece[i + 1]), in order from its start to its end; a segment
    // whose ends became one node has none.  Pieces of different segments
    // that run between the same two nodes lie on each other.
    scratch_vector<Piece> pieces;
    scratch_vector<std::uint32_t> first_piece;
    // Nodes made at crossings (rather than at input points): nodes.size()
    // minus the number of clusters of input points.
    std::size_t crossing_nodes = 0;
    // False when routing still changed something after the round limit
    // (pieces may then still cross); every input seen so far settles in two
    // or three rounds.
    bool planar = true;
};

// Nodes the segments at `snap`.  Points that are not finite must not be
// passed (the caller reports them).
Noded node(std::span<const Vec2> points, std::span<const Edge> edges, double snap, const Interrupt &stop = {});

// One undirected piece of the arrangement with its summed weight: the
// weights of every input piece between the same two nodes, each counted
// from `from` to `to` (a piece walked the other way counts negated).
struct Link {
    std::uint32_t from = 0, to = 0;
    std::int64_t weight = 0;
};

// The pieces merged by their two nodes, with summed weights; links whose
// weight sums to zero are left out unless `keep_zero`.  Ordered by the first
// input piece of each.  With `link_of_piece`, the link of every piece there
// (all bits set for one left out).
scratch_vector<Link> links(const Noded &noded, std::span<const Edge> edges, bool keep_zero = false,
                           scratch_vector<std::uint32_t> *link_of_piece = nullptr);

// The region whose faces' winding numbers pass `keep`, as rings of node
// numbers, each ring open (its first node not repeated) and simple: a ring
// that would touch itself at a node is split there.  Shells run
// counter-clockwise, holes clockwise; shell_of[k] is the shell that holds
// hole k, and -1 for a shell.  Rings are listed shell by shell, each shell
// before its holes, shells in the order of their lowest node.
struct Region {
    std::vector<std::vector<std::uint32_t>> rings;
    // steps[k][i]: the link from rings[k][i] to the next node of the ring.
    std::vector<std::vector<std::uint32_t>> steps;
    std::vector<std::int32_t> shell_of;
};
Region region(std::span<const Vec2> nodes, std::span<const Link> links,
              const std::function<bool(std::int64_t)> &keep, const Interrupt &stop = {});

// Twice the signed area of a ring of nodes: positive counter-clockwise.
double twice_area(std::span<const Vec2> nodes, std::span<const std::uint32_t> ring);

}  // namespace geom::arrangement
