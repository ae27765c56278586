#pragma once
// One rotating horn as heard by one microphone.
//
// The sound reaches the microphone along up to thirteen rays: the direct sound, the sound
// leaving the open back, reflections from the cabinet walls and floor (image sources), and
// a static ray for the part of the sound that does not rotate. Each ray has its own travel
// time (Doppler as the mouth swings towards and away), its own level from the distance
// table, and a beam coloration that depends on the angle at which the sound left the horn.
//
// Two routines: processPrimary (the full model, one voice per horn microphone, with its
// own motor-noise player) and processSecondary (a reduced model for the horn sound that
// the cabinet reflects, feeding the crosstalk lines).
//
// Engine use:
//   construction  HornRotor(1, 0) and HornRotor(1, 1) for microphones 1 and 2 (the second
//                 argument picks the motor-noise recording), HornRotor(0) for the
//                 secondary voice;
//   rate change   setSampleRate(modelRate, N), then reset() and prepareFilters();
//   rebuild task  rebuildGeometry() (after distance, angle, radius, flip, open-back or
//                 attenuation changes);
//   per sample    processPrimary(x) / processSecondary(x), then noiseSample() and
//                 attenuationScale() as needed.
// All of these run on the audio thread; the setters may come from any thread.

#include "dsp/biquad_cascade.h"
#include "dsp/biquad_filter.h"
#include "dsp/gliding_biquad_bank.h"
#include "dsp/rotor_voice.h"

#include <array>
#include <type_traits>

namespace kestro {

// 13 rays, 8 weight slots, 5 reflection coefficients (kRays, kRayWeights).
class HornRotor : public RayVoice<13, 8, 5> {
public:
    static constexpr int kRays = 13;      // 0..11 taps, 12 the static ray
    static constexpr int kBeamRays = 12;  // rays with beam coloration
    static constexpr int kStaticRay = 12;
    static constexpr int kCascade = 28;
    static constexpr int kSecondaryCascade = 8;
    static constexpr int kRayWeights = 8;
    static constexpr int kRayRingSize = 512;
    static constexpr int kRayRingMask = kRayRingSize - 1;

    // cascadeFlag 1: primary voice (all 28 cascade filters); 0: secondary voice (8 filters,
    // no motor-noise player). noiseFlag selects the primary voice's noise recording.
    explicit HornRotor(int cascadeFlag, int noiseFlag = 0);

    bool isPrimary() const { return primary_; }

    // Audio thread.
    void setSampleRate(double rate, int factor);
    void rebuildGeometry();
    void reset();
    void prepareFilters();
    double processPrimary(double x);
    double processSecondary(double x);

    // Setters of this voice kind (any thread).
    void setFlip(double orientation);
    void setOpenBackMode(int mode);
    void setReflectionLpf(double octaves);
    void setAmplitudeClip(double level);        // lower limit of every ray level

    double amplitudeClip() const { return clip_.load(); }
    int openBackMode() const { return openBack_.load(); }
    double reflectionScale() const { return reflectionScale_; }
    double outputGain() const { return outputGain_; }
    double zAxisDelay(int i) const { return zDelay_[i & 1]; } // samples
    const BiquadFilter& cascadeFilter(int i) const;
    // The beam filters of rays 0..11 by lane (see kLaneRay): which 0 the first (36-step table),
    // 1 the second.
    const GlidingBiquadBank<kBeamRays>& beamFilters(int which) const { return which == 0 ? beam1_ : beam2_; }

    // Two lanes (false) or four (true, where the processor has AVX2); the results are the same.
    void setWideLanes(bool wide);

    // Rays 0..11 as lanes of the primary routine's kernels: the back rays 6 and 7 (of which the
    // visibility case uses at most one) come last, so only the last pack has idle lanes.
    static constexpr int kLaneRay[kBeamRays] = {0, 1, 2, 3, 4, 5, 8, 9, 10, 11, 6, 7};

private:
    void servicePending(unsigned bits);
    void refreshDerived();
    struct ImageSource {
        double x, y, sx, sy;
    };
    static std::array<ImageSource, kBeamRays> imageSources(const MicPlacement& mic);
    void loadCascade();
    void applyReflectionLpf(double octaves, double rate);
    template <int W>
    void setBeams(const simd::Pack<W>* beamAngle);
    void refreshLaneGains(const double* key);
    void refreshLaneGainsIfChanged();
    // One sample of the primary routine as it passes from step to step.
    template <int W>
    struct PrimaryFrame {
        static constexpr int kPacks = kBeamRays / W;
        bool control = false;
        double fm = 0.0, am = 0.0, clip = 0.0, w7 = 0.0, r2 = 0.0;
        simd::Mask<W> active[kPacks];
        simd::Pack<W> m[kPacks];
        typename GlidingBiquadBank<kBeamRays>::template Step<W> step1[kPacks], step2[kPacks];
        alignas(32) double out[kBeamRays];
    };
    template <int W>
    void primaryStart(double x, PrimaryFrame<W>& f);
    template <int W>
    void primaryBeams(PrimaryFrame<W>& f);
    template <int W>
    void primaryRays(PrimaryFrame<W>& f);
    template <int W>
    double primaryFinish(PrimaryFrame<W>& f);
    template <int W>
    double primaryKernel(double x);
    template <int W>
    double secondaryKernel(double x);
    double primaryNarrow(double x);
    KESTRO_WIDE_LANES double primaryWide(double x);
    double secondaryNarrow(double x);
    KESTRO_WIDE_LANES double secondaryWide(double x);

    const bool primary_;

    double staticDelay_ = 0.0; // samples, ray 0's path without modulation
    // Beam filters by lane (kLaneRay).
    GlidingBiquadBank<kBeamRays> beam1_{BankResponse::Peaking};
    GlidingBiquadBank<kBeamRays> beam2_{BankResponse::Peaking};

    // The rays as the kernels read them, lane by lane. The primary routine uses all twelve
    // lanes (kLaneRay); the secondary routine lanes 0 to 2 for ray 0, ray 1 and the back ray.
    RayLanes<kBeamRays> lanes_;
    // Per-lane gain, weight and reflection smoothing, recomputed when their inputs change
    // (the reflection coefficient and scale, the weights, the smoothing coefficients).
    struct LaneGains {
        alignas(32) RayLanes<kBeamRays>::Lanes gain{}, weight{}, smoothing{};
        double key[15] = {};
    };
    LaneGains laneGains_;
    // The cascade filters hold the configuration; the chains below do the per-sample work.
    std::array<BiquadFilter, kCascade> cascade_{};
    BiquadCascade<kCascade> primaryChain_;
    BiquadCascade<kSecondaryCascade> secondaryChain_;

    rotor::Relaxed<std::int32_t> openBack_{0};
    rotor::Relaxed<double> clip_{0.0};

    double reflectionScale_ = 1.0;
    double outputGain_ = 1.0;

    // Per-sample state.
    alignas(32) std::array<double, kBeamRays> smooth_{}; // reflection smoothers by lane
    double staticY_ = 0.0;
    // Secondary routine: the reduced taps' low-pass output and coefficient by lane (ray 0,
    // ray 1, back ray), and the reflection smoothers of rays 1, 6 and 7.
    alignas(32) std::array<double, 4> reducedY_{};
    alignas(32) std::array<double, 4> reducedC_{};
    std::array<double, kRays> secondarySmooth_{};

    // The sum of all rays of each sample, for the z-axis copies (which interpolate the sum).
    std::array<double, kRayRingSize> raySums_{};
    std::int32_t rayIndex_ = 0;
    std::array<double, 2> zDelay_{};
    std::array<std::int32_t, 2> zOffset_{};
    std::array<double, 2> zFraction_{};
};

static_assert(std::is_base_of_v<RayVoice<HornRotor::kRays, HornRotor::kRayWeights, 5>, HornRotor>);

} // namespace kestro
