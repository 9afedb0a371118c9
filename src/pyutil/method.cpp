#include "pyutil/method.hpp"

#include "pyutil/attrs.hpp"

#include <structmember.h>

#include <cstddef>

namespace pyu {

namespace {
// A function stored in a class.  Flagged as a method descriptor when it
// binds, so that `obj.name(args)` calls the function with obj first without
// making a bound method at all.
struct Wrapper {
    PyObject_HEAD
    PyObject *function;
    vectorcallfunc vectorcall;
    const char *name;
    bool bind;
};

PyObject *call_any(PyObject *self, PyObject *const *args, size_t nargsf, PyObject *kwnames) {
    return PyObject_Vectorcall(((Wrapper *) self)->function, args, nargsf, kwnames);
}

PyObject *call_positional(PyObject *self, PyObject *const *args, size_t nargsf, PyObject *kwnames) {
    Wrapper *w = (Wrapper *) self;
    if (kwnames && PyTuple_GET_SIZE(kwnames) != 0) {
        PyErr_Format(PyExc_TypeError, "%.200s() takes no keyword arguments", w->name);
        return nullptr;
    }
    return PyObject_Vectorcall(w->function, args, nargsf, nullptr);
}

PyObject *wrapper_get(PyObject *self, PyObject *obj, PyObject *) {
    Wrapper *w = (Wrapper *) self;
    if (!w->bind) {
        Py_INCREF(self);
        return self;
    }
    // A positional-only member stands for its function everywhere, so that
    // its keyword check runs however it is called.
    PyObject *function = w->vectorcall == call_positional ? self : w->function;
    if (!obj) {
        Py_INCREF(function);
        return function;
    }
    return PyMethod_New(function, obj);
}

int wrapper_traverse(PyObject *self, visitproc visit, void *arg) {
    Py_VISIT(Py_TYPE(self));
    Py_VISIT(((Wrapper *) self)->function);
    return 0;
}

void wrapper_dealloc(PyObject *self) {
    PyTypeObject *type = Py_TYPE(self);
    PyObject_GC_UnTrack(self);
    Py_CLEAR(((Wrapper *) self)->function);
    type->tp_free(self);
    Py_DECREF(type);
}

PyObject *wrapper_attr(PyObject *self, void *name) {
    return PyObject_GetAttrString(((Wrapper *) self)->function, (const char *) name);
}

PyTypeObject *make_type(bool bind) {
    static PyMemberDef members[] = {
        {"__vectorcalloffset__", T_PYSSIZET, (Py_ssize_t) offsetof(Wrapper, vectorcall), READONLY, nullptr},
        {"__func__", T_OBJECT, (Py_ssize_t) offsetof(Wrapper, function), READONLY, nullptr},
        {nullptr, 0, 0, 0, nullptr}};
    static PyGetSetDef getset[] = {{"__name__", wrapper_attr, nullptr, nullptr, (void *) "__name__"},
                                   {"__qualname__", wrapper_attr, nullptr, nullptr, (void *) "__qualname__"},
                                   {"__doc__", wrapper_attr, nullptr, nullptr, (void *) "__doc__"},
                                   {"__module__", wrapper_attr, nullptr, nullptr, (void *) "__module__"},
                                   {"__nb_signature__", wrapper_attr, nullptr, nullptr, (void *) "__nb_signature__"},
                                   {nullptr, nullptr, nullptr, nullptr, nullptr}};
    static PyType_Slot slots[] = {{Py_tp_descr_get, (void *) wrapper_get},
                                  {Py_tp_call, (void *) PyVectorcall_Call},
                                  {Py_tp_traverse, (void *) wrapper_traverse},
                                  {Py_tp_dealloc, (void *) wrapper_dealloc},
                                  {Py_tp_members, members},
                                  {Py_tp_getset, getset},
                                  {0, nullptr}};
    unsigned long flags = Py_TPFLAGS_DEFAULT | Py_TPFLAGS_HAVE_VECTORCALL | Py_TPFLAGS_HAVE_GC;
    if (bind)
        flags |= Py_TPFLAGS_METHOD_DESCRIPTOR;
    static PyType_Spec method_spec = {"geometry.method", sizeof(Wrapper), 0, 0, slots};
    static PyType_Spec function_spec = {"geometry.function", sizeof(Wrapper), 0, 0, slots};
    PyType_Spec *spec = bind ? &method_spec : &function_spec;
    spec->flags = (unsigned int) flags;
    return (PyTypeObject *) check(PyType_FromSpec(spec)).release().ptr();  // kept for the process
}
}  // namespace

nb::object wrap_function(nb::handle function, const char *name, bool bind, bool positional_only) {
    static PyTypeObject *method_type = make_type(true);
    static PyTypeObject *function_type = make_type(false);
    PyTypeObject *type = bind ? method_type : function_type;
    Wrapper *w = PyObject_GC_New(Wrapper, type);
    if (!w)
        raise_current();
    w->function = nb::borrow(function).release().ptr();
    w->vectorcall = positional_only ? call_positional : call_any;
    w->name = name;
    w->bind = bind;
    PyObject_GC_Track((PyObject *) w);
    return nb::steal((PyObject *) w);
}

nb::object static_method(nb::handle function) {
    nb::object method = check(PyStaticMethod_New(function.ptr()));
    // A staticmethod carries its function's attributes (functools.wraps
    // copies the instance dictionary of a Python function): the signature
    // nanobind keeps for the function is read off the staticmethod as well.
    static const Key signature("__nb_signature__");
    if (nb::object text = get_attr_or_null(function, signature); text.is_valid())
        set_attr(method, signature, text);
    return method;
}

}  // namespace pyu
