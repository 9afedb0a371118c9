#include "pyutil/errors.hpp"

#include <cstdarg>
#include <cstring>
#include <new>
#include <stdexcept>

#if defined(_WIN32)
#define WIN32_LEAN_AND_MEAN
#define NOMINMAX
#include <windows.h>
#elif defined(__unix__) || defined(__APPLE__)
#include <unistd.h>
#endif

namespace pyu {

void raise(PyObject *type, const char *message) {
    PyErr_SetString(type, message);
    throw nb::python_error();
}

void raise_format(PyObject *type, const char *format, ...) {
    va_list args;
    va_start(args, format);
    PyErr_FormatV(type, format, args);
    va_end(args);
    throw nb::python_error();
}

void raise_exception(const char *message) { raise(PyExc_Exception, message); }

void raise_current() {
    if (!PyErr_Occurred())
        PyErr_SetString(PyExc_SystemError, "an operation failed without setting an error");
    throw nb::python_error();
}

void raise_zero_division() { raise(PyExc_ZeroDivisionError, "float division by zero"); }

void missing_attribute(nb::handle obj, const char *name) {
    const char *type = Py_TYPE(obj.ptr())->tp_name;
    if (const char *dot = std::strrchr(type, '.'))
        type = dot + 1;
    raise_format(PyExc_AttributeError, "'%s' object has no attribute '%s'", type, name);
}

RecursionGuard::RecursionGuard(const char *where) {
    if (Py_EnterRecursiveCall(where))
        raise_current();
}
RecursionGuard::~RecursionGuard() { Py_LeaveRecursiveCall(); }

#if PY_VERSION_HEX >= 0x030A0000
CollectorPause::CollectorPause() : was_enabled_(PyGC_Disable() != 0) {}
CollectorPause::~CollectorPause() {
    if (was_enabled_)
        PyGC_Enable();
}
#else
namespace {
// gc.<name>() with any error it raises cleared: the pause is an
// optimisation, never a failure of its own.
bool call_gc(const char *name) {
    PyObject *type, *value, *trace;
    PyErr_Fetch(&type, &value, &trace);
    bool truth = false;
    if (PyObject *gc = PyImport_ImportModule("gc")) {
        if (PyObject *r = PyObject_CallMethod(gc, name, nullptr)) {
            truth = PyObject_IsTrue(r) == 1;
            Py_DECREF(r);
        }
        Py_DECREF(gc);
    }
    PyErr_Clear();
    PyErr_Restore(type, value, trace);
    return truth;
}
}  // namespace
CollectorPause::CollectorPause() : was_enabled_(call_gc("isenabled")) {
    if (was_enabled_)
        call_gc("disable");
}
CollectorPause::~CollectorPause() {
    if (was_enabled_)
        call_gc("enable");
}
#endif

size_t checked_size(Py_ssize_t count, size_t item_size) {
    // Half the address space is more than any allocation can get.
    constexpr size_t limit = ((size_t) PY_SSIZE_T_MAX) / 2;
    if (count < 0 || item_size == 0 || (size_t) count > limit / item_size)
        raise_format(PyExc_MemoryError, "cannot make %zd items: too many for memory", count);
    return (size_t) count;
}

namespace {
// Bytes of physical memory, or 0 where the platform does not say.
unsigned long long physical_memory() {
#if defined(_WIN32)
    MEMORYSTATUSEX status;
    status.dwLength = sizeof status;
    return GlobalMemoryStatusEx(&status) ? (unsigned long long) status.ullTotalPhys : 0;
#elif defined(_SC_PHYS_PAGES) && defined(_SC_PAGESIZE)
    long pages = sysconf(_SC_PHYS_PAGES), page_size = sysconf(_SC_PAGESIZE);
    return pages > 0 && page_size > 0 ? (unsigned long long) pages * (unsigned long long) page_size : 0;
#else
    return 0;
#endif
}
}  // namespace

size_t checked_memory(Py_ssize_t count, size_t item_size) {
    size_t n = checked_size(count, item_size);
    unsigned long long memory = physical_memory();
    if (memory != 0 && (unsigned long long) n > memory / item_size)
        raise_format(PyExc_MemoryError, "cannot make %zd items: too many for memory", count);
    return n;
}

namespace {
bool signal_pending(void *) { return PyErr_CheckSignals() != 0; }
}  // namespace

geom::Interrupt interrupt() { return geom::Interrupt(&signal_pending, nullptr); }

void install_exception_translator() {
    nb::register_exception_translator([](const std::exception_ptr &p, void *) {
        try {
            std::rethrow_exception(p);
        } catch (const geom::Interrupted &) {
            // The handler's error is already set; an Interrupt polled by
            // something else stops as Ctrl-C would.
            if (!PyErr_Occurred())
                PyErr_SetNone(PyExc_KeyboardInterrupt);
        } catch (const std::bad_alloc &) {
            PyErr_SetString(PyExc_MemoryError, "out of memory");
        } catch (const std::length_error &) {
            PyErr_SetString(PyExc_MemoryError, "too many items for memory");
        } catch (const std::exception &) {
            PyErr_SetString(PyExc_RuntimeError, "internal error in the geometry library");
        }
    });
}

}  // namespace pyu
