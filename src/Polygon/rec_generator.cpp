// Polygon.RecGenerator: places rectangles of given sizes on grid points
// inside a polygon.  The grid list and the polygon are the caller's objects
// and change in place: used and rejected points leave the grid, and every
// placed rectangle's clearance zone joins the polygon's holes.
//
// A try asks the outline through its own methods (nearest point, turn sum,
// inside tests) and tests the holes in one pass of our own code where they
// are our own Polylines of our own Points (polygon.cpp); members the Parts
// call through the receiver run directly only while they are still ours.
#include "Polygon/polygon.hpp"

#include <vector>

using namespace nb::literals;

namespace polygon {

namespace {

struct RecData {};
PyTypeObject *rec_type = nullptr;

const pyu::Key k_grid("grid"), k_polygon("polygon"), k_size("size"), k_random_generate("random_generate"),
    k_vec_i("vec_i"), k_vec_j("vec_j"), k_typ("typ"), k_rec_lst("rec_lst");

// The generator's own members, for calls made through the receiver.
struct Own {
    PyObject *is_intersection = nullptr, *contain_func = nullptr, *get_a_rec = nullptr;
} own;

// The tries one rectangle gets, and the sides' clearance distances, the
// first along vec_j, for a rectangle that runs clockwise.
constexpr int max_tries = 1000;
constexpr long clearance[4] = {-10, -18, -10, -18};

void init(nb::handle self, nb::handle grid, nb::handle polygon, nb::handle size, nb::handle random_generate,
          nb::handle vec_i, nb::handle vec_j, nb::handle typ) {
    pyu::check_receiver(self, (PyObject *) rec_type, "RecGenerator");
    if (!nb::inst_ready(self))
        pyu::construct<RecData>(self, RecData{});
    pyu::set_attr(self, k_grid, grid);
    pyu::set_attr(self, k_polygon, polygon);
    pyu::set_attr(self, k_size, size);
    pyu::set_attr(self, k_random_generate, random_generate);
    pyu::set_attr(self, k_vec_i, vec_i);
    pyu::set_attr(self, k_vec_j, vec_j);
    pyu::set_attr(self, k_typ, typ);
    nb::list recs;
    pyu::set_attr(self, k_rec_lst, recs);
}

nb::object polygon_of(nb::handle self) { return pyu::get_attr(self, k_polygon); }

bool is_intersection(nb::handle self, nb::handle point1, nb::handle point2) {
    return segment_misses_holes(polygon_of(self), point1, point2);
}

bool call_is_intersection(nb::handle self, nb::handle point1, nb::handle point2) {
    if (pyu::resolves_to(self, keys().is_intersection, own.is_intersection))
        return is_intersection(self, point1, point2);
    return pyu::truthy(pyu::call_method(self, keys().is_intersection, point1, point2));
}

bool contain_func(nb::handle self, nb::handle point1, nb::handle point2) {
    nb::object outer = pyu::get_attr(polygon_of(self), keys().outer);
    if (!pyu::truthy(pyu::call_method(outer, keys().is_point_inside, point2)))
        return false;
    return call_is_intersection(self, point1, point2);
}

bool call_contain_func(nb::handle self, nb::handle point1, nb::handle point2) {
    if (pyu::resolves_to(self, keys().contain_func, own.contain_func))
        return contain_func(self, point1, point2);
    return pyu::truthy(pyu::call_method(self, keys().contain_func, point1, point2));
}

bool contains(nb::handle polygon, nb::handle point) {
    if (is_own_contains_point(polygon))
        return polygon_contains(polygon, point);
    return pyu::truthy(pyu::call_method(polygon, keys().contains_point, point));
}

// `point + vector * length` as Point and Vector arithmetic gives it.
nb::object step(nb::handle point, nb::handle vector, nb::handle length) {
    if (pyu::is_point(point) && pyu::is_vector(vector)) {
        double l = pyu::as_double(length);
        Vec2 p = pyu::read_xy(point), v = pyu::read_xy(vector);
        return new_point({p.x + v.x * l, p.y + v.y * l});
    }
    nb::object offset = pyu::num_mul(vector, length);
    return pyu::num_add(point, offset);
}

// grid.remove(point): the first item that is the point or equals it.  A
// list of our own Points is searched here (no Python code runs); anything
// else asks the list.
void grid_remove(nb::handle grid, nb::handle point) {
    if (PyList_CheckExact(grid.ptr()) && pyu::is_point(point)) {
        Vec2 p = pyu::read_xy(point);
        double eps = flat_eps();
        Py_ssize_t n = PyList_GET_SIZE(grid.ptr());
        geom::Interrupt stop = pyu::interrupt();
        for (Py_ssize_t i = 0; i < n; ++i) {
            stop.tick();
            PyObject *item = PyList_GET_ITEM(grid.ptr(), i);
            if (item != point.ptr()) {
                if (!pyu::is_point(item))
                    break;  // an item of another kind: the list compares it
                const flat::Point &q = pyu::flat_fields(item);
                if (!geom::tolerant_equal(Vec2{q.x, q.y}, p, eps))
                    continue;
            }
            pyu::check_status(PySequence_DelItem(grid.ptr(), i));
            return;
        }
    }
    pyu::call_method(grid, keys().remove, point);
}

// vec_j turned a quarter: clockwise whenever the outline's turn sum is
// non-zero, whatever its sign; counter-clockwise only for a sum of 0.
nb::object quarter_turn(nb::handle self) {
    const Keys &k = keys();
    nb::object outer = pyu::get_attr(polygon_of(self), k.outer);
    bool turn_sum = pyu::truthy(pyu::get_attr(outer, k.is_clockwise));
    nb::object angle = pyu::call_method(names::math.get(), k.radians, pyu::int_obj(90));
    if (turn_sum)
        angle = pyu::check(PyNumber_Negative(angle.ptr()));
    nb::object vec_j = pyu::get_attr(self, k_vec_j);
    return pyu::call_method(vec_j, k.rotate, angle);
}

// vec_j from the outline's nearest point to the origin (along the edge
// through the origin when it lies on the outline), vec_i a quarter turn of it.
void face_outline(nb::handle self, nb::handle origin) {
    const Keys &k = keys();
    nb::object outer = pyu::get_attr(polygon_of(self), k.outer);
    nb::object foot = pyu::call_method(outer, k.closest_point, origin);
    nb::object v = pyu::num_sub(origin, foot);
    nb::object zero = pyu::call(names::vector.get(), pyu::float_obj(0.0), pyu::float_obj(0.0));
    if (pyu::truthy(pyu::check(PyObject_RichCompare(v.ptr(), zero.ptr(), Py_EQ)))) {
        nb::object segments = pyu::get_attr(pyu::get_attr(polygon_of(self), k.outer), k.segments);
        pyu::for_each_iter(segments, [&](nb::handle segment) {
            if (!pyu::truthy(pyu::call_method(segment, k.is_point_on, foot)))
                return true;
            v = pyu::get_attr(segment, k.vector);
            return false;
        });
    }
    pyu::set_attr(self, k_vec_j, pyu::get_attr(v, k.unit_vector));
    pyu::set_attr(self, k_vec_i, quarter_turn(self));
}

// The grid point of a try, or null when no point is left to try.
nb::object draw(nb::handle self, Py_ssize_t id) {
    nb::object grid = pyu::get_attr(self, k_grid);
    if (pyu::truthy(pyu::get_attr(self, k_random_generate))) {
        if (pyu::length(grid) == 0)
            return nb::object();
        return pyu::call_method(names::r.get(), keys().choice, grid);
    }
    if (id >= pyu::length(grid))
        return nb::object();
    return pyu::get_item(grid, id);
}

// Records the rectangle and adds its clearance zone to the polygon as a hole.
void accept(nb::handle self, nb::handle origin, nb::handle p1, nb::handle p2, nb::handle p3) {
    const Keys &k = keys();
    grid_remove(pyu::get_attr(self, k_grid), origin);
    nb::list corners;
    for (nb::handle p : {origin, p1, p2, p3, origin})
        corners.append(p);
    nb::object n_poly = pyu::call(names::polyline.get(), corners);
    // The zone lies outside the rectangle whichever way it runs: the
    // distances change sign for a counter-clockwise one.
    nb::object turns = pyu::get_attr(n_poly, k.is_clockwise);
    long sign = pyu::num_gt(turns, pyu::int_obj(0)) ? -1 : 1;
    nb::list distances;
    for (long d : clearance)
        distances.append(pyu::int_obj(sign * d));
    nb::object inner = pyu::call_method(n_poly, k.unequal_offset, distances);
    pyu::call_method(pyu::get_attr(self, k_rec_lst), k.append, n_poly);
    pyu::call_method(polygon_of(self), k.add_inner, inner);
}

void get_a_rec(nb::handle self, nb::handle length_i, nb::handle length_j) {
    nb::object one = pyu::int_obj(1);
    Py_ssize_t id = 0;
    geom::Interrupt stop = pyu::interrupt();
    for (int count = 0; count < max_tries; ++count) {
        stop.poll();  // a try asks the polygon about four edges: worth a poll each
        nb::object origin = draw(self, id);
        if (!origin.is_valid())
            return;  // no grid point left to try: as after the last try
        ++id;
        if (pyu::num_eq(pyu::get_attr(self, k_typ), one))
            face_outline(self, origin);
        if (!contains(polygon_of(self), origin)) {
            grid_remove(pyu::get_attr(self, k_grid), origin);
            continue;
        }
        nb::object p1 = step(origin, pyu::get_attr(self, k_vec_j), length_j);
        if (!call_contain_func(self, origin, p1))
            continue;
        nb::object p2 = step(p1, pyu::get_attr(self, k_vec_i), length_i);
        if (!call_contain_func(self, p1, p2))
            continue;
        nb::object back = pyu::check(PyNumber_Negative(length_j.ptr()));
        nb::object p3 = step(p2, pyu::get_attr(self, k_vec_j), back);
        if (!call_contain_func(self, p2, p3))
            continue;
        if (!call_is_intersection(self, p3, origin))
            continue;
        accept(self, origin, p1, p2, p3);
        return;
    }
}

// The first of the outline's longest segments.
nb::object longest_edge(nb::handle outer) {
    const Keys &k = keys();
    nb::object segments = pyu::get_attr(outer, k.segments);
    nb::object best, best_length;
    pyu::for_each_iter(segments, [&](nb::handle segment) {
        nb::object length = pyu::get_attr(segment, k.length);
        if (!best.is_valid() || pyu::num_gt(length, best_length)) {
            best = nb::borrow(segment);
            best_length = length;
        }
        return true;
    });
    if (!best.is_valid())
        pyu::raise(PyExc_ValueError, "max() arg is an empty sequence");
    return best;
}

// Drops, from the end, the grid points the polygon no longer contains.
void clean_grid(nb::handle self) {
    nb::object grid = pyu::get_attr(self, k_grid);
    nb::object polygon = polygon_of(self);
    geom::Interrupt stop = pyu::interrupt();
    for (Py_ssize_t i = pyu::length(grid) - 1; i >= 0; --i) {
        stop.poll();  // a containment test per point, holes and all
        nb::object point = pyu::get_item(grid, i);
        if (!contains(polygon, point))
            grid_remove(grid, pyu::get_item(grid, i));
    }
}

nb::object get_recs(nb::handle self, nb::handle clean_points) {
    const Keys &k = keys();
    if (pyu::num_eq(pyu::get_attr(self, k_typ), pyu::int_obj(2))) {
        nb::object edge = longest_edge(pyu::get_attr(polygon_of(self), k.outer));
        nb::object direction = pyu::get_attr(edge, k.vector);
        pyu::set_attr(self, k_vec_j, pyu::get_attr(direction, k.unit_vector));
        pyu::set_attr(self, k_vec_i, quarter_turn(self));
    }
    bool clean = pyu::num_eq(clean_points, pyu::int_obj(0));
    nb::object sizes = pyu::get_attr(self, k_size);
    pyu::for_each_iter(sizes, [&](nb::handle entry) {
        nb::object length_i = pyu::get_item(entry, 0), length_j = pyu::get_item(entry, 1);
        if (pyu::resolves_to(self, k.get_a_rec, own.get_a_rec))
            get_a_rec(self, length_i, length_j);
        else
            pyu::call_method(self, k.get_a_rec, length_i, length_j);
        if (clean)
            clean_grid(self);
        return true;
    });
    return pyu::get_attr(self, k_rec_lst);
}

}  // namespace

void bind_rec_generator(nb::module_ &m) {
    nb::object vector = names::vector.get();
    nb::object vec_i = pyu::call(vector, pyu::int_obj(0), pyu::int_obj(1));  // made once, shared
    nb::object vec_j = pyu::call(vector, pyu::int_obj(1), pyu::int_obj(0));
    pyu::Class<RecData> cls(m, "RecGenerator", DOC(RecGenerator));
    cls.init(&init, DOC(RecGenerator, __init__), "grid"_a, "polygon"_a, "size"_a, "random_generate"_a = false, "vec_i"_a = vec_i,
             "vec_j"_a = vec_j, "typ"_a = 1)
        .method("is_intersection", &is_intersection, DOC(RecGenerator, is_intersection), "point1"_a, "point2"_a)
        .method("contain_func", &contain_func, DOC(RecGenerator, contain_func), "point1"_a, "point2"_a)
        .method("get_a_rec", &get_a_rec, DOC(RecGenerator, get_a_rec), "length_i"_a, "length_j"_a)
        .method("get_recs", &get_recs, DOC(RecGenerator, get_recs), "clean_points"_a = 1);
    rec_type = cls.type();
    const Keys &k = keys();
    own.is_intersection = pyu::remember_member(cls.cls(), k.is_intersection);
    own.contain_func = pyu::remember_member(cls.cls(), k.contain_func);
    own.get_a_rec = pyu::remember_member(cls.cls(), k.get_a_rec);
}

}  // namespace polygon
