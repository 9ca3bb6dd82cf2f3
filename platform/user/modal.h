// Modal dialogs over the window manager (not part of Win32): the owner takes
// no input while a dialog runs, and an exception raised by a window procedure
// during the dialog's own message loop waits until the dialog has returned.
#pragma once

#include "platform/win32_types.h"

#include <exception>
#include <vector>

namespace user_detail {

// Disables the owner's top-level window (all enabled top-level windows when
// `taskModal`) for its lifetime, then enables them again and reactivates the
// owner.
class ModalScope {
public:
    ModalScope(HWND owner, bool taskModal);
    ~ModalScope();
    ModalScope(const ModalScope&) = delete;
    ModalScope& operator=(const ModalScope&) = delete;

private:
    HWND m_owner;
    std::vector<HWND> m_disabled;
};

// Raises the exception kept by PumpModalMessages, if any (once).
void RethrowModalException();

} // namespace user_detail
