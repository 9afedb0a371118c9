// Polyline: construction, identity, segments and the measures of the chain.
#include "Polyline/polyline.hpp"

namespace polyline {

namespace {
const pyu::Key key_points("points"), key_x("x"), key_y("y"), key_find_center("find_center"), key_append("append"),
    key_min("min"), key_max("max");

[[noreturn]] void empty_sequence(const char *function) {
    pyu::raise_format(PyExc_ValueError, "%s() arg is an empty sequence", function);
}
}  // namespace

// ------------------------------------------------------------ identity

// The caller's sequence is kept as it is: a list is shared, so closing the
// polyline appends to the caller's list.
void init(nb::handle self, nb::handle points) {
    pyu::check_receiver(self, nb::handle((PyObject *) polyline_type), "Polyline");
    if (!nb::inst_ready(self))
        pyu::construct<PolylineData>(self, PolylineData{});
    if (pyu::length(points) > 1) {
        pyu::set_attr(self, key_points, points);
        return;
    }
    pyu::raise(PyExc_ValueError, "Polyline must have at least two points.");
}

std::string text(nb::handle self) {
    pyu::RecursionGuard guard(" in Polyline.__repr__");
    nb::object points = points_of(self);
    return "Polyline(" + pyu::str_of(points) + ")";
}

bool equal(nb::handle self, nb::handle other) {
    nb::object cls = names::polyline.get();
    if (!pyu::check_status(PyObject_IsInstance(other.ptr(), cls.ptr())))
        return false;
    pyu::RecursionGuard guard(" in Polyline.__eq__");
    nb::object mine = points_of(self), theirs = points_of(other);
    Py_ssize_t n = pyu::length(mine);
    if (n != pyu::length(theirs))
        return false;
    for (Py_ssize_t i = 0; i < n; ++i) {
        nb::object a = pyu::get_item(mine, i), b = pyu::get_item(theirs, i);
        if (!points_equal(a, b))
            return false;
    }
    return true;
}

Py_hash_t hash(nb::handle self) {
    pyu::RecursionGuard guard(" in Polyline.__hash__");
    nb::object points = points_of(self);
    nb::object items = pyu::snapshot(points);
    return pyu::hash_of(items);
}

nb::object iter(nb::handle self) {
    nb::object points = points_of(self);
    return pyu::check(PyObject_GetIter(points.ptr()));
}

// Rebinds `points` to a reversed copy: the caller's list keeps its order.
void reverse(nb::handle self) {
    nb::object points = points_of(self);
    nb::object step = pyu::int_obj(-1);
    nb::object backwards = pyu::check(PySlice_New(nullptr, nullptr, step.ptr()));
    nb::object reversed = pyu::check(PyObject_GetItem(points.ptr(), backwards.ptr()));
    pyu::set_attr(self, key_points, reversed);
}

bool is_closed(nb::handle self) {
    nb::object points = points_of(self);
    nb::object first = pyu::get_item(points, 0), last = pyu::get_item(points, -1);
    return points_equal(first, last);
}

// Appends the first point object to the shared list unless already closed.
nb::object close(nb::handle self) {
    if (closed(self))
        return nb::borrow(self);
    nb::object points = points_of(self);
    nb::object first = pyu::get_item(points, 0);
    pyu::call_method(points, key_append, first);
    return nb::borrow(self);
}

// The first and the last segment meet at the closing vertex only when the
// polyline is closed; an open polyline has that pair tested too.
bool is_self_intersecting(nb::handle self) {
    bool skip_closing_pair = closed(self);
    geom::Tolerances tol = tolerances();
    Vertices v = vertices(self);
    return geom::is_self_intersecting(v.xy(), skip_closing_pair, tol, pyu::interrupt());
}

// ------------------------------------------------------------ segments

// New segments on every read, holding the polyline's own points.
nb::list segments(nb::handle self) {
    nb::object items = pyu::snapshot(points_of(self));
    nb::list out;
    for (Py_ssize_t i = 0; i + 1 < pyu::snap_size(items); ++i)
        out.append(new_segment(pyu::snap_item(items, i), pyu::snap_item(items, i + 1)));
    return out;
}

Py_ssize_t count(nb::handle self) { return pyu::length(points_of(self)); }

// The lengths added in segment order from 0: the int 0 without segments.
nb::object length(nb::handle self) {
    Vertices v = vertices(self);
    if (v.size() < 2)
        return pyu::int_obj(0);
    std::vector<double> lengths = v.lengths();
    return pyu::float_obj(geom::sum_in_order(lengths));
}

nb::object start(nb::handle self) { return pyu::get_item(points_of(self), 0); }
nb::object end(nb::handle self) { return pyu::get_item(points_of(self), -1); }

// The middle vertex itself for an odd count, else a new point halfway
// between the two middle vertices.
nb::object midpoint(nb::handle self) {
    nb::object points = points_of(self);
    Py_ssize_t c = pyu::length(points);
    Py_ssize_t half = c >= 0 ? c / 2 : 0;
    if (c % 2 == 1)
        return pyu::get_item(points, half);
    nb::object a = pyu::get_item(points, half - 1), b = pyu::get_item(points, half);
    Vec2 p = pyu::read_xy(a), q = pyu::read_xy(b);
    return new_point({(p.x + q.x) / 2, (p.y + q.y) / 2});
}

// The segment midpoints weighted by their lengths: the centre of the chain
// as a wire.  ZeroDivisionError when every point coincides.
nb::object centroid(nb::handle self) {
    Vertices v = vertices(self);
    geom::Fault fault = geom::Fault::none;
    geom::WeightedMidpoints w = geom::weighted_midpoints(v.xy(), fault);
    check(fault);
    double x = pyu::divide(w.x, w.total);
    return new_point({x, pyu::divide(w.y, w.total)});
}

// Point.find_center(points): the repeated end of a closed polyline counts.
nb::object mean(nb::handle self) {
    nb::object points = points_of(self);
    if (!names::point.holds(pyu::point_type))
        return pyu::call_method(names::point.get(), key_find_center, points);
    Vertices v{points, pyu::read_points(points)};
    double sx = 0.0, sy = 0.0;
    for (Vec2 p : v.xy()) {
        sx += p.x;
        sy += p.y;
    }
    double n = (double) v.size();
    double x = pyu::divide(sx, n);
    return new_point({x, pyu::divide(sy, n)});
}

double longest_edge(nb::handle self) {
    std::vector<double> lengths = vertices(self).lengths();
    if (lengths.empty())
        empty_sequence("max");
    return geom::first_max_of(lengths);
}

double shortest_edge(nb::handle self) {
    std::vector<double> lengths = vertices(self).lengths();
    if (lengths.empty())
        empty_sequence("min");
    return geom::first_min_of(lengths);
}

// (min x, min y, max x, max y) by the interpreter's min and max over the
// coordinate values; for points that are not our own, those values are the
// points' own attribute objects.
nb::object bound(nb::handle self) {
    nb::object points = points_of(self);
    if (only_our_points(points)) {
        Vertices v{points, pyu::read_points(points)};
        if (v.size() == 0)
            empty_sequence("min");
        geom::VertexBound b = geom::vertex_bound(v.xy());
        return nb::make_tuple(b.min_x, b.min_y, b.max_x, b.max_y);
    }
    nb::object builtins = pyu::import("builtins");
    auto values = [&](const pyu::Key &key) {
        nb::list out;
        pyu::for_each_iter(points, [&](nb::handle p) {
            out.append(pyu::get_attr(p, key));
            return true;
        });
        return out;
    };
    nb::object min_x = pyu::call(pyu::get_attr(builtins, key_min), values(key_x));
    nb::object min_y = pyu::call(pyu::get_attr(builtins, key_min), values(key_y));
    nb::object max_x = pyu::call(pyu::get_attr(builtins, key_max), values(key_x));
    nb::object max_y = pyu::call(pyu::get_attr(builtins, key_max), values(key_y));
    return nb::make_tuple(min_x, min_y, max_x, max_y);
}

}  // namespace polyline
