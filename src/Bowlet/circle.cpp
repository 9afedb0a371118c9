// Bowlet.Circle: a centre point and a radius.  The centre is the caller's
// Point object and the radius the caller's number, both stored as given, so
// an int radius keeps integer arithmetic (diameter, scale, offset).
//
// Every method takes its receiver as a plain handle and reads `center` and
// `radius` as attributes at the call, so any object that has them will do.
// A rule that calls another method of the circle calls it directly on an
// exact Circle and by attribute on anything else, so a subclass that
// overrides one of them is heard.
#include "Bowlet/bowlet.hpp"

#include <cmath>
#include <string>
#include <utility>

using namespace nb::literals;
using geom::Vec2;

namespace bowlet {

PyTypeObject *circle_type = nullptr;

namespace {

// ------------------------------------------------------------ fields

nb::object center_of(nb::handle self) { return get_attr(self, key::center); }
nb::object radius_of(nb::handle self) { return get_attr(self, key::radius); }
void store_center(nb::handle self, nb::handle value) { set_attr(self, key::center, value); }
void store_radius(nb::handle self, nb::handle value) { set_attr(self, key::radius, value); }

[[noreturn]] void not_on_circle() { pyu::raise_exception("Given point is not on the circle!"); }

// ------------------------------------------------------ construction

std::pair<nb::object, double> fit_three(nb::handle a, nb::handle b, nb::handle c) {
    Vec2 pa = xy(a), pb = xy(b), pc = xy(c);
    geom::CircleFit fit = geom::circle_through(pa, pb, pc, flat_eps());
    if (fit.status == geom::CircleFit::collinear)
        pyu::raise_exception("Three points collinear!");
    if (fit.status == geom::CircleFit::parallel_bisectors)
        pyu::raise_zero_division();
    return {new_point(fit.center), fit.radius};
}

nb::object find_circle(nb::handle a, nb::handle b, nb::handle c) {
    auto [center, radius] = fit_three(a, b, c);
    return nb::make_tuple(center, pyu::float_obj(radius));
}

// The two forms: a Point and a number (int or float, subclasses included:
// bool and numpy floats pass, numpy ints do not), or three Points.  Nothing
// is stored when the inputs fit neither.
// The three-point form asks `self.find_circle` on a subclass instance.
std::pair<nb::object, nb::object> circle_fields(nb::handle a, nb::handle b, nb::handle c,
                                                nb::handle self = nb::handle()) {
    if (is_point_instance(a) && (PyLong_Check(b.ptr()) || PyFloat_Check(b.ptr())))
        return {nb::borrow(a), nb::borrow(b)};
    if (is_point_instance(a) && is_point_instance(b) && is_point_instance(c)) {
        if (self.is_valid() && Py_TYPE(self.ptr()) != circle_type) {
            nb::object pair[2];
            unpack(self.attr("find_circle")(a, b, c), pair, 2);
            return {pair[0], pair[1]};
        }
        auto [center, radius] = fit_three(a, b, c);
        return {center, pyu::float_obj(radius)};
    }
    pyu::raise_exception("Check three circle inputs!");
}

// Fills a new instance, or refills one whose __init__ is called again.
void store(nb::handle self, std::pair<nb::object, nb::object> fields) {
    CircleData *d = nb::inst_ptr<CircleData>(self);
    if (nb::inst_ready(self)) {
        d->center = std::move(fields.first);
        d->radius = std::move(fields.second);
        return;
    }
    new (d) CircleData{std::move(fields.first), std::move(fields.second)};
    nb::inst_mark_ready(self);
}

void init(nb::handle self, nb::handle a, nb::handle b, nb::handle c) {
    if (!PyObject_TypeCheck(self.ptr(), circle_type))
        pyu::raise(PyExc_TypeError, "descriptor '__init__' requires a 'Circle' object");
    store(self, circle_fields(a, b, c, self));
}

nb::object new_circle(std::pair<nb::object, nb::object> fields) {
    nb::object o = nb::inst_alloc(nb::handle((PyObject *) circle_type));
    store(o, std::move(fields));
    return o;
}

// --------------------------------------------------------- identity

std::string text(nb::handle self) {
    nb::object radius = radius_of(self);
    std::string r;
    if (PyFloat_CheckExact(radius.ptr()))
        r = pyu::float_repr(pyu::py_round(PyFloat_AS_DOUBLE(radius.ptr()), 2));
    else
        r = pyu::format_obj(pyu::builtins().attr("round")(radius, 2));
    return "Circle (R:" + r + "," + pyu::format_obj(center_of(self)) + ")";
}

// Radii within 0.01 (math.isclose), then the centres by Point equality.
bool equals(nb::handle self, nb::handle other) {
    double r1 = dbl(radius_of(self)), r2 = dbl(radius_of(other));
    if (!geom::is_close(r1, r2, 1e-9, 0.01))
        return false;
    return points_equal(center_of(self), center_of(other));
}

Py_hash_t hash(nb::handle self) {
    nb::object pair = nb::make_tuple(center_of(self), radius_of(self));
    Py_hash_t h = PyObject_Hash(pair.ptr());
    if (h == -1)
        pyu::raise_current();
    return h;
}

// Lazy: the centre and then the radius, each read when the iteration
// reaches it.
nb::object iterate(nb::handle self) {
    nb::handle b = pyu::builtins();
    return b.attr("map")(b.attr("getattr"), nb::make_tuple(self, self), nb::make_tuple("center", "radius"));
}

// ---------------------------------------------------------- measures

nb::object area(nb::handle self) {
    return num_mul(pyu::float_obj(geom::pi), num_pow(radius_of(self), int_obj(2)));
}
nb::object circumference(nb::handle self) {
    return num_mul(pyu::float_obj(2 * geom::pi), radius_of(self));
}
nb::object diameter(nb::handle self) { return num_mul(int_obj(2), radius_of(self)); }

void set_center(nb::handle self, nb::handle x, nb::handle y) {
    double fx = dbl(x), fy = dbl(y);
    store_center(self, new_point({fx, fy}));
}
void set_radius(nb::handle self, nb::handle r) { store_radius(self, nb::borrow(r)); }

nb::object get_arc_length(nb::handle self, nb::handle radians) { return num_mul(radians, radius_of(self)); }
nb::object get_sector_area(nb::handle self, nb::handle radians) {
    return num_mul(num_div(radians, int_obj(2)), num_pow(radius_of(self), int_obj(2)));
}
nb::object get_chord_length(nb::handle self, nb::handle radians) {
    nb::object half = num_div(radians, pyu::float_obj(2.0));
    return num_mul(num_mul(int_obj(2), radius_of(self)), pyu::float_obj(std::sin(dbl(half))));
}

double center_distance(nb::handle self, nb::handle other) {
    Vec2 a = xy(center_of(self)), b = xy(center_of(other));
    return std::sqrt(geom::py_square(a.x - b.x) + geom::py_square(a.y - b.y));
}
bool is_circle_intersect(nb::handle self, nb::handle other) {
    double d = center_distance(self, other);
    return num_le(pyu::float_obj(d), num_add(radius_of(self), radius_of(other)));
}
bool is_overlapping(nb::handle self, nb::handle other) {
    double d = center_distance(self, other);
    return num_lt(pyu::float_obj(d), num_add(radius_of(self), radius_of(other)));
}
bool is_line_intersect(nb::handle self, nb::handle line) {
    nb::object d = line.attr("distance_to_point")(center_of(self));
    return num_le(d, radius_of(self));
}

// 2 on the circle (within 0.001), 0 outside, 1 inside; None when the
// distance or the radius is NaN.
nb::object contains(nb::handle self, nb::handle point) {
    double dis = distance_between(center_of(self), point);
    double r = dbl(radius_of(self));
    if (geom::is_close(r, dis, 1e-9, 0.001))
        return int_obj(2);
    if (dis > r)
        return int_obj(0);
    if (dis < r)
        return int_obj(1);
    return nb::none();
}

void rotate(nb::handle self, nb::handle axis_center, nb::handle radians) {
    nb::object center = center_of(self);
    store_center(self, center.attr("rotate")("angle"_a = radians, "center"_a = axis_center));
}
void move(nb::handle self, nb::handle vector) {
    nb::object center = center_of(self);
    PyObject *moved = PyNumber_Add(center.ptr(), vector.ptr());
    if (!moved)
        pyu::raise_current();
    store_center(self, nb::steal(moved));
}
void scale(nb::handle self, nb::handle factor) { store_radius(self, num_mul(radius_of(self), factor)); }
void offset(nb::handle self, nb::handle distance) { store_radius(self, num_add(radius_of(self), distance)); }

nb::object bound(nb::handle self) {
    Vec2 c = xy(center_of(self));
    nb::object r = radius_of(self);
    nb::object cx = pyu::float_obj(c.x), cy = pyu::float_obj(c.y);
    return nb::make_tuple(num_sub(cx, r), num_sub(cy, r), num_add(cx, r), num_add(cy, r));
}

// --------------------------------------------- points, angles, normals

nb::object point_at_radians(nb::handle self, nb::handle radians) {
    nb::object center = center_of(self);
    double r = pyu::py_float(radius_of(self));
    double theta = dbl(radians);
    return point_plus(center, geom::radius_vector(r, np_cos_sin(theta)));
}

nb::object point_at_parameter(nb::handle self, nb::handle parameter) {
    nb::object radians = num_mul(pyu::float_obj(2 * geom::pi), parameter);
    if (is_circle(self))
        return point_at_radians(self, radians);
    return self.attr("point_at_radians")(radians);
}

nb::object closest_point(nb::handle self, nb::handle point) {
    Vec2 p = xy(point), c = xy(center_of(self));
    double d = std::sqrt(geom::py_square(p.x - c.x) + geom::py_square(p.y - c.y));
    if (d == 0)
        pyu::raise_exception("Given point is on center!");
    double r = dbl(radius_of(self));
    return new_point(geom::closest_on_circle(c, r, p, d));
}

// Within a relative 0.001 of the radius, no absolute tolerance.
bool is_point_on_circle(nb::handle self, nb::handle point) {
    double dis = distance_between(center_of(self), point);
    return geom::is_close(dis, dbl(radius_of(self)), 1e-3, 0.0);
}

bool on_circle(nb::handle self, nb::handle point) {
    if (is_circle(self))
        return is_point_on_circle(self, point);
    return truthy(self.attr("is_point_on_circle")(point));
}

nb::object evaluate_point_radians(nb::handle self, nb::handle point) {
    if (!on_circle(self, point))
        not_on_circle();
    double r = pyu::py_float(radius_of(self));
    Vec2 c = xy(center_of(self)), p = xy(point);
    return vector_angle(Vec2{r, 0.0}, p - c);
}

nb::object evaluate_point_parameter(nb::handle self, nb::handle point) {
    nb::object radians = is_circle(self) ? evaluate_point_radians(self, point)
                                         : self.attr("evaluate_point_radians")(point);
    return num_div(radians, pyu::float_obj(2 * geom::pi));
}

// The unit segment from the point along the counter-clockwise direction.
nb::object tangent(nb::handle self, nb::handle point) {
    if (!on_circle(self, point))
        not_on_circle();
    Vec2 p = xy(point), c = xy(center_of(self));
    Vec2 direction;
    if (p.x == c.x)  // straight above or below the centre
        direction = p.y > c.y ? Vec2{-1.0, 0.0} : Vec2{1.0, 0.0};
    else
        direction = unit_or_self(geom::circle_tangent_step(c, dbl(radius_of(self)), p));
    nb::handle segment = mod_segment.get();
    return segment(point, point_plus(point, direction));
}

nb::object perpendicular(nb::handle self, nb::handle point) {
    if (!on_circle(self, point))
        not_on_circle();
    Vec2 p = xy(point), c = xy(center_of(self));
    return new_vector(unit_or_self(p - c));
}

// ----------------------------------------------------- intersections

nb::object with_line_intersection(nb::handle self, nb::handle line) {
    nb::object start = get_attr(line, key::start);
    Vec2 s = xy(start);
    nb::object end = get_attr(line, key::end);
    Vec2 e = xy(end);
    Vec2 c = xy(center_of(self));
    geom::LineCrossings hits = geom::line_circle_crossings(s, e, c, dbl(radius_of(self)));
    if (hits.degenerate)
        pyu::raise_zero_division();
    if (hits.count == 0)
        return nb::none();
    if (hits.count == 1)
        return new_point(hits.p[0]);
    nb::handle cls = mod_point.get();
    return nb::make_tuple(new_point(cls, hits.p[0]), new_point(cls, hits.p[1]));
}

// The kept crossings in the result shape: None, the one point, or a list.
nb::object kept_shape(nb::list kept) {
    size_t n = nb::len(kept);
    if (n == 1)
        return kept[0];
    if (n == 2)
        return kept;
    return nb::none();
}

// Strakel's own Segment and Ray, on an exact Circle: the supporting line and
// the bound test are the segment's (start, end) and box or the ray's
// (origin, origin + direction) and half-open box, with Strakel's epsilon,
// computed here instead of through to_line and is_point_in_bound.
bool direct_bounded(nb::handle self, nb::handle obj, nb::object &result) {
    PyTypeObject *t = Py_TYPE(obj.ptr());
    bool segment = t == segment_type && segment_type, ray = t == ray_type && ray_type;
    if (!(segment || ray) || !is_circle(self))
        return false;
    Vec2 a, b;
    geom::RayBound box;
    if (segment) {
        a = xy(get_attr(obj, key::start));
        b = xy(get_attr(obj, key::end));
        geom::Box s = geom::segment_bound(a, b);
        box = {s.min_x, s.min_y, s.max_x, s.max_y, true};
    } else {
        Vec2 direction = xy(get_attr(obj, key::direction));
        a = xy(get_attr(obj, key::origin));
        b = a + direction;
        box = geom::ray_bound(a, direction);
    }
    Vec2 c = xy(center_of(self));
    geom::LineCrossings hits = geom::line_circle_crossings(a, b, c, dbl(radius_of(self)));
    if (hits.degenerate)
        pyu::raise_zero_division();
    if (hits.count == 0) {
        result = nb::none();
        return true;
    }
    if (!box.valid)
        pyu::raise_exception("Invalid ray");
    double e = strakel_epsilon.get_double();
    auto inside = [&](Vec2 p) { return geom::in_ray_bound(box, p, e); };
    if (hits.count == 1) {
        result = inside(hits.p[0]) ? new_point(hits.p[0]) : nb::none();
        return true;
    }
    nb::list kept;
    for (int i = 0; i < 2; ++i)
        if (inside(hits.p[i]))
            kept.append(new_point(hits.p[i]));
    result = kept_shape(kept);
    return true;
}

// The line crossings of a ray or segment, kept where the object's own bound
// test accepts them: None, the one point left, or a list of two.
nb::object bounded_intersection(nb::handle self, nb::handle obj) {
    nb::object direct;
    if (direct_bounded(self, obj, direct))
        return direct;
    nb::object line = obj.attr("to_line")();
    nb::object found = is_circle(self) ? with_line_intersection(self, line)
                                       : self.attr("with_line_intersection")(line);
    if (PyTuple_Check(found.ptr())) {
        nb::list kept;
        for (nb::handle point : nb::borrow<nb::tuple>(found))
            if (truthy(obj.attr("is_point_in_bound")(point)))
                kept.append(point);
        return kept_shape(kept);
    }
    if (is_point_instance(found))
        return truthy(obj.attr("is_point_in_bound")(found)) ? found : nb::none();
    return nb::none();
}

nb::object with_ray_intersection(nb::handle self, nb::handle ray) { return bounded_intersection(self, ray); }
nb::object with_segment_intersection(nb::handle self, nb::handle segment) {
    return bounded_intersection(self, segment);
}

nb::object circle_intersection(nb::handle circle_1, nb::handle circle_2) {
    Vec2 c1 = xy(center_of(circle_1));
    double r1 = dbl(radius_of(circle_1));
    Vec2 c2 = xy(center_of(circle_2));
    double r2 = dbl(radius_of(circle_2));
    geom::CircleCrossings hits = geom::circle_circle_crossings(c1, r1, c2, r2);
    if (hits.zero_distance)
        pyu::raise_zero_division();
    if (hits.count == 0)
        return nb::none();
    nb::handle cls = mod_point.get();
    return nb::make_tuple(new_point(cls, hits.p[0]), new_point(cls, hits.p[1]));
}

// ------------------------------------------------------------ figure

void plot_circle(nb::handle self, nb::handle show) {
    nb::object patch_class = nb::module_::import_("matplotlib.patches").attr("Circle");
    nb::object box[4];  // min_x, min_y, max_x, max_y
    unpack(is_circle(self) ? bound(self) : self.attr("bound")(), box, 4);
    nb::object width = num_sub(box[2], box[0]), height = num_sub(box[3], box[1]);
    nb::handle plt = mod_plt.get();
    nb::object fig_ax = plt.attr("subplots")("figsize"_a = nb::make_tuple(width, height));
    nb::object ax = fig_ax[1];
    nb::object center = center_of(self);
    nb::object cx = center.attr("x"), cy = center.attr("y");  // read before the tuple: may raise
    nb::object patch = patch_class(nb::make_tuple(cx, cy), radius_of(self));
    ax.attr("add_patch")(patch);
    plt.attr("axis")("auto");
    if (truthy(show))
        plt.attr("show")();
}

}  // namespace

// -------------------------------------------------- used by Arc

nb::object make_circle(nb::handle center, nb::handle radius) {
    nb::handle cls = mod_circle.get();
    if (cls.ptr() == (PyObject *) circle_type)
        return new_circle(circle_fields(center, radius, nb::none()));
    return cls(center, radius);
}

nb::object make_circle3(nb::handle a, nb::handle b, nb::handle c) {
    nb::handle cls = mod_circle.get();
    if (cls.ptr() == (PyObject *) circle_type)
        return new_circle(circle_fields(a, b, c));
    return cls(a, b, c);
}

nb::object circle_point_at_radians(nb::handle circle, nb::handle radians) {
    if (is_circle(circle))
        return point_at_radians(circle, radians);
    return circle.attr("point_at_radians")(radians);
}

nb::object circle_evaluate_point_radians(nb::handle circle, nb::handle point) {
    if (is_circle(circle))
        return evaluate_point_radians(circle, point);
    return circle.attr("evaluate_point_radians")(point);
}

// ----------------------------------------------------------- binding

void bind_circle(nb::module_ &m) {
    static PyType_Slot slots[] = {
        {Py_tp_traverse, (void *) pyu::traverse_fields<CircleData, &CircleData::center, &CircleData::radius>},
        {Py_tp_clear, (void *) pyu::clear_fields<CircleData, false, &CircleData::center, &CircleData::radius>},
        {0, nullptr}};
    nb::class_<CircleData> cls(m, "Circle", nb::dynamic_attr(), nb::type_slots(slots));
    circle_type = (PyTypeObject *) cls.ptr();
    auto self = "self"_a.none();
    auto opt = [](const char *name) { return nb::arg(name).none() = nb::none(); };
    // In definition order.  One-parameter members take their receiver
    // positionally; the others name it `self`.
    cls.def("__init__", entry<&init>, opt("input_a"), opt("input_b"), opt("input_c"))
        .def("__repr__", entry<&text>);
    def_method(cls, "__eq__", entry<&equals>, self, "other"_a.none());
    cls.def("__hash__", entry<&hash>)
        .def("__iter__", entry<&iterate>)
        .def_prop_ro("area", entry<&area>)
        .def_prop_ro("circumference", entry<&circumference>)
        .def_prop_ro("diameter", entry<&diameter>);
    def_method(cls, "set_center", entry<&set_center>, self, "x"_a.none(), "y"_a.none());
    def_method(cls, "set_radius", entry<&set_radius>, self, "r"_a.none());
    def_method(cls, "get_arc_length", entry<&get_arc_length>, self, "radians"_a.none());
    def_method(cls, "get_sector_area", entry<&get_sector_area>, self, "radians"_a.none());
    def_method(cls, "get_chord_length", entry<&get_chord_length>, self, "radians"_a.none());
    def_method(cls, "is_circle_intersect", entry<&is_circle_intersect>, self, "other_circle"_a.none());
    def_method(cls, "is_line_intersect", entry<&is_line_intersect>, self, "line"_a.none());
    def_method(cls, "is_overlapping", entry<&is_overlapping>, self, "other_circle"_a.none());
    def_method(cls, "contains", entry<&contains>, self, "point"_a.none());
    def_method(cls, "rotate", entry<&rotate>, self, "axis_center"_a.none(), "radians"_a.none());
    def_method(cls, "move", entry<&move>, self, "vector"_a.none());
    def_method(cls, "scale", entry<&scale>, self, "factor"_a.none());
    def_method(cls, "offset", entry<&offset>, self, "distance"_a.none());
    cls.def("bound", entry<&bound>);
    def_method(cls, "point_at_radians", entry<&point_at_radians>, self, opt("radians"));
    def_method(cls, "point_at_parameter", entry<&point_at_parameter>, self, opt("parameter"));
    def_method(cls, "closest_point", entry<&closest_point>, self, opt("point"));
    def_method(cls, "is_point_on_circle", entry<&is_point_on_circle>, self, opt("point"));
    def_method(cls, "evaluate_point_radians", entry<&evaluate_point_radians>, self, opt("point"));
    def_method(cls, "evaluate_point_parameter", entry<&evaluate_point_parameter>, self, opt("point"));
    def_method(cls, "tangent", entry<&tangent>, self, opt("point"));
    def_method(cls, "perpendicular", entry<&perpendicular>, self, opt("point"));
    def_method(cls, "with_line_intersection", entry<&with_line_intersection>, self, "line"_a.none());
    def_method(cls, "with_ray_intersection", entry<&with_ray_intersection>, self, "ray"_a.none());
    def_method(cls, "with_segment_intersection", entry<&with_segment_intersection>, self, "segment"_a.none());
    cls.def_static("circle_intersection", entry<&circle_intersection>, "circle_1"_a.none(), "circle_2"_a.none())
        .def_static("find_circle", entry<&find_circle>, "input_a"_a.none(), "input_b"_a.none(), "input_c"_a.none());
    def_method(cls, "plot_circle", entry<&plot_circle>, self, "show"_a.none() = false);
    {
        nb::object probe = nb::inst_alloc(cls);
        circle_offset = (char *) nb::inst_ptr<CircleData>(probe) - (char *) probe.ptr();
    }
    def_stored(cls, "Circle", "center", &CircleData::center);
    def_stored(cls, "Circle", "radius", &CircleData::radius);
}

}  // namespace bowlet
