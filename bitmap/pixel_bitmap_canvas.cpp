// The link between a picture and its canvas: the canvas holds a memory
// context into which the picture's handle is selected on request; the detach
// hook selects it out again before any change of storage, and the canvas's
// change event keeps BackColor and the transparency mask in step with drawing.
#include "bitmap/canvas.h"
#include "bitmap/draw_tool.h"
#include "bitmap/pixel_bitmap.h"
#include "platform/win32.h"

namespace gleamkit::bitmap {

Canvas* PixelBitmap::Canvas() {
    if (Empty()) return nullptr;
    HBITMAP handle = Handle();
    if (!handle) return nullptr;
    if (!m_canvas) {
        m_canvas = NewCanvas(CreateCompatibleDC(nullptr));
        m_canvas->OnChange = {OnCanvasChange, this};
        m_canvas->Brush()->SetColor(m_backColor);
    }
    if (!m_canvas->Handle()) {
        // The canvas let its context go: whatever was selected went with it.
        m_savedSelection = nullptr;
        m_canvas->SetHandle(CreateCompatibleDC(nullptr));
    }
    if (!m_savedSelection) m_savedSelection = SelectObject(m_canvas->Handle(), handle);
    m_detachHookSet = true;
    return m_canvas;
}

void PixelBitmap::RunDetachHook() {
    if (!m_detachHookSet || !m_savedSelection) return;
    if (m_canvas && m_canvas->HeldContext())
        SelectObject(m_canvas->HeldContext(), m_savedSelection);
    m_savedSelection = nullptr;
}

void PixelBitmap::ReleaseCanvas() {
    RunDetachHook();
    m_detachHookSet = false;
    FreeAndNull(m_canvas);
}

void PixelBitmap::OnCanvasChange(void* self, KitObject* sender) {
    auto* bitmap = static_cast<PixelBitmap*>(self);
    auto* canvas = static_cast<bitmap::Canvas*>(sender);
    if (canvas->HasBrush()) bitmap->m_backColor = canvas->Brush()->GetColor();
    bitmap->DropMask();
}

} // namespace gleamkit::bitmap
