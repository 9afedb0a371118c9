// Vector3d's static operations: vectors between points, cosines and signed
// sines, angles, unit conversion, and the geometry of three or four points
// (projections, mirrors, a line crossing a segment, sides, polar angles,
// areas, turns, collinearity).  Every test is exact; epsilon enters only
// through the length rules of the vectors (None for a vector no longer than
// epsilon, scaling rather than normalising in a projection).
#include "Solidar/solidar.hpp"
#include "pyutil/numpy_kernels.hpp"

#include <cmath>

using namespace nb::literals;

namespace solidar {
namespace {

constexpr double pi = 3.141592653589793;
const pyu::Key key_pi("pi"), key_move("move"), key_sorted("sorted");

// The clamped cosine or sine as Python sees it: a float, the int 1 or -1
// when clamped, or None.
nb::object clamped_obj(const std::optional<geom::Clamped> &c) {
    if (!c)
        return nb::none();
    return c->as_int ? pyu::int_obj((long) c->value) : pyu::float_obj(c->value);
}

// np.pi, read from the module's np when it is not numpy itself.
double np_pi() { return np_is_numpy() ? pi : pyu::as_double(pyu::get_attr(np.get(), key_pi)); }

}  // namespace

nb::object angle(nb::handle v1, nb::handle v2, nb::handle polar, nb::handle compare) {
    double m1 = magnitude_of(v1), m2 = magnitude_of(v2);
    Vec3 a = xyz(v1), b = xyz(v2);
    std::optional<geom::Clamped> c = checked(geom::cos_between(a, b, m1, m2, eps()));
    if (!c)
        return nb::none();
    bool unsigned_angle = polar.ptr() == Py_False;
    double z = geom::cross(a, b).z;
    if (np_is_numpy()) {
        double turn = pyu::np_arccos(c->value);
        return pyu::np_float64(unsigned_angle ? turn : geom::polar_turn(turn, z, compare.ptr() == Py_True));
    }
    // Another np: its arccos, and the plain arithmetic on what it gives.
    nb::object turn = np_arccos(c->value);
    if (unsigned_angle || z >= 0)
        return turn;
    if (compare.ptr() == Py_True)
        return pyu::num_div(pyu::int_obj(1), pyu::num_sub(turn, pyu::float_obj(2 * pi)));
    return pyu::num_sub(pyu::float_obj(np_pi() * 2), turn);
}

namespace vector_geometry {

nb::object vector_from_points(nb::handle p1, nb::handle p2) {
    Vec3 a = xyz(p1);
    return new_vector3d(xyz(p2) - a);
}

nb::object cos(nb::handle v1, nb::handle v2) {
    double m1 = magnitude_of(v1), m2 = magnitude_of(v2);
    Vec3 a = xyz(v1), b = xyz(v2);
    return clamped_obj(checked(geom::cos_between(a, b, m1, m2, eps())));
}

nb::object sin(nb::handle v1, nb::handle v2) {
    double m1 = magnitude_of(v1), m2 = magnitude_of(v2);
    Vec3 a = xyz(v1), b = xyz(v2);
    return clamped_obj(checked(geom::sin_between(a, b, m1, m2, eps())));
}

nb::object radian_to_degree(nb::handle radian) {
    double r = pyu::as_double(radian);
    return pyu::float_obj(pyu::py_round(r * 180.0 / np_pi(), 2));
}

double degree_to_radian(nb::handle degree) {
    double d = pyu::as_double(degree);
    return d * np_pi() / 180;
}

// ------------------------------------------------ projection and mirror

namespace {
Vec3 foot(nb::handle a, nb::handle b, nb::handle c) {
    Vec3 pa = xyz(a), pb = xyz(b), pc = xyz(c);
    return checked(geom::projection_point(pa, pb, pc, eps()));
}
}  // namespace

nb::object projection_point(nb::handle a, nb::handle b, nb::handle c) { return new_point3d(foot(a, b, c)); }

double projection_distance(nb::handle a, nb::handle b, nb::handle c) {
    Vec3 o = foot(a, b, c);
    return checked(geom::distance(xyz(c), o));
}

// A distance: a foot behind `a` gives a positive length too.
double projection_length(nb::handle a, nb::handle b, nb::handle c) {
    Vec3 o = foot(a, b, c);
    return checked(geom::distance(xyz(a), o));
}

nb::object projection_vector(nb::handle a, nb::handle b, nb::handle c) {
    Vec3 o = foot(a, b, c);
    return new_vector3d(o - xyz(a));
}

nb::object mirror(nb::handle a, nb::handle b, nb::handle c) {
    Vec3 o = foot(a, b, c), p = xyz(c);
    return new_point3d({2 * o.x - p.x, 2 * o.y - p.y, 2 * o.z - p.z});
}

// The crossing is `a` moved by a's own `move` (our Point3d moves in C++).
nb::object intersection(nb::handle a, nb::handle b, nb::handle c, nb::handle d) {
    Vec3 pa = xyz(a), pb = xyz(b), pc = xyz(c), pd = xyz(d);
    geom::SegmentCrossing cross = checked(geom::segment_line_crossing(pa, pb, pc, pd));
    if (!cross.hit)
        return nb::none();
    if (pyu::is_point3d(a))
        return new_point3d(pa + cross.step);
    nb::object step = new_vector3d(cross.step);
    return pyu::call_method(a, key_move, step);
}

int relative_position(nb::handle a, nb::handle b, nb::handle c) {
    Vec3 pa = xyz(a), pb = xyz(b);
    return geom::relative_position(pa, pb, xyz(c));
}

// ----------------------------------------------------------- polar angles

// Measured from +x to the whole vector from the reference point (z
// included); None within epsilon of the reference point.
nb::object polar_angle(nb::handle point, nb::handle reference_point) {
    Vec3 ref{0.0, 0.0, 0.0};
    if (!reference_point.is_none())
        ref = xyz(reference_point);
    nb::object v = new_vector3d(xyz(point) - ref);
    nb::object x_axis = new_vector3d({1.0, 0.0, 0.0});
    return angle(x_axis, v, nb::handle(Py_True), nb::handle(Py_False));
}

// The built-in sorted with the polar angle as key: stable, and a point at
// the reference point (key None) raises sorted's own TypeError.
nb::object sort_points_by_polar_angle(nb::handle points, nb::handle reference_point) {
    nb::object ref = reference_point.is_none() ? new_point3d({0.0, 0.0, 0.0}) : nb::borrow(reference_point);
    nb::object key = nb::cpp_function([ref](nb::handle p) { return polar_angle(p, ref); });
    nb::object sorted = pyu::get_attr(pyu::import("builtins"), key_sorted);
    return sorted(points, "key"_a = key);
}

// ------------------------------------------------------ areas and turns

double area_of_triangle(nb::handle p1, nb::handle p2, nb::handle p3) {
    Vec3 a = xyz(p1), b = xyz(p2);
    return checked(geom::triangle_area(a, b, xyz(p3)));
}

bool is_clockwise(nb::handle p1, nb::handle p2, nb::handle p3) {
    Vec3 a = xyz(p1), b = xyz(p2);
    return geom::turn_z(a, b, xyz(p3)) < 0;
}

bool is_counter_clockwise(nb::handle p1, nb::handle p2, nb::handle p3) {
    Vec3 a = xyz(p1), b = xyz(p2);
    return geom::turn_z(a, b, xyz(p3)) > 0;
}

// True when every run of three consecutive points spans exactly no area
// (fewer than three points are linear).
bool is_linear(nb::handle points) {
    Py_ssize_t n = pyu::length(points);
    if (n < 3)
        return true;
    Vec3 p0 = xyz(pyu::get_item(points, 0)), p1 = xyz(pyu::get_item(points, 1));
    for (Py_ssize_t i = 2; i < pyu::length(points); ++i) {
        Vec3 p2 = xyz(pyu::get_item(points, i));
        if (checked(geom::triangle_area(p0, p1, p2)) != 0)
            return false;
        p0 = p1;
        p1 = p2;
    }
    return true;
}

}  // namespace vector_geometry
}  // namespace solidar
