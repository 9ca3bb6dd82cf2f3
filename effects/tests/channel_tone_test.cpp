#include <gtest/gtest.h>

#include <climits>
#include <cmath>
#include <vector>

#include "base/error.h"
#include "effects/channel_tone.h"
#include "effects/tests/rgb_pictures.h"

namespace gleamkit::fx {
namespace {

using namespace fx::testing;

// One pixel per entry, in a single row.
OwnedPicture RowOf(const std::vector<Bgr24>& pixels) {
    return MakePicture(static_cast<int32_t>(pixels.size()), 1,
                       [&](int32_t x, int32_t) { return pixels[static_cast<size_t>(x)]; });
}

uint8_t& ChannelOf(Bgr24& pixel, int channel) {
    return channel == 0 ? pixel.Blue : (channel == 1 ? pixel.Green : pixel.Red);
}

struct FilterCase {
    const char* name;
    void (*filter)(PixelBitmap&, uint8_t, uint8_t);
    int channel; // 0 blue, 1 green, 2 red
    bool clearsOthers;
};

class ThresholdFilterTest : public ::testing::TestWithParam<FilterCase> {};

TEST_P(ThresholdFilterTest, StrictBoundsSelectTheChannelAndTheOthersFollowTheVariant) {
    const FilterCase& c = GetParam();
    const uint8_t values[] = {0, 10, 11, 100, 199, 200, 255};
    const uint8_t expected[] = {0, 0, 255, 255, 255, 0, 0};
    std::vector<Bgr24> pixels;
    for (uint8_t v : values) {
        Bgr24 p{60, 70, 80};
        ChannelOf(p, c.channel) = v;
        pixels.push_back(p);
    }
    OwnedPicture picture = RowOf(pixels);
    c.filter(*picture, 10, 200);
    for (size_t i = 0; i < pixels.size(); ++i) {
        Bgr24 want = c.clearsOthers ? Bgr24{0, 0, 0} : pixels[i];
        ChannelOf(want, c.channel) = expected[i];
        EXPECT_TRUE(PixelIs(*picture, static_cast<int32_t>(i), 0, want))
            << "value " << int(values[i]);
    }
}

INSTANTIATE_TEST_SUITE_P(AllSix, ThresholdFilterTest,
                         ::testing::Values(FilterCase{"Red", FilterRed, 2, true},
                                           FilterCase{"Green", FilterGreen, 1, true},
                                           FilterCase{"Blue", FilterBlue, 0, true},
                                           FilterCase{"XRed", FilterXRed, 2, false},
                                           FilterCase{"XGreen", FilterXGreen, 1, false},
                                           FilterCase{"XBlue", FilterXBlue, 0, false}),
                         [](const auto& info) { return std::string(info.param.name); });

TEST(ChannelToneTest, FilterRedWithTheProgramBounds) {
    OwnedPicture picture = RowOf({{50, 60, 10}, {50, 60, 11}, {50, 60, 200}});
    FilterRed(*picture, 10, 200);
    EXPECT_TRUE(PixelIs(*picture, 0, 0, Bgr24{0, 0, 0}));
    EXPECT_TRUE(PixelIs(*picture, 1, 0, Bgr24{0, 0, 255}));
    EXPECT_TRUE(PixelIs(*picture, 2, 0, Bgr24{0, 0, 0}));
}

TEST(ChannelToneTest, EmptyBoundsOrReversedBoundsSelectNothing) {
    OwnedPicture picture = NoisePicture(16, 4, 2);
    FilterXGreen(*picture, 200, 10);
    for (int32_t y = 0; y < 4; ++y)
        for (int32_t x = 0; x < 16; ++x) EXPECT_EQ(PixelOf(*picture, x, y).Green, 0);
}

TEST(ChannelToneTest, KeepRoundsHalvesToEvenAndWrapsLargeProducts) {
    struct Case {
        long double factor;
        uint8_t value;
        uint8_t expected;
    } cases[] = {
        {0.8L, 255, 204}, {0.8L, 1, 1},  {0.8L, 3, 2}, {0.8L, 5, 4},     {0.8L, 0, 0},
        {0.5L, 1, 0},     {0.5L, 3, 2},  {0.5L, 5, 2}, {2.0L, 200, 144}, // 400 keeps its low byte
        {-1.0L, 1, 255},  {1e30L, 9, 0}, {NAN, 9, 0},  {1.0L, 173, 173},
    };
    for (const Case& c : cases) {
        OwnedPicture picture = RowOf({Bgr24{c.value, 33, 44}});
        KeepBlue(*picture, c.factor);
        EXPECT_TRUE(PixelIs(*picture, 0, 0, Bgr24{c.expected, 0, 0}))
            << "factor " << static_cast<double>(c.factor) << " value " << int(c.value);
    }
}

TEST(ChannelToneTest, KeepRedAndGreenKeepTheirOwnChannel) {
    OwnedPicture red = RowOf({Bgr24{10, 20, 255}});
    KeepRed(*red, 0.8L);
    EXPECT_TRUE(PixelIs(*red, 0, 0, Bgr24{0, 0, 204}));
    OwnedPicture green = RowOf({Bgr24{10, 5, 255}});
    KeepGreen(*green, 0.8L);
    EXPECT_TRUE(PixelIs(*green, 0, 0, Bgr24{0, 4, 0}));
}

TEST(ChannelToneTest, ExtractKeepsOnlyExactMatchesAndExcludeBlackensThem) {
    const std::vector<Bgr24> pixels = {{255, 0, 0}, {254, 0, 0}, {255, 1, 0},
                                       {255, 0, 1}, {255, 0, 0}, {7, 8, 9}};
    OwnedPicture extracted = RowOf(pixels);
    ExtractColor(*extracted, 0xFF0000);
    OwnedPicture excluded = RowOf(pixels);
    ExcludeColor(*excluded, 0xFF0000);
    for (size_t i = 0; i < pixels.size(); ++i) {
        const bool match = SameColor(pixels[i], Bgr24{255, 0, 0});
        const auto x = static_cast<int32_t>(i);
        EXPECT_TRUE(PixelIs(*extracted, x, 0, match ? pixels[i] : Grey(0)));
        EXPECT_TRUE(PixelIs(*excluded, x, 0, match ? Grey(0) : pixels[i]));
    }
}

TEST(ChannelToneTest, ExcludeColorOfThePixelAtTenTen) {
    // A checkerboard of two colours: every pixel coloured like (10, 10) goes black.
    const Bgr24 a{1, 2, 3}, b{3, 2, 1};
    OwnedPicture picture =
        MakePicture(14, 12, [&](int32_t x, int32_t y) { return (x + y) % 2 ? b : a; });
    ExcludeColor(*picture, picture->PixelAt(10, 10));
    for (int32_t y = 0; y < 12; ++y)
        for (int32_t x = 0; x < 14; ++x)
            EXPECT_TRUE(PixelIs(*picture, x, y, (x + y) % 2 ? b : Grey(0)));
}

TEST(ChannelToneTest, SystemColoursAreResolvedBeforeComparing) {
    // Button face is 212, 208, 200 in the classic scheme.
    OwnedPicture picture = RowOf({Bgr24{200, 208, 212}, Bgr24{212, 208, 200}});
    ExtractColor(*picture, SystemColor(15));
    EXPECT_TRUE(PixelIs(*picture, 0, 0, Bgr24{200, 208, 212}));
    EXPECT_TRUE(PixelIs(*picture, 1, 0, Grey(0)));
}

TEST(ChannelToneTest, PosterizeRoundsHalvesToEvenAndWrapsAbove255) {
    std::vector<Bgr24> pixels;
    for (int v = 0; v < 256; ++v) pixels.push_back(Grey(static_cast<uint8_t>(v)));
    OwnedPicture source = RowOf(pixels);
    OwnedPicture destination = RowOf(std::vector<Bgr24>(256, Grey(99)));
    Posterize(*source, *destination, 20);
    // 10 / 20 = 0.5 rounds to even 0, 30 / 20 = 1.5 to 2, 50 / 20 = 2.5 to 2;
    // 251 ... 255 give 13 x 20 = 260, which keeps its low byte 4.
    const int checks[][2] = {{0, 0},     {9, 0},     {10, 0},  {11, 20}, {29, 20},
                             {30, 40},   {49, 40},   {50, 40}, {51, 60}, {70, 80},
                             {249, 240}, {250, 240}, {251, 4}, {255, 4}};
    for (const auto& check : checks) {
        EXPECT_TRUE(PixelIs(*destination, check[0], 0, Grey(static_cast<uint8_t>(check[1]))))
            << "value " << check[0];
    }
    EXPECT_TRUE(PixelIs(*source, 255, 0, Grey(255))); // the source is only read
}

TEST(ChannelToneTest, PosterizeWithANegativeAmountMirrorsTheQuotient) {
    OwnedPicture picture = RowOf({Grey(30), Grey(10), Grey(31)});
    Posterize(*picture, *picture, -20); // in place
    // 30 / -20 = -1.5 -> -2 -> 40; 10 / -20 = -0.5 -> 0; 31 / -20 -> -2 -> 40.
    EXPECT_TRUE(PixelIs(*picture, 0, 0, Grey(40)));
    EXPECT_TRUE(PixelIs(*picture, 1, 0, Grey(0)));
    EXPECT_TRUE(PixelIs(*picture, 2, 0, Grey(40)));
}

TEST(ChannelToneTest, PosterizeByZeroIsRefusedWithBothPicturesUntouched) {
    OwnedPicture source = NoisePicture(4, 3, 1);
    OwnedPicture destination = NoisePicture(4, 3, 2);
    OwnedPicture before = CopyOf(*destination);
    EXPECT_THROW(Posterize(*source, *destination, 0), Error);
    EXPECT_TRUE(SamePixels(*before, *destination));
}

TEST(ChannelToneTest, SolarizeInvertsOnlyAboveTheThreshold) {
    OwnedPicture source =
        RowOf({Grey(100), Grey(101), Bgr24{0, 0, 255}, Bgr24{100, 100, 102}, Bgr24{0, 51, 255}});
    OwnedPicture destination = RowOf(std::vector<Bgr24>(5, Grey(7)));
    Solarize(*source, *destination, 100);
    EXPECT_TRUE(PixelIs(*destination, 0, 0, Grey(100)));            // mean 100: copied
    EXPECT_TRUE(PixelIs(*destination, 1, 0, Grey(154)));            // mean 101: inverted
    EXPECT_TRUE(PixelIs(*destination, 2, 0, Bgr24{0, 0, 255}));     // mean 85: copied
    EXPECT_TRUE(PixelIs(*destination, 3, 0, Bgr24{100, 100, 102})); // 302 div 3 = 100
    EXPECT_TRUE(PixelIs(*destination, 4, 0, Bgr24{255, 204, 0}));   // 306 div 3 = 102
}

TEST(ChannelToneTest, SolarizeBelowEveryMeanInvertsAll) {
    OwnedPicture picture = NoisePicture(5, 4, 9);
    OwnedPicture before = CopyOf(*picture);
    Solarize(*before, *picture, INT_MIN);
    for (int32_t y = 0; y < 4; ++y)
        for (int32_t x = 0; x < 5; ++x) {
            const Bgr24 p = PixelOf(*before, x, y);
            EXPECT_TRUE(PixelIs(*picture, x, y,
                                Bgr24{static_cast<uint8_t>(255 - p.Blue),
                                      static_cast<uint8_t>(255 - p.Green),
                                      static_cast<uint8_t>(255 - p.Red)}));
        }
}

TEST(ChannelToneTest, TwoPictureOperationsWriteOnlyWhereBothHavePixels) {
    using TwoPicture = void (*)(PixelBitmap&, PixelBitmap&, int32_t);
    for (TwoPicture operation :
         {static_cast<TwoPicture>(Posterize), static_cast<TwoPicture>(Solarize)}) {
        // Destination smaller than the source: no write past its rows.
        OwnedPicture source = FlatPicture(9, 7, Grey(200));
        OwnedPicture small = FlatPicture(3, 2, Grey(1));
        operation(*source, *small, 50);
        EXPECT_FALSE(SameColor(PixelOf(*small, 2, 1), Grey(1)));
        // Destination larger: outside the source's size it keeps its pixels.
        OwnedPicture tiny = FlatPicture(2, 2, Grey(200));
        OwnedPicture large = FlatPicture(6, 5, Grey(1));
        operation(*tiny, *large, 50);
        EXPECT_FALSE(SameColor(PixelOf(*large, 1, 1), Grey(1)));
        EXPECT_TRUE(PixelIs(*large, 2, 0, Grey(1)));
        EXPECT_TRUE(PixelIs(*large, 0, 2, Grey(1)));
        EXPECT_TRUE(PixelIs(*large, 5, 4, Grey(1)));
        // An empty picture on either side writes nothing.
        OwnedPicture empty(bitmap::NewPixelBitmap(0, 0));
        operation(*empty, *large, 50);
        operation(*source, *empty, 50);
        EXPECT_TRUE(empty->Empty());
    }
}

TEST(ChannelToneTest, OtherLayoutsAreConvertedToTwentyFourBitsFirst) {
    OwnedPicture picture = NoisePicture(6, 5, 4);
    picture->SetLayout(BitmapLayout::Bits32);
    OwnedPicture expected = CopyOf(*picture);
    expected->SetLayout(BitmapLayout::Bits24);
    KeepGreen(*expected, 0.8L);
    KeepGreen(*picture, 0.8L);
    EXPECT_EQ(picture->Layout(), BitmapLayout::Bits24);
    EXPECT_TRUE(SamePixels(*expected, *picture));

    OwnedPicture source = NoisePicture(6, 5, 5);
    source->SetLayout(BitmapLayout::Bits16);
    OwnedPicture destination = NoisePicture(6, 5, 6);
    destination->SetLayout(BitmapLayout::Bits32);
    Solarize(*source, *destination, 100);
    EXPECT_EQ(source->Layout(), BitmapLayout::Bits24);
    EXPECT_EQ(destination->Layout(), BitmapLayout::Bits24);
}

} // namespace
} // namespace gleamkit::fx
