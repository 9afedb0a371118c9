// Polyline: points at a parameter or a length along the chain, the position
// of a point, division by count and by spacing, and the plot of polylines.
//
// Every walk adds the segment lengths one at a time from the first vertex,
// as `length` sums them; a position that falls on a vertex belongs to the
// earlier segment.  Divisions walk forward once, keeping the running sum,
// so each point costs no more than the segments it passes.
#include "Polyline/polyline.hpp"

#include <cmath>

using namespace nb::literals;

namespace polyline {

namespace {
const pyu::Key key_x("x"), key_y("y"), key_points("points"), key_subplots("subplots"), key_gca("gca"),
    key_set_aspect("set_aspect"), key_random("random"), key_rand("rand"), key_plot("plot"), key_legend("legend"),
    key_show("show");

// The stored object or a new point, as a segment's point_at_length gives it.
nb::object placed(const Vertices &v, const geom::LengthPlace &at) {
    switch (at.kind) {
    case geom::LengthPlace::start:
        return v.item(at.index);
    case geom::LengthPlace::end:
        return v.item(at.index + 1);
    case geom::LengthPlace::inner:
        return new_point(at.point);
    default:
        return v.last();  // past the last segment: the end point
    }
}

[[noreturn]] void length_out_of_range() {
    pyu::raise(PyExc_ValueError, "Length must be between 0 and the total length of the Polyline.");
}
}  // namespace

nb::object point_at_parameter(nb::handle self, nb::handle t_arg) {
    double t = pyu::as_double(t_arg);
    if (t < 0 || t > 1)
        pyu::raise(PyExc_ValueError, "Parameter value must be between 0 and 1.");
    Vertices v = vertices(self);
    std::vector<double> lengths = v.lengths();
    double total = geom::sum_in_order(lengths);
    geom::Fault fault = geom::Fault::none;
    geom::LengthPlace at = geom::place_parameter(v.xy(), lengths, total, t, fault);
    check(fault);
    return placed(v, at);
}

nb::object point_at_length(nb::handle self, nb::handle length_arg) {
    double length = pyu::as_double(length_arg);
    if (length < 0)
        length_out_of_range();
    Vertices v = vertices(self);
    std::vector<double> lengths = v.lengths();
    if (length > geom::sum_in_order(lengths))
        length_out_of_range();
    double seg_eps = names::seg_epsilon.get_double();
    geom::LengthWalk walk(v.xy(), lengths, seg_eps);
    return placed(v, walk.place(length));
}

// The length from the start (or its share of the total) of a point on the
// polyline, measured on the first segment that holds it; None elsewhere.
nb::object evaluate_point(nb::handle self, nb::handle point, nb::handle method) {
    PyObject *m = method.ptr();
    if (m != Py_None && !PyUnicode_Check(m))
        pyu::raise_format(PyExc_TypeError, "Argument 'method' has incorrect type (expected str, got %s)",
                          Py_TYPE(m)->tp_name);
    bool by_length = m != Py_None && PyUnicode_CompareWithASCIIString(m, "length") == 0;
    bool by_parameter = m != Py_None && PyUnicode_CompareWithASCIIString(m, "parameter") == 0;
    if (!by_length && !by_parameter)
        pyu::raise(PyExc_ValueError, "Method must be either 'length' or 'parameter'.");
    double seg_eps = names::seg_epsilon.get_double();
    Vec2 p = pyu::read_xy(point);
    Vertices v = vertices(self);
    std::vector<double> lengths = v.lengths();
    double total = geom::sum_in_order(lengths);
    geom::Fault fault = geom::Fault::none;
    std::optional<double> along = geom::length_at_point(v.xy(), lengths, p, seg_eps, fault);
    check(fault);
    if (!along)
        return nb::none();
    return pyu::float_obj(by_length ? *along : pyu::divide(*along, total));
}

namespace {

// Points at the running lengths 0, step, 2 step, ... (`count` of them, or
// while the sum stays within the total), each as point_at_length gives it.
nb::list divide(nb::handle self, const Vertices &v, const std::vector<double> &lengths, double total, double step,
                Py_ssize_t count) {
    geom::Interrupt stop = pyu::interrupt();
    nb::list out;
    if (!own(self, Member::point_at_length)) {
        double current = 0.0;
        for (Py_ssize_t i = 0; count < 0 ? current <= total : i < count; ++i) {
            stop.tick();
            nb::object at = i == 0 ? pyu::int_obj(0) : pyu::float_obj(current);
            out.append(call_member(self, Member::point_at_length, at));
            current += step;
        }
        return out;
    }
    double seg_eps = names::seg_epsilon.get_double();
    geom::LengthWalk walk(v.xy(), lengths, seg_eps);
    double current = 0.0;
    for (Py_ssize_t i = 0; count < 0 ? current <= total : i < count; ++i) {
        stop.tick();
        if (current < 0 || current > total)
            length_out_of_range();
        out.append(placed(v, walk.place(current)));
        current += step;
    }
    return out;
}

}  // namespace

// `count` points spaced by length / count from the start; the end is never
// among them.
nb::list divide_by_count(nb::handle self, nb::handle count) {
    nb::object two = pyu::int_obj(2);
    if (pyu::num_lt(count, two))
        pyu::raise(PyExc_ValueError, "Number of points must be at least 2.");
    Vertices v = vertices(self);
    std::vector<double> lengths = v.lengths();
    double total = geom::sum_in_order(lengths);
    double step = pyu::as_double(pyu::num_div(pyu::float_obj(total), count));
    Py_ssize_t n = pyu::range_count(count);
    pyu::checked_size(n, sizeof(PyObject *) + sizeof(flat::Point) + 32);
    return divide(self, v, lengths, total, step, n);
}

// Points every `length` from the start while the running sum stays within
// the total length; the end only when the sum lands on it.
nb::list divide_by_length(nb::handle self, nb::handle length_arg) {
    double step = pyu::as_double(length_arg);
    if (step <= 0)
        pyu::raise(PyExc_ValueError, "Length must be greater than 0.");
    Vertices v = vertices(self);
    std::vector<double> lengths = v.lengths();
    double total = geom::sum_in_order(lengths);
    // A spacing too small for the sum to ever pass the total (or to fit in
    // memory before it does) would fill all memory: refused up front.  A NaN
    // spacing stops the sum after the start.
    double estimate = std::floor(total / step) + 1;
    if (total >= 0 && !std::isnan(step) && !(estimate < 1e15 && total + step > total))
        pyu::checked_size(PY_SSIZE_T_MAX, sizeof(PyObject *));
    if (estimate >= 1)
        pyu::checked_size((Py_ssize_t) estimate, sizeof(PyObject *) + sizeof(flat::Point) + 32);
    return divide(self, v, lengths, total, step, -1);
}

// ------------------------------------------------------------ plot

// One figure: each polyline a line in a colour drawn from numpy's shared
// generator, labelled by name[i] for a list of names or by `name` itself,
// and a legend; plt.show() with `show` true.  The figure stays open.
void plot_polylines(nb::handle polylines, nb::handle name, nb::handle show) {
    nb::object pyplot = names::plt.get();
    nb::object made[2];
    pyu::unpack(pyu::call_method(pyplot, key_subplots), made, 2);
    nb::object fig = made[0], ax = made[1];
    nb::object current = pyu::call_method(fig, key_gca);
    pyu::call_method(current, key_set_aspect, nb::str("equal"));
    nb::object np = names::np.get();
    Py_ssize_t i = 0;
    pyu::for_each_iter(polylines, [&](nb::handle polyline) {
        nb::object points = pyu::get_attr(polyline, key_points);
        nb::list xs = pyu::attr_of_each(points, key_x);
        nb::list ys = pyu::attr_of_each(points, key_y);
        nb::object label = PyList_Check(name.ptr()) ? pyu::get_item(name, i) : nb::borrow(name);
        nb::object random = pyu::get_attr(np, key_random);
        nb::object color = pyu::call_method(random, key_rand, pyu::int_obj(3));
        nb::object plot = pyu::get_attr(ax, key_plot);
        plot(xs, ys, "color"_a = color, "label"_a = label);
        ++i;
        return true;
    });
    pyu::call_method(ax, key_legend);
    if (pyu::truthy(show)) {
        nb::object now = names::plt.get();
        pyu::call_method(now, key_show);
    }
}

}  // namespace polyline
