#include "dsp/rotor_voice.h"

#include <algorithm>
#include <cmath>

namespace kestro {

using rotor::flush;
using rotor::kTwoPi;

namespace {
constexpr double kMouthDepth = 0.235;
constexpr double kEdgeLong = 0.43;
constexpr double kEdgeShort = 0.24;

// The attenuation table starts 0.3 m from the rotor axis; a mouth radius reaching that far
// would put the table's reference point inside the mouth (negative distances, NaN levels).
constexpr double kMinAmRadius = 0.01;
constexpr double kMaxAmRadius = 0.29;
// Below ~0.19 m the output-gain law takes a negative number to the power 0.75, and below
// the mouth radius the beam width is undefined. 0.3 m is also the engine's own floor for
// the second horn microphone. The upper limit keeps every path inside the delay rings at
// usual model rates (longer paths would be clamped to the ring anyway).
constexpr double kMinDistance = 0.3;
constexpr double kMaxDistance = 100.0;
constexpr double kMinAttenuationDistance = 0.01;

// Guards for degenerate geometry only; no valid placement comes near them.
constexpr double kMinPath = 1e-9;
constexpr double kMinBeamWidth = 1e-6;

double clampUnit(double x) { return x < -1.0 ? -1.0 : (x > 1.0 ? 1.0 : x); }
} // namespace

RotorVoice::RotorVoice(int direction, std::optional<MotorNoisePlayer::Kind> noiseKind,
                       int noiseFlag)
    : motion_(direction) {
    if (noiseKind) noise_.emplace(*noiseKind, noiseFlag);
    applyAmRadius(0.18);
    buildAttenuationTable();
    c005_ = std::exp(-1.0 / (rate_ * static_cast<double>(0.005f)));
}

void RotorVoice::setLever(double x) {
    if (motion_.setLever(x)) request(PendingClick);
}

void RotorVoice::setStop(double brake) {
    if (motion_.setStop(brake)) request(PendingClick);
}

void RotorVoice::setFmRadius(double r) {
    if (std::isfinite(r)) fmRadius_.store(r);
}

void RotorVoice::applyAmRadius(double r) {
    r = std::clamp(r, kMinAmRadius, kMaxAmRadius);
    amRadius_.store(r);
    invAmRadius_.store(1.0 / r);
    double a = kEdgeShort, b = kEdgeLong;
    if (orientation_.load() <= 0.0) {
        a = kEdgeLong;
        b = kEdgeShort;
    }
    edgeA_.store(a);
    edgeB_.store(b);
    halfWidthA_.store(std::atan(a / kMouthDepth) / kTwoPi);
    halfWidthB_.store(std::atan(b / kMouthDepth) / kTwoPi);
}

void RotorVoice::setAmRadius(double r) {
    if (std::isfinite(r)) applyAmRadius(r);
}

void RotorVoice::setDistance(double d) {
    if (!std::isfinite(d)) return;
    distance_.store(std::clamp(d, kMinDistance, kMaxDistance));
    if (noise_) request(PendingNoiseDistance);
}

void RotorVoice::setMicAngle(double turns) {
    if (std::isfinite(turns)) micAngle_.store(turns);
}

void RotorVoice::setReflectionCoeff(double r) {
    if (std::isfinite(r)) reflection_.store(r);
}

void RotorVoice::setAttenuation(double amount) {
    if (std::isfinite(amount)) attenuation_.store(amount);
}

void RotorVoice::setLpfLow(double hz) {
    // Stored for completeness of the parameter set; no step of the voice reads it.
    if (std::isfinite(hz)) lpfLow_.store(hz);
}

void RotorVoice::setLpfHigh(double hz) {
    if (std::isfinite(hz)) lpfHigh_.store(hz);
}

void RotorVoice::setAttDecayExp(double e) {
    if (std::isfinite(e)) decayExp_.store(e);
}

void RotorVoice::setAttenuationDistance(double d) {
    if (std::isnan(d)) return;
    if (!(d >= kMinAttenuationDistance)) d = kMinAttenuationDistance;
    if (d > 1e6) d = 1e6;
    attDistance_.store(d);
}

void RotorVoice::setStaticFilterCutoff(double hz) {
    if (!std::isfinite(hz)) return;
    staticCutoff_.store(hz);
    staticRatio_.store(hz / motion_.sampleRate());
}

void RotorVoice::setMechLevel(double g) {
    if (std::isfinite(g)) mechLevel_.store(g);
}

void RotorVoice::setStaticRayWeight(double w) {
    if (std::isfinite(w)) staticWeight_.store(w);
}

double RotorVoice::attenuationTableEntry(int i) const {
    return attTable_[static_cast<std::size_t>(std::clamp(i, 0, kAttenuationSize - 1))];
}

bool RotorVoice::applyFlip(double o) {
    if (std::isnan(o) || o == orientation_.load()) return false;
    orientation_.store(o);
    motion_.setPhaseOffset(o >= 0.0 ? 0.0 : 0.5);
    applyAmRadius(amRadius_.load());
    return true;
}

void RotorVoice::setSlowVolume(double v) {
    if (!std::isfinite(v)) return;
    slowVolume_.store(v);
    if (noise_) request(PendingVolumes);
}

void RotorVoice::setFastVolume(double v) {
    if (!std::isfinite(v)) return;
    fastVolume_.store(v);
    if (noise_) request(PendingVolumes);
}

void RotorVoice::setAccelVolume(double v) {
    if (!std::isfinite(v)) return;
    accelVolume_.store(v);
    if (noise_) request(PendingVolumes);
}

void RotorVoice::setDecelVolume(double v) {
    if (!std::isfinite(v)) return;
    decelVolume_.store(v);
    if (noise_) request(PendingVolumes);
}

void RotorVoice::serviceNoise(unsigned bits) {
    if (!noise_) return;
    if (bits & PendingVolumes) {
        noise_->setSlowVolume(slowVolume_.load());
        noise_->setFastVolume(fastVolume_.load());
        noise_->setAccelVolume(accelVolume_.load());
        noise_->setDecelVolume(decelVolume_.load()); // before a click takes its level
    }
    if (bits & PendingNoiseDistance) noise_->setDistance(distance_.load());
    if (bits & PendingClick) noise_->triggerClick();
}

void RotorVoice::setRateCommon(double rate, int factor) {
    if (!std::isfinite(rate)) rate = rate_;
    rate = std::max(rate, rotor::kMinSampleRate);
    rate_ = rate;
    samplesPerMetre_ = rate * rotor::kSecondsPerMetre;
    if (factor < 1) factor = 1;
    controlMask_ = std::max(16 / factor - 1, 0);
    motion_.setSampleRate(rate);
    staticRatio_.store(staticCutoff_.load() / rate);
    c005_ = std::exp(-1.0 / (rate * static_cast<double>(0.005f)));
    if (noise_) noise_->setSampleRate(rate);
}

void RotorVoice::clearRings() {
    input_.fill(0.0);
    phaseRing_.fill(0.0);
    writeIndex_ = 0;
    counter_ = 0;
    noiseSample_ = 0.0;
    if (noise_) {
        noise_->setSampleRate(rate_);
        noise_->setDistance(distance_.load());
    }
}

double RotorVoice::ringDelay(double metres) const {
    const double d = metres * samplesPerMetre_;
    if (!(d > 0.0)) return 0.0;
    return d < kMaxDelay ? d : kMaxDelay;
}

RotorVoice::MicPlacement RotorVoice::placeMicrophone() const {
    MicPlacement mic;
    const double angle = micAngle_.load();
    const double dist = distance_.load();
    mic.side = (angle >= -0.25 && angle <= 0.25) ? 1.0 : -1.0;
    mic.p = mic.side * kMouthDepth;
    mic.q = mic.p;
    mic.r = mic.side * edgeA_.load();
    mic.w = mic.side * edgeB_.load();
    mic.halfA = halfWidthA_.load();
    mic.halfB = halfWidthB_.load();
    mic.mx = dist * std::cos(kTwoPi * (angle - 0.25));
    mic.my = dist * std::sin(kTwoPi * (angle - 0.25));
    mic.directLength = std::max(std::sqrt(mic.mx * mic.mx + mic.my * mic.my), kMinPath);
    double phi = std::acos(clampUnit(-mic.my * mic.side / mic.directLength)) / kTwoPi;
    if (mic.mx > 0.0) phi = -phi;
    mic.directAngle = phi;
    // Which rays the microphone can see depends on which side of the mouth's edges it is.
    const bool rear = mic.side < 0.0;
    if (phi > mic.halfA) mic.visibility = rear ? 2 : 0;
    else if (phi >= -mic.halfB) mic.visibility = 1;
    else mic.visibility = rear ? 0 : 2;
    return mic;
}

RotorVoice::Ray RotorVoice::makeRay(double x, double y, double sx, double sy,
                                    const MicPlacement& mic) const {
    Ray ray;
    const double dx = flush(x - mic.mx);
    const double dy = flush(y - mic.my);
    const double length = std::max(flush(std::sqrt(dx * dx + dy * dy)), kMinPath);
    double angle = flush(std::acos(clampUnit(dy / length)) / kTwoPi);
    if ((mic.mx - x) * sx > 0.0) angle = -angle;
    const double width =
        flush(std::acos(clampUnit(amRadius_.load() / length)) / kTwoPi);
    ray.length = length;
    ray.angle = angle;
    ray.width = std::max(width, kMinBeamWidth);
    ray.sign = sy;
    ray.phaseDelay = std::min(ringDelay(length), static_cast<double>(kRingSize - 1));
    return ray;
}

void RotorVoice::buildAttenuationTable() {
    const double am = amRadius_.load();
    const double a = attenuation_.load();
    const double attDist = attDistance_.load();
    const double decay = decayExp_.load();
    const double x0 = 0.3 - am;
    attTable_[0] = std::pow(am * 3.3333333333333335, a);
    double prevX = x0;
    for (int i = 1; i < kAttenuationSize; ++i) {
        const double xi = x0 + 0.01 * i;
        const double e = xi >= x0 + attDist ? 0.0 : 1.0 - std::pow((xi - x0) / attDist, decay);
        attTable_[static_cast<std::size_t>(i)] =
            attTable_[static_cast<std::size_t>(i - 1)] * std::pow(prevX / xi, e * a);
        prevX = xi;
    }
}

double RotorVoice::directAttenuation(double directLength, const Ray& direct) const {
    const double am = amRadius_.load();
    return attenuationAt(
        ((am + directLength) - (0.6366 - 2.546 * direct.width) * direct.sign * am - 0.3) * 100.0);
}

} // namespace kestro
