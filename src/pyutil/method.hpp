// Functions stored in a class: plain methods whose receiver is an ordinary
// parameter, and positional-only members.  Used through pyu::Class (see
// classes.hpp); nothing else needs them directly.
#pragma once

#include "pyutil/errors.hpp"

namespace pyu {

// Wraps a function so that it is stored in a class as a plain method is:
// read through an instance it binds to it, read through the class it is the
// function itself.  With `positional_only`, a call that passes any keyword
// raises TypeError("<name>() takes no keyword arguments"), as a built-in
// function of one parameter does.  With `bind` false the wrapper never binds
// (the body of a static method of one parameter).
nb::object wrap_function(nb::handle function, const char *name, bool bind, bool positional_only);

// staticmethod(function), showing the function's `__nb_signature__` too.
nb::object static_method(nb::handle function);

}  // namespace pyu
