#include "dsp/horn_rotor.h"

#include "dsp/simd/fast_math.h"
#include "dsp/simd/ray_laws.h"

#include <algorithm>
#include <cmath>

namespace kestro {

using rotor::flush;
using simd::Mask;
using simd::Pack;

namespace {

struct FilterSetting {
    double frequency, q, gainDb;
};

// Beam coloration by the angle at which the sound leaves the mouth, every 10 degrees.
// Rows 19..36 mirror rows 17..0, so the table is symmetric about the back of the horn.
constexpr FilterSetting kBeamHalf[19] = {
    {2200, 1.4, 7},    {2170, 1.32, 5},   {2050, 1.15, -3}, {2000, 1.2, -8},  {2000, 1.3, -12},
    {1930, 1.6, -15},  {1850, 2, -18},    {1780, 3.6, -22}, {1730, 5.9, -28}, {1670, 3.2, -24},
    {1620, 1.37, -18}, {1480, 1.22, -16}, {1360, 1, -14.5}, {1320, 0.9, -14}, {1300, 0.8, -14.2},
    {1500, 1, -15},    {1630, 1.28, -16}, {1680, 1.9, -17}, {1700, 2.35, -19},
};

constexpr auto kBeam36 = [] {
    std::array<FilterSetting, 37> t{};
    for (int k = 0; k <= 18; ++k) t[static_cast<std::size_t>(k)] = kBeamHalf[k];
    for (int k = 1; k <= 18; ++k) t[static_cast<std::size_t>(18 + k)] = kBeamHalf[18 - k];
    return t;
}();

// Treble of the beam, every 20 degrees (6 kHz, Q 0.7 on every row).
constexpr double kBeam18Gain[19] = {6,  2,   -7, -9, -12, -10, -9, -8, -6, -2,
                                    -6, -8, -9, -10, -12, -9, -7, 2,  6};
constexpr double kBeam18Frequency = 6000.0;
constexpr double kBeam18Q = 0.7;

// Body resonances of the horn and driver, heard on the direct sound.
constexpr FilterSetting kCascadeA[HornRotor::kCascade] = {
    {6690, 1.3, -5},  {1150, 12, -7},   {775, 20, -11},   {5950, 30, -25},  {3540, 40, -15},
    {390, 40, -15},   {1180, 40, -12},  {850, 40, -12},   {1740, 40, -8},   {2800, 30, -15},
    {2020, 40, -19},  {2690, 40, -13},  {3880, 40, -20},  {794, 40, -8},    {1590, 40, 8},
    {1020, 1.41, -6}, {4800, 40, -16},  {2940, 40, -24},  {3320, 40, -13},  {3430, 1.41, -7.6},
    {4110, 40, -15},  {4000, 40, -12},  {1030, 8, -6},    {2670, 5, 7},     {3150, 30, -14},
    {2580, 40, -17},  {5140, 10, -12},  {2330, 30, -10},
};

// The reflected sound's voicing; the last three are configured but left off.
constexpr FilterSetting kCascadeB[HornRotor::kSecondaryCascade] = {
    {780, 5, -12}, {384, 10, -12}, {3860, 10, -12}, {4500, 10, -20},
    {5770, 5, -15}, {780, 5, -12}, {384, 10, -12}, {3860, 10, -12},
};
constexpr int kCascadeBEnabled = 5;

constexpr double kBias = 0.03125;
constexpr double kReflectionScaleOpenBack = 0.5011872336272722; // -6 dB
constexpr double kMaxZDelay = HornRotor::kRayRingSize - 8;

// Reads a beam table of `steps` intervals at `position` (row index taken modulo steps).
struct RowPosition {
    int row;
    double frac;
};
inline RowPosition rowAt(double position, int steps) {
    if (!(position >= 0.0)) position = 0.0; // NaN or below: the first row
    if (position > steps) position = steps;
    const int i = static_cast<int>(position);
    return {i % steps, position - i};
}

} // namespace

HornRotor::HornRotor(int cascadeFlag, int noiseFlag)
    : RayVoice(-1,
                 cascadeFlag != 0 ? std::optional<MotorNoisePlayer::Kind>(MotorNoisePlayer::Kind::Horn)
                                  : std::nullopt,
                 noiseFlag),
      primary_(cascadeFlag != 0) {
    for (BiquadFilter& f : cascade_) f.init(44100.0, BiquadFilter::Peaking, 1000.0, 1.0, 0.0);
    const int configured = primary_ ? kCascade : kSecondaryCascade;
    for (int i = 0; i < configured; ++i) {
        BiquadFilter& f = cascade_[static_cast<std::size_t>(i)];
        const FilterSetting& s = primary_ ? kCascadeA[i] : kCascadeB[i];
        f.setSaturation(0.0);
        f.setBias(kBias);
        f.setQ(s.q);
        f.setGain(s.gainDb);
        f.setFrequency(s.frequency);
        f.setEnabled(primary_ || i < kCascadeBEnabled);
    }
    loadCascade();
    beam1_.setWideLanes(wideLanes_);
    beam2_.setWideLanes(wideLanes_);
    // Both beam filters colour the sound; they start facing the microphone.
    for (int k = 0; k < kBeamRays; ++k) {
        beam1_.setAll(k, kBeamHalf[0].frequency, kBeamHalf[0].q, kBeamHalf[0].gainDb);
        beam2_.setAll(k, kBeam18Frequency, kBeam18Q, kBeam18Gain[0]);
    }
    for (auto& w : weights_) w.store(1.0);
    setReflectionLpf(0.3333);
    setFlip(0.0);
    setSampleRate(44100.0, 1);
    servicePending(takePending());
    rebuildGeometry();
}

// ---- setters -------------------------------------------------------------------------

void HornRotor::setFlip(double orientation) {
    if (applyFlip(orientation)) request(PendingFlipReset);
}

void HornRotor::setOpenBackMode(int mode) { openBack_.store(mode); }

void HornRotor::applyReflectionLpf(double octaves, double rate) {
    for (int k = 0; k < 5; ++k)
        reflectionK_[static_cast<std::size_t>(k)].store(
            flush(std::exp(-rotor::kTwoPi * 20000.0 * std::pow(2.0, -k * octaves) / rate)));
}

void HornRotor::setReflectionLpf(double octaves) {
    if (!std::isfinite(octaves)) return;
    reflectionOctaves_.store(octaves);
    applyReflectionLpf(octaves, motion_.sampleRate());
}

void HornRotor::setAmplitudeClip(double level) {
    if (std::isfinite(level)) clip_.store(level);
}

const BiquadFilter& HornRotor::cascadeFilter(int i) const {
    return cascade_[static_cast<std::size_t>(std::clamp(i, 0, kCascade - 1))];
}

// ---- audio-thread tasks ----------------------------------------------------------------

void HornRotor::servicePending(unsigned bits) {
    if (bits == 0) return;
    if (bits & PendingFlipReset) {
        reset();
        prepareFilters();
    }
    if (bits & PendingSaturation) {
        const int n = primary_ ? kCascade : kSecondaryCascade;
        for (int i = 0; i < n; ++i) cascade_[static_cast<std::size_t>(i)].setSaturation(0.0);
    }
    serviceNoise(bits);
}

void HornRotor::setSampleRate(double rate, int factor) {
    setRateCommon(rate, factor);
    applyReflectionLpf(reflectionOctaves_.load(), rate_);
    // The two z-axis copies: the floor and ceiling reflections a little later than the
    // direct sound.
    const double zMetres[2] = {0.07, 0.135};
    for (int i = 0; i < 2; ++i) {
        const double z = std::min(rate_ / rotor::kSpeedOfSound * zMetres[i], kMaxZDelay);
        const double whole = std::floor(z);
        const double frac = z - whole;
        zDelay_[static_cast<std::size_t>(i)] = z;
        // Position index - z lies between index - whole - 1 and index - whole.
        zOffset_[static_cast<std::size_t>(i)] =
            static_cast<std::int32_t>(whole) + (frac > 0.0 ? 1 : 0);
        zFraction_[static_cast<std::size_t>(i)] = frac > 0.0 ? 1.0 - frac : 0.0;
    }
    refreshDerived();
}

void HornRotor::loadCascade() {
    if (primary_) primaryChain_.load(cascade_.data(), kCascade);
    else secondaryChain_.load(cascade_.data(), kSecondaryCascade);
}

void HornRotor::refreshDerived() {
    for (Ray& r : rays_)
        r.phaseDelay = std::min(ringDelay(r.length), static_cast<double>(kRingSize - 1));
    staticDelay_ = rays_[0].length * samplesPerMetre_;
    // Which image of the open back the microphone sees, if any.
    const int back = visibility_ == 0 ? 6 : (visibility_ == 2 ? 7 : -1);
    if (primary_) {
        for (int lane = 0; lane < kBeamRays; ++lane) {
            const int k = kLaneRay[lane];
            lanes_.set(lane, rays_[static_cast<std::size_t>(k)], (k != 6 && k != 7) || k == back);
        }
    } else {
        lanes_.set(0, rays_[0], true);
        lanes_.set(1, rays_[1], true);
        lanes_.set(2, rays_[static_cast<std::size_t>(back >= 0 ? back : 6)], back >= 0);
        lanes_.set(3, rays_[0], false);
    }
}

void HornRotor::setWideLanes(bool wide) {
    wideLanes_ = wide && simd::wideLanesSupported();
    beam1_.setWideLanes(wideLanes_);
    beam2_.setWideLanes(wideLanes_);
}

// Image sources of the mouth in the cabinet walls, per ray: position and sign pair. Rays 0 to 7
// are the same for every microphone; 8 to 11 depend on which side of the horn it sees.
std::array<HornRotor::ImageSource, HornRotor::kBeamRays> HornRotor::imageSources(const MicPlacement& mic) {
    const double P = mic.p, Q = mic.q, R = mic.r, W = mic.w;
    std::array<ImageSource, kBeamRays> img = {{
        {0.0, 0.0, 1, 1},
        {0.0, 2 * Q, 1, -1},
        {2 * W, 2 * Q, -1, -1},
        {-2 * R, 2 * Q, -1, -1},
        {2 * R + 2 * W, 2 * Q, 1, -1},
        {-2 * R - 2 * W, 2 * Q, 1, -1},
        {2 * W, 0.0, -1, 1},
        {-2 * R, 0.0, -1, 1},
        {}, {}, {}, {},
    }};
    const double y4 = 4 * Q + 2 * P;
    const double y6 = 6 * Q + 4 * P;
    switch (mic.visibility) {
    case 0:
        img[8] = {6 * W, 0.0, -1, -1};
        img[9] = {4 * W + 2 * R, y4, -1, -1};
        img[10] = {4 * R + 6 * W, 0.0, -1, -1};
        img[11] = {4 * R + 6 * W, y6, -1, -1};
        break;
    case 1:
        img[8] = {0.0, y4, 1, -1};
        img[9] = {4 * W + 2 * R, y4, -1, -1};
        img[10] = {-4 * R - 2 * W, y4, 1, -1};
        img[11] = {0.0, y6, 1, -1};
        break;
    default:
        img[8] = {-6 * R, 0.0, -1, 1};
        img[9] = {-4 * R - 2 * W, y4, -1, -1};
        img[10] = {-4 * R - 2 * W, 0.0, -1, 1};
        img[11] = {-6 * R - 4 * W, y6, -1, -1};
        break;
    }
    return img;
}

void HornRotor::rebuildGeometry() {
    servicePending(takePending());
    const MicPlacement mic = placeMicrophone();
    visibility_ = mic.visibility;

    reflectionScale_ = 1.0;
    if (mic.visibility == 1 && openBack_.load() != 0 && orientation_.load() * mic.side < 0.0)
        reflectionScale_ = kReflectionScaleOpenBack;

    const std::array<ImageSource, kBeamRays> img = imageSources(mic);
    if (primary_) {
        for (int k = 0; k < kBeamRays; ++k) {
            const ImageSource& m = img[static_cast<std::size_t>(k)];
            rays_[static_cast<std::size_t>(k)] = makeRay(m.x, m.y, m.sx, m.sy, mic);
        }
    } else {
        for (int k : {0, 1, 6, 7}) {
            const ImageSource& m = img[static_cast<std::size_t>(k)];
            rays_[static_cast<std::size_t>(k)] = makeRay(m.x, m.y, m.sx, m.sy, mic);
        }
    }
    rays_[kStaticRay] = rays_[0];

    buildAttenuationTable();
    const double t = directAttenuation(mic.directLength, rays_[0]);
    double scale = primary_ ? std::pow(1.0 / t, 0.7) : 1.0 / t;
    if (!std::isfinite(scale)) scale = 1.0; // only a degenerate table gets here
    attScale_ = scale;

    if (primary_) {
        const double d = distance_.load();
        outputGain_ = (1.3 - 0.5 * std::pow((d - 0.35) * 0.6060606060606061 + 0.1, 0.75)) *
                      0.97723722095;
    }
    refreshDerived();
}

void HornRotor::reset() {
    clearRings();
    smooth_.fill(0.0);
    staticY_ = 0.0;
    reducedY_.fill(0.0);
    reducedC_.fill(0.0);
    secondarySmooth_.fill(0.0);
    raySums_.fill(0.0);
    rayIndex_ = 0;
    for (BiquadFilter& f : cascade_) f.setInstant(true);
    beam1_.setInstant(true);
    beam2_.setInstant(true);
}

void HornRotor::prepareFilters() {
    const int saturated = primary_ ? kCascade : kSecondaryCascade;
    for (int i = 0; i < kCascade; ++i) {
        BiquadFilter& f = cascade_[static_cast<std::size_t>(i)];
        if (i < saturated) f.setSaturation(0.0);
        f.setSampleRate(rate_);
        f.setInstant(false);
    }
    loadCascade();
    beam1_.setSampleRate(rate_);
    beam2_.setSampleRate(rate_);
    for (int k = 0; k < kBeamRays; ++k) {
        beam1_.setAll(k, kBeamHalf[0].frequency, kBeamHalf[0].q, kBeamHalf[0].gainDb);
        beam2_.setAll(k, kBeam18Frequency, kBeam18Q, kBeam18Gain[0]);
    }
    beam1_.setInstant(false);
    beam2_.setInstant(false);
}

// ---- per sample ----------------------------------------------------------------------

// New beam filter settings on a control-rate sample, from each lane's beam angle.
template <int W>
[[gnu::always_inline]] inline void HornRotor::setBeams(const Pack<W>* beamAngle) {
    constexpr int kPacks = kBeamRays / W;
    for (int p = 0; p < kPacks; ++p) {
        const int first = p * W;
        const simd::Mask<W> active = lanes_.activeAt<W>(first);
        const Pack<W> back = 1.0 - beamAngle[p];
        const simd::RowLanes<W> a = simd::rowLanes(back * 36.0, 36);
        const auto row = [&](int next, double FilterSetting::*field) KESTRO_LANE_LAMBDA {
            return simd::gather<W>([&](int j) { return kBeam36[static_cast<std::size_t>(a.row[j] + next)].*field; });
        };
        const Pack<W> f0 = row(0, &FilterSetting::frequency), f1 = row(1, &FilterSetting::frequency);
        const Pack<W> q0 = row(0, &FilterSetting::q), q1 = row(1, &FilterSetting::q);
        const Pack<W> g0 = row(0, &FilterSetting::gainDb), g1 = row(1, &FilterSetting::gainDb);
        beam1_.settings(first, active, f0 + (f1 - f0) * a.frac, q0 + (q1 - q0) * a.frac, g0 + (g1 - g0) * a.frac);
        const simd::RowLanes<W> b = simd::rowLanes(back * 18.0, 18);
        const Pack<W> h0 = simd::gather<W>([&](int j) { return kBeam18Gain[b.row[j]]; });
        const Pack<W> h1 = simd::gather<W>([&](int j) { return kBeam18Gain[b.row[j] + 1]; });
        beam2_.settings(first, active, Pack<W>::broadcast(kBeam18Frequency), Pack<W>::broadcast(kBeam18Q),
                        h0 + (h1 - h0) * b.frac);
    }
    for (int g = 0; g < kBeamRays; g += 4) {
        beam1_.redesign(g, lanes_.activeBits(g));
        beam2_.redesign(g, lanes_.activeBits(g));
    }
}

// By lane (kLaneRay): ray 0 direct; rays 1..5 wall reflections (times the reflection scale);
// 8..11 the further images; 6 and 7 the open back. Each reflection loses treble through its
// own smoother; the direct ray has none (coefficient 0 marks it). key: r, the reflection
// scale, weights 0..6, smoothing coefficients 0..4, and 1 once set.
void HornRotor::refreshLaneGains(const double* key) {
    const double r = key[0], rs = key[1];
    const double* w = key + 2;
    const double* k = key + 9;
    const double r2 = r * r;
    const double r3 = r2 * r;
    const double r4 = r3 * r;
    const double r5 = r4 * r;
    const double gain[kBeamRays] = {1.0, r * rs, r2 * rs, r2 * rs, r3 * rs, r3 * rs, r4, r4, r5, r5, r, r};
    const double weight[kBeamRays] = {w[0], w[1], w[2], w[3], w[4], w[5], w[6], w[6], w[6], w[6], w[1], w[1]};
    const double smoothing[kBeamRays] = {0.0, k[0], k[1], k[1], k[2], k[2], k[3], k[3], k[4], k[4], k[0], k[0]};
    for (std::size_t i = 0; i < kBeamRays; ++i) {
        laneGains_.gain[i] = gain[i];
        laneGains_.weight[i] = weight[i];
        laneGains_.smoothing[i] = smoothing[i];
    }
    for (int i = 0; i < 15; ++i) laneGains_.key[i] = key[i];
}

// Refreshes the per-lane gains when one of their inputs has changed.
[[gnu::always_inline]] inline void HornRotor::refreshLaneGainsIfChanged() {
    const double key[15] = {reflection_.load(),     reflectionScale_,       weights_[0].load(),
                            weights_[1].load(),     weights_[2].load(),     weights_[3].load(),
                            weights_[4].load(),     weights_[5].load(),     weights_[6].load(),
                            reflectionK_[0].load(), reflectionK_[1].load(), reflectionK_[2].load(),
                            reflectionK_[3].load(), reflectionK_[4].load(), 1.0};
    bool same = true;
    for (int i = 0; i < 15; ++i) same = same && key[i] == laneGains_.key[i];
    if (!same) refreshLaneGains(key);
}

// The primary routine runs in steps over a frame that carries one sample from each step to the
// next, with the rays in packs of W lanes. Each step runs for every pack before the next step
// starts, so the packs' long dependency chains (phase read, beam law, delay read, two filters)
// overlap instead of following one another.
template <int W>
[[gnu::always_inline]] inline void HornRotor::primaryStart(double x, PrimaryFrame<W>& f) {
    servicePending(takePending());
    // The cascade's history part first: it then overlaps with the rays.
    primaryChain_.begin<W>();
    const double emitted = motion_.step();
    writeInput(x, emitted);
    f.control = controlRateSample();
    f.fm = fmRadius_.load();
    f.am = amRadius_.load();
    f.clip = clip_.load();
    const double r = reflection_.load();
    f.w7 = weights_[7].load();
    f.r2 = r * r;
    refreshLaneGainsIfChanged();
}

// The beam law of every ray: where the mouth pointed when the sound now arriving left it,
// relative to the ray (see simd::hornBeam); on control-rate samples the beam filters follow
// the beam angles. Then the filters' glide steps and history parts, which need no input yet.
template <int W>
[[gnu::always_inline]] inline void HornRotor::primaryBeams(PrimaryFrame<W>& f) {
    Pack<W> beamAngle[PrimaryFrame<W>::kPacks];
    for (int p = 0; p < PrimaryFrame<W>::kPacks; ++p) {
        const int first = p * W;
        f.active[p] = lanes_.activeAt<W>(first);
        const simd::Beam<W> beam = simd::hornBeam(beamInput<W>(lanes_, first));
        f.m[p] = beam.m;
        if (f.control)
            beamAngle[p] = simd::wrapUnit(beam.turned(lanes_.at<W>(lanes_.sign, first)) / rotor::kTwoPi + 0.25);
    }
    if (f.control) setBeams<W>(beamAngle);
    for (int p = 0; p < PrimaryFrame<W>::kPacks; ++p) {
        f.step1[p] = beam1_.glideStep<W>(p * W, f.active[p]);
        f.step2[p] = beam2_.glideStep<W>(p * W, f.active[p]);
    }
}

// Every ray: its delay (Doppler) and level, then the beam-filtered, weighted and smoothed sound.
template <int W>
[[gnu::always_inline]] inline void HornRotor::primaryRays(PrimaryFrame<W>& f) {
    using P = Pack<W>;
    const double* gain = laneGains_.gain.data();
    const double* weight = laneGains_.weight.data();
    const double* smoothing = laneGains_.smoothing.data();
    for (int p = 0; p < PrimaryFrame<W>::kPacks; ++p) {
        const int first = p * W;
        const auto i = static_cast<std::size_t>(first);
        const Mask<W> active = f.active[p];
        const P length = lanes_.at<W>(lanes_.length, first);
        const P delay = simd::primaryDelay(length, f.m[p], f.fm, samplesPerMetre_);
        // level = max(A(position) * scale, clip)
        P level = attenuationLanes(simd::attenuationPosition(length, f.m[p], f.am)) * attScale_;
        level = simd::select(level < f.clip, P::broadcast(f.clip), level);
        const P d = readInputLanes(delay);
        const P filtered = beam2_.run<W>(first, active, f.step2[p], beam1_.run<W>(first, active, f.step1[p], d));
        const P v = filtered * level * P::load(&gain[first]) * P::load(&weight[first]);
        // s[n] = (s[n-1] - v) * k + v on the reflected rays (k != 0); the direct ray passes v.
        const P coeff = P::load(&smoothing[first]);
        const P previous = P::load(&smooth_[i]);
        const P smoothed = simd::flushLanes((previous - v) * coeff + v);
        const Mask<W> reflected = coeff != 0.0;
        simd::select(active & reflected, smoothed, previous).store(&smooth_[i]);
        simd::select(active, simd::select(reflected, smoothed, v), P::broadcast(0.0)).store(&f.out[first]);
    }
}

// The static ray (the part of the sound that does not rotate, along the direct path), the sum
// of all rays with its z-axis copies, the voicing cascade and the motor noise.
template <int W>
[[gnu::always_inline]] inline double HornRotor::primaryFinish(PrimaryFrame<W>& f) {
    double level = attenuationAt((rays_[0].length - 0.3 + f.am) * 100.0) * attScale_;
    if (level < f.clip) level = f.clip;
    const double d = readInput(staticDelay_);
    if (f.control) staticCoefficient();
    // y[n] = (y[n-1] - d) * c + d
    staticY_ = flush((staticY_ - d) * staticCoeff_ + d);
    const double staticOut = staticY_ * staticWeight_.load() * level;
    const double noiseLevel = level * mechLevel_.load();

    // The ray sums go into their ring; the z-axis copies read it a little later. The order of
    // the sum is fixed, whatever the pack width.
    const double* out = f.out;
    const double sum = (((out[0] + out[1]) + (out[2] + out[3])) + ((out[4] + out[5]) + (out[6] + out[7]))) +
                       (((out[8] + out[9]) + (out[10] + out[11])) + staticOut);
    raySums_[static_cast<std::size_t>(rayIndex_)] = sum;
    double zSum[2];
    for (std::size_t z = 0; z < 2; ++z) {
        const auto i0 = static_cast<std::size_t>((rayIndex_ - zOffset_[z]) & kRayRingMask);
        const auto i1 = (i0 + 1) & static_cast<std::size_t>(kRayRingMask);
        zSum[z] = raySums_[i0] + (raySums_[i1] - raySums_[i0]) * zFraction_[z];
    }
    // y = sum + (z1 + z2) * w7 * r^2, through the cascade
    double y = primaryChain_.finish<W>(sum + (zSum[0] + zSum[1]) * f.w7 * f.r2);
    y *= outputGain_;

    // Independent of the cascade above, so placed here the motor noise runs while the
    // cascade's dependency chain is still in flight.
    if (noise_) {
        noise_->setInputs(noiseLevel, micAngle_.load(), motion_.speed());
        noiseSample_ = noise_->process();
    }
    rayIndex_ = (rayIndex_ + 1) & kRayRingMask;
    advanceRings();
    return y;
}

template <int W>
[[gnu::always_inline]] inline double HornRotor::primaryKernel(double x) {
    PrimaryFrame<W> f;
    primaryStart<W>(x, f);
    primaryBeams<W>(f);
    primaryRays<W>(f);
    return primaryFinish<W>(f);
}

// The secondary routine: reduced taps for ray 0, ray 1 and the back ray (lanes 0 to 2).
template <int W>
[[gnu::always_inline]] inline double HornRotor::secondaryKernel(double x) {
    using P = Pack<W>;
    constexpr int kPacks = 4 / W;
    const auto at = [this](const RayLanes<kBeamRays>::Lanes& a, int first) KESTRO_LANE_LAMBDA { return lanes_.at<W>(a, first); };

    servicePending(takePending());
    secondaryChain_.begin<W>();
    const double emitted = motion_.step();
    writeInput(x, emitted);
    const bool control = controlRateSample();

    const double fm = fmRadius_.load();
    const double am = amRadius_.load();
    const double dist = distance_.load();
    const double clip = clip_.load();
    const double r = reflection_.load();
    const double w0 = weights_[0].load(), w1 = weights_[1].load();
    const double k0 = reflectionK_[0].load();

    // The direction-dependent low-pass of the reduced taps glides towards a target formed as
    // pow(0.005, F) of the table's corner frequency F (550 to 1100) itself, not F / rate.
    // That is 0 for every direction, so these taps pass their delayed samples unfiltered:
    // the behaviour the reflected sound was voiced with, kept on purpose. The drum's reduced
    // tap uses F / rate and does filter.
    constexpr double target = 0.0;
    alignas(32) double out[4];
    for (int p = 0; p < kPacks; ++p) {
        const int first = p * W;
        const auto i = static_cast<std::size_t>(first);
        const Mask<W> active = lanes_.activeAt<W>(first);
        const P cPrevious = P::load(&reducedC_[i]);
        const P c = simd::flushLanes(cPrevious + (target - cPrevious) * c005_);
        const P m = simd::hornBeam(beamInput<W>(lanes_, first)).m;
        const P length = at(lanes_.length, first);
        const P delay = simd::secondaryDelay(length, m, fm, dist, samplesPerMetre_);
        const P level = attenuationLanes(simd::attenuationPosition(length, m, am)) * attScale_;
        const P d = readInputLanes(delay);
        const P yPrevious = P::load(&reducedY_[i]);
        const P y = simd::flushLanes((yPrevious - d) * c + d);
        simd::select(active, c, cPrevious).store(&reducedC_[i]);
        simd::select(active, y, yPrevious).store(&reducedY_[i]);
        // Ray 0 at gain 1, ray 1 and the back ray at r.
        const P gain = simd::gather<W>([&](int j) { return first + j == 0 ? 1.0 : r; });
        (y * level * gain).store(&out[first]);
    }

    const int back = visibility_ == 0 ? 6 : (visibility_ == 2 ? 7 : -1);
    double sum = reducedTapSum(out, w0, w1, k0, back >= 0 ? &secondarySmooth_[static_cast<std::size_t>(back)] : nullptr,
                               secondarySmooth_[1]);
    {
        const double L0 = rays_[0].length;
        double level = attenuationAt((L0 - 0.3 + am) * 100.0) * attScale_;
        if (level < clip) level = clip;
        const double d = readInput((L0 - (dist - fm)) * samplesPerMetre_);
        if (control) staticCoefficient();
        staticY_ = flush((staticY_ - d) * staticCoeff_ + d);
        sum += staticY_ * staticWeight_.load() * level;
    }

    const double y = secondaryChain_.finish<W>(sum);
    advanceRings();
    return y;
}

double HornRotor::primaryNarrow(double x) { return primaryKernel<2>(x); }
KESTRO_WIDE_LANES double HornRotor::primaryWide(double x) { return primaryKernel<4>(x); }
double HornRotor::secondaryNarrow(double x) { return secondaryKernel<2>(x); }
KESTRO_WIDE_LANES double HornRotor::secondaryWide(double x) { return secondaryKernel<4>(x); }

double HornRotor::processPrimary(double x) { return wideLanes_ ? primaryWide(x) : primaryNarrow(x); }

double HornRotor::processSecondary(double x) { return wideLanes_ ? secondaryWide(x) : secondaryNarrow(x); }

} // namespace kestro
