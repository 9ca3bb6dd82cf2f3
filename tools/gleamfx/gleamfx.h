// gleamfx, the command-line tool over the effects library: inspect, convert,
// draw the sample picture and apply any registry operation to bitmap files.
// RunGleamfx is the whole program; main() only hands it the arguments, so
// tests drive it directly.
//
// Exit statuses: 0 on success; 1 with one line on `err` when a file cannot be
// read or written or the operation raises; 2 for usage errors, with the
// reason and the usage text on `err`.
#pragma once

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

struct PictureFree {
    void operator()(bitmap::PixelBitmap* picture) const { Free(picture); }
};
// Owns a picture for the length of a command.
using PictureHolder = std::unique_ptr<bitmap::PixelBitmap, PictureFree>;

// Reads a bitmap file in its own layout; an empty holder when the file cannot
// be read or holds no picture.
PictureHolder LoadPicture(const std::string& path);

} // namespace gleamkit::tools
