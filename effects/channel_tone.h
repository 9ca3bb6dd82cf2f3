// Per-pixel channel and tone operations on 24-bit pictures: threshold filters
// on one channel, keeping one scaled channel, keeping or removing one exact
// colour, the negative, posterizing and solarizing. None looks at neighbouring
// pixels; each is one pass, top row first, left to right.
//
// Usage: FilterRed(picture, 10, 200); KeepBlue(picture, 0.8L);
// Posterize(copy, picture, 20). One-picture operations change the picture in
// place; Posterize and Solarize read `source` and write `destination` (which
// may be the same picture). Every operation works on Bits24 rows and converts
// a picture of another layout to Bits24 first.
#pragma once

#include <cstdint>

#include "base/color.h"
#include "bitmap/pixel_bitmap.h"

namespace gleamkit::fx {

// Threshold filters. The filter's channel (red, green or blue) becomes 255
// where low < value < high (both strict) and 0 elsewhere; FilterRed,
// FilterGreen and FilterBlue also set the two other channels to 0, while the
// FilterX variants leave them as they are. In place.
void FilterRed(bitmap::PixelBitmap& picture, uint8_t low, uint8_t high);
void FilterGreen(bitmap::PixelBitmap& picture, uint8_t low, uint8_t high);
void FilterBlue(bitmap::PixelBitmap& picture, uint8_t low, uint8_t high);
void FilterXRed(bitmap::PixelBitmap& picture, uint8_t low, uint8_t high);
void FilterXGreen(bitmap::PixelBitmap& picture, uint8_t low, uint8_t high);
void FilterXBlue(bitmap::PixelBitmap& picture, uint8_t low, uint8_t high);

// Keeps one channel scaled by `factor` and sets the other two to 0, in place.
// The kept channel becomes Round(factor x value) (halves to even) stored as the
// low 8 bits of that integer: factors from 0 to 1 stay within 0...255, larger
// products wrap rather than clamp. A product too large for a 64-bit integer, or
// a NaN factor, gives 0.
void KeepRed(bitmap::PixelBitmap& picture, long double factor);
void KeepGreen(bitmap::PixelBitmap& picture, long double factor);
void KeepBlue(bitmap::PixelBitmap& picture, long double factor);

// Turns black every pixel that differs from `color` in any channel; exact
// matches stay. A system colour is resolved first. In place.
void ExtractColor(bitmap::PixelBitmap& picture, Color color);

// Turns black every pixel equal to `color` in all three channels; the others
// stay. A system colour is resolved first. In place.
void ExcludeColor(bitmap::PixelBitmap& picture, Color color);

// Every channel value v becomes 255 - v: the platform's rectangle inversion
// over the whole picture, through the picture's canvas (24-bit rows without a
// transparency mask are flipped in place, with the same result). In place;
// a picture of another layout is converted to Bits24 first, so a palette
// picture gives the negative of its colours; a kept transparency mask is
// dropped. The rows may move: fetch them again afterwards. Inverting twice
// restores the picture; an empty picture is left alone.
void Invert(bitmap::PixelBitmap& picture);

// Each channel v of `source` becomes Round(v / amount) x amount (the division
// in extended precision, halves to even) stored in `destination` as the low 8
// bits of the product: with amount 20, 10 gives 0, 30 gives 40, and 251...255
// give 260, stored as 4. Both pictures are converted to Bits24. Only the pixels
// the two pictures have in common (the top-left overlap) are written.
// Throws gleamkit::Error, with both pictures untouched, when amount is 0.
void Posterize(bitmap::PixelBitmap& source, bitmap::PixelBitmap& destination, int32_t amount);

// Where the mean of a source pixel's channels ((blue + green + red) div 3)
// exceeds `threshold`, the destination pixel becomes the source's negative;
// otherwise a copy of it. Both pictures are converted to Bits24; only the
// top-left overlap of the two pictures is written.
void Solarize(bitmap::PixelBitmap& source, bitmap::PixelBitmap& destination, int32_t threshold);

} // namespace gleamkit::fx
