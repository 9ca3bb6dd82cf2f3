// Handles, contexts and bitmaps: stale and wrong-typed handles fail as the
// platform's do, compatible bitmaps take the right format, surfaces for the
// window manager draw only where they are visible, and natural-size copies.
#include <gtest/gtest.h>

#include "platform/gdi/gdi_surface.h"
#include "platform/tests/gdi_test_support.h"

using gdi_test::DibInfo;
using gdi_test::MakeColorBitmap;
using gdi_test::MemoryDC;

namespace {

int BitsPerPixel(HBITMAP bitmap) {
    BITMAP record = {};
    if (GetObjectA(bitmap, sizeof record, &record) == 0) return 0;
    return record.bmBitsPixel;
}

} // namespace

TEST(GdiHandleTest, StaleAndWrongTypedHandlesFailQuietly) {
    HBITMAP bitmap = MakeColorBitmap(2, 2);
    HPEN pen = CreatePen(PS_SOLID, 1, RGB(1, 2, 3));
    HDC dc = CreateCompatibleDC(nullptr);
    ASSERT_TRUE(bitmap && pen && dc);
    // A pen handle where a bitmap is expected, a bitmap where a context is.
    EXPECT_EQ(GetDIBits(dc, reinterpret_cast<HBITMAP>(pen), 0, 1, nullptr, nullptr, 0), 0);
    EXPECT_EQ(GetPixel(reinterpret_cast<HDC>(bitmap), 0, 0), CLR_INVALID);
    EXPECT_EQ(SetBkColor(reinterpret_cast<HDC>(pen), 0), CLR_INVALID);
    EXPECT_EQ(SelectObject(dc, reinterpret_cast<HGDIOBJ>(uintptr_t{0x1234})), nullptr);
    // Deleted objects are gone for good, even when their slot is reused.
    EXPECT_TRUE(DeleteObject(bitmap));
    EXPECT_FALSE(DeleteObject(bitmap));
    HBITMAP reused = MakeColorBitmap(3, 3);
    EXPECT_EQ(GetObjectA(bitmap, sizeof(BITMAP), nullptr), 0);
    EXPECT_EQ(SelectObject(dc, bitmap), nullptr);
    EXPECT_EQ(BitsPerPixel(reused), 32);
    EXPECT_TRUE(DeleteDC(dc));
    EXPECT_FALSE(DeleteDC(dc));
    EXPECT_EQ(GetPixel(dc, 0, 0), CLR_INVALID);
    EXPECT_EQ(SetTextColor(dc, 0), CLR_INVALID);
    EXPECT_EQ(GetStretchBltMode(dc), 0);
    RECT box;
    EXPECT_EQ(GetClipBox(dc, &box), ERROR);
    EXPECT_EQ(FillRect(dc, &box, static_cast<HBRUSH>(GetStockObject(BLACK_BRUSH))), 0);
    EXPECT_TRUE(DeleteObject(pen));
    EXPECT_TRUE(DeleteObject(reused));
    EXPECT_FALSE(DeleteObject(nullptr));
}

TEST(GdiHandleTest, SelectedObjectsStayAliveAndStockObjectsIgnoreDeletion) {
    HBITMAP bitmap = MakeColorBitmap(2, 2);
    HDC first = CreateCompatibleDC(nullptr);
    HDC second = CreateCompatibleDC(nullptr);
    HGDIOBJ old = SelectObject(first, bitmap);
    ASSERT_NE(old, nullptr);
    EXPECT_EQ(GetObjectType(old), OBJ_BITMAP);
    // A bitmap lives in one context at a time and cannot be deleted there.
    EXPECT_EQ(SelectObject(second, bitmap), nullptr);
    EXPECT_FALSE(DeleteObject(bitmap));
    HBRUSH brush = CreateSolidBrush(RGB(9, 9, 9));
    HGDIOBJ oldBrush = SelectObject(first, brush);
    EXPECT_EQ(oldBrush, GetStockObject(WHITE_BRUSH));
    EXPECT_FALSE(DeleteObject(brush));
    EXPECT_EQ(SelectObject(first, oldBrush), brush);
    EXPECT_TRUE(DeleteObject(brush));
    // Deleting the context frees the bitmap for deletion.
    EXPECT_TRUE(DeleteDC(first));
    EXPECT_TRUE(DeleteObject(bitmap));
    DeleteDC(second);
    // Stock objects survive DeleteObject and keep working.
    HGDIOBJ black = GetStockObject(BLACK_PEN);
    EXPECT_TRUE(DeleteObject(black));
    LOGPEN log = {};
    EXPECT_EQ(GetObjectA(black, sizeof log, &log), static_cast<int>(sizeof log));
    EXPECT_EQ(log.lopnColor, RGB(0, 0, 0));
    EXPECT_EQ(GetStockObject(99), nullptr);
    EXPECT_EQ(GetObjectType(GetStockObject(NULL_BRUSH)), OBJ_BRUSH);
    EXPECT_EQ(GetObjectType(GetStockObject(DEFAULT_GUI_FONT)), OBJ_FONT);
}

TEST(GdiBitmapTest, CompatibleBitmapsTakeTheFormatOfWhatTheContextHolds) {
    HDC screen = GetDC(nullptr);
    HDC memory = CreateCompatibleDC(screen);
    // A fresh memory context holds a 1x1 monochrome bitmap.
    HBITMAP selected = static_cast<HBITMAP>(GetCurrentObject(memory, OBJ_BITMAP));
    BITMAP record = {};
    ASSERT_EQ(GetObjectA(selected, sizeof record, &record), static_cast<int>(sizeof record));
    EXPECT_EQ(record.bmWidth, 1);
    EXPECT_EQ(record.bmHeight, 1);
    EXPECT_EQ(record.bmBitsPixel, 1);
    HBITMAP mono = CreateCompatibleBitmap(memory, 20, 3);
    EXPECT_EQ(BitsPerPixel(mono), 1);
    ASSERT_EQ(GetObjectA(mono, sizeof record, &record), static_cast<int>(sizeof record));
    EXPECT_EQ(record.bmWidthBytes, 4); // word-aligned rows
    EXPECT_EQ(record.bmBits, nullptr);
    HBITMAP color = CreateCompatibleBitmap(screen, 5, 5);
    EXPECT_EQ(BitsPerPixel(color), 32);
    HGDIOBJ old = SelectObject(memory, color);
    HBITMAP alsoColor = CreateCompatibleBitmap(memory, 4, 4);
    EXPECT_EQ(BitsPerPixel(alsoColor), 32);
    // With a DIB section selected the result is a DIB section of its layout.
    DibInfo info(4, 4, 24);
    void* bits = nullptr;
    HBITMAP section = CreateDIBSection(screen, info.Info(), DIB_RGB_COLORS, &bits, nullptr, 0);
    SelectObject(memory, section);
    HBITMAP likeSection = CreateCompatibleBitmap(memory, 7, 2);
    DIBSECTION ds = {};
    ASSERT_EQ(GetObjectA(likeSection, sizeof ds, &ds), static_cast<int>(sizeof ds));
    EXPECT_EQ(ds.dsBm.bmBitsPixel, 24);
    EXPECT_EQ(ds.dsBmih.biWidth, 7);
    EXPECT_NE(ds.dsBm.bmBits, nullptr);
    EXPECT_EQ(ds.dsBm.bmWidthBytes, 24);
    // The 24 bytes of the 32-bit record hold everything up to bmBitsPixel.
    BITMAP small = {};
    EXPECT_EQ(GetObjectA(section, 24, &small), 24);
    EXPECT_EQ(small.bmBitsPixel, 24);
    EXPECT_EQ(CreateCompatibleBitmap(memory, -1, 4), nullptr);
    SelectObject(memory, old);
    for (HBITMAP b : {mono, color, alsoColor, section, likeSection}) EXPECT_TRUE(DeleteObject(b));
    DeleteDC(memory);
    ReleaseDC(nullptr, screen);
}

TEST(GdiBitmapTest, MonochromeBitmapsTakeTheirBitsWordAligned) {
    const BYTE bits[4] = {0xA0, 0x00, 0x40, 0x00}; // rows 1010..., 0100...
    HBITMAP mono = CreateBitmap(3, 2, 1, 1, bits);
    ASSERT_NE(mono, nullptr);
    MemoryDC dc(mono);
    EXPECT_EQ(GetPixel(dc, 0, 0), RGB(255, 255, 255));
    EXPECT_EQ(GetPixel(dc, 1, 0), RGB(0, 0, 0));
    EXPECT_EQ(GetPixel(dc, 2, 0), RGB(255, 255, 255));
    EXPECT_EQ(GetPixel(dc, 1, 1), RGB(255, 255, 255));
    EXPECT_EQ(GetPixel(dc, 3, 0), CLR_INVALID);
    EXPECT_EQ(GetPixel(dc, 0, -1), CLR_INVALID);
    // A colour lands as the nearer of black and white.
    EXPECT_EQ(SetPixel(dc, 1, 0, RGB(200, 200, 100)), RGB(255, 255, 255));
    EXPECT_EQ(SetPixel(dc, 9, 0, RGB(0, 0, 0)), CLR_INVALID);
    EXPECT_EQ(CreateBitmap(3, 2, 1, 24, nullptr), nullptr);
}

TEST(GdiBitmapTest, CopyImageMakesAnIndependentCopy) {
    HBITMAP original = MakeColorBitmap(3, 2);
    {
        MemoryDC dc(original);
        SetPixel(dc, 2, 1, RGB(10, 20, 30));
    }
    HBITMAP copy = static_cast<HBITMAP>(CopyImage(original, IMAGE_BITMAP, 0, 0, 0));
    ASSERT_NE(copy, nullptr);
    {
        MemoryDC dc(original);
        SetPixel(dc, 2, 1, RGB(1, 1, 1));
    }
    {
        MemoryDC dc(copy);
        EXPECT_EQ(GetPixel(dc, 2, 1), RGB(10, 20, 30));
    }
    EXPECT_EQ(CopyImage(original, 1 /* IMAGE_ICON */, 0, 0, 0), nullptr);
    // A DIB section copies into a device bitmap with the same picture.
    DibInfo info(2, 2, 24);
    void* bits = nullptr;
    HBITMAP section = CreateDIBSection(nullptr, info.Info(), DIB_RGB_COLORS, &bits, nullptr, 0);
    static_cast<BYTE*>(bits)[2] = 255; // bottom-left pixel red
    HBITMAP fromSection = static_cast<HBITMAP>(CopyImage(section, IMAGE_BITMAP, 0, 0, 0));
    EXPECT_EQ(BitsPerPixel(fromSection), 32);
    {
        MemoryDC dc(fromSection);
        EXPECT_EQ(GetPixel(dc, 0, 1), RGB(255, 0, 0));
        EXPECT_EQ(GetPixel(dc, 0, 0), RGB(0, 0, 0));
    }
    for (HBITMAP b : {original, copy, section, fromSection}) DeleteObject(b);
}

TEST(GdiBlitTest, NaturalSizeCopiesLandAtTheirOffsetAndStayInside) {
    // A 24-bit DIB section drawn into a 32-bit device bitmap, partly outside.
    DibInfo info(3, 2, 24);
    void* bits = nullptr;
    HBITMAP section = CreateDIBSection(nullptr, info.Info(), DIB_RGB_COLORS, &bits, nullptr, 0);
    BYTE* p = static_cast<BYTE*>(bits);
    for (int i = 0; i < 3; ++i) p[12 + 3 * i + 2] = static_cast<BYTE>(100 + i); // top row reds
    HBITMAP target = MakeColorBitmap(4, 4);
    {
        MemoryDC source(section);
        MemoryDC dc(target);
        RECT all = {0, 0, 4, 4};
        FillRect(dc, &all, static_cast<HBRUSH>(GetStockObject(WHITE_BRUSH)));
        EXPECT_TRUE(BitBlt(dc, 2, 1, 3, 2, source, 0, 0, SRCCOPY));
        EXPECT_EQ(GetPixel(dc, 2, 1), RGB(100, 0, 0));
        EXPECT_EQ(GetPixel(dc, 3, 1), RGB(101, 0, 0));
        EXPECT_EQ(GetPixel(dc, 2, 2), RGB(0, 0, 0));
        EXPECT_EQ(GetPixel(dc, 1, 1), RGB(255, 255, 255));
        EXPECT_EQ(GetPixel(dc, 2, 3), RGB(255, 255, 255));
        // The same picture through StretchDIBits straight from the memory.
        FillRect(dc, &all, static_cast<HBRUSH>(GetStockObject(WHITE_BRUSH)));
        EXPECT_EQ(
            StretchDIBits(dc, -1, 0, 3, 2, 0, 0, 3, 2, bits, info.Info(), DIB_RGB_COLORS, SRCCOPY),
            2);
        EXPECT_EQ(GetPixel(dc, 0, 0), RGB(101, 0, 0));
        EXPECT_EQ(GetPixel(dc, 1, 0), RGB(102, 0, 0));
        EXPECT_EQ(GetPixel(dc, 1, 1), RGB(0, 0, 0));
        EXPECT_EQ(GetPixel(dc, 2, 0), RGB(255, 255, 255));
        // For a bottom-up DIB the source rectangle's y counts from the bottom.
        EXPECT_EQ(
            StretchDIBits(dc, 0, 3, 3, 1, 0, 1, 3, 1, bits, info.Info(), DIB_RGB_COLORS, SRCCOPY),
            1);
        EXPECT_EQ(GetPixel(dc, 2, 3), RGB(102, 0, 0));
        EXPECT_FALSE(BitBlt(dc, 0, 0, 1, 1, nullptr, 0, 0, SRCCOPY));
    }
    DeleteObject(section);
    DeleteObject(target);
}

TEST(GdiSurfaceTest, SurfaceContextsDrawOnlyIntoTheVisiblePartAtTheirOrigin) {
    GdiSurface* surface = GdiCreateSurface(10, 8);
    ASSERT_NE(surface, nullptr);
    // A child at (2, 3) of which only surface rows 3..5 and columns 2..6 show.
    HRGN visible = CreateRectRgn(2, 3, 7, 6);
    HDC dc = GdiCreateSurfaceDC(surface, 2, 3, visible);
    DeleteObject(visible);
    ASSERT_NE(dc, nullptr);
    RECT box;
    EXPECT_EQ(GetClipBox(dc, &box), SIMPLEREGION);
    EXPECT_EQ(box.left, 0);
    EXPECT_EQ(box.top, 0);
    EXPECT_EQ(box.right, 5);
    EXPECT_EQ(box.bottom, 3);
    RECT everything = {-100, -100, 100, 100};
    HBRUSH brush = CreateSolidBrush(RGB(1, 2, 3));
    EXPECT_EQ(FillRect(dc, &everything, brush), 1);
    EXPECT_EQ(GetPixel(dc, 0, 0), RGB(1, 2, 3));
    EXPECT_EQ(GetPixel(dc, 5, 0), CLR_INVALID);
    const GdiSurfacePixels pixels = GdiGetSurfacePixels(surface);
    ASSERT_EQ(pixels.width, 10);
    for (int y = 0; y < 8; ++y) {
        for (int x = 0; x < 10; ++x) {
            const BYTE* px = pixels.bits + pixels.stride * y + 4 * x;
            const bool inside = x >= 2 && x < 7 && y >= 3 && y < 6;
            EXPECT_EQ(px[0], inside ? 3 : 0) << x << "," << y;
            EXPECT_EQ(px[2], inside ? 1 : 0) << x << "," << y;
        }
    }
    // The program's own clip narrows it further.
    HRGN clip = CreateRectRgn(1, 1, 2, 2);
    EXPECT_EQ(SelectClipRgn(dc, clip), SIMPLEREGION);
    DeleteObject(clip);
    EXPECT_EQ(GetPixel(dc, 0, 0), CLR_INVALID);
    EXPECT_EQ(SetPixel(dc, 1, 1, RGB(255, 255, 255)), RGB(255, 255, 255));
    EXPECT_EQ(pixels.bits[pixels.stride * 4 + 4 * 3], 255);
    // The context keeps the surface alive after the window manager lets go.
    GdiDestroySurface(surface);
    EXPECT_EQ(GetPixel(dc, 1, 1), RGB(255, 255, 255));
    EXPECT_EQ(ReleaseDC(nullptr, dc), 1);
    DeleteObject(brush);
}

TEST(GdiSurfaceTest, ResizingKeepsTheTopLeftPixels) {
    GdiSurface* surface = GdiCreateSurface(2, 2);
    HDC dc = GdiCreateSurfaceDC(surface, 0, 0, nullptr);
    SetPixel(dc, 1, 1, RGB(7, 8, 9));
    ASSERT_TRUE(GdiResizeSurface(surface, 3, 1));
    EXPECT_EQ(GetPixel(dc, 1, 1), CLR_INVALID);
    ASSERT_TRUE(GdiResizeSurface(surface, 4, 4));
    EXPECT_EQ(GetPixel(dc, 1, 1), RGB(0, 0, 0));
    SetPixel(dc, 3, 3, RGB(7, 8, 9));
    EXPECT_EQ(GetPixel(dc, 3, 3), RGB(7, 8, 9));
    DeleteDC(dc);
    GdiDestroySurface(surface);
}

TEST(GdiBlitTest, WideRowsOfEveryPixelSizeCopyPixelForPixel) {
    // Seven distinct colours per row exercise the row loops' wide and tail parts.
    for (int bits : {24, 32}) {
        SCOPED_TRACE(bits);
        DibInfo info(7, 2, bits);
        void* memory = nullptr;
        HBITMAP section =
            CreateDIBSection(nullptr, info.Info(), DIB_RGB_COLORS, &memory, nullptr, 0);
        BYTE* p = static_cast<BYTE*>(memory);
        for (int x = 0; x < 7; ++x) {
            p[x * bits / 8] = static_cast<BYTE>(10 * x + 1);     // blue
            p[x * bits / 8 + 1] = static_cast<BYTE>(10 * x + 2); // green
            p[x * bits / 8 + 2] = static_cast<BYTE>(10 * x + 3); // red
        }
        HBITMAP target = MakeColorBitmap(7, 2);
        HBITMAP back = nullptr;
        {
            MemoryDC from(section);
            MemoryDC dc(target);
            EXPECT_TRUE(BitBlt(dc, 0, 0, 7, 2, from, 0, 0, SRCCOPY));
            for (int x = 0; x < 7; ++x) {
                EXPECT_EQ(GetPixel(dc, x, 1), RGB(10 * x + 3, 10 * x + 2, 10 * x + 1)) << x;
            }
            // And back into a fresh section of the same layout.
            back = CreateDIBSection(nullptr, info.Info(), DIB_RGB_COLORS, &memory, nullptr, 0);
            MemoryDC into(back);
            EXPECT_TRUE(BitBlt(into, 0, 0, 7, 2, dc, 0, 0, NOTSRCCOPY));
        }
        const BYTE* q = static_cast<const BYTE*>(memory);
        for (int x = 0; x < 7; ++x) {
            EXPECT_EQ(q[x * bits / 8], static_cast<BYTE>(~(10 * x + 1))) << x;
            EXPECT_EQ(q[x * bits / 8 + 2], static_cast<BYTE>(~(10 * x + 3))) << x;
        }
        for (HBITMAP b : {section, target, back}) DeleteObject(b);
    }
}
