// Making and destroying windows: CreateWindowExA's message sequence
// (WM_NCCREATE, WM_NCCALCSIZE, WM_CREATE, WM_SIZE, WM_MOVE) and DestroyWindow's
// (WM_DESTROY from the window down, WM_NCDESTROY from the deepest child up),
// after which the handle is dead and every call with it fails cleanly.
#include "platform/backend/backend.h"
#include "platform/gdi/gdi_surface.h"
#include "platform/user/window_state.h"

#include <algorithm>

namespace user_detail {

namespace {

// Where a top-level window made with CW_USEDEFAULT goes: a cascade from the
// screen's top-left corner, and three quarters of the screen in size.
void PlaceDefault(int& x, int& y, int& width, int& height, bool isChild) {
    if (isChild) {
        if (x == CW_USEDEFAULT) x = y = 0;
        if (width == CW_USEDEFAULT) width = height = 0;
        return;
    }
    const SIZE screen = gleamkit::backend::CurrentBackend().ScreenSize();
    if (x == CW_USEDEFAULT) {
        const int step = GetSystemMetrics(SM_CYCAPTION) + GetSystemMetrics(SM_CYFRAME);
        x = y = (TheState().cascade++ % 8) * step;
    }
    if (width == CW_USEDEFAULT) {
        width = screen.cx * 3 / 4;
        height = screen.cy * 3 / 4;
    }
}

HWND AddRecord(const std::shared_ptr<WindowClass>& windowClass, DWORD exStyle, DWORD style,
               HWND parent, HMENU menu, HINSTANCE instance, const RECT& rect) {
    auto window = std::make_unique<Window>();
    window->windowClass = windowClass;
    window->proc = windowClass->record.lpfnWndProc;
    window->style = style & ~WS_VISIBLE;
    window->exStyle = exStyle;
    window->instance = instance;
    window->rect = rect;
    window->client = RECT{0, 0, rect.right - rect.left, rect.bottom - rect.top};
    window->normalRect = rect;
    const bool isChild = (style & WS_CHILD) != 0;
    if (isChild) {
        window->parent = parent;
        window->id = reinterpret_cast<UINT_PTR>(menu);
    } else {
        window->owner = parent != nullptr ? TopLevelOf(parent) : nullptr;
        window->menu = menu;
    }
    Window* record = window.get();
    const HWND hwnd = ToHandle(TheState().windows.Insert(std::move(window)));
    if (hwnd == nullptr) return nullptr;
    record->handle = hwnd;
    ++windowClass->windows;
    if (isChild) {
        Window* parentRecord = FindWindowRecord(parent);
        parentRecord->children.insert(parentRecord->children.begin(), hwnd);
    } else {
        TheState().topLevels.insert(TheState().topLevels.begin(), hwnd);
    }
    return hwnd;
}

void SendInitialSizeAndMove(HWND hwnd) {
    const Window* window = FindWindowRecord(hwnd);
    if (window == nullptr) return;
    const int width = window->client.right - window->client.left;
    const int height = window->client.bottom - window->client.top;
    SendMessageA(hwnd, WM_SIZE, SIZE_RESTORED, MAKELPARAM(width, height));
    window = FindWindowRecord(hwnd);
    if (window == nullptr) return;
    const POINT origin{window->rect.left + window->client.left,
                       window->rect.top + window->client.top};
    SendMessageA(hwnd, WM_MOVE, 0, MAKELPARAM(origin.x, origin.y));
}

void AnnounceTopLevel(HWND hwnd) {
    Window* window = FindWindowRecord(hwnd);
    if (window == nullptr || window->parent != nullptr) return;
    EnsureSurface(hwnd);
    const FrameInsets insets =
        NativeInsets(window->style, window->exStyle, false, window->menu != nullptr);
    const int width = window->rect.right - window->rect.left - insets.left - insets.right;
    const int height = window->rect.bottom - window->rect.top - insets.top - insets.bottom;
    auto& backend = gleamkit::backend::CurrentBackend();
    backend.TopLevelCreated(hwnd, window->text.c_str(),
                            SIZE{std::max(width, 0), std::max(height, 0)});
    if (window->menu != nullptr) backend.MenuBarChanged(hwnd, window->menu);
}

} // namespace

// Removes the record of a window whose children are gone already.
void FreeRecord(HWND hwnd) {
    Window* window = FindWindowRecord(hwnd);
    if (window == nullptr) return;
    State& state = TheState();
    if (window->parent != nullptr) {
        if (Window* parent = FindWindowRecord(window->parent)) {
            auto& siblings = parent->children;
            siblings.erase(std::remove(siblings.begin(), siblings.end(), hwnd), siblings.end());
        }
    } else {
        auto& topLevels = state.topLevels;
        topLevels.erase(std::remove(topLevels.begin(), topLevels.end(), hwnd), topLevels.end());
        gleamkit::backend::CurrentBackend().TopLevelDestroyed(hwnd);
        if (window->menu != nullptr) DestroyMenu(window->menu);
        ReleaseSurface(*window);
    }
    --window->windowClass->windows;
    DropQueuedMessagesFor(hwnd);
    ForgetWindowState(hwnd);
    state.windows.Remove(reinterpret_cast<uintptr_t>(hwnd));
}

} // namespace user_detail

using namespace user_detail;

HWND CreateWindowExA(DWORD exStyle, LPCSTR className, LPCSTR windowName, DWORD style, int x, int y,
                     int width, int height, HWND parent, HMENU menu, HINSTANCE instance,
                     LPVOID param) {
    const auto windowClass = FindClass(className);
    if (windowClass == nullptr) return nullptr;
    const bool isChild = (style & WS_CHILD) != 0;
    if (parent != nullptr && FindWindowRecord(parent) == nullptr) return nullptr;
    if (isChild && parent == nullptr) return nullptr;
    if (!isChild && menu != nullptr && !IsMenu(menu)) return nullptr;
    PlaceDefault(x, y, width, height, isChild);
    width = std::max(width, 0);
    height = std::max(height, 0);
    const RECT rect{x, y, x + width, y + height};
    const HWND hwnd = AddRecord(windowClass, exStyle, style, parent, menu, instance, rect);
    if (hwnd == nullptr) return nullptr;

    CREATESTRUCTA create{
        param,      instance,  menu,   parent, height, width, y, x, static_cast<LONG>(style),
        windowName, className, exStyle};
    if (SendMessageA(hwnd, WM_NCCREATE, 0, reinterpret_cast<LPARAM>(&create)) == FALSE) {
        DestroyWindow(hwnd);
        return nullptr;
    }
    if (Window* window = FindWindowRecord(hwnd)) window->created = true;
    SendNcCalcSize(hwnd);
    if (SendMessageA(hwnd, WM_CREATE, 0, reinterpret_cast<LPARAM>(&create)) == -1) {
        DestroyWindow(hwnd);
        return nullptr;
    }
    if (FindWindowRecord(hwnd) == nullptr) return nullptr;
    AnnounceTopLevel(hwnd);
    SendInitialSizeAndMove(hwnd);
    if (isChild && (exStyle & 0x4) == 0) { // WS_EX_NOPARENTNOTIFY
        const Window* window = FindWindowRecord(hwnd);
        if (window != nullptr) {
            SendMessageA(parent, WM_PARENTNOTIFY,
                         MAKEWPARAM(WM_CREATE, static_cast<int>(window->id)),
                         reinterpret_cast<LPARAM>(hwnd));
        }
    }
    if (FindWindowRecord(hwnd) == nullptr) return nullptr;
    if ((style & WS_VISIBLE) != 0) {
        const int command = (style & WS_MAXIMIZE)   ? SW_SHOWMAXIMIZED
                            : (style & WS_MINIMIZE) ? SW_SHOWMINIMIZED
                                                    : SW_SHOW;
        ShowWindow(hwnd, command);
    }
    return FindWindowRecord(hwnd) != nullptr ? hwnd : nullptr;
}

namespace {

void SendDestroyDown(HWND hwnd) {
    SendMessageA(hwnd, WM_DESTROY, 0, 0);
    const Window* window = FindWindowRecord(hwnd);
    if (window == nullptr) return;
    const std::vector<HWND> children = window->children;
    for (HWND child : children) {
        if (Window* record = FindWindowRecord(child)) {
            record->destroying = true;
            SendDestroyDown(child);
        }
    }
}

void FreeUp(HWND hwnd) {
    const Window* window = FindWindowRecord(hwnd);
    if (window == nullptr) return;
    const std::vector<HWND> children = window->children;
    for (HWND child : children) FreeUp(child);
    SendMessageA(hwnd, WM_NCDESTROY, 0, 0);
    FreeRecord(hwnd);
}

void DestroyOwnedWindows(HWND owner) {
    const std::vector<HWND> topLevels = TheState().topLevels;
    for (HWND other : topLevels) {
        const Window* window = FindWindowRecord(other);
        if (window != nullptr && window->owner == owner && !window->destroying) {
            DestroyWindow(other);
        }
    }
}

} // namespace

BOOL DestroyWindow(HWND hwnd) {
    Window* window = FindWindowRecord(hwnd);
    if (window == nullptr || window->destroying) return FALSE;
    window->destroying = true;
    const HWND parent = window->parent;
    if ((window->style & WS_VISIBLE) != 0) {
        const HWND topLevel = TopLevelOf(hwnd);
        const RECT area = WindowRectInSurface(hwnd);
        window->style &= ~WS_VISIBLE;
        if (parent != nullptr) {
            InvalidateSurfaceArea(topLevel, area);
        } else {
            gleamkit::backend::CurrentBackend().TopLevelShown(hwnd, false);
        }
    }
    ForgetWindowState(hwnd);
    if (parent == nullptr) DestroyOwnedWindows(hwnd);
    window = FindWindowRecord(hwnd);
    if (window != nullptr && parent != nullptr && (window->exStyle & 0x4) == 0) {
        SendMessageA(parent, WM_PARENTNOTIFY, MAKEWPARAM(WM_DESTROY, static_cast<int>(window->id)),
                     reinterpret_cast<LPARAM>(hwnd));
    }
    if (FindWindowRecord(hwnd) == nullptr) return TRUE;
    SendDestroyDown(hwnd);
    FreeUp(hwnd);
    return TRUE;
}

BOOL IsWindow(HWND hwnd) {
    return FindWindowRecord(hwnd) != nullptr ? TRUE : FALSE;
}

HWND GetParent(HWND hwnd) {
    const Window* window = FindWindowRecord(hwnd);
    if (window == nullptr) return nullptr;
    if (window->parent != nullptr) return window->parent;
    return (window->style & WS_POPUP) != 0 ? window->owner : nullptr;
}

HWND GetAncestor(HWND hwnd, UINT flags) {
    const Window* window = FindWindowRecord(hwnd);
    if (window == nullptr) return nullptr;
    if (flags == GA_PARENT) return window->parent;
    if (flags == GA_ROOT) return TopLevelOf(hwnd);
    return nullptr;
}

BOOL IsChild(HWND parent, HWND hwnd) {
    const Window* window = FindWindowRecord(hwnd);
    while (window != nullptr && window->parent != nullptr) {
        if (window->parent == parent) return TRUE;
        window = FindWindowRecord(window->parent);
    }
    return FALSE;
}
