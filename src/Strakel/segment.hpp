// Storage of Strakel.Segment and the few segment operations other classes of
// the module reach without going through the interpreter.
#pragma once

#include "Strakel/line_ray.hpp"

namespace strakel {

struct SegmentData {
    nb::object start, end;
};

// A ready Segment (or subclass) instance whose fields can be read directly.
bool has_segment_fields(nb::handle h);
// Exactly our Segment class: its own operations can run without a call, as
// no subclass may have replaced them.
bool is_plain_segment(nb::handle h);
inline SegmentData &segment_fields(nb::handle h) { return *nb::inst_ptr<SegmentData>(h); }

// A new Segment holding the two given objects.
nb::object make_segment(nb::handle start, nb::handle end);
// The stored end point objects of a Segment, or of anything with `start` and `end`.
nb::object segment_start(nb::handle s);
nb::object segment_end(nb::handle s);
// Their coordinates.
Ends segment_ends(nb::handle s);
// Both: the stored end point objects and their coordinates.
struct EndPoints {
    nb::object start, end;
    geom::Vec2 a, b;
};
EndPoints end_points(nb::handle s);

// `segment.intersection_with_segment(other)`: run here for our own Segment,
// asked of the object otherwise.
nb::object segment_cross_segment(nb::handle segment, nb::handle other);
// `segment.reverse()`, likewise.
void reverse_segment(nb::handle segment);

}  // namespace strakel
