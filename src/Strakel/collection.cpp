// Strakel.SegmentCollection: a caller's list of segments with the list
// protocol, end point weights and cleaning; the split at crossings, the turn
// rules and the walks are in collection_network.cpp.  This file also holds
// the class's member table.
#include "Strakel/collection.hpp"
#include "core/network/segment_network.hpp"

#include <algorithm>
#include <vector>

using namespace nb::literals;

namespace strakel {

namespace collection {

namespace {

struct CollectionData {};

PyTypeObject *collection_type = nullptr;

const pyu::Key key_append("append"), key_extend("extend"), key_insert("insert"), key_remove("remove"),
    key_pop("pop"), key_index("index"), key_count("count"), key_reverse("reverse"), key_sort("sort"),
    key_min("min"), key_choice("choice");

// ------------------------------------------------------------ construction

void init(nb::handle self, nb::handle segments) {
    pyu::check_receiver(self, (PyObject *) collection_type, "SegmentCollection");
    pyu::construct(self, CollectionData{});
    // The caller's list itself: neither copied nor tested.
    pyu::set_attr(self, key_segments, segments);
    nb::object marks = pyu::check(PyDict_New());
    pyu::set_attr(self, key_dict, marks);
    for (const pyu::Key *key : {&key_current_dir, &key_current_pt, &key_current_seg, &key_end_pt})
        pyu::set_attr(self, *key, nb::none());
}

// ------------------------------------------------------------ list protocol
// Each applies the list operation of the same name to the current
// `segments` object and lets its errors through.  That object may be a
// collection again, this one included: the guard turns the recursion into
// RecursionError.

struct Forward {
    pyu::RecursionGuard guard{" in SegmentCollection"};
    nb::object segments;
    explicit Forward(nb::handle self) : segments(segments_of(self)) {}
};

Py_ssize_t length(nb::handle self) { return pyu::length(Forward(self).segments); }

nb::object get_item(nb::handle self, nb::handle index) {
    Forward f(self);
    return pyu::check(PyObject_GetItem(f.segments.ptr(), index.ptr()));
}

void set_item(nb::handle self, nb::handle index, nb::handle value) {
    Forward f(self);
    pyu::check_status(PyObject_SetItem(f.segments.ptr(), index.ptr(), value.ptr()));
}

void del_item(nb::handle self, nb::handle index) {
    Forward f(self);
    pyu::check_status(PyObject_DelItem(f.segments.ptr(), index.ptr()));
}

nb::object iterate(nb::handle self) {
    Forward f(self);
    return pyu::check(PyObject_GetIter(f.segments.ptr()));
}

bool contains(nb::handle self, nb::handle item) {
    Forward f(self);
    return pyu::check_status(PySequence_Contains(f.segments.ptr(), item.ptr())) == 1;
}

void append(nb::handle self, nb::handle segment) { pyu::call_method(Forward(self).segments, key_append, segment); }
void extend(nb::handle self, nb::handle segments) { pyu::call_method(Forward(self).segments, key_extend, segments); }
void insert(nb::handle self, nb::handle index, nb::handle segment) {
    pyu::call_method(Forward(self).segments, key_insert, index, segment);
}
void remove(nb::handle self, nb::handle segment) { pyu::call_method(Forward(self).segments, key_remove, segment); }
nb::object pop(nb::handle self, nb::handle index) { return pyu::call_method(Forward(self).segments, key_pop, index); }
nb::object index(nb::handle self, nb::handle segment) {
    return pyu::call_method(Forward(self).segments, key_index, segment);
}
nb::object count(nb::handle self, nb::handle segment) {
    return pyu::call_method(Forward(self).segments, key_count, segment);
}
void reverse(nb::handle self) { pyu::call_method(Forward(self).segments, key_reverse); }
void sort(nb::handle self, nb::handle key, nb::handle reverse) {
    Forward f(self);
    nb::object method = pyu::get_attr(f.segments, key_sort);
    method(nb::arg("key") = key, nb::arg("reverse") = reverse);
}

// ------------------------------------------------------------ points

nb::list endpoints(nb::handle self) {
    nb::list out;
    pyu::for_each_iter(segments_of(self), [&](nb::handle seg) {
        EndObjects e = end_objects(seg);
        out.append(e.start);
        out.append(e.end);
        return true;
    });
    return out;
}

// Order of the knots: lowest y first, then lowest x; points holding a NaN
// last, in the order they come.
bool knot_before(Vec2 a, bool nan_a, Vec2 b, bool nan_b) {
    if (nan_a != nan_b)
        return nan_b;
    if (nan_a)
        return false;
    return a.y < b.y || (a.y == b.y && a.x < b.x);
}

nb::list knots(nb::handle self) {
    // Repeats merge as dictionary keys do (Point hash and equality): in
    // effect exactly equal coordinates, the first occurrence kept.
    nb::object unique = pyu::check(PyDict_New());
    nb::object points = pyu::snapshot(endpoints(self));
    for (Py_ssize_t i = 0, n = pyu::snap_size(points); i < n; ++i)
        if (!PyDict_SetDefault(unique.ptr(), pyu::snap_item(points, i).ptr(), Py_None))
            pyu::raise_current();
    nb::object keys = pyu::snapshot(pyu::check(PyDict_Keys(unique.ptr())));
    Py_ssize_t n = pyu::snap_size(keys);
    struct Knot {
        Vec2 p;
        bool nan;
        Py_ssize_t i;
    };
    std::vector<Knot> ks;
    ks.reserve((size_t) n);
    for (Py_ssize_t i = 0; i < n; ++i) {
        Vec2 p = pyu::read_xy(pyu::snap_item(keys, i));
        ks.push_back({p, geom::has_nan(p), i});
    }
    std::stable_sort(ks.begin(), ks.end(),
                     [](const Knot &a, const Knot &b) { return knot_before(a.p, a.nan, b.p, b.nan); });
    nb::list out;
    for (const Knot &k : ks)
        out.append(pyu::snap_item(keys, k.i));
    return out;
}

nb::list remove_duplicates(nb::handle self) {
    // One of each group of equal segments, the first in collection order.
    nb::object unique = pyu::check(PyDict_New());
    nb::object segs = pyu::snapshot(segments_of(self));
    for (Py_ssize_t i = 0, n = pyu::snap_size(segs); i < n; ++i)
        if (!PyDict_SetDefault(unique.ptr(), pyu::snap_item(segs, i).ptr(), Py_None))
            pyu::raise_current();
    return nb::steal<nb::list>(pyu::check(PyDict_Keys(unique.ptr())).release());
}

// ------------------------------------------------------------ weights

nb::dict create_weight_dict(nb::handle points, nb::handle segments) {
    nb::dict weights;
    nb::object zero = pyu::int_obj(0), one = pyu::int_obj(1);
    nb::object pts = pyu::snapshot(points);
    for (Py_ssize_t i = 0, n = pyu::snap_size(pts); i < n; ++i)
        if (!PyDict_SetDefault(weights.ptr(), pyu::snap_item(pts, i).ptr(), zero.ptr()))
            pyu::raise_current();
    nb::object segs = pyu::snapshot(segments);
    for (Py_ssize_t i = 0, n = pyu::snap_size(segs); i < n; ++i) {
        nb::handle seg = pyu::snap_item(segs, i);
        for (int end = 0; end < 2; ++end) {
            // Only points already filed count: a missing end raises KeyError.
            nb::object p = end ? end_object(seg) : start_object(seg);
            nb::object w = pyu::check(PyObject_GetItem(weights.ptr(), p.ptr()));
            nb::object plus = pyu::num_add(w, one);
            pyu::check_status(PyObject_SetItem(weights.ptr(), p.ptr(), plus.ptr()));
        }
    }
    return weights;
}

nb::object get_min_weight_point(nb::handle self) {
    nb::object points = pyu::snapshot(endpoints(self));
    nb::dict weights = create_weight_dict(points, segments_of(self));
    nb::object values = pyu::check(PyDict_Values(weights.ptr()));
    nb::object min = pyu::get_attr(pyu::import("builtins"), key_min);
    nb::object least = pyu::call(min, values);  // ValueError when empty
    nb::list candidates;
    for (Py_ssize_t i = 0, n = pyu::snap_size(points); i < n; ++i) {
        nb::handle p = pyu::snap_item(points, i);
        nb::object w = pyu::check(PyObject_GetItem(weights.ptr(), p.ptr()));
        if (pyu::check_status(PyObject_RichCompareBool(w.ptr(), least.ptr(), Py_EQ)))
            candidates.append(p);
    }
    return pyu::call_method(names::random.get(), key_choice, candidates);
}

// ------------------------------------------------------------ member table

void bind(nb::module_ &m) {
    pyu::Class<CollectionData> cls(m, "SegmentCollection", DOC(SegmentCollection));
    collection_type = cls.type();
    // One default direction per turn rule, made once.
    nb::object right_default = pyu::make_vector(1.0, 0.0), left_default = pyu::make_vector(1.0, 0.0);
    cls.init(&init, DOC(SegmentCollection, __init__), "segments"_a)
        .method("__len__", &length, DOC(SegmentCollection, __len__))
        .method("__getitem__", &get_item, DOC(SegmentCollection, __getitem__), "index"_a)
        .method("__setitem__", &set_item, DOC(SegmentCollection, __setitem__), "index"_a, "value"_a)
        .method("__delitem__", &del_item, DOC(SegmentCollection, __delitem__), "index"_a)
        .method("__iter__", &iterate, DOC(SegmentCollection, __iter__))
        .method("__contains__", &contains, DOC(SegmentCollection, __contains__), "item"_a)
        .method("append", &append, DOC(SegmentCollection, append), "segment"_a)
        .method("extend", &extend, DOC(SegmentCollection, extend), "segments"_a)
        .method("insert", &insert, DOC(SegmentCollection, insert), "index"_a, "segment"_a)
        .method("remove", &remove, DOC(SegmentCollection, remove), "segment"_a)
        .method("pop", &pop, DOC(SegmentCollection, pop), "index"_a = -1)
        .method("index", &index, DOC(SegmentCollection, index), "segment"_a)
        .method("count", &count, DOC(SegmentCollection, count), "segment"_a)
        .method("reverse", &reverse, DOC(SegmentCollection, reverse))
        .method("sort", &sort, DOC(SegmentCollection, sort), "key"_a = nb::none(), "reverse"_a = false)
        .property("endpoints", &endpoints, DOC(SegmentCollection, endpoints))
        .property("knots", &knots, DOC(SegmentCollection, knots))
        .method("remove_duplicates", &remove_duplicates, DOC(SegmentCollection, remove_duplicates))
        .static_method("create_weight_dict", &create_weight_dict, DOC(SegmentCollection, create_weight_dict),
                       "points"_a, "segments"_a)
        .method("get_min_weight_point", &get_min_weight_point, DOC(SegmentCollection, get_min_weight_point))
        .method("clean_isolated_segments", [](nb::handle self) { clean(self, Cleaning::isolated); },
                DOC(SegmentCollection, clean_isolated_segments))
        .method("_clean_open_segments", [](nb::handle self) { clean(self, Cleaning::open_once); },
                DOC(SegmentCollection, _clean_open_segments))
        .method("clean_open_segments", [](nb::handle self) { clean(self, Cleaning::open_repeated); },
                DOC(SegmentCollection, clean_open_segments))
        .method("get_connections", &get_connections, DOC(SegmentCollection, get_connections))
        .method("get_adjacent_segments", &get_adjacent_segments, DOC(SegmentCollection, get_adjacent_segments),
                "point"_a)
        .static_method("set_direction_by_point", &set_direction_by_point,
                       DOC(SegmentCollection, set_direction_by_point), "segments"_a, "point"_a)
        .static_method("get_right_segment", &get_right_segment, DOC(SegmentCollection, get_right_segment),
                       "segments"_a, "vector"_a = right_default)
        .static_method("get_left_segment", &get_left_segment, DOC(SegmentCollection, get_left_segment),
                       "segments"_a, "vector"_a = left_default)
        .method("get_contour_segments", &get_contour_segments, DOC(SegmentCollection, get_contour_segments),
                "split"_a = true, "clean"_a = false)
        .method("get_loop_segments", &get_loop_segments, DOC(SegmentCollection, get_loop_segments),
                "split"_a = false, "clean"_a = false)
        .method("get_polygons", &get_polygons, DOC(SegmentCollection, get_polygons), "split"_a = true,
                "clean"_a = false);
}

}  // namespace

// ------------------------------------------------------------ cleaning

// Equal segments share their end points and so their weights: they go
// together, as removing "the first segment equal to" each candidate removes
// them.  A point holding a NaN joins only with itself (the same object).
void clean(nb::handle self, Cleaning rule) {
    nb::object segs = segments_of(self);
    nb::object items = pyu::snapshot(segs);
    Py_ssize_t n = pyu::snap_size(items);
    std::vector<nb::object> held((size_t) (2 * n));  // keeps the identity tokens' objects alive
    std::vector<Vec2> pts((size_t) (2 * n));
    std::vector<std::uintptr_t> identity((size_t) (2 * n));
    for (Py_ssize_t i = 0; i < n; ++i) {
        EndPoints e = end_points(pyu::snap_item(items, i));
        pts[(size_t) (2 * i)] = e.a;
        pts[(size_t) (2 * i + 1)] = e.b;
        identity[(size_t) (2 * i)] = (std::uintptr_t) e.start.ptr();
        identity[(size_t) (2 * i + 1)] = (std::uintptr_t) e.end.ptr();
        held[(size_t) (2 * i)] = std::move(e.start);
        held[(size_t) (2 * i + 1)] = std::move(e.end);
    }
    std::vector<std::uint32_t> ids = geom::point_ids(pts, identity);
    std::vector<geom::EndIds> ends((size_t) n);
    std::uint32_t n_points = 0;
    for (Py_ssize_t i = 0; i < n; ++i) {
        ends[(size_t) i] = {ids[(size_t) (2 * i)], ids[(size_t) (2 * i + 1)]};
        n_points = std::max<std::uint32_t>({n_points, ends[(size_t) i].start + 1, ends[(size_t) i].end + 1});
    }
    std::vector<char> gone = rule == Cleaning::isolated    ? geom::isolated_segments(ends, n_points)
                             : rule == Cleaning::open_once ? geom::open_segments(ends, n_points)
                                                           : geom::open_segments_repeated(ends, n_points);
    if (std::find(gone.begin(), gone.end(), char(1)) == gone.end())
        return;
    if (PyList_CheckExact(segs.ptr()) && PyList_GET_SIZE(segs.ptr()) == n) {
        nb::list kept;
        for (Py_ssize_t i = 0; i < n; ++i)
            if (!gone[(size_t) i])
                kept.append(pyu::snap_item(items, i));
        pyu::check_status(PyList_SetSlice(segs.ptr(), 0, n, kept.ptr()));
        return;
    }
    // Any other container: its own remove, from the last candidate to the first.
    for (Py_ssize_t i = n - 1; i >= 0; --i)
        if (gone[(size_t) i])
            pyu::call_method(segs, key_remove, pyu::snap_item(items, i));
}

}  // namespace collection

void bind_segment_collection(nb::module_ &m) { collection::bind(m); }

}  // namespace strakel
