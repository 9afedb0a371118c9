// Flatkin: planar points and vectors.  Initialisation, in order: the outside
// imports, the line it prints, `epsilon`, then Point and Vector.
#include "Flatkin/flatkin.hpp"
#include "pyutil/module.hpp"
#include "pyutil/numpy_kernels.hpp"

namespace flatkin {

pyu::Name epsilon, np, plt, point_cls, vector_cls;

CosSin np_cos_sin(double angle) { return {pyu::np_cos(angle), pyu::np_sin(angle)}; }

std::string text(nb::handle self, const char *name) {
    if (pyu::is_flat(self)) {
        const flat::Point &p = pyu::flat_fields(self);
        return std::string(name) + "(" + pyu::float_repr(p.x) + ", " + pyu::float_repr(p.y) + ")";
    }
    static const pyu::Key key_x("x"), key_y("y");
    pyu::RecursionGuard guard(" in Point.__repr__");
    nb::object x = pyu::get_attr(self, key_x), y = pyu::get_attr(self, key_y);
    std::string sx = pyu::format_obj(x);
    return std::string(name) + "(" + sx + ", " + pyu::format_obj(y) + ")";
}

Py_hash_t hash(nb::handle self) {
    if (pyu::is_flat(self)) {
        const flat::Point &p = pyu::flat_fields(self);
        return pyu::hash_pair(p.x, p.y);
    }
    static const pyu::Key key_x("x"), key_y("y");
    pyu::RecursionGuard guard(" in Point.__hash__");
    nb::object x = pyu::get_attr(self, key_x), y = pyu::get_attr(self, key_y);
    nb::object pair = pyu::check(PyTuple_Pack(2, x.ptr(), y.ptr()));
    return pyu::hash_of(pair);
}

}  // namespace flatkin

GEOM_MODULE(Flatkin, m) {
    using namespace flatkin;
    // Points held by module-level objects at interpreter exit are expected.
    nb::set_leak_warnings(false);
    m.doc() = DOC_MODULE;
    pyu::import_as(m, "math");
    pyu::import_as(m, "sys");
    pyu::import_from(m, "typing", {"Optional", "List", "Tuple", "Union"});
    pyu::import_as(m, "matplotlib.pyplot", "plt");
    pyu::import_as(m, "numpy", "np");
    pyu::init_numpy_kernels();

    nb::object float_info = m.attr("sys").attr("float_info");
    nb::object machine_epsilon = float_info.attr("epsilon");
    pyu::print(nb::make_tuple("epsilon", machine_epsilon));

    m.attr("epsilon") = pyu::float_obj(1e-6);
    epsilon.bind(m, "epsilon");
    np.bind(m, "np");
    plt.bind(m, "plt");
    point_cls.bind(m, "Point");
    vector_cls.bind(m, "Vector");

    bind_point(m);
    bind_vector(m);
    pyu::init_flat_types();
}
