#include "core/planar/scratch.hpp"

#include <array>
#include <bit>
#include <new>

namespace geom::scratch {

namespace {

// Blocks from 64 KiB (size class 0) up, by powers of two; at most 64 MiB
// kept per thread.
constexpr std::size_t smallest = std::size_t{1} << 16;
constexpr std::size_t classes = 16;
constexpr std::size_t most_kept = std::size_t{64} << 20;

struct Cache {
    std::array<std::vector<void *>, classes> free;
    std::size_t kept = 0;
    ~Cache() {
        for (auto &list : free)
            for (void *block : list)
                ::operator delete(block);
    }
};

thread_local Cache cache;

// The size class of a large block, or classes when it is too large to keep.
std::size_t class_of(std::size_t bytes) {
    return static_cast<std::size_t>(std::countr_zero(std::bit_ceil(bytes) / smallest));
}

}  // namespace

void *take(std::size_t bytes) {
    if (bytes < smallest)
        return ::operator new(bytes);
    std::size_t c = class_of(bytes);
    if (c >= classes)
        return ::operator new(bytes);
    auto &list = cache.free[c];
    if (!list.empty()) {
        void *block = list.back();
        list.pop_back();
        cache.kept -= smallest << c;
        return block;
    }
    return ::operator new(smallest << c);
}

void give(void *block, std::size_t bytes) noexcept {
    if (block == nullptr)
        return;
    if (bytes < smallest) {
        ::operator delete(block);
        return;
    }
    std::size_t c = class_of(bytes);
    if (c >= classes || cache.kept + (smallest << c) > most_kept) {
        ::operator delete(block);
        return;
    }
    try {
        cache.free[c].push_back(block);
        cache.kept += smallest << c;
    } catch (...) {
        ::operator delete(block);
    }
}

}  // namespace geom::scratch
