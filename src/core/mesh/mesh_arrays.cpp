#include "core/mesh/mesh_arrays.hpp"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <optional>
#include <type_traits>
#include <utility>

namespace geom {
namespace {

// ------------------------------------------------------------ row order

// numpy's sort comparison of two values: NaN after every number, two NaNs
// equal, -0.0 equal to 0.0.
template <class T>
int compare_values(T a, T b) {
    if constexpr (std::is_floating_point_v<T>) {
        auto lt = [](T p, T q) { return p < q || (q != q && p == p); };
        return lt(a, b) ? -1 : (lt(b, a) ? 1 : 0);
    } else {
        return a < b ? -1 : (a == b ? 0 : 1);
    }
}

template <class T>
struct RowTable {
    const T *data;
    size_t k;

    const T *row(size_t i) const { return data + i * k; }
    // Field by field, the first difference decides (numpy's structured compare).
    int compare(size_t i, size_t j) const {
        const T *a = row(i), *b = row(j);
        for (size_t f = 0; f < k; ++f)
            if (int c = compare_values(a[f], b[f]))
                return c;
        return 0;
    }
    // numpy's `!=` of two structured values: some field differs by `!=`.
    bool differ(size_t i, size_t j) const {
        const T *a = row(i), *b = row(j);
        for (size_t f = 0; f < k; ++f)
            if (a[f] != b[f])
                return true;
        return false;
    }
    bool same_bits(size_t i, size_t j) const {
        const T *a = row(i), *b = row(j);
        for (size_t f = 0; f < k; ++f)
            if (std::memcmp(a + f, b + f, sizeof(T)) != 0)
                return false;
        return true;
    }
    bool has_nan(size_t i) const {
        if constexpr (std::is_floating_point_v<T>) {
            const T *a = row(i);
            for (size_t f = 0; f < k; ++f)
                if (a[f] != a[f])
                    return true;
        }
        return false;
    }
    uint64_t hash(size_t i) const {
        const unsigned char *p = (const unsigned char *) row(i);
        size_t bytes = k * sizeof(T);
        uint64_t h = 0x9E3779B97F4A7C15ULL ^ bytes;
        size_t b = 0;
        for (; b + 8 <= bytes; b += 8) {
            uint64_t w;
            std::memcpy(&w, p + b, 8);
            h = (h ^ w) * 0xFF51AFD7ED558CCDULL;
            h ^= h >> 32;
        }
        for (; b < bytes; ++b)
            h = (h ^ p[b]) * 0x100000001B3ULL;
        h ^= h >> 29;
        return h * 0xC4CEB9FE1A85EC53ULL;
    }
};

// ------------------------------------------------- numpy's argsort, replayed
// The generic introsort numpy uses for structured values: median-of-three
// quicksort partitions, the larger side deferred on a stack, insertion sort
// below 16 items and a heapsort once the depth budget (twice the highest bit
// of n) is spent.  Equal rows end up in numpy's exact order only if every
// comparison is made in the same sequence, so the steps below follow it one
// for one.

int highest_bit(size_t n) {
    int d = 0;
    while (n >>= 1)
        ++d;
    return d;
}

template <class Cmp>
void heap_argsort(size_t *t, size_t n, Cmp cmp) {
    auto a = [t](size_t i) -> size_t & { return t[i - 1]; };  // 1-based heap
    // Sinks tmp from position i of the heap a(1 .. size).
    auto sift_down = [&](size_t tmp, size_t i, size_t size) {
        for (size_t j = i << 1; j <= size; j += j) {
            if (j < size && cmp(a(j), a(j + 1)) < 0)
                ++j;
            if (!(cmp(tmp, a(j)) < 0))
                break;
            a(i) = a(j);
            i = j;
        }
        a(i) = tmp;
    };
    for (size_t l = n >> 1; l > 0; --l)
        sift_down(a(l), l, n);
    while (n > 1) {
        size_t tmp = a(n);
        a(n) = a(1);
        n -= 1;
        sift_down(tmp, 1, n);
    }
}

template <class Cmp>
void numpy_argsort(std::vector<size_t> &t, Cmp cmp) {
    const ptrdiff_t num = (ptrdiff_t) t.size();
    if (num == 0)
        return;
    constexpr ptrdiff_t small = 15;
    std::vector<ptrdiff_t> bounds;
    std::vector<int> depths;
    ptrdiff_t pl = 0, pr = num - 1;
    int depth = highest_bit((size_t) num) * 2;
    for (;;) {
        if (depth < 0) {
            heap_argsort(t.data() + pl, (size_t) (pr - pl + 1), cmp);
        } else {
            while (pr - pl > small) {
                ptrdiff_t pm = pl + ((pr - pl) >> 1);
                if (cmp(t[pm], t[pl]) < 0)
                    std::swap(t[pm], t[pl]);
                if (cmp(t[pr], t[pm]) < 0)
                    std::swap(t[pr], t[pm]);
                if (cmp(t[pm], t[pl]) < 0)
                    std::swap(t[pm], t[pl]);
                const size_t pivot = t[pm];
                ptrdiff_t pi = pl, pj = pr - 1;
                std::swap(t[pm], t[pj]);
                for (;;) {
                    do
                        ++pi;
                    while (cmp(t[pi], pivot) < 0 && pi < pj);
                    do
                        --pj;
                    while (cmp(pivot, t[pj]) < 0 && pi < pj);
                    if (pi >= pj)
                        break;
                    std::swap(t[pi], t[pj]);
                }
                std::swap(t[pi], t[pr - 1]);
                if (pi - pl < pr - pi) {
                    bounds.push_back(pi + 1);
                    bounds.push_back(pr);
                    pr = pi - 1;
                } else {
                    bounds.push_back(pl);
                    bounds.push_back(pi - 1);
                    pl = pi + 1;
                }
                depths.push_back(--depth);
            }
            for (ptrdiff_t pi = pl + 1; pi <= pr; ++pi) {
                size_t vi = t[pi];
                ptrdiff_t pj = pi;
                while (pj > pl && cmp(vi, t[pj - 1]) < 0) {
                    t[pj] = t[pj - 1];
                    --pj;
                }
                t[pj] = vi;
            }
        }
        if (bounds.empty())
            break;
        pr = bounds.back();
        bounds.pop_back();
        pl = bounds.back();
        bounds.pop_back();
        depth = depths.back();
        depths.pop_back();
    }
}

// The whole array in numpy's order; each row starts a new unique row unless it
// equals (==) the row before it.
template <class T>
UniqueRows unique_by_numpy_sort(const RowTable<T> &rows, size_t n) {
    std::vector<size_t> order(n);
    for (size_t i = 0; i < n; ++i)
        order[i] = i;
    numpy_argsort(order, [&](size_t a, size_t b) { return rows.compare(a, b); });
    UniqueRows out;
    out.inverse.assign(n, 0);
    int64_t current = -1;
    for (size_t i = 0; i < n; ++i) {
        if (i == 0 || rows.differ(order[i], order[i - 1])) {
            out.rows.push_back(order[i]);
            ++current;
        }
        out.inverse[order[i]] = current;
    }
    return out;
}

}  // namespace

namespace {

// An unsigned key per value whose order is numpy's order of numbers, -0.0 and
// 0.0 sharing one key (NaN has none: such rows take the numpy sort).
template <class T>
uint64_t order_key(T v) {
    if constexpr (std::is_floating_point_v<T>) {
        if (v == 0)
            v = 0;  // -0.0 and 0.0 alike
        using Bits = std::conditional_t<sizeof(T) == 8, uint64_t, uint32_t>;
        Bits b;
        std::memcpy(&b, &v, sizeof b);
        constexpr Bits sign = Bits(1) << (8 * sizeof(T) - 1);
        return (uint64_t) ((b & sign) ? ~b : (b | sign));
    } else {
        return (uint64_t) (int64_t) v ^ 0x8000000000000000ULL;
    }
}

// A distinct row's keys, for rows of up to four values.
struct RowKey {
    uint64_t key[4];
    uint32_t group;
    bool operator<(const RowKey &o) const {
        for (int f = 0; f < 4; ++f)
            if (key[f] != o.key[f])
                return key[f] < o.key[f];
        return false;
    }
    bool same_values(const RowKey &o) const {
        return key[0] == o.key[0] && key[1] == o.key[1] && key[2] == o.key[2] && key[3] == o.key[3];
    }
};

// The distinct rows (by bits) in numpy's order, or empty when two of them
// compare equal (-0.0 against 0.0).
template <class T>
std::optional<std::vector<size_t>> order_groups(const RowTable<T> &rows, const std::vector<size_t> &firsts) {
    const size_t m = firsts.size();
    std::vector<size_t> order(m);
    if (rows.k <= 4) {
        std::vector<RowKey> keys(m);
        for (size_t g = 0; g < m; ++g) {
            RowKey &r = keys[g];
            const T *v = rows.row(firsts[g]);
            for (size_t f = 0; f < 4; ++f)
                r.key[f] = f < rows.k ? order_key(v[f]) : 0;
            r.group = (uint32_t) g;
        }
        std::sort(keys.begin(), keys.end());
        for (size_t p = 0; p < m; ++p) {
            if (p > 0 && keys[p].same_values(keys[p - 1]))
                return std::nullopt;
            order[p] = keys[p].group;
        }
        return order;
    }
    for (size_t g = 0; g < m; ++g)
        order[g] = g;
    std::sort(order.begin(), order.end(), [&](size_t a, size_t b) { return rows.compare(firsts[a], firsts[b]) < 0; });
    for (size_t p = 1; p < m; ++p)
        if (rows.compare(firsts[order[p - 1]], firsts[order[p]]) == 0)
            return std::nullopt;
    return order;
}

}  // namespace

template <class T>
UniqueRows unique_rows(const T *data, size_t n, size_t k, const Interrupt &stop) {
    RowTable<T> rows{data, k};
    if (n == 0 || k == 0 || n >= (size_t) UINT32_MAX)
        return unique_by_numpy_sort(rows, n);

    // Rows by their bits: each row's group is the first row with the same
    // bits.  A slot holds a group and 32 bits of its hash, so that most
    // mismatches are told apart without reading the row.
    struct Slot {
        uint32_t group, tag;
    };
    constexpr uint32_t free_slot = UINT32_MAX;
    size_t capacity = 16;
    while (capacity < 2 * n)
        capacity *= 2;
    std::vector<Slot> slots(capacity, Slot{free_slot, 0});
    std::vector<uint32_t> group(n);
    std::vector<size_t> firsts;
    const size_t mask = capacity - 1;
    for (size_t i = 0; i < n; ++i) {
        stop.tick();
        if (rows.has_nan(i))  // NaN rows never merge: their order is the sort's
            return unique_by_numpy_sort(rows, n);
        uint64_t h = rows.hash(i);
        uint32_t tag = (uint32_t) (h >> 32);
        for (size_t s = (size_t) h & mask;; s = (s + 1) & mask) {
            Slot &slot = slots[s];
            if (slot.group == free_slot) {
                slot = {(uint32_t) firsts.size(), tag};
                group[i] = (uint32_t) firsts.size();
                firsts.push_back(i);
                break;
            }
            if (slot.tag == tag && rows.same_bits(firsts[slot.group], i)) {
                group[i] = slot.group;
                break;
            }
        }
    }

    std::optional<std::vector<size_t>> order = order_groups(rows, firsts);
    if (!order)
        return unique_by_numpy_sort(rows, n);
    UniqueRows out;
    std::vector<int64_t> rank(firsts.size());
    out.rows.resize(firsts.size());
    for (size_t p = 0; p < order->size(); ++p) {
        rank[(*order)[p]] = (int64_t) p;
        out.rows[p] = firsts[(*order)[p]];
    }
    out.inverse.resize(n);
    for (size_t i = 0; i < n; ++i, stop.tick())
        out.inverse[i] = rank[group[i]];
    return out;
}

template <class T, class I>
bool face_normals(const T *vertices, size_t n_vertices, const I *triangles, size_t n_triangles, T *out,
                  const Interrupt &stop) {
    const int64_t nv = (int64_t) n_vertices;
    for (size_t f = 0; f < n_triangles; ++f) {
        stop.tick();
        const T *c[3];
        for (int corner = 0; corner < 3; ++corner) {
            int64_t i = (int64_t) triangles[3 * f + corner];
            if (i < 0)
                i += nv;
            if (i < 0 || i >= nv)
                return false;
            c[corner] = vertices + 3 * i;
        }
        T a[3] = {c[1][0] - c[0][0], c[1][1] - c[0][1], c[1][2] - c[0][2]};
        T b[3] = {c[2][0] - c[1][0], c[2][1] - c[1][1], c[2][2] - c[1][2]};
        T n[3] = {a[1] * b[2] - a[2] * b[1], a[2] * b[0] - a[0] * b[2], a[0] * b[1] - a[1] * b[0]};
        T len = std::sqrt(n[0] * n[0] + n[1] * n[1] + n[2] * n[2]);
        if (!std::isfinite(len) || len == 0)
            return false;
        for (int axis = 0; axis < 3; ++axis) {
            if (!std::isfinite(a[axis]) || !std::isfinite(b[axis]) || !std::isfinite(n[axis]))
                return false;
            out[3 * f + axis] = n[axis] / len;
        }
    }
    return true;
}

template <class I>
void copy_shifted(const I *src, size_t count, I offset, I *dst) {
    using U = std::make_unsigned_t<I>;
    for (size_t i = 0; i < count; ++i)
        dst[i] = (I) ((U) src[i] + (U) offset);
}

template <class I>
size_t first_outside(const I *values, size_t count, int64_t n_vertices) {
    for (size_t i = 0; i < count; ++i)
        if (values[i] < 0 || (int64_t) values[i] >= n_vertices)
            return i;
    return count;
}

template UniqueRows unique_rows<double>(const double *, size_t, size_t, const Interrupt &);
template UniqueRows unique_rows<float>(const float *, size_t, size_t, const Interrupt &);
template UniqueRows unique_rows<int64_t>(const int64_t *, size_t, size_t, const Interrupt &);
template UniqueRows unique_rows<int32_t>(const int32_t *, size_t, size_t, const Interrupt &);
template bool face_normals<double, int64_t>(const double *, size_t, const int64_t *, size_t, double *, const Interrupt &);
template bool face_normals<double, int32_t>(const double *, size_t, const int32_t *, size_t, double *, const Interrupt &);
template bool face_normals<float, int64_t>(const float *, size_t, const int64_t *, size_t, float *, const Interrupt &);
template bool face_normals<float, int32_t>(const float *, size_t, const int32_t *, size_t, float *, const Interrupt &);
template size_t first_outside<int64_t>(const int64_t *, size_t, int64_t);
template size_t first_outside<int32_t>(const int32_t *, size_t, int64_t);
template void copy_shifted<int64_t>(const int64_t *, size_t, int64_t, int64_t *);
template void copy_shifted<int32_t>(const int32_t *, size_t, int32_t, int32_t *);

}  // namespace geom
