// The operations of Strakel.Segment, by theme; segment.cpp binds them all.
//   segment.cpp            value, properties, bound tests, the member table
//   segment_measures.cpp   crossings, extension, closest points, parameters, division
//   segment_editing.cpp    breaking, end point choice, fillet, moves, offsets, tweens, plots
//   segment_selection.cpp  selection from lists and node extraction
#pragma once

#include "Strakel/strakel.hpp"

namespace strakel::segment {

// The direction from start to end.
Vec2 direction(nb::handle self);
bool is_point_on(nb::handle self, nb::handle point);
void reverse(nb::handle self);

// Crossings, extension, closest points, parameters and division.
nb::object cross_segment(nb::handle self, nb::handle other);
nb::object cross_line(nb::handle self, nb::handle other);
nb::object cross_ray(nb::handle self, nb::handle other);
void extend_line(nb::handle self, nb::handle length, nb::handle direction);
nb::object closest_point(nb::handle self, nb::handle point);
double distance_to_point(nb::handle self, nb::handle point);
nb::object distance_between_segments(nb::handle seg1, nb::handle seg2);
nb::object point_at_parameter(nb::handle self, nb::handle t);
nb::object point_at_length(nb::handle self, nb::handle length);
nb::object parameter_at_point(nb::handle self, nb::handle point);
nb::object length_at_point(nb::handle self, nb::handle point);
nb::list divide_by_count(nb::handle self, nb::handle num_points);
nb::list divide_by_length(nb::handle self, nb::handle interval);

// Breaking, end points, fillet, moves, offsets, direction, tweens, lofts,
// pairs and plots.
nb::object break_at_point(nb::handle self, nb::handle point);
nb::list break_by_points(nb::handle self, nb::handle points);
nb::list intersection_points(nb::handle segments);
nb::object closest_endpoint(nb::handle self, nb::handle point);
nb::object farthest_endpoint(nb::handle self, nb::handle point);
nb::object other_endpoint(nb::handle self, nb::handle point);
void extend_to_point(nb::handle self, nb::handle point);
void fillet(nb::handle segment1, nb::handle segment2);
void move(nb::handle self, nb::handle vector);
nb::object offset(nb::handle self, nb::handle distance);
nb::list offset_both(nb::handle self, nb::handle distance);
bool is_same_direction(nb::handle segment1, nb::handle segment2);
void unify_direction(nb::handle segment1, nb::handle segment2);
nb::object tween_segment(nb::handle segment1, nb::handle segment2, nb::handle t, nb::handle unify);
nb::list loft(nb::handle l1, nb::handle l2);
nb::list construct_lines(nb::handle points);
void plot_segments(nb::handle segments, nb::handle labels, nb::handle show);

// Selection from lists and node extraction.
nb::list select_segments_containing_point(nb::handle point, nb::handle segments, nb::handle remove);
nb::object select_segment_containing_point(nb::handle point, nb::handle segments, nb::handle remove);
nb::list select_intersecting_segments(nb::handle segment, nb::handle segments, nb::handle remove);
nb::list select_multi_intersection_segments(nb::handle segments_to_select, nb::handle segments);
nb::list extract_nodes_from_segments(nb::handle segments, nb::handle ordered);

}  // namespace strakel::segment
