// FishEye and Twist, with the wrapping bilinear sampler and the angle helper
// they share. Every named quantity is a 32-bit float rounded where it is
// stored; the expressions between stores run at extended precision in the
// order the formulas are written, so results are bit-exact. The positions
// come from warp_positions (a proven double-precision form, the extended one
// where the proof declines); a row piece's positions and taps are found
// first and its samples summed after, so its scattered reads overlap.
#include "effects/radial_warp.h"

#include <emmintrin.h>
#include <xmmintrin.h>

#include <cmath>
#include <vector>

#include "effects/effect_common.h"
#include "effects/families.h"
#include "effects/parallel.h"
#include "effects/source_guard.h"
#include "effects/warp_positions.h"

namespace gleamkit::fx {

namespace {

using namespace warp;

// The side of the square tiles the warps walk: one row piece of positions.
constexpr int32_t kTile = kPieceLength;
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
    // Most positions lie inside, below the last column: no wrapping, and the
    // second tap is the next column. (A NaN fails the test.)
    if (position >= 0.0f && position < static_cast<float>(size - 1)) {
        const auto truncated = static_cast<int32_t>(position);
        const float fraction = position - static_cast<float>(truncated);
        return {truncated, truncated + 1, 1.0f - fraction, fraction};
    }
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
// sum stored as a float: the form for samples whose double sums could be
// inexact (see ExactInDouble). The double form is written with explicit
// vector instructions: GCC 12 at -O3 vectorises plain double chains across
// the channels and drops the float rounding between the steps.
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

// A double holding the float the value rounds to, as a float variable would.
inline __m128d StoredAsFloat(__m128d value) {
    return _mm_cvtps_pd(_mm_cvtpd_ps(value));
}

// The smallest non-zero weight for which double sums are exact (see
// SumTaps).
constexpr float kSmallestExactWeight = 0x1p-20f;

// The four taps of one sample: their pixels and weights, in summing order:
// base column with base then second row, then second column with base then
// second row. The order matters because each partial sum is rounded to a
// float.
struct Taps {
    const uint8_t* pixel[4];
    float weight[4];
};

Taps FindTaps(const SourceRows& source, float fx, float fy) {
    const AxisTaps column = WrapAxis(fx, source.width);
    const AxisTaps row = WrapAxis(fy, source.height);
    const uint8_t* baseRow = source.rows[row.first];
    const uint8_t* secondRow = source.rows[row.second];
    const int32_t baseX = 3 * column.first;
    const int32_t secondX = 3 * column.second;
    // A float product is the exact product rounded once, as the extended
    // product stored to a float is.
    return {{baseRow + baseX, secondRow + baseX, baseRow + secondX, secondRow + secondX},
            {column.firstWeight * row.firstWeight, column.firstWeight * row.secondWeight,
             column.secondWeight * row.firstWeight, column.secondWeight * row.secondWeight}};
}

// Asks for the taps' cache lines ahead of summing: a warp reads the source
// scattered, and a row piece's reads can then wait for memory together.
// The second column is beside the base one, nearly always in the same line.
inline void PrefetchTaps(const Taps& taps) {
    _mm_prefetch(reinterpret_cast<const char*>(taps.pixel[0]), _MM_HINT_T0);
    _mm_prefetch(reinterpret_cast<const char*>(taps.pixel[1]), _MM_HINT_T0);
}

// Every term is a byte times a weight in 0 .. 1, and every partial sum a float
// below 2^9. When each weight is 0 or at least 2^-20, each term and each
// non-zero partial sum is a multiple of 2^-43 (a float of at least 2^-20 has
// no bit below that), so the exact sum of a partial sum and a term has at most
// 52 significant bits: double and extended precision both hold it exactly and
// round it once to the same float. Those samples are summed in double, two
// channels per register; the rare sample with a smaller weight takes the
// extended sums.
inline bool ExactInDouble(const Taps& taps) {
    bool exact = true;
    for (const float weight : taps.weight)
        exact = exact && (weight == 0.0f || weight >= kSmallestExactWeight);
    return exact;
}

// The double sums of ExactInDouble taps: blue and green in one register, red
// in the low half of the other, each holding a float value.
inline void DoubleSums(const Taps& taps, __m128d& blueGreen, __m128d& red) {
    blueGreen = _mm_setzero_pd();
    red = _mm_setzero_pd();
    for (int k = 0; k < 4; ++k) {
        const uint8_t* pixel = taps.pixel[k];
        const __m128d weight = _mm_set1_pd(taps.weight[k]);
        blueGreen = StoredAsFloat(
            _mm_add_pd(blueGreen, _mm_mul_pd(_mm_set_pd(pixel[1], pixel[0]), weight)));
        red = StoredAsFloat(_mm_add_sd(red, _mm_mul_sd(_mm_set_sd(pixel[2]), weight)));
    }
}

ChannelSums SumTaps(const Taps& taps) {
    ChannelSums sums;
    if (!ExactInDouble(taps)) {
        for (int k = 0; k < 4; ++k) AddWeighted(sums, taps.pixel[k], taps.weight[k]);
        return sums;
    }
    __m128d blueGreen;
    __m128d red;
    DoubleSums(taps, blueGreen, red);
    sums.Blue = static_cast<float>(_mm_cvtsd_f64(blueGreen));
    sums.Green = static_cast<float>(_mm_cvtsd_f64(_mm_unpackhi_pd(blueGreen, blueGreen)));
    sums.Red = static_cast<float>(_mm_cvtsd_f64(red));
    return sums;
}

ChannelSums SampleRows(const SourceRows& source, float fx, float fy) {
    return SumTaps(FindTaps(source, fx, fy));
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

// Sums the taps and stores the rounded channels. In the double form the three
// float sums are clamped to 0 .. 255 and rounded together by the processor's
// conversion (nearest, halves to even: RoundChannel's answer).
inline void StoreTaps(uint8_t* pixel, const Taps& taps) {
    if (!ExactInDouble(taps)) {
        StoreSample(pixel, SumTaps(taps));
        return;
    }
    __m128d blueGreen;
    __m128d red;
    DoubleSums(taps, blueGreen, red);
    __m128 sums = _mm_movelh_ps(_mm_cvtpd_ps(blueGreen), _mm_cvtpd_ps(red));
    sums = _mm_min_ps(_mm_max_ps(sums, _mm_setzero_ps()), _mm_set1_ps(255.0f));
    const __m128i words = _mm_packs_epi32(_mm_cvtps_epi32(sums), _mm_setzero_si128());
    const int32_t packed = _mm_cvtsi128_si32(_mm_packus_epi16(words, words));
    pixel[0] = static_cast<uint8_t>(packed);
    pixel[1] = static_cast<uint8_t>(packed >> 8);
    pixel[2] = static_cast<uint8_t>(packed >> 16);
}

void PrepareTwoPictures(PixelBitmap& source, PixelBitmap& destination) {
    EnsureBits24(source);
    EnsureBits24(destination);
}

// Calls segment(y, left, right, row) for every row piece of square tiles
// covering the destination's first `width` x `height` pixels (`row` is the
// destination row y). Each result depends on the source alone, so the order
// is free and bands of tile rows run on separate threads; square tiles keep
// the source rows a warp reads in the cache (a twist walks the source across
// its rows).
template <typename SegmentFunction>
void VisitInTiles(PixelBitmap& destination, int32_t width, int32_t height,
                  SegmentFunction segment) {
    std::vector<uint8_t*> outRows(height);
    for (int32_t y = 0; y < height; ++y) outRows[y] = destination.ScanLine(y);
    const int32_t tileRows = (height + kTile - 1) / kTile;
    ParallelBands(tileRows, 1, [&](int32_t firstTileRow, int32_t endTileRow) {
        for (int32_t top = firstTileRow * kTile; top < Min(endTileRow * kTile, height);
             top += kTile) {
            const int32_t bottom = Min(top + kTile, height);
            for (int32_t left = 0; left < width; left += kTile) {
                const int32_t right = Min(left + kTile, width);
                for (int32_t y = top; y < bottom; ++y) segment(y, left, right, outRows[y]);
            }
        }
    });
}

// Samples columns left .. right - 1 of destination row y into `row`. An
// unwarped pixel reads its own position; a warped one takes the fast piece's
// position where it settled and position(x, fx, fy) elsewhere. All taps are
// found (and prefetched) before any is summed, so the scattered reads overlap.
template <typename PositionFunction>
void SampleRowPiece(const SourceRows& rows, const WarpPiece& piece, bool warped, bool fast,
                    int32_t y, int32_t left, int32_t right, uint8_t* row,
                    PositionFunction position) {
    Taps taps[kTile];
    for (int32_t x = left; x < right; ++x) {
        float fx = static_cast<float>(x);
        float fy = static_cast<float>(y);
        if (warped && fast && piece.settled[x - left]) {
            fx = piece.fx[x - left];
            fy = piece.fy[x - left];
        } else if (warped) {
            position(x, fx, fy);
        }
        taps[x - left] = FindTaps(rows, fx, fy);
        PrefetchTaps(taps[x - left]);
    }
    for (int32_t x = left; x < right; ++x) StoreTaps(row + 3 * x, taps[x - left]);
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
    const bool fast = Max(Max(width, height), Max(rows.width, rows.height)) < kLargestFastSide;
    const CentreOffsets columns(width, xmid);
    const CentreOffsets rowOffsets(height, ymid);

    VisitInTiles(destination, width, height, [&](int32_t y, int32_t left, int32_t right,
                                                 uint8_t* row) {
        const float dy = rowOffsets.offset[y];
        WarpPiece piece;
        if (lens && fast) FastFishEyePositions(columns, dy, left, right, maxrad, xmid, ymid, piece);
        SampleRowPiece(
            rows, piece, lens, fast, y, left, right, row, [&](int32_t x, float& fx, float& fy) {
                const float r = Radius(columns.square[x], rowOffsets.square[y]);
                float lensX;
                float lensY;
                if (FishEyePosition(columns.offset[x], dy, r, maxrad, xmid, ymid, lensX, lensY)) {
                    fx = lensX;
                    fy = lensY;
                }
            });
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
    const bool fast = Max(rows.width, rows.height) < kLargestFastSide;
    const CentreOffsets columns(width, cx);
    const CentreOffsets rowOffsets(height, cy);
    // 1 / dx per column (0 where dx = 0, whose angle needs no quotient).
    std::vector<double> reciprocals(width);
    for (int32_t x = 0; x < width; ++x)
        reciprocals[x] = columns.offset[x] != 0.0f ? 1.0 / columns.offset[x] : 0.0;

    const bool twisted = amount != 0;

    VisitInTiles(destination, width, height, [&](int32_t y, int32_t left, int32_t right,
                                                 uint8_t* row) {
        WarpPiece piece;
        if (twisted && fast)
            FastTwistPositions(columns, reciprocals, rowOffsets.offset[y], left, right, amount, cx,
                               cy, piece);
        SampleRowPiece(
            rows, piece, twisted, fast, y, left, right, row, [&](int32_t x, float& fx, float& fy) {
                TwistPosition(columns.offset[x], rowOffsets.offset[y], columns.square[x],
                              rowOffsets.square[y], amount, cx, cy, fx, fy);
            });
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
