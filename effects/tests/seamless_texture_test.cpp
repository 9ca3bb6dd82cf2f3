#include "effects/seamless_texture.h"

#include <gtest/gtest.h>

#include <cmath>
#include <string>
#include <tuple>
#include <vector>

#include "effects/tests/golden.h"
#include "effects/tests/test_pictures.h"

namespace gleamkit::fx {
namespace {

using bitmap::Bgr24;
using bitmap::BitmapLayout;
using testing::ChannelsAt;
using testing::CheckGolden;
using testing::CopyOf;
using testing::MakeNoise;
using testing::MakePattern;
using testing::MakePictureFrom;
using testing::PicturePtr;
using testing::SamePixels;

// Seamless as its steps read, with every blend that would touch a pixel
// outside the picture left out (the reference for oversized depths).
void ReferenceSeamless(bitmap::PixelBitmap& picture, int32_t depth) {
    if (depth == 0) return;
    const int32_t w = picture.Width(), h = picture.Height();
    const long double inv = 1.0L / depth;
    auto blend = [&](int32_t ox, int32_t oy, int32_t tx, int32_t ty, int32_t k) {
        if (ox < 0 || ox >= w || oy < 0 || oy >= h || tx < 0 || tx >= w || ty < 0 || ty >= h)
            return;
        const long double f = 1.0L - k * inv;
        for (int32_t c = 0; c < 3; ++c) {
            uint8_t& old = picture.ScanLine(oy)[3 * ox + c];
            const uint8_t other = picture.ScanLine(ty)[3 * tx + c];
            old = static_cast<uint8_t>(std::nearbyintl((1.0L - f) * old + other * f));
        }
    };
    for (int32_t i = 0; i <= depth; ++i) {
        for (int32_t x = i; x <= w - 1 - i; ++x) blend(x, h - 1 - i, x, i, i);
        for (int32_t j = 0; j <= i; ++j) {
            blend(w - 1 - j, i, j, i, j);
            blend(w - 1 - j, h - 1 - i, j, h - 1 - i, j);
        }
    }
    for (int32_t y = depth; y <= h - 1 - depth; ++y)
        for (int32_t j = 0; j <= depth; ++j) blend(w - 1 - j, y, j, y, j);
}

TEST(Seamless, MatchesItsStepsOnEverySizeAndDepth) {
    const std::pair<int32_t, int32_t> sizes[] = {{1, 1}, {2, 2},  {3, 3},  {5, 4},
                                                 {4, 5}, {9, 13}, {70, 50}};
    for (const auto& [w, h] : sizes) {
        for (const int32_t depth : {1, 2, 3, 7, 32, 255}) {
            PicturePtr picture = MakeNoise(w, h, static_cast<uint32_t>(depth));
            PicturePtr expected = CopyOf(*picture);
            ReferenceSeamless(*expected, depth);
            Seamless(*picture, static_cast<uint8_t>(depth));
            EXPECT_TRUE(SamePixels(*picture, *expected)) << w << "x" << h << " depth " << depth;
        }
    }
}

TEST(Seamless, DepthZeroOnlyConverts) {
    PicturePtr picture = MakePattern(10, 8);
    picture->SetLayout(BitmapLayout::Bits32);
    PicturePtr expected = CopyOf(*picture);
    expected->SetLayout(BitmapLayout::Bits24);
    Seamless(*picture, 0);
    EXPECT_EQ(picture->Layout(), BitmapLayout::Bits24);
    EXPECT_TRUE(SamePixels(*picture, *expected));
}

TEST(Seamless, BottomRowCopiesTheTopAndTheRightColumnTheLeft) {
    PicturePtr picture = MakeNoise(100, 80, 3);
    Seamless(*picture, 32);
    for (int32_t x = 0; x < 100; ++x)
        ASSERT_EQ(ChannelsAt(*picture, x, 79), ChannelsAt(*picture, x, 0)) << x;
    for (int32_t y = 32; y <= 80 - 33; ++y)
        ASSERT_EQ(ChannelsAt(*picture, 99, y), ChannelsAt(*picture, 0, y)) << y;
}

TEST(Seamless, DepthOneCopiesTheEdgesAndNothingElse) {
    PicturePtr picture = MakeNoise(12, 9, 5);
    PicturePtr before = CopyOf(*picture);
    Seamless(*picture, 1);
    for (int32_t y = 0; y < 9; ++y) {
        for (int32_t x = 0; x < 12; ++x) {
            const int32_t fromX = x == 11 ? 0 : x;
            const int32_t fromY = y == 8 ? 0 : y;
            // The corner (11, 8) takes the bottom row's new first pixel, the top's (0, 0).
            ASSERT_EQ(ChannelsAt(*picture, x, y), ChannelsAt(*before, fromX, fromY))
                << x << ", " << y;
        }
    }
}

// A picture whose tiles are easy to tell apart after shrinking: bands of
// colour that differ in every 8x8 cell.
PicturePtr Cells(int32_t width, int32_t height) {
    return MakePictureFrom(width, height, [](int32_t x, int32_t y, int32_t c) -> uint8_t {
        const int32_t cell = x / 8 + 3 * (y / 8);
        return static_cast<uint8_t>(c == 0 ? 40 + 25 * (cell % 8) : c == 1 ? 255 - 9 * y : 8 * x);
    });
}

// Every pixel equals the pixel at (x mod period, y mod period).
::testing::AssertionResult Periodic(bitmap::PixelBitmap& picture, int32_t period) {
    for (int32_t y = 0; y < picture.Height(); ++y)
        for (int32_t x = 0; x < picture.Width(); ++x)
            if (ChannelsAt(picture, x, y) != ChannelsAt(picture, x % period, y % period))
                return ::testing::AssertionFailure() << "(" << x << ", " << y << ")";
    return ::testing::AssertionSuccess();
}

TEST(Texturize, TilesRepeatEverySideOrEveryTwoThirds) {
    // 300 x 200 with 64: s = 64; edge to edge every 64, overlapping every
    // Round(128 / 3) = 43, the later tiles covering the earlier ones.
    PicturePtr tiled = Cells(300, 200);
    PicturePtr original = CopyOf(*tiled);
    TexturizeTile(*tiled, 64);
    EXPECT_TRUE(Periodic(*tiled, 64));
    EXPECT_FALSE(SamePixels(*tiled, *original));

    PicturePtr overlapped = CopyOf(*original);
    TexturizeOverlap(*overlapped, 64);
    EXPECT_TRUE(Periodic(*overlapped, 43));
    EXPECT_FALSE(Periodic(*overlapped, 64));
    // Both draw the same shrunk tile at (0, 0).
    for (int32_t y = 0; y < 43; ++y)
        for (int32_t x = 0; x < 43; ++x)
            ASSERT_EQ(ChannelsAt(*overlapped, x, y), ChannelsAt(*tiled, x, y));
}

TEST(Texturize, EmptyTilesLeaveThePictureUnchanged) {
    for (const auto& [w, h, amount] : {std::tuple{1, 50, 64}, std::tuple{50, 1, 64},
                                       std::tuple{40, 40, 0}, std::tuple{40, 40, -5}}) {
        PicturePtr picture = MakePattern(w, h);
        PicturePtr before = CopyOf(*picture);
        TexturizeTile(*picture, amount);
        EXPECT_TRUE(SamePixels(*picture, *before)) << w << "x" << h << " " << amount;
        TexturizeOverlap(*picture, amount);
        EXPECT_TRUE(SamePixels(*picture, *before)) << w << "x" << h << " " << amount;
    }
}

TEST(Texturize, TinyPicturesAndHugeAmounts) {
    // 2x2 and 3x3 give a one-pixel tile: the picture turns into the AND of
    // all its pixels.
    for (const int32_t side : {2, 3}) {
        PicturePtr picture = MakePattern(side, side);
        uint8_t all[3] = {255, 255, 255};
        for (int32_t y = 0; y < side; ++y)
            for (int32_t x = 0; x < side; ++x)
                for (int32_t c = 0; c < 3; ++c) all[c] &= testing::ChannelAt(*picture, x, y, c);
        TexturizeOverlap(*picture, 2147483647);
        for (int32_t y = 0; y < side; ++y)
            for (int32_t x = 0; x < side; ++x)
                EXPECT_EQ(ChannelsAt(*picture, x, y), (testing::Channels{all[0], all[1], all[2]}));
    }
}

TEST(Texturize, Golden) {
    PicturePtr tiled = Cells(64, 48);
    TexturizeTile(*tiled, 16);
    EXPECT_TRUE(CheckGolden(*tiled, "texturize_tile"));
    PicturePtr overlapped = Cells(64, 48);
    TexturizeOverlap(*overlapped, 16);
    EXPECT_TRUE(CheckGolden(*overlapped, "texturize_overlap"));
}

} // namespace
} // namespace gleamkit::fx
