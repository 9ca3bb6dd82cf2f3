// The Marble variants share one forward-mapping walk; they differ in the row
// and column displacement terms, in the signs that combine them, and (Marble5)
// in the walk order. The terms depend on the row or the column alone, so they
// are worked out once per row and once per column, in the same extended
// arithmetic a per-pixel evaluation would use.
#include "effects/marble.h"

#include <cmath>
#include <cstdlib>
#include <vector>

#include "effects/checked_double.h"
#include "effects/effect_common.h"
#include "effects/families.h"
#include "effects/source_guard.h"

namespace gleamkit::fx {

namespace {

// A sum below this magnitude rounds to a 32-bit value.
constexpr long double kPositionLimit = 2147483647.0L;

using Term = long double (*)(long double angle, long double turbulence);
using MarbleFunction = void (*)(PixelBitmap&, PixelBitmap&, int32_t, long double);

long double TCosine(long double a, long double t) {
    return t * Cos(a);
}
long double TSine(long double a, long double t) {
    return t * Sin(a);
}
long double TSineCosineHalf(long double a, long double t) {
    return t * Sin(a) * Cos(1.5L * a);
}
long double MinusTSine(long double a, long double t) {
    return -t * Sin(a);
}
long double MinusTCosine(long double a, long double t) {
    return -t * Cos(a);
}
long double MinusTanOverT(long double a, long double t) {
    return -Tan(a) / t;
}
long double MinusTanOverTSquared(long double a, long double t) {
    return -Tan(a) / (t * t);
}
long double MinusTSineDoubleCosine(long double a, long double t) {
    return -t * Sin(2.0L * a) * Cos(a);
}

enum class Walk { RowsDownPixelsRight, RowsUpPixelsLeft };

// xm = (x + along * xx) + across * yy and ym = (y + along * yy) + across * xx.
// A factor of -1 is an exact negation, so x + (-xx) is the x - xx of the
// variant tables bit for bit.
struct MarbleForm {
    Term rowTerm;
    Term columnTerm;
    long double along;
    long double across;
    Walk walk;
};

// The position a sum rounds to, reflected to its absolute value, or -1 when
// the sum is not a number or lies beyond the 32-bit range: such a pixel lands
// outside any picture. Inside that range lrint is an exact conversion; it
// rounds in the processor's mode, nearest with halves to even, which the
// library never changes. It is the same rounding as Round, without the
// per-call cost of saving and restoring the floating-point environment that
// two roundings per pixel would pay.
inline int32_t Reflected(long double sum) {
    if (!(std::fabs(sum) < kPositionLimit)) return -1;
    return static_cast<int32_t>(std::labs(std::lrint(sum)));
}

// Reflected(a + b) for two extended values a, b also held as the doubles ad,
// bd. The double sum is formed first: each conversion errs by at most
// |a| 2^-53 (|b| 2^-53), the double sum adds |sum| 2^-53 and the extended sum
// |sum| 2^-64; doubled for second-order terms, that bounds the distance to the
// extended sum, and a double sum farther than that from a half rounds as the
// extended one does. Otherwise the extended sum decides.
inline int32_t ReflectedSum(long double a, long double b, double ad, double bd) {
    const double sum = ad + bd;
    const double bound =
        2.0 * ((std::fabs(ad) + std::fabs(bd)) * 0x1p-53 + std::fabs(sum) * kBothRoundoffs);
    int32_t rounded;
    if (SettledRound(sum, bound, rounded)) return rounded < 0 ? -rounded : rounded;
    return Reflected(a + b);
}

// The row and column terms at extended precision and as doubles.
struct MarbleTerms {
    std::vector<long double> base;
    std::vector<long double> cross;
    std::vector<double> fastBase;
    std::vector<double> fastCross;
};

void RunMarble(const MarbleForm& form, PixelBitmap& sourcePicture, PixelBitmap& destination,
               int32_t scale, long double turbulence) {
    EnsureBits24(sourcePicture);
    const SourceGuard guard(sourcePicture, destination);
    PixelBitmap& source = guard.Source();
    CopyBitmap(destination, source);
    if (destination.Empty() || scale == 0 || turbulence == 0.0L) return;

    const int32_t width = source.Width();
    const int32_t height = source.Height();
    MarbleTerms columns{std::vector<long double>(width), std::vector<long double>(width),
                        std::vector<double>(width), std::vector<double>(width)};
    for (int32_t x = 0; x < width; ++x) {
        const long double xx = form.columnTerm((x % scale) / turbulence, turbulence);
        columns.base[x] = x + form.along * xx;
        columns.cross[x] = form.across * xx;
        columns.fastBase[x] = static_cast<double>(columns.base[x]);
        columns.fastCross[x] = static_cast<double>(columns.cross[x]);
    }
    std::vector<Bgr24*> destinationRows(height);
    for (int32_t y = 0; y < height; ++y) destinationRows[y] = destination.Row24(y);

    const bool forward = form.walk == Walk::RowsDownPixelsRight;
    for (int32_t step = 0; step < height; ++step) {
        const int32_t y = forward ? step : height - 1 - step;
        const long double yy = form.rowTerm((y % scale) / turbulence, turbulence);
        const long double rowBase = y + form.along * yy;
        const long double rowCross = form.across * yy;
        const double fastRowBase = static_cast<double>(rowBase);
        const double fastRowCross = static_cast<double>(rowCross);
        const Bgr24* sourceRow = source.Row24(y);
        for (int32_t column = 0; column < width; ++column) {
            const int32_t x = forward ? column : width - 1 - column;
            const int32_t xm =
                ReflectedSum(columns.base[x], rowCross, columns.fastBase[x], fastRowCross);
            const int32_t ym =
                ReflectedSum(rowBase, columns.cross[x], fastRowBase, columns.fastCross[x]);
            if (xm >= 0 && ym >= 0 && xm < width && ym < height)
                destinationRows[ym][xm] = sourceRow[x];
        }
    }
}

constexpr Walk kForward = Walk::RowsDownPixelsRight;

} // namespace

void Marble1(PixelBitmap& source, PixelBitmap& destination, int32_t scale, long double turbulence) {
    RunMarble({TCosine, MinusTSine, 1, 1, kForward}, source, destination, scale, turbulence);
}

void Marble2(PixelBitmap& source, PixelBitmap& destination, int32_t scale, long double turbulence) {
    RunMarble({TCosine, MinusTSine, 1, -1, kForward}, source, destination, scale, turbulence);
}

void Marble3(PixelBitmap& source, PixelBitmap& destination, int32_t scale, long double turbulence) {
    RunMarble({TCosine, MinusTSine, -1, 1, kForward}, source, destination, scale, turbulence);
}

void Marble4(PixelBitmap& source, PixelBitmap& destination, int32_t scale, long double turbulence) {
    RunMarble({TSine, MinusTCosine, 1, 1, kForward}, source, destination, scale, turbulence);
}

void Marble5(PixelBitmap& source, PixelBitmap& destination, int32_t scale, long double turbulence) {
    RunMarble({TCosine, MinusTSine, 1, 1, Walk::RowsUpPixelsLeft}, source, destination, scale,
              turbulence);
}

void Marble6(PixelBitmap& source, PixelBitmap& destination, int32_t scale, long double turbulence) {
    RunMarble({TCosine, MinusTanOverT, 1, 1, kForward}, source, destination, scale, turbulence);
}

void Marble7(PixelBitmap& source, PixelBitmap& destination, int32_t scale, long double turbulence) {
    RunMarble({TSine, MinusTanOverTSquared, 1, 1, kForward}, source, destination, scale,
              turbulence);
}

void Marble8(PixelBitmap& source, PixelBitmap& destination, int32_t scale, long double turbulence) {
    RunMarble({TSineCosineHalf, MinusTSineDoubleCosine, 1, 1, kForward}, source, destination, scale,
              turbulence);
}

namespace {

template <MarbleFunction marble>
void InvokeMarble(const Pictures& pictures, std::span<const ArgValue> args) {
    marble(*pictures.copy, *pictures.picture, args[0].i, args[1].f);
}

Operation MarbleRow(std::string_view name, std::string_view scale, std::string_view turbulence,
                    Invoker invoke) {
    return {name,
            {{"Scale", ParamKind::Int, scale}, {"Turbulence", ParamKind::Float, turbulence}},
            Wiring::SourceToPicture,
            invoke};
}

} // namespace

std::vector<Operation> MarbleOperations() {
    return {
        MarbleRow("Marble1", "3", "3.0", InvokeMarble<Marble1>),
        MarbleRow("Marble2", "2", "2.0", InvokeMarble<Marble2>),
        MarbleRow("Marble3", "3", "3.0", InvokeMarble<Marble3>),
        MarbleRow("Marble4", "3", "3.0", InvokeMarble<Marble4>),
        MarbleRow("Marble5", "3", "3.0", InvokeMarble<Marble5>),
        MarbleRow("Marble6", "3", "3.0", InvokeMarble<Marble6>),
        MarbleRow("Marble7", "4", "4.0", InvokeMarble<Marble7>),
        MarbleRow("Marble8", "3", "3.0", InvokeMarble<Marble8>),
    };
}

} // namespace gleamkit::fx
