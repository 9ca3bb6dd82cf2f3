#include "effects/radial_warp.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdlib>
#include <limits>

#include "base/color.h"
#include "effects/tests/warp_pictures.h"

namespace gleamkit::fx {
namespace {

using bitmap::Bgr24;
using testing::CopyOf;
using testing::PaintPicture;
using testing::PatternColour;
using testing::PixelOf;
using testing::SamePixel;
using testing::SamePixels;

// Column c has blue 10 * c + 5 and row r green 10 * r + 5, so a sample's blue
// and green give its column and row mix.
Bgr24 Ladder(int32_t x, int32_t y) {
    return Bgr24{static_cast<uint8_t>(10 * x + 5), static_cast<uint8_t>(10 * y + 5), 0};
}

TEST(WrapBilinearSample, WrapsPositionsOutsideThePictureByItsOwnRule) {
    auto picture = PaintPicture(8, 6, Ladder);
    // Beyond the last column: columns 7 and 0, half each.
    EXPECT_FLOAT_EQ(WrapBilinearSample(*picture, 7.5f, 2.0f).Blue, (75 + 5) / 2.0f);
    // Below zero past -1: columns 6 and 7, half each (-1 wraps to W - 2).
    EXPECT_FLOAT_EQ(WrapBilinearSample(*picture, -1.5f, 2.0f).Blue, (65 + 75) / 2.0f);
    // A hair below zero keeps column 0 as the base: 0.3 on column 0, 0.7 on 1.
    EXPECT_NEAR(WrapBilinearSample(*picture, -0.3f, 2.0f).Blue, 0.3f * 5 + 0.7f * 15, 1e-4);
    // Rows follow the same rule.
    EXPECT_FLOAT_EQ(WrapBilinearSample(*picture, 1.0f, 5.5f).Green, (55 + 5) / 2.0f);
    EXPECT_FLOAT_EQ(WrapBilinearSample(*picture, 1.0f, -1.5f).Green, (45 + 55) / 2.0f);
    // Whole positions far past the edge wrap modulo the size.
    EXPECT_FLOAT_EQ(WrapBilinearSample(*picture, 19.0f, 13.0f).Blue, 35.0f);
    EXPECT_FLOAT_EQ(WrapBilinearSample(*picture, 19.0f, 13.0f).Green, 15.0f);
}

TEST(WrapBilinearSample, AddsTheFourTapsWithWeightsThatSumToOne) {
    auto picture = PaintPicture(8, 6, Ladder);
    const ChannelSums inside = WrapBilinearSample(*picture, 2.25f, 3.75f);
    EXPECT_NEAR(inside.Blue, 27.5f, 1e-4);
    EXPECT_NEAR(inside.Green, 42.5f, 1e-4);
    EXPECT_EQ(inside.Red, 0.0f);
    auto white = PaintPicture(3, 3, [](int32_t, int32_t) { return Bgr24{255, 255, 255}; });
    for (const float position : {-7.9f, -0.01f, 0.37f, 2.99f, 1234.567f})
        EXPECT_LT(WrapBilinearSample(*white, position, -position).Red, 255.5f) << position;
}

TEST(WrapBilinearSample, RoundsEveryPartialSumToAFloat) {
    // Weights 0.2922, 0.2922, 0.2078, 0.2078 on green 206, 207, 206, 207: with
    // each partial sum stored as a float the total is 206.500015 and rounds
    // to 207; summing without those roundings gives exactly 206.5, which
    // rounds to 206.
    auto picture = PaintPicture(2, 2, [](int32_t, int32_t y) {
        return Bgr24{0, static_cast<uint8_t>(206 + y), 0};
    });
    EXPECT_EQ(WrapBilinearSample(*picture, 0x1.a99ap-2f, 0.5f).Green, 0x1.9d0002p+7f);
}

TEST(WrapBilinearSample, ReducesPositionsBeyondThe32BitRangeExactly) {
    auto wide = PaintPicture(3, 1, Ladder);
    // 2^33 = 3 * 2863311530 + 2: column 2.
    EXPECT_FLOAT_EQ(WrapBilinearSample(*wide, 8589934592.0f, 0.0f).Blue, 25.0f);
    // -2^33: base (3 - 1) - 2 = 0 with no fraction, so the whole weight goes to
    // the second column, 1, as for any negative whole position.
    EXPECT_FLOAT_EQ(WrapBilinearSample(*wide, -8589934592.0f, 0.0f).Blue, 15.0f);
    EXPECT_FLOAT_EQ(WrapBilinearSample(*wide, -2147483648.0f, 0.0f).Blue,
                    WrapBilinearSample(*wide, -2.0f, 0.0f).Blue);
    // The largest floats still land on a column.
    const float huge = std::numeric_limits<float>::max();
    for (const float position : {huge, -huge}) {
        const float blue = WrapBilinearSample(*wide, position, 0.0f).Blue;
        EXPECT_TRUE(blue == 5.0f || blue == 15.0f || blue == 25.0f) << position;
    }
    // Not a number, or infinite: sampled at 0.
    const float nan = std::numeric_limits<float>::quiet_NaN();
    const float inf = std::numeric_limits<float>::infinity();
    EXPECT_FLOAT_EQ(WrapBilinearSample(*wide, nan, inf).Blue, 5.0f);
}

TEST(WrapBilinearSample, OnePixelAndOneLinePicturesNeverReadOutside) {
    const float positions[] = {-3.5f, -1.0f, -0.5f, 0.0f, 0.25f, 1.0f, 1.5f, 7.75f};
    auto single = PaintPicture(1, 1, [](int32_t, int32_t) { return Bgr24{9, 99, 199}; });
    for (const float fx : positions)
        for (const float fy : positions) {
            const ChannelSums sums = WrapBilinearSample(*single, fx, fy);
            EXPECT_NEAR(sums.Blue, 9.0f, 1e-4);
            EXPECT_NEAR(sums.Red, 199.0f, 1e-4);
        }
    auto row = PaintPicture(5, 1, Ladder);
    auto column = PaintPicture(1, 5, Ladder);
    for (const float fx : positions)
        for (const float fy : positions) {
            EXPECT_NEAR(WrapBilinearSample(*row, fx, fy).Green, 5.0f, 1e-4);
            EXPECT_NEAR(WrapBilinearSample(*column, fx, fy).Blue, 5.0f, 1e-4);
        }
}

// The sampler's sums written out at extended precision, each partial sum
// stored as a float, for positions inside the picture.
ChannelSums ExtendedSample(PixelBitmap& picture, float fx, float fy) {
    const int32_t tx = static_cast<int32_t>(fx), ty = static_cast<int32_t>(fy);
    const float wx1 = fx - static_cast<float>(tx), wy1 = fy - static_cast<float>(ty);
    const float wx0 = 1.0f - wx1, wy0 = 1.0f - wy1;
    const int32_t columns[2] = {tx, tx + 1};
    const int32_t rows[2] = {ty, ty + 1};
    const float wx[2] = {wx0, wx1};
    const float wy[2] = {wy0, wy1};
    float sums[3] = {0.0f, 0.0f, 0.0f};
    for (int i = 0; i < 2; ++i)
        for (int j = 0; j < 2; ++j) {
            const long double weight = wx[i] * wy[j];
            for (int c = 0; c < 3; ++c)
                sums[c] = static_cast<float>(
                    sums[c] + testing::ChannelAt(picture, columns[i], rows[j], c) * weight);
        }
    return {sums[0], sums[1], sums[2]};
}

TEST(WrapBilinearSample, DoubleSumsMatchTheExtendedOnesEverywhere) {
    // Fractions of every size, down to a few units of the float's last place,
    // where weights fall below 2^-20 and the sampler takes the extended sums.
    auto picture = testing::MakeNoise(64, 48, 31);
    uint32_t state = 12345;
    for (int32_t i = 0; i < 400000; ++i) {
        state = state * 1664525u + 1013904223u;
        const float scale = std::ldexp(1.0f, -static_cast<int>(state >> 27)); // 2^0 .. 2^-31
        state = state * 1664525u + 1013904223u;
        const float fx = static_cast<float>(state % 62) + scale * static_cast<float>(state >> 24) / 256.0f;
        state = state * 1664525u + 1013904223u;
        const float fy = static_cast<float>(state % 46) + static_cast<float>(state >> 8) * 0x1p-24f;
        const ChannelSums fast = WrapBilinearSample(*picture, fx, fy);
        const ChannelSums exact = ExtendedSample(*picture, fx, fy);
        ASSERT_EQ(fast.Blue, exact.Blue) << fx << ", " << fy;
        ASSERT_EQ(fast.Green, exact.Green) << fx << ", " << fy;
        ASSERT_EQ(fast.Red, exact.Red) << fx << ", " << fy;
    }
}

TEST(AngleOf, CoversEveryQuadrantFromMinusHalfPiToThreeHalvesPi) {
    const float halfPi = 0x1.921fb6p+0f;
    EXPECT_EQ(AngleOf(0.0f, 2.0f), halfPi);
    EXPECT_EQ(AngleOf(0.0f, -2.0f), -halfPi);
    EXPECT_EQ(AngleOf(0.0f, 0.0f), -halfPi);
    EXPECT_EQ(AngleOf(1.0f, 1.0f), 0x1.921fb6p-1f);
    EXPECT_EQ(AngleOf(-1.0f, 0.0f), 0x1.921fb6p+1f);
    EXPECT_EQ(AngleOf(2.0f, -2.0f), -0x1.921fb6p-1f);
    EXPECT_NEAR(AngleOf(-1.0f, -1.0f), 5 * 0.785398163f, 1e-6);
    EXPECT_NEAR(AngleOf(-1.0f, 1.0f), 3 * 0.785398163f, 1e-6);
}

TEST(AngleOf, AddsPiBeforeTheOneRoundingToFloat) {
    // Rounding arctan to a float before adding pi would give the neighbouring
    // float in each of these.
    EXPECT_EQ(AngleOf(-39.0f, -5.0f), 0x1.a271fp+1f);
    EXPECT_EQ(AngleOf(-37.0f, -30.0f), 0x1.e9547ep+1f);
    EXPECT_EQ(AngleOf(-37.0f, -13.0f), 0x1.bd5f4cp+1f);
}

TEST(FishEye, CentrePixelOfAnEvenPictureSamplesItself) {
    auto source = PaintPicture(10, 8, PatternColour);
    auto picture = CopyOf(*source);
    FishEye(*source, *picture, 0.51L);
    EXPECT_TRUE(SamePixel(PixelOf(*picture, 5, 4), PixelOf(*source, 5, 4)));
}

TEST(FishEye, ProgramAmountOnAHundredSquarePicture) {
    // Blue and green grow with the column and row, so a sample shows where it
    // was taken.
    auto source = PaintPicture(100, 100, [](int32_t x, int32_t y) {
        return Bgr24{static_cast<uint8_t>(2 * x), static_cast<uint8_t>(2 * y), 50};
    });
    auto picture = CopyOf(*source);
    FishEye(*source, *picture, 0.51L);

    // (95, 74) lies exactly on the rim (45^2 + 24^2 = 51^2): no position
    // exists there, and the pixel keeps the sample at its own place.
    EXPECT_TRUE(SamePixel(PixelOf(*picture, 95, 74), PixelOf(*source, 95, 74)));
    EXPECT_TRUE(SamePixel(PixelOf(*picture, 74, 95), PixelOf(*source, 74, 95)));

    // The corners lie beyond maxrad and sample past the opposite side, wrapped:
    // (0, 0) maps to (114.69, 114.69), i.e. (14.69, 14.69); (99, 0) to
    // (-15.74, 117.08), i.e. (84.26, 17.08).
    struct Corner {
        int32_t x, y;
        double sampleX, sampleY;
    };
    for (const Corner& c : {Corner{0, 0, 14.69, 14.69}, Corner{99, 0, 84.26, 17.08},
                            Corner{0, 99, 17.08, 84.26}, Corner{99, 99, 81.71, 81.71}}) {
        const Bgr24 pixel = PixelOf(*picture, c.x, c.y);
        EXPECT_NEAR(pixel.Blue, 2 * c.sampleX, 1.0) << c.x << "," << c.y;
        EXPECT_NEAR(pixel.Green, 2 * c.sampleY, 1.0) << c.x << "," << c.y;
    }
    // Within half of maxrad the lens magnifies: (60, 50) samples nearer the
    // centre, at (56.22, 50); between half and all of maxrad it pushes out:
    // (80, 50) samples at (86.43, 50).
    EXPECT_NEAR(PixelOf(*picture, 60, 50).Blue, 2 * 56.22, 1.0);
    EXPECT_NEAR(PixelOf(*picture, 80, 50).Blue, 2 * 86.43, 1.0);
    EXPECT_EQ(PixelOf(*picture, 80, 50).Green, 100);
}

TEST(FishEye, HugeAmountZoomsTwiceAboutTheCentre) {
    auto source = PaintPicture(40, 40, PatternColour);
    auto picture = CopyOf(*source);
    FishEye(*source, *picture, 1.0e6L);
    for (int32_t b = -10; b < 10; ++b)
        for (int32_t a = -10; a < 10; ++a)
            ASSERT_TRUE(SamePixel(PixelOf(*picture, 20 + 2 * a, 20 + 2 * b),
                                  PixelOf(*source, 20 + a, 20 + b)))
                << a << "," << b;
}

TEST(FishEye, AmountZeroOrNotANumberCopiesTheSourceWrapped) {
    auto source = PaintPicture(5, 3, PatternColour);
    for (const long double amount : {0.0L, std::numeric_limits<long double>::quiet_NaN(),
                                     std::numeric_limits<long double>::infinity(), 1.0e4000L}) {
        auto picture = PaintPicture(8, 7, [](int32_t, int32_t) { return Bgr24{1, 2, 3}; });
        FishEye(*source, *picture, amount);
        for (int32_t y = 0; y < 7; ++y)
            for (int32_t x = 0; x < 8; ++x)
                ASSERT_TRUE(SamePixel(PixelOf(*picture, x, y), PixelOf(*source, x % 5, y % 3)))
                    << x << "," << y << " amount " << static_cast<double>(amount);
    }
}

TEST(FishEye, SamePictureAsSourceAndDestinationGivesTheTwoPictureResult) {
    auto source = PaintPicture(23, 17, PatternColour);
    auto expected = CopyOf(*source);
    FishEye(*source, *expected, 0.51L);
    auto picture = CopyOf(*source);
    FishEye(*picture, *picture, 0.51L);
    EXPECT_TRUE(SamePixels(*picture, *expected));
}

TEST(FishEye, TinyAndMismatchedPicturesStayInside) {
    for (const auto& [w, h] : {std::pair{1, 1}, {1, 6}, {6, 1}, {2, 2}, {3, 1}}) {
        auto source = PaintPicture(w, h, PatternColour);
        for (const long double amount : {0.51L, -0.51L, 1.0e-30L, 3.0L}) {
            auto same = CopyOf(*source);
            FishEye(*source, *same, amount);
            auto larger = PaintPicture(w + 4, h + 3, PatternColour);
            FishEye(*source, *larger, amount);
            auto smaller = PaintPicture(1, 1, PatternColour);
            FishEye(*larger, *smaller, amount);
        }
    }
    auto empty = testing::PicturePtr(bitmap::NewPixelBitmap(0, 0));
    auto picture = PaintPicture(4, 4, PatternColour);
    auto before = CopyOf(*picture);
    FishEye(*empty, *picture, 0.51L);
    EXPECT_TRUE(SamePixels(*picture, *before));
}

TEST(RadialWarp, PicturesOfAnotherLayoutAreConvertedFirst) {
    // 32-bit pictures: reading them as 24-bit rows would run past the data.
    for (const bool twist : {false, true}) {
        testing::PicturePtr source(bitmap::NewPixelBitmap(6, 4));
        source->SetLayout(bitmap::BitmapLayout::Bits32);
        for (int32_t y = 0; y < 4; ++y)
            for (int32_t x = 0; x < 6; ++x) source->SetPixelAt(x, y, MakeColor(x * 40, y * 60, 7));
        testing::PicturePtr picture(bitmap::NewPixelBitmap(6, 4));
        picture->SetLayout(bitmap::BitmapLayout::Bits32);
        if (twist)
            Twist(*source, *picture, 0);
        else
            FishEye(*source, *picture, 0.0L);
        ASSERT_EQ(picture->Layout(), bitmap::BitmapLayout::Bits24);
        for (int32_t y = 0; y < 4; ++y)
            for (int32_t x = 0; x < 6; ++x)
                EXPECT_EQ(picture->PixelAt(x, y), MakeColor(x * 40, y * 60, 7)) << x << "," << y;
    }
}

TEST(Twist, OnePixelPictureIsUnchanged) {
    auto source = PaintPicture(1, 1, PatternColour);
    auto picture = PaintPicture(1, 1, [](int32_t, int32_t) { return Bgr24{}; });
    Twist(*source, *picture, 33);
    EXPECT_TRUE(SamePixels(*picture, *source));
}

TEST(Twist, HugeAmountIsAQuarterTurnApartFromTheFirstColumnAndRow) {
    constexpr int32_t kSize = 31;
    auto source = PaintPicture(kSize, kSize, PatternColour);
    for (const int32_t amount : {std::numeric_limits<int32_t>::max(), -2147483647}) {
        auto picture = CopyOf(*source);
        Twist(*source, *picture, amount);
        int32_t fromIndexOne = 0;
        for (int32_t y = 0; y < kSize; ++y)
            for (int32_t x = 0; x < kSize; ++x) {
                // Turned a quarter: (x, y) takes source column size-1-y, row x.
                const int32_t column = kSize - 1 - y;
                const int32_t row = x;
                const Bgr24 pixel = PixelOf(*picture, x, y);
                if (column != 0 && row != 0) {
                    ASSERT_TRUE(SamePixel(pixel, PixelOf(*source, column, row))) << x << "," << y;
                    continue;
                }
                // A position a hair below 0 samples mostly index 1 by the
                // sampling rule, so the first column and row may come from 1.
                bool matched = false;
                for (const int32_t dc : {0, 1})
                    for (const int32_t dr : {0, 1})
                        if ((dc == 0 || column == 0) && (dr == 0 || row == 0))
                            matched |= SamePixel(pixel, PixelOf(*source, column + dc, row + dr));
                EXPECT_TRUE(matched) << x << "," << y;
                fromIndexOne += SamePixel(pixel, PixelOf(*source, column, row)) ? 0 : 1;
            }
        // The rule does show: cos and sin of a float angle are never exactly 0,
        // and some positions land just below 0.
        EXPECT_GT(fromIndexOne, 0);
    }
}

TEST(Twist, KeepsEveryPixelAtItsRadius) {
    // A picture whose colour depends only on the distance from the centre looks
    // the same after any twist, inside the largest circle that stays in it.
    constexpr int32_t kSize = 41;
    const auto radial = [](int32_t x, int32_t y) {
        const double r = std::hypot(x - 20.0, y - 20.0);
        const auto v = static_cast<uint8_t>(std::lround(6.0 * r));
        return Bgr24{v, v, v};
    };
    auto source = PaintPicture(kSize, kSize, radial);
    auto picture = CopyOf(*source);
    Twist(*source, *picture, 7);
    for (int32_t y = 0; y < kSize; ++y)
        for (int32_t x = 0; x < kSize; ++x) {
            if (std::hypot(x - 20.0, y - 20.0) > 19.0) continue;
            EXPECT_NEAR(PixelOf(*picture, x, y).Blue, PixelOf(*source, x, y).Blue, 3)
                << x << "," << y;
        }
    EXPECT_TRUE(SamePixel(PixelOf(*picture, 20, 20), PixelOf(*source, 20, 20)));
}

TEST(Twist, AmountZeroCopiesTheSharedPixels) {
    auto source = PaintPicture(6, 5, PatternColour);
    auto picture = PaintPicture(4, 7, [](int32_t, int32_t) { return Bgr24{1, 2, 3}; });
    Twist(*source, *picture, 0);
    for (int32_t y = 0; y < 7; ++y)
        for (int32_t x = 0; x < 4; ++x) {
            const Bgr24 expected = y < 5 ? PixelOf(*source, x, y) : Bgr24{1, 2, 3};
            EXPECT_TRUE(SamePixel(PixelOf(*picture, x, y), expected)) << x << "," << y;
        }
}

TEST(Twist, SamePictureAndTinyPictures) {
    auto source = PaintPicture(19, 12, PatternColour);
    auto expected = CopyOf(*source);
    Twist(*source, *expected, 33);
    auto picture = CopyOf(*source);
    Twist(*picture, *picture, 33);
    EXPECT_TRUE(SamePixels(*picture, *expected));

    for (const auto& [w, h] : {std::pair{1, 7}, {7, 1}, {2, 1}, {2, 2}}) {
        auto small = PaintPicture(w, h, PatternColour);
        for (const int32_t amount : {33, -1, 1, std::numeric_limits<int32_t>::min()}) {
            auto out = CopyOf(*small);
            Twist(*small, *out, amount);
            auto larger = PaintPicture(w + 3, h + 2, PatternColour);
            Twist(*small, *larger, amount);
        }
    }
}

} // namespace
} // namespace gleamkit::fx
