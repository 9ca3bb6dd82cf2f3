// 3x3 integer convolution of 24-bit pictures, in place, with three ways of
// treating the border: wrap around (ConvolveE), repeat the edge (ConvolveI) or
// keep the one-pixel frame (ConvolveM). Convolve picks one of nine built-in
// kernels and a border method by number.
//
// Usage: Convolve(picture, 4, 1) sharpens with the edge repeated outward;
// ConvolveE({0, 1, 0, 1, 2, 1, 0, 1, 0}, 6, picture) blurs with wrap-around.
// Each channel's weighted sum is divided by the divisor (truncating toward
// zero) and clamped to 0...255; results are identical on every run.
#pragma once

#include <array>
#include <cstdint>

#include "bitmap/pixel_bitmap.h"

namespace gleamkit::fx {

// Nine weights in row order: k0 k1 k2 above the target pixel, k3 k4 k5 on its
// row, k6 k7 k8 below it (row 0 is the picture's top row).
using ConvolutionKernel = std::array<int32_t, 9>;

struct BuiltInKernel {
    ConvolutionKernel kernel;
    uint16_t divisor;
};

// The nine kernels of Convolve, by index: 0 edge detection, 1 sharpen,
// 2 directional relief, 3 mild sharpen, 4 cross sharpen, 5 diagonal relief,
// 6 ring blur, 7 soft blur, 8 cross blur.
const std::array<BuiltInKernel, 9>& BuiltInKernels();

// Border methods of Convolve.
enum class ConvolutionBorder : int32_t { Wrap = 0, Replicate = 1, KeepFrame = 2 };

// Convolves `picture` in place with built-in kernel `kernelIndex` (0...8) and
// border method `method` (0 = ConvolveE, 1 = ConvolveI, 2 = ConvolveM). An
// index outside 0...8 (negative ones included) or a method outside 0...2
// leaves the picture as it is. A picture of another layout than Bits24 is
// converted to Bits24 first (unless nothing is to be done).
void Convolve(bitmap::PixelBitmap& picture, int32_t kernelIndex, int32_t method);

// Convolves `picture` in place with `kernel` and `divisor`; the border wraps
// around: the row above the top row is the bottom row, the column left of the
// left column is the right column, and each corner of the surrounding frame
// repeats the nearest corner pixel of the picture. Every pixel is written.
// Converts the picture to Bits24 first; an empty picture is left alone.
// Throws gleamkit::Error, before touching the picture, when divisor is 0.
void ConvolveE(ConvolutionKernel kernel, uint16_t divisor, bitmap::PixelBitmap& picture);

// As ConvolveE, but the frame around the picture repeats its edge pixels, so
// no output pixel depends on the opposite side of the picture.
void ConvolveI(ConvolutionKernel kernel, uint16_t divisor, bitmap::PixelBitmap& picture);

// Convolves the interior of `picture` in place; the outermost row and column on
// every side keep their values. A picture narrower or lower than 3 pixels is
// left unchanged. Converts the picture to Bits24 first. Throws gleamkit::Error,
// before touching the picture, when divisor is 0.
void ConvolveM(ConvolutionKernel kernel, uint16_t divisor, bitmap::PixelBitmap& picture);

} // namespace gleamkit::fx
