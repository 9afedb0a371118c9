// Queries over lists of solid points.  Each gives exactly the answer of the
// plain left-to-right scan or pairwise definition it replaces: the same
// tolerant tests (`<=` per axis), the same distance formula, the same
// earliest-wins tie-breaking.  The grid and sweep only narrow down which
// pairs are tested.
#pragma once

#include "core/basics/interrupt.hpp"
#include "core/basics/vec3.hpp"

#include <cstddef>
#include <optional>
#include <span>
#include <utility>
#include <vector>

namespace geom {

// ------------------------------------------------------- running extremes
// Each returns the position of the first point no later point beats
// strictly; the list must not be empty.

// Nearest to / farthest from target by distance(target, p).
Checked<size_t> nearest_index(Vec3 target, std::span<const Vec3> pts);
Checked<size_t> farthest_index(Vec3 target, std::span<const Vec3> pts);
// Lowest / highest in the tolerant y, x, z order; each point is compared with
// the current candidate only.
size_t min_index(std::span<const Vec3> pts, double eps);
size_t max_index(std::span<const Vec3> pts, double eps);

// How many points equal target; whether one does.
size_t count_equal(Vec3 target, std::span<const Vec3> pts, double eps);
bool any_equal(Vec3 target, std::span<const Vec3> pts, double eps);

// The mean point: running sums from 0.0 divided by the count (not empty).
Vec3 mean_point(std::span<const Vec3> pts);

// ---------------------------------------------------- tolerant duplicates
// On a uniform grid, in expected linear time.  Callers pass finite points only
// and check grid_usable first.

// Whether the grid can index these points at tolerance eps: eps positive and
// finite, and every coordinate divided by the cell size within 64-bit range.
bool grid_usable(std::span<const Vec3> pts, double eps);

// Positions of the points kept when each point is dropped if it equals a
// point kept before it (input order).
std::vector<size_t> first_of_each_group(std::span<const Vec3> pts, double eps, const Interrupt &stop = {});

// Positions of the points equal to no other point of the list.
std::vector<size_t> points_without_twin(std::span<const Vec3> pts, double eps, const Interrupt &stop = {});

// Whether some two points of the list are equal.
bool has_tolerant_pair(std::span<const Vec3> pts, double eps, const Interrupt &stop = {});

// ----------------------------------------------------------- closest pair

// Whether every coordinate's magnitude is below `limit`.  Below
// closest_pair_limit no difference of two coordinates has a square beyond the
// double range.
bool coordinates_below(std::span<const Vec3> pts, double limit);
constexpr double closest_pair_limit = 6e153;

// The closest pair (i < j) by distance(pts[i], pts[j]); of several pairs at
// the least distance, the first in (i, j) order.  Empty for fewer than two
// points.  Points with coordinates below closest_pair_limit only.
std::optional<std::pair<size_t, size_t>> closest_pair(std::span<const Vec3> pts, const Interrupt &stop = {});

}  // namespace geom
