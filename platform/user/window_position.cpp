// Showing, hiding, moving and sizing windows: ShowWindow with WM_SHOWWINDOW,
// SetWindowPos with WM_WINDOWPOSCHANGING / WM_NCCALCSIZE / WM_WINDOWPOSCHANGED
// (DefWindowProcA turns the last into WM_MOVE and WM_SIZE), and the rectangle
// and point queries.
#include "platform/backend/backend.h"
#include "platform/user/window_state.h"

#include <algorithm>

namespace user_detail {

namespace {

bool SameSize(const RECT& a, const RECT& b) {
    return a.right - a.left == b.right - b.left && a.bottom - a.top == b.bottom - b.top;
}

void Reorder(Window& window, HWND insertAfter) {
    std::vector<HWND>* list = &TheState().topLevels;
    if (window.parent != nullptr) {
        Window* parent = FindWindowRecord(window.parent);
        if (parent == nullptr) return;
        list = &parent->children;
    }
    list->erase(std::remove(list->begin(), list->end(), window.handle), list->end());
    if (insertAfter == HWND_BOTTOM) {
        list->push_back(window.handle);
        return;
    }
    auto place = std::find(list->begin(), list->end(), insertAfter);
    if (insertAfter == HWND_TOP || insertAfter == HWND_TOPMOST || insertAfter == HWND_NOTOPMOST ||
        place == list->end()) {
        list->insert(list->begin(), window.handle);
    } else {
        list->insert(place + 1, window.handle);
    }
}

void TellBackendPlaced(HWND hwnd) {
    const Window* window = FindWindowRecord(hwnd);
    if (window == nullptr || window->parent != nullptr) return;
    const POINT origin = SurfaceOriginOnScreen(hwnd);
    const FrameInsets insets =
        NativeInsets(window->style, window->exStyle, false, window->menu != nullptr);
    const int width = window->rect.right - window->rect.left - insets.left - insets.right;
    const int height = window->rect.bottom - window->rect.top - insets.top - insets.bottom;
    gleamkit::backend::CurrentBackend().TopLevelPlaced(
        hwnd,
        RECT{origin.x, origin.y, origin.x + std::max(width, 0), origin.y + std::max(height, 0)});
}

// Repaints what a change of place or visibility uncovered or covered.
void InvalidateAfterMove(HWND hwnd, const RECT& oldArea, bool wasVisible) {
    const Window* window = FindWindowRecord(hwnd);
    if (window == nullptr) return;
    const bool visible = (window->style & WS_VISIBLE) != 0;
    if (window->parent == nullptr) {
        EnsureSurface(hwnd);
        if (visible) InvalidateWholeWindow(hwnd);
        return;
    }
    const HWND topLevel = TopLevelOf(hwnd);
    if (wasVisible) InvalidateSurfaceArea(topLevel, oldArea);
    if (visible) InvalidateSurfaceArea(topLevel, WindowRectInSurface(hwnd));
}

} // namespace

// Sets the new place, size, order and visibility of WINDOWPOS and sends the
// messages that follow. Answers FALSE when the window went meanwhile.
BOOL ApplyWindowPos(HWND hwnd, WINDOWPOS pos) {
    Window* window = FindWindowRecord(hwnd);
    if (window == nullptr) return FALSE;
    const RECT oldRect = window->rect;
    const RECT oldClient = window->client;
    const RECT oldArea = WindowRectInSurface(hwnd);
    const bool wasVisible = (window->style & WS_VISIBLE) != 0;
    const RECT newRect{pos.x, pos.y, pos.x + std::max(pos.cx, 0), pos.y + std::max(pos.cy, 0)};
    if ((pos.flags & SWP_NOZORDER) == 0) Reorder(*window, pos.hwndInsertAfter);
    window->rect = newRect;
    if (!SameSize(oldRect, newRect) || (pos.flags & SWP_FRAMECHANGED) != 0) {
        NCCALCSIZE_PARAMS params{};
        params.rgrc[0] = newRect;
        params.rgrc[1] = oldRect;
        params.rgrc[2] = OffsetRectBy(oldClient, oldRect.left, oldRect.top);
        params.lppos = &pos;
        SendMessageA(hwnd, WM_NCCALCSIZE, TRUE, reinterpret_cast<LPARAM>(&params));
        window = FindWindowRecord(hwnd);
        if (window == nullptr) return FALSE;
        window->client = OffsetRectBy(params.rgrc[0], -window->rect.left, -window->rect.top);
        window->frameDirty = true;
    }
    if ((pos.flags & SWP_SHOWWINDOW) != 0) window->style |= WS_VISIBLE;
    if ((pos.flags & SWP_HIDEWINDOW) != 0) window->style &= ~WS_VISIBLE;
    const bool visible = (window->style & WS_VISIBLE) != 0;
    const bool moved = oldRect.left != newRect.left || oldRect.top != newRect.top;
    const bool resized = !SameSize(oldRect, newRect);
    const bool clientMoved =
        moved || oldClient.left != window->client.left || oldClient.top != window->client.top;
    const bool clientResized = resized || !SameSize(oldClient, window->client);
    if (window->parent == nullptr && visible != wasVisible) {
        gleamkit::backend::CurrentBackend().TopLevelShown(hwnd, visible);
    }
    if ((pos.flags & SWP_NOREDRAW) == 0 &&
        (moved || resized || visible != wasVisible || (pos.flags & SWP_NOZORDER) == 0 ||
         (pos.flags & SWP_FRAMECHANGED) != 0)) {
        InvalidateAfterMove(hwnd, oldArea, wasVisible);
    } else if (window->parent == nullptr) {
        EnsureSurface(hwnd);
    }
    if (moved || resized || (pos.flags & SWP_FRAMECHANGED) != 0) TellBackendPlaced(hwnd);
    pos.flags &= ~(SWP_NOMOVE | SWP_NOSIZE);
    if (!clientMoved) pos.flags |= SWP_NOMOVE;
    if (!clientResized) pos.flags |= SWP_NOSIZE;
    SendMessageA(hwnd, WM_WINDOWPOSCHANGED, 0, reinterpret_cast<LPARAM>(&pos));
    return FindWindowRecord(hwnd) != nullptr ? TRUE : FALSE;
}

void RecalcFrame(HWND hwnd) {
    SetWindowPos(hwnd, nullptr, 0, 0, 0, 0,
                 SWP_NOMOVE | SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE | SWP_FRAMECHANGED);
}

} // namespace user_detail

using namespace user_detail;

BOOL SetWindowPos(HWND hwnd, HWND insertAfter, int x, int y, int width, int height, UINT flags) {
    const Window* window = FindWindowRecord(hwnd);
    if (window == nullptr) return FALSE;
    WINDOWPOS pos{hwnd, insertAfter, x, y, width, height, flags};
    if ((flags & SWP_NOMOVE) != 0) {
        pos.x = window->rect.left;
        pos.y = window->rect.top;
    }
    if ((flags & SWP_NOSIZE) != 0) {
        pos.cx = window->rect.right - window->rect.left;
        pos.cy = window->rect.bottom - window->rect.top;
    }
    if ((flags & SWP_NOSENDCHANGING) == 0) {
        SendMessageA(hwnd, WM_WINDOWPOSCHANGING, 0, reinterpret_cast<LPARAM>(&pos));
    }
    if (!ApplyWindowPos(hwnd, pos)) return FALSE;
    window = FindWindowRecord(hwnd);
    if (window != nullptr && window->parent == nullptr &&
        (flags & (SWP_NOACTIVATE | SWP_HIDEWINDOW)) == 0 && (window->style & WS_VISIBLE) != 0) {
        ActivateTopLevel(hwnd);
    }
    return TRUE;
}

BOOL MoveWindow(HWND hwnd, int x, int y, int width, int height, BOOL repaint) {
    return SetWindowPos(hwnd, nullptr, x, y, width, height,
                        SWP_NOZORDER | SWP_NOACTIVATE | (repaint ? 0 : SWP_NOREDRAW));
}

namespace {

void ChangeVisibility(HWND hwnd, bool show, bool activate) {
    const UINT flags = SWP_NOMOVE | SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE |
                       (show ? SWP_SHOWWINDOW : SWP_HIDEWINDOW);
    SendMessageA(hwnd, WM_SHOWWINDOW, show ? TRUE : FALSE, 0);
    if (FindWindowRecord(hwnd) == nullptr) return;
    SetWindowPos(hwnd, nullptr, 0, 0, 0, 0, flags);
    const Window* window = FindWindowRecord(hwnd);
    if (window == nullptr) return;
    if (!show) {
        ForgetWindowState(hwnd);
    } else if (activate && window->parent == nullptr) {
        ActivateTopLevel(hwnd);
    }
}

void Minimize(HWND hwnd) {
    Window* window = FindWindowRecord(hwnd);
    if (window->minimized) return;
    window->minimized = true;
    window->style |= WS_MINIMIZE;
    ForgetWindowState(hwnd);
    SendMessageA(hwnd, WM_SIZE, SIZE_MINIMIZED, 0);
}

void Restore(HWND hwnd) {
    Window* window = FindWindowRecord(hwnd);
    if (window->minimized) {
        window->minimized = false;
        window->style &= ~WS_MINIMIZE;
        InvalidateWholeWindow(hwnd);
        const int width = window->client.right - window->client.left;
        const int height = window->client.bottom - window->client.top;
        SendMessageA(hwnd, WM_SIZE, window->maximized ? SIZE_MAXIMIZED : SIZE_RESTORED,
                     MAKELPARAM(width, height));
        return;
    }
    if (window->maximized) {
        window->maximized = false;
        window->style &= ~WS_MAXIMIZE;
        const RECT normal = window->normalRect;
        SetWindowPos(hwnd, nullptr, normal.left, normal.top, normal.right - normal.left,
                     normal.bottom - normal.top, SWP_NOZORDER | SWP_NOACTIVATE);
    }
}

void Maximize(HWND hwnd) {
    Window* window = FindWindowRecord(hwnd);
    if (window->minimized) Restore(hwnd);
    window = FindWindowRecord(hwnd);
    if (window == nullptr || window->maximized) return;
    window->normalRect = window->rect;
    window->maximized = true;
    window->style |= WS_MAXIMIZE;
    RECT area{0, 0, 0, 0};
    if (window->parent == nullptr) {
        area.right = GetSystemMetrics(SM_CXSCREEN);
        area.bottom = GetSystemMetrics(SM_CYSCREEN);
    } else {
        GetClientRect(window->parent, &area);
    }
    SetWindowPos(hwnd, nullptr, area.left, area.top, area.right, area.bottom,
                 SWP_NOZORDER | SWP_NOACTIVATE);
}

} // namespace

BOOL ShowWindow(HWND hwnd, int command) {
    const Window* window = FindWindowRecord(hwnd);
    if (window == nullptr) return FALSE;
    const BOOL wasVisible = (window->style & WS_VISIBLE) != 0 ? TRUE : FALSE;
    switch (command) {
    case SW_HIDE:
        if (wasVisible) ChangeVisibility(hwnd, false, false);
        break;
    case SW_SHOWMINIMIZED:
    case SW_MINIMIZE:
    case SW_SHOWMINNOACTIVE:
        if (!wasVisible) ChangeVisibility(hwnd, true, false);
        if (FindWindowRecord(hwnd) != nullptr) Minimize(hwnd);
        break;
    case SW_SHOWMAXIMIZED:
        if (!wasVisible) ChangeVisibility(hwnd, true, true);
        if (FindWindowRecord(hwnd) != nullptr) Maximize(hwnd);
        break;
    default: {
        const bool activate = command != SW_SHOWNA && command != SW_SHOWNOACTIVATE;
        if (!wasVisible) {
            ChangeVisibility(hwnd, true, activate);
        } else if (activate && window->parent == nullptr) {
            ActivateTopLevel(hwnd);
        }
        if ((command == SW_RESTORE || command == SW_SHOWNORMAL) && FindWindowRecord(hwnd)) {
            Restore(hwnd);
        }
        break;
    }
    }
    return wasVisible;
}

BOOL GetWindowRect(HWND hwnd, RECT* rect) {
    const Window* window = FindWindowRecord(hwnd);
    if (window == nullptr || rect == nullptr) return FALSE;
    const POINT origin = WindowOriginOnScreen(*window);
    *rect = RECT{origin.x, origin.y, origin.x + (window->rect.right - window->rect.left),
                 origin.y + (window->rect.bottom - window->rect.top)};
    return TRUE;
}

BOOL GetClientRect(HWND hwnd, RECT* rect) {
    const Window* window = FindWindowRecord(hwnd);
    if (window == nullptr || rect == nullptr) return FALSE;
    *rect = RECT{0, 0, std::max(window->client.right - window->client.left, 0),
                 std::max(window->client.bottom - window->client.top, 0)};
    return TRUE;
}

int MapWindowPoints(HWND from, HWND to, POINT* points, UINT count) {
    POINT fromOrigin{0, 0};
    POINT toOrigin{0, 0};
    if (from != nullptr) {
        const Window* window = FindWindowRecord(from);
        if (window == nullptr) return 0;
        fromOrigin = ClientOriginOnScreen(*window);
    }
    if (to != nullptr) {
        const Window* window = FindWindowRecord(to);
        if (window == nullptr) return 0;
        toOrigin = ClientOriginOnScreen(*window);
    }
    const int dx = fromOrigin.x - toOrigin.x;
    const int dy = fromOrigin.y - toOrigin.y;
    for (UINT i = 0; points != nullptr && i < count; ++i) {
        points[i].x += dx;
        points[i].y += dy;
    }
    return static_cast<int>(MAKELONG(static_cast<WORD>(dx), static_cast<WORD>(dy)));
}

BOOL ScreenToClient(HWND hwnd, POINT* point) {
    const Window* window = FindWindowRecord(hwnd);
    if (window == nullptr || point == nullptr) return FALSE;
    const POINT origin = ClientOriginOnScreen(*window);
    point->x -= origin.x;
    point->y -= origin.y;
    return TRUE;
}

BOOL ClientToScreen(HWND hwnd, POINT* point) {
    const Window* window = FindWindowRecord(hwnd);
    if (window == nullptr || point == nullptr) return FALSE;
    const POINT origin = ClientOriginOnScreen(*window);
    point->x += origin.x;
    point->y += origin.y;
    return TRUE;
}

BOOL IsWindowVisible(HWND hwnd) {
    return IsVisibleChain(hwnd) ? TRUE : FALSE;
}

BOOL IsIconic(HWND hwnd) {
    const Window* window = FindWindowRecord(hwnd);
    return window != nullptr && window->minimized ? TRUE : FALSE;
}

BOOL IsZoomed(HWND hwnd) {
    const Window* window = FindWindowRecord(hwnd);
    return window != nullptr && window->maximized ? TRUE : FALSE;
}

BOOL EnableWindow(HWND hwnd, BOOL enable) {
    Window* window = FindWindowRecord(hwnd);
    if (window == nullptr) return FALSE;
    const BOOL wasDisabled = (window->style & WS_DISABLED) != 0 ? TRUE : FALSE;
    if ((enable != FALSE) == (wasDisabled == FALSE)) return wasDisabled;
    if (enable) {
        window->style &= ~WS_DISABLED;
    } else {
        window->style |= WS_DISABLED;
        const State& state = TheState();
        if (state.focus == hwnd || IsChild(hwnd, state.focus)) SetFocus(nullptr);
        if (state.capture == hwnd || IsChild(hwnd, state.capture)) ReleaseCapture();
    }
    if (FindWindowRecord(hwnd) != nullptr) SendMessageA(hwnd, WM_ENABLE, enable ? TRUE : FALSE, 0);
    return wasDisabled;
}

BOOL IsWindowEnabled(HWND hwnd) {
    const Window* window = FindWindowRecord(hwnd);
    return window != nullptr && (window->style & WS_DISABLED) == 0 ? TRUE : FALSE;
}
