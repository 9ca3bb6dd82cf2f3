// The vector functions are called through their published vector-ABI names;
// the two-lane forms need only SSE2, the four-lane ones (vector_math_avx2.cpp)
// are used when the processor has AVX2.
#include "effects/vector_math.h"

#include <emmintrin.h>

#include "effects/effect_common.h"

extern "C" {
__m128d _ZGVbN2v_atan(__m128d);
__m128d _ZGVbN2v_sin(__m128d);
__m128d _ZGVbN2v_cos(__m128d);
}

namespace gleamkit::fx {

void AtanManyAvx2(const double* in, double* out, int32_t count);
void SinCosManyAvx2(const double* in, double* sine, double* cosine, int32_t count);

namespace {

// Lanes past `count` are filled with zeros and their results dropped.
template <typename Function> void TwoAtATime(const double* in, double* out, int32_t count, Function f) {
    int32_t i = 0;
    for (; i + 2 <= count; i += 2) _mm_storeu_pd(out + i, f(_mm_loadu_pd(in + i)));
    if (i < count) out[i] = _mm_cvtsd_f64(f(_mm_set_sd(in[i])));
}

} // namespace

void AtanMany(const double* in, double* out, int32_t count) {
    if (ProcessorHasAvx2()) return AtanManyAvx2(in, out, count);
    TwoAtATime(in, out, count, [](__m128d v) { return _ZGVbN2v_atan(v); });
}

void SinCosMany(const double* in, double* sine, double* cosine, int32_t count) {
    if (ProcessorHasAvx2()) return SinCosManyAvx2(in, sine, cosine, count);
    TwoAtATime(in, sine, count, [](__m128d v) { return _ZGVbN2v_sin(v); });
    TwoAtATime(in, cosine, count, [](__m128d v) { return _ZGVbN2v_cos(v); });
}

} // namespace gleamkit::fx
