// A 256-entry byte table applied 64 bytes at a time: two two-register byte
// permutes look up the lower and upper halves of the table and each byte's
// top bit picks between them. The last partial block is read and written
// through a byte mask, so nothing outside the row is touched.
#include "effects/tone_rows.h"

#include <immintrin.h>

namespace gleamkit::fx::tone {

void MapBytesVbmi(uint8_t* bytes, size_t count, const uint8_t* table) {
    const __m512i t0 = _mm512_loadu_si512(table);
    const __m512i t1 = _mm512_loadu_si512(table + 64);
    const __m512i t2 = _mm512_loadu_si512(table + 128);
    const __m512i t3 = _mm512_loadu_si512(table + 192);
    size_t i = 0;
    for (; i + 64 <= count; i += 64) {
        const __m512i x = _mm512_loadu_si512(bytes + i);
        const __m512i low = _mm512_permutex2var_epi8(t0, x, t1);
        const __m512i high = _mm512_permutex2var_epi8(t2, x, t3);
        _mm512_storeu_si512(bytes + i, _mm512_mask_blend_epi8(_mm512_movepi8_mask(x), low, high));
    }
    if (i < count) {
        const __mmask64 inside = (uint64_t{1} << (count - i)) - 1;
        const __m512i x = _mm512_maskz_loadu_epi8(inside, bytes + i);
        const __m512i low = _mm512_permutex2var_epi8(t0, x, t1);
        const __m512i high = _mm512_permutex2var_epi8(t2, x, t3);
        _mm512_mask_storeu_epi8(bytes + i, inside,
                                _mm512_mask_blend_epi8(_mm512_movepi8_mask(x), low, high));
    }
}

} // namespace gleamkit::fx::tone
