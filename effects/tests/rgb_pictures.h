// Small 24-bit picture builders for the effect tests, and a comparison that
// names the first differing pixel.
#pragma once

#include <gtest/gtest.h>

#include <cstdint>
#include <functional>
#include <memory>
#include <sstream>
#include <string>

#include "bitmap/pixel_bitmap.h"

namespace gleamkit::fx::testing {

using bitmap::Bgr24;
using bitmap::BitmapLayout;
using bitmap::PixelBitmap;

struct PictureDeleter {
    void operator()(PixelBitmap* picture) const { Free(picture); }
};
using OwnedPicture = std::unique_ptr<PixelBitmap, PictureDeleter>;

inline bool SameColor(const Bgr24& a, const Bgr24& b) {
    return a.Blue == b.Blue && a.Green == b.Green && a.Red == b.Red;
}

inline std::string Describe(const Bgr24& p) {
    std::ostringstream out;
    out << "(b " << int(p.Blue) << ", g " << int(p.Green) << ", r " << int(p.Red) << ")";
    return out.str();
}

inline Bgr24 Grey(uint8_t v) {
    return Bgr24{v, v, v};
}

// A Bits24 picture whose pixel (x, y) is fill(x, y); row 0 is the top row.
inline OwnedPicture MakePicture(int32_t width, int32_t height,
                                const std::function<Bgr24(int32_t, int32_t)>& fill) {
    OwnedPicture picture(bitmap::NewPixelBitmap(width, height));
    picture->SetLayout(BitmapLayout::Bits24);
    for (int32_t y = 0; y < height; ++y)
        for (int32_t x = 0; x < width; ++x) picture->Row24(y)[x] = fill(x, y);
    return picture;
}

inline OwnedPicture FlatPicture(int32_t width, int32_t height, Bgr24 color) {
    return MakePicture(width, height, [color](int32_t, int32_t) { return color; });
}

// Noise from a generator of the test's own, so the effects' program-wide
// random sequence is left alone.
inline OwnedPicture NoisePicture(int32_t width, int32_t height, uint32_t seed) {
    return MakePicture(width, height, [&seed](int32_t, int32_t) {
        seed = seed * 1664525u + 1013904223u;
        return Bgr24{static_cast<uint8_t>(seed >> 24), static_cast<uint8_t>(seed >> 16),
                     static_cast<uint8_t>(seed >> 8)};
    });
}

inline OwnedPicture CopyOf(PixelBitmap& picture) {
    OwnedPicture copy(bitmap::NewPixelBitmap(0, 0));
    copy->Assign(&picture);
    return copy;
}

inline Bgr24 PixelOf(PixelBitmap& picture, int32_t x, int32_t y) {
    return picture.Row24(y)[x];
}

// Equal size and equal Bits24 pixels; otherwise names the first difference.
inline ::testing::AssertionResult SamePixels(PixelBitmap& expected, PixelBitmap& actual) {
    if (expected.Width() != actual.Width() || expected.Height() != actual.Height())
        return ::testing::AssertionFailure()
               << "size " << actual.Width() << "x" << actual.Height() << ", expected "
               << expected.Width() << "x" << expected.Height();
    for (int32_t y = 0; y < expected.Height(); ++y)
        for (int32_t x = 0; x < expected.Width(); ++x) {
            const Bgr24 want = PixelOf(expected, x, y), got = PixelOf(actual, x, y);
            if (!SameColor(want, got))
                return ::testing::AssertionFailure()
                       << "pixel (" << x << ", " << y << ") is " << Describe(got) << ", expected "
                       << Describe(want);
        }
    return ::testing::AssertionSuccess();
}

// Pixel (x, y) of the picture equals `want`.
inline ::testing::AssertionResult PixelIs(PixelBitmap& picture, int32_t x, int32_t y, Bgr24 want) {
    const Bgr24 got = PixelOf(picture, x, y);
    if (SameColor(want, got)) return ::testing::AssertionSuccess();
    return ::testing::AssertionFailure() << "pixel (" << x << ", " << y << ") is " << Describe(got)
                                         << ", expected " << Describe(want);
}

} // namespace gleamkit::fx::testing
