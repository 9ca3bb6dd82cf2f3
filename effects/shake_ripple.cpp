// ShakeVertical, ShakeHorizontal, RippleTooth, RippleTriangle, RippleRandom
// and Triangles. Every move copies whole pixels within one picture, so each
// walk is laid out in the order that reads a pixel before anything lands on
// it: rows shift as one block move, ripples walk rows bottom-up (targets lie
// at or below their source row) and Triangles only ever writes a colour it
// read further left on the same row.
#include "effects/shake_ripple.h"

#include <cstdlib>
#include <cstring>
#include <vector>

#include "effects/effect_common.h"
#include "effects/families.h"
#include "platform/kernel/clock.h"

namespace gleamkit::fx {

namespace {

std::vector<Bgr24*> RowsOf(PixelBitmap& picture) {
    std::vector<Bgr24*> rows(picture.Height());
    for (int32_t y = 0; y < picture.Height(); ++y) rows[y] = picture.Row24(y);
    return rows;
}

// The shake distance, or 0 when the shake does not run: a distance of 0, a
// negative one (the walks would read before the row's first pixel) or one
// beyond half the size.
int32_t ShakeDistance(int32_t size, long double factor) {
    const int32_t distance = Round(size * factor);
    return distance > 0 && distance <= size / 2 ? distance : 0;
}

// The ripple height a: at most half the picture's height, never negative.
int32_t RippleHeight(const PixelBitmap& picture, int32_t amount) {
    return Max(0, Min(picture.Height() / 2, amount));
}

// Copies source row y onto rows y + offsets[x], column by column. Rows below
// y are untouched sources of nothing still to be read, so walking y upwards
// reads every pixel before it is overwritten.
void DropRow(const std::vector<Bgr24*>& rows, int32_t y, const uint8_t* offsets, int32_t width) {
    const Bgr24* source = rows[y];
    for (int32_t x = 0; x < width; ++x) rows[y + offsets[x]][x] = source[x];
}

// Drops every source row from H - 1 - a up to 0 by the same column offsets.
void DropRows(PixelBitmap& picture, int32_t height, const std::vector<uint8_t>& offsets) {
    const std::vector<Bgr24*> rows = RowsOf(picture);
    for (int32_t y = picture.Height() - 1 - height; y >= 0; --y)
        DropRow(rows, y, offsets.data(), picture.Width());
}

// The clock value RippleRandom seeds from: milliseconds since midnight UTC.
// A fixed clock may hold any field values; the sum wraps as a 32-bit state.
uint32_t ClockSeed() {
    SYSTEMTIME now{};
    GetSystemTime(&now);
    return ((uint32_t{now.wHour} * 60u + now.wMinute) * 60u + now.wSecond) * 1000u +
           now.wMilliseconds;
}

} // namespace

void ShakeVertical(PixelBitmap& source, PixelBitmap& destination, long double factor) {
    CopyBitmap(destination, source);
    if (!PrepareRows(destination)) return;
    const int32_t width = destination.Width();
    const int32_t distance = ShakeDistance(width, factor);
    if (distance == 0) return;
    const size_t shift = 3 * static_cast<size_t>(distance);
    const size_t moved = 3 * static_cast<size_t>(width - distance);
    for (int32_t y = 0; y < destination.Height(); ++y) {
        uint8_t* row = destination.ScanLine(y);
        if (y % 2 == 0) {
            std::memmove(row, row + shift, moved);
        } else {
            std::memmove(row + shift, row, moved);
        }
    }
}

void ShakeHorizontal(PixelBitmap& source, PixelBitmap& destination, long double factor) {
    CopyBitmap(destination, source);
    if (!PrepareRows(destination)) return;
    const int32_t width = destination.Width();
    const int32_t height = destination.Height();
    const int32_t distance = ShakeDistance(height, factor);
    if (distance == 0) return;
    const std::vector<Bgr24*> rows = RowsOf(destination);
    for (int32_t y = distance; y < height; ++y) {
        Bgr24* target = rows[y - distance];
        const Bgr24* from = rows[y];
        for (int32_t x = 0; x < width; x += 2) target[x] = from[x];
    }
    for (int32_t y = height - 1 - distance; y >= 0; --y) {
        Bgr24* target = rows[y + distance];
        const Bgr24* from = rows[y];
        for (int32_t x = 1; x < width; x += 2) target[x] = from[x];
    }
}

void RippleTooth(PixelBitmap& picture, int32_t amount) {
    if (!PrepareRows(picture)) return;
    const int32_t height = RippleHeight(picture, amount);
    std::vector<uint8_t> offsets(picture.Width());
    uint8_t offset = 0;
    for (uint8_t& column : offsets) {
        column = offset;
        ++offset;
        if (offset > height) offset = 0;
    }
    DropRows(picture, height, offsets);
}

void RippleTriangle(PixelBitmap& picture, int32_t amount) {
    const int32_t height = RippleHeight(picture, amount);
    if (height == 0 || !PrepareRows(picture)) return;
    std::vector<uint8_t> offsets(picture.Width());
    uint8_t offset = 0;
    bool rising = true;
    for (uint8_t& column : offsets) {
        column = offset;
        if (rising) {
            ++offset;
            if (offset > height) {
                rising = false;
                offset = static_cast<uint8_t>(height - 1);
            }
        } else if (offset == 0) {
            rising = true;
            offset = 1;
        } else {
            --offset;
        }
    }
    DropRows(picture, height, offsets);
}

void RippleRandom(PixelBitmap& picture, int32_t amount) {
    EnsureBits24(picture);
    SetRandomState(ClockSeed());
    if (picture.Empty() || picture.Layout() != BitmapLayout::Bits24) return;
    const int32_t width = picture.Width();
    const int32_t height = RippleHeight(picture, amount);
    const std::vector<Bgr24*> rows = RowsOf(picture);
    std::vector<uint8_t> offsets(width);
    RandomCursor random;
    for (int32_t y = picture.Height() - 1 - height; y >= 0; --y) {
        // Each pixel's offset is drawn after the pixel before it; the draw
        // after the row's last pixel is made and not used.
        offsets[0] = 0;
        for (int32_t x = 1; x < width; ++x)
            offsets[x] = static_cast<uint8_t>(random.Next(static_cast<uint32_t>(height)));
        random.Next(static_cast<uint32_t>(height));
        DropRow(rows, y, offsets.data(), width);
    }
}

void Triangles(PixelBitmap& picture, int32_t amount) {
    if (!PrepareRows(picture)) return;
    if (amount < 5) amount = 5;
    const int32_t period = (amount / 2) * 2 + 1;
    const int32_t half = period / 2;
    const int32_t width = picture.Width();
    for (int32_t y = 0; y < picture.Height(); ++y) {
        int32_t t = y % (period - 1);
        if (t > half) t = 2 * half - t;
        if (t == 0) t = period;
        const int32_t u = std::abs(half - y % period) + half;
        Bgr24* row = picture.Row24(y);
        Bgr24 held = row[0];
        // xt and xu follow x mod t and x mod u without a division per pixel.
        int32_t xt = 0;
        int32_t xu = 0;
        for (int32_t x = 0; x < width; ++x) {
            if (xt == 0 || xu == 1) {
                held = row[x];
            } else {
                row[x] = held;
            }
            if (++xt == t) xt = 0;
            if (++xu == u) xu = 0;
        }
    }
}

namespace {

Operation ShakeRow(std::string_view name, Invoker invoke) {
    return {name, {{"factor", ParamKind::Float, "0.1"}}, Wiring::SourceToPicture, invoke};
}

Operation AmountRow(std::string_view name, std::string_view amount, Invoker invoke) {
    return {name, {{"amount", ParamKind::Int, amount}}, Wiring::OnePicture, invoke};
}

} // namespace

std::vector<Operation> ShakeRippleOperations() {
    return {
        ShakeRow("ShakeVertical",
                 [](const Pictures& p, std::span<const ArgValue> a) {
                     ShakeVertical(*p.copy, *p.picture, a[0].f);
                 }),
        ShakeRow("ShakeHorizontal",
                 [](const Pictures& p, std::span<const ArgValue> a) {
                     ShakeHorizontal(*p.copy, *p.picture, a[0].f);
                 }),
        AmountRow("RippleTooth", "33",
                  [](const Pictures& p, std::span<const ArgValue> a) {
                      RippleTooth(*p.picture, a[0].i);
                  }),
        AmountRow("RippleTriangle", "33",
                  [](const Pictures& p, std::span<const ArgValue> a) {
                      RippleTriangle(*p.picture, a[0].i);
                  }),
        AmountRow("RippleRandom", "33",
                  [](const Pictures& p, std::span<const ArgValue> a) {
                      RippleRandom(*p.picture, a[0].i);
                  }),
        AmountRow(
            "Triangles", "32",
            [](const Pictures& p, std::span<const ArgValue> a) { Triangles(*p.picture, a[0].i); }),
    };
}

} // namespace gleamkit::fx
