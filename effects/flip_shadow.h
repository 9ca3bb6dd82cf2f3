// Flips, mirrors, hard drop shadows and opaque patterns: operations that move
// or whiten whole pixels. Only the shadows compute a colour (one step lighter
// than the darker pixel they copy).
//
// Usage: FlipHorizontal(picture); MirrorVertical(picture);
// ShadowDownRight(picture); OpaqueSemi(copy, picture). One-picture operations
// change the picture in place and keep its size; the opaque patterns make the
// destination a patterned copy of the source. Pictures of another layout are
// converted to Bits24 first; an empty picture is left as it is. None reports
// an error.
#pragma once

#include "bitmap/pixel_bitmap.h"

namespace gleamkit::fx {

// Turns the picture upside down: row y takes the former row H-1-y.
void FlipHorizontal(bitmap::PixelBitmap& picture);
// Reverses every row: pixel x takes the former pixel W-1-x.
void FlipVertical(bitmap::PixelBitmap& picture);

// The bottom half becomes the mirror image of the top half: row H-1-i takes
// row i for every i up to H div 2; the top half (and a middle row) stays.
void MirrorHorizontal(bitmap::PixelBitmap& picture);
// The right half becomes the mirror image of the left half: pixel W-1-x takes
// pixel x for every x up to W div 2; the left half (and a middle column) stays.
void MirrorVertical(bitmap::PixelBitmap& picture);

// Hard drop shadows. Each pixel t whose source s (the pixel 4 columns and 4
// rows away, on the side opposite to the direction the name gives) has a
// smaller blue value than t becomes s with one added to each channel, in
// 8-bit arithmetic (255 wraps to 0). Sources are read as they were before the
// operation. The 4 rows and 4 columns along the edges the shadow comes from
// keep their values; pictures lower or narrower than 5 pixels are unchanged.
void ShadowUpLeft(bitmap::PixelBitmap& picture);
void ShadowUpRight(bitmap::PixelBitmap& picture);
void ShadowDownLeft(bitmap::PixelBitmap& picture);
void ShadowDownRight(bitmap::PixelBitmap& picture);

// `destination` becomes a copy of `source` (its size included) in which a
// share of the pixels is white. OpaqueSemi whitens a checkerboard: even
// columns of even rows and odd columns of odd rows. OpaqueQuarto whitens
// even columns of even rows and every odd row, keeping only the odd columns
// of even rows. The source is not changed (unless it is the destination).
void OpaqueSemi(bitmap::PixelBitmap& source, bitmap::PixelBitmap& destination);
void OpaqueQuarto(bitmap::PixelBitmap& source, bitmap::PixelBitmap& destination);

} // namespace gleamkit::fx
