// SegmentCollection: the split at crossings, the turn rules and the contour,
// loop and polygon walks.  The network algorithms run in core/segment_network
// on coordinates; this file keeps the Python objects in step: pieces are
// Segment objects shared by `segments`, `dict` and every loop handed out,
// and a walk reverses them in place.
#include "Strakel/collection.hpp"
#include "core/network/split.hpp"
#include "core/network/segment_network.hpp"
#include "pyutil/numpy_kernels.hpp"

#include <algorithm>
#include <cstdlib>
#include <memory>
#include <vector>

namespace strakel::collection {

using geom::Vec2;

namespace {

const pyu::Key key_vector_attr("vector");

// The finest height difference the walks of a polygon extraction start by,
// the default point tolerance: a coarser tolerance set by the caller does
// not let them start inside a fine plan.
constexpr double start_tie_cap = 1e-6;

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

[[noreturn]] void raise_missing_key() {
    pyu::raise(PyExc_TypeError, "unsupported operand type(s) for -: 'NoneType' and 'float'");
}

nb::object choose_segment(nb::handle segments, nb::handle vector, geom::Turn turn) {
    nb::object items = pyu::snapshot(segments);
    Py_ssize_t n = pyu::snap_size(items);
    std::vector<Vec2> vectors((size_t) n);
    for (Py_ssize_t i = 0; i < n; ++i) {
        nb::object v = pyu::get_attr(pyu::snap_item(items, i), key_vector_attr);
        vectors[(size_t) i] = pyu::read_xy(v);
    }
    Vec2 dir = n ? pyu::read_xy(vector) : Vec2{};
    geom::TurnChoice c = geom::choose_turn(vectors, dir, turn, flat_eps(), eps(), pyu::np_arccos);
    if (c.missing_key)
        raise_missing_key();
    if (c.index < 0)
        return nb::none();
    return nb::borrow(pyu::snap_item(items, c.index));
}

// ------------------------------------------------------------ walks

// The network of the current `segments` list, with the Python objects of
// its pieces.
struct Walker {
    std::vector<nb::object> objects;  // one per distinct piece object, in piece order
    std::unique_ptr<geom::SegmentNetwork> net;
    // Every piece is exactly our Segment, with finite coordinates:
    // dictionary keys then follow the end points exactly.
    bool plain = true;
};

Walker build_walker(nb::handle segments) {
    Walker w;
    nb::object items = pyu::snapshot(segments);
    const size_t n = (size_t) pyu::snap_size(items);
    // The snapshot holds every item while the network is built: their
    // addresses are the identity tokens, and a list may hold one piece twice.
    std::vector<std::uintptr_t> identity(n);
    for (size_t i = 0; i < n; ++i)
        identity[i] = (std::uintptr_t) pyu::snap_item(items, (Py_ssize_t) i).ptr();
    w.objects.reserve(n);
    w.net = std::make_unique<geom::SegmentNetwork>(std::span<const std::uintptr_t>(identity), [&](size_t i) {
        nb::handle obj = pyu::snap_item(items, (Py_ssize_t) i);
        EndPoints e = end_points(obj);
        w.objects.push_back(nb::borrow(obj));
        if (Py_TYPE(obj.ptr()) != segment_type || !geom::is_finite(e.a) || !geom::is_finite(e.b))
            w.plain = false;
        return geom::NetworkPiece{e.a, e.b};
    });
    // For tests: the walks' adjacencies by the plain scan, to compare with.
    static const bool scan_every_piece = std::getenv("STRAKEL_SCAN_EVERY_PIECE") != nullptr;
    if (scan_every_piece)
        w.net->scan_every_piece();
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

    void reset(size_t entries) {
        present.assign(entries, 1);
        refiled.assign(entries, 0);
        touched.clear();
        next_order = entries + 1;
    }
};

// Removes a piece's mark, if it has one.
void forget_mark(nb::handle marks, nb::handle piece) {
    if (pyu::check_status(PySequence_Contains(marks.ptr(), piece.ptr())) == 1)
        pyu::check_status(PyObject_DelItem(marks.ptr(), piece.ptr()));
}

bool is_zero_mark(nb::handle v, nb::handle zero) {
    if (v.ptr() == zero.ptr())
        return true;
    return pyu::check_status(PyObject_RichCompareBool(v.ptr(), zero.ptr(), Py_EQ)) == 1;
}

class PyWalkHooks final : public geom::WalkHooks {
public:
    PyWalkHooks(Walker &w, nb::handle marks, bool contour, MarkMirror *mirror)
        : w_(w), marks_(marks), contour_(contour), mirror_(mirror), zero_(pyu::int_obj(0)) {}

    void reversed(std::uint32_t piece) override { reverse_segment(w_.objects[piece]); }

    void stepped(std::uint32_t entry) override {
        nb::handle seg = w_.objects[w_.net->piece_of(entry)];
        result.append(seg);
        if (contour_) {
            // A piece the contour walks twice (a wall out to a second
            // building and back) has the outside on both sides: used up.
            if (walked_.empty())
                walked_.assign(w_.net->piece_count(), 0);
            char &twice = walked_[w_.net->piece_of(entry)];
            if (twice) {
                used_up.push_back(entry);
                forget_mark(marks_, seg);
                return;
            }
            twice = 1;
            pyu::check_status(PyObject_SetItem(marks_.ptr(), seg.ptr(), zero_.ptr()));
            return;
        }
        // A piece marked 0 is used up and leaves the marks; any other gets 0.
        bool was_filed, remove;
        if (PyDict_CheckExact(marks_.ptr())) {
            PyObject *v = PyDict_GetItemWithError(marks_.ptr(), seg.ptr());
            if (!v && PyErr_Occurred())
                pyu::raise_current();
            was_filed = v != nullptr;
            nb::object mark = nb::borrow(v);  // held: its `==` may change the dictionary
            remove = was_filed && is_zero_mark(mark, zero_);
        } else {
            was_filed = pyu::check_status(PySequence_Contains(marks_.ptr(), seg.ptr())) == 1;
            remove = false;
            if (was_filed) {
                nb::object v = pyu::check(PyObject_GetItem(marks_.ptr(), seg.ptr()));
                remove = is_zero_mark(v, zero_);
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
            pyu::check_status(PyObject_DelItem(marks_.ptr(), seg.ptr()));
        else
            pyu::check_status(PyObject_SetItem(marks_.ptr(), seg.ptr(), zero_.ptr()));
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
    std::vector<std::uint32_t> used_up;  // entries the contour walked twice

private:
    Walker &w_;
    nb::handle marks_;  // held by the walk that made the hooks
    bool contour_;
    MarkMirror *mirror_;
    nb::object zero_;
    std::vector<char> walked_;  // pieces the contour has walked
};

// Sets the four walk attributes back to None, in order, whenever a walk
// ends, by an error too.
class WalkStateReset {
public:
    explicit WalkStateReset(nb::handle self) : self_(self) {}
    ~WalkStateReset() {
        PyObject *type, *value, *tb;
        PyErr_Fetch(&type, &value, &tb);
        for (const pyu::Key *key : {&key_current_dir, &key_current_pt, &key_current_seg, &key_end_pt}) {
            PyObject *name = nullptr;
            try {
                name = key->ptr();
            } catch (nb::python_error &) {
            }
            if (!name || PyObject_SetAttr(self_.ptr(), name, Py_None) != 0)
                PyErr_Clear();
        }
        PyErr_Restore(type, value, tb);
    }

private:
    nb::handle self_;  // the receiver: held by the caller for the whole call
};

void raise_walk_error(geom::WalkError e, Vec2 at) {
    switch (e) {
    case geom::WalkError::none:
        return;
    case geom::WalkError::empty:
        pyu::raise(PyExc_IndexError, "list index out of range");
    case geom::WalkError::dead_end: {
        std::string text = "The walls dead-end at (" + pyu::float_repr(at.x) + ", " + pyu::float_repr(at.y) +
                           "): no piece leads on from there.";
        pyu::raise(PyExc_AttributeError, text.c_str());
    }
    case geom::WalkError::missing_key:
        raise_missing_key();
    case geom::WalkError::does_not_close:
        pyu::raise_exception("Walk does not close.");
    }
}

bool is_true(nb::handle h) { return h.ptr() == Py_True; }

// One walk over the walker's network, starting with the collection's
// `current_seg` left out of the first adjacency.
nb::list run_walk(nb::handle self, Walker &w, bool contour, MarkMirror *mirror, long *uses_delta = nullptr,
                  std::optional<Vec2> start = std::nullopt, std::vector<std::uint32_t> *walked = nullptr,
                  std::vector<std::uint32_t> *used_up = nullptr, std::vector<Vec2> *path = nullptr) {
    WalkStateReset reset(self);
    nb::object marks = marks_of(self);
    std::optional<geom::PairKey> skip;
    nb::object current = pyu::get_attr(self, key_current_seg);
    double fe = flat_eps(), e = eps();
    PyWalkHooks hooks(w, marks, contour, mirror);
    geom::WalkError error = geom::WalkError::none;
    size_t max_steps = 2 * w.net->live_count() + 2;
    if (!current.is_none()) {
        Ends c = ends_of(current);
        skip = geom::pair_key(c.start, c.end);
    }
    Vec2 at{};
    std::vector<std::uint32_t> entries =
        w.net->walk(contour, skip, fe, e, pyu::np_arccos, max_steps, hooks, error, at, start, pyu::interrupt(), path);
    if (used_up)
        used_up->insert(used_up->end(), hooks.used_up.begin(), hooks.used_up.end());
    raise_walk_error(error, at);
    if (walked)
        *walked = std::move(entries);
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

// The marks as the next loop walk depends on them: each piece in order,
// its mark and its current direction.  A loop walk that gives up no use can
// leave the marks as they were, and then every later walk repeats it.
struct MarksState {
    std::vector<nb::object> keys, values;
    std::vector<Vec2> starts;
    bool operator==(const MarksState &o) const {
        if (keys.size() != o.keys.size())
            return false;
        for (size_t i = 0; i < keys.size(); ++i)
            if (!keys[i].is(o.keys[i]) || !values[i].is(o.values[i]) || starts[i].x != o.starts[i].x ||
                starts[i].y != o.starts[i].y)
                return false;
        return true;
    }
};

MarksState marks_state(nb::handle marks) {
    MarksState st;
    // A snapshot of the pairs first: reading a start may run Python code.
    nb::object items = pyu::snapshot(pyu::check(PyDict_Items(marks.ptr())));
    for (Py_ssize_t i = 0, n = pyu::snap_size(items); i < n; ++i) {
        nb::handle pair = pyu::snap_item(items, i);
        st.keys.push_back(nb::borrow(PyTuple_GET_ITEM(pair.ptr(), 0)));
        st.values.push_back(nb::borrow(PyTuple_GET_ITEM(pair.ptr(), 1)));
        st.starts.push_back(pyu::read_xy(start_object(st.keys.back())));
    }
    return st;
}

// The list the collection would hold now: its live entries in order.
nb::list live_list(const Walker &w) {
    nb::list out;
    for (std::uint32_t e : w.net->live_entries())
        out.append(w.objects[w.net->piece_of(e)]);
    return out;
}

// Whether the marks are an exact dictionary whose keys are the live pieces
// of the walker, one entry each, in list order.
bool marks_in_list_order(nb::handle marks, const Walker &w) {
    if (!PyDict_CheckExact(marks.ptr()) || (size_t) PyDict_GET_SIZE(marks.ptr()) != w.net->live_count())
        return false;
    std::vector<std::uint32_t> live = w.net->live_entries();
    Py_ssize_t pos = 0;
    PyObject *key, *value;
    for (std::uint32_t e : live)
        if (!PyDict_Next(marks.ptr(), &pos, &key, &value) || key != w.objects[w.net->piece_of(e)].ptr())
            return false;
    return true;
}

// Walls that enclose nothing give no loops: the collection ends as an
// extraction leaves it, with no pieces and none of their marks.
void consume_without_loops(nb::handle self, const Walker &w) {
    pyu::set_attr(self, key_segments, nb::list());
    nb::object marks = marks_of(self);
    for (const nb::object &piece : w.objects)
        forget_mark(marks, piece);
}

// Stubs bound no room: pieces that lead nowhere leave the walks, the
// collection's list and the marks before the first walk.
void leave_out_dangling(nb::handle self, Walker &w) {
    std::vector<std::uint32_t> dropped = w.net->drop_dangling(flat_eps(), pyu::interrupt());
    if (dropped.empty())
        return;
    pyu::set_attr(self, key_segments, live_list(w));
    nb::object marks = marks_of(self);
    for (std::uint32_t e : dropped)
        forget_mark(marks, w.objects[w.net->piece_of(e)]);
}

}  // namespace

// ------------------------------------------------------------ split

void get_connections(nb::handle self) {
    CollectorPause pause;
    nb::object items = pyu::snapshot(segments_of(self));
    Py_ssize_t n = pyu::snap_size(items);
    std::vector<Vec2> starts, ends;
    if (n >= 2) {  // a single segment is never read: it has no pair
        starts.resize((size_t) n);
        ends.resize((size_t) n);
        for (Py_ssize_t i = 0; i < n; ++i) {
            Ends e = ends_of(pyu::snap_item(items, i));
            starts[(size_t) i] = e.start;
            ends[(size_t) i] = e.end;
        }
    }
    geom::NetworkSplit split = geom::split_network(starts, ends, flat_eps(), eps(), pyu::interrupt());

    nb::list pieces;
    pyu::set_attr(self, key_segments, pieces);
    nb::object marks = marks_of(self);
    nb::object one = pyu::int_obj(1);
    // One Point per node, shared by every piece that meets there.
    std::vector<nb::object> nodes(split.nodes.size());
    auto node = [&](std::uint32_t k) -> nb::object & {
        if (!nodes[k].is_valid())
            nodes[k] = new_point(split.nodes[k]);
        return nodes[k];
    };
    for (const geom::SplitPiece &p : split.pieces) {
        nb::object piece = new_segment(node(p.start), node(p.end));
        pyu::check_status(PyObject_SetItem(marks.ptr(), piece.ptr(), one.ptr()));
        pyu::check_status(PyList_Append(pieces.ptr(), piece.ptr()));
    }
}

// ------------------------------------------------------------ turn rules

nb::list get_adjacent_segments(nb::handle self, nb::handle point) {
    nb::object current = pyu::get_attr(self, key_current_seg);
    nb::object items = pyu::snapshot(segments_of(self));
    double e = flat_eps();
    nb::list out;
    Vec2 p{};
    bool have_point = false;
    for (Py_ssize_t i = 0, n = pyu::snap_size(items); i < n; ++i) {
        nb::handle seg = pyu::snap_item(items, i);
        if (!current.is_none() && pyu::check_status(PyObject_RichCompareBool(seg.ptr(), current.ptr(), Py_EQ)))
            continue;
        if (!have_point) {
            p = pyu::read_xy(point);
            have_point = true;
        }
        if (geom::points_joined(p, pyu::read_xy(start_object(seg)), e) ||
            geom::points_joined(p, pyu::read_xy(end_object(seg)), e))
            out.append(seg);
    }
    return out;
}

nb::object set_direction_by_point(nb::handle segments, nb::handle point) {
    nb::object items = pyu::snapshot(segments);
    for (Py_ssize_t i = 0, n = pyu::snap_size(items); i < n; ++i) {
        nb::handle seg = pyu::snap_item(items, i);
        Vec2 a = pyu::read_xy(start_object(seg));
        Vec2 p = pyu::read_xy(point);
        double to_start = py_distance(a, p);
        Vec2 b = pyu::read_xy(end_object(seg));
        if (to_start > py_distance(b, p))
            reverse_segment(seg);
    }
    return nb::borrow(segments);
}

nb::object get_right_segment(nb::handle segments, nb::handle vector) {
    return choose_segment(segments, vector, geom::Turn::right_most);
}

nb::object get_left_segment(nb::handle segments, nb::handle vector) {
    return choose_segment(segments, vector, geom::Turn::left_most);
}

// ------------------------------------------------------------ walks

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

nb::list get_polygons(nb::handle self, nb::handle split, nb::handle /*clean: no effect*/) {
    CollectorPause pause;
    nb::list polygons;
    // The contour walk (without cleaning) marks the outside pieces once.
    Walker w;
    {
        WalkStateReset reset(self);
        prepare(self, split, Py_False);
        w = build_walker(segments_of(self));
        w.net->cap_start_ties(start_tie_cap);
        leave_out_dangling(self, w);
        geom::SegmentNetwork::Components parts = w.net->components(flat_eps());
        if (!parts.has_cycle) {
            consume_without_loops(self, w);
            return polygons;
        }
        std::vector<std::uint32_t> walked, used_up;
        run_walk(self, w, true, nullptr, nullptr, std::nullopt, &walked, &used_up);
        // Every group of pieces that the contour did not reach (a shaft, a
        // second building) has its own outside, walked from its lowest point,
        // so that each of its loops is found once.
        if (is_true(split)) {
            std::vector<char> reached(parts.lowest.size(), 0);
            for (std::uint32_t e : walked)
                reached[parts.of_entry[e]] = 1;
            for (size_t c = 0; c < parts.lowest.size(); ++c)
                if (!reached[c])
                    run_walk(self, w, true, nullptr, nullptr, parts.lowest[c], nullptr, &used_up);
        }
        for (std::uint32_t e : used_up)
            w.net->drop(e);
    }

    // After each loop the collection holds the keys of the marks, in order.
    // While every piece is a plain Segment, that list is followed through the
    // marks each walk changes; `pending` says it has not been written back.
    MarkMirror mirror;
    bool mirrored = false, pending = false;
    // Where the marks already hold the live pieces, each once and in list
    // order (as after a split), the network of the contour walks on.
    if (w.plain && marks_in_list_order(marks_of(self), w)) {
        mirrored = true;
        mirror.reset(w.net->entry_count());
    }
    // States left by loops that gave up no use: a repeat means no end.
    std::vector<MarksState> stalled;
    std::vector<Vec2> path;
    auto write_back = [&] {
        if (pending) {
            pyu::set_attr(self, key_segments, live_list(w));
            pending = false;
        }
    };
    try {
        while (pyu::truthy(marks_of(self))) {
            long uses_delta = 0;
            nb::list loop =
                run_walk(self, w, false, mirrored ? &mirror : nullptr, &uses_delta, std::nullopt, nullptr, nullptr, &path);
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
                in_step = PyDict_CheckExact(marks.ptr()) &&
                          (size_t) PyDict_GET_SIZE(marks.ptr()) == w.net->live_count();
            }
            if (in_step) {
                pending = true;
            } else {
                pending = false;
                nb::object keys = pyu::check(PyMapping_Keys(marks.ptr()));
                pyu::set_attr(self, key_segments, keys);
                w = build_walker(keys);
                w.net->cap_start_ties(start_tie_cap);
                mirrored = w.plain && PyDict_CheckExact(marks.ptr());
                if (mirrored)
                    mirror.reset(w.net->entry_count());
            }
            // A loop that encloses nothing (out and back along walls that
            // overlap) gives up its uses but is no room.
            if (geom::encloses_room(path, flat_eps()))
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

}  // namespace strakel::collection
