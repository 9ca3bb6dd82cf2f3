// Golden pictures for effects whose pixels come from the platform's drawing
// (rings, ellipses, stretched tiles): small 24-bit bitmap files under
// effects/tests/golden/, each one looked at by eye when it was made.
//
// CheckGolden(picture, "name") compares with golden/name.bmp and names the
// first differing pixel. With GLEAMKIT_WRITE_GOLDEN=1 in the environment it
// writes the file instead (to remake the pictures after a deliberate change;
// look at every one before checking it in).
#pragma once

#include <gtest/gtest.h>

#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "effects/tests/test_pictures.h"

namespace gleamkit::fx::testing {

inline std::filesystem::path GoldenPath(const std::string& name) {
    return std::filesystem::path(GLEAMKIT_EFFECTS_GOLDEN_DIR) / (name + ".bmp");
}

// A bottom-up 24-bit file: 14-byte file header, 40-byte info header, rows
// padded to whole 32-bit words.
inline bool WriteBmp24(bitmap::PixelBitmap& picture, const std::filesystem::path& path) {
    const int32_t width = picture.Width();
    const int32_t height = picture.Height();
    const uint32_t rowBytes = (static_cast<uint32_t>(width) * 3 + 3) & ~3u;
    const uint32_t imageBytes = rowBytes * static_cast<uint32_t>(height);
    std::vector<uint8_t> file(54 + imageBytes, 0);
    auto put32 = [&](size_t at, uint32_t v) {
        for (int b = 0; b < 4; ++b) file[at + b] = static_cast<uint8_t>(v >> (8 * b));
    };
    file[0] = 'B';
    file[1] = 'M';
    put32(2, static_cast<uint32_t>(file.size()));
    put32(10, 54);                            // bfOffBits
    put32(14, 40);                            // biSize
    put32(18, static_cast<uint32_t>(width));  // biWidth
    put32(22, static_cast<uint32_t>(height)); // biHeight: positive, bottom-up
    file[26] = 1;                             // biPlanes
    file[28] = 24;                            // biBitCount
    put32(34, imageBytes);                    // biSizeImage
    for (int32_t y = 0; y < height; ++y) {
        uint8_t* to = file.data() + 54 + rowBytes * static_cast<uint32_t>(height - 1 - y);
        std::memcpy(to, picture.ScanLine(y), static_cast<size_t>(width) * 3);
    }
    std::ofstream out(path, std::ios::binary);
    out.write(reinterpret_cast<const char*>(file.data()),
              static_cast<std::streamsize>(file.size()));
    return static_cast<bool>(out);
}

inline ::testing::AssertionResult CheckGolden(bitmap::PixelBitmap& picture,
                                              const std::string& name) {
    const std::filesystem::path path = GoldenPath(name);
    const char* write = std::getenv("GLEAMKIT_WRITE_GOLDEN");
    if (write != nullptr && std::string(write) == "1") {
        if (!WriteBmp24(picture, path))
            return ::testing::AssertionFailure() << "cannot write " << path;
        return ::testing::AssertionSuccess() << "wrote " << path;
    }
    PicturePtr golden(bitmap::NewPixelBitmap(0, 0));
    if (!golden->LoadFromFile(path.c_str()))
        return ::testing::AssertionFailure() << "cannot read " << path;
    golden->SetLayout(bitmap::BitmapLayout::Bits24);
    return SamePixels(picture, *golden) << " (golden " << name << ")";
}

} // namespace gleamkit::fx::testing
