// Neighbourhood blurs, mosaic and the seamless clip: one-picture effects that
// change the picture in place without a working copy. Each reads the picture
// as it is at the moment of the read, so pixels rewritten earlier in the walk
// (rows above, pixels to the left) feed later ones; the walk orders are part
// of the result. A picture in another layout is converted to Bits24 first;
// none of these raises an error.
#pragma once

#include "effects/effect_common.h"

#include <cstdint>

namespace gleamkit::fx {

// Replaces each pixel of the rectangle by the mean (sum shr 2) of its four
// neighbours above, below, left and right, top to bottom and left to right.
// The corners are inclusive and may come in either order; the rectangle is
// cut to the picture without its one-pixel frame, which is never written.
void AntiAliasRect(PixelBitmap& picture, int32_t left, int32_t top, int32_t right, int32_t bottom);

// AntiAliasRect over the whole picture: every pixel but the outer frame.
void AntiAliasing(PixelBitmap& picture);

// Each pixel becomes the mean of the four pixels `amount` rows up/down and
// columns left/right. Near the top and left the pixel's own row/column stands
// in; near the bottom and right the mirrored row Height - y / column Width - x,
// held to the last row/column when the distance is not smaller than the
// picture. 0 does nothing; a negative distance counts as its magnitude.
// The desktop program passes 33.
void SplitBlur(PixelBitmap& picture, int32_t amount);

// SplitBlur with distance 3, amount + 1 times; nothing when amount < 0 or
// the picture is empty. The repetitions end early once a pass changes nothing
// (the result is the same). Each pass costs about as much as one SplitBlur,
// and from the third pass on a copy and a comparison of the rows besides.
// Pictures settle after some hundreds of passes, so even the largest amount
// ends, but it costs that many passes: about 1.5 s on a 1920 x 1080 picture.
// The desktop program passes 1 (two passes).
void GaussianBlur(PixelBitmap& picture, int32_t amount);

// Cuts the picture into size x size blocks from the top-left corner (the last
// ones may be narrower or lower) and paints each block with its top-left
// pixel. size <= 1 leaves the picture unchanged. The desktop program passes 4.
void Mosaic(PixelBitmap& picture, int32_t size);

// Makes the edges meet when the picture is tiled: row 0 becomes the last row,
// rows 1 .. Height/seam - 1 ramp from it to row Height/seam, then in every row
// the last pixel becomes pixel 0 and pixels Width - 2 down to Width - Width/seam
// ramp from it to pixel Width - Width/seam. Ramp values are evaluated at
// extended precision, stored as a double and rounded (halves to even).
// seam <= 0 leaves the picture unchanged; with seam 1 the vertical ramp ends
// at the last row instead of the row past it. The desktop program passes 5.
void MakeSeamlessClip(PixelBitmap& picture, int32_t seam);

} // namespace gleamkit::fx
