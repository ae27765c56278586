// Cost of the horn voices per model sample at 44100 Hz: a primary voice (the engine runs
// two, the hot spot of the whole model) turning fast, turning slowly and stopped, and the
// secondary voice. The input is a steady organ-like chord.

#include "dsp/horn_rotor.h"

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

std::vector<double> chord() {
    std::vector<double> x(kBlock);
    for (int n = 0; n < kBlock; ++n) {
        const double t = n / kRate;
        x[static_cast<std::size_t>(n)] =
            0.3 * std::sin(2 * M_PI * 220.0 * t) + 0.2 * std::sin(2 * M_PI * 440.0 * t) +
            0.1 * std::sin(2 * M_PI * 1318.5 * t);
    }
    return x;
}

// Roughly the voicing the engine gives its horn voices by default.
std::unique_ptr<kestro::HornRotor> makeHorn(int cascadeFlag, double speedHz, bool wide = true, int factor = 1) {
    auto h = std::make_unique<kestro::HornRotor>(cascadeFlag, 0);
    h->setWideLanes(wide); // four lanes where the processor has AVX2
    h->setFlip(1.0);
    h->setSlowSpeed(speedHz);
    h->setFastSpeed(speedHz);
    h->setAccelTime(1.0);
    h->setDecelTime(1.0);
    h->setLever(1.0);
    h->setDistance(1.0);
    h->setMicAngle(0.19);
    h->setReflectionCoeff(0.25);
    h->setStaticFilterCutoff(2000.0);
    h->setStaticRayWeight(0.2);
    h->setAmplitudeClip(0.8);
    h->setMechLevel(0.5);
    for (int k = 0; k < kestro::HornRotor::kRayWeights; ++k) h->setRayWeight(k, 0.7);
    // The rate comes last so that the rotor is already at its speed (a rate change snaps it).
    h->setSampleRate(kRate / factor, factor);
    h->reset();
    h->prepareFilters();
    h->rebuildGeometry();
    return h;
}

void hornPrimary(benchmark::State& state, double speedHz, bool wide = true, int factor = 1) {
    auto h = makeHorn(1, speedHz, wide, factor);
    const std::vector<double> x = chord();
    for (int n = 0; n < kBlock; ++n) benchmark::DoNotOptimize(h->processPrimary(x[static_cast<std::size_t>(n)]));
    for (auto _ : state) {
        double sum = 0.0;
        for (int n = 0; n < kBlock; ++n) sum += h->processPrimary(x[static_cast<std::size_t>(n)]);
        benchmark::DoNotOptimize(sum);
    }
    countSamples(state);
}

void BM_HornPrimaryFast(benchmark::State& s) { hornPrimary(s, 6.7); }
void BM_HornPrimarySlow(benchmark::State& s) { hornPrimary(s, 0.8); }
void BM_HornPrimaryStopped(benchmark::State& s) { hornPrimary(s, 0.0); }
// The two-lane kernels every x86-64 processor runs.
void BM_HornPrimaryFastTwoLanes(benchmark::State& s) { hornPrimary(s, 6.7, false); }
// Economy mode at 44.1 kHz: the model at 22050 Hz, beam filters updated every 8 samples.
void BM_HornPrimaryFastEconomy(benchmark::State& s) { hornPrimary(s, 6.7, true, 2); }

void hornSecondary(benchmark::State& state, bool wide, int factor = 1) {
    auto h = makeHorn(0, 6.7, wide, factor);
    const std::vector<double> x = chord();
    for (auto _ : state) {
        double sum = 0.0;
        for (int n = 0; n < kBlock; ++n) sum += h->processSecondary(x[static_cast<std::size_t>(n)]);
        benchmark::DoNotOptimize(sum);
    }
    countSamples(state);
}

void BM_HornSecondary(benchmark::State& s) { hornSecondary(s, true); }
void BM_HornSecondaryTwoLanes(benchmark::State& s) { hornSecondary(s, false); }
void BM_HornSecondaryEconomy(benchmark::State& s) { hornSecondary(s, true, 2); }

} // namespace

BENCHMARK(BM_HornPrimaryFast);
BENCHMARK(BM_HornPrimarySlow);
BENCHMARK(BM_HornPrimaryStopped);
BENCHMARK(BM_HornPrimaryFastTwoLanes);
BENCHMARK(BM_HornPrimaryFastEconomy);
BENCHMARK(BM_HornSecondary);
BENCHMARK(BM_HornSecondaryTwoLanes);
BENCHMARK(BM_HornSecondaryEconomy);
