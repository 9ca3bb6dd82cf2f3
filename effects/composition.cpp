// Blend, FoldRight, Grow and Plasma. The second picture is whatever file a
// user picks, so every loop is bounded by what each picture has: a row or
// column range is cut to the overlap once per row, never tested per pixel.
// Blend's result depends only on the two channel bytes, so it is computed
// once per byte pair into a table with the exact extended-precision rounding;
// with AVX2, blocks whose fixed-point sums are provably rounded alike are
// computed directly (blend_avx2.cpp).
#include "effects/composition.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <optional>
#include <cstring>
#include <vector>

#include "bitmap/canvas.h"
#include "effects/blend_fixed.h"
#include "effects/effect_common.h"
#include "effects/families.h"
#include "effects/resampling.h"
#include "effects/source_guard.h"

namespace gleamkit::fx {

namespace {

// True when the picture has 24-bit rows to read or write.
bool HasRows24(const PixelBitmap& picture) {
    return !picture.Empty() && picture.Layout() == BitmapLayout::Bits24;
}

// Gives the destination the size W x H and 24-bit rows; false when there is
// nothing to write.
bool SizeDestination(PixelBitmap& destination, int32_t width, int32_t height) {
    destination.SetWidth(width);
    destination.SetHeight(height);
    return PrepareRows(destination);
}

size_t Bytes(int32_t pixels) {
    return 3 * static_cast<size_t>(pixels);
}

// Blend's result for every pair (source1 byte, source2 byte), indexed
// source1 x 256 + source2. The products are formed once per byte value, as
// the formula forms them, and added in its order; pairs whose fixed-point sum
// is surely rounded alike skip the extended rounding.
std::vector<uint8_t> BlendTable(long double amount,
                                const std::optional<blend::FixedWeights>& fixed) {
    std::array<long double, 256> first{};
    std::array<long double, 256> second{};
    for (int32_t v = 0; v < 256; ++v) {
        first[v] = (1.0L - amount) * static_cast<long double>(v);
        second[v] = static_cast<long double>(v) * amount;
    }
    std::vector<uint8_t> table(256 * 256);
    for (int32_t a = 0; a < 256; ++a) {
        for (int32_t b = 0; b < 256; ++b) {
            const std::optional<uint8_t> sure =
                fixed ? blend::RoundFixed(*fixed, static_cast<uint8_t>(a), static_cast<uint8_t>(b))
                      : std::nullopt;
            table[a * 256 + b] = sure ? *sure : LowByteOfRound(first[a] + second[b]);
        }
    }
    return table;
}

} // namespace

namespace blend {

std::optional<FixedWeights> FixedWeightsFor(long double amount) {
    if (!(amount >= 0.0L && amount <= 1.0L)) return std::nullopt;
    constexpr long double scale = 1 << kFractionBits;
    const long double first = (1.0L - amount) * scale;
    const long double second = amount * scale;
    const bool exact = first == std::trunc(first) && second == std::trunc(second);
    return FixedWeights{Round(first), Round(second), exact};
}

} // namespace blend

void Blend(PixelBitmap& source1, PixelBitmap& source2, PixelBitmap& destination,
           long double amount) {
    EnsureBits24(source1);
    EnsureBits24(source2);
    const SourceGuard guard1(source1, destination);
    const SourceGuard guard2(source2, destination);
    PixelBitmap& first = guard1.Source();
    PixelBitmap& second = guard2.Source();
    const int32_t width = first.Width();
    const int32_t height = first.Height();
    if (!SizeDestination(destination, width, height) || !HasRows24(first)) return;

    const std::optional<blend::FixedWeights> fixed = blend::FixedWeightsFor(amount);
    const std::vector<uint8_t> table = BlendTable(amount, fixed);
    const bool fast = fixed.has_value() && ProcessorHasAvx2();
    const bool hasSecond = HasRows24(second);
    const int32_t secondHeight = hasSecond ? second.Height() : 0;
    const size_t blended = Bytes(hasSecond ? Min(width, second.Width()) : 0);
    const size_t rowBytes = Bytes(width);
    for (int32_t y = 0; y < height; ++y) {
        const uint8_t* a = first.ScanLine(y);
        uint8_t* target = destination.ScanLine(y);
        size_t i = 0;
        if (y < secondHeight) {
            const uint8_t* b = second.ScanLine(y);
            if (fast) i = blend::BlendBytesAvx2(a, b, target, blended, *fixed, table.data());
            for (; i < blended; ++i) target[i] = table[a[i] * 256 + b[i]];
        }
        std::memcpy(target + i, a + i, rowBytes - i);
    }
}

void FoldRight(PixelBitmap& source1, PixelBitmap& source2, PixelBitmap& destination,
               long double amount) {
    EnsureBits24(source1);
    EnsureBits24(source2);
    const SourceGuard guard1(source1, destination);
    const SourceGuard guard2(source2, destination);
    PixelBitmap& first = guard1.Source();
    PixelBitmap& second = guard2.Source();
    const int32_t width = first.Width();
    const int32_t height = second.Height();
    if (!SizeDestination(destination, width, height)) return;

    // 64 bits: 2w overflows 32 bits for a huge amount.
    const int64_t fold = Round(width * amount);
    // Column x of the fold writes only when its mirror 2w - x lies inside the
    // picture; earlier columns write nothing.
    const int64_t firstColumn = std::max<int64_t>(0, 2 * fold - width + 1);
    const int32_t firstHeight = HasRows24(first) ? first.Height() : 0;
    const int32_t secondWidth = HasRows24(second) ? second.Width() : 0;
    for (int32_t y = 0; y < height; ++y) {
        Bgr24* target = destination.Row24(y);
        const Bgr24* r1 = y < firstHeight ? first.Row24(y) : nullptr;
        const Bgr24* r2 = secondWidth > 0 ? second.Row24(y) : nullptr;
        // Source1's row, or black below it: what every unwritten pixel holds,
        // and already the result of the last step's copy beyond 2w.
        if (r1 != nullptr) {
            std::memcpy(target, r1, Bytes(width));
        } else {
            std::memset(target, 0, Bytes(width));
        }
        for (int64_t x = firstColumn; x <= fold; ++x) {
            if (r1 != nullptr) target[2 * fold - x] = r1[x];
            if (x < secondWidth) target[x] = r2[x];
        }
    }
}

void Grow(PixelBitmap& source1, PixelBitmap& source2, PixelBitmap& destination, long double amount,
          int32_t x, int32_t y) {
    const SourceGuard guard(source2, destination);
    PixelBitmap& second = guard.Source();
    CopyBitmap(destination, source1);
    // Drawn into palette rows the pasted picture would lose its colours.
    EnsureBits24(destination);
    const int32_t width = destination.Width();
    const int32_t height = destination.Height();
    const int32_t smallWidth = Round(width * amount);
    const int32_t smallHeight = Round(height * amount);
    const bool visible = smallWidth > 0 && smallHeight > 0 && x < width && y < height &&
                         int64_t{x} + smallWidth > 0 && int64_t{y} + smallHeight > 0;
    if (!visible || second.Empty()) return;

    const ScratchPicture small(smallWidth, smallHeight);
    const FilterEntry& bSpline = ResamplingFilters[ResamplingFilterIndex("B-Spline")];
    Stretch(second, *small, bSpline.Kernel, bSpline.Support);
    bitmap::Canvas* canvas = destination.Canvas();
    if (canvas != nullptr) small->Draw(canvas->Handle(), x, y);
}

void Plasma(PixelBitmap& source1, PixelBitmap& source2, PixelBitmap& destination, long double scale,
            long double turbulence) {
    EnsureBits24(source1);
    EnsureBits24(source2);
    EnsureBits24(destination);
    // Source1 is read at displaced places while the destination is written.
    const SourceGuard guard(source1, destination);
    PixelBitmap& first = guard.Source();
    if (!HasRows24(first) || !HasRows24(source2) || !HasRows24(destination)) return;

    if (turbulence < 10.0L) turbulence = 10.0L;
    if (scale < 5.0L) scale = 5.0L;
    std::array<int64_t, 256> dx{};
    std::array<int64_t, 256> dy{};
    for (int32_t i = 0; i < 256; ++i) {
        long double sine = 0.0L;
        long double cosine = 0.0L;
        SinCos(i / turbulence, sine, cosine);
        dx[i] = Round(-scale * sine);
        dy[i] = Round(scale * cosine);
    }

    const int32_t width = first.Width();
    const int32_t height = first.Height();
    std::vector<const Bgr24*> rows(height);
    for (int32_t row = 0; row < height; ++row) rows[row] = first.Row24(row);
    const int32_t walkedWidth = Min(width, Min(source2.Width(), destination.Width()));
    const int32_t walkedHeight = Min(height, Min(source2.Height(), destination.Height()));
    for (int32_t row = 0; row < walkedHeight; ++row) {
        const Bgr24* angles = source2.Row24(row);
        Bgr24* target = destination.Row24(row);
        for (int32_t column = 0; column < walkedWidth; ++column) {
            const uint8_t blue = angles[column].Blue;
            const int64_t nx = column + dx[blue];
            const int64_t ny = row + dy[blue];
            if (nx >= 0 && nx < width && ny >= 0 && ny < height) target[column] = rows[ny][nx];
        }
    }
}

std::vector<Operation> CompositionOperations() {
    return {
        Operation{"Blend",
                  {{"amount", ParamKind::Float, "0.333"}},
                  Wiring::CopySecondPicture,
                  [](const Pictures& p, std::span<const ArgValue> a) {
                      Blend(*p.copy, *p.second, *p.picture, a[0].f);
                  }},
        Operation{"FoldRight",
                  {{"amount", ParamKind::Float, "0.33"}},
                  Wiring::CopySecondPicture,
                  [](const Pictures& p, std::span<const ArgValue> a) {
                      FoldRight(*p.copy, *p.second, *p.picture, a[0].f);
                  }},
        Operation{"Grow",
                  {{"amount", ParamKind::Float, "0.33"},
                   {"x", ParamKind::Int, "10"},
                   {"y", ParamKind::Int, "10"}},
                  Wiring::CopySecondPicture,
                  [](const Pictures& p, std::span<const ArgValue> a) {
                      Grow(*p.copy, *p.second, *p.picture, a[0].f, a[1].i, a[2].i);
                  }},
        Operation{"Plasma",
                  {{"scale", ParamKind::Float, "10.0"}, {"turbulence", ParamKind::Float, "22.0"}},
                  Wiring::SecondCopyPicture,
                  [](const Pictures& p, std::span<const ArgValue> a) {
                      Plasma(*p.second, *p.copy, *p.picture, a[0].f, a[1].f);
                  }},
    };
}

} // namespace gleamkit::fx
