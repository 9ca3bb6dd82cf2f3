// The wide row kernels of Solarize, grey and the byte tables against the
// per-pixel rules: every sum and limit, every colour, every byte value, row
// lengths that leave tails of every size, and nothing written past the
// pixels a kernel reports as done.
#include <gtest/gtest.h>

#include <climits>
#include <cstring>
#include <vector>

#include "effects/channel_tone.h"
#include "effects/effect_common.h"
#include "effects/noise_tone.h"
#include "effects/tests/test_pictures.h"
#include "effects/tone_rows.h"

namespace gleamkit::fx {
namespace {

using namespace fx::testing;

constexpr uint8_t kGuard = 0xA5;

std::vector<uint8_t> NoiseBytes(size_t count, uint32_t seed) {
    std::vector<uint8_t> bytes(count);
    uint32_t state = seed * 2654435761u + 1u;
    for (uint8_t& b : bytes) {
        state = state * 1664525u + 1013904223u;
        b = static_cast<uint8_t>(state >> 24);
    }
    return bytes;
}

uint8_t ExtendedGray(uint8_t blue, uint8_t green, uint8_t red) {
    return static_cast<uint8_t>(Round(blue * 0.11L + green * 0.59L + red * 0.3L));
}

TEST(ToneRowsTest, SolarizeBlocksFollowTheSumRuleForEveryLimit) {
    if (!tone::HasAvx2()) GTEST_SKIP() << "no AVX2";
    // Every channel sum 0..765 appears, beside noise.
    std::vector<uint8_t> from = NoiseBytes(3 * 2048, 3);
    for (int sum = 0; sum <= 765; ++sum) {
        from[3 * sum] = static_cast<uint8_t>(sum / 3);
        from[3 * sum + 1] = static_cast<uint8_t>((sum + 1) / 3);
        from[3 * sum + 2] = static_cast<uint8_t>((sum + 2) / 3);
    }
    std::vector<uint8_t> to(from.size());
    for (int32_t limit = 0; limit <= 766; ++limit) {
        ASSERT_EQ(tone::SolarizePixelsAvx2(from.data(), to.data(), 2048, limit), 2048u);
        for (size_t i = 0; i < from.size(); i += 3) {
            const int sum = from[i] + from[i + 1] + from[i + 2];
            for (size_t c = 0; c < 3; ++c) {
                const int expected = sum >= limit ? 255 - from[i + c] : from[i + c];
                ASSERT_EQ(to[i + c], expected) << "limit " << limit << " pixel " << i / 3;
            }
        }
    }
}

TEST(ToneRowsTest, KernelsStopAtWholeBlocksAndWriteNothingBeyond) {
    for (size_t pixels = 0; pixels <= 130; ++pixels) {
        const std::vector<uint8_t> original = NoiseBytes(3 * pixels + 64, 11 + uint32_t(pixels));
        if (tone::HasAvx2()) {
            std::vector<uint8_t> to(original.size(), kGuard);
            const size_t done = tone::SolarizePixelsAvx2(original.data(), to.data(), pixels, 300);
            EXPECT_EQ(done, pixels / 32 * 32);
            for (size_t i = 3 * done; i < to.size(); ++i) ASSERT_EQ(to[i], kGuard) << pixels;

            std::vector<uint8_t> row = original;
            const size_t grayDone = tone::GrayPixelsAvx2(row.data(), pixels, ExtendedGray);
            EXPECT_EQ(grayDone, pixels / 32 * 32);
            for (size_t i = 0; i < 3 * grayDone; ++i)
                ASSERT_EQ(row[i], ExtendedGray(original[i / 3 * 3], original[i / 3 * 3 + 1],
                                               original[i / 3 * 3 + 2]));
            for (size_t i = 3 * grayDone; i < row.size(); ++i) ASSERT_EQ(row[i], original[i]);
        }
        if (tone::HasByteTableLookup()) {
            const std::vector<uint8_t> table = NoiseBytes(256, 5);
            std::vector<uint8_t> bytes = original;
            tone::MapBytesVbmi(bytes.data(), 3 * pixels, table.data());
            for (size_t i = 0; i < bytes.size(); ++i)
                ASSERT_EQ(bytes[i], i < 3 * pixels ? table[original[i]] : original[i]) << pixels;
        }
    }
}

TEST(ToneRowsTest, GrayBlocksMatchTheExtendedSumForEveryColour) {
    if (!tone::HasAvx2()) GTEST_SKIP() << "no AVX2";
    // One red value per pass: all 65536 blue-green pairs in one row of pixels.
    std::vector<uint8_t> row(3 * 65536);
    for (int red = 0; red < 256; ++red) {
        for (size_t p = 0; p < 65536; ++p) {
            row[3 * p] = static_cast<uint8_t>(p);
            row[3 * p + 1] = static_cast<uint8_t>(p >> 8);
            row[3 * p + 2] = static_cast<uint8_t>(red);
        }
        ASSERT_EQ(tone::GrayPixelsAvx2(row.data(), 65536, ExtendedGray), 65536u);
        for (size_t p = 0; p < 65536; ++p) {
            const uint8_t expected =
                ExtendedGray(static_cast<uint8_t>(p), static_cast<uint8_t>(p >> 8),
                             static_cast<uint8_t>(red));
            ASSERT_EQ(row[3 * p], expected) << p << " red " << red;
            ASSERT_EQ(row[3 * p + 1], expected);
            ASSERT_EQ(row[3 * p + 2], expected);
        }
    }
}

TEST(ToneRowsTest, ByteTableLookupMapsEveryValue) {
    if (!tone::HasByteTableLookup()) GTEST_SKIP() << "no byte permutes";
    std::vector<uint8_t> bytes(256 * 3 + 7);
    for (size_t i = 0; i < bytes.size(); ++i) bytes[i] = static_cast<uint8_t>(i * 167);
    const std::vector<uint8_t> original = bytes;
    const std::vector<uint8_t> table = NoiseBytes(256, 9);
    tone::MapBytesVbmi(bytes.data(), bytes.size(), table.data());
    for (size_t i = 0; i < bytes.size(); ++i) ASSERT_EQ(bytes[i], table[original[i]]);
}

// Whole operations on every width up to a few blocks: block part and tail
// together must give the per-pixel rule everywhere.
TEST(ToneRowsTest, OperationsAgreeWithThePerPixelRulesAtEveryWidth) {
    for (int32_t width = 1; width <= 70; ++width) {
        const PicturePtr source = MakeNoise(width, 3, static_cast<uint32_t>(width));
        for (const int32_t threshold : {INT_MIN, -1, 0, 100, 254, 255, 1000}) {
            PicturePtr destination = MakePicture(width, 3, {7, 7, 7});
            Solarize(*source, *destination, threshold);
            for (int32_t y = 0; y < 3; ++y) {
                for (int32_t x = 0; x < width; ++x) {
                    const Channels in = ChannelsAt(*source, x, y);
                    const bool flip = (in[0] + in[1] + in[2]) / 3 > threshold;
                    Channels expected = in;
                    if (flip)
                        for (int& c : expected) c = 255 - c;
                    ASSERT_EQ(ChannelsAt(*destination, x, y), expected)
                        << width << " " << threshold;
                }
            }
        }
        PicturePtr gray = CopyOf(*source);
        ConvertToGrayscale(*gray);
        PicturePtr light = CopyOf(*source);
        SplitLight(*light, 2);
        for (int32_t y = 0; y < 3; ++y) {
            for (int32_t x = 0; x < width; ++x) {
                const Channels in = ChannelsAt(*source, x, y);
                const int v = ExtendedGray(static_cast<uint8_t>(in[0]), static_cast<uint8_t>(in[1]),
                                           static_cast<uint8_t>(in[2]));
                ASSERT_EQ(ChannelsAt(*gray, x, y), (Channels{v, v, v})) << width;
                for (int c = 0; c < 3; ++c)
                    ASSERT_EQ(ChannelsAt(*light, x, y)[c],
                              SineTone(SineTone(static_cast<uint8_t>(in[c]))))
                        << width;
            }
        }
    }
}

// Turns the wide kernels off for a scope, back on at its end.
class PlainLoops {
public:
    PlainLoops() { tone::AllowWideKernels(false); }
    ~PlainLoops() { tone::AllowWideKernels(true); }
    PlainLoops(const PlainLoops&) = delete;
    PlainLoops& operator=(const PlainLoops&) = delete;
};

// The plain loops stay in use on processors without the wide instructions:
// both forms must give the same bytes, on small widths and on a picture
// large enough for the byte-pair table.
TEST(ToneRowsTest, PlainAndWideFormsGiveTheSameBytes) {
    struct Case {
        const char* name;
        void (*run)(bitmap::PixelBitmap& source, bitmap::PixelBitmap& target);
    };
    const Case cases[] = {
        {"Solarize 100", [](auto& s, auto& t) { Solarize(s, t, 100); }},
        {"Solarize -1", [](auto& s, auto& t) { Solarize(s, t, -1); }},
        {"Solarize 254", [](auto& s, auto& t) { Solarize(s, t, 254); }},
        {"ConvertToGrayscale", [](auto&, auto& t) { ConvertToGrayscale(t); }},
        {"SplitLight 1", [](auto&, auto& t) { SplitLight(t, 1); }},
        {"SplitLight 5", [](auto&, auto& t) { SplitLight(t, 5); }},
        {"Contrast 77", [](auto&, auto& t) { Contrast(t, 77); }},
    };
    const std::pair<int32_t, int32_t> sizes[] = {{1, 1}, {31, 3}, {33, 2}, {67, 5}, {701, 601}};
    for (const auto& [width, height] : sizes) {
        const PicturePtr source = MakeNoise(width, height, static_cast<uint32_t>(width * height));
        for (const Case& c : cases) {
            PicturePtr wide = CopyOf(*source);
            c.run(*source, *wide);
            PicturePtr plain = CopyOf(*source);
            {
                const PlainLoops off;
                c.run(*source, *plain);
            }
            EXPECT_TRUE(SamePixels(*wide, *plain)) << c.name << " " << width << "x" << height;
        }
    }
}

} // namespace
} // namespace gleamkit::fx
