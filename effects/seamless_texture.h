// Effects for tiling: Seamless blends a band along the right and bottom edges
// toward the opposite edges, so copies placed side by side meet without a
// seam; TexturizeTile and TexturizeOverlap shrink the whole picture to a
// square tile and paint that tile over the picture, edge to edge or
// overlapping by a third.
//
// Usage: Seamless(picture, 32); TexturizeTile(picture, 64);
// TexturizeOverlap(picture, 64). All change the picture in place.
#pragma once

#include <cstdint>

#include "bitmap/pixel_bitmap.h"

namespace gleamkit::fx {

// Converts the picture to Bits24, then blends a band `depth` + 1 pixels wide:
// the bottom row becomes a copy of the top row, the last column a copy of the
// first, fading out over `depth` pixels (weight 1 - k / depth at distance k,
// at extended precision, rounded halves to even). Depth 0 only converts. A
// depth too large for the picture is processed in the same order as far as
// the picture reaches; nothing outside it is read or written.
void Seamless(bitmap::PixelBitmap& picture, uint8_t depth);

// s = Min(W div 2, H div 2, amount). The whole picture is shrunk into an
// s x s tile with the platform's stretching (which ANDs the covered pixels),
// and the tile is drawn at (x, y) for x, y = 0, s, 2s, ..., the right and
// bottom tiles clipped by the picture. Nothing happens when s < 1. A picture
// of another layout is converted to Bits24 first, so a palette picture gets
// the same tiles as its 24-bit form instead of colours matched to a palette.
void TexturizeTile(bitmap::PixelBitmap& picture, int32_t amount);

// As TexturizeTile, but tiles are placed every Round(2s / 3) pixels, so later
// tiles (to the right, then below) cover a third of earlier ones.
void TexturizeOverlap(bitmap::PixelBitmap& picture, int32_t amount);

} // namespace gleamkit::fx
