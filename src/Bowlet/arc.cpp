// Bowlet.Arc: a circular arc on a supporting Circle, from a start angle to an
// end angle with a direction flag `wise` (1 counter-clockwise, 0 clockwise).
//
// The constructor picks the first complete set of inputs among four: centre,
// radius, sweep and start angle; three points; centre, start point and
// sweep; start point, end point and the direction leaving the start.  After
// construction a counter-clockwise arc has start <= end and a clockwise one
// end <= start; one of the angles may then be negative.
//
// The in-place changes (set_center, move, scale, ...) replace `center` or
// `radius` only: the supporting circle, the angles and the end points keep
// their values.  The rules that ask where a point lies therefore use the
// arc's own `center` and `radius`, never the supporting circle.
#include "Bowlet/bowlet.hpp"

#include <cmath>
#include <string>
#include <utility>
#include <vector>

using namespace nb::literals;
using geom::Vec2;

namespace bowlet {

PyTypeObject *arc_type = nullptr;

namespace {

nb::object flt(double v) { return pyu::float_obj(v); }

// The lower and upper angle of an arc: the end angle is the lower one of a
// clockwise arc, the start angle of a counter-clockwise one.  `known` is
// false for any other `wise`.
struct Domain {
    bool known;
    nb::object lower, upper;
};
Domain domain_of(nb::handle self) {
    nb::object wise = get_attr(self, key::wise);
    if (num_eq(wise, int_obj(0)))
        return {true, get_attr(self, key::end_radians), get_attr(self, key::start_radians)};
    if (num_eq(wise, int_obj(1)))
        return {true, get_attr(self, key::start_radians), get_attr(self, key::end_radians)};
    return {false, {}, {}};
}

// ------------------------------------------------------ construction

struct Fields {
    nb::object center, radius, circle, start_radians, end_radians, start_point, end_point;
    int wise = 1;

    // Clockwise arcs end below their start and counter-clockwise ones above
    // it: at most one angle moves down by a full turn.
    void normalise() {
        nb::object turn = flt(geom::two_pi);
        if (wise == 0 && num_gt(end_radians, start_radians))
            end_radians = num_sub(end_radians, turn);
        else if (wise == 1 && num_lt(end_radians, start_radians))
            start_radians = num_sub(start_radians, turn);
    }

    ArcData data() && {
        return {std::move(center), std::move(radius), std::move(circle), std::move(start_radians),
                std::move(end_radians), int_obj(wise), std::move(start_point), std::move(end_point)};
    }
};

// Centre, radius, sweep and start angle: the numbers are kept as given.
Fields from_angles(nb::handle center, nb::handle radius, nb::handle radians, nb::handle start_radians) {
    Fields f;
    f.center = nb::borrow(center);
    f.radius = nb::borrow(radius);
    f.circle = make_circle(center, radius);
    f.start_radians = nb::borrow(start_radians);
    f.end_radians = num_add(start_radians, radians);
    f.wise = num_lt(radians, int_obj(0)) ? 0 : 1;
    f.normalise();
    f.start_point = circle_point_at_radians(f.circle, f.start_radians);
    f.end_point = circle_point_at_radians(f.circle, f.end_radians);
    return f;
}

// From the start point through the arc point to the end point.
Fields from_three_points(nb::handle start_point, nb::handle end_point, nb::handle arc_point) {
    if (points_equal(start_point, end_point) || points_equal(start_point, arc_point) ||
        points_equal(end_point, arc_point))
        pyu::raise_exception("equal point existing");
    Fields f;
    f.circle = make_circle3(start_point, arc_point, end_point);
    f.center = get_attr(f.circle, key::center);
    f.radius = get_attr(f.circle, key::radius);
    f.start_point = nb::borrow(start_point);
    f.end_point = nb::borrow(end_point);
    f.start_radians = circle_evaluate_point_radians(f.circle, start_point);
    f.end_radians = circle_evaluate_point_radians(f.circle, end_point);
    Vec2 s = xy(start_point), a = xy(arc_point), e = xy(end_point);
    f.wise = geom::cross(a - s, e - a) < 0 ? 0 : 1;
    f.normalise();
    return f;
}

// About the centre from the start point over the sweep.
Fields from_center_start(nb::handle center, nb::handle start_point, nb::handle radians) {
    if (num_eq(radians, int_obj(0)))
        pyu::raise_exception("start_point == end_point");
    Fields f;
    f.center = nb::borrow(center);
    f.radius = flt(distance_between(start_point, center));
    f.circle = make_circle(center, f.radius);
    f.start_point = nb::borrow(start_point);
    f.start_radians = circle_evaluate_point_radians(f.circle, start_point);
    f.end_radians = num_add(f.start_radians, radians);
    f.wise = num_lt(radians, int_obj(0)) ? 0 : 1;
    f.normalise();
    f.end_point = circle_point_at_radians(f.circle, f.end_radians);
    return f;
}

// The unit direction turned by a quarter turn (left for +pi/2, right for
// -pi/2): Vector.unit_vector, then Vector.rotate.
Vec2 turned_unit(nb::handle direction, double angle) {
    if (pyu::is_vector(direction))
        return geom::rotated(unit_or_self(xy(direction)), np_cos_sin(angle));
    nb::object turned = direction.attr("unit_vector").attr("rotate")(flt(angle));
    return xy(turned);
}

// From the start point to the end point, leaving the start along the
// direction: the arc that polyline fillets are made of.
Fields from_start_direction(nb::handle start_point, nb::handle end_point, nb::handle direction) {
    if (points_equal(start_point, end_point))
        pyu::raise_exception("start_point == end_point");
    Vec2 s = xy(start_point), e = xy(end_point);
    Vec2 chord = e - s;
    nb::object alpha_obj = vector_angle(direction, chord);
    // A direction without length has no angle, and None does not compare.
    if (alpha_obj.is_none())
        pyu::raise(PyExc_TypeError, "'<' not supported between instances of 'float' and 'NoneType'");
    double alpha = dbl(alpha_obj);
    double theta = geom::tangent_arc_theta(alpha);

    Vec2 to_center;
    if (0 < alpha && alpha < geom::pi)
        to_center = turned_unit(direction, 0.5 * geom::pi);
    else if (geom::pi < alpha && alpha < geom::two_pi)
        to_center = turned_unit(direction, -0.5 * geom::pi);
    else  // the end lies straight ahead of or behind the start
        pyu::raise_exception("can't get a circle with this direction");

    double radius = geom::tangent_arc_radius(magnitude_of(chord), np_cos_sin(theta).c);
    Fields f;
    f.center = point_plus(start_point, to_center * radius);
    f.radius = flt(radius);
    f.circle = make_circle(f.center, f.radius);
    f.start_point = nb::borrow(start_point);
    f.end_point = nb::borrow(end_point);
    f.start_radians = circle_evaluate_point_radians(f.circle, start_point);
    f.end_radians = circle_evaluate_point_radians(f.circle, end_point);
    nb::object turn = vector_angle(direction, xy(f.center) - s);
    f.wise = num_gt(turn, flt(geom::pi)) ? 0 : 1;
    f.normalise();
    return f;
}

void init(nb::handle self, nb::handle center, nb::handle radius, nb::handle radians, nb::handle start_radians,
          nb::handle start_point, nb::handle end_point, nb::handle arc_point, nb::handle start_direction) {
    if (!PyObject_TypeCheck(self.ptr(), arc_type))
        pyu::raise(PyExc_TypeError, "descriptor '__init__' requires a 'Arc' object");
    auto given = [](nb::handle h) { return !h.is_none(); };
    ArcData data;  // no complete set of inputs: no attributes at all
    if (given(center) && given(radius) && given(start_radians) && given(radians))
        data = from_angles(center, radius, radians, start_radians).data();
    else if (given(start_point) && given(end_point) && given(arc_point))
        data = from_three_points(start_point, end_point, arc_point).data();
    else if (given(center) && given(start_point) && given(radians))
        data = from_center_start(center, start_point, radians).data();
    else if (given(start_point) && given(end_point) && given(start_direction))
        data = from_start_direction(start_point, end_point, start_direction).data();
    ArcData *d = nb::inst_ptr<ArcData>(self);
    if (nb::inst_ready(self)) {  // __init__ called again
        *d = std::move(data);
        return;
    }
    new (d) ArcData(std::move(data));
    nb::inst_mark_ready(self);
}

// --------------------------------------------------------- identity

nb::object sweep(nb::handle self) {
    nb::object end = get_attr(self, key::end_radians);
    return num_sub(end, get_attr(self, key::start_radians));
}

std::string text(nb::handle self) {
    nb::object center = get_attr(self, key::center), radius = get_attr(self, key::radius);
    std::string r;
    if (PyFloat_CheckExact(radius.ptr()))
        r = pyu::float_repr(pyu::py_round(PyFloat_AS_DOUBLE(radius.ptr()), 2));
    else
        r = pyu::format_obj(pyu::builtins().attr("round")(radius, 2));
    nb::object radians = is_arc(self) ? sweep(self) : self.attr("radians");
    return "Arc (Center:" + pyu::format_obj(center) + ",R:" + r + ",Radians:" + pyu::format_obj(radians) +
           ",start_radians:" + pyu::format_obj(get_attr(self, key::start_radians)) + ")";
}

nb::object identity(nb::handle arc) {
    return nb::make_tuple(get_attr(arc, key::center), get_attr(arc, key::radius),
                          get_attr(arc, key::start_radians), get_attr(arc, key::end_radians));
}

// Tuple equality: tolerant centres, exact numbers, identical objects equal.
nb::object equals(nb::handle self, nb::handle other) {
    nb::object a = identity(self), b = identity(other);
    PyObject *r = PyObject_RichCompare(a.ptr(), b.ptr(), Py_EQ);
    if (!r)
        pyu::raise_current();
    return nb::steal(r);
}

Py_hash_t hash(nb::handle self) {
    Py_hash_t h = PyObject_Hash(identity(self).ptr());
    if (h == -1)
        pyu::raise_current();
    return h;
}

// A snapshot of the four values, taken when the iterator is made.
nb::object iterate(nb::handle self) {
    nb::object values = identity(self);
    PyObject *it = PyObject_GetIter(nb::list(values).ptr());
    if (!it)
        pyu::raise_current();
    return nb::steal(it);
}

// ---------------------------------------------------------- measures

nb::object length(nb::handle self) {
    nb::object radians = is_arc(self) ? sweep(self) : self.attr("radians");
    return num_mul(get_attr(self, key::radius), num_abs(radians));
}
nb::object parameter_domain(nb::handle self) {
    nb::object turn = flt(2 * geom::pi);
    return nb::make_tuple(num_div(get_attr(self, key::start_radians), turn),
                          num_div(get_attr(self, key::end_radians), turn));
}
nb::object circumference(nb::handle self) { return num_mul(flt(2.0 * geom::pi), get_attr(self, key::radius)); }
nb::object diameter(nb::handle self) { return num_mul(flt(2.0), get_attr(self, key::radius)); }
bool closes_circle(nb::handle self) {
    nb::object radians = is_arc(self) ? sweep(self) : self.attr("radians");
    return geom::is_close(dbl(num_abs(radians)) - 2.0 * geom::pi, 0.0, 1e-9, 0.001);
}
nb::object sector_area(nb::handle self) {
    nb::object radians = is_arc(self) ? sweep(self) : self.attr("radians");
    return num_mul(num_div(num_abs(radians), int_obj(2)), num_pow(get_attr(self, key::radius), int_obj(2)));
}

// -------------------------------------------------------- transforms

// x, y, r, radians, factor and distance are floats: converted on the way in.
void set_center(nb::handle self, nb::handle x, nb::handle y) {
    double fx = dbl(x), fy = dbl(y);
    set_attr(self, key::center, new_point({fx, fy}));
}
void set_radius(nb::handle self, nb::handle r) { set_attr(self, key::radius, flt(dbl(r))); }
void rotate(nb::handle self, nb::handle axis_center, nb::handle radians) {
    double angle = dbl(radians);
    nb::object center = get_attr(self, key::center);
    set_attr(self, key::center, center.attr("rotate")("angle"_a = flt(angle), "center"_a = axis_center));
}
void move(nb::handle self, nb::handle vector) {
    nb::object center = get_attr(self, key::center);
    PyObject *moved = PyNumber_Add(center.ptr(), vector.ptr());
    if (!moved)
        pyu::raise_current();
    set_attr(self, key::center, nb::steal(moved));
}
void scale(nb::handle self, nb::handle factor) {
    double f = dbl(factor);
    set_attr(self, key::radius, num_mul(get_attr(self, key::radius), flt(f)));
}
void offset(nb::handle self, nb::handle distance) {
    double d = dbl(distance);
    set_attr(self, key::radius, num_add(get_attr(self, key::radius), flt(d)));
}

// ---------------------------------------------- domain, points, bound

// The closed interval from the lower to the upper angle, compared as given
// (no reduction by whole turns); None when `wise` is neither 0 nor 1.
nb::object domain_test(nb::handle self, double radians) {
    Domain d = domain_of(self);
    if (!d.known)
        return nb::none();
    return nb::bool_(dbl(d.lower) <= radians && radians <= dbl(d.upper));
}

nb::object is_radians_in_domain(nb::handle self, nb::handle radians) { return domain_test(self, dbl(radians)); }

nb::object in_domain(nb::handle self, nb::handle radians) {
    if (is_arc(self))
        return domain_test(self, dbl(radians));
    return self.attr("is_radians_in_domain")(radians);
}

// On the arc's own circle (relative 0.001), at an angle that, taken in the
// turn that starts at the lower angle, lies in the domain.
nb::object is_point_on_arc(nb::handle self, nb::handle point) {
    nb::object center = get_attr(self, key::center), radius = get_attr(self, key::radius);
    double dis = distance_between(center, point);
    if (!geom::is_close(dis, dbl(radius), 1e-3, 0.0))
        return nb::bool_(false);
    Vec2 c = xy(center), p = xy(point);
    nb::object angle = vector_angle(Vec2{pyu::py_float(radius), 0.0}, p - c);
    if (!angle.is_none()) {
        Domain d = domain_of(self);
        if (d.known)
            angle = flt(geom::angle_into_turn(dbl(angle), dbl(d.lower)));
    }
    return in_domain(self, angle);
}

nb::object point_on_radius(nb::handle self, double theta) {
    double r = pyu::py_float(get_attr(self, key::radius));
    Vec2 v = geom::radius_vector(r, np_cos_sin(theta));
    return point_plus(get_attr(self, key::center), v);
}

nb::object point_at_radians(nb::handle self, nb::handle radians) {
    if (!truthy(in_domain(self, radians)))
        pyu::raise_exception("Radians is not in domain");
    return point_on_radius(self, dbl(radians));
}

nb::object midpoint(nb::handle self) {
    nb::object radians = is_arc(self) ? sweep(self) : self.attr("radians");
    nb::object middle = num_add(get_attr(self, key::start_radians), num_div(radians, int_obj(2)));
    if (is_arc(self))
        return point_at_radians(self, middle);
    return self.attr("point_at_radians")(middle);
}

nb::object point_at_parameter(nb::handle self, nb::handle parameter) {
    nb::object radians = num_mul(is_arc(self) ? sweep(self) : self.attr("radians"), parameter);
    nb::object theta = num_add(get_attr(self, key::start_radians), radians);
    return point_on_radius(self, dbl(theta));
}

nb::object perpendicular(nb::handle self, nb::handle point) {
    nb::object on = is_arc(self) ? is_point_on_arc(self, point) : self.attr("is_point_on_arc")(point);
    if (!truthy(on))
        pyu::raise_exception("Given point is not on circle!");
    Vec2 c = xy(get_attr(self, key::center)), p = xy(point);
    // Clockwise arcs point to the centre, counter-clockwise ones away from it:
    // the normal is on the right of the direction of travel.
    bool clockwise = num_eq(get_attr(self, key::wise), int_obj(0));
    return new_vector(unit_or_self(clockwise ? c - p : p - c));
}

nb::object tangent(nb::handle self, nb::handle point) {
    nb::object normal = is_arc(self) ? perpendicular(self, point) : self.attr("perpendicular")(point);
    if (pyu::is_vector(normal)) {
        Vec2 t = geom::rotated(xy(normal), np_cos_sin(geom::pi * 0.5));
        return pyu::make_vector(t.x, t.y);
    }
    return normal.attr("rotate")(flt(geom::pi * 0.5));
}

nb::object bound(nb::handle self) {
    Vec2 s = xy(get_attr(self, key::start_point)), e = xy(get_attr(self, key::end_point));
    double r = dbl(get_attr(self, key::radius));
    Vec2 c = xy(get_attr(self, key::center));
    double start = dbl(get_attr(self, key::start_radians)), end = dbl(get_attr(self, key::end_radians));
    // The arc covers the angles between its two end angles, whatever its
    // direction.
    double lower = end < start ? end : start, upper = end < start ? start : end;
    geom::Bound b = geom::arc_bound(s, e, c, r, lower, upper);
    if (!b.valid)
        pyu::raise(PyExc_ValueError, "cannot convert float NaN to integer");
    return nb::make_tuple(b.min_x, b.min_y, b.max_x, b.max_y);
}

// ------------------------------------------------- figure, sampling

void plot_arc(nb::handle arc, nb::handle show) {
    nb::object patch_class = nb::module_::import_("matplotlib.patches").attr("Arc");
    nb::object box[4];  // min_x, min_y, max_x, max_y
    unpack(arc.attr("bound")(), box, 4);
    nb::object width = num_sub(box[2], box[0]), height = num_sub(box[3], box[1]);
    nb::handle plt = mod_plt.get();
    nb::object fig_ax = plt.attr("subplots")("figsize"_a = nb::make_tuple(width, height));
    nb::object ax = fig_ax[1];
    nb::handle math = mod_math.get();
    nb::object start = arc.attr("start_radians"), end = arc.attr("end_radians");
    pyu::py_print(math.attr("degrees")(start));
    nb::object sweep = arc.attr("radians");
    pyu::py_print(math.attr("degrees")(sweep));
    // matplotlib draws counter-clockwise from theta1 to theta2: from the lower
    // angle to the upper one covers the arc in either direction.
    bool reversed = num_lt(end, start);
    nb::object theta1 = math.attr("degrees")(reversed ? end : start);
    nb::object theta2 = math.attr("degrees")(reversed ? start : end);
    nb::object center = arc.attr("center");
    nb::object diameter = arc.attr("diameter");
    nb::object cx = center.attr("x"), cy = center.attr("y");  // read before the tuple: may raise
    nb::object patch = patch_class("xy"_a = nb::make_tuple(cx, cy), "width"_a = diameter,
                                   "height"_a = diameter, "angle"_a = 0.0, "theta1"_a = theta1, "theta2"_a = theta2);
    ax.attr("add_patch")(patch);
    plt.attr("axis")("auto");
    if (truthy(show))
        plt.attr("show")();
}

// Holds the cyclic garbage collector off for a scope (as it found it).
struct PauseCollector {
#if PY_VERSION_HEX >= 0x030A0000
    int was_enabled = PyGC_Disable();
    ~PauseCollector() {
        if (was_enabled)
            PyGC_Enable();
    }
#endif
};

nb::object arc_to_polyline(nb::handle arc, nb::handle number, nb::handle length) {
    nb::object count;
    if (!number.is_none()) {
        count = nb::borrow(number);
    } else {
        if (length.is_none())
            pyu::raise_exception("No number and no length given!");
        nb::object ratio = num_div(length, arc.attr("length"));
        count = pyu::builtins().attr("round")(ratio);
    }
    if (num_lt(count, int_obj(2)))
        count = int_obj(2);
    count = num_add(count, int_obj(1));
    // range() takes integers only: a float count raises TypeError here.
    PyObject *index = PyNumber_Index(count.ptr());
    if (!index)
        pyu::raise_current();
    Py_ssize_t n = PyLong_AsSsize_t(index);
    Py_DECREF(index);
    if (n == -1 && PyErr_Occurred())
        pyu::raise_current();

    nb::list points;
    if (n < 2)
        return points;
    if (is_arc(arc)) {
        nb::object center = get_attr(arc, key::center);
        nb::object start = get_attr(arc, key::start_radians), radians = sweep(arc);
        bool plain = pyu::is_point(center) && PyFloat_CheckExact(radians.ptr()) &&
                     (PyFloat_CheckExact(start.ptr()) || PyLong_CheckExact(start.ptr()));
        if (plain) {
            double r = pyu::py_float(get_attr(arc, key::radius));
            size_t count = (size_t) n - 1;
            std::vector<double> angles(count), cos(count), sin(count);
            geom::sample_angles(dbl(start), PyFloat_AS_DOUBLE(radians.ptr()), (size_t) n, angles);
            np_cos_sin(angles, cos, sin);
            std::vector<Vec2> samples(count);
            geom::place_on_circle(xy(center), r, cos, sin, samples);
            nb::list out = nb::steal<nb::list>(PyList_New((Py_ssize_t) samples.size()));
            {
                // The new points cannot form cycles: no collection is needed
                // while they are made.
                PauseCollector pause;
                for (size_t i = 0; i < samples.size(); ++i)
                    PyList_SET_ITEM(out.ptr(), (Py_ssize_t) i, pyu::make_point(samples[i].x, samples[i].y).release().ptr());
            }
            return out;
        }
    }
    nb::object step = arc.attr("point_at_parameter");
    nb::object total = pyu::int_obj((long) n);
    for (Py_ssize_t i = 1; i < n; ++i)
        points.append(step(num_div(pyu::int_obj((long) i), total)));
    return points;
}

}  // namespace

// ----------------------------------------------------------- binding

void bind_arc(nb::module_ &m) {
#define BOWLET_ARC_FIELDS                                                                                            \
    &ArcData::center, &ArcData::radius, &ArcData::circle, &ArcData::start_radians, &ArcData::end_radians,            \
        &ArcData::wise, &ArcData::start_point, &ArcData::end_point
    static PyType_Slot slots[] = {{Py_tp_traverse, (void *) pyu::traverse_fields<ArcData, BOWLET_ARC_FIELDS>},
                                  {Py_tp_clear, (void *) pyu::clear_fields<ArcData, false, BOWLET_ARC_FIELDS>},
                                  {0, nullptr}};
#undef BOWLET_ARC_FIELDS
    nb::class_<ArcData> cls(m, "Arc", nb::dynamic_attr(), nb::type_slots(slots));
    arc_type = (PyTypeObject *) cls.ptr();
    auto self = "self"_a.none();
    auto opt = [](const char *name) { return nb::arg(name).none() = nb::none(); };
    // In definition order.  One-parameter members take their receiver
    // positionally; the others name it `self`.
    cls.def("__init__", entry<&init>, opt("center"), opt("radius"), opt("radians"), opt("start_radians"), opt("start_point"),
            opt("end_point"), opt("arc_point"), opt("start_direction"))
        .def("__repr__", entry<&text>);
    def_method(cls, "__eq__", entry<&equals>, self, "other"_a.none());
    cls.def("__hash__", entry<&hash>)
        .def("__iter__", entry<&iterate>)
        .def_prop_ro("radians", entry<&sweep>)
        .def_prop_ro("length", entry<&length>)
        .def_prop_ro("parameter_domain", entry<&parameter_domain>)
        .def_prop_ro("circumference", entry<&circumference>)
        .def_prop_ro("diameter", entry<&diameter>)
        .def_prop_ro("is_circle", entry<&closes_circle>)
        .def_prop_ro("midpoint", entry<&midpoint>)
        .def_prop_ro("get_sector_area", entry<&sector_area>);
    def_method(cls, "set_center", entry<&set_center>, self, "x"_a.none(), "y"_a.none());
    def_method(cls, "set_radius", entry<&set_radius>, self, "r"_a.none());
    def_method(cls, "rotate", entry<&rotate>, self, "axis_center"_a.none(), "radians"_a.none());
    def_method(cls, "move", entry<&move>, self, "vector"_a.none());
    def_method(cls, "scale", entry<&scale>, self, "factor"_a.none());
    def_method(cls, "offset", entry<&offset>, self, "distance"_a.none());
    cls.def("bound", entry<&bound>);
    def_method(cls, "is_radians_in_domain", entry<&is_radians_in_domain>, self, "radians"_a.none());
    def_method(cls, "is_point_on_arc", entry<&is_point_on_arc>, self, opt("point"));
    def_method(cls, "point_at_radians", entry<&point_at_radians>, self, opt("radians"));
    def_method(cls, "point_at_parameter", entry<&point_at_parameter>, self, opt("parameter"));
    def_method(cls, "perpendicular", entry<&perpendicular>, self, opt("point"));
    def_method(cls, "tangent", entry<&tangent>, self, opt("point"));
    cls.def_static("plot_arc", entry<&plot_arc>, "arc"_a.none(), "show"_a.none() = false)
        .def_static("arc_to_polyline", entry<&arc_to_polyline>, opt("arc"), opt("number"), opt("length"));
    {
        nb::object probe = nb::inst_alloc(cls);
        arc_offset = (char *) nb::inst_ptr<ArcData>(probe) - (char *) probe.ptr();
    }
    def_stored(cls, "Arc", "center", &ArcData::center);
    def_stored(cls, "Arc", "radius", &ArcData::radius);
    def_stored(cls, "Arc", "circle", &ArcData::circle);
    def_stored(cls, "Arc", "start_radians", &ArcData::start_radians);
    def_stored(cls, "Arc", "end_radians", &ArcData::end_radians);
    def_stored(cls, "Arc", "wise", &ArcData::wise);
    def_stored(cls, "Arc", "start_point", &ArcData::start_point);
    def_stored(cls, "Arc", "end_point", &ArcData::end_point);
}

}  // namespace bowlet
