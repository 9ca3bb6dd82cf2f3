// Reading a picture file for the program, with the reason when it cannot be
// read: the open command and the second-picture commands tell the user which
// file failed and why, instead of going on with an empty picture.
#pragma once

#include <string>

#include "bitmap/pixel_bitmap.h"

namespace gleamkit::app {

// A new picture read from `path` in the file's own layout, owned by the
// caller; nullptr when the file cannot be read or holds no pixels, with
// `reason` then saying why in a few words ("not found", "not a bitmap file",
// "unsupported bitmap header (108 bytes)", "too large (70000 x 70000)", ...).
bitmap::PixelBitmap* ReadPictureFile(const std::string& path, std::string& reason);

// Why the bitmap reader refused `path`, worked out from the file's first
// bytes (for a file the reader has already refused).
std::string RefusalReason(const std::string& path);

} // namespace gleamkit::app
