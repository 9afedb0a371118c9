// Polygon: polygons with holes, bounds and grids, rectangle placement and
// bars.  Initialisation, in order: the standard modules, the sibling classes,
// then Polygon, Bound, RecGenerator and Bar.
#include "Polygon/polygon.hpp"
#include "pyutil/module.hpp"

namespace polygon {

namespace names {
pyu::Name polyline, line, segment, vector, r, math, itertools, polygon, bar;
pyu::Name flat_point, flat_vector, flat_epsilon, seg_epsilon, polyline_segment;
}  // namespace names

const Keys &keys() {
    static const Keys k;
    return k;
}

}  // namespace polygon

GEOM_MODULE(Polygon, m) {
    using namespace polygon;
    m.doc() = DOC_MODULE;
    pyu::import_as(m, "itertools");
    pyu::import_as(m, "math");
    pyu::import_as(m, "random", "r");
    pyu::import_from(m, "collections", {"defaultdict"});
    pyu::import_from(m, "typing", {"List", "Tuple"});
    pyu::import_from(m, "Strakel", {"Line", "Segment"});
    pyu::import_from(m, "Strakel", {"SegmentCollection"});
    pyu::import_from(m, "Polyline", {"Polyline"});
    pyu::import_from(m, "Flatkin", {"Point"});
    pyu::import_from(m, "Flatkin", {"Vector"});
    pyu::init_flat_types();

    names::polyline.bind(m, "Polyline");
    names::line.bind(m, "Line");
    names::segment.bind(m, "Segment");
    names::vector.bind(m, "Vector");
    names::r.bind(m, "r");
    names::math.bind(m, "math");
    names::itertools.bind(m, "itertools");
    names::polygon.bind(m, "Polygon");
    names::bar.bind(m, "Bar");
    nb::object flatkin = pyu::import("Flatkin"), strakel = pyu::import("Strakel");
    names::flat_point.bind(flatkin, "Point");
    names::flat_vector.bind(flatkin, "Vector");
    names::flat_epsilon.bind(flatkin, "epsilon");
    names::seg_epsilon.bind(strakel, "epsilon");
    names::polyline_segment.bind(pyu::import("Polyline"), "Segment");
    capture_sibling_members();

    bind_polygon(m);
    bind_bound(m);
    bind_rec_generator(m);
    bind_bar(m);
}
