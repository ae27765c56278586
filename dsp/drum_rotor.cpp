#include "dsp/drum_rotor.h"

#include <algorithm>
#include <cmath>

namespace kestro {

using rotor::flush;

namespace {

constexpr double kBias = 0.03125;
// The baffle cannot shadow the speaker completely: the back of its beam is held here.
constexpr double kBeamFloor = -0.7;

// Direction low-pass of the full taps, every 20 degrees.
constexpr double kDirectionFrequency[19] = {1600, 1300, 1200, 1050, 1000, 950, 900, 900, 900, 900,
                                            900,  900,  900,  950,  1000, 1050, 1200, 1300, 1600};
constexpr double kDirectionQ[19] = {1.2,  0.85, 0.7,  0.65, 0.55, 0.42, 0.37, 0.34, 0.32, 0.31,
                                    0.32, 0.34, 0.37, 0.42, 0.55, 0.65, 0.7,  0.85, 1.2};
// Corner frequency of the reduced taps' low-pass, every 20 degrees.
constexpr double kSecondaryFrequency[19] = {2000, 1760, 1600, 1600, 1600, 1700, 1700,
                                            1700, 1850, 1800, 1850, 1700, 1700, 1600,
                                            1600, 1600, 1760, 2000, 2000};

struct RowPosition {
    int row;
    double frac;
};
inline RowPosition rowAt(double position) {
    if (!(position >= 0.0)) position = 0.0; // NaN or below: the first row
    if (position > 18.0) position = 18.0;
    const int i = static_cast<int>(position);
    return {i % 18, position - i};
}
inline double interpolate(const double* table, RowPosition p) {
    const double a = table[p.row];
    return a + (table[p.row + 1] - a) * p.frac;
}

} // namespace

DrumRotor::DrumRotor(bool primary)
    : RotorVoice(1,
                 primary ? std::optional<MotorNoisePlayer::Kind>(MotorNoisePlayer::Kind::Drum)
                         : std::nullopt,
                 0),
      primary_(primary) {
    struct InputSetting {
        int type;
        double frequency, q, gainDb;
    };
    const InputSetting inputs[kInputFilters] = {
        {BiquadFilter::LowPass, 1170.0, 0.93, 0.0},
        {BiquadFilter::Peaking, 252.0, 0.71, 7.0},
        {BiquadFilter::HighPass, 90.0, 1.0, 0.0},
        {BiquadFilter::LowShelf, 200.0, 0.35, 3.0},
    };
    for (int i = 0; i < kInputFilters; ++i) {
        BiquadFilter& f = inputFilters_[static_cast<std::size_t>(i)];
        const InputSetting& s = inputs[i];
        f.init(44100.0, s.type, s.frequency, s.q, s.gainDb);
        f.setBias(kBias);
        f.setSaturation(0.0);
        f.setEnabled(true);
    }
    for (BiquadFilter& f : direction_) {
        f.init(44100.0, BiquadFilter::LowPass, kDirectionFrequency[0], kDirectionQ[0], 0.0);
        f.setEnabled(true);
    }
    for (auto& w : weights_) w.store(1.0);
    staticCutoff_.store(0.25 * 44100.0);
    staticRatio_.store(0.25);
    setSplitterFrequency(200.0);
    setFlip(0.0);
    setReflectionLpf(0.3333);
    setSampleRate(44100.0, 1);
    servicePending(takePending());
    rebuildGeometry();
}

// ---- setters -------------------------------------------------------------------------

void DrumRotor::setFlip(double orientation) {
    if (applyFlip(orientation)) request(PendingFlipReset);
}

void DrumRotor::applyReflectionLpf(double octaves, double rate) {
    reflectionK_[0].store(flush(std::exp(-rotor::kTwoPi * 20000.0 / rate)));
    reflectionK_[1].store(flush(std::exp(-rotor::kTwoPi * 20000.0 * std::pow(2.0, -octaves) / rate)));
}

void DrumRotor::setReflectionLpf(double octaves) {
    if (!std::isfinite(octaves)) return;
    reflectionOctaves_.store(octaves);
    applyReflectionLpf(octaves, motion_.sampleRate());
}

void DrumRotor::applySplitter(double hz, double rate) {
    splitC_.store(flush(std::exp(-rotor::kTwoPi * hz / rate)));
}

void DrumRotor::setSplitterFrequency(double hz) {
    if (!std::isfinite(hz)) return;
    splitterHz_.store(hz);
    applySplitter(hz, motion_.sampleRate());
}

void DrumRotor::setFilterSaturation(double amount) {
    if (!std::isfinite(amount)) return;
    saturation_.store(amount);
    request(PendingSaturation);
}

void DrumRotor::setStaticLpGain(double gain) {
    if (std::isfinite(gain)) staticLpGain_.store(gain);
}

void DrumRotor::setRayWeight(int slot, double weight) {
    if (slot < 0 || slot >= kRayWeights || !std::isfinite(weight)) return;
    weights_[static_cast<std::size_t>(slot)].store(weight);
}

double DrumRotor::rayWeight(int slot) const {
    return slot >= 0 && slot < kRayWeights ? weights_[static_cast<std::size_t>(slot)].load() : 0.0;
}

double DrumRotor::reflectionLpfCoeff(int k) const {
    return reflectionK_[static_cast<std::size_t>(std::clamp(k, 0, 1))].load();
}

const RotorVoice::Ray& DrumRotor::ray(int k) const {
    return rays_[static_cast<std::size_t>(std::clamp(k, 0, kRays - 1))];
}

const BiquadFilter& DrumRotor::inputFilter(int i) const {
    return inputFilters_[static_cast<std::size_t>(std::clamp(i, 0, kInputFilters - 1))];
}

const BiquadFilter& DrumRotor::directionFilter(int ray) const {
    return direction_[static_cast<std::size_t>(std::clamp(ray, 0, kRays - 1))];
}

void DrumRotor::setWideLanes(bool wide) { wideLanes_ = wide && simd::wideLanesSupported(); }

// ---- audio-thread tasks ----------------------------------------------------------------

void DrumRotor::servicePending(unsigned bits) {
    if (bits == 0) return;
    if (bits & PendingFlipReset) {
        reset();
        prepareFilters();
    }
    if (bits & PendingSaturation) {
        const double s = saturation_.load();
        for (BiquadFilter& f : inputFilters_) f.setSaturation(s);
    }
    serviceNoise(bits);
}

void DrumRotor::setSampleRate(double rate, int factor) {
    setRateCommon(rate, factor);
    applyReflectionLpf(reflectionOctaves_.load(), rate_);
    // The crossover is a frequency, so it follows the rate like every other coefficient.
    applySplitter(splitterHz_.load(), rate_);
    refreshDerived();
}

void DrumRotor::refreshDerived() {
    for (Ray& r : rays_)
        r.phaseDelay = std::min(ringDelay(r.length), static_cast<double>(kRingSize - 1));
    staticDelay_ = rays_[0].length * samplesPerMetre_;
}

void DrumRotor::rebuildGeometry() {
    servicePending(takePending());
    const MicPlacement mic = placeMicrophone();
    visibility_ = mic.visibility;
    const double P = mic.p, R = mic.r, W = mic.w;
    struct Image {
        double x, y, sx, sy;
    };
    const Image img[kRays] = {
        {0.0, 0.0, 1, 1},       {2 * W, 0.0, -1, 1},    {-2 * R, 0.0, -1, 1},
        {0.0, 2 * P, 1, -1},    {2 * W, 2 * P, -1, -1}, {-2 * R, 2 * P, -1, -1},
    };
    for (int k = 0; k < kRays; ++k) {
        const Image& m = img[k];
        rays_[static_cast<std::size_t>(k)] = makeRay(m.x, m.y, m.sx, m.sy, mic);
    }
    buildAttenuationTable();
    double scale = std::pow(1.0 / directAttenuation(mic.directLength, rays_[0]), 0.7);
    if (!std::isfinite(scale)) scale = 1.0; // only a degenerate table gets here
    attScale_ = scale;
    refreshDerived();
}

void DrumRotor::reset() {
    clearRings();
    split_.fill(0.0);
    smooth_.fill(0.0);
    staticY_ = 0.0;
    staticSplit_ = 0.0;
    lowOutput_ = 0.0;
    reduced_ = {};
    reducedStatic_ = {};
    for (BiquadFilter& f : inputFilters_) f.setInstant(true);
    for (BiquadFilter& f : direction_) f.setInstant(true);
}

void DrumRotor::prepareFilters() {
    for (BiquadFilter& f : inputFilters_) {
        f.setSampleRate(rate_);
        f.setInstant(false);
    }
    for (BiquadFilter& f : direction_) {
        f.setSampleRate(rate_);
        f.setInstant(false);
        f.setEnabled(true);
    }
}

// ---- per sample ----------------------------------------------------------------------

double DrumRotor::frontEnd(double x) {
    const double emitted = motion_.step();
    for (BiquadFilter& f : inputFilters_) x = f.processSaturating(x);
    writeInput(x, emitted);
    return x;
}

[[gnu::always_inline]] inline double DrumRotor::tap(int k, double gain, bool control, double fm,
                                                    double am, double split) {
    const auto i = static_cast<std::size_t>(k);
    const Ray& r = rays_[i];
    const double u = rayDirection(r);
    const double w = r.width;
    double theta;
    if (u <= w) theta = (u - w) / (2.0 * w) * rotor::kPi;
    else if (u >= 1.0 - w) theta = (u - 2.0 * w - (1.0 - w)) * rotor::kPi / (2.0 * w);
    else theta = (u - w) / (1.0 - 2.0 * w) * rotor::kPi;
    double m = std::sin(theta) * r.sign;
    if (m < kBeamFloor) m = kBeamFloor;

    const double delay = (r.length + m * fm) * samplesPerMetre_;
    const double level = attenuationAt((am * m + r.length - 0.3 + am) * 100.0) * attScale_;
    const double d = readInput(delay);
    // Only the part above the splitter rotates.
    split_[i] = flush((split_[i] - d) * split + d);
    const double h = d - split_[i];
    if (control) {
        const RowPosition p = rowAt(wrapUnit(theta * r.sign / rotor::kTwoPi + 0.25) * 18.0);
        direction_[i].setFrequencyAndQ(interpolate(kDirectionFrequency, p),
                                       interpolate(kDirectionQ, p));
    }
    return direction_[i].processGliding(h) * level * gain;
}

double DrumRotor::processPrimary(double x) {
    servicePending(takePending());
    frontEnd(x);
    const bool control = controlRateSample();

    const double fm = fmRadius_.load();
    const double am = amRadius_.load();
    const double r = reflection_.load();
    const double split = splitC_.load();
    const double w0 = weights_[0].load(), w1 = weights_[1].load(), w2 = weights_[2].load(),
                 w3 = weights_[3].load();
    const double k0 = reflectionK_[0].load(), k1 = reflectionK_[1].load();
    const double r2 = r * r;

    auto smoothed = [this](int k, double v, double coeff) {
        double& y = smooth_[static_cast<std::size_t>(k)];
        y = flush((y - v) * coeff + v);
        return y;
    };

    double sum = tap(0, 1.0, control, fm, am, split) * w0;
    double weightSum = w0;
    const int back = visibility_ == 0 ? 1 : (visibility_ == 2 ? 2 : -1);
    if (back >= 0) {
        sum += smoothed(back, tap(back, r, control, fm, am, split) * w1, k0);
        weightSum += w1;
    }
    sum += smoothed(3, tap(3, r, control, fm, am, split) * w1, k0);
    weightSum += w1;
    sum += smoothed(4, tap(4, r2, control, fm, am, split) * w2, k1);
    weightSum += w2;
    sum += smoothed(5, tap(5, r2, control, fm, am, split) * w3, k1);
    weightSum += w3;

    // Static ray along the direct path; its low part leaves as the low output, so the bass
    // does not pulsate with the rotation.
    const double level = attenuationAt((rays_[0].length - 0.3 + am) * 100.0) * attScale_;
    const double d = readInput(staticDelay_);
    if (control) staticCoefficient();
    staticY_ = flush((staticY_ - d) * staticCoeff_ + d);
    const double s = staticY_ * level;
    if (noise_) {
        noise_->setInputs(level * mechLevel_.load(), micAngle_.load(), motion_.speed());
        noiseSample_ = noise_->process();
    }
    staticSplit_ = flush((staticSplit_ - s) * split + s);
    lowOutput_ = staticSplit_ * staticLpGain_.load() * weightSum;

    advanceRings();
    return (s - staticSplit_) * staticWeight_.load() + sum;
}

double DrumRotor::reducedTap(ReducedState& st, const Ray& r, double gain, bool control, double fm,
                             double am, double dist) {
    st.c = flush((st.target - st.c) * c005_ + st.c);
    const Beam beam = hornBeam(rayDirection(r), r.width, r.sign);
    const double delay = (beam.m * fm + r.length - dist + 2.0 * fm) * samplesPerMetre_;
    const double level = attenuationAt((beam.m * am + r.length - 0.3 + am) * 100.0) * attScale_;
    const double d = readInput(delay);
    if (control) {
        const RowPosition p = rowAt(wrapUnit(beam.theta / rotor::kTwoPi + 0.25) * 18.0);
        st.target = flush(std::pow(0.005, interpolate(kSecondaryFrequency, p) / rate_));
    }
    st.y = flush((st.y - d) * st.c + d);
    return st.y * level * gain;
}

double DrumRotor::processSecondary(double x) {
    servicePending(takePending());
    frontEnd(x);
    const bool control = controlRateSample();

    const double fm = fmRadius_.load();
    const double am = amRadius_.load();
    const double dist = distance_.load();
    const double r = reflection_.load();
    const double w0 = weights_[0].load(), w1 = weights_[1].load();
    const double k0 = reflectionK_[0].load();

    double sum = reducedTap(reduced_[0], rays_[0], 1.0, control, fm, am, dist) * w0;
    const int back = visibility_ == 0 ? 1 : (visibility_ == 2 ? 2 : -1);
    if (back >= 0) {
        const double v = reducedTap(reduced_[1], rays_[static_cast<std::size_t>(back)], r,
                                    control, fm, am, dist) *
                         w1;
        double& y = smooth_[static_cast<std::size_t>(back)];
        y = flush((y - v) * k0 + v);
        sum += y;
    }
    {
        const double v = reducedTap(reduced_[2], rays_[3], r, control, fm, am, dist) * w1;
        double& y = smooth_[3];
        y = flush((y - v) * k0 + v);
        sum += y;
    }
    {
        const double L0 = rays_[0].length;
        const double level = attenuationAt((L0 - 0.3 + am) * 100.0) * attScale_;
        const double d = readInput((L0 - dist) * samplesPerMetre_);
        if (control) staticCoefficient();
        reducedStatic_.y = flush((reducedStatic_.y - d) * staticCoeff_ + d);
        sum += reducedStatic_.y * level * staticWeight_.load();
    }
    advanceRings();
    return sum;
}

} // namespace kestro
