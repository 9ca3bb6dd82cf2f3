// The exact and the fast forms of the warps' positions. The exact forms keep
// every named quantity a 32-bit float rounded where it is stored, with the
// expressions between stores at extended precision in the order the formulas
// are written. The fast forms follow the same formulas in double precision;
// each carries the reasoning that bounds its distance from the extended value
// next to it, and stores a value only when no float rounding boundary lies
// within that bound (SettledFloat).
#include "effects/warp_positions.h"

#include <cmath>

#include "effects/checked_double.h"
#include "effects/effect_common.h"
#include "effects/radial_warp.h"
#include "effects/vector_math.h"

namespace gleamkit::fx::warp {

CentreOffsets::CentreOffsets(int32_t count, float centre) : offset(count), square(count) {
    for (int32_t i = 0; i < count; ++i) {
        offset[i] = static_cast<float>(i - static_cast<long double>(centre));
        square[i] = static_cast<long double>(offset[i]) * offset[i];
    }
}

float Radius(long double dxSquare, long double dySquare) {
    return static_cast<float>(std::sqrt(dxSquare + dySquare));
}

// One fish-eye position; false when the pixel lies exactly on the rim or its
// position leaves the float range, where the formula has no answer.
bool FishEyePosition(float dx, float dy, float r, float maxrad, float xmid, float ymid, float& fx,
                     float& fy) {
    if (r == 0.0f) {
        fx = xmid;
        fy = ymid;
        return true;
    }
    const long double rest = 1.0L - r / static_cast<long double>(maxrad);
    if (rest == 0.0L) return false;
    const float nr = static_cast<float>((1.0L / rest - 1.0L) * (maxrad / 2.0L));
    fx = static_cast<float>(static_cast<long double>(dx) * nr / r + xmid);
    fy = static_cast<float>(static_cast<long double>(dy) * nr / r + ymid);
    return std::isfinite(fx) && std::isfinite(fy);
}

// One twist position: the angle of the offset, less r / amount, plus the
// quarter turn, all stored as floats; each product r * cos(a), r * sin(a) is
// stored before the centre is added.
void TwistPosition(float dx, float dy, long double dxSquare, long double dySquare, int32_t amount,
                   float cx, float cy, float& fx, float& fy) {
    const float r = Radius(dxSquare, dySquare);
    if (r == 0.0f) {
        fx = cx;
        fy = cy;
        return;
    }
    const float a = static_cast<float>(static_cast<long double>(AngleOf(dx, dy)) -
                                       r / static_cast<long double>(amount) + kHalfPiFloat);
    long double sine;
    long double cosine;
    SinCos(a, sine, cosine);
    const float px = static_cast<float>(r * cosine);
    const float py = static_cast<float>(r * sine);
    fx = static_cast<float>(static_cast<long double>(px) + cx);
    fy = static_cast<float>(static_cast<long double>(py) + cy);
}

// The radius of an offset, stored as a float. The squares of two float
// offsets that are multiples of 1/2 below 2^22 and their sum are exact in
// double and in extended precision; a square root correctly rounded to 53 or
// to 64 bits and then to a float gives the correctly rounded float square
// root either way (rounding twice is harmless when the first precision has at
// least 2 * 24 + 2 bits), so the double square root stores the same float.
float FastRadius(float dx, float dy) {
    return static_cast<float>(
        std::sqrt(static_cast<double>(dx) * dx + static_cast<double>(dy) * dy));
}

// FishEye's positions for one row piece in double precision (see
// FastFishEyePositions in the header).
//
// Bounds, with U the sum of the two unit roundoffs and a = r / maxrad (here r
// times the rounded reciprocal of maxrad: two roundings, 2 a U):
//  - nr = (1 / (1 - a) - 1) * (maxrad / 2): 1 - a carries the error of a,
//    2 a U, amplified by 1 / |1 - a|; the reciprocal adds one rounding;
//    subtracting 1 from 1 / (1 - a) cancels down to a / (1 - a), dividing the
//    error relative to the value by |a|; the product adds one more: relative
//    error at most (2 / |1 - a| + 2 / |a| + 2) U to first order.
//  - fx = dx * nr / r + xmid: dx * nr is exact (two floats), the quotient t
//    (times the rounded reciprocal of r: two roundings) errs by 2 |t| U and
//    the sum s adds one rounding: at most (2 |t| + |s|) U.
// Each bound is doubled to cover the second-order terms. The steps run over
// the whole piece at a time, so the compiler can keep several pixels in
// flight (and in vector registers).
void FastFishEyePositions(const CentreOffsets& columns, float dy, int32_t left, int32_t right,
                          float maxrad, float xmid, float ymid, WarpPiece& piece) {
    const int32_t count = right - left;
    const double inverseMaxrad = 1.0 / maxrad;
    const double halfMaxrad = static_cast<double>(maxrad) / 2.0;
    float radius[kPieceLength];
    double inverseR[kPieceLength];
    double nrValue[kPieceLength];
    double nrBound[kPieceLength];
    for (int32_t i = 0; i < count; ++i) {
        radius[i] = FastRadius(columns.offset[left + i], dy);
        inverseR[i] = 1.0 / radius[i];
        const double a = radius[i] * inverseMaxrad;
        const double reciprocal = 1.0 / (1.0 - a);
        nrValue[i] = (reciprocal - 1.0) * halfMaxrad;
        nrBound[i] = 2.0 *
                     (2.0 * std::fabs(reciprocal) + 2.0 * std::fabs(maxrad * inverseR[i]) + 2.0) *
                     kBothRoundoffs * std::fabs(nrValue[i]);
    }
    float nr[kPieceLength];
    for (int32_t i = 0; i < count; ++i) {
        piece.settled[i] = radius[i] != 0.0f && SettledFloat(nrValue[i], nrBound[i], nr[i]);
        if (!piece.settled[i]) nr[i] = 0.0f;
    }
    double sumX[kPieceLength], sumY[kPieceLength], boundX[kPieceLength], boundY[kPieceLength];
    for (int32_t i = 0; i < count; ++i) {
        const double tx = static_cast<double>(columns.offset[left + i]) * nr[i] * inverseR[i];
        const double ty = static_cast<double>(dy) * nr[i] * inverseR[i];
        sumX[i] = tx + xmid;
        sumY[i] = ty + ymid;
        boundX[i] = 2.0 * (2.0 * std::fabs(tx) + std::fabs(sumX[i])) * kBothRoundoffs;
        boundY[i] = 2.0 * (2.0 * std::fabs(ty) + std::fabs(sumY[i])) * kBothRoundoffs;
    }
    for (int32_t i = 0; i < count; ++i)
        piece.settled[i] = piece.settled[i] && SettledFloat(sumX[i], boundX[i], piece.fx[i]) &&
                           SettledFloat(sumY[i], boundY[i], piece.fy[i]);
}

// True when sum, the double sum of a and b, is exact: the rounding error of
// a sum is itself a double, recovered exactly by subtracting the larger
// operand from the sum, so both differences give back the other operand
// exactly when (and only when) nothing was lost.
inline bool ExactSum(double sum, double a, double b) {
    return sum - a == b && sum - b == a;
}

// True when quotient is exactly r / divisor: it is a float, and its product
// with the divisor (24 + 29 bits, exact in double) gives r back.
inline bool ExactQuotient(double quotient, float r, int32_t divisor) {
    return divisor > -(1 << 29) && divisor < (1 << 29) &&
           static_cast<double>(static_cast<float>(quotient)) == quotient && quotient * divisor == r;
}

void FastTwistPositions(const CentreOffsets& columns, const std::vector<double>& reciprocals,
                        float dy, int32_t left, int32_t right, int32_t amount, float cx, float cy,
                        WarpPiece& piece) {
    const int32_t count = right - left;
    double quotient[kPieceLength] = {};
    double arctangent[kPieceLength];
    float radius[kPieceLength];
    for (int32_t i = 0; i < count; ++i) {
        radius[i] = FastRadius(columns.offset[left + i], dy);
        quotient[i] = dy * reciprocals[left + i];
    }
    AtanMany(quotient, arctangent, count);

    constexpr double kPiDouble = static_cast<double>(kPi);
    constexpr float kPiFloat = static_cast<float>(kPi);
    constexpr double kLibraryError = 2.0 * kLibraryUlps;
    const double inverseAmount = 1.0 / amount;
    double turned[kPieceLength];
    for (int32_t i = 0; i < count; ++i) {
        const float dx = columns.offset[left + i];
        const float r = radius[i];
        bool settled = true;
        float angle;
        if (dx == 0.0f) {
            angle = dy > 0.0f ? kHalfPiFloat : -kHalfPiFloat;
        } else if (dy == 0.0f) {
            angle = dx < 0.0f ? kPiFloat : 0.0f;
        } else {
            const double value = dx < 0.0f ? arctangent[i] + kPiDouble : arctangent[i];
            const double error = 1.0 + kLibraryError * std::fabs(arctangent[i]) +
                                 (dx < 0.0f ? kPiDouble : 0.0) + std::fabs(value);
            settled = SettledFloat(value, 2.0 * error * kBothRoundoffs, angle);
        }
        float a = 0.0f;
        if (settled) {
            const double share = r * inverseAmount;
            const double difference = angle - share;
            const double value = difference + kHalfPiFloat;
            if (ExactQuotient(share, r, amount) && ExactSum(difference, angle, -share) &&
                ExactSum(value, difference, kHalfPiFloat)) {
                a = static_cast<float>(value);
            } else {
                const double error =
                    2.0 * std::fabs(share) + std::fabs(difference) + std::fabs(value);
                settled = SettledFloat(value, 2.0 * error * kBothRoundoffs, a);
            }
        }
        piece.settled[i] = settled && r != 0.0f;
        turned[i] = a;
    }
    double sine[kPieceLength];
    double cosine[kPieceLength];
    SinCosMany(turned, sine, cosine, count);

    constexpr double kProductError = 2.0 * (kLibraryError + 1.0) * kBothRoundoffs;
    for (int32_t i = 0; i < count; ++i) {
        if (!piece.settled[i]) continue;
        const double px = static_cast<double>(radius[i]) * cosine[i];
        const double py = static_cast<double>(radius[i]) * sine[i];
        float storedX;
        float storedY;
        if (!SettledFloat(px, kProductError * std::fabs(px), storedX) ||
            !SettledFloat(py, kProductError * std::fabs(py), storedY)) {
            piece.settled[i] = false;
            continue;
        }
        piece.fx[i] = static_cast<float>(static_cast<double>(storedX) + cx);
        piece.fy[i] = static_cast<float>(static_cast<double>(storedY) + cy);
    }
}

} // namespace gleamkit::fx::warp
