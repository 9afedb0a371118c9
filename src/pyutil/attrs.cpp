#include "pyutil/attrs.hpp"

namespace pyu {

nb::object get_attr_or_null(nb::handle obj, const Key &key) {
    PyObject *v = PyObject_GetAttr(obj.ptr(), key.ptr());
    if (!v) {
        if (!PyErr_ExceptionMatches(PyExc_AttributeError))
            raise_current();
        PyErr_Clear();
        return nb::object();
    }
    return nb::steal(v);
}

bool resolves_to(nb::handle obj, const Key &key, PyObject *expected) {
    PyTypeObject *type = Py_TYPE(obj.ptr());
    if (type->tp_getattro != PyObject_GenericGetAttr || !expected)
        return false;
    if (_PyType_Lookup(type, key.ptr()) != expected)  // the type's method cache: no Python code runs
        return false;
    PyObject **dict = _PyObject_GetDictPtr(obj.ptr());
    if (!dict || !*dict)
        return true;
    PyObject *shadow = PyDict_GetItemWithError(*dict, key.ptr());
    if (!shadow && PyErr_Occurred())
        raise_current();
    return !shadow;
}

PyObject *class_attr(nb::handle cls, const Key &key) {
    PyObject *dict = ((PyTypeObject *) cls.ptr())->tp_dict;
    PyObject *v = dict ? PyDict_GetItemWithError(dict, key.ptr()) : nullptr;
    if (!v && PyErr_Occurred())
        raise_current();
    return v;
}

PyObject *remember_member(nb::handle cls, const Key &key) {
    PyObject *v = class_attr(cls, key);
    Py_XINCREF(v);  // never released
    return v;
}

void unpack(nb::handle iterable, nb::object *out, Py_ssize_t n) {
    nb::object items = check(PySequence_Fast(iterable.ptr(), "cannot unpack non-iterable object"));
    Py_ssize_t got = PySequence_Fast_GET_SIZE(items.ptr());
    if (got > n)
        raise_format(PyExc_ValueError, "too many values to unpack (expected %zd)", n);
    if (got < n)
        raise_format(PyExc_ValueError, "not enough values to unpack (expected %zd, got %zd)", n, got);
    PyObject **v = PySequence_Fast_ITEMS(items.ptr());
    for (Py_ssize_t i = 0; i < n; ++i)
        out[i] = nb::borrow(v[i]);
}

}  // namespace pyu
