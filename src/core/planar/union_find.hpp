// Union-find over small ids.  The smaller id leads, so a group is led by its
// first member.
#pragma once

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <vector>

namespace geom {

class Groups {
public:
    explicit Groups(std::size_t n = 0) { reset(n); }

    // n ids, each its own group.
    void reset(std::size_t n) {
        lead_.resize(n);
        for (std::size_t i = 0; i < n; ++i)
            lead_[i] = static_cast<std::uint32_t>(i);
    }
    std::uint32_t find(std::uint32_t i) {
        while (lead_[i] != i) {
            lead_[i] = lead_[lead_[i]];
            i = lead_[i];
        }
        return i;
    }
    // False when a and b were one group already.
    bool join(std::uint32_t a, std::uint32_t b) {
        a = find(a);
        b = find(b);
        if (a == b)
            return false;
        lead_[std::max(a, b)] = std::min(a, b);
        return true;
    }

private:
    std::vector<std::uint32_t> lead_;
};

}  // namespace geom
