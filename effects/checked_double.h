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

#include <cmath>
#include <cstdint>

namespace gleamkit::fx {

// Unit roundoff of double plus that of extended precision.
constexpr double kBothRoundoffs = 0x1p-53 + 0x1p-64;

// True when every number within `bound` of `value` rounds to the same float,
// which is then `stored`; false otherwise, and when the float would be zero
// (whose sign the bound cannot tell) or infinite, or when value or bound is
// not a number.
//
// Rounding to a float never decreases as its argument grows. The two ends
// value -/+ bound are formed in double, which could pull an end inward by
// half a unit in its last place (and collapse a tiny bound onto a midpoint),
// so the bound is first widened by 2^-50 |value| (and a few of the smallest
// denormals), more than that rounding for any bound up to 7 |value| (a larger
// one reaches past zero, and the ends' signs differ). The ends then enclose
// every number within `bound` of `value`, and equal floats at the ends prove
// that all of them round alike.
inline bool SettledFloat(double value, double bound, float& stored) {
    const double widened = bound + std::fabs(value) * 0x1p-50 + 0x1p-1072;
    const float low = static_cast<float>(value - widened);
    const float high = static_cast<float>(value + widened);
    // Always stored (a caller may ignore a refused value), tested without
    // branches so that loops over many values can use vector registers.
    stored = low;
    return (low == high) & (low != 0.0f) & (std::fabs(low) <= 0x1.fffffep127f);
}

// Round: nearest whole number, halves to even, for |value| below 2^51 (adding
// and removing 1.5 * 2^52 rounds without a library call).
inline double RoundedWhole(double value) {
    constexpr double kShift = 6755399441055744.0;
    return (value + kShift) - kShift;
}

// True, with `rounded` = the nearest integer (halves to even), when every
// number within `bound` of `value` rounds to that same integer and it fits
// 32 bits. Rounding never decreases either; the bound is widened as in
// SettledFloat so the double ends enclose the interval.
inline bool SettledRound(double value, double bound, int32_t& rounded) {
    const double widened = bound + std::fabs(value) * 0x1p-50 + 0x1p-1072;
    if (!(std::fabs(value) + widened < 1073741824.0)) return false;
    const double low = RoundedWhole(value - widened);
    if (low != RoundedWhole(value + widened)) return false;
    rounded = static_cast<int32_t>(low);
    return true;
}

} // namespace gleamkit::fx
