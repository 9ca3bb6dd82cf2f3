// Control: the window kit's object for one window, a top-level form or a child
// control. It keeps the window's settings while no window exists, makes the
// window on demand, and receives every message of that window through the kit
// window procedure, which offers it to the control's events and to its chain of
// attached message handlers before the window's default procedure.
//
// Usage: NewForm(nullptr, "Caption") makes a form; NewChildControl (or
// NewPaintBox / NewScrollingBox) makes children inside it; WindowHandle() makes
// the window (hidden); Run(form) shows the form and runs the message loop until
// the form is closed, then frees it. Controls are released with Free; a Free
// made while one of the control's handlers runs is completed when the handler
// returns.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "base/color.h"
#include "base/event.h"
#include "base/kit_object.h"
#include "base/rect.h"
#include "platform/win32.h"

namespace gleamkit {
class KitList;
}

namespace gleamkit::bitmap {
class Canvas;
class DrawTool;
} // namespace gleamkit::bitmap

namespace gleamkit::winkit {

class Control;
class Menu;

// One message as the kit passes it to events and handlers.
struct KitMessage {
    HWND Window = nullptr;
    UINT Message = 0;
    WPARAM WParam = 0;
    LPARAM LParam = 0;
};

// A handler in a control's chain. It answers true when it handled the message,
// leaving the window procedure's answer in `result`; false lets the message go
// on to the next handler and then to the control's own steps.
using MessageHandler = bool (*)(Control& control, KitMessage& message, LRESULT& result);

// Run with a new child (just added to the control) or with none (the children's
// extent may have changed). Scroll boxes install one; see scroll_box.h.
using ChildrenChangedStep = void (*)(Control& control, Control* child);
// Run after a scroll position of the control changed.
using ScrolledStep = void (*)(Control& control);

// OnMessage: offered every message; set `handled` to answer with `result`.
using MessageEvent = Event<KitMessage&, LRESULT&, bool&>;
// OnPaint: the device context to paint on (valid during the event only).
using PaintEvent = Event<HDC>;
// OnClose: `accept` comes in true; setting it false refuses the close.
using CloseEvent = Event<bool&>;

// Whether a child control gets the sunken 3-D edge (WS_EX_CLIENTEDGE, no WS_BORDER).
enum class Ctl3D : uint8_t { Off, On };

// Where an aligned child sits in its parent's client area.
enum class Align : uint8_t { None = 0, Left = 1, Top = 2, Right = 3, Bottom = 4, Client = 5 };

// Whether an attached handler still runs once the program is terminating.
enum class AfterTermination : uint8_t { Skip, Run };

// Which reflected notification code (high word of a child's WM_COMMAND) is a
// click for a child control.
struct ActionTable {
    UINT ClickNotification;
};

// Labels (the system STATIC class) click with STN_CLICKED (0).
inline constexpr ActionTable kLabelActions{0};

// Control::SetIcon's "no icon at all".
inline const HICON kNoIcon = reinterpret_cast<HICON>(static_cast<intptr_t>(-1));

// The kit's private window messages.
inline constexpr UINT kMsgRelease = 0xB003;             // free the control after this message
inline constexpr UINT kMsgReflectedCommand = 0xB005;    // WM_COMMAND reflected to the child
inline constexpr UINT kMsgChildShown = 0xB013;          // a child's visibility changed
inline constexpr UINT kMsgReflectedColorFirst = 0xBD32; // WM_CTLCOLOR* + 0xBC00
inline constexpr UINT kMsgReflectedColorLast = 0xBD38;
inline constexpr UINT kMsgPostedProcedure = 0x8FFF;

class Control : public KitObject {
public:
    // --- Window ----------------------------------------------------------
    // The window, or none; never creates it.
    HWND Handle() const { return m_handle; }
    // The window, created hidden when there is none yet (Run or SetVisible
    // shows it later). None when the window cannot be made.
    HWND WindowHandle();
    // Makes the window (and its parent's first, its children's after) or, when
    // it exists, the children's windows and a pending show. False when the
    // parent's window cannot be made, a child has no parent window, or class
    // registration or window creation fails.
    bool CreateWindowStep();
    // The kit's handling of one message of this control's window (the steps of
    // the kit window procedure); answers the window procedure's result.
    LRESULT WindowProc(KitMessage& message);
    // The base class's window procedure applied to the message, or DefWindowProcA.
    LRESULT CallDefault(const KitMessage& message);
    // SendMessageA to the control's window, creating the window first.
    LRESULT SendToSelf(UINT message, WPARAM wParam, LPARAM lParam);
    // Posts WM_CLOSE with zero parameters to the control's window, if it has one.
    void Close();
    // Makes the windows of the children that have none yet.
    void CreateChildWindows();
    // Invalidates the whole window with erase (nothing without a window or
    // once the program is terminating).
    void Invalidate();

    // --- Tree --------------------------------------------------------------
    Control* Parent() const { return m_parent; }
    int32_t ChildCount() const;
    // Child `index` in creation order, or none outside 0 .. ChildCount - 1.
    Control* Child(int32_t index) const;
    bool IsForm() const { return m_isForm; }
    bool IsChild() const { return m_isChild; }
    // The nearest form among this control and its ancestors, or none.
    Control* ParentForm();
    // A control that is not a child and has no parent, or is the first child
    // of a parentless parent: closing it ends the program.
    bool IsMainWindow() const;
    // Of a form: the child that had the focus last (or the first tab stop).
    Control* CurrentControl() const { return m_currentControl; }
    void SetCurrentControl(Control* control) { m_currentControl = control; }

    // --- Look and settings (kept while no window exists) ------------------
    const std::string& Caption() const { return m_caption; }
    void SetCaption(const char* caption);
    Color GetColor() const { return m_color; }
    // Sets the background colour, drops the cached brush and repaints.
    void SetColor(Color color);
    Color TextColor() const { return m_textColor; }
    void SetTextColor(Color color);
    bool IsVisible() const { return m_visible; }
    // Shows or hides the window (when there is one) and realigns the parent.
    void SetVisible(bool visible);
    // Visible, or waiting to be shown by Run, and so is every ancestor.
    bool CountsAsVisible() const;
    bool IsEnabled() const { return m_enabled; }
    bool IsTransparent() const { return m_transparent; }
    void SetTransparent(bool transparent) { m_transparent = transparent; }
    // The big icon a top-level window shows: none (0) takes a copy of the
    // application control's icon, or the program's "MAINICON" resource for
    // the application control itself; kNoIcon shows none. A shared icon is
    // not destroyed with the control. Takes effect when the window is made.
    HICON Icon() const { return m_icon; }
    void SetIcon(HICON icon, bool shared) {
        m_icon = icon;
        m_iconShared = shared;
    }
    HCURSOR Cursor() const { return m_cursor; }
    void SetCursor(HCURSOR cursor) { m_cursor = cursor; }
    bool RepaintOnResize() const { return m_repaintOnResize; }
    void SetRepaintOnResize(bool repaint) { m_repaintOnResize = repaint; }
    DWORD Style() const { return m_style; }
    DWORD ExStyle() const { return m_exStyle; }
    UINT ClassStyle() const { return m_classStyle; }
    // Of a tab stop: its place in its form's tab order (0 first).
    int32_t TabOrder() const { return m_tabOrder; }
    // The wParam of the last WM_SIZE (SIZE_RESTORED, SIZE_MINIMIZED, ...).
    WPARAM LastSizeType() const { return m_lastSizeType; }
    // The child window id (from 0x8000 up); 0 for forms.
    UINT ControlId() const { return m_controlId; }
    const std::string& BaseClassName() const { return m_baseClassName; }
    // The base class's window procedure (a system class's, such as STATIC's),
    // or none when messages default to DefWindowProcA.
    WNDPROC DefaultProcedure() const { return m_defaultProc; }
    // The control's font, made on first request (a copy of the parent's when
    // the parent has one, sharing its handle while the settings agree); its
    // colour is the text colour. A change repaints, is sent to the window
    // (WM_SETFONT) and reaches the window canvas. Owned by the control.
    bitmap::DrawTool* Font();
    // The control's brush, made on first request like Font; its colour is the
    // control's colour. Owned by the control.
    bitmap::DrawTool* Brush();
    bool HasFont() const { return m_font != nullptr; }
    bool HasBrush() const { return m_brush != nullptr; }
    // The canvas drawing on the window, made on first request: during a paint
    // it draws on the paint context, otherwise on the window's own context.
    // Owned by the control.
    bitmap::Canvas* Canvas();
    bool HasCanvas() const { return m_canvas != nullptr; }
    // The brush the kit erases the background with: a solid brush of the
    // control's colour, cached (or the parent's, when the colours agree); once
    // a control has made a Brush, the control's Brush.
    HBRUSH EraseBrush();

    // --- Geometry (parent client coordinates; right and bottom exclusive) -
    // The window's rectangle when there is a window, else the kept bounds.
    Rect FullRect() const;
    // Moves and sizes the control; nothing when the bounds do not change.
    void SetBounds(const Rect& bounds);
    void SetPosition(int32_t left, int32_t top);
    // A value of 0 or less leaves that dimension alone.
    void SetSize(int32_t width, int32_t height);
    // The window's client rectangle less the client margins (creates the
    // window, hidden, when there is none).
    Rect ClientRect();
    // Sizes the control so its client area gets this size; a value of 0 or
    // less leaves that dimension alone.
    void SetClientSize(int32_t width, int32_t height);
    int32_t ChildMargin() const { return m_childMargin; }
    void SetChildMargin(int32_t margin) { m_childMargin = margin; }
    // Room kept free inside the client area (left, top, right, bottom).
    Rect ClientMargins() const { return m_clientMargins; }
    void SetClientMargins(const Rect& margins) { m_clientMargins = margins; }
    Align GetAlign() const { return m_align; }
    // Stores a changed alignment and realigns the parent (unless locked).
    void SetAlign(Align align);
    bool AlignLocked() const { return m_alignLocked; }
    void SetAlignLocked(bool locked) { m_alignLocked = locked; }
    // True while the control lays out its aligned children.
    bool IsRealigning() const { return m_realigning; }
    void SetRealigning(bool realigning) { m_realigning = realigning; }

    // --- Handlers ----------------------------------------------------------
    // Adds a handler at the end of the chain unless it is already there.
    // Handlers run from the last attached to the first; the first that
    // handles a message ends the run.
    void AttachHandler(MessageHandler handler, AfterTermination when = AfterTermination::Skip);
    bool HasHandler(MessageHandler handler) const;

    MessageEvent OnMessage;
    Event<> OnClick;
    PaintEvent OnPaint;
    CloseEvent OnClose;

    // --- Menus (see menu.h) ---------------------------------------------
    Menu* FirstMenu() const { return m_firstMenu; }
    void SetFirstMenu(Menu* menu) { m_firstMenu = menu; }
    // The menu handle set on the window (forms only).
    HMENU MenuHandle() const { return m_menuHandle; }
    void SetMenuHandle(HMENU menu) { m_menuHandle = menu; }
    // The accelerator table built from all menus of this control; owned.
    HACCEL AcceleratorTable() const { return m_acceleratorTable; }
    void SetAcceleratorTable(HACCEL table) { m_acceleratorTable = table; }

    // --- Scroll box (see scroll_box.h) -----------------------------------
    int32_t LineStepX() const { return m_lineStepX; }
    int32_t LineStepY() const { return m_lineStepY; }
    void SetLineSteps(int32_t x, int32_t y) {
        m_lineStepX = x;
        m_lineStepY = y;
    }
    void SetChildrenChangedStep(ChildrenChangedStep step) { m_childrenChanged = step; }
    void SetScrolledStep(ScrolledStep step) { m_scrolled = step; }
    // Runs the children-changed step, unless there is none or it is switched off.
    void RunChildrenChanged(Control* child);
    // Runs the scrolled step, if there is one.
    void RunScrolled();
    // Switches the children-changed step off (nesting) and on again.
    void SuspendChildrenChanged() { ++m_childrenChangedOff; }
    void ResumeChildrenChanged() { --m_childrenChangedOff; }

    // --- Paint state -----------------------------------------------------
    // The device context of the paint in progress (during WM_PAINT only).
    HDC PaintDC() const { return m_paintDC; }
    void SetPaintDC(HDC dc) { m_paintDC = dc; }

protected:
    Control();
    ~Control() override;
    // Tears the control down: leaves its form's focus slot, hides the window,
    // fires OnDestroy and runs the auto-free list, frees the children (last
    // first), the menus, the accelerator table and the window, leaves the
    // parent's children list.
    void Destroy() override;

private:
    friend Control* NewControlBase(Control* parent, const char* baseClassName);
    friend Control* NewForm(Control* parent, const char* caption);
    friend Control* NewChildControl(Control* parent, const char* baseClassName, DWORD style,
                                    Ctl3D ctl3D, const ActionTable* actions);
    friend LRESULT KitWindowProc(HWND, UINT, WPARAM, LPARAM);
    friend bool ChildHandler(Control&, KitMessage&, LRESULT&);
    friend bool FormHandler(Control&, KitMessage&, LRESULT&);

    struct HandlerEntry {
        MessageHandler Procedure;
        AfterTermination When;
    };

    void InitWithParent(Control* parent);
    bool RunHandlerChain(KitMessage& message, LRESULT& result);
    bool OfferOnMessage(KitMessage& message, LRESULT& result);
    LRESULT HandleClose(const KitMessage& message);
    LRESULT HandleNcDestroy(const KitMessage& message);
    LRESULT HandleSize(const KitMessage& message);
    LRESULT HandleShowWindow(const KitMessage& message);
    LRESULT HandleKey(KitMessage& message);
    bool RegisterWindowClass();
    bool CreateOwnWindow();
    void InheritTools(Control& parent);
    void FreeTools();
    static void FontChanged(void* data, KitObject* sender);
    static void BrushChanged(void* data, KitObject* sender);
    void ApplyBigIcon();
    void ReleaseBigIcon();
    void LeaveFocusSlots();
    void FreeChildren();
    void LeaveParent();

    HWND m_handle = nullptr;
    UINT m_classStyle = 0;
    DWORD m_style = 0;
    DWORD m_exStyle = 0;
    HCURSOR m_cursor = nullptr;
    bitmap::Canvas* m_canvas = nullptr;
    bitmap::DrawTool* m_font = nullptr;
    bitmap::DrawTool* m_brush = nullptr;
    HICON m_icon = nullptr;
    bool m_iconShared = false;
    std::string m_caption;
    WPARAM m_lastSizeType = 0;
    int m_rememberedShow = 0;
    WNDPROC m_defaultProc = nullptr;
    bool m_windowDestroyed = false;
    Control* m_parent = nullptr;
    bool m_enabled = true;
    bool m_visible = true;
    bool m_tabStop = false;
    int32_t m_tabOrder = 0;
    int32_t m_tabCount = 0;
    KitList* m_children = nullptr;
    HBRUSH m_cachedBrush = nullptr;
    COLORREF m_cachedBrushRgb = 0;
    bool m_inDestroy = false;
    UINT m_controlId = 0;
    Menu* m_firstMenu = nullptr;
    HMENU m_menuHandle = nullptr;
    HACCEL m_acceleratorTable = nullptr;
    bool m_isForm = false;
    bool m_isChild = false;
    uint8_t m_positionSet = 0;
    HDC m_paintDC = nullptr;
    std::vector<HandlerEntry> m_handlers;
    bool m_chainRunning = false;
    std::string m_baseClassName;
    Color m_textColor = SystemColor(COLOR_WINDOWTEXT);
    Color m_color = SystemColor(COLOR_BTNFACE);
    int32_t m_childMargin = 2;
    Rect m_bounds;
    Rect m_clientMargins;
    bool m_transparent = false;
    Control* m_currentControl = nullptr;
    bool m_showLater = false;
    int32_t m_focusInProgress = 0;
    Align m_align = Align::None;
    bool m_alignLocked = false;
    bool m_realigning = false;
    bool m_repaintOnResize = false;
    const ActionTable* m_actions = nullptr;
    int32_t m_lineStepX = 0;
    int32_t m_lineStepY = 0;
    ChildrenChangedStep m_childrenChanged = nullptr;
    ScrolledStep m_scrolled = nullptr;
    int32_t m_childrenChangedOff = 0;
    bool m_childrenChangedRunning = false;
    bool m_childrenChangedAgain = false;
};

// A control with the kit's defaults (window style WS_OVERLAPPEDWINDOW |
// WS_VISIBLE | WS_CLIPSIBLINGS | WS_CLIPCHILDREN, WS_EX_CONTROLPARENT,
// CS_OWNDC, button-face colour, window-text text colour, ChildMargin 2),
// whose window class will be "obj_" + `baseClassName`. With a parent it is
// appended to the parent's children (running the parent's children-changed
// step with it), takes the parent's colours, font, brush and ChildMargin,
// and starts at (margin, margin + parent's top client margin) with right and
// bottom at margin + 64. (The sunken edge is a child control's choice, see
// NewChildControl.) The caller owns the result (a child is freed with its
// parent).
Control* NewControlBase(Control* parent, const char* baseClassName);

// A form: a top-level window with double-click messages, the form handler
// (focus, end of session) and the background erase handler, and `caption`.
Control* NewForm(Control* parent, const char* caption);

// A child control of `parent` (required) on base class `baseClassName`, with
// `style` | WS_CLIPSIBLINGS | WS_CLIPCHILDREN; Ctl3D::On trades WS_BORDER for
// WS_EX_CLIENTEDGE. WS_VISIBLE sets the visible flag; WS_TABSTOP makes it a tab
// stop of its form. It gets the next child window id and the child handler
// (reflected colours and commands); `actions` (may be none) says which
// reflected notification is a click.
Control* NewChildControl(Control* parent, const char* baseClassName, DWORD style, Ctl3D ctl3D,
                         const ActionTable* actions);

// The window procedure registered for every kit window class.
LRESULT KitWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);

// Handlers the kit attaches: forms and scroll boxes get FormHandler and
// EraseHandler, child controls ChildHandler.
bool FormHandler(Control& control, KitMessage& message, LRESULT& result);
bool EraseHandler(Control& control, KitMessage& message, LRESULT& result);
bool ChildHandler(Control& control, KitMessage& message, LRESULT& result);

} // namespace gleamkit::winkit
