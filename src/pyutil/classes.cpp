#include "pyutil/classes.hpp"

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
    nb::object text = doc_text(doc);
    return call(nb::handle((PyObject *) &PyProperty_Type), fget, nb::none(), nb::none(), text);
}

Py_ssize_t payload_offset(nb::handle cls) {
    nb::object probe = nb::inst_alloc(cls);
    return (Py_ssize_t) ((char *) nb::inst_ptr<char>(probe) - (char *) probe.ptr());
}

Py_ssize_t ready_state_byte(nb::handle cls) {
    // nanobind keeps an instance's state in the two low bits of the byte
    // after its data offset (2: constructed).  Checked on an instance before
    // and after it is marked constructed; any other layout answers -1.
    const Py_ssize_t at = (Py_ssize_t) (sizeof(PyObject) + sizeof(int32_t));
    nb::object probe = nb::inst_alloc(cls);
    auto bits = [&] { return ((const unsigned char *) probe.ptr())[at] & 3; };
    if (nb::inst_ready(probe) || bits() != 0)
        return -1;
    nb::inst_mark_ready(probe);
    bool ok = nb::inst_ready(probe) && bits() == 2;
    nb::inst_set_state(probe, false, false);  // dropped as never made
    return ok ? at : -1;
}

namespace {

// Coordinates are C getters and setters at the field's offset.  The setter
// converts first, so a refused value leaves the old one; `del` is refused as
// for any numeric attribute.  An instance whose __init__ never ran has no
// coordinates: reading one is a missing attribute, setting one gives the
// fields their defaults first.
struct DoubleMember {
    const char *name;
    Py_ssize_t offset;
    void (*init)(PyObject *);
};

PyObject *get_double(PyObject *self, void *closure) {
    const DoubleMember *m = (const DoubleMember *) closure;
    if (!nb::inst_ready(self)) {
        PyErr_Format(PyExc_AttributeError, "'%s' object has no attribute '%s'", short_name(Py_TYPE(self)), m->name);
        return nullptr;
    }
    return PyFloat_FromDouble(*(const double *) ((const char *) self + m->offset));
}

int set_double(PyObject *self, PyObject *value, void *closure) {
    const DoubleMember *m = (const DoubleMember *) closure;
    if (!value) {
        PyErr_SetString(PyExc_TypeError, "can't delete numeric attribute");
        return -1;
    }
    double v = PyFloat_CheckExact(value) ? PyFloat_AS_DOUBLE(value) : PyFloat_AsDouble(value);
    if (v == -1.0 && PyErr_Occurred())
        return -1;
    m->init(self);
    *(double *) ((char *) self + m->offset) = v;
    return 0;
}

}  // namespace

void add_double_member(nb::handle cls, const char *name, Py_ssize_t offset, void (*init)(PyObject *)) {
    // Both live as long as the class (for the process).
    DoubleMember *member = new DoubleMember{name, offset, init};
    PyGetSetDef *def = new PyGetSetDef{name, get_double, set_double, nullptr, member};
    nb::object descr = check(PyDescr_NewGetSet((PyTypeObject *) cls.ptr(), def));
    check_status(PyObject_SetAttrString(cls.ptr(), name, descr.ptr()));
}

}  // namespace detail

}  // namespace pyu
