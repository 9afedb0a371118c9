// Shared pieces of the Polyline module: its module-level names, read when
// used, the receiver's points read once per call, and the members that
// other members call through the receiver.
//
// A polyline keeps the caller's own point list as its `points` attribute,
// in the instance dictionary, never copied and never cached: every call
// reads the list afresh, once, into coordinates (our own Points through
// their fields, anything else through `x` and `y`), hands them to the core
// kernels and builds the result, keeping the caller's Point objects wherever
// a result keeps a vertex.
#pragma once

#include "core/outline/polyline.hpp"
#include "docs/Polyline.hpp"
#include "pyutil/classes.hpp"
#include "pyutil/pyutil.hpp"

#include <span>

namespace polyline {

using geom::Vec2;

// A Polyline keeps no C++ state: `points` lives in the instance dictionary.
struct PolylineData {};

// Module-level names of Polyline, looked up at every use.  `flat_epsilon`
// is Flatkin's own epsilon (point equality, the vertical test of a line
// crossing, short vectors) and `seg_epsilon` Strakel's (segment bounds and
// on-line tests): the two tolerances the points and segments would use.
namespace names {
extern pyu::Name point, vector, segment, line, ray, arc, polyline, plt, np, flat_epsilon, seg_epsilon;
// Flatkin's own Point: what a point's own methods (tween, +, rotate) build.
extern pyu::Name flat_point;
}

// The classes of Strakel as it defined them, for exact type tests: an
// argument of exactly one of these answers its crossings as Strakel does.
namespace strakel {
extern PyObject *line_type, *segment_type, *ray_type;
}

// The receiver's tolerances, read when the call runs.
inline geom::Tolerances tolerances() { return {names::flat_epsilon.get_double(), names::seg_epsilon.get_double()}; }

// The receiver's points, read once: coordinates, and the stored objects on
// demand.  Read it after everything else a call converts or reads, so that
// no Python code runs between the read and the use of the coordinates.
struct Vertices {
    nb::object seq;  // the `points` object itself
    pyu::PointList list;
    std::span<const Vec2> xy() const { return list.coords; }
    size_t size() const { return list.size(); }
    // The stored object at i (the caller's own Point).
    nb::object item(size_t i) const;
    // points[-1]: the sequence's own IndexError when it holds none.
    nb::object last() const;
    // The segment lengths (a square beyond the double range raises
    // OverflowError, as Segment.length does).
    std::vector<double> lengths() const;
};
Vertices vertices(nb::handle self, bool keep_items = false);
nb::object points_of(nb::handle self);
// A list or tuple of our own Points only (their fields can be read as is).
bool only_our_points(nb::handle seq);

// Raises what the plain steps would have raised.
[[noreturn]] void raise_fault(geom::Fault fault);
inline void check(geom::Fault fault) {
    if (fault != geom::Fault::none)
        raise_fault(fault);
}

// `a == b` of two points: tolerant for our own Points, their own `==` for
// anything else.
bool points_equal(nb::handle a, nb::handle b);

// New objects through the module's names as they are now.
inline nb::object new_point(Vec2 p) { return pyu::new_point(names::point, p); }
inline nb::object new_vector(Vec2 v) { return pyu::new_vector(names::vector, v); }
nb::object new_segment(nb::handle start, nb::handle end);
nb::object new_polyline(nb::handle points);
nb::object new_ray(nb::handle origin, nb::handle direction);

// Members that others call through the receiver (`self.is_closed()`,
// `self.is_point_on(point)`, ...).  own(self, m) holds while `self.m` is
// still the class's own member, which may then run directly.
enum class Member {
    is_closed,
    bound,
    select_segment_containing_point,
    select_segment_close_to_point,
    tangent_ray_at_point,
    normal_ray_at_point,
    intersection,
    is_point_in_bound,
    is_point_on,
    is_point_inside,
    is_segment_inside,
    is_polyline_inside,
    point_at_length,
    length,
    wise,
    is_convex,
    convex_hull,
    find_discontinuity,
    extend,
    shorten,
    break_by_point,
    break_by_points,
    break_by_parameter,
    break_by_parameters,
    break_by_tuple,
    count_
};
const pyu::Key &key_of(Member m);
bool own(nb::handle self, Member m);
nb::object call_member(nb::handle self, Member m, nb::handle arg);
nb::object call_member(nb::handle self, Member m);
// self.m for a property or attribute member, through the receiver.
nb::object get_member(nb::handle self, Member m);
void remember_members(nb::handle cls);

// self.is_closed(), through the receiver.
bool closed(nb::handle self);

// The class and its member table (class.cpp).
extern PyTypeObject *polyline_type;
void bind_polyline(nb::module_ &m);

// ---------------------------------------------------------------- members
// Identity, segments and measures (core.cpp).
void init(nb::handle self, nb::handle points);
std::string text(nb::handle self);
bool equal(nb::handle self, nb::handle other);
Py_hash_t hash(nb::handle self);
nb::object iter(nb::handle self);
void reverse(nb::handle self);
bool is_closed(nb::handle self);
nb::object close(nb::handle self);
bool is_self_intersecting(nb::handle self);
nb::list segments(nb::handle self);
Py_ssize_t count(nb::handle self);
nb::object length(nb::handle self);
nb::object start(nb::handle self);
nb::object end(nb::handle self);
nb::object midpoint(nb::handle self);
nb::object centroid(nb::handle self);
nb::object mean(nb::handle self);
double longest_edge(nb::handle self);
double shortest_edge(nb::handle self);
nb::object bound(nb::handle self);

// Bounding boxes, the hull, one winding (boxes.cpp).
nb::object bounding_box(nb::handle self, nb::handle vector, nb::handle typ);
nb::object minimum_bounding_box(nb::handle self);
nb::object longest_edge_box(nb::handle self);
nb::object set_vector_box(nb::handle self, nb::handle vector);
nb::list convex_hull(nb::handle points);
nb::object unify_direction(nb::handle polylines);

// Offsets (offsets.cpp).
nb::list find_discontinuity(nb::handle self);
nb::dict degenerate_distance(nb::handle self);
nb::object offset(nb::handle self, nb::handle distance);
nb::object unequal_offset(nb::handle self, nb::handle dis_lst);

// Joining and reshaping (reshaping.cpp).
nb::object join(nb::handle segments, nb::handle ordered);
nb::object loft(nb::handle self, nb::handle other_polyline);
nb::object tween(nb::handle self, nb::handle other_polyline, nb::handle t);
nb::object extend(nb::handle self, nb::handle length);
nb::object shorten(nb::handle self, nb::handle length);
nb::object adjust_length(nb::handle self, nb::handle length);
nb::object move(nb::handle self, nb::handle vector);
nb::object rotate(nb::handle self, nb::handle angle, nb::handle point);

// Breaking (breaking.cpp).
nb::object break_by_point(nb::handle self, nb::handle point);
nb::object break_by_points(nb::handle self, nb::handle points);
nb::object break_by_parameter(nb::handle self, nb::handle t);
nb::object break_by_parameters(nb::handle self, nb::handle parameters);
nb::tuple break_by_interval(nb::handle self, nb::handle interval);
nb::object break_by_intervals(nb::handle self, nb::handle intervals);
nb::object break_by_tuple(nb::handle self, nb::handle points);
nb::list break_by_tuples(nb::handle self, nb::handle tuples);

// Chamfers and fillets (fillets.cpp).
nb::object chamfer_t(nb::handle segment0, nb::handle segment1, nb::handle radius);
nb::object segment_chamfer(nb::handle segment0, nb::handle segment1, nb::handle radius);
nb::object polyline_chamfer(nb::handle polyline, nb::handle radius);
nb::object segment_fillet(nb::handle segment0, nb::handle segment1, nb::handle radius, nb::handle number);
nb::object polyline_fillet(nb::handle polyline, nb::handle radius, nb::handle number);

// Area, winding and convexity (winding.cpp).
double area(nb::handle self);
nb::object is_clockwise(nb::handle self);
nb::object simple_wise(nb::handle self);
int wise(nb::handle self);
nb::object start_vector(nb::handle self);
nb::object end_vector(nb::handle self);
bool is_convex(nb::handle self);

// One point against the polyline (queries.cpp).
nb::object select_segment_containing_point(nb::handle self, nb::handle point);
nb::object select_segment_close_to_point(nb::handle self, nb::handle point);
nb::object tangent_at_point(nb::handle self, nb::handle point);
nb::object normal_at_point(nb::handle self, nb::handle point);
nb::object tangent_ray_at_point(nb::handle self, nb::handle point);
nb::object tangent_line_at_point(nb::handle self, nb::handle point);
nb::object normal_ray_at_point(nb::handle self, nb::handle point);
nb::object normal_line_at_point(nb::handle self, nb::handle point);
nb::object closest_point(nb::handle self, nb::handle point);
nb::list intersection(nb::handle self, nb::handle other);

// Containment (containment.cpp).
bool is_point_in_bound(nb::handle self, nb::handle point);
bool is_point_on(nb::handle self, nb::handle point);
bool is_point_inside(nb::handle self, nb::handle point);
bool is_segment_inside(nb::handle self, nb::handle segment);
bool is_polyline_inside(nb::handle self, nb::handle other_polyline);
int contains_point(nb::handle self, nb::handle point);
nb::tuple contains_points(nb::handle self, nb::handle points);
nb::tuple contains_segments(nb::handle self, nb::handle segments);
nb::tuple contains_polylines(nb::handle self, nb::handle polylines);

// Positions along the polyline (division.cpp).
nb::object point_at_parameter(nb::handle self, nb::handle t);
nb::object point_at_length(nb::handle self, nb::handle length);
nb::object evaluate_point(nb::handle self, nb::handle point, nb::handle method);
nb::list divide_by_count(nb::handle self, nb::handle count);
nb::list divide_by_length(nb::handle self, nb::handle length);

// The plot (division.cpp keeps it company: it is short).
void plot_polylines(nb::handle polylines, nb::handle name, nb::handle show);

}  // namespace polyline
