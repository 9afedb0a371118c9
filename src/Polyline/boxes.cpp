// Polyline: the convex hull of points, one winding for a list of polylines,
// and the four kinds of bounding box.
//
// The oriented boxes work on the receiver, or on a reversed copy when it
// winds counter-clockwise, and measure from its leftmost point.  Corners
// are new points: origin, origin + vec w, (origin - perp h) + vec w,
// origin - perp h.
#include "Polyline/polyline.hpp"
#include "core/outline/hull_box.hpp"
#include "pyutil/numpy_kernels.hpp"

using namespace nb::literals;

namespace polyline {

namespace {
const pyu::Key key_bound_mode("BOUND"), key_remove_duplicates("remove_duplicate_points"), key_close("close"),
    key_points("points"), key_unit_vector("unit_vector"), key_min_box("minimum_bounding_box"),
    key_edge_box("longest_edge_box"), key_vector_box("set_vector_box"), key_reverse("reverse"), key_sorted("sorted");

nb::list corners(const geom::Corners &c) {
    nb::list out;
    for (Vec2 p : c)
        out.append(new_point(p));
    return out;
}

// The receiver's winding code, asked through it.
nb::object wise_of(nb::handle self) {
    if (own(self, Member::wise))
        return pyu::int_obj(wise(self));
    return get_member(self, Member::wise);
}

// The polyline the oriented boxes work on: a reversed copy of a
// counter-clockwise receiver, else the receiver.
nb::object working_polyline(nb::handle self) {
    nb::object code = wise_of(self);
    if (!pyu::num_eq(code, pyu::int_obj(1)))
        return nb::borrow(self);
    nb::object points = points_of(self);
    nb::object step = pyu::int_obj(-1);
    nb::object backwards = pyu::check(PySlice_New(nullptr, nullptr, step.ptr()));
    return new_polyline(pyu::check(PyObject_GetItem(points.ptr(), backwards.ptr())));
}

// The first point of the receiver's own list with the least x.
Vec2 leftmost_of(nb::handle self) {
    Vertices v = vertices(self);
    if (v.size() == 0)
        pyu::raise(PyExc_ValueError, "min() arg is an empty sequence");
    return v.xy()[geom::leftmost(v.xy())];
}

bool compares_equal(nb::handle value, const char *text) {
    nb::object other = nb::str(text);
    return pyu::num_eq(value, other);
}

}  // namespace

// The box the receiver's BOUND names, of the receiver or (typ == 1 and not
// convex) of its closed convex hull; None for an unknown mode.
nb::object bounding_box(nb::handle self, nb::handle vector, nb::handle typ) {
    nb::object working = nb::borrow(self);
    if (pyu::num_eq(typ, pyu::int_obj(1))) {
        bool convex = own(self, Member::is_convex) ? is_convex(self) : pyu::truthy(call_member(self, Member::is_convex));
        if (!convex) {
            nb::object unique = pyu::call_method(names::point.get(), key_remove_duplicates, points_of(self));
            nb::object hull = call_member(self, Member::convex_hull, unique);
            working = pyu::call_method(new_polyline(hull), key_close);
        }
    }
    if (compares_equal(pyu::get_attr(self, key_bound_mode), "ABB")) {
        nb::object points = pyu::get_attr(working, key_points);
        Vertices v{points, pyu::read_points(points)};
        geom::SortedBound b = geom::sorted_bound(v.xy());
        if (b.nan) {  // sorted() orders NaN by its own rules: let it
            nb::object builtins = pyu::import("builtins");
            nb::list xs, ys;
            for (Vec2 p : v.xy()) {
                xs.append(pyu::float_obj(p.x));
                ys.append(pyu::float_obj(p.y));
            }
            nb::object sx = pyu::call(pyu::get_attr(builtins, key_sorted), xs);
            nb::object sy = pyu::call(pyu::get_attr(builtins, key_sorted), ys);
            b.box = {pyu::as_double(pyu::get_item(sx, 0)), pyu::as_double(pyu::get_item(sy, 0)),
                     pyu::as_double(pyu::get_item(sx, -1)), pyu::as_double(pyu::get_item(sy, -1))};
        }
        nb::list out;
        out.append(new_point({b.box.min_x, b.box.min_y}));
        out.append(new_point({b.box.min_x, b.box.max_y}));
        out.append(new_point({b.box.max_x, b.box.max_y}));
        out.append(new_point({b.box.max_x, b.box.min_y}));
        return out;
    }
    if (compares_equal(pyu::get_attr(self, key_bound_mode), "MBB"))
        return pyu::call_method(working, key_min_box);
    if (compares_equal(pyu::get_attr(self, key_bound_mode), "LEB"))
        return pyu::call_method(working, key_edge_box);
    if (compares_equal(pyu::get_attr(self, key_bound_mode), "SVB")) {
        nb::object method = pyu::get_attr(working, key_vector_box);
        return method("vector"_a = vector);
    }
    return nb::none();
}

// The least-area box with a side along one of the segments (the first of
// equal areas); None when no area is below infinity.
nb::object minimum_bounding_box(nb::handle self) {
    nb::object working = working_polyline(self);
    Vec2 base = leftmost_of(self);
    double flat_eps = names::flat_epsilon.get_double();
    Vertices v = vertices(working);
    geom::Fault fault = geom::Fault::none;
    std::optional<geom::Corners> box = geom::minimum_area_box(v.xy(), base, flat_eps, fault, pyu::interrupt());
    check(fault);
    return box ? nb::object(corners(*box)) : nb::none();
}

// The box along the first longest segment of the working polyline.
nb::object longest_edge_box(nb::handle self) {
    nb::object working = working_polyline(self);
    double flat_eps = names::flat_epsilon.get_double();
    Vertices v = vertices(working);
    if (v.size() < 2)
        pyu::raise(PyExc_ValueError, "max() arg is an empty sequence");
    geom::Fault fault = geom::Fault::none;
    size_t k = geom::longest_segment(v.xy(), fault);
    Vec2 vec = geom::checked_unit(v.xy()[k + 1] - v.xy()[k], flat_eps, fault);
    check(fault);
    Vec2 base = leftmost_of(self);
    return corners(geom::direction_box(v.xy(), base, vec));
}

// The box along `vector`'s unit vector.
nb::object set_vector_box(nb::handle self, nb::handle vector) {
    nb::object working = working_polyline(self);
    Vec2 vec;
    if (pyu::is_vector(vector)) {
        geom::Fault fault = geom::Fault::none;
        vec = geom::checked_unit(pyu::read_xy(vector), names::flat_epsilon.get_double(), fault);
        check(fault);
    } else {
        nb::object unit = pyu::get_attr(vector, key_unit_vector);
        vec = pyu::read_xy(unit);
    }
    Vec2 base = leftmost_of(self);
    Vertices v = vertices(working);
    return corners(geom::direction_box(v.xy(), base, vec));
}

// ------------------------------------------------------------ hull

// The caller's points on the hull, counter-clockwise from the one of least
// polar angle about the origin, closed by repeating the first object.  No
// points at all: the scan's index wraps modulo the count, zero, and the
// interpreter's ZeroDivisionError says so.
nb::list convex_hull(nb::handle points) {
    double flat_eps = names::flat_epsilon.get_double();
    Vertices v{nb::borrow(points), pyu::read_points(points)};
    if (v.size() == 0) {
        nb::object zero = pyu::int_obj(0);
        pyu::check(PyNumber_Remainder(zero.ptr(), zero.ptr()));
    }
    geom::Fault fault = geom::Fault::none;
    std::vector<size_t> hull = geom::convex_hull(v.xy(), flat_eps, &pyu::np_arccos, fault, pyu::interrupt());
    check(fault);
    nb::list out;
    for (size_t i : hull)
        out.append(v.item(i));
    if (!hull.empty())
        out.append(out[0]);
    return out;
}

// Reverses in place every polyline of the list (the first excepted) whose
// winding code differs from the first one's; returns the list itself.
nb::object unify_direction(nb::handle polylines) {
    nb::object first = pyu::get_attr(pyu::get_item(polylines, 0), key_of(Member::wise));
    Py_ssize_t n = pyu::length(polylines);
    for (Py_ssize_t i = 1; i < n; ++i) {
        nb::object polyline = pyu::get_item(polylines, i);
        nb::object code = pyu::get_attr(polyline, key_of(Member::wise));
        if (!pyu::num_eq(code, first))
            pyu::call_method(polyline, key_reverse);
    }
    return nb::borrow(polylines);
}

}  // namespace polyline
