// Pieces of Strakel shared by its classes: the module-level names read at
// call time, point reads, the Point/Vector measures the classes delegate to,
// and the storage of Line and Ray (so other classes can build lines and read
// rays without going through the interpreter).
#pragma once

#include "Strakel/bindings.hpp"
#include "core/line_segment_ray.hpp"
#include "pyutil/gc.hpp"

namespace strakel {

// Module-level names of Strakel, bound at import and read at every call.
// `flatkin_epsilon` is Flatkin's own binding: the tolerance of the Point and
// Vector operations the classes delegate to (the vertical test of a
// crossing, the unit vector of a short vector), which follows a rebinding of
// Flatkin.epsilon while Strakel.epsilon does not.
namespace names {
extern pyu::ModuleAttr np, plt, random, flatkin_epsilon;
}
inline double flat_eps() { return names::flatkin_epsilon.get_double(); }

inline geom::Vec2 xy(nb::handle h) {
    pyu::XY p = pyu::read_xy(h);
    return {p.x, p.y};
}
inline nb::object point_obj(geom::Vec2 p) { return pyu::make_point(p.x, p.y); }
inline nb::object vector_obj(geom::Vec2 v) { return pyu::make_vector(v.x, v.y); }

// The Vector measures with the interpreter's errors: OverflowError when a
// square leaves the double range (math.pow, float **), ZeroDivisionError for
// the projection on a line of coinciding points.
// Draws each item's start-end pair with plt.plot, in its colour (the item's
// entry of `colours`, a sequence of colour-cycle entries) and with its label
// when `labels` is true, then the legend and, when `show` is true, the
// figure.
void plot_ends(nb::handle pyplot, nb::handle items, nb::handle colours, nb::handle labels, nb::handle show);

inline double py_magnitude(geom::Vec2 v) { return pyu::py_magnitude(v.x, v.y); }
inline double py_distance(geom::Vec2 a, geom::Vec2 b) { return pyu::py_distance(a.x - b.x, a.y - b.y); }
// Vector.unit_vector: unnormalised when no longer than Flatkin's epsilon.
geom::Vec2 unit_of(geom::Vec2 v);
// Vector.projection_point(a, b, c).
geom::Vec2 projection_foot(geom::Vec2 a, geom::Vec2 b, geom::Vec2 c);
// truth of any object, as `if x:` tests it.
bool truthy(nb::handle h);

// ------------------------------------------------------------------ Line

struct LineData {
    nb::object start, end;
};

// A ready Line (or subclass) instance whose fields can be read directly.
bool is_line(nb::handle h);
// Exactly our Line class: its own operations can run without a call, as no
// subclass may have replaced them.
bool is_plain_line(nb::handle h);
inline LineData &line_fields(nb::handle h) { return *nb::inst_ptr<LineData>(h); }
// A new Line sharing the two given objects.
nb::object make_line(nb::handle start, nb::handle end);
// The two defining points of a Line, or of anything with `start` and `end`.
struct Ends {
    geom::Vec2 start, end;
};
Ends line_ends(nb::handle line);
// `line.intersection_with_line(other)` of a Line receiver, without the call.
nb::object line_cross_line(nb::handle line, nb::handle other);

// ------------------------------------------------------------------- Ray

struct RayData {
    nb::object origin, direction, unit_vector;
};

bool is_ray(nb::handle h);
bool is_plain_ray(nb::handle h);
inline RayData &ray_fields(nb::handle h) { return *nb::inst_ptr<RayData>(h); }
// `ray.intersection_with_line(line)` of a Ray receiver, without the call.
nb::object ray_cross_line(nb::handle ray, nb::handle line);
// `ray.intersection_with_segment(segment)` of a Ray receiver.
nb::object ray_cross_segment(nb::handle ray, nb::handle segment);

// A stored Python object exposed as a writable attribute that takes any
// value, None included.
template <auto Field, class Class>
void def_object_attr(Class &cls, const char *name) {
    using T = typename Class::Type;
    cls.def_prop_rw(
        name, [](T &t) { return t.*Field; }, [](T &t, nb::handle value) { t.*Field = nb::borrow(value); },
        nb::for_setter(nb::arg("value").none()));
}

}  // namespace strakel
