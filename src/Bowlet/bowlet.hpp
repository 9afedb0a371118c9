// Shared pieces of the Bowlet module: its module-level names (read at call
// time), the storage of Circle and Arc, and the small Python-semantics
// helpers both classes use.
#pragma once

#include "core/circle_arc.hpp"
#include "pyutil/gc.hpp"
#include "pyutil/method.hpp"
#include "pyutil/pyutil.hpp"

#include <span>
#include <utility>

namespace bowlet {

// A module-level name read at most once per call into this module: the
// first use in a call looks it up, later uses in the same call reuse it, and
// every entry from the interpreter (see `entry`) forgets it, so rebinding
// `Bowlet.Point` or `Flatkin.epsilon` between calls changes the next call.
// Counts the entries from the interpreter; a cached name is good for the
// entry that read it.
extern unsigned long entry_count;

class CachedName {
public:
    // Globals outlive the interpreter: the last value is left to the process
    // exit rather than released after finalisation.
    ~CachedName() { value_.release(); }
    void bind(nb::handle module, const char *name) { attr_.bind(module, name); }
    nb::handle get() {
        if (read_at_ != entry_count) {
            value_ = nb::borrow(attr_.get());
            read_at_ = entry_count;
            has_double_ = false;
        }
        return value_;
    }
    double get_double() {
        nb::handle v = get();
        if (!has_double_) {
            double_ = pyu::as_double(v);
            has_double_ = true;
        }
        return double_;
    }

private:
    pyu::ModuleAttr attr_;
    nb::object value_;
    unsigned long read_at_ = ~0ul;
    double double_ = 0.0;
    bool has_double_ = false;
};

// Names of the Bowlet namespace that the rules use.
extern CachedName mod_np, mod_plt, mod_math, mod_point, mod_vector, mod_segment, mod_circle;
// Flatkin's tolerance: the point and vector rules computed here in place of
// a call (tolerant equality, slopes, unit vectors) use it as Flatkin does.
extern CachedName flat_epsilon;
inline double flat_eps() { return flat_epsilon.get_double(); }
// Strakel's own tolerance (its bound tests) and its two bounded classes as
// they were imported: exact instances of these are read directly.
extern CachedName strakel_epsilon;
extern PyTypeObject *segment_type;
extern PyTypeObject *ray_type;

// Forgets every cached name: called on each entry from the interpreter.
inline void forget_names() { ++entry_count; }

// The bound form of a function: forgets the cached names, then runs it.
template <auto F>
struct Entry;
template <typename R, typename... A, R (*F)(A...)>
struct Entry<F> {
    static R call(A... args) {
        forget_names();
        return F(args...);
    }
};
template <auto F>
constexpr auto entry = &Entry<F>::call;

// Instance storage.  Every attribute is the Python object given or
// computed, so numbers keep their type and points keep their identity; the
// attributes are writable and take any value.  An arc whose constructor
// found no complete set of inputs has none of its attributes: its members
// stay null and reading one raises AttributeError.
struct CircleData {
    nb::object center, radius;
};
struct ArcData {
    nb::object center, radius, circle, start_radians, end_radians, wise, start_point, end_point;
};

// Interned attribute names.
namespace key {
extern PyObject *center, *radius, *circle, *start_radians, *end_radians, *wise, *start_point, *end_point;
// Read off the line-like objects a circle is intersected with.
extern PyObject *start, *end, *origin, *direction;
void init();
}  // namespace key

// Set by bind_circle / bind_arc.
extern PyTypeObject *circle_type;
extern PyTypeObject *arc_type;

// Where the C++ members of an exact Circle or Arc start, from the object's
// address (fixed per class; measured on a probe when the class is bound).
extern Py_ssize_t circle_offset, arc_offset;

// An instance of the exact class (not a subclass): its members are read
// directly, and rules that call another of its methods call it directly.
// A subclass (which may override them) or a foreign object is asked by
// attribute instead.  An instance whose __init__ never ran has all members
// null (the interpreter zeroes new instances) and reads as having none.
inline bool is_circle(nb::handle h) { return Py_TYPE(h.ptr()) == circle_type; }
inline bool is_arc(nb::handle h) { return Py_TYPE(h.ptr()) == arc_type; }
inline CircleData &circle_data(nb::handle h) { return *(CircleData *) ((char *) h.ptr() + circle_offset); }
inline ArcData &arc_data(nb::handle h) { return *(ArcData *) ((char *) h.ptr() + arc_offset); }

// The member of an exact Circle or Arc that stores the attribute `name`, or
// null for any other object or name.
inline nb::object *field_of(nb::handle obj, PyObject *name) {
    if (is_circle(obj)) {
        CircleData &d = circle_data(obj);
        return name == key::center ? &d.center : name == key::radius ? &d.radius : nullptr;
    }
    if (is_arc(obj)) {
        ArcData &d = arc_data(obj);
        nb::object *slots[] = {&d.center, &d.radius, &d.circle, &d.start_radians,
                               &d.end_radians, &d.wise, &d.start_point, &d.end_point};
        PyObject *names[] = {key::center, key::radius, key::circle, key::start_radians,
                             key::end_radians, key::wise, key::start_point, key::end_point};
        for (int i = 0; i < 8; ++i)
            if (names[i] == name)
                return slots[i];
    }
    return nullptr;
}

[[noreturn]] void missing_attribute(nb::handle obj, PyObject *name);

// obj.name, as the interpreter reads it.
inline nb::object get_attr(nb::handle obj, PyObject *name) {
    if (nb::object *f = field_of(obj, name)) {
        if (!f->is_valid())
            missing_attribute(obj, name);
        return *f;
    }
    PyObject *v = PyObject_GetAttr(obj.ptr(), name);
    if (!v)
        pyu::raise_current();
    return nb::steal(v);
}
// obj.name = value
inline void set_attr(nb::handle obj, PyObject *name, nb::handle value) {
    if (nb::object *f = field_of(obj, name)) {
        *f = nb::borrow(value);
        return;
    }
    if (PyObject_SetAttr(obj.ptr(), name, value.ptr()) != 0)
        pyu::raise_current();
}

bool truthy(nb::handle h);
// Unpacks an iterable into exactly n values, with the interpreter's errors.
void unpack(nb::handle seq, nb::object *out, Py_ssize_t n);

// A stored attribute exposed as writable (any value, None included); a null
// member reads as a missing attribute.
template <class Class, class T>
void def_stored(Class &cls, const char *class_name, const char *name, nb::object T::*field) {
    cls.def_prop_rw(
        name,
        [field, class_name, name](T &t) -> nb::object {
            nb::object &f = t.*field;
            if (!f.is_valid()) {
                PyErr_Format(PyExc_AttributeError, "'%s' object has no attribute '%s'", class_name, name);
                pyu::raise_current();
            }
            return f;
        },
        [field](T &t, nb::handle value) { t.*field = nb::borrow(value); }, nb::for_setter(nb::arg("value").none()));
}

using pyu::as_method;
using pyu::def_method;

void bind_circle(nb::module_ &m);
void bind_arc(nb::module_ &m);

// ------------------------------------------------------- Python numbers
// The interpreter's operators on any two objects (ints stay ints).
nb::object num_add(nb::handle a, nb::handle b);
nb::object num_sub(nb::handle a, nb::handle b);
nb::object num_mul(nb::handle a, nb::handle b);
nb::object num_div(nb::handle a, nb::handle b);
nb::object num_pow(nb::handle a, nb::handle b);
nb::object num_abs(nb::handle a);
bool num_lt(nb::handle a, nb::handle b);
bool num_gt(nb::handle a, nb::handle b);
bool num_le(nb::handle a, nb::handle b);
bool num_eq(nb::handle a, nb::handle b);
// A value as the float that math functions see (float(x) rules of
// PyFloat_AsDouble: __float__ or __index__; text raises TypeError).
inline double dbl(nb::handle h) { return pyu::as_double(h); }
nb::object int_obj(long v);

// --------------------------------------------------------- points
inline geom::Vec2 xy(nb::handle h) {
    pyu::XY p = pyu::read_xy(h);
    return {p.x, p.y};
}
// New Point / Vector through the module's current `Point` / `Vector`: our
// own classes are filled directly, anything rebound in their place is
// called with the two floats.
nb::object new_point(geom::Vec2 p);
// The same with the class already looked up (several points in one call).
nb::object new_point(nb::handle cls, geom::Vec2 p);
nb::object new_vector(geom::Vec2 v);
// isinstance(obj, Point) against the module's current `Point`.
bool is_point_instance(nb::handle h);
// a == b with Point's tolerant equality (direct for our own points).
bool points_equal(nb::handle a, nb::handle b);
// point.distance_to_point(other): for our own Point its steps (the squares
// as float powers, OverflowError when one leaves the double range).
double distance_between(nb::handle point, nb::handle other);
// vector.magnitude of a Vector with these coordinates, by the same steps.
double magnitude_of(geom::Vec2 v);
// point + vector, for a vector given by its coordinates.
nb::object point_plus(nb::handle point, geom::Vec2 v);
// vector.unit_vector for a vector given by its coordinates: the vector
// itself (as a new Vector) when it is no longer than Flatkin's epsilon.
geom::Vec2 unit_or_self(geom::Vec2 v);
// numpy.arccos of a float, by numpy's own double loop (the interpreter is
// not involved; results are numpy's to the last bit).
double np_arccos(double c);
// numpy.cos and numpy.sin of a float, and of many (the same kernels).
geom::CosSin np_cos_sin(double angle);
void np_cos_sin(std::span<const double> angles, std::span<double> cos, std::span<double> sin);
// Vector.angle(v1, v2) with its defaults, through the module's `Vector`:
// None, or the counter-clockwise angle in [0, 2 pi].  While `Vector` is
// Flatkin's own class and the vectors are plain Vectors, the same steps run
// here without a call.
nb::object vector_angle(geom::Vec2 v1, geom::Vec2 v2);
nb::object vector_angle(nb::handle v1, geom::Vec2 v2);

// ----------------------------------------------------------- calls
// Circle(center, radius) through the module's current `Circle`.
nb::object make_circle(nb::handle center, nb::handle radius);
nb::object make_circle3(nb::handle a, nb::handle b, nb::handle c);

// Circle methods that Arc calls on its supporting circle.
nb::object circle_point_at_radians(nb::handle circle, nb::handle radians);
nb::object circle_evaluate_point_radians(nb::handle circle, nb::handle point);

// obj.name, raising AttributeError as the interpreter does.
inline nb::object attr(nb::handle obj, const char *name) { return obj.attr(name); }

}  // namespace bowlet
