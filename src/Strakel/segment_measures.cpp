// Segment: crossings with segments, lines and rays, extension in place, the
// closest point and distances, points and parameters along the segment, and
// division by count and by length.
#include "Strakel/segment.hpp"

#include <algorithm>
#include <cmath>
#include <optional>

namespace strakel::segment {

namespace {

const pyu::Key key_in_bound("is_point_in_bound"), key_cross_segment("intersection_with_segment");

[[noreturn]] void not_on_segment() { pyu::raise(PyExc_ValueError, "Point is not on the segment."); }

// Which point of the segment is nearest to p: the foot of the perpendicular
// when it lies on the segment, else the nearer end (a tie goes to the end).
// A segment whose ends coincide is the single point `start`.  The foot is
// placed, and the gap measured, about `start` (geom::SegmentClosest).
geom::SegmentClosest closest(const Ends &e, Vec2 p) {
    Vec2 ab = e.end - e.start, ap = p - e.start;
    double m = py_magnitude(ab);
    if (m == 0.0)
        return {geom::Nearest::start, e.start, ap};
    Vec2 move = geom::foot_move(ab, ap, m, flat_eps());
    if (geom::foot_on_segment(ab, move, eps()))
        return {geom::Nearest::foot, move + e.start, ap - move};
    if (py_distance(p, e.start) < py_distance(p, e.end))
        return {geom::Nearest::start, e.start, ap};
    return {geom::Nearest::end, e.end, p - e.end};
}

// The length of the gap from the nearest point to the probe.
double gap_length(const geom::SegmentClosest &c) { return pyu::py_distance(c.gap.x, c.gap.y); }

Vec2 at_parameter(const Ends &e, double t) {
    return {e.start.x + t * (e.end.x - e.start.x), e.start.y + t * (e.end.y - e.start.y)};
}

// Held at both ends: the stored start within epsilon of it (and before it),
// the stored end from epsilon short of it on.
nb::object at_length(const EndPoints &e, double full, double length) {
    if (length <= eps())
        return e.start;
    if (length + eps() >= full)
        return e.end;
    return new_point(at_parameter({e.a, e.b}, length / full));
}

// The unsigned distance of a point on the segment from `start`, or its
// ratio to the length; the integer 0 on a segment shorter than epsilon.
nb::object along(nb::handle self, nb::handle point, bool as_parameter) {
    Ends e = ends_of(self);
    Vec2 p = pyu::read_xy(point);
    if (!geom::on_segment(e.start, e.end, p, eps()))
        not_on_segment();
    double full = py_magnitude(e.end - e.start);
    if (std::fabs(full) < eps())
        return int_zero();
    double d = py_distance(e.start, p);
    return pyu::float_obj(as_parameter ? d / full : d);
}

}  // namespace

// ------------------------------------------------------------ crossings

// The crossing of the two lines, kept when it lies in this segment's bound
// and then in the other's (asked of the other object unless it is ours).
nb::object cross_segment(nb::handle self, nb::handle other) {
    Ends s = ends_of(self), o = ends_of(other);
    std::optional<Vec2> p = geom::line_intersection(s.start, s.end, o.start, o.end, flat_eps());
    if (!p)
        return nb::none();
    double e = eps();
    if (!geom::in_box(geom::segment_bound(s.start, s.end), *p, e))
        return nb::none();
    if (is_segment(other))
        return geom::in_box(geom::segment_bound(o.start, o.end), *p, e) ? new_point(*p) : nb::none();
    nb::object point = new_point(*p);
    return pyu::truthy(pyu::call_method(other, key_in_bound, point)) ? point : nb::none();
}

// The line is unbounded: only the segment's bound is tested.
nb::object cross_line(nb::handle self, nb::handle other) {
    Ends s = ends_of(self), l = ends_of(other);
    std::optional<Vec2> p = geom::line_intersection(s.start, s.end, l.start, l.end, flat_eps());
    if (!p || !geom::in_box(geom::segment_bound(s.start, s.end), *p, eps()))
        return nb::none();
    return new_point(*p);
}

nb::object cross_ray(nb::handle self, nb::handle other) {
    if (is_ray(other))
        return ray_cross_segment(other, self);
    return pyu::call_method(other, key_cross_segment, self);
}

// ------------------------------------------------------------ extension

// Moves one or both ends along the segment's direction, taken once before
// anything moves: "both", "positive" (the end), "negative" (the start); any
// other text or None changes nothing.  `direction` must be exactly a str or
// None.
void extend_line(nb::handle self, nb::handle length_arg, nb::handle direction_arg) {
    double length = pyu::as_double(length_arg);
    PyObject *d = direction_arg.ptr();
    if (d != Py_None && !PyUnicode_CheckExact(d))
        pyu::raise_format(PyExc_TypeError, "Argument 'direction' has incorrect type (expected str, got %s)",
                          Py_TYPE(d)->tp_name);
    Ends e = ends_of(self);
    Vec2 u = unit(e.end - e.start);
    if (d == Py_None)
        return;
    bool both = PyUnicode_CompareWithASCIIString(d, "both") == 0;
    bool positive = !both && PyUnicode_CompareWithASCIIString(d, "positive") == 0;
    bool negative = !both && !positive && PyUnicode_CompareWithASCIIString(d, "negative") == 0;
    Vec2 shift = u * length;
    if (both || negative)
        set_start(self, new_point(e.start - shift));
    if (both || positive)
        set_end(self, new_point(e.end + shift));
}

// ------------------------------------------------------- closest point

// The foot as a new Point, or the stored start or end object itself.
nb::object closest_point(nb::handle self, nb::handle point) {
    EndPoints e = end_points(self);
    geom::SegmentClosest c = closest({e.a, e.b}, pyu::read_xy(point));
    switch (c.which) {
    case geom::Nearest::start:
        return e.start;
    case geom::Nearest::end:
        return e.end;
    default:
        return new_point(c.point);
    }
}

double distance_to_point(nb::handle self, nb::handle point) {
    Ends e = ends_of(self);
    return gap_length(closest(e, pyu::read_xy(point)));
}

// The integer 0 when the segments cross; otherwise the least distance from
// an end of one segment to the other.
nb::object distance_between_segments(nb::handle seg1, nb::handle seg2) {
    if (!segment_cross_segment(seg1, seg2).is_none())
        return int_zero();
    Ends s = ends_of(seg1), t = ends_of(seg2);
    double d = gap_length(closest(t, s.start));
    d = std::min(d, gap_length(closest(t, s.end)));
    d = std::min(d, gap_length(closest(s, t.start)));
    d = std::min(d, gap_length(closest(s, t.end)));
    return pyu::float_obj(d);
}

// ---------------------------------------------------- parameters, lengths

nb::object point_at_parameter(nb::handle self, nb::handle t) {
    double k = pyu::as_double(t);
    return new_point(at_parameter(ends_of(self), k));
}

nb::object point_at_length(nb::handle self, nb::handle length) {
    double l = pyu::as_double(length);
    EndPoints e = end_points(self);
    return at_length(e, py_magnitude(e.b - e.a), l);
}

nb::object parameter_at_point(nb::handle self, nb::handle point) { return along(self, point, true); }
nb::object length_at_point(nb::handle self, nb::handle point) { return along(self, point, false); }

// ------------------------------------------------------------ division

namespace {

// A list of n Nones: the whole list is allocated before the first point is
// made, so a count no memory could hold raises MemoryError at once rather
// than after filling the memory; the list is whole at every moment, whatever
// Python code runs while its slots are filled.
nb::object list_of_none(Py_ssize_t n) {
    pyu::checked_size(n, sizeof(PyObject *) + sizeof(flat::Point) + 32);
    nb::object list = pyu::check(PyList_New(n));
    geom::Interrupt stop = pyu::interrupt();
    for (Py_ssize_t i = 0; i < n; ++i) {
        stop.tick();
        PyList_SET_ITEM(list.ptr(), i, nb::none().release().ptr());
    }
    return list;
}

void put(nb::handle list, Py_ssize_t i, nb::object item) {
    if (i < PyList_GET_SIZE(list.ptr()))
        pyu::check_status(PyList_SetItem(list.ptr(), i, item.release().ptr()));  // steals the new, drops None
    else
        pyu::check_status(PyList_Append(list.ptr(), item.ptr()));
}

}  // namespace

// `num_points` points evenly spaced by parameter, both ends included.
nb::list divide_by_count(nb::handle self, nb::handle num_points) {
    Py_ssize_t n = pyu::range_count(num_points);
    if (n == 0)
        return nb::list();
    if (n == 1)
        pyu::raise(PyExc_ZeroDivisionError, "division by zero");
    nb::object points = list_of_none(n);
    Ends e = ends_of(self);
    geom::Interrupt stop = pyu::interrupt();
    for (Py_ssize_t i = 0; i < n; ++i) {
        stop.tick();
        put(points, i, new_point(at_parameter(e, (double) i / (double) (n - 1))));
    }
    return nb::steal<nb::list>(points.release());
}

// `start`, then the points at interval, 2 interval, ... from it while the
// sum stays within the length; `end` itself only when a sum comes within
// epsilon below the length (the clamp of point_at_length).
nb::list divide_by_length(nb::handle self, nb::handle interval) {
    double step = pyu::as_double(interval);
    if (step <= 0)  // the sum would never reach the length
        pyu::raise(PyExc_ValueError, "Interval must be greater than 0.");
    EndPoints e = end_points(self);
    double full = py_magnitude(e.b - e.a);
    // About full / step points, allocated first (see list_of_none); the
    // sums may come out a point or two either way, the slots left over go.
    double estimate = full / step;
    Py_ssize_t expected = estimate > 4e18 ? PY_SSIZE_T_MAX : estimate > 0 ? (Py_ssize_t) estimate + 2 : 1;
    nb::object points = list_of_none(expected);
    put(points, 0, e.start);
    Py_ssize_t count = 1;
    double s = 0;
    geom::Interrupt stop = pyu::interrupt();
    while (s < full) {
        stop.tick();
        s = s + step;
        if (s > full)
            break;
        put(points, count++, at_length(e, full, s));
    }
    if (count < PyList_GET_SIZE(points.ptr()))
        pyu::check_status(PyList_SetSlice(points.ptr(), count, PY_SSIZE_T_MAX, nullptr));
    return nb::steal<nb::list>(points.release());
}

}  // namespace strakel::segment
