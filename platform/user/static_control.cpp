// The system class "STATIC": a label. It paints its background with the
// brush its parent answers to WM_CTLCOLORSTATIC and, when it has a caption,
// the caption's text area (one 8 x 16 cell per character, from the top-left
// corner) in the background colour the parent set; an empty caption paints
// only the background. The platform draws no glyphs. With SS_NOTIFY a press
// reports STN_CLICKED (a double click STN_DBLCLK) to the parent.
#include "platform/gdi/gdi.h"
#include "platform/user/window_state.h"

#include <algorithm>

namespace user_detail {

namespace {

constexpr int kCellWidth = 8;
constexpr int kCellHeight = 16;
constexpr WORD kStnDoubleClick = 1;

HBRUSH BackgroundBrush(HWND hwnd, HDC dc) {
    const HWND parent = GetParent(hwnd);
    LRESULT answer = 0;
    if (parent != nullptr) {
        answer = SendMessageA(parent, WM_CTLCOLORSTATIC, reinterpret_cast<WPARAM>(dc),
                              reinterpret_cast<LPARAM>(hwnd));
    }
    if (answer == 0) {
        answer = DefWindowProcA(hwnd, WM_CTLCOLORSTATIC, reinterpret_cast<WPARAM>(dc),
                                reinterpret_cast<LPARAM>(hwnd));
    }
    return reinterpret_cast<HBRUSH>(answer);
}

void Paint(HWND hwnd) {
    PAINTSTRUCT paint{};
    HDC dc = BeginPaint(hwnd, &paint);
    if (dc == nullptr) return;
    const HBRUSH brush = BackgroundBrush(hwnd, dc);
    const Window* window = FindWindowRecord(hwnd);
    if (window != nullptr) {
        RECT client{};
        GetClientRect(hwnd, &client);
        if (brush != nullptr) FillRect(dc, &client, brush);
        const int length = static_cast<int>(window->text.size());
        if (length > 0 && GetBkMode(dc) == OPAQUE) {
            const RECT text{0, 0, std::min(client.right, length * kCellWidth),
                            std::min(client.bottom, kCellHeight)};
            HBRUSH textBrush = CreateSolidBrush(GetBkColor(dc));
            FillRect(dc, &text, textBrush);
            DeleteObject(textBrush);
        }
    }
    EndPaint(hwnd, &paint);
}

void Notify(HWND hwnd, WORD code) {
    const Window* window = FindWindowRecord(hwnd);
    if (window == nullptr || (window->style & SS_NOTIFY) == 0 || window->parent == nullptr) return;
    SendMessageA(window->parent, WM_COMMAND, MAKEWPARAM(static_cast<int>(window->id), code),
                 reinterpret_cast<LPARAM>(hwnd));
}

} // namespace

LRESULT StaticWindowProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
    case WM_PAINT:
        Paint(hwnd);
        return 0;
    case WM_ERASEBKGND:
        return 1; // WM_PAINT fills the background itself
    case WM_SETTEXT: {
        const LRESULT result = DefWindowProcA(hwnd, message, wParam, lParam);
        InvalidateRect(hwnd, nullptr, TRUE);
        return result;
    }
    case WM_SETFONT:
        if (Window* window = FindWindowRecord(hwnd)) window->font = reinterpret_cast<HFONT>(wParam);
        if (LOWORD(static_cast<uintptr_t>(lParam)) != 0) InvalidateRect(hwnd, nullptr, TRUE);
        return 0;
    case WM_GETFONT: {
        const Window* window = FindWindowRecord(hwnd);
        return window != nullptr ? reinterpret_cast<LRESULT>(window->font) : 0;
    }
    case WM_ENABLE:
        InvalidateRect(hwnd, nullptr, TRUE);
        return 0;
    case WM_LBUTTONDOWN:
        Notify(hwnd, STN_CLICKED);
        return 0;
    case WM_LBUTTONDBLCLK:
        Notify(hwnd, kStnDoubleClick);
        return 0;
    default:
        return DefWindowProcA(hwnd, message, wParam, lParam);
    }
}

} // namespace user_detail
