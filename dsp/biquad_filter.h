#pragma once
// The engine's one general-purpose second-order filter.
//
// Besides the textbook biquad it has three features the rest of the engine relies on:
// a Q narrowed near Nyquist by a per-type law, a coefficient glide that moves the
// zeros, poles and gain linearly over 3 ms (moving the raw coefficients instead can
// pass through unstable sets), and an optional level-dependent saturation inside the
// recursion. The process functions are called hundreds of times per sample, so they
// live here inline and never touch transcendental math; update() and setSaturation()
// hold all of it.

#include <cmath>
#include <cstdint>

namespace kestro {

// a0 is kept unnormalized in the target set (a1..b2 are already divided by it); the
// running set holds 1.0 there while a glide is rebuilding it from roots.
struct BiquadCoefficients {
    double a0 = 1.0, a1 = 0.0, a2 = 0.0;
    double b0 = 1.0, b1 = 0.0, b2 = 0.0;
};

// The filter as positions in the z-plane: two zeros, two poles and the numerator gain.
struct BiquadRoots {
    double zero1Re = 0.0, zero1Im = 0.0;
    double zero2Re = 0.0, zero2Im = 0.0;
    double pole1Re = 0.0, pole1Im = 0.0;
    double pole2Re = 0.0, pole2Im = 0.0;
    double gain = 0.0;
};

class BiquadFilter {
public:
    // Ten response types; anything else (0 included) is the identity.
    enum Type : std::int32_t {
        Off = 0,
        HighPass = 1,
        HighPass1 = 2,
        LowShelf = 3,
        Peaking = 4,
        BandPass = 5,
        Notch = 6,
        HighShelf = 7,
        LowPass = 8,
        LowPass1 = 9,
        AllPass = 10,
    };

    BiquadFilter();

    void init(double sampleRate, int type, double frequency, double q, double gainDb);
    void reset();
    void setSampleRate(double rate);
    void setType(int type);
    void setFrequency(double f);
    void setFrequencyAndQ(double f, double q);
    void setAll(double f, double q, double gainDb);
    void setQ(double q);
    void setGain(double gainDb);
    void setEnabled(bool on);
    void setSaturation(double amount);
    void setBias(double b);
    void setInstant(bool instant);
    void update();
    void snap();

    // The rules setSampleRate applies (a rejected rate becomes 44100 Hz; the glide lasts 3 ms),
    // shared with the filter banks that compute many filters of this kind side by side.
    static double acceptedSampleRate(double rate);
    static std::int32_t glideLengthFor(double rate);

    // Plain filtering with the target coefficients.
    double process(double x) {
        x = (x + kGuard) - kGuard;
        double y = recurse(target_, x);
        y = (y + kGuard) - kGuard;
        push(x, y);
        return y;
    }

    double processSaturating(double x) {
        x = (x + kGuard) - kGuard;
        double y = recurse(target_, x);
        y = (y + kGuard) - kGuard;
        if (saturationEnable_ != 0) {
            y = saturate(y);
            y = (y + kGuard) - kGuard;
        }
        push(x, y);
        return y;
    }

    // Gliding variants: these follow coefficient changes smoothly and let a switched-off
    // filter cost almost nothing (and forget its history, so switching back on starts clean).
    double processGliding(double x) {
        if (type_ == Off) return x;
        if (enabled_ == 0 && glideRemaining_ == 0) {
            clearHistory();
            return x;
        }
        const bool ending = glideRemaining_ > 0 && advanceGlide();
        double y = recurse(running_, x);
        y = (y + kGlideGuard) - kGlideGuard;
        push(x, y);
        if (ending) running_ = target_;
        return y;
    }

    double processGlidingSaturating(double x) {
        if (type_ == Off) return x;
        if (enabled_ == 0 && glideRemaining_ == 0) {
            clearHistory();
            return x;
        }
        const bool ending = glideRemaining_ > 0 && advanceGlide();
        double y = recurse(running_, x);
        if (saturationEnable_ != 0) y = saturate(y);
        y = (y + kGlideGuard) - kGlideGuard;
        push(x, y);
        if (ending) running_ = target_;
        return y;
    }

    double sampleRate() const { return sampleRate_; }
    int type() const { return type_; }
    double frequency() const { return frequency_; }
    double q() const { return q_; }
    double gainDb() const { return gainDb_; }
    bool enabled() const { return enabled_ != 0; }
    bool instant() const { return instant_ != 0; }
    int glideLength() const { return glideLength_; }
    int glideRemaining() const { return glideRemaining_; }
    bool saturationEnabled() const { return saturationEnable_ != 0; }
    double saturationAmount() const { return saturationAmount_; }
    double saturationStrength() const { return saturationK_; }
    double saturationReciprocal() const { return saturationKInv_; }
    double bias() const { return bias_; }
    const BiquadCoefficients& targetCoefficients() const { return target_; }
    const BiquadCoefficients& runningCoefficients() const { return running_; }
    const BiquadRoots& targetRoots() const {
        refreshRoots();
        return rootsTarget_;
    }
    const BiquadRoots& runningRoots() const {
        refreshRoots();
        return rootsRunning_;
    }
    const BiquadRoots& glideSteps() const { return rootsStep_; }

private:
    static constexpr double kGuard = 1e-17;
    static constexpr double kGlideGuard = 1e-30;

    double recurse(const BiquadCoefficients& c, double x) const {
        return c.b0 * x + c.b1 * x1_ + c.b2 * x2_ - c.a1 * y1_ - c.a2 * y2_;
    }
    double saturate(double y) const {
        return y / (std::fabs(y + bias_) * saturationK_ + 1.0);
    }
    void push(double x, double y) {
        x2_ = x1_;
        x1_ = x;
        y2_ = y1_;
        y1_ = y;
    }
    void clearHistory() { x1_ = x2_ = y1_ = y2_ = 0.0; }

    // One glide step: roots move by their steps and the running coefficients are rebuilt
    // from them. Returns true on the last step, after which the caller restores the exact
    // target set (the stepped roots only approximate it).
    bool advanceGlide() {
        --glideRemaining_;
        BiquadRoots& r = rootsRunning_;
        const BiquadRoots& s = rootsStep_;
        r.zero1Re += s.zero1Re;
        r.zero1Im += s.zero1Im;
        r.zero2Re += s.zero2Re;
        r.zero2Im += s.zero2Im;
        r.pole1Re += s.pole1Re;
        r.pole1Im += s.pole1Im;
        r.pole2Re += s.pole2Re;
        r.pole2Im += s.pole2Im;
        r.gain += s.gain;
        running_.a0 = 1.0;
        running_.a1 = -(r.pole1Re + r.pole2Re);
        running_.a2 = r.pole1Re * r.pole2Re - r.pole1Im * r.pole2Im;
        running_.b0 = r.gain;
        running_.b1 = -(r.zero1Re + r.zero2Re) * r.gain;
        running_.b2 = (r.zero1Re * r.zero2Re - r.zero1Im * r.zero2Im) * r.gain;
        return glideRemaining_ == 0;
    }

    void computeTarget();
    void deriveGlide();
    // The glide's roots of a coefficient set (a numerator without z^2 keeps the running zeros).
    static BiquadRoots rootsOf(const BiquadCoefficients& c, const BiquadRoots& running);
    void refreshRoots() const;
    void applyGlideLength();

    // Configuration
    double sampleRate_ = 44100.0;
    std::int32_t type_ = Off;
    double frequency_ = 1000.0;
    double q_ = 0.707;
    double gainDb_ = 0.0;
    std::int32_t enabled_ = 0;
    std::uint8_t instant_ = 1;

    // Coefficients: the running set equals the target set whenever no glide is running,
    // so the idle path of the gliding functions needs no copy.
    BiquadCoefficients target_;
    BiquadCoefficients running_;

    // History
    double x1_ = 0.0, x2_ = 0.0, y1_ = 0.0, y2_ = 0.0;

    // Glide. An instant filter's updates leave its roots to be derived from pendingSource_
    // when a glide (or an inspection) first needs them: most instant filters never glide, and
    // the roots cost as much as the coefficients.
    mutable BiquadRoots rootsRunning_;
    mutable BiquadRoots rootsTarget_;
    mutable bool rootsPending_ = false;
    BiquadCoefficients pendingSource_;
    BiquadRoots rootsStep_;
    std::int32_t glideRemaining_ = 0;
    std::int32_t glideLength_ = 132;

    // Saturation
    double saturationAmount_ = -1.0;
    std::int32_t saturationEnable_ = 0;
    double saturationK_ = 0.001;
    double saturationKInv_ = 1000.0;
    double bias_ = 0.0;
};

} // namespace kestro
