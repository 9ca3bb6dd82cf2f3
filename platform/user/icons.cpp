// Cursors and icons. The platform's own ones (IDC_*, IDI_*) are shared: one
// handle per name, never destroyed. Copies (CopyImage) are the program's own
// and go with DestroyIcon / DestroyCursor. The program carries no resources,
// so a named resource of the program is never found.
#include "platform/user/icons.h"

#include "platform/gdi/gdi_surface.h"
#include "platform/handle_table.h"
#include "platform/user/user.h"

#include <map>
#include <memory>

namespace {

struct IconRecord {
    WORD systemId = 0;
    bool cursor = false;
    bool shared = false;
};

HandleTable<IconRecord>& Icons() {
    static HandleTable<IconRecord> icons = [] {
        // An icon exists only after this table does, so CopyImage can reach
        // the copier whenever it is handed one.
        GdiSetIconCopier(UserCopyIcon);
        return HandleTable<IconRecord>(HandleTag::Icon);
    }();
    return icons;
}

HICON SharedIcon(LPCSTR name, bool cursor) {
    if (!IS_INTRESOURCE(name)) return nullptr;
    const WORD id = static_cast<WORD>(reinterpret_cast<uintptr_t>(name));
    const bool known = cursor ? (id >= 32512 && id <= 32516) || (id >= 32640 && id <= 32651)
                              : (id >= 32512 && id <= 32518);
    if (!known) return nullptr;
    static std::map<std::pair<bool, WORD>, HICON> made;
    HICON& icon = made[{cursor, id}];
    if (Icons().Find(reinterpret_cast<uintptr_t>(icon)) == nullptr) {
        auto record = std::make_unique<IconRecord>(IconRecord{id, cursor, true});
        icon = reinterpret_cast<HICON>(Icons().Insert(std::move(record)));
    }
    return icon;
}

BOOL DestroyOwn(HICON icon, bool cursor) {
    const IconRecord* record = Icons().Find(reinterpret_cast<uintptr_t>(icon));
    if (record == nullptr || record->cursor != cursor) return FALSE;
    if (!record->shared) Icons().Remove(reinterpret_cast<uintptr_t>(icon));
    return TRUE;
}

} // namespace

HANDLE UserCopyIcon(HANDLE image, UINT type) {
    const IconRecord* record = Icons().Find(reinterpret_cast<uintptr_t>(image));
    if (record == nullptr || record->cursor != (type == IMAGE_CURSOR)) return nullptr;
    auto copy = std::make_unique<IconRecord>(IconRecord{record->systemId, record->cursor, false});
    return reinterpret_cast<HANDLE>(Icons().Insert(std::move(copy)));
}

bool UserIsIcon(HANDLE handle) {
    return Icons().Find(reinterpret_cast<uintptr_t>(handle));
}

HCURSOR LoadCursorA(HINSTANCE instance, LPCSTR name) {
    return instance == nullptr ? SharedIcon(name, true) : nullptr;
}

HICON LoadIconA(HINSTANCE instance, LPCSTR name) {
    return instance == nullptr ? SharedIcon(name, false) : nullptr;
}

BOOL DestroyIcon(HICON icon) {
    return DestroyOwn(icon, false);
}

BOOL DestroyCursor(HCURSOR cursor) {
    return DestroyOwn(cursor, true);
}
