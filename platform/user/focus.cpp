// Keyboard focus, activation of top-level windows, mouse capture and the
// cursor. Focus changes send WM_KILLFOCUS to the old window and WM_SETFOCUS to
// the new one; activation sends WM_NCACTIVATE and WM_ACTIVATE, and
// DefWindowProcA gives an activated window the focus.
#include "platform/backend/backend.h"
#include "platform/user/window_state.h"

#include <vector>

namespace user_detail {

void ActivateTopLevel(HWND topLevel) {
    State& state = TheState();
    if (state.active == topLevel) return;
    const HWND previous = state.active;
    state.active = topLevel;
    if (previous != nullptr && IsWindow(previous)) {
        SendMessageA(previous, WM_NCACTIVATE, FALSE, 0);
        SendMessageA(previous, WM_ACTIVATE, WA_INACTIVE, reinterpret_cast<LPARAM>(topLevel));
    }
    if (topLevel != nullptr && IsWindow(topLevel) && state.active == topLevel) {
        gleamkit::backend::CurrentBackend().TopLevelActivated(topLevel);
        SendMessageA(topLevel, WM_NCACTIVATE, TRUE, 0);
        SendMessageA(topLevel, WM_ACTIVATE, WA_ACTIVE, reinterpret_cast<LPARAM>(previous));
    } else if (topLevel == nullptr) {
        gleamkit::backend::CurrentBackend().TopLevelActivated(nullptr);
    }
}

namespace {

bool Within(HWND hwnd, HWND candidate) {
    return candidate != nullptr && (candidate == hwnd || IsChild(hwnd, candidate));
}

// The top-level window that takes over when `leaving` hides or goes: its
// owner when it has one, else the topmost other visible one.
HWND NextActive(HWND leaving) {
    const Window* window = FindWindowRecord(leaving);
    if (window != nullptr && window->owner != nullptr && IsWindowVisible(window->owner)) {
        return window->owner;
    }
    for (HWND other : TheState().topLevels) {
        if (other != leaving && IsWindowVisible(other) && !IsIconic(other)) return other;
    }
    return nullptr;
}

} // namespace

void ForgetWindowState(HWND hwnd) {
    State& state = TheState();
    if (Within(hwnd, state.capture)) ReleaseCapture();
    const Window* window = FindWindowRecord(hwnd);
    const HWND parent = window != nullptr ? window->parent : nullptr;
    if (Within(hwnd, state.focus)) {
        if (parent != nullptr && IsWindow(parent) && IsWindowVisible(parent)) {
            SetFocus(parent);
        } else {
            state.focus = nullptr;
        }
    }
    if (parent == nullptr && state.active == hwnd) ActivateTopLevel(NextActive(hwnd));
    if (state.lastClickWindow == hwnd) state.lastClickWindow = nullptr;
}

} // namespace user_detail

using namespace user_detail;

HWND SetFocus(HWND hwnd) {
    State& state = TheState();
    if (hwnd != nullptr) {
        const Window* window = FindWindowRecord(hwnd);
        if (window == nullptr || window->destroying) return nullptr;
        const HWND topLevel = TopLevelOf(hwnd);
        if (state.active != topLevel) ActivateTopLevel(topLevel);
        if (!IsWindow(hwnd)) return nullptr;
    }
    const HWND previous = state.focus;
    if (previous == hwnd) return previous;
    if (previous != nullptr && IsWindow(previous)) {
        SendMessageA(previous, WM_KILLFOCUS, reinterpret_cast<WPARAM>(hwnd), 0);
    }
    if (hwnd != nullptr && !IsWindow(hwnd)) return nullptr;
    state.focus = hwnd;
    if (hwnd != nullptr) {
        SendMessageA(hwnd, WM_SETFOCUS, reinterpret_cast<WPARAM>(previous), 0);
    }
    return IsWindow(previous) ? previous : nullptr;
}

HWND GetFocus() {
    const HWND focus = TheState().focus;
    return IsWindow(focus) ? focus : nullptr;
}

HWND GetActiveWindow() {
    const HWND active = TheState().active;
    return IsWindow(active) ? active : nullptr;
}

HWND SetActiveWindow(HWND hwnd) {
    const HWND previous = GetActiveWindow();
    const Window* window = FindWindowRecord(hwnd);
    if (window == nullptr || window->parent != nullptr) return nullptr;
    ActivateTopLevel(hwnd);
    return previous;
}

HWND SetCapture(HWND hwnd) {
    State& state = TheState();
    const HWND previous = state.capture;
    if (FindWindowRecord(hwnd) == nullptr) return nullptr;
    state.capture = hwnd;
    if (previous != nullptr && previous != hwnd && IsWindow(previous)) {
        SendMessageA(previous, WM_CAPTURECHANGED, 0, reinterpret_cast<LPARAM>(hwnd));
    }
    gleamkit::backend::CurrentBackend().CaptureChanged(TopLevelOf(hwnd));
    return IsWindow(previous) ? previous : nullptr;
}

HWND GetCapture() {
    const HWND capture = TheState().capture;
    return IsWindow(capture) ? capture : nullptr;
}

BOOL ReleaseCapture() {
    State& state = TheState();
    const HWND previous = state.capture;
    state.capture = nullptr;
    if (previous != nullptr) {
        gleamkit::backend::CurrentBackend().CaptureChanged(nullptr);
        if (IsWindow(previous)) SendMessageA(previous, WM_CAPTURECHANGED, 0, 0);
    }
    return TRUE;
}

HCURSOR SetCursor(HCURSOR cursor) {
    State& state = TheState();
    const HCURSOR previous = state.cursor;
    state.cursor = cursor;
    return previous;
}

HCURSOR GetCursor() {
    return TheState().cursor;
}

BOOL GetCursorPos(POINT* point) {
    if (point == nullptr) return FALSE;
    *point = TheState().cursorPos;
    return TRUE;
}
