// The one way to define a module.  GEOM_MODULE(Name, m) { ... } runs the body
// as the module's initialisation, in source order: outside imports, sibling
// imports, constants, then the classes.  An error raised by the body reaches
// the importer unchanged (ModuleNotFoundError for a missing numpy,
// ImportError for a name a sibling lacks) and no module is kept, so a later
// import runs the whole initialisation again.
#pragma once

#include "pyutil/errors.hpp"

#include <initializer_list>

namespace pyu {

namespace detail {
// Prepares nanobind's state for the module (the one place that reaches into
// nanobind's internals), then runs `body`; 0 on success, -1 with the error
// set as the body raised it.
int run_module_body(PyObject *module, void (*body)(nb::module_));
void free_module(void *module);
}  // namespace detail

// `import name`: the module object, or the import's own error.
nb::object import(const char *name);
// `import module as alias` (alias defaults to the module's name).
void import_as(nb::module_ &m, const char *module, const char *alias = nullptr);
// `from module import a, b, ...`: each bound in m in order; a missing one
// raises ImportError("cannot import name 'a' from 'module'").
void import_from(nb::module_ &m, const char *module, std::initializer_list<const char *> names);
// Python's print(obj), through sys.stdout as it is at the call.
void print(nb::handle obj);

}  // namespace pyu

#define GEOM_MODULE(name, variable)                                                             \
    static void geom_##name##_body(nb::module_);                                                \
    static int geom_##name##_exec(PyObject *m) { return pyu::detail::run_module_body(m, geom_##name##_body); } \
    static PyModuleDef_Slot geom_##name##_slots[] = {{Py_mod_exec, (void *) geom_##name##_exec}, {0, nullptr}}; \
    static PyModuleDef geom_##name##_def = {PyModuleDef_HEAD_INIT, #name, nullptr, 0, nullptr,  \
                                            geom_##name##_slots, nullptr, nullptr,              \
                                            pyu::detail::free_module};                          \
    extern "C" NB_EXPORT PyObject *PyInit_##name(void) { return PyModuleDef_Init(&geom_##name##_def); } \
    static void geom_##name##_body(nb::module_ variable)
