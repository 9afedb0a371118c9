// Polyline: the enclosed area, turn sums, winding codes and convexity.
// Turns are cross products of consecutive segment vectors, compared with 0
// exactly.
#include "Polyline/polyline.hpp"

namespace polyline {

namespace {
[[noreturn]] void index_error() { pyu::raise(PyExc_IndexError, "list index out of range"); }
}  // namespace

// Unsigned area of a closed polyline, its cross products taken about its
// first point: a room drawn at site coordinates keeps every digit.
double area(nb::handle self) {
    if (!closed(self))
        pyu::raise(PyExc_ValueError, "Polyline must be closed to calculate area.");
    Vertices v = vertices(self);
    return std::fabs(geom::twice_area_from_first(v.xy())) / 2;
}

// The signed sum of the turns at every vertex, the last segment paired with
// the first even when the polyline is open (the int 0 without segments).
nb::object is_clockwise(nb::handle self) {
    Vertices v = vertices(self);
    if (v.size() < 2)
        return pyu::int_obj(0);
    return pyu::float_obj(geom::turn_sum(v.xy()));
}

// The winding code of the first three points: 0 clockwise, 1 counter-
// clockwise, 2 collinear, None for a NaN turn; the generic Exception
// "Point Overlap" when two of them are equal.
nb::object simple_wise(nb::handle self) {
    nb::object points = points_of(self);
    nb::object p0 = pyu::get_item(points, 0), p1 = pyu::get_item(points, 1);
    if (points_equal(p0, p1))
        pyu::raise_exception("Point Overlap");
    nb::object p2 = pyu::get_item(points, 2);
    if (points_equal(p1, p2) || points_equal(p0, p2))
        pyu::raise_exception("Point Overlap");
    Vec2 a = pyu::read_xy(p0), b = pyu::read_xy(p1), c = pyu::read_xy(p2);
    double turn = geom::cross(b - a, c - b);
    if (turn < 0)
        return pyu::int_obj(0);
    if (turn > 0)
        return pyu::int_obj(1);
    if (turn == 0)
        return pyu::int_obj(2);
    return nb::none();
}

// By the sign of the enclosed area: 0 clockwise, 1 counter-clockwise, 2
// otherwise.
int wise(nb::handle self) {
    bool is_closed = closed(self);
    Vertices v = vertices(self);
    if (v.size() < 2) {
        if (!is_closed)
            index_error();  // an open polyline reads its first segment
        return 2;
    }
    return geom::winding_code(v.xy());
}

nb::object start_vector(nb::handle self) {
    nb::object points = points_of(self);
    nb::object a = pyu::get_item(points, 0), b = pyu::get_item(points, 1);
    Vec2 p = pyu::read_xy(a), q = pyu::read_xy(b);
    return new_vector(q - p);
}

nb::object end_vector(nb::handle self) {
    nb::object points = points_of(self);
    nb::object a = pyu::get_item(points, -2), b = pyu::get_item(points, -1);
    Vec2 p = pyu::read_xy(a), q = pyu::read_xy(b);
    return new_vector(q - p);
}

// Fewer than four points are convex; zero turns are skipped, and the turn at
// the closing vertex of a closed polyline counts like the others.
bool is_convex(nb::handle self) {
    Vertices v = vertices(self);
    return geom::is_convex(v.xy(), v.size() >= 4 && closed(self));
}

}  // namespace polyline
