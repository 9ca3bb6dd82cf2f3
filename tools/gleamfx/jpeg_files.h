// JPEG reading through libjpeg, under the rules of picture_files.h. libjpeg
// reports errors by a long jump; it lands in the one function that called
// into libjpeg, whose state lives outside its own frame, and the error comes
// back as text.
#pragma once

#include <cstdio>
#include <string>

#include "tools/gleamfx/gleamfx.h"

namespace gleamkit::tools {

// Reads a whole JPEG file into a new Bits24 picture; empty with a reason on
// failure. Corrupt data that the decoder would only warn about (and paint
// grey) fails too: a damaged file is not a picture.
PictureHolder ReadJpeg(std::FILE* file, std::string& error);

} // namespace gleamkit::tools
