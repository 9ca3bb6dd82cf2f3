// Menus built from a string template and addressed by item number.
//
// A template is a flat list of strings: "(" opens the sub-menu of the entry
// before it, ")" closes it, "-" is a separator, a leading "+" or "-" makes a
// check item (checked or not), a check mark followed by "!" a radio item ("!!"
// starts a new radio group), and the empty string (or none) ends the list.
// Items are numbered 0, 1, 2, ... in template order (every string but "(" and
// ")" counts); each also gets a program-wide command identifier from 4096 up.
//
// Usage:
//   const char* const strings[] = {"File", "(", "Open...\tCtrl+O", "-", "Exit", ")", ""};
//   Menu* menu = NewMenu(form, strings, {});
//   SetItemHandlers(menu, 1, {{OnOpen, data}});
//   SetItemAccelerator(menu, 1, PackAccelerator(FVIRTKEY | FCONTROL, 'O'));
// Choosing item 1 (or pressing Ctrl+O) calls OnOpen(data, menu, 1). A form
// frees its menus when it is destroyed.
#pragma once

#include <cstdint>
#include <span>
#include <string>

#include "base/event.h"
#include "base/kit_object.h"
#include "platform/win32.h"
#include "winkit/control.h"

namespace gleamkit {
class KitList;
}

namespace gleamkit::winkit {

// The strings of a menu template (see above); its last index is size - 1.
using MenuTemplate = std::span<const char* const>;

// The menu event: (data, sender = the root Menu, item index).
using ItemChosenEvent = Event<int32_t>;

// Platform state bits of an item, and the inverted-sense marker.
inline constexpr uint32_t kItemGrayed = 3;  // MFS_GRAYED
inline constexpr uint32_t kItemChecked = 8; // MFS_CHECKED
inline constexpr uint32_t kInvertedSense = 0x80000000;
// SetItemEnabled's flag: MFS_GRAYED with inverted sense.
inline constexpr uint32_t kItemEnabled = kInvertedSense | kItemGrayed;

// The first command identifier of a program run; numbers below it are item
// indices, numbers from it up are command identifiers.
inline constexpr uint32_t kFirstCommandId = 4096;

// One type for a whole menu (the root) and for each of its items.
class Menu : public KitObject {
public:
    // Root: its menu bar or pop-up menu. Item: its sub-menu, or none.
    HMENU Handle() const { return m_handle; }
    // The identifier WM_COMMAND carries (its low 16 bits); 0 for the root.
    uint32_t CommandId() const { return m_commandId; }
    // The menu or item this item belongs to; none for the root.
    Menu* Parent() const { return m_parent; }
    // Root only: the control the menu was made for.
    Control* Owner() const { return m_owner; }
    // Root only: the next menu attached to the same control.
    Menu* NextMenu() const { return m_nextMenu; }
    // Radio group number; 0 for items that are not radio items.
    int32_t RadioSet() const { return m_radioSet; }
    bool IsCheckItem() const { return m_isCheckItem; }
    bool IsSeparator() const { return m_isSeparator; }
    // The caption after any marks (a tab separates the shortcut text).
    const std::string& Caption() const { return m_caption; }
    // The direct items, in template order.
    int32_t DirectItemCount() const;
    Menu* DirectItem(int32_t index) const;
    // Root only: true while a handler runs for a command from an accelerator.
    bool FromAccelerator() const { return m_fromAccelerator; }
    // The state bits as last read from the platform.
    uint32_t MenuStateFlags() const { return m_stateFlags; }
    // The keyboard shortcut: ACCEL modifier flags and virtual key; 0 for none.
    uint8_t AcceleratorFlags() const { return m_acceleratorFlags; }
    uint16_t AcceleratorKey() const { return m_acceleratorKey; }

    // Item: its handler. Root: the common handler of items without one.
    ItemChosenEvent OnItemChosen;

protected:
    // Destroys the items (last first), each leaving its platform menu; takes
    // the menu off its owner's window, destroys the platform menu, and, for a
    // root, the menus chained after it.
    void Destroy() override;

private:
    friend Menu* NewMenu(Control* owner, MenuTemplate strings, ItemChosenEvent commonHandler);
    friend int32_t ParseTemplate(Menu& parent, HMENU parentMenu, MenuTemplate strings,
                                 int32_t index);
    friend void SetItemState(Menu* item, uint32_t flag, bool value);
    friend bool ItemState(Menu* item, uint32_t flag);
    friend void SetItemAccelerator(Menu* menu, int32_t number, uint32_t accelerator);
    friend bool MenuDispatch(Control& control, KitMessage& message, LRESULT& result);

    Menu();
    void RefreshState();
    void LeaveOwnerChain();

    HMENU m_handle = nullptr;
    uint32_t m_commandId = 0;
    Menu* m_parent = nullptr;
    Control* m_owner = nullptr;
    Menu* m_nextMenu = nullptr;
    int32_t m_radioSet = 0;
    bool m_isCheckItem = false;
    bool m_isSeparator = false;
    KitList* m_items = nullptr;
    bool m_fromAccelerator = false;
    uint32_t m_stateFlags = 0;
    std::string m_caption;
    uint8_t m_acceleratorFlags = 0;
    uint16_t m_acceleratorKey = 0;
};

// Builds a menu from `strings` (see above) and attaches it to `owner` (may be
// none). The first menu of a form becomes its menu bar (also set on its window
// when the window exists) and the form's WM_COMMAND messages reach the menu;
// later menus of the same control are pop-ups chained after the first. A
// template whose first string is none gives a root without a platform menu.
// Ownership: the owner frees its menus; a menu without owner is freed by the
// caller.
Menu* NewMenu(Control* owner, MenuTemplate strings, ItemChosenEvent commonHandler);

// The next command identifier to be given out (starts at 4096, only grows).
uint32_t NextCommandId();

// Item `number` of `menu`: an index relative to `menu` (-1 is `menu` itself)
// or, for numbers from 4096 up (compared unsigned), a command identifier.
// None when nothing matches.
Menu* FindItem(Menu* menu, int32_t number);
// The index of `item` under `root`; -1 for the root itself, -2 when the item
// is not in the root's tree.
int32_t IndexOfItem(Menu* root, Menu* item);
// The number of all items below `menu`, at every depth.
int32_t ItemCount(Menu* menu);

// Gives the items first, first + 1, ... the handlers in order; stops at the
// first number without an item.
void SetItemHandlers(Menu* menu, int32_t first, std::span<const ItemChosenEvent> handlers);

// Whether the state bits `flag` are set on the item (read from the platform
// first); a flag with bit 31 set asks the inverted question.
bool ItemState(Menu* item, uint32_t flag);
// Sets (value true) or clears the state bits `flag` of the item, inverted for
// a flag with bit 31 set, and writes them to the platform. A changed item
// directly on a form's menu bar has the bar redrawn.
void SetItemState(Menu* item, uint32_t flag, bool value);
// Enables or grays item `number`; a number without an item changes nothing.
void SetItemEnabled(Menu* menu, int32_t number, bool enabled);

// The accelerator value: modifier flags (FVIRTKEY 1, FNOINVERT 2, FSHIFT 4,
// FCONTROL 8, FALT 16) in bits 0-7, the virtual key in bits 8-23.
constexpr uint32_t PackAccelerator(uint32_t modifierFlags, uint32_t virtualKey) {
    return ((virtualKey * 256) & 0xFFFFFF) | (modifierFlags & 0xFF);
}
// Stores the accelerator in item `number` and rebuilds the owner's whole
// accelerator table from all its menus (up to 1000 entries, in menu order and
// item order). Nothing when the number has no item or the value is unchanged.
void SetItemAccelerator(Menu* menu, int32_t number, uint32_t accelerator);

// The handler NewMenu attaches to its form: a WM_COMMAND from a menu (high
// word 0) or an accelerator (high word 1) with lParam 0 whose identifier names
// an item of one of the form's menus moves the item's check or radio mark and
// then calls the item's handler (or the root's) with the item index.
bool MenuDispatch(Control& control, KitMessage& message, LRESULT& result);

// The MENUITEMINFOA size tag the platform version asks for: 48 on Windows 98,
// ME and NT 5 and later, 44 on Windows 95, Win32s and NT before 5.
UINT MenuItemInfoSize(const OSVERSIONINFOA& version);
// The size tag for the platform the program runs on (asked once).
UINT CurrentMenuItemInfoSize();

} // namespace gleamkit::winkit
