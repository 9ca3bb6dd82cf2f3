// Channel and tone operations: FilterRed/Green/Blue, FilterXRed/Green/Blue,
// KeepRed/Green/Blue, ExtractColor, ExcludeColor, Invert, Posterize and
// Solarize. Each maps a pixel on its own; where the new value depends on one
// channel byte only, it is computed once per byte value into a 256-entry
// table, which keeps the floating-point rounding exactly as defined while the
// pixel loop stays integer. Invert goes through the picture's canvas.
#include "effects/channel_tone.h"

#include <array>
#include <cmath>
#include <string>

#include "base/error.h"
#include "bitmap/canvas.h"
#include "effects/effect_common.h"
#include "effects/families.h"
#include "effects/parallel.h"
#include "effects/tone_rows.h"

namespace gleamkit::fx {

namespace {

using ByteTable = std::array<uint8_t, 256>;

// Byte offsets of the channels inside a Bgr24 pixel.
constexpr size_t kBlue = 0;
constexpr size_t kGreen = 1;
constexpr size_t kRed = 2;

// True when the picture has 24-bit rows to work on.
bool HasRows24(PixelBitmap& picture) {
    return picture.Width() > 0 && picture.Height() > 0 && picture.Layout() == BitmapLayout::Bits24;
}

size_t RowBytes(const PixelBitmap& picture) {
    return 3 * static_cast<size_t>(picture.Width());
}

enum class OtherChannels { Clear, Keep };

// Maps one channel of every pixel through `table`; the other two channels are
// cleared or kept.
void MapChannel(PixelBitmap& picture, size_t channel, const ByteTable& table,
                OtherChannels others) {
    if (!HasRows24(picture)) return;
    const size_t rowBytes = RowBytes(picture);
    const std::vector<uint8_t*> rows = RowTable(picture);
    // The bands copy what they read into locals: byte stores could alias
    // anything reached through the closure (its captured values included),
    // which would keep the loops from holding it in registers.
    ParallelRows(picture.Height(), picture.Width(), [&](int32_t top, int32_t bottom) {
        const uint8_t* const map = table.data();
        const size_t bytes = rowBytes;
        const size_t at = channel;
        const bool clear = others == OtherChannels::Clear;
        for (int32_t y = top; y < bottom; ++y) {
            uint8_t* row = rows[y];
            if (clear) {
                for (size_t i = 0; i < bytes; i += 3) {
                    const uint8_t kept = map[row[i + at]];
                    row[i + kBlue] = 0;
                    row[i + kGreen] = 0;
                    row[i + kRed] = 0;
                    row[i + at] = kept;
                }
            } else {
                for (size_t i = at; i < bytes; i += 3) row[i] = map[row[i]];
            }
        }
    });
}

void ThresholdFilter(PixelBitmap& picture, size_t channel, uint8_t low, uint8_t high,
                     OtherChannels others) {
    EnsureBits24(picture);
    ByteTable table{};
    for (int32_t v = 0; v < 256; ++v) table[v] = (low < v && v < high) ? 255 : 0;
    MapChannel(picture, channel, table, others);
}

void KeepChannel(PixelBitmap& picture, size_t channel, long double factor) {
    EnsureBits24(picture);
    ByteTable table{};
    for (int32_t v = 0; v < 256; ++v)
        table[v] = LowByteOfRound(factor * static_cast<long double>(v));
    MapChannel(picture, channel, table, OtherChannels::Clear);
}

enum class Matching { Keep, Clear };

// Blackens the pixels that match `color` exactly (Matching::Clear) or those
// that do not (Matching::Keep).
void SelectColor(PixelBitmap& picture, Color color, Matching matching) {
    const Color rgb = ResolveColor(color);
    const uint8_t red = static_cast<uint8_t>(rgb & 0xFF);
    const uint8_t green = static_cast<uint8_t>((rgb >> 8) & 0xFF);
    const uint8_t blue = static_cast<uint8_t>((rgb >> 16) & 0xFF);
    EnsureBits24(picture);
    if (!HasRows24(picture)) return;
    const bool clearMatches = matching == Matching::Clear;
    const size_t rowBytes = RowBytes(picture);
    const std::vector<uint8_t*> rows = RowTable(picture);
    ParallelRows(picture.Height(), picture.Width(), [&](int32_t top, int32_t bottom) {
        const uint8_t b = blue, g = green, r = red;
        const bool clear = clearMatches;
        const size_t bytes = rowBytes;
        for (int32_t y = top; y < bottom; ++y) {
            uint8_t* row = rows[y];
            for (size_t i = 0; i < bytes; i += 3) {
                const bool matches = row[i + kBlue] == b && row[i + kGreen] == g && row[i + kRed] == r;
                if (matches == clear) {
                    row[i + kBlue] = 0;
                    row[i + kGreen] = 0;
                    row[i + kRed] = 0;
                }
            }
        }
    });
}

// Converts both pictures and answers the size of their top-left overlap; a
// destination smaller than the source is written only where it has pixels.
struct Overlap {
    int32_t width;
    int32_t height;
};

Overlap PrepareSourceAndDestination(PixelBitmap& source, PixelBitmap& destination) {
    EnsureBits24(source);
    EnsureBits24(destination);
    if (!HasRows24(source) || !HasRows24(destination)) return {0, 0};
    return {Min(source.Width(), destination.Width()), Min(source.Height(), destination.Height())};
}

} // namespace

void FilterRed(PixelBitmap& picture, uint8_t low, uint8_t high) {
    ThresholdFilter(picture, kRed, low, high, OtherChannels::Clear);
}

void FilterGreen(PixelBitmap& picture, uint8_t low, uint8_t high) {
    ThresholdFilter(picture, kGreen, low, high, OtherChannels::Clear);
}

void FilterBlue(PixelBitmap& picture, uint8_t low, uint8_t high) {
    ThresholdFilter(picture, kBlue, low, high, OtherChannels::Clear);
}

void FilterXRed(PixelBitmap& picture, uint8_t low, uint8_t high) {
    ThresholdFilter(picture, kRed, low, high, OtherChannels::Keep);
}

void FilterXGreen(PixelBitmap& picture, uint8_t low, uint8_t high) {
    ThresholdFilter(picture, kGreen, low, high, OtherChannels::Keep);
}

void FilterXBlue(PixelBitmap& picture, uint8_t low, uint8_t high) {
    ThresholdFilter(picture, kBlue, low, high, OtherChannels::Keep);
}

void KeepRed(PixelBitmap& picture, long double factor) {
    KeepChannel(picture, kRed, factor);
}

void KeepGreen(PixelBitmap& picture, long double factor) {
    KeepChannel(picture, kGreen, factor);
}

void KeepBlue(PixelBitmap& picture, long double factor) {
    KeepChannel(picture, kBlue, factor);
}

void ExtractColor(PixelBitmap& picture, Color color) {
    SelectColor(picture, color, Matching::Keep);
}

void ExcludeColor(PixelBitmap& picture, Color color) {
    SelectColor(picture, color, Matching::Clear);
}

void Invert(PixelBitmap& picture) {
    // The rectangle inversion flips every bit of every pixel. On 24-bit rows
    // that is 255 - v per byte, done here directly: asking for the canvas
    // would first move separate rows into a platform bitmap. A picture with a
    // transparency mask goes through the canvas all the same, because the
    // canvas's change event is what drops the mask. A picture of another
    // layout is converted first: on palette indices the inversion would
    // scramble colours instead of giving the negative.
    EnsureBits24(picture);
    if (HasRows24(picture) && picture.TransparencyMask() == nullptr) {
        const size_t rowBytes = RowBytes(picture);
        for (int32_t y = 0; y < picture.Height(); ++y) {
            uint8_t* row = picture.ScanLine(y);
            for (size_t i = 0; i < rowBytes; ++i) row[i] = static_cast<uint8_t>(~row[i]);
        }
        return;
    }
    bitmap::Canvas* canvas = picture.Canvas();
    if (canvas != nullptr) canvas->InvertRect(picture.FullRect());
}

void Posterize(PixelBitmap& source, PixelBitmap& destination, int32_t amount) {
    // A zero amount would divide by zero at the first pixel; refuse it before
    // anything changes.
    if (amount == 0) throw Error("Posterize amount must not be 0");
    ByteTable table{};
    for (int32_t v = 0; v < 256; ++v) {
        // |v / amount| <= 255, so the rounded quotient and the product are small.
        const long double quotient =
            std::nearbyintl(static_cast<long double>(v) / static_cast<long double>(amount));
        const int64_t product = static_cast<int64_t>(quotient) * amount;
        table[v] = static_cast<uint8_t>(static_cast<uint64_t>(product));
    }
    const Overlap overlap = PrepareSourceAndDestination(source, destination);
    const size_t rowBytes = 3 * static_cast<size_t>(overlap.width);
    const std::vector<uint8_t*> sourceRows = RowTable(source);
    const std::vector<uint8_t*> destinationRows = RowTable(destination);
    ParallelRows(overlap.height, overlap.width, [&](int32_t top, int32_t bottom) {
        const uint8_t* const map = table.data();
        const size_t bytes = rowBytes;
        for (int32_t y = top; y < bottom; ++y) {
            const uint8_t* from = sourceRows[y];
            uint8_t* to = destinationRows[y];
            for (size_t i = 0; i < bytes; ++i) to[i] = map[from[i]];
        }
    });
}

void Solarize(PixelBitmap& source, PixelBitmap& destination, int32_t threshold) {
    const Overlap overlap = PrepareSourceAndDestination(source, destination);
    const size_t rowBytes = 3 * static_cast<size_t>(overlap.width);
    const std::vector<uint8_t*> sourceRows = RowTable(source);
    const std::vector<uint8_t*> destinationRows = RowTable(destination);
    // The mean (b + g + r) div 3 exceeds the threshold exactly when the sum
    // reaches 3 (threshold + 1) (the sum is never negative), which spares a
    // division per pixel; formed in 64 bits, any threshold fits.
    const int64_t lowestFlipped = 3 * (int64_t{threshold} + 1);
    const bool wide = tone::HasAvx2();
    ParallelRows(overlap.height, overlap.width, [&](int32_t top, int32_t bottom) {
        const size_t bytes = rowBytes;
        const auto pixels = static_cast<size_t>(overlap.width);
        const bool vector = wide;
        const int32_t limit = static_cast<int32_t>(
            lowestFlipped < 0 ? 0 : (lowestFlipped > 766 ? 766 : lowestFlipped));
        for (int32_t y = top; y < bottom; ++y) {
            const uint8_t* from = sourceRows[y];
            uint8_t* to = destinationRows[y];
            const size_t done = vector ? tone::SolarizePixelsAvx2(from, to, pixels, limit) : 0;
            for (size_t i = 3 * done; i < bytes; i += 3) {
                const uint8_t blue = from[i + kBlue], green = from[i + kGreen],
                              red = from[i + kRed];
                // 255 - v is v with its eight bits flipped; no branch per pixel.
                const uint8_t flip = blue + green + red >= limit ? 0xFF : 0x00;
                to[i + kBlue] = static_cast<uint8_t>(blue ^ flip);
                to[i + kGreen] = static_cast<uint8_t>(green ^ flip);
                to[i + kRed] = static_cast<uint8_t>(red ^ flip);
            }
        }
    });
}

namespace {

template <void (*Filter)(PixelBitmap&, uint8_t, uint8_t)>
Operation FilterRow(std::string_view name) {
    return {name,
            {{"low", ParamKind::Int, "10"}, {"high", ParamKind::Int, "200"}},
            Wiring::OnePicture,
            [](const Pictures& p, std::span<const ArgValue> a) {
                Filter(*p.picture, ByteArg(a[0], "low"), ByteArg(a[1], "high"));
            }};
}

template <void (*Keep)(PixelBitmap&, long double)> Operation KeepRow(std::string_view name) {
    return {name,
            {{"factor", ParamKind::Float, "0.8"}},
            Wiring::OnePicture,
            [](const Pictures& p, std::span<const ArgValue> a) { Keep(*p.picture, a[0].f); }};
}

// The desktop program excludes the colour of the picture's pixel at (10, 10),
// read just before the operation (on a smaller picture, PixelAt's answer for
// a point outside it).
ArgValue ColorAtTenTen(PixelBitmap& picture) {
    ArgValue value;
    value.i = picture.PixelAt(10, 10);
    return value;
}

} // namespace

std::vector<Operation> ChannelToneOperations() {
    return {
        FilterRow<FilterRed>("FilterRed"),
        FilterRow<FilterGreen>("FilterGreen"),
        FilterRow<FilterBlue>("FilterBlue"),
        FilterRow<FilterXRed>("FilterXRed"),
        FilterRow<FilterXGreen>("FilterXGreen"),
        FilterRow<FilterXBlue>("FilterXBlue"),
        KeepRow<KeepRed>("KeepRed"),
        KeepRow<KeepGreen>("KeepGreen"),
        KeepRow<KeepBlue>("KeepBlue"),
        {"ExtractColor",
         {{"color", ParamKind::Color, "0x00FF0000"}},
         Wiring::OnePicture,
         [](const Pictures& p, std::span<const ArgValue> a) { ExtractColor(*p.picture, a[0].i); }},
        {"ExcludeColor",
         {{"color", ParamKind::Color, "pixel at (10, 10)", ColorAtTenTen}},
         Wiring::OnePicture,
         [](const Pictures& p, std::span<const ArgValue> a) { ExcludeColor(*p.picture, a[0].i); }},
        {"Invert",
         {},
         Wiring::OnePicture,
         [](const Pictures& p, std::span<const ArgValue>) { Invert(*p.picture); }},
        {"Posterize",
         {{"amount", ParamKind::Int, "20"}},
         Wiring::SourceToPicture,
         [](const Pictures& p, std::span<const ArgValue> a) {
             Posterize(*p.copy, *p.picture, a[0].i);
         }},
        {"Solarize",
         {{"threshold", ParamKind::Int, "100"}},
         Wiring::SourceToPicture,
         [](const Pictures& p, std::span<const ArgValue> a) {
             Solarize(*p.copy, *p.picture, a[0].i);
         }},
    };
}

} // namespace gleamkit::fx
