#pragma once
// The per-ray laws of the rotor voices in lanes: the beam law (where within its beam the
// microphone sits, for the sound now arriving) and the microphone geometry that turns that
// into a delay and a position in the attenuation table. Stateless, so the voices call them
// with their ray lanes and a test holds them against the scalar equations written above each.

#include "dsp/numeric.h"
#include "dsp/simd/fast_math.h"
#include "dsp/simd/pack.h"

namespace kestro::simd {

// x wrapped into 0..1 by one turn either way (x within -1..2):
//   x < 0: x + 1;  x >= 1: x - 1;  else x
template <int W>
[[gnu::always_inline]] inline Pack<W> wrapUnit(const Pack<W>& x) {
    return select(x < 0.0, x + 1.0, select(x >= 1.0, x - 1.0, x));
}

// One ray's beam in lanes: u the mouth direction relative to the ray (turns, 0..1), w the
// beam half-width (turns), s the ray's direction sign (+-1), and w's derived spans as the
// voices keep them.
template <int W>
struct BeamInput {
    Pack<W> u, w, s;
    Pack<W> oneMinusW, twoW, midSpan; // 1 - w, 2w, 1 - 2w
};

template <int W>
struct Beam {
    Pack<W> m, theta; // position within the beam (-1..1) and the angle the coloration follows
    Mask<W> rear;     // the u >= 1 - w case
    // theta s, turned by -pi in the rear case.
    [[gnu::always_inline]] Pack<W> turned(const Pack<W>& s) const {
        return select(rear, theta * s - kPi, theta * s);
    }
};

// The horn's beam law:
//   u <= w:      theta = (u - w) / (2w) pi,         m =  sin(theta) s
//   u >= 1 - w:  theta = (u - (1 - w)) pi / (2w),   m = -sin(theta) s
//   otherwise:   theta = (u - w) / (1 - 2w) pi,     m =  sin(theta) s
// One division serves all three cases, each with its operations in the order above.
template <int W>
[[gnu::always_inline]] inline Beam<W> hornBeam(const BeamInput<W>& b) {
    const Mask<W> front = b.u <= b.w;
    const Mask<W> rear = ~front & (b.u >= b.oneMinusW);
    const Pack<W> num = select(rear, (b.u - b.oneMinusW) * kPi, b.u - b.w);
    const Pack<W> quotient = num / select(front | rear, b.twoW, b.midSpan);
    const Pack<W> theta = select(rear, quotient, quotient * kPi);
    const Pack<W> sine = fastmath::sinPi(theta);
    return {select(rear, -sine * b.s, sine * b.s), theta, rear};
}

// The drum's beam law: the rear case measures from u - 2w and keeps the sign, and m never
// falls below `floor`:
//   u <= w:      theta = (u - w) / (2w) pi
//   u >= 1 - w:  theta = ((u - 2w) - (1 - w)) pi / (2w)
//   otherwise:   theta = (u - w) / (1 - 2w) pi
//   m = max(sin(theta) s, floor)
template <int W>
[[gnu::always_inline]] inline Beam<W> drumBeam(const BeamInput<W>& b, double floor) {
    const Mask<W> front = b.u <= b.w;
    const Mask<W> rear = ~front & (b.u >= b.oneMinusW);
    const Pack<W> num = select(rear, ((b.u - b.twoW) - b.oneMinusW) * kPi, b.u - b.w);
    const Pack<W> quotient = num / select(front | rear, b.twoW, b.midSpan);
    const Pack<W> theta = select(rear, quotient, quotient * kPi);
    const Pack<W> sm = fastmath::sinPi(theta) * b.s;
    return {select(sm < floor, Pack<W>::broadcast(floor), sm), theta, rear};
}

// The microphone geometry of a primary voice's ray of length L (m), with the beam position
// m, the FM radius fm and the samples per metre k: the delay in samples,
//   delay = (L + m fm) k
template <int W>
[[gnu::always_inline]] inline Pack<W> primaryDelay(const Pack<W>& length, const Pack<W>& m, double fm,
                                                   double samplesPerMetre) {
    return (length + m * fm) * samplesPerMetre;
}

// A secondary voice measures from the listening distance d instead:
//   delay = (m fm + L - d + 2 fm) k
template <int W>
[[gnu::always_inline]] inline Pack<W> secondaryDelay(const Pack<W>& length, const Pack<W>& m, double fm,
                                                     double distance, double samplesPerMetre) {
    return (m * fm + length - distance + 2.0 * fm) * samplesPerMetre;
}

// Where the attenuation table is read for the ray, with the AM radius am:
//   position = (m am + L - 0.3 + am) 100
template <int W>
[[gnu::always_inline]] inline Pack<W> attenuationPosition(const Pack<W>& length, const Pack<W>& m, double am) {
    return (m * am + length - 0.3 + am) * 100.0;
}

} // namespace kestro::simd
