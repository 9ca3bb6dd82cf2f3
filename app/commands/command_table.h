// The desktop program's command table: every leaf of its "Effects" menu, by
// menu item index (6 ... 99), with the one operation it runs, its fixed
// arguments and how its pictures are wired. The program's menu handlers and
// `gleamfx command` run this same table through ApplyCommand, so the command
// line reproduces any menu command bit for bit.
//
// Depends only on the effects library and the bitmap layer, never on the
// window kit, so command-line tools can link it.
//
// Usage:
//   const Command* command = FindCommand(37);          // "Gaussian blur"
//   ApplyCommand(*command, *picture, nullptr);          // changes `picture`
#pragma once

#include <cstdint>
#include <span>
#include <string_view>

#include "bitmap/pixel_bitmap.h"

namespace gleamkit::app {

// How a command hands pictures to its operation.
enum class CommandKind : uint8_t {
    Plain,         // the working picture, changed in place
    Copy,          // (copy, working picture): a fresh copy is the source
    SecondPicture, // a copy and a second picture from a file the user picks
    Doubled,       // "Strecth": resampled into a picture twice as wide and high
};

// The pictures one run hands to a row's call. `copy` is set for the kinds
// Copy and SecondPicture, `second` for SecondPicture only, `doubled` for
// Doubled only.
struct CommandPictures {
    bitmap::PixelBitmap& work;
    bitmap::PixelBitmap* copy;
    bitmap::PixelBitmap* second;
    bitmap::PixelBitmap* doubled;
};

struct Command {
    int32_t index;            // the item index in the main menu
    std::string_view caption; // the captions under "Effects", joined by " > "
    std::string_view call;    // the operation and its arguments, for listings
    CommandKind kind;
    void (*run)(const CommandPictures& pictures);
};

// Every command, in increasing index order.
std::span<const Command> Commands();

// The command of menu item `index`, or nullptr (sub-menu parents, separators,
// the "File" and "Undo" items, numbers outside 6 ... 99).
const Command* FindCommand(int32_t index);

// Runs `command` on `work` as the program does: makes the temporary pictures
// its kind needs (a copy of `work`; for Doubled a picture of twice the size,
// which `work` takes over afterwards), calls the operation and frees the
// temporaries on every exit. `second` must be a picture for the kind
// SecondPicture and is only read. Whatever the operation raises passes
// through (Error from the library, std::bad_alloc when memory runs out);
// `work` may then be left part-changed, so callers that must survive a
// failure keep their own copy.
void ApplyCommand(const Command& command, bitmap::PixelBitmap& work, bitmap::PixelBitmap* second);

} // namespace gleamkit::app
