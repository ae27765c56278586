// The cabinet, one host sample at a time: amplifier and tone stack at the host rate, the
// rotors, crosstalk, microphones and room at the model rate, resampling in between, and the
// dry substitute the rebuild fade falls back to. Audio thread only.

#include "dsp/numeric.h"
#include "engine/rotary_effect.h"

#include <cmath>
#include <type_traits>

namespace kestro {

template <typename Sample>
void RotaryEffect::renderSamples(const Sample* in0, const Sample* in1, Sample* out0, Sample* out1, VstInt32 frames,
                                 FadeMotion fade)
{
    constexpr double kMicMix = 0.50118723362; // -6 dB
    const double fadeGoal = fade == FadeMotion::TowardSubstitute ? 1.0 : 0.0;
    const double bypassGoal = bypassTarget.load(std::memory_order_relaxed);

    BiquadFilter& presence = *toneFilters[0];
    BiquadFilter& lowMid = *toneFilters[1];
    BiquadFilter& top = *toneFilters[2];
    BiquadFilter& bottom = *toneFilters[3];
    BiquadFilter& post1 = *hornPostFilters[0];
    BiquadFilter& post2 = *hornPostFilters[1];
    BiquadFilter& imageLeft = *antiImaging[0];
    BiquadFilter& imageRight = *antiImaging[1];
    BiquadFilter& drumFeed = *drumFeedFilter;
    BiquadFilter& cabinet = *cabinetFilter;
    BiquadFilter& colourL1 = *colourFilters[0];
    BiquadFilter& colourL2 = *colourFilters[1];
    BiquadFilter& colourR1 = *colourFilters[2];
    BiquadFilter& colourR2 = *colourFilters[3];
    std::array<BiquadFilter, 12>& hornChain = *hornVoicing;
    std::array<BiquadFilter, 8>& reflectionChain = *reflectionVoicing;
    HornRotor& horn1 = *hornPrimary[0];
    HornRotor& horn2 = *hornPrimary[1];
    HornRotor& hornS = *hornSecondary;
    DrumRotor& drumP = *drumPrimary;
    DrumRotor& drumS = *drumSecondary;
    EarlyReflections& room = *reflections;
    double* const drumL = lines.drum.data();
    double* const hornL = lines.horn.data();
    double* const cabinetL = lines.cabinet.data();
    double* const cur = current.data();
    const double* const goal = blockTarget.data();

    for (VstInt32 i = 0; i < frames; ++i) {
        const double inA = static_cast<double>(in0[i]);
        const double inB = static_cast<double>(in1[i]);

        if (fade != FadeMotion::Hold)
            fadeLevel = flush(fadeLevel + (fadeGoal - fadeLevel) * fadeCoefficient);
        bypassMix = flush(bypassMix + (bypassGoal - bypassMix) * fadeCoefficient);
        // At rest the mix is exactly its target, so a bypassed effect passes the input
        // bit for bit instead of creeping toward it forever.
        if (std::fabs(bypassGoal - bypassMix) < 1e-12)
            bypassMix = bypassGoal;

        // 1. Glides. Once a whole sample leaves every value where it was, the glide has
        // reached its fixed point and skipping it changes nothing until a target moves.
        if (!glidesSettled) {
            bool moved = false;
            for (int k = 0; k < kSmoothedCount; ++k) {
                const double before = cur[k];
                const double after = flush((goal[k] - before) * parameterCoefficient + before);
                moved |= after != before;
                cur[k] = after;
            }
            glidesSettled = !moved;
        }
        drive = flush((driveBlockTarget - drive) * driveCoefficient + drive);
        midiLevel = midiLevel + (0.0f - midiLevel) * static_cast<float>(slowCoefficient);

        // 2. Input, summed to mono.
        const double inputGain = cur[SmInputGain];
        double x = flush(flush((inA + inB) * 0.5) * inputGain);

        // 3. Drive.
        x = driveStage.process(blockDriveType, x, drive);

        // 4. Tone stack.
        x *= cur[SmPostDriveGain];
        x = presence.processGliding(x);
        x = lowMid.processGliding(x);
        x = top.processGliding(x);
        x = bottom.processGliding(x);

        // The dry substitute follows the input in every mode, so a fade always lands on the
        // present input rather than on whatever was there when the mode changed.
        dry.follow(inputGain, inA, inB);

        double left;
        double right;
        if (blockAmpOnly != 0) {
            // 5. Amplifier only: the rotor model and its clock stand still.
            left = (1.0 - fadeLevel) * x + fadeLevel * dry.left;
            right = (1.0 - fadeLevel) * x + fadeLevel * dry.right;
        } else {
            // 6. Decimation.
            const std::size_t pos = resampler.push(x);

            double L = 0.0;
            double R = 0.0;
            // 7. The model runs on every N-th host sample.
            if ((counter & factorMask) == 0) {
                const double xd = resampler.decimated(pos, x);

                // 8a-c. Drum and horn feeds, horn voicing.
                const double D = flush(drumFeed.process(xd) * cur[SmDrumInputGain]);
                const double h = flush(hornFeedCoefficient * hornFeedState + (xd - hornFeedPrevious));
                hornFeedState = h;
                hornFeedPrevious = xd;
                const double H = flush(h * cur[SmHornInputGain]);
                double Hd = H;
                for (BiquadFilter& f : hornChain)
                    Hd = f.processGlidingSaturating(Hd);
                double Hr = H;
                for (BiquadFilter& f : reflectionChain)
                    Hr = f.processGlidingSaturating(Hr);

                // 8d. Crosstalk reads.
                const std::int32_t w = lines.write;
                const double t1 = FeedbackLines::read(drumL, w, cur[SmDelay1]) * cur[SmGain1] *
                                  cur[SmDrumToTube];
                const double t2 = FeedbackLines::read(cabinetL, w, cur[SmDelay2]) * cur[SmBrToTube] *
                                  cur[SmGain2] * 4.0;
                const double t3 = FeedbackLines::read(hornL, w, cur[SmDelay3]) * cur[SmGain3] *
                                  cur[SmHornToDrum] * 0.25;
                const double t4 = FeedbackLines::read(cabinetL, w, cur[SmDelay4]) * cur[SmBrToDrum] *
                                  cur[SmGain4] * 4.0;
                const double t5 = FeedbackLines::read(hornL, w, cur[SmDelay5]) * cur[SmGain5] * 0.1575;

                // 8e. Rotors.
                const double dr = drumP.processPrimary(D);
                const double ds = drumP.lowOutput();
                const double dn = drumP.noiseSample();
                const double h1 = horn1.processPrimary(Hd);
                const double h2 = horn2.processPrimary(Hd);
                const double m1 = 0.5 * horn1.noiseSample();
                const double m2 = 0.5 * horn2.noiseSample();
                const double sd = flush(4.0 * drumS.processSecondary(D));
                const double sh = flush(4.0 * hornS.processSecondary(Hr));

                // 8f. Feedback-line writes.
                drumSmoother = flush((drumSmoother - sd) * drumSmootherCoefficient + sd);
                drumL[w] = drumSmoother;
                hornSmoother = flush((hornSmoother - sh) * hornSmootherCoefficient + sh);
                hornL[w] = hornSmoother;
                cabinetL[w] = cabinet.processGlidingSaturating(xd * 8.0) * cur[SmDrumInputGain] * 8.0;

                // 8g. Microphone sums before the room.
                const double hornLevel = cur[SmHornGain] * blockSetupLevel;
                const double mic2Level = hornLevel * cur[SmMic2Gain];
                double drum = flush(flush(t3 + t4 + dr + ds) * cur[SmDrumGain]);
                double hornA = flush(flush(0.5 * h1 + t1 + t2 + t5) * hornLevel);
                double hornB = flush(flush(0.5 * h2 + t1 + t2 + t5) * mic2Level);

                // 8h. Room send.
                const double gd = cur[SmNoiseDirect];
                const double gx = cur[SmNoiseCross];
                const double sendL =
                    flush(flush(hornB * cur[SmPan2Left] + hornA * cur[SmPan1Left]) + drum * cur[SmDrumPanLeft]) +
                    (gd * m1 + gx * m2 + dn) * blockNoiseSend;
                const double sendR =
                    flush(flush(hornB * cur[SmPan2Right] + hornA * cur[SmPan1Right]) + drum * cur[SmDrumPanRight]) +
                    (gd * m2 + gx * m1 + dn) * blockNoiseSend;

                // 8i. Early reflections and colour.
                double erL;
                double erR;
                room.setOutputGain(cur[SmReflectionGain]);
                room.processReflections(sendL, sendR, erL, erR);
                const double cL = colourL2.processGlidingSaturating(colourL1.processGlidingSaturating(erL));
                const double cR = colourR2.processGlidingSaturating(colourR1.processGlidingSaturating(erR));

                // 8j. Room returns.
                drum += (cL * drumP.attenuationScale() + dn) * cur[SmDrumGain];
                hornA += (cL * horn1.attenuationScale() + gd * m1 + gx * m2) * hornLevel;
                hornB += (cR * horn2.attenuationScale() + gd * m2 + gx * m1) * mic2Level;

                // 8k-l. Horn post high-pass, drum low-pass.
                const double p1 = post1.processGliding(hornA);
                const double p2 = post2.processGliding(hornB);
                const double a = cur[SmHornPostAmount];
                hornA = (1.0 - a) * hornA + a * p1;
                hornB = (1.0 - a) * hornB + a * p2;
                drumLowPassState = flush((drumLowPassState - drum) * drumLowPassCoefficient + drum);
                const double b = cur[SmDrumLowPassAmount];
                drum = (1.0 - b) * drum + b * drumLowPassState;

                // 8m-n. Advance the lines, microphone mix.
                lines.write = (w + 1) & FeedbackLines::kMask;
                L = flush(flush(hornB * cur[SmPan2Left] + hornA * cur[SmPan1Left]) + drum * cur[SmDrumPanLeft]) *
                    kMicMix;
                R = flush(flush(hornB * cur[SmPan2Right] + hornA * cur[SmPan1Right]) + drum * cur[SmDrumPanRight]) *
                    kMicMix;
            }

            // 9. Back to the host rate.
            double modelLeft;
            double modelRight;
            if (resampler.kernel == nullptr) {
                modelLeft = static_cast<float>(L);
                modelRight = static_cast<float>(R);
            } else {
                resampler.interpolate(pos, static_cast<float>(imageLeft.process(L) * factorGain),
                                      static_cast<float>(imageRight.process(R) * factorGain), modelLeft, modelRight);
            }

            // 11. Crossfade to the dry substitute while the engine rebuilds.
            left = (1.0 - fadeLevel) * modelLeft + fadeLevel * dry.left;
            right = (1.0 - fadeLevel) * modelRight + fadeLevel * dry.right;
            // Wraps after about 13 hours at 44.1 kHz; N divides 2^32, so the pattern holds.
            counter = static_cast<std::int32_t>(static_cast<std::uint32_t>(counter) + 1u);
        }

        // Bypass mix and store; the right side first, so a mono output keeps the left.
        if constexpr (std::is_same_v<Sample, float>) {
            left = static_cast<float>(left);
            right = static_cast<float>(right);
        }
        out1[i] = static_cast<Sample>((1.0 - bypassMix) * right + bypassMix * inB);
        out0[i] = static_cast<Sample>((1.0 - bypassMix) * left + bypassMix * inA);
    }
}

template void RotaryEffect::renderSamples<float>(const float*, const float*, float*, float*, VstInt32, FadeMotion);
template void RotaryEffect::renderSamples<double>(const double*, const double*, double*, double*, VstInt32,
                                                  FadeMotion);

} // namespace kestro
