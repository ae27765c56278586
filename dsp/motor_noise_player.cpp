#include "dsp/motor_noise_player.h"

#include "dsp/table_readers.h"

#include <algorithm>
#include <cmath>

namespace kestro {

namespace {

constexpr double kMinSampleRate = 11025.0;
constexpr double kTableRate = 44100.0; // the rate the tables were recorded at
constexpr double kLowThresholdHz = 0.78;
constexpr double kHighThresholdHz = 7.5;
constexpr double kClickAttenuation = 0.25118864315; // -12 dB

// Keeps a phase in turns within [0, 1); for the usual small steps this is the plain
// "subtract one when it reaches one".
inline double wrapTurn(double phase) {
    if (phase >= 1.0 || phase < 0.0) phase -= std::floor(phase);
    return phase;
}

} // namespace

MotorNoisePlayer::MotorNoisePlayer(Kind kind, int flag)
    : kind_(kind),
      scale_(kind == Kind::Horn ? -1.0 : 1.0),
      turnsPerFastTable_(kind == Kind::Horn ? 34.0 : 88.0),
      distanceExponent_(kind == Kind::Horn ? 0.25 : 0.1),
      bandPassQPerMetre_(kind == Kind::Horn ? 0.25 : 0.12),
      bandPassQOffset_(kind == Kind::Horn ? 0.05 : 0.005),
      slowTable_(kind == Kind::Horn ? hornSlowNoise(flag) : drumSlowNoise(flag)),
      fastTable_(kind == Kind::Horn ? hornFastNoise() : drumFastNoise()),
      clickTable_(clickNoise()) {
    const bool second = flag != 0;
    if (kind_ == Kind::Horn) {
        fastOffset_ = second ? 0.23161764705882354 : -0.003676470588235294;
        bandPass_.init(kTableRate, BiquadFilter::BandPass, 1100.0,
                       bandPassQPerMetre_ * distance_ + bandPassQOffset_, 0.0);
    } else {
        fastOffset_ = second ? 0.08948863636363637 : -0.0014204545454545455;
        bandPass_.init(kTableRate, BiquadFilter::BandPass, 1000.0,
                       bandPassQPerMetre_ * distance_ + bandPassQOffset_, 0.0);
        // Where the speed-following filters sit at standstill (x = 0).
        slowLowPass_.init(kTableRate, BiquadFilter::LowPass, 18000.0, 0.7, 0.0);
        fastHighShelf_.init(kTableRate, BiquadFilter::HighShelf, 3500.0, 0.707, -12.0);
        slowLowPass_.setEnabled(true);
        fastHighShelf_.setEnabled(true);
    }
    bandPass_.setEnabled(true);
    setSampleRate(kTableRate);
}

void MotorNoisePlayer::setDistance(double d) {
    if (!(d > 0.01)) d = 0.01;
    distance_ = d;
    distanceLevel_ = std::pow(0.3 / d, distanceExponent_);
    bandPass_.setQ(bandPassQPerMetre_ * d + bandPassQOffset_);
}

void MotorNoisePlayer::triggerClick() {
    clickActive_ = 1;
    clickPosition_ = 0.0;
    clickLevel_ = decelVolume_ * kClickAttenuation;
    clickGain_ = 1.0;
}

void MotorNoisePlayer::setSampleRate(double rate) {
    if (!(rate >= kMinSampleRate) || std::isinf(rate)) rate = kMinSampleRate;
    sampleRate_ = rate;
    lowThreshold_ = kLowThresholdHz / rate;
    highThreshold_ = kHighThresholdHz / rate;
    invLowThreshold_ = 1.0 / lowThreshold_;
    invThresholdRange_ = 1.0 / std::max(highThreshold_ - lowThreshold_, 1e-10);
    weightsSpeed_ = std::numeric_limits<double>::quiet_NaN();

    slowPosition_ = 0.0;
    fastPhase_ = 0.0;
    hornSlowStep_ = kTableRate / rate;
    clickActive_ = 0;
    clickPosition_ = 0.0;
    clickStep_ = kTableRate / rate;

    setDistance(distance_);
    bandPass_.setSampleRate(rate);
    if (kind_ == Kind::Drum) {
        slowLowPass_.setSampleRate(rate);
        fastHighShelf_.setSampleRate(rate);
    }
    bandPass_.setInstant(true);
    bandPass_.setInstant(false); // snaps, then glides from here on
}

void MotorNoisePlayer::updateDrumFilters(double x) {
    slowLowPass_.setFrequency(18000.0 - 18000.0 * std::pow(x, 0.06));
    // One coefficient computation instead of setFrequency + setGain; the frequency gets the
    // same limits setFrequency would apply, so the result is the same.
    const double x2 = x * x;
    const double f = std::clamp(3500.0 + 9500.0 * x2, 0.001, 0.499 * fastHighShelf_.sampleRate());
    fastHighShelf_.setAll(f, 0.707, 12.0 * x2 - 12.0);
}

// Weights, filter settings and phase steps depend on the speed alone, so they are only
// recomputed when it changes: a rotor at a steady speed costs no transcendental math. The
// drum's speed-following filters are instant (no glide), so skipping a repeated update with
// the same values changes nothing.
void MotorNoisePlayer::updateWeights() {
    const double s = speed_;
    weightsSpeed_ = s;
    if (s < lowThreshold_) {
        const double r = s * invLowThreshold_;
        slowWeight_ = r * r;
        fastWeight_ = 0.0;
    } else if (s > highThreshold_) {
        slowWeight_ = 0.0;
        fastWeight_ = 1.0;
    } else {
        const double x = (s - lowThreshold_) * invThresholdRange_;
        if (kind_ == Kind::Horn) {
            const double a = 1.0 - 2.5 * x;
            slowWeight_ = x >= 0.4 ? 0.0 : a * a;
            const double x2 = x * x;
            fastWeight_ = x2 * x2;
        } else {
            slowWeight_ = std::pow(1.0 - x, 0.25);
            fastWeight_ = x * x;
            updateDrumFilters(x);
        }
    }
    slowStep_ = 0.2 * s;
    fastStep_ = s / turnsPerFastTable_;
}

double MotorNoisePlayer::process() {
    if (!(speed_ == weightsSpeed_)) updateWeights();

    // A zero weight skips the read (the product would be zero anyway).
    double slow = 0.0;
    if (slowWeight_ != 0.0) {
        const double position =
            kind_ == Kind::Horn ? slowPosition_ : slowPosition_ * slowTable_.length;
        slow = readCubicWrapped(position, slowTable_.data, slowTable_.length) * slowVolume_ *
               slowWeight_;
    }
    double fast = 0.0;
    if (fastWeight_ != 0.0) {
        // The microphone angle is where on the turn the microphone sits.
        const double angle = micAngle_ * scale_ / turnsPerFastTable_;
        const double phase =
            kind_ == Kind::Horn ? fastPhase_ - angle + fastOffset_ : fastPhase_ + angle + fastOffset_;
        fast = readCubicWrapped(phase * fastTable_.length, fastTable_.data, fastTable_.length) *
               fastVolume_ * fastWeight_;
    }

    double sum;
    if (kind_ == Kind::Horn) {
        sum = slow + fast;
    } else {
        sum = slowLowPass_.processGliding(slow) + fastHighShelf_.processGliding(fast);
    }

    if (clickActive_ != 0) {
        sum += readCubicClamped(clickPosition_, clickTable_.data, clickTable_.length) *
               clickGain_ * clickLevel_;
        if (clickPosition_ > clickTable_.length) clickActive_ = 0;
        clickPosition_ += clickStep_;
    }

    double y = bandPass_.processGliding(sum);

    if (kind_ == Kind::Horn) {
        slowPosition_ += hornSlowStep_;
        if (slowPosition_ >= slowTable_.length) slowPosition_ -= slowTable_.length;
    } else {
        slowPosition_ = wrapTurn(slowPosition_ + slowStep_);
    }
    fastPhase_ = wrapTurn(fastPhase_ + fastStep_);

    y *= distanceLevel_;
    return y * level_;
}

} // namespace kestro
