// Polygon.Bound: an outline boxed by the polyline's own bounding-box
// operation, kept as an oriented frame (origin, unit axes, side lengths), and
// the point grid laid over it.  The frame's attributes are plain instance
// attributes, read when get_grid runs.
//
// The interior lattice crosses every scan line with the outline through the
// outline's own `intersection`; the steps along each line are ours, on the
// coordinates of the crossings, in the plain order of Point and Vector
// arithmetic (core/outline/layout.hpp).
#include "Polygon/polygon.hpp"
#include "core/outline/layout.hpp"

#include <cmath>

using namespace nb::literals;

namespace polygon {

namespace {

struct BoundData {};
PyTypeObject *bound_type = nullptr;

const pyu::Key k_polyline("polyline"), k_bound("bound"), k_origin("origin"), k_vec_x("vec_x"),
    k_x_length("x_length"), k_vec_y("vec_y"), k_y_length("y_length"), k_unit("unit"), k_typ("typ"),
    k_vector_from_points("vector_from_points"), k_distance_to_point("distance_to_point");

// int(v) + add, as a count of range() steps: the interpreter's ValueError
// for NaN and OverflowError for infinity; MemoryError for more steps than
// memory could ever hold.
Py_ssize_t steps_of(double v, long add) {
    nb::object whole = pyu::check(PyLong_FromDouble(v));
    nb::object total = pyu::num_add(whole, pyu::int_obj(add));
    int overflow = 0;
    long long n = PyLong_AsLongLongAndOverflow(total.ptr(), &overflow);
    if (n == -1 && PyErr_Occurred())
        pyu::raise_current();
    if (overflow > 0)
        pyu::checked_size(PY_SSIZE_T_MAX, sizeof(PyObject *));
    if (overflow < 0 || n <= 0)
        return 0;
    if (n > PY_SSIZE_T_MAX)
        pyu::checked_size(PY_SSIZE_T_MAX, sizeof(PyObject *));
    return (Py_ssize_t) pyu::checked_size((Py_ssize_t) n, sizeof(PyObject *));
}

// Vector.vector_from_points(a, b).unit_vector, through the module's Vector
// unless it is still our own class.
nb::object unit_between(nb::handle a, nb::handle b) {
    const Keys &k = keys();
    if (!names::vector.holds(pyu::vector_type)) {
        nb::object v = pyu::call_method(names::vector.get(), k_vector_from_points, a, b);
        return pyu::get_attr(v, k.unit_vector);
    }
    Vec2 pa = pyu::read_xy(a), pb = pyu::read_xy(b);
    Vec2 v{pb.x - pa.x, pb.y - pa.y};
    double m = pyu::py_magnitude(v.x, v.y);
    if (std::fabs(m) <= flat_eps())
        return new_vector(v);
    return new_vector({v.x / m, v.y / m});
}

// a.distance_to_point(b): our own Point answers here.
nb::object distance_between(nb::handle a, nb::handle b) {
    if (!pyu::is_point(a))
        return pyu::call_method(a, k_distance_to_point, b);
    Vec2 pa = pyu::read_xy(a), pb = pyu::read_xy(b);
    return pyu::float_obj(pyu::py_distance(pa.x - pb.x, pa.y - pb.y));
}

void init(nb::handle self, nb::handle polyline, nb::handle unit, nb::handle vector, nb::handle typ) {
    double spacing = pyu::as_double(unit);
    pyu::check_receiver(self, (PyObject *) bound_type, "Bound");
    if (!nb::inst_ready(self))
        pyu::construct<BoundData>(self, BoundData{});
    const Keys &k = keys();
    nb::object bound = pyu::call_method(names::polyline.get(), k.bounding_box, polyline, vector);
    nb::object c0 = pyu::get_item(bound, 0), c1 = pyu::get_item(bound, 1), c3 = pyu::get_item(bound, 3);
    nb::object vec_x = unit_between(c0, c1);
    nb::object x_length = distance_between(c0, c1);
    nb::object vec_y = unit_between(c0, c3);
    nb::object y_length = distance_between(c0, c3);
    pyu::set_attr(self, k_polyline, polyline);
    pyu::set_attr(self, k_bound, bound);
    pyu::set_attr(self, k_origin, c0);
    pyu::set_attr(self, k_vec_x, vec_x);
    pyu::set_attr(self, k_x_length, x_length);
    pyu::set_attr(self, k_vec_y, vec_y);
    pyu::set_attr(self, k_y_length, y_length);
    pyu::set_attr(self, k_unit, pyu::float_obj(spacing));
    pyu::set_attr(self, k_typ, typ);
}

nb::object get_bounding_box(nb::handle self) {
    nb::object corners = pyu::get_attr(self, k_bound);
    nb::object outline = pyu::call(names::polyline.get(), corners);
    return pyu::call_method(outline, keys().close);
}

// `corner + offset` as the corner's own addition gives it: our Point and
// Vector answer here (a Point, or a Vector for a Vector corner).
nb::object moved(nb::handle corner, Vec2 offset) {
    if (pyu::is_flat(corner)) {
        Vec2 c = pyu::read_xy(corner);
        Vec2 p{c.x + offset.x, c.y + offset.y};
        return pyu::is_point(corner) ? new_point(p) : new_vector(p);
    }
    nb::object v = new_vector(offset);
    return pyu::num_add(corner, v);
}

// The interior lattice: scan lines parallel to vec_y at every unit along
// vec_x, each bounded by its nearest and farthest crossing with the outline.
nb::list lattice(nb::handle self) {
    const Keys &k = keys();
    nb::object polyline = pyu::get_attr(self, k_polyline);
    nb::object corners = pyu::get_attr(self, k_bound);
    nb::object origin = pyu::get_attr(self, k_origin);
    Vec2 vec_x = pyu::read_xy(pyu::get_attr(self, k_vec_x));
    Vec2 vec_y = pyu::read_xy(pyu::get_attr(self, k_vec_y));
    double x_length = pyu::as_double(pyu::get_attr(self, k_x_length));
    double unit = pyu::as_double(pyu::get_attr(self, k_unit));
    nb::object far = pyu::get_item(corners, 3);

    Py_ssize_t n = steps_of(pyu::divide(x_length, unit), 2);
    geom::Interrupt stop = pyu::interrupt();  // a fine spacing makes a huge grid: Ctrl-C while it grows
    nb::list lines;
    std::vector<Vec2> starts;
    starts.reserve((size_t) n);
    for (Py_ssize_t i = 0; i < n; ++i) {
        stop.tick();
        Vec2 o = geom::scan_offset(vec_x, (double) i, unit);
        nb::object start = moved(origin, o);
        nb::object end = moved(far, o);
        starts.push_back(pyu::read_xy(start));
        lines.append(pyu::call(names::line.get(), start, end));
    }

    double flat = flat_eps();
    Vec2 step{vec_y.x * unit, vec_y.y * unit};
    pyu::CollectorPause pause;  // thousands of new points, all kept
    nb::list out;
    std::vector<double> distances;
    for (Py_ssize_t i = 0; i < n; ++i) {
        stop.poll();  // each line crosses the whole outline
        nb::object crossings = pyu::call_method(polyline, k.intersection, pyu::get_item(lines, i));
        if (pyu::length(crossings) < 2)
            continue;
        pyu::PointList c = pyu::read_points(crossings);
        if (c.size() < 2)
            continue;
        Vec2 start = starts[(size_t) i];
        distances.resize(c.size());
        for (size_t j = 0; j < c.size(); ++j)
            distances[j] = pyu::py_distance(c.coords[j].x - start.x, c.coords[j].y - start.y);
        geom::LineEnds ends = geom::line_ends(distances);
        Vec2 first = c.coords[ends.first], last = c.coords[ends.last];
        geom::RowStart st = geom::row_start(first, distances[ends.first], start, vec_y, unit, flat);
        double span = pyu::py_distance(st.point.x - last.x, st.point.y - last.y);
        Py_ssize_t m = steps_of(geom::floored_div(span, unit), 1);
        for (Py_ssize_t j = 0; j < m; ++j) {
            stop.tick();
            out.append(new_point(geom::row_point(st.point, step, (double) j)));
        }
    }
    return out;
}

nb::object get_grid(nb::handle self) {
    nb::object typ = pyu::get_attr(self, k_typ);
    if (pyu::num_eq(typ, pyu::int_obj(0)))
        return lattice(self);
    nb::object polyline = pyu::get_attr(self, k_polyline);
    nb::object unit = pyu::get_attr(self, k_unit);
    return pyu::call_method(polyline, keys().divide_by_length, unit);
}

}  // namespace

void bind_bound(nb::module_ &m) {
    nb::object vector = pyu::call(names::vector.get(), pyu::int_obj(1), pyu::int_obj(2));  // one shared default
    pyu::Class<BoundData> cls(m, "Bound", DOC(Bound));
    cls.init(&init, DOC(Bound, __init__), "polyline"_a = nb::none(), "unit"_a = 2.0, "vector"_a = vector, "typ"_a = 1)
        .method("get_bounding_box", &get_bounding_box, DOC(Bound, get_bounding_box))
        .method("get_grid", &get_grid, DOC(Bound, get_grid));
    bound_type = cls.type();
}

}  // namespace polygon
