// Reading the layout a BITMAPINFO describes (size, row order, bits, masks,
// colour table) and walking rows of DIB memory. Internal to platform/gdi.
#pragma once

#include <cstddef>

#include "platform/gdi/gdi.h"
#include "platform/gdi/pixel_format.h"

namespace gdi {

struct DibLayout {
    int width = 0;
    int height = 0; // absolute
    bool bottomUp = true;
    size_t rowBytes = 0;
    PixelFormat format;

    // Row y of the picture (0 = top) within DIB memory `bits`.
    template <typename Byte> Byte* Row(Byte* bits, int y) const {
        const int stored = bottomUp ? height - 1 - y : y;
        return bits + rowBytes * static_cast<size_t>(stored);
    }
    size_t ImageBytes() const { return rowBytes * static_cast<size_t>(height); }
};

// Parses `info` (a 40-byte or larger header; BI_RGB for any bit count,
// BI_BITFIELDS with contiguous masks for 16 and 32 bits) for DIB_RGB_COLORS.
// With `readColors` false the colour table is not read (the caller fills it).
// False for anything else, including sizes whose memory would exceed 2^31 bytes.
bool ParseDibInfo(const BITMAPINFO* info, UINT usage, DibLayout& layout, bool readColors = true);

// Where the colour table (or the masks) of `info` begins.
RGBQUAD* ColorTableOf(BITMAPINFO* info);
const RGBQUAD* ColorTableOf(const BITMAPINFO* info);

} // namespace gdi
