#pragma once
// N always-on second-order filters of one response type, each behaving as a `BiquadFilter`
// that is enabled and run with `processGliding`, stored lane by lane so that several of them
// are designed, glided and run side by side. The rotor voices keep their beam and direction
// filters here: every ray has its own, all of them get new settings on the same control-rate
// samples, and the rays are computed in packs.
//
// Per lane this is the filter's own arithmetic, with differences at the rounding level only:
// the sines, cosines and powers of the design come from fastmath (a few units in the last
// place from the library), the design divides once and multiplies where the filter divides
// several times by the same value, and the recursion adds b0 * x to the history part last, so
// that the history part (and the glide step before it) can be worked out before the input is
// known. Glide timing, limits and the handling of unusual settings are the filter's. History,
// like a filter's, is only cleared on request.
//
// A sample of a pack of lanes is glideStep() then run(). Lanes outside the `active` mask keep
// every value, as a filter that is not called does.

#include "dsp/biquad_filter.h"
#include "dsp/simd/pack.h"

#include <array>
#include <cstdint>

namespace kestro {

enum class BankResponse {
    Peaking, // BiquadFilter::Peaking (type 4)
    LowPass, // BiquadFilter::LowPass (type 8)
};

template <int N>
class GlidingBiquadBank {
    static_assert(N > 0 && N % 4 == 0, "lanes come in groups of four");

public:
    static constexpr int kLanes = N;

    // As BiquadFilter::init(44100, type, 1000, 0.707, 0) followed by setEnabled(true).
    explicit GlidingBiquadBank(BankResponse response);

    // Designs run four lanes at once, with AVX2 when the owner says the processor has it.
    void setWideLanes(bool wide) { wide_ = wide && simd::wideLanesSupported(); }

    // As the filter's setters, applied to every lane.
    void setSampleRate(double rate);
    void setInstant(bool instant);
    void snap();
    void clearHistory();

    // As setAll(f, q, gainDb) on one lane (no limits).
    void setAll(int lane, double f, double q, double gainDb);
    // The same for lanes first .. first + 3 (first a multiple of 4) whose bit is set in `lanes`
    // (bit j for lane first + j); f, q and gainDb hold four values each.
    void setAll(int first, unsigned lanes, const double* f, const double* q, const double* gainDb);
    // The same from packs (see simd/pack.h), in two parts: settings() stores the settings of a pack
    // of lanes, redesign() then works out the coefficients and glide of the selected lanes of
    // a group of four; it must run before the group's next glideStep.
    template <int W>
    [[gnu::always_inline]] void settings(int first, const simd::Mask<W>& active, const simd::Pack<W>& f,
                                         const simd::Pack<W>& q, const simd::Pack<W>& gainDb) {
        put(frequency_, first, active, f);
        put(q_, first, active, q);
        put(gain_, first, active, gainDb);
    }
    // settings() for frequency and Q with setFrequencyAndQ's limits (below); the gain stays.
    template <int W>
    [[gnu::always_inline]] void limitedSettings(int first, const simd::Mask<W>& active, const simd::Pack<W>& f,
                                                const simd::Pack<W>& q) {
        put(frequency_, first, active, limited(f, 0.001, 0.499 * rate_, at<W>(frequency_, first)));
        put(q_, first, active, limited(q, 0.0001, 1000.0, at<W>(q_, first)));
    }
    void redesign(int first, unsigned lanes) { update(first, lanes); }
    // As setFrequencyAndQ(f, q) on the selected lanes: f limited to 0.001 .. 0.499 of the
    // rate, q to 0.0001 .. 1000, NaN keeps the lane's previous value.
    void setFrequencyAndQ(int first, unsigned lanes, const double* f, const double* q);

    // One sample of a pack of lanes is glideStep(), which needs no input (a glide step where
    // a glide runs, and the part of the recursion that comes from the history), then run().
    template <int W>
    struct Step {
        simd::Pack<W> b0, history;
    };
    template <int W>
    [[gnu::always_inline]] Step<W> glideStep(int first, const simd::Mask<W>& active);
    // The rest of processGliding: the output for input x, and the history moves on.
    template <int W>
    [[gnu::always_inline]] simd::Pack<W> run(int first, const simd::Mask<W>& active, const Step<W>& step,
                                             const simd::Pack<W>& x);

    double sampleRate() const { return rate_; }
    int glideLength() const { return glideLength_; }
    bool instant() const { return instant_; }
    double frequency(int lane) const { return frequency_[index(lane)]; }
    double q(int lane) const { return q_[index(lane)]; }
    double gainDb(int lane) const { return gain_[index(lane)]; }
    int glideRemaining(int lane) const { return static_cast<int>(remaining_[index(lane)]); }
    BiquadCoefficients targetCoefficients(int lane) const;
    // Those the last processed sample used while a glide runs (as the filter's running set),
    // the target set otherwise.
    BiquadCoefficients runningCoefficients(int lane) const;

private:
    // Roots in the order of BiquadRoots.
    enum Root { Z1Re, Z1Im, Z2Re, Z2Im, P1Re, P1Im, P2Re, P2Im, Gain, kRoots };
    enum Coefficient { A1, A2, B0, B1, B2, kCoefficients };
    using Lanes = std::array<double, N>;

    static std::size_t index(int lane) {
        return static_cast<std::size_t>(lane < 0 ? 0 : (lane >= N ? N - 1 : lane));
    }
    template <int W>
    [[gnu::always_inline]] static simd::Pack<W> at(const Lanes& a, int first) {
        return simd::Pack<W>::load(&a[static_cast<std::size_t>(first)]);
    }
    template <int W>
    [[gnu::always_inline]] static void put(Lanes& a, int first, const simd::Mask<W>& m, const simd::Pack<W>& v) {
        simd::select(m, v, at<W>(a, first)).store(&a[static_cast<std::size_t>(first)]);
    }

    // The setters' limits: NaN keeps the previous value, infinities end at the nearest limit.
    template <int W>
    [[gnu::always_inline]] static simd::Pack<W> limited(const simd::Pack<W>& value, double lo, double hi,
                                                        const simd::Pack<W>& previous) {
        using P = simd::Pack<W>;
        const P clamped = simd::select(value < lo, P::broadcast(lo), simd::select(value > hi, P::broadcast(hi), value));
        return simd::select(value != value, previous, clamped);
    }

    // update() of the selected lanes of a group from their stored frequency, Q and gain.
    void update(int first, unsigned lanes);
    template <int W>
    [[gnu::always_inline]] void design(int first, const simd::Mask<W>& active);
    template <int W>
    [[gnu::always_inline]] void alphaAndCos(int first, const simd::Mask<W>& active, bool full, simd::Pack<W>& alpha,
                                            simd::Pack<W>& cw);
    template <int W>
    [[gnu::always_inline]] void targetRoots(int first, const simd::Pack<W>& a1, const simd::Pack<W>& a2,
                                            const simd::Pack<W>& b0, const simd::Pack<W>& b1,
                                            const simd::Pack<W>& b2, simd::Pack<W>* t);
    // A pack of lanes into `a`: the whole pack when every lane is designed, else the active lanes.
    template <int W>
    [[gnu::always_inline]] static void store(Lanes& a, int first, const simd::Mask<W>& active, bool full,
                                             const simd::Pack<W>& v) {
        if (full) v.store(&a[static_cast<std::size_t>(first)]);
        else put(a, first, active, v);
    }
    [[gnu::noinline]] void designNarrow(int first, unsigned lanes);
    [[gnu::noinline]] KESTRO_WIDE_LANES void designWide(int first, unsigned lanes);
    template <int W>
    [[gnu::always_inline]] void snapLanes(int first, const simd::Mask<W>& active);

    BankResponse response_;
    bool wide_ = false;
    double rate_ = 44100.0;
    std::int32_t glideLength_ = 132;
    bool instant_ = true;

    alignas(32) Lanes frequency_{};
    alignas(32) Lanes q_{};
    alignas(32) Lanes gain_{};
    alignas(32) Lanes targetA0_{};
    alignas(32) std::array<Lanes, kCoefficients> target_{};
    // While a glide runs, the running coefficients are rebuilt from the roots every sample; when
    // none runs they are the target set (the filter keeps them equal), so they are not stored.
    alignas(32) std::array<Lanes, kRoots> rootsRunning_{};
    alignas(32) std::array<Lanes, kRoots> rootsTarget_{};
    alignas(32) std::array<Lanes, kRoots> rootsStep_{};
    alignas(32) Lanes remaining_{}; // whole numbers, kept as doubles for the lane masks
    alignas(32) Lanes x1_{}, x2_{}, y1_{}, y2_{};
    // The design's last alpha and cos w by lane, and the frequency and Q they are for.
    alignas(32) Lanes cacheFrequency_{}, cacheQ_{}, cacheAlpha_{}, cacheCos_{};
};

template <int N>
template <int W>
[[gnu::always_inline]] inline typename GlidingBiquadBank<N>::template Step<W>
GlidingBiquadBank<N>::glideStep(int first, const simd::Mask<W>& active) {
    using P = simd::Pack<W>;
    const P remaining = at<W>(remaining_, first);
    const simd::Mask<W> gliding = active & (remaining > 0.0);
    P a1 = at<W>(target_[A1], first), a2 = at<W>(target_[A2], first), b0 = at<W>(target_[B0], first),
      b1 = at<W>(target_[B1], first), b2 = at<W>(target_[B2], first);
    if (simd::any(gliding)) {
        // One glide step: the roots move and the running coefficients are rebuilt from them
        // (after the last step the exact target set takes over from the next sample on; the
        // stepped roots only approximate it).
        const bool all = simd::all(gliding);
        P r[kRoots];
        for (std::size_t k = 0; k < kRoots; ++k) {
            const P now = at<W>(rootsRunning_[k], first);
            r[k] = now + at<W>(rootsStep_[k], first);
            (all ? r[k] : simd::select(gliding, r[k], now)).store(&rootsRunning_[k][static_cast<std::size_t>(first)]);
        }
        const P ra1 = -(r[P1Re] + r[P2Re]);
        const P ra2 = r[P1Re] * r[P2Re] - r[P1Im] * r[P2Im];
        const P rb1 = -(r[Z1Re] + r[Z2Re]) * r[Gain];
        const P rb2 = (r[Z1Re] * r[Z2Re] - r[Z1Im] * r[Z2Im]) * r[Gain];
        const P left = remaining - 1.0;
        if (all) {
            left.store(&remaining_[static_cast<std::size_t>(first)]);
            return {r[Gain], rb1 * at<W>(x1_, first) + rb2 * at<W>(x2_, first) - ra1 * at<W>(y1_, first) -
                                 ra2 * at<W>(y2_, first)};
        }
        a1 = simd::select(gliding, ra1, a1);
        a2 = simd::select(gliding, ra2, a2);
        b0 = simd::select(gliding, r[Gain], b0);
        b1 = simd::select(gliding, rb1, b1);
        b2 = simd::select(gliding, rb2, b2);
        simd::select(gliding, left, remaining).store(&remaining_[static_cast<std::size_t>(first)]);
    }
    return {b0, b1 * at<W>(x1_, first) + b2 * at<W>(x2_, first) - a1 * at<W>(y1_, first) - a2 * at<W>(y2_, first)};
}

template <int N>
template <int W>
[[gnu::always_inline]] inline simd::Pack<W> GlidingBiquadBank<N>::run(int first, const simd::Mask<W>& active,
                                                                       const Step<W>& step, const simd::Pack<W>& x) {
    using P = simd::Pack<W>;
    P y = step.b0 * x + step.history;
    y = (y + 1e-30) - 1e-30;
    put(x2_, first, active, at<W>(x1_, first));
    put(x1_, first, active, x);
    put(y2_, first, active, at<W>(y1_, first));
    put(y1_, first, active, y);
    return y;
}

extern template class GlidingBiquadBank<8>;
extern template class GlidingBiquadBank<12>;

} // namespace kestro
