// Relief, height map and trace: three effects that derive shape from
// brightness or from colour borders. Embossing mixes each pixel with the
// negative of a diagonal neighbour, HeightMap lifts every pixel by an amount
// that grows with its brightness, Trace draws black outlines along the borders
// between areas of different colour.
//
// Usage: Embossing(picture); HeightMap(picture, 33); Trace(picture, 8).
// Each changes the picture in place and keeps its size; a picture of another
// layout is converted to Bits24 first. None reports an error, and no argument
// makes any of them read or write outside the picture.
#pragma once

#include <cstdint>

#include "bitmap/pixel_bitmap.h"

namespace gleamkit::fx {

// Each channel of pixel (x, y) becomes ((255 - n) + v) div 2, where v is its
// own value and n the same channel of pixel (x + 3, y + 1) before the
// operation. The bottom row and the three rightmost columns keep their
// values, so a picture narrower than 4 or lower than 2 pixels is unchanged.
void Embossing(bitmap::PixelBitmap& picture);

// Every pixel (x, y) is copied to (x, y - lift), with
// lift = Round(sum / 3 / 255 x amount) for the sum of its three channels
// (extended precision, halves to even): white rises by `amount` rows, black
// stays. The sources are read as they were before the operation; where two
// land on the same pixel the lower source (the larger y) wins, and pixels no
// source lands on keep their values. A landing row outside the picture drops
// the pixel: above the top for positive amounts, below the bottom for
// negative ones (which push bright pixels down). Amount 0 changes nothing.
void HeightMap(bitmap::PixelBitmap& picture, int32_t amount);

// Blackens the pixels along the borders between different colours, judged on
// an 8-bit copy of the picture made before the picture is converted (equal
// colours get equal palette indices; colours the palette cannot tell apart
// count as one). The first border met fixes a reference colour for the whole
// call: at each border the pixel that does not have the reference colour is
// blackened, or its neighbour across the border when it has it. Intensity 1
// runs one pass that compares each pixel with its right and lower neighbours,
// leaving out the bottom row and the two rightmost columns as starting points
// (so a vertical outline stops one row above the bottom); intensity 2 or more
// adds a pass that compares with the left and upper neighbours, and further
// repetitions blacken nothing more. Intensity 0 or less only converts the picture; a picture one
// pixel wide or high is not traced.
void Trace(bitmap::PixelBitmap& picture, int32_t intensity);

} // namespace gleamkit::fx
