#include "dsp/drum_rotor.h"

#include <algorithm>
#include <cmath>

namespace kestro {

using rotor::flush;
using simd::Mask;
using simd::Pack;

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

// pow(0.005, y) = 2^(y log2 0.005): the reduced taps' coefficient targets.
const double kLog2Of0005 = std::log2(0.005);

} // namespace

DrumRotor::DrumRotor(bool primary)
    : RayVoice(1,
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
    direction_.setWideLanes(wideLanes_);
    for (int lane = 0; lane < 8; ++lane) direction_.setAll(lane, kDirectionFrequency[0], kDirectionQ[0], 0.0);
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

void DrumRotor::setStaticLpGain(double gain) {
    if (std::isfinite(gain)) staticLpGain_.store(gain);
}

const BiquadFilter& DrumRotor::inputFilter(int i) const {
    return inputFilters_[static_cast<std::size_t>(std::clamp(i, 0, kInputFilters - 1))];
}

void DrumRotor::setWideLanes(bool wide) {
    wideLanes_ = wide && simd::wideLanesSupported();
    direction_.setWideLanes(wideLanes_);
}

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
    // Which image of the back the microphone sees, if any.
    const int back = visibility_ == 0 ? 1 : (visibility_ == 2 ? 2 : -1);
    if (primary_) {
        for (int lane = 0; lane < kRays; ++lane) {
            const int k = kLaneRay[lane];
            lanes_.set(lane, rays_[static_cast<std::size_t>(k)], (k != 1 && k != 2) || k == back);
        }
        lanes_.set(6, rays_[0], false);
        lanes_.set(7, rays_[0], false);
    } else {
        lanes_.set(0, rays_[0], true);
        lanes_.set(1, rays_[3], true);
        lanes_.set(2, rays_[static_cast<std::size_t>(back >= 0 ? back : 1)], back >= 0);
        lanes_.set(3, rays_[0], false);
    }
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
    reducedY_.fill(0.0);
    reducedC_.fill(0.0);
    reducedTarget_.fill(0.0);
    secondarySmooth_.fill(0.0);
    reducedStaticY_ = 0.0;
    for (BiquadFilter& f : inputFilters_) f.setInstant(true);
    direction_.setInstant(true);
}

void DrumRotor::prepareFilters() {
    for (BiquadFilter& f : inputFilters_) {
        f.setSampleRate(rate_);
        f.setInstant(false);
    }
    direction_.setSampleRate(rate_);
    direction_.setInstant(false);
}

// ---- per sample ----------------------------------------------------------------------

double DrumRotor::frontEnd(double x) {
    const double emitted = motion_.step();
    for (BiquadFilter& f : inputFilters_) x = f.processSaturating(x);
    writeInput(x, emitted);
    return x;
}

// The primary routine runs in steps over a frame that carries one sample from each step to the
// next, with the rays in packs of W lanes (kLaneRay). Each step runs for every pack before the
// next step starts, so that the packs' dependency chains overlap.
template <int W>
[[gnu::always_inline]] inline void DrumRotor::primaryStart(double x, PrimaryFrame<W>& f) {
    servicePending(takePending());
    frontEnd(x);
    f.control = controlRateSample();
    f.fm = fmRadius_.load();
    f.am = amRadius_.load();
    f.r = reflection_.load();
    f.split = splitC_.load();
    for (std::size_t k = 0; k < 4; ++k) f.w[k] = weights_[k].load();
    f.k0 = reflectionK_[0].load();
    f.k1 = reflectionK_[1].load();
}

// The drum's beam law: where the baffle pointed when the sound now arriving left it; on
// control-rate samples the direction filters follow the beam angles. Then the filters' glide
// steps and history parts, which need no input yet.
template <int W>
[[gnu::always_inline]] inline void DrumRotor::primaryBeams(PrimaryFrame<W>& f) {
    using P = Pack<W>;
    P turned[PrimaryFrame<W>::kPacks];
    for (int p = 0; p < PrimaryFrame<W>::kPacks; ++p) {
        const int first = p * W;
        f.active[p] = lanes_.activeAt<W>(first);
        const simd::BeamInput<W> in = beamInput<W>(lanes_, first);
        const simd::Beam<W> beam = simd::drumBeam(in, kBeamFloor);
        f.m[p] = beam.m;
        turned[p] = beam.theta * in.s;
    }
    if (f.control) {
        for (int p = 0; p < PrimaryFrame<W>::kPacks; ++p) {
            const simd::RowLanes<W> rows = simd::rowLanes(simd::wrapUnit(turned[p] / rotor::kTwoPi + 0.25) * 18.0, 18);
            direction_.limitedSettings(p * W, f.active[p], simd::interpolateLanes(kDirectionFrequency, rows),
                                       simd::interpolateLanes(kDirectionQ, rows));
        }
        for (int g = 0; g < 8; g += 4) direction_.redesign(g, lanes_.activeBits(g));
    }
    for (int p = 0; p < PrimaryFrame<W>::kPacks; ++p) f.step[p] = direction_.glideStep<W>(p * W, f.active[p]);
}

// Every ray: its delay and level, the splitter (only the part above it rotates), the direction
// filter, weight and smoother.
template <int W>
[[gnu::always_inline]] inline void DrumRotor::primaryRays(PrimaryFrame<W>& f) {
    using P = Pack<W>;
    const double r = f.r, r2 = r * r;
    const double w0 = f.w[0], w1 = f.w[1], w2 = f.w[2], w3 = f.w[3];
    // By lane (rays 0, 3, 4, 5, 1, 2): gain, weight and reflection smoothing (0: none, the
    // direct ray).
    const auto lane = [](int first, double l0, double l3, double l4, double l5, double l1, double l2) KESTRO_LANE_LAMBDA {
        const double v[8] = {l0, l3, l4, l5, l1, l2, 0.0, 0.0};
        return simd::gather<W>([&](int j) { return v[first + j]; });
    };
    for (int p = 0; p < PrimaryFrame<W>::kPacks; ++p) {
        const int first = p * W;
        const auto i = static_cast<std::size_t>(first);
        const Mask<W> active = f.active[p];
        const P length = lanes_.at<W>(lanes_.length, first);
        const P delay = simd::primaryDelay(length, f.m[p], f.fm, samplesPerMetre_);
        const P level = attenuationLanes(simd::attenuationPosition(length, f.m[p], f.am)) * attScale_;
        const P d = readInputLanes(delay);
        // low[n] = (low[n-1] - d) * c + d; the filter takes d - low
        const P splitPrevious = P::load(&split_[i]);
        const P low = simd::flushLanes((splitPrevious - d) * f.split + d);
        simd::select(active, low, splitPrevious).store(&split_[i]);
        const P y = direction_.run<W>(first, active, f.step[p], d - low);
        const P v = y * level * lane(first, 1.0, r, r2, r2, r, r) * lane(first, w0, w1, w2, w3, w1, w1);
        // s[n] = (s[n-1] - v) * k + v on the reflected rays (k != 0); the direct ray passes v.
        const P coeff = lane(first, 0.0, f.k0, f.k1, f.k1, f.k0, f.k0);
        const P previous = P::load(&smooth_[i]);
        const P smoothed = simd::flushLanes((previous - v) * coeff + v);
        const Mask<W> reflected = coeff != 0.0;
        simd::select(active & reflected, smoothed, previous).store(&smooth_[i]);
        simd::select(reflected, smoothed, v).store(&f.out[first]);
    }
}

// The rays' sum, in the order of the rays (direct, back if seen, then rays 3, 4 and 5), and the
// static ray along the direct path, whose low part leaves as the low output so that the bass
// does not pulsate with the rotation; the motor noise.
template <int W>
[[gnu::always_inline]] inline double DrumRotor::primaryFinish(PrimaryFrame<W>& f) {
    const double* out = f.out;
    double sum = out[0];
    double weightSum = f.w[0];
    if (visibility_ == 0 || visibility_ == 2) {
        sum += out[visibility_ == 0 ? 4 : 5];
        weightSum += f.w[1];
    }
    sum += out[1];
    weightSum += f.w[1];
    sum += out[2];
    weightSum += f.w[2];
    sum += out[3];
    weightSum += f.w[3];

    const double level = attenuationAt((rays_[0].length - 0.3 + f.am) * 100.0) * attScale_;
    const double d = readInput(staticDelay_);
    if (f.control) staticCoefficient();
    // y[n] = (y[n-1] - d) * c + d
    staticY_ = flush((staticY_ - d) * staticCoeff_ + d);
    const double s = staticY_ * level;
    if (noise_) {
        noise_->setInputs(level * mechLevel_.load(), micAngle_.load(), motion_.speed());
        noiseSample_ = noise_->process();
    }
    // low[n] = (low[n-1] - s) * c + s
    staticSplit_ = flush((staticSplit_ - s) * f.split + s);
    lowOutput_ = staticSplit_ * staticLpGain_.load() * weightSum;

    advanceRings();
    return (s - staticSplit_) * staticWeight_.load() + sum;
}

template <int W>
[[gnu::always_inline]] inline double DrumRotor::primaryKernel(double x) {
    PrimaryFrame<W> f;
    primaryStart<W>(x, f);
    primaryBeams<W>(f);
    primaryRays<W>(f);
    return primaryFinish<W>(f);
}

// The secondary routine: reduced taps for ray 0, ray 3 and the back ray (lanes 0 to 2).
template <int W>
[[gnu::always_inline]] inline double DrumRotor::secondaryKernel(double x) {
    using P = Pack<W>;
    constexpr int kPacks = 4 / W;
    const auto at = [this](const RayLanes<8>::Lanes& a, int first) KESTRO_LANE_LAMBDA { return lanes_.at<W>(a, first); };

    servicePending(takePending());
    frontEnd(x);
    const bool control = controlRateSample();

    const double fm = fmRadius_.load();
    const double am = amRadius_.load();
    const double dist = distance_.load();
    const double r = reflection_.load();
    const double w0 = weights_[0].load(), w1 = weights_[1].load();
    const double k0 = reflectionK_[0].load();

    alignas(32) double out[4];
    for (int p = 0; p < kPacks; ++p) {
        const int first = p * W;
        const auto i = static_cast<std::size_t>(first);
        const Mask<W> active = lanes_.activeAt<W>(first);
        // The direction-dependent low-pass: its coefficient glides towards the target over 5 ms.
        const P target = P::load(&reducedTarget_[i]);
        const P cPrevious = P::load(&reducedC_[i]);
        const P c = simd::flushLanes((target - cPrevious) * c005_ + cPrevious);
        const simd::Beam<W> beam = simd::hornBeam(beamInput<W>(lanes_, first));
        const P length = at(lanes_.length, first);
        const P delay = simd::secondaryDelay(length, beam.m, fm, dist, samplesPerMetre_);
        const P level = attenuationLanes(simd::attenuationPosition(length, beam.m, am)) * attScale_;
        const P d = readInputLanes(delay);
        if (control) {
            const P angle = simd::wrapUnit(beam.turned(at(lanes_.sign, first)) / rotor::kTwoPi + 0.25);
            const P corner = simd::interpolateLanes(kSecondaryFrequency, simd::rowLanes(angle * 18.0, 18));
            // pow(0.005, corner / rate)
            const P next = simd::flushLanes(fastmath::exp2(corner / rate_ * kLog2Of0005));
            simd::select(active, next, target).store(&reducedTarget_[i]);
        }
        const P yPrevious = P::load(&reducedY_[i]);
        const P y = simd::flushLanes((yPrevious - d) * c + d);
        simd::select(active, c, cPrevious).store(&reducedC_[i]);
        simd::select(active, y, yPrevious).store(&reducedY_[i]);
        // Ray 0 at gain 1, ray 3 and the back ray at r.
        const P gain = simd::gather<W>([&](int j) { return first + j == 0 ? 1.0 : r; });
        (y * level * gain).store(&out[first]);
    }

    const int back = visibility_ == 0 ? 1 : (visibility_ == 2 ? 2 : -1);
    double sum = reducedTapSum(out, w0, w1, k0, back >= 0 ? &secondarySmooth_[static_cast<std::size_t>(back)] : nullptr,
                               secondarySmooth_[3]);
    {
        const double L0 = rays_[0].length;
        const double level = attenuationAt((L0 - 0.3 + am) * 100.0) * attScale_;
        const double d = readInput((L0 - dist) * samplesPerMetre_);
        if (control) staticCoefficient();
        reducedStaticY_ = flush((reducedStaticY_ - d) * staticCoeff_ + d);
        sum += reducedStaticY_ * level * staticWeight_.load();
    }
    advanceRings();
    return sum;
}

double DrumRotor::primaryNarrow(double x) { return primaryKernel<2>(x); }
KESTRO_WIDE_LANES double DrumRotor::primaryWide(double x) { return primaryKernel<4>(x); }
double DrumRotor::secondaryNarrow(double x) { return secondaryKernel<2>(x); }
KESTRO_WIDE_LANES double DrumRotor::secondaryWide(double x) { return secondaryKernel<4>(x); }

double DrumRotor::processPrimary(double x) { return wideLanes_ ? primaryWide(x) : primaryNarrow(x); }

double DrumRotor::processSecondary(double x) { return wideLanes_ ? secondaryWide(x) : secondaryNarrow(x); }

} // namespace kestro
