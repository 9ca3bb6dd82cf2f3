// Noise and tone: AddColorNoise, AddMonoNoise, Spray, Contrast, Lightness,
// Darkness, Saturation, ConvertToGrayscale, SplitLight. Where a channel's new
// value depends only on its old value (for Saturation: and the pixel's grey)
// the curve is built once per call as a table; the noise effects draw through
// a RandomCursor in exactly the order the sequence fixes (row by row, pixel by
// pixel, blue-green-red).
#include "effects/noise_tone.h"

#include <cstring>
#include <numbers>
#include <vector>

#include "effects/effect_common.h"
#include "effects/families.h"
#include "effects/parallel.h"
#include "effects/tone_rows.h"

namespace gleamkit::fx {

namespace {

using ByteTable = uint8_t[256];

// Channel results are formed in 64 bits (no wrap for any 32-bit Amount) and
// only then clamped to a byte.
constexpr uint8_t ClampWide(int64_t v) {
    return static_cast<uint8_t>(v > 255 ? 255 : (v < 0 ? 0 : v));
}

// Replaces every channel byte of every row by its table entry. Where the
// processor permutes bytes the whole table sits in registers; elsewhere large
// pictures look bytes up two at a time in a table of all 65536 byte pairs
// (128 KiB, built in far less time than it saves): half the loads and stores.
void ApplyByteTable(PixelBitmap& picture, const ByteTable& table) {
    const int32_t width = picture.Width();
    const size_t rowBytes = static_cast<size_t>(width) * 3;
    const std::vector<uint8_t*> rows = RowTable(picture);
    if (tone::HasByteTableLookup()) {
        ParallelRows(picture.Height(), width, [&](int32_t top, int32_t bottom) {
            const size_t bytes = rowBytes;
            const uint8_t* const map = table;
            for (int32_t y = top; y < bottom; ++y) tone::MapBytesVbmi(rows[y], bytes, map);
        });
        return;
    }
    constexpr size_t kPairTableFrom = size_t{1} << 20;
    std::vector<uint16_t> pairs;
    if (rowBytes * static_cast<size_t>(picture.Height()) >= kPairTableFrom) {
        // Entry v holds the two bytes of v mapped, in the order memory holds
        // them whatever the byte order of a 16-bit word.
        pairs.resize(65536);
        for (uint32_t v = 0; v < 65536; ++v) {
            uint8_t bytes[2];
            const auto word = static_cast<uint16_t>(v);
            std::memcpy(bytes, &word, 2);
            bytes[0] = table[bytes[0]];
            bytes[1] = table[bytes[1]];
            std::memcpy(&pairs[v], bytes, 2);
        }
    }
    // The bands copy what they read into locals: byte stores could alias
    // anything reached through the closure (its captured values included),
    // which would keep the loops from holding it in registers.
    ParallelRows(picture.Height(), width, [&](int32_t top, int32_t bottom) {
        const size_t bytes = rowBytes;
        const uint8_t* const map = table;
        const uint16_t* const pairMap = pairs.empty() ? nullptr : pairs.data();
        for (int32_t y = top; y < bottom; ++y) {
            uint8_t* row = rows[y];
            size_t i = 0;
            if (pairMap != nullptr) {
                for (; i + 2 <= bytes; i += 2) {
                    uint16_t word;
                    std::memcpy(&word, row + i, 2);
                    word = pairMap[word];
                    std::memcpy(row + i, &word, 2);
                }
            }
            for (; i < bytes; ++i) row[i] = map[row[i]];
        }
    });
}

void BuildContrastTable(int32_t amount, ByteTable& table) {
    for (int32_t c = 0; c < 256; ++c) {
        const int64_t distance = c > 127 ? c - 127 : 127 - c;
        const int64_t d = distance * amount / 255;
        table[c] = ClampWide(c > 127 ? c + d : c - d);
    }
}

void BuildLightnessTable(int32_t amount, ByteTable& table) {
    for (int32_t c = 0; c < 256; ++c)
        table[c] = ClampWide(c + static_cast<int64_t>(255 - c) * amount / 255);
}

void BuildDarknessTable(int32_t amount, ByteTable& table) {
    for (int32_t c = 0; c < 256; ++c)
        table[c] = ClampWide(c - static_cast<int64_t>(c) * amount / 255);
}

// The SplitLight curve applied `passes` times. SineTone never lowers a value
// and fixes 0 and 255, so the composition settles after a few dozen passes;
// later passes would change nothing and are not made.
void BuildSplitLightTable(int32_t passes, ByteTable& table) {
    ByteTable tone;
    for (int32_t v = 0; v < 256; ++v) {
        tone[v] = SineTone(static_cast<uint8_t>(v));
        table[v] = static_cast<uint8_t>(v);
    }
    for (int32_t pass = 0; pass < passes; ++pass) {
        bool changed = false;
        for (int32_t v = 0; v < 256; ++v) {
            const uint8_t next = tone[table[v]];
            changed = changed || next != table[v];
            table[v] = next;
        }
        if (!changed) break;
    }
}

// The weighted sum 0.11 B + 0.59 G + 0.3 R, rounded. Away from a tie the
// extended-precision sum lies within 1e-15 of the exact value
// (11 B + 59 G + 30 R) / 100, which is at least 0.01 from any half, so the
// integer rounding gives the same answer. At a tie (remainder 50) the answer
// depends on how the constants round at extended precision: the sum is taken
// exactly as defined and compared with the half it lies next to, which is
// what Round would decide (halves to even) without a library call.
uint8_t GrayOf(uint8_t blue, uint8_t green, uint8_t red) {
    const int32_t weighted = 11 * blue + 59 * green + 30 * red;
    if (weighted % 100 != 50) return static_cast<uint8_t>((weighted + 50) / 100);
    const long double sum = blue * 0.11L + green * 0.59L + red * 0.3L;
    const int32_t below = weighted / 100;
    const long double half = below + 0.5L;
    if (sum > half) return static_cast<uint8_t>(below + 1);
    if (sum < half) return static_cast<uint8_t>(below);
    return static_cast<uint8_t>(below % 2 == 0 ? below : below + 1);
}

} // namespace

uint8_t SineTone(uint8_t v) {
    const long double angle =
        (static_cast<long double>(v) / 255.0L) * std::numbers::pi_v<long double> / 2.0L;
    const double stored = static_cast<double>(255.0L * Sin(angle));
    return static_cast<uint8_t>(ClampToByte(Round(stored)));
}

void AddColorNoise(PixelBitmap& picture, int32_t amount) {
    if (!PrepareRows(picture)) return;
    const uint32_t bound = static_cast<uint32_t>(amount);
    const int64_t half = bound >> 1;
    const int32_t width = picture.Width();
    const int32_t height = picture.Height();
    RandomCursor random;
    for (int32_t y = 0; y < height; ++y) {
        uint8_t* pixel = picture.ScanLine(y);
        for (int32_t x = 0; x < width; ++x, pixel += 3) {
            const RandomCursor::ThreeStates draws = random.NextThreeStates();
            const int64_t blue = ScaleRandom(bound, draws.first) - half + pixel[0];
            const int64_t green = ScaleRandom(bound, draws.second) - half + pixel[1];
            const int64_t red = ScaleRandom(bound, draws.third) - half + pixel[2];
            pixel[0] = ClampWide(blue);
            pixel[1] = ClampWide(green);
            pixel[2] = ClampWide(red);
        }
    }
}

void AddMonoNoise(PixelBitmap& picture, int32_t amount) {
    if (!PrepareRows(picture)) return;
    const uint32_t bound = static_cast<uint32_t>(amount);
    const int64_t half = bound >> 1;
    const int32_t width = picture.Width();
    const int32_t height = picture.Height();
    RandomCursor random;
    for (int32_t y = 0; y < height; ++y) {
        uint8_t* pixel = picture.ScanLine(y);
        for (int32_t x = 0; x < width; ++x, pixel += 3) {
            const int64_t noise = random.Next(bound) - half;
            const int64_t blue = pixel[0] + noise;
            const int64_t green = pixel[1] + noise;
            const int64_t red = pixel[2] + noise;
            pixel[0] = ClampWide(blue);
            pixel[1] = ClampWide(green);
            pixel[2] = ClampWide(red);
        }
    }
}

void Spray(PixelBitmap& picture, int32_t amount) {
    if (!PrepareRows(picture)) return;
    const uint32_t bound = static_cast<uint32_t>(amount);
    const int32_t width = picture.Width();
    const int32_t height = picture.Height();
    // The walk goes down columns and reads scattered rows: look each row up once.
    std::vector<uint8_t*> rows(static_cast<size_t>(height));
    for (int32_t y = 0; y < height; ++y) rows[static_cast<size_t>(y)] = picture.ScanLine(y);
    RandomCursor random;
    for (int32_t x = 0; x < width; ++x) {
        for (int32_t y = 0; y < height; ++y) {
            const RandomCursor::ThreeStates draws = random.NextThreeStates();
            const uint32_t r = ScaleRandom(bound, draws.first);
            const uint32_t spread = r * 2u;
            const uint32_t a = ScaleRandom(spread, draws.second);
            const uint32_t b = ScaleRandom(spread, draws.third);
            const int64_t sourceX = static_cast<int64_t>(x) + r - a;
            const int64_t sourceY = static_cast<int64_t>(y) + r - b;
            if (sourceX < 0 || sourceX >= width || sourceY < 0 || sourceY >= height) continue;
            const uint8_t* source = rows[static_cast<size_t>(sourceY)] + sourceX * 3;
            uint8_t* target = rows[static_cast<size_t>(y)] + static_cast<size_t>(x) * 3;
            target[0] = source[0];
            target[1] = source[1];
            target[2] = source[2];
        }
    }
}

void Contrast(PixelBitmap& picture, int32_t amount) {
    if (!PrepareRows(picture)) return;
    ByteTable table;
    BuildContrastTable(amount, table);
    ApplyByteTable(picture, table);
}

void Lightness(PixelBitmap& picture, int32_t amount) {
    if (!PrepareRows(picture)) return;
    ByteTable table;
    BuildLightnessTable(amount, table);
    ApplyByteTable(picture, table);
}

void Darkness(PixelBitmap& picture, int32_t amount) {
    picture.SetLayout(BitmapLayout::Bits24);
    if (!PrepareRows(picture)) return;
    ByteTable table;
    BuildDarknessTable(amount, table);
    ApplyByteTable(picture, table);
}

void Saturation(PixelBitmap& picture, int32_t amount) {
    if (!PrepareRows(picture)) return;
    // The new channel for every pair (g, c): g + (c - g) * Amount div 255,
    // clamped. 64 KiB, built once per call, stays in the cache for the walk.
    std::vector<uint8_t> curve(256 * 256);
    for (int32_t gray = 0; gray < 256; ++gray) {
        uint8_t* row = curve.data() + gray * 256;
        for (int32_t c = 0; c < 256; ++c)
            row[c] = ClampWide(gray + static_cast<int64_t>(c - gray) * amount / 255);
    }
    const int32_t width = picture.Width();
    const std::vector<uint8_t*> rows = RowTable(picture);
    ParallelRows(picture.Height(), width, [&](int32_t top, int32_t bottom) {
        const int32_t count = width;
        const uint8_t* const curves = curve.data();
        for (int32_t y = top; y < bottom; ++y) {
            uint8_t* pixel = rows[y];
            for (int32_t x = 0; x < count; ++x, pixel += 3) {
                const uint32_t blue = pixel[0];
                const uint32_t green = pixel[1];
                const uint32_t red = pixel[2];
                const uint8_t* row = curves + (blue + green + red) / 3 * 256;
                pixel[0] = row[blue];
                pixel[1] = row[green];
                pixel[2] = row[red];
            }
        }
    });
}

void ConvertToGrayscale(PixelBitmap& picture) {
    if (!PrepareRows(picture)) return;
    const int32_t width = picture.Width();
    const std::vector<uint8_t*> rows = RowTable(picture);
    const bool wide = tone::HasAvx2();
    ParallelRows(picture.Height(), width, [&](int32_t top, int32_t bottom) {
        const auto count = static_cast<size_t>(width);
        const bool vector = wide;
        for (int32_t y = top; y < bottom; ++y) {
            uint8_t* row = rows[y];
            const size_t done = vector ? tone::GrayPixelsAvx2(row, count, GrayOf) : 0;
            uint8_t* pixel = row + 3 * done;
            for (size_t x = done; x < count; ++x, pixel += 3) {
                const uint8_t gray = GrayOf(pixel[0], pixel[1], pixel[2]);
                pixel[0] = gray;
                pixel[1] = gray;
                pixel[2] = gray;
            }
        }
    });
}

void SplitLight(PixelBitmap& picture, int32_t amount) {
    if (amount <= 0 || !PrepareRows(picture)) return;
    ByteTable table;
    BuildSplitLightTable(amount, table);
    ApplyByteTable(picture, table);
}

std::vector<Operation> NoiseToneOperations() {
    using Args = std::span<const ArgValue>;
    return {
        {"AddColorNoise",
         {{"Amount", ParamKind::Int, "100"}},
         Wiring::OnePicture,
         [](const Pictures& p, Args a) { AddColorNoise(*p.picture, a[0].i); }},
        {"AddMonoNoise",
         {{"Amount", ParamKind::Int, "100"}},
         Wiring::OnePicture,
         [](const Pictures& p, Args a) { AddMonoNoise(*p.picture, a[0].i); }},
        {"Spray",
         {{"Amount", ParamKind::Int, "16"}},
         Wiring::OnePicture,
         [](const Pictures& p, Args a) { Spray(*p.picture, a[0].i); }},
        {"Contrast",
         {{"Amount", ParamKind::Int, "100"}},
         Wiring::OnePicture,
         [](const Pictures& p, Args a) { Contrast(*p.picture, a[0].i); }},
        {"Lightness",
         {{"Amount", ParamKind::Int, "100"}},
         Wiring::OnePicture,
         [](const Pictures& p, Args a) { Lightness(*p.picture, a[0].i); }},
        {"Darkness",
         {{"Amount", ParamKind::Int, "100"}},
         Wiring::OnePicture,
         [](const Pictures& p, Args a) { Darkness(*p.picture, a[0].i); }},
        {"Saturation",
         {{"Amount", ParamKind::Int, "128"}},
         Wiring::OnePicture,
         [](const Pictures& p, Args a) { Saturation(*p.picture, a[0].i); }},
        {"ConvertToGrayscale",
         {},
         Wiring::OnePicture,
         [](const Pictures& p, Args) { ConvertToGrayscale(*p.picture); }},
        {"SplitLight",
         {{"Amount", ParamKind::Int, "3"}},
         Wiring::OnePicture,
         [](const Pictures& p, Args a) { SplitLight(*p.picture, a[0].i); }},
    };
}

} // namespace gleamkit::fx
