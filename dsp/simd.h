#pragma once
// Four doubles side by side, for the places where the rotor voices do the same arithmetic for
// several rays or filters at once.
//
// Built on the compiler's vector extensions, so the code stays portable: on the x86-64 baseline
// each operation becomes a pair of SSE2 instructions, where wider registers are enabled one
// instruction. Every lane computes exactly what the same expression would compute on a plain
// double (IEEE operations in the written order; the build never fuses multiply and add), so
// moving scalar code into lanes does not change its results.
//
// The vectors are wrapped in small structs: passing raw 32-byte vectors by value would change
// the calling convention between builds with and without wide registers, which the compiler
// rightly warns about.

#include <cstdint>

namespace kestro::simd {

using RawF64x4 = double __attribute__((vector_size(32)));
using RawI64x4 = std::int64_t __attribute__((vector_size(32)));
using RawI32x4 = std::int32_t __attribute__((vector_size(16)));

struct Mask4 {
    RawI64x4 m;
};

struct alignas(32) F64x4 {
    RawF64x4 v;

    [[gnu::always_inline]] static F64x4 broadcast(double x) { return {RawF64x4{x, x, x, x}}; }
    [[gnu::always_inline]] static F64x4 load(const double* p) {
        F64x4 r;
        __builtin_memcpy(&r.v, p, sizeof r.v);
        return r;
    }
    [[gnu::always_inline]] void store(double* p) const { __builtin_memcpy(p, &v, sizeof v); }
    [[gnu::always_inline]] double operator[](int i) const { return v[i]; }
};

[[gnu::always_inline]] inline F64x4 operator+(F64x4 a, F64x4 b) { return {a.v + b.v}; }
[[gnu::always_inline]] inline F64x4 operator-(F64x4 a, F64x4 b) { return {a.v - b.v}; }
[[gnu::always_inline]] inline F64x4 operator*(F64x4 a, F64x4 b) { return {a.v * b.v}; }
[[gnu::always_inline]] inline F64x4 operator/(F64x4 a, F64x4 b) { return {a.v / b.v}; }
[[gnu::always_inline]] inline F64x4 operator-(F64x4 a) { return {-a.v}; }
[[gnu::always_inline]] inline F64x4 operator+(F64x4 a, double b) { return {a.v + b}; }
[[gnu::always_inline]] inline F64x4 operator-(F64x4 a, double b) { return {a.v - b}; }
[[gnu::always_inline]] inline F64x4 operator*(F64x4 a, double b) { return {a.v * b}; }
[[gnu::always_inline]] inline F64x4 operator/(F64x4 a, double b) { return {a.v / b}; }
[[gnu::always_inline]] inline F64x4 operator+(double a, F64x4 b) { return {a + b.v}; }
[[gnu::always_inline]] inline F64x4 operator-(double a, F64x4 b) { return {a - b.v}; }
[[gnu::always_inline]] inline F64x4 operator*(double a, F64x4 b) { return {a * b.v}; }
[[gnu::always_inline]] inline F64x4 operator/(double a, F64x4 b) { return {a / b.v}; }

[[gnu::always_inline]] inline Mask4 operator<(F64x4 a, F64x4 b) { return {a.v < b.v}; }
[[gnu::always_inline]] inline Mask4 operator<=(F64x4 a, F64x4 b) { return {a.v <= b.v}; }
[[gnu::always_inline]] inline Mask4 operator>(F64x4 a, F64x4 b) { return {a.v > b.v}; }
[[gnu::always_inline]] inline Mask4 operator>=(F64x4 a, F64x4 b) { return {a.v >= b.v}; }
[[gnu::always_inline]] inline Mask4 operator==(F64x4 a, F64x4 b) { return {a.v == b.v}; }
[[gnu::always_inline]] inline Mask4 operator!=(F64x4 a, F64x4 b) { return {a.v != b.v}; }
[[gnu::always_inline]] inline Mask4 operator&(Mask4 a, Mask4 b) { return {a.m & b.m}; }
[[gnu::always_inline]] inline Mask4 operator|(Mask4 a, Mask4 b) { return {a.m | b.m}; }
[[gnu::always_inline]] inline Mask4 operator~(Mask4 a) { return {~a.m}; }

// Per lane: m ? a : b.
[[gnu::always_inline]] inline F64x4 select(Mask4 m, F64x4 a, F64x4 b) { return {m.m ? a.v : b.v}; }

[[gnu::always_inline]] inline bool any(Mask4 m) { return (m.m[0] | m.m[1] | m.m[2] | m.m[3]) != 0; }
[[gnu::always_inline]] inline bool all(Mask4 m) { return (m.m[0] & m.m[1] & m.m[2] & m.m[3]) != 0; }

[[gnu::always_inline]] inline F64x4 abs(F64x4 a) { return select(a < F64x4::broadcast(0.0), -a, a); }

// Conversion toward zero, as static_cast<int> does; callers keep the values in int range.
[[gnu::always_inline]] inline RawI32x4 truncateToInt(F64x4 a) {
    return __builtin_convertvector(a.v, RawI32x4);
}
[[gnu::always_inline]] inline F64x4 toDouble(RawI32x4 i) { return {__builtin_convertvector(i, RawF64x4)}; }

} // namespace kestro::simd
