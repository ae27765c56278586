#pragma once
// The motor of a rotor voice: slow, fast and brake targets, the lever blend between them,
// the inertia of the speed (a one-pole glide whose time constant is given as a 10 %-90 %
// rise time) and the rotation phase. Horn and drum voices run the same motor; only the
// direction the phase turns differs.
//
// Threads: the setters come from whatever thread sets a parameter, step() and
// setSampleRate() run on the audio thread, and the editor reads the phase and the speed
// while audio runs. Every value that crosses threads is a relaxed atomic.

#include "dsp/numeric.h"
#include <atomic>
#include <cstdint>

namespace kestro {

namespace rotor {

// A value one thread writes and another reads without a lock. Relaxed order is enough:
// each value stands on its own, a reader only needs some recent value, never a torn one.
template <class T>
class Relaxed {
public:
    constexpr Relaxed(T v = T{}) noexcept : v_(v) {}
    Relaxed(const Relaxed&) = delete;
    Relaxed& operator=(const Relaxed&) = delete;
    T load() const noexcept { return v_.load(std::memory_order_relaxed); }
    void store(T v) noexcept { v_.store(v, std::memory_order_relaxed); }
    operator T() const noexcept { return load(); }
    Relaxed& operator=(T v) noexcept {
        store(v);
        return *this;
    }

private:
    std::atomic<T> v_;
};

using kestro::flush;
using kestro::kPi;
using kestro::kTwoPi;

inline constexpr double kSpeedOfSound = 340.29;
inline constexpr double kSecondsPerMetre = 0.0029386699579770194; // 1 / 340.29
inline constexpr double kMinSampleRate = 11025.0;

} // namespace rotor

class RotorMotion {
public:
    enum State : std::int32_t {
        Unset = -1, // no lever call yet
        Stopped = 0,
        Slow = 1,
        Fast = 2,
        Between = 3,
    };

    // direction -1: the phase decreases (horn); +1: it increases (drum).
    explicit RotorMotion(int direction);

    // Each of these answers whether the motor-noise click is due (the rotor leaves the
    // stopped state, or a brake is applied to a rotor that is not already stopped).
    // Non-finite arguments are ignored.
    bool setLever(double x); // x = 1 - lever: 1 slow, 0 fast, between blends
    bool setStop(double brake);

    void setSlowSpeed(double hz);
    void setFastSpeed(double hz);
    void setSpeedTarget(double hz);
    void setAccelTime(double seconds); // 10 %-90 % rise time
    void setDecelTime(double seconds);

    // Audio thread. Re-applies everything that depends on the rate, puts the phase at 0 and
    // the speed at its target at once.
    void setSampleRate(double rate);

    // Audio thread, once per sample: glides the speed, turns the phase and returns the
    // emitted phase (the phase before this step plus the orientation offset, in 0..1).
    double step() {
        double speed = speed_.load();
        const double inc = increment_.load();
        if (speed > inc) {
            const double c = decel_.load();
            speed = inc * (1.0 - c) + speed * c;
        } else {
            const double c = accel_.load();
            speed = inc * (1.0 - c) + speed * c;
        }
        speed = rotor::flush(speed);
        speed_.store(speed);

        double phase = phase_.load();
        double emitted = phase + phaseOffset_.load();
        if (emitted >= 1.0) emitted -= 1.0;
        else if (emitted < 0.0) emitted += 1.0;

        // The increment is limited to half a turn per sample, so one correction keeps the
        // phase in 0..1 whichever way the rotor turns.
        if (direction_ < 0) {
            phase -= speed;
            if (phase < 0.0) phase += 1.0;
            else if (phase >= 1.0) phase -= 1.0;
        } else {
            phase += speed;
            if (phase >= 1.0) phase -= 1.0;
            else if (phase < 0.0) phase += 1.0;
        }
        phase_.store(phase);
        return emitted;
    }

    void setPhaseOffset(double offset) { phaseOffset_.store(offset); }
    double phaseOffset() const { return phaseOffset_.load(); }

    State state() const { return static_cast<State>(state_.load()); }
    double lever() const { return lever_.load(); }
    double brake() const { return brake_.load(); }
    double slowSpeed() const { return slow_.load(); }
    double fastSpeed() const { return fast_.load(); }
    double blend() const { return blend_.load(); }
    double speedTarget() const { return target_.load(); }        // Hz
    double targetIncrement() const { return increment_.load(); } // turns per sample
    double speed() const { return speed_.load(); }               // turns per sample
    double speedHz() const { return speed_.load() * rate_.load(); }
    double phase() const { return phase_.load(); } // rotation phase, turns
    double sampleRate() const { return rate_.load(); }
    double accelTime() const { return accelTime_.load(); }
    double decelTime() const { return decelTime_.load(); }
    double accelCoefficient() const { return accel_.load(); }
    double decelCoefficient() const { return decel_.load(); }

private:
    double riseCoefficient(double seconds) const;
    void applyLever(double x);

    const int direction_;
    rotor::Relaxed<double> rate_{44100.0};
    rotor::Relaxed<std::int32_t> state_{Unset};
    rotor::Relaxed<double> slow_{0.0};
    rotor::Relaxed<double> fast_{0.0};
    rotor::Relaxed<double> lever_{1.0};
    rotor::Relaxed<double> brake_{0.0};
    rotor::Relaxed<double> blend_{0.0};
    rotor::Relaxed<double> target_{0.0};    // Hz
    rotor::Relaxed<double> increment_{0.0}; // turns per sample
    rotor::Relaxed<double> speed_{0.0};     // turns per sample
    // Negative until set: the rate change then leaves the coefficient alone.
    rotor::Relaxed<double> accelTime_{-1.0};
    rotor::Relaxed<double> decelTime_{-1.0};
    // No motion until the times are set: a coefficient of 1 holds the speed.
    rotor::Relaxed<double> accel_{1.0};
    rotor::Relaxed<double> decel_{1.0};
    rotor::Relaxed<double> phase_{0.0};
    rotor::Relaxed<double> phaseOffset_{0.0};
};

} // namespace kestro
