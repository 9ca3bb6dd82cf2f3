// Shakes, ripples and triangles: effects that move whole pixels by an offset
// that depends only on their row or column, without computing any colour.
// The shakes push alternate rows (or columns) apart, the ripples push columns
// down by a sawtooth, triangle or random offset, and Triangles repeats held
// colours along each row with a period that changes from row to row.
//
// Usage: ShakeVertical(copy, picture, 0.1L); RippleTooth(picture, 33);
// Triangles(picture, 32). All work on Bits24 rows; a picture of another layout
// is converted first (RippleTriangle converts only when it moves anything).
// An empty picture is left alone.
#pragma once

#include <cstdint>

#include "bitmap/pixel_bitmap.h"

namespace gleamkit::fx {

using bitmap::PixelBitmap;

// The destination becomes a Bits24 copy of the source; then, with
// d = Round(W x factor), even rows move d pixels to the left (their last d
// pixels keep their values) and odd rows d pixels to the right (their first d
// pixels keep theirs). The copy stays as it is when d is 0, negative or more
// than W div 2 (a NaN factor rounds to 0). Source and destination may be one
// picture.
void ShakeVertical(PixelBitmap& source, PixelBitmap& destination, long double factor);

// As ShakeVertical across the rows: with d = Round(H x factor), even columns
// move d rows up, then odd columns d rows down; the same stopping rule with
// H div 2.
void ShakeHorizontal(PixelBitmap& source, PixelBitmap& destination, long double factor);

// The ripples, with a = Min(H div 2, amount), or 0 for a negative amount (a
// ripple of negative height moves nothing): walking source rows from
// H - 1 - a up to 0, pixel (x, y) is copied to (x, y + o), where the 8-bit
// column offset o starts at 0 on every row and advances after each pixel.
// Every target lies inside the picture, since o never exceeds a.
//
// RippleTooth: o runs 0, 1, ..., a, 0, 1, ... (wrapping from 255 to 0 when
// a >= 255).
void RippleTooth(PixelBitmap& picture, int32_t amount);

// RippleTriangle: o runs 0, 1, ..., a, a - 1, ..., 1, 0, 1, ... (period 2a;
// with a >= 255 it only rises, wrapping from 255 to 0). With a = 0 nothing
// happens, not even the layout conversion.
void RippleTriangle(PixelBitmap& picture, int32_t amount);

// RippleRandom: first reseeds the program-wide generator from the clock:
// ((hour x 60 + minute) x 60 + second) x 1000 + millisecond of GetSystemTime
// (UTC); then o := low byte of Random(a) after every pixel, the row's last
// included, so each walked row takes W draws. Two calls within the same
// millisecond give the same picture.
void RippleRandom(PixelBitmap& picture, int32_t amount);

// With amount raised to at least 5, s = (amount div 2) x 2 + 1 and
// h = s div 2, each row y holds a colour c (first pixel (0, y)) and writes it
// over every pixel except where x mod t = 0 or x mod u = 1, where c is taken
// from the pixel itself; t = y mod (s - 1) folded at h (0 becomes s) and
// u = |h - (y mod s)| + h. In place.
void Triangles(PixelBitmap& picture, int32_t amount);

} // namespace gleamkit::fx
