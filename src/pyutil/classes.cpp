#include "pyutil/classes.hpp"

#include <structmember.h>

namespace pyu {

void check_receiver(nb::handle self, nb::handle cls, const char *class_name) {
    if (!PyObject_TypeCheck(self.ptr(), (PyTypeObject *) cls.ptr()))
        raise_format(PyExc_TypeError, "descriptor '__init__' requires a '%s' object", class_name);
}

namespace detail {

nb::dict state_of(nb::handle self, const char *const *names, size_t count) {
    nb::dict state;
    for (size_t i = 0; i < count; ++i) {
        nb::object value = check(PyObject_GetAttrString(self.ptr(), names[i]));
        check_status(PyDict_SetItemString(state.ptr(), names[i], value.ptr()));
    }
    // The instance dictionary last: what a subclass or a caller added.
    if (PyObject **dict = _PyObject_GetDictPtr(self.ptr()))
        if (*dict) {
            nb::object extra = nb::borrow(*dict);
            check_status(PyDict_Update(state.ptr(), extra.ptr()));
        }
    return state;
}

void restore_state(nb::handle self, nb::handle state) {
    if (!PyDict_Check(state.ptr()))
        raise(PyExc_TypeError, "state must be a dict");
    nb::object items = check(PyDict_Items(state.ptr()));  // a snapshot
    Py_ssize_t n = PyList_GET_SIZE(items.ptr());
    for (Py_ssize_t i = 0; i < n; ++i) {
        PyObject *pair = PyList_GET_ITEM(items.ptr(), i);
        check_status(PyObject_SetAttr(self.ptr(), PyTuple_GET_ITEM(pair, 0), PyTuple_GET_ITEM(pair, 1)));
    }
}

Py_ssize_t payload_offset(nb::handle cls) {
    nb::object probe = nb::inst_alloc(cls);
    return (Py_ssize_t) ((char *) nb::inst_ptr<char>(probe) - (char *) probe.ptr());
}

void add_double_member(nb::handle cls, const char *name, Py_ssize_t offset) {
    // Our instances hold their C++ object inline at a fixed offset, so a
    // plain member descriptor reads the double without any call.
    PyMemberDef *def = new PyMemberDef{name, T_DOUBLE, offset, 0, nullptr};  // lives as long as the class
    nb::object descr = check(PyDescr_NewMember((PyTypeObject *) cls.ptr(), def));
    check_status(PyObject_SetAttrString(cls.ptr(), name, descr.ptr()));
}

}  // namespace detail

}  // namespace pyu
