// Drawing a picture onto a context (plain, scaled, keyed) and the canvas:
// lazy tools and their state marks, the drop-and-deselect rule, the styled pen
// rule, contexts that go away, and the picture's link to its canvas.
#include <gtest/gtest.h>

#include "bitmap/canvas.h"
#include "bitmap/draw_tool.h"
#include "bitmap/tests/test_support.h"
#include "platform/win32.h"

namespace gleamkit::bitmap {
namespace {

using testing::NewPicture24;
using testing::Picture;
using testing::PixelOf;

constexpr Color kRed = 0x0000FF, kGreen = 0x00FF00, kBlue = 0xFF0000, kWhite = 0xFFFFFF;

Color Stripes(int32_t x, int32_t) {
    return x % 2 ? kRed : kBlue;
}

PixelBitmap* NewPlain(int32_t width, int32_t height, Color colour) {
    return NewPicture24(width, height, [colour](int32_t, int32_t) { return colour; });
}

TEST(DrawTest, DrawingSeparateRowsMakesNoPlatformBitmap) {
    Picture source(NewPicture24(3, 2, Stripes));
    Picture target(NewPlain(5, 4, kGreen));
    const uint8_t* rows = source->RowMemory();
    source->Draw(target->Canvas()->Handle(), 1, 1);
    EXPECT_FALSE(source->BitsOwnedBySection());
    EXPECT_EQ(source->RowMemory(), rows);
    EXPECT_EQ(PixelOf(*target, 0, 0), static_cast<uint32_t>(kGreen));
    EXPECT_EQ(PixelOf(*target, 1, 1), static_cast<uint32_t>(kBlue));
    EXPECT_EQ(PixelOf(*target, 2, 2), static_cast<uint32_t>(kRed));
    EXPECT_EQ(PixelOf(*target, 4, 3), static_cast<uint32_t>(kGreen));

    // Asking for the canvas moves the rows into a section.
    ASSERT_NE(source->Canvas(), nullptr);
    EXPECT_TRUE(source->BitsOwnedBySection());
}

TEST(DrawTest, DeviceBitmapsDrawPlainAndScaled) {
    Picture source(NewPicture24(2, 2, Stripes));
    source->SetLayout(BitmapLayout::Device);
    Picture target(NewPlain(4, 4, kGreen));
    source->StretchDraw(target->Canvas()->Handle(), Rect{0, 0, 4, 4});
    for (int32_t y = 0; y < 4; ++y)
        for (int32_t x = 0; x < 4; ++x)
            EXPECT_EQ(PixelOf(*target, x, y), static_cast<uint32_t>(Stripes(x / 2, 0)));
    source->DrawKeyed(target->Canvas()->Handle(), 3, 3, kColorNone);
    EXPECT_EQ(PixelOf(*target, 3, 3), static_cast<uint32_t>(kBlue));
}

TEST(DrawTest, MaskIsWhiteExactlyWhereTheKeyColourWas) {
    Picture picture(
        NewPicture24(5, 3, [](int32_t x, int32_t y) { return (x + y) % 3 == 0 ? kRed : kBlue; }));
    picture->TurnIntoMask(kRed);
    EXPECT_EQ(picture->Storage(), StorageKind::Ddb);
    BITMAP info{};
    ASSERT_NE(GetObjectA(picture->Handle(), sizeof(info), &info), 0);
    EXPECT_EQ(info.bmBitsPixel, 1);
    for (int32_t y = 0; y < 3; ++y)
        for (int32_t x = 0; x < 5; ++x)
            EXPECT_EQ(picture->PixelAt(x, y), (x + y) % 3 == 0 ? kWhite : 0) << x << "," << y;
}

TEST(DrawTest, KeyedDrawLeavesTheKeyColourOutAndKeepsItsMaskPerColour) {
    Picture picture(
        NewPicture24(3, 3, [](int32_t x, int32_t y) { return x == 1 && y == 1 ? kBlue : kRed; }));
    Picture target(NewPlain(3, 3, kGreen));
    picture->DrawKeyed(target->Canvas()->Handle(), 0, 0, kRed);
    for (int32_t y = 0; y < 3; ++y)
        for (int32_t x = 0; x < 3; ++x)
            EXPECT_EQ(PixelOf(*target, x, y),
                      static_cast<uint32_t>(x == 1 && y == 1 ? kBlue : kGreen));
    ASSERT_NE(picture->TransparencyMask(), nullptr);
    EXPECT_EQ(picture->MaskColor(), kRed);
    HBITMAP mask = picture->TransparencyMask()->Handle();

    picture->StretchDrawKeyed(target->Canvas()->Handle(), Rect{0, 0, 3, 3}, kRed);
    EXPECT_EQ(picture->TransparencyMask()->Handle(), mask);
    picture->DrawKeyed(target->Canvas()->Handle(), 0, 0, kBlue);
    EXPECT_EQ(picture->MaskColor(), kBlue);
    EXPECT_NE(picture->TransparencyMask()->Handle(), mask);
    EXPECT_EQ(PixelOf(*target, 0, 0), static_cast<uint32_t>(kRed));

    // Drawing on the picture's canvas drops the mask.
    picture->Canvas()->FillRect(Rect{0, 0, 1, 1});
    EXPECT_EQ(picture->TransparencyMask(), nullptr);
    EXPECT_EQ(picture->MaskColor(), kColorNone);
}

TEST(CanvasTest, BrushColourChangeMakesANewHandleAndDeletesTheOldOne) {
    Picture picture(NewPlain(4, 4, kWhite));
    Canvas* canvas = picture->Canvas();
    canvas->Brush()->SetColor(kRed);
    canvas->FillRect(Rect{0, 0, 2, 2});
    HGDIOBJ first = canvas->Brush()->Handle();
    EXPECT_EQ(PixelOf(*picture, 1, 1), static_cast<uint32_t>(kRed));
    canvas->Ellipse(0, 0, 4, 4); // selects the brush into the context
    EXPECT_EQ(GetCurrentObject(canvas->HeldContext(), OBJ_BRUSH), first);

    canvas->Brush()->SetColor(kBlue);
    // Deleting succeeds only for a brush no context holds: it was deselected.
    EXPECT_EQ(GetObjectType(first), 0u);
    canvas->FillRect(Rect{2, 2, 4, 4});
    EXPECT_NE(canvas->Brush()->Handle(), first);
    EXPECT_EQ(PixelOf(*picture, 3, 3), static_cast<uint32_t>(kBlue));
    // The picture follows its canvas's brush.
    EXPECT_EQ(picture->BackColor(), kBlue);
}

TEST(CanvasTest, StyledPenAlsoSelectsTheBrushAndItsBackground) {
    for (int style : {PS_SOLID, PS_DASH, PS_DOT, PS_DASHDOT}) {
        Picture picture(NewPlain(8, 8, kWhite));
        Canvas* canvas = picture->Canvas();
        canvas->Brush()->SetColor(kGreen);
        canvas->Pen()->SetPenStyle(style);
        HDC context = canvas->Handle();
        SetBkMode(context, TRANSPARENT);
        canvas->Arc(0, 0, 8, 8, 8, 4, 8, 4);
        const bool styled = style != PS_SOLID;
        EXPECT_EQ(GetCurrentObject(context, OBJ_BRUSH) == canvas->Brush()->Handle(), styled)
            << style;
        EXPECT_EQ(GetBkMode(context), styled ? OPAQUE : TRANSPARENT) << style;
        if (styled) {
            EXPECT_EQ(GetBkColor(context), static_cast<COLORREF>(kGreen));
        }
        EXPECT_EQ(GetCurrentObject(context, OBJ_PEN), canvas->Pen()->Handle());
    }
}

struct Counter {
    int changes = 0;
    int requests = 0;
};

void CountChange(void* data, KitObject*) {
    ++static_cast<Counter*>(data)->changes;
}

HDC AnswerNone(void* data, Canvas*) {
    ++static_cast<Counter*>(data)->requests;
    return nullptr;
}

TEST(CanvasTest, EllipseWithoutAContextDrawsNothing) {
    Picture picture(NewPlain(6, 6, kWhite));
    picture->SetLayout(BitmapLayout::Device);
    HDC context = CreateCompatibleDC(nullptr);
    HGDIOBJ replaced = SelectObject(context, picture->Handle());
    ASSERT_NE(replaced, nullptr);
    Counter counter;
    Canvas* canvas = NewCanvas(context);
    canvas->OnChange = {CountChange, &counter};
    canvas->OnNeedDC = {AnswerNone, &counter};
    canvas->Brush()->SetColor(kRed);
    canvas->Ellipse(0, 0, 6, 6);
    EXPECT_EQ(counter.changes, 1);
    EXPECT_EQ(counter.requests, 1);
    EXPECT_EQ(canvas->HeldContext(), nullptr);
    // The canvas let its context go (deleted), which freed the picture.
    EXPECT_EQ(GetObjectType(context), 0u);
    Free(canvas);
    for (int32_t y = 0; y < 6; ++y)
        for (int32_t x = 0; x < 6; ++x) ASSERT_EQ(picture->PixelAt(x, y), kWhite);
}

TEST(CanvasTest, ReplacedContextIsDeletedUnlessItIsThePaintContext) {
    HDC first = CreateCompatibleDC(nullptr);
    HDC second = CreateCompatibleDC(nullptr);
    Canvas* canvas = NewCanvas(first);
    canvas->MovePen(3, 4);
    canvas->SetHandle(second);
    EXPECT_EQ(GetObjectType(first), 0u);
    POINT point{};
    MoveToEx(second, 0, 0, &point);
    EXPECT_EQ(point.x, 3);
    EXPECT_EQ(point.y, 4);

    canvas->SetPaintFlag(true);
    canvas->SetHandle(nullptr);
    EXPECT_NE(GetObjectType(second), 0u);
    DeleteDC(second);
    Free(canvas);
}

TEST(CanvasTest, InvertingThePictureTwiceRestoresIt) {
    Picture picture(
        NewPicture24(3, 2, [](int32_t x, int32_t y) { return MakeColor(x * 40, y * 90, 7); }));
    picture->Canvas()->InvertRect(picture->FullRect());
    EXPECT_EQ(PixelOf(*picture, 2, 1), static_cast<uint32_t>(MakeColor(255 - 80, 255 - 90, 248)));
    picture->Canvas()->InvertRect(picture->FullRect());
    EXPECT_EQ(PixelOf(*picture, 2, 1), static_cast<uint32_t>(MakeColor(80, 90, 7)));
}

TEST(CanvasTest, CanvasFollowsThePictureThroughStorageChanges) {
    Picture picture(NewPlain(4, 4, kWhite));
    picture->Canvas()->Brush()->SetColor(kRed);
    picture->SetLayout(BitmapLayout::Device);
    picture->Canvas()->FillRect(Rect{0, 0, 1, 1});
    EXPECT_EQ(picture->PixelAt(0, 0), kRed);
    picture->SetHeight(6); // new rows take the canvas's brush colour
    EXPECT_EQ(picture->PixelAt(0, 5), kRed);
    picture->SetLayout(BitmapLayout::Bits24);
    picture->Canvas()->FillRect(Rect{3, 3, 4, 4});
    EXPECT_EQ(PixelOf(*picture, 3, 3), static_cast<uint32_t>(kRed));
    EXPECT_EQ(PixelOf(*picture, 2, 2), static_cast<uint32_t>(kWhite));
}

TEST(DrawToolTest, ToolSharesItsParentsHandleWhileTheSettingsAgree) {
    DrawTool* parent = NewPen();
    DrawTool* child = NewPen();
    child->SetParent(parent);
    EXPECT_EQ(child->Handle(), parent->Handle());
    child->SetPenWidth(3);
    HGDIOBJ own = child->Handle();
    EXPECT_NE(own, parent->Handle());
    LOGPEN pen{};
    ASSERT_NE(GetObjectA(own, sizeof(pen), &pen), 0);
    EXPECT_EQ(pen.lopnWidth.x, 3);

    DrawTool* copy = AssignDrawTool(nullptr, child);
    EXPECT_EQ(copy->GetPenWidth(), 3);
    EXPECT_EQ(AssignDrawTool(copy, nullptr), nullptr);
    DrawTool* font = NewFont();
    font->SetFontName("A face name longer than thirty-one characters");
    EXPECT_STREQ(font->GetFontName(), "A face name longer than thirty-");
    Free(font);
    Free(child);
    Free(parent);
}

} // namespace
} // namespace gleamkit::bitmap
