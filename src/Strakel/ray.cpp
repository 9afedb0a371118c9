// Strakel.Ray: the half-line from `origin` along `direction`.  Both are the
// caller's objects, kept as given; the unit direction is taken once, at
// construction, and is not updated when `direction` changes later.  Rays
// have no equality, hash or text form of their own.
#include "Strakel/strakel.hpp"

#include <optional>

using namespace nb::literals;

namespace strakel {

namespace {

const pyu::Key key_to_line("to_line"), key_cross_line("intersection_with_line"),
    key_in_bound("is_point_in_bound"), key_plot("plot"), key_show("show");

// The origin and direction objects of a ray, owned, origin first.
struct RayObjects {
    nb::object origin, direction;
};

RayObjects ray_objects(nb::handle ray) {
    if (is_ray(ray))
        return {pyu::stored_value(ray, &RayData::origin, "origin"),
                pyu::stored_value(ray, &RayData::direction, "direction")};
    nb::object origin = pyu::get_attr(ray, key_origin);
    return {origin, pyu::get_attr(ray, key_direction)};
}

nb::object origin_of(nb::handle ray) {
    return is_ray(ray) ? pyu::stored_value(ray, &RayData::origin, "origin") : pyu::get_attr(ray, key_origin);
}

struct Frame {
    Vec2 origin, direction;
};

Frame frame(nb::handle ray) {
    if (is_ray(ray)) {
        // Our own Point and Vector are read through their fields, which runs
        // no Python code: nothing needs holding.
        const RayData &f = ray_fields(ray);
        if (f.origin.is_valid() && f.direction.is_valid() && pyu::is_flat(f.origin) && pyu::is_flat(f.direction)) {
            const flat::Point &o = pyu::flat_fields(f.origin), &d = pyu::flat_fields(f.direction);
            return {{o.x, o.y}, {d.x, d.y}};
        }
    }
    RayObjects r = ray_objects(ray);
    Vec2 o = pyu::read_xy(r.origin);
    return {o, pyu::read_xy(r.direction)};
}

// `direction.unit_vector`: our own Vector answers as its class does (the
// object itself when it is no longer than Flatkin's epsilon, else a new
// Vector through Flatkin's name), anything else is asked.
nb::object unit_vector_of(nb::handle direction) {
    if (!pyu::is_vector(direction))
        return pyu::get_attr(direction, key_unit_vector);
    Vec2 v = pyu::read_xy(direction);
    double m = py_magnitude(v);
    if (std::fabs(m) <= flat_eps())
        return nb::borrow(direction);
    return pyu::new_vector(names::flatkin_vector, {v.x / m, v.y / m});
}

void init(nb::handle self, nb::handle origin, nb::handle direction) {
    pyu::check_receiver(self, (PyObject *) ray_type, "Ray");
    if (nb::inst_ready(self)) {
        RayData &f = ray_fields(self);
        f.origin = nb::borrow(origin);
        f.direction = nb::borrow(direction);
    } else {
        pyu::construct(self, RayData{nb::borrow(origin), nb::borrow(direction), nb::none()});
    }
    // origin and direction are in place even when this fails.
    nb::object unit = unit_vector_of(direction);
    ray_fields(self).unit_vector = std::move(unit);
}

// -------------------------------------------------------- points

// Along the raw direction: t = 1 is one full direction length away.
nb::object point_at_parameter(nb::handle self, nb::handle t) {
    double k = pyu::as_double(t);
    Frame f = frame(self);
    return new_point({f.origin.x + k * f.direction.x, f.origin.y + k * f.direction.y});
}

// Along the unit vector stored at construction.
nb::object point_at_length(nb::handle self, nb::handle length_arg) {
    double length = pyu::as_double(length_arg);
    if (length < 0)
        pyu::raise(PyExc_ValueError, "Length is out of range.");
    nb::object origin = origin_of(self);
    nb::object unit = is_ray(self) ? pyu::stored_value(self, &RayData::unit_vector, "unit_vector")
                                   : pyu::get_attr(self, key_unit_vector);
    Vec2 o = pyu::read_xy(origin), u = pyu::read_xy(unit);
    return new_point({o.x + length * u.x, o.y + length * u.y});
}

// Dot product of (point - origin) with the raw direction.
double parameter_at_point(nb::handle self, nb::handle point) {
    Frame f = frame(self);
    return geom::dot(pyu::read_xy(point) - f.origin, f.direction);
}

// ------------------------------------------------------------ bound

geom::RayBound checked_bound(const Frame &f) {
    geom::RayBound b = geom::ray_bound(f.origin, f.direction);
    if (!b.valid)
        pyu::raise_exception("Invalid ray");
    return b;
}

nb::object bound(nb::handle self) {
    geom::RayBound b = checked_bound(frame(self));
    return nb::make_tuple(b.min_x, b.min_y, b.max_x, b.max_y);
}

// Inclusive, widened by epsilon; y is read only when x passes.
bool is_point_in_bound(nb::handle self, nb::handle point) {
    geom::RayBound b = checked_bound(frame(self));
    double e = eps();
    double x = pyu::get_x(point);
    if (!(b.min_x - e <= x && x <= b.max_x + e))
        return false;
    double y = pyu::get_y(point);
    return b.min_y - e <= y && y <= b.max_y + e;
}

// The ray's supporting line: from the origin object to origin + direction.
nb::object to_line(nb::handle self) {
    nb::object origin = origin_of(self);
    Frame f = frame(self);
    nb::object end = new_point(f.origin + f.direction);
    return new_line(origin, end);
}

// ----------------------------------------------------- crossings

// The crossing of another object's line (first pair) with this ray's line
// (second pair), kept when both bound tests pass; both tests always run.
//
// Our own objects are met about the ray's origin: the other's points less
// the origin, the ray's line from 0 along its direction (not through the
// rounded far-out point origin + direction), the crossing and both bound
// tests there, and the origin added back to the point kept.
nb::object keep_if_inside(bool in_self, bool in_other, Vec2 local, Vec2 origin) {
    return in_self && in_other ? new_point(local + origin) : nb::none();
}

// The ray itself in its own frame: from 0 along its direction.
Frame about_origin(const Frame &f) { return {{}, f.direction}; }

nb::object intersection_with_ray(nb::handle self, nb::handle other) {
    if (is_ray(other)) {
        Frame o = frame(other), s = frame(self);
        Frame lo{o.origin - s.origin, o.direction}, ls = about_origin(s);
        std::optional<Vec2> p =
            geom::line_intersection(lo.origin, lo.origin + lo.direction, ls.origin, ls.direction, flat_eps());
        if (!p)
            return nb::none();
        double e = eps();
        bool in_self = geom::in_ray_bound(checked_bound(ls), *p, e);
        bool in_other = geom::in_ray_bound(checked_bound(lo), *p, e);
        return keep_if_inside(in_self, in_other, *p, s.origin);
    }
    nb::object other_line = pyu::call_method(other, key_to_line);
    nb::object cross_line = pyu::get_attr(other_line, key_cross_line);
    nb::object own_line = to_line(self);
    nb::object point = pyu::call(cross_line, own_line);
    if (point.is_none())
        return point;
    bool in_self = is_point_in_bound(self, point);
    bool in_other = pyu::truthy(pyu::call_method(other, key_in_bound, point));
    return in_self && in_other ? point : nb::none();
}

// ------------------------------------------------------------- plot

// Draws origin .. origin + length * direction on the current axes.
void plot(nb::handle self, nb::handle length_arg, nb::handle color, nb::handle show) {
    double length = pyu::as_double(length_arg);
    if (!color.is_none() && !PyUnicode_CheckExact(color.ptr()))
        pyu::raise_format(PyExc_TypeError, "Argument 'color' has incorrect type (expected str, got %s)",
                          Py_TYPE(color.ptr())->tp_name);
    Frame f = frame(self);
    nb::object pyplot = names::plt.get();
    nb::list xs, ys;
    xs.append(f.origin.x);
    xs.append(f.origin.x + length * f.direction.x);
    ys.append(f.origin.y);
    ys.append(f.origin.y + length * f.direction.y);
    nb::object plot_fn = pyu::get_attr(pyplot, key_plot);
    plot_fn(xs, ys, "color"_a = color);
    if (pyu::truthy(show))
        pyu::call_method(pyplot, key_show);
}

}  // namespace

// A segment of exactly our class is read through its end points: its own
// line and bound test are known.  Any other object is asked.
nb::object ray_cross_segment(nb::handle self, nb::handle other) {
    if (is_segment(other)) {
        Ends seg = ends_of(other);
        Frame s = frame(self);
        Vec2 a = seg.start - s.origin, b = seg.end - s.origin;
        std::optional<Vec2> p = geom::line_intersection(a, b, {}, s.direction, flat_eps());
        if (!p)
            return nb::none();
        double e = eps();
        bool in_self = geom::in_ray_bound(checked_bound(about_origin(s)), *p, e);
        bool in_other = geom::in_box(geom::segment_bound(a, b), *p, e);
        return keep_if_inside(in_self, in_other, *p, s.origin);
    }
    return intersection_with_ray(self, other);  // the same steps for any other object
}

nb::object ray_cross_line(nb::handle self, nb::handle other) {
    if (is_line(other)) {
        Ends l = ends_of(other);
        Frame s = frame(self);
        std::optional<Vec2> p =
            geom::line_intersection(l.start - s.origin, l.end - s.origin, {}, s.direction, flat_eps());
        if (!p)
            return nb::none();
        return geom::in_ray_bound(checked_bound(about_origin(s)), *p, eps()) ? new_point(*p + s.origin) : nb::none();
    }
    nb::object cross_line = pyu::get_attr(other, key_cross_line);
    nb::object own_line = to_line(self);
    nb::object point = pyu::call(cross_line, own_line);
    if (point.is_none())
        return point;
    return is_point_in_bound(self, point) ? point : nb::none();
}

void bind_ray(nb::module_ &m) {
    pyu::Class<RayData> cls(m, "Ray", DOC(Ray),
                            {{"origin", &RayData::origin},
                             {"direction", &RayData::direction},
                             {"unit_vector", &RayData::unit_vector}});
    ray_type = cls.type();
    cls.init(&init, DOC(Ray, __init__), "origin"_a, "direction"_a)
        .method("point_at_parameter", &point_at_parameter, DOC(Ray, point_at_parameter), "t"_a)
        .method("point_at_length", &point_at_length, DOC(Ray, point_at_length), "length"_a)
        .property("bound", &bound, DOC(Ray, bound))
        .method("is_point_in_bound", &is_point_in_bound, DOC(Ray, is_point_in_bound), "point"_a)
        .method("parameter_at_point", &parameter_at_point, DOC(Ray, parameter_at_point), "point"_a)
        .method("intersection_with_ray", &intersection_with_ray, DOC(Ray, intersection_with_ray), "other"_a)
        .method("intersection_with_segment", &ray_cross_segment, DOC(Ray, intersection_with_segment), "other"_a)
        .method("intersection_with_line", &ray_cross_line, DOC(Ray, intersection_with_line), "other"_a)
        .method("to_line", &to_line, DOC(Ray, to_line))
        .method("plot", &plot, DOC(Ray, plot), "length"_a = 10.0, "color"_a = "r", "show"_a = true);
}

}  // namespace strakel
