// AntiAliasing, SplitBlur, GaussianBlur, Mosaic and MakeSeamlessClip: walk
// order (in-place reads), the edge fallbacks, and the ramps' rounding.
#include "effects/blur_mosaic.h"

#include <gtest/gtest.h>

#include "effects/tests/resample_pictures.h"

namespace gleamkit::fx {
namespace {

using namespace gleamkit::fx::resample_testing;

void SetGrey(PixelBitmap& picture, int32_t x, int32_t y, uint8_t value) {
    for (int c = 0; c < 3; ++c) picture.ScanLine(y)[3 * x + c] = value;
}

TEST(AntiAliasing, LeftAndUpperNeighboursAreTheRewrittenOnes) {
    Picture picture = FlatPicture(4, 4, 0, 0, 0);
    SetGrey(*picture, 0, 1, 200);
    AntiAliasing(*picture);
    EXPECT_EQ(Channel(*picture, 1, 1, 0), 50); // (0 + 0 + 200 + 0) shr 2
    EXPECT_EQ(Channel(*picture, 2, 1, 1), 12); // left is the new 50
    EXPECT_EQ(Channel(*picture, 1, 2, 2), 12); // above is the new 50
    EXPECT_EQ(Channel(*picture, 2, 2, 0), 6);  // (12 + 0 + 12 + 0) shr 2
    EXPECT_EQ(Channel(*picture, 0, 1, 0), 200);
}

TEST(AntiAliasing, DropsTheFractionAndNeverTouchesTheFrame) {
    Picture picture = FlatPicture(3, 3, 0, 0, 0);
    SetGrey(*picture, 1, 0, 10);
    SetGrey(*picture, 1, 2, 11);
    SetGrey(*picture, 0, 1, 12);
    SetGrey(*picture, 2, 1, 13);
    AntiAliasing(*picture);
    EXPECT_EQ(Channel(*picture, 1, 1, 1), 11);

    Picture noise = NoisePicture(9, 7, 5);
    Picture before = CopyOf(*noise);
    AntiAliasing(*noise);
    for (int32_t x = 0; x < 9; ++x)
        for (int32_t c = 0; c < 3; ++c) {
            EXPECT_EQ(Channel(*noise, x, 0, c), Channel(*before, x, 0, c));
            EXPECT_EQ(Channel(*noise, x, 6, c), Channel(*before, x, 6, c));
        }
    for (int32_t y = 0; y < 7; ++y) {
        EXPECT_EQ(Channel(*noise, 0, y, 0), Channel(*before, 0, y, 0));
        EXPECT_EQ(Channel(*noise, 8, y, 2), Channel(*before, 8, y, 2));
    }
}

TEST(AntiAliasRect, CornersInEitherOrderAndClippedToTheInterior) {
    Picture inOrder = NoisePicture(12, 10, 2);
    Picture reversed = CopyOf(*inOrder);
    AntiAliasRect(*inOrder, 2, 3, 8, 7);
    AntiAliasRect(*reversed, 8, 7, 2, 3);
    EXPECT_TRUE(SamePixels(*inOrder, *reversed));

    Picture whole = NoisePicture(12, 10, 2);
    Picture huge = CopyOf(*whole);
    AntiAliasing(*whole);
    AntiAliasRect(*huge, -1000, 5000, 5000, -1000);
    EXPECT_TRUE(SamePixels(*whole, *huge));

    for (const auto& [w, h] : {std::pair{0, 0}, std::pair{1, 1}, std::pair{2, 5}}) {
        Picture tiny = NoisePicture(w, h, 1);
        Picture copy = CopyOf(*tiny);
        AntiAliasing(*tiny);
        EXPECT_TRUE(SamePixels(*copy, *tiny));
    }
}

TEST(SplitBlur, NearTheTopAndLeftThePixelsOwnRowAndColumnStandIn) {
    Picture picture = NoisePicture(6, 5, 8);
    Picture before = CopyOf(*picture);
    SplitBlur(*picture, 1);
    for (int c = 0; c < 3; ++c) {
        const int p00 = Channel(*before, 0, 0, c), p01 = Channel(*before, 0, 1, c);
        const int p10 = Channel(*before, 1, 0, c), p11 = Channel(*before, 1, 1, c);
        const int new00 = (p00 + p01 + p10 + p11) >> 2;
        EXPECT_EQ(Channel(*picture, 0, 0, c), new00);
        // Pixel (1, 0): its left column is 0, already rewritten; right is 2.
        const int p20 = Channel(*before, 2, 0, c), p21 = Channel(*before, 2, 1, c);
        EXPECT_EQ(Channel(*picture, 1, 0, c), (new00 + p01 + p20 + p21) >> 2);
    }
}

TEST(SplitBlur, DistancesBeyondThePictureStayInside) {
    Picture picture = NoisePicture(3, 3, 6);
    Picture before = CopyOf(*picture);
    SplitBlur(*picture, 33);
    // Row 0 and column 0 would mirror to row 3 and column 3; the last ones
    // stand in.
    for (int c = 0; c < 3; ++c) {
        const int sum = Channel(*before, 0, 0, c) + Channel(*before, 0, 2, c) +
                        Channel(*before, 2, 0, c) + Channel(*before, 2, 2, c);
        EXPECT_EQ(Channel(*picture, 0, 0, c), sum >> 2);
    }
    Picture column = NoisePicture(1, 40, 3);
    SplitBlur(*column, 39);
    Picture row = NoisePicture(40, 1, 3);
    SplitBlur(*row, 2147483647);
}

TEST(SplitBlur, FlatStaysFlatAndTheDistanceSignDoesNotMatter) {
    for (int32_t amount : {1, 3, 33, -4}) {
        Picture flat = FlatPicture(20, 13, 17, 99, 250);
        SplitBlur(*flat, amount);
        EXPECT_TRUE(SamePixels(*FlatPicture(20, 13, 17, 99, 250), *flat)) << amount;
    }
    Picture positive = NoisePicture(15, 11, 4);
    Picture negative = CopyOf(*positive);
    Picture untouched = CopyOf(*positive);
    SplitBlur(*positive, 4);
    SplitBlur(*negative, -4);
    EXPECT_TRUE(SamePixels(*positive, *negative));
    SplitBlur(*untouched, 0);
    EXPECT_TRUE(SamePixels(*NoisePicture(15, 11, 4), *untouched));
}

TEST(GaussianBlur, IsAmountPlusOneSplitBlursOfThree) {
    for (int32_t amount : {-1, 0, 1}) {
        Picture gaussian = NoisePicture(16, 9, 12);
        Picture split = CopyOf(*gaussian);
        GaussianBlur(*gaussian, amount);
        for (int32_t pass = 0; pass <= amount; ++pass) SplitBlur(*split, 3);
        EXPECT_TRUE(SamePixels(*split, *gaussian)) << amount;
    }
    Picture once = NoisePicture(16, 9, 12);
    GaussianBlur(*once, 0);
    EXPECT_FALSE(SamePixels(*NoisePicture(16, 9, 12), *once));
}

TEST(Mosaic, BlocksTakeTheirTopLeftPixelAndTheLastOnesAreNarrower) {
    Picture picture = NoisePicture(10, 6, 21);
    Picture before = CopyOf(*picture);
    Mosaic(*picture, 4);
    for (int32_t y = 0; y < 6; ++y)
        for (int32_t x = 0; x < 10; ++x)
            for (int c = 0; c < 3; ++c)
                ASSERT_EQ(Channel(*picture, x, y, c), Channel(*before, x / 4 * 4, y / 4 * 4, c))
                    << x << "," << y;
    for (int32_t size : {1, 0, -3}) {
        Picture same = NoisePicture(10, 6, 21);
        Mosaic(*same, size);
        EXPECT_TRUE(SamePixels(*before, *same)) << size;
    }
    Picture huge = NoisePicture(5, 3, 2);
    Mosaic(*huge, 2147483647);
    EXPECT_EQ(Channel(*huge, 4, 2, 1), Channel(*NoisePicture(5, 3, 2), 0, 0, 1));
    Picture empty(bitmap::NewPixelBitmap(0, 0));
    Mosaic(*empty, 4);
}

// Channel 0 climbs with x, channel 1 with y, channel 2 is noise.
Picture RampTestPicture() {
    Picture noise = NoisePicture(100, 50, 31);
    return MakePicture(100, 50, [&](int32_t x, int32_t y, int32_t c) -> uint8_t {
        if (c == 0) return static_cast<uint8_t>(x);
        if (c == 1) return static_cast<uint8_t>(5 * y);
        return Channel(*noise, x, y, 2);
    });
}

TEST(MakeSeamlessClip, SeamFiveOnAHundredByFifty) {
    Picture picture = RampTestPicture();
    Picture before = CopyOf(*picture);
    MakeSeamlessClip(*picture, 5);

    for (int32_t y = 0; y < 50; ++y) {
        for (int c = 0; c < 3; ++c)
            EXPECT_EQ(Channel(*picture, 99, y, c), Channel(*picture, 0, y, c));
        // Pixel 99 became pixel 0 (x = 0); 98 .. 80 ramp towards pixel 80 in
        // steps of 80 / 20; the last step overwrites pixel 80 itself.
        for (int32_t k = 1; k <= 19; ++k) ASSERT_EQ(Channel(*picture, 99 - k, y, 0), 4 * k) << k;
        EXPECT_EQ(Channel(*picture, 79, y, 0), 79);
    }
    // Row 0 is the old last row outside the horizontal ramp.
    for (int32_t x = 0; x < 80; ++x)
        ASSERT_EQ(Channel(*picture, x, 0, 2), Channel(*before, x, 49, 2));
    // Rows 1 .. 9 ramp from the old last row (245) to row 10 (50): 245 - 19.5 y,
    // halves to even.
    const int expected[] = {245, 226, 206, 186, 167, 148, 128, 108, 89, 70, 50};
    for (int32_t y = 0; y <= 10; ++y) EXPECT_EQ(Channel(*picture, 40, y, 1), expected[y]) << y;
    for (int32_t y = 10; y < 50; ++y)
        for (int32_t x = 0; x < 80; ++x)
            ASSERT_EQ(Channel(*picture, x, y, 2), Channel(*before, x, y, 2));
}

TEST(MakeSeamlessClip, SeamOneReadsNoRowPastThePicture) {
    // The vertical ramp ends at the last row, which row 0 already copies, and
    // every row then ramps from its pixel 0 to itself: one colour remains.
    Picture picture = NoisePicture(7, 5, 13);
    Picture before = CopyOf(*picture);
    MakeSeamlessClip(*picture, 1);
    for (int32_t y = 0; y < 5; ++y)
        for (int32_t x = 0; x < 7; ++x)
            for (int c = 0; c < 3; ++c)
                ASSERT_EQ(Channel(*picture, x, y, c), Channel(*before, 0, 4, c));
}

TEST(MakeSeamlessClip, NoSeamOrNoPictureLeavesItAlone) {
    for (int32_t seam : {0, -5}) {
        Picture picture = NoisePicture(9, 9, 3);
        MakeSeamlessClip(*picture, seam);
        EXPECT_TRUE(SamePixels(*NoisePicture(9, 9, 3), *picture));
    }
    Picture empty(bitmap::NewPixelBitmap(0, 4));
    MakeSeamlessClip(*empty, 5);
    Picture one = FlatPicture(1, 1, 1, 2, 3);
    MakeSeamlessClip(*one, 5);
    EXPECT_TRUE(SamePixels(*FlatPicture(1, 1, 1, 2, 3), *one));
}

} // namespace
} // namespace gleamkit::fx
