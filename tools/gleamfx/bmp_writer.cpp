// The bitmap writer: header fields are stored little-endian byte by byte so
// the file is the same on any host, and sizes are checked before anything is
// written.
#include "tools/gleamfx/bmp_writer.h"

#include "tools/gleamfx/output_file.h"

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <vector>

namespace gleamkit::tools {

namespace {

constexpr uint32_t kFileHeaderSize = 14;
constexpr uint32_t kInfoHeaderSize = 40;

void Put16(uint8_t* at, uint16_t value) {
    at[0] = static_cast<uint8_t>(value);
    at[1] = static_cast<uint8_t>(value >> 8);
}

void Put32(uint8_t* at, uint32_t value) {
    for (int i = 0; i < 4; ++i) at[i] = static_cast<uint8_t>(value >> (8 * i));
}

// BITMAPFILEHEADER then BITMAPINFOHEADER for a bottom-up 24-bit picture.
void FillHeaders(uint8_t* header, int32_t width, int32_t height, uint32_t imageSize) {
    const uint32_t offBits = kFileHeaderSize + kInfoHeaderSize;
    header[0] = 'B';
    header[1] = 'M';
    Put32(header + 2, offBits + imageSize); // bfSize
    Put32(header + 6, 0);                   // bfReserved1, bfReserved2
    Put32(header + 10, offBits);            // bfOffBits
    uint8_t* info = header + kFileHeaderSize;
    Put32(info + 0, kInfoHeaderSize);
    Put32(info + 4, static_cast<uint32_t>(width));
    Put32(info + 8, static_cast<uint32_t>(height)); // positive: bottom-up
    Put16(info + 12, 1);                            // biPlanes
    Put16(info + 14, 24);                           // biBitCount
    Put32(info + 16, 0);                            // BI_RGB
    Put32(info + 20, imageSize);
    for (int offset = 24; offset < 40; offset += 4) Put32(info + offset, 0); // resolution, colours
}

} // namespace

bool WriteBmp24(bitmap::PixelBitmap& picture, const std::string& path, std::string& error) {
    if (picture.Empty()) {
        error = "the picture is empty";
        return false;
    }
    if (picture.Layout() != bitmap::BitmapLayout::Bits24)
        picture.SetLayout(bitmap::BitmapLayout::Bits24);
    if (picture.Layout() != bitmap::BitmapLayout::Bits24) {
        error = "the picture cannot be converted to 24 bits per pixel";
        return false;
    }
    const int32_t width = picture.Width();
    const int32_t height = picture.Height();
    const uint64_t rowBytes = (static_cast<uint64_t>(width) * 3 + 3) & ~uint64_t{3};
    const uint64_t imageSize = rowBytes * static_cast<uint64_t>(height);
    if (imageSize > UINT32_MAX - kFileHeaderSize - kInfoHeaderSize) {
        error = "the picture is too large for a bitmap file";
        return false;
    }
    uint8_t header[kFileHeaderSize + kInfoHeaderSize];
    FillHeaders(header, width, height, static_cast<uint32_t>(imageSize));

    OutputFile output;
    if (!output.Open(path, error)) return false;
    std::FILE* file = output.Stream();
    bool ok = std::fwrite(header, 1, sizeof header, file) == sizeof header;
    std::vector<uint8_t> row(rowBytes, 0); // the padding stays zero
    const size_t pixelBytes = static_cast<size_t>(width) * 3;
    for (int32_t y = height - 1; ok && y >= 0; --y) {
        const uint8_t* source = picture.ScanLine(y);
        std::copy(source, source + pixelBytes, row.begin());
        ok = std::fwrite(row.data(), 1, row.size(), file) == row.size();
    }
    if (!ok) {
        error = "cannot write the file";
        return false; // the output abandons its temporary file
    }
    ok = output.Commit(error);
    return ok;
}

} // namespace gleamkit::tools
