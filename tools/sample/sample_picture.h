// The deterministic test picture used by gleamfx, the benchmarks and the
// comparison script: smooth gradients, hard colour edges, thin lines, a grey
// step ramp and a few discs, laid out in proportion to any size. The same
// size always gives the same pixels, on every machine.
#pragma once

#include <cstdint>

#include "bitmap/pixel_bitmap.h"

namespace gleamkit::tools {

// A new Bits24 picture of width x height holding the sample drawing. Sizes
// below 1 give an empty picture. The caller owns it and releases it with Free.
// Raises std::bad_alloc (having freed everything) when the rows cannot be had.
bitmap::PixelBitmap* NewSamplePicture(int32_t width, int32_t height);

} // namespace gleamkit::tools
