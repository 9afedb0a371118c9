// Polyline: cutting at points, parameters, intervals and pairs of points.
// Pieces hold the receiver's own points and the cut point, one object shared
// by the two pieces that meet there.  A single cut with nothing to cut gives
// the receiver itself.
#include "Polyline/polyline.hpp"

#include <algorithm>

namespace polyline {

namespace {
const pyu::Key key_sorted("sorted");

[[noreturn]] void out_of_range() { pyu::raise(PyExc_ValueError, "All parameter values must be between 0 and 1."); }

bool is_on(nb::handle self, nb::handle point) {
    if (own(self, Member::is_point_on))
        return is_point_on(self, point);
    return pyu::truthy(call_member(self, Member::is_point_on, point));
}

// The values of an iterable as floats, each in the open range (0, 1).
std::vector<double> open_unit_values(nb::handle values) {
    std::vector<double> out;
    pyu::for_each_iter(values, [&](nb::handle v) {
        out.push_back(pyu::as_double(v));
        return true;
    });
    for (double v : out)
        if (!(0 < v && v < 1))
            out_of_range();
    return out;
}

// [items[first] .. items[last]] plus the cut point(s) around them.
nb::list run_of(const Vertices &v, size_t first, size_t last) {
    nb::list out;
    for (size_t i = first; i <= last; ++i)
        out.append(v.item(i));
    return out;
}

// The pieces of the result, extended into `pieces` for a list (a tuple),
// appended as one item otherwise.
void gather(nb::list &pieces, nb::handle result, bool tuple) {
    if (tuple ? PyTuple_Check(result.ptr()) : PyList_Check(result.ptr())) {
        pyu::for_each_iter(result, [&](nb::handle piece) {
            pieces.append(piece);
            return true;
        });
    } else {
        pieces.append(result);
    }
}
}  // namespace

// [first, second] cut at the first segment holding the point, or the
// receiver when no segment holds it.
nb::object break_by_point(nb::handle self, nb::handle point) {
    if (!is_on(self, point))
        return nb::borrow(self);
    double seg_eps = names::seg_epsilon.get_double();
    Vec2 p = pyu::read_xy(point);
    Vertices v = vertices(self, true);
    size_t k = geom::first_segment_holding(v.xy(), p, seg_eps);
    if (k == geom::npos)  // the points changed under the on test: no cut
        return nb::borrow(self);
    nb::list first = run_of(v, 0, k), second;
    first.append(point);
    second.append(point);
    for (size_t i = k + 1; i < v.size(); ++i)
        second.append(v.item(i));
    nb::list out;
    out.append(new_polyline(first));
    out.append(new_polyline(second));
    return out;
}

// Each point, in the given order, cuts every current piece that holds it.
nb::object break_by_points(nb::handle self, nb::handle points) {
    nb::object items = pyu::snapshot(points);
    bool any = false;
    for (Py_ssize_t i = 0; i < pyu::snap_size(items) && !any; ++i)
        any = is_on(self, pyu::snap_item(items, i));
    if (!any)
        return nb::borrow(self);
    nb::list pieces;
    pieces.append(self);
    for (Py_ssize_t i = 0; i < pyu::snap_size(items); ++i) {
        nb::list next;
        nb::object current = pyu::snapshot(pieces);
        for (Py_ssize_t j = 0; j < pyu::snap_size(current); ++j) {
            nb::object result = pyu::call_method(pyu::snap_item(current, j), key_of(Member::break_by_point),
                                                 pyu::snap_item(items, i));
            gather(next, result, false);
        }
        pieces = next;
    }
    return pieces;
}

// [first, second] cut at the fraction t of the length, or the receiver for
// t <= 0 or t >= 1.
nb::object break_by_parameter(nb::handle self, nb::handle t_arg) {
    double t = pyu::as_double(t_arg);
    if (t <= 0 || t >= 1)
        return nb::borrow(self);
    Vertices v = vertices(self, true);
    std::vector<double> lengths = v.lengths();
    double total = geom::sum_in_order(lengths);
    geom::Fault fault = geom::Fault::none;
    geom::Cut cut = geom::cut_at_parameter(v.xy(), lengths, total, t, fault);
    check(fault);
    nb::list first, second;
    if (cut.index == geom::npos) {  // no segment reaches t (a NaN length): no second piece
        for (size_t i = 0; i + 1 < v.size(); ++i)
            first.append(v.item(i));
    } else {
        first = run_of(v, 0, cut.index);
        nb::object p = new_point(cut.point);
        first.append(p);
        second.append(p);
        for (size_t i = cut.index + 1; i < v.size(); ++i)
            second.append(v.item(i));
    }
    nb::object a = new_polyline(first);
    nb::object b = new_polyline(second);
    nb::list out;
    out.append(a);
    out.append(b);
    return out;
}

// The consecutive pieces between the sorted distinct values, each cut as
// break_by_parameter makes it on the whole polyline: k values, k + 1 pieces.
nb::object break_by_parameters(nb::handle self, nb::handle parameters) {
    std::vector<double> values = open_unit_values(parameters);
    std::sort(values.begin(), values.end());
    values.erase(std::unique(values.begin(), values.end()), values.end());
    nb::list out;
    if (values.empty()) {
        out.append(self);
        return out;
    }
    if (values.size() == 1) {
        nb::object t = pyu::float_obj(values[0]);
        return own(self, Member::break_by_parameter) ? break_by_parameter(self, t)
                                                      : call_member(self, Member::break_by_parameter, t);
    }
    Vertices v = vertices(self, true);
    std::vector<double> lengths = v.lengths();
    double total = geom::sum_in_order(lengths);
    std::vector<geom::Cut> cuts;
    for (double t : values) {
        geom::Fault fault = geom::Fault::none;
        geom::Cut cut = geom::cut_at_parameter(v.xy(), lengths, total, t, fault);
        check(fault);
        if (cut.index != geom::npos)
            cuts.push_back(cut);
    }
    nb::list current;
    if (v.size() > 0)
        current.append(v.item(0));
    size_t last = 0;
    for (const geom::Cut &cut : cuts) {
        for (size_t i = last + 1; i <= cut.index; ++i)
            current.append(v.item(i));
        nb::object p = new_point(cut.point);
        current.append(p);
        out.append(new_polyline(current));
        current = nb::list();
        current.append(p);
        last = cut.index;
    }
    for (size_t i = last + 1; i < v.size(); ++i)
        current.append(v.item(i));
    out.append(new_polyline(current));
    return out;
}

// (first piece, last piece) around the interval's values.
nb::tuple break_by_interval(nb::handle self, nb::handle interval) {
    std::vector<double> values = open_unit_values(interval);
    nb::list as_list;
    for (double x : values)
        as_list.append(pyu::float_obj(x));
    nb::object pieces = own(self, Member::break_by_parameters) ? break_by_parameters(self, as_list)
                                                                : call_member(self, Member::break_by_parameters, as_list);
    return nb::make_tuple(pyu::get_item(pieces, 0), pyu::get_item(pieces, -1));
}

// Every second piece, from the first, of the cuts at all interval ends.
nb::object break_by_intervals(nb::handle self, nb::handle intervals) {
    nb::list values;
    pyu::for_each_iter(intervals, [&](nb::handle interval) {
        pyu::for_each_iter(interval, [&](nb::handle x) {
            values.append(x);
            return true;
        });
        return true;
    });
    nb::object distinct = pyu::check(PySet_New(values.ptr()));
    nb::object sorted = pyu::call(pyu::get_attr(pyu::import("builtins"), key_sorted), distinct);
    nb::object pieces = own(self, Member::break_by_parameters) ? break_by_parameters(self, sorted)
                                                                : call_member(self, Member::break_by_parameters, sorted);
    nb::object zero = pyu::int_obj(0), two = pyu::int_obj(2);
    nb::object every_second = pyu::check(PySlice_New(zero.ptr(), nullptr, two.ptr()));
    return pyu::check(PyObject_GetItem(pieces.ptr(), every_second.ptr()));
}

// (first, middle, last) cut at both points of the pair, or the receiver
// when neither lies on it or the cuts do not give exactly three pieces.
nb::object break_by_tuple(nb::handle self, nb::handle points) {
    nb::object a = pyu::get_item(points, 0);
    if (!is_on(self, a)) {
        nb::object b = pyu::get_item(points, 1);
        if (!is_on(self, b))
            return nb::borrow(self);
    }
    nb::list pair;
    pair.append(pyu::get_item(points, 0));
    pair.append(pyu::get_item(points, 1));
    nb::object pieces = own(self, Member::break_by_points) ? break_by_points(self, pair)
                                                            : call_member(self, Member::break_by_points, pair);
    if (!PyList_Check(pieces.ptr()) || PyList_GET_SIZE(pieces.ptr()) != 3)
        return nb::borrow(self);
    return nb::make_tuple(pyu::get_item(pieces, 0), pyu::get_item(pieces, 1), pyu::get_item(pieces, 2));
}

// Each pair, in order, cuts every current piece with break_by_tuple.
nb::list break_by_tuples(nb::handle self, nb::handle tuples) {
    nb::list pieces;
    pieces.append(self);
    pyu::for_each_iter(tuples, [&](nb::handle pair) {
        nb::list next;
        nb::object current = pyu::snapshot(pieces);
        for (Py_ssize_t j = 0; j < pyu::snap_size(current); ++j) {
            nb::object result = pyu::call_method(pyu::snap_item(current, j), key_of(Member::break_by_tuple), pair);
            gather(next, result, true);
        }
        pieces = next;
        return true;
    });
    return pieces;
}

}  // namespace polyline
