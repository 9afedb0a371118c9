// Initialisation of Strakel, in order: the outside imports, the names taken
// from Flatkin, then the classes Line, Segment, Ray and SegmentCollection.
#include "Strakel/line_ray.hpp"
#include "pyutil/numpy_kernels.hpp"

namespace strakel {

pyu::ModuleAttr epsilon;
namespace names {
pyu::ModuleAttr np, plt, random, flatkin_epsilon;
}

namespace {

// `from module import name`: ImportError when the module lacks the name.
nb::object import_name(nb::handle module, const char *module_name, const char *name) {
    PyObject *value = PyObject_GetAttrString(module.ptr(), name);
    if (!value) {
        if (!PyErr_ExceptionMatches(PyExc_AttributeError))
            pyu::raise_current();
        PyErr_Clear();
        PyErr_Format(PyExc_ImportError, "cannot import name '%s' from '%s'", name, module_name);
        pyu::raise_current();
    }
    return nb::steal(value);
}

}  // namespace
}  // namespace strakel

// The module is defined by hand rather than with NB_MODULE so that an error
// during initialisation reaches the importer unchanged (ModuleNotFoundError
// for a missing numpy, ImportError for a name Flatkin lacks) instead of
// being wrapped in a generic ImportError.
static void init_strakel(nb::module_ m);

static int exec_strakel(PyObject *m) {
    nb::detail::nb_module_exec(NB_DOMAIN_STR, m);
    try {
        init_strakel(nb::borrow<nb::module_>(m));
        return 0;
    } catch (nb::python_error &e) {
        e.restore();
    } catch (const std::exception &e) {
        PyErr_SetString(PyExc_ImportError, e.what());
    }
    return -1;
}

static PyModuleDef_Slot strakel_slots[] = {
    {Py_mod_exec, (void *) exec_strakel},
    {0, nullptr},
};

static PyModuleDef strakel_module = {
    PyModuleDef_HEAD_INIT, "Strakel", nullptr, 0, nullptr, strakel_slots, nullptr, nullptr, nb::detail::nb_module_free,
};

extern "C" NB_EXPORT PyObject *PyInit_Strakel(void) { return PyModuleDef_Init(&strakel_module); }

static void init_strakel(nb::module_ m) {
    using namespace strakel;
    m.attr("math") = nb::module_::import_("math");
    m.attr("random") = nb::module_::import_("random");
    nb::module_ collections = nb::module_::import_("collections");
    m.attr("defaultdict") = import_name(collections, "collections", "defaultdict");
    nb::module_ typing = nb::module_::import_("typing");
    for (const char *name : {"Optional", "List", "Tuple", "Dict", "Iterator", "Callable", "Any"})
        m.attr(name) = import_name(typing, "typing", name);
    m.attr("plt") = nb::module_::import_("matplotlib.pyplot");
    m.attr("np") = nb::module_::import_("numpy");

    nb::module_ flatkin = nb::module_::import_("Flatkin");
    m.attr("Point") = import_name(flatkin, "Flatkin", "Point");
    m.attr("Vector") = import_name(flatkin, "Flatkin", "Vector");
    // The very object Flatkin holds now; a later rebinding there is not seen.
    m.attr("epsilon") = import_name(flatkin, "Flatkin", "epsilon");
    pyu::init_flat_types();
    pyu::init_numpy_kernels();

    epsilon.bind(m, "epsilon");
    names::np.bind(m, "np");
    names::plt.bind(m, "plt");
    names::random.bind(m, "random");
    names::flatkin_epsilon.bind(flatkin, "epsilon");

    bind_line(m);
    bind_segment(m);
    bind_ray(m);
    bind_segment_collection(m);
}
