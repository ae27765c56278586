#include "dsp/biquad_filter.h"

#include "dsp/numeric.h"

#include <cmath>
#include <iterator>

namespace kestro {

namespace {

constexpr double kMinRate = 20000.0;
constexpr double kMaxRate = 400000.0;
constexpr double kFallbackRate = 44100.0;
constexpr double kMinFrequency = 0.001;
constexpr double kMaxFrequencyRatio = 0.499;
constexpr double kMinQ = 0.0001;
constexpr double kMaxQ = 1000.0;
constexpr double kMaxGainDb = 1000.0;
constexpr double kMaxBias = 0.25;
constexpr double kGlideSeconds = 0.003;

// Infinities end at the nearest limit. A NaN leaves the stored value alone: once it
// reached the recursion the filter would stay silent-NaN until reset, and the old value
// is the best guess of what the caller meant.
double limited(double value, double lo, double hi, double previous) {
    if (std::isnan(value)) return previous;
    if (value < lo) return lo;
    if (value > hi) return hi;
    return value;
}

double guarded(double x) { return (x + 1e-30) - 1e-30; }

} // namespace

BiquadFilter::BiquadFilter() { init(44100.0, Off, 1000.0, 0.707, 0.0); }

void BiquadFilter::init(double sampleRate, int type, double frequency, double q, double gainDb) {
    sampleRate_ = sampleRate;
    type_ = type;
    frequency_ = frequency;
    q_ = q;
    gainDb_ = gainDb;
    enabled_ = 0;
    instant_ = 1;
    applyGlideLength();
    // A disabled filter's response is the identity; starting from it (rather than from
    // whatever an earlier configuration left) is what the first update would produce anyway.
    target_ = BiquadCoefficients{};
    running_ = BiquadCoefficients{};
    reset();
}

void BiquadFilter::reset() {
    clearHistory();
    rootsRunning_ = BiquadRoots{};
    rootsRunning_.zero1Re = 1.0;
    rootsRunning_.gain = 1.0;
    rootsTarget_ = rootsRunning_;
    rootsPending_ = false;
    rootsStep_ = BiquadRoots{};
    glideRemaining_ = 0;
    running_ = target_;
    saturationK_ = 0.001;
    saturationKInv_ = 1000.0;
    saturationEnable_ = 0;
    saturationAmount_ = -1.0;
    bias_ = 0.0;
}

std::int32_t BiquadFilter::glideLengthFor(double rate) {
    // Only rates from setSampleRate are range-checked; init stores its rate as given, so
    // the conversion to int is guarded here against NaN and absurd values.
    const double n = rate * kGlideSeconds;
    if (!(n >= 1.0)) return 0;
    if (n > 1.0e6) return 1000000;
    return static_cast<std::int32_t>(n);
}

double BiquadFilter::acceptedSampleRate(double rate) {
    return (rate >= kMinRate && rate <= kMaxRate) ? rate : kFallbackRate;
}

void BiquadFilter::applyGlideLength() { glideLength_ = glideLengthFor(sampleRate_); }

void BiquadFilter::setSampleRate(double rate) {
    sampleRate_ = acceptedSampleRate(rate);
    applyGlideLength();
    update();
    setSaturation(saturationAmount_);
}

void BiquadFilter::setType(int type) {
    type_ = type;
    update();
}

void BiquadFilter::setFrequency(double f) {
    frequency_ = limited(f, kMinFrequency, kMaxFrequencyRatio * sampleRate_, frequency_);
    update();
}

void BiquadFilter::setFrequencyAndQ(double f, double q) {
    frequency_ = limited(f, kMinFrequency, kMaxFrequencyRatio * sampleRate_, frequency_);
    q_ = limited(q, kMinQ, kMaxQ, q_);
    update();
}

void BiquadFilter::setAll(double f, double q, double gainDb) {
    frequency_ = f;
    q_ = q;
    gainDb_ = gainDb;
    update();
}

void BiquadFilter::setQ(double q) {
    q_ = limited(q, kMinQ, kMaxQ, q_);
    update();
    setSaturation(saturationAmount_);
}

void BiquadFilter::setGain(double gainDb) {
    gainDb_ = limited(gainDb, -kMaxGainDb, kMaxGainDb, gainDb_);
    update();
}

void BiquadFilter::setEnabled(bool on) {
    const std::int32_t flag = on ? 1 : 0;
    if (flag == enabled_) return;
    enabled_ = flag;
    update();
    snap();
}

void BiquadFilter::setSaturation(double amount) {
    saturationAmount_ = amount;
    if (amount > 0.0) {
        saturationK_ = frequency_ * 0.01 * (44100.0 / sampleRate_) * amount * 3.0 /
                       (1000.0 * std::pow(q_, 0.75));
        saturationKInv_ = 1.0 / saturationK_;
        saturationEnable_ = 1;
    } else {
        saturationEnable_ = 0;
        saturationK_ = 0.001;
        saturationKInv_ = 1000.0;
    }
}

void BiquadFilter::setBias(double b) { bias_ = limited(b, -kMaxBias, kMaxBias, bias_); }

void BiquadFilter::setInstant(bool instant) {
    const std::uint8_t flag = instant ? 1 : 0;
    if (flag == instant_) return;
    if (flag == 0) snap();
    instant_ = flag;
}

void BiquadFilter::update() {
    computeTarget();
    if (instant_ != 0 && target_.b0 != 0.0) {
        // The glide would be snapped at once: only the coefficients matter until the filter
        // glides, so the roots are derived from this target set when first needed.
        rootsPending_ = true;
        pendingSource_ = target_;
        snap();
        return;
    }
    deriveGlide();
    if (instant_ != 0) snap();
}

void BiquadFilter::snap() {
    if (!rootsPending_) rootsRunning_ = rootsTarget_;
    rootsStep_ = BiquadRoots{};
    glideRemaining_ = 0;
    running_ = target_;
}

namespace {

// What every design starts from: sin w and cos w of the normalized frequency w = 2 pi f / rate.
struct DesignInput {
    double sw, cw;
    double frequency, q, rate, gainDb;

    // The bandwidth widens as the frequency approaches Nyquist, each type at its own pace, so
    // that the responses stay usable (and stable) right up to the top:
    // Q' = (1 - (f / (c rate))^e) Q
    double narrowedQ(double c, double e) const { return (1.0 - std::pow(frequency / (c * rate), e)) * q; }
    // A = 10^(gain / 40); only the shelves and the peak have a gain, so only they pay for it.
    double amplitude() const { return std::pow(10.0, gainDb * 0.025); }
};

// The designs give the unnormalized set; a coefficient a design leaves out keeps the identity's.
BiquadCoefficients highPass(const DesignInput& d) {
    const double alpha = d.sw / (2.0 * d.narrowedQ(0.5001, 6.0));
    return {1.0 + alpha, -2.0 * d.cw, 1.0 - alpha, (1.0 + d.cw) / 2.0, -(1.0 + d.cw), (1.0 + d.cw) / 2.0};
}

// k = cos w / (1 + sin w): one pole at k, one zero at -1
BiquadCoefficients highPass1(const DesignInput& d) {
    const double k = d.cw / (1.0 + d.sw);
    return {1.0, -k, 0.0, (1.0 + k) / 2.0, -(1.0 + k) / 2.0, 0.0};
}

// beta = sin w sqrt(A) / Q'
BiquadCoefficients lowShelf(const DesignInput& d) {
    const double A = d.amplitude();
    const double beta = d.sw * std::sqrt(A) / d.narrowedQ(0.5001, 3.5);
    return {(A + 1.0) + (A - 1.0) * d.cw + beta,         -2.0 * ((A - 1.0) + (A + 1.0) * d.cw),
            (A + 1.0) + (A - 1.0) * d.cw - beta,         A * ((A + 1.0) - (A - 1.0) * d.cw + beta),
            2.0 * A * ((A - 1.0) - (A + 1.0) * d.cw),    A * ((A + 1.0) - (A - 1.0) * d.cw - beta)};
}

BiquadCoefficients peaking(const DesignInput& d) {
    const double A = d.amplitude();
    const double alpha = d.sw / (2.0 * d.narrowedQ(0.5001, 2.8));
    return {1.0 + alpha / A, -2.0 * d.cw, 1.0 - alpha / A, 1.0 + alpha * A, -2.0 * d.cw, 1.0 - alpha * A};
}

BiquadCoefficients bandPass(const DesignInput& d) {
    const double alpha = d.sw / (2.0 * d.narrowedQ(0.5001, 2.8));
    return {1.0 + alpha, -2.0 * d.cw, 1.0 - alpha, alpha, 0.0, -alpha};
}

BiquadCoefficients notch(const DesignInput& d) {
    const double alpha = d.sw / (2.0 * d.narrowedQ(0.5001, 2.8));
    return {1.0 + alpha, -2.0 * d.cw, 1.0 - alpha, 1.0, -2.0 * d.cw, 1.0};
}

BiquadCoefficients highShelf(const DesignInput& d) {
    const double A = d.amplitude();
    const double beta = d.sw * std::sqrt(A) / d.narrowedQ(0.5001, 4.0);
    return {(A + 1.0) - (A - 1.0) * d.cw + beta,         2.0 * ((A - 1.0) - (A + 1.0) * d.cw),
            (A + 1.0) - (A - 1.0) * d.cw - beta,         A * ((A + 1.0) + (A - 1.0) * d.cw + beta),
            -2.0 * A * ((A - 1.0) + (A + 1.0) * d.cw),   A * ((A + 1.0) + (A - 1.0) * d.cw - beta)};
}

BiquadCoefficients lowPass(const DesignInput& d) {
    const double alpha = d.sw / (2.0 * d.narrowedQ(0.50001, 8.0));
    return {1.0 + alpha, -2.0 * d.cw, 1.0 - alpha, (1.0 - d.cw) / 2.0, 1.0 - d.cw, (1.0 - d.cw) / 2.0};
}

// g = 2 - cos w; pole p = sqrt(g^2 - 1) - g, y[n] = (1 + p) x[n] - p y[n-1]
BiquadCoefficients lowPass1(const DesignInput& d) {
    const double g = 2.0 - d.cw;
    const double p = std::sqrt(g * g - 1.0) - g;
    return {1.0, p, 0.0, 1.0 + p, 0.0, 0.0};
}

// The all-pass keeps its Q as given.
BiquadCoefficients allPass(const DesignInput& d) {
    const double alpha = d.sw / (2.0 * d.q);
    return {1.0 + alpha, -2.0 * d.cw, 1.0 - alpha, 1.0 - alpha, -2.0 * d.cw, 1.0 + alpha};
}

} // namespace

void BiquadFilter::computeTarget() {
    using Design = BiquadCoefficients (*)(const DesignInput&);
    static constexpr Design kDesigns[] = {highPass,  highPass1, lowShelf, peaking,  bandPass,
                                          notch,     highShelf, lowPass,  lowPass1, allPass};
    static_assert(std::size(kDesigns) == AllPass - HighPass + 1, "one design per type");
    BiquadCoefficients c; // the identity: off, disabled, or a type outside the ten
    if (enabled_ != 0 && type_ >= HighPass && type_ <= AllPass) {
        const double w = kTwoPi * frequency_ / sampleRate_;
        const DesignInput in{std::sin(w), std::cos(w), frequency_, q_, sampleRate_, gainDb_};
        c = kDesigns[type_ - HighPass](in);
    }
    target_.a0 = c.a0;
    target_.a1 = c.a1 / c.a0;
    target_.a2 = c.a2 / c.a0;
    target_.b0 = c.b0 / c.a0;
    target_.b1 = c.b1 / c.a0;
    target_.b2 = c.b2 / c.a0;
}

BiquadRoots BiquadFilter::rootsOf(const BiquadCoefficients& c, const BiquadRoots& running) {
    BiquadRoots t;
    t.gain = c.b0;

    // With no z^2 term the numerator has no proper pair of zeros; its gain glides to
    // zero, so the zeros may stay where they are instead of becoming inf/NaN.
    if (c.b0 != 0.0) {
        const double d = c.b1 * c.b1 - 4.0 * c.b0 * c.b2;
        const double twoB0 = 2.0 * c.b0;
        if (d >= 0.0) {
            const double sd = std::sqrt(d);
            t.zero2Re = (sd - c.b1) / twoB0;
            t.zero1Re = (-c.b1 - sd) / twoB0;
            t.zero1Im = 0.0;
            t.zero2Im = 0.0;
        } else {
            const double sd = std::sqrt(-d);
            t.zero1Re = -c.b1 / twoB0;
            t.zero2Re = t.zero1Re;
            t.zero1Im = -sd / twoB0;
            t.zero2Im = sd / twoB0;
        }
    } else {
        t.zero1Re = running.zero1Re;
        t.zero1Im = running.zero1Im;
        t.zero2Re = running.zero2Re;
        t.zero2Im = running.zero2Im;
    }

    const double d = c.a1 * c.a1 - 4.0 * c.a2;
    if (d >= 0.0) {
        const double sd = std::sqrt(d);
        t.pole1Re = (-c.a1 - sd) / 2.0;
        t.pole2Re = (sd - c.a1) / 2.0;
        t.pole1Im = 0.0;
        t.pole2Im = 0.0;
    } else {
        const double sd = std::sqrt(-d);
        t.pole1Re = -c.a1 / 2.0;
        t.pole2Re = t.pole1Re;
        t.pole1Im = -sd / 2.0;
        t.pole2Im = sd / 2.0;
    }
    return t;
}

void BiquadFilter::refreshRoots() const {
    if (!rootsPending_) return;
    rootsPending_ = false;
    rootsTarget_ = rootsOf(pendingSource_, rootsRunning_);
    rootsRunning_ = rootsTarget_;
}

void BiquadFilter::deriveGlide() {
    refreshRoots();
    const BiquadRoots t = rootsOf(target_, rootsRunning_);
    rootsTarget_ = t;

    if (glideLength_ <= 0) {
        // Below ~333 Hz there is no whole sample in 3 ms: nothing to glide over.
        snap();
        return;
    }
    const double n = static_cast<double>(glideLength_);
    const BiquadRoots& r = rootsRunning_;
    BiquadRoots& s = rootsStep_;
    s.zero1Re = guarded((t.zero1Re - r.zero1Re) / n);
    s.zero1Im = guarded((t.zero1Im - r.zero1Im) / n);
    s.zero2Re = guarded((t.zero2Re - r.zero2Re) / n);
    s.zero2Im = guarded((t.zero2Im - r.zero2Im) / n);
    s.pole1Re = guarded((t.pole1Re - r.pole1Re) / n);
    s.pole1Im = guarded((t.pole1Im - r.pole1Im) / n);
    s.pole2Re = guarded((t.pole2Re - r.pole2Re) / n);
    s.pole2Im = guarded((t.pole2Im - r.pole2Im) / n);
    s.gain = guarded((t.gain - r.gain) / n);
    glideRemaining_ = glideLength_;
}

} // namespace kestro
