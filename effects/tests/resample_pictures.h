// Small picture builders and a comparison for the resampling, blur and resize
// tests: 24-bit pictures filled from a function or a fixed pseudo-random
// sequence, and a check that names the first differing pixel.
#pragma once

#include <gtest/gtest.h>

#include <cstdint>
#include <functional>
#include <memory>
#include <string>

#include "bitmap/pixel_bitmap.h"

namespace gleamkit::fx::resample_testing {

using bitmap::PixelBitmap;

struct PictureDeleter {
    void operator()(PixelBitmap* picture) const { Free(picture); }
};
using Picture = std::unique_ptr<PixelBitmap, PictureDeleter>;

// A Bits24 picture whose channel c of pixel (x, y) is value(x, y, c).
inline Picture MakePicture(int32_t width, int32_t height,
                           const std::function<uint8_t(int32_t, int32_t, int32_t)>& value) {
    Picture picture(bitmap::NewPixelBitmap(width, height));
    picture->SetLayout(bitmap::BitmapLayout::Bits24);
    for (int32_t y = 0; y < height; ++y) {
        uint8_t* row = picture->ScanLine(y);
        for (int32_t x = 0; x < width; ++x)
            for (int32_t c = 0; c < 3; ++c) row[3 * x + c] = value(x, y, c);
    }
    return picture;
}

inline Picture FlatPicture(int32_t width, int32_t height, uint8_t blue, uint8_t green,
                           uint8_t red) {
    return MakePicture(width, height, [=](int32_t, int32_t, int32_t c) -> uint8_t {
        return c == 0 ? blue : (c == 1 ? green : red);
    });
}

// Deterministic noise: the same seed gives the same picture.
inline Picture NoisePicture(int32_t width, int32_t height, uint32_t seed) {
    uint32_t state = seed * 2654435761u + 1u;
    return MakePicture(width, height, [&](int32_t, int32_t, int32_t) -> uint8_t {
        state = state * 1664525u + 1013904223u;
        return static_cast<uint8_t>(state >> 24);
    });
}

inline uint8_t Channel(PixelBitmap& picture, int32_t x, int32_t y, int32_t c) {
    return picture.ScanLine(y)[3 * x + c];
}

// Equal size and equal channels; otherwise the first difference, named.
inline ::testing::AssertionResult SamePixels(PixelBitmap& expected, PixelBitmap& actual) {
    if (expected.Width() != actual.Width() || expected.Height() != actual.Height())
        return ::testing::AssertionFailure()
               << "size " << actual.Width() << "x" << actual.Height() << ", expected "
               << expected.Width() << "x" << expected.Height();
    for (int32_t y = 0; y < expected.Height(); ++y)
        for (int32_t x = 0; x < expected.Width(); ++x)
            for (int32_t c = 0; c < 3; ++c)
                if (Channel(expected, x, y, c) != Channel(actual, x, y, c))
                    return ::testing::AssertionFailure()
                           << "pixel (" << x << ", " << y << ") channel " << c << ": "
                           << int(Channel(actual, x, y, c)) << ", expected "
                           << int(Channel(expected, x, y, c));
    return ::testing::AssertionSuccess();
}

inline Picture CopyOf(PixelBitmap& source) {
    Picture copy(bitmap::NewPixelBitmap(0, 0));
    copy->Assign(&source);
    return copy;
}

} // namespace gleamkit::fx::resample_testing
