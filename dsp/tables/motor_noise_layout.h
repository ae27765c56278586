#pragma once
// Layout of the motor-noise blob, shared by the build-time generator that writes it and the
// library that reads it, so the two can never disagree about order or sizes.
//
// The blob is little-endian 32-bit floats: every table followed by kGuardSamples extra
// samples, so the cubic readers may look three samples past the end. For looping tables the
// guards repeat the first samples (the read wraps seamlessly); the click gets zeros.

namespace kestro::noise_layout {

enum TableId : int {
    HornSlowA,
    HornSlowB,
    HornFast,
    DrumSlowA,
    DrumSlowB,
    DrumFast,
    Click,
    TableCount
};

inline constexpr int kGuardSamples = 3;

// The players' read laws are built around these lengths (the horn fast table holds 34 turns
// of the rotor, the drum fast table 88, the drum slow table 5).
inline constexpr int kLength[TableCount] = {63884, 63884, 219418, 270144, 270144, 627298, 3955};

inline constexpr bool kLoops[TableCount] = {true, true, true, true, true, true, false};

constexpr long offset(int id) {
    long sum = 0;
    for (int k = 0; k < id; ++k) sum += kLength[k] + kGuardSamples;
    return sum;
}

inline constexpr long kTotalFloats = offset(TableCount);

} // namespace kestro::noise_layout
