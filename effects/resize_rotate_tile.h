// Two-picture effects built on bilinear interpolation of four neighbouring
// source pixels: SmoothResize (15-bit fixed-point weights, the library's fast
// resampler) and SmoothRotate (extended-precision weights).
//
// Both read `source` and write `destination`, which must be another picture;
// pictures in other layouts are converted to Bits24 first. Neither raises an
// error.
#pragma once

#include <cstdint>

#include "effects/effect_common.h"

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

} // namespace gleamkit::fx
