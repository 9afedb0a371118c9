// Flatkin.Point: a planar point with tolerant equality and the queries over
// point lists.  Every operation takes its receiver and its points as plain
// handles: our own Point and Vector are read through their C++ fields, any
// other object through its `x` and `y` attributes.
#include "Flatkin/flatkin.hpp"
#include "core/planar/point_set.hpp"

#include <algorithm>
#include <cmath>
#include <vector>

using namespace nb::literals;
using geom::Vec2;

namespace flatkin {
namespace {

// ------------------------------------------------------------ value

// All four coordinates are read before any comparison.
bool is_equal(nb::handle self, nb::handle other) {
    Vec2 a = xy(self), b = xy(other);
    return geom::tolerant_equal(a, b, eps());
}

const pyu::Key key_x("x"), key_y("y"), key_random("random"), key_uniform("uniform"),
    key_choice("choice"), key_scatter("scatter"), key_annotate("annotate"), key_show("show"), key_round("round");

nb::object round_point(nb::handle self, nb::handle n) {
    nb::object x = pyu::get_attr(self, key_x), y = pyu::get_attr(self, key_y);
    double rx, ry;
    long digits = 0;
    bool plain = PyFloat_CheckExact(x.ptr()) && PyFloat_CheckExact(y.ptr()) && PyLong_CheckExact(n.ptr());
    if (plain) {
        int overflow = 0;
        digits = PyLong_AsLongAndOverflow(n.ptr(), &overflow);
        plain = !overflow && digits > -10000 && digits < 10000;
    }
    if (plain) {
        rx = pyu::py_round(PyFloat_AS_DOUBLE(x.ptr()), (int) digits);
        ry = pyu::py_round(PyFloat_AS_DOUBLE(y.ptr()), (int) digits);
    } else {
        nb::object round = pyu::get_attr(pyu::import("builtins"), key_round);
        rx = pyu::py_float(pyu::call(round, x, n));
        ry = pyu::py_float(pyu::call(round, y, n));
    }
    return new_point({rx, ry});
}

nb::object add(nb::handle self, nb::handle other) {
    double x = pyu::get_x(self) + pyu::py_float_x(other);
    double y = pyu::get_y(self) + pyu::py_float_y(other);
    return new_point({x, y});
}

nb::object sub(nb::handle self, nb::handle other) {
    double x = pyu::get_x(self) - pyu::py_float_x(other);
    double y = pyu::get_y(self) - pyu::py_float_y(other);
    return new_vector({x, y});
}

bool is_greater(nb::handle self, nb::handle other) { return geom::tolerant_greater(xy(self), xy(other), eps()); }
bool is_less(nb::handle self, nb::handle other) { return geom::tolerant_less(xy(self), xy(other), eps()); }
double distance_to_point(nb::handle self, nb::handle other) { return distance(xy(self), xy(other)); }

// ------------------------------------------------------- list queries

// The coordinates of a list or tuple whose items are all our own Point: the
// lists the fast paths below read without a Python call.  With
// `finite_only`, a NaN or infinite coordinate refuses the list too.
bool plain_points(nb::handle points, std::vector<Vec2> &out, bool finite_only = true) {
    if (!pyu::read_exact_points(points, out))
        return false;
    return !finite_only || std::all_of(out.begin(), out.end(), [](Vec2 p) {
        return std::isfinite(p.x) && std::isfinite(p.y);
    });
}

nb::object item_at(nb::handle points, size_t i) { return pyu::get_item(points, (Py_ssize_t) i); }

// Scans points[0], then points[1:], keeping the element for which
// better(candidate, current) holds strictly: the earliest wins ties.
// Returns the element and its position.
template <class Better>
std::pair<nb::object, Py_ssize_t> scan_best(nb::handle points, Better &&better) {
    std::vector<Vec2> pts;
    if (plain_points(points, pts, false) && !pts.empty()) {
        size_t best = 0;
        for (size_t i = 1; i < pts.size(); ++i)
            if (better(pts[i], pts[best]))
                best = i;
        return {item_at(points, best), (Py_ssize_t) best};
    }
    nb::object best = pyu::get_item(points, 0);
    Vec2 best_xy = xy(best);
    Py_ssize_t best_id = 0;
    pyu::SeqTail tail = pyu::tail_items(points, 1);
    Py_ssize_t shift = 1 - tail.start;  // positions in the caller's list
    pyu::for_each_item(tail.seq, tail.start, [&](Py_ssize_t i, nb::handle p) {
        Vec2 candidate = xy(p);
        if (better(candidate, best_xy)) {
            best = nb::borrow(p);
            best_xy = candidate;
            best_id = i + shift;
        }
        return true;
    });
    return {best, best_id};
}

std::pair<nb::object, Py_ssize_t> min_point(nb::handle points) {
    double e = eps();
    return scan_best(points, [e](Vec2 p, Vec2 cur) { return geom::tolerant_less(p, cur, e); });
}
std::pair<nb::object, Py_ssize_t> max_point(nb::handle points) {
    double e = eps();
    return scan_best(points, [e](Vec2 p, Vec2 cur) { return geom::tolerant_greater(p, cur, e); });
}

// Nearest (sign 1) or farthest (sign -1): the distance to the target decides,
// strictly, so the earliest of equally distant points wins.
nb::object find_by_distance(nb::handle target, nb::handle points, int sign) {
    nb::object first = pyu::get_item(points, 0);
    Vec2 t = xy(target);
    double best = distance(t, xy(first));
    return scan_best(points, [&](Vec2 p, Vec2) {
               // The exact distance squares with pow; the product differs
               // from it by an ulp or two at most, so a point clearly worse
               // than the best so far is passed over without it.
               double dx = t.x - p.x, dy = t.y - p.y;
               double quick = std::sqrt(dx * dx + dy * dy);
               if (std::isfinite(quick) && (sign > 0 ? quick > best * (1 + 1e-12) : quick < best * (1 - 1e-12)))
                   return false;
               double d = distance(t, p);
               if (sign > 0 ? d < best : d > best) {
                   best = d;
                   return true;
               }
               return false;
           }).first;
}

nb::object calculate_slope(nb::handle p1, nb::handle p2) {
    std::optional<double> s = geom::slope(xy(p1), xy(p2), eps());
    return s ? pyu::float_obj(*s) : nb::none();
}

nb::list remove_duplicate_points(nb::handle points) {
    nb::list unique;
    std::vector<Vec2> pts;
    double e = eps();
    if (plain_points(points, pts) && geom::grid_usable(pts, e)) {
        for (size_t i : geom::first_of_each_group(pts, e, pyu::interrupt()))
            unique.append(item_at(points, i));
        return unique;
    }
    // Any iterable, any objects: compare with the points kept so far.
    std::vector<Vec2> kept;
    geom::Interrupt stop = pyu::interrupt();
    pyu::for_each_iter(points, [&](nb::handle p) {
        Vec2 a = xy(p);
        for (Vec2 b : kept) {
            stop.tick();
            if (geom::tolerant_equal(a, b, e))
                return true;
        }
        unique.append(p);
        kept.push_back(a);
        return true;
    });
    return unique;
}

nb::list select_unique_points(nb::handle points) {
    nb::list selected;
    std::vector<Vec2> pts;
    double e = eps();
    if (plain_points(points, pts) && geom::grid_usable(pts, e)) {
        for (size_t i : geom::points_without_twin(pts, e, pyu::interrupt()))
            selected.append(item_at(points, i));
        return selected;
    }
    return pyu::items_counted_once(points);
}

long count_point_occurrences(nb::handle target, nb::handle points) {
    long count = 0;
    pyu::for_each_iter(points, [&](nb::handle p) {
        count += is_equal(target, p);
        return true;
    });
    return count;
}

bool is_has_same_point(nb::handle target, nb::handle points) {
    return !pyu::for_each_iter(points, [&](nb::handle p) { return !is_equal(target, p); });
}

bool is_has_duplicate_points(nb::handle points) {
    std::vector<Vec2> pts;
    double e = eps();
    if (plain_points(points, pts) && geom::grid_usable(pts, e))
        return geom::has_tolerant_pair(pts, e, pyu::interrupt());
    Py_ssize_t n = PyObject_Length(points.ptr());
    if (n < 0)
        pyu::raise_current();
    geom::Interrupt stop = pyu::interrupt();
    for (Py_ssize_t i = 0; i < n; ++i) {
        nb::object p = pyu::get_item(points, i);
        pyu::SeqTail tail = pyu::tail_items(points, i + 1);
        bool found = !pyu::for_each_item(tail.seq, tail.start, [&](Py_ssize_t, nb::handle q) {
            stop.tick();
            return !is_equal(p, q);
        });
        if (found)
            return true;
    }
    return false;
}

nb::object find_nearest_two_points(nb::handle points) {
    std::vector<Vec2> pts;
    if (plain_points(points, pts) && geom::coordinates_below(pts, 1e150)) {
        auto pair = geom::closest_pair(pts, pyu::interrupt());
        if (!pair)
            return nb::make_tuple(nb::none(), nb::none());
        return nb::make_tuple(item_at(points, pair->first), item_at(points, pair->second));
    }
    // Every pair (i, j), i < j, in order; the strict test keeps the earliest.
    double best = INFINITY;
    nb::object first = nb::none(), second = nb::none();
    Py_ssize_t i = 0;
    geom::Interrupt stop = pyu::interrupt();
    pyu::for_each_iter(points, [&](nb::handle p) {
        pyu::SeqTail tail = pyu::tail_items(points, i + 1);
        Vec2 a = xy(p);
        pyu::for_each_item(tail.seq, tail.start, [&](Py_ssize_t, nb::handle q) {
            stop.tick();
            double d = distance(a, xy(q));
            if (d < best) {
                best = d;
                first = nb::borrow(p);
                second = nb::borrow(q);
            }
            return true;
        });
        ++i;
        return true;
    });
    return nb::make_tuple(first, second);
}

// ------------------------------------------------- random points

nb::object random_point(nb::handle x_range, nb::handle y_range) {
    nb::object random = pyu::get_attr(np.get(), key_random);
    nb::object uniform = pyu::get_attr(random, key_uniform);
    nb::object x0 = pyu::get_item(x_range, 0), x1 = pyu::get_item(x_range, 1);
    nb::object x = pyu::call(uniform, x0, x1);
    nb::object y0 = pyu::get_item(y_range, 0), y1 = pyu::get_item(y_range, 1);
    nb::object y = pyu::call(uniform, y0, y1);
    double px = pyu::py_float(x);
    return new_point({px, pyu::py_float(y)});
}

nb::list random_points(nb::handle num_points, nb::handle x_range, nb::handle y_range) {
    // range(num_points): an integer (or __index__) count; 0 or less is empty.
    Py_ssize_t n = pyu::range_count(num_points);
    // A list slot and a point per item: a count no memory could hold is
    // refused before anything is drawn.
    pyu::checked_size(n, sizeof(PyObject *) + sizeof(flat::Point) + 32);
    geom::Interrupt stop = pyu::interrupt();
    nb::list points;
    for (Py_ssize_t i = 0; i < n; ++i) {
        stop.tick();
        points.append(random_point(x_range, y_range));
    }
    return points;
}

// --------------------------------------------- transformations

nb::object rotate(nb::handle self, nb::handle angle, nb::handle center) {
    double a = pyu::as_double(angle);
    Vec2 c = xy(center), p = xy(self);
    Vec2 v = p - c;
    CosSin cs = np_cos_sin(a);
    double rx = cs.c * v.x - cs.s * v.y, ry = cs.s * v.x + cs.c * v.y;
    return new_point({rx + c.x, ry + c.y});
}

nb::object move(nb::handle self, nb::handle vector) {
    Vec2 p = xy(self), v = xy(vector);
    return new_point({p.x + v.x, p.y + v.y});
}

nb::object copy(nb::handle self) {
    double x = pyu::py_float_x(self);
    return new_point({x, pyu::py_float_y(self)});
}

nb::object find_center(nb::handle points) {
    double sx = 0.0, sy = 0.0;
    pyu::for_each_iter(points, [&](nb::handle p) {
        sx += pyu::get_x(p);
        sy += pyu::get_y(p);
        return true;
    });
    Py_ssize_t n = PyObject_Length(points.ptr());
    if (n < 0)
        pyu::raise_current();
    double x = pyu::divide(sx, (double) n);
    return new_point({x, pyu::divide(sy, (double) n)});
}

nb::object tween(nb::handle self, nb::handle point2, nb::handle t) {
    double k = pyu::as_double(t);
    Vec2 a = xy(self), b = xy(point2);
    return new_point({a.x + (b.x - a.x) * k, a.y + (b.y - a.y) * k});
}

void plot_points(nb::handle points_in, nb::handle show) {
    nb::object points = nb::borrow(points_in);
    if (PyObject_TypeCheck(points.ptr(), pyu::point_type)) {
        nb::list one;
        one.append(points);
        points = one;
    }
    nb::list xs = pyu::attr_of_each(points, key_x);
    nb::list ys = pyu::attr_of_each(points, key_y);
    nb::list colors;
    for (const char *c : {"b", "g", "r", "c", "m", "y", "k"})
        colors.append(nb::str(c));
    nb::object random = pyu::get_attr(np.get(), key_random);
    nb::object color = pyu::call_method(random, key_choice, colors);
    nb::object pyplot = plt.get();
    nb::object scatter = pyu::get_attr(pyplot, key_scatter);
    scatter(xs, ys, "c"_a = color);
    if (!pyu::truthy(show))
        return;
    long i = 0;
    pyu::for_each_iter(points, [&](nb::handle p) {
        nb::object x = pyu::get_attr(p, key_x), y = pyu::get_attr(p, key_y);
        nb::object label = nb::str(std::to_string(++i).c_str());
        nb::object at = nb::make_tuple(x, y);
        pyu::call_method(pyplot, key_annotate, label, at);
        return true;
    });
    pyu::call_method(pyplot, key_show);
}

}  // namespace

void bind_point(nb::module_ &m) {
    nb::object range = nb::make_tuple(-10, 10);  // one shared default
    pyu::Class<flat::Point> cls(m, "Point", DOC(Point), {}, nb::pooled());
    cls.coordinates({{"x", &flat::Point::x}, {"y", &flat::Point::y}})
        .init([](nb::handle self, nb::handle x, nb::handle y) {
                  init<flat::Point>(self, x, y, (PyObject *) pyu::point_type, "Point");
              },
              DOC(Point, __init__), "x"_a, "y"_a)
        .method("__repr__", [](nb::handle self) { return text(self, "Point"); }, DOC(Point, __repr__))
        .method("__hash__", &hash, DOC(Point, __hash__))
        .method("__eq__", &is_equal, DOC(Point, __eq__), "other"_a)
        .method("__round__", &round_point, DOC(Point, __round__), "n"_a = 2)
        .method("__add__", &add, DOC(Point, __add__), "other"_a)
        .method("__sub__", &sub, DOC(Point, __sub__), "other"_a)
        .method("is_equal", &is_equal, DOC(Point, is_equal), "other"_a)
        .method("is_greater", &is_greater, DOC(Point, is_greater), "other"_a)
        .method("is_less", &is_less, DOC(Point, is_less), "other"_a)
        .method("distance_to_point", &distance_to_point, DOC(Point, distance_to_point), "other"_a)
        .static_method("find_nearest_point", [](nb::handle t, nb::handle pts) { return find_by_distance(t, pts, 1); },
                       DOC(Point, find_nearest_point), "target_point"_a, "points"_a)
        .static_method("find_farthest_point",
                       [](nb::handle t, nb::handle pts) { return find_by_distance(t, pts, -1); },
                       DOC(Point, find_farthest_point), "target_point"_a, "points"_a)
        .static_method("calculate_slope", &calculate_slope, DOC(Point, calculate_slope), "point1"_a, "point2"_a)
        .static_method("remove_duplicate_points", &remove_duplicate_points, DOC(Point, remove_duplicate_points),
                       "points"_a)
        .static_method("select_unique_points", &select_unique_points, DOC(Point, select_unique_points), "points"_a)
        .static_method("count_point_occurrences", &count_point_occurrences, DOC(Point, count_point_occurrences),
                       "target_point"_a, "points"_a)
        .static_method("is_has_duplicate_points", &is_has_duplicate_points, DOC(Point, is_has_duplicate_points),
                       "points"_a)
        .static_method("is_has_same_point", &is_has_same_point, DOC(Point, is_has_same_point), "target_point"_a,
                       "points"_a)
        .static_method("zero", []() { return new_point({0.0, 0.0}); }, DOC(Point, zero))
        .static_method("get_min_point", [](nb::handle pts) { return min_point(pts).first; }, DOC(Point, get_min_point),
                       "points"_a)
        .static_method("get_min_point_id", [](nb::handle pts) { return min_point(pts).second; },
                       DOC(Point, get_min_point_id), "points"_a)
        .static_method("get_max_point", [](nb::handle pts) { return max_point(pts).first; }, DOC(Point, get_max_point),
                       "points"_a)
        .static_method("get_max_point_id", [](nb::handle pts) { return max_point(pts).second; },
                       DOC(Point, get_max_point_id), "points"_a)
        .static_method("generate_random_points", &random_points, DOC(Point, generate_random_points), "num_points"_a,
                       "x_range"_a = range, "y_range"_a = range)
        .static_method("find_nearest_two_points", &find_nearest_two_points, DOC(Point, find_nearest_two_points),
                       "points"_a)
        .method("rotate", &rotate, DOC(Point, rotate), "angle"_a, "center"_a)
        .method("move", &move, DOC(Point, move), "vector"_a)
        .method("copy", &copy, DOC(Point, copy))
        .static_method("random_point", &random_point, DOC(Point, random_point), "x_range"_a = range,
                       "y_range"_a = range)
        .static_method("random_points", &random_points, DOC(Point, random_points), "num_points"_a,
                       "x_range"_a = range, "y_range"_a = range)
        .static_method("find_center", &find_center, DOC(Point, find_center), "points"_a)
        .method("tween", &tween, DOC(Point, tween), "point2"_a, "t"_a)
        .static_method("plot_points", &plot_points, DOC(Point, plot_points), "points"_a, "show"_a = true);
}

}  // namespace flatkin
