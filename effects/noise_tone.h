// Noise and tone: nine one-picture effects that change each pixel from its own
// value or from one other pixel. All change the picture in place, keep its
// size, and never fail. A picture in a layout other than Bits24 is converted
// to Bits24 first; an empty picture is left alone (noise effects then draw
// nothing).
//
// Channel arithmetic is exact integer arithmetic: products are formed in 64
// bits, so an Amount far outside the usual range saturates channels at 0 or
// 255 instead of wrapping.
#pragma once

#include <cstdint>

#include "bitmap/pixel_bitmap.h"

namespace gleamkit::fx {

// Adds independent noise to every channel: three draws per pixel in the order
// blue, green, red, each Random(Amount) - (Amount shr 1), clamped. The desktop
// program passes 100 (offsets -50 .. +49). A negative Amount is the unsigned
// bound 2^32 + Amount, as the generator takes it; the huge offsets then push
// nearly every channel to 0 or 255.
void AddColorNoise(bitmap::PixelBitmap& picture, int32_t amount);

// Adds one draw per pixel, Random(Amount) - (Amount shr 1), to all three
// channels, clamped. Desktop program: 100. Negative Amount as AddColorNoise.
void AddMonoNoise(bitmap::PixelBitmap& picture, int32_t amount);

// Random scatter, walking columns left to right and each column top to bottom:
// r = Random(Amount), a = Random(2r), b = Random(2r); the pixel takes the
// current colour at (x + r - a, y + r - b) when that lies inside the picture.
// Exactly three draws per pixel, also when nothing moves. Desktop program: 16.
// A negative Amount is the unsigned bound 2^32 + Amount and 2r its 32-bit
// pattern, as the generator takes them; the offsets are worked out in 64 bits,
// so they never wrap, and sources outside the picture leave pixels unchanged.
void Spray(bitmap::PixelBitmap& picture, int32_t amount);

// Pushes every channel away from 127 by |127 - c| * Amount div 255 (127 stays).
// Desktop program: 100. A negative Amount pulls channels toward 127 and past.
void Contrast(bitmap::PixelBitmap& picture, int32_t amount);

// c + (255 - c) * Amount div 255, clamped. Desktop program: 100; 0 changes
// nothing, 255 gives white.
void Lightness(bitmap::PixelBitmap& picture, int32_t amount);

// Sets the Bits24 layout itself, then c - c * Amount div 255, clamped.
// Desktop program: 100; 0 changes nothing, 255 gives black.
void Darkness(bitmap::PixelBitmap& picture, int32_t amount);

// g = (B + G + R) div 3 from the old values; each channel becomes
// g + (c - g) * Amount div 255 (division toward zero), clamped. Desktop
// program: 128; 0 gives grey, 255 keeps the picture.
void Saturation(bitmap::PixelBitmap& picture, int32_t amount);

// Round(B * 0.11 + G * 0.59 + R * 0.3) at extended precision, halves to even,
// into all three channels.
void ConvertToGrayscale(bitmap::PixelBitmap& picture);

// Amount passes of SineTone over every channel (Amount <= 0: nothing).
// Desktop program: 3. Passes beyond the point where the tone curve stops
// changing anything cost nothing.
void SplitLight(bitmap::PixelBitmap& picture, int32_t amount);

// Round(255 * sin((v / 255) * pi / 2)) at extended precision, rounded to a
// 64-bit float before the final Round; v in 0 .. 255, answer in 0 .. 255.
uint8_t SineTone(uint8_t v);

} // namespace gleamkit::fx
