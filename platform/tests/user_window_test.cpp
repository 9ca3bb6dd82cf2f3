// Windows: the message order of creation and destruction, geometry and its
// messages, properties and text, and calls with handles that went stale.
#include "platform/tests/user_test_support.h"

namespace {

using namespace usertest;

using UserWindowTest = UserTest;

TEST_F(UserWindowTest, CreationSendsNcCreateCalcSizeCreateThenSizeAndMove) {
    const HWND top = CreateWindowExA(0, kClassName, "Title", WS_OVERLAPPEDWINDOW, 5, 6, 200, 150,
                                     nullptr, nullptr, nullptr, nullptr);
    ASSERT_NE(top, nullptr);
    const std::vector<UINT> expected{WM_NCCREATE, WM_NCCALCSIZE, WM_CREATE, WM_SIZE, WM_MOVE};
    EXPECT_EQ(MessagesOf(top), expected);
    char text[16] = {};
    EXPECT_EQ(GetWindowTextA(top, text, sizeof(text)), 5);
    EXPECT_STREQ(text, "Title");
    EXPECT_FALSE(IsWindowVisible(top));

    Log().clear();
    ShowWindow(top, SW_SHOW);
    const std::vector<UINT> shown = MessagesOf(top);
    ASSERT_FALSE(shown.empty());
    EXPECT_EQ(shown.front(), WM_SHOWWINDOW);
    EXPECT_TRUE(IsWindowVisible(top));
    EXPECT_EQ(GetFocus(), top); // activation gives the new window the focus
}

TEST_F(UserWindowTest, RefusedCreationGivesNoWindowAndLeavesNoHandle) {
    HWND seen = nullptr;
    TestHandler() = [&seen](HWND hwnd, UINT message, WPARAM, LPARAM) -> std::optional<LRESULT> {
        if (message == WM_CREATE) {
            seen = hwnd;
            return -1;
        }
        return std::nullopt;
    };
    EXPECT_EQ(MakeTopLevel(), nullptr);
    ASSERT_NE(seen, nullptr);
    EXPECT_FALSE(IsWindow(seen));
    EXPECT_EQ(CountOf(seen, WM_NCDESTROY), 1);
    // A child needs a parent; an unknown class makes nothing.
    EXPECT_EQ(CreateWindowExA(0, kClassName, "", WS_CHILD, 0, 0, 1, 1, nullptr, nullptr, nullptr,
                              nullptr),
              nullptr);
    EXPECT_EQ(
        CreateWindowExA(0, "NoSuchClass", "", 0, 0, 0, 1, 1, nullptr, nullptr, nullptr, nullptr),
        nullptr);
}

TEST_F(UserWindowTest, DestroyGoesDownWithWmDestroyAndUpWithWmNcDestroy) {
    const HWND top = MakeTopLevel();
    const HWND child = MakeChild(top, 0, 0, 50, 50);
    const HWND grandChild = MakeChild(child, 0, 0, 10, 10);
    Log().clear();
    ASSERT_TRUE(DestroyWindow(top));
    std::vector<std::pair<HWND, UINT>> order;
    for (const Logged& entry : Log()) {
        if (entry.message == WM_DESTROY || entry.message == WM_NCDESTROY) {
            order.emplace_back(entry.hwnd, entry.message);
        }
    }
    const std::vector<std::pair<HWND, UINT>> expected{
        {top, WM_DESTROY},          {child, WM_DESTROY},   {grandChild, WM_DESTROY},
        {grandChild, WM_NCDESTROY}, {child, WM_NCDESTROY}, {top, WM_NCDESTROY}};
    EXPECT_EQ(order, expected);
    EXPECT_FALSE(IsWindow(top));
    EXPECT_FALSE(IsWindow(child));
    EXPECT_FALSE(IsWindow(grandChild));
}

TEST_F(UserWindowTest, WindowStillAnswersDuringItsOwnWmDestroy) {
    const HWND top = MakeTopLevel();
    const HWND child = MakeChild(top, 0, 0, 50, 50);
    bool childAlive = false;
    TestHandler() = [&](HWND hwnd, UINT message, WPARAM, LPARAM) -> std::optional<LRESULT> {
        if (hwnd == top && message == WM_DESTROY) {
            childAlive = IsWindow(child) && SetPropA(child, "X", reinterpret_cast<HANDLE>(1));
            // Destroying again from inside is refused, not re-entered.
            EXPECT_FALSE(DestroyWindow(top));
        }
        return std::nullopt;
    };
    DestroyWindow(top);
    EXPECT_TRUE(childAlive);
}

TEST_F(UserWindowTest, StaleHandlesFailCleanly) {
    const HWND top = MakeTopLevel();
    const HWND child = MakeChild(top, 1, 2, 30, 40);
    PostMessageA(child, WM_USER, 1, 2);
    DestroyWindow(top);

    RECT rect{};
    POINT point{};
    EXPECT_FALSE(IsWindow(child));
    EXPECT_EQ(SendMessageA(child, WM_USER, 0, 0), 0);
    EXPECT_FALSE(PostMessageA(child, WM_USER, 0, 0));
    EXPECT_FALSE(GetWindowRect(child, &rect));
    EXPECT_FALSE(GetClientRect(top, &rect));
    EXPECT_FALSE(ShowWindow(child, SW_SHOW));
    EXPECT_FALSE(SetWindowPos(child, nullptr, 0, 0, 5, 5, SWP_NOZORDER));
    EXPECT_FALSE(DestroyWindow(child));
    EXPECT_FALSE(SetPropA(child, "SELF_", nullptr));
    EXPECT_EQ(GetPropA(child, "SELF_"), nullptr);
    EXPECT_FALSE(InvalidateRect(child, nullptr, TRUE));
    EXPECT_FALSE(ScreenToClient(child, &point));
    EXPECT_EQ(GetParent(child), nullptr);
    EXPECT_EQ(SetFocus(child), nullptr);
    EXPECT_EQ(GetFocus(), nullptr);
    EXPECT_EQ(GetDC(child), nullptr);
    MSG msg{};
    msg.hwnd = child;
    msg.message = WM_USER;
    EXPECT_EQ(DispatchMessageA(&msg), 0);
    // The message posted before the destruction went with the window.
    Log().clear();
    EXPECT_TRUE(gleamkit::headless::RunPendingMessages());
    EXPECT_TRUE(Log().empty());
}

TEST_F(UserWindowTest, SetWindowPosSendsChangedThenMoveAndSizeOfTheClientArea) {
    const HWND top = MakeTopLevel();
    const HWND child = MakeChild(top, 10, 10, 100, 80, WS_BORDER);
    Log().clear();
    ASSERT_TRUE(SetWindowPos(child, nullptr, 20, 30, 120, 90, SWP_NOZORDER));
    const std::vector<UINT> expected{WM_WINDOWPOSCHANGING, WM_NCCALCSIZE, WM_WINDOWPOSCHANGED,
                                     WM_MOVE, WM_SIZE};
    EXPECT_EQ(MessagesOf(child, {WM_NCPAINT, WM_ERASEBKGND, WM_PAINT}), expected);
    for (const Logged& entry : Log()) {
        if (entry.hwnd != child) continue;
        // The client area starts inside the one-pixel border.
        if (entry.message == WM_MOVE) {
            EXPECT_EQ(entry.lParam, MAKELPARAM(21, 31));
        }
        if (entry.message == WM_SIZE) {
            EXPECT_EQ(entry.lParam, MAKELPARAM(118, 88));
        }
    }
    // Moving only: no WM_SIZE.
    Log().clear();
    MoveWindow(child, 0, 0, 120, 90, TRUE);
    EXPECT_EQ(CountOf(child, WM_MOVE), 1);
    EXPECT_EQ(CountOf(child, WM_SIZE), 0);
}

TEST_F(UserWindowTest, AdjustedRectangleGivesTheAskedClientSizeAndPointsMapBothWays) {
    for (const DWORD style : {WS_OVERLAPPEDWINDOW, WS_POPUP | WS_BORDER, WS_POPUP | WS_DLGFRAME}) {
        const HWND top = MakeTopLevel(321, 123, style);
        RECT client{};
        ASSERT_TRUE(GetClientRect(top, &client));
        EXPECT_EQ(client.right, 321);
        EXPECT_EQ(client.bottom, 123);
        DestroyWindow(top);
    }
    const HWND top = MakeTopLevel();
    const HWND child = MakeChild(top, 40, 50, 60, 60, 0, WS_EX_CLIENTEDGE);
    POINT point{0, 0};
    ClientToScreen(child, &point);
    POINT inTop{0, 0};
    ClientToScreen(top, &inTop);
    EXPECT_EQ(point.x - inTop.x, 42); // 40 plus the two-pixel client edge
    EXPECT_EQ(point.y - inTop.y, 52);
    POINT mapped{3, 4};
    MapWindowPoints(child, top, &mapped, 1);
    EXPECT_EQ(mapped.x, 45);
    EXPECT_EQ(mapped.y, 56);
    ScreenToClient(child, &point);
    EXPECT_EQ(point.x, 0);
    EXPECT_EQ(point.y, 0);
}

TEST_F(UserWindowTest, UseDefaultPlacesTopLevelWindowsAndChildIdsAreKept) {
    const HWND top = CreateWindowExA(0, kClassName, "", WS_OVERLAPPEDWINDOW, CW_USEDEFAULT, 0,
                                     CW_USEDEFAULT, 0, nullptr, nullptr, nullptr, nullptr);
    RECT rect{};
    GetWindowRect(top, &rect);
    EXPECT_GT(rect.right - rect.left, 100);
    EXPECT_GT(rect.bottom - rect.top, 100);
    EXPECT_GE(rect.left, 0);
    const HWND child = MakeChild(top, 0, 0, 5, 5, 0, 0, 0x8001);
    EXPECT_EQ(GetWindowLongPtrA(child, GWLP_ID), 0x8001);
    EXPECT_EQ(GetParent(child), top);
    EXPECT_EQ(GetParent(top), nullptr);
}

TEST_F(UserWindowTest, PropertiesAndClassInfo) {
    const HWND top = MakeTopLevel();
    int value = 0;
    EXPECT_TRUE(SetPropA(top, "SELF_", &value));
    EXPECT_EQ(GetPropA(top, "self_"), &value); // names compare without case
    EXPECT_EQ(RemovePropA(top, "SELF_"), &value);
    EXPECT_EQ(GetPropA(top, "SELF_"), nullptr);

    WNDCLASSA info{};
    ASSERT_TRUE(GetClassInfoA(nullptr, "STATIC", &info));
    EXPECT_NE(info.lpfnWndProc, nullptr);
    EXPECT_STREQ(info.lpszClassName, "STATIC");
    WNDCLASSA again = info;
    again.lpszClassName = "static";
    EXPECT_EQ(RegisterClassA(&again), 0); // the name is taken
    again.lpszClassName = "obj_STATIC";
    EXPECT_NE(RegisterClassA(&again), 0);
    EXPECT_FALSE(GetClassInfoA(nullptr, "obj_Nothing", &info));
    // The copied procedure runs the system class's behaviour.
    const HWND label = CreateWindowExA(0, "obj_STATIC", "Hi", WS_CHILD | WS_VISIBLE, 0, 0, 10, 10,
                                       top, nullptr, nullptr, nullptr);
    EXPECT_EQ(CallWindowProcA(again.lpfnWndProc, label, WM_GETTEXTLENGTH, 0, 0), 2);
}

TEST_F(UserWindowTest, CloseDestroysAndSysCommandCloses) {
    const HWND top = MakeTopLevel();
    SendMessageA(top, WM_SYSCOMMAND, SC_CLOSE, 0);
    EXPECT_FALSE(IsWindow(top));
    const HWND other = MakeTopLevel();
    ShowWindow(other, SW_MINIMIZE);
    EXPECT_TRUE(IsIconic(other));
    ShowWindow(other, SW_RESTORE);
    EXPECT_FALSE(IsIconic(other));
    ShowWindow(other, SW_MAXIMIZE);
    EXPECT_TRUE(IsZoomed(other));
}

} // namespace
