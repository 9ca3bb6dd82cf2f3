// The handlers the kit attaches by itself: the form handler (focus hand-over,
// end of session), the erase handler (background in the control's colour) and
// the child handler (colour and command messages reflected from the parent).
#include <cstdlib>

#include "winkit/application.h"
#include "winkit/control.h"

namespace gleamkit::winkit {

bool FormHandler(Control& control, KitMessage& message, LRESULT& result) {
    if (message.Message == WM_ENDSESSION) {
        if (message.WParam == 0) return false;
        // The session ends: the program stops here. The application control
        // is freed first so its destroy event still runs; the chain's own
        // reference to this control is given back so that free is immediate.
        control.DropRef();
        Control* application = ApplicationControl();
        SetApplicationControl(nullptr);
        Control* none = nullptr;
        Terminate(none);
        Free(application);
        std::exit(0);
    }
    if (message.Message == WM_SETFOCUS) {
        bool handled = false;
        if (Control* current = control.CurrentControl()) {
            if (HWND window = current->WindowHandle()) SetFocus(window);
            result = 0;
            handled = true;
        }
        Control* application = ApplicationControl();
        if (application && application != &control) application->SetCurrentControl(&control);
        return handled;
    }
    return false;
}

bool EraseHandler(Control& control, KitMessage& message, LRESULT&) {
    if (message.Message != WM_ERASEBKGND) return false;
    control.CreateChildWindows();
    if (!control.IsTransparent()) {
        HDC dc = reinterpret_cast<HDC>(message.WParam);
        SetBkMode(dc, OPAQUE);
        SetBkColor(dc, static_cast<COLORREF>(ResolveColor(control.GetColor())));
        SetBrushOrgEx(dc, 0, 0, nullptr);
        RECT client{};
        GetClientRect(message.Window, &client);
        FillRect(dc, &client, control.EraseBrush());
    }
    return false;
}

bool ChildHandler(Control& control, KitMessage& message, LRESULT& result) {
    const UINT id = message.Message;
    if (id >= kMsgReflectedColorFirst && id <= kMsgReflectedColorLast) {
        HDC dc = reinterpret_cast<HDC>(message.WParam);
        SetTextColor(dc, static_cast<COLORREF>(ResolveColor(control.TextColor())));
        if (control.IsTransparent()) {
            SetBkMode(dc, TRANSPARENT);
            result = reinterpret_cast<LRESULT>(GetStockObject(NULL_BRUSH));
        } else {
            SetBkMode(dc, OPAQUE);
            SetBkColor(dc, static_cast<COLORREF>(ResolveColor(control.GetColor())));
            result = reinterpret_cast<LRESULT>(control.EraseBrush());
        }
        return true;
    }
    if (id == kMsgReflectedCommand) {
        const UINT code = HIWORD(message.WParam);
        if (control.m_actions && code == control.m_actions->ClickNotification &&
            control.m_focusInProgress == 0)
            control.OnClick.Fire(&control);
        return false;
    }
    if (id == WM_SETFOCUS) {
        if (Control* form = control.ParentForm()) form->SetCurrentControl(&control);
    }
    return false;
}

} // namespace gleamkit::winkit
