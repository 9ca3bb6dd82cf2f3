// The sample drawing, painted band by band straight into 24-bit rows with
// integer arithmetic only, so it is identical everywhere.
#include "tools/sample/sample_picture.h"

#include <algorithm>

namespace gleamkit::tools {

namespace {

using bitmap::Bgr24;

struct Disc {
    int64_t centerX;
    int64_t centerY;
    int64_t radius;
    Bgr24 color;
};

// Red rises to the right, green downwards, blue falls along the diagonal.
Bgr24 Gradient(int32_t x, int32_t y, int32_t width, int32_t height) {
    const int32_t red = static_cast<int32_t>(255LL * x / std::max(1, width - 1));
    const int32_t green = static_cast<int32_t>(255LL * y / std::max(1, height - 1));
    return {static_cast<uint8_t>(255 - (red + green) / 2), static_cast<uint8_t>(green),
            static_cast<uint8_t>(red)};
}

// Eight saturated bars with hard edges: the tone and colour effects show
// their curves on them, the blurs their edge handling.
Bgr24 Bar(int32_t x, int32_t width) {
    static constexpr Bgr24 kBars[8] = {{0, 0, 255}, {0, 255, 255}, {0, 255, 0},     {255, 255, 0},
                                       {255, 0, 0}, {255, 0, 255}, {255, 255, 255}, {0, 0, 0}};
    return kBars[static_cast<int64_t>(x) * 8 / width];
}

// Sixteen grey steps from black to white.
Bgr24 GreyStep(int32_t x, int32_t width) {
    const auto v = static_cast<uint8_t>(static_cast<int64_t>(x) * 16 / width * 17);
    return {v, v, v};
}

// One-pixel lines, alternately black and white, every `spacing` pixels; the
// colour is left as it is between the lines.
void GridLine(int32_t x, int32_t y, int32_t spacing, Bgr24& color) {
    if (x % spacing != 0 && y % spacing != 0) return;
    const int32_t index = (x % spacing == 0 ? x : y) / spacing;
    const uint8_t v = index % 2 == 0 ? 0 : 255;
    color = {v, v, v};
}

void PaintRow(Bgr24* row, int32_t y, int32_t width, int32_t height, const Disc* discs,
              int discCount) {
    const int32_t band = std::max(1, height / 8);
    const int32_t gridSpacing = std::max(4, width / 48);
    for (int32_t x = 0; x < width; ++x) {
        Bgr24 color = Gradient(x, y, width, height);
        if (y < band) {
            color = Bar(x, width);
        } else if (y >= height - band) {
            color = GreyStep(x, width);
        } else if (x < width / 3) {
            GridLine(x, y - band, gridSpacing, color);
        }
        for (int i = 0; i < discCount; ++i) {
            const int64_t dx = x - discs[i].centerX;
            const int64_t dy = y - discs[i].centerY;
            if (dx * dx + dy * dy <= discs[i].radius * discs[i].radius) color = discs[i].color;
        }
        row[x] = color;
    }
}

} // namespace

bitmap::PixelBitmap* NewSamplePicture(int32_t width, int32_t height) {
    if (width < 1 || height < 1) return bitmap::NewPixelBitmap(0, 0);
    bitmap::PixelBitmap* picture = bitmap::NewPixelBitmap(width, height);
    try {
        picture->SetLayout(bitmap::BitmapLayout::Bits24);
    } catch (...) {
        Free(picture);
        throw;
    }
    const int64_t radius = std::min(width, height) / 8;
    const Disc discs[] = {
        {width * 2LL / 3, height * 3LL / 8, radius, {40, 40, 220}},
        {width * 5LL / 6, height * 5LL / 8, radius, {60, 200, 60}},
        {width / 2LL, height / 2LL, radius / 2, {230, 120, 20}},
        {width * 2LL / 3, height * 3LL / 8, radius / 3, {255, 255, 255}},
    };
    for (int32_t y = 0; y < height; ++y) PaintRow(picture->Row24(y), y, width, height, discs, 4);
    return picture;
}

} // namespace gleamkit::tools
