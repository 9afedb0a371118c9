// Binding helpers shared by every module: each Python rule lives once, in the
// file named for its concern.  No geometry lives here.
//   errors    raising, C API result checks, recursion guards, size checks
//   numbers   float conversion, Python arithmetic, float text, round, hashes
//   reads     x/y/z of any object; our own point and vector objects
//   attrs     attribute names, get/set, calls, unpacking
//   names     module-level names read when used
//   seq       walking caller sequences safely; point lists read once
//   module    GEOM_MODULE, sibling imports
//   method    positional-only and receiver-agnostic members (via classes)
//   classes   pyu::Class: the one way to declare a class
//   numpy_kernels  numpy's own cos/sin/arccos loops
//   arrays    numpy arrays read and made without copies
#pragma once

#include <nanobind/nanobind.h>
#include <nanobind/stl/string.h>

#include "pyutil/attrs.hpp"
#include "pyutil/errors.hpp"
#include "pyutil/module.hpp"
#include "pyutil/names.hpp"
#include "pyutil/numbers.hpp"
#include "pyutil/reads.hpp"
#include "pyutil/seq.hpp"

