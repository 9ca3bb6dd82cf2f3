// Writes pictures as Windows bitmap files: always 24 bits per pixel, rows
// bottom-up and padded to whole 32-bit words, a 14-byte file header and a
// 40-byte info header, no colour table. Every file the reader accepts can be
// written back this way.
#pragma once

#include <string>

#include "bitmap/pixel_bitmap.h"

namespace gleamkit::tools {

// Writes `picture` to `path`, replacing any file there. A picture in another
// layout is converted to Bits24 in place first. Fails (false, with a short
// reason in `error`) for an empty picture, one whose file would pass 4 GiB,
// or when the file cannot be created or fully written. The file is put in
// place only when whole (see OutputFile): a failure leaves the path as it was.
bool WriteBmp24(bitmap::PixelBitmap& picture, const std::string& path, std::string& error);

} // namespace gleamkit::tools
