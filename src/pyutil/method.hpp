// Functions stored in a class: plain methods whose receiver is an ordinary
// parameter, and positional-only members.  Used through pyu::Class (see
// classes.hpp); nothing else needs them directly.
#pragma once

#include "pyutil/errors.hpp"

namespace pyu {

// Wraps a function so that it is stored in a class as a plain method is:
// read through an instance it binds to it, read through the class it is
// itself (a function of the class's members).  With `positional_only`, a
// call that passes any keyword raises TypeError("<name>() takes no keyword
// arguments"), as a built-in function of one parameter does.  With `bind`
// false the wrapper never binds (the body of a static method).  `params` is
// a tuple of (name,) or (name, default) pairs: the wrapper's `__signature__`,
// so inspect.signature() and stub tests see the real parameters.
nb::object wrap_function(nb::handle function, const char *name, bool bind, bool positional_only,
                         nb::handle params = nb::handle());

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
