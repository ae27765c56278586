#pragma once
// Plays the recorded motor noise of one rotor: the slow motor's hum and the fast rotor's rush
// crossfaded by the current speed, re-pitched with it, and a one-shot click when the rotor
// starts or brakes. Each primary horn voice owns one (horn configuration) and the primary
// drum voice one (drum configuration).
//
// Not thread-safe, like the rotor that owns it: every call comes from the audio thread or
// while audio is stopped. Nothing here allocates after construction.

#include "dsp/biquad_filter.h"
#include "dsp/tables/motor_noise_tables.h"

#include <limits>

namespace kestro {

class MotorNoisePlayer {
public:
    enum class Kind { Horn, Drum };

    // flag selects the slow-noise recording and the phase of the fast noise, so that two
    // players of the same kind never sound alike (0 for horn voice 1 and the drum voice,
    // 1 for horn voice 2).
    MotorNoisePlayer(Kind kind, int flag);

    // Called every sample by the rotor. Speeds are limited to half a turn per sample (beyond
    // that a rotation means nothing) and NaN counts as stopped, so a fault upstream can
    // poison neither the filters nor the playback phases.
    void setInputs(double level, double micAngle, double speed) {
        level_ = level;
        micAngle_ = micAngle;
        if (speed >= -kMaxSpeed && speed <= kMaxSpeed) {
            speed_ = speed;
        } else {
            speed_ = speed > kMaxSpeed ? kMaxSpeed : (speed < -kMaxSpeed ? -kMaxSpeed : 0.0);
        }
    }

    // Distances at or below 0.01 m (and NaN) are taken as 0.01 m: the level law has a pole at 0.
    void setDistance(double d);
    void triggerClick();
    void setSampleRate(double rate);
    double process();

    void setSlowVolume(double v) { slowVolume_ = v; }
    void setFastVolume(double v) { fastVolume_ = v; }
    void setAccelVolume(double v) { accelVolume_ = v; }
    void setDecelVolume(double v) { decelVolume_ = v; }

    Kind kind() const { return kind_; }
    double sampleRate() const { return sampleRate_; }
    double lowThreshold() const { return lowThreshold_; }
    double highThreshold() const { return highThreshold_; }
    // Weights of the last processed sample.
    double slowWeight() const { return slowWeight_; }
    double fastWeight() const { return fastWeight_; }
    double distance() const { return distance_; }
    double distanceLevel() const { return distanceLevel_; }
    double fastPhaseOffset() const { return fastOffset_; }
    // Horn: sample position in the slow table; drum: phase (turns of the table).
    double slowPosition() const { return slowPosition_; }
    double fastPhase() const { return fastPhase_; }
    bool clickActive() const { return clickActive_ != 0; }
    double clickPosition() const { return clickPosition_; }
    double clickLevel() const { return clickLevel_; }
    double slowVolume() const { return slowVolume_; }
    double fastVolume() const { return fastVolume_; }
    double accelVolume() const { return accelVolume_; }
    double decelVolume() const { return decelVolume_; }
    const NoiseTable& slowTable() const { return slowTable_; }
    const NoiseTable& fastTable() const { return fastTable_; }
    const BiquadFilter& bandPass() const { return bandPass_; }
    const BiquadFilter& slowLowPass() const { return slowLowPass_; }
    const BiquadFilter& fastHighShelf() const { return fastHighShelf_; }

private:
    static constexpr double kMaxSpeed = 0.5; // turns per sample

    void updateWeights();
    void updateDrumFilters(double x);

    Kind kind_;
    double scale_;           // -1 horn, +1 drum: which way the microphone angle turns the rotor
    double turnsPerFastTable_;
    double distanceExponent_;
    double bandPassQPerMetre_, bandPassQOffset_;

    double sampleRate_ = 44100.0;
    double lowThreshold_ = 0.0, highThreshold_ = 0.0; // turns per sample
    double invLowThreshold_ = 0.0, invThresholdRange_ = 0.0;

    double level_ = 0.0;
    double micAngle_ = 0.0;
    double speed_ = 0.0;

    // Everything that follows from the speed alone, recomputed only when it changes.
    // NaN never equals a speed, so NaN means "recompute".
    double weightsSpeed_ = std::numeric_limits<double>::quiet_NaN();
    double slowWeight_ = 0.0, fastWeight_ = 0.0;
    double slowStep_ = 0.0; // drum only: phase advance of the slow table
    double fastStep_ = 0.0;

    NoiseTable slowTable_;
    NoiseTable fastTable_;
    NoiseTable clickTable_;
    double slowPosition_ = 0.0;
    double hornSlowStep_ = 1.0;
    double fastPhase_ = 0.0;
    double fastOffset_ = 0.0;

    double slowVolume_ = 1.0;
    double fastVolume_ = 1.0;
    double accelVolume_ = 1.0; // kept for the parameter mapping; the noise does not use it
    double decelVolume_ = 1.0;

    double distance_ = 1.0;
    double distanceLevel_ = 1.0;

    int clickActive_ = 0;
    double clickPosition_ = 0.0;
    double clickStep_ = 1.0;
    double clickLevel_ = 0.0;
    double clickGain_ = 1.0;

    BiquadFilter bandPass_;
    BiquadFilter slowLowPass_;   // drum only
    BiquadFilter fastHighShelf_; // drum only
};

} // namespace kestro
