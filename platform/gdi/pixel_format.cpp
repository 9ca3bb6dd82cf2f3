// Pixel layouts, fixed palettes and colour conversions of the graphics layer.
// Every row walk picks its per-layout loop once per row; nothing is allocated
// or switched per pixel.
#include "platform/gdi/pixel_format.h"

#include <algorithm>
#include <bit>
#include <cstring>

namespace gdi {
namespace {

constexpr std::array<Bgrx, 2> kPalette1 = {MakeBgrx(0, 0, 0), MakeBgrx(255, 255, 255)};

constexpr std::array<Bgrx, 16> kPalette4 = {
    MakeBgrx(0, 0, 0),       MakeBgrx(128, 0, 0),   MakeBgrx(0, 128, 0),   MakeBgrx(128, 128, 0),
    MakeBgrx(0, 0, 128),     MakeBgrx(128, 0, 128), MakeBgrx(0, 128, 128), MakeBgrx(192, 192, 192),
    MakeBgrx(128, 128, 128), MakeBgrx(255, 0, 0),   MakeBgrx(0, 255, 0),   MakeBgrx(255, 255, 0),
    MakeBgrx(0, 0, 255),     MakeBgrx(255, 0, 255), MakeBgrx(0, 255, 255), MakeBgrx(255, 255, 255),
};

constexpr int kCubeStep = 51;
constexpr int kGreyCount = 40;
constexpr int kCubeCount = 216;

// Grey k of the ramp: 40 greys evenly between black and white, none of them
// equal to a grey of the cube (those are multiples of 51).
constexpr uint32_t GreyLevel(int k) {
    return static_cast<uint32_t>(((k + 1) * 255 + 20) / 41);
}

std::array<Bgrx, 256> MakePalette8() {
    std::array<Bgrx, 256> palette = {};
    for (int i = 0; i < kCubeCount; ++i) {
        palette[i] = MakeBgrx((i / 36) * kCubeStep, (i / 6 % 6) * kCubeStep, (i % 6) * kCubeStep);
    }
    for (int k = 0; k < kGreyCount; ++k) {
        const uint32_t g = GreyLevel(k);
        palette[kCubeCount + k] = MakeBgrx(g, g, g);
    }
    return palette;
}

// Among greys, the squared distance to (r, g, b) is 3v^2 - 2v(r+g+b) plus a
// term common to all of them, so the nearest grey depends on the sum alone.
std::array<uint8_t, 766> MakeGreyForSum() {
    std::array<uint8_t, 766> table = {};
    for (int sum = 0; sum < 766; ++sum) {
        int64_t best = INT64_MAX;
        for (int k = 0; k < kGreyCount; ++k) {
            const int64_t v = GreyLevel(k);
            const int64_t cost = 3 * v * v - 2 * v * sum;
            if (cost < best) {
                best = cost;
                table[sum] = static_cast<uint8_t>(k);
            }
        }
    }
    return table;
}

int SquaredDistance(Bgrx a, Bgrx b) {
    const int db = static_cast<int>(a & 0xFF) - static_cast<int>(b & 0xFF);
    const int dg = static_cast<int>((a >> 8) & 0xFF) - static_cast<int>((b >> 8) & 0xFF);
    const int dr = static_cast<int>((a >> 16) & 0xFF) - static_cast<int>((b >> 16) & 0xFF);
    return db * db + dg * dg + dr * dr;
}

} // namespace

// Per channel value: the nearest cube level (51 is odd, so a value is never
// halfway between two levels) and the squared distance to it.
struct CubeTables {
    std::array<uint8_t, 256> level = {};
    std::array<uint16_t, 256> error = {};
    std::array<uint8_t, 766> greyForSum = {};
    CubeTables() : greyForSum(MakeGreyForSum()) {
        for (int v = 0; v < 256; ++v) {
            const int q = v / kCubeStep + (v % kCubeStep > kCubeStep / 2);
            level[v] = static_cast<uint8_t>(q);
            error[v] = static_cast<uint16_t>((v - q * kCubeStep) * (v - q * kCubeStep));
        }
    }
};

namespace {

const CubeTables& Cube() {
    static const CubeTables tables;
    return tables;
}

uint32_t NearestFixed8(const CubeTables& cube, Bgrx color) {
    const int b = color & 0xFF, g = (color >> 8) & 0xFF, r = (color >> 16) & 0xFF;
    // The cube is separable: each channel takes its nearest level.
    const int cubeDistance = cube.error[r] + cube.error[g] + cube.error[b];
    const int k = cube.greyForSum[r + g + b];
    const int v = static_cast<int>(GreyLevel(k));
    const int greyDistance = (r - v) * (r - v) + (g - v) * (g - v) + (b - v) * (b - v);
    // Greys come after the cube, so a tie goes to the cube.
    if (greyDistance < cubeDistance) return static_cast<uint32_t>(kCubeCount + k);
    return static_cast<uint32_t>(cube.level[r] * 36 + cube.level[g] * 6 + cube.level[b]);
}

uint8_t WidenBits(uint32_t value, int bits) {
    if (bits <= 0) return 0;
    if (bits >= 8) return static_cast<uint8_t>(value >> (bits - 8));
    // Repeat the value's bits until a byte is full: 5-bit 10110 -> 10110101.
    uint32_t result = 0;
    int filled = 0;
    while (filled < 8) {
        result = (result << bits) | value;
        filled += bits;
    }
    return static_cast<uint8_t>(result >> (filled - 8));
}

bool IsPlainRgb(const PixelFormat& f) {
    return (f.bitsPerPixel == 24) || (f.bitsPerPixel == 32 && f.redMask == 0xFF0000 &&
                                      f.greenMask == 0x00FF00 && f.blueMask == 0x0000FF);
}

// 24-bit rows to 32-bit values and back, four pixels (three words) at a time.
void Unpack24(const BYTE* source, uint32_t* out, int count) {
    int i = 0;
    for (; i + 4 <= count; i += 4) {
        uint32_t a, b, c;
        std::memcpy(&a, source + 3 * i, 4);
        std::memcpy(&b, source + 3 * i + 4, 4);
        std::memcpy(&c, source + 3 * i + 8, 4);
        out[i] = a & 0xFFFFFF;
        out[i + 1] = (a >> 24) | ((b & 0xFFFF) << 8);
        out[i + 2] = (b >> 16) | ((c & 0xFF) << 16);
        out[i + 3] = c >> 8;
    }
    for (; i < count; ++i) {
        const BYTE* p = source + 3 * i;
        out[i] = p[0] | (p[1] << 8) | (static_cast<uint32_t>(p[2]) << 16);
    }
}

void Pack24(const uint32_t* in, BYTE* target, int count) {
    int i = 0;
    for (; i + 4 <= count; i += 4) {
        const uint32_t a = (in[i] & 0xFFFFFF) | (in[i + 1] << 24);
        const uint32_t b = ((in[i + 1] >> 8) & 0xFFFF) | (in[i + 2] << 16);
        const uint32_t c = ((in[i + 2] >> 16) & 0xFF) | (in[i + 3] << 8);
        std::memcpy(target + 3 * i, &a, 4);
        std::memcpy(target + 3 * i + 4, &b, 4);
        std::memcpy(target + 3 * i + 8, &c, 4);
    }
    for (; i < count; ++i) {
        target[3 * i] = static_cast<BYTE>(in[i]);
        target[3 * i + 1] = static_cast<BYTE>(in[i] >> 8);
        target[3 * i + 2] = static_cast<BYTE>(in[i] >> 16);
    }
}

} // namespace

const std::array<Bgrx, 2>& FixedPalette1() {
    return kPalette1;
}
const std::array<Bgrx, 16>& FixedPalette4() {
    return kPalette4;
}
const std::array<Bgrx, 256>& FixedPalette8() {
    static const std::array<Bgrx, 256> palette = MakePalette8();
    return palette;
}

uint32_t PixelFormat::ValueMask() const {
    switch (bitsPerPixel) {
    case 1:
        return 0x1;
    case 4:
        return 0xF;
    case 8:
        return 0xFF;
    case 16:
        return (redMask | greenMask | blueMask) & 0xFFFF;
    case 24:
        return 0xFFFFFF;
    default:
        return redMask | greenMask | blueMask;
    }
}

bool PixelFormat::SameLayout(const PixelFormat& other) const {
    if (bitsPerPixel != other.bitsPerPixel) return false;
    if (bitsPerPixel <= 8) {
        const size_t entries = size_t{1} << bitsPerPixel;
        return std::memcmp(colors.data(), other.colors.data(), entries * sizeof(Bgrx)) == 0;
    }
    if (bitsPerPixel == 24) return true;
    return redMask == other.redMask && greenMask == other.greenMask && blueMask == other.blueMask;
}

PixelFormat MakeRgbFormat(int bitsPerPixel) {
    PixelFormat format;
    format.bitsPerPixel = bitsPerPixel;
    if (bitsPerPixel == 16) {
        format.redMask = 0x7C00;
        format.greenMask = 0x03E0;
        format.blueMask = 0x001F;
    }
    return format;
}

PixelFormat MakeMonochromeFormat() {
    PixelFormat format = MakeFixedPaletteFormat(1);
    format.monochrome = true;
    return format;
}

PixelFormat MakeFixedPaletteFormat(int bitsPerPixel) {
    PixelFormat format;
    format.bitsPerPixel = bitsPerPixel;
    format.redMask = format.greenMask = format.blueMask = 0;
    if (bitsPerPixel == 1) {
        std::copy(kPalette1.begin(), kPalette1.end(), format.colors.begin());
        format.colorCount = 2;
    } else if (bitsPerPixel == 4) {
        std::copy(kPalette4.begin(), kPalette4.end(), format.colors.begin());
        format.colorCount = 16;
    } else {
        format.colors = FixedPalette8();
        format.colorCount = 256;
    }
    return format;
}

size_t RowBytes(int width, int bitsPerPixel) {
    if (width < 0) return 0;
    const uint64_t bytes = ((static_cast<uint64_t>(width) * bitsPerPixel + 31) >> 3) & ~uint64_t{3};
    return bytes > (uint64_t{1} << 31) ? 0 : static_cast<size_t>(bytes);
}

// ---------------------------------------------------------------------------
// Raw values

void ReadValues(const PixelFormat& format, const BYTE* row, int x0, int count, uint32_t* out) {
    switch (format.bitsPerPixel) {
    case 1:
        for (int i = 0; i < count; ++i) {
            const int x = x0 + i;
            out[i] = (row[x >> 3] >> (7 - (x & 7))) & 1;
        }
        break;
    case 4:
        for (int i = 0; i < count; ++i) {
            const int x = x0 + i;
            out[i] = (x & 1) ? (row[x >> 1] & 0xF) : (row[x >> 1] >> 4);
        }
        break;
    case 8:
        for (int i = 0; i < count; ++i) out[i] = row[x0 + i];
        break;
    case 16: {
        const uint32_t mask = format.ValueMask();
        const BYTE* p = row + 2 * static_cast<size_t>(x0);
        for (int i = 0; i < count; ++i) out[i] = (p[2 * i] | (p[2 * i + 1] << 8)) & mask;
        break;
    }
    case 24:
        Unpack24(row + 3 * static_cast<size_t>(x0), out, count);
        break;
    default: {
        const uint32_t mask = format.ValueMask();
        const BYTE* p = row + 4 * static_cast<size_t>(x0);
        for (int i = 0; i < count; ++i) {
            uint32_t v;
            std::memcpy(&v, p + 4 * i, 4);
            out[i] = v & mask;
        }
        break;
    }
    }
}

void WriteValues(const PixelFormat& format, BYTE* row, int x0, int count, const uint32_t* in) {
    switch (format.bitsPerPixel) {
    case 1:
        for (int i = 0; i < count; ++i) {
            const int x = x0 + i;
            const int shift = 7 - (x & 7);
            row[x >> 3] = static_cast<BYTE>((row[x >> 3] & ~(1 << shift)) | ((in[i] & 1) << shift));
        }
        break;
    case 4:
        for (int i = 0; i < count; ++i) {
            const int x = x0 + i;
            BYTE& b = row[x >> 1];
            b = (x & 1) ? static_cast<BYTE>((b & 0xF0) | (in[i] & 0xF))
                        : static_cast<BYTE>((b & 0x0F) | ((in[i] & 0xF) << 4));
        }
        break;
    case 8:
        for (int i = 0; i < count; ++i) row[x0 + i] = static_cast<BYTE>(in[i]);
        break;
    case 16: {
        const uint32_t mask = format.ValueMask();
        BYTE* p = row + 2 * static_cast<size_t>(x0);
        for (int i = 0; i < count; ++i) {
            const uint32_t v = in[i] & mask;
            p[2 * i] = static_cast<BYTE>(v);
            p[2 * i + 1] = static_cast<BYTE>(v >> 8);
        }
        break;
    }
    case 24:
        Pack24(in, row + 3 * static_cast<size_t>(x0), count);
        break;
    default: {
        const uint32_t mask = format.ValueMask();
        BYTE* p = row + 4 * static_cast<size_t>(x0);
        for (int i = 0; i < count; ++i) {
            const uint32_t v = in[i] & mask;
            std::memcpy(p + 4 * i, &v, 4);
        }
        break;
    }
    }
}

uint32_t ReadValue(const PixelFormat& format, const BYTE* row, int x) {
    uint32_t value;
    ReadValues(format, row, x, 1, &value);
    return value;
}

void WriteValue(const PixelFormat& format, BYTE* row, int x, uint32_t value) {
    WriteValues(format, row, x, 1, &value);
}

// ---------------------------------------------------------------------------
// Palette matching

PaletteMatcher::PaletteMatcher(const Bgrx* colors, int count)
    : m_kind(Kind::General), m_colors(colors), m_count(count) {
    if (count == 2 && std::memcmp(colors, kPalette1.data(), sizeof kPalette1) == 0) {
        m_kind = Kind::Fixed1;
    } else if (count == 256 &&
               std::memcmp(colors, FixedPalette8().data(), sizeof(Bgrx) * 256) == 0) {
        m_kind = Kind::Fixed8;
        m_cube = &Cube();
    }
}

uint32_t PaletteMatcher::Match(Bgrx color) {
    switch (m_kind) {
    case Kind::Fixed1: {
        // White only when strictly nearer than black.
        return SquaredDistance(color, kPalette1[1]) < SquaredDistance(color, kPalette1[0]) ? 1 : 0;
    }
    case Kind::Fixed8:
        return NearestFixed8(*m_cube, color);
    case Kind::General:
        break;
    }
    if (m_count <= 0) return 0;
    if (m_cache.empty()) m_cache.assign(4096, 0);
    const size_t slot = (color * 2654435761u) >> 20 & 4095;
    const uint64_t key = static_cast<uint64_t>(color) + 1;
    if ((m_cache[slot] >> 32) == key) return static_cast<uint32_t>(m_cache[slot]);
    const uint32_t index = MatchGeneral(color);
    m_cache[slot] = (key << 32) | index;
    return index;
}

uint32_t PaletteMatcher::MatchGeneral(Bgrx color) const {
    uint32_t best = 0;
    int bestDistance = SquaredDistance(color, m_colors[0]);
    for (int i = 1; i < m_count && bestDistance > 0; ++i) {
        const int d = SquaredDistance(color, m_colors[i]);
        if (d < bestDistance) {
            bestDistance = d;
            best = static_cast<uint32_t>(i);
        }
    }
    return best;
}

// ---------------------------------------------------------------------------
// Colour codec

uint32_t ColorCodec::Channel::Decode(uint32_t value) const {
    const uint32_t v = (value & mask) >> shift;
    return bits <= 8 ? widen[v & 0xFF] : (v >> (bits - 8));
}

uint32_t ColorCodec::Channel::Encode(uint32_t byte) const {
    if (bits == 0) return 0;
    // Narrowing keeps the high bits; a channel wider than a byte scales up.
    const uint64_t v = bits <= 8
                           ? byte >> (8 - bits)
                           : (static_cast<uint64_t>(byte) * ((uint64_t{1} << bits) - 1)) / 255;
    return static_cast<uint32_t>(v << shift) & mask;
}

namespace {

void SetUpChannel(uint32_t mask, int& shift, int& bits) {
    if (mask == 0) {
        shift = bits = 0;
        return;
    }
    shift = std::countr_zero(mask);
    bits = std::countr_one(mask >> shift);
}

} // namespace

ColorCodec::ColorCodec(const PixelFormat& format)
    : m_format(format), m_plainRgb(IsPlainRgb(format)),
      m_matcher(format.colors.data(), format.bitsPerPixel <= 8 ? format.colorCount : 0) {
    if (format.bitsPerPixel != 16 && format.bitsPerPixel != 32) return;
    Channel* channels[3] = {&m_red, &m_green, &m_blue};
    const uint32_t masks[3] = {format.redMask, format.greenMask, format.blueMask};
    for (int c = 0; c < 3; ++c) {
        Channel& ch = *channels[c];
        ch.mask = masks[c];
        SetUpChannel(ch.mask, ch.shift, ch.bits);
        if (ch.bits <= 8) {
            for (uint32_t v = 0; v < (1u << ch.bits); ++v) ch.widen[v] = WidenBits(v, ch.bits);
        }
    }
}

Bgrx ColorCodec::Decode(uint32_t value) const {
    if (m_plainRgb) return value & 0xFFFFFF;
    if (m_format.bitsPerPixel <= 8) return m_format.colors[value & 0xFF];
    return MakeBgrx(m_red.Decode(value), m_green.Decode(value), m_blue.Decode(value));
}

uint32_t ColorCodec::Encode(Bgrx color) {
    if (m_plainRgb) return color & 0xFFFFFF;
    if (m_format.bitsPerPixel <= 8) return m_matcher.Match(color & 0xFFFFFF);
    return m_red.Encode((color >> 16) & 0xFF) | m_green.Encode((color >> 8) & 0xFF) |
           m_blue.Encode(color & 0xFF);
}

void ColorCodec::DecodeRow(const BYTE* row, int x0, int count, Bgrx* out) const {
    ReadValues(m_format, row, x0, count, out);
    if (m_plainRgb) return;
    if (m_format.bitsPerPixel <= 8) {
        const Bgrx* colors = m_format.colors.data();
        for (int i = 0; i < count; ++i) out[i] = colors[out[i] & 0xFF];
        return;
    }
    for (int i = 0; i < count; ++i) {
        const uint32_t v = out[i];
        out[i] = MakeBgrx(m_red.Decode(v), m_green.Decode(v), m_blue.Decode(v));
    }
}

void ColorCodec::EncodeValues(uint32_t* values, int count) {
    if (m_plainRgb) {
        for (int i = 0; i < count; ++i) values[i] &= 0xFFFFFF;
    } else if (m_format.bitsPerPixel <= 8) {
        for (int i = 0; i < count; ++i) values[i] = m_matcher.Match(values[i] & 0xFFFFFF);
    } else {
        for (int i = 0; i < count; ++i) {
            const Bgrx c = values[i];
            values[i] = m_red.Encode((c >> 16) & 0xFF) | m_green.Encode((c >> 8) & 0xFF) |
                        m_blue.Encode(c & 0xFF);
        }
    }
}

void ColorCodec::EncodeRow(const Bgrx* in, int count, BYTE* row, int x0) {
    if (m_plainRgb) {
        WriteValues(m_format, row, x0, count, in);
        return;
    }
    constexpr int kChunk = 256;
    uint32_t values[kChunk];
    for (int done = 0; done < count; done += kChunk) {
        const int n = count - done < kChunk ? count - done : kChunk;
        std::copy(in + done, in + done + n, values);
        EncodeValues(values, n);
        WriteValues(m_format, row, x0 + done, n, values);
    }
}

// ---------------------------------------------------------------------------
// Row conversion

RowConverter::RowConverter(const PixelFormat& from, const PixelFormat& to)
    : m_path(Path::General), m_from(from), m_to(to), m_decoder(from), m_encoder(to) {
    if (from.SameLayout(to)) {
        m_path = Path::Copy;
    } else if (from.bitsPerPixel == 24 && IsPlainRgb(to) && to.bitsPerPixel == 32) {
        m_path = Path::Rgb24To32;
    } else if (IsPlainRgb(from) && from.bitsPerPixel == 32 && to.bitsPerPixel == 24) {
        m_path = Path::Rgb32To24;
    }
}

void RowConverter::Convert(const BYTE* __restrict source, BYTE* __restrict target, int count) {
    switch (m_path) {
    case Path::Copy: {
        const size_t bits = static_cast<size_t>(count) * m_to.bitsPerPixel;
        std::memcpy(target, source, bits / 8);
        if (bits % 8 != 0) {
            // Keep the target's pixels past the copied ones in a shared byte.
            const BYTE keep = static_cast<BYTE>(0xFF >> (bits % 8));
            target[bits / 8] =
                static_cast<BYTE>((source[bits / 8] & ~keep) | (target[bits / 8] & keep));
        }
        return;
    }
    case Path::Rgb24To32:
    case Path::Rgb32To24: {
        if (m_scratch.size() < static_cast<size_t>(count)) m_scratch.resize(count);
        if (m_path == Path::Rgb24To32) {
            Unpack24(source, m_scratch.data(), count);
            std::memcpy(target, m_scratch.data(), static_cast<size_t>(count) * 4);
        } else {
            std::memcpy(m_scratch.data(), source, static_cast<size_t>(count) * 4);
            Pack24(m_scratch.data(), target, count);
        }
        return;
    }
    case Path::General:
        break;
    }
    if (m_scratch.size() < static_cast<size_t>(count)) m_scratch.resize(count);
    m_decoder.DecodeRow(source, 0, count, m_scratch.data());
    m_encoder.EncodeRow(m_scratch.data(), count, target, 0);
}

} // namespace gdi
