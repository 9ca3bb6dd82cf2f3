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

struct ArgValue;

// Works out an argument the desktop program takes from the working picture
// itself (the colour at (10, 10), an area from the picture's size).
using ProgramValueFn = ArgValue (*)(bitmap::PixelBitmap& picture);

struct ParamSpec {
    std::string_view name;
    ParamKind kind;
    // The desktop program's value, as gleamfx would read it ("100", "0x00FF0000",
    // "0 0 50 50", "Lanczos3"). When `derive` is set this is only a description
    // for listings ("W/4 H/4 W/2 H/2").
    std::string_view programValue;
    // Set when the desktop program computes the value from the working picture;
    // it is then called on the picture before the operation runs.
    ProgramValueFn derive = nullptr;
};

// How the desktop program hands pictures to the operation.
enum class Wiring : uint8_t {
    OnePicture,        // (picture): changed in place
    SourceToPicture,   // (copy of picture, picture)
    CopySecondPicture, // (copy, second, picture): Blend, FoldRight, Grow
    SecondCopyPicture, // (second, copy, picture): Plasma
    IntoNewPicture,    // Stretch, SmoothResize: the invoker gets only `picture`,
                       // makes a new picture sized by its first two arguments,
                       // runs the operation from `picture` into it, then
                       // `picture->Assign(new)` and frees it. Callers treat it
                       // as OnePicture; the picture's size changes.
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
// Int: a decimal signed 32-bit value. Float: a finite decimal number (digits,
// sign, point, exponent) read into long double. Color: 0x followed by one to
// eight hexadecimal digits, or a decimal value from -2^31 to 2^32 - 1 (its
// 32-bit pattern). Rect: four integers in one text, separated by whitespace
// or commas. Filter: a ResamplingFilters row by name or position.
bool ParseArg(ParamKind kind, std::string_view text, ArgValue& out);

// An Int argument the operation takes as an unsigned byte. Throws
// gleamkit::Error naming the parameter when it lies outside 0...255, rather
// than wrapping it.
uint8_t ByteArg(const ArgValue& arg, const char* name);

// The arguments the desktop program passes to `operation` on `picture`, in
// parameter order (derived ones computed from `picture`, which is not
// changed). False when a program value does not parse.
bool ProgramArgs(const Operation& operation, bitmap::PixelBitmap& picture,
                 std::vector<ArgValue>& out);

// True when the operation's wiring needs a second picture.
bool NeedsSecondPicture(Wiring wiring);

// One run of an operation wired as the desktop program wires it. Made before
// the run: it takes a fresh copy of `picture` where the wiring reads one (and
// owns and frees it). `picture` is the working picture and the output; it
// must outlive this object, as must `second`, which the second-picture
// wirings require (nullptr is accepted only for the other wirings).
class WiredRun {
public:
    WiredRun(const Operation& operation, bitmap::PixelBitmap& picture, bitmap::PixelBitmap* second);
    ~WiredRun();
    WiredRun(const WiredRun&) = delete;
    WiredRun& operator=(const WiredRun&) = delete;

    // Calls the operation once with `args` (one per parameter, in order).
    // Whatever the operation raises passes through.
    void Invoke(std::span<const ArgValue> args) const;

private:
    const Operation& m_operation;
    Pictures m_pictures;
};

} // namespace gleamkit::fx
