// Building a menu from its string template: the root, one Menu per template
// string (separators and sub-menu parents included), the platform menus they
// are inserted into, command identifiers and radio groups.
#include <cstring>

#include "base/kit_list.h"
#include "winkit/menu.h"

namespace gleamkit::winkit {

namespace {

uint32_t g_nextCommandId = kFirstCommandId;

// Item data marks of check and radio items, kept with the platform item.
constexpr ULONG_PTR kCheckItemData = 0x40000000;
constexpr ULONG_PTR kRadioItemData = 0x80000000;

constexpr UINT kItemInfoMask = MIIM_STATE | MIIM_ID | MIIM_SUBMENU | MIIM_TYPE | MIIM_DATA;

} // namespace

UINT CurrentMenuItemInfoSize() {
    static const UINT size = [] {
        OSVERSIONINFOA version{};
        version.dwOSVersionInfoSize = sizeof(version);
        // A failed query leaves the record zero, which classifies as the
        // oldest platform and so the smaller record.
        GetVersionExA(&version);
        return MenuItemInfoSize(version);
    }();
    return size;
}

namespace {

bool IsEnd(const char* text) {
    return !text || text[0] == '\0';
}

} // namespace

UINT MenuItemInfoSize(const OSVERSIONINFOA& version) {
    bool recent = false;
    if (version.dwPlatformId == VER_PLATFORM_WIN32_WINDOWS)
        recent = version.dwMajorVersion > 4 ||
                 (version.dwMajorVersion == 4 && version.dwMinorVersion >= 10);
    else if (version.dwPlatformId == VER_PLATFORM_WIN32_NT)
        recent = version.dwMajorVersion >= 5;
    return recent ? 48 : 44;
}

uint32_t NextCommandId() {
    return g_nextCommandId;
}

Menu::Menu() : m_items(NewKitList()) {}

// Parses the template from `index` into `parent`; answers the index after
// what it consumed (after the ")" that closes this level, or at the end mark).
int32_t ParseTemplate(Menu& parent, HMENU parentMenu, MenuTemplate strings, int32_t index) {
    const int32_t last = static_cast<int32_t>(strings.size()) - 1;
    Menu* previous = nullptr;
    while (index <= last) {
        const char* text = strings[static_cast<size_t>(index)];
        if (IsEnd(text)) return index;
        if (std::strcmp(text, ")") == 0) return index + 1;

        auto* item = new Menu();
        item->m_parent = &parent;
        parent.m_items->Add(item);

        MENUITEMINFOA info{};
        info.cbSize = CurrentMenuItemInfoSize();
        info.fMask = kItemInfoMask;
        if (std::strcmp(text, "-") == 0) {
            item->m_isSeparator = true;
            info.fType = MFT_SEPARATOR;
            info.fState = kItemGrayed;
        } else {
            if (text[0] == '-' || text[0] == '+') {
                item->m_isCheckItem = true;
                info.dwItemData = kCheckItemData;
                if (text[0] == '+') info.fState = MFS_CHECKED;
                ++text;
            }
            if (text[0] == '!') {
                info.fType = MFT_RADIOCHECK;
                info.dwItemData |= kRadioItemData;
                ++text;
                item->m_radioSet = previous && previous->m_radioSet != 0 ? previous->m_radioSet : 0;
                if (item->m_radioSet == 0) item->m_radioSet = 1;
                if (text[0] == '!') {
                    ++text;
                    ++item->m_radioSet;
                }
            }
            item->m_caption = text;
        }
        item->m_commandId = g_nextCommandId++;
        info.wID = item->m_commandId;
        if (index < last) {
            const char* next = strings[static_cast<size_t>(index) + 1];
            if (next && std::strcmp(next, "(") == 0) item->m_handle = CreatePopupMenu();
        }
        info.hSubMenu = item->m_handle;
        info.dwTypeData = const_cast<char*>(item->m_caption.c_str());
        info.cch = static_cast<UINT>(item->m_caption.size());
        InsertMenuItemA(parentMenu, static_cast<UINT>(-1), TRUE, &info);

        if (item->m_handle)
            index = ParseTemplate(*item, item->m_handle, strings, index + 2);
        else
            index = index + 1;
        previous = item;
    }
    return index;
}

Menu* NewMenu(Control* owner, MenuTemplate strings, ItemChosenEvent commonHandler) {
    auto* root = new Menu();
    root->OnItemChosen = commonHandler;
    if (!strings.empty() && strings[0]) {
        const bool menuBar = owner && owner->IsForm() && !owner->FirstMenu();
        root->m_handle = menuBar ? CreateMenu() : CreatePopupMenu();
        ParseTemplate(*root, root->m_handle, strings, 0);
    }
    if (!owner) return root;

    root->m_owner = owner;
    if (Menu* chain = owner->FirstMenu()) {
        while (chain->m_nextMenu) chain = chain->m_nextMenu;
        chain->m_nextMenu = root;
        return root;
    }
    if (owner->IsForm()) {
        owner->SetMenuHandle(root->m_handle);
        if (owner->Handle()) SetMenu(owner->Handle(), root->m_handle);
    }
    owner->SetFirstMenu(root);
    owner->AttachHandler(MenuDispatch);
    return root;
}

} // namespace gleamkit::winkit
