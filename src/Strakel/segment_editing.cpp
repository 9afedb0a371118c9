// Segment: breaking at points, the crossings of all pairs, the choice of an
// end point, extension to a point and the fillet; moving, offsetting,
// directions, interpolation, lofting, pairing and plotting.
#include "Strakel/segment.hpp"

#include <algorithm>
#include <numeric>
#include <optional>
#include <vector>

using namespace nb::literals;

namespace strakel::segment {

namespace {

const pyu::Key key_remove_duplicates("remove_duplicate_points"), key_random("random"), key_choice("choice");

const char *const not_on_line = "The point is not on the line of the segment.";

// The two distances are compared exactly: a tie gives `end` for the closest
// and the farthest end point, and `start` for the other end point.
enum class EndChoice { closest, farthest, other };

nb::object choose_end(nb::handle self, nb::handle point, EndChoice choice) {
    EndPoints e = end_points(self);
    Vec2 p = pyu::read_xy(point);
    double to_start = py_distance(p, e.a), to_end = py_distance(p, e.b);
    switch (choice) {
    case EndChoice::closest:
        return to_start < to_end ? e.start : e.end;
    case EndChoice::farthest:
        return to_start > to_end ? e.start : e.end;
    default:
        return to_start < to_end ? e.end : e.start;
    }
}

nb::object shifted(const Ends &e, Vec2 side, double distance) {
    Vec2 shift = side * distance;
    nb::object start = new_point(e.start + shift);
    nb::object end = new_point(e.end + shift);
    return new_segment(start, end);
}

double direction_dot(nb::handle segment1, nb::handle segment2) {
    Vec2 u1 = unit(direction(segment1));
    return geom::dot(u1, unit(direction(segment2)));
}

}  // namespace

// ------------------------------------------------------------ breaking

nb::object break_at_point(nb::handle self, nb::handle point) {
    if (!is_point_on(self, point))
        pyu::raise(PyExc_ValueError, "Point is not on the segment.");
    EndObjects e = end_objects(self);
    nb::object first = new_segment(e.start, point);
    nb::object second = new_segment(point, e.end);
    return pyu::check(PyTuple_Pack(2, first.ptr(), second.ptr()));
}

// Pieces from `start` to `end` through the given points without near
// repeats, ordered by their distance from `start` (a stable sort).  The
// distances are taken in list order, so the first point off the segment
// raises.
nb::list break_by_points(nb::handle self, nb::handle points) {
    nb::object remove_duplicates = pyu::get_attr(names::point.get(), key_remove_duplicates);
    nb::object unique = pyu::call(remove_duplicates, points);
    std::vector<nb::object> items;
    std::vector<double> keys;
    pyu::for_each_iter(unique, [&](nb::handle p) {
        nb::object key = length_at_point(self, p);
        keys.push_back(pyu::as_double(key));
        items.push_back(nb::borrow(p));
        return true;
    });
    std::vector<size_t> order(items.size());
    std::iota(order.begin(), order.end(), size_t{0});
    std::stable_sort(order.begin(), order.end(), [&](size_t i, size_t j) { return keys[i] < keys[j]; });
    EndObjects e = end_objects(self);
    nb::list pieces;
    nb::object from = e.start;
    for (size_t i : order) {
        pieces.append(new_segment(from, items[i]));
        from = items[i];
    }
    pieces.append(new_segment(from, e.end));
    return pieces;
}

// ----------------------------------------------------- all the pairs

// Every crossing of every pair (i, j), i < j, of the list, in that order,
// each a new point.  Pairs whose bounds, widened by epsilon, do not overlap
// cannot cross and are skipped; the result is that of the plain loop over
// all pairs.
nb::list intersection_points(nb::handle segments) {
    nb::list found;
    Py_ssize_t n = pyu::length(segments);
    if (n < 2)
        return found;
    pyu::checked_size(n, sizeof(nb::object) + sizeof(Ends) + sizeof(geom::Box));
    // Held here: the caller's sequence may change while the items are read.
    std::vector<nb::object> items((size_t) n);
    bool all_ours = true;
    for (Py_ssize_t i = 0; i < n; ++i) {
        items[(size_t) i] = pyu::get_item(segments, i);
        all_ours = all_ours && is_segment(items[(size_t) i]);
    }
    if (!all_ours) {
        // Some object answers for itself: ask every pair in turn.
        geom::Interrupt stop = pyu::interrupt();
        for (size_t i = 0; i < items.size(); ++i)
            for (size_t j = i + 1; j < items.size(); ++j) {
                stop.tick();
                nb::object p = segment_cross_segment(items[i], items[j]);
                if (!p.is_none())
                    found.append(p);
            }
        return found;
    }
    std::vector<Ends> ends(items.size());
    std::vector<geom::Box> boxes(items.size());
    for (size_t i = 0; i < items.size(); ++i) {
        ends[i] = ends_of(items[i]);
        boxes[i] = geom::segment_bound(ends[i].start, ends[i].end);
    }
    double fe = flat_eps(), e = eps();
    geom::Interrupt stop = pyu::interrupt();
    for (auto [i, j] : geom::overlapping_pairs(boxes, e, stop)) {
        stop.tick();
        std::optional<Vec2> p =
            geom::segment_intersection(ends[i].start, ends[i].end, ends[j].start, ends[j].end, fe, e);
        if (p)
            found.append(new_point(*p));
    }
    return found;
}

// ------------------------------------------------------------ end points

nb::object closest_endpoint(nb::handle self, nb::handle point) { return choose_end(self, point, EndChoice::closest); }
nb::object farthest_endpoint(nb::handle self, nb::handle point) {
    return choose_end(self, point, EndChoice::farthest);
}
nb::object other_endpoint(nb::handle self, nb::handle point) { return choose_end(self, point, EndChoice::other); }

// Moves the nearer end (a tie moves `end`) onto a point of the segment's
// line, storing the given object; no bound test.
void extend_to_point(nb::handle self, nb::handle point) {
    Ends e = ends_of(self);
    Vec2 p = pyu::read_xy(point);
    if (!geom::on_line(e.start, e.end, p, eps()))
        pyu::raise_exception(not_on_line);
    if (py_distance(p, e.start) < py_distance(p, e.end))
        set_start(self, point);
    else
        set_end(self, point);
}

// Brings both segments to the crossing of their lines: each one's nearer end
// becomes the same new point.  Nothing changes for parallel lines, nor when
// either segment's line test refuses the crossing (both are checked before
// either segment changes).  The crossing, its line tests and the choice of
// ends are all taken about the first segment's start, so a corner drawn at
// site coordinates is found as it is at the origin.
void fillet(nb::handle segment1, nb::handle segment2) {
    Ends s = ends_of(segment1), t = ends_of(segment2);
    Vec2 o = s.start;
    Ends ls{{}, s.end - o}, lt{t.start - o, t.end - o};
    std::optional<Vec2> p = geom::line_intersection(ls.start, ls.end, lt.start, lt.end, flat_eps());
    if (!p)
        return;
    double e = eps();
    if (!geom::on_line(ls.start, ls.end, *p, e) || !geom::on_line(lt.start, lt.end, *p, e))
        pyu::raise_exception(not_on_line);
    bool first_at_start = py_distance(*p, ls.start) < py_distance(*p, ls.end);
    bool second_at_start = py_distance(*p, lt.start) < py_distance(*p, lt.end);
    nb::object corner = new_point(*p + o);
    (first_at_start ? set_start : set_end)(segment1, corner);
    (second_at_start ? set_start : set_end)(segment2, corner);
}

// --------------------------------------------------- moves and offsets

// Both new points are made before either is stored.
void move(nb::handle self, nb::handle vector) {
    Ends e = ends_of(self);
    Vec2 v = pyu::read_xy(vector);
    nb::object start = new_point(e.start + v);
    nb::object end = new_point(e.end + v);
    set_start(self, start);
    set_end(self, end);
}

// A positive distance moves the copy to the right of the direction.
nb::object offset(nb::handle self, nb::handle distance) {
    double d = pyu::as_double(distance);
    Ends e = ends_of(self);
    return shifted(e, geom::right_normal(unit(e.end - e.start)), d);
}

// [right, left]: a list.
nb::list offset_both(nb::handle self, nb::handle distance) {
    double d = pyu::as_double(distance);
    Ends e = ends_of(self);
    Vec2 u = unit(e.end - e.start);
    nb::list both;
    both.append(shifted(e, geom::right_normal(u), d));
    both.append(shifted(e, geom::left_normal(u), d));
    return both;
}

// -------------------------------------------------------------- direction

// Strictly positive: perpendicular and zero-length segments are not.
bool is_same_direction(nb::handle segment1, nb::handle segment2) { return direction_dot(segment1, segment2) > 0; }

// Reverses segment2 in place when it points against segment1.
void unify_direction(nb::handle segment1, nb::handle segment2) {
    if (direction_dot(segment1, segment2) < 0)
        reverse_segment(segment2);
}

// start blends with start and end with end, after segment2 may have been
// turned to segment1's direction (in place) when `unify` is true.
nb::object tween_segment(nb::handle segment1, nb::handle segment2, nb::handle t, nb::handle unify) {
    double k = pyu::as_double(t);
    if (pyu::truthy(unify))
        unify_direction(segment1, segment2);
    Ends a = ends_of(segment1), b = ends_of(segment2);
    nb::object start = new_point(geom::blend(a.start, b.start, k));
    nb::object end = new_point(geom::blend(a.end, b.end, k));
    return new_segment(start, end);
}

// The outline along l1 and back along l2: l2 is reversed in place when it
// points the same way as l1.
nb::list loft(nb::handle l1, nb::handle l2) {
    if (is_same_direction(l1, l2))
        reverse_segment(l2);
    EndObjects a = end_objects(l1), b = end_objects(l2);
    nb::list outline;
    outline.append(a.start);
    outline.append(a.end);
    outline.append(b.start);
    outline.append(b.end);
    return outline;
}

// A segment for every pair (i, j), i < j, of the points: not a chain.
nb::list construct_lines(nb::handle points) {
    Py_ssize_t n = pyu::length(points);
    // n (n - 1) / 2 segments: refused before anything is made when no memory
    // could hold them.
    double pairs = n < 2 ? 0.0 : (double) n * (double) (n - 1) / 2;
    pyu::checked_size(pairs > 4e18 ? PY_SSIZE_T_MAX : (Py_ssize_t) pairs, 2 * sizeof(PyObject *) + 48);
    std::vector<nb::object> items((size_t) n);
    for (Py_ssize_t i = 0; i < n; ++i)
        items[(size_t) i] = pyu::get_item(points, i);
    nb::list segments;
    geom::Interrupt stop = pyu::interrupt();
    for (size_t i = 0; i < items.size(); ++i)
        for (size_t j = i + 1; j < items.size(); ++j) {
            stop.tick();
            segments.append(new_segment(items[i], items[j]));
        }
    return segments;
}

// ------------------------------------------------------------ plots

// One colour per segment drawn from the current colour cycle with
// replacement (numpy's shared generator), one plt.plot per segment, then
// the legend and, if asked, the figure.
void plot_segments(nb::handle segments, nb::handle labels, nb::handle show) {
    nb::object pyplot = names::plt.get();
    Py_ssize_t count = pyu::length(segments);
    nb::object cycle = colour_cycle(pyplot);
    nb::object random = pyu::get_attr(names::np.get(), key_random);
    nb::object choice = pyu::get_attr(random, key_choice);
    nb::object colours = choice(cycle, "size"_a = count, "replace"_a = true);
    plot_ends(pyplot, segments, colours, labels, show);
}

}  // namespace strakel::segment
