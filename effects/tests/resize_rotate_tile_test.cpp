// SmoothResize, SmoothRotate and Tile: fixed-point positions and weights, the
// one-pixel and empty edges, exact quarter turns, untouched pixels, and the
// tile grid with its leftover strips.
#include "effects/resize_rotate_tile.h"

#include <gtest/gtest.h>

#include <climits>
#include <tuple>

#include "effects/effect_common.h"
#include "effects/tests/test_pictures.h"

namespace gleamkit::fx {
namespace {

using namespace gleamkit::fx::testing;

TEST(SmoothResize, ThreeByThreeToTwoByTwoTakesWholeSourcePixels) {
    PicturePtr source = MakeNoise(3, 3, 14);
    PicturePtr target = MakePicture(2, 2, {0, 0, 0});
    SmoothResize(*source, *target);
    for (int32_t y = 0; y < 2; ++y)
        for (int32_t x = 0; x < 2; ++x)
            for (int c = 0; c < 3; ++c)
                EXPECT_EQ(ChannelAt(*target, x, y, c), ChannelAt(*source, x, y, c));
}

TEST(SmoothResize, SameSizeShrinksTowardTheTopLeft) {
    // Step (4 shl 15) div 5 = 26214: pixel 1 sits 26214/32768 of the way
    // from sample 0 (0) to sample 1 (100).
    PicturePtr source = MakePictureFrom(5, 2, [](int32_t x, int32_t, int32_t) -> uint8_t {
        return static_cast<uint8_t>(100 * x / 2);
    });
    PicturePtr target = MakePicture(5, 2, {9, 9, 9});
    SmoothResize(*source, *target);
    EXPECT_EQ(ChannelAt(*target, 0, 0, 0), 0);
    EXPECT_EQ(ChannelAt(*target, 1, 0, 0), 39); // (50 * 26214) shr 15
    // Pixel 4 at 104856 = 3 + 6552/32768: between samples 3 (150) and 4 (200).
    EXPECT_EQ(ChannelAt(*target, 4, 0, 1), (150 * (32768 - 6552) + 200 * 6552) >> 15);
    // Row 1 lands at 16384 (half way) between two equal rows.
    EXPECT_EQ(ChannelAt(*target, 4, 1, 2), ChannelAt(*target, 4, 0, 2));
}

TEST(SmoothResize, FlatStaysFlatAtAnySize) {
    PicturePtr source = MakePicture(7, 4, {1, 128, 255});
    for (const auto& [w, h] :
         {std::pair{7, 4}, std::pair{20, 3}, std::pair{1, 1}, std::pair{3, 11}}) {
        PicturePtr target = MakePicture(w, h, {0, 0, 0});
        SmoothResize(*source, *target);
        EXPECT_TRUE(SamePixels(*target, *MakePicture(w, h, {1, 128, 255}))) << w << "x" << h;
    }
}

TEST(SmoothResize, OnePixelWideOrHighSourcesRepeatTheirOnlyColumnOrRow) {
    PicturePtr column = MakePictureFrom(1, 3, [](int32_t, int32_t y, int32_t c) -> uint8_t {
        return static_cast<uint8_t>(40 * y + c);
    });
    PicturePtr wide = MakePicture(4, 3, {0, 0, 0});
    SmoothResize(*column, *wide);
    for (int32_t y = 0; y < 3; ++y)
        for (int32_t x = 0; x < 4; ++x)
            EXPECT_EQ(ChannelAt(*wide, x, y, 1), ChannelAt(*wide, 0, y, 1));
    EXPECT_EQ(ChannelAt(*wide, 3, 0, 2), 2);

    PicturePtr row = MakeNoise(5, 1, 2);
    PicturePtr tall = MakePicture(5, 6, {0, 0, 0});
    SmoothResize(*row, *tall);
    for (int32_t y = 0; y < 6; ++y) EXPECT_EQ(ChannelAt(*tall, 2, y, 0), ChannelAt(*tall, 2, 0, 0));
}

TEST(SmoothResize, EmptyPicturesChangeNothing) {
    PicturePtr source = MakeNoise(4, 4, 1);
    for (const auto& [w, h] : {std::pair{0, 3}, std::pair{3, 0}}) {
        PicturePtr target(bitmap::NewPixelBitmap(w, h));
        SmoothResize(*source, *target);
        EXPECT_EQ(target->Width(), w);
    }
    PicturePtr empty(bitmap::NewPixelBitmap(0, 0));
    PicturePtr target = MakePicture(3, 3, {5, 6, 7});
    SmoothResize(*empty, *target);
    EXPECT_TRUE(SamePixels(*target, *MakePicture(3, 3, {5, 6, 7})));
}

TEST(SmoothRotate, AngleZeroReproducesThePicture) {
    PicturePtr source = MakeNoise(13, 8, 3);
    PicturePtr target = MakePicture(13, 8, {0, 0, 0});
    SmoothRotate(*source, *target, 0, 0, 0.0L);
    EXPECT_TRUE(SamePixels(*target, *source));
}

TEST(SmoothRotate, QuarterTurnAboutTheCentreMovesWholePixels) {
    // About (2, 2) of a 4x4 picture, destination (x, y) reads source (y, 3 - x).
    PicturePtr source = MakeNoise(4, 4, 19);
    PicturePtr target = MakePicture(4, 4, {0, 0, 0});
    SmoothRotate(*source, *target, 2, 2, 90.0L);
    for (int32_t y = 0; y < 4; ++y)
        for (int32_t x = 0; x < 4; ++x)
            for (int c = 0; c < 3; ++c)
                ASSERT_EQ(ChannelAt(*target, x, y, c), ChannelAt(*source, y, 3 - x, c))
                    << x << "," << y;
}

TEST(SmoothRotate, PixelsMappedOutsideKeepTheirValue) {
    PicturePtr source = MakePicture(40, 30, {200, 200, 200});
    PicturePtr target = MakePicture(40, 30, {1, 2, 3});
    SmoothRotate(*source, *target, 0, 0, 33.0L);
    EXPECT_EQ(ChannelAt(*target, 0, 0, 0), 200);  // maps to about (0.19, -0.35)
    EXPECT_EQ(ChannelAt(*target, 39, 0, 2), 3);   // maps above the source
    EXPECT_EQ(ChannelAt(*target, 0, 29, 1), 200); // about (16.0, 24.0)
    EXPECT_EQ(ChannelAt(*target, 39, 29, 1), 2);  // about (48.7, 23.4): right of it

    // A larger destination centres the source: its frame stays untouched.
    PicturePtr small = MakeNoise(2, 2, 4);
    PicturePtr large = MakePicture(4, 4, {1, 2, 3});
    SmoothRotate(*small, *large, 0, 0, 0.0L);
    EXPECT_EQ(ChannelAt(*large, 1, 1, 0), ChannelAt(*small, 0, 0, 0));
    EXPECT_EQ(ChannelAt(*large, 2, 2, 1), ChannelAt(*small, 1, 1, 1));
    EXPECT_EQ(ChannelAt(*large, 0, 0, 2), 3);
    EXPECT_EQ(ChannelAt(*large, 3, 3, 2), 3);
}

TEST(SmoothRotate, ExtremeCentresAndEmptyPicturesAreSafe) {
    PicturePtr source = MakeNoise(5, 5, 8);
    PicturePtr target = MakePicture(5, 5, {1, 2, 3});
    SmoothRotate(*source, *target, INT_MAX, INT_MIN, 45.0L);
    SmoothRotate(*source, *target, INT_MIN, INT_MAX, 1e30L);
    PicturePtr empty(bitmap::NewPixelBitmap(0, 0));
    SmoothRotate(*empty, *target, 0, 0, 10.0L);
    SmoothRotate(*source, *empty, 0, 0, 10.0L);
    EXPECT_EQ(ChannelAt(*target, 2, 2, 0), 1);
}

// SmoothRotate step by step at extended precision, as the operation is
// defined: the reference the fast double-precision form must match exactly.
void ReferenceRotate(PixelBitmap& source, PixelBitmap& destination, int32_t cx, int32_t cy,
                     long double angle) {
    const long double t = -angle * kPi / 180;
    const double sine = static_cast<double>(Sin(t));
    const double cosine = static_cast<double>(Cos(t));
    const int32_t dx = (destination.Width() - source.Width()) / 2;
    const int32_t dy = (destination.Height() - source.Height()) / 2;
    for (int32_t y = 0; y < destination.Height(); ++y) {
        for (int32_t x = 0; x < destination.Width(); ++x) {
            const long double px = 2 * (int64_t{x} - cx) + 1;
            const long double py = 2 * (int64_t{y} - cy) + 1;
            const long double fx = ((px * cosine - py * sine) - 1) / 2 + cx - dx;
            const long double fy = ((px * sine + py * cosine) - 1) / 2 + cy - dy;
            const int32_t ix = Round(fx);
            const int32_t iy = Round(fy);
            if (ix < 0 || ix >= source.Width() || iy < 0 || iy >= source.Height()) continue;
            const long double gx = fx - ix;
            const long double gy = fy - iy;
            const int32_t ix2 = ClampInt(ix + 1, 0, source.Width() - 1);
            const int32_t iy2 = ClampInt(iy + 1, 0, source.Height() - 1);
            for (int c = 0; c < 3; ++c) {
                const int32_t p11 = ChannelAt(source, ix, iy, c);
                const int32_t p21 = ChannelAt(source, ix2, iy, c);
                const int32_t p12 = ChannelAt(source, ix, iy2, c);
                const int32_t p22 = ChannelAt(source, ix2, iy2, c);
                const long double top = (p21 - p11) * gx + p11;
                const long double bottom = (p22 - p12) * gx + p12;
                const long double value = (bottom - top) * gy + top;
                destination.ScanLine(y)[3 * x + c] =
                    static_cast<uint8_t>(ClampToByte(Round(value)));
            }
        }
    }
}

TEST(SmoothRotate, MatchesTheExtendedFormOnMillionsOfPixels) {
    // Noise makes every interpolated value different; the angles include
    // exact quarter turns (weights 0 and halves) and awkward fractions.
    const PicturePtr source = MakeNoise(801, 603, 5);
    const std::tuple<int32_t, int32_t, long double, int32_t, int32_t> cases[] = {
        {0, 0, 33.0L, 801, 603},      {400, 301, 90.0L, 801, 603}, {-50, 700, -12.345L, 900, 500},
        {13, 17, 180.0L, 801, 603},   {400, 300, 0.001L, 803, 601}, {0, 0, 359.99L, 640, 640},
        {401, 302, 45.0L, 801, 603},
    };
    for (const auto& [cx, cy, angle, width, height] : cases) {
        PicturePtr expected = MakeNoise(width, height, 77);
        PicturePtr actual = CopyOf(*expected);
        ReferenceRotate(*source, *expected, cx, cy, angle);
        SmoothRotate(*source, *actual, cx, cy, angle);
        EXPECT_TRUE(SamePixels(*actual, *expected)) << cx << ", " << cy << ", " << angle;
    }
}

// Every tile of the grid equals the shrunken source; the rest is the source.
::testing::AssertionResult TiledLike(PixelBitmap& source, PixelBitmap& tiled, int32_t amount) {
    const int32_t tileWidth = source.Width() / amount;
    const int32_t tileHeight = source.Height() / amount;
    PicturePtr tile = MakePicture(tileWidth, tileHeight, {0, 0, 0});
    PicturePtr copy = CopyOf(source);
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
    PicturePtr source = MakeNoise(400, 300, 23);
    PicturePtr target = MakePicture(10, 10, {0, 0, 0});
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
        PicturePtr source = MakeNoise(w, h, 5);
        PicturePtr target = MakePicture(3, 3, {0, 0, 0});
        Tile(*source, *target, amount);
        EXPECT_TRUE(SamePixels(*target, *source)) << w << "x" << h << " / " << amount;
    }
    PicturePtr empty(bitmap::NewPixelBitmap(0, 0));
    PicturePtr target = MakePicture(3, 3, {0, 0, 0});
    Tile(*empty, *target, 8);
    EXPECT_EQ(target->Width(), 0);
}

TEST(Tile, TheDestinationKeepsTheSourceLayout) {
    PicturePtr source = MakeNoise(61, 45, 9);
    source->SetLayout(bitmap::BitmapLayout::Bits32);
    PicturePtr reference = CopyOf(*source);
    PicturePtr target = MakePicture(3, 3, {0, 0, 0});
    Tile(*source, *target, 3);
    EXPECT_EQ(target->Layout(), bitmap::BitmapLayout::Bits32);
    EXPECT_TRUE(TiledLike(*reference, *target, 3));
}

} // namespace
} // namespace gleamkit::fx
