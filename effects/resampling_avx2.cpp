// The AVX2 forms of Stretch's vertical block and horizontal pixel pair: the
// same double-precision sums, checks and order as the SSE2 forms in
// resampling_passes.cpp, four lanes per register. No fused multiply-add is enabled, so every
// product and sum is the same IEEE operation and the results are bit-identical.

#include "effects/resampling_passes.h"

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

namespace gleamkit::fx::resampling {

namespace {

// Lanes where the sum was rounded and sits exactly on a float midpoint (see
// SuspectLanes in resampling_passes.cpp).
inline __m256i SuspectLanes(__m256d sum, __m256d acc, __m256d term) {
    const __m256i dropped =
        _mm256_and_si256(_mm256_castpd_si256(sum), _mm256_set1_epi64x(0x1FFFFFFF));
    const __m256i midpoint = _mm256_cmpeq_epi64(dropped, _mm256_set1_epi64x(0x10000000));
    const __m256d inexact = _mm256_or_pd(_mm256_cmp_pd(_mm256_sub_pd(sum, acc), term, _CMP_NEQ_UQ),
                                         _mm256_cmp_pd(_mm256_sub_pd(sum, term), acc, _CMP_NEQ_UQ));
    return _mm256_and_si256(midpoint, _mm256_castpd_si256(inexact));
}

inline __m256d RoundToFloat(__m256d sum) {
    return _mm256_cvtps_pd(_mm256_cvtpd_ps(sum));
}

} // namespace

namespace {

// Eight 32-bit float sums to eight clamped, rounded bytes at target + c.
inline void StoreEight(__m256d low, __m256d high, uint8_t* target, int32_t c) {
    __m256 sums = _mm256_set_m128(_mm256_cvtpd_ps(high), _mm256_cvtpd_ps(low));
    sums = _mm256_min_ps(_mm256_max_ps(sums, _mm256_setzero_ps()), _mm256_set1_ps(255.0f));
    const __m256i whole = _mm256_cvtps_epi32(sums);
    const __m128i words =
        _mm_packs_epi32(_mm256_castsi256_si128(whole), _mm256_extracti128_si256(whole, 1));
    _mm_storel_epi64(reinterpret_cast<__m128i*>(target + c), _mm_packus_epi16(words, words));
}

// One step of a vertical block: the terms of row k's eight values.
inline void VerticalTerms(const uint8_t* row, float weight, int32_t c, __m256d& termLow,
                          __m256d& termHigh) {
    const __m256i words =
        _mm256_cvtepu8_epi32(_mm_loadl_epi64(reinterpret_cast<const __m128i*>(row + c)));
    const __m256d factor = _mm256_set1_pd(weight);
    termLow = _mm256_mul_pd(_mm256_cvtepi32_pd(_mm256_castsi256_si128(words)), factor);
    termHigh = _mm256_mul_pd(_mm256_cvtepi32_pd(_mm256_extracti128_si256(words, 1)), factor);
}

} // namespace

void WidenRowAvx2(const uint8_t* source, int32_t width, double* quads) {
    int32_t x = 0;
    // Four bytes are read per pixel, the fourth belonging to the next pixel,
    // so the last pixel is widened on its own.
    for (; x + 1 < width; ++x) {
        int32_t bytes;
        __builtin_memcpy(&bytes, source + 3 * static_cast<size_t>(x), 4);
        const __m256d values = _mm256_cvtepi32_pd(_mm_cvtepu8_epi32(_mm_cvtsi32_si128(bytes)));
        _mm256_storeu_pd(quads + 4 * static_cast<size_t>(x),
                         _mm256_blend_pd(values, _mm256_setzero_pd(), 0x8));
    }
    for (; x < width; ++x) {
        quads[4 * x] = source[3 * x];
        quads[4 * x + 1] = source[3 * x + 1];
        quads[4 * x + 2] = source[3 * x + 2];
        quads[4 * x + 3] = 0.0;
    }
}

bool VerticalBlockAvx2(const uint8_t* const* rows, const float* weights, int32_t entries, int32_t c,
                       uint8_t* target) {
    __m256d low = _mm256_setzero_pd();
    __m256d high = _mm256_setzero_pd();
    __m256i suspects = _mm256_setzero_si256();
    for (int32_t k = 0; k < entries; ++k) {
        __m256d termLow;
        __m256d termHigh;
        VerticalTerms(rows[k], weights[k], c, termLow, termHigh);
        const __m256d sumLow = _mm256_add_pd(low, termLow);
        const __m256d sumHigh = _mm256_add_pd(high, termHigh);
        suspects = _mm256_or_si256(suspects, SuspectLanes(sumLow, low, termLow));
        suspects = _mm256_or_si256(suspects, SuspectLanes(sumHigh, high, termHigh));
        low = RoundToFloat(sumLow);
        high = RoundToFloat(sumHigh);
    }
    if (!_mm256_testz_si256(suspects, suspects)) return false;
    StoreEight(low, high, target, c);
    return true;
}

namespace {

// kBlocks blocks of eight channel values of a row with exact sums: 2 x kBlocks
// independent chains of sums, so the conversions overlap.
template <int kBlocks>
inline void VerticalBlocksExactSums(const uint8_t* const* rows, const float* weights,
                                    int32_t entries, int32_t c, uint8_t* target) {
    __m256d sums[2 * kBlocks];
    for (__m256d& sum : sums) sum = _mm256_setzero_pd();
    for (int32_t k = 0; k < entries; ++k) {
        for (int b = 0; b < kBlocks; ++b) {
            __m256d termLow;
            __m256d termHigh;
            VerticalTerms(rows[k], weights[k], c + 8 * b, termLow, termHigh);
            sums[2 * b] = RoundToFloat(_mm256_add_pd(sums[2 * b], termLow));
            sums[2 * b + 1] = RoundToFloat(_mm256_add_pd(sums[2 * b + 1], termHigh));
        }
    }
    for (int b = 0; b < kBlocks; ++b) StoreEight(sums[2 * b], sums[2 * b + 1], target, c + 8 * b);
}

} // namespace

int32_t VerticalRowExactSumsAvx2(const uint8_t* const* rows, const float* weights, int32_t entries,
                                 int32_t values, uint8_t* target) {
    int32_t c = 0;
    for (; c + 32 <= values; c += 32) VerticalBlocksExactSums<4>(rows, weights, entries, c, target);
    for (; c + 8 <= values; c += 8) VerticalBlocksExactSums<1>(rows, weights, entries, c, target);
    return c;
}

namespace {

// One pixel's float sums (blue, green, red, 0) to three clamped, rounded bytes.
inline void StorePixel(__m256d sums, uint8_t* target) {
    __m128 channels = _mm256_cvtpd_ps(sums);
    channels = _mm_min_ps(_mm_max_ps(channels, _mm_setzero_ps()), _mm_set1_ps(255.0f));
    const __m128i words = _mm_packs_epi32(_mm_cvtps_epi32(channels), _mm_setzero_si128());
    const int32_t packed = _mm_cvtsi128_si32(_mm_packus_epi16(words, words));
    target[0] = static_cast<uint8_t>(packed);
    target[1] = static_cast<uint8_t>(packed >> 8);
    target[2] = static_cast<uint8_t>(packed >> 16);
}

} // namespace

int HorizontalPixelPairAvx2(const ContributorLists& lists, int32_t i, const double* upper,
                            const double* lower, uint8_t* upperTarget, uint8_t* lowerTarget) {
    __m256d upperSum = _mm256_setzero_pd();
    __m256d lowerSum = _mm256_setzero_pd();
    __m256i upperSuspects = _mm256_setzero_si256();
    __m256i lowerSuspects = _mm256_setzero_si256();
    for (int32_t e = lists.first[i]; e < lists.first[i + 1]; ++e) {
        const size_t offset = 4 * static_cast<size_t>(lists.pixel[e]);
        const __m256d weight = _mm256_set1_pd(lists.weight[e]);
        const __m256d upperTerm = _mm256_mul_pd(_mm256_loadu_pd(upper + offset), weight);
        const __m256d lowerTerm = _mm256_mul_pd(_mm256_loadu_pd(lower + offset), weight);
        const __m256d upperNext = _mm256_add_pd(upperSum, upperTerm);
        const __m256d lowerNext = _mm256_add_pd(lowerSum, lowerTerm);
        upperSuspects =
            _mm256_or_si256(upperSuspects, SuspectLanes(upperNext, upperSum, upperTerm));
        lowerSuspects =
            _mm256_or_si256(lowerSuspects, SuspectLanes(lowerNext, lowerSum, lowerTerm));
        upperSum = RoundToFloat(upperNext);
        lowerSum = RoundToFloat(lowerNext);
    }
    int failed = 0;
    const __m256d sums[2] = {upperSum, lowerSum};
    const __m256i suspects[2] = {upperSuspects, lowerSuspects};
    uint8_t* const targets[2] = {upperTarget, lowerTarget};
    for (int r = 0; r < 2; ++r) {
        if (!_mm256_testz_si256(suspects[r], suspects[r])) {
            failed |= 1 << r;
            continue;
        }
        StorePixel(sums[r], targets[r] + 3 * static_cast<size_t>(i));
    }
    return failed;
}

namespace {

// kPixels consecutive destination pixels of two rows, whose lists have equal
// lengths: 2 x kPixels independent chains of sums, so the conversions that
// round each step to a float overlap instead of waiting on one another.
template <int kPixels>
inline void HorizontalPixelsExactSums(const ContributorLists& lists, int32_t i, int32_t entries,
                                      const double* upper, const double* lower,
                                      uint8_t* upperTarget, uint8_t* lowerTarget) {
    __m256d sums[2 * kPixels];
    for (__m256d& sum : sums) sum = _mm256_setzero_pd();
    for (int32_t k = 0; k < entries; ++k) {
        for (int p = 0; p < kPixels; ++p) {
            const int32_t e = lists.first[i + p] + k;
            const __m256d weight = _mm256_set1_pd(lists.weight[e]);
            const size_t offset = 4 * static_cast<size_t>(lists.pixel[e]);
            sums[2 * p] = RoundToFloat(_mm256_add_pd(
                sums[2 * p], _mm256_mul_pd(_mm256_loadu_pd(upper + offset), weight)));
            sums[2 * p + 1] = RoundToFloat(_mm256_add_pd(
                sums[2 * p + 1], _mm256_mul_pd(_mm256_loadu_pd(lower + offset), weight)));
        }
    }
    for (int p = 0; p < kPixels; ++p) {
        StorePixel(sums[2 * p], upperTarget + 3 * static_cast<size_t>(i + p));
        StorePixel(sums[2 * p + 1], lowerTarget + 3 * static_cast<size_t>(i + p));
    }
}

bool EqualLengths(const ContributorLists& lists, int32_t i, int32_t count) {
    const int32_t entries = lists.first[i + 1] - lists.first[i];
    for (int32_t p = 1; p < count; ++p)
        if (lists.first[i + p + 1] - lists.first[i + p] != entries) return false;
    return true;
}

} // namespace

void HorizontalRunExactSumsAvx2(const ContributorLists& lists, int32_t begin, int32_t end,
                                const double* upper, const double* lower, uint8_t* upperTarget,
                                uint8_t* lowerTarget) {
    int32_t i = begin;
    while (i < end) {
        const int32_t entries = lists.first[i + 1] - lists.first[i];
        if (i + 4 <= end && EqualLengths(lists, i, 4)) {
            HorizontalPixelsExactSums<4>(lists, i, entries, upper, lower, upperTarget, lowerTarget);
            i += 4;
        } else {
            HorizontalPixelsExactSums<1>(lists, i, entries, upper, lower, upperTarget, lowerTarget);
            i += 1;
        }
    }
}

} // namespace gleamkit::fx::resampling

#if defined(__clang__)
#pragma clang attribute pop
#endif
