// Row kernels for three point operations, built for wider instruction sets
// than the library's baseline and called only where the processor has them
// (tone_rows_avx2.cpp, tone_rows_vbmi.cpp). Each produces exactly the bytes of
// the plain per-pixel loops it stands in for.
#pragma once

#include <cstddef>
#include <cstdint>

namespace gleamkit::fx::tone {

bool HasAvx2();
// Turns the wide kernels off (false) or back on where the processor has
// them, so the plain loops can be checked against them on the same machine.
void AllowWideKernels(bool allowed);

// AVX-512 with byte permutes (VBMI): a whole 256-entry byte table fits in
// four registers.
bool HasByteTableLookup();

// Solarize on whole groups of 32 pixels from the start of a row: a pixel
// whose channel sum is at least `limit` (0..766) is written with its bytes
// flipped, else copied. Returns the number of pixels done; `from` and `to`
// are the same row or do not overlap. Requires HasAvx2().
size_t SolarizePixelsAvx2(const uint8_t* from, uint8_t* to, size_t pixels, int32_t limit);

// Grey on whole groups of 32 pixels in place: every channel becomes
// (11 B + 59 G + 30 R + 50) div 100, except for the pixels whose weighted sum
// ends in exactly 50, which `tie` decides from their original bytes. Returns
// the number of pixels done. Requires HasAvx2().
using TieGray = uint8_t (*)(uint8_t blue, uint8_t green, uint8_t red);
size_t GrayPixelsAvx2(uint8_t* row, size_t pixels, TieGray tie);

// Replaces every byte of `bytes` by its `table` entry. Requires
// HasByteTableLookup().
void MapBytesVbmi(uint8_t* bytes, size_t count, const uint8_t* table);

} // namespace gleamkit::fx::tone
