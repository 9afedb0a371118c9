// Attribute access and calls with the interpreter's semantics.  Every result
// is an owned reference: an attribute's value stays alive however the object
// it came from changes afterwards.
#pragma once

#include "pyutil/errors.hpp"

#include <utility>

namespace pyu {

// An attribute name, interned on first use and kept for the process.
class Key {
public:
    explicit constexpr Key(const char *name) : name_(name) {}
    PyObject *ptr() const {
        if (!key_) {
            key_ = PyUnicode_InternFromString(name_);
            if (!key_)
                raise_current();
        }
        return key_;
    }
    const char *name() const { return name_; }

private:
    const char *name_;
    mutable PyObject *key_ = nullptr;
};

// obj.name, with the interpreter's AttributeError.
inline nb::object get_attr(nb::handle obj, const Key &key) { return check(PyObject_GetAttr(obj.ptr(), key.ptr())); }
// obj.name, or a null object when the attribute is missing.
nb::object get_attr_or_null(nb::handle obj, const Key &key);
// Whether `obj.name` finds `expected`, an attribute of obj's class: the
// interpreter's own attribute lookup is in use, the class (or the subclass
// obj belongs to) still resolves the name to `expected`, and the instance
// dictionary does not shadow it.  A member that the interface says is called
// "through the receiver" may run directly only then; otherwise it is called
// on the object, so a subclass's or an instance's replacement is honoured.
bool resolves_to(nb::handle obj, const Key &key, PyObject *expected);
// The attribute `name` a class holds in its own dictionary, or null
// (borrowed: the class keeps it while it is bound there).
PyObject *class_attr(nb::handle cls, const Key &key);
// The same, remembered for resolves_to: a new reference held for the process.
// Compared by address later, it must never be freed: after `del Cls.name`
// a new object could be made at its address and bound in its place.
PyObject *remember_member(nb::handle cls, const Key &key);
// obj.name = value
inline void set_attr(nb::handle obj, const Key &key, nb::handle value) {
    check_status(PyObject_SetAttr(obj.ptr(), key.ptr(), value.ptr()));
}

// callable(*args), every argument an nb::handle or nb::object.
template <class... Args>
nb::object call(nb::handle callable, const Args &...args) {
    PyObject *argv[] = {nullptr, nb::handle(args).ptr()...};
    return check(PyObject_Vectorcall(callable.ptr(), argv + 1, sizeof...(Args) | PY_VECTORCALL_ARGUMENTS_OFFSET,
                                     nullptr));
}
// obj.name(*args): the method is looked up on the object, so a subclass's
// override (or an instance attribute) is what runs.
template <class... Args>
nb::object call_method(nb::handle obj, const Key &name, const Args &...args) {
    PyObject *argv[] = {obj.ptr(), nb::handle(args).ptr()...};
    return check(PyObject_VectorcallMethod(name.ptr(), argv, (1 + sizeof...(Args)) | PY_VECTORCALL_ARGUMENTS_OFFSET,
                                           nullptr));
}

// isinstance(obj, cls), with the interpreter's errors (cls may be any
// object a caller bound in place of a class).
inline bool is_instance(nb::handle obj, nb::handle cls) {
    return check_status(PyObject_IsInstance(obj.ptr(), cls.ptr())) == 1;
}

// Unpacks an iterable into exactly n values, with the interpreter's errors
// ("too many values to unpack (expected 3)").
void unpack(nb::handle iterable, nb::object *out, Py_ssize_t n);

}  // namespace pyu
