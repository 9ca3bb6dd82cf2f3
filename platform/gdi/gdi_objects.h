// The graphics layer's objects behind their handles: bitmaps, brushes, pens,
// fonts, regions, surfaces and device contexts, the tables that hold them and
// the drawing target a context resolves to. Internal to platform/gdi.
#pragma once

#include <cstddef>
#include <memory>
#include <optional>
#include <vector>

#include "platform/gdi/gdi.h"
#include "platform/gdi/pixel_format.h"
#include "platform/gdi/region.h"

namespace gdi {

// Zero-filled pixel memory. Blocks of 2 MiB and more are 2 MiB-aligned and
// asked for huge pages: first touch of fresh small pages is slow here.
class PixelMemory {
public:
    PixelMemory() = default;
    explicit PixelMemory(size_t size);
    PixelMemory(PixelMemory&& other) noexcept;
    PixelMemory& operator=(PixelMemory&& other) noexcept;
    PixelMemory(const PixelMemory&) = delete;
    PixelMemory& operator=(const PixelMemory&) = delete;
    ~PixelMemory();

    BYTE* Data() const { return m_data; }
    size_t Size() const { return m_size; }
    bool Failed() const { return m_size != 0 && m_data == nullptr; }

private:
    void Release();
    BYTE* m_data = nullptr;
    size_t m_size = 0;
    size_t m_mappedSize = 0; // non-zero when m_data came from mmap
    void* m_mapping = nullptr;
};

// Rows of pixels seen top row first: Row(y) for 0 <= y < height.
struct PixelView {
    BYTE* top = nullptr;
    ptrdiff_t stride = 0;
    int width = 0;
    int height = 0;
    const PixelFormat* format = nullptr;
    BYTE* Row(int y) const { return top + stride * y; }
};

struct Bitmap {
    int width = 0;
    int height = 0;
    PixelFormat format;
    bool dibSection = false;
    bool bottomUp = false; // DIB sections only; device bitmaps are kept top-down
    size_t rowBytes = 0;
    PixelMemory memory;
    BITMAPINFOHEADER header = {}; // DIB sections: the header they were made from
    bool stock = false;
    HDC selectedIn = nullptr;

    PixelView View();
};

struct Brush {
    LOGBRUSH log = {};
    bool stock = false;
    int selectCount = 0;
    // BS_PATTERN: the pattern's pixels, top row first. A monochrome pattern
    // keeps 0/1 values and draws them in the text/background colours.
    int patternWidth = 0;
    int patternHeight = 0;
    bool patternMonochrome = false;
    std::vector<uint32_t> pattern;
};

struct Pen {
    LOGPEN log = {};
    bool stock = false;
    int selectCount = 0;
};

struct Font {
    LOGFONTA log = {};
    bool stock = false;
    int selectCount = 0;
};

// Pixels of a top-level window (or of the screen): 32-bit BGRX, top-down.
struct SurfaceBuffer {
    int width = 0;
    int height = 0;
    size_t rowBytes = 0;
    PixelMemory memory;
    PixelFormat format = MakeRgbFormat(32);
    PixelView View();
};

struct DeviceContext {
    bool memory = false; // a memory context; otherwise it draws on a surface
    HBITMAP bitmap = nullptr;
    std::shared_ptr<SurfaceBuffer> surface;
    int originX = 0; // context (0, 0) in surface coordinates
    int originY = 0;
    std::optional<Region> visible; // surface coordinates; none = whole surface
    std::optional<Region> clip;    // context coordinates; none = no clip region
    HPEN pen = nullptr;
    HBRUSH brush = nullptr;
    HFONT font = nullptr;
    COLORREF textColor = RGB(0, 0, 0);
    COLORREF bkColor = RGB(255, 255, 255);
    int bkMode = OPAQUE;
    int rop2 = R2_COPYPEN;
    int stretchMode = BLACKONWHITE;
    POINT brushOrigin = {0, 0};
    POINT position = {0, 0};
};

// Where a context's drawing lands: pixels, the shift from context to pixel
// coordinates, and the clip in pixel coordinates (never outside the pixels).
struct DrawTarget {
    PixelView view;
    int offsetX = 0;
    int offsetY = 0;
    Region clip;
    DeviceContext* dc = nullptr;
};

// Lookups: nullptr for a stale, wrong-typed or NULL handle.
Bitmap* FindBitmap(HGDIOBJ handle);
Brush* FindBrush(HGDIOBJ handle);
Pen* FindPen(HGDIOBJ handle);
Font* FindFont(HGDIOBJ handle);
Region* FindRegion(HGDIOBJ handle);
DeviceContext* FindDC(HDC handle);

HBITMAP AddBitmap(std::unique_ptr<Bitmap> bitmap);
HRGN AddRegion(Region region);
HDC AddDC(std::unique_ptr<DeviceContext> dc);
std::unique_ptr<DeviceContext> RemoveDC(HDC handle);

// A bitmap of the given format with zeroed pixels; nullptr when the size is
// not positive, too large or the memory cannot be had.
std::unique_ptr<Bitmap> MakeBitmap(int width, int height, const PixelFormat& format);
// The 1x1 monochrome bitmap every memory context starts with.
HBITMAP DefaultBitmap();
HPEN DefaultPen();
HBRUSH DefaultBrush();
HFONT DefaultFont();

// Resolves a context for drawing. False for a bad handle or a context without
// pixels (a memory context's default bitmap still counts: 1x1).
bool ResolveTarget(HDC handle, DrawTarget& target);
// The pixels a context reads as a blit source, with the offset to apply.
bool ResolveSource(HDC handle, PixelView& view, int& offsetX, int& offsetY, DeviceContext*& dc);

} // namespace gdi
