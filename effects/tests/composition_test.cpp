// Two-picture compositions: each operation against a plain per-pixel walk of
// its steps, with second pictures smaller, larger, narrower, lower, of one
// pixel and empty; the worked numbers of each operation; one picture passed
// in several places; and arguments that would reach outside a picture.
#include <gtest/gtest.h>

#include <cmath>
#include <new>
#include <vector>

#include "base/error.h"
#include "effects/composition.h"
#include "effects/effect_common.h"
#include "effects/resampling.h"
#include "effects/tests/test_pictures.h"

namespace gleamkit::fx {
namespace {

using namespace fx::testing;
using bitmap::Bgr24;
using bitmap::BitmapLayout;
using bitmap::PixelBitmap;

struct Size {
    int32_t width, height;
};

// Second pictures measured against a 13 x 9 first picture.
const Size kSecondSizes[] = {{13, 9}, {5, 4}, {20, 15}, {4, 30}, {30, 3},
                             {1, 1},  {0, 0}, {13, 1},  {1, 9},  {0, 9}};

bool Has(PixelBitmap& p, int32_t x, int32_t y) {
    return x >= 0 && y >= 0 && x < p.Width() && y < p.Height();
}

PicturePtr Second(Size size) {
    if (size.width == 0 || size.height == 0)
        return PicturePtr(bitmap::NewPixelBitmap(size.width, size.height));
    return MakeNoise(size.width, size.height, 77);
}

// --- Plain walks of the steps; a read of a pixel a source lacks skips the
// write, and pixels no step writes hold source1's pixel (black below it). ---

PicturePtr WalkBlend(PixelBitmap& s1, PixelBitmap& s2, long double amount) {
    PicturePtr d = CopyOf(s1);
    for (int32_t y = 0; y < s1.Height(); ++y) {
        for (int32_t x = 0; x < s1.Width(); ++x) {
            if (!Has(s2, x, y)) continue;
            for (int32_t c = 0; c < 3; ++c) {
                const long double v =
                    (1.0L - amount) * ChannelAt(s1, x, y, c) + ChannelAt(s2, x, y, c) * amount;
                d->ScanLine(y)[3 * x + c] = static_cast<uint8_t>(std::nearbyintl(v));
            }
        }
    }
    return d;
}

PicturePtr WalkFoldRight(PixelBitmap& s1, PixelBitmap& s2, long double amount) {
    const int32_t W = s1.Width();
    const int32_t H = s2.Height();
    PicturePtr d = MakePicture(W, H);
    for (int32_t y = 0; y < H; ++y)
        for (int32_t x = 0; x < W; ++x)
            if (Has(s1, x, y)) d->Row24(y)[x] = s1.Row24(y)[x];
    const int32_t w = static_cast<int32_t>(std::nearbyintl(W * amount));
    for (int32_t y = 0; y < H; ++y) {
        for (int32_t x = 0; x <= w; ++x) {
            const int32_t m = 2 * w - x;
            if (m >= W) continue;
            if (Has(s1, x, y)) d->Row24(y)[m] = s1.Row24(y)[x];
            if (Has(s2, x, y)) d->Row24(y)[x] = s2.Row24(y)[x];
        }
        if (W - 1 > 2 * w)
            for (int32_t x = 2 * w + 1; x <= W - 1; ++x)
                if (x >= 0 && Has(s1, x, y)) d->Row24(y)[x] = s1.Row24(y)[x];
    }
    return d;
}

// The scaled copy pasted pixel by pixel, clipped to the destination.
PicturePtr WalkGrow(PixelBitmap& s1, PixelBitmap& s2, long double amount, int32_t x0, int32_t y0) {
    PicturePtr d = CopyOf(s1);
    const int32_t w = Round(s1.Width() * amount);
    const int32_t h = Round(s1.Height() * amount);
    if (w <= 0 || h <= 0 || s2.Empty()) return d;
    PicturePtr small = MakePicture(w, h);
    PicturePtr second = CopyOf(s2);
    const FilterEntry& row = ResamplingFilters[4];
    EXPECT_EQ(row.Name, "B-Spline");
    Stretch(*second, *small, row.Kernel, row.Support);
    for (int32_t y = 0; y < h; ++y) {
        for (int32_t x = 0; x < w; ++x) {
            const int64_t tx = int64_t{x0} + x, ty = int64_t{y0} + y;
            if (tx >= 0 && ty >= 0 && tx < d->Width() && ty < d->Height())
                d->Row24(static_cast<int32_t>(ty))[tx] = small->Row24(y)[x];
        }
    }
    return d;
}

PicturePtr WalkPlasma(PixelBitmap& s1, PixelBitmap& s2, PixelBitmap& destination, long double scale,
                      long double turbulence) {
    PicturePtr d = CopyOf(destination);
    if (turbulence < 10.0L) turbulence = 10.0L;
    if (scale < 5.0L) scale = 5.0L;
    int32_t dx[256], dy[256];
    for (int32_t i = 0; i < 256; ++i) {
        dx[i] = Round(-scale * Sin(i / turbulence));
        dy[i] = Round(scale * Cos(i / turbulence));
    }
    for (int32_t y = 0; y < s1.Height(); ++y) {
        for (int32_t x = 0; x < s1.Width(); ++x) {
            if (!Has(s2, x, y) || !Has(*d, x, y)) continue;
            const uint8_t b = s2.Row24(y)[x].Blue;
            const int64_t nx = int64_t{x} + dx[b], ny = int64_t{y} + dy[b];
            if (nx >= 0 && nx < s1.Width() && ny >= 0 && ny < s1.Height())
                d->Row24(y)[x] = s1.Row24(static_cast<int32_t>(ny))[nx];
        }
    }
    return d;
}

// --- Blend ---

TEST(BlendTest, WorkedValues) {
    PicturePtr s1 = MakePicture(2, 1, {0, 0, 0});
    PicturePtr s2 = MakePictureFrom(
        2, 1, [](int32_t x, int32_t, int32_t) -> uint8_t { return x == 0 ? 255 : 1; });
    PicturePtr d = MakePicture(1, 1);
    Blend(*s1, *s2, *d, 0.5L);
    EXPECT_EQ(ChannelsAt(*d, 0, 0), (Channels{128, 128, 128})); // Round(127.5)
    EXPECT_EQ(ChannelsAt(*d, 1, 0), (Channels{0, 0, 0}));       // Round(0.5)

    PicturePtr a = MakeNoise(9, 7, 1), b = MakeNoise(9, 7, 2);
    Blend(*a, *b, *d, 0.0L);
    EXPECT_TRUE(SamePixels(*d, *a));
    Blend(*a, *b, *d, 1.0L);
    EXPECT_TRUE(SamePixels(*d, *b));
}

// Every pair of channel bytes, at weights whose sums fall on or near halves;
// rows are long enough for whole blocks of the fast path and a tail.
TEST(BlendTest, EveryBytePairRoundsAsTheExtendedSum) {
    PicturePtr s1 = MakePictureFrom(256, 256, [](int32_t x, int32_t y, int32_t c) {
        return static_cast<uint8_t>(c == 0 ? x : c == 1 ? y : x ^ y);
    });
    PicturePtr s2 = MakePictureFrom(256, 256, [](int32_t x, int32_t y, int32_t c) {
        return static_cast<uint8_t>(c == 0 ? y : c == 1 ? x : 255 - x);
    });
    const long double amounts[] = {0.333L, 0.5L,         1.0L / 3.0L,   0.25L, 0.1L,        0.9L,
                                   0.75L,  0.5L + 1e-7L, 0.5L - 1e-12L, 1e-9L, 1.0L - 1e-9L};
    for (const long double amount : amounts) {
        PicturePtr d = MakePicture(1, 1);
        Blend(*s1, *s2, *d, amount);
        EXPECT_TRUE(SamePixels(*d, *WalkBlend(*s1, *s2, amount))) << static_cast<double>(amount);
    }
}

TEST(BlendTest, AnySecondSizeKeepsSourceOnesSizeAndPixels) {
    PicturePtr s1 = MakeNoise(13, 9, 5);
    for (const Size size : kSecondSizes) {
        for (const long double amount : {0.333L, 0.5L, 0.9L}) {
            SCOPED_TRACE(::testing::Message() << size.width << "x" << size.height);
            PicturePtr s2 = Second(size);
            PicturePtr d = MakePattern(40, 2); // any earlier size is replaced
            Blend(*s1, *s2, *d, amount);
            EXPECT_TRUE(SamePixels(*d, *WalkBlend(*s1, *s2, amount)));
        }
    }
    PicturePtr empty(bitmap::NewPixelBitmap(0, 0));
    PicturePtr d = MakePattern(4, 4);
    Blend(*empty, *s1, *d, 0.5L);
    EXPECT_TRUE(d->Empty());
}

// Outside 0 ... 1 the sum leaves the byte range; the byte keeps the low 8 bits
// of the rounded value (0 where the value has no 64-bit form).
TEST(BlendTest, AmountsOutsideTheUnitRangeKeepTheLowByte) {
    PicturePtr s1 = MakePicture(1, 1, {10, 200, 0});
    PicturePtr s2 = MakePicture(1, 1, {20, 100, 255});
    PicturePtr d = MakePicture(1, 1);
    Blend(*s1, *s2, *d, 2.0L); // -s1 + 2 s2: 30, 0, 510
    EXPECT_EQ(ChannelsAt(*d, 0, 0), (Channels{30, 0, 254}));
    Blend(*s1, *s2, *d, -1.0L); // 2 s1 - s2: 0, 300, -255
    EXPECT_EQ(ChannelsAt(*d, 0, 0), (Channels{0, 44, 1}));
    Blend(*s1, *s2, *d, NAN);
    EXPECT_EQ(ChannelsAt(*d, 0, 0), (Channels{0, 0, 0}));
}

// --- FoldRight ---

TEST(FoldRightTest, WorkedColumnsOnAHundredColumns) {
    PicturePtr s1 = MakeNoise(100, 3, 1), s2 = MakeNoise(100, 3, 2);
    PicturePtr d = MakePicture(1, 1);
    FoldRight(*s1, *s2, *d, 0.33L); // w = 33
    for (int32_t x = 0; x < 100; ++x) {
        Channels expected = ChannelsAt(*s1, x, 1);
        if (x <= 33) expected = ChannelsAt(*s2, x, 1);
        if (x >= 34 && x <= 66) expected = ChannelsAt(*s1, 66 - x, 1);
        EXPECT_EQ(ChannelsAt(*d, x, 1), expected) << x;
    }
    FoldRight(*s1, *s2, *d, 0.0L);
    for (int32_t x = 0; x < 100; ++x)
        EXPECT_EQ(ChannelsAt(*d, x, 2), ChannelsAt(x == 0 ? *s2 : *s1, x, 2)) << x;
}

TEST(FoldRightTest, WidthFromSourceOneHeightFromSourceTwoAnySizes) {
    PicturePtr s1 = MakeNoise(13, 9, 6);
    for (const Size size : kSecondSizes) {
        for (const long double amount : {0.33L, 0.0L, 0.5L, 0.47L, 0.8L, 1.0L, 3.0L, -0.2L}) {
            SCOPED_TRACE(::testing::Message() << size.width << "x" << size.height << " amount "
                                              << static_cast<double>(amount));
            PicturePtr s2 = Second(size);
            PicturePtr d = MakePattern(3, 50);
            FoldRight(*s1, *s2, *d, amount);
            EXPECT_EQ(d->Width(), 13);
            EXPECT_EQ(d->Height(), size.height);
            if (size.height > 0) {
                EXPECT_TRUE(SamePixels(*d, *WalkFoldRight(*s1, *s2, amount)));
            }
        }
    }
}

// Amounts whose fold lies far beyond the picture write nothing but the plain
// copy (no 32-bit overflow of 2w, no walk over billions of columns).
TEST(FoldRightTest, HugeAmountsLeaveSourceOne) {
    PicturePtr s1 = MakeNoise(13, 9, 6), s2 = MakeNoise(13, 9, 7);
    for (const long double amount : {1e9L, 1e30L, HUGE_VALL, -HUGE_VALL, std::nanl("")}) {
        PicturePtr d = MakePicture(1, 1);
        FoldRight(*s1, *s2, *d, amount);
        PicturePtr expected = CopyOf(*s1);
        if (std::isnan(amount)) expected = WalkFoldRight(*s1, *s2, 0.0L);
        EXPECT_TRUE(SamePixels(*d, *expected)) << static_cast<double>(amount);
    }
}

// --- Grow ---

TEST(GrowTest, PastesTheScaledSecondPictureAtItsCorner) {
    PicturePtr s1 = MakeNoise(300, 200, 1), s2 = MakeNoise(150, 120, 2);
    PicturePtr d = MakePicture(5, 5);
    Grow(*s1, *s2, *d, 0.33L, 10, 10);
    PicturePtr expected = WalkGrow(*s1, *s2, 0.33L, 10, 10); // 99 x 66
    EXPECT_TRUE(SamePixels(*d, *expected));
    // The rest of the destination equals source1; the pasted block does not.
    const std::pair<int32_t, int32_t> outside[] = {{9, 9}, {109, 10}, {10, 76}, {299, 199}};
    for (const auto& [x, y] : outside)
        EXPECT_EQ(ChannelsAt(*d, x, y), ChannelsAt(*s1, x, y)) << x << "," << y;
    EXPECT_NE(ChannelsAt(*d, 10, 10), ChannelsAt(*s1, 10, 10));
    EXPECT_NE(ChannelsAt(*d, 108, 75), ChannelsAt(*s1, 108, 75));
}

TEST(GrowTest, AnySecondSizeOffsetAndAmountStaysInside) {
    PicturePtr s1 = MakeNoise(13, 9, 6);
    const struct {
        long double amount;
        int32_t x, y;
    } cases[] = {{0.33L, 10, 10},
                 {0.5L, 0, 0},
                 {0.5L, -3, -2},
                 {1.0L, -6, 4},
                 {2.0L, 1, 1},
                 {0.5L, 12, 8},
                 {0.5L, 13, 9},
                 {0.5L, -7, 0},
                 {-0.5L, 1, 1},
                 {0.0L, 0, 0},
                 {0.5L, INT32_MIN, INT32_MIN},
                 {0.5L, INT32_MAX, INT32_MAX},
                 {NAN, 0, 0}};
    for (const Size size : kSecondSizes) {
        for (const auto& c : cases) {
            SCOPED_TRACE(::testing::Message()
                         << size.width << "x" << size.height << " amount "
                         << static_cast<double>(c.amount) << " at " << c.x << "," << c.y);
            PicturePtr s2 = Second(size);
            PicturePtr d = MakePattern(2, 7);
            Grow(*s1, *s2, *d, c.amount, c.x, c.y);
            EXPECT_TRUE(SamePixels(*d, *WalkGrow(*s1, *s2, c.amount, c.x, c.y)));
        }
    }
}

TEST(GrowTest, ScaledPictureTooLargeForMemoryFailsCleanly) {
    PicturePtr s1 = MakeNoise(13, 9, 6), s2 = MakeNoise(5, 5, 7);
    PicturePtr d = MakePicture(1, 1);
    EXPECT_THROW(Grow(*s1, *s2, *d, 1e12L, 0, 0), std::bad_alloc);
    EXPECT_TRUE(SamePixels(*d, *s1));
}

// --- Plasma ---

TEST(PlasmaTest, BlueZeroMovesEveryPixelByScaleDownwards) {
    PicturePtr s1 = MakeNoise(20, 30, 1);
    PicturePtr s2 = MakePicture(20, 30, {0, 90, 200});
    PicturePtr d = MakeNoise(20, 30, 3);
    PicturePtr before = CopyOf(*d);
    Plasma(*s1, *s2, *d, 10.0L, 22.0L);
    for (int32_t y = 0; y < 30; ++y)
        for (int32_t x = 0; x < 20; ++x)
            EXPECT_EQ(ChannelsAt(*d, x, y),
                      ChannelsAt(y < 20 ? *s1 : *before, x, y < 20 ? y + 10 : y))
                << x << "," << y;
}

TEST(PlasmaTest, LowTurbulenceAndScaleCountAsTheirMinimum) {
    PicturePtr s1 = MakeNoise(40, 30, 1), s2 = MakeNoise(40, 30, 2);
    PicturePtr low = CopyOf(*s1), ten = CopyOf(*s1);
    Plasma(*s1, *s2, *low, 2.0L, 3.0L);
    Plasma(*s1, *s2, *ten, 5.0L, 10.0L);
    EXPECT_TRUE(SamePixels(*low, *ten));
}

// Source1 sets the walk; only pixels both source2 and the destination have
// are written (a larger source1 than the destination is the desktop
// program's case of a second file bigger than the working picture).
TEST(PlasmaTest, AnySizesReadAndWriteOnlyInside) {
    const Size sizes[] = {{13, 9}, {5, 4}, {20, 15}, {4, 30}, {30, 3}, {1, 1}, {0, 0}};
    for (const Size first : sizes) {
        for (const Size second : sizes) {
            for (const Size target : {Size{13, 9}, Size{1, 1}, Size{0, 0}}) {
                SCOPED_TRACE(::testing::Message()
                             << first.width << "x" << first.height << ", " << second.width << "x"
                             << second.height << ", " << target.width << "x" << target.height);
                PicturePtr s1 = Second(first);
                PicturePtr s2 =
                    MakePictureFrom(second.width, second.height, [](int32_t x, int32_t y, int32_t) {
                        return static_cast<uint8_t>(x * 40 + y * 9);
                    });
                PicturePtr d = target.width > 0 ? MakePattern(target.width, target.height)
                                                : PicturePtr(bitmap::NewPixelBitmap(0, 0));
                PicturePtr expected = WalkPlasma(*s1, *s2, *d, 10.0L, 22.0L);
                Plasma(*s1, *s2, *d, 10.0L, 22.0L);
                EXPECT_EQ(d->Width(), target.width);
                EXPECT_EQ(d->Height(), target.height);
                if (!d->Empty()) {
                    EXPECT_TRUE(SamePixels(*d, *expected));
                }
            }
        }
    }
}

// Values that are not finite never turn into positions outside a picture.
TEST(PlasmaTest, NonFiniteValuesStayInside) {
    PicturePtr s1 = MakeNoise(16, 12, 1), s2 = MakeNoise(16, 12, 2);
    const long double values[] = {NAN, INFINITY, -INFINITY, 1e30L, -1e30L, 10.0L};
    for (const long double scale : values) {
        for (const long double turbulence : values) {
            PicturePtr d = MakeNoise(16, 12, 3);
            PicturePtr expected = WalkPlasma(*s1, *s2, *d, scale, turbulence);
            Plasma(*s1, *s2, *d, scale, turbulence);
            EXPECT_TRUE(SamePixels(*d, *expected))
                << static_cast<double>(scale) << " " << static_cast<double>(turbulence);
        }
    }
    // NaN turbulence gives NaN angles, whose sine and cosine count as 0: no move.
    PicturePtr d = MakeNoise(16, 12, 3);
    Plasma(*s1, *s2, *d, 10.0L, NAN);
    EXPECT_TRUE(SamePixels(*d, *s1));
}

// --- All four ---

// One picture in two or three places reads as if each source were a copy
// taken before the call.
TEST(CompositionTest, OnePictureInSeveralPlacesReadsItsFormerPixels) {
    PicturePtr original = MakeNoise(21, 14, 1);
    PicturePtr other = MakeNoise(17, 19, 2);
    using Run = void (*)(PixelBitmap&, PixelBitmap&, PixelBitmap&);
    const Run runs[] = {
        [](PixelBitmap& a, PixelBitmap& b, PixelBitmap& d) { Blend(a, b, d, 0.333L); },
        [](PixelBitmap& a, PixelBitmap& b, PixelBitmap& d) { FoldRight(a, b, d, 0.33L); },
        [](PixelBitmap& a, PixelBitmap& b, PixelBitmap& d) { Grow(a, b, d, 0.33L, 2, 3); },
        [](PixelBitmap& a, PixelBitmap& b, PixelBitmap& d) { Plasma(a, b, d, 10.0L, 22.0L); },
    };
    for (size_t i = 0; i < std::size(runs); ++i) {
        SCOPED_TRACE(i);
        // (picture, other, picture), (other, picture, picture), (picture x 3).
        PicturePtr expected = CopyOf(*original);
        PicturePtr copy = CopyOf(*original);
        runs[i](*copy, *other, *expected);
        PicturePtr same = CopyOf(*original);
        runs[i](*same, *other, *same);
        EXPECT_TRUE(SamePixels(*same, *expected));

        expected = CopyOf(*original);
        copy = CopyOf(*original);
        runs[i](*other, *copy, *expected);
        same = CopyOf(*original);
        runs[i](*other, *same, *same);
        EXPECT_TRUE(SamePixels(*same, *expected));

        expected = CopyOf(*original);
        PicturePtr copy1 = CopyOf(*original);
        copy = CopyOf(*original);
        runs[i](*copy1, *copy, *expected);
        same = CopyOf(*original);
        runs[i](*same, *same, *same);
        EXPECT_TRUE(SamePixels(*same, *expected));
    }
}

// A second file of another layout is converted before its rows are read.
TEST(CompositionTest, SecondPicturesOfOtherLayoutsAreConverted) {
    PicturePtr s1 = MakeNoise(13, 9, 1);
    PicturePtr s2 = MakeNoise(11, 7, 2);
    PicturePtr narrow = CopyOf(*s2);
    narrow->SetLayout(BitmapLayout::Bits32);
    PicturePtr a = MakePicture(1, 1), b = MakePicture(1, 1);
    Blend(*s1, *s2, *a, 0.333L);
    Blend(*s1, *narrow, *b, 0.333L);
    EXPECT_TRUE(SamePixels(*a, *b));
    narrow = CopyOf(*s2);
    narrow->SetLayout(BitmapLayout::Bits32);
    PicturePtr c = CopyOf(*s1), e = CopyOf(*s1);
    Plasma(*s2, *s1, *c, 10.0L, 22.0L);
    Plasma(*narrow, *s1, *e, 10.0L, 22.0L);
    EXPECT_TRUE(SamePixels(*c, *e));
}

} // namespace
} // namespace gleamkit::fx
