// Canvas: the kit's drawing surface over a device context, with a brush, pen
// and font made on first request. Each drawing call first fires OnChange, gets
// the context (asking OnNeedDC when set) and selects the tools it needs that
// are not selected yet; a canvas without a context draws nothing.
//
// A canvas belongs to a picture (PixelBitmap::Canvas makes it on a memory
// context) or to a window of the window kit, which describes itself through
// CanvasOwner and supplies the window's context through OnNeedDC. This module
// knows the window only as an opaque pointer.
#pragma once

#include <cstdint>

#include "base/color.h"
#include "base/event.h"
#include "base/kit_object.h"
#include "base/rect.h"
#include "platform/win32_types.h"

namespace gleamkit::bitmap {

class DrawTool;
class Canvas;

// What a window's canvas needs from the window that owns it. Every hook
// receives `control`. Installed by the window kit.
struct CanvasOwner {
    void* control = nullptr;
    // The window whose contexts OnNeedDC hands out (released with ReleaseDC).
    HWND (*Window)(void* control) = nullptr;
    // The window's colour: the background when the canvas has no brush, and
    // the colour of a brush made later for the canvas.
    Color (*BackColor)(void* control) = nullptr;
    // The window's text colour, used when the canvas has no font.
    Color (*TextColor)(void* control) = nullptr;
    // The window's own brush and font, or none.
    DrawTool* (*Brush)(void* control) = nullptr;
    DrawTool* (*Font)(void* control) = nullptr;
};

// Supplies the context each time a canvas's handle is asked for.
struct NeedDCHook {
    HDC (*proc)(void* data, Canvas* canvas) = nullptr;
    void* data = nullptr;
};

class Canvas : public KitObject {
public:
    // The held context; when OnNeedDC is set it is asked first and its answer
    // replaces the held one (see SetHandle).
    HDC Handle();
    // Replaces the held context. The old one is released (ReleaseDC on the
    // owner's window when OnNeedDC gave it, DeleteDC otherwise) unless it is
    // the owner's paint context; its tools are deselected first. The new one
    // gets the pen position. None just releases.
    void SetHandle(HDC context);
    // The context held now, without asking OnNeedDC.
    HDC HeldContext() const { return m_context; }
    // Marks the held context as the owner's paint context, which the canvas
    // must not release (the window kit ends the paint itself).
    void SetPaintFlag(bool painting) { m_paintFlag = painting; }

    // The tools, made on first request and owned by the canvas. A window's
    // canvas gets a brush of the window's colour and brush settings.
    DrawTool* Brush();
    DrawTool* Pen();
    DrawTool* Font();
    bool HasBrush() const { return m_brush != nullptr; }
    bool HasPen() const { return m_pen != nullptr; }
    bool HasFont() const { return m_font != nullptr; }

    // Drawing; right and bottom edges exclusive. Outlines use the pen, insides
    // the brush.
    void Arc(int32_t left, int32_t top, int32_t right, int32_t bottom, int32_t startX,
             int32_t startY, int32_t endX, int32_t endY);
    void Ellipse(int32_t left, int32_t top, int32_t right, int32_t bottom);
    void FillRect(const Rect& rect);
    // Inverts every bit of the pixels in `rect` (a negative of the area).
    void InvertRect(const Rect& rect);
    // Copies `sourceRect` of `source` scaled into `destRect` with RasterOp.
    void CopyArea(const Rect& destRect, Canvas& source, const Rect& sourceRect);
    void MovePen(int32_t x, int32_t y);
    // The area drawing can reach; an empty rectangle without a context.
    Rect ClipBounds();

    uint32_t RasterOp() const { return m_rasterOp; }
    void SetRasterOp(uint32_t rop) { m_rasterOp = rop; }
    POINT PenPoint() const { return m_penPoint; }
    void* Owner() const { return m_owner.control; }

    // Fired (sender = the canvas) before every drawing operation.
    Event<> OnChange;
    NeedDCHook OnNeedDC;

protected:
    void Destroy() override;

private:
    friend Canvas* NewCanvas(HDC context);
    friend Canvas* NewWindowCanvas(const CanvasOwner& owner);

    enum Need : uint8_t {
        kNotify = 1,
        kHandle = 2,
        kNeedPen = 4,
        kNeedBrush = 8,
        kNeedFont = 16,
    };
    enum State : uint8_t {
        kHasContext = 1,
        kPenSelected = 2,
        kBrushSelected = 4,
        kFontSelected = 8,
    };
    static constexpr uint8_t kToolMarks = kPenSelected | kBrushSelected | kFontSelected;

    // Runs the requirement step; false when there is no context to draw on.
    bool Require(uint8_t needs);
    void SelectFont();
    void SelectPen();
    void SelectBrush();
    void DeselectTools();
    void Hold(HDC context, bool fromOwner);
    DrawTool* Adopt(DrawTool* tool);
    static void OnToolChange(void* self, KitObject* sender);

    CanvasOwner m_owner;
    HDC m_context = nullptr;
    POINT m_penPoint{0, 0};
    DrawTool* m_brush = nullptr;
    DrawTool* m_font = nullptr;
    DrawTool* m_pen = nullptr;
    uint8_t m_state = 0;
    uint32_t m_rasterOp = 0x00CC0020; // SRCCOPY
    bool m_paintFlag = false;
    bool m_contextFromOwner = false;
};

// A canvas on `context` (or none), with RasterOp SRCCOPY. The canvas takes
// the context over and deletes it when it lets it go. The caller owns the
// canvas and releases it with Free.
Canvas* NewCanvas(HDC context);

// A canvas for a window: no context yet (the window kit sets OnNeedDC), copies
// of the window's font and brush when it has them.
Canvas* NewWindowCanvas(const CanvasOwner& owner);

} // namespace gleamkit::bitmap
