// Flatkin.Point: a planar point with tolerant equality and the queries over
// point lists.  Every operation takes its receiver and its points as plain
// handles: our own Point and Vector are read through their C++ fields, any
// other object through its `x` and `y` attributes.
#include "Flatkin/flatkin.hpp"
#include "pyutil/method.hpp"
#include "core/point_set.hpp"

#include <cmath>
#include <vector>

using namespace nb::literals;
using geom::Vec2;

namespace flatkin {
namespace {

// float(obj.x) / float(obj.y): the built-in conversion, text included.
double float_attr(nb::handle h, const char *name) {
    if (pyu::is_flat(h))
        return name[0] == 'x' ? pyu::flat_fields(h).x : pyu::flat_fields(h).y;
    return pyu::py_float(h.attr(name));
}

// ------------------------------------------------------------ value

// All four coordinates are read before any comparison.
bool is_equal(nb::handle self, nb::handle other) {
    Vec2 a = xy(self), b = xy(other);
    return geom::tolerant_equal(a, b, eps());
}

nb::object round_point(nb::handle self, nb::handle n) {
    nb::object x = self.attr("x"), y = self.attr("y");
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
        nb::object round = pyu::builtins().attr("round");
        rx = pyu::py_float(round(x, n));
        ry = pyu::py_float(round(y, n));
    }
    return pyu::make_point(rx, ry);
}

nb::object add(nb::handle self, nb::handle other) {
    double x = pyu::get_x(self) + float_attr(other, "x");
    double y = pyu::get_y(self) + float_attr(other, "y");
    return pyu::make_point(x, y);
}

nb::object sub(nb::handle self, nb::handle other) {
    double x = pyu::get_x(self) - float_attr(other, "x");
    double y = pyu::get_y(self) - float_attr(other, "y");
    return pyu::make_vector(x, y);
}

bool is_greater(nb::handle self, nb::handle other) { return geom::tolerant_greater(xy(self), xy(other), eps()); }
bool is_less(nb::handle self, nb::handle other) { return geom::tolerant_less(xy(self), xy(other), eps()); }
double distance_to_point(nb::handle self, nb::handle other) { return distance(xy(self), xy(other)); }

// ------------------------------------------------------- list queries

// The coordinates of a list or tuple whose items are all our own Point: the
// lists the fast paths below read without a Python call.  With
// `finite_only`, a NaN or infinite coordinate refuses the list too.
bool plain_points(nb::handle points, std::vector<Vec2> &out, bool finite_only = true) {
    if (!pyu::is_list_or_tuple(points))
        return false;
    Py_ssize_t n = PySequence_Fast_GET_SIZE(points.ptr());
    PyObject **items = PySequence_Fast_ITEMS(points.ptr());
    out.resize((size_t) n);
    for (Py_ssize_t i = 0; i < n; ++i) {
        if (!pyu::is_point(items[i]))
            return false;
        const flat::Point &p = pyu::flat_fields(items[i]);
        if (finite_only && (!std::isfinite(p.x) || !std::isfinite(p.y)))
            return false;
        out[(size_t) i] = {p.x, p.y};
    }
    return true;
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
        for (size_t i : geom::first_of_each_group(pts, e))
            unique.append(item_at(points, i));
        return unique;
    }
    // Any iterable, any objects: compare with the points kept so far.
    std::vector<Vec2> kept;
    pyu::for_each_iter(points, [&](nb::handle p) {
        Vec2 a = xy(p);
        for (Vec2 b : kept)
            if (geom::tolerant_equal(a, b, e))
                return true;
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
        for (size_t i : geom::points_without_twin(pts, e))
            selected.append(item_at(points, i));
        return selected;
    }
    // points.count(p) == 1: the sequence's own count, identity first, then ==.
    nb::object count = points.attr("count");
    pyu::for_each_iter(points, [&](nb::handle p) {
        nb::object c = count(p);
        if (PyLong_CheckExact(c.ptr()) && PyLong_AsLong(c.ptr()) == 1)
            selected.append(p);
        return true;
    });
    return selected;
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
        return geom::has_tolerant_pair(pts, e);
    Py_ssize_t n = PyObject_Length(points.ptr());
    if (n < 0)
        pyu::raise_current();
    for (Py_ssize_t i = 0; i < n; ++i) {
        nb::object p = pyu::get_item(points, i);
        pyu::SeqTail tail = pyu::tail_items(points, i + 1);
        bool found = !pyu::for_each_item(tail.seq, tail.start, [&](Py_ssize_t, nb::handle q) { return !is_equal(p, q); });
        if (found)
            return true;
    }
    return false;
}

nb::object find_nearest_two_points(nb::handle points) {
    std::vector<Vec2> pts;
    if (plain_points(points, pts) && geom::coordinates_below(pts, 1e150)) {
        auto pair = geom::closest_pair(pts);
        if (!pair)
            return nb::make_tuple(nb::none(), nb::none());
        return nb::make_tuple(item_at(points, pair->first), item_at(points, pair->second));
    }
    // Every pair (i, j), i < j, in order; the strict test keeps the earliest.
    double best = INFINITY;
    nb::object first = nb::none(), second = nb::none();
    Py_ssize_t i = 0;
    pyu::for_each_iter(points, [&](nb::handle p) {
        pyu::SeqTail tail = pyu::tail_items(points, i + 1);
        Vec2 a = xy(p);
        pyu::for_each_item(tail.seq, tail.start, [&](Py_ssize_t, nb::handle q) {
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
    nb::object uniform = np.get().attr("random").attr("uniform");
    nb::object x = uniform(pyu::get_item(x_range, 0), pyu::get_item(x_range, 1));
    nb::object y = uniform(pyu::get_item(y_range, 0), pyu::get_item(y_range, 1));
    double px = pyu::py_float(x);
    return pyu::make_point(px, pyu::py_float(y));
}

nb::list random_points(nb::handle num_points, nb::handle x_range, nb::handle y_range) {
    // range(num_points): an integer (or __index__) count; 0 or less is empty.
    Py_ssize_t n = pyu::range_count(num_points);
    nb::list points;
    for (Py_ssize_t i = 0; i < n; ++i)
        points.append(random_point(x_range, y_range));
    return points;
}

// --------------------------------------------- transformations

nb::object rotate(nb::handle self, nb::handle angle, nb::handle center) {
    double a = pyu::as_double(angle);
    Vec2 c = xy(center), p = xy(self);
    Vec2 v = p - c;
    CosSin cs = np_cos_sin(a);
    double rx = cs.c * v.x - cs.s * v.y, ry = cs.s * v.x + cs.c * v.y;
    return pyu::make_point(rx + c.x, ry + c.y);
}

nb::object move(nb::handle self, nb::handle vector) {
    Vec2 p = xy(self), v = xy(vector);
    return pyu::make_point(p.x + v.x, p.y + v.y);
}

nb::object copy(nb::handle self) {
    if (pyu::is_flat(self))
        return pyu::make_point(pyu::flat_fields(self).x, pyu::flat_fields(self).y);
    double x = pyu::py_float(self.attr("x"));
    return pyu::make_point(x, pyu::py_float(self.attr("y")));
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
    return pyu::make_point(x, pyu::divide(sy, (double) n));
}

nb::object tween(nb::handle self, nb::handle point2, nb::handle t) {
    double k = pyu::as_double(t);
    Vec2 a = xy(self), b = xy(point2);
    return pyu::make_point(a.x + (b.x - a.x) * k, a.y + (b.y - a.y) * k);
}

void plot_points(nb::handle points_in, nb::handle show) {
    nb::object points = nb::borrow(points_in);
    if (PyObject_TypeCheck(points.ptr(), pyu::point_type)) {
        nb::list one;
        one.append(points);
        points = one;
    }
    nb::list xs, ys;
    pyu::for_each_iter(points, [&](nb::handle p) {
        nb::object x = p.attr("x");
        xs.append(x);
        return true;
    });
    pyu::for_each_iter(points, [&](nb::handle p) {
        nb::object y = p.attr("y");
        ys.append(y);
        return true;
    });
    nb::list colors;
    for (const char *c : {"b", "g", "r", "c", "m", "y", "k"})
        colors.append(nb::str(c));
    nb::object color = np.get().attr("random").attr("choice")(colors);
    nb::handle pyplot = plt.get();
    pyplot.attr("scatter")(xs, ys, "c"_a = color);
    int truth = PyObject_IsTrue(show.ptr());
    if (truth < 0)
        pyu::raise_current();
    if (!truth)
        return;
    long i = 0;
    pyu::for_each_iter(points, [&](nb::handle p) {
        nb::object x = p.attr("x"), y = p.attr("y");
        pyplot.attr("annotate")(nb::str(std::to_string(++i).c_str()), nb::make_tuple(x, y));
        return true;
    });
    pyplot.attr("show")();
}

}  // namespace

void bind_point(nb::module_ &m) {
    nb::object default_range = nb::make_tuple(-10, 10);  // one shared default
    auto cls = nb::class_<flat::Point>(m, "Point", nb::dynamic_attr(), nb::pooled());
    // Methods of two or more parameters name their receiver `self` (a keyword
    // like any other) and accept any object there, None included.
    auto method = [&](const char *name, auto f, auto... args) {
        pyu::def_method(cls, name, f, "self"_a.none(), args...);
    };
    cls.def("__init__", [](nb::handle self, nb::handle x, nb::handle y) { init(self, x, y, pyu::point_type); },
            "x"_a.none(), "y"_a.none())
        .def("__repr__", [](nb::handle self) { return text(self, "Point"); })
        .def("__hash__", &hash);
    method("__eq__", &is_equal, "other"_a.none());
    method("__round__", &round_point, "n"_a.none() = 2);
    method("__add__", &add, "other"_a.none());
    method("__sub__", &sub, "other"_a.none());
    method("is_equal", &is_equal, "other"_a.none());
    method("is_greater", &is_greater, "other"_a.none());
    method("is_less", &is_less, "other"_a.none());
    method("distance_to_point", &distance_to_point, "other"_a.none());
    cls.def_static("find_nearest_point", [](nb::handle t, nb::handle pts) { return find_by_distance(t, pts, 1); },
                   "target_point"_a.none(), "points"_a.none())
        .def_static("find_farthest_point", [](nb::handle t, nb::handle pts) { return find_by_distance(t, pts, -1); },
                    "target_point"_a.none(), "points"_a.none())
        .def_static("calculate_slope", &calculate_slope, "point1"_a.none(), "point2"_a.none())
        .def_static("remove_duplicate_points", &remove_duplicate_points)
        .def_static("select_unique_points", &select_unique_points)
        .def_static("count_point_occurrences", &count_point_occurrences, "target_point"_a.none(), "points"_a.none())
        .def_static("is_has_duplicate_points", &is_has_duplicate_points)
        .def_static("is_has_same_point", &is_has_same_point, "target_point"_a.none(), "points"_a.none())
        .def_static("zero", []() { return pyu::make_point(0.0, 0.0); })
        .def_static("get_min_point", [](nb::handle pts) { return min_point(pts).first; })
        .def_static("get_min_point_id", [](nb::handle pts) { return min_point(pts).second; })
        .def_static("get_max_point", [](nb::handle pts) { return max_point(pts).first; })
        .def_static("get_max_point_id", [](nb::handle pts) { return max_point(pts).second; })
        .def_static("generate_random_points", &random_points, "num_points"_a.none(),
                    "x_range"_a.none() = default_range, "y_range"_a.none() = default_range)
        .def_static("find_nearest_two_points", &find_nearest_two_points);
    method("rotate", &rotate, "angle"_a.none(), "center"_a.none());
    method("move", &move, "vector"_a.none());
    cls.def("copy", &copy)
        .def_static("random_point", &random_point, "x_range"_a.none() = default_range,
                    "y_range"_a.none() = default_range)
        .def_static("random_points", &random_points, "num_points"_a.none(), "x_range"_a.none() = default_range,
                    "y_range"_a.none() = default_range)
        .def_static("find_center", &find_center);
    method("tween", &tween, "point2"_a.none(), "t"_a.none());
    cls.def_static("plot_points", &plot_points, "points"_a.none(), "show"_a.none() = true);
}

}  // namespace flatkin
