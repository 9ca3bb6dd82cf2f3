// The message queue: sent against posted, the order in which the loop takes
// messages (WM_PAINT only when nothing else waits), WM_QUIT, keyboard input
// with modifiers and characters, focus messages, and input refused while a
// window is disabled.
#include "platform/tests/user_test_support.h"

namespace {

using namespace usertest;
namespace headless = gleamkit::headless;

using UserQueueTest = UserTest;

TEST_F(UserQueueTest, SentMessagesRunAtOncePostedOnesWaitInOrder) {
    const HWND top = MakeTopLevel();
    headless::RunPendingMessages();
    Log().clear();
    EXPECT_EQ(SendMessageA(top, WM_USER + 1, 0, 0), 0);
    ASSERT_EQ(Log().size(), 1u);
    PostMessageA(top, WM_USER + 2, 0, 0);
    PostMessageA(top, WM_USER + 3, 0, 0);
    EXPECT_EQ(Log().size(), 1u);
    MSG msg{};
    ASSERT_TRUE(PeekMessageA(&msg, nullptr, 0, 0, PM_NOREMOVE));
    EXPECT_EQ(msg.message, WM_USER + 2);
    ASSERT_TRUE(PeekMessageA(&msg, nullptr, WM_USER + 3, WM_USER + 3, PM_REMOVE));
    EXPECT_EQ(msg.message, WM_USER + 3); // a filter skips ahead
    ASSERT_TRUE(GetMessageA(&msg, nullptr, 0, 0));
    EXPECT_EQ(msg.message, WM_USER + 2);
    DispatchMessageA(&msg);
    EXPECT_EQ(Log().back().message, WM_USER + 2);
}

TEST_F(UserQueueTest, PaintComesOnlyWhenNothingElseWaitsAndUntilValidated) {
    const HWND top = MakeTopLevel();
    headless::RunPendingMessages();
    InvalidateRect(top, nullptr, FALSE);
    PostMessageA(top, WM_USER, 0, 0);
    PostQuitMessage(3);
    MSG msg{};
    ASSERT_TRUE(PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE));
    EXPECT_EQ(msg.message, WM_USER);
    ASSERT_FALSE(GetMessageA(&msg, nullptr, 0, 0)); // WM_QUIT before the paint
    EXPECT_EQ(msg.wParam, 3u);
    ASSERT_TRUE(PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE));
    EXPECT_EQ(msg.message, WM_PAINT);
    EXPECT_EQ(msg.hwnd, top);
    // Not validated: it comes again. Validated: gone.
    ASSERT_TRUE(PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE));
    EXPECT_EQ(msg.message, WM_PAINT);
    ValidateRect(top, nullptr);
    EXPECT_FALSE(PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE));
}

TEST_F(UserQueueTest, ParentPaintsBeforeChild) {
    const HWND top = MakeTopLevel();
    const HWND child = MakeChild(top, 0, 0, 40, 40);
    headless::RunPendingMessages();
    Log().clear();
    InvalidateRect(top, nullptr, TRUE);
    headless::RunPendingMessages();
    std::vector<HWND> painted;
    for (const Logged& entry : Log()) {
        if (entry.message == WM_PAINT) painted.push_back(entry.hwnd);
    }
    const std::vector<HWND> expected{top, child};
    EXPECT_EQ(painted, expected); // without WS_CLIPCHILDREN the child is invalidated too
}

TEST_F(UserQueueTest, KeysWithModifiersReachTheFocusWithCharacters) {
    const HWND top = MakeTopLevel();
    const HWND child = MakeChild(top, 0, 0, 40, 40);
    SetFocus(child);
    headless::RunPendingMessages();
    Log().clear();
    SHORT shiftDuringKey = 0;
    TestHandler() = [&](HWND, UINT message, WPARAM wParam, LPARAM) -> std::optional<LRESULT> {
        if (message == WM_KEYDOWN && wParam == 'A') shiftDuringKey = GetKeyState(VK_SHIFT);
        return std::nullopt;
    };
    headless::PressKey('A', headless::kModShift);
    headless::PressKey('B');
    headless::PressKey('O', headless::kModControl);
    headless::RunPendingMessages();
    EXPECT_LT(shiftDuringKey, 0); // down while the key was handled
    EXPECT_GE(GetKeyState(VK_SHIFT), 0);
    std::vector<WPARAM> characters;
    for (const Logged& entry : Log()) {
        EXPECT_EQ(entry.hwnd, child);
        if (entry.message == WM_CHAR) characters.push_back(entry.wParam);
    }
    const std::vector<WPARAM> expected{'A', 'b', 0x0F};
    EXPECT_EQ(characters, expected);
    // Each WM_CHAR follows its own WM_KEYDOWN at once.
    for (size_t i = 0; i + 1 < Log().size(); ++i) {
        if (Log()[i + 1].message == WM_CHAR) {
            EXPECT_EQ(Log()[i].message, WM_KEYDOWN);
        }
    }
}

TEST_F(UserQueueTest, AltMakesSystemKeysAndAltF4Closes) {
    const HWND top = MakeTopLevel();
    headless::RunPendingMessages();
    Log().clear();
    headless::PressKey(VK_F4, headless::kModAlt);
    headless::RunPendingMessages();
    EXPECT_GT(CountOf(top, WM_SYSKEYDOWN), 0);
    EXPECT_EQ(CountOf(top, WM_KEYDOWN), 0);
    EXPECT_FALSE(IsWindow(top));
}

TEST_F(UserQueueTest, FocusMovesWithKillAndSetFocus) {
    const HWND top = MakeTopLevel();
    const HWND first = MakeChild(top, 0, 0, 10, 10);
    const HWND second = MakeChild(top, 20, 0, 10, 10);
    SetFocus(first);
    Log().clear();
    EXPECT_EQ(SetFocus(second), first);
    ASSERT_EQ(Log().size(), 2u);
    EXPECT_EQ(Log()[0].hwnd, first);
    EXPECT_EQ(Log()[0].message, WM_KILLFOCUS);
    EXPECT_EQ(Log()[0].wParam, reinterpret_cast<WPARAM>(second));
    EXPECT_EQ(Log()[1].hwnd, second);
    EXPECT_EQ(Log()[1].message, WM_SETFOCUS);
    // Destroying the focus window hands the focus to its parent.
    DestroyWindow(second);
    EXPECT_EQ(GetFocus(), top);
}

TEST_F(UserQueueTest, ClicksAreHitTestedAndRefusedWhileDisabled) {
    const HWND top = MakeTopLevel();
    const HWND child = MakeChild(top, 50, 60, 40, 40);
    headless::RunPendingMessages();
    Log().clear();
    headless::Click(top, 55, 65);
    headless::RunPendingMessages();
    EXPECT_EQ(CountOf(child, WM_NCHITTEST), 2);
    EXPECT_EQ(CountOf(child, WM_SETCURSOR), 2);
    ASSERT_EQ(CountOf(child, WM_LBUTTONDOWN), 1);
    for (const Logged& entry : Log()) {
        if (entry.message == WM_LBUTTONDOWN) {
            EXPECT_EQ(entry.lParam, MAKELPARAM(5, 5));
            EXPECT_EQ(entry.wParam & MK_LBUTTON, MK_LBUTTON);
        }
    }
    EXPECT_EQ(CountOf(child, WM_LBUTTONUP), 1);

    SetCapture(child);
    Log().clear();
    headless::Click(top, 5, 5); // outside the child, but it holds the mouse
    headless::RunPendingMessages();
    EXPECT_EQ(CountOf(child, WM_LBUTTONDOWN), 1);
    ReleaseCapture();

    EnableWindow(top, FALSE);
    Log().clear();
    headless::Click(top, 55, 65);
    headless::PressKey('A');
    headless::RunPendingMessages();
    EXPECT_EQ(CountOf(child, WM_LBUTTONDOWN), 0);
    EXPECT_EQ(CountOf(top, WM_KEYDOWN) + CountOf(child, WM_KEYDOWN), 0);
}

TEST_F(UserQueueTest, WaitingWithNothingLeftToHappenEndsTheLoop) {
    const HWND top = MakeTopLevel();
    int steps = 0;
    headless::QueueIdleAction([&] {
        ++steps;
        PostMessageA(top, WM_USER, 0, 0);
    });
    MSG msg{};
    int userMessages = 0;
    while (GetMessageA(&msg, nullptr, 0, 0)) {
        userMessages += msg.message == WM_USER;
        TranslateMessage(&msg);
        DispatchMessageA(&msg);
    }
    EXPECT_EQ(steps, 1);
    EXPECT_EQ(userMessages, 1);
    EXPECT_EQ(msg.message, WM_QUIT);
}

} // namespace
