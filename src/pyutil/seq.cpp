#include "pyutil/seq.hpp"

namespace pyu {

Py_ssize_t length(nb::handle obj) {
    Py_ssize_t n = PyObject_Length(obj.ptr());
    if (n < 0)
        raise_current();
    return n;
}

nb::object get_item(nb::handle seq, Py_ssize_t i) {
    if (PySequence_Check(seq.ptr()))
        return check(PySequence_GetItem(seq.ptr(), i));
    nb::object index = int_obj((long) i);
    return check(PyObject_GetItem(seq.ptr(), index.ptr()));
}

nb::object snapshot(nb::handle iterable) {
    if (PyTuple_CheckExact(iterable.ptr()))
        return nb::borrow(iterable);
    return check(PySequence_Tuple(iterable.ptr()));
}

SeqTail tail_items(nb::handle seq, Py_ssize_t start) {
    if (is_list_or_tuple(seq))
        return {nb::borrow(seq), start};
    nb::object begin = int_obj((long) start);
    nb::object slice = check(PySlice_New(begin.ptr(), nullptr, nullptr));
    nb::object tail = check(PyObject_GetItem(seq.ptr(), slice.ptr()));
    return {snapshot(tail), 0};
}

namespace {
// Fills `out` from a list or tuple whose items are all of `type`, reading
// fields only; false (and `out` unspecified) as soon as one is not.
template <class Fields, class Value, class Read>
bool read_exact(nb::handle seq, PyTypeObject *type, std::vector<Value> &out, Read read) {
    if (!type || !is_list_or_tuple(seq))
        return false;
    Py_ssize_t n = PySequence_Fast_GET_SIZE(seq.ptr());
    PyObject **items = PySequence_Fast_ITEMS(seq.ptr());
    out.resize((size_t) n);
    for (Py_ssize_t i = 0; i < n; ++i) {
        if (Py_TYPE(items[i]) != type)
            return false;
        out[(size_t) i] = read(*nb::inst_ptr<Fields>(items[i]));
    }
    return true;
}

// Our own Points at their fixed field offset (see point_fields_inline).
bool read_exact_points(nb::handle seq, std::vector<geom::Vec2> &out) {
    if (!point_type || !is_list_or_tuple(seq))
        return false;
    Py_ssize_t n = PySequence_Fast_GET_SIZE(seq.ptr());
    PyObject **items = PySequence_Fast_ITEMS(seq.ptr());
    out.resize((size_t) n);
    for (Py_ssize_t i = 0; i < n; ++i) {
        if (Py_TYPE(items[i]) != point_type)
            return false;
        const flat::Point &p = point_fields_inline(items[i]);
        out[(size_t) i] = {p.x, p.y};
    }
    return true;
}
}  // namespace

PointList read_points(nb::handle seq, bool keep_items) {
    PointList list;
    list.all_points = read_exact_points(seq, list.xy);
    if (list.all_points) {
        if (keep_items)
            list.items = snapshot(seq);
        return list;
    }
    list.items = snapshot(seq);
    Py_ssize_t n = snap_size(list.items);
    list.xy.resize((size_t) n);
    for (Py_ssize_t i = 0; i < n; ++i)
        list.xy[(size_t) i] = read_xy(snap_item(list.items, i));
    return list;
}

Point3List read_points3(nb::handle seq, bool keep_items) {
    Point3List list;
    list.all_points = read_exact<solid::Point3d>(seq, point3d_type, list.xyz, [](const solid::Point3d &p) {
        return geom::Vec3{p.x, p.y, p.z};
    });
    if (list.all_points) {
        if (keep_items)
            list.items = snapshot(seq);
        return list;
    }
    list.items = snapshot(seq);
    Py_ssize_t n = snap_size(list.items);
    list.xyz.resize((size_t) n);
    for (Py_ssize_t i = 0; i < n; ++i)
        list.xyz[(size_t) i] = read_xyz(snap_item(list.items, i));
    return list;
}

}  // namespace pyu
