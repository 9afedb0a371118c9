// Strakel.Segment: the finite piece from `start` to `end`.  The two end
// points are the caller's objects, stored and shared as given; in-place
// operations rebind these attributes and every holder of the segment sees it.
// Our own Points are read through their C++ fields, anything else through its
// `x` and `y`; every receiver is a plain handle, so an operation called
// through the class on any object with `start` and `end` works too.
//
// Operations that a segment operation addresses to *another* object (its
// bound test, its crossing, its reversal) run here when that object is
// exactly our Segment, and are asked of the object otherwise, so a subclass
// that replaces them is honoured.
//
// This file holds the value, the properties, the bound tests and the member
// table; the other operations are in segment_*.cpp (see segment.hpp).
#include "Strakel/segment.hpp"

#include <string>

using namespace nb::literals;

namespace strakel {

namespace segment {

namespace {

const pyu::Key key_cross_segment("intersection_with_segment"), key_reverse("reverse"), key_point_on("is_point_on"),
    key_to_line("to_line");

// ------------------------------------------------------------ value

void init(nb::handle self, nb::handle start, nb::handle end) {
    pyu::check_receiver(self, (PyObject *) segment_type, "Segment");
    pyu::construct(self, SegmentData{nb::borrow(start), nb::borrow(end)});
}

// "Segment:(<start>, <end>)", each end point as format(p, '') gives it.  A
// segment may hold itself (or another segment) as an end point: the guard
// turns that recursion into RecursionError.
std::string text(nb::handle self) {
    pyu::RecursionGuard guard(" in Segment.__repr__");
    EndObjects e = end_objects(self);
    std::string out = "Segment:(" + pyu::format_obj(e.start);
    return out + ", " + pyu::format_obj(e.end) + ")";
}

// Whether a set holding Point p would take Point q as the same member: the
// same object, or equal hashes and `==`.  With the exact hash of a Point and
// its tolerant `==`, that is the same coordinates in practice.
bool same_member(nb::handle p, nb::handle q, double flat_eps) {
    if (p.ptr() == q.ptr())
        return true;
    const flat::Point &a = pyu::flat_fields(p), &b = pyu::flat_fields(q);
    return geom::tolerant_equal(Vec2{a.x, a.y}, Vec2{b.x, b.y}, flat_eps) &&
           pyu::hash_pair(a.x, a.y) == pyu::hash_pair(b.x, b.y);
}

nb::object pair_set(nb::handle p, nb::handle q) {
    nb::object set = pyu::check(PySet_New(nullptr));
    pyu::check_status(PySet_Add(set.ptr(), p.ptr()));
    pyu::check_status(PySet_Add(set.ptr(), q.ptr()));
    return set;
}

// {self.start, self.end} == {other.start, other.end}.  Four Points are
// compared here as the interpreter's sets would; anything else goes through
// real sets, whose hashes and equalities may recurse into this one.
bool equal(nb::handle self, nb::handle other) {
    EndObjects a = end_objects(self), b = end_objects(other);
    if (pyu::is_point(a.start) && pyu::is_point(a.end) && pyu::is_point(b.start) && pyu::is_point(b.end)) {
        double fe = flat_eps();
        nb::handle mine[2] = {a.start, a.end}, theirs[2] = {b.start, b.end};
        int n_mine = same_member(a.start, a.end, fe) ? 1 : 2, n_theirs = same_member(b.start, b.end, fe) ? 1 : 2;
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
    pyu::RecursionGuard guard(" in Segment.__eq__");
    nb::object mine = pair_set(a.start, a.end), theirs = pair_set(b.start, b.end);
    return pyu::check_status(PyObject_RichCompareBool(mine.ptr(), theirs.ptr(), Py_EQ)) == 1;
}

Vec2 middle(const Ends &e) { return {(e.start.x + e.end.x) / 2, (e.start.y + e.end.y) / 2}; }

// The hash of the midpoint: a segment and its reverse hash alike.
Py_hash_t hash(nb::handle self) {
    Vec2 m = middle(ends_of(self));
    return pyu::hash_pair(m.x, m.y);
}

// A generator yielding `start`, then `end`, each read when it is asked for.
nb::object make_iter_function() {
    const char *source =
        "def __iter__(self):\n"
        "    yield self.start\n"
        "    yield self.end\n";
    return pyu::python_function(source, "__iter__", "Segment.__iter__", "Strakel", DOC(Segment, __iter__));
}

// ------------------------------------------------------------ properties

Vec2 right_of(Vec2 v) { return {v.y, -v.x}; }

nb::object vector(nb::handle self) { return new_vector(direction(self)); }
// The direction turned clockwise, as long as the segment.
nb::object normal(nb::handle self) { return new_vector(right_of(direction(self))); }
nb::object unit_vector(nb::handle self) { return new_vector(unit(direction(self))); }
nb::object unit_normal(nb::handle self) { return new_vector(unit(right_of(direction(self)))); }
double length(nb::handle self) { return py_magnitude(direction(self)); }
nb::object midpoint(nb::handle self) { return new_point(middle(ends_of(self))); }

nb::list endpoints(nb::handle self) {
    EndObjects e = end_objects(self);
    nb::list out;
    out.append(e.start);
    out.append(e.end);
    return out;
}

// (min x, max x, min y, max y): a different order from the ray's bound.
nb::object bound(nb::handle self) {
    Ends e = ends_of(self);
    geom::Box b = geom::segment_bound(e.start, e.end);
    return nb::make_tuple(b.min_x, b.max_x, b.min_y, b.max_y);
}

// Widened by epsilon on every side, borders included.
bool is_point_in_bound(nb::handle self, nb::handle point) {
    Ends e = ends_of(self);
    Vec2 p = pyu::read_xy(point);
    return geom::in_box(geom::segment_bound(e.start, e.end), p, eps());
}

// The direction of the line of anything with `to_line()` (a Segment, a Ray).
Vec2 line_direction_of(nb::handle other) {
    if (is_segment(other))
        return direction(other);
    nb::object line = pyu::call_method(other, key_to_line);
    Ends e = ends_of(line);
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
    EndObjects e = end_objects(self);
    return new_line(e.start, e.end);
}

nb::object copy(nb::handle self) {
    EndObjects e = end_objects(self);
    return new_segment(e.start, e.end);
}

}  // namespace

Vec2 direction(nb::handle self) {
    Ends e = ends_of(self);
    return e.end - e.start;
}

// On the line (triangle area strictly below epsilon) and in the widened bound.
bool is_point_on(nb::handle self, nb::handle point) {
    Ends e = ends_of(self);
    Vec2 p = pyu::read_xy(point);
    return geom::on_segment(e.start, e.end, p, eps());
}

// Swaps the two stored objects in place.
void reverse(nb::handle self) {
    EndObjects e = end_objects(self);
    set_start(self, e.end);
    set_end(self, e.start);
}

}  // namespace segment

nb::object segment_cross_segment(nb::handle segment, nb::handle other) {
    if (is_segment(segment))
        return segment::cross_segment(segment, other);
    return pyu::call_method(segment, segment::key_cross_segment, other);
}

void reverse_segment(nb::handle segment) {
    if (is_segment(segment))
        segment::reverse(segment);
    else
        pyu::call_method(segment, segment::key_reverse);
}

bool segment_contains(nb::handle segment, nb::handle point) {
    if (is_segment(segment))
        return segment::is_point_on(segment, point);
    return pyu::truthy(pyu::call_method(segment, segment::key_point_on, point));
}

void bind_segment(nb::module_ &m) {
    using namespace segment;
    pyu::Class<SegmentData> cls(m, "Segment", DOC(Segment),
                                {{"start", &SegmentData::start}, {"end", &SegmentData::end}});
    segment_type = cls.type();
    cls.init(&init, DOC(Segment, __init__), "start"_a, "end"_a)
        .method("__repr__", &text, DOC(Segment, __repr__))
        .method("__eq__", &equal, DOC(Segment, __eq__), "other"_a)
        .method("__hash__", &hash, DOC(Segment, __hash__))
        .attr("__iter__", make_iter_function())
        .property("vector", &vector, DOC(Segment, vector))
        .property("normal", &normal, DOC(Segment, normal))
        .property("unit_vector", &unit_vector, DOC(Segment, unit_vector))
        .property("unit_normal", &unit_normal, DOC(Segment, unit_normal))
        .property("length", &length, DOC(Segment, length))
        .property("midpoint", &midpoint, DOC(Segment, midpoint))
        .property("endpoints", &endpoints, DOC(Segment, endpoints))
        .method("reverse", &reverse, DOC(Segment, reverse))
        .property("bound", &bound, DOC(Segment, bound))
        .method("is_point_in_bound", &is_point_in_bound, DOC(Segment, is_point_in_bound), "point"_a)
        .method("is_point_on", &is_point_on, DOC(Segment, is_point_on), "point"_a)
        .method("is_parallel", &is_parallel, DOC(Segment, is_parallel), "other"_a)
        .method("is_perpendicular", &is_perpendicular, DOC(Segment, is_perpendicular), "other"_a)
        .method("to_line", &to_line, DOC(Segment, to_line))
        .method("copy", &copy, DOC(Segment, copy))
        .method("intersection_with_segment", &cross_segment, DOC(Segment, intersection_with_segment), "other"_a)
        .method("intersection_with_line", &cross_line, DOC(Segment, intersection_with_line), "other"_a)
        .method("intersection_with_ray", &cross_ray, DOC(Segment, intersection_with_ray), "other"_a)
        .method("extend_line", &extend_line, DOC(Segment, extend_line), "length"_a, "direction"_a = "both")
        .method("closest_point", &closest_point, DOC(Segment, closest_point), "point"_a)
        .method("distance_to_point", &distance_to_point, DOC(Segment, distance_to_point), "point"_a)
        .static_method("distance_between_segments", &distance_between_segments,
                       DOC(Segment, distance_between_segments), "seg1"_a, "seg2"_a)
        .method("point_at_parameter", &point_at_parameter, DOC(Segment, point_at_parameter), "t"_a)
        .method("point_at_length", &point_at_length, DOC(Segment, point_at_length), "length"_a)
        .method("parameter_at_point", &parameter_at_point, DOC(Segment, parameter_at_point), "point"_a)
        .method("length_at_point", &length_at_point, DOC(Segment, length_at_point), "point"_a)
        .method("divide_by_count", &divide_by_count, DOC(Segment, divide_by_count), "num_points"_a)
        .method("divide_by_length", &divide_by_length, DOC(Segment, divide_by_length), "interval"_a)
        .method("break_at_point", &break_at_point, DOC(Segment, break_at_point), "point"_a)
        .method("break_by_points", &break_by_points, DOC(Segment, break_by_points), "points"_a)
        .static_method("intersection_points", &intersection_points, DOC(Segment, intersection_points), "segments"_a)
        .method("closest_endpoint", &closest_endpoint, DOC(Segment, closest_endpoint), "point"_a)
        .method("farthest_endpoint", &farthest_endpoint, DOC(Segment, farthest_endpoint), "point"_a)
        .method("other_endpoint", &other_endpoint, DOC(Segment, other_endpoint), "point"_a)
        .method("extend_to_point", &extend_to_point, DOC(Segment, extend_to_point), "point"_a)
        .static_method("fillet", &fillet, DOC(Segment, fillet), "segment1"_a, "segment2"_a)
        .static_method("select_segments_containing_point", &select_segments_containing_point,
                       DOC(Segment, select_segments_containing_point), "point"_a, "segments"_a, "delete"_a = false)
        .static_method("select_segment_containing_point", &select_segment_containing_point,
                       DOC(Segment, select_segment_containing_point), "point"_a, "segments"_a, "delete"_a = false)
        .static_method("select_intersecting_segments", &select_intersecting_segments,
                       DOC(Segment, select_intersecting_segments), "segment"_a, "segments"_a, "delete"_a = false)
        .static_method("select_multi_intersection_segments", &select_multi_intersection_segments,
                       DOC(Segment, select_multi_intersection_segments), "segments_to_select"_a, "segments"_a)
        .static_method("extract_nodes_from_segments", &extract_nodes_from_segments,
                       DOC(Segment, extract_nodes_from_segments), "segments"_a, "ordered"_a = false)
        .method("move", &move, DOC(Segment, move), "vector"_a)
        .method("offset", &offset, DOC(Segment, offset), "distance"_a)
        .method("offset_both", &offset_both, DOC(Segment, offset_both), "distance"_a)
        .static_method("is_same_direction", &is_same_direction, DOC(Segment, is_same_direction), "segment1"_a,
                       "segment2"_a)
        .static_method("unify_direction", &unify_direction, DOC(Segment, unify_direction), "segment1"_a,
                       "segment2"_a)
        .static_method("tween_segment", &tween_segment, DOC(Segment, tween_segment), "segment1"_a, "segment2"_a,
                       "t"_a = 0.5, "unify"_a = true)
        .static_method("loft", &loft, DOC(Segment, loft), "l1"_a, "l2"_a)
        .static_method("construct_lines", &construct_lines, DOC(Segment, construct_lines), "points"_a)
        .static_method("plot_segments", &plot_segments, DOC(Segment, plot_segments), "segments"_a,
                       "names"_a = nb::none(), "show"_a = true);
}

}  // namespace strakel
