// The fast double-precision forms against the exact extended ones: the
// rounding checks on values built to sit at (or a hair from) a rounding
// boundary, and the warps' positions compared on millions of pixels.
#include "effects/warp_positions.h"

#include <gtest/gtest.h>

#include <cmath>
#include <algorithm>
#include <cstdint>
#include <vector>

#include "effects/checked_double.h"

namespace gleamkit::fx {
namespace {

using warp::CentreOffsets;

TEST(SettledFloat, RefusesValuesWhoseBoundReachesAFloatMidpoint) {
    float stored = 0.0f;
    // 1 + 2^-24 is the midpoint between 1 and the next float: refused even
    // with bounds far below a unit in the double's last place.
    EXPECT_FALSE(SettledFloat(1.0 + 0x1p-24, 0.0, stored));
    EXPECT_FALSE(SettledFloat(1.0 + 0x1p-24, 0x1p-60, stored));
    // A hair above it: settled when the bound stays short of the midpoint.
    EXPECT_TRUE(SettledFloat(1.0 + 0x1p-24 + 0x1p-40, 0x1p-41, stored));
    EXPECT_EQ(stored, 1.0f + 0x1p-23f);
    EXPECT_FALSE(SettledFloat(1.0 + 0x1p-24 + 0x1p-40, 0x1p-40, stored));
    EXPECT_FALSE(SettledFloat(1.0 + 0x1p-24 + 0x1p-40, 0x1p-39, stored));
    // A hair below it rounds down.
    EXPECT_TRUE(SettledFloat(1.0 + 0x1p-24 - 0x1p-40, 0x1p-41, stored));
    EXPECT_EQ(stored, 1.0f);
    // Just above a power of two the midpoint below is half as far away:
    // 1 - 2^-25.
    EXPECT_TRUE(SettledFloat(1.0 + 0x1p-50, 0x1p-25, stored));
    EXPECT_EQ(stored, 1.0f);
    EXPECT_FALSE(SettledFloat(1.0 + 0x1p-50, 0x1p-25 + 0x1p-49, stored));
    // Negative values mirror positive ones.
    EXPECT_FALSE(SettledFloat(-(1.0 + 0x1p-24), 0x1p-60, stored));
    EXPECT_TRUE(SettledFloat(-(3.0 + 0x1p-30), 0x1p-40, stored));
    EXPECT_EQ(stored, -3.0f);
}

TEST(SettledFloat, RefusesZeroInfinityAndNotANumber) {
    float stored = 0.0f;
    const double infinity = HUGE_VAL;
    for (const double value : {0.0, -0.0, 0x1p-160, 0x1p128, infinity, -infinity, std::nan("")})
        EXPECT_FALSE(SettledFloat(value, 0.0, stored)) << value;
    EXPECT_FALSE(SettledFloat(1.5, std::nan(""), stored));
    EXPECT_FALSE(SettledFloat(1.5, HUGE_VAL, stored));
    // A denormal float is as settled as any other when the bound allows.
    EXPECT_TRUE(SettledFloat(0x1p-140 + 0x1p-160, 0x1p-160, stored));
    EXPECT_EQ(stored, 0x1p-140f);
}

// Every number within the bound rounds to the settled float: both ends of
// the interval, held exactly at extended precision, round to it.
TEST(SettledFloat, BothEndsOfASettledIntervalRoundToTheStoredFloat) {
    uint64_t state = 88172645463325252ull;
    int32_t settled = 0;
    for (int32_t i = 0; i < 2000000; ++i) {
        state ^= state << 13;
        state ^= state >> 7;
        state ^= state << 17;
        // Values near float midpoints: a float, plus half its spacing, plus
        // a few units of the double's last place either way.
        const float base = std::ldexp(static_cast<float>(state >> 40) + 0x1p24f, -20);
        const int32_t offset = static_cast<int32_t>(state & 0xFF) - 128;
        const double value = static_cast<double>(base) + std::ldexp(1.0, -20 - 24 + 1 - 1) +
                             std::ldexp(static_cast<double>(offset), -20 - 52 + 24);
        const double bound = std::ldexp(static_cast<double>((state >> 8) & 0x7F), -20 - 52 + 24);
        float stored;
        if (!SettledFloat(value, bound, stored)) continue;
        ++settled;
        const long double low = static_cast<long double>(value) - bound;
        const long double high = static_cast<long double>(value) + bound;
        ASSERT_EQ(static_cast<float>(low), stored) << value << " " << bound;
        ASSERT_EQ(static_cast<float>(high), stored) << value << " " << bound;
    }
    EXPECT_GT(settled, 100000);
}

TEST(SettledRound, RefusesHalvesWithinTheBound) {
    int32_t rounded = 0;
    EXPECT_FALSE(SettledRound(2.5, 0.0, rounded));
    EXPECT_FALSE(SettledRound(2.5, 0x1p-80, rounded));
    EXPECT_FALSE(SettledRound(-0.5, 0x1p-40, rounded));
    EXPECT_TRUE(SettledRound(2.5 + 0x1p-30, 0x1p-31, rounded));
    EXPECT_EQ(rounded, 3);
    EXPECT_FALSE(SettledRound(2.5 + 0x1p-30, 0x1p-30, rounded));
    EXPECT_TRUE(SettledRound(-7.25, 0.1, rounded));
    EXPECT_EQ(rounded, -7);
    EXPECT_FALSE(SettledRound(3e9, 0.0, rounded));
    EXPECT_FALSE(SettledRound(std::nan(""), 0.0, rounded));
    EXPECT_FALSE(SettledRound(1.0, std::nan(""), rounded));
}

// The fast radius is the extended one for every offset of a large picture.
TEST(FastWarpPositions, RadiusMatchesTheExtendedOne) {
    const CentreOffsets columns(4001, 2000.0f);
    const CentreOffsets rows(3001, 1500.5f);
    for (int32_t y = 0; y < 3001; y += 7)
        for (int32_t x = 0; x < 4001; ++x)
            ASSERT_EQ(warp::FastRadius(columns.offset[x], rows.offset[y]),
                      warp::Radius(columns.square[x], rows.square[y]))
                << x << ", " << y;
}

// Every position the fast form settles equals the exact one; it declines
// only a sliver of pixels (those next to the rim and a rare few elsewhere).
TEST(FastWarpPositions, FishEyeMatchesTheExtendedFormOnEveryPixel) {
    struct Case {
        int32_t width, height;
        long double amount;
    };
    for (const Case& c : {Case{1920, 1080, 0.51L}, Case{1001, 999, 0.2L}, Case{640, 480, 1.3L},
                          Case{777, 555, -0.5L}, Case{100, 100, 0.51L}}) {
        const float xmid = static_cast<float>(c.width / 2.0L);
        const float ymid = static_cast<float>(c.height / 2.0L);
        const float maxrad = static_cast<float>(c.width * c.amount);
        const CentreOffsets columns(c.width, xmid);
        const CentreOffsets rows(c.height, ymid);
        int64_t declined = 0;
        for (int32_t y = 0; y < c.height; ++y) {
            for (int32_t left = 0; left < c.width; left += warp::kPieceLength) {
                const int32_t right = std::min(left + warp::kPieceLength, c.width);
                // Odd rows take the widest registers, even ones the two-lane form.
                warp::WarpPiece piece;
                warp::FastFishEyePositions(columns, rows.offset[y], left, right, maxrad, xmid,
                                           ymid, piece, y % 2 == 1);
                for (int32_t x = left; x < right; ++x) {
                    if (!piece.settled[x - left]) {
                        ++declined;
                        continue;
                    }
                    const float dx = columns.offset[x];
                    const float dy = rows.offset[y];
                    float fx, fy;
                    ASSERT_TRUE(warp::FishEyePosition(dx, dy, warp::FastRadius(dx, dy), maxrad,
                                                      xmid, ymid, fx, fy));
                    ASSERT_EQ(piece.fx[x - left], fx) << x << ", " << y << " of " << c.width;
                    ASSERT_EQ(piece.fy[x - left], fy) << x << ", " << y << " of " << c.width;
                }
            }
        }
        EXPECT_LT(declined, int64_t{c.width} * c.height / 100) << c.width << "x" << c.height;
    }
}

TEST(FastWarpPositions, FishEyeDeclinesThePixelOnTheRim) {
    // 100 x 100 with amount 0.51: (95, 74) lies exactly at r = maxrad = 51.
    const CentreOffsets columns(100, 50.0f);
    const CentreOffsets rows(100, 50.0f);
    const float r = warp::FastRadius(columns.offset[95], rows.offset[74]);
    ASSERT_EQ(r, 51.0f);
    const float maxrad = static_cast<float>(100 * 0.51L);
    for (const bool widest : {false, true}) {
        warp::WarpPiece piece;
        warp::FastFishEyePositions(columns, rows.offset[74], 64, 100, maxrad, 50.0f, 50.0f, piece,
                                   widest);
        EXPECT_FALSE(piece.settled[95 - 64]);
        EXPECT_TRUE(piece.settled[94 - 64]);
    }
    float fx, fy;
    EXPECT_FALSE(warp::FishEyePosition(columns.offset[95], rows.offset[74], r, maxrad, 50.0f,
                                       50.0f, fx, fy));
}

TEST(FastWarpPositions, TwistLaneWidthsGiveTheSamePositions) {
    const CentreOffsets columns(1001, 500.0f);
    const CentreOffsets rows(301, 150.0f);
    std::vector<double> reciprocals(1001);
    for (int32_t x = 0; x < 1001; ++x)
        reciprocals[x] = columns.offset[x] != 0.0f ? 1.0 / columns.offset[x] : 0.0;
    for (int32_t y = 0; y < 301; ++y) {
        for (int32_t left = 0; left < 1001; left += 63) {
            const int32_t right = std::min(left + 63, 1001);
            warp::WarpPiece two, widest;
            warp::FastTwistPositions(columns, reciprocals, rows.offset[y], left, right, 13, 500.0f,
                                     150.0f, two, false);
            warp::FastTwistPositions(columns, reciprocals, rows.offset[y], left, right, 13, 500.0f,
                                     150.0f, widest, true);
            for (int32_t i = 0; i < right - left; ++i) {
                ASSERT_EQ(two.settled[i], widest.settled[i]) << left + i << ", " << y;
                if (!two.settled[i]) continue;
                ASSERT_EQ(two.fx[i], widest.fx[i]) << left + i << ", " << y;
                ASSERT_EQ(two.fy[i], widest.fy[i]) << left + i << ", " << y;
            }
        }
    }
}

TEST(FastWarpPositions, TwistMatchesTheExtendedFormOnEveryPixel) {
    struct Case {
        int32_t width, height, amount;
    };
    for (const Case& c : {Case{1920, 1080, 33}, Case{641, 479, -7}, Case{333, 777, 1},
                          Case{500, 300, 100000}, Case{64, 65, 2}}) {
        const float cx = static_cast<float>((c.width - 1) / 2.0L);
        const float cy = static_cast<float>((c.height - 1) / 2.0L);
        const CentreOffsets columns(c.width, cx);
        const CentreOffsets rows(c.height, cy);
        std::vector<double> reciprocals(c.width);
        for (int32_t x = 0; x < c.width; ++x)
            reciprocals[x] = columns.offset[x] != 0.0f ? 1.0 / columns.offset[x] : 0.0;
        int64_t declined = 0;
        for (int32_t y = 0; y < c.height; ++y) {
            for (int32_t left = 0; left < c.width; left += warp::kPieceLength) {
                const int32_t right = std::min(left + warp::kPieceLength, c.width);
                // Odd rows take the widest registers, even ones the two-lane form.
                warp::WarpPiece piece;
                warp::FastTwistPositions(columns, reciprocals, rows.offset[y], left, right,
                                         c.amount, cx, cy, piece, y % 2 == 1);
                for (int32_t x = left; x < right; ++x) {
                    if (!piece.settled[x - left]) {
                        ++declined;
                        continue;
                    }
                    float fx, fy;
                    warp::TwistPosition(columns.offset[x], rows.offset[y], columns.square[x],
                                        rows.square[y], c.amount, cx, cy, fx, fy);
                    ASSERT_EQ(piece.fx[x - left], fx) << x << ", " << y << " amount " << c.amount;
                    ASSERT_EQ(piece.fy[x - left], fy) << x << ", " << y << " amount " << c.amount;
                }
            }
        }
        // The centre pixel (odd sizes) is left to the exact form; others are rare.
        EXPECT_LT(declined, int64_t{c.width} * c.height / 1000 + 2) << c.width << "x" << c.height;
    }
}

} // namespace
} // namespace gleamkit::fx
