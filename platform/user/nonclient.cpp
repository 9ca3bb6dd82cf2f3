// Non-client geometry: frames, captions, menu bars, edges and scroll bars
// around the client area (classic metrics), WM_NCCALCSIZE's default answer,
// hit-testing, AdjustWindowRectEx and GetSystemMetrics.
#include "platform/backend/backend.h"
#include "platform/user/window_state.h"

#include <algorithm>

namespace user_detail {

namespace {

constexpr int kFrame = 4;       // sizing frame
constexpr int kDialogFrame = 3; // fixed frame, dialog frame
constexpr int kBorder = 1;
constexpr int kCaption = 19; // caption bar including its bottom line
constexpr int kMenuBar = 19;
constexpr int kScrollBar = 16;
constexpr int kEdge = 2;

int FrameWidth(DWORD style, DWORD exStyle) {
    if ((style & WS_THICKFRAME) != 0) return kFrame;
    if ((style & WS_DLGFRAME) != 0 || (exStyle & WS_EX_DLGMODALFRAME) != 0) return kDialogFrame;
    if ((style & WS_BORDER) != 0) return kBorder;
    return 0;
}

} // namespace

FrameInsets NativeInsets(DWORD style, DWORD exStyle, bool isChild, bool hasMenu) {
    FrameInsets insets;
    if (isChild) return insets;
    const int frame = FrameWidth(style, exStyle);
    insets.left = insets.top = insets.right = insets.bottom = frame;
    if ((style & WS_CAPTION) == WS_CAPTION) insets.top += kCaption;
    if (hasMenu) insets.top += kMenuBar;
    return insets;
}

FrameInsets DrawnInsets(DWORD style, DWORD exStyle, bool isChild) {
    int edge = isChild ? FrameWidth(style, exStyle) : 0;
    if ((exStyle & WS_EX_CLIENTEDGE) != 0) edge += kEdge;
    if ((exStyle & WS_EX_STATICEDGE) != 0) edge += kBorder;
    return FrameInsets{edge, edge, edge, edge};
}

bool ScrollBarShown(const Window& window, int bar) {
    return (window.style & (bar == SB_VERT ? WS_VSCROLL : WS_HSCROLL)) != 0;
}

RECT ComputeClientRect(const Window& window, int width, int height) {
    const bool isChild = window.parent != nullptr;
    const FrameInsets native =
        NativeInsets(window.style, window.exStyle, isChild, window.menu != nullptr);
    const FrameInsets drawn = DrawnInsets(window.style, window.exStyle, isChild);
    RECT client{native.left + drawn.left, native.top + drawn.top,
                width - native.right - drawn.right, height - native.bottom - drawn.bottom};
    if (ScrollBarShown(window, SB_VERT)) client.right -= kScrollBar;
    if (ScrollBarShown(window, SB_HORZ)) client.bottom -= kScrollBar;
    client.right = std::max(client.right, client.left);
    client.bottom = std::max(client.bottom, client.top);
    return client;
}

// WM_NCCALCSIZE with wParam FALSE, as CreateWindowExA sends it before WM_CREATE.
void SendNcCalcSize(HWND hwnd) {
    Window* window = FindWindowRecord(hwnd);
    if (window == nullptr) return;
    RECT rect = window->rect;
    SendMessageA(hwnd, WM_NCCALCSIZE, FALSE, reinterpret_cast<LPARAM>(&rect));
    window = FindWindowRecord(hwnd);
    if (window != nullptr)
        window->client = OffsetRectBy(rect, -window->rect.left, -window->rect.top);
}

// The scroll bars' rectangles, relative to the window; empty when hidden.
RECT ScrollBarRect(const Window& window, int bar) {
    if (!ScrollBarShown(window, bar)) return RECT{0, 0, 0, 0};
    const RECT& c = window.client;
    if (bar == SB_VERT) return RECT{c.right, c.top, c.right + kScrollBar, c.bottom};
    return RECT{c.left, c.bottom, c.right, c.bottom + kScrollBar};
}

RECT SizeBoxRect(const Window& window) {
    if (!ScrollBarShown(window, SB_VERT) || !ScrollBarShown(window, SB_HORZ)) {
        return RECT{0, 0, 0, 0};
    }
    const RECT& c = window.client;
    return RECT{c.right, c.bottom, c.right + kScrollBar, c.bottom + kScrollBar};
}

namespace {

bool Inside(const RECT& rect, POINT point) {
    return point.x >= rect.left && point.x < rect.right && point.y >= rect.top &&
           point.y < rect.bottom;
}

LRESULT NativeHitTest(const Window& window, POINT p) {
    const int width = window.rect.right - window.rect.left;
    const int frame = FrameWidth(window.style, window.exStyle);
    const bool sizing = (window.style & WS_THICKFRAME) != 0;
    if (p.x < frame || p.y < frame || p.x >= width - frame ||
        p.y >= window.rect.bottom - window.rect.top - frame) {
        if (!sizing) return HTBORDER;
        if (p.y < frame) return p.x < frame ? HTTOPLEFT : p.x >= width - frame ? HTTOPRIGHT : HTTOP;
        if (p.x < frame)
            return p.y >= window.rect.bottom - window.rect.top - frame ? HTBOTTOMLEFT : HTLEFT;
        if (p.x >= width - frame) {
            return p.y >= window.rect.bottom - window.rect.top - frame ? HTBOTTOMRIGHT : HTRIGHT;
        }
        return HTBOTTOM;
    }
    if ((window.style & WS_CAPTION) == WS_CAPTION && p.y < frame + kCaption) {
        if ((window.style & WS_SYSMENU) != 0 && p.x >= width - frame - kCaption) return HTCLOSE;
        return HTCAPTION;
    }
    return HTMENU;
}

} // namespace

LRESULT DefaultHitTest(HWND hwnd, POINT screen) {
    const Window* window = FindWindowRecord(hwnd);
    if (window == nullptr) return HTNOWHERE;
    const POINT origin = WindowOriginOnScreen(*window);
    const POINT p{screen.x - origin.x, screen.y - origin.y};
    const RECT whole{0, 0, window->rect.right - window->rect.left,
                     window->rect.bottom - window->rect.top};
    if (!Inside(whole, p)) return HTNOWHERE;
    if (Inside(window->client, p)) return HTCLIENT;
    if (Inside(ScrollBarRect(*window, SB_VERT), p)) return HTVSCROLL;
    if (Inside(ScrollBarRect(*window, SB_HORZ), p)) return HTHSCROLL;
    if (Inside(SizeBoxRect(*window), p)) return HTNOWHERE;
    if (window->parent == nullptr) {
        const FrameInsets native =
            NativeInsets(window->style, window->exStyle, false, window->menu != nullptr);
        const RECT inner{native.left, native.top, whole.right - native.right,
                         whole.bottom - native.bottom};
        if (!Inside(inner, p)) return NativeHitTest(*window, p);
    }
    return HTBORDER;
}

} // namespace user_detail

using namespace user_detail;

BOOL AdjustWindowRectEx(RECT* rect, DWORD style, BOOL hasMenu, DWORD exStyle) {
    if (rect == nullptr) return FALSE;
    const bool isChild = (style & WS_CHILD) != 0;
    const FrameInsets native = NativeInsets(style, exStyle, isChild, hasMenu != FALSE);
    const FrameInsets drawn = DrawnInsets(style, exStyle, isChild);
    rect->left -= native.left + drawn.left;
    rect->top -= native.top + drawn.top;
    rect->right += native.right + drawn.right;
    rect->bottom += native.bottom + drawn.bottom;
    return TRUE;
}

int GetSystemMetrics(int index) {
    const SIZE screen = gleamkit::backend::CurrentBackend().ScreenSize();
    switch (index) {
    case SM_CXSCREEN:
    case SM_CXFULLSCREEN:
    case SM_CXVIRTUALSCREEN:
        return screen.cx;
    case SM_CYSCREEN:
    case SM_CYVIRTUALSCREEN:
        return screen.cy;
    case SM_CYFULLSCREEN:
        return screen.cy - kCaption;
    case SM_CXMAXIMIZED:
        return screen.cx + 2 * kFrame;
    case SM_CYMAXIMIZED:
        return screen.cy + 2 * kFrame;
    case SM_CXVSCROLL:
    case SM_CYHSCROLL:
    case SM_CYVSCROLL:
    case SM_CXHSCROLL:
    case SM_CYVTHUMB:
    case SM_CXHTHUMB:
    case SM_CXSMICON:
    case SM_CYSMICON:
        return kScrollBar;
    case SM_CYCAPTION:
        return kCaption;
    case SM_CYMENU:
        return kMenuBar;
    case SM_CXBORDER:
    case SM_CYBORDER:
    case SM_MOUSEPRESENT:
    case SM_MOUSEWHEELPRESENT:
        return 1;
    case SM_CXDLGFRAME:
    case SM_CYDLGFRAME:
        return kDialogFrame;
    case SM_CXFRAME:
    case SM_CYFRAME:
    case SM_CXDOUBLECLK:
    case SM_CYDOUBLECLK:
        return kFrame;
    case SM_CXEDGE:
    case SM_CYEDGE:
        return kEdge;
    case SM_CXICON:
    case SM_CYICON:
    case SM_CXCURSOR:
    case SM_CYCURSOR:
        return 32;
    case SM_CXSIZE:
    case SM_CYSIZE:
        return kCaption - 1;
    case SM_CXMIN:
    case SM_CXMINTRACK:
        return 112;
    case SM_CYMIN:
    case SM_CYMINTRACK:
        return kCaption + 2 * kFrame;
    case SM_CMOUSEBUTTONS:
        return 3;
    default:
        return 0;
    }
}
