// Wave and SqueezeHorizontal. Wave's offsets depend on the column only, so
// they are worked out once per column; the band is then moved row by row from
// the bottom up, which lets it work in place without a scratch copy.
// SqueezeHorizontal leaves the squeezing itself to the drawing layer's
// stretched draw, one draw per row.
#include "effects/wave_squeeze.h"

#include <cstdlib>
#include <cstring>
#include <optional>
#include <vector>

#include "bitmap/canvas.h"
#include "effects/effect_common.h"
#include "effects/families.h"

namespace gleamkit::fx {

namespace {

// The offset worked out at column x. The sine term is formed at extended
// precision and stored as a 64-bit float; the product with the amount is a
// 64-bit float product, then rounded halves to even.
int32_t WaveOffset(int32_t x, int32_t amount, double f, int32_t modulation, int32_t style) {
    const long double angle = static_cast<long double>(x) * f;
    double term;
    switch (style) {
    case 0:
        term = static_cast<double>(Sin(angle));
        break;
    case 1:
        term = static_cast<double>(Sin(angle) * Cos(angle));
        break;
    case 2:
        term = static_cast<double>(Sin(angle) * Sin(static_cast<long double>(modulation) * f * x));
        break;
    default:
        return 0;
    }
    const double scaled = static_cast<double>(amount) * term;
    // |term| <= 1 keeps |offset| <= amount; the clamp only states it.
    return ClampInt(Round(scaled), -amount, amount);
}

// A run of neighbouring columns that move down by the same number of rows.
struct ColumnRun {
    int32_t first;
    int32_t count;
    int32_t shift;
};

// Column x moves by amount plus the offset computed at column x - 1.
std::vector<ColumnRun> ColumnRuns(int32_t width, int32_t amount, int32_t modulation,
                                  int32_t style) {
    const double f = static_cast<double>((kPi / 2.0L) / amount);
    std::vector<ColumnRun> runs;
    int32_t offset = 0;
    for (int32_t x = 0; x < width; ++x) {
        const int32_t shift = amount + offset;
        if (!runs.empty() && runs.back().shift == shift)
            ++runs.back().count;
        else
            runs.push_back(ColumnRun{x, 1, shift});
        offset = WaveOffset(x, amount, f, modulation, style);
    }
    return runs;
}

// Short runs are copied byte by byte; a call per three-byte pixel would cost
// more than the copy.
inline void CopyPixels(uint8_t* to, const uint8_t* from, int32_t count) {
    const size_t bytes = 3 * static_cast<size_t>(count);
    if (count >= 8) {
        std::memcpy(to, from, bytes);
        return;
    }
    for (size_t i = 0; i < bytes; ++i) to[i] = from[i];
}

// The fraction y / (H - 1) of the profiles that run from the first row to the
// last; a one-row picture is its own first row.
long double ProfilePosition(int32_t y, int32_t height) {
    if (height <= 1) return 0.0L;
    return y / static_cast<long double>(height - 1);
}

// |Round(value)|. The caller keeps |value| <= 2^30, so both steps stay in
// range.
int32_t RoundedSize(long double value) {
    return std::abs(Round(value));
}

// The span (left, right) of row y, or nothing for a style without one. The
// expressions are evaluated at extended precision in the order written.
std::optional<std::pair<int32_t, int32_t>> SqueezeSpan(uint8_t style, int32_t y, int32_t width,
                                                       int32_t height, int32_t amount) {
    const long double a = amount;
    const int32_t centre = width / 2;
    int32_t s;
    switch (style) {
    case 7:
        s = amount;
        break;
    case 8:
        s = Round(((height - 1 - y) / static_cast<long double>(height)) * a);
        break;
    case 9:
        s = Round((y / static_cast<long double>(height)) * a);
        break;
    case 10:
        s = RoundedSize(Cos(ProfilePosition(y, height) * kPi) * a);
        break;
    case 11:
    case 12:
        s = RoundedSize(Sin(ProfilePosition(y, height) * kPi) * a);
        break;
    case 13:
        s = RoundedSize(Sin(ProfilePosition(y, height) * kPi * 2.0L) * a);
        break;
    default:
        return std::nullopt;
    }
    if (style >= 12) return std::pair{centre - s, centre + s};
    return std::pair{s, width - s};
}

// Copies source row y into the one-row scratch picture. The scratch row's
// address is asked anew each time: drawing it may move its pixel memory.
void LoadScratchRow(PixelBitmap& scratch, PixelBitmap& source, int32_t y) {
    std::memcpy(scratch.ScanLine(0), source.ScanLine(y), 3 * static_cast<size_t>(source.Width()));
}

} // namespace

void Wave(PixelBitmap& picture, int32_t amount, int32_t modulation, int32_t style) {
    if (amount <= 0) return;
    const int64_t lastBandRow = static_cast<int64_t>(picture.Height()) - 1 - 2 * int64_t{amount};
    if (lastBandRow < amount || picture.Width() <= 0) return;
    EnsureBits24(picture);

    const std::vector<ColumnRun> runs = ColumnRuns(picture.Width(), amount, modulation, style);
    std::vector<uint8_t*> rows(picture.Height());
    for (int32_t y = 0; y < picture.Height(); ++y) rows[y] = picture.ScanLine(y);

    // Every column moves down (shift >= 0). Going from the bottom row up, a row
    // is read before anything lands on it, so reading the picture itself gives
    // exactly what a copy taken beforehand would.
    for (auto y = static_cast<int32_t>(lastBandRow); y >= amount; --y) {
        const uint8_t* from = rows[y];
        for (const ColumnRun& run : runs) {
            if (run.shift == 0) continue;
            const size_t at = 3 * static_cast<size_t>(run.first);
            CopyPixels(rows[y + run.shift] + at, from + at, run.count);
        }
    }
}

void SqueezeHorizontal(PixelBitmap& source, PixelBitmap& destination, int32_t amount,
                       uint8_t style) {
    if (style < 7 || style > 13) return;
    EnsureBits24(source);
    // Drawing into a palette picture would map the squeezed colours to its
    // nearest entries; 24-bit rows keep them.
    EnsureBits24(destination);
    if (source.Empty() || destination.Empty()) return;
    const int32_t width = source.Width();
    const int32_t height = source.Height();
    const int32_t limit = width / 2;
    amount = ClampInt(amount, -limit, limit);

    ScratchPicture scratch(width, 1);
    scratch->SetLayout(BitmapLayout::Bits24);
    for (int32_t y = 0; y < height; ++y) {
        const auto span = SqueezeSpan(style, y, width, height, amount);
        if (!span || span->second <= span->first) continue;
        LoadScratchRow(*scratch, source, y);
        // Asked every row: the canvas draws into the picture only while the
        // picture is selected into it, and reading the source (which may be
        // the same picture) can take it out.
        bitmap::Canvas* canvas = destination.Canvas();
        if (canvas == nullptr) return;
        scratch->StretchDraw(canvas->Handle(), MakeRect(span->first, y, span->second, y + 1));
    }
}

std::vector<Operation> WaveSqueezeOperations() {
    return {
        {"Wave",
         {{"Amount", ParamKind::Int, "32"},
          {"Modulation", ParamKind::Int, "16"},
          {"Style", ParamKind::Int, "0"}},
         Wiring::OnePicture,
         [](const Pictures& pictures, std::span<const ArgValue> args) {
             Wave(*pictures.picture, args[0].i, args[1].i, args[2].i);
         }},
        {"SqueezeHorizontal",
         {{"Amount", ParamKind::Int, "32"}, {"Style", ParamKind::Int, "10"}},
         Wiring::SourceToPicture,
         [](const Pictures& pictures, std::span<const ArgValue> args) {
             // The style is a byte; a number no byte holds names no style,
             // and like any unknown style it leaves the rows unchanged.
             const int32_t style = args[1].i;
             const auto byte = static_cast<uint8_t>(style >= 0 && style <= 255 ? style : 0);
             SqueezeHorizontal(*pictures.copy, *pictures.picture, args[0].i, byte);
         }},
    };
}

} // namespace gleamkit::fx
