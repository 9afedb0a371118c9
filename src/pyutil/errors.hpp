// Python errors raised from C++: every binding reports failure by setting the
// interpreter's error and throwing nb::python_error, which nanobind hands back
// to the caller unchanged.  No C++ exception text ever reaches Python: the
// module template installs a translator for what the standard library throws.
#pragma once

#include <nanobind/nanobind.h>

#include "core/basics/interrupt.hpp"

#include <utility>

namespace nb = nanobind;

namespace pyu {

[[noreturn]] void raise(PyObject *type, const char *message);
// PyErr_Format's rules (%s, %U, %zd ...).
[[noreturn]] void raise_format(PyObject *type, const char *format, ...);
// The generic `Exception` class itself, with a fixed message.
[[noreturn]] void raise_exception(const char *message);
// Re-throws the error a C API call has just set.  Should none be set (a
// C API contract broken), raises SystemError rather than crashing.
[[noreturn]] void raise_current();
// Python's ZeroDivisionError for a float division by zero.
[[noreturn]] void raise_zero_division();
// "'Segment' object has no attribute 'start'", as the interpreter words it.
[[noreturn]] void missing_attribute(nb::handle obj, const char *name);

// A new reference returned by the C API, or its error raised.
inline nb::object check(PyObject *result) {
    if (!result)
        raise_current();
    return nb::steal(result);
}
// A C API status (-1 on error), or its error raised.
inline int check_status(int status) {
    if (status < 0)
        raise_current();
    return status;
}

// Guards a recursion into stored objects (a hash, an equality or a text form
// that asks the objects it holds): RecursionError, as in plain Python,
// instead of a C stack overflow.
class RecursionGuard {
public:
    explicit RecursionGuard(const char *where);
    ~RecursionGuard();
    RecursionGuard(const RecursionGuard &) = delete;
    RecursionGuard &operator=(const RecursionGuard &) = delete;
};

// Holds the cyclic garbage collector off while a call builds many new
// objects at once (the points of a grid): each collection in between would
// only walk the new objects, all of them alive.  The collector's state is
// restored when the guard ends, whatever ran in between; gc.collect() still
// works meanwhile.
class CollectorPause {
public:
    CollectorPause();
    ~CollectorPause();
    CollectorPause(const CollectorPause &) = delete;
    CollectorPause &operator=(const CollectorPause &) = delete;

private:
    bool was_enabled_;
};

// The function F with a RecursionGuard around every call.  A member that
// reads attributes of its receiver or arguments, or calls their methods, can
// be called back by them with no Python frame in between (`x.center = x`
// where `x.distance_to_point` is the member itself, a subclass property
// that is another member): bound as guarded<&f>, such a cycle ends in
// RecursionError instead of a C stack overflow.
template <auto F>
struct Guarded;
template <class R, class... A, R (*F)(A...)>
struct Guarded<F> {
    static R call(A... args) {
        RecursionGuard guard(" while calling a Python object");
        return F(std::forward<A>(args)...);
    }
};
template <auto F>
inline constexpr auto guarded = &Guarded<F>::call;

// The number of items a list or buffer of `count` items of `item_size`
// bytes may hold: MemoryError in the library's own words when it could never
// be allocated, before anything is.
size_t checked_size(Py_ssize_t count, size_t item_size);
// The same, refusing also a count whose items would not fit in the
// machine's physical memory: a result that could only end with the process
// swapped to a halt or killed is refused before anything is computed.
size_t checked_memory(Py_ssize_t count, size_t item_size);

// An Interrupt that runs the interpreter's signal handlers when it polls
// (PyErr_CheckSignals), for every loop whose length a caller chooses: Ctrl-C
// stops it within a millisecond.  The error a handler raised
// (KeyboardInterrupt for the default SIGINT handler) stays set while
// geom::Interrupted unwinds the C++ stack, and the exception translator hands
// it back to the caller unchanged.  Throw it before changing any caller's
// object, or between complete changes only.
geom::Interrupt interrupt();

// Registers the translation of C++ exceptions (allocation failures, length
// errors, anything else) into Python errors with our own messages;
// geom::Interrupted becomes the error its poll left set.
void install_exception_translator();

}  // namespace pyu
