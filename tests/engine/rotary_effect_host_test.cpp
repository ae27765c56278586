// The engine as a host reaches it: through the exported entry, the descriptor and the
// dispatcher of the built plug-in.

#include "params/parameter_indices.h"
#include "support/alloc_counter.h"
#include "support/test_host.h"

#include <gtest/gtest.h>

#include <thread>

#include <algorithm>
#include <cmath>
#include <limits>
#include <string>
#include <utility>
#include <vector>

namespace kestro::test {
namespace {

constexpr int kBlock = 512;

// An organ-like chord: a few harmonics of two notes.
double organSample(long n, double rate)
{
    double s = 0.0;
    for (int h = 1; h <= 6; ++h) {
        s += 0.08 / h * std::sin(2.0 * M_PI * 196.0 * h * static_cast<double>(n) / rate);
        s += 0.06 / h * std::sin(2.0 * M_PI * 293.66 * h * static_cast<double>(n) / rate);
    }
    return s;
}

template <typename Sample>
struct Render {
    ChannelBuffers<Sample> in{2, kBlock};
    ChannelBuffers<Sample> out{2, kBlock};
    long position = 0;

    void fill(double rate = 44100.0)
    {
        for (int i = 0; i < kBlock; ++i) {
            const double s = organSample(position++, rate);
            in[0][static_cast<std::size_t>(i)] = static_cast<Sample>(s);
            in[1][static_cast<std::size_t>(i)] = static_cast<Sample>(0.8 * s);
        }
    }
};

std::unique_ptr<TestHost> makeHost()
{
    auto host = std::make_unique<TestHost>();
    if (!host->create())
        return nullptr;
    host->prepare(44100.0f, kBlock);
    return host;
}

// Runs float blocks until the start-up rebuild has faded back in.
void settle(TestHost& host, Render<float>& r, int blocks = 40)
{
    for (int b = 0; b < blocks; ++b) {
        r.fill();
        host.processReplacing(r.in.pointers(), r.out.pointers(), kBlock);
    }
}

TEST(RotaryEffectHost, DisplaysTheProgramInForceAfterConstruction)
{
    auto host = makeHost();
    ASSERT_TRUE(host) << pluginLoadError();
    // HAccel holds the program value (0.395142, about 0.62 s), not the construction default.
    EXPECT_FLOAT_EQ(host->getParameter(kHornAccel), 0.395142f);
    EXPECT_EQ(host->dispatchText(effGetParamDisplay, kHornAccel), "617");
    EXPECT_EQ(host->dispatchText(effGetParamLabel, kHornAccel), "ms");
    EXPECT_EQ(host->dispatchText(effGetParamName, kHornAccel), "HAccel");
    EXPECT_EQ(host->dispatchText(effGetParamDisplay, kCpuMode), "LowCPU");
    EXPECT_EQ(host->dispatchText(effGetParamDisplay, kLever), "Chorale");
    EXPECT_EQ(host->dispatchText(effGetParamDisplay, kSetup), "FrontSide");
    EXPECT_EQ(host->dispatchText(effGetParamDisplay, kDrumLowPass), "Off");
    EXPECT_EQ(host->dispatchText(effGetParamLabel, kDrumLowPass), " ");
    EXPECT_EQ(host->dispatchText(effGetParamDisplay, kMidiChannel), "OMNI");

    host->setParameter(kLever, 0.5f);
    EXPECT_EQ(host->dispatchText(effGetParamDisplay, kLever), "50");
    host->setParameter(kType, 0.0f);
    EXPECT_EQ(host->dispatchText(effGetParamDisplay, kType), "Thru");
    // The horn high-pass shows the frequency it really runs at.
    host->setParameter(kHornHighPass, 1.0f);
    EXPECT_EQ(host->dispatchText(effGetParamDisplay, kHornHighPass), "1.00");
    EXPECT_EQ(host->dispatchText(effGetParamLabel, kHornHighPass), "kHz");

    VstParameterProperties p{};
    EXPECT_EQ(host->dispatch(effGetParameterProperties, kHornDistance, 0, &p), 1);
    EXPECT_STREQ(p.label, "HDistance");
    EXPECT_STREQ(p.shortLabel, "HDistan");
    EXPECT_EQ(p.flags, 4);
}

TEST(RotaryEffectHost, FactoryProgramsAreInstalledAndProgramZeroApplied)
{
    auto host = makeHost();
    ASSERT_TRUE(host) << pluginLoadError();
    const char* names[] = {"Default", "L'122", "L'147", "Old Rotary", "Relaxed", "Wobble", "Ramble", "Synchro",
                           "Swift", "Full Moon", "Light", "Lazy Horn", "Broken Horn Motor", "Mellow Drum",
                           "Static Drum", "Horn Mics", "Single Mic"};
    for (int slot = 0; slot < 32; ++slot) {
        const std::string expected = slot < 17 ? names[slot] : "Init";
        EXPECT_EQ(host->dispatchText(effGetProgramNameIndexed, slot), expected) << slot;
    }
    EXPECT_EQ(host->dispatchText(effGetProgramName), "Default");
    // The host parameters hold program "Default".
    EXPECT_FLOAT_EQ(host->getParameter(kHornDecel), 0.447158f);
    EXPECT_FLOAT_EQ(host->getParameter(kDrumAccel), 0.759256f);
    EXPECT_FLOAT_EQ(host->getParameter(kCpuMode), 0.0f);
}

TEST(RotaryEffectHost, ProcessesBothPrecisionsWithFiniteSoundingOutput)
{
    auto host = makeHost();
    ASSERT_TRUE(host) << pluginLoadError();
    Render<float> f;
    settle(*host, f);
    double energy = 0.0;
    for (int b = 0; b < 20; ++b) {
        f.fill();
        host->processReplacing(f.in.pointers(), f.out.pointers(), kBlock);
        for (int c = 0; c < 2; ++c)
            for (float s : f.out[c]) {
                ASSERT_TRUE(std::isfinite(s));
                energy += static_cast<double>(s) * s;
            }
    }
    EXPECT_GT(energy / (20.0 * kBlock), 1e-5);

    Render<double> d;
    energy = 0.0;
    for (int b = 0; b < 40; ++b) {
        d.fill();
        host->processDoubleReplacing(d.in.pointers(), d.out.pointers(), kBlock);
        for (int c = 0; c < 2; ++c)
            for (double s : d.out[c]) {
                ASSERT_TRUE(std::isfinite(s));
                energy += s * s;
            }
    }
    EXPECT_GT(energy / (40.0 * kBlock), 1e-5);
}

TEST(RotaryEffectHost, BypassAtRestPassesTheInputExactly)
{
    auto host = makeHost();
    ASSERT_TRUE(host) << pluginLoadError();
    Render<float> f;
    settle(*host, f);
    host->setParameter(kBypass, 1.0f);
    settle(*host, f, 60); // 0.7 s: the glide has long come to rest
    f.fill();
    host->processReplacing(f.in.pointers(), f.out.pointers(), kBlock);
    EXPECT_EQ(f.out[0], f.in[0]);
    EXPECT_EQ(f.out[1], f.in[1]);

    Render<double> d;
    for (int b = 0; b < 3; ++b) {
        d.fill();
        host->processDoubleReplacing(d.in.pointers(), d.out.pointers(), kBlock);
    }
    EXPECT_EQ(d.out[0], d.in[0]);
    EXPECT_EQ(d.out[1], d.in[1]);
}

TEST(RotaryEffectHost, MonoOutputWritesOnlyTheFirstBuffer)
{
    auto host = makeHost();
    ASSERT_TRUE(host) << pluginLoadError();
    host->setPinConnected(true, 1, false);
    Render<float> f;
    for (int b = 0; b < 30; ++b) {
        f.fill();
        std::fill(f.out[1].begin(), f.out[1].end(), 7.0f);
        host->processReplacing(f.in.pointers(), f.out.pointers(), kBlock);
        for (float s : f.out[1])
            ASSERT_EQ(s, 7.0f);
    }
    double energy = 0.0;
    for (float s : f.out[0])
        energy += static_cast<double>(s) * s;
    EXPECT_GT(energy, 0.0);

    // A second output pointer equal to the first is mono as well: one buffer, the left signal.
    std::vector<float> shared(kBlock, 0.0f);
    float* outputs[2] = {shared.data(), shared.data()};
    f.fill();
    host->processReplacing(f.in.pointers(), outputs, kBlock);
    for (float s : shared)
        ASSERT_TRUE(std::isfinite(s));
}

TEST(RotaryEffectHost, NonFiniteValuesAreIgnoredAndWildValuesStaySafe)
{
    auto host = makeHost();
    ASSERT_TRUE(host) << pluginLoadError();
    const float nan = std::numeric_limits<float>::quiet_NaN();
    const float inf = std::numeric_limits<float>::infinity();
    for (int index : {kBypass, kLever, kSetup, kDrive, kSize, kHornDistance, kHornHighPass, kDrumDistance,
                      kDrumLowPass}) {
        const float before = host->getParameter(index);
        host->setParameter(index, nan);
        host->setParameter(index, inf);
        host->setParameter(index, -inf);
        EXPECT_EQ(host->getParameter(index), before) << index;
    }

    // Finite values far outside 0..1 are read back as sent but sound exactly as the nearest
    // end of the range does (Setup and Size keep their own rule for a position out of range).
    auto inRange = makeHost();
    ASSERT_TRUE(inRange) << pluginLoadError();
    const std::pair<int, float> wild[] = {{kHornDistance, 1e30f}, {kSize, -7.0f}, {kDrumDistance, -1e6f},
                                          {kDrive, 1e3f}, {kInput, 50.0f}, {kHornHighPass, 40.0f},
                                          {kDrumLowPass, -3.0f}, {kCpuMode, 1e9f}, {kHornSlowSpeed, -5.0f},
                                          {kHornFastSpeed, 1e6f}, {kMidiChannel, 1e20f}, {kBottom, 3e38f},
                                          {kLoMid, 3e38f}, {kPresence, 3e38f}, {kTop, 3e38f},
                                          {kAmount, 3e38f}, {kHornGain, -3e38f}, {kDrumGain, 3e38f},
                                          {kBypass, -1e30f}, {kLever, 2.5f}};
    for (const auto& [index, value] : wild) {
        host->setParameter(index, value);
        inRange->setParameter(index, std::clamp(value, 0.0f, 1.0f));
    }
    EXPECT_EQ(host->getParameter(kHornDistance), 1e30f);
    Render<float> f, g;
    for (int b = 0; b < 60; ++b) {
        f.fill();
        g.fill();
        host->processReplacing(f.in.pointers(), f.out.pointers(), kBlock);
        inRange->processReplacing(g.in.pointers(), g.out.pointers(), kBlock);
        for (int c = 0; c < 2; ++c)
            ASSERT_EQ(f.out[c], g.out[c]) << "block " << b;
    }
    for (int c = 0; c < 2; ++c)
        for (float s : f.out[c])
            ASSERT_TRUE(std::isfinite(s));
}

TEST(RotaryEffectHost, ProcessingAllocatesNothingEvenWhileRebuilding)
{
    KESTRO_SKIP_WITHOUT_ALLOCATION_COUNTING();
    auto host = makeHost();
    ASSERT_TRUE(host) << pluginLoadError();
    Render<float> f;
    Render<double> d;
    VstMidiEvent cc{};
    cc.type = kVstMidiType;
    cc.byteSize = sizeof cc;
    cc.midiData[0] = static_cast<char>(0xB0);
    cc.midiData[1] = 1;
    cc.midiData[2] = 100;
    struct {
        VstInt32 numEvents;
        VstIntPtr reserved;
        VstEvent* events[1];
    } list{1, 0, {reinterpret_cast<VstEvent*>(&cc)}};

    // The test host records every call in vectors: one uncounted pass with the same
    // calls grows them, so the counted pass measures the plug-in alone. Requests are raised
    // outside the counted region (a host's own thread would raise them); everything the
    // audio thread then does, rebuilds and the Setup table included, is counted.
    auto pass = [&](bool counted) {
        host->setParameter(kDrumDistance, counted ? 0.3f : 0.6f);
        host->setParameter(kCpuMode, counted ? 1.0f : 0.0f);
        host->setParameter(kSetup, counted ? 0.4f : 0.6f);
        long count = 0;
        for (int b = 0; b < 80; ++b) {
            f.fill();
            d.fill();
            AllocationCounter counter;
            host->processReplacing(f.in.pointers(), f.out.pointers(), kBlock);
            host->processDoubleReplacing(d.in.pointers(), d.out.pointers(), kBlock);
            host->dispatch(effProcessEvents, 0, 0, &list);
            host->processReplacing(f.in.pointers(), f.out.pointers(), 0);
            count += counter.stop();
        }
        return count;
    };
    pass(false);
    pass(false);
    host->clearRecords();
    const long count = pass(true);
    EXPECT_EQ(count, 0);

    // A host's audio thread is often one the plug-in has never seen: nothing may be
    // allocated on its first touch either (per-thread storage of a dlopen'ed library is).
    pass(false);
    host->clearRecords();
    long freshThreadCount = -1;
    std::thread audio([&] { freshThreadCount = pass(true); });
    audio.join();
    EXPECT_EQ(freshThreadCount, 0);
}

} // namespace
} // namespace kestro::test
