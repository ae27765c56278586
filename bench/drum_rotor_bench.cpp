// Cost of the drum voices per model sample at 44100 Hz: the primary voice (six rays,
// splitter, motor noise) turning fast and slowly, and the secondary voice.

#include "dsp/drum_rotor.h"

#include <benchmark/benchmark.h>

#include <cmath>
#include <memory>
#include <vector>

namespace {

constexpr double kRate = 44100.0;
constexpr int kBlock = 4096;

void countSamples(benchmark::State& state) {
    state.counters["per_sample"] = benchmark::Counter(
        kBlock, benchmark::Counter::kIsIterationInvariantRate | benchmark::Counter::kInvert);
}

std::vector<double> bassLine() {
    std::vector<double> x(kBlock);
    for (int n = 0; n < kBlock; ++n) {
        const double t = n / kRate;
        x[static_cast<std::size_t>(n)] =
            0.4 * std::sin(2 * M_PI * 110.0 * t) + 0.2 * std::sin(2 * M_PI * 330.0 * t);
    }
    return x;
}

std::unique_ptr<kestro::DrumRotor> makeDrum(bool primary, double speedHz, bool wide = true, int factor = 1) {
    auto d = std::make_unique<kestro::DrumRotor>(primary);
    d->setWideLanes(wide); // four lanes where the processor has AVX2
    d->setFlip(1.0);
    d->setSlowSpeed(speedHz);
    d->setFastSpeed(speedHz);
    d->setAccelTime(3.0);
    d->setDecelTime(3.0);
    d->setLever(1.0);
    d->setDistance(1.0);
    d->setReflectionCoeff(0.25);
    d->setStaticFilterCutoff(800.0);
    d->setStaticRayWeight(0.5);
    d->setSplitterFrequency(150.0);
    d->setStaticLpGain(1.0);
    d->setMechLevel(0.5);
    for (int k = 0; k < kestro::DrumRotor::kRayWeights; ++k) d->setRayWeight(k, 0.7);
    // The rate comes last so that the rotor is already at its speed (a rate change snaps it).
    d->setSampleRate(kRate / factor, factor);
    d->reset();
    d->prepareFilters();
    d->rebuildGeometry();
    return d;
}

void drumPrimary(benchmark::State& state, double speedHz, bool wide = true, int factor = 1) {
    auto d = makeDrum(true, speedHz, wide, factor);
    const std::vector<double> x = bassLine();
    for (auto _ : state) {
        double sum = 0.0;
        for (int n = 0; n < kBlock; ++n) {
            sum += d->processPrimary(x[static_cast<std::size_t>(n)]);
            sum += d->lowOutput();
        }
        benchmark::DoNotOptimize(sum);
    }
    countSamples(state);
}

void BM_DrumPrimaryFast(benchmark::State& s) { drumPrimary(s, 5.8); }
void BM_DrumPrimarySlow(benchmark::State& s) { drumPrimary(s, 0.7); }
// The two-lane kernels every x86-64 processor runs.
void BM_DrumPrimaryFastTwoLanes(benchmark::State& s) { drumPrimary(s, 5.8, false); }
// Economy mode at 44.1 kHz: the model at 22050 Hz, direction filters updated every 8 samples.
void BM_DrumPrimaryFastEconomy(benchmark::State& s) { drumPrimary(s, 5.8, true, 2); }

void drumSecondary(benchmark::State& state, bool wide, int factor = 1) {
    auto d = makeDrum(false, 5.8, wide, factor);
    const std::vector<double> x = bassLine();
    for (auto _ : state) {
        double sum = 0.0;
        for (int n = 0; n < kBlock; ++n) sum += d->processSecondary(x[static_cast<std::size_t>(n)]);
        benchmark::DoNotOptimize(sum);
    }
    countSamples(state);
}

void BM_DrumSecondary(benchmark::State& s) { drumSecondary(s, true); }
void BM_DrumSecondaryTwoLanes(benchmark::State& s) { drumSecondary(s, false); }
void BM_DrumSecondaryEconomy(benchmark::State& s) { drumSecondary(s, true, 2); }

} // namespace

BENCHMARK(BM_DrumPrimaryFast);
BENCHMARK(BM_DrumPrimarySlow);
BENCHMARK(BM_DrumPrimaryFastTwoLanes);
BENCHMARK(BM_DrumPrimaryFastEconomy);
BENCHMARK(BM_DrumSecondary);
BENCHMARK(BM_DrumSecondaryTwoLanes);
BENCHMARK(BM_DrumSecondaryEconomy);
