// SmoothResize, SmoothRotate and Tile: fixed-point positions and weights, the
// one-pixel and empty edges, exact quarter turns, untouched pixels, and the
// tile grid with its leftover strips.
#include "effects/resize_rotate_tile.h"

#include <gtest/gtest.h>

#include <climits>
#include <tuple>

#include "effects/tests/resample_pictures.h"

namespace gleamkit::fx {
namespace {

using namespace gleamkit::fx::resample_testing;

TEST(SmoothResize, ThreeByThreeToTwoByTwoTakesWholeSourcePixels) {
    Picture source = NoisePicture(3, 3, 14);
    Picture target = FlatPicture(2, 2, 0, 0, 0);
    SmoothResize(*source, *target);
    for (int32_t y = 0; y < 2; ++y)
        for (int32_t x = 0; x < 2; ++x)
            for (int c = 0; c < 3; ++c)
                EXPECT_EQ(Channel(*target, x, y, c), Channel(*source, x, y, c));
}

TEST(SmoothResize, SameSizeShrinksTowardTheTopLeft) {
    // Step (4 shl 15) div 5 = 26214: pixel 1 sits 26214/32768 of the way
    // from sample 0 (0) to sample 1 (100).
    Picture source = MakePicture(5, 2, [](int32_t x, int32_t, int32_t) -> uint8_t {
        return static_cast<uint8_t>(100 * x / 2);
    });
    Picture target = FlatPicture(5, 2, 9, 9, 9);
    SmoothResize(*source, *target);
    EXPECT_EQ(Channel(*target, 0, 0, 0), 0);
    EXPECT_EQ(Channel(*target, 1, 0, 0), 39); // (50 * 26214) shr 15
    // Pixel 4 at 104856 = 3 + 6552/32768: between samples 3 (150) and 4 (200).
    EXPECT_EQ(Channel(*target, 4, 0, 1), (150 * (32768 - 6552) + 200 * 6552) >> 15);
    // Row 1 lands at 16384 (half way) between two equal rows.
    EXPECT_EQ(Channel(*target, 4, 1, 2), Channel(*target, 4, 0, 2));
}

TEST(SmoothResize, FlatStaysFlatAtAnySize) {
    Picture source = FlatPicture(7, 4, 1, 128, 255);
    for (const auto& [w, h] :
         {std::pair{7, 4}, std::pair{20, 3}, std::pair{1, 1}, std::pair{3, 11}}) {
        Picture target = FlatPicture(w, h, 0, 0, 0);
        SmoothResize(*source, *target);
        EXPECT_TRUE(SamePixels(*FlatPicture(w, h, 1, 128, 255), *target)) << w << "x" << h;
    }
}

TEST(SmoothResize, OnePixelWideOrHighSourcesRepeatTheirOnlyColumnOrRow) {
    Picture column = MakePicture(1, 3, [](int32_t, int32_t y, int32_t c) -> uint8_t {
        return static_cast<uint8_t>(40 * y + c);
    });
    Picture wide = FlatPicture(4, 3, 0, 0, 0);
    SmoothResize(*column, *wide);
    for (int32_t y = 0; y < 3; ++y)
        for (int32_t x = 0; x < 4; ++x) EXPECT_EQ(Channel(*wide, x, y, 1), Channel(*wide, 0, y, 1));
    EXPECT_EQ(Channel(*wide, 3, 0, 2), 2);

    Picture row = NoisePicture(5, 1, 2);
    Picture tall = FlatPicture(5, 6, 0, 0, 0);
    SmoothResize(*row, *tall);
    for (int32_t y = 0; y < 6; ++y) EXPECT_EQ(Channel(*tall, 2, y, 0), Channel(*tall, 2, 0, 0));
}

TEST(SmoothResize, EmptyPicturesChangeNothing) {
    Picture source = NoisePicture(4, 4, 1);
    for (const auto& [w, h] : {std::pair{0, 3}, std::pair{3, 0}}) {
        Picture target(bitmap::NewPixelBitmap(w, h));
        SmoothResize(*source, *target);
        EXPECT_EQ(target->Width(), w);
    }
    Picture empty(bitmap::NewPixelBitmap(0, 0));
    Picture target = FlatPicture(3, 3, 5, 6, 7);
    SmoothResize(*empty, *target);
    EXPECT_TRUE(SamePixels(*FlatPicture(3, 3, 5, 6, 7), *target));
}

TEST(SmoothRotate, AngleZeroReproducesThePicture) {
    Picture source = NoisePicture(13, 8, 3);
    Picture target = FlatPicture(13, 8, 0, 0, 0);
    SmoothRotate(*source, *target, 0, 0, 0.0L);
    EXPECT_TRUE(SamePixels(*source, *target));
}

TEST(SmoothRotate, QuarterTurnAboutTheCentreMovesWholePixels) {
    // About (2, 2) of a 4x4 picture, destination (x, y) reads source (y, 3 - x).
    Picture source = NoisePicture(4, 4, 19);
    Picture target = FlatPicture(4, 4, 0, 0, 0);
    SmoothRotate(*source, *target, 2, 2, 90.0L);
    for (int32_t y = 0; y < 4; ++y)
        for (int32_t x = 0; x < 4; ++x)
            for (int c = 0; c < 3; ++c)
                ASSERT_EQ(Channel(*target, x, y, c), Channel(*source, y, 3 - x, c))
                    << x << "," << y;
}

TEST(SmoothRotate, PixelsMappedOutsideKeepTheirValue) {
    Picture source = FlatPicture(40, 30, 200, 200, 200);
    Picture target = FlatPicture(40, 30, 1, 2, 3);
    SmoothRotate(*source, *target, 0, 0, 33.0L);
    EXPECT_EQ(Channel(*target, 0, 0, 0), 200);  // maps to about (0.19, -0.35)
    EXPECT_EQ(Channel(*target, 39, 0, 2), 3);   // maps above the source
    EXPECT_EQ(Channel(*target, 0, 29, 1), 200); // about (16.0, 24.0)
    EXPECT_EQ(Channel(*target, 39, 29, 1), 2);  // about (48.7, 23.4): right of it

    // A larger destination centres the source: its frame stays untouched.
    Picture small = NoisePicture(2, 2, 4);
    Picture large = FlatPicture(4, 4, 1, 2, 3);
    SmoothRotate(*small, *large, 0, 0, 0.0L);
    EXPECT_EQ(Channel(*large, 1, 1, 0), Channel(*small, 0, 0, 0));
    EXPECT_EQ(Channel(*large, 2, 2, 1), Channel(*small, 1, 1, 1));
    EXPECT_EQ(Channel(*large, 0, 0, 2), 3);
    EXPECT_EQ(Channel(*large, 3, 3, 2), 3);
}

TEST(SmoothRotate, ExtremeCentresAndEmptyPicturesAreSafe) {
    Picture source = NoisePicture(5, 5, 8);
    Picture target = FlatPicture(5, 5, 1, 2, 3);
    SmoothRotate(*source, *target, INT_MAX, INT_MIN, 45.0L);
    SmoothRotate(*source, *target, INT_MIN, INT_MAX, 1e30L);
    Picture empty(bitmap::NewPixelBitmap(0, 0));
    SmoothRotate(*empty, *target, 0, 0, 10.0L);
    SmoothRotate(*source, *empty, 0, 0, 10.0L);
    EXPECT_EQ(Channel(*target, 2, 2, 0), 1);
}

// Every tile of the grid equals the shrunken source; the rest is the source.
::testing::AssertionResult TiledLike(PixelBitmap& source, PixelBitmap& tiled, int32_t amount) {
    const int32_t tileWidth = source.Width() / amount;
    const int32_t tileHeight = source.Height() / amount;
    Picture tile = FlatPicture(tileWidth, tileHeight, 0, 0, 0);
    Picture copy = CopyOf(source);
    SmoothResize(*copy, *tile);
    for (int32_t y = 0; y < source.Height(); ++y)
        for (int32_t x = 0; x < source.Width(); ++x) {
            const bool inGrid = x < amount * tileWidth && y < amount * tileHeight;
            const Color expected =
                inGrid ? tile->PixelAt(x % tileWidth, y % tileHeight) : source.PixelAt(x, y);
            if (tiled.PixelAt(x, y) != expected)
                return ::testing::AssertionFailure() << "pixel (" << x << ", " << y << ")";
        }
    return ::testing::AssertionSuccess();
}

TEST(Tile, EightOnFourHundredByThreeHundredDrawsSixtyFourTiles) {
    // Tiles of 50 x 37 cover 400 x 296; the bottom four rows stay the source.
    Picture source = NoisePicture(400, 300, 23);
    Picture target = FlatPicture(10, 10, 0, 0, 0);
    Tile(*source, *target, 8);
    EXPECT_EQ(target->Width(), 400);
    EXPECT_EQ(target->Height(), 300);
    EXPECT_TRUE(TiledLike(*source, *target, 8));
    EXPECT_EQ(target->PixelAt(0, 37), target->PixelAt(0, 0));
    EXPECT_EQ(target->PixelAt(350, 259), target->PixelAt(0, 0));
}

TEST(Tile, TooSmallTilesLeaveACopyOfTheSource) {
    for (const auto& [w, h, amount] : {std::tuple{39, 60, 8}, std::tuple{60, 39, 8},
                                       std::tuple{60, 60, 0}, std::tuple{60, 60, -2}}) {
        Picture source = NoisePicture(w, h, 5);
        Picture target = FlatPicture(3, 3, 0, 0, 0);
        Tile(*source, *target, amount);
        EXPECT_TRUE(SamePixels(*source, *target)) << w << "x" << h << " / " << amount;
    }
    Picture empty(bitmap::NewPixelBitmap(0, 0));
    Picture target = FlatPicture(3, 3, 0, 0, 0);
    Tile(*empty, *target, 8);
    EXPECT_EQ(target->Width(), 0);
}

TEST(Tile, TheDestinationKeepsTheSourceLayout) {
    Picture source = NoisePicture(61, 45, 9);
    source->SetLayout(bitmap::BitmapLayout::Bits32);
    Picture reference = CopyOf(*source);
    Picture target = FlatPicture(3, 3, 0, 0, 0);
    Tile(*source, *target, 3);
    EXPECT_EQ(target->Layout(), bitmap::BitmapLayout::Bits32);
    EXPECT_TRUE(TiledLike(*reference, *target, 3));
}

} // namespace
} // namespace gleamkit::fx
