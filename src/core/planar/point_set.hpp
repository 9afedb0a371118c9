// Queries over sets of points under tolerant equality, in expected linear
// time.  Each gives exactly the answer of the pairwise definition: equality
// is tested with the same `<=` per axis, and a hash grid only narrows down
// which pairs are tested.  Callers pass finite coordinates only.
#pragma once

#include "core/basics/interrupt.hpp"
#include "core/basics/vec2.hpp"

#include <cstddef>
#include <optional>
#include <utility>
#include <vector>

namespace geom {

// Whether the grid below can index these points at tolerance eps: eps must
// be positive and finite, and every coordinate divided by the cell size must
// fit a 64-bit integer.
bool grid_usable(const std::vector<Vec2> &pts, double eps);

// Positions of the points kept when each point is dropped if it equals a
// point kept before it (the first of each group stays; input order).
std::vector<size_t> first_of_each_group(const std::vector<Vec2> &pts, double eps, const Interrupt &stop = {});

// Positions of the points equal to no other point of the list.
std::vector<size_t> points_without_twin(const std::vector<Vec2> &pts, double eps, const Interrupt &stop = {});

// Whether some two points of the list are equal.
bool has_tolerant_pair(const std::vector<Vec2> &pts, double eps, const Interrupt &stop = {});

// Whether every coordinate's magnitude is below `limit`.
bool coordinates_below(const std::vector<Vec2> &pts, double limit);

// The closest pair (i < j) by the distance sqrt(dx**2 + dy**2) computed from
// point i to point j; of several pairs at the least distance, the first in
// (i, j) order.  Empty for fewer than two points.
std::optional<std::pair<size_t, size_t>> closest_pair(const std::vector<Vec2> &pts, const Interrupt &stop = {});

}  // namespace geom
