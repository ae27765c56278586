#pragma once
// Sine, cosine and powers for four lanes at once, for the rotor voices' per-sample beam law and
// their control-rate filter designs.
//
// The library functions are accurate but one lane at a time and out of line; these are plain
// polynomials the compiler keeps in vector registers. They are as accurate as the arithmetic
// around them needs: a few units in the last place (well under 1e-15 relative) over the ranges
// stated, which the tests measure against the library. Outside those ranges the callers fall
// back to the library.

#include "dsp/simd/pack.h"

#include <cstdint>

namespace kestro::fastmath {

using simd::Pack;

inline constexpr double kPi = 3.141592653589793;
// pi and pi/2 as a rounded double plus the remainder, so that pi - x keeps its accuracy where it
// is small.
inline constexpr double kPiHi = 3.141592653589793116;
inline constexpr double kPiLo = 1.2246467991473532e-16;
inline constexpr double kHalfPiHi = 1.5707963267948966;
inline constexpr double kHalfPiLo = 6.123233995736766e-17;
inline constexpr double kLn2 = 0.6931471805599453;
inline constexpr double kLog2Of10 = 3.321928094887362;

namespace detail {

// Taylor coefficients: on |x| <= pi/2 the first omitted term of the sine (x^25 / 25!) is below
// 1e-20, so the series is exact to double precision there.
inline constexpr double kSin[11] = {
    -1.0 / 6.0,
    1.0 / 120.0,
    -1.0 / 5040.0,
    1.0 / 362880.0,
    -1.0 / 39916800.0,
    1.0 / 6227020800.0,
    -1.0 / 1307674368000.0,
    1.0 / 355687428096000.0,
    -1.0 / 121645100408832000.0,
    1.0 / 51090942171709440000.0,
    -1.0 / 25852016738884976640000.0,
};

// e^y on |y| <= ln2 / 2: the first omitted term (y^14 / 14!) is below 5e-18.
inline constexpr double kExp[14] = {
    1.0,
    1.0,
    1.0 / 2.0,
    1.0 / 6.0,
    1.0 / 24.0,
    1.0 / 120.0,
    1.0 / 720.0,
    1.0 / 5040.0,
    1.0 / 40320.0,
    1.0 / 362880.0,
    1.0 / 3628800.0,
    1.0 / 39916800.0,
    1.0 / 479001600.0,
    1.0 / 6227020800.0,
};

} // namespace detail

// sin x for |x| <= pi/2.
template <int W>
[[gnu::always_inline]] inline Pack<W> sinHalfPi(const Pack<W>& x) {
    const Pack<W> z = x * x;
    // Two half-length Horner chains in z^2 joined at the end: the same terms in a shorter
    // dependency chain.
    const Pack<W> z2 = z * z;
    Pack<W> even = Pack<W>::broadcast(detail::kSin[10]);
    for (int k = 8; k >= 0; k -= 2) even = even * z2 + detail::kSin[k];
    Pack<W> odd = Pack<W>::broadcast(detail::kSin[9]);
    for (int k = 7; k >= 1; k -= 2) odd = odd * z2 + detail::kSin[k];
    const Pack<W> p = even + z * odd;
    return x + x * (z * p);
}

// sin x for |x| <= pi (the beam law's angles): the outer quarters are mirrored about +-pi/2.
template <int W>
[[gnu::always_inline]] inline Pack<W> sinPi(const Pack<W>& x) {
    const Pack<W> upper = (kPiHi - x) + kPiLo;
    const Pack<W> lower = (-kPiHi - x) - kPiLo;
    const Pack<W> r = simd::select(x > kHalfPiHi, upper, simd::select(x < -kHalfPiHi, lower, x));
    return sinHalfPi(r);
}

// sin w and cos w for 0 <= w <= pi (a filter's normalized frequency); cos w = sin(pi/2 - w).
template <int W>
[[gnu::always_inline]] inline void sinCosUpperHalf(const Pack<W>& w, Pack<W>& s, Pack<W>& c) {
    s = sinPi(w);
    c = sinHalfPi((kHalfPiHi - w) + kHalfPiLo);
}

// 2^t for -1075 <= t <= 1023 (down to the smallest denormal); beyond that (and for NaN) the
// caller uses the library.
template <int W>
[[gnu::always_inline]] inline Pack<W> exp2(const Pack<W>& t) {
    using I = typename simd::Raw<W>::I;
    using F = typename simd::Raw<W>::F;
    // Lanes outside the range (their result is the caller's to replace) are held at 0 so that
    // no value beyond int range reaches the conversion.
    const Pack<W> u = simd::select((t >= -1075.0) & (t <= 1023.0), t, Pack<W>::broadcast(0.0));
    const Pack<W> half = simd::select(u < 0.0, Pack<W>::broadcast(-0.5), Pack<W>::broadcast(0.5));
    const simd::Ints<W> whole = simd::truncateToInt(u + half); // nearest whole number
    const Pack<W> k = simd::toDouble<W>(whole);
    const Pack<W> y = (u - k) * kLn2; // u - k is exact
    // Even and odd terms as two chains in y^2, joined at the end (a shorter dependency chain).
    const Pack<W> y2 = y * y;
    Pack<W> even = Pack<W>::broadcast(detail::kExp[12]);
    for (int i = 10; i >= 0; i -= 2) even = even * y2 + detail::kExp[i];
    Pack<W> odd = Pack<W>::broadcast(detail::kExp[13]);
    for (int i = 11; i >= 1; i -= 2) odd = odd * y2 + detail::kExp[i];
    const Pack<W> p = even + y * odd;
    // 2^k built from its exponent bits, in two factors so that results down to the smallest
    // denormals come out right.
    const simd::Ints<W> k1 = whole / 2;
    const simd::Ints<W> k2 = whole - k1;
    const I e1 = (__builtin_convertvector(k1, I) + 1023) << 52;
    const I e2 = (__builtin_convertvector(k2, I) + 1023) << 52;
    return {p.v * reinterpret_cast<F>(e1) * reinterpret_cast<F>(e2)};
}

// log2 x for normal, finite x > 0; other values are the caller's to avoid.
template <int W>
[[gnu::always_inline]] inline Pack<W> log2(const Pack<W>& x) {
    using I = typename simd::Raw<W>::I;
    using F = typename simd::Raw<W>::F;
    const I bits = reinterpret_cast<I>(x.v);
    I e = ((bits >> 52) & 0x7ff) - 1023;
    // The mantissa as m in [1, 2), then moved to [sqrt(1/2), sqrt(2)) so that the series below
    // converges fast on both sides of 1.
    Pack<W> m{reinterpret_cast<F>((bits & 0x000fffffffffffffLL) | 0x3ff0000000000000LL)};
    const simd::Mask<W> high = m > 1.4142135623730951;
    m = simd::select(high, m * 0.5, m);
    e = e + (high.m & 1);
    const Pack<W> ef{__builtin_convertvector(e, F)};
    // ln m = 2 atanh s, s = (m - 1) / (m + 1), |s| < 0.172: the odd series to s^21 is exact.
    const Pack<W> s = (m - 1.0) / (m + 1.0);
    const Pack<W> s2 = s * s;
    const Pack<W> s4 = s2 * s2;
    // 1/3 + s^2/5 + ... + s^18/21 as two chains in s^4.
    Pack<W> even = Pack<W>::broadcast(1.0 / 19.0);
    for (int k = 15; k >= 3; k -= 4) even = even * s4 + 1.0 / k;
    Pack<W> odd = Pack<W>::broadcast(1.0 / 21.0);
    for (int k = 17; k >= 5; k -= 4) odd = odd * s4 + 1.0 / k;
    const Pack<W> p = even + s2 * odd;
    const Pack<W> ln = 2.0 * s + 2.0 * s * (s2 * p);
    return ef + ln * (1.0 / kLn2);
}

// 10^y for |y| <= 300.
template <int W>
[[gnu::always_inline]] inline Pack<W> pow10(const Pack<W>& y) {
    return exp2(y * kLog2Of10);
}

// x^p for x normal, finite and positive, with p log2 x in exp2's range.
template <int W>
[[gnu::always_inline]] inline Pack<W> pow(const Pack<W>& x, double p) {
    return exp2(p * log2(x));
}

} // namespace kestro::fastmath
