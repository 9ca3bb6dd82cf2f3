// Small picture builders and comparisons for the warp, wave and marble tests:
// 24-bit pictures filled from a function of (x, y), pixel reads, and a picture
// comparison that names the first differing pixel.
#pragma once

#include <gtest/gtest.h>

#include <cstdint>
#include <functional>
#include <memory>
#include <string>

#include "bitmap/pixel_bitmap.h"

namespace gleamkit::fx::testing {

using bitmap::Bgr24;
using bitmap::PixelBitmap;

struct PictureDeleter {
    void operator()(PixelBitmap* picture) const { Free(picture); }
};
using Picture = std::unique_ptr<PixelBitmap, PictureDeleter>;

using PixelFunction = std::function<Bgr24(int32_t x, int32_t y)>;

inline Picture MakePicture(int32_t width, int32_t height, const PixelFunction& pixel) {
    Picture picture(bitmap::NewPixelBitmap(width, height));
    picture->SetLayout(bitmap::BitmapLayout::Bits24);
    for (int32_t y = 0; y < height; ++y) {
        Bgr24* row = picture->Row24(y);
        for (int32_t x = 0; x < width; ++x) row[x] = pixel(x, y);
    }
    return picture;
}

inline Picture CopyOf(PixelBitmap& source) {
    Picture copy(bitmap::NewPixelBitmap(0, 0));
    copy->Assign(&source);
    return copy;
}

// Blue holds x and green holds y (both below 256), so every pixel of a result
// tells which source pixel it came from; red is fixed.
inline Bgr24 CoordinateColour(int32_t x, int32_t y) {
    return Bgr24{static_cast<uint8_t>(x), static_cast<uint8_t>(y), 200};
}

// A busy, deterministic pattern with distinct neighbours.
inline Bgr24 PatternColour(int32_t x, int32_t y) {
    return Bgr24{static_cast<uint8_t>(x * 37 + y * 11), static_cast<uint8_t>(x * 5 + y * 71 + 3),
                 static_cast<uint8_t>((x ^ y) * 29 + 7)};
}

inline Bgr24 PixelOf(PixelBitmap& picture, int32_t x, int32_t y) {
    return picture.Row24(y)[x];
}

inline bool SamePixel(Bgr24 a, Bgr24 b) {
    return a.Blue == b.Blue && a.Green == b.Green && a.Red == b.Red;
}

inline std::string Describe(Bgr24 p) {
    return "(b " + std::to_string(p.Blue) + ", g " + std::to_string(p.Green) + ", r " +
           std::to_string(p.Red) + ")";
}

// Success when both pictures have the same size and pixels; otherwise names the
// first differing pixel in reading order.
inline ::testing::AssertionResult SamePictures(PixelBitmap& actual, PixelBitmap& expected) {
    if (actual.Width() != expected.Width() || actual.Height() != expected.Height())
        return ::testing::AssertionFailure()
               << "size " << actual.Width() << "x" << actual.Height() << ", expected "
               << expected.Width() << "x" << expected.Height();
    for (int32_t y = 0; y < actual.Height(); ++y)
        for (int32_t x = 0; x < actual.Width(); ++x) {
            const Bgr24 a = PixelOf(actual, x, y);
            const Bgr24 e = PixelOf(expected, x, y);
            if (!SamePixel(a, e))
                return ::testing::AssertionFailure() << "pixel (" << x << ", " << y << ") is "
                                                     << Describe(a) << ", expected " << Describe(e);
        }
    return ::testing::AssertionSuccess();
}

} // namespace gleamkit::fx::testing
