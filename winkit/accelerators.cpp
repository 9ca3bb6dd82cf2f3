// Keyboard shortcuts of menu items: the accelerator table a control builds
// from all its menus, and the key translation that turns a shortcut into the
// item's WM_COMMAND.
#include <array>
#include <memory>

#include "winkit/application.h"
#include "winkit/menu.h"

namespace gleamkit::winkit {

namespace {

constexpr size_t kMaxAcceleratorEntries = 1000;

struct EntryBuffer {
    std::array<ACCEL, kMaxAcceleratorEntries> Entries{};
    size_t Count = 0;
};

// Appends the shortcuts of `menu`'s items in item-index order (pre-order).
void CollectEntries(Menu* menu, EntryBuffer& buffer) {
    for (int32_t i = 0; i < menu->DirectItemCount(); ++i) {
        if (buffer.Count == kMaxAcceleratorEntries) return;
        Menu* item = menu->DirectItem(i);
        if (item->AcceleratorFlags() != 0 || item->AcceleratorKey() != 0) {
            ACCEL& entry = buffer.Entries[buffer.Count++];
            entry.fVirt = item->AcceleratorFlags();
            entry.key = item->AcceleratorKey();
            entry.cmd = static_cast<WORD>(item->CommandId() & 0xFFFF);
        }
        CollectEntries(item, buffer);
    }
}

bool Translate(Control* control, MSG& message) {
    if (!control || !control->AcceleratorTable() || !control->Handle()) return false;
    return TranslateAcceleratorA(control->Handle(), control->AcceleratorTable(), &message) != 0;
}

// The kit's key translation: the control's own table, then its current
// control's, then its form's; the first that translates takes the key.
bool TranslateKeys(Control& control, KitMessage& message) {
    MSG platformMessage{};
    platformMessage.hwnd = message.Window;
    platformMessage.message = message.Message;
    platformMessage.wParam = message.WParam;
    platformMessage.lParam = message.LParam;
    if (Translate(&control, platformMessage)) return true;
    if (Translate(control.CurrentControl(), platformMessage)) return true;
    Control* form = control.ParentForm();
    return form != &control && Translate(form, platformMessage);
}

void RebuildAcceleratorTable(Control& owner) {
    if (owner.AcceleratorTable()) DestroyAcceleratorTable(owner.AcceleratorTable());
    owner.SetAcceleratorTable(nullptr);
    auto buffer = std::make_unique<EntryBuffer>();
    for (Menu* root = owner.FirstMenu(); root; root = root->NextMenu())
        CollectEntries(root, *buffer);
    if (buffer->Count == 0) return;
    owner.SetAcceleratorTable(
        CreateAcceleratorTableA(buffer->Entries.data(), static_cast<int>(buffer->Count)));
    if (owner.ParentForm()) InstallKeyTranslationHook(TranslateKeys);
}

} // namespace

void SetItemAccelerator(Menu* menu, int32_t number, uint32_t accelerator) {
    Menu* item = FindItem(menu, number);
    if (!item) return;
    const auto flags = static_cast<uint8_t>(accelerator & 0xFF);
    const auto key = static_cast<uint16_t>((accelerator >> 8) & 0xFFFF);
    if (item->m_acceleratorFlags == flags && item->m_acceleratorKey == key) return;
    item->m_acceleratorFlags = flags;
    item->m_acceleratorKey = key;

    Menu* root = item;
    while (root->m_parent) root = root->m_parent;
    if (root->m_owner) RebuildAcceleratorTable(*root->m_owner);
}

} // namespace gleamkit::winkit
