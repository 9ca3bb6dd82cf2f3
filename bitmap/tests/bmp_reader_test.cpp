// Reading bitmap files built byte by byte: header versions, colour tables and
// masks, the row offset rules, short files, and malformed headers that must be
// rejected (or read safely) without reaching past any buffer.
#include <gtest/gtest.h>

#include <climits>
#include <cstring>

#include "bitmap/dib_header.h"
#include "bitmap/stream.h"
#include "bitmap/tests/test_support.h"

namespace gleamkit::bitmap {
namespace {

using testing::Bytes;
using testing::Picture;
using testing::TempFile;

// BITMAPFILEHEADER: "BM", file size, two reserved words, row offset.
void FileHeader(Bytes& bytes, uint32_t fileSize, uint32_t rowOffset) {
    bytes.U8('B').U8('M');
    bytes.U32(fileSize);  // bfSize: only zero or not matters
    bytes.U16(0).U16(0);  // bfReserved1, bfReserved2
    bytes.U32(rowOffset); // bfOffBits, from the start of this header
}

// BITMAPINFOHEADER.
void InfoHeader(Bytes& bytes, int32_t width, int32_t height, uint16_t bitCount,
                uint32_t compression = 0) {
    bytes.U32(40);          // biSize
    bytes.I32(width);       // biWidth
    bytes.I32(height);      // biHeight (negative: top-down)
    bytes.U16(1);           // biPlanes
    bytes.U16(bitCount);    // biBitCount
    bytes.U32(compression); // biCompression
    bytes.U32(0);           // biSizeImage
    bytes.I32(2835);        // biXPelsPerMeter
    bytes.I32(2835);        // biYPelsPerMeter
    bytes.U32(0);           // biClrUsed
    bytes.U32(0);           // biClrImportant
}

// Palette entries (blue, green, red, 0) whose blue byte is the entry number.
void Palette(Bytes& bytes, int entries) {
    for (int i = 0; i < entries; ++i) bytes.U8(static_cast<uint8_t>(i)).U8(0x11).U8(0x22).U8(0);
}

// Row bytes counting up from `first`.
void Rows(Bytes& bytes, size_t count, uint8_t first) {
    for (size_t i = 0; i < count; ++i) bytes.U8(static_cast<uint8_t>(first + i));
}

struct LoadResult {
    bool loaded;
    uint32_t position; // of the stream afterwards
};

// Writes the bytes after `prefix` junk bytes and loads from the stream placed
// at the end of the junk.
LoadResult Load(PixelBitmap& picture, const Bytes& file, size_t prefix = 0) {
    Bytes all;
    all.Fill(prefix, 0xEE).Append(file.Data());
    TempFile temp(all.Data());
    Stream* stream = NewReadFileStream(temp.Path());
    stream->Seek(static_cast<int32_t>(prefix), SeekOrigin::Beginning);
    const bool loaded = picture.LoadFromStream(*stream);
    const uint32_t position = stream->Position();
    Free(stream);
    return {loaded, position};
}

uint32_t TableEntry(PixelBitmap& picture, int index) {
    return dib::Get<uint32_t>(picture.HeaderBlock(), dib::kColorTableOffset + 4 * index);
}

class BmpReaderTest : public ::testing::Test {
protected:
    Picture m_picture{NewPixelBitmap(0, 0)};
};

TEST_F(BmpReaderTest, StandardTwentyFourBitFileKeepsItsRowsBottomUp) {
    Bytes file;
    FileHeader(file, 54 + 24, 54);
    InfoHeader(file, 3, 2, 24);
    Rows(file, 24, 1); // bottom row first: bytes 1..12, then the top row 13..24
    const LoadResult result = Load(*m_picture, file);
    ASSERT_TRUE(result.loaded);
    EXPECT_EQ(result.position, 78u);
    EXPECT_EQ(m_picture->Storage(), StorageKind::Dib);
    EXPECT_EQ(m_picture->Layout(), BitmapLayout::Bits24);
    EXPECT_EQ(m_picture->RequestedLayout(), BitmapLayout::Bits24);
    EXPECT_EQ(m_picture->Width(), 3);
    EXPECT_EQ(m_picture->Height(), 2);
    EXPECT_EQ(m_picture->ScanLineBytes(), 12u);
    EXPECT_EQ(m_picture->RowMemorySize(), 24);
    EXPECT_EQ(m_picture->ScanLine(0), m_picture->RowMemory() + 12);
    EXPECT_EQ(m_picture->ScanLine(1), m_picture->RowMemory());
    EXPECT_EQ(m_picture->Row24(0)[0].Blue, 13);
    EXPECT_EQ(m_picture->Row24(1)[2].Red, 9);
    EXPECT_FALSE(m_picture->BitsOwnedBySection());
    for (int i = 0; i < 256; ++i) ASSERT_EQ(TableEntry(*m_picture, i), 0u) << i;
}

TEST_F(BmpReaderTest, RowOffsetDecidesHowMuchPaletteIsRead) {
    Bytes file; // 8-bit, rows 64 bytes after the info header: 16 entries
    FileHeader(file, 0, 14 + 40 + 64);
    InfoHeader(file, 4, 1, 8);
    Palette(file, 16);
    Rows(file, 4, 200);
    ASSERT_TRUE(Load(*m_picture, file).loaded);
    EXPECT_EQ(m_picture->Layout(), BitmapLayout::Bits8);
    EXPECT_EQ(TableEntry(*m_picture, 15), 0x0022110Fu);
    EXPECT_EQ(TableEntry(*m_picture, 16), 0u);
    EXPECT_EQ(m_picture->ScanLine(0)[0], 200);
    EXPECT_EQ(m_picture->ScanLine(0)[3], 203);
}

TEST_F(BmpReaderTest, StreamWithoutFileHeaderIsReadFromWhereItStood) {
    Bytes file; // info header, full table, rows; five junk bytes before it
    InfoHeader(file, 4, 1, 8);
    Palette(file, 256);
    Rows(file, 4, 7);
    const LoadResult result = Load(*m_picture, file, 5);
    ASSERT_TRUE(result.loaded);
    EXPECT_EQ(TableEntry(*m_picture, 255), 0x002211FFu);
    EXPECT_EQ(m_picture->ScanLine(0)[1], 8);
    EXPECT_EQ(result.position, 5u + 40 + 1024 + 4);
}

TEST_F(BmpReaderTest, SixteenBitMasksAreReadOnlyWhenTheOffsetLeavesRoomForThem) {
    Bytes withMasks;
    FileHeader(withMasks, 0, 66);
    InfoHeader(withMasks, 2, 1, 16, 3);
    withMasks.U32(0xF800).U32(0x07E0).U32(0x001F); // red, green, blue masks
    Rows(withMasks, 4, 1);
    ASSERT_TRUE(Load(*m_picture, withMasks).loaded);
    EXPECT_EQ(m_picture->Layout(), BitmapLayout::Bits16);
    EXPECT_EQ(m_picture->RequestedLayout(), BitmapLayout::Bits15);
    EXPECT_EQ(TableEntry(*m_picture, 0), 0xF800u);
    EXPECT_EQ(TableEntry(*m_picture, 2), 0x001Fu);
    EXPECT_EQ(m_picture->ScanLine(0)[0], 1);

    Bytes withoutMasks;
    FileHeader(withoutMasks, 0, 54);
    InfoHeader(withoutMasks, 2, 1, 16, 3);
    Rows(withoutMasks, 4, 1);
    ASSERT_TRUE(Load(*m_picture, withoutMasks).loaded);
    EXPECT_EQ(TableEntry(*m_picture, 0), 0u);
    EXPECT_EQ(m_picture->ScanLine(0)[0], 1);
}

TEST_F(BmpReaderTest, CoreHeaderIsWidenedWithFourByteEntries) {
    Bytes file;
    FileHeader(file, 0, 14 + 12 + 768);
    file.U32(12);                   // bcSize
    file.U16(2).U16(1);             // bcWidth, bcHeight
    file.U16(1).U16(8);             // bcPlanes, bcBitCount
    for (int i = 0; i < 256; ++i) { // 3-byte entries: blue, green, red
        file.U8(static_cast<uint8_t>(i)).U8(0x33).U8(0x44);
    }
    Rows(file, 4, 9);
    ASSERT_TRUE(Load(*m_picture, file).loaded);
    const uint8_t* header = m_picture->HeaderBlock();
    EXPECT_EQ(dib::Get<uint32_t>(header, dib::kSizeOffset), 40u);
    EXPECT_EQ(dib::Width(header), 2);
    EXPECT_EQ(dib::Height(header), 1);
    EXPECT_EQ(dib::Planes(header), 1);
    EXPECT_EQ(dib::BitCount(header), 8);
    EXPECT_EQ(TableEntry(*m_picture, 1), 0x00443301u);
    EXPECT_EQ(TableEntry(*m_picture, 255), 0x004433FFu);
    EXPECT_EQ(m_picture->ScanLine(0)[1], 10);
}

TEST_F(BmpReaderTest, LaterHeaderVersionsAreRejectedAndTheStreamPutBack) {
    for (uint32_t size : {108u, 124u, 64u, 16u}) {
        Bytes file;
        FileHeader(file, 0, 14 + size);
        file.U32(size).I32(2).I32(2).U16(1).U16(24); // a header of that version
        file.Fill(size - 16 + 16, 0);
        const LoadResult result = Load(*m_picture, file, 3);
        EXPECT_FALSE(result.loaded) << size;
        EXPECT_TRUE(m_picture->Empty());
        EXPECT_EQ(m_picture->HeaderBlock(), nullptr);
        EXPECT_EQ(result.position, 3u);
    }
}

TEST_F(BmpReaderTest, ShortRowsAreTakenFromTheLastBytesOfTheFile) {
    Bytes file; // rows 10 bytes short of 24; the size field is set
    FileHeader(file, 1, 54);
    InfoHeader(file, 3, 2, 24);
    Rows(file, 14, 100);
    ASSERT_TRUE(Load(*m_picture, file).loaded);
    // The last 10 bytes of the info header come first: resolution and counts.
    const uint8_t* rows = m_picture->RowMemory();
    EXPECT_EQ(std::vector<uint8_t>(rows, rows + 10),
              std::vector<uint8_t>(file.Data().begin() + 44, file.Data().begin() + 54));
    EXPECT_EQ(rows[10], 100);
    EXPECT_EQ(rows[23], 113);

    // Without the size field the same file is short and rejected.
    Bytes unsized;
    FileHeader(unsized, 0, 54);
    InfoHeader(unsized, 3, 2, 24);
    Rows(unsized, 14, 100);
    EXPECT_FALSE(Load(*m_picture, unsized).loaded);
    EXPECT_TRUE(m_picture->Empty());
}

TEST_F(BmpReaderTest, RowsMissingBeyondWhatPrecedesThemStayZero) {
    Bytes file; // 100x100 24-bit wants 30000 bytes; one eighth of them is there
    FileHeader(file, 1, 54);
    InfoHeader(file, 100, 100, 24);
    Rows(file, 3750, 1);
    ASSERT_TRUE(Load(*m_picture, file).loaded);
    EXPECT_EQ(m_picture->RowMemory()[99], 100);
    EXPECT_EQ(m_picture->RowMemory()[3749], static_cast<uint8_t>(3750));
    EXPECT_EQ(m_picture->RowMemory()[3750], 0);
    EXPECT_EQ(m_picture->RowMemory()[29999], 0);
}

// A short file may not declare more than eight bytes of rows per byte it
// holds: the two files below once made 2 GB and 48 MB of zero rows.
TEST_F(BmpReaderTest, ShortFilesDeclaringFarMoreRowsThanTheyHoldAreRejected) {
    struct Case {
        const char* what;
        Bytes file;
    };
    std::vector<Case> cases;
    {
        Bytes file; // 54 bytes: 23170 x 23170 at 32 bits, no rows at all
        FileHeader(file, 1, 54);
        file.U32(40).I32(23170).I32(23170).U16(1).U16(32);
        file.Fill(24, 0); // compression, image size, resolution, colour counts
        ASSERT_EQ(file.Size(), 54u);
        cases.push_back({"23170 x 23170 in 54 bytes", file});
    }
    {
        Bytes file; // 131 bytes: 383 x 62976 at 16 bits with masks, 65 bytes of rows
        FileHeader(file, 131, 66);
        InfoHeader(file, 383, 62976, 16, dib::kBitFields);
        file.U32(0xF800).U32(0x07E0).U32(0x001F);
        Rows(file, 65, 1);
        ASSERT_EQ(file.Size(), 131u);
        cases.push_back({"383 x 62976 in 131 bytes", file});
    }
    {
        Bytes file; // one byte less than an eighth of 30000
        FileHeader(file, 1, 54);
        InfoHeader(file, 100, 100, 24);
        Rows(file, 3749, 1);
        cases.push_back({"3749 of 30000 row bytes", file});
    }
    for (const Case& c : cases) {
        const LoadResult result = Load(*m_picture, c.file, 5);
        EXPECT_FALSE(result.loaded) << c.what;
        EXPECT_TRUE(m_picture->Empty()) << c.what;
        EXPECT_EQ(m_picture->RowMemory(), nullptr) << c.what;
        EXPECT_EQ(result.position, 5u) << c.what;
    }
}

TEST_F(BmpReaderTest, TopDownFileKeepsItsNegativeHeight) {
    Bytes file;
    FileHeader(file, 0, 54);
    InfoHeader(file, 1, -2, 24);
    Rows(file, 8, 1); // top row first
    ASSERT_TRUE(Load(*m_picture, file).loaded);
    EXPECT_EQ(m_picture->Height(), 2);
    EXPECT_EQ(dib::Height(m_picture->HeaderBlock()), -2);
    EXPECT_EQ(m_picture->ScanLine(0), m_picture->RowMemory());
    EXPECT_EQ(m_picture->Row24(1)[0].Blue, 5);
}

TEST_F(BmpReaderTest, PaletteBeyondTheColourTableIsSkippedNotStored) {
    Bytes file; // 300 entries between header and rows; the table holds 256
    FileHeader(file, 0, 54 + 300 * 4);
    InfoHeader(file, 4, 1, 8);
    Palette(file, 300);
    Rows(file, 4, 77);
    ASSERT_TRUE(Load(*m_picture, file).loaded);
    EXPECT_EQ(TableEntry(*m_picture, 255), 0x002211FFu);
    EXPECT_EQ(m_picture->ScanLine(0)[0], 77);

    Bytes core; // core header with 1000 bytes of palette: 333 entries and a byte
    FileHeader(core, 0, 14 + 12 + 1000);
    core.U32(12).U16(4).U16(1).U16(1).U16(8); // size, width 4, height 1, planes, 8 bits
    core.Fill(1000, 0x5A);
    Rows(core, 4, 66);
    ASSERT_TRUE(Load(*m_picture, core).loaded);
    EXPECT_EQ(TableEntry(*m_picture, 255), 0x005A5A5Au);
    EXPECT_EQ(m_picture->ScanLine(0)[0], 66);

    Bytes wide; // 24-bit with 2000 bytes before the rows: 1024 kept, the rest skipped
    FileHeader(wide, 0, 54 + 2000);
    InfoHeader(wide, 1, 1, 24);
    wide.Fill(2000, 0x42);
    Rows(wide, 4, 5);
    ASSERT_TRUE(Load(*m_picture, wide).loaded);
    EXPECT_EQ(TableEntry(*m_picture, 255), 0x42424242u);
    EXPECT_EQ(m_picture->Row24(0)[0].Blue, 5);
}

TEST_F(BmpReaderTest, RowOffsetInsideTheHeadersIsIgnored) {
    for (uint32_t offset : {0u, 13u, 20u, 53u}) {
        Bytes file; // 8-bit: the full table and the rows follow the header
        FileHeader(file, 0, offset);
        InfoHeader(file, 4, 1, 8);
        Palette(file, 256);
        Rows(file, 4, 31);
        ASSERT_TRUE(Load(*m_picture, file).loaded) << offset;
        EXPECT_EQ(TableEntry(*m_picture, 200), 0x002211C8u);
        EXPECT_EQ(m_picture->ScanLine(0)[0], 31);
    }
}

TEST_F(BmpReaderTest, RowOffsetPastTheEndFindsNoRows) {
    Bytes file;
    FileHeader(file, 0, 0xFFFFFF00u);
    InfoHeader(file, 1, 1, 24);
    file.Fill(1024, 0); // what a 24-bit file with a gap reads into the table
    Rows(file, 4, 1);
    EXPECT_FALSE(Load(*m_picture, file).loaded);
    EXPECT_TRUE(m_picture->Empty());
}

TEST_F(BmpReaderTest, ImpossibleSizesAreRejectedBeforeAllocating) {
    struct Case {
        const char* what;
        int32_t width;
        int32_t height;
        uint16_t bitCount;
    };
    const Case cases[] = {
        {"pixel memory past 2^31", 3000000, 2000000, 24},
        {"row size past 2^32", INT32_MAX, 1, 32},
        {"negative width", -127, 64, 1},
        {"height without a positive form", 4, INT_MIN, 24},
        {"too large to convert to 32 bits", 30000, 30000, 1},
        {"rows that take no bytes", 4, 4, 0},
    };
    for (const Case& c : cases) {
        Bytes file;
        FileHeader(file, 1, 54 + 8);
        InfoHeader(file, c.width, c.height, c.bitCount);
        file.Fill(64, 0xAB);
        const LoadResult result = Load(*m_picture, file, 2);
        EXPECT_FALSE(result.loaded) << c.what;
        EXPECT_TRUE(m_picture->Empty()) << c.what;
        EXPECT_EQ(m_picture->RowMemory(), nullptr) << c.what;
        EXPECT_EQ(result.position, 2u) << c.what;
    }
}

TEST_F(BmpReaderTest, TruncatedFilesAreRejected) {
    Bytes full;
    FileHeader(full, 0, 14 + 40 + 8);
    InfoHeader(full, 8, 1, 1);
    Palette(full, 2);
    Rows(full, 4, 0);
    for (size_t cut : {0u, 10u, 14u, 17u, 30u, 54u, 58u, 63u}) {
        std::vector<uint8_t> bytes(full.Data().begin(), full.Data().begin() + cut);
        Bytes truncated;
        truncated.Append(bytes);
        EXPECT_FALSE(Load(*m_picture, truncated).loaded) << cut;
        EXPECT_TRUE(m_picture->Empty()) << cut;
    }
    EXPECT_TRUE(Load(*m_picture, full).loaded);
}

TEST_F(BmpReaderTest, EmptyPictureLoadsAsEmpty) {
    Bytes file;
    FileHeader(file, 0, 54);
    InfoHeader(file, 0, 5, 24);
    EXPECT_TRUE(Load(*m_picture, file).loaded);
    EXPECT_TRUE(m_picture->Empty());
    EXPECT_EQ(m_picture->Layout(), BitmapLayout::Device);
}

TEST_F(BmpReaderTest, LoadingReplacesThePictureAndFailingLeavesItEmpty) {
    Picture picture(NewPixelBitmap(5, 5));
    EXPECT_FALSE(picture->LoadFromFile("/nonexistent/file.bmp"));
    EXPECT_TRUE(picture->Empty());
    EXPECT_EQ(picture->Storage(), StorageKind::Dib);

    Bytes file;
    FileHeader(file, 0, 54);
    InfoHeader(file, 2, 2, 32);
    Rows(file, 16, 1);
    TempFile temp(file.Data());
    ASSERT_TRUE(picture->LoadFromFile(temp.Path()));
    EXPECT_EQ(picture->Layout(), BitmapLayout::Bits32);
    EXPECT_EQ(picture->Width(), 2);
}

} // namespace
} // namespace gleamkit::bitmap
