// A constrained Delaunay triangulation on half-edge arrays.
//
// Vertices are inserted one by one in Hilbert-curve order, each located by a
// walk from the last one and made Delaunay by flips; the triangulation lies
// inside a large triangle of three extra vertices (numbers n, n+1, n+2), so
// every given vertex is interior.  Constraint edges are then recovered by
// flipping the edges they cross and restoring the Delaunay property around
// them.  Orientation and in-circle signs are exact, so the vertices must be
// distinct and finite; collinear and co-circular vertices are fine.
//
// Half-edge e belongs to triangle e / 3 and runs from vertex `origin(e)` to
// `origin(next(e))`; triangles are counter-clockwise, so a triangle lies to
// the left of its half-edges.
#pragma once

#include "core/interrupt.hpp"
#include "core/vec2.hpp"

#include <cstdint>
#include <span>
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
    void legalize(std::vector<std::uint32_t> &stack);
    std::uint32_t find_edge(std::uint32_t a, std::uint32_t b) const;
    bool near_segment(std::uint32_t a, std::uint32_t b, std::uint32_t v, double snap) const;
    bool lay(std::uint32_t a, std::uint32_t b, const std::vector<std::uint32_t> &crossed);

    std::vector<Vec2> at_;
    std::uint32_t n_;
    std::vector<std::uint32_t> origin_, twin_, edge_of_;  // edge_of_: one half-edge leaving each vertex
    std::vector<std::int32_t> ring_, weight_;
    Interrupt stop_;
    std::uint32_t turn_ = 0;
};

}  // namespace geom
