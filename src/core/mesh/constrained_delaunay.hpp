// core/mesh: the constrained triangulation, outline meshes, 3D point sets and façade panels.
// Includes basics/ and planar/.
//
// A constrained Delaunay triangulation on half-edge arrays.
//
// Vertices are inserted one by one, in rounds of a random order that double
// in size, each round along a Hilbert curve; each vertex is located by a
// walk from the last one and made Delaunay by flips; the triangulation lies
// inside a large triangle of three extra vertices (numbers n, n+1, n+2), so
// every given vertex is interior.  A constraint edge is laid by removing the
// triangles it crosses and triangulating the two polygons on either side of
// it afresh, each as its own constrained Delaunay triangulation (its
// vertices put back one by one in a random order, each linked to the two it
// lay between when it was taken out).  Orientation and in-circle signs are
// exact, so the vertices must be distinct and finite; collinear and
// co-circular vertices are fine.
//
// Half-edge e belongs to triangle e / 3 and runs from vertex `origin(e)` to
// `origin(next(e))`; triangles are counter-clockwise, so a triangle lies to
// the left of its half-edges.  Working arrays are kept by the object, so
// laying edges allocates nothing once they have grown to their size.
#pragma once

#include "core/basics/interrupt.hpp"
#include "core/basics/vec2.hpp"

#include <cstdint>
#include <span>
#include <utility>
#include <vector>

namespace geom {

class ConstrainedDelaunay {
public:
    static constexpr std::uint32_t none = UINT32_MAX;

    ConstrainedDelaunay(std::span<const Vec2> vertices, const Interrupt &stop = {});

    // Where a constraint could not be laid: it crosses an earlier constraint
    // edge (of ring `other`) near `at`, or its walk failed (other = -1).
    struct Crossing {
        std::int32_t other = -1;
        Vec2 at{};
    };

    // Makes the segment a-b a chain of triangle edges, of ring `ring`, that
    // adds `weight` to the winding number of the points on its left.  A
    // vertex on the segment, or within `snap` of it, becomes a corner of the
    // chain.  Edges laid twice sum their weights.  False, with `crossing`
    // set, when the segment crosses an earlier constraint edge.
    bool constrain(std::uint32_t a, std::uint32_t b, std::int32_t ring, std::int32_t weight, double snap,
                   Crossing &crossing);

    // The winding number of every triangle: 0 for those at the outer
    // vertices, changed across each constraint edge by its weight.  False
    // when two routes disagree (constraints that do not close).
    bool windings(std::vector<std::int32_t> &winding) const;

    std::size_t triangle_count() const { return origin_.size() / 3; }
    std::uint32_t origin(std::uint32_t e) const { return origin_[e]; }
    std::uint32_t twin(std::uint32_t e) const { return twin_[e]; }
    // The ring of a constraint edge, -1 for a free edge.
    std::int32_t ring_of(std::uint32_t e) const { return ring_[e]; }
    // Whether the triangle has the three given vertices only (no outer one).
    bool inner(std::size_t t) const {
        return origin_[3 * t] < n_ && origin_[3 * t + 1] < n_ && origin_[3 * t + 2] < n_;
    }
    static std::uint32_t next(std::uint32_t e) { return e % 3 == 2 ? e - 2 : e + 1; }
    static std::uint32_t prev(std::uint32_t e) { return e % 3 == 0 ? e + 2 : e - 1; }

private:
    struct Side {
        std::uint32_t twin;
        std::int32_t ring, weight;
    };

    std::uint32_t new_triangle();
    void set_triangle(std::uint32_t t, std::uint32_t a, std::uint32_t b, std::uint32_t c);
    Side side(std::uint32_t e) const { return {twin_[e], ring_[e], weight_[e]}; }
    void put(std::uint32_t e, Side s);
    void link(std::uint32_t e, std::uint32_t f);
    std::uint32_t flip(std::uint32_t e);

    std::uint32_t locate(Vec2 p, std::uint32_t t);
    void insert(std::uint32_t v, std::uint32_t &hint);
    void legalize();
    bool near_segment(std::uint32_t a, std::uint32_t b, std::uint32_t v, double snap) const;

    // Laying an edge (constrained_delaunay_edges.cpp): the polygons on
    // either side of a-b, whose crossed half-edges are in `crossed_`,
    // triangulated afresh; the half-edge a->b, or none.
    std::uint32_t lay(std::uint32_t a, std::uint32_t b);
    std::uint32_t fill(int side);
    bool closer_than_both(std::uint32_t p) const;
    void put_back(std::uint32_t u);
    std::uint32_t take_triangle();

    std::vector<Vec2> at_;
    std::uint32_t n_;
    std::vector<std::uint32_t> origin_, twin_, edge_of_;  // edge_of_: one half-edge leaving each vertex
    std::vector<std::int32_t> ring_, weight_;
    Interrupt stop_;
    std::uint32_t turn_ = 0;
    std::uint64_t random_ = 0x9E3779B97F4A7C15ULL;

    // Working arrays, reused from call to call.
    std::vector<std::uint32_t> stack_;                            // edges to test after an insertion
    std::vector<std::pair<std::uint32_t, std::uint32_t>> todo_;   // pieces of a constraint still to lay
    std::vector<std::uint32_t> crossed_, left_, right_, free_;    // a constraint's crossings, chains, spare triangles
    std::vector<std::uint32_t> polygon_[2];                       // the polygons left and right of it
    std::vector<Side> outside_[2];                                // what lies beyond their sides
    std::vector<std::uint32_t> before_, after_, order_, inner_, position_;  // the one being filled
    int current_ = 0;
    struct Dig {
        std::uint32_t v, w, e;
    };
    std::vector<Dig> dig_;
};

}  // namespace geom
