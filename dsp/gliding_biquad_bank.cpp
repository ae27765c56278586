#include "dsp/numeric.h"
#include "dsp/gliding_biquad_bank.h"

#include "dsp/simd/fast_math.h"

#include <cmath>

namespace kestro {

namespace {

using simd::Mask;
using simd::Pack;


template <int W>
[[gnu::always_inline]] inline Mask<W> laneMask(unsigned lanes) {
    Mask<W> m = Mask<W>::none();
    for (int j = 0; j < W; ++j) m.m[j] = (lanes >> j) & 1u ? -1 : 0;
    return m;
}

template <int W>
[[gnu::always_inline]] inline Pack<W> sqrtLanes(const Pack<W>& x) {
#if defined(__SSE2__)
    // Two lanes at a time with the instruction every x86-64 processor has (a 32-bit build
    // without SSE2 takes them one by one).
    using Half = simd::Raw<2>::F;
    if constexpr (W == 2) {
        return {__builtin_ia32_sqrtpd(x.v)};
    } else {
        const Half lo = __builtin_ia32_sqrtpd(Half{x[0], x[1]});
        const Half hi = __builtin_ia32_sqrtpd(Half{x[2], x[3]});
        return {typename simd::Raw<4>::F{lo[0], lo[1], hi[0], hi[1]}};
    }
#else
    return simd::gather<W>([&](int j) { return std::sqrt(x[j]); });
#endif
}

template <int W>
[[gnu::always_inline]] inline Pack<W> guarded(const Pack<W>& x) {
    return (x + 1e-30) - 1e-30;
}

// sin w and cos w; the library takes any lane outside 0 .. pi.
template <int W>
[[gnu::always_inline]] inline void sinCos(const Pack<W>& w, Pack<W>& s, Pack<W>& c) {
    fastmath::sinCosUpperHalf(w, s, c);
    const Mask<W> inRange = (w >= 0.0) & (w <= fastmath::kPiHi);
    if (simd::all(inRange)) return;
    for (int j = 0; j < W; ++j) {
        if (inRange[j]) continue;
        s.v[j] = std::sin(w.v[j]);
        c.v[j] = std::cos(w.v[j]);
    }
}

// 10^y; the library takes lanes beyond the fast range (and NaN).
template <int W>
[[gnu::always_inline]] inline Pack<W> pow10(const Pack<W>& y) {
    Pack<W> r = fastmath::pow10(y);
    const Mask<W> inRange = simd::abs(y) <= 300.0;
    if (simd::all(inRange)) return r;
    for (int j = 0; j < W; ++j)
        if (!inRange[j]) r.v[j] = std::pow(10.0, y.v[j]);
    return r;
}

// x^e for the narrowing law; the library takes zero, negative, tiny, huge and NaN bases.
template <int W>
[[gnu::always_inline]] inline Pack<W> power(const Pack<W>& x, double e) {
    Pack<W> r = fastmath::pow(x, e);
    const Mask<W> inRange = (x >= 0x1p-100) & (x <= 0x1p100);
    if (simd::all(inRange)) return r;
    for (int j = 0; j < W; ++j)
        if (!inRange[j]) r.v[j] = std::pow(x.v[j], e);
    return r;
}

} // namespace

template <int N>
template <int W>
[[gnu::always_inline]] inline void GlidingBiquadBank<N>::snapLanes(int first, const Mask<W>& active) {
    for (std::size_t k = 0; k < kRoots; ++k) {
        put(rootsRunning_[k], first, active, at<W>(rootsTarget_[k], first));
        put(rootsStep_[k], first, active, Pack<W>::broadcast(0.0));
    }
    put(remaining_, first, active, Pack<W>::broadcast(0.0));
}

// alpha = sin w / (2 Q') and cos w, with w = 2 pi f / rate and the narrowed Q' = (1 - (f / (c rate))^e) Q.
// They depend on frequency, Q and rate only; a lane whose frequency and Q did not change (every
// second beam filter's) takes them from last time.
template <int N>
template <int W>
[[gnu::always_inline]] inline void GlidingBiquadBank<N>::alphaAndCos(int first, const Mask<W>& active, bool full,
                                                                      Pack<W>& alpha, Pack<W>& cw) {
    using P = Pack<W>;
    const P f = at<W>(frequency_, first);
    const P q = at<W>(q_, first);
    const Mask<W> known = (f == at<W>(cacheFrequency_, first)) & (q == at<W>(cacheQ_, first));
    if (simd::all(known | ~active)) {
        alpha = at<W>(cacheAlpha_, first);
        cw = at<W>(cacheCos_, first);
        return;
    }
    const P w = (kTwoPi * f) / rate_;
    P sw;
    sinCos(w, sw, cw);
    const P narrowedQ = response_ == BankResponse::Peaking ? (1.0 - power(f / (0.5001 * rate_), 2.8)) * q
                                                           : (1.0 - power(f / (0.50001 * rate_), 8.0)) * q;
    alpha = sw / (2.0 * narrowedQ);
    store(cacheFrequency_, first, active, full, f);
    store(cacheQ_, first, active, full, q);
    store(cacheAlpha_, first, active, full, alpha);
    store(cacheCos_, first, active, full, cw);
}

// The roots the glide moves towards, from the normalized target set (b0 is the gain):
//   zeros: (-b1 -+ sqrt(b1^2 - 4 b0 b2)) / (2 b0), a complex pair when the root is negative;
//   poles: (-a1 -+ sqrt(a1^2 - 4 a2)) / 2, likewise.
template <int N>
template <int W>
[[gnu::always_inline]] inline void GlidingBiquadBank<N>::targetRoots(int first, const Pack<W>& a1, const Pack<W>& a2,
                                                                      const Pack<W>& b0, const Pack<W>& b1,
                                                                      const Pack<W>& b2, Pack<W>* t) {
    using P = Pack<W>;
    const P zero = P::broadcast(0.0);
    t[Gain] = b0;
    {
        const P d = b1 * b1 - 4.0 * b0 * b2;
        const P half = 1.0 / (2.0 * b0);
        const Mask<W> real = d >= 0.0;
        const P sd = sqrtLanes(simd::select(real, d, -d));
        const P centre = -b1 * half;
        t[Z2Re] = simd::select(real, (sd - b1) * half, centre);
        t[Z1Re] = simd::select(real, (-b1 - sd) * half, centre);
        t[Z1Im] = simd::select(real, zero, -sd * half);
        t[Z2Im] = simd::select(real, zero, sd * half);
        // With no z^2 term there is no proper pair of zeros; they stay where they are.
        const Mask<W> none = b0 == 0.0;
        for (int k : {Z1Re, Z1Im, Z2Re, Z2Im})
            t[k] = simd::select(none, at<W>(rootsRunning_[static_cast<std::size_t>(k)], first), t[k]);
    }
    {
        const P d = a1 * a1 - 4.0 * a2;
        const Mask<W> real = d >= 0.0;
        const P sd = sqrtLanes(simd::select(real, d, -d));
        const P centre = -a1 / 2.0;
        t[P1Re] = simd::select(real, (-a1 - sd) / 2.0, centre);
        t[P2Re] = simd::select(real, (sd - a1) / 2.0, centre);
        t[P1Im] = simd::select(real, zero, -sd / 2.0);
        t[P2Im] = simd::select(real, zero, sd / 2.0);
    }
}

// update() as BiquadFilter::computeTarget and deriveGlide for an enabled filter of this type.
template <int N>
template <int W>
[[gnu::always_inline]] inline void GlidingBiquadBank<N>::design(int first, const Mask<W>& active) {
    using P = Pack<W>;
    if (!simd::any(active)) return;
    // Most calls design every lane of the pack: then the values need no blending with the old.
    const bool full = simd::all(active);
    P alpha, cw;
    alphaAndCos(first, active, full, alpha, cw);
    P a0, a1, a2, b0, b1, b2;
    if (response_ == BankResponse::Peaking) {
        // A = 10^(gain / 40); a0, a2 = 1 +- alpha / A; b0, b2 = 1 +- alpha A; a1 = b1 = -2 cos w
        const P A = pow10(at<W>(gain_, first) * 0.025);
        const P alphaOverA = alpha / A;
        a0 = 1.0 + alphaOverA;
        a1 = -2.0 * cw;
        a2 = 1.0 - alphaOverA;
        b0 = 1.0 + alpha * A;
        b1 = -2.0 * cw;
        b2 = 1.0 - alpha * A;
    } else {
        // a0, a2 = 1 +- alpha; a1 = -2 cos w; b0 = b2 = (1 - cos w) / 2; b1 = 1 - cos w
        a0 = 1.0 + alpha;
        a1 = -2.0 * cw;
        a2 = 1.0 - alpha;
        b0 = (1.0 - cw) / 2.0;
        b1 = 1.0 - cw;
        b2 = (1.0 - cw) / 2.0;
    }
    // Normalized by a0 (one division, then products: the same up to rounding).
    const P inverseA0 = 1.0 / a0;
    a1 = a1 * inverseA0;
    a2 = a2 * inverseA0;
    b0 = b0 * inverseA0;
    b1 = b1 * inverseA0;
    b2 = b2 * inverseA0;
    store(targetA0_, first, active, full, a0);
    store(target_[A1], first, active, full, a1);
    store(target_[A2], first, active, full, a2);
    store(target_[B0], first, active, full, b0);
    store(target_[B1], first, active, full, b1);
    store(target_[B2], first, active, full, b2);

    P t[kRoots];
    targetRoots(first, a1, a2, b0, b1, b2, t);
    for (std::size_t k = 0; k < kRoots; ++k) store(rootsTarget_[k], first, active, full, t[k]);

    if (glideLength_ <= 0) {
        // No whole sample in 3 ms: nothing to glide over.
        snapLanes(first, active);
        return;
    }
    // step = (target - running) / n for every root, over n samples
    const double n = static_cast<double>(glideLength_);
    const double perStep = 1.0 / n;
    for (std::size_t k = 0; k < kRoots; ++k)
        store(rootsStep_[k], first, active, full, guarded((t[k] - at<W>(rootsRunning_[k], first)) * perStep));
    store(remaining_, first, active, full, P::broadcast(n));
    if (instant_) snapLanes(first, active);
}

template <int N>
GlidingBiquadBank<N>::GlidingBiquadBank(BankResponse response) : response_(response) {
    cacheFrequency_.fill(std::nan(""));
    frequency_.fill(1000.0);
    q_.fill(0.707);
    gain_.fill(0.0);
    target_[B0].fill(1.0);
    targetA0_.fill(1.0);
    rootsRunning_[Z1Re].fill(1.0);
    rootsRunning_[Gain].fill(1.0);
    rootsTarget_ = rootsRunning_;
    glideLength_ = BiquadFilter::glideLengthFor(rate_);
    for (int g = 0; g < N; g += 4) update(g, 0xfu);
}

template <int N>
void GlidingBiquadBank<N>::setSampleRate(double rate) {
    rate_ = BiquadFilter::acceptedSampleRate(rate);
    cacheFrequency_.fill(std::nan("")); // the design's cache holds values for the old rate
    glideLength_ = BiquadFilter::glideLengthFor(rate_);
    for (int g = 0; g < N; g += 4) update(g, 0xfu);
}

template <int N>
void GlidingBiquadBank<N>::setInstant(bool instant) {
    if (instant == instant_) return;
    if (!instant) snap();
    instant_ = instant;
}

template <int N>
void GlidingBiquadBank<N>::snap() {
    for (int g = 0; g < N; g += 2) snapLanes<2>(g, Mask<2>::all());
}

template <int N>
void GlidingBiquadBank<N>::clearHistory() {
    x1_.fill(0.0);
    x2_.fill(0.0);
    y1_.fill(0.0);
    y2_.fill(0.0);
}

template <int N>
void GlidingBiquadBank<N>::setAll(int lane, double f, double q, double gainDb) {
    const std::size_t i = index(lane);
    frequency_[i] = f;
    q_[i] = q;
    gain_[i] = gainDb;
    update(static_cast<int>(i) & ~3, 1u << (i & 3));
}

template <int N>
void GlidingBiquadBank<N>::setAll(int first, unsigned lanes, const double* f, const double* q, const double* gainDb) {
    for (int j = 0; j < 4; ++j) {
        if (((lanes >> j) & 1u) == 0) continue;
        const auto i = static_cast<std::size_t>(first + j);
        frequency_[i] = f[j];
        q_[i] = q[j];
        gain_[i] = gainDb[j];
    }
    update(first, lanes);
}

template <int N>
void GlidingBiquadBank<N>::setFrequencyAndQ(int first, unsigned lanes, const double* f, const double* q) {
    for (int g = 0; g < 4; g += 2)
        limitedSettings(first + g, laneMask<2>(lanes >> g), Pack<2>::load(f + g), Pack<2>::load(q + g));
    update(first, lanes);
}

template <int N>
void GlidingBiquadBank<N>::update(int first, unsigned lanes) {
    if ((lanes & 0xfu) == 0) return;
    if (wide_) designWide(first, lanes);
    else designNarrow(first, lanes);
}

template <int N>
void GlidingBiquadBank<N>::designNarrow(int first, unsigned lanes) {
    design<2>(first, laneMask<2>(lanes));
    design<2>(first + 2, laneMask<2>(lanes >> 2));
}

template <int N>
KESTRO_WIDE_LANES void GlidingBiquadBank<N>::designWide(int first, unsigned lanes) {
    design<4>(first, laneMask<4>(lanes));
}

template <int N>
BiquadCoefficients GlidingBiquadBank<N>::targetCoefficients(int lane) const {
    const std::size_t i = index(lane);
    return {targetA0_[i], target_[A1][i], target_[A2][i], target_[B0][i], target_[B1][i], target_[B2][i]};
}

template <int N>
BiquadCoefficients GlidingBiquadBank<N>::runningCoefficients(int lane) const {
    const std::size_t i = index(lane);
    if (remaining_[i] == 0.0)
        return {1.0, target_[A1][i], target_[A2][i], target_[B0][i], target_[B1][i], target_[B2][i]};
    const auto r = [&](Root k) { return rootsRunning_[k][i]; };
    return {1.0,
            -(r(P1Re) + r(P2Re)),
            r(P1Re) * r(P2Re) - r(P1Im) * r(P2Im),
            r(Gain),
            -(r(Z1Re) + r(Z2Re)) * r(Gain),
            (r(Z1Re) * r(Z2Re) - r(Z1Im) * r(Z2Im)) * r(Gain)};
}

template class GlidingBiquadBank<8>;
template class GlidingBiquadBank<12>;

} // namespace kestro
