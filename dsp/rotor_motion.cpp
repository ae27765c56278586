#include "dsp/rotor_motion.h"

#include <cmath>

namespace kestro {

namespace {
// 1 / ln 9: turns a 10 %-90 % rise time into the time constant of the one-pole glide.
constexpr double kRiseToTau = 0.45511961331;
// Beyond half a turn per sample the rotation is meaningless (and one wrap per sample would
// no longer keep the phase in range).
constexpr double kMaxIncrement = 0.5;
} // namespace

RotorMotion::RotorMotion(int direction) : direction_(direction < 0 ? -1 : 1) {}

double RotorMotion::riseCoefficient(double seconds) const {
    // A zero or negative time means no inertia at all; the formula would give a
    // coefficient above 1 there, which makes the glide diverge.
    if (!(seconds > 0.0)) return 0.0;
    const double c = std::exp(-1.0 / (seconds * rate_.load() * kRiseToTau));
    return c >= 0.0 && c <= 1.0 ? c : 1.0;
}

void RotorMotion::setSpeedTarget(double hz) {
    if (!std::isfinite(hz)) return;
    target_.store(hz);
    double inc = hz / rate_.load();
    if (inc > kMaxIncrement) inc = kMaxIncrement;
    else if (inc < -kMaxIncrement) inc = -kMaxIncrement;
    increment_.store(inc);
}

void RotorMotion::applyLever(double x) {
    const double slow = slow_.load();
    const double fast = fast_.load();
    if (x == 1.0) {
        state_.store(Slow);
        setSpeedTarget(slow);
    } else if (x == 0.0) {
        state_.store(Fast);
        setSpeedTarget(fast);
    } else {
        const double blend = 1.0 - x;
        blend_.store(blend);
        state_.store(Between);
        setSpeedTarget((fast - slow) * blend + slow);
    }
}

bool RotorMotion::setLever(double x) {
    if (!std::isfinite(x)) return false;
    lever_.store(x);
    if (brake_.load() >= 0.5) return false;
    const bool click = state_.load() == Stopped;
    applyLever(x);
    return click;
}

bool RotorMotion::setStop(double brake) {
    if (!std::isfinite(brake)) return false;
    brake_.store(brake);
    if (brake < 0.5) return setLever(lever_.load());
    const bool click = state_.load() != Stopped;
    state_.store(Stopped);
    setSpeedTarget(0.0);
    return click;
}

void RotorMotion::setSlowSpeed(double hz) {
    if (!std::isfinite(hz)) return;
    slow_.store(hz);
    const std::int32_t s = state_.load();
    if (s == Slow) setSpeedTarget(hz);
    else if (s == Between) setSpeedTarget((fast_.load() - hz) * blend_.load() + hz);
}

void RotorMotion::setFastSpeed(double hz) {
    if (!std::isfinite(hz)) return;
    fast_.store(hz);
    const std::int32_t s = state_.load();
    if (s == Fast) setSpeedTarget(hz);
    else if (s == Between) {
        const double slow = slow_.load();
        setSpeedTarget((hz - slow) * blend_.load() + slow);
    }
}

void RotorMotion::setAccelTime(double seconds) {
    if (std::isnan(seconds)) return;
    accelTime_.store(seconds);
    accel_.store(riseCoefficient(seconds));
}

void RotorMotion::setDecelTime(double seconds) {
    if (std::isnan(seconds)) return;
    decelTime_.store(seconds);
    decel_.store(riseCoefficient(seconds));
}

void RotorMotion::setSampleRate(double rate) {
    if (!std::isfinite(rate)) return;
    if (rate < rotor::kMinSampleRate) rate = rotor::kMinSampleRate;
    rate_.store(rate);
    phase_.store(0.0);
    setSpeedTarget(target_.load());
    // Times that were never set keep the "no motion" coefficient of construction.
    const double accel = accelTime_.load();
    if (!(accel < 0.0)) accel_.store(riseCoefficient(accel));
    const double decel = decelTime_.load();
    if (!(decel < 0.0)) decel_.store(riseCoefficient(decel));
    speed_.store(increment_.load());
}

} // namespace kestro
