// Flatkin.Vector: a free planar vector and the static point geometry of two
// to four points (products, angles, projections, line crossings, turns).
#include "Flatkin/flatkin.hpp"
#include "pyutil/method.hpp"
#include "pyutil/numpy_kernels.hpp"

#include <cmath>
#include <vector>

using namespace nb::literals;
using geom::Vec2;

namespace flatkin {
namespace {

constexpr double pi = 3.141592653589793;

nb::object vector_obj(Vec2 v) { return pyu::make_vector(v.x, v.y); }
nb::object point_obj(Vec2 p) { return pyu::make_point(p.x, p.y); }

// ------------------------------------------------------------ value

// The y values are read only when the x values are already equal.
bool is_equal(nb::handle self, nb::handle other) {
    double e = eps();
    if (!(std::fabs(pyu::get_x(self) - pyu::get_x(other)) <= e))
        return false;
    return std::fabs(pyu::get_y(self) - pyu::get_y(other)) <= e;
}

nb::object add(nb::handle self, nb::handle other) {
    double x = pyu::get_x(self) + pyu::get_x(other);
    return pyu::make_vector(x, pyu::get_y(self) + pyu::get_y(other));
}

nb::object sub(nb::handle self, nb::handle other) {
    double x = pyu::get_x(self) - pyu::get_x(other);
    return pyu::make_vector(x, pyu::get_y(self) - pyu::get_y(other));
}

nb::object mul(nb::handle self, nb::handle other) {
    double k = pyu::as_double(other);
    Vec2 v = xy(self);
    return pyu::make_vector(v.x * k, v.y * k);
}

nb::object truediv(nb::handle self, nb::handle other) {
    double k = pyu::as_double(other);
    Vec2 v = xy(self);
    double x = pyu::divide(v.x, k);
    return pyu::make_vector(x, pyu::divide(v.y, k));
}

// `magnitude` of any object: computed for our own types, read otherwise.
double magnitude_of(nb::handle h) {
    if (pyu::is_vector(h)) {
        const flat::Point &v = pyu::flat_fields(h);
        return magnitude(v.x, v.y);
    }
    return pyu::as_double(h.attr("magnitude"));
}

double magnitude_prop(nb::handle self) {
    Vec2 v = xy(self);
    return magnitude(v.x, v.y);
}

double norm(nb::handle self) {
    Vec2 v = xy(self);
    return std::fabs(v.x) + std::fabs(v.y);
}

// A vector no longer than epsilon is its own unit vector: the receiver itself
// comes back, unscaled.
nb::object unit_vector(nb::handle self) {
    Vec2 v = xy(self);
    double m = magnitude(v.x, v.y);
    if (std::fabs(m) <= eps())
        return nb::borrow(self);
    return pyu::make_vector(v.x / m, v.y / m);
}

Vec2 unit_of(Vec2 v) {
    double m = magnitude(v.x, v.y);
    if (std::fabs(m) <= eps())
        return v;
    return {v.x / m, v.y / m};
}

// The receiver through its unit vector, so a vector no longer than epsilon is
// scaled rather than normalised.
nb::object adjust_length(nb::handle self, nb::handle new_length) {
    double length = pyu::as_double(new_length);
    nb::object u = pyu::is_vector(self) ? unit_vector(self) : self.attr("unit_vector");
    Vec2 v = xy(u);
    return pyu::make_vector(v.x * length, v.y * length);
}

nb::object rotate(nb::handle self, nb::handle angle) {
    PyObject *a = angle.ptr();
    if (PyFloat_CheckExact(a) || PyLong_CheckExact(a) || PyBool_Check(a)) {
        CosSin cs = np_cos_sin(pyu::as_double(angle));
        Vec2 v = xy(self);
        return pyu::make_vector(cs.c * v.x - cs.s * v.y, cs.s * v.x + cs.c * v.y);
    }
    // Anything else goes to numpy as it is (a float32 keeps its precision, an
    // array of more than one value fails the float conversion).
    nb::handle numpy = np.get();
    nb::object c = numpy.attr("cos")(angle), s = numpy.attr("sin")(angle);
    nb::object x = self.attr("x"), y = self.attr("y");
    auto num = [](PyObject *r) {
        if (!r)
            pyu::raise_current();
        return nb::steal(r);
    };
    nb::object cx = num(PyNumber_Multiply(c.ptr(), x.ptr())), sy = num(PyNumber_Multiply(s.ptr(), y.ptr()));
    nb::object sx = num(PyNumber_Multiply(s.ptr(), x.ptr())), cy = num(PyNumber_Multiply(c.ptr(), y.ptr()));
    double px = pyu::py_float(num(PyNumber_Subtract(cx.ptr(), sy.ptr())));
    return pyu::make_vector(px, pyu::py_float(num(PyNumber_Add(sx.ptr(), cy.ptr()))));
}

nb::object copy(nb::handle self) {
    if (pyu::is_flat(self))
        return vector_obj(xy(self));
    double x = pyu::py_float(self.attr("x"));
    return pyu::make_vector(x, pyu::py_float(self.attr("y")));
}

// ------------------------------------------------- products and angles

nb::object vector_from_points(nb::handle p1, nb::handle p2) { return vector_obj(xy(p2) - xy(p1)); }
double dot_product(nb::handle v1, nb::handle v2) { return geom::dot(xy(v1), xy(v2)); }
double cross_product(nb::handle v1, nb::handle v2) { return geom::cross(xy(v1), xy(v2)); }

// dot (or cross) over the product of the lengths, clamped to the int 1 or -1
// (upper bound first, a NaN passes); None when either length is at most eps.
nb::object clamped_ratio(nb::handle v1, nb::handle v2, bool use_cross) {
    double m1 = magnitude_of(v1), m2 = magnitude_of(v2);
    double e = eps();
    if (std::fabs(m1) <= e || std::fabs(m2) <= e)
        return nb::none();
    Vec2 a = xy(v1), b = xy(v2);
    double c = pyu::divide(use_cross ? geom::cross(a, b) : geom::dot(a, b), m1 * m2);
    if (1 < c)
        return pyu::int_obj(1);
    if (-1 > c)
        return pyu::int_obj(-1);
    return pyu::float_obj(c);
}

nb::object cos(nb::handle v1, nb::handle v2) { return clamped_ratio(v1, v2, false); }
nb::object sin(nb::handle v1, nb::handle v2) { return clamped_ratio(v1, v2, true); }

// Three modes: unsigned when `polar` is the False object, the counter-
// clockwise turn in [0, 2 pi] by default, and with `compare` the True object
// a key that grows with the signed turn (1 / (a - 2 pi) for clockwise turns).
nb::object angle(nb::handle v1, nb::handle v2, nb::handle polar, nb::handle compare) {
    nb::object c = cos(v1, v2);
    if (c.is_none())
        return nb::none();
    double a = pyu::np_arccos(pyu::as_double(c));
    if (polar.ptr() == Py_False)
        return pyu::float_obj(a);
    if (cross_product(v1, v2) >= 0)
        return pyu::float_obj(a);
    if (compare.ptr() == Py_True)
        return pyu::float_obj(1 / (a - pi * 2));
    return pyu::float_obj(pi * 2 - a);
}

double radian_to_degree(nb::handle radian) { return pyu::py_round(pyu::as_double(radian) * 180.0 / pi, 2); }
double degree_to_radian(nb::handle degree) { return pyu::as_double(degree) * pi / 180; }

// ------------------------------------------------ projection and mirror

// Foot of the perpendicular from c on the line a-b: a moved by ab brought to
// the signed length dot(ab, ac) / |ab| (ZeroDivisionError when a == b).
Vec2 foot(nb::handle a_h, nb::handle b_h, nb::handle c_h) {
    Vec2 a = xy(a_h), b = xy(b_h), c = xy(c_h);
    Vec2 ab = b - a, ac = c - a;
    double s = pyu::divide(geom::dot(ab, ac), magnitude(ab.x, ab.y));
    Vec2 v = unit_of(ab) * s;
    return {v.x + a.x, v.y + a.y};
}

nb::object projection_point(nb::handle a, nb::handle b, nb::handle c) { return point_obj(foot(a, b, c)); }
double projection_distance(nb::handle a, nb::handle b, nb::handle c) { return distance(xy(c), foot(a, b, c)); }
double projection_length(nb::handle a, nb::handle b, nb::handle c) {
    Vec2 o = foot(a, b, c);
    return distance(xy(a), o);
}
nb::object projection_vector(nb::handle a, nb::handle b, nb::handle c) {
    Vec2 o = foot(a, b, c);
    return vector_obj(o - xy(a));
}
nb::object mirror(nb::handle a, nb::handle b, nb::handle c) {
    Vec2 o = foot(a, b, c), p = xy(c);
    return pyu::make_point(2 * o.x - p.x, 2 * o.y - p.y);
}

// ----------------------------------------- crossings, turns and angles

nb::object intersection(nb::handle a, nb::handle b, nb::handle c, nb::handle d) {
    std::optional<Vec2> p = geom::line_intersection(xy(a), xy(b), xy(c), xy(d), eps());
    return p ? point_obj(*p) : nb::none();
}

int relative_position(nb::handle a, nb::handle b, nb::handle c) {
    return geom::relative_position(xy(a), xy(b), xy(c));
}

nb::object polar_angle(nb::handle point, nb::handle reference_point) {
    Vec2 ref = reference_point.is_none() ? Vec2{0.0, 0.0} : xy(reference_point);
    nb::object v = vector_obj(xy(point) - ref);
    nb::object x_axis = pyu::make_vector(1.0, 0.0);
    return angle(x_axis, v, nb::handle(Py_True), nb::handle(Py_False));
}

nb::object sort_points_by_polar_angle(nb::handle points, nb::handle reference_point) {
    nb::object ref = reference_point.is_none() ? pyu::make_point(0.0, 0.0) : nb::borrow(reference_point);
    nb::object key = nb::cpp_function([ref](nb::handle p) { return polar_angle(p, ref); });
    return pyu::builtins().attr("sorted")(points, "key"_a = key);
}

double area_of_triangle(nb::handle p1, nb::handle p2, nb::handle p3) {
    return geom::triangle_area(xy(p1), xy(p2), xy(p3));
}
bool is_clockwise(nb::handle p1, nb::handle p2, nb::handle p3) { return geom::turn(xy(p1), xy(p2), xy(p3)) < 0; }
bool is_counter_clockwise(nb::handle p1, nb::handle p2, nb::handle p3) {
    return geom::turn(xy(p1), xy(p2), xy(p3)) > 0;
}

// True when every consecutive triple has exactly zero signed area (fewer
// than three points are linear).
bool is_linear(nb::handle points) {
    Py_ssize_t n = PyObject_Length(points.ptr());
    if (n < 0)
        pyu::raise_current();
    if (n < 3)
        return true;
    Vec2 p0 = xy(pyu::get_item(points, 0)), p1 = xy(pyu::get_item(points, 1));
    for (Py_ssize_t i = 2; i < n; ++i) {
        Vec2 p2 = xy(pyu::get_item(points, i));
        if (geom::triangle_area(p0, p1, p2) != 0)
            return false;
        p0 = p1;
        p1 = p2;
    }
    return true;
}

}  // namespace

void bind_vector(nb::module_ &m) {
    auto cls = nb::class_<flat::Vector>(m, "Vector", nb::dynamic_attr(), nb::pooled());
    // As for Point: methods of two or more parameters take any receiver.
    auto method = [&](const char *name, auto f, auto... args) {
        pyu::def_method(cls, name, f, "self"_a.none(), args...);
    };
    cls.def("__init__", [](nb::handle self, nb::handle x, nb::handle y) { init(self, x, y, pyu::vector_type); },
            "x"_a.none(), "y"_a.none())
        .def("__repr__", [](nb::handle self) { return text(self, "Vector"); })
        .def("__hash__", &hash);
    method("__eq__", &is_equal, "other"_a.none());
    method("__add__", &add, "other"_a.none());
    method("__sub__", &sub, "other"_a.none());
    method("__mul__", &mul, "other"_a.none());
    method("__truediv__", &truediv, "other"_a.none());
    cls.def_prop_ro("magnitude", &magnitude_prop)
        .def_prop_ro("norm", &norm)
        .def_prop_ro("unit_vector", &unit_vector)
        .def("reverse", [](nb::handle self) {
            Vec2 v = xy(self);
            return pyu::make_vector(-v.x, -v.y);
        });
    method("is_equal", &is_equal, "other"_a.none());
    method("adjust_length", &adjust_length, "new_length"_a.none());
    method("rotate", &rotate, "angle"_a.none());
    cls.def("copy", &copy)
        .def_static("vector_from_points", &vector_from_points, "point1"_a.none(), "point2"_a.none())
        .def_static("dot_product", &dot_product, "vector1"_a.none(), "vector2"_a.none())
        .def_static("cross_product", &cross_product, "vector1"_a.none(), "vector2"_a.none())
        .def_static("angle", &angle, "vector1"_a.none(), "vector2"_a.none(), "polar"_a.none() = true,
                    "compare"_a.none() = false)
        .def_static("radian_to_degree", &radian_to_degree)
        .def_static("degree_to_radian", &degree_to_radian)
        .def_static("cos", &cos, "vector1"_a.none(), "vector2"_a.none())
        .def_static("sin", &sin, "vector1"_a.none(), "vector2"_a.none())
        .def_static("projection_point", &projection_point, "a"_a.none(), "b"_a.none(), "c"_a.none())
        .def_static("projection_distance", &projection_distance, "a"_a.none(), "b"_a.none(), "c"_a.none())
        .def_static("projection_length", &projection_length, "a"_a.none(), "b"_a.none(), "c"_a.none())
        .def_static("projection_vector", &projection_vector, "a"_a.none(), "b"_a.none(), "c"_a.none())
        .def_static("mirror", &mirror, "a"_a.none(), "b"_a.none(), "c"_a.none())
        .def_static("intersection", &intersection, "a"_a.none(), "b"_a.none(), "c"_a.none(), "d"_a.none())
        .def_static("relative_position", &relative_position, "a"_a.none(), "b"_a.none(), "c"_a.none())
        .def_static("polar_angle", &polar_angle, "point"_a.none(), "reference_point"_a.none() = nb::none())
        .def_static("sort_points_by_polar_angle", &sort_points_by_polar_angle, "points"_a.none(),
                    "reference_point"_a.none() = nb::none())
        .def_static("area_of_triangle", &area_of_triangle, "point1"_a.none(), "point2"_a.none(), "point3"_a.none())
        .def_static("is_clockwise", &is_clockwise, "point1"_a.none(), "point2"_a.none(), "point3"_a.none())
        .def_static("is_counter_clockwise", &is_counter_clockwise, "point1"_a.none(), "point2"_a.none(),
                    "point3"_a.none())
        .def_static("is_linear", &is_linear);
}

}  // namespace flatkin
