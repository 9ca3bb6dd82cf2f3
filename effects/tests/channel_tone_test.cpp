// Channel and tone operations: threshold edges, rounding of halves, wrapping
// of large products, exact-colour selection, and the two-picture operations'
// overlap and refusal rules.
#include <gtest/gtest.h>

#include <climits>
#include <cmath>
#include <vector>

#include "base/error.h"
#include "bitmap/canvas.h"
#include "effects/channel_tone.h"
#include "effects/registry.h"
#include "effects/tests/test_pictures.h"

namespace gleamkit::fx {
namespace {

using namespace fx::testing;
using bitmap::Bgr24;
using bitmap::PixelBitmap;

// One pixel per entry, in a single row.
PicturePtr RowOf(const std::vector<Bgr24>& pixels) {
    PicturePtr picture = MakePicture(static_cast<int32_t>(pixels.size()), 1);
    for (size_t x = 0; x < pixels.size(); ++x) picture->Row24(0)[x] = pixels[x];
    return picture;
}

PicturePtr GreyRamp() {
    std::vector<Bgr24> pixels;
    for (int v = 0; v < 256; ++v) pixels.push_back({uint8_t(v), uint8_t(v), uint8_t(v)});
    return RowOf(pixels);
}

struct FilterCase {
    void (*filter)(PixelBitmap&, uint8_t, uint8_t);
    int channel; // 0 blue, 1 green, 2 red
    bool clearsOthers;
};

TEST(ChannelToneTest, ThresholdFiltersUseStrictBoundsOnTheirOwnChannel) {
    const FilterCase filters[] = {{FilterBlue, 0, true},    {FilterGreen, 1, true},
                                  {FilterRed, 2, true},     {FilterXBlue, 0, false},
                                  {FilterXGreen, 1, false}, {FilterXRed, 2, false}};
    const int values[] = {0, 10, 11, 100, 199, 200, 255};
    const int expected[] = {0, 0, 255, 255, 255, 0, 0};
    for (const FilterCase& c : filters) {
        std::vector<Bgr24> pixels;
        for (int v : values) {
            Channels p{60, 70, 80};
            p[c.channel] = v;
            pixels.push_back({uint8_t(p[0]), uint8_t(p[1]), uint8_t(p[2])});
        }
        PicturePtr picture = RowOf(pixels);
        c.filter(*picture, 10, 200);
        for (int i = 0; i < 7; ++i) {
            Channels want = c.clearsOthers ? Channels{0, 0, 0} : Channels{60, 70, 80};
            want[c.channel] = expected[i];
            EXPECT_EQ(ChannelsAt(*picture, i, 0), want)
                << "channel " << c.channel << ", value " << values[i];
        }
    }
}

TEST(ChannelToneTest, KeepRoundsHalvesToEvenAndWrapsLargeProducts) {
    const struct {
        long double factor;
        int value, expected;
    } cases[] = {{0.8L, 255, 204}, {0.8L, 1, 1},  {0.8L, 3, 2},     {0.8L, 5, 4}, {0.5L, 1, 0},
                 {0.5L, 3, 2},     {0.5L, 5, 2},  {2.0L, 200, 144}, // 400 keeps its low byte
                 {-1.0L, 1, 255},  {1e30L, 9, 0}, {NAN, 9, 0}};     // beyond 64 bits: 0
    for (const auto& c : cases) {
        PicturePtr picture = RowOf({{uint8_t(c.value), 33, 44}});
        KeepBlue(*picture, c.factor);
        EXPECT_EQ(ChannelsAt(*picture, 0, 0), (Channels{c.expected, 0, 0}))
            << static_cast<double>(c.factor) << " x " << c.value;
    }
    PicturePtr red = RowOf({{10, 20, 255}}), green = RowOf({{10, 5, 255}});
    KeepRed(*red, 0.8L);
    KeepGreen(*green, 0.8L);
    EXPECT_EQ(ChannelsAt(*red, 0, 0), (Channels{0, 0, 204}));
    EXPECT_EQ(ChannelsAt(*green, 0, 0), (Channels{0, 4, 0}));
}

TEST(ChannelToneTest, ExtractKeepsOnlyExactMatchesAndExcludeBlackensThem) {
    const std::vector<Bgr24> pixels = {
        {255, 0, 0}, {254, 0, 0}, {255, 1, 0}, {255, 0, 1}, {7, 8, 9}};
    PicturePtr extracted = RowOf(pixels), excluded = RowOf(pixels);
    ExtractColor(*extracted, 0xFF0000);
    ExcludeColor(*excluded, 0xFF0000);
    for (int x = 0; x < 5; ++x) {
        const Channels original{pixels[x].Blue, pixels[x].Green, pixels[x].Red};
        EXPECT_EQ(ChannelsAt(*extracted, x, 0), (x == 0 ? original : Channels{0, 0, 0}));
        EXPECT_EQ(ChannelsAt(*excluded, x, 0), (x == 0 ? Channels{0, 0, 0} : original));
    }
    // A system colour is resolved first: button face is 212, 208, 200.
    PicturePtr system = RowOf({{200, 208, 212}, {212, 208, 200}});
    ExtractColor(*system, SystemColor(15));
    EXPECT_EQ(ChannelsAt(*system, 0, 0), (Channels{200, 208, 212}));
    EXPECT_EQ(ChannelsAt(*system, 1, 0), (Channels{0, 0, 0}));
}

TEST(ChannelToneTest, InvertTurnsEveryChannelIntoItsNegativeInAnyLayout) {
    PicturePtr picture = MakePattern(7, 5);
    PicturePtr original = CopyOf(*picture);
    Invert(*picture);
    for (int32_t y = 0; y < 5; ++y)
        for (int32_t x = 0; x < 7; ++x) {
            const Channels v = ChannelsAt(*original, x, y);
            EXPECT_EQ(ChannelsAt(*picture, x, y), (Channels{255 - v[0], 255 - v[1], 255 - v[2]}));
        }
    PicturePtr inverted = CopyOf(*picture);
    Invert(*picture);
    EXPECT_TRUE(SamePixels(*picture, *original));

    // Another layout is converted first and gives the same colours; on a
    // palette picture inverting the indexes would scramble them instead.
    for (const auto layout :
         {bitmap::BitmapLayout::Bits32, bitmap::BitmapLayout::Bits8, bitmap::BitmapLayout::Bits4}) {
        PicturePtr narrow = CopyOf(*original);
        narrow->SetLayout(layout);
        PicturePtr expected = CopyOf(*narrow);
        expected->SetLayout(bitmap::BitmapLayout::Bits24);
        Invert(*expected);
        Invert(*narrow);
        narrow->SetLayout(bitmap::BitmapLayout::Bits24);
        EXPECT_TRUE(SamePixels(*narrow, *expected)) << static_cast<int>(layout);
    }

    // A mask kept by keyed drawing is dropped, as any drawing on the canvas does.
    PicturePtr target = MakePicture(7, 5);
    original->DrawKeyed(target->Canvas()->Handle(), 0, 0, original->PixelAt(0, 0));
    ASSERT_NE(original->TransparencyMask(), nullptr);
    Invert(*original);
    EXPECT_EQ(original->TransparencyMask(), nullptr);
    EXPECT_TRUE(SamePixels(*original, *inverted));

    PicturePtr empty(bitmap::NewPixelBitmap(0, 0));
    Invert(*empty);
    EXPECT_TRUE(empty->Empty());
}

TEST(ChannelToneTest, PosterizeRoundsHalvesToEvenAndWrapsAbove255) {
    PicturePtr source = GreyRamp(), destination = MakePicture(256, 1, {99, 99, 99});
    Posterize(*source, *destination, 20);
    // 10 / 20 = 0.5 rounds to 0, 30 / 20 = 1.5 to 2, 50 / 20 = 2.5 to 2;
    // 251 ... 255 give 13 x 20 = 260, whose low byte is 4.
    const int checks[][2] = {{0, 0},   {9, 0},   {10, 0},  {11, 20},   {29, 20}, {30, 40},
                             {50, 40}, {51, 60}, {70, 80}, {250, 240}, {251, 4}, {255, 4}};
    for (const auto& [v, want] : checks)
        EXPECT_EQ(ChannelsAt(*destination, v, 0), (Channels{want, want, want})) << v;
    EXPECT_EQ(ChannelsAt(*source, 255, 0), (Channels{255, 255, 255}));

    PicturePtr negative = RowOf({{30, 10, 31}});
    Posterize(*negative, *negative, -20); // in place: -1.5 -> -2, -0.5 -> 0, -1.55 -> -2
    EXPECT_EQ(ChannelsAt(*negative, 0, 0), (Channels{40, 0, 40}));
}

TEST(ChannelToneTest, PosterizeByZeroIsRefusedWithThePicturesUntouched) {
    PicturePtr source = MakePattern(4, 3), destination = MakePicture(4, 3, {1, 2, 3});
    destination->SetLayout(bitmap::BitmapLayout::Bits32);
    EXPECT_THROW(Posterize(*source, *destination, 0), Error);
    EXPECT_EQ(destination->Layout(), bitmap::BitmapLayout::Bits32);
    destination->SetLayout(bitmap::BitmapLayout::Bits24);
    EXPECT_TRUE(SamePixels(*destination, *MakePicture(4, 3, {1, 2, 3})));
}

TEST(ChannelToneTest, SolarizeInvertsOnlyWhenTheMeanExceedsTheThreshold) {
    PicturePtr source =
        RowOf({{100, 100, 100}, {101, 101, 101}, {0, 0, 255}, {100, 100, 102}, {0, 51, 255}});
    PicturePtr destination = MakePicture(5, 1, {7, 7, 7});
    Solarize(*source, *destination, 100);
    EXPECT_EQ(ChannelsAt(*destination, 0, 0), (Channels{100, 100, 100})); // mean 100
    EXPECT_EQ(ChannelsAt(*destination, 1, 0), (Channels{154, 154, 154})); // mean 101
    EXPECT_EQ(ChannelsAt(*destination, 2, 0), (Channels{0, 0, 255}));     // mean 85
    EXPECT_EQ(ChannelsAt(*destination, 3, 0), (Channels{100, 100, 102})); // 302 div 3
    EXPECT_EQ(ChannelsAt(*destination, 4, 0), (Channels{255, 204, 0}));   // 306 div 3
    Solarize(*source, *destination, INT_MIN);
    EXPECT_EQ(ChannelsAt(*destination, 0, 0), (Channels{155, 155, 155}));
}

TEST(ChannelToneTest, TwoPictureOperationsWriteOnlyWhereBothHavePixels) {
    using TwoPicture = void (*)(PixelBitmap&, PixelBitmap&, int32_t);
    for (TwoPicture operation : {TwoPicture{Posterize}, TwoPicture{Solarize}}) {
        PicturePtr big = MakePicture(9, 7, {200, 200, 200}), small = MakePicture(3, 2, {1, 1, 1});
        operation(*big, *small, 50); // no write past the small picture's rows
        EXPECT_NE(ChannelsAt(*small, 2, 1), (Channels{1, 1, 1}));
        PicturePtr tiny = MakePicture(2, 2, {200, 200, 200}), large = MakePicture(6, 5, {1, 1, 1});
        operation(*tiny, *large, 50);
        EXPECT_NE(ChannelsAt(*large, 1, 1), (Channels{1, 1, 1}));
        for (const auto& [x, y] : {std::pair{2, 0}, {0, 2}, {5, 4}})
            EXPECT_EQ(ChannelsAt(*large, x, y), (Channels{1, 1, 1}));
        PicturePtr empty(bitmap::NewPixelBitmap(0, 0));
        operation(*empty, *large, 50);
        operation(*big, *empty, 50);
        EXPECT_TRUE(empty->Empty());
    }
}

TEST(ChannelToneTest, OtherLayoutsAreConvertedToTwentyFourBitsFirst) {
    PicturePtr picture = MakePattern(6, 5);
    picture->SetLayout(bitmap::BitmapLayout::Bits32);
    PicturePtr expected = CopyOf(*picture);
    expected->SetLayout(bitmap::BitmapLayout::Bits24);
    FilterXGreen(*expected, 10, 200);
    FilterXGreen(*picture, 10, 200);
    EXPECT_EQ(picture->Layout(), bitmap::BitmapLayout::Bits24);
    EXPECT_TRUE(SamePixels(*picture, *expected));

    PicturePtr source = MakePattern(6, 5), destination = MakePattern(6, 5);
    source->SetLayout(bitmap::BitmapLayout::Bits16);
    destination->SetLayout(bitmap::BitmapLayout::Bits8);
    Solarize(*source, *destination, 100);
    EXPECT_EQ(source->Layout(), bitmap::BitmapLayout::Bits24);
    EXPECT_EQ(destination->Layout(), bitmap::BitmapLayout::Bits24);
}

TEST(ChannelToneTest, ProgramExcludesTheColourOfThePixelAtTenTen) {
    const Operation* exclude = FindOperation("ExcludeColor");
    ASSERT_NE(exclude, nullptr);
    PicturePtr picture = MakePicture(14, 12, {1, 2, 3});
    for (int32_t y = 0; y < 12; ++y)
        for (int32_t x = (y + 1) % 2; x < 14; x += 2) picture->Row24(y)[x] = {3, 2, 1};
    std::vector<ArgValue> args;
    ASSERT_TRUE(ProgramArgs(*exclude, *picture, args));
    WiredRun(*exclude, *picture, nullptr).Invoke(args);
    for (int32_t y = 0; y < 12; ++y)
        for (int32_t x = 0; x < 14; ++x)
            EXPECT_EQ(ChannelsAt(*picture, x, y),
                      ((x + y) % 2 ? Channels{3, 2, 1} : Channels{0, 0, 0}));
}

} // namespace
} // namespace gleamkit::fx
