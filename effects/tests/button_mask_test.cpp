#include "effects/button_mask.h"

#include <gtest/gtest.h>

#include <climits>
#include <string>
#include <vector>

#include "base/error.h"
#include "bitmap/canvas.h"
#include "bitmap/draw_tool.h"
#include "effects/effect_common.h"
#include "effects/noise_tone.h"
#include "effects/registry.h"
#include "effects/tests/golden.h"
#include "effects/tests/test_pictures.h"

namespace gleamkit::fx {
namespace {

using bitmap::Bgr24;
using bitmap::BitmapLayout;
using testing::ChannelsAt;
using testing::CheckGolden;
using testing::CopyOf;
using testing::MakePattern;
using testing::MakePicture;
using testing::MakePictureFrom;
using testing::PicturePtr;
using testing::SamePixels;

// A soft deterministic picture on which shading and smoothing show clearly.
PicturePtr Softly(int32_t width, int32_t height) {
    return MakePictureFrom(width, height, [&](int32_t x, int32_t y, int32_t c) -> uint8_t {
        if (c == 0) return static_cast<uint8_t>(60 + 120 * x / width);
        if (c == 1) return static_cast<uint8_t>(60 + 120 * y / height);
        return static_cast<uint8_t>(((x / 8 + y / 8) % 2) != 0 ? 170 : 110);
    });
}

TEST(ShadingRules, FollowTheIntegerFormulas) {
    EXPECT_EQ(Lighten(200, 100), 221);
    EXPECT_EQ(Darken(200, 100), 122);
    EXPECT_EQ(Lighten(0, 255), 255);
    EXPECT_EQ(Darken(255, 255), 0);
    EXPECT_EQ(Lighten(10, -300), 0); // 10 + (245 * -300) div 255 = -278, clamped
    EXPECT_EQ(Darken(10, -300), 21); // 10 - (-3000 div 255) = 10 + 11
    EXPECT_EQ(Lighten(10, 1000), 255);
    // 32-bit products wrap: 255 * 2^24 is -2^24 as a signed 32-bit value.
    EXPECT_EQ(Lighten(0, 1 << 24), 0);
    EXPECT_EQ(Darken(255, 1 << 24), 255);
}

// Button as its steps read, on a copy held as a plain pixel list; a pixel
// outside the picture is left alone (the reference for oversized borders).
std::vector<Bgr24> ReferenceButton(bitmap::PixelBitmap& picture, int32_t border, int32_t amount) {
    const int32_t w = picture.Width(), h = picture.Height();
    std::vector<Bgr24> p;
    for (int32_t y = 0; y < h; ++y)
        for (int32_t x = 0; x < w; ++x) p.push_back(picture.Row24(y)[x]);
    auto shade = [&](int32_t x, int32_t y, bool lighten) {
        if (x < 0 || x >= w || y < 0 || y >= h) return;
        Bgr24& px = p[static_cast<size_t>(y) * w + x];
        for (uint8_t* c : {&px.Blue, &px.Green, &px.Red})
            *c = lighten ? Lighten(*c, amount) : Darken(*c, amount);
    };
    if (border == 0) return p;
    for (int32_t i = 0; i <= border; ++i) {
        for (int32_t x = i; x <= w - 1 - i; ++x) {
            shade(x, i, true);
            shade(x, h - 1 - i, false);
        }
        for (int32_t j = 0; j <= i; ++j) {
            shade(j, i, true);
            shade(w - 1 - j, i, false);
            shade(j, h - 1 - i, true);
            shade(w - 1 - j, h - 1 - i, false);
        }
    }
    for (int32_t y = border + 1; y <= h - 2 - border; ++y) {
        for (int32_t j = 0; j <= border; ++j) {
            shade(j, y, true);
            shade(w - 1 - j, y, false);
        }
    }
    return p;
}

TEST(Button, MatchesItsStepsOnEverySizeAndBorder) {
    const std::pair<int32_t, int32_t> sizes[] = {{1, 1}, {2, 2},  {3, 3},  {5, 4},
                                                 {4, 5}, {13, 9}, {40, 31}};
    for (const auto& [w, h] : sizes) {
        for (const int32_t border : {0, 1, 2, 3, 10, 255}) {
            SCOPED_TRACE(std::to_string(w) + "x" + std::to_string(h) + " border " +
                         std::to_string(border));
            PicturePtr picture = MakePattern(w, h);
            const std::vector<Bgr24> expected = ReferenceButton(*picture, border, 100);
            Button(*picture, static_cast<uint8_t>(border), 100);
            for (int32_t y = 0; y < h; ++y) {
                for (int32_t x = 0; x < w; ++x) {
                    const Bgr24 e = expected[static_cast<size_t>(y) * w + x];
                    ASSERT_EQ(ChannelsAt(*picture, x, y),
                              (testing::Channels{e.Blue, e.Green, e.Red}))
                        << "(" << x << ", " << y << ")";
                }
            }
        }
    }
}

TEST(Button, ShadesTheEdgesWithMitredCornersAndLeavesTheInside) {
    const Bgr24 grey{200, 200, 200};
    PicturePtr picture = MakePicture(30, 25, grey);
    Button(*picture, 10, 100);
    auto grey3 = [](int v) { return testing::Channels{v, v, v}; };
    const testing::Channels once = grey3(221), dark = grey3(122);
    // Top row: all lightened, pixel 0 twice, pixel W-1 lightened then darkened.
    EXPECT_EQ(ChannelsAt(*picture, 0, 0), grey3(Lighten(221, 100)));
    EXPECT_EQ(ChannelsAt(*picture, 15, 0), once);
    EXPECT_EQ(ChannelsAt(*picture, 29, 0), grey3(Darken(221, 100)));
    // Bottom row: all darkened, pixel W-1 twice, pixel 0 darkened then lightened.
    EXPECT_EQ(ChannelsAt(*picture, 29, 24), grey3(Darken(122, 100)));
    EXPECT_EQ(ChannelsAt(*picture, 15, 24), dark);
    EXPECT_EQ(ChannelsAt(*picture, 0, 24), grey3(Lighten(122, 100)));
    // The side bands of the middle rows, and the untouched inside.
    EXPECT_EQ(ChannelsAt(*picture, 10, 12), once);
    EXPECT_EQ(ChannelsAt(*picture, 19, 12), dark);
    for (int32_t y = 11; y <= 13; ++y)
        for (int32_t x = 11; x <= 18; ++x) EXPECT_EQ(ChannelsAt(*picture, x, y), grey3(200));
}

TEST(Button, ConvertsOtherLayoutsFirst) {
    PicturePtr picture = MakePattern(12, 10);
    picture->SetLayout(BitmapLayout::Bits16);
    Button(*picture, 0, 100);
    EXPECT_EQ(picture->Layout(), BitmapLayout::Bits24);
}

TEST(OvalButton, BorderZeroIsRefusedBeforeAnythingChanges) {
    PicturePtr picture = MakePattern(20, 16);
    picture->SetLayout(BitmapLayout::Bits16);
    EXPECT_THROW(OvalButton(*picture, 0, 100, 1), Error);
    EXPECT_EQ(picture->Layout(), BitmapLayout::Bits16);
}

// The four-neighbour smoothing, in place, of every inner pixel.
void ReferenceSmooth(bitmap::PixelBitmap& picture) {
    for (int32_t y = 1; y + 1 < picture.Height(); ++y) {
        for (int32_t x = 1; x + 1 < picture.Width(); ++x) {
            for (int32_t c = 0; c < 3; ++c) {
                uint8_t* here = picture.ScanLine(y) + 3 * x + c;
                *here = static_cast<uint8_t>((picture.ScanLine(y - 1)[3 * x + c] +
                                              picture.ScanLine(y + 1)[3 * x + c] + here[-3] +
                                              here[3]) >>
                                             2);
            }
        }
    }
}

// OvalButton as its steps read: the ring mask drawn with the canvas, one
// shading pass with the strength worked out per pixel, then the smoothing.
PicturePtr ReferenceOvalButton(bitmap::PixelBitmap& source, int32_t border, int32_t amount,
                               int32_t style) {
    const int32_t w = source.Width(), h = source.Height();
    PicturePtr mask = MakePicture(w, h);
    bitmap::Canvas* canvas = mask->Canvas();
    canvas->Brush()->SetColor(0x00FFFFFF);
    canvas->FillRect(MakeRect(0, 0, w, h));
    canvas->Pen()->SetPenWidth(1);
    auto ring = [&](int32_t i, int32_t greenA, int32_t greenB, int32_t blue) {
        canvas->Pen()->SetColor(MakeColor(0, greenA, blue % 256));
        canvas->Arc(i, i, w - i, h - i, 0, h, w, 0);
        canvas->Pen()->SetColor(MakeColor(0, greenB, blue % 256));
        canvas->Arc(i, i, w - i, h - i, w, 0, 0, h);
    };
    for (int32_t i = 0; i < border; ++i) {
        if (style == 0) ring(i, 2, 1, i);
        if (style == 1 || style == 2) ring(i, 1, 2, border - 1 - i);
    }
    if (style == 2)
        for (int32_t i = border; i < 2 * border; ++i) ring(i, 2, 1, i);
    PicturePtr picture = CopyOf(source);
    for (int32_t y = 0; y < h; ++y) {
        for (int32_t x = 0; x < w; ++x) {
            const Bgr24 m = mask->Row24(y)[x];
            const long double a = static_cast<long double>(m.Blue) / border * amount;
            const int32_t strength = Trunc(a); // saturates past the 32-bit range
            Bgr24& p = picture->Row24(y)[x];
            for (uint8_t* c : {&p.Blue, &p.Green, &p.Red}) {
                if (m.Green == 2) *c = Lighten(*c, strength);
                if (m.Green == 1) *c = Darken(*c, strength);
            }
        }
    }
    ReferenceSmooth(*picture);
    return picture;
}

// Style 3 draws no rings and only smooths; border 255 is far too large for
// every size here.
TEST(OvalButton, MatchesItsStepsOnEverySizeAndStyle) {
    const std::pair<int32_t, int32_t> sizes[] = {{1, 1},   {2, 2},   {3, 3},  {5, 4},
                                                 {23, 17}, {40, 12}, {64, 48}};
    for (const auto& [w, h] : sizes) {
        for (const int32_t style : {0, 1, 2, 3}) {
            for (const auto& [border, amount] :
                 {std::pair{1, 100}, std::pair{3, -77}, std::pair{10, 100}, std::pair{255, 300},
                  std::pair{1, INT32_MAX}}) {
                PicturePtr source = testing::MakeNoise(w, h, static_cast<uint32_t>(border));
                PicturePtr expected = ReferenceOvalButton(*source, border, amount, style);
                OvalButton(*source, static_cast<uint8_t>(border), amount,
                           static_cast<uint8_t>(style));
                EXPECT_TRUE(SamePixels(*source, *expected))
                    << w << "x" << h << " style " << style << " border " << border;
            }
        }
    }
}

TEST(OvalButton, RingsShadeTheHalvesAsTheStyleSays) {
    // A flat grey picture: only the shading differs from the smoothing, so
    // the outer ring's upper-left pixel tells lightened from darkened. Style
    // 0 darkens the upper-left, styles 1 and 2 lighten it.
    const Bgr24 grey{128, 128, 128};
    for (const uint8_t style : {0, 1, 2}) {
        PicturePtr picture = MakePicture(41, 41, grey);
        OvalButton(*picture, 10, 100, style);
        const uint8_t topMiddle = picture->Row24(1)[20].Blue; // smoothed ring pixel
        const uint8_t bottomMiddle = picture->Row24(39)[20].Blue;
        if (style == 0) {
            EXPECT_LT(topMiddle, 128);
            EXPECT_GT(bottomMiddle, 128);
        } else {
            EXPECT_GT(topMiddle, 128);
            EXPECT_LT(bottomMiddle, 128);
        }
    }
}

TEST(OvalButton, GoldenStyles) {
    const char* names[] = {"oval_button_rimmed", "oval_button_round", "oval_button_double_round"};
    for (uint8_t style = 0; style < 3; ++style) {
        PicturePtr picture = Softly(64, 48);
        OvalButton(*picture, 10, 100, style);
        EXPECT_TRUE(CheckGolden(*picture, names[style]));
    }
}

TEST(MaskOval, KeepsTheInscribedDiscOfASquare) {
    PicturePtr picture = MakePattern(40, 40);
    PicturePtr before = CopyOf(*picture);
    MaskOval(*picture, 0x00FFFFFF);
    const testing::Channels white{255, 255, 255};
    for (const auto& [x, y] :
         {std::pair{0, 0}, std::pair{39, 0}, std::pair{0, 39}, std::pair{39, 39}, std::pair{3, 3}})
        EXPECT_EQ(ChannelsAt(*picture, x, y), white) << x << ", " << y;
    // The disc, its outline included (the touching points of the four sides).
    for (const auto& [x, y] : {std::pair{20, 20}, std::pair{20, 0}, std::pair{0, 20},
                               std::pair{39, 19}, std::pair{19, 39}, std::pair{8, 8}})
        EXPECT_EQ(ChannelsAt(*picture, x, y), ChannelsAt(*before, x, y)) << x << ", " << y;
}

TEST(MaskOval, PaintsInTheColoursOrder) {
    PicturePtr picture = MakePicture(9, 9, {50, 50, 50});
    MaskOval(*picture, MakeColor(10, 20, 30)); // red 10, green 20, blue 30
    EXPECT_EQ(ChannelsAt(*picture, 0, 0), (testing::Channels{30, 20, 10}));
    EXPECT_EQ(ChannelsAt(*picture, 4, 4), (testing::Channels{50, 50, 50}));
}

TEST(MaskOval, Golden) {
    PicturePtr picture = Softly(64, 48);
    MaskOval(*picture, 0x00FFFFFF);
    EXPECT_TRUE(CheckGolden(*picture, "mask_oval"));
}

TEST(SpotLight, WholeAreaKeepsTheEllipseAndBlacksTheCorners) {
    PicturePtr picture = MakePattern(40, 30);
    PicturePtr darkened = CopyOf(*picture);
    Darkness(*darkened, -50);
    SpotLight(*picture, -50, MakeRect(0, 0, 40, 30));
    const testing::Channels black{0, 0, 0};
    for (const auto& [x, y] :
         {std::pair{0, 0}, std::pair{39, 0}, std::pair{0, 29}, std::pair{39, 29}})
        EXPECT_EQ(ChannelsAt(*picture, x, y), black) << x << ", " << y;
    // The outline is drawn with the black pen; just inside it the picture
    // keeps Darkness's result.
    EXPECT_EQ(ChannelsAt(*picture, 20, 0), black);
    for (const auto& [x, y] :
         {std::pair{20, 15}, std::pair{20, 1}, std::pair{1, 15}, std::pair{10, 8}})
        EXPECT_EQ(ChannelsAt(*picture, x, y), ChannelsAt(*darkened, x, y)) << x << ", " << y;
}

// The spot as the drawing layer composes it: Darkness, then a device mask
// (black, a white ellipse with the default black pen) drawn keyed on white.
PicturePtr KeyedSpot(bitmap::PixelBitmap& source, int32_t amount, const Rect& area) {
    PicturePtr picture = CopyOf(source);
    Darkness(*picture, amount);
    PicturePtr mask(bitmap::NewPixelBitmap(picture->Width(), picture->Height()));
    bitmap::Canvas* maskCanvas = mask->Canvas();
    maskCanvas->Brush()->SetColor(0);
    maskCanvas->FillRect(MakeRect(0, 0, picture->Width(), picture->Height()));
    maskCanvas->Brush()->SetColor(0x00FFFFFF);
    maskCanvas->Ellipse(area.Left, area.Top, area.Right, area.Bottom);
    mask->DrawKeyed(picture->Canvas()->Handle(), 0, 0, 0x00FFFFFF);
    return picture;
}

// Areas inside, across and wholly outside the picture, inverted, empty, and
// near or past the drawing layer's coordinate range.
TEST(SpotLight, EqualsTheKeyedDrawOfAWholePictureMask) {
    const Rect areas[] = {
        MakeRect(0, 0, 31, 23),  MakeRect(7, 5, 15, 11),     MakeRect(-9, -4, 12, 30),
        MakeRect(20, 3, 60, 18), MakeRect(25, 20, 4, 2),     MakeRect(-50, -50, 100, 100),
        MakeRect(3, 3, 4, 4),    MakeRect(5, 5, 5, 9),       MakeRect(30, 22, 31, 23),
        MakeRect(-3, 10, 1, 14), MakeRect(0, 0, 1 << 27, 9), MakeRect(-(1 << 29), 0, 1 << 29, 23)};
    for (const auto& [w, h] : {std::pair{31, 23}, std::pair{1, 1}, std::pair{2, 3}}) {
        for (const Rect& area : areas) {
            PicturePtr source = MakePattern(w, h);
            PicturePtr expected = KeyedSpot(*source, -50, area);
            PicturePtr picture = CopyOf(*source);
            SpotLight(*picture, -50, area);
            EXPECT_TRUE(SamePixels(*picture, *expected))
                << w << "x" << h << " area " << area.Left << " " << area.Top << " " << area.Right
                << " " << area.Bottom;
        }
    }
}

TEST(SpotLight, TheProgramsAreaComesFromThePictureSize) {
    const Operation* operation = FindOperation("SpotLight");
    ASSERT_NE(operation, nullptr);
    PicturePtr picture = MakePattern(101, 62);
    std::vector<ArgValue> args;
    ASSERT_TRUE(ProgramArgs(*operation, *picture, args));
    EXPECT_EQ(args[0].i, -50);
    EXPECT_EQ(args[1].rect, MakeRect(25, 15, 50, 31));
}

TEST(SpotLight, GoldenWithTheProgramsArea) {
    PicturePtr picture = Softly(64, 48);
    SpotLight(*picture, -50, MakeRect(64 / 4, 48 / 4, 64 / 2, 48 / 2));
    EXPECT_TRUE(CheckGolden(*picture, "spot_light"));
    PicturePtr whole = Softly(64, 48);
    SpotLight(*whole, 50, MakeRect(0, 0, 64, 48));
    EXPECT_TRUE(CheckGolden(*whole, "spot_light_whole"));
}

} // namespace
} // namespace gleamkit::fx
