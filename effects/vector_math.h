// Arctangent, sine and cosine of many doubles at once, from the C library's
// vector math functions (four lanes with AVX2, two otherwise). They are
// approximations: fast paths use them only inside the error bounds of
// checked_double.h, with kLibraryUlps as each function's error allowance.
#pragma once

#include <cstdint>

namespace gleamkit::fx {

// An allowance for the error of one arctangent, sine or cosine, in units in
// the last place of its result, for the double vector functions here and the
// C library's extended-precision ones alike. The library documents at most 4
// units for its vector functions and fewer for the scalar ones; the fast
// paths' redo rate hardly changes with this figure, so it is generous.
constexpr double kLibraryUlps = 64.0;

// out[i] = arctan(in[i]) for i < count.
void AtanMany(const double* in, double* out, int32_t count);

// sine[i] = sin(in[i]), cosine[i] = cos(in[i]) for i < count.
void SinCosMany(const double* in, double* sine, double* cosine, int32_t count);

} // namespace gleamkit::fx
