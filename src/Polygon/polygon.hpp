// Shared pieces of the Polygon module: its module-level names (read when
// used), the attribute names its classes read, and the roads that let a
// polygon's holes be tested in one pass of our own code.
//
// The four classes keep their state in the instance dictionary, as plain
// Python attributes: every member reads them when it runs, through the
// receiver, so a member called through the class with any object works too.
#pragma once

#include "core/basics/vec2.hpp"
#include "docs/Polygon.hpp"
#include "pyutil/classes.hpp"
#include "pyutil/pyutil.hpp"

#include <vector>

namespace polygon {

using geom::Vec2;

// Module-level names, looked up at every use: rebinding Polygon.Polyline or
// Polygon.r changes what the next call builds or draws from.
namespace names {
extern pyu::Name polyline, line, segment, vector, r, math, itertools, polygon, bar;
// What Point and Vector arithmetic builds (Flatkin's own names) and the two
// tolerances of the point and segment tests.
extern pyu::Name flat_point, flat_vector, flat_epsilon, seg_epsilon;
// The name under which the Polyline module builds its segments.
extern pyu::Name polyline_segment;
}  // namespace names

// Attribute and method names, interned once.
struct Keys {
    pyu::Key outer{"outer"}, inners{"inners"}, points{"points"}, out_points{"out_points"},
        inn_points{"inn_points"}, is_closed{"is_closed"}, is_self_intersecting{"is_self_intersecting"},
        is_convex{"is_convex"}, centroid{"centroid"}, bound{"bound"}, length{"length"}, area{"area"},
        is_clockwise{"is_clockwise"}, is_point_on{"is_point_on"}, is_point_in_bound{"is_point_in_bound"},
        is_point_inside{"is_point_inside"}, segments{"segments"}, get_polygons{"get_polygons"},
        start{"start"}, end{"end"}, append{"append"}, intersection_with_segment{"intersection_with_segment"},
        contains_point{"contains_point"}, contain_func{"contain_func"}, is_intersection{"is_intersection"},
        closest_point{"closest_point"}, unit_vector{"unit_vector"}, vector{"vector"}, rotate{"rotate"},
        radians{"radians"}, choice{"choice"}, remove{"remove"}, add_inner{"add_inner"},
        unequal_offset{"unequal_offset"}, get_a_rec{"get_a_rec"}, bounding_box{"bounding_box"},
        intersection{"intersection"}, divide_by_length{"divide_by_length"}, close{"close"};
};
const Keys &keys();

inline double flat_eps() { return names::flat_epsilon.get_double(); }
inline double seg_eps() { return names::seg_epsilon.get_double(); }

// New Point and Vector objects, as Point and Vector arithmetic makes them.
inline nb::object new_point(Vec2 p) { return pyu::new_point(names::flat_point, p); }
inline nb::object new_vector(Vec2 v) { return pyu::new_vector(names::flat_vector, v); }

// Captures, once the sibling modules are imported, the members whose own
// behaviour the fast roads below stand in for.
void capture_sibling_members();

// ------------------------------------------------------------ holes

// A hole read in one pass of our own code: a Polyline whose members are the
// class's own, its points a list of our own Point.  Reading it runs no
// Python code; false when the hole must be asked through its methods.
// For the inside test (is_point_inside, is_point_in_bound, bound).
bool read_hole_for_inside(nb::handle hole, std::vector<Vec2> &pts);
// For the crossing test (segments built by the Polyline module from
// Strakel's Segment, whose crossing is Strakel's own).
bool read_hole_for_crossing(nb::handle hole, std::vector<Vec2> &pts);

// The bodies of Polygon.contains_point and RecGenerator.is_intersection on
// plain handles, shared by the members and by the placer's tries.
bool polygon_contains(nb::handle polygon, nb::handle point);
bool segment_misses_holes(nb::handle polygon, nb::handle point1, nb::handle point2);

// Whether `obj.contains_point` (or another member) is still our own, so
// that our body may run directly.
bool is_own_contains_point(nb::handle polygon);

// `a != b` as the interpreter evaluates it (no identity shortcut); our own
// points compare tolerantly without a Python call.
bool points_differ(nb::handle a, nb::handle b);

void bind_polygon(nb::module_ &m);
void bind_bound(nb::module_ &m);
void bind_rec_generator(nb::module_ &m);
void bind_bar(nb::module_ &m);

}  // namespace polygon
