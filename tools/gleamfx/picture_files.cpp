// The choice by extension, and the one place where an output file is opened
// for any kind: through OutputFile, so a failed write never harms the path.
#include "tools/gleamfx/picture_files.h"

#include <algorithm>
#include <cctype>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <memory>

#include "tools/gleamfx/bmp_writer.h"
#include "tools/gleamfx/jpeg_files.h"
#include "tools/gleamfx/output_file.h"
#include "tools/gleamfx/png_files.h"

namespace gleamkit::tools {

namespace {

std::string LowerExtension(const std::string& path) {
    const size_t slash = path.find_last_of('/');
    const size_t dot = path.find_last_of('.');
    if (dot == std::string::npos || (slash != std::string::npos && dot < slash)) return "";
    std::string extension = path.substr(dot);
    std::transform(extension.begin(), extension.end(), extension.begin(),
                   [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    return extension;
}

struct FileClose {
    void operator()(std::FILE* file) const { std::fclose(file); }
};

} // namespace

FileKind KindOfPath(const std::string& path) {
    const std::string extension = LowerExtension(path);
    if (extension == ".png") return FileKind::Png;
    if (extension == ".jpg" || extension == ".jpeg") return FileKind::Jpeg;
    return FileKind::Bitmap;
}

PictureHolder ReadPicture(const std::string& path, std::string& error) {
    const std::unique_ptr<std::FILE, FileClose> file(std::fopen(path.c_str(), "rb"));
    if (!file) {
        error = std::string("cannot open the file: ") + std::strerror(errno);
        return nullptr;
    }
    const FileKind kind = KindOfPath(path);
    if (kind == FileKind::Png) return ReadPng(file.get(), error);
    if (kind == FileKind::Jpeg) return ReadJpeg(file.get(), error);
    PictureHolder picture(bitmap::NewPixelBitmap(0, 0));
    if (picture->LoadFromFile(path.c_str()) && !picture->Empty()) return picture;
    error = "not a bitmap file this reader accepts";
    return nullptr;
}

bool WritePicture(bitmap::PixelBitmap& picture, const std::string& path, std::string& error) {
    const FileKind kind = KindOfPath(path);
    if (kind == FileKind::Bitmap) return WriteBmp24(picture, path, error);
    if (kind == FileKind::Jpeg) {
        error = "gleamfx writes bitmap and PNG files, not JPEG";
        return false;
    }
    if (picture.Empty()) {
        error = "the picture is empty";
        return false;
    }
    if (picture.Layout() != bitmap::BitmapLayout::Bits24)
        picture.SetLayout(bitmap::BitmapLayout::Bits24);
    OutputFile output;
    if (!output.Open(path, error)) return false;
    if (!WritePng(picture, output.Stream(), error)) return false;
    return output.Commit(error);
}

} // namespace gleamkit::tools
