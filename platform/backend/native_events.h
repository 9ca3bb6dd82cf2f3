// What a backend calls to hand native input to the window manager. Points are
// in the top-level window's composed-image coordinates. Every call only queues
// input or records state and never throws, so a native callback (a GTK signal
// handler) may call it directly; the messages run later, in the program's loop.
#pragma once

#include "platform/win32_types.h"

namespace gleamkit::backend {

// Modifier keys held during an input event.
inline constexpr UINT kModShift = 0x1;
inline constexpr UINT kModControl = 0x2;
inline constexpr UINT kModAlt = 0x4;

enum class MouseButton { Left, Right, Middle };

void NativeMouseMove(HWND topLevel, POINT point, UINT modifiers) noexcept;
void NativeMouseButton(HWND topLevel, POINT point, MouseButton button, bool down,
                       UINT modifiers) noexcept;
// `delta` in WHEEL_DELTA units per notch; positive turns away from the user.
void NativeMouseWheel(HWND topLevel, POINT point, int delta, UINT modifiers) noexcept;
// A key went down or up (a Win32 virtual key). Modifier keys themselves come
// as their own events (VK_SHIFT, VK_CONTROL, VK_MENU).
void NativeKey(HWND topLevel, int virtualKey, bool down) noexcept;
// Whether the key with these modifiers is an entry of a live accelerator
// table (a GTK key handler must answer at once whether it takes the key).
bool NativeKeyIsAccelerator(int virtualKey, UINT modifiers) noexcept;
// The user chose the menu-bar item with this command id: WM_COMMAND (high
// word 0) is posted when the item exists and neither it nor a menu above it is
// grayed. Answers whether it was posted.
bool NativeMenuCommand(HWND topLevel, UINT commandId) noexcept;
// The user asked to close the window (the frame's close button).
void NativeCloseRequest(HWND topLevel) noexcept;
// The user resized the window so its composed image is width x height, or
// moved it so the image's top-left corner is at `screen`.
void NativeResized(HWND topLevel, int width, int height) noexcept;
void NativeMoved(HWND topLevel, POINT screen) noexcept;
// The native window gained (true) or lost the keyboard focus.
void NativeActivated(HWND topLevel, bool active) noexcept;

// Read access to a top-level window's composed image: 32-bit BGRX pixels,
// rows top-down, `stride` bytes apart; `origin` is where its top-left pixel
// sits on the screen. All zero for a stale or child window.
struct TopLevelImage {
    const BYTE* bits = nullptr;
    int width = 0;
    int height = 0;
    int stride = 0;
    POINT origin{};
};
TopLevelImage ReadTopLevelImage(HWND topLevel) noexcept;

// Runs the program's pending messages (posted ones, input, paints) without
// waiting, for a modal dialog's own loop. Answers false when the dialog
// should end: WM_QUIT was seen (it is posted again for the outer loop) or a
// handler raised an exception (kept and raised again when the dialog call
// returns to the program).
bool PumpModalMessages() noexcept;

// Returns the window manager to its first state, for a test harness between
// tests: destroys every window, empties the queue (the quit flag too), forgets
// focus, capture, key states, scroll tracking, wheel turns and the last
// click, and unregisters the program's classes. Backends keep their own
// records and clear them themselves.
void ResetWindowManager();

} // namespace gleamkit::backend
