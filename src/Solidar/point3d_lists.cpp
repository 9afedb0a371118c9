// Point3d's queries over point lists and its random points.  Each gives the
// answer of the plain left-to-right scan it stands for: strict tests, the
// earliest element wins, results are the list's own elements.  Lists of our
// own points with finite coordinates take the core's grid and sweep; any
// other list is read once, on a snapshot or item by item.
#include "Solidar/solidar.hpp"
#include "core/mesh/point3_set.hpp"

#include <cmath>
#include <vector>

namespace solidar::point_lists {
namespace {

const pyu::Key key_random("random"), key_uniform("uniform");

// The coordinates of a list or tuple whose items are all our own exact
// Point3d, read without running Python code.  With `finite_only`, a NaN or
// infinite coordinate refuses the list too.
bool plain_points(nb::handle points, std::vector<Vec3> &out, bool finite_only) {
    if (!pyu::is_list_or_tuple(points))
        return false;
    Py_ssize_t n = PySequence_Fast_GET_SIZE(points.ptr());
    PyObject **items = PySequence_Fast_ITEMS(points.ptr());
    out.resize((size_t) n);
    for (Py_ssize_t i = 0; i < n; ++i) {
        if (!pyu::is_point3d(items[i]))
            return false;
        const solid::Point3d &p = pyu::solid_fields(items[i]);
        if (finite_only && !(std::isfinite(p.x) && std::isfinite(p.y) && std::isfinite(p.z)))
            return false;
        out[(size_t) i] = {p.x, p.y, p.z};
    }
    return true;
}

bool all_finite(const std::vector<Vec3> &pts) {
    for (Vec3 p : pts)
        if (!(std::isfinite(p.x) && std::isfinite(p.y) && std::isfinite(p.z)))
            return false;
    return true;
}

nb::object item_at(nb::handle points, size_t i) { return pyu::get_item(points, (Py_ssize_t) i); }

nb::list items_at(const pyu::Point3List &list, const std::vector<size_t> &positions) {
    nb::list out;
    for (size_t i : positions)
        out.append(list.item(i));
    return out;
}

// Scans points[0], then points[1:], keeping the element for which
// better(element, candidate) holds: the earliest wins ties.  Returns the
// element and its position.
template <class Better>
std::pair<nb::object, Py_ssize_t> scan_best(nb::handle points, Better &&better) {
    nb::object best = pyu::get_item(points, 0);
    Py_ssize_t best_id = 0;
    pyu::SeqTail tail = pyu::tail_items(points, 1);
    Py_ssize_t shift = 1 - tail.start;  // positions in the caller's list
    pyu::for_each_item(tail.seq, tail.start, [&](Py_ssize_t i, nb::handle p) {
        if (better(p, best)) {
            best = nb::borrow(p);
            best_id = i + shift;
        }
        return true;
    });
    return {best, best_id};
}

std::pair<nb::object, Py_ssize_t> extreme(nb::handle points, bool greater) {
    std::vector<Vec3> pts;
    if (plain_points(points, pts, false) && !pts.empty()) {
        double e = eps();
        size_t i = greater ? geom::max_index(pts, e) : geom::min_index(pts, e);
        return {item_at(points, i), (Py_ssize_t) i};
    }
    return scan_best(points, [greater](nb::handle p, nb::handle best) { return tolerant_order(p, best, greater); });
}

// Nearest (sign 1) or farthest (sign -1) by the distance from the target.
nb::object by_distance(nb::handle target, nb::handle points, int sign) {
    std::vector<Vec3> pts;
    if (plain_points(points, pts, false) && !pts.empty()) {
        Vec3 t = xyz(target);
        size_t i = checked(sign > 0 ? geom::nearest_index(t, pts) : geom::farthest_index(t, pts));
        return item_at(points, i);
    }
    nb::object first = pyu::get_item(points, 0);
    Vec3 t = xyz(target);
    double best = checked(geom::distance(t, xyz(first)));
    return scan_best(points, [&](nb::handle p, nb::handle) {
               double d = checked(geom::distance(t, xyz(p)));
               if (sign > 0 ? d < best : d > best) {
                   best = d;
                   return true;
               }
               return false;
           }).first;
}

}  // namespace

nb::object find_nearest_point(nb::handle target, nb::handle points) { return by_distance(target, points, 1); }
nb::object find_farthest_point(nb::handle target, nb::handle points) { return by_distance(target, points, -1); }
nb::object get_min_point(nb::handle points) { return extreme(points, false).first; }
Py_ssize_t get_min_point_id(nb::handle points) { return extreme(points, false).second; }
nb::object get_max_point(nb::handle points) { return extreme(points, true).first; }
Py_ssize_t get_max_point_id(nb::handle points) { return extreme(points, true).second; }

// Each point is compared with the points kept so far only.
nb::list remove_duplicate_points(nb::handle points) {
    pyu::Point3List list = pyu::read_points3(points, true);
    double e = eps();
    if (all_finite(list.coords) && geom::grid_usable(list.coords, e))
        return items_at(list, geom::first_of_each_group(list.coords, e, pyu::interrupt()));
    std::vector<size_t> kept;
    geom::Interrupt stop = pyu::interrupt();
    for (size_t i = 0; i < list.size(); ++i) {
        bool twin = false;
        for (size_t k : kept)
            if (stop.tick(), geom::tolerant_equal(list.coords[i], list.coords[k], e)) {
                twin = true;
                break;
            }
        if (!twin)
            kept.push_back(i);
    }
    return items_at(list, kept);
}

// points.count(p) == 1: the sequence's own count, identity first, then ==.
// A list or tuple of our own finite points counts by tolerant equality on
// the grid; anything else asks its own count.
nb::list select_unique_points(nb::handle points) {
    std::vector<Vec3> pts;
    double e = eps();
    bool exact = PyList_CheckExact(points.ptr()) || PyTuple_CheckExact(points.ptr());
    if (exact && plain_points(points, pts, true) && geom::grid_usable(pts, e)) {
        nb::list selected;
        for (size_t i : geom::points_without_twin(pts, e, pyu::interrupt()))
            selected.append(item_at(points, i));
        return selected;
    }
    return pyu::items_counted_once(points);
}

long count_point_occurrences(nb::handle target, nb::handle points) {
    std::vector<Vec3> pts;
    if (plain_points(points, pts, false))
        return (long) geom::count_equal(xyz(target), pts, eps());
    long count = 0;
    pyu::for_each_iter(points, [&](nb::handle p) {
        count += is_equal(target, p);
        return true;
    });
    return count;
}

// Stops at the first match: later elements are not read.
bool is_has_same_point(nb::handle target, nb::handle points) {
    std::vector<Vec3> pts;
    if (plain_points(points, pts, false))
        return geom::any_equal(xyz(target), pts, eps());
    return !pyu::for_each_iter(points, [&](nb::handle p) { return !is_equal(target, p); });
}

bool is_has_duplicate_points(nb::handle points) {
    pyu::Point3List list = pyu::read_points3(points);
    double e = eps();
    if (all_finite(list.coords) && geom::grid_usable(list.coords, e))
        return geom::has_tolerant_pair(list.coords, e, pyu::interrupt());
    geom::Interrupt stop = pyu::interrupt();
    for (size_t i = 0; i < list.size(); ++i)
        for (size_t j = i + 1; j < list.size(); ++j)
            if (stop.tick(), geom::tolerant_equal(list.coords[i], list.coords[j], e))
                return true;
    return false;
}

// The first pair (i < j) at the least distance.  Points whose differences
// may overflow, NaN and infinities take the quadratic scan itself.
nb::object find_nearest_two_points(nb::handle points) {
    pyu::Point3List list = pyu::read_points3(points, true);
    if (geom::coordinates_below(list.coords, geom::closest_pair_limit)) {
        auto pair = geom::closest_pair(list.coords, pyu::interrupt());
        if (!pair)
            return nb::make_tuple(nb::none(), nb::none());
        return nb::make_tuple(list.item(pair->first), list.item(pair->second));
    }
    double best = INFINITY;
    nb::object first = nb::none(), second = nb::none();
    geom::Interrupt stop = pyu::interrupt();
    for (size_t i = 0; i < list.size(); ++i)
        for (size_t j = i + 1; j < list.size(); ++j) {
            stop.tick();
            double d = checked(geom::distance(list.coords[i], list.coords[j]));
            if (d < best) {
                best = d;
                first = list.item(i);
                second = list.item(j);
            }
        }
    return nb::make_tuple(first, second);
}

nb::object find_center(nb::handle points) {
    Vec3 sum{0.0, 0.0, 0.0};
    pyu::for_each_iter(points, [&](nb::handle p) {
        sum.x += pyu::get_x(p);
        sum.y += pyu::get_y(p);
        sum.z += pyu::get_z(p);
        return true;
    });
    double n = (double) pyu::length(points);
    double x = pyu::divide(sum.x, n), y = pyu::divide(sum.y, n);
    return new_point3d({x, y, pyu::divide(sum.z, n)});
}

// ------------------------------------------------------- random points

// x, then y, then z drawn by np.random.uniform(range[0], range[1]).
nb::object random_point(nb::handle x_range, nb::handle y_range, nb::handle z_range) {
    double v[3];
    nb::handle ranges[3] = {x_range, y_range, z_range};
    nb::object drawn[3];
    for (int k = 0; k < 3; ++k) {
        nb::object uniform = pyu::get_attr(pyu::get_attr(np.get(), key_random), key_uniform);
        nb::object lo = pyu::get_item(ranges[k], 0), hi = pyu::get_item(ranges[k], 1);
        drawn[k] = pyu::call(uniform, lo, hi);
    }
    for (int k = 0; k < 3; ++k)
        v[k] = pyu::as_double(drawn[k]);
    return new_point3d({v[0], v[1], v[2]});
}

nb::list random_points(nb::handle num_points, nb::handle x_range, nb::handle y_range, nb::handle z_range) {
    // range(num_points): an integer count, checked before anything is drawn.
    Py_ssize_t n = pyu::range_count(num_points);
    pyu::checked_size(n, sizeof(PyObject *) + sizeof(solid::Point3d) + 32);
    geom::Interrupt stop = pyu::interrupt();
    nb::list points;
    for (Py_ssize_t i = 0; i < n; ++i) {
        stop.tick();
        points.append(random_point(x_range, y_range, z_range));
    }
    return points;
}

}  // namespace solidar::point_lists
