// Resampling kernels, contributor lists and Stretch: kernel values and
// invariants, the edge rules of the lists, the fast passes against the exact
// ones, and Stretch's sizes, borders and clamping.
#include "effects/resampling.h"

#include <gtest/gtest.h>

#include <cmath>
#include <stdexcept>

#include "base/error.h"
#include "effects/resampling_passes.h"
#include "effects/tests/test_pictures.h"

namespace gleamkit::fx {
namespace {

using namespace gleamkit::fx::testing;
using resampling::BuildContributors;
using resampling::ContributorLists;
using resampling::PassPrecision;
using resampling::RowSpan;

enum Row { kBox, kTriangle, kHermite, kBell, kBSpline, kLanczos3, kMitchell };

float K(int row, float x) {
    return ResamplingFilters[row].Kernel(x);
}

TEST(ResamplingFilters, NamesAndPositionsFindTheirRows) {
    EXPECT_EQ(ResamplingFilterIndex("Box"), 0);
    EXPECT_EQ(ResamplingFilterIndex("B-Spline"), 4);
    EXPECT_EQ(ResamplingFilterIndex("lanczos3"), 5);
    EXPECT_EQ(ResamplingFilterIndex("Mitchell"), 6);
    EXPECT_EQ(ResamplingFilterIndex("6"), 6);
    EXPECT_EQ(ResamplingFilterIndex("7"), -1);
    EXPECT_EQ(ResamplingFilterIndex("Lanczos"), -1);
    EXPECT_EQ(ResamplingFilterIndex(""), -1);
    EXPECT_EQ(ResamplingFilters[5].Support, 3.0f);
    EXPECT_EQ(ResamplingFilters[4].Support, 2.0f);
}

TEST(ResamplingFilters, KernelValuesAtKnownPoints) {
    EXPECT_EQ(K(kBox, 0.5f), 1.0f);
    EXPECT_EQ(K(kBox, -0.5f), 0.0f);
    EXPECT_EQ(K(kTriangle, 0.25f), 0.75f);
    EXPECT_EQ(K(kTriangle, -1.0f), 0.0f);
    EXPECT_EQ(K(kHermite, 0.5f), 0.5f);
    EXPECT_EQ(K(kBell, 0.0f), 0.75f);
    EXPECT_EQ(K(kBell, 1.0f), 0.125f);
    EXPECT_EQ(K(kBell, 1.5f), 0.0f);
    EXPECT_EQ(K(kBSpline, 0.0f), static_cast<float>(2.0L / 3.0L));
    EXPECT_EQ(K(kBSpline, 1.0f), static_cast<float>(1.0L / 6.0L));
    EXPECT_EQ(K(kBSpline, 2.0f), 0.0f);
    EXPECT_EQ(K(kLanczos3, 0.0f), 1.0f);
    EXPECT_EQ(K(kLanczos3, 3.0f), 0.0f);
    // sin of the float nearest pi is not 0: the lobes' zero crossings are tiny.
    EXPECT_NE(K(kLanczos3, 1.0f), 0.0f);
    EXPECT_LT(std::fabs(K(kLanczos3, 1.0f)), 1e-6f);
    EXPECT_EQ(K(kMitchell, 0.0f), static_cast<float>(static_cast<float>(16.0L / 3.0L) / 6.0L));
    EXPECT_EQ(K(kMitchell, 1.0f), static_cast<float>(static_cast<float>(1.0L / 3.0L) / 6.0L));
    EXPECT_EQ(K(kMitchell, 2.0f), 0.0f);
    // Negative lobes.
    EXPECT_LT(K(kLanczos3, 1.5f), -0.1f);
    EXPECT_LT(K(kMitchell, 1.5f), 0.0f);
}

// Each kernel is even, zero at and beyond its support, and (except Lanczos3,
// which only comes close) its integer translates add up to 1.
TEST(ResamplingFilters, KernelsAreEvenBoundedAndPartitionUnity) {
    for (int row = 0; row < 7; ++row) {
        SCOPED_TRACE(ResamplingFilters[row].Name);
        const float support = ResamplingFilters[row].Support;
        EXPECT_EQ(K(row, support + 0.01f), 0.0f);
        EXPECT_EQ(K(row, -support - 0.01f), 0.0f);
        for (float x = 0.0f; x < 1.0f; x += 0.0625f) {
            if (row != kBox) {
                EXPECT_EQ(K(row, x), K(row, -x)) << x;
            }
            double sum = 0.0;
            for (int j = -4; j <= 4; ++j) sum += K(row, x - j);
            EXPECT_NEAR(sum, 1.0, row == kLanczos3 ? 1e-2 : 1e-6) << x;
        }
    }
}

TEST(ResamplingFilters, BSplineStoresTheSquareAsAFloat) {
    // With t = a * a rounded to a float, 0.5 t a - t + 2/3 differs from the
    // same sum on the unrounded square for this argument.
    const float a = 0.7000001f;
    const float t = static_cast<float>(static_cast<long double>(a) * a);
    const float expected = static_cast<float>(0.5L * t * a - t + 2.0L / 3.0L);
    EXPECT_EQ(K(kBSpline, a), expected);
}

TEST(ContributorLists, OneSampleSourceSpreadsWithScaleTwo) {
    EXPECT_EQ(resampling::AxisScale(2, 1), 2.0f);
    EXPECT_EQ(resampling::AxisScale(1, 5), 0.2f);
    EXPECT_EQ(resampling::AxisScale(9, 5), 2.0f);
    const ContributorLists lists =
        BuildContributors(2, 1, 2.0f, ResamplingFilters[kTriangle].Kernel, 1.0f);
    ASSERT_EQ(lists.Count(), 2);
    for (int32_t e = 0; e < lists.first[2]; ++e) EXPECT_EQ(lists.pixel[e], 0);
    // Destination 1 sits half way: two halves, both read from the only sample.
    ASSERT_EQ(lists.first[2] - lists.first[1], 2);
    EXPECT_EQ(lists.weight[lists.first[1]], 0.5f);
}

TEST(ContributorLists, BoxAtHalfwayTakesTheLowerSample) {
    const ContributorLists lists =
        BuildContributors(5, 3, 2.0f, ResamplingFilters[kBox].Kernel, 0.5f);
    ASSERT_EQ(lists.first[2] - lists.first[1], 1);
    EXPECT_EQ(lists.pixel[lists.first[1]], 0);
    EXPECT_EQ(lists.weight[lists.first[1]], 1.0f);
}

TEST(ContributorLists, EdgesReflectAboutTheFirstAndRepeatTheLast) {
    const ContributorLists lists =
        BuildContributors(5, 5, 1.0f, ResamplingFilters[kBSpline].Kernel, 2.0f);
    // List 0 covers j = -1 .. 1 (weights at +-2 are 0): -1 reads sample 1.
    ASSERT_EQ(lists.first[1], 3);
    EXPECT_EQ(lists.pixel[0], 1);
    EXPECT_EQ(lists.pixel[1], 0);
    EXPECT_EQ(lists.pixel[2], 1);
    // List 4 covers j = 3 .. 5: 5 reads sample 4 again.
    const int32_t last = lists.first[4];
    ASSERT_EQ(lists.first[5] - last, 3);
    EXPECT_EQ(lists.pixel[last], 3);
    EXPECT_EQ(lists.pixel[last + 1], 4);
    EXPECT_EQ(lists.pixel[last + 2], 4);
}

TEST(ContributorLists, IndicesStayInsideSourcesShorterThanTheKernel) {
    for (int32_t n = 1; n <= 3; ++n)
        for (int32_t dest : {1, 2, 5, 11}) {
            const ContributorLists lists = BuildContributors(
                dest, n, resampling::AxisScale(dest, n), ResamplingFilters[kLanczos3].Kernel, 3.0f);
            ASSERT_EQ(lists.Count(), dest);
            for (int32_t p : lists.pixel) {
                EXPECT_GE(p, 0);
                EXPECT_LT(p, n);
            }
        }
}

RowSpan SpanOf(PixelBitmap& picture) {
    RowSpan span{picture.ScanLine(0), 0, picture.Width(), picture.Height()};
    if (picture.Height() > 1) span.stride = picture.ScanLine(1) - span.origin;
    return span;
}

// Runs both passes of one size change in the given precision.
PicturePtr TwoPasses(PixelBitmap& source, int32_t width, int32_t height, int row,
                     PassPrecision precision) {
    const FilterEntry& filter = ResamplingFilters[row];
    PicturePtr middle = MakePicture(width, source.Height(), {0, 0, 0});
    PicturePtr target = MakePicture(width, height, {0, 0, 0});
    const ContributorLists columns =
        BuildContributors(width, source.Width(), resampling::AxisScale(width, source.Width()),
                          filter.Kernel, filter.Support);
    resampling::HorizontalPass(columns, SpanOf(source), SpanOf(*middle), precision);
    const ContributorLists rows =
        BuildContributors(height, source.Height(), resampling::AxisScale(height, source.Height()),
                          filter.Kernel, filter.Support);
    resampling::VerticalPass(rows, SpanOf(*middle), SpanOf(*target), precision);
    return target;
}

TEST(ResamplingPasses, FastSumsMatchTheExactOnesForEveryFilter) {
    const struct {
        int32_t sw, sh, dw, dh;
    } sizes[] = {{37, 23, 80, 51}, {64, 40, 17, 9}, {13, 29, 13, 29}, {5, 3, 11, 2}, {2, 2, 1, 7}};
    uint32_t seed = 1;
    for (const auto& size : sizes) {
        PicturePtr source = MakeNoise(size.sw, size.sh, seed++);
        for (int row = 0; row < 7; ++row) {
            SCOPED_TRACE(std::string(ResamplingFilters[row].Name) + " " + std::to_string(size.dw) +
                         "x" + std::to_string(size.dh));
            PicturePtr exact = TwoPasses(*source, size.dw, size.dh, row, PassPrecision::Exact);
            for (const PassPrecision fast : {PassPrecision::Fast, PassPrecision::FastBaseline}) {
                PicturePtr result = TwoPasses(*source, size.dw, size.dh, row, fast);
                EXPECT_TRUE(SamePixels(*result, *exact)) << int(fast);
            }
        }
    }
}

TEST(ContributorLists, ExactSumsOnlyWhereEveryWeightKeepsTheSumsExact) {
    const FilterEntry& lanczos = ResamplingFilters[kLanczos3];
    const ContributorLists lists =
        BuildContributors(80, 40, resampling::AxisScale(80, 40), lanczos.Kernel, lanczos.Support);
    int32_t exact = 0;
    for (int32_t i = 0; i < lists.Count(); ++i) {
        bool expected = true;
        float magnitudes = 0.0f;
        for (int32_t e = lists.first[i]; e < lists.first[i + 1]; ++e) {
            expected = expected && std::fabs(lists.weight[e]) >= 0x1p-20f;
            magnitudes += std::fabs(lists.weight[e]);
        }
        expected = expected && 255.0f * magnitudes < 1000.0f;
        EXPECT_EQ(lists.ExactSums(i), expected) << i;
        exact += lists.ExactSums(i) ? 1 : 0;
    }
    // The first centre falls on a sample: its neighbours' weights are
    // sin(pi) / pi stored as floats, tiny but not zero, so it is checked.
    EXPECT_FALSE(lists.ExactSums(0));
    EXPECT_GT(exact, 60);
}

// 205 x w is 2^-25 + 2^-55: added to 0.5 it sits just above the midpoint
// between 0.5 and the next float. In double the 2^-55 is lost, the tie goes
// to the even 0.5 and the channel would round to 0; at extended precision the
// sum rounds up and the channel is 1.
constexpr float kMidpointWeight = 0x1.3fb014p-33f; // 10475530 x 2^-56

TEST(ResamplingPasses, DoubleSumsOnAFloatMidpointFallBackToExtended) {
    ASSERT_EQ(static_cast<long double>(kMidpointWeight) * 205, 0x1p-25L + 0x1p-55L);
    ContributorLists lists;
    lists.first = {0, 2};
    lists.pixel = {1, 0};
    lists.weight = {0.5f, kMidpointWeight};

    PicturePtr source = MakePictureFrom(
        2, 1, [](int32_t x, int32_t, int32_t) -> uint8_t { return x == 0 ? 205 : 1; });
    PicturePtr row = MakePicture(1, 1, {9, 9, 9});
    resampling::HorizontalPass(lists, SpanOf(*source), SpanOf(*row), PassPrecision::Fast);
    EXPECT_EQ(ChannelAt(*row, 0, 0, 0), 1);

    // Rows are summed in pairs: only the second row of this pair is redone.
    PicturePtr pair = MakePictureFrom(2, 2, [](int32_t x, int32_t y, int32_t) -> uint8_t {
        return y == 0 ? 4 : (x == 0 ? 205 : 1);
    });
    for (const PassPrecision fast : {PassPrecision::Fast, PassPrecision::FastBaseline}) {
        PicturePtr rows = MakePicture(1, 2, {9, 9, 9});
        resampling::HorizontalPass(lists, SpanOf(*pair), SpanOf(*rows), fast);
        EXPECT_EQ(ChannelAt(*rows, 0, 0, 2), 2);
        EXPECT_EQ(ChannelAt(*rows, 0, 1, 2), 1);
    }

    // The same sums down a column, wide enough for the vector blocks.
    PicturePtr column = MakePictureFrom(
        9, 2, [](int32_t, int32_t y, int32_t) -> uint8_t { return y == 0 ? 205 : 1; });
    for (const PassPrecision fast : {PassPrecision::Fast, PassPrecision::FastBaseline}) {
        PicturePtr out = MakePicture(9, 1, {9, 9, 9});
        resampling::VerticalPass(lists, SpanOf(*column), SpanOf(*out), fast);
        for (int32_t x = 0; x < 9; ++x) EXPECT_EQ(ChannelAt(*out, x, 0, 1), 1) << x;
    }
}

TEST(Stretch, OnePixelToTwoByTwoCopiesIt) {
    PicturePtr source = MakePicture(1, 1, {10, 120, 250});
    PicturePtr target = MakePicture(2, 2, {0, 0, 0});
    Stretch(*source, *target, ResamplingFilters[kTriangle].Kernel, 1.0f);
    EXPECT_TRUE(SamePixels(*target, *MakePicture(2, 2, {10, 120, 250})));
}

TEST(Stretch, SameSizeWithTriangleReproducesThePicture) {
    for (const auto& [w, h] : {std::pair{17, 9}, std::pair{1, 5}, std::pair{6, 1}}) {
        PicturePtr source = MakeNoise(w, h, 7);
        PicturePtr target = MakePicture(w, h, {0, 0, 0});
        Stretch(*source, *target, ResamplingFilters[kTriangle].Kernel, 1.0f);
        EXPECT_TRUE(SamePixels(*target, *source)) << w << "x" << h;
    }
}

TEST(Stretch, BoxDoublingRepeatsTheLowerSample) {
    PicturePtr source = MakeNoise(3, 1, 3);
    PicturePtr target = MakePicture(5, 1, {0, 0, 0});
    Stretch(*source, *target, ResamplingFilters[kBox].Kernel, 0.5f);
    for (int32_t c = 0; c < 3; ++c) {
        EXPECT_EQ(ChannelAt(*target, 0, 0, c), ChannelAt(*source, 0, 0, c));
        EXPECT_EQ(ChannelAt(*target, 1, 0, c), ChannelAt(*source, 0, 0, c));
        EXPECT_EQ(ChannelAt(*target, 3, 0, c), ChannelAt(*source, 1, 0, c));
        EXPECT_EQ(ChannelAt(*target, 4, 0, c), ChannelAt(*source, 2, 0, c));
    }
}

TEST(Stretch, NegativeLobesClampInsteadOfWrapping) {
    // A hard black/white edge overshoots on both sides with Lanczos3.
    PicturePtr source = MakePictureFrom(
        8, 1, [](int32_t x, int32_t, int32_t) -> uint8_t { return x < 4 ? 0 : 255; });
    for (int row : {kLanczos3, kMitchell}) {
        PicturePtr target = MakePicture(29, 1, {7, 7, 7});
        Stretch(*source, *target, ResamplingFilters[row].Kernel, ResamplingFilters[row].Support);
        for (int32_t x = 0; x < 29; ++x) {
            const int value = ChannelAt(*target, x, 0, 1);
            if (x <= 10) {
                EXPECT_LE(value, 40) << x;
            }
            if (x >= 18) {
                EXPECT_GE(value, 215) << x;
            }
        }
        EXPECT_EQ(ChannelAt(*target, 0, 0, 0), 0);
        EXPECT_EQ(ChannelAt(*target, 28, 0, 0), 255);
    }
}

TEST(Stretch, DoublingMatchesTheExactPassesAndKeepsFlatAreasFlat) {
    PicturePtr source = MakePictureFrom(40, 30, [](int32_t x, int32_t y, int32_t c) -> uint8_t {
        return static_cast<uint8_t>(x < 20 ? 90 + c : (x * 7 + y * 3 + c * 50) & 255);
    });
    PicturePtr expected = TwoPasses(*source, 80, 60, kLanczos3, PassPrecision::Exact);
    PicturePtr target = MakePicture(80, 60, {0, 0, 0});
    Stretch(*source, *target, ResamplingFilters[kLanczos3].Kernel, 3.0f);
    EXPECT_TRUE(SamePixels(*target, *expected));
    EXPECT_EQ(ChannelAt(*target, 10, 30, 2), 92);
}

TEST(Stretch, EmptyDestinationsWriteNothingAndEmptySourcesRaise) {
    PicturePtr source = MakeNoise(4, 4, 9);
    for (const auto& [w, h] : {std::pair{0, 5}, std::pair{5, 0}, std::pair{0, 0}}) {
        PicturePtr target(bitmap::NewPixelBitmap(w, h));
        EXPECT_NO_THROW(Stretch(*source, *target, ResamplingFilters[kLanczos3].Kernel, 3.0f));
        EXPECT_EQ(target->Width(), w);
        EXPECT_EQ(target->Height(), h);
    }
    PicturePtr empty(bitmap::NewPixelBitmap(0, 3));
    PicturePtr target = MakePicture(2, 2, {1, 2, 3});
    try {
        Stretch(*empty, *target, ResamplingFilters[kBox].Kernel, 0.5f);
        ADD_FAILURE() << "no exception";
    } catch (const Error& error) {
        EXPECT_STREQ(error.what(), "Source bitmap too small");
    }
    EXPECT_TRUE(SamePixels(*target, *MakePicture(2, 2, {1, 2, 3})));
}

TEST(Stretch, TinyPicturesToAndFromOnePixel) {
    // Single rows and columns in every direction, including shrinking to one
    // pixel (which would divide by a zero scale); flat pictures stay flat.
    const std::pair<int32_t, int32_t> sizes[] = {{1, 1}, {2, 1}, {1, 2}, {2, 2}, {7, 3}, {3, 7}};
    for (const auto& [sw, sh] : sizes)
        for (const auto& [dw, dh] : sizes)
            for (int row : {kBox, kTriangle, kBSpline, kLanczos3}) {
                PicturePtr source = MakePicture(sw, sh, {30, 140, 220});
                PicturePtr target = MakePicture(dw, dh, {0, 0, 0});
                Stretch(*source, *target, ResamplingFilters[row].Kernel,
                        ResamplingFilters[row].Support);
                if (row == kLanczos3) continue; // its weights only nearly add to 1
                EXPECT_TRUE(SamePixels(*target, *MakePicture(dw, dh, {30, 140, 220})))
                    << sw << "x" << sh << " -> " << dw << "x" << dh << " row " << row;
            }
}

TEST(Stretch, OnePixelDestinationAveragesAroundTheFirstSample) {
    // Box over five samples at scale 1/5: weights 1/5 on samples 2, 1, 0, 1, 2.
    PicturePtr source = MakePictureFrom(
        5, 1, [](int32_t x, int32_t, int32_t) -> uint8_t { return static_cast<uint8_t>(x * 50); });
    PicturePtr target = MakePicture(1, 1, {0, 0, 0});
    Stretch(*source, *target, ResamplingFilters[kBox].Kernel, 0.5f);
    EXPECT_EQ(ChannelAt(*target, 0, 0, 0), 60); // (100 + 50 + 0 + 50 + 100) / 5
}

TEST(Stretch, ConvertsASourceOfAnotherLayoutFirst) {
    PicturePtr source = MakeNoise(9, 7, 15);
    PicturePtr reference = CopyOf(*source);
    source->SetLayout(bitmap::BitmapLayout::Bits32);
    PicturePtr target = MakePicture(14, 11, {0, 0, 0});
    PicturePtr expected = MakePicture(14, 11, {0, 0, 0});
    Stretch(*source, *target, ResamplingFilters[kMitchell].Kernel, 2.0f);
    Stretch(*reference, *expected, ResamplingFilters[kMitchell].Kernel, 2.0f);
    EXPECT_EQ(source->Layout(), bitmap::BitmapLayout::Bits24);
    EXPECT_TRUE(SamePixels(*target, *expected));
}

float ThrowingKernel(float) {
    throw std::runtime_error("kernel failed");
}

TEST(Stretch, ReleasesItsIntermediateWhenAnErrorLeavesIt) {
    // The sanitizer build's leak check sees an intermediate left behind.
    PicturePtr source = MakeNoise(3, 3, 4);
    PicturePtr target = MakePicture(6, 6, {0, 0, 0});
    EXPECT_THROW(Stretch(*source, *target, &ThrowingKernel, 1.0f), std::runtime_error);
}

} // namespace
} // namespace gleamkit::fx
