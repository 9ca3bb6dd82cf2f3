// Tiny picture builders and a comparison that names the first differing pixel,
// shared by the effects tests. Pictures are Bits24 unless a test asks for
// another layout; PicturePtr frees them on every exit.
#pragma once

#include <gtest/gtest.h>

#include <array>
#include <cstdint>
#include <functional>
#include <memory>

#include "bitmap/pixel_bitmap.h"

namespace gleamkit::fx::testing {

struct PictureFree {
    void operator()(bitmap::PixelBitmap* picture) const { Free(picture); }
};
using PicturePtr = std::unique_ptr<bitmap::PixelBitmap, PictureFree>;

// A Bits24 picture of the given size, every pixel `fill`.
inline PicturePtr MakePicture(int32_t width, int32_t height, bitmap::Bgr24 fill = {0, 0, 0}) {
    PicturePtr picture(bitmap::NewPixelBitmap(width, height));
    picture->SetLayout(bitmap::BitmapLayout::Bits24);
    for (int32_t y = 0; y < height; ++y)
        for (int32_t x = 0; x < width; ++x) picture->Row24(y)[x] = fill;
    return picture;
}

// A Bits24 picture whose every pixel differs from its neighbours: blue and
// green follow x and y, red mixes both.
inline PicturePtr MakePattern(int32_t width, int32_t height) {
    PicturePtr picture = MakePicture(width, height);
    for (int32_t y = 0; y < height; ++y) {
        for (int32_t x = 0; x < width; ++x) {
            picture->Row24(y)[x] = {static_cast<uint8_t>(x * 7 + y),
                                    static_cast<uint8_t>(y * 11 + 3),
                                    static_cast<uint8_t>((x * 5) ^ (y * 13))};
        }
    }
    return picture;
}

// A Bits24 picture whose channel c (0 blue, 1 green, 2 red) of pixel (x, y)
// is value(x, y, c).
inline PicturePtr
MakePictureFrom(int32_t width, int32_t height,
                const std::function<uint8_t(int32_t x, int32_t y, int32_t c)>& value) {
    PicturePtr picture = MakePicture(width, height);
    for (int32_t y = 0; y < height; ++y) {
        uint8_t* row = picture->ScanLine(y);
        for (int32_t x = 0; x < width; ++x)
            for (int32_t c = 0; c < 3; ++c) row[3 * x + c] = value(x, y, c);
    }
    return picture;
}

// A Bits24 picture of deterministic noise: the same seed, the same picture.
inline PicturePtr MakeNoise(int32_t width, int32_t height, uint32_t seed) {
    uint32_t state = seed * 2654435761u + 1u;
    return MakePictureFrom(width, height, [&](int32_t, int32_t, int32_t) -> uint8_t {
        state = state * 1664525u + 1013904223u;
        return static_cast<uint8_t>(state >> 24);
    });
}

// Channel c (0 blue, 1 green, 2 red) of a Bits24 pixel.
inline uint8_t ChannelAt(bitmap::PixelBitmap& picture, int32_t x, int32_t y, int32_t c) {
    return picture.ScanLine(y)[3 * x + c];
}

// An independent copy (Assign) of `source`.
inline PicturePtr CopyOf(bitmap::PixelBitmap& source) {
    PicturePtr copy(bitmap::NewPixelBitmap(0, 0));
    copy->Assign(&source);
    return copy;
}

// Blue, green, red of one pixel as plain integers (gtest prints them).
using Channels = std::array<int, 3>;

inline Channels ChannelsAt(bitmap::PixelBitmap& picture, int32_t x, int32_t y) {
    const bitmap::Bgr24 pixel = picture.Row24(y)[x];
    return {pixel.Blue, pixel.Green, pixel.Red};
}

// Same size and the same 24-bit pixels; otherwise names the first difference.
inline ::testing::AssertionResult SamePixels(bitmap::PixelBitmap& actual,
                                             bitmap::PixelBitmap& expected) {
    if (actual.Width() != expected.Width() || actual.Height() != expected.Height()) {
        return ::testing::AssertionFailure()
               << "size " << actual.Width() << "x" << actual.Height() << ", expected "
               << expected.Width() << "x" << expected.Height();
    }
    for (int32_t y = 0; y < actual.Height(); ++y) {
        for (int32_t x = 0; x < actual.Width(); ++x) {
            const Channels a = ChannelsAt(actual, x, y);
            const Channels e = ChannelsAt(expected, x, y);
            if (a != e) {
                return ::testing::AssertionFailure()
                       << "pixel (" << x << ", " << y << ") is (B " << a[0] << ", G " << a[1]
                       << ", R " << a[2] << "), expected (B " << e[0] << ", G " << e[1] << ", R "
                       << e[2] << ")";
            }
        }
    }
    return ::testing::AssertionSuccess();
}

} // namespace gleamkit::fx::testing
