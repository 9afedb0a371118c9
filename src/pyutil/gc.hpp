// Cyclic garbage collection for classes whose instances hold Python objects
// in C++ members (a segment's end points, an arc's centre ...).
#pragma once

#include "pyutil/pyutil.hpp"

namespace pyu {

// Visits the type, the instance dictionary and the given members.
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

// Drops the instance dictionary and the given members: to None when
// `AsNone` (the members then read as None), otherwise to null (they then
// read as missing attributes).
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
