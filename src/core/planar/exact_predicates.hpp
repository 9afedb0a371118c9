// Orientation and in-circle signs that are exact for every finite double
// input: a floating-point value is used when its error bound proves its
// sign; then the exact value of the rounded coordinate differences, and that
// value corrected for the differences' rounding errors, each with its own
// bound; and the exact sum of products (as a floating-point expansion) only
// when none of these decides.  Inputs whose products overflow are outside their reach.
#pragma once

#include "core/basics/vec2.hpp"

namespace geom::exact {

// +1 when c lies left of the line from a to b (a, b, c counter-clockwise),
// -1 right of it, 0 on it.
int orient(Vec2 a, Vec2 b, Vec2 c);

// +1 when p lies farther left of the line from a to b than q does (the
// sign of cross(b - a, p - q)), -1 when nearer, 0 at the same distance.
int farther(Vec2 a, Vec2 b, Vec2 p, Vec2 q);

// +1 when d lies inside the circle through the counter-clockwise triangle
// a, b, c, -1 outside it, 0 on it.  (For a clockwise triangle the sign is
// reversed.)
int in_circle(Vec2 a, Vec2 b, Vec2 c, Vec2 d);

}  // namespace geom::exact
