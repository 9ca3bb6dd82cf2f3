// Processor checks for the tone row kernels, built for the baseline so that
// calling them is safe on any processor.
#include "effects/tone_rows.h"

#include "effects/effect_common.h"

#include <atomic>

namespace gleamkit::fx::tone {

namespace {
std::atomic<bool> g_wideAllowed{true};
}

void AllowWideKernels(bool allowed) {
    g_wideAllowed.store(allowed, std::memory_order_relaxed);
}

bool HasAvx2() {
    return ProcessorHasAvx2() && g_wideAllowed.load(std::memory_order_relaxed);
}

bool HasByteTableLookup() {
    static const bool available = __builtin_cpu_supports("avx512bw") &&
                                  __builtin_cpu_supports("avx512vbmi");
    return available && g_wideAllowed.load(std::memory_order_relaxed);
}

} // namespace gleamkit::fx::tone
