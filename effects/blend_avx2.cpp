// Blend's weighted sum in 32-bit fixed point, eight bytes per AVX2 lane group.
// The fixed-point weights are within half a unit of the extended ones, so
// the fixed-point sum lies within 255 units (2^-22 each) of the extended sum;
// only a sum whose fraction lies within 512 units of one half could round
// the other way. A block holding such a sum is taken from the exact table,
// unless the weights are exact, when every sum is.

#include "effects/blend_fixed.h"

#include <immintrin.h>

// Every function from here to the end of the file is compiled for AVX2 (the
// callers ask ProcessorHasAvx2 first); the headers above are not, so nothing they
// define inline takes AVX2 code. Clang has no target pragma: it gets the
// target attribute on each function instead.
#if defined(__clang__)
#pragma clang attribute push(__attribute__((target("avx2"))), apply_to = function)
#else
#pragma GCC target("avx2")
#endif

namespace gleamkit::fx::blend {

namespace {

// Eight bytes widened to 32-bit lanes.
inline __m256i Widen(const uint8_t* bytes) {
    return _mm256_cvtepu8_epi32(_mm_loadl_epi64(reinterpret_cast<const __m128i*>(bytes)));
}

} // namespace

size_t BlendBytesAvx2(const uint8_t* first, const uint8_t* second, uint8_t* target, size_t count,
                      const FixedWeights& weights, const uint8_t* table) {
    const __m256i w1 = _mm256_set1_epi32(weights.first);
    const __m256i w2 = _mm256_set1_epi32(weights.second);
    const __m256i halfBelow = _mm256_set1_epi32((1 << (kFractionBits - 1)) - 1);
    const __m256i one = _mm256_set1_epi32(1);
    const __m256i checked = weights.exact ? _mm256_setzero_si256() : _mm256_set1_epi32(-1);
    const __m256i fraction = _mm256_set1_epi32((1 << kFractionBits) - 1);
    const __m256i windowStart = _mm256_set1_epi32((1 << (kFractionBits - 1)) - kHalfWindow);
    const __m256i zero = _mm256_setzero_si256();
    size_t done = 0;
    for (; done + 32 <= count; done += 32) {
        __m256i rounded[4];
        __m256i doubtful = zero;
        for (int part = 0; part < 4; ++part) {
            const size_t at = done + 8 * static_cast<size_t>(part);
            const __m256i sum = _mm256_add_epi32(_mm256_mullo_epi32(Widen(first + at), w1),
                                                 _mm256_mullo_epi32(Widen(second + at), w2));
            // Nearest, ties to even (RoundSum).
            const __m256i odd = _mm256_and_si256(_mm256_srli_epi32(sum, kFractionBits), one);
            rounded[part] = _mm256_srli_epi32(
                _mm256_add_epi32(_mm256_add_epi32(sum, halfBelow), odd), kFractionBits);
            // (fraction - windowStart) below 2 x kHalfWindow, as an unsigned
            // test: shifted right by log2(2 x kHalfWindow) it is zero.
            const __m256i offset = _mm256_sub_epi32(_mm256_and_si256(sum, fraction), windowStart);
            doubtful = _mm256_or_si256(
                doubtful, _mm256_cmpeq_epi32(_mm256_srli_epi32(offset, kWindowBits), zero));
        }
        if (!_mm256_testz_si256(doubtful, checked)) {
            for (size_t i = done; i < done + 32; ++i) target[i] = table[first[i] * 256 + second[i]];
            continue;
        }
        // Pack 32-bit lanes to bytes; the packs work within 128-bit halves, so
        // the permute puts the four groups of eight back in order.
        const __m256i words01 = _mm256_packus_epi32(rounded[0], rounded[1]);
        const __m256i words23 = _mm256_packus_epi32(rounded[2], rounded[3]);
        const __m256i bytes = _mm256_packus_epi16(words01, words23);
        const __m256i ordered =
            _mm256_permutevar8x32_epi32(bytes, _mm256_setr_epi32(0, 4, 1, 5, 2, 6, 3, 7));
        _mm256_storeu_si256(reinterpret_cast<__m256i*>(target + done), ordered);
    }
    return done;
}

} // namespace gleamkit::fx::blend

#if defined(__clang__)
#pragma clang attribute pop
#endif
