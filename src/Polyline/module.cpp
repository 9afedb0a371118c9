// Polyline: ordered chains of planar points.  Initialisation, in order: the
// outside imports, the sibling modules by name, then the class.
#include "Polyline/polyline.hpp"
#include "pyutil/module.hpp"
#include "pyutil/numpy_kernels.hpp"

GEOM_MODULE(Polyline, m) {
    using namespace polyline;
    m.doc() = DOC_MODULE;
    pyu::import_as(m, "math");
    pyu::import_from(m, "typing", {"Optional", "List", "Tuple", "Union", "Dict"});
    pyu::import_as(m, "matplotlib.pyplot", "plt");
    pyu::import_as(m, "numpy", "np");
    pyu::init_numpy_kernels();
    pyu::import_from(m, "Bowlet", {"Arc"});
    pyu::import_from(m, "Strakel", {"Line", "Segment", "Ray"});
    pyu::import_from(m, "Flatkin", {"Point", "Vector"});
    pyu::init_flat_types();

    // Strakel's classes as Strakel defines them, for exact type tests.
    nb::object strakel_module = pyu::import("Strakel");
    strakel::line_type = strakel_module.attr("Line").inc_ref().ptr();
    strakel::segment_type = strakel_module.attr("Segment").inc_ref().ptr();
    strakel::ray_type = strakel_module.attr("Ray").inc_ref().ptr();
    nb::object flatkin_module = pyu::import("Flatkin");
    names::flat_epsilon.bind(flatkin_module, "epsilon");
    names::flat_point.bind(flatkin_module, "Point");
    names::seg_epsilon.bind(strakel_module, "epsilon");

    names::point.bind(m, "Point");
    names::vector.bind(m, "Vector");
    names::segment.bind(m, "Segment");
    names::line.bind(m, "Line");
    names::ray.bind(m, "Ray");
    names::arc.bind(m, "Arc");
    names::plt.bind(m, "plt");
    names::np.bind(m, "np");
    names::polyline.bind(m, "Polyline");

    bind_polyline(m);
}
