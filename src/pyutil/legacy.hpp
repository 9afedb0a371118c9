// Older spellings kept while the modules move to the helpers above; removed
// once no module uses them.
#pragma once

#include "pyutil/attrs.hpp"
#include "pyutil/method.hpp"
#include "pyutil/module.hpp"
#include "pyutil/names.hpp"

namespace pyu {

using ModuleAttr = Name;

inline nb::object builtins() { return import("builtins"); }
inline void py_print(nb::handle obj) { pyu::print(obj); }

inline nb::object as_method(nb::handle function) { return wrap_function(function, "", true, false); }

template <typename Func, typename... Extra>
void def_method(nb::handle cls, const char *name, Func &&f, const Extra &...extra) {
    nb::object fn = nb::cpp_function(std::forward<Func>(f), nb::name(name), nb::scope(cls), extra...);
    nb::setattr(cls, name, as_method(fn));
}

}  // namespace pyu
