// Mesh at the library's edges: pyvista meshes read back into arrays, Rhino
// meshes converted, meshes shown in pyvista windows, and the front-end
// export.  Each takes the plain steps through the module's names (np, pv,
// matplotlib, Mesh) as they are when called.  The outline builders are in
// mesh_outlines.cpp.
#include "Solidar/solidar.hpp"

#include <cmath>
#include <vector>

using namespace nb::literals;

namespace solidar::mesh_io {
namespace {

const pyu::Key key_array("array"), key_hstack("hstack"), key_faces("faces"), key_points("points"), key_reshape("reshape"), key_ones("ones"), key_float32("float32"),
    key_shape("shape"), key_Faces("Faces"), key_QuadCount("QuadCount"), key_convert_quads("ConvertQuadsToTriangles"),
    key_Vertices("Vertices"), key_len("__len__"), key_getitem("__getitem__"), key_Count("Count"), key_X("X"),
    key_Y("Y"), key_Z("Z"), key_to_point3d_array("ToPoint3dArray"), key_point3d_at("Point3dAt"), key_make_tri_mesh("make_tri_mesh"), key_compute_normals("compute_normals"),
    key_Plotter("Plotter"), key_add_mesh("add_mesh"), key_add_axes("add_axes"), key_show("show"),
    key_colormaps("colormaps"), key_get_cmap("get_cmap"), key_to_pyvista_mesh("to_pyvista_mesh"),
    key_layer("layer"), key_random("random"), key_seed("seed"), key_rand("rand"), key_vertices("vertices"),
    key_indices("indices"), key_round("round"), key_flatten("flatten"), key_tolist("tolist"), key_convert_rhino("convert_rhinoMesh_to_pvMesh");

nb::object all_slice() { return pyu::check(PySlice_New(nullptr, nullptr, nullptr)); }
nb::object slice_from(long start) { return pyu::check(PySlice_New(pyu::int_obj(start).ptr(), nullptr, nullptr)); }
nb::object slice_to(long stop) { return pyu::check(PySlice_New(nullptr, pyu::int_obj(stop).ptr(), nullptr)); }
nb::object item(nb::handle x, nb::handle key) { return pyu::check(PyObject_GetItem(x.ptr(), key.ptr())); }

nb::object new_plotter() { return pyu::call_method(pv.get(), key_Plotter); }

void finish(nb::handle plotter) {
    pyu::get_attr(plotter, key_add_axes)("line_width"_a = 5, "labels_off"_a = false);
    pyu::call_method(plotter, key_show);
}

}  // namespace

nb::object convert_pv_mesh_to_array(nb::handle pv_mesh) {
    nb::object faces = pyu::get_attr(pv_mesh, key_faces);
    nb::object rows = pyu::call_method(faces, key_reshape, pyu::int_obj(-1), pyu::int_obj(4));
    nb::object triangles = item(rows, nb::make_tuple(all_slice(), slice_from(1)));
    nb::object numpy = np.get();
    nb::object count = pyu::get_item(pyu::get_attr(pyu::get_attr(pv_mesh, key_points), key_shape), 0);
    nb::object ones = pyu::get_attr(numpy, key_ones)(count, "dtype"_a = pyu::get_attr(numpy, key_float32));
    nb::object column = item(ones, nb::make_tuple(all_slice(), nb::none()));
    nb::object stacked = pyu::call_method(numpy, key_hstack, nb::make_tuple(pyu::get_attr(pv_mesh, key_points), column));
    nb::object vertices = item(stacked, nb::make_tuple(all_slice(), slice_to(3)));
    return nb::make_tuple(vertices, triangles);
}

namespace {

// The rows x, y, z of the mesh's vertices at the precision it holds them.  A
// Rhino vertex list keeps double-precision points (added as such, or read
// from a file) but its items are single-precision: its whole list
// (ToPoint3dArray, once) or each point (Point3dAt) is read where it offers
// them.  Any other mesh-like object is indexed, `Vertices` read afresh for
// each coordinate.
nb::list vertex_rows(nb::handle rhino_mesh) {
    nb::list points;
    nb::object vertices = pyu::get_attr(rhino_mesh, key_Vertices);
    Py_ssize_t n = pyu::range_count(pyu::call_method(vertices, key_len));
    nb::object whole = pyu::get_attr_or_null(vertices, key_to_point3d_array);
    nb::object each = whole.is_valid() ? nb::object() : pyu::get_attr_or_null(vertices, key_point3d_at);
    nb::object array = whole.is_valid() ? pyu::call(whole) : nb::object();
    for (Py_ssize_t j = 0; j < n; ++j) {
        nb::object index = pyu::check(PyLong_FromSsize_t(j));
        nb::list row;
        if (array.is_valid() || each.is_valid()) {
            nb::object vertex = array.is_valid() ? item(array, index) : pyu::call(each, index);
            row.append(pyu::get_attr(vertex, key_X)), row.append(pyu::get_attr(vertex, key_Y));
            row.append(pyu::get_attr(vertex, key_Z));
        } else {
            row.append(pyu::get_attr(item(pyu::get_attr(rhino_mesh, key_Vertices), index), key_X));
            row.append(pyu::get_attr(item(pyu::get_attr(rhino_mesh, key_Vertices), index), key_Y));
            row.append(pyu::get_attr(item(pyu::get_attr(rhino_mesh, key_Vertices), index), key_Z));
        }
        points.append(row);
    }
    return points;
}

}  // namespace

// Quads are split in the caller's own mesh first; faces are read through
// `Faces` afresh before each use.
nb::object convert_rhino_mesh(nb::handle rhino_mesh) {
    nb::object quads = pyu::get_attr(pyu::get_attr(rhino_mesh, key_Faces), key_QuadCount);
    nb::object zero = pyu::int_obj(0);
    if (pyu::truthy(pyu::check(PyObject_RichCompare(quads.ptr(), zero.ptr(), Py_NE))))
        pyu::call_method(pyu::get_attr(rhino_mesh, key_Faces), key_convert_quads);
    nb::list points = vertex_rows(rhino_mesh);
    nb::list faces;
    Py_ssize_t m = pyu::range_count(pyu::get_attr(pyu::get_attr(rhino_mesh, key_Faces), key_Count));
    for (Py_ssize_t k = 0; k < m; ++k) {
        nb::object index = pyu::check(PyLong_FromSsize_t(k));
        nb::object face = pyu::call_method(pyu::get_attr(rhino_mesh, key_Faces), key_getitem, index);
        PyMappingMethods *mapping = Py_TYPE(face.ptr())->tp_as_mapping;
        if (!mapping || !mapping->mp_subscript)
            pyu::raise_format(PyExc_TypeError, "'%.200s' object is unsliceable", Py_TYPE(face.ptr())->tp_name);
        faces.append(item(face, slice_to(3)));
    }
    nb::object numpy = np.get();
    nb::object floats = nb::borrow((PyObject *) &PyFloat_Type), ints = nb::borrow((PyObject *) &PyLong_Type);
    nb::object point_array = pyu::get_attr(numpy, key_array)(points, "dtype"_a = floats);
    nb::object face_array = pyu::get_attr(numpy, key_array)(faces, "dtype"_a = ints);
    check_triangle_indices(point_array, face_array);
    nb::object mesh = pyu::call_method(pv.get(), key_make_tri_mesh, point_array, face_array);
    return pyu::get_attr(mesh, key_compute_normals)("auto_orient_normals"_a = true, "flip_normals"_a = true);
}

void show_rhino_mesh(nb::handle rhino_geometries) {
    nb::object plotter = new_plotter();
    pyu::for_each_iter(rhino_geometries, [&](nb::handle geo) {
        nb::object mesh = mesh_cls.holds(mesh_type) ? convert_rhino_mesh(geo)
                                                    : pyu::call_method(mesh_cls.get(), key_convert_rhino, geo);
        pyu::call_method(plotter, key_add_mesh, mesh);
        return true;
    });
    finish(plotter);
}

void show_pyvista_mesh(nb::handle pyvista_meshes) {
    nb::object plotter = new_plotter();
    pyu::for_each_iter(pyvista_meshes, [&](nb::handle mesh) {
        pyu::call_method(plotter, key_add_mesh, mesh);
        return true;
    });
    finish(plotter);
}

// One colour per layer: numpy's shared generator is seeded with the layer's
// hash (modulo 2**32 - 1) before each draw, and is left seeded.
void show_mesh(nb::handle meshes) {
    nb::object plotter = new_plotter();
    nb::object colormaps = pyu::get_attr(matplotlib.get(), key_colormaps);
    nb::object colormap = pyu::call_method(colormaps, key_get_cmap, nb::str("rainbow"));
    pyu::for_each_iter(meshes, [&](nb::handle m) {
        nb::object mm = pyu::call_method(m, key_to_pyvista_mesh);
        Py_hash_t h = pyu::hash_of(pyu::get_attr(m, key_layer));
        long long seed = (long long) (h % 4294967295LL);
        if (seed < 0)
            seed += 4294967295LL;
        nb::object random = pyu::get_attr(np.get(), key_random);
        pyu::call_method(random, key_seed, pyu::check(PyLong_FromLongLong(seed)));
        nb::object drawn = pyu::call_method(pyu::get_attr(np.get(), key_random), key_rand);
        nb::object color = pyu::call(colormap, drawn);
        pyu::get_attr(plotter, key_add_mesh)(mm, "color"_a = color, "show_scalar_bar"_a = false);
        return true;
    });
    finish(plotter);
}

// Per layer (in order of first appearance; a later mesh replaces an earlier
// one): "vertex", each row as x, z, -y rounded by numpy to 4 decimals and
// flattened, and "vertex_index", the triangles flattened.
nb::dict meshes_to_front(nb::handle meshes) {
    nb::list pairs;
    pyu::for_each_iter(meshes, [&](nb::handle mesh) {
        nb::object layer = pyu::get_attr(mesh, key_layer);
        nb::list order;
        order.append(pyu::int_obj(0)), order.append(pyu::int_obj(2)), order.append(pyu::int_obj(1));
        nb::object vertices = pyu::get_attr(mesh, key_vertices);
        nb::object swapped = item(vertices, nb::make_tuple(all_slice(), order));
        nb::list signs;
        signs.append(pyu::int_obj(1)), signs.append(pyu::int_obj(1)), signs.append(pyu::int_obj(-1));
        nb::object flipped = pyu::num_mul(swapped, signs);
        nb::object rounded = pyu::get_attr(np.get(), key_round)(flipped, "decimals"_a = 4);
        nb::object vertex = pyu::call_method(pyu::call_method(rounded, key_flatten), key_tolist);
        nb::object indices = pyu::get_attr(mesh, key_indices);
        check_triangle_indices(vertices, indices);
        nb::object flat = pyu::call_method(indices, key_flatten);
        nb::dict entry;
        entry["vertex"] = vertex;
        entry["vertex_index"] = pyu::call_method(flat, key_tolist);
        pairs.append(nb::make_tuple(layer, entry));
        return true;
    });
    nb::dict out;
    pyu::for_each_item(pairs, 0, [&](Py_ssize_t, nb::handle pair) {
        out[pyu::get_item(pair, 0)] = pyu::get_item(pair, 1);
        return true;
    });
    return out;
}

}  // namespace solidar::mesh_io
