// Wave and SqueezeHorizontal: effects that move whole runs of pixels without
// touching their colours. Wave drops each column of a band of rows by a
// distance that follows a sine curve along the width; SqueezeHorizontal
// redraws every row into a narrower span whose width follows a profile down
// the height.
//
// Usage: Wave(picture, 32, 16, 0); SqueezeHorizontal(copy, picture, 32, 10).
// Both work on Bits24 rows; SqueezeHorizontal draws through the canvas.
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

// Redraws every source row y into the span (left, right) of destination row y
// with a stretched draw through the destination's canvas (the target's stretch
// mode decides how covered pixels combine). With W the source width, H its
// height, amount limited to W div 2 and t = y / (H - 1):
//   style 7:  s = amount,                                span (s, W - s)
//   style 8:  s = Round(((H - 1 - y) / H) * amount),     span (s, W - s)
//   style 9:  s = Round((y / H) * amount),               span (s, W - s)
//   style 10: s = abs(Round(cos(t * pi) * amount)),      span (s, W - s)
//   style 11: s = abs(Round(sin(t * pi) * amount)),      span (s, W - s)
//   style 12: s as style 11,                             span (W div 2 - s, W div 2 + s)
//   style 13: s = abs(Round(sin(t * pi * 2) * amount)),  span (W div 2 - s, W div 2 + s)
// Destination pixels outside a span keep what they had; an empty span draws
// nothing. Safe results outside the usual range:
//  - a style outside 7 .. 13 leaves every row unchanged;
//  - a one-row picture is its own first row: styles 10 to 13 take t = 0;
//  - a negative amount is limited to -(W div 2): it widens the row past the
//    picture's edges (clipped) in styles 7 to 9, and only its size counts in
//    styles 10 to 13;
//  - an empty source or destination changes nothing.
// Source and destination are converted to Bits24 first when they have
// another layout (drawing into palette rows would change the colours). Source and destination may
// be one picture: each row is read before it is drawn. The scratch row is freed on every exit.
void SqueezeHorizontal(PixelBitmap& source, PixelBitmap& destination, int32_t amount,
                       uint8_t style);

} // namespace gleamkit::fx
