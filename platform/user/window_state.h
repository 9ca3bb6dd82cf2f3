// The window manager's own records (not part of Win32): classes, windows, the
// queue and the thread's input state, shared by the user/ source files.
//
// Rule for every file here: never keep a Window* across a call that can run a
// window procedure (SendMessageA, DefWindowProcA, ...). The procedure may
// destroy the window; look the handle up again afterwards.
#pragma once

#include "platform/handle_table.h"
#include "platform/user/rect_region.h"
#include "platform/user/sys_color.h"
#include "platform/user/user.h"

#include <deque>
#include <memory>
#include <string>
#include <utility>
#include <vector>

struct GdiSurface;

namespace user_detail {

struct WindowClass {
    std::string name;
    std::string menuName;
    WNDCLASSA record{}; // lpszClassName / lpszMenuName point into the strings above
    bool system = false;
    int windows = 0; // windows alive of this class
};

struct ScrollBar {
    bool everSet = false;
    int min = 0;
    int max = 100;
    UINT page = 0;
    int pos = 0;
    int trackPos = 0;
    bool keepShown = false; // SIF_DISABLENOSCROLL
};

struct Window {
    HWND handle = nullptr;
    std::shared_ptr<WindowClass> windowClass;
    WNDPROC proc = nullptr;
    std::string text;
    DWORD style = 0;
    DWORD exStyle = 0;
    HWND parent = nullptr;
    HWND owner = nullptr;
    std::vector<HWND> children; // z-order: front is the top
    RECT rect{};                // parent client coordinates for a child, screen for a top-level
    RECT client{};              // relative to the window's top-left corner
    UINT_PTR id = 0;
    HMENU menu = nullptr;
    HINSTANCE instance = nullptr;
    LONG_PTR userData = 0;
    std::vector<std::pair<std::string, HANDLE>> props;
    RectRegion update; // client coordinates
    bool erasePending = false;
    bool frameDirty = false;
    bool created = false;    // WM_NCCREATE answered TRUE
    bool destroying = false; // DestroyWindow has begun
    bool minimized = false;
    bool maximized = false;
    RECT normalRect{};
    ScrollBar bars[2]; // SB_HORZ, SB_VERT
    HICON icons[2]{};  // ICON_SMALL, ICON_BIG
    HFONT font = nullptr;
    UINT uiState = 0;
    GdiSurface* surface = nullptr; // top-level windows only
};

// One input event waiting in the queue, turned into a message when taken.
struct RawInput {
    enum class Kind {
        Key,
        MouseMove,
        MouseButton,
        Wheel,
        NativeResize, // screen holds the new surface size
        NativeMove,   // screen holds the surface's new top-left corner
        NativeActivate,
        NativeClose,
    } kind = Kind::Key;
    HWND topLevel = nullptr;
    POINT screen{}; // mouse events
    int virtualKey = 0;
    bool down = false;
    int button = 0; // 0 left, 1 right, 2 middle
    int delta = 0;
    DWORD time = 0;
};

// The queue and input state a window-manager reset returns to its start.
struct Session {
    std::deque<MSG> posted;
    std::deque<RawInput> input;
    std::deque<MSG> inputMessages; // input already turned into messages
    bool quitPosted = false;
    int quitCode = 0;
    HWND focus = nullptr;
    HWND active = nullptr;
    HWND capture = nullptr;
    HCURSOR cursor = nullptr;
    BYTE keys[256]{};
    POINT cursorPos{};
    POINT lastPos{};
    HWND lastClickWindow = nullptr;
    // The last button press, for telling a double click (CS_DBLCLKS).
    struct LastPress {
        HWND hwnd = nullptr;
        UINT message = 0;
        DWORD time = 0;
        POINT point{};
    } lastPress;
    int cascade = 0; // places CW_USEDEFAULT windows
};

// Everything else outlives a reset: the records and the message clock.
struct State : Session {
    HandleTable<Window> windows{HandleTag::Window};
    std::vector<std::shared_ptr<WindowClass>> classes;
    std::vector<HWND> topLevels; // z-order: front is the top
    DWORD clock = 0;
    DWORD lastTime = 0;
};

State& TheState();
std::shared_ptr<WindowClass> FindClass(LPCSTR name);
void UnregisterProgramClasses();
void FreeRecord(HWND hwnd);
BOOL ApplyWindowPos(HWND hwnd, WINDOWPOS pos);
void SendNcCalcSize(HWND hwnd);
RECT ScrollBarRect(const Window& window, int bar);
RECT SizeBoxRect(const Window& window);
Window* FindWindowRecord(HWND hwnd);
HWND ToHandle(uintptr_t value);

// Geometry (user/window_geometry.cpp).
POINT ClientOriginOnScreen(const Window& window);
POINT WindowOriginOnScreen(const Window& window);
HWND TopLevelOf(HWND hwnd);
bool IsVisibleChain(HWND hwnd);
bool IsEnabledChain(HWND hwnd);
// The top-level surface's top-left corner on screen, and a window's rectangle
// and client rectangle in surface coordinates.
POINT SurfaceOriginOnScreen(HWND topLevel);
RECT WindowRectInSurface(HWND hwnd);
RECT ClientRectInSurface(HWND hwnd);
// The part of the window (its client area, or the whole window) that shows in
// its top-level surface, in surface coordinates, honouring WS_CLIPSIBLINGS and
// WS_CLIPCHILDREN.
RectRegion VisibleRegion(HWND hwnd, bool wholeWindow);
// The deepest visible window under a screen point (NULL: none).
HWND WindowUnderPoint(POINT screen);

// Non-client areas (user/nonclient.cpp).
struct FrameInsets {
    int left = 0, top = 0, right = 0, bottom = 0;
};
// The frame, caption and menu bar that a backend draws natively around a
// top-level window's surface (zero for children).
FrameInsets NativeInsets(DWORD style, DWORD exStyle, bool isChild, bool hasMenu);
// The edges the window manager draws itself (borders, client edge).
FrameInsets DrawnInsets(DWORD style, DWORD exStyle, bool isChild);
bool ScrollBarShown(const Window& window, int bar);
// The client rectangle for a window rectangle (both relative to the window).
RECT ComputeClientRect(const Window& window, int width, int height);
// Recomputes the client area after a frame change (WM_NCCALCSIZE), sending
// WM_SIZE when its size changed; marks the frame for repainting.
void RecalcFrame(HWND hwnd);
LRESULT DefaultHitTest(HWND hwnd, POINT screen);
// Scroll-bar parts for the mouse (user/scroll_bar.cpp).
bool BeginScrollTracking(HWND hwnd, LRESULT hitTest, POINT screen);
bool ScrollTrackingActive();
void ScrollTrackingMouse(POINT screen, bool buttonUp);
void ScrollByWheel(HWND hwnd, WPARAM wParam, LPARAM lParam);
// Ends any scroll-bar tracking and forgets wheel turns not yet spent.
void ForgetScrollState();
void DrawScrollBars(HWND hwnd, HDC windowDC);
// One-pixel edge lines around `rect`: top and left in one system colour,
// bottom and right in another.
void DrawEdgeLines(HDC dc, const RECT& rect, int topLeft, int bottomRight);

// Painting (user/paint.cpp).
// Invalidates what shows of every window of `topLevel` inside `area`
// (surface coordinates), with erase and frames.
void InvalidateSurfaceArea(HWND topLevel, const RECT& area);
void InvalidateWholeWindow(HWND hwnd);
// Finds a window that needs WM_PAINT (frames are painted on the way).
HWND NextWindowToPaint();
void EnsureSurface(HWND topLevel);
void ReleaseSurface(Window& window);
void PresentArea(HWND topLevel, const RECT& area);
HDC MakeWindowDC(HWND hwnd, bool wholeWindow);
// Sends WM_ERASEBKGND now when an erase is pending (GetUpdateRgn, GetUpdateRect).
void EraseNow(HWND hwnd);
// Sends WM_NCPAINT when the window has a frame the window manager draws.
void PaintFrameNow(HWND hwnd);
// Draws the window's edges and scroll bars (WM_NCPAINT's default).
void DrawFrame(HWND hwnd);
// A solid brush of a system colour, made once and never deleted.
HBRUSH SysColorBrush(int index);

// Queue (user/message_queue.cpp).
DWORD NextTime();
void DropQueuedMessagesFor(HWND hwnd);
void PostInput(const RawInput& input);
void ApplyNativeChange(const RawInput& input);

// Focus (user/focus.cpp): the window is going; move focus, capture and
// activation away from it.
void ForgetWindowState(HWND hwnd);
void ActivateTopLevel(HWND topLevel);

// Menus (user/menu.cpp).
bool IsMenu(HMENU menu);
// Finds the item with `commandId` in `menu` or its sub-menus; grayed tells
// whether it or a menu above it is grayed.
bool FindCommand(HMENU menu, UINT commandId, bool* grayed);
void NotifyMenuBar(HWND hwnd);
void DetachMenuFromWindow(HWND hwnd);

// The system STATIC class's procedure (user/static_control.cpp).
LRESULT StaticWindowProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam);
void RegisterSystemClasses();

} // namespace user_detail
