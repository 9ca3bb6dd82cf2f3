// The scroll bars of a window's frame (SB_HORZ, SB_VERT): their data, their
// visibility (a bar shows while its range exceeds its page, and the client
// area gives up room for it, with WM_SIZE following), mouse tracking (arrows
// send SB_LINE*, the track SB_PAGE*, the thumb SB_THUMBTRACK while dragged and
// SB_THUMBPOSITION when let go; every press ends with SB_ENDSCROLL) and the
// wheel (three line scrolls per notch).
#include "platform/gdi/gdi.h"
#include "platform/user/window_state.h"

#include <algorithm>
#include <cstdlib>
#include <optional>

namespace user_detail {

namespace {

constexpr int kArrow = 16;
constexpr int kMinThumb = 8;
constexpr int kWheelLines = 3;

int64_t MaxPos(const ScrollBar& bar) {
    const int64_t page = bar.page > 0 ? bar.page : 1;
    return std::max<int64_t>(bar.min, int64_t{bar.max} - page + 1);
}

// Where the parts of a bar lie, along its length, relative to its start.
struct Layout {
    RECT rect{};
    bool vertical = true;
    int length = 0;
    int arrow = 0;
    int trackStart = 0;
    int trackEnd = 0;
    int thumbStart = 0;
    int thumbLength = 0; // 0: no thumb
};

// `position` places the thumb (the bar's position unless it is being dragged).
Layout LayoutOf(const Window& window, int which, std::optional<int> position = std::nullopt) {
    Layout layout;
    const ScrollBar& bar = window.bars[which];
    const int thumbAt = position.value_or(bar.pos);
    layout.rect = ScrollBarRect(window, which);
    layout.vertical = which == SB_VERT;
    layout.length = layout.vertical ? layout.rect.bottom - layout.rect.top
                                    : layout.rect.right - layout.rect.left;
    layout.arrow = std::min(kArrow, layout.length / 2);
    layout.trackStart = layout.arrow;
    layout.trackEnd = layout.length - layout.arrow;
    const int track = layout.trackEnd - layout.trackStart;
    const int64_t maxPos = MaxPos(bar);
    if (maxPos <= bar.min || track <= 0) return layout;
    int thumb = kArrow;
    if (bar.page > 0) {
        const int64_t range = int64_t{bar.max} - bar.min + 1;
        thumb = static_cast<int>(std::max<int64_t>(track * int64_t{bar.page} / range, kMinThumb));
    }
    if (thumb > track) return layout;
    layout.thumbLength = thumb;
    layout.thumbStart =
        layout.trackStart +
        static_cast<int>((track - thumb) * (int64_t{thumbAt} - bar.min) / (maxPos - bar.min));
    return layout;
}

enum class Part { LineUp, PageUp, Thumb, PageDown, LineDown };

Part PartAt(const Layout& layout, int along) {
    if (along < layout.trackStart) return Part::LineUp;
    if (along >= layout.trackEnd) return Part::LineDown;
    if (layout.thumbLength == 0) return along < layout.length / 2 ? Part::PageUp : Part::PageDown;
    if (along < layout.thumbStart) return Part::PageUp;
    if (along >= layout.thumbStart + layout.thumbLength) return Part::PageDown;
    return Part::Thumb;
}

struct Tracking {
    bool active = false;
    HWND hwnd = nullptr;
    int bar = SB_VERT;
    Part part = Part::LineUp;
    int grab = 0; // thumb: the pointer's offset from the thumb's start
};

Tracking g_tracking;

// Wheel delta not yet spent on whole notches, and the window it was turned on.
struct WheelTurn {
    HWND hwnd = nullptr;
    int delta = 0;
};

WheelTurn g_wheel;

UINT ScrollMessage(int bar) {
    return bar == SB_VERT ? WM_VSCROLL : WM_HSCROLL;
}

void SendScroll(HWND hwnd, int bar, WORD code, int position = 0) {
    SendMessageA(hwnd, ScrollMessage(bar), MAKEWPARAM(code, position), 0);
}

// The pointer's offset along the bar.
int AlongBar(const Window& window, const Layout& layout, POINT screen) {
    const POINT origin = WindowOriginOnScreen(window);
    return layout.vertical ? screen.y - origin.y - layout.rect.top
                           : screen.x - origin.x - layout.rect.left;
}

int TrackPosFor(const Window& window, const Layout& layout, int thumbStart) {
    const ScrollBar& bar = window.bars[g_tracking.bar];
    const int travel = layout.trackEnd - layout.trackStart - layout.thumbLength;
    if (travel <= 0) return bar.pos;
    const int offset = std::clamp(thumbStart - layout.trackStart, 0, travel);
    const int64_t span = MaxPos(bar) - bar.min;
    return static_cast<int>(bar.min + (offset * span + travel / 2) / travel);
}

} // namespace

void ForgetScrollState() {
    g_tracking = Tracking{};
    g_wheel = WheelTurn{};
}

bool ScrollTrackingActive() {
    return g_tracking.active;
}

bool BeginScrollTracking(HWND hwnd, LRESULT hitTest, POINT screen) {
    if (hitTest != HTVSCROLL && hitTest != HTHSCROLL) return false;
    Window* window = FindWindowRecord(hwnd);
    if (window == nullptr) return false;
    const int bar = hitTest == HTVSCROLL ? SB_VERT : SB_HORZ;
    const Layout layout = LayoutOf(*window, bar);
    const int along = AlongBar(*window, layout, screen);
    g_tracking = Tracking{true, hwnd, bar, PartAt(layout, along), 0};
    switch (g_tracking.part) {
    case Part::LineUp:
        SendScroll(hwnd, bar, SB_LINEUP);
        break;
    case Part::LineDown:
        SendScroll(hwnd, bar, SB_LINEDOWN);
        break;
    case Part::PageUp:
        SendScroll(hwnd, bar, SB_PAGEUP);
        break;
    case Part::PageDown:
        SendScroll(hwnd, bar, SB_PAGEDOWN);
        break;
    case Part::Thumb:
        g_tracking.grab = along - layout.thumbStart;
        window->bars[bar].trackPos = window->bars[bar].pos;
        break;
    }
    return true;
}

void ScrollTrackingMouse(POINT screen, bool buttonUp) {
    const Tracking tracking = g_tracking;
    Window* window = FindWindowRecord(tracking.hwnd);
    if (window == nullptr) {
        g_tracking = Tracking{};
        return;
    }
    if (tracking.part == Part::Thumb) {
        const Layout layout = LayoutOf(*window, tracking.bar);
        const int position =
            TrackPosFor(*window, layout, AlongBar(*window, layout, screen) - tracking.grab);
        ScrollBar& bar = window->bars[tracking.bar];
        if (buttonUp) {
            g_tracking = Tracking{};
            bar.trackPos = position;
            window->frameDirty = true;
            SendScroll(tracking.hwnd, tracking.bar, SB_THUMBPOSITION, position);
        } else if (position != bar.trackPos) {
            bar.trackPos = position;
            window->frameDirty = true;
            SendScroll(tracking.hwnd, tracking.bar, SB_THUMBTRACK, position);
        }
    }
    if (buttonUp) {
        g_tracking = Tracking{};
        if (IsWindow(tracking.hwnd)) SendScroll(tracking.hwnd, tracking.bar, SB_ENDSCROLL);
    }
}

void ScrollByWheel(HWND hwnd, WPARAM wParam, LPARAM lParam) {
    const Window* window = FindWindowRecord(hwnd);
    if (window == nullptr) return;
    if (!ScrollBarShown(*window, SB_VERT)) {
        if (window->parent != nullptr) SendMessageA(window->parent, WM_MOUSEWHEEL, wParam, lParam);
        return;
    }
    if (g_wheel.hwnd != hwnd) g_wheel = WheelTurn{hwnd, 0};
    g_wheel.delta += GET_WHEEL_DELTA_WPARAM(wParam);
    const int notches = g_wheel.delta / WHEEL_DELTA;
    g_wheel.delta -= notches * WHEEL_DELTA;
    if (notches == 0) return;
    const WORD code = notches > 0 ? SB_LINEUP : SB_LINEDOWN;
    for (int line = 0; line < std::abs(notches) * kWheelLines; ++line) {
        SendScroll(hwnd, SB_VERT, code);
        if (!IsWindow(hwnd)) return;
    }
    SendScroll(hwnd, SB_VERT, SB_ENDSCROLL);
}

namespace {

void FillColor(HDC dc, const RECT& rect, int color) {
    FillRect(dc, &rect, SysColorBrush(color));
}

void RaisedButton(HDC dc, RECT rect) {
    FillColor(dc, rect, COLOR_BTNFACE);
    DrawEdgeLines(dc, rect, COLOR_3DLIGHT, COLOR_3DDKSHADOW);
    rect = RECT{rect.left + 1, rect.top + 1, rect.right - 1, rect.bottom - 1};
    DrawEdgeLines(dc, rect, COLOR_BTNHIGHLIGHT, COLOR_BTNSHADOW);
}

// A small filled triangle pointing along `direction` (0 up, 1 down, 2 left, 3 right).
void Arrow(HDC dc, const RECT& rect, int direction) {
    const int cx = (rect.left + rect.right) / 2;
    const int cy = (rect.top + rect.bottom) / 2;
    for (int step = 0; step < 4; ++step) {
        const int tip = direction == 0 || direction == 2 ? step : 3 - step;
        RECT line{};
        if (direction < 2) {
            const int y = cy - 2 + step;
            line = RECT{cx - tip, y, cx + tip + 1, y + 1};
        } else {
            const int x = cx - 2 + step;
            line = RECT{x, cy - tip, x + 1, cy + tip + 1};
        }
        FillColor(dc, line, COLOR_BTNTEXT);
    }
}

// The classic track: a fine checker of the highlight and face colours.
void Track(HDC dc, const RECT& rect) {
    FillColor(dc, rect, COLOR_BTNFACE);
    for (int y = rect.top; y < rect.bottom; ++y) {
        for (int x = rect.left + ((y + rect.left) & 1); x < rect.right; x += 2) {
            FillColor(dc, RECT{x, y, x + 1, y + 1}, COLOR_BTNHIGHLIGHT);
        }
    }
}

RECT Span(const Layout& layout, int from, int to) {
    const RECT& r = layout.rect;
    return layout.vertical ? RECT{r.left, r.top + from, r.right, r.top + to}
                           : RECT{r.left + from, r.top, r.left + to, r.bottom};
}

void DrawBar(HDC dc, const Window& window, int which) {
    // A dragged thumb is drawn where the pointer holds it.
    const bool dragging = g_tracking.active && g_tracking.hwnd == window.handle &&
                          g_tracking.bar == which && g_tracking.part == Part::Thumb;
    const Layout layout = LayoutOf(
        window, which, dragging ? std::optional<int>(window.bars[which].trackPos) : std::nullopt);
    if (IsEmptyRect(layout.rect)) return;
    const RECT lowArrow = Span(layout, 0, layout.arrow);
    const RECT highArrow = Span(layout, layout.trackEnd, layout.length);
    RaisedButton(dc, lowArrow);
    RaisedButton(dc, highArrow);
    Arrow(dc, lowArrow, layout.vertical ? 0 : 2);
    Arrow(dc, highArrow, layout.vertical ? 1 : 3);
    if (layout.trackEnd > layout.trackStart) {
        Track(dc, Span(layout, layout.trackStart, layout.trackEnd));
    }
    if (layout.thumbLength > 0) {
        RaisedButton(dc, Span(layout, layout.thumbStart, layout.thumbStart + layout.thumbLength));
    }
}

} // namespace

void DrawEdgeLines(HDC dc, const RECT& rect, int topLeft, int bottomRight) {
    FillColor(dc, RECT{rect.left, rect.top, rect.right - 1, rect.top + 1}, topLeft);
    FillColor(dc, RECT{rect.left, rect.top, rect.left + 1, rect.bottom - 1}, topLeft);
    FillColor(dc, RECT{rect.left, rect.bottom - 1, rect.right, rect.bottom}, bottomRight);
    FillColor(dc, RECT{rect.right - 1, rect.top, rect.right, rect.bottom}, bottomRight);
}

void DrawScrollBars(HWND hwnd, HDC windowDC) {
    const Window* window = FindWindowRecord(hwnd);
    if (window == nullptr) return;
    DrawBar(windowDC, *window, SB_HORZ);
    DrawBar(windowDC, *window, SB_VERT);
    const RECT corner = SizeBoxRect(*window);
    if (!IsEmptyRect(corner)) FillColor(windowDC, corner, COLOR_BTNFACE);
}

} // namespace user_detail

using namespace user_detail;

int SetScrollInfo(HWND hwnd, int bar, const SCROLLINFO* info, BOOL redraw) {
    Window* window = FindWindowRecord(hwnd);
    if (window == nullptr || info == nullptr || info->cbSize != sizeof(SCROLLINFO) ||
        (bar != SB_HORZ && bar != SB_VERT)) {
        return 0;
    }
    ScrollBar& state = window->bars[bar];
    if ((info->fMask & SIF_RANGE) != 0) {
        state.min = info->nMin;
        state.max = std::max(info->nMax, info->nMin);
    }
    if ((info->fMask & SIF_PAGE) != 0) state.page = info->nPage;
    if ((info->fMask & SIF_POS) != 0) state.pos = info->nPos;
    state.everSet = true;
    const int64_t range = int64_t{state.max} - state.min + 1;
    state.page = static_cast<UINT>(std::min<int64_t>(state.page, range));
    state.pos = static_cast<int>(std::clamp<int64_t>(state.pos, state.min, MaxPos(state)));
    const DWORD flag = bar == SB_VERT ? WS_VSCROLL : WS_HSCROLL;
    const bool wasShown = (window->style & flag) != 0;
    bool shown = state.max > state.min && int64_t{state.page} <= int64_t{state.max} - state.min;
    if (!shown && wasShown && (info->fMask & SIF_DISABLENOSCROLL) != 0) shown = true;
    const int position = state.pos;
    if (shown != wasShown) {
        window->style ^= flag;
        RecalcFrame(hwnd);
    } else if (redraw && shown) {
        window->frameDirty = true;
    }
    return position;
}

BOOL GetScrollInfo(HWND hwnd, int bar, SCROLLINFO* info) {
    const Window* window = FindWindowRecord(hwnd);
    if (window == nullptr || info == nullptr || info->cbSize != sizeof(SCROLLINFO) ||
        (bar != SB_HORZ && bar != SB_VERT)) {
        return FALSE;
    }
    const ScrollBar& state = window->bars[bar];
    if (!state.everSet && !ScrollBarShown(*window, bar)) return FALSE;
    if ((info->fMask & SIF_RANGE) != 0) {
        info->nMin = state.min;
        info->nMax = state.max;
    }
    if ((info->fMask & SIF_PAGE) != 0) info->nPage = state.page;
    if ((info->fMask & SIF_POS) != 0) info->nPos = state.pos;
    if ((info->fMask & SIF_TRACKPOS) != 0) {
        const bool tracking = g_tracking.active && g_tracking.hwnd == hwnd && g_tracking.bar == bar;
        info->nTrackPos = tracking ? state.trackPos : state.pos;
    }
    return TRUE;
}

int GetScrollPos(HWND hwnd, int bar) {
    const Window* window = FindWindowRecord(hwnd);
    if (window == nullptr || (bar != SB_HORZ && bar != SB_VERT)) return 0;
    return window->bars[bar].pos;
}

int SetScrollPos(HWND hwnd, int bar, int position, BOOL redraw) {
    const int previous = GetScrollPos(hwnd, bar);
    SCROLLINFO info{sizeof(SCROLLINFO), SIF_POS, 0, 0, 0, position, 0};
    if (SetScrollInfo(hwnd, bar, &info, redraw) == 0 && !IsWindow(hwnd)) return 0;
    return previous;
}

BOOL GetScrollRange(HWND hwnd, int bar, int* minPos, int* maxPos) {
    SCROLLINFO info{sizeof(SCROLLINFO), SIF_RANGE, 0, 0, 0, 0, 0};
    if (minPos == nullptr || maxPos == nullptr || !GetScrollInfo(hwnd, bar, &info)) return FALSE;
    *minPos = info.nMin;
    *maxPos = info.nMax;
    return TRUE;
}

BOOL SetScrollRange(HWND hwnd, int bar, int minPos, int maxPos, BOOL redraw) {
    if (!IsWindow(hwnd) || (bar != SB_HORZ && bar != SB_VERT)) return FALSE;
    SCROLLINFO info{sizeof(SCROLLINFO), SIF_RANGE, minPos, maxPos, 0, 0, 0};
    SetScrollInfo(hwnd, bar, &info, redraw);
    return TRUE;
}
