// Shared helpers of the bitmap tests: a little-endian byte builder for files
// written field by field, temporary files, small picture builders and a pixel
// comparison that names the first differing pixel.
#pragma once

#include <gtest/gtest.h>

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <unistd.h>
#include <vector>

#include "bitmap/pixel_bitmap.h"

namespace gleamkit::bitmap::testing {

class Bytes {
public:
    Bytes& U8(uint8_t value) {
        m_bytes.push_back(value);
        return *this;
    }
    Bytes& U16(uint16_t value) { return U8(value & 0xFF).U8(value >> 8); }
    Bytes& U32(uint32_t value) { return U16(value & 0xFFFF).U16(value >> 16); }
    Bytes& I32(int32_t value) { return U32(static_cast<uint32_t>(value)); }
    Bytes& Fill(size_t count, uint8_t value) {
        m_bytes.insert(m_bytes.end(), count, value);
        return *this;
    }
    Bytes& Append(const std::vector<uint8_t>& more) {
        m_bytes.insert(m_bytes.end(), more.begin(), more.end());
        return *this;
    }
    size_t Size() const { return m_bytes.size(); }
    const std::vector<uint8_t>& Data() const { return m_bytes; }

private:
    std::vector<uint8_t> m_bytes;
};

// A file in a fresh temporary folder, removed with the object.
class TempFile {
public:
    explicit TempFile(const std::vector<uint8_t>& contents) {
        char pattern[] = "/tmp/gleamkit_bitmap_XXXXXX";
        const int descriptor = mkstemp(pattern);
        EXPECT_GE(descriptor, 0);
        m_path = pattern;
        if (!contents.empty()) {
            EXPECT_EQ(write(descriptor, contents.data(), contents.size()),
                      static_cast<ssize_t>(contents.size()));
        }
        close(descriptor);
    }
    ~TempFile() { std::remove(m_path.c_str()); }
    TempFile(const TempFile&) = delete;
    TempFile& operator=(const TempFile&) = delete;
    const char* Path() const { return m_path.c_str(); }

private:
    std::string m_path;
};

// Owns a PixelBitmap for the length of a test.
class Picture {
public:
    explicit Picture(PixelBitmap* bitmap) : m_bitmap(bitmap) {}
    ~Picture() { Free(m_bitmap); }
    Picture(const Picture&) = delete;
    Picture& operator=(const Picture&) = delete;
    PixelBitmap* operator->() const { return m_bitmap; }
    PixelBitmap& operator*() const { return *m_bitmap; }
    PixelBitmap* get() const { return m_bitmap; }

private:
    PixelBitmap* m_bitmap;
};

// A Bits24 picture whose pixel (x, y) is colourAt(x, y) (0x00BBGGRR).
template <typename ColourAt>
PixelBitmap* NewPicture24(int32_t width, int32_t height, ColourAt colourAt) {
    PixelBitmap* picture = NewPixelBitmap(width, height);
    picture->SetLayout(BitmapLayout::Bits24);
    for (int32_t y = 0; y < height; ++y) {
        Bgr24* row = picture->Row24(y);
        for (int32_t x = 0; x < width; ++x) {
            const uint32_t colour = static_cast<uint32_t>(colourAt(x, y));
            row[x] = Bgr24{static_cast<uint8_t>(colour >> 16), static_cast<uint8_t>(colour >> 8),
                           static_cast<uint8_t>(colour)};
        }
    }
    return picture;
}

inline uint32_t PixelOf(PixelBitmap& picture, int32_t x, int32_t y) {
    const Bgr24 pixel = picture.Row24(y)[x];
    return uint32_t{pixel.Red} | (uint32_t{pixel.Green} << 8) | (uint32_t{pixel.Blue} << 16);
}

// Success when both Bits24 pictures have the same size and pixels; otherwise
// names the first pixel that differs.
inline ::testing::AssertionResult SamePixels(PixelBitmap& expected, PixelBitmap& actual) {
    if (expected.Width() != actual.Width() || expected.Height() != actual.Height())
        return ::testing::AssertionFailure()
               << "size " << actual.Width() << "x" << actual.Height() << ", expected "
               << expected.Width() << "x" << expected.Height();
    for (int32_t y = 0; y < expected.Height(); ++y)
        for (int32_t x = 0; x < expected.Width(); ++x)
            if (PixelOf(expected, x, y) != PixelOf(actual, x, y))
                return ::testing::AssertionFailure()
                       << "pixel (" << x << ", " << y << ") is 0x" << std::hex
                       << PixelOf(actual, x, y) << ", expected 0x" << PixelOf(expected, x, y);
    return ::testing::AssertionSuccess();
}

} // namespace gleamkit::bitmap::testing
