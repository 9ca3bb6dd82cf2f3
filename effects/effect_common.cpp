#include "effects/effect_common.h"

#include <cmath>
#include <limits>

namespace gleamkit::fx {

namespace {

uint32_t g_randomState = 0;

// Saturates an integral-valued long double into the 32-bit range.
int32_t SaturateInt32(long double integral) {
    if (std::isnan(integral)) return 0;
    if (integral >= 2147483647.0L) return std::numeric_limits<int32_t>::max();
    if (integral <= -2147483648.0L) return std::numeric_limits<int32_t>::min();
    return static_cast<int32_t>(integral);
}

// 2^63: beyond it the processor's sine and cosine refuse the argument.
constexpr long double kTrigLimit = 9223372036854775808.0L;

} // namespace

int32_t Round(long double x) {
    // lrint rounds in the current mode (to nearest, halves to even) exactly as
    // nearbyint does, without saving and restoring the floating-point
    // environment, which costs about twenty times more. Inside these bounds the
    // result fits 32 bits; outside them the slow path saturates.
    if (x > -2147483648.5L && x < 2147483647.5L) return static_cast<int32_t>(std::lrint(x));
    return SaturateInt32(std::nearbyint(x));
}

uint8_t LowByteOfRound(long double x) {
    if (x > -2147483648.5L && x < 2147483647.5L) return static_cast<uint8_t>(std::lrint(x));
    const long double rounded = std::nearbyint(x);
    if (!(rounded >= -9223372036854775808.0L && rounded < 9223372036854775808.0L)) return 0;
    return static_cast<uint8_t>(static_cast<uint64_t>(static_cast<int64_t>(rounded)));
}

int32_t Trunc(long double x) {
    return SaturateInt32(std::trunc(x));
}

int32_t Floor(long double x) {
    return SaturateInt32(std::floor(x));
}

int32_t Ceil(long double x) {
    return SaturateInt32(std::ceil(x));
}

long double Sin(long double x) {
    if (!(std::fabs(x) < kTrigLimit)) return 0.0L;
    return std::sin(x);
}

long double Cos(long double x) {
    if (!(std::fabs(x) < kTrigLimit)) return 0.0L;
    return std::cos(x);
}

long double Tan(long double x) {
    if (!(std::fabs(x) < kTrigLimit)) return 0.0L;
    return std::tan(x);
}

void SinCos(long double x, long double& sine, long double& cosine) {
    if (!(std::fabs(x) < kTrigLimit)) {
        sine = 0.0L;
        cosine = 0.0L;
        return;
    }
    sincosl(x, &sine, &cosine);
}

uint32_t Random(uint32_t n) {
    g_randomState = NextRandomState(g_randomState);
    return ScaleRandom(n, g_randomState);
}

uint32_t RandomState() {
    return g_randomState;
}

void SetRandomState(uint32_t state) {
    g_randomState = state;
}

void EnsureBits24(PixelBitmap& picture) {
    if (!picture.Empty() && picture.Layout() != BitmapLayout::Bits24)
        picture.SetLayout(BitmapLayout::Bits24);
}

bool ProcessorHasAvx2() {
    static const bool available = __builtin_cpu_supports("avx2");
    return available;
}

bool PrepareRows(PixelBitmap& picture) {
    EnsureBits24(picture);
    return !picture.Empty() && picture.Layout() == BitmapLayout::Bits24;
}

std::vector<uint8_t*> RowTable(PixelBitmap& picture) {
    std::vector<uint8_t*> rows(static_cast<size_t>(picture.Height() > 0 ? picture.Height() : 0));
    for (size_t y = 0; y < rows.size(); ++y) rows[y] = picture.ScanLine(static_cast<int32_t>(y));
    return rows;
}

} // namespace gleamkit::fx
