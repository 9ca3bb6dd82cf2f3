// The scroll box: its window style by edge, the scroll handler, the children's
// extent, the steps that fit the scroll ranges to the children and move them
// when scrolled, and the watcher that reports a child's changes to its box.
#include "winkit/scroll_box.h"

#include <algorithm>
#include <cmath>

namespace gleamkit::winkit {

namespace {

constexpr DWORD kLoweredEdgeStyle = 0x00001000;

// Reports a child's moves, resizes and visibility changes to its box. A
// visibility change is reported through a posted message, so the box looks
// at the children once the change is complete.
bool ChildWatcher(Control& child, KitMessage& message, LRESULT&) {
    switch (message.Message) {
    case WM_SIZE:
    case WM_MOVE:
    case kMsgChildShown:
        if (Control* box = child.Parent()) box->RunChildrenChanged(nullptr);
        break;
    case WM_SHOWWINDOW:
        PostMessageA(message.Window, kMsgChildShown, 0, 0);
        break;
    default:
        break;
    }
    return false;
}

// Switches a box's children-changed step off for a scope.
class ChildrenChangedOff {
public:
    explicit ChildrenChangedOff(Control& box) : m_box(box) { m_box.SuspendChildrenChanged(); }
    ~ChildrenChangedOff() { m_box.ResumeChildrenChanged(); }
    ChildrenChangedOff(const ChildrenChangedOff&) = delete;
    ChildrenChangedOff& operator=(const ChildrenChangedOff&) = delete;

private:
    Control& m_box;
};

int ScrolledPosition(const SCROLLINFO& info, int code, int32_t lineStep) {
    const int page = std::max(static_cast<int>(info.nPage), 1);
    switch (code) {
    case SB_LINEUP:
        return info.nPos - lineStep;
    case SB_LINEDOWN:
        return info.nPos + lineStep;
    case SB_PAGEUP:
        return info.nPos - page;
    case SB_PAGEDOWN:
        return info.nPos + page;
    case SB_THUMBTRACK:
        return info.nTrackPos;
    case SB_TOP:
        return info.nMin;
    case SB_BOTTOM:
        return info.nMax;
    default: // SB_THUMBPOSITION and anything else keep the position
        return info.nPos;
    }
}

// Fits one bar to content of `size` pixels (extent width or height) shown in
// `page` pixels; `nearEdge` is the extent's left or top. The position keeps
// its relative place in the range. Answers whether the position moved.
bool FitBar(HWND window, int bar, int32_t size, int32_t page, int32_t nearEdge) {
    SCROLLINFO info{};
    info.cbSize = sizeof(info);
    info.fMask = SIF_RANGE | SIF_PAGE | SIF_POS;
    const bool read = GetScrollInfo(window, bar, &info) != 0;
    const int oldPosition = read ? info.nPos : 0;
    double ratio = 0.0;
    int maximum = std::max(page - 1, size - 1);
    if (read && info.nMin < info.nMax) {
        ratio =
            static_cast<double>(info.nPos - info.nMin) / static_cast<double>(info.nMax - info.nMin);
        if (nearEdge < 0) maximum = std::max(page - nearEdge - 1, size - 1);
    }
    ratio = std::clamp(ratio, 0.0, 1.0);
    const int minimum = 0;
    SCROLLINFO fitted{};
    fitted.cbSize = sizeof(fitted);
    fitted.fMask = SIF_RANGE | SIF_PAGE | SIF_POS;
    fitted.nMin = minimum;
    fitted.nMax = maximum;
    fitted.nPage = static_cast<UINT>(std::max(page, 0));
    // nearbyint rounds halves to even in the default rounding mode.
    fitted.nPos =
        static_cast<int>(std::nearbyint(static_cast<double>(maximum - minimum) * ratio)) + minimum;
    SetScrollInfo(window, bar, &fitted, TRUE);
    return GetScrollPos(window, bar) != oldPosition;
}

// Widens the span [low, high) to cover [from, to); an empty span (low equal
// to high) takes the other one as it is.
void WidenSpan(int32_t& low, int32_t& high, int32_t from, int32_t to) {
    if (low == high) {
        low = from;
        high = to;
    } else {
        low = std::min(low, from);
        high = std::max(high, to);
    }
}

} // namespace

Control* NewScrollBox(Control* parent, ScrollEdge edge, ScrollBars bars) {
    DWORD style = WS_CHILD | WS_VISIBLE;
    if (edge == ScrollEdge::Raised) style |= WS_DLGFRAME;
    if (edge == ScrollEdge::Lowered) style |= kLoweredEdgeStyle;
    const auto barBits = static_cast<uint8_t>(bars);
    if (barBits & 1) style |= WS_HSCROLL;
    if (barBits & 2) style |= WS_VSCROLL;
    const Ctl3D ctl3D = edge == ScrollEdge::Lowered ? Ctl3D::On : Ctl3D::Off;
    Control* box = NewChildControl(parent, "ScrollBox", style, ctl3D, nullptr);
    box->AttachHandler(FormHandler);
    box->AttachHandler(ScrollHandler);
    box->AttachHandler(EraseHandler);
    return box;
}

Control* NewScrollingBox(Control* parent, ScrollEdge edge) {
    Control* box = NewScrollBox(parent, edge, ScrollBars::None);
    box->SetLineSteps(kScrollLineStep, kScrollLineStep);
    box->SetChildrenChangedStep(ScrollingBoxChildrenChanged);
    box->SetScrolledStep(ScrollingBoxScrolled);
    return box;
}

Rect ChildrenExtent(Control& box) {
    Rect extent;
    for (int32_t i = 0; i < box.ChildCount(); ++i) {
        Control* child = box.Child(i);
        if (!child->CountsAsVisible()) continue;
        const Rect bounds = child->FullRect();
        WidenSpan(extent.Left, extent.Right, bounds.Left, bounds.Right);
        WidenSpan(extent.Top, extent.Bottom, bounds.Top, bounds.Bottom);
    }
    const int32_t margin = box.ChildMargin();
    return MakeRect(extent.Left - margin, extent.Top - margin, extent.Right + margin - 1,
                    extent.Bottom + margin - 1);
}

bool ScrollHandler(Control& box, KitMessage& message, LRESULT&) {
    if (message.Message == WM_SIZE) {
        box.RunChildrenChanged(nullptr);
        return false;
    }
    int bar = 0;
    int32_t lineStep = 0;
    if (message.Message == WM_HSCROLL) {
        bar = SB_HORZ;
        lineStep = box.LineStepX();
    } else if (message.Message == WM_VSCROLL) {
        bar = SB_VERT;
        lineStep = box.LineStepY();
    } else {
        return false;
    }
    HWND window = message.Window;
    SCROLLINFO info{};
    info.cbSize = sizeof(info);
    info.fMask = SIF_RANGE | SIF_PAGE | SIF_POS | SIF_TRACKPOS;
    GetScrollInfo(window, bar, &info);
    int position = ScrolledPosition(info, LOWORD(message.WParam), lineStep);
    if (position > info.nMax) position = info.nMax;
    if (position < info.nMin) position = info.nMin;

    SCROLLINFO moved{};
    moved.cbSize = sizeof(moved);
    moved.fMask = SIF_POS;
    moved.nPos = position;
    SetScrollInfo(window, bar, &moved, TRUE);
    {
        ChildrenChangedOff off(box);
        box.RunScrolled();
    }
    SetScrollInfo(window, bar, &moved, TRUE);
    // Not handled: the default procedure sees the message too.
    return false;
}

void ScrollingBoxChildrenChanged(Control& box, Control* child) {
    if (child) {
        child->AttachHandler(ChildWatcher);
        return;
    }
    HWND window = box.Handle();
    if (!window) return;
    const Rect extent = ChildrenExtent(box);
    const Rect client = box.ClientRect();
    if (client.Right == 0 || client.Bottom == 0) return;
    // The extent's right and bottom are its last pixels, so the content spans
    // one more than their distance from the near edges; a range that size puts
    // the last pixel at the client's last pixel at the end of each bar.
    const bool movedX =
        FitBar(window, SB_HORZ, extent.Right - extent.Left + 1, client.Right, extent.Left);
    const bool movedY =
        FitBar(window, SB_VERT, extent.Bottom - extent.Top + 1, client.Bottom, extent.Top);
    // A position that moved with the range (kept in proportion, or held inside
    // a smaller range) takes the children along, so the view always shows
    // what the bars say.
    if (movedX || movedY) {
        ChildrenChangedOff off(box);
        box.RunScrolled();
    }
}

void ScrollingBoxScrolled(Control& box) {
    HWND window = box.Handle();
    if (!window) return;
    const Rect extent = ChildrenExtent(box);
    const int32_t dx = -GetScrollPos(window, SB_HORZ) - extent.Left;
    const int32_t dy = -GetScrollPos(window, SB_VERT) - extent.Top;
    if (dx == 0 && dy == 0) return;
    {
        ChildrenChangedOff off(box);
        for (int32_t i = 0; i < box.ChildCount(); ++i) {
            Control* child = box.Child(i);
            const Rect bounds = child->FullRect();
            child->SetBounds(
                MakeRect(bounds.Left + dx, bounds.Top + dy, bounds.Right + dx, bounds.Bottom + dy));
        }
    }
    const Rect moved = ChildrenExtent(box);
    if (moved.Right - moved.Left != extent.Right - extent.Left ||
        moved.Bottom - moved.Top != extent.Bottom - extent.Top)
        box.RunChildrenChanged(nullptr);
}

} // namespace gleamkit::winkit
