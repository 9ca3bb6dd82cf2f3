// Modal dialogs: disabling owners, the dialog's own message pump and
// MessageBoxA.
#include "platform/user/modal.h"

#include "platform/backend/backend.h"
#include "platform/backend/native_events.h"
#include "platform/user/window_state.h"

namespace user_detail {

namespace {

std::exception_ptr& KeptException() {
    static std::exception_ptr kept;
    return kept;
}

} // namespace

ModalScope::ModalScope(HWND owner, bool taskModal) : m_owner(TopLevelOf(owner)) {
    std::vector<HWND> candidates;
    if (taskModal || m_owner == nullptr) {
        candidates = TheState().topLevels;
    } else {
        candidates.push_back(m_owner);
    }
    for (HWND hwnd : candidates) {
        if (IsWindowEnabled(hwnd)) {
            EnableWindow(hwnd, FALSE);
            m_disabled.push_back(hwnd);
        }
    }
    // The dialog takes the activation, as a platform dialog window would; the
    // owner's reactivation afterwards gives it back the keyboard focus that
    // disabling it took away.
    ActivateTopLevel(nullptr);
}

ModalScope::~ModalScope() {
    for (HWND hwnd : m_disabled) EnableWindow(hwnd, TRUE);
    if (m_owner != nullptr && IsWindowVisible(m_owner)) ActivateTopLevel(m_owner);
}

void RethrowModalException() {
    std::exception_ptr kept = KeptException();
    KeptException() = nullptr;
    if (kept) std::rethrow_exception(kept);
}

} // namespace user_detail

using namespace user_detail;

bool gleamkit::backend::PumpModalMessages() noexcept {
    try {
        // A bound on one pump: a window that never validates its WM_PAINT
        // must not hold the dialog forever.
        for (int count = 0; count < 100000; ++count) {
            MSG msg{};
            if (!PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) return true;
            if (msg.message == WM_QUIT) {
                PostQuitMessage(static_cast<int>(msg.wParam));
                return false;
            }
            TranslateMessage(&msg);
            DispatchMessageA(&msg);
        }
        return true;
    } catch (...) {
        KeptException() = std::current_exception();
        return false;
    }
}

int MessageBoxA(HWND owner, LPCSTR text, LPCSTR caption, UINT type) {
    if (owner != nullptr && !IsWindow(owner)) return 0;
    int answer = 0;
    {
        ModalScope modal(owner, (type & MB_TASKMODAL) != 0);
        answer = gleamkit::backend::CurrentBackend().RunMessageBox(
            owner, text != nullptr ? text : "", caption != nullptr ? caption : "Error", type);
    }
    RethrowModalException();
    return answer;
}
