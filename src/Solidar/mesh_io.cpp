// Mesh at the library's edges: vertex and triangle arrays from planar
// outlines through pyvista, Rhino meshes converted, meshes shown in pyvista
// windows, and the front-end export.  Each takes the plain steps through
// the module's names (np, pv, matplotlib, Mesh) as they are when called.
//
// pyvista note: `combine += other` merges two meshes in place and, in the
// current releases, merges their coincident points too, which may renumber
// them; callers of older releases saw each outline's points kept apart.
#include "Solidar/solidar.hpp"
#include "core/region_triangulation.hpp"

#include <cmath>
#include <vector>

using namespace nb::literals;

namespace solidar::mesh_io {
namespace {

const pyu::Key key_x("x"), key_y("y"), key_array("array"), key_hstack("hstack"), key_arange("arange"),
    key_PolyData("PolyData"), key_triangulate("triangulate"), key_extrude("extrude"), key_delaunay_2d("delaunay_2d"),
    key_faces("faces"), key_points("points"), key_reshape("reshape"), key_ones("ones"), key_float32("float32"),
    key_shape("shape"), key_Faces("Faces"), key_QuadCount("QuadCount"), key_convert_quads("ConvertQuadsToTriangles"),
    key_Vertices("Vertices"), key_len("__len__"), key_getitem("__getitem__"), key_Count("Count"), key_X("X"),
    key_Y("Y"), key_Z("Z"), key_make_tri_mesh("make_tri_mesh"), key_compute_normals("compute_normals"),
    key_Plotter("Plotter"), key_add_mesh("add_mesh"), key_add_axes("add_axes"), key_show("show"),
    key_colormaps("colormaps"), key_get_cmap("get_cmap"), key_to_pyvista_mesh("to_pyvista_mesh"),
    key_layer("layer"), key_random("random"), key_seed("seed"), key_rand("rand"), key_vertices("vertices"),
    key_indices("indices"), key_round("round"), key_flatten("flatten"), key_tolist("tolist"),
    key_convert_pv("convert_pvMesh_to_array"), key_convert_rhino("convert_rhinoMesh_to_pvMesh");

nb::object all_slice() { return pyu::check(PySlice_New(nullptr, nullptr, nullptr)); }
nb::object slice_from(long start) { return pyu::check(PySlice_New(pyu::int_obj(start).ptr(), nullptr, nullptr)); }
nb::object slice_to(long stop) { return pyu::check(PySlice_New(nullptr, pyu::int_obj(stop).ptr(), nullptr)); }
nb::object item(nb::handle x, nb::handle key) { return pyu::check(PyObject_GetItem(x.ptr(), key.ptr())); }

// The pyvista mesh of one outline: rows [x, y, 0] of the points in order,
// one polygon face of them all.
nb::object outline(nb::handle points) {
    nb::list rows;
    nb::object zero = pyu::int_obj(0);
    pyu::for_each_iter(points, [&](nb::handle p) {
        nb::object x = pyu::get_attr(p, key_x), y = pyu::get_attr(p, key_y);
        nb::list row;
        row.append(x), row.append(y), row.append(zero);
        rows.append(row);
        return true;
    });
    nb::object numpy = np.get();
    nb::object vertices = pyu::call_method(numpy, key_array, rows);
    nb::object count = pyu::check(PyLong_FromSsize_t(pyu::length(points)));
    nb::list head;
    head.append(count);
    nb::object corners = pyu::call_method(numpy, key_arange, pyu::check(PyLong_FromSsize_t(pyu::length(points))));
    nb::list parts;
    parts.append(head), parts.append(corners);
    nb::object faces = pyu::call_method(numpy, key_hstack, parts);
    return pyu::call_method(pv.get(), key_PolyData, vertices, faces);
}

// Mesh.convert_pvMesh_to_array through the module's Mesh.
nb::object to_arrays(nb::handle pv_mesh) {
    if (mesh_cls.holds(mesh_type))
        return convert_pv_mesh_to_array(pv_mesh);
    return pyu::call_method(mesh_cls.get(), key_convert_pv, pv_mesh);
}

nb::object extrude(nb::handle mesh, double height) {
    nb::list vector;
    vector.append(pyu::int_obj(0)), vector.append(pyu::int_obj(0)), vector.append(pyu::float_obj(height));
    return pyu::get_attr(mesh, key_extrude)(vector, "capping"_a = true);
}

// The outlines merged into the first one's mesh, in order.
nb::object combined(nb::handle points_list) {
    nb::list polygon;
    pyu::for_each_iter(points_list, [&](nb::handle points) {
        polygon.append(outline(points));
        return true;
    });
    nb::object combine = pyu::get_item(polygon, 0);
    for (Py_ssize_t i = 0; i + 1 < (Py_ssize_t) nb::len(polygon); ++i)
        combine = pyu::check(PyNumber_InPlaceAdd(combine.ptr(), pyu::get_item(polygon, i + 1).ptr()));
    return combine;
}

nb::object delaunay(nb::handle combine) { return pyu::get_attr(combine, key_delaunay_2d)("edge_source"_a = combine); }

// The cells of a flat face list (count, point numbers ...), each on points
// below n; false when the list is not that.
bool read_cells(const pyu::ArrayView<int64_t> &faces, size_t n, std::vector<geom::Ring> &cells) {
    if (faces.ndim != 1)
        return false;
    for (size_t at = 0; at < faces.shape[0];) {
        int64_t count = faces.data[at++];
        if (count < 0 || (size_t) count > faces.shape[0] - at)
            return false;
        geom::Ring cell;
        for (int64_t k = 0; k < count; ++k, ++at) {
            if (faces.data[at] < 0 || (size_t) faces.data[at] >= n)
                return false;
            cell.push_back((size_t) faces.data[at]);
        }
        cells.push_back(std::move(cell));
    }
    return true;
}

// The outlines are a boundary (the first) and its openings, each in either
// direction, open or closed.  pyvista's triangulation stands where its
// triangles lie in that region and cover it; otherwise the region's own
// constrained triangulation on the same points takes its place, as a mesh
// of the same points.  Outlines whose edges cross each other are not handed
// to pyvista's triangulation, which may then exhaust the memory.  Outlines
// that are not polygons on numeric points are pyvista's alone.
nb::object region_triangulation(nb::handle combine) {
    nb::object points = pyu::get_attr(combine, key_points);
    pyu::ArrayView<double> p = pyu::as_contiguous<double>(points);
    std::vector<geom::Ring> rings;
    if (p.ndim != 2 || p.shape[1] < 2 ||
        !read_cells(pyu::as_contiguous<int64_t>(pyu::get_attr(combine, key_faces)), p.shape[0], rings))
        return delaunay(combine);
    size_t n = p.shape[0], k = p.shape[1];
    std::vector<geom::Vec2> xy(n);
    for (size_t i = 0; i < n; ++i)
        xy[i] = {p.data[i * k], p.data[i * k + 1]};
    geom::Interrupt stop = pyu::interrupt();
    std::vector<geom::Triangle> own = geom::triangulate_region(xy, rings, stop);
    if (!geom::rings_cross(xy, rings, stop)) {
        double own_area = geom::triangles_area(xy, own);
        nb::object tess = delaunay(combine);
        nb::object tess_points = pyu::get_attr(tess, key_points);
        std::vector<geom::Ring> cells;
        if (pyu::length(tess_points) == (Py_ssize_t) n &&
            read_cells(pyu::as_contiguous<int64_t>(pyu::get_attr(tess, key_faces)), n, cells)) {
            std::vector<geom::Triangle> theirs;
            bool triangles = true;
            for (const geom::Ring &c : cells) {
                triangles = triangles && c.size() == 3;
                if (triangles)
                    theirs.push_back({c[0], c[1], c[2]});
            }
            double area = 0;
            if (triangles && geom::triangles_in_region(xy, rings, theirs, area, stop) &&
                std::fabs(area - own_area) <= 1e-9 * own_area)
                return tess;
        }
    }
    pyu::NewArray<int64_t> faces = pyu::new_array<int64_t>({4 * own.size()});
    for (size_t t = 0; t < own.size(); ++t) {
        faces.data[4 * t] = 3;
        for (int c = 0; c < 3; ++c)
            faces.data[4 * t + 1 + c] = (int64_t) own[t][c];
    }
    return pyu::call_method(pv.get(), key_PolyData, points, faces.array);
}

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

nb::object triangulate_2d(nb::handle points) {
    nb::object poly = outline(points);
    return to_arrays(pyu::call_method(poly, key_triangulate));
}

nb::object extrude_to_mesh(nb::handle points, nb::handle height) {
    double h = pyu::as_double(height);
    nb::object prism = extrude(outline(points), h);
    return to_arrays(pyu::call_method(prism, key_triangulate));
}

nb::object constrain_delaunay_2d(nb::handle points_list) { return to_arrays(region_triangulation(combined(points_list))); }

nb::object constrain_delaunay_3d(nb::handle points_list, nb::handle height) {
    double h = pyu::as_double(height);
    nb::object tess = region_triangulation(combined(points_list));
    return to_arrays(pyu::call_method(extrude(tess, h), key_triangulate));
}

// Quads are split in the caller's own mesh first; faces are read through
// `Faces` afresh before each use.
nb::object convert_rhino_mesh(nb::handle rhino_mesh) {
    nb::object quads = pyu::get_attr(pyu::get_attr(rhino_mesh, key_Faces), key_QuadCount);
    nb::object zero = pyu::int_obj(0);
    if (pyu::truthy(pyu::check(PyObject_RichCompare(quads.ptr(), zero.ptr(), Py_NE))))
        pyu::call_method(pyu::get_attr(rhino_mesh, key_Faces), key_convert_quads);
    nb::list points;
    Py_ssize_t n = pyu::range_count(pyu::call_method(pyu::get_attr(rhino_mesh, key_Vertices), key_len));
    for (Py_ssize_t j = 0; j < n; ++j) {
        nb::object index = pyu::check(PyLong_FromSsize_t(j));
        nb::object x = pyu::get_attr(item(pyu::get_attr(rhino_mesh, key_Vertices), index), key_X);
        nb::object y = pyu::get_attr(item(pyu::get_attr(rhino_mesh, key_Vertices), index), key_Y);
        nb::object z = pyu::get_attr(item(pyu::get_attr(rhino_mesh, key_Vertices), index), key_Z);
        nb::list row;
        row.append(x), row.append(y), row.append(z);
        points.append(row);
    }
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
