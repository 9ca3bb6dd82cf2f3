// The four-lane forms of vector_math.cpp, built for AVX2 (see the effects
// build file) and called only when the processor has it.
#include <immintrin.h>

#include <cstdint>

extern "C" {
__m256d _ZGVdN4v_atan(__m256d);
__m256d _ZGVdN4v_sin(__m256d);
__m256d _ZGVdN4v_cos(__m256d);
}

namespace gleamkit::fx {

namespace {

template <typename Function>
void FourAtATime(const double* in, double* out, int32_t count, Function f) {
    int32_t i = 0;
    for (; i + 4 <= count; i += 4) _mm256_storeu_pd(out + i, f(_mm256_loadu_pd(in + i)));
    if (i < count) {
        double lanes[4] = {0.0, 0.0, 0.0, 0.0};
        for (int32_t k = i; k < count; ++k) lanes[k - i] = in[k];
        _mm256_storeu_pd(lanes, f(_mm256_loadu_pd(lanes)));
        for (int32_t k = i; k < count; ++k) out[k] = lanes[k - i];
    }
}

} // namespace

void AtanManyAvx2(const double* in, double* out, int32_t count) {
    FourAtATime(in, out, count, [](__m256d v) { return _ZGVdN4v_atan(v); });
}

void SinCosManyAvx2(const double* in, double* sine, double* cosine, int32_t count) {
    FourAtATime(in, sine, count, [](__m256d v) { return _ZGVdN4v_sin(v); });
    FourAtATime(in, cosine, count, [](__m256d v) { return _ZGVdN4v_cos(v); });
}

} // namespace gleamkit::fx
