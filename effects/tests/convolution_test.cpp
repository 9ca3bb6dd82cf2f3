#include <gtest/gtest.h>

#include <climits>
#include <vector>

#include "base/error.h"
#include "effects/convolution.h"
#include "effects/tests/rgb_pictures.h"

namespace gleamkit::fx {
namespace {

using namespace fx::testing;

enum class Method { E, I, M };

void RunMethod(Method method, const ConvolutionKernel& kernel, uint16_t divisor,
               PixelBitmap& picture) {
    switch (method) {
    case Method::E:
        ConvolveE(kernel, divisor, picture);
        break;
    case Method::I:
        ConvolveI(kernel, divisor, picture);
        break;
    case Method::M:
        ConvolveM(kernel, divisor, picture);
        break;
    }
}

// The kernel step written out plainly: a 64-bit sum taken back to its 32-bit
// two's-complement value, a truncating division and the clamp.
uint8_t KernelStep(const ConvolutionKernel& k, const uint8_t (&n)[9], uint16_t divisor) {
    int64_t sum = 0;
    for (int i = 0; i < 9; ++i) sum += int64_t{k[i]} * n[i];
    const int32_t wrapped = static_cast<int32_t>(static_cast<uint32_t>(sum));
    const int32_t q = wrapped / divisor;
    return static_cast<uint8_t>(q > 254 ? 255 : (q < 1 ? 0 : q));
}

// A straightforward model: builds the whole (W+2)x(H+2) framed picture cell by
// cell and convolves from it (methods E and I), or convolves the interior from
// a full copy (method M).
OwnedPicture Model(Method method, const ConvolutionKernel& kernel, uint16_t divisor,
                   PixelBitmap& original) {
    const int32_t w = original.Width(), h = original.Height();
    OwnedPicture result = CopyOf(original);
    const auto p = [&](int32_t x, int32_t y) { return PixelOf(original, x, y); };
    const auto framed = [&](int32_t i, int32_t j) -> Bgr24 {
        const bool top = j == 0, bottom = j == h + 1, left = i == 0, right = i == w + 1;
        if (top && left) return p(0, 0);
        if (top && right) return p(w - 1, 0);
        if (bottom && left) return p(0, h - 1);
        if (bottom && right) return p(w - 1, h - 1);
        const bool wrap = method == Method::E;
        if (top) return p(i - 1, wrap ? h - 1 : 0);
        if (bottom) return p(i - 1, wrap ? 0 : h - 1);
        if (left) return p(wrap ? w - 1 : 0, j - 1);
        if (right) return p(wrap ? 0 : w - 1, j - 1);
        return p(i - 1, j - 1);
    };
    const auto channel = [](const Bgr24& px, int c) {
        return c == 0 ? px.Blue : (c == 1 ? px.Green : px.Red);
    };
    const auto compute = [&](int32_t cx, int32_t cy, auto&& source) {
        Bgr24 out{};
        for (int c = 0; c < 3; ++c) {
            uint8_t n[9];
            for (int r = 0; r < 3; ++r)
                for (int s = 0; s < 3; ++s)
                    n[r * 3 + s] = channel(source(cx - 1 + s, cy - 1 + r), c);
            const uint8_t v = KernelStep(kernel, n, divisor);
            (c == 0 ? out.Blue : (c == 1 ? out.Green : out.Red)) = v;
        }
        return out;
    };
    if (method == Method::M) {
        for (int32_t y = 1; y + 1 < h; ++y)
            for (int32_t x = 1; x + 1 < w; ++x) result->Row24(y)[x] = compute(x, y, p);
    } else {
        for (int32_t y = 0; y < h; ++y)
            for (int32_t x = 0; x < w; ++x) result->Row24(y)[x] = compute(x + 1, y + 1, framed);
    }
    return result;
}

struct KernelCase {
    ConvolutionKernel kernel;
    uint16_t divisor;
};

std::vector<KernelCase> AllKernels() {
    std::vector<KernelCase> cases;
    for (const BuiltInKernel& entry : BuiltInKernels())
        cases.push_back({entry.kernel, entry.divisor});
    // Odd divisors, large divisors and weights whose sums wrap around 32 bits.
    cases.push_back({{7, -3, 12, 5, -5, 0, 1, 2, 3}, 3});
    cases.push_back({{1, 2, 3, 4, 5, 6, 7, 8, 9}, 65535});
    cases.push_back({{100, 200, 300, 400, 500, 600, 700, 800, 900}, 1000});
    cases.push_back({{INT_MAX, INT_MIN, 12345678, -1, INT_MAX, 3, 0, -987654, 5}, 7});
    cases.push_back({{0, 0, 0, 0, 1, 0, 0, 0, 0}, 2});
    cases.push_back({{200, -1, 0, 0, 1, 0, 0, 0, -100}, 1});
    cases.push_back({{-64, 0, 0, 0, 64, 0, 0, 0, 0}, 1});
    return cases;
}

class ConvolveMethodTest : public ::testing::TestWithParam<Method> {};

TEST_P(ConvolveMethodTest, MatchesThePlainModelForEveryKernelAndSize) {
    const int32_t sizes[][2] = {{1, 1}, {1, 4}, {4, 1},  {2, 2},  {2, 3},
                                {3, 3}, {5, 7}, {17, 9}, {64, 3}, {3, 40}};
    uint32_t seed = 7;
    for (const auto& size : sizes) {
        for (const KernelCase& k : AllKernels()) {
            SCOPED_TRACE(::testing::Message()
                         << size[0] << "x" << size[1] << " divisor " << k.divisor << " k0 "
                         << k.kernel[0] << " k4 " << k.kernel[4]);
            OwnedPicture picture = NoisePicture(size[0], size[1], ++seed);
            OwnedPicture expected = Model(GetParam(), k.kernel, k.divisor, *picture);
            RunMethod(GetParam(), k.kernel, k.divisor, *picture);
            ASSERT_TRUE(SamePixels(*expected, *picture));
        }
    }
}

TEST_P(ConvolveMethodTest, EdgeDetectionTurnsAFlatPictureBlackInsideTheFrame) {
    const Bgr24 flat{40, 170, 255};
    OwnedPicture picture = FlatPicture(6, 5, flat);
    RunMethod(GetParam(), BuiltInKernels()[0].kernel, 1, *picture);
    for (int32_t y = 0; y < 5; ++y)
        for (int32_t x = 0; x < 6; ++x) {
            const bool frame = x == 0 || y == 0 || x == 5 || y == 4;
            const bool kept = GetParam() == Method::M && frame;
            EXPECT_TRUE(PixelIs(*picture, x, y, kept ? flat : Grey(0)));
        }
}

TEST_P(ConvolveMethodTest, ZeroDivisorIsRefusedBeforeAnythingChanges) {
    OwnedPicture picture = NoisePicture(5, 4, 3);
    OwnedPicture before = CopyOf(*picture);
    EXPECT_THROW(RunMethod(GetParam(), BuiltInKernels()[3].kernel, 0, *picture), Error);
    EXPECT_TRUE(SamePixels(*before, *picture));
}

TEST_P(ConvolveMethodTest, EmptyPictureIsLeftAlone) {
    OwnedPicture picture(bitmap::NewPixelBitmap(0, 0));
    RunMethod(GetParam(), BuiltInKernels()[0].kernel, 1, *picture);
    EXPECT_TRUE(picture->Empty());
}

INSTANTIATE_TEST_SUITE_P(AllBorders, ConvolveMethodTest,
                         ::testing::Values(Method::E, Method::I, Method::M), [](const auto& info) {
                             return std::string(info.param == Method::E   ? "Wrap"
                                                : info.param == Method::I ? "Replicate"
                                                                          : "KeepFrame");
                         });

TEST(ConvolveTest, BuiltInKernelsKeepTheirDocumentedSums) {
    // Edge detectors sum to 0, sharpeners to 1, blurs to their divisor: on a
    // flat picture the first go black and the others keep the brightness.
    const int32_t expectedSums[9] = {0, 1, 0, 8, 1, 1, 16, 32, 6};
    const uint16_t expectedDivisors[9] = {1, 1, 1, 8, 1, 1, 16, 32, 6};
    for (size_t i = 0; i < 9; ++i) {
        int32_t sum = 0;
        for (int32_t weight : BuiltInKernels()[i].kernel) sum += weight;
        EXPECT_EQ(sum, expectedSums[i]) << "kernel " << i;
        EXPECT_EQ(BuiltInKernels()[i].divisor, expectedDivisors[i]) << "kernel " << i;
    }
    EXPECT_EQ(BuiltInKernels()[2].kernel, (ConvolutionKernel{1, 1, 1, 1, -2, 1, -1, -1, -1}));
    EXPECT_EQ(BuiltInKernels()[5].kernel, (ConvolutionKernel{1, 0, 1, 0, 0, 0, 1, 0, -2}));
}

TEST(ConvolveTest, SharpenKeepsAFlatPictureWhenTheBorderIsFilled) {
    for (Method method : {Method::E, Method::I}) {
        OwnedPicture picture = FlatPicture(4, 3, Bgr24{9, 128, 250});
        OwnedPicture before = CopyOf(*picture);
        RunMethod(method, BuiltInKernels()[1].kernel, 1, *picture);
        EXPECT_TRUE(SamePixels(*before, *picture));
    }
}

TEST(ConvolveTest, OnePixelPictureSeesItselfAsAllEightNeighbours) {
    // Kernel weights sum to s, so the pixel becomes clamp(s x v / divisor).
    struct Case {
        size_t kernel;
        uint8_t value;
        uint8_t expected;
    } cases[] = {
        {0, 200, 0}, {1, 77, 77}, {3, 100, 100}, {4, 255, 255},
        {5, 13, 13}, {6, 90, 90}, {8, 31, 31},   {2, 250, 0},
    };
    for (Method method : {Method::E, Method::I}) {
        for (const Case& c : cases) {
            OwnedPicture picture = FlatPicture(1, 1, Bgr24{c.value, 0, 255});
            const BuiltInKernel& k = BuiltInKernels()[c.kernel];
            RunMethod(method, k.kernel, k.divisor, *picture);
            const uint8_t red = c.kernel == 0 || c.kernel == 2 ? 0 : 255;
            EXPECT_TRUE(PixelIs(*picture, 0, 0, Bgr24{c.expected, 0, red}))
                << "kernel " << c.kernel;
        }
    }
}

TEST(ConvolveTest, KeepFrameLeavesPicturesUnderThreePixelsAcrossUnchanged) {
    const int32_t sizes[][2] = {{1, 1}, {2, 9}, {9, 2}, {1, 5}, {5, 1}, {2, 2}};
    for (const auto& size : sizes) {
        OwnedPicture picture = NoisePicture(size[0], size[1], 11);
        OwnedPicture before = CopyOf(*picture);
        ConvolveM(BuiltInKernels()[0].kernel, 1, *picture);
        EXPECT_TRUE(SamePixels(*before, *picture)) << size[0] << "x" << size[1];
    }
}

TEST(ConvolveTest, OnlyTheWrappingBorderCarriesTheOppositeEdgeOver) {
    // Two pictures that differ only in the bottom row and the right column:
    // with wrap-around the top row and the left column see the difference.
    const auto base = [](int32_t x, int32_t y) {
        return Grey(static_cast<uint8_t>(40 + 10 * x + 3 * y));
    };
    const auto changed = [&](int32_t x, int32_t y) {
        return (y == 5 || x == 6) ? Grey(0) : base(x, y);
    };
    const ConvolutionKernel k = BuiltInKernels()[4].kernel;
    for (Method method : {Method::E, Method::I}) {
        OwnedPicture a = MakePicture(7, 6, base), b = MakePicture(7, 6, changed);
        RunMethod(method, k, 1, *a);
        RunMethod(method, k, 1, *b);
        bool topDiffers = false, leftDiffers = false;
        for (int32_t x = 1; x < 5; ++x)
            topDiffers |= !SameColor(PixelOf(*a, x, 0), PixelOf(*b, x, 0));
        for (int32_t y = 1; y < 4; ++y)
            leftDiffers |= !SameColor(PixelOf(*a, 0, y), PixelOf(*b, 0, y));
        EXPECT_EQ(topDiffers, method == Method::E);
        EXPECT_EQ(leftDiffers, method == Method::E);
    }
}

TEST(ConvolveTest, DivisionTruncatesAndClamps) {
    // Kernel 3 (divisor 8) on a 3x3 picture: the centre's sum is
    // 16 x centre - (sum of the eight neighbours).
    struct Case {
        uint8_t centre;
        uint8_t neighbour; // the top-left neighbour; the other seven are 0
        uint8_t expected;
    } cases[] = {
        {1, 1, 1},       // 15 / 8
        {128, 1, 255},   // 2047 / 8 = 255.875
        {128, 9, 254},   // 2039 / 8 = 254.875
        {2, 9, 2},       // 23 / 8
        {0, 7, 0},       // -7 / 8 truncates to 0
        {0, 9, 0},       // -9 / 8 = -1, clamped
        {16, 0, 32},     // 256 / 8
        {255, 255, 255}, // 3825 / 8, clamped
    };
    for (const Case& c : cases) {
        OwnedPicture picture = MakePicture(3, 3, [&](int32_t x, int32_t y) {
            if (x == 1 && y == 1) return Grey(c.centre);
            return Grey(x == 0 && y == 0 ? c.neighbour : 0);
        });
        ConvolveM(BuiltInKernels()[3].kernel, 8, *picture);
        EXPECT_TRUE(PixelIs(*picture, 1, 1, Grey(c.expected)))
            << "centre " << int(c.centre) << " neighbour " << int(c.neighbour);
    }
}

TEST(ConvolveTest, EveryDivisorDividesExactlyAroundItsMultiples) {
    // A row of ones under the centre weight w gives the sum w for each pixel:
    // sums on both sides of q x divisor must give q - 1 and q, up to 255.
    const uint16_t divisors[] = {2, 3, 5, 6, 7, 9, 10, 255, 256, 257, 1000, 4095, 32769, 65535};
    const int32_t quotients[] = {1, 2, 100, 254, 255, 256};
    for (uint16_t d : divisors) {
        for (int32_t q : quotients) {
            for (int32_t delta : {-1, 0, 1}) {
                const int32_t weight = q * d + delta;
                OwnedPicture picture = FlatPicture(3, 3, Grey(1));
                ConvolveM({0, 0, 0, 0, weight, 0, 0, 0, 0}, d, *picture);
                const int32_t expected = weight / d > 255 ? 255 : weight / d;
                ASSERT_TRUE(PixelIs(*picture, 1, 1, Grey(static_cast<uint8_t>(expected))))
                    << "divisor " << d << " sum " << weight;
            }
        }
    }
}

TEST(ConvolveTest, SmallAndLargeWeightsDivideAlike) {
    // The centre weight 128 keeps every sum within 16 bits, 129 does not; both
    // must give clamp(weight x v / divisor) for every byte value v.
    const uint16_t divisors[] = {1, 2, 3, 6, 7, 8, 100, 127, 128, 129, 255, 256, 1000, 65535};
    OwnedPicture values =
        MakePicture(258, 3, [](int32_t x, int32_t) { return Grey(static_cast<uint8_t>(x - 1)); });
    for (int32_t weight : {128, 129}) {
        for (uint16_t d : divisors) {
            OwnedPicture picture = CopyOf(*values);
            ConvolveM({0, 0, 0, 0, weight, 0, 0, 0, 0}, d, *picture);
            for (int32_t v = 0; v < 256; ++v) {
                const int32_t q = weight * v / d;
                ASSERT_TRUE(
                    PixelIs(*picture, v + 1, 1, Grey(static_cast<uint8_t>(q > 255 ? 255 : q))))
                    << "weight " << weight << " divisor " << d << " value " << v;
            }
        }
    }
}

TEST(ConvolveTest, ChoosesKernelAndBorderByNumber) {
    struct Case {
        int32_t kernel;
        int32_t method;
        Method expected;
    } cases[] = {{0, 0, Method::E}, {1, 1, Method::I}, {2, 2, Method::M},
                 {7, 0, Method::E}, {8, 2, Method::M}, {3, 1, Method::I}};
    for (const Case& c : cases) {
        OwnedPicture picture = NoisePicture(9, 8, 21);
        OwnedPicture expected = CopyOf(*picture);
        const BuiltInKernel& k = BuiltInKernels()[static_cast<size_t>(c.kernel)];
        RunMethod(c.expected, k.kernel, k.divisor, *expected);
        Convolve(*picture, c.kernel, c.method);
        EXPECT_TRUE(SamePixels(*expected, *picture)) << c.kernel << ", " << c.method;
    }
}

TEST(ConvolveTest, UnknownKernelOrMethodLeavesThePictureAsItIs) {
    const int32_t calls[][2] = {{9, 0}, {-1, 1}, {INT_MIN, 2}, {0, 3}, {4, -1}, {8, 100}};
    for (const auto& call : calls) {
        OwnedPicture picture = NoisePicture(5, 5, 5);
        OwnedPicture before = CopyOf(*picture);
        Convolve(*picture, call[0], call[1]);
        EXPECT_TRUE(SamePixels(*before, *picture)) << call[0] << ", " << call[1];
    }
}

TEST(ConvolveTest, OtherLayoutsAreConvertedToTwentyFourBitsFirst) {
    for (Method method : {Method::E, Method::I, Method::M}) {
        OwnedPicture picture = NoisePicture(6, 5, 8);
        picture->SetLayout(BitmapLayout::Bits32);
        OwnedPicture expected = CopyOf(*picture);
        expected->SetLayout(BitmapLayout::Bits24);
        RunMethod(method, BuiltInKernels()[4].kernel, 1, *expected);
        RunMethod(method, BuiltInKernels()[4].kernel, 1, *picture);
        EXPECT_EQ(picture->Layout(), BitmapLayout::Bits24);
        EXPECT_TRUE(SamePixels(*expected, *picture));
    }
}

} // namespace
} // namespace gleamkit::fx
