// Cost of the room per model sample (44100 Hz model rate), and of laying out the taps.

#include "engine/early_reflections.h"

#include <benchmark/benchmark.h>

#include <memory>
#include <random>
#include <vector>

namespace {

constexpr int kBlock = 4096;

void BM_EarlyReflectionsProcess(benchmark::State& state) {
    auto er = std::make_unique<kestro::EarlyReflections>();
    er->computeReflections(1.0, 1.0, 0.15, 2000.0, 44100.0);
    er->setOutputGain(0.8);
    std::vector<double> in(2 * kBlock);
    std::mt19937 rng(2);
    std::uniform_real_distribution<double> d(-1.0, 1.0);
    for (double& x : in) x = d(rng);
    for (auto _ : state) {
        double sum = 0.0;
        for (int i = 0; i < kBlock; ++i) {
            double l = 0.0, r = 0.0;
            er->processReflections(in[static_cast<std::size_t>(2 * i)], in[static_cast<std::size_t>(2 * i + 1)], l, r);
            sum += l + r;
        }
        benchmark::DoNotOptimize(sum);
    }
    state.counters["per_sample"] = benchmark::Counter(
        kBlock, benchmark::Counter::kIsIterationInvariantRate | benchmark::Counter::kInvert);
}

void BM_EarlyReflectionsCompute(benchmark::State& state) {
    auto er = std::make_unique<kestro::EarlyReflections>();
    double s = 0.5;
    for (auto _ : state) {
        s = s > 4.0 ? 0.5 : s + 0.01;
        er->computeReflections(s, 1.0, 0.15, 2000.0, 44100.0);
        benchmark::DoNotOptimize(er->tapGain(0));
    }
}

} // namespace

BENCHMARK(BM_EarlyReflectionsProcess)->Name("EarlyReflections/processReflections");
BENCHMARK(BM_EarlyReflectionsCompute)->Name("EarlyReflections/computeReflections");
