#include "pyutil/method.hpp"

#include "pyutil/attrs.hpp"
#include "pyutil/reads.hpp"

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
    PyObject *params;  // tuple of (name, default or None-tuple marker), or null
    const char *name;
    bool bind;
};

// Whether every argument is a plain value whose attributes are C fields: our
// own exact points and vectors, floats and ints.  Reading such arguments
// can never call back into a member.
bool plain_values(PyObject *const *args, size_t nargsf, PyObject *kwnames) {
    Py_ssize_t n = PyVectorcall_NARGS(nargsf) + (kwnames ? PyTuple_GET_SIZE(kwnames) : 0);
    for (Py_ssize_t i = 0; i < n; ++i) {
        PyTypeObject *t = Py_TYPE(args[i]);
        if (t != point_type && t != vector_type && t != &PyFloat_Type && t != &PyLong_Type && t != point3d_type &&
            t != vector3d_type)
            return false;
    }
    return true;
}

// A call counts as a level of recursion: a member that reads its receiver's
// or its arguments' attributes can be called back by them with no Python
// frame in between (`c.center = c`, a subclass property that is another
// member), and such a cycle must end in RecursionError, not in a C stack
// overflow.  A call on plain values alone cannot start such a cycle and
// skips the count.
PyObject *call_guarded(PyObject *function, PyObject *const *args, size_t nargsf, PyObject *kwnames) {
    if (plain_values(args, nargsf, kwnames))
        return PyObject_Vectorcall(function, args, nargsf, kwnames);
    if (Py_EnterRecursiveCall(" while calling a Python object"))
        return nullptr;
    PyObject *result = PyObject_Vectorcall(function, args, nargsf, kwnames);
    Py_LeaveRecursiveCall();
    return result;
}

PyObject *call_any(PyObject *self, PyObject *const *args, size_t nargsf, PyObject *kwnames) {
    return call_guarded(((Wrapper *) self)->function, args, nargsf, kwnames);
}

PyObject *call_positional(PyObject *self, PyObject *const *args, size_t nargsf, PyObject *kwnames) {
    Wrapper *w = (Wrapper *) self;
    if (kwnames && PyTuple_GET_SIZE(kwnames) != 0) {
        PyErr_Format(PyExc_TypeError, "%.200s() takes no keyword arguments", w->name);
        return nullptr;
    }
    return call_guarded(w->function, args, nargsf, nullptr);
}

PyObject *wrapper_get(PyObject *self, PyObject *obj, PyObject *) {
    Wrapper *w = (Wrapper *) self;
    // The wrapper stands for its function everywhere: read through the class
    // it is itself, so its keyword check and signature go with it.
    if (!w->bind || !obj) {
        Py_INCREF(self);
        return self;
    }
    return PyMethod_New(self, obj);
}

// inspect.Signature of the parameters, made when asked for.
PyObject *wrapper_signature(PyObject *self, void *) {
    Wrapper *w = (Wrapper *) self;
    if (!w->params)
        return PyObject_GetAttrString(w->function, "__signature__");
    try {
        nb::object inspect = check(PyImport_ImportModule("inspect"));
        nb::object parameter = check(PyObject_GetAttrString(inspect.ptr(), "Parameter"));
        nb::object kind = check(PyObject_GetAttrString(
            parameter.ptr(), w->vectorcall == call_positional ? "POSITIONAL_ONLY" : "POSITIONAL_OR_KEYWORD"));
        nb::list list;
        Py_ssize_t n = PyTuple_GET_SIZE(w->params);
        nb::object var_positional = check(PyObject_GetAttrString(parameter.ptr(), "VAR_POSITIONAL"));
        for (Py_ssize_t i = 0; i < n; ++i) {
            PyObject *pair = PyTuple_GET_ITEM(w->params, i);
            bool star = PyTuple_GET_SIZE(pair) > 2;  // (name, None, "*"): *args
            nb::object args = nb::make_tuple(nb::handle(PyTuple_GET_ITEM(pair, 0)), star ? var_positional : kind);
            nb::dict kwargs;
            if (PyTuple_GET_SIZE(pair) == 2)
                kwargs["default"] = nb::handle(PyTuple_GET_ITEM(pair, 1));
            list.append(check(PyObject_Call(parameter.ptr(), args.ptr(), kwargs.ptr())));
        }
        nb::object signature = check(PyObject_GetAttrString(inspect.ptr(), "Signature"));
        return check(PyObject_CallOneArg(signature.ptr(), list.ptr())).release().ptr();
    } catch (nb::python_error &e) {
        e.restore();
        return nullptr;
    }
}

int wrapper_traverse(PyObject *self, visitproc visit, void *arg) {
    Py_VISIT(Py_TYPE(self));
    Py_VISIT(((Wrapper *) self)->function);
    Py_VISIT(((Wrapper *) self)->params);
    return 0;
}

void wrapper_dealloc(PyObject *self) {
    PyTypeObject *type = Py_TYPE(self);
    PyObject_GC_UnTrack(self);
    Py_CLEAR(((Wrapper *) self)->function);
    Py_CLEAR(((Wrapper *) self)->params);
    type->tp_free(self);
    Py_DECREF(type);
}

PyObject *wrapper_self(PyObject *self, void *) {
    Py_INCREF(self);
    return self;
}

PyObject *wrapper_attr(PyObject *self, void *name) {
    return PyObject_GetAttrString(((Wrapper *) self)->function, (const char *) name);
}

PyTypeObject *make_type(bool bind) {
    static PyMemberDef members[] = {
        {"__vectorcalloffset__", T_PYSSIZET, (Py_ssize_t) offsetof(Wrapper, vectorcall), READONLY, nullptr},
        {nullptr, 0, 0, 0, nullptr}};
    static PyGetSetDef getset[] = {{"__name__", wrapper_attr, nullptr, nullptr, (void *) "__name__"},
                                   {"__qualname__", wrapper_attr, nullptr, nullptr, (void *) "__qualname__"},
                                   {"__doc__", wrapper_attr, nullptr, nullptr, (void *) "__doc__"},
                                   {"__module__", wrapper_attr, nullptr, nullptr, (void *) "__module__"},
                                   {"__nb_signature__", wrapper_attr, nullptr, nullptr, (void *) "__nb_signature__"},
                                   {"__signature__", wrapper_signature, nullptr, nullptr, nullptr},
                                   {"__func__", wrapper_self, nullptr, nullptr, nullptr},
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

nb::object wrap_function(nb::handle function, const char *name, bool bind, bool positional_only, nb::handle params) {
    static PyTypeObject *method_type = make_type(true);
    static PyTypeObject *function_type = make_type(false);
    PyTypeObject *type = bind ? method_type : function_type;
    Wrapper *w = PyObject_GC_New(Wrapper, type);
    if (!w)
        raise_current();
    w->function = nb::borrow(function).release().ptr();
    w->params = params.is_valid() ? nb::borrow(params).release().ptr() : nullptr;
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
    // (Before Python 3.10 a staticmethod has no attributes of its own.)
    static const Key signature("__nb_signature__");
    if (nb::object text = get_attr_or_null(function, signature); text.is_valid())
        if (PyObject_SetAttr(method.ptr(), signature.ptr(), text.ptr()) != 0)
            PyErr_Clear();
    return method;
}

nb::object python_function(const char *source, const char *name, const char *qualname, const char *module,
                           const char *doc) {
    nb::object scope = check(PyDict_New());
    nb::object builtins = check(PyImport_ImportModule("builtins"));
    check_status(PyDict_SetItemString(scope.ptr(), "__builtins__", builtins.ptr()));
    nb::object module_name = check(PyUnicode_FromString(module));
    check_status(PyDict_SetItemString(scope.ptr(), "__name__", module_name.ptr()));
    check(PyRun_String(source, Py_file_input, scope.ptr(), scope.ptr()));
    PyObject *fn = PyDict_GetItemString(scope.ptr(), name);  // borrowed: the scope holds it
    if (!fn)
        raise_format(PyExc_SystemError, "the source defines no function '%s'", name);
    nb::object function = nb::borrow(fn);
    nb::object text = check(PyUnicode_FromString(qualname));
    check_status(PyObject_SetAttrString(function.ptr(), "__qualname__", text.ptr()));
    nb::object doc_text = check(PyUnicode_FromString(doc));
    check_status(PyObject_SetAttrString(function.ptr(), "__doc__", doc_text.ptr()));
    return function;
}

}  // namespace pyu
