// Button, OvalButton, MaskOval and SpotLight. Button walks only its bands.
// The elliptical effects leave the shapes to the canvas (rings, an ellipse)
// on a mask (the picture's size; for SpotLight only the part of the area
// inside the picture) and then make one integer pass over the picture,
// reading the mask beside it.
#include "effects/button_mask.h"

#include <cstring>
#include <string>

#include "base/error.h"
#include "bitmap/canvas.h"
#include "bitmap/draw_tool.h"
#include "effects/effect_common.h"
#include "effects/families.h"
#include "effects/noise_tone.h"

namespace gleamkit::fx {

namespace {

constexpr Color kWhite = 0x00FFFFFF;
constexpr Color kBlack = 0;
constexpr Color kPureRed = 0x000000FF;
// The platform's solid pen style.
constexpr int kSolidPenStyle = 0;

// Masks are drawn in 32-bit rows, the drawing layer's own pixel format, so
// no drawing call converts pixels; the shapes and the pure colours drawn are
// the same in any layout. The fourth byte is not looked at.
struct MaskPixel {
    uint8_t Blue;
    uint8_t Green;
    uint8_t Red;
    uint8_t Unused;
};
static_assert(sizeof(MaskPixel) == 4);

// Gives the scratch mask 32-bit rows; false when they cannot be had.
bool MakeMaskRows(ScratchPicture& mask) {
    mask->SetLayout(BitmapLayout::Bits32);
    return mask->Layout() == BitmapLayout::Bits32;
}

const MaskPixel* MaskRow(PixelBitmap& mask, int32_t y) {
    return reinterpret_cast<const MaskPixel*>(mask.ScanLine(y));
}

// The mask's green marks a ring pixel to lighten (2) or to darken (1); its
// blue holds the ring's strength index.
constexpr uint8_t kLightenMark = 2;
constexpr uint8_t kDarkenMark = 1;

void LightenPixel(Bgr24& pixel, int32_t strength) {
    pixel.Blue = Lighten(pixel.Blue, strength);
    pixel.Green = Lighten(pixel.Green, strength);
    pixel.Red = Lighten(pixel.Red, strength);
}

void DarkenPixel(Bgr24& pixel, int32_t strength) {
    pixel.Blue = Darken(pixel.Blue, strength);
    pixel.Green = Darken(pixel.Green, strength);
    pixel.Red = Darken(pixel.Red, strength);
}

// One row of the top or bottom band: the run x = i ... W-1-i, then the
// mitred corners j = 0 ... i. Corner columns j and W-1-j both exist exactly
// when j < W, so a band wider than the picture stops at its last column.
void ButtonBandRow(Bgr24* top, Bgr24* bottom, int32_t width, int32_t i, int32_t amount) {
    for (int32_t x = i; x <= width - 1 - i; ++x) {
        LightenPixel(top[x], amount);
        DarkenPixel(bottom[x], amount);
    }
    const int32_t lastCorner = Min(i, width - 1);
    for (int32_t j = 0; j <= lastCorner; ++j) {
        LightenPixel(top[j], amount);
        DarkenPixel(top[width - 1 - j], amount);
        LightenPixel(bottom[j], amount);
        DarkenPixel(bottom[width - 1 - j], amount);
    }
}

// The pen colour (red 0, green `mark`, blue `index`) of one ring half.
Color RingColor(uint8_t mark, int32_t index) {
    return MakeColor(0, mark, static_cast<uint8_t>(index & 0xFF));
}

// Two half arcs of the ellipse bounded by (i, i, W-i, H-i): A runs from the
// direction of (0, H) to that of (W, 0), the lower-right half; B the other
// way round, the upper-left half.
void DrawRing(bitmap::Canvas& canvas, int32_t width, int32_t height, int32_t i, Color colorA,
              Color colorB) {
    canvas.Pen()->SetColor(colorA);
    canvas.Arc(i, i, width - i, height - i, 0, height, width, 0);
    canvas.Pen()->SetColor(colorB);
    canvas.Arc(i, i, width - i, height - i, width, 0, 0, height);
}

// The ring mask: white, with every ring pixel in its ring's colour. False
// when the mask has no canvas to draw on (its pixels are then undefined).
bool DrawRings(PixelBitmap& mask, int32_t border, uint8_t style) {
    bitmap::Canvas* canvas = mask.Canvas();
    if (canvas == nullptr) return false;
    const int32_t width = mask.Width();
    const int32_t height = mask.Height();
    canvas->Brush()->SetColor(kWhite);
    canvas->FillRect(MakeRect(0, 0, width, height));
    canvas->Pen()->SetPenWidth(1);
    canvas->Pen()->SetPenStyle(kSolidPenStyle);
    for (int32_t i = 0; i < border; ++i) {
        if (style == 0) {
            DrawRing(*canvas, width, height, i, RingColor(kLightenMark, i),
                     RingColor(kDarkenMark, i));
        } else if (style == 1 || style == 2) {
            DrawRing(*canvas, width, height, i, RingColor(kDarkenMark, border - 1 - i),
                     RingColor(kLightenMark, border - 1 - i));
        }
    }
    if (style != 2) return true;
    for (int32_t i = border; i < 2 * border; ++i)
        DrawRing(*canvas, width, height, i, RingColor(kLightenMark, i), RingColor(kDarkenMark, i));
    return true;
}

// True when the eight mask pixels from `pixels` on are all white (no ring).
bool EightWhite(const MaskPixel* pixels) {
    constexpr uint64_t kColourBytes = 0x00FFFFFF00FFFFFFull;
    uint64_t words[4];
    std::memcpy(words, pixels, sizeof words);
    return (words[0] & words[1] & words[2] & words[3] & kColourBytes) == kColourBytes;
}

void ShadeRow(Bgr24* row, const MaskPixel* maskRow, int32_t width, const int32_t (&strength)[256]) {
    for (int32_t x = 0; x < width; ++x) {
        // Rings are thin: most of the mask is white and skipped eight at a time.
        if ((x & 7) == 0 && x + 8 <= width && EightWhite(maskRow + x)) {
            x += 7;
            continue;
        }
        const MaskPixel mark = maskRow[x];
        if (mark.Green == kLightenMark) {
            LightenPixel(row[x], strength[mark.Blue]);
        } else if (mark.Green == kDarkenMark) {
            DarkenPixel(row[x], strength[mark.Blue]);
        }
    }
}

// Each inner pixel whose mask green is not 0 becomes the sum of its four
// neighbours shr 2, in place: the left neighbour already holds its new value
// when pixel x is reached, and `above` is the row smoothed before.
void SmoothRow(const Bgr24* above, Bgr24* row, const Bgr24* below, const MaskPixel* maskRow,
               int32_t width) {
    // The left neighbour's new value stays in registers instead of being read
    // back from the row just written.
    int32_t leftBlue = row[0].Blue, leftGreen = row[0].Green, leftRed = row[0].Red;
    for (int32_t x = 1; x < width - 1; ++x) {
        if (maskRow[x].Green != 0) {
            const Bgr24 right = row[x + 1];
            leftBlue = (above[x].Blue + below[x].Blue + leftBlue + right.Blue) >> 2;
            leftGreen = (above[x].Green + below[x].Green + leftGreen + right.Green) >> 2;
            leftRed = (above[x].Red + below[x].Red + leftRed + right.Red) >> 2;
            row[x] = Bgr24{static_cast<uint8_t>(leftBlue), static_cast<uint8_t>(leftGreen),
                           static_cast<uint8_t>(leftRed)};
        } else {
            leftBlue = row[x].Blue;
            leftGreen = row[x].Green;
            leftRed = row[x].Red;
        }
    }
}

// Shading and smoothing in one walk: row y+1 is shaded before row y is
// smoothed, which is all the smoothing of row y reads from below, so the
// result equals a full shading pass followed by a full smoothing pass.
void ShadeAndSmooth(PixelBitmap& picture, PixelBitmap& mask, int32_t border, int32_t amount) {
    // The strength depends on the mask's blue only: one extended-precision
    // division and multiplication per possible value, not per pixel.
    int32_t strength[256];
    for (int32_t blue = 0; blue < 256; ++blue) {
        strength[blue] = Trunc(static_cast<long double>(blue) / static_cast<long double>(border) *
                               static_cast<long double>(amount));
    }
    const int32_t width = picture.Width();
    const int32_t height = picture.Height();
    ShadeRow(picture.Row24(0), MaskRow(mask, 0), width, strength);
    for (int32_t y = 0; y < height; ++y) {
        if (y + 1 < height) ShadeRow(picture.Row24(y + 1), MaskRow(mask, y + 1), width, strength);
        if (y >= 1 && y + 1 < height)
            SmoothRow(picture.Row24(y - 1), picture.Row24(y), picture.Row24(y + 1),
                      MaskRow(mask, y), width);
    }
}

bool IsWhite(const MaskPixel& pixel) {
    return pixel.Blue == 255 && pixel.Green == 255 && pixel.Red == 255;
}

// The spot mask is drawn over the area's part inside the picture, shifted by
// that part's corner; shapes do not depend on where their box lies, but the
// platform refuses boxes past its coordinate range, so an area near that
// range keeps the whole-picture mask at its own coordinates.
constexpr int32_t kSmallMaskLimit = 1 << 26;

bool FitsSmallMask(const Rect& area) {
    for (const int32_t v : {area.Left, area.Top, area.Right, area.Bottom})
        if (v < -kSmallMaskLimit || v > kSmallMaskLimit) return false;
    return true;
}

// The spot as the drawing layer composes it: a device-dependent mask, black
// with a white ellipse, drawn onto the picture with white transparent, so
// that whatever is not white turns the picture black.
void KeyedSpotMask(PixelBitmap& picture, const Rect& ellipse) {
    ScratchPicture mask(picture.Width(), picture.Height());
    bitmap::Canvas* maskCanvas = mask->Canvas();
    if (maskCanvas == nullptr) return;
    maskCanvas->Brush()->SetColor(kBlack);
    maskCanvas->FillRect(MakeRect(0, 0, picture.Width(), picture.Height()));
    maskCanvas->Brush()->SetColor(kWhite);
    maskCanvas->Ellipse(ellipse.Left, ellipse.Top, ellipse.Right, ellipse.Bottom);
    bitmap::Canvas* canvas = picture.Canvas();
    if (canvas == nullptr) return;
    mask->DrawKeyed(canvas->Handle(), 0, 0, kWhite);
}

} // namespace

uint8_t Lighten(uint8_t v, int32_t strength) {
    const auto product =
        static_cast<int32_t>(static_cast<uint32_t>(255 - v) * static_cast<uint32_t>(strength));
    return static_cast<uint8_t>(ClampToByte(v + product / 255));
}

uint8_t Darken(uint8_t v, int32_t strength) {
    const auto product =
        static_cast<int32_t>(static_cast<uint32_t>(v) * static_cast<uint32_t>(strength));
    return static_cast<uint8_t>(ClampToByte(v - product / 255));
}

void Button(PixelBitmap& picture, uint8_t border, int32_t amount) {
    if (!PrepareRows(picture) || border == 0) return;
    const int32_t width = picture.Width();
    const int32_t height = picture.Height();
    // Rows i and H-1-i both exist exactly when i < H.
    const int32_t lastBandRow = Min(border, height - 1);
    for (int32_t i = 0; i <= lastBandRow; ++i)
        ButtonBandRow(picture.Row24(i), picture.Row24(height - 1 - i), width, i, amount);
    const int32_t lastColumn = Min(border, width - 1);
    for (int32_t y = border + 1; y <= height - 2 - border; ++y) {
        Bgr24* row = picture.Row24(y);
        for (int32_t j = 0; j <= lastColumn; ++j) {
            LightenPixel(row[j], amount);
            DarkenPixel(row[width - 1 - j], amount);
        }
    }
}

void OvalButton(PixelBitmap& picture, uint8_t border, int32_t amount, uint8_t style) {
    // Every ring's strength is divided by the border; refuse a zero border
    // before anything changes rather than divide by it.
    if (border == 0) throw Error("OvalButton border must be at least 1");
    if (picture.Empty()) return;
    ScratchPicture mask(picture.Width(), picture.Height());
    if (!MakeMaskRows(mask) || !DrawRings(*mask, border, style)) return;
    if (!PrepareRows(picture)) return;
    ShadeAndSmooth(picture, *mask, border, amount);
}

void MaskOval(PixelBitmap& picture, Color color) {
    const Color rgb = ResolveColor(color);
    const Bgr24 paint{static_cast<uint8_t>((rgb >> 16) & 0xFF),
                      static_cast<uint8_t>((rgb >> 8) & 0xFF), static_cast<uint8_t>(rgb & 0xFF)};
    if (picture.Empty()) return;
    const int32_t width = picture.Width();
    const int32_t height = picture.Height();
    ScratchPicture mask(width, height);
    if (!MakeMaskRows(mask)) return;
    bitmap::Canvas* canvas = mask->Canvas();
    if (canvas == nullptr) return;
    canvas->Brush()->SetColor(kBlack);
    canvas->FillRect(MakeRect(0, 0, width, height));
    canvas->Pen()->SetColor(kPureRed);
    canvas->Brush()->SetColor(kPureRed);
    canvas->Ellipse(0, 0, width, height);
    if (!PrepareRows(picture)) return;
    for (int32_t y = 0; y < height; ++y) {
        Bgr24* row = picture.Row24(y);
        const MaskPixel* maskRow = MaskRow(*mask, y);
        for (int32_t x = 0; x < width; ++x)
            if (maskRow[x].Red == 0) row[x] = paint;
    }
}

void SpotLight(PixelBitmap& picture, int32_t amount, const Rect& area) {
    const Rect ellipse = area;
    Darkness(picture, amount);
    if (picture.Empty()) return;
    if (!FitsSmallMask(ellipse)) {
        KeyedSpotMask(picture, ellipse);
        return;
    }
    // Only the part of the area inside the picture can keep pixels: the mask
    // covers that part alone, with the ellipse drawn shifted by its corner.
    const int32_t width = picture.Width();
    const int32_t height = picture.Height();
    const Rect clip =
        MakeRect(Max(0, Min(ellipse.Left, ellipse.Right)), Max(0, Min(ellipse.Top, ellipse.Bottom)),
                 Min(width, Max(ellipse.Left, ellipse.Right)),
                 Min(height, Max(ellipse.Top, ellipse.Bottom)));
    const bool hit = clip.Left < clip.Right && clip.Top < clip.Bottom;
    ScratchPicture mask(hit ? clip.Right - clip.Left : 0, hit ? clip.Bottom - clip.Top : 0);
    if (hit) {
        if (!MakeMaskRows(mask)) return;
        bitmap::Canvas* canvas = mask->Canvas();
        if (canvas == nullptr) return;
        canvas->Brush()->SetColor(kBlack);
        canvas->FillRect(MakeRect(0, 0, mask->Width(), mask->Height()));
        canvas->Brush()->SetColor(kWhite);
        canvas->Ellipse(ellipse.Left - clip.Left, ellipse.Top - clip.Top, ellipse.Right - clip.Left,
                        ellipse.Bottom - clip.Top);
    }
    if (!PrepareRows(picture)) return;
    const size_t rowBytes = 3 * static_cast<size_t>(width);
    for (int32_t y = 0; y < height; ++y) {
        uint8_t* row = picture.ScanLine(y);
        if (!hit || y < clip.Top || y >= clip.Bottom) {
            std::memset(row, 0, rowBytes);
            continue;
        }
        std::memset(row, 0, 3 * static_cast<size_t>(clip.Left));
        std::memset(row + 3 * static_cast<size_t>(clip.Right), 0,
                    3 * static_cast<size_t>(width - clip.Right));
        const MaskPixel* maskRow = MaskRow(*mask, y - clip.Top);
        Bgr24* inside = picture.Row24(y) + clip.Left;
        for (int32_t x = 0; x < clip.Right - clip.Left; ++x)
            if (!IsWhite(maskRow[x])) inside[x] = Bgr24{0, 0, 0};
    }
}

namespace {

// The desktop program's spot: (W div 4, H div 4, W div 2, H div 2).
ArgValue SpotArea(PixelBitmap& picture) {
    ArgValue value;
    const int32_t width = picture.Width();
    const int32_t height = picture.Height();
    value.rect = MakeRect(width / 4, height / 4, width / 2, height / 2);
    return value;
}

} // namespace

std::vector<Operation> ButtonMaskOperations() {
    return {
        {"Button",
         {{"border", ParamKind::Int, "10"}, {"amount", ParamKind::Int, "100"}},
         Wiring::OnePicture,
         [](const Pictures& p, std::span<const ArgValue> a) {
             Button(*p.picture, ByteArg(a[0], "border"), a[1].i);
         }},
        {"OvalButton",
         {{"border", ParamKind::Int, "10"},
          {"amount", ParamKind::Int, "100"},
          {"style", ParamKind::Int, "0"}},
         Wiring::OnePicture,
         [](const Pictures& p, std::span<const ArgValue> a) {
             OvalButton(*p.picture, ByteArg(a[0], "border"), a[1].i, ByteArg(a[2], "style"));
         }},
        {"MaskOval",
         {{"color", ParamKind::Color, "0x00FFFFFF"}},
         Wiring::OnePicture,
         [](const Pictures& p, std::span<const ArgValue> a) { MaskOval(*p.picture, a[0].i); }},
        {"SpotLight",
         {{"amount", ParamKind::Int, "-50"},
          {"area", ParamKind::Rect, "W/4 H/4 W/2 H/2", SpotArea}},
         Wiring::OnePicture,
         [](const Pictures& p, std::span<const ArgValue> a) {
             SpotLight(*p.picture, a[0].i, a[1].rect);
         }},
    };
}

} // namespace gleamkit::fx
