// The fast FishEye and Twist positions of one row piece, written once for any
// width of vector register: `Lanes` supplies the double-precision operations
// (two lanes with SSE2 in warp_positions.cpp, four with AVX2 in
// warp_positions_avx2.cpp). The bounds and their reasoning are documented at
// FastFishEyePositions and FastTwistPositions in warp_positions.cpp; every
// lane performs the same IEEE operations in the same order whatever the
// width, so the values agree.
//
// Included only by those two files; the template lives in an unnamed
// namespace and each file passes its own lane type, so the AVX2 copy is never
// shared with code built for the baseline processor. It touches nothing but
// raw arrays, the lane operations, SSE float compares and the out-of-line
// vector math.
#pragma once

#include <xmmintrin.h>

#include <cstdint>

#include "effects/checked_double.h"
#include "effects/vector_math.h"
#include "effects/warp_positions.h"

namespace gleamkit::fx::warp {
namespace {

// All ones where sum, the double sum of a and b, is exact: the rounding
// error of a sum is itself a double, recovered exactly by subtracting the
// larger operand from the sum, so both differences give back the other
// operand exactly when (and only when) nothing was lost.
template <typename Lanes, typename D>
D ExactSum(D sum, D a, D b) {
    return Lanes::And(Lanes::Equal(Lanes::Sub(sum, a), b), Lanes::Equal(Lanes::Sub(sum, b), a));
}

// SettledFloat lane by lane: the floats (held in doubles) in `stored`, all
// ones where settled.
template <typename Lanes, typename D>
D Settled(D value, D bound, D& stored) {
    const D widened =
        Lanes::Add(Lanes::Add(bound, Lanes::Mul(Lanes::Abs(value), Lanes::Set(0x1p-50))),
                   Lanes::Set(0x1p-1072));
    const __m128 low = Lanes::ToFloats(Lanes::Sub(value, widened));
    const __m128 high = Lanes::ToFloats(Lanes::Add(value, widened));
    const __m128 magnitude = _mm_andnot_ps(_mm_set1_ps(-0.0f), low);
    const __m128 settled =
        _mm_and_ps(_mm_and_ps(_mm_cmpeq_ps(low, high), _mm_cmpneq_ps(low, _mm_setzero_ps())),
                   _mm_cmple_ps(magnitude, _mm_set1_ps(0x1.fffffep127f)));
    stored = Lanes::FromFloats(low);
    return Lanes::WidenMask(settled);
}

template <typename Lanes>
void FishEyePieceInLanes(const float* offsets, float dy, int32_t left, int32_t right, float maxrad,
                         float xmid, float ymid, WarpPiece& piece) {
    using D = typename Lanes::Doubles;
    constexpr int32_t kLanes = Lanes::kCount;
    // Whole registers; a short piece repeats its last pixel in spare lanes.
    const int32_t count = right - left;
    const int32_t lanes = (count + kLanes - 1) / kLanes * kLanes;
    alignas(32) double offset[kPieceLength];
    for (int32_t i = 0; i < lanes; ++i) offset[i] = offsets[left + (i < count ? i : count - 1)];

    const D zero = Lanes::Set(0.0);
    const D one = Lanes::Set(1.0);
    const D two = Lanes::Set(2.0);
    const D roundoffs = Lanes::Set(kBothRoundoffs);
    const D dyLanes = Lanes::Set(dy);
    const D dySquare = Lanes::Mul(dyLanes, dyLanes);
    const D maxradLanes = Lanes::Set(maxrad);
    const D inverseMaxrad = Lanes::Set(1.0 / maxrad);
    const D halfMaxrad = Lanes::Set(static_cast<double>(maxrad) / 2.0);
    const D centreX = Lanes::Set(xmid);
    const D centreY = Lanes::Set(ymid);
    for (int32_t i = 0; i < lanes; i += kLanes) {
        const D dx = Lanes::Load(offset + i);
        // FastRadius, lane by lane.
        const D r = Lanes::AsFloat(Lanes::Sqrt(Lanes::Add(Lanes::Mul(dx, dx), dySquare)));
        const D inverseR = Lanes::Div(one, r);
        // nr and its bound.
        const D a = Lanes::Mul(r, inverseMaxrad);
        const D reciprocal = Lanes::Div(one, Lanes::Sub(one, a));
        const D nrValue = Lanes::Mul(Lanes::Sub(reciprocal, one), halfMaxrad);
        const D nrFactor = Lanes::Add(
            Lanes::Add(Lanes::Mul(two, Lanes::Abs(reciprocal)),
                       Lanes::Mul(two, Lanes::Abs(Lanes::Mul(maxradLanes, inverseR)))),
            two);
        const D nrBound =
            Lanes::Mul(Lanes::Mul(Lanes::Mul(two, nrFactor), roundoffs), Lanes::Abs(nrValue));
        D nrStored;
        const D nrSettled =
            Lanes::And(Lanes::NotEqual(r, zero), Settled<Lanes>(nrValue, nrBound, nrStored));
        const D nr = Lanes::And(nrSettled, nrStored);
        // fx = dx * nr / r + xmid, fy alike.
        const D tx = Lanes::Mul(Lanes::Mul(dx, nr), inverseR);
        const D ty = Lanes::Mul(Lanes::Mul(dyLanes, nr), inverseR);
        const D sumX = Lanes::Add(tx, centreX);
        const D sumY = Lanes::Add(ty, centreY);
        const D boundX = Lanes::Mul(
            Lanes::Mul(two, Lanes::Add(Lanes::Mul(two, Lanes::Abs(tx)), Lanes::Abs(sumX))),
            roundoffs);
        const D boundY = Lanes::Mul(
            Lanes::Mul(two, Lanes::Add(Lanes::Mul(two, Lanes::Abs(ty)), Lanes::Abs(sumY))),
            roundoffs);
        D storedX;
        D storedY;
        const D settledX = Settled<Lanes>(sumX, boundX, storedX);
        const D settledY = Settled<Lanes>(sumY, boundY, storedY);
        const int settled = Lanes::Bits(Lanes::And(nrSettled, Lanes::And(settledX, settledY)));
        alignas(32) float fx[kLanes];
        alignas(32) float fy[kLanes];
        Lanes::StoreFloats(fx, storedX);
        Lanes::StoreFloats(fy, storedY);
        for (int32_t lane = 0; lane < kLanes && i + lane < count; ++lane) {
            piece.settled[i + lane] = (settled >> lane) & 1;
            piece.fx[i + lane] = fx[lane];
            piece.fy[i + lane] = fy[lane];
        }
    }
}

template <typename Lanes>
void TwistPieceInLanes(const float* offsets, const double* reciprocals, float dy, int32_t left,
                       int32_t right, int32_t amount, float cx, float cy,
                       WarpPiece& piece) {
    using D = typename Lanes::Doubles;
    constexpr int32_t kLanes = Lanes::kCount;
    constexpr int32_t kMost = kPieceLength;
    // Whole registers; a short piece repeats its last pixel in spare lanes.
    const int32_t count = right - left;
    const int32_t lanes = (count + kLanes - 1) / kLanes * kLanes;
    alignas(32) double offset[kMost];
    alignas(32) double quotient[kMost];
    for (int32_t i = 0; i < lanes; ++i) {
        const int32_t x = left + (i < count ? i : count - 1);
        offset[i] = offsets[x];
        quotient[i] = reciprocals[x];
    }
    alignas(32) double radius[kMost];
    const D dyLanes = Lanes::Set(dy);
    const D dySquare = Lanes::Mul(dyLanes, dyLanes);
    for (int32_t i = 0; i < lanes; i += kLanes) {
        const D dx = Lanes::Load(offset + i);
        // FastRadius, lane by lane.
        Lanes::Store(radius + i,
                     Lanes::AsFloat(Lanes::Sqrt(Lanes::Add(Lanes::Mul(dx, dx), dySquare))));
        Lanes::Store(quotient + i, Lanes::Mul(dyLanes, Lanes::Load(quotient + i)));
    }
    alignas(32) double arctangent[kMost];
    AtanMany(quotient, arctangent, lanes);

    constexpr double kPiDouble = static_cast<double>(kPi);
    constexpr double kLibraryError = 2.0 * kLibraryUlps;
    const D pi = Lanes::Set(kPiDouble);
    const D piFloat = Lanes::Set(static_cast<float>(kPi));
    const D halfPi = Lanes::Set(kHalfPiFloat);
    const D one = Lanes::Set(1.0);
    const D libraryError = Lanes::Set(kLibraryError);
    const D twoRoundoffs = Lanes::Set(2.0 * kBothRoundoffs);
    const D zero = Lanes::Set(0.0);
    const D rowAxis = Lanes::Mask(dy == 0.0f);
    const D columnAngle = Lanes::Set(dy > 0.0f ? kHalfPiFloat : -kHalfPiFloat);
    const D inverseAmount = Lanes::Set(1.0 / amount);
    const D amountLanes = Lanes::Set(amount);
    const D quotientFits = Lanes::Mask(amount > -(1 << 29) && amount < (1 << 29));
    const D productError = Lanes::Set(2.0 * (kLibraryError + 1.0) * kBothRoundoffs);
    alignas(32) double turned[kMost];
    alignas(32) double settledLanes[kMost];
    for (int32_t i = 0; i < lanes; i += kLanes) {
        const D dx = Lanes::Load(offset + i);
        const D r = Lanes::Load(radius + i);
        const D arc = Lanes::Load(arctangent + i);
        // The angle.
        const D negative = Lanes::Less(dx, zero);
        const D turn = Lanes::And(negative, pi);
        const D angleValue = Lanes::Add(arc, turn);
        const D angleError = Lanes::Add(
            Lanes::Add(Lanes::Add(one, Lanes::Mul(libraryError, Lanes::Abs(arc))), turn),
            Lanes::Abs(angleValue));
        D angleStored;
        const D angleProven =
            Settled<Lanes>(angleValue, Lanes::Mul(angleError, twoRoundoffs), angleStored);
        const D columnAxis = Lanes::Equal(dx, zero);
        const D onAxis = Lanes::Or(columnAxis, rowAxis);
        const D axisAngle = Lanes::Select(columnAxis, columnAngle, Lanes::And(negative, piFloat));
        const D angle = Lanes::Select(onAxis, axisAngle, angleStored);
        // a = angle - r / amount + pi / 2.
        const D share = Lanes::Mul(r, inverseAmount);
        const D difference = Lanes::Sub(angle, share);
        const D value = Lanes::Add(difference, halfPi);
        // r / amount is exactly the double share when share is a float whose
        // product with amount (24 + 29 bits, exact in double) gives r back.
        const D exactShare = Lanes::And(
            quotientFits, Lanes::And(Lanes::Equal(Lanes::AsFloat(share), share),
                                     Lanes::Equal(Lanes::Mul(share, amountLanes), r)));
        const D negativeShare = Lanes::Sub(zero, share);
        const D exact =
            Lanes::And(exactShare, Lanes::And(ExactSum<Lanes>(difference, angle, negativeShare),
                                              ExactSum<Lanes>(value, difference, halfPi)));
        const D turnError = Lanes::Add(
            Lanes::Add(Lanes::Add(Lanes::Abs(share), Lanes::Abs(share)), Lanes::Abs(difference)),
            Lanes::Abs(value));
        D turnStored;
        const D turnProven = Settled<Lanes>(value, Lanes::Mul(turnError, twoRoundoffs), turnStored);
        const D settled =
            Lanes::And(Lanes::And(Lanes::Or(onAxis, angleProven), Lanes::Or(exact, turnProven)),
                       Lanes::NotEqual(r, zero));
        Lanes::Store(turned + i,
                     Lanes::And(settled, Lanes::Select(exact, Lanes::AsFloat(value), turnStored)));
        Lanes::Store(settledLanes + i, settled);
    }
    alignas(32) double sine[kMost];
    alignas(32) double cosine[kMost];
    SinCosMany(turned, sine, cosine, lanes);

    const D centreX = Lanes::Set(cx);
    const D centreY = Lanes::Set(cy);
    for (int32_t i = 0; i < lanes; i += kLanes) {
        const D r = Lanes::Load(radius + i);
        const D px = Lanes::Mul(r, Lanes::Load(cosine + i));
        const D py = Lanes::Mul(r, Lanes::Load(sine + i));
        D storedX;
        D storedY;
        const D provenX = Settled<Lanes>(px, Lanes::Mul(productError, Lanes::Abs(px)), storedX);
        const D provenY = Settled<Lanes>(py, Lanes::Mul(productError, Lanes::Abs(py)), storedY);
        const int settled = Lanes::Bits(
            Lanes::And(Lanes::Load(settledLanes + i), Lanes::And(provenX, provenY)));
        alignas(32) float fx[kLanes];
        alignas(32) float fy[kLanes];
        Lanes::StoreFloats(fx, Lanes::Add(storedX, centreX));
        Lanes::StoreFloats(fy, Lanes::Add(storedY, centreY));
        for (int32_t lane = 0; lane < kLanes && i + lane < count; ++lane) {
            piece.settled[i + lane] = (settled >> lane) & 1;
            piece.fx[i + lane] = fx[lane];
            piece.fy[i + lane] = fy[lane];
        }
    }
}

} // namespace
} // namespace gleamkit::fx::warp
