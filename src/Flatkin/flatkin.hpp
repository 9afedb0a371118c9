// Shared pieces of the Flatkin module: its module-level names, read when
// used, and the value protocol Point and Vector share.
#pragma once

#include "core/basics/vec2.hpp"
#include "docs/Flatkin.hpp"
#include "pyutil/classes.hpp"
#include "pyutil/pyutil.hpp"

namespace flatkin {

// Module-level names looked up at every use: rebinding Flatkin.epsilon
// changes the tolerance of every later Point and Vector operation, and
// rebinding Flatkin.Point or Flatkin.Vector changes what they build.
extern pyu::Name epsilon, np, plt, point_cls, vector_cls;
inline double eps() { return epsilon.get_double(); }

using pyu::read_xy;
inline geom::Vec2 xy(nb::handle h) { return pyu::read_xy(h); }
inline nb::object new_point(geom::Vec2 p) { return pyu::new_point(point_cls, p); }
inline nb::object new_vector(geom::Vec2 v) { return pyu::new_vector(vector_cls, v); }
inline double distance(geom::Vec2 a, geom::Vec2 b) { return pyu::py_distance(a.x - b.x, a.y - b.y); }

// np.cos(angle) and np.sin(angle) for a float angle, by numpy's own kernels.
struct CosSin {
    double c, s;
};
CosSin np_cos_sin(double angle);

// The value protocol both classes share.  `init` stores float(x), then
// float(y) (a failing y leaves the new x) on an instance of `cls`; `text`
// is "Name(x, y)" in Python's float text; `hash` is hash((x, y)).
template <class T>
void init(nb::handle self, nb::handle x, nb::handle y, nb::handle cls, const char *name) {
    pyu::check_receiver(self, cls, name);
    if (!nb::inst_ready(self))
        pyu::construct<T>(self, T{});
    T &p = *nb::inst_ptr<T>(self);
    p.x = pyu::py_float(x);
    p.y = pyu::py_float(y);
}
std::string text(nb::handle self, const char *name);
Py_hash_t hash(nb::handle self);

void bind_point(nb::module_ &m);
void bind_vector(nb::module_ &m);

}  // namespace flatkin
