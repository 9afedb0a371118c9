// Strakel.Segment: the finite piece from `start` to `end`.  The two end
// points are the caller's objects, stored and shared as given; in-place
// operations rebind these attributes and every holder of the segment sees it.
// Our own Points are read through their C++ fields, anything else through its
// `x` and `y`; every receiver is a plain handle, so an operation called
// through the class on any object with `start` and `end` works too.
//
// Operations that the text of a segment operation addresses to *another*
// object (its bound test, its crossing, its reversal) run here when that
// object is exactly our Segment, and are asked of the object otherwise, so a
// subclass that replaces them is honoured.
#include "Strakel/segment.hpp"
#include "core/segment_ops.hpp"

#include <nanobind/stl/string.h>

#include <algorithm>
#include <cmath>
#include <numeric>
#include <optional>
#include <string>
#include <vector>

using namespace nb::literals;
using geom::Vec2;

namespace strakel {

namespace {
PyTypeObject *segment_type = nullptr;
}

// ------------------------------------------------------------ storage

bool has_segment_fields(nb::handle h) {
    return segment_type && PyObject_TypeCheck(h.ptr(), segment_type) && nb::inst_ready(h);
}

bool is_plain_segment(nb::handle h) {
    return segment_type && Py_TYPE(h.ptr()) == segment_type && nb::inst_ready(h);
}

nb::object make_segment(nb::handle start, nb::handle end) {
    nb::object o = nb::inst_alloc(nb::handle((PyObject *) segment_type));
    new (nb::inst_ptr<SegmentData>(o)) SegmentData{nb::borrow(start), nb::borrow(end)};
    nb::inst_mark_ready(o);
    return o;
}

nb::object segment_start(nb::handle s) { return has_segment_fields(s) ? segment_fields(s).start : s.attr("start"); }
nb::object segment_end(nb::handle s) { return has_segment_fields(s) ? segment_fields(s).end : s.attr("end"); }

Ends segment_ends(nb::handle s) {
    if (has_segment_fields(s)) {
        const SegmentData &f = segment_fields(s);
        Vec2 a = xy(f.start);
        return {a, xy(f.end)};
    }
    nb::object start = s.attr("start"), end = s.attr("end");
    Vec2 a = xy(start);
    return {a, xy(end)};
}

EndPoints end_points(nb::handle s) {
    EndPoints e{segment_start(s), segment_end(s), {}, {}};
    e.a = xy(e.start);
    e.b = xy(e.end);
    return e;
}

namespace {

void set_start(nb::handle s, nb::handle p) {
    if (has_segment_fields(s))
        segment_fields(s).start = nb::borrow(p);
    else
        s.attr("start") = p;
}

void set_end(nb::handle s, nb::handle p) {
    if (has_segment_fields(s))
        segment_fields(s).end = nb::borrow(p);
    else
        s.attr("end") = p;
}

nb::object int_zero() { return pyu::int_obj(0); }

[[noreturn]] void not_on_segment() { pyu::raise(PyExc_ValueError, "Point is not on the segment."); }

// ------------------------------------------------------------ value

void init(nb::handle self, nb::handle start, nb::handle end) {
    if (!PyObject_TypeCheck(self.ptr(), segment_type))
        pyu::raise(PyExc_TypeError, "descriptor '__init__' requires a 'Segment' object");
    if (nb::inst_ready(self)) {  // called again on a live segment
        set_start(self, start);
        set_end(self, end);
        return;
    }
    new (nb::inst_ptr<SegmentData>(self)) SegmentData{nb::borrow(start), nb::borrow(end)};
    nb::inst_mark_ready(self);
}

std::string text(nb::handle self) {
    nb::object start = segment_start(self), end = segment_end(self);
    std::string out = "Segment:(" + pyu::format_obj(start);
    return out + ", " + pyu::format_obj(end) + ")";
}

// Whether a set holding Point p would take Point q as the same member: the
// same object, or equal hashes and `==`.  With the exact hash of a Point and
// its tolerant `==`, that is the same coordinates in practice.
bool same_member(nb::handle p, nb::handle q, double flat_eps) {
    if (p.ptr() == q.ptr())
        return true;
    const flat::Point &a = pyu::flat_fields(p), &b = pyu::flat_fields(q);
    return geom::tolerant_equal(Vec2{a.x, a.y}, Vec2{b.x, b.y}, flat_eps) && pyu::hash_pair(a.x, a.y) == pyu::hash_pair(b.x, b.y);
}

// {self.start, self.end} == {other.start, other.end}.  Four Points are
// compared here as the interpreter's sets would; anything else goes through
// real sets.
bool equal(nb::handle self, nb::handle other) {
    nb::object a0 = segment_start(self), a1 = segment_end(self);
    nb::object b0 = segment_start(other), b1 = segment_end(other);
    if (pyu::is_point(a0) && pyu::is_point(a1) && pyu::is_point(b0) && pyu::is_point(b1)) {
        double fe = flat_eps();
        nb::handle mine[2] = {a0, a1}, theirs[2] = {b0, b1};
        int n_mine = same_member(a0, a1, fe) ? 1 : 2, n_theirs = same_member(b0, b1, fe) ? 1 : 2;
        if (n_mine != n_theirs)
            return false;
        for (int i = 0; i < n_mine; ++i) {
            bool found = false;
            for (int j = 0; j < n_theirs && !found; ++j)
                found = same_member(theirs[j], mine[i], fe);
            if (!found)
                return false;
        }
        return true;
    }
    auto make_set = [](nb::handle p, nb::handle q) {
        nb::object set = nb::steal(PySet_New(nullptr));
        if (!set.is_valid() || PySet_Add(set.ptr(), p.ptr()) != 0 || PySet_Add(set.ptr(), q.ptr()) != 0)
            pyu::raise_current();
        return set;
    };
    nb::object mine = make_set(a0, a1), theirs = make_set(b0, b1);
    int same = PyObject_RichCompareBool(mine.ptr(), theirs.ptr(), Py_EQ);
    if (same < 0)
        pyu::raise_current();
    return same != 0;
}

Vec2 middle(const Ends &e) { return {(e.start.x + e.end.x) / 2, (e.start.y + e.end.y) / 2}; }

// The hash of the midpoint: a segment and its reverse hash alike.
Py_hash_t hash(nb::handle self) {
    Vec2 m = middle(segment_ends(self));
    return pyu::hash_pair(m.x, m.y);
}

// A generator yielding `start`, then `end`, each read when it is asked for.
nb::object make_iter_function() {
    nb::dict scope;
    scope["__builtins__"] = pyu::builtins();
    scope["__name__"] = "Strakel";
    const char *source =
        "def __iter__(self):\n"
        "    yield self.start\n"
        "    yield self.end\n";
    PyObject *result = PyRun_String(source, Py_file_input, scope.ptr(), scope.ptr());
    if (!result)
        pyu::raise_current();
    Py_DECREF(result);
    nb::object fn = scope["__iter__"];
    fn.attr("__qualname__") = "Segment.__iter__";
    return fn;
}

// ------------------------------------------------------------ properties

Vec2 direction(nb::handle self) {
    Ends e = segment_ends(self);
    return e.end - e.start;
}

Vec2 right_of(Vec2 v) { return {v.y, -v.x}; }

nb::object vector(nb::handle self) { return vector_obj(direction(self)); }
// The direction turned clockwise, as long as the segment.
nb::object normal(nb::handle self) { return vector_obj(right_of(direction(self))); }
nb::object unit_vector(nb::handle self) { return vector_obj(unit_of(direction(self))); }
nb::object unit_normal(nb::handle self) { return vector_obj(unit_of(right_of(direction(self)))); }
double length(nb::handle self) { return py_magnitude(direction(self)); }
nb::object midpoint(nb::handle self) { return point_obj(middle(segment_ends(self))); }

nb::list endpoints(nb::handle self) {
    nb::list out;
    out.append(segment_start(self));
    out.append(segment_end(self));
    return out;
}

// Swaps the two stored objects in place.
void reverse(nb::handle self) {
    nb::object start = segment_start(self), end = segment_end(self);
    set_start(self, end);
    set_end(self, start);
}

// (min x, max x, min y, max y): a different order from the ray's bound.
nb::object bound(nb::handle self) {
    Ends e = segment_ends(self);
    geom::Box b = geom::segment_bound(e.start, e.end);
    return nb::make_tuple(b.min_x, b.max_x, b.min_y, b.max_y);
}

// Widened by epsilon on every side, borders included.
bool is_point_in_bound(nb::handle self, nb::handle point) {
    Ends e = segment_ends(self);
    return geom::in_box(geom::segment_bound(e.start, e.end), xy(point), eps());
}

// On the line (triangle area strictly below epsilon) and in the widened bound.
bool is_point_on(nb::handle self, nb::handle point) {
    Ends e = segment_ends(self);
    return geom::on_segment(e.start, e.end, xy(point), eps());
}

// `s.is_point_on(point)` of any segment in a list.
bool contains(nb::handle s, nb::handle point) {
    if (is_plain_segment(s))
        return is_point_on(s, point);
    return truthy(s.attr("is_point_on")(point));
}

// The direction of the line of anything with `to_line()` (a Segment, a Ray).
Vec2 line_direction_of(nb::handle other) {
    if (has_segment_fields(other))
        return direction(other);
    nb::object line = other.attr("to_line")();
    Ends e = line_ends(line);
    return e.end - e.start;
}

// Exact comparisons with 0, no tolerance: a zero-length segment is parallel
// and perpendicular to everything.
bool is_parallel(nb::handle self, nb::handle other) {
    Vec2 a = direction(self);
    return geom::cross(a, line_direction_of(other)) == 0;
}
bool is_perpendicular(nb::handle self, nb::handle other) {
    Vec2 a = direction(self);
    return geom::dot(a, line_direction_of(other)) == 0;
}

nb::object to_line(nb::handle self) {
    nb::object start = segment_start(self);
    return make_line(start, segment_end(self));
}

nb::object copy(nb::handle self) {
    nb::object start = segment_start(self);
    return make_segment(start, segment_end(self));
}

// ------------------------------------------------------------ crossings

// The crossing of the two lines, kept when it lies in this segment's bound
// and then in the other's (asked of the other object unless it is ours).
nb::object cross_segment(nb::handle self, nb::handle other) {
    Ends s = segment_ends(self), o = segment_ends(other);
    std::optional<Vec2> p = geom::line_intersection(s.start, s.end, o.start, o.end, flat_eps());
    if (!p)
        return nb::none();
    double e = eps();
    if (!geom::in_box(geom::segment_bound(s.start, s.end), *p, e))
        return nb::none();
    if (is_plain_segment(other))
        return geom::in_box(geom::segment_bound(o.start, o.end), *p, e) ? point_obj(*p) : nb::none();
    nb::object point = point_obj(*p);
    return truthy(other.attr("is_point_in_bound")(point)) ? point : nb::none();
}

// The line is unbounded: only the segment's bound is tested.
nb::object cross_line(nb::handle self, nb::handle other) {
    Ends s = segment_ends(self), l = line_ends(other);
    std::optional<Vec2> p = geom::line_intersection(s.start, s.end, l.start, l.end, flat_eps());
    if (!p || !geom::in_box(geom::segment_bound(s.start, s.end), *p, eps()))
        return nb::none();
    return point_obj(*p);
}

nb::object cross_ray(nb::handle self, nb::handle other) {
    if (is_ray(other))
        return ray_cross_segment(other, self);
    return other.attr("intersection_with_segment")(self);
}

}  // namespace

nb::object segment_cross_segment(nb::handle segment, nb::handle other) {
    if (is_plain_segment(segment))
        return cross_segment(segment, other);
    return segment.attr("intersection_with_segment")(other);
}

void reverse_segment(nb::handle segment) {
    if (is_plain_segment(segment))
        reverse(segment);
    else
        segment.attr("reverse")();
}

namespace {

// ------------------------------------------------------------ extension

// Moves one or both ends along the segment's direction, taken once before
// anything moves: "both", "positive" (the end), "negative" (the start); any
// other text or None changes nothing.  `direction` must be exactly a str or
// None.
void extend_line(nb::handle self, nb::handle length_arg, nb::handle direction_arg) {
    double length = pyu::as_double(length_arg);
    PyObject *d = direction_arg.ptr();
    if (d != Py_None && !PyUnicode_CheckExact(d)) {
        PyErr_Format(PyExc_TypeError, "Argument 'direction' has incorrect type (expected str, got %s)",
                     Py_TYPE(d)->tp_name);
        pyu::raise_current();
    }
    Ends e = segment_ends(self);
    Vec2 u = unit_of(e.end - e.start);
    if (d == Py_None)
        return;
    bool both = PyUnicode_CompareWithASCIIString(d, "both") == 0;
    bool positive = !both && PyUnicode_CompareWithASCIIString(d, "positive") == 0;
    bool negative = !both && !positive && PyUnicode_CompareWithASCIIString(d, "negative") == 0;
    Vec2 shift = u * length;
    if (both || negative)
        set_start(self, point_obj(e.start - shift));
    if (both || positive)
        set_end(self, point_obj(e.end + shift));
}

// ------------------------------------------------------- closest point

// Which point of the segment is nearest to p: the foot of the perpendicular
// when it lies on the segment, else the nearer end (a tie goes to the end).
// A segment whose ends coincide is the single point `start`.
geom::SegmentClosest closest(const Ends &e, Vec2 p) {
    Vec2 ab = e.end - e.start;
    if (py_magnitude(ab) == 0.0)
        return {geom::Nearest::start, e.start};
    Vec2 foot = projection_foot(e.start, e.end, p);
    if (geom::on_segment(e.start, e.end, foot, eps()))
        return {geom::Nearest::foot, foot};
    if (py_distance(p, e.start) < py_distance(p, e.end))
        return {geom::Nearest::start, e.start};
    return {geom::Nearest::end, e.end};
}

// The foot as a new Point, or the stored start or end object itself.
nb::object closest_point(nb::handle self, nb::handle point) {
    EndPoints e = end_points(self);
    geom::SegmentClosest c = closest({e.a, e.b}, xy(point));
    switch (c.which) {
    case geom::Nearest::start:
        return e.start;
    case geom::Nearest::end:
        return e.end;
    default:
        return point_obj(c.point);
    }
}

double distance_to_point(nb::handle self, nb::handle point) {
    Ends e = segment_ends(self);
    Vec2 p = xy(point);
    return py_distance(p, closest(e, p).point);
}

// The integer 0 when the segments cross; otherwise the least distance from
// an end of one segment to the other.
nb::object distance_between_segments(nb::handle seg1, nb::handle seg2) {
    if (!segment_cross_segment(seg1, seg2).is_none())
        return int_zero();
    Ends s = segment_ends(seg1), t = segment_ends(seg2);
    double d = py_distance(s.start, closest(t, s.start).point);
    d = std::min(d, py_distance(s.end, closest(t, s.end).point));
    d = std::min(d, py_distance(t.start, closest(s, t.start).point));
    d = std::min(d, py_distance(t.end, closest(s, t.end).point));
    return pyu::float_obj(d);
}

// ---------------------------------------------------- parameters, lengths

Vec2 at_parameter(const Ends &e, double t) {
    return {e.start.x + t * (e.end.x - e.start.x), e.start.y + t * (e.end.y - e.start.y)};
}

nb::object point_at_parameter(nb::handle self, nb::handle t) {
    double k = pyu::as_double(t);
    return point_obj(at_parameter(segment_ends(self), k));
}

// Held at both ends: the stored start within epsilon of it (and before it),
// the stored end from epsilon short of it on.
nb::object at_length(const EndPoints &e, double full, double length) {
    if (length <= eps())
        return e.start;
    if (length + eps() >= full)
        return e.end;
    return point_obj(at_parameter({e.a, e.b}, length / full));
}

nb::object point_at_length(nb::handle self, nb::handle length) {
    double l = pyu::as_double(length);
    EndPoints e = end_points(self);
    return at_length(e, py_magnitude(e.b - e.a), l);
}

// The unsigned distance of a point on the segment from `start`, or its
// ratio to the length; the integer 0 on a segment shorter than epsilon.
nb::object along(nb::handle self, nb::handle point, bool as_parameter) {
    Ends e = segment_ends(self);
    Vec2 p = xy(point);
    if (!geom::on_segment(e.start, e.end, p, eps()))
        not_on_segment();
    double full = py_magnitude(e.end - e.start);
    if (std::fabs(full) < eps())
        return int_zero();
    double d = py_distance(e.start, p);
    return pyu::float_obj(as_parameter ? d / full : d);
}

nb::object parameter_at_point(nb::handle self, nb::handle point) { return along(self, point, true); }
nb::object length_at_point(nb::handle self, nb::handle point) { return along(self, point, false); }

// ------------------------------------------------------------ division

// `num_points` points evenly spaced by parameter, both ends included.
nb::list divide_by_count(nb::handle self, nb::handle num_points) {
    Py_ssize_t n = pyu::range_count(num_points);
    nb::list points;
    if (n == 0)
        return points;
    if (n == 1)
        pyu::raise(PyExc_ZeroDivisionError, "division by zero");
    Ends e = segment_ends(self);
    for (Py_ssize_t i = 0; i < n; ++i) {
        points.append(point_obj(at_parameter(e, (double) i / (double) (n - 1))));
        if (i % 65536 == 65535 && PyErr_CheckSignals() != 0)
            pyu::raise_current();
    }
    return points;
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
    nb::list points;
    points.append(e.start);
    double s = 0;
    for (unsigned long n = 1; s < full; ++n) {
        s = s + step;
        if (s > full)
            break;
        points.append(at_length(e, full, s));
        if (n % 65536 == 0 && PyErr_CheckSignals() != 0)
            pyu::raise_current();
    }
    return points;
}

// ------------------------------------------------------------ breaking

nb::object break_at_point(nb::handle self, nb::handle point) {
    if (!is_point_on(self, point))
        not_on_segment();
    nb::object start = segment_start(self), end = segment_end(self);
    return nb::make_tuple(make_segment(start, point), make_segment(point, end));
}

// Pieces from `start` to `end` through the given points without near
// repeats, ordered by their distance from `start` (a stable sort).  The
// distances are taken in list order, so the first point off the segment
// raises.
nb::list break_by_points(nb::handle self, nb::handle points) {
    nb::object unique = nb::handle((PyObject *) pyu::point_type).attr("remove_duplicate_points")(points);
    std::vector<nb::object> items;
    std::vector<double> keys;
    pyu::for_each_iter(unique, [&](nb::handle p) {
        nb::object key = length_at_point(self, p);
        keys.push_back(pyu::as_double(key));
        items.push_back(nb::borrow(p));
        return true;
    });
    std::vector<size_t> order(items.size());
    std::iota(order.begin(), order.end(), size_t{0});
    std::stable_sort(order.begin(), order.end(), [&](size_t i, size_t j) { return keys[i] < keys[j]; });
    nb::object start = segment_start(self), end = segment_end(self);
    nb::list pieces;
    nb::object from = start;
    for (size_t i : order) {
        pieces.append(make_segment(from, items[i]));
        from = items[i];
    }
    pieces.append(make_segment(from, end));
    return pieces;
}

// ----------------------------------------------------- all the pairs

// Every crossing of every pair (i, j), i < j, of the list, in that order,
// each a new point.  Pairs whose bounds, widened by epsilon, do not overlap
// cannot cross and are skipped; the result is that of the plain loop over
// all pairs.
nb::list intersection_points(nb::handle segments) {
    nb::list found;
    Py_ssize_t n = PyObject_Length(segments.ptr());
    if (n < 0)
        pyu::raise_current();
    if (n < 2)
        return found;
    std::vector<nb::object> items((size_t) n);
    bool all_plain = true;
    for (Py_ssize_t i = 0; i < n; ++i) {
        items[(size_t) i] = pyu::get_item(segments, i);
        all_plain = all_plain && is_plain_segment(items[(size_t) i]);
    }
    if (!all_plain) {
        // Some object answers for itself: ask every pair in turn.
        for (size_t i = 0; i < items.size(); ++i)
            for (size_t j = i + 1; j < items.size(); ++j) {
                nb::object p = segment_cross_segment(items[i], items[j]);
                if (!p.is_none())
                    found.append(p);
            }
        return found;
    }
    std::vector<Ends> ends(items.size());
    std::vector<geom::Box> boxes(items.size());
    for (size_t i = 0; i < items.size(); ++i) {
        ends[i] = segment_ends(items[i]);
        boxes[i] = geom::segment_bound(ends[i].start, ends[i].end);
    }
    double fe = flat_eps(), e = eps();
    for (auto [i, j] : geom::overlapping_pairs(boxes, e)) {
        std::optional<Vec2> p =
            geom::segment_intersection(ends[i].start, ends[i].end, ends[j].start, ends[j].end, fe, e);
        if (p)
            found.append(point_obj(*p));
    }
    return found;
}

// ------------------------------------------------------------ end points

// The two distances are compared exactly: a tie gives `end` for the closest
// and the farthest end point, and `start` for the other end point.
enum class EndChoice { closest, farthest, other };

nb::object choose_end(nb::handle self, nb::handle point, EndChoice choice) {
    EndPoints e = end_points(self);
    Vec2 p = xy(point);
    double to_start = py_distance(p, e.a), to_end = py_distance(p, e.b);
    switch (choice) {
    case EndChoice::closest:
        return to_start < to_end ? e.start : e.end;
    case EndChoice::farthest:
        return to_start > to_end ? e.start : e.end;
    default:
        return to_start < to_end ? e.end : e.start;
    }
}

const char *not_on_line = "The point is not on the line of the segment.";

// Moves the nearer end (a tie moves `end`) onto a point of the segment's
// line, storing the given object; no bound test.
void extend_to_point(nb::handle self, nb::handle point) {
    Ends e = segment_ends(self);
    Vec2 p = xy(point);
    if (!geom::on_line(e.start, e.end, p, eps()))
        pyu::raise_exception(not_on_line);
    if (py_distance(p, e.start) < py_distance(p, e.end))
        set_start(self, point);
    else
        set_end(self, point);
}

// Brings both segments to the crossing of their lines: each one's nearer end
// becomes the same new point.  Nothing changes for parallel lines, nor when
// either segment's line test refuses the crossing (both are checked before
// either segment changes).
void fillet(nb::handle segment1, nb::handle segment2) {
    Ends s = segment_ends(segment1), t = segment_ends(segment2);
    std::optional<Vec2> p = geom::line_intersection(s.start, s.end, t.start, t.end, flat_eps());
    if (!p)
        return;
    double e = eps();
    if (!geom::on_line(s.start, s.end, *p, e) || !geom::on_line(t.start, t.end, *p, e))
        pyu::raise_exception(not_on_line);
    bool first_at_start = py_distance(*p, s.start) < py_distance(*p, s.end);
    bool second_at_start = py_distance(*p, t.start) < py_distance(*p, t.end);
    nb::object corner = point_obj(*p);
    (first_at_start ? set_start : set_end)(segment1, corner);
    (second_at_start ? set_start : set_end)(segment2, corner);
}

// ------------------------------------------------------------ selections

// Removes position i of the caller's list (by position, never by equality:
// a list may hold equal segments).
void remove_at(nb::handle seq, Py_ssize_t i) {
    if (PyList_CheckExact(seq.ptr())) {
        if (PySequence_DelItem(seq.ptr(), i) != 0)
            pyu::raise_current();
        return;
    }
    seq.attr("pop")(i);
}

Py_ssize_t length_of(nb::handle seq) {
    Py_ssize_t n = PyObject_Length(seq.ptr());
    if (n < 0)
        pyu::raise_current();
    return n;
}

// Walks the list from its last position to its first, so the selected
// segments come in reverse list order and removing one keeps the positions
// still to visit.
template <class Test>
nb::list select_backwards(nb::handle segments, nb::handle remove, Test &&selects) {
    nb::list selected;
    for (Py_ssize_t i = length_of(segments) - 1; i >= 0; --i) {
        nb::object s = pyu::get_item(segments, i);
        if (!selects(s))
            continue;
        selected.append(s);
        if (truthy(remove))
            remove_at(segments, i);
    }
    return selected;
}

nb::list select_segments_containing_point(nb::handle point, nb::handle segments, nb::handle remove) {
    return select_backwards(segments, remove, [&](nb::handle s) { return contains(s, point); });
}

nb::list select_intersecting_segments(nb::handle segment, nb::handle segments, nb::handle remove) {
    return select_backwards(segments, remove, [&](nb::handle s) { return truthy(segment_cross_segment(segment, s)); });
}

// The first segment in list order that contains the point, or None.
nb::object select_segment_containing_point(nb::handle point, nb::handle segments, nb::handle remove) {
    nb::object chosen = nb::none();
    Py_ssize_t at = -1, i = 0;
    pyu::for_each_iter(segments, [&](nb::handle s) {
        if (contains(s, point)) {
            chosen = nb::borrow(s);
            at = i;
            return false;
        }
        ++i;
        return true;
    });
    if (at >= 0 && truthy(remove))
        remove_at(segments, at);
    return chosen;
}

// For each selector in order, the segments of `segments` crossing it, taken
// out of that list: a segment is picked once, by the first selector it crosses.
nb::list select_multi_intersection_segments(nb::handle segments_to_select, nb::handle segments) {
    nb::list selected;
    nb::object yes = nb::bool_(true);
    Py_ssize_t n = length_of(segments_to_select);
    for (Py_ssize_t i = 0; i < n; ++i) {
        nb::object s = pyu::get_item(segments_to_select, i);
        nb::list group = select_intersecting_segments(s, segments, yes);
        for (nb::handle g : group)
            selected.append(g);
    }
    return selected;
}

// ------------------------------------------------------- node extraction

// The nodes in order, each once: a node is dropped when a set of the earlier
// ones already holds it (for Points, the same coordinates).
nb::list without_repeats(const std::vector<nb::object> &nodes) {
    nb::list out;
    nb::object seen = nb::steal(PySet_New(nullptr));
    if (!seen.is_valid())
        pyu::raise_current();
    for (const nb::object &p : nodes) {
        int has = PySet_Contains(seen.ptr(), p.ptr());
        if (has < 0)
            pyu::raise_current();
        if (has)
            continue;
        if (PySet_Add(seen.ptr(), p.ptr()) != 0)
            pyu::raise_current();
        out.append(p);
    }
    return out;
}

// `a == b` of two end points, the walk end on the left.
bool points_equal(nb::handle a, nb::handle b, double flat_eps) {
    if (pyu::is_point(a) && pyu::is_point(b)) {
        const flat::Point &p = pyu::flat_fields(a), &q = pyu::flat_fields(b);
        return geom::tolerant_equal(Vec2{p.x, p.y}, Vec2{q.x, q.y}, flat_eps);
    }
    nb::object r = nb::steal(PyObject_RichCompare(a.ptr(), b.ptr(), Py_EQ));
    if (!r.is_valid())
        pyu::raise_current();
    return truthy(r);
}

[[noreturn]] void not_connected() { pyu::raise(PyExc_ValueError, "The segments are not connected."); }

// The chain walk on a list of our own segments between our own Points: the
// order of the takes is found on coordinates, then the caller's list is left
// as the walk over it would leave it.
bool walk_plain(nb::handle segments, const nb::object &first_start, const nb::object &first_end,
                std::vector<nb::object> &behind, std::vector<nb::object> &ahead) {
    if (!PyList_CheckExact(segments.ptr()) || !pyu::is_point(first_start) || !pyu::is_point(first_end))
        return false;
    Py_ssize_t n = PyList_GET_SIZE(segments.ptr());
    std::vector<nb::object> items((size_t) n);
    std::vector<geom::SegmentEnds> ends((size_t) n);
    for (Py_ssize_t i = 0; i < n; ++i) {
        nb::handle s = PyList_GET_ITEM(segments.ptr(), i);
        if (!has_segment_fields(s))
            return false;
        const SegmentData &f = segment_fields(s);
        if (!pyu::is_point(f.start) || !pyu::is_point(f.end))
            return false;
        items[(size_t) i] = nb::borrow(s);
        ends[(size_t) i] = {xy(f.start), xy(f.end)};
    }
    geom::ChainWalk walk = geom::walk_chain(ends, xy(first_end), xy(first_start), flat_eps());
    auto node = [&](const geom::ChainStep &step) {
        const SegmentData &f = segment_fields(items[step.index]);
        return step.at_start ? f.end : f.start;
    };
    for (const geom::ChainStep &step : walk.forward)
        ahead.push_back(node(step));
    for (const geom::ChainStep &step : walk.backward)
        behind.push_back(node(step));
    nb::list left;
    for (size_t i : walk.left)
        left.append(items[i]);
    if (PyList_SetSlice(segments.ptr(), 0, n, left.ptr()) != 0)
        pyu::raise_current();
    if (!walk.connected)
        not_connected();
    return true;
}

// The same walk on any list and any objects, through their own `==`.
void walk_any(nb::handle segments, const nb::object &first_start, const nb::object &first_end,
              std::vector<nb::object> &behind, std::vector<nb::object> &ahead) {
    double fe = flat_eps();
    // Takes the first segment touching `end`, start tested before end, and
    // moves `end` to its other end point.
    auto take = [&](nb::object &end) {
        Py_ssize_t n = length_of(segments);
        for (Py_ssize_t i = 0; i < n; ++i) {
            nb::object s = pyu::get_item(segments, i);
            nb::object start = segment_start(s);
            if (points_equal(end, start, fe)) {
                nb::object next = segment_end(s);
                remove_at(segments, i);
                end = next;
                return true;
            }
            nb::object stop = segment_end(s);
            if (points_equal(end, stop, fe)) {
                remove_at(segments, i);
                end = start;
                return true;
            }
        }
        return false;
    };
    nb::object end = first_end;
    while (length_of(segments) > 0 && take(end))
        ahead.push_back(end);
    end = first_start;
    while (length_of(segments) > 0) {
        if (!take(end))
            not_connected();
        behind.push_back(end);
    }
}

// Ordered: the end points of the segments in list order.  Unordered: a chain
// walk from a randomly drawn segment (random.randint through the module's
// `random`), forward from its end, then on from its start once nothing
// touches the forward end; the caller's list is consumed.
nb::list extract_nodes_from_segments(nb::handle segments, nb::handle ordered) {
    std::vector<nb::object> nodes;
    if (truthy(ordered)) {
        pyu::for_each_iter(segments, [&](nb::handle s) {
            nodes.push_back(segment_start(s));
            nodes.push_back(segment_end(s));
            return true;
        });
        return without_repeats(nodes);
    }
    Py_ssize_t n = length_of(segments);
    nb::object k = names::random.get().attr("randint")(0, n - 1);
    nb::object first = segments.attr("pop")(k);
    nb::object first_start = segment_start(first), first_end = segment_end(first);
    std::vector<nb::object> behind, ahead;
    if (!walk_plain(segments, first_start, first_end, behind, ahead))
        walk_any(segments, first_start, first_end, behind, ahead);
    nodes.assign(behind.rbegin(), behind.rend());
    nodes.push_back(first_start);
    nodes.push_back(first_end);
    nodes.insert(nodes.end(), ahead.begin(), ahead.end());
    return without_repeats(nodes);
}

// --------------------------------------------------- moves and offsets

// Both new points are made before either is stored.
void move(nb::handle self, nb::handle vector) {
    Ends e = segment_ends(self);
    Vec2 v = xy(vector);
    nb::object start = point_obj(e.start + v);
    nb::object end = point_obj(e.end + v);
    set_start(self, start);
    set_end(self, end);
}

nb::object shifted(const Ends &e, Vec2 side, double distance) {
    Vec2 shift = side * distance;
    nb::object start = point_obj(e.start + shift);
    return make_segment(start, point_obj(e.end + shift));
}

// A positive distance moves the copy to the right of the direction.
nb::object offset(nb::handle self, nb::handle distance) {
    double d = pyu::as_double(distance);
    Ends e = segment_ends(self);
    return shifted(e, geom::right_normal(unit_of(e.end - e.start)), d);
}

// [right, left]: a list.
nb::list offset_both(nb::handle self, nb::handle distance) {
    double d = pyu::as_double(distance);
    Ends e = segment_ends(self);
    Vec2 u = unit_of(e.end - e.start);
    nb::list both;
    both.append(shifted(e, geom::right_normal(u), d));
    both.append(shifted(e, geom::left_normal(u), d));
    return both;
}

// -------------------------------------------------------------- direction

double direction_dot(nb::handle segment1, nb::handle segment2) {
    Vec2 u1 = unit_of(direction(segment1));
    return geom::dot(u1, unit_of(direction(segment2)));
}

// Strictly positive: perpendicular and zero-length segments are not.
bool is_same_direction(nb::handle segment1, nb::handle segment2) { return direction_dot(segment1, segment2) > 0; }

// Reverses segment2 in place when it points against segment1.
void unify_direction(nb::handle segment1, nb::handle segment2) {
    if (direction_dot(segment1, segment2) < 0)
        reverse_segment(segment2);
}

// start blends with start and end with end, after segment2 may have been
// turned to segment1's direction (in place) when `unify` is true.
nb::object tween_segment(nb::handle segment1, nb::handle segment2, nb::handle t, nb::handle unify) {
    double k = pyu::as_double(t);
    if (truthy(unify))
        unify_direction(segment1, segment2);
    Ends a = segment_ends(segment1), b = segment_ends(segment2);
    nb::object start = point_obj(geom::blend(a.start, b.start, k));
    return make_segment(start, point_obj(geom::blend(a.end, b.end, k)));
}

// The outline along l1 and back along l2: l2 is reversed in place when it
// points the same way as l1.
nb::list loft(nb::handle l1, nb::handle l2) {
    if (is_same_direction(l1, l2))
        reverse_segment(l2);
    nb::list outline;
    outline.append(segment_start(l1));
    outline.append(segment_end(l1));
    outline.append(segment_start(l2));
    outline.append(segment_end(l2));
    return outline;
}

// A segment for every pair (i, j), i < j, of the points: not a chain.
nb::list construct_lines(nb::handle points) {
    Py_ssize_t n = length_of(points);
    std::vector<nb::object> items((size_t) n);
    for (Py_ssize_t i = 0; i < n; ++i)
        items[(size_t) i] = pyu::get_item(points, i);
    nb::list segments;
    for (size_t i = 0; i < items.size(); ++i)
        for (size_t j = i + 1; j < items.size(); ++j)
            segments.append(make_segment(items[i], items[j]));
    return segments;
}

// ------------------------------------------------------------ plots

// One colour per segment drawn from the current colour cycle with
// replacement (numpy's shared generator), one plt.plot per segment, then
// the legend and, if asked, the figure.
void plot_segments(nb::handle segments, nb::handle labels, nb::handle show) {
    nb::handle pyplot = names::plt.get();
    Py_ssize_t count = length_of(segments);
    nb::object cycle = nb::steal(PySequence_List(pyplot.attr("rcParams")["axes.prop_cycle"].ptr()));
    if (!cycle.is_valid())
        pyu::raise_current();
    nb::object colours =
        names::np.get().attr("random").attr("choice")(cycle, "size"_a = count, "replace"_a = true);
    plot_ends(pyplot, segments, colours, labels, show);
}

// ---------------------------------------------------- garbage collection

int segment_traverse(PyObject *self, visitproc visit, void *arg) {
    return pyu::traverse_fields<SegmentData, &SegmentData::start, &SegmentData::end>(self, visit, arg);
}
int segment_clear(PyObject *self) { return pyu::clear_fields<SegmentData, true, &SegmentData::start, &SegmentData::end>(self); }

PyType_Slot segment_slots[] = {
    {Py_tp_traverse, (void *) segment_traverse},
    {Py_tp_clear, (void *) segment_clear},
    {0, nullptr},
};

}  // namespace

void bind_segment(nb::module_ &m) {
    auto cls = nb::class_<SegmentData>(m, "Segment", nb::dynamic_attr(), nb::type_slots(segment_slots));
    segment_type = (PyTypeObject *) cls.ptr();
    cls.def("__init__", &init, "start"_a.none(), "end"_a.none())
        .def("__repr__", &text)
        .def("__eq__", &equal, "other"_a.none())
        .def("__hash__", &hash);
    cls.attr("__iter__") = make_iter_function();
    cls.def_prop_ro("vector", &vector)
        .def_prop_ro("normal", &normal)
        .def_prop_ro("unit_vector", &unit_vector)
        .def_prop_ro("unit_normal", &unit_normal)
        .def_prop_ro("length", &length)
        .def_prop_ro("midpoint", &midpoint)
        .def_prop_ro("endpoints", &endpoints)
        .def("reverse", &reverse)
        .def_prop_ro("bound", &bound)
        .def("is_point_in_bound", &is_point_in_bound, "point"_a.none())
        .def("is_point_on", &is_point_on, "point"_a.none())
        .def("is_parallel", &is_parallel, "other"_a.none())
        .def("is_perpendicular", &is_perpendicular, "other"_a.none())
        .def("to_line", &to_line)
        .def("copy", &copy)
        .def("intersection_with_segment", &cross_segment, "other"_a.none())
        .def("intersection_with_line", &cross_line, "other"_a.none())
        .def("intersection_with_ray", &cross_ray, "other"_a.none())
        .def("extend_line", &extend_line, "length"_a.none(), "direction"_a.none() = "both")
        .def("closest_point", &closest_point, "point"_a.none())
        .def("distance_to_point", &distance_to_point, "point"_a.none())
        .def_static("distance_between_segments", &distance_between_segments, "seg1"_a.none(), "seg2"_a.none())
        .def("point_at_parameter", &point_at_parameter, "t"_a.none())
        .def("point_at_length", &point_at_length, "length"_a.none())
        .def("parameter_at_point", &parameter_at_point, "point"_a.none())
        .def("length_at_point", &length_at_point, "point"_a.none())
        .def("divide_by_count", &divide_by_count, "num_points"_a.none())
        .def("divide_by_length", &divide_by_length, "interval"_a.none())
        .def("break_at_point", &break_at_point, "point"_a.none())
        .def("break_by_points", &break_by_points, "points"_a.none())
        .def_static("intersection_points", &intersection_points)
        .def("closest_endpoint", [](nb::handle s, nb::handle p) { return choose_end(s, p, EndChoice::closest); },
             "point"_a.none())
        .def("farthest_endpoint", [](nb::handle s, nb::handle p) { return choose_end(s, p, EndChoice::farthest); },
             "point"_a.none())
        .def("other_endpoint", [](nb::handle s, nb::handle p) { return choose_end(s, p, EndChoice::other); },
             "point"_a.none())
        .def("extend_to_point", &extend_to_point, "point"_a.none())
        .def_static("fillet", &fillet, "segment1"_a.none(), "segment2"_a.none())
        .def_static("select_segments_containing_point", &select_segments_containing_point, "point"_a.none(),
                    "segments"_a.none(), "delete"_a.none() = false)
        .def_static("select_segment_containing_point", &select_segment_containing_point, "point"_a.none(),
                    "segments"_a.none(), "delete"_a.none() = false)
        .def_static("select_intersecting_segments", &select_intersecting_segments, "segment"_a.none(),
                    "segments"_a.none(), "delete"_a.none() = false)
        .def_static("select_multi_intersection_segments", &select_multi_intersection_segments,
                    "segments_to_select"_a.none(), "segments"_a.none())
        .def_static("extract_nodes_from_segments", &extract_nodes_from_segments, "segments"_a.none(),
                    "ordered"_a.none() = false)
        .def("move", &move, "vector"_a.none())
        .def("offset", &offset, "distance"_a.none())
        .def("offset_both", &offset_both, "distance"_a.none())
        .def_static("is_same_direction", &is_same_direction, "segment1"_a.none(), "segment2"_a.none())
        .def_static("unify_direction", &unify_direction, "segment1"_a.none(), "segment2"_a.none())
        .def_static("tween_segment", &tween_segment, "segment1"_a.none(), "segment2"_a.none(), "t"_a.none() = 0.5,
                    "unify"_a.none() = true)
        .def_static("loft", &loft, "l1"_a.none(), "l2"_a.none())
        .def_static("construct_lines", &construct_lines)
        .def_static("plot_segments", &plot_segments, "segments"_a.none(), "names"_a.none() = nb::none(),
                    "show"_a.none() = true)
        .def_rw("start", &SegmentData::start)
        .def_rw("end", &SegmentData::end);
}

}  // namespace strakel
