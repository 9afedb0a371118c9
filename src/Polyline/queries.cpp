// Polyline: the segment that holds or lies nearest to a point, tangents and
// normals, the closest point and the crossings with other objects.  The
// tangent, normal and closest-point members start from the selection
// members, asked through the receiver.
#include "Polyline/polyline.hpp"

namespace polyline {

namespace {
const pyu::Key key_vector("vector"), key_normal("normal"), key_to_line("to_line"), key_closest("closest_point"),
    key_start("start"), key_end("end"), key_origin("origin"), key_direction("direction"),
    key_segments("segments"), key_crossing("intersection_with_segment");

// The segment holding the point, as an index when the selection is ours.
struct Held {
    size_t index = geom::npos;  // ours: the segment, npos when none
    nb::object segment;         // asked of the receiver: its answer
    bool asked = false;
};

Held held_segment(nb::handle self, nb::handle point, Vertices &v) {
    Held h;
    if (!own(self, Member::select_segment_containing_point)) {
        h.asked = true;
        h.segment = call_member(self, Member::select_segment_containing_point, point);
        return h;
    }
    double seg_eps = names::seg_epsilon.get_double();
    Vec2 p = pyu::read_xy(point);
    v = vertices(self);
    h.index = geom::first_segment_holding(v.xy(), p, seg_eps);
    return h;
}

bool none_held(const Held &h) { return h.asked ? h.segment.is_none() : h.index == geom::npos; }

// segment.vector of the held segment.
Vec2 held_vector(const Held &h, const Vertices &v) {
    if (h.asked) {
        nb::object vec = pyu::get_attr(h.segment, key_vector);
        return pyu::read_xy(vec);
    }
    return v.xy()[h.index + 1] - v.xy()[h.index];
}

// The direction of a tangent ray: (0, +-1) for a vertical vector (x exactly
// 0, a zero vector pointing down), (+-1, 0) for a horizontal one, else
// (1, slope) or (-1, -slope), along the segment from its start to its end.
Vec2 tangent_direction(Vec2 t) {
    if (t.x == 0)
        return t.y > 0 ? Vec2{0, 1} : Vec2{0, -1};
    if (t.y == 0)
        return t.x > 0 ? Vec2{1, 0} : Vec2{-1, 0};
    double slope = t.y / t.x;
    return t.x > 0 ? Vec2{1, slope} : Vec2{-1, -slope};
}

}  // namespace

nb::object select_segment_containing_point(nb::handle self, nb::handle point) {
    double seg_eps = names::seg_epsilon.get_double();
    Vec2 p = pyu::read_xy(point);
    Vertices v = vertices(self);
    size_t k = geom::first_segment_holding(v.xy(), p, seg_eps);
    if (k == geom::npos)
        return nb::none();
    return new_segment(v.item(k), v.item(k + 1));
}

// The earliest of the segments at the least distance; None without segments.
nb::object select_segment_close_to_point(nb::handle self, nb::handle point) {
    geom::Tolerances tol = tolerances();
    Vec2 p = pyu::read_xy(point);
    Vertices v = vertices(self);
    geom::Fault fault = geom::Fault::none;
    size_t k = geom::nearest_segment(v.xy(), p, tol, fault);
    check(fault);
    if (k == geom::npos)
        return nb::none();
    return new_segment(v.item(k), v.item(k + 1));
}

// The held segment's vector, as long as the segment.
nb::object tangent_at_point(nb::handle self, nb::handle point) {
    Vertices v;
    Held h = held_segment(self, point, v);
    if (none_held(h))
        return nb::none();
    if (h.asked)
        return pyu::get_attr(h.segment, key_vector);
    return new_vector(held_vector(h, v));
}

// The held segment's vector turned clockwise, as long as the segment.
nb::object normal_at_point(nb::handle self, nb::handle point) {
    Vertices v;
    Held h = held_segment(self, point, v);
    if (none_held(h))
        return nb::none();
    if (h.asked)
        return pyu::get_attr(h.segment, key_normal);
    Vec2 t = held_vector(h, v);
    return new_vector({t.y, -t.x});
}

nb::object tangent_ray_at_point(nb::handle self, nb::handle point) {
    Vertices v;
    Held h = held_segment(self, point, v);
    if (none_held(h))
        return nb::none();
    nb::object direction = new_vector(tangent_direction(held_vector(h, v)));
    return new_ray(point, direction);
}

nb::object tangent_line_at_point(nb::handle self, nb::handle point) {
    nb::object ray = own(self, Member::tangent_ray_at_point) ? tangent_ray_at_point(self, point)
                                                              : call_member(self, Member::tangent_ray_at_point, point);
    return ray.is_none() ? ray : pyu::call_method(ray, key_to_line);
}

// A ray along the held segment's normal, not rescaled.
nb::object normal_ray_at_point(nb::handle self, nb::handle point) {
    Vertices v;
    Held h = held_segment(self, point, v);
    if (none_held(h))
        return nb::none();
    nb::object normal;
    if (h.asked) {
        normal = pyu::get_attr(h.segment, key_normal);
    } else {
        Vec2 t = held_vector(h, v);
        normal = new_vector({t.y, -t.x});
    }
    return new_ray(point, normal);
}

nb::object normal_line_at_point(nb::handle self, nb::handle point) {
    nb::object ray = own(self, Member::normal_ray_at_point) ? normal_ray_at_point(self, point)
                                                             : call_member(self, Member::normal_ray_at_point, point);
    return ray.is_none() ? ray : pyu::call_method(ray, key_to_line);
}

// The nearest segment's closest point: the foot of the perpendicular, or
// one of the polyline's own vertices.
nb::object closest_point(nb::handle self, nb::handle point) {
    if (!own(self, Member::select_segment_close_to_point)) {
        nb::object segment = call_member(self, Member::select_segment_close_to_point, point);
        if (!segment.is_none())
            return pyu::call_method(segment, key_closest, point);
    } else {
        geom::Tolerances tol = tolerances();
        Vec2 p = pyu::read_xy(point);
        Vertices v = vertices(self);
        geom::Fault fault = geom::Fault::none;
        size_t k = geom::nearest_segment(v.xy(), p, tol, fault);
        if (k != geom::npos) {
            geom::SegmentClosest c = geom::closest_on_segment(v.xy()[k], v.xy()[k + 1], p, tol, fault);
            check(fault);
            if (c.which == geom::Nearest::start)
                return v.item(k);
            if (c.which == geom::Nearest::end)
                return v.item(k + 1);
            return new_point(c.point);
        }
        check(fault);
    }
    // No segment: the nearest of the points (the first on a tie).
    Vec2 p = pyu::read_xy(point);
    Vertices v = vertices(self, true);
    if (v.size() == 0)
        pyu::raise(PyExc_IndexError, "list index out of range");
    geom::Fault fault = geom::Fault::none;
    size_t best = 0;
    double best_d = geom::checked_distance(v.xy()[0], p, fault);
    for (size_t i = 1; i < v.size(); ++i) {
        double d = geom::checked_distance(v.xy()[i], p, fault);
        if (d < best_d) {
            best = i;
            best_d = d;
        }
    }
    check(fault);
    return v.item(best);
}

// ------------------------------------------------------------ crossings

namespace {

// The crossing points of every own segment with one probe, as the probe
// answers intersection_with_segment, without repeats (point equality).
// Our own Line, Segment and Ray are answered here while the module's Segment
// and Point are Strakel's and Flatkin's; anything else is asked, segment by
// segment.  `v` holds the receiver's points when they were read already.
nb::list crossings_with(nb::handle self, nb::handle other, const Vertices *v = nullptr) {
    nb::list found;
    PyObject *type = (PyObject *) Py_TYPE(other.ptr());
    bool ours = (type == strakel::line_type || type == strakel::segment_type || type == strakel::ray_type) &&
                names::segment.holds(strakel::segment_type) && names::point.holds(pyu::point_type);
    if (!ours) {
        nb::object items = pyu::snapshot(points_of(self));
        for (Py_ssize_t i = 0; i + 1 < pyu::snap_size(items); ++i) {
            nb::object segment = new_segment(pyu::snap_item(items, i), pyu::snap_item(items, i + 1));
            nb::object p = pyu::call_method(other, key_crossing, segment);
            if (!p.is_none() && !pyu::check_status(PySequence_Contains(found.ptr(), p.ptr())))
                found.append(p);
        }
        return found;
    }
    geom::Probe kind = type == strakel::line_type      ? geom::Probe::line
                       : type == strakel::segment_type ? geom::Probe::segment
                                                       : geom::Probe::ray;
    nb::object a_obj = pyu::get_attr(other, kind == geom::Probe::ray ? key_origin : key_start);
    nb::object b_obj = pyu::get_attr(other, kind == geom::Probe::ray ? key_direction : key_end);
    Vec2 a = pyu::read_xy(a_obj), b = pyu::read_xy(b_obj);
    geom::Tolerances tol = tolerances();
    Vertices read;
    if (!v) {
        read = vertices(self);
        v = &read;
    }
    geom::ProbeCrossings out;
    geom::probe_crossings(v->xy(), kind, a, b, tol, out);
    if (out.invalid_ray)
        pyu::raise_exception("Invalid ray");
    for (Vec2 p : out.points)
        found.append(new_point(p));
    return found;
}

}  // namespace

// The distinct crossing points in the order found: by own segment for a
// line, a ray or a segment; for a polyline, by its segment, then by own
// segment.
nb::list intersection(nb::handle self, nb::handle other) {
    nb::object cls = names::polyline.get();
    if (!pyu::check_status(PyObject_IsInstance(other.ptr(), cls.ptr())))
        return crossings_with(self, other);
    nb::list found;
    nb::object pieces = pyu::snapshot(pyu::get_attr(other, key_segments));
    bool mine = own(self, Member::intersection);
    Vertices v;
    if (mine)
        v = vertices(self);
    for (Py_ssize_t i = 0; i < pyu::snap_size(pieces); ++i) {
        nb::handle segment = pyu::snap_item(pieces, i);
        nb::object part = mine ? crossings_with(self, segment, &v) : call_member(self, Member::intersection, segment);
        pyu::for_each_iter(part, [&](nb::handle p) {
            if (!pyu::check_status(PySequence_Contains(found.ptr(), p.ptr())))
                found.append(p);
            return true;
        });
    }
    return found;
}

}  // namespace polyline
