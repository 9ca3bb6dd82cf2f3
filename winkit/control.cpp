// Making and destroying controls, the control tree, and the settings a control
// keeps whether or not its window exists.
#include "winkit/control.h"

#include <unordered_set>

#include "base/kit_list.h"
#include "bitmap/draw_tool.h"
#include "winkit/application.h"
#include "winkit/kit_internal.h"
#include "winkit/menu.h"

namespace gleamkit::winkit {

namespace {

constexpr DWORD kDefaultStyle =
    WS_OVERLAPPEDWINDOW | WS_VISIBLE | WS_CLIPSIBLINGS | WS_CLIPCHILDREN;
constexpr int32_t kStartSize = 64;
// Showing one bar can make the other needed, and that the first: three rounds
// reach every stable combination of two bars.
constexpr int kMaxChildrenChangedRounds = 3;

// Child window ids are 16-bit values from 0x8000 up.
uint16_t g_nextControlId = 0x8000;

std::unordered_set<void*>& LiveControls() {
    static std::unordered_set<void*> controls;
    return controls;
}

Control* g_creatingControl = nullptr;

} // namespace

namespace detail {

void RegisterLiveControl(Control* control) {
    LiveControls().insert(control);
}
void UnregisterLiveControl(Control* control) {
    LiveControls().erase(control);
}
Control* LiveControl(void* candidate) {
    return LiveControls().count(candidate) ? static_cast<Control*>(candidate) : nullptr;
}
Control* CreatingControl() {
    return g_creatingControl;
}
void SetCreatingControl(Control* control) {
    g_creatingControl = control;
}

} // namespace detail

Control::Control()
    : m_classStyle(CS_OWNDC), m_style(kDefaultStyle), m_exStyle(WS_EX_CONTROLPARENT),
      m_children(NewKitList()) {
    detail::RegisterLiveControl(this);
}

Control::~Control() {
    detail::UnregisterLiveControl(this);
}

void Control::InitWithParent(Control* parent) {
    m_color = parent->m_color;
    m_parent = parent;
    parent->m_children->Add(this);
    parent->RunChildrenChanged(this);
}

Control* NewControlBase(Control* parent, const char* baseClassName) {
    auto* control = new Control();
    control->m_baseClassName = baseClassName ? baseClassName : "";
    if (!parent) return control;

    control->InitWithParent(parent);
    control->m_textColor = parent->m_textColor;
    control->InheritTools(*parent);
    const int32_t margin = parent->m_childMargin;
    control->m_childMargin = margin;
    control->m_bounds = MakeRect(margin, margin + parent->m_clientMargins.Top, margin + kStartSize,
                                 margin + kStartSize);
    return control;
}

Control* NewForm(Control* parent, const char* caption) {
    Control* form = NewControlBase(parent, "Form");
    form->m_classStyle |= CS_DBLCLKS;
    form->AttachHandler(FormHandler);
    form->AttachHandler(EraseHandler);
    form->SetCaption(caption);
    form->m_isForm = true;
    return form;
}

Control* NewChildControl(Control* parent, const char* baseClassName, DWORD style, Ctl3D ctl3D,
                         const ActionTable* actions) {
    Control* control = NewControlBase(parent, baseClassName);
    control->m_isChild = true;
    control->m_style = style | WS_CLIPSIBLINGS | WS_CLIPCHILDREN;
    if (ctl3D == Ctl3D::On) {
        control->m_style &= ~static_cast<DWORD>(WS_BORDER);
        control->m_exStyle |= WS_EX_CLIENTEDGE;
    }
    control->m_visible = (style & WS_VISIBLE) != 0;
    if (style & WS_TABSTOP) {
        control->m_tabStop = true;
        if (Control* form = parent ? parent->ParentForm() : nullptr) {
            control->m_tabOrder = form->m_tabCount++;
            if (!form->m_currentControl) form->m_currentControl = control;
        }
    }
    if (parent) control->m_cursor = parent->m_cursor;
    control->m_controlId = g_nextControlId++;
    control->m_actions = actions;
    control->AttachHandler(ChildHandler);
    return control;
}

// --- Tree ------------------------------------------------------------------

int32_t Control::ChildCount() const {
    return m_children ? m_children->Count() : 0;
}

Control* Control::Child(int32_t index) const {
    return m_children ? static_cast<Control*>(m_children->ItemAt(index)) : nullptr;
}

Control* Control::ParentForm() {
    for (Control* control = this; control; control = control->m_parent)
        if (control->m_isForm) return control;
    return nullptr;
}

bool Control::IsMainWindow() const {
    if (m_isChild) return false;
    if (!m_parent) return true;
    return !m_parent->m_parent && m_parent->Child(0) == this;
}

// --- Settings --------------------------------------------------------------

void Control::SetCaption(const char* caption) {
    m_caption = caption ? caption : "";
    if (m_handle) SetWindowTextA(m_handle, m_caption.c_str());
}

void Control::SetColor(Color color) {
    if (color == m_color) return;
    m_color = color;
    if (m_cachedBrush) DeleteObject(m_cachedBrush);
    m_cachedBrush = nullptr;
    if (m_brush) m_brush->SetColor(color);
    Invalidate();
}

void Control::SetVisible(bool visible) {
    m_showLater = false;
    if (visible == m_visible) return;
    m_visible = visible;
    if (visible)
        m_style |= WS_VISIBLE;
    else
        m_style &= ~static_cast<DWORD>(WS_VISIBLE);
    if (m_handle) ShowWindow(m_handle, visible ? SW_SHOW : SW_HIDE);
    if (m_parent) {
        if (RealignHook realign = InstalledRealignHook()) realign(*m_parent);
    }
    RethrowPendingException();
}

bool Control::CountsAsVisible() const {
    for (const Control* control = this; control; control = control->m_parent)
        if (!control->m_visible && !control->m_showLater) return false;
    return true;
}

void Control::AttachHandler(MessageHandler handler, AfterTermination when) {
    if (HasHandler(handler)) return;
    m_handlers.push_back({handler, when});
}

bool Control::HasHandler(MessageHandler handler) const {
    for (const HandlerEntry& entry : m_handlers)
        if (entry.Procedure == handler) return true;
    return false;
}

void Control::RunChildrenChanged(Control* child) {
    if (!m_childrenChanged || m_childrenChangedOff != 0) return;
    if (child) {
        m_childrenChanged(*this, child);
        return;
    }
    // Fitting the scroll ranges can show or hide a bar, which resizes the
    // client area and asks for the step again from inside it. The inner request
    // is only noted; the step then runs once more on the settled client area.
    if (m_childrenChangedRunning) {
        m_childrenChangedAgain = true;
        return;
    }
    struct Running {
        bool& flag;
        ~Running() { flag = false; }
    } running{m_childrenChangedRunning};
    m_childrenChangedRunning = true;
    for (int round = 0; round < kMaxChildrenChangedRounds; ++round) {
        m_childrenChangedAgain = false;
        m_childrenChanged(*this, nullptr);
        if (!m_childrenChangedAgain) break;
    }
}

void Control::RunScrolled() {
    if (m_scrolled) m_scrolled(*this);
}

// --- Destruction -----------------------------------------------------------

void Control::LeaveFocusSlots() {
    for (Control* control = m_parent; control; control = control->m_parent)
        if (control->m_currentControl == this) control->m_currentControl = nullptr;
    Control* application = ApplicationControl();
    if (application && application->m_currentControl == this)
        application->m_currentControl = nullptr;
}

void Control::FreeChildren() {
    // Each child is detached before it is freed: a child whose free is
    // deferred (one of its handlers is running) must not reach back into a
    // parent that is gone by then.
    while (ChildCount() > 0) {
        Control* child = Child(ChildCount() - 1);
        m_children->DeleteRun(ChildCount() - 1, 1);
        child->m_parent = nullptr;
        Free(child);
    }
}

void Control::LeaveParent() {
    Control* parent = m_parent;
    if (!parent) return;
    m_parent = nullptr;
    parent->m_children->Remove(this);
    // The parent's scroll ranges no longer include this child.
    if (!parent->m_inDestroy) parent->RunChildrenChanged(nullptr);
}

void Control::ReleaseBigIcon() {
    if (m_handle && !m_windowDestroyed) SendMessageA(m_handle, WM_SETICON, ICON_BIG, 0);
    if (m_icon && m_icon != kNoIcon && !m_iconShared) DestroyIcon(m_icon);
    m_icon = nullptr;
}

void Control::Destroy() {
    m_inDestroy = true;
    LeaveFocusSlots();
    if (m_handle && !m_windowDestroyed) ShowWindow(m_handle, SW_HIDE);

    KitObject::Destroy();
    FreeChildren();

    FreeTools();
    if (m_acceleratorTable) DestroyAcceleratorTable(m_acceleratorTable);
    m_acceleratorTable = nullptr;
    FreeAndNull(m_firstMenu);
    ReleaseBigIcon();
    if (m_handle && !m_windowDestroyed) DestroyWindow(m_handle);
    m_handle = nullptr;
    if (detail::CreatingControl() == this) detail::SetCreatingControl(nullptr);
    if (ApplicationControl() == this) SetApplicationControl(nullptr);

    LeaveParent();
    if (m_cachedBrush) DeleteObject(m_cachedBrush);
    m_cachedBrush = nullptr;
    FreeAndNull(m_children);
}

} // namespace gleamkit::winkit
