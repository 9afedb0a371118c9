// Module-level names read when they are used.  Rebinding `Strakel.Point` or
// `Flatkin.epsilon` between calls changes what the next call builds or
// compares with; nothing is cached across uses.
#pragma once

#include "pyutil/reads.hpp"

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
    // The current value, borrowed from the module's dict.
    PyObject *lookup() const;

    PyObject *dict_ = nullptr;  // the module's dict: modules outlive every call
    PyObject *key_ = nullptr;   // interned, kept for the process
    const char *name_ = "";
    // The last value found and the dict's version then: while the dict is
    // unchanged the value is the same object (and the dict keeps it alive).
    mutable PyObject *last_ = nullptr;
    mutable uint64_t last_version_ = 0;
};

// A new object of the class a module name holds now: our own class is filled
// directly; anything rebound in its place is called with the coordinates as
// floats, as the module's own code would call it.
nb::object new_point(const Name &cls, geom::Vec2 p);
nb::object new_vector(const Name &cls, geom::Vec2 v);
nb::object new_point3d(const Name &cls, geom::Vec3 p);
nb::object new_vector3d(const Name &cls, geom::Vec3 v);

}  // namespace pyu
