// The order of many numbers, by a stable radix sort: the sweeps of the
// arrangement and of the self-intersection test walk their items in it.
#pragma once

#include "core/planar/scratch.hpp"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstring>
#include <utility>

namespace geom {

// The numbers 0 .. n - 1 whose value(i) is a number, ordered by it and
// then by number: a stable radix sort on the values rounded to floats
// (which keeps their order, ties aside), then the runs of equal floats
// sorted by the values themselves.
template <class V>
scratch_vector<std::uint32_t> ordered_by(std::size_t n, V &&value) {
    scratch_vector<std::uint32_t> key, key2, order, order2;
    key.reserve(n);
    order.reserve(n);
    for (std::uint32_t i = 0; i < n; ++i) {
        double v = value(i);
        if (std::isnan(v))
            continue;
        float f = v == 0 ? 0.0f : static_cast<float>(v);  // -0.0 and 0.0 are one value
        std::uint32_t b;
        std::memcpy(&b, &f, sizeof b);
        key.push_back(b >> 31 ? ~b : b | (std::uint32_t{1} << 31));  // ordered as the floats are
        order.push_back(i);
    }
    auto by_value = [&](std::uint32_t a, std::uint32_t b) { return value(a) < value(b); };
    if (key.size() < 256) {  // too few for the buckets to pay
        std::stable_sort(order.begin(), order.end(), by_value);
        return order;
    }
    constexpr int digit = 11;
    constexpr std::size_t buckets = std::size_t{1} << digit;
    key2.resize(key.size());
    order2.resize(order.size());
    scratch_vector<std::uint32_t> count(buckets);
    for (int shift = 0; shift < 32; shift += digit) {
        std::fill(count.begin(), count.end(), 0);
        for (std::uint32_t k : key)
            ++count[(k >> shift) & (buckets - 1)];
        if (!key.empty() && count[(key[0] >> shift) & (buckets - 1)] == key.size())
            continue;  // one digit for all: nothing moves
        std::uint32_t sum = 0;
        for (std::uint32_t &c : count)
            sum += std::exchange(c, sum);
        for (std::size_t i = 0; i < key.size(); ++i) {
            std::uint32_t at = count[(key[i] >> shift) & (buckets - 1)]++;
            key2[at] = key[i];
            order2[at] = order[i];
        }
        key.swap(key2);
        order.swap(order2);
    }
    for (std::size_t i = 0, j; i < key.size(); i = j) {
        for (j = i + 1; j < key.size() && key[j] == key[i];)
            ++j;
        if (j - i > 1 && !std::is_sorted(order.begin() + i, order.begin() + j, by_value))
            std::stable_sort(order.begin() + i, order.begin() + j, by_value);
    }
    return order;
}

}  // namespace geom
