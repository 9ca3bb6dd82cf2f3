// The window manager with Win32's user32 names, records and meanings: window
// classes, windows, the one-thread message queue, painting, scroll bars, focus
// and capture, menus, accelerators and message boxes.
//
// Usage: register a class (RegisterClassA), make windows (CreateWindowExA),
// run the loop (GetMessageA / PeekMessageA, TranslateMessage,
// DispatchMessageA). Sent messages call the window procedure at once; posted
// ones wait in the queue; WM_PAINT is made only when the queue is empty and a
// window has an update region. A stale or wrong handle makes a call fail as
// Win32's does (0, FALSE, NULL), never crash. Records whose first field is a
// size accept Win32's version tags (MENUITEMINFOA 44 or 48) besides sizeof.
#pragma once

#include "platform/win32_types.h"
#include "platform/user/user_constants.h"

using WNDPROC = LRESULT (*)(HWND, UINT, WPARAM, LPARAM);
using ULONG_PTR = uintptr_t;
using LONG_PTR = intptr_t;

// Resource names that are numbers, as LoadCursorA and LoadIconA take them.
inline LPCSTR MAKEINTRESOURCEA(WORD id) {
    return reinterpret_cast<LPCSTR>(uintptr_t{id});
}
inline bool IS_INTRESOURCE(LPCSTR name) {
    return (reinterpret_cast<uintptr_t>(name) >> 16) == 0;
}
inline const LPCSTR IDC_ARROW = MAKEINTRESOURCEA(32512);
inline const LPCSTR IDC_IBEAM = MAKEINTRESOURCEA(32513);
inline const LPCSTR IDC_WAIT = MAKEINTRESOURCEA(32514);
inline const LPCSTR IDC_CROSS = MAKEINTRESOURCEA(32515);
inline const LPCSTR IDC_UPARROW = MAKEINTRESOURCEA(32516);
inline const LPCSTR IDC_SIZENWSE = MAKEINTRESOURCEA(32642);
inline const LPCSTR IDC_SIZENESW = MAKEINTRESOURCEA(32643);
inline const LPCSTR IDC_SIZEWE = MAKEINTRESOURCEA(32644);
inline const LPCSTR IDC_SIZENS = MAKEINTRESOURCEA(32645);
inline const LPCSTR IDC_SIZEALL = MAKEINTRESOURCEA(32646);
inline const LPCSTR IDC_NO = MAKEINTRESOURCEA(32648);
inline const LPCSTR IDC_HAND = MAKEINTRESOURCEA(32649);
inline const LPCSTR IDC_APPSTARTING = MAKEINTRESOURCEA(32650);
inline const LPCSTR IDI_APPLICATION = MAKEINTRESOURCEA(32512);
inline const LPCSTR IDI_HAND = MAKEINTRESOURCEA(32513);
inline const LPCSTR IDI_QUESTION = MAKEINTRESOURCEA(32514);
inline const LPCSTR IDI_EXCLAMATION = MAKEINTRESOURCEA(32515);
inline const LPCSTR IDI_ASTERISK = MAKEINTRESOURCEA(32516);
inline const LPCSTR IDI_WINLOGO = MAKEINTRESOURCEA(32517);

constexpr SHORT GET_WHEEL_DELTA_WPARAM(WPARAM wParam) {
    return static_cast<SHORT>(HIWORD(wParam));
}
constexpr int GET_X_LPARAM(LPARAM lParam) {
    return static_cast<SHORT>(LOWORD(lParam));
}
constexpr int GET_Y_LPARAM(LPARAM lParam) {
    return static_cast<SHORT>(HIWORD(lParam));
}
constexpr LPARAM MAKELPARAM(int low, int high) {
    return static_cast<LPARAM>(
        static_cast<int32_t>(MAKELONG(static_cast<WORD>(low), static_cast<WORD>(high))));
}
constexpr WPARAM MAKEWPARAM(int low, int high) {
    return static_cast<WPARAM>(MAKELONG(static_cast<WORD>(low), static_cast<WORD>(high)));
}

// ---- Records, field for field as Win32 lays them out. ----

struct WNDCLASSA {
    UINT style;
    WNDPROC lpfnWndProc;
    int cbClsExtra;
    int cbWndExtra;
    HINSTANCE hInstance;
    HICON hIcon;
    HCURSOR hCursor;
    HBRUSH hbrBackground;
    LPCSTR lpszMenuName;
    LPCSTR lpszClassName;
};

struct CREATESTRUCTA {
    LPVOID lpCreateParams;
    HINSTANCE hInstance;
    HMENU hMenu;
    HWND hwndParent;
    int cy;
    int cx;
    int y;
    int x;
    LONG style;
    LPCSTR lpszName;
    LPCSTR lpszClass;
    DWORD dwExStyle;
};

struct MSG {
    HWND hwnd;
    UINT message;
    WPARAM wParam;
    LPARAM lParam;
    DWORD time;
    POINT pt;
};

struct PAINTSTRUCT {
    HDC hdc;
    BOOL fErase;
    RECT rcPaint;
    BOOL fRestore;
    BOOL fIncUpdate;
    BYTE rgbReserved[32];
};

struct SCROLLINFO {
    UINT cbSize;
    UINT fMask;
    int nMin;
    int nMax;
    UINT nPage;
    int nPos;
    int nTrackPos;
};

struct WINDOWPOS {
    HWND hwnd;
    HWND hwndInsertAfter;
    int x;
    int y;
    int cx;
    int cy;
    UINT flags;
};

struct NCCALCSIZE_PARAMS {
    RECT rgrc[3];
    WINDOWPOS* lppos;
};

// cbSize: 44 (the record without hbmpItem), 48 (with it) or sizeof.
struct MENUITEMINFOA {
    UINT cbSize;
    UINT fMask;
    UINT fType;
    UINT fState;
    UINT wID;
    HMENU hSubMenu;
    HBITMAP hbmpChecked;
    HBITMAP hbmpUnchecked;
    ULONG_PTR dwItemData;
    LPSTR dwTypeData;
    UINT cch;
    HBITMAP hbmpItem;
};
inline constexpr UINT kMenuItemInfoSize95 = 44;
inline constexpr UINT kMenuItemInfoSize98 = 48;

// Six bytes, as Win32 packs it: flags, a pad byte, key, command.
struct ACCEL {
    BYTE fVirt;
    WORD key;
    WORD cmd;
};

struct OSVERSIONINFOA {
    DWORD dwOSVersionInfoSize;
    DWORD dwMajorVersion;
    DWORD dwMinorVersion;
    DWORD dwBuildNumber;
    DWORD dwPlatformId;
    CHAR szCSDVersion[128];
};

// ---- Classes. ----

// Registers a class; answers its atom, or 0 when the record is missing, has no
// name or procedure, or the name is taken (class names compare without case).
ATOM RegisterClassA(const WNDCLASSA* wndClass);
// Fills `wndClass` with a registered class's record (the system class "STATIC"
// is always there); FALSE when there is no such class. lpszClassName and
// lpszMenuName point at the platform's copies.
BOOL GetClassInfoA(HINSTANCE instance, LPCSTR className, WNDCLASSA* wndClass);
// Removes a class that no window uses any more; FALSE otherwise.
BOOL UnregisterClassA(LPCSTR className, HINSTANCE instance);

// ---- Windows. ----

// Makes a window: WM_NCCREATE, WM_NCCALCSIZE, WM_CREATE are sent in that order;
// a FALSE from WM_NCCREATE or -1 from WM_CREATE destroys it and answers NULL.
// For a WS_CHILD window `menu` is its child id and a parent is required.
// CW_USEDEFAULT in x (or width) lets the platform place (or size) a top-level
// window. A window made with WS_VISIBLE is shown at the end.
HWND CreateWindowExA(DWORD exStyle, LPCSTR className, LPCSTR windowName, DWORD style, int x, int y,
                     int width, int height, HWND parent, HMENU menu, HINSTANCE instance,
                     LPVOID param);
// Destroys the window and its children (WM_DESTROY to the parent first, then
// down; WM_NCDESTROY from the children up). Its handle, the properties and
// the window's menu (not a menu it was only given) go. FALSE for a stale handle.
BOOL DestroyWindow(HWND hwnd);
// Shows, hides, minimises or maximises (SW_ commands); answers whether it was
// visible before. Sends WM_SHOWWINDOW when the visibility changes.
BOOL ShowWindow(HWND hwnd, int command);
// Moves, sizes and re-orders; WM_WINDOWPOSCHANGING, WM_NCCALCSIZE,
// WM_WINDOWPOSCHANGED follow, and DefWindowProcA turns the last into WM_MOVE
// and WM_SIZE. Covered or uncovered parts are invalidated unless SWP_NOREDRAW.
BOOL SetWindowPos(HWND hwnd, HWND insertAfter, int x, int y, int width, int height, UINT flags);
BOOL MoveWindow(HWND hwnd, int x, int y, int width, int height, BOOL repaint);
// The window's rectangle in screen coordinates.
BOOL GetWindowRect(HWND hwnd, RECT* rect);
// The client area in client coordinates: left and top are 0.
BOOL GetClientRect(HWND hwnd, RECT* rect);
// Grows a client rectangle to the window rectangle for the given styles.
BOOL AdjustWindowRectEx(RECT* rect, DWORD style, BOOL hasMenu, DWORD exStyle);
// Converts points from `from`'s client coordinates to `to`'s (NULL = screen);
// answers the offset as MAKELONG(dx, dy), 0 on failure (with last error).
int MapWindowPoints(HWND from, HWND to, POINT* points, UINT count);
BOOL ScreenToClient(HWND hwnd, POINT* point);
BOOL ClientToScreen(HWND hwnd, POINT* point);
BOOL IsWindow(HWND hwnd);
// TRUE when the window and all its ancestors have WS_VISIBLE.
BOOL IsWindowVisible(HWND hwnd);
BOOL IsIconic(HWND hwnd);
BOOL IsZoomed(HWND hwnd);
BOOL IsChild(HWND parent, HWND hwnd);
BOOL EnableWindow(HWND hwnd, BOOL enable);
BOOL IsWindowEnabled(HWND hwnd);
// A child's parent; NULL for a top-level window or a stale handle.
HWND GetParent(HWND hwnd);
// GA_PARENT: the parent window (NULL for a top-level window); GA_ROOT: the
// top-level window at the root of the parent chain (the window itself when
// it is top-level). NULL for a stale handle or another flag.
HWND GetAncestor(HWND hwnd, UINT flags);
BOOL SetWindowTextA(HWND hwnd, LPCSTR text);
int GetWindowTextA(HWND hwnd, LPSTR buffer, int maxCount);
int GetWindowTextLengthA(HWND hwnd);
LONG_PTR GetWindowLongPtrA(HWND hwnd, int index);
LONG_PTR SetWindowLongPtrA(HWND hwnd, int index, LONG_PTR value);
// Named properties: each window keeps its own; names compare without case.
BOOL SetPropA(HWND hwnd, LPCSTR name, HANDLE data);
HANDLE GetPropA(HWND hwnd, LPCSTR name);
HANDLE RemovePropA(HWND hwnd, LPCSTR name);
LRESULT CallWindowProcA(WNDPROC proc, HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam);
// The default answers: WM_CLOSE destroys, WM_ERASEBKGND fills with the class
// brush, WM_PAINT validates, WM_NCHITTEST/WM_NCPAINT/WM_NCCALCSIZE manage the
// frame and scroll bars, WM_NCLBUTTONDOWN on a scroll bar tracks it,
// WM_SETCURSOR sets the class cursor, WM_SYSCOMMAND closes, minimises and
// restores, WM_MOUSEWHEEL scrolls a window that has a vertical range.
LRESULT DefWindowProcA(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam);

// ---- Messages. ----

LRESULT SendMessageA(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam);
// Queues a message; hwnd NULL queues a thread message. FALSE for a stale handle.
BOOL PostMessageA(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam);
void PostQuitMessage(int exitCode);
// Takes (PM_REMOVE) or looks at the next message for `hwnd` (NULL: any) in
// [filterMin, filterMax] (0, 0: all). Posted messages come first, then input,
// then WM_PAINT for a window with an update region.
BOOL PeekMessageA(MSG* msg, HWND hwnd, UINT filterMin, UINT filterMax, UINT removeOptions);
// Waits for a message; answers 0 for WM_QUIT, -1 for a bad argument.
BOOL GetMessageA(MSG* msg, HWND hwnd, UINT filterMin, UINT filterMax);
// Returns when a message is there (the backend waits for native events).
BOOL WaitMessage();
// WM_KEYDOWN / WM_SYSKEYDOWN of a key that types a character posts WM_CHAR /
// WM_SYSCHAR. Answers TRUE for a key message.
BOOL TranslateMessage(const MSG* msg);
LRESULT DispatchMessageA(const MSG* msg);
// Bit 15: the key is down; bit 0: toggled (as of the message last taken).
SHORT GetKeyState(int virtualKey);
// The time (milliseconds) and the screen position of the message last taken.
LONG GetMessageTime();
DWORD GetMessagePos();

// ---- Painting. ----

// Adds `rect` (client coordinates; NULL = the whole client area) to the update
// region; `erase` asks BeginPaint to send WM_ERASEBKGND.
BOOL InvalidateRect(HWND hwnd, const RECT* rect, BOOL erase);
BOOL InvalidateRgn(HWND hwnd, HRGN region, BOOL erase);
BOOL ValidateRect(HWND hwnd, const RECT* rect);
BOOL ValidateRgn(HWND hwnd, HRGN region);
// Sends WM_PAINT at once when the window has an update region.
BOOL UpdateWindow(HWND hwnd);
// Copies the update region into `region` (client coordinates) and answers its
// kind (NULLREGION, SIMPLEREGION, COMPLEXREGION or ERROR); `erase` sends
// WM_ERASEBKGND now if an erase is pending.
int GetUpdateRgn(HWND hwnd, HRGN region, BOOL erase);
BOOL GetUpdateRect(HWND hwnd, RECT* rect, BOOL erase);
// Starts painting: the DC is clipped to the update region, the region is
// validated, WM_ERASEBKGND is sent when an erase is pending (fErase tells
// whether the background still needs erasing).
HDC BeginPaint(HWND hwnd, PAINTSTRUCT* paint);
BOOL EndPaint(HWND hwnd, const PAINTSTRUCT* paint);
// A DC on the whole window, frame included, clipped like GetDC's (GetDC and
// ReleaseDC themselves live in the graphics layer, which asks the window
// manager for a window's part of its top-level surface).
HDC GetWindowDC(HWND hwnd);

// ---- Scroll bars of a window's frame (SB_HORZ, SB_VERT). ----

// Changes the fields named by fMask; a bar shows while its range exceeds its
// page (nMax - nMin + 1 > nPage), changing the client area (WM_SIZE follows).
// The position is kept within [nMin, nMax - max(nPage, 1) + 1]. Answers the
// new position.
int SetScrollInfo(HWND hwnd, int bar, const SCROLLINFO* info, BOOL redraw);
// FALSE for a window whose bar was never set and for a bad record.
BOOL GetScrollInfo(HWND hwnd, int bar, SCROLLINFO* info);
int GetScrollPos(HWND hwnd, int bar);
int SetScrollPos(HWND hwnd, int bar, int position, BOOL redraw);
BOOL GetScrollRange(HWND hwnd, int bar, int* minPos, int* maxPos);
BOOL SetScrollRange(HWND hwnd, int bar, int minPos, int maxPos, BOOL redraw);

// ---- Focus, capture, activation, cursor. ----

// Gives the keyboard focus; WM_KILLFOCUS to the old window, WM_SETFOCUS to the
// new. Answers the old focus window.
HWND SetFocus(HWND hwnd);
HWND GetFocus();
HWND GetActiveWindow();
HWND SetActiveWindow(HWND hwnd);
// Mouse input goes to the capture window until ReleaseCapture.
HWND SetCapture(HWND hwnd);
HWND GetCapture();
BOOL ReleaseCapture();
// Answers the previous cursor.
HCURSOR SetCursor(HCURSOR cursor);
HCURSOR GetCursor();
BOOL GetCursorPos(POINT* point);
// The platform's shared cursors and icons (IDC_*, IDI_*) for instance NULL;
// named resources of the program: NULL, as the program carries none.
HCURSOR LoadCursorA(HINSTANCE instance, LPCSTR name);
HICON LoadIconA(HINSTANCE instance, LPCSTR name);
// CopyImage (declared with the graphics layer) copies icons and cursors too:
// IMAGE_ICON / IMAGE_CURSOR give a new handle equal to the original.
// Frees an icon made by CopyImage; shared icons stay. FALSE for a stale handle.
BOOL DestroyIcon(HICON icon);
BOOL DestroyCursor(HCURSOR cursor);

// ---- System information. ----

int GetSystemMetrics(int index);
// Answers an NT 5.1 version. dwOSVersionInfoSize must be sizeof(OSVERSIONINFOA).
BOOL GetVersionExA(OSVERSIONINFOA* info);
// The program's module handle (name NULL); NULL for any other module.
HMODULE GetModuleHandleA(LPCSTR moduleName);

// ---- Menus. ----

HMENU CreateMenu();
HMENU CreatePopupMenu();
// Inserts before the item at `item` (by position when `byPosition`, else by
// command id); a position past the end (or -1) appends. Masks MIIM_STATE,
// MIIM_ID, MIIM_SUBMENU, MIIM_TYPE, MIIM_DATA, MIIM_STRING, MIIM_FTYPE,
// MIIM_CHECKMARKS and MIIM_BITMAP are honoured; text is copied.
BOOL InsertMenuItemA(HMENU menu, UINT item, BOOL byPosition, const MENUITEMINFOA* info);
// By command id the search goes into sub-menus too. With MIIM_TYPE or
// MIIM_STRING the text is copied into dwTypeData (cch in: its capacity; out:
// the text's length); a NULL dwTypeData only answers the length.
BOOL GetMenuItemInfoA(HMENU menu, UINT item, BOOL byPosition, MENUITEMINFOA* info);
BOOL SetMenuItemInfoA(HMENU menu, UINT item, BOOL byPosition, const MENUITEMINFOA* info);
// Checks `check` as a radio item and clears the marks of the others in
// [first, last]; `flags` MF_BYPOSITION or MF_BYCOMMAND.
BOOL CheckMenuRadioItem(HMENU menu, UINT first, UINT last, UINT check, UINT flags);
// Removes an item; a sub-menu it holds is not destroyed.
BOOL RemoveMenu(HMENU menu, UINT item, UINT flags);
// Destroys a menu and its sub-menus.
BOOL DestroyMenu(HMENU menu);
int GetMenuItemCount(HMENU menu);
UINT GetMenuItemID(HMENU menu, int position);
HMENU GetSubMenu(HMENU menu, int position);
UINT GetMenuState(HMENU menu, UINT item, UINT flags);
DWORD CheckMenuItem(HMENU menu, UINT item, UINT check);
BOOL EnableMenuItem(HMENU menu, UINT item, UINT enable);
// Gives a top-level window its menu bar (NULL removes it); the client area
// shrinks or grows and WM_SIZE follows.
BOOL SetMenu(HWND hwnd, HMENU menu);
HMENU GetMenu(HWND hwnd);
// Shows the menu bar's new state (the backend mirrors it).
BOOL DrawMenuBar(HWND hwnd);

// ---- Accelerators. ----

HACCEL CreateAcceleratorTableA(const ACCEL* entries, int count);
BOOL DestroyAcceleratorTable(HACCEL table);
int CopyAcceleratorTableA(HACCEL table, ACCEL* entries, int count);
// For a WM_KEYDOWN / WM_SYSKEYDOWN (WM_CHAR for entries without FVIRTKEY)
// matching an entry: sends WM_COMMAND (high word 1, lParam 0) to `hwnd`,
// unless the command is a grayed item of the window's menu. Answers TRUE when
// the key was taken.
int TranslateAcceleratorA(HWND hwnd, HACCEL table, MSG* msg);

// ---- Message boxes. ----

// Shows a modal message box through the backend and answers the button chosen
// (IDOK, IDCANCEL, IDYES, ...). The owner takes no input meanwhile.
int MessageBoxA(HWND owner, LPCSTR text, LPCSTR caption, UINT type);
