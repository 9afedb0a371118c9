// Shared pieces of Strakel: its module-level names (read when used), the
// storage of Line, Segment and Ray, owned reads of their points, the Point
// and Vector rules every class follows, and the few operations one class
// runs for another without a call.
#pragma once

#include "core/basics/line_segment_ray.hpp"
#include "docs/Strakel.hpp"
#include "pyutil/classes.hpp"
#include "pyutil/pyutil.hpp"

namespace strakel {

using geom::Vec2;

// ------------------------------------------------------------ names

// Module-level names of Strakel, looked up at every use.  `flatkin_epsilon`
// is Flatkin's own binding: the tolerance of the Point and Vector rules the
// classes follow (the vertical test of a crossing, the unit vector of a short
// vector), which follows a rebinding of Flatkin.epsilon while Strakel's
// `epsilon` (bound once at import) does not.  `flatkin_vector` is Flatkin's
// own `Vector`: what a Vector's `unit_vector` builds when it is asked for.
namespace names {
extern pyu::Name epsilon, flatkin_epsilon, flatkin_vector, point, vector, line, segment, np, plt, random;
}
inline double eps() { return names::epsilon.get_double(); }
inline double flat_eps() { return names::flatkin_epsilon.get_double(); }

// Attribute names read off foreign objects.
inline const pyu::Key key_start("start"), key_end("end"), key_origin("origin"), key_direction("direction"),
    key_unit_vector("unit_vector"), key_vector("vector"), key_x("x"), key_y("y");

// ------------------------------------------------------------ storage

struct LineData {
    nb::object start, end;
};
struct SegmentData {
    nb::object start, end;
};
struct RayData {
    nb::object origin, direction, unit_vector;
};

// Our classes, once bound.
extern PyTypeObject *line_type, *segment_type, *ray_type;

// Exactly our class: its stored fields are read directly and its own
// operations run without a call.  A subclass may redefine attributes and
// operations, so it is asked through them.  An instance of our class whose
// __init__ never ran raises TypeError.
[[noreturn]] void not_initialised(PyTypeObject *type);
inline bool is_exact(nb::handle h, PyTypeObject *type) {
    if (Py_TYPE(h.ptr()) != type)
        return false;
    if (!nb::inst_ready(h))
        not_initialised(type);
    return true;
}
inline bool is_line(nb::handle h) { return is_exact(h, line_type); }
inline bool is_segment(nb::handle h) { return is_exact(h, segment_type); }
inline bool is_ray(nb::handle h) { return is_exact(h, ray_type); }
inline LineData &line_fields(nb::handle h) { return *nb::inst_ptr<LineData>(h); }
inline SegmentData &segment_fields(nb::handle h) { return *nb::inst_ptr<SegmentData>(h); }
inline RayData &ray_fields(nb::handle h) { return *nb::inst_ptr<RayData>(h); }

// --------------------------------------------------------- end points

// The two points of a line or a segment as owned objects: our own through
// their fields (an end never set raises AttributeError), anything else
// through `start` and then `end`.  Held, they stay alive whatever Python
// code runs while their coordinates are read.
struct EndObjects {
    nb::object start, end;
};
EndObjects end_objects(nb::handle h);
// One of them alone, owned.
nb::object start_object(nb::handle h);
nb::object end_object(nb::handle h);
// Their coordinates, the start's x and y first.
struct Ends {
    Vec2 start, end;
};
Ends ends_of(nb::handle h);
// Both.
struct EndPoints {
    nb::object start, end;
    Vec2 a, b;
};
EndPoints end_points(nb::handle h);

// Stores new ends: our own instances' fields directly, anything else through
// its attributes (start first).
void set_start(nb::handle h, nb::handle p);
void set_end(nb::handle h, nb::handle p);

// ---------------------------------------------------------- new objects

// Through the module's current names: our own classes are filled directly,
// anything rebound in their place is called.
inline nb::object new_point(Vec2 p) { return pyu::new_point(names::point, p); }
inline nb::object new_vector(Vec2 v) { return pyu::new_vector(names::vector, v); }
nb::object new_line(nb::handle start, nb::handle end);
nb::object new_segment(nb::handle start, nb::handle end);

// ------------------------------------------------------------ measures

// Vector.magnitude: OverflowError "math range error" when a square leaves
// the double range.
inline double py_magnitude(Vec2 v) { return pyu::py_magnitude(v.x, v.y); }
// Point.distance_to_point, with the float power's OverflowError.
inline double py_distance(Vec2 a, Vec2 b) { return pyu::py_distance(a.x - b.x, a.y - b.y); }
// Vector.unit_vector: unnormalised when no longer than Flatkin's epsilon.
inline Vec2 unit(Vec2 v) { return geom::unit_or_self(v, py_magnitude(v), flat_eps()); }
// Vector.projection_point(a, b, c): ZeroDivisionError when a and b coincide.
Vec2 projection_foot(Vec2 a, Vec2 b, Vec2 c);
// `int 0`: what the measures return for a degenerate segment.
inline nb::object int_zero() { return pyu::int_obj(0); }

// ------------------------------------------------------------ plots

// The entries of plt.rcParams['axes.prop_cycle'], as a new list.
nb::object colour_cycle(nb::handle pyplot);
// Draws each item's start-end pair with plt.plot, in its colour (the item's
// entry of `colours`, a sequence of colour-cycle entries) and with its label
// when `labels` is true, then the legend and, when `show` is true, the
// figure.  Items are walked on a snapshot.
void plot_ends(nb::handle pyplot, nb::handle items, nb::handle colours, nb::handle labels, nb::handle show);

// ----------------------------------------- operations run for another class

// `line.intersection_with_line(other)` of a Line receiver (anything with
// `start` and `end`), without the call.
nb::object line_cross_line(nb::handle line, nb::handle other);
// `ray.intersection_with_line(line)` and `ray.intersection_with_segment(s)`
// of a Ray receiver.
nb::object ray_cross_line(nb::handle ray, nb::handle line);
nb::object ray_cross_segment(nb::handle ray, nb::handle segment);
// `segment.intersection_with_segment(other)`, `segment.reverse()` and
// `segment.is_point_on(point)`: run here for our own Segment, asked of the
// object otherwise.
nb::object segment_cross_segment(nb::handle segment, nb::handle other);
void reverse_segment(nb::handle segment);
bool segment_contains(nb::handle segment, nb::handle point);

// ------------------------------------------------------------ binders

void bind_line(nb::module_ &m);
void bind_segment(nb::module_ &m);
void bind_ray(nb::module_ &m);
void bind_segment_collection(nb::module_ &m);

}  // namespace strakel
