// Two-picture effects built on bilinear interpolation of four neighbouring
// source pixels: SmoothResize (15-bit fixed-point weights, the library's fast
// resampler), SmoothRotate (extended-precision weights) and Tile (a shrunken
// copy repeated over the picture).
//
// Each reads `source` and writes `destination`, which must be another picture.
// SmoothResize and SmoothRotate convert pictures in other layouts to Bits24
// first. None raises an error.
#pragma once

#include "effects/effect_common.h"

#include <cstdint>

namespace gleamkit::fx {

// Scales `source` to the destination's current size (not changed). Positions
// advance by ((SW - 1) shl 15) div DW per column and likewise per row, so the
// last destination pixel lands short of the last source pixel and a same-size
// call shrinks the picture by (SW - 1) / SW toward the top-left corner.
// An empty destination or an empty source leaves the destination unchanged;
// a source one pixel wide (or high) repeats its only column (or row).
// The desktop program passes a copy of the working picture and the picture.
void SmoothResize(PixelBitmap& source, PixelBitmap& destination);

// Rotates `source` by `angle` degrees about (cx, cy) into `destination`,
// centring the source on the destination when their sizes differ. A
// destination pixel whose nearest source position falls outside the source is
// not written and keeps its value. Positions beyond the 32-bit range count as
// outside. The desktop program passes (copy, picture, 0, 0, 33.0).
void SmoothRotate(PixelBitmap& source, PixelBitmap& destination, int32_t cx, int32_t cy,
                  long double angle);

// Makes `destination` a copy of `source` (Assign: same size and layout), then,
// when amount > 0 and the source is at least 5 x amount pixels wide and high,
// shrinks the source with SmoothResize into a tile of (SW div amount) x
// (SH div amount) and draws it amount x amount times over the destination's
// canvas, row by row from the top-left corner. The strips right of and below
// the tiles keep the copied source. The source is converted to Bits24, and
// so is the destination before the tiles are drawn into it unless it has
// 32-bit rows (which hold the tiles' colours exactly).
// The desktop program passes a copy of the working picture, the picture and 8.
void Tile(PixelBitmap& source, PixelBitmap& destination, int32_t amount);

} // namespace gleamkit::fx
