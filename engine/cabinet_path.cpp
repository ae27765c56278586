// The cabinet, one host sample at a time: amplifier and tone stack at the host rate, the
// rotors, crosstalk, microphones and room at the model rate, resampling in between, and the
// dry substitute the rebuild fade falls back to. Audio thread only.
//
// Each stage below is a view of the engine's components for one block, with the step it
// runs per sample; the stages that keep state of their own live in cabinet_stages.h. Values
// that only this path changes (the glides, fade and bypass levels) are carried in the
// stages during the block and handed back at its end.

#include "dsp/numeric.h"
#include "engine/rotary_effect.h"

#include <cmath>
#include <type_traits>

namespace kestro {

namespace {

using enum RotaryEffect::Smoothed;

// The smoothed values a block glides: every engine quantity at 30 ms, the drive at 100 ms
// and the MIDI activity lamp back toward zero at 0.5 s.
struct Glides {
    double* current;
    const double* target;
    double coefficient;
    bool settled;
    double drive;
    double driveTarget;
    double driveCoefficient;
    float midiLevel;
    float midiCoefficient;

    // v = flush((target - v) c + v). Once a whole sample leaves every value where it was, the
    // glide has reached its fixed point and skipping it changes nothing until a target moves.
    [[gnu::always_inline]] void advance()
    {
        if (!settled) {
            bool moved = false;
            for (int k = 0; k < RotaryEffect::kSmoothedCount; ++k) {
                const double before = current[k];
                const double after = flush((target[k] - before) * coefficient + before);
                moved |= after != before;
                current[k] = after;
            }
            settled = !moved;
        }
        drive = flush((driveTarget - drive) * driveCoefficient + drive);
        midiLevel = midiLevel + (0.0f - midiLevel) * midiCoefficient;
    }
};

// The input, summed to mono: x = flush(flush((a + b) / 2) g).
[[gnu::always_inline]] inline double monoInput(double inA, double inB, double inputGain)
{
    return flush(flush((inA + inB) * 0.5) * inputGain);
}

// The tone stack at the host rate: y = bottom(top(lowMid(presence(g x)))), g the post-drive gain.
struct ToneStack {
    BiquadFilter& presence;
    BiquadFilter& lowMid;
    BiquadFilter& top;
    BiquadFilter& bottom;

    [[gnu::always_inline]] double process(double x, double postDriveGain)
    {
        x *= postDriveGain;
        x = presence.processGliding(x);
        x = lowMid.processGliding(x);
        x = top.processGliding(x);
        return bottom.processGliding(x);
    }
};

// What the rotors are fed from one model sample.
struct RotorFeeds {
    double drum;          // D
    double hornDirect;    // Hd, through the horn voicing
    double hornReflected; // Hr, through the reflection voicing
};

struct FeedStage {
    BiquadFilter& drumShelf;
    HornFeed& hornHighPass;
    std::array<BiquadFilter, 12>& hornVoicing;
    std::array<BiquadFilter, 8>& reflectionVoicing;

    // D = flush(shelf(x) g_drum); H = flush(highpass(x) g_horn); Hd and Hr = H through each chain.
    [[gnu::always_inline]] RotorFeeds process(double xd, const double* cur)
    {
        RotorFeeds feeds;
        feeds.drum = flush(drumShelf.process(xd) * cur[SmDrumInputGain]);
        const double H = flush(hornHighPass.process(xd) * cur[SmHornInputGain]);
        feeds.hornDirect = H;
        for (BiquadFilter& f : hornVoicing)
            feeds.hornDirect = f.processGlidingSaturating(feeds.hornDirect);
        feeds.hornReflected = H;
        for (BiquadFilter& f : reflectionVoicing)
            feeds.hornReflected = f.processGlidingSaturating(feeds.hornReflected);
        return feeds;
    }
};

// One model sample of every rotor voice, and what the room returns read of them.
struct RotorOutputs {
    double drum;          // dr
    double drumLow;       // ds
    double drumNoise;     // dn
    double horn1;         // h1
    double horn2;         // h2
    double hornNoise1;    // m1
    double hornNoise2;    // m2
    double drumSecondary; // sd
    double hornSecondary; // sh
    double drumAttenuation;
    double horn1Attenuation;
    double horn2Attenuation;
};

struct RotorStage {
    DrumRotor& drumPrimary;
    HornRotor& horn1;
    HornRotor& horn2;
    DrumRotor& drumSecondary;
    HornRotor& hornSecondary;

    // m = noise / 2 for each horn voice; sd = flush(4 secondary drum(D)), sh = flush(4 secondary horn(Hr)).
    [[gnu::always_inline]] RotorOutputs process(const RotorFeeds& in)
    {
        RotorOutputs out;
        out.drum = drumPrimary.processPrimary(in.drum);
        out.drumLow = drumPrimary.lowOutput();
        out.drumNoise = drumPrimary.noiseSample();
        out.horn1 = horn1.processPrimary(in.hornDirect);
        out.horn2 = horn2.processPrimary(in.hornDirect);
        out.hornNoise1 = 0.5 * horn1.noiseSample();
        out.hornNoise2 = 0.5 * horn2.noiseSample();
        out.drumSecondary = flush(4.0 * drumSecondary.processSecondary(in.drum));
        out.hornSecondary = flush(4.0 * hornSecondary.processSecondary(in.hornReflected));
        out.drumAttenuation = drumPrimary.attenuationScale();
        out.horn1Attenuation = horn1.attenuationScale();
        out.horn2Attenuation = horn2.attenuationScale();
        return out;
    }
};

// What each microphone hears of the other rotor and of the cabinet.
struct CrosstalkTaps {
    double drumToHorn;    // t1
    double cabinetToHorn; // t2
    double hornToDrum;    // t3
    double cabinetToDrum; // t4
    double hornToHorn;    // t5
};

// The crosstalk lines seen from one model sample: every read at w - delay comes before this
// sample's writes at w.
struct CrosstalkStage {
    FeedbackLines& lines;
    OnePole& drumSmoother;
    OnePole& hornSmoother;
    double drumSmootherCoefficient;
    double hornSmootherCoefficient;
    BiquadFilter& cabinet;

    // t = line[w - delay] x gain x send, with the fixed scales 4, 0.25 and 0.1575 of the paths.
    [[gnu::always_inline]] CrosstalkTaps read(const double* cur) const
    {
        const std::int32_t w = lines.write;
        CrosstalkTaps t;
        t.drumToHorn = FeedbackLines::read(lines.drum.data(), w, cur[SmDelay1]) * cur[SmGain1] * cur[SmDrumToTube];
        t.cabinetToHorn =
            FeedbackLines::read(lines.cabinet.data(), w, cur[SmDelay2]) * cur[SmBrToTube] * cur[SmGain2] * 4.0;
        t.hornToDrum =
            FeedbackLines::read(lines.horn.data(), w, cur[SmDelay3]) * cur[SmGain3] * cur[SmHornToDrum] * 0.25;
        t.cabinetToDrum =
            FeedbackLines::read(lines.cabinet.data(), w, cur[SmDelay4]) * cur[SmBrToDrum] * cur[SmGain4] * 4.0;
        t.hornToHorn = FeedbackLines::read(lines.horn.data(), w, cur[SmDelay5]) * cur[SmGain5] * 0.1575;
        return t;
    }

    // drum[w] = smoothed sd, horn[w] = smoothed sh, cabinet[w] = bandpass(8 xd) g_drum 8; w = (w + 1) & 1023.
    [[gnu::always_inline]] void write(const RotorOutputs& rotors, double xd, const double* cur)
    {
        const std::int32_t w = lines.write;
        lines.drum[static_cast<std::size_t>(w)] = drumSmoother.step(rotors.drumSecondary, drumSmootherCoefficient);
        lines.horn[static_cast<std::size_t>(w)] = hornSmoother.step(rotors.hornSecondary, hornSmootherCoefficient);
        lines.cabinet[static_cast<std::size_t>(w)] =
            cabinet.processGlidingSaturating(xd * 8.0) * cur[SmDrumInputGain] * 8.0;
        lines.write = (w + 1) & FeedbackLines::kMask;
    }
};

// The three microphone signals of one model sample, and the level each is taken at.
struct Microphones {
    double drum;
    double hornA; // horn microphone 1
    double hornB; // horn microphone 2
};

// One side's pan gains for the three microphones.
struct PanGains {
    double hornA;
    double hornB;
    double drum;
};

// A side of the microphone mix: flush(flush(hornB pB + hornA pA) + drum pD).
[[gnu::always_inline]] inline double panned(const Microphones& m, const PanGains& p)
{
    return flush(flush(m.hornB * p.hornB + m.hornA * p.hornA) + m.drum * p.drum);
}

[[gnu::always_inline]] inline PanGains leftPans(const double* cur)
{
    return {cur[SmPan1Left], cur[SmPan2Left], cur[SmDrumPanLeft]};
}

[[gnu::always_inline]] inline PanGains rightPans(const double* cur)
{
    return {cur[SmPan1Right], cur[SmPan2Right], cur[SmDrumPanRight]};
}

// The microphones: their sums before the room, the horn post high-pass and drum low-pass
// after it, and the mix of the three into a stereo pair.
struct MicrophoneMix {
    static constexpr double kMix = 0.50118723362; // -6 dB
    BiquadFilter& hornPost1;
    BiquadFilter& hornPost2;
    OnePole& drumLowPass;
    double drumLowPassCoefficient;
    double setupLevel;

    // drum gain; horn gain x the Setup's horn level; the second horn microphone x its own gain.
    [[gnu::always_inline]] Microphones levels(const double* cur) const
    {
        const double horn = cur[SmHornGain] * setupLevel;
        return {cur[SmDrumGain], horn, horn * cur[SmMic2Gain]};
    }

    // drum = flush(flush(t3 + t4 + dr + ds) g_d); horn i = flush(flush(h_i / 2 + t1 + t2 + t5) g_i).
    [[gnu::always_inline]] static Microphones sum(const CrosstalkTaps& t, const RotorOutputs& r,
                                                   const Microphones& level)
    {
        return {flush(flush(t.hornToDrum + t.cabinetToDrum + r.drum + r.drumLow) * level.drum),
                flush(flush(0.5 * r.horn1 + t.drumToHorn + t.cabinetToHorn + t.hornToHorn) * level.hornA),
                flush(flush(0.5 * r.horn2 + t.drumToHorn + t.cabinetToHorn + t.hornToHorn) * level.hornB)};
    }

    // horn = (1 - a) horn + a highpass(horn); s = flush((s - drum) c + drum); drum = (1 - b) drum + b s.
    [[gnu::always_inline]] void filter(Microphones& m, const double* cur)
    {
        const double p1 = hornPost1.processGliding(m.hornA);
        const double p2 = hornPost2.processGliding(m.hornB);
        const double a = cur[SmHornPostAmount];
        m.hornA = (1.0 - a) * m.hornA + a * p1;
        m.hornB = (1.0 - a) * m.hornB + a * p2;
        const double s = drumLowPass.step(m.drum, drumLowPassCoefficient);
        const double b = cur[SmDrumLowPassAmount];
        m.drum = (1.0 - b) * m.drum + b * s;
    }

    // L = panned(left) x -6 dB, R likewise.
    [[gnu::always_inline]] static void mix(const Microphones& m, const double* cur, double& L, double& R)
    {
        L = panned(m, leftPans(cur)) * kMix;
        R = panned(m, rightPans(cur)) * kMix;
    }
};

// The room: the microphones' send with the motor noise, the early reflections and the colour
// filters, and what each microphone hears back of it.
struct RoomStage {
    EarlyReflections& reflections;
    BiquadFilter& colourLeft1;
    BiquadFilter& colourLeft2;
    BiquadFilter& colourRight1;
    BiquadFilter& colourRight2;
    double noiseSend;

    // send = panned(side) + (g_d m_near + g_x m_far + dn) e; c = colour2(colour1(er(send)));
    // mic += (c x attenuation + noise) x level, the second horn microphone from the right.
    [[gnu::always_inline]] void process(Microphones& m, const Microphones& level, const RotorOutputs& r,
                                        const double* cur)
    {
        const double gd = cur[SmNoiseDirect];
        const double gx = cur[SmNoiseCross];
        const double m1 = r.hornNoise1;
        const double m2 = r.hornNoise2;
        const double dn = r.drumNoise;
        const double sendL = panned(m, leftPans(cur)) + (gd * m1 + gx * m2 + dn) * noiseSend;
        const double sendR = panned(m, rightPans(cur)) + (gd * m2 + gx * m1 + dn) * noiseSend;

        double erL;
        double erR;
        reflections.setOutputGain(cur[SmReflectionGain]);
        reflections.processReflections(sendL, sendR, erL, erR);
        const double cL = colourLeft2.processGlidingSaturating(colourLeft1.processGlidingSaturating(erL));
        const double cR = colourRight2.processGlidingSaturating(colourRight1.processGlidingSaturating(erR));

        m.drum += (cL * r.drumAttenuation + dn) * level.drum;
        m.hornA += (cL * r.horn1Attenuation + gd * m1 + gx * m2) * level.hornA;
        m.hornB += (cR * r.horn2Attenuation + gd * m2 + gx * m1) * level.hornB;
    }
};

// One model sample, from the decimated input to the microphone mix.
struct ModelStep {
    FeedStage feeds;
    CrosstalkStage crosstalk;
    RotorStage rotors;
    MicrophoneMix microphones;
    RoomStage room;

    [[gnu::always_inline]] void run(double xd, const double* cur, double& L, double& R)
    {
        const RotorFeeds in = feeds.process(xd, cur);
        const CrosstalkTaps taps = crosstalk.read(cur);
        const RotorOutputs out = rotors.process(in);
        crosstalk.write(out, xd, cur);
        const Microphones level = microphones.levels(cur);
        Microphones m = MicrophoneMix::sum(taps, out, level);
        room.process(m, level, out, cur);
        microphones.filter(m, cur);
        MicrophoneMix::mix(m, cur, L, R);
    }
};

// Back to the host rate: without a kernel y = float(x); with one, the model samples (zeros
// between them) through the anti-imaging low-pass, x N, into the interpolating FIR.
struct HostRateOutput {
    ModelRateResampler& resampler;
    BiquadFilter& imageLeft;
    BiquadFilter& imageRight;
    double factorGain;

    [[gnu::always_inline]] void process(std::size_t pos, double L, double R, double& left, double& right)
    {
        if (resampler.kernel == nullptr) {
            left = static_cast<float>(L);
            right = static_cast<float>(R);
        } else {
            resampler.interpolate(pos, static_cast<float>(imageLeft.process(L) * factorGain),
                                  static_cast<float>(imageRight.process(R) * factorGain), left, right);
        }
    }
};

// The rebuild fade toward the dry substitute and the bypass toward the input, both glides at
// the 20 ms constant, and the two crossfades they drive.
struct FadeAndBypass {
    double fadeLevel;
    double bypassMix;
    double coefficient;
    double fadeGoal;
    double bypassGoal;
    bool fading;

    // level = flush(level + (goal - level) c). At rest the bypass mix is exactly its goal, so a
    // bypassed effect passes the input bit for bit instead of creeping toward it forever.
    [[gnu::always_inline]] void advance()
    {
        if (fading)
            fadeLevel = flush(fadeLevel + (fadeGoal - fadeLevel) * coefficient);
        bypassMix = flush(bypassMix + (bypassGoal - bypassMix) * coefficient);
        if (std::fabs(bypassGoal - bypassMix) < 1e-12)
            bypassMix = bypassGoal;
    }

    // y = (1 - f) model + f substitute
    [[gnu::always_inline]] double fade(double model, double substitute) const
    {
        return (1.0 - fadeLevel) * model + fadeLevel * substitute;
    }

    // out = (1 - b) y + b input
    [[gnu::always_inline]] double bypass(double y, double input) const
    {
        return (1.0 - bypassMix) * y + bypassMix * input;
    }
};

} // namespace

template <typename Sample>
void RotaryEffect::renderSamples(const Sample* in0, const Sample* in1, Sample* out0, Sample* out1, VstInt32 frames,
                                 FadeMotion fade)
{
    double* const cur = current.data();
    Glides glides{.current = cur,
                  .target = blockTarget.data(),
                  .coefficient = parameterCoefficient,
                  .settled = glidesSettled,
                  .drive = drive,
                  .driveTarget = driveBlockTarget,
                  .driveCoefficient = driveCoefficient,
                  .midiLevel = midiLevel,
                  .midiCoefficient = static_cast<float>(slowCoefficient)};
    FadeAndBypass mix{.fadeLevel = fadeLevel,
                      .bypassMix = bypassMix,
                      .coefficient = fadeCoefficient,
                      .fadeGoal = fade == FadeMotion::TowardSubstitute ? 1.0 : 0.0,
                      .bypassGoal = bypassTarget.load(std::memory_order_relaxed),
                      .fading = fade != FadeMotion::Hold};
    ToneStack tone{*toneFilters[0], *toneFilters[1], *toneFilters[2], *toneFilters[3]};
    ModelStep model{
        {*drumFeedFilter, hornFeed, *hornVoicing, *reflectionVoicing},
        {lines, drumSmoother, hornSmoother, drumSmootherCoefficient, hornSmootherCoefficient, *cabinetFilter},
        {*drumPrimary, *hornPrimary[0], *hornPrimary[1], *drumSecondary, *hornSecondary},
        {*hornPostFilters[0], *hornPostFilters[1], drumLowPass, drumLowPassCoefficient, blockSetupLevel},
        {*reflections, *colourFilters[0], *colourFilters[1], *colourFilters[2], *colourFilters[3], blockNoiseSend}};
    HostRateOutput output{resampler, *antiImaging[0], *antiImaging[1], factorGain};

    for (VstInt32 i = 0; i < frames; ++i) {
        const double inA = static_cast<double>(in0[i]);
        const double inB = static_cast<double>(in1[i]);
        mix.advance();
        glides.advance();

        // Amplifier at the host rate. The dry substitute follows the input in every mode, so a
        // fade always lands on the present input rather than on whatever was there before.
        const double inputGain = cur[SmInputGain];
        double x = driveStage.process(blockDriveType, monoInput(inA, inB, inputGain), glides.drive);
        x = tone.process(x, cur[SmPostDriveGain]);
        dry.follow(inputGain, inA, inB);

        double left;
        double right;
        if (blockAmpOnly != 0) {
            // Amplifier only: the rotor model and its clock stand still.
            left = mix.fade(x, dry.left);
            right = mix.fade(x, dry.right);
        } else {
            // The model runs on every N-th host sample and rests (outputs zero) between.
            const std::size_t pos = resampler.push(x);
            double L = 0.0;
            double R = 0.0;
            if ((counter & factorMask) == 0)
                model.run(resampler.decimated(pos, x), cur, L, R);
            output.process(pos, L, R, left, right);
            left = mix.fade(left, dry.left);
            right = mix.fade(right, dry.right);
            // Wraps after about 13 hours at 44.1 kHz; N divides 2^32, so the pattern holds.
            counter = static_cast<std::int32_t>(static_cast<std::uint32_t>(counter) + 1u);
        }

        // Bypass mix and store; the right side first, so a mono output keeps the left.
        if constexpr (std::is_same_v<Sample, float>) {
            left = static_cast<float>(left);
            right = static_cast<float>(right);
        }
        out1[i] = static_cast<Sample>(mix.bypass(right, inB));
        out0[i] = static_cast<Sample>(mix.bypass(left, inA));
    }

    glidesSettled = glides.settled;
    drive = glides.drive;
    midiLevel = glides.midiLevel;
    fadeLevel = mix.fadeLevel;
    bypassMix = mix.bypassMix;
}

template void RotaryEffect::renderSamples<float>(const float*, const float*, float*, float*, VstInt32, FadeMotion);
template void RotaryEffect::renderSamples<double>(const double*, const double*, double*, double*, VstInt32,
                                                  FadeMotion);

} // namespace kestro
