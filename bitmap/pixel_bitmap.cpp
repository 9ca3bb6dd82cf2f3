// PixelBitmap's storage rules: the two storage kinds, the nine layouts, the
// conversions between them through the platform's DIB calls, row access and
// copying. Drawing lives in draw.cpp, the canvas link in
// pixel_bitmap_canvas.cpp and file reading in bmp_reader.cpp.
#include "bitmap/pixel_bitmap.h"

#include <algorithm>
#include <cstring>
#include <limits>
#include <new>

#include "bitmap/dib_header.h"
#include "bitmap/pixel_memory.h"
#include "platform/win32.h"

namespace gleamkit::bitmap {
namespace {

constexpr uint32_t kLayoutBitCounts[] = {0, 1, 4, 8, 16, 16, 24, 32, 0};

uint32_t BitCountOf(BitmapLayout layout) {
    return kLayoutBitCounts[static_cast<uint8_t>(layout)];
}

// The byte size of `height` rows, or a failure when it does not fit the
// signed 32-bit RowMemorySize.
bool RowMemoryBytes(uint32_t width, uint32_t bitCount, uint32_t height, int32_t* size) {
    const uint64_t rowBytes = dib::RowBytes(width, bitCount);
    const uint64_t total = rowBytes * height;
    if (rowBytes > std::numeric_limits<uint32_t>::max() ||
        (height != 0 && total / height != rowBytes) ||
        total > uint64_t{std::numeric_limits<int32_t>::max()})
        return false;
    *size = static_cast<int32_t>(total);
    return true;
}

HBITMAP ScreenCompatibleBitmap(int32_t width, int32_t height) {
    HDC screen = GetDC(nullptr);
    HBITMAP bitmap = CreateCompatibleBitmap(screen, width, height);
    ReleaseDC(nullptr, screen);
    return bitmap;
}

} // namespace

BitmapLayout LayoutFromBitCount(uint32_t bitCount) {
    for (uint8_t i = 1; i <= 7; ++i)
        if (kLayoutBitCounts[i] == bitCount) return static_cast<BitmapLayout>(i);
    return BitmapLayout::Custom;
}

PixelBitmap* NewPixelBitmap(int32_t width, int32_t height) {
    auto* bitmap = new PixelBitmap();
    bitmap->m_width = std::max(width, 0);
    bitmap->m_height = std::max(height, 0);
    if (!bitmap->Empty()) bitmap->m_handle = ScreenCompatibleBitmap(width, height);
    return bitmap;
}

void PixelBitmap::Destroy() {
    Clear();
    KitObject::Destroy();
}

BitmapLayout PixelBitmap::Layout() const {
    if (m_storageKind == StorageKind::Ddb || !m_rowMemory) return BitmapLayout::Device;
    const BitmapLayout layout = LayoutFromBitCount(dib::BitCount(m_headerBlock));
    if (layout == BitmapLayout::Bits15 && dib::Compression(m_headerBlock) != 0)
        return BitmapLayout::Bits16;
    return layout;
}

void PixelBitmap::SetLayout(BitmapLayout layout) {
    if (Empty() || layout == Layout()) return;
    if (layout == BitmapLayout::Device) {
        SetHandleType(StorageKind::Ddb);
        return;
    }
    m_requestedLayout = layout;
    SetHandleType(StorageKind::Dib);
    // Bits15 and Bits16 share a bit count: switching between them converts
    // nothing, it only records the request.
    const BitmapLayout wanted = layout == BitmapLayout::Bits16 ? BitmapLayout::Bits15 : layout;
    if (!m_headerBlock || LayoutFromBitCount(dib::BitCount(m_headerBlock)) != wanted) Reformat();
}

void PixelBitmap::SetHandleType(StorageKind kind) {
    if (kind == m_storageKind) return;
    const StorageKind old = m_storageKind;
    m_storageKind = kind;
    try {
        Reformat();
    } catch (...) {
        m_storageKind = old;
        throw;
    }
}

void PixelBitmap::SetWidth(int32_t width) {
    width = std::max(width, 0);
    if (width == m_width) return;
    const int32_t old = m_width;
    m_width = width;
    try {
        Reformat();
    } catch (...) {
        m_width = old;
        throw;
    }
}

void PixelBitmap::SetHeight(int32_t height) {
    height = std::max(height, 0);
    if (height == m_height) return;
    SetHandleType(StorageKind::Ddb);
    const int32_t old = m_height;
    m_height = height;
    try {
        Reformat();
    } catch (...) {
        m_height = old;
        throw;
    }
}

void PixelBitmap::Reformat() {
    if (Empty()) return;
    RunDetachHook();
    m_scanLineBytes = 0;

    int32_t oldHeight = m_height;
    if (m_rowMemory) {
        const int32_t height = dib::Height(m_headerBlock);
        oldHeight = height < 0 ? -height : height;
    } else if (m_handle) {
        BITMAP info{};
        if (GetObjectA(m_handle, sizeof(info), &info)) oldHeight = info.bmHeight;
    }

    HDC work = CreateCompatibleDC(nullptr);
    try {
        if (m_storageKind == StorageKind::Ddb)
            ReformatToDdb(work);
        else
            ReformatToDib(work, oldHeight);
    } catch (...) {
        DeleteDC(work);
        throw;
    }
    DeleteDC(work);
}

void PixelBitmap::ReformatToDdb(HDC work) {
    HBITMAP fresh = ScreenCompatibleBitmap(m_width, m_height);
    HGDIOBJ replaced = SelectObject(work, fresh);
    HBRUSH brush = CreateSolidBrush(static_cast<COLORREF>(ResolveColor(m_backColor)));
    const RECT all{0, 0, m_width, m_height};
    FillRect(work, &all, brush);
    DeleteObject(brush);
    if (m_rowMemory) {
        SelectObject(work, replaced);
        // Never more rows than the old memory holds.
        const int32_t oldHeight = dib::Height(m_headerBlock);
        const int32_t rows = std::min(m_height, oldHeight < 0 ? -oldHeight : oldHeight);
        SetDIBits(work, fresh, 0, static_cast<UINT>(rows), m_rowMemory,
                  reinterpret_cast<const BITMAPINFO*>(m_headerBlock), DIB_RGB_COLORS);
    } else {
        Draw(work, 0, 0);
        SelectObject(work, replaced);
    }
    ReleaseData();
    m_handle = fresh;
}

void PixelBitmap::ReformatToDib(HDC work, int32_t oldHeight) {
    uint32_t bitCount = BitCountOf(m_requestedLayout);
    if (bitCount == 0) bitCount = BitCountOf(kDefaultLayout);
    int32_t size = 0;
    if (!RowMemoryBytes(static_cast<uint32_t>(m_width), bitCount, static_cast<uint32_t>(m_height),
                        &size))
        throw std::bad_alloc();

    auto* header = new uint8_t[kHeaderBlockSize]();
    dib::Put<uint32_t>(header, dib::kSizeOffset, dib::kInfoHeaderSize);
    dib::Put<int32_t>(header, dib::kWidthOffset, m_width);
    dib::Put<int32_t>(header, dib::kHeightOffset, m_height);
    dib::Put<uint16_t>(header, dib::kPlanesOffset, 1);
    dib::Put<uint16_t>(header, dib::kBitCountOffset, static_cast<uint16_t>(bitCount));
    if (m_requestedLayout == BitmapLayout::Bits16) {
        // 5-6-5 masks: red, green, blue.
        dib::Put<uint32_t>(header, dib::kCompressionOffset, dib::kBitFields);
        dib::Put<uint32_t>(header, dib::kColorTableOffset, 0xF800);
        dib::Put<uint32_t>(header, dib::kColorTableOffset + 4, 0x07E0);
        dib::Put<uint32_t>(header, dib::kColorTableOffset + 8, 0x001F);
    }
    uint8_t* memory = AllocatePixelMemory(static_cast<size_t>(size), Zeroed::No);
    if (!memory && size != 0) {
        delete[] header;
        throw std::bad_alloc();
    }

    const int32_t rows = std::min(m_height, oldHeight);
    HBITMAP old = Handle();
    const int copied = old ? GetDIBits(work, old, 0, static_cast<UINT>(rows), memory,
                                       reinterpret_cast<BITMAPINFO*>(header), DIB_RGB_COLORS)
                           : 0;
    HBITMAP section = nullptr;
    if (copied != rows) {
        // The platform could not convert the old picture: draw it into a
        // fresh section of the new layout instead.
        ReleasePixelMemory(memory, static_cast<size_t>(size));
        void* bits = nullptr;
        section = CreateDIBSection(work, reinterpret_cast<const BITMAPINFO*>(header),
                                   DIB_RGB_COLORS, &bits, nullptr, 0);
        if (!section || !bits) {
            if (section) DeleteObject(section);
            delete[] header;
            throw std::bad_alloc();
        }
        memory = static_cast<uint8_t*>(bits);
        HGDIOBJ replaced = SelectObject(work, section);
        Draw(work, 0, 0);
        SelectObject(work, replaced);
    }
    ReleaseData();
    m_rowMemory = memory;
    m_rowMemorySize = size;
    m_headerBlock = header;
    m_handle = section;
    m_bitsOwnedBySection = section != nullptr;
}

HBITMAP PixelBitmap::Handle() {
    if (Empty()) return nullptr;
    if (m_handle) return m_handle;
    if (!m_rowMemory) return nullptr;
    HDC screen = GetDC(nullptr);
    void* bits = nullptr;
    HBITMAP section = CreateDIBSection(screen, reinterpret_cast<const BITMAPINFO*>(m_headerBlock),
                                       DIB_RGB_COLORS, &bits, nullptr, 0);
    ReleaseDC(nullptr, screen);
    if (!section || !bits) {
        if (section) DeleteObject(section);
        return nullptr;
    }
    std::memcpy(bits, m_rowMemory, static_cast<size_t>(m_rowMemorySize));
    if (!m_bitsOwnedBySection)
        ReleasePixelMemory(m_rowMemory, static_cast<size_t>(m_rowMemorySize));
    m_rowMemory = static_cast<uint8_t*>(bits);
    m_bitsOwnedBySection = true;
    m_handle = section;
    return section;
}

uint32_t PixelBitmap::ScanLineBytes() {
    if (!m_headerBlock) return 0;
    if (m_scanLineBytes == 0) {
        const auto width = static_cast<uint32_t>(dib::Width(m_headerBlock));
        const uint32_t bitCount = dib::BitCount(m_headerBlock);
        m_scanLineBytes = ((width * bitCount + 31) >> 3) & ~uint32_t{3};
    }
    return m_scanLineBytes;
}

uint8_t* PixelBitmap::ScanLine(int32_t y) {
    if (!m_headerBlock) return nullptr;
    const int32_t height = dib::Height(m_headerBlock);
    const int32_t row = height >= 0 ? height - 1 - y : y;
    return m_rowMemory + size_t{ScanLineBytes()} * static_cast<uint32_t>(row);
}

bool PixelBitmap::Assign(PixelBitmap* source) {
    // Copying a picture onto itself keeps it: clearing first would lose it.
    if (source == this) return !Empty();
    // Separate rows of the very size the copy needs are kept for it: fresh
    // memory would cost its first touch again (an undo copy per command).
    uint8_t* reused = nullptr;
    if (source && !source->Empty() && source->m_storageKind == StorageKind::Dib && !m_handle &&
        m_rowMemory && m_rowMemorySize == source->m_rowMemorySize) {
        reused = m_rowMemory;
        m_rowMemory = nullptr;
        m_rowMemorySize = 0;
    }
    Clear();
    if (!source || source->Empty()) return false;
    m_width = source->m_width;
    m_height = source->m_height;
    m_storageKind = source->m_storageKind;
    if (m_storageKind == StorageKind::Ddb) {
        m_handle = static_cast<HBITMAP>(CopyImage(source->m_handle, IMAGE_BITMAP, 0, 0, 0));
        if (!m_handle) {
            Clear();
            return false;
        }
        return true;
    }
    const auto size = static_cast<size_t>(source->m_rowMemorySize);
    uint8_t* memory = reused ? reused : AllocatePixelMemory(size, Zeroed::No);
    if (!memory && size != 0) throw std::bad_alloc();
    if (size != 0) std::memcpy(memory, source->m_rowMemory, size);
    m_headerBlock = new uint8_t[kHeaderBlockSize];
    std::memcpy(m_headerBlock, source->m_headerBlock, kHeaderBlockSize);
    m_rowMemory = memory;
    m_rowMemorySize = source->m_rowMemorySize;
    return true;
}

void PixelBitmap::ReleaseData() {
    RunDetachHook();
    if (m_handle) {
        // A handle owns the memory it carries (a DIB section's rows).
        DeleteObject(m_handle);
        m_handle = nullptr;
    } else {
        ReleasePixelMemory(m_rowMemory, static_cast<size_t>(m_rowMemorySize));
    }
    m_rowMemory = nullptr;
    m_rowMemorySize = 0;
    delete[] m_headerBlock;
    m_headerBlock = nullptr;
    m_scanLineBytes = 0;
    DropMask();
}

void PixelBitmap::DropMask() {
    m_maskColor = kColorNone;
    FreeAndNull(m_transparencyMask);
}

void PixelBitmap::Clear() {
    ReleaseCanvas();
    ReleaseData();
    m_width = 0;
    m_height = 0;
    m_bitsOwnedBySection = false;
}

HDC PixelBitmap::OpenMemoryContext(HGDIOBJ* replaced) {
    HDC context = CreateCompatibleDC(nullptr);
    RunDetachHook();
    HBITMAP handle = Handle();
    if (!handle) {
        DeleteDC(context);
        return nullptr;
    }
    *replaced = SelectObject(context, handle);
    return context;
}

void PixelBitmap::CloseMemoryContext(HDC context, HGDIOBJ replaced) {
    SelectObject(context, replaced);
    DeleteDC(context);
}

Color PixelBitmap::PixelAt(int32_t x, int32_t y) {
    if (Empty()) return kColorNone;
    HGDIOBJ replaced = nullptr;
    HDC context = OpenMemoryContext(&replaced);
    if (!context) return static_cast<Color>(CLR_INVALID);
    const COLORREF color = GetPixel(context, x, y);
    CloseMemoryContext(context, replaced);
    return static_cast<Color>(color);
}

void PixelBitmap::SetPixelAt(int32_t x, int32_t y, Color color) {
    if (Empty()) return;
    HGDIOBJ replaced = nullptr;
    HDC context = OpenMemoryContext(&replaced);
    if (!context) return;
    SetPixel(context, x, y, static_cast<COLORREF>(ResolveColor(color)));
    CloseMemoryContext(context, replaced);
}

} // namespace gleamkit::bitmap
