// Device-independent bitmaps: reading a BITMAPINFO, DIB sections, and the
// conversions of GetDIBits and SetDIBits between a bitmap and DIB memory in
// any layout. The DIB's top row meets the bitmap's top row; the narrower of
// the two widths is converted.
#include <algorithm>
#include <bit>
#include <climits>
#include <cstring>

#include "platform/gdi/dib_layout.h"
#include "platform/gdi/gdi_objects.h"

namespace gdi {
namespace {

bool ValidMask(uint32_t mask, int bitsPerPixel) {
    if (mask == 0) return true;
    if (bitsPerPixel == 16 && (mask >> 16) != 0) return false;
    const uint32_t shifted = mask >> std::countr_zero(mask);
    return (shifted & (shifted + 1)) == 0; // one run of ones
}

bool ReadMasks(const BITMAPINFO* info, PixelFormat& format) {
    uint32_t masks[3];
    if (info->bmiHeader.biSize >= 52) {
        std::memcpy(masks, reinterpret_cast<const BYTE*>(info) + 40, sizeof masks);
    } else {
        std::memcpy(masks, ColorTableOf(info), sizeof masks);
    }
    for (uint32_t mask : masks) {
        if (!ValidMask(mask, format.bitsPerPixel)) return false;
    }
    if ((masks[0] & masks[1]) || (masks[0] & masks[2]) || (masks[1] & masks[2])) return false;
    format.redMask = masks[0];
    format.greenMask = masks[1];
    format.blueMask = masks[2];
    return true;
}

bool IsDibBitCount(int bits) {
    return bits == 1 || bits == 4 || bits == 8 || bits == 16 || bits == 24 || bits == 32;
}

// The scan lines [first, end) of a transfer, clipped to both pictures.
struct ScanRange {
    int first = 0;
    int end = 0;
};

ScanRange ClipScans(UINT start, UINT lines, int dibHeight, const DibLayout& layout,
                    int bitmapHeight) {
    ScanRange range;
    const int64_t first = start;
    const int64_t end = std::min<int64_t>(first + lines, dibHeight);
    if (first >= end) return range;
    range.first = static_cast<int>(first);
    range.end = static_cast<int>(end);
    // Scans whose picture row lies below the bitmap are left out.
    if (layout.bottomUp) {
        // Scan s is picture row height-1-s; rows >= bitmapHeight are the low scans.
        const int lowest = std::max(0, layout.height - bitmapHeight);
        range.first = std::max(range.first, lowest);
    } else {
        range.end = std::min(range.end, bitmapHeight);
    }
    if (range.first > range.end) range.first = range.end;
    return range;
}

int PictureRowOfScan(const DibLayout& layout, int scan) {
    return layout.bottomUp ? layout.height - 1 - scan : scan;
}

void FillInfoFromBitmap(const Bitmap& bitmap, BITMAPINFOHEADER& header) {
    header.biWidth = bitmap.width;
    header.biHeight = bitmap.height;
    header.biPlanes = 1;
    header.biBitCount = static_cast<WORD>(bitmap.format.bitsPerPixel);
    header.biCompression = bitmap.dibSection ? bitmap.header.biCompression : BI_RGB;
    header.biSizeImage = static_cast<DWORD>(RowBytes(bitmap.width, bitmap.format.bitsPerPixel) *
                                            static_cast<size_t>(bitmap.height));
    header.biXPelsPerMeter = header.biYPelsPerMeter = 0;
    header.biClrUsed = header.biClrImportant = 0;
}

void WriteColorTable(BITMAPINFO* info, const PixelFormat& format) {
    const int entries = 1 << format.bitsPerPixel;
    RGBQUAD* table = ColorTableOf(info);
    for (int i = 0; i < entries; ++i) {
        const Bgrx c = format.colors[i];
        table[i] =
            RGBQUAD{static_cast<BYTE>(c), static_cast<BYTE>(c >> 8), static_cast<BYTE>(c >> 16), 0};
    }
    info->bmiHeader.biClrUsed = 0;
}

} // namespace

RGBQUAD* ColorTableOf(BITMAPINFO* info) {
    return reinterpret_cast<RGBQUAD*>(reinterpret_cast<BYTE*>(info) + info->bmiHeader.biSize);
}

const RGBQUAD* ColorTableOf(const BITMAPINFO* info) {
    return reinterpret_cast<const RGBQUAD*>(reinterpret_cast<const BYTE*>(info) +
                                            info->bmiHeader.biSize);
}

bool ParseDibInfo(const BITMAPINFO* info, UINT usage, DibLayout& layout, bool readColors) {
    if (!info || usage != DIB_RGB_COLORS) return false;
    const BITMAPINFOHEADER& h = info->bmiHeader;
    if (h.biSize < 40 || h.biSize > 4096) return false;
    if (h.biWidth <= 0 || h.biHeight == 0 || h.biHeight == INT_MIN) return false;
    if (!IsDibBitCount(h.biBitCount)) return false;
    PixelFormat format;
    format.bitsPerPixel = h.biBitCount;
    if (h.biCompression == BI_BITFIELDS) {
        if (h.biBitCount != 16 && h.biBitCount != 32) return false;
        if (!ReadMasks(info, format)) return false;
    } else if (h.biCompression != BI_RGB) {
        return false;
    } else if (h.biBitCount <= 8) {
        format.redMask = format.greenMask = format.blueMask = 0;
        const int entries = 1 << h.biBitCount;
        format.colorCount = (h.biClrUsed == 0 || h.biClrUsed > static_cast<DWORD>(entries))
                                ? entries
                                : static_cast<int>(h.biClrUsed);
        if (readColors) {
            const RGBQUAD* table = ColorTableOf(info);
            for (int i = 0; i < format.colorCount; ++i) {
                format.colors[i] = MakeBgrx(table[i].rgbRed, table[i].rgbGreen, table[i].rgbBlue);
            }
        }
    } else if (h.biBitCount == 16) {
        format = MakeRgbFormat(16);
    }
    layout.width = h.biWidth;
    layout.bottomUp = h.biHeight > 0;
    layout.height = h.biHeight > 0 ? h.biHeight : -h.biHeight;
    layout.rowBytes = RowBytes(layout.width, format.bitsPerPixel);
    if (layout.rowBytes == 0) return false;
    if (static_cast<uint64_t>(layout.rowBytes) * static_cast<uint64_t>(layout.height) >
        (uint64_t{1} << 31)) {
        return false;
    }
    layout.format = format;
    return true;
}

} // namespace gdi

using namespace gdi;

HBITMAP CreateDIBSection(HDC dc, const BITMAPINFO* info, UINT usage, void** bits, HANDLE section,
                         DWORD) {
    if (bits) *bits = nullptr;
    if (dc && !FindDC(dc)) return nullptr;
    DibLayout layout;
    if (section || !ParseDibInfo(info, usage, layout)) return nullptr;
    std::unique_ptr<Bitmap> bitmap = MakeBitmap(layout.width, layout.height, layout.format);
    if (!bitmap) return nullptr;
    bitmap->dibSection = true;
    bitmap->bottomUp = layout.bottomUp;
    bitmap->header = info->bmiHeader;
    bitmap->header.biSize = sizeof(BITMAPINFOHEADER);
    if (bits) *bits = bitmap->memory.Data();
    return AddBitmap(std::move(bitmap));
}

int GetDIBits(HDC dc, HBITMAP handle, UINT start, UINT lines, LPVOID bits, BITMAPINFO* info,
              UINT usage) {
    Bitmap* bitmap = FindBitmap(handle);
    if (!FindDC(dc) || !bitmap || !info || usage != DIB_RGB_COLORS) return 0;
    BITMAPINFOHEADER& header = info->bmiHeader;
    if (header.biSize < sizeof(BITMAPINFOHEADER)) return 0;
    if (!bits && header.biBitCount == 0) {
        FillInfoFromBitmap(*bitmap, header);
        return bitmap->height;
    }
    DibLayout layout;
    if (!ParseDibInfo(info, usage, layout, false)) return 0;
    if (layout.format.bitsPerPixel <= 8) {
        layout.format = MakeFixedPaletteFormat(layout.format.bitsPerPixel);
        WriteColorTable(info, layout.format);
    }
    header.biSizeImage = static_cast<DWORD>(layout.ImageBytes());
    if (!bits) return bitmap->height;

    const ScanRange range = ClipScans(start, lines, layout.height, layout, bitmap->height);
    const PixelView view = bitmap->View();
    const int columns = std::min(layout.width, bitmap->width);
    RowConverter converter(bitmap->format, layout.format);
    BYTE* out = static_cast<BYTE*>(bits);
    for (int scan = range.first; scan < range.end; ++scan) {
        const int row = PictureRowOfScan(layout, scan);
        converter.Convert(view.Row(row), out + layout.rowBytes * static_cast<size_t>(scan - start),
                          columns);
    }
    return range.end - range.first;
}

int SetDIBits(HDC dc, HBITMAP handle, UINT start, UINT lines, const void* bits,
              const BITMAPINFO* info, UINT usage) {
    Bitmap* bitmap = FindBitmap(handle);
    if ((dc && !FindDC(dc)) || !bitmap || !bits) return 0;
    DibLayout layout;
    if (!ParseDibInfo(info, usage, layout)) return 0;
    const ScanRange range = ClipScans(start, lines, layout.height, layout, bitmap->height);
    const PixelView view = bitmap->View();
    const int columns = std::min(layout.width, bitmap->width);
    RowConverter converter(layout.format, bitmap->format);
    const BYTE* in = static_cast<const BYTE*>(bits);
    for (int scan = range.first; scan < range.end; ++scan) {
        const int row = PictureRowOfScan(layout, scan);
        converter.Convert(in + layout.rowBytes * static_cast<size_t>(scan - start), view.Row(row),
                          columns);
    }
    return range.end - range.first;
}
