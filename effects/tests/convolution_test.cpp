// Convolution against a plain model that builds the framed picture cell by
// cell, plus the border, division and dispatch rules the model cannot vouch
// for by itself.
#include <gtest/gtest.h>

#include <climits>
#include <vector>

#include "base/error.h"
#include "effects/convolution.h"
#include "effects/registry.h"
#include "effects/tests/test_pictures.h"

namespace gleamkit::fx {
namespace {

using namespace fx::testing;
using bitmap::Bgr24;
using bitmap::PixelBitmap;

enum class Method { E, I, M };

void RunMethod(Method method, const ConvolutionKernel& k, uint16_t divisor, PixelBitmap& picture) {
    if (method == Method::E) ConvolveE(k, divisor, picture);
    if (method == Method::I) ConvolveI(k, divisor, picture);
    if (method == Method::M) ConvolveM(k, divisor, picture);
}

// Noise from the test's own generator, so the program-wide sequence stays.
PicturePtr NoisePicture(int32_t width, int32_t height, uint32_t seed) {
    PicturePtr picture = MakePicture(width, height);
    for (int32_t y = 0; y < height; ++y)
        for (int32_t x = 0; x < width * 3; ++x) {
            seed = seed * 1664525u + 1013904223u;
            picture->ScanLine(y)[x] = static_cast<uint8_t>(seed >> 24);
        }
    return picture;
}

// The plain model: a 64-bit sum taken back to 32 bits, a truncating division
// and the clamp, over the (W+2)x(H+2) framed picture (E, I) or the interior
// of a full copy (M).
PicturePtr Model(Method method, const ConvolutionKernel& k, uint16_t divisor, PixelBitmap& in) {
    const int32_t w = in.Width(), h = in.Height();
    PicturePtr out = CopyOf(in);
    const auto framed = [&](int32_t i, int32_t j) -> const uint8_t* {
        const bool top = j == 0, bottom = j == h + 1, left = i == 0, right = i == w + 1;
        const bool wrap = method == Method::E;
        int32_t x = i - 1, y = j - 1;
        if ((top || bottom) && (left || right)) { // corners: the nearest corner pixel
            x = left ? 0 : w - 1;
            y = top ? 0 : h - 1;
        } else if (top || bottom) {
            y = (top == wrap) ? h - 1 : 0;
        } else if (left || right) {
            x = (left == wrap) ? w - 1 : 0;
        }
        return in.ScanLine(y) + 3 * x;
    };
    const auto compute = [&](int32_t i, int32_t j, int32_t c, auto&& source) {
        int64_t sum = 0;
        for (int32_t r = 0; r < 3; ++r)
            for (int32_t s = 0; s < 3; ++s)
                sum += int64_t{k[r * 3 + s]} * source(i - 1 + s, j - 1 + r)[c];
        const int32_t q = static_cast<int32_t>(static_cast<uint32_t>(sum)) / divisor;
        return static_cast<uint8_t>(q > 254 ? 255 : (q < 1 ? 0 : q));
    };
    const auto plain = [&](int32_t x, int32_t y) -> const uint8_t* {
        return in.ScanLine(y) + 3 * x;
    };
    for (int32_t y = 0; y < h; ++y)
        for (int32_t x = 0; x < w; ++x)
            for (int32_t c = 0; c < 3; ++c) {
                if (method != Method::M)
                    out->ScanLine(y)[3 * x + c] = compute(x + 1, y + 1, c, framed);
                else if (x > 0 && y > 0 && x < w - 1 && y < h - 1)
                    out->ScanLine(y)[3 * x + c] = compute(x, y, c, plain);
            }
    return out;
}

struct KernelCase {
    ConvolutionKernel kernel;
    uint16_t divisor;
};

class ConvolveMethodTest : public ::testing::TestWithParam<Method> {};

TEST_P(ConvolveMethodTest, MatchesThePlainModelForEveryKernelAndSize) {
    std::vector<KernelCase> kernels;
    for (const BuiltInKernel& entry : BuiltInKernels())
        kernels.push_back({entry.kernel, entry.divisor});
    // Odd and large divisors, weights beyond 16-bit sums, sums that wrap 32 bits.
    kernels.push_back({{7, -3, 12, 5, -5, 0, 1, 2, 3}, 3});
    kernels.push_back({{1, 2, 3, 4, 5, 6, 7, 8, 9}, 65535});
    kernels.push_back({{100, 200, 300, 400, 500, 600, 700, 800, 900}, 1000});
    kernels.push_back({{200, -1, 0, 0, 1, 0, 0, 0, -100}, 1});
    kernels.push_back({{INT_MAX, INT_MIN, 12345678, -1, INT_MAX, 3, 0, -987654, 5}, 7});
    const int32_t sizes[][2] = {{1, 1}, {1, 4}, {4, 1}, {2, 2}, {2, 3}, {3, 3}, {17, 9}, {3, 40}};
    uint32_t seed = 7;
    for (const auto& size : sizes)
        for (const KernelCase& k : kernels) {
            SCOPED_TRACE(::testing::Message() << size[0] << "x" << size[1] << ", k0 " << k.kernel[0]
                                              << ", divisor " << k.divisor);
            PicturePtr picture = NoisePicture(size[0], size[1], ++seed);
            PicturePtr expected = Model(GetParam(), k.kernel, k.divisor, *picture);
            RunMethod(GetParam(), k.kernel, k.divisor, *picture);
            ASSERT_TRUE(SamePixels(*picture, *expected));
        }
}

TEST_P(ConvolveMethodTest, EdgeDetectionBlackensAFlatPictureExceptAKeptFrame) {
    const Bgr24 flat{40, 170, 255};
    PicturePtr picture = MakePicture(6, 5, flat);
    RunMethod(GetParam(), BuiltInKernels()[0].kernel, 1, *picture);
    for (int32_t y = 0; y < 5; ++y)
        for (int32_t x = 0; x < 6; ++x) {
            const bool kept = GetParam() == Method::M && (x % 5 == 0 || y % 4 == 0);
            EXPECT_EQ(ChannelsAt(*picture, x, y),
                      kept ? (Channels{40, 170, 255}) : (Channels{0, 0, 0}));
        }
}

TEST_P(ConvolveMethodTest, ZeroDivisorIsRefusedBeforeAnythingChanges) {
    PicturePtr picture = NoisePicture(5, 4, 3);
    PicturePtr before = CopyOf(*picture);
    EXPECT_THROW(RunMethod(GetParam(), BuiltInKernels()[3].kernel, 0, *picture), Error);
    EXPECT_TRUE(SamePixels(*picture, *before));
}

TEST_P(ConvolveMethodTest, OtherLayoutsAreConvertedToTwentyFourBitsFirst) {
    PicturePtr picture = NoisePicture(6, 5, 8);
    picture->SetLayout(bitmap::BitmapLayout::Bits32);
    PicturePtr expected = CopyOf(*picture);
    expected->SetLayout(bitmap::BitmapLayout::Bits24);
    RunMethod(GetParam(), BuiltInKernels()[4].kernel, 1, *expected);
    RunMethod(GetParam(), BuiltInKernels()[4].kernel, 1, *picture);
    EXPECT_EQ(picture->Layout(), bitmap::BitmapLayout::Bits24);
    EXPECT_TRUE(SamePixels(*picture, *expected));
}

INSTANTIATE_TEST_SUITE_P(Borders, ConvolveMethodTest,
                         ::testing::Values(Method::E, Method::I, Method::M));

TEST(ConvolveTest, BuiltInKernelsSumToZeroOneOrTheirDivisor) {
    const int32_t sums[9] = {0, 1, 0, 8, 1, 1, 16, 32, 6};
    for (size_t i = 0; i < 9; ++i) {
        int32_t sum = 0;
        for (int32_t weight : BuiltInKernels()[i].kernel) sum += weight;
        EXPECT_EQ(sum, sums[i]) << "kernel " << i;
        EXPECT_EQ(BuiltInKernels()[i].divisor, i == 3 || i >= 6 ? sums[i] : 1) << "kernel " << i;
    }
}

TEST(ConvolveTest, KeepFrameLeavesPicturesUnderThreePixelsAcrossUnchanged) {
    for (const auto& size : {std::pair{1, 1}, {2, 9}, {9, 2}, {2, 2}}) {
        PicturePtr picture = NoisePicture(size.first, size.second, 11);
        PicturePtr before = CopyOf(*picture);
        ConvolveM(BuiltInKernels()[0].kernel, 1, *picture);
        EXPECT_TRUE(SamePixels(*picture, *before)) << size.first << "x" << size.second;
    }
}

TEST(ConvolveTest, OnlyTheWrappingBorderCarriesTheOppositeEdgeOver) {
    // Two pictures differing only in the bottom row and the right column; the
    // cross sharpener gives 100 on a flat 100 and 200 next to a 0.
    PicturePtr a = MakePicture(7, 6, {100, 100, 100});
    PicturePtr b = CopyOf(*a);
    for (int32_t x = 0; x < 7; ++x) b->Row24(5)[x] = {0, 0, 0};
    for (int32_t y = 0; y < 6; ++y) b->Row24(y)[6] = {0, 0, 0};
    for (Method method : {Method::E, Method::I}) {
        PicturePtr ca = CopyOf(*a), cb = CopyOf(*b);
        RunMethod(method, BuiltInKernels()[4].kernel, 1, *ca);
        RunMethod(method, BuiltInKernels()[4].kernel, 1, *cb);
        bool topDiffers = false, leftDiffers = false;
        for (int32_t x = 1; x < 5; ++x)
            topDiffers |= ChannelsAt(*ca, x, 0) != ChannelsAt(*cb, x, 0);
        for (int32_t y = 1; y < 4; ++y)
            leftDiffers |= ChannelsAt(*ca, 0, y) != ChannelsAt(*cb, 0, y);
        EXPECT_EQ(topDiffers, method == Method::E);
        EXPECT_EQ(leftDiffers, method == Method::E);
    }
}

TEST(ConvolveTest, DivisionTruncatesTowardZeroBeforeTheClamp) {
    // Kernel 3 (divisor 8) at the centre of a 3x3 picture: the sum is
    // 16 x centre - top-left neighbour (the other neighbours are 0).
    const int cases[][3] = {{1, 1, 1},     // 15 / 8
                            {128, 1, 255}, // 2047 / 8 = 255.875
                            {128, 9, 254}, // 2039 / 8
                            {0, 7, 0},     // -7 / 8 truncates to 0
                            {0, 9, 0}};    // -9 / 8 = -1, clamped
    for (const auto& c : cases) {
        PicturePtr picture = MakePicture(3, 3);
        picture->Row24(1)[1] = {uint8_t(c[0]), uint8_t(c[0]), uint8_t(c[0])};
        picture->Row24(0)[0] = {uint8_t(c[1]), uint8_t(c[1]), uint8_t(c[1])};
        ConvolveM(BuiltInKernels()[3].kernel, 8, *picture);
        EXPECT_EQ(ChannelsAt(*picture, 1, 1), (Channels{c[2], c[2], c[2]})) << c[0] << ", " << c[1];
    }
}

TEST(ConvolveTest, SmallAndLargeWeightsDivideExactlyForEveryValue) {
    // The centre weight 128 keeps sums within 16 bits, 129 does not; each
    // value v must give clamp(weight x v / divisor).
    PicturePtr values = MakePicture(258, 3);
    for (int32_t x = 0; x < 258; ++x) values->Row24(1)[x].Green = static_cast<uint8_t>(x - 1);
    for (int32_t weight : {128, 129})
        for (uint16_t d : {2, 3, 6, 7, 100, 127, 129, 255, 256, 1000, 32769, 65535}) {
            PicturePtr picture = CopyOf(*values);
            ConvolveM({0, 0, 0, 0, weight, 0, 0, 0, 0}, d, *picture);
            for (int32_t v = 0; v < 256; ++v)
                ASSERT_EQ(ChannelsAt(*picture, v + 1, 1)[1], std::min(255, weight * v / d))
                    << "weight " << weight << ", divisor " << d << ", value " << v;
        }
}

TEST(ConvolveTest, ChoosesKernelAndBorderByNumberAndIgnoresUnknownOnes) {
    const std::pair<int32_t, int32_t> known[] = {{0, 0}, {1, 1}, {2, 2}, {7, 0}, {3, 1}, {8, 2}};
    for (const auto& [index, method] : known) {
        PicturePtr picture = NoisePicture(9, 8, 21), expected = CopyOf(*picture);
        const BuiltInKernel& k = BuiltInKernels()[static_cast<size_t>(index)];
        RunMethod(static_cast<Method>(method), k.kernel, k.divisor, *expected);
        Convolve(*picture, index, method);
        EXPECT_TRUE(SamePixels(*picture, *expected)) << index << ", " << method;
    }
    const std::pair<int32_t, int32_t> unknown[] = {{9, 0}, {-1, 1}, {INT_MIN, 2}, {0, 3}, {4, -1}};
    for (const auto& [index, method] : unknown) {
        PicturePtr picture = NoisePicture(5, 5, 5), before = CopyOf(*picture);
        Convolve(*picture, index, method);
        EXPECT_TRUE(SamePixels(*picture, *before)) << index << ", " << method;
    }
}

TEST(ConvolveTest, RegistryRowsReproduceTheProgramsThreeItems) {
    // The program's "Convolve E/I/M" items: kernels 0, 1, 2 with methods 0, 1, 2.
    const char* names[] = {"ConvolveE", "ConvolveI", "ConvolveM"};
    for (int32_t item = 0; item < 3; ++item) {
        const Operation* operation = FindOperation(names[item]);
        ASSERT_NE(operation, nullptr);
        PicturePtr picture = NoisePicture(8, 6, 4), expected = CopyOf(*picture);
        Convolve(*expected, item, item);
        std::vector<ArgValue> args;
        ASSERT_TRUE(ProgramArgs(*operation, *picture, args));
        WiredRun(*operation, *picture, nullptr).Invoke(args);
        EXPECT_TRUE(SamePixels(*picture, *expected)) << names[item];
        args[9].i = 65536; // the divisor is 16-bit
        EXPECT_THROW(WiredRun(*operation, *picture, nullptr).Invoke(args), Error);
    }
}

} // namespace
} // namespace gleamkit::fx
