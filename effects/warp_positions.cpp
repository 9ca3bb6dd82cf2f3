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
#include "effects/resampling_passes.h"
#include "effects/warp_lanes.h"
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

namespace {

// Two doubles at a time with SSE2, which every x86-64 processor has.
struct Sse2Lanes {
    using Doubles = __m128d;
    static constexpr int32_t kCount = 2;

    static __m128d Set(double v) { return _mm_set1_pd(v); }
    static __m128d Mask(bool on) { return _mm_castsi128_pd(_mm_set1_epi32(on ? -1 : 0)); }
    static __m128d Load(const double* p) { return _mm_load_pd(p); }
    static void Store(double* p, __m128d v) { _mm_store_pd(p, v); }
    static __m128d Add(__m128d a, __m128d b) { return _mm_add_pd(a, b); }
    static __m128d Sub(__m128d a, __m128d b) { return _mm_sub_pd(a, b); }
    static __m128d Mul(__m128d a, __m128d b) { return _mm_mul_pd(a, b); }
    static __m128d Div(__m128d a, __m128d b) { return _mm_div_pd(a, b); }
    static __m128d Sqrt(__m128d a) { return _mm_sqrt_pd(a); }
    static __m128d And(__m128d a, __m128d b) { return _mm_and_pd(a, b); }
    static __m128d Or(__m128d a, __m128d b) { return _mm_or_pd(a, b); }
    static __m128d Less(__m128d a, __m128d b) { return _mm_cmplt_pd(a, b); }
    static __m128d Equal(__m128d a, __m128d b) { return _mm_cmpeq_pd(a, b); }
    static __m128d NotEqual(__m128d a, __m128d b) { return _mm_cmpneq_pd(a, b); }
    static __m128d Abs(__m128d v) { return _mm_andnot_pd(_mm_set1_pd(-0.0), v); }
    static __m128d Select(__m128d mask, __m128d yes, __m128d no) {
        return _mm_or_pd(_mm_and_pd(mask, yes), _mm_andnot_pd(mask, no));
    }
    // A float held in a double, as a float variable would hold the value.
    static __m128d AsFloat(__m128d v) { return _mm_cvtps_pd(_mm_cvtpd_ps(v)); }
    static __m128 ToFloats(__m128d v) { return _mm_cvtpd_ps(v); }
    static __m128d FromFloats(__m128 v) { return _mm_cvtps_pd(v); }
    // Each float lane's mask (all ones or zeros) as its double lane's mask.
    static __m128d WidenMask(__m128 mask) {
        const __m128i lanes = _mm_castps_si128(mask);
        return _mm_castsi128_pd(_mm_unpacklo_epi32(lanes, lanes));
    }
    static int Bits(__m128d mask) { return _mm_movemask_pd(mask); }
    static void StoreFloats(float* p, __m128d v) {
        _mm_storel_pi(reinterpret_cast<__m64*>(p), _mm_cvtpd_ps(v));
    }
};

} // namespace

// Defined in warp_positions_avx2.cpp: the same with four lanes.
void FastFishEyePositionsAvx2(const float* offsets, float dy, int32_t left, int32_t right,
                              float maxrad, float xmid, float ymid, WarpPiece& piece);
void FastTwistPositionsAvx2(const float* offsets, const double* reciprocals, float dy,
                            int32_t left, int32_t right, int32_t amount, float cx, float cy,
                            WarpPiece& piece);

// FishEye's positions for one row piece in double precision, a whole
// register of pixels at a time (warp_lanes.h).
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
// Each bound is doubled to cover the second-order terms.
void FastFishEyePositions(const CentreOffsets& columns, float dy, int32_t left, int32_t right,
                          float maxrad, float xmid, float ymid, WarpPiece& piece, bool widest) {
    if (widest && ProcessorHasAvx2())
        FastFishEyePositionsAvx2(columns.offset.data(), dy, left, right, maxrad, xmid, ymid, piece);
    else
        FishEyePieceInLanes<Sse2Lanes>(columns.offset.data(), dy, left, right, maxrad, xmid, ymid,
                                       piece);
}

// Twist's positions for one row piece in double precision, with its
// arctangents, sines and cosines taken many at a time (warp_lanes.h).
// settled[i] is false where a stored value might differ from the extended
// one; the caller then takes TwistPosition for that pixel.
//
// Bounds (U the sum of the two unit roundoffs, L the library functions'
// error allowance in units in the last place, each bound doubled to cover
// second-order terms):
//  - the angle arctan(dy / dx) (+ pi when dx < 0): the quotient q (here dy
//    times the rounded reciprocal of dx, two roundings) errs by at most
//    2 |q| U, which moves the arctangent by at most 2 |q| / (1 + q^2) U <= U;
//    the arctangent itself errs by at most 2 L |arctan q| U; pi is held to
//    within pi U; the sum adds |angle| U.
//    On the row through the centre (dy = 0) the arctangent is of a zero and
//    exactly zero, so the angle is 0 or the float nearest pi.
//  - a = angle - r / amount + pi / 2 (angle, r and pi / 2 floats): the share
//    r / amount (r times the rounded reciprocal: two roundings) and two more
//    roundings, at most (2 |r / amount| + |difference| + |a|) U. Often all
//    three are exact (r a multiple of amount, and the sums of floats short
//    enough for 53 bits); the sum can then sit exactly on a float midpoint,
//    but extended precision holds the same exact sum and rounds it the same
//    way, so an exact sum is stored as it is.
//  - px = r * cos(a) (a a float): the cosine errs by at most 2 L |cos a| U and
//    the product adds one rounding: at most (2 L + 1) |px| U; py alike.
//  - fx = px + cx: a sum of two floats correctly rounded to 53 or 64 bits and
//    then to a float is the correctly rounded float sum either way, so it
//    needs no check.
void FastTwistPositions(const CentreOffsets& columns, const std::vector<double>& reciprocals,
                        float dy, int32_t left, int32_t right, int32_t amount, float cx, float cy,
                        WarpPiece& piece, bool widest) {
    if (widest && ProcessorHasAvx2())
        FastTwistPositionsAvx2(columns.offset.data(), reciprocals.data(), dy, left, right, amount,
                               cx, cy, piece);
    else
        TwistPieceInLanes<Sse2Lanes>(columns.offset.data(), reciprocals.data(), dy, left, right,
                                     amount, cx, cy, piece);
}

} // namespace gleamkit::fx::warp
