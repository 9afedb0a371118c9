// Reading coordinates off any object, and making our own point and vector
// objects.  Our own Point, Vector, Point3d and Vector3d (their exact classes)
// are read through their C++ fields, which runs no Python code; any other
// object through its `x`, `y` (and `z`) attributes, converted as float
// parameters.  The caller holds a reference to the object it passes.
#pragma once

#include "core/basics/vec3.hpp"
#include "pyutil/numbers.hpp"

namespace flat {
// Storage of Flatkin.Point and Flatkin.Vector (bound once, in Flatkin).
struct Point {
    double x = 0.0, y = 0.0;
};
struct Vector {
    double x = 0.0, y = 0.0;
};
}  // namespace flat

namespace solid {
// Storage of Solidar.Point3d and Solidar.Vector3d (bound once, in Solidar).
struct Point3d {
    double x = 0.0, y = 0.0, z = 0.0;
};
struct Vector3d {
    double x = 0.0, y = 0.0, z = 0.0;
};
}  // namespace solid

namespace pyu {

using XY = geom::Vec2;

// Our own classes; null until the module that binds them has run.  Every
// module calls init_flat_types() once, after importing Flatkin; Solidar
// calls init_solid_types() after binding its classes.
extern PyTypeObject *point_type, *vector_type, *point3d_type, *vector3d_type;
void init_flat_types();
void init_solid_types();

// An instance of our own class `type` (exact, not a subclass) whose
// __init__ has run: only then are its fields there to read.  One made by
// `__new__` alone (or unpickled without state) is read through its
// attributes, which raise AttributeError as a plain class does.
// The construction state of our instances, read in place where the module
// found it (every point of a list is asked); nb::inst_ready otherwise.
extern Py_ssize_t ready_byte;
inline bool constructed(nb::handle h, Py_ssize_t at = ready_byte) {
    if (at >= 0)
        return (((const unsigned char *) h.ptr())[at] & 3) == 2;
    return nb::inst_ready(h);
}
inline bool is_own(nb::handle h, PyTypeObject *type) { return Py_TYPE(h.ptr()) == type && constructed(h); }
inline bool is_point(nb::handle h) { return is_own(h, point_type); }
inline bool is_vector(nb::handle h) { return is_own(h, vector_type); }
// Our own Point or Vector (exact type): both store {x, y} the same way.
inline bool is_flat(nb::handle h) {
    PyTypeObject *t = Py_TYPE(h.ptr());
    return (t == point_type || t == vector_type) && constructed(h);
}
inline flat::Point &flat_fields(nb::handle h) { return *nb::inst_ptr<flat::Point>(h); }
// Where every instance of our own Point holds its fields: the same byte
// offset for all of them (fields are inline), found by init_flat_types, so
// that long point lists are read without a call per item.
extern Py_ssize_t point_payload;
inline const flat::Point &point_fields_inline(PyObject *point) {
    return *(const flat::Point *) ((const char *) point + point_payload);
}
inline bool is_point3d(nb::handle h) { return is_own(h, point3d_type); }
inline bool is_vector3d(nb::handle h) { return is_own(h, vector3d_type); }
inline bool is_solid(nb::handle h) {
    PyTypeObject *t = Py_TYPE(h.ptr());
    return (t == point3d_type || t == vector3d_type) && constructed(h);
}
inline solid::Point3d &solid_fields(nb::handle h) { return *nb::inst_ptr<solid::Point3d>(h); }

// `x`, `y`, `z` of any object as a float parameter: a missing attribute
// raises AttributeError (None included), a non-number TypeError.
double get_x(nb::handle h);
double get_y(nb::handle h);
double get_z(nb::handle h);
// x, then y (then z): a failing y is reported after x was read.
inline geom::Vec2 read_xy(nb::handle h) {
    if (is_flat(h)) {
        const flat::Point &f = flat_fields(h);
        return {f.x, f.y};
    }
    double x = get_x(h);
    return {x, get_y(h)};
}
inline geom::Vec3 read_xyz(nb::handle h) {
    if (is_solid(h)) {
        const solid::Point3d &f = solid_fields(h);
        return {f.x, f.y, f.z};
    }
    double x = get_x(h);
    double y = get_y(h);
    return {x, y, get_z(h)};
}
// float(obj.x) with the built-in conversion (numeric text accepted).
double py_float_x(nb::handle h);
double py_float_y(nb::handle h);
double py_float_z(nb::handle h);

// New objects of our own classes, built without the interpreter.
nb::object make_point(double x, double y);
nb::object make_vector(double x, double y);
inline nb::object make_point(geom::Vec2 p) { return make_point(p.x, p.y); }
inline nb::object make_vector(geom::Vec2 v) { return make_vector(v.x, v.y); }
nb::object make_point3d(geom::Vec3 p);
nb::object make_vector3d(geom::Vec3 v);

}  // namespace pyu
