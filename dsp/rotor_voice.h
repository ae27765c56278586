#pragma once
// What a horn voice and a drum voice have in common: the motor (RotorMotion), the input and
// emitted-phase rings, the mouth geometry that turns a microphone position into rays, the
// distance-attenuation table, the shared setters and the hand-over of setter work that must
// happen on the audio thread.
//
// Threads: the setters may be called from any thread while audio runs. Plain values are
// relaxed atomics; work that touches filters, rings or the motor-noise player (a flip's
// reset, a new saturation, a new distance for the player, a click) is only requested there
// and carried out by the audio thread at its next processing call or rebuild task. The
// rebuild tasks themselves (rebuildGeometry, reset, prepareFilters, setSampleRate) and the
// process functions belong to the audio thread.

#include "dsp/motor_noise_player.h"
#include "dsp/rotor_motion.h"
#include "dsp/simd/lane_math.h"
#include "dsp/simd/pack.h"
#include "dsp/simd/ray_laws.h"
#include "dsp/table_readers.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <cstdint>
#include <limits>
#include <optional>

namespace kestro {

class RotorVoice {
public:
    static constexpr int kRingSize = 4096;
    static constexpr int kRingMask = kRingSize - 1;
    static constexpr int kAttenuationSize = 512; // read over 511 intervals

    RotorVoice(const RotorVoice&) = delete;
    RotorVoice& operator=(const RotorVoice&) = delete;

    // Motion (see RotorMotion); the click of the motor-noise player follows the motor.
    void setSlowSpeed(double hz) { motion_.setSlowSpeed(hz); }
    void setFastSpeed(double hz) { motion_.setFastSpeed(hz); }
    void setLever(double x);
    void setStop(double brake);
    void setSpeedTarget(double hz) { motion_.setSpeedTarget(hz); }
    void setAccelTime(double seconds) { motion_.setAccelTime(seconds); }
    void setDecelTime(double seconds) { motion_.setDecelTime(seconds); }

    // Level model and geometry inputs. Non-finite values are ignored everywhere; the few
    // limits below keep the geometry defined (see the .cpp for why each is needed).
    void setFmRadius(double r);
    void setAmRadius(double r);        // limited to 0.01 .. 0.29 m
    void setDistance(double d);        // limited to 0.3 .. 100 m; forwarded to the noise player
    void setMicAngle(double turns);
    void setReflectionCoeff(double r);
    void setAttenuation(double amount);
    void setLpfLow(double hz);
    void setLpfHigh(double hz);
    void setAttDecayExp(double e);
    void setAttenuationDistance(double d); // at least 0.01 m
    void setStaticFilterCutoff(double hz);
    void setMechLevel(double g);
    void setStaticRayWeight(double w);

    // For the engine's geometry task and the editor.
    double distance() const { return distance_.load(); }
    double micAngle() const { return micAngle_.load(); }
    double amRadius() const { return amRadius_.load(); }
    double fmRadius() const { return fmRadius_.load(); }
    double orientation() const { return orientation_.load(); }
    // The attenuation table read at d x 512 (the crosstalk distance gain).
    double distanceGain(double d) const {
        return readCubicClamped(d * 512.0, attTable_.data(), kAttenuationSize - 1);
    }
    double attenuationScale() const { return attScale_; }
    double attenuationTableEntry(int i) const;
    int visibilityCase() const { return visibility_; }

    // Whether the per-sample kernels run four lanes at once (AVX2) or two; the results are the
    // same. Each voice kind offers setWideLanes(bool) for tests and measurements.
    bool wideLanes() const { return wideLanes_; }

    double rotationPhase() const { return motion_.phase(); } // turns
    double speedHz() const { return motion_.speedHz(); }
    const RotorMotion& motion() const { return motion_; }

    double sampleRate() const { return rate_; }
    int controlRateMask() const { return controlMask_; }
    double reflectionCoeff() const { return reflection_.load(); }
    double attenuation() const { return attenuation_.load(); }
    double attenuationDistance() const { return attDistance_.load(); }
    double attDecayExp() const { return decayExp_.load(); }
    double lpfLow() const { return lpfLow_.load(); }
    double lpfHigh() const { return lpfHigh_.load(); }
    double staticFilterCutoff() const { return staticCutoff_.load(); }
    double mechLevel() const { return mechLevel_.load(); }
    double staticRayWeight() const { return staticWeight_.load(); }
    double edgeA() const { return edgeA_.load(); }
    double edgeB() const { return edgeB_.load(); }
    double halfWidthA() const { return halfWidthA_.load(); }
    double halfWidthB() const { return halfWidthB_.load(); }

    // Volumes of the motor-noise recordings (voices without a player ignore them). Taken over
    // by the player at the audio thread's next processing call.
    void setSlowVolume(double v);
    void setFastVolume(double v);
    void setAccelVolume(double v);
    void setDecelVolume(double v);

    // The motor-noise sample of the last processPrimary call (0 for a voice without player).
    double noiseSample() const { return noiseSample_; }
    // The player of a primary voice (null otherwise), for the audio thread and for inspection;
    // other threads use the volume setters above.
    MotorNoisePlayer* noisePlayer() { return noise_ ? &*noise_ : nullptr; }
    const MotorNoisePlayer* noisePlayer() const { return noise_ ? &*noise_ : nullptr; }

    // One ray as the geometry rebuild leaves it.
    struct Ray {
        double length = 0.0; // m
        double angle = 0.0;  // turns
        double width = 0.25; // turns
        double sign = 1.0;   // +-1
        // Derived for the per-sample path.
        double phaseDelay = 0.0; // samples, for the emitted-phase read
        double warpLow = 0.0;    // pi / (2 w)
        double warpMid = 0.0;    // pi / (1 - 2 w)
    };

protected:
    RotorVoice(int direction, std::optional<MotorNoisePlayer::Kind> noiseKind, int noiseFlag);
    ~RotorVoice() = default;

    // Pending audio-thread work (bits of pending_).
    enum Pending : unsigned {
        PendingFlipReset = 1u << 0,
        PendingSaturation = 1u << 1,
        PendingNoiseDistance = 1u << 2,
        PendingClick = 1u << 3,
        PendingVolumes = 1u << 4,
    };
    void request(unsigned bits) { pending_.fetch_or(bits, std::memory_order_relaxed); }
    unsigned takePending() {
        if (pending_.load(std::memory_order_relaxed) == 0) return 0;
        return pending_.exchange(0, std::memory_order_relaxed);
    }
    // The shared half of servicing: noise-player distance and click.
    void serviceNoise(unsigned bits);

    // Shared setter halves.
    void setRateCommon(double rate, int factor);
    void applyAmRadius(double r);
    // Returns true when the orientation changed (the caller then requests its reset).
    bool applyFlip(double o);

    // pow(0.005, static cutoff / rate), recomputed only when the ratio changed.
    double staticCoefficient() {
        const double ratio = staticRatio_.load();
        if (ratio != staticCoeffRatio_) {
            staticCoeffRatio_ = ratio;
            staticCoeff_ = std::pow(0.005, ratio);
        }
        return staticCoeff_;
    }

    // Geometry shared by both voices.
    struct MicPlacement {
        double side = 1.0;                     // sigma
        double p = 0.0, q = 0.0, r = 0.0, w = 0.0; // mouth depth (twice), edges A and B, with side
        double halfA = 0.0, halfB = 0.0;
        double mx = 0.0, my = 0.0;
        double directLength = 0.0, directAngle = 0.0;
        int visibility = 1;
    };
    MicPlacement placeMicrophone() const;
    Ray makeRay(double x, double y, double sx, double sy, const MicPlacement& mic) const;
    void buildAttenuationTable();
    // T of the attenuation scale: the table read at the direct ray's beam-corrected distance.
    double directAttenuation(double directLength, const Ray& direct) const;

    double attenuationAt(double position) const {
        if (!(position > 0.0)) position = 0.0; // NaN reads the first entry
        return readCubicClamped(position, attTable_.data(), kAttenuationSize - 1);
    }

    // Audio-thread helpers of the per-sample path.
    void writeInput(double x, double emittedPhase) {
        input_[static_cast<std::size_t>(writeIndex_)] = x;
        input_[static_cast<std::size_t>(writeIndex_ + kRingSize)] = x;
        phaseRing_[static_cast<std::size_t>(writeIndex_)] = emittedPhase;
    }
    // Delays are limited to the ring (NaN reads the newest sample).
    double readInput(double delay) const {
        if (!(delay > 0.0)) delay = 0.0;
        else if (delay > kMaxDelay) delay = kMaxDelay;
        return readCubicWrapped(static_cast<double>(writeIndex_) - delay, 0.0, input_.data(),
                                kRingSize);
    }
    // The same reads for a pack of rays at once (the lane steps: simd/); each lane computes
    // exactly what the scalar read computes for it. They stay here, beside the rings and the
    // table they read.
    //   emitted phase = phaseRing[trunc(write - phaseDelay) mod ring]
    template <int W>
    [[gnu::always_inline]] simd::Pack<W> emittedPhaseLanes(const simd::Pack<W>& phaseDelay) const {
        const simd::Ints<W> i = simd::truncateToInt(static_cast<double>(writeIndex_) - phaseDelay) & kRingMask;
        return simd::gather<W>([&](int j) { return phaseRing_[static_cast<std::size_t>(i[j])]; });
    }
    // attenuationAt(position): the table's cubic at position, its first entry at or below 0
    // (and for NaN), its last at or beyond the end.
    template <int W>
    [[gnu::always_inline]] simd::Pack<W> attenuationLanes(const simd::Pack<W>& position) const {
        using P = simd::Pack<W>;
        constexpr int n = kAttenuationSize - 1;
        const simd::Mask<W> low = ~(position > 0.0); // NaN reads the first entry
        const simd::Mask<W> high = position >= static_cast<double>(n);
        const P p = simd::select(low | high, P::broadcast(0.0), position);
        const simd::Ints<W> i = simd::truncateToInt(p);
        const P t = simd::flushLanes(p - simd::toDouble<W>(i));
        const double* e = attTable_.data();
        if (!simd::any(low | high) && simd::all(p < static_cast<double>(n - 2)) && simd::all(p >= 1.0)) {
            // Inside the table no tap needs its index held at an end.
            const auto tap = [&](int offset) KESTRO_LANE_LAMBDA {
                return simd::gather<W>([&](int j) { return e[i[j] + offset]; });
            };
            return simd::cubicLanes(t, tap(-1), tap(0), tap(1), tap(2));
        }
        const auto at = [&](int j, int offset) {
            const int k = i[j];
            const int next = k + 1 > n ? k : k + 1;
            const int afterNext = k + 2 > n ? next : k + 2;
            const int index[4] = {k > 0 ? k - 1 : 0, k, next, afterNext};
            return e[index[offset]];
        };
        const auto tap = [&](int offset) KESTRO_LANE_LAMBDA { return simd::gather<W>([&](int j) { return at(j, offset); }); };
        return simd::select(low, P::broadcast(attTable_[0]),
                            simd::select(high, P::broadcast(attTable_[n]), simd::cubicLanes(t, tap(0), tap(1), tap(2), tap(3))));
    }
    // readInput(delay): the ring's cubic at write - min(max(delay, 0), kMaxDelay), NaN as 0.
    template <int W>
    [[gnu::always_inline]] simd::Pack<W> readInputLanes(simd::Pack<W> delay) const {
        using P = simd::Pack<W>;
        delay = simd::select(~(delay > 0.0), P::broadcast(0.0),
                             simd::select(delay > kMaxDelay, P::broadcast(kMaxDelay), delay));
        P p = static_cast<double>(writeIndex_) - delay;
        p = simd::select(p < 0.0, p + static_cast<double>(kRingSize), p);
        const simd::Ints<W> i = simd::truncateToInt(p);
        const P t = simd::flushLanes(p - simd::toDouble<W>(i));
        // i - 1 is -1 only at position 0, whose first tap is the ring's last sample.
        const simd::Ints<W> first = (i - 1) & kRingMask;
        const double* e = input_.data();
        const auto tap = [&](int offset) KESTRO_LANE_LAMBDA { return simd::gather<W>([&](int k) { return e[first[k] + offset]; }); };
        return simd::cubicLanes(t, tap(0), tap(1), tap(2), tap(3));
    }

    // Whether the per-sample kernels run four lanes (AVX2) or two; the results are the same.
    bool wideLanes_ = simd::wideLanesSupported();

    // Rays as the pack kernels read them, lane by lane (a kernel decides which ray sits in
    // which lane).
    template <int N>
    struct RayLanes {
        using Lanes = std::array<double, N>;
        alignas(32) Lanes length{}, angleSign{}, width{}, sign{}, phaseDelay{};
        alignas(32) Lanes twoWidth{}, oneMinusWidth{}, midSpan{}; // 2w, 1 - w, 1 - 2w
        // All ones where the visibility case uses the lane's ray, zero where it does not.
        alignas(32) std::array<std::int64_t, N> active{};

        void set(int lane, const Ray& r, bool used) {
            const auto i = static_cast<std::size_t>(lane);
            length[i] = r.length;
            angleSign[i] = r.angle * r.sign;
            width[i] = r.width;
            sign[i] = r.sign;
            phaseDelay[i] = r.phaseDelay;
            twoWidth[i] = 2.0 * r.width;
            oneMinusWidth[i] = 1.0 - r.width;
            midSpan[i] = 1.0 - 2.0 * r.width;
            active[i] = used ? -1 : 0;
        }
        template <int W>
        [[gnu::always_inline]] simd::Pack<W> at(const Lanes& a, int first) const {
            return simd::Pack<W>::load(&a[static_cast<std::size_t>(first)]);
        }
        template <int W>
        [[gnu::always_inline]] simd::Mask<W> activeAt(int first) const {
            simd::Mask<W> m;
            __builtin_memcpy(&m.m, &active[static_cast<std::size_t>(first)], sizeof m.m);
            return m;
        }
        unsigned activeBits(int first) const { // lanes first .. first + 3
            unsigned bits = 0;
            for (int j = 0; j < 4; ++j)
                if (active[static_cast<std::size_t>(first + j)] != 0) bits |= 1u << j;
            return bits;
        }
    };

    // The direction of the mouth relative to each ray of a pack, for the sound now arriving:
    //   u = wrap(emitted phase - angle s)
    template <int W, int N>
    [[gnu::always_inline]] simd::Pack<W> rayDirectionLanes(const RayLanes<N>& r, int first) const {
        return simd::wrapUnit(emittedPhaseLanes(r.template at<W>(r.phaseDelay, first)) -
                             r.template at<W>(r.angleSign, first));
    }

    // The beam law's inputs for a pack of rays (the laws themselves: simd/ray_laws.h).
    template <int W, int N>
    [[gnu::always_inline]] simd::BeamInput<W> beamInput(const RayLanes<N>& r, int first) const {
        return {rayDirectionLanes<W>(r, first),       r.template at<W>(r.width, first),
                r.template at<W>(r.sign, first),      r.template at<W>(r.oneMinusWidth, first),
                r.template at<W>(r.twoWidth, first),  r.template at<W>(r.midSpan, first)};
    }

    // The secondary routines' reduced taps (out: ray 0, the first reflection, the back ray):
    //   sum = out0 w0 + y_back + y_reflection,  y = flush((y - out w1) k0 + out w1)
    // where each y is that tap's treble-loss smoother; the back ray only when the visibility
    // case shows it (backSmoother not null). Summed in this order.
    static double reducedTapSum(const double* out, double w0, double w1, double k0, double* backSmoother,
                                double& reflectionSmoother) {
        double sum = out[0] * w0;
        if (backSmoother != nullptr) {
            const double v = out[2] * w1;
            *backSmoother = flush((*backSmoother - v) * k0 + v);
            sum += *backSmoother;
        }
        const double v = out[1] * w1;
        reflectionSmoother = flush((reflectionSmoother - v) * k0 + v);
        return sum + reflectionSmoother;
    }

    bool controlRateSample() const { return (counter_ & controlMask_) == 0; }
    void advanceRings() {
        writeIndex_ = (writeIndex_ + 1) & kRingMask;
        ++counter_;
    }
    void clearRings();
    // Phase delay in samples, limited to the ring.
    double ringDelay(double metres) const;

    static constexpr double kMaxDelay = kRingSize - 4.0;

    RotorMotion motion_;
    std::optional<MotorNoisePlayer> noise_;
    double noiseSample_ = 0.0;

    // Audio-thread state.
    double rate_ = 44100.0;
    double samplesPerMetre_ = 44100.0 * rotor::kSecondsPerMetre;
    std::int32_t controlMask_ = 15;
    double c005_ = 0.0; // per-sample glide of the reduced taps' coefficients (5 ms)
    std::int32_t writeIndex_ = 0;
    std::uint32_t counter_ = 0;
    double attScale_ = 1.0;
    std::int32_t visibility_ = 1;
    double staticCoeff_ = 0.0;     // pow(0.005, cutoff / rate), refreshed at control rate
    double staticCoeffRatio_ = std::numeric_limits<double>::quiet_NaN(); // its source

    // Setter-written values.
    rotor::Relaxed<double> fmRadius_{0.18};
    rotor::Relaxed<double> amRadius_{0.18};
    rotor::Relaxed<double> invAmRadius_{1.0 / 0.18};
    rotor::Relaxed<double> edgeA_{0.43};
    rotor::Relaxed<double> edgeB_{0.24};
    rotor::Relaxed<double> halfWidthA_{0.0};
    rotor::Relaxed<double> halfWidthB_{0.0};
    rotor::Relaxed<double> distance_{1.0};
    rotor::Relaxed<double> micAngle_{0.0};
    rotor::Relaxed<double> orientation_{100.0}; // sentinel: the first flip always applies
    rotor::Relaxed<double> reflection_{0.5};
    rotor::Relaxed<double> attenuation_{1.0};
    rotor::Relaxed<double> attDistance_{1.0};
    rotor::Relaxed<double> decayExp_{1.0};
    rotor::Relaxed<double> lpfLow_{200.0};
    rotor::Relaxed<double> lpfHigh_{20000.0};
    rotor::Relaxed<double> staticCutoff_{11025.0};
    rotor::Relaxed<double> staticRatio_{0.25};
    rotor::Relaxed<double> mechLevel_{0.0};
    rotor::Relaxed<double> staticWeight_{1.0};
    rotor::Relaxed<double> reflectionOctaves_{0.3333};
    rotor::Relaxed<double> slowVolume_{1.0};
    rotor::Relaxed<double> fastVolume_{1.0};
    rotor::Relaxed<double> accelVolume_{1.0};
    rotor::Relaxed<double> decelVolume_{1.0};

    alignas(64) std::array<double, 2 * kRingSize> input_{};
    alignas(64) std::array<double, kRingSize> phaseRing_{};
    std::array<double, kAttenuationSize> attTable_{};

private:
    std::atomic<unsigned> pending_{0};
};

// What both voice kinds keep per ray, sized per kind (Rays rays, Weights weight slots,
// Reflections treble-loss coefficients), with the setters and readers they share.
template <int Rays, int Weights, int Reflections>
class RayVoice : public RotorVoice {
public:
    // The amount belongs to the engine's voicing chains; the voice takes it over on the audio
    // thread (see servicePending of each kind).
    void setFilterSaturation(double amount) {
        if (!std::isfinite(amount)) return;
        saturation_.store(amount);
        request(PendingSaturation);
    }
    // Slots outside 0 .. Weights - 1 are ignored (read as 0).
    void setRayWeight(int slot, double weight) {
        if (slot < 0 || slot >= Weights || !std::isfinite(weight)) return;
        weights_[static_cast<std::size_t>(slot)].store(weight);
    }
    double rayWeight(int slot) const {
        return slot >= 0 && slot < Weights ? weights_[static_cast<std::size_t>(slot)].load() : 0.0;
    }
    double filterSaturation() const { return saturation_.load(); }
    // k is held to 0 .. Reflections - 1, like the ray below.
    double reflectionLpfCoeff(int k) const {
        return reflectionK_[static_cast<std::size_t>(std::clamp(k, 0, Reflections - 1))].load();
    }
    const Ray& ray(int k) const { return rays_[static_cast<std::size_t>(std::clamp(k, 0, Rays - 1))]; }

protected:
    using RotorVoice::RotorVoice;
    ~RayVoice() = default;

    std::array<Ray, Rays> rays_{};
    std::array<rotor::Relaxed<double>, Weights> weights_{};
    std::array<rotor::Relaxed<double>, Reflections> reflectionK_{};
    rotor::Relaxed<double> saturation_{0.0};
};

} // namespace kestro
