#include "pyutil/numpy_kernels.hpp"

#include <cstring>

namespace pyu {
namespace {

// The leading fields of numpy's ufunc object, as its C API lays them out.
using UfuncLoop = void (*)(char **args, const Py_ssize_t *dimensions, const Py_ssize_t *steps, void *data);
struct UfuncHead {
    PyObject_HEAD
    int nin, nout, nargs, identity;
    UfuncLoop *functions;
    void *const *data;
    int ntypes, reserved1;
    const char *name;
    const char *types;
};
// numpy's loop of one ufunc from double to double, found once.
struct DoubleLoop {
    UfuncLoop loop = nullptr;
    void *data = nullptr;
    PyObject *function = nullptr;

    // When numpy's attribute is the ufunc it should be; otherwise `run`
    // calls it through the interpreter.
    void find(nb::handle numpy, const char *ufunc_name) {
        nb::object ufunc = numpy.attr(ufunc_name);
        function = ufunc.inc_ref().ptr();  // numpy's ufuncs live as long as numpy
        if (std::strcmp(Py_TYPE(ufunc.ptr())->tp_name, "numpy.ufunc") != 0)
            return;
        const UfuncHead *u = (const UfuncHead *) ufunc.ptr();
        if (u->nin != 1 || u->nout != 1 || u->nargs != 2 || !u->name || std::strcmp(u->name, ufunc_name) != 0)
            return;
        constexpr char npy_double = 12;
        for (int i = 0; i < u->ntypes; ++i) {
            if (u->types[2 * i] == npy_double && u->types[2 * i + 1] == npy_double) {
                loop = u->functions[i];
                data = u->data[i];
                return;
            }
        }
    }

    void run(const double *in, double *out, size_t n) const {
        if (loop) {
            char *args[2] = {(char *) in, (char *) out};
            const Py_ssize_t count = (Py_ssize_t) n, steps[2] = {sizeof(double), sizeof(double)};
            loop(args, &count, steps, data);
            return;
        }
        nb::handle f(function);
        for (size_t i = 0; i < n; ++i)
            out[i] = as_double(f(float_obj(in[i])));
    }
};
DoubleLoop arccos_loop, cos_loop, sin_loop, tan_loop;

}  // namespace

void init_numpy_kernels() {
    nb::object numpy = nb::module_::import_("numpy");
    arccos_loop.find(numpy, "arccos");
    cos_loop.find(numpy, "cos");
    sin_loop.find(numpy, "sin");
    tan_loop.find(numpy, "tan");
}

double np_arccos(double c) {
    double out = 0.0;
    arccos_loop.run(&c, &out, 1);
    return out;
}

double np_cos(double a) {
    double out = 0.0;
    cos_loop.run(&a, &out, 1);
    return out;
}

double np_sin(double a) {
    double out = 0.0;
    sin_loop.run(&a, &out, 1);
    return out;
}

double np_tan(double a) {
    double out = 0.0;
    tan_loop.run(&a, &out, 1);
    return out;
}

void np_cos_many(const double *in, double *out, size_t n) { cos_loop.run(in, out, n); }
void np_sin_many(const double *in, double *out, size_t n) { sin_loop.run(in, out, n); }

}  // namespace pyu
