// Solarize and grey 32 pixels at a time. Each 128-bit half holds 16 pixels
// (48 bytes in three registers); byte shuffles move every pixel's three bytes
// into a 32-bit slot, where one multiply-add of bytes and one of 16-bit pairs
// give its channel sum (Solarize) or its weighted sum 11 B + 59 G + 30 R
// (grey), exactly, in integers. The per-pixel result is then spread back over
// the pixel's three bytes by the reverse shuffles.
#include "effects/tone_rows.h"

#include <immintrin.h>

namespace gleamkit::fx::tone {

namespace {

// Bytes [0, 16) and [48, 64) of a block of 96, one per 128-bit half.
__m256i LoadHalves(const uint8_t* block, size_t offset) {
    return _mm256_inserti128_si256(
        _mm256_castsi128_si256(_mm_loadu_si128(reinterpret_cast<const __m128i*>(block + offset))),
        _mm_loadu_si128(reinterpret_cast<const __m128i*>(block + offset + 48)), 1);
}

void StoreHalves(uint8_t* block, size_t offset, __m256i value) {
    _mm_storeu_si128(reinterpret_cast<__m128i*>(block + offset), _mm256_castsi256_si128(value));
    _mm_storeu_si128(reinterpret_cast<__m128i*>(block + offset + 48),
                     _mm256_extracti128_si256(value, 1));
}

struct Block {
    __m256i bytes[3]; // 16 pixels in each half
};

Block LoadBlock(const uint8_t* block) {
    return {{LoadHalves(block, 0), LoadHalves(block, 16), LoadHalves(block, 32)}};
}

void StoreBlock(uint8_t* block, const __m256i (&bytes)[3]) {
    StoreHalves(block, 0, bytes[0]);
    StoreHalves(block, 16, bytes[1]);
    StoreHalves(block, 32, bytes[2]);
}

// The 32-bit sums of each pixel's bytes times `weights` (blue, green, red,
// 0 repeated), pixels in order: four registers of four pixels per half.
struct Sums {
    __m256i quarter[4];
};

Sums WeightedSums(const Block& block, __m256i weights) {
    const __m256i slots = _mm256_setr_epi8(0, 1, 2, -1, 3, 4, 5, -1, 6, 7, 8, -1, 9, 10, 11, -1, 0,
                                           1, 2, -1, 3, 4, 5, -1, 6, 7, 8, -1, 9, 10, 11, -1);
    const __m256i ones = _mm256_set1_epi16(1);
    const __m256i pixels[4] = {
        block.bytes[0],                                          // pixels 0-3
        _mm256_alignr_epi8(block.bytes[1], block.bytes[0], 12), // pixels 4-7
        _mm256_alignr_epi8(block.bytes[2], block.bytes[1], 8),  // pixels 8-11
        _mm256_srli_si256(block.bytes[2], 4),                   // pixels 12-15
    };
    Sums sums;
    for (int q = 0; q < 4; ++q) {
        const __m256i spread = _mm256_shuffle_epi8(pixels[q], slots);
        sums.quarter[q] = _mm256_madd_epi16(_mm256_maddubs_epi16(spread, weights), ones);
    }
    return sums;
}

// Sixteen bytes per half, one per pixel in order, repeated over the pixel's
// three bytes.
void SpreadOverPixels(__m256i perPixel, __m256i (&bytes)[3]) {
    const __m256i first = _mm256_setr_epi8(0, 0, 0, 1, 1, 1, 2, 2, 2, 3, 3, 3, 4, 4, 4, 5, 0, 0, 0,
                                           1, 1, 1, 2, 2, 2, 3, 3, 3, 4, 4, 4, 5);
    const __m256i second = _mm256_setr_epi8(5, 5, 6, 6, 6, 7, 7, 7, 8, 8, 8, 9, 9, 9, 10, 10, 5, 5,
                                            6, 6, 6, 7, 7, 7, 8, 8, 8, 9, 9, 9, 10, 10);
    const __m256i third = _mm256_setr_epi8(10, 11, 11, 11, 12, 12, 12, 13, 13, 13, 14, 14, 14, 15,
                                           15, 15, 10, 11, 11, 11, 12, 12, 12, 13, 13, 13, 14, 14,
                                           14, 15, 15, 15);
    bytes[0] = _mm256_shuffle_epi8(perPixel, first);
    bytes[1] = _mm256_shuffle_epi8(perPixel, second);
    bytes[2] = _mm256_shuffle_epi8(perPixel, third);
}

// The four quarters' 32-bit values (each within 16-bit range) as 16-bit
// lanes: pixels 0-7 and 8-15 of each half.
void Narrow(const Sums& sums, __m256i& first, __m256i& second) {
    first = _mm256_packs_epi32(sums.quarter[0], sums.quarter[1]);
    second = _mm256_packs_epi32(sums.quarter[2], sums.quarter[3]);
}

} // namespace

size_t SolarizePixelsAvx2(const uint8_t* from, uint8_t* to, size_t pixels, int32_t limit) {
    const __m256i weights = _mm256_setr_epi8(1, 1, 1, 0, 1, 1, 1, 0, 1, 1, 1, 0, 1, 1, 1, 0, 1, 1,
                                             1, 0, 1, 1, 1, 0, 1, 1, 1, 0, 1, 1, 1, 0);
    // Sums are 0..765 and limit 0..766: "sum >= limit" is "sum > limit - 1".
    const __m256i below = _mm256_set1_epi16(static_cast<int16_t>(limit - 1));
    size_t done = 0;
    for (; done + 32 <= pixels; done += 32) {
        const Block block = LoadBlock(from + 3 * done);
        __m256i first, second;
        Narrow(WeightedSums(block, weights), first, second);
        const __m256i flip = _mm256_packs_epi16(_mm256_cmpgt_epi16(first, below),
                                                _mm256_cmpgt_epi16(second, below));
        __m256i masks[3];
        SpreadOverPixels(flip, masks);
        const __m256i result[3] = {_mm256_xor_si256(block.bytes[0], masks[0]),
                                   _mm256_xor_si256(block.bytes[1], masks[1]),
                                   _mm256_xor_si256(block.bytes[2], masks[2])};
        StoreBlock(to + 3 * done, result);
    }
    return done;
}

size_t GrayPixelsAvx2(uint8_t* row, size_t pixels, TieGray tie) {
    const __m256i weights = _mm256_setr_epi8(11, 59, 30, 0, 11, 59, 30, 0, 11, 59, 30, 0, 11, 59,
                                             30, 0, 11, 59, 30, 0, 11, 59, 30, 0, 11, 59, 30, 0, 11,
                                             59, 30, 0);
    const __m256i fifty = _mm256_set1_epi16(50);
    const __m256i hundred = _mm256_set1_epi16(100);
    // n div 100 = (n * 41944) >> 22 for every n <= 25550: the product is at
    // most 25550 * 0.96 / 2^22 < 0.006 above n / 100, whose fraction is at
    // most 0.99.
    const __m256i reciprocal = _mm256_set1_epi16(static_cast<int16_t>(41944));
    size_t done = 0;
    for (; done + 32 <= pixels; done += 32) {
        uint8_t* block = row + 3 * done;
        const Block original = LoadBlock(block);
        __m256i first, second;
        Narrow(WeightedSums(original, weights), first, second);
        first = _mm256_add_epi16(first, fifty);
        second = _mm256_add_epi16(second, fifty);
        const __m256i q1 = _mm256_srli_epi16(_mm256_mulhi_epu16(first, reciprocal), 6);
        const __m256i q2 = _mm256_srli_epi16(_mm256_mulhi_epu16(second, reciprocal), 6);
        const __m256i gray = _mm256_packus_epi16(q1, q2);
        __m256i result[3];
        SpreadOverPixels(gray, result);
        StoreBlock(block, result);
        // A weighted sum ending in 50 lies on a half: decided at the
        // precision the grey is defined in, from the original bytes.
        const __m256i ties =
            _mm256_packs_epi16(_mm256_cmpeq_epi16(_mm256_mullo_epi16(q1, hundred), first),
                               _mm256_cmpeq_epi16(_mm256_mullo_epi16(q2, hundred), second));
        uint32_t tieBits = static_cast<uint32_t>(_mm256_movemask_epi8(ties));
        if (tieBits == 0) continue;
        alignas(32) uint8_t saved[96];
        StoreBlock(saved, original.bytes);
        while (tieBits != 0) {
            // Bit i of a half's mask is its pixel i; the second half starts at pixel 16.
            const unsigned bit = static_cast<unsigned>(__builtin_ctz(tieBits));
            tieBits &= tieBits - 1;
            const size_t at = 3 * bit;
            const uint8_t value = tie(saved[at], saved[at + 1], saved[at + 2]);
            block[at] = value;
            block[at + 1] = value;
            block[at + 2] = value;
        }
    }
    return done;
}

} // namespace gleamkit::fx::tone
