// The engine's inner workings, on a RotaryEffect built directly: model-rate choice, the fade
// machine, bypass timing, amp-only mode, clicks during rebuilds, and whether it sounds like
// the cabinet it models (rotation rates in the output, acceleration time).

#include "dsp/biquad_filter.h"
#include "engine/rotary_effect.h"
#include "params/parameter_indices.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <memory>
#include <vector>

namespace kestro {
namespace {

VstIntPtr VSTCALLBACK quietHost(AEffect*, VstInt32 opcode, VstInt32, VstIntPtr, void*, float)
{
    return opcode == audioMasterVersion ? 2400 : 0;
}

class Engine {
public:
    explicit Engine(float rate = 44100.0f, int block = 512)
        : fx(std::make_unique<RotaryEffect>(quietHost)), block_(block), in_(2, std::vector<float>(block)),
          out_(2, std::vector<float>(block))
    {
        fx->setSampleRate(rate);
        fx->setBlockSize(block);
        rate_ = rate;
    }

    void start()
    {
        fx->resume();
    }

    // Renders frames of a tone (sum of sines) into `left`; returns the samples of out0.
    std::vector<float> run(long frames, const std::vector<double>& freqs, double amp = 0.2, int blockSize = 0)
    {
        const int b = blockSize > 0 ? blockSize : block_;
        for (auto& v : in_)
            v.resize(std::max(v.size(), static_cast<std::size_t>(b)));
        for (auto& v : out_)
            v.resize(std::max(v.size(), static_cast<std::size_t>(b)));
        std::vector<float> left;
        left.reserve(static_cast<std::size_t>(frames));
        long done = 0;
        while (done < frames) {
            const int n = static_cast<int>(std::min<long>(b, frames - done));
            for (int i = 0; i < n; ++i) {
                double s = 0.0;
                for (double f : freqs)
                    s += amp * std::sin(2.0 * M_PI * f * static_cast<double>(position_) / rate_);
                ++position_;
                in_[0][static_cast<std::size_t>(i)] = static_cast<float>(s);
                in_[1][static_cast<std::size_t>(i)] = static_cast<float>(s);
            }
            float* ins[2] = {in_[0].data(), in_[1].data()};
            float* outs[2] = {out_[0].data(), out_[1].data()};
            fx->processReplacing(ins, outs, n);
            left.insert(left.end(), out_[0].begin(), out_[0].begin() + n);
            lastRight.assign(out_[1].begin(), out_[1].begin() + n);
            lastLeft.assign(out_[0].begin(), out_[0].begin() + n);
            done += n;
        }
        return left;
    }

    // Processes until the rebuild fade is back at rest (or gives up).
    bool settle(const std::vector<double>& freqs = {330.0})
    {
        for (int i = 0; i < 400; ++i) {
            run(block_, freqs);
            if (fx->currentFadeState() == RotaryEffect::Running && fx->pendingTasks() == 0)
                return true;
        }
        return false;
    }

    std::unique_ptr<RotaryEffect> fx;
    std::vector<float> lastLeft;
    std::vector<float> lastRight;

private:
    int block_;
    double rate_ = 44100.0;
    long position_ = 0;
    std::vector<std::vector<float>> in_;
    std::vector<std::vector<float>> out_;
};

TEST(RotaryEngine, ModelRateFollowsHostRateAndCpuMode)
{
    struct Case {
        float rate;
        int economyN;
        int qualityN;
    };
    const Case cases[] = {{44100.0f, 2, 1}, {48000.0f, 2, 1}, {96000.0f, 4, 2}, {192000.0f, 8, 4}};
    for (int mode = 0; mode < 2; ++mode) {
        Engine e;
        e.fx->setParameter(kCpuMode, static_cast<float>(mode));
        for (const Case& c : cases) {
            e.fx->suspend();
            e.fx->setSampleRate(c.rate);
            e.start();
            ASSERT_TRUE(e.settle());
            const int n = mode == 0 ? c.economyN : c.qualityN;
            EXPECT_EQ(e.fx->resamplingFactor(), n) << c.rate << " mode " << mode;
            EXPECT_DOUBLE_EQ(e.fx->modelRate(), static_cast<double>(c.rate) / n);
            // The horn post high-pass runs inside the model step: it must be tuned for the
            // model rate, or its cutoff would fall by the factor and differ between modes.
            EXPECT_DOUBLE_EQ(e.fx->hornPostFilter(0).sampleRate(), e.fx->modelRate());
        }
        // 200 kHz keeps the factor chosen last; the model runs at the rate it is really fed.
        e.fx->suspend();
        e.fx->setSampleRate(200000.0f);
        e.start();
        ASSERT_TRUE(e.settle());
        const int kept = mode == 0 ? 8 : 4;
        EXPECT_EQ(e.fx->resamplingFactor(), kept);
        EXPECT_DOUBLE_EQ(e.fx->modelRate(), 200000.0 / kept);

        // Below any real audio rate (a fraction of a hertz, zero, negative) the model runs at
        // 8 kHz, and a full-scale chord stays a sound rather than a burst.
        for (float rate : {0.34f, 0.0f, -44100.0f}) {
            e.fx->suspend();
            e.fx->setSampleRate(rate);
            e.start();
            for (int b = 0; b < 100; ++b)
                for (float v : e.run(512, {330.0, 495.0, 660.0}, 0.33))
                    ASSERT_TRUE(std::isfinite(v) && std::fabs(v) < 4.0f) << rate << ": " << v;
            EXPECT_DOUBLE_EQ(e.fx->modelRate(), 8000.0 / e.fx->resamplingFactor()) << rate;
        }
    }
}

TEST(RotaryEngine, BypassGlidesWithTwentyMillisecondsAndNotAcrossSuspend)
{
    Engine e;
    e.start();
    ASSERT_TRUE(e.settle());
    e.fx->setParameter(kBypass, 1.0f);
    e.run(882, {330.0}, 0.2, 882); // 20 ms at 44.1 kHz
    const double c = 1.0 - std::exp(-1.0 / (44100.0 * static_cast<double>(0.02f)));
    EXPECT_NEAR(e.fx->currentBypassMix(), 1.0 - std::pow(1.0 - c, 882), 1e-9);
    EXPECT_NEAR(e.fx->currentBypassMix(), 1.0 - std::exp(-1.0), 1e-3);

    // Switched off while suspended: the first block after resume is fully wet at once.
    e.run(44100, {330.0});
    e.fx->suspend();
    e.fx->setParameter(kBypass, 0.0f);
    e.start();
    e.run(1, {330.0}, 0.2, 1);
    EXPECT_EQ(e.fx->currentBypassMix(), 0.0);

    // A host value far outside 0..1 still means "on": the mix settles at fully dry instead
    // of weighting the dry signal by millions. getParameter keeps what the host sent.
    e.fx->setParameter(kBypass, 1e30f);
    EXPECT_EQ(e.fx->getParameter(kBypass), 1e30f);
    e.run(44100, {330.0});
    EXPECT_NEAR(e.fx->currentBypassMix(), 1.0, 1e-9);
    e.fx->setParameter(kBypass, -1e30f);
    e.run(44100, {330.0});
    EXPECT_NEAR(e.fx->currentBypassMix(), 0.0, 1e-9);
}

TEST(RotaryEngine, FadeMachineMeetsItsThresholdsAndRunsOneTaskGroupPerCall)
{
    Engine e(44100.0f, 64);
    e.start();
    ASSERT_TRUE(e.settle());

    e.fx->setParameter(kDrumDistance, 0.7f); // a rebuild with several task groups
    ASSERT_EQ(e.fx->currentFadeState(), RotaryEffect::FadingOut);
    int state = RotaryEffect::FadingOut;
    int groups = 0;
    // Where the level stood after the block that ended each fade, had it not been snapped:
    // one 64-sample step of the 20 ms glide from the level before that block.
    const double keep = std::pow(std::exp(-1.0 / (44100.0 * static_cast<double>(0.02f))), 64.0);
    double previous = e.fx->currentFadeLevel();
    bool sawFadeOutEnd = false, sawFadeInEnd = false;
    for (int b = 0; b < 400 && !(state == RotaryEffect::Running && b > 0); ++b) {
        const unsigned before = e.fx->pendingTasks();
        e.run(64, {330.0}, 0.2, 64);
        const int now = e.fx->currentFadeState();
        const double level = e.fx->currentFadeLevel();
        if (state == RotaryEffect::FadingOut) {
            if (now == RotaryEffect::Rebuilding) {
                EXPECT_EQ(level, 1.0);
                // -30 dB left to go: the fade-out ends on the first block past it.
                EXPECT_GT(1.0 - (1.0 - previous) * keep, 0.96837722339);
                sawFadeOutEnd = true;
            } else {
                EXPECT_LE(level, 0.96837722339);
            }
        }
        if (state == RotaryEffect::Rebuilding && e.fx->pendingTasks() != before)
            ++groups;
        if (state == RotaryEffect::FadingIn) {
            if (now == RotaryEffect::Running) {
                EXPECT_EQ(level, 0.0);
                EXPECT_LT(previous * keep, 0.0316227766);
                sawFadeInEnd = true;
            } else {
                EXPECT_GE(level, 0.0316227766);
            }
        }
        state = now;
        previous = level;
    }
    EXPECT_TRUE(sawFadeOutEnd && sawFadeInEnd);
    EXPECT_EQ(state, RotaryEffect::Running);
    EXPECT_EQ(groups, 2); // voices (primary, secondary drum, secondary horn), then geometry

    // Zero-frame calls: a request during the rebuild restarts the fade-out, which is already
    // complete, so the next empty call goes on to rebuilding and the one after runs a group.
    e.fx->setParameter(kDrumDistance, 0.2f);
    for (int b = 0; b < 400 && e.fx->currentFadeState() != RotaryEffect::Rebuilding; ++b)
        e.run(64, {330.0}, 0.2, 64);
    ASSERT_EQ(e.fx->currentFadeState(), RotaryEffect::Rebuilding);
    e.fx->setParameter(kDrumMicAngle, 0.6f);
    ASSERT_EQ(e.fx->currentFadeState(), RotaryEffect::FadingOut);
    float* none[2] = {nullptr, nullptr};
    e.fx->processReplacing(none, none, 0);
    EXPECT_EQ(e.fx->currentFadeState(), RotaryEffect::Rebuilding);
    const unsigned before = e.fx->pendingTasks();
    ASSERT_NE(before, 0u);
    e.fx->processReplacing(none, none, 0);
    EXPECT_NE(e.fx->pendingTasks(), before);
    EXPECT_EQ(e.fx->pendingTasks() & before, e.fx->pendingTasks());
}

TEST(RotaryEngine, AmpOnlyGivesTheMonoPreampAndStopsTheModelClock)
{
    Engine e;
    e.start();
    ASSERT_TRUE(e.settle());
    e.fx->setParameter(kAmpOnly, 1.0f);
    e.run(4410, {330.0});
    const std::int32_t counter = e.fx->hostSampleCounter();
    e.run(4410, {330.0});
    EXPECT_EQ(e.fx->hostSampleCounter(), counter);
    ASSERT_FALSE(e.lastLeft.empty());
    EXPECT_EQ(e.lastLeft, e.lastRight);
    double energy = 0.0;
    for (float s : e.lastLeft)
        energy += static_cast<double>(s) * s;
    EXPECT_GT(energy, 1e-3);
}

double largestStep(const std::vector<float>& x, std::size_t from, std::size_t to)
{
    double m = 0.0;
    for (std::size_t i = std::max<std::size_t>(from, 1); i < to && i < x.size(); ++i)
        m = std::max(m, std::fabs(static_cast<double>(x[i]) - static_cast<double>(x[i - 1])));
    return m;
}

TEST(RotaryEngine, RebuildsDoNotClick)
{
    struct Change {
        int index;
        float value;
    };
    // Every parameter that raises a rebuild, moved to another sensible value.
    const Change changes[] = {{kCpuMode, 1.0f}, {kSetup, 0.4f}, {kHornDistance, 0.8f},
                              {kDrumDistance, 0.5f}, {kHornMic1Angle, 0.3f}, {kHornMic2Angle, 0.6f},
                              {kHornMic2Distance, 0.5f}, {kHornFmRadius, 0.5f}, {kHornFlip, 1.0f},
                              {kDrumMicAngle, 0.3f}, {kDrumFmRadius, 0.4f}, {kDrumAttenuation, 0.6f},
                              {kHornOpenBackMode, 1.0f}, {kDrumToTubeFeedback, 0.5f}, {kHornToDrumFeedback, 0.5f},
                              {kReserved79, 0.5f}, {kDrumFlip, 1.0f}, {kHornAttenuationDistance, 0.5f},
                              {kDrumAttenuationDistance, 0.5f}, {kHornAttDecayExp, 0.6f}, {kDrumAttDecayExp, 0.6f},
                              {kHornAmRadius, 0.5f}, {kDrumAmRadius, 0.5f}, {kRoomSize, 0.4f},
                              {kVirtualRoomSize, 0.6f}, {kRoomLrDelay, 0.5f}, {kRoomMainCutoff, 0.5f},
                              {kRoomXCutoff, 0.5f}};
    Engine e;
    e.start();
    ASSERT_TRUE(e.settle());
    const std::vector<double> tone = {220.0};
    for (const Change& c : changes) {
        const std::vector<float> steady = e.run(13230, tone); // 0.3 s
        const double before = largestStep(steady, 0, steady.size());
        e.fx->setParameter(c.index, c.value);
        std::vector<float> during;
        for (int b = 0; b < 200; ++b) {
            const std::vector<float> part = e.run(512, tone);
            during.insert(during.end(), part.begin(), part.end());
            if (e.fx->currentFadeState() == RotaryEffect::Running && e.fx->pendingTasks() == 0)
                break;
        }
        EXPECT_EQ(e.fx->currentFadeState(), RotaryEffect::Running) << c.index;
        EXPECT_LE(largestStep(during, 0, during.size()), 2.0 * before) << "index " << c.index;
    }
}

// Model-rate changes rebuild everything behind the dry substitute: a CPU-mode switch either
// way, and a sample-rate change through suspend and resume while the host keeps playing. A
// 440 Hz tone at 0.3, 512-frame blocks, default program: the largest step between output
// samples stays within twice that of the steady tone (a click from a substitute restarted
// at silence measured three times it).
TEST(RotaryEngine, ModelRateChangesDoNotClick)
{
    struct Change {
        const char* what;
        float cpuFrom, cpuTo;
        float rateFrom, rateTo;
    };
    const Change changes[] = {{"economy to brilliant", 0.0f, 1.0f, 44100.0f, 44100.0f},
                              {"brilliant to economy", 1.0f, 0.0f, 44100.0f, 44100.0f},
                              {"44.1 to 96 kHz", 0.0f, 0.0f, 44100.0f, 96000.0f},
                              {"96 to 48 kHz", 1.0f, 1.0f, 96000.0f, 48000.0f},
                              {"suspend and resume at 44.1 kHz", 1.0f, 1.0f, 44100.0f, 44100.0f}};
    for (const Change& c : changes) {
        SCOPED_TRACE(c.what);
        auto fx = std::make_unique<RotaryEffect>(quietHost);
        fx->setSampleRate(c.rateFrom);
        fx->setBlockSize(512);
        fx->setParameter(kCpuMode, c.cpuFrom);
        fx->resume();
        double rate = c.rateFrom;
        double phase = 0.0;
        std::vector<float> in(512), out0(512), out1(512);
        auto run = [&](double seconds) {
            std::vector<float> y;
            const long frames = std::lround(seconds * rate);
            for (long done = 0; done < frames; done += 512) {
                for (float& v : in) {
                    v = static_cast<float>(0.3 * std::sin(phase));
                    phase = std::fmod(phase + 2.0 * M_PI * 440.0 / rate, 2.0 * M_PI);
                }
                float* ins[2] = {in.data(), in.data()};
                float* outs[2] = {out0.data(), out1.data()};
                fx->processReplacing(ins, outs, 512);
                y.insert(y.end(), out0.begin(), out0.end());
            }
            return y;
        };
        run(2.5);
        const std::vector<float> steadyBefore = run(0.5);
        if (c.rateFrom != c.rateTo || c.cpuFrom == c.cpuTo) {
            fx->suspend();
            fx->setSampleRate(c.rateTo);
            rate = c.rateTo;
            fx->resume();
        }
        fx->setParameter(kCpuMode, c.cpuTo);
        const std::vector<float> during = run(0.5);
        const std::vector<float> steadyAfter = run(0.5);
        ASSERT_EQ(fx->currentFadeState(), RotaryEffect::Running);
        const double steady = std::max(largestStep(steadyBefore, 0, steadyBefore.size()),
                                       largestStep(steadyAfter, 0, steadyAfter.size()));
        ASSERT_GT(steady, 0.005);
        EXPECT_LE(largestStep(during, 0, during.size()), 2.0 * steady);
    }
}

// A host sends 1 % as 0.0099999998, which is below the 0.01 where the horn high-pass starts:
// the engine must sound exactly as with the filter off.
TEST(RotaryEngine, HornHighPassAtTheHostsOnePercentIsOff)
{
    Engine off, onePercent;
    off.fx->setParameter(kHornHighPass, 0.0f);
    onePercent.fx->setParameter(kHornHighPass, 0.01f);
    for (Engine* e : {&off, &onePercent}) {
        e->start();
        ASSERT_TRUE(e->settle());
    }
    EXPECT_EQ(off.run(22050, {330.0}), onePercent.run(22050, {330.0}));
}

// Rate of the amplitude modulation of one band of the output: band-pass, power envelope at
// 100 Hz, then the strongest component between lo and hi Hz of a fine Hann-windowed scan.
double modulationRate(const std::vector<float>& x, double rate, double centre, double lo, double hi)
{
    BiquadFilter band;
    band.init(rate, BiquadFilter::BandPass, centre, 2.0, 0.0);
    band.setEnabled(true);
    const int hop = static_cast<int>(rate / 100.0);
    std::vector<double> env;
    double acc = 0.0;
    int k = 0;
    for (float s : x) {
        const double y = band.process(static_cast<double>(s));
        acc += y * y;
        if (++k == hop) {
            env.push_back(acc / hop);
            acc = 0.0;
            k = 0;
        }
    }
    double mean = 0.0;
    for (double v : env)
        mean += v;
    mean /= static_cast<double>(env.size());
    const double n = static_cast<double>(env.size());
    double best = 0.0;
    double bestF = 0.0;
    for (double f = lo; f <= hi; f += 0.002) {
        double re = 0.0;
        double im = 0.0;
        for (std::size_t i = 0; i < env.size(); ++i) {
            const double w = 0.5 - 0.5 * std::cos(2.0 * M_PI * static_cast<double>(i) / (n - 1.0));
            const double v = (env[i] - mean) * w;
            const double ph = 2.0 * M_PI * f * static_cast<double>(i) / 100.0;
            re += v * std::cos(ph);
            im -= v * std::sin(ph);
        }
        const double p = re * re + im * im;
        if (p > best) {
            best = p;
            bestF = f;
        }
    }
    return bestF;
}

TEST(RotaryEngine, SoundsLikeTheRotorsItModels)
{
    Engine e;
    // Lever to fast before the start-up rebuild, which puts the rotors at their target speed.
    e.fx->setParameter(kLever, 1.0f);
    e.start();
    ASSERT_TRUE(e.settle({150.0, 3000.0}));
    const double rate = 44100.0;
    std::vector<float> fast = e.run(6 * 44100, {150.0, 3000.0});
    EXPECT_NEAR(modulationRate(fast, rate, 3000.0, 3.0, 10.0), 6.77088, 0.03 * 6.77088);
    EXPECT_NEAR(modulationRate(fast, rate, 150.0, 3.0, 10.0), 6.5282, 0.03 * 6.5282);

    // Lever to slow; a suspend and resume lets the rotors settle at once.
    e.fx->setParameter(kLever, 0.0f);
    e.fx->suspend();
    e.start();
    ASSERT_TRUE(e.settle({150.0, 3000.0}));
    std::vector<float> slow = e.run(12 * 44100, {150.0, 3000.0});
    EXPECT_NEAR(modulationRate(slow, rate, 3000.0, 0.3, 2.0), 0.673, 0.03 * 0.673);
    EXPECT_NEAR(modulationRate(slow, rate, 150.0, 0.3, 2.0), 0.931, 0.03 * 0.931);
}

TEST(RotaryEngine, HornReachesNinetyPercentOfFastSpeedAtItsRiseTime)
{
    Engine e(44100.0f, 441);
    e.start();
    ASSERT_TRUE(e.settle());
    const double fastHz = 10.0 * static_cast<double>(0.677088f);
    const double riseTime = 0.1 * std::pow(100.0, static_cast<double>(0.395142f));
    ASSERT_LT(e.fx->hornVoice(0).speedHz(), 0.2 * fastHz);
    e.fx->setParameter(kLever, 1.0f);
    const long early = std::lround(0.9 * riseTime * 44100.0);
    const long late = std::lround(1.15 * riseTime * 44100.0);
    e.run(early, {330.0}, 0.2, 441);
    EXPECT_LT(e.fx->hornVoice(0).speedHz(), 0.9 * fastHz);
    e.run(late - early, {330.0}, 0.2, 441);
    EXPECT_GT(e.fx->hornVoice(0).speedHz(), 0.9 * fastHz);
}

TEST(RotaryEngine, GlobalParametersReachEveryProgramAndLeverReleasesTheBrake)
{
    Engine e;
    e.fx->setParameter(kStop, 1.0f);
    EXPECT_EQ(e.fx->hornVoice(0).motion().state(), RotorMotion::Stopped);
    e.fx->setParameter(kLever, 0.7f);
    EXPECT_EQ(e.fx->getParameter(kStop), 0.0f);
    EXPECT_NE(e.fx->hornVoice(0).motion().state(), RotorMotion::Stopped);
    char name[64];
    for (int slot : {0, 5, 31}) {
        e.fx->selectProgram(slot);
        EXPECT_FLOAT_EQ(e.fx->getParameter(kLever), 0.7f) << slot;
        EXPECT_FLOAT_EQ(e.fx->getParameter(kStop), 0.0f) << slot;
        EXPECT_TRUE(e.fx->getProgramNameIndexed(0, slot, name));
    }
    // Applying a program is no lever movement: the brake survives a program change and the
    // host's save and restore of the chunk.
    e.fx->setParameter(kStop, 1.0f);
    e.fx->selectProgram(7);
    EXPECT_EQ(e.fx->getParameter(kStop), 1.0f);
    void* data = nullptr;
    const VstInt32 size = e.fx->getChunk(&data, false);
    const std::vector<char> saved(static_cast<char*>(data), static_cast<char*>(data) + size);
    e.fx->setParameter(kStop, 0.0f);
    EXPECT_EQ(e.fx->setChunk(const_cast<char*>(saved.data()), size, false), 0);
    EXPECT_EQ(e.fx->getParameter(kStop), 1.0f);
    EXPECT_EQ(e.fx->hornVoice(0).motion().state(), RotorMotion::Stopped);
    e.fx->setParameter(kStop, 0.0f);

    // A program's own value does follow a program change.
    e.fx->selectProgram(2);
    EXPECT_FLOAT_EQ(e.fx->getParameter(kHornDistance), 0.2f);
    e.fx->selectProgram(1);
    EXPECT_FLOAT_EQ(e.fx->getParameter(kHornDistance), 0.5f);
}

TEST(RotaryEngine, ModulationWheelMovesTheLeverAndItsIndicatorGlidesBack)
{
    Engine e;
    e.start();
    ASSERT_TRUE(e.settle());
    VstMidiEvent cc{};
    cc.type = kVstMidiType;
    cc.byteSize = sizeof cc;
    cc.midiData[0] = static_cast<char>(0xB0);
    cc.midiData[1] = 1;
    cc.midiData[2] = 127;
    struct {
        VstInt32 numEvents;
        VstIntPtr reserved;
        VstEvent* events[1];
    } list{1, 0, {reinterpret_cast<VstEvent*>(&cc)}};
    EXPECT_EQ(e.fx->processEvents(reinterpret_cast<VstEvents*>(&list)), 1);
    EXPECT_GT(e.fx->getParameter(kLever), 0.9f);
    // Half a second is one time constant of the indicator's glide.
    e.run(22050, {330.0}, 0.2, 441);
    EXPECT_NEAR(e.fx->midiActivity(), std::exp(-1.0), 0.02);
}

} // namespace
} // namespace kestro
