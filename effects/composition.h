// Two-picture compositions: Blend mixes two pictures with a fixed weight,
// FoldRight folds a strip of the first picture over to the right and shows the
// second underneath, Grow pastes a scaled-down copy of the second picture onto
// the first, and Plasma displaces the pixels of one picture by angles taken
// from the blue channel of another.
//
// Usage: Blend(copy, second, picture, 0.333L); FoldRight(copy, second,
// picture, 0.33L); Grow(copy, second, picture, 0.33L, 10, 10);
// Plasma(second, copy, picture, 10.0L, 22.0L). Sources are read, the
// destination written.
//
// The two pictures may have any sizes, empty ones included. Every operation
// keeps its own size rule, reads only pixels its sources have and writes only
// pixels the destination has; where a step would read a pixel a source does
// not have, that write is skipped, and a destination pixel no step writes
// holds a defined value, stated with each operation. Any of the pictures may
// be the same object: a source that is also the destination is read from a
// private copy taken before anything is written. Blend, FoldRight and Plasma
// convert pictures of other layouts to Bits24; Grow converts source2 (the
// stretch reads 24-bit rows) and the destination, once it holds source1's copy.
#pragma once

#include <cstdint>

#include "bitmap/pixel_bitmap.h"

namespace gleamkit::fx {

using bitmap::PixelBitmap;

// The destination takes source1's size; each channel becomes the low byte of
// Round((1 - amount) x source1 + source2 x amount) at extended precision
// (amounts from 0 to 1 stay within 0...255). Where source2 has no pixel, the
// destination pixel is source1's.
void Blend(PixelBitmap& source1, PixelBitmap& source2, PixelBitmap& destination,
           long double amount);

// The destination is as wide as source1 and as high as source2. With
// w = Round(W x amount), columns 0 ... w show source2, columns w + 1 ... 2w
// source1's columns w - 1 ... 0 mirrored, and the columns beyond 2w source1.
// A destination pixel that no step writes, or whose source pixel is missing
// (source2 narrower than w + 1, or rows below source1's height), holds
// source1's pixel at that place, or black where source1 has none. A negative
// w leaves source1's columns as they are.
void FoldRight(PixelBitmap& source1, PixelBitmap& source2, PixelBitmap& destination,
               long double amount);

// The destination becomes a copy of source1 in Bits24; then source2,
// stretched with the B-Spline filter to Round(W x amount) x Round(H x amount),
// is drawn with its top-left corner at (x, y), clipped to the destination.
// Nothing is pasted when either scaled size is 0 or less, when the pasted
// rectangle misses the destination, or when source2 is empty (there is nothing
// to scale; the destination then stays source1's copy). A scaled picture too
// large for memory raises std::bad_alloc, leaving the destination a copy of
// source1.
void Grow(PixelBitmap& source1, PixelBitmap& source2, PixelBitmap& destination, long double amount,
          int32_t x, int32_t y);

// With turbulence at least 10 and scale at least 5 (NaN passes unraised), the
// blue value b of source2's pixel (x, y) picks the offsets
// dx = Round(-scale x sin(b / turbulence)), dy = Round(scale x cos(b / turbulence));
// the destination pixel (x, y) becomes source1's pixel (x + dx, y + dy) when
// that lies inside source1. Only pixels inside source1's size that both
// source2 and the destination have are walked; every other destination pixel,
// and every one whose displaced position lies outside source1, keeps its
// value. The destination keeps its size.
void Plasma(PixelBitmap& source1, PixelBitmap& source2, PixelBitmap& destination, long double scale,
            long double turbulence);

} // namespace gleamkit::fx
