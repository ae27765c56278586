#pragma once
// 4-point cubic (Catmull-Rom) table readers for delay lines, attenuation tables and sample
// playback. They sit in the innermost loops of the rotor voices, so they are inline and the
// normal path is a handful of compares, one int conversion and the polynomial.
//
// Safety: whatever position a caller passes (NaN, infinities, huge values), no index
// leaves the documented readable range and no out-of-range double reaches an int
// conversion. The rare out-of-range positions take a separate reduction path whose result
// equals what the plain arithmetic would give wherever that arithmetic is defined:
//   wrapped readers: NaN and +-inf read position 0; any finite position is reduced modulo n.
//   clamped readers: NaN reads table[0], like any position <= 0.
//
// Requirements on the caller:
//   wrapped readers: 1 <= n <= 2^30 (n < 1 returns 0); table[0 .. n + 2] readable, i.e. three
//     elements beyond n - 1 that repeat table[0 .. 2] (or the table stored twice);
//   clamped readers: table[0 .. n] readable (n is the index of the last element); n < 0
//     reads table[0].

#include "dsp/numeric.h"

#include <cmath>

namespace kestro {

namespace detail {

// Positions below this go straight to int: int(p) + n - 1 cannot overflow for n <= 2^30.
inline constexpr double kWrappedFastLimit = 1073741824.0;

// Cold path of the wrapped readers. fmod is exact, so for every finite position this lands
// on the same index and fraction as adding or subtracting n until the position is in range.
[[gnu::noinline, gnu::cold]] inline double reduceWrappedPosition(double p, int n) {
    if (std::isnan(p) || std::isinf(p)) return 0.0;
    p = std::fmod(p, static_cast<double>(n));
    if (p < 0.0) p += n;
    return p;
}

// The spline fraction gets the engine's denormal guard.
inline double guardFraction(double t) { return flush(t); }

struct WrappedIndex {
    int j;    // first of the four taps
    double t; // fraction
};

inline WrappedIndex wrappedIndex(double p, int n) {
    if (p < 0.0) {
        p += n; // one period covers the normal callers (ring write index minus a delay)
        if (p < 0.0) p = reduceWrappedPosition(p, n);
    }
    if (!(p < kWrappedFastLimit)) p = reduceWrappedPosition(p, n); // huge, +inf, NaN
    const int i = static_cast<int>(p);
    int j = i - 1;
    if (j < 0 || j >= n) j = (i + n - 1) % n;
    return {j, guardFraction(p - i)};
}

inline double cubicSum(double t, double a, double b, double c, double d) {
    const double t2 = t * t;
    const double t3 = t2 * t;
    return 0.5 * ((2.0 * t2 - t3 - t) * a + (3.0 * t3 - 5.0 * t2 + 2.0) * b +
                  (4.0 * t2 - 3.0 * t3 + t) * c + (t3 - t2) * d);
}

// Weights in single precision, as the float sample tables were voiced with; the sum stays double.
inline double cubicSumSingleWeights(double t, float a, float b, float c, float d) {
    const float tf = static_cast<float>(t);
    const float t2 = tf * tf;
    const float t3 = t2 * tf;
    const float w0 = 2.0f * t2 - t3 - tf;
    const float w1 = 3.0f * t3 - 5.0f * t2 + 2.0f;
    const float w2 = 4.0f * t2 - 3.0f * t3 + tf;
    const float w3 = t3 - t2;
    return 0.5 * (static_cast<double>(w0) * a + static_cast<double>(w1) * b +
                  static_cast<double>(w2) * c + static_cast<double>(w3) * d);
}

struct ClampedIndex {
    int i0, i1, i2, i3;
    double t;
};

// position is in (0, n]; an index past n falls back to its (already clamped) predecessor.
inline ClampedIndex clampedIndex(double position, int n) {
    const int i = static_cast<int>(position);
    const int next = i + 1 > n ? i : i + 1;
    const int afterNext = i + 2 > n ? next : i + 2;
    return {i > 0 ? i - 1 : 0, i, next, afterNext, guardFraction(position - i)};
}

} // namespace detail

// Reads a periodic table of period n at position + n * offset.
inline double readCubicWrapped(double position, double offset, const double* table, int n) {
    if (n < 1) return 0.0;
    const detail::WrappedIndex w = detail::wrappedIndex(position + n * offset, n);
    const double* s = table + w.j;
    return detail::cubicSum(w.t, s[0], s[1], s[2], s[3]);
}

inline double readCubicWrapped(double position, const float* table, int n) {
    if (n < 1) return 0.0;
    const detail::WrappedIndex w = detail::wrappedIndex(position, n);
    const float* s = table + w.j;
    return detail::cubicSumSingleWeights(w.t, s[0], s[1], s[2], s[3]);
}

// Reads a non-periodic table whose last element is table[n]; outside (0, n) the end values
// hold without interpolation.
inline double readCubicClamped(double position, const double* table, int n) {
    if (!(position > 0.0) || n <= 0) return table[0];
    if (position >= n) return table[n];
    const detail::ClampedIndex c = detail::clampedIndex(position, n);
    return detail::cubicSum(c.t, table[c.i0], table[c.i1], table[c.i2], table[c.i3]);
}

// Same, except that position == n still goes through the spline (which yields table[n]).
inline double readCubicClamped(double position, const float* table, int n) {
    if (!(position > 0.0) || n <= 0) return table[0];
    if (position > n) return table[n];
    const detail::ClampedIndex c = detail::clampedIndex(position, n);
    return detail::cubicSumSingleWeights(c.t, table[c.i0], table[c.i1], table[c.i2],
                                         table[c.i3]);
}

} // namespace kestro
