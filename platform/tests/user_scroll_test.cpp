// Scroll bars of the frame: shown exactly while the range exceeds the page
// (the client area shrinks and WM_SIZE follows), positions kept in range, the
// codes a press on each part sends, thumb dragging, and the wheel.
#include "platform/tests/user_test_support.h"

namespace {

using namespace usertest;
namespace headless = gleamkit::headless;

class UserScrollTest : public UserTest {
protected:
    void SetUp() override {
        UserTest::SetUp();
        top = MakeTopLevel(300, 300);
        // A 200 x 100 client area inside a child, as the kit's scroll box has.
        box = MakeChild(top, 10, 10, 200, 100);
        headless::RunPendingMessages();
        Log().clear();
    }

    static SCROLLINFO Info(int min, int max, UINT page, int pos) {
        return SCROLLINFO{
            sizeof(SCROLLINFO), SIF_RANGE | SIF_PAGE | SIF_POS, min, max, page, pos, 0};
    }

    // The WM_VSCROLL / WM_HSCROLL codes (and high words) the box got.
    std::vector<std::pair<WORD, WORD>> Codes(UINT message) const {
        std::vector<std::pair<WORD, WORD>> codes;
        for (const Logged& entry : Log()) {
            if (entry.hwnd == box && entry.message == message) {
                codes.emplace_back(LOWORD(entry.wParam), HIWORD(entry.wParam));
            }
        }
        return codes;
    }

    // The middle column of the box's vertical bar and the box's top row, in
    // the top-level client coordinates that headless clicks take.
    POINT VerticalBarOrigin() const {
        RECT window{};
        GetWindowRect(box, &window);
        POINT origin{0, 0};
        ClientToScreen(top, &origin);
        return POINT{window.right - origin.x - 8, window.top - origin.y};
    }

    HWND top = nullptr;
    HWND box = nullptr;
};

TEST_F(UserScrollTest, BarShowsWhileTheRangeExceedsThePageAndTheClientAreaFollows) {
    SCROLLINFO fits = Info(0, 99, 100, 0);
    SetScrollInfo(box, SB_VERT, &fits, TRUE);
    SCROLLINFO wide = Info(0, 318, 200, 0);
    SetScrollInfo(box, SB_HORZ, &wide, TRUE);
    RECT client{};
    GetClientRect(box, &client);
    EXPECT_EQ(client.right, 200);
    EXPECT_EQ(client.bottom, 100 - GetSystemMetrics(SM_CYHSCROLL));
    ASSERT_EQ(CountOf(box, WM_SIZE), 1);
    for (const Logged& entry : Log()) {
        if (entry.hwnd == box && entry.message == WM_SIZE) {
            EXPECT_EQ(entry.lParam, MAKELPARAM(200, 84));
        }
    }
    EXPECT_NE(GetWindowLongPtrA(box, GWL_STYLE) & WS_HSCROLL, 0);
    EXPECT_EQ(GetWindowLongPtrA(box, GWL_STYLE) & WS_VSCROLL, 0);

    // One more than fits shows it; the page equal to the range hides it again.
    Log().clear();
    SCROLLINFO over = Info(0, 200, 200, 0);
    SetScrollInfo(box, SB_HORZ, &over, TRUE);
    EXPECT_EQ(CountOf(box, WM_SIZE), 0);
    SCROLLINFO exact = Info(0, 199, 200, 0);
    SetScrollInfo(box, SB_HORZ, &exact, TRUE);
    GetClientRect(box, &client);
    EXPECT_EQ(client.bottom, 100);
    EXPECT_EQ(CountOf(box, WM_SIZE), 1);
}

TEST_F(UserScrollTest, PositionStaysWhereThePageStillFits) {
    SCROLLINFO info = Info(0, 318, 200, 500);
    EXPECT_EQ(SetScrollInfo(box, SB_HORZ, &info, TRUE), 119);
    EXPECT_EQ(GetScrollPos(box, SB_HORZ), 119);
    info = Info(0, 318, 0, 500);
    EXPECT_EQ(SetScrollInfo(box, SB_HORZ, &info, TRUE), 318); // page 0: the maximum
    info = Info(10, 20, 50, -5);
    SetScrollInfo(box, SB_HORZ, &info, TRUE);
    SCROLLINFO read{sizeof(SCROLLINFO), SIF_ALL, 0, 0, 0, 0, 0};
    ASSERT_TRUE(GetScrollInfo(box, SB_HORZ, &read));
    EXPECT_EQ(read.nPage, 11u); // never more than the range holds
    EXPECT_EQ(read.nPos, 10);
    // A bar never set cannot be read; a bad record is refused.
    EXPECT_FALSE(GetScrollInfo(box, SB_VERT, &read));
    read.cbSize = 12;
    EXPECT_FALSE(GetScrollInfo(box, SB_HORZ, &read));
}

TEST_F(UserScrollTest, PressesOnEachPartSendTheirCodesAndEndScroll) {
    SCROLLINFO info = Info(0, 399, 100, 100);
    SetScrollInfo(box, SB_VERT, &info, TRUE);
    headless::RunPendingMessages();
    const POINT bar = VerticalBarOrigin();
    // The bar is the box's last 16 columns; its length is 100: arrows of 16,
    // a track of 68, a thumb of 68 * 100 / 400 = 17 at offset 16 + 51 * 100 / 300 = 33.
    const int x = bar.x;
    const int y0 = bar.y;
    Log().clear();
    headless::Click(top, x, y0 + 5);  // up arrow
    headless::Click(top, x, y0 + 95); // down arrow
    headless::Click(top, x, y0 + 20); // track above the thumb
    headless::Click(top, x, y0 + 80); // track below the thumb
    headless::RunPendingMessages();
    const std::vector<std::pair<WORD, WORD>> expected{
        {SB_LINEUP, 0}, {SB_ENDSCROLL, 0}, {SB_LINEDOWN, 0}, {SB_ENDSCROLL, 0},
        {SB_PAGEUP, 0}, {SB_ENDSCROLL, 0}, {SB_PAGEDOWN, 0}, {SB_ENDSCROLL, 0}};
    EXPECT_EQ(Codes(WM_VSCROLL), expected);
    EXPECT_EQ(CountOf(box, WM_LBUTTONDOWN), 0); // the frame took them
}

TEST_F(UserScrollTest, DraggingTheThumbTracksAndEndsWithItsPosition) {
    SCROLLINFO info = Info(0, 399, 100, 0);
    SetScrollInfo(box, SB_VERT, &info, TRUE);
    headless::RunPendingMessages();
    const POINT bar = VerticalBarOrigin();
    const int x = bar.x;
    const int y0 = bar.y;
    int trackSeen = -1;
    TestHandler() = [&](HWND hwnd, UINT message, WPARAM wParam, LPARAM) -> std::optional<LRESULT> {
        if (hwnd == box && message == WM_VSCROLL && LOWORD(wParam) == SB_THUMBTRACK) {
            SCROLLINFO read{sizeof(SCROLLINFO), SIF_TRACKPOS, 0, 0, 0, 0, 0};
            GetScrollInfo(hwnd, SB_VERT, &read);
            trackSeen = read.nTrackPos;
        }
        return std::nullopt;
    };
    Log().clear();
    headless::MouseDown(top, x, y0 + 20); // on the thumb (16 .. 33)
    headless::MouseMove(top, x, y0 + 71); // 51 pixels down: the far end
    const auto thumbAt = [&](int y) {
        return headless::ClientPixel(top, x, y) == GetSysColor(COLOR_BTNFACE) &&
               headless::ClientPixel(top, x + 1, y) == GetSysColor(COLOR_BTNFACE);
    };
    EXPECT_FALSE(thumbAt(y0 + 75)); // the track's checker
    headless::RunPendingMessages();
    EXPECT_TRUE(thumbAt(y0 + 75)); // the thumb follows the pointer
    headless::MouseUp(top, x, y0 + 71);
    headless::RunPendingMessages();
    const std::vector<std::pair<WORD, WORD>> expected{
        {SB_THUMBTRACK, 300}, {SB_THUMBPOSITION, 300}, {SB_ENDSCROLL, 0}};
    EXPECT_EQ(Codes(WM_VSCROLL), expected);
    EXPECT_EQ(trackSeen, 300);
    EXPECT_EQ(GetScrollPos(box, SB_VERT), 0); // the program moves it, not the bar
}

TEST_F(UserScrollTest, WheelSendsThreeLineScrollsPerNotchToTheWindowWithARange) {
    const HWND inner = MakeChild(box, 0, 0, 50, 50); // no bar of its own
    SCROLLINFO info = Info(0, 399, 100, 0);
    SetScrollInfo(box, SB_VERT, &info, TRUE);
    headless::RunPendingMessages();
    Log().clear();
    headless::Wheel(inner, 5, 5, -1);
    headless::Wheel(inner, 5, 5, 2);
    headless::RunPendingMessages();
    EXPECT_EQ(CountOf(inner, WM_MOUSEWHEEL), 2);
    const std::vector<std::pair<WORD, WORD>> expected{
        {SB_LINEDOWN, 0}, {SB_LINEDOWN, 0}, {SB_LINEDOWN, 0}, {SB_ENDSCROLL, 0},
        {SB_LINEUP, 0},   {SB_LINEUP, 0},   {SB_LINEUP, 0},   {SB_LINEUP, 0},
        {SB_LINEUP, 0},   {SB_LINEUP, 0},   {SB_ENDSCROLL, 0}};
    EXPECT_EQ(Codes(WM_VSCROLL), expected);
    // Without a vertical range nothing scrolls.
    info = Info(0, 10, 100, 0);
    SetScrollInfo(box, SB_VERT, &info, TRUE);
    Log().clear();
    headless::Wheel(inner, 5, 5, -1);
    headless::RunPendingMessages();
    EXPECT_TRUE(Codes(WM_VSCROLL).empty());
}

TEST_F(UserScrollTest, ResetEndsAThumbDragLeftUnfinished) {
    SCROLLINFO info = Info(0, 399, 100, 0);
    SetScrollInfo(box, SB_VERT, &info, TRUE);
    headless::RunPendingMessages();
    const POINT bar = VerticalBarOrigin();
    headless::MouseDown(top, bar.x, bar.y + 20); // on the thumb, never let go
    headless::RunPendingMessages();
    SetUp(); // a reset window manager with the windows made again
    headless::Click(top, 50, 50);
    headless::RunPendingMessages();
    EXPECT_EQ(CountOf(box, WM_LBUTTONDOWN), 1);
}

TEST_F(UserScrollTest, BarsArePaintedInTheFrame) {
    SCROLLINFO info = Info(0, 399, 100, 0);
    SetScrollInfo(box, SB_VERT, &info, TRUE);
    headless::RunPendingMessages();
    // The arrow button's outer highlight at the bar's top-left corner.
    EXPECT_EQ(headless::ClientPixel(top, 10 + 200 - 16, 10), GetSysColor(COLOR_3DLIGHT));
    EXPECT_EQ(headless::ClientPixel(top, 10 + 200 - 1, 10 + 15), GetSysColor(COLOR_3DDKSHADOW));
    EXPECT_EQ(headless::ClientPixel(top, 10 + 200 - 17, 10), RGB(255, 255, 255));
}

} // namespace
