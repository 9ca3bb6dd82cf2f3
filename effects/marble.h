// Marble textures: eight variants of a marbling distortion. Each copies the
// source into the destination, then scatters every source pixel (x, y) to a
// position displaced by periodic functions of x and y; destination pixels no
// source pixel reaches keep the copied value.
//
// Usage: Marble1(copy, picture, 3, 3.0L). Every variant takes (source,
// destination, scale, turbulence) and, with ay = (y mod scale) / turbulence
// and ax = (x mod scale) / turbulence at extended precision, moves pixel
// (x, y) to (abs(Round(xm)), abs(Round(ym))), written only when that lies
// inside the picture (a later pixel overwrites an earlier one):
//
//   variant  yy (per row)           xx (per column)         xm             ym
//   1        T cos(ay)              -T sin(ax)              (x + xx) + yy  (y + yy) + xx
//   2        T cos(ay)              -T sin(ax)              (x + xx) - yy  (y + yy) - xx
//   3        T cos(ay)              -T sin(ax)              (x - xx) + yy  (y - yy) + xx
//   4        T sin(ay)              -T cos(ax)              as 1
//   5        as 1, walking rows bottom to top and pixels right to left
//   6        T cos(ay)              -tan(ax) / T            as 1
//   7        T sin(ay)              -tan(ax) / (T * T)      as 1
//   8        T sin(ay) cos(1.5 ay)  -T sin(2 ax) cos(ax)    as 1
//
// Common rules: the source is converted to Bits24 first when it has another
// layout, and the destination takes the source's size and layout (an empty
// source leaves it empty). The source and the destination may be the same
// picture. Scale 0 or turbulence 0 (no pattern to follow) leave the plain copy.
// A position that is not a number or lies beyond the 32-bit range is outside
// any picture and is dropped; a tangent argument with |ax| >= 2^63 counts as
// tangent 0, as sine and cosine do.
#pragma once

#include <cstdint>

#include "bitmap/pixel_bitmap.h"

namespace gleamkit::fx {

using bitmap::PixelBitmap;

void Marble1(PixelBitmap& source, PixelBitmap& destination, int32_t scale, long double turbulence);
void Marble2(PixelBitmap& source, PixelBitmap& destination, int32_t scale, long double turbulence);
void Marble3(PixelBitmap& source, PixelBitmap& destination, int32_t scale, long double turbulence);
void Marble4(PixelBitmap& source, PixelBitmap& destination, int32_t scale, long double turbulence);
void Marble5(PixelBitmap& source, PixelBitmap& destination, int32_t scale, long double turbulence);
void Marble6(PixelBitmap& source, PixelBitmap& destination, int32_t scale, long double turbulence);
void Marble7(PixelBitmap& source, PixelBitmap& destination, int32_t scale, long double turbulence);
void Marble8(PixelBitmap& source, PixelBitmap& destination, int32_t scale, long double turbulence);

} // namespace gleamkit::fx
