// Turning a menu or accelerator WM_COMMAND into a call of the chosen item's
// handler, after moving the item's check or radio mark (so the handler sees
// the new state).
#include "winkit/menu.h"

namespace gleamkit::winkit {

namespace {

constexpr WORD kFromMenu = 0;
constexpr WORD kFromAccelerator = 1;
// CheckMenuRadioItem flags: no MF_BYPOSITION bit, so the platform reads the
// three numbers as command identifiers.
constexpr UINT kRadioByCommand = 8;

// Checks `item` within the unbroken run of siblings of its radio group.
void CheckRadioItem(Menu* item) {
    Menu* parent = item->Parent();
    int32_t position = 0;
    while (parent->DirectItem(position) != item) ++position;
    int32_t first = position;
    int32_t last = position;
    while (first > 0 && parent->DirectItem(first - 1)->RadioSet() == item->RadioSet()) --first;
    while (last + 1 < parent->DirectItemCount() &&
           parent->DirectItem(last + 1)->RadioSet() == item->RadioSet())
        ++last;
    if (last > first) {
        CheckMenuRadioItem(parent->Handle(), parent->DirectItem(first)->CommandId(),
                           parent->DirectItem(last)->CommandId(), item->CommandId(),
                           kRadioByCommand);
    } else {
        SetItemState(item, kItemChecked, true);
    }
}

} // namespace

bool MenuDispatch(Control& control, KitMessage& message, LRESULT& result) {
    if (message.Message != WM_COMMAND || message.LParam != 0) return false;
    const WORD source = HIWORD(message.WParam);
    if (source != kFromMenu && source != kFromAccelerator) return false;

    const int32_t number = LOWORD(message.WParam);
    Menu* root = control.FirstMenu();
    Menu* item = nullptr;
    for (; root; root = root->NextMenu()) {
        item = FindItem(root, number);
        if (item) break;
    }
    if (!item) return false;

    result = 0;
    const int32_t index = IndexOfItem(root, item);
    root->m_fromAccelerator = source == kFromAccelerator;
    if (item->RadioSet() != 0 && item->Parent())
        CheckRadioItem(item);
    else if (item->IsCheckItem())
        SetItemState(item, kItemChecked, !ItemState(item, kItemChecked));

    if (item->OnItemChosen)
        item->OnItemChosen.Fire(root, index);
    else
        root->OnItemChosen.Fire(root, index);
    return true;
}

} // namespace gleamkit::winkit
