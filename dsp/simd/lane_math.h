#pragma once
// The small stateless lane steps the rotor voices' ring and table reads are built from. Each
// lane computes exactly the scalar expression written above its kernel.

#include "dsp/numeric.h"
#include "dsp/simd/pack.h"

namespace kestro::simd {

// x with anything in the denormal range made an exact zero: (x + 1e-12) - 1e-12. The same
// step guards an interpolation fraction.
template <int W>
[[gnu::always_inline]] inline Pack<W> flushLanes(const Pack<W>& x) {
    return (x + kDenormalGuard) - kDenormalGuard;
}

// Cubic (Catmull-Rom) interpolation at t in 0..1 between b and c, with neighbours a and d:
//   y = ((2t^2 - t^3 - t) a + (3t^3 - 5t^2 + 2) b + (4t^2 - 3t^3 + t) c + (t^3 - t^2) d) / 2
template <int W>
[[gnu::always_inline]] inline Pack<W> cubicLanes(const Pack<W>& t, const Pack<W>& a, const Pack<W>& b,
                                                 const Pack<W>& c, const Pack<W>& d) {
    const Pack<W> t2 = t * t;
    const Pack<W> t3 = t2 * t;
    return 0.5 * ((2.0 * t2 - t3 - t) * a + (3.0 * t3 - 5.0 * t2 + 2.0) * b + (4.0 * t2 - 3.0 * t3 + t) * c +
                  (t3 - t2) * d);
}

// A direction table of `steps` intervals read at `position`: row and fraction,
//   p = min(max(position, 0), steps)   (NaN reads 0)
//   row = floor(p) mod steps,  frac = p - floor(p)
template <int W>
struct RowLanes {
    Ints<W> row;
    Pack<W> frac;
};
template <int W>
[[gnu::always_inline]] inline RowLanes<W> rowLanes(Pack<W> position, int steps) {
    position = select(~(position >= 0.0), Pack<W>::broadcast(0.0), position);
    position = select(position > static_cast<double>(steps), Pack<W>::broadcast(steps), position);
    const Ints<W> i = truncateToInt(position);
    return {i - ((i >= steps) & steps), position - toDouble<W>(i)};
}

// A table column interpolated linearly at those rows: y = a + (b - a) frac, a = table[row],
// b = table[row + 1].
template <int W>
[[gnu::always_inline]] inline Pack<W> interpolateLanes(const double* table, const RowLanes<W>& p) {
    const Pack<W> a = gather<W>([&](int j) { return table[p.row[j]]; });
    const Pack<W> b = gather<W>([&](int j) { return table[p.row[j] + 1]; });
    return a + (b - a) * p.frac;
}

} // namespace kestro::simd
