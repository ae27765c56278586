#pragma once
// The rotating bass drum (the baffle turning in front of the low-frequency speaker) as
// heard by the drum microphone.
//
// Same motor, rings and mouth geometry as the horn, with six rays and a static ray. Only
// the part of each ray above the splitter frequency is treated as rotating sound; the low
// part of the static ray is handed to the engine as the low output, so the bass does not
// pulsate.
//
// Engine use:
//   construction  DrumRotor(true) for the primary voice (with motor-noise player),
//                 DrumRotor(false) for the secondary voice;
//   rate change   setSampleRate(modelRate, N), then reset() and prepareFilters();
//   rebuild task  rebuildGeometry();
//   per sample    processPrimary(x), then lowOutput(), noiseSample() and
//                 attenuationScale(); processSecondary(x) on the secondary voice.
// All of these run on the audio thread; the setters may come from any thread.

#include "dsp/biquad_filter.h"
#include "dsp/gliding_biquad_bank.h"
#include "dsp/rotor_voice.h"

#include <array>
#include <type_traits>

namespace kestro {

// 6 rays, 4 weight slots, 2 reflection coefficients (kRays, kRayWeights).
class DrumRotor : public RayVoice<6, 4, 2> {
public:
    static constexpr int kRays = 6;
    static constexpr int kInputFilters = 4;
    static constexpr int kRayWeights = 4;

    explicit DrumRotor(bool primary);

    bool isPrimary() const { return primary_; }

    // Audio thread.
    void setSampleRate(double rate, int factor);
    void rebuildGeometry();
    void reset();
    void prepareFilters();
    double processPrimary(double x);
    double processSecondary(double x);
    // Two lanes (false) or four (true, where the processor has AVX2); the results are the same.
    void setWideLanes(bool wide);

    // The low part of the static ray from the last processPrimary call.
    double lowOutput() const { return lowOutput_; }

    // Setters of this voice kind (any thread).
    void setFlip(double orientation);
    void setReflectionLpf(double octaves);
    void setSplitterFrequency(double hz);
    void setStaticLpGain(double gain);

    double splitterFrequency() const { return splitterHz_.load(); }
    double splitterCoeff() const { return splitC_.load(); }
    double staticLpGain() const { return staticLpGain_.load(); }
    const BiquadFilter& inputFilter(int i) const;
    // The direction filters by lane (kLaneRay).
    const GlidingBiquadBank<8>& directionFilters() const { return direction_; }

    // Rays 0..5 as lanes of the primary routine's kernels: the back rays 1 and 2 (of which the
    // visibility case uses at most one) come last; lanes 6 and 7 are idle.
    static constexpr int kLaneRay[6] = {0, 3, 4, 5, 1, 2};

private:
    void servicePending(unsigned bits);
    void refreshDerived();
    void applyReflectionLpf(double octaves, double rate);
    void applySplitter(double hz, double rate);
    double frontEnd(double x); // motor step, input filters, ring write
    // One sample of the primary routine as it passes from step to step.
    template <int W>
    struct PrimaryFrame {
        static constexpr int kPacks = 8 / W;
        bool control = false;
        double fm = 0.0, am = 0.0, r = 0.0, split = 0.0, k0 = 0.0, k1 = 0.0;
        double w[4] = {};
        simd::Mask<W> active[kPacks];
        simd::Pack<W> m[kPacks];
        typename GlidingBiquadBank<8>::template Step<W> step[kPacks];
        alignas(32) double out[8];
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

    double staticDelay_ = 0.0;
    std::array<BiquadFilter, kInputFilters> inputFilters_{};
    // Direction filters by lane (kLaneRay).
    GlidingBiquadBank<8> direction_{BankResponse::LowPass};
    // The primary routine's rays by lane (kLaneRay); the secondary routine's in lanes 0 to 2
    // (ray 0, ray 3, the back ray).
    RayLanes<8> lanes_;

    rotor::Relaxed<double> splitterHz_{200.0};
    rotor::Relaxed<double> splitC_{0.0};
    rotor::Relaxed<double> staticLpGain_{1.0};

    // Per-sample state, by lane.
    alignas(32) std::array<double, 8> split_{};  // splitter low-pass of each ray
    alignas(32) std::array<double, 8> smooth_{}; // reflection smoothers
    double staticY_ = 0.0;
    double staticSplit_ = 0.0;
    double lowOutput_ = 0.0;
    // Secondary routine: the reduced taps' low-pass output, coefficient and coefficient target
    // by lane (ray 0, ray 3, back ray), the reflection smoothers by ray, the reduced static ray.
    alignas(32) std::array<double, 4> reducedY_{}, reducedC_{}, reducedTarget_{};
    std::array<double, kRays> secondarySmooth_{};
    double reducedStaticY_ = 0.0;
};

static_assert(std::is_base_of_v<RayVoice<DrumRotor::kRays, DrumRotor::kRayWeights, 2>, DrumRotor>);

} // namespace kestro
