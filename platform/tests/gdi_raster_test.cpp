// Raster operations, stretching, colour <-> monochrome transfers, brushes
// and the transparent-drawing sequence the bitmap layer builds from them.
#include <gtest/gtest.h>

#include "platform/tests/gdi_test_support.h"

using gdi_test::DibInfo;
using gdi_test::MakeColorBitmap;
using gdi_test::MemoryDC;

namespace {

// A row of colours as a 32-bit device bitmap.
HBITMAP RowBitmap(std::initializer_list<COLORREF> colors, int height = 1) {
    HBITMAP bitmap = MakeColorBitmap(static_cast<int>(colors.size()), height);
    MemoryDC dc(bitmap);
    int x = 0;
    for (COLORREF c : colors) {
        for (int y = 0; y < height; ++y) SetPixel(dc, x, y, c);
        ++x;
    }
    return bitmap;
}

std::vector<COLORREF> ReadRow(HDC dc, int width, int y = 0) {
    std::vector<COLORREF> row;
    for (int x = 0; x < width; ++x) row.push_back(GetPixel(dc, x, y));
    return row;
}

constexpr COLORREF kWhite = RGB(255, 255, 255);
constexpr COLORREF kBlack = RGB(0, 0, 0);

} // namespace

// Each raster operation on one pixel: D = (C3,5A,0F), S = (99,66,F0), P = (0F,F0,33).
TEST(GdiRasterTest, EachRasterOperationCombinesTheBitsAsDefined) {
    struct Case {
        DWORD rop;
        COLORREF expected;
    };
    const Case cases[] = {
        {SRCCOPY, RGB(0x99, 0x66, 0xF0)},   {SRCAND, RGB(0x81, 0x42, 0x00)},
        {SRCINVERT, RGB(0x5A, 0x3C, 0xFF)}, {SRCERASE, RGB(0x18, 0x24, 0xF0)},
        {SRCPAINT, RGB(0xDB, 0x7E, 0xFF)},  {NOTSRCCOPY, RGB(0x66, 0x99, 0x0F)},
        {DSTINVERT, RGB(0x3C, 0xA5, 0xF0)}, {BLACKNESS, RGB(0, 0, 0)},
        {WHITENESS, RGB(255, 255, 255)},    {PATCOPY, RGB(0x0F, 0xF0, 0x33)},
        {PATINVERT, RGB(0xCC, 0xAA, 0x3C)}, {MERGECOPY, RGB(0x09, 0x60, 0x30)},
    };
    HBITMAP source = RowBitmap({RGB(0x99, 0x66, 0xF0)});
    HBRUSH brush = CreateSolidBrush(RGB(0x0F, 0xF0, 0x33));
    // Both a 32-bit device bitmap and a 24-bit DIB section as the target.
    DibInfo info(1, 1, 24);
    void* bits = nullptr;
    HBITMAP section = CreateDIBSection(nullptr, info.Info(), DIB_RGB_COLORS, &bits, nullptr, 0);
    HBITMAP device = MakeColorBitmap(1, 1);
    for (HBITMAP target : {device, section}) {
        MemoryDC from(source);
        MemoryDC dc(target);
        HGDIOBJ oldBrush = SelectObject(dc, brush);
        for (const Case& c : cases) {
            SetPixel(dc, 0, 0, RGB(0xC3, 0x5A, 0x0F));
            EXPECT_TRUE(BitBlt(dc, 0, 0, 1, 1, from, 0, 0, c.rop));
            EXPECT_EQ(GetPixel(dc, 0, 0), c.expected) << std::hex << c.rop;
        }
        SelectObject(dc, oldBrush);
    }
    DeleteObject(brush);
    for (HBITMAP b : {source, section, device}) DeleteObject(b);
}

TEST(GdiRasterTest, ShrinkingCombinesTheCoveredPixelsByTheStretchMode) {
    // Five source columns onto two: columns {0,1} and {2,3,4}.
    HBITMAP source =
        RowBitmap({kWhite, kBlack, kWhite, RGB(0xF0, 0x0F, 0xFF), RGB(0x3C, 0xFF, 0x0F)});
    HBITMAP target = MakeColorBitmap(2, 1);
    MemoryDC from(source);
    MemoryDC dc(target);
    EXPECT_EQ(GetStretchBltMode(dc), BLACKONWHITE);
    EXPECT_TRUE(StretchBlt(dc, 0, 0, 2, 1, from, 0, 0, 5, 1, SRCCOPY));
    EXPECT_EQ(ReadRow(dc, 2), (std::vector<COLORREF>{kBlack, RGB(0x30, 0x0F, 0x0F)}));
    EXPECT_EQ(SetStretchBltMode(dc, COLORONCOLOR), BLACKONWHITE);
    EXPECT_TRUE(StretchBlt(dc, 0, 0, 2, 1, from, 0, 0, 5, 1, SRCCOPY));
    EXPECT_EQ(ReadRow(dc, 2), (std::vector<COLORREF>{kWhite, kWhite}));
    SetStretchBltMode(dc, WHITEONBLACK);
    EXPECT_TRUE(StretchBlt(dc, 0, 0, 2, 1, from, 0, 0, 5, 1, SRCCOPY));
    EXPECT_EQ(ReadRow(dc, 2), (std::vector<COLORREF>{kWhite, kWhite}));
    EXPECT_EQ(SetStretchBltMode(dc, 0), 0);
    DeleteObject(source);
    DeleteObject(target);
}

TEST(GdiRasterTest, ShrinkingRowsAndAnInvalidModeLeaveTheModeAlone) {
    // A column of four onto two rows: rows {0,1} and {2,3}.
    HBITMAP source = MakeColorBitmap(1, 4);
    {
        MemoryDC dc(source);
        SetPixel(dc, 0, 0, kWhite);
        SetPixel(dc, 0, 1, kBlack);
        SetPixel(dc, 0, 2, kWhite);
        SetPixel(dc, 0, 3, kWhite);
    }
    HBITMAP target = MakeColorBitmap(1, 2);
    MemoryDC from(source);
    MemoryDC dc(target);
    EXPECT_TRUE(StretchBlt(dc, 0, 0, 1, 2, from, 0, 0, 1, 4, SRCCOPY));
    EXPECT_EQ(GetPixel(dc, 0, 0), kBlack);
    EXPECT_EQ(GetPixel(dc, 0, 1), kWhite);
    EXPECT_EQ(SetStretchBltMode(dc, 9), 0);
    EXPECT_EQ(GetStretchBltMode(dc), BLACKONWHITE);
    DeleteObject(source);
    DeleteObject(target);
}

TEST(GdiRasterTest, EnlargingRepeatsColumnsAndNegativeExtentsMirror) {
    const COLORREF a = RGB(10, 0, 0), b = RGB(20, 0, 0), c = RGB(30, 0, 0);
    HBITMAP source = RowBitmap({a, b, c});
    HBITMAP target = MakeColorBitmap(5, 1);
    MemoryDC from(source);
    MemoryDC dc(target);
    // Column i takes source floor(i * 2 / 5): a, a, a, b, b.
    EXPECT_TRUE(StretchBlt(dc, 0, 0, 5, 1, from, 0, 0, 2, 1, SRCCOPY));
    EXPECT_EQ(ReadRow(dc, 5), (std::vector<COLORREF>{a, a, a, b, b}));
    // A negative source width mirrors, and so does a negative target width.
    EXPECT_TRUE(StretchBlt(dc, 0, 0, 3, 1, from, 3, 0, -3, 1, SRCCOPY));
    EXPECT_EQ(ReadRow(dc, 3), (std::vector<COLORREF>{c, b, a}));
    EXPECT_TRUE(StretchBlt(dc, 5, 0, -3, 1, from, 0, 0, 3, 1, SRCCOPY));
    EXPECT_EQ(ReadRow(dc, 5), (std::vector<COLORREF>{c, b, c, b, a}));
    // Both negative: no mirror.
    EXPECT_TRUE(StretchBlt(dc, 3, 0, -3, 1, from, 3, 0, -3, 1, SRCCOPY));
    EXPECT_EQ(ReadRow(dc, 3), (std::vector<COLORREF>{a, b, c}));
    // A source rectangle partly outside the source: only the part inside lands.
    EXPECT_TRUE(BitBlt(dc, 0, 0, 5, 1, from, 1, 0, SRCCOPY));
    EXPECT_EQ(ReadRow(dc, 5), (std::vector<COLORREF>{b, c, c, b, a}));
    DeleteObject(source);
    DeleteObject(target);
}

TEST(GdiRasterTest, ColourToMonochromeIsWhiteExactlyWhereTheSourceBackgroundWas) {
    const COLORREF background = RGB(200, 100, 50);
    HBITMAP source =
        RowBitmap({RGB(10, 20, 30), background, kWhite, RGB(200, 100, 51), background});
    HBITMAP mono = CreateBitmap(5, 1, 1, 1, nullptr);
    MemoryDC from(source);
    MemoryDC dc(mono);
    SetBkColor(from, background);
    SetBkColor(dc, RGB(1, 2, 3)); // the target's colours play no part here
    EXPECT_TRUE(BitBlt(dc, 0, 0, 5, 1, from, 0, 0, SRCCOPY));
    EXPECT_EQ(ReadRow(dc, 5), (std::vector<COLORREF>{kBlack, kWhite, kBlack, kBlack, kWhite}));
    DeleteObject(source);
    DeleteObject(mono);
}

TEST(GdiRasterTest, MonochromeToColourTakesTheTargetsTextAndBackgroundColours) {
    const BYTE bits[2] = {0x40, 0}; // 0, 1, 0
    HBITMAP mono = CreateBitmap(3, 1, 1, 1, bits);
    HBITMAP target = MakeColorBitmap(3, 1);
    MemoryDC from(mono);
    MemoryDC dc(target);
    SetTextColor(from, RGB(9, 9, 9)); // the source's colours play no part here
    SetTextColor(dc, RGB(1, 2, 3));
    SetBkColor(dc, RGB(4, 5, 6));
    EXPECT_TRUE(BitBlt(dc, 0, 0, 3, 1, from, 0, 0, SRCCOPY));
    EXPECT_EQ(ReadRow(dc, 3), (std::vector<COLORREF>{RGB(1, 2, 3), RGB(4, 5, 6), RGB(1, 2, 3)}));
    DeleteObject(mono);
    DeleteObject(target);
}

// The transparent drawing of the bitmap layer: a mask from the key colour,
// the picture with its key pixels blacked out (SRCERASE), the target blacked
// out where the picture is opaque (SRCAND), the picture merged (SRCINVERT).
TEST(GdiRasterTest, MaskedDrawingKeepsTheTargetWhereThePictureHasTheKeyColour) {
    const COLORREF key = RGB(0, 255, 0), paint = RGB(200, 30, 60), ground = RGB(90, 90, 250);
    HBITMAP picture = RowBitmap({key, paint, key, paint}, 2);
    HBITMAP mask = CreateBitmap(4, 2, 1, 1, nullptr);
    HBITMAP target = RowBitmap({ground, ground, ground, ground, ground, ground, ground, ground}, 2);
    {
        MemoryDC pictureDc(picture);
        MemoryDC maskDc(mask);
        SetBkColor(pictureDc, key);
        BitBlt(maskDc, 0, 0, 4, 2, pictureDc, 0, 0, SRCCOPY);
        HBITMAP work = CreateCompatibleBitmap(pictureDc, 4, 2);
        {
            MemoryDC workDc(work);
            StretchBlt(workDc, 0, 0, 4, 2, maskDc, 0, 0, 4, 2, SRCCOPY);
            StretchBlt(workDc, 0, 0, 4, 2, pictureDc, 0, 0, 4, 2, SRCERASE);
            MemoryDC dc(target);
            SetTextColor(dc, kBlack);
            SetBkColor(dc, kWhite);
            // Stretched to twice the width on the way.
            StretchBlt(dc, 0, 0, 8, 2, maskDc, 0, 0, 4, 2, SRCAND);
            StretchBlt(dc, 0, 0, 8, 2, workDc, 0, 0, 4, 2, SRCINVERT);
            for (int y = 0; y < 2; ++y) {
                EXPECT_EQ(ReadRow(dc, 8, y), (std::vector<COLORREF>{ground, ground, paint, paint,
                                                                    ground, ground, paint, paint}));
            }
        }
        DeleteObject(work);
    }
    for (HBITMAP b : {picture, mask, target}) DeleteObject(b);
}

TEST(GdiRasterTest, PatternBrushesRepeatFromTheBrushOrigin) {
    BYTE bits[16] = {};
    bits[0] = 0x80; // pattern pixel (0, 0) is 1 (background colour), the rest 0 (text colour)
    HBITMAP pattern = CreateBitmap(8, 8, 1, 1, bits);
    LOGBRUSH log = {BS_PATTERN, 0, reinterpret_cast<ULONG_PTR>(pattern)};
    HBRUSH brush = CreateBrushIndirect(&log);
    ASSERT_NE(brush, nullptr);
    DeleteObject(pattern); // the brush keeps its own copy
    HBITMAP target = MakeColorBitmap(16, 16);
    MemoryDC dc(target);
    SetTextColor(dc, RGB(0, 0, 128));
    SetBkColor(dc, RGB(255, 255, 0));
    const RECT all = {0, 0, 16, 16};
    EXPECT_EQ(FillRect(dc, &all, brush), 1);
    EXPECT_EQ(GetPixel(dc, 0, 0), RGB(255, 255, 0));
    EXPECT_EQ(GetPixel(dc, 8, 8), RGB(255, 255, 0));
    EXPECT_EQ(GetPixel(dc, 1, 0), RGB(0, 0, 128));
    POINT old = {9, 9};
    EXPECT_TRUE(SetBrushOrgEx(dc, 3, 2, &old));
    EXPECT_EQ(old.x, 0);
    EXPECT_EQ(FillRect(dc, &all, brush), 1);
    EXPECT_EQ(GetPixel(dc, 0, 0), RGB(0, 0, 128));
    EXPECT_EQ(GetPixel(dc, 3, 2), RGB(255, 255, 0));
    EXPECT_EQ(GetPixel(dc, 11, 10), RGB(255, 255, 0));
    // A colour pattern keeps its colours; PatBlt uses the selected brush.
    HBITMAP colors = RowBitmap({RGB(1, 1, 1), RGB(2, 2, 2)});
    HBRUSH colorBrush = CreatePatternBrush(colors);
    SetBrushOrgEx(dc, 0, 0, nullptr);
    HGDIOBJ oldBrush = SelectObject(dc, colorBrush);
    EXPECT_TRUE(PatBlt(dc, 0, 0, 4, 1, PATCOPY));
    EXPECT_EQ(ReadRow(dc, 4),
              (std::vector<COLORREF>{RGB(1, 1, 1), RGB(2, 2, 2), RGB(1, 1, 1), RGB(2, 2, 2)}));
    EXPECT_FALSE(PatBlt(dc, 0, 0, 4, 1, SRCCOPY));
    SelectObject(dc, oldBrush);
    DeleteObject(colorBrush);
    DeleteObject(colors);
    DeleteObject(brush);
    DeleteObject(target);
}

TEST(GdiRasterTest, FillsTakeStockSystemAndNullBrushesAndInversionUndoesItself) {
    HBITMAP target = MakeColorBitmap(4, 1);
    MemoryDC dc(target);
    const RECT all = {0, 0, 4, 1};
    FillRect(dc, &all, static_cast<HBRUSH>(GetStockObject(LTGRAY_BRUSH)));
    EXPECT_EQ(GetPixel(dc, 3, 0), RGB(192, 192, 192));
    FillRect(dc, &all, reinterpret_cast<HBRUSH>(static_cast<uintptr_t>(COLOR_BTNFACE + 1)));
    EXPECT_EQ(GetPixel(dc, 0, 0), RGB(212, 208, 200));
    EXPECT_EQ(FillRect(dc, &all, static_cast<HBRUSH>(GetStockObject(NULL_BRUSH))), 1);
    EXPECT_EQ(GetPixel(dc, 0, 0), RGB(212, 208, 200));
    const RECT two = {1, 0, 3, 1};
    SetPixel(dc, 1, 0, RGB(0, 100, 255));
    EXPECT_TRUE(InvertRect(dc, &two));
    EXPECT_EQ(GetPixel(dc, 1, 0), RGB(255, 155, 0));
    EXPECT_EQ(GetPixel(dc, 2, 0), RGB(43, 47, 55));
    EXPECT_EQ(GetPixel(dc, 3, 0), RGB(212, 208, 200));
    EXPECT_TRUE(InvertRect(dc, &two));
    EXPECT_EQ(GetPixel(dc, 1, 0), RGB(0, 100, 255));
    // An empty or reversed rectangle fills nothing.
    const RECT reversed = {3, 0, 1, 1};
    FillRect(dc, &reversed, static_cast<HBRUSH>(GetStockObject(BLACK_BRUSH)));
    EXPECT_EQ(GetPixel(dc, 2, 0), RGB(212, 208, 200));
    DeleteObject(target);
}

TEST(GdiRasterTest, StretchDIBitsScalesStraightFromMemory) {
    DibInfo info(2, -1, 32); // top-down
    const uint32_t bits[2] = {0x00FF0000, 0x000000FF};
    HBITMAP target = MakeColorBitmap(4, 2);
    MemoryDC dc(target);
    EXPECT_EQ(StretchDIBits(dc, 0, 0, 4, 2, 0, 0, 2, 1, bits, info.Info(), DIB_RGB_COLORS, SRCCOPY),
              1);
    EXPECT_EQ(ReadRow(dc, 4, 1), (std::vector<COLORREF>{RGB(255, 0, 0), RGB(255, 0, 0),
                                                        RGB(0, 0, 255), RGB(0, 0, 255)}));
    EXPECT_EQ(StretchDIBits(dc, 0, 0, 4, 2, 0, 0, 2, 1, bits, nullptr, DIB_RGB_COLORS, SRCCOPY), 0);
    DeleteObject(target);
}

TEST(GdiRasterTest, CopyImageCanStretchAndTurnMonochrome) {
    HBITMAP source = RowBitmap({kWhite, RGB(5, 5, 5)});
    HBITMAP wide = static_cast<HBITMAP>(CopyImage(source, IMAGE_BITMAP, 4, 2, 0));
    ASSERT_NE(wide, nullptr);
    {
        MemoryDC dc(wide);
        EXPECT_EQ(ReadRow(dc, 4, 1),
                  (std::vector<COLORREF>{kWhite, kWhite, RGB(5, 5, 5), RGB(5, 5, 5)}));
    }
    HBITMAP mono = static_cast<HBITMAP>(CopyImage(source, IMAGE_BITMAP, 0, 0, LR_MONOCHROME));
    BITMAP record = {};
    GetObjectA(mono, sizeof record, &record);
    EXPECT_EQ(record.bmBitsPixel, 1);
    {
        MemoryDC dc(mono);
        EXPECT_EQ(ReadRow(dc, 2), (std::vector<COLORREF>{kWhite, kBlack}));
    }
    for (HBITMAP b : {source, wide, mono}) DeleteObject(b);
}

TEST(GdiRasterTest, DrawingIntoPackedSectionsTouchesOnlyTheAddressedPixels) {
    // A 4-bit section, 5 pixels wide, all index 15 (white), then red at x 1..2.
    DibInfo info(5, 1, 4);
    {
        // GetDIBits fills the header with the classic sixteen colours.
        HBITMAP probe = MakeColorBitmap(1, 1);
        HDC dc = CreateCompatibleDC(nullptr);
        BYTE row[4];
        GetDIBits(dc, probe, 0, 1, row, info.Info(), DIB_RGB_COLORS);
        DeleteDC(dc);
        DeleteObject(probe);
    }
    void* bits = nullptr;
    HBITMAP section = CreateDIBSection(nullptr, info.Info(), DIB_RGB_COLORS, &bits, nullptr, 0);
    BYTE* p = static_cast<BYTE*>(bits);
    p[0] = p[1] = p[2] = 0xFF;
    {
        MemoryDC dc(section);
        const RECT two = {1, 0, 3, 1};
        HBRUSH red = CreateSolidBrush(RGB(255, 0, 0));
        FillRect(dc, &two, red);
        DeleteObject(red);
        EXPECT_EQ(p[0], 0xF9); // pixel 0 white, pixel 1 red (index 9)
        EXPECT_EQ(p[1], 0x9F);
        EXPECT_EQ(p[2], 0xF0 | (p[2] & 0x0F));
        // A colour between entries lands on the nearest one.
        EXPECT_EQ(SetPixel(dc, 4, 0, RGB(250, 250, 5)), RGB(255, 255, 0));
        EXPECT_EQ(p[2] >> 4, 11);
        // Blitting from a 1-bit monochrome source at an odd offset.
        const BYTE monoBits[2] = {0x80, 0}; // 1, 0
        HBITMAP mono = CreateBitmap(2, 1, 1, 1, monoBits);
        MemoryDC from(mono);
        SetTextColor(dc, RGB(0, 0, 255));
        SetBkColor(dc, RGB(0, 255, 0));
        EXPECT_TRUE(BitBlt(dc, 3, 0, 2, 1, from, 0, 0, SRCCOPY));
        EXPECT_EQ(p[1], 0x9A);    // pixel 3 green (index 10)
        EXPECT_EQ(p[2] >> 4, 12); // pixel 4 blue (index 12)
        DeleteObject(mono);
    }
    DeleteObject(section);
}
