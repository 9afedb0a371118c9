// Polyline: chamfers and fillets of one corner between two segments and of
// every corner of a polyline.  The cut length t is the tangent length of a
// circle of the given radius set into the corner, never more than half the
// shorter segment; a fillet's arc starts and ends where the chamfer cuts.
// `radius` and `number` reach the body unchanged; the segments, the arcs and
// the polylines are asked through the names the module holds.
#include "Polyline/polyline.hpp"
#include "pyutil/numpy_kernels.hpp"

using namespace nb::literals;

namespace polyline {

namespace {
const pyu::Key key_vector("vector"), key_reverse("reverse"), key_length("length"), key_tan("tan"),
    key_point_at_length("point_at_length"), key_start("start"), key_end("end"), key_chamfer_t("chamfer_t"),
    key_segment_fillet("segment_fillet"), key_arc_to_polyline("arc_to_polyline"), key_segments("segments"),
    key_find_discontinuity("find_discontinuity"), key_is_closed("is_closed"), key_points("points");

// Polyline.chamfer_t(segment0, segment1, radius), through the class name.
nb::object cut_length(nb::handle segment0, nb::handle segment1, nb::handle radius) {
    return pyu::call_method(names::polyline.get(), key_chamfer_t, segment0, segment1, radius);
}

// The two cut points of a corner: segment0 at its length - t, segment1 at t.
std::pair<nb::object, nb::object> cut_points(nb::handle segment0, nb::handle segment1, nb::handle t) {
    nb::object rest = pyu::num_sub(pyu::get_attr(segment0, key_length), t);
    nb::object a = pyu::call_method(segment0, key_point_at_length, rest);
    nb::object b = pyu::call_method(segment1, key_point_at_length, t);
    return {a, b};
}

// Whether the corner runs straight on: exactly parallel segment vectors
// pointing the same way.
bool straight_on(nb::handle segment0, nb::handle segment1) {
    nb::object v0 = pyu::get_attr(segment0, key_vector), v1 = pyu::get_attr(segment1, key_vector);
    Vec2 a = pyu::read_xy(v0), b = pyu::read_xy(v1);
    return geom::cross(a, b) == 0 && geom::dot(a, b) > 0;
}

// The corners of polyline.find_discontinuity(): each corner's two cut
// points (or, for a fillet, its sampled arc) in order; closed, the corner at
// the first vertex comes first and the first point made closes the result.
nb::object every_corner(nb::handle polyline, nb::handle radius, nb::handle number, bool fillet) {
    nb::object p = new_polyline(pyu::call_method(polyline, key_find_discontinuity));
    nb::object segments = pyu::snapshot(pyu::get_attr(p, key_segments));
    Py_ssize_t n = pyu::snap_size(segments);
    bool is_closed = pyu::truthy(pyu::call_method(p, key_is_closed));
    nb::list points;
    if (!is_closed)
        points.append(pyu::get_attr(p, key_start));
    for (Py_ssize_t i = is_closed ? 0 : 1; i < n; ++i) {
        nb::handle before = pyu::snap_item(segments, i == 0 ? n - 1 : i - 1), after = pyu::snap_item(segments, i);
        if (fillet && !straight_on(before, after)) {
            nb::object fillet_fn = pyu::get_attr(names::polyline.get(), key_segment_fillet);
            nb::object arc = fillet_fn(before, after, "radius"_a = radius, "number"_a = number);
            pyu::for_each_iter(pyu::get_attr(arc, key_points), [&](nb::handle q) {
                points.append(q);
                return true;
            });
            continue;
        }
        // A chamfer, or a fillet corner that runs straight on: its two cut
        // points, as the chamfer gives them.
        nb::object t = cut_length(before, after, radius);
        auto [a, b] = cut_points(before, after, t);
        points.append(a);
        points.append(b);
    }
    if (is_closed)
        points.append(pyu::get_item(points, 0));
    else
        points.append(pyu::get_attr(p, key_end));
    return new_polyline(points);
}
}  // namespace

// |radius / tan(angle / 2)| (numpy's tan: an angle of 0 gives infinity),
// clamped to half the shorter segment.
nb::object chamfer_t(nb::handle segment0, nb::handle segment1, nb::handle radius) {
    nb::object v0 = pyu::get_attr(segment0, key_vector), v1 = pyu::get_attr(segment1, key_vector);
    Vec2 back;
    if (pyu::is_vector(v1)) {
        Vec2 w = pyu::read_xy(v1);
        back = {-w.x, -w.y};
    } else {
        back = pyu::read_xy(pyu::call_method(v1, key_reverse));
    }
    geom::Fault fault = geom::Fault::none;
    std::optional<double> angle = geom::turn_angle(pyu::read_xy(v0), back,
                                                   names::flat_epsilon.get_double(), &pyu::np_arccos, fault);
    check(fault);
    if (!angle)
        pyu::raise(PyExc_TypeError, "unsupported operand type(s) for *: 'float' and 'NoneType'");
    double half = 0.5 * *angle;
    double t;
    if (PyFloat_CheckExact(radius.ptr()) || PyLong_CheckExact(radius.ptr())) {
        t = std::fabs(pyu::as_double(radius) / pyu::np_tan(half));
    } else {
        nb::object tan = pyu::call(pyu::get_attr(names::np.get(), key_tan), pyu::float_obj(half));
        t = std::fabs(pyu::py_float(pyu::num_div(radius, tan)));
    }
    double l0 = pyu::as_double(pyu::get_attr(segment0, key_length));
    double l1 = pyu::as_double(pyu::get_attr(segment1, key_length));
    if (t > l0 / 2 || t > l1 / 2)
        t = (l1 < l0 ? l1 : l0) / 2;
    return pyu::float_obj(t);
}

// [segment0.start, cut on segment0, cut on segment1, segment1.end].
nb::object segment_chamfer(nb::handle segment0, nb::handle segment1, nb::handle radius) {
    nb::object t = cut_length(segment0, segment1, radius);
    auto [a, b] = cut_points(segment0, segment1, t);
    nb::list points;
    points.append(pyu::get_attr(segment0, key_start));
    points.append(a);
    points.append(b);
    points.append(pyu::get_attr(segment1, key_end));
    return new_polyline(points);
}

// [cut on segment0] + the arc's inner points + [cut on segment1].
nb::object segment_fillet(nb::handle segment0, nb::handle segment1, nb::handle radius, nb::handle number) {
    nb::object t = cut_length(segment0, segment1, radius);
    auto [a, b] = cut_points(segment0, segment1, t);
    nb::object direction = pyu::get_attr(segment0, key_vector);
    nb::object arc_cls = names::arc.get();
    nb::object arc = arc_cls("start_point"_a = a, "end_point"_a = b, "start_direction"_a = direction);
    nb::object sample = pyu::get_attr(arc_cls, key_arc_to_polyline);
    nb::object inner = sample(arc, "number"_a = number);
    nb::list points;
    points.append(a);
    pyu::for_each_iter(inner, [&](nb::handle q) {
        points.append(q);
        return true;
    });
    points.append(b);
    return new_polyline(points);
}

nb::object polyline_chamfer(nb::handle polyline, nb::handle radius) {
    return every_corner(polyline, radius, nb::none(), false);
}

// A corner where the segments run straight on (the start of a closed
// outline in the middle of a side) has nothing to round: its two cut points
// go in, as the chamfer gives them.
nb::object polyline_fillet(nb::handle polyline, nb::handle radius, nb::handle number) {
    return every_corner(polyline, radius, number, true);
}

}  // namespace polyline
