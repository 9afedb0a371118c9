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
