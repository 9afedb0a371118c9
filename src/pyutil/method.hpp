// Functions stored in a class: plain methods whose receiver is an ordinary
// parameter, and positional-only members.  Used through pyu::Class (see
// classes.hpp); nothing else needs them directly.
#pragma once

#include "pyutil/errors.hpp"

namespace pyu {

// Wraps a function so that it is stored in a class as a plain method is:
// read through an instance it binds to it, read through the class it is
// itself (a function of the class's members).  With `bind` false the
// wrapper never binds (the body of a static method, a property's getter).
// `params` is a tuple of (name,) or (name, default) pairs, and (name, None,
// "*") for a `*args` parameter: the wrapper checks every call's shape
// against it before the function runs, with the interpreter's texts and the
// member's short name (see method.cpp), and it is the
// wrapper's `__signature__`.  With `positional_only` (exactly one parameter
// and no default, or none at all) the call takes no keyword, as a built-in
// function of one parameter: "copy() takes no keyword arguments".
// `doc` is the member's docstring; written as "name(signature)\n--\n\n"
// followed by the text (tools/stub_docs.py writes it so from the stub), the
// signature's annotations go into `__signature__`, so help() shows the
// member as the stub declares it, and `__doc__` is the text alone.
nb::object wrap_function(nb::handle function, const char *name, bool bind, bool positional_only,
                         nb::handle params, const char *doc = nullptr);

// The construction of a class whose `__init__` is such a wrapper (its
// `tp_vectorcall` slot, pyu::Class's construct_vectorcall<T>): `Point(1, 2)`
// makes the instance and calls the `__init__` the class has, so the
// construction's call shape and recursion count are the wrapper's.  The
// __init__ is remembered in `cache` while the class is unchanged; a class
// whose __init__ or __new__ has been replaced is made the interpreter's way.
struct InitCache {
    unsigned int tag = 0;
    PyObject *init = nullptr;  // strong, for the process
};
PyObject *construct_call(PyObject *type, PyObject *const *args, size_t nargsf, PyObject *kwnames, InitCache &cache);
// The `tp_new` of the classes, which construct_call takes for granted.
void remember_instance_new(newfunc f);

// The text of a docstring written with a leading signature (see
// wrap_function), without it.
nb::object doc_text(const char *doc);

// staticmethod(function), showing the function's `__nb_signature__` too.
nb::object static_method(nb::handle function);

// A function written in Python, for the few members whose shape only Python
// source gives (a generator function, whose calls return a real generator
// that reads the receiver's attributes as it is advanced).  `source` defines
// one function named `name`; the result carries `qualname`, the module name
// `module` and the docstring `doc`, and sees only the builtins.
nb::object python_function(const char *source, const char *name, const char *qualname, const char *module,
                           const char *doc);

}  // namespace pyu
