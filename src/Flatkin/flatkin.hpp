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

inline double magnitude(double x, double y) { return pyu::py_magnitude(x, y); }
inline double distance(geom::Vec2 a, geom::Vec2 b) { return pyu::py_distance(a.x - b.x, a.y - b.y); }

// np.cos(angle) and np.sin(angle) for a float angle, by numpy's own kernels.
struct CosSin {
    double c, s;
};
CosSin np_cos_sin(double angle);

// The value protocol both classes share.  `init` stores float(x), then
// float(y) (a failing y leaves the new x) on an instance of `type`; `text`
// is "Name(x, y)" in Python's float text; `hash` is hash((x, y)).
void init(nb::handle self, nb::handle x, nb::handle y, PyTypeObject *type);
std::string text(nb::handle self, const char *name);
Py_hash_t hash(nb::handle self);

void bind_point(nb::module_ &m);
void bind_vector(nb::module_ &m);
// Adds x and y as double member descriptors to both classes.
void add_coordinate_members();

}  // namespace flatkin
