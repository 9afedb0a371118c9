// Solidar.Surface: a four-cornered façade face.  It keeps the caller's
// corner list as its `points` attribute (in the instance dictionary) and
// derives everything from it afresh: points[0] is the base, points[1] lies
// above it and points[-1] to its right.  The panel division is in
// surface_panels.cpp; the member table below is the class's, in its order.
#include "Solidar/solidar.hpp"

using namespace nb::literals;

namespace solidar {

PyTypeObject *surface_type = nullptr;

namespace {

const pyu::Key key_points("points"), key_unit_vector("unit_vector"), key_distance("distance_to_point"),
    key_plane("plane"), key_to_xy("transformation_matrix_to_xy"), key_from_xy("transformation_inverse_matrix_to_xy"),
    key_transformation_to_xy("transformation_to_xy"), key_apply_3d("apply_affine_transformation_to_3d");

nb::object corner(nb::handle self, Py_ssize_t i) {
    nb::object points = pyu::get_attr(self, key_points);
    return pyu::get_item(points, i);
}

void surface_init(nb::handle self, nb::handle points) {
    pyu::check_receiver(self, (PyObject *) surface_type, "Surface");
    pyu::construct<SurfaceData>(self, SurfaceData{});
    pyu::set_attr(self, key_points, points);
}

// "Surface(p0, p1,p2,p3)": the separators differ on purpose.
std::string surface_text(nb::handle self) {
    pyu::RecursionGuard guard(" in Surface.__repr__");
    std::string out = "Surface(" + text_part(corner(self, 0)) + ", ";
    out += text_part(corner(self, 1)) + ",";
    out += text_part(corner(self, 2)) + ",";
    return out + text_part(corner(self, 3)) + ")";
}

nb::object origin(nb::handle self) { return corner(self, 0); }
nb::object vector_i(nb::handle self) { return surface_edge_unit(self, -1); }
nb::object vector_j(nb::handle self) { return surface_edge_unit(self, 1); }
nb::object height(nb::handle self) { return surface_edge_length(self, 1); }
nb::object width(nb::handle self) { return surface_edge_length(self, -1); }

// The plane of the whole list: Plane keeps the first, second and last.
nb::object plane(nb::handle self) { return new_plane(pyu::get_attr(self, key_points)); }

nb::object transformation_to_xy(nb::handle self) {
    nb::object p = pyu::get_attr(self, key_plane);
    return pyu::call_method(p, key_to_xy);
}

nb::object inverse_transformation_to_xy(nb::handle self) {
    nb::object p = pyu::get_attr(self, key_plane);
    return pyu::call_method(p, key_from_xy);
}

nb::object apply_affine_transformation_to_xy(nb::handle self) {
    nb::object points = pyu::get_attr(self, key_points);
    nb::object matrix = pyu::get_attr(self, key_transformation_to_xy);
    return points_to_3d(points, matrix);
}

}  // namespace

nb::object surface_edge_unit(nb::handle self, Py_ssize_t k) {
    nb::object end = corner(self, k), start = corner(self, 0);
    if (pyu::is_point3d(end) && pyu::is_point3d(start) && vector3d_cls.holds(pyu::vector3d_type)) {
        geom::UnitVector u = checked(geom::unit_or_self(xyz(end) - xyz(start), eps()));
        return new_vector3d(u.v);  // the difference itself is a new vector too
    }
    nb::object edge = pyu::num_sub(end, start);
    return pyu::get_attr(edge, key_unit_vector);
}

nb::object surface_edge_length(nb::handle self, Py_ssize_t k) {
    nb::object start = corner(self, 0), end = corner(self, k);
    if (pyu::is_point3d(start))
        return pyu::float_obj(checked(geom::distance(xyz(start), xyz(end))));
    return pyu::call_method(start, key_distance, end);
}

nb::object points_to_3d(nb::handle points, nb::handle matrix) {
    if (point3d_cls.holds(pyu::point3d_type))
        return point_transforms::to_3d(points, matrix);
    return pyu::call_method(point3d_cls.get(), key_apply_3d, points, matrix);
}

nb::object make_with_points(PyTypeObject *type, nb::handle points) {
    nb::object o = nb::inst_alloc(nb::handle((PyObject *) type));
    nb::inst_zero(o);
    pyu::set_attr(o, key_points, points);
    return o;
}

nb::object new_surface(nb::handle points) {
    if (surface_cls.holds(surface_type))
        return make_with_points(surface_type, points);
    return pyu::call(surface_cls.get(), points);
}

void bind_surface(nb::module_ &m) {
    pyu::Class<SurfaceData> cls(m, "Surface", DOC(Surface));
    surface_type = cls.type();
    cls.init(&surface_init, DOC(Surface, __init__), "points"_a)
        .method("__repr__", &surface_text, DOC(Surface, __repr__))
        .property("origin", &origin, DOC(Surface, origin))
        .property("vector_i", &vector_i, DOC(Surface, vector_i))
        .property("vector_j", &vector_j, DOC(Surface, vector_j))
        .property("height", &height, DOC(Surface, height))
        .property("width", &width, DOC(Surface, width))
        .property("plane", &plane, DOC(Surface, plane))
        .property("transformation_to_xy", &transformation_to_xy, DOC(Surface, transformation_to_xy))
        .property("inverse_transformation_to_xy", &inverse_transformation_to_xy,
                  DOC(Surface, inverse_transformation_to_xy))
        .method("apply_affine_transformation_to_xy", &apply_affine_transformation_to_xy,
                DOC(Surface, apply_affine_transformation_to_xy))
        .method("divide_height", &divide_height, DOC(Surface, divide_height))
        .method("divide_width", &divide_width, DOC(Surface, divide_width))
        .method("divide_surface", &panels::divide_surface, DOC(Surface, divide_surface))
        .method("divide_surface_with_label", &panels::divide_surface_with_label, DOC(Surface, divide_surface_with_label))
        .method("divide_surface_to_planes_with_label", &panels::divide_surface_to_planes_with_label,
                DOC(Surface, divide_surface_to_planes_with_label))
        .method("divide_surface_xy_points", &panels::divide_surface_xy_points, DOC(Surface, divide_surface_xy_points))
        .method("divide_surface_xy_planes", &panels::divide_surface_xy_planes, DOC(Surface, divide_surface_xy_planes));
}

}  // namespace solidar
