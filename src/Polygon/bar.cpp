// Polygon.Bar: a strip of constant width between two rails, built from the
// rails or from an axis and a width, and the static tools that cut axes
// where other polylines come near and shorten sets of axes.  Attributes are
// plain instance attributes; the rails, axes and cut pieces are asked
// through their own methods.
//
// Cut points: get_cutter measures every pair of nearest points along the
// axis; each point is measured once (its position along the axis does not
// change between pairs), and the pairs are compared in plain doubles.
#include "Polygon/polygon.hpp"
#include "core/outline/layout.hpp"
#include "core/outline/offset.hpp"

#include <algorithm>
#include <cmath>
#include <string>
#include <vector>

using namespace nb::literals;

namespace polygon {

namespace {

struct BarData {};
PyTypeObject *bar_type = nullptr;

const pyu::Key k_rail1("rail1"), k_rail2("rail2"), k_axis("axis"), k_diameter("diameter"), k_radius("radius"),
    k_geo("geo"), k_construct("_construct"), k_tween("tween"), k_select("select_segment_close_to_point"),
    k_to_line("to_line"), k_distance_to_point("distance_to_point"), k_offset("offset"), k_loft("loft"),
    k_evaluate_point("evaluate_point"), k_break_by_tuple("break_by_tuple"), k_get_remain("get_remain"),
    k_get_cutter("get_cutter"), k_break_by_tuples("break_by_tuples"), k_break_by_parameter("break_by_parameter"),
    k_sorted("sorted"), k_getitem("__getitem__"), k_attrgetter("attrgetter");

void init(nb::handle self, nb::handle rail1, nb::handle rail2, nb::handle axis, nb::handle diameter) {
    pyu::check_receiver(self, (PyObject *) bar_type, "Bar");
    if (!nb::inst_ready(self))
        pyu::construct<BarData>(self, BarData{});
    pyu::set_attr(self, k_rail1, rail1);
    pyu::set_attr(self, k_rail2, rail2);
    pyu::set_attr(self, k_axis, axis);
    pyu::set_attr(self, k_diameter, diameter);
    // A bar built from its rails needs no width: the rails give it.
    nb::object radius = diameter.is_none() ? nb::none() : pyu::num_div(diameter, pyu::float_obj(2.0));
    pyu::set_attr(self, k_radius, radius);
    pyu::set_attr(self, k_geo, pyu::call_method(self, k_construct));
}

nb::object attr(nb::handle self, const pyu::Key &key) { return pyu::get_attr(self, key); }

// Rails that run the same way: their starts and their ends pair up closer
// than each start with the other's end.
bool same_way(nb::handle rail1, nb::handle rail2) {
    const Keys &k = keys();
    Vec2 s1 = pyu::read_xy(pyu::get_attr(rail1, k.start)), e1 = pyu::read_xy(pyu::get_attr(rail1, k.end));
    Vec2 s2 = pyu::read_xy(pyu::get_attr(rail2, k.start)), e2 = pyu::read_xy(pyu::get_attr(rail2, k.end));
    using geom::magnitude;
    return magnitude(s1 - s2) + magnitude(e1 - e2) < magnitude(s1 - e2) + magnitude(e1 - s2);
}

// A new polyline on the rail's points in reverse order; the rail keeps its own.
nb::object reversed_copy(nb::handle rail) {
    nb::object points = pyu::get_attr(rail, keys().points);
    nb::object step = pyu::int_obj(-1);
    nb::object backwards = pyu::check(PySlice_New(nullptr, nullptr, step.ptr()));
    nb::object reversed = pyu::check(PyObject_GetItem(points.ptr(), backwards.ptr()));
    return pyu::call(names::polyline.get(), reversed);
}

// The axis's points without its straight vertices.
std::vector<Vec2> cleaned_axis(const std::vector<Vec2> &pts) {
    std::vector<Vec2> cleaned;
    for (size_t i : geom::without_straight_vertices(pts))
        cleaned.push_back(pts[i]);
    return cleaned;
}

// A new polyline on new points, each moved by `by`.
nb::object polyline_of(const std::vector<Vec2> &points, Vec2 by = {}) {
    nb::list out;
    for (Vec2 p : points)
        out.append(new_point(p + by));
    return pyu::call(names::polyline.get(), out);
}

// A bar is built about its axis's first point: the axis moved there is
// offset, its strip measured and its corners found, and the results moved
// back.  So a bar drawn at site coordinates (UTM metres, millimetres) is the
// bar drawn at the origin, moved, to the last place: the offset's mitres
// and the strip's tests would otherwise lose to the coordinates' size the
// digits the width needs.  An axis of fewer than two points, or one not
// finite, is offset where it stands.
struct AxisFrame {
    std::vector<Vec2> points;  // the axis less `origin`
    Vec2 origin;
    bool local = false;
};

AxisFrame axis_frame(nb::handle axis) {
    AxisFrame f;
    f.points = pyu::read_points(pyu::get_attr(axis, keys().points)).coords;
    if (f.points.size() < 2 || !std::all_of(f.points.begin(), f.points.end(), [](Vec2 p) {
            return std::isfinite(p.x) && std::isfinite(p.y);
        }))
        return f;
    f.origin = f.points.front();
    for (Vec2 &p : f.points)
        p = p - f.origin;
    f.local = true;
    return f;
}

std::vector<Vec2> moved(std::vector<Vec2> points, Vec2 by) {
    for (Vec2 &p : points)
        p = p - by;
    return points;
}

// The offset refusing past a collapse: nothing left, or pieces.  An error
// whose text cannot be read is not one.
bool refuses(nb::python_error &e) {
    bool index = e.matches(PyExc_IndexError);
    if (!index && !e.matches(PyExc_ValueError))
        return false;
    std::string text;
    try {
        text = pyu::str_of(e.value());
    } catch (nb::python_error &) {
        return false;
    }
    if (index)
        return text == "The offset distance collapses the outline.";
    const std::string split = "The offset splits the polyline into ";
    return text.compare(0, split.size(), split) == 0;
}

// A rail of a bar around its axis: the axis offset by `distance`.  Where
// that refuses past a collapse around an open axis, the bar is still its
// strip, and the rail the axis's edges moved one by one, those that
// collapse within the distance dropped; ValueError when every one does.
// Any other error, and a refusal where the strip is not measured, stands.
nb::object rail(nb::handle self, nb::handle distance) {
    nb::object axis = attr(self, k_axis);
    AxisFrame f = axis_frame(axis);
    try {
        if (!f.local)
            return pyu::call_method(names::polyline.get(), k_offset, axis, distance);
        nb::object local = pyu::call_method(names::polyline.get(), k_offset, polyline_of(f.points), distance);
        return polyline_of(pyu::read_points(pyu::get_attr(local, keys().points)).coords, f.origin);
    } catch (nb::python_error &e) {
        if (!refuses(e) || pyu::truthy(pyu::call_method(axis, keys().is_closed)))
            throw;
        std::vector<Vec2> pts = cleaned_axis(f.points);
        double d = pyu::as_double(distance);
        if (!geom::strip_measured(pts, d, flat_eps()))
            throw;
        geom::OffsetResult r = geom::edge_by_edge_offset(pts, d, {flat_eps(), seg_eps()});
        if (r.fault != geom::Fault::none)
            throw;
        if (r.no_edge)
            pyu::raise(PyExc_ValueError, "The bar's rail has no edge left: every edge of its axis collapses within "
                                         "half the bar's width.");
        return polyline_of(r.points, f.origin);
    }
}

// The outline of a bar around an open axis: its rails lofted where that is
// the strip, otherwise the strip built anew; ValueError when the strip is
// not one outline.
nb::object axis_strip(nb::handle self, nb::object lofted) {
    const Keys &k = keys();
    AxisFrame f = axis_frame(attr(self, k_axis));
    std::vector<Vec2> cleaned = cleaned_axis(f.points);
    double half_width = pyu::as_double(attr(self, k_radius));
    std::vector<Vec2> outline = moved(pyu::read_points(pyu::get_attr(lofted, k.points)).coords, f.origin);
    geom::StripOutline strip =
        geom::bar_strip(cleaned, half_width, outline, {flat_eps(), seg_eps()}, pyu::interrupt());
    if (strip.lofted)
        return lofted;
    if (strip.holes != 0) {
        std::string text = "The bar's strip closes round " + std::to_string(strip.holes) +
                           (strip.holes == 1 ? " hole" : " holes") +
                           ": its axis comes back within the bar's width of itself.";
        pyu::raise(PyExc_ValueError, text.c_str());
    }
    if (strip.parts != 1)
        pyu::raise(PyExc_ValueError, "The bar's strip is not one outline.");
    nb::list out;
    nb::object first = new_point(strip.points.front() + f.origin);
    out.append(first);
    for (size_t i = 1; i + 1 < strip.points.size(); ++i)
        out.append(new_point(strip.points[i] + f.origin));
    out.append(first);
    return pyu::call(names::polyline.get(), out);
}

nb::object construct(nb::handle self) {
    const Keys &k = keys();
    bool from_rails = false;
    if (pyu::truthy(attr(self, k_rail1)) && pyu::truthy(attr(self, k_rail2))) {
        from_rails = true;
        nb::object rail1 = attr(self, k_rail1), rail2 = attr(self, k_rail2);
        nb::object tween = pyu::get_attr(rail1, k_tween);
        pyu::set_attr(self, k_axis, tween(rail2, "t"_a = 0.5));
        nb::object s_pt1 = pyu::get_attr(attr(self, k_rail1), k.start);
        nb::object nearest = pyu::call_method(attr(self, k_rail2), k_select, s_pt1);
        nb::object l2 = pyu::call_method(nearest, k_to_line);
        pyu::set_attr(self, k_diameter, pyu::call_method(l2, k_distance_to_point, s_pt1));
        pyu::set_attr(self, k_radius, pyu::num_div(attr(self, k_diameter), pyu::float_obj(2.0)));
    } else if (pyu::truthy(attr(self, k_axis)) && pyu::truthy(attr(self, k_diameter))) {
        pyu::set_attr(self, k_rail1, rail(self, attr(self, k_radius)));
        nb::object minus = pyu::check(PyNumber_Negative(attr(self, k_radius).ptr()));
        pyu::set_attr(self, k_rail2, rail(self, minus));
    } else {
        pyu::raise_exception("Invalid input for Bar construction");
    }
    if (pyu::truthy(pyu::call_method(attr(self, k_rail1), k.is_closed)) &&
        pyu::truthy(pyu::call_method(attr(self, k_rail2), k.is_closed))) {
        nb::list holes;
        holes.append(attr(self, k_rail2));
        nb::object ring = pyu::call(names::polygon.get(), attr(self, k_rail1), holes);
        return pyu::check(PyObject_GetIter(ring.ptr()));
    }
    // The strip runs out along the first rail and back along the second, so
    // given rails that run the same way loft the second one the other way round.
    nb::object rail1 = attr(self, k_rail1), rail2 = attr(self, k_rail2);
    if (from_rails && same_way(rail1, rail2))
        rail2 = reversed_copy(rail2);
    nb::object lofted = pyu::call_method(names::polyline.get(), k_loft, rail1, rail2);
    return from_rails ? lofted : axis_strip(self, lofted);
}

nb::object text(nb::handle self) {
    std::string axis = pyu::format_obj(attr(self, k_axis));
    return nb::str(("Bar(" + axis + ")").c_str());
}

// The outline's area; for two closed rails, the ring's: the difference of
// the rails' areas.
nb::object area(nb::handle self) {
    const Keys &k = keys();
    nb::object rail1 = attr(self, k_rail1), rail2 = attr(self, k_rail2);
    if (pyu::truthy(pyu::call_method(rail1, k.is_closed)) && pyu::truthy(pyu::call_method(rail2, k.is_closed))) {
        nb::object a1 = pyu::get_attr(rail1, k.area), a2 = pyu::get_attr(rail2, k.area);
        return pyu::num_abs(pyu::num_sub(a1, a2));
    }
    return pyu::get_attr(attr(self, k_geo), k.area);
}

// a.distance_to_point(b), answered here for our own Points.
nb::object distance(nb::handle a, nb::handle b) {
    if (!pyu::is_point(a) || !pyu::is_point(b))
        return pyu::call_method(a, k_distance_to_point, b);
    Vec2 p = pyu::read_xy(a), q = pyu::read_xy(b);
    return pyu::float_obj(pyu::py_distance(p.x - q.x, p.y - q.y));
}

// The pair of keys farthest apart along inpt1 (or, when that stretch is
// longer than the rest of inpt1, farthest apart in a straight line): the
// first of equal pairs in combination order.  Null without two keys.
nb::object farthest_pair(nb::handle inpt1, nb::handle keys_list) {
    Py_ssize_t n = pyu::length(keys_list);
    if (n < 2)
        return nb::object();
    geom::Interrupt stop = pyu::interrupt();
    std::vector<geom::Pair> pairs = geom::combinations_of_two((size_t) n, stop);
    // Each key's position along inpt1, asked once, in the order the pairs
    // first need them; differences as abs(a - b) of the answers.
    std::vector<nb::object> position((size_t) n);
    std::vector<nb::object> gap_obj(pairs.size());
    auto at = [&](size_t i) -> nb::handle {
        if (!position[i].is_valid())
            position[i] = pyu::call_method(inpt1, k_evaluate_point, pyu::get_item(keys_list, (Py_ssize_t) i));
        return position[i];
    };
    for (size_t p = 0; p < pairs.size() && pairs[p].i == 0; ++p) {
        nb::handle a = at(0), b = at(pairs[p].j);
        gap_obj[p] = pyu::num_abs(pyu::num_sub(a, b));
    }
    bool plain = true;
    for (const nb::object &v : position)
        plain = plain && PyFloat_CheckExact(v.ptr());
    size_t best = 0;
    nb::object length;
    if (plain) {
        std::vector<double> pos((size_t) n), gap(pairs.size());
        for (size_t i = 0; i < (size_t) n; ++i)
            pos[i] = PyFloat_AS_DOUBLE(position[i].ptr());
        for (size_t p = 0; p < pairs.size(); ++p, stop.tick())
            gap[p] = std::fabs(pos[pairs[p].i] - pos[pairs[p].j]);
        best = geom::first_max_index(gap);
        length = pyu::float_obj(gap[best]);
    } else {
        for (size_t p = 0; p < pairs.size(); ++p) {
            stop.tick();
            if (!gap_obj[p].is_valid())
                gap_obj[p] = pyu::num_abs(pyu::num_sub(position[pairs[p].i], position[pairs[p].j]));
            if (p > 0 && pyu::num_gt(gap_obj[p], gap_obj[best]))
                best = p;
        }
        length = gap_obj[best];
    }
    nb::object rest = pyu::num_sub(pyu::get_attr(inpt1, keys().length), length);
    if (pyu::num_gt(length, rest)) {
        nb::object best_distance;
        for (size_t p = 0; p < pairs.size(); ++p) {
            stop.tick();
            nb::object a = pyu::get_item(keys_list, (Py_ssize_t) pairs[p].i);
            nb::object d = distance(a, pyu::get_item(keys_list, (Py_ssize_t) pairs[p].j));
            if (p == 0 || pyu::num_gt(d, best_distance)) {
                best = p;
                best_distance = d;
            }
        }
    }
    nb::object a = pyu::get_item(keys_list, (Py_ssize_t) pairs[best].i);
    return nb::make_tuple(a, pyu::get_item(keys_list, (Py_ssize_t) pairs[best].j));
}

nb::object get_cutter(nb::handle inpt1, nb::handle inpt2, nb::handle distance_in) {
    double near = pyu::as_double(distance_in);
    const Keys &k = keys();
    nb::object limit = pyu::float_obj(near);
    nb::object c_pts = pyu::check(PyDict_New());
    nb::list near_pts;
    nb::object points = pyu::get_attr(inpt2, k.points);
    nb::object all_but_last = pyu::check(PySlice_New(nullptr, pyu::int_obj(-1).ptr(), nullptr));
    nb::object vertices = pyu::check(PyObject_GetItem(points.ptr(), all_but_last.ptr()));
    pyu::for_each_iter(vertices, [&](nb::handle i) {
        nb::object c_pt = pyu::call_method(inpt1, k.closest_point, i);
        nb::object dis = distance(c_pt, i);
        pyu::check_status(PyDict_SetItem(c_pts.ptr(), c_pt.ptr(), dis.ptr()));
        if (pyu::num_lt(dis, limit))
            near_pts.append(c_pt);
        return true;
    });
    Py_ssize_t n = pyu::length(near_pts);
    if (n == 0)
        return nb::none();
    if (n == 1 || n == 3) {
        nb::object keys_list = pyu::check(PyDict_Keys(c_pts.ptr()));
        nb::object pair = farthest_pair(inpt1, keys_list);
        // Fewer than two distinct nearest points: no pair to cut at.
        return pair.is_valid() ? pair : nb::none();
    }
    if (n == 2)
        return near_pts;
    nb::object sorted = pyu::get_attr(pyu::import("builtins"), k_sorted);
    nb::object by = pyu::get_attr(c_pts, k_getitem);
    nb::object ordered = sorted(near_pts, "key"_a = by);
    nb::object first = pyu::get_item(ordered, 0);
    return nb::make_tuple(first, pyu::get_item(ordered, 1));
}

nb::object get_remain(nb::handle inpt, nb::handle cutter) {
    const Keys &k = keys();
    nb::object pieces = pyu::call_method(names::polyline.get(), k_break_by_tuple, inpt, cutter);
    nb::object parts[3];
    pyu::unpack(pieces, parts, 3);
    nb::object len0 = pyu::get_attr(parts[0], k.length), len1 = pyu::get_attr(parts[2], k.length);
    nb::object len_p = pyu::num_add(len0, len1);
    nb::object len_i = pyu::get_attr(parts[1], k.length);
    if (!pyu::num_le(len_i, len_p))
        return parts[1];
    nb::object tail = pyu::get_attr(parts[2], k.points);
    nb::object all_but_last = pyu::check(PySlice_New(nullptr, pyu::int_obj(-1).ptr(), nullptr));
    nb::object head = pyu::check(PyObject_GetItem(tail.ptr(), all_but_last.ptr()));
    nb::object joined = pyu::num_add(head, pyu::get_attr(parts[0], k.points));
    return pyu::call(names::polyline.get(), joined);
}

// Only a closed piece is opened at the first pair and kept by its longer
// remainder; every other cut drops the stretch between the pair's points.
nb::list break_by_tuples(nb::handle polyline, nb::handle tuples) {
    const Keys &k = keys();
    nb::list pieces;
    pieces.append(polyline);
    bool first_pair = true;
    pyu::for_each_iter(tuples, [&](nb::handle pair) {
        nb::list next;
        for (nb::handle piece : pieces) {
            if (first_pair && pyu::truthy(pyu::call_method(piece, k.is_closed))) {
                next.append(pyu::call_method(names::bar.get(), k_get_remain, piece, pair));
                continue;
            }
            nb::object cut = pyu::call_method(piece, k_break_by_tuple, pair);
            if (!PyTuple_Check(cut.ptr())) {
                next.append(cut);
                continue;
            }
            nb::object parts[3];
            pyu::unpack(cut, parts, 3);
            next.append(parts[0]);
            next.append(parts[2]);
        }
        pieces = next;
        first_pair = false;
        return true;
    });
    return pieces;
}

nb::object break_by_polylines(nb::handle axis, nb::handle polys, nb::handle distance_in) {
    nb::object near = pyu::float_obj(pyu::as_double(distance_in));
    nb::list cutters;
    pyu::for_each_iter(polys, [&](nb::handle polyline) {
        nb::object get = pyu::get_attr(names::bar.get(), k_get_cutter);
        nb::object cutter = get(axis, polyline, "_distance"_a = near);
        if (!cutter.is_none())
            cutters.append(cutter);
        return true;
    });
    if (PyList_GET_SIZE(cutters.ptr()) == 0)
        return nb::borrow(axis);
    return pyu::call_method(names::bar.get(), k_break_by_tuples, axis, cutters);
}

nb::list short_brs(nb::handle axes, nb::handle current_lgt, nb::handle goal_lgt, nb::handle dis) {
    const Keys &k = keys();
    nb::list long_axes;
    pyu::for_each_iter(axes, [&](nb::handle axis) {
        nb::object length = pyu::get_attr(axis, k.length);
        if (pyu::truthy(pyu::check(PyObject_RichCompare(length.ptr(), dis.ptr(), Py_GE))))
            long_axes.append(axis);
        return true;
    });
    nb::object builtins = pyu::import("builtins"), op = pyu::import("operator");
    nb::object by_length = pyu::call(pyu::get_attr(op, k_attrgetter), nb::str("length"));
    nb::object to_short = pyu::get_attr(builtins, k_sorted)(long_axes, "key"_a = by_length);
    nb::list new_axes;
    pyu::for_each_iter(axes, [&](nb::handle axis) {
        if (!pyu::check_status(PySequence_Contains(to_short.ptr(), axis.ptr())))
            new_axes.append(axis);
        return true;
    });
    nb::object short_len = pyu::num_sub(current_lgt, goal_lgt);
    nb::object current_len = pyu::int_obj(0);
    pyu::for_each_iter(to_short, [&](nb::handle axis) {
        current_len = pyu::num_add(current_len, pyu::get_attr(axis, k.length));
        return true;
    });
    nb::object ratio = pyu::num_div(short_len, current_len);
    // Taking off the whole length or more is refused; nothing to take off
    // shortens nothing.
    nb::object one = pyu::int_obj(1), zero = pyu::int_obj(0);
    if (pyu::truthy(pyu::check(PyObject_RichCompare(ratio.ptr(), one.ptr(), Py_GE))))
        pyu::raise(PyExc_ValueError, "The length to take off is not less than the total length of the axes to shorten.");
    bool keep = pyu::num_le(ratio, zero);
    pyu::for_each_iter(to_short, [&](nb::handle axis) {
        if (keep) {
            new_axes.append(axis);
            return true;
        }
        nb::object pieces = pyu::call_method(axis, k_break_by_parameter, ratio);
        new_axes.append(pyu::get_item(pieces, 1));
        return true;
    });
    nb::list bars;
    pyu::for_each_iter(new_axes, [&](nb::handle axis) {
        nb::object cls = names::bar.get();
        bars.append(cls("axis"_a = axis, "diameter"_a = dis));
        return true;
    });
    return bars;
}

}  // namespace

void bind_bar(nb::module_ &m) {
    pyu::Class<BarData> cls(m, "Bar", DOC(Bar));
    cls.init(&init, DOC(Bar, __init__), "rail1"_a = nb::none(), "rail2"_a = nb::none(), "axis"_a = nb::none(),
             "diameter"_a = nb::none())
        .method("_construct", &construct, DOC(Bar, _construct))
        .method("__repr__", &text, DOC(Bar, __repr__))
        .property("area", &area, DOC(Bar, area))
        .static_method("get_cutter", &get_cutter, DOC(Bar, get_cutter), "inpt1"_a, "inpt2"_a, "_distance"_a = 18.0)
        .static_method("get_remain", &get_remain, DOC(Bar, get_remain), "inpt"_a, "cutter"_a)
        .static_method("break_by_tuples", &break_by_tuples, DOC(Bar, break_by_tuples), "polyline"_a, "tuples"_a)
        .static_method("break_by_polylines", &break_by_polylines, DOC(Bar, break_by_polylines), "axis"_a, "polys"_a,
                       "_distance"_a = 18.0)
        .static_method("short_brs", &short_brs, DOC(Bar, short_brs), "axes"_a, "current_lgt"_a, "goal_lgt"_a,
                       "dis"_a);
    bar_type = cls.type();
}

}  // namespace polygon
