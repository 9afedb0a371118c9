// Older garbage-collection helpers, kept while the modules move to
// pyu::Class (classes.hpp); removed once no module uses them.
#pragma once

#include "pyutil/pyutil.hpp"

namespace pyu {

template <class T, auto... Fields>
int traverse_fields(PyObject *self, visitproc visit, void *arg) {
    Py_VISIT(Py_TYPE(self));
    if (PyObject **dict = _PyObject_GetDictPtr(self))
        Py_VISIT(*dict);
    if (!nb::inst_ready(self))
        return 0;
    T *t = nb::inst_ptr<T>(self);
    for (PyObject *field : {(t->*Fields).ptr()...})
        Py_VISIT(field);
    return 0;
}

template <class T, bool AsNone, auto... Fields>
int clear_fields(PyObject *self) {
    if (PyObject **dict = _PyObject_GetDictPtr(self))
        Py_CLEAR(*dict);
    if (!nb::inst_ready(self))
        return 0;
    T *t = nb::inst_ptr<T>(self);
    (((t->*Fields) = AsNone ? nb::object(nb::none()) : nb::object()), ...);
    return 0;
}

}  // namespace pyu
