// The kit window procedure and a control's message steps: events first, then
// the attached handlers (last attached first), then the kit's own treatment of
// closing, destruction, sizing, showing, focus, cursors, reflected colours and
// commands, and keys, and finally the window's default procedure.
#include "winkit/control.h"

#include "winkit/application.h"
#include "winkit/kit_internal.h"

namespace gleamkit::winkit {

namespace {

constexpr UINT kFirstKeyMessage = 0x100; // WM_KEYDOWN
constexpr UINT kLastKeyMessage = 0x108;  // WM_KEYLAST of the classic range
constexpr UINT kMciNotify = 0x3B9;       // MM_MCINOTIFY
constexpr WPARAM kSystemCommandMask = 0xFFF0;

bool KeyIsDown(int virtualKey) {
    return (GetKeyState(virtualKey) & 0x8000) != 0;
}

} // namespace

LRESULT KitWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    // No exception may unwind into the platform's frames: keep it for the
    // kit's loop, which raises it again once the platform has returned.
    try {
        KitMessage record{window, message, wParam, lParam};
        Control* control = nullptr;
        if (Control* creating = detail::CreatingControl()) {
            creating->m_handle = window;
            SetPropA(window, detail::kSelfProperty, creating);
            detail::SetCreatingControl(nullptr);
            control = creating;
        } else {
            control = detail::LiveControl(GetPropA(window, detail::kSelfProperty));
        }
        if (!control) control = ApplicationControl();
        if (!control) return DefWindowProcA(window, message, wParam, lParam);
        return control->WindowProc(record);
    } catch (...) {
        KeepPendingException();
        return 0;
    }
}

LRESULT Control::CallDefault(const KitMessage& message) {
    if (m_defaultProc)
        return CallWindowProcA(m_defaultProc, message.Window, message.Message, message.WParam,
                               message.LParam);
    return DefWindowProcA(message.Window, message.Message, message.WParam, message.LParam);
}

bool Control::OfferOnMessage(KitMessage& message, LRESULT& result) {
    if (!OnMessage) return false;
    bool handled = false;
    detail::RefHold hold(*this);
    OnMessage.Fire(this, message, result, handled);
    // A control freed by its own event answers for itself: nothing after
    // this point may touch it.
    return handled || FreePending();
}

bool Control::RunHandlerChain(KitMessage& message, LRESULT& result) {
    if (m_handlers.empty() || RefWord() < 0) return false;
    detail::RefHold hold(*this);
    bool handled = false;
    // Handlers attached during the run (by a handler) wait for the next message.
    for (size_t i = m_handlers.size(); i-- > 0 && !handled;) {
        const HandlerEntry entry = m_handlers[i];
        if (Terminated() && entry.When == AfterTermination::Skip) continue;
        handled = entry.Procedure(*this, message, result);
    }
    return handled || FreePending();
}

LRESULT Control::HandleClose(const KitMessage& message) {
    if (OnClose) {
        bool accept = true;
        {
            detail::RefHold hold(*this);
            OnClose.Fire(this, accept);
            if (FreePending()) return 0;
        }
        if (!accept && LoopRunning()) return 0;
    }
    OnClose.Clear();
    Control* application = ApplicationControl();
    if (IsMainWindow() || application == this) {
        if (application && application != this) application->SendToSelf(WM_CLOSE, 0, 0);
        PostQuitMessage(0);
        return 0;
    }
    return CallDefault(message);
}

LRESULT Control::HandleNcDestroy(const KitMessage& message) {
    RemovePropA(message.Window, detail::kSelfProperty);
    // Another window's end, routed here for want of a control.
    if (message.Window != m_handle) return CallDefault(message);
    m_windowDestroyed = true;
    Control* application = ApplicationControl();
    if (application && message.Window == application->m_handle) return CallDefault(message);
    if (IsMainWindow()) {
        // The window is going away under a live control: free the control once
        // this message is done (a release message posted to the dying window
        // would never be delivered).
        const LRESULT result = CallDefault(message);
        Free(this);
        return result;
    }
    if (m_parent && m_parent == application) {
        Free(this);
        return 0;
    }
    return CallDefault(message);
}

LRESULT Control::HandleSize(const KitMessage& message) {
    const LRESULT result = CallDefault(message);
    m_lastSizeType = message.WParam;
    if (RealignHook realign = InstalledRealignHook()) {
        if (!m_isForm && m_parent) realign(*m_parent);
        realign(*this);
    }
    return result;
}

LRESULT Control::HandleShowWindow(const KitMessage& message) {
    if (message.LParam == SW_PARENTCLOSING) {
        if (IsIconic(message.Window))
            m_rememberedShow = SW_SHOWMINNOACTIVE;
        else if (IsZoomed(message.Window))
            m_rememberedShow = SW_SHOWMAXIMIZED;
        else
            m_rememberedShow = SW_SHOWNOACTIVATE;
        return CallDefault(message);
    }
    if (message.LParam == SW_PARENTOPENING) {
        if (m_rememberedShow) ShowWindow(message.Window, m_rememberedShow);
        m_rememberedShow = 0;
        return 0;
    }
    return CallDefault(message);
}

LRESULT Control::HandleKey(KitMessage& message) {
    if (GetFocus() != m_handle) return 0;
    if (KeyTranslationHook translate = InstalledKeyTranslationHook()) {
        if (translate(*this, message)) return 0;
    }
    if (KeyIsDown(VK_CONTROL) || KeyIsDown(VK_MENU)) return CallDefault(message);
    if (message.Message == WM_CHAR && message.WParam == '\t') {
        message.WParam = 0;
        return 0;
    }
    return CallDefault(message);
}

LRESULT Control::WindowProc(KitMessage& message) {
    // A control being torn down only lets its window go: no event or handler
    // may see it (one that freed it again would destroy it twice).
    if (m_inDestroy) {
        if (message.Message == WM_NCDESTROY) RemovePropA(message.Window, detail::kSelfProperty);
        return CallDefault(message);
    }
    LRESULT result = 0;
    if (LoopRunning()) {
        Control* application = ApplicationControl();
        if (application && application != this && application->OfferOnMessage(message, result))
            return result;
    }
    if (OfferOnMessage(message, result)) return result;
    if (RunHandlerChain(message, result)) return result;

    const UINT id = message.Message;
    switch (id) {
    case WM_CLOSE:
        return HandleClose(message);
    case WM_NCDESTROY:
        return HandleNcDestroy(message);
    case kMsgRelease:
        Free(this);
        return 0;
    case WM_SIZE:
        return HandleSize(message);
    case WM_SHOWWINDOW:
        return HandleShowWindow(message);
    case WM_SYSCOMMAND:
        if ((message.WParam & kSystemCommandMask) == SC_MINIMIZE && IsMainWindow()) {
            Control* application = ApplicationControl();
            if (application && application != this && application->m_handle) {
                PostMessageA(application->m_handle, id, message.WParam, message.LParam);
                return 0;
            }
        }
        return CallDefault(message);
    case WM_SETFOCUS:
        if (!m_enabled || !m_tabStop) return 0;
        ++m_focusInProgress;
        SetFocus(m_handle);
        result = CallDefault(message);
        --m_focusInProgress;
        return result;
    case WM_SETCURSOR:
        if (!GetCapture() && LOWORD(static_cast<uintptr_t>(message.LParam)) == HTCLIENT &&
            m_cursor) {
            ::SetCursor(m_cursor);
            return 1;
        }
        return CallDefault(message);
    case WM_COMMAND: {
        HWND source = reinterpret_cast<HWND>(message.LParam);
        if (source && detail::LiveControl(GetPropA(source, detail::kSelfProperty)))
            return SendMessageA(source, kMsgReflectedCommand, message.WParam, message.LParam);
        return CallDefault(message);
    }
    case kMsgPostedProcedure:
    case kMciNotify:
        return 0;
    default:
        break;
    }
    if (id >= WM_CTLCOLORMSGBOX && id <= WM_CTLCOLORSTATIC) {
        HWND child = reinterpret_cast<HWND>(message.LParam);
        return SendMessageA(child, id + (kMsgReflectedColorFirst - WM_CTLCOLORMSGBOX),
                            message.WParam, message.LParam);
    }
    if (id >= kFirstKeyMessage && id <= kLastKeyMessage) return HandleKey(message);
    return CallDefault(message);
}

} // namespace gleamkit::winkit
