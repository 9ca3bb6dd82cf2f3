// Window classes: registration, lookup by name (without case, as Win32 does)
// and the system class "STATIC", which is always registered.
#include "platform/user/window_state.h"

#include <algorithm>
#include <cctype>

namespace user_detail {

State& TheState() {
    static State state;
    return state;
}

HWND ToHandle(uintptr_t value) {
    return reinterpret_cast<HWND>(value);
}

Window* FindWindowRecord(HWND hwnd) {
    return TheState().windows.Find(reinterpret_cast<uintptr_t>(hwnd));
}

bool SameName(const std::string& a, const char* b) {
    const size_t length = std::char_traits<char>::length(b);
    if (a.size() != length) return false;
    for (size_t i = 0; i < length; ++i) {
        if (std::tolower(static_cast<unsigned char>(a[i])) !=
            std::tolower(static_cast<unsigned char>(b[i]))) {
            return false;
        }
    }
    return true;
}

std::shared_ptr<WindowClass> FindClass(LPCSTR name) {
    if (name == nullptr || IS_INTRESOURCE(name)) return nullptr;
    RegisterSystemClasses();
    for (const auto& windowClass : TheState().classes) {
        if (SameName(windowClass->name, name)) return windowClass;
    }
    return nullptr;
}

namespace {

ATOM g_nextAtom = 0xC000;

ATOM AddClass(const WNDCLASSA& record, bool system) {
    auto windowClass = std::make_shared<WindowClass>();
    windowClass->name = record.lpszClassName;
    if (record.lpszMenuName != nullptr && !IS_INTRESOURCE(record.lpszMenuName)) {
        windowClass->menuName = record.lpszMenuName;
    }
    windowClass->record = record;
    windowClass->record.lpszClassName = windowClass->name.c_str();
    windowClass->record.lpszMenuName =
        windowClass->menuName.empty() ? nullptr : windowClass->menuName.c_str();
    windowClass->system = system;
    TheState().classes.push_back(std::move(windowClass));
    return g_nextAtom++;
}

} // namespace

void RegisterSystemClasses() {
    static bool registered = false;
    if (registered) return;
    registered = true;
    WNDCLASSA staticClass{};
    staticClass.style = CS_DBLCLKS | CS_PARENTDC | CS_GLOBALCLASS;
    staticClass.lpfnWndProc = StaticWindowProc;
    staticClass.hCursor = LoadCursorA(nullptr, IDC_ARROW);
    staticClass.lpszClassName = "STATIC";
    AddClass(staticClass, true);
}

void UnregisterProgramClasses() {
    auto& classes = TheState().classes;
    classes.erase(std::remove_if(classes.begin(), classes.end(),
                                 [](const auto& windowClass) { return !windowClass->system; }),
                  classes.end());
}

} // namespace user_detail

using namespace user_detail;

ATOM RegisterClassA(const WNDCLASSA* wndClass) {
    if (wndClass == nullptr || wndClass->lpfnWndProc == nullptr ||
        wndClass->lpszClassName == nullptr || IS_INTRESOURCE(wndClass->lpszClassName) ||
        wndClass->lpszClassName[0] == '\0' || wndClass->cbClsExtra < 0 ||
        wndClass->cbWndExtra < 0) {
        return 0;
    }
    if (FindClass(wndClass->lpszClassName) != nullptr) return 0;
    return AddClass(*wndClass, false);
}

BOOL GetClassInfoA(HINSTANCE, LPCSTR className, WNDCLASSA* wndClass) {
    if (wndClass == nullptr) return FALSE;
    const auto windowClass = FindClass(className);
    if (windowClass == nullptr) return FALSE;
    *wndClass = windowClass->record;
    return TRUE;
}

BOOL UnregisterClassA(LPCSTR className, HINSTANCE) {
    const auto windowClass = FindClass(className);
    if (windowClass == nullptr || windowClass->system || windowClass->windows > 0) return FALSE;
    auto& classes = TheState().classes;
    classes.erase(std::find(classes.begin(), classes.end(), windowClass));
    return TRUE;
}
