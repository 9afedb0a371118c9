#include "pyutil/names.hpp"

namespace pyu {

void Name::bind(nb::handle module, const char *name) {
    PyObject *dict = PyModule_GetDict(module.ptr());
    if (!dict)
        raise_current();
    Py_INCREF(dict);  // kept for the process, like the module itself
    dict_ = dict;
    key_ = PyUnicode_InternFromString(name);
    if (!key_)
        raise_current();
    name_ = name;
}

nb::object Name::get() const {
    PyObject *v = PyDict_GetItemWithError(dict_, key_);
    if (!v) {
        if (!PyErr_Occurred())
            raise_format(PyExc_NameError, "name '%s' is not defined", name_);
        raise_current();
    }
    return nb::borrow(v);
}

bool Name::holds(const void *object) const {
    PyObject *v = PyDict_GetItemWithError(dict_, key_);
    if (!v && PyErr_Occurred())
        raise_current();
    return v == object;
}

}  // namespace pyu
