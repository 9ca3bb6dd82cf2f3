// Making and copying bitmaps: monochrome and 32-bit device bitmaps, bitmaps
// compatible with a context (the format of what it holds), and CopyImage.
#include <cstring>

#include "platform/gdi/gdi_objects.h"
#include "platform/gdi/gdi_surface.h"
#include "platform/gdi/raster.h"

using namespace gdi;

namespace {

GdiIconCopier& IconCopier() {
    static GdiIconCopier copier = nullptr;
    return copier;
}

// A DIB section of the same layout as `format`, bottom-up like a new DIB.
std::unique_ptr<Bitmap> MakeDibSection(int width, int height, const PixelFormat& format,
                                       DWORD compression) {
    std::unique_ptr<Bitmap> bitmap = MakeBitmap(width, height, format);
    if (!bitmap) return nullptr;
    bitmap->format.monochrome = false;
    bitmap->dibSection = true;
    bitmap->bottomUp = true;
    BITMAPINFOHEADER& h = bitmap->header;
    h.biSize = sizeof(BITMAPINFOHEADER);
    h.biWidth = width;
    h.biHeight = height;
    h.biPlanes = 1;
    h.biBitCount = static_cast<WORD>(format.bitsPerPixel);
    h.biCompression = compression;
    return bitmap;
}

// A bitmap of `width` x `height` made like `model` (same kind and layout).
std::unique_ptr<Bitmap> MakeLike(const Bitmap& model, int width, int height) {
    if (model.dibSection) {
        return MakeDibSection(width, height, model.format, model.header.biCompression);
    }
    return MakeBitmap(width, height, model.format);
}

} // namespace

HBITMAP CreateBitmap(int width, int height, UINT planes, UINT bitCount, const void* bits) {
    if (width < 0 || height < 0 || planes != 1) return nullptr;
    if (width == 0 || height == 0) return DefaultBitmap();
    PixelFormat format;
    if (bitCount == 1) {
        format = MakeMonochromeFormat();
    } else if (bitCount == 32) {
        format = MakeRgbFormat(32);
    } else {
        return nullptr;
    }
    std::unique_ptr<Bitmap> bitmap = MakeBitmap(width, height, format);
    if (!bitmap) return nullptr;
    if (bits) {
        // Device bitmap rows are word-aligned.
        const size_t sourceRowBytes =
            static_cast<size_t>((static_cast<int64_t>(width) * bitCount + 15) / 16) * 2;
        const size_t rowBytes =
            static_cast<size_t>((static_cast<int64_t>(width) * bitCount + 7) / 8);
        const PixelView view = bitmap->View();
        for (int y = 0; y < height; ++y) {
            std::memcpy(view.Row(y), static_cast<const BYTE*>(bits) + sourceRowBytes * y, rowBytes);
        }
    }
    return AddBitmap(std::move(bitmap));
}

HBITMAP CreateCompatibleBitmap(HDC handle, int width, int height) {
    DeviceContext* dc = FindDC(handle);
    if (!dc || width < 0 || height < 0) return nullptr;
    if (width == 0 || height == 0) return DefaultBitmap();
    std::unique_ptr<Bitmap> bitmap;
    if (dc->memory) {
        const Bitmap* selected = FindBitmap(dc->bitmap);
        if (!selected) return nullptr;
        bitmap = MakeLike(*selected, width, height);
    } else {
        bitmap = MakeBitmap(width, height, MakeRgbFormat(32));
    }
    return bitmap ? AddBitmap(std::move(bitmap)) : nullptr;
}

void GdiSetIconCopier(GdiIconCopier copier) {
    IconCopier() = copier;
}

HANDLE CopyImage(HANDLE image, UINT type, int width, int height, UINT flags) {
    // Icons and cursors belong to the window manager, which installs their copier.
    if (type == IMAGE_ICON || type == IMAGE_CURSOR) {
        const GdiIconCopier copier = IconCopier();
        return copier != nullptr ? copier(image, type) : nullptr;
    }
    Bitmap* source = FindBitmap(image);
    if (type != IMAGE_BITMAP || !source || width < 0 || height < 0) return nullptr;
    if (width == 0) width = source->width;
    if (height == 0) height = source->height;

    std::unique_ptr<Bitmap> copy;
    if (flags & LR_MONOCHROME) {
        copy = MakeBitmap(width, height, MakeMonochromeFormat());
    } else if (flags & LR_CREATEDIBSECTION) {
        copy = source->dibSection ? MakeLike(*source, width, height)
                                  : MakeDibSection(width, height, source->format, BI_RGB);
    } else if (source->dibSection) {
        // Without LR_CREATEDIBSECTION the copy is a device bitmap.
        copy = MakeBitmap(width, height, MakeRgbFormat(32));
    } else {
        copy = MakeLike(*source, width, height);
    }
    if (!copy) return nullptr;

    if (width == source->width && height == source->height &&
        copy->format.SameLayout(source->format) && copy->bottomUp == source->bottomUp) {
        std::memcpy(copy->memory.Data(), source->memory.Data(), source->memory.Size());
    } else {
        DrawTarget target;
        target.view = copy->View();
        target.clip = Region::FromRect(0, 0, width, height);
        const PixelView from = source->View();
        const BlitRequest request = {
            0, 0, width, height, 0, 0, source->width, source->height, SRCCOPY, COLORONCOLOR};
        BlitPixels(target, &from, RGB(255, 255, 255), request);
    }
    HBITMAP result = AddBitmap(std::move(copy));
    if (result && (flags & LR_COPYDELETEORG)) DeleteObject(image);
    return result;
}
