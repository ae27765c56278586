#pragma once
// Packs of doubles for the places where the rotor voices do the same arithmetic for several
// rays or filters at once.
//
// Pack<2> is one SSE2 register, which every x86-64 processor has; Pack<4> is one AVX register
// and is only used inside functions compiled for AVX2 (KESTRO_WIDE_LANES), which the voices
// call when wideLanesSupported() says the processor has it. The same kernels are written once
// as templates over the pack width. Every lane computes exactly what the same expression
// computes on a plain double (IEEE operations in the written order; the build never fuses a
// multiply and an add), so the two widths give identical results and moving scalar code into
// lanes does not change it.
//
// Packs are wrapped in small structs: passing raw vectors by value would make the calling
// convention depend on the instruction set, which the compiler rightly warns about.

#include <cstdint>

#if defined(__x86_64__) || defined(__i386__)
#define KESTRO_WIDE_LANES [[gnu::target("avx2")]]
#define KESTRO_HAS_WIDE_LANES 1
#else
#define KESTRO_WIDE_LANES
#define KESTRO_HAS_WIDE_LANES 0
#endif

namespace kestro::simd {

template <int W>
struct Raw;
template <>
struct Raw<2> {
    using F = double __attribute__((vector_size(16)));
    using I = std::int64_t __attribute__((vector_size(16)));
    using N = std::int32_t __attribute__((vector_size(8)));
};
template <>
struct Raw<4> {
    using F = double __attribute__((vector_size(32)));
    using I = std::int64_t __attribute__((vector_size(32)));
    using N = std::int32_t __attribute__((vector_size(16)));
};

// Per lane all ones (true) or all zeros (false).
template <int W>
struct Mask {
    typename Raw<W>::I m;
    [[gnu::always_inline]] static Mask none() { return {typename Raw<W>::I{}}; }
    [[gnu::always_inline]] static Mask all() { return {typename Raw<W>::I{} - 1}; }
    [[gnu::always_inline]] bool operator[](int i) const { return m[i] != 0; }
};

template <int W>
struct Pack {
    static constexpr int kWidth = W;
    using RawF = typename Raw<W>::F;
    RawF v;

    [[gnu::always_inline]] static Pack broadcast(double x) { return {RawF{} + x}; }
    [[gnu::always_inline]] static Pack load(const double* p) {
        Pack r;
        __builtin_memcpy(&r.v, p, sizeof r.v);
        return r;
    }
    [[gnu::always_inline]] void store(double* p) const { __builtin_memcpy(p, &v, sizeof v); }
    [[gnu::always_inline]] double operator[](int i) const { return v[i]; }
};

// For lambdas that take or return packs: they must be inlined like every other pack function,
// since a pack passed across a call between code built with and without the wide registers
// travels differently (in a register on one side, through memory on the other).
#define KESTRO_LANE_LAMBDA __attribute__((always_inline))

// A pack from one value per lane, value(j) for lane j (table reads, library fallbacks). Built
// in registers: writing the lanes one by one to memory and reading the pack back would stall.
template <int W, class Value>
[[gnu::always_inline]] inline Pack<W> gather(Value value) {
    using F = typename Raw<W>::F;
    if constexpr (W == 2) return {F{value(0), value(1)}};
    else return {F{value(0), value(1), value(2), value(3)}};
}

// Whole numbers per lane (table and ring indices).
template <int W>
using Ints = typename Raw<W>::N;

#define KESTRO_PACK_OP(op)                                                                                 \
    template <int W>                                                                                       \
    [[gnu::always_inline]] inline Pack<W> operator op(const Pack<W>& a, const Pack<W>& b) { return {a.v op b.v}; }      \
    template <int W>                                                                                       \
    [[gnu::always_inline]] inline Pack<W> operator op(const Pack<W>& a, double b) { return {a.v op b}; }         \
    template <int W>                                                                                       \
    [[gnu::always_inline]] inline Pack<W> operator op(double a, const Pack<W>& b) { return {a op b.v}; }
KESTRO_PACK_OP(+)
KESTRO_PACK_OP(-)
KESTRO_PACK_OP(*)
KESTRO_PACK_OP(/)
#undef KESTRO_PACK_OP

template <int W>
[[gnu::always_inline]] inline Pack<W> operator-(const Pack<W>& a) { return {-a.v}; }

#define KESTRO_PACK_COMPARE(op)                                                                            \
    template <int W>                                                                                       \
    [[gnu::always_inline]] inline Mask<W> operator op(const Pack<W>& a, const Pack<W>& b) { return {a.v op b.v}; }      \
    template <int W>                                                                                       \
    [[gnu::always_inline]] inline Mask<W> operator op(const Pack<W>& a, double b) { return {a.v op b}; }
KESTRO_PACK_COMPARE(<)
KESTRO_PACK_COMPARE(<=)
KESTRO_PACK_COMPARE(>)
KESTRO_PACK_COMPARE(>=)
KESTRO_PACK_COMPARE(==)
KESTRO_PACK_COMPARE(!=)
#undef KESTRO_PACK_COMPARE

template <int W>
[[gnu::always_inline]] inline Mask<W> operator&(const Mask<W>& a, const Mask<W>& b) { return {a.m & b.m}; }
template <int W>
[[gnu::always_inline]] inline Mask<W> operator|(const Mask<W>& a, const Mask<W>& b) { return {a.m | b.m}; }
template <int W>
[[gnu::always_inline]] inline Mask<W> operator~(const Mask<W>& a) { return {~a.m}; }

// Per lane: m ? a : b. The vector conditional becomes one blend where the instruction set
// has it and the and/and-not/or of the bits where it does not; either way each lane is a or b.
template <int W>
[[gnu::always_inline]] inline Pack<W> select(const Mask<W>& m, const Pack<W>& a, const Pack<W>& b) {
    return {m.m ? a.v : b.v};
}

// Lanes are all ones or all zeros, so one OR (AND) over the lanes answers without a branch
// per lane.
template <int W>
[[gnu::always_inline]] inline bool any(const Mask<W>& m) {
    if constexpr (W == 2) return (m.m[0] | m.m[1]) != 0;
    else return ((m.m[0] | m.m[1]) | (m.m[2] | m.m[3])) != 0;
}
template <int W>
[[gnu::always_inline]] inline bool all(const Mask<W>& m) {
    if constexpr (W == 2) return (m.m[0] & m.m[1]) != 0;
    else return ((m.m[0] & m.m[1]) & (m.m[2] & m.m[3])) != 0;
}

template <int W>
[[gnu::always_inline]] inline Pack<W> abs(const Pack<W>& a) {
    using I = typename Raw<W>::I;
    using F = typename Raw<W>::F;
    return {reinterpret_cast<F>(reinterpret_cast<I>(a.v) & 0x7fffffffffffffffLL)};
}

// Conversion toward zero, as static_cast<int> does; callers keep the values in int range.
template <int W>
[[gnu::always_inline]] inline Ints<W> truncateToInt(const Pack<W>& a) {
    return __builtin_convertvector(a.v, Ints<W>);
}
template <int W>
[[gnu::always_inline]] inline Pack<W> toDouble(const Ints<W>& i) {
    return {__builtin_convertvector(i, typename Raw<W>::F)};
}

// True when the processor (and the system, which must save the wider registers) runs AVX2.
bool wideLanesSupported();

} // namespace kestro::simd
