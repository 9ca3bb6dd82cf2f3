// libpng's transformations do the reduction to 8-bit BGR (expanding palettes,
// low bit depths and transparency chunks, scaling 16-bit samples with
// rounding, widening grey); only compositing alpha over white is done here.
#include "tools/gleamfx/png_files.h"

#include <png.h>

#include <algorithm>
#include <csetjmp>
#include <cstdint>
#include <cstdio>
#include <vector>

#include "tools/gleamfx/picture_files.h"

namespace gleamkit::tools {

namespace {

struct PngError {
    char message[256] = "not a PNG file";
};

void OnPngError(png_structp png, png_const_charp message) {
    auto* error = static_cast<PngError*>(png_get_error_ptr(png));
    std::snprintf(error->message, sizeof error->message, "%s", message);
    png_longjmp(png, 1);
}

// Warnings (an unknown chunk, a bad ancillary CRC) leave the picture whole.
void OnPngWarning(png_structp, png_const_charp) {}

// Everything the decoder writes after the jump point lives here, in the
// caller's frame, so nothing is lost or left indeterminate by the long jump.
struct DecodedPng {
    uint32_t width = 0;
    uint32_t height = 0;
    uint32_t channels = 0; // 3 (BGR) or 4 (BGRA)
    std::vector<uint8_t> pixels;
    std::vector<png_bytep> rows;
};

bool DecodePng(std::FILE* file, DecodedPng& decoded, PngError& error) {
    png_structp png =
        png_create_read_struct(PNG_LIBPNG_VER_STRING, &error, OnPngError, OnPngWarning);
    if (png == nullptr) return false;
    png_infop info = png_create_info_struct(png);
    if (info == nullptr || setjmp(png_jmpbuf(png))) {
        png_destroy_read_struct(&png, &info, nullptr);
        return false;
    }
    png_init_io(png, file);
    png_set_user_limits(png, 0x7FFFFFFF, 0x7FFFFFFF);
    png_read_info(png, info);
    png_set_expand(png);
    png_set_scale_16(png);
    png_set_gray_to_rgb(png);
    png_set_bgr(png);
    png_set_interlace_handling(png);
    png_read_update_info(png, info);
    decoded.width = png_get_image_width(png, info);
    decoded.height = png_get_image_height(png, info);
    decoded.channels = png_get_channels(png, info);
    if (!FitsAPicture(decoded.width, decoded.height))
        png_error(png, "the picture is too large for the library");
    const size_t rowBytes = png_get_rowbytes(png, info);
    try {
        decoded.pixels.resize(rowBytes * decoded.height);
        decoded.rows.resize(decoded.height);
    } catch (...) {
        png_destroy_read_struct(&png, &info, nullptr);
        throw;
    }
    for (uint32_t y = 0; y < decoded.height; ++y) decoded.rows[y] = &decoded.pixels[rowBytes * y];
    png_read_image(png, decoded.rows.data());
    png_read_end(png, nullptr);
    png_destroy_read_struct(&png, &info, nullptr);
    return true;
}

// c over white with alpha a, rounded to the nearest byte.
uint8_t OverWhite(uint8_t c, uint8_t a) {
    return static_cast<uint8_t>((c * a + 255 * (255 - a) + 127) / 255);
}

bool EncodePng(std::FILE* file, uint32_t width, const std::vector<png_bytep>& rows,
               PngError& error) {
    png_structp png =
        png_create_write_struct(PNG_LIBPNG_VER_STRING, &error, OnPngError, OnPngWarning);
    if (png == nullptr) return false;
    png_infop info = png_create_info_struct(png);
    if (info == nullptr || setjmp(png_jmpbuf(png))) {
        png_destroy_write_struct(&png, &info);
        return false;
    }
    png_init_io(png, file);
    png_set_IHDR(png, info, width, static_cast<uint32_t>(rows.size()), 8, PNG_COLOR_TYPE_RGB,
                 PNG_INTERLACE_NONE, PNG_COMPRESSION_TYPE_DEFAULT, PNG_FILTER_TYPE_DEFAULT);
    png_write_info(png, info);
    png_set_bgr(png);
    png_write_image(png, const_cast<png_bytepp>(rows.data()));
    png_write_end(png, nullptr);
    png_destroy_write_struct(&png, &info);
    return true;
}

} // namespace

PictureHolder ReadPng(std::FILE* file, std::string& error) {
    DecodedPng decoded;
    PngError failure;
    if (!DecodePng(file, decoded, failure)) {
        error = std::string("bad PNG file: ") + failure.message;
        return nullptr;
    }
    const auto width = static_cast<int32_t>(decoded.width);
    const auto height = static_cast<int32_t>(decoded.height);
    PictureHolder picture(bitmap::NewPixelBitmap(width, height));
    picture->SetLayout(bitmap::BitmapLayout::Bits24);
    for (int32_t y = 0; y < height; ++y) {
        const uint8_t* from = decoded.rows[static_cast<size_t>(y)];
        uint8_t* to = picture->ScanLine(y);
        if (decoded.channels == 3) {
            std::copy(from, from + 3 * static_cast<size_t>(width), to);
            continue;
        }
        for (int32_t x = 0; x < width; ++x, from += 4, to += 3)
            for (int c = 0; c < 3; ++c) to[c] = OverWhite(from[c], from[3]);
    }
    return picture;
}

bool WritePng(bitmap::PixelBitmap& picture, std::FILE* file, std::string& error) {
    std::vector<png_bytep> rows(static_cast<size_t>(picture.Height()));
    for (int32_t y = 0; y < picture.Height(); ++y)
        rows[static_cast<size_t>(y)] = picture.ScanLine(y);
    PngError failure;
    if (!EncodePng(file, static_cast<uint32_t>(picture.Width()), rows, failure)) {
        error = failure.message;
        return false;
    }
    return true;
}

} // namespace gleamkit::tools
