// A control's drawing tools: its font and brush (copies of the parent's,
// sharing the parent's handles while the settings agree) and the canvas that
// draws on its window, on the paint context while a paint is in progress.
#include "winkit/control.h"

#include "bitmap/canvas.h"
#include "bitmap/draw_tool.h"

namespace gleamkit::winkit {

namespace {

// Once any control has made a brush tool, backgrounds are erased with the
// controls' brush tools rather than with cached solid brushes.
bool g_brushToolsInUse = false;

Control& Owner(void* control) {
    return *static_cast<Control*>(control);
}

HWND CanvasWindow(void* control) {
    return Owner(control).Handle();
}
Color CanvasBackColor(void* control) {
    return Owner(control).GetColor();
}
Color CanvasTextColor(void* control) {
    return Owner(control).TextColor();
}
bitmap::DrawTool* CanvasBrush(void* control) {
    return Owner(control).HasBrush() ? Owner(control).Brush() : nullptr;
}
bitmap::DrawTool* CanvasFont(void* control) {
    return Owner(control).HasFont() ? Owner(control).Font() : nullptr;
}

// The window canvas's context: the paint context while painting, else the
// window context it already holds, else a new one.
HDC ControlContext(void* data, bitmap::Canvas* canvas) {
    Control& control = Owner(data);
    if (HDC paint = control.PaintDC()) return paint;
    if (HDC held = canvas->HeldContext()) return held;
    HWND window = control.WindowHandle();
    return window ? GetDC(window) : nullptr;
}

} // namespace

bitmap::DrawTool* Control::Font() {
    if (m_font) return m_font;
    m_font = bitmap::NewFont();
    m_font->SetColor(m_textColor);
    m_font->OnChange = {FontChanged, this};
    return m_font;
}

bitmap::DrawTool* Control::Brush() {
    if (m_brush) return m_brush;
    g_brushToolsInUse = true;
    m_brush = bitmap::NewBrush();
    m_brush->SetColor(m_color);
    if (m_parent) m_brush->SetParent(m_parent->Brush());
    m_brush->OnChange = {BrushChanged, this};
    return m_brush;
}

void Control::InheritTools(Control& parent) {
    if (parent.m_font) {
        m_font = bitmap::AssignDrawTool(nullptr, parent.m_font);
        m_font->SetParent(parent.m_font);
        m_font->OnChange = {FontChanged, this};
    }
    if (parent.m_brush) {
        m_brush = bitmap::AssignDrawTool(nullptr, parent.m_brush);
        m_brush->SetColor(m_color);
        m_brush->SetParent(parent.m_brush);
        m_brush->OnChange = {BrushChanged, this};
    }
}

void Control::FontChanged(void* data, KitObject*) {
    Control& control = Owner(data);
    control.m_textColor = control.m_font->GetColor();
    // The window canvas took a copy of the font when it was made; it follows
    // the change (a canvas in use by a paint stays valid).
    if (control.m_canvas && control.m_canvas->HasFont())
        bitmap::AssignDrawTool(control.m_canvas->Font(), control.m_font);
    if (control.m_handle && !control.m_windowDestroyed)
        SendMessageA(control.m_handle, WM_SETFONT,
                     reinterpret_cast<WPARAM>(control.m_font->Handle()), TRUE);
    control.Invalidate();
}

void Control::BrushChanged(void* data, KitObject*) {
    Control& control = Owner(data);
    control.m_color = control.m_brush->GetColor();
    if (control.m_cachedBrush) DeleteObject(control.m_cachedBrush);
    control.m_cachedBrush = nullptr;
    control.Invalidate();
}

void Control::SetTextColor(Color color) {
    m_textColor = color;
    if (m_font) m_font->SetColor(color);
}

bitmap::Canvas* Control::Canvas() {
    if (m_canvas) return m_canvas;
    bitmap::CanvasOwner owner;
    owner.control = this;
    owner.Window = CanvasWindow;
    owner.BackColor = CanvasBackColor;
    owner.TextColor = CanvasTextColor;
    owner.Brush = CanvasBrush;
    owner.Font = CanvasFont;
    m_canvas = bitmap::NewWindowCanvas(owner);
    m_canvas->OnNeedDC = {ControlContext, this};
    return m_canvas;
}

HBRUSH Control::EraseBrush() {
    if (g_brushToolsInUse) return static_cast<HBRUSH>(Brush()->Handle());
    // Sharing is looked up at each use rather than copied, so a parent that
    // changes its colour never leaves a child holding a deleted brush.
    if (m_parent && m_parent->m_color == m_color) return m_parent->EraseBrush();
    const COLORREF rgb = static_cast<COLORREF>(ResolveColor(m_color));
    if (m_cachedBrush && m_cachedBrushRgb != rgb) {
        DeleteObject(m_cachedBrush);
        m_cachedBrush = nullptr;
    }
    if (!m_cachedBrush) {
        m_cachedBrush = CreateSolidBrush(rgb);
        m_cachedBrushRgb = rgb;
    }
    return m_cachedBrush;
}

void Control::FreeTools() {
    FreeAndNull(m_canvas);
    FreeAndNull(m_font);
    FreeAndNull(m_brush);
}

} // namespace gleamkit::winkit
