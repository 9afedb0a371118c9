// Solidar.Vector3d: a free solid vector.  Its value operations are here; the
// angles and the point and line geometry are in vector3d_geometry.cpp; the
// member table below is the class's, in its order.
#include "Solidar/solidar.hpp"

#include <cmath>

using namespace nb::literals;

namespace solidar {
namespace {

const pyu::Key key_unit_vector("unit_vector"), key_angle("angle");

// The components of `other` are used as they are (no float()).
nb::object add(nb::handle self, nb::handle other) {
    Vec3 v = xyz(self);
    return new_vector3d(v + xyz(other));
}

nb::object sub(nb::handle self, nb::handle other) {
    Vec3 v = xyz(self);
    return new_vector3d(v - xyz(other));
}

// A number on the right only: anything else raises TypeError.
nb::object mul(nb::handle self, nb::handle other) {
    double k = pyu::as_double(other);
    return new_vector3d(xyz(self) * k);
}

nb::object truediv(nb::handle self, nb::handle other) {
    double k = pyu::as_double(other);
    Vec3 v = xyz(self);
    if (k == 0.0)
        pyu::raise_zero_division();
    return new_vector3d({v.x / k, v.y / k, v.z / k});
}

double magnitude(nb::handle self) { return checked(geom::length(xyz(self))); }
double norm(nb::handle self) { return geom::norm1(xyz(self)); }

// A vector no longer than epsilon is its own unit vector: the receiver
// itself comes back, unscaled.
nb::object unit_vector(nb::handle self) {
    geom::UnitVector u = checked(geom::unit_or_self(xyz(self), eps()));
    return u.same ? nb::borrow(self) : new_vector3d(u.v);
}

nb::object reverse(nb::handle self) { return new_vector3d(-xyz(self)); }

double dot_product(nb::handle self, nb::handle vector2) {
    Vec3 a = xyz(self);
    return geom::dot(a, xyz(vector2));
}

nb::object cross_product(nb::handle self, nb::handle other) {
    Vec3 a = xyz(self);
    return new_vector3d(geom::cross(a, xyz(other)));
}

// Reads lazily: y only when x agrees, z only when y does.
bool is_equal_lazily(nb::handle self, nb::handle other) {
    double e = eps();
    if (!geom::ties(pyu::get_x(self) - pyu::get_x(other), e))
        return false;
    if (!geom::ties(pyu::get_y(self) - pyu::get_y(other), e))
        return false;
    return geom::ties(pyu::get_z(self) - pyu::get_z(other), e);
}

// The receiver's unit vector times the length, so a vector no longer than
// epsilon is scaled rather than normalised.
nb::object adjust_length(nb::handle self, nb::handle new_length) {
    double length = pyu::as_double(new_length);
    Vec3 u;
    if (pyu::is_vector3d(self))
        u = checked(geom::unit_or_self(xyz(self), eps())).v;
    else
        u = xyz(pyu::get_attr(self, key_unit_vector));
    return new_vector3d(u * length);
}

// Turned counter-clockwise about the z axis; z is kept.  Without an angle,
// a number stored as `angle` on this very vector serves.
nb::object rotate2d(nb::handle self, nb::handle angle) {
    double a;
    if (!angle.is_none()) {
        a = pyu::as_double(angle);
    } else {
        nb::object stored;
        if (PyObject **dict = _PyObject_GetDictPtr(self.ptr()); dict && *dict) {
            PyObject *value = PyDict_GetItemWithError(*dict, key_angle.ptr());
            if (!value && PyErr_Occurred())
                pyu::raise_current();
            stored = nb::borrow(value);
        }
        if (!stored.is_valid() || stored.is_none() || PyUnicode_Check(stored.ptr()) || PyBytes_Check(stored.ptr()) ||
            PyByteArray_Check(stored.ptr()))
            pyu::raise(PyExc_TypeError, "rotate2d() needs an angle");
        a = PyFloat_AsDouble(stored.ptr());
        if (a == -1.0 && PyErr_Occurred()) {
            if (!PyErr_ExceptionMatches(PyExc_TypeError))
                pyu::raise_current();
            PyErr_Clear();
            pyu::raise(PyExc_TypeError, "rotate2d() needs an angle");
        }
    }
    CosSin cs = np_cos_sin(a);
    return new_vector3d(geom::rotate_planar(xyz(self), cs.c, cs.s));
}

nb::object copy(nb::handle self) { return new_vector3d(xyz(self)); }

}  // namespace

void bind_vector3d(nb::module_ &m) {
    using namespace vector_geometry;
    pyu::Class<solid::Vector3d> cls(m, "Vector3d", DOC(Vector3d), {}, nb::pooled());
    cls.coordinates({{"x", &solid::Vector3d::x}, {"y", &solid::Vector3d::y}, {"z", &solid::Vector3d::z}})
        .init([](nb::handle self, nb::handle x, nb::handle y, nb::handle z) {
                  init<solid::Vector3d>(self, x, y, z, pyu::vector3d_type, "Vector3d");
              },
              DOC(Vector3d, __init__), "x"_a, "y"_a, "z"_a)
        .method("__repr__", [](nb::handle self) { return text(self, "Vector3d"); }, DOC(Vector3d, __repr__))
        .method("__hash__", &hash, DOC(Vector3d, __hash__))
        .method("__eq__", &is_equal, DOC(Vector3d, __eq__), "other"_a)
        .method("__add__", &add, DOC(Vector3d, __add__), "other"_a)
        .method("__sub__", &sub, DOC(Vector3d, __sub__), "other"_a)
        .method("__mul__", &mul, DOC(Vector3d, __mul__), "other"_a)
        .method("__truediv__", &truediv, DOC(Vector3d, __truediv__), "other"_a)
        .property("magnitude", &magnitude, DOC(Vector3d, magnitude))
        .property("norm", &norm, DOC(Vector3d, norm))
        .property("unit_vector", &unit_vector, DOC(Vector3d, unit_vector))
        .method("reverse", &reverse, DOC(Vector3d, reverse))
        .method("dot_product", &dot_product, DOC(Vector3d, dot_product), "vector2"_a)
        .method("cross_product", &cross_product, DOC(Vector3d, cross_product), "other"_a)
        .method("is_equal", &is_equal_lazily, DOC(Vector3d, is_equal), "other"_a)
        .method("adjust_length", &adjust_length, DOC(Vector3d, adjust_length), "new_length"_a)
        .method("rotate2d", &rotate2d, DOC(Vector3d, rotate2d), "angle"_a = nb::none())
        .method("copy", &copy, DOC(Vector3d, copy))
        .static_method("vector_from_points", &vector_from_points, DOC(Vector3d, vector_from_points), "point1"_a,
                       "point2"_a)
        .static_method("angle", &angle, DOC(Vector3d, angle), "vector1"_a, "vector2"_a, "polar"_a = true,
                       "compare"_a = false)
        .static_method("radian_to_degree", &radian_to_degree, DOC(Vector3d, radian_to_degree), "radian"_a)
        .static_method("degree_to_radian", &degree_to_radian, DOC(Vector3d, degree_to_radian), "degree"_a)
        .static_method("cos", &cos, DOC(Vector3d, cos), "vector1"_a, "vector2"_a)
        .static_method("sin", &sin, DOC(Vector3d, sin), "vector1"_a, "vector2"_a)
        .static_method("projection_point", &projection_point, DOC(Vector3d, projection_point), "a"_a, "b"_a, "c"_a)
        .static_method("projection_distance", &projection_distance, DOC(Vector3d, projection_distance), "a"_a,
                       "b"_a, "c"_a)
        .static_method("projection_length", &projection_length, DOC(Vector3d, projection_length), "a"_a, "b"_a,
                       "c"_a)
        .static_method("projection_vector", &projection_vector, DOC(Vector3d, projection_vector), "a"_a, "b"_a,
                       "c"_a)
        .static_method("mirror", &mirror, DOC(Vector3d, mirror), "a"_a, "b"_a, "c"_a)
        .static_method("intersection", &intersection, DOC(Vector3d, intersection), "a"_a, "b"_a, "c"_a, "d"_a)
        .static_method("relative_position", &relative_position, DOC(Vector3d, relative_position), "a"_a, "b"_a,
                       "c"_a)
        .static_method("polar_angle", &polar_angle, DOC(Vector3d, polar_angle), "point"_a,
                       "reference_point"_a = nb::none())
        .static_method("sort_points_by_polar_angle", &sort_points_by_polar_angle,
                       DOC(Vector3d, sort_points_by_polar_angle), "points"_a, "reference_point"_a = nb::none())
        .static_method("area_of_triangle", &area_of_triangle, DOC(Vector3d, area_of_triangle), "point1"_a,
                       "point2"_a, "point3"_a)
        .static_method("is_clockwise", &is_clockwise, DOC(Vector3d, is_clockwise), "point1"_a, "point2"_a,
                       "point3"_a)
        .static_method("is_counter_clockwise", &is_counter_clockwise, DOC(Vector3d, is_counter_clockwise),
                       "point1"_a, "point2"_a, "point3"_a)
        .static_method("is_linear", &is_linear, DOC(Vector3d, is_linear), "points"_a);
}

}  // namespace solidar
