// Flips, mirrors, shadows and opaque patterns: where every pixel goes at odd
// and tiny sizes, the shadow's single step and its 8-bit wrap, the pixels a
// shadow leaves alone, and the two whitening patterns.
#include <gtest/gtest.h>

#include <vector>

#include "effects/flip_shadow.h"
#include "effects/tests/test_pictures.h"

namespace gleamkit::fx {
namespace {

using namespace fx::testing;
using bitmap::Bgr24;
using bitmap::BitmapLayout;
using bitmap::PixelBitmap;

using PictureOperation = void (*)(PixelBitmap&);

struct Size {
    int32_t width, height;
};

// Tiny, single-row, single-column, odd and padded widths.
constexpr Size kOddSizes[] = {{1, 1}, {1, 6}, {6, 1}, {2, 2}, {3, 5},
                              {4, 4}, {5, 5}, {5, 8}, {7, 3}, {13, 11}};

TEST(FlipTest, EveryPixelGoesToItsMirroredPlaceAndTwoFlipsRestore) {
    for (const Size size : kOddSizes) {
        const int32_t w = size.width, h = size.height;
        PicturePtr original = MakeNoise(w, h, 11);
        PicturePtr upsideDown = CopyOf(*original), reversed = CopyOf(*original);
        FlipHorizontal(*upsideDown);
        FlipVertical(*reversed);
        for (int32_t y = 0; y < h; ++y)
            for (int32_t x = 0; x < w; ++x) {
                EXPECT_EQ(ChannelsAt(*upsideDown, x, y), ChannelsAt(*original, x, h - 1 - y))
                    << w << "x" << h << " at " << x << ", " << y;
                EXPECT_EQ(ChannelsAt(*reversed, x, y), ChannelsAt(*original, w - 1 - x, y))
                    << w << "x" << h << " at " << x << ", " << y;
            }
        FlipHorizontal(*upsideDown);
        FlipVertical(*reversed);
        EXPECT_TRUE(SamePixels(*upsideDown, *original));
        EXPECT_TRUE(SamePixels(*reversed, *original));
    }
}

// One row (or column) of distinct pixels p0, p1, ... for the mirror cases.
PicturePtr Ramp(int32_t width, int32_t height) {
    return MakePictureFrom(width, height, [](int32_t x, int32_t y, int32_t c) {
        return static_cast<uint8_t>(10 * x + 100 * y + c);
    });
}

TEST(MirrorTest, TheRightHalfMirrorsTheLeftHalf) {
    const struct {
        int32_t width;
        std::vector<int32_t> from; // the former column of each pixel
    } cases[] = {{5, {0, 1, 2, 1, 0}}, {4, {0, 1, 1, 0}}, {1, {0}}, {2, {0, 0}}, {3, {0, 1, 0}}};
    for (const auto& c : cases) {
        PicturePtr picture = Ramp(c.width, 2), original = Ramp(c.width, 2);
        MirrorVertical(*picture);
        for (int32_t y = 0; y < 2; ++y)
            for (int32_t x = 0; x < c.width; ++x)
                EXPECT_EQ(ChannelsAt(*picture, x, y), ChannelsAt(*original, c.from[x], y))
                    << "width " << c.width << " at " << x;
    }
}

TEST(MirrorTest, TheBottomHalfMirrorsTheTopHalf) {
    const struct {
        int32_t height;
        std::vector<int32_t> from; // the former row of each row
    } cases[] = {{3, {0, 1, 0}}, {4, {0, 1, 1, 0}}, {1, {0}}, {2, {0, 0}}, {5, {0, 1, 2, 1, 0}}};
    for (const auto& c : cases) {
        PicturePtr picture = Ramp(3, c.height), original = Ramp(3, c.height);
        MirrorHorizontal(*picture);
        for (int32_t y = 0; y < c.height; ++y)
            for (int32_t x = 0; x < 3; ++x)
                EXPECT_EQ(ChannelsAt(*picture, x, y), ChannelsAt(*original, x, c.from[y]))
                    << "height " << c.height << " at row " << y;
    }
}

TEST(MirrorTest, MirroredPicturesAreSymmetricAndStayAsTheyAre) {
    for (const Size size : kOddSizes) {
        const int32_t w = size.width, h = size.height;
        PicturePtr across = MakeNoise(w, h, 2), down = MakeNoise(w, h, 2);
        MirrorVertical(*across);
        MirrorHorizontal(*down);
        for (int32_t y = 0; y < h; ++y)
            for (int32_t x = 0; x < w; ++x) {
                EXPECT_EQ(ChannelsAt(*across, x, y), ChannelsAt(*across, w - 1 - x, y));
                EXPECT_EQ(ChannelsAt(*down, x, y), ChannelsAt(*down, x, h - 1 - y));
            }
        PicturePtr again = CopyOf(*across);
        MirrorVertical(*again);
        EXPECT_TRUE(SamePixels(*again, *across)) << w << "x" << h;
    }
}

constexpr Bgr24 kWhite{255, 255, 255};

TEST(ShadowTest, OneBlackPixelCastsOneShadowFourPixelsAwayOneStepLighter) {
    const struct {
        PictureOperation shadow;
        int32_t x, y;
    } cases[] = {{ShadowDownRight, 14, 14},
                 {ShadowDownLeft, 6, 14},
                 {ShadowUpRight, 14, 6},
                 {ShadowUpLeft, 6, 6}};
    for (const auto& c : cases) {
        // 24 pixels leave room for a second step (18, 18), which must not
        // happen: sources are read as they were before the operation.
        PicturePtr picture = MakePicture(24, 21, kWhite);
        picture->Row24(10)[10] = {0, 0, 0};
        PicturePtr expected = CopyOf(*picture);
        expected->Row24(c.y)[c.x] = {1, 1, 1};
        c.shadow(*picture);
        EXPECT_TRUE(SamePixels(*picture, *expected)) << c.x << ", " << c.y;
    }
}

TEST(ShadowTest, OnlyADarkerBlueCopiesAndGreenAndRedWrapAt255) {
    const struct {
        Bgr24 source, target, expected;
    } cases[] = {
        {{10, 255, 255}, {11, 7, 7}, {11, 0, 0}},   // wraps
        {{10, 20, 30}, {10, 99, 99}, {10, 99, 99}}, // equal blue: kept
        {{10, 20, 30}, {9, 99, 99}, {9, 99, 99}},   // lighter source: kept
        {{0, 0, 0}, {255, 0, 0}, {1, 1, 1}},        // darker blue only
        {{254, 128, 254}, {255, 255, 0}, {255, 129, 255}},
    };
    for (const auto& c : cases) {
        PicturePtr picture = MakePicture(5, 5, c.target);
        picture->Row24(0)[0] = c.source;
        ShadowDownRight(*picture);
        const Channels want{c.expected.Blue, c.expected.Green, c.expected.Red};
        EXPECT_EQ(ChannelsAt(*picture, 4, 4), want);
    }
}

TEST(ShadowTest, TheEdgesTheShadowComesFromKeepTheirPixels) {
    const struct {
        PictureOperation shadow;
        bool fromTop, fromLeft; // the edges whose 4 rows / columns are kept
    } cases[] = {{ShadowDownRight, true, true},
                 {ShadowDownLeft, true, false},
                 {ShadowUpRight, false, true},
                 {ShadowUpLeft, false, false}};
    for (const auto& c : cases) {
        PicturePtr picture = MakeNoise(9, 8, 3);
        PicturePtr before = CopyOf(*picture);
        c.shadow(*picture);
        for (int32_t y = 0; y < 8; ++y)
            for (int32_t x = 0; x < 9; ++x) {
                const bool keptRow = c.fromTop ? y < 4 : y >= 4;
                const bool keptColumn = c.fromLeft ? x < 4 : x >= 5;
                if (keptRow || keptColumn) {
                    EXPECT_EQ(ChannelsAt(*picture, x, y), ChannelsAt(*before, x, y))
                        << x << ", " << y;
                }
            }
    }
}

TEST(ShadowTest, PicturesBelowFivePixelsEitherWayAreUnchanged) {
    for (const PictureOperation shadow :
         {ShadowUpLeft, ShadowUpRight, ShadowDownLeft, ShadowDownRight})
        for (const Size size : {Size{4, 9}, Size{9, 4}, Size{1, 1}, Size{1, 6}, Size{6, 1}}) {
            PicturePtr picture = MakeNoise(size.width, size.height, 6);
            PicturePtr before = CopyOf(*picture);
            shadow(*picture);
            EXPECT_TRUE(SamePixels(*picture, *before)) << size.width << "x" << size.height;
        }
}

TEST(OpaqueTest, SemiWhitensACheckerboardAndQuartoKeepsOddColumnsOfEvenRows) {
    for (const Size size : kOddSizes) {
        const int32_t w = size.width, h = size.height;
        PicturePtr source = MakeNoise(w, h, 9), original = CopyOf(*source);
        PicturePtr semi = MakePicture(w, h), quarto = MakePicture(w, h);
        OpaqueSemi(*source, *semi);
        OpaqueQuarto(*source, *quarto);
        EXPECT_TRUE(SamePixels(*source, *original));
        for (int32_t y = 0; y < h; ++y)
            for (int32_t x = 0; x < w; ++x) {
                const Channels white{255, 255, 255}, kept = ChannelsAt(*original, x, y);
                EXPECT_EQ(ChannelsAt(*semi, x, y), (x + y) % 2 == 0 ? white : kept);
                EXPECT_EQ(ChannelsAt(*quarto, x, y), (y % 2 == 0 && x % 2 == 1) ? kept : white);
            }
    }
}

TEST(OpaqueTest, TheDestinationTakesTheSourceSizeAndMayBeTheSourceItself) {
    PicturePtr source = MakeNoise(7, 3, 4);
    PicturePtr larger = MakePicture(20, 15), smaller = MakePicture(2, 1);
    PicturePtr empty(bitmap::NewPixelBitmap(0, 0));
    for (PixelBitmap* destination : {larger.get(), smaller.get(), empty.get()}) {
        OpaqueSemi(*source, *destination);
        EXPECT_EQ(destination->Width(), 7);
        EXPECT_EQ(destination->Height(), 3);
        EXPECT_EQ(ChannelsAt(*destination, 3, 2), ChannelsAt(*source, 3, 2));
    }
    PicturePtr same = CopyOf(*source);
    OpaqueQuarto(*same, *same);
    PicturePtr expected = MakePicture(1, 1);
    OpaqueQuarto(*source, *expected);
    EXPECT_TRUE(SamePixels(*same, *expected));
    PicturePtr emptySource(bitmap::NewPixelBitmap(0, 0));
    OpaqueSemi(*emptySource, *larger);
    EXPECT_TRUE(larger->Empty());
}

TEST(FlipShadowTest, OtherLayoutsAreConvertedAndEmptyPicturesLeftAlone) {
    const PictureOperation operations[] = {FlipHorizontal, FlipVertical,   MirrorHorizontal,
                                           MirrorVertical, ShadowUpLeft,   ShadowUpRight,
                                           ShadowDownLeft, ShadowDownRight};
    for (const PictureOperation operation : operations) {
        PicturePtr picture = MakeNoise(9, 7, 1);
        picture->SetLayout(BitmapLayout::Bits32);
        PicturePtr expected = CopyOf(*picture);
        expected->SetLayout(BitmapLayout::Bits24);
        operation(*expected);
        operation(*picture);
        EXPECT_EQ(picture->Layout(), BitmapLayout::Bits24);
        EXPECT_TRUE(SamePixels(*picture, *expected));
        PicturePtr empty(bitmap::NewPixelBitmap(0, 0));
        operation(*empty);
        EXPECT_TRUE(empty->Empty());
    }
    PicturePtr source = MakeNoise(6, 4, 2), destination = MakePicture(6, 4);
    source->SetLayout(BitmapLayout::Bits16);
    OpaqueSemi(*source, *destination);
    EXPECT_EQ(destination->Layout(), BitmapLayout::Bits24);
    EXPECT_EQ(ChannelsAt(*destination, 0, 0), (Channels{255, 255, 255}));
}

} // namespace
} // namespace gleamkit::fx
