// Strakel: infinite lines, segments, rays and segment networks.
// Initialisation, in order: the outside imports, the names taken from
// Flatkin, then Line, Segment, Ray and SegmentCollection.
#include "Strakel/strakel.hpp"
#include "pyutil/module.hpp"
#include "pyutil/numpy_kernels.hpp"

namespace strakel::names {
pyu::Name epsilon, flatkin_epsilon, flatkin_vector, point, vector, line, segment, np, plt, random;
}

GEOM_MODULE(Strakel, m) {
    using namespace strakel;
    // Lines and segments held by module-level objects at exit are expected.
    nb::set_leak_warnings(false);
    // No module docstring: the module's __doc__ stays None, as it always was.
    pyu::import_as(m, "math");
    pyu::import_as(m, "random");
    pyu::import_from(m, "collections", {"defaultdict"});
    pyu::import_from(m, "typing", {"Optional", "List", "Tuple", "Dict", "Iterator", "Callable", "Any"});
    pyu::import_as(m, "matplotlib.pyplot", "plt");
    pyu::import_as(m, "numpy", "np");
    pyu::import_from(m, "Flatkin", {"Point", "Vector"});
    // The very object Flatkin holds now; a later rebinding there is not seen.
    pyu::import_from(m, "Flatkin", {"epsilon"});
    pyu::init_flat_types();
    pyu::init_numpy_kernels();

    names::epsilon.bind(m, "epsilon");
    nb::object flatkin = pyu::import("Flatkin");
    names::flatkin_epsilon.bind(flatkin, "epsilon");
    names::flatkin_vector.bind(flatkin, "Vector");
    names::point.bind(m, "Point");
    names::vector.bind(m, "Vector");
    names::line.bind(m, "Line");
    names::segment.bind(m, "Segment");
    names::np.bind(m, "np");
    names::plt.bind(m, "plt");
    names::random.bind(m, "random");

    bind_line(m);
    bind_segment(m);
    bind_ray(m);
    bind_segment_collection(m);
}
