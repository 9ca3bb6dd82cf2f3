// Flips, mirrors, shadows and opaque patterns: FlipHorizontal, FlipVertical,
// MirrorHorizontal, MirrorVertical, ShadowUpLeft, ShadowUpRight,
// ShadowDownLeft, ShadowDownRight, OpaqueSemi and OpaqueQuarto. Every one of
// them is a function of the original pixels only (the shadows read rows not
// yet changed, the mirrors read the half they keep), so each works on the
// picture itself rather than on a working picture assigned back afterwards.
#include "effects/flip_shadow.h"

#include <algorithm>
#include <cstring>
#include <vector>

#include "effects/effect_common.h"
#include "effects/families.h"

namespace gleamkit::fx {

namespace {

size_t RowBytes(const PixelBitmap& picture) {
    return 3 * static_cast<size_t>(picture.Width());
}

// target pixel i becomes source pixel count-1-i; the two runs do not overlap.
void CopyReversed(const uint8_t* __restrict source, uint8_t* __restrict target, size_t count) {
    const uint8_t* from = source + 3 * count;
    for (size_t i = 0; i < count; ++i) {
        from -= 3;
        target[3 * i] = from[0];
        target[3 * i + 1] = from[1];
        target[3 * i + 2] = from[2];
    }
}

// The vertical direction a shadow falls in, and its horizontal one.
enum class ShadowRows { Up, Down };
enum class ShadowColumns { Left, Right };

constexpr int32_t kShadowOffset = 4;

// One row of a shadow: target pixel i against source pixel i. The source row
// is another row than the target row and is not changed by the operation, so
// the order of the pixels within the row does not matter.
void ShadowRow(uint8_t* __restrict target, const uint8_t* __restrict source, size_t count) {
    for (size_t i = 0; i < 3 * count; i += 3) {
        if (source[i] < target[i]) {
            target[i] = static_cast<uint8_t>(source[i] + 1);
            target[i + 1] = static_cast<uint8_t>(source[i + 1] + 1);
            target[i + 2] = static_cast<uint8_t>(source[i + 2] + 1);
        }
    }
}

// Rows are taken in the order that reads every source row before it is
// changed: top down for shadows falling up (their sources lie below), bottom
// up for shadows falling down.
void Shadow(PixelBitmap& picture, ShadowRows rows, ShadowColumns columns) {
    if (!PrepareRows(picture)) return;
    const int32_t width = picture.Width();
    const int32_t height = picture.Height();
    if (width <= kShadowOffset || height <= kShadowOffset) return;
    const size_t count = static_cast<size_t>(width - kShadowOffset);
    const size_t shift = 3 * static_cast<size_t>(kShadowOffset);
    // Falling left, targets start at column 0 and sources 4 columns right.
    const size_t targetStart = columns == ShadowColumns::Left ? 0 : shift;
    const size_t sourceStart = columns == ShadowColumns::Left ? shift : 0;
    const auto shadeRow = [&](int32_t y, int32_t sourceY) {
        ShadowRow(picture.ScanLine(y) + targetStart, picture.ScanLine(sourceY) + sourceStart,
                  count);
    };
    if (rows == ShadowRows::Up) {
        for (int32_t y = 0; y < height - kShadowOffset; ++y) shadeRow(y, y + kShadowOffset);
    } else {
        for (int32_t y = height - 1; y >= kShadowOffset; --y) shadeRow(y, y - kShadowOffset);
    }
}

enum class OpaquePattern { Semi, Quarto };

void Opaque(PixelBitmap& source, PixelBitmap& destination, OpaquePattern pattern) {
    destination.Assign(&source);
    if (!PrepareRows(destination)) return;
    const int32_t width = destination.Width();
    const size_t rowBytes = RowBytes(destination);
    for (int32_t y = 0; y < destination.Height(); ++y) {
        uint8_t* row = destination.ScanLine(y);
        const bool oddRow = (y & 1) != 0;
        if (oddRow && pattern == OpaquePattern::Quarto) {
            std::memset(row, 255, rowBytes);
            continue;
        }
        // Even rows whiten even columns; odd rows of the checkerboard odd ones.
        for (int32_t x = oddRow ? 1 : 0; x < width; x += 2) {
            uint8_t* pixel = row + 3 * static_cast<size_t>(x);
            pixel[0] = 255;
            pixel[1] = 255;
            pixel[2] = 255;
        }
    }
}

} // namespace

void FlipHorizontal(PixelBitmap& picture) {
    if (!PrepareRows(picture)) return;
    const size_t rowBytes = RowBytes(picture);
    for (int32_t top = 0, bottom = picture.Height() - 1; top < bottom; ++top, --bottom)
        std::swap_ranges(picture.ScanLine(top), picture.ScanLine(top) + rowBytes,
                         picture.ScanLine(bottom));
}

void FlipVertical(PixelBitmap& picture) {
    if (!PrepareRows(picture)) return;
    const size_t width = static_cast<size_t>(picture.Width());
    std::vector<uint8_t> original(3 * width);
    for (int32_t y = 0; y < picture.Height(); ++y) {
        uint8_t* row = picture.ScanLine(y);
        std::memcpy(original.data(), row, original.size());
        CopyReversed(original.data(), row, width);
    }
}

void MirrorHorizontal(PixelBitmap& picture) {
    if (!PrepareRows(picture)) return;
    const int32_t height = picture.Height();
    const size_t rowBytes = RowBytes(picture);
    // Rows up to H div 2 are copied down; a row copied onto itself (odd H) or
    // onto a row already holding its value (even H, the last step) is skipped.
    for (int32_t i = 0; i < height / 2; ++i)
        std::memcpy(picture.ScanLine(height - 1 - i), picture.ScanLine(i), rowBytes);
}

void MirrorVertical(PixelBitmap& picture) {
    if (!PrepareRows(picture)) return;
    // Pixels 0 ... W div 2 - 1, reversed, replace the rightmost W div 2; the
    // last step of the pixel-by-pixel rule (x = W div 2) changes nothing.
    const size_t half = static_cast<size_t>(picture.Width() / 2);
    const size_t rightStart = 3 * (static_cast<size_t>(picture.Width()) - half);
    for (int32_t y = 0; y < picture.Height(); ++y) {
        uint8_t* row = picture.ScanLine(y);
        CopyReversed(row, row + rightStart, half);
    }
}

void ShadowUpLeft(PixelBitmap& picture) {
    Shadow(picture, ShadowRows::Up, ShadowColumns::Left);
}

void ShadowUpRight(PixelBitmap& picture) {
    Shadow(picture, ShadowRows::Up, ShadowColumns::Right);
}

void ShadowDownLeft(PixelBitmap& picture) {
    Shadow(picture, ShadowRows::Down, ShadowColumns::Left);
}

void ShadowDownRight(PixelBitmap& picture) {
    Shadow(picture, ShadowRows::Down, ShadowColumns::Right);
}

void OpaqueSemi(PixelBitmap& source, PixelBitmap& destination) {
    Opaque(source, destination, OpaquePattern::Semi);
}

void OpaqueQuarto(PixelBitmap& source, PixelBitmap& destination) {
    Opaque(source, destination, OpaquePattern::Quarto);
}

namespace {

template <void (*Effect)(PixelBitmap&)> Operation PictureRow(std::string_view name) {
    return {name, {}, Wiring::OnePicture, [](const Pictures& p, std::span<const ArgValue>) {
                Effect(*p.picture);
            }};
}

template <void (*Effect)(PixelBitmap&, PixelBitmap&)> Operation SourceRow(std::string_view name) {
    return {name, {}, Wiring::SourceToPicture, [](const Pictures& p, std::span<const ArgValue>) {
                Effect(*p.copy, *p.picture);
            }};
}

} // namespace

std::vector<Operation> FlipShadowOperations() {
    return {
        PictureRow<FlipHorizontal>("FlipHorizontal"),
        PictureRow<FlipVertical>("FlipVertical"),
        PictureRow<MirrorHorizontal>("MirrorHorizontal"),
        PictureRow<MirrorVertical>("MirrorVertical"),
        PictureRow<ShadowUpLeft>("ShadowUpLeft"),
        PictureRow<ShadowUpRight>("ShadowUpRight"),
        PictureRow<ShadowDownLeft>("ShadowDownLeft"),
        PictureRow<ShadowDownRight>("ShadowDownRight"),
        SourceRow<OpaqueSemi>("OpaqueSemi"),
        SourceRow<OpaqueQuarto>("OpaqueQuarto"),
    };
}

} // namespace gleamkit::fx
