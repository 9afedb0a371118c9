// numpy's own double kernels for cos, sin, tan and arccos, called without the
// interpreter.  numpy's results differ from the C library's in the last bit
// for a few percent of inputs, and every angle rule must agree with numpy.
#pragma once

#include "pyutil/pyutil.hpp"

#include <cstddef>

namespace pyu {

// Finds the kernels in the imported numpy; every module calls it once at
// initialisation.  Where numpy's functions are not the ufuncs expected, the
// functions below call them through the interpreter instead.
void init_numpy_kernels();

double np_arccos(double c);
double np_cos(double a);
double np_sin(double a);
double np_tan(double a);
// Many values at once, through the same kernels.
void np_cos_many(const double *in, double *out, size_t n);
void np_sin_many(const double *in, double *out, size_t n);

}  // namespace pyu
