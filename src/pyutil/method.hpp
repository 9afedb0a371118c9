// Plain methods whose receiver is an ordinary, named parameter.
#pragma once

#include "pyutil/pyutil.hpp"

#include <utility>

namespace pyu {

// A plain method whose receiver is an ordinary, named parameter: the
// function is made without nanobind's method flag (so `self=` works as a
// keyword and any receiver is accepted) and wrapped so that it binds to the
// instance on attribute access, as a function defined in a class does.
nb::object as_method(nb::handle function);

template <typename Func, typename... Extra>
void def_method(nb::handle cls, const char *name, Func &&f, const Extra &...extra) {
    nb::object fn = nb::cpp_function(std::forward<Func>(f), nb::name(name), nb::scope(cls), extra...);
    nb::setattr(cls, name, as_method(fn));
}

}  // namespace pyu
