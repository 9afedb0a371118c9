// Solidar: solid points and vectors, façade surfaces, planes and meshes.
// Initialisation, in order: the outside imports, Flatkin's Point, the
// constants, then Point3d, Vector3d, Surface, Plane and Mesh.
#include "Solidar/solidar.hpp"
#include "pyutil/module.hpp"
#include "pyutil/numpy_kernels.hpp"

namespace solidar {

pyu::Name epsilon, np, pv, plt, matplotlib, point_cls, point3d_cls, vector3d_cls, surface_cls, plane_cls, mesh_cls,
    floor_heights, unit_width;

namespace {
const pyu::Key key_x("x"), key_y("y"), key_z("z"), key_cos("cos"), key_sin("sin"), key_arccos("arccos"),
    key_magnitude("magnitude");
PyObject *numpy_module = nullptr;  // the numpy imported at initialisation
}  // namespace

std::string text(nb::handle self, const char *name) {
    if (pyu::is_solid(self)) {
        const solid::Point3d &p = pyu::solid_fields(self);
        return std::string(name) + "(" + pyu::float_repr(p.x) + ", " + pyu::float_repr(p.y) + ", " +
               pyu::float_repr(p.z) + ")";
    }
    pyu::RecursionGuard guard(" in a solid text form");
    nb::object x = pyu::get_attr(self, key_x), y = pyu::get_attr(self, key_y), z = pyu::get_attr(self, key_z);
    std::string sx = pyu::format_obj(x), sy = pyu::format_obj(y);
    return std::string(name) + "(" + sx + ", " + sy + ", " + pyu::format_obj(z) + ")";
}

std::string text_part(nb::handle h) {
    if (PyUnicode_Check(h.ptr())) {
        Py_ssize_t size = 0;
        const char *s = PyUnicode_AsUTF8AndSize(h.ptr(), &size);
        if (!s)
            pyu::raise_current();
        return std::string(s, (size_t) size);
    }
    return pyu::format_obj(h);
}

Py_hash_t hash(nb::handle self) {
    if (pyu::is_solid(self)) {
        const solid::Point3d &p = pyu::solid_fields(self);
        return pyu::hash_doubles({p.x, p.y, p.z});
    }
    pyu::RecursionGuard guard(" in a solid hash");
    nb::object x = pyu::get_attr(self, key_x), y = pyu::get_attr(self, key_y), z = pyu::get_attr(self, key_z);
    nb::object triple = pyu::check(PyTuple_Pack(3, x.ptr(), y.ptr(), z.ptr()));
    return pyu::hash_of(triple);
}

bool is_equal(nb::handle self, nb::handle other) {
    Vec3 a = xyz(self), b = xyz(other);
    return geom::tolerant_equal(a, b, eps());
}

bool np_is_numpy() { return np.holds(numpy_module); }

CosSin np_cos_sin(double angle) {
    if (np_is_numpy())
        return {pyu::np_cos(angle), pyu::np_sin(angle)};
    nb::object numpy = np.get(), a = pyu::float_obj(angle);
    double c = pyu::as_double(pyu::call_method(numpy, key_cos, a));
    return {c, pyu::as_double(pyu::call_method(numpy, key_sin, a))};
}

nb::object np_arccos(double c) {
    if (np_is_numpy())
        return pyu::np_float64(pyu::np_arccos(c));
    nb::object numpy = np.get(), value = pyu::float_obj(c);
    return pyu::call_method(numpy, key_arccos, value);
}

double magnitude_of(nb::handle h) {
    if (pyu::is_vector3d(h))
        return checked(geom::length(xyz(h)));
    return pyu::as_double(pyu::get_attr(h, key_magnitude));
}

}  // namespace solidar

GEOM_MODULE(Solidar, m) {
    using namespace solidar;
    // Points held by module-level objects at interpreter exit are expected.
    nb::set_leak_warnings(false);
    m.doc() = DOC_MODULE;
    pyu::import_as(m, "math");
    pyu::import_from(m, "typing", {"Optional", "List", "Tuple"});
    pyu::import_as(m, "matplotlib");
    pyu::import_as(m, "numpy", "np");
    pyu::import_as(m, "pyvista", "pv");
    pyu::import_as(m, "matplotlib.pyplot", "plt");
    pyu::import_from(m, "Flatkin", {"Point"});
    pyu::init_flat_types();
    pyu::init_numpy_kernels();
    numpy_module = m.attr("np").ptr();  // the module object lives for the process

    m.attr("epsilon") = pyu::py_float(nb::str("1e-6"));
    m.attr("BIM_HEIGHTS") = nb::list(nb::make_tuple(0, 6.5, 11, 15.5));
    m.attr("BIM_FLOOR_HEIGHTS") = nb::list(nb::make_tuple(0, 6.5, 4.5, 4.5, 4.5, 4.5, 4.5, 4.5));
    m.attr("BIM_UNIT_WIDTH") = pyu::float_obj(8.4);

    epsilon.bind(m, "epsilon");
    np.bind(m, "np");
    pv.bind(m, "pv");
    plt.bind(m, "plt");
    matplotlib.bind(m, "matplotlib");
    point_cls.bind(m, "Point");
    point3d_cls.bind(m, "Point3d");
    vector3d_cls.bind(m, "Vector3d");
    surface_cls.bind(m, "Surface");
    plane_cls.bind(m, "Plane");
    mesh_cls.bind(m, "Mesh");
    floor_heights.bind(m, "BIM_FLOOR_HEIGHTS");
    unit_width.bind(m, "BIM_UNIT_WIDTH");

    bind_point3d(m);
    bind_vector3d(m);
    pyu::init_solid_types();
    bind_surface(m);
    bind_plane(m);
    bind_mesh(m);

    // Run as the main program, the module prints a small numpy sum.
    if (pyu::num_eq(m.attr("__name__"), nb::str("__main__"))) {
        nb::object numpy = m.attr("np");
        nb::object rows = nb::make_tuple(nb::make_tuple(1, 2, 3), nb::make_tuple(4, 5, 6));
        nb::object grid = pyu::call_method(numpy, pyu::Key("array"), rows);
        pyu::print(pyu::num_add(grid, pyu::int_obj(2)));
    }
    m.attr("__test__") = nb::dict();
}
