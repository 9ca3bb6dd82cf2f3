// Blend's fast path: the weighted sum of two channel bytes in 32-bit fixed
// point, checked against the one place where it could differ from the
// extended-precision rounding (a sum within reach of a half). Used only for
// weights from 0 to 1, where every sum is a byte value and no weight is
// negative; otherwise, and without AVX2, Blend reads its exact table alone.
// Sums round to nearest with ties to even, as Round does: a tie is either
// exact (weights that are whole multiples of 2^-22, such as 0.5, make every
// sum exact) or inside the doubtful window.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>

namespace gleamkit::fx::blend {

// Sums carry 22 fraction bits: 255 x (2^22 + 1) still fits 31 bits.
constexpr int kFractionBits = 22;
// A weight is within half a unit of its extended value, so a sum is within
// 255 units; fractions closer than this to one half are left to the table.
constexpr int32_t kHalfWindow = 512;
constexpr int kWindowBits = 10; // log2(2 x kHalfWindow)

struct FixedWeights {
    int32_t first;  // Round((1 - amount) x 2^22)
    int32_t second; // Round(amount x 2^22)
    bool exact;     // both without rounding: every sum is the extended sum
};

// The weights for an amount from 0 to 1; none for any other amount or NaN.
std::optional<FixedWeights> FixedWeightsFor(long double amount);

// A fixed-point sum rounded to nearest, ties to even.
constexpr uint32_t RoundSum(uint32_t sum) {
    const uint32_t odd = (sum >> kFractionBits) & 1u;
    return (sum + (1u << (kFractionBits - 1)) - 1u + odd) >> kFractionBits;
}

// The rounded blend of one byte pair in fixed point, or none when its sum
// lies too near a half to be sure of the rounding.
inline std::optional<uint8_t> RoundFixed(const FixedWeights& weights, uint8_t first,
                                         uint8_t second) {
    const uint32_t sum = static_cast<uint32_t>(weights.first) * first +
                         static_cast<uint32_t>(weights.second) * second;
    const uint32_t fraction = sum & ((1u << kFractionBits) - 1);
    const uint32_t windowStart = (1u << (kFractionBits - 1)) - kHalfWindow;
    if (!weights.exact && ((fraction - windowStart) >> kWindowBits) == 0) return std::nullopt;
    return static_cast<uint8_t>(RoundSum(sum));
}

// Blends whole blocks of 32 bytes from the start of `first` and `second`
// into `target` (count bytes at most) and answers how many bytes it wrote; a
// block holding a doubtful sum is read from `table` (index first x 256 +
// second), so every byte written equals the table's. Requires ProcessorHasAvx2().
size_t BlendBytesAvx2(const uint8_t* first, const uint8_t* second, uint8_t* target, size_t count,
                      const FixedWeights& weights, const uint8_t* table);

} // namespace gleamkit::fx::blend
