// AntiAliasRect, AntiAliasing, SplitBlur, GaussianBlur, Mosaic and
// MakeSeamlessClip. All work in place with integer sums and shifts; the
// seamless ramps divide at extended precision, once per channel difference.
#include "effects/blur_mosaic.h"

#include "effects/families.h"

#include <array>
#include <cstring>
#include <utility>
#include <vector>

namespace gleamkit::fx {

namespace {

// The row or column paired with `position` at distance `distance` (>= 0)
// before it and after it, with the fallbacks of SplitBlur: the position itself
// before the start, the mirror length - position past the end, held inside.
struct SplitPair {
    int32_t before;
    int32_t after;
};

SplitPair SplitPartners(int32_t position, int64_t distance, int32_t length) {
    const int64_t before = position - distance;
    const int64_t after = position + distance;
    SplitPair pair;
    pair.before = before >= 0 ? static_cast<int32_t>(before) : position;
    pair.after = after < length ? static_cast<int32_t>(after) : length - position;
    if (pair.after > length - 1) pair.after = length - 1;
    return pair;
}

// The ramp value ((far - near) / steps) * step + near, at extended precision,
// stored as a double and rounded. Between two bytes, so it stays a byte.
class Ramp {
public:
    explicit Ramp(int32_t steps) {
        for (int32_t d = -255; d <= 255; ++d)
            m_slope[d + 255] = static_cast<long double>(d) / steps;
    }

    uint8_t At(int32_t step, uint8_t nearValue, uint8_t farValue) const {
        const long double slope = m_slope[farValue - nearValue + 255];
        const double stored = static_cast<double>(slope * step + nearValue);
        return static_cast<uint8_t>(Round(stored));
    }

private:
    std::array<long double, 511> m_slope{};
};

void VerticalRamp(PixelBitmap& picture, int32_t rampRows) {
    if (rampRows <= 1) return;
    const size_t values = 3 * static_cast<size_t>(picture.Width());
    // With a seam of 1 the ramp's far row would be the one past the picture.
    const uint8_t* farRow = picture.ScanLine(Min(rampRows, picture.Height() - 1));
    const uint8_t* topRow = picture.ScanLine(0);
    const Ramp ramp(rampRows);
    for (int32_t y = 1; y < rampRows; ++y) {
        uint8_t* row = picture.ScanLine(y);
        for (size_t i = 0; i < values; ++i) row[i] = ramp.At(y, topRow[i], farRow[i]);
    }
}

void HorizontalRamp(PixelBitmap& picture, int32_t rampPixels) {
    const int32_t width = picture.Width();
    const size_t last = 3 * static_cast<size_t>(width - 1);
    const size_t far = 3 * static_cast<size_t>(width - rampPixels);
    const Ramp ramp(Max(rampPixels, 1));
    for (int32_t y = 0; y < picture.Height(); ++y) {
        uint8_t* row = picture.ScanLine(y);
        std::memmove(row + last, row, 3);
        for (int32_t k = 1; k < rampPixels; ++k) {
            uint8_t* pixel = row + last - 3 * static_cast<size_t>(k);
            // The far pixel is read afresh: the last step overwrites it.
            for (int c = 0; c < 3; ++c) pixel[c] = ramp.At(k, row[last + c], row[far + c]);
        }
    }
}

// The whole picture, as AntiAliasing passes it.
ArgValue WholePicture(PixelBitmap& picture) {
    ArgValue value;
    value.rect = MakeRect(0, 0, picture.Width(), picture.Height());
    return value;
}

// One-integer effects share the invoker shape.
template <void (*Effect)(PixelBitmap&, int32_t)>
void InvokeWithAmount(const Pictures& pictures, std::span<const ArgValue> args) {
    Effect(*pictures.picture, args[0].i);
}

} // namespace

void AntiAliasRect(PixelBitmap& picture, int32_t left, int32_t top, int32_t right, int32_t bottom) {
    if (right < left) std::swap(left, right);
    if (top > bottom) std::swap(top, bottom);
    const int32_t x1 = Max(1, left);
    const int32_t y1 = Max(1, top);
    const int32_t x2 = Min(picture.Width() - 2, right);
    const int32_t y2 = Min(picture.Height() - 2, bottom);
    picture.SetLayout(BitmapLayout::Bits24);
    if (x1 > x2 || y1 > y2 || picture.Layout() != BitmapLayout::Bits24) return;
    for (int32_t y = y1; y <= y2; ++y) {
        const uint8_t* above = picture.ScanLine(y - 1);
        uint8_t* row = picture.ScanLine(y);
        const uint8_t* below = picture.ScanLine(y + 1);
        for (size_t i = 3 * static_cast<size_t>(x1); i < 3 * static_cast<size_t>(x2) + 3; ++i)
            row[i] = static_cast<uint8_t>((above[i] + below[i] + row[i - 3] + row[i + 3]) >> 2);
    }
}

void AntiAliasing(PixelBitmap& picture) {
    AntiAliasRect(picture, 0, 0, picture.Width(), picture.Height());
}

void SplitBlur(PixelBitmap& picture, int32_t amount) {
    if (amount == 0 || !PrepareRows(picture)) return;
    const int64_t distance = amount < 0 ? -int64_t{amount} : amount;
    const int32_t width = picture.Width();
    const int32_t height = picture.Height();
    std::vector<SplitPair> columns(static_cast<size_t>(width));
    for (int32_t x = 0; x < width; ++x) {
        const SplitPair pair = SplitPartners(x, distance, width);
        columns[x] = {3 * pair.before, 3 * pair.after};
    }
    for (int32_t y = 0; y < height; ++y) {
        const SplitPair rows = SplitPartners(y, distance, height);
        const uint8_t* upper = picture.ScanLine(rows.before);
        const uint8_t* lower = picture.ScanLine(rows.after);
        uint8_t* row = picture.ScanLine(y);
        for (int32_t x = 0; x < width; ++x) {
            const int32_t l = columns[x].before;
            const int32_t r = columns[x].after;
            // All four samples of a channel are read before it is written.
            for (int c = 0; c < 3; ++c)
                row[3 * x + c] = static_cast<uint8_t>(
                    (upper[l + c] + lower[l + c] + upper[r + c] + lower[r + c]) >> 2);
        }
    }
}

void GaussianBlur(PixelBitmap& picture, int32_t amount) {
    if (amount < 0 || !PrepareRows(picture)) return;
    // The first two passes (the desktop program's amount) run as they are.
    // From then on each pass is compared with the one before: a pass that
    // changes nothing leaves a picture on which every later pass changes
    // nothing either, so the repetitions end there with the exact result.
    std::vector<uint8_t> before;
    for (int64_t pass = 0; pass <= amount; ++pass) {
        const bool watch = pass >= 2;
        if (watch)
            before.assign(picture.RowMemory(), picture.RowMemory() + picture.RowMemorySize());
        SplitBlur(picture, 3);
        if (watch && std::memcmp(before.data(), picture.RowMemory(), before.size()) == 0) return;
    }
}

void Mosaic(PixelBitmap& picture, int32_t size) {
    if (size <= 1 || !PrepareRows(picture)) return;
    const int32_t width = picture.Width();
    const int32_t height = picture.Height();
    for (int64_t bandTop = 0; bandTop < height; bandTop += size) {
        const Bgr24* top = picture.Row24(static_cast<int32_t>(bandTop));
        const int64_t bandEnd = bandTop + size < height ? bandTop + size : height;
        for (int64_t y = bandTop; y < bandEnd; ++y) {
            Bgr24* row = picture.Row24(static_cast<int32_t>(y));
            for (int64_t blockLeft = 0; blockLeft < width; blockLeft += size) {
                const Bgr24 colour = top[blockLeft];
                const int64_t blockEnd = blockLeft + size < width ? blockLeft + size : width;
                for (int64_t x = blockLeft; x < blockEnd; ++x) row[x] = colour;
            }
        }
    }
}

void MakeSeamlessClip(PixelBitmap& picture, int32_t seam) {
    if (seam <= 0 || !PrepareRows(picture)) return;
    const int32_t height = picture.Height();
    const int32_t width = picture.Width();
    if (height > 1)
        std::memcpy(picture.ScanLine(0), picture.ScanLine(height - 1),
                    3 * static_cast<size_t>(width));
    VerticalRamp(picture, height / seam);
    HorizontalRamp(picture, width / seam);
}

std::vector<Operation> BlurMosaicOperations() {
    return {
        {"AntiAliasRect",
         {{"Area", ParamKind::Rect, "0 0 W H", &WholePicture}},
         Wiring::OnePicture,
         [](const Pictures& pictures, std::span<const ArgValue> args) {
             const Rect& area = args[0].rect;
             AntiAliasRect(*pictures.picture, area.Left, area.Top, area.Right, area.Bottom);
         }},
        {"AntiAliasing",
         {},
         Wiring::OnePicture,
         [](const Pictures& pictures, std::span<const ArgValue>) {
             AntiAliasing(*pictures.picture);
         }},
        {"SplitBlur",
         {{"Amount", ParamKind::Int, "33"}},
         Wiring::OnePicture,
         &InvokeWithAmount<SplitBlur>},
        {"GaussianBlur",
         {{"Amount", ParamKind::Int, "1"}},
         Wiring::OnePicture,
         &InvokeWithAmount<GaussianBlur>},
        {"Mosaic", {{"Size", ParamKind::Int, "4"}}, Wiring::OnePicture, &InvokeWithAmount<Mosaic>},
        {"MakeSeamlessClip",
         {{"Seam", ParamKind::Int, "5"}},
         Wiring::OnePicture,
         &InvokeWithAmount<MakeSeamlessClip>},
    };
}

} // namespace gleamkit::fx
