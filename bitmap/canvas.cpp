// Canvas: the requirement step and its state marks, context hand-over, and
// the drawing operations. Tools are selected only when their mark is down, so
// a run of drawing calls selects each tool once.
#include "bitmap/canvas.h"

#include "bitmap/draw_tool.h"
#include "platform/win32.h"

namespace gleamkit::bitmap {
namespace {

// The objects a context gets back when the canvas's tools leave it; fetched
// once for the whole program.
struct StockObjects {
    HGDIOBJ pen = GetStockObject(BLACK_PEN);
    HGDIOBJ brush = GetStockObject(NULL_BRUSH);
    HGDIOBJ font = GetStockObject(SYSTEM_FONT);
};

const StockObjects& Stock() {
    static const StockObjects stock;
    return stock;
}

RECT ToRect(const Rect& rect) {
    return RECT{rect.Left, rect.Top, rect.Right, rect.Bottom};
}

bool IsStyledPen(int style) {
    return style == PS_DASH || style == PS_DOT || style == PS_DASHDOT;
}

} // namespace

Canvas* NewCanvas(HDC context) {
    auto* canvas = new Canvas();
    if (context) canvas->Hold(context, false);
    return canvas;
}

Canvas* NewWindowCanvas(const CanvasOwner& owner) {
    auto* canvas = new Canvas();
    canvas->m_owner = owner;
    if (owner.Font) {
        if (DrawTool* font = owner.Font(owner.control))
            canvas->m_font = canvas->Adopt(AssignDrawTool(nullptr, font));
    }
    if (owner.Brush) {
        if (DrawTool* brush = owner.Brush(owner.control))
            canvas->m_brush = canvas->Adopt(AssignDrawTool(nullptr, brush));
    }
    return canvas;
}

void Canvas::Destroy() {
    SetHandle(nullptr);
    FreeAndNull(m_pen);
    FreeAndNull(m_brush);
    FreeAndNull(m_font);
    KitObject::Destroy();
}

HDC Canvas::Handle() {
    if (OnNeedDC.proc) {
        HDC context = OnNeedDC.proc(OnNeedDC.data, this);
        if (context != m_context) {
            SetHandle(nullptr);
            if (context) Hold(context, true);
        }
    }
    return m_context;
}

void Canvas::SetHandle(HDC context) {
    if (context == m_context) return;
    if (m_context) {
        DeselectTools();
        if (!m_paintFlag) {
            if (m_contextFromOwner && m_owner.Window)
                ReleaseDC(m_owner.Window(m_owner.control), m_context);
            else if (m_contextFromOwner)
                ReleaseDC(nullptr, m_context);
            else
                DeleteDC(m_context);
        }
        m_context = nullptr;
        m_paintFlag = false;
        m_contextFromOwner = false;
        m_state &= static_cast<uint8_t>(~kHasContext);
    }
    if (context) Hold(context, false);
}

void Canvas::Hold(HDC context, bool fromOwner) {
    m_state |= kHasContext;
    m_context = context;
    m_contextFromOwner = fromOwner;
    MoveToEx(context, m_penPoint.x, m_penPoint.y, nullptr);
}

DrawTool* Canvas::Adopt(DrawTool* tool) {
    tool->OnChange = {OnToolChange, this};
    return tool;
}

void Canvas::OnToolChange(void* self, KitObject*) {
    static_cast<Canvas*>(self)->DeselectTools();
}

DrawTool* Canvas::Brush() {
    if (!m_brush) {
        DrawTool* brush = NewBrush();
        if (m_owner.BackColor) {
            DrawTool* ownerBrush = m_owner.Brush ? m_owner.Brush(m_owner.control) : nullptr;
            if (ownerBrush)
                AssignDrawTool(brush, ownerBrush);
            else
                brush->SetColor(m_owner.BackColor(m_owner.control));
        }
        DeselectTools();
        m_brush = Adopt(brush);
    }
    return m_brush;
}

DrawTool* Canvas::Pen() {
    if (!m_pen) {
        DeselectTools();
        m_pen = Adopt(NewPen());
    }
    return m_pen;
}

DrawTool* Canvas::Font() {
    if (!m_font) {
        DeselectTools();
        m_font = Adopt(NewFont());
    }
    return m_font;
}

void Canvas::DeselectTools() {
    if (!m_context || (m_state & kToolMarks) == 0) return;
    const StockObjects& stock = Stock();
    SelectObject(m_context, stock.pen);
    SelectObject(m_context, stock.brush);
    SelectObject(m_context, stock.font);
    m_state &= static_cast<uint8_t>(~kToolMarks);
}

bool Canvas::Require(uint8_t needs) {
    if (needs & kNotify) OnChange.Fire(this);
    if ((needs & kHandle) && !Handle()) return false;
    if (!m_context) return false;
    uint8_t missing = 0;
    if ((needs & kNeedFont) && !(m_state & kFontSelected)) missing |= kFontSelected;
    if ((needs & kNeedPen) && !(m_state & kPenSelected)) missing |= kPenSelected;
    if ((needs & kNeedBrush) && !(m_state & kBrushSelected)) missing |= kBrushSelected;
    if (missing & kFontSelected) SelectFont();
    if (missing & kPenSelected) {
        SelectPen();
        // A styled pen draws its gaps with the background colour and mode,
        // which the brush step sets.
        if (m_pen && IsStyledPen(m_pen->GetPenStyle()) && !(m_state & kBrushSelected))
            missing |= kBrushSelected;
    }
    if (missing & kBrushSelected) SelectBrush();
    m_state |= missing;
    return true;
}

void Canvas::SelectFont() {
    if (m_font) {
        SelectObject(m_context, m_font->Handle());
        SetTextColor(m_context, static_cast<COLORREF>(ResolveColor(m_font->GetColor())));
    } else if (m_owner.TextColor) {
        SetTextColor(m_context,
                     static_cast<COLORREF>(ResolveColor(m_owner.TextColor(m_owner.control))));
    }
}

void Canvas::SelectPen() {
    if (!m_pen) return;
    SelectObject(m_context, m_pen->Handle());
    SetROP2(m_context, m_pen->GetPenMode());
}

void Canvas::SelectBrush() {
    if (m_brush) {
        SelectObject(m_context, m_brush->Handle());
        const Color rgb = ResolveColor(m_brush->GetColor());
        if (m_brush->GetBrushStyle() == BrushStyle::Solid) {
            SetBkColor(m_context, static_cast<COLORREF>(rgb));
            SetBkMode(m_context, OPAQUE);
        } else {
            SetBkColor(m_context, static_cast<COLORREF>(~static_cast<uint32_t>(rgb)));
            SetBkMode(m_context, TRANSPARENT);
        }
    } else if (m_owner.BackColor) {
        SetBkColor(m_context,
                   static_cast<COLORREF>(ResolveColor(m_owner.BackColor(m_owner.control))));
        SetBkMode(m_context, OPAQUE);
    }
}

void Canvas::Arc(int32_t left, int32_t top, int32_t right, int32_t bottom, int32_t startX,
                 int32_t startY, int32_t endX, int32_t endY) {
    if (!Require(kNotify | kHandle | kNeedPen)) return;
    ::Arc(m_context, left, top, right, bottom, startX, startY, endX, endY);
}

void Canvas::Ellipse(int32_t left, int32_t top, int32_t right, int32_t bottom) {
    if (!Require(kNotify | kHandle | kNeedPen | kNeedBrush)) return;
    ::Ellipse(m_context, left, top, right, bottom);
}

void Canvas::FillRect(const Rect& rect) {
    if (!Require(kNotify | kHandle | kNeedBrush)) return;
    const RECT area = ToRect(rect);
    if (m_brush) {
        ::FillRect(m_context, &area, static_cast<HBRUSH>(m_brush->Handle()));
    } else if (m_owner.BackColor) {
        DrawTool* ownerBrush = m_owner.Brush ? m_owner.Brush(m_owner.control) : nullptr;
        if (ownerBrush) {
            ::FillRect(m_context, &area, static_cast<HBRUSH>(ownerBrush->Handle()));
        } else {
            HBRUSH brush = CreateSolidBrush(
                static_cast<COLORREF>(ResolveColor(m_owner.BackColor(m_owner.control))));
            ::FillRect(m_context, &area, brush);
            DeleteObject(brush);
        }
    } else {
        ::FillRect(m_context, &area, reinterpret_cast<HBRUSH>(uintptr_t{COLOR_WINDOW + 1}));
    }
}

void Canvas::InvertRect(const Rect& rect) {
    if (!Require(kNotify | kHandle)) return;
    const RECT area = ToRect(rect);
    ::InvertRect(m_context, &area);
}

void Canvas::CopyArea(const Rect& destRect, Canvas& source, const Rect& sourceRect) {
    if (!Require(kNotify | kHandle | kNeedBrush | kNeedFont)) return;
    if (!source.Require(kHandle | kNeedBrush)) return;
    StretchBlt(m_context, destRect.Left, destRect.Top, destRect.Right - destRect.Left,
               destRect.Bottom - destRect.Top, source.m_context, sourceRect.Left, sourceRect.Top,
               sourceRect.Right - sourceRect.Left, sourceRect.Bottom - sourceRect.Top, m_rasterOp);
}

void Canvas::MovePen(int32_t x, int32_t y) {
    m_penPoint = POINT{x, y};
    if (!Require(kHandle)) return;
    MoveToEx(m_context, x, y, nullptr);
}

Rect Canvas::ClipBounds() {
    if (!Require(kNotify | kHandle | kNeedBrush | kNeedFont)) return Rect{};
    RECT box{};
    GetClipBox(m_context, &box);
    return Rect{box.left, box.top, box.right, box.bottom};
}

} // namespace gleamkit::bitmap
