#pragma once
// Numbers every model stage shares: the denormal guard and 2 pi. No processor flush modes
// are used anywhere; recursions guard their states with flush() instead.

namespace kestro {

inline constexpr double kTwoPi = 6.283185307179586;
inline constexpr double kPi = 3.141592653589793;

// Adding and removing this rounds every magnitude below about 1e-28 to an exact zero.
inline constexpr double kDenormalGuard = 1e-12;

// x with anything in the denormal range (and a little above) made an exact zero:
// (x + 1e-12) - 1e-12.
[[gnu::always_inline]] inline double flush(double x) { return (x + kDenormalGuard) - kDenormalGuard; }

} // namespace kestro
