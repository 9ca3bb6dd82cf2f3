#include "effects/marble.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <limits>
#include <vector>

#include "effects/tests/warp_pictures.h"

namespace gleamkit::fx {
namespace {

using bitmap::Bgr24;
using testing::CoordinateColour;
using testing::CopyOf;
using testing::PaintPicture;
using testing::PatternColour;
using testing::PixelOf;
using testing::SamePixel;
using testing::SamePixels;

using MarbleFunction = void (*)(PixelBitmap&, PixelBitmap&, int32_t, long double);

// Where a pixel goes at scale 2 and turbulence 2, worked out by hand from the
// variant's terms for the four parities of (x, y): ay and ax are 0 or 0.5, so
// for Marble1 yy is 2 or 1.7552 and xx is -0 or -0.9589; the rounded sums
// move (x, y) by the offsets below, before reflection.
struct ParityOffsets {
    // [x parity][y parity]
    int32_t dx[2][2];
    int32_t dy[2][2];
};

// The destination a forward walk (or a backward one) gives with those offsets.
testing::PicturePtr ExpectedScatter(PixelBitmap& source, const ParityOffsets& offsets,
                                    bool backward) {
    auto expected = CopyOf(source);
    const int32_t w = source.Width();
    const int32_t h = source.Height();
    for (int32_t step = 0; step < w * h; ++step) {
        const int32_t index = backward ? w * h - 1 - step : step;
        const int32_t x = index % w;
        const int32_t y = index / w;
        const int32_t xm = std::abs(x + offsets.dx[x % 2][y % 2]);
        const int32_t ym = std::abs(y + offsets.dy[x % 2][y % 2]);
        if (xm < w && ym < h) expected->Row24(ym)[xm] = PixelOf(source, x, y);
    }
    return expected;
}

struct VariantCase {
    const char* name;
    MarbleFunction marble;
    ParityOffsets offsets;
    bool backward;
};

TEST(Marble, EachVariantMovesPixelsByItsOwnTermsAtScaleTwo) {
    const VariantCase cases[] = {
        {"Marble1", Marble1, {{{2, 2}, {1, 1}}, {{2, 2}, {1, 1}}}, false},
        {"Marble2", Marble2, {{{-2, -2}, {-3, -3}}, {{2, 2}, {3, 3}}}, false},
        {"Marble3", Marble3, {{{2, 2}, {3, 3}}, {{-2, -2}, {-3, -3}}}, false},
        {"Marble4", Marble4, {{{-2, -1}, {-2, -1}}, {{-2, -1}, {-2, -1}}}, false},
        {"Marble5", Marble5, {{{2, 2}, {1, 1}}, {{2, 2}, {1, 1}}}, true},
        {"Marble6", Marble6, {{{2, 2}, {2, 1}}, {{2, 2}, {2, 1}}}, false},
        {"Marble7", Marble7, {{{0, 1}, {0, 1}}, {{0, 1}, {0, 1}}}, false},
        {"Marble8", Marble8, {{{0, 1}, {-1, -1}}, {{0, 1}, {-1, -1}}}, false},
    };
    auto source = PaintPicture(13, 11, CoordinateColour);
    for (const VariantCase& c : cases) {
        auto picture = CopyOf(*source);
        c.marble(*source, *picture, 2, 2.0L);
        EXPECT_TRUE(SamePixels(*picture, *ExpectedScatter(*source, c.offsets, c.backward)))
            << c.name;
    }
}

TEST(Marble, ScaleOneShiftsByTheTurbulence) {
    // Every ax and ay is 0: xx = -0 and yy = 3, so Marble1 moves the picture
    // 3 right and 3 down; the first three rows and columns keep their pixels.
    auto source = PaintPicture(12, 9, PatternColour);
    auto picture = PaintPicture(2, 2, PatternColour);
    Marble1(*source, *picture, 1, 3.0L);
    ASSERT_EQ(picture->Width(), 12);
    ASSERT_EQ(picture->Height(), 9);
    for (int32_t y = 0; y < 9; ++y)
        for (int32_t x = 0; x < 12; ++x) {
            const bool moved = x >= 3 && y >= 3;
            const Bgr24 expected = moved ? PixelOf(*source, x - 3, y - 3) : PixelOf(*source, x, y);
            ASSERT_TRUE(SamePixel(PixelOf(*picture, x, y), expected)) << x << "," << y;
        }
}

TEST(Marble, SumsOnAHalfRoundToTheEvenNeighbour) {
    // Turbulence 0.5 at scale 1: xx = -0 and yy = 0.5, so Marble1 sends (x, y)
    // to (x + 0.5, y + 0.5), every sum exactly on a half: even coordinates
    // stay, odd ones move up by one. The fast double sums cannot tell a half
    // from its neighbours and must leave these to the extended rounding.
    auto source = PaintPicture(11, 7, PatternColour);
    auto picture = PaintPicture(1, 1, PatternColour);
    Marble1(*source, *picture, 1, 0.5L);
    const ParityOffsets offsets{{{0, 0}, {1, 1}}, {{0, 1}, {0, 1}}};
    EXPECT_TRUE(SamePixels(*picture, *ExpectedScatter(*source, offsets, false)));
}

TEST(Marble, NegativeSumsAreReflectedNotDropped) {
    // Marble2 at scale 1 moves x to |x - 3|: columns 0, 1, 2 land on 3, 2, 1,
    // and the later columns 3 .. 6 overwrite 0 .. 3.
    auto source = PaintPicture(10, 8, CoordinateColour);
    auto picture = CopyOf(*source);
    Marble2(*source, *picture, 1, 3.0L);
    for (int32_t y = 3; y < 8; ++y) {
        for (int32_t x = 0; x < 7; ++x)
            EXPECT_TRUE(SamePixel(PixelOf(*picture, x, y), PixelOf(*source, x + 3, y - 3)));
        for (int32_t x = 7; x < 10; ++x)
            EXPECT_TRUE(SamePixel(PixelOf(*picture, x, y), PixelOf(*source, x, y)));
    }
}

TEST(Marble, LaterPixelsWinInMarble1AndEarlierOnesInMarble5) {
    auto source = PaintPicture(64, 48, CoordinateColour);
    auto forward = CopyOf(*source);
    auto backward = CopyOf(*source);
    Marble1(*source, *forward, 3, 3.0L);
    Marble5(*source, *backward, 3, 3.0L);
    int32_t differing = 0;
    for (int32_t y = 0; y < 48; ++y)
        for (int32_t x = 0; x < 64; ++x) {
            const Bgr24 a = PixelOf(*forward, x, y);
            const Bgr24 b = PixelOf(*backward, x, y);
            if (SamePixel(a, b)) continue;
            ++differing;
            // Both are source pixels that landed here; Marble1 keeps the one
            // visited later top-down, left to right: a lower row, or in the
            // same row one further right.
            const bool laterInReadingOrder =
                a.Green > b.Green || (a.Green == b.Green && a.Blue > b.Blue);
            EXPECT_TRUE(laterInReadingOrder) << x << "," << y;
        }
    EXPECT_GT(differing, 0);
}

TEST(Marble, ScaleOrTurbulenceZeroLeavesThePlainCopy) {
    auto source = PaintPicture(9, 7, PatternColour);
    const MarbleFunction all[] = {Marble1, Marble2, Marble3, Marble4,
                                  Marble5, Marble6, Marble7, Marble8};
    for (const MarbleFunction marble : all)
        for (const auto& [scale, turbulence] :
             {std::pair{0, 3.0L},
              {3, 0.0L},
              {3, -0.0L},
              {0, 0.0L},
              {3, std::numeric_limits<long double>::quiet_NaN()},
              {3, std::numeric_limits<long double>::infinity()}}) {
            auto picture = PaintPicture(4, 4, PatternColour);
            marble(*source, *picture, scale, turbulence);
            EXPECT_TRUE(SamePixels(*picture, *source));
        }
}

TEST(Marble, PositionsBeyondThe32BitRangeAreDropped) {
    auto source = PaintPicture(16, 8, CoordinateColour);
    // Turbulence 4 / pi puts every third column (x mod 3 = 2) on the pole of
    // the tangent: its displacement is astronomically large, so it lands
    // nowhere, and no pixel of the result comes from such a column unless the
    // copy put it there.
    auto picture = CopyOf(*source);
    Marble6(*source, *picture, 3, 4.0L / 3.14159265358979323846L);
    for (int32_t y = 0; y < 8; ++y)
        for (int32_t x = 0; x < 16; ++x) {
            const Bgr24 pixel = PixelOf(*picture, x, y);
            if (!SamePixel(pixel, PixelOf(*source, x, y))) {
                EXPECT_NE(pixel.Blue % 3, 2) << x << "," << y;
            }
        }
    // Tiny turbulences: every column but x mod S = 0 flies off (or, beyond
    // 2^63, has tangent 0); the columns that stay do not move. The result is
    // the plain copy.
    for (const long double turbulence : {1.0e-12L, 1.0e-3000L}) {
        auto six = CopyOf(*source);
        Marble6(*source, *six, 3, turbulence);
        EXPECT_TRUE(SamePixels(*six, *source));
        auto seven = CopyOf(*source);
        Marble7(*source, *seven, 4, turbulence);
        EXPECT_TRUE(SamePixels(*seven, *source));
    }
    auto extreme = CopyOf(*source);
    Marble1(*source, *extreme, std::numeric_limits<int32_t>::min(), 1.0e4000L);
    EXPECT_TRUE(SamePixels(*extreme, *source));
}

TEST(Marble, SamePictureTinyAndEmptyPictures) {
    auto source = PaintPicture(21, 14, PatternColour);
    auto expected = CopyOf(*source);
    Marble8(*source, *expected, 3, 3.0L);
    auto picture = CopyOf(*source);
    Marble8(*picture, *picture, 3, 3.0L);
    EXPECT_TRUE(SamePixels(*picture, *expected));

    for (const auto& [w, h] : {std::pair{1, 1}, {1, 9}, {9, 1}}) {
        auto small = PaintPicture(w, h, PatternColour);
        auto out = PaintPicture(3, 3, PatternColour);
        Marble3(*small, *out, 3, 3.0L);
        EXPECT_EQ(out->Width(), w);
        EXPECT_EQ(out->Height(), h);
    }
    auto empty = testing::PicturePtr(bitmap::NewPixelBitmap(0, 0));
    auto out = PaintPicture(3, 3, PatternColour);
    Marble1(*empty, *out, 3, 3.0L);
    EXPECT_TRUE(out->Empty());
}

} // namespace
} // namespace gleamkit::fx
