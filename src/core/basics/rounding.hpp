// Rounding to a number of decimals, correctly: the result is the double
// nearest to the decimal nearest to the exact binary value of x, a tie
// between two decimals going to the even one.  This is how the interpreter's
// round(x, ndigits) rounds a float (2.675 -> 2.67, since the double 2.675 is
// a little below it), and every rule that rounds coordinates or parameters
// uses it.
#pragma once

#include <cmath>

namespace geom {

namespace detail {
// The general path: any ndigits >= 0, any finite x.
double round_decimal_exact(double x, int ndigits);
inline constexpr double powers_of_ten[] = {1e0, 1e1, 1e2,  1e3,  1e4,  1e5,  1e6,  1e7,
                                           1e8, 1e9, 1e10, 1e11, 1e12, 1e13, 1e14, 1e15};
}  // namespace detail

// round(x, ndigits) for ndigits >= 0.  Zeros (of either sign), infinities
// and NaN come back unchanged; no result overflows.
inline double round_decimal(double x, int ndigits) {
    if (ndigits >= 0 && ndigits <= 15 && std::isfinite(x) && x != 0.0) {
        // The common case: x * 10^ndigits below 2^52.  The product is
        // rounded, but its exact residual (fma) tells the one case that
        // matters, a product exactly halfway between two integers.
        double p = detail::powers_of_ten[ndigits];  // exact
        double y = x * p;
        if (std::fabs(y) < 0x1p52) {
            double err = std::fma(x, p, -y);  // x * p - y, exactly
            // Adding and removing 2^52 leaves no fraction bits: the sum
            // itself rounds to the nearest integer, halves to even.
            constexpr double shift = 0x1p52;
            double k = y >= 0 ? (y + shift) - shift : -((-y + shift) - shift);
            double d = y - k;  // exact: |d| <= 0.5
            if (d == 0.5 && err > 0)
                k += 1;
            else if (d == -0.5 && err < 0)
                k -= 1;
            return std::copysign(k, x) / p;  // the double nearest to k / 10^ndigits
        }
    }
    return detail::round_decimal_exact(x, ndigits);
}

// round(x, 3): the key under which points are matched after rounding.
inline double round3(double x) { return round_decimal(x, 3); }

}  // namespace geom
