#pragma once
// The 32-tap single-precision dot product of the resampling FIRs between the host rate and
// the model rate, four taps per register (SSE, which every x86-64 processor and the 32-bit
// build have).

namespace kestro::simd {

// y = sum over k of kernel[k] ring[k]. Lane j keeps the partial sum of the taps k = j mod 4;
// the four are then combined pairwise, (s0 + s1) + (s2 + s3). The order is fixed, so the
// result never depends on the processor or on how the compiler schedules it.
inline float dot32(const float* kernel, const float* ring) {
    using Float4 = float __attribute__((vector_size(16)));
    Float4 s{};
    for (int k = 0; k < 32; k += 4) {
        Float4 a;
        Float4 b;
        __builtin_memcpy(&a, kernel + k, sizeof a);
        __builtin_memcpy(&b, ring + k, sizeof b);
        // s_j += kernel[k + j] ring[k + j]
        s += a * b;
    }
    return (s[0] + s[1]) + (s[2] + s[3]);
}

} // namespace kestro::simd
