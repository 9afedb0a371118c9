// Strakel.SegmentCollection: a caller's list of segments with the list
// protocol, end point weights and cleaning, the split at crossings, the turn
// rules and the contour, loop and polygon walks.
//
// The collection keeps its state as ordinary instance attributes (`segments`,
// `dict` and the four walk attributes), so a caller may read, replace or
// delete them as on any object.  The network algorithms run in
// core/segment_network on coordinates; this file keeps the Python objects in
// step: pieces are Segment objects shared by `segments`, `dict` and every
// loop handed out, and a walk reverses them in place.
#include "Strakel/line_ray.hpp"
#include "Strakel/segment.hpp"
#include "core/segment_network.hpp"
#include "pyutil/numpy_kernels.hpp"

#include <algorithm>
#include <memory>
#include <unordered_map>
#include <vector>

namespace strakel {

using geom::Vec2;

namespace {

struct CollectionData {};

PyTypeObject *collection_type = nullptr;
// Strakel.Segment, read at every call that makes pieces.
pyu::ModuleAttr segment_class;
// The Segment class bound when the module was initialised: pieces of exactly
// this class hash and compare by their end points.
PyObject *bound_segment_type = nullptr;

// ------------------------------------------------------------ names

PyObject *intern(const char *s) {
    PyObject *o = PyUnicode_InternFromString(s);
    if (!o)
        pyu::raise_current();
    return o;  // kept for the life of the process
}

struct Names {
    PyObject *segments, *dict, *current_dir, *current_pt, *current_seg, *end_pt;
    PyObject *start, *end, *vector;
    PyObject *zero, *one;
};
Names *names_ = nullptr;
const Names &N() {
    if (!names_) {
        names_ = new Names{intern("segments"), intern("dict"),  intern("current_dir"), intern("current_pt"),
                           intern("current_seg"), intern("end_pt"), intern("start"), intern("end"),
                           intern("vector"), PyLong_FromLong(0),
                           PyLong_FromLong(1)};
    }
    return *names_;
}

nb::object get_attr(nb::handle obj, PyObject *name) {
    PyObject *v = PyObject_GetAttr(obj.ptr(), name);
    if (!v)
        pyu::raise_current();
    return nb::steal(v);
}
void set_attr(nb::handle obj, PyObject *name, nb::handle value) {
    if (PyObject_SetAttr(obj.ptr(), name, value.ptr()) != 0)
        pyu::raise_current();
}
nb::object call_method(nb::handle obj, const char *name, std::initializer_list<nb::handle> args) {
    nb::object method = obj.attr(name);
    std::vector<PyObject *> argv;
    for (nb::handle a : args)
        argv.push_back(a.ptr());
    PyObject *r = PyObject_Vectorcall(method.ptr(), argv.data(), argv.size(), nullptr);
    if (!r)
        pyu::raise_current();
    return nb::steal(r);
}
void check(int status) {
    if (status < 0)
        pyu::raise_current();
}

nb::object segments_of(nb::handle self) { return get_attr(self, N().segments); }
nb::object marks_of(nb::handle self) { return get_attr(self, N().dict); }

// The items of any sequence or iterable, as a list or tuple to index.
nb::object items_of(nb::handle seq) {
    PyObject *fast = PySequence_Fast(seq.ptr(), "expected a sequence");
    if (!fast)
        pyu::raise_current();
    return nb::steal(fast);
}
Py_ssize_t fast_size(nb::handle fast) { return PySequence_Fast_GET_SIZE(fast.ptr()); }
nb::handle fast_item(nb::handle fast, Py_ssize_t i) { return PySequence_Fast_GET_ITEM(fast.ptr(), i); }

// Pauses the cyclic garbage collector while a network makes or walks many
// pieces: tens of thousands of new objects would otherwise start collections
// that find nothing to free.  The collector's own state is put back after.
class CollectorPause {
public:
    CollectorPause() : was_enabled_(PyGC_Disable() == 1) {}
    ~CollectorPause() {
        if (was_enabled_)
            PyGC_Enable();
    }

private:
    bool was_enabled_;
};

// ------------------------------------------------------------ construction

void init(nb::handle self, nb::handle segments) {
    if (!PyObject_TypeCheck(self.ptr(), collection_type))
        pyu::raise(PyExc_TypeError, "descriptor '__init__' requires a 'SegmentCollection' object");
    if (!nb::inst_ready(self)) {
        new (nb::inst_ptr<CollectionData>(self)) CollectionData{};
        nb::inst_mark_ready(self);
    }
    // The caller's list itself: neither copied nor tested.
    set_attr(self, N().segments, segments);
    set_attr(self, N().dict, nb::dict());
    for (PyObject *name : {N().current_dir, N().current_pt, N().current_seg, N().end_pt})
        set_attr(self, name, nb::none());
}

// ------------------------------------------------------------ list protocol
// Each applies the list operation of the same name to the current
// `segments` object and lets its errors through.

Py_ssize_t length(nb::handle self) {
    Py_ssize_t n = PyObject_Size(segments_of(self).ptr());
    if (n < 0)
        pyu::raise_current();
    return n;
}

nb::object get_item(nb::handle self, nb::handle index) {
    PyObject *r = PyObject_GetItem(segments_of(self).ptr(), index.ptr());
    if (!r)
        pyu::raise_current();
    return nb::steal(r);
}

void set_item(nb::handle self, nb::handle index, nb::handle value) {
    check(PyObject_SetItem(segments_of(self).ptr(), index.ptr(), value.ptr()));
}

void del_item(nb::handle self, nb::handle index) { check(PyObject_DelItem(segments_of(self).ptr(), index.ptr())); }

nb::object iterate(nb::handle self) {
    PyObject *it = PyObject_GetIter(segments_of(self).ptr());
    if (!it)
        pyu::raise_current();
    return nb::steal(it);
}

bool contains(nb::handle self, nb::handle item) {
    int r = PySequence_Contains(segments_of(self).ptr(), item.ptr());
    check(r);
    return r == 1;
}

nb::object forward(nb::handle self, const char *name, std::initializer_list<nb::handle> args) {
    return call_method(segments_of(self), name, args);
}

nb::object sort(nb::handle self, nb::handle key, nb::handle reverse) {
    nb::object method = segments_of(self).attr("sort");
    return method(nb::arg("key") = key, nb::arg("reverse") = reverse);
}

// ------------------------------------------------------------ points

nb::list endpoints(nb::handle self) {
    nb::list out;
    nb::object segs = segments_of(self);
    nb::object it = nb::steal(PyObject_GetIter(segs.ptr()));
    if (!it.is_valid())
        pyu::raise_current();
    while (PyObject *s = PyIter_Next(it.ptr())) {
        nb::object seg = nb::steal(s);
        out.append(segment_start(seg));
        out.append(segment_end(seg));
    }
    if (PyErr_Occurred())
        pyu::raise_current();
    return out;
}

// Order of the knots: lowest y first, then lowest x; points holding a NaN
// last, in the order they come.  The lowest point of a walk is chosen over
// this order.
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
    nb::object unique = nb::steal(PyDict_New());
    nb::list pts = endpoints(self);
    for (nb::handle p : pts)
        check(PyDict_SetDefault(unique.ptr(), p.ptr(), Py_None) ? 0 : -1);
    nb::object keys = nb::steal(PyDict_Keys(unique.ptr()));
    if (!keys.is_valid())
        pyu::raise_current();
    Py_ssize_t n = PyList_GET_SIZE(keys.ptr());
    struct K {
        Vec2 p;
        bool nan;
        Py_ssize_t i;
    };
    std::vector<K> ks;
    ks.reserve((size_t) n);
    for (Py_ssize_t i = 0; i < n; ++i) {
        Vec2 p = xy(PyList_GET_ITEM(keys.ptr(), i));
        ks.push_back({p, geom::has_nan(p), i});
    }
    std::stable_sort(ks.begin(), ks.end(), [](const K &a, const K &b) { return knot_before(a.p, a.nan, b.p, b.nan); });
    nb::list out;
    for (const K &k : ks)
        out.append(nb::handle(PyList_GET_ITEM(keys.ptr(), k.i)));
    return out;
}

nb::list remove_duplicates(nb::handle self) {
    // One of each group of equal segments, the first in collection order.
    nb::object unique = nb::steal(PyDict_New());
    nb::object segs = items_of(segments_of(self));
    for (Py_ssize_t i = 0, n = fast_size(segs); i < n; ++i)
        check(PyDict_SetDefault(unique.ptr(), fast_item(segs, i).ptr(), Py_None) ? 0 : -1);
    return nb::steal<nb::list>(PyDict_Keys(unique.ptr()));
}

// ------------------------------------------------------------ weights

nb::dict create_weight_dict(nb::handle points, nb::handle segments) {
    nb::dict weights;
    nb::object pts = items_of(points);
    for (Py_ssize_t i = 0, n = fast_size(pts); i < n; ++i)
        check(PyDict_SetDefault(weights.ptr(), fast_item(pts, i).ptr(), N().zero) ? 0 : -1);
    nb::object segs = items_of(segments);
    for (Py_ssize_t i = 0, n = fast_size(segs); i < n; ++i) {
        nb::handle seg = fast_item(segs, i);
        for (PyObject *name : {N().start, N().end}) {
            // Only points already filed count: a missing end raises KeyError.
            nb::object p = get_attr(seg, name);
            PyObject *w = PyObject_GetItem(weights.ptr(), p.ptr());
            if (!w)
                pyu::raise_current();
            nb::object plus = nb::steal(PyNumber_Add(w, N().one));
            Py_DECREF(w);
            if (!plus.is_valid())
                pyu::raise_current();
            check(PyObject_SetItem(weights.ptr(), p.ptr(), plus.ptr()));
        }
    }
    return weights;
}

nb::object get_min_weight_point(nb::handle self) {
    nb::list points = endpoints(self);
    nb::dict weights = create_weight_dict(points, segments_of(self));
    nb::object values = nb::steal(PyDict_Values(weights.ptr()));
    nb::object least = pyu::builtins().attr("min")(values);  // ValueError when empty
    nb::list candidates;
    for (nb::handle p : points) {
        nb::object w = nb::steal(PyObject_GetItem(weights.ptr(), p.ptr()));
        if (!w.is_valid())
            pyu::raise_current();
        int eq = PyObject_RichCompareBool(w.ptr(), least.ptr(), Py_EQ);
        check(eq);
        if (eq)
            candidates.append(p);
    }
    return names::random.get().attr("choice")(candidates);
}

// ------------------------------------------------------------ cleaning

enum class Cleaning { isolated, open_once, open_repeated };

// Removes the segments the rule picks, all weights taken from the segments
// as they were before.  Equal segments share their end points and so their
// weights: they go together, as removing "the first segment equal to" each
// candidate removes them.
void clean(nb::handle self, Cleaning rule) {
    nb::object segs = segments_of(self);
    nb::object items = items_of(segs);
    Py_ssize_t n = fast_size(items);
    std::vector<Vec2> pts((size_t) (2 * n));
    std::vector<std::uintptr_t> identity((size_t) (2 * n));
    for (Py_ssize_t i = 0; i < n; ++i) {
        EndPoints e = end_points(fast_item(items, i));
        pts[(size_t) (2 * i)] = e.a;
        pts[(size_t) (2 * i + 1)] = e.b;
        identity[(size_t) (2 * i)] = (std::uintptr_t) e.start.ptr();
        identity[(size_t) (2 * i + 1)] = (std::uintptr_t) e.end.ptr();
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
                kept.append(fast_item(items, i));
        check(PyList_SetSlice(segs.ptr(), 0, n, kept.ptr()));
        return;
    }
    // Any other container: its own remove, from the last candidate to the first.
    for (Py_ssize_t i = n - 1; i >= 0; --i)
        if (gone[(size_t) i])
            call_method(segs, "remove", {fast_item(items, i)});
}

// ------------------------------------------------------------ split

nb::object new_segment(nb::handle start, nb::handle end) {
    nb::handle cls = segment_class.get();
    if (cls.ptr() == bound_segment_type)
        return make_segment(start, end);
    PyObject *args[] = {start.ptr(), end.ptr()};
    PyObject *r = PyObject_Vectorcall(cls.ptr(), args, 2, nullptr);
    if (!r)
        pyu::raise_current();
    return nb::steal(r);
}

double round_param(double t) { return geom::round_decimal(t, 9); }

void get_connections(nb::handle self) {
    CollectorPause pause;
    nb::object items = items_of(segments_of(self));
    Py_ssize_t n = fast_size(items);
    std::vector<Vec2> starts, ends;
    if (n >= 2) {  // a single segment is never read: it has no pair
        starts.resize((size_t) n);
        ends.resize((size_t) n);
        for (Py_ssize_t i = 0; i < n; ++i) {
            EndPoints e = end_points(fast_item(items, i));
            starts[(size_t) i] = e.a;
            ends[(size_t) i] = e.b;
        }
    }
    geom::CrossingTable table = geom::file_crossings(starts, ends, flat_eps(), eps());

    nb::list pieces;
    set_attr(self, N().segments, pieces);
    nb::object marks = marks_of(self);
    for (std::size_t k = 0; k < table.key.size(); ++k) {
        std::vector<double> &ts = table.params[k];
        for (double &t : ts)
            t = round_param(t);
        geom::distinct_sorted(ts);
        Vec2 s = starts[table.key[k]], e = ends[table.key[k]];
        for (std::size_t i = 0; i + 1 < ts.size(); ++i) {
            nb::object p1 = point_obj(geom::point_at_parameter(s, e, ts[i]));
            nb::object p2 = point_obj(geom::point_at_parameter(s, e, ts[i + 1]));
            nb::object piece = new_segment(p1, p2);
            check(PyObject_SetItem(marks.ptr(), piece.ptr(), N().one));
            pieces.append(piece);
        }
    }
}

// ------------------------------------------------------------ turn rules

nb::list get_adjacent_segments(nb::handle self, nb::handle point) {
    nb::object current = get_attr(self, N().current_seg);
    nb::object items = items_of(segments_of(self));
    double e = flat_eps();
    nb::list out;
    Vec2 r{-1, -1};
    bool have_point = false;
    for (Py_ssize_t i = 0, n = fast_size(items); i < n; ++i) {
        nb::handle seg = fast_item(items, i);
        if (!current.is_none()) {
            int eq = PyObject_RichCompareBool(seg.ptr(), current.ptr(), Py_EQ);
            check(eq);
            if (eq)
                continue;
        }
        if (!have_point) {
            Vec2 p = xy(point);
            r = {geom::round3(p.x), geom::round3(p.y)};
            have_point = true;
        }
        Vec2 a = xy(segment_start(seg));
        if (geom::tolerant_equal(r, {geom::round3(a.x), geom::round3(a.y)}, e)) {
            out.append(seg);
            continue;
        }
        Vec2 b = xy(segment_end(seg));
        if (geom::tolerant_equal(r, {geom::round3(b.x), geom::round3(b.y)}, e))
            out.append(seg);
    }
    return out;
}

nb::object set_direction_by_point(nb::handle segments, nb::handle point) {
    nb::object items = items_of(segments);
    for (Py_ssize_t i = 0, n = fast_size(items); i < n; ++i) {
        nb::handle seg = fast_item(items, i);
        Vec2 a = xy(segment_start(seg));
        Vec2 p = xy(point);
        double to_start = py_distance(a, p);
        Vec2 b = xy(segment_end(seg));
        if (to_start > py_distance(b, p))
            reverse_segment(seg);
    }
    return nb::borrow(segments);
}

[[noreturn]] void raise_missing_key() {
    pyu::raise(PyExc_TypeError, "unsupported operand type(s) for -: 'NoneType' and 'float'");
}

nb::object choose_segment(nb::handle segments, nb::handle vector, geom::Turn turn) {
    nb::object items = items_of(segments);
    Py_ssize_t n = fast_size(items);
    std::vector<Vec2> vectors((size_t) n);
    for (Py_ssize_t i = 0; i < n; ++i)
        vectors[(size_t) i] = xy(get_attr(fast_item(items, i), N().vector));
    Vec2 dir = n ? xy(vector) : Vec2{};
    geom::TurnChoice c = geom::choose_turn(vectors, dir, turn, flat_eps(), eps(), pyu::np_arccos);
    if (c.missing_key)
        raise_missing_key();
    if (c.index < 0)
        return nb::none();
    return nb::borrow(fast_item(items, c.index));
}

// ------------------------------------------------------------ walks

// The network of the current `segments` list, with the Python objects of
// its pieces.
struct Walker {
    std::vector<nb::object> objects;  // one per distinct piece object
    std::unique_ptr<geom::SegmentNetwork> net;
    // Every piece is a Segment of the class bound at initialisation, with
    // finite coordinates: dictionary keys then follow the end points exactly.
    bool plain = true;
};

Walker build_walker(nb::handle segments) {
    Walker w;
    nb::object items = items_of(segments);
    const std::size_t n = (std::size_t) fast_size(items);
    std::vector<std::uintptr_t> identity(n);
    for (std::size_t i = 0; i < n; ++i)
        identity[i] = (std::uintptr_t) fast_item(items, (Py_ssize_t) i).ptr();
    w.objects.reserve(n);
    // A list may hold one piece twice: each distinct object is read once.
    w.net = std::make_unique<geom::SegmentNetwork>(std::span<const std::uintptr_t>(identity), [&](std::size_t i) {
        nb::handle obj = fast_item(items, (Py_ssize_t) i);
        EndPoints e = end_points(obj);
        w.objects.push_back(nb::borrow(obj));
        if ((PyObject *) Py_TYPE(obj.ptr()) != bound_segment_type || !geom::is_finite(e.a) || !geom::is_finite(e.b))
            w.plain = false;
        return geom::NetworkPiece{e.a, e.b};
    });
    return w;
}

// Marks of the loop walks as the dictionary holds them, followed entry by
// entry so that the list of marked pieces (the dictionary's keys, in order)
// need not be rebuilt after every loop.
struct MarkMirror {
    std::vector<char> present;
    std::vector<std::uint64_t> refiled;  // new order of an entry filed again, or 0
    std::vector<std::uint32_t> touched;
    std::uint64_t next_order = 0;

    void reset(std::size_t entries) {
        present.assign(entries, 1);
        refiled.assign(entries, 0);
        touched.clear();
        next_order = entries + 1;
    }
};

bool is_zero_mark(PyObject *v) {
    if (v == N().zero)
        return true;
    nb::object hold = nb::borrow(v);
    int eq = PyObject_RichCompareBool(v, N().zero, Py_EQ);
    check(eq);
    return eq == 1;
}

class PyWalkHooks final : public geom::WalkHooks {
public:
    PyWalkHooks(Walker &w, nb::handle marks, bool contour, MarkMirror *mirror)
        : w_(w), marks_(marks), contour_(contour), mirror_(mirror) {}

    void reversed(std::uint32_t piece) override { reverse_segment(w_.objects[piece]); }

    void stepped(std::uint32_t entry) override {
        nb::handle seg = w_.objects[w_.net->piece_of(entry)];
        result.append(seg);
        if (contour_) {
            check(PyObject_SetItem(marks_.ptr(), seg.ptr(), N().zero));
            return;
        }
        // A piece marked 0 is used up and leaves the marks; any other gets 0.
        bool was_filed, remove;
        if (PyDict_CheckExact(marks_.ptr())) {
            PyObject *v = PyDict_GetItemWithError(marks_.ptr(), seg.ptr());
            if (!v && PyErr_Occurred())
                pyu::raise_current();
            was_filed = v != nullptr;
            remove = was_filed && is_zero_mark(v);
        } else {
            int in = PySequence_Contains(marks_.ptr(), seg.ptr());
            check(in);
            was_filed = in == 1;
            remove = false;
            if (was_filed) {
                nb::object v = nb::steal(PyObject_GetItem(marks_.ptr(), seg.ptr()));
                if (!v.is_valid())
                    pyu::raise_current();
                remove = is_zero_mark(v.ptr());
            }
        }
        // Uses left: one for a piece marked 0, two for any other mark.
        if (remove)
            --uses_delta;
        else if (!was_filed)
            ++uses_delta;
        else
            --uses_delta;  // a mark other than 0 becomes 0
        if (remove)
            check(PyObject_DelItem(marks_.ptr(), seg.ptr()));
        else
            check(PyObject_SetItem(marks_.ptr(), seg.ptr(), N().zero));
        if (mirror_) {
            mirror_->touched.push_back(entry);
            if (remove)
                mirror_->present[entry] = 0;
            else if (!was_filed) {
                mirror_->present[entry] = 1;
                mirror_->refiled[entry] = mirror_->next_order++;
            }
        }
    }

    nb::list result;
    long uses_delta = 0;  // change of the uses left over all marks

private:
    Walker &w_;
    nb::handle marks_;
    bool contour_;
    MarkMirror *mirror_;
};

// Sets the four walk attributes back to None, in order, whenever a walk
// ends, by an error too.
class WalkStateReset {
public:
    explicit WalkStateReset(nb::handle self) : self_(self) {}
    ~WalkStateReset() {
        PyObject *type, *value, *tb;
        PyErr_Fetch(&type, &value, &tb);
        for (PyObject *name : {N().current_dir, N().current_pt, N().current_seg, N().end_pt})
            if (PyObject_SetAttr(self_.ptr(), name, Py_None) != 0)
                PyErr_Clear();
        PyErr_Restore(type, value, tb);
    }

private:
    nb::handle self_;
};

void raise_walk_error(geom::WalkError e) {
    switch (e) {
    case geom::WalkError::none:
        return;
    case geom::WalkError::empty:
        pyu::raise(PyExc_IndexError, "list index out of range");
    case geom::WalkError::dead_end:
        pyu::raise(PyExc_AttributeError, "'NoneType' object has no attribute 'vector'");
    case geom::WalkError::missing_key:
        raise_missing_key();
    case geom::WalkError::does_not_close:
        pyu::raise_exception("Walk does not close.");
    }
}

bool is_true(nb::handle h) { return h.ptr() == Py_True; }

// One walk over the walker's network, starting with the collection's
// `current_seg` left out of the first adjacency.
nb::list run_walk(nb::handle self, Walker &w, bool contour, MarkMirror *mirror, long *uses_delta = nullptr) {
    WalkStateReset reset(self);
    nb::object marks = marks_of(self);
    std::optional<geom::PairKey> skip;
    nb::object current = get_attr(self, N().current_seg);
    double fe = flat_eps(), e = eps();
    PyWalkHooks hooks(w, marks, contour, mirror);
    geom::WalkError error = geom::WalkError::none;
    std::size_t max_steps = 2 * w.net->live_count() + 2;
    if (!current.is_none()) {
        EndPoints c = end_points(current);
        skip = geom::pair_key(c.a, c.b);
    }
    w.net->walk(contour, skip, fe, e, pyu::np_arccos, max_steps, hooks, error);
    raise_walk_error(error);
    if (uses_delta)
        *uses_delta = hooks.uses_delta;
    return hooks.result;
}

// Split and cleaning as the walks ask for them: only the value True counts.
void prepare(nb::handle self, nb::handle split, nb::handle clean_flag) {
    if (is_true(split))
        get_connections(self);
    if (is_true(clean_flag))
        clean(self, Cleaning::open_repeated);
}

nb::list get_contour_segments(nb::handle self, nb::handle split, nb::handle clean_flag) {
    WalkStateReset reset(self);
    prepare(self, split, clean_flag);
    Walker w = build_walker(segments_of(self));
    return run_walk(self, w, true, nullptr);
}

nb::list get_loop_segments(nb::handle self, nb::handle split, nb::handle clean_flag) {
    WalkStateReset reset(self);
    prepare(self, split, clean_flag);
    Walker w = build_walker(segments_of(self));
    return run_walk(self, w, false, nullptr);
}

nb::object keys_of(nb::handle marks) {
    PyObject *keys = PyMapping_Keys(marks.ptr());
    if (!keys)
        pyu::raise_current();
    return nb::steal(keys);
}

// The marks as the next loop walk depends on them: each piece in order,
// its mark and its current direction.  A loop walk that gives up no use can
// leave the marks as they were, and then every later walk repeats it.
struct MarksState {
    std::vector<nb::object> keys, values;
    std::vector<Vec2> starts;
    bool operator==(const MarksState &o) const {
        if (keys.size() != o.keys.size())
            return false;
        for (std::size_t i = 0; i < keys.size(); ++i)
            if (!keys[i].is(o.keys[i]) || !values[i].is(o.values[i]) || starts[i].x != o.starts[i].x ||
                starts[i].y != o.starts[i].y)
                return false;
        return true;
    }
};

MarksState marks_state(nb::handle marks) {
    MarksState st;
    Py_ssize_t pos = 0;
    PyObject *key, *value;
    while (PyDict_Next(marks.ptr(), &pos, &key, &value)) {
        st.keys.push_back(nb::borrow(key));
        st.values.push_back(nb::borrow(value));
        st.starts.push_back(xy(segment_start(key)));
    }
    return st;
}

bool has_marks(nb::handle marks) {
    int t = PyObject_IsTrue(marks.ptr());
    check(t);
    return t == 1;
}

// The list the collection would hold now: its live entries in order.
nb::list live_list(const Walker &w) {
    nb::list out;
    for (std::uint32_t e : w.net->live_entries())
        out.append(w.objects[w.net->piece_of(e)]);
    return out;
}

nb::list get_polygons(nb::handle self, nb::handle split, nb::handle /*clean: no effect*/) {
    CollectorPause pause;
    nb::list polygons;
    // The contour walk (without cleaning) marks the outside pieces once.
    Walker w;
    {
        WalkStateReset reset(self);
        prepare(self, split, Py_False);
        w = build_walker(segments_of(self));
        run_walk(self, w, true, nullptr);
    }

    // After each loop the collection holds the keys of the marks, in order.
    // While every piece is a plain Segment, that list is followed through the
    // marks each walk changes; `pending` says it has not been written back.
    MarkMirror mirror;
    bool mirrored = false, pending = false;
    // States left by loops that gave up no use: a repeat means no end.
    std::vector<MarksState> stalled;
    auto write_back = [&] {
        if (pending) {
            set_attr(self, N().segments, live_list(w));
            pending = false;
        }
    };
    try {
        while (has_marks(marks_of(self))) {
            long uses_delta = 0;
            nb::list loop = run_walk(self, w, false, mirrored ? &mirror : nullptr, &uses_delta);
            nb::object marks = marks_of(self);
            if (uses_delta < 0 || !PyDict_CheckExact(marks.ptr())) {
                stalled.clear();
            } else {
                MarksState st = marks_state(marks);
                if (std::find(stalled.begin(), stalled.end(), st) != stalled.end())
                    pyu::raise_exception("Walk does not close.");
                stalled.push_back(std::move(st));
            }
            bool in_step = false;
            if (mirrored) {
                for (std::uint32_t e : mirror.touched) {
                    if (!mirror.present[e])
                        w.net->drop(e);
                    else if (mirror.refiled[e]) {
                        w.net->reorder(e, mirror.refiled[e]);
                        mirror.refiled[e] = 0;
                    }
                }
                mirror.touched.clear();
                in_step = PyDict_CheckExact(marks.ptr()) && (std::size_t) PyDict_GET_SIZE(marks.ptr()) == w.net->live_count();
            }
            if (in_step) {
                pending = true;
            } else {
                pending = false;
                nb::object keys = keys_of(marks);
                set_attr(self, N().segments, keys);
                w = build_walker(keys);
                mirrored = w.plain && PyDict_CheckExact(marks.ptr());
                if (mirrored)
                    mirror.reset(w.net->entry_count());
            }
            polygons.append(loop);
        }
    } catch (...) {
        // The list as it stood after the last whole loop.
        PyObject *type, *value, *tb;
        PyErr_Fetch(&type, &value, &tb);
        try {
            write_back();
        } catch (nb::python_error &) {
        }
        PyErr_Restore(type, value, tb);
        throw;
    }
    write_back();
    return polygons;
}

// ------------------------------------------------------------ GC

int collection_traverse(PyObject *self, visitproc visit, void *arg) {
    Py_VISIT(Py_TYPE(self));
    if (PyObject **dict = _PyObject_GetDictPtr(self))
        Py_VISIT(*dict);
    return 0;
}
int collection_clear(PyObject *self) {
    if (PyObject **dict = _PyObject_GetDictPtr(self))
        Py_CLEAR(*dict);
    return 0;
}
PyType_Slot collection_slots[] = {
    {Py_tp_traverse, (void *) collection_traverse},
    {Py_tp_clear, (void *) collection_clear},
    {0, nullptr},
};

}  // namespace

void bind_segment_collection(nb::module_ &m) {
    using namespace nb::literals;
    N();
    segment_class.bind(m, "Segment");
    if (PyObject *cls = PyDict_GetItemString(PyModule_GetDict(m.ptr()), "Segment"))
        bound_segment_type = cls;

    auto cls = nb::class_<CollectionData>(m, "SegmentCollection", nb::dynamic_attr(), nb::type_slots(collection_slots));
    collection_type = (PyTypeObject *) cls.ptr();
    nb::object right_default = pyu::make_vector(1.0, 0.0), left_default = pyu::make_vector(1.0, 0.0);

    cls.def("__init__", &init, "segments"_a.none())
        .def("__len__", &length)
        .def("__getitem__", &get_item, "index"_a.none())
        .def("__setitem__", &set_item, "index"_a.none(), "value"_a.none())
        .def("__delitem__", &del_item, "index"_a.none())
        .def("__iter__", &iterate)
        .def("__contains__", &contains, "item"_a.none())
        .def("append", [](nb::handle self, nb::handle s) { forward(self, "append", {s}); },
             "segment"_a.none())
        .def("extend", [](nb::handle self, nb::handle s) { forward(self, "extend", {s}); },
             "segments"_a.none())
        .def("insert", [](nb::handle self, nb::handle i, nb::handle s) { forward(self, "insert", {i, s}); },
             "index"_a.none(), "segment"_a.none())
        .def("remove", [](nb::handle self, nb::handle s) { forward(self, "remove", {s}); },
             "segment"_a.none())
        .def("pop", [](nb::handle self, nb::handle i) { return forward(self, "pop", {i}); },
             "index"_a.none() = -1)
        .def("index", [](nb::handle self, nb::handle s) { return forward(self, "index", {s}); },
             "segment"_a.none())
        .def("count", [](nb::handle self, nb::handle s) { return forward(self, "count", {s}); },
             "segment"_a.none())
        .def("reverse", [](nb::handle self) { forward(self, "reverse", {}); })
        .def("sort", [](nb::handle self, nb::handle key, nb::handle reverse) { sort(self, key, reverse); },
             "key"_a.none() = nb::none(), "reverse"_a.none() = false)
        .def_prop_ro("endpoints", &endpoints)
        .def_prop_ro("knots", &knots)
        .def("remove_duplicates", &remove_duplicates)
        .def_static("create_weight_dict", &create_weight_dict, "points"_a.none(), "segments"_a.none())
        .def("get_min_weight_point", &get_min_weight_point)
        .def("clean_isolated_segments", [](nb::handle self) { clean(self, Cleaning::isolated); })
        .def("_clean_open_segments", [](nb::handle self) { clean(self, Cleaning::open_once); })
        .def("clean_open_segments", [](nb::handle self) { clean(self, Cleaning::open_repeated); })
        .def("get_connections", &get_connections)
        .def("get_adjacent_segments", &get_adjacent_segments, "point"_a.none())
        .def_static("set_direction_by_point", &set_direction_by_point, "segments"_a.none(), "point"_a.none())
        .def_static(
            "get_right_segment",
            [](nb::handle s, nb::handle v) { return choose_segment(s, v, geom::Turn::right_most); },
            "segments"_a.none(), "vector"_a.none() = right_default)
        .def_static(
            "get_left_segment", [](nb::handle s, nb::handle v) { return choose_segment(s, v, geom::Turn::left_most); },
            "segments"_a.none(), "vector"_a.none() = left_default)
        .def("get_contour_segments", &get_contour_segments, "split"_a.none() = true,
             "clean"_a.none() = false)
        .def("get_loop_segments", &get_loop_segments, "split"_a.none() = false,
             "clean"_a.none() = false)
        .def("get_polygons", &get_polygons, "split"_a.none() = true, "clean"_a.none() = false);
}

}  // namespace strakel
