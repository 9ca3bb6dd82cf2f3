// Relief and tracing: Embossing, HeightMap and Trace. Embossing is a byte
// loop over pairs of rows; HeightMap looks its lifts up in a table of the 766
// possible channel sums, so the extended-precision rounding is done once per
// sum rather than per pixel; Trace compares palette indices of an 8-bit copy
// and blackens the 24-bit picture.
#include "effects/relief_trace.h"

#include <array>
#include <cstring>
#include <vector>

#include "effects/effect_common.h"
#include "effects/families.h"

namespace gleamkit::fx {

namespace {

constexpr int32_t kChannelSums = 3 * 255 + 1;

// Lift for each channel sum: Round(sum / 3 / 255 x amount), the two divisions
// and the multiplication in this order at extended precision. |lift| never
// exceeds |amount|, so it fits 32 bits.
std::array<int32_t, kChannelSums> LiftTable(int32_t amount) {
    std::array<int32_t, kChannelSums> lift{};
    for (int32_t sum = 0; sum < kChannelSums; ++sum) {
        const long double mean = static_cast<long double>(sum) / 3.0L;
        lift[static_cast<size_t>(sum)] = Round(mean / 255.0L * static_cast<long double>(amount));
    }
    return lift;
}

// The rows HeightMap reads its pixels from. With a positive amount every
// pixel lands on its own row or above it; rows are taken top to bottom, so
// row y still holds its original pixels when it is read, and the picture is
// its own source. A negative amount lands pixels on rows not read yet, so
// they are read from a copy of the original rows, made in `copy` (a picture
// of the same size). Empty when the copy cannot be made.
std::vector<const uint8_t*> SourceRows(const std::vector<uint8_t*>& rows, int32_t amount,
                                       PixelBitmap& copy) {
    std::vector<const uint8_t*> sources(rows.begin(), rows.end());
    if (amount > 0) return sources;
    copy.SetLayout(BitmapLayout::Bits24);
    if (copy.Layout() != BitmapLayout::Bits24) return {};
    const size_t rowBytes = 3 * static_cast<size_t>(copy.Width());
    for (int32_t y = 0; y < copy.Height(); ++y) {
        uint8_t* copied = copy.ScanLine(y);
        std::memcpy(copied, rows[static_cast<size_t>(y)], rowBytes);
        sources[static_cast<size_t>(y)] = copied;
    }
    return sources;
}

// The reference colour of a trace, fixed at the first border met.
struct TraceReference {
    bool found = false;
    uint8_t index = 0;
};

void Blacken(uint8_t* pixel) {
    pixel[0] = 0;
    pixel[1] = 0;
    pixel[2] = 0;
}

// One comparison of a trace: `own` is the index of the pixel at `self`,
// `other` that of its neighbour at `neighbour`.
inline void TraceBorder(uint8_t own, uint8_t other, uint8_t* self, uint8_t* neighbour,
                        TraceReference& reference) {
    if (other == own) return;
    if (!reference.found) {
        reference.index = other;
        reference.found = true;
        Blacken(self);
    } else if (own != reference.index) {
        Blacken(self);
    } else {
        Blacken(neighbour);
    }
}

// True when eight indices in a row equal both their neighbours: no border
// there, so none of the eight pixels can change anything. Most of a picture
// is such runs, and skipping them a word at a time keeps the trace cheap.
inline bool NoBorderInWord(const uint8_t* own, const uint8_t* along, const uint8_t* across) {
    uint64_t a, b, c;
    std::memcpy(&a, own, 8);
    std::memcpy(&b, along, 8);
    std::memcpy(&c, across, 8);
    return ((a ^ b) | (a ^ c)) == 0;
}

// Down and to the right: rows 0 ... H-2, columns 0 ... W-3 (column 0 alone
// when the picture is two pixels wide).
void TraceForward(PixelBitmap& indexCopy, PixelBitmap& picture, TraceReference& reference) {
    const int32_t width = picture.Width();
    const int32_t lastX = width == 2 ? 0 : width - 3;
    for (int32_t y = 0; y + 1 < picture.Height(); ++y) {
        const uint8_t* index = indexCopy.ScanLine(y);
        const uint8_t* indexBelow = indexCopy.ScanLine(y + 1);
        uint8_t* row = picture.ScanLine(y);
        uint8_t* rowBelow = picture.ScanLine(y + 1);
        int32_t x = 0;
        while (x <= lastX) {
            if (x + 7 <= lastX && NoBorderInWord(index + x, index + x + 1, indexBelow + x)) {
                x += 8;
                continue;
            }
            const uint8_t own = index[x];
            uint8_t* self = row + 3 * static_cast<size_t>(x);
            TraceBorder(own, index[x + 1], self, self + 3, reference);
            TraceBorder(own, indexBelow[x], self, rowBelow + 3 * static_cast<size_t>(x), reference);
            ++x;
        }
    }
}

// Up and to the left: rows H-1 down to 1, columns W-1 down to 2 (column 1
// alone when the picture is two pixels wide).
void TraceBackward(PixelBitmap& indexCopy, PixelBitmap& picture, TraceReference& reference) {
    const int32_t width = picture.Width();
    const int32_t firstX = width == 2 ? 1 : 2;
    for (int32_t y = picture.Height() - 1; y >= 1; --y) {
        const uint8_t* index = indexCopy.ScanLine(y);
        const uint8_t* indexAbove = indexCopy.ScanLine(y - 1);
        uint8_t* row = picture.ScanLine(y);
        uint8_t* rowAbove = picture.ScanLine(y - 1);
        int32_t x = width - 1;
        while (x >= firstX) {
            const int32_t wordStart = x - 7;
            if (wordStart >= firstX &&
                NoBorderInWord(index + wordStart, index + wordStart - 1, indexAbove + wordStart)) {
                x -= 8;
                continue;
            }
            const uint8_t own = index[x];
            uint8_t* self = row + 3 * static_cast<size_t>(x);
            TraceBorder(own, index[x - 1], self, self - 3, reference);
            TraceBorder(own, indexAbove[x], self, rowAbove + 3 * static_cast<size_t>(x), reference);
            --x;
        }
    }
}

} // namespace

void Embossing(PixelBitmap& picture) {
    if (!PrepareRows(picture)) return;
    const int32_t width = picture.Width();
    const int32_t height = picture.Height();
    if (width < 4 || height < 2) return;
    // Row y+1 is only read while row y is written, and is written later, so
    // every read sees an original value; each byte pairs with the same channel
    // three pixels (nine bytes) to the right on the row below.
    const size_t count = 3 * static_cast<size_t>(width - 3);
    for (int32_t y = 0; y + 1 < height; ++y) {
        uint8_t* __restrict row = picture.ScanLine(y);
        const uint8_t* __restrict below = picture.ScanLine(y + 1) + 9;
        for (size_t i = 0; i < count; ++i)
            row[i] = static_cast<uint8_t>((255 - below[i] + row[i]) >> 1);
    }
}

void HeightMap(PixelBitmap& picture, int32_t amount) {
    if (!PrepareRows(picture) || amount == 0) return;
    const int32_t width = picture.Width();
    const int32_t height = picture.Height();
    const std::array<int32_t, kChannelSums> lift = LiftTable(amount);
    const std::vector<uint8_t*> rows = RowTable(picture);

    ScratchPicture copy(amount < 0 ? width : 0, amount < 0 ? height : 0);
    const std::vector<const uint8_t*> sources = SourceRows(rows, amount, *copy);
    if (sources.empty()) return;

    for (int32_t y = 0; y < height; ++y) {
        const uint8_t* source = sources[static_cast<size_t>(y)];
        for (int32_t x = 0; x < width; ++x) {
            const uint8_t* pixel = source + 3 * static_cast<size_t>(x);
            const int32_t sum = pixel[0] + pixel[1] + pixel[2];
            // 64 bits: y - lift overflows 32 bits for lifts near -2^31.
            const int64_t landing = int64_t{y} - lift[static_cast<size_t>(sum)];
            if (landing < 0 || landing >= height) continue;
            uint8_t* target = rows[static_cast<size_t>(landing)] + 3 * static_cast<size_t>(x);
            const uint8_t blue = pixel[0], green = pixel[1], red = pixel[2];
            target[0] = blue;
            target[1] = green;
            target[2] = red;
        }
    }
}

void Trace(PixelBitmap& picture, int32_t intensity) {
    if (intensity <= 0) {
        EnsureBits24(picture);
        return;
    }
    // The copy is taken before the picture is converted, so a palette picture
    // is judged by its own indices.
    ScratchPicture indexCopy(0, 0);
    indexCopy->Assign(&picture);
    indexCopy->SetLayout(BitmapLayout::Bits8);
    if (!PrepareRows(picture) || indexCopy->Layout() != BitmapLayout::Bits8) return;
    if (picture.Width() < 2 || picture.Height() < 2) return;

    // The index copy never changes and the reference is fixed by the first
    // border met, so a pass blackens the same pixels every time it runs:
    // repetitions beyond the second (the first with both passes) add nothing.
    TraceReference reference;
    TraceForward(*indexCopy, picture, reference);
    if (intensity >= 2) TraceBackward(*indexCopy, picture, reference);
}

std::vector<Operation> ReliefTraceOperations() {
    return {
        {"Embossing",
         {},
         Wiring::OnePicture,
         [](const Pictures& p, std::span<const ArgValue>) { Embossing(*p.picture); }},
        {"HeightMap",
         {{"amount", ParamKind::Int, "33"}},
         Wiring::OnePicture,
         [](const Pictures& p, std::span<const ArgValue> a) { HeightMap(*p.picture, a[0].i); }},
        {"Trace",
         {{"intensity", ParamKind::Int, "8"}},
         Wiring::OnePicture,
         [](const Pictures& p, std::span<const ArgValue> a) { Trace(*p.picture, a[0].i); }},
    };
}

} // namespace gleamkit::fx
