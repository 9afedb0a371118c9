// Flatkin.Vector: a free planar vector and the static point geometry of two
// to four points (products, angles, projections, line crossings, turns).
#include "Flatkin/flatkin.hpp"
#include "pyutil/numpy_kernels.hpp"

#include <cmath>
#include <vector>

using namespace nb::literals;
using geom::Vec2;

namespace flatkin {
namespace {

constexpr double pi = 3.141592653589793;

const pyu::Key key_magnitude("magnitude"), key_unit_vector("unit_vector"), key_x("x"), key_y("y"), key_cos("cos"),
    key_sin("sin"), key_sorted("sorted");

nb::object vector_obj(Vec2 v) { return new_vector(v); }
nb::object vector_obj(double x, double y) { return new_vector({x, y}); }
nb::object point_obj(Vec2 p) { return new_point(p); }
nb::object point_obj(double x, double y) { return new_point({x, y}); }

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
    return vector_obj(x, pyu::get_y(self) + pyu::get_y(other));
}

nb::object sub(nb::handle self, nb::handle other) {
    double x = pyu::get_x(self) - pyu::get_x(other);
    return vector_obj(x, pyu::get_y(self) - pyu::get_y(other));
}

nb::object mul(nb::handle self, nb::handle other) {
    double k = pyu::as_double(other);
    Vec2 v = xy(self);
    return vector_obj(v.x * k, v.y * k);
}

nb::object truediv(nb::handle self, nb::handle other) {
    double k = pyu::as_double(other);
    Vec2 v = xy(self);
    double x = pyu::divide(v.x, k);
    return vector_obj(x, pyu::divide(v.y, k));
}

// `magnitude` of any object: computed for our own types, read otherwise.
double magnitude_of(nb::handle h) {
    if (pyu::is_vector(h)) {
        const flat::Point &v = pyu::flat_fields(h);
        return pyu::py_magnitude(v.x, v.y);
    }
    return pyu::as_double(pyu::get_attr(h, key_magnitude));
}

double magnitude_prop(nb::handle self) {
    Vec2 v = xy(self);
    return pyu::py_magnitude(v.x, v.y);
}

double norm(nb::handle self) {
    Vec2 v = xy(self);
    return std::fabs(v.x) + std::fabs(v.y);
}

// A vector no longer than epsilon is its own unit vector: the receiver itself
// comes back, unscaled.
nb::object unit_vector(nb::handle self) {
    Vec2 v = xy(self);
    double m = pyu::py_magnitude(v.x, v.y);
    if (std::fabs(m) <= eps())
        return nb::borrow(self);
    return vector_obj(v.x / m, v.y / m);
}

Vec2 unit_of(Vec2 v) {
    double m = pyu::py_magnitude(v.x, v.y);
    if (std::fabs(m) <= eps())
        return v;
    return {v.x / m, v.y / m};
}

// The receiver through its unit vector, so a vector no longer than epsilon is
// scaled rather than normalised.
nb::object adjust_length(nb::handle self, nb::handle new_length) {
    double length = pyu::as_double(new_length);
    nb::object u = pyu::is_vector(self) ? unit_vector(self) : pyu::get_attr(self, key_unit_vector);
    Vec2 v = xy(u);
    return vector_obj(v.x * length, v.y * length);
}

nb::object rotate(nb::handle self, nb::handle angle) {
    PyObject *a = angle.ptr();
    if (PyFloat_CheckExact(a) || PyLong_CheckExact(a) || PyBool_Check(a)) {
        CosSin cs = np_cos_sin(pyu::as_double(angle));
        Vec2 v = xy(self);
        return vector_obj(cs.c * v.x - cs.s * v.y, cs.s * v.x + cs.c * v.y);
    }
    // Anything else goes to numpy as it is (a float32 keeps its precision, an
    // array of more than one value fails the float conversion).
    nb::object numpy = np.get();
    nb::object c = pyu::call_method(numpy, key_cos, angle), s = pyu::call_method(numpy, key_sin, angle);
    nb::object x = pyu::get_attr(self, key_x), y = pyu::get_attr(self, key_y);
    nb::object cx = pyu::num_mul(c, x), sy = pyu::num_mul(s, y);
    nb::object sx = pyu::num_mul(s, x), cy = pyu::num_mul(c, y);
    double px = pyu::py_float(pyu::num_sub(cx, sy));
    return vector_obj({px, pyu::py_float(pyu::num_add(sx, cy))});
}

nb::object copy(nb::handle self) {
    double x = pyu::py_float_x(self);
    return vector_obj({x, pyu::py_float_y(self)});
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
    double s = pyu::divide(geom::dot(ab, ac), pyu::py_magnitude(ab.x, ab.y));
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
    return point_obj(2 * o.x - p.x, 2 * o.y - p.y);
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
    nb::object x_axis = vector_obj(1.0, 0.0);
    return angle(x_axis, v, nb::handle(Py_True), nb::handle(Py_False));
}

nb::object sort_points_by_polar_angle(nb::handle points, nb::handle reference_point) {
    nb::object ref = reference_point.is_none() ? point_obj(0.0, 0.0) : nb::borrow(reference_point);
    nb::object key = nb::cpp_function([ref](nb::handle p) { return polar_angle(p, ref); });
    nb::object sorted = pyu::get_attr(pyu::import("builtins"), key_sorted);
    return sorted(points, "key"_a = key);
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
    pyu::Class<flat::Vector> cls(m, "Vector", DOC(Vector), {}, nb::pooled());
    cls.coordinates({{"x", &flat::Vector::x}, {"y", &flat::Vector::y}})
        .init([](nb::handle self, nb::handle x, nb::handle y) {
                  init<flat::Vector>(self, x, y, (PyObject *) pyu::vector_type, "Vector");
              },
              DOC(Vector, __init__), "x"_a, "y"_a)
        .method("__repr__", [](nb::handle self) { return text(self, "Vector"); }, DOC(Vector, __repr__))
        .method("__hash__", &hash, DOC(Vector, __hash__))
        .method("__eq__", &is_equal, DOC(Vector, __eq__), "other"_a)
        .method("__add__", &add, DOC(Vector, __add__), "other"_a)
        .method("__sub__", &sub, DOC(Vector, __sub__), "other"_a)
        .method("__mul__", &mul, DOC(Vector, __mul__), "other"_a)
        .method("__truediv__", &truediv, DOC(Vector, __truediv__), "other"_a)
        .property("magnitude", &magnitude_prop, DOC(Vector, magnitude))
        .property("norm", &norm, DOC(Vector, norm))
        .property("unit_vector", &unit_vector, DOC(Vector, unit_vector))
        .method("reverse", [](nb::handle self) {
                    Vec2 v = xy(self);
                    return vector_obj(-v.x, -v.y);
                }, DOC(Vector, reverse))
        .method("is_equal", &is_equal, DOC(Vector, is_equal), "other"_a)
        .method("adjust_length", &adjust_length, DOC(Vector, adjust_length), "new_length"_a)
        .method("rotate", &rotate, DOC(Vector, rotate), "angle"_a)
        .method("copy", &copy, DOC(Vector, copy))
        .static_method("vector_from_points", &vector_from_points, DOC(Vector, vector_from_points), "point1"_a,
                       "point2"_a)
        .static_method("dot_product", &dot_product, DOC(Vector, dot_product), "vector1"_a, "vector2"_a)
        .static_method("cross_product", &cross_product, DOC(Vector, cross_product), "vector1"_a, "vector2"_a)
        .static_method("angle", &angle, DOC(Vector, angle), "vector1"_a, "vector2"_a, "polar"_a = true,
                       "compare"_a = false)
        .static_method("radian_to_degree", &radian_to_degree, DOC(Vector, radian_to_degree), "radian"_a)
        .static_method("degree_to_radian", &degree_to_radian, DOC(Vector, degree_to_radian), "degree"_a)
        .static_method("cos", &cos, DOC(Vector, cos), "vector1"_a, "vector2"_a)
        .static_method("sin", &sin, DOC(Vector, sin), "vector1"_a, "vector2"_a)
        .static_method("projection_point", &projection_point, DOC(Vector, projection_point), "a"_a, "b"_a, "c"_a)
        .static_method("projection_distance", &projection_distance, DOC(Vector, projection_distance), "a"_a, "b"_a,
                       "c"_a)
        .static_method("projection_length", &projection_length, DOC(Vector, projection_length), "a"_a, "b"_a, "c"_a)
        .static_method("projection_vector", &projection_vector, DOC(Vector, projection_vector), "a"_a, "b"_a, "c"_a)
        .static_method("mirror", &mirror, DOC(Vector, mirror), "a"_a, "b"_a, "c"_a)
        .static_method("intersection", &intersection, DOC(Vector, intersection), "a"_a, "b"_a, "c"_a, "d"_a)
        .static_method("relative_position", &relative_position, DOC(Vector, relative_position), "a"_a, "b"_a, "c"_a)
        .static_method("polar_angle", &polar_angle, DOC(Vector, polar_angle), "point"_a,
                       "reference_point"_a = nb::none())
        .static_method("sort_points_by_polar_angle", &sort_points_by_polar_angle,
                       DOC(Vector, sort_points_by_polar_angle), "points"_a, "reference_point"_a = nb::none())
        .static_method("area_of_triangle", &area_of_triangle, DOC(Vector, area_of_triangle), "point1"_a, "point2"_a,
                       "point3"_a)
        .static_method("is_clockwise", &is_clockwise, DOC(Vector, is_clockwise), "point1"_a, "point2"_a, "point3"_a)
        .static_method("is_counter_clockwise", &is_counter_clockwise, DOC(Vector, is_counter_clockwise), "point1"_a,
                       "point2"_a, "point3"_a)
        .static_method("is_linear", &is_linear, DOC(Vector, is_linear), "points"_a);
}

}  // namespace flatkin
