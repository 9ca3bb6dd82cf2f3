// Radial warps: FishEye pushes pixels outward along their radius, Twist turns
// them about the centre by an angle that falls off with the radius. Both map
// every destination pixel back to a position in the source and take a
// bilinear sample there with WrapBilinearSample, which wraps positions outside
// the source around its edges.
//
// Usage: FishEye(copy, picture, 0.51L); Twist(copy, picture, 33). The source
// and the destination may be the same picture. All positions, radii, angles,
// weights and channel sums are 32-bit floats, rounded where they are stored.
#pragma once

#include <cstdint>

#include "bitmap/pixel_bitmap.h"

namespace gleamkit::fx {

using bitmap::PixelBitmap;

// The three channel sums of one bilinear sample.
struct ChannelSums {
    float Blue = 0.0f;
    float Green = 0.0f;
    float Red = 0.0f;
};

// Bilinear sample of `source` at (fx, fy), wrapping around the edges: a base
// column below 0 becomes (W - 1) - ((-tx) mod W), so -1 wraps to W - 2; one
// past the right edge wraps to tx mod W; the second column beyond the last one
// is column 0. For a negative position the base column takes the weight of the
// fraction's magnitude (fx = -0.3 gives column 0 weight 0.3, column 1 weight
// 0.7). Positions too far out for a 32-bit column (all whole numbers as
// floats) are reduced exactly modulo the size, giving the column an unbounded
// integer would give. A position that is not a finite number samples at 0.
// Precondition: a Bits24 source at least 1x1 (an empty one answers zeros).
// Does not change the source.
ChannelSums WrapBilinearSample(PixelBitmap& source, float fx, float fy);

// The angle of (x, y): pi / 2 when x = 0 and y > 0, -pi / 2 when x = 0
// otherwise (both as 32-bit constants); else arctan(y / x), plus pi when
// x < 0, evaluated at extended precision and rounded once to a float. The
// answer lies in -pi / 2 .. 3 pi / 2.
float AngleOf(float x, float y);

// Fish-eye lens: destination pixel (x, y) samples the source at radius
// nr = (1 / (1 - r / maxrad) - 1) * (maxrad / 2) from the source centre
// (width / 2, height / 2) along the same direction, where r is the pixel's
// distance from that centre and maxrad = destination width * amount. Pixels
// beyond maxrad sample from the opposite side, wrapped.
// Writes every pixel of the destination (its own size); the source is read
// only (converted to Bits24 first when it has another layout, as is the
// destination). Safe results outside the usual range:
//  - a pixel exactly on the rim (r = maxrad), or whose position is too far out
//    for a float, takes the sample at its own position;
//  - maxrad 0 (amount 0) or not a finite number: no lens at all, every
//    destination pixel takes the source sample at its own position;
//  - an empty source leaves the destination unchanged.
void FishEye(PixelBitmap& source, PixelBitmap& destination, long double amount);

// Twist about the source centre ((width - 1) / 2, (height - 1) / 2): each
// pixel at radius r is turned by a quarter turn minus r / amount radians. The
// centre pixel samples itself. Writes the pixels the source and destination
// have in common (the desktop program passes equal sizes); the source is read
// only (both converted to Bits24 first when needed). With a very large amount
// the result approaches a quarter turn, except where a position lands a hair
// below 0: the sampling rule gives that pixel mostly column (or row) 1.
// Amount 0 (no defined twist) makes the shared pixels a plain copy of the
// source. An empty source leaves the destination unchanged.
void Twist(PixelBitmap& source, PixelBitmap& destination, int32_t amount);

} // namespace gleamkit::fx
