#include "Flatkin/flatkin.hpp"

#include <cmath>
#include <cstring>

#include <structmember.h>

namespace flatkin {

pyu::ModuleAttr epsilon, np, plt;

double magnitude(double x, double y) {
    double xx = x * x, yy = y * y;
    if ((std::isinf(xx) && std::isfinite(x)) || (std::isinf(yy) && std::isfinite(y)))
        pyu::raise(PyExc_OverflowError, "math range error");
    return std::sqrt(xx + yy);
}

double distance(geom::Vec2 a, geom::Vec2 b) {
    double dx = a.x - b.x, dy = a.y - b.y;
    double xx = dx * dx, yy = dy * dy;
    if ((std::isinf(xx) && std::isfinite(dx)) || (std::isinf(yy) && std::isfinite(dy)))
        pyu::raise(PyExc_OverflowError, "(34, 'Numerical result out of range')");
    return std::sqrt(xx + yy);
}

CosSin np_cos_sin(double angle) {
    // Rotating many points by one angle asks for the same pair again and
    // again: keep the last one (compared bit for bit, so -0.0 is not 0.0).
    static double last_angle = std::nan("");
    static CosSin last{1.0, 0.0};
    if (std::memcmp(&angle, &last_angle, sizeof angle) == 0)
        return last;
    nb::handle numpy = np.get();
    nb::object a = pyu::float_obj(angle);
    double c = pyu::as_double(numpy.attr("cos")(a));
    double s = pyu::as_double(numpy.attr("sin")(a));
    last_angle = angle;
    last = {c, s};
    return last;
}

void add_coordinate_members() {
    // x and y are plain double slots read by CPython's member descriptors:
    // as fast as an instance-dict lookup, and assigning a non-number raises
    // TypeError.  Both classes store {x, y} at the same offset.
    static PyMemberDef members[2][2];
    PyTypeObject *types[2] = {pyu::point_type, pyu::vector_type};
    for (int t = 0; t < 2; ++t) {
        nb::object probe = t == 0 ? pyu::make_point(0, 0) : pyu::make_vector(0, 0);
        Py_ssize_t offset = (char *) nb::inst_ptr<flat::Point>(probe) - (char *) probe.ptr();
        members[t][0] = {"x", T_DOUBLE, offset + (Py_ssize_t) offsetof(flat::Point, x), 0, nullptr};
        members[t][1] = {"y", T_DOUBLE, offset + (Py_ssize_t) offsetof(flat::Point, y), 0, nullptr};
        for (PyMemberDef &def : members[t]) {
            PyObject *descr = PyDescr_NewMember(types[t], &def);
            if (!descr || PyObject_SetAttrString((PyObject *) types[t], def.name, descr) != 0) {
                Py_XDECREF(descr);
                pyu::raise_current();
            }
            Py_DECREF(descr);
        }
    }
}

}  // namespace flatkin

NB_MODULE(Flatkin, m) {
    using namespace flatkin;
    m.attr("math") = nb::module_::import_("math");
    nb::module_ sys = nb::module_::import_("sys");
    m.attr("sys") = sys;
    nb::module_ typing = nb::module_::import_("typing");
    for (const char *name : {"Optional", "List", "Tuple", "Union"})
        m.attr(name) = typing.attr(name);
    m.attr("plt") = nb::module_::import_("matplotlib.pyplot");
    m.attr("np") = nb::module_::import_("numpy");

    pyu::py_print(nb::make_tuple("epsilon", sys.attr("float_info").attr("epsilon")));

    m.attr("epsilon") = pyu::float_obj(1e-6);
    epsilon.bind(m, "epsilon");
    np.bind(m, "np");
    plt.bind(m, "plt");

    bind_point(m);
    bind_vector(m);
    pyu::init_flat_types();
    add_coordinate_members();
}
