// Shakes, ripples and triangles: each operation against a plain per-pixel
// walk of its steps on tiny, odd and wide pictures, the worked numbers of each
// operation, the stopping rules, and arguments that would address pixels
// outside the picture (negative factors and amounts).
#include <gtest/gtest.h>

#include <cmath>
#include <cstdlib>
#include <vector>

#include "effects/effect_common.h"
#include "effects/shake_ripple.h"
#include "effects/tests/test_pictures.h"
#include "platform/kernel/clock.h"

namespace gleamkit::fx {
namespace {

using namespace fx::testing;
using bitmap::Bgr24;
using bitmap::BitmapLayout;
using bitmap::PixelBitmap;

// --- Plain walks of the steps, one pixel at a time, in the stated order. ---

void WalkShakeVertical(PixelBitmap& p, int32_t d) {
    const int32_t w = p.Width();
    for (int32_t y = 0; y < p.Height(); ++y) {
        Bgr24* row = p.Row24(y);
        if (y % 2 == 0) {
            for (int32_t x = d; x <= w - 1; ++x) row[x - d] = row[x];
        } else {
            for (int32_t x = w - 1; x >= d; --x) row[x] = row[x - d];
        }
    }
}

void WalkShakeHorizontal(PixelBitmap& p, int32_t d) {
    const int32_t h = p.Height();
    for (int32_t y = d; y <= h - 1; ++y)
        for (int32_t x = 0; x < p.Width(); x += 2) p.Row24(y - d)[x] = p.Row24(y)[x];
    for (int32_t y = h - 1 - d; y >= 0; --y)
        for (int32_t x = 1; x < p.Width(); x += 2) p.Row24(y + d)[x] = p.Row24(y)[x];
}

enum class Ripple { Tooth, Triangle, Random };

// The ripple loop for an a >= 0; random draws come from the program-wide
// generator, one per pixel.
void WalkRipple(PixelBitmap& p, int32_t a, Ripple kind) {
    for (int32_t y = p.Height() - 1 - a; y >= 0; --y) {
        int o = 0;
        bool rising = true;
        for (int32_t x = 0; x < p.Width(); ++x) {
            p.Row24(y + o)[x] = p.Row24(y)[x];
            if (kind == Ripple::Tooth) {
                o = (o + 1) & 0xFF;
                if (o > a) o = 0;
            } else if (kind == Ripple::Triangle) {
                if (rising) {
                    o = (o + 1) & 0xFF;
                    if (o > a) {
                        rising = false;
                        o = (a - 1) & 0xFF;
                    }
                } else if (o == 0) {
                    rising = true;
                    o = 1;
                } else {
                    o = o - 1;
                }
            } else {
                o = static_cast<int>(Random(static_cast<uint32_t>(a)) & 0xFF);
            }
        }
    }
}

void WalkTriangles(PixelBitmap& p, int32_t amount) {
    if (amount < 5) amount = 5;
    const int32_t s = (amount / 2) * 2 + 1;
    const int32_t h = s / 2;
    for (int32_t y = 0; y < p.Height(); ++y) {
        Bgr24* row = p.Row24(y);
        Bgr24 c = row[0];
        int32_t t = y % (s - 1);
        if (t > h) t = 2 * h - t;
        if (t == 0) t = s;
        const int32_t u = std::abs(h - (y % s)) + h;
        for (int32_t x = 0; x < p.Width(); ++x) {
            if (x % t == 0) c = row[x];
            if (x % u == 1) c = row[x];
            row[x] = c;
        }
    }
}

struct Size {
    int32_t width, height;
};
const Size kSizes[] = {{1, 1}, {2, 1}, {1, 2}, {3, 5}, {7, 4}, {13, 9}, {64, 33}, {101, 67}};

// --- Shakes ---

TEST(ShakeTest, BothShakesFollowTheirStepsOnEverySize) {
    const long double factors[] = {0.1L, 0.25L, 0.5L, 0.33L, 0.05L};
    for (const Size size : kSizes) {
        for (const long double factor : factors) {
            SCOPED_TRACE(::testing::Message() << size.width << "x" << size.height << " factor "
                                              << static_cast<double>(factor));
            PicturePtr source = MakePattern(size.width, size.height);
            PicturePtr vertical = MakePicture(2, 2);
            ShakeVertical(*source, *vertical, factor);
            PicturePtr expected = CopyOf(*source);
            const int32_t dv = Round(size.width * factor);
            if (dv > 0 && dv <= size.width / 2) WalkShakeVertical(*expected, dv);
            EXPECT_TRUE(SamePixels(*vertical, *expected));

            PicturePtr horizontal = MakePicture(1, 1);
            ShakeHorizontal(*source, *horizontal, factor);
            expected = CopyOf(*source);
            const int32_t dh = Round(size.height * factor);
            if (dh > 0 && dh <= size.height / 2) WalkShakeHorizontal(*expected, dh);
            EXPECT_TRUE(SamePixels(*horizontal, *expected));
        }
    }
}

TEST(ShakeTest, VerticalTenthOnAHundredColumnsMovesRowsTenPixels) {
    PicturePtr source = MakePattern(100, 4);
    PicturePtr picture = MakePicture(1, 1);
    ShakeVertical(*source, *picture, 0.1L);
    for (int32_t x = 0; x < 100; ++x) {
        const int32_t left = x < 90 ? x + 10 : x; // the last ten keep their values
        const int32_t right = x >= 10 ? x - 10 : x;
        EXPECT_EQ(ChannelsAt(*picture, x, 0), ChannelsAt(*source, left, 0)) << x;
        EXPECT_EQ(ChannelsAt(*picture, x, 1), ChannelsAt(*source, right, 1)) << x;
    }
}

// A distance of 0, beyond half the size, negative (the walks would start
// outside the row) or from a factor that is not a number leaves an exact copy.
TEST(ShakeTest, OutOfRangeDistancesLeaveAnExactCopy) {
    PicturePtr source = MakePattern(100, 100);
    const long double factors[] = {0.004L, 0.6L, -0.1L, -0.5L, -1e30L, 1e30L, NAN, INFINITY};
    for (const long double factor : factors) {
        PicturePtr vertical = MakePicture(3, 3);
        ShakeVertical(*source, *vertical, factor);
        EXPECT_TRUE(SamePixels(*vertical, *source)) << static_cast<double>(factor);
        PicturePtr horizontal = MakePicture(3, 3);
        ShakeHorizontal(*source, *horizontal, factor);
        EXPECT_TRUE(SamePixels(*horizontal, *source)) << static_cast<double>(factor);
    }
}

TEST(ShakeTest, OnePictureAsBothAndOtherLayoutsWork) {
    PicturePtr original = MakePattern(30, 20);
    PicturePtr expected = CopyOf(*original);
    WalkShakeHorizontal(*expected, 2);
    PicturePtr same = CopyOf(*original);
    ShakeHorizontal(*same, *same, 0.1L);
    EXPECT_TRUE(SamePixels(*same, *expected));

    PicturePtr wide = CopyOf(*original);
    wide->SetLayout(BitmapLayout::Bits32);
    PicturePtr result = MakePicture(1, 1);
    ShakeVertical(*wide, *result, 0.1L);
    EXPECT_EQ(result->Layout(), BitmapLayout::Bits24);
    expected = CopyOf(*original);
    WalkShakeVertical(*expected, 3);
    EXPECT_TRUE(SamePixels(*result, *expected));

    PicturePtr empty(bitmap::NewPixelBitmap(0, 0));
    ShakeVertical(*empty, *result, 0.1L);
    EXPECT_TRUE(result->Empty());
}

// --- Ripples ---

TEST(RippleTest, ToothAndTriangleFollowTheirStepsOnEverySizeAndAmount) {
    const int32_t amounts[] = {0, 1, 2, 3, 4, 33, 1000};
    for (const Size size : kSizes) {
        for (const int32_t amount : amounts) {
            SCOPED_TRACE(::testing::Message()
                         << size.width << "x" << size.height << " amount " << amount);
            const int32_t a = Min(size.height / 2, amount);
            PicturePtr tooth = MakePattern(size.width, size.height);
            PicturePtr expected = CopyOf(*tooth);
            RippleTooth(*tooth, amount);
            WalkRipple(*expected, a, Ripple::Tooth);
            EXPECT_TRUE(SamePixels(*tooth, *expected));

            PicturePtr triangle = MakePattern(size.width, size.height);
            expected = CopyOf(*triangle);
            RippleTriangle(*triangle, amount);
            if (a > 0) WalkRipple(*expected, a, Ripple::Triangle);
            EXPECT_TRUE(SamePixels(*triangle, *expected));
        }
    }
}

// The column offsets read back from where row 0 (walked last, so never
// overwritten) lands: only its pixels carry red 255. Rows above the landing
// place keep their pixels and nothing from the rows below lands under it, so
// the lowest red 255 marks the offset.
std::vector<int> ColumnOffsets(void (*ripple)(PixelBitmap&, int32_t), int32_t width, int32_t height,
                               int32_t amount) {
    PicturePtr picture = MakePictureFrom(width, height, [](int32_t x, int32_t y, int32_t c) {
        return static_cast<uint8_t>(c == 2 ? (y == 0 ? 255 : 0) : x + y);
    });
    ripple(*picture, amount);
    std::vector<int> offsets;
    for (int32_t x = 0; x < width; ++x) {
        int found = -1;
        for (int32_t y = 0; y < height; ++y)
            if (ChannelAt(*picture, x, y, 2) == 255) found = y;
        offsets.push_back(found);
    }
    return offsets;
}

TEST(RippleTest, ColumnOffsetsRunAsSawtoothAndTriangle) {
    EXPECT_EQ(ColumnOffsets(RippleTooth, 9, 7, 3), (std::vector<int>{0, 1, 2, 3, 0, 1, 2, 3, 0}));
    EXPECT_EQ(ColumnOffsets(RippleTriangle, 14, 7, 3),
              (std::vector<int>{0, 1, 2, 3, 2, 1, 0, 1, 2, 3, 2, 1, 0, 1}));
    // Amount 33 on 20 rows: a = 10, source rows 9 ... 0. Columns 0 and 11
    // (offset 0) stay, column 1 takes rows 0 ... 9 one row lower and column 10
    // ten rows lower; rows no source lands on keep their pixels.
    PicturePtr picture = MakePattern(12, 20);
    PicturePtr original = CopyOf(*picture);
    RippleTooth(*picture, 33);
    for (int32_t y = 0; y < 20; ++y) {
        EXPECT_EQ(ChannelsAt(*picture, 0, y), ChannelsAt(*original, 0, y)) << y;
        EXPECT_EQ(ChannelsAt(*picture, 11, y), ChannelsAt(*original, 11, y)) << y;
        const int32_t one = y >= 1 && y <= 10 ? y - 1 : y;
        EXPECT_EQ(ChannelsAt(*picture, 1, y), ChannelsAt(*original, 1, one)) << y;
        const int32_t ten = y >= 10 ? y - 10 : y;
        EXPECT_EQ(ChannelsAt(*picture, 10, y), ChannelsAt(*original, 10, ten)) << y;
    }
}

// Offsets are 8-bit: with a of 255 or more the sawtooth wraps from 255 to 0
// and the triangle keeps rising, wrapping the same way.
TEST(RippleTest, OffsetsWrapAtTwoHundredFiftySix) {
    for (const int32_t amount : {255, 300}) {
        PicturePtr tooth = MakeNoise(300, 2 * amount + 1, 4);
        PicturePtr expected = CopyOf(*tooth);
        RippleTooth(*tooth, amount);
        WalkRipple(*expected, amount, Ripple::Tooth);
        EXPECT_TRUE(SamePixels(*tooth, *expected)) << amount;
        PicturePtr triangle = MakeNoise(300, 2 * amount + 1, 5);
        expected = CopyOf(*triangle);
        RippleTriangle(*triangle, amount);
        WalkRipple(*expected, amount, Ripple::Triangle);
        EXPECT_TRUE(SamePixels(*triangle, *expected)) << amount;
    }
    const std::vector<int> offsets = ColumnOffsets(RippleTooth, 260, 600, 300);
    EXPECT_EQ(offsets[255], 255);
    EXPECT_EQ(offsets[256], 0);
    EXPECT_EQ(offsets[259], 3);
}

// Sets the clock for one scope and releases it on every exit.
class FixedClock {
public:
    FixedClock(WORD hour, WORD minute, WORD second, WORD millisecond) {
        const SYSTEMTIME time{2026, 12, 1, 7, hour, minute, second, millisecond};
        platform::SetFixedSystemTime(&time);
    }
    ~FixedClock() { platform::SetFixedSystemTime(nullptr); }
};

TEST(RippleTest, RandomReseedsFromTheClockAndDrawsOncePerPixel) {
    for (const Size size : kSizes) {
        SCOPED_TRACE(::testing::Message() << size.width << "x" << size.height);
        const FixedClock clock(13, 45, 7, 321);
        const uint32_t seed = ((13u * 60u + 45u) * 60u + 7u) * 1000u + 321u;
        SetRandomState(99); // whatever came before does not matter
        PicturePtr picture = MakePattern(size.width, size.height);
        PicturePtr expected = CopyOf(*picture);
        RippleRandom(*picture, 33);
        const uint32_t after = RandomState();

        const int32_t a = Min(size.height / 2, 33);
        SetRandomState(seed);
        WalkRipple(*expected, a, Ripple::Random);
        EXPECT_TRUE(SamePixels(*picture, *expected));
        EXPECT_EQ(after, RandomState()); // W draws per walked row, H - a rows
    }
}

TEST(RippleTest, RandomCallsInOneMillisecondGiveOnePicture) {
    PicturePtr original = MakeNoise(80, 60, 9);
    PicturePtr first = CopyOf(*original);
    PicturePtr second = CopyOf(*original);
    PicturePtr later = CopyOf(*original);
    {
        const FixedClock clock(8, 0, 0, 500);
        RippleRandom(*first, 33);
        Random(1000); // draws in between are forgotten by the reseed
        RippleRandom(*second, 33);
    }
    EXPECT_TRUE(SamePixels(*first, *second));
    EXPECT_FALSE(SamePixels(*first, *original));
    const FixedClock clock(8, 0, 0, 501);
    RippleRandom(*later, 33);
    EXPECT_FALSE(SamePixels(*later, *first));
}

// A negative amount is a ripple of no height: nothing moves (no source row
// below the picture is walked), Triangle does nothing at all, and Random still
// reseeds and draws Random(0) once per pixel.
TEST(RippleTest, NegativeAmountsMoveNothing) {
    for (const int32_t amount : {-1, -33, INT32_MIN}) {
        PicturePtr picture = MakePattern(17, 11);
        PicturePtr original = CopyOf(*picture);
        RippleTooth(*picture, amount);
        EXPECT_TRUE(SamePixels(*picture, *original)) << amount;
        RippleTriangle(*picture, amount);
        EXPECT_TRUE(SamePixels(*picture, *original)) << amount;
        const FixedClock clock(1, 2, 3, 4);
        RippleRandom(*picture, amount);
        EXPECT_TRUE(SamePixels(*picture, *original)) << amount;
        uint32_t state = 3723004;
        for (int i = 0; i < 17 * 11; ++i) state = NextRandomState(state);
        EXPECT_EQ(RandomState(), state) << amount;
    }
}

TEST(RippleTest, LayoutRules) {
    PicturePtr tooth = MakePattern(9, 9);
    tooth->SetLayout(BitmapLayout::Bits32);
    RippleTooth(*tooth, 0);
    EXPECT_EQ(tooth->Layout(), BitmapLayout::Bits24);
    PicturePtr triangle = MakePattern(9, 9);
    triangle->SetLayout(BitmapLayout::Bits32);
    RippleTriangle(*triangle, 0);
    EXPECT_EQ(triangle->Layout(), BitmapLayout::Bits32);
    RippleTriangle(*triangle, 3);
    EXPECT_EQ(triangle->Layout(), BitmapLayout::Bits24);

    PicturePtr empty(bitmap::NewPixelBitmap(0, 0));
    const FixedClock clock(0, 0, 1, 0);
    RippleRandom(*empty, 33);
    EXPECT_EQ(RandomState(), 1000u); // reseeded even with nothing to move
}

// --- Triangles ---

TEST(TrianglesTest, FollowsItsStepsOnEverySizeAndAmount) {
    const int32_t amounts[] = {-7, 0, 4, 5, 6, 7, 32, 33, 100, INT32_MAX};
    for (const Size size : kSizes) {
        for (const int32_t amount : amounts) {
            PicturePtr picture = MakeNoise(size.width, size.height, 3);
            PicturePtr expected = CopyOf(*picture);
            Triangles(*picture, amount);
            WalkTriangles(*expected, amount);
            EXPECT_TRUE(SamePixels(*picture, *expected))
                << size.width << "x" << size.height << " amount " << amount;
        }
    }
    PicturePtr tall = MakeNoise(5, 200, 8);
    PicturePtr expected = CopyOf(*tall);
    Triangles(*tall, 32);
    WalkTriangles(*expected, 32);
    EXPECT_TRUE(SamePixels(*tall, *expected));
}

TEST(TrianglesTest, AmountsBelowFiveCountAsFive) {
    PicturePtr four = MakeNoise(40, 30, 1);
    PicturePtr five = CopyOf(*four);
    Triangles(*four, 4);
    Triangles(*five, 5);
    EXPECT_TRUE(SamePixels(*four, *five));
}

// Amount 32: s = 33, h = 16; row 0 has t = 33 and u = 32, so it samples at
// x = 0, 1, 33, 65 and 66 and holds each colour until the next sample.
TEST(TrianglesTest, RowZeroOfAmountThirtyTwo) {
    PicturePtr picture = MakeNoise(70, 1, 2);
    PicturePtr original = CopyOf(*picture);
    Triangles(*picture, 32);
    for (int32_t x = 0; x < 70; ++x) {
        int32_t held = x;
        if (x >= 2 && x <= 32) held = 1;
        if (x >= 34 && x <= 64) held = 33;
        if (x >= 67) held = 66;
        EXPECT_EQ(ChannelsAt(*picture, x, 0), ChannelsAt(*original, held, 0)) << x;
    }
}

} // namespace
} // namespace gleamkit::fx
