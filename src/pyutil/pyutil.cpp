#include "pyutil/pyutil.hpp"

#include "core/vec2.hpp"

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <vector>

namespace pyu {

PyTypeObject *point_type = nullptr;
PyTypeObject *vector_type = nullptr;

// ---------------------------------------------------------------- errors

void raise(PyObject *type, const char *message) {
    PyErr_SetString(type, message);
    throw nb::python_error();
}

void raise_exception(const char *message) { raise(PyExc_Exception, message); }

void raise_current() { throw nb::python_error(); }

void raise_zero_division() { raise(PyExc_ZeroDivisionError, "float division by zero"); }

// -------------------------------------------------------- float conversion

double as_double(nb::handle h) {
    PyObject *o = h.ptr();
    if (PyFloat_CheckExact(o))
        return PyFloat_AS_DOUBLE(o);
    // PyFloat_AsDouble takes __float__, then __index__; text has neither.
    double v = PyFloat_AsDouble(o);
    if (v == -1.0 && PyErr_Occurred())
        raise_current();
    return v;
}

double py_float(nb::handle h) {
    PyObject *o = h.ptr();
    if (PyFloat_CheckExact(o))
        return PyFloat_AS_DOUBLE(o);
    PyObject *f = PyNumber_Float(o);
    if (!f)
        raise_current();
    double v = PyFloat_AS_DOUBLE(f);
    Py_DECREF(f);
    return v;
}

namespace {
// Squares as the C library's pow gives them; true when a finite value's
// square leaves the double range.
bool squares(double x, double y, double &xx, double &yy) {
    xx = geom::py_square(x);
    yy = geom::py_square(y);
    return (std::isinf(xx) && std::isfinite(x)) || (std::isinf(yy) && std::isfinite(y));
}
}  // namespace

double py_magnitude(double x, double y) {
    double xx, yy;
    if (squares(x, y, xx, yy))
        raise(PyExc_OverflowError, "math range error");
    return std::sqrt(xx + yy);
}

double py_distance(double dx, double dy) {
    double xx, yy;
    if (squares(dx, dy, xx, yy))
        raise(PyExc_OverflowError, "(34, 'Numerical result out of range')");
    return std::sqrt(xx + yy);
}

Py_ssize_t range_count(nb::handle n) {
    PyObject *index = PyNumber_Index(n.ptr());
    if (!index)
        raise_current();
    nb::object count = nb::steal(index);
    nb::object zero = int_obj(0);
    int positive = PyObject_RichCompareBool(count.ptr(), zero.ptr(), Py_GT);
    if (positive < 0)
        raise_current();
    if (!positive)
        return 0;
    Py_ssize_t steps = PyLong_AsSsize_t(count.ptr());
    if (steps == -1 && PyErr_Occurred())
        raise_current();
    return steps;
}

// ------------------------------------------------------------ point reads

void init_flat_types() {
    point_type = (PyTypeObject *) nb::type<flat::Point>().ptr();
    vector_type = (PyTypeObject *) nb::type<flat::Vector>().ptr();
    if (!point_type || !vector_type)
        raise(PyExc_ImportError, "cannot import name 'Point' from 'Flatkin'");
}

namespace {
PyObject *interned(const char *s) {
    PyObject *o = PyUnicode_InternFromString(s);
    if (!o)
        raise_current();
    return o;  // kept for the life of the process
}

double read_attr(nb::handle h, const char *name, PyObject *&key) {
    if (!key)
        key = interned(name);
    PyObject *v = PyObject_GetAttr(h.ptr(), key);
    if (!v)
        raise_current();
    nb::object value = nb::steal(v);
    return as_double(value);
}
PyObject *key_x = nullptr, *key_y = nullptr;
}  // namespace

double get_x(nb::handle h) {
    if (is_flat(h))
        return flat_fields(h).x;
    return read_attr(h, "x", key_x);
}

double get_y(nb::handle h) {
    if (is_flat(h))
        return flat_fields(h).y;
    return read_attr(h, "y", key_y);
}

static nb::object make_flat(PyTypeObject *type, double x, double y) {
    nb::object o = nb::inst_alloc(nb::handle((PyObject *) type));
    flat::Point *p = nb::inst_ptr<flat::Point>(o);
    p->x = x;
    p->y = y;
    nb::inst_mark_ready(o);
    return o;
}

nb::object make_point(double x, double y) { return make_flat(point_type, x, y); }
nb::object make_vector(double x, double y) { return make_flat(vector_type, x, y); }

// --------------------------------------------------- Python number text

std::string float_repr(double v) {
    char *s = PyOS_double_to_string(v, 'r', 0, Py_DTSF_ADD_DOT_0, nullptr);
    if (!s)
        raise_current();
    std::string out(s);
    PyMem_Free(s);
    return out;
}

std::string format_obj(nb::handle h) {
    if (PyFloat_CheckExact(h.ptr()))
        return float_repr(PyFloat_AS_DOUBLE(h.ptr()));
    nb::object empty = nb::steal(PyUnicode_FromString(""));
    PyObject *s = PyObject_Format(h.ptr(), empty.ptr());
    if (!s)
        raise_current();
    nb::object text = nb::steal(s);
    Py_ssize_t size = 0;
    const char *utf8 = PyUnicode_AsUTF8AndSize(s, &size);
    if (!utf8)
        raise_current();
    return std::string(utf8, (size_t) size);
}

double py_round(double x, int ndigits) {
    // The limits of float.__round__: beyond them the value is returned
    // unchanged, or as a signed zero.
    constexpr int ndigits_max = 323, ndigits_min = -308;
    if (ndigits > ndigits_max || x == 0.0 || !std::isfinite(x))
        return x;
    if (ndigits < ndigits_min)
        return 0.0 * x;
    if (ndigits < 0) {
        // Rare: let the interpreter round to tens, hundreds, ...
        nb::object r = nb::steal(PyObject_CallMethod(float_obj(x).ptr(), "__round__", "i", ndigits));
        if (!r.is_valid())
            raise_current();
        return PyFloat_AsDouble(r.ptr());
    }
    // printf rounds the exact binary value correctly, halves to even: the
    // same digits as the interpreter's own dtoa in mode 3.
    char stack_buf[64];
    std::vector<char> heap_buf;
    char *buf = stack_buf;
    int needed = std::snprintf(stack_buf, sizeof stack_buf, "%.*f", ndigits, x);
    if (needed >= (int) sizeof stack_buf) {
        heap_buf.resize((size_t) needed + 1);
        buf = heap_buf.data();
        std::snprintf(buf, heap_buf.size(), "%.*f", ndigits, x);
    }
    double r = std::strtod(buf, nullptr);
    if (std::isinf(r))
        raise(PyExc_OverflowError, "rounded value too large to represent");
    return r;
}

namespace {
// The interpreter's numeric hash of a float (reduction modulo 2**61 - 1).
Py_hash_t hash_double(double v) {
    constexpr int bits = 61;
    constexpr Py_uhash_t modulus = (((Py_uhash_t) 1) << bits) - 1;
    if (std::isinf(v))
        return v > 0 ? 314159 : -314159;
    if (std::isnan(v))
        return 0;  // the interpreter hashes NaN by identity; ours is stable
    int e;
    double m = std::frexp(v, &e);
    int sign = 1;
    if (m < 0) {
        sign = -1;
        m = -m;
    }
    Py_uhash_t x = 0;
    while (m) {
        x = ((x << 28) & modulus) | x >> (bits - 28);
        m *= 268435456.0;
        e -= 28;
        Py_uhash_t y = (Py_uhash_t) m;
        m -= (double) y;
        x += y;
        if (x >= modulus)
            x -= modulus;
    }
    e = e >= 0 ? e % bits : bits - 1 - ((-1 - e) % bits);
    x = ((x << e) & modulus) | x >> (bits - e);
    x = x * (Py_uhash_t) (Py_hash_t) sign;
    if (x == (Py_uhash_t) -1)
        x = (Py_uhash_t) -2;
    return (Py_hash_t) x;
}
}  // namespace

Py_hash_t hash_pair(double x, double y) {
    // The interpreter's tuple hash (xxHash-based since 3.8) over two items.
    constexpr Py_uhash_t prime1 = 11400714785074694791ULL;
    constexpr Py_uhash_t prime2 = 14029467366897019727ULL;
    constexpr Py_uhash_t prime5 = 2870177450012600261ULL;
    Py_uhash_t acc = prime5;
    for (double v : {x, y}) {
        Py_uhash_t lane = (Py_uhash_t) hash_double(v);
        acc += lane * prime2;
        acc = (acc << 31) | (acc >> 33);
        acc *= prime1;
    }
    acc += 2 ^ (prime5 ^ 3527539UL);
    if (acc == (Py_uhash_t) -1)
        return 1546275796;
    return (Py_hash_t) acc;
}

// ----------------------------------------------------- module attributes

void ModuleAttr::bind(nb::handle module, const char *name) {
    dict_ = PyModule_GetDict(module.ptr());
    key_ = interned(name);
    name_ = name;
}

nb::handle ModuleAttr::get() const {
    PyObject *v = PyDict_GetItemWithError(dict_, key_);
    if (!v) {
        if (!PyErr_Occurred())
            PyErr_Format(PyExc_NameError, "name '%s' is not defined", name_);
        raise_current();
    }
    return v;
}

// ------------------------------------------------------------- misc

nb::handle builtins() {
    static PyObject *module = nullptr;
    if (!module) {
        module = PyImport_ImportModule("builtins");
        if (!module)
            raise_current();
    }
    return module;
}

void py_print(nb::handle obj) { builtins().attr("print")(obj); }

}  // namespace pyu

namespace pyu {

nb::object get_item(nb::handle seq, Py_ssize_t i) {
    PyObject *o = PySequence_Check(seq.ptr()) ? PySequence_GetItem(seq.ptr(), i)
                                                : PyObject_GetItem(seq.ptr(), int_obj((long) i).ptr());
    if (!o)
        raise_current();
    return nb::steal(o);
}

SeqTail tail_items(nb::handle seq, Py_ssize_t start) {
    if (is_list_or_tuple(seq))
        return {nb::borrow(seq), start};
    nb::object begin = int_obj((long) start);
    nb::object slice = nb::steal(PySlice_New(begin.ptr(), nullptr, nullptr));
    PyObject *part = PyObject_GetItem(seq.ptr(), slice.ptr());
    if (!part)
        raise_current();
    nb::object tail = nb::steal(part);
    PyObject *fast = PySequence_Tuple(tail.ptr());
    if (!fast)
        raise_current();
    return {nb::steal(fast), 0};
}

}  // namespace pyu
