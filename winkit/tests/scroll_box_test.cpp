// The scrolling box: ranges fitted to the children's extent, positions kept in
// proportion when the content changes, scroll codes, children moved by
// scrolling, and the paint box's paint handler.
#include <stdexcept>

#include "kit_test_support.h"
#include "winkit/paint_box.h"
#include "winkit/scroll_box.h"

namespace gleamkit::winkit {
namespace {

using testing::KitTest;

SCROLLINFO Bar(HWND window, int bar) {
    SCROLLINFO info{};
    info.cbSize = sizeof(info);
    info.fMask = SIF_ALL;
    GetScrollInfo(window, bar, &info);
    return info;
}

bool BarShown(const SCROLLINFO& info) {
    return info.nMax - info.nMin + 1 > static_cast<int>(info.nPage);
}

class ScrollBoxTest : public KitTest {
protected:
    void SetUp() override {
        KitTest::SetUp();
        m_form = NewForm(nullptr, "Scrolling");
        m_form->SetChildMargin(0);
        m_form->SetClientSize(400, 300);
        m_box = NewScrollingBox(m_form, ScrollEdge::None);
        // Room for a horizontal bar below a client area of 200 x 100.
        m_box->SetBounds(MakeRect(0, 0, 200, 100 + GetSystemMetrics(SM_CYHSCROLL)));
    }
    void TearDown() override {
        Free(m_form);
        KitTest::TearDown();
    }

    Control* AddChild(const Rect& bounds) {
        Control* child =
            NewChildControl(m_box, "Panel", WS_CHILD | WS_VISIBLE, Ctl3D::Off, nullptr);
        child->SetBounds(bounds);
        return child;
    }
    // Shows the form with every window made, as Run does first.
    void Show() {
        m_form->CreateWindowStep();
        headless::RunPendingMessages();
    }
    void Scroll(UINT message, int code) {
        m_box->SendToSelf(message, static_cast<WPARAM>(code), 0);
    }

    Control* m_form = nullptr;
    Control* m_box = nullptr;
};

TEST_F(ScrollBoxTest, RangeCoversTheChildrenExtentWithTheClientAsPage) {
    Control* child = AddChild(MakeRect(0, 0, 320, 40));
    Show();
    EXPECT_EQ(ChildrenExtent(*m_box), MakeRect(0, 0, 319, 39));
    EXPECT_EQ(m_box->ClientRect(), MakeRect(0, 0, 200, 100));

    const SCROLLINFO horizontal = Bar(m_box->Handle(), SB_HORZ);
    EXPECT_EQ(horizontal.nMin, 0);
    EXPECT_EQ(horizontal.nMax, 319);
    EXPECT_EQ(horizontal.nPage, 200u);
    EXPECT_EQ(horizontal.nPos, 0);
    const SCROLLINFO vertical = Bar(m_box->Handle(), SB_VERT);
    EXPECT_EQ(vertical.nMax, 99);
    EXPECT_EQ(vertical.nPage, 100u);
    EXPECT_FALSE(BarShown(vertical));

    // At the far end the child's last column is the client's last column.
    Scroll(WM_HSCROLL, SB_BOTTOM);
    EXPECT_EQ(GetScrollPos(m_box->Handle(), SB_HORZ), 120);
    EXPECT_EQ(child->FullRect().Left, -120);
    EXPECT_EQ(child->FullRect().Right, 200);
}

TEST_F(ScrollBoxTest, GrowingChildKeepsThePositionInProportionAndTheViewFollows) {
    Control* child = AddChild(MakeRect(0, 0, 320, 40));
    Show();
    SCROLLINFO position{};
    position.cbSize = sizeof(position);
    position.fMask = SIF_POS;
    position.nPos = 60;
    SetScrollInfo(m_box->Handle(), SB_HORZ, &position, TRUE);
    Scroll(WM_HSCROLL, SB_THUMBPOSITION);
    EXPECT_EQ(child->FullRect().Left, -60);

    child->SetSize(640, 0);
    const SCROLLINFO horizontal = Bar(m_box->Handle(), SB_HORZ);
    EXPECT_EQ(horizontal.nMax, 639);
    EXPECT_EQ(horizontal.nPos, 120); // round(639 * 60 / 319)
    EXPECT_EQ(child->FullRect(), MakeRect(-120, 0, 520, 40));
}

TEST_F(ScrollBoxTest, ScrollCodesMoveThePositionWithinTheRange) {
    Control* child = AddChild(MakeRect(0, 0, 320, 400));
    Show();
    HWND window = m_box->Handle();
    const int page = static_cast<int>(Bar(window, SB_VERT).nPage);
    ASSERT_GT(page, 1);

    Scroll(WM_VSCROLL, SB_LINEDOWN);
    EXPECT_EQ(GetScrollPos(window, SB_VERT), 16);
    Scroll(WM_VSCROLL, SB_PAGEDOWN);
    EXPECT_EQ(GetScrollPos(window, SB_VERT), 16 + page);
    Scroll(WM_VSCROLL, SB_PAGEUP);
    Scroll(WM_VSCROLL, SB_LINEUP);
    Scroll(WM_VSCROLL, SB_LINEUP);
    EXPECT_EQ(GetScrollPos(window, SB_VERT), 0);
    EXPECT_EQ(child->FullRect().Top, 0);

    Scroll(WM_VSCROLL, SB_BOTTOM);
    const int last = GetScrollPos(window, SB_VERT);
    // A full page stays in view, ending on the child's last row.
    EXPECT_EQ(last, 400 - page);
    Scroll(WM_VSCROLL, SB_LINEDOWN);
    EXPECT_EQ(GetScrollPos(window, SB_VERT), last);
    EXPECT_EQ(child->FullRect().Top, -last);
    Scroll(WM_VSCROLL, SB_TOP);
    EXPECT_EQ(child->FullRect().Top, 0);

    // A bar whose page is 0 pages by one.
    SCROLLINFO pageless{};
    pageless.cbSize = sizeof(pageless);
    pageless.fMask = SIF_RANGE | SIF_PAGE | SIF_POS;
    pageless.nMax = 50;
    pageless.nPos = 10;
    SetScrollInfo(window, SB_VERT, &pageless, TRUE);
    Scroll(WM_VSCROLL, SB_PAGEDOWN);
    EXPECT_EQ(GetScrollPos(window, SB_VERT), 11);
}

TEST_F(ScrollBoxTest, OneLineScrollMovesEveryChildSixteenPixels) {
    Control* first = AddChild(MakeRect(0, 0, 300, 40));
    Control* second = AddChild(MakeRect(100, 50, 500, 90));
    Show();
    Scroll(WM_HSCROLL, SB_LINEDOWN);
    EXPECT_EQ(first->FullRect(), MakeRect(-16, 0, 284, 40));
    EXPECT_EQ(second->FullRect(), MakeRect(84, 50, 484, 90));
    Scroll(WM_HSCROLL, SB_LINEUP);
    EXPECT_EQ(first->FullRect(), MakeRect(0, 0, 300, 40));
    EXPECT_EQ(second->FullRect(), MakeRect(100, 50, 500, 90));
}

TEST_F(ScrollBoxTest, ExtentCountsVisibleChildrenWithTheMargin) {
    m_box->SetChildMargin(3);
    Control* shown = AddChild(MakeRect(10, 20, 110, 70));
    Control* hidden = NewChildControl(m_box, "Panel", WS_CHILD, Ctl3D::Off, nullptr);
    hidden->SetBounds(MakeRect(0, 0, 900, 900));
    EXPECT_EQ(ChildrenExtent(*m_box), MakeRect(7, 17, 112, 72));
    AddChild(MakeRect(-5, 30, 40, 200));
    EXPECT_EQ(ChildrenExtent(*m_box), MakeRect(-8, 17, 112, 202));
    shown->SetVisible(false);
    EXPECT_EQ(ChildrenExtent(*m_box), MakeRect(-8, 27, 42, 202));
}

TEST_F(ScrollBoxTest, ShowingAndFreeingChildrenRefitTheRanges) {
    AddChild(MakeRect(0, 0, 150, 40));
    Control* wide = NewChildControl(m_box, "Panel", WS_CHILD, Ctl3D::Off, nullptr);
    wide->SetBounds(MakeRect(0, 0, 500, 40));
    Show();
    EXPECT_EQ(Bar(m_box->Handle(), SB_HORZ).nMax, 199);

    wide->SetVisible(true);
    headless::RunPendingMessages();
    EXPECT_EQ(Bar(m_box->Handle(), SB_HORZ).nMax, 499);
    Free(wide);
    EXPECT_EQ(Bar(m_box->Handle(), SB_HORZ).nMax, 199);
}

void FillWithRed(void*, KitObject*, HDC dc) {
    RECT area{0, 0, 40, 40};
    HBRUSH red = CreateSolidBrush(RGB(255, 0, 0));
    FillRect(dc, &area, red);
    DeleteObject(red);
}

void ThrowWhilePainting(void*, KitObject*, HDC) {
    throw std::runtime_error("paint failed");
}

TEST_F(ScrollBoxTest, PaintBoxPaintsThroughItsEvent) {
    Control* view = NewPaintBox(m_box);
    EXPECT_EQ(view->FullRect(), MakeRect(0, 0, 40, 40));
    EXPECT_TRUE(view->RepaintOnResize());
    SetOnPaint(*view, FillWithRed, nullptr);
    Show();
    EXPECT_EQ(headless::ClientPixel(m_form->Handle(), 5, 5), RGB(255, 0, 0));
    EXPECT_EQ(view->PaintDC(), nullptr);

    // A paint that fails still ends: the window is validated, and the error
    // leaves the loop once the platform has returned.
    SetOnPaint(*view, ThrowWhilePainting, nullptr);
    view->Invalidate();
    EXPECT_THROW(ProcessMessages(), std::runtime_error);
    RECT pending{};
    EXPECT_FALSE(GetUpdateRect(view->Handle(), &pending, FALSE));
    EXPECT_EQ(view->PaintDC(), nullptr);
}

TEST_F(ScrollBoxTest, PaintBoxWithoutOnPaintIsLeftToItsSystemClass) {
    Control* view = NewPaintBox(m_box);
    Show();
    view->Invalidate();
    headless::RunPendingMessages();
    RECT pending{};
    EXPECT_FALSE(GetUpdateRect(view->Handle(), &pending, FALSE));
}

} // namespace
} // namespace gleamkit::winkit
