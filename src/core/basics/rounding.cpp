#include "core/basics/rounding.hpp"

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <limits>

namespace geom::detail {

namespace {

// x rounded to ndigits (1 to 15) decimals where x * 10^ndigits is at least
// 2^52 (and x below 2^52): the decimal and its nearest double found in
// integers, or NaN where the fraction of x has too many bits for that.
//   * x = i + f, i whole and f exact; f * 10^n is exact while it has at most
//     53 significant bits, and its nearest integer k (halves to even: the
//     decimal's last digit is k's) gives the decimal i + k / 10^n.
//   * The doubles around x are the multiples of its spacing u = 2^-p (p >= 1,
//     so i is one of them): the decimal lies less than u from x (its step is
//     less than 2u), so its nearest double is i + j u with j the nearest
//     integer to k 2^p / 10^n, halves to the even j (the even significand),
//     up to the next power of two at most.
double round_decimal_wide(double x, int ndigits) {
    const double a = std::fabs(x);
    const int p = 52 - std::ilogb(a);
    const std::uint64_t ten = static_cast<std::uint64_t>(powers_of_ten[ndigits]);
    // k 2^p is at most 10^n 2^p, under 2^63 for what follows.
    if (p < 1 || p > 62 || ten > (std::uint64_t{1} << (62 - p)))
        return std::numeric_limits<double>::quiet_NaN();
    const double i = std::floor(a), f = a - i;
    const double y = f * powers_of_ten[ndigits];
    if (std::fma(f, powers_of_ten[ndigits], -y) != 0.0)
        return std::numeric_limits<double>::quiet_NaN();
    auto k = static_cast<std::uint64_t>(y);  // y >= 0: its whole part
    if (double d = y - static_cast<double>(k); d > 0.5 || (d == 0.5 && (k & 1)))
        ++k;
    const std::uint64_t scaled = k << p, q = scaled / ten, r = scaled % ten;
    const std::uint64_t j = q + (2 * r > ten || (2 * r == ten && (q & 1)));
    return std::copysign(i + std::ldexp(static_cast<double>(j), -p), x);
}

}  // namespace

double round_decimal_exact(double x, int ndigits) {
    if (ndigits < 0 || !std::isfinite(x) || x == 0.0)
        return x;
    // From 2^52 on every double is an integer, and rounding to whole
    // decimals or finer keeps it.  Beyond 323 digits the rounded decimal
    // lies within half the smallest subnormal of x, so x is its nearest double.
    if (std::fabs(x) >= 0x1p52 || ndigits > 323)
        return x;
    // Far from the origin, a few decimals: in integers.
    if (ndigits >= 1 && ndigits <= 15 && std::fabs(x * powers_of_ten[ndigits]) >= 0x1p52)
        if (double r = round_decimal_wide(x, ndigits); !std::isnan(r))
            return r;
    // printf rounds the exact binary value to the digits asked for, halves to
    // even, and strtod returns the double nearest to that decimal.  At most
    // 16 integer digits, a sign, a point and 323 decimals.
    char text[352];
    std::snprintf(text, sizeof text, "%.*f", ndigits, x);
    return std::strtod(text, nullptr);
}

}  // namespace geom::detail
