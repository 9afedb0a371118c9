// Shared pieces of the Flatkin module: its module-level names, read at call
// time, and the measures both Point and Vector use.
#pragma once

#include "core/vec2.hpp"
#include "pyutil/pyutil.hpp"

namespace flatkin {

// Module-level names looked up at every call: rebinding Flatkin.epsilon
// changes the tolerance of every later Point and Vector operation.
extern pyu::ModuleAttr epsilon, np, plt;
inline double eps() { return epsilon.get_double(); }

inline geom::Vec2 xy(nb::handle h) {
    pyu::XY p = pyu::read_xy(h);
    return {p.x, p.y};
}

// sqrt(pow(x, 2) + pow(y, 2)); a square beyond the double range raises
// OverflowError as math.pow does (an infinite coordinate gives inf).
double magnitude(double x, double y);
// sqrt(dx ** 2.0 + dy ** 2.0), with float `**` overflow raising OverflowError.
double distance(geom::Vec2 a, geom::Vec2 b);

// np.cos(angle) and np.sin(angle) for a float angle (numpy's own kernels,
// which can differ in the last bit from the C library's).
struct CosSin {
    double c, s;
};
CosSin np_cos_sin(double angle);

void bind_point(nb::module_ &m);
void bind_vector(nb::module_ &m);
// Adds x and y as double member descriptors to both classes.
void add_coordinate_members();

}  // namespace flatkin
