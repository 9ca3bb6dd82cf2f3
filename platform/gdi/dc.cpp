// Device contexts: memory contexts over a selected bitmap, surface contexts
// over a window's (or the screen's) pixels, object selection, drawing
// attributes, and the window manager's surfaces and GetDC/ReleaseDC hook.
#include <algorithm>
#include <cstring>

#include "platform/gdi/gdi_objects.h"
#include "platform/gdi/gdi_surface.h"

struct GdiSurface {
    std::shared_ptr<gdi::SurfaceBuffer> buffer;
};

namespace gdi {
namespace {

GdiWindowDCProvider& Provider() {
    static GdiWindowDCProvider provider = {nullptr, nullptr};
    return provider;
}

bool AllocateSurface(SurfaceBuffer& surface, int width, int height) {
    const size_t rowBytes = RowBytes(width, 32);
    if ((rowBytes == 0 && width != 0) ||
        static_cast<uint64_t>(rowBytes) * static_cast<uint64_t>(height) > (uint64_t{1} << 31)) {
        return false;
    }
    PixelMemory memory(rowBytes * static_cast<size_t>(height));
    if (memory.Failed()) return false;
    surface.width = width;
    surface.height = height;
    surface.rowBytes = rowBytes;
    surface.memory = std::move(memory);
    return true;
}

std::shared_ptr<SurfaceBuffer> Screen() {
    static std::shared_ptr<SurfaceBuffer> screen = [] {
        auto buffer = std::make_shared<SurfaceBuffer>();
        AllocateSurface(*buffer, kScreenWidth, kScreenHeight);
        return buffer;
    }();
    return screen;
}

std::unique_ptr<DeviceContext> MakeContext() {
    auto dc = std::make_unique<DeviceContext>();
    dc->pen = DefaultPen();
    dc->brush = DefaultBrush();
    dc->font = DefaultFont();
    ++FindPen(dc->pen)->selectCount;
    ++FindBrush(dc->brush)->selectCount;
    ++FindFont(dc->font)->selectCount;
    return dc;
}

HDC MakeSurfaceContext(std::shared_ptr<SurfaceBuffer> surface, int originX, int originY,
                       const Region* visible) {
    auto dc = MakeContext();
    dc->surface = std::move(surface);
    dc->originX = originX;
    dc->originY = originY;
    if (visible) dc->visible = *visible;
    return AddDC(std::move(dc));
}

} // namespace

bool ResolveTarget(HDC handle, DrawTarget& target) {
    DeviceContext* dc = FindDC(handle);
    if (!dc) return false;
    target.dc = dc;
    Region bounds;
    if (dc->memory) {
        Bitmap* bitmap = FindBitmap(dc->bitmap);
        if (!bitmap) return false;
        target.view = bitmap->View();
        target.offsetX = target.offsetY = 0;
        bounds = Region::FromRect(0, 0, bitmap->width, bitmap->height);
    } else {
        target.view = dc->surface->View();
        target.offsetX = dc->originX;
        target.offsetY = dc->originY;
        bounds = Region::FromRect(0, 0, dc->surface->width, dc->surface->height);
        if (dc->visible) bounds = Region::Combine(bounds, *dc->visible, Region::Op::And);
    }
    if (dc->clip) {
        Region clip = *dc->clip;
        clip.Offset(target.offsetX, target.offsetY);
        bounds = Region::Combine(bounds, clip, Region::Op::And);
    }
    target.clip = std::move(bounds);
    return true;
}

bool ResolveSource(HDC handle, PixelView& view, int& offsetX, int& offsetY, DeviceContext*& dc) {
    dc = FindDC(handle);
    if (!dc) return false;
    if (dc->memory) {
        Bitmap* bitmap = FindBitmap(dc->bitmap);
        if (!bitmap) return false;
        view = bitmap->View();
        offsetX = offsetY = 0;
    } else {
        view = dc->surface->View();
        offsetX = dc->originX;
        offsetY = dc->originY;
    }
    return true;
}

} // namespace gdi

using namespace gdi;

// ---------------------------------------------------------------------------
// Surfaces for the window manager

GdiSurface* GdiCreateSurface(int width, int height) {
    if (width < 0 || height < 0) return nullptr;
    auto buffer = std::make_shared<SurfaceBuffer>();
    if (!AllocateSurface(*buffer, width, height)) return nullptr;
    return new GdiSurface{std::move(buffer)};
}

void GdiDestroySurface(GdiSurface* surface) {
    delete surface;
}

BOOL GdiResizeSurface(GdiSurface* surface, int width, int height) {
    if (!surface || width < 0 || height < 0) return FALSE;
    SurfaceBuffer& old = *surface->buffer;
    SurfaceBuffer resized;
    if (!AllocateSurface(resized, width, height)) return FALSE;
    const int rows = std::min(old.height, height);
    const size_t bytes = static_cast<size_t>(std::min(old.width, width)) * 4;
    for (int y = 0; y < rows; ++y) {
        std::memcpy(resized.memory.Data() + resized.rowBytes * y,
                    old.memory.Data() + old.rowBytes * y, bytes);
    }
    old.width = resized.width;
    old.height = resized.height;
    old.rowBytes = resized.rowBytes;
    old.memory = std::move(resized.memory);
    return TRUE;
}

GdiSurfacePixels GdiGetSurfacePixels(const GdiSurface* surface) {
    if (!surface) return GdiSurfacePixels{nullptr, 0, 0, 0};
    const SurfaceBuffer& buffer = *surface->buffer;
    return GdiSurfacePixels{buffer.memory.Data(), buffer.width, buffer.height,
                            static_cast<int>(buffer.rowBytes)};
}

HDC GdiCreateSurfaceDC(GdiSurface* surface, int originX, int originY, HRGN visible) {
    if (!surface) return nullptr;
    const Region* region = nullptr;
    if (visible) {
        region = FindRegion(visible);
        if (!region) return nullptr;
    }
    return MakeSurfaceContext(surface->buffer, originX, originY, region);
}

BOOL GdiSetSurfaceDCArea(HDC handle, int originX, int originY, HRGN visible) {
    DeviceContext* dc = FindDC(handle);
    if (!dc || dc->memory) return FALSE;
    const Region* region = nullptr;
    if (visible) {
        region = FindRegion(visible);
        if (!region) return FALSE;
    }
    dc->originX = originX;
    dc->originY = originY;
    dc->visible.reset();
    if (region) dc->visible = *region;
    return TRUE;
}

void GdiSetWindowDCProvider(const GdiWindowDCProvider& provider) {
    Provider() = provider;
}

// ---------------------------------------------------------------------------
// Contexts

HDC GetDC(HWND window) {
    if (window) return Provider().getWindowDC ? Provider().getWindowDC(window) : nullptr;
    return MakeSurfaceContext(Screen(), 0, 0, nullptr);
}

int ReleaseDC(HWND window, HDC handle) {
    DeviceContext* dc = FindDC(handle);
    if (!dc || dc->memory) return 0;
    if (window && Provider().releaseWindowDC) Provider().releaseWindowDC(window, handle);
    return DeleteDC(handle) ? 1 : 0;
}

HDC CreateCompatibleDC(HDC handle) {
    if (handle && !FindDC(handle)) return nullptr;
    auto dc = MakeContext();
    dc->memory = true;
    dc->bitmap = DefaultBitmap();
    return AddDC(std::move(dc));
}

BOOL DeleteDC(HDC handle) {
    std::unique_ptr<DeviceContext> dc = RemoveDC(handle);
    if (!dc) return FALSE;
    if (Bitmap* bitmap = FindBitmap(dc->bitmap); bitmap && bitmap->selectedIn == handle) {
        bitmap->selectedIn = nullptr;
    }
    if (Pen* pen = FindPen(dc->pen)) --pen->selectCount;
    if (Brush* brush = FindBrush(dc->brush)) --brush->selectCount;
    if (Font* font = FindFont(dc->font)) --font->selectCount;
    return TRUE;
}

HGDIOBJ SelectObject(HDC handle, HGDIOBJ object) {
    DeviceContext* dc = FindDC(handle);
    if (!dc || !object) return nullptr;
    if (Bitmap* bitmap = FindBitmap(object)) {
        if (!dc->memory) return nullptr;
        if (!bitmap->stock && bitmap->selectedIn && bitmap->selectedIn != handle) return nullptr;
        HBITMAP old = dc->bitmap;
        if (Bitmap* previous = FindBitmap(old); previous && previous->selectedIn == handle) {
            previous->selectedIn = nullptr;
        }
        if (!bitmap->stock) bitmap->selectedIn = handle;
        dc->bitmap = static_cast<HBITMAP>(object);
        return old;
    }
    if (Pen* pen = FindPen(object)) {
        HGDIOBJ old = dc->pen;
        --FindPen(old)->selectCount;
        ++pen->selectCount;
        dc->pen = static_cast<HPEN>(object);
        return old;
    }
    if (Brush* brush = FindBrush(object)) {
        HGDIOBJ old = dc->brush;
        --FindBrush(old)->selectCount;
        ++brush->selectCount;
        dc->brush = static_cast<HBRUSH>(object);
        return old;
    }
    if (Font* font = FindFont(object)) {
        HGDIOBJ old = dc->font;
        --FindFont(old)->selectCount;
        ++font->selectCount;
        dc->font = static_cast<HFONT>(object);
        return old;
    }
    if (FindRegion(object)) {
        const int type = SelectClipRgn(handle, static_cast<HRGN>(object));
        return type == ERROR ? HGDI_ERROR : reinterpret_cast<HGDIOBJ>(static_cast<intptr_t>(type));
    }
    return nullptr;
}

HGDIOBJ GetCurrentObject(HDC handle, UINT type) {
    DeviceContext* dc = FindDC(handle);
    if (!dc) return nullptr;
    switch (type) {
    case OBJ_PEN:
        return dc->pen;
    case OBJ_BRUSH:
        return dc->brush;
    case OBJ_FONT:
        return dc->font;
    case OBJ_BITMAP:
        return dc->memory ? dc->bitmap : nullptr;
    default:
        return nullptr;
    }
}

int GetDeviceCaps(HDC handle, int index) {
    if (!FindDC(handle)) return 0;
    // Every context reports the screen, as the platform does for memory and
    // window contexts alike.
    switch (index) {
    case HORZRES:
        return kScreenWidth;
    case VERTRES:
        return kScreenHeight;
    case BITSPIXEL:
        return 32;
    case PLANES:
        return 1;
    case NUMCOLORS:
        return -1;
    case LOGPIXELSX:
    case LOGPIXELSY:
        return 96;
    default:
        return 0;
    }
}

// ---------------------------------------------------------------------------
// Attributes

namespace {

template <typename T, typename Valid>
T Exchange(HDC handle, T DeviceContext::*field, T value, T failure, Valid valid) {
    DeviceContext* dc = FindDC(handle);
    if (!dc || !valid(value)) return failure;
    const T old = dc->*field;
    dc->*field = value;
    return old;
}

template <typename T> T Read(HDC handle, T DeviceContext::*field, T failure) {
    DeviceContext* dc = FindDC(handle);
    return dc ? dc->*field : failure;
}

bool AnyColor(COLORREF) {
    return true;
}

} // namespace

COLORREF SetBkColor(HDC dc, COLORREF color) {
    return Exchange(dc, &DeviceContext::bkColor, color & 0xFFFFFF, CLR_INVALID, AnyColor);
}
COLORREF GetBkColor(HDC dc) {
    return Read(dc, &DeviceContext::bkColor, CLR_INVALID);
}
COLORREF SetTextColor(HDC dc, COLORREF color) {
    return Exchange(dc, &DeviceContext::textColor, color & 0xFFFFFF, CLR_INVALID, AnyColor);
}
COLORREF GetTextColor(HDC dc) {
    return Read(dc, &DeviceContext::textColor, CLR_INVALID);
}
int SetBkMode(HDC dc, int mode) {
    return Exchange(dc, &DeviceContext::bkMode, mode, 0,
                    [](int m) { return m == TRANSPARENT || m == OPAQUE; });
}
int GetBkMode(HDC dc) {
    return Read(dc, &DeviceContext::bkMode, 0);
}
int SetROP2(HDC dc, int mode) {
    return Exchange(dc, &DeviceContext::rop2, mode, 0,
                    [](int m) { return m >= R2_BLACK && m <= R2_WHITE; });
}
int GetROP2(HDC dc) {
    return Read(dc, &DeviceContext::rop2, 0);
}
int SetStretchBltMode(HDC dc, int mode) {
    return Exchange(dc, &DeviceContext::stretchMode, mode, 0,
                    [](int m) { return m >= BLACKONWHITE && m <= HALFTONE; });
}
int GetStretchBltMode(HDC dc) {
    return Read(dc, &DeviceContext::stretchMode, 0);
}

BOOL SetBrushOrgEx(HDC handle, int x, int y, LPPOINT old) {
    DeviceContext* dc = FindDC(handle);
    if (!dc) return FALSE;
    if (old) *old = dc->brushOrigin;
    dc->brushOrigin = POINT{x, y};
    return TRUE;
}

BOOL MoveToEx(HDC handle, int x, int y, LPPOINT old) {
    DeviceContext* dc = FindDC(handle);
    if (!dc) return FALSE;
    if (old) *old = dc->position;
    dc->position = POINT{x, y};
    return TRUE;
}
