// Pixel layouts of the graphics layer and the conversions between them: raw
// pixel values read and written a row span at a time, colours decoded to and
// encoded from BGRX, the fixed palettes of 1-, 4- and 8-bit targets and the
// nearest-entry search (squared RGB distance, ties to the lower index).
// Internal to platform/gdi.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <vector>

#include "platform/win32_types.h"

namespace gdi {

// A colour as the 32-bit pixel of the screen holds it: blue in the low byte,
// then green, then red; the top byte is 0.
using Bgrx = uint32_t;

constexpr Bgrx MakeBgrx(uint32_t r, uint32_t g, uint32_t b) {
    return b | (g << 8) | (r << 16);
}
constexpr Bgrx BgrxFromColorref(COLORREF c) {
    return ((c & 0xFF) << 16) | (c & 0xFF00) | ((c >> 16) & 0xFF);
}
constexpr COLORREF ColorrefFromBgrx(Bgrx v) {
    return ((v & 0xFF) << 16) | (v & 0xFF00) | ((v >> 16) & 0xFF);
}

// How a surface stores its pixels.
struct PixelFormat {
    int bitsPerPixel = 32;       // 1, 4, 8, 16, 24 or 32
    bool monochrome = false;     // a 1-bit device bitmap: blits use the colour/mono rules
    uint32_t redMask = 0xFF0000; // 16 and 32 bits
    uint32_t greenMask = 0x00FF00;
    uint32_t blueMask = 0x0000FF;
    int colorCount = 0;                // 1, 4 and 8 bits
    std::array<Bgrx, 256> colors = {}; // entries past colorCount are black

    // All bits a pixel value may carry (0xFFFFFF for 24 and 32 bits).
    uint32_t ValueMask() const;
    bool SameLayout(const PixelFormat& other) const;
};

PixelFormat MakeRgbFormat(int bitsPerPixel); // 16 (5-5-5), 24 or 32 bits
PixelFormat MakeMonochromeFormat();          // 1-bit device bitmap, black and white
// 1, 4 or 8 bits with the fixed palette that conversions to such targets use.
PixelFormat MakeFixedPaletteFormat(int bitsPerPixel);

// The fixed palettes: black and white; the sixteen classic colours; a 6x6x6
// colour cube (index 36r + 6g + b, levels 0, 51, ..., 255) and a grey ramp.
const std::array<Bgrx, 2>& FixedPalette1();
const std::array<Bgrx, 16>& FixedPalette4();
const std::array<Bgrx, 256>& FixedPalette8();

// Bytes per row, whole 32-bit words; 0 when the row would exceed 2^31 bytes.
size_t RowBytes(int width, int bitsPerPixel);

// Raw pixel values of row span [x0, x0 + count).
void ReadValues(const PixelFormat& format, const BYTE* row, int x0, int count, uint32_t* out);
void WriteValues(const PixelFormat& format, BYTE* row, int x0, int count, const uint32_t* in);
uint32_t ReadValue(const PixelFormat& format, const BYTE* row, int x);
void WriteValue(const PixelFormat& format, BYTE* row, int x, uint32_t value);

struct CubeTables;

// The nearest entry of a colour table; fast for the fixed palettes, memoised
// for any other table. Keep one per operation, not per pixel.
class PaletteMatcher {
public:
    PaletteMatcher(const Bgrx* colors, int count);
    uint32_t Match(Bgrx color);

private:
    enum class Kind { Fixed1, Fixed8, General };
    uint32_t MatchGeneral(Bgrx color) const;
    Kind m_kind;
    const Bgrx* m_colors;
    int m_count;
    const CubeTables* m_cube = nullptr;
    std::vector<uint64_t> m_cache; // colour + 1 in the high half, index in the low
};

// Colour <-> pixel value for one format.
class ColorCodec {
public:
    explicit ColorCodec(const PixelFormat& format);
    Bgrx Decode(uint32_t value) const;
    uint32_t Encode(Bgrx color);
    void DecodeRow(const BYTE* row, int x0, int count, Bgrx* out) const;
    void EncodeRow(const Bgrx* in, int count, BYTE* row, int x0);
    // Turns colours into pixel values in place.
    void EncodeValues(uint32_t* values, int count);

private:
    struct Channel {
        uint32_t mask = 0;
        int shift = 0;
        int bits = 0;
        std::array<uint8_t, 256> widen = {}; // channel value -> 8 bits, for bits <= 8
        uint32_t Decode(uint32_t value) const;
        uint32_t Encode(uint32_t byte) const;
    };
    const PixelFormat& m_format;
    bool m_plainRgb; // 24 or 32 bits with the standard masks
    Channel m_red, m_green, m_blue;
    PaletteMatcher m_matcher;
};

// Converts `count` pixels from one row layout to another (the conversion core
// of GetDIBits, SetDIBits and CopyImage). Same layouts copy bytes.
class RowConverter {
public:
    RowConverter(const PixelFormat& from, const PixelFormat& to);
    // `source` and `target` must not overlap.
    void Convert(const BYTE* source, BYTE* target, int count);

private:
    enum class Path { Copy, Rgb24To32, Rgb32To24, General };
    Path m_path;
    const PixelFormat& m_from;
    const PixelFormat& m_to;
    ColorCodec m_decoder;
    ColorCodec m_encoder;
    std::vector<Bgrx> m_scratch;
};

} // namespace gdi
