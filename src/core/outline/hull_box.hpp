// Convex hulls and oriented bounding boxes of point sets.
//
// A box is four corners, not closed, from a corner `origin`, a frame
// direction vec and its left normal perp = (-vec.y, vec.x), a width along vec
// and a height along perp: origin, origin + vec w, (origin - perp h) + vec w,
// origin - perp h, each coordinate computed in that order.  The frame
// coordinates of a point p from a base b are dot(p - b, vec) (along) and
// dot(p - b, perp) (across); extremes are taken as the interpreter's max and
// min take them (the first of equal values, NaN only from the first place).
// Tolerances and faults are those of polyline.hpp.
#pragma once

#include "core/outline/polyline.hpp"

#include <array>
#include <cstddef>
#include <optional>
#include <span>
#include <vector>

namespace geom {

// Positions of the convex hull's vertices, counter-clockwise, not closed:
// a monotone chain over the points sorted by x, then y (the first of exact
// repeats kept; points with a NaN coordinate left out), keeping strict left
// turns only (exact cross products), then turned to start at the vertex of
// least polar angle about the origin (a vertex within flat_eps of the origin
// first; the earliest in hull order among equal angles).  One distinct point
// gives that point alone; none gives nothing.
std::vector<std::size_t> convex_hull(std::span<const Vec2> pts, double flat_eps, ArcCos arccos, Fault &fault,
                                     const Interrupt &stop = {});

// The axis-aligned extremes as sorted(values)[0] and sorted(values)[-1]
// give them (a stable sort: the first of the least values and the last of
// the greatest); `nan` is set when a coordinate is NaN, which a sort orders
// by its own rules.
struct SortedBound {
    VertexBound box;
    bool nan = false;
};
SortedBound sorted_bound(std::span<const Vec2> pts);

// The first point of least x (the interpreter's min by x).
std::size_t leftmost(std::span<const Vec2> pts);

using Corners = std::array<Vec2, 4>;

// The box along each segment in turn, its across extent measured from
// `base` (the leftmost point) and its along extent from the segment's start;
// the first box of strictly least area wins.  Empty when no area is below
// infinity.
std::optional<Corners> minimum_area_box(std::span<const Vec2> pts, Vec2 base, double flat_eps, Fault &fault,
                                        const Interrupt &stop = {});

// The box along a given direction, both extents measured from `base`, with
// the corner at the least along and the greatest across value.
Corners direction_box(std::span<const Vec2> pts, Vec2 base, Vec2 vec);

// The first segment of greatest length (the interpreter's max by length).
std::size_t longest_segment(std::span<const Vec2> pts, Fault &fault);

}  // namespace geom
