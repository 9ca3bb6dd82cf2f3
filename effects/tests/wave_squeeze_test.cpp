#include "effects/wave_squeeze.h"

#include <gtest/gtest.h>

#include <limits>
#include <vector>

#include "effects/tests/warp_pictures.h"

namespace gleamkit::fx {
namespace {

using bitmap::Bgr24;
using testing::CopyOf;
using testing::PaintPicture;
using testing::PatternColour;
using testing::PixelOf;
using testing::SamePixels;

// The picture Wave should give when column x moves down by shifts[x] rows:
// the band of rows amount .. height - 1 - 2 * amount is copied from `before`.
testing::PicturePtr Shifted(PixelBitmap& before, int32_t amount,
                            const std::vector<int32_t>& shifts) {
    auto expected = CopyOf(before);
    for (int32_t y = amount; y <= before.Height() - 1 - 2 * amount; ++y)
        for (int32_t x = 0; x < before.Width(); ++x)
            expected->Row24(y + shifts[x])[x] = PixelOf(before, x, y);
    return expected;
}

TEST(Wave, PictureOfThreeTimesTheAmountOrFewerRowsIsUnchanged) {
    auto source = PaintPicture(40, 96, PatternColour);
    auto picture = CopyOf(*source);
    Wave(*picture, 32, 16, 0);
    EXPECT_TRUE(SamePixels(*picture, *source));

    // One more row makes a band of one row, moved down by 32 + the offsets.
    auto taller = PaintPicture(40, 97, PatternColour);
    auto moved = CopyOf(*taller);
    Wave(*moved, 32, 16, 0);
    EXPECT_FALSE(SamePixels(*moved, *taller));
    EXPECT_TRUE(testing::SamePixel(PixelOf(*moved, 0, 64), PixelOf(*taller, 0, 32)));
}

TEST(Wave, StyleZeroFollowsTheSineOfTheColumnBefore) {
    // Amount 4: f = pi / 8, offsets Round(4 sin(x pi / 8)) for x = 0 .. 9 are
    // 0, 2, 3, 4, 4, 4, 3, 2, 0, -2; column x moves by 4 + the offset of x - 1.
    auto source = PaintPicture(11, 20, PatternColour);
    auto picture = CopyOf(*source);
    Wave(*picture, 4, 16, 0);
    auto expected = Shifted(*source, 4, {4, 4, 6, 7, 8, 8, 8, 7, 6, 4, 2});
    EXPECT_TRUE(SamePixels(*picture, *expected));
}

TEST(Wave, StyleOneUsesSineTimesCosine) {
    // Round(4 sin(x pi / 8) cos(x pi / 8)) = Round(2 sin(x pi / 4)):
    // 0, 1, 2, 1, 0, -1, -2, -1, 0 for x = 0 .. 8.
    auto source = PaintPicture(10, 17, PatternColour);
    auto picture = CopyOf(*source);
    Wave(*picture, 4, 16, 1);
    auto expected = Shifted(*source, 4, {4, 4, 5, 6, 5, 4, 3, 2, 3, 4});
    EXPECT_TRUE(SamePixels(*picture, *expected));
}

TEST(Wave, StyleTwoModulatesTheSine) {
    // Round(4 sin(x pi / 8) sin(2 (pi / 8) x)) for x = 0 .. 8:
    // 0, 1, 3, 3, 0, -3, -3, -1, 0.
    auto source = PaintPicture(10, 13, PatternColour);
    auto picture = CopyOf(*source);
    Wave(*picture, 4, 2, 2);
    auto expected = Shifted(*source, 4, {4, 4, 5, 7, 7, 4, 1, 1, 3, 4});
    EXPECT_TRUE(SamePixels(*picture, *expected));
}

TEST(Wave, OtherStylesShiftTheBandByExactlyTheAmount) {
    auto source = PaintPicture(9, 30, PatternColour);
    for (const int32_t style : {3, -1, 255}) {
        auto picture = CopyOf(*source);
        Wave(*picture, 5, 16, style);
        EXPECT_TRUE(SamePixels(*picture, *Shifted(*source, 5, std::vector<int32_t>(9, 5))))
            << style;
    }
}

TEST(Wave, AmountZeroOrBelowAndHugeAmountsChangeNothing) {
    auto source = PaintPicture(12, 50, PatternColour);
    for (const int32_t amount :
         {0, -3, std::numeric_limits<int32_t>::min(), 17, std::numeric_limits<int32_t>::max()}) {
        auto picture = CopyOf(*source);
        Wave(*picture, amount, 16, 0);
        EXPECT_TRUE(SamePixels(*picture, *source)) << amount;
    }
}

TEST(Wave, ThinPicturesStayInside) {
    for (const auto& [w, h] : {std::pair{1, 1}, {1, 40}, {40, 1}, {1, 4}}) {
        auto source = PaintPicture(w, h, PatternColour);
        auto picture = CopyOf(*source);
        Wave(*picture, 1, 16, 0);
        if (h < 4) {
            EXPECT_TRUE(SamePixels(*picture, *source));
        }
        // One column: column 0 always moves by exactly the amount.
        if (w == 1) {
            EXPECT_TRUE(SamePixels(*picture, *Shifted(*source, 1, {1})));
        }
    }
}

} // namespace
} // namespace gleamkit::fx
