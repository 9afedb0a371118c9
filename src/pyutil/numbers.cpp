#include "pyutil/numbers.hpp"

#include "core/basics/rounding.hpp"
#include "core/basics/vec2.hpp"

#include <cmath>

namespace pyu {

// ------------------------------------------------------------ conversion

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
    nb::object f = check(PyNumber_Float(o));
    return PyFloat_AS_DOUBLE(f.ptr());
}

bool truthy(nb::handle h) { return check_status(PyObject_IsTrue(h.ptr())) == 1; }

Py_ssize_t range_count(nb::handle n) {
    nb::object count = check(PyNumber_Index(n.ptr()));
    nb::object zero = int_obj(0);
    if (!check_status(PyObject_RichCompareBool(count.ptr(), zero.ptr(), Py_GT)))
        return 0;
    Py_ssize_t steps = PyLong_AsSsize_t(count.ptr());
    if (steps == -1 && PyErr_Occurred())
        raise_current();
    return steps;
}

// ------------------------------------------------------------ arithmetic

void raise_fault(geom::PyFault fault) {
    if (fault == geom::PyFault::overflow)
        raise(PyExc_OverflowError, "(34, 'Numerical result out of range')");
    if (fault == geom::PyFault::zero_division)
        raise_zero_division();
    raise(PyExc_SystemError, "a computation failed without a fault");
}

namespace {
// Squares as the C library's pow gives them (Python's `v ** 2.0`); the
// OverflowError of the float power when a finite value's square leaves the
// double range.  Written out per arity: these run on every distance.
inline double square(double v, bool &overflow) {
    double s = geom::py_square(v);
    overflow |= std::isinf(s) && std::isfinite(v);
    return s;
}
constexpr const char *math_range = "math range error";
constexpr const char *out_of_range = "(34, 'Numerical result out of range')";

inline double root2(double a, double b, const char *message) {
    bool overflow = false;
    double aa = square(a, overflow), bb = square(b, overflow);
    if (overflow)
        raise(PyExc_OverflowError, message);
    return std::sqrt(aa + bb);
}
inline double root3(double a, double b, double c, const char *message) {
    bool overflow = false;
    double aa = square(a, overflow), bb = square(b, overflow), cc = square(c, overflow);
    if (overflow)
        raise(PyExc_OverflowError, message);
    return std::sqrt(aa + bb + cc);
}
}  // namespace

double py_magnitude(double x, double y) { return root2(x, y, math_range); }
double py_magnitude(double x, double y, double z) { return root3(x, y, z, math_range); }
double py_distance(double dx, double dy) { return root2(dx, dy, out_of_range); }
double py_distance(double dx, double dy, double dz) { return root3(dx, dy, dz, out_of_range); }

namespace {
bool compare(nb::handle a, nb::handle b, int op) {
    return check_status(PyObject_RichCompareBool(a.ptr(), b.ptr(), op)) == 1;
}
}  // namespace

nb::object num_add(nb::handle a, nb::handle b) { return check(PyNumber_Add(a.ptr(), b.ptr())); }
nb::object num_sub(nb::handle a, nb::handle b) { return check(PyNumber_Subtract(a.ptr(), b.ptr())); }
nb::object num_mul(nb::handle a, nb::handle b) { return check(PyNumber_Multiply(a.ptr(), b.ptr())); }
nb::object num_div(nb::handle a, nb::handle b) { return check(PyNumber_TrueDivide(a.ptr(), b.ptr())); }
nb::object num_pow(nb::handle a, nb::handle b) { return check(PyNumber_Power(a.ptr(), b.ptr(), Py_None)); }
nb::object num_abs(nb::handle a) { return check(PyNumber_Absolute(a.ptr())); }
bool num_lt(nb::handle a, nb::handle b) { return compare(a, b, Py_LT); }
bool num_gt(nb::handle a, nb::handle b) { return compare(a, b, Py_GT); }
bool num_le(nb::handle a, nb::handle b) { return compare(a, b, Py_LE); }
bool num_ge(nb::handle a, nb::handle b) { return compare(a, b, Py_GE); }
bool num_eq(nb::handle a, nb::handle b) {
    nb::object r = check(PyObject_RichCompare(a.ptr(), b.ptr(), Py_EQ));
    return truthy(r);
}

// ------------------------------------------------------------ text

std::string float_repr(double v) {
    char *s = PyOS_double_to_string(v, 'r', 0, Py_DTSF_ADD_DOT_0, nullptr);
    if (!s)
        raise_current();
    std::string out(s);
    PyMem_Free(s);
    return out;
}

namespace {
std::string utf8(nb::handle text) {
    Py_ssize_t size = 0;
    const char *s = PyUnicode_AsUTF8AndSize(text.ptr(), &size);
    if (!s)
        raise_current();
    return std::string(s, (size_t) size);
}
}  // namespace

std::string format_obj(nb::handle h) {
    if (PyFloat_CheckExact(h.ptr()))
        return float_repr(PyFloat_AS_DOUBLE(h.ptr()));
    nb::object empty = check(PyUnicode_FromString(""));
    nb::object text = check(PyObject_Format(h.ptr(), empty.ptr()));
    return utf8(text);
}

std::string str_of(nb::handle h) { return utf8(check(PyObject_Str(h.ptr()))); }
std::string repr_of(nb::handle h) { return utf8(check(PyObject_Repr(h.ptr()))); }

// ------------------------------------------------------------ rounding

double py_round(double x, int ndigits) {
    if (ndigits >= 0)
        return geom::round_decimal(x, ndigits);
    // Tens, hundreds, ...: rare, and left to the interpreter, whose limits
    // (a signed zero below -308 digits) and OverflowError are the rule.
    constexpr int ndigits_min = -308;
    if (x == 0.0 || !std::isfinite(x))
        return x;
    if (ndigits < ndigits_min)
        return 0.0 * x;
    nb::object value = float_obj(x);
    nb::object r = check(PyObject_CallMethod(value.ptr(), "__round__", "i", ndigits));
    return as_double(r);
}

namespace {
nb::object builtin_round() {
    nb::object builtins = check(PyImport_ImportModule("builtins"));
    return check(PyObject_GetAttrString(builtins.ptr(), "round"));
}
}  // namespace

nb::object round_obj(nb::handle x) {
    nb::object round = builtin_round();
    return check(PyObject_CallOneArg(round.ptr(), x.ptr()));
}

nb::object round_obj(nb::handle x, nb::handle ndigits) {
    nb::object round = builtin_round();
    PyObject *args[] = {x.ptr(), ndigits.ptr()};
    return check(PyObject_Vectorcall(round.ptr(), args, 2, nullptr));
}

// ------------------------------------------------------------ hashes

Py_hash_t hash_double(double v) {
    // The interpreter's numeric hash of a float (reduction modulo 2**61 - 1).
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

Py_hash_t hash_doubles(std::initializer_list<double> values) {
    // The interpreter's tuple hash (xxHash-based since 3.8).
    constexpr Py_uhash_t prime1 = 11400714785074694791ULL;
    constexpr Py_uhash_t prime2 = 14029467366897019727ULL;
    constexpr Py_uhash_t prime5 = 2870177450012600261ULL;
    Py_uhash_t acc = prime5;
    for (double v : values) {
        Py_uhash_t lane = (Py_uhash_t) hash_double(v);
        acc += lane * prime2;
        acc = (acc << 31) | (acc >> 33);
        acc *= prime1;
    }
    acc += values.size() ^ (prime5 ^ 3527539UL);
    if (acc == (Py_uhash_t) -1)
        return 1546275796;
    return (Py_hash_t) acc;
}

Py_hash_t hash_of(nb::handle obj) {
    Py_hash_t h = PyObject_Hash(obj.ptr());
    if (h == -1)
        raise_current();
    return h;
}

}  // namespace pyu
