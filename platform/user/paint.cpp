// Update regions: what needs painting, per window, in client coordinates.
// InvalidateRect adds to it (and to the children's, unless WS_CLIPCHILDREN),
// ValidateRect removes from it, and the queue makes WM_PAINT for a window
// whose region is not empty once nothing else is waiting. Frames that need
// drawing are drawn (WM_NCPAINT) just before, parents before children.
#include "platform/user/window_state.h"

namespace user_detail {

namespace {

RECT ClientBounds(const Window& window) {
    return RECT{0, 0, window.client.right - window.client.left,
                window.client.bottom - window.client.top};
}

// Adds `area` (client coordinates) to the window's update region and, when
// children are not clipped away, to theirs.
void AddUpdate(HWND hwnd, RectRegion area, bool erase) {
    Window* window = FindWindowRecord(hwnd);
    if (window == nullptr) return;
    area.IntersectWith(ClientBounds(*window));
    if (area.IsEmpty()) return;
    window->update.Add(area);
    window->erasePending = window->erasePending || erase;
    if ((window->style & WS_CLIPCHILDREN) != 0) return;
    for (HWND child : window->children) {
        const Window* record = FindWindowRecord(child);
        if (record == nullptr || (record->style & WS_VISIBLE) == 0) continue;
        RectRegion inChild = area;
        inChild.IntersectWith(record->rect);
        if (inChild.IsEmpty()) continue;
        FindWindowRecord(child)->frameDirty = true;
        inChild.Offset(-record->rect.left - record->client.left,
                       -record->rect.top - record->client.top);
        AddUpdate(child, inChild, erase);
    }
}

template <typename Visit> bool WalkTree(HWND hwnd, Visit&& visit) {
    if (visit(hwnd)) return true;
    const Window* window = FindWindowRecord(hwnd);
    if (window == nullptr) return false;
    // Children paint after their parent, the bottom of the z-order first.
    const std::vector<HWND> children = window->children;
    for (auto it = children.rbegin(); it != children.rend(); ++it) {
        if (WalkTree(*it, visit)) return true;
    }
    return false;
}

} // namespace

void InvalidateSurfaceArea(HWND topLevel, const RECT& area) {
    if (IsEmptyRect(area)) return;
    WalkTree(topLevel, [&area](HWND hwnd) {
        Window* window = FindWindowRecord(hwnd);
        if (window == nullptr || (window->style & WS_VISIBLE) == 0) return false;
        RectRegion whole = VisibleRegion(hwnd, true);
        whole.IntersectWith(area);
        if (whole.IsEmpty()) return false;
        window->frameDirty = true;
        RectRegion client = VisibleRegion(hwnd, false);
        client.IntersectWith(area);
        const RECT origin = ClientRectInSurface(hwnd);
        client.Offset(-origin.left, -origin.top);
        window->update.Add(client);
        window->erasePending = window->erasePending || !client.IsEmpty();
        return false;
    });
}

void InvalidateWholeWindow(HWND hwnd) {
    WalkTree(hwnd, [](HWND each) {
        Window* window = FindWindowRecord(each);
        if (window == nullptr || (window->style & WS_VISIBLE) == 0) return false;
        window->frameDirty = true;
        window->update.Clear();
        window->update.Add(ClientBounds(*window));
        window->erasePending = true;
        return false;
    });
}

void PaintFrameNow(HWND hwnd) {
    Window* window = FindWindowRecord(hwnd);
    if (window == nullptr) return;
    window->frameDirty = false;
    const FrameInsets drawn =
        DrawnInsets(window->style, window->exStyle, window->parent != nullptr);
    const bool hasFrame =
        drawn.left != 0 || ScrollBarShown(*window, SB_VERT) || ScrollBarShown(*window, SB_HORZ);
    if (hasFrame && IsVisibleChain(hwnd)) SendMessageA(hwnd, WM_NCPAINT, 1, 0);
}

HWND NextWindowToPaint() {
    // Painting a frame runs a window procedure, which may change the tree:
    // start the walk again after each one.
    for (int rounds = 0; rounds < 10000; ++rounds) {
        HWND framed = nullptr;
        HWND found = nullptr;
        const std::vector<HWND> topLevels = TheState().topLevels;
        for (auto it = topLevels.rbegin(); it != topLevels.rend() && !framed && !found; ++it) {
            WalkTree(*it, [&](HWND hwnd) {
                Window* window = FindWindowRecord(hwnd);
                if (window == nullptr) return false;
                if (!IsVisibleChain(hwnd) || IsIconic(TopLevelOf(hwnd))) {
                    window->update.Clear();
                    window->erasePending = false;
                    window->frameDirty = false;
                    return false;
                }
                if (window->frameDirty) {
                    framed = hwnd;
                    return true;
                }
                if (!window->update.IsEmpty()) {
                    found = hwnd;
                    return true;
                }
                return false;
            });
        }
        if (framed == nullptr) return found;
        PaintFrameNow(framed);
    }
    return nullptr;
}

} // namespace user_detail

using namespace user_detail;

BOOL InvalidateRect(HWND hwnd, const RECT* rect, BOOL erase) {
    if (hwnd == nullptr) {
        for (HWND topLevel : std::vector<HWND>(TheState().topLevels)) {
            InvalidateRect(topLevel, rect, erase);
        }
        return TRUE;
    }
    const Window* window = FindWindowRecord(hwnd);
    if (window == nullptr) return FALSE;
    if (!IsVisibleChain(hwnd)) return TRUE; // hidden windows are painted whole when shown
    AddUpdate(hwnd, RectRegion(rect != nullptr ? *rect : ClientBounds(*window)), erase != FALSE);
    return TRUE;
}

BOOL ValidateRect(HWND hwnd, const RECT* rect) {
    Window* window = FindWindowRecord(hwnd);
    if (window == nullptr) return FALSE;
    if (rect == nullptr) {
        window->update.Clear();
        window->erasePending = false;
    } else {
        window->update.Subtract(*rect);
        if (window->update.IsEmpty()) window->erasePending = false;
    }
    return TRUE;
}

BOOL UpdateWindow(HWND hwnd) {
    Window* window = FindWindowRecord(hwnd);
    if (window == nullptr) return FALSE;
    if (window->frameDirty) PaintFrameNow(hwnd);
    window = FindWindowRecord(hwnd);
    if (window != nullptr && !window->update.IsEmpty() && IsVisibleChain(hwnd)) {
        SendMessageA(hwnd, WM_PAINT, 0, 0);
    }
    return TRUE;
}

BOOL GetUpdateRect(HWND hwnd, RECT* rect, BOOL erase) {
    const Window* window = FindWindowRecord(hwnd);
    if (window == nullptr) return FALSE;
    const bool any = !window->update.IsEmpty();
    if (rect != nullptr) *rect = window->update.Bounds();
    if (any && erase) EraseNow(hwnd);
    return any ? TRUE : FALSE;
}
