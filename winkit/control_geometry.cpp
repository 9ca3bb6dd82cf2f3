// A control's position and size, and the calls that address its window.
// Bounds are kept in parent client coordinates while there is no window; once
// the window exists it is the authority and the kept bounds only follow the
// kit's own changes.
#include "winkit/control.h"

#include "winkit/application.h"

namespace gleamkit::winkit {

Rect Control::FullRect() const {
    if (!m_handle || m_windowDestroyed) return m_bounds;
    RECT window{};
    if (!GetWindowRect(m_handle, &window)) return m_bounds;
    if (m_isChild && m_parent && m_parent->m_handle) {
        POINT corners[2] = {{window.left, window.top}, {window.right, window.bottom}};
        ScreenToClient(m_parent->m_handle, &corners[0]);
        ScreenToClient(m_parent->m_handle, &corners[1]);
        return MakeRect(corners[0].x, corners[0].y, corners[1].x, corners[1].y);
    }
    return MakeRect(window.left, window.top, window.right, window.bottom);
}

void Control::SetBounds(const Rect& bounds) {
    const Rect old = FullRect();
    if (bounds == old) return;
    if (bounds.Left != old.Left) m_positionSet |= 1;
    if (bounds.Top != old.Top) m_positionSet |= 2;
    m_bounds = bounds;
    if (!m_handle || m_windowDestroyed) return;
    SetWindowPos(m_handle, nullptr, bounds.Left, bounds.Top, bounds.Right - bounds.Left,
                 bounds.Bottom - bounds.Top, SWP_NOZORDER | SWP_NOACTIVATE);
    if (m_repaintOnResize) Invalidate();
    RethrowPendingException();
}

void Control::SetPosition(int32_t left, int32_t top) {
    const Rect old = FullRect();
    SetBounds(MakeRect(left, top, left + (old.Right - old.Left), top + (old.Bottom - old.Top)));
}

void Control::SetSize(int32_t width, int32_t height) {
    Rect bounds = FullRect();
    if (width > 0) bounds.Right = bounds.Left + width;
    if (height > 0) bounds.Bottom = bounds.Top + height;
    SetBounds(bounds);
}

Rect Control::ClientRect() {
    RECT client{};
    if (HWND window = WindowHandle()) GetClientRect(window, &client);
    return MakeRect(client.left + m_clientMargins.Left, client.top + m_clientMargins.Top,
                    client.right - m_clientMargins.Right, client.bottom - m_clientMargins.Bottom);
}

void Control::SetClientSize(int32_t width, int32_t height) {
    const Rect client = ClientRect();
    const Rect outer = FullRect();
    const int32_t newWidth =
        width > 0 ? (outer.Right - outer.Left) + width - (client.Right - client.Left) : 0;
    const int32_t newHeight =
        height > 0 ? (outer.Bottom - outer.Top) + height - (client.Bottom - client.Top) : 0;
    SetSize(newWidth, newHeight);
}

LRESULT Control::SendToSelf(UINT message, WPARAM wParam, LPARAM lParam) {
    const LRESULT result = SendMessageA(WindowHandle(), message, wParam, lParam);
    RethrowPendingException();
    return result;
}

void Control::Close() {
    if (m_handle && !m_windowDestroyed) PostMessageA(m_handle, WM_CLOSE, 0, 0);
}

void Control::Invalidate() {
    if (Terminated() || !m_handle || m_windowDestroyed) return;
    InvalidateRect(m_handle, nullptr, TRUE);
}

} // namespace gleamkit::winkit
