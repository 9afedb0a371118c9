// What the classes of Strakel share: reads of end points into owned
// objects, new lines and segments through the module's names, the
// projection foot, and the plot of lines and segments.
#include "Strakel/strakel.hpp"

using namespace nb::literals;

namespace strakel {

PyTypeObject *line_type = nullptr, *segment_type = nullptr, *ray_type = nullptr;

void not_initialised(PyTypeObject *type) {
    pyu::raise_format(PyExc_TypeError, "'%s' object is not initialised: its __init__ has not run",
                      type == line_type ? "Line" : type == segment_type ? "Segment" : "Ray");
}

// --------------------------------------------------------- end points

EndObjects end_objects(nb::handle h) {
    nb::object start = start_object(h);
    return {start, end_object(h)};
}

nb::object start_object(nb::handle h) {
    if (is_segment(h))
        return pyu::stored_value(h, &SegmentData::start, "start");
    if (is_line(h))
        return pyu::stored_value(h, &LineData::start, "start");
    return pyu::get_attr(h, key_start);
}

nb::object end_object(nb::handle h) {
    if (is_segment(h))
        return pyu::stored_value(h, &SegmentData::end, "end");
    if (is_line(h))
        return pyu::stored_value(h, &LineData::end, "end");
    return pyu::get_attr(h, key_end);
}

namespace {
// The coordinates of two stored ends that are both our own Points: read
// through their fields, which runs no Python code, so nothing needs holding.
bool stored_points(const nb::object &start, const nb::object &end, Ends &out) {
    if (!start.is_valid() || !end.is_valid() || !pyu::is_point(start) || !pyu::is_point(end))
        return false;
    const flat::Point &a = pyu::flat_fields(start), &b = pyu::flat_fields(end);
    out = {{a.x, a.y}, {b.x, b.y}};
    return true;
}
}  // namespace

Ends ends_of(nb::handle h) {
    Ends out;
    if (is_segment(h)) {
        const SegmentData &f = segment_fields(h);
        if (stored_points(f.start, f.end, out))
            return out;
    } else if (is_line(h)) {
        const LineData &f = line_fields(h);
        if (stored_points(f.start, f.end, out))
            return out;
    }
    EndObjects e = end_objects(h);
    Vec2 a = pyu::read_xy(e.start);
    return {a, pyu::read_xy(e.end)};
}

EndPoints end_points(nb::handle h) {
    EndObjects e = end_objects(h);
    Vec2 a = pyu::read_xy(e.start);
    Vec2 b = pyu::read_xy(e.end);
    return {std::move(e.start), std::move(e.end), a, b};
}

void set_start(nb::handle h, nb::handle p) {
    if (is_segment(h))
        segment_fields(h).start = nb::borrow(p);
    else if (is_line(h))
        line_fields(h).start = nb::borrow(p);
    else
        pyu::set_attr(h, key_start, p);
}

void set_end(nb::handle h, nb::handle p) {
    if (is_segment(h))
        segment_fields(h).end = nb::borrow(p);
    else if (is_line(h))
        line_fields(h).end = nb::borrow(p);
    else
        pyu::set_attr(h, key_end, p);
}

// ---------------------------------------------------------- new objects

namespace {
template <class T>
nb::object make(PyTypeObject *type, nb::handle start, nb::handle end) {
    nb::object o = nb::inst_alloc(nb::handle((PyObject *) type));
    new (nb::inst_ptr<T>(o)) T{nb::borrow(start), nb::borrow(end)};
    nb::inst_mark_ready(o);
    return o;
}
}  // namespace

nb::object new_line(nb::handle start, nb::handle end) {
    if (names::line.holds(line_type))
        return make<LineData>(line_type, start, end);
    return pyu::call(names::line.get(), start, end);
}

nb::object new_segment(nb::handle start, nb::handle end) {
    if (names::segment.holds(segment_type))
        return make<SegmentData>(segment_type, start, end);
    return pyu::call(names::segment.get(), start, end);
}

// ------------------------------------------------------------ measures

Vec2 projection_foot(Vec2 a, Vec2 b, Vec2 c) {
    Vec2 ab = b - a, ac = c - a;
    double m = py_magnitude(ab);
    double s = pyu::divide(geom::dot(ab, ac), m);
    Vec2 v = geom::unit_or_self(ab, m, flat_eps()) * s;
    return {v.x + a.x, v.y + a.y};
}

// ------------------------------------------------------------ plots

nb::object colour_cycle(nb::handle pyplot) {
    static const pyu::Key key_rc("rcParams");
    nb::object params = pyu::get_attr(pyplot, key_rc);
    nb::object name = pyu::check(PyUnicode_FromString("axes.prop_cycle"));
    nb::object cycle = pyu::check(PyObject_GetItem(params.ptr(), name.ptr()));
    return pyu::check(PySequence_List(cycle.ptr()));
}

void plot_ends(nb::handle pyplot, nb::handle items, nb::handle colours, nb::handle labels, nb::handle show) {
    static const pyu::Key key_plot("plot"), key_legend("legend"), key_show("show");
    nb::object plot = pyu::get_attr(pyplot, key_plot);
    nb::object colour_key = pyu::check(PyUnicode_FromString("color"));
    bool labelled = pyu::truthy(labels);
    Py_ssize_t i = 0;
    pyu::for_each_iter(items, [&](nb::handle item) {
        EndObjects e = end_objects(item);
        // Each coordinate is read into an object: a missing one raises here.
        nb::object x0 = pyu::get_attr(e.start, key_x), x1 = pyu::get_attr(e.end, key_x);
        nb::object y0 = pyu::get_attr(e.start, key_y), y1 = pyu::get_attr(e.end, key_y);
        nb::object xs = pyu::check(PyList_New(0)), ys = pyu::check(PyList_New(0));
        pyu::check_status(PyList_Append(xs.ptr(), x0.ptr()));
        pyu::check_status(PyList_Append(xs.ptr(), x1.ptr()));
        pyu::check_status(PyList_Append(ys.ptr(), y0.ptr()));
        pyu::check_status(PyList_Append(ys.ptr(), y1.ptr()));
        nb::object entry = pyu::get_item(colours, i);
        nb::object colour = pyu::check(PyObject_GetItem(entry.ptr(), colour_key.ptr()));
        nb::object label = labelled ? pyu::get_item(labels, i) : nb::none();
        plot(xs, ys, "color"_a = colour, "label"_a = label);
        ++i;
        return true;
    });
    pyu::call_method(pyplot, key_legend);
    if (pyu::truthy(show))
        pyu::call_method(pyplot, key_show);
}

}  // namespace strakel
