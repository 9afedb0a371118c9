#include "core/rounding.hpp"

#include <cstdio>
#include <cstdlib>

namespace geom::detail {

double round_decimal_exact(double x, int ndigits) {
    if (ndigits < 0 || !std::isfinite(x) || x == 0.0)
        return x;
    // From 2^52 on every double is an integer, and rounding to whole
    // decimals or finer keeps it.  Beyond 323 digits the rounded decimal
    // lies within half the smallest subnormal of x, so x is its nearest double.
    if (std::fabs(x) >= 0x1p52 || ndigits > 323)
        return x;
    // printf rounds the exact binary value to the digits asked for, halves to
    // even, and strtod returns the double nearest to that decimal.  At most
    // 16 integer digits, a sign, a point and 323 decimals.
    char text[352];
    std::snprintf(text, sizeof text, "%.*f", ndigits, x);
    return std::strtod(text, nullptr);
}

}  // namespace geom::detail
