#include "pyutil/names.hpp"

#include "pyutil/attrs.hpp"

namespace pyu {

void Name::bind(nb::handle module, const char *name) {
    PyObject *dict = PyModule_GetDict(module.ptr());
    if (!dict)
        raise_current();
    Py_INCREF(dict);  // kept for the process, like the module itself
    dict_ = dict;
    key_ = PyUnicode_InternFromString(name);
    if (!key_)
        raise_current();
    name_ = name;
}

PyObject *Name::lookup() const {
#if PY_VERSION_HEX < 0x030C0000
    // Every change to a dict gives it a new version (deprecated from 3.12).
    uint64_t version = ((PyDictObject *) dict_)->ma_version_tag;
    if (last_ && version == last_version_)
        return last_;
    last_ = PyDict_GetItemWithError(dict_, key_);
    last_version_ = version;
    return last_;
#else
    return PyDict_GetItemWithError(dict_, key_);
#endif
}

nb::object Name::get() const {
    PyObject *v = lookup();
    if (!v) {
        if (!PyErr_Occurred())
            raise_format(PyExc_NameError, "name '%s' is not defined", name_);
        raise_current();
    }
    return nb::borrow(v);
}

bool Name::holds(const void *object) const {
    PyObject *v = lookup();
    if (!v && PyErr_Occurred())
        raise_current();
    return v == object;
}

nb::object new_point(const Name &cls, geom::Vec2 p) {
    if (cls.holds(point_type))
        return make_point(p);
    nb::object x = float_obj(p.x), y = float_obj(p.y);
    return call(cls.get(), x, y);
}

nb::object new_vector(const Name &cls, geom::Vec2 v) {
    if (cls.holds(vector_type))
        return make_vector(v);
    nb::object x = float_obj(v.x), y = float_obj(v.y);
    return call(cls.get(), x, y);
}

nb::object new_point3d(const Name &cls, geom::Vec3 p) {
    if (point3d_type && cls.holds(point3d_type))
        return make_point3d(p);
    nb::object x = float_obj(p.x), y = float_obj(p.y), z = float_obj(p.z);
    return call(cls.get(), x, y, z);
}

nb::object new_vector3d(const Name &cls, geom::Vec3 v) {
    if (vector3d_type && cls.holds(vector3d_type))
        return make_vector3d(v);
    nb::object x = float_obj(v.x), y = float_obj(v.y), z = float_obj(v.z);
    return call(cls.get(), x, y, z);
}

}  // namespace pyu
