// Small builders shared by the graphics tests: BITMAPINFO blocks with room
// for a full colour table, and memory contexts with a bitmap selected.
#pragma once

#include <cstring>
#include <vector>

#include "platform/win32.h"

namespace gdi_test {

// A BITMAPINFO with a 256-entry colour table (or three masks) behind it.
class DibInfo {
public:
    DibInfo(int width, int height, int bitCount, DWORD compression = BI_RGB)
        : m_block(sizeof(BITMAPINFOHEADER) + 256 * sizeof(RGBQUAD), 0) {
        BITMAPINFOHEADER& h = Info()->bmiHeader;
        h.biSize = sizeof(BITMAPINFOHEADER);
        h.biWidth = width;
        h.biHeight = height;
        h.biPlanes = 1;
        h.biBitCount = static_cast<WORD>(bitCount);
        h.biCompression = compression;
    }
    BITMAPINFO* Info() { return reinterpret_cast<BITMAPINFO*>(m_block.data()); }
    RGBQUAD* Colors() {
        return reinterpret_cast<RGBQUAD*>(m_block.data() + sizeof(BITMAPINFOHEADER));
    }
    void SetMasks(DWORD red, DWORD green, DWORD blue) {
        const DWORD masks[3] = {red, green, blue};
        std::memcpy(Colors(), masks, sizeof masks);
    }
    size_t RowBytes() const {
        const auto& h = reinterpret_cast<const BITMAPINFO*>(m_block.data())->bmiHeader;
        return ((static_cast<size_t>(h.biWidth) * h.biBitCount + 31) / 32) * 4;
    }
    size_t ImageBytes() const {
        const auto& h = reinterpret_cast<const BITMAPINFO*>(m_block.data())->bmiHeader;
        return RowBytes() * static_cast<size_t>(h.biHeight < 0 ? -h.biHeight : h.biHeight);
    }

private:
    std::vector<BYTE> m_block;
};

// A memory context holding `bitmap`; restores and deletes on destruction.
class MemoryDC {
public:
    explicit MemoryDC(HBITMAP bitmap) : m_dc(CreateCompatibleDC(nullptr)) {
        m_old = SelectObject(m_dc, bitmap);
    }
    ~MemoryDC() {
        SelectObject(m_dc, m_old);
        DeleteDC(m_dc);
    }
    MemoryDC(const MemoryDC&) = delete;
    MemoryDC& operator=(const MemoryDC&) = delete;
    operator HDC() const { return m_dc; }

private:
    HDC m_dc;
    HGDIOBJ m_old;
};

// A 32-bit device bitmap of the screen's format.
inline HBITMAP MakeColorBitmap(int width, int height) {
    HDC screen = GetDC(nullptr);
    HBITMAP bitmap = CreateCompatibleBitmap(screen, width, height);
    ReleaseDC(nullptr, screen);
    return bitmap;
}

} // namespace gdi_test
