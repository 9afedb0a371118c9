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
//
// As for Circle, every member reads the attributes when it runs, calls
// another member directly on an exact Arc and by attribute on anything
// else, and is guarded against recursion through its arguments.
#include "Bowlet/bowlet.hpp"

#include <algorithm>
#include <string>
#include <utility>
#include <vector>

using namespace nb::literals;

namespace bowlet {

PyTypeObject *arc_type = nullptr;

namespace {

const pyu::Key key_radians("radians"), key_length("length"), key_point_at_parameter("point_at_parameter"),
    key_point_at_radians("point_at_radians"), key_is_radians_in_domain("is_radians_in_domain"),
    key_is_point_on_arc("is_point_on_arc"), key_perpendicular("perpendicular"), key_unit_vector("unit_vector"),
    key_degrees("degrees"), key_diameter("diameter"), key_patch_class("Arc");

nb::object flt(double v) { return pyu::float_obj(v); }

// self.<name> of an arc: the member of an exact Arc, getattr otherwise.
nb::object get(nb::handle self, nb::object ArcData::*member, const pyu::Key &key) {
    return stored(self, member, key, arc_type);
}
void put(nb::handle self, nb::object ArcData::*member, const pyu::Key &key, nb::handle value) {
    store(self, member, key, arc_type, value);
}

// The signed sweep, end_radians - start_radians.
nb::object sweep(nb::handle self) {
    nb::object end = get(self, &ArcData::end_radians, key_end_radians);
    return pyu::num_sub(end, get(self, &ArcData::start_radians, key_start_radians));
}
// self.radians: the property itself on an exact Arc, a subclass's own
// otherwise.
nb::object radians_of(nb::handle self) { return is_arc(self) ? sweep(self) : pyu::get_attr(self, key_radians); }

// The lower and upper angle of an arc: the end angle is the lower one of a
// clockwise arc, the start angle of a counter-clockwise one.  `known` is
// false for any other `wise`.
struct Domain {
    bool known;
    nb::object lower, upper;
};
Domain domain_of(nb::handle self) {
    nb::object wise = get(self, &ArcData::wise, key_wise);
    if (pyu::num_eq(wise, pyu::int_obj(0))) {
        nb::object end = get(self, &ArcData::end_radians, key_end_radians);
        return {true, end, get(self, &ArcData::start_radians, key_start_radians)};
    }
    if (pyu::num_eq(wise, pyu::int_obj(1))) {
        nb::object start = get(self, &ArcData::start_radians, key_start_radians);
        return {true, start, get(self, &ArcData::end_radians, key_end_radians)};
    }
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
        if (wise == 0 && pyu::num_gt(end_radians, start_radians))
            end_radians = pyu::num_sub(end_radians, turn);
        else if (wise == 1 && pyu::num_lt(end_radians, start_radians))
            start_radians = pyu::num_sub(start_radians, turn);
    }

    ArcData data() && {
        return {std::move(center),      std::move(radius),       std::move(circle),
                std::move(start_radians), std::move(end_radians), pyu::int_obj(wise),
                std::move(start_point),   std::move(end_point)};
    }
};

// Centre, radius, sweep and start angle: the numbers are kept as given.
Fields from_angles(nb::handle center, nb::handle radius, nb::handle radians, nb::handle start_radians) {
    Fields f;
    f.center = nb::borrow(center);
    f.radius = nb::borrow(radius);
    f.circle = make_circle(center, radius);
    f.start_radians = nb::borrow(start_radians);
    f.end_radians = pyu::num_add(start_radians, radians);
    f.wise = pyu::num_lt(radians, pyu::int_obj(0)) ? 0 : 1;
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
    f.center = stored(f.circle, &CircleData::center, key_center, circle_type);
    f.radius = stored(f.circle, &CircleData::radius, key_radius, circle_type);
    f.start_point = nb::borrow(start_point);
    f.end_point = nb::borrow(end_point);
    f.start_radians = circle_evaluate_point_radians(f.circle, start_point);
    f.end_radians = circle_evaluate_point_radians(f.circle, end_point);
    Vec2 s = read_xy(start_point), a = read_xy(arc_point), e = read_xy(end_point);
    f.wise = geom::cross(a - s, e - a) < 0 ? 0 : 1;
    f.normalise();
    return f;
}

// About the centre from the start point over the sweep.
Fields from_center_start(nb::handle center, nb::handle start_point, nb::handle radians) {
    if (pyu::num_eq(radians, pyu::int_obj(0)))
        pyu::raise_exception("start_point == end_point");
    Fields f;
    f.center = nb::borrow(center);
    f.radius = flt(distance_between(start_point, center));
    f.circle = make_circle(center, f.radius);
    f.start_point = nb::borrow(start_point);
    f.start_radians = circle_evaluate_point_radians(f.circle, start_point);
    f.end_radians = pyu::num_add(f.start_radians, radians);
    f.wise = pyu::num_lt(radians, pyu::int_obj(0)) ? 0 : 1;
    f.normalise();
    f.end_point = circle_point_at_radians(f.circle, f.end_radians);
    return f;
}

// The unit direction turned by a quarter turn (left for +pi/2, right for
// -pi/2): Vector.unit_vector, then Vector.rotate.
Vec2 turned_unit(nb::handle direction, double angle) {
    if (pyu::is_vector(direction))
        return geom::rotated(unit_or_self(read_xy(direction)), np_cos_sin(angle));
    nb::object unit = pyu::get_attr(direction, key_unit_vector);
    return read_xy(pyu::call_method(unit, key_rotate, flt(angle)));
}

// From the start point to the end point, leaving the start along the
// direction: the arc that polyline fillets are made of.
Fields from_start_direction(nb::handle start_point, nb::handle end_point, nb::handle direction) {
    if (points_equal(start_point, end_point))
        pyu::raise_exception("start_point == end_point");
    Vec2 s = read_xy(start_point), e = read_xy(end_point);
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
    nb::object turn = vector_angle(direction, read_xy(f.center) - s);
    f.wise = pyu::num_gt(turn, flt(geom::pi)) ? 0 : 1;
    f.normalise();
    return f;
}

void init(nb::handle self, nb::handle center, nb::handle radius, nb::handle radians, nb::handle start_radians,
          nb::handle start_point, nb::handle end_point, nb::handle arc_point, nb::handle start_direction) {
    pyu::check_receiver(self, (PyObject *) arc_type, "Arc");
    auto given = [](nb::handle h) { return !h.is_none(); };
    ArcData data;
    if (given(center) && given(radius) && given(start_radians) && given(radians))
        data = from_angles(center, radius, radians, start_radians).data();
    else if (given(start_point) && given(end_point) && given(arc_point))
        data = from_three_points(start_point, end_point, arc_point).data();
    else if (given(center) && given(start_point) && given(radians))
        data = from_center_start(center, start_point, radians).data();
    else if (given(start_point) && given(end_point) && given(start_direction))
        data = from_start_direction(start_point, end_point, start_direction).data();
    else if (nb::inst_ready(self))
        return;  // no complete set of inputs: nothing is set, nothing taken away
    pyu::construct<ArcData>(self, std::move(data));
}

// --------------------------------------------------------- identity

std::string text(nb::handle self) {
    nb::object center = get(self, &ArcData::center, key_center);
    nb::object radius = get(self, &ArcData::radius, key_radius);
    std::string r;
    if (PyFloat_CheckExact(radius.ptr())) {
        r = pyu::float_repr(pyu::py_round(PyFloat_AS_DOUBLE(radius.ptr()), 2));
    } else {
        nb::object two = pyu::int_obj(2);
        r = pyu::format_obj(pyu::round_obj(radius, two));
    }
    nb::object radians = radians_of(self);
    nb::object start = get(self, &ArcData::start_radians, key_start_radians);
    return "Arc (Center:" + pyu::format_obj(center) + ",R:" + r + ",Radians:" + pyu::format_obj(radians) +
           ",start_radians:" + pyu::format_obj(start) + ")";
}

// (center, radius, start_radians, end_radians), read in that order.
nb::object identity(nb::handle arc) {
    nb::object center = get(arc, &ArcData::center, key_center);
    nb::object radius = get(arc, &ArcData::radius, key_radius);
    nb::object start = get(arc, &ArcData::start_radians, key_start_radians);
    nb::object end = get(arc, &ArcData::end_radians, key_end_radians);
    return nb::make_tuple(center, radius, start, end);
}

// Tuple equality: tolerant centres, exact numbers, identical objects equal.
nb::object equals(nb::handle self, nb::handle other) {
    nb::object a = identity(self), b = identity(other);
    return pyu::check(PyObject_RichCompare(a.ptr(), b.ptr(), Py_EQ));
}

Py_hash_t hash(nb::handle self) { return pyu::hash_of(identity(self)); }

// A snapshot of the four values, taken when the iterator is made.
nb::object iterate(nb::handle self) {
    nb::object values = pyu::check(PySequence_List(identity(self).ptr()));
    return pyu::check(PyObject_GetIter(values.ptr()));
}

// ---------------------------------------------------------- measures

nb::object length(nb::handle self) {
    nb::object radius = get(self, &ArcData::radius, key_radius);
    return pyu::num_mul(radius, pyu::num_abs(radians_of(self)));
}
nb::object parameter_domain(nb::handle self) {
    nb::object turn = flt(2 * geom::pi);
    nb::object start = pyu::num_div(get(self, &ArcData::start_radians, key_start_radians), turn);
    nb::object end = pyu::num_div(get(self, &ArcData::end_radians, key_end_radians), turn);
    return nb::make_tuple(start, end);
}
nb::object circumference(nb::handle self) {
    return pyu::num_mul(flt(2.0 * geom::pi), get(self, &ArcData::radius, key_radius));
}
nb::object diameter(nb::handle self) { return pyu::num_mul(flt(2.0), get(self, &ArcData::radius, key_radius)); }
bool closes_circle(nb::handle self) {
    double sweep = dbl(pyu::num_abs(radians_of(self)));
    return geom::is_close(sweep - 2.0 * geom::pi, 0.0, 1e-9, 0.001);
}
nb::object sector_area(nb::handle self) {
    nb::object half = pyu::num_div(pyu::num_abs(radians_of(self)), pyu::int_obj(2));
    return pyu::num_mul(half, pyu::num_pow(get(self, &ArcData::radius, key_radius), pyu::int_obj(2)));
}

// -------------------------------------------------------- transforms

// x, y, r, radians, factor and distance are floats: converted on the way in.
void set_center(nb::handle self, nb::handle x, nb::handle y) {
    double fx = dbl(x), fy = dbl(y);
    put(self, &ArcData::center, key_center, new_point({fx, fy}));
}
void set_radius(nb::handle self, nb::handle r) { put(self, &ArcData::radius, key_radius, flt(dbl(r))); }
void rotate(nb::handle self, nb::handle axis_center, nb::handle radians) {
    double angle = dbl(radians);
    nb::object rotate = pyu::get_attr(get(self, &ArcData::center, key_center), key_rotate);
    put(self, &ArcData::center, key_center, rotate("angle"_a = flt(angle), "center"_a = axis_center));
}
void move(nb::handle self, nb::handle vector) {
    put(self, &ArcData::center, key_center, pyu::num_add(get(self, &ArcData::center, key_center), vector));
}
void scale(nb::handle self, nb::handle factor) {
    double f = dbl(factor);
    put(self, &ArcData::radius, key_radius, pyu::num_mul(get(self, &ArcData::radius, key_radius), flt(f)));
}
void offset(nb::handle self, nb::handle distance) {
    double d = dbl(distance);
    put(self, &ArcData::radius, key_radius, pyu::num_add(get(self, &ArcData::radius, key_radius), flt(d)));
}

// ---------------------------------------------- domain, points, bound

// The closed interval from the lower to the upper angle, compared as given
// (no reduction by whole turns); None when `wise` is neither 0 nor 1.
nb::object domain_test(nb::handle self, double radians) {
    Domain d = domain_of(self);
    if (!d.known)
        return nb::none();
    double lower = dbl(d.lower);
    return pyu::bool_obj(lower <= radians && radians <= dbl(d.upper));
}

nb::object is_radians_in_domain(nb::handle self, nb::handle radians) { return domain_test(self, dbl(radians)); }

nb::object in_domain(nb::handle self, nb::handle radians) {
    if (is_arc(self))
        return domain_test(self, dbl(radians));
    return pyu::call_method(self, key_is_radians_in_domain, radians);
}

// On the arc's own circle (relative 0.001), at an angle that, taken in the
// turn that starts at the lower angle, lies in the domain.  An angle just
// outside it stands for the end angle itself when the point is the arc's own
// start or end point (equal coordinates) or lies within rounding of an end
// angle: a point's angle is recomputed from its coordinates and may miss the
// angle it was placed at by a few ulps.
nb::object is_point_on_arc(nb::handle self, nb::handle point) {
    nb::object center = get(self, &ArcData::center, key_center);
    nb::object radius = get(self, &ArcData::radius, key_radius);
    double dis = distance_between(center, point);
    if (!geom::is_close(dis, dbl(radius), 1e-3, 0.0))
        return pyu::bool_obj(false);
    Vec2 c = read_xy(center), p = read_xy(point);
    nb::object angle = vector_angle(Vec2{pyu::py_float(radius), 0.0}, p - c);
    if (!angle.is_none()) {
        Domain d = domain_of(self);
        if (d.known) {
            double lower = dbl(d.lower), upper = dbl(d.upper);
            double a = geom::angle_into_turn(dbl(angle), lower);
            if (!(lower <= a && a <= upper)) {
                auto same = [p](Vec2 q) { return q.x == p.x && q.y == p.y; };
                if (same(read_xy(get(self, &ArcData::start_point, key_start_point))))
                    a = dbl(get(self, &ArcData::start_radians, key_start_radians));
                else if (same(read_xy(get(self, &ArcData::end_point, key_end_point))))
                    a = dbl(get(self, &ArcData::end_radians, key_end_radians));
                else if (int end = geom::end_angle_within_rounding(c, p, lower, upper))
                    a = end < 0 ? lower : upper;
            }
            angle = flt(a);
        }
    }
    return in_domain(self, angle);
}

nb::object point_on_radius(nb::handle self, double theta) {
    double r = pyu::py_float(get(self, &ArcData::radius, key_radius));
    Vec2 v = geom::radius_vector(r, np_cos_sin(theta));
    return point_plus(get(self, &ArcData::center, key_center), v);
}

nb::object point_at_radians(nb::handle self, nb::handle radians) {
    if (!pyu::truthy(in_domain(self, radians)))
        pyu::raise_exception("Radians is not in domain");
    return point_on_radius(self, dbl(radians));
}

nb::object midpoint(nb::handle self) {
    nb::object start = get(self, &ArcData::start_radians, key_start_radians);
    nb::object middle = pyu::num_add(start, pyu::num_div(radians_of(self), pyu::int_obj(2)));
    if (is_arc(self))
        return point_at_radians(self, middle);
    return pyu::call_method(self, key_point_at_radians, middle);
}

nb::object point_at_parameter(nb::handle self, nb::handle parameter) {
    nb::object radians = pyu::num_mul(radians_of(self), parameter);
    nb::object theta = pyu::num_add(get(self, &ArcData::start_radians, key_start_radians), radians);
    return point_on_radius(self, dbl(theta));
}

nb::object perpendicular(nb::handle self, nb::handle point) {
    nb::object on = is_arc(self) ? is_point_on_arc(self, point) : pyu::call_method(self, key_is_point_on_arc, point);
    if (!pyu::truthy(on))
        pyu::raise_exception("Given point is not on circle!");
    Vec2 c = read_xy(get(self, &ArcData::center, key_center)), p = read_xy(point);
    // Clockwise arcs point to the centre, counter-clockwise ones away from it:
    // the normal is on the right of the direction of travel.
    bool clockwise = pyu::num_eq(get(self, &ArcData::wise, key_wise), pyu::int_obj(0));
    return new_vector(unit_or_self(clockwise ? c - p : p - c));
}

nb::object tangent(nb::handle self, nb::handle point) {
    nb::object normal = is_arc(self) ? perpendicular(self, point) : pyu::call_method(self, key_perpendicular, point);
    if (pyu::is_vector(normal))
        return pyu::new_vector(names::flat_vector, geom::rotated(read_xy(normal), np_cos_sin(geom::pi * 0.5)));
    return pyu::call_method(normal, key_rotate, flt(geom::pi * 0.5));
}

nb::object bound(nb::handle self) {
    Vec2 s = read_xy(get(self, &ArcData::start_point, key_start_point));
    Vec2 e = read_xy(get(self, &ArcData::end_point, key_end_point));
    double r = dbl(get(self, &ArcData::radius, key_radius));
    Vec2 c = read_xy(get(self, &ArcData::center, key_center));
    double start = dbl(get(self, &ArcData::start_radians, key_start_radians));
    double end = dbl(get(self, &ArcData::end_radians, key_end_radians));
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
    nb::object patches = pyu::import("matplotlib.patches");
    nb::object patch_class = pyu::get_attr(patches, key_patch_class);
    nb::object box[4];  // min_x, min_y, max_x, max_y
    pyu::unpack(pyu::call_method(arc, key_bound), box, 4);
    nb::object width = pyu::num_sub(box[2], box[0]), height = pyu::num_sub(box[3], box[1]);
    nb::object plt = names::plt.get();
    nb::object fig_ax = pyu::get_attr(plt, key_subplots)("figsize"_a = nb::make_tuple(width, height));
    nb::object pair[2];
    pyu::unpack(fig_ax, pair, 2);
    nb::object math = names::math.get();
    nb::object start = pyu::get_attr(arc, key_start_radians), end = pyu::get_attr(arc, key_end_radians);
    pyu::print(pyu::call_method(math, key_degrees, start));
    nb::object sweep = pyu::get_attr(arc, key_radians);
    pyu::print(pyu::call_method(math, key_degrees, sweep));
    // matplotlib draws counter-clockwise from theta1 to theta2: from the lower
    // angle to the upper one covers the arc in either direction.
    bool reversed = pyu::num_lt(end, start);
    nb::object theta1 = pyu::call_method(math, key_degrees, reversed ? end : start);
    nb::object theta2 = pyu::call_method(math, key_degrees, reversed ? start : end);
    nb::object center = pyu::get_attr(arc, key_center);
    nb::object diameter = pyu::get_attr(arc, key_diameter);
    nb::object cx = pyu::get_attr(center, key_x), cy = pyu::get_attr(center, key_y);
    nb::object patch = patch_class("xy"_a = nb::make_tuple(cx, cy), "width"_a = diameter, "height"_a = diameter,
                                   "angle"_a = 0.0, "theta1"_a = theta1, "theta2"_a = theta2);
    pyu::call_method(pair[1], key_add_patch, patch);
    pyu::call_method(plt, key_axis, nb::str("auto"));
    if (pyu::truthy(show))
        pyu::call_method(plt, key_show);
}

// The sampled points of an exact Arc whose centre is our own Point and whose
// angles are plain floats (ints for the start), while the names hold our own
// classes: the steps of point_at_parameter in blocks, with numpy's kernels,
// into a list of new Points.  Null when the arc is not such an arc.
nb::object plain_samples(nb::handle arc, Py_ssize_t n) {
    if (!is_arc(arc) || !names::vector.holds(pyu::vector_type) || !names::flat_point.holds(pyu::point_type))
        return nb::object();
    nb::object center = get(arc, &ArcData::center, key_center);
    nb::object start = get(arc, &ArcData::start_radians, key_start_radians), radians = sweep(arc);
    bool plain = pyu::is_point(center) && PyFloat_CheckExact(radians.ptr()) &&
                 (PyFloat_CheckExact(start.ptr()) || PyLong_CheckExact(start.ptr()));
    if (!plain)
        return nb::object();
    double r = pyu::py_float(get(arc, &ArcData::radius, key_radius));
    double s = dbl(start), sw = PyFloat_AS_DOUBLE(radians.ptr());
    Vec2 c = read_xy(center);
    size_t count = (size_t) n - 1;
    nb::object out = pyu::check(PyList_New((Py_ssize_t) count));
    constexpr size_t block = 1024;
    size_t size = std::min(block, count);
    std::vector<double> angles(size), cos(size), sin(size);
    std::vector<Vec2> samples(size);
    // The new points can form no cycle: no collection is needed while they
    // are made, and no Python code runs until the list is complete.
    pyu::CollectorPause pause;
    geom::Interrupt stop = pyu::interrupt();
    for (size_t first = 0; first < count; first += block) {
        stop.poll();  // once per block of points
        size_t m = std::min(block, count - first);
        std::span<double> a(angles.data(), m);
        geom::sample_angles(s, sw, (size_t) n, first + 1, a);
        pyu::np_cos_many(angles.data(), cos.data(), m);
        pyu::np_sin_many(angles.data(), sin.data(), m);
        std::span<Vec2> placed(samples.data(), m);
        geom::place_on_circle(c, r, std::span<const double>(cos.data(), m), std::span<const double>(sin.data(), m),
                              placed);
        for (size_t k = 0; k < m; ++k)
            PyList_SET_ITEM(out.ptr(), (Py_ssize_t) (first + k), pyu::make_point(placed[k]).release().ptr());
    }
    return out;
}

nb::object arc_to_polyline(nb::handle arc, nb::handle number, nb::handle length) {
    nb::object count;
    if (!number.is_none()) {
        count = nb::borrow(number);
    } else {
        if (length.is_none())
            pyu::raise_exception("No number and no length given!");
        nb::object arc_length = pyu::get_attr(arc, key_length);
        count = pyu::round_obj(pyu::num_div(length, arc_length));
    }
    if (pyu::num_lt(count, pyu::int_obj(2)))
        count = pyu::int_obj(2);
    count = pyu::num_add(count, pyu::int_obj(1));
    // range(1, count): an int (or __index__) only, so a float count raises
    // TypeError here; one beyond a C size raises OverflowError, and a list
    // no memory could hold MemoryError, before anything is made.
    Py_ssize_t n = pyu::range_count(count);
    if (n < 2)
        return nb::list();
    size_t point_size = sizeof(PyObject *) + (size_t) pyu::point_type->tp_basicsize + 2 * sizeof(void *);
    pyu::checked_memory(n - 1, point_size);
    if (nb::object samples = plain_samples(arc, n); samples.is_valid())
        return samples;
    nb::object step = pyu::get_attr(arc, key_point_at_parameter);
    nb::list points;
    geom::Interrupt stop = pyu::interrupt();
    for (Py_ssize_t i = 1; i < n; ++i) {
        stop.tick();
        nb::object index = pyu::check(PyLong_FromSsize_t(i));
        points.append(pyu::call(step, pyu::num_div(index, count)));
    }
    return points;
}

}  // namespace

// ----------------------------------------------------------- binding

void bind_arc(nb::module_ &m) {
    using pyu::guarded;
    pyu::Class<ArcData> cls(m, "Arc", DOC(Arc),
                            {{"center", &ArcData::center},
                             {"radius", &ArcData::radius},
                             {"circle", &ArcData::circle},
                             {"start_radians", &ArcData::start_radians},
                             {"end_radians", &ArcData::end_radians},
                             {"wise", &ArcData::wise},
                             {"start_point", &ArcData::start_point},
                             {"end_point", &ArcData::end_point}});
    arc_type = cls.type();
    nb::object none = nb::none();
    cls.init(guarded<&init>, DOC(Arc, __init__), "center"_a = none, "radius"_a = none, "radians"_a = none, "start_radians"_a = none,
             "start_point"_a = none, "end_point"_a = none, "arc_point"_a = none, "start_direction"_a = none)
        .method("__repr__", &text, DOC(Arc, __repr__))
        .method("__eq__", &equals, DOC(Arc, __eq__), "other"_a)
        .method("__hash__", &hash, DOC(Arc, __hash__))
        .method("__iter__", &iterate, DOC(Arc, __iter__))
        .property("radians", &sweep, DOC(Arc, radians))
        .property("length", &length, DOC(Arc, length))
        .property("parameter_domain", &parameter_domain, DOC(Arc, parameter_domain))
        .property("circumference", &circumference, DOC(Arc, circumference))
        .property("diameter", &diameter, DOC(Arc, diameter))
        .property("is_circle", &closes_circle, DOC(Arc, is_circle))
        .property("midpoint", &midpoint, DOC(Arc, midpoint))
        .property("get_sector_area", &sector_area, DOC(Arc, get_sector_area))
        .method("set_center", &set_center, DOC(Arc, set_center), "x"_a, "y"_a)
        .method("set_radius", &set_radius, DOC(Arc, set_radius), "r"_a)
        .method("rotate", &rotate, DOC(Arc, rotate), "axis_center"_a, "radians"_a)
        .method("move", &move, DOC(Arc, move), "vector"_a)
        .method("scale", &scale, DOC(Arc, scale), "factor"_a)
        .method("offset", &offset, DOC(Arc, offset), "distance"_a)
        .method("bound", &bound, DOC(Arc, bound))
        .method("is_radians_in_domain", &is_radians_in_domain, DOC(Arc, is_radians_in_domain), "radians"_a)
        .method("is_point_on_arc", &is_point_on_arc, DOC(Arc, is_point_on_arc), "point"_a = none)
        .method("point_at_radians", &point_at_radians, DOC(Arc, point_at_radians), "radians"_a = none)
        .method("point_at_parameter", &point_at_parameter, DOC(Arc, point_at_parameter),
                "parameter"_a = none)
        .method("perpendicular", &perpendicular, DOC(Arc, perpendicular), "point"_a = none)
        .method("tangent", &tangent, DOC(Arc, tangent), "point"_a = none)
        .static_method("plot_arc", &plot_arc, DOC(Arc, plot_arc), "arc"_a, "show"_a = false)
        .static_method("arc_to_polyline", &arc_to_polyline, DOC(Arc, arc_to_polyline), "arc"_a = none,
                       "number"_a = none, "length"_a = none);
}

}  // namespace bowlet
