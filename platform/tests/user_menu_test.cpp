// Menus and accelerators: the item records as the kit writes and reads them
// (both size tags), radio marks, removal and destruction, the menu bar's effect
// on the client area, choosing items (high word 0; never a grayed one) and
// accelerator keys (high word 1).
#include "platform/tests/user_test_support.h"

#include <cstring>

namespace {

using namespace usertest;
namespace headless = gleamkit::headless;

using UserMenuTest = UserTest;

MENUITEMINFOA ItemInfo(UINT size, const char* text, UINT id, HMENU subMenu = nullptr,
                       UINT state = 0, UINT type = MFT_STRING) {
    MENUITEMINFOA info{};
    info.cbSize = size;
    info.fMask = MIIM_STATE | MIIM_ID | MIIM_SUBMENU | MIIM_TYPE | MIIM_DATA;
    info.fType = type;
    info.fState = state;
    info.wID = id;
    info.hSubMenu = subMenu;
    info.dwItemData = 0x40000000;
    info.dwTypeData = const_cast<LPSTR>(text);
    info.cch = text != nullptr ? static_cast<UINT>(std::strlen(text)) : 0;
    return info;
}

// "File" (Open, separator, Exit), "Undo", "Effects" (grayed, with "Blur").
struct MainMenu {
    HMENU bar = CreateMenu();
    HMENU file = CreatePopupMenu();
    HMENU effects = CreatePopupMenu();
    MainMenu() {
        const auto append = [](HMENU menu, MENUITEMINFOA info) {
            EXPECT_TRUE(InsertMenuItemA(menu, static_cast<UINT>(-1), TRUE, &info));
        };
        append(bar, ItemInfo(48, "&File", 4096, file));
        append(file, ItemInfo(48, "Open bitmap...\tCtrl+O", 4097));
        append(file, ItemInfo(48, nullptr, 4098, nullptr, MFS_GRAYED, MFT_SEPARATOR));
        append(file, ItemInfo(48, "Exit", 4099));
        append(bar, ItemInfo(44, "Undo", 4100));
        append(bar, ItemInfo(44, "Effects", 4101, effects, MFS_GRAYED));
        append(effects, ItemInfo(44, "Blur", 4102));
    }
};

std::vector<WPARAM> CommandsOf(HWND hwnd) {
    std::vector<WPARAM> commands;
    for (const Logged& entry : Log()) {
        if (entry.hwnd == hwnd && entry.message == WM_COMMAND) {
            EXPECT_EQ(entry.lParam, 0);
            commands.push_back(entry.wParam);
        }
    }
    return commands;
}

TEST_F(UserMenuTest, ItemRecordsRoundTripWithEitherSizeTag) {
    MainMenu menu;
    EXPECT_EQ(GetMenuItemCount(menu.bar), 3);
    EXPECT_EQ(GetMenuItemCount(menu.file), 3);
    char text[64] = {};
    MENUITEMINFOA read{};
    read.cbSize = 44;
    read.fMask = MIIM_STATE | MIIM_ID | MIIM_SUBMENU | MIIM_TYPE | MIIM_DATA;
    read.dwTypeData = text;
    read.cch = sizeof(text);
    ASSERT_TRUE(GetMenuItemInfoA(menu.bar, 4097, FALSE, &read)); // found in the sub-menu
    EXPECT_STREQ(text, "Open bitmap...\tCtrl+O");
    EXPECT_EQ(read.cch, 21u);
    EXPECT_EQ(read.dwItemData, 0x40000000u);
    EXPECT_EQ(read.hSubMenu, nullptr);
    read.cch = 5; // too small: cut and ended with a zero
    ASSERT_TRUE(GetMenuItemInfoA(menu.bar, 0, TRUE, &read));
    EXPECT_STREQ(text, "&Fil");
    EXPECT_EQ(read.hSubMenu, menu.file);
    read.dwTypeData = nullptr; // only the length
    ASSERT_TRUE(GetMenuItemInfoA(menu.bar, 0, TRUE, &read));
    EXPECT_EQ(read.cch, 5u);

    MENUITEMINFOA state{};
    state.cbSize = 48;
    state.fMask = MIIM_STATE;
    ASSERT_TRUE(GetMenuItemInfoA(menu.bar, 4101, FALSE, &state));
    EXPECT_EQ(state.fState, MFS_GRAYED);
    state.fState = 0;
    ASSERT_TRUE(SetMenuItemInfoA(menu.bar, 4101, FALSE, &state));
    EXPECT_EQ(GetMenuState(menu.bar, 2, MF_BYPOSITION) & MFS_GRAYED, 0u);
    // Any other size is refused, and so is a stale menu.
    state.cbSize = 40;
    EXPECT_FALSE(GetMenuItemInfoA(menu.bar, 4101, FALSE, &state));
    EXPECT_FALSE(SetMenuItemInfoA(menu.bar, 4101, FALSE, &state));
    state.cbSize = 48;
    EXPECT_FALSE(GetMenuItemInfoA(menu.bar, 999, FALSE, &state));
    ASSERT_TRUE(DestroyMenu(menu.bar));
    EXPECT_EQ(GetMenuItemCount(menu.file), -1); // sub-menus go with it
    EXPECT_FALSE(GetMenuItemInfoA(menu.bar, 4101, FALSE, &state));
    EXPECT_FALSE(DestroyMenu(menu.bar));
}

TEST_F(UserMenuTest, RadioItemsCheckOneOfTheRunAndRemovalKeepsTheSubMenu) {
    HMENU menu = CreatePopupMenu();
    for (UINT id = 10; id < 14; ++id) {
        MENUITEMINFOA info =
            ItemInfo(48, "Radio", id, nullptr, id == 10 ? MFS_CHECKED : 0, MFT_RADIOCHECK);
        InsertMenuItemA(menu, static_cast<UINT>(-1), TRUE, &info);
    }
    ASSERT_TRUE(CheckMenuRadioItem(menu, 10, 12, 11, MF_CHECKED)); // 8: by command
    EXPECT_EQ(GetMenuState(menu, 10, MF_BYCOMMAND) & MFS_CHECKED, 0u);
    EXPECT_EQ(GetMenuState(menu, 11, MF_BYCOMMAND) & MFS_CHECKED, MFS_CHECKED);
    EXPECT_FALSE(CheckMenuRadioItem(menu, 10, 12, 13, MF_BYCOMMAND)); // outside the run

    HMENU sub = CreatePopupMenu();
    MENUITEMINFOA parent = ItemInfo(48, "Sub", 20, sub);
    InsertMenuItemA(menu, 0, TRUE, &parent); // before the first item
    EXPECT_EQ(GetSubMenu(menu, 0), sub);
    ASSERT_TRUE(RemoveMenu(menu, 20, MF_BYCOMMAND));
    EXPECT_EQ(GetMenuItemCount(sub), 0); // still alive
    EXPECT_EQ(GetMenuItemCount(menu), 4);
    DestroyMenu(menu);
    DestroyMenu(sub);
}

TEST_F(UserMenuTest, MenuBarTakesRoomFromTheClientAreaAndRedrawsAreCounted) {
    const HWND top = MakeTopLevel(300, 200);
    MainMenu menu;
    Log().clear();
    ASSERT_TRUE(SetMenu(top, menu.bar));
    EXPECT_EQ(GetMenu(top), menu.bar);
    RECT client{};
    GetClientRect(top, &client);
    EXPECT_EQ(client.bottom, 200 - GetSystemMetrics(SM_CYMENU));
    EXPECT_EQ(CountOf(top, WM_SIZE), 1);
    const int redraws = headless::MenuBarRedraws(top);
    DrawMenuBar(top);
    EXPECT_EQ(headless::MenuBarRedraws(top), redraws + 1);
    const HWND child = MakeChild(top, 0, 0, 5, 5);
    EXPECT_FALSE(SetMenu(child, menu.bar));
    ASSERT_TRUE(SetMenu(top, nullptr));
    GetClientRect(top, &client);
    EXPECT_EQ(client.bottom, 200);
    DestroyMenu(menu.bar);
}

TEST_F(UserMenuTest, ChoosingAnItemPostsItsCommandWithHighWordZero) {
    const HWND top = MakeTopLevel();
    MainMenu menu;
    SetMenu(top, menu.bar);
    headless::RunPendingMessages();
    Log().clear();
    EXPECT_TRUE(headless::PickMenuItem(top, {"File", "Open bitmap..."}));
    EXPECT_TRUE(CommandsOf(top).empty()); // posted, not sent
    headless::RunPendingMessages();
    EXPECT_EQ(CommandsOf(top), std::vector<WPARAM>{MAKEWPARAM(4097, 0)});
    EXPECT_EQ(CountOf(top, WM_INITMENU), 1);
    EXPECT_EQ(CountOf(top, WM_INITMENUPOPUP), 1);

    // Grayed items, items under a grayed menu, separators, sub-menu parents
    // and unknown captions cannot be chosen.
    Log().clear();
    EXPECT_FALSE(headless::PickMenuItem(top, {"Effects", "Blur"}));
    EXPECT_FALSE(headless::PickMenuItem(top, {"File"}));
    EXPECT_FALSE(headless::PickMenuItem(top, {"File", "Nothing"}));
    EXPECT_FALSE(gleamkit::backend::NativeMenuCommand(top, 4102));
    EXPECT_FALSE(gleamkit::backend::NativeMenuCommand(top, 4098));
    EXPECT_TRUE(gleamkit::backend::NativeMenuCommand(top, 4100));
    headless::RunPendingMessages();
    EXPECT_EQ(CommandsOf(top), std::vector<WPARAM>{MAKEWPARAM(4100, 0)});
    MENUITEMINFOA state{};
    state.cbSize = 48;
    state.fMask = MIIM_STATE;
    state.fState = MFS_GRAYED;
    SetMenuItemInfoA(menu.bar, 4100, FALSE, &state);
    EXPECT_FALSE(headless::PickMenuItem(top, {"Undo"}));
    // A disabled (modal-blocked) window takes no menu commands.
    EnableWindow(top, FALSE);
    EXPECT_FALSE(headless::PickMenuItem(top, {"File", "Exit"}));
}

TEST_F(UserMenuTest, AcceleratorSendsItsCommandWithHighWordOne) {
    const HWND top = MakeTopLevel();
    MainMenu menu;
    SetMenu(top, menu.bar);
    const ACCEL entries[] = {{FVIRTKEY | FCONTROL, 'O', 4097}, {FVIRTKEY, VK_F5, 4102}};
    HACCEL table = CreateAcceleratorTableA(entries, 2);
    ASSERT_NE(table, nullptr);
    EXPECT_EQ(CopyAcceleratorTableA(table, nullptr, 0), 2);
    // The kit offers keys to the table from its window procedure.
    TestHandler() = [&](HWND hwnd, UINT message, WPARAM wParam,
                        LPARAM lParam) -> std::optional<LRESULT> {
        if (message < WM_KEYDOWN || message > WM_KEYLAST) return std::nullopt;
        MSG msg{hwnd, message, wParam, lParam, 0, {}};
        if (TranslateAcceleratorA(hwnd, table, &msg)) return 0;
        return std::nullopt;
    };
    headless::RunPendingMessages();
    Log().clear();
    headless::PressKey('O', headless::kModControl);
    headless::PressKey('O'); // without Ctrl: no match
    headless::PressKey('O', headless::kModControl | headless::kModShift);
    headless::PressKey(VK_F5); // its item is under the grayed "Effects"
    headless::RunPendingMessages();
    EXPECT_EQ(CommandsOf(top), std::vector<WPARAM>{MAKEWPARAM(4097, 1)});
    EXPECT_TRUE(gleamkit::backend::NativeKeyIsAccelerator('O', gleamkit::backend::kModControl));
    EXPECT_FALSE(gleamkit::backend::NativeKeyIsAccelerator('O', 0));
    ASSERT_TRUE(DestroyAcceleratorTable(table));
    EXPECT_FALSE(DestroyAcceleratorTable(table));
    MSG msg{top, WM_KEYDOWN, 'O', 0, 0, {}};
    EXPECT_EQ(TranslateAcceleratorA(top, table, &msg), 0);
    EXPECT_EQ(CreateAcceleratorTableA(entries, 0), nullptr);
}

TEST_F(UserMenuTest, VersionIsNtFiveOrLaterAndMessageBoxesAreModal) {
    OSVERSIONINFOA version{};
    version.dwOSVersionInfoSize = sizeof(version);
    ASSERT_TRUE(GetVersionExA(&version));
    EXPECT_EQ(version.dwPlatformId, VER_PLATFORM_WIN32_NT);
    EXPECT_GE(version.dwMajorVersion, 5u);
    version.dwOSVersionInfoSize = 100;
    EXPECT_FALSE(GetVersionExA(&version));

    const HWND top = MakeTopLevel();
    headless::QueueMessageBoxAnswer(IDNO);
    EXPECT_EQ(MessageBoxA(top, "Replace?", "Confirm", MB_YESNO), IDNO);
    EXPECT_EQ(MessageBoxA(nullptr, "Broken", nullptr, MB_OK | MB_ICONERROR | MB_TASKMODAL), IDOK);
    ASSERT_EQ(headless::ShownMessageBoxes().size(), 2u);
    EXPECT_EQ(headless::ShownMessageBoxes()[1].caption, "Error");
    EXPECT_EQ(headless::ShownMessageBoxes()[1].text, "Broken");
    EXPECT_TRUE(IsWindowEnabled(top)); // enabled again afterwards
}

} // namespace
