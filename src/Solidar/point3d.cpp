// Solidar.Point3d: a solid point with tolerant equality and order.  Every
// operation takes its receiver and its points as plain handles: our own
// Point3d and Vector3d are read through their C++ fields, any other object
// through its `x`, `y` and `z` attributes.  The list queries live in
// point3d_lists.cpp and the transformations in point3d_transforms.cpp; the
// member table below is the class's, in its order.
#include "Solidar/solidar.hpp"

#include <cmath>

using namespace nb::literals;

namespace solidar {
namespace {

const pyu::Key key_x("x"), key_y("y"), key_z("z"), key_round("round");

nb::object round_point(nb::handle self, nb::handle n) {
    nb::object x = pyu::get_attr(self, key_x), y = pyu::get_attr(self, key_y), z = pyu::get_attr(self, key_z);
    long digits = 0;
    bool plain = PyFloat_CheckExact(x.ptr()) && PyFloat_CheckExact(y.ptr()) && PyFloat_CheckExact(z.ptr()) &&
                 PyLong_CheckExact(n.ptr());
    if (plain) {
        int overflow = 0;
        digits = PyLong_AsLongAndOverflow(n.ptr(), &overflow);
        plain = !overflow && digits > -10000 && digits < 10000;
    }
    if (plain) {
        auto r = [digits](const nb::object &v) { return pyu::py_round(PyFloat_AS_DOUBLE(v.ptr()), (int) digits); };
        return new_point3d({r(x), r(y), r(z)});
    }
    // Anything else goes through the built-in round (None rounds to an int).
    nb::object round = pyu::get_attr(pyu::import("builtins"), key_round);
    double rx = pyu::as_double(pyu::call(round, x, n));
    double ry = pyu::as_double(pyu::call(round, y, n));
    return new_point3d({rx, ry, pyu::as_double(pyu::call(round, z, n))});
}

// Each component of `other` passes through float(), so numeric text works.
nb::object add(nb::handle self, nb::handle other) {
    Vec3 p = xyz(self);
    double x = p.x + pyu::py_float_x(other);
    double y = p.y + pyu::py_float_y(other);
    return new_point3d({x, y, p.z + pyu::py_float_z(other)});
}

// The vector from `other` to the receiver.
nb::object sub(nb::handle self, nb::handle other) {
    Vec3 p = xyz(self);
    double x = p.x - pyu::py_float_x(other);
    double y = p.y - pyu::py_float_y(other);
    return new_vector3d({x, y, p.z - pyu::py_float_z(other)});
}

double distance_to_point(nb::handle self, nb::handle other) {
    Vec3 a = xyz(self);
    return checked(geom::distance(a, xyz(other)));
}

// Turned about the vertical line through `center`; the result lies at the
// centre's height.
nb::object rotate2d(nb::handle self, nb::handle angle, nb::handle center) {
    double a = pyu::as_double(angle);
    Vec3 p = xyz(self), c = xyz(center);
    CosSin cs = np_cos_sin(a);
    return new_point3d(geom::rotate_about_vertical(p, c, cs.c, cs.s));
}

// The components of `vector` are added as they are (no float()).
nb::object move(nb::handle self, nb::handle vector) {
    Vec3 p = xyz(self);
    return new_point3d(p + xyz(vector));
}

nb::object copy(nb::handle self) {
    double x = pyu::py_float_x(self), y = pyu::py_float_y(self);
    return new_point3d({x, y, pyu::py_float_z(self)});
}

nb::object tween(nb::handle self, nb::handle point2, nb::handle t) {
    double k = pyu::as_double(t);
    Vec3 a = xyz(self);
    return new_point3d(geom::tween(a, xyz(point2), k));
}

}  // namespace

bool tolerant_order(nb::handle self, nb::handle other, bool greater) {
    double e = eps();
    if (pyu::is_solid(self) && pyu::is_solid(other))
        return greater ? geom::tolerant_greater(xyz(self), xyz(other), e) : geom::tolerant_less(xyz(self), xyz(other), e);
    auto decide = [&](double d) { return greater ? d > e : d < -e; };
    double dy = pyu::get_y(self) - pyu::get_y(other);
    if (!geom::ties(dy, e))
        return decide(dy);
    double dx = pyu::get_x(self) - pyu::get_x(other);
    if (!geom::ties(dx, e))
        return decide(dx);
    double dz = pyu::get_z(self) - pyu::get_z(other);
    if (!geom::ties(dz, e))
        return decide(dz);
    return false;
}

void bind_point3d(nb::module_ &m) {
    using namespace point_lists;
    using namespace point_transforms;
    nb::object range = nb::make_tuple(-10, 10);  // one shared default
    pyu::Class<solid::Point3d> cls(m, "Point3d", DOC(Point3d), {}, nb::pooled());
    cls.coordinates({{"x", &solid::Point3d::x}, {"y", &solid::Point3d::y}, {"z", &solid::Point3d::z}})
        .init([](nb::handle self, nb::handle x, nb::handle y, nb::handle z) {
                  init<solid::Point3d>(self, x, y, z, pyu::point3d_type, "Point3d");
              },
              DOC(Point3d, __init__), "x"_a, "y"_a, "z"_a)
        .method("__repr__", [](nb::handle self) { return text(self, "Point3d"); }, DOC(Point3d, __repr__))
        .method("__hash__", &hash, DOC(Point3d, __hash__))
        .method("__eq__", &is_equal, DOC(Point3d, __eq__), "other"_a)
        .method("__round__", &round_point, DOC(Point3d, __round__), "n"_a = 2)
        .method("__add__", &add, DOC(Point3d, __add__), "other"_a)
        .method("__sub__", &sub, DOC(Point3d, __sub__), "other"_a)
        .method("is_equal", &is_equal, DOC(Point3d, is_equal), "other"_a)
        .method("is_greater", [](nb::handle s, nb::handle o) { return tolerant_order(s, o, true); },
                DOC(Point3d, is_greater), "other"_a)
        .method("is_less", [](nb::handle s, nb::handle o) { return tolerant_order(s, o, false); },
                DOC(Point3d, is_less), "other"_a)
        .method("distance_to_point", &distance_to_point, DOC(Point3d, distance_to_point), "other"_a)
        .static_method("find_nearest_point", &find_nearest_point, DOC(Point3d, find_nearest_point),
                       "target_point"_a, "points"_a)
        .static_method("find_farthest_point", &find_farthest_point, DOC(Point3d, find_farthest_point),
                       "target_point"_a, "points"_a)
        .static_method("remove_duplicate_points", &remove_duplicate_points, DOC(Point3d, remove_duplicate_points),
                       "points"_a)
        .static_method("select_unique_points", &select_unique_points, DOC(Point3d, select_unique_points),
                       "points"_a)
        .static_method("count_point_occurrences", &count_point_occurrences, DOC(Point3d, count_point_occurrences),
                       "target_point"_a, "points"_a)
        .static_method("is_has_duplicate_points", &is_has_duplicate_points, DOC(Point3d, is_has_duplicate_points),
                       "points"_a)
        .static_method("is_has_same_point", &is_has_same_point, DOC(Point3d, is_has_same_point), "target_point"_a,
                       "points"_a)
        .static_method("zero", []() { return new_point3d({0.0, 0.0, 0.0}); }, DOC(Point3d, zero))
        .static_method("get_min_point", &get_min_point, DOC(Point3d, get_min_point), "points"_a)
        .static_method("get_min_point_id", &get_min_point_id, DOC(Point3d, get_min_point_id), "points"_a)
        .static_method("get_max_point", &get_max_point, DOC(Point3d, get_max_point), "points"_a)
        .static_method("get_max_point_id", &get_max_point_id, DOC(Point3d, get_max_point_id), "points"_a)
        .static_method("generate_random_points", &random_points, DOC(Point3d, generate_random_points),
                       "num_points"_a, "x_range"_a = range, "y_range"_a = range, "z_range"_a = range)
        .static_method("find_nearest_two_points", &find_nearest_two_points, DOC(Point3d, find_nearest_two_points),
                       "points"_a)
        .method("rotate2d", &rotate2d, DOC(Point3d, rotate2d), "angle"_a, "center"_a)
        .method("move", &move, DOC(Point3d, move), "vector"_a)
        .method("copy", &copy, DOC(Point3d, copy))
        .static_method("random_point", &random_point, DOC(Point3d, random_point), "x_range"_a = range,
                       "y_range"_a = range, "z_range"_a = range)
        .static_method("random_points", &random_points, DOC(Point3d, random_points), "num_points"_a,
                       "x_range"_a = range, "y_range"_a = range, "z_range"_a = range)
        .static_method("find_center", &find_center, DOC(Point3d, find_center), "points"_a)
        .method("tween", &tween, DOC(Point3d, tween), "point2"_a, "t"_a)
        .method("apply_affine_transformation", &apply_affine_transformation,
                DOC(Point3d, apply_affine_transformation), "transformation_matrix"_a)
        .static_method("apply_affine_transformation_to_3d", &to_3d, DOC(Point3d, apply_affine_transformation_to_3d),
                       "points"_a, "transformation_matrix"_a)
        .static_method("apply_affine_transformation_to_2d", &to_2d, DOC(Point3d, apply_affine_transformation_to_2d),
                       "points"_a, "transformation_matrix"_a)
        .static_method("plot_points", &plot_points, DOC(Point3d, plot_points), "points"_a, "show"_a = true);
}

}  // namespace solidar
