#include "pyutil/classes.hpp"

#include <structmember.h>

#include <cstring>

namespace pyu {

void check_receiver(nb::handle self, nb::handle cls, const char *class_name) {
    if (!PyObject_TypeCheck(self.ptr(), (PyTypeObject *) cls.ptr()))
        raise_format(PyExc_TypeError, "descriptor '__init__' requires a '%s' object", class_name);
}

namespace {
// A class's name without its module, as the interpreter's messages give it.
const char *short_name(PyTypeObject *type) {
    const char *dot = std::strrchr(type->tp_name, '.');
    return dot ? dot + 1 : type->tp_name;
}
}  // namespace

void check_instance(nb::handle self, PyTypeObject *type, const char *attribute) {
    if (!PyObject_TypeCheck(self.ptr(), type))
        raise_format(PyExc_TypeError, "descriptor '%s' for '%s' objects doesn't apply to a '%s' object", attribute,
                     short_name(type), short_name(Py_TYPE(self.ptr())));
    if (!nb::inst_ready(self))
        raise_format(PyExc_TypeError, "'%s' object is not initialised: its __init__ has not run",
                     short_name(Py_TYPE(self.ptr())));
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

nb::object reduce(nb::handle self, nb::handle) {
    static const Key newobj("__newobj__"), getstate("__getstate__");
    nb::object copyreg = check(PyImport_ImportModule("copyreg"));
    nb::object rebuild = get_attr(copyreg, newobj);
    nb::object cls = nb::borrow((PyObject *) Py_TYPE(self.ptr()));
    nb::object state = call_method(self, getstate);
    return nb::make_tuple(rebuild, nb::make_tuple(cls), state);
}

nb::object make_property(nb::handle fget, const char *doc) {
    nb::object text = doc ? check(PyUnicode_FromString(doc)) : nb::none();
    return call(nb::handle((PyObject *) &PyProperty_Type), fget, nb::none(), nb::none(), text);
}

Py_ssize_t payload_offset(nb::handle cls) {
    nb::object probe = nb::inst_alloc(cls);
    return (Py_ssize_t) ((char *) nb::inst_ptr<char>(probe) - (char *) probe.ptr());
}

namespace {

// The coordinates of each class: their interned names, descriptors and
// offsets.  Reads go through plain member descriptors (T_DOUBLE), the
// cheapest attribute the interpreter has short of a slot holding an object.
// Writes are checked here first: the member descriptor's own setter would
// store -1.0 before reporting a non-number, while a refused value must
// leave the old one.
struct Coordinates {
    PyTypeObject *type;
    PyObject *names[3];
    PyObject *descrs[3];
    Py_ssize_t offsets[3];
    int count;
};
Coordinates registry[8];
int registry_count = 0;

template <int I>
int checked_setattro(PyObject *self, PyObject *name, PyObject *value) {
    const Coordinates &c = registry[I];
    if (PyUnicode_Check(name))
        for (int k = 0; k < c.count; ++k) {
            // The class (or a subclass) must still hold our descriptor under
            // this name: a subclass's own `x` property is left to answer.
            if (name != c.names[k] && PyUnicode_Compare(name, c.names[k]) != 0)
                continue;
            if (_PyType_Lookup(Py_TYPE(self), c.names[k]) != c.descrs[k])
                break;
            if (!value) {
                PyErr_SetString(PyExc_TypeError, "can't delete numeric attribute");
                return -1;
            }
            double v = PyFloat_CheckExact(value) ? PyFloat_AS_DOUBLE(value) : PyFloat_AsDouble(value);
            if (v == -1.0 && PyErr_Occurred())
                return -1;
            *(double *) ((char *) self + c.offsets[k]) = v;
            return 0;
        }
    return PyObject_GenericSetAttr(self, name, value);
}

setattrofunc checked_setattro_of(int i) {
    static const setattrofunc table[8] = {checked_setattro<0>, checked_setattro<1>, checked_setattro<2>,
                                          checked_setattro<3>, checked_setattro<4>, checked_setattro<5>,
                                          checked_setattro<6>, checked_setattro<7>};
    return table[i];
}

}  // namespace

void add_double_member(nb::handle cls, const char *name, Py_ssize_t offset) {
    PyTypeObject *type = (PyTypeObject *) cls.ptr();
    int slot = 0;
    while (slot < registry_count && registry[slot].type != type)
        ++slot;
    if (slot == registry_count) {
        if (registry_count == 8)
            raise(PyExc_SystemError, "too many classes with coordinates");
        registry[registry_count++] = Coordinates{type, {}, {}, {}, 0};
    }
    Coordinates &c = registry[slot];
    if (c.count == 3)
        raise(PyExc_SystemError, "too many coordinates in one class");
    PyMemberDef *def = new PyMemberDef{name, T_DOUBLE, offset, 0, nullptr};  // lives as long as the class
    nb::object descr = check(PyDescr_NewMember(type, def));
    check_status(PyObject_SetAttrString(cls.ptr(), name, descr.ptr()));
    PyObject *key = PyUnicode_InternFromString(name);  // kept for the process
    if (!key)
        raise_current();
    c.names[c.count] = key;
    c.descrs[c.count] = descr.release().ptr();  // held as long as the class
    c.offsets[c.count] = offset;
    ++c.count;
    type->tp_setattro = checked_setattro_of(slot);
}

}  // namespace detail

}  // namespace pyu
