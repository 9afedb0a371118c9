// Division of a four-cornered façade into storey rows and unit columns.
//
// Rows follow the running sum of the storey heights: the first running level
// within eps of the façade's height H, or above it, is replaced by H itself
// and ends the list; levels above the last storey get no row.  Columns are
// whole units of width U (their boundaries by repeated addition) and a last
// narrower column for a remainder above eps; a remainder of at most eps is
// dropped.  Cells are visited column by column, each column bottom-up.
#pragma once

#include "core/basics/circle_arc.hpp"  // py_mod, py_floor_div
#include "core/basics/interrupt.hpp"
#include "core/basics/vec3.hpp"

#include <cstdint>
#include <span>
#include <vector>

namespace geom {

struct Levels {
    std::vector<double> values;
    bool topped = false;  // the last value is H itself
};
// The level list of a façade of height H from the storey heights.
Levels storey_levels(std::span<const double> storey_heights, double H, double eps);

// The column offsets: 0, then `units` times the running sum of U, then the
// remainder plus the last sum when the remainder exceeds eps.
std::vector<double> unit_offsets(int64_t units, double U, double rest, double eps, const Interrupt &stop = {});

// Position label of index i among `count` (first -1, last 1, inner 0; the
// first test wins, so a single one is -1).
inline int edge_label(size_t i, size_t count) { return i == 0 ? -1 : (i + 1 == count ? 1 : 0); }

// The point at offsets (w, h) of the grid spanned from `origin` by the unit
// axes: (origin + axis_i * w) + axis_j * h.
inline Vec3 facade_point(Vec3 origin, Vec3 axis_i, Vec3 axis_j, double w, double h) {
    return (origin + axis_i * w) + axis_j * h;
}

}  // namespace geom
