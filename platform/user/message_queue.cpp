// The thread's one message queue. Sent messages call the window procedure at
// once; posted ones wait in order. Native input waits as raw events and
// becomes a message (hit-tested, with WM_SETCURSOR sent) only when the loop
// reaches it, so it sees the windows as they are then. Priority: posted
// messages, input, WM_QUIT, then WM_PAINT for a window with an update region.
#include "platform/backend/backend.h"
#include "platform/user/window_state.h"

#include <algorithm>
#include <chrono>
#include <cstdlib>

namespace user_detail {

DWORD NextTime() {
    static const auto start = std::chrono::steady_clock::now();
    const auto elapsed = std::chrono::steady_clock::now() - start;
    return static_cast<DWORD>(
        std::chrono::duration_cast<std::chrono::milliseconds>(elapsed).count());
}

void DropQueuedMessagesFor(HWND hwnd) {
    State& state = TheState();
    const auto forWindow = [hwnd](const MSG& msg) { return msg.hwnd == hwnd; };
    state.posted.erase(std::remove_if(state.posted.begin(), state.posted.end(), forWindow),
                       state.posted.end());
    state.inputMessages.erase(
        std::remove_if(state.inputMessages.begin(), state.inputMessages.end(), forWindow),
        state.inputMessages.end());
}

void PostInput(const RawInput& input) {
    RawInput event = input;
    event.time = NextTime();
    TheState().input.push_back(event);
}

namespace {

constexpr DWORD kDoubleClickTime = 500;

bool KeyDown(int virtualKey) {
    return (TheState().keys[virtualKey & 0xFF] & 0x80) != 0;
}

void SetKey(int virtualKey, bool down) {
    BYTE& key = TheState().keys[virtualKey & 0xFF];
    if (down && (key & 0x80) == 0) key ^= 1; // the toggle flips on each press
    key = down ? (key | 0x80) : (key & ~0x80);
}

void Queue(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam, const RawInput& input) {
    MSG msg{hwnd, message, wParam, lParam, input.time, TheState().cursorPos};
    TheState().inputMessages.push_back(msg);
}

// Input for a window whose top-level window is disabled (a modal dialog is
// up) is dropped, as Win32 refuses it.
bool TakesInput(HWND hwnd) {
    const HWND topLevel = TopLevelOf(hwnd);
    return topLevel != nullptr && IsWindowEnabled(topLevel);
}

void ConvertKey(const RawInput& input) {
    State& state = TheState();
    const bool wasDown = KeyDown(input.virtualKey);
    SetKey(input.virtualKey, input.down);
    if (input.virtualKey == VK_LSHIFT || input.virtualKey == VK_RSHIFT) {
        SetKey(VK_SHIFT, input.down);
    }
    HWND target = state.focus;
    bool system = false;
    if (target == nullptr) {
        target = state.active;
        system = true; // with no focus the active window gets system keys
    }
    if (target == nullptr || !TakesInput(target)) return;
    const bool alt = KeyDown(VK_MENU);
    if (alt || input.virtualKey == VK_F10 || input.virtualKey == VK_MENU) system = true;
    const UINT message =
        system ? (input.down ? WM_SYSKEYDOWN : WM_SYSKEYUP) : (input.down ? WM_KEYDOWN : WM_KEYUP);
    uint32_t lParam = 1;
    if (alt) lParam |= 1u << 29;
    if (wasDown) lParam |= 1u << 30;
    if (!input.down) lParam |= 1u << 31;
    Queue(target, message, static_cast<WPARAM>(input.virtualKey),
          static_cast<LPARAM>(static_cast<int32_t>(lParam)), input);
}

WPARAM MouseKeyFlags() {
    WPARAM flags = 0;
    if (KeyDown(VK_LBUTTON)) flags |= MK_LBUTTON;
    if (KeyDown(VK_RBUTTON)) flags |= MK_RBUTTON;
    if (KeyDown(VK_MBUTTON)) flags |= MK_MBUTTON;
    if (KeyDown(VK_SHIFT)) flags |= MK_SHIFT;
    if (KeyDown(VK_CONTROL)) flags |= MK_CONTROL;
    return flags;
}

UINT ButtonMessage(const RawInput& input) {
    static constexpr UINT kDown[] = {WM_LBUTTONDOWN, WM_RBUTTONDOWN, WM_MBUTTONDOWN};
    static constexpr UINT kUp[] = {WM_LBUTTONUP, WM_RBUTTONUP, WM_MBUTTONUP};
    switch (input.kind) {
    case RawInput::Kind::MouseMove:
        return WM_MOUSEMOVE;
    case RawInput::Kind::Wheel:
        return WM_MOUSEWHEEL;
    default:
        return input.down ? kDown[input.button] : kUp[input.button];
    }
}

// A second press of the same button on the same window soon after the first
// is a double click, for classes that ask for them (CS_DBLCLKS).
UINT DoubleClickOf(HWND target, UINT message, const RawInput& input) {
    State::LastPress& last = TheState().lastPress;
    if (message != WM_LBUTTONDOWN && message != WM_RBUTTONDOWN && message != WM_MBUTTONDOWN) {
        return message;
    }
    const Window* window = FindWindowRecord(target);
    const bool wanted = window != nullptr && (window->windowClass->record.style & CS_DBLCLKS);
    const bool isDouble = wanted && last.hwnd == target && last.message == message &&
                          input.time - last.time <= kDoubleClickTime &&
                          std::abs(last.point.x - input.screen.x) <= 4 &&
                          std::abs(last.point.y - input.screen.y) <= 4;
    if (isDouble) {
        last = State::LastPress{};
        return message + 2; // WM_xBUTTONDBLCLK follows WM_xBUTTONUP
    }
    last = State::LastPress{target, message, input.time, input.screen};
    return message;
}

void QueueMouseMessage(HWND target, LRESULT hit, UINT message, const RawInput& input) {
    const LPARAM screen = MAKELPARAM(input.screen.x, input.screen.y);
    if (message == WM_MOUSEWHEEL) {
        Queue(target, message, MAKEWPARAM(static_cast<int>(MouseKeyFlags()), input.delta), screen,
              input);
        return;
    }
    message = DoubleClickOf(target, message, input);
    if (hit == HTCLIENT) {
        POINT point = input.screen;
        ScreenToClient(target, &point);
        Queue(target, message, MouseKeyFlags(), MAKELPARAM(point.x, point.y), input);
    } else {
        Queue(target, message - WM_MOUSEMOVE + WM_NCMOUSEMOVE, static_cast<WPARAM>(hit), screen,
              input);
    }
}

void ConvertMouse(const RawInput& input) {
    State& state = TheState();
    state.cursorPos = input.screen;
    static constexpr int kButtonKeys[] = {VK_LBUTTON, VK_RBUTTON, VK_MBUTTON};
    if (input.kind == RawInput::Kind::MouseButton) SetKey(kButtonKeys[input.button], input.down);
    if (ScrollTrackingActive()) {
        const bool released =
            input.kind == RawInput::Kind::MouseButton && !input.down && input.button == 0;
        if (input.kind != RawInput::Kind::Wheel) ScrollTrackingMouse(input.screen, released);
        return;
    }
    const UINT message = ButtonMessage(input);
    if (state.capture != nullptr) {
        QueueMouseMessage(state.capture, HTCLIENT, message, input);
        return;
    }
    const HWND target = WindowUnderPoint(input.screen);
    if (target == nullptr || !TakesInput(target)) return;
    const LRESULT hit =
        SendMessageA(target, WM_NCHITTEST, 0, MAKELPARAM(input.screen.x, input.screen.y));
    if (!IsWindow(target)) return;
    if (input.kind == RawInput::Kind::MouseButton && input.down) {
        ActivateTopLevel(TopLevelOf(target));
        if (!IsWindow(target)) return;
    }
    if (message != WM_MOUSEWHEEL) {
        SendMessageA(target, WM_SETCURSOR, reinterpret_cast<WPARAM>(target),
                     MAKELPARAM(static_cast<int>(hit), static_cast<int>(message)));
        if (!IsWindow(target)) return;
    }
    QueueMouseMessage(target, hit, message, input);
}

// Turns raw input into messages until one is there or no input is left.
void ConvertPendingInput() {
    State& state = TheState();
    while (state.inputMessages.empty() && !state.input.empty()) {
        const RawInput input = state.input.front();
        state.input.pop_front();
        switch (input.kind) {
        case RawInput::Kind::Key:
            ConvertKey(input);
            break;
        case RawInput::Kind::MouseMove:
        case RawInput::Kind::MouseButton:
        case RawInput::Kind::Wheel:
            ConvertMouse(input);
            break;
        default:
            ApplyNativeChange(input);
            break;
        }
    }
}

bool Matches(const MSG& msg, HWND hwnd, UINT filterMin, UINT filterMax) {
    if (hwnd != nullptr && msg.hwnd != hwnd && !IsChild(hwnd, msg.hwnd)) return false;
    if (filterMin == 0 && filterMax == 0) return true;
    return msg.message >= filterMin && msg.message <= filterMax;
}

bool TakeFrom(std::deque<MSG>& queue, MSG* msg, HWND hwnd, UINT filterMin, UINT filterMax,
              UINT removeOptions) {
    for (auto it = queue.begin(); it != queue.end(); ++it) {
        if (!Matches(*it, hwnd, filterMin, filterMax)) continue;
        *msg = *it;
        if ((removeOptions & PM_REMOVE) != 0) queue.erase(it);
        return true;
    }
    return false;
}

bool InRange(UINT message, UINT filterMin, UINT filterMax) {
    return (filterMin == 0 && filterMax == 0) || (message >= filterMin && message <= filterMax);
}

bool AnythingPending() {
    const State& state = TheState();
    return !state.posted.empty() || !state.input.empty() || !state.inputMessages.empty() ||
           state.quitPosted || NextWindowToPaint() != nullptr;
}

} // namespace

} // namespace user_detail

using namespace user_detail;

LRESULT CallWindowProcA(WNDPROC proc, HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
    if (proc == nullptr) return 0;
    return proc(hwnd, message, wParam, lParam);
}

LRESULT SendMessageA(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
    const Window* window = FindWindowRecord(hwnd);
    if (window == nullptr) return 0;
    return CallWindowProcA(window->proc, hwnd, message, wParam, lParam);
}

BOOL PostMessageA(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
    if (hwnd != nullptr && FindWindowRecord(hwnd) == nullptr) return FALSE;
    State& state = TheState();
    state.posted.push_back(MSG{hwnd, message, wParam, lParam, NextTime(), state.cursorPos});
    return TRUE;
}

void PostQuitMessage(int exitCode) {
    State& state = TheState();
    state.quitPosted = true;
    state.quitCode = exitCode;
}

BOOL PeekMessageA(MSG* msg, HWND hwnd, UINT filterMin, UINT filterMax, UINT removeOptions) {
    if (msg == nullptr) return FALSE;
    State& state = TheState();
    bool found = TakeFrom(state.posted, msg, hwnd, filterMin, filterMax, removeOptions);
    if (!found) {
        ConvertPendingInput();
        found = TakeFrom(state.inputMessages, msg, hwnd, filterMin, filterMax, removeOptions);
    }
    if (!found && state.quitPosted && InRange(WM_QUIT, filterMin, filterMax)) {
        *msg = MSG{nullptr, WM_QUIT,    static_cast<WPARAM>(state.quitCode),
                   0,       NextTime(), state.cursorPos};
        if ((removeOptions & PM_REMOVE) != 0) state.quitPosted = false;
        found = true;
    }
    if (!found && InRange(WM_PAINT, filterMin, filterMax)) {
        const HWND paint = NextWindowToPaint();
        if (paint != nullptr && (hwnd == nullptr || paint == hwnd || IsChild(hwnd, paint))) {
            *msg = MSG{paint, WM_PAINT, 0, 0, NextTime(), state.cursorPos};
            found = true;
        }
    }
    if (found) {
        state.lastTime = msg->time;
        state.lastPos = msg->pt;
    }
    return found ? TRUE : FALSE;
}

BOOL WaitMessage() {
    while (!AnythingPending()) {
        if (!gleamkit::backend::CurrentBackend().WaitForEvents(true)) {
            if (!AnythingPending()) PostQuitMessage(0);
            break;
        }
    }
    return TRUE;
}

BOOL GetMessageA(MSG* msg, HWND hwnd, UINT filterMin, UINT filterMax) {
    if (msg == nullptr) return -1;
    if (hwnd != nullptr && FindWindowRecord(hwnd) == nullptr) return -1;
    while (PeekMessageA(msg, hwnd, filterMin, filterMax, PM_REMOVE) == FALSE) WaitMessage();
    return msg->message == WM_QUIT ? FALSE : TRUE;
}

namespace {

// The character a key types with the current modifiers, or 0.
int CharacterOf(int virtualKey) {
    const bool shift = (GetKeyState(VK_SHIFT) & 0x8000) != 0;
    const bool control = (GetKeyState(VK_CONTROL) & 0x8000) != 0;
    const bool capsLock = (GetKeyState(VK_CAPITAL) & 1) != 0;
    if (virtualKey >= 'A' && virtualKey <= 'Z') {
        if (control) return virtualKey - 'A' + 1;
        return (shift != capsLock) ? virtualKey : virtualKey - 'A' + 'a';
    }
    if (control) return 0;
    if (virtualKey >= '0' && virtualKey <= '9') {
        static constexpr char kShifted[] = ")!@#$%^&*(";
        return shift ? kShifted[virtualKey - '0'] : virtualKey;
    }
    if (virtualKey >= VK_NUMPAD0 && virtualKey <= VK_NUMPAD0 + 9)
        return virtualKey - VK_NUMPAD0 + '0';
    switch (virtualKey) {
    case VK_SPACE:
        return ' ';
    case VK_RETURN:
        return '\r';
    case VK_BACK:
        return '\b';
    case VK_TAB:
        return '\t';
    case VK_ESCAPE:
        return 0x1B;
    default:
        return 0;
    }
}

} // namespace

BOOL TranslateMessage(const MSG* msg) {
    if (msg == nullptr || msg->message < WM_KEYDOWN || msg->message > WM_SYSDEADCHAR) return FALSE;
    if (msg->message != WM_KEYDOWN && msg->message != WM_SYSKEYDOWN) return TRUE;
    const int character = CharacterOf(static_cast<int>(msg->wParam));
    if (character == 0) return TRUE;
    // The character is the next message the loop takes.
    const UINT message = msg->message == WM_KEYDOWN ? WM_CHAR : WM_SYSCHAR;
    TheState().posted.push_front(
        MSG{msg->hwnd, message, static_cast<WPARAM>(character), msg->lParam, msg->time, msg->pt});
    return TRUE;
}

LRESULT DispatchMessageA(const MSG* msg) {
    if (msg == nullptr || msg->hwnd == nullptr) return 0;
    const Window* window = FindWindowRecord(msg->hwnd);
    if (window == nullptr) return 0;
    return CallWindowProcA(window->proc, msg->hwnd, msg->message, msg->wParam, msg->lParam);
}

SHORT GetKeyState(int virtualKey) {
    const BYTE key = TheState().keys[virtualKey & 0xFF];
    return static_cast<SHORT>(((key & 0x80) != 0 ? 0x8000 : 0) | (key & 1));
}

LONG GetMessageTime() {
    return static_cast<LONG>(TheState().lastTime);
}

DWORD GetMessagePos() {
    const POINT point = TheState().lastPos;
    return MAKELONG(static_cast<WORD>(point.x), static_cast<WORD>(point.y));
}
