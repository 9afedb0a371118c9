// The receiver's points, faults, new objects and the members called through
// the receiver.
#include "Polyline/polyline.hpp"

#include <array>

namespace polyline {

namespace names {
pyu::Name point, vector, segment, line, ray, arc, polyline, plt, np, flat_epsilon, seg_epsilon, flat_point;
}

namespace strakel {
PyObject *line_type = nullptr, *segment_type = nullptr, *ray_type = nullptr;
}

PyTypeObject *polyline_type = nullptr;

namespace {
const pyu::Key key_points("points"), key_is_closed("is_closed"), key_bound("bound"),
    key_containing("select_segment_containing_point"), key_close_to("select_segment_close_to_point"),
    key_tangent_ray("tangent_ray_at_point"), key_normal_ray("normal_ray_at_point"), key_intersection("intersection"),
    key_in_bound("is_point_in_bound"), key_on("is_point_on"), key_inside("is_point_inside"),
    key_segment_inside("is_segment_inside"), key_polyline_inside("is_polyline_inside"),
    key_point_at_length("point_at_length"), key_length("length"), key_wise("wise"), key_is_convex("is_convex"),
    key_convex_hull("convex_hull"), key_find_discontinuity("find_discontinuity"), key_extend("extend"),
    key_shorten("shorten"), key_break_by_point("break_by_point"), key_break_by_points("break_by_points"),
    key_break_by_parameter("break_by_parameter"), key_break_by_parameters("break_by_parameters"),
    key_break_by_tuple("break_by_tuple");

const std::array<const pyu::Key *, (size_t) Member::count_> member_keys = {
    &key_is_closed, &key_bound,  &key_containing,      &key_close_to,        &key_tangent_ray,
    &key_normal_ray, &key_intersection, &key_in_bound, &key_on,             &key_inside,
    &key_segment_inside, &key_polyline_inside, &key_point_at_length, &key_length, &key_wise, &key_is_convex,
    &key_convex_hull, &key_find_discontinuity, &key_extend, &key_shorten, &key_break_by_point,
    &key_break_by_points, &key_break_by_parameter, &key_break_by_parameters, &key_break_by_tuple};
std::array<PyObject *, (size_t) Member::count_> originals{};
}  // namespace

// ------------------------------------------------------------ points

nb::object points_of(nb::handle self) { return pyu::get_attr(self, key_points); }

bool only_our_points(nb::handle seq) {
    if (!pyu::is_list_or_tuple(seq))
        return false;
    Py_ssize_t n = PySequence_Fast_GET_SIZE(seq.ptr());
    PyObject **items = PySequence_Fast_ITEMS(seq.ptr());
    for (Py_ssize_t i = 0; i < n; ++i)
        if (!pyu::is_point(items[i]))
            return false;
    return true;
}

Vertices vertices(nb::handle self, bool keep_items) {
    Vertices v;
    v.seq = points_of(self);
    v.list = pyu::read_points(v.seq, keep_items);
    return v;
}

nb::object Vertices::item(size_t i) const {
    if (list.items.is_valid())
        return list.item(i);
    return pyu::get_item(seq, (Py_ssize_t) i);
}

nb::object Vertices::last() const {
    if (size() == 0)
        return pyu::get_item(seq, -1);
    return item(size() - 1);
}

std::vector<double> Vertices::lengths() const {
    std::vector<double> out;
    geom::Fault fault = geom::Fault::none;
    geom::segment_lengths(xy(), out, fault);
    check(fault);
    return out;
}

void raise_fault(geom::Fault fault) {
    switch (fault) {
    case geom::Fault::length_overflow:
        pyu::raise(PyExc_OverflowError, "math range error");
    case geom::Fault::distance_overflow:
        pyu::raise(PyExc_OverflowError, "(34, 'Numerical result out of range')");
    default:
        pyu::raise_zero_division();
    }
}

bool points_equal(nb::handle a, nb::handle b) {
    if (pyu::is_point(a) && pyu::is_point(b)) {
        double eps = names::flat_epsilon.get_double();
        return geom::tolerant_equal(pyu::read_xy(a), pyu::read_xy(b), eps);
    }
    nb::object result = pyu::check(PyObject_RichCompare(a.ptr(), b.ptr(), Py_EQ));
    return pyu::truthy(result);
}

// ------------------------------------------------------------ new objects

nb::object new_segment(nb::handle start, nb::handle end) { return pyu::call(names::segment.get(), start, end); }
nb::object new_polyline(nb::handle points) { return pyu::call(names::polyline.get(), points); }
nb::object new_ray(nb::handle origin, nb::handle direction) { return pyu::call(names::ray.get(), origin, direction); }

// ------------------------------------------------- members through self

const pyu::Key &key_of(Member m) { return *member_keys[(size_t) m]; }

void remember_members(nb::handle cls) {
    for (size_t i = 0; i < member_keys.size(); ++i)
        originals[i] = pyu::remember_member(cls, *member_keys[i]);
}

bool own(nb::handle self, Member m) { return pyu::resolves_to(self, key_of(m), originals[(size_t) m]); }

nb::object call_member(nb::handle self, Member m, nb::handle arg) { return pyu::call_method(self, key_of(m), arg); }
nb::object call_member(nb::handle self, Member m) { return pyu::call_method(self, key_of(m)); }
nb::object get_member(nb::handle self, Member m) { return pyu::get_attr(self, key_of(m)); }

bool closed(nb::handle self) {
    if (own(self, Member::is_closed))
        return is_closed(self);
    return pyu::truthy(call_member(self, Member::is_closed));
}

}  // namespace polyline
