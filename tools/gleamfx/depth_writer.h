// Writes a picture as a Windows bitmap file in a chosen depth (1, 4, 8, 16,
// 24 or 32 bits per pixel), so sample files exercise every layout the reader
// and the desktop program take: 1-, 4- and 8-bit files carry the fixed
// palette the conversion used, 16-bit files 5-6-5 bit masks.
#pragma once

#include <cstdint>
#include <string>

#include "bitmap/pixel_bitmap.h"

namespace gleamkit::tools {

// True for the bit counts WriteBmpInDepth takes.
bool IsWritableDepth(int32_t bits);

// Converts `picture` to the layout of `bits` in place and writes it with a
// 14-byte file header, the 40-byte info header, its colour table or masks
// and its rows, bottom-up. Fails (false, with a short reason) for an empty
// picture, an unsupported depth, or a file that cannot be written.
bool WriteBmpInDepth(bitmap::PixelBitmap& picture, int32_t bits, const std::string& path,
                     std::string& error);

} // namespace gleamkit::tools
