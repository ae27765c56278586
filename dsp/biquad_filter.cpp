#include "dsp/biquad_filter.h"

#include "dsp/numeric.h"

#include <cmath>

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

void BiquadFilter::computeTarget() {
    double a0 = 1.0, a1 = 0.0, a2 = 0.0, b0 = 1.0, b1 = 0.0, b2 = 0.0;

    if (enabled_ != 0 && type_ >= HighPass && type_ <= AllPass) {
        const double w = kTwoPi * frequency_ / sampleRate_;
        const double sw = std::sin(w);
        const double cw = std::cos(w);
        const double A = std::pow(10.0, gainDb_ * 0.025);
        // The bandwidth widens as the frequency approaches Nyquist, each type at its own
        // pace, so that the responses stay usable (and stable) right up to the top.
        const auto narrowedQ = [&](double c, double e) {
            return (1.0 - std::pow(frequency_ / (c * sampleRate_), e)) * q_;
        };

        switch (type_) {
        case HighPass: {
            const double alpha = sw / (2.0 * narrowedQ(0.5001, 6.0));
            a0 = 1.0 + alpha;
            a1 = -2.0 * cw;
            a2 = 1.0 - alpha;
            b0 = (1.0 + cw) / 2.0;
            b1 = -(1.0 + cw);
            b2 = (1.0 + cw) / 2.0;
            break;
        }
        case HighPass1: {
            const double k = cw / (1.0 + sw);
            a0 = 1.0;
            a1 = -k;
            b0 = (1.0 + k) / 2.0;
            b1 = -(1.0 + k) / 2.0;
            break;
        }
        case LowShelf: {
            const double beta = sw * std::sqrt(A) / narrowedQ(0.5001, 3.5);
            a0 = (A + 1.0) + (A - 1.0) * cw + beta;
            a1 = -2.0 * ((A - 1.0) + (A + 1.0) * cw);
            a2 = (A + 1.0) + (A - 1.0) * cw - beta;
            b0 = A * ((A + 1.0) - (A - 1.0) * cw + beta);
            b1 = 2.0 * A * ((A - 1.0) - (A + 1.0) * cw);
            b2 = A * ((A + 1.0) - (A - 1.0) * cw - beta);
            break;
        }
        case Peaking: {
            const double alpha = sw / (2.0 * narrowedQ(0.5001, 2.8));
            a0 = 1.0 + alpha / A;
            a1 = -2.0 * cw;
            a2 = 1.0 - alpha / A;
            b0 = 1.0 + alpha * A;
            b1 = -2.0 * cw;
            b2 = 1.0 - alpha * A;
            break;
        }
        case BandPass: {
            const double alpha = sw / (2.0 * narrowedQ(0.5001, 2.8));
            a0 = 1.0 + alpha;
            a1 = -2.0 * cw;
            a2 = 1.0 - alpha;
            b0 = alpha;
            b1 = 0.0;
            b2 = -alpha;
            break;
        }
        case Notch: {
            const double alpha = sw / (2.0 * narrowedQ(0.5001, 2.8));
            a0 = 1.0 + alpha;
            a1 = -2.0 * cw;
            a2 = 1.0 - alpha;
            b0 = 1.0;
            b1 = -2.0 * cw;
            b2 = 1.0;
            break;
        }
        case HighShelf: {
            const double beta = sw * std::sqrt(A) / narrowedQ(0.5001, 4.0);
            a0 = (A + 1.0) - (A - 1.0) * cw + beta;
            a1 = 2.0 * ((A - 1.0) - (A + 1.0) * cw);
            a2 = (A + 1.0) - (A - 1.0) * cw - beta;
            b0 = A * ((A + 1.0) + (A - 1.0) * cw + beta);
            b1 = -2.0 * A * ((A - 1.0) + (A + 1.0) * cw);
            b2 = A * ((A + 1.0) + (A - 1.0) * cw - beta);
            break;
        }
        case LowPass: {
            const double alpha = sw / (2.0 * narrowedQ(0.50001, 8.0));
            a0 = 1.0 + alpha;
            a1 = -2.0 * cw;
            a2 = 1.0 - alpha;
            b0 = (1.0 - cw) / 2.0;
            b1 = 1.0 - cw;
            b2 = (1.0 - cw) / 2.0;
            break;
        }
        case LowPass1: {
            const double g = 2.0 - cw;
            const double p = std::sqrt(g * g - 1.0) - g;
            a0 = 1.0;
            a1 = p;
            b0 = 1.0 + p;
            break;
        }
        case AllPass: {
            const double alpha = sw / (2.0 * q_);
            a0 = 1.0 + alpha;
            a1 = -2.0 * cw;
            a2 = 1.0 - alpha;
            b0 = 1.0 - alpha;
            b1 = -2.0 * cw;
            b2 = 1.0 + alpha;
            break;
        }
        default:
            break;
        }
    }

    target_.a0 = a0;
    target_.a1 = a1 / a0;
    target_.a2 = a2 / a0;
    target_.b0 = b0 / a0;
    target_.b1 = b1 / a0;
    target_.b2 = b2 / a0;
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
