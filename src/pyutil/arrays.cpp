#include "pyutil/arrays.hpp"

#include "pyutil/attrs.hpp"
#include "pyutil/module.hpp"
#include "pyutil/numbers.hpp"

#include <nanobind/ndarray.h>

#include <type_traits>
#include <vector>

namespace pyu {
namespace {

// numpy's ndarray and float64 classes, found once (numpy lives as long as
// the process once imported).
PyObject *numpy_class(const char *name) {
    nb::object numpy = import("numpy");
    return get_attr(numpy, Key(name)).release().ptr();
}
PyObject *ndarray_type() {
    static PyObject *type = numpy_class("ndarray");
    return type;
}
PyObject *float64_type() {
    static PyObject *type = numpy_class("float64");
    return type;
}

}  // namespace

bool is_ndarray(nb::handle obj) { return (PyObject *) Py_TYPE(obj.ptr()) == ndarray_type(); }

bool is_ndarray_instance(nb::handle obj) { return check_status(PyObject_IsInstance(obj.ptr(), ndarray_type())) == 1; }

template <class T>
ArrayView<T> as_contiguous(nb::handle obj) {
    static PyObject *contiguous = numpy_class("ascontiguousarray");
    static PyObject *dtype = numpy_class(std::is_same_v<T, double> ? "float64" : "int64");
    nb::object array = check(PyObject_CallFunctionObjArgs(contiguous, obj.ptr(), dtype, nullptr));
    ArrayView<T> view;
    if (!view_array(array, view))
        raise(PyExc_TypeError, "an array was expected");
    return view;
}
template ArrayView<double> as_contiguous<double>(nb::handle);
template ArrayView<int64_t> as_contiguous<int64_t>(nb::handle);

nb::object as_ndarray(nb::handle obj) {
    static PyObject *asarray = numpy_class("asarray");
    return check(PyObject_CallOneArg(asarray, obj.ptr()));
}

template <class T>
bool view_array(nb::handle obj, ArrayView<T> &out) {
    if (!is_ndarray(obj))
        return false;
    nb::ndarray<nb::numpy, const T, nb::c_contig> a;
    if (!nb::try_cast(obj, a, false) || a.ndim() > 4 || (uintptr_t) a.data() % alignof(T) != 0)
        return false;
    out.array = nb::borrow(obj);
    out.data = a.data();
    out.ndim = a.ndim();
    for (size_t i = 0; i < out.ndim; ++i)
        out.shape[i] = a.shape(i);
    return true;
}

template <class T>
NewArray<T> new_array(std::initializer_list<size_t> shape) {
    size_t count = 1;
    for (size_t s : shape)
        if (__builtin_mul_overflow(count, s, &count))
            count = SIZE_MAX;
    checked_size(count > (size_t) PY_SSIZE_T_MAX ? -1 : (Py_ssize_t) count, sizeof(T));
    T *data = new T[count > 0 ? count : 1];
    nb::capsule owner(data, [](void *p) noexcept { delete[] (T *) p; });
    std::vector<size_t> dims(shape);
    nb::ndarray<nb::numpy, T, nb::c_contig> a(data, dims.size(), dims.data(), owner);
    return {nb::cast(a), data};  // the capsule owns the buffer: no copy
}

nb::object np_float64(double v) {
    nb::object f = float_obj(v);
    return check(PyObject_CallOneArg(float64_type(), f.ptr()));
}

template bool view_array<double>(nb::handle, ArrayView<double> &);
template bool view_array<float>(nb::handle, ArrayView<float> &);
template bool view_array<int64_t>(nb::handle, ArrayView<int64_t> &);
template bool view_array<int32_t>(nb::handle, ArrayView<int32_t> &);
template NewArray<double> new_array<double>(std::initializer_list<size_t>);
template NewArray<float> new_array<float>(std::initializer_list<size_t>);
template NewArray<int64_t> new_array<int64_t>(std::initializer_list<size_t>);
template NewArray<int32_t> new_array<int32_t>(std::initializer_list<size_t>);

}  // namespace pyu
