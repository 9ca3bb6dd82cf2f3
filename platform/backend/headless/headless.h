// The headless backend's test API: everything in memory and deterministic.
// Tests inject input (keys with modifiers, clicks, wheel turns at points in a
// window's client coordinates), pick menu items by their captions, queue the
// answers of the next file dialogs and message boxes, and read a top-level
// window's composed client image.
//
// When the environment variable GLEAMKIT_HEADLESS_DUMP names a folder, every
// image read with ClientImage is also written there as a bitmap file
// ("<title>-<n>.bmp").
//
// Input calls only queue input; it reaches the windows when the program's
// loop (or RunPendingMessages) takes it.
#pragma once

#include "platform/backend/backend.h"
#include "platform/backend/native_events.h"

#include <cstdint>
#include <functional>
#include <initializer_list>
#include <string>
#include <vector>

namespace gleamkit::headless {

using backend::kModAlt;
using backend::kModControl;
using backend::kModShift;
using backend::MouseButton;

// Installs the headless backend (the default when none is installed).
void Install();
// Destroys every window, empties the queue (the quit flag too), forgets focus,
// capture, key states and queued answers, and unregisters the program's
// classes: each test starts from a clean window manager.
void Reset();

// A key pressed and released with modifiers (kModShift | kModControl |
// kModAlt), as the modifier keys' own down and up events around the key.
void PressKey(int virtualKey, UINT modifiers = 0);
void KeyDown(int virtualKey);
void KeyUp(int virtualKey);
// Mouse input at (x, y) in `hwnd`'s client coordinates (any window; the point
// is taken in its top-level image and hit-tested there as a real pointer).
void MouseMove(HWND hwnd, int x, int y);
void MouseDown(HWND hwnd, int x, int y, MouseButton button = MouseButton::Left);
void MouseUp(HWND hwnd, int x, int y, MouseButton button = MouseButton::Left);
void Click(HWND hwnd, int x, int y, MouseButton button = MouseButton::Left);
// Wheel turns: positive notches turn away from the user (scroll up).
void Wheel(HWND hwnd, int x, int y, int notches);
// Chooses the menu-bar item of top-level `hwnd` found by its path of captions
// ({"File", "Exit"}); a caption matches with or without its "\t..." shortcut
// text and "&" marks. Answers false (nothing posted) when the path does not
// lead to an enabled command item.
bool PickMenuItem(HWND hwnd, std::initializer_list<std::string> path);

// Runs the program's pending messages (posted, input, paints) until none is
// left or WM_QUIT comes; answers false when WM_QUIT was taken (its code in
// *exitCode when given).
bool RunPendingMessages(int* exitCode = nullptr);

// Answers for the next file dialogs, taken in order. A path is taken as typed
// (relative to the dialog's folder); several paths make a multiple selection.
// With no answer queued a dialog is cancelled.
void QueueFileDialogAnswer(const std::string& path, int filterIndex = 0);
void QueueFileDialogAnswer(const std::vector<std::string>& paths, int filterIndex = 0);
void QueueFileDialogCancel();
// An answer computed while the dialog is up (the program's windows have just
// been painted; input to the owner is refused meanwhile).
void QueueFileDialogAnswer(
    std::function<backend::FileDialogAnswer(const backend::FileDialogRequest&)>);
// Every file dialog shown since Reset, in order.
const std::vector<backend::FileDialogRequest>& ShownFileDialogs();

// The button the next message box answers; with none queued a box answers its
// first button (IDOK, IDABORT, IDYES or IDRETRY).
void QueueMessageBoxAnswer(int answer);
struct ShownMessageBox {
    HWND owner;
    std::string text;
    std::string caption;
    UINT type;
};
// Every message box shown since Reset, in order.
const std::vector<ShownMessageBox>& ShownMessageBoxes();

// How many times the menu bar of `hwnd` was redrawn (SetMenu, DrawMenuBar).
int MenuBarRedraws(HWND hwnd);
// Work to run when the program waits for input and none is queued (a test's
// script of user actions, one step per wait). With none left, waiting posts
// WM_QUIT so a loop that would wait forever ends.
void QueueIdleAction(std::function<void()> action);

// A top-level window's composed client area: width x height COLORREF pixels
// (0x00BBGGRR, as RGB makes them), rows top-down. Empty for a stale or child
// window.
struct Image {
    int width = 0;
    int height = 0;
    std::vector<uint32_t> pixels;
    uint32_t At(int x, int y) const { return pixels[static_cast<size_t>(y) * width + x]; }
};
Image ClientImage(HWND topLevel);
// One pixel of the top-level window's client area as COLORREF (0x00BBGGRR);
// CLR_INVALID (0xFFFFFFFF) outside it.
COLORREF ClientPixel(HWND topLevel, int x, int y);

} // namespace gleamkit::headless
