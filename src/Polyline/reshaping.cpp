// Polyline: new polylines from old ones, joined, lofted, tweened,
// lengthened, shortened, moved and rotated.  Kept points are the inputs'
// own objects; moved and interpolated points are made by the points
// themselves (Point.tween, Point + Vector, Point.rotate).
#include "Polyline/polyline.hpp"
#include "pyutil/numpy_kernels.hpp"

using namespace nb::literals;

namespace polyline {

namespace {
const pyu::Key key_extract("extract_nodes_from_segments"), key_close("close"), key_points("points"),
    key_tween("tween"), key_rotate("rotate"), key_join("join"), key_point_at_length("point_at_length");

// The nodes of segments taken in order, each once, as the segment class
// extracts them.
nb::object ordered_nodes(nb::handle segments) {
    nb::object extract = pyu::get_attr(names::segment.get(), key_extract);
    return extract(segments, "ordered"_a = true);
}

// Segments between consecutive points of a snapshot, [first, last).
nb::list segments_of(nb::handle items, Py_ssize_t first, Py_ssize_t last) {
    nb::list out;
    for (Py_ssize_t i = first; i < last; ++i)
        out.append(new_segment(pyu::snap_item(items, i), pyu::snap_item(items, i + 1)));
    return out;
}

[[noreturn]] void not_positive() { pyu::raise(PyExc_ValueError, "Length must be greater than 0."); }
[[noreturn]] void too_long() {
    pyu::raise(PyExc_ValueError, "Length must be less than the total length of the Polyline.");
}

double total_length(nb::handle self) {
    if (own(self, Member::length)) {
        Vertices v = vertices(self);
        std::vector<double> lengths = v.lengths();
        return geom::sum_in_order(lengths);
    }
    return pyu::as_double(get_member(self, Member::length));
}
}  // namespace

// Polyline(Segment.extract_nodes_from_segments(segments, ordered=ordered)):
// unordered, the caller's list is used up by the chain walk.
nb::object join(nb::handle segments, nb::handle ordered) {
    nb::object extract = pyu::get_attr(names::segment.get(), key_extract);
    return new_polyline(extract(segments, "ordered"_a = ordered));
}

// The receiver's points followed by the other's, closed.
nb::object loft(nb::handle self, nb::handle other_polyline) {
    nb::object mine = points_of(self), theirs = pyu::get_attr(other_polyline, key_points);
    nb::object both = pyu::check(PyNumber_Add(mine.ptr(), theirs.ptr()));
    return pyu::call_method(new_polyline(both), key_close);
}

// Each point moved the fraction t towards its partner (t unclamped).
nb::object tween(nb::handle self, nb::handle other_polyline, nb::handle t_arg) {
    double t = pyu::as_double(t_arg);
    nb::object mine = pyu::snapshot(points_of(self));
    nb::object theirs = pyu::snapshot(pyu::get_attr(other_polyline, key_points));
    Py_ssize_t n = pyu::snap_size(mine);
    if (n != pyu::snap_size(theirs))
        pyu::raise(PyExc_ValueError, "Polyline objects must have the same number of points.");
    nb::object t_obj = pyu::float_obj(t);
    nb::list out;
    for (Py_ssize_t j = 0; j < n; ++j) {
        nb::handle a = pyu::snap_item(mine, j), b = pyu::snap_item(theirs, j);
        if (pyu::is_point(a) && pyu::is_flat(b)) {
            Vec2 p = pyu::read_xy(a), q = pyu::read_xy(b);
            out.append(pyu::new_point(names::flat_point, {p.x + (q.x - p.x) * t, p.y + (q.y - p.y) * t}));
        } else {
            out.append(pyu::call_method(a, key_tween, b, t_obj));
        }
    }
    return new_polyline(out);
}

// The points, then one more `length` beyond the end along the last segment.
nb::object extend(nb::handle self, nb::handle length_arg) {
    double length = pyu::as_double(length_arg);
    if (length <= 0)
        not_positive();
    double flat_eps = names::flat_epsilon.get_double();
    nb::object items = pyu::snapshot(points_of(self));
    Py_ssize_t n = pyu::snap_size(items);
    if (n < 2)
        pyu::raise(PyExc_IndexError, "list index out of range");
    nb::handle last_point = pyu::snap_item(items, n - 1);
    Vec2 a = pyu::read_xy(pyu::snap_item(items, n - 2)), b = pyu::read_xy(last_point);
    geom::Fault fault = geom::Fault::none;
    Vec2 step = geom::checked_unit(b - a, flat_eps, fault) * length;
    check(fault);
    nb::object new_point_obj;
    if (pyu::is_point(last_point)) {
        new_point_obj = pyu::new_point(names::flat_point, b + step);
    } else {
        nb::object vec = new_vector(step);
        new_point_obj = pyu::check(PyNumber_Add(last_point.ptr(), vec.ptr()));
    }
    nb::list segments = segments_of(items, 0, n - 1);
    segments.append(new_segment(last_point, new_point_obj));
    return new_polyline(ordered_nodes(segments));
}

// The first `length` units of the polyline; a cut on a vertex ends there.
nb::object shorten(nb::handle self, nb::handle length_arg) {
    double length = pyu::as_double(length_arg);
    if (length <= 0)
        not_positive();
    if (length >= total_length(self))
        too_long();
    Vertices v = vertices(self, true);
    std::vector<double> lengths = v.lengths();
    geom::KeepPlace keep = geom::keep_length(lengths, length);
    nb::list segments;
    size_t whole = keep.index == geom::npos ? lengths.size() : keep.index;
    for (size_t k = 0; k < whole; ++k)
        segments.append(new_segment(v.item(k), v.item(k + 1)));
    if (keep.index != geom::npos) {
        nb::object cut = new_segment(v.item(keep.index), v.item(keep.index + 1));
        nb::object end = pyu::call_method(cut, key_point_at_length, pyu::float_obj(keep.remaining));
        segments.append(new_segment(v.item(keep.index), end));
    }
    nb::object join_fn = pyu::get_attr(names::polyline.get(), key_join);
    return join_fn(segments, "ordered"_a = true);
}

// extend(length) for a positive length; for a negative one, the polyline
// shortened by its magnitude (total - |length| long); the receiver itself
// for 0 or NaN.
nb::object adjust_length(nb::handle self, nb::handle length_arg) {
    double length = pyu::as_double(length_arg);
    if (length > 0) {
        nb::object arg = pyu::float_obj(length);
        return own(self, Member::extend) ? extend(self, arg) : call_member(self, Member::extend, arg);
    }
    if (length < 0) {
        double total = total_length(self);
        if (std::fabs(length) >= total)
            too_long();
        nb::object arg = pyu::float_obj(total - std::fabs(length));
        return own(self, Member::shorten) ? shorten(self, arg) : call_member(self, Member::shorten, arg);
    }
    return nb::borrow(self);
}

// Every point moved by `vector` (point + vector).
nb::object move(nb::handle self, nb::handle vector) {
    nb::object items = pyu::snapshot(points_of(self));
    nb::list out;
    for (Py_ssize_t i = 0; i < pyu::snap_size(items); ++i) {
        nb::handle p = pyu::snap_item(items, i);
        if (pyu::is_point(p) && pyu::is_flat(vector)) {
            Vec2 a = pyu::read_xy(p), v = pyu::read_xy(vector);
            out.append(pyu::new_point(names::flat_point, {a.x + v.x, a.y + v.y}));
        } else {
            out.append(pyu::check(PyNumber_Add(p.ptr(), vector.ptr())));
        }
    }
    return new_polyline(out);
}

// Every point turned counter-clockwise by `angle` radians about `point`.
nb::object rotate(nb::handle self, nb::handle angle_arg, nb::handle point) {
    double angle = pyu::as_double(angle_arg);
    nb::object items = pyu::snapshot(points_of(self));
    nb::object angle_obj = pyu::float_obj(angle);
    double c = pyu::np_cos(angle), s = pyu::np_sin(angle);
    nb::list out;
    for (Py_ssize_t i = 0; i < pyu::snap_size(items); ++i) {
        nb::handle p = pyu::snap_item(items, i);
        if (pyu::is_point(p) && pyu::is_flat(point)) {
            Vec2 center = pyu::read_xy(point), v = pyu::read_xy(p) - center;
            double rx = c * v.x - s * v.y, ry = s * v.x + c * v.y;
            out.append(pyu::new_point(names::flat_point, {rx + center.x, ry + center.y}));
        } else {
            out.append(pyu::call_method(p, key_rotate, angle_obj, point));
        }
    }
    return new_polyline(out);
}

}  // namespace polyline
