// The seeds are written straight from a picture's header block and rows, so
// each layout's file holds exactly what the reader will find in memory.
#include "fuzz/reader_check.h"

#include <cstring>
#include <limits>
#include <memory>
#include <new>

#include "bitmap/dib_header.h"
#include "bitmap/pixel_bitmap.h"
#include "bitmap/stream.h"

namespace gleamkit::fuzz {

namespace {

using bitmap::BitmapLayout;
using bitmap::PixelBitmap;

struct PictureFree {
    void operator()(PixelBitmap* picture) const { Free(picture); }
};
using PictureHolder = std::unique_ptr<PixelBitmap, PictureFree>;

void Put16(std::vector<uint8_t>& bytes, uint16_t value) {
    bytes.push_back(static_cast<uint8_t>(value));
    bytes.push_back(static_cast<uint8_t>(value >> 8));
}
void Put32(std::vector<uint8_t>& bytes, uint32_t value) {
    Put16(bytes, static_cast<uint16_t>(value));
    Put16(bytes, static_cast<uint16_t>(value >> 16));
}

void Append(std::vector<uint8_t>& bytes, const uint8_t* from, size_t count) {
    const size_t at = bytes.size();
    bytes.resize(at + count);
    if (count != 0) std::memcpy(bytes.data() + at, from, count);
}

// Colour-table bytes the file carries for the picture's bit count. Without a
// file header the reader takes 12 mask bytes for any 16-bit picture.
uint32_t PaletteBytes(const uint8_t* header, bool fileHeader) {
    const uint32_t bitCount = bitmap::dib::BitCount(header);
    if (bitCount <= 8) return (1u << bitCount) * 4;
    if (bitCount != 16) return 0;
    return !fileHeader || bitmap::dib::Compression(header) == bitmap::dib::kBitFields ? 12 : 0;
}

PictureHolder DrawnPicture() {
    PictureHolder picture(bitmap::NewPixelBitmap(13, 7));
    picture->SetLayout(BitmapLayout::Bits24);
    for (int32_t y = 0; y < picture->Height(); ++y)
        for (int32_t x = 0; x < picture->Width(); ++x)
            picture->Row24(y)[x] = {static_cast<uint8_t>(x * 19), static_cast<uint8_t>(y * 37),
                                    static_cast<uint8_t>((x * y * 11) ^ 0x5A)};
    return picture;
}

enum class Form { FileHeader, TopDown, NoFileHeader };

std::vector<uint8_t> FileOf(PixelBitmap& picture, Form form) {
    const bool fileHeader = form != Form::NoFileHeader;
    const uint32_t palette = PaletteBytes(picture.HeaderBlock(), fileHeader);
    const uint32_t rowBytes = picture.ScanLineBytes();
    const uint32_t offBits = 14 + 40 + palette;
    std::vector<uint8_t> file;
    if (fileHeader) {
        file = {'B', 'M'};
        Put32(file, offBits + rowBytes * static_cast<uint32_t>(picture.Height()));
        Put32(file, 0);
        Put32(file, offBits);
    }
    const size_t infoAt = file.size();
    Append(file, picture.HeaderBlock(), 40);
    if (form == Form::TopDown)
        bitmap::dib::Put<int32_t>(file.data() + infoAt, bitmap::dib::kHeightOffset,
                                  -picture.Height());
    Append(file, picture.HeaderBlock() + bitmap::dib::kColorTableOffset, palette);
    for (int32_t y = 0; y < picture.Height(); ++y) {
        // Bottom-up files store the last row first.
        const int32_t row = form == Form::TopDown ? y : picture.Height() - 1 - y;
        Append(file, picture.ScanLine(row), rowBytes);
    }
    return file;
}

// The 12-byte core header form of an 8-bit picture: 3-byte palette entries.
std::vector<uint8_t> CoreFileOf(PixelBitmap& picture) {
    const uint32_t offBits = 14 + 12 + 256 * 3;
    const uint32_t rowBytes = picture.ScanLineBytes();
    std::vector<uint8_t> file = {'B', 'M'};
    Put32(file, offBits + rowBytes * static_cast<uint32_t>(picture.Height()));
    Put32(file, 0);
    Put32(file, offBits);
    Put32(file, 12);
    Put16(file, static_cast<uint16_t>(picture.Width()));
    Put16(file, static_cast<uint16_t>(picture.Height()));
    Put16(file, 1);
    Put16(file, 8);
    const uint8_t* table = picture.HeaderBlock() + bitmap::dib::kColorTableOffset;
    for (int i = 0; i < 256; ++i) Append(file, table + 4 * i, 3);
    for (int32_t y = picture.Height() - 1; y >= 0; --y) Append(file, picture.ScanLine(y), rowBytes);
    return file;
}

} // namespace

ReadResult LoadAndReadEveryPixel(const uint8_t* bytes, size_t size) {
    if (size > std::numeric_limits<uint32_t>::max()) return {};
    bitmap::Stream* stream = bitmap::NewReadMemoryStream(bytes, static_cast<uint32_t>(size));
    PictureHolder picture(bitmap::NewPixelBitmap(0, 0));
    const bool loaded = picture->LoadFromStream(*stream) && !picture->Empty();
    Free(stream);
    if (!loaded) return {};
    try {
        picture->SetLayout(BitmapLayout::Bits24);
    } catch (const std::bad_alloc&) {
        return {true, 0};
    }
    if (picture->Layout() != BitmapLayout::Bits24) return {true, 0};
    uint32_t sum = 0;
    for (int32_t y = 0; y < picture->Height(); ++y) {
        const uint8_t* row = picture->ScanLine(y);
        for (size_t i = 0; i < 3 * static_cast<size_t>(picture->Width()); ++i) sum += row[i];
    }
    return {true, sum};
}

std::vector<SeedFile> SeedFiles() {
    struct Layout {
        const char* name;
        BitmapLayout layout;
    };
    const Layout layouts[] = {{"1", BitmapLayout::Bits1},   {"4", BitmapLayout::Bits4},
                              {"8", BitmapLayout::Bits8},   {"15", BitmapLayout::Bits15},
                              {"16", BitmapLayout::Bits16}, {"24", BitmapLayout::Bits24},
                              {"32", BitmapLayout::Bits32}};
    std::vector<SeedFile> seeds;
    for (const Layout& layout : layouts) {
        PictureHolder picture = DrawnPicture();
        picture->SetLayout(layout.layout);
        const std::string stem = std::string("bits") + layout.name;
        seeds.push_back({stem + ".bmp", FileOf(*picture, Form::FileHeader)});
        seeds.push_back({stem + "-topdown.bmp", FileOf(*picture, Form::TopDown)});
        seeds.push_back({stem + "-bare.dib", FileOf(*picture, Form::NoFileHeader)});
        if (layout.layout == BitmapLayout::Bits8)
            seeds.push_back({stem + "-core.bmp", CoreFileOf(*picture)});
    }
    return seeds;
}

} // namespace gleamkit::fuzz
