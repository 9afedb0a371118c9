// Solidar.Plane: the plane through three points, kept as its `points`
// attribute (the caller's own object when it holds three items).  Measures
// are computed afresh on every read, with exact tests; the frames and the
// matrices between them are numpy's own steps (cross products, norms, an
// inverse), so that they equal the plain steps bit for bit.  The hash is
// that of (points[0], normal); equality is identity.
#include "Solidar/solidar.hpp"

#include <cmath>

using namespace nb::literals;

namespace solidar {

PyTypeObject *plane_type = nullptr;

namespace {

const pyu::Key key_points("points"), key_normal("normal"), key_equation("equation"), key_distance("distance_to_point"), key_cross("cross"),
    key_linalg("linalg"), key_norm("norm"), key_inv("inv"), key_dot("dot"), key_eye("eye"),
    key_column_stack("column_stack"), key_array("array"), key_x("x"), key_y("y"), key_z("z"),
    key_to_array("to_array"), key_frame("local_coordinate_system"), key_xy_plane("xy_plane"),
    key_xz_plane("xz_plane"), key_yz_plane("yz_plane"), key_xy_coord_system("xy_coord_system"),
    key_transformation_matrix("transformation_matrix");

struct Three {
    nb::object p[3];
};

nb::object points_of(nb::handle self) { return pyu::get_attr(self, key_points); }

// self.points[:3] unpacked into exactly three (what `normal` reads).
Three first_three(nb::handle self) {
    nb::object points = points_of(self);
    nb::object head = pyu::check(PySequence_GetSlice(points.ptr(), 0, 3));
    Three t;
    pyu::unpack(head, t.p, 3);
    return t;
}

// self.points unpacked into exactly three (what `equation` reads).
Three all_three(nb::handle self) {
    Three t;
    pyu::unpack(points_of(self), t.p, 3);
    return t;
}

// (p2 - p1) x (p3 - p1), each difference by the points' own subtraction.
Vec3 normal_of(const Three &t) {
    if (pyu::is_point3d(t.p[0]) && pyu::is_point3d(t.p[1]) && pyu::is_point3d(t.p[2])) {
        Vec3 p1 = xyz(t.p[0]);
        return geom::cross(xyz(t.p[1]) - p1, xyz(t.p[2]) - p1);
    }
    nb::object a = pyu::num_sub(t.p[1], t.p[0]), b = pyu::num_sub(t.p[2], t.p[0]);
    Vec3 u = xyz(a);
    return geom::cross(u, xyz(b));
}

void plane_init(nb::handle self, nb::handle points) {
    pyu::check_receiver(self, (PyObject *) plane_type, "Plane");
    if (pyu::length(points) < 3)
        pyu::raise_exception("Points number less than three!");
    nb::object kept = nb::borrow(points);
    if (pyu::length(points) > 3) {  // the first, the second and the last
        nb::object first = pyu::get_item(points, 0), second = pyu::get_item(points, 1), last = pyu::get_item(points, -1);
        nb::list three;
        three.append(first), three.append(second), three.append(last);
        kept = three;
    }
    pyu::construct<PlaneData>(self, PlaneData{});
    pyu::set_attr(self, key_points, kept);
}

nb::object normal(nb::handle self) { return new_vector3d(normal_of(first_three(self))); }

// The receiver's own normal (a subclass may give its own), read afresh.
nb::object normal_asked(nb::handle self) {
    if (Py_TYPE(self.ptr()) == plane_type)
        return normal(self);
    return pyu::get_attr(self, key_normal);
}

std::string plane_text(nb::handle self) {
    pyu::RecursionGuard guard(" in Plane.__repr__");
    std::string first = text_part(pyu::get_item(points_of(self), 0));
    return "Plane(" + first + ", " + text_part(normal_asked(self)) + ")";
}

Py_hash_t plane_hash(nb::handle self) {
    pyu::RecursionGuard guard(" in Plane.__hash__");
    nb::object first = pyu::get_item(points_of(self), 0);
    nb::object n = normal_asked(self);
    return pyu::hash_of(nb::make_tuple(first, n));
}

// |(points[0] - origin) . normal| / normal.magnitude, the normal read twice.
double distance_to_origin(nb::handle self) {
    nb::object first = pyu::get_item(points_of(self), 0);
    Vec3 d;
    if (pyu::is_point3d(first))
        d = xyz(first) - Vec3{0.0, 0.0, 0.0};
    else
        d = xyz(pyu::num_sub(first, new_point3d({0.0, 0.0, 0.0})));
    if (Py_TYPE(self.ptr()) == plane_type) {
        double top = std::fabs(geom::dot(d, normal_of(first_three(self))));
        return pyu::divide(top, checked(geom::length(normal_of(first_three(self)))));
    }
    double top = std::fabs(geom::dot(d, xyz(normal_asked(self))));
    return pyu::divide(top, magnitude_of(normal_asked(self)));
}

struct Equation {
    double a, b, c, d;
};

Equation equation_of(nb::handle self) {
    Three t = all_three(self);
    Vec3 n = normal_of(t);
    return {n.x, n.y, n.z, -geom::dot(n, xyz(t.p[0]))};
}

nb::object equation(nb::handle self) {
    Equation e = equation_of(self);
    return nb::make_tuple(e.a, e.b, e.c, e.d);
}

// The receiver's own equation (a subclass may give its own).
Equation equation_asked(nb::handle self) {
    if (Py_TYPE(self.ptr()) == plane_type)
        return equation_of(self);
    nb::object values[4];
    pyu::unpack(pyu::call_method(self, key_equation), values, 4);
    return {pyu::as_double(values[0]), pyu::as_double(values[1]), pyu::as_double(values[2]),
            pyu::as_double(values[3])};
}

double distance_to_point(nb::handle self, nb::handle point) {
    Equation e = equation_asked(self);
    Vec3 p = xyz(point);
    double top = std::fabs(((e.a * p.x + e.b * p.y) + e.c * p.z) + e.d);
    return pyu::divide(top, checked(geom::length({e.a, e.b, e.c})));
}

nb::object plane_z_intersection(nb::handle self) {
    Equation e = equation_asked(self);
    return new_point3d({0.0, 0.0, pyu::divide(-e.d, e.c)});
}

// np.array([(p.x, p.y, p.z) for p in points]): straight from the fields for
// a list of our own points, numpy's conversion of the values otherwise.
nb::object to_array(nb::handle points) {
    std::vector<Vec3> pts;
    if (pyu::read_exact_points3(points, pts) && !pts.empty()) {
        // Read before the array is made: making it may run the collector,
        // and whatever it runs may change the caller's list.
        pyu::NewArray<double> out = pyu::new_array<double>({pts.size(), 3});
        for (size_t i = 0; i < pts.size(); ++i)
            out.data[3 * i] = pts[i].x, out.data[3 * i + 1] = pts[i].y, out.data[3 * i + 2] = pts[i].z;
        return out.array;
    }
    nb::list rows;
    pyu::for_each_iter(points, [&](nb::handle p) {
        nb::object x = pyu::get_attr(p, key_x), y = pyu::get_attr(p, key_y), z = pyu::get_attr(p, key_z);
        rows.append(nb::make_tuple(x, y, z));
        return true;
    });
    return pyu::call_method(np.get(), key_array, rows);
}

// The module's Plane.to_array (or a rebound class's).
nb::object plane_to_array(nb::handle points) {
    if (plane_cls.holds(plane_type))
        return to_array(points);
    return pyu::call_method(plane_cls.get(), key_to_array, points);
}

// (p1, u, v, n): u the unit vector from the first to the second point, n
// the unit normal, v = n x u.  Collinear points give NaN axes, with numpy's
// warning.
nb::object local_coordinate_system(nb::handle self) {
    nb::object rows[3];
    pyu::unpack(plane_to_array(points_of(self)), rows, 3);
    nb::object numpy = np.get();
    nb::object norm = pyu::get_attr(pyu::get_attr(numpy, key_linalg), key_norm);
    nb::object n = pyu::call_method(numpy, key_cross, pyu::num_sub(rows[1], rows[0]), pyu::num_sub(rows[2], rows[0]));
    n = pyu::num_div(n, pyu::call(norm, n));
    nb::object u = pyu::num_sub(rows[1], rows[0]);
    u = pyu::num_div(u, pyu::call(norm, u));
    nb::object v = pyu::call_method(numpy, key_cross, n, u);
    return nb::make_tuple(rows[0], u, v, n);
}

// Moved by Vector3d(x, y, z), built before the plane is read.
nb::object move(nb::handle plane, nb::handle x, nb::handle y, nb::handle z) {
    nb::object offset = vector3d_cls.holds(pyu::vector3d_type)
                            ? new_vector3d({pyu::as_double(x), pyu::as_double(y), pyu::as_double(z)})
                            : pyu::call(vector3d_cls.get(), x, y, z);
    nb::list moved;
    pyu::for_each_iter(pyu::get_attr(plane, key_points), [&](nb::handle p) {
        moved.append(pyu::num_add(p, offset));
        return true;
    });
    return new_plane(moved);
}

nb::object axis_plane(Vec3 second, Vec3 third) {
    nb::list points;
    points.append(new_point3d({0.0, 0.0, 0.0}));
    points.append(new_point3d(second));
    points.append(new_point3d(third));
    return new_plane(points);
}

nb::object frame_of(nb::handle self, const pyu::Key &axis) {
    nb::object p = pyu::get_attr(self, axis);
    return pyu::call_method(p, key_frame);
}

// The 4x4 matrix carrying frame 1 onto frame 2: [u2 v2 n2] inv([u1 v1 n1])
// and the translation that takes origin 1 to origin 2.
nb::object transformation_matrix(nb::handle frame1, nb::handle frame2) {
    nb::object f1[4], f2[4];
    pyu::unpack(frame1, f1, 4);
    pyu::unpack(frame2, f2, 4);
    nb::object numpy = np.get();
    nb::object r1 = pyu::call_method(numpy, key_column_stack, nb::make_tuple(f1[1], f1[2], f1[3]));
    nb::object r2 = pyu::call_method(numpy, key_column_stack, nb::make_tuple(f2[1], f2[2], f2[3]));
    nb::object inverse = pyu::call_method(pyu::get_attr(numpy, key_linalg), key_inv, r1);
    nb::object linear = pyu::call_method(numpy, key_dot, r2, inverse);
    nb::object shift = pyu::num_sub(f2[0], pyu::call_method(numpy, key_dot, linear, f1[0]));
    nb::object matrix = pyu::call_method(numpy, key_eye, pyu::int_obj(4));
    nb::object three = pyu::check(PySlice_New(nullptr, pyu::int_obj(3).ptr(), nullptr));
    pyu::check_status(PyObject_SetItem(matrix.ptr(), nb::make_tuple(three, three).ptr(), linear.ptr()));
    pyu::check_status(PyObject_SetItem(matrix.ptr(), nb::make_tuple(three, 3).ptr(), shift.ptr()));
    return matrix;
}

nb::object plane_transformation_matrix(nb::handle frame1, nb::handle frame2) {
    if (plane_cls.holds(plane_type))
        return transformation_matrix(frame1, frame2);
    return pyu::call_method(plane_cls.get(), key_transformation_matrix, frame1, frame2);
}

// The XY frame is read first, then the plane's own.
nb::object matrix_to_xy(nb::handle self, bool inverse) {
    nb::object xy = pyu::get_attr(self, key_xy_coord_system);
    nb::object local = pyu::call_method(self, key_frame);
    return inverse ? plane_transformation_matrix(xy, local) : plane_transformation_matrix(local, xy);
}

// Fewer than four points are coplanar without being read; the test is exact.
bool is_coplanar(nb::handle points) {
    if (pyu::length(points) < 4)
        return true;
    nb::object first = pyu::check(PySequence_GetSlice(points.ptr(), 0, 3));
    nb::object plane = pyu::call(plane_cls.get(), first);
    nb::object rest = pyu::check(PySequence_GetSlice(points.ptr(), 3, PY_SSIZE_T_MAX));
    bool ours = Py_TYPE(plane.ptr()) == plane_type;
    return pyu::for_each_iter(rest, [&](nb::handle p) {
        double d = ours ? distance_to_point(plane, p) : pyu::as_double(pyu::call_method(plane, key_distance, p));
        return !(d != 0);
    });
}

}  // namespace

nb::object new_plane(nb::handle points) {
    if (plane_cls.holds(plane_type) && PyList_CheckExact(points.ptr()) && PyList_GET_SIZE(points.ptr()) == 3)
        return make_with_points(plane_type, points);
    return pyu::call(plane_cls.get(), points);
}

void bind_plane(nb::module_ &m) {
    pyu::Class<PlaneData> cls(m, "Plane", DOC(Plane));
    plane_type = cls.type();
    cls.init(&plane_init, DOC(Plane, __init__), "points"_a)
        .method("__repr__", &plane_text, DOC(Plane, __repr__))
        .method("__hash__", &plane_hash, DOC(Plane, __hash__))
        .property("normal", &normal, DOC(Plane, normal))
        .property("distance_to_origin", &distance_to_origin, DOC(Plane, distance_to_origin))
        .method("equation", &equation, DOC(Plane, equation))
        .method("distance_to_point", &distance_to_point, DOC(Plane, distance_to_point), "point"_a)
        .method("plane_z_intersection", &plane_z_intersection, DOC(Plane, plane_z_intersection))
        .static_method("to_array", &to_array, DOC(Plane, to_array), "points"_a)
        .method("local_coordinate_system", &local_coordinate_system, DOC(Plane, local_coordinate_system))
        .static_method("move", &move, DOC(Plane, move), "plane"_a = nb::none(), "x"_a = 0, "y"_a = 0, "z"_a = 0)
        .property("xy_plane", [](nb::handle) { return axis_plane({0.0, 1.0, 0.0}, {1.0, 0.0, 0.0}); },
                  DOC(Plane, xy_plane))
        .property("xz_plane", [](nb::handle) { return axis_plane({0.0, 0.0, 1.0}, {1.0, 0.0, 0.0}); },
                  DOC(Plane, xz_plane))
        .property("yz_plane", [](nb::handle) { return axis_plane({0.0, 0.0, 1.0}, {0.0, 1.0, 0.0}); },
                  DOC(Plane, yz_plane))
        .property("xy_coord_system", [](nb::handle self) { return frame_of(self, key_xy_plane); },
                  DOC(Plane, xy_coord_system))
        .property("xz_coord_system", [](nb::handle self) { return frame_of(self, key_xz_plane); },
                  DOC(Plane, xz_coord_system))
        .property("yz_coord_system", [](nb::handle self) { return frame_of(self, key_yz_plane); },
                  DOC(Plane, yz_coord_system))
        .static_method("transformation_matrix", &transformation_matrix, DOC(Plane, transformation_matrix),
                       "coord_system1"_a, "coord_system2"_a)
        .method("transformation_matrix_to_xy", [](nb::handle self) { return matrix_to_xy(self, false); },
                DOC(Plane, transformation_matrix_to_xy))
        .method("transformation_inverse_matrix_to_xy", [](nb::handle self) { return matrix_to_xy(self, true); },
                DOC(Plane, transformation_inverse_matrix_to_xy))
        .static_method("is_coplanar", &is_coplanar, DOC(Plane, is_coplanar), "points"_a);
}

}  // namespace solidar
