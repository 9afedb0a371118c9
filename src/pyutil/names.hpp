// Module-level names read when they are used.  Rebinding `Strakel.Point` or
// `Flatkin.epsilon` between calls changes what the next call builds or
// compares with; nothing is cached across uses.
#pragma once

#include "pyutil/numbers.hpp"

namespace pyu {

class Name {
public:
    // Binds to `module.name`; call once at initialisation.
    void bind(nb::handle module, const char *name);
    // The current value, owned; NameError when the name has been deleted.
    nb::object get() const;
    // The current value as a float parameter.
    double get_double() const { return as_double(get()); }
    // Whether the name still holds exactly this object (a class, usually):
    // the fast path for our own classes is taken only then.
    bool holds(const void *object) const;

private:
    PyObject *dict_ = nullptr;  // the module's dict: modules outlive every call
    PyObject *key_ = nullptr;   // interned, kept for the process
    const char *name_ = "";
};

}  // namespace pyu
