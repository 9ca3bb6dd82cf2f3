// Commands reaching menu handlers: check and radio marks, which WM_COMMAND
// messages the menu takes, accelerators and the table behind them, enabling
// and the menu bar redraw, handler assignment.
#include <vector>

#include "kit_test_support.h"
#include "winkit/menu.h"

namespace gleamkit::winkit {
namespace {

using testing::KitTest;

struct Choice {
    int32_t index;
    bool fromAccelerator;
    bool checkedWhenCalled;
};

std::vector<Choice> g_choices;

void RecordChoice(void*, KitObject* sender, int32_t index) {
    auto* root = static_cast<Menu*>(sender);
    g_choices.push_back(
        {index, root->FromAccelerator(), ItemState(FindItem(root, index), kItemChecked)});
}

const ItemChosenEvent kRecord{RecordChoice, nullptr};

constexpr const char* kFileMenu[] = {"File", "(", "Open bitmap...\tCtrl+O", "-", "Exit", ")",
                                     "Undo", ""};

class MenuDispatchTest : public KitTest {
protected:
    void SetUp() override {
        KitTest::SetUp();
        g_choices.clear();
    }
    void TearDown() override {
        Free(m_form);
        KitTest::TearDown();
    }

    Menu* MakeForm(MenuTemplate strings) {
        m_form = NewForm(nullptr, "Menus");
        Menu* menu = NewMenu(m_form, strings, kRecord);
        m_window = m_form->WindowHandle();
        return menu;
    }
    void Choose(Menu* item, WORD source = 0) {
        m_form->SendToSelf(WM_COMMAND, MAKEWPARAM(item->CommandId() & 0xFFFF, source), 0);
    }

    Control* m_form = nullptr;
    HWND m_window = nullptr;
};

TEST_F(MenuDispatchTest, CheckItemMarkTogglesBeforeItsHandlerRuns) {
    const char* const strings[] = {"View", "(", "+Grid", "-Rulers", ")", ""};
    Menu* menu = MakeForm(strings);
    Menu* grid = FindItem(menu, 1);
    Menu* rulers = FindItem(menu, 2);

    Choose(grid);
    EXPECT_FALSE(ItemState(grid, kItemChecked));
    Choose(grid);
    EXPECT_TRUE(ItemState(grid, kItemChecked));
    Choose(rulers);
    EXPECT_TRUE(ItemState(rulers, kItemChecked));
    ASSERT_EQ(g_choices.size(), 3u);
    EXPECT_EQ(g_choices[0].index, 1);
    EXPECT_FALSE(g_choices[0].checkedWhenCalled);
    EXPECT_TRUE(g_choices[1].checkedWhenCalled);
    EXPECT_EQ(g_choices[2].index, 2);
    EXPECT_TRUE(g_choices[2].checkedWhenCalled);
    // Plain items carry no mark.
    Choose(FindItem(menu, 0));
    EXPECT_FALSE(ItemState(FindItem(menu, 0), kItemChecked));
}

TEST_F(MenuDispatchTest, RadioItemIsCheckedOnlyWithinItsGroup) {
    const char* const strings[] = {"Options", "(", "-!Small", "-!Medium", "-!Large", "-!!Red",
                                   "-!Blue",  "-", "-!Alone", ")",        ""};
    Menu* menu = MakeForm(strings);
    auto checked = [&](int32_t index) { return ItemState(FindItem(menu, index), kItemChecked); };

    Choose(FindItem(menu, 4)); // Red, group 2
    Choose(FindItem(menu, 2)); // Medium, group 1
    EXPECT_FALSE(checked(1));
    EXPECT_TRUE(checked(2));
    EXPECT_FALSE(checked(3));
    EXPECT_TRUE(checked(4));
    EXPECT_FALSE(checked(5));

    Choose(FindItem(menu, 1)); // Small
    EXPECT_TRUE(checked(1));
    EXPECT_FALSE(checked(2));
    EXPECT_TRUE(checked(4));

    // A radio item alone in its run is simply checked (and stays checked).
    Choose(FindItem(menu, 7));
    Choose(FindItem(menu, 7));
    EXPECT_TRUE(checked(7));
    EXPECT_TRUE(checked(1));
}

TEST_F(MenuDispatchTest, CommandFromAControlIsNotTakenByTheMenu) {
    Menu* menu = MakeForm(kFileMenu);
    Control* child =
        NewChildControl(m_form, "Panel", WS_CHILD | WS_VISIBLE, Ctl3D::Off, &kLabelActions);
    int clicks = 0;
    child->OnClick = {[](void* data, KitObject*) { ++*static_cast<int*>(data); }, &clicks};
    HWND childWindow = child->WindowHandle();
    const WPARAM command = MAKEWPARAM(FindItem(menu, 1)->CommandId() & 0xFFFF, 0);

    m_form->SendToSelf(WM_COMMAND, command, reinterpret_cast<LPARAM>(childWindow));
    EXPECT_TRUE(g_choices.empty());
    // It went to the control instead, as a reflected click notification.
    EXPECT_EQ(clicks, 1);

    // Codes other than menu (0) and accelerator (1) are not the menu's either.
    m_form->SendToSelf(WM_COMMAND, MAKEWPARAM(FindItem(menu, 1)->CommandId() & 0xFFFF, 2), 0);
    EXPECT_TRUE(g_choices.empty());
    m_form->SendToSelf(WM_COMMAND, command, 0);
    ASSERT_EQ(g_choices.size(), 1u);
    EXPECT_EQ(g_choices[0].index, 1);
}

TEST_F(MenuDispatchTest, ItemHandlerWinsOverTheCommonHandlerAndAssignmentStopsAtTheEnd) {
    Menu* menu = MakeForm(kFileMenu);
    static std::vector<int32_t> own;
    own.clear();
    const ItemChosenEvent mine{[](void*, KitObject*, int32_t index) { own.push_back(index); },
                               nullptr};
    const ItemChosenEvent handlers[] = {mine, mine, mine};
    SetItemHandlers(menu, 3, handlers); // items 3 and 4; there is no item 5

    Choose(FindItem(menu, 3));
    Choose(FindItem(menu, 4));
    Choose(FindItem(menu, 1));
    EXPECT_EQ(own, (std::vector<int32_t>{3, 4}));
    ASSERT_EQ(g_choices.size(), 1u);
    EXPECT_EQ(g_choices[0].index, 1);
}

TEST_F(MenuDispatchTest, AcceleratorTableHoldsEveryShortcutInMenuOrder) {
    Menu* menu = MakeForm(kFileMenu);
    const char* const extra[] = {"Cut", "Paste", ""};
    Menu* popup = NewMenu(m_form, extra, {});
    EXPECT_EQ(PackAccelerator(9, 0x4F), 0x4F09u);
    EXPECT_EQ(PackAccelerator(0x1FF, 0x1FFFF), 0xFFFFFFu);

    SetItemAccelerator(popup, 1, PackAccelerator(FVIRTKEY | FCONTROL, 'V'));
    SetItemAccelerator(menu, 3, PackAccelerator(FVIRTKEY | FALT, VK_F1));
    SetItemAccelerator(menu, 1, PackAccelerator(FVIRTKEY | FCONTROL, 'O'));
    HACCEL table = m_form->AcceleratorTable();
    ASSERT_NE(table, nullptr);
    ACCEL entries[4] = {};
    ASSERT_EQ(CopyAcceleratorTableA(table, entries, 4), 3);
    const WORD open = FindItem(menu, 1)->CommandId() & 0xFFFF;
    EXPECT_EQ(entries[0].fVirt, 9);
    EXPECT_EQ(entries[0].key, 0x4F);
    EXPECT_EQ(entries[0].cmd, open);
    EXPECT_EQ(entries[1].cmd, FindItem(menu, 3)->CommandId() & 0xFFFF);
    EXPECT_EQ(entries[2].cmd, FindItem(popup, 1)->CommandId() & 0xFFFF);

    // The same value again changes nothing; clearing one rebuilds without it.
    SetItemAccelerator(menu, 1, PackAccelerator(FVIRTKEY | FCONTROL, 'O'));
    EXPECT_EQ(m_form->AcceleratorTable(), table);
    SetItemAccelerator(menu, 3, 0);
    EXPECT_EQ(CopyAcceleratorTableA(m_form->AcceleratorTable(), nullptr, 0), 2);
    SetItemAccelerator(menu, 1, 0);
    SetItemAccelerator(popup, 1, 0);
    EXPECT_EQ(m_form->AcceleratorTable(), nullptr);
    // A number without an item changes nothing.
    SetItemAccelerator(menu, 42, PackAccelerator(9, 'Q'));
    EXPECT_EQ(m_form->AcceleratorTable(), nullptr);
}

TEST_F(MenuDispatchTest, CtrlOReachesItemOneFromTheKeyboardAndFromTheMouse) {
    Menu* menu = MakeForm(kFileMenu);
    SetItemAccelerator(menu, 1, PackAccelerator(9, 0x4F));
    m_form->CreateWindowStep(); // shown, as Run would
    SetFocus(m_window);

    headless::PressKey('O', headless::kModControl);
    headless::RunPendingMessages();
    ASSERT_EQ(g_choices.size(), 1u);
    EXPECT_EQ(g_choices[0].index, 1);
    EXPECT_TRUE(g_choices[0].fromAccelerator);

    ASSERT_TRUE(headless::PickMenuItem(m_window, {"File", "Open bitmap..."}));
    headless::RunPendingMessages();
    ASSERT_EQ(g_choices.size(), 2u);
    EXPECT_EQ(g_choices[1].index, 1);
    EXPECT_FALSE(g_choices[1].fromAccelerator);

    // The plain key is no shortcut.
    headless::PressKey('O');
    headless::RunPendingMessages();
    EXPECT_EQ(g_choices.size(), 2u);
}

TEST_F(MenuDispatchTest, KeyForAControlWithoutFocusIsNotTranslated) {
    Menu* menu = MakeForm(kFileMenu);
    SetItemAccelerator(menu, 1, PackAccelerator(9, 0x4F));
    Control* child = NewChildControl(m_form, "Panel", WS_CHILD | WS_VISIBLE, Ctl3D::Off, nullptr);
    HWND childWindow = child->WindowHandle();
    m_form->CreateWindowStep();
    SetFocus(m_window);
    headless::KeyDown(VK_CONTROL);
    headless::RunPendingMessages();

    EXPECT_EQ(SendMessageA(childWindow, WM_KEYDOWN, 'O', 0), 0);
    EXPECT_TRUE(g_choices.empty());
    EXPECT_EQ(SendMessageA(m_window, WM_KEYDOWN, 'O', 0), 0);
    ASSERT_EQ(g_choices.size(), 1u);
    EXPECT_TRUE(g_choices[0].fromAccelerator);
    headless::KeyUp(VK_CONTROL);
    headless::RunPendingMessages();
}

TEST_F(MenuDispatchTest, DisablingATopLevelItemRedrawsTheMenuBarASubMenuItemDoesNot) {
    Menu* menu = MakeForm(kFileMenu);
    const int before = headless::MenuBarRedraws(m_window);

    SetItemEnabled(menu, 4, false);
    EXPECT_FALSE(ItemState(FindItem(menu, 4), kItemEnabled));
    EXPECT_TRUE(ItemState(FindItem(menu, 4), kItemGrayed));
    EXPECT_EQ(headless::MenuBarRedraws(m_window), before + 1);

    SetItemEnabled(menu, 1, false);
    EXPECT_FALSE(ItemState(FindItem(menu, 1), kItemEnabled));
    EXPECT_EQ(headless::MenuBarRedraws(m_window), before + 1);

    // A grayed item cannot be picked; enabled again, it can.
    EXPECT_FALSE(headless::PickMenuItem(m_window, {"Undo"}));
    SetItemEnabled(menu, 4, true);
    EXPECT_EQ(headless::MenuBarRedraws(m_window), before + 2);
    EXPECT_TRUE(headless::PickMenuItem(m_window, {"Undo"}));
    headless::RunPendingMessages();
    ASSERT_EQ(g_choices.size(), 1u);
    EXPECT_EQ(g_choices[0].index, 4);

    SetItemEnabled(menu, 99, false); // no such item: nothing happens
}

} // namespace
} // namespace gleamkit::winkit
