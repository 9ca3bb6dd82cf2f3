// Noise and tone effects: the values the curves must give, the exact order and
// count of random draws, and the safety rules (padding untouched, other
// layouts converted, any Amount without overflow).
#include <gtest/gtest.h>

#include <cstring>
#include <set>
#include <vector>

#include "effects/effect_common.h"
#include "effects/noise_tone.h"
#include "effects/tests/test_pictures.h"

namespace gleamkit::fx {
namespace {

using bitmap::BitmapLayout;
using testing::Channels;
using testing::ChannelsAt;
using testing::CopyOf;
using testing::MakePattern;
using testing::MakePicture;
using testing::PicturePtr;
using testing::SamePixels;

// The generator state after `draws` draws from `state`.
uint32_t StateAfter(uint32_t state, uint64_t draws) {
    for (uint64_t i = 0; i < draws; ++i) state = NextRandomState(state);
    return state;
}

// One pixel through a one-picture effect.
Channels Through(void (*effect)(bitmap::PixelBitmap&, int32_t), int32_t amount, Channels in) {
    PicturePtr picture = MakePicture(
        1, 1,
        {static_cast<uint8_t>(in[0]), static_cast<uint8_t>(in[1]), static_cast<uint8_t>(in[2])});
    effect(*picture, amount);
    return ChannelsAt(*picture, 0, 0);
}

TEST(ToneCurveTest, ContrastLightnessDarknessGiveTheKnownValues) {
    EXPECT_EQ(Through(Contrast, 100, {200, 50, 127}), (Channels{228, 20, 127}));
    EXPECT_EQ(Through(Contrast, 100, {0, 255, 128}), (Channels{0, 255, 128}));
    EXPECT_EQ(Through(Lightness, 100, {200, 0, 255}), (Channels{221, 100, 255}));
    EXPECT_EQ(Through(Lightness, 0, {200, 0, 17}), (Channels{200, 0, 17}));
    EXPECT_EQ(Through(Lightness, 255, {200, 0, 17}), (Channels{255, 255, 255}));
    EXPECT_EQ(Through(Darkness, 100, {200, 0, 255}), (Channels{122, 0, 155}));
    EXPECT_EQ(Through(Darkness, 0, {200, 0, 17}), (Channels{200, 0, 17}));
    EXPECT_EQ(Through(Darkness, 255, {200, 1, 255}), (Channels{0, 0, 0}));
}

TEST(ToneCurveTest, LargePicturesMapEveryByteAsOnePixelDoes) {
    // Large enough (past 1 MiB, odd width) for the two-bytes-at-a-time table.
    const PicturePtr source = testing::MakeNoise(701, 601, 7);
    for (const auto effect : {Contrast, Lightness, Darkness, SplitLight}) {
        PicturePtr picture = CopyOf(*source);
        effect(*picture, 77);
        uint8_t curve[256];
        for (int32_t v = 0; v < 256; ++v)
            curve[v] = static_cast<uint8_t>(
                Through(effect, 77, {v, v, v})[0]);
        for (int32_t y = 0; y < 601; ++y)
            for (int32_t x = 0; x < 701; ++x)
                for (int32_t c = 0; c < 3; ++c)
                    ASSERT_EQ(picture->ScanLine(y)[3 * x + c],
                              curve[source->ScanLine(y)[3 * x + c]])
                        << x << ", " << y;
    }
}

TEST(ToneCurveTest, ExtremeAmountsSaturateInsteadOfWrapping) {
    EXPECT_EQ(Through(Contrast, INT32_MAX, {126, 127, 200}), (Channels{0, 127, 255}));
    EXPECT_EQ(Through(Contrast, INT32_MIN, {126, 127, 200}), (Channels{255, 127, 0}));
    EXPECT_EQ(Through(Lightness, INT32_MIN, {0, 254, 255}), (Channels{0, 0, 255}));
    EXPECT_EQ(Through(Darkness, INT32_MIN, {0, 1, 255}), (Channels{0, 255, 255}));
    EXPECT_EQ(Through(Saturation, INT32_MAX, {10, 20, 200}), (Channels{0, 0, 255}));
    EXPECT_EQ(Through(Saturation, INT32_MIN, {98, 20, 176}), (Channels{98, 255, 0}));
}

TEST(SaturationTest, NegativeProductsDivideTowardZero) {
    EXPECT_EQ(Through(Saturation, 128, {10, 20, 200}), (Channels{43, 48, 138}));
    // Amount 0 gives the grey (B + G + R) div 3; 255 keeps the pixel.
    EXPECT_EQ(Through(Saturation, 0, {10, 20, 200}), (Channels{76, 76, 76}));
    EXPECT_EQ(Through(Saturation, 255, {10, 20, 200}), (Channels{10, 20, 200}));
    EXPECT_EQ(Through(Saturation, 255, {0, 0, 255}), (Channels{0, 0, 255}));
}

// The effect works through a table of every (grey, channel) pair; each pixel
// must still follow the per-pixel rule with its own grey.
TEST(SaturationTest, EveryPixelFollowsTheRuleWithItsOwnGrey) {
    for (const int32_t amount : {128, 300, -77}) {
        PicturePtr picture = MakePattern(61, 47);
        PicturePtr original = CopyOf(*picture);
        Saturation(*picture, amount);
        for (int y = 0; y < 47; ++y) {
            for (int x = 0; x < 61; ++x) {
                const Channels in = ChannelsAt(*original, x, y);
                const int32_t gray = (in[0] + in[1] + in[2]) / 3;
                Channels expected;
                for (int c = 0; c < 3; ++c)
                    expected[c] = ClampToByte(gray + (in[c] - gray) * amount / 255);
                ASSERT_EQ(ChannelsAt(*picture, x, y), expected) << x << "," << y << " " << amount;
            }
        }
    }
}

TEST(GrayscaleTest, PrimariesAndTheExtendedPrecisionTie) {
    auto gray = [](Channels in) {
        PicturePtr picture = MakePicture(1, 1,
                                         {static_cast<uint8_t>(in[0]), static_cast<uint8_t>(in[1]),
                                          static_cast<uint8_t>(in[2])});
        ConvertToGrayscale(*picture);
        return ChannelsAt(*picture, 0, 0);
    };
    EXPECT_EQ(gray({255, 0, 0}), (Channels{28, 28, 28}));
    EXPECT_EQ(gray({0, 255, 0}), (Channels{150, 150, 150}));
    EXPECT_EQ(gray({0, 0, 255}), (Channels{76, 76, 76})); // 76.5 ties to even
    EXPECT_EQ(gray({255, 255, 255}), (Channels{255, 255, 255}));
    EXPECT_EQ(gray({0, 0, 0}), (Channels{0, 0, 0}));
}

// The effect rounds most pixels with integer arithmetic; every colour must
// still agree with the weighted sum taken at extended precision.
TEST(GrayscaleTest, AgreesWithTheExtendedPrecisionSumForManyColours) {
    PicturePtr picture = MakePicture(256, 256);
    for (int red = 0; red < 256; red += 17) {
        for (int y = 0; y < 256; ++y)
            for (int x = 0; x < 256; ++x)
                picture->Row24(y)[x] = {static_cast<uint8_t>(x), static_cast<uint8_t>(y),
                                        static_cast<uint8_t>(red)};
        ConvertToGrayscale(*picture);
        for (int y = 0; y < 256; ++y) {
            for (int x = 0; x < 256; ++x) {
                const int32_t expected = Round(x * 0.11L + y * 0.59L + red * 0.3L);
                ASSERT_EQ(picture->Row24(y)[x].Green, expected)
                    << "B " << x << " G " << y << " R " << red;
            }
        }
    }
}

// Every colour whose weighted sum is exactly a half in decimal: these are
// decided by how the constants round at extended precision.
TEST(GrayscaleTest, EveryDecimalTieFollowsTheExtendedPrecisionSum) {
    std::vector<Channels> ties;
    for (int blue = 0; blue < 256; ++blue)
        for (int green = 0; green < 256; ++green)
            for (int red = 0; red < 256; ++red)
                if ((11 * blue + 59 * green + 30 * red) % 100 == 50)
                    ties.push_back({blue, green, red});
    const int32_t width = 512;
    const auto height = static_cast<int32_t>((ties.size() + width - 1) / width);
    PicturePtr picture = MakePicture(width, height);
    for (size_t i = 0; i < ties.size(); ++i) {
        const Channels& c = ties[i];
        picture->Row24(static_cast<int32_t>(i / width))[i % width] = {
            static_cast<uint8_t>(c[0]), static_cast<uint8_t>(c[1]), static_cast<uint8_t>(c[2])};
    }
    ConvertToGrayscale(*picture);
    for (size_t i = 0; i < ties.size(); ++i) {
        const Channels& c = ties[i];
        const int32_t expected = Round(c[0] * 0.11L + c[1] * 0.59L + c[2] * 0.3L);
        ASSERT_EQ(picture->Row24(static_cast<int32_t>(i / width))[i % width].Red, expected)
            << "B " << c[0] << " G " << c[1] << " R " << c[2];
    }
}

TEST(SplitLightTest, SineToneValuesAndPasses) {
    const std::pair<int, int> known[] = {{0, 0},     {1, 2},     {64, 98},  {128, 181},
                                         {200, 241}, {254, 255}, {255, 255}};
    for (const auto& [in, out] : known) EXPECT_EQ(SineTone(static_cast<uint8_t>(in)), out) << in;
    for (int v = 1; v < 255; ++v) EXPECT_GT(SineTone(static_cast<uint8_t>(v)), v) << v;

    PicturePtr picture = MakePattern(7, 5);
    PicturePtr original = CopyOf(*picture);
    SplitLight(*picture, 0);
    EXPECT_TRUE(SamePixels(*picture, *original));
    SplitLight(*picture, -3);
    EXPECT_TRUE(SamePixels(*picture, *original));

    SplitLight(*picture, 3);
    for (int y = 0; y < 5; ++y) {
        for (int x = 0; x < 7; ++x) {
            const Channels before = ChannelsAt(*original, x, y);
            const Channels after = ChannelsAt(*picture, x, y);
            for (int c = 0; c < 3; ++c) {
                const uint8_t v = static_cast<uint8_t>(before[c]);
                EXPECT_EQ(after[c], SineTone(SineTone(SineTone(v))));
            }
        }
    }
}

TEST(SplitLightTest, ManyPassesEndAtWhiteExceptZero) {
    EXPECT_EQ(Through(SplitLight, INT32_MAX, {0, 1, 128}), (Channels{0, 255, 255}));
}

TEST(NoiseTest, ColorNoiseDrawsBlueGreenRedPerPixel) {
    SetRandomState(0); // draws of Random(100): 0, 3, 86, 20, 27, ...
    PicturePtr picture = MakePicture(2, 1, {128, 128, 128});
    AddColorNoise(*picture, 100);
    EXPECT_EQ(ChannelsAt(*picture, 0, 0), (Channels{78, 81, 164}));
    EXPECT_EQ(ChannelsAt(*picture, 1, 0)[0], 98);
    EXPECT_EQ(ChannelsAt(*picture, 1, 0)[1], 105);
    EXPECT_EQ(RandomState(), StateAfter(0, 6));
}

TEST(NoiseTest, ColorNoiseStaysWithinItsRangeAndClamps) {
    SetRandomState(99);
    PicturePtr white = MakePicture(40, 30, {255, 255, 255});
    AddColorNoise(*white, 100);
    for (int y = 0; y < 30; ++y)
        for (int x = 0; x < 40; ++x)
            for (int c : ChannelsAt(*white, x, y)) EXPECT_GE(c, 205);
}

TEST(NoiseTest, MonoNoiseMovesAllChannelsAlikeWithOneDrawPerPixel) {
    SetRandomState(7);
    PicturePtr picture = MakePicture(9, 4, {100, 100, 100});
    AddMonoNoise(*picture, 100);
    std::set<int> seen;
    for (int y = 0; y < 4; ++y) {
        for (int x = 0; x < 9; ++x) {
            const Channels c = ChannelsAt(*picture, x, y);
            EXPECT_EQ(c[0], c[1]);
            EXPECT_EQ(c[1], c[2]);
            EXPECT_GE(c[0], 50);
            EXPECT_LE(c[0], 149);
            seen.insert(c[0]);
        }
    }
    EXPECT_GT(seen.size(), 5u);
    EXPECT_EQ(RandomState(), StateAfter(7, 36));

    // A channel at 255 can only go down or stay.
    SetRandomState(0);
    EXPECT_EQ(Through(AddMonoNoise, 100, {255, 0, 128}), (Channels{205, 0, 78}));
}

TEST(NoiseTest, NegativeAmountsSaturateWithoutOverflow) {
    for (const int32_t amount : {-1, -2, INT32_MIN}) {
        SetRandomState(5);
        PicturePtr picture = MakePicture(16, 8, {128, 128, 128});
        AddColorNoise(*picture, amount);
        for (int y = 0; y < 8; ++y)
            for (int x = 0; x < 16; ++x)
                for (int c : ChannelsAt(*picture, x, y)) EXPECT_TRUE(c == 0 || c == 255) << c;
        EXPECT_EQ(RandomState(), StateAfter(5, 3 * 16 * 8));

        SetRandomState(5);
        AddMonoNoise(*picture, amount);
        EXPECT_EQ(RandomState(), StateAfter(5, 16 * 8));
    }
}

TEST(SprayTest, AmountOneMovesNothingButDrawsThreeTimesPerPixel) {
    SetRandomState(3);
    PicturePtr picture = MakePattern(11, 6);
    PicturePtr original = CopyOf(*picture);
    Spray(*picture, 1);
    EXPECT_TRUE(SamePixels(*picture, *original));
    EXPECT_EQ(RandomState(), StateAfter(3, 3 * 11 * 6));
}

// The scatter walks columns and reads the picture as it changes; a plain
// per-pixel rendering through PixelAt and SetPixelAt must agree exactly.
TEST(SprayTest, MatchesAColumnWalkThroughPixelAccess) {
    const int32_t width = 23;
    const int32_t height = 17;
    PicturePtr picture = MakePattern(width, height);
    PicturePtr expected = CopyOf(*picture);
    SetRandomState(2024);
    for (int32_t x = 0; x < width; ++x) {
        for (int32_t y = 0; y < height; ++y) {
            const int32_t r = static_cast<int32_t>(Random(16));
            const int32_t a = static_cast<int32_t>(Random(static_cast<uint32_t>(2 * r)));
            const int32_t b = static_cast<int32_t>(Random(static_cast<uint32_t>(2 * r)));
            const int32_t nx = x + r - a;
            const int32_t ny = y + r - b;
            if (nx >= 0 && nx < width && ny >= 0 && ny < height)
                expected->SetPixelAt(x, y, expected->PixelAt(nx, ny));
        }
    }
    const uint32_t stateAfter = RandomState();

    SetRandomState(2024);
    Spray(*picture, 16);
    EXPECT_TRUE(SamePixels(*picture, *expected));
    EXPECT_EQ(RandomState(), stateAfter);
}

TEST(SprayTest, NegativeAmountsStayInsideThePicture) {
    for (const int32_t amount : {-1, -7, INT32_MIN}) {
        SetRandomState(11);
        PicturePtr picture = MakePattern(13, 9);
        Spray(*picture, amount);
        EXPECT_EQ(RandomState(), StateAfter(11, 3 * 13 * 9));
    }
}

// Row padding belongs to the picture's memory but not to its pixels.
TEST(NoiseToneSafetyTest, RowPaddingIsNeverWritten) {
    using Effect = void (*)(bitmap::PixelBitmap&, int32_t);
    const Effect effects[] = {AddColorNoise, AddMonoNoise, Spray,      Contrast,
                              Lightness,     Darkness,     Saturation, SplitLight};
    for (const Effect effect : effects) {
        PicturePtr picture = MakePattern(5, 3); // 15 bytes of pixels, 1 of padding
        ASSERT_EQ(picture->ScanLineBytes(), 16u);
        for (int y = 0; y < 3; ++y) picture->ScanLine(y)[15] = 0xAB;
        effect(*picture, 200);
        for (int y = 0; y < 3; ++y) EXPECT_EQ(picture->ScanLine(y)[15], 0xAB);
    }
    PicturePtr picture = MakePattern(5, 3);
    for (int y = 0; y < 3; ++y) picture->ScanLine(y)[15] = 0xAB;
    ConvertToGrayscale(*picture);
    for (int y = 0; y < 3; ++y) EXPECT_EQ(picture->ScanLine(y)[15], 0xAB);
}

TEST(NoiseToneSafetyTest, OtherLayoutsAreConvertedToBits24First) {
    PicturePtr picture = MakePicture(4, 3, {200, 50, 127});
    picture->SetLayout(BitmapLayout::Bits32);
    ASSERT_EQ(picture->Layout(), BitmapLayout::Bits32);
    Contrast(*picture, 100);
    ASSERT_EQ(picture->Layout(), BitmapLayout::Bits24);
    EXPECT_EQ(ChannelsAt(*picture, 3, 2), (Channels{228, 20, 127}));

    PicturePtr device(bitmap::NewPixelBitmap(3, 2)); // a device bitmap, no rows
    SetRandomState(0);
    AddColorNoise(*device, 100);
    EXPECT_EQ(device->Layout(), BitmapLayout::Bits24);
    EXPECT_EQ(RandomState(), StateAfter(0, 3 * 3 * 2));
}

TEST(NoiseToneSafetyTest, EmptyPicturesAreLeftAloneAndDrawNothing) {
    PicturePtr empty(bitmap::NewPixelBitmap(0, 0));
    SetRandomState(42);
    AddColorNoise(*empty, 100);
    AddMonoNoise(*empty, 100);
    Spray(*empty, 16);
    Contrast(*empty, 100);
    Darkness(*empty, 100);
    Saturation(*empty, 128);
    ConvertToGrayscale(*empty);
    SplitLight(*empty, 3);
    EXPECT_TRUE(empty->Empty());
    EXPECT_EQ(RandomState(), 42u);
}

} // namespace
} // namespace gleamkit::fx
