// Whole-array work on triangle meshes: duplicate vertex rows, face normals and
// the concatenation of index arrays.
//
// Arrays are C-contiguous, row-major: n rows of k values.  Results are
// bit-identical to numpy's for the same steps.
#pragma once

#include "core/basics/interrupt.hpp"

#include <cstddef>
#include <cstdint>
#include <vector>

namespace geom {

// numpy.unique(rows, axis=0, return_inverse=True) for an n x k array, k >= 1.
//
// Rows are ordered lexicographically, each value compared as numpy sorts it
// (NaN after every number, -0.0 equal to 0.0).  Rows whose values are all
// equal (==) are one unique row; a row with a NaN equals no row, itself and
// its bitwise copies included.  Where equal rows differ in their bits (-0.0
// against 0.0), the unique row is the one numpy's sort puts first, so the
// order of the input rows matters: rows are deduplicated by their bits first,
// and only when such rows exist is the whole array sorted exactly as numpy
// sorts it (its introsort, comparison for comparison), as also for NaN rows.
struct UniqueRows {
    std::vector<size_t> rows;      // per unique row, in order: the input row holding its values
    std::vector<int64_t> inverse;  // per input row: the position of its unique row
};
template <class T>
UniqueRows unique_rows(const T *data, size_t n, size_t k, const Interrupt &stop = {});

// The unit normal of each triangle: cross(c1 - c0, c2 - c1) divided by its
// Euclidean length ((x*x + y*y) + z*z), in T's arithmetic.  Corner indices
// count from the end when negative, as numpy's indexing does.  Returns false,
// with `out` unspecified, when an index is out of range or a value is not
// finite or a length is zero: numpy's own steps (with their errors and
// warnings) are the answer then.
template <class T, class I>
bool face_normals(const T *vertices, size_t n_vertices, const I *triangles, size_t n_triangles, T *out,
                  const Interrupt &stop = {});

// The position of the first of `count` values below 0 or not below
// `n_vertices`, or `count` when every value names a vertex row.
template <class I>
size_t first_outside(const I *values, size_t count, int64_t n_vertices);

// dst[i] = src[i] + offset for `count` values (wrapping as numpy's integer
// addition does).
template <class I>
void copy_shifted(const I *src, size_t count, I offset, I *dst);

}  // namespace geom
