// The two filter passes of Stretch. Each channel accumulator is a 32-bit float
// rounded after every addition of (byte x weight); the sum is formed at
// extended precision and rounded once to float, in contributor order.
//
// The fast form sums in double precision instead. A byte times a float weight
// is exact in both formats, and rounding the exact sum to 53 bits and then to
// a float gives the same float as rounding it to 64 bits and then to a float,
// except when the 53-bit sum was rounded onto the exact midpoint between two
// floats (ties would then go to even where the exact sum lies to one side).
// Every double sum is checked for both (the midpoint bit pattern, and
// whether the addition was exact); a pixel or block of eight values with such
// a sum is redone in the exact form. Lists whose sums are exact for any bytes
// (ContributorLists::exactSums) skip the checks in the AVX2 forms. (Weights outside 2^-60 ..
// 2^60 could reach float denormals or overflow; the caller then takes the
// exact form throughout.)
#include "effects/resampling_passes.h"

#include <emmintrin.h>
#include <vector>

#include "effects/effect_common.h"
#include "effects/parallel.h"

namespace gleamkit::fx::resampling {

namespace {

float Accumulate(float sum, uint8_t value, float weight) {
    return static_cast<float>(static_cast<long double>(sum) +
                              static_cast<long double>(value) * weight);
}

// Above 255 gives 255, below 0 gives 0, otherwise the nearest integer with
// halves to even.
uint8_t ToChannel(float sum) {
    if (sum > 255.0f) return 255;
    if (sum < 0.0f) return 0;
    return static_cast<uint8_t>(Round(sum));
}

void HorizontalPixelExact(const ContributorLists& lists, int32_t i, const uint8_t* source,
                          uint8_t* target) {
    float blue = 0.0f, green = 0.0f, red = 0.0f;
    for (int32_t e = lists.first[i]; e < lists.first[i + 1]; ++e) {
        const uint8_t* pixel = source + 3 * static_cast<size_t>(lists.pixel[e]);
        const float weight = lists.weight[e];
        blue = Accumulate(blue, pixel[0], weight);
        green = Accumulate(green, pixel[1], weight);
        red = Accumulate(red, pixel[2], weight);
    }
    target[0] = ToChannel(blue);
    target[1] = ToChannel(green);
    target[2] = ToChannel(red);
}

void HorizontalRowExact(const ContributorLists& lists, const uint8_t* source, uint8_t* target) {
    for (int32_t i = 0; i < lists.Count(); ++i)
        HorizontalPixelExact(lists, i, source, target + 3 * static_cast<size_t>(i));
}

// Channel values `begin` .. `end` - 1 of destination row i.
void VerticalRowExact(const ContributorLists& lists, const RowSpan& source, int32_t i,
                      uint8_t* target, int32_t begin, int32_t end) {
    for (int32_t c = begin; c < end; ++c) {
        float sum = 0.0f;
        for (int32_t e = lists.first[i]; e < lists.first[i + 1]; ++e)
            sum = Accumulate(sum, source.Row(lists.pixel[e])[c], lists.weight[e]);
        target[c] = ToChannel(sum);
    }
}

// All-ones lanes where a double sum sits exactly on a float midpoint: the 29
// low mantissa bits (those a float drops) are 1 followed by 28 zeros.
inline __m128i MidpointLanes(__m128d low, __m128d high) {
    const __m128 lowWords =
        _mm_shuffle_ps(_mm_castpd_ps(low), _mm_castpd_ps(high), _MM_SHUFFLE(2, 0, 2, 0));
    const __m128i dropped = _mm_and_si128(_mm_castps_si128(lowWords), _mm_set1_epi32(0x1FFFFFFF));
    return _mm_cmpeq_epi32(dropped, _mm_set1_epi32(0x10000000));
}

// All-ones (64-bit) lanes where sum = a + b was rounded. An exact sum gives
// back b when a is subtracted and a when b is; after a rounded one, taking
// away the operand of larger magnitude is still exact and leaves the other
// plus the rounding error, so that comparison fails.
inline __m128d InexactLanes(__m128d sum, __m128d a, __m128d b) {
    return _mm_or_pd(_mm_cmpneq_pd(_mm_sub_pd(sum, a), b), _mm_cmpneq_pd(_mm_sub_pd(sum, b), a));
}

// The lanes where the double sum may round to another float than the
// extended one: a rounded sum on a midpoint. (Midpoints alone are frequent,
// since a product has only 32 significant bits, but harmless when exact.)
inline __m128i SuspectLanes(__m128d sumLow, __m128d sumHigh, __m128d accLow, __m128d accHigh,
                            __m128d termLow, __m128d termHigh) {
    const __m128d inexactLow = InexactLanes(sumLow, accLow, termLow);
    const __m128d inexactHigh = InexactLanes(sumHigh, accHigh, termHigh);
    const __m128 inexact = _mm_shuffle_ps(_mm_castpd_ps(inexactLow), _mm_castpd_ps(inexactHigh),
                                          _MM_SHUFFLE(2, 0, 2, 0));
    return _mm_and_si128(MidpointLanes(sumLow, sumHigh), _mm_castps_si128(inexact));
}

// A double holding a float value, as the float variable would.
inline __m128d RoundToFloat(__m128d sum) {
    return _mm_cvtps_pd(_mm_cvtpd_ps(sum));
}

// Four float sums to four clamped, rounded channel values in the low dword.
inline int32_t PackChannels(__m128d low, __m128d high) {
    __m128 sums = _mm_movelh_ps(_mm_cvtpd_ps(low), _mm_cvtpd_ps(high));
    sums = _mm_min_ps(_mm_max_ps(sums, _mm_setzero_ps()), _mm_set1_ps(255.0f));
    const __m128i words = _mm_packs_epi32(_mm_cvtps_epi32(sums), _mm_setzero_si128());
    return _mm_cvtsi128_si32(_mm_packus_epi16(words, words));
}

// The source row as doubles, four per pixel (blue, green, red, 0), so that one
// pixel is two aligned register loads.
void WidenRow(const uint8_t* source, int32_t width, double* quads) {
    for (int32_t x = 0; x < width; ++x) {
        quads[4 * x] = source[3 * x];
        quads[4 * x + 1] = source[3 * x + 1];
        quads[4 * x + 2] = source[3 * x + 2];
        quads[4 * x + 3] = 0.0;
    }
}

// Destination pixel i of kRows rows at once: the rows' sums are independent,
// which keeps the processor busy while one of them waits for a conversion.
// Bit r of the answer is set when a sum of row r is suspect; that row's pixel
// is then not written.
template <int kRows>
inline int HorizontalPixelFast(const ContributorLists& lists, int32_t i,
                               const double* const (&quads)[kRows],
                               uint8_t* const (&targets)[kRows]) {
    __m128d blueGreen[kRows];
    __m128d redPad[kRows];
    __m128i suspects[kRows];
    for (int r = 0; r < kRows; ++r) {
        blueGreen[r] = _mm_setzero_pd();
        redPad[r] = _mm_setzero_pd();
        suspects[r] = _mm_setzero_si128();
    }
    for (int32_t e = lists.first[i]; e < lists.first[i + 1]; ++e) {
        const size_t offset = 4 * static_cast<size_t>(lists.pixel[e]);
        const __m128d weight = _mm_set1_pd(lists.weight[e]);
        for (int r = 0; r < kRows; ++r) {
            const __m128d termLow = _mm_mul_pd(_mm_load_pd(quads[r] + offset), weight);
            const __m128d termHigh = _mm_mul_pd(_mm_load_pd(quads[r] + offset + 2), weight);
            const __m128d sumLow = _mm_add_pd(blueGreen[r], termLow);
            const __m128d sumHigh = _mm_add_pd(redPad[r], termHigh);
            suspects[r] = _mm_or_si128(suspects[r], SuspectLanes(sumLow, sumHigh, blueGreen[r],
                                                                 redPad[r], termLow, termHigh));
            blueGreen[r] = RoundToFloat(sumLow);
            redPad[r] = RoundToFloat(sumHigh);
        }
    }
    int failed = 0;
    for (int r = 0; r < kRows; ++r) {
        if (_mm_movemask_epi8(suspects[r]) != 0) {
            failed |= 1 << r;
            continue;
        }
        const int32_t packed = PackChannels(blueGreen[r], redPad[r]);
        uint8_t* target = targets[r] + 3 * static_cast<size_t>(i);
        target[0] = static_cast<uint8_t>(packed);
        target[1] = static_cast<uint8_t>(packed >> 8);
        target[2] = static_cast<uint8_t>(packed >> 16);
    }
    return failed;
}

template <int kRows>
void HorizontalRowsFast(const ContributorLists& lists, bool useAvx2,
                        const double* const (&quads)[kRows], const uint8_t* const (&sources)[kRows],
                        uint8_t* const (&targets)[kRows]) {
    const int32_t count = lists.Count();
    for (int32_t i = 0; i < count; ++i) {
        int failed;
        if constexpr (kRows == 2) {
            if (useAvx2 && lists.ExactSums(i)) {
                int32_t end = i + 1;
                while (end < count && lists.ExactSums(end)) ++end;
                HorizontalRunExactSumsAvx2(lists, i, end, quads[0], quads[1], targets[0],
                                           targets[1]);
                i = end - 1;
                continue;
            }
            failed = useAvx2 ? HorizontalPixelPairAvx2(lists, i, quads[0], quads[1], targets[0],
                                                       targets[1])
                             : HorizontalPixelFast<kRows>(lists, i, quads, targets);
        } else {
            failed = HorizontalPixelFast<kRows>(lists, i, quads, targets);
        }
        for (int r = 0; r < kRows; ++r)
            if (failed & (1 << r))
                HorizontalPixelExact(lists, i, sources[r], targets[r] + 3 * static_cast<size_t>(i));
    }
}

// Eight channel values as doubles, in four registers of two.
inline void WidenEight(const uint8_t* bytes, __m128d (&values)[4]) {
    const __m128i zero = _mm_setzero_si128();
    const __m128i words =
        _mm_unpacklo_epi8(_mm_loadl_epi64(reinterpret_cast<const __m128i*>(bytes)), zero);
    const __m128i low = _mm_unpacklo_epi16(words, zero);
    const __m128i high = _mm_unpackhi_epi16(words, zero);
    values[0] = _mm_cvtepi32_pd(low);
    values[1] = _mm_cvtepi32_pd(_mm_shuffle_epi32(low, _MM_SHUFFLE(1, 0, 3, 2)));
    values[2] = _mm_cvtepi32_pd(high);
    values[3] = _mm_cvtepi32_pd(_mm_shuffle_epi32(high, _MM_SHUFFLE(1, 0, 3, 2)));
}

// Channel values c .. c + 7 of a destination row from the source rows of its
// list; false (nothing written) when a sum is suspect.
inline bool VerticalBlockFast(const uint8_t* const* rows, const float* weights, int32_t entries,
                              int32_t c, uint8_t* target) {
    __m128d sums[4] = {_mm_setzero_pd(), _mm_setzero_pd(), _mm_setzero_pd(), _mm_setzero_pd()};
    __m128i suspects = _mm_setzero_si128();
    for (int32_t k = 0; k < entries; ++k) {
        __m128d terms[4];
        WidenEight(rows[k] + c, terms);
        const __m128d weight = _mm_set1_pd(weights[k]);
        __m128d next[4];
        for (int lane = 0; lane < 4; ++lane) {
            terms[lane] = _mm_mul_pd(terms[lane], weight);
            next[lane] = _mm_add_pd(sums[lane], terms[lane]);
        }
        suspects = _mm_or_si128(
            suspects, SuspectLanes(next[0], next[1], sums[0], sums[1], terms[0], terms[1]));
        suspects = _mm_or_si128(
            suspects, SuspectLanes(next[2], next[3], sums[2], sums[3], terms[2], terms[3]));
        for (int lane = 0; lane < 4; ++lane) sums[lane] = RoundToFloat(next[lane]);
    }
    if (_mm_movemask_epi8(suspects) != 0) return false;
    const int32_t first = PackChannels(sums[0], sums[1]);
    const int32_t second = PackChannels(sums[2], sums[3]);
    __builtin_memcpy(target + c, &first, 4);
    __builtin_memcpy(target + c + 4, &second, 4);
    return true;
}

// Destination row i in blocks of eight channel values; a suspect block is
// redone in the exact form, as are the last few values of the row.
void VerticalRowFast(const ContributorLists& lists, const RowSpan& source, int32_t i, bool useAvx2,
                     std::vector<const uint8_t*>& rows, uint8_t* target) {
    const int32_t begin = lists.first[i];
    const int32_t entries = lists.first[i + 1] - begin;
    rows.resize(static_cast<size_t>(entries));
    for (int32_t k = 0; k < entries; ++k) rows[k] = source.Row(lists.pixel[begin + k]);
    const float* weights = lists.weight.data() + begin;

    const int32_t values = 3 * source.width;
    int32_t c = 0;
    if (useAvx2 && lists.ExactSums(i))
        c = VerticalRowExactSumsAvx2(rows.data(), weights, entries, values, target);
    for (; c + 8 <= values; c += 8) {
        const bool written = useAvx2 ? VerticalBlockAvx2(rows.data(), weights, entries, c, target)
                                     : VerticalBlockFast(rows.data(), weights, entries, c, target);
        if (!written) VerticalRowExact(lists, source, i, target, c, c + 8);
    }
    VerticalRowExact(lists, source, i, target, c, values);
}

} // namespace

void HorizontalPass(const ContributorLists& lists, const RowSpan& source, const RowSpan& target,
                    PassPrecision precision) {
    // Every target row depends on its source row alone; bands of row pairs
    // run on separate threads.
    const int32_t pairs = (source.height + 1) / 2;
    const int32_t pairGrain = 4096 / (Max(target.width, 1)) + 1;
    if (precision == PassPrecision::Exact) {
        ParallelBands(pairs, pairGrain, [&](int32_t firstPair, int32_t endPair) {
            for (int32_t y = 2 * firstPair; y < Min(2 * endPair, source.height); ++y)
                HorizontalRowExact(lists, source.Row(y), target.Row(y));
        });
        return;
    }
    const bool useAvx2 = precision == PassPrecision::Fast && ProcessorHasAvx2();
    void (*const widen)(const uint8_t*, int32_t, double*) = useAvx2 ? &WidenRowAvx2 : &WidenRow;
    const size_t quadCount = 4 * static_cast<size_t>(source.width);
    ParallelBands(pairs, pairGrain, [&](int32_t firstPair, int32_t endPair) {
        std::vector<double> quads(2 * quadCount);
        double* const upper = quads.data();
        double* const lower = quads.data() + quadCount;
        const int32_t end = Min(2 * endPair, source.height);
        int32_t y = 2 * firstPair;
        for (; y + 1 < end; y += 2) {
            widen(source.Row(y), source.width, upper);
            widen(source.Row(y + 1), source.width, lower);
            HorizontalRowsFast<2>(lists, useAvx2, {upper, lower},
                                  {source.Row(y), source.Row(y + 1)},
                                  {target.Row(y), target.Row(y + 1)});
        }
        if (y < end) {
            widen(source.Row(y), source.width, upper);
            HorizontalRowsFast<1>(lists, useAvx2, {upper}, {source.Row(y)}, {target.Row(y)});
        }
    });
}

void VerticalPass(const ContributorLists& lists, const RowSpan& source, const RowSpan& target,
                  PassPrecision precision) {
    const int32_t values = 3 * target.width;
    const bool useAvx2 = precision == PassPrecision::Fast && ProcessorHasAvx2();
    // Every target row is read from the source alone; bands of rows run on
    // separate threads.
    ParallelRows(target.height, target.width, [&](int32_t top, int32_t bottom) {
        std::vector<const uint8_t*> rows;
        for (int32_t i = top; i < bottom; ++i) {
            uint8_t* row = target.Row(i);
            if (precision == PassPrecision::Exact)
                VerticalRowExact(lists, source, i, row, 0, values);
            else
                VerticalRowFast(lists, source, i, useAvx2, rows, row);
        }
    });
}

} // namespace gleamkit::fx::resampling
