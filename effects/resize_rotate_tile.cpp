// SmoothResize, SmoothRotate and Tile. SmoothResize walks 15-bit fixed-point
// positions (0x8000 stands for one pixel) with integer weights that add up to
// 0x8000; SmoothRotate maps every destination pixel back into the source at
// extended precision, with its sine and cosine held as doubles; Tile resamples
// once and copies the tile with the platform's block transfer.
#include "effects/resize_rotate_tile.h"

#include "base/error.h"
#include "bitmap/canvas.h"
#include "effects/checked_double.h"
#include "effects/families.h"
#include "effects/parallel.h"

#include <cmath>
#include <cstddef>
#include <functional>
#include <vector>

namespace gleamkit::fx {

namespace {

constexpr uint32_t kOne = 0x8000;
constexpr uint32_t kFraction = 0x7FFF;
constexpr int kShift = 15;

// One destination column of SmoothResize: byte offsets of the two source
// columns and the fraction between them.
struct ResizeColumn {
    uint32_t first;
    uint32_t second;
    uint32_t fraction;
};

// The step is formed in 64 bits: it equals the 32-bit one for every source up
// to 65536 pixels and keeps larger ones from wrapping.
int64_t FixedStep(int32_t sourceLength, int32_t destLength) {
    return (static_cast<int64_t>(sourceLength - 1) << kShift) / destLength;
}

std::vector<ResizeColumn> ResizeColumns(int32_t sourceWidth, int32_t destWidth) {
    const int64_t step = FixedStep(sourceWidth, destWidth);
    std::vector<ResizeColumn> columns(static_cast<size_t>(destWidth));
    int64_t position = 0;
    for (int32_t x = 0; x < destWidth; ++x, position += step) {
        const int64_t x1 = position >> kShift;
        // Only a one-pixel-wide source lacks the column to the right.
        const int64_t x2 = x1 + 1 < sourceWidth ? x1 + 1 : x1;
        columns[x] = {static_cast<uint32_t>(3 * x1), static_cast<uint32_t>(3 * x2),
                      static_cast<uint32_t>(position & kFraction)};
    }
    return columns;
}

void ResizeRow(const uint8_t* row1, const uint8_t* row2, uint32_t fy,
               const std::vector<ResizeColumn>& columns, uint8_t* target) {
    const uint32_t gy = kOne - fy;
    for (const ResizeColumn& column : columns) {
        const uint32_t fx = column.fraction;
        const uint32_t w12 = (fx * gy) >> kShift;
        const uint32_t w11 = gy - w12;
        const uint32_t w22 = (fx * fy) >> kShift;
        const uint32_t w21 = fy - w22;
        for (int c = 0; c < 3; ++c) {
            // The weights add up to 0x8000, so the mean of bytes is a byte.
            const uint32_t sum = row1[column.second + c] * w12 + row1[column.first + c] * w11 +
                                 row2[column.first + c] * w21 + row2[column.second + c] * w22;
            target[c] = static_cast<uint8_t>(sum >> kShift);
        }
        target += 3;
    }
}

// px * cos t and px * sin t of one destination column, px being the doubled
// offset of the pixel centre from the rotation centre.
struct RotateTerms {
    long double cosine;
    long double sine;
};

// The source's size and row addresses, fetched once for scattered reads.
struct SourceRows {
    int32_t width;
    int32_t height;
    std::vector<const uint8_t*> rows;

    explicit SourceRows(PixelBitmap& source)
        : width(source.Width()), height(source.Height()), rows(static_cast<size_t>(height)) {
        for (int32_t y = 0; y < height; ++y) rows[y] = source.ScanLine(y);
    }
};

// Interpolates the source at (fx, fy) into one destination pixel, or leaves it
// when the nearest source pixel is outside the source.
void RotatePixel(const SourceRows& source, long double fx, long double fy, uint8_t* target) {
    const int32_t ix = Round(fx);
    const int32_t iy = Round(fy);
    if (ix < 0 || ix >= source.width || iy < 0 || iy >= source.height) return;
    const long double gx = fx - ix;
    const long double gy = fy - iy;
    const int32_t ix2 = ClampInt(ix + 1, 0, source.width - 1);
    const int32_t iy2 = ClampInt(iy + 1, 0, source.height - 1);
    const uint8_t* row1 = source.rows[iy];
    const uint8_t* row2 = source.rows[iy2];
    for (int c = 0; c < 3; ++c) {
        const int32_t p11 = row1[3 * ix + c], p21 = row1[3 * ix2 + c];
        const int32_t p12 = row2[3 * ix + c], p22 = row2[3 * ix2 + c];
        const long double top = (p21 - p11) * gx + p11;
        const long double bottom = (p22 - p12) * gx + p12;
        const long double value = (bottom - top) * gy + top;
        target[c] = static_cast<uint8_t>(ClampToByte(Round(value)));
    }
}

// Runs band over the destination's rows: split across threads, or top to
// bottom on this thread when the caller passed one picture as both source and
// destination (rows written early are then read later, so the order counts).
void RowsInOrderWhenInPlace(PixelBitmap& source, PixelBitmap& destination,
                            const std::function<void(int32_t, int32_t)>& band) {
    if (&source == &destination)
        band(0, destination.Height());
    else
        ParallelRows(destination.Height(), destination.Width(), band);
}

// The double-precision form of SmoothRotate's pixel. Every step follows the
// extended one in the same order; the bounds below (U the sum of the two
// unit roundoffs) prove, value by value, that the rounded results agree.
//  - fx = ((px cos - py sin) - 1) / 2 + cx - dx: px cos and py sin are
//    products of a whole number and the double cosine or sine, each rounded
//    once; then a difference, a subtraction of 1, an exact halving, two sums:
//    error at most (|px cos| + |py sin| + |d1| + |d2| + |s1| + |fx|) U, with
//    d1, d2, s1 the partial results; fy alike.
//  - ix = Round(fx) agrees when fx is farther than its bound from a half.
//    gx = fx - ix is then exact in both precisions (fx lies within a half of
//    ix), so it carries fx's error alone.
//  - Each channel: top = (p21 - p11) gx + p11 and bottom alike (byte
//    differences below 256, |gx| <= 1/2, values within -128 .. 383) err by at
//    most 255 ex + 511 U; value = (bottom - top) gy + top by at most
//    511 ey + 765 ex + 3000 U. Round(value) agrees when value is farther than
//    that from a half.
// Each bound is doubled to cover second-order terms.
struct FastRotateTerms {
    double cosine; // px * cos t
    double sine;   // px * sin t
};

struct FastRotateRow {
    double sine;   // py * sin t
    double cosine; // py * cos t
    double cx, cy, dx, dy;
};

// One position coordinate: ((a op b) - 1) / 2 + centre - shift, with its
// error bound.
inline double RotateCoordinate(double a, double b, double centre, double shift, double& bound) {
    const double d1 = a + b;
    const double d2 = d1 - 1.0;
    const double s1 = d2 / 2.0 + centre;
    const double value = s1 - shift;
    bound = 2.0 *
            (std::fabs(a) + std::fabs(b) + std::fabs(d1) + std::fabs(d2) + std::fabs(s1) +
             std::fabs(value)) *
            kBothRoundoffs;
    return value;
}

// Writes the pixel (or proves it is left alone) and answers true, or answers
// false without writing when a rounding might differ from the extended form.
bool FastRotatePixel(const SourceRows& source, const FastRotateTerms& column,
                     const FastRotateRow& row, uint8_t* target) {
    double xBound;
    double yBound;
    const double fx = RotateCoordinate(column.cosine, -row.sine, row.cx, row.dx, xBound);
    const double fy = RotateCoordinate(column.sine, row.cosine, row.cy, row.dy, yBound);
    int32_t ix;
    int32_t iy;
    if (!SettledRound(fx, xBound, ix) || !SettledRound(fy, yBound, iy)) return false;
    if (ix < 0 || ix >= source.width || iy < 0 || iy >= source.height) return true;
    const double gx = fx - ix;
    const double gy = fy - iy;
    const int32_t ix2 = ClampInt(ix + 1, 0, source.width - 1);
    const int32_t iy2 = ClampInt(iy + 1, 0, source.height - 1);
    const uint8_t* row1 = source.rows[iy];
    const uint8_t* row2 = source.rows[iy2];
    const double valueBound = 2.0 * (511.0 * yBound + 765.0 * xBound + 3000.0 * kBothRoundoffs);
    int32_t channels[3];
    for (int c = 0; c < 3; ++c) {
        const int32_t p11 = row1[3 * ix + c], p21 = row1[3 * ix2 + c];
        const int32_t p12 = row2[3 * ix + c], p22 = row2[3 * ix2 + c];
        const double top = (p21 - p11) * gx + p11;
        const double bottom = (p22 - p12) * gx + p12;
        const double value = (bottom - top) * gy + top;
        if (!SettledRound(value, valueBound, channels[c])) return false;
    }
    for (int c = 0; c < 3; ++c) target[c] = static_cast<uint8_t>(ClampToByte(channels[c]));
    return true;
}

ArgValue SameWidth(PixelBitmap& picture) {
    ArgValue value;
    value.i = picture.Width();
    return value;
}

ArgValue SameHeight(PixelBitmap& picture) {
    ArgValue value;
    value.i = picture.Height();
    return value;
}

// A tile smaller than this in either direction is not worth repeating.
constexpr int32_t kSmallestTile = 5;

// SmoothResize DW DH: the working picture, resized into a new DW x DH picture,
// becomes that picture.
void InvokeSmoothResize(const Pictures& pictures, std::span<const ArgValue> args) {
    if (args[0].i < 0 || args[1].i < 0) throw Error("Destination size must not be negative");
    ScratchPicture target(args[0].i, args[1].i);
    target->SetLayout(BitmapLayout::Bits24);
    SmoothResize(*pictures.picture, *target);
    pictures.picture->Assign(target.get());
}

} // namespace

void SmoothResize(PixelBitmap& source, PixelBitmap& destination) {
    if (!PrepareRows(source) || !PrepareRows(destination)) return;
    const int32_t sourceWidth = source.Width();
    const int32_t sourceHeight = source.Height();
    const int32_t destWidth = destination.Width();
    const int32_t destHeight = destination.Height();

    const std::vector<ResizeColumn> columns = ResizeColumns(sourceWidth, destWidth);
    const int64_t yStep = FixedStep(sourceHeight, destHeight);
    const std::vector<uint8_t*> sourceRows = RowTable(source);
    const std::vector<uint8_t*> destinationRows = RowTable(destination);
    const auto band = [&](int32_t top, int32_t bottom) {
        // Row y's position is y steps down: the sum the serial walk would reach.
        int64_t sy = top * yStep;
        for (int32_t y = top; y < bottom; ++y, sy += yStep) {
            const int32_t y1 = static_cast<int32_t>(sy >> kShift);
            const uint8_t* row1 = sourceRows[y1];
            const uint8_t* row2 = y1 + 1 < sourceHeight ? sourceRows[y1 + 1] : row1;
            ResizeRow(row1, row2, static_cast<uint32_t>(sy & kFraction), columns,
                      destinationRows[y]);
        }
    };
    RowsInOrderWhenInPlace(source, destination, band);
}

void SmoothRotate(PixelBitmap& source, PixelBitmap& destination, int32_t cx, int32_t cy,
                  long double angle) {
    if (!PrepareRows(source) || !PrepareRows(destination)) return;
    const long double t = -angle * kPi / 180;
    const double sine = static_cast<double>(Sin(t));
    const double cosine = static_cast<double>(Cos(t));
    const int32_t dx = (destination.Width() - source.Width()) / 2;
    const int32_t dy = (destination.Height() - source.Height()) / 2;

    // px * cos and px * sin per column: the same products for every row.
    std::vector<RotateTerms> columns(static_cast<size_t>(destination.Width()));
    std::vector<FastRotateTerms> fastColumns(static_cast<size_t>(destination.Width()));
    for (int32_t x = 0; x < destination.Width(); ++x) {
        const int64_t px = 2 * (int64_t{x} - cx) + 1;
        columns[x] = {px * static_cast<long double>(cosine), px * static_cast<long double>(sine)};
        fastColumns[x] = {static_cast<double>(px) * cosine, static_cast<double>(px) * sine};
    }
    const SourceRows rows(source);
    const std::vector<uint8_t*> destinationRows = RowTable(destination);
    const auto band = [&](int32_t top, int32_t bottom) {
        for (int32_t y = top; y < bottom; ++y) {
            const int64_t py = 2 * (int64_t{y} - cy) + 1;
            const long double pySine = py * static_cast<long double>(sine);
            const long double pyCosine = py * static_cast<long double>(cosine);
            const FastRotateRow fastRow{static_cast<double>(py) * sine,
                                        static_cast<double>(py) * cosine,
                                        static_cast<double>(cx),
                                        static_cast<double>(cy),
                                        static_cast<double>(dx),
                                        static_cast<double>(dy)};
            uint8_t* target = destinationRows[y];
            for (int32_t x = 0; x < destination.Width(); ++x) {
                uint8_t* pixel = target + 3 * static_cast<size_t>(x);
                if (FastRotatePixel(rows, fastColumns[x], fastRow, pixel)) continue;
                const long double fx = ((columns[x].cosine - pySine) - 1) / 2 + cx - dx;
                const long double fy = ((columns[x].sine + pyCosine) - 1) / 2 + cy - dy;
                RotatePixel(rows, fx, fy, pixel);
            }
        }
    };
    RowsInOrderWhenInPlace(source, destination, band);
}

void Tile(PixelBitmap& source, PixelBitmap& destination, int32_t amount) {
    destination.Assign(&source);
    if (amount <= 0) return;
    const int32_t tileWidth = source.Width() / amount;
    const int32_t tileHeight = source.Height() / amount;
    if (tileWidth < kSmallestTile || tileHeight < kSmallestTile) return;

    ScratchPicture tile(tileWidth, tileHeight);
    tile->SetLayout(BitmapLayout::Bits24);
    SmoothResize(source, *tile);
    // The copy has the source's layout; drawing the tiles into palette or
    // 16-bit rows would change their colours, so only 32-bit rows are kept.
    if (destination.Layout() != BitmapLayout::Bits32) EnsureBits24(destination);
    bitmap::Canvas* canvas = destination.Canvas();
    if (canvas == nullptr) return;
    const HDC context = canvas->Handle();
    for (int32_t i = 0; i < amount; ++i)
        for (int32_t j = 0; j < amount; ++j) tile->Draw(context, j * tileWidth, i * tileHeight);
}

std::vector<Operation> ResizeRotateTileOperations() {
    return {
        {"SmoothResize",
         {{"DW", ParamKind::Int, "W", &SameWidth}, {"DH", ParamKind::Int, "H", &SameHeight}},
         Wiring::IntoNewPicture,
         &InvokeSmoothResize},
        {"SmoothRotate",
         {{"cx", ParamKind::Int, "0"},
          {"cy", ParamKind::Int, "0"},
          {"Angle", ParamKind::Float, "33.0"}},
         Wiring::SourceToPicture,
         [](const Pictures& pictures, std::span<const ArgValue> args) {
             SmoothRotate(*pictures.copy, *pictures.picture, args[0].i, args[1].i, args[2].f);
         }},
        {"Tile",
         {{"Amount", ParamKind::Int, "8"}},
         Wiring::SourceToPicture,
         [](const Pictures& pictures, std::span<const ArgValue> args) {
             Tile(*pictures.copy, *pictures.picture, args[0].i);
         }},
    };
}

} // namespace gleamkit::fx
