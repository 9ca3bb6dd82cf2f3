// Where windows are: screen and surface coordinates, visibility along the
// parent chain, the visible region of a window inside its top-level surface,
// and the window under a screen point.
#include "platform/user/window_state.h"

namespace user_detail {

POINT WindowOriginOnScreen(const Window& window) {
    if (window.parent == nullptr) return POINT{window.rect.left, window.rect.top};
    const Window* parent = FindWindowRecord(window.parent);
    if (parent == nullptr) return POINT{window.rect.left, window.rect.top};
    const POINT origin = ClientOriginOnScreen(*parent);
    return POINT{origin.x + window.rect.left, origin.y + window.rect.top};
}

POINT ClientOriginOnScreen(const Window& window) {
    const POINT origin = WindowOriginOnScreen(window);
    return POINT{origin.x + window.client.left, origin.y + window.client.top};
}

HWND TopLevelOf(HWND hwnd) {
    const Window* window = FindWindowRecord(hwnd);
    while (window != nullptr && window->parent != nullptr) {
        hwnd = window->parent;
        window = FindWindowRecord(hwnd);
    }
    return window == nullptr ? nullptr : hwnd;
}

bool IsVisibleChain(HWND hwnd) {
    for (const Window* window = FindWindowRecord(hwnd); window != nullptr;
         window = FindWindowRecord(window->parent)) {
        if ((window->style & WS_VISIBLE) == 0) return false;
        if (window->parent == nullptr) return true;
    }
    return false;
}

bool IsEnabledChain(HWND hwnd) {
    for (const Window* window = FindWindowRecord(hwnd); window != nullptr;
         window = FindWindowRecord(window->parent)) {
        if ((window->style & WS_DISABLED) != 0) return false;
        if (window->parent == nullptr) return true;
    }
    return false;
}

POINT SurfaceOriginOnScreen(HWND topLevel) {
    const Window* window = FindWindowRecord(topLevel);
    if (window == nullptr) return POINT{0, 0};
    const FrameInsets insets =
        NativeInsets(window->style, window->exStyle, false, window->menu != nullptr);
    return POINT{window->rect.left + insets.left, window->rect.top + insets.top};
}

RECT WindowRectInSurface(HWND hwnd) {
    const Window* window = FindWindowRecord(hwnd);
    if (window == nullptr) return RECT{0, 0, 0, 0};
    const POINT surface = SurfaceOriginOnScreen(TopLevelOf(hwnd));
    const POINT origin = WindowOriginOnScreen(*window);
    const int x = origin.x - surface.x;
    const int y = origin.y - surface.y;
    return RECT{x, y, x + (window->rect.right - window->rect.left),
                y + (window->rect.bottom - window->rect.top)};
}

RECT ClientRectInSurface(HWND hwnd) {
    const Window* window = FindWindowRecord(hwnd);
    if (window == nullptr) return RECT{0, 0, 0, 0};
    const RECT outer = WindowRectInSurface(hwnd);
    return OffsetRectBy(window->client, outer.left, outer.top);
}

namespace {

RECT SurfaceBounds(HWND topLevel) {
    const Window* window = FindWindowRecord(topLevel);
    if (window == nullptr) return RECT{0, 0, 0, 0};
    const FrameInsets insets =
        NativeInsets(window->style, window->exStyle, false, window->menu != nullptr);
    const int width = window->rect.right - window->rect.left - insets.left - insets.right;
    const int height = window->rect.bottom - window->rect.top - insets.top - insets.bottom;
    return RECT{0, 0, width < 0 ? 0 : width, height < 0 ? 0 : height};
}

// Removes the windows above `hwnd` among its siblings.
void SubtractSiblingsAbove(const Window& parent, HWND hwnd, RectRegion& region) {
    for (HWND sibling : parent.children) {
        if (sibling == hwnd) return;
        const Window* record = FindWindowRecord(sibling);
        if (record != nullptr && (record->style & WS_VISIBLE) != 0) {
            region.Subtract(WindowRectInSurface(sibling));
        }
    }
}

} // namespace

RectRegion VisibleRegion(HWND hwnd, bool wholeWindow) {
    RectRegion region;
    const Window* window = FindWindowRecord(hwnd);
    if (window == nullptr || !IsVisibleChain(hwnd)) return region;
    const HWND topLevel = TopLevelOf(hwnd);
    const Window* top = FindWindowRecord(topLevel);
    if (top == nullptr || top->minimized) return region;
    region.Add(IntersectRects(wholeWindow ? WindowRectInSurface(hwnd) : ClientRectInSurface(hwnd),
                              SurfaceBounds(topLevel)));
    HWND current = hwnd;
    for (const Window* record = window; record->parent != nullptr;) {
        const Window* parent = FindWindowRecord(record->parent);
        if (parent == nullptr) break;
        region.IntersectWith(ClientRectInSurface(record->parent));
        if ((record->style & WS_CLIPSIBLINGS) != 0) SubtractSiblingsAbove(*parent, current, region);
        current = record->parent;
        record = parent;
    }
    if ((window->style & WS_CLIPCHILDREN) != 0) {
        // A child shows only inside its parent's client area, so only that
        // part of it is cut out: the parent's frame and bars always show.
        const RECT client = ClientRectInSurface(hwnd);
        for (HWND child : window->children) {
            const Window* record = FindWindowRecord(child);
            if (record != nullptr && (record->style & WS_VISIBLE) != 0) {
                region.Subtract(IntersectRects(WindowRectInSurface(child), client));
            }
        }
    }
    return region;
}

namespace {

bool Contains(const RECT& rect, POINT point) {
    return point.x >= rect.left && point.x < rect.right && point.y >= rect.top &&
           point.y < rect.bottom;
}

HWND ChildUnderPoint(HWND parentHandle, POINT inSurface) {
    const Window* parent = FindWindowRecord(parentHandle);
    if (parent == nullptr || !Contains(ClientRectInSurface(parentHandle), inSurface)) {
        return parentHandle;
    }
    for (HWND child : parent->children) {
        const Window* record = FindWindowRecord(child);
        if (record == nullptr || (record->style & WS_VISIBLE) == 0) continue;
        if ((record->style & WS_DISABLED) != 0) continue;
        if (Contains(WindowRectInSurface(child), inSurface))
            return ChildUnderPoint(child, inSurface);
    }
    return parentHandle;
}

} // namespace

HWND WindowUnderPoint(POINT screen) {
    for (HWND topLevel : TheState().topLevels) {
        const Window* window = FindWindowRecord(topLevel);
        if (window == nullptr || (window->style & WS_VISIBLE) == 0 || window->minimized) continue;
        const POINT origin = SurfaceOriginOnScreen(topLevel);
        const POINT inSurface{screen.x - origin.x, screen.y - origin.y};
        if (!Contains(SurfaceBounds(topLevel), inSurface)) continue;
        return ChildUnderPoint(topLevel, inSurface);
    }
    return nullptr;
}

} // namespace user_detail
