// Wave and SqueezeHorizontal. Wave's offsets depend on the column only, so
// they are worked out once per column; the band is then moved row by row from
// the bottom up, which lets it work in place without a scratch copy.
#include "effects/wave_squeeze.h"

#include <cstring>
#include <vector>

#include "effects/effect_common.h"
#include "effects/families.h"

namespace gleamkit::fx {

namespace {

constexpr long double kPi = 3.141592653589793238462643383279502884L;

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
    };
}

} // namespace gleamkit::fx
