#include "pyutil/seq.hpp"

namespace pyu {

nb::list attr_of_each(nb::handle iterable, const Key &key) {
    nb::list values;
    for_each_iter(iterable, [&](nb::handle item) {
        values.append(get_attr(item, key));
        return true;
    });
    return values;
}

nb::list items_counted_once(nb::handle points) {
    static const Key key_count("count");
    nb::list selected;
    nb::object count = get_attr(points, key_count);
    nb::object one = int_obj(1);
    geom::Interrupt stop = interrupt();
    for_each_iter(points, [&](nb::handle p) {
        stop.poll();  // each count walks the whole sequence
        nb::object c = call(count, p);
        if (num_eq(c, one))
            selected.append(p);
        return true;
    });
    return selected;
}

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

void snapshot_index_error() { raise(PyExc_IndexError, "tuple index out of range"); }

nb::object snapshot(nb::handle iterable) {
    PyObject *seq = iterable.ptr();
    if (PyTuple_CheckExact(seq))
        return nb::borrow(iterable);
    if (!PyList_CheckExact(seq))
        return check(PySequence_Tuple(seq));
    // The interpreter's own tuple(list) copies from the list's item array
    // after making the tuple, and making it may run the collector, whose
    // callbacks may resize the list: the tuple is made first here, and filled
    // only when the list kept its size meanwhile.
    for (;;) {
        Py_ssize_t n = PyList_GET_SIZE(seq);
        nb::object out = check(PyTuple_New(n));
        if (PyList_GET_SIZE(seq) != n)
            continue;
        for (Py_ssize_t i = 0; i < n; ++i) {
            PyObject *item = PyList_GET_ITEM(seq, i);
            Py_INCREF(item);
            PyTuple_SET_ITEM(out.ptr(), i, item);
        }
        return out;
    }
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
// Reads every item of `seq`: the fields of `type` (found by `locate`) in
// one pass while every item is of that exact class, otherwise `read` on each
// item of a snapshot.
template <class Value, class Locate, class ReadFields, class ReadAny>
Points<Value> read_all(nb::handle seq, bool keep_items, PyTypeObject *type, Locate locate, ReadFields read_fields,
                       ReadAny read_any) {
    Points<Value> list;
    if (type && is_list_or_tuple(seq)) {
        Py_ssize_t n = PySequence_Fast_GET_SIZE(seq.ptr());
        PyObject **items = PySequence_Fast_ITEMS(seq.ptr());
        list.coords.resize((size_t) n);
        Py_ssize_t i = 0;
        const Py_ssize_t at = ready_byte;  // a list's items are many: read once
        while (i < n && Py_TYPE(items[i]) == type && constructed(items[i], at)) {
            list.coords[(size_t) i] = read_fields(locate(items[i]));
            ++i;
        }
        if (i == n) {
            list.all_points = true;
            if (keep_items)
                list.items = snapshot(seq);
            return list;
        }
    }
    list.items = snapshot(seq);
    Py_ssize_t n = snap_size(list.items);
    list.coords.resize((size_t) n);
    for (Py_ssize_t i = 0; i < n; ++i)
        list.coords[(size_t) i] = read_any(snap_item(list.items, i));
    return list;
}
}  // namespace

namespace {
// Every item of a list or tuple read by `read` while each is a constructed
// instance of exactly `type`; false at the first that is not.
template <class Value, class Read>
bool read_exact(nb::handle seq, PyTypeObject *type, std::vector<Value> &out, Read read) {
    if (!type || !is_list_or_tuple(seq))
        return false;
    Py_ssize_t n = PySequence_Fast_GET_SIZE(seq.ptr());
    PyObject **items = PySequence_Fast_ITEMS(seq.ptr());
    out.resize((size_t) n);
    const Py_ssize_t at = ready_byte;
    for (Py_ssize_t i = 0; i < n; ++i) {
        if (Py_TYPE(items[i]) != type || !constructed(items[i], at))
            return false;
        out[(size_t) i] = read(items[i]);
    }
    return true;
}
}  // namespace

bool read_exact_points(nb::handle seq, std::vector<geom::Vec2> &out) {
    return read_exact(seq, point_type, out, [](PyObject *o) {
        const flat::Point &p = point_fields_inline(o);
        return geom::Vec2{p.x, p.y};
    });
}

bool read_exact_points3(nb::handle seq, std::vector<geom::Vec3> &out) {
    return read_exact(seq, point3d_type, out, [](PyObject *o) {
        const solid::Point3d &p = solid_fields(o);
        return geom::Vec3{p.x, p.y, p.z};
    });
}

PointList read_points(nb::handle seq, bool keep_items) {
    return read_all<geom::Vec2>(
        seq, keep_items, point_type, [](PyObject *o) -> const flat::Point & { return point_fields_inline(o); },
        [](const flat::Point &p) { return geom::Vec2{p.x, p.y}; }, read_xy);
}

Point3List read_points3(nb::handle seq, bool keep_items) {
    return read_all<geom::Vec3>(
        seq, keep_items, point3d_type, [](PyObject *o) -> const solid::Point3d & { return solid_fields(o); },
        [](const solid::Point3d &p) { return geom::Vec3{p.x, p.y, p.z}; }, read_xyz);
}

}  // namespace pyu
