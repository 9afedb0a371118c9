// The groups that points form under the walks' join rule (points_joined:
// equal 3-decimal roundings, or within node_join on both axes), taken
// transitively, in time near-linear in the points however many of them lie
// at one place.
#pragma once

#include "core/basics/interrupt.hpp"
#include "core/planar/union_find.hpp"
#include "core/basics/vec2.hpp"

#include <span>

namespace geom {

// Joins in `g` (indexed as `points`) every two finite points that
// points_joined takes, and so every point to all it is joined to through
// others.  Points with a NaN or an infinity join nothing.  Points no grid
// can index (beyond about 8e15) join nothing either.
void join_points(std::span<const Vec2> points, double flat_eps, Groups &g, const Interrupt &stop = {});

}  // namespace geom
