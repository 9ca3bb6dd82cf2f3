// Fast paths that evaluate in double precision what an algorithm evaluates at
// extended precision, and prove value by value that the stored result is the
// same. A value computed by the same formula in both precisions, each of
// whose operations errs by at most C units of its precision's roundoff from
// the exact result, differs between the two by at most C * kBothRoundoffs
// times its magnitude. When no rounding boundary of what is stored (a float,
// or an integer by Round) lies that close to the double value, both
// precisions store the same thing; otherwise the caller redoes the value at
// extended precision.
#pragma once

#include <bit>
#include <cmath>
#include <cstdint>

namespace gleamkit::fx {

// Unit roundoff of double plus that of extended precision.
constexpr double kBothRoundoffs = 0x1p-53 + 0x1p-64;

// True, with `stored` = static_cast<float>(value), when every number within
// `bound` of `value` rounds to that same float; false when a float rounding
// boundary (a midpoint between neighbouring floats) may lie within `bound`, or
// when value is outside the float's normal range (zero, denormal, overflow,
// not a number), or bound is not a number.
inline bool SettledFloat(double value, double bound, float& stored) {
    const uint64_t bits = std::bit_cast<uint64_t>(value);
    const int32_t exponent = static_cast<int32_t>((bits >> 52) & 0x7FF);
    // 2^-125 <= |value| < 2^127: both roundings land on normal floats.
    if (exponent < 1023 - 125 || exponent > 1023 + 126) return false;
    // A float keeps 24 of the double's 53 significant bits; the 29 dropped
    // bits measure the distance to the midpoint of this float interval in
    // units of the double's last place. Across a power of two the float
    // spacing halves, but the midpoints there are at least 2^27 units away.
    const int64_t dropped = static_cast<int64_t>(bits & 0x1FFFFFFF);
    const int64_t fromMidpoint = dropped > 0x10000000 ? dropped - 0x10000000 : 0x10000000 - dropped;
    const int64_t clear = fromMidpoint < 0x8000000 ? fromMidpoint : 0x8000000;
    const double unit = std::bit_cast<double>(static_cast<uint64_t>(exponent - 52) << 52);
    if (!(bound < unit * static_cast<double>(clear))) return false;
    stored = static_cast<float>(value);
    return true;
}

// True, with `rounded` = the nearest integer (halves to even), when every
// number within `bound` of `value` rounds to that same integer and it fits
// 32 bits.
inline bool SettledRound(double value, double bound, int32_t& rounded) {
    if (!(std::fabs(value) < 1073741824.0)) return false;
    // Below 2^51, adding and removing 1.5 * 2^52 rounds to the nearest whole
    // number, halves to even, without a library call.
    constexpr double kShift = 6755399441055744.0;
    const double nearest = (value + kShift) - kShift;
    const double offset = std::fabs(value - nearest); // exact: value is near nearest
    if (!(bound < 0.5 - offset)) return false;
    rounded = static_cast<int32_t>(nearest);
    return true;
}

} // namespace gleamkit::fx
