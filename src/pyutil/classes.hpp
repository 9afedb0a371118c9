// The one way to declare a class.  pyu::Class<T> wraps nb::class_<T> and
// gives every class the same shape:
//   - instances carry a __dict__ (extra attributes, as in plain Python);
//   - Python objects held in C++ members ("stored" attributes) are visited
//     and cleared by the garbage collector and exposed as writable
//     attributes of any value; a member never set reads as missing;
//   - double members ("coordinates") are float attributes: an int is stored
//     as its float, a non-number raises TypeError and leaves the old value;
//     they are C getters and setters at the field's offset (the cheapest
//     descriptor measured here), and C++ reads the field directly;
//   - copy, deepcopy and pickle work as for the same class written in plain
//     Python: the state is the stored attributes, the coordinates and the
//     instance dictionary, restored attribute by attribute;
//   - every member takes its receiver and arguments as plain handles, so any
//     object may be passed, None included, and a member with exactly one
//     parameter (counting the receiver) and no default is positional-only;
//   - every member, __init__ and the copy protocol included, is stored as the
//     member wrapper of method.hpp: call shapes checked with the
//     interpreter's texts, a level of recursion per call, the stub's
//     signature in help() and inspect.
//
//   pyu::Class<SegmentData> cls(m, "Segment", DOC(Segment), {{"start", &SegmentData::start}, ...});
//   cls.init(&init, "start"_a, "end"_a)
//      .method("__repr__", &text, DOC(Segment, __repr__))
//      .method("is_point_on", &is_point_on, DOC(Segment, is_point_on), "point"_a)
//      .property("length", &length, DOC(Segment, length))
//      .static_method("intersection_points", &intersection_points, DOC(Segment, intersection_points));
#pragma once

#include "pyutil/attrs.hpp"
#include "pyutil/method.hpp"

#include <initializer_list>
#include <type_traits>
#include <utility>
#include <vector>

namespace pyu {

// A Python object held in a C++ member, exposed as the attribute `name`.
template <class T>
struct Stored {
    const char *name;
    nb::object T::*member;
};
// A double member exposed as the float attribute `name`.
template <class T>
struct Coordinate {
    const char *name;
    double T::*member;
};

// The name of a `*args` parameter (an nb::args argument of the function):
// `.static_method("tween_lines", &f, doc, "line1"_a, "line2"_a,
// pyu::VarArgs("t_values"))`.  The values always arrive as a tuple, so unlike
// every other parameter it is not marked as accepting None.
struct VarArgs : nb::arg {
    explicit constexpr VarArgs(const char *name) : nb::arg(name) {}
};

namespace detail {

template <class T>
std::vector<Stored<T>> &stored_of() {
    static std::vector<Stored<T>> fields;
    return fields;
}
template <class T>
PyTypeObject *&type_of() {
    static PyTypeObject *type = nullptr;
    return type;
}
// TypeError unless `self` is an instance of T's class: the copy protocol's
// members reached through the class with another object.
inline void check_copy_receiver(nb::handle self, PyTypeObject *type) {
    if (!type || !PyObject_TypeCheck(self.ptr(), type))
        raise_format(PyExc_TypeError, "descriptor requires a '%s' object, not '%s'", type ? type->tp_name : "?",
                     Py_TYPE(self.ptr())->tp_name);
}

template <class T>
std::vector<Coordinate<T>> &coordinates_of() {
    static std::vector<Coordinate<T>> fields;
    return fields;
}

template <class T>
int traverse(PyObject *self, visitproc visit, void *arg) {
    Py_VISIT(Py_TYPE(self));
    if (PyObject **dict = _PyObject_GetDictPtr(self))
        Py_VISIT(*dict);
    T *t = nb::inst_ptr<T>(self);
    for (const Stored<T> &f : stored_of<T>())
        Py_VISIT((t->*f.member).ptr());
    return 0;
}

template <class T>
int clear(PyObject *self) {
    if (PyObject **dict = _PyObject_GetDictPtr(self))
        Py_CLEAR(*dict);
    if (!nb::inst_ready(self))
        return 0;
    T *t = nb::inst_ptr<T>(self);
    for (const Stored<T> &f : stored_of<T>())
        (t->*f.member).reset();
    return 0;
}

template <class T>
PyType_Slot *gc_slots() {
    static PyType_Slot slots[] = {
        {Py_tp_traverse, (void *) traverse<T>}, {Py_tp_clear, (void *) clear<T>}, {0, nullptr}};
    return slots;
}

// The receiver of a member: any object.
template <class A>
A accept_none(A a) {
    a.none_ = true;
    return a;
}
// A docstring among the parameters (of init) passes unchanged.
inline const char *accept_none(const char *doc) { return doc; }
inline nb::arg accept_none(VarArgs a) { return a; }

// The pieces of the copy protocol shared by every class.
nb::dict state_of(nb::handle self, const char *const *names, size_t count);
void restore_state(nb::handle self, nb::handle state);
// (copyreg.__newobj__, (type(self),), self.__getstate__())
nb::object reduce(nb::handle self, nb::handle protocol);
// property(fget, doc=doc)
nb::object make_property(nb::handle fget, const char *doc);
// Installs the double member `name` at byte offset `offset` of instances of
// `cls` as a float attribute (see coordinates()).
// An instance whose __init__ never ran (made by `__new__` alone, or
// unpickled without state) has no fields to read: `init` gives it default
// ones (zeros, stored attributes unset) when a coordinate is first set.
void add_double_member(nb::handle cls, const char *name, Py_ssize_t offset, void (*init)(PyObject *));
// The byte offset of the C++ object inside an instance of `cls`.
Py_ssize_t payload_offset(nb::handle cls);
// Where an instance of `cls` says whether it has been constructed, or -1.
Py_ssize_t ready_state_byte(nb::handle cls);

// The class's construction (see construct_call).
template <class T>
PyObject *construct_vectorcall(PyObject *type, PyObject *const *args, size_t nargsf, PyObject *kwnames) {
    static InitCache cache;
    return construct_call(type, args, nargsf, kwnames, cache);
}

// Gives an instance whose __init__ never ran default fields.
template <class T>
void init_default(PyObject *self) {
    if (!nb::inst_ready(self)) {
        new (nb::inst_ptr<T>(self)) T{};
        nb::inst_mark_ready(self);
    }
}

template <class Arg>
constexpr bool has_default = std::is_same_v<std::decay_t<Arg>, nb::arg_v>;

// (name,) for a required parameter, (name, default) otherwise; a docstring
// among the parameters (of init) adds nothing.
inline void add_param(nb::list &out, const nb::arg &a) { out.append(nb::make_tuple(nb::str(a.name_))); }
inline void add_param(nb::list &out, const nb::arg_v &a) { out.append(nb::make_tuple(nb::str(a.name_), a.value)); }
// (name, None, "*") for a *args parameter.
inline void add_param(nb::list &out, const VarArgs &a) {
    out.append(nb::make_tuple(nb::str(a.name_), nb::none(), "*"));
}
inline void add_param(nb::list &, const char *) {}
template <class... Args>
nb::object params_of(const Args &...args) {
    nb::list out;
    (add_param(out, args), ...);
    return nb::tuple(out);
}

// The docstring among the parameters of an init, or null.
inline const char *doc_among() { return nullptr; }
template <class First, class... Rest>
const char *doc_among(const First &first, const Rest &...rest) {
    if constexpr (std::is_convertible_v<First, const char *>)
        return first;
    else
        return doc_among(rest...);
}

}  // namespace detail

// The receiver parameter of an __init__: a Python-level call such as
// `Point.__init__(other, 1, 2)` on an object of another class raises
// TypeError, as the interpreter does for a built-in __init__.
void check_receiver(nb::handle self, nb::handle cls, const char *class_name);

// Places a new T in an instance made by the class but not yet initialised,
// or assigns it when __init__ runs again on a live instance.
template <class T>
void construct(nb::handle self, T value) {
    if (nb::inst_ready(self)) {
        *nb::inst_ptr<T>(self) = std::move(value);
        return;
    }
    new (nb::inst_ptr<T>(self)) T(std::move(value));
    nb::inst_mark_ready(self);
}

// TypeError unless `self` is an instance of `type` (or of a subclass):
// attribute descriptors reached through the class (`Segment.start.__get__(x)`)
// meet this check.
void check_instance(nb::handle self, PyTypeObject *type, const char *attribute);

// The member of a stored attribute of an initialised instance, owned: it
// stays alive whatever runs next; AttributeError when it was never set.
template <class T>
nb::object stored_value(nb::handle self, nb::object T::*member, const char *name) {
    nb::object value = nb::inst_ptr<T>(self)->*member;
    if (!value.is_valid())
        missing_attribute(self, name);
    return value;
}

template <class T>
class Class {
public:
    template <class... Extra>
    Class(nb::handle scope, const char *name, const char *doc, std::initializer_list<Stored<T>> stored = {},
          const Extra &...extra)
        : cls_(scope, name, nb::dynamic_attr(), nb::type_slots(detail::gc_slots<T>()), doc, extra...) {
        detail::type_of<T>() = type();
        detail::stored_of<T>().assign(stored.begin(), stored.end());
        for (const Stored<T> &f : stored)
            def_stored(f);
        // Constructing the class calls its __init__ through the member
        // wrapper (call shapes, recursion count); see construct_call.
        remember_instance_new(type()->tp_new);
        type()->tp_vectorcall = detail::construct_vectorcall<T>;
        // The copy protocol, as members of the class.  Every pickle
        // protocol, as a plain class gets from copyreg.
        method("__getstate__", &Class::get_state, "Return the attributes of the object as a dict.");
        method("__setstate__", &Class::set_state, "Restore the attributes from a dict.", nb::arg("state"));
        method(
            "__reduce_ex__",
            [](nb::handle self, nb::handle protocol) {
                detail::check_copy_receiver(self, detail::type_of<T>());
                // Counted even for a plain receiver: it asks the instance's
                // own __getstate__, which its dictionary may replace.
                RecursionGuard guard(" while calling a Python object");
                return detail::reduce(self, protocol);
            },
            "Return how to rebuild the object.", nb::arg("protocol"));
    }

    nb::class_<T> &cls() { return cls_; }
    PyTypeObject *type() const { return (PyTypeObject *) cls_.ptr(); }

    // Double members exposed as float attributes (see the file comment).
    Class &coordinates(std::initializer_list<Coordinate<T>> fields) {
        Py_ssize_t base = detail::payload_offset(cls_);
        T probe{};
        for (const Coordinate<T> &f : fields) {
            Py_ssize_t offset = (Py_ssize_t) ((const char *) &(probe.*f.member) - (const char *) &probe);
            detail::add_double_member(cls_, f.name, base + offset, &detail::init_default<T>);
            detail::coordinates_of<T>().push_back(f);
        }
        return *this;
    }

    // __init__(self, args...): f(self, args...) builds the instance (see
    // pyu::construct).  A docstring may come first among the args.  It is a
    // member as any other (call shapes, recursion count), and the class's
    // construction calls it (see construct_call).
    template <class F, class... Args>
    Class &init(F &&f, const Args &...args) {
        nb::object fn = nb::cpp_function(std::forward<F>(f), nb::name("__init__"), nb::scope(cls_),
                                         detail::accept_none(nb::arg("self")), detail::accept_none(args)...);
        set("__init__", wrap_function(fn, "__init__", true, false, detail::params_of(nb::arg("self"), args...),
                                      detail::doc_among(args...)));
        return *this;
    }

    // A plain method f(self, args...).  With no further parameter it is
    // positional-only.
    template <class F, class... Args>
    Class &method(const char *name, F &&f, const char *doc, const Args &...args) {
        nb::object fn = nb::cpp_function(std::forward<F>(f), nb::name(name), nb::scope(cls_),
                                         detail::accept_none(nb::arg("self")), detail::accept_none(args)...);
        constexpr bool positional = sizeof...(Args) == 0;
        set(name, wrap_function(fn, name, true, positional, detail::params_of(nb::arg("self"), args...), doc));
        return *this;
    }

    // A static method.  With exactly one parameter and no default it is
    // positional-only; give the parameter's name for the signature.
    template <class F, class... Args>
    Class &static_method(const char *name, F &&f, const char *doc, const Args &...args) {
        nb::object fn =
            nb::cpp_function(std::forward<F>(f), nb::name(name), nb::scope(cls_), detail::accept_none(args)...);
        constexpr bool positional = sizeof...(Args) == 0 || (sizeof...(Args) == 1 && !(detail::has_default<Args> || ...));
        nb::object params = detail::params_of(args...);
        if constexpr (sizeof...(Args) == 0)
            params = nb::tuple();
        set(name, static_method_of(wrap_function(fn, name, false, positional, params, doc)));
        return *this;
    }

    // A read-only property f(self); its getter is positional-only, as a
    // member of one parameter is.
    template <class F>
    Class &property(const char *name, F &&getter, const char *doc) {
        nb::object fn = nb::cpp_function(std::forward<F>(getter), nb::name(name), nb::scope(cls_),
                                         detail::accept_none(nb::arg("self")));
        nb::object fget = wrap_function(fn, name, false, true, detail::params_of(nb::arg("self")));
        set(name, detail::make_property(fget, doc));
        return *this;
    }

    // A class attribute.
    Class &attr(const char *name, nb::handle value) {
        set(name, value);
        return *this;
    }

private:
    void set(const char *name, nb::handle value) { check_status(PyObject_SetAttrString(cls_.ptr(), name, value.ptr())); }
    static nb::object static_method_of(nb::handle fn) { return pyu::static_method(fn); }

    void def_stored(const Stored<T> &f) {
        nb::object T::*member = f.member;
        const char *name = f.name;
        PyTypeObject *cls = type();
        cls_.def_prop_rw(
            name,
            [member, name, cls](nb::handle self) {
                check_instance(self, cls, name);
                if (!nb::inst_ready(self))  // __init__ never ran: nothing set yet
                    missing_attribute(self, name);
                return stored_value<T>(self, member, name);
            },
            [member, name, cls](nb::handle self, nb::handle value) {
                check_instance(self, cls, name);
                detail::init_default<T>(self.ptr());
                nb::inst_ptr<T>(self)->*member = nb::borrow(value);
            },
            nb::for_setter(nb::arg("value").none()));
    }

    // An instance whose __init__ never ran has only its dictionary, and a
    // copy of it is as uninitialised.
    static nb::dict get_state(nb::handle self) {
        detail::check_copy_receiver(self, detail::type_of<T>());
        std::vector<const char *> names;
        if (nb::inst_ready(self)) {
            for (const Coordinate<T> &f : detail::coordinates_of<T>())
                names.push_back(f.name);
            T *t = nb::inst_ptr<T>(self);
            for (const Stored<T> &f : detail::stored_of<T>())
                if ((t->*f.member).is_valid())
                    names.push_back(f.name);
        }
        return detail::state_of(self, names.data(), names.size());
    }

    // Fields are given defaults by the first one the state sets, so the
    // state of an uninitialised instance leaves its copy uninitialised.
    static void set_state(nb::handle self, nb::handle state) {
        detail::check_copy_receiver(self, detail::type_of<T>());
        if constexpr (std::is_empty_v<T>)
            detail::init_default<T>(self.ptr());
        detail::restore_state(self, state);
    }

    nb::class_<T> cls_;
};

}  // namespace pyu
