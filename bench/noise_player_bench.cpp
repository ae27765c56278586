// Cost of the motor-noise players per model sample at 44100 Hz, in the states a rotor spends
// its time in (steady slow, steady fast, stopped) and while it speeds up, when the drum's
// filters follow the speed every sample. Also the bare cubic reads.

#include "dsp/motor_noise_player.h"
#include "dsp/table_readers.h"
#include "dsp/tables/motor_noise_tables.h"

#include <benchmark/benchmark.h>

#include <random>
#include <vector>

namespace {

using Kind = kestro::MotorNoisePlayer::Kind;

constexpr double kRate = 44100.0;
constexpr int kBlock = 4096;

void countSamples(benchmark::State& state) {
    state.counters["per_sample"] = benchmark::Counter(
        kBlock, benchmark::Counter::kIsIterationInvariantRate | benchmark::Counter::kInvert);
}

// speedHz < 0 means: ramp from 0 to 7 Hz and back, a new speed every sample.
void noisePlayer(benchmark::State& state, Kind kind, double speedHz) {
    kestro::MotorNoisePlayer player(kind, 0);
    player.setSampleRate(kRate);
    player.setDistance(1.0);
    double ramp = 0.0, direction = 7.0 / kRate / 20000.0;
    for (auto _ : state) {
        double sum = 0.0;
        for (int i = 0; i < kBlock; ++i) {
            double speed = speedHz / kRate;
            if (speedHz < 0.0) {
                ramp += direction;
                if (ramp > 7.0 / kRate || ramp < 0.0) direction = -direction;
                speed = ramp;
            }
            player.setInputs(0.5, 0.1, speed);
            sum += player.process();
        }
        benchmark::DoNotOptimize(sum);
    }
    countSamples(state);
}

void BM_HornNoiseSlow(benchmark::State& s) { noisePlayer(s, Kind::Horn, 0.8); }
void BM_HornNoiseFast(benchmark::State& s) { noisePlayer(s, Kind::Horn, 6.7); }
void BM_HornNoiseRamp(benchmark::State& s) { noisePlayer(s, Kind::Horn, -1.0); }
void BM_DrumNoiseStopped(benchmark::State& s) { noisePlayer(s, Kind::Drum, 0.0); }
void BM_DrumNoiseSlow(benchmark::State& s) { noisePlayer(s, Kind::Drum, 0.7); }
void BM_DrumNoiseFast(benchmark::State& s) { noisePlayer(s, Kind::Drum, 5.9); }
void BM_DrumNoiseRamp(benchmark::State& s) { noisePlayer(s, Kind::Drum, -1.0); }

void BM_ReadCubicWrappedFloat(benchmark::State& state) {
    const kestro::NoiseTable& t = kestro::hornFastNoise();
    std::vector<double> positions(kBlock);
    std::mt19937 rng(3);
    std::uniform_real_distribution<double> d(-0.1 * t.length, 1.1 * t.length);
    for (double& p : positions) p = d(rng);
    for (auto _ : state) {
        double sum = 0.0;
        for (double p : positions) sum += kestro::readCubicWrapped(p, t.data, t.length);
        benchmark::DoNotOptimize(sum);
    }
    countSamples(state);
}

void BM_ReadCubicClampedDouble(benchmark::State& state) {
    std::vector<double> table(513);
    for (std::size_t i = 0; i < table.size(); ++i) table[i] = 1.0 / (1.0 + static_cast<double>(i));
    std::vector<double> positions(kBlock);
    std::mt19937 rng(4);
    std::uniform_real_distribution<double> d(-2.0, 520.0);
    for (double& p : positions) p = d(rng);
    for (auto _ : state) {
        double sum = 0.0;
        for (double p : positions) sum += kestro::readCubicClamped(p, table.data(), 512);
        benchmark::DoNotOptimize(sum);
    }
    countSamples(state);
}

} // namespace

BENCHMARK(BM_HornNoiseSlow);
BENCHMARK(BM_HornNoiseFast);
BENCHMARK(BM_HornNoiseRamp);
BENCHMARK(BM_DrumNoiseStopped);
BENCHMARK(BM_DrumNoiseSlow);
BENCHMARK(BM_DrumNoiseFast);
BENCHMARK(BM_DrumNoiseRamp);
BENCHMARK(BM_ReadCubicWrappedFloat);
BENCHMARK(BM_ReadCubicClampedDouble);
