// The exact and the fast forms of the warps' positions. The exact forms keep
// every named quantity a 32-bit float rounded where it is stored, with the
// expressions between stores at extended precision in the order the formulas
// are written. The fast forms follow the same formulas in double precision;
// each carries the reasoning that bounds its distance from the extended value
// next to it, and stores a value only when no float rounding boundary lies
// within that bound (SettledFloat).
#include "effects/warp_positions.h"

#include <emmintrin.h>

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

namespace {

// Two doubles at a time with SSE2, which every x86-64 processor has: the
// same operations in the same order as one at a time, so the same values.
inline __m128d Abs(__m128d v) {
    return _mm_andnot_pd(_mm_set1_pd(-0.0), v);
}

inline __m128d Select(__m128d mask, __m128d yes, __m128d no) {
    return _mm_or_pd(_mm_and_pd(mask, yes), _mm_andnot_pd(mask, no));
}

// A float held in a double, as a float variable would hold the value.
inline __m128d AsFloat(__m128d v) {
    return _mm_cvtps_pd(_mm_cvtpd_ps(v));
}

// SettledFloat for two values: the floats (held in doubles) in `stored`, and
// a lane mask of all ones where settled.
inline __m128d SettledPair(__m128d value, __m128d bound, __m128d& stored) {
    const __m128d widened = _mm_add_pd(
        _mm_add_pd(bound, _mm_mul_pd(Abs(value), _mm_set1_pd(0x1p-50))), _mm_set1_pd(0x1p-1072));
    const __m128 low = _mm_cvtpd_ps(_mm_sub_pd(value, widened));
    const __m128 high = _mm_cvtpd_ps(_mm_add_pd(value, widened));
    const __m128 magnitude = _mm_andnot_ps(_mm_set1_ps(-0.0f), low);
    const __m128 settled =
        _mm_and_ps(_mm_and_ps(_mm_cmpeq_ps(low, high), _mm_cmpneq_ps(low, _mm_setzero_ps())),
                   _mm_cmple_ps(magnitude, _mm_set1_ps(0x1.fffffep127f)));
    stored = _mm_cvtps_pd(low);
    const __m128i lanes = _mm_castps_si128(settled);
    return _mm_castsi128_pd(_mm_unpacklo_epi32(lanes, lanes));
}

// ExactSum for two lanes: all ones where sum = a + b exactly.
inline __m128d ExactSumPair(__m128d sum, __m128d a, __m128d b) {
    return _mm_and_pd(_mm_cmpeq_pd(_mm_sub_pd(sum, a), b), _mm_cmpeq_pd(_mm_sub_pd(sum, b), a));
}

} // namespace

void FastTwistPositions(const CentreOffsets& columns, const std::vector<double>& reciprocals,
                        float dy, int32_t left, int32_t right, int32_t amount, float cx, float cy,
                        WarpPiece& piece) {
    // Pairs of pixels; an odd piece repeats its last pixel in the spare lane.
    const int32_t count = right - left;
    const int32_t lanes = count + (count & 1);
    alignas(16) double offset[kPieceLength];
    alignas(16) double radius[kPieceLength];
    alignas(16) double quotient[kPieceLength];
    const __m128d dyLanes = _mm_set1_pd(dy);
    const __m128d dySquare = _mm_mul_pd(dyLanes, dyLanes);
    for (int32_t i = 0; i < lanes; i += 2) {
        const int32_t x = left + i;
        const int32_t next = left + Min(i + 1, count - 1);
        const __m128d dx = _mm_set_pd(columns.offset[next], columns.offset[x]);
        _mm_store_pd(offset + i, dx);
        // FastRadius for two offsets.
        _mm_store_pd(radius + i,
                     AsFloat(_mm_sqrt_pd(_mm_add_pd(_mm_mul_pd(dx, dx), dySquare))));
        _mm_store_pd(quotient + i,
                     _mm_mul_pd(dyLanes, _mm_set_pd(reciprocals[next], reciprocals[x])));
    }
    alignas(16) double arctangent[kPieceLength];
    AtanMany(quotient, arctangent, lanes);

    constexpr double kPiDouble = static_cast<double>(kPi);
    constexpr double kLibraryError = 2.0 * kLibraryUlps;
    const __m128d pi = _mm_set1_pd(kPiDouble);
    const __m128d halfPi = _mm_set1_pd(kHalfPiFloat);
    const __m128d twoRoundoffs = _mm_set1_pd(2.0 * kBothRoundoffs);
    const __m128d zero = _mm_setzero_pd();
    const __m128d rowAxis = _mm_castsi128_pd(_mm_set1_epi32(dy == 0.0f ? -1 : 0));
    const __m128d columnAngle = _mm_set1_pd(dy > 0.0f ? kHalfPiFloat : -kHalfPiFloat);
    const __m128d inverseAmount = _mm_set1_pd(1.0 / amount);
    const __m128d amountLanes = _mm_set1_pd(amount);
    const __m128d quotientFits = _mm_castsi128_pd(
        _mm_set1_epi32(amount > -(1 << 29) && amount < (1 << 29) ? -1 : 0));
    const __m128d productError = _mm_set1_pd(2.0 * (kLibraryError + 1.0) * kBothRoundoffs);
    alignas(16) double turned[kPieceLength];
    alignas(16) double settledLanes[kPieceLength];
    for (int32_t i = 0; i < lanes; i += 2) {
        const __m128d dx = _mm_load_pd(offset + i);
        const __m128d r = _mm_load_pd(radius + i);
        const __m128d arc = _mm_load_pd(arctangent + i);
        // The angle.
        const __m128d negative = _mm_cmplt_pd(dx, zero);
        const __m128d turn = _mm_and_pd(negative, pi);
        const __m128d angleValue = _mm_add_pd(arc, turn);
        const __m128d angleError = _mm_add_pd(
            _mm_add_pd(_mm_add_pd(_mm_set1_pd(1.0), _mm_mul_pd(_mm_set1_pd(kLibraryError), Abs(arc))),
                       turn),
            Abs(angleValue));
        __m128d angleStored;
        const __m128d angleProven =
            SettledPair(angleValue, _mm_mul_pd(angleError, twoRoundoffs), angleStored);
        const __m128d columnAxis = _mm_cmpeq_pd(dx, zero);
        const __m128d onAxis = _mm_or_pd(columnAxis, rowAxis);
        const __m128d axisAngle =
            Select(columnAxis, columnAngle, _mm_and_pd(negative, _mm_set1_pd(static_cast<float>(kPi))));
        const __m128d angle = Select(onAxis, axisAngle, angleStored);
        // a = angle - r / amount + pi / 2.
        const __m128d share = _mm_mul_pd(r, inverseAmount);
        const __m128d difference = _mm_sub_pd(angle, share);
        const __m128d value = _mm_add_pd(difference, halfPi);
        const __m128d exactShare =
            _mm_and_pd(quotientFits, _mm_and_pd(_mm_cmpeq_pd(AsFloat(share), share),
                                                _mm_cmpeq_pd(_mm_mul_pd(share, amountLanes), r)));
        const __m128d negativeShare = _mm_sub_pd(zero, share);
        const __m128d exact =
            _mm_and_pd(exactShare, _mm_and_pd(ExactSumPair(difference, angle, negativeShare),
                                              ExactSumPair(value, difference, halfPi)));
        const __m128d turnError = _mm_add_pd(
            _mm_add_pd(_mm_add_pd(Abs(share), Abs(share)), Abs(difference)), Abs(value));
        __m128d turnStored;
        const __m128d turnProven =
            SettledPair(value, _mm_mul_pd(turnError, twoRoundoffs), turnStored);
        const __m128d settled =
            _mm_and_pd(_mm_and_pd(_mm_or_pd(onAxis, angleProven), _mm_or_pd(exact, turnProven)),
                       _mm_cmpneq_pd(r, zero));
        _mm_store_pd(turned + i, _mm_and_pd(settled, Select(exact, AsFloat(value), turnStored)));
        _mm_store_pd(settledLanes + i, settled);
    }
    alignas(16) double sine[kPieceLength];
    alignas(16) double cosine[kPieceLength];
    SinCosMany(turned, sine, cosine, lanes);

    const __m128d centreX = _mm_set1_pd(cx);
    const __m128d centreY = _mm_set1_pd(cy);
    for (int32_t i = 0; i < lanes; i += 2) {
        const __m128d r = _mm_load_pd(radius + i);
        const __m128d px = _mm_mul_pd(r, _mm_load_pd(cosine + i));
        const __m128d py = _mm_mul_pd(r, _mm_load_pd(sine + i));
        __m128d storedX;
        __m128d storedY;
        const __m128d provenX = SettledPair(px, _mm_mul_pd(productError, Abs(px)), storedX);
        const __m128d provenY = SettledPair(py, _mm_mul_pd(productError, Abs(py)), storedY);
        const int settled =
            _mm_movemask_pd(_mm_and_pd(_mm_load_pd(settledLanes + i), _mm_and_pd(provenX, provenY)));
        alignas(16) float fx[4];
        alignas(16) float fy[4];
        _mm_store_ps(fx, _mm_cvtpd_ps(_mm_add_pd(storedX, centreX)));
        _mm_store_ps(fy, _mm_cvtpd_ps(_mm_add_pd(storedY, centreY)));
        for (int lane = 0; lane < 2 && i + lane < count; ++lane) {
            piece.settled[i + lane] = (settled >> lane) & 1;
            piece.fx[i + lane] = fx[lane];
            piece.fy[i + lane] = fy[lane];
        }
    }
}

} // namespace gleamkit::fx::warp
