// What a window keeps for its program: its text, named properties and the
// GetWindowLongPtrA fields. Property names compare without case.
#include "platform/user/window_state.h"

#include <algorithm>
#include <cstring>

namespace user_detail {
bool SameName(const std::string& a, const char* b);
} // namespace user_detail

using namespace user_detail;

BOOL SetWindowTextA(HWND hwnd, LPCSTR text) {
    if (!IsWindow(hwnd)) return FALSE;
    return SendMessageA(hwnd, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(text)) != 0 ? TRUE : FALSE;
}

int GetWindowTextA(HWND hwnd, LPSTR buffer, int maxCount) {
    if (buffer == nullptr || maxCount <= 0 || !IsWindow(hwnd)) return 0;
    buffer[0] = '\0';
    return static_cast<int>(SendMessageA(hwnd, WM_GETTEXT, static_cast<WPARAM>(maxCount),
                                         reinterpret_cast<LPARAM>(buffer)));
}

int GetWindowTextLengthA(HWND hwnd) {
    return static_cast<int>(SendMessageA(hwnd, WM_GETTEXTLENGTH, 0, 0));
}

LONG_PTR GetWindowLongPtrA(HWND hwnd, int index) {
    const Window* window = FindWindowRecord(hwnd);
    if (window == nullptr) return 0;
    switch (index) {
    case GWLP_WNDPROC:
        return reinterpret_cast<LONG_PTR>(window->proc);
    case GWLP_HINSTANCE:
        return reinterpret_cast<LONG_PTR>(window->instance);
    case GWLP_HWNDPARENT:
        return reinterpret_cast<LONG_PTR>(window->parent != nullptr ? window->parent
                                                                    : window->owner);
    case GWLP_ID:
        return static_cast<LONG_PTR>(window->id);
    case GWL_STYLE:
        return static_cast<LONG_PTR>(static_cast<LONG>(window->style));
    case GWL_EXSTYLE:
        return static_cast<LONG_PTR>(window->exStyle);
    case GWLP_USERDATA:
        return window->userData;
    default:
        return 0;
    }
}

LONG_PTR SetWindowLongPtrA(HWND hwnd, int index, LONG_PTR value) {
    Window* window = FindWindowRecord(hwnd);
    if (window == nullptr) return 0;
    const LONG_PTR previous = GetWindowLongPtrA(hwnd, index);
    switch (index) {
    case GWLP_WNDPROC:
        if (value == 0) return 0;
        window->proc = reinterpret_cast<WNDPROC>(value);
        break;
    case GWLP_ID:
        window->id = static_cast<UINT_PTR>(value);
        break;
    case GWL_STYLE:
        // The frame follows only after SetWindowPos(SWP_FRAMECHANGED), as on Win32.
        window->style = static_cast<DWORD>(value);
        break;
    case GWL_EXSTYLE:
        window->exStyle = static_cast<DWORD>(value);
        break;
    case GWLP_USERDATA:
        window->userData = value;
        break;
    default:
        return 0;
    }
    return previous;
}

BOOL SetPropA(HWND hwnd, LPCSTR name, HANDLE data) {
    Window* window = FindWindowRecord(hwnd);
    if (window == nullptr || name == nullptr || IS_INTRESOURCE(name)) return FALSE;
    for (auto& [key, value] : window->props) {
        if (SameName(key, name)) {
            value = data;
            return TRUE;
        }
    }
    window->props.emplace_back(name, data);
    return TRUE;
}

HANDLE GetPropA(HWND hwnd, LPCSTR name) {
    const Window* window = FindWindowRecord(hwnd);
    if (window == nullptr || name == nullptr || IS_INTRESOURCE(name)) return nullptr;
    for (const auto& [key, value] : window->props) {
        if (SameName(key, name)) return value;
    }
    return nullptr;
}

HANDLE RemovePropA(HWND hwnd, LPCSTR name) {
    Window* window = FindWindowRecord(hwnd);
    if (window == nullptr || name == nullptr || IS_INTRESOURCE(name)) return nullptr;
    auto& props = window->props;
    const auto found = std::find_if(props.begin(), props.end(), [name](const auto& prop) {
        return SameName(prop.first, name);
    });
    if (found == props.end()) return nullptr;
    const HANDLE data = found->second;
    props.erase(found);
    return data;
}
