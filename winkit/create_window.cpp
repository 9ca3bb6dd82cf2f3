// Making a control's window: the parent's window first, the kit's window class
// ("obj_" + base class name, a copy of a system class when the base is one),
// the window itself bound to its control, then the children's windows.
#include "winkit/control.h"

#include <string>

#include "bitmap/draw_tool.h"
#include "winkit/application.h"
#include "winkit/kit_internal.h"

namespace gleamkit::winkit {

namespace {

// Class styles a copied system class must not keep: the kit's class is local
// to the program and every control gets its own device context rules.
constexpr UINT kDroppedClassStyles = CS_GLOBALCLASS | CS_OWNDC | CS_CLASSDC | CS_PARENTDC;

// WM_UPDATEUISTATE (UIS_CLEAR, UISF_HIDEFOCUS): focus rectangles show at once.
constexpr WPARAM kShowFocusCues = 0x10002;

std::string KitClassName(const std::string& baseClassName) {
    return "obj_" + baseClassName;
}

} // namespace

HWND Control::WindowHandle() {
    if (m_handle) return m_handle;
    // A window made on request stays hidden; the next CreateWindowStep (Run)
    // shows it, so a form can be laid out completely before it appears.
    const bool wasVisible = m_visible;
    if (wasVisible) {
        m_visible = false;
        m_style &= ~static_cast<DWORD>(WS_VISIBLE);
    }
    const bool made = CreateWindowStep();
    if (wasVisible) {
        if (made && m_handle) {
            m_showLater = true;
        } else {
            m_visible = true;
            m_style |= WS_VISIBLE;
        }
    }
    RethrowPendingException();
    return m_handle;
}

bool Control::RegisterWindowClass() {
    WNDCLASSA windowClass{};
    windowClass.style = m_classStyle;
    windowClass.lpfnWndProc = m_defaultProc;
    windowClass.hInstance = GetModuleHandleA(nullptr);
    windowClass.hCursor = LoadCursorA(nullptr, IDC_ARROW);
    if (!m_baseClassName.empty()) {
        // A system class (such as "STATIC") lends its record and procedure;
        // a kit-only base name ("Form", "ScrollBox") finds nothing.
        GetClassInfoA(nullptr, m_baseClassName.c_str(), &windowClass);
        windowClass.hInstance = GetModuleHandleA(nullptr);
        windowClass.style &= ~kDroppedClassStyles;
        if (!m_defaultProc) m_defaultProc = windowClass.lpfnWndProc;
    }
    const std::string className = KitClassName(m_baseClassName);
    WNDCLASSA existing{};
    if (GetClassInfoA(windowClass.hInstance, className.c_str(), &existing)) return true;
    windowClass.lpfnWndProc = KitWindowProc;
    windowClass.lpszClassName = className.c_str();
    windowClass.lpszMenuName = nullptr;
    windowClass.hbrBackground = nullptr;
    windowClass.cbClsExtra = 0;
    windowClass.cbWndExtra = 0;
    return RegisterClassA(&windowClass) != 0;
}

bool Control::CreateOwnWindow() {
    const std::string className = KitClassName(m_baseClassName);
    const int32_t width = m_bounds.Right - m_bounds.Left;
    const int32_t height = m_bounds.Bottom - m_bounds.Top;
    int x = m_bounds.Left;
    int y = m_bounds.Top;
    if (!m_isChild && (m_positionSet & 3) == 0) x = y = CW_USEDEFAULT;
    const DWORD style =
        m_visible ? (m_style | WS_VISIBLE) : (m_style & ~static_cast<DWORD>(WS_VISIBLE));
    // A top-level window takes its menu bar here; a child's "menu" is its id.
    const HMENU menuOrId = (m_style & WS_CHILD)
                               ? reinterpret_cast<HMENU>(static_cast<uintptr_t>(m_controlId))
                               : m_menuHandle;
    HWND parentWindow = m_parent ? m_parent->m_handle : nullptr;

    detail::SetCreatingControl(this);
    HWND window = CreateWindowExA(m_exStyle, className.c_str(), m_caption.c_str(), style, x, y,
                                  width ? width : CW_USEDEFAULT, height ? height : CW_USEDEFAULT,
                                  parentWindow, menuOrId, GetModuleHandleA(nullptr), nullptr);
    if (detail::CreatingControl() == this) detail::SetCreatingControl(nullptr);
    if (!window) return false;
    m_handle = window;
    m_windowDestroyed = false;

    SendMessageA(window, WM_UPDATEUISTATE, kShowFocusCues, 0);
    if (!GetPropA(window, detail::kSelfProperty)) SetPropA(window, detail::kSelfProperty, this);
    return true;
}

void Control::ApplyBigIcon() {
    if (!m_icon) {
        Control* application = ApplicationControl();
        if (application && application != this) {
            if (application->m_icon && application->m_icon != kNoIcon) {
                m_icon = static_cast<HICON>(CopyImage(application->m_icon, IMAGE_ICON, 0, 0, 0));
                m_iconShared = false;
            }
        } else {
            // The program's own icon resource (none when it carries none).
            m_icon = LoadIconA(GetModuleHandleA(nullptr), "MAINICON");
            m_iconShared = true;
        }
    }
    if (m_icon && m_icon != kNoIcon)
        SendMessageA(m_handle, WM_SETICON, ICON_BIG, reinterpret_cast<LPARAM>(m_icon));
}

void Control::CreateChildWindows() {
    for (int32_t i = 0; i < ChildCount(); ++i)
        if (Control* child = Child(i)) child->CreateWindowStep();
}

bool Control::CreateWindowStep() {
    if (m_parent && !m_parent->WindowHandle()) return false;
    if (m_handle) {
        CreateChildWindows();
        if (m_showLater) SetVisible(true);
        return true;
    }
    if (!RegisterWindowClass()) return false;
    if ((m_style & WS_CHILD) && (!m_parent || !m_parent->m_handle)) return false;
    if (!CreateOwnWindow()) return false;
    if (!m_isChild) ApplyBigIcon();
    if (m_font)
        SendMessageA(m_handle, WM_SETFONT, reinterpret_cast<WPARAM>(m_font->Handle()), TRUE);
    CreateChildWindows();
    return true;
}

} // namespace gleamkit::winkit
