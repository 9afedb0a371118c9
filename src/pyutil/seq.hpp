// Walking the caller's sequences.  Any Python code that runs during a walk
// (a point's `x` getter, `__eq__`, `__hash__`) may change the sequence, so a
// walk either holds each item and re-reads the length at every step
// (for_each_item), or works on a snapshot taken first (a new tuple holding
// every item).  A pass that runs no Python code at all (reading the fields
// of our own points) may read the caller's list directly.
#pragma once

#include "pyutil/attrs.hpp"
#include "pyutil/reads.hpp"

#include <vector>

namespace pyu {

inline bool is_list_or_tuple(nb::handle h) { return PyList_Check(h.ptr()) || PyTuple_Check(h.ptr()); }

// len(obj), with the interpreter's TypeError for an object without one.
Py_ssize_t length(nb::handle obj);
// seq[i] with the interpreter's errors (IndexError "list index out of range").
nb::object get_item(nb::handle seq, Py_ssize_t i);
// tuple(iterable): a snapshot holding a reference to every item.
nb::object snapshot(nb::handle iterable);
// Items of a snapshot (a tuple); valid while the snapshot is held.  An index
// outside it (a position found before the caller emptied the sequence)
// raises the IndexError of the tuple.
inline Py_ssize_t snap_size(nb::handle snap) { return PyTuple_GET_SIZE(snap.ptr()); }
[[noreturn]] void snapshot_index_error();
inline nb::handle snap_item(nb::handle snap, Py_ssize_t i) {
    if ((size_t) i >= (size_t) PyTuple_GET_SIZE(snap.ptr()))
        snapshot_index_error();
    return PyTuple_GET_ITEM(snap.ptr(), i);
}

// Calls f(i, item) for the items [start, len) of a list or tuple, in order,
// holding a reference to each item while f runs; the length of a list is
// re-read at every step, so a list changed by f never reads past its end.
// f returns false to stop.  Returns false when it was stopped.
template <class F>
bool for_each_item(nb::handle seq, Py_ssize_t start, F &&f) {
    PyObject *s = seq.ptr();
    bool is_list = PyList_Check(s);
    geom::Interrupt stop = interrupt();
    for (Py_ssize_t i = start;; ++i) {
        stop.tick();
        Py_ssize_t n = is_list ? PyList_GET_SIZE(s) : PyTuple_GET_SIZE(s);
        if (i >= n)
            return true;
        nb::object item = nb::borrow(is_list ? PyList_GET_ITEM(s, i) : PyTuple_GET_ITEM(s, i));
        if (!f(i, nb::handle(item)))
            return false;
    }
}

// seq[start:] as a list or tuple and the index to walk it from with
// for_each_item: a list or tuple is walked in place, anything else is sliced.
struct SeqTail {
    nb::object seq;
    Py_ssize_t start;
};
SeqTail tail_items(nb::handle seq, Py_ssize_t start);

// Calls f(item) for every item of any iterable; f returns false to stop.
template <class F>
bool for_each_iter(nb::handle iterable, F &&f) {
    nb::object iter = check(PyObject_GetIter(iterable.ptr()));
    geom::Interrupt stop = interrupt();
    while (PyObject *raw = PyIter_Next(iter.ptr())) {
        nb::object item = nb::steal(raw);
        stop.tick();
        if (!f(nb::handle(item)))
            return false;
    }
    if (PyErr_Occurred())
        raise_current();
    return true;
}

// [item.<key> for item in iterable], as a new list.
nb::list attr_of_each(nb::handle iterable, const Key &key);

// The items of any iterable for which points.count(item) == 1, in order: the
// sequence's own count (identity first, then ==), asked once per item.
nb::list items_counted_once(nb::handle points);

// The coordinates of a list or tuple whose items are all our own exact
// Point, read from their fields without any Python call; false (and `out`
// unspecified) for anything else.
bool read_exact_points(nb::handle seq, std::vector<geom::Vec2> &out);
// The same for Point3d.  Read the fields out before making any Python
// object: an allocation may run the collector, whose callbacks may change
// the caller's list and free the array of items.
bool read_exact_points3(nb::handle seq, std::vector<geom::Vec3> &out);

// The coordinates of every item of a sequence, read once, in order.  When
// every item is our own Point (exact class), the fields are read in one pass
// that runs no Python code and `items` stays null unless asked for;
// otherwise the items are read from a snapshot through `x` and `y`, and
// `items` holds it.  With `keep_items`, `items` always holds a snapshot, so
// a result may hand back the caller's own objects (item(i)).
template <class Value>
struct Points {
    nb::object items;  // a tuple of the items, or null
    std::vector<Value> coords;
    bool all_points = false;  // every item was our own exact point class
    size_t size() const { return coords.size(); }
    nb::object item(size_t i) const { return nb::borrow(snap_item(items, (Py_ssize_t) i)); }
};
using PointList = Points<geom::Vec2>;
PointList read_points(nb::handle seq, bool keep_items = false);
// The same for solid points (Point3d, or anything with x, y and z).
using Point3List = Points<geom::Vec3>;
Point3List read_points3(nb::handle seq, bool keep_items = false);

}  // namespace pyu
