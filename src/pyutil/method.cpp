#include "pyutil/method.hpp"

#include <structmember.h>

#include <cstddef>

namespace pyu {

namespace {
// A function stored in a class that binds to instances as a Python function
// does: read through an instance it gives a bound method, read through the
// class the function itself.  Flagged as a method descriptor, so that
// `obj.name(args)` calls the function with obj first without making the
// bound method at all.
struct MethodDescriptor {
    PyObject_HEAD
    PyObject *function;
    vectorcallfunc vectorcall;
};

PyObject *method_vectorcall(PyObject *self, PyObject *const *args, size_t nargsf, PyObject *kwnames) {
    return PyObject_Vectorcall(((MethodDescriptor *) self)->function, args, nargsf, kwnames);
}

PyObject *method_get(PyObject *self, PyObject *obj, PyObject *) {
    PyObject *function = ((MethodDescriptor *) self)->function;
    if (!obj) {
        Py_INCREF(function);
        return function;
    }
    return PyMethod_New(function, obj);
}

void method_dealloc(PyObject *self) {
    PyTypeObject *type = Py_TYPE(self);
    Py_XDECREF(((MethodDescriptor *) self)->function);
    type->tp_free(self);
    Py_DECREF(type);
}

PyObject *method_attr(PyObject *self, void *name) {
    return PyObject_GetAttrString(((MethodDescriptor *) self)->function, (const char *) name);
}

PyTypeObject *method_type() {
    static PyTypeObject *type = nullptr;
    if (type)
        return type;
    static PyMemberDef members[] = {
        {"__vectorcalloffset__", T_PYSSIZET, (Py_ssize_t) offsetof(MethodDescriptor, vectorcall), READONLY, nullptr},
        {"__func__", T_OBJECT, (Py_ssize_t) offsetof(MethodDescriptor, function), READONLY, nullptr},
        {nullptr, 0, 0, 0, nullptr}};
    static PyGetSetDef getset[] = {{"__name__", method_attr, nullptr, nullptr, (void *) "__name__"},
                                   {"__qualname__", method_attr, nullptr, nullptr, (void *) "__qualname__"},
                                   {"__doc__", method_attr, nullptr, nullptr, (void *) "__doc__"},
                                   {"__nb_signature__", method_attr, nullptr, nullptr, (void *) "__nb_signature__"},
                                   {nullptr, nullptr, nullptr, nullptr, nullptr}};
    static PyType_Slot slots[] = {{Py_tp_descr_get, (void *) method_get},
                                  {Py_tp_call, (void *) PyVectorcall_Call},
                                  {Py_tp_dealloc, (void *) method_dealloc},
                                  {Py_tp_members, members},
                                  {Py_tp_getset, getset},
                                  {0, nullptr}};
    static PyType_Spec spec = {"pyutil.method", sizeof(MethodDescriptor), 0,
                               Py_TPFLAGS_DEFAULT | Py_TPFLAGS_HAVE_VECTORCALL | Py_TPFLAGS_METHOD_DESCRIPTOR, slots};
    type = (PyTypeObject *) PyType_FromSpec(&spec);
    if (!type)
        pyu::raise_current();
    return type;
}
}  // namespace

nb::object as_method(nb::handle function) {
    PyTypeObject *type = method_type();
    MethodDescriptor *m = PyObject_New(MethodDescriptor, type);
    if (!m)
        pyu::raise_current();
    m->function = nb::borrow(function).release().ptr();
    m->vectorcall = method_vectorcall;
    return nb::steal((PyObject *) m);
}

}  // namespace pyu
