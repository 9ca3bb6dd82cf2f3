// Menus: the platform keeps each menu's items (type, state, id, sub-menu,
// data, text) and answers the MENUITEMINFOA calls. A menu bar is attached to
// one top-level window with SetMenu; the backend mirrors it natively and is
// told of every change below it.
#include "platform/backend/backend.h"
#include "platform/user/window_state.h"

#include <algorithm>
#include <cstring>

namespace user_detail {

namespace {

struct MenuItem {
    UINT type = MFT_STRING;
    UINT state = 0;
    UINT id = 0;
    HMENU subMenu = nullptr;
    HBITMAP checked = nullptr;
    HBITMAP unchecked = nullptr;
    HBITMAP bitmap = nullptr;
    ULONG_PTR data = 0;
    std::string text;
};

struct MenuRecord {
    bool popup = false;
    std::vector<MenuItem> items;
    HWND window = nullptr;  // the window whose menu bar this is
    HMENU parent = nullptr; // the menu holding this one as a sub-menu
};

HandleTable<MenuRecord>& Menus() {
    static HandleTable<MenuRecord> menus(HandleTag::Menu);
    return menus;
}

MenuRecord* FindMenu(HMENU menu) {
    return Menus().Find(reinterpret_cast<uintptr_t>(menu));
}

HMENU NewMenu(bool popup) {
    auto record = std::make_unique<MenuRecord>();
    record->popup = popup;
    return reinterpret_cast<HMENU>(Menus().Insert(std::move(record)));
}

// The menu and index of an item named by position or (searching sub-menus
// too) by command id.
bool Locate(HMENU menu, UINT item, bool byPosition, HMENU* owner, size_t* index) {
    MenuRecord* record = FindMenu(menu);
    if (record == nullptr) return false;
    if (byPosition) {
        if (item >= record->items.size()) return false;
        *owner = menu;
        *index = item;
        return true;
    }
    for (size_t i = 0; i < record->items.size(); ++i) {
        const MenuItem& entry = record->items[i];
        if (entry.subMenu == nullptr && entry.id == item) {
            *owner = menu;
            *index = i;
            return true;
        }
        if (entry.subMenu != nullptr && Locate(entry.subMenu, item, false, owner, index)) {
            return true;
        }
    }
    // A sub-menu parent may be named by its own id too.
    for (size_t i = 0; i < record->items.size(); ++i) {
        if (record->items[i].subMenu != nullptr && record->items[i].id == item) {
            *owner = menu;
            *index = i;
            return true;
        }
    }
    return false;
}

MenuItem* LocateItem(HMENU menu, UINT item, bool byPosition, HMENU* owner = nullptr) {
    HMENU found = nullptr;
    size_t index = 0;
    if (!Locate(menu, item, byPosition, &found, &index)) return nullptr;
    if (owner != nullptr) *owner = found;
    return &FindMenu(found)->items[index];
}

bool ValidInfoSize(UINT size) {
    return size == kMenuItemInfoSize95 || size == kMenuItemInfoSize98 ||
           size == sizeof(MENUITEMINFOA);
}

bool HasText(UINT type) {
    return (type & (MFT_BITMAP | MFT_SEPARATOR | MFT_OWNERDRAW)) == 0;
}

// Tells the backend that the menu bar holding `menu` changed, so its native
// mirror follows (Win32 shows such changes when the menu next opens).
void MenuContentChanged(HMENU menu) {
    for (int depth = 0; depth < 64 && menu != nullptr; ++depth) {
        const MenuRecord* record = FindMenu(menu);
        if (record == nullptr) return;
        if (record->window != nullptr) {
            gleamkit::backend::CurrentBackend().MenuChanged(record->window);
            return;
        }
        menu = record->parent;
    }
}

bool ApplyInfo(MenuItem& item, const MENUITEMINFOA& info) {
    const UINT mask = info.fMask;
    if ((mask & MIIM_SUBMENU) != 0 && info.hSubMenu != nullptr &&
        FindMenu(info.hSubMenu) == nullptr) {
        return false;
    }
    if ((mask & MIIM_TYPE) != 0) {
        item.type = info.fType;
        if (HasText(info.fType)) item.text = info.dwTypeData != nullptr ? info.dwTypeData : "";
        if ((info.fType & MFT_BITMAP) != 0) {
            item.bitmap = reinterpret_cast<HBITMAP>(info.dwTypeData);
        }
    }
    if ((mask & MIIM_FTYPE) != 0) item.type = info.fType;
    if ((mask & MIIM_STRING) != 0) item.text = info.dwTypeData != nullptr ? info.dwTypeData : "";
    if ((mask & MIIM_STATE) != 0) item.state = info.fState;
    if ((mask & MIIM_ID) != 0) item.id = info.wID;
    if ((mask & MIIM_SUBMENU) != 0) item.subMenu = info.hSubMenu;
    if ((mask & MIIM_CHECKMARKS) != 0) {
        item.checked = info.hbmpChecked;
        item.unchecked = info.hbmpUnchecked;
    }
    if ((mask & MIIM_DATA) != 0) item.data = info.dwItemData;
    if ((mask & MIIM_BITMAP) != 0 && info.cbSize >= kMenuItemInfoSize98) {
        item.bitmap = info.hbmpItem;
    }
    return true;
}

void CopyText(const std::string& text, MENUITEMINFOA& info) {
    if (info.dwTypeData != nullptr && info.cch > 0) {
        const size_t count = std::min<size_t>(text.size(), info.cch - 1);
        std::memcpy(info.dwTypeData, text.data(), count);
        info.dwTypeData[count] = '\0';
        info.cch = static_cast<UINT>(count);
    } else {
        info.cch = static_cast<UINT>(text.size());
    }
}

void FillInfo(const MenuItem& item, MENUITEMINFOA& info) {
    const UINT mask = info.fMask;
    if ((mask & (MIIM_TYPE | MIIM_FTYPE)) != 0) info.fType = item.type;
    if ((mask & MIIM_TYPE) != 0) {
        if (HasText(item.type)) {
            CopyText(item.text, info);
        } else if ((item.type & MFT_BITMAP) != 0) {
            info.dwTypeData = reinterpret_cast<LPSTR>(item.bitmap);
        }
    }
    if ((mask & MIIM_STRING) != 0) CopyText(item.text, info);
    if ((mask & MIIM_STATE) != 0) info.fState = item.state;
    if ((mask & MIIM_ID) != 0) info.wID = item.id;
    if ((mask & MIIM_SUBMENU) != 0) info.hSubMenu = item.subMenu;
    if ((mask & MIIM_CHECKMARKS) != 0) {
        info.hbmpChecked = item.checked;
        info.hbmpUnchecked = item.unchecked;
    }
    if ((mask & MIIM_DATA) != 0) info.dwItemData = item.data;
    if ((mask & MIIM_BITMAP) != 0 && info.cbSize >= kMenuItemInfoSize98) {
        info.hbmpItem = item.bitmap;
    }
}

} // namespace

bool IsMenu(HMENU menu) {
    return FindMenu(menu) != nullptr;
}

bool FindCommand(HMENU menu, UINT commandId, bool* grayed) {
    const MenuRecord* record = FindMenu(menu);
    if (record == nullptr) return false;
    for (const MenuItem& item : record->items) {
        if ((item.type & MFT_SEPARATOR) != 0) continue;
        const bool itemGrayed = (item.state & MFS_GRAYED) != 0;
        if (item.subMenu == nullptr && (item.id & 0xFFFF) == (commandId & 0xFFFF)) {
            *grayed = itemGrayed;
            return true;
        }
        if (item.subMenu != nullptr && FindCommand(item.subMenu, commandId, grayed)) {
            *grayed = *grayed || itemGrayed;
            return true;
        }
    }
    return false;
}

void DetachMenuFromWindow(HWND hwnd) {
    Window* window = FindWindowRecord(hwnd);
    if (window == nullptr || window->menu == nullptr) return;
    if (MenuRecord* record = FindMenu(window->menu)) record->window = nullptr;
    window->menu = nullptr;
}

} // namespace user_detail

using namespace user_detail;

HMENU CreateMenu() {
    return NewMenu(false);
}

HMENU CreatePopupMenu() {
    return NewMenu(true);
}

BOOL InsertMenuItemA(HMENU menu, UINT item, BOOL byPosition, const MENUITEMINFOA* info) {
    if (info == nullptr || !ValidInfoSize(info->cbSize)) return FALSE;
    HMENU target = menu;
    size_t index = 0;
    if (byPosition) {
        MenuRecord* record = FindMenu(menu);
        if (record == nullptr) return FALSE;
        index = std::min<size_t>(item, record->items.size());
    } else if (!Locate(menu, item, false, &target, &index)) {
        return FALSE;
    }
    MenuItem entry;
    if (!ApplyInfo(entry, *info)) return FALSE;
    MenuRecord* record = FindMenu(target);
    if (entry.subMenu != nullptr) FindMenu(entry.subMenu)->parent = target;
    record->items.insert(record->items.begin() + static_cast<std::ptrdiff_t>(index), entry);
    MenuContentChanged(target);
    return TRUE;
}

BOOL GetMenuItemInfoA(HMENU menu, UINT item, BOOL byPosition, MENUITEMINFOA* info) {
    if (info == nullptr || !ValidInfoSize(info->cbSize)) return FALSE;
    const MenuItem* entry = LocateItem(menu, item, byPosition != FALSE);
    if (entry == nullptr) return FALSE;
    FillInfo(*entry, *info);
    return TRUE;
}

BOOL SetMenuItemInfoA(HMENU menu, UINT item, BOOL byPosition, const MENUITEMINFOA* info) {
    if (info == nullptr || !ValidInfoSize(info->cbSize)) return FALSE;
    HMENU owner = nullptr;
    MenuItem* entry = LocateItem(menu, item, byPosition != FALSE, &owner);
    if (entry == nullptr) return FALSE;
    MenuItem changed = *entry;
    if (!ApplyInfo(changed, *info)) return FALSE;
    if (changed.subMenu != nullptr) FindMenu(changed.subMenu)->parent = owner;
    *entry = changed;
    MenuContentChanged(owner);
    return TRUE;
}

BOOL CheckMenuRadioItem(HMENU menu, UINT first, UINT last, UINT check, UINT flags) {
    const bool byPosition = (flags & MF_BYPOSITION) != 0;
    HMENU owner = nullptr;
    size_t firstIndex = 0;
    size_t lastIndex = 0;
    size_t checkIndex = 0;
    HMENU lastOwner = nullptr;
    HMENU checkOwner = nullptr;
    if (!Locate(menu, first, byPosition, &owner, &firstIndex) ||
        !Locate(menu, last, byPosition, &lastOwner, &lastIndex) ||
        !Locate(menu, check, byPosition, &checkOwner, &checkIndex) || lastOwner != owner ||
        checkOwner != owner || firstIndex > lastIndex || checkIndex < firstIndex ||
        checkIndex > lastIndex) {
        return FALSE;
    }
    MenuRecord* record = FindMenu(owner);
    for (size_t i = firstIndex; i <= lastIndex; ++i) {
        MenuItem& entry = record->items[i];
        if (i == checkIndex) {
            entry.state |= MFS_CHECKED;
            entry.type |= MFT_RADIOCHECK;
        } else {
            entry.state &= ~MFS_CHECKED;
        }
    }
    MenuContentChanged(owner);
    return TRUE;
}

BOOL RemoveMenu(HMENU menu, UINT item, UINT flags) {
    HMENU owner = nullptr;
    size_t index = 0;
    if (!Locate(menu, item, (flags & MF_BYPOSITION) != 0, &owner, &index)) return FALSE;
    MenuRecord* record = FindMenu(owner);
    if (MenuRecord* sub = FindMenu(record->items[index].subMenu)) sub->parent = nullptr;
    record->items.erase(record->items.begin() + static_cast<std::ptrdiff_t>(index));
    MenuContentChanged(owner);
    return TRUE;
}

BOOL DestroyMenu(HMENU menu) {
    MenuRecord* record = FindMenu(menu);
    if (record == nullptr) return FALSE;
    if (record->window != nullptr) DetachMenuFromWindow(record->window);
    std::vector<HMENU> subMenus;
    for (const MenuItem& item : record->items) {
        if (item.subMenu != nullptr) subMenus.push_back(item.subMenu);
    }
    Menus().Remove(reinterpret_cast<uintptr_t>(menu));
    for (HMENU sub : subMenus) DestroyMenu(sub);
    return TRUE;
}

int GetMenuItemCount(HMENU menu) {
    const MenuRecord* record = FindMenu(menu);
    return record == nullptr ? -1 : static_cast<int>(record->items.size());
}

UINT GetMenuItemID(HMENU menu, int position) {
    const MenuItem* item = LocateItem(menu, static_cast<UINT>(position), true);
    if (item == nullptr || item->subMenu != nullptr) return static_cast<UINT>(-1);
    return item->id;
}

HMENU GetSubMenu(HMENU menu, int position) {
    const MenuItem* item = LocateItem(menu, static_cast<UINT>(position), true);
    return item == nullptr ? nullptr : item->subMenu;
}

UINT GetMenuState(HMENU menu, UINT item, UINT flags) {
    const MenuItem* entry = LocateItem(menu, item, (flags & MF_BYPOSITION) != 0);
    if (entry == nullptr) return static_cast<UINT>(-1);
    UINT state = entry->state | entry->type;
    if (entry->subMenu != nullptr) {
        state |= MF_POPUP | (static_cast<UINT>(GetMenuItemCount(entry->subMenu)) << 8);
    }
    return state;
}

DWORD CheckMenuItem(HMENU menu, UINT item, UINT check) {
    HMENU owner = nullptr;
    MenuItem* entry = LocateItem(menu, item, (check & MF_BYPOSITION) != 0, &owner);
    if (entry == nullptr) return static_cast<DWORD>(-1);
    const DWORD previous = entry->state & MF_CHECKED;
    entry->state =
        (check & MF_CHECKED) != 0 ? (entry->state | MFS_CHECKED) : (entry->state & ~MFS_CHECKED);
    MenuContentChanged(owner);
    return previous;
}

BOOL EnableMenuItem(HMENU menu, UINT item, UINT enable) {
    HMENU owner = nullptr;
    MenuItem* entry = LocateItem(menu, item, (enable & MF_BYPOSITION) != 0, &owner);
    if (entry == nullptr) return -1;
    const BOOL previous = static_cast<BOOL>(entry->state & (MF_GRAYED | MF_DISABLED));
    entry->state = (entry->state & ~MFS_GRAYED) | (enable & (MF_GRAYED | MF_DISABLED));
    MenuContentChanged(owner);
    return previous;
}

BOOL SetMenu(HWND hwnd, HMENU menu) {
    Window* window = FindWindowRecord(hwnd);
    if (window == nullptr || window->parent != nullptr) return FALSE;
    MenuRecord* record = nullptr;
    if (menu != nullptr) {
        record = FindMenu(menu);
        if (record == nullptr) return FALSE;
    }
    const bool hadMenu = window->menu != nullptr;
    DetachMenuFromWindow(hwnd);
    window->menu = menu;
    if (record != nullptr) {
        if (record->window != nullptr && record->window != hwnd)
            DetachMenuFromWindow(record->window);
        record->window = hwnd;
    }
    NotifyMenuBar(hwnd);
    if (hadMenu != (menu != nullptr)) RecalcFrame(hwnd);
    return TRUE;
}

HMENU GetMenu(HWND hwnd) {
    const Window* window = FindWindowRecord(hwnd);
    if (window == nullptr || window->parent != nullptr) return nullptr;
    return window->menu;
}

BOOL DrawMenuBar(HWND hwnd) {
    const Window* window = FindWindowRecord(hwnd);
    if (window == nullptr || window->parent != nullptr) return FALSE;
    NotifyMenuBar(hwnd);
    return TRUE;
}

namespace user_detail {

void NotifyMenuBar(HWND hwnd) {
    const Window* window = FindWindowRecord(hwnd);
    if (window == nullptr) return;
    gleamkit::backend::CurrentBackend().MenuBarChanged(hwnd, window->menu);
}

} // namespace user_detail
