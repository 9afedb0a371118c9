// Surface panels: a façade divided into storey rows (the running sum of
// BIM_FLOOR_HEIGHTS) and unit columns (BIM_UNIT_WIDTH), each cell labelled
// by its position: -1 first, 1 last, 0 inner, for the column and the row.
//
// A Surface of our own class whose corners are our own points, with plain
// numbers as constants, is divided in core from its origin, axes, height and
// width read once.  Anything else (a subclass whose properties or lists may
// differ, duck-typed corners, constants of other types) takes the plain
// steps: every corner from the `origin`, `vector_i` and `vector_j` read
// anew, the level sums in Python's own arithmetic.
#include "Solidar/solidar.hpp"
#include "core/mesh/facade.hpp"

#include <cmath>

namespace solidar {
namespace {

const pyu::Key key_points("points"), key_height("height"), key_width("width"), key_origin("origin"),
    key_vector_i("vector_i"), key_vector_j("vector_j"), key_divide_width("divide_width"),
    key_divide_height("divide_height");

// Below this an int's running sums are exact as doubles.
constexpr double exact_int_limit = 4503599627370496.0;  // 2^52

bool exact_surface(nb::handle self) { return Py_TYPE(self.ptr()) == surface_type; }

// A constant as a double when it is an exact float or a small exact int.
bool plain_number(PyObject *o, double &out, bool &is_int) {
    if (PyFloat_CheckExact(o)) {
        out = PyFloat_AS_DOUBLE(o), is_int = false;
        return true;
    }
    if (PyLong_CheckExact(o)) {
        int overflow = 0;
        long long v = PyLong_AsLongLongAndOverflow(o, &overflow);
        if (overflow || (double) std::llabs(v) >= exact_int_limit)
            return false;
        out = (double) v, is_int = true;
        return true;
    }
    return false;
}

nb::object number(double v, bool as_int) { return as_int ? pyu::check(PyLong_FromDouble(v)) : pyu::float_obj(v); }

}  // namespace

// Levels: at the first running level within epsilon of the height, or above
// it, the height itself is appended and the list ends.
nb::list divide_height(nb::handle self) {
    nb::object heights = floor_heights.get();
    if (exact_surface(self) && PyList_CheckExact(heights.ptr())) {
        Py_ssize_t n = PyList_GET_SIZE(heights.ptr());
        std::vector<double> values((size_t) n);
        std::vector<bool> ints((size_t) n);
        bool plain = true;
        double reach = 0.0;  // int sums stay exact below 2^52
        for (Py_ssize_t i = 0; i < n && plain; ++i) {
            bool is_int = false;
            plain = plain_number(PyList_GET_ITEM(heights.ptr(), i), values[(size_t) i], is_int);
            ints[(size_t) i] = is_int;
            reach += std::fabs(values[(size_t) i]);
        }
        plain = plain && reach < exact_int_limit;
        if (plain) {
            nb::object H = surface_edge_length(self, 1);
            geom::Levels levels = geom::storey_levels(values, pyu::as_double(H), eps());
            nb::list out;
            bool int_so_far = true;  // the running sum starts at the int 0
            for (size_t k = 0; k < levels.values.size(); ++k) {
                int_so_far = int_so_far && ints[k];
                bool top = levels.topped && k + 1 == levels.values.size();
                out.append(top ? H : number(levels.values[k], int_so_far));
            }
            return out;
        }
    }
    nb::list out;
    nb::object level = pyu::int_obj(0);
    pyu::for_each_iter(heights, [&](nb::handle h) {
        level = pyu::num_add(level, h);
        nb::object gap = pyu::num_abs(pyu::num_sub(level, pyu::get_attr(self, key_height)));
        if (pyu::num_le(gap, epsilon.get()) || pyu::num_ge(level, pyu::get_attr(self, key_height))) {
            out.append(pyu::get_attr(self, key_height));
            return false;
        }
        out.append(level);
        return true;
    });
    return out;
}

// Offsets: 0, then int(W // U) times the running sum of U, then the
// remainder plus the last sum when the remainder exceeds epsilon.
nb::list divide_width(nb::handle self) {
    nb::object unit = unit_width.get();
    double U = 0.0;
    bool int_unit = false;
    if (exact_surface(self) && plain_number(unit.ptr(), U, int_unit) && U != 0.0) {
        double W = pyu::as_double(surface_edge_length(self, -1));
        double parts = geom::py_floor_div(W, U);
        if (std::isfinite(parts) && std::fabs(parts) * std::fabs(U) < exact_int_limit) {
            int64_t count = parts > 0 ? (int64_t) parts : 0;
            pyu::checked_size((Py_ssize_t) count, sizeof(PyObject *) + 32);
            geom::Interrupt stop = pyu::interrupt();
            std::vector<double> offsets = geom::unit_offsets(count, U, geom::py_mod(W, U), eps(), stop);
            nb::list out;
            out.append(pyu::int_obj(0));
            for (size_t k = 1; k < offsets.size(); ++k) {
                stop.tick();
                out.append(number(offsets[k], int_unit && k <= (size_t) count));
            }
            return out;
        }
    }
    nb::list out;
    out.append(pyu::int_obj(0));
    nb::object quotient = pyu::check(PyNumber_FloorDivide(pyu::get_attr(self, key_width).ptr(), unit.ptr()));
    nb::object parts = pyu::check(PyNumber_Long(quotient.ptr()));
    Py_ssize_t count = pyu::range_count(parts);
    pyu::checked_size(count, sizeof(PyObject *) + 32);
    nb::object offset = pyu::int_obj(0);
    geom::Interrupt stop = pyu::interrupt();
    for (Py_ssize_t k = 0; k < count; ++k) {
        stop.tick();
        offset = pyu::num_add(offset, unit_width.get());
        out.append(offset);
    }
    nb::object rest = pyu::check(PyNumber_Remainder(pyu::get_attr(self, key_width).ptr(), unit_width.get().ptr()));
    if (pyu::num_gt(rest, epsilon.get()))
        out.append(pyu::num_add(rest, offset));
    return out;
}

namespace panels {
namespace {

enum class Form { surfaces, surface_labels, plane_labels, xy_points, xy_planes };

// The grid lists, asked of the receiver (a subclass may give its own): the
// world cells ask for the widths first, the flat cells for the heights.
struct Grid {
    nb::object widths, heights;  // snapshots (tuples)
    Py_ssize_t columns() const { return pyu::snap_size(widths) - 1; }
    Py_ssize_t rows() const { return pyu::snap_size(heights) - 1; }
    nb::handle w(Py_ssize_t i) const { return pyu::snap_item(widths, i); }
    nb::handle h(Py_ssize_t j) const { return pyu::snap_item(heights, j); }
};

Grid grid_of(nb::handle self, bool width_first) {
    bool ours = exact_surface(self);
    auto ask = [&](bool width) -> nb::object {
        if (ours)
            return width ? divide_width(self) : divide_height(self);
        return pyu::call_method(self, width ? key_divide_width : key_divide_height);
    };
    Grid g;
    if (width_first) {
        g.widths = pyu::snapshot(ask(true));
        g.heights = pyu::snapshot(ask(false));
    } else {
        g.heights = pyu::snapshot(ask(false));
        g.widths = pyu::snapshot(ask(true));
    }
    return g;
}

// The world point at offsets (w, h): (origin + vector_i * w) + vector_j * h.
class Corners {
public:
    explicit Corners(nb::handle self) : self_(nb::borrow(self)) {
        if (!exact_surface(self) || !point3d_cls.holds(pyu::point3d_type) || !vector3d_cls.holds(pyu::vector3d_type))
            return;
        nb::object points = pyu::get_attr(self, key_points);
        nb::object o = pyu::get_item(points, 0), up = pyu::get_item(points, 1), right = pyu::get_item(points, -1);
        if (!pyu::is_point3d(o) || !pyu::is_point3d(up) || !pyu::is_point3d(right))
            return;
        double e = eps();
        origin_ = xyz(o);
        axis_i_ = checked(geom::unit_or_self(xyz(right) - origin_, e)).v;
        axis_j_ = checked(geom::unit_or_self(xyz(up) - origin_, e)).v;
        fast_ = true;
    }

    nb::object at(nb::handle w, nb::handle h) const {
        if (fast_)
            return new_point3d(geom::facade_point(origin_, axis_i_, axis_j_, pyu::as_double(w), pyu::as_double(h)));
        nb::object along = pyu::num_mul(pyu::get_attr(self_, key_vector_i), w);
        nb::object base = pyu::num_add(pyu::get_attr(self_, key_origin), along);
        nb::object up = pyu::num_mul(pyu::get_attr(self_, key_vector_j), h);
        return pyu::num_add(base, up);
    }

private:
    nb::object self_;
    bool fast_ = false;
    Vec3 origin_, axis_i_, axis_j_;
};

nb::object label_text(int column, int row) {
    return nb::str((std::to_string(column) + "," + std::to_string(row)).c_str());
}

nb::list list_of(std::initializer_list<nb::handle> items) {
    nb::list out;
    for (nb::handle h : items)
        out.append(h);
    return out;
}

// One walk for all five forms: columns left to right, each bottom-up.
nb::object divide(nb::handle self, Form form) {
    bool world = form == Form::surfaces || form == Form::surface_labels || form == Form::plane_labels;
    Grid g = grid_of(self, world);
    nb::list cells;
    nb::dict labelled;
    std::optional<Corners> corners;
    if (world)
        corners.emplace(self);
    nb::object unit_step;
    if (form == Form::xy_planes)
        unit_step = new_vector3d({pyu::as_double(unit_width.get()), 0.0, 0.0});
    Py_ssize_t columns = g.columns(), rows = g.rows();
    geom::Interrupt stop = pyu::interrupt();
    for (Py_ssize_t i = 0; i < columns; ++i) {
        int column = geom::edge_label((size_t) i, (size_t) columns);
        for (Py_ssize_t j = 0; j < rows; ++j) {
            stop.tick();
            int row = geom::edge_label((size_t) j, (size_t) rows);
            nb::handle cw = g.w(i), nw = g.w(i + 1), ch = g.h(j), nh = g.h(j + 1);
            switch (form) {
            case Form::surfaces:
            case Form::surface_labels: {
                nb::object bl = corners->at(cw, ch), tl = corners->at(cw, nh);
                nb::object tr = corners->at(nw, nh), br = corners->at(nw, ch);
                nb::object cell = new_surface(list_of({bl, tl, tr, br}));
                if (form == Form::surfaces)
                    cells.append(cell);
                else
                    labelled[cell] = nb::make_tuple(column, row);
                break;
            }
            case Form::plane_labels: {
                nb::object bl = corners->at(cw, ch), tl = corners->at(cw, nh), br = corners->at(nw, ch);
                labelled[new_plane(list_of({bl, tl, br}))] = label_text(column, row);
                break;
            }
            case Form::xy_points:
                labelled[new_point3d({pyu::as_double(cw), pyu::as_double(ch), 0.0})] = nb::make_tuple(column, row);
                break;
            case Form::xy_planes: {
                // A nominal storey of the constant list, not the row's own height.
                nb::object storey = pyu::get_item(floor_heights.get(), j + 1);
                nb::object up = new_vector3d({0.0, pyu::as_double(storey), 0.0});
                nb::object p0 = new_point3d({pyu::as_double(cw), pyu::as_double(ch), 0.0});
                nb::object p1 = pyu::num_add(p0, up), p2 = pyu::num_add(p0, unit_step);
                labelled[new_plane(list_of({p0, p1, p2}))] = label_text(column, row);
                break;
            }
            }
        }
    }
    if (form == Form::surfaces)
        return cells;
    return labelled;
}

}  // namespace

nb::list divide_surface(nb::handle self) { return nb::borrow<nb::list>(divide(self, Form::surfaces)); }
nb::dict divide_surface_with_label(nb::handle self) { return nb::borrow<nb::dict>(divide(self, Form::surface_labels)); }
nb::dict divide_surface_to_planes_with_label(nb::handle self) {
    return nb::borrow<nb::dict>(divide(self, Form::plane_labels));
}
nb::dict divide_surface_xy_points(nb::handle self) { return nb::borrow<nb::dict>(divide(self, Form::xy_points)); }
nb::dict divide_surface_xy_planes(nb::handle self) { return nb::borrow<nb::dict>(divide(self, Form::xy_planes)); }

}  // namespace panels
}  // namespace solidar
