// Segment: selection of segments out of a caller's list, and the nodes of a
// chain of segments.  The selections and the unordered node extraction
// change the caller's list in place; every item is held while it is used, so
// Python code that changes the list meanwhile (an `x` getter, an `__eq__`)
// meets ordinary errors, never freed memory.
#include "Strakel/segment.hpp"
#include "core/network/segment_ops.hpp"

#include <vector>

namespace strakel::segment {

namespace {

const pyu::Key key_pop("pop"), key_randint("randint");

// Removes position i of the caller's list (by position, never by equality:
// a list may hold equal segments).
void remove_at(nb::handle seq, Py_ssize_t i) {
    if (PyList_CheckExact(seq.ptr())) {
        pyu::check_status(PySequence_DelItem(seq.ptr(), i));
        return;
    }
    nb::object index = pyu::int_obj((long) i);
    pyu::call_method(seq, key_pop, index);
}

// Walks the list from its last position to its first, so the selected
// segments come in reverse list order and removing one keeps the positions
// still to visit.
template <class Test>
nb::list select_backwards(nb::handle segments, nb::handle remove, Test &&selects) {
    nb::list selected;
    for (Py_ssize_t i = pyu::length(segments) - 1; i >= 0; --i) {
        nb::object s = pyu::get_item(segments, i);
        if (!selects(s))
            continue;
        selected.append(s);
        if (pyu::truthy(remove))
            remove_at(segments, i);
    }
    return selected;
}

// ------------------------------------------------------- node extraction

// The nodes in order, each once: a node is dropped when a set of the earlier
// ones already holds it (for Points, the same coordinates).
nb::list without_repeats(const std::vector<nb::object> &nodes) {
    nb::list out;
    nb::object seen = pyu::check(PySet_New(nullptr));
    for (const nb::object &p : nodes) {
        if (pyu::check_status(PySet_Contains(seen.ptr(), p.ptr())))
            continue;
        pyu::check_status(PySet_Add(seen.ptr(), p.ptr()));
        out.append(p);
    }
    return out;
}

// `a == b` of two end points, the walk end on the left.
bool points_equal(nb::handle a, nb::handle b, double flat_eps) {
    if (pyu::is_point(a) && pyu::is_point(b)) {
        const flat::Point &p = pyu::flat_fields(a), &q = pyu::flat_fields(b);
        return geom::tolerant_equal(Vec2{p.x, p.y}, Vec2{q.x, q.y}, flat_eps);
    }
    return pyu::num_eq(a, b);
}

[[noreturn]] void not_connected() { pyu::raise(PyExc_ValueError, "The segments are not connected."); }

// The segments left after the first was drawn, on a snapshot of the
// caller's list.  Each one's end points are read when the walk first tests
// them, and kept.
class Chain {
public:
    explicit Chain(nb::handle segments) : items_(pyu::snapshot(segments)) {
        size_t n = (size_t) pyu::snap_size(items_);
        starts_.resize(n);
        ends_.resize(n);
    }
    size_t size() const { return starts_.size(); }
    nb::handle item(size_t i) const { return pyu::snap_item(items_, (Py_ssize_t) i); }
    const nb::object &start(size_t i) {
        if (!starts_[i].is_valid())
            starts_[i] = start_object(item(i));
        return starts_[i];
    }
    const nb::object &end(size_t i) {
        if (!ends_[i].is_valid())
            ends_[i] = end_object(item(i));
        return ends_[i];
    }
    // The node after a step: the other end of the segment taken.
    const nb::object &next(const geom::ChainStep &step) { return step.at_start ? end(step.index) : start(step.index); }

    // The coordinates of every segment when each is our own Segment holding
    // two of our own Points: read without running any Python code.
    bool plain_coordinates(std::vector<geom::SegmentEnds> &out) {
        out.resize(size());
        for (size_t i = 0; i < size(); ++i) {
            nb::handle s = item(i);
            if (Py_TYPE(s.ptr()) != segment_type || !nb::inst_ready(s))
                return false;
            const SegmentData &f = segment_fields(s);
            if (!f.start.is_valid() || !f.end.is_valid() || !pyu::is_point(f.start) || !pyu::is_point(f.end))
                return false;
            starts_[i] = f.start;
            ends_[i] = f.end;
            out[i] = {pyu::read_xy(f.start), pyu::read_xy(f.end)};
        }
        return true;
    }

private:
    nb::object items_;  // a tuple
    std::vector<nb::object> starts_, ends_;
};

// Takes each segment out of the caller's list as the walk takes it, at its
// position in the list as it stands (the segments before it not yet taken).
template <class Rest>
class Popping {
public:
    Popping(Rest &rest, nb::handle segments) : rest_(rest), segments_(segments) {}
    bool empty() const { return rest_.empty(); }
    std::vector<std::size_t> indices() const { return rest_.indices(); }
    template <class End>
    bool take(const End &end, geom::ChainStep &step) {
        if (!rest_.take(end, step))
            return false;
        Py_ssize_t position = 0;
        for (std::size_t j = rest_.first(); j < step.index; ++j)
            position += rest_.alive(j);
        remove_at(segments_, position);
        return true;
    }

private:
    Rest &rest_;
    nb::handle segments_;
};

// The chain walk of core (geom::walk_chain_with) from the drawn segment's
// end, then from its start, over the caller's list.  Our own Segments between
// our own Points are compared on coordinates, and a list of them, when it is
// exactly a list, is left as the walk leaves it in one step.  Anything else
// is compared with its own `==`, and the list loses each segment as it is
// taken.
void walk_chain(nb::handle segments, const EndObjects &first, std::vector<nb::object> &behind,
                std::vector<nb::object> &ahead) {
    Chain c(segments);
    double fe = flat_eps();
    auto record = [&](const geom::ChainWalk &walk) {
        for (const geom::ChainStep &step : walk.forward)
            ahead.push_back(c.next(step));
        for (const geom::ChainStep &step : walk.backward)
            behind.push_back(c.next(step));
    };
    std::vector<geom::SegmentEnds> coords;
    if (PyList_CheckExact(segments.ptr()) && pyu::is_point(first.start) && pyu::is_point(first.end) &&
        c.plain_coordinates(coords)) {
        // No Python code runs from here to the list's update.
        geom::ChainWalk walk = geom::walk_chain(coords, pyu::read_xy(first.end), pyu::read_xy(first.start), fe);
        record(walk);
        nb::object left = pyu::check(PyList_New(0));
        for (size_t i : walk.left)
            pyu::check_status(PyList_Append(left.ptr(), c.item(i).ptr()));
        pyu::check_status(PyList_SetSlice(segments.ptr(), 0, PY_SSIZE_T_MAX, left.ptr()));
        if (!walk.connected)
            not_connected();
        return;
    }
    auto same = [&](const nb::object &end, std::size_t i, bool at_start) {
        return points_equal(end, at_start ? c.start(i) : c.end(i), fe);
    };
    geom::ScanRemaining<nb::object, decltype(same)> scan(c.size(), same);
    Popping<decltype(scan)> rest(scan, segments);
    auto next_end = [&](const geom::ChainStep &step) { return c.next(step); };
    geom::ChainWalk walk = geom::walk_chain_with(rest, first.end, first.start, next_end);
    record(walk);
    if (!walk.connected)
        not_connected();
}

}  // namespace

// ------------------------------------------------------------ selections

nb::list select_segments_containing_point(nb::handle point, nb::handle segments, nb::handle remove) {
    return select_backwards(segments, remove, [&](nb::handle s) { return segment_contains(s, point); });
}

nb::list select_intersecting_segments(nb::handle segment, nb::handle segments, nb::handle remove) {
    return select_backwards(segments, remove,
                            [&](nb::handle s) { return pyu::truthy(segment_cross_segment(segment, s)); });
}

// The first segment in list order that contains the point, or None.
nb::object select_segment_containing_point(nb::handle point, nb::handle segments, nb::handle remove) {
    nb::object chosen = nb::none();
    Py_ssize_t at = -1, i = 0;
    pyu::for_each_iter(segments, [&](nb::handle s) {
        if (segment_contains(s, point)) {
            chosen = nb::borrow(s);
            at = i;
            return false;
        }
        ++i;
        return true;
    });
    if (at >= 0 && pyu::truthy(remove))
        remove_at(segments, at);
    return chosen;
}

// For each selector in order, the segments of `segments` crossing it, taken
// out of that list: a segment is picked once, by the first selector it crosses.
nb::list select_multi_intersection_segments(nb::handle segments_to_select, nb::handle segments) {
    nb::list selected;
    nb::object yes = pyu::bool_obj(true);
    Py_ssize_t n = pyu::length(segments_to_select);
    for (Py_ssize_t i = 0; i < n; ++i) {
        nb::object s = pyu::get_item(segments_to_select, i);
        nb::list group = select_intersecting_segments(s, segments, yes);
        pyu::check_status(PyList_SetSlice(selected.ptr(), PY_SSIZE_T_MAX, PY_SSIZE_T_MAX, group.ptr()));
    }
    return selected;
}

// Ordered: the end points of the segments in list order.  Unordered: a chain
// walk from a randomly drawn segment (random.randint through the module's
// `random`), forward from its end, then on from its start once nothing
// touches the forward end; the caller's list is consumed.
nb::list extract_nodes_from_segments(nb::handle segments, nb::handle ordered) {
    std::vector<nb::object> nodes;
    if (pyu::truthy(ordered)) {
        pyu::for_each_iter(segments, [&](nb::handle s) {
            EndObjects e = end_objects(s);
            nodes.push_back(std::move(e.start));
            nodes.push_back(std::move(e.end));
            return true;
        });
        return without_repeats(nodes);
    }
    Py_ssize_t n = pyu::length(segments);
    nb::object low = pyu::int_obj(0), high = pyu::int_obj((long) n - 1);
    nb::object k = pyu::call_method(names::random.get(), key_randint, low, high);
    nb::object first = pyu::call_method(segments, key_pop, k);
    EndObjects f = end_objects(first);
    std::vector<nb::object> behind, ahead;
    walk_chain(segments, f, behind, ahead);
    nodes.assign(behind.rbegin(), behind.rend());
    nodes.push_back(f.start);
    nodes.push_back(f.end);
    nodes.insert(nodes.end(), ahead.begin(), ahead.end());
    return without_repeats(nodes);
}

}  // namespace strakel::segment
