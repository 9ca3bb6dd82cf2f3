// Accelerator tables and TranslateAcceleratorA: a key (or character) that
// matches an entry, with exactly the entry's Shift, Ctrl and Alt, sends
// WM_COMMAND with high word 1 to the window, unless the command is a grayed
// item of the window's menu, which takes the key and sends nothing.
#include "platform/backend/native_events.h"
#include "platform/user/window_state.h"

#include <algorithm>
#include <vector>

namespace {

struct AcceleratorTable {
    std::vector<ACCEL> entries;
};

HandleTable<AcceleratorTable>& Tables() {
    static HandleTable<AcceleratorTable> tables(HandleTag::Accelerator);
    return tables;
}

bool Matches(const ACCEL& entry, int key, bool virtualKey, bool shift, bool control, bool alt) {
    if (((entry.fVirt & FVIRTKEY) != 0) != virtualKey) return false;
    if (entry.key != key) return false;
    if (((entry.fVirt & FALT) != 0) != alt) return false;
    if (!virtualKey) return true; // a character already carries Shift and Ctrl
    return ((entry.fVirt & FSHIFT) != 0) == shift && ((entry.fVirt & FCONTROL) != 0) == control;
}

const ACCEL* FindEntry(const AcceleratorTable& table, int key, bool virtualKey, bool shift,
                       bool control, bool alt) {
    for (const ACCEL& entry : table.entries) {
        if (Matches(entry, key, virtualKey, shift, control, alt)) return &entry;
    }
    return nullptr;
}

} // namespace

using namespace user_detail;

HACCEL CreateAcceleratorTableA(const ACCEL* entries, int count) {
    if (entries == nullptr || count <= 0) return nullptr;
    auto table = std::make_unique<AcceleratorTable>();
    table->entries.assign(entries, entries + count);
    return reinterpret_cast<HACCEL>(Tables().Insert(std::move(table)));
}

BOOL DestroyAcceleratorTable(HACCEL table) {
    return Tables().Remove(reinterpret_cast<uintptr_t>(table)) != nullptr ? TRUE : FALSE;
}

int CopyAcceleratorTableA(HACCEL table, ACCEL* entries, int count) {
    const AcceleratorTable* record = Tables().Find(reinterpret_cast<uintptr_t>(table));
    if (record == nullptr) return 0;
    const int size = static_cast<int>(record->entries.size());
    if (entries == nullptr) return size;
    const int copied = std::clamp(count, 0, size);
    std::copy_n(record->entries.begin(), copied, entries);
    return copied;
}

int TranslateAcceleratorA(HWND hwnd, HACCEL table, MSG* msg) {
    const AcceleratorTable* record = Tables().Find(reinterpret_cast<uintptr_t>(table));
    if (record == nullptr || msg == nullptr || !IsWindow(hwnd)) return 0;
    const bool keyDown = msg->message == WM_KEYDOWN || msg->message == WM_SYSKEYDOWN;
    const bool character = msg->message == WM_CHAR || msg->message == WM_SYSCHAR;
    if (!keyDown && !character) return 0;
    const bool shift = (GetKeyState(VK_SHIFT) & 0x8000) != 0;
    const bool control = (GetKeyState(VK_CONTROL) & 0x8000) != 0;
    const bool alt = (GetKeyState(VK_MENU) & 0x8000) != 0;
    const ACCEL* entry =
        FindEntry(*record, static_cast<int>(msg->wParam), keyDown, shift, control, alt);
    if (entry == nullptr) return 0;
    bool grayed = false;
    if (FindCommand(GetMenu(TopLevelOf(hwnd)), entry->cmd, &grayed) && grayed) return 1;
    SendMessageA(hwnd, WM_COMMAND, MAKEWPARAM(entry->cmd, 1), 0);
    return 1;
}

bool gleamkit::backend::NativeKeyIsAccelerator(int virtualKey, UINT modifiers) noexcept {
    bool found = false;
    Tables().ForEach([&](uintptr_t, const AcceleratorTable* table) {
        found = found ||
                FindEntry(*table, virtualKey, true, (modifiers & kModShift) != 0,
                          (modifiers & kModControl) != 0, (modifiers & kModAlt) != 0) != nullptr;
    });
    return found;
}
