// WM_NCPAINT's default: the edges the window manager draws in the classic
// look (a one-pixel border, the raised dialog frame, the sunken client edge,
// the static edge) and the scroll bars. A top-level window's own frame,
// caption and menu bar are the backend's.
#include "platform/gdi/gdi.h"
#include "platform/user/window_state.h"

namespace user_detail {

namespace {

RECT Inset(const RECT& rect, int by) {
    return RECT{rect.left + by, rect.top + by, rect.right - by, rect.bottom - by};
}

void FillFrame(HDC dc, const RECT& outer, int width, int color) {
    const RECT inner = Inset(outer, width);
    const HBRUSH brush = SysColorBrush(color);
    const RECT parts[] = {RECT{outer.left, outer.top, outer.right, inner.top},
                          RECT{outer.left, inner.bottom, outer.right, outer.bottom},
                          RECT{outer.left, inner.top, inner.left, inner.bottom},
                          RECT{inner.right, inner.top, outer.right, inner.bottom}};
    for (const RECT& part : parts) FillRect(dc, &part, brush);
}

// Draws the child's own frame and answers what is left inside it.
RECT DrawChildFrame(HDC dc, const Window& window, RECT rect) {
    if ((window.style & (WS_THICKFRAME | WS_DLGFRAME)) != 0) {
        const int width = (window.style & WS_THICKFRAME) != 0 ? 4 : 3;
        FillFrame(dc, rect, width, COLOR_BTNFACE);
        DrawEdgeLines(dc, rect, COLOR_3DLIGHT, COLOR_3DDKSHADOW);
        DrawEdgeLines(dc, Inset(rect, 1), COLOR_BTNHIGHLIGHT, COLOR_BTNSHADOW);
        return Inset(rect, width);
    }
    if ((window.style & WS_BORDER) != 0) {
        FillFrame(dc, rect, 1, COLOR_WINDOWFRAME);
        return Inset(rect, 1);
    }
    return rect;
}

} // namespace

void DrawFrame(HWND hwnd) {
    const Window* window = FindWindowRecord(hwnd);
    if (window == nullptr) return;
    HDC dc = MakeWindowDC(hwnd, true);
    if (dc == nullptr) return;
    const bool isChild = window->parent != nullptr;
    const FrameInsets native =
        NativeInsets(window->style, window->exStyle, isChild, window->menu != nullptr);
    RECT rect{native.left, native.top, window->rect.right - window->rect.left - native.right,
              window->rect.bottom - window->rect.top - native.bottom};
    if (isChild) rect = DrawChildFrame(dc, *window, rect);
    if ((window->exStyle & WS_EX_CLIENTEDGE) != 0) {
        DrawEdgeLines(dc, rect, COLOR_BTNSHADOW, COLOR_BTNHIGHLIGHT);
        DrawEdgeLines(dc, Inset(rect, 1), COLOR_3DDKSHADOW, COLOR_3DLIGHT);
        rect = Inset(rect, 2);
    }
    if ((window->exStyle & WS_EX_STATICEDGE) != 0) {
        DrawEdgeLines(dc, rect, COLOR_BTNSHADOW, COLOR_BTNHIGHLIGHT);
    }
    DrawScrollBars(hwnd, dc);
    ReleaseDC(hwnd, dc);
}

} // namespace user_detail
