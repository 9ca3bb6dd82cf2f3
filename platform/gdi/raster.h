// Shared pieces of the drawing calls: raster operations on pixel values (they
// work on the stored bits, as the platform's do), brush patterns resolved into
// a target's pixel values, clipped span walks, and the blit engine.
// Internal to platform/gdi.
#pragma once

#include <cstdint>
#include <vector>

#include "platform/gdi/gdi_objects.h"

namespace gdi {

// A ternary raster operation: bit (P*4 + S*2 + D) of `code` is the result for
// pattern, source and destination bits P, S, D.
constexpr uint32_t Rop3(uint32_t code, uint32_t p, uint32_t s, uint32_t d) {
    uint32_t r = 0;
    for (uint32_t i = 0; i < 8; ++i) {
        if (code & (1u << i)) r |= ((i & 4) ? p : ~p) & ((i & 2) ? s : ~s) & ((i & 1) ? d : ~d);
    }
    return r;
}

// A binary raster operation R2_x: bit (P*2 + D) of (x - 1) is the result.
constexpr uint32_t Rop2(int mode, uint32_t p, uint32_t d) {
    const uint32_t code = static_cast<uint32_t>(mode - 1);
    return ((code & 1) ? ~p & ~d : 0) | ((code & 2) ? ~p & d : 0) | ((code & 4) ? p & ~d : 0) |
           ((code & 8) ? p & d : 0);
}

// Whether a ternary operation reads its source, pattern or destination.
constexpr bool RopUsesSource(uint32_t code) {
    return (((code >> 2) ^ code) & 0x33) != 0;
}
constexpr bool RopUsesPattern(uint32_t code) {
    return (((code >> 4) ^ code) & 0x0F) != 0;
}
constexpr bool RopUsesDest(uint32_t code) {
    return (((code >> 1) ^ code) & 0x55) != 0;
}

// Text and background colours of a target (black and white without a context).
COLORREF TargetTextColor(const DrawTarget& target);
COLORREF TargetBkColor(const DrawTarget& target);

// A brush as pixel values of one target: a table that repeats from the brush
// origin. Empty for a null brush.
class PatternTable {
public:
    PatternTable(const Brush* brush, const DrawTarget& target);
    // A solid colour.
    PatternTable(COLORREF color, const DrawTarget& target);
    bool Empty() const { return m_width == 0; }
    // Values of pixel row y, columns [x0, x0 + count), into out.
    void Fill(int x0, int y, int count, uint32_t* out) const;

private:
    int m_width = 0;
    int m_height = 0;
    int m_originX = 0; // pixel coordinates of the pattern's (0, 0)
    int m_originY = 0;
    std::vector<uint32_t> m_values;
};

// Calls fn(y, x0, x1) for every clipped piece of the rectangle [left, right) x
// [top, bottom) (pixel coordinates), row by row.
template <typename Fn>
void ForEachClippedSpan(const Region& clip, int left, int top, int right, int bottom, Fn&& fn) {
    if (left >= right || top >= bottom) return;
    for (const Region::Band& band : clip.Bands()) {
        if (band.bottom <= top) continue;
        if (band.top >= bottom) break;
        const int y0 = band.top > top ? band.top : top;
        const int y1 = band.bottom < bottom ? band.bottom : bottom;
        const Region::Span* spans = clip.SpansOf(band);
        for (int y = y0; y < y1; ++y) {
            for (uint32_t i = 0; i < band.count; ++i) {
                const int x0 = spans[i].left > left ? spans[i].left : left;
                const int x1 = spans[i].right < right ? spans[i].right : right;
                if (x0 < x1) fn(y, x0, x1);
            }
        }
    }
}

// Applies a ternary raster operation to a clipped rectangle with the pattern
// only (no source): the engine of PatBlt, FillRect and InvertRect.
void PatternFill(DrawTarget& target, const PatternTable& pattern, int left, int top, int right,
                 int bottom, uint32_t rop3);

// A blit request in context coordinates for the target and pixel coordinates
// for the source; extents may be negative (mirroring).
struct BlitRequest {
    int x, y, width, height;
    int sourceX, sourceY, sourceWidth, sourceHeight;
    DWORD rop;
    int stretchMode;
};

// The blit engine behind BitBlt, StretchBlt, StretchDIBits and CopyImage.
// `source` may be null when the operation reads no source; `sourceBk` is the
// source context's background colour (colour-to-monochrome rule).
bool BlitPixels(DrawTarget& target, const PixelView* source, COLORREF sourceBk,
                const BlitRequest& request);

} // namespace gdi
