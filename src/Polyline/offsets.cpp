// Polyline: offsets by one distance and by one distance per edge, with the
// cleaning of straight vertices and the collapse limits they rest on.  A
// positive distance moves an edge to the right of its direction of travel.
#include "Polyline/polyline.hpp"
#include "core/outline/offset.hpp"

#include <string>

namespace polyline {

namespace {
const pyu::Key key_close("close");

[[noreturn]] void index_error() { pyu::raise(PyExc_IndexError, "list index out of range"); }

// One Polyline cannot hold an offset that falls apart, and one part alone
// would silently lose the others.
[[noreturn]] void split_error(bool is_closed, size_t parts, size_t holes) {
    auto count = [](size_t k, const char *one, const char *many) {
        return std::to_string(k) + " " + (k == 1 ? one : many);
    };
    std::string text = std::string("The offset splits the ") + (is_closed ? "outline" : "polyline") + " into " +
                       count(parts, "part", "parts");
    if (holes != 0)
        text += " around " + count(holes, "hole", "holes");
    pyu::raise(PyExc_ValueError, (text + ".").c_str());
}
}  // namespace

// The points without their interior vertices whose two edges are exactly
// parallel (straight on, doubling back, or of zero length); the first and
// last points are always kept.  The receiver's own objects.
nb::list find_discontinuity(nb::handle self) {
    Vertices v = vertices(self, true);
    if (v.size() == 0)
        index_error();
    nb::list out;
    for (size_t i : geom::without_straight_vertices(v.xy()))
        out.append(v.item(i));
    return out;
}

// {segment index: the offset distance at which it shrinks to nothing}.
nb::dict degenerate_distance(nb::handle self) {
    double flat_eps = names::flat_epsilon.get_double();
    Vertices v = vertices(self);
    bool is_closed = v.size() >= 3 && closed(self);
    geom::Fault fault = geom::Fault::none;
    std::vector<double> limits = geom::collapse_limits(v.xy(), is_closed, flat_eps, fault);
    check(fault);
    nb::dict table;
    for (size_t i = 0; i < limits.size(); ++i)
        pyu::check_status(PyDict_SetItem(table.ptr(), pyu::int_obj((long) i).ptr(), pyu::float_obj(limits[i]).ptr()));
    return table;
}

// The mitred offset by `distance` (the order reversed for a negative one).
// IndexError when it is empty, ValueError when it falls apart.
nb::object offset(nb::handle self, nb::handle distance_arg) {
    double distance = pyu::as_double(distance_arg);
    std::vector<Vec2> cleaned;
    if (own(self, Member::find_discontinuity)) {
        Vertices v = vertices(self);
        if (v.size() == 0)
            index_error();
        for (size_t i : geom::without_straight_vertices(v.xy()))
            cleaned.push_back(v.xy()[i]);
    } else {
        nb::object pts = call_member(self, Member::find_discontinuity);
        cleaned = pyu::read_points(pts).coords;
    }
    bool is_closed = closed(self);
    geom::Tolerances tol = tolerances();
    geom::OffsetResult r = geom::offset_polyline(cleaned, is_closed, distance, tol, pyu::interrupt());
    check(r.fault);
    if (r.crosses_itself)
        pyu::raise(PyExc_ValueError, "The outline crosses itself, so it has no offset past the collapse of an edge.");
    if (r.no_edge)
        pyu::raise(PyExc_IndexError, "The offset distance collapses the outline.");
    if (r.parts != 1 || r.holes != 0)
        split_error(is_closed, r.parts, r.holes);
    nb::list out;
    nb::object first = new_point(r.points.front());
    out.append(first);
    for (size_t i = 1; i + 1 < r.points.size(); ++i)
        out.append(new_point(r.points[i]));
    out.append(r.same_ends ? first : new_point(r.points.back()));
    return new_polyline(out);
}

// Each segment's line moved by its own distance and crossed with the next
// (the last with the first), starting at the image of the second point, and
// closed.  Lines of equal slope meet at their moved shared vertex or, when
// apart, are joined through both moved ends.
nb::object unequal_offset(nb::handle self, nb::handle dis_lst) {
    geom::Tolerances tol = tolerances();
    Vertices v = vertices(self);
    Py_ssize_t n = v.size() < 2 ? 0 : (Py_ssize_t) v.size() - 1;
    if (pyu::length(dis_lst) != n)
        pyu::raise(PyExc_IndexError, "Length of dis_lst does not match the number of segments in the polyline.");
    std::vector<double> distances((size_t) n);
    for (Py_ssize_t i = 0; i < n; ++i)
        distances[(size_t) i] = pyu::as_double(pyu::get_item(dis_lst, i));
    geom::Fault fault = geom::Fault::none;
    std::vector<Vec2> corners = geom::unequal_offset_corners(v.xy(), distances, tol, fault);
    check(fault);
    nb::list out;
    for (Vec2 c : corners)
        out.append(new_point(c));
    return pyu::call_method(new_polyline(out), key_close);
}

}  // namespace polyline
