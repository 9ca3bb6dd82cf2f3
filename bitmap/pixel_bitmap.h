// PixelBitmap: the kit's picture object. It holds a picture either as a
// device-dependent bitmap (a platform handle in the screen's format) or as
// device-independent pixel memory (a 1064-byte BITMAPINFO header block plus
// rows that callers address directly through ScanLine).
//
// Usage: NewPixelBitmap(w, h) makes a device bitmap; SetLayout(Bits24) turns it
// into 24-bit rows; ScanLine(y) gives row y (row 0 is the top whatever the
// order in memory); Assign copies; Free releases. The row address stays valid
// until the storage changes (size, layout, handle type, Assign, Clear, loading,
// or the first Handle query on separate memory).
#pragma once

#include <cstdint>

#include "base/color.h"
#include "base/kit_object.h"
#include "base/rect.h"
#include "platform/win32_types.h"

namespace gleamkit::bitmap {

class Canvas;
class Stream;

enum class BitmapLayout : uint8_t {
    Device = 0,
    Bits1 = 1,
    Bits4 = 2,
    Bits8 = 3,
    Bits15 = 4,
    Bits16 = 5,
    Bits24 = 6,
    Bits32 = 7,
    Custom = 8,
};

// Supplies the bit count when memory must be made for Device or Custom.
inline constexpr BitmapLayout kDefaultLayout = BitmapLayout::Bits16;

enum class StorageKind : uint8_t { Dib = 0, Ddb = 1 };

// One 24-bit pixel as stored in a row.
struct Bgr24 {
    uint8_t Blue;
    uint8_t Green;
    uint8_t Red;
};
static_assert(sizeof(Bgr24) == 3);

inline constexpr uint32_t kHeaderBlockSize = 1064;

// The layout the bit-count lookup gives: position of the first of 1, 4, 8, 16,
// 16, 24, 32 equal to `bitCount`, Custom when none.
BitmapLayout LayoutFromBitCount(uint32_t bitCount);

class PixelBitmap : public KitObject {
public:
    bool Empty() const { return m_width == 0 || m_height == 0; }
    int32_t Width() const { return m_width; }
    int32_t Height() const { return m_height; }
    StorageKind Storage() const { return m_storageKind; }

    // Resize in place, keeping the picture at the top-left (the content of new
    // columns is not fixed; new rows take BackColor). A new height always
    // leaves a device bitmap: set Bits24 afterwards to get rows again. A
    // negative size counts as 0. Storage that cannot be had (rows past the
    // signed 32-bit RowMemorySize, or memory refused) raises std::bad_alloc
    // and leaves the size as it was.
    void SetWidth(int32_t width);
    void SetHeight(int32_t height);

    // The actual layout: Device for a device bitmap or without pixel memory.
    BitmapLayout Layout() const;
    // Converts the pixels to `layout` (Device turns the picture into a device
    // bitmap). Does nothing on an empty bitmap. Switching between Bits15 and
    // Bits16 only records the request. Fails as SetWidth does.
    void SetLayout(BitmapLayout layout);
    // Converts between device-independent rows (in the requested layout,
    // 16 bits for Device or Custom) and a device bitmap.
    void SetHandleType(StorageKind kind);

    // The platform bitmap; may turn separate row memory into a DIB section
    // (which moves the rows). None when empty or when that fails.
    HBITMAP Handle();

    // Bytes per row (whole 32-bit words), cached; 0 without a header block.
    uint32_t ScanLineBytes();
    // First byte of picture row y, or nullptr without a header block. No
    // bounds check: callers keep 0 <= y < Height().
    uint8_t* ScanLine(int32_t y);
    // Row y as 24-bit pixels; only meaningful for a Bits24 picture.
    Bgr24* Row24(int32_t y) { return reinterpret_cast<Bgr24*>(ScanLine(y)); }

    // Copies `source` (none or empty: this bitmap ends empty and the answer is
    // false). BackColor, the requested layout, canvas and mask are not copied.
    // Rows are copied into separate memory (reused when this picture already
    // has separate rows of that size). A picture assigned to itself is kept
    // (answer true unless it is empty).
    bool Assign(PixelBitmap* source);
    // Back to empty with nothing allocated; StorageKind, BackColor and the
    // requested layout stay.
    void Clear();

    Rect FullRect() const { return Rect{0, 0, m_width, m_height}; }

    Color BackColor() const { return m_backColor; }
    void SetBackColor(Color color) { m_backColor = color; }

    // 0x00BBGGRR of the pixel, -1 when empty, CLR_INVALID outside the picture.
    Color PixelAt(int32_t x, int32_t y);
    // Sets one pixel (system colours resolved); nothing when empty.
    void SetPixelAt(int32_t x, int32_t y, Color color);

    // Reads a Windows bitmap file (optional file header, 40- or 12-byte info
    // header) at the stream's position, keeping the file's own layout, header
    // fields and row order; compressed rows are stored undecoded. The answer
    // tells whether it succeeded; on failure the bitmap is empty and the
    // stream back where it was. Rejected: other header sizes, short files,
    // negative widths, rows that take no bytes, and pictures whose 32-bit form
    // would not fit the signed 32-bit RowMemorySize. Palette bytes beyond the
    // 256-entry colour table are skipped; a row offset inside the headers is
    // ignored.
    //
    // Short files: a file with a file header whose bfSize is not 0 may end
    // before its rows do; it then loads what it holds and the missing rows
    // stay zero, provided it holds at least one eighth of the row bytes it
    // declares (RowMemorySize). A file holding less is rejected as short, so
    // a file of N bytes never makes more than 8 N bytes of rows. A file a few
    // bytes short with enough bytes before its rows is read from its last
    // RowMemorySize bytes instead, whole.
    bool LoadFromFile(const char* path);
    bool LoadFromStream(Stream& stream);

    // The canvas that draws into this picture, made on first request on a
    // memory device context (which turns separate rows into a DIB section);
    // none when the picture is empty or has no handle. Owned by the picture.
    // Ask again after any other operation on the picture: the canvas only
    // draws into the picture while the picture is selected into it, and this
    // query is what selects it back.
    bitmap::Canvas* Canvas();

    // Drawing the picture onto a device context (see draw.cpp). Each does
    // nothing for an empty picture; none changes the picture's pixels.
    //
    // Natural size with the top-left corner at (x, y).
    void Draw(HDC target, int32_t x, int32_t y);
    // Scaled into `rect` with the target's stretch mode.
    void StretchDraw(HDC target, const Rect& rect);
    // As Draw, leaving out the pixels of `transparent` (kColorNone: plain Draw).
    void DrawKeyed(HDC target, int32_t x, int32_t y, Color transparent);
    // As StretchDraw, leaving out the pixels of `transparent`. The 1-bit mask is
    // built once per colour and kept until the storage changes or the canvas
    // draws; changes made through ScanLine do not rebuild it.
    void StretchDrawKeyed(HDC target, const Rect& rect, Color transparent);
    // As StretchDraw through a monochrome mask the picture's size: mask pixels
    // that are 1 (white) leave the target as it was.
    void StretchDrawThroughMask(HDC target, const Rect& rect, HBITMAP mask);
    // Turns the picture into a 1-bit device bitmap, white where it had
    // `color` and black elsewhere. Nothing when the picture has no handle.
    void TurnIntoMask(Color color);

    // Raw access for the reader, the drawing layer and tests.
    uint8_t* HeaderBlock() { return m_headerBlock; }
    uint8_t* RowMemory() { return m_rowMemory; }
    int32_t RowMemorySize() const { return m_rowMemorySize; }
    bool BitsOwnedBySection() const { return m_bitsOwnedBySection; }
    BitmapLayout RequestedLayout() const { return m_requestedLayout; }
    // The mask kept by keyed drawing and the colour it was built for.
    PixelBitmap* TransparencyMask() const { return m_transparencyMask; }
    Color MaskColor() const { return m_maskColor; }

protected:
    void Destroy() override;

private:
    friend PixelBitmap* NewPixelBitmap(int32_t width, int32_t height);
    friend class bitmap::Canvas;

    // Rebuilds the storage for the current size, storage kind and requested
    // layout, carrying the old picture over.
    void Reformat();
    void ReformatToDdb(HDC work);
    void ReformatToDib(HDC work, int32_t oldHeight);
    // Releases handle, memory, header and mask; sizes and storage kind stay.
    void ReleaseData();
    // Takes the picture out of its canvas's device context, if it is in it.
    void RunDetachHook();
    // Detaches and frees the canvas.
    void ReleaseCanvas();
    // Drops the transparency mask (mask colour none).
    void DropMask();
    // The file-reading steps; false when the stream does not hold a picture
    // this reader accepts.
    bool ReadDib(Stream& stream, uint32_t startPosition);
    // A new memory device context with the picture's handle selected (after
    // detaching it from its canvas); `*replaced` receives the object it
    // replaced. None when the picture has no handle.
    HDC OpenMemoryContext(HGDIOBJ* replaced);
    static void CloseMemoryContext(HDC context, HGDIOBJ replaced);
    static void OnCanvasChange(void* self, KitObject* sender);

    int32_t m_height = 0;
    int32_t m_width = 0;
    HBITMAP m_handle = nullptr;
    bitmap::Canvas* m_canvas = nullptr;
    uint32_t m_scanLineBytes = 0;
    Color m_backColor = 0;
    bool m_detachHookSet = false;
    HGDIOBJ m_savedSelection = nullptr;
    StorageKind m_storageKind = StorageKind::Ddb;
    uint8_t* m_headerBlock = nullptr;
    uint8_t* m_rowMemory = nullptr;
    int32_t m_rowMemorySize = 0;
    BitmapLayout m_requestedLayout = BitmapLayout::Device;
    PixelBitmap* m_transparencyMask = nullptr;
    Color m_maskColor = kColorNone;
    bool m_bitsOwnedBySection = false;
};

// A new device bitmap of the given size (a platform bitmap compatible with the
// screen is made only when both sizes are non-zero; its pixels are not set). A
// negative size counts as 0.
// The caller owns it and releases it with Free.
PixelBitmap* NewPixelBitmap(int32_t width, int32_t height);

} // namespace gleamkit::bitmap
