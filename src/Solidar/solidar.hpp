// Shared pieces of the Solidar module: its module-level names, read when
// used, the value protocol Point3d and Vector3d share, and the operations one
// class file calls in another.
#pragma once

#include "core/basics/vec3.hpp"
#include "docs/Solidar.hpp"
#include "pyutil/arrays.hpp"
#include "pyutil/classes.hpp"
#include "pyutil/pyutil.hpp"

#include <string>

namespace solidar {

// Module-level names looked up at every use: rebinding Solidar.epsilon or a
// BIM_ constant changes every later call, rebinding Solidar.Point3d changes
// what the operations build, rebinding np, pv or plt what they call.
extern pyu::Name epsilon, np, pv, plt, matplotlib, point_cls, point3d_cls, vector3d_cls, surface_cls, plane_cls,
    mesh_cls, floor_heights, unit_width;
inline double eps() { return epsilon.get_double(); }

using geom::Vec3;
inline Vec3 xyz(nb::handle h) { return pyu::read_xyz(h); }
inline nb::object new_point3d(Vec3 p) { return pyu::new_point3d(point3d_cls, p); }
inline nb::object new_vector3d(Vec3 v) { return pyu::new_vector3d(vector3d_cls, v); }
using pyu::checked;

// The value protocol both classes share.  `init` converts x, y and z (the
// first non-number raises and nothing is stored); `text` is "Name(x, y, z)"
// in Python's float text; `hash` is hash((x, y, z)).
template <class T>
void init(nb::handle self, nb::handle x, nb::handle y, nb::handle z, PyTypeObject *cls, const char *name) {
    pyu::check_receiver(self, (PyObject *) cls, name);
    T value{pyu::as_double(x), pyu::as_double(y), pyu::as_double(z)};
    pyu::construct<T>(self, value);
}
std::string text(nb::handle self, const char *name);
// A part of a text form that embeds another object: a text as it is,
// anything else formatted (str of it).
std::string text_part(nb::handle h);
Py_hash_t hash(nb::handle self);
// Tolerant equality after reading all six coordinates.
bool is_equal(nb::handle self, nb::handle other);
// The tolerant order (is_greater or is_less): y of both first, x only on a y
// tie, z only on an x tie.
bool tolerant_order(nb::handle self, nb::handle other, bool greater);

// Whether Solidar.np is still the numpy imported at initialisation: numpy's
// own kernels then answer for np.cos, np.sin and np.arccos.
bool np_is_numpy();
// np.cos(angle) and np.sin(angle) of a float, through numpy's own kernels
// while Solidar.np is numpy itself.
struct CosSin {
    double c, s;
};
CosSin np_cos_sin(double angle);
// np.arccos(c) as numpy returns it (a numpy float64).
nb::object np_arccos(double c);

// `magnitude` of any object: computed for our own vectors, read otherwise.
double magnitude_of(nb::handle h);

// Vector3d.angle(v1, v2, polar, compare); polar and compare are tested by
// identity with the False and True objects.
nb::object angle(nb::handle v1, nb::handle v2, nb::handle polar, nb::handle compare);

// The check every transformation starts with: `matrix.shape != (4, 4)`
// raises ValueError("The transformation matrix should be of shape (4, 4)").
void check_matrix_shape(nb::handle matrix);

// Class binders, in the module's source order.
void bind_point3d(nb::module_ &m);
void bind_vector3d(nb::module_ &m);
void bind_surface(nb::module_ &m);
void bind_plane(nb::module_ &m);
void bind_mesh(nb::module_ &m);

// Surface, Plane and Mesh keep their state as plain instance attributes (in
// the instance dictionary), so their C++ part is empty.
struct SurfaceData {};
struct PlaneData {};
struct MeshData {};
extern PyTypeObject *surface_type, *plane_type, *mesh_type;

// New objects through the module's current classes: ours are filled
// directly, anything rebound in their place is called as the plain code
// would call it.
nb::object new_surface(nb::handle points);
nb::object new_plane(nb::handle points);
// An object of one of our attribute-only classes with `points` set.
nb::object make_with_points(PyTypeObject *type, nb::handle points);

// The unit vector of points[k] - points[0] of a surface, and the distance
// between them: what vector_i, vector_j, width and height read.
nb::object surface_edge_unit(nb::handle self, Py_ssize_t k);
nb::object surface_edge_length(nb::handle self, Py_ssize_t k);
// Surface.divide_height() and divide_width().
nb::list divide_height(nb::handle self);
nb::list divide_width(nb::handle self);
// The cell operations of Surface (surface_panels.cpp).
namespace panels {
nb::list divide_surface(nb::handle self);
nb::dict divide_surface_with_label(nb::handle self);
nb::dict divide_surface_to_planes_with_label(nb::handle self);
nb::dict divide_surface_xy_points(nb::handle self);
nb::dict divide_surface_xy_planes(nb::handle self);
}  // namespace panels
// Refuses, before anything is handed on, an `indices` array (of any shape,
// when it is a numpy array) holding a value below 0 or not below the number
// of vertex rows: IndexError naming the value, its triangle and the count.
void check_triangle_indices(nb::handle vertices, nb::handle indices);
// The indices as one int64 array made by numpy and checked as above against
// numpy's array of the vertices, which is set in `vertex_array`: the two
// arrays to hand on.  Any indices (an array of any dtype, a memoryview, a
// list, an object with __array__) go this way.
nb::object checked_indices(nb::handle vertices, nb::handle indices, nb::object &vertex_array);
// Members of Mesh bound in mesh.cpp and defined in mesh_io.cpp.
namespace mesh_io {
nb::object convert_pv_mesh_to_array(nb::handle pv_mesh);
nb::object triangulate_2d(nb::handle points);
nb::object extrude_to_mesh(nb::handle points, nb::handle height);
nb::object constrain_delaunay_2d(nb::handle points_list);
nb::object constrain_delaunay_3d(nb::handle points_list, nb::handle height);
nb::object convert_rhino_mesh(nb::handle rhino_mesh);
void show_rhino_mesh(nb::handle rhino_geometries);
void show_pyvista_mesh(nb::handle pyvista_meshes);
void show_mesh(nb::handle meshes);
nb::dict meshes_to_front(nb::handle meshes);
}  // namespace mesh_io
// Point3d.apply_affine_transformation_to_3d through the module's Point3d.
nb::object points_to_3d(nb::handle points, nb::handle matrix);

// Members of Point3d bound in point3d.cpp and defined in their theme files.
namespace point_lists {
nb::object find_nearest_point(nb::handle target, nb::handle points);
nb::object find_farthest_point(nb::handle target, nb::handle points);
nb::list remove_duplicate_points(nb::handle points);
nb::list select_unique_points(nb::handle points);
long count_point_occurrences(nb::handle target, nb::handle points);
bool is_has_duplicate_points(nb::handle points);
bool is_has_same_point(nb::handle target, nb::handle points);
nb::object get_min_point(nb::handle points);
Py_ssize_t get_min_point_id(nb::handle points);
nb::object get_max_point(nb::handle points);
Py_ssize_t get_max_point_id(nb::handle points);
nb::list random_points(nb::handle num_points, nb::handle x_range, nb::handle y_range, nb::handle z_range);
nb::object find_nearest_two_points(nb::handle points);
nb::object random_point(nb::handle x_range, nb::handle y_range, nb::handle z_range);
nb::object find_center(nb::handle points);
}  // namespace point_lists
namespace point_transforms {
nb::object apply_affine_transformation(nb::handle self, nb::handle matrix);
nb::list to_3d(nb::handle points, nb::handle matrix);
nb::list to_2d(nb::handle points, nb::handle matrix);
void plot_points(nb::handle points, nb::handle show);
}  // namespace point_transforms
// Members of Vector3d bound in vector3d.cpp and defined in vector3d_geometry.cpp.
namespace vector_geometry {
nb::object vector_from_points(nb::handle p1, nb::handle p2);
nb::object radian_to_degree(nb::handle radian);
double degree_to_radian(nb::handle degree);
nb::object cos(nb::handle v1, nb::handle v2);
nb::object sin(nb::handle v1, nb::handle v2);
nb::object projection_point(nb::handle a, nb::handle b, nb::handle c);
double projection_distance(nb::handle a, nb::handle b, nb::handle c);
double projection_length(nb::handle a, nb::handle b, nb::handle c);
nb::object projection_vector(nb::handle a, nb::handle b, nb::handle c);
nb::object mirror(nb::handle a, nb::handle b, nb::handle c);
nb::object intersection(nb::handle a, nb::handle b, nb::handle c, nb::handle d);
int relative_position(nb::handle a, nb::handle b, nb::handle c);
nb::object polar_angle(nb::handle point, nb::handle reference_point);
nb::object sort_points_by_polar_angle(nb::handle points, nb::handle reference_point);
double area_of_triangle(nb::handle p1, nb::handle p2, nb::handle p3);
bool is_clockwise(nb::handle p1, nb::handle p2, nb::handle p3);
bool is_counter_clockwise(nb::handle p1, nb::handle p2, nb::handle p3);
bool is_linear(nb::handle points);
}  // namespace vector_geometry

}  // namespace solidar
