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

// Source rows of one colour each, so a stretched row keeps its colour
// whatever the drawing layer does with covered pixels.
Bgr24 RowColour(int32_t, int32_t y) {
    return Bgr24{static_cast<uint8_t>(40 + 20 * y), 90, static_cast<uint8_t>(250 - 20 * y)};
}

constexpr Bgr24 kMarker{1, 2, 3};

using Spans = std::vector<std::pair<int32_t, int32_t>>;

// Row y of the destination holds the row colour inside spans[y] and the marker
// elsewhere.
::testing::AssertionResult RowsFillSpans(PixelBitmap& picture, const Spans& spans) {
    for (int32_t y = 0; y < picture.Height(); ++y)
        for (int32_t x = 0; x < picture.Width(); ++x) {
            const bool inside = x >= spans[y].first && x < spans[y].second;
            const Bgr24 expected = inside ? RowColour(x, y) : kMarker;
            if (!testing::SamePixel(PixelOf(picture, x, y), expected))
                return ::testing::AssertionFailure()
                       << "pixel (" << x << ", " << y << ") should be "
                       << (inside ? "inside" : "outside") << " the span";
        }
    return ::testing::AssertionSuccess();
}

struct SqueezeCase {
    uint8_t style;
    int32_t amount;
    Spans spans; // one per row of a 20 x 5 picture
};

TEST(SqueezeHorizontal, EachStyleDrawsEveryRowIntoItsSpan) {
    // Width 20, height 5, so t = y / 4 runs 0, 1/4, 1/2, 3/4, 1.
    const SqueezeCase cases[] = {
        {7, 4, {{4, 16}, {4, 16}, {4, 16}, {4, 16}, {4, 16}}},
        // Round(((4 - y) / 5) * 8) = 6, 5, 3, 2, 0 and Round((y / 5) * 8) =
        // 0, 2, 3, 5, 6 (3.2 and 4.8 round to the nearest).
        {8, 8, {{6, 14}, {5, 15}, {3, 17}, {2, 18}, {0, 20}}},
        {9, 8, {{0, 20}, {2, 18}, {3, 17}, {5, 15}, {6, 14}}},
        // |Round(4 cos(t pi))| = 4, 3, 0, 3, 4.
        {10, 4, {{4, 16}, {3, 17}, {0, 20}, {3, 17}, {4, 16}}},
        // |Round(4 sin(t pi))| = 0, 3, 4, 3, 0.
        {11, 4, {{0, 20}, {3, 17}, {4, 16}, {3, 17}, {0, 20}}},
        {12, 4, {{10, 10}, {7, 13}, {6, 14}, {7, 13}, {10, 10}}},
        // |Round(4 sin(t pi 2))| = 0, 4, 0, 4, 0.
        {13, 4, {{10, 10}, {6, 14}, {10, 10}, {6, 14}, {10, 10}}},
        // Amount past half the width stops at 10: style 7 leaves no span.
        {7, 1000, {{10, 10}, {10, 10}, {10, 10}, {10, 10}, {10, 10}}},
        // A negative amount widens the row past both edges in style 7.
        {7, -3, {{0, 20}, {0, 20}, {0, 20}, {0, 20}, {0, 20}}},
        {10, -4, {{4, 16}, {3, 17}, {0, 20}, {3, 17}, {4, 16}}},
        // Styles outside 7 .. 13 leave every row as it was.
        {6, 4, {{0, 0}, {0, 0}, {0, 0}, {0, 0}, {0, 0}}},
        {14, 4, {{0, 0}, {0, 0}, {0, 0}, {0, 0}, {0, 0}}},
    };
    auto source = PaintPicture(20, 5, RowColour);
    for (const SqueezeCase& c : cases) {
        auto picture = PaintPicture(20, 5, [](int32_t, int32_t) { return kMarker; });
        SqueezeHorizontal(*source, *picture, c.amount, c.style);
        EXPECT_TRUE(RowsFillSpans(*picture, c.spans))
            << "style " << int{c.style} << ", amount " << c.amount;
    }
}

TEST(SqueezeHorizontal, ProgramArgumentsKeepTheRowsOwnPixelsInTheMargins) {
    // Left half dark, right half light: the squeezed row keeps that order.
    const auto halves = [](int32_t x, int32_t y) {
        return x < 50 ? Bgr24{10, static_cast<uint8_t>(y), 10}
                      : Bgr24{240, static_cast<uint8_t>(y), 240};
    };
    auto picture = PaintPicture(100, 9, halves);
    auto copy = CopyOf(*picture);
    SqueezeHorizontal(*copy, *picture, 32, 10);
    // The first and last rows are squeezed by 32 on each side; the middle row
    // (y = 4, cos(pi / 2)) is not squeezed at all.
    for (const int32_t y : {0, 8}) {
        for (int32_t x = 0; x < 32; ++x)
            EXPECT_TRUE(testing::SamePixel(PixelOf(*picture, x, y), halves(x, y))) << x;
        for (int32_t x = 68; x < 100; ++x)
            EXPECT_TRUE(testing::SamePixel(PixelOf(*picture, x, y), halves(x, y))) << x;
        EXPECT_EQ(PixelOf(*picture, 33, y).Blue, 10);
        EXPECT_EQ(PixelOf(*picture, 66, y).Blue, 240);
    }
    for (int32_t x = 0; x < 100; ++x)
        EXPECT_TRUE(testing::SamePixel(PixelOf(*picture, x, 4), halves(x, 4))) << x;
}

TEST(SqueezeHorizontal, OneRowPictureIsItsOwnFirstRow) {
    auto source = PaintPicture(20, 1, RowColour);
    for (const auto& [style, span] : {std::pair<uint8_t, std::pair<int32_t, int32_t>>{10, {4, 16}},
                                      {11, {0, 20}},
                                      {12, {10, 10}},
                                      {13, {10, 10}}}) {
        auto picture = PaintPicture(20, 1, [](int32_t, int32_t) { return kMarker; });
        SqueezeHorizontal(*source, *picture, 4, style);
        EXPECT_TRUE(RowsFillSpans(*picture, {span})) << int{style};
    }
}

TEST(SqueezeHorizontal, SamePictureTinyAndEmptyPictures) {
    auto source = PaintPicture(20, 5, RowColour);
    auto expected = PaintPicture(20, 5, RowColour);
    auto copy = CopyOf(*source);
    SqueezeHorizontal(*copy, *expected, 4, 11);
    SqueezeHorizontal(*source, *source, 4, 11);
    EXPECT_TRUE(SamePixels(*source, *expected));

    for (const auto& [w, h] : {std::pair{1, 1}, {1, 7}, {7, 1}, {2, 2}})
        for (const uint8_t style : {7, 8, 9, 10, 11, 12, 13}) {
            auto small = PaintPicture(w, h, RowColour);
            auto out = PaintPicture(3, 2, [](int32_t, int32_t) { return kMarker; });
            SqueezeHorizontal(*small, *out, 32, style);
        }
    auto empty = testing::PicturePtr(bitmap::NewPixelBitmap(0, 0));
    auto picture = PaintPicture(4, 4, RowColour);
    auto before = CopyOf(*picture);
    SqueezeHorizontal(*empty, *picture, 4, 10);
    SqueezeHorizontal(*picture, *empty, 4, 10);
    EXPECT_TRUE(SamePixels(*picture, *before));
    EXPECT_TRUE(empty->Empty());
}

// Drawing into palette rows once mapped the squeezed colours to the nearest
// palette entries; a destination of any layout now gives the pixels its
// 24-bit form gives.
TEST(SqueezeHorizontal, DestinationOfAnotherLayoutGivesTheTwentyFourBitPixels) {
    for (const auto layout :
         {bitmap::BitmapLayout::Bits8, bitmap::BitmapLayout::Bits1, bitmap::BitmapLayout::Bits32}) {
        auto source = testing::MakePattern(17, 13);
        auto narrow = testing::MakePattern(17, 13);
        narrow->SetLayout(layout);
        auto expected = CopyOf(*narrow);
        expected->SetLayout(bitmap::BitmapLayout::Bits24);
        SqueezeHorizontal(*source, *expected, 4, 10);
        SqueezeHorizontal(*source, *narrow, 4, 10);
        narrow->SetLayout(bitmap::BitmapLayout::Bits24);
        EXPECT_TRUE(SamePixels(*narrow, *expected)) << static_cast<int>(layout);
    }
}

} // namespace
} // namespace gleamkit::fx
