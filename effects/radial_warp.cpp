// FishEye and Twist, with the wrapping bilinear sampler and the angle helper
// they share. Every named quantity is a 32-bit float rounded where it is
// stored; the expressions between stores run at extended precision in the
// order the formulas are written, so results are bit-exact.
#include "effects/radial_warp.h"

#include <cmath>
#include <vector>

#include "effects/effect_common.h"
#include "effects/families.h"
#include "effects/parallel.h"
#include "effects/source_guard.h"

namespace gleamkit::fx {

namespace {

// The quarter turn the angle helper answers and Twist adds, held as a float.
constexpr float kHalfPiFloat = static_cast<float>(kPi / 2.0L);
// Positions at or beyond this magnitude have no 32-bit column.
constexpr long double kColumnLimit = 2147483648.0L;

// The two taps along one axis and their weights.
struct AxisTaps {
    int32_t first = 0;
    int32_t second = 0;
    float firstWeight = 1.0f;
    float secondWeight = 0.0f;
};

// Wraps a base index that may lie outside 0 .. size - 1. Below 0 it counts
// back from size - 1, so -1 becomes size - 2 (the sampler's own rule).
int32_t WrapIndex(int32_t index, int32_t size) {
    if (index < 0) return (size - 1) - ((-index) % size);
    if (index > size - 1) return index % size;
    return index;
}

// Base index and weights of one coordinate. Below 2^31 the position truncates
// to a 32-bit index directly (the range is checked first). Its fraction and
// one minus the fraction are exact or correctly rounded in float arithmetic,
// so they equal the extended-precision differences stored as floats: a float
// minus its truncation is a float, and 1 - w is either exact at extended
// precision or (w below 2^-41) rounds to 1 both ways. A float at or beyond
// 2^31 is a whole number, so its fraction is 0 and its index is reduced
// exactly with fmod; the answer is what a wider integer would give.
AxisTaps WrapAxis(float position, int32_t size) {
    if (!std::isfinite(position)) position = 0.0f;
    AxisTaps taps;
    int32_t base;
    if (std::fabs(position) < static_cast<float>(kColumnLimit)) {
        const auto truncated = static_cast<int32_t>(position);
        const float whole = static_cast<float>(truncated);
        if (position >= 0.0f) {
            taps.secondWeight = position - whole;
            taps.firstWeight = 1.0f - taps.secondWeight;
        } else {
            taps.firstWeight = whole - position;
            taps.secondWeight = 1.0f - taps.firstWeight;
        }
        base = WrapIndex(truncated, size);
    } else {
        const auto reduced =
            static_cast<int32_t>(std::fmod(std::fabs(static_cast<long double>(position)), size));
        if (position >= 0.0f) {
            base = reduced;
        } else {
            taps.firstWeight = 0.0f;
            taps.secondWeight = 1.0f;
            base = (size - 1) - reduced;
        }
    }
    taps.first = base;
    taps.second = base + 1 < size ? base + 1 : size - base - 1;
    return taps;
}

// sum += byte * weight, the product and the sum at extended precision, the
// sum stored as a float. (Forming the sum in double would give the same value
// wherever it is exact, but GCC 12 at -O3 vectorises such double chains across
// the channels and drops the float rounding between the steps.)
inline void AddWeighted(ChannelSums& sums, const uint8_t* pixel, float weight) {
    const long double w = weight;
    sums.Blue = static_cast<float>(sums.Blue + pixel[0] * w);
    sums.Green = static_cast<float>(sums.Green + pixel[1] * w);
    sums.Red = static_cast<float>(sums.Red + pixel[2] * w);
}

// The source's rows fetched once per call, for the per-pixel sampling loops.
struct SourceRows {
    explicit SourceRows(PixelBitmap& source)
        : width(source.Width()), height(source.Height()), rows(height) {
        for (int32_t y = 0; y < height; ++y) rows[y] = source.ScanLine(y);
    }
    int32_t width;
    int32_t height;
    std::vector<const uint8_t*> rows;
};

// The four taps in their fixed order: base column with base then second row,
// then second column with base then second row. The order matters because
// each partial sum is rounded to a float.
ChannelSums SampleRows(const SourceRows& source, float fx, float fy) {
    const AxisTaps column = WrapAxis(fx, source.width);
    const AxisTaps row = WrapAxis(fy, source.height);
    const uint8_t* baseRow = source.rows[row.first];
    const uint8_t* secondRow = source.rows[row.second];
    const int32_t baseX = 3 * column.first;
    const int32_t secondX = 3 * column.second;
    // A float product is the exact product rounded once, as the extended
    // product stored to a float is.
    const float weights[4] = {
        column.firstWeight * row.firstWeight, column.firstWeight * row.secondWeight,
        column.secondWeight * row.firstWeight, column.secondWeight * row.secondWeight};
    ChannelSums sums;
    AddWeighted(sums, baseRow + baseX, weights[0]);
    AddWeighted(sums, secondRow + baseX, weights[1]);
    AddWeighted(sums, baseRow + secondX, weights[2]);
    AddWeighted(sums, secondRow + secondX, weights[3]);
    return sums;
}

// Round, halves to even, then clamped to a byte. The weights add up to 1, so a
// sum stays within a byte; the clamp only guards the last rounding of the
// float weights. Below 2^23 adding and removing 2^23 in float arithmetic
// rounds to the nearest integer, halves to even, exactly as Round does, and
// far faster than a general rounding call per channel.
inline uint8_t RoundChannel(float sum) {
    if (!(sum > 0.0f)) return 0;
    if (sum >= 255.0f) return 255;
    constexpr float kShift = 8388608.0f;
    return static_cast<uint8_t>((sum + kShift) - kShift);
}

inline void StoreSample(uint8_t* pixel, const ChannelSums& sums) {
    pixel[0] = RoundChannel(sums.Blue);
    pixel[1] = RoundChannel(sums.Green);
    pixel[2] = RoundChannel(sums.Red);
}

// Offsets of every column (or row) from a centre, stored as floats, and their
// squares at extended precision (exact: a float squared fits 64 bits).
struct CentreOffsets {
    CentreOffsets(int32_t count, float centre) : offset(count), square(count) {
        for (int32_t i = 0; i < count; ++i) {
            offset[i] = static_cast<float>(i - static_cast<long double>(centre));
            square[i] = static_cast<long double>(offset[i]) * offset[i];
        }
    }
    std::vector<float> offset;
    std::vector<long double> square;
};

float Radius(long double dxSquare, long double dySquare) {
    return static_cast<float>(std::sqrt(dxSquare + dySquare));
}

void PrepareTwoPictures(PixelBitmap& source, PixelBitmap& destination) {
    EnsureBits24(source);
    EnsureBits24(destination);
}

// One fish-eye position; false when the pixel lies exactly on the rim or its
// position leaves the float range, where the formula has no answer.
bool FishEyePosition(float dx, float dy, float r, float maxrad, float xmid, float ymid, float& fx,
                     float& fy) {
    if (r == 0.0f) {
        fx = xmid;
        fy = ymid;
        return true;
    }
    const long double rest = 1.0L - r / static_cast<long double>(maxrad);
    if (rest == 0.0L) return false;
    const float nr = static_cast<float>((1.0L / rest - 1.0L) * (maxrad / 2.0L));
    fx = static_cast<float>(static_cast<long double>(dx) * nr / r + xmid);
    fy = static_cast<float>(static_cast<long double>(dy) * nr / r + ymid);
    return std::isfinite(fx) && std::isfinite(fy);
}

// One twist position: the angle of the offset, less r / amount, plus the
// quarter turn, all stored as floats; each product r * cos(a), r * sin(a) is
// stored before the centre is added.
void TwistPosition(float dx, float dy, long double dxSquare, long double dySquare, int32_t amount,
                   float cx, float cy, float& fx, float& fy) {
    const float r = Radius(dxSquare, dySquare);
    if (r == 0.0f) {
        fx = cx;
        fy = cy;
        return;
    }
    const float a = static_cast<float>(static_cast<long double>(AngleOf(dx, dy)) -
                                       r / static_cast<long double>(amount) + kHalfPiFloat);
    long double sine;
    long double cosine;
    SinCos(a, sine, cosine);
    const float px = static_cast<float>(r * cosine);
    const float py = static_cast<float>(r * sine);
    fx = static_cast<float>(static_cast<long double>(px) + cx);
    fy = static_cast<float>(static_cast<long double>(py) + cy);
}

// Calls pixel(x, y, address) for every pixel of the destination's first
// `width` x `height`. Each result depends on the source alone, so the order is
// free and bands of tile rows run on separate threads; square tiles keep the
// source rows a warp reads in the cache (a twist walks the source across its
// rows).
template <typename PixelFunction>
void VisitInTiles(PixelBitmap& destination, int32_t width, int32_t height, PixelFunction pixel) {
    constexpr int32_t kTile = 64;
    std::vector<uint8_t*> outRows(height);
    for (int32_t y = 0; y < height; ++y) outRows[y] = destination.ScanLine(y);
    const int32_t tileRows = (height + kTile - 1) / kTile;
    ParallelBands(tileRows, 1, [&](int32_t firstTileRow, int32_t endTileRow) {
        for (int32_t top = firstTileRow * kTile; top < Min(endTileRow * kTile, height); top += kTile) {
            const int32_t bottom = Min(top + kTile, height);
            for (int32_t left = 0; left < width; left += kTile) {
                const int32_t right = Min(left + kTile, width);
                for (int32_t y = top; y < bottom; ++y)
                    for (int32_t x = left; x < right; ++x) pixel(x, y, outRows[y] + 3 * x);
            }
        }
    });
}

} // namespace

ChannelSums WrapBilinearSample(PixelBitmap& source, float fx, float fy) {
    if (source.Width() <= 0 || source.Height() <= 0) return {};
    return SampleRows(SourceRows(source), fx, fy);
}

float AngleOf(float x, float y) {
    if (x == 0.0f) return y > 0.0f ? kHalfPiFloat : -kHalfPiFloat;
    long double angle = std::atan(static_cast<long double>(y) / x);
    if (x < 0.0f) angle += kPi;
    return static_cast<float>(angle);
}

void FishEye(PixelBitmap& source, PixelBitmap& destination, long double amount) {
    PrepareTwoPictures(source, destination);
    if (source.Empty() || destination.Empty()) return;
    const SourceGuard guard(source, destination);
    const SourceRows rows(guard.Source());

    const float xmid = static_cast<float>(rows.width / 2.0L);
    const float ymid = static_cast<float>(rows.height / 2.0L);
    const int32_t width = destination.Width();
    const int32_t height = destination.Height();
    const float maxrad = static_cast<float>(width * amount);
    const bool lens = maxrad != 0.0f && std::isfinite(maxrad);
    const CentreOffsets columns(width, xmid);

    const CentreOffsets rowOffsets(height, ymid);
    VisitInTiles(destination, width, height, [&](int32_t x, int32_t y, uint8_t* out) {
        float fx = static_cast<float>(x);
        float fy = static_cast<float>(y);
        if (lens) {
            const float r = Radius(columns.square[x], rowOffsets.square[y]);
            float lensX;
            float lensY;
            if (FishEyePosition(columns.offset[x], rowOffsets.offset[y], r, maxrad, xmid, ymid,
                                lensX, lensY)) {
                fx = lensX;
                fy = lensY;
            }
        }
        StoreSample(out, SampleRows(rows, fx, fy));
    });
}

void Twist(PixelBitmap& source, PixelBitmap& destination, int32_t amount) {
    PrepareTwoPictures(source, destination);
    if (source.Empty() || destination.Empty()) return;
    const SourceGuard guard(source, destination);
    const SourceRows rows(guard.Source());

    const float cx = static_cast<float>((rows.width - 1) / 2.0L);
    const float cy = static_cast<float>((rows.height - 1) / 2.0L);
    const int32_t width = Min(rows.width, destination.Width());
    const int32_t height = Min(rows.height, destination.Height());
    const CentreOffsets columns(width, cx);
    const CentreOffsets rowOffsets(height, cy);

    VisitInTiles(destination, width, height, [&](int32_t x, int32_t y, uint8_t* out) {
        float fx = static_cast<float>(x);
        float fy = static_cast<float>(y);
        if (amount != 0)
            TwistPosition(columns.offset[x], rowOffsets.offset[y], columns.square[x],
                          rowOffsets.square[y], amount, cx, cy, fx, fy);
        StoreSample(out, SampleRows(rows, fx, fy));
    });
}

std::vector<Operation> RadialWarpOperations() {
    return {
        {"FishEye",
         {{"Amount", ParamKind::Float, "0.51"}},
         Wiring::SourceToPicture,
         [](const Pictures& pictures, std::span<const ArgValue> args) {
             FishEye(*pictures.copy, *pictures.picture, args[0].f);
         }},
        {"Twist",
         {{"Amount", ParamKind::Int, "33"}},
         Wiring::SourceToPicture,
         [](const Pictures& pictures, std::span<const ArgValue> args) {
             Twist(*pictures.copy, *pictures.picture, args[0].i);
         }},
    };
}

} // namespace gleamkit::fx
