// Polygon.Polygon: an outer Polyline and a list of holes, both the caller's
// objects, kept in the instance dictionary as `outer` and `inners`.  Most
// queries ask the outline; the holes take part in equality, hashing,
// iteration, the area, containment and the adding of holes.
//
// Holes are tested in one pass of our own code when they are our own
// Polylines of our own Points (see read_hole_for_inside): a hole whose bound
// does not hold the point cannot hold it inside, so it is not asked.
#include "Polygon/polygon.hpp"
#include "core/outline/layout.hpp"
#include "core/outline/polyline.hpp"

using namespace nb::literals;

namespace polygon {

namespace {

struct PolygonData {};
PyTypeObject *polygon_type = nullptr;

// Members of the sibling classes whose behaviour our fast roads stand in
// for, held for the process (compared by identity, never called).
struct Own {
    PyObject *is_point_inside = nullptr, *is_point_in_bound = nullptr, *bound = nullptr, *segments = nullptr;
    PyObject *segment_cls = nullptr, *segment_cross = nullptr, *contains_point = nullptr;
} own;

PyObject *held(PyObject *o) {
    Py_XINCREF(o);
    return o;
}

// Whether the segments our hole test would read are Strakel's own: both
// modules build them from Strakel's Segment, whose crossing is unchanged.
bool plain_segments() {
    if (!own.segment_cls || !names::segment.holds(own.segment_cls) || !names::polyline_segment.holds(own.segment_cls))
        return false;
    return pyu::class_attr(nb::handle(own.segment_cls), keys().intersection_with_segment) == own.segment_cross;
}

bool own_members(nb::handle hole, std::initializer_list<std::pair<const pyu::Key *, PyObject *>> members) {
    for (const auto &[key, expected] : members)
        if (!pyu::resolves_to(hole, *key, expected))
            return false;
    return true;
}

bool read_plain_hole(nb::handle hole, std::vector<Vec2> &pts) {
    nb::object points = pyu::get_attr_or_null(hole, keys().points);
    return points.is_valid() && pyu::read_exact_points(points, pts) && !pts.empty();
}

}  // namespace

void capture_sibling_members() {
    const Keys &k = keys();
    nb::object polyline = names::polyline.get();
    own.is_point_inside = pyu::remember_member(polyline, k.is_point_inside);
    own.is_point_in_bound = pyu::remember_member(polyline, k.is_point_in_bound);
    own.bound = pyu::remember_member(polyline, k.bound);
    own.segments = pyu::remember_member(polyline, k.segments);
    nb::object segment = names::segment.get();
    own.segment_cls = held(segment.ptr());
    own.segment_cross = pyu::remember_member(segment, k.intersection_with_segment);
}

bool read_hole_for_inside(nb::handle hole, std::vector<Vec2> &pts) {
    const Keys &k = keys();
    return own_members(hole, {{&k.is_point_inside, own.is_point_inside},
                              {&k.is_point_in_bound, own.is_point_in_bound},
                              {&k.bound, own.bound}}) &&
           read_plain_hole(hole, pts);
}

bool read_hole_for_crossing(nb::handle hole, std::vector<Vec2> &pts) {
    return own_members(hole, {{&keys().segments, own.segments}}) && read_plain_hole(hole, pts);
}

bool is_own_contains_point(nb::handle polygon) {
    return pyu::resolves_to(polygon, keys().contains_point, own.contains_point);
}

bool points_differ(nb::handle a, nb::handle b) {
    if (pyu::is_point(a) && pyu::is_point(b)) {
        const flat::Point &p = pyu::flat_fields(a), &q = pyu::flat_fields(b);
        return !geom::tolerant_equal(Vec2{p.x, p.y}, Vec2{q.x, q.y}, flat_eps());
    }
    nb::object result = pyu::check(PyObject_RichCompare(a.ptr(), b.ptr(), Py_NE));
    return pyu::truthy(result);
}

// Outline bound, outline inside, then no hole holding the point inside.
bool polygon_contains(nb::handle polygon, nb::handle point) {
    const Keys &k = keys();
    nb::object outer = pyu::get_attr(polygon, k.outer);
    if (!pyu::truthy(pyu::call_method(outer, k.is_point_in_bound, point)))
        return false;
    if (!pyu::truthy(pyu::call_method(outer, k.is_point_inside, point)))
        return false;
    nb::object inners = pyu::get_attr(polygon, k.inners);
    if (inners.is_none())
        return true;
    bool plain_point = pyu::is_point(point);
    Vec2 p = plain_point ? pyu::read_xy(point) : Vec2{};
    std::vector<Vec2> pts;
    bool contained = true;
    pyu::for_each_iter(inners, [&](nb::handle hole) {
        if (plain_point && read_hole_for_inside(hole, pts) && !geom::in_bound(geom::vertex_bound(pts), p))
            return true;  // outside the hole's bound: not inside it
        if (pyu::truthy(pyu::call_method(hole, k.is_point_inside, point))) {
            contained = false;
            return false;
        }
        return true;
    });
    return contained;
}

// No hole segment meets the segment point1-point2 (a new Segment for each
// test on the general road).
bool segment_misses_holes(nb::handle polygon, nb::handle point1, nb::handle point2) {
    const Keys &k = keys();
    nb::object inners = pyu::get_attr(polygon, k.inners);
    if (inners.is_none())
        return true;
    bool fast = pyu::is_flat(point1) && pyu::is_flat(point2) && plain_segments();
    Vec2 a, b;
    double fe = 0.0, se = 0.0;
    if (fast) {
        a = pyu::read_xy(point1);
        b = pyu::read_xy(point2);
        fe = flat_eps();
        se = seg_eps();
    }
    std::vector<Vec2> pts;
    bool misses = true;
    pyu::for_each_iter(inners, [&](nb::handle hole) {
        if (fast && read_hole_for_crossing(hole, pts)) {
            misses = !geom::ring_meets_segment(pts, geom::ring_box(pts), a, b, fe, se);
            return misses;
        }
        nb::object segments = pyu::get_attr(hole, k.segments);
        pyu::for_each_iter(segments, [&](nb::handle segment) {
            nb::object probe = pyu::call(names::segment.get(), point1, point2);
            if (pyu::truthy(pyu::call_method(segment, k.intersection_with_segment, probe)))
                misses = false;
            return misses;
        });
        return misses;
    });
    return misses;
}

namespace {

nb::object outer_of(nb::handle self) { return pyu::get_attr(self, keys().outer); }

void init(nb::handle self, nb::handle outer, nb::handle inners, nb::handle check) {
    pyu::check_receiver(self, (PyObject *) polygon_type, "Polygon");
    if (!nb::inst_ready(self))
        pyu::construct<PolygonData>(self, PolygonData{});
    const Keys &k = keys();
    pyu::set_attr(self, k.outer, outer);
    pyu::set_attr(self, k.inners, inners);
    if (check.ptr() == Py_True && !pyu::truthy(pyu::call_method(self, k.is_closed)))
        pyu::raise_exception("Please input closed Polyline");
}

nb::object text(nb::handle self) {
    nb::object points = pyu::get_attr(self, keys().out_points);
    nb::object body = pyu::check(PyObject_Str(points.ptr()));
    return pyu::check(PyUnicode_FromFormat("Polygon(%U)", body.ptr()));
}

nb::object out_points(nb::handle self) { return pyu::get_attr(outer_of(self), keys().points); }

nb::object inn_points(nb::handle self) {
    nb::object inners = pyu::get_attr(self, keys().inners);
    nb::list out;
    if (inners.is_none())
        return out;
    pyu::for_each_iter(inners, [&](nb::handle inner) {
        out.append(pyu::get_attr(inner, keys().points));
        return true;
    });
    return out;
}

// Outline point by point, then hole by hole; `inn_points` is built once.
bool equals(nb::handle self, nb::handle other) {
    const Keys &k = keys();
    nb::object a = pyu::get_attr(self, k.out_points), b = pyu::get_attr(other, k.out_points);
    Py_ssize_t n = pyu::length(a);
    if (n != pyu::length(b))
        return false;
    for (Py_ssize_t i = 0; i < n; ++i) {
        nb::object p = pyu::get_item(a, i), q = pyu::get_item(b, i);
        if (points_differ(p, q))
            return false;
    }
    nb::object ha = pyu::get_attr(self, k.inn_points), hb = pyu::get_attr(other, k.inn_points);
    Py_ssize_t holes = pyu::length(ha);
    if (holes != pyu::length(hb))
        return false;
    for (Py_ssize_t i = 0; i < holes; ++i) {
        nb::object pa = pyu::get_item(ha, i), pb = pyu::get_item(hb, i);
        Py_ssize_t m = pyu::length(pa);
        if (m != pyu::length(pb))
            return false;
        for (Py_ssize_t j = 0; j < m; ++j) {
            nb::object p = pyu::get_item(pa, j), q = pyu::get_item(pb, j);
            if (points_differ(p, q))
                return false;
        }
    }
    return true;
}

Py_hash_t hash(nb::handle self) {
    pyu::RecursionGuard guard(" in Polygon.__hash__");
    const Keys &k = keys();
    nb::object out = pyu::snapshot(pyu::get_attr(self, k.out_points));
    Py_hash_t out_hash = pyu::hash_of(out);
    nb::object inn = pyu::get_attr(self, k.inn_points);
    nb::list holes;
    pyu::for_each_iter(inn, [&](nb::handle pts) {
        holes.append(pyu::snapshot(pts));
        return true;
    });
    nb::object inn_tuple = pyu::check(PyList_AsTuple(holes.ptr()));
    nb::object pair = nb::make_tuple(out_hash, pyu::hash_of(inn_tuple));
    return pyu::hash_of(pair);
}

// The outline's answer, unchanged.
template <const pyu::Key Keys::*Member>
nb::object ask_outer(nb::handle self) {
    return pyu::call_method(outer_of(self), keys().*Member);
}
template <const pyu::Key Keys::*Member>
nb::object read_outer(nb::handle self) {
    return pyu::get_attr(outer_of(self), keys().*Member);
}

// The outline's area less the holes' areas, each added from 0 in order.
nb::object area(nb::handle self) {
    const Keys &k = keys();
    nb::object out_area = pyu::get_attr(outer_of(self), k.area);
    nb::object inners = pyu::get_attr(self, k.inners);
    if (inners.is_none() || pyu::length(inners) == 0)
        return out_area;
    nb::object inn_area = pyu::int_obj(0);
    pyu::for_each_iter(inners, [&](nb::handle inner) {
        nb::object a = pyu::get_attr(inner, k.area);
        inn_area = pyu::num_add(inn_area, a);
        return true;
    });
    return pyu::num_sub(out_area, inn_area);
}

void add_inner(nb::handle self, nb::handle inner) {
    const Keys &k = keys();
    if (pyu::get_attr(self, k.inners).is_none()) {
        nb::list fresh;
        pyu::set_attr(self, k.inners, fresh);
    }
    nb::object inners = pyu::get_attr(self, k.inners);
    pyu::call_method(inners, k.append, inner);
}

nb::object is_point_on(nb::handle self, nb::handle point) {
    return pyu::call_method(outer_of(self), keys().is_point_on, point);
}

void nothing(nb::handle) {}

bool points_equal(nb::handle a, nb::handle b) {
    if (pyu::is_point(a) && pyu::is_point(b))
        return !points_differ(a, b);
    return pyu::truthy(pyu::check(PyObject_RichCompare(a.ptr(), b.ptr(), Py_EQ)));
}

// The points where the segments of a loop meet, in walk order: each segment
// gives the end it shares with the segment before it (its start when it
// shares both or neither), the last one also its other end.  A loop's walk
// may leave shared pieces turned round, so the start points alone do not
// always run round the loop; for segments head to tail they are the same.
nb::list loop_points(nb::handle loop) {
    const Keys &k = keys();
    nb::object items = pyu::snapshot(loop);
    Py_ssize_t n = pyu::snap_size(items);
    if (n == 0)
        pyu::raise(PyExc_IndexError, "list index out of range");
    std::vector<nb::object> starts((size_t) n), ends((size_t) n);
    for (Py_ssize_t i = 0; i < n; ++i) {
        starts[(size_t) i] = pyu::get_attr(pyu::snap_item(items, i), k.start);
        ends[(size_t) i] = pyu::get_attr(pyu::snap_item(items, i), k.end);
    }
    nb::list points;
    nb::object other;
    for (size_t i = 0; i < (size_t) n; ++i) {
        size_t b = (i + (size_t) n - 1) % (size_t) n;
        bool turned = !(points_equal(starts[i], starts[b]) || points_equal(starts[i], ends[b])) &&
                      (points_equal(ends[i], starts[b]) || points_equal(ends[i], ends[b]));
        points.append(turned ? ends[i] : starts[i]);
        other = turned ? starts[i] : ends[i];
    }
    points.append(other);
    return points;
}

// One polyline per loop, on the loop's own Point objects.
nb::list get_polygons(nb::handle segments) {
    nb::object loops = pyu::call_method(segments, keys().get_polygons);
    nb::list out;
    pyu::for_each_iter(loops, [&](nb::handle loop) {
        out.append(pyu::call(names::polyline.get(), loop_points(loop)));
        return true;
    });
    return out;
}

const char *iter_source =
    "def __iter__(self):\n"
    "    yield self.outer\n"
    "    if self.inners is None:\n"
    "        return\n"
    "    for inner in self.inners:\n"
    "        yield inner\n";

}  // namespace

void bind_polygon(nb::module_ &m) {
    pyu::Class<PolygonData> cls(m, "Polygon", DOC(Polygon));
    cls.attr("BOUND", nb::str("ABB"))
        .init(&init, DOC(Polygon, __init__), "outer"_a, "inners"_a = nb::none(), "check"_a = true)
        .method("__repr__", &text, DOC(Polygon, __repr__))
        .property("out_points", &out_points, DOC(Polygon, out_points))
        .property("inn_points", &inn_points, DOC(Polygon, inn_points))
        .method("__eq__", &equals, DOC(Polygon, __eq__), "other"_a)
        .method("__hash__", &hash, DOC(Polygon, __hash__))
        .attr("__iter__", pyu::python_function(iter_source, "__iter__", "Polygon.__iter__", "Polygon",
                                               DOC(Polygon, __iter__)))
        .method("is_closed", &ask_outer<&Keys::is_closed>, DOC(Polygon, is_closed))
        .method("is_self_intersecting", &ask_outer<&Keys::is_self_intersecting>, DOC(Polygon, is_self_intersecting))
        .property("centroid", &read_outer<&Keys::centroid>, DOC(Polygon, centroid))
        .property("area", &area, DOC(Polygon, area))
        .property("bound", &read_outer<&Keys::bound>, DOC(Polygon, bound))
        .property("perimeter", &read_outer<&Keys::length>, DOC(Polygon, perimeter))
        .method("is_clockwise", &read_outer<&Keys::is_clockwise>, DOC(Polygon, is_clockwise))
        .method("is_convex", &ask_outer<&Keys::is_convex>, DOC(Polygon, is_convex))
        .method("add_inner", &add_inner, DOC(Polygon, add_inner), "inner"_a)
        .method("is_point_on", &is_point_on, DOC(Polygon, is_point_on), "point"_a)
        .method("move", &nothing, DOC(Polygon, move))
        .method("rotate", &nothing, DOC(Polygon, rotate))
        .method("scale", &nothing, DOC(Polygon, scale))
        .method("contains_point", &polygon_contains, DOC(Polygon, contains_point), "point"_a)
        .static_method("get_polygons", &get_polygons, DOC(Polygon, get_polygons), "segments"_a);
    polygon_type = cls.type();
    own.contains_point = pyu::remember_member(cls.cls(), keys().contains_point);
}

}  // namespace polygon
