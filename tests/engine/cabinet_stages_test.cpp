// What single stages of the cabinet path must do, each measured at the engine's outputs
// against an expectation derived without the engine's own formulas: the tone stack's bands
// against the analog peaking-filter prototype, and the room returns of the two horn
// microphones by which side of the room they hear.

#include "engine/rotary_effect.h"
#include "tests/dsp/rotor_test_signals.h"
#include "params/parameter_table.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <complex>
#include <memory>
#include <vector>

namespace kestro {
namespace {

constexpr double kRate = 44100.0;
constexpr int kBlock = 512;

VstIntPtr VSTCALLBACK quietHost(AEffect*, VstInt32 opcode, VstInt32, VstIntPtr, void*, float)
{
    return opcode == audioMasterVersion ? 2400 : 0;
}

struct Setting {
    int index;
    float value;
};

// A started engine with the given settings, settled through its start-up rebuild.
std::unique_ptr<RotaryEffect> startedEngine(const std::vector<Setting>& settings)
{
    auto fx = std::make_unique<RotaryEffect>(quietHost);
    fx->setSampleRate(static_cast<float>(kRate));
    fx->setBlockSize(kBlock);
    fx->resume();
    // After the resume, so the Setup task of the start-up rebuild cannot override them.
    std::vector<double> in(kBlock, 0.0), out0(kBlock), out1(kBlock);
    double* ins[2] = {in.data(), in.data()};
    double* outs[2] = {out0.data(), out1.data()};
    for (int b = 0; b < 400 && !(fx->currentFadeState() == RotaryEffect::Running && fx->pendingTasks() == 0); ++b)
        fx->processDoubleReplacing(ins, outs, kBlock);
    for (const Setting& s : settings)
        fx->setParameter(s.index, s.value);
    // Any rebuild, then the 30 ms glides of what needs none, in silence.
    for (int b = 0; b < 400 && !(fx->currentFadeState() == RotaryEffect::Running && fx->pendingTasks() == 0); ++b)
        fx->processDoubleReplacing(ins, outs, kBlock);
    for (int b = 0; b < 20; ++b)
        fx->processDoubleReplacing(ins, outs, kBlock);
    return fx;
}

// Renders `frames` of the signal gen(n) into both inputs; returns both outputs.
template <typename Gen>
std::pair<std::vector<double>, std::vector<double>> render(RotaryEffect& fx, long frames, Gen gen)
{
    std::vector<double> in(kBlock), out0(kBlock), out1(kBlock), left, right;
    for (long done = 0; done < frames;) {
        const int m = static_cast<int>(std::min<long>(kBlock, frames - done));
        for (int i = 0; i < m; ++i)
            in[static_cast<std::size_t>(i)] = gen(done + i);
        double* ins[2] = {in.data(), in.data()};
        double* outs[2] = {out0.data(), out1.data()};
        fx.processDoubleReplacing(ins, outs, m);
        left.insert(left.end(), out0.begin(), out0.begin() + m);
        right.insert(right.end(), out1.begin(), out1.begin() + m);
        done += m;
    }
    return {left, right};
}

// The analog peaking prototype (s^2 + s A/Q + 1) / (s^2 + s / (A Q) + 1), A = 10^(dB/40), in dB.
double peakingPrototypeDb(double f, double f0, double q, double gainDb)
{
    const double a = std::pow(10.0, gainDb / 40.0);
    const std::complex<double> s(0.0, f / f0);
    return 20.0 * std::log10(std::abs((s * s + s * (a / q) + 1.0) / (s * s + s / (a * q) + 1.0)));
}

// The preamp alone (amplifier-only mode, no drive): how much a tone control moves a 100 Hz
// and a 5 kHz tone against the neutral setting.
double toneChangeDb(int control, float value, double f)
{
    auto measure = [f](int index, float v) {
        auto fx = startedEngine({{kAmpOnly, 1.0f}, {kType, 0.0f}, {index, v}});
        const auto [left, right] =
            render(*fx, static_cast<long>(0.5 * kRate), [f](long n) { return 0.1 * std::sin(2.0 * M_PI * f * n / kRate); });
        return test::amplitudeAt(left, static_cast<std::size_t>(0.2 * kRate), f, kRate);
    };
    return 20.0 * std::log10(measure(control, value) / measure(control, 0.5f));
}

TEST(CabinetStages, BottomMovesTheBassAndTopTheTrebleEachLeavingTheOtherEnd)
{
    // Control at 1.0 is +12 dB, at 0.0 -12 dB; the stack applies three quarters of it.
    struct Band {
        int control;
        float value;
        double f0, q, gainDb;
    };
    const Band bands[] = {{kBottom, 1.0f, 80.0, 1.0, 9.0}, {kTop, 0.0f, 4500.0, 0.35, -9.0}};
    for (const Band& b : bands) {
        for (double f : {100.0, 5000.0}) {
            SCOPED_TRACE(testing::Message() << "control " << b.control << " at " << f << " Hz");
            const double expected = peakingPrototypeDb(f, b.f0, b.q, b.gainDb);
            EXPECT_NEAR(toneChangeDb(b.control, b.value, f), expected, 0.35);
        }
    }
    // The expectations themselves keep the bands apart: each moves its own end by several dB
    // and the other end by well under one.
    EXPECT_GT(peakingPrototypeDb(100.0, 80.0, 1.0, 9.0), 7.0);
    EXPECT_LT(std::fabs(peakingPrototypeDb(5000.0, 80.0, 1.0, 9.0)), 0.1);
    EXPECT_LT(peakingPrototypeDb(5000.0, 4500.0, 0.35, -9.0), -7.0);
    EXPECT_LT(std::fabs(peakingPrototypeDb(100.0, 4500.0, 0.35, -9.0)), 0.5);
}

// The room's contribution to each output: the same engine with the room on, minus with it
// off (the rotors do not depend on the room, so everything else cancels exactly).
std::pair<std::vector<double>, std::vector<double>> roomContribution(std::vector<Setting> settings)
{
    auto tone = [](long n) {
        const double t = static_cast<double>(n) / kRate;
        return 0.2 * std::sin(2.0 * M_PI * 440.0 * t) + 0.1 * std::sin(2.0 * M_PI * 1875.0 * t);
    };
    settings.push_back({kMech, 0.0f}); // no motor noise: its room send follows the amount too
    settings.push_back({kDrumGain, 0.0f});
    settings.push_back({kAmount, 0.0f});
    auto dry = startedEngine(settings);
    settings.back().value = 0.9f;
    auto wet = startedEngine(settings);
    const long frames = static_cast<long>(0.8 * kRate);
    auto [dl, dr] = render(*dry, frames, tone);
    auto [wl, wr] = render(*wet, frames, tone);
    for (std::size_t i = 0; i < wl.size(); ++i) {
        wl[i] -= dl[i];
        wr[i] -= dr[i];
    }
    return {wl, wr};
}

double energy(const std::vector<double>& y)
{
    double e = 0.0;
    for (double v : y)
        e += v * v;
    return e;
}

TEST(CabinetStages, EachHornMicrophoneHearsItsOwnSideOfTheRoom)
{
    // Microphone 2 silent: the room is fed only from where microphone 1 is panned, and
    // microphone 1's return is the left room. Panned left it hears the room...
    const auto [leftPanned, unusedRight] = roomContribution({{kHornMic1Pan, 0.0f}, {kHornMic2Gain, 0.0f}});
    EXPECT_GT(energy(leftPanned), 1e-4);
    // ...panned right it feeds only the right room, which it does not hear.
    const auto [l, r] = roomContribution({{kHornMic1Pan, 1.0f}, {kHornMic2Gain, 0.0f}});
    EXPECT_LT(energy(l) + energy(r), 1e-6 * energy(leftPanned)); // what is left of the pan glide

    // Both microphones on, panned apart: the two returns are different rooms, not one
    // signal at two levels.
    const auto [a, b] = roomContribution({{kHornMic1Pan, 0.0f}, {kHornMic2Pan, 1.0f}, {kHornMic2Gain, 0.6f}});
    double ab = 0.0;
    for (std::size_t i = 0; i < a.size(); ++i)
        ab += a[i] * b[i];
    ASSERT_GT(energy(a), 1e-4);
    ASSERT_GT(energy(b), 1e-4);
    EXPECT_LT(std::fabs(ab) / std::sqrt(energy(a) * energy(b)), 0.8);
}

} // namespace
} // namespace kestro
