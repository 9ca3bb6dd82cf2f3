// Finding menu items by number, their state bits (enabled, checked) as the
// platform keeps them, handlers, and menu destruction.
#include "base/kit_list.h"
#include "winkit/application.h"
#include "winkit/menu.h"

namespace gleamkit::winkit {

namespace {

// Pre-order walk with the item counter: -1 for the menu walked from, +1
// before each item.
template <typename Match> Menu* Walk(Menu* menu, int32_t& counter, const Match& match) {
    if (match(menu, counter)) return menu;
    for (int32_t i = 0; i < menu->DirectItemCount(); ++i) {
        ++counter;
        if (Menu* found = Walk(menu->DirectItem(i), counter, match)) return found;
    }
    return nullptr;
}

bool ReadPlatformState(Menu* item, MENUITEMINFOA& info) {
    if (!item->Parent()) return false;
    info = MENUITEMINFOA{};
    info.cbSize = CurrentMenuItemInfoSize();
    info.fMask = MIIM_STATE;
    return GetMenuItemInfoA(item->Parent()->Handle(), item->CommandId(), FALSE, &info) != 0;
}

// An item directly on the menu bar of its form: a change shows only after
// the bar is redrawn.
HWND MenuBarWindow(Menu* item) {
    Menu* root = item->Parent();
    if (!root || root->Parent()) return nullptr;
    Control* owner = root->Owner();
    if (!owner || owner->FirstMenu() != root || !owner->IsForm()) return nullptr;
    return owner->Handle();
}

} // namespace

int32_t Menu::DirectItemCount() const {
    return m_items ? m_items->Count() : 0;
}

Menu* Menu::DirectItem(int32_t index) const {
    return m_items ? static_cast<Menu*>(m_items->ItemAt(index)) : nullptr;
}

Menu* FindItem(Menu* menu, int32_t number) {
    if (!menu) return nullptr;
    const auto wanted = static_cast<uint32_t>(number);
    int32_t counter = -1;
    return Walk(menu, counter, [&](Menu* candidate, int32_t index) {
        return index == number || (wanted >= kFirstCommandId && candidate->CommandId() == wanted);
    });
}

int32_t IndexOfItem(Menu* root, Menu* item) {
    if (!root) return -2;
    int32_t counter = -1;
    return Walk(root, counter, [&](Menu* candidate, int32_t) { return candidate == item; })
               ? counter
               : -2;
}

int32_t ItemCount(Menu* menu) {
    if (!menu) return 0;
    int32_t count = 0;
    for (int32_t i = 0; i < menu->DirectItemCount(); ++i)
        count += 1 + ItemCount(menu->DirectItem(i));
    return count;
}

void SetItemHandlers(Menu* menu, int32_t first, std::span<const ItemChosenEvent> handlers) {
    for (size_t i = 0; i < handlers.size(); ++i) {
        Menu* item = FindItem(menu, first + static_cast<int32_t>(i));
        if (!item) return;
        item->OnItemChosen = handlers[i];
    }
}

void Menu::RefreshState() {
    MENUITEMINFOA info;
    if (ReadPlatformState(this, info)) m_stateFlags = info.fState;
}

bool ItemState(Menu* item, uint32_t flag) {
    if (!item) return false;
    item->RefreshState();
    const bool set = (item->m_stateFlags & flag) != 0;
    return (flag & kInvertedSense) ? !set : set;
}

void SetItemState(Menu* item, uint32_t flag, bool value) {
    if (!item) return;
    item->RefreshState();
    const bool inverted = (flag & kInvertedSense) != 0;
    if (value != inverted)
        item->m_stateFlags |= flag & ~kInvertedSense;
    else
        item->m_stateFlags &= ~flag;
    MENUITEMINFOA info;
    if (!ReadPlatformState(item, info)) return;
    info.fState = item->m_stateFlags;
    if (!SetMenuItemInfoA(item->Parent()->Handle(), item->CommandId(), FALSE, &info)) return;
    if (HWND bar = MenuBarWindow(item)) {
        if (!Terminated()) DrawMenuBar(bar);
    }
}

void SetItemEnabled(Menu* menu, int32_t number, bool enabled) {
    if (Menu* item = FindItem(menu, number)) SetItemState(item, kItemEnabled, enabled);
}

void Menu::LeaveOwnerChain() {
    if (!m_owner) return;
    if (m_owner->FirstMenu() == this) {
        m_owner->SetFirstMenu(nullptr);
        return;
    }
    for (Menu* menu = m_owner->FirstMenu(); menu; menu = menu->m_nextMenu) {
        if (menu->m_nextMenu == this) {
            menu->m_nextMenu = nullptr;
            return;
        }
    }
}

void Menu::Destroy() {
    KitObject::Destroy();
    while (DirectItemCount() > 0) Free(DirectItem(DirectItemCount() - 1));
    if (m_parent) {
        RemoveMenu(m_parent->m_handle, m_commandId, MF_BYCOMMAND);
        HWND bar = MenuBarWindow(this);
        m_parent->m_items->Remove(this);
        if (bar) DrawMenuBar(bar);
    }
    if (m_owner && m_handle && m_handle == m_owner->MenuHandle()) {
        if (m_owner->Handle()) SetMenu(m_owner->Handle(), nullptr);
        m_owner->SetMenuHandle(nullptr);
    }
    if (m_handle) DestroyMenu(m_handle);
    m_handle = nullptr;
    // A root takes the menus chained after it along.
    LeaveOwnerChain();
    Menu* next = m_nextMenu;
    m_nextMenu = nullptr;
    Free(next);
    FreeAndNull(m_items);
}

} // namespace gleamkit::winkit
