// Binding helpers shared by every module: Python semantics at the boundary
// (float conversion, duck-typed x/y reads, float text, rounding, errors,
// module attributes looked up at call time).  No geometry lives here.
#pragma once

#include <nanobind/nanobind.h>
#include <nanobind/stl/string.h>

#include <string>

namespace nb = nanobind;

namespace flat {

// Storage of Flatkin.Point and Flatkin.Vector.  Both Python classes are bound
// once in Flatkin; every other module reads these fields directly when it is
// handed one of them (see pyu::read_xy).
struct Point {
    double x = 0.0, y = 0.0;
};
struct Vector {
    double x = 0.0, y = 0.0;
};

}  // namespace flat

// A caution for every binding: nanobind converts call arguments and
// make_tuple items in noexcept code, so an `obj.attr("x")` accessor passed
// straight into a call or a tuple terminates the process when the attribute
// is missing.  Read attributes into an nb::object first.

namespace pyu {

// ---------------------------------------------------------------- errors
// Each sets the Python error and throws nb::python_error, which nanobind
// hands back to the interpreter unchanged.
[[noreturn]] void raise(PyObject *type, const char *message);
// The generic `Exception` class itself, with a fixed message.
[[noreturn]] void raise_exception(const char *message);
// Re-throw the Python error that a C API call has just set.
[[noreturn]] void raise_current();
// Python's ZeroDivisionError for a float division by zero.
[[noreturn]] void raise_zero_division();

// -------------------------------------------------------- float conversion
// A parameter declared as a float: int, bool and any object with __float__ or
// __index__ are accepted; text and other non-numbers raise TypeError, an int
// too large for a double raises OverflowError.
double as_double(nb::handle h);
// The built-in float(): also parses numeric text ("2.5", " inf ").
double py_float(nb::handle h);
inline nb::object float_obj(double v) { return nb::steal(PyFloat_FromDouble(v)); }
inline nb::object int_obj(long v) { return nb::steal(PyLong_FromLong(v)); }

// sqrt(math.pow(x, 2) + math.pow(y, 2)): a square beyond the double range
// raises OverflowError("math range error"); an infinite coordinate gives inf.
double py_magnitude(double x, double y);
// sqrt(dx ** 2.0 + dy ** 2.0), with the float power's OverflowError.
double py_distance(double dx, double dy);

// The number of steps of range(n): n must be an int (or have __index__,
// else TypeError); 0 for n <= 0; OverflowError beyond a Py_ssize_t.
Py_ssize_t range_count(nb::handle n);

// a / b with Python's ZeroDivisionError when b is 0.
inline double divide(double a, double b) {
    if (b == 0.0)
        raise_zero_division();
    return a / b;
}

// ------------------------------------------------------------ point reads
// Filled by init_flat_types(); null until then.
extern PyTypeObject *point_type;
extern PyTypeObject *vector_type;
// Every module calls this once at initialisation, after importing Flatkin.
void init_flat_types();

struct XY {
    double x, y;
};

inline bool is_point(nb::handle h) { return Py_TYPE(h.ptr()) == point_type; }
inline bool is_vector(nb::handle h) { return Py_TYPE(h.ptr()) == vector_type; }
// Our own Point or Vector (exact type): its C++ fields can be read directly.
inline bool is_flat(nb::handle h) {
    PyTypeObject *t = Py_TYPE(h.ptr());
    return t == point_type || t == vector_type;
}
// Both classes store two doubles in the same layout.
inline flat::Point &flat_fields(nb::handle h) { return *nb::inst_ptr<flat::Point>(h); }

// Reads `x` (then `y`) of any object: the fields of our own types directly,
// otherwise the attribute, converted as a float parameter.  A missing
// attribute raises AttributeError (None included), a non-number TypeError.
double get_x(nb::handle h);
double get_y(nb::handle h);
inline XY read_xy(nb::handle h) {
    if (is_flat(h)) {
        const flat::Point &f = flat_fields(h);
        return {f.x, f.y};
    }
    double x = get_x(h);
    return {x, get_y(h)};
}

// New Flatkin objects built without going through the interpreter.
nb::object make_point(double x, double y);
nb::object make_vector(double x, double y);
inline nb::object make_point(XY p) { return make_point(p.x, p.y); }
inline nb::object make_vector(XY v) { return make_vector(v.x, v.y); }

// --------------------------------------------------- Python number text
// repr() of a float: shortest round-trip text ("1.0", "1e-07", "-0.0", "inf").
std::string float_repr(double v);
// format(obj, ''): the float text for floats, str() for anything else.
std::string format_obj(nb::handle h);

// The built-in round(x, n) for a float and an int n, exactly as Python does
// it (correctly rounded, halves of the binary value to even; 2.675 -> 2.67).
double py_round(double x, int ndigits);
// Python round(x, 3) with -0.0 folded to 0.0: the key by which points are
// matched after rounding.
inline double round3_key(double x) {
    double r = py_round(x, 3);
    return r == 0.0 ? 0.0 : r;
}
// hash((x, y)) of two floats, equal to the interpreter's tuple hash.
Py_hash_t hash_pair(double x, double y);

// ----------------------------------------------------- module attributes
// A module-level name read at call time, without a string lookup per call:
// holds the module's dict and an interned key.
class ModuleAttr {
public:
    ModuleAttr() = default;
    void bind(nb::handle module, const char *name);
    // The current value; NameError when the name has been deleted.
    nb::handle get() const;
    double get_double() const { return as_double(get()); }

private:
    PyObject *dict_ = nullptr;  // borrowed: the module outlives every call
    PyObject *key_ = nullptr;   // interned, kept alive for the process
    const char *name_ = "";
};

// ------------------------------------------------------------- misc
// Python's print(obj), through sys.stdout as it is at the call.
void py_print(nb::handle obj);
// The builtins module, imported once.
nb::handle builtins();

}  // namespace pyu

namespace pyu {

// Calls f(i, item) for the items [start, len) of a list or tuple, in order,
// holding a reference to each item while f runs; the length of a list is
// re-read at every step, so a list changed by f never reads past its end.
// f returns false to stop.  Returns false when it was stopped.
template <class F>
bool for_each_item(nb::handle seq, Py_ssize_t start, F &&f) {
    PyObject *s = seq.ptr();
    bool is_list = PyList_Check(s);
    for (Py_ssize_t i = start;; ++i) {
        Py_ssize_t n = is_list ? PyList_GET_SIZE(s) : PyTuple_GET_SIZE(s);
        if (i >= n)
            return true;
        nb::object item = nb::borrow(is_list ? PyList_GET_ITEM(s, i) : PyTuple_GET_ITEM(s, i));
        if (!f(i, nb::handle(item)))
            return false;
    }
}

inline bool is_list_or_tuple(nb::handle h) { return PyList_Check(h.ptr()) || PyTuple_Check(h.ptr()); }

// seq[i] with the interpreter's errors (IndexError "list index out of range").
nb::object get_item(nb::handle seq, Py_ssize_t i);
// seq[start:] as a list or tuple and the index to walk it from with
// for_each_item: a list or tuple is walked in place, anything else is sliced.
struct SeqTail {
    nb::object seq;
    Py_ssize_t start;
};
SeqTail tail_items(nb::handle seq, Py_ssize_t start);
// Calls f(item) for every item of any iterable; f returns false to stop.
template <class F>
bool for_each_iter(nb::handle iterable, F &&f) {
    PyObject *it = PyObject_GetIter(iterable.ptr());
    if (!it)
        raise_current();
    nb::object iter = nb::steal(it);
    while (PyObject *raw = PyIter_Next(it)) {
        nb::object item = nb::steal(raw);
        if (!f(nb::handle(item)))
            return false;
    }
    if (PyErr_Occurred())
        raise_current();
    return true;
}

}  // namespace pyu
