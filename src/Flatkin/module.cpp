#include "Flatkin/flatkin.hpp"
#include "pyutil/numpy_kernels.hpp"

#include <cmath>
#include <cstring>


namespace flatkin {

pyu::ModuleAttr epsilon, np, plt;

void init(nb::handle self, nb::handle x, nb::handle y, PyTypeObject *type) {
    if (!PyObject_TypeCheck(self.ptr(), type)) {
        PyErr_Format(PyExc_TypeError, "descriptor '__init__' requires a '%s' object", type->tp_name);
        pyu::raise_current();
    }
    flat::Point &p = pyu::flat_fields(self);
    // x is stored before y is converted: a failing y leaves the new x.
    p.x = pyu::py_float(x);
    p.y = pyu::py_float(y);
    nb::inst_mark_ready(self);
}

std::string text(nb::handle self, const char *name) {
    if (pyu::is_flat(self)) {
        const flat::Point &p = pyu::flat_fields(self);
        return std::string(name) + "(" + pyu::float_repr(p.x) + ", " + pyu::float_repr(p.y) + ")";
    }
    nb::object x = self.attr("x"), y = self.attr("y");
    return std::string(name) + "(" + pyu::format_obj(x) + ", " + pyu::format_obj(y) + ")";
}

Py_hash_t hash(nb::handle self) {
    if (pyu::is_flat(self)) {
        const flat::Point &p = pyu::flat_fields(self);
        return pyu::hash_pair(p.x, p.y);
    }
    nb::object x = self.attr("x"), y = self.attr("y");
    nb::object pair = nb::make_tuple(x, y);
    Py_hash_t h = PyObject_Hash(pair.ptr());
    if (h == -1)
        pyu::raise_current();
    return h;
}

CosSin np_cos_sin(double angle) { return {pyu::np_cos(angle), pyu::np_sin(angle)}; }

namespace {

// The coordinate at byte offset `closure` of the instance.
double &coordinate(PyObject *self, void *closure) { return *(double *) ((char *) self + (intptr_t) closure); }

PyObject *get_coordinate(PyObject *self, void *closure) { return PyFloat_FromDouble(coordinate(self, closure)); }

int set_coordinate(PyObject *self, PyObject *value, void *closure) {
    if (!value) {
        PyErr_SetString(PyExc_TypeError, "can't delete numeric attribute");
        return -1;
    }
    // Converted before anything is stored: a refused value leaves the old one.
    double v = PyFloat_CheckExact(value) ? PyFloat_AS_DOUBLE(value) : PyFloat_AsDouble(value);
    if (v == -1.0 && PyErr_Occurred())
        return -1;
    coordinate(self, closure) = v;
    return 0;
}

}  // namespace

void add_coordinate_members() {
    // x and y are doubles read and written by plain C getters and setters:
    // an int is stored as its float, a non-number raises TypeError.  Both
    // classes store {x, y} at the same offset.
    static PyGetSetDef defs[2][2];
    PyTypeObject *types[2] = {pyu::point_type, pyu::vector_type};
    for (int t = 0; t < 2; ++t) {
        nb::object probe = t == 0 ? pyu::make_point(0, 0) : pyu::make_vector(0, 0);
        intptr_t offset = (char *) nb::inst_ptr<flat::Point>(probe) - (char *) probe.ptr();
        defs[t][0] = {"x", get_coordinate, set_coordinate, nullptr,
                      (void *) (offset + (intptr_t) offsetof(flat::Point, x))};
        defs[t][1] = {"y", get_coordinate, set_coordinate, nullptr,
                      (void *) (offset + (intptr_t) offsetof(flat::Point, y))};
        for (PyGetSetDef &def : defs[t]) {
            PyObject *descr = PyDescr_NewGetSet(types[t], &def);
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
    // Points held by module-level objects at interpreter exit are expected.
    nb::set_leak_warnings(false);
    m.attr("math") = nb::module_::import_("math");
    nb::module_ sys = nb::module_::import_("sys");
    m.attr("sys") = sys;
    nb::module_ typing = nb::module_::import_("typing");
    for (const char *name : {"Optional", "List", "Tuple", "Union"})
        m.attr(name) = typing.attr(name);
    m.attr("plt") = nb::module_::import_("matplotlib.pyplot");
    m.attr("np") = nb::module_::import_("numpy");
    pyu::init_numpy_kernels();

    nb::object machine_epsilon = sys.attr("float_info").attr("epsilon");
    pyu::py_print(nb::make_tuple("epsilon", machine_epsilon));

    m.attr("epsilon") = pyu::float_obj(1e-6);
    epsilon.bind(m, "epsilon");
    np.bind(m, "np");
    plt.bind(m, "plt");

    bind_point(m);
    bind_vector(m);
    pyu::init_flat_types();
    add_coordinate_members();
}
