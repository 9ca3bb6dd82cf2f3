// The effects registry: one table of every operation with its parameters, the
// values the desktop program passes, how its pictures are wired, and an
// invoker. gleamfx, the benchmarks and the tests iterate this table; nothing
// else keeps its own list of operations.
//
// Each family file (noise_tone.cpp, convolution.cpp, ...) defines its rows in a
// function declared in families.h; registry.cpp joins them in family order.
#pragma once

#include <cstdint>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "base/color.h"
#include "base/rect.h"
#include "bitmap/pixel_bitmap.h"

namespace gleamkit::fx {

enum class ParamKind : uint8_t {
    Int,    // signed 32-bit, decimal
    Float,  // extended precision, decimal
    Color,  // 0x00BBGGRR
    Rect,   // four integers: left top right bottom
    Filter, // a ResamplingFilters row, by name or position
};

struct ParamSpec {
    std::string_view name;
    ParamKind kind;
    // The desktop program's value, as gleamfx would read it ("100", "0x00FF0000",
    // "0 0 50 50", "Lanczos3").
    std::string_view programValue;
};

// How the desktop program hands pictures to the operation.
enum class Wiring : uint8_t {
    OnePicture,       // (picture): changed in place
    SourceToPicture,  // (copy of picture, picture)
    CopySecondPicture, // (copy, second, picture): Blend, FoldRight, Grow
    SecondCopyPicture, // (second, copy, picture): Plasma
    IntoNewPicture,   // (picture as source, new picture sized by the first two
                      // arguments): Stretch, SmoothResize
};

struct ArgValue {
    int32_t i = 0;
    long double f = 0.0L;
    Rect rect{};
};

// The pictures an invoker works on; which ones are set follows the wiring.
struct Pictures {
    bitmap::PixelBitmap* picture = nullptr; // the working picture (the output)
    bitmap::PixelBitmap* copy = nullptr;    // a fresh copy of the working picture
    bitmap::PixelBitmap* second = nullptr;  // the second file's picture
};

using Invoker = void (*)(const Pictures& pictures, std::span<const ArgValue> args);

struct Operation {
    std::string_view name;
    std::vector<ParamSpec> params;
    Wiring wiring;
    Invoker invoke;
};

// Every operation, in family order.
std::span<const Operation> Operations();

// The operation named exactly `name`, or nullptr.
const Operation* FindOperation(std::string_view name);

// Reads one argument of the given kind; false when the text does not fit it.
// A Rect takes four whitespace-separated integers in one text.
bool ParseArg(ParamKind kind, std::string_view text, ArgValue& out);

} // namespace gleamkit::fx
