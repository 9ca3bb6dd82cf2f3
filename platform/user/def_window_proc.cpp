// DefWindowProcA: the platform's answer to every message a window procedure
// passes on. It owns the frame (WM_NCCALCSIZE, WM_NCHITTEST, WM_NCPAINT,
// scroll-bar mouse work), closing (WM_CLOSE destroys), erasing with the class
// brush, validating WM_PAINT, the class cursor, system commands and the wheel.
#include "platform/backend/backend.h"
#include "platform/gdi/gdi.h"
#include "platform/user/window_state.h"

#include <algorithm>
#include <cstring>

namespace user_detail {

namespace {

LRESULT CalcSize(HWND hwnd, WPARAM calcValidRects, LPARAM lParam) {
    const Window* window = FindWindowRecord(hwnd);
    if (window == nullptr || lParam == 0) return 0;
    RECT* rect = calcValidRects ? &reinterpret_cast<NCCALCSIZE_PARAMS*>(lParam)->rgrc[0]
                                : reinterpret_cast<RECT*>(lParam);
    const RECT client =
        ComputeClientRect(*window, rect->right - rect->left, rect->bottom - rect->top);
    *rect = OffsetRectBy(client, rect->left, rect->top);
    return 0;
}

LRESULT SetText(HWND hwnd, LPCSTR text) {
    Window* window = FindWindowRecord(hwnd);
    if (window == nullptr) return FALSE;
    window->text = text != nullptr ? text : "";
    if (window->parent == nullptr) {
        gleamkit::backend::CurrentBackend().TopLevelTitleChanged(hwnd, window->text.c_str());
    }
    return TRUE;
}

LRESULT GetText(HWND hwnd, WPARAM capacity, LPARAM buffer) {
    const Window* window = FindWindowRecord(hwnd);
    if (window == nullptr || buffer == 0 || capacity == 0) return 0;
    const size_t count = std::min<size_t>(window->text.size(), capacity - 1);
    char* out = reinterpret_cast<char*>(buffer);
    std::memcpy(out, window->text.data(), count);
    out[count] = '\0';
    return static_cast<LRESULT>(count);
}

LRESULT EraseBackground(HWND hwnd, HDC dc) {
    const Window* window = FindWindowRecord(hwnd);
    if (window == nullptr || dc == nullptr) return 0;
    const HBRUSH brush = window->windowClass->record.hbrBackground;
    if (brush == nullptr) return 0;
    RECT client{0, 0, window->client.right - window->client.left,
                window->client.bottom - window->client.top};
    FillRect(dc, &client, brush);
    return 1;
}

LRESULT ValidatePaint(HWND hwnd) {
    PAINTSTRUCT paint{};
    if (BeginPaint(hwnd, &paint) != nullptr) EndPaint(hwnd, &paint);
    return 0;
}

LRESULT SetCursorMessage(HWND hwnd, WPARAM wParam, LPARAM lParam) {
    const Window* window = FindWindowRecord(hwnd);
    if (window == nullptr) return FALSE;
    if (window->parent != nullptr &&
        SendMessageA(window->parent, WM_SETCURSOR, wParam, lParam) != FALSE) {
        return TRUE;
    }
    window = FindWindowRecord(hwnd);
    if (window == nullptr) return FALSE;
    const auto hit = static_cast<SHORT>(LOWORD(static_cast<uintptr_t>(lParam)));
    if (hit == HTCLIENT) {
        if (window->windowClass->record.hCursor != nullptr) {
            SetCursor(window->windowClass->record.hCursor);
            return TRUE;
        }
        return FALSE;
    }
    SetCursor(LoadCursorA(nullptr, IDC_ARROW));
    return FALSE;
}

LRESULT SystemCommand(HWND hwnd, WPARAM wParam) {
    switch (wParam & 0xFFF0) {
    case SC_CLOSE:
        SendMessageA(hwnd, WM_CLOSE, 0, 0);
        break;
    case SC_MINIMIZE:
        ShowWindow(hwnd, SW_MINIMIZE);
        break;
    case SC_MAXIMIZE:
        ShowWindow(hwnd, SW_MAXIMIZE);
        break;
    case SC_RESTORE:
        ShowWindow(hwnd, SW_RESTORE);
        break;
    default:
        // Moving, sizing and the keyboard menu belong to the native frame.
        break;
    }
    return 0;
}

LRESULT SystemKey(HWND hwnd, WPARAM key) {
    if (key == VK_F4 && (GetKeyState(VK_MENU) & 0x8000) != 0) { // Alt+F4 closes
        PostMessageA(TopLevelOf(hwnd), WM_SYSCOMMAND, SC_CLOSE, 0);
    }
    return 0;
}

LRESULT WindowPosChanged(HWND hwnd, LPARAM lParam) {
    const WINDOWPOS* pos = reinterpret_cast<const WINDOWPOS*>(lParam);
    const Window* window = FindWindowRecord(hwnd);
    if (window == nullptr || pos == nullptr) return 0;
    if ((pos->flags & SWP_NOMOVE) == 0) {
        SendMessageA(hwnd, WM_MOVE, 0,
                     MAKELPARAM(window->rect.left + window->client.left,
                                window->rect.top + window->client.top));
        window = FindWindowRecord(hwnd);
        if (window == nullptr) return 0;
    }
    if ((pos->flags & SWP_NOSIZE) == 0) {
        const WPARAM kind = window->minimized   ? SIZE_MINIMIZED
                            : window->maximized ? SIZE_MAXIMIZED
                                                : SIZE_RESTORED;
        SendMessageA(hwnd, WM_SIZE, kind,
                     MAKELPARAM(window->client.right - window->client.left,
                                window->client.bottom - window->client.top));
    }
    return 0;
}

LRESULT ColorMessage(HDC dc, UINT message) {
    const bool plain = message == WM_CTLCOLOREDIT || message == WM_CTLCOLORLISTBOX;
    const int background = plain ? COLOR_WINDOW : COLOR_BTNFACE;
    SetTextColor(dc, GetSysColor(COLOR_WINDOWTEXT));
    SetBkColor(dc, GetSysColor(background));
    return reinterpret_cast<LRESULT>(SysColorBrush(background));
}

LRESULT SetIcon(HWND hwnd, WPARAM which, LPARAM icon) {
    Window* window = FindWindowRecord(hwnd);
    if (window == nullptr || which > ICON_BIG) return 0;
    const HICON previous = window->icons[which];
    window->icons[which] = reinterpret_cast<HICON>(icon);
    return reinterpret_cast<LRESULT>(previous);
}

LRESULT UpdateUiState(HWND hwnd, WPARAM wParam) {
    Window* window = FindWindowRecord(hwnd);
    if (window == nullptr) return 0;
    const WORD action = LOWORD(wParam);
    const WORD flags = HIWORD(wParam);
    if (action == UIS_SET) window->uiState |= flags;
    if (action == UIS_CLEAR) window->uiState &= ~static_cast<UINT>(flags);
    if (action == UIS_INITIALIZE) window->uiState = flags;
    const std::vector<HWND> children = window->children;
    for (HWND child : children) SendMessageA(child, WM_UPDATEUISTATE, wParam, 0);
    return 0;
}

LRESULT NonClientButton(HWND hwnd, WPARAM hit, LPARAM lParam) {
    const POINT screen{GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam)};
    BeginScrollTracking(hwnd, static_cast<LRESULT>(hit), screen);
    return 0;
}

} // namespace

} // namespace user_detail

using namespace user_detail;

LRESULT DefWindowProcA(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
    if (!IsWindow(hwnd)) return 0;
    switch (message) {
    case WM_NCCREATE: {
        const auto* create = reinterpret_cast<const CREATESTRUCTA*>(lParam);
        if (create != nullptr && create->lpszName != nullptr && !IS_INTRESOURCE(create->lpszName)) {
            SetText(hwnd, create->lpszName);
        }
        return TRUE;
    }
    case WM_NCCALCSIZE:
        return CalcSize(hwnd, wParam, lParam);
    case WM_NCHITTEST:
        return DefaultHitTest(hwnd, POINT{GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam)});
    case WM_NCPAINT:
        DrawFrame(hwnd);
        return 0;
    case WM_NCACTIVATE:
        return TRUE;
    case WM_NCLBUTTONDOWN:
    case WM_NCLBUTTONDBLCLK:
        return NonClientButton(hwnd, wParam, lParam);
    case WM_ERASEBKGND:
        return EraseBackground(hwnd, reinterpret_cast<HDC>(wParam));
    case WM_PAINT:
        return ValidatePaint(hwnd);
    case WM_CLOSE:
        DestroyWindow(hwnd);
        return 0;
    case WM_SETTEXT:
        return SetText(hwnd, reinterpret_cast<LPCSTR>(lParam));
    case WM_GETTEXT:
        return GetText(hwnd, wParam, lParam);
    case WM_GETTEXTLENGTH: {
        const Window* window = FindWindowRecord(hwnd);
        return static_cast<LRESULT>(window->text.size());
    }
    case WM_WINDOWPOSCHANGED:
        return WindowPosChanged(hwnd, lParam);
    case WM_SETCURSOR:
        return SetCursorMessage(hwnd, wParam, lParam);
    case WM_SYSCOMMAND:
        return SystemCommand(hwnd, wParam);
    case WM_SYSKEYDOWN:
        return SystemKey(hwnd, wParam);
    case WM_ACTIVATE:
        if (LOWORD(wParam) != WA_INACTIVE && !IsIconic(hwnd)) {
            const HWND focus = GetFocus();
            if (focus == nullptr || (focus != hwnd && !IsChild(hwnd, focus))) SetFocus(hwnd);
        }
        return 0;
    case WM_MOUSEWHEEL:
        ScrollByWheel(hwnd, wParam, lParam);
        return 0;
    case WM_CTLCOLORMSGBOX:
    case WM_CTLCOLOREDIT:
    case WM_CTLCOLORLISTBOX:
    case WM_CTLCOLORBTN:
    case WM_CTLCOLORDLG:
    case WM_CTLCOLORSCROLLBAR:
    case WM_CTLCOLORSTATIC:
        return ColorMessage(reinterpret_cast<HDC>(wParam), message);
    case WM_SETICON:
        return SetIcon(hwnd, wParam, lParam);
    case WM_GETICON: {
        const Window* window = FindWindowRecord(hwnd);
        return wParam <= ICON_BIG ? reinterpret_cast<LRESULT>(window->icons[wParam]) : 0;
    }
    case WM_UPDATEUISTATE:
    case WM_CHANGEUISTATE:
        return UpdateUiState(hwnd, wParam);
    case WM_QUERYUISTATE:
        return static_cast<LRESULT>(FindWindowRecord(hwnd)->uiState);
    case WM_QUERYENDSESSION:
        return TRUE;
    case WM_MOUSEACTIVATE:
        return 1; // MA_ACTIVATE
    case WM_CANCELMODE:
        if (GetCapture() == hwnd) ReleaseCapture();
        return 0;
    default:
        return 0;
    }
}
