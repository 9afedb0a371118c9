// A map from unordered pairs of distinct node numbers to numbers, by open
// addressing in one block: no allocation per entry, which keeps maps of
// tens of thousands of links cheap to build.
#pragma once

#include <cstddef>
#include <cstdint>
#include <utility>
#include <vector>

#include "core/planar/scratch.hpp"

namespace geom {

class PairMap {
public:
    // Room for `expected` entries before the table grows.
    explicit PairMap(std::size_t expected = 0) { rebuild(capacity_for(expected)); }

    // The value stored for {a, b} (a != b), storing `value` first when there
    // is none; whether it was stored now.
    std::pair<std::uint32_t &, bool> emplace(std::uint32_t a, std::uint32_t b, std::uint32_t value) {
        if (2 * (size_ + 1) > keys_.size())
            rebuild(2 * keys_.size());
        std::size_t i = slot(key(a, b));
        bool fresh = keys_[i] == free;
        if (fresh) {
            keys_[i] = key(a, b);
            values_[i] = value;
            ++size_;
        }
        return {values_[i], fresh};
    }

    // The value stored for {a, b}, or `missing`.
    std::uint32_t get(std::uint32_t a, std::uint32_t b, std::uint32_t missing) const {
        std::size_t i = slot(key(a, b));
        return keys_[i] == free ? missing : values_[i];
    }

private:
    static constexpr std::uint64_t free = ~std::uint64_t{0};  // no pair of distinct numbers

    static std::uint64_t key(std::uint32_t a, std::uint32_t b) {
        return a < b ? (std::uint64_t{a} << 32) | b : (std::uint64_t{b} << 32) | a;
    }
    static std::size_t capacity_for(std::size_t expected) {
        std::size_t capacity = 16;
        while (capacity < 2 * expected + 2)
            capacity *= 2;
        return capacity;
    }
    std::size_t slot(std::uint64_t k) const {
        std::uint64_t h = (k ^ (k >> 31)) * 0xBF58476D1CE4E5B9ULL;
        h = (h ^ (h >> 29)) * 0x94D049BB133111EBULL;
        std::size_t mask = keys_.size() - 1;
        for (std::size_t i = static_cast<std::size_t>(h ^ (h >> 32)) & mask;; i = (i + 1) & mask)
            if (keys_[i] == free || keys_[i] == k)
                return i;
    }
    void rebuild(std::size_t capacity) {
        scratch_vector<std::uint64_t> keys(capacity, free);
        scratch_vector<std::uint32_t> values(capacity);
        keys.swap(keys_);
        values.swap(values_);
        for (std::size_t i = 0; i < keys.size(); ++i)
            if (keys[i] != free) {
                std::size_t j = slot(keys[i]);
                keys_[j] = keys[i];
                values_[j] = values[i];
            }
    }

    scratch_vector<std::uint64_t> keys_;
    scratch_vector<std::uint32_t> values_;
    std::size_t size_ = 0;
};

}  // namespace geom
