// A control's font, brush, canvas and icon: what children inherit, what the
// window is told, and what the canvas draws on during and outside a paint.
#include "bitmap/canvas.h"
#include "bitmap/draw_tool.h"
#include "kit_test_support.h"
#include "winkit/paint_box.h"

namespace gleamkit::winkit {
namespace {

using testing::KitTest;

class ControlToolsTest : public KitTest {};

TEST_F(ControlToolsTest, ChildCopiesTheParentFontAndSharesItsHandleUntilChanged) {
    Control* form = NewForm(nullptr, "Fonts");
    form->Font()->SetFontName("Tahoma");
    Control* view = NewPaintBox(form);
    ASSERT_TRUE(view->HasFont());
    EXPECT_STREQ(view->Font()->GetFontName(), "Tahoma");
    EXPECT_EQ(view->Font()->Handle(), form->Font()->Handle());
    HWND window = view->WindowHandle();
    EXPECT_EQ(SendMessageA(window, WM_GETFONT, 0, 0),
              reinterpret_cast<LRESULT>(form->Font()->Handle()));

    // A change of its own gives the child a handle of its own and tells the
    // window; the colour becomes the text colour.
    view->Font()->SetFontName("Courier");
    EXPECT_NE(view->Font()->Handle(), form->Font()->Handle());
    EXPECT_EQ(SendMessageA(window, WM_GETFONT, 0, 0),
              reinterpret_cast<LRESULT>(view->Font()->Handle()));
    view->Font()->SetColor(MakeColor(1, 2, 3));
    EXPECT_EQ(view->TextColor(), MakeColor(1, 2, 3));
    EXPECT_STREQ(form->Font()->GetFontName(), "Tahoma");
    Free(form);
}

void FillClipWithWorkspace(void*, KitObject* sender, HDC) {
    bitmap::Canvas* canvas = static_cast<Control*>(sender)->Canvas();
    canvas->Brush()->SetColor(SystemColor(COLOR_APPWORKSPACE));
    canvas->FillRect(canvas->ClipBounds());
}

TEST_F(ControlToolsTest, CanvasDrawsOnThePaintContextDuringAPaintAndOnTheWindowOtherwise) {
    Control* form = NewForm(nullptr, "Canvas");
    form->SetClientSize(120, 80);
    form->SetChildMargin(0);
    Control* view = NewPaintBox(form);
    SetOnPaint(*view, FillClipWithWorkspace, nullptr);
    form->CreateWindowStep();
    headless::RunPendingMessages();
    HWND top = form->Handle();
    EXPECT_EQ(headless::ClientPixel(top, 0, 0), RGB(128, 128, 128));
    EXPECT_EQ(headless::ClientPixel(top, 39, 39), RGB(128, 128, 128));
    // The form's own background shows around the 40 x 40 box.
    EXPECT_EQ(headless::ClientPixel(top, 40, 40), RGB(212, 208, 200));
    // The paint context was handed back to the paint, not kept.
    EXPECT_EQ(view->Canvas()->HeldContext(), nullptr);

    // Outside a paint the canvas draws straight onto the window.
    bitmap::Canvas* canvas = view->Canvas();
    canvas->Brush()->SetColor(MakeColor(0, 0, 255));
    canvas->FillRect(MakeRect(10, 10, 20, 20));
    EXPECT_EQ(headless::ClientPixel(top, 15, 15), RGB(0, 0, 255));
    EXPECT_EQ(headless::ClientPixel(top, 25, 25), RGB(128, 128, 128));
    Free(form);
}

TEST_F(ControlToolsTest, BrushFollowsTheColourAndErasesTheBackground) {
    Control* form = NewForm(nullptr, "Brush");
    form->SetClientSize(60, 40);
    form->CreateWindowStep();
    headless::RunPendingMessages();
    EXPECT_EQ(headless::ClientPixel(form->Handle(), 30, 20), RGB(212, 208, 200));

    bitmap::DrawTool* brush = form->Brush();
    form->SetColor(MakeColor(10, 200, 30));
    EXPECT_EQ(brush->GetColor(), MakeColor(10, 200, 30));
    headless::RunPendingMessages();
    EXPECT_EQ(headless::ClientPixel(form->Handle(), 30, 20), RGB(10, 200, 30));

    // A change made on the brush comes back as the control's colour.
    brush->SetColor(MakeColor(200, 0, 0));
    EXPECT_EQ(form->GetColor(), MakeColor(200, 0, 0));
    headless::RunPendingMessages();
    EXPECT_EQ(headless::ClientPixel(form->Handle(), 30, 20), RGB(200, 0, 0));
    Free(form);
}

TEST_F(ControlToolsTest, TopLevelWindowsShowTheApplicationIconOrTheirOwn) {
    HICON own =
        static_cast<HICON>(CopyImage(LoadIconA(nullptr, IDI_APPLICATION), IMAGE_ICON, 0, 0, 0));
    ASSERT_NE(own, nullptr);
    Control* application = NewForm(nullptr, "Application");
    application->SetIcon(own, false);
    SetApplicationControl(application);
    HWND applicationWindow = application->WindowHandle();
    EXPECT_EQ(SendMessageA(applicationWindow, WM_GETICON, ICON_BIG, 0),
              reinterpret_cast<LRESULT>(own));

    // Another top-level window shows a copy of its own, destroyed with it.
    Control* second = NewForm(nullptr, "Second");
    HWND secondWindow = second->WindowHandle();
    const auto copy = reinterpret_cast<HICON>(SendMessageA(secondWindow, WM_GETICON, ICON_BIG, 0));
    EXPECT_NE(copy, nullptr);
    EXPECT_NE(copy, own);
    Free(second);
    EXPECT_FALSE(DestroyIcon(copy));

    Control* plain = NewForm(nullptr, "No icon");
    plain->SetIcon(kNoIcon, true);
    EXPECT_EQ(SendMessageA(plain->WindowHandle(), WM_GETICON, ICON_BIG, 0), 0);
    Free(plain);

    SetApplicationControl(nullptr);
    Free(application);
    EXPECT_FALSE(DestroyIcon(own));
}

} // namespace
} // namespace gleamkit::winkit
