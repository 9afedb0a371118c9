// Polyline: where points, segments and polylines lie against a polyline.
// The members call each other through the receiver; while those are the
// class's own, one read of the points answers the whole call.
//
// Inside counts the crossings of the ray from the point towards +x with the
// half-open rule (see geom::PointLocator): a vertex where the outline only
// touches the ray's line is no crossing (or two), one where it crosses it
// is one, so points level with a vertex get the true answer.
#include "Polyline/polyline.hpp"

namespace polyline {

namespace {
const pyu::Key key_x("x"), key_y("y"), key_start("start"), key_end("end");

// The point one step along +x from `point`, as `point + Vector(1, 0)`
// gives it: computed for our own Point, asked of anything else.
Vec2 ahead_of(nb::handle point, Vec2 p) {
    if (pyu::is_point(point))
        return {p.x + 1.0, p.y + 0.0};
    nb::object step = new_vector({1.0, 0.0});
    nb::object moved = pyu::check(PyNumber_Add(point.ptr(), step.ptr()));
    return pyu::read_xy(moved);
}

// The bound, the on test and the inside test of `self` are its own.
bool own_tests(nb::handle self) {
    return own(self, Member::is_point_in_bound) && own(self, Member::is_point_on) &&
           own(self, Member::is_point_inside) && own(self, Member::bound);
}

// One read of the receiver, ready for many points.
struct Outline {
    geom::Tolerances tol;
    Vertices v;
    geom::PointLocator locator;
    Outline(nb::handle self, bool index)
        : tol(tolerances()), v(vertices(self)), locator(v.xy(), tol, index) {}
};

// 0 outside, 1 inside, 2 on, from one read of the receiver.
int code_of(const Outline &o, nb::handle point) {
    Vec2 p = pyu::read_xy(point);
    if (pyu::is_point(point))
        return o.locator.code(p, {p.x + 1.0, p.y + 0.0});
    if (!o.locator.in_bound(p))
        return 0;
    if (o.locator.on(p))
        return 2;
    return o.locator.odd_crossings(p, ahead_of(point, p)) ? 1 : 0;
}

// The points of an empty polyline have no bound: min() of nothing.
void check_not_empty(const Outline &o) {
    if (o.v.size() == 0)
        pyu::raise(PyExc_ValueError, "min() arg is an empty sequence");
}

}  // namespace

// The closed box of the points, without tolerance.
bool is_point_in_bound(nb::handle self, nb::handle point) {
    if (own(self, Member::bound)) {
        nb::object points = points_of(self);
        if (only_our_points(points) && PySequence_Fast_GET_SIZE(points.ptr()) > 0) {
            Vec2 p = pyu::read_xy(point);
            Vertices v{points, pyu::read_points(points)};
            return geom::in_bound(geom::vertex_bound(v.xy()), p);
        }
    }
    nb::object b[4];
    pyu::unpack(pyu::get_attr(self, key_of(Member::bound)), b, 4);
    nb::object x = pyu::get_attr(point, key_x);
    if (pyu::num_lt(x, b[0]) || pyu::num_gt(x, b[2]))
        return false;
    nb::object y = pyu::get_attr(point, key_y);
    return !(pyu::num_lt(y, b[1]) || pyu::num_gt(y, b[3]));
}

// On some segment: the strict on-line test and the widened bound.
bool is_point_on(nb::handle self, nb::handle point) {
    double seg_eps = names::seg_epsilon.get_double();
    Vec2 p = pyu::read_xy(point);
    Vertices v = vertices(self);
    return geom::first_segment_holding(v.xy(), p, seg_eps) != geom::npos;
}

// True on the polyline as well as inside it.
bool is_point_inside(nb::handle self, nb::handle point) {
    if (own(self, Member::is_point_in_bound) && own(self, Member::is_point_on) && own(self, Member::bound)) {
        Outline o(self, false);
        check_not_empty(o);
        return code_of(o, point) != 0;
    }
    if (!pyu::truthy(call_member(self, Member::is_point_in_bound, point)))
        return false;
    if (pyu::truthy(call_member(self, Member::is_point_on, point)))
        return true;
    Outline o(self, false);
    Vec2 p = pyu::read_xy(point);
    return o.locator.odd_crossings(p, ahead_of(point, p));
}

bool is_segment_inside(nb::handle self, nb::handle segment) {
    nb::object start = pyu::get_attr(segment, key_start);
    if (!pyu::truthy(own(self, Member::is_point_inside) ? pyu::bool_obj(is_point_inside(self, start))
                                                        : call_member(self, Member::is_point_inside, start)))
        return false;
    nb::object end = pyu::get_attr(segment, key_end);
    return pyu::truthy(own(self, Member::is_point_inside) ? pyu::bool_obj(is_point_inside(self, end))
                                                          : call_member(self, Member::is_point_inside, end));
}

// Whether every vertex of the receiver lies inside (or on) the argument.
bool is_polyline_inside(nb::handle self, nb::handle other_polyline) {
    nb::object items = pyu::snapshot(points_of(self));
    Py_ssize_t n = pyu::snap_size(items);
    if (!own_tests(other_polyline)) {
        for (Py_ssize_t i = 0; i < n; ++i)
            if (!pyu::truthy(call_member(other_polyline, Member::is_point_inside, pyu::snap_item(items, i))))
                return false;
        return true;
    }
    Outline o(other_polyline, n > 8);
    for (Py_ssize_t i = 0; i < n; ++i) {
        check_not_empty(o);
        if (code_of(o, pyu::snap_item(items, i)) == 0)
            return false;
    }
    return true;
}

// bound, then on, then inside: 0 outside, 2 on the polyline, 1 inside.
int contains_point(nb::handle self, nb::handle point) {
    if (own_tests(self)) {
        if (pyu::is_point(point)) {
            Vec2 p = pyu::read_xy(point);
            geom::Tolerances tol = tolerances();
            Vertices v = vertices(self);
            if (v.size() == 0)
                pyu::raise(PyExc_ValueError, "min() arg is an empty sequence");
            return geom::position_code(v.xy(), p, {p.x + 1.0, p.y + 0.0}, tol);
        }
        Outline o(self, false);
        check_not_empty(o);
        return code_of(o, point);
    }
    if (!pyu::truthy(call_member(self, Member::is_point_in_bound, point)))
        return 0;
    if (pyu::truthy(call_member(self, Member::is_point_on, point)))
        return 2;
    if (pyu::truthy(call_member(self, Member::is_point_inside, point)))
        return 1;
    return 0;
}

// (exterior, interior, boundary): the caller's points in input order.
nb::tuple contains_points(nb::handle self, nb::handle points) {
    nb::list sorted[3];  // by code: 0 exterior, 1 interior, 2 boundary
    if (!own_tests(self)) {
        pyu::for_each_iter(points, [&](nb::handle point) {
            int code = 0;
            if (!pyu::truthy(call_member(self, Member::is_point_in_bound, point)))
                code = 0;
            else if (pyu::truthy(call_member(self, Member::is_point_on, point)))
                code = 2;
            else if (pyu::truthy(call_member(self, Member::is_point_inside, point)))
                code = 1;
            sorted[code].append(point);
            return true;
        });
        return nb::make_tuple(sorted[0], sorted[1], sorted[2]);
    }
    nb::object items = pyu::snapshot(points);
    Py_ssize_t n = pyu::snap_size(items);
    if (n > 0) {
        Outline o(self, n > 8);
        check_not_empty(o);
        for (Py_ssize_t i = 0; i < n; ++i) {
            nb::handle point = pyu::snap_item(items, i);
            sorted[code_of(o, point)].append(point);
        }
    }
    return nb::make_tuple(sorted[0], sorted[1], sorted[2]);
}

// (exterior, interior): each segment by is_segment_inside.
nb::tuple contains_segments(nb::handle self, nb::handle segments) {
    nb::list exterior, interior;
    pyu::for_each_iter(segments, [&](nb::handle segment) {
        bool inside = own(self, Member::is_segment_inside)
                          ? is_segment_inside(self, segment)
                          : pyu::truthy(call_member(self, Member::is_segment_inside, segment));
        (inside ? interior : exterior).append(segment);
        return true;
    });
    return nb::make_tuple(exterior, interior);
}

// (exterior, interior): a polyline is interior when it lies inside the
// receiver (polyline.is_polyline_inside(receiver)), as points and segments
// are sorted by lying inside it.
nb::tuple contains_polylines(nb::handle self, nb::handle polylines) {
    nb::list exterior, interior;
    pyu::for_each_iter(polylines, [&](nb::handle polyline) {
        bool inside = pyu::truthy(call_member(polyline, Member::is_polyline_inside, self));
        (inside ? interior : exterior).append(polyline);
        return true;
    });
    return nb::make_tuple(exterior, interior);
}

}  // namespace polyline
