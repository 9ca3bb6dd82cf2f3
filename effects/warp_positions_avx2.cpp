// The four-lane AVX2 forms of the warps' fast positions (see warp_lanes.h), built
// with AVX2 enabled (see the effects build file) and called only when the
// processor has it.
#include <immintrin.h>

#include "effects/warp_lanes.h"

namespace gleamkit::fx::warp {

namespace {

struct Avx2Lanes {
    using Doubles = __m256d;
    static constexpr int32_t kCount = 4;

    static __m256d Set(double v) { return _mm256_set1_pd(v); }
    static __m256d Mask(bool on) { return _mm256_castsi256_pd(_mm256_set1_epi32(on ? -1 : 0)); }
    static __m256d Load(const double* p) { return _mm256_load_pd(p); }
    static void Store(double* p, __m256d v) { _mm256_store_pd(p, v); }
    static __m256d Add(__m256d a, __m256d b) { return _mm256_add_pd(a, b); }
    static __m256d Sub(__m256d a, __m256d b) { return _mm256_sub_pd(a, b); }
    static __m256d Mul(__m256d a, __m256d b) { return _mm256_mul_pd(a, b); }
    static __m256d Div(__m256d a, __m256d b) { return _mm256_div_pd(a, b); }
    static __m256d Sqrt(__m256d a) { return _mm256_sqrt_pd(a); }
    static __m256d And(__m256d a, __m256d b) { return _mm256_and_pd(a, b); }
    static __m256d Or(__m256d a, __m256d b) { return _mm256_or_pd(a, b); }
    static __m256d Less(__m256d a, __m256d b) { return _mm256_cmp_pd(a, b, _CMP_LT_OQ); }
    static __m256d Equal(__m256d a, __m256d b) { return _mm256_cmp_pd(a, b, _CMP_EQ_OQ); }
    static __m256d NotEqual(__m256d a, __m256d b) { return _mm256_cmp_pd(a, b, _CMP_NEQ_UQ); }
    static __m256d Abs(__m256d v) { return _mm256_andnot_pd(_mm256_set1_pd(-0.0), v); }
    static __m256d Select(__m256d mask, __m256d yes, __m256d no) {
        return _mm256_blendv_pd(no, yes, mask);
    }
    static __m256d AsFloat(__m256d v) { return _mm256_cvtps_pd(_mm256_cvtpd_ps(v)); }
    static __m128 ToFloats(__m256d v) { return _mm256_cvtpd_ps(v); }
    static __m256d FromFloats(__m128 v) { return _mm256_cvtps_pd(v); }
    static __m256d WidenMask(__m128 mask) {
        return _mm256_castsi256_pd(_mm256_cvtepi32_epi64(_mm_castps_si128(mask)));
    }
    static int Bits(__m256d mask) { return _mm256_movemask_pd(mask); }
    static void StoreFloats(float* p, __m256d v) { _mm_store_ps(p, _mm256_cvtpd_ps(v)); }
};

} // namespace

void FastFishEyePositionsAvx2(const float* offsets, float dy, int32_t left, int32_t right,
                              float maxrad, float xmid, float ymid, WarpPiece& piece) {
    FishEyePieceInLanes<Avx2Lanes>(offsets, dy, left, right, maxrad, xmid, ymid, piece);
}

void FastTwistPositionsAvx2(const float* offsets, const double* reciprocals, float dy,
                            int32_t left, int32_t right, int32_t amount, float cx, float cy,
                            WarpPiece& piece) {
    TwistPieceInLanes<Avx2Lanes>(offsets, reciprocals, dy, left, right, amount, cx, cy, piece);
}

} // namespace gleamkit::fx::warp
