// AntiAliasing, SplitBlur, GaussianBlur, Mosaic and MakeSeamlessClip: walk
// order (in-place reads), the edge fallbacks, and the ramps' rounding.
#include "effects/blur_mosaic.h"

#include <gtest/gtest.h>

#include <climits>

#include "effects/tests/test_pictures.h"

namespace gleamkit::fx {
namespace {

using namespace gleamkit::fx::testing;

void SetGrey(PixelBitmap& picture, int32_t x, int32_t y, uint8_t value) {
    for (int c = 0; c < 3; ++c) picture.ScanLine(y)[3 * x + c] = value;
}

TEST(AntiAliasing, LeftAndUpperNeighboursAreTheRewrittenOnes) {
    PicturePtr picture = MakePicture(4, 4, {0, 0, 0});
    SetGrey(*picture, 0, 1, 200);
    AntiAliasing(*picture);
    EXPECT_EQ(ChannelAt(*picture, 1, 1, 0), 50); // (0 + 0 + 200 + 0) shr 2
    EXPECT_EQ(ChannelAt(*picture, 2, 1, 1), 12); // left is the new 50
    EXPECT_EQ(ChannelAt(*picture, 1, 2, 2), 12); // above is the new 50
    EXPECT_EQ(ChannelAt(*picture, 2, 2, 0), 6);  // (12 + 0 + 12 + 0) shr 2
    EXPECT_EQ(ChannelAt(*picture, 0, 1, 0), 200);
}

TEST(AntiAliasing, DropsTheFractionAndNeverTouchesTheFrame) {
    PicturePtr picture = MakePicture(3, 3, {0, 0, 0});
    SetGrey(*picture, 1, 0, 10);
    SetGrey(*picture, 1, 2, 11);
    SetGrey(*picture, 0, 1, 12);
    SetGrey(*picture, 2, 1, 13);
    AntiAliasing(*picture);
    EXPECT_EQ(ChannelAt(*picture, 1, 1, 1), 11);

    PicturePtr noise = MakeNoise(9, 7, 5);
    PicturePtr before = CopyOf(*noise);
    AntiAliasing(*noise);
    for (int32_t x = 0; x < 9; ++x)
        for (int32_t c = 0; c < 3; ++c) {
            EXPECT_EQ(ChannelAt(*noise, x, 0, c), ChannelAt(*before, x, 0, c));
            EXPECT_EQ(ChannelAt(*noise, x, 6, c), ChannelAt(*before, x, 6, c));
        }
    for (int32_t y = 0; y < 7; ++y) {
        EXPECT_EQ(ChannelAt(*noise, 0, y, 0), ChannelAt(*before, 0, y, 0));
        EXPECT_EQ(ChannelAt(*noise, 8, y, 2), ChannelAt(*before, 8, y, 2));
    }
}

TEST(AntiAliasRect, CornersInEitherOrderAndClippedToTheInterior) {
    PicturePtr inOrder = MakeNoise(12, 10, 2);
    PicturePtr reversed = CopyOf(*inOrder);
    AntiAliasRect(*inOrder, 2, 3, 8, 7);
    AntiAliasRect(*reversed, 8, 7, 2, 3);
    EXPECT_TRUE(SamePixels(*reversed, *inOrder));

    PicturePtr whole = MakeNoise(12, 10, 2);
    PicturePtr huge = CopyOf(*whole);
    AntiAliasing(*whole);
    AntiAliasRect(*huge, -1000, 5000, 5000, -1000);
    EXPECT_TRUE(SamePixels(*huge, *whole));

    for (const auto& [w, h] : {std::pair{0, 0}, std::pair{1, 1}, std::pair{2, 5}}) {
        PicturePtr tiny = MakeNoise(w, h, 1);
        PicturePtr copy = CopyOf(*tiny);
        AntiAliasing(*tiny);
        EXPECT_TRUE(SamePixels(*tiny, *copy));
    }
}

TEST(SplitBlur, NearTheTopAndLeftThePixelsOwnRowAndColumnStandIn) {
    PicturePtr picture = MakeNoise(6, 5, 8);
    PicturePtr before = CopyOf(*picture);
    SplitBlur(*picture, 1);
    for (int c = 0; c < 3; ++c) {
        const int p00 = ChannelAt(*before, 0, 0, c), p01 = ChannelAt(*before, 0, 1, c);
        const int p10 = ChannelAt(*before, 1, 0, c), p11 = ChannelAt(*before, 1, 1, c);
        const int new00 = (p00 + p01 + p10 + p11) >> 2;
        EXPECT_EQ(ChannelAt(*picture, 0, 0, c), new00);
        // Pixel (1, 0): its left column is 0, already rewritten; right is 2.
        const int p20 = ChannelAt(*before, 2, 0, c), p21 = ChannelAt(*before, 2, 1, c);
        EXPECT_EQ(ChannelAt(*picture, 1, 0, c), (new00 + p01 + p20 + p21) >> 2);
    }
}

TEST(SplitBlur, DistancesBeyondThePictureStayInside) {
    PicturePtr picture = MakeNoise(3, 3, 6);
    PicturePtr before = CopyOf(*picture);
    SplitBlur(*picture, 33);
    // Row 0 and column 0 would mirror to row 3 and column 3; the last ones
    // stand in.
    for (int c = 0; c < 3; ++c) {
        const int sum = ChannelAt(*before, 0, 0, c) + ChannelAt(*before, 0, 2, c) +
                        ChannelAt(*before, 2, 0, c) + ChannelAt(*before, 2, 2, c);
        EXPECT_EQ(ChannelAt(*picture, 0, 0, c), sum >> 2);
    }
    PicturePtr column = MakeNoise(1, 40, 3);
    SplitBlur(*column, 39);
    PicturePtr row = MakeNoise(40, 1, 3);
    SplitBlur(*row, 2147483647);
}

TEST(SplitBlur, FlatStaysFlatAndTheDistanceSignDoesNotMatter) {
    for (int32_t amount : {1, 3, 33, -4}) {
        PicturePtr flat = MakePicture(20, 13, {17, 99, 250});
        SplitBlur(*flat, amount);
        EXPECT_TRUE(SamePixels(*flat, *MakePicture(20, 13, {17, 99, 250}))) << amount;
    }
    PicturePtr positive = MakeNoise(15, 11, 4);
    PicturePtr negative = CopyOf(*positive);
    PicturePtr untouched = CopyOf(*positive);
    SplitBlur(*positive, 4);
    SplitBlur(*negative, -4);
    EXPECT_TRUE(SamePixels(*negative, *positive));
    SplitBlur(*untouched, 0);
    EXPECT_TRUE(SamePixels(*untouched, *MakeNoise(15, 11, 4)));
}

TEST(GaussianBlur, IsAmountPlusOneSplitBlursOfThree) {
    for (int32_t amount : {-1, 0, 1}) {
        PicturePtr gaussian = MakeNoise(16, 9, 12);
        PicturePtr split = CopyOf(*gaussian);
        GaussianBlur(*gaussian, amount);
        for (int32_t pass = 0; pass <= amount; ++pass) SplitBlur(*split, 3);
        EXPECT_TRUE(SamePixels(*gaussian, *split)) << amount;
    }
    PicturePtr once = MakeNoise(16, 9, 12);
    GaussianBlur(*once, 0);
    EXPECT_FALSE(SamePixels(*once, *MakeNoise(16, 9, 12)));
}

// The largest amount once meant 2^31 passes even on an empty picture. The
// repetitions now end at the first pass that changes nothing, with the result
// the full count would give.
TEST(GaussianBlur, LargestAmountEndsOnceAPassChangesNothing) {
    PicturePtr empty(bitmap::NewPixelBitmap(0, 0));
    GaussianBlur(*empty, INT32_MAX);
    EXPECT_TRUE(empty->Empty());

    PicturePtr settled = MakeNoise(17, 13, 5);
    int32_t passes = 0;
    for (;; ++passes) {
        PicturePtr before = CopyOf(*settled);
        SplitBlur(*settled, 3);
        if (SamePixels(*before, *settled)) break;
        ASSERT_LT(passes, 100000);
    }
    for (int32_t amount : {passes + 3, passes + 50, INT32_MAX}) {
        PicturePtr picture = MakeNoise(17, 13, 5);
        GaussianBlur(*picture, amount);
        EXPECT_TRUE(SamePixels(*picture, *settled)) << amount;
    }
}

TEST(Mosaic, BlocksTakeTheirTopLeftPixelAndTheLastOnesAreNarrower) {
    PicturePtr picture = MakeNoise(10, 6, 21);
    PicturePtr before = CopyOf(*picture);
    Mosaic(*picture, 4);
    for (int32_t y = 0; y < 6; ++y)
        for (int32_t x = 0; x < 10; ++x)
            for (int c = 0; c < 3; ++c)
                ASSERT_EQ(ChannelAt(*picture, x, y, c), ChannelAt(*before, x / 4 * 4, y / 4 * 4, c))
                    << x << "," << y;
    for (int32_t size : {1, 0, -3}) {
        PicturePtr same = MakeNoise(10, 6, 21);
        Mosaic(*same, size);
        EXPECT_TRUE(SamePixels(*same, *before)) << size;
    }
    PicturePtr huge = MakeNoise(5, 3, 2);
    Mosaic(*huge, 2147483647);
    EXPECT_EQ(ChannelAt(*huge, 4, 2, 1), ChannelAt(*MakeNoise(5, 3, 2), 0, 0, 1));
    PicturePtr empty(bitmap::NewPixelBitmap(0, 0));
    Mosaic(*empty, 4);
}

// Channel 0 climbs with x, channel 1 with y, channel 2 is noise.
PicturePtr RampTestPicture() {
    PicturePtr noise = MakeNoise(100, 50, 31);
    return MakePictureFrom(100, 50, [&](int32_t x, int32_t y, int32_t c) -> uint8_t {
        if (c == 0) return static_cast<uint8_t>(x);
        if (c == 1) return static_cast<uint8_t>(5 * y);
        return ChannelAt(*noise, x, y, 2);
    });
}

TEST(MakeSeamlessClip, SeamFiveOnAHundredByFifty) {
    PicturePtr picture = RampTestPicture();
    PicturePtr before = CopyOf(*picture);
    MakeSeamlessClip(*picture, 5);

    for (int32_t y = 0; y < 50; ++y) {
        for (int c = 0; c < 3; ++c)
            EXPECT_EQ(ChannelAt(*picture, 99, y, c), ChannelAt(*picture, 0, y, c));
        // Pixel 99 became pixel 0 (x = 0); 98 .. 80 ramp towards pixel 80 in
        // steps of 80 / 20; the last step overwrites pixel 80 itself.
        for (int32_t k = 1; k <= 19; ++k) ASSERT_EQ(ChannelAt(*picture, 99 - k, y, 0), 4 * k) << k;
        EXPECT_EQ(ChannelAt(*picture, 79, y, 0), 79);
    }
    // Row 0 is the old last row outside the horizontal ramp.
    for (int32_t x = 0; x < 80; ++x)
        ASSERT_EQ(ChannelAt(*picture, x, 0, 2), ChannelAt(*before, x, 49, 2));
    // Rows 1 .. 9 ramp from the old last row (245) to row 10 (50): 245 - 19.5 y,
    // halves to even.
    const int expected[] = {245, 226, 206, 186, 167, 148, 128, 108, 89, 70, 50};
    for (int32_t y = 0; y <= 10; ++y) EXPECT_EQ(ChannelAt(*picture, 40, y, 1), expected[y]) << y;
    for (int32_t y = 10; y < 50; ++y)
        for (int32_t x = 0; x < 80; ++x)
            ASSERT_EQ(ChannelAt(*picture, x, y, 2), ChannelAt(*before, x, y, 2));
}

TEST(MakeSeamlessClip, SeamOneReadsNoRowPastThePicture) {
    // The vertical ramp ends at the last row, which row 0 already copies, and
    // every row then ramps from its pixel 0 to itself: one colour remains.
    PicturePtr picture = MakeNoise(7, 5, 13);
    PicturePtr before = CopyOf(*picture);
    MakeSeamlessClip(*picture, 1);
    for (int32_t y = 0; y < 5; ++y)
        for (int32_t x = 0; x < 7; ++x)
            for (int c = 0; c < 3; ++c)
                ASSERT_EQ(ChannelAt(*picture, x, y, c), ChannelAt(*before, 0, 4, c));
}

TEST(MakeSeamlessClip, NoSeamOrNoPictureLeavesItAlone) {
    for (int32_t seam : {0, -5}) {
        PicturePtr picture = MakeNoise(9, 9, 3);
        MakeSeamlessClip(*picture, seam);
        EXPECT_TRUE(SamePixels(*picture, *MakeNoise(9, 9, 3)));
    }
    PicturePtr empty(bitmap::NewPixelBitmap(0, 4));
    MakeSeamlessClip(*empty, 5);
    PicturePtr one = MakePicture(1, 1, {1, 2, 3});
    MakeSeamlessClip(*one, 5);
    EXPECT_TRUE(SamePixels(*one, *MakePicture(1, 1, {1, 2, 3})));
}

// Pictures of another layout are converted to 24-bit rows before they are
// read, and then give what their 24-bit copy gives.
TEST(BlurMosaicLayouts, OtherLayoutsAreConvertedFirst) {
    using Effect = void (*)(PixelBitmap&);
    const Effect effects[] = {
        [](PixelBitmap& p) { AntiAliasing(p); },        [](PixelBitmap& p) { SplitBlur(p, 2); },
        [](PixelBitmap& p) { GaussianBlur(p, 0); },     [](PixelBitmap& p) { Mosaic(p, 3); },
        [](PixelBitmap& p) { MakeSeamlessClip(p, 4); },
    };
    for (const Effect effect : effects) {
        PicturePtr wide = MakeNoise(13, 9, 77);
        PicturePtr reference = CopyOf(*wide);
        wide->SetLayout(bitmap::BitmapLayout::Bits32);
        effect(*wide);
        effect(*reference);
        EXPECT_EQ(wide->Layout(), bitmap::BitmapLayout::Bits24);
        EXPECT_TRUE(SamePixels(*wide, *reference));
    }
}

} // namespace
} // namespace gleamkit::fx
