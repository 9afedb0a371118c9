// Solidar.Mesh: a triangle mesh holding the caller's vertex and triangle
// arrays and a layer name as plain attributes.  Whole-array work is numpy's
// own steps, except where core gives the same arrays faster: face normals,
// duplicate vertex rows (numpy.unique's rows and inverse, bit for bit) and
// the concatenation of a layer's meshes.  The outline builders, the Rhino
// conversion, the windows and the front-end export are in mesh_io.cpp; the
// member table below is the class's, in its order.
#include "Solidar/solidar.hpp"
#include "core/mesh/mesh_arrays.hpp"

#include <cstring>
#include <vector>

using namespace nb::literals;

namespace solidar {

PyTypeObject *mesh_type = nullptr;

namespace {

// The class's own `merge` as bound, held by a strong reference so that its
// address stays its own for the identity test, even after the class's
// attribute is replaced.
PyObject *own_merge = nullptr;

const pyu::Key key_vertices("vertices"), key_indices("indices"), key_layer("layer"), key_merge("merge"),
    key_concatenate("concatenate"), key_unique("unique"), key_reshape("reshape"), key_cross("cross"),
    key_linalg("linalg"), key_norm("norm"), key_dtype("dtype"), key_kind("kind"), key_astype("astype"),
    key_float64("float64"), key_column_stack("column_stack"), key_ones("ones"), key_shape("shape"), key_dot("dot"),
    key_T("T"), key_nonzero("nonzero"), key_clean_vertices("clean_vertices"), key_make_tri_mesh("make_tri_mesh"),
    key_int64("int64"), key_asarray("asarray");

// x[:, k]
nb::object column(nb::handle x, long k) {
    nb::object all = pyu::check(PySlice_New(nullptr, nullptr, nullptr));
    return pyu::check(PyObject_GetItem(x.ptr(), nb::make_tuple(all, k).ptr()));
}

void mesh_init(nb::handle self, nb::handle vertices, nb::handle indices, nb::handle layer) {
    pyu::check_receiver(self, (PyObject *) mesh_type, "Mesh");
    // Exactly a str (a subclass is refused too) or None; tested only here.
    if (!layer.is_none() && !PyUnicode_CheckExact(layer.ptr()))
        pyu::raise_format(PyExc_TypeError, "Argument '%.200s' has incorrect type (expected %.200s, got %.200s)",
                          "layer", "str", Py_TYPE(layer.ptr())->tp_name);
    pyu::construct<MeshData>(self, MeshData{});
    pyu::set_attr(self, key_vertices, vertices);
    pyu::set_attr(self, key_indices, indices);
    pyu::set_attr(self, key_layer, layer);
}

std::string mesh_text(nb::handle self) {
    pyu::RecursionGuard guard(" in Mesh.__repr__");
    return "Mesh:" + text_part(pyu::get_attr(self, key_layer));
}

// ----------------------------------------------------- triangle indices

Py_ssize_t ssize_of(nb::handle n) {
    Py_ssize_t v = PyNumber_AsSsize_t(n.ptr(), PyExc_OverflowError);
    if (v == -1 && PyErr_Occurred())
        pyu::raise_current();
    return v;
}

template <class I>
bool scan_indices(nb::handle array, Py_ssize_t n, size_t &bad) {
    pyu::ArrayView<I> view;
    if (!pyu::view_array(array, view))
        return false;
    bad = geom::first_outside(view.data, view.size(), (int64_t) n);
    if (bad == view.size())
        bad = SIZE_MAX;
    return true;
}

// ------------------------------------------------------------ normals

template <class T, class I>
nb::object core_normals(const pyu::ArrayView<T> &v, const pyu::ArrayView<I> &t) {
    pyu::NewArray<T> out = pyu::new_array<T>({t.shape[0], 3});
    if (!geom::face_normals(v.data, v.shape[0], t.data, t.shape[0], out.data, pyu::interrupt()))
        return nb::object();
    return out.array;
}

template <class I>
nb::object normals_with(nb::handle vertices, const pyu::ArrayView<I> &t) {
    pyu::ArrayView<double> vd;
    pyu::ArrayView<float> vf;
    pyu::ArrayView<int64_t> vi;
    auto rows3 = [](const auto &v) { return v.ndim == 2 && v.shape[1] == 3; };
    if (pyu::view_array(vertices, vd) && rows3(vd))
        return core_normals(vd, t);
    if (pyu::view_array(vertices, vf) && rows3(vf))
        return core_normals(vf, t);
    if (pyu::view_array(vertices, vi) && rows3(vi)) {  // measured in float64
        pyu::NewArray<double> as_float = pyu::new_array<double>({vi.shape[0], 3});
        for (size_t k = 0; k < vi.size(); ++k)
            as_float.data[k] = (double) vi.data[k];
        pyu::ArrayView<double> view;
        pyu::view_array(as_float.array, view);
        return core_normals(view, t);
    }
    return nb::object();
}

// cross(c1 - c0, c2 - c1) per triangle, divided in place by its length;
// degenerate triangles give NaN rows (numpy warns).  Integer vertices are
// measured in float64 rather than failing in the division.
nb::object normals(nb::handle self) {
    nb::object vertices = pyu::get_attr(self, key_vertices), triangles = pyu::get_attr(self, key_indices);
    pyu::ArrayView<int64_t> t64;
    pyu::ArrayView<int32_t> t32;
    nb::object fast;
    if (pyu::view_array(triangles, t64) && t64.ndim == 2 && t64.shape[1] == 3)
        fast = normals_with(vertices, t64);
    else if (pyu::view_array(triangles, t32) && t32.ndim == 2 && t32.shape[1] == 3)
        fast = normals_with(vertices, t32);
    if (fast.is_valid())
        return fast;
    // numpy's own steps, with its errors and warnings.
    nb::object corners = pyu::check(PyObject_GetItem(vertices.ptr(), triangles.ptr()));
    nb::object kind = pyu::get_attr(pyu::get_attr(corners, key_dtype), key_kind);
    if (pyu::str_of(kind).find_first_of("biu") != std::string::npos)
        corners = pyu::call_method(corners, key_astype, pyu::get_attr(np.get(), key_float64));
    nb::object c0 = column(corners, 0), c1 = column(corners, 1), c2 = column(corners, 2);
    nb::object a = pyu::num_sub(c1, c0), b = pyu::num_sub(c2, c1);
    nb::object face = pyu::call_method(np.get(), key_cross, a, b);
    nb::object norm = pyu::get_attr(pyu::get_attr(np.get(), key_linalg), key_norm);
    nb::object lengths = norm(face, "axis"_a = 1);
    nb::object all = pyu::check(PySlice_New(nullptr, nullptr, nullptr));
    nb::object upright = pyu::check(PyObject_GetItem(lengths.ptr(), nb::make_tuple(all, nb::none()).ptr()));
    return pyu::check(PyNumber_InPlaceTrueDivide(face.ptr(), upright.ptr()));
}

// ---------------------------------------------------- duplicate vertex rows

template <class T>
bool core_unique(nb::handle vertices, nb::object &rows, nb::object &inverse) {
    pyu::ArrayView<T> v;
    if (!pyu::view_array(vertices, v) || v.ndim != 2 || v.shape[1] == 0)
        return false;
    size_t n = v.shape[0], k = v.shape[1];
    geom::UniqueRows u = geom::unique_rows(v.data, n, k, pyu::interrupt());
    pyu::NewArray<T> r = pyu::new_array<T>({u.rows.size(), k});
    for (size_t i = 0; i < u.rows.size(); ++i)
        std::memcpy(r.data + i * k, v.data + u.rows[i] * k, k * sizeof(T));
    pyu::NewArray<int64_t> inv = pyu::new_array<int64_t>({n});
    if (n > 0)  // an empty vector may hold no buffer at all
        std::memcpy(inv.data, u.inverse.data(), n * sizeof(int64_t));
    rows = r.array;
    inverse = inv.array;
    return true;
}

// numpy.unique(vertices, axis=0, return_inverse=True) with a one-dimensional
// inverse (numpy 2.0.0 alone gave it a second axis).
std::pair<nb::object, nb::object> unique_rows(nb::handle vertices) {
    nb::object rows, inverse;
    if (core_unique<double>(vertices, rows, inverse) || core_unique<float>(vertices, rows, inverse) ||
        core_unique<int64_t>(vertices, rows, inverse) || core_unique<int32_t>(vertices, rows, inverse))
        return {rows, inverse};
    nb::object unique = pyu::get_attr(np.get(), key_unique);
    nb::object result = unique(vertices, "axis"_a = 0, "return_inverse"_a = true);
    nb::object parts[2];
    pyu::unpack(result, parts, 2);
    return {parts[0], pyu::call_method(parts[1], key_reshape, pyu::int_obj(-1))};
}

nb::object clean_vertices(nb::handle vertices, nb::handle triangles) {
    auto [rows, inverse] = unique_rows(vertices);
    nb::object renumbered = pyu::check(PyObject_GetItem(inverse.ptr(), triangles.ptr()));
    return nb::make_tuple(rows, renumbered);
}

nb::object new_mesh(nb::handle vertices, nb::handle triangles, nb::handle layer) {
    return pyu::call(mesh_cls.get(), vertices, triangles, layer);
}

nb::object self_clean_vertices(nb::handle self) {
    auto [rows, inverse] = unique_rows(pyu::get_attr(self, key_vertices));
    nb::object renumbered = pyu::check(PyObject_GetItem(inverse.ptr(), pyu::get_attr(self, key_indices).ptr()));
    nb::object layer = pyu::get_attr(self, key_layer);
    return mesh_cls.get()("vertices"_a = rows, "indices"_a = renumbered, "layer"_a = layer);
}

nb::object simplify_mesh(nb::handle mesh) {
    nb::object vertices = pyu::get_attr(mesh, key_vertices), triangles = pyu::get_attr(mesh, key_indices);
    nb::object cleaned = mesh_cls.holds(mesh_type)
                             ? clean_vertices(vertices, triangles)
                             : pyu::call_method(mesh_cls.get(), key_clean_vertices, vertices, triangles);
    nb::object parts[2];
    pyu::unpack(cleaned, parts, 2);
    return new_mesh(parts[0], parts[1], pyu::get_attr(mesh, key_layer));
}

// ------------------------------------------------------------ merging

nb::object merge(nb::handle self, nb::handle other) {
    nb::object v = pyu::get_attr(self, key_vertices), ov = pyu::get_attr(other, key_vertices);
    nb::object concatenate = pyu::get_attr(np.get(), key_concatenate);
    nb::object vertices = concatenate(nb::make_tuple(v, ov), "axis"_a = 0);
    nb::object t = pyu::get_attr(self, key_indices), ot = pyu::get_attr(other, key_indices);
    nb::object count = pyu::check(PyLong_FromSsize_t(pyu::length(pyu::get_attr(self, key_vertices))));
    nb::object shifted = pyu::num_add(ot, count);
    nb::object triangles = pyu::get_attr(np.get(), key_concatenate)(nb::make_tuple(t, shifted), "axis"_a = 0);
    return new_mesh(vertices, triangles, pyu::get_attr(self, key_layer));
}

// A layer's meshes concatenated at once, as the pairwise merges would give
// them: the same rows in the same order, the triangles of each mesh shifted
// by the rows before it, the first mesh's layer.  Empty when the arrays are
// not all of one plain kind (the pairwise merges then answer).
template <class T>
nb::object concatenate_layer(const std::vector<nb::object> &meshes) {
    std::vector<pyu::ArrayView<T>> vs(meshes.size());
    std::vector<pyu::ArrayView<int64_t>> ts(meshes.size());
    size_t rows = 0, triangles = 0, k = 0, c = 0;
    for (size_t m = 0; m < meshes.size(); ++m) {
        if (!pyu::view_array(pyu::get_attr(meshes[m], key_vertices), vs[m]) || vs[m].ndim != 2 ||
            !pyu::view_array(pyu::get_attr(meshes[m], key_indices), ts[m]) || ts[m].ndim != 2)
            return nb::object();
        if (m == 0)
            k = vs[m].shape[1], c = ts[m].shape[1];
        if (vs[m].shape[1] != k || ts[m].shape[1] != c)
            return nb::object();
        rows += vs[m].shape[0], triangles += ts[m].shape[0];
    }
    pyu::NewArray<T> v = pyu::new_array<T>({rows, k});
    pyu::NewArray<int64_t> t = pyu::new_array<int64_t>({triangles, c});
    size_t at_row = 0, at_triangle = 0;
    for (size_t m = 0; m < meshes.size(); ++m) {
        if (vs[m].size() > 0)
            std::memcpy(v.data + at_row * k, vs[m].data, vs[m].size() * sizeof(T));
        geom::copy_shifted(ts[m].data, ts[m].size(), (int64_t) at_row, t.data + at_triangle * c);
        at_row += vs[m].shape[0], at_triangle += ts[m].shape[0];
    }
    return new_mesh(v.array, t.array, pyu::get_attr(meshes[0], key_layer));
}

nb::object merge_layer(const std::vector<nb::object> &meshes) {
    if (meshes.size() == 1)
        return meshes[0];
    nb::object once = concatenate_layer<double>(meshes);
    if (!once.is_valid())
        once = concatenate_layer<float>(meshes);
    if (once.is_valid())
        return once;
    nb::object merged = meshes[0];
    for (size_t m = 1; m < meshes.size(); ++m)
        merged = merge(merged, meshes[m]);
    return merged;
}

// One mesh per layer in order of first appearance.  The plain steps merge
// pairwise, copying a layer's growing arrays once per mesh; meshes of our
// own class with plain arrays, while `merge` is the class's own and no mesh
// has one of its own, are gathered by layer and each layer is concatenated
// once, with the same result.  Otherwise each `merge` is called.
nb::list merge_meshes_by_layer(nb::handle meshes) {
    nb::object items = pyu::snapshot(meshes);
    Py_ssize_t n = pyu::snap_size(items);
    bool gathered = mesh_cls.holds(mesh_type);
    for (Py_ssize_t i = 0; i < n && gathered; ++i) {
        nb::handle mesh = pyu::snap_item(items, i);
        if (Py_TYPE(mesh.ptr()) != mesh_type || !pyu::resolves_to(mesh, key_merge, own_merge))
            gathered = false;
        else {
            nb::object layer = pyu::get_attr(mesh, key_layer);
            gathered = layer.is_none() || PyUnicode_CheckExact(layer.ptr());
        }
    }
    nb::dict by_layer;
    if (!gathered) {
        for (Py_ssize_t i = 0; i < n; ++i) {
            nb::object mesh = nb::borrow(pyu::snap_item(items, i));
            nb::object layer = pyu::get_attr(mesh, key_layer);
            if (pyu::check_status(PyDict_Contains(by_layer.ptr(), layer.ptr())))
                by_layer[layer] = pyu::call_method(by_layer[layer], key_merge, mesh);
            else
                by_layer[layer] = mesh;
        }
        return nb::list(by_layer.values());
    }
    std::vector<std::vector<nb::object>> groups;
    for (Py_ssize_t i = 0; i < n; ++i) {
        nb::object mesh = nb::borrow(pyu::snap_item(items, i));
        nb::object layer = pyu::get_attr(mesh, key_layer);
        PyObject *at = PyDict_GetItemWithError(by_layer.ptr(), layer.ptr());
        if (!at && PyErr_Occurred())
            pyu::raise_current();
        if (at) {
            groups[PyLong_AsSize_t(at)].push_back(mesh);
        } else {
            by_layer[layer] = pyu::check(PyLong_FromSize_t(groups.size()));
            groups.push_back({mesh});
        }
    }
    nb::list out;
    for (const std::vector<nb::object> &group : groups)
        out.append(merge_layer(group));
    return out;
}

// ------------------------------------------------------ transformation

nb::object apply_affine_transformation(nb::handle vertices, nb::handle matrix) {
    check_matrix_shape(matrix);
    nb::object numpy = np.get();
    nb::object rows = pyu::get_item(pyu::get_attr(vertices, key_shape), 0);
    nb::object ones = pyu::call_method(numpy, key_ones, rows);
    nb::object homogeneous = pyu::call_method(numpy, key_column_stack, nb::make_tuple(vertices, ones));
    nb::object product = pyu::call_method(numpy, key_dot, matrix, pyu::get_attr(homogeneous, key_T));
    nb::object three = pyu::check(PySlice_New(nullptr, pyu::int_obj(3).ptr(), nullptr));
    nb::object all = pyu::check(PySlice_New(nullptr, nullptr, nullptr));
    nb::object top = pyu::check(PyObject_GetItem(product.ptr(), nb::make_tuple(three, all).ptr()));
    return pyu::get_attr(top, key_T);
}

}  // namespace


// The indices as one int64 array made by numpy, checked against the rows
// of `vertex_array` (numpy's array of the vertices, which is what pyvista is
// then handed too).  Numbers are checked in their own dtype (so NaN and
// values beyond int64 are named as they are) and then converted; anything
// else (objects, text) is converted by numpy first, one int() per element,
// and the converted values are checked.  Nothing a caller's objects say
// after the conversion can reach pyvista.
nb::object checked_indices(nb::handle vertices, nb::handle indices, nb::object &vertex_array) {
    vertex_array = pyu::as_ndarray(vertices);
    nb::object shape = pyu::get_attr(vertex_array, key_shape);
    Py_ssize_t n = pyu::length(shape) == 0 ? 0 : ssize_of(pyu::get_item(shape, 0));
    nb::object values = pyu::as_ndarray(indices);
    nb::object int64 = pyu::get_attr(np.get(), key_int64);
    nb::object kind = pyu::get_attr(pyu::get_attr(values, key_dtype), key_kind);
    bool numeric = pyu::str_of(kind).find_first_of("biuf") != std::string::npos;
    nb::object converted;
    if (!numeric) {
        converted = pyu::get_attr(np.get(), key_asarray)(values, "dtype"_a = int64);
        values = converted;
    }
    size_t bad = SIZE_MAX;
    if (!scan_indices<int64_t>(values, n, bad) && !scan_indices<int32_t>(values, n, bad)) {
        nb::object zero = pyu::int_obj(0), count = pyu::check(PyLong_FromSsize_t(n));
        nb::object below = pyu::check(PyObject_RichCompare(values.ptr(), zero.ptr(), Py_LT));
        nb::object above = pyu::check(PyObject_RichCompare(values.ptr(), count.ptr(), Py_GE));
        nb::object nan = pyu::check(PyObject_RichCompare(values.ptr(), values.ptr(), Py_NE));
        nb::object outside = pyu::check(PyNumber_Or(pyu::check(PyNumber_Or(below.ptr(), above.ptr())).ptr(), nan.ptr()));
        nb::object flat = pyu::call_method(outside, key_reshape, pyu::int_obj(-1));
        nb::object where = pyu::get_item(pyu::call_method(flat, key_nonzero), 0);
        if (pyu::length(where) > 0)
            bad = (size_t) ssize_of(pyu::get_item(where, 0));
    }
    if (bad != SIZE_MAX) {
        nb::object value = pyu::get_item(pyu::call_method(values, key_reshape, pyu::int_obj(-1)), (Py_ssize_t) bad);
        nb::object vshape = pyu::get_attr(values, key_shape);
        if (pyu::length(vshape) == 2 && ssize_of(pyu::get_item(vshape, 1)) > 0)
            pyu::raise_format(PyExc_IndexError, "index %S of triangle %zd is out of range for %zd vertices",
                              value.ptr(), (Py_ssize_t) bad / ssize_of(pyu::get_item(vshape, 1)), n);
        pyu::raise_format(PyExc_IndexError, "triangle index %S is out of range for %zd vertices", value.ptr(), n);
    }
    if (!converted.is_valid())
        converted = pyu::call_method(values, key_astype, int64);
    return converted;
}

nb::object to_pyvista_mesh(nb::handle self) {
    nb::object v = pyu::get_attr(self, key_vertices), t = pyu::get_attr(self, key_indices);
    nb::object vertex_array;
    nb::object triangles = checked_indices(v, t, vertex_array);
    return pyu::call_method(pv.get(), key_make_tri_mesh, vertex_array, triangles);
}

void check_triangle_indices(nb::handle vertices, nb::handle indices) {
    if (!pyu::is_ndarray_instance(indices))
        return;
    nb::object vertex_array;
    checked_indices(vertices, indices, vertex_array);
}

void bind_mesh(nb::module_ &m) {
    using namespace mesh_io;
    pyu::Class<MeshData> cls(m, "Mesh", DOC(Mesh));
    mesh_type = cls.type();
    cls.init(&mesh_init, DOC(Mesh, __init__), "vertices"_a, "indices"_a, "layer"_a = nb::none())
        .method("__repr__", &mesh_text, DOC(Mesh, __repr__))
        .property("normals", &normals, DOC(Mesh, normals))
        .method("to_pyvista_mesh", &to_pyvista_mesh, DOC(Mesh, to_pyvista_mesh))
        .method("merge", &merge, DOC(Mesh, merge), "other_mesh"_a)
        .method("self_clean_vertices", &self_clean_vertices, DOC(Mesh, self_clean_vertices))
        .static_method("merge_meshes_by_layer", &merge_meshes_by_layer, DOC(Mesh, merge_meshes_by_layer), "meshes"_a)
        .static_method("apply_affine_transformation", &apply_affine_transformation,
                       DOC(Mesh, apply_affine_transformation), "vertices"_a, "transformation_matrix"_a)
        .static_method("clean_vertices", &clean_vertices, DOC(Mesh, clean_vertices), "vertices"_a = nb::none(),
                       "_indices"_a = nb::none())
        .static_method("simplify_mesh", &simplify_mesh, DOC(Mesh, simplify_mesh), "mesh"_a)
        .static_method("convert_pvMesh_to_array", &convert_pv_mesh_to_array, DOC(Mesh, convert_pvMesh_to_array),
                       "pv_mesh"_a)
        .static_method("triangulate_2d", &triangulate_2d, DOC(Mesh, triangulate_2d), "points"_a)
        .static_method("extrude_to_mesh", &extrude_to_mesh, DOC(Mesh, extrude_to_mesh), "points"_a, "height"_a)
        .static_method("constrain_delaunay_2d", &constrain_delaunay_2d, DOC(Mesh, constrain_delaunay_2d),
                       "points_list"_a)
        .static_method("constrain_delaunay_3d", &constrain_delaunay_3d, DOC(Mesh, constrain_delaunay_3d),
                       "points_list"_a, "height"_a)
        .static_method("convert_rhinoMesh_to_pvMesh", &convert_rhino_mesh, DOC(Mesh, convert_rhinoMesh_to_pvMesh),
                       "rhino_mesh"_a)
        .static_method("show_rhino_mesh", &show_rhino_mesh, DOC(Mesh, show_rhino_mesh), "rhino_geometries"_a)
        .static_method("show_pyvista_mesh", &show_pyvista_mesh, DOC(Mesh, show_pyvista_mesh), "pyvista_meshes"_a)
        .static_method("show_mesh", &show_mesh, DOC(Mesh, show_mesh), "meshes"_a)
        .static_method("meshes_to_front", &meshes_to_front, DOC(Mesh, meshes_to_front), "meshes"_a = nb::none());
    PyObject *previous = own_merge;
    own_merge = Py_XNewRef(pyu::class_attr((PyObject *) cls.type(), key_merge));
    Py_XDECREF(previous);
}

}  // namespace solidar
