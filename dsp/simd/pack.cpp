#include "dsp/simd/pack.h"

namespace kestro::simd {

bool wideLanesSupported() {
#if KESTRO_HAS_WIDE_LANES
    // Asked once: the answer cannot change while the program runs.
    static const bool supported = [] {
        __builtin_cpu_init();
        return __builtin_cpu_supports("avx2") != 0;
    }();
    return supported;
#else
    return false;
#endif
}

} // namespace kestro::simd
