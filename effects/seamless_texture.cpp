// Seamless, TexturizeTile and TexturizeOverlap. Seamless walks only its two
// bands, blending pixel by pixel in a fixed order (later blends read what
// earlier ones wrote where the bands cross). The texture effects do all pixel
// work through the platform's drawing: one stretched draw into the tile, one
// plain draw per tile position.
#include "effects/seamless_texture.h"

#include <string>
#include <vector>

#include "base/error.h"
#include "bitmap/canvas.h"
#include "effects/effect_common.h"
#include "effects/families.h"

namespace gleamkit::fx {

namespace {

// The two factors of one blend step: new = Round(keep * old + other * take),
// keep = 1 - f and take = f, where f(k) = 1 - k * (1 / depth), all at
// extended precision and in this order, as the band's fading is defined.
struct BlendWeights {
    long double keep;
    long double take;
};

std::vector<BlendWeights> FadeWeights(uint8_t depth) {
    const long double inverse = 1.0L / static_cast<long double>(depth);
    std::vector<BlendWeights> weights(static_cast<size_t>(depth) + 1);
    for (int32_t k = 0; k <= depth; ++k) {
        const long double f = 1.0L - static_cast<long double>(k) * inverse;
        weights[k] = {1.0L - f, f};
    }
    return weights;
}

uint8_t BlendChannel(uint8_t old, uint8_t other, const BlendWeights& w) {
    // A convex mix of two bytes rounds into 0...255; the clamp only guards the
    // last bit of the weights.
    return static_cast<uint8_t>(ClampToByte(
        Round(w.keep * static_cast<long double>(old) + static_cast<long double>(other) * w.take)));
}

// Blends `old` toward `other` channel by channel (blue, green, red), each
// result stored before the next channel is read; they may be the same pixel.
void BlendPixel(Bgr24& old, const Bgr24& other, const BlendWeights& w) {
    old.Blue = BlendChannel(old.Blue, other.Blue, w);
    old.Green = BlendChannel(old.Green, other.Green, w);
    old.Red = BlendChannel(old.Red, other.Red, w);
}

enum class Spacing { EdgeToEdge, Overlapping };

void Texturize(PixelBitmap& picture, int32_t amount, Spacing spacing) {
    EnsureBits24(picture);
    const int32_t width = picture.Width();
    const int32_t height = picture.Height();
    const int32_t side = Min(height / 2, Min(width / 2, amount));
    if (side < 1) return;
    // 2s is at most the width, so it fits; the quotient rounds halves to even.
    const int32_t step =
        spacing == Spacing::EdgeToEdge ? side : Round(static_cast<long double>(2 * side) / 3.0L);
    if (step < 1) return;
    ScratchPicture tile(side, side);
    bitmap::Canvas* tileCanvas = tile->Canvas();
    if (tileCanvas == nullptr) return;
    picture.StretchDraw(tileCanvas->Handle(), MakeRect(0, 0, side, side));
    // Asked after the stretch: drawing the picture takes it out of its own
    // canvas's context, and this query selects it back.
    bitmap::Canvas* canvas = picture.Canvas();
    if (canvas == nullptr) return;
    const HDC target = canvas->Handle();
    // 64-bit positions: the last step may pass the 32-bit range on a picture
    // close to it.
    for (int64_t y = 0; y < height; y += step)
        for (int64_t x = 0; x < width; x += step)
            tile->Draw(target, static_cast<int32_t>(x), static_cast<int32_t>(y));
}

} // namespace

void Seamless(PixelBitmap& picture, uint8_t depth) {
    if (!PrepareRows(picture) || depth == 0) return;
    const int32_t width = picture.Width();
    const int32_t height = picture.Height();
    const std::vector<BlendWeights> weights = FadeWeights(depth);

    // Top and bottom band. Rows i and H-1-i both exist exactly when i < H,
    // and columns j and W-1-j exactly when j < W.
    const int32_t lastBandRow = Min(depth, height - 1);
    for (int32_t i = 0; i <= lastBandRow; ++i) {
        Bgr24* top = picture.Row24(i);
        Bgr24* bottom = picture.Row24(height - 1 - i);
        for (int32_t x = i; x <= width - 1 - i; ++x) BlendPixel(bottom[x], top[x], weights[i]);
        const int32_t lastCorner = Min(i, width - 1);
        for (int32_t j = 0; j <= lastCorner; ++j) {
            BlendPixel(top[width - 1 - j], top[j], weights[j]);
            BlendPixel(bottom[width - 1 - j], bottom[j], weights[j]);
        }
    }

    // Middle rows, from row `depth` on: rows depth and H-1-depth are blended
    // a second time here.
    const int32_t lastColumn = Min(depth, width - 1);
    for (int32_t y = depth; y <= height - 1 - depth; ++y) {
        Bgr24* row = picture.Row24(y);
        for (int32_t j = 0; j <= lastColumn; ++j)
            BlendPixel(row[width - 1 - j], row[j], weights[j]);
    }
}

void TexturizeTile(PixelBitmap& picture, int32_t amount) {
    Texturize(picture, amount, Spacing::EdgeToEdge);
}

void TexturizeOverlap(PixelBitmap& picture, int32_t amount) {
    Texturize(picture, amount, Spacing::Overlapping);
}

std::vector<Operation> SeamlessTextureOperations() {
    return {
        {"Seamless",
         {{"depth", ParamKind::Int, "32"}},
         Wiring::OnePicture,
         [](const Pictures& p, std::span<const ArgValue> a) {
             Seamless(*p.picture, ByteArg(a[0], "depth"));
         }},
        {"TexturizeTile",
         {{"amount", ParamKind::Int, "64"}},
         Wiring::OnePicture,
         [](const Pictures& p, std::span<const ArgValue> a) { TexturizeTile(*p.picture, a[0].i); }},
        {"TexturizeOverlap",
         {{"amount", ParamKind::Int, "64"}},
         Wiring::OnePicture,
         [](const Pictures& p, std::span<const ArgValue> a) {
             TexturizeOverlap(*p.picture, a[0].i);
         }},
    };
}

} // namespace gleamkit::fx
