// Relief, height map and trace: which neighbour each relief pixel reads, the
// lifts and the winner among pixels landing on one spot, landing rows outside
// the picture for any amount, and the trace's outlines against a plain
// pass-by-pass trace and a golden picture.
#include <gtest/gtest.h>

#include <climits>
#include <string>
#include <vector>

#include "effects/relief_trace.h"
#include "effects/tests/test_pictures.h"

namespace gleamkit::fx {
namespace {

using namespace fx::testing;
using bitmap::Bgr24;
using bitmap::BitmapLayout;
using bitmap::PixelBitmap;

constexpr Bgr24 kWhite{255, 255, 255};

struct Size {
    int32_t width, height;
};

// Tiny, single-row, single-column, odd and padded widths.
constexpr Size kOddSizes[] = {{1, 1}, {1, 7}, {7, 1}, {2, 2}, {2, 5},
                              {3, 4}, {4, 2}, {5, 3}, {9, 6}, {13, 11}};

TEST(EmbossingTest, FlatGreyBecomes127WhereProcessedAndKeepsTheBottomRowAndLastThreeColumns) {
    for (const uint8_t v : {0, 90, 255}) {
        PicturePtr picture = MakePicture(9, 5, {v, v, v});
        Embossing(*picture);
        for (int32_t y = 0; y < 5; ++y)
            for (int32_t x = 0; x < 9; ++x) {
                const int want = (x <= 5 && y <= 3) ? 127 : v;
                EXPECT_EQ(ChannelsAt(*picture, x, y), (Channels{want, want, want}))
                    << int(v) << " at " << x << ", " << y;
            }
    }
}

TEST(EmbossingTest, EachPixelReadsTheOriginalPixelThreeRightOneDown) {
    // A dark pixel at (5, 3) reaches (2, 2) as its negative; it is itself
    // still processed, against its own diagonal neighbour (8, 4).
    PicturePtr picture = MakePicture(10, 6, {100, 100, 100});
    picture->Row24(3)[5] = {0, 10, 20};
    PicturePtr before = CopyOf(*picture);
    Embossing(*picture);
    EXPECT_EQ(ChannelsAt(*picture, 2, 2), (Channels{177, 172, 167})); // (255 - c + 100) div 2
    EXPECT_EQ(ChannelsAt(*picture, 5, 3), (Channels{77, 82, 87}));    // (155 + c) div 2
    EXPECT_EQ(ChannelsAt(*picture, 1, 2), (Channels{127, 127, 127}));
    EXPECT_EQ(ChannelsAt(*picture, 2, 1), (Channels{127, 127, 127}));
    EXPECT_EQ(ChannelsAt(*picture, 6, 5), ChannelsAt(*before, 6, 5));
}

TEST(EmbossingTest, PicturesNarrowerThanFourOrLowerThanTwoAreUnchanged) {
    for (const Size size : {Size{3, 6}, Size{10, 1}, Size{1, 1}, Size{2, 9}}) {
        PicturePtr picture = MakeNoise(size.width, size.height, 3);
        PicturePtr before = CopyOf(*picture);
        Embossing(*picture);
        EXPECT_TRUE(SamePixels(*picture, *before)) << size.width << "x" << size.height;
    }
}

// A single column, black except for the listed rows.
PicturePtr Column(int32_t height, const std::vector<std::pair<int32_t, Bgr24>>& pixels) {
    PicturePtr picture = MakePicture(1, height);
    for (const auto& [y, pixel] : pixels) picture->Row24(y)[0] = pixel;
    return picture;
}

TEST(HeightMapTest, LiftsFollowBrightnessAndPixelsLiftedAboveTheTopAreDropped) {
    PicturePtr picture =
        Column(50, {{40, kWhite}, {20, kWhite}, {30, {127, 128, 128}}, {45, {1, 0, 0}}});
    HeightMap(*picture, 33);
    EXPECT_EQ(ChannelsAt(*picture, 0, 7), (Channels{255, 255, 255}));  // white: 40 - 33
    EXPECT_EQ(ChannelsAt(*picture, 0, 13), (Channels{127, 128, 128})); // sum 383: lift 17
    EXPECT_EQ(ChannelsAt(*picture, 0, 45), (Channels{1, 0, 0}));       // sum 1: lift 0
    // The white pixel of row 20 would land on row -13; rows left by their
    // pixels keep them.
    for (const int32_t y : {20, 30, 40}) EXPECT_NE(ChannelsAt(*picture, 0, y), (Channels{0, 0, 0}));
    EXPECT_EQ(ChannelsAt(*picture, 0, 49), (Channels{0, 0, 0}));
}

// Ten distinct colours whose channel sums (762 ... 765) all lift by exactly
// `amount` for amounts -3 and 3.
std::vector<Bgr24> BrightColours() {
    return {{255, 255, 255}, {254, 255, 255}, {255, 254, 255}, {255, 255, 254}, {253, 255, 255},
            {255, 253, 255}, {255, 255, 253}, {254, 254, 255}, {254, 255, 254}, {255, 254, 254}};
}

TEST(HeightMapTest, RowsMoveWholeAndThoseLandingOutsideThePictureAreDropped) {
    for (const int32_t amount : {3, -3}) {
        const std::vector<Bgr24> colours = BrightColours();
        PicturePtr picture = MakePicture(2, 10);
        for (int32_t y = 0; y < 10; ++y) picture->Row24(y)[0] = picture->Row24(y)[1] = colours[y];
        PicturePtr before = CopyOf(*picture);
        HeightMap(*picture, amount);
        for (int32_t y = 0; y < 10; ++y) {
            // Positive: rows 0 ... 6 take rows 3 ... 9. Negative: rows 3 ... 9
            // take rows 0 ... 6, and rows 7 ... 9 would land below the bottom.
            const int32_t from = y + amount;
            const int32_t expected = (from >= 0 && from < 10) ? from : y;
            EXPECT_EQ(ChannelsAt(*picture, 1, y), ChannelsAt(*before, 1, expected))
                << "amount " << amount << ", row " << y;
        }
    }
}

TEST(HeightMapTest, TheLowerSourceWinsWhereTwoLandOnOnePixel) {
    // Sum 742 lifts 32 (32.007), sum 764 lifts 33 (32.957): rows 40 and 41
    // both land on row 8, and row 41 comes later.
    PicturePtr picture = Column(50, {{40, {250, 246, 246}}, {41, {255, 255, 254}}});
    HeightMap(*picture, 33);
    EXPECT_EQ(ChannelsAt(*picture, 0, 8), (Channels{255, 255, 254}));
    // Amount -33: white from row 7 lands on row 40, but the black pixel of
    // row 40 lands on itself later.
    PicturePtr down = Column(50, {{7, kWhite}});
    HeightMap(*down, -33);
    EXPECT_EQ(ChannelsAt(*down, 0, 40), (Channels{0, 0, 0}));
    EXPECT_EQ(ChannelsAt(*down, 0, 7), (Channels{255, 255, 255}));
}

TEST(HeightMapTest, ExtremeAmountsDropEveryPixelThatIsNotBlack) {
    for (const int32_t amount : {INT_MAX, INT_MIN, 1 << 20, -(1 << 20)}) {
        PicturePtr picture = MakeNoise(7, 9, 5);
        picture->Row24(4)[3] = {0, 0, 0};
        PicturePtr before = CopyOf(*picture);
        HeightMap(*picture, amount);
        EXPECT_TRUE(SamePixels(*picture, *before)) << amount;
    }
}

TEST(HeightMapTest, BlackPicturesAndAmountZeroAreUnchangedAtEverySize) {
    for (const Size size : kOddSizes) {
        PicturePtr black = MakePicture(size.width, size.height);
        HeightMap(*black, 33);
        EXPECT_TRUE(SamePixels(*black, *MakePicture(size.width, size.height)));
        PicturePtr noise = MakeNoise(size.width, size.height, 8);
        PicturePtr before = CopyOf(*noise);
        HeightMap(*noise, 0);
        EXPECT_TRUE(SamePixels(*noise, *before));
        HeightMap(*noise, 33);
        HeightMap(*noise, -33);
    }
}

// Trace exactly as its steps read: every repetition, both passes, one pixel
// at a time through ScanLine.
void TraceStepByStep(PixelBitmap& picture, int32_t intensity) {
    PicturePtr index = CopyOf(picture);
    index->SetLayout(BitmapLayout::Bits8);
    picture.SetLayout(BitmapLayout::Bits24);
    const int32_t w = picture.Width(), h = picture.Height();
    bool found = false;
    uint8_t ref = 0;
    const auto at = [&](int32_t x, int32_t y) { return index->ScanLine(y)[x]; };
    const auto black = [&](int32_t x, int32_t y) { picture.Row24(y)[x] = {0, 0, 0}; };
    const auto rule = [&](int32_t x, int32_t y, int32_t nx, int32_t ny) {
        if (at(nx, ny) == at(x, y)) return;
        if (!found) {
            ref = at(nx, ny);
            found = true;
            black(x, y);
        } else if (at(x, y) != ref) {
            black(x, y);
        } else {
            black(nx, ny);
        }
    };
    if (w < 2) return;
    for (int32_t r = 1; r <= intensity; ++r) {
        for (int32_t y = 0; y <= h - 2; ++y)
            for (int32_t x = 0; x <= (w == 2 ? 0 : w - 3); ++x) {
                rule(x, y, x + 1, y);
                rule(x, y, x, y + 1);
            }
        if (r < 2) continue;
        for (int32_t y = h - 1; y >= 1; --y)
            for (int32_t x = w - 1; x >= (w == 2 ? 1 : 2); --x) {
                rule(x, y, x - 1, y);
                rule(x, y, x, y - 1);
            }
    }
}

// Blocks of three colours, so that borders run in every direction.
PicturePtr Blocks(int32_t width, int32_t height, uint32_t seed) {
    const Bgr24 colours[] = {{200, 40, 40}, {40, 200, 40}, {40, 40, 200}};
    PicturePtr noise = MakeNoise((width + 2) / 3, (height + 1) / 2, seed);
    PicturePtr picture = MakePicture(width, height);
    for (int32_t y = 0; y < height; ++y)
        for (int32_t x = 0; x < width; ++x)
            picture->Row24(y)[x] = colours[noise->Row24(y / 2)[x / 3].Blue % 3];
    return picture;
}

TEST(TraceTest, MatchesTheStepByStepTraceForEveryIntensityAndSize) {
    std::vector<Size> sizes(std::begin(kOddSizes), std::end(kOddSizes));
    sizes.push_back({40, 23});
    for (const Size size : sizes)
        for (const int32_t intensity : {-1, 0, 1, 2, 3, 8})
            for (uint32_t seed = 1; seed <= 3; ++seed) {
                PicturePtr picture = Blocks(size.width, size.height, seed);
                PicturePtr expected = CopyOf(*picture);
                Trace(*picture, intensity);
                TraceStepByStep(*expected, intensity);
                EXPECT_TRUE(SamePixels(*picture, *expected))
                    << size.width << "x" << size.height << ", intensity " << intensity << ", seed "
                    << seed;
            }
}

TEST(TraceTest, TheReferenceCanBeFoundByTheBackwardPassAlone) {
    // The only border lies between the two rightmost columns, which the
    // forward pass never compares.
    PicturePtr picture = MakePicture(6, 4, {200, 40, 40});
    for (int32_t y = 0; y < 4; ++y) picture->Row24(y)[5] = {40, 200, 40};
    PicturePtr once = CopyOf(*picture), expected = CopyOf(*picture);
    Trace(*once, 1);
    EXPECT_TRUE(SamePixels(*once, *picture));
    Trace(*picture, 8);
    TraceStepByStep(*expected, 8);
    EXPECT_TRUE(SamePixels(*picture, *expected));
    EXPECT_EQ(ChannelsAt(*picture, 5, 3), (Channels{0, 0, 0}));
}

TEST(TraceTest, OneColourPicturesHaveNoOutline) {
    PicturePtr picture = MakePicture(9, 7, {12, 34, 56});
    Trace(*picture, 8);
    EXPECT_TRUE(SamePixels(*picture, *MakePicture(9, 7, {12, 34, 56})));
}

TEST(TraceTest, AVerticalBorderIsOutlinedOnOneSideAndReachesTheBottomOnlyWithTheBackwardPass) {
    for (const int32_t width : {2, 8}) {
        const int32_t border = width / 2; // first column of the right half
        PicturePtr picture = MakePicture(width, 5, {255, 0, 0});
        for (int32_t y = 0; y < 5; ++y)
            for (int32_t x = border; x < width; ++x) picture->Row24(y)[x] = {0, 0, 255};
        PicturePtr twice = CopyOf(*picture), before = CopyOf(*picture);
        Trace(*picture, 1);
        Trace(*twice, 2);
        for (int32_t y = 0; y < 5; ++y)
            for (int32_t x = 0; x < width; ++x) {
                const bool line = x == border - 1;
                EXPECT_EQ(ChannelsAt(*picture, x, y),
                          (line && y < 4 ? Channels{0, 0, 0} : ChannelsAt(*before, x, y)))
                    << "once, width " << width << " at " << x << ", " << y;
                EXPECT_EQ(ChannelsAt(*twice, x, y),
                          (line ? Channels{0, 0, 0} : ChannelsAt(*before, x, y)))
                    << "twice, width " << width << " at " << x << ", " << y;
            }
    }
}

TEST(TraceTest, OtherLayoutsAreJudgedByTheirColoursAndConverted) {
    PicturePtr picture = Blocks(17, 9, 4);
    PicturePtr expected = CopyOf(*picture);
    Trace(*expected, 8);
    picture->SetLayout(BitmapLayout::Bits32);
    Trace(*picture, 8);
    EXPECT_EQ(picture->Layout(), BitmapLayout::Bits24);
    EXPECT_TRUE(SamePixels(*picture, *expected));
    PicturePtr untraced = Blocks(5, 4, 4);
    untraced->SetLayout(BitmapLayout::Bits16);
    Trace(*untraced, 0);
    EXPECT_EQ(untraced->Layout(), BitmapLayout::Bits24);
}

// The golden trace. Letters are colours: r and R are two reds the 8-bit
// palette cannot tell apart (200 and 210 both fall on its level 204), b, g
// and w are blue, green and white. In the result '#' is a blackened pixel.
constexpr const char* kGoldenInput[] = {
    "rrrrrrrrRRRRRRRR", "rrrrrrrrRRRRRRRR", "rrrbbbbrRRRRRRRR", "rrrbbbbrRRggggRR",
    "rrrbbbbrRRggggRR", "rrrrrrrrRRggggRR", "rrrrrrrrRRRRRRRR", "wwwwwwwwwwwwwwww",
    "wwwwwwwwwwwwwwww", "wwwwwwwwwwwwwwww",
};

PicturePtr FromLetters(const char* const* lines, int32_t height) {
    const int32_t width = static_cast<int32_t>(std::string(lines[0]).size());
    PicturePtr picture = MakePicture(width, height);
    for (int32_t y = 0; y < height; ++y)
        for (int32_t x = 0; x < width; ++x) {
            Bgr24 pixel{255, 255, 255};
            switch (lines[y][x]) {
            case 'r':
                pixel = {0, 0, 200};
                break;
            case 'R':
                pixel = {0, 0, 210};
                break;
            case 'b':
                pixel = {255, 0, 0};
                break;
            case 'g':
                pixel = {0, 255, 0};
                break;
            default:
                break;
            }
            picture->Row24(y)[x] = pixel;
        }
    return picture;
}

std::vector<std::string> ToLetters(PixelBitmap& result, const char* const* input) {
    std::vector<std::string> lines;
    for (int32_t y = 0; y < result.Height(); ++y) {
        std::string line(input[y]);
        for (int32_t x = 0; x < result.Width(); ++x)
            if (ChannelsAt(result, x, y) == Channels{0, 0, 0}) line[static_cast<size_t>(x)] = '#';
        lines.push_back(line);
    }
    return lines;
}

TEST(TraceTest, GoldenOutlinesOfBlocksOnAPaletteTwinBackground) {
    PicturePtr picture = FromLetters(kGoldenInput, 10);
    Trace(*picture, 8);
    // The blue block sets the reference (the first border met lies above
    // it), so it is outlined outside, on the red side. The green block and the
    // white band border two colours that are not the reference, so the pass
    // down and to the right blackens the upper or left side and the pass up
    // and to the left the lower or right side. The first pass stops two
    // columns short of the right edge, so row 6 keeps its two rightmost reds.
    // The twin reds are not separated.
    const std::vector<std::string> expected = {
        "rrrrrrrrRRRRRRRR", "rrr####rRRRRRRRR", "rr#bbbb#RR####RR", "rr#bbbb#R######R",
        "rr#bbbb#R##gg##R", "rrr####rR######R", "##############RR", "ww##############",
        "wwwwwwwwwwwwwwww", "wwwwwwwwwwwwwwww",
    };
    EXPECT_EQ(ToLetters(*picture, kGoldenInput), expected);
}

} // namespace
} // namespace gleamkit::fx
