// Wave and SqueezeHorizontal: effects that move whole runs of pixels without
// touching their colours. Wave drops each column of a band of rows by a
// distance that follows a sine curve along the width; SqueezeHorizontal
// redraws every row into a narrower span whose width follows a profile down
// the height.
//
// Usage: Wave(picture, 32, 16, 0); SqueezeHorizontal(copy, picture, 32, 10).
#pragma once

#include <cstdint>

#include "bitmap/pixel_bitmap.h"

namespace gleamkit::fx {

using bitmap::PixelBitmap;

// Moves, in place, the band of rows amount .. height - 1 - 2 * amount down:
// column x lands amount + d rows lower, where d is the offset computed at
// column x - 1 (0 for column 0) and |d| <= amount:
//   style 0: d = Round(amount * sin(x * f)),
//   style 1: d = Round(amount * (sin(x * f) * cos(x * f))),
//   style 2: d = Round(amount * (sin(x * f) * sin(modulation * f * x))),
//   any other style: d = 0,
// with f = (pi / 2) / amount as a 64-bit float and the sine terms rounded to
// 64-bit floats. Rows 0 .. amount - 1 and every pixel no copy lands on keep
// their pixels. Nothing changes when the picture has fewer than 3 * amount + 1
// rows, or when amount <= 0 (there is no wave of zero or negative height).
// A picture of another layout is converted to Bits24 when pixels move.
void Wave(PixelBitmap& picture, int32_t amount, int32_t modulation, int32_t style);

} // namespace gleamkit::fx
