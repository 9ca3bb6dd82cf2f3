// Device contexts on windows. Each top-level window owns one 32-bit surface
// (its composed image); a window's DC draws into the window's part of it,
// clipped to what of the window shows (WS_CLIPSIBLINGS, WS_CLIPCHILDREN) and,
// for BeginPaint, to the update region. Releasing a DC presents the window's
// part through the backend.
#include "platform/backend/backend.h"
#include "platform/gdi/gdi.h"
#include "platform/gdi/gdi_surface.h"
#include "platform/user/window_state.h"

#include <map>

namespace user_detail {

namespace {

HRGN ToRegionHandle(const RectRegion& region) {
    HRGN result = CreateRectRgn(0, 0, 0, 0);
    for (const RECT& rect : region.Rects()) {
        HRGN part = CreateRectRgnIndirect(&rect);
        CombineRgn(result, result, part, RGN_OR);
        DeleteObject(part);
    }
    return result;
}

SIZE SurfaceSize(const Window& window) {
    const FrameInsets insets =
        NativeInsets(window.style, window.exStyle, false, window.menu != nullptr);
    const int width = window.rect.right - window.rect.left - insets.left - insets.right;
    const int height = window.rect.bottom - window.rect.top - insets.top - insets.bottom;
    return SIZE{width > 0 ? width : 0, height > 0 ? height : 0};
}

HDC SurfaceDC(HWND hwnd, bool wholeWindow, const RectRegion& clip) {
    const Window* top = FindWindowRecord(TopLevelOf(hwnd));
    if (top == nullptr || top->surface == nullptr) return nullptr;
    const RECT area = wholeWindow ? WindowRectInSurface(hwnd) : ClientRectInSurface(hwnd);
    HRGN visible = ToRegionHandle(clip);
    HDC dc = GdiCreateSurfaceDC(top->surface, area.left, area.top, visible);
    DeleteObject(visible);
    return dc;
}

void PresentWindow(HWND hwnd) {
    const HWND topLevel = TopLevelOf(hwnd);
    if (topLevel != nullptr) PresentArea(topLevel, WindowRectInSurface(hwnd));
}

void InstallDCProvider() {
    static bool installed = false;
    if (installed) return;
    installed = true;
    GdiSetWindowDCProvider(GdiWindowDCProvider{[](HWND hwnd) { return MakeWindowDC(hwnd, false); },
                                               [](HWND hwnd, HDC) { PresentWindow(hwnd); }});
}

// The update region (client coordinates) as it shows in the surface.
RectRegion VisibleUpdate(HWND hwnd, const RectRegion& update) {
    RectRegion clip = VisibleRegion(hwnd, false);
    RectRegion inSurface = update;
    const RECT client = ClientRectInSurface(hwnd);
    inSurface.Offset(client.left, client.top);
    clip.IntersectWith(inSurface);
    return clip;
}

// The rectangles of an HRGN, found by halving its box until each piece lies
// wholly inside or outside it.
void CollectRects(HRGN region, const RECT& box, RectRegion& out) {
    if (IsEmptyRect(box) || !RectInRegion(region, &box)) return;
    HRGN piece = CreateRectRgnIndirect(&box);
    const bool inside = CombineRgn(piece, piece, region, RGN_DIFF) == NULLREGION;
    DeleteObject(piece);
    if (inside) {
        out.Add(box);
        return;
    }
    const bool splitWide = box.right - box.left >= box.bottom - box.top;
    const int middle = splitWide ? (box.left + box.right) / 2 : (box.top + box.bottom) / 2;
    if (splitWide) {
        CollectRects(region, RECT{box.left, box.top, middle, box.bottom}, out);
        CollectRects(region, RECT{middle, box.top, box.right, box.bottom}, out);
    } else {
        CollectRects(region, RECT{box.left, box.top, box.right, middle}, out);
        CollectRects(region, RECT{box.left, middle, box.right, box.bottom}, out);
    }
}

bool RegionRects(HRGN region, RectRegion& out) {
    RECT box{};
    if (GetRgnBox(region, &box) == 0) return false;
    CollectRects(region, box, out);
    return true;
}

} // namespace

void EnsureSurface(HWND topLevel) {
    InstallDCProvider();
    Window* window = FindWindowRecord(topLevel);
    if (window == nullptr || window->parent != nullptr) return;
    const SIZE size = SurfaceSize(*window);
    if (window->surface == nullptr) {
        window->surface = GdiCreateSurface(size.cx, size.cy);
        return;
    }
    const GdiSurfacePixels pixels = GdiGetSurfacePixels(window->surface);
    if (pixels.width != size.cx || pixels.height != size.cy) {
        GdiResizeSurface(window->surface, size.cx, size.cy);
    }
}

void ReleaseSurface(Window& window) {
    GdiDestroySurface(window.surface);
    window.surface = nullptr;
}

void PresentArea(HWND topLevel, const RECT& area) {
    const Window* window = FindWindowRecord(topLevel);
    if (window == nullptr || window->surface == nullptr) return;
    const SIZE size = SurfaceSize(*window);
    const RECT shown = IntersectRects(area, RECT{0, 0, size.cx, size.cy});
    if (!IsEmptyRect(shown)) gleamkit::backend::CurrentBackend().Present(topLevel, shown);
}

HDC MakeWindowDC(HWND hwnd, bool wholeWindow) {
    if (FindWindowRecord(hwnd) == nullptr) return nullptr;
    return SurfaceDC(hwnd, wholeWindow, VisibleRegion(hwnd, wholeWindow));
}

HBRUSH SysColorBrush(int index) {
    static std::map<int, HBRUSH> brushes;
    HBRUSH& brush = brushes[index];
    if (brush == nullptr) brush = CreateSolidBrush(GetSysColor(index));
    return brush;
}

void EraseNow(HWND hwnd) {
    Window* window = FindWindowRecord(hwnd);
    if (window == nullptr || !window->erasePending) return;
    window->erasePending = false;
    HDC dc = SurfaceDC(hwnd, false, VisibleUpdate(hwnd, window->update));
    if (dc == nullptr) return;
    SendMessageA(hwnd, WM_ERASEBKGND, reinterpret_cast<WPARAM>(dc), 0);
    ReleaseDC(hwnd, dc);
}

} // namespace user_detail

using namespace user_detail;

HDC GetWindowDC(HWND hwnd) {
    return MakeWindowDC(hwnd, true);
}

HDC BeginPaint(HWND hwnd, PAINTSTRUCT* paint) {
    if (paint == nullptr || FindWindowRecord(hwnd) == nullptr) return nullptr;
    if (FindWindowRecord(hwnd)->frameDirty) PaintFrameNow(hwnd);
    Window* window = FindWindowRecord(hwnd);
    if (window == nullptr) return nullptr;
    const RectRegion update = window->update;
    const bool erase = window->erasePending;
    window->update.Clear();
    window->erasePending = false;
    *paint = PAINTSTRUCT{};
    paint->rcPaint = update.Bounds();
    paint->hdc = SurfaceDC(hwnd, false, VisibleUpdate(hwnd, update));
    if (paint->hdc != nullptr && erase) {
        const LRESULT erased =
            SendMessageA(hwnd, WM_ERASEBKGND, reinterpret_cast<WPARAM>(paint->hdc), 0);
        paint->fErase = erased != 0 ? FALSE : TRUE;
    }
    return paint->hdc;
}

BOOL EndPaint(HWND hwnd, const PAINTSTRUCT* paint) {
    if (paint == nullptr) return FALSE;
    if (paint->hdc != nullptr) ReleaseDC(hwnd, paint->hdc);
    return TRUE;
}

int GetUpdateRgn(HWND hwnd, HRGN region, BOOL erase) {
    const Window* window = FindWindowRecord(hwnd);
    if (window == nullptr || SetRectRgn(region, 0, 0, 0, 0) == FALSE) return 0;
    int kind = NULLREGION;
    for (const RECT& rect : window->update.Rects()) {
        HRGN part = CreateRectRgnIndirect(&rect);
        kind = CombineRgn(region, region, part, RGN_OR);
        DeleteObject(part);
    }
    if (erase && kind != NULLREGION) EraseNow(hwnd);
    return kind;
}

BOOL InvalidateRgn(HWND hwnd, HRGN region, BOOL erase) {
    if (region == nullptr) return InvalidateRect(hwnd, nullptr, erase);
    if (FindWindowRecord(hwnd) == nullptr) return FALSE;
    RectRegion rects;
    if (!RegionRects(region, rects)) return FALSE;
    for (const RECT& rect : rects.Rects()) InvalidateRect(hwnd, &rect, erase);
    return TRUE;
}

BOOL ValidateRgn(HWND hwnd, HRGN region) {
    if (region == nullptr) return ValidateRect(hwnd, nullptr);
    if (FindWindowRecord(hwnd) == nullptr) return FALSE;
    RectRegion rects;
    if (!RegionRects(region, rects)) return FALSE;
    for (const RECT& rect : rects.Rects()) ValidateRect(hwnd, &rect);
    return TRUE;
}
