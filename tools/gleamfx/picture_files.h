// Reading and writing the picture files gleamfx handles, chosen by the
// file name's extension (letters in any case):
//   .png          read and written through libpng;
//   .jpg, .jpeg   read through libjpeg;
//   anything else a Windows bitmap file, read by the library's own reader and
//                 written as a bottom-up 24-bit file.
// Everyday pictures are reduced to the 24-bit picture by one rule:
//   - grey, palette and low-bit-depth PNGs give their colours as 8-bit RGB;
//   - 16-bit samples become round(v * 255 / 65535);
//   - alpha (an alpha channel or a transparency chunk) is composited over
//     white: c' = (c * a + 255 * (255 - a) + 127) / 255, per channel;
//   - gamma and colour-profile chunks are ignored: samples are taken as
//     stored;
//   - grey JPEGs give grey RGB; CMYK JPEGs are refused.
// PNG output is 8-bit RGB without alpha, so an 8-bit RGB PNG read and
// written back keeps every pixel. The library and the desktop program
// themselves read bitmap files only.
#pragma once

#include <cstdint>
#include <limits>
#include <string>

#include "bitmap/pixel_bitmap.h"
#include "tools/gleamfx/gleamfx.h"

namespace gleamkit::tools {

enum class FileKind { Bitmap, Png, Jpeg };

// The largest picture the library holds: its 32-bit form must fit the signed
// 32-bit row memory size. The PNG and JPEG readers refuse anything larger.
inline bool FitsAPicture(uint64_t width, uint64_t height) {
    return width * height * 4 <= uint64_t{std::numeric_limits<int32_t>::max()};
}

// The kind a file name's extension selects.
FileKind KindOfPath(const std::string& path);

// Reads the picture at `path` (Bits24 for PNG and JPEG, the file's own
// layout for bitmap files). An empty holder and a reason in `error` when the
// file cannot be opened or is not a picture of its kind; raises
// std::bad_alloc when the picture's memory cannot be had.
PictureHolder ReadPicture(const std::string& path, std::string& error);

// Writes `picture` to `path` as its extension selects (a JPEG name is
// refused: gleamfx writes no JPEG). The file is put in place only when whole.
bool WritePicture(bitmap::PixelBitmap& picture, const std::string& path, std::string& error);

} // namespace gleamkit::tools
