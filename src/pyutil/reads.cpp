#include "pyutil/reads.hpp"

#include "pyutil/attrs.hpp"
#include "pyutil/classes.hpp"

namespace pyu {

PyTypeObject *point_type = nullptr, *vector_type = nullptr;
PyTypeObject *point3d_type = nullptr, *vector3d_type = nullptr;
Py_ssize_t point_payload = 0;
Py_ssize_t ready_byte = -1;

void init_flat_types() {
    point_type = (PyTypeObject *) nb::type<flat::Point>().ptr();
    vector_type = (PyTypeObject *) nb::type<flat::Vector>().ptr();
    if (!point_type || !vector_type)
        raise(PyExc_ImportError, "cannot import name 'Point' from 'Flatkin'");
    point_payload = detail::payload_offset(nb::handle((PyObject *) point_type));
    ready_byte = detail::ready_state_byte(nb::handle((PyObject *) point_type));
}

void init_solid_types() {
    point3d_type = (PyTypeObject *) nb::type<solid::Point3d>().ptr();
    vector3d_type = (PyTypeObject *) nb::type<solid::Vector3d>().ptr();
}

namespace {
const Key key_x("x"), key_y("y"), key_z("z");

double read_attr(nb::handle h, const Key &key) {
    nb::object value = get_attr(h, key);
    return as_double(value);
}
double float_attr(nb::handle h, const Key &key) {
    nb::object value = get_attr(h, key);
    return py_float(value);
}
}  // namespace

double get_x(nb::handle h) {
    if (is_flat(h))
        return flat_fields(h).x;
    if (is_solid(h))
        return solid_fields(h).x;
    return read_attr(h, key_x);
}

double get_y(nb::handle h) {
    if (is_flat(h))
        return flat_fields(h).y;
    if (is_solid(h))
        return solid_fields(h).y;
    return read_attr(h, key_y);
}

double get_z(nb::handle h) {
    if (is_solid(h))
        return solid_fields(h).z;
    return read_attr(h, key_z);
}

double py_float_x(nb::handle h) { return is_flat(h) || is_solid(h) ? get_x(h) : float_attr(h, key_x); }
double py_float_y(nb::handle h) { return is_flat(h) || is_solid(h) ? get_y(h) : float_attr(h, key_y); }
double py_float_z(nb::handle h) { return is_solid(h) ? get_z(h) : float_attr(h, key_z); }

namespace {
template <class T>
nb::object make(PyTypeObject *type, const T &value) {
    nb::object o = nb::inst_alloc(nb::handle((PyObject *) type));
    new (nb::inst_ptr<T>(o)) T(value);
    nb::inst_mark_ready(o);
    return o;
}
}  // namespace

nb::object make_point(double x, double y) { return make(point_type, flat::Point{x, y}); }
nb::object make_vector(double x, double y) { return make(vector_type, flat::Vector{x, y}); }
nb::object make_point3d(geom::Vec3 p) { return make(point3d_type, solid::Point3d{p.x, p.y, p.z}); }
nb::object make_vector3d(geom::Vec3 v) { return make(vector3d_type, solid::Vector3d{v.x, v.y, v.z}); }

}  // namespace pyu
