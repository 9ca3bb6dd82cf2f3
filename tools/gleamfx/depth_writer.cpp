// Files in any depth from the picture's own device-independent memory: the
// header block already holds the info header and the colour table or masks
// the conversion made, and the rows are stored bottom-up as files keep them.
#include "tools/gleamfx/depth_writer.h"

#include <cstdio>
#include <vector>

#include "bitmap/dib_header.h"

namespace gleamkit::tools {

namespace {

using bitmap::BitmapLayout;

constexpr uint32_t kFileHeaderSize = 14;

BitmapLayout LayoutOf(int32_t bits) {
    switch (bits) {
    case 1:
        return BitmapLayout::Bits1;
    case 4:
        return BitmapLayout::Bits4;
    case 8:
        return BitmapLayout::Bits8;
    case 16:
        return BitmapLayout::Bits16;
    case 24:
        return BitmapLayout::Bits24;
    default:
        return BitmapLayout::Bits32;
    }
}

// Bytes after the info header: the palette of an indexed picture, the three
// masks of a bit-field one.
uint32_t TableBytes(int32_t bits) {
    if (bits <= 8) return 4u << bits;
    return bits == 16 ? 12 : 0;
}

void Put32(std::vector<uint8_t>& bytes, size_t at, uint32_t value) {
    for (int i = 0; i < 4; ++i) bytes[at + i] = static_cast<uint8_t>(value >> (8 * i));
}

} // namespace

bool IsWritableDepth(int32_t bits) {
    return bits == 1 || bits == 4 || bits == 8 || bits == 16 || bits == 24 || bits == 32;
}

bool WriteBmpInDepth(bitmap::PixelBitmap& picture, int32_t bits, const std::string& path,
                     std::string& error) {
    if (!IsWritableDepth(bits)) {
        error = "unsupported depth";
        return false;
    }
    if (picture.Empty()) {
        error = "empty picture";
        return false;
    }
    picture.SetLayout(LayoutOf(bits));
    const uint8_t* block = picture.HeaderBlock();
    if (block == nullptr || picture.RowMemory() == nullptr) {
        error = "picture has no rows";
        return false;
    }
    const uint32_t headers = kFileHeaderSize + bitmap::dib::kInfoHeaderSize + TableBytes(bits);
    const auto rowBytes = static_cast<uint32_t>(picture.RowMemorySize());
    std::vector<uint8_t> head(headers, 0);
    head[0] = 'B';
    head[1] = 'M';
    Put32(head, 2, headers + rowBytes);
    Put32(head, 10, headers);
    std::copy(block, block + (headers - kFileHeaderSize), head.begin() + kFileHeaderSize);
    Put32(head, kFileHeaderSize + 20, rowBytes); // biSizeImage

    std::FILE* file = std::fopen(path.c_str(), "wb");
    if (file == nullptr) {
        error = "cannot create the file";
        return false;
    }
    const bool written = std::fwrite(head.data(), 1, head.size(), file) == head.size() &&
                         std::fwrite(picture.RowMemory(), 1, rowBytes, file) == rowBytes;
    if (std::fclose(file) != 0 || !written) {
        std::remove(path.c_str());
        error = "cannot write the file";
        return false;
    }
    return true;
}

} // namespace gleamkit::tools
