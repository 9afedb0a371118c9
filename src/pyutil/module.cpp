// The module template.  This is the only file that uses nanobind's internal
// module hooks (nb_module_exec, nb_module_free): NB_MODULE would wrap every
// initialisation error in a generic ImportError, while a module must let the
// importer see the error it raised.  Checked against nanobind 2.15.
#include "pyutil/module.hpp"

#include "pyutil/attrs.hpp"

namespace pyu {

namespace detail {

int run_module_body(PyObject *module, void (*body)(nb::module_)) {
    nb::detail::nb_module_exec(NB_DOMAIN_STR, module);
    try {
        install_exception_translator();
        body(nb::borrow<nb::module_>(module));
        return 0;
    } catch (nb::python_error &e) {
        e.restore();
    } catch (const std::exception &) {
        PyErr_SetString(PyExc_ImportError, "the geometry library could not initialise this module");
    }
    return -1;
}

void free_module(void *module) { nb::detail::nb_module_free(module); }

}  // namespace detail

nb::object import(const char *name) { return check(PyImport_ImportModule(name)); }

void import_as(nb::module_ &m, const char *module, const char *alias) {
    nb::object value = import(module);
    // `import a.b` binds the top package, `import a.b as c` the submodule.
    check_status(PyObject_SetAttrString(m.ptr(), alias ? alias : module, value.ptr()));
}

void import_from(nb::module_ &m, const char *module, std::initializer_list<const char *> names) {
    nb::object source = import(module);
    for (const char *name : names) {
        PyObject *value = PyObject_GetAttrString(source.ptr(), name);
        if (!value) {
            if (!PyErr_ExceptionMatches(PyExc_AttributeError))
                raise_current();
            PyErr_Clear();
            raise_format(PyExc_ImportError, "cannot import name '%s' from '%s'", name, module);
        }
        nb::object held = nb::steal(value);
        check_status(PyObject_SetAttrString(m.ptr(), name, held.ptr()));
    }
}

void print(nb::handle obj) {
    static const Key print_key("print");
    nb::object builtins = import("builtins");
    nb::object fn = get_attr(builtins, print_key);
    call(fn, obj);
}

}  // namespace pyu
