// Regions (unions of rectangles and their combinations) and clipping: every
// drawing call drawn through a clip region leaves everything outside it as it
// was.
#include <gtest/gtest.h>

#include <functional>

#include "platform/tests/gdi_test_support.h"

using gdi_test::DibInfo;
using gdi_test::MakeColorBitmap;
using gdi_test::MemoryDC;

namespace {

// The cells of a 12x12 grid inside a region, as a string of '#' and '.'.
std::string Cells(HRGN region) {
    std::string cells;
    for (int y = 0; y < 12; ++y) {
        for (int x = 0; x < 12; ++x) cells += PtInRegion(region, x, y) ? '#' : '.';
        cells += '\n';
    }
    return cells;
}

// The same cells computed from two rectangles and an operation.
std::string Expected(RECT a, RECT b, int mode) {
    std::string cells;
    for (int y = 0; y < 12; ++y) {
        for (int x = 0; x < 12; ++x) {
            const bool inA = x >= a.left && x < a.right && y >= a.top && y < a.bottom;
            const bool inB = x >= b.left && x < b.right && y >= b.top && y < b.bottom;
            const bool in = mode == RGN_AND   ? inA && inB
                            : mode == RGN_OR  ? inA || inB
                            : mode == RGN_XOR ? inA != inB
                                              : inA && !inB;
            cells += in ? '#' : '.';
        }
        cells += '\n';
    }
    return cells;
}

} // namespace

TEST(GdiRegionTest, CombinationsCoverExactlyTheCellsOfTheirOperation) {
    const RECT a = {1, 1, 7, 6}, b = {4, 3, 10, 11};
    HRGN first = CreateRectRgnIndirect(&a);
    HRGN second = CreateRectRgn(b.left, b.top, b.right, b.bottom);
    HRGN result = CreateRectRgn(0, 0, 0, 0);
    for (int mode : {RGN_AND, RGN_OR, RGN_XOR, RGN_DIFF}) {
        const int type = CombineRgn(result, first, second, mode);
        EXPECT_EQ(Cells(result), Expected(a, b, mode)) << mode;
        EXPECT_EQ(type, mode == RGN_AND ? SIMPLEREGION : COMPLEXREGION) << mode;
    }
    // The result can be an operand; XOR with itself leaves nothing.
    EXPECT_EQ(CombineRgn(result, first, first, RGN_XOR), NULLREGION);
    RECT box;
    EXPECT_EQ(GetRgnBox(result, &box), NULLREGION);
    EXPECT_EQ(CombineRgn(result, second, nullptr, RGN_COPY), SIMPLEREGION);
    EXPECT_EQ(CombineRgn(result, result, first, RGN_OR), COMPLEXREGION);
    EXPECT_EQ(GetRgnBox(result, &box), COMPLEXREGION);
    EXPECT_EQ(box.left, 1);
    EXPECT_EQ(box.top, 1);
    EXPECT_EQ(box.right, 10);
    EXPECT_EQ(box.bottom, 11);
    EXPECT_EQ(CombineRgn(result, first, second, 99), ERROR);
    for (HRGN r : {first, second, result}) DeleteObject(r);
}

TEST(GdiRegionTest, EqualAreasCompareEqualHoweverTheyWereBuilt) {
    HRGN whole = CreateRectRgn(0, 0, 8, 8);
    HRGN left = CreateRectRgn(0, 0, 3, 8);
    HRGN right = CreateRectRgn(3, 0, 8, 8);
    HRGN joined = CreateRectRgn(0, 0, 0, 0);
    CombineRgn(joined, left, right, RGN_OR);
    EXPECT_TRUE(EqualRgn(whole, joined));
    EXPECT_EQ(CombineRgn(joined, joined, nullptr, RGN_COPY), SIMPLEREGION);
    EXPECT_FALSE(EqualRgn(whole, left));
    EXPECT_EQ(OffsetRgn(left, 5, 2), SIMPLEREGION);
    EXPECT_TRUE(PtInRegion(left, 5, 2));
    EXPECT_FALSE(PtInRegion(left, 4, 2));
    EXPECT_FALSE(PtInRegion(left, 8, 9));
    const RECT touching = {8, 0, 10, 10}, overlapping = {7, 9, 10, 12};
    EXPECT_FALSE(RectInRegion(left, &touching));
    EXPECT_TRUE(RectInRegion(left, &overlapping));
    EXPECT_TRUE(SetRectRgn(left, 4, 4, 2, 2)); // reversed corners are normalised
    EXPECT_TRUE(PtInRegion(left, 2, 2));
    EXPECT_FALSE(PtInRegion(left, 4, 4));
    for (HRGN r : {whole, left, right, joined}) DeleteObject(r);
    EXPECT_FALSE(PtInRegion(whole, 1, 1));
    EXPECT_EQ(OffsetRgn(whole, 1, 1), ERROR);
}

TEST(GdiClipTest, EveryDrawingCallStaysInsideTheClipRegion) {
    // A source picture and DIB for the blits.
    HBITMAP source = MakeColorBitmap(20, 20);
    {
        MemoryDC dc(source);
        const RECT all = {0, 0, 20, 20};
        FillRect(dc, &all, static_cast<HBRUSH>(GetStockObject(DKGRAY_BRUSH)));
    }
    DibInfo info(4, 4, 24);
    std::vector<BYTE> bits(info.ImageBytes(), 0x11);
    const std::vector<std::pair<const char*, std::function<void(HDC, HDC)>>> calls = {
        {"FillRect",
         [](HDC dc, HDC) {
             const RECT r = {-5, -5, 30, 30};
             FillRect(dc, &r, static_cast<HBRUSH>(GetStockObject(BLACK_BRUSH)));
         }},
        {"InvertRect",
         [](HDC dc, HDC) {
             const RECT r = {-5, -5, 30, 30};
             InvertRect(dc, &r);
         }},
        {"FillRgn",
         [](HDC dc, HDC) {
             HRGN r = CreateRectRgn(0, 0, 20, 20);
             FillRgn(dc, r, static_cast<HBRUSH>(GetStockObject(BLACK_BRUSH)));
             DeleteObject(r);
         }},
        {"SetPixel",
         [](HDC dc, HDC) {
             for (int y = 0; y < 20; ++y)
                 for (int x = 0; x < 20; ++x) SetPixel(dc, x, y, RGB(0, 0, 0));
         }},
        {"LineTo",
         [](HDC dc, HDC) {
             for (int y = 0; y < 20; ++y) {
                 MoveToEx(dc, -3, y, nullptr);
                 LineTo(dc, 25, y + 3);
             }
         }},
        {"WideLineTo",
         [](HDC dc, HDC) {
             HPEN pen = CreatePen(PS_SOLID, 5, RGB(0, 0, 0));
             HGDIOBJ old = SelectObject(dc, pen);
             MoveToEx(dc, -3, 10, nullptr);
             LineTo(dc, 25, 10);
             SelectObject(dc, old);
             DeleteObject(pen);
         }},
        {"Rectangle",
         [](HDC dc, HDC) {
             SelectObject(dc, GetStockObject(BLACK_BRUSH));
             Rectangle(dc, -2, -2, 22, 22);
         }},
        {"Ellipse",
         [](HDC dc, HDC) {
             SelectObject(dc, GetStockObject(BLACK_BRUSH));
             Ellipse(dc, -10, -10, 30, 30);
             Ellipse(dc, 0, 0, 20, 20);
         }},
        {"Arc",
         [](HDC dc, HDC) {
             for (int i = 0; i < 10; ++i) Arc(dc, i, i, 20 - i, 20 - i, 0, 20, 20, 0);
         }},
        {"BitBlt", [](HDC dc, HDC from) { BitBlt(dc, -3, -3, 30, 30, from, 0, 0, SRCCOPY); }},
        {"StretchBlt",
         [](HDC dc, HDC from) { StretchBlt(dc, -3, -3, 40, 40, from, 0, 0, 20, 20, SRCINVERT); }},
        {"PatBlt",
         [](HDC dc, HDC) {
             SelectObject(dc, GetStockObject(BLACK_BRUSH));
             PatBlt(dc, -1, -1, 22, 22, PATCOPY);
         }},
        {"StretchDIBits",
         [&](HDC dc, HDC) {
             StretchDIBits(dc, -2, -2, 25, 25, 0, 0, 4, 4, bits.data(), info.Info(), DIB_RGB_COLORS,
                           SRCCOPY);
         }},
    };
    // The clip: two overlapping rectangles and one apart, less a hole.
    HRGN clip = CreateRectRgn(2, 2, 9, 9);
    HRGN more = CreateRectRgn(6, 5, 14, 12);
    HRGN apart = CreateRectRgn(15, 1, 19, 18);
    HRGN hole = CreateRectRgn(7, 7, 8, 8);
    CombineRgn(clip, clip, more, RGN_OR);
    CombineRgn(clip, clip, apart, RGN_OR);
    CombineRgn(clip, clip, hole, RGN_DIFF);
    for (const auto& [name, draw] : calls) {
        SCOPED_TRACE(name);
        HBITMAP target = MakeColorBitmap(20, 20);
        MemoryDC from(source);
        MemoryDC dc(target);
        const RECT all = {0, 0, 20, 20};
        FillRect(dc, &all, static_cast<HBRUSH>(GetStockObject(WHITE_BRUSH)));
        EXPECT_EQ(SelectClipRgn(dc, clip), COMPLEXREGION);
        HGDIOBJ oldBrush = GetCurrentObject(dc, OBJ_BRUSH);
        draw(dc, from);
        SelectObject(dc, oldBrush);
        SelectClipRgn(dc, nullptr);
        int changedInside = 0;
        for (int y = 0; y < 20; ++y)
            for (int x = 0; x < 20; ++x) {
                const bool changed = GetPixel(dc, x, y) != RGB(255, 255, 255);
                if (!PtInRegion(clip, x, y)) {
                    ASSERT_FALSE(changed) << x << "," << y;
                } else {
                    changedInside += changed;
                }
            }
        EXPECT_GT(changedInside, 0);
        DeleteObject(target);
    }
    for (HRGN r : {clip, more, apart, hole}) DeleteObject(r);
    DeleteObject(source);
}

TEST(GdiClipTest, ClipRectanglesAndTheClipBoxFollowTheClipRegion) {
    HBITMAP target = MakeColorBitmap(10, 10);
    MemoryDC dc(target);
    RECT box;
    EXPECT_EQ(GetClipBox(dc, &box), SIMPLEREGION);
    EXPECT_EQ(box.right, 10);
    HRGN copy = CreateRectRgn(0, 0, 0, 0);
    EXPECT_EQ(GetClipRgn(dc, copy), 0);
    EXPECT_EQ(IntersectClipRect(dc, 2, 2, 20, 8), SIMPLEREGION);
    EXPECT_EQ(ExcludeClipRect(dc, 4, 0, 6, 10), COMPLEXREGION);
    EXPECT_EQ(GetClipBox(dc, &box), COMPLEXREGION);
    EXPECT_EQ(box.left, 2);
    EXPECT_EQ(box.top, 2);
    EXPECT_EQ(box.right, 10);
    EXPECT_EQ(box.bottom, 8);
    EXPECT_EQ(GetClipRgn(dc, copy), 1);
    EXPECT_TRUE(PtInRegion(copy, 15, 3)); // the clip region itself is not cut to the bitmap
    EXPECT_FALSE(PtInRegion(copy, 5, 3));
    EXPECT_EQ(SelectObject(dc, copy), reinterpret_cast<HGDIOBJ>(COMPLEXREGION));
    EXPECT_EQ(SelectClipRgn(dc, nullptr), SIMPLEREGION);
    EXPECT_EQ(SetPixel(dc, 5, 5, 0), RGB(0, 0, 0));
    DeleteObject(copy);
    DeleteObject(target);
}
