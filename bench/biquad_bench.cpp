// Cost of the filter per sample at 44100 Hz. Reported as the inverted per-sample rate
// ("per_sample"), i.e. seconds per sample.

#include "dsp/biquad_filter.h"

#include <benchmark/benchmark.h>

#include <array>
#include <random>
#include <vector>

namespace {

constexpr double kRate = 44100.0;
constexpr int kBlock = 4096;

const std::vector<double>& noiseBlock() {
    static const std::vector<double> block = [] {
        std::vector<double> v(kBlock);
        std::mt19937 rng(1);
        std::uniform_real_distribution<double> d(-1.0, 1.0);
        for (double& x : v) x = d(rng);
        return v;
    }();
    return block;
}

kestro::BiquadFilter makeFilter(int type, double f, bool gliding, double saturation) {
    kestro::BiquadFilter flt;
    flt.init(kRate, type, f, 0.9, 4.0);
    flt.setEnabled(true);
    flt.setInstant(!gliding);
    flt.setSaturation(saturation);
    return flt;
}

void perSample(benchmark::State& state, int samplesPerIteration) {
    state.counters["per_sample"] = benchmark::Counter(
        static_cast<double>(samplesPerIteration),
        benchmark::Counter::kIsIterationInvariantRate | benchmark::Counter::kInvert);
}

template <double (kestro::BiquadFilter::*Process)(double)>
void BM_Biquad(benchmark::State& state) {
    kestro::BiquadFilter flt = makeFilter(4, 1200.0, true, 1.0);
    const std::vector<double>& in = noiseBlock();
    for (auto _ : state) {
        double sum = 0.0;
        for (double x : in) sum += (flt.*Process)(x);
        benchmark::DoNotOptimize(sum);
    }
    perSample(state, kBlock);
}

// A filter whose frequency moves all the time, so every sample takes the glide path.
void BM_BiquadAlwaysGliding(benchmark::State& state) {
    kestro::BiquadFilter flt = makeFilter(8, 1000.0, true, 0.0);
    const std::vector<double>& in = noiseBlock();
    const int n = flt.glideLength();
    bool high = false;
    for (auto _ : state) {
        double sum = 0.0;
        for (int i = 0; i < kBlock; ++i) {
            if (i % n == 0) {
                high = !high;
                flt.setFrequency(high ? 3000.0 : 1000.0);
            }
            sum += flt.processGliding(in[static_cast<std::size_t>(i)]);
        }
        benchmark::DoNotOptimize(sum);
    }
    perSample(state, kBlock);
}

// The engine's horn voicing chain: 12 saturating gliding filters in series.
void BM_BiquadChainOf12(benchmark::State& state) {
    std::array<kestro::BiquadFilter, 12> chain;
    for (std::size_t i = 0; i < chain.size(); ++i)
        chain[i] = makeFilter(static_cast<int>(i % 10) + 1, 300.0 + 900.0 * static_cast<double>(i), true, 0.5);
    const std::vector<double>& in = noiseBlock();
    for (auto _ : state) {
        double sum = 0.0;
        for (double x : in) {
            for (auto& f : chain) x = f.processGlidingSaturating(x);
            sum += x;
        }
        benchmark::DoNotOptimize(sum);
    }
    perSample(state, kBlock);
}

void BM_BiquadUpdate(benchmark::State& state) {
    kestro::BiquadFilter flt = makeFilter(4, 1000.0, true, 0.0);
    double f = 1000.0;
    for (auto _ : state) {
        f = f > 5000.0 ? 1000.0 : f + 1.0;
        flt.setFrequency(f);
        benchmark::DoNotOptimize(flt.targetCoefficients());
    }
}

} // namespace

BENCHMARK_TEMPLATE(BM_Biquad, &kestro::BiquadFilter::process)->Name("BiquadFilter/process");
BENCHMARK_TEMPLATE(BM_Biquad, &kestro::BiquadFilter::processSaturating)->Name("BiquadFilter/processSaturating");
BENCHMARK_TEMPLATE(BM_Biquad, &kestro::BiquadFilter::processGliding)->Name("BiquadFilter/processGliding");
BENCHMARK_TEMPLATE(BM_Biquad, &kestro::BiquadFilter::processGlidingSaturating)
    ->Name("BiquadFilter/processGlidingSaturating");
BENCHMARK(BM_BiquadAlwaysGliding)->Name("BiquadFilter/processGliding_whileGliding");
BENCHMARK(BM_BiquadChainOf12)->Name("BiquadFilter/chainOf12_glidingSaturating");
BENCHMARK(BM_BiquadUpdate)->Name("BiquadFilter/setFrequency_update");
