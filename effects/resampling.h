// The seven resampling kernels and Stretch, the separable two-pass resizer
// built on them.
//
// Usage: pick a row of ResamplingFilters (by position, or by name through
// ResamplingFilterIndex), size the destination picture, then call
// Stretch(source, destination, row.Kernel, row.Support). The result is
// bit-identical to evaluating every formula at extended precision and rounding
// to a 32-bit float exactly where a value is stored.
#pragma once

#include "effects/effect_common.h"

#include <array>
#include <cstdint>
#include <string_view>

namespace gleamkit::fx {

// A resampling kernel: a 32-bit float argument (the distance from the
// sample's centre) in, a 32-bit float weight out.
using ResamplingKernel = float (*)(float x);

struct FilterEntry {
    std::string_view Name; // display name, e.g. "Lanczos3"
    ResamplingKernel Kernel;
    float Support; // radius beyond which the kernel is zero
};

// The constant table, in this fixed order (callers address rows by position):
// 0 "Box" 0.5, 1 "Triangle" 1, 2 "Hermite" 1, 3 "Bell" 1.5, 4 "B-Spline" 2,
// 5 "Lanczos3" 3, 6 "Mitchell" 2.
extern const std::array<FilterEntry, 7> ResamplingFilters;

// The row named `text` (exact name, e.g. "B-Spline") or given by its decimal
// position ("0" to "6"); -1 when it names no row.
int32_t ResamplingFilterIndex(std::string_view text);

// Resizes `source` into `destination` with a separable filter: horizontally
// into an intermediate picture of destination width by source height, then
// vertically. The first and last samples of source and destination line up
// (corner-to-corner mapping). Not in place: the destination's current size is
// the output size and only its pixels are overwritten.
// - The source is converted to Bits24 in place first; the destination becomes
//   Bits24 too. The same picture may be passed as both only at equal sizes.
// - Throws gleamkit::Error("Source bitmap too small") when the source is less
//   than one pixel wide or high; nothing is changed then.
// - A destination 0 wide or high writes nothing. A length of 1 on either side
//   of an axis scales that axis by destination / source instead of
//   (destination - 1) / (source - 1): a 1-pixel source is spread, and a
//   1-pixel destination gets the sample at source 0 with the kernel widened
//   over the whole source (no division by zero).
// - Source indices that fall outside the source after one reflection at the
//   edges (sources narrower than the kernel's reach) are clamped into it.
// - A support that is not a number counts as 0; one above 1024 as 1024.
// The intermediate picture and all lists are released on every exit.
void Stretch(PixelBitmap& source, PixelBitmap& destination, ResamplingKernel kernel, float support);

} // namespace gleamkit::fx
