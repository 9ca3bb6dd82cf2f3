// libjpeg-turbo decodes straight into blue, green, red order and widens grey
// to three channels itself; CMYK has no such conversion and is refused.
#include "tools/gleamfx/jpeg_files.h"

#include <algorithm>
#include <csetjmp>
#include <cstdint>
#include <cstdio>
#include <vector>

#include "tools/gleamfx/picture_files.h"

// After the platform's headers (through jpeg_files.h): jpeglib.h defines
// TRUE and FALSE as macros.
#include <jpeglib.h>

namespace gleamkit::tools {

namespace {

struct JpegError {
    jpeg_error_mgr manager{};
    std::jmp_buf jump{};
    char message[JMSG_LENGTH_MAX] = "not a JPEG file";
};

[[noreturn]] void OnJpegError(j_common_ptr info) {
    auto* error = reinterpret_cast<JpegError*>(info->err);
    (*info->err->format_message)(info, error->message);
    std::longjmp(error->jump, 1);
}

// Level -1 is a warning about corrupt data, which the decoder would paint
// over; it fails the read instead. Other levels are trace messages.
void OnJpegMessage(j_common_ptr info, int level) {
    if (level < 0) OnJpegError(info);
}

// Everything written after the jump point lives in the caller's frame.
struct DecodedJpeg {
    jpeg_decompress_struct info{};
    uint32_t width = 0;
    uint32_t height = 0;
    std::vector<uint8_t> pixels;
};

bool DecodeJpeg(std::FILE* file, DecodedJpeg& decoded, JpegError& error) {
    jpeg_decompress_struct& info = decoded.info;
    info.err = jpeg_std_error(&error.manager);
    error.manager.error_exit = OnJpegError;
    error.manager.emit_message = OnJpegMessage;
    if (setjmp(error.jump)) {
        jpeg_destroy_decompress(&info);
        return false;
    }
    jpeg_create_decompress(&info);
    jpeg_stdio_src(&info, file);
    jpeg_read_header(&info, TRUE);
    if (info.jpeg_color_space == JCS_CMYK || info.jpeg_color_space == JCS_YCCK) {
        std::snprintf(error.message, sizeof error.message, "CMYK JPEG files are not supported");
        jpeg_destroy_decompress(&info);
        return false;
    }
    info.out_color_space = JCS_EXT_BGR;
    jpeg_start_decompress(&info);
    decoded.width = info.output_width;
    decoded.height = info.output_height;
    if (!FitsAPicture(decoded.width, decoded.height)) {
        std::snprintf(error.message, sizeof error.message,
                      "the picture is too large for the library");
        jpeg_destroy_decompress(&info);
        return false;
    }
    const size_t rowBytes = 3 * size_t{decoded.width};
    try {
        decoded.pixels.resize(rowBytes * decoded.height);
    } catch (...) {
        jpeg_destroy_decompress(&info);
        throw;
    }
    while (info.output_scanline < info.output_height) {
        JSAMPROW row = &decoded.pixels[rowBytes * info.output_scanline];
        jpeg_read_scanlines(&info, &row, 1);
    }
    jpeg_finish_decompress(&info);
    jpeg_destroy_decompress(&info);
    return true;
}

} // namespace

PictureHolder ReadJpeg(std::FILE* file, std::string& error) {
    DecodedJpeg decoded;
    JpegError failure;
    if (!DecodeJpeg(file, decoded, failure)) {
        error = std::string("bad JPEG file: ") + failure.message;
        return nullptr;
    }
    const auto width = static_cast<int32_t>(decoded.width);
    const auto height = static_cast<int32_t>(decoded.height);
    PictureHolder picture(bitmap::NewPixelBitmap(width, height));
    picture->SetLayout(bitmap::BitmapLayout::Bits24);
    const size_t rowBytes = 3 * static_cast<size_t>(width);
    for (int32_t y = 0; y < height; ++y) {
        const uint8_t* from = &decoded.pixels[rowBytes * static_cast<size_t>(y)];
        std::copy(from, from + rowBytes, picture->ScanLine(y));
    }
    return picture;
}

} // namespace gleamkit::tools
