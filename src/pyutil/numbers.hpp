// Python's number rules on C++ doubles: float conversion of parameters, the
// interpreter's float text, round() and tuple hash, its arithmetic errors,
// and its operators on arbitrary objects where a value keeps its own type.
#pragma once

#include "core/basics/vec3.hpp"
#include "pyutil/errors.hpp"

#include <initializer_list>
#include <string>

namespace pyu {

// ------------------------------------------------------------ conversion
// A parameter declared as a float: int, bool and any object with __float__
// or __index__ are accepted; text and other non-numbers raise TypeError, an
// int too large for a double OverflowError.
double as_double(nb::handle h);
// The built-in float(): also parses numeric text ("2.5", " inf ").
double py_float(nb::handle h);
inline nb::object float_obj(double v) { return check(PyFloat_FromDouble(v)); }
inline nb::object int_obj(long v) { return check(PyLong_FromLong(v)); }
inline nb::object bool_obj(bool v) { return nb::borrow(v ? Py_True : Py_False); }
// `if h:`
bool truthy(nb::handle h);

// The number of steps of range(n): n must be an int (or have __index__,
// else TypeError); 0 for n <= 0; OverflowError beyond a Py_ssize_t.
Py_ssize_t range_count(nb::handle n);

// ------------------------------------------------------------ arithmetic
// a / b with Python's ZeroDivisionError when b is 0.
inline double divide(double a, double b) {
    if (b == 0.0)
        raise_zero_division();
    return a / b;
}
// The value of a core computation that follows Python's float arithmetic, or
// the error Python raises where it failed: OverflowError for a `** 2` beyond
// the double range ("(34, 'Numerical result out of range')", as the float
// power words it), ZeroDivisionError for a division by zero.
[[noreturn]] void raise_fault(geom::PyFault fault);
template <class T>
T checked(const geom::Checked<T> &result) {
    if (!result.ok())
        raise_fault(result.fault);
    return result.value;
}
// sqrt(math.pow(x, 2) + math.pow(y, 2) [+ math.pow(z, 2)]): a square beyond
// the double range raises OverflowError("math range error"); an infinite
// coordinate gives inf.
double py_magnitude(double x, double y);
double py_magnitude(double x, double y, double z);
// sqrt(dx ** 2.0 + dy ** 2.0 [+ dz ** 2.0]), with the float power's
// OverflowError.
double py_distance(double dx, double dy);
double py_distance(double dx, double dy, double dz);

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
bool num_ge(nb::handle a, nb::handle b);
// `a == b` as the interpreter evaluates it: no identity shortcut.
bool num_eq(nb::handle a, nb::handle b);

// ------------------------------------------------------------ text
// repr() of a float: shortest round-trip text ("1.0", "1e-07", "-0.0", "inf").
std::string float_repr(double v);
// format(obj, ''): the float text for floats, str() for anything else.
std::string format_obj(nb::handle h);
// str(obj) and repr(obj) as UTF-8.
std::string str_of(nb::handle h);
std::string repr_of(nb::handle h);

// ------------------------------------------------------------ rounding
// The built-in round(x, n) for a float and an int n, exactly as Python does
// it (correctly rounded, halves of the binary value to even; 2.675 -> 2.67):
// geom::round_decimal for n >= 0, the interpreter's own rule for n < 0.
double py_round(double x, int ndigits);
// Python round(x, 3) with -0.0 folded to 0.0: the key by which points are
// matched after rounding.
inline double round3_key(double x) {
    double r = py_round(x, 3);
    return r == 0.0 ? 0.0 : r;
}
// The built-in round(x) and round(x, ndigits) on any object: the object's
// own __round__ decides (an int stays an int, round(2.5) is the int 2).
nb::object round_obj(nb::handle x);
nb::object round_obj(nb::handle x, nb::handle ndigits);

// ------------------------------------------------------------ hashes
// hash(v) of a float as the interpreter computes it, except NaN, which
// hashes by value (0) rather than by identity.
Py_hash_t hash_double(double v);
// hash(tuple(values)) of floats, equal to the interpreter's tuple hash.
Py_hash_t hash_doubles(std::initializer_list<double> values);
inline Py_hash_t hash_pair(double x, double y) { return hash_doubles({x, y}); }
// hash(obj), with the interpreter's errors.
Py_hash_t hash_of(nb::handle obj);

}  // namespace pyu
