// Drawing with one colour left out. The picture is turned into a 1-bit mask
// (white where it has the colour) once per colour; the draw then blacks out
// the target where the picture is opaque and merges in the picture with its
// transparent pixels made black, so they leave the target unchanged.
#include "bitmap/pixel_bitmap.h"

#include "platform/win32.h"

namespace gleamkit::bitmap {

void PixelBitmap::DrawKeyed(HDC target, int32_t x, int32_t y, Color transparent) {
    if (transparent == kColorNone) {
        Draw(target, x, y);
        return;
    }
    StretchDrawKeyed(target, Rect{x, y, x + m_width, y + m_height}, transparent);
}

void PixelBitmap::StretchDrawKeyed(HDC target, const Rect& rect, Color transparent) {
    if (transparent == kColorNone) {
        StretchDraw(target, rect);
        return;
    }
    if (!Handle()) return;
    const Color rgb = ResolveColor(transparent);
    if (!m_transparencyMask || m_maskColor != rgb) {
        m_maskColor = rgb;
        if (!m_transparencyMask) m_transparencyMask = NewPixelBitmap(0, 0);
        m_transparencyMask->Assign(this);
        m_transparencyMask->TurnIntoMask(rgb);
    }
    StretchDrawThroughMask(target, rect, m_transparencyMask->Handle());
}

void PixelBitmap::TurnIntoMask(Color color) {
    if (!Handle()) return;
    HBITMAP mono = CreateBitmap(m_width, m_height, 1, 1, nullptr);
    HDC work = CreateCompatibleDC(nullptr);
    HGDIOBJ workReplaced = SelectObject(work, mono);
    HGDIOBJ pictureReplaced = nullptr;
    HDC picture = OpenMemoryContext(&pictureReplaced);
    if (picture) {
        // Colour to monochrome: pixels equal to the source's background
        // colour become white, all others black.
        const COLORREF oldBack = SetBkColor(picture, static_cast<COLORREF>(ResolveColor(color)));
        BitBlt(work, 0, 0, m_width, m_height, picture, 0, 0, SRCCOPY);
        SetBkColor(picture, oldBack);
        CloseMemoryContext(picture, pictureReplaced);
    }
    SelectObject(work, workReplaced);
    DeleteDC(work);
    ReleaseData();
    m_handle = mono;
    m_storageKind = StorageKind::Ddb;
}

void PixelBitmap::StretchDrawThroughMask(HDC target, const Rect& rect, HBITMAP mask) {
    if (!Handle()) return;
    const int32_t width = m_width;
    const int32_t height = m_height;
    const int32_t targetWidth = rect.Right - rect.Left;
    const int32_t targetHeight = rect.Bottom - rect.Top;

    HDC maskContext = CreateCompatibleDC(nullptr);
    HGDIOBJ maskReplaced = SelectObject(maskContext, mask);
    HGDIOBJ pictureReplaced = nullptr;
    HDC picture = OpenMemoryContext(&pictureReplaced);
    if (!picture) {
        SelectObject(maskContext, maskReplaced);
        DeleteDC(maskContext);
        return;
    }
    HBITMAP workBitmap = CreateCompatibleBitmap(picture, width, height);
    HDC work = CreateCompatibleDC(nullptr);
    HGDIOBJ workReplaced = SelectObject(work, workBitmap);

    // The mask in colour (white where transparent), then the picture with its
    // transparent pixels turned black.
    StretchBlt(work, 0, 0, width, height, maskContext, 0, 0, width, height, SRCCOPY);
    StretchBlt(work, 0, 0, width, height, picture, 0, 0, width, height, SRCERASE);

    const COLORREF oldText = SetTextColor(target, 0);
    const COLORREF oldBack = SetBkColor(target, 0x00FFFFFF);
    StretchBlt(target, rect.Left, rect.Top, targetWidth, targetHeight, maskContext, 0, 0, width,
               height, SRCAND);
    StretchBlt(target, rect.Left, rect.Top, targetWidth, targetHeight, work, 0, 0, width, height,
               SRCINVERT);
    SetBkColor(target, oldBack);
    SetTextColor(target, oldText);

    SelectObject(work, workReplaced);
    DeleteDC(work);
    DeleteObject(workBitmap);
    CloseMemoryContext(picture, pictureReplaced);
    SelectObject(maskContext, maskReplaced);
    DeleteDC(maskContext);
}

} // namespace gleamkit::bitmap
