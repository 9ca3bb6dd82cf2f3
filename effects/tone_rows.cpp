// Processor checks for the tone row kernels, built for the baseline so that
// calling them is safe on any processor.
#include "effects/tone_rows.h"

namespace gleamkit::fx::tone {

bool HasAvx2() {
    static const bool available = __builtin_cpu_supports("avx2");
    return available;
}

bool HasByteTableLookup() {
    static const bool available = __builtin_cpu_supports("avx512bw") &&
                                  __builtin_cpu_supports("avx512vbmi");
    return available;
}

} // namespace gleamkit::fx::tone
