// The whole engine: 60 s of an organ-like demo signal with a slow -> fast -> slow lever
// sequence through one plug-in instance, the start-up rebuild and a parameter rebuild
// included. Reports CPU seconds per second of audio and the slowest block as a fraction of
// the time that block represents.
//
// Targets (one core, 512-frame blocks, 44.1 kHz): economy at most 0.03 CPU s per s,
// high quality at most 0.06; economy at 96 kHz at most 1.3 times its 44.1 kHz cost;
// no block, rebuilds included, above 0.5 of its duration at 64-frame blocks.

#include "engine/rotary_effect.h"
#include "params/parameter_indices.h"

#include <benchmark/benchmark.h>
#include <malloc.h>
#include <time.h>

#include <algorithm>
#include <cmath>
#include <memory>
#include <vector>

namespace {

using kestro::RotaryEffect;

// The machine may be shared: time the calling thread's CPU, not the wall clock.
double threadSeconds()
{
    timespec ts{};
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &ts);
    return static_cast<double>(ts.tv_sec) + 1e-9 * static_cast<double>(ts.tv_nsec);
}

VstIntPtr VSTCALLBACK benchHost(AEffect*, VstInt32 opcode, VstInt32, VstIntPtr, void*, float)
{
    return opcode == audioMasterVersion ? 2400 : 0;
}

// Drawbar-organ chord with a little key click of harmonics; deterministic.
struct DemoSignal {
    double rate;
    long n = 0;
    float next()
    {
        static constexpr double kNotes[3] = {261.63, 329.63, 392.0};
        static constexpr double kDrawbars[6] = {1.0, 0.8, 0.6, 0.4, 0.25, 0.15};
        static constexpr int kHarmonic[6] = {1, 2, 3, 4, 6, 8};
        const double t = static_cast<double>(n++) / rate;
        double s = 0.0;
        for (double f : kNotes)
            for (int h = 0; h < 6; ++h)
                s += kDrawbars[h] * std::sin(2.0 * M_PI * f * kHarmonic[h] * t);
        return static_cast<float>(0.03 * s);
    }
};

void renderDemo(benchmark::State& state)
{
    const double rate = static_cast<double>(state.range(0));
    const int cpuMode = static_cast<int>(state.range(1));
    const int block = static_cast<int>(state.range(2));
    constexpr double kSeconds = 60.0;
    const long frames = static_cast<long>(kSeconds * rate);

    // The signal is computed once, outside the measured work.
    std::vector<float> signal(static_cast<std::size_t>(frames));
    DemoSignal demo{rate};
    for (float& s : signal)
        s = demo.next();
    std::vector<float> outL(static_cast<std::size_t>(block)), outR(static_cast<std::size_t>(block));

    double worstFraction = 0.0;
    double worstRebuildFraction = 0.0;
    double p999Fraction = 0.0;
    double cpuPerSecond = 0.0;
    std::vector<double> fractions;
    fractions.reserve(static_cast<std::size_t>(frames / block + 1));
    for (auto _ : state) {
        auto fx = std::make_unique<RotaryEffect>(benchHost);
        fx->setParameter(kestro::kCpuMode, static_cast<float>(cpuMode));
        fx->setSampleRate(static_cast<float>(rate));
        fx->setBlockSize(block);
        fx->resume();
        const double blockSeconds = block / rate;
        double total = 0.0;
        for (long pos = 0; pos + block <= frames; pos += block) {
            const double t = static_cast<double>(pos) / rate;
            if (t >= 10.0 && t - blockSeconds < 10.0) fx->setParameter(kestro::kLever, 1.0f);
            if (t >= 30.0 && t - blockSeconds < 30.0) fx->setParameter(kestro::kDrumDistance, 0.3f); // a rebuild
            if (t >= 40.0 && t - blockSeconds < 40.0) fx->setParameter(kestro::kLever, 0.0f);
            float* in[2] = {signal.data() + pos, signal.data() + pos};
            float* out[2] = {outL.data(), outR.data()};
            const bool rebuilding = fx->currentFadeState() != RotaryEffect::Running;
            const double start = threadSeconds();
            fx->processReplacing(in, out, block);
            const double spent = threadSeconds() - start;
            total += spent;
            worstFraction = std::max(worstFraction, spent / blockSeconds);
            if (rebuilding)
                worstRebuildFraction = std::max(worstRebuildFraction, spent / blockSeconds);
            fractions.push_back(spent / blockSeconds);
            benchmark::DoNotOptimize(outL.data());
        }
        cpuPerSecond = total / kSeconds;
        std::sort(fractions.begin(), fractions.end());
        p999Fraction = fractions[static_cast<std::size_t>(0.999 * static_cast<double>(fractions.size() - 1))];
        state.SetIterationTime(total);
    }
    state.counters["cpu_s_per_s"] = cpuPerSecond;
    // On a shared machine single blocks are sometimes charged for the neighbours' cache
    // traffic; the 99.9th percentile and the rebuild blocks show what the engine itself does.
    state.counters["worst_block_fraction"] = worstFraction;
    state.counters["worst_rebuild_block_fraction"] = worstRebuildFraction;
    state.counters["p999_block_fraction"] = p999Fraction;
}

BENCHMARK(renderDemo)
    ->ArgNames({"rate", "cpu", "block"})
    ->ArgsProduct({{44100, 96000}, {0, 1}, {512, 64}})
    ->UseManualTime()
    ->Iterations(1)
    ->Unit(benchmark::kMillisecond);

// Memory one instance holds of its own: heap bytes allocated during construction plus the
// object itself (the shared motor-noise tables are constant data and not counted).
void instanceMemory(benchmark::State& state)
{
    double held = 0.0;
    for (auto _ : state) {
        const std::size_t before = mallinfo2().uordblks;
        auto fx = std::make_unique<RotaryEffect>(benchHost);
        held = static_cast<double>(mallinfo2().uordblks - before);
        benchmark::DoNotOptimize(fx.get());
    }
    state.counters["object_bytes"] = static_cast<double>(sizeof(RotaryEffect));
    state.counters["heap_bytes_incl_object"] = held;
}
BENCHMARK(instanceMemory)->Iterations(1);

} // namespace
