// The backend's way in: native input becomes raw input in the queue, and
// native window changes (resize, move, activation, close) are queued too, so
// that no window procedure runs inside a native callback.
#include "platform/backend/native_events.h"

#include "platform/gdi/gdi_surface.h"
#include "platform/user/window_state.h"

namespace user_detail {

namespace {

POINT ToScreen(HWND topLevel, POINT point) {
    const POINT origin = SurfaceOriginOnScreen(topLevel);
    return POINT{origin.x + point.x, origin.y + point.y};
}

void Queue(RawInput input) {
    try {
        PostInput(input);
    } catch (...) {
        // Out of memory: the event is lost, as a full native queue would lose it.
    }
}

} // namespace

// Carries out a queued native window change (RawInput::Kind::Native*).
void ApplyNativeChange(const RawInput& input) {
    const HWND topLevel = input.topLevel;
    Window* window = FindWindowRecord(topLevel);
    if (window == nullptr || window->parent != nullptr) return;
    switch (input.kind) {
    case RawInput::Kind::NativeResize: {
        const FrameInsets insets =
            NativeInsets(window->style, window->exStyle, false, window->menu != nullptr);
        SetWindowPos(topLevel, nullptr, 0, 0, input.screen.x + insets.left + insets.right,
                     input.screen.y + insets.top + insets.bottom,
                     SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
        break;
    }
    case RawInput::Kind::NativeMove: {
        const FrameInsets insets =
            NativeInsets(window->style, window->exStyle, false, window->menu != nullptr);
        SetWindowPos(topLevel, nullptr, input.screen.x - insets.left, input.screen.y - insets.top,
                     0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
        break;
    }
    case RawInput::Kind::NativeActivate:
        ActivateTopLevel(input.down ? topLevel : nullptr);
        break;
    case RawInput::Kind::NativeClose:
        if (IsWindowEnabled(topLevel)) PostMessageA(topLevel, WM_SYSCOMMAND, SC_CLOSE, 0);
        break;
    default:
        break;
    }
}

} // namespace user_detail

using namespace user_detail;

namespace gleamkit::backend {

void NativeMouseMove(HWND topLevel, POINT point, UINT) noexcept {
    RawInput input;
    input.kind = RawInput::Kind::MouseMove;
    input.topLevel = topLevel;
    input.screen = ToScreen(topLevel, point);
    Queue(input);
}

void NativeMouseButton(HWND topLevel, POINT point, MouseButton button, bool down, UINT) noexcept {
    RawInput input;
    input.kind = RawInput::Kind::MouseButton;
    input.topLevel = topLevel;
    input.screen = ToScreen(topLevel, point);
    input.button = button == MouseButton::Left ? 0 : button == MouseButton::Right ? 1 : 2;
    input.down = down;
    Queue(input);
}

void NativeMouseWheel(HWND topLevel, POINT point, int delta, UINT) noexcept {
    RawInput input;
    input.kind = RawInput::Kind::Wheel;
    input.topLevel = topLevel;
    input.screen = ToScreen(topLevel, point);
    input.delta = delta;
    Queue(input);
}

void NativeKey(HWND topLevel, int virtualKey, bool down) noexcept {
    RawInput input;
    input.kind = RawInput::Kind::Key;
    input.topLevel = topLevel;
    input.virtualKey = virtualKey;
    input.down = down;
    Queue(input);
}

bool NativeMenuCommand(HWND topLevel, UINT commandId) noexcept {
    bool grayed = false;
    if (!IsWindowEnabled(topLevel) || !FindCommand(GetMenu(topLevel), commandId, &grayed) ||
        grayed) {
        return false;
    }
    try {
        return PostMessageA(topLevel, WM_COMMAND,
                            MAKEWPARAM(static_cast<int>(commandId & 0xFFFF), 0), 0) != FALSE;
    } catch (...) {
        return false;
    }
}

void NativeCloseRequest(HWND topLevel) noexcept {
    RawInput input;
    input.kind = RawInput::Kind::NativeClose;
    input.topLevel = topLevel;
    Queue(input);
}

void NativeResized(HWND topLevel, int width, int height) noexcept {
    RawInput input;
    input.kind = RawInput::Kind::NativeResize;
    input.topLevel = topLevel;
    input.screen = POINT{width, height};
    Queue(input);
}

void NativeMoved(HWND topLevel, POINT screen) noexcept {
    RawInput input;
    input.kind = RawInput::Kind::NativeMove;
    input.topLevel = topLevel;
    input.screen = screen;
    Queue(input);
}

void NativeActivated(HWND topLevel, bool active) noexcept {
    RawInput input;
    input.kind = RawInput::Kind::NativeActivate;
    input.topLevel = topLevel;
    input.down = active;
    Queue(input);
}

TopLevelImage ReadTopLevelImage(HWND topLevel) noexcept {
    const Window* window = FindWindowRecord(topLevel);
    if (window == nullptr || window->parent != nullptr || window->surface == nullptr) return {};
    const GdiSurfacePixels pixels = GdiGetSurfacePixels(window->surface);
    return TopLevelImage{pixels.bits, pixels.width, pixels.height, pixels.stride,
                         SurfaceOriginOnScreen(topLevel)};
}

void ResetWindowManager() {
    for (HWND hwnd : std::vector<HWND>(TheState().topLevels)) DestroyWindow(hwnd);
    static_cast<Session&>(TheState()) = Session{};
    ForgetScrollState();
    UnregisterProgramClasses();
}

} // namespace gleamkit::backend
