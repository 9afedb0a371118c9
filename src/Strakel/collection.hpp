// The operations of Strakel.SegmentCollection, by theme; collection.cpp
// binds them all.
//   collection.cpp          construction, list protocol, points, weights, cleaning, the member table
//   collection_network.cpp  the split at crossings, the turn rules, the walks and the polygons
//
// The collection keeps its state as ordinary instance attributes (`segments`,
// `dict` and the four walk attributes), so a caller may read, replace or
// delete them as on any object.  Every operation reads them when it runs and
// walks the lists it finds there on a snapshot.
#pragma once

#include "Strakel/strakel.hpp"

namespace strakel::collection {

inline const pyu::Key key_segments("segments"), key_dict("dict"), key_current_dir("current_dir"),
    key_current_pt("current_pt"), key_current_seg("current_seg"), key_end_pt("end_pt");

inline nb::object segments_of(nb::handle self) { return pyu::get_attr(self, key_segments); }
inline nb::object marks_of(nb::handle self) { return pyu::get_attr(self, key_dict); }

enum class Cleaning { isolated, open_once, open_repeated };
// Removes the segments the rule picks, all weights taken before anything goes.
void clean(nb::handle self, Cleaning rule);

// The split, the turn rules and the walks.
void get_connections(nb::handle self);
nb::list get_adjacent_segments(nb::handle self, nb::handle point);
nb::object set_direction_by_point(nb::handle segments, nb::handle point);
nb::object get_right_segment(nb::handle segments, nb::handle vector);
nb::object get_left_segment(nb::handle segments, nb::handle vector);
nb::list get_contour_segments(nb::handle self, nb::handle split, nb::handle clean);
nb::list get_loop_segments(nb::handle self, nb::handle split, nb::handle clean);
nb::list get_polygons(nb::handle self, nb::handle split, nb::handle clean);

}  // namespace strakel::collection
