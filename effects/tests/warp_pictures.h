// Picture builders for the warp, wave and marble tests, on top of the shared
// ones: pictures painted from a function of (x, y), colours that tell where a
// pixel came from, and single-pixel reads.
#pragma once

#include <cstdint>
#include <functional>

#include "effects/tests/test_pictures.h"

namespace gleamkit::fx::testing {

using PixelFunction = std::function<bitmap::Bgr24(int32_t x, int32_t y)>;

// A Bits24 picture whose pixel (x, y) is pixel(x, y).
inline PicturePtr PaintPicture(int32_t width, int32_t height, const PixelFunction& pixel) {
    PicturePtr picture = MakePicture(width, height);
    for (int32_t y = 0; y < height; ++y) {
        bitmap::Bgr24* row = picture->Row24(y);
        for (int32_t x = 0; x < width; ++x) row[x] = pixel(x, y);
    }
    return picture;
}

// Blue holds x and green holds y (both below 256), so every pixel of a result
// tells which source pixel it came from; red is fixed at 200.
inline bitmap::Bgr24 CoordinateColour(int32_t x, int32_t y) {
    return bitmap::Bgr24{static_cast<uint8_t>(x), static_cast<uint8_t>(y), 200};
}

// A busy, deterministic pattern with distinct neighbours.
inline bitmap::Bgr24 PatternColour(int32_t x, int32_t y) {
    return bitmap::Bgr24{static_cast<uint8_t>(x * 37 + y * 11),
                         static_cast<uint8_t>(x * 5 + y * 71 + 3),
                         static_cast<uint8_t>((x ^ y) * 29 + 7)};
}

inline bitmap::Bgr24 PixelOf(bitmap::PixelBitmap& picture, int32_t x, int32_t y) {
    return picture.Row24(y)[x];
}

inline bool SamePixel(bitmap::Bgr24 a, bitmap::Bgr24 b) {
    return a.Blue == b.Blue && a.Green == b.Green && a.Red == b.Red;
}

} // namespace gleamkit::fx::testing
