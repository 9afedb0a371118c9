// numpy arrays in and out of C++ buffers, without copies beyond the one
// that fills a new array.  Only arrays whose class is exactly numpy.ndarray
// are read directly: a subclass (np.matrix, a masked array) may give its
// operations other meanings, so its callers take numpy's own steps instead.
#pragma once

#include "pyutil/errors.hpp"

#include <cstddef>
#include <cstdint>
#include <initializer_list>

namespace pyu {

// Whether `obj` is an instance of exactly numpy.ndarray.
bool is_ndarray(nb::handle obj);
// Whether `obj` is a numpy.ndarray or an instance of a subclass of it.
bool is_ndarray_instance(nb::handle obj);
// numpy.asarray(obj), an exact ndarray, through the numpy imported (not a
// name a module binds, which a caller may rebind).
nb::object as_ndarray(nb::handle obj);

// A read view of an exact numpy.ndarray of dtype T (double, float, int64_t,
// int32_t), C-contiguous and aligned for T (an array over a byte buffer at an
// odd offset is not: its callers take numpy's own steps): `data` stays valid
// while `array` is held.  `data` may be null when the array is empty.
template <class T>
struct ArrayView {
    nb::object array;  // the array, owned
    const T *data = nullptr;
    size_t ndim = 0;
    size_t shape[4] = {0, 0, 0, 0};
    size_t size() const {
        size_t n = 1;
        for (size_t i = 0; i < ndim; ++i)
            n *= shape[i];
        return n;
    }
};
// The view, or false when `obj` is anything else (another class, dtype,
// layout, or more than four dimensions).
template <class T>
bool view_array(nb::handle obj, ArrayView<T> &out);

// numpy.ascontiguousarray(obj, dtype=T) through the numpy imported, as a
// view of T (double or int64_t).
template <class T>
ArrayView<T> as_contiguous(nb::handle obj);

// A new C-contiguous numpy array of dtype T and the given shape, and its
// buffer to fill.
template <class T>
struct NewArray {
    nb::object array;
    T *data = nullptr;
};
template <class T>
NewArray<T> new_array(std::initializer_list<size_t> shape);

// numpy.float64(v): the scalar type numpy's own functions return.
nb::object np_float64(double v);

}  // namespace pyu
