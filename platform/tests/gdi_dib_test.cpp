// DIB conversions both ways for every layout: hand-computed pixels, palette
// nearest-entry ties, 5/6-bit widening, row order and partial transfers.
#include <gtest/gtest.h>

#include <random>

#include "platform/tests/gdi_test_support.h"

using gdi_test::DibInfo;
using gdi_test::MakeColorBitmap;
using gdi_test::MemoryDC;

namespace {

// Converts one colour to a 1-pixel DIB of `bits` bits and answers the index
// it got, plus the colour table GetDIBits filled.
BYTE IndexOf(COLORREF color, int bits, std::vector<RGBQUAD>* table = nullptr) {
    HBITMAP bitmap = MakeColorBitmap(1, 1);
    {
        MemoryDC dc(bitmap);
        SetPixel(dc, 0, 0, color);
    }
    DibInfo info(1, 1, bits);
    BYTE row[4] = {0xAA, 0xAA, 0xAA, 0xAA};
    HDC dc = CreateCompatibleDC(nullptr);
    EXPECT_EQ(GetDIBits(dc, bitmap, 0, 1, row, info.Info(), DIB_RGB_COLORS), 1);
    DeleteDC(dc);
    DeleteObject(bitmap);
    if (table) table->assign(info.Colors(), info.Colors() + (1 << bits));
    return static_cast<BYTE>(row[0] >> (8 - bits));
}

// The colour of pixel (x, y) of a 1x1.. device bitmap after SetDIBits.
COLORREF PixelAfterSet(DibInfo& info, const void* bits, int x, int y) {
    const int width = info.Info()->bmiHeader.biWidth;
    const int height = std::abs(info.Info()->bmiHeader.biHeight);
    HBITMAP bitmap = MakeColorBitmap(width, height);
    HDC work = CreateCompatibleDC(nullptr);
    EXPECT_EQ(SetDIBits(work, bitmap, 0, height, bits, info.Info(), DIB_RGB_COLORS), height);
    DeleteDC(work);
    COLORREF color;
    {
        MemoryDC dc(bitmap);
        color = GetPixel(dc, x, y);
    }
    DeleteObject(bitmap);
    return color;
}

int Distance(RGBQUAD q, int r, int g, int b) {
    return (q.rgbRed - r) * (q.rgbRed - r) + (q.rgbGreen - g) * (q.rgbGreen - g) +
           (q.rgbBlue - b) * (q.rgbBlue - b);
}

} // namespace

TEST(GdiDibTest, PaletteTargetsTakeTheNearestEntryWithTiesToTheLowerIndex) {
    // 1 bit: mid greys fall to the nearer end.
    EXPECT_EQ(IndexOf(RGB(127, 127, 127), 1), 0);
    EXPECT_EQ(IndexOf(RGB(128, 128, 128), 1), 1);
    // 4 bits: (64,0,0) is 64 from black and from dark red: black (index 0) wins.
    EXPECT_EQ(IndexOf(RGB(64, 0, 0), 4), 0);
    EXPECT_EQ(IndexOf(RGB(65, 0, 0), 4), 1);
    EXPECT_EQ(IndexOf(RGB(192, 192, 192), 4), 7);
    EXPECT_EQ(IndexOf(RGB(128, 128, 128), 4), 8);
    EXPECT_EQ(IndexOf(RGB(250, 250, 5), 4), 11);
    // 8 bits: cube index 36r + 6g + b; greys off the cube go to the ramp.
    EXPECT_EQ(IndexOf(RGB(255, 0, 0), 8), 180);
    EXPECT_EQ(IndexOf(RGB(0, 0, 255), 8), 5);
    EXPECT_EQ(IndexOf(RGB(102, 153, 204), 8), 2 * 36 + 3 * 6 + 4);
    std::vector<RGBQUAD> table;
    const BYTE grey = IndexOf(RGB(25, 25, 25), 8, &table);
    EXPECT_GE(grey, 216);
    EXPECT_EQ(table[grey].rgbRed, 25);
    EXPECT_EQ(table[grey].rgbBlue, 25);
}

TEST(GdiDibTest, EightBitMatchingAgreesWithAPlainSearchOfTheTable) {
    std::vector<RGBQUAD> table;
    IndexOf(0, 8, &table);
    std::mt19937 random(7);
    for (int i = 0; i < 400; ++i) {
        const int r = random() % 256, g = random() % 256, b = random() % 256;
        int best = 0;
        for (int k = 1; k < 256; ++k) {
            if (Distance(table[k], r, g, b) < Distance(table[best], r, g, b)) best = k;
        }
        ASSERT_EQ(IndexOf(RGB(r, g, b), 8), best) << r << "," << g << "," << b;
    }
    // Equal colours give equal indices, and every table colour maps to itself.
    for (int k = 0; k < 256; ++k) {
        EXPECT_EQ(IndexOf(RGB(table[k].rgbRed, table[k].rgbGreen, table[k].rgbBlue), 8), k);
    }
}

TEST(GdiDibTest, SixteenBitChannelsWidenByRepeatingTheirHighBits) {
    // 5-6-5: red 10110 -> 10110101 (181), green 101101 -> 10110110 (182).
    DibInfo bitfields(1, 1, 16, BI_BITFIELDS);
    bitfields.SetMasks(0xF800, 0x07E0, 0x001F);
    const uint16_t pixel565[2] = {static_cast<uint16_t>((22 << 11) | (45 << 5) | 31), 0};
    EXPECT_EQ(PixelAfterSet(bitfields, pixel565, 0, 0), RGB(181, 182, 255));
    // 5-5-5 (BI_RGB): 00001 -> 8, 10000 -> 132, 11111 -> 255.
    DibInfo rgb555(1, 1, 16);
    const uint16_t pixel555[2] = {static_cast<uint16_t>((1 << 10) | (16 << 5) | 31), 0};
    EXPECT_EQ(PixelAfterSet(rgb555, pixel555, 0, 0), RGB(8, 132, 255));
    // Other masks: 4-4-4 in the low twelve bits.
    DibInfo rgb444(1, 1, 16, BI_BITFIELDS);
    rgb444.SetMasks(0x0F00, 0x00F0, 0x000F);
    const uint16_t pixel444[2] = {0x0A51, 0};
    EXPECT_EQ(PixelAfterSet(rgb444, pixel444, 0, 0), RGB(0xAA, 0x55, 0x11));
}

TEST(GdiDibTest, SixteenBitTargetsKeepTheHighBitsOfEachChannel) {
    HBITMAP bitmap = MakeColorBitmap(2, 1);
    {
        MemoryDC dc(bitmap);
        SetPixel(dc, 0, 0, RGB(181, 182, 255));
        SetPixel(dc, 1, 0, RGB(7, 3, 8));
    }
    HDC dc = CreateCompatibleDC(nullptr);
    DibInfo info565(2, 1, 16, BI_BITFIELDS);
    info565.SetMasks(0xF800, 0x07E0, 0x001F);
    uint16_t row[2] = {};
    ASSERT_EQ(GetDIBits(dc, bitmap, 0, 1, row, info565.Info(), DIB_RGB_COLORS), 1);
    EXPECT_EQ(row[0], (22 << 11) | (45 << 5) | 31);
    EXPECT_EQ(row[1], (0 << 11) | (0 << 5) | 1);
    DibInfo info555(2, 1, 16);
    ASSERT_EQ(GetDIBits(dc, bitmap, 0, 1, row, info555.Info(), DIB_RGB_COLORS), 1);
    EXPECT_EQ(row[0], (22 << 10) | (22 << 5) | 31);
    DeleteDC(dc);
    DeleteObject(bitmap);
}

TEST(GdiDibTest, BottomUpAndTopDownRowsLandOnTheRightPictureRows) {
    // 2x3 picture: rows red, green, blue from the top.
    const COLORREF rows[3] = {RGB(255, 0, 0), RGB(0, 255, 0), RGB(0, 0, 255)};
    DibInfo bottomUp(2, 3, 24);
    std::vector<BYTE> bits(bottomUp.ImageBytes(), 0);
    for (int y = 0; y < 3; ++y) {
        BYTE* row = bits.data() + bottomUp.RowBytes() * (2 - y); // last row in memory is the top
        for (int x = 0; x < 2; ++x) {
            row[3 * x] = GetBValue(rows[y]);
            row[3 * x + 1] = GetGValue(rows[y]);
            row[3 * x + 2] = GetRValue(rows[y]);
        }
    }
    HBITMAP bitmap = MakeColorBitmap(2, 3);
    HDC dc = CreateCompatibleDC(nullptr);
    ASSERT_EQ(SetDIBits(dc, bitmap, 0, 3, bits.data(), bottomUp.Info(), DIB_RGB_COLORS), 3);
    {
        MemoryDC memory(bitmap);
        for (int y = 0; y < 3; ++y) EXPECT_EQ(GetPixel(memory, 1, y), rows[y]) << y;
    }
    // Read back top-down as 32 bits: the first row in memory is the top one.
    DibInfo topDown(2, -3, 32);
    uint32_t out[6] = {};
    ASSERT_EQ(GetDIBits(dc, bitmap, 0, 3, out, topDown.Info(), DIB_RGB_COLORS), 3);
    EXPECT_EQ(out[0], 0x00FF0000u);
    EXPECT_EQ(out[3], 0x0000FF00u);
    EXPECT_EQ(out[5], 0x000000FFu);
    // A partial read: scan line 1 from the bottom is the green row.
    uint32_t one[2] = {};
    DibInfo bottomUp32(2, 3, 32);
    ASSERT_EQ(GetDIBits(dc, bitmap, 1, 1, one, bottomUp32.Info(), DIB_RGB_COLORS), 1);
    EXPECT_EQ(one[0], 0x0000FF00u);
    DeleteDC(dc);
    DeleteObject(bitmap);
}

TEST(GdiDibTest, EveryLayoutRoundTripsTheColoursItCanHold) {
    // For each layout, colours it holds exactly survive 24 -> layout -> 24.
    struct Case {
        int bits;
        DWORD compression;
        std::vector<COLORREF> colors;
    };
    const std::vector<Case> cases = {
        {1, BI_RGB, {RGB(0, 0, 0), RGB(255, 255, 255), RGB(255, 255, 255)}},
        {4, BI_RGB, {RGB(128, 0, 128), RGB(0, 255, 255), RGB(192, 192, 192)}},
        {8, BI_RGB, {RGB(51, 102, 153), RGB(25, 25, 25), RGB(255, 255, 255)}},
        {16, BI_RGB, {RGB(8, 132, 255), RGB(0, 0, 0), RGB(255, 255, 255)}},
        {16, BI_BITFIELDS, {RGB(181, 182, 255), RGB(0, 4, 8), RGB(255, 255, 255)}},
        {24, BI_RGB, {RGB(1, 2, 3), RGB(254, 253, 252), RGB(9, 99, 199)}},
        {32, BI_RGB, {RGB(1, 2, 3), RGB(254, 253, 252), RGB(9, 99, 199)}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.bits);
        for (int height : {3, -3}) {
            // A 9x3 picture of the three colours in diagonals (odd width: padded rows).
            HBITMAP source = MakeColorBitmap(9, 3);
            {
                MemoryDC dc(source);
                for (int y = 0; y < 3; ++y)
                    for (int x = 0; x < 9; ++x) SetPixel(dc, x, y, c.colors[(x + y) % 3]);
            }
            DibInfo info(9, height, c.bits, c.compression);
            if (c.compression == BI_BITFIELDS) info.SetMasks(0xF800, 0x07E0, 0x001F);
            std::vector<BYTE> bits(info.ImageBytes(), 0);
            HDC dc = CreateCompatibleDC(nullptr);
            ASSERT_EQ(GetDIBits(dc, source, 0, 3, bits.data(), info.Info(), DIB_RGB_COLORS), 3);
            HBITMAP back = MakeColorBitmap(9, 3);
            ASSERT_EQ(SetDIBits(dc, back, 0, 3, bits.data(), info.Info(), DIB_RGB_COLORS), 3);
            DeleteDC(dc);
            {
                MemoryDC memory(back);
                for (int y = 0; y < 3; ++y)
                    for (int x = 0; x < 9; ++x)
                        EXPECT_EQ(GetPixel(memory, x, y), c.colors[(x + y) % 3]) << x << "," << y;
            }
            DeleteObject(source);
            DeleteObject(back);
        }
    }
}

TEST(GdiDibTest, PackedLayoutsStoreTheFirstPixelInTheHighBits) {
    // 4 bits, width 3: indices 9, 10, 12 (red, lime, blue) pack as 0x9A 0xC0.
    DibInfo info4(3, 1, 4);
    const BYTE row4[4] = {0x9A, 0xC0, 0, 0};
    for (int i = 0; i < 16; ++i) info4.Colors()[i] = RGBQUAD{0, 0, 0, 0};
    info4.Colors()[9] = RGBQUAD{0, 0, 255, 0};
    info4.Colors()[10] = RGBQUAD{0, 255, 0, 0};
    info4.Colors()[12] = RGBQUAD{255, 0, 0, 0};
    EXPECT_EQ(PixelAfterSet(info4, row4, 0, 0), RGB(255, 0, 0));
    EXPECT_EQ(PixelAfterSet(info4, row4, 1, 0), RGB(0, 255, 0));
    EXPECT_EQ(PixelAfterSet(info4, row4, 2, 0), RGB(0, 0, 255));
    // 1 bit, width 10, with a two-colour table of its own.
    DibInfo info1(10, 1, 1);
    info1.Colors()[0] = RGBQUAD{10, 20, 30, 0};
    info1.Colors()[1] = RGBQUAD{200, 150, 100, 0};
    const BYTE row1[4] = {0x80, 0x40, 0, 0}; // pixels 0 and 9 set
    EXPECT_EQ(PixelAfterSet(info1, row1, 0, 0), RGB(100, 150, 200));
    EXPECT_EQ(PixelAfterSet(info1, row1, 1, 0), RGB(30, 20, 10));
    EXPECT_EQ(PixelAfterSet(info1, row1, 9, 0), RGB(100, 150, 200));
}

TEST(GdiDibTest, ReadingADibSectionUsesItsOwnColourTable) {
    DibInfo info(2, 1, 8);
    info.Colors()[5] = RGBQUAD{30, 20, 10, 0};
    info.Info()->bmiHeader.biClrUsed = 6;
    void* bits = nullptr;
    HBITMAP section = CreateDIBSection(nullptr, info.Info(), DIB_RGB_COLORS, &bits, nullptr, 0);
    ASSERT_NE(section, nullptr);
    ASSERT_NE(bits, nullptr);
    static_cast<BYTE*>(bits)[0] = 5;
    static_cast<BYTE*>(bits)[1] = 200; // past biClrUsed: black
    DibInfo out(2, 1, 24);
    BYTE row[8] = {};
    HDC dc = CreateCompatibleDC(nullptr);
    ASSERT_EQ(GetDIBits(dc, section, 0, 1, row, out.Info(), DIB_RGB_COLORS), 1);
    EXPECT_EQ(row[0], 30);
    EXPECT_EQ(row[1], 20);
    EXPECT_EQ(row[2], 10);
    EXPECT_EQ(row[3] | row[4] | row[5], 0);
    // With no bits, a zero bit count asks for the bitmap's own header.
    DibInfo query(0, 0, 0);
    EXPECT_NE(GetDIBits(dc, section, 0, 0, nullptr, query.Info(), DIB_RGB_COLORS), 0);
    EXPECT_EQ(query.Info()->bmiHeader.biWidth, 2);
    EXPECT_EQ(query.Info()->bmiHeader.biHeight, 1);
    EXPECT_EQ(query.Info()->bmiHeader.biBitCount, 8);
    DeleteDC(dc);
    DeleteObject(section);
}

TEST(GdiDibTest, MalformedHeadersFailWithoutTouchingMemory) {
    HBITMAP bitmap = MakeColorBitmap(4, 4);
    HDC dc = CreateCompatibleDC(nullptr);
    BYTE bits[64] = {};
    DibInfo badCount(4, 4, 7);
    EXPECT_EQ(SetDIBits(dc, bitmap, 0, 4, bits, badCount.Info(), DIB_RGB_COLORS), 0);
    DibInfo rle(4, 4, 8, BI_RLE8);
    EXPECT_EQ(SetDIBits(dc, bitmap, 0, 4, bits, rle.Info(), DIB_RGB_COLORS), 0);
    DibInfo badMasks(4, 4, 16, BI_BITFIELDS);
    badMasks.SetMasks(0xF0F0, 0x0F00, 0x000F); // not contiguous
    EXPECT_EQ(SetDIBits(dc, bitmap, 0, 4, bits, badMasks.Info(), DIB_RGB_COLORS), 0);
    DibInfo huge(1 << 20, 1 << 20, 32);
    EXPECT_EQ(CreateDIBSection(dc, huge.Info(), DIB_RGB_COLORS, nullptr, nullptr, 0), nullptr);
    DibInfo fine(4, 4, 32);
    EXPECT_EQ(GetDIBits(dc, bitmap, 0, 4, bits, fine.Info(), DIB_PAL_COLORS), 0);
    // Lines past the picture are not converted.
    EXPECT_EQ(GetDIBits(dc, bitmap, 2, 10, bits, fine.Info(), DIB_RGB_COLORS), 2);
    DeleteDC(dc);
    DeleteObject(bitmap);
}

TEST(GdiDibTest, LargeSectionsAreHugePageAlignedAndZeroed) {
    DibInfo info(1024, 1024, 32);
    void* bits = nullptr;
    HBITMAP section = CreateDIBSection(nullptr, info.Info(), DIB_RGB_COLORS, &bits, nullptr, 0);
    ASSERT_NE(section, nullptr);
    EXPECT_EQ(reinterpret_cast<uintptr_t>(bits) % (2u << 20), 0u);
    const BYTE* p = static_cast<const BYTE*>(bits);
    EXPECT_EQ(p[0] | p[1024 * 1024 * 4 - 1], 0);
    DeleteObject(section);
}
