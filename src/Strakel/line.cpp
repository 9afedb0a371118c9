// Strakel.Line: the infinite line through two points, directed from `start`
// to `end`.  The points are the caller's objects, stored and shared as given;
// our own Points are read through their C++ fields, anything else through
// its `x` and `y`.  Every receiver is a plain handle, so an operation called
// through the class on any object with `start` and `end` works too.
#include "Strakel/line_ray.hpp"

#include <nanobind/stl/string.h>

#include <cmath>
#include <optional>
#include <string>

using namespace nb::literals;
using geom::Vec2;

namespace strakel {

// ------------------------------------------------ shared measures

Vec2 unit_of(Vec2 v) { return geom::unit_or_self(v, py_magnitude(v), flat_eps()); }

Vec2 projection_foot(Vec2 a, Vec2 b, Vec2 c) {
    Vec2 ab = b - a, ac = c - a;
    double s = pyu::divide(geom::dot(ab, ac), py_magnitude(ab));
    Vec2 v = unit_of(ab) * s;
    return {v.x + a.x, v.y + a.y};
}

bool truthy(nb::handle h) {
    int truth = PyObject_IsTrue(h.ptr());
    if (truth < 0)
        pyu::raise_current();
    return truth != 0;
}

// ------------------------------------------------------- storage

namespace {
PyTypeObject *line_type = nullptr;
}

bool is_line(nb::handle h) { return line_type && PyObject_TypeCheck(h.ptr(), line_type) && nb::inst_ready(h); }
bool is_plain_line(nb::handle h) { return line_type && Py_TYPE(h.ptr()) == line_type && nb::inst_ready(h); }

nb::object make_line(nb::handle start, nb::handle end) {
    nb::object o = nb::inst_alloc(nb::handle((PyObject *) line_type));
    new (nb::inst_ptr<LineData>(o)) LineData{nb::borrow(start), nb::borrow(end)};
    nb::inst_mark_ready(o);
    return o;
}

namespace {

nb::object start_of(nb::handle line) { return is_line(line) ? line_fields(line).start : line.attr("start"); }
nb::object end_of(nb::handle line) { return is_line(line) ? line_fields(line).end : line.attr("end"); }

void set_ends(nb::handle line, nb::handle start, nb::handle end) {
    if (is_line(line)) {
        LineData &f = line_fields(line);
        f.start = nb::borrow(start);
        f.end = nb::borrow(end);
        return;
    }
    line.attr("start") = start;
    line.attr("end") = end;
}

}  // namespace

Ends line_ends(nb::handle line) {
    if (is_line(line)) {
        const LineData &f = line_fields(line);
        Vec2 s = xy(f.start);
        return {s, xy(f.end)};
    }
    nb::object s = line.attr("start"), e = line.attr("end");
    Vec2 a = xy(s);
    return {a, xy(e)};
}

nb::object line_cross_line(nb::handle line, nb::handle other) {
    Ends a = line_ends(line), b = line_ends(other);
    std::optional<Vec2> p = geom::line_intersection(a.start, a.end, b.start, b.end, flat_eps());
    return p ? point_obj(*p) : nb::none();
}

namespace {

// ------------------------------------------------------------ value

void init(nb::handle self, nb::handle start, nb::handle end) {
    if (!PyObject_TypeCheck(self.ptr(), line_type))
        pyu::raise(PyExc_TypeError, "descriptor '__init__' requires a 'Line' object");
    if (nb::inst_ready(self)) {  // called again on a live line
        set_ends(self, start, end);
        return;
    }
    new (nb::inst_ptr<LineData>(self)) LineData{nb::borrow(start), nb::borrow(end)};
    nb::inst_mark_ready(self);
}

// Slope and intercept as the text form, equality and hash read them.
struct SlopeIntercept {
    std::optional<double> slope;
    double intercept;
};

SlopeIntercept slope_intercept(nb::handle self) {
    Ends e = line_ends(self);
    double tol = eps();
    return {geom::line_slope(e.start, e.end, tol), geom::line_intercept(e.start, e.end, tol)};
}

nb::object slope(nb::handle self) {
    Ends e = line_ends(self);
    std::optional<double> s = geom::line_slope(e.start, e.end, eps());
    return s ? pyu::float_obj(*s) : nb::none();
}

double intercept(nb::handle self) {
    Ends e = line_ends(self);
    return geom::line_intercept(e.start, e.end, eps());
}

std::string text(nb::handle self) {
    SlopeIntercept si = slope_intercept(self);
    std::string out = "Line:y=";
    out += si.slope ? pyu::float_repr(*si.slope) : std::string("None");
    out += 'x';
    if (si.intercept > 0)
        out += '+';
    if (si.intercept > 0 || si.intercept < 0)
        out += pyu::float_repr(si.intercept);
    return out;
}

// The slope of anything compared with a line: None (vertical) or a number.
std::optional<double> slope_of(nb::handle other) {
    nb::object s = other.attr("slope");
    if (s.is_none())
        return std::nullopt;
    return pyu::as_double(s);
}

// Slopes, then intercepts, each rounded to 3 decimals.  Two vertical lines
// compare their intercepts (the x of their start); a vertical line never
// equals a sloped one.
bool equal(nb::handle self, nb::handle other) {
    SlopeIntercept a = slope_intercept(self);
    bool other_is_line = is_plain_line(other);
    std::optional<double> other_slope = other_is_line ? slope_intercept(other).slope : slope_of(other);
    if (a.slope.has_value() != other_slope.has_value())
        return false;
    if (a.slope && pyu::py_round(*a.slope, 3) != pyu::py_round(*other_slope, 3))
        return false;
    double other_intercept =
        other_is_line ? slope_intercept(other).intercept : pyu::as_double(other.attr("intercept"));
    return pyu::py_round(a.intercept, 3) == pyu::py_round(other_intercept, 3);
}

// Hash of the rounded pair, so that equal lines hash alike.
Py_hash_t hash(nb::handle self) {
    SlopeIntercept si = slope_intercept(self);
    double b = pyu::round3_key(si.intercept);
    if (si.slope)
        return pyu::hash_pair(pyu::round3_key(*si.slope), b);
    nb::object pair = nb::make_tuple(nb::none(), pyu::float_obj(b));
    Py_hash_t h = PyObject_Hash(pair.ptr());
    if (h == -1)
        pyu::raise_current();
    return h;
}

Vec2 direction(nb::handle self) {
    Ends e = line_ends(self);
    return e.end - e.start;
}

nb::object vector(nb::handle self) { return vector_obj(direction(self)); }
nb::object unit_vector(nb::handle self) { return vector_obj(unit_of(direction(self))); }

// Swaps the two stored objects in place.
void reverse(nb::handle self) {
    nb::object end = end_of(self), start = start_of(self);
    set_ends(self, end, start);
}

nb::object copy(nb::handle self) {
    nb::object start = start_of(self);
    return make_line(start, end_of(self));
}

// ---------------------------------------------------- predicates

// The direction of anything with `vector` (a Line or a Segment).
Vec2 vector_of(nb::handle other) {
    if (is_plain_line(other))
        return direction(other);
    nb::object v = other.attr("vector");
    return xy(v);
}

// Exact comparisons with 0: no tolerance.
bool is_parallel(nb::handle self, nb::handle other) {
    Vec2 a = direction(self);
    return geom::cross(a, vector_of(other)) == 0;
}
bool is_perpendicular(nb::handle self, nb::handle other) {
    Vec2 a = direction(self);
    return geom::dot(a, vector_of(other)) == 0;
}
bool is_same_direction(nb::handle self, nb::handle other) {
    Vec2 a = direction(self);
    return geom::dot(a, vector_of(other)) > 0;
}

nb::object intersection_with_ray(nb::handle self, nb::handle other) {
    if (is_plain_ray(other))
        return ray_cross_line(other, self);
    return other.attr("intersection_with_line")(self);
}

nb::object intersection_with_segment(nb::handle self, nb::handle other) {
    return other.attr("intersection_with_line")(self);
}

int relative_position(nb::handle self, nb::handle point) {
    Ends e = line_ends(self);
    return geom::relative_position(e.start, e.end, xy(point));
}

bool is_on_line(nb::handle self, nb::handle point) {
    Ends e = line_ends(self);
    return geom::on_line(e.start, e.end, xy(point), eps());
}

// ------------------------------------------- moves and offsets

// Both new points are made before either is stored: a failure leaves the
// line as it was.
void move(nb::handle self, nb::handle vector) {
    Ends e = line_ends(self);
    Vec2 v = xy(vector);
    nb::object start = point_obj(e.start + v);
    nb::object end = point_obj(e.end + v);
    set_ends(self, start, end);
}

// The line moved by `distance` along the normal `side` of its unit direction.
nb::object shifted(const Ends &e, Vec2 side, double distance) {
    Vec2 shift = side * distance;
    nb::object start = point_obj(e.start + shift);
    return make_line(start, point_obj(e.end + shift));
}

// A positive distance moves the line to its right.
nb::object offset(nb::handle self, double distance) {
    Ends e = line_ends(self);
    Vec2 u = unit_of(e.end - e.start);
    return shifted(e, geom::right_normal(u), distance);
}

// (right, left): a tuple.
nb::object offset_both(nb::handle self, double distance) {
    Ends e = line_ends(self);
    Vec2 u = unit_of(e.end - e.start);
    nb::object right = shifted(e, geom::right_normal(u), distance);
    return nb::make_tuple(right, shifted(e, geom::left_normal(u), distance));
}

// -------------------------------------------------- interpolation

// start blends with start and end with end, whatever the directions.
nb::object tween(const Ends &a, const Ends &b, double t) {
    nb::object start = point_obj(geom::blend(a.start, b.start, t));
    return make_line(start, point_obj(geom::blend(a.end, b.end, t)));
}

nb::object tween_line(nb::handle line1, nb::handle line2, double t) {
    Ends a = line_ends(line1);
    return tween(a, line_ends(line2), t);
}

nb::list tween_lines(nb::handle line1, nb::handle line2, nb::args t_values) {
    Ends a = line_ends(line1), b = line_ends(line2);
    nb::list lines;
    for (nb::handle t : t_values)
        lines.append(tween(a, b, pyu::as_double(t)));
    return lines;
}

// ------------------------------------------------------------ plots

// `count` colours of the current cycle, drawn without replacement as long
// as the cycle lasts; further lines draw with replacement.
nb::object draw_colours(nb::handle pyplot, Py_ssize_t count) {
    nb::object cycle = nb::steal(PySequence_List(pyplot.attr("rcParams")["axes.prop_cycle"].ptr()));
    if (!cycle.is_valid())
        pyu::raise_current();
    nb::object choice = names::np.get().attr("random").attr("choice");
    Py_ssize_t available = PyList_GET_SIZE(cycle.ptr());
    if (count <= available)
        return choice(cycle, "size"_a = count, "replace"_a = false);
    nb::list colours = nb::list(choice(cycle, "size"_a = available, "replace"_a = false));
    nb::object extra = choice(cycle, "size"_a = count - available, "replace"_a = true);
    pyu::for_each_iter(extra, [&](nb::handle c) {
        colours.append(c);
        return true;
    });
    return colours;
}

void plot_lines(nb::handle lines, nb::handle labels, nb::handle show) {
    nb::handle pyplot = names::plt.get();
    Py_ssize_t count = PyObject_Length(lines.ptr());
    if (count < 0)
        pyu::raise_current();
    plot_ends(pyplot, lines, draw_colours(pyplot, count), labels, show);
}

// ------------------------------------------------------ distances

// The foot of the perpendicular on the infinite line (ZeroDivisionError for
// a line of coinciding points).
nb::object closest_point(nb::handle self, nb::handle point) {
    Ends e = line_ends(self);
    return point_obj(projection_foot(e.start, e.end, xy(point)));
}

double distance_to_point(nb::handle self, nb::handle point) {
    Ends e = line_ends(self);
    Vec2 p = xy(point);
    return py_distance(projection_foot(e.start, e.end, p), p);
}

int line_traverse(PyObject *self, visitproc visit, void *arg) {
    return pyu::traverse_fields<LineData, &LineData::start, &LineData::end>(self, visit, arg);
}
int line_clear(PyObject *self) { return pyu::clear_fields<LineData, true, &LineData::start, &LineData::end>(self); }

PyType_Slot line_slots[] = {
    {Py_tp_traverse, (void *) line_traverse},
    {Py_tp_clear, (void *) line_clear},
    {0, nullptr},
};

}  // namespace

void plot_ends(nb::handle pyplot, nb::handle items, nb::handle colours, nb::handle labels, nb::handle show) {
    nb::object plot = pyplot.attr("plot");
    bool labelled = truthy(labels);
    Py_ssize_t i = 0;
    pyu::for_each_iter(items, [&](nb::handle item) {
        nb::object start = item.attr("start"), end = item.attr("end");
        // Each attribute is read into an object first: a missing one raises
        // here, not inside a conversion that may not throw.
        nb::object x0 = start.attr("x"), x1 = end.attr("x");
        nb::object y0 = start.attr("y"), y1 = end.attr("y");
        nb::list xs, ys;
        xs.append(x0);
        xs.append(x1);
        ys.append(y0);
        ys.append(y1);
        nb::object colour = colours[nb::int_(i)]["color"];
        nb::object label = labelled ? nb::object(labels[nb::int_(i)]) : nb::none();
        plot(xs, ys, "color"_a = colour, "label"_a = label);
        ++i;
        return true;
    });
    pyplot.attr("legend")();
    if (truthy(show))
        pyplot.attr("show")();
}

void bind_line(nb::module_ &m) {
    auto cls = nb::class_<LineData>(m, "Line", nb::dynamic_attr(), nb::type_slots(line_slots));
    line_type = (PyTypeObject *) cls.ptr();
    cls.def("__init__", &init, "start"_a.none(), "end"_a.none())
        .def("__repr__", &text)
        .def("__eq__", &equal, "other"_a.none())
        .def("__hash__", &hash)
        .def_prop_ro("vector", &vector)
        .def_prop_ro("unit_vector", &unit_vector)
        .def_prop_ro("slope", &slope)
        .def_prop_ro("intercept", &intercept)
        .def("reverse", &reverse)
        .def("copy", &copy)
        .def("is_parallel", &is_parallel, "other"_a.none())
        .def("is_perpendicular", &is_perpendicular, "other"_a.none())
        .def("intersection_with_line", &line_cross_line, "other"_a.none())
        .def("intersection_with_ray", &intersection_with_ray, "other"_a.none())
        .def("intersection_with_segment", &intersection_with_segment, "other"_a.none())
        .def("relative_position", &relative_position, "point"_a.none())
        .def("is_on_line", &is_on_line, "point"_a.none())
        .def("is_same_direction", &is_same_direction, "other"_a.none())
        .def("move", &move, "vector"_a.none())
        .def("offset", [](nb::handle self, nb::handle d) { return offset(self, pyu::as_double(d)); },
             "distance"_a.none())
        .def("offset_both", [](nb::handle self, nb::handle d) { return offset_both(self, pyu::as_double(d)); },
             "distance"_a.none())
        .def_static("tween_line",
                    [](nb::handle l1, nb::handle l2, nb::handle t) { return tween_line(l1, l2, pyu::as_double(t)); },
                    "line1"_a.none(), "line2"_a.none(), "t"_a.none() = 0.5)
        .def_static("tween_lines", &tween_lines, "line1"_a.none(), "line2"_a.none(), "t_values"_a)
        .def_static("plot_lines", &plot_lines, "lines"_a.none(), "names"_a.none() = nb::none(),
                    "show"_a.none() = true)
        .def("closest_point", &closest_point, "point"_a.none())
        .def("distance_to_point", &distance_to_point, "point"_a.none());
    def_object_attr<&LineData::start>(cls, "start");
    def_object_attr<&LineData::end>(cls, "end");
}

}  // namespace strakel
