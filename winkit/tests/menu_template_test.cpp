// Menus built from templates: item numbering, command identifiers, lookups by
// index and by identifier, marks and radio groups as parsed, the platform menus
// made, attachment to a form, and destruction.
#include <cstdlib>
#include <string>

#include "kit_test_support.h"
#include "winkit/menu.h"

namespace gleamkit::winkit {
namespace {

using testing::DestroyedNames;
using testing::KitTest;
using testing::WatchDestroy;

constexpr const char* kFileMenu[] = {"File", "(", "Open bitmap...\tCtrl+O", "-", "Exit", ")",
                                     "Undo", ""};

std::string PlatformText(HMENU menu, UINT commandId) {
    char text[64] = {};
    MENUITEMINFOA info{};
    info.cbSize = sizeof(info);
    info.fMask = MIIM_TYPE;
    info.dwTypeData = text;
    info.cch = sizeof(text);
    if (!GetMenuItemInfoA(menu, commandId, FALSE, &info)) return "<missing>";
    return text;
}

UINT PlatformType(HMENU menu, UINT commandId) {
    MENUITEMINFOA info{};
    info.cbSize = sizeof(info);
    info.fMask = MIIM_FTYPE;
    GetMenuItemInfoA(menu, commandId, FALSE, &info);
    return info.fType;
}

// Run in a fresh process, so this is the program's first menu: exits 0 when
// its five items got the identifiers 4096 to 4100.
void MakeFirstMenu() {
    Menu* menu = NewMenu(nullptr, kFileMenu, {});
    bool consecutive = true;
    for (int32_t index = 0; index < 5; ++index)
        consecutive = consecutive && FindItem(menu, index)->CommandId() ==
                                         kFirstCommandId + static_cast<uint32_t>(index);
    Free(menu);
    std::exit(consecutive && NextCommandId() == kFirstCommandId + 5 ? 0 : 1);
}

class MenuTemplateTest : public KitTest {};

TEST_F(MenuTemplateTest, FirstMenuOfAProgramNumbersItsCommandsFrom4096) {
    GTEST_FLAG_SET(death_test_style, "threadsafe");
    EXPECT_EXIT(MakeFirstMenu(), ::testing::ExitedWithCode(0), "");
}

TEST_F(MenuTemplateTest, EightStringTemplateGivesFiveItemsInTemplateOrder) {
    const uint32_t first = NextCommandId();
    Menu* menu = NewMenu(nullptr, kFileMenu, {});

    ASSERT_EQ(ItemCount(menu), 5);
    EXPECT_EQ(FindItem(menu, 0)->Caption(), "File");
    EXPECT_EQ(FindItem(menu, 1)->Caption(), "Open bitmap...\tCtrl+O");
    EXPECT_TRUE(FindItem(menu, 2)->IsSeparator());
    EXPECT_EQ(FindItem(menu, 3)->Caption(), "Exit");
    EXPECT_EQ(FindItem(menu, 4)->Caption(), "Undo");
    EXPECT_EQ(FindItem(menu, 5), nullptr);
    for (int32_t index = 0; index < 5; ++index)
        EXPECT_EQ(FindItem(menu, index)->CommandId(), first + static_cast<uint32_t>(index));
    EXPECT_EQ(NextCommandId(), first + 5);

    // The tree: "File" holds a pop-up with three entries, "Undo" none.
    Menu* file = FindItem(menu, 0);
    ASSERT_EQ(menu->DirectItemCount(), 2);
    EXPECT_EQ(file->DirectItemCount(), 3);
    EXPECT_NE(file->Handle(), nullptr);
    EXPECT_EQ(FindItem(menu, 4)->Handle(), nullptr);
    EXPECT_EQ(FindItem(menu, 1)->Parent(), file);

    // The platform menus mirror it, the caption going over unchanged.
    ASSERT_NE(menu->Handle(), nullptr);
    EXPECT_EQ(GetMenuItemCount(menu->Handle()), 2);
    EXPECT_EQ(GetSubMenu(menu->Handle(), 0), file->Handle());
    EXPECT_EQ(GetMenuItemCount(file->Handle()), 3);
    EXPECT_EQ(PlatformText(menu->Handle(), FindItem(menu, 1)->CommandId()),
              "Open bitmap...\tCtrl+O");
    EXPECT_NE(PlatformType(menu->Handle(), FindItem(menu, 2)->CommandId()) & MFT_SEPARATOR, 0u);
    Free(menu);
}

TEST_F(MenuTemplateTest, FindItemByIndexAndByIdentifierAgree) {
    Menu* menu = NewMenu(nullptr, kFileMenu, {});
    for (int32_t index = 0; index < 5; ++index) {
        Menu* item = FindItem(menu, index);
        EXPECT_EQ(FindItem(menu, static_cast<int32_t>(item->CommandId())), item) << index;
        EXPECT_EQ(IndexOfItem(menu, item), index);
    }
    EXPECT_EQ(FindItem(menu, -1), menu);
    EXPECT_EQ(IndexOfItem(menu, menu), -1);

    // Indices are relative to the menu asked: inside "File", 0 is its first entry.
    Menu* file = FindItem(menu, 0);
    EXPECT_EQ(FindItem(file, 0), FindItem(menu, 1));
    EXPECT_EQ(FindItem(file, 2), FindItem(menu, 3));
    EXPECT_EQ(ItemCount(file), 3);

    Menu* other = NewMenu(nullptr, kFileMenu, {});
    EXPECT_EQ(IndexOfItem(menu, FindItem(other, 1)), -2);
    // The other menu's identifiers are its own.
    EXPECT_EQ(FindItem(menu, static_cast<int32_t>(FindItem(other, 1)->CommandId())), nullptr);
    Free(other);
    Free(menu);
}

TEST_F(MenuTemplateTest, MarksMakeCheckAndRadioItemsWithoutTheMarkInTheCaption) {
    const char* const strings[] = {"View",     "(",       "+Grid",  "-Rulers", "-!Small",
                                   "-!Medium", "+!Large", "-!!Red", "-!Blue",  "-",
                                   "-!Fresh",  ")",       ""};
    Menu* menu = NewMenu(nullptr, strings, {});
    Menu* grid = FindItem(menu, 1);
    Menu* rulers = FindItem(menu, 2);
    EXPECT_EQ(grid->Caption(), "Grid");
    EXPECT_TRUE(grid->IsCheckItem());
    EXPECT_TRUE(ItemState(grid, kItemChecked));
    EXPECT_EQ(rulers->Caption(), "Rulers");
    EXPECT_FALSE(ItemState(rulers, kItemChecked));
    EXPECT_EQ(grid->RadioSet(), 0);

    struct Expected {
        int32_t index;
        const char* caption;
        int32_t group;
        bool checked;
    };
    const Expected radios[] = {{3, "Small", 1, false}, {4, "Medium", 1, false},
                               {5, "Large", 1, true},  {6, "Red", 2, false},
                               {7, "Blue", 2, false},  {9, "Fresh", 1, false}};
    for (const Expected& expected : radios) {
        Menu* item = FindItem(menu, expected.index);
        EXPECT_EQ(item->Caption(), expected.caption);
        EXPECT_EQ(item->RadioSet(), expected.group) << expected.caption;
        EXPECT_TRUE(item->IsCheckItem());
        EXPECT_EQ(ItemState(item, kItemChecked), expected.checked) << expected.caption;
        EXPECT_NE(PlatformType(FindItem(menu, 0)->Handle(), item->CommandId()) & MFT_RADIOCHECK,
                  0u);
    }
    Free(menu);
}

TEST_F(MenuTemplateTest, EndsAndStrayParenthesesFollowTheTemplateRules) {
    const char* const emptyFirst[] = {""};
    Menu* empty = NewMenu(nullptr, emptyFirst, {});
    EXPECT_NE(empty->Handle(), nullptr);
    EXPECT_EQ(GetMenuItemCount(empty->Handle()), 0);
    EXPECT_EQ(ItemCount(empty), 0);

    const char* const noneFirst[] = {nullptr, "Ignored"};
    Menu* none = NewMenu(nullptr, noneFirst, {});
    EXPECT_EQ(none->Handle(), nullptr);
    EXPECT_EQ(ItemCount(none), 0);

    // "(" not after an item is a caption; ")" at the top level ends the list.
    const char* const stray[] = {"(", "A", ")", "B", ""};
    Menu* parsed = NewMenu(nullptr, stray, {});
    ASSERT_EQ(ItemCount(parsed), 2);
    EXPECT_EQ(FindItem(parsed, 0)->Caption(), "(");
    EXPECT_EQ(FindItem(parsed, 1)->Caption(), "A");

    // Without an end mark the template ends with its last string.
    const char* const unterminated[] = {"Top", "(", "Inner"};
    Menu* open = NewMenu(nullptr, unterminated, {});
    EXPECT_EQ(ItemCount(open), 2);
    EXPECT_EQ(FindItem(open, 1)->Parent(), FindItem(open, 0));

    Free(empty);
    Free(none);
    Free(parsed);
    Free(open);
}

TEST_F(MenuTemplateTest, ItemRecordSizeFollowsThePlatformVersion) {
    struct Case {
        DWORD platform, major, minor;
        UINT size;
    };
    const Case cases[] = {
        {VER_PLATFORM_WIN32s, 3, 10, 44},        {VER_PLATFORM_WIN32_WINDOWS, 4, 0, 44},
        {VER_PLATFORM_WIN32_WINDOWS, 4, 10, 48}, {VER_PLATFORM_WIN32_WINDOWS, 4, 90, 48},
        {VER_PLATFORM_WIN32_NT, 4, 0, 44},       {VER_PLATFORM_WIN32_NT, 5, 0, 48},
        {VER_PLATFORM_WIN32_NT, 10, 0, 48},
    };
    for (const Case& c : cases) {
        OSVERSIONINFOA version{};
        version.dwPlatformId = c.platform;
        version.dwMajorVersion = c.major;
        version.dwMinorVersion = c.minor;
        EXPECT_EQ(MenuItemInfoSize(version), c.size)
            << c.platform << " " << c.major << "." << c.minor;
    }
}

TEST_F(MenuTemplateTest, FirstMenuOfAFormIsItsMenuBarLaterOnesArePopups) {
    Control* form = NewForm(nullptr, "Menus");
    Menu* bar = NewMenu(form, kFileMenu, {});
    const char* const extra[] = {"Cut", "Paste", ""};
    Menu* popup = NewMenu(form, extra, {});
    WatchDestroy(bar, "bar");
    WatchDestroy(popup, "popup");

    EXPECT_EQ(form->FirstMenu(), bar);
    EXPECT_EQ(bar->NextMenu(), popup);
    EXPECT_EQ(bar->Owner(), form);
    EXPECT_EQ(form->MenuHandle(), bar->Handle());
    EXPECT_TRUE(form->HasHandler(MenuDispatch));
    // The window made later carries the menu bar.
    HWND window = form->WindowHandle();
    ASSERT_NE(window, nullptr);
    EXPECT_EQ(GetMenu(window), bar->Handle());

    Free(form);
    EXPECT_EQ(DestroyedNames(), (std::vector<std::string>{"bar", "popup"}));
}

TEST_F(MenuTemplateTest, FreeingTheMenuBarTakesItOffTheWindowWithTheChainedMenus) {
    Control* form = NewForm(nullptr, "Menus");
    HWND window = form->WindowHandle();
    Menu* bar = NewMenu(form, kFileMenu, {});
    EXPECT_EQ(GetMenu(window), bar->Handle());
    const char* const extra[] = {"Cut", ""};
    Menu* popup = NewMenu(form, extra, {});
    WatchDestroy(popup, "popup");

    Free(bar);
    EXPECT_EQ(GetMenu(window), nullptr);
    EXPECT_EQ(form->MenuHandle(), nullptr);
    EXPECT_EQ(form->FirstMenu(), nullptr);
    EXPECT_EQ(DestroyedNames(), (std::vector<std::string>{"popup"}));
    Free(form);
}

TEST_F(MenuTemplateTest, FreeingAnItemRemovesItsPlatformEntry) {
    Menu* menu = NewMenu(nullptr, kFileMenu, {});
    Menu* file = FindItem(menu, 0);
    Free(FindItem(menu, 2));
    EXPECT_EQ(GetMenuItemCount(file->Handle()), 2);
    EXPECT_EQ(FindItem(menu, 2)->Caption(), "Exit");
    EXPECT_EQ(ItemCount(menu), 4);
    Free(menu);
}

} // namespace
} // namespace gleamkit::winkit
