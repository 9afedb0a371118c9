// Strakel.Ray: the half-line from `origin` along `direction`.  Both are the
// caller's objects, kept as given; the unit direction is taken once, at
// construction, and is not updated when `direction` changes later.  Rays
// have no equality, hash or text form of their own.
#include "Strakel/line_ray.hpp"
#include "Strakel/segment.hpp"

#include <cmath>

using namespace nb::literals;
using geom::Vec2;

namespace strakel {

namespace {
PyTypeObject *ray_type = nullptr;
}  // namespace

bool is_ray(nb::handle h) { return ray_type && PyObject_TypeCheck(h.ptr(), ray_type) && nb::inst_ready(h); }
bool is_plain_ray(nb::handle h) { return ray_type && Py_TYPE(h.ptr()) == ray_type && nb::inst_ready(h); }

namespace {

nb::object origin_of(nb::handle ray) { return is_ray(ray) ? ray_fields(ray).origin : ray.attr("origin"); }

struct Frame {
    Vec2 origin, direction;
};

Frame frame(nb::handle ray) {
    if (is_ray(ray)) {
        const RayData &f = ray_fields(ray);
        Vec2 o = xy(f.origin);
        return {o, xy(f.direction)};
    }
    nb::object o = ray.attr("origin"), d = ray.attr("direction");
    Vec2 origin = xy(o);
    return {origin, xy(d)};
}

// `direction.unit_vector`: our own Vector computed here (the object itself
// when it is no longer than Flatkin's epsilon), anything else asked.
nb::object unit_vector_of(nb::handle direction) {
    if (!pyu::is_vector(direction))
        return direction.attr("unit_vector");
    Vec2 v = xy(direction);
    double m = py_magnitude(v);
    if (std::fabs(m) <= flat_eps())
        return nb::borrow(direction);
    return vector_obj({v.x / m, v.y / m});
}

void init(nb::handle self, nb::handle origin, nb::handle direction) {
    if (!PyObject_TypeCheck(self.ptr(), ray_type))
        pyu::raise(PyExc_TypeError, "descriptor '__init__' requires a 'Ray' object");
    if (nb::inst_ready(self)) {
        RayData &f = ray_fields(self);
        f.origin = nb::borrow(origin);
        f.direction = nb::borrow(direction);
    } else {
        new (nb::inst_ptr<RayData>(self)) RayData{nb::borrow(origin), nb::borrow(direction), nb::none()};
        nb::inst_mark_ready(self);
    }
    // origin and direction are in place even when this fails.
    nb::object unit = unit_vector_of(direction);
    ray_fields(self).unit_vector = unit;
}

// -------------------------------------------------------- points

// Along the raw direction: t = 1 is one full direction length away.
nb::object point_at_parameter(nb::handle self, double t) {
    Frame f = frame(self);
    return point_obj({f.origin.x + t * f.direction.x, f.origin.y + t * f.direction.y});
}

// Along the unit vector stored at construction.
nb::object point_at_length(nb::handle self, double length) {
    if (length < 0)
        pyu::raise(PyExc_ValueError, "Length is out of range.");
    nb::object origin = origin_of(self);
    nb::object unit = is_ray(self) ? ray_fields(self).unit_vector : self.attr("unit_vector");
    Vec2 o = xy(origin), u = xy(unit);
    return point_obj({o.x + length * u.x, o.y + length * u.y});
}

// Dot product of (point - origin) with the raw direction.
double parameter_at_point(nb::handle self, nb::handle point) {
    Frame f = frame(self);
    return geom::dot(xy(point) - f.origin, f.direction);
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

// The ray's supporting line: from origin to origin + direction.
nb::object to_line(nb::handle self) {
    nb::object origin = origin_of(self);
    Frame f = frame(self);
    return make_line(origin, point_obj(f.origin + f.direction));
}

// ----------------------------------------------------- crossings

// The crossing of another object's line (first pair) with this ray's line
// (second pair), kept when both bound tests pass; both tests always run.
nb::object keep_if_inside(bool in_self, bool in_other, Vec2 p) {
    return in_self && in_other ? point_obj(p) : nb::none();
}

nb::object intersection_with_ray(nb::handle self, nb::handle other) {
    if (is_plain_ray(other)) {
        Frame o = frame(other), s = frame(self);
        std::optional<Vec2> p =
            geom::line_intersection(o.origin, o.origin + o.direction, s.origin, s.origin + s.direction, flat_eps());
        if (!p)
            return nb::none();
        double e = eps();
        bool in_self = geom::in_ray_bound(checked_bound(s), *p, e);
        bool in_other = geom::in_ray_bound(checked_bound(o), *p, e);
        return keep_if_inside(in_self, in_other, *p);
    }
    nb::object cross_line = other.attr("to_line")().attr("intersection_with_line");
    nb::object point = cross_line(to_line(self));
    if (point.is_none())
        return point;
    bool in_self = is_point_in_bound(self, point);
    bool in_other = truthy(other.attr("is_point_in_bound")(point));
    return in_self && in_other ? point : nb::none();
}

}  // namespace

// A segment of exactly our class is read through its end points: its own
// line and bound test are known.  Any other object is asked.
nb::object ray_cross_segment(nb::handle self, nb::handle other) {
    if (is_plain_segment(other)) {
        const SegmentData &seg = segment_fields(other);
        Vec2 a = xy(seg.start), b = xy(seg.end);
        Frame s = frame(self);
        std::optional<Vec2> p = geom::line_intersection(a, b, s.origin, s.origin + s.direction, flat_eps());
        if (!p)
            return nb::none();
        double e = eps();
        bool in_self = geom::in_ray_bound(checked_bound(s), *p, e);
        bool in_other = geom::in_box(geom::segment_bound(a, b), *p, e);
        return keep_if_inside(in_self, in_other, *p);
    }
    return intersection_with_ray(self, other);  // the same steps for any other object
}

nb::object ray_cross_line(nb::handle self, nb::handle other) {
    if (is_plain_line(other)) {
        Ends l = line_ends(other);
        Frame s = frame(self);
        std::optional<Vec2> p = geom::line_intersection(l.start, l.end, s.origin, s.origin + s.direction, flat_eps());
        if (!p)
            return nb::none();
        return geom::in_ray_bound(checked_bound(s), *p, eps()) ? point_obj(*p) : nb::none();
    }
    nb::object cross_line = other.attr("intersection_with_line");
    nb::object point = cross_line(to_line(self));
    if (point.is_none())
        return point;
    return is_point_in_bound(self, point) ? point : nb::none();
}

namespace {

// ------------------------------------------------------------- plot

// Draws origin .. origin + length * direction on the current axes.
void plot(nb::handle self, nb::handle length_arg, nb::handle color, nb::handle show) {
    double length = pyu::as_double(length_arg);
    if (!color.is_none() && !PyUnicode_CheckExact(color.ptr())) {
        PyErr_Format(PyExc_TypeError, "Argument 'color' has incorrect type (expected str, got %s)",
                     Py_TYPE(color.ptr())->tp_name);
        pyu::raise_current();
    }
    Frame f = frame(self);
    nb::handle pyplot = names::plt.get();
    nb::list xs, ys;
    xs.append(f.origin.x);
    xs.append(f.origin.x + length * f.direction.x);
    ys.append(f.origin.y);
    ys.append(f.origin.y + length * f.direction.y);
    pyplot.attr("plot")(xs, ys, "color"_a = color);
    if (truthy(show))
        pyplot.attr("show")();
}

int ray_traverse(PyObject *self, visitproc visit, void *arg) {
    return pyu::traverse_fields<RayData, &RayData::origin, &RayData::direction, &RayData::unit_vector>(self, visit,
                                                                                                  arg);
}
int ray_clear(PyObject *self) {
    return pyu::clear_fields<RayData, true, &RayData::origin, &RayData::direction, &RayData::unit_vector>(self);
}

PyType_Slot ray_slots[] = {
    {Py_tp_traverse, (void *) ray_traverse},
    {Py_tp_clear, (void *) ray_clear},
    {0, nullptr},
};

}  // namespace

void bind_ray(nb::module_ &m) {
    auto cls = nb::class_<RayData>(m, "Ray", nb::dynamic_attr(), nb::type_slots(ray_slots));
    ray_type = (PyTypeObject *) cls.ptr();
    cls.def("__init__", &init, "origin"_a.none(), "direction"_a.none())
        .def("point_at_parameter",
             [](nb::handle self, nb::handle t) { return point_at_parameter(self, pyu::as_double(t)); }, "t"_a.none())
        .def("point_at_length",
             [](nb::handle self, nb::handle length) { return point_at_length(self, pyu::as_double(length)); },
             "length"_a.none())
        .def_prop_ro("bound", &bound)
        .def("is_point_in_bound", &is_point_in_bound, "point"_a.none())
        .def("parameter_at_point", &parameter_at_point, "point"_a.none())
        .def("intersection_with_ray", &intersection_with_ray, "other"_a.none())
        .def("intersection_with_segment", &ray_cross_segment, "other"_a.none())
        .def("intersection_with_line", &ray_cross_line, "other"_a.none())
        .def("to_line", &to_line)
        .def("plot", &plot, "length"_a.none() = 10.0, "color"_a.none() = "r", "show"_a.none() = true);
    def_object_attr<&RayData::origin>(cls, "origin");
    def_object_attr<&RayData::direction>(cls, "direction");
    def_object_attr<&RayData::unit_vector>(cls, "unit_vector");
}

}  // namespace strakel
