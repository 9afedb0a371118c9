#include "pyutil/method.hpp"

#include "pyutil/attrs.hpp"
#include "pyutil/reads.hpp"

#include <structmember.h>

#include <algorithm>
#include <cstddef>
#include <cstring>
#include <utility>
#include <vector>

namespace pyu {

namespace {

// How a wrapper's calls are shaped (see wrap_function).
enum class Shape : unsigned char {
    general,        // parameters by position or keyword, perhaps a *args
    receiver_only,  // a method of its receiver alone, as a built-in's
    one_argument,   // exactly one positional argument
    no_argument,    // none at all
};

// A function stored in a class.  Flagged as a method descriptor when it
// binds, so that `obj.name(args)` calls the function with obj first without
// making a bound method at all.
struct Wrapper {
    PyObject_HEAD
    PyObject *function;
    vectorcallfunc vectorcall;
    vectorcallfunc target;     // the function's own vectorcall, or PyObject_Vectorcall
    PyObject *params;          // tuple of (name, default or None-tuple marker), or null
    PyObject *names;           // the names of the parameters taken by keyword, in order
    PyObject *doc;             // the docstring's text, or null
    PyObject *signature_line;  // "name(...) -> ..." as the stub writes it, or null
    const char *name;
    Py_ssize_t count;     // parameters taken by position or keyword
    Py_ssize_t required;  // those of them without a default
    bool varargs;
    bool bind;
    Shape shape;
};

// Whether every argument is a plain value whose attributes are C fields: our
// own exact points and vectors, floats and ints.  Reading such arguments
// can never call back into a member.
inline bool plain_values(PyObject *const *args, size_t nargsf, PyObject *kwnames) {
    Py_ssize_t n = PyVectorcall_NARGS(nargsf) + (kwnames ? PyTuple_GET_SIZE(kwnames) : 0);
    for (Py_ssize_t i = 0; i < n; ++i) {
        PyTypeObject *t = Py_TYPE(args[i]);
        if (t != &PyFloat_Type && t != point_type && t != vector_type && t != &PyLong_Type && t != point3d_type &&
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
// The function is called through its own vectorcall entry when it has one
// (nanobind's functions do), without the interpreter's generic dispatch.
PyObject *call_guarded(const Wrapper *w, PyObject *const *args, size_t nargsf, PyObject *kwnames) {
    if (plain_values(args, nargsf, kwnames))
        return w->target(w->function, args, nargsf, kwnames);
    if (Py_EnterRecursiveCall(" while calling a Python object"))
        return nullptr;
    PyObject *result = w->target(w->function, args, nargsf, kwnames);
    Py_LeaveRecursiveCall();
    return result;
}

// --------------------------------------------------------- call shapes
// The interpreter's own texts for a call its parameters do not allow, with
// the member's short name: those of a function written in Python
// ("missing 1 required positional argument: 'distance'", "got an unexpected
// keyword argument 'distanc'"), the positional counts in the form "takes
// exactly 3 positional arguments (2 given)" (the receiver counted), and
// those of a built-in function for the members of one parameter or none.
// The keywords are checked first, then the positional count, as the
// interpreter does.

void count_error(const Wrapper *w, const char *bound, Py_ssize_t count, Py_ssize_t given) {
    PyErr_Format(PyExc_TypeError, "%.200s() takes %s %zd positional argument%s (%zd given)", w->name, bound, count,
                 count == 1 ? "" : "s", given);
}

// 'a'; 'a' and 'b'; 'a', 'b', and 'c'.
void missing_error(const Wrapper *w, const std::vector<PyObject *> &missing) {
    size_t n = missing.size();
    PyObject *text = PyUnicode_FromString("");
    for (size_t i = 0; text && i < n; ++i) {
        const char *separator = i == 0 ? "" : n == 2 ? " and " : i + 1 == n ? ", and " : ", ";
        PyObject *next = PyUnicode_FromFormat("%U%s'%U'", text, separator, missing[i]);
        Py_DECREF(text);
        text = next;
    }
    if (!text)
        return;
    PyErr_Format(PyExc_TypeError, "%.200s() missing %zd required positional argument%s: %U", w->name, (Py_ssize_t) n,
                 n == 1 ? "" : "s", text);
    Py_DECREF(text);
}

Py_ssize_t index_of(PyObject *names, PyObject *key) {
    Py_ssize_t n = PyTuple_GET_SIZE(names);
    for (Py_ssize_t i = 0; i < n; ++i)
        if (PyTuple_GET_ITEM(names, i) == key)
            return i;
    for (Py_ssize_t i = 0; i < n; ++i)
        if (PyUnicode_Check(key) && PyUnicode_Compare(PyTuple_GET_ITEM(names, i), key) == 0)
            return i;
    return -1;
}

// The full check, for a call that the fast test did not pass: raises and
// gives false, or gives true for a call by keyword that fits.
bool shape_fits(const Wrapper *w, Py_ssize_t nargs, PyObject *kwnames) {
    Py_ssize_t nkw = kwnames ? PyTuple_GET_SIZE(kwnames) : 0;
    if (w->shape != Shape::general) {
        if (nkw != 0) {
            PyErr_Format(PyExc_TypeError, "%.200s() takes no keyword arguments", w->name);
            return false;
        }
        if (w->shape == Shape::receiver_only && nargs == 0) {
            PyObject *qualname = PyObject_GetAttrString(w->function, "__qualname__");
            if (qualname) {
                PyErr_Format(PyExc_TypeError, "unbound method %S() needs an argument", qualname);
                Py_DECREF(qualname);
            }
        } else if (w->shape == Shape::receiver_only) {
            PyErr_Format(PyExc_TypeError, "%.200s() takes no arguments (%zd given)", w->name, nargs - 1);
        } else if (w->shape == Shape::one_argument) {
            PyErr_Format(PyExc_TypeError, "%.200s() takes exactly one argument (%zd given)", w->name, nargs);
        } else {
            PyErr_Format(PyExc_TypeError, "%.200s() takes no arguments (%zd given)", w->name, nargs);
        }
        return false;
    }
    for (Py_ssize_t j = 0; j < nkw; ++j) {
        PyObject *key = PyTuple_GET_ITEM(kwnames, j);
        Py_ssize_t i = index_of(w->names, key);
        if (i < 0) {
            PyErr_Format(PyExc_TypeError, "%.200s() got an unexpected keyword argument '%S'", w->name, key);
            return false;
        }
        if (i < nargs) {
            PyErr_Format(PyExc_TypeError, "%.200s() got multiple values for keyword argument '%S'", w->name, key);
            return false;
        }
    }
    if (nargs > w->count && !w->varargs) {
        count_error(w, w->required < w->count ? "at most" : "exactly", w->count, nargs);
        return false;
    }
    if (nkw == 0) {
        count_error(w, w->required < w->count || w->varargs ? "at least" : "exactly", w->required, nargs);
        return false;
    }
    std::vector<PyObject *> missing;  // borrowed from `names`, which the wrapper holds
    for (Py_ssize_t i = nargs; i < w->required; ++i) {
        PyObject *name = PyTuple_GET_ITEM(w->names, i);
        bool given = false;
        for (Py_ssize_t j = 0; j < nkw && !given; ++j)
            given = index_of(w->names, PyTuple_GET_ITEM(kwnames, j)) == i;
        if (!given)
            missing.push_back(name);
    }
    if (missing.empty())
        return true;
    missing_error(w, missing);
    return false;
}

// Every call: the shape first (a few comparisons when it fits, the whole
// check only when it does not, or when keywords are given), then the body.
PyObject *call_checked(PyObject *self, PyObject *const *args, size_t nargsf, PyObject *kwnames) {
    const Wrapper *w = (const Wrapper *) self;
    Py_ssize_t nargs = PyVectorcall_NARGS(nargsf);
    bool keywords = kwnames && PyTuple_GET_SIZE(kwnames) != 0;
    bool fits;
    switch (w->shape) {
    case Shape::general:
        fits = !keywords && nargs >= w->required && (nargs <= w->count || w->varargs);
        break;
    case Shape::no_argument:
        fits = !keywords && nargs == 0;
        break;
    default:
        fits = !keywords && nargs == 1;
    }
    if (!fits && !shape_fits(w, nargs, kwnames))
        return nullptr;
    return call_guarded(w, args, nargsf, kwnames);
}

PyObject *wrapper_get(PyObject *self, PyObject *obj, PyObject *) {
    Wrapper *w = (Wrapper *) self;
    // The wrapper stands for its function everywhere: read through the class
    // it is itself, so its checks and signature go with it.
    if (!w->bind || !obj) {
        Py_INCREF(self);
        return self;
    }
    return PyMethod_New(self, obj);
}

// Helpers written in Python, for introspection only: the signature with the
// stub's annotations.  An annotation is the stub's text, shown as written
// (a str whose repr is itself), so help() prints `distance: float`.
const char *const helper_source = R"(
class Annotation(str):
    __slots__ = ()

    def __repr__(self):
        return str.__str__(self)


def annotations(line):
    import ast
    notes = {}
    if line:
        node = ast.parse("def _" + line[line.index("("):] + ": ...").body[0]
        a = node.args
        for p in a.posonlyargs + a.args + a.kwonlyargs + [a.vararg, a.kwarg]:
            if p is not None and p.annotation is not None:
                notes[p.arg] = Annotation(ast.unparse(p.annotation))
        if node.returns is not None:
            notes["return"] = Annotation(ast.unparse(node.returns))
    return notes


def signature(params, positional_only, line):
    import inspect
    P = inspect.Parameter
    notes = annotations(line)
    kind = P.POSITIONAL_ONLY if positional_only else P.POSITIONAL_OR_KEYWORD
    out = []
    for p in params:
        extra = {"default": p[1]} if len(p) == 2 else {}
        out.append(P(p[0], P.VAR_POSITIONAL if len(p) > 2 else kind, annotation=notes.get(p[0], P.empty), **extra))
    return inspect.Signature(out, return_annotation=notes.get("return", inspect.Signature.empty))
)";

nb::object helper(const char *name) {
    static PyObject *scope = nullptr;  // kept for the process
    if (!scope) {
        nb::object function = python_function(helper_source, "signature", "signature", "geometry", "");
        scope = check(PyObject_GetAttrString(function.ptr(), "__globals__")).release().ptr();
    }
    PyObject *fn = PyDict_GetItemString(scope, name);
    if (!fn)
        raise_format(PyExc_SystemError, "no helper '%s'", name);
    return nb::borrow(fn);
}

// inspect.Signature of the parameters, made when asked for.
PyObject *wrapper_signature(PyObject *self, void *) {
    Wrapper *w = (Wrapper *) self;
    if (!w->params)
        return PyObject_GetAttrString(w->function, "__signature__");
    try {
        nb::object params = nb::borrow(w->params);
        nb::object line = w->signature_line ? nb::borrow(w->signature_line) : nb::none();
        nb::object positional = nb::bool_(w->shape != Shape::general);
        return call(helper("signature"), params, positional, line).release().ptr();
    } catch (nb::python_error &e) {
        e.restore();
        return nullptr;
    }
}

PyObject *wrapper_doc(PyObject *self, void *) {
    PyObject *doc = ((Wrapper *) self)->doc;
    return Py_NewRef(doc ? doc : Py_None);
}

int wrapper_traverse(PyObject *self, visitproc visit, void *arg) {
    Py_VISIT(Py_TYPE(self));
    Py_VISIT(((Wrapper *) self)->function);
    Py_VISIT(((Wrapper *) self)->params);
    Py_VISIT(((Wrapper *) self)->names);
    Py_VISIT(((Wrapper *) self)->doc);
    Py_VISIT(((Wrapper *) self)->signature_line);
    return 0;
}

void wrapper_dealloc(PyObject *self) {
    PyTypeObject *type = Py_TYPE(self);
    PyObject_GC_UnTrack(self);
    Py_CLEAR(((Wrapper *) self)->function);
    Py_CLEAR(((Wrapper *) self)->params);
    Py_CLEAR(((Wrapper *) self)->names);
    Py_CLEAR(((Wrapper *) self)->doc);
    Py_CLEAR(((Wrapper *) self)->signature_line);
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
                                   {"__doc__", wrapper_doc, nullptr, nullptr, nullptr},
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

PyTypeObject *method_type() {
    static PyTypeObject *type = make_type(true);
    return type;
}

// The docstring's text and its leading signature line ("" when none).
std::pair<nb::object, nb::object> split_doc(const char *doc) {
    static const char marker[] = "\n--\n\n";
    const char *end = doc ? std::strstr(doc, marker) : nullptr;
    if (!end)
        return {doc ? check(PyUnicode_FromString(doc)) : nb::none(), nb::none()};
    nb::object line = check(PyUnicode_FromStringAndSize(doc, end - doc));
    return {check(PyUnicode_FromString(end + sizeof(marker) - 1)), line};
}
}  // namespace

nb::object wrap_function(nb::handle function, const char *name, bool bind, bool positional_only, nb::handle params,
                         const char *doc) {
    static PyTypeObject *function_type = make_type(false);
    PyTypeObject *type = bind ? method_type() : function_type;
    // Everything the wrapper holds is made before it is, so that nothing
    // here runs with a half-filled wrapper.
    Py_ssize_t n = PyTuple_GET_SIZE(params.ptr());
    bool varargs = n > 0 && PyTuple_GET_SIZE(PyTuple_GET_ITEM(params.ptr(), n - 1)) > 2;
    Py_ssize_t count = varargs ? n - 1 : n, required = 0;
    nb::object names = check(PyTuple_New(count));
    for (Py_ssize_t i = 0; i < count; ++i) {
        PyObject *pair = PyTuple_GET_ITEM(params.ptr(), i);
        PyObject *key = Py_NewRef(PyTuple_GET_ITEM(pair, 0));
        PyUnicode_InternInPlace(&key);
        PyTuple_SET_ITEM(names.ptr(), i, key);
        if (PyTuple_GET_SIZE(pair) == 1)
            required = i + 1;
    }
    auto [text, line] = split_doc(doc);
    Shape shape = Shape::general;
    if (positional_only)
        shape = count == 0 ? Shape::no_argument : bind ? Shape::receiver_only : Shape::one_argument;
    Wrapper *w = PyObject_GC_New(Wrapper, type);
    if (!w)
        raise_current();
    w->function = nb::borrow(function).release().ptr();
    w->params = nb::borrow(params).release().ptr();
    w->names = names.release().ptr();
    w->doc = text.is_none() ? nullptr : text.release().ptr();
    w->signature_line = line.is_none() ? nullptr : line.release().ptr();
    w->vectorcall = call_checked;
    vectorcallfunc own = PyVectorcall_Function(function.ptr());
    w->target = own ? own : (vectorcallfunc) PyObject_Vectorcall;
    w->name = name;
    w->count = count;
    w->required = required;
    w->varargs = varargs;
    w->bind = bind;
    w->shape = shape;
    PyObject_GC_Track((PyObject *) w);
    return nb::steal((PyObject *) w);
}

nb::object doc_text(const char *doc) { return split_doc(doc).first; }

namespace {
newfunc instance_new = nullptr;

// The type's construction when its __init__ is not (or no longer) one of
// ours: the interpreter's own, through the type's __new__ and __init__.
PyObject *construct_generic(PyObject *type, PyObject *const *args, Py_ssize_t nargs, PyObject *kwnames) {
    nb::object tuple = nb::steal(PyTuple_New(nargs));
    if (!tuple.is_valid())
        return nullptr;
    for (Py_ssize_t i = 0; i < nargs; ++i)
        PyTuple_SET_ITEM(tuple.ptr(), i, Py_NewRef(args[i]));
    nb::object kwargs;
    if (kwnames && PyTuple_GET_SIZE(kwnames) != 0) {
        kwargs = nb::steal(PyDict_New());
        if (!kwargs.is_valid())
            return nullptr;
        for (Py_ssize_t j = 0; j < PyTuple_GET_SIZE(kwnames); ++j)
            if (PyDict_SetItem(kwargs.ptr(), PyTuple_GET_ITEM(kwnames, j), args[nargs + j]) != 0)
                return nullptr;
    }
    return PyType_Type.tp_call(type, tuple.ptr(), kwargs.ptr());
}
}  // namespace

void remember_instance_new(newfunc f) { instance_new = f; }

PyObject *construct_call(PyObject *type, PyObject *const *args, size_t nargsf, PyObject *kwnames, InitCache &cache) {
    static PyObject *init_name = PyUnicode_InternFromString("__init__");
    PyTypeObject *tp = (PyTypeObject *) type;
    Py_ssize_t nargs = PyVectorcall_NARGS(nargsf);
    // The class's __init__, remembered with a strong reference under the
    // type's version tag (any change to the class changes the tag).
    if (!cache.init || cache.tag != tp->tp_version_tag || !PyType_HasFeature(tp, Py_TPFLAGS_VALID_VERSION_TAG)) {
        PyObject *found = init_name ? _PyType_Lookup(tp, init_name) : nullptr;  // borrowed
        if (!found || Py_TYPE(found) != method_type() || tp->tp_new != instance_new) {
            Py_CLEAR(cache.init);
            return construct_generic(type, args, nargs, kwnames);
        }
        Py_INCREF(found);
        Py_XSETREF(cache.init, found);
        cache.tag = PyType_HasFeature(tp, Py_TPFLAGS_VALID_VERSION_TAG) ? tp->tp_version_tag : 0;
    }
    nb::object init = nb::borrow(cache.init);  // held: the call may replace what the cache holds
    PyObject *self = tp->tp_new(tp, nullptr, nullptr);
    if (!self)
        return nullptr;
    // The instance goes first among the arguments: in the slot before them
    // when the caller allows it, otherwise in a copy.
    Py_ssize_t total = nargs + (kwnames ? PyTuple_GET_SIZE(kwnames) : 0);
    PyObject *result;
    if (nargsf & PY_VECTORCALL_ARGUMENTS_OFFSET) {
        PyObject **slots = (PyObject **) args - 1;
        PyObject *saved = slots[0];
        slots[0] = self;
        const Wrapper *w = (const Wrapper *) init.ptr();
        // The common case inline: arguments by position, in number, plain.
        if (!kwnames && w->shape == Shape::general && nargs + 1 >= w->required && nargs + 1 <= w->count &&
            plain_values(args, (size_t) nargs, nullptr))
            result = w->target(w->function, slots, (size_t) (nargs + 1), nullptr);
        else
            result = call_checked(init.ptr(), slots, (size_t) (nargs + 1), kwnames);
        slots[0] = saved;
    } else {
        std::vector<PyObject *> copy((size_t) total + 1);
        copy[0] = self;
        std::copy(args, args + total, copy.begin() + 1);
        result = call_checked(init.ptr(), copy.data(), (size_t) (nargs + 1), kwnames);
    }
    if (!result) {
        Py_DECREF(self);
        return nullptr;
    }
    if (result != Py_None) {
        PyErr_Format(PyExc_TypeError, "__init__() should return None, not '%.200s'", Py_TYPE(result)->tp_name);
        Py_DECREF(result);
        Py_DECREF(self);
        return nullptr;
    }
    Py_DECREF(result);
    return self;
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
    auto [body, line] = split_doc(doc);
    check_status(PyObject_SetAttrString(function.ptr(), "__doc__", body.ptr()));
    if (!line.is_none()) {  // the stub's annotations, as help() shows them
        nb::object notes = call(helper("annotations"), line);
        check_status(PyObject_SetAttrString(function.ptr(), "__annotations__", notes.ptr()));
    }
    return function;
}

}  // namespace pyu
