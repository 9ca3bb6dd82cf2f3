// gleamfx, the command-line tool over the effects library: inspect, convert,
// draw the sample picture and apply any registry operation to bitmap files.
// RunGleamfx is the whole program; main() only hands it the arguments, so
// tests drive it directly.
//
// Exit statuses: 0 on success; 1 with one line on `err` when a file cannot be
// read or written or the operation raises; 2 for usage errors, with the
// reason and the usage text on `err`.
#pragma once

#include <cstdint>
#include <iosfwd>
#include <memory>
#include <span>
#include <string>

#include "bitmap/pixel_bitmap.h"

namespace gleamkit::tools {

inline constexpr int kExitOk = 0;
inline constexpr int kExitFailure = 1;
inline constexpr int kExitUsage = 2;

// Runs one gleamfx command; `args` are the words after the program name.
int RunGleamfx(std::span<const std::string> args, std::ostream& out, std::ostream& err);

// The apply command (`args` are the words after "apply"); see docs/CLI.md.
int RunApply(std::span<const std::string> args, std::ostream& err);

// The command command (`args` are the words after "command"): one of the
// desktop program's menu commands by item index; see docs/CLI.md.
int RunCommand(std::span<const std::string> args, std::ostream& err);

// One line per menu command: index, caption path, operation and arguments.
void ListCommands(std::ostream& out);

// Writes "gleamfx: <reason>" and the usage text to `err`; answers kExitUsage.
int UsageError(std::ostream& err, const std::string& reason);

// Writes "gleamfx: <message>" to `err`; answers kExitFailure.
int Failure(std::ostream& err, const std::string& message);

// The failure for a picture whose memory could not be had: "gleamfx: not
// enough memory for a W × H picture"; answers kExitFailure.
int OutOfMemory(std::ostream& err, int64_t width, int64_t height);

struct PictureFree {
    void operator()(bitmap::PixelBitmap* picture) const { Free(picture); }
};
// Owns a picture for the length of a command.
using PictureHolder = std::unique_ptr<bitmap::PixelBitmap, PictureFree>;

// Reads a picture file (a bitmap file in its own layout, or a PNG or JPEG as
// 24 bits; see picture_files.h); an empty holder when the file cannot be read
// or holds no picture, with the reason in `*reason` when given.
PictureHolder LoadPicture(const std::string& path, std::string* reason = nullptr);

// Reads IN into `picture` and, when `needsSecond`, `secondPath` into `second`;
// a second picture given to something that takes none, or missing where one
// is needed, is a usage error naming `name`. Answers 0 when everything was
// read, otherwise the exit status to end with (its line written to `err`).
int ReadInputPictures(const std::string& inPath, const std::string& secondPath, bool needsSecond,
                      const std::string& name, PictureHolder& picture, PictureHolder& second,
                      std::ostream& err);

} // namespace gleamkit::tools
