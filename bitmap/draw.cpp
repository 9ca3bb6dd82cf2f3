// Putting a picture onto a device context at natural size or scaled. A
// picture with a handle is copied from a memory context holding it; one with
// separate rows goes straight through StretchDIBits, so drawing it makes no
// platform bitmap unless the platform refuses the rows.
#include "bitmap/pixel_bitmap.h"

#include "bitmap/dib_header.h"
#include "platform/win32.h"

namespace gleamkit::bitmap {

void PixelBitmap::Draw(HDC target, int32_t x, int32_t y) {
    for (;;) {
        if (Empty()) return;
        if (m_handle) {
            BITMAP info{};
            const int32_t rows =
                GetObjectA(m_handle, sizeof(info), &info) ? info.bmHeight : m_height;
            HGDIOBJ replaced = nullptr;
            HDC source = OpenMemoryContext(&replaced);
            if (!source) return;
            BitBlt(target, x, y, m_width, rows, source, 0, 0, SRCCOPY);
            CloseMemoryContext(source, replaced);
            return;
        }
        if (!m_headerBlock) return;
        const int32_t height = dib::Height(m_headerBlock);
        const int32_t rows = height < 0 ? -height : height;
        if (StretchDIBits(target, x, y, m_width, rows, 0, 0, m_width, rows, m_rowMemory,
                          reinterpret_cast<const BITMAPINFO*>(m_headerBlock), DIB_RGB_COLORS,
                          SRCCOPY) != 0)
            return;
        // The platform refused the rows: go through a section instead.
        if (!Handle()) return;
    }
}

void PixelBitmap::StretchDraw(HDC target, const Rect& rect) {
    if (Empty()) return;
    const int32_t width = rect.Right - rect.Left;
    const int32_t height = rect.Bottom - rect.Top;
    if (!m_handle && m_headerBlock) {
        if (StretchDIBits(target, rect.Left, rect.Top, width, height, 0, 0, m_width, m_height,
                          m_rowMemory, reinterpret_cast<const BITMAPINFO*>(m_headerBlock),
                          DIB_RGB_COLORS, SRCCOPY) > 0)
            return;
        if (!Handle()) return;
    }
    if (!m_handle) return;
    HGDIOBJ replaced = nullptr;
    HDC source = OpenMemoryContext(&replaced);
    if (!source) return;
    StretchBlt(target, rect.Left, rect.Top, width, height, source, 0, 0, m_width, m_height,
               SRCCOPY);
    CloseMemoryContext(source, replaced);
}

} // namespace gleamkit::bitmap
