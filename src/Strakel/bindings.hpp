// Registration of Strakel's classes; module.cpp calls them in this order.
#pragma once

#include "pyutil/pyutil.hpp"

namespace strakel {

// Strakel's own binding of `epsilon`, taken from Flatkin at import and read
// at every call (rebinding Flatkin.epsilon later does not change it).
extern pyu::ModuleAttr epsilon;
inline double eps() { return epsilon.get_double(); }

void bind_line(nb::module_ &m);
void bind_segment(nb::module_ &m);
void bind_ray(nb::module_ &m);
void bind_segment_collection(nb::module_ &m);

}  // namespace strakel
