// Working arrays kept per thread between calls.  A kernel that builds
// arrays of megabytes on every call (an arrangement of tens of thousands of
// segments) would otherwise have them mapped afresh by the system each
// time, which can cost as much as the work itself.  Large blocks go back to
// a small per-thread cache instead and are handed out again; small ones
// come from the ordinary heap.
#pragma once

#include <cstddef>
#include <vector>

namespace geom {

namespace scratch {
void *take(std::size_t bytes);
void give(void *block, std::size_t bytes) noexcept;
}  // namespace scratch

template <class T>
struct ScratchAllocator {
    using value_type = T;
    ScratchAllocator() = default;
    template <class U>
    ScratchAllocator(const ScratchAllocator<U> &) {}
    T *allocate(std::size_t n) { return static_cast<T *>(scratch::take(n * sizeof(T))); }
    void deallocate(T *p, std::size_t n) noexcept { scratch::give(p, n * sizeof(T)); }
    template <class U>
    bool operator==(const ScratchAllocator<U> &) const {
        return true;
    }
};

template <class T>
using scratch_vector = std::vector<T, ScratchAllocator<T>>;

}  // namespace geom
