// Strakel.Line: the infinite line through two points, directed from `start`
// to `end`.  The points are the caller's objects, stored and shared as given;
// our own Points are read through their C++ fields, anything else through
// its `x` and `y`.  Every receiver is a plain handle, so an operation called
// through the class on any object with `start` and `end` works too.
#include "Strakel/strakel.hpp"

#include <cmath>
#include <optional>
#include <string>

using namespace nb::literals;

namespace strakel {

nb::object line_cross_line(nb::handle line, nb::handle other) {
    Ends a = ends_of(line), b = ends_of(other);
    std::optional<Vec2> p = geom::line_intersection(a.start, a.end, b.start, b.end, flat_eps());
    return p ? new_point(*p) : nb::none();
}

namespace {

const pyu::Key key_slope("slope"), key_intercept("intercept"), key_cross_line("intersection_with_line"),
    key_random("random"), key_choice("choice");

// ------------------------------------------------------------ value

void init(nb::handle self, nb::handle start, nb::handle end) {
    pyu::check_receiver(self, (PyObject *) line_type, "Line");
    pyu::construct(self, LineData{nb::borrow(start), nb::borrow(end)});
}

// Slope and intercept as the text form, equality and hash read them.
struct SlopeIntercept {
    std::optional<double> slope;
    double intercept;
};

SlopeIntercept slope_intercept(nb::handle self) {
    Ends e = ends_of(self);
    double tol = eps();
    return {geom::line_slope(e.start, e.end, tol), geom::line_intercept(e.start, e.end, tol)};
}

nb::object slope(nb::handle self) {
    Ends e = ends_of(self);
    std::optional<double> s = geom::line_slope(e.start, e.end, eps());
    return s ? pyu::float_obj(*s) : nb::none();
}

double intercept(nb::handle self) {
    Ends e = ends_of(self);
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
    nb::object s = pyu::get_attr(other, key_slope);
    if (s.is_none())
        return std::nullopt;
    return pyu::as_double(s);
}

// Slopes, then intercepts, each rounded to 3 decimals.  Two vertical lines
// compare their intercepts (the x of their start); a vertical line never
// equals a sloped one.
bool equal(nb::handle self, nb::handle other) {
    SlopeIntercept a = slope_intercept(self);
    bool other_is_line = is_line(other);
    std::optional<double> other_slope = other_is_line ? slope_intercept(other).slope : slope_of(other);
    if (a.slope.has_value() != other_slope.has_value())
        return false;
    if (a.slope && pyu::py_round(*a.slope, 3) != pyu::py_round(*other_slope, 3))
        return false;
    double other_intercept =
        other_is_line ? slope_intercept(other).intercept : pyu::as_double(pyu::get_attr(other, key_intercept));
    return pyu::py_round(a.intercept, 3) == pyu::py_round(other_intercept, 3);
}

// Hash of the rounded pair, so that equal lines hash alike.
Py_hash_t hash(nb::handle self) {
    SlopeIntercept si = slope_intercept(self);
    double b = pyu::round3_key(si.intercept);
    if (si.slope)
        return pyu::hash_pair(pyu::round3_key(*si.slope), b);
    nb::object intercept_obj = pyu::float_obj(b);
    nb::object pair = pyu::check(PyTuple_Pack(2, Py_None, intercept_obj.ptr()));
    return pyu::hash_of(pair);
}

Vec2 direction(nb::handle self) {
    Ends e = ends_of(self);
    return e.end - e.start;
}

nb::object vector(nb::handle self) { return new_vector(direction(self)); }
nb::object unit_vector(nb::handle self) { return new_vector(unit(direction(self))); }

// Swaps the two stored objects in place: `end` is read first, then `start`.
void reverse(nb::handle self) {
    if (is_line(self)) {
        LineData &f = line_fields(self);
        nb::object end = pyu::stored_value(self, &LineData::end, "end");
        nb::object start = pyu::stored_value(self, &LineData::start, "start");
        f.start = std::move(end);
        f.end = std::move(start);
        return;
    }
    nb::object end = pyu::get_attr(self, key_end), start = pyu::get_attr(self, key_start);
    pyu::set_attr(self, key_start, end);
    pyu::set_attr(self, key_end, start);
}

nb::object copy(nb::handle self) {
    EndObjects e = end_objects(self);
    return new_line(e.start, e.end);
}

// ---------------------------------------------------- predicates

// The direction of anything with `vector` (a Line or a Segment).
Vec2 vector_of(nb::handle other) {
    if (is_line(other))
        return direction(other);
    nb::object v = pyu::get_attr(other, key_vector);
    return pyu::read_xy(v);
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

// The other object answers, given this line.
nb::object intersection_with_ray(nb::handle self, nb::handle other) {
    if (is_ray(other))
        return ray_cross_line(other, self);
    return pyu::call_method(other, key_cross_line, self);
}

nb::object intersection_with_segment(nb::handle self, nb::handle other) {
    return pyu::call_method(other, key_cross_line, self);
}

int relative_position(nb::handle self, nb::handle point) {
    Ends e = ends_of(self);
    return geom::relative_position(e.start, e.end, pyu::read_xy(point));
}

bool is_on_line(nb::handle self, nb::handle point) {
    Ends e = ends_of(self);
    return geom::on_line(e.start, e.end, pyu::read_xy(point), eps());
}

// ------------------------------------------- moves and offsets

// Both new points are made before either is stored: a failure leaves the
// line as it was.
void move(nb::handle self, nb::handle vector) {
    Ends e = ends_of(self);
    Vec2 v = pyu::read_xy(vector);
    nb::object start = new_point(e.start + v);
    nb::object end = new_point(e.end + v);
    set_start(self, start);
    set_end(self, end);
}

// The line moved by `distance` along the normal `side` of its unit direction.
nb::object shifted(const Ends &e, Vec2 side, double distance) {
    Vec2 shift = side * distance;
    nb::object start = new_point(e.start + shift);
    nb::object end = new_point(e.end + shift);
    return new_line(start, end);
}

// A positive distance moves the line to its right.
nb::object offset(nb::handle self, nb::handle distance) {
    double d = pyu::as_double(distance);
    Ends e = ends_of(self);
    Vec2 u = unit(e.end - e.start);
    return shifted(e, geom::right_normal(u), d);
}

// (right, left): a tuple.
nb::object offset_both(nb::handle self, nb::handle distance) {
    double d = pyu::as_double(distance);
    Ends e = ends_of(self);
    Vec2 u = unit(e.end - e.start);
    nb::object right = shifted(e, geom::right_normal(u), d);
    nb::object left = shifted(e, geom::left_normal(u), d);
    return pyu::check(PyTuple_Pack(2, right.ptr(), left.ptr()));
}

// -------------------------------------------------- interpolation

// start blends with start and end with end, whatever the directions.
nb::object tween(const Ends &a, const Ends &b, double t) {
    nb::object start = new_point(geom::blend(a.start, b.start, t));
    nb::object end = new_point(geom::blend(a.end, b.end, t));
    return new_line(start, end);
}

nb::object tween_line(nb::handle line1, nb::handle line2, nb::handle t) {
    double k = pyu::as_double(t);
    Ends a = ends_of(line1);
    return tween(a, ends_of(line2), k);
}

nb::list tween_lines(nb::handle line1, nb::handle line2, nb::args t_values) {
    Ends a = ends_of(line1), b = ends_of(line2);
    nb::list lines;
    // The values are a tuple of our own: nothing can change it.
    for (nb::handle t : t_values)
        lines.append(tween(a, b, pyu::as_double(t)));
    return lines;
}

// ------------------------------------------------------------ plots

// `count` colours of the current cycle, drawn without replacement as long
// as the cycle lasts; further lines draw with replacement.
nb::object draw_colours(nb::handle pyplot, Py_ssize_t count) {
    nb::object cycle = colour_cycle(pyplot);
    nb::object random = pyu::get_attr(names::np.get(), key_random);
    nb::object choice = pyu::get_attr(random, key_choice);
    Py_ssize_t available = PyList_GET_SIZE(cycle.ptr());
    if (count <= available)
        return choice(cycle, "size"_a = count, "replace"_a = false);
    nb::object first = choice(cycle, "size"_a = available, "replace"_a = false);
    nb::object colours = pyu::check(PySequence_List(first.ptr()));
    nb::object extra = choice(cycle, "size"_a = count - available, "replace"_a = true);
    pyu::for_each_iter(extra, [&](nb::handle c) {
        pyu::check_status(PyList_Append(colours.ptr(), c.ptr()));
        return true;
    });
    return colours;
}

void plot_lines(nb::handle lines, nb::handle labels, nb::handle show) {
    nb::object pyplot = names::plt.get();
    Py_ssize_t count = pyu::length(lines);
    nb::object colours = draw_colours(pyplot, count);
    plot_ends(pyplot, lines, colours, labels, show);
}

// ------------------------------------------------------ distances

// The foot of the perpendicular on the infinite line (ZeroDivisionError for
// a line of coinciding points).
nb::object closest_point(nb::handle self, nb::handle point) {
    Ends e = ends_of(self);
    return new_point(projection_foot(e.start, e.end, pyu::read_xy(point)));
}

double distance_to_point(nb::handle self, nb::handle point) {
    Ends e = ends_of(self);
    Vec2 p = pyu::read_xy(point);
    return py_distance(projection_foot(e.start, e.end, p), p);
}

}  // namespace

void bind_line(nb::module_ &m) {
    pyu::Class<LineData> cls(m, "Line", DOC(Line), {{"start", &LineData::start}, {"end", &LineData::end}});
    line_type = cls.type();
    cls.init(&init, DOC(Line, __init__), "start"_a, "end"_a)
        .method("__repr__", &text, DOC(Line, __repr__))
        .method("__eq__", &equal, DOC(Line, __eq__), "other"_a)
        .method("__hash__", &hash, DOC(Line, __hash__))
        .property("vector", &vector, DOC(Line, vector))
        .property("unit_vector", &unit_vector, DOC(Line, unit_vector))
        .property("slope", &slope, DOC(Line, slope))
        .property("intercept", &intercept, DOC(Line, intercept))
        .method("reverse", &reverse, DOC(Line, reverse))
        .method("copy", &copy, DOC(Line, copy))
        .method("is_parallel", &is_parallel, DOC(Line, is_parallel), "other"_a)
        .method("is_perpendicular", &is_perpendicular, DOC(Line, is_perpendicular), "other"_a)
        .method("intersection_with_line", &line_cross_line, DOC(Line, intersection_with_line), "other"_a)
        .method("intersection_with_ray", &intersection_with_ray, DOC(Line, intersection_with_ray), "other"_a)
        .method("intersection_with_segment", &intersection_with_segment, DOC(Line, intersection_with_segment),
                "other"_a)
        .method("relative_position", &relative_position, DOC(Line, relative_position), "point"_a)
        .method("is_on_line", &is_on_line, DOC(Line, is_on_line), "point"_a)
        .method("is_same_direction", &is_same_direction, DOC(Line, is_same_direction), "other"_a)
        .method("move", &move, DOC(Line, move), "vector"_a)
        .method("offset", &offset, DOC(Line, offset), "distance"_a)
        .method("offset_both", &offset_both, DOC(Line, offset_both), "distance"_a)
        .static_method("tween_line", &tween_line, DOC(Line, tween_line), "line1"_a, "line2"_a, "t"_a = 0.5)
        .static_method("tween_lines", &tween_lines, DOC(Line, tween_lines), "line1"_a, "line2"_a,
                       pyu::VarArgs("t_values"))
        .static_method("plot_lines", &plot_lines, DOC(Line, plot_lines), "lines"_a, "names"_a = nb::none(),
                       "show"_a = true)
        .method("closest_point", &closest_point, DOC(Line, closest_point), "point"_a)
        .method("distance_to_point", &distance_to_point, DOC(Line, distance_to_point), "point"_a);
}

}  // namespace strakel
