// Bowlet.Circle: a centre point and a radius.  The centre is the caller's
// Point object and the radius the caller's number, both stored as given, so
// an int radius keeps integer arithmetic (diameter, scale, offset).
//
// Every member takes its receiver as a plain handle and reads `center` and
// `radius` when it runs, so any object that has them will do.  A rule that
// calls another member of the circle calls it directly on an exact Circle
// and by attribute on anything else, so a subclass that overrides one of
// them is heard.  A receiver or argument whose attributes lead back into a
// member ends in RecursionError (every member counts as a level of
// recursion; __init__ is bound guarded for the same reason).
#include "Bowlet/bowlet.hpp"

#include <string>
#include <utility>

using namespace nb::literals;

namespace bowlet {

PyTypeObject *circle_type = nullptr;

// --------------------------------------- Point and Vector steps (shared)

namespace {
const pyu::Key key_distance_to_point("distance_to_point"), key_angle("angle");

// Vector.angle's steps: the clamped cosine, numpy's arccos, and the turn
// taken counter-clockwise unless the cross product is negative.
nb::object plain_angle(Vec2 v1, Vec2 v2) {
    double m1 = magnitude_of(v1), m2 = magnitude_of(v2);
    double e = flat_eps();
    if (std::fabs(m1) <= e || std::fabs(m2) <= e)
        return nb::none();
    double c = pyu::divide(geom::dot(v1, v2), m1 * m2);
    if (1 < c)
        c = 1;
    if (-1 > c)
        c = -1;
    double a = pyu::np_arccos(c);
    if (geom::cross(v1, v2) >= 0)
        return pyu::float_obj(a);
    return pyu::float_obj(geom::pi * 2 - a);
}
}  // namespace

double distance_between(nb::handle point, nb::handle other) {
    if (pyu::is_point(point)) {
        Vec2 a = read_xy(point), b = read_xy(other);
        return pyu::py_distance(a.x - b.x, a.y - b.y);
    }
    return dbl(pyu::call_method(point, key_distance_to_point, other));
}

nb::object point_plus(nb::handle point, Vec2 v) {
    if (pyu::is_point(point) && names::vector.holds(pyu::vector_type)) {
        Vec2 p = read_xy(point);
        return pyu::new_point(names::flat_point, {p.x + v.x, p.y + v.y});
    }
    nb::object vector = new_vector(v);
    return pyu::num_add(point, vector);
}

nb::object vector_angle(nb::handle v1, Vec2 v2) {
    if (pyu::is_vector(v1) && names::vector.holds(pyu::vector_type))
        return plain_angle(read_xy(v1), v2);
    nb::object cls = names::vector.get();
    nb::object second = new_vector(v2);
    return pyu::call_method(cls, key_angle, v1, second);
}

nb::object vector_angle(Vec2 v1, Vec2 v2) {
    if (names::vector.holds(pyu::vector_type))
        return plain_angle(v1, v2);
    nb::object cls = names::vector.get();
    nb::object first = new_vector(v1), second = new_vector(v2);
    return pyu::call_method(cls, key_angle, first, second);
}

namespace {

const pyu::Key key_find_circle("find_circle"), key_point_at_radians("point_at_radians"),
    key_is_point_on_circle("is_point_on_circle"), key_evaluate_point_radians("evaluate_point_radians"),
    key_with_line_intersection("with_line_intersection"), key_to_line("to_line"),
    key_is_point_in_bound("is_point_in_bound"), key_start("start"), key_end("end"), key_origin("origin"),
    key_direction("direction"), key_getattr("getattr"), key_map("map"), key_patch_class("Circle");

// ------------------------------------------------------------ fields

nb::object center_of(nb::handle self) { return stored(self, &CircleData::center, key_center, circle_type); }
nb::object radius_of(nb::handle self) { return stored(self, &CircleData::radius, key_radius, circle_type); }
void store_center(nb::handle self, nb::handle value) {
    store(self, &CircleData::center, key_center, circle_type, value);
}
void store_radius(nb::handle self, nb::handle value) {
    store(self, &CircleData::radius, key_radius, circle_type, value);
}

[[noreturn]] void not_on_circle() { pyu::raise_exception("Given point is not on the circle!"); }

// ------------------------------------------------------ construction

std::pair<nb::object, double> fit_three(nb::handle a, nb::handle b, nb::handle c) {
    Vec2 pa = read_xy(a), pb = read_xy(b), pc = read_xy(c);
    geom::CircleFit fit = geom::circle_through(pa, pb, pc, flat_eps());
    if (fit.status == geom::CircleFit::collinear)
        pyu::raise_exception("Three points collinear!");
    if (fit.status == geom::CircleFit::parallel_bisectors)
        pyu::raise_zero_division();
    return {new_point(fit.center), fit.radius};
}

nb::object find_circle(nb::handle a, nb::handle b, nb::handle c) {
    auto [center, radius] = fit_three(a, b, c);
    nb::object r = pyu::float_obj(radius);
    return nb::make_tuple(center, r);
}

// The two forms: a Point and a number (int or float, subclasses included:
// bool and numpy floats pass, numpy ints do not), or three Points.  Nothing
// is stored when the inputs fit neither.  The three-point form asks
// `self.find_circle` on a subclass instance.
CircleData circle_fields(nb::handle a, nb::handle b, nb::handle c, nb::handle self = nb::handle()) {
    if (is_point_instance(a) && (PyLong_Check(b.ptr()) || PyFloat_Check(b.ptr())))
        return {nb::borrow(a), nb::borrow(b)};
    if (is_point_instance(a) && is_point_instance(b) && is_point_instance(c)) {
        if (self.is_valid() && !is_circle(self)) {
            nb::object pair[2];
            pyu::unpack(pyu::call_method(self, key_find_circle, a, b, c), pair, 2);
            return {std::move(pair[0]), std::move(pair[1])};
        }
        auto [center, radius] = fit_three(a, b, c);
        return {std::move(center), pyu::float_obj(radius)};
    }
    pyu::raise_exception("Check three circle inputs!");
}

void init(nb::handle self, nb::handle a, nb::handle b, nb::handle c) {
    pyu::check_receiver(self, (PyObject *) circle_type, "Circle");
    pyu::construct<CircleData>(self, circle_fields(a, b, c, self));
}

nb::object new_circle(CircleData fields) {
    nb::object o = nb::inst_alloc(nb::handle((PyObject *) circle_type));
    pyu::construct<CircleData>(o, std::move(fields));
    return o;
}

// --------------------------------------------------------- identity

// round(radius, 2) in its text form.
std::string rounded_text(nb::handle radius) {
    if (PyFloat_CheckExact(radius.ptr()))
        return pyu::float_repr(pyu::py_round(PyFloat_AS_DOUBLE(radius.ptr()), 2));
    nb::object two = pyu::int_obj(2);
    return pyu::format_obj(pyu::round_obj(radius, two));
}

std::string text(nb::handle self) {
    std::string r = rounded_text(radius_of(self));
    return "Circle (R:" + r + "," + pyu::format_obj(center_of(self)) + ")";
}

// Radii within 0.01 (math.isclose), then the centres by Point equality.
bool equals(nb::handle self, nb::handle other) {
    nb::object a = radius_of(self), b = radius_of(other);
    double r1 = dbl(a), r2 = dbl(b);
    if (!geom::is_close(r1, r2, 1e-9, 0.01))
        return false;
    nb::object c1 = center_of(self), c2 = center_of(other);
    return points_equal(c1, c2);
}

Py_hash_t hash(nb::handle self) {
    nb::object center = center_of(self), radius = radius_of(self);
    return pyu::hash_of(nb::make_tuple(center, radius));
}

// Lazy: the centre and then the radius, each read when the iteration
// reaches it.
nb::object iterate(nb::handle self) {
    nb::object builtins = pyu::import("builtins");
    nb::object map = pyu::get_attr(builtins, key_map), getattr = pyu::get_attr(builtins, key_getattr);
    nb::object receivers = nb::make_tuple(self, self), names = nb::make_tuple("center", "radius");
    return pyu::call(map, getattr, receivers, names);
}

// ---------------------------------------------------------- measures

nb::object area(nb::handle self) {
    nb::object square = pyu::num_pow(radius_of(self), pyu::int_obj(2));
    return pyu::num_mul(pyu::float_obj(geom::pi), square);
}
nb::object circumference(nb::handle self) { return pyu::num_mul(pyu::float_obj(2 * geom::pi), radius_of(self)); }
nb::object diameter(nb::handle self) { return pyu::num_mul(pyu::int_obj(2), radius_of(self)); }

void set_center(nb::handle self, nb::handle x, nb::handle y) {
    double fx = dbl(x), fy = dbl(y);
    store_center(self, new_point({fx, fy}));
}
void set_radius(nb::handle self, nb::handle r) { store_radius(self, r); }

nb::object get_arc_length(nb::handle self, nb::handle radians) { return pyu::num_mul(radians, radius_of(self)); }
nb::object get_sector_area(nb::handle self, nb::handle radians) {
    nb::object half = pyu::num_div(radians, pyu::int_obj(2));
    return pyu::num_mul(half, pyu::num_pow(radius_of(self), pyu::int_obj(2)));
}
nb::object get_chord_length(nb::handle self, nb::handle radians) {
    nb::object twice = pyu::num_mul(pyu::int_obj(2), radius_of(self));
    nb::object half = pyu::num_div(radians, pyu::float_obj(2.0));
    return pyu::num_mul(twice, pyu::float_obj(std::sin(dbl(half))));
}

double center_distance(nb::handle self, nb::handle other) {
    Vec2 a = read_xy(center_of(self)), b = read_xy(center_of(other));
    return std::sqrt(geom::py_square(a.x - b.x) + geom::py_square(a.y - b.y));
}
nb::object radius_sum(nb::handle self, nb::handle other) {
    nb::object r1 = radius_of(self), r2 = radius_of(other);
    return pyu::num_add(r1, r2);
}
bool is_circle_intersect(nb::handle self, nb::handle other) {
    double d = center_distance(self, other);
    return pyu::num_le(pyu::float_obj(d), radius_sum(self, other));
}
bool is_overlapping(nb::handle self, nb::handle other) {
    double d = center_distance(self, other);
    return pyu::num_lt(pyu::float_obj(d), radius_sum(self, other));
}
bool is_line_intersect(nb::handle self, nb::handle line) {
    nb::object d = pyu::call_method(line, key_distance_to_point, center_of(self));
    return pyu::num_le(d, radius_of(self));
}

// 2 on the circle (within 0.001), 0 outside, 1 inside; None when the
// distance or the radius is NaN.
nb::object contains(nb::handle self, nb::handle point) {
    double dis = distance_between(center_of(self), point);
    double r = dbl(radius_of(self));
    if (geom::is_close(r, dis, 1e-9, 0.001))
        return pyu::int_obj(2);
    if (dis > r)
        return pyu::int_obj(0);
    if (dis < r)
        return pyu::int_obj(1);
    return nb::none();
}

void rotate(nb::handle self, nb::handle axis_center, nb::handle radians) {
    nb::object rotate = pyu::get_attr(center_of(self), key_rotate);
    store_center(self, rotate("angle"_a = radians, "center"_a = axis_center));
}
void move(nb::handle self, nb::handle vector) { store_center(self, pyu::num_add(center_of(self), vector)); }
void scale(nb::handle self, nb::handle factor) { store_radius(self, pyu::num_mul(radius_of(self), factor)); }
void offset(nb::handle self, nb::handle distance) { store_radius(self, pyu::num_add(radius_of(self), distance)); }

nb::object bound(nb::handle self) {
    Vec2 c = read_xy(center_of(self));
    nb::object r = radius_of(self);
    nb::object cx = pyu::float_obj(c.x), cy = pyu::float_obj(c.y);
    nb::object min_x = pyu::num_sub(cx, r), min_y = pyu::num_sub(cy, r);
    nb::object max_x = pyu::num_add(cx, r), max_y = pyu::num_add(cy, r);
    return nb::make_tuple(min_x, min_y, max_x, max_y);
}

// --------------------------------------------- points, angles, normals

nb::object point_at_radians(nb::handle self, nb::handle radians) {
    nb::object center = center_of(self);
    double r = pyu::py_float(radius_of(self));
    double theta = dbl(radians);
    return point_plus(center, geom::radius_vector(r, np_cos_sin(theta)));
}

nb::object point_at_parameter(nb::handle self, nb::handle parameter) {
    nb::object radians = pyu::num_mul(pyu::float_obj(2 * geom::pi), parameter);
    if (is_circle(self))
        return point_at_radians(self, radians);
    return pyu::call_method(self, key_point_at_radians, radians);
}

nb::object closest_point(nb::handle self, nb::handle point) {
    Vec2 p = read_xy(point), c = read_xy(center_of(self));
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
    return pyu::truthy(pyu::call_method(self, key_is_point_on_circle, point));
}

nb::object evaluate_point_radians(nb::handle self, nb::handle point) {
    if (!on_circle(self, point))
        not_on_circle();
    double r = pyu::py_float(radius_of(self));
    Vec2 c = read_xy(center_of(self)), p = read_xy(point);
    return vector_angle(Vec2{r, 0.0}, p - c);
}

nb::object evaluate_point_parameter(nb::handle self, nb::handle point) {
    nb::object radians = is_circle(self) ? evaluate_point_radians(self, point)
                                         : pyu::call_method(self, key_evaluate_point_radians, point);
    return pyu::num_div(radians, pyu::float_obj(2 * geom::pi));
}

// The unit segment from the point along the counter-clockwise direction.
nb::object tangent(nb::handle self, nb::handle point) {
    if (!on_circle(self, point))
        not_on_circle();
    Vec2 p = read_xy(point), c = read_xy(center_of(self));
    Vec2 direction;
    if (p.x == c.x)  // straight above or below the centre
        direction = p.y > c.y ? Vec2{-1.0, 0.0} : Vec2{1.0, 0.0};
    else
        direction = unit_or_self(geom::circle_tangent_step(c, dbl(radius_of(self)), p));
    nb::object segment = names::segment.get();
    nb::object end = point_plus(point, direction);
    return pyu::call(segment, point, end);
}

nb::object perpendicular(nb::handle self, nb::handle point) {
    if (!on_circle(self, point))
        not_on_circle();
    Vec2 p = read_xy(point), c = read_xy(center_of(self));
    return new_vector(unit_or_self(p - c));
}

// ----------------------------------------------------- intersections

// The crossings are found about the centre: the line's points less the
// centre go into the quadratic, whose terms then keep their digits wherever
// the circle stands, and the centre is added back to the points found.
nb::object with_line_intersection(nb::handle self, nb::handle line) {
    Vec2 s = read_xy(pyu::get_attr(line, key_start));
    Vec2 e = read_xy(pyu::get_attr(line, key_end));
    Vec2 c = read_xy(center_of(self));
    geom::LineCrossings hits = geom::line_circle_crossings(s - c, e - c, {}, dbl(radius_of(self)));
    if (hits.degenerate)
        pyu::raise_zero_division();
    if (hits.count == 0)
        return nb::none();
    if (hits.count == 1)
        return new_point(hits.p[0] + c);
    NewPoints point;
    nb::object first = point(hits.p[0] + c), second = point(hits.p[1] + c);
    return nb::make_tuple(first, second);
}

// The kept crossings in the result shape: None, the one point, or a list.
nb::object kept_shape(nb::handle kept) {
    Py_ssize_t n = PyList_GET_SIZE(kept.ptr());
    if (n == 1)
        return pyu::get_item(kept, 0);
    if (n == 2)
        return nb::borrow(kept);
    return nb::none();
}

// Strakel's own Segment and Ray on an exact Circle: the supporting line and
// the bound test are the segment's (start, end) and box, or the ray's
// (origin, origin + direction) and half-open box, with Strakel's epsilon,
// computed here instead of through to_line and is_point_in_bound.  All of
// it is taken about the centre (the ray's line from its origin along its
// direction there), as with_line_intersection does, and the centre added
// back to the points kept.
bool direct_bounded(nb::handle self, nb::handle obj, nb::object &result) {
    PyTypeObject *t = Py_TYPE(obj.ptr());
    bool segment = segment_type && t == segment_type, ray = ray_type && t == ray_type;
    if (!(segment || ray) || !is_circle(self))
        return false;
    Vec2 a, b;
    geom::RayBound box;
    Vec2 c;
    if (segment) {
        Vec2 start = read_xy(pyu::get_attr(obj, key_start));
        Vec2 end = read_xy(pyu::get_attr(obj, key_end));
        c = read_xy(center_of(self));
        a = start - c;
        b = end - c;
        geom::Box s = geom::segment_bound(a, b);
        box = {s.min_x, s.min_y, s.max_x, s.max_y, true};
    } else {
        Vec2 direction = read_xy(pyu::get_attr(obj, key_direction));
        Vec2 origin = read_xy(pyu::get_attr(obj, key_origin));
        c = read_xy(center_of(self));
        a = origin - c;
        b = a + direction;
        box = geom::ray_bound(a, direction);
    }
    geom::LineCrossings hits = geom::line_circle_crossings(a, b, {}, dbl(radius_of(self)));
    if (hits.degenerate)
        pyu::raise_zero_division();
    if (hits.count == 0) {
        result = nb::none();
        return true;
    }
    if (!box.valid)
        pyu::raise_exception("Invalid ray");
    double e = names::strakel_epsilon.get_double();
    bool in0 = geom::in_ray_bound(box, hits.p[0], e);
    if (hits.count == 1) {
        result = in0 ? new_point(hits.p[0] + c) : nb::none();
        return true;
    }
    bool in1 = geom::in_ray_bound(box, hits.p[1], e);
    if (in0 && in1) {
        NewPoints point;
        nb::object first = point(hits.p[0] + c), second = point(hits.p[1] + c);
        result = nb::steal(PyList_New(2));
        if (!result.is_valid())
            pyu::raise_current();
        PyList_SET_ITEM(result.ptr(), 0, first.release().ptr());
        PyList_SET_ITEM(result.ptr(), 1, second.release().ptr());
    } else if (in0 || in1) {
        result = new_point(hits.p[in0 ? 0 : 1] + c);
    } else {
        result = nb::none();
    }
    return true;
}

// The line crossings of a ray or segment, kept where the object's own bound
// test accepts them: None, the one point left, or a list of two.
nb::object bounded_intersection(nb::handle self, nb::handle obj) {
    nb::object direct;
    if (direct_bounded(self, obj, direct))
        return direct;
    nb::object line = pyu::call_method(obj, key_to_line);
    nb::object found = is_circle(self) ? with_line_intersection(self, line)
                                       : pyu::call_method(self, key_with_line_intersection, line);
    if (PyTuple_Check(found.ptr())) {
        nb::list kept;
        pyu::for_each_iter(found, [&](nb::handle point) {
            if (pyu::truthy(pyu::call_method(obj, key_is_point_in_bound, point)))
                kept.append(point);
            return true;
        });
        return kept_shape(kept);
    }
    if (is_point_instance(found))
        return pyu::truthy(pyu::call_method(obj, key_is_point_in_bound, found)) ? found : nb::none();
    return nb::none();
}

nb::object with_ray_intersection(nb::handle self, nb::handle ray) { return bounded_intersection(self, ray); }
nb::object with_segment_intersection(nb::handle self, nb::handle segment) {
    return bounded_intersection(self, segment);
}

nb::object circle_intersection(nb::handle circle_1, nb::handle circle_2) {
    Vec2 c1 = read_xy(center_of(circle_1));
    double r1 = dbl(radius_of(circle_1));
    Vec2 c2 = read_xy(center_of(circle_2));
    double r2 = dbl(radius_of(circle_2));
    geom::CircleCrossings hits = geom::circle_circle_crossings(c1, r1, c2, r2);
    if (hits.zero_distance)
        pyu::raise_zero_division();
    if (hits.count == 0)
        return nb::none();
    NewPoints point;
    nb::object first = point(hits.p[0]), second = point(hits.p[1]);
    return nb::make_tuple(first, second);
}

// ------------------------------------------------------------ figure

void plot_circle(nb::handle self, nb::handle show) {
    nb::object patches = pyu::import("matplotlib.patches");
    nb::object patch_class = pyu::get_attr(patches, key_patch_class);
    nb::object box[4];  // min_x, min_y, max_x, max_y
    pyu::unpack(is_circle(self) ? bound(self) : pyu::call_method(self, key_bound), box, 4);
    nb::object width = pyu::num_sub(box[2], box[0]), height = pyu::num_sub(box[3], box[1]);
    nb::object plt = names::plt.get();
    nb::object fig_ax = pyu::get_attr(plt, key_subplots)("figsize"_a = nb::make_tuple(width, height));
    nb::object pair[2];
    pyu::unpack(fig_ax, pair, 2);
    nb::object center = center_of(self);
    nb::object cx = pyu::get_attr(center, key_x), cy = pyu::get_attr(center, key_y);
    nb::object patch = pyu::call(patch_class, nb::make_tuple(cx, cy), radius_of(self));
    pyu::call_method(pair[1], key_add_patch, patch);
    pyu::call_method(plt, key_axis, nb::str("auto"));
    if (pyu::truthy(show))
        pyu::call_method(plt, key_show);
}

}  // namespace

// -------------------------------------------------- used by Arc

nb::object make_circle(nb::handle center, nb::handle radius) {
    if (names::circle.holds(circle_type))
        return new_circle(circle_fields(center, radius, nb::none()));
    return pyu::call(names::circle.get(), center, radius);
}

nb::object make_circle3(nb::handle a, nb::handle b, nb::handle c) {
    if (names::circle.holds(circle_type))
        return new_circle(circle_fields(a, b, c));
    return pyu::call(names::circle.get(), a, b, c);
}

nb::object circle_point_at_radians(nb::handle circle, nb::handle radians) {
    if (is_circle(circle))
        return point_at_radians(circle, radians);
    return pyu::call_method(circle, key_point_at_radians, radians);
}

nb::object circle_evaluate_point_radians(nb::handle circle, nb::handle point) {
    if (is_circle(circle))
        return evaluate_point_radians(circle, point);
    return pyu::call_method(circle, key_evaluate_point_radians, point);
}

// ----------------------------------------------------------- binding

void bind_circle(nb::module_ &m) {
    using pyu::guarded;
    pyu::Class<CircleData> cls(m, "Circle", DOC(Circle),
                               {{"center", &CircleData::center}, {"radius", &CircleData::radius}});
    circle_type = cls.type();
    nb::object none = nb::none();
    cls.init(guarded<&init>, DOC(Circle, __init__), "input_a"_a = none, "input_b"_a = none, "input_c"_a = none)
        .method("__repr__", &text, DOC(Circle, __repr__))
        .method("__eq__", &equals, DOC(Circle, __eq__), "other"_a)
        .method("__hash__", &hash, DOC(Circle, __hash__))
        .method("__iter__", &iterate, DOC(Circle, __iter__))
        .property("area", &area, DOC(Circle, area))
        .property("circumference", &circumference, DOC(Circle, circumference))
        .property("diameter", &diameter, DOC(Circle, diameter))
        .method("set_center", &set_center, DOC(Circle, set_center), "x"_a, "y"_a)
        .method("set_radius", &set_radius, DOC(Circle, set_radius), "r"_a)
        .method("get_arc_length", &get_arc_length, DOC(Circle, get_arc_length), "radians"_a)
        .method("get_sector_area", &get_sector_area, DOC(Circle, get_sector_area), "radians"_a)
        .method("get_chord_length", &get_chord_length, DOC(Circle, get_chord_length), "radians"_a)
        .method("is_circle_intersect", &is_circle_intersect, DOC(Circle, is_circle_intersect),
                "other_circle"_a)
        .method("is_line_intersect", &is_line_intersect, DOC(Circle, is_line_intersect), "line"_a)
        .method("is_overlapping", &is_overlapping, DOC(Circle, is_overlapping), "other_circle"_a)
        .method("contains", &contains, DOC(Circle, contains), "point"_a)
        .method("rotate", &rotate, DOC(Circle, rotate), "axis_center"_a, "radians"_a)
        .method("move", &move, DOC(Circle, move), "vector"_a)
        .method("scale", &scale, DOC(Circle, scale), "factor"_a)
        .method("offset", &offset, DOC(Circle, offset), "distance"_a)
        .method("bound", &bound, DOC(Circle, bound))
        .method("point_at_radians", &point_at_radians, DOC(Circle, point_at_radians), "radians"_a = none)
        .method("point_at_parameter", &point_at_parameter, DOC(Circle, point_at_parameter),
                "parameter"_a = none)
        .method("closest_point", &closest_point, DOC(Circle, closest_point), "point"_a = none)
        .method("is_point_on_circle", &is_point_on_circle, DOC(Circle, is_point_on_circle), "point"_a = none)
        .method("evaluate_point_radians", &evaluate_point_radians, DOC(Circle, evaluate_point_radians),
                "point"_a = none)
        .method("evaluate_point_parameter", &evaluate_point_parameter,
                DOC(Circle, evaluate_point_parameter), "point"_a = none)
        .method("tangent", &tangent, DOC(Circle, tangent), "point"_a = none)
        .method("perpendicular", &perpendicular, DOC(Circle, perpendicular), "point"_a = none)
        .method("with_line_intersection", &with_line_intersection, DOC(Circle, with_line_intersection),
                "line"_a)
        .method("with_ray_intersection", &with_ray_intersection, DOC(Circle, with_ray_intersection), "ray"_a)
        .method("with_segment_intersection", &with_segment_intersection,
                DOC(Circle, with_segment_intersection), "segment"_a)
        .static_method("circle_intersection", &circle_intersection, DOC(Circle, circle_intersection),
                       "circle_1"_a, "circle_2"_a)
        .static_method("find_circle", &find_circle, DOC(Circle, find_circle), "input_a"_a, "input_b"_a,
                       "input_c"_a)
        .method("plot_circle", &plot_circle, DOC(Circle, plot_circle), "show"_a = false);
}

}  // namespace bowlet
