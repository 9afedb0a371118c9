// Module Bowlet: circles and arcs.  Initialisation imports the outside
// packages and the sibling classes under the names the namespace keeps, then
// creates Circle and Arc.
#include "Bowlet/bowlet.hpp"
#include "pyutil/numpy_kernels.hpp"

#include <structmember.h>

#include <cmath>
#include <cstddef>
#include <cstring>
#include <initializer_list>

namespace bowlet {

CachedName mod_np, mod_plt, mod_math, mod_point, mod_vector, mod_segment, mod_circle;
CachedName flat_epsilon;
CachedName strakel_epsilon;

unsigned long entry_count = 0;
Py_ssize_t circle_offset = 0, arc_offset = 0;
PyTypeObject *segment_type = nullptr;
PyTypeObject *ray_type = nullptr;

namespace key {
PyObject *center, *radius, *circle, *start_radians, *end_radians, *wise, *start_point, *end_point;
PyObject *start, *end, *origin, *direction;
void init() {
    center = PyUnicode_InternFromString("center");
    radius = PyUnicode_InternFromString("radius");
    circle = PyUnicode_InternFromString("circle");
    start_radians = PyUnicode_InternFromString("start_radians");
    end_radians = PyUnicode_InternFromString("end_radians");
    wise = PyUnicode_InternFromString("wise");
    start_point = PyUnicode_InternFromString("start_point");
    end_point = PyUnicode_InternFromString("end_point");
    start = PyUnicode_InternFromString("start");
    end = PyUnicode_InternFromString("end");
    origin = PyUnicode_InternFromString("origin");
    direction = PyUnicode_InternFromString("direction");
}
}  // namespace key

void missing_attribute(nb::handle obj, PyObject *name) {
    const char *type = Py_TYPE(obj.ptr())->tp_name;
    if (const char *dot = std::strrchr(type, '.'))
        type = dot + 1;
    PyErr_Format(PyExc_AttributeError, "'%s' object has no attribute '%U'", type, name);
    pyu::raise_current();
}

bool truthy(nb::handle h) {
    int t = PyObject_IsTrue(h.ptr());
    if (t < 0)
        pyu::raise_current();
    return t == 1;
}

void unpack(nb::handle seq, nb::object *out, Py_ssize_t n) {
    nb::object items = nb::steal(PySequence_Fast(seq.ptr(), "cannot unpack non-iterable object"));
    if (!items.is_valid())
        pyu::raise_current();
    Py_ssize_t got = PySequence_Fast_GET_SIZE(items.ptr());
    if (got > n) {
        PyErr_Format(PyExc_ValueError, "too many values to unpack (expected %zd)", n);
        pyu::raise_current();
    }
    if (got < n) {
        PyErr_Format(PyExc_ValueError, "not enough values to unpack (expected %zd, got %zd)", n, got);
        pyu::raise_current();
    }
    PyObject **v = PySequence_Fast_ITEMS(items.ptr());
    for (Py_ssize_t i = 0; i < n; ++i)
        out[i] = nb::borrow(v[i]);
}

// ------------------------------------------------------- Python numbers

namespace {
nb::object checked(PyObject *o) {
    if (!o)
        pyu::raise_current();
    return nb::steal(o);
}
bool compare(nb::handle a, nb::handle b, int op) {
    int r = PyObject_RichCompareBool(a.ptr(), b.ptr(), op);
    if (r < 0)
        pyu::raise_current();
    return r == 1;
}
}  // namespace

nb::object num_add(nb::handle a, nb::handle b) { return checked(PyNumber_Add(a.ptr(), b.ptr())); }
nb::object num_sub(nb::handle a, nb::handle b) { return checked(PyNumber_Subtract(a.ptr(), b.ptr())); }
nb::object num_mul(nb::handle a, nb::handle b) { return checked(PyNumber_Multiply(a.ptr(), b.ptr())); }
nb::object num_div(nb::handle a, nb::handle b) { return checked(PyNumber_TrueDivide(a.ptr(), b.ptr())); }
nb::object num_pow(nb::handle a, nb::handle b) { return checked(PyNumber_Power(a.ptr(), b.ptr(), Py_None)); }
nb::object num_abs(nb::handle a) { return checked(PyNumber_Absolute(a.ptr())); }
bool num_lt(nb::handle a, nb::handle b) { return compare(a, b, Py_LT); }
bool num_gt(nb::handle a, nb::handle b) { return compare(a, b, Py_GT); }
bool num_le(nb::handle a, nb::handle b) { return compare(a, b, Py_LE); }
bool num_eq(nb::handle a, nb::handle b) {
    // `a == b` as the interpreter evaluates it: no identity shortcut.
    nb::object r = checked(PyObject_RichCompare(a.ptr(), b.ptr(), Py_EQ));
    int t = PyObject_IsTrue(r.ptr());
    if (t < 0)
        pyu::raise_current();
    return t == 1;
}
nb::object int_obj(long v) { return pyu::int_obj(v); }

// --------------------------------------------------------- points

nb::object new_point(nb::handle cls, geom::Vec2 p) {
    if (cls.ptr() == (PyObject *) pyu::point_type)
        return pyu::make_point(p.x, p.y);
    return cls(pyu::float_obj(p.x), pyu::float_obj(p.y));
}

nb::object new_point(geom::Vec2 p) { return new_point(mod_point.get(), p); }

nb::object new_vector(geom::Vec2 v) {
    nb::handle cls = mod_vector.get();
    if (cls.ptr() == (PyObject *) pyu::vector_type)
        return pyu::make_vector(v.x, v.y);
    return cls(pyu::float_obj(v.x), pyu::float_obj(v.y));
}

bool is_point_instance(nb::handle h) {
    nb::handle cls = mod_point.get();
    if (Py_TYPE(h.ptr()) == (PyTypeObject *) cls.ptr())
        return true;
    int r = PyObject_IsInstance(h.ptr(), cls.ptr());
    if (r < 0)
        pyu::raise_current();
    return r == 1;
}

bool points_equal(nb::handle a, nb::handle b) {
    if (pyu::is_point(a) && pyu::is_flat(b))
        return geom::tolerant_equal(xy(a), xy(b), flat_eps());
    return num_eq(a, b);
}

double distance_between(nb::handle point, nb::handle other) {
    if (pyu::is_point(point)) {
        geom::Vec2 a = xy(point), b = xy(other);
        double dx = a.x - b.x, dy = a.y - b.y;
        double xx = geom::py_square(dx), yy = geom::py_square(dy);
        if ((std::isinf(xx) && std::isfinite(dx)) || (std::isinf(yy) && std::isfinite(dy)))
            pyu::raise(PyExc_OverflowError, "(34, 'Numerical result out of range')");
        return std::sqrt(xx + yy);
    }
    return dbl(point.attr("distance_to_point")(other));
}

nb::object point_plus(nb::handle point, geom::Vec2 v) {
    if (pyu::is_point(point)) {
        const flat::Point &p = pyu::flat_fields(point);
        return pyu::make_point(p.x + v.x, p.y + v.y);
    }
    return checked(PyNumber_Add(point.ptr(), new_vector(v).ptr()));
}

double magnitude_of(geom::Vec2 v) {
    double xx = geom::py_square(v.x), yy = geom::py_square(v.y);
    if ((std::isinf(xx) && std::isfinite(v.x)) || (std::isinf(yy) && std::isfinite(v.y)))
        pyu::raise(PyExc_OverflowError, "math range error");
    return std::sqrt(xx + yy);
}

geom::Vec2 unit_or_self(geom::Vec2 v) {
    double m = magnitude_of(v);
    if (std::fabs(m) <= flat_eps())
        return v;
    return {v.x / m, v.y / m};
}

// ------------------------------------------------------------ numpy

namespace {

// Vector.angle's steps: the clamped cosine, numpy's arccos, and the turn
// taken counter-clockwise unless the cross product is negative.
nb::object plain_angle(geom::Vec2 v1, geom::Vec2 v2) {
    double m1 = magnitude_of(v1), m2 = magnitude_of(v2);
    double e = flat_eps();
    if (std::fabs(m1) <= e || std::fabs(m2) <= e)
        return nb::none();
    double c = pyu::divide(geom::dot(v1, v2), m1 * m2);
    if (1 < c)
        c = 1;
    if (-1 > c)
        c = -1;
    double a = np_arccos(c);
    if (geom::cross(v1, v2) >= 0)
        return pyu::float_obj(a);
    return pyu::float_obj(geom::pi * 2 - a);
}
}  // namespace

double np_arccos(double c) { return pyu::np_arccos(c); }

geom::CosSin np_cos_sin(double angle) { return {pyu::np_cos(angle), pyu::np_sin(angle)}; }

void np_cos_sin(std::span<const double> angles, std::span<double> cos, std::span<double> sin) {
    pyu::np_cos_many(angles.data(), cos.data(), angles.size());
    pyu::np_sin_many(angles.data(), sin.data(), angles.size());
}

nb::object vector_angle(nb::handle v1, geom::Vec2 v2) {
    nb::handle cls = mod_vector.get();
    if (cls.ptr() == (PyObject *) pyu::vector_type && pyu::is_vector(v1))
        return plain_angle(xy(v1), v2);
    return cls.attr("angle")(v1, new_vector(v2));
}

nb::object vector_angle(geom::Vec2 v1, geom::Vec2 v2) {
    nb::handle cls = mod_vector.get();
    if (cls.ptr() == (PyObject *) pyu::vector_type)
        return plain_angle(v1, v2);
    return cls.attr("angle")(new_vector(v1), new_vector(v2));
}

namespace {
// `from module import a, b`: the names bound one after the other, a missing
// one raising ImportError.
void import_names(nb::module_ &m, const char *module_name, std::initializer_list<const char *> names) {
    nb::object module = nb::module_::import_(module_name);
    for (const char *name : names) {
        PyObject *value = PyObject_GetAttrString(module.ptr(), name);
        if (!value) {
            PyErr_Clear();
            PyErr_Format(PyExc_ImportError, "cannot import name '%s' from '%s'", name, module_name);
            pyu::raise_current();
        }
        m.attr(name) = nb::steal(value);
    }
}
}  // namespace

}  // namespace bowlet

NB_MODULE(Bowlet, m) {
    using namespace bowlet;
    m.attr("math") = nb::module_::import_("math");
    import_names(m, "typing", {"Union", "Tuple", "Optional", "List"});
    m.attr("plt") = nb::module_::import_("matplotlib.pyplot");
    m.attr("np") = nb::module_::import_("numpy");
    import_names(m, "Strakel", {"Segment", "Ray", "Line"});
    import_names(m, "Flatkin", {"Point", "Vector"});
    pyu::init_flat_types();
    nb::object flatkin = nb::module_::import_("Flatkin");

    mod_np.bind(m, "np");
    mod_plt.bind(m, "plt");
    mod_math.bind(m, "math");
    mod_point.bind(m, "Point");
    mod_vector.bind(m, "Vector");
    mod_segment.bind(m, "Segment");
    mod_circle.bind(m, "Circle");
    flat_epsilon.bind(flatkin, "epsilon");
    pyu::init_numpy_kernels();
    nb::object strakel = nb::module_::import_("Strakel");
    strakel_epsilon.bind(strakel, "epsilon");
    if (PyType_Check(m.attr("Segment").ptr()))
        segment_type = (PyTypeObject *) m.attr("Segment").ptr();
    if (PyType_Check(m.attr("Ray").ptr()))
        ray_type = (PyTypeObject *) m.attr("Ray").ptr();

    key::init();
    bind_circle(m);
    bind_arc(m);
}
