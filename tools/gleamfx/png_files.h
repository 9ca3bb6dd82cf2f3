// PNG reading and writing through libpng, under the rules of
// picture_files.h. libpng reports errors by a long jump; it lands in the one
// function that called into libpng, whose state lives outside its own frame,
// and the error comes back as text.
#pragma once

#include <cstdio>
#include <string>

#include "tools/gleamfx/gleamfx.h"

namespace gleamkit::tools {

// Reads a whole PNG file into a new Bits24 picture; empty with a reason on
// failure.
PictureHolder ReadPng(std::FILE* file, std::string& error);

// Writes the Bits24 `picture` as an 8-bit RGB PNG into `file`.
bool WritePng(bitmap::PixelBitmap& picture, std::FILE* file, std::string& error);

} // namespace gleamkit::tools
