// Point3d carried by 4x4 matrices, and drawn.  A point is the column
// (x, y, z, 1); the result is the first three components of the product,
// never divided by the fourth.  The products are numpy's own (np.dot, looked
// up when called) so that they equal the plain steps bit for bit; what is
// ours is building the homogeneous array and reading the product without a
// Python object per coordinate.
#include "Solidar/solidar.hpp"

using namespace nb::literals;

namespace solidar {

namespace {
const pyu::Key key_shape("shape"), key_dot("dot"), key_array("array"), key_T("T"), key_x("x"), key_y("y"),
    key_z("z"), key_figure("figure"), key_add_subplot("add_subplot"), key_text("text"), key_scatter("scatter"),
    key_show("show");
}  // namespace

void check_matrix_shape(nb::handle matrix) {
    nb::object shape = pyu::get_attr(matrix, key_shape);
    nb::object four = nb::make_tuple(4, 4);
    nb::object differs = pyu::check(PyObject_RichCompare(shape.ptr(), four.ptr(), Py_NE));
    if (pyu::truthy(differs))
        pyu::raise(PyExc_ValueError, "The transformation matrix should be of shape (4, 4)");
}

namespace point_transforms {
namespace {

nb::object np_dot(nb::handle a, nb::handle b) { return pyu::call_method(np.get(), key_dot, a, b); }

// np.array([[p.x, p.y, p.z, 1] for p in points]) as the plain steps build it:
// a float array straight from the fields when every point is our own
// Point3d, numpy's own conversion of the attribute values otherwise.  Null
// for no points.
nb::object homogeneous_rows(nb::handle points) {
    std::vector<Vec3> pts;
    if (pyu::read_exact_points3(points, pts)) {
        if (pts.empty())
            return nb::object();
        pyu::NewArray<double> rows = pyu::new_array<double>({pts.size(), 4});
        for (size_t i = 0; i < pts.size(); ++i) {
            double *r = rows.data + 4 * i;
            r[0] = pts[i].x, r[1] = pts[i].y, r[2] = pts[i].z, r[3] = 1.0;
        }
        return rows.array;
    }
    nb::list rows;
    nb::object one = pyu::int_obj(1);
    pyu::for_each_iter(points, [&](nb::handle p) {
        nb::object x = pyu::get_attr(p, key_x), y = pyu::get_attr(p, key_y), z = pyu::get_attr(p, key_z);
        nb::list row;
        row.append(x), row.append(y), row.append(z), row.append(one);
        rows.append(row);
        return true;
    });
    if (nb::len(rows) == 0)
        return nb::object();
    return pyu::call_method(np.get(), key_array, rows);
}

// The product (4 x N) of the matrix with the transposed rows, read point by
// point: `values(x, y, z)` for each column of a plain float product, else
// `objects(x, y, z)` with the items of each row of its transpose, unpacked
// into exactly four as the plain steps unpack them.
template <class Values, class Objects>
void each_product(nb::handle points, nb::handle matrix, Values &&values, Objects &&objects) {
    check_matrix_shape(matrix);
    nb::object rows = homogeneous_rows(points);
    if (!rows.is_valid())
        return;  // no points, no product
    nb::object product = np_dot(matrix, pyu::get_attr(rows, key_T));
    pyu::ArrayView<double> view;
    if (pyu::view_array(product, view) && view.ndim == 2 && view.shape[0] == 4) {
        size_t n = view.shape[1];
        pyu::CollectorPause pause;  // many new points, none of them garbage
        for (size_t i = 0; i < n; ++i)
            values(view.data[i], view.data[n + i], view.data[2 * n + i]);
        return;
    }
    nb::object transposed = pyu::get_attr(product, key_T);
    pyu::for_each_iter(transposed, [&](nb::handle row) {
        nb::object v[4];
        pyu::unpack(row, v, 4);
        objects(v[0], v[1], v[2]);
        return true;
    });
}

}  // namespace

nb::object apply_affine_transformation(nb::handle self, nb::handle matrix) {
    check_matrix_shape(matrix);
    nb::object point;
    if (pyu::is_solid(self)) {
        Vec3 p = xyz(self);
        pyu::NewArray<double> h = pyu::new_array<double>({4});
        h.data[0] = p.x, h.data[1] = p.y, h.data[2] = p.z, h.data[3] = 1.0;
        point = h.array;
    } else {
        nb::object x = pyu::get_attr(self, key_x), y = pyu::get_attr(self, key_y), z = pyu::get_attr(self, key_z);
        point = pyu::call_method(np.get(), key_array, nb::make_tuple(x, y, z, 1));
    }
    nb::object product = np_dot(matrix, point);
    nb::object x = pyu::get_item(product, 0), y = pyu::get_item(product, 1), z = pyu::get_item(product, 2);
    double px = pyu::as_double(x), py = pyu::as_double(y);
    return new_point3d({px, py, pyu::as_double(z)});
}

nb::list to_3d(nb::handle points, nb::handle matrix) {
    nb::list out;
    bool ours = point3d_cls.holds(pyu::point3d_type);
    each_product(
        points, matrix,
        [&](double x, double y, double z) {
            nb::object p = ours ? pyu::make_point3d({x, y, z}) : new_point3d({x, y, z});
            pyu::check_status(PyList_Append(out.ptr(), p.ptr()));
        },
        [&](const nb::object &x, const nb::object &y, const nb::object &z) {
            double px = pyu::as_double(x), py = pyu::as_double(y);
            out.append(new_point3d({px, py, pyu::as_double(z)}));
        });
    return out;
}

// The planar points of the module's Point (Flatkin's), z dropped.
nb::list to_2d(nb::handle points, nb::handle matrix) {
    nb::list out;
    each_product(
        points, matrix, [&](double x, double y, double) { out.append(pyu::new_point(point_cls, {x, y})); },
        [&](const nb::object &x, const nb::object &y, const nb::object &) {
            double px = pyu::py_float(x);
            out.append(pyu::new_point(point_cls, {px, pyu::py_float(y)}));
        });
    return out;
}

// One new figure with 3-D axes; each point gets its own red label (its index)
// and its own red marker.  The figure stays open.
void plot_points(nb::handle points, nb::handle show) {
    nb::object pyplot = plt.get();
    nb::object fig = pyu::call_method(pyplot, key_figure);
    nb::object ax = pyu::get_attr(fig, key_add_subplot)(111, "projection"_a = "3d");
    long i = 0;
    pyu::for_each_iter(points, [&](nb::handle p) {
        nb::object x = pyu::get_attr(p, key_x), y = pyu::get_attr(p, key_y), z = pyu::get_attr(p, key_z);
        nb::object label = nb::str(std::to_string(i++).c_str());
        pyu::get_attr(ax, key_text)(x, y, z, label, "color"_a = "r", "fontsize"_a = 10);
        pyu::get_attr(ax, key_scatter)(x, y, z, "c"_a = "r", "marker"_a = "o");
        return true;
    });
    if (pyu::truthy(show))
        pyu::call_method(plt.get(), key_show);
}

}  // namespace point_transforms
}  // namespace solidar
