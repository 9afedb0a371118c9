// Bowlet: circles and arcs.  Initialisation, in order: the outside imports,
// the sibling classes, then Circle and Arc.
#include "Bowlet/bowlet.hpp"
#include "pyutil/module.hpp"

namespace bowlet {

namespace names {
pyu::Name plt, math, point, vector, segment, circle;
pyu::Name flat_epsilon, flat_point, flat_vector;
pyu::Name strakel_epsilon;
}  // namespace names

PyTypeObject *segment_type = nullptr, *ray_type = nullptr;

}  // namespace bowlet

GEOM_MODULE(Bowlet, m) {
    using namespace bowlet;
    m.doc() = DOC_MODULE;
    pyu::import_as(m, "math");
    pyu::import_from(m, "typing", {"Union", "Tuple", "Optional", "List"});
    pyu::import_as(m, "matplotlib.pyplot", "plt");
    pyu::import_as(m, "numpy", "np");
    pyu::import_from(m, "Strakel", {"Segment", "Ray", "Line"});
    pyu::import_from(m, "Flatkin", {"Point", "Vector"});
    pyu::init_flat_types();
    pyu::init_numpy_kernels();

    names::plt.bind(m, "plt");
    names::math.bind(m, "math");
    names::point.bind(m, "Point");
    names::vector.bind(m, "Vector");
    names::segment.bind(m, "Segment");
    names::circle.bind(m, "Circle");
    nb::object flatkin = pyu::import("Flatkin"), strakel = pyu::import("Strakel");
    names::flat_epsilon.bind(flatkin, "epsilon");
    names::flat_point.bind(flatkin, "Point");
    names::flat_vector.bind(flatkin, "Vector");
    names::strakel_epsilon.bind(strakel, "epsilon");
    // Strakel's own classes as imported (held for the process): exact
    // instances of these are read through their attributes and Strakel's
    // bound rule is applied here.
    nb::object segment = m.attr("Segment"), ray = m.attr("Ray");
    segment_type = nb::type_check(segment) ? (PyTypeObject *) segment.release().ptr() : nullptr;
    ray_type = nb::type_check(ray) ? (PyTypeObject *) ray.release().ptr() : nullptr;

    bind_circle(m);
    bind_arc(m);
}
