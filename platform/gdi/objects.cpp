// The object tables of the graphics layer, pixel memory, stock objects and
// the calls that make, inspect and delete pens, brushes, fonts and bitmaps.
#include <sys/mman.h>

#include <cstdlib>
#include <cstring>

#include "platform/gdi/dib_layout.h"
#include "platform/gdi/gdi_objects.h"
#include "platform/handle_table.h"

namespace gdi {
namespace {

constexpr size_t kHugePage = size_t{2} << 20;

struct Tables {
    HandleTable<Bitmap> bitmaps{HandleTag::Bitmap};
    HandleTable<Brush> brushes{HandleTag::Brush};
    HandleTable<Pen> pens{HandleTag::Pen};
    HandleTable<Font> fonts{HandleTag::Font};
    HandleTable<Region> regions{HandleTag::Region};
    HandleTable<DeviceContext> dcs{HandleTag::DeviceContext};
};

Tables& AllTables() {
    static Tables tables;
    return tables;
}

uintptr_t Value(const void* handle) {
    return reinterpret_cast<uintptr_t>(handle);
}
template <typename H> H AsHandle(uintptr_t value) {
    return reinterpret_cast<H>(value);
}

HBRUSH AddBrush(std::unique_ptr<Brush> brush) {
    return AsHandle<HBRUSH>(AllTables().brushes.Insert(std::move(brush)));
}
HPEN AddPen(std::unique_ptr<Pen> pen) {
    return AsHandle<HPEN>(AllTables().pens.Insert(std::move(pen)));
}
HFONT AddFont(std::unique_ptr<Font> font) {
    return AsHandle<HFONT>(AllTables().fonts.Insert(std::move(font)));
}

HBRUSH MakeStockBrush(UINT style, COLORREF color) {
    auto brush = std::make_unique<Brush>();
    brush->log = {style, color, 0};
    brush->stock = true;
    return AddBrush(std::move(brush));
}

HPEN MakeStockPen(UINT style, COLORREF color) {
    auto pen = std::make_unique<Pen>();
    pen->log = {style, {0, 0}, color};
    pen->stock = true;
    return AddPen(std::move(pen));
}

HFONT MakeStockFont(const char* face, LONG height, LONG weight, BYTE charSet, BYTE pitch) {
    auto font = std::make_unique<Font>();
    font->log.lfHeight = height;
    font->log.lfWeight = weight;
    font->log.lfCharSet = charSet;
    font->log.lfPitchAndFamily = pitch;
    std::strncpy(font->log.lfFaceName, face, LF_FACESIZE - 1);
    font->stock = true;
    return AddFont(std::move(font));
}

struct StockObjects {
    HGDIOBJ objects[20] = {};
    HBITMAP defaultBitmap = nullptr;
    StockObjects() {
        objects[WHITE_BRUSH] = MakeStockBrush(BS_SOLID, RGB(255, 255, 255));
        objects[LTGRAY_BRUSH] = MakeStockBrush(BS_SOLID, RGB(192, 192, 192));
        objects[GRAY_BRUSH] = MakeStockBrush(BS_SOLID, RGB(128, 128, 128));
        objects[DKGRAY_BRUSH] = MakeStockBrush(BS_SOLID, RGB(64, 64, 64));
        objects[BLACK_BRUSH] = MakeStockBrush(BS_SOLID, RGB(0, 0, 0));
        objects[NULL_BRUSH] = MakeStockBrush(BS_NULL, 0);
        objects[WHITE_PEN] = MakeStockPen(PS_SOLID, RGB(255, 255, 255));
        objects[BLACK_PEN] = MakeStockPen(PS_SOLID, RGB(0, 0, 0));
        objects[NULL_PEN] = MakeStockPen(PS_NULL, 0);
        objects[OEM_FIXED_FONT] =
            MakeStockFont("Terminal", 12, FW_NORMAL, OEM_CHARSET, FIXED_PITCH);
        objects[ANSI_FIXED_FONT] =
            MakeStockFont("Courier", 13, FW_NORMAL, ANSI_CHARSET, FIXED_PITCH);
        objects[ANSI_VAR_FONT] =
            MakeStockFont("MS Sans Serif", 13, FW_NORMAL, ANSI_CHARSET, VARIABLE_PITCH);
        objects[SYSTEM_FONT] = MakeStockFont("System", 16, FW_BOLD, ANSI_CHARSET, VARIABLE_PITCH);
        objects[DEVICE_DEFAULT_FONT] =
            MakeStockFont("System", 16, FW_BOLD, ANSI_CHARSET, VARIABLE_PITCH);
        objects[SYSTEM_FIXED_FONT] =
            MakeStockFont("Fixedsys", 15, FW_NORMAL, ANSI_CHARSET, FIXED_PITCH);
        objects[DEFAULT_GUI_FONT] =
            MakeStockFont("MS Shell Dlg", -11, FW_NORMAL, DEFAULT_CHARSET, VARIABLE_PITCH);
        objects[DC_BRUSH] = MakeStockBrush(BS_SOLID, RGB(255, 255, 255));
        objects[DC_PEN] = MakeStockPen(PS_SOLID, RGB(0, 0, 0));
        auto bitmap = MakeBitmap(1, 1, MakeMonochromeFormat());
        bitmap->stock = true;
        defaultBitmap = AddBitmap(std::move(bitmap));
    }
};

StockObjects& Stock() {
    static StockObjects stock;
    return stock;
}

int CopyRecord(const void* record, size_t recordSize, int size, LPVOID buffer) {
    if (!buffer) return static_cast<int>(recordSize);
    if (size <= 0) return 0;
    const size_t n =
        static_cast<size_t>(size) < recordSize ? static_cast<size_t>(size) : recordSize;
    std::memcpy(buffer, record, n);
    return static_cast<int>(n);
}

int GetBitmapObject(Bitmap& bitmap, int size, LPVOID buffer) {
    DIBSECTION ds = {};
    ds.dsBm.bmWidth = bitmap.width;
    ds.dsBm.bmHeight = bitmap.height;
    ds.dsBm.bmPlanes = 1;
    ds.dsBm.bmBitsPixel = static_cast<WORD>(bitmap.format.bitsPerPixel);
    if (bitmap.dibSection) {
        ds.dsBm.bmWidthBytes = static_cast<LONG>(bitmap.rowBytes);
        ds.dsBm.bmBits = bitmap.memory.Data();
        ds.dsBmih = bitmap.header;
        ds.dsBitfields[0] = bitmap.format.redMask;
        ds.dsBitfields[1] = bitmap.format.greenMask;
        ds.dsBitfields[2] = bitmap.format.blueMask;
        if (buffer && size >= static_cast<int>(sizeof(DIBSECTION))) {
            std::memcpy(buffer, &ds, sizeof ds);
            return sizeof(DIBSECTION);
        }
    } else {
        // Device bitmaps report word-aligned rows, as the platform always has.
        const int bits = bitmap.format.bitsPerPixel;
        ds.dsBm.bmWidthBytes =
            static_cast<LONG>(((static_cast<int64_t>(bitmap.width) * bits + 15) / 16) * 2);
    }
    return CopyRecord(&ds.dsBm, sizeof(BITMAP), size, buffer);
}

} // namespace

// ---------------------------------------------------------------------------
// Pixel memory

PixelMemory::PixelMemory(size_t size) : m_size(size) {
    if (size == 0) return;
    if (size >= kHugePage) {
        const size_t rounded = (size + kHugePage - 1) & ~(kHugePage - 1);
        const size_t mapped = rounded + kHugePage;
        void* p = mmap(nullptr, mapped, PROT_READ | PROT_WRITE, MAP_PRIVATE | MAP_ANONYMOUS, -1, 0);
        if (p == MAP_FAILED) return;
        // Keep only a 2 MiB-aligned block; fresh anonymous memory reads as zero.
        const uintptr_t start = reinterpret_cast<uintptr_t>(p);
        const uintptr_t aligned = (start + kHugePage - 1) & ~(uintptr_t{kHugePage} - 1);
        if (aligned > start) munmap(p, aligned - start);
        const uintptr_t end = start + mapped, alignedEnd = aligned + rounded;
        if (end > alignedEnd) munmap(reinterpret_cast<void*>(alignedEnd), end - alignedEnd);
        m_mapping = reinterpret_cast<void*>(aligned);
        m_mappedSize = rounded;
        madvise(m_mapping, rounded, MADV_HUGEPAGE);
        m_data = static_cast<BYTE*>(m_mapping);
        return;
    }
    m_data = static_cast<BYTE*>(std::calloc(size, 1));
}

PixelMemory::PixelMemory(PixelMemory&& other) noexcept
    : m_data(other.m_data), m_size(other.m_size), m_mappedSize(other.m_mappedSize),
      m_mapping(other.m_mapping) {
    other.m_data = nullptr;
    other.m_size = other.m_mappedSize = 0;
    other.m_mapping = nullptr;
}

PixelMemory& PixelMemory::operator=(PixelMemory&& other) noexcept {
    if (this != &other) {
        Release();
        std::swap(m_data, other.m_data);
        std::swap(m_size, other.m_size);
        std::swap(m_mappedSize, other.m_mappedSize);
        std::swap(m_mapping, other.m_mapping);
    }
    return *this;
}

PixelMemory::~PixelMemory() {
    Release();
}

void PixelMemory::Release() {
    if (m_mapping) {
        munmap(m_mapping, m_mappedSize);
    } else {
        std::free(m_data);
    }
    m_data = nullptr;
    m_mapping = nullptr;
    m_size = m_mappedSize = 0;
}

PixelView Bitmap::View() {
    PixelView view;
    view.width = width;
    view.height = height;
    view.format = &format;
    const ptrdiff_t stride = static_cast<ptrdiff_t>(rowBytes);
    view.top = memory.Data() + (bottomUp ? stride * (height - 1) : 0);
    view.stride = bottomUp ? -stride : stride;
    return view;
}

PixelView SurfaceBuffer::View() {
    PixelView view;
    view.width = width;
    view.height = height;
    view.format = &format;
    view.top = memory.Data();
    view.stride = static_cast<ptrdiff_t>(rowBytes);
    return view;
}

// ---------------------------------------------------------------------------
// Tables

Bitmap* FindBitmap(HGDIOBJ handle) {
    return AllTables().bitmaps.Find(Value(handle));
}
Brush* FindBrush(HGDIOBJ handle) {
    return AllTables().brushes.Find(Value(handle));
}
Pen* FindPen(HGDIOBJ handle) {
    return AllTables().pens.Find(Value(handle));
}
Font* FindFont(HGDIOBJ handle) {
    return AllTables().fonts.Find(Value(handle));
}
Region* FindRegion(HGDIOBJ handle) {
    return AllTables().regions.Find(Value(handle));
}
DeviceContext* FindDC(HDC handle) {
    return AllTables().dcs.Find(Value(handle));
}

HBITMAP AddBitmap(std::unique_ptr<Bitmap> bitmap) {
    return AsHandle<HBITMAP>(AllTables().bitmaps.Insert(std::move(bitmap)));
}
HRGN AddRegion(Region region) {
    return AsHandle<HRGN>(AllTables().regions.Insert(std::make_unique<Region>(std::move(region))));
}
HDC AddDC(std::unique_ptr<DeviceContext> dc) {
    return AsHandle<HDC>(AllTables().dcs.Insert(std::move(dc)));
}
std::unique_ptr<DeviceContext> RemoveDC(HDC handle) {
    return AllTables().dcs.Remove(Value(handle));
}

std::unique_ptr<Bitmap> MakeBitmap(int width, int height, const PixelFormat& format) {
    if (width <= 0 || height <= 0) return nullptr;
    const size_t rowBytes = RowBytes(width, format.bitsPerPixel);
    if (rowBytes == 0 ||
        static_cast<uint64_t>(rowBytes) * static_cast<uint64_t>(height) > (uint64_t{1} << 31)) {
        return nullptr;
    }
    auto bitmap = std::make_unique<Bitmap>();
    bitmap->width = width;
    bitmap->height = height;
    bitmap->format = format;
    bitmap->rowBytes = rowBytes;
    bitmap->memory = PixelMemory(rowBytes * static_cast<size_t>(height));
    if (bitmap->memory.Failed()) return nullptr;
    return bitmap;
}

HBITMAP DefaultBitmap() {
    return Stock().defaultBitmap;
}
HPEN DefaultPen() {
    return static_cast<HPEN>(Stock().objects[BLACK_PEN]);
}
HBRUSH DefaultBrush() {
    return static_cast<HBRUSH>(Stock().objects[WHITE_BRUSH]);
}
HFONT DefaultFont() {
    return static_cast<HFONT>(Stock().objects[SYSTEM_FONT]);
}

} // namespace gdi

using namespace gdi;

// ---------------------------------------------------------------------------
// Stock objects, inspection, deletion

HGDIOBJ GetStockObject(int index) {
    if (index < 0 || index >= 20) return nullptr;
    return Stock().objects[index];
}

DWORD GetObjectType(HGDIOBJ object) {
    if (FindPen(object)) return OBJ_PEN;
    if (FindBrush(object)) return OBJ_BRUSH;
    if (FindFont(object)) return OBJ_FONT;
    if (FindBitmap(object)) return OBJ_BITMAP;
    if (FindRegion(object)) return OBJ_REGION;
    if (DeviceContext* dc = FindDC(static_cast<HDC>(object)))
        return dc->memory ? OBJ_MEMDC : OBJ_DC;
    return 0;
}

int GetObjectA(HANDLE object, int size, LPVOID buffer) {
    if (Bitmap* bitmap = FindBitmap(object)) return GetBitmapObject(*bitmap, size, buffer);
    if (Pen* pen = FindPen(object)) return CopyRecord(&pen->log, sizeof(LOGPEN), size, buffer);
    if (Brush* brush = FindBrush(object)) {
        return CopyRecord(&brush->log, sizeof(LOGBRUSH), size, buffer);
    }
    if (Font* font = FindFont(object))
        return CopyRecord(&font->log, sizeof(LOGFONTA), size, buffer);
    return 0;
}

BOOL DeleteObject(HGDIOBJ object) {
    Tables& tables = AllTables();
    const uintptr_t value = Value(object);
    if (Bitmap* bitmap = tables.bitmaps.Find(value)) {
        if (bitmap->stock) return TRUE;
        if (bitmap->selectedIn) return FALSE;
        tables.bitmaps.Remove(value);
        return TRUE;
    }
    if (Brush* brush = tables.brushes.Find(value)) {
        if (brush->stock) return TRUE;
        if (brush->selectCount > 0) return FALSE;
        tables.brushes.Remove(value);
        return TRUE;
    }
    if (Pen* pen = tables.pens.Find(value)) {
        if (pen->stock) return TRUE;
        if (pen->selectCount > 0) return FALSE;
        tables.pens.Remove(value);
        return TRUE;
    }
    if (Font* font = tables.fonts.Find(value)) {
        if (font->stock) return TRUE;
        if (font->selectCount > 0) return FALSE;
        tables.fonts.Remove(value);
        return TRUE;
    }
    return tables.regions.Remove(value) ? TRUE : FALSE;
}

// ---------------------------------------------------------------------------
// Pens, brushes, fonts

HBRUSH CreateSolidBrush(COLORREF color) {
    const LOGBRUSH log = {BS_SOLID, color & 0xFFFFFF, 0};
    return CreateBrushIndirect(&log);
}

HBRUSH CreateBrushIndirect(const LOGBRUSH* log) {
    if (!log) return nullptr;
    auto brush = std::make_unique<Brush>();
    brush->log = *log;
    switch (log->lbStyle) {
    case BS_SOLID:
        brush->log.lbColor &= 0xFFFFFF;
        break;
    case BS_NULL:
        break;
    case BS_PATTERN: {
        Bitmap* pattern = FindBitmap(reinterpret_cast<HGDIOBJ>(log->lbHatch));
        if (!pattern) return nullptr;
        // The brush keeps its own copy: the bitmap may be deleted afterwards.
        brush->patternWidth = pattern->width;
        brush->patternHeight = pattern->height;
        brush->patternMonochrome = pattern->format.monochrome;
        brush->pattern.resize(static_cast<size_t>(pattern->width) * pattern->height);
        const PixelView view = pattern->View();
        ColorCodec codec(pattern->format);
        for (int y = 0; y < view.height; ++y) {
            uint32_t* out = brush->pattern.data() + static_cast<size_t>(y) * view.width;
            if (brush->patternMonochrome) {
                ReadValues(pattern->format, view.Row(y), 0, view.width, out);
            } else {
                codec.DecodeRow(view.Row(y), 0, view.width, out);
            }
        }
        break;
    }
    default:
        return nullptr;
    }
    return AddBrush(std::move(brush));
}

HBRUSH CreatePatternBrush(HBITMAP bitmap) {
    const LOGBRUSH log = {BS_PATTERN, 0, reinterpret_cast<ULONG_PTR>(bitmap)};
    return CreateBrushIndirect(&log);
}

HPEN CreatePen(int style, int width, COLORREF color) {
    const LOGPEN log = {static_cast<UINT>(style), {width, 0}, color};
    return CreatePenIndirect(&log);
}

HPEN CreatePenIndirect(const LOGPEN* log) {
    if (!log) return nullptr;
    const UINT style = log->lopnStyle & PS_STYLE_MASK;
    if (style > static_cast<UINT>(PS_INSIDEFRAME)) return nullptr;
    auto pen = std::make_unique<Pen>();
    pen->log = *log;
    pen->log.lopnStyle = style;
    pen->log.lopnColor &= 0xFFFFFF;
    if (pen->log.lopnWidth.x < 0) pen->log.lopnWidth.x = 0;
    return AddPen(std::move(pen));
}

HFONT CreateFontIndirectA(const LOGFONTA* log) {
    if (!log) return nullptr;
    auto font = std::make_unique<Font>();
    font->log = *log;
    font->log.lfFaceName[LF_FACESIZE - 1] = '\0';
    return AddFont(std::move(font));
}
