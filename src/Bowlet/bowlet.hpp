// Shared pieces of the Bowlet module: its module-level names (read when
// used), the storage of Circle and Arc, and the Point and Vector rules both
// classes apply through those names.
#pragma once

#include "core/basics/circle_arc.hpp"
#include "docs/Bowlet.hpp"
#include "pyutil/classes.hpp"
#include "pyutil/numpy_kernels.hpp"
#include "pyutil/pyutil.hpp"

#include <cmath>

namespace bowlet {

// ------------------------------------------------------------ names
// Module-level names looked up at every use: rebinding `Bowlet.Point` makes
// the next point Bowlet builds one of the new class, rebinding
// `Flatkin.epsilon` changes the next tolerant comparison.
namespace names {
// Bowlet's own namespace.
extern pyu::Name plt, math, point, vector, segment, circle;
// Flatkin's: the tolerance of the point and vector rules computed here in
// place of a call, and the classes Point + Vector and Vector.rotate build.
extern pyu::Name flat_epsilon, flat_point, flat_vector;
// Strakel's own tolerance (the bound tests of its segments and rays).
extern pyu::Name strakel_epsilon;
}  // namespace names

inline double flat_eps() { return names::flat_epsilon.get_double(); }

// Attribute names.
inline const pyu::Key key_center("center"), key_radius("radius"), key_circle("circle"),
    key_start_radians("start_radians"), key_end_radians("end_radians"), key_wise("wise"),
    key_start_point("start_point"), key_end_point("end_point");
inline const pyu::Key key_x("x"), key_y("y"), key_rotate("rotate"), key_bound("bound"), key_subplots("subplots"),
    key_add_patch("add_patch"), key_axis("axis"), key_show("show");

// ---------------------------------------------------------- storage
// Every attribute is the Python object given or computed, so numbers keep
// their type and points keep their identity.  An arc whose constructor found
// no complete set of inputs has none of its attributes (null members).
struct CircleData {
    nb::object center, radius;
};
struct ArcData {
    nb::object center, radius, circle, start_radians, end_radians, wise, start_point, end_point;
};

// Set by bind_circle and bind_arc.
extern PyTypeObject *circle_type, *arc_type;
// Strakel's Segment and Ray as Bowlet imported them (the classes, not their
// storage): the crossings with an exact instance are computed here.
extern PyTypeObject *segment_type, *ray_type;

// An instance of the exact class, not a subclass, whose __init__ has run:
// its members are read directly and its own methods called directly.  A
// subclass (which may override them), a foreign object or an instance made
// by `__new__` alone is asked by attribute.
inline bool is_circle(nb::handle h) { return pyu::is_own(h, circle_type); }
inline bool is_arc(nb::handle h) { return pyu::is_own(h, arc_type); }

// self.<key>, owned: straight from the member of an instance of the exact
// class `type`, through getattr for anything else.
template <class T>
nb::object stored(nb::handle self, nb::object T::*member, const pyu::Key &key, PyTypeObject *type) {
    if (pyu::is_own(self, type))
        return pyu::stored_value(self, member, key.name());
    return pyu::get_attr(self, key);
}
// self.<key> = value
template <class T>
void store(nb::handle self, nb::object T::*member, const pyu::Key &key, PyTypeObject *type, nb::handle value) {
    if (pyu::is_own(self, type))
        nb::inst_ptr<T>(self)->*member = nb::borrow(value);
    else
        pyu::set_attr(self, key, value);
}

// ----------------------------------------------- Point and Vector rules
using geom::Vec2;
using pyu::read_xy;
inline double dbl(nb::handle h) { return pyu::as_double(h); }

// Point(x, y) and Vector(x, y) through the module's current names.
inline nb::object new_point(Vec2 p) { return pyu::new_point(names::point, p); }
inline nb::object new_vector(Vec2 v) { return pyu::new_vector(names::vector, v); }
// Several new points in a row with nothing read in between: while `Point`
// holds our own class no Python code runs from one to the next, so the
// name cannot change and one look-up serves them all.
struct NewPoints {
    bool ours = names::point.holds(pyu::point_type);
    nb::object operator()(Vec2 p) const { return ours ? pyu::make_point(p) : pyu::new_point(names::point, p); }
};

// isinstance(h, Point) against the module's current `Point`.
inline bool is_point_instance(nb::handle h) {
    nb::object cls = names::point.get();
    return Py_TYPE(h.ptr()) == (PyTypeObject *) cls.ptr() || pyu::is_instance(h, cls);
}

// a == b, with Point's tolerant equality computed here for our own points.
inline bool points_equal(nb::handle a, nb::handle b) {
    if (pyu::is_point(a) && pyu::is_flat(b))
        return geom::tolerant_equal(read_xy(a), read_xy(b), flat_eps());
    return pyu::num_eq(a, b);
}

// vector.magnitude and vector.unit_vector of a Vector with these
// coordinates, by Vector's steps (OverflowError for a square out of range).
inline double magnitude_of(Vec2 v) { return pyu::py_magnitude(v.x, v.y); }
inline Vec2 unit_or_self(Vec2 v) { return geom::unit_or_self(v, magnitude_of(v), flat_eps()); }

inline geom::CosSin np_cos_sin(double angle) { return {pyu::np_cos(angle), pyu::np_sin(angle)}; }

// point.distance_to_point(other), computed here for our own Point.
double distance_between(nb::handle point, nb::handle other);
// point + Vector(v), computed here for our own Point while the names hold
// our own classes.
nb::object point_plus(nb::handle point, Vec2 v);
// Vector.angle(v1, v2) with its defaults, through the module's `Vector`:
// None, or the counter-clockwise angle in [0, 2 pi].  While `Vector` is
// Flatkin's own class (and v1 a plain Vector) the same steps run here.
nb::object vector_angle(Vec2 v1, Vec2 v2);
nb::object vector_angle(nb::handle v1, Vec2 v2);

// ------------------------------------------------ across the classes
// Circle(center, radius) and Circle(a, b, c) through the module's `Circle`.
nb::object make_circle(nb::handle center, nb::handle radius);
nb::object make_circle3(nb::handle a, nb::handle b, nb::handle c);
// circle.point_at_radians(radians), circle.evaluate_point_radians(point).
nb::object circle_point_at_radians(nb::handle circle, nb::handle radians);
nb::object circle_evaluate_point_radians(nb::handle circle, nb::handle point);

void bind_circle(nb::module_ &m);
void bind_arc(nb::module_ &m);

}  // namespace bowlet
