// Long sessions: an hour of audio (KESTRO_SOAK_SECONDS to change it) rendered as fast as the
// machine allows through one instance, with random automation every block, a program change
// every ten seconds and a chunk round trip every thirty. Reports the CPU time per audio
// second for each tenth of the run (the last tenth should be within 10 % of the first: no
// denormal or state growth slowdown), resident memory at the start and the end, and whether
// every sample was finite. A second run checks the denormal guard directly: after a loud
// passage, CPU per block stays flat while the tails decay in silence.
//
//   kestro_bench --benchmark_filter=Soak                        (an hour of audio)
//   KESTRO_SOAK_SECONDS=600 kestro_bench --benchmark_filter=Soak

#include "engine/rotary_effect.h"
#include "params/parameter_indices.h"

#include <benchmark/benchmark.h>
#include <time.h>
#include <unistd.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <memory>
#include <numeric>
#include <random>
#include <vector>

namespace {

using kestro::RotaryEffect;

constexpr double kRate = 44100.0;
constexpr int kBlock = 512;

double threadSeconds()
{
    timespec ts{};
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &ts);
    return static_cast<double>(ts.tv_sec) + 1e-9 * static_cast<double>(ts.tv_nsec);
}

double residentMegabytes()
{
    long pages = 0, resident = 0;
    std::ifstream statm("/proc/self/statm");
    statm >> pages >> resident;
    return static_cast<double>(resident) * static_cast<double>(::sysconf(_SC_PAGESIZE)) / (1024.0 * 1024.0);
}

VstIntPtr VSTCALLBACK soakHost(AEffect*, VstInt32 opcode, VstInt32, VstIntPtr, void*, float)
{
    return opcode == audioMasterVersion ? 2400 : 0;
}

double soakSeconds()
{
    const char* text = std::getenv("KESTRO_SOAK_SECONDS");
    const double seconds = text != nullptr ? std::atof(text) : 3600.0;
    return seconds >= 10.0 ? seconds : 3600.0;
}

std::unique_ptr<RotaryEffect> startedEffect()
{
    auto fx = std::make_unique<RotaryEffect>(soakHost);
    fx->setSampleRate(static_cast<float>(kRate));
    fx->setBlockSize(kBlock);
    fx->resume();
    return fx;
}

// An organ-like chord at about -6 dBFS whose notes change every few seconds.
struct Organ {
    long n = 0;
    float next()
    {
        const double t = static_cast<double>(n++) / kRate;
        const double root = 196.0 * std::pow(2.0, static_cast<double>(static_cast<long>(t / 3.0) % 7) / 12.0);
        double s = 0.0;
        for (int h = 1; h <= 6; ++h)
            s += 0.12 / h * (std::sin(2.0 * M_PI * root * h * t) + std::sin(2.0 * M_PI * root * 1.5 * h * t));
        return static_cast<float>(s);
    }
};

void Soak(benchmark::State& state)
{
    const double seconds = soakSeconds();
    const long blocks = static_cast<long>(seconds * kRate / kBlock);
    const long perTenth = blocks / 10;
    std::vector<float> inL(kBlock), inR(kBlock), outL(kBlock), outR(kBlock);
    float* in[2] = {inL.data(), inR.data()};
    float* out[2] = {outL.data(), outR.data()};

    for (auto _ : state) {
        auto fx = startedEffect();
        std::mt19937 random(2026);
        std::uniform_real_distribution<float> unit(0.0f, 1.0f);
        Organ organ;
        std::vector<double> tenthCpu(10, 0.0);
        long nonFinite = 0;
        const double createdMb = residentMegabytes();
        double startMb = createdMb;
        const long programEvery = static_cast<long>(10.0 * kRate / kBlock);
        const long chunkEvery = static_cast<long>(30.0 * kRate / kBlock);
        for (long b = 0; b < perTenth * 10; ++b) {
            // The host's user-interface side: not part of the audio cost.
            // Automation of a host parameter other than the CPU mode, which would change
            // the cost being measured.
            VstInt32 index = static_cast<VstInt32>(random() % 35);
            fx->setParameter(index >= 1 ? index + 1 : index, unit(random));
            if (b % programEvery == programEvery - 1)
                fx->selectProgram(static_cast<VstInt32>(random() % 32));
            if (b % chunkEvery == chunkEvery - 1) {
                void* data = nullptr;
                const VstInt32 size = fx->getChunk(&data, false);
                std::vector<std::uint8_t> copy(static_cast<std::uint8_t*>(data), static_cast<std::uint8_t*>(data) + size);
                if (fx->setChunk(copy.data(), size, false) != 0)
                    state.SkipWithError("the effect refused its own chunk");
            }
            for (int i = 0; i < kBlock; ++i) {
                inL[static_cast<std::size_t>(i)] = organ.next();
                inR[static_cast<std::size_t>(i)] = 0.8f * inL[static_cast<std::size_t>(i)];
            }
            const double t0 = threadSeconds();
            fx->processReplacing(in, out, kBlock);
            tenthCpu[static_cast<std::size_t>(b / perTenth)] += threadSeconds() - t0;
            for (int i = 0; i < kBlock; ++i)
                nonFinite += !std::isfinite(outL[static_cast<std::size_t>(i)]) + !std::isfinite(outR[static_cast<std::size_t>(i)]);
            // By the end of the first tenth every line and table has been touched once.
            if (b == perTenth - 1)
                startMb = residentMegabytes();
        }
        const double endMb = residentMegabytes();
        const double tenthSeconds = static_cast<double>(perTenth * kBlock) / kRate;
        std::printf("\nsoak: %.0f s of audio, 44.1 kHz, %d-frame blocks\n", 10 * tenthSeconds, kBlock);
        for (int t = 0; t < 10; ++t)
            std::printf("  tenth %2d: %.5f CPU s per audio s\n", t + 1, tenthCpu[static_cast<std::size_t>(t)] / tenthSeconds);
        const double ratio = tenthCpu[9] / tenthCpu[0];
        std::printf("  last tenth / first tenth: %.3f (target within 1.10)\n", ratio);
        std::printf("  resident memory: %.1f MB after construction, %.1f MB after the first tenth, %.1f MB at end\n",
                    createdMb, startMb, endMb);
        std::printf("  non-finite samples: %ld\n", nonFinite);
        state.counters["last_over_first"] = ratio;
        state.counters["rss_start_MB"] = startMb;
        state.counters["rss_end_MB"] = endMb;
        state.counters["non_finite"] = static_cast<double>(nonFinite);
        state.counters["cpu_per_audio_s"] =
            std::accumulate(tenthCpu.begin(), tenthCpu.end(), 0.0) / (10 * tenthSeconds);
    }
}
BENCHMARK(Soak)->Iterations(1)->Unit(benchmark::kSecond)->UseRealTime();

// Ten seconds at full scale, then a minute of silence in which every tail decays: the CPU
// per block of each silent second against the first.
void SoakSilenceAfterLoud(benchmark::State& state)
{
    std::vector<float> inL(kBlock), inR(kBlock), outL(kBlock), outR(kBlock);
    float* in[2] = {inL.data(), inR.data()};
    float* out[2] = {outL.data(), outR.data()};
    const long blocksPerSecond = static_cast<long>(kRate / kBlock);
    for (auto _ : state) {
        auto fx = startedEffect();
        fx->setParameter(kestro::kLever, 1.0f); // fast rotors: the busiest tails
        Organ organ;
        for (long b = 0; b < 10 * blocksPerSecond; ++b) {
            for (int i = 0; i < kBlock; ++i) {
                const float s = organ.next();
                inL[static_cast<std::size_t>(i)] = s >= 0.0f ? 1.0f : -1.0f; // full-scale square
                inR[static_cast<std::size_t>(i)] = s;
            }
            fx->processReplacing(in, out, kBlock);
        }
        std::fill(inL.begin(), inL.end(), 0.0f);
        std::fill(inR.begin(), inR.end(), 0.0f);
        std::vector<double> secondCpu(60, 0.0);
        for (long b = 0; b < 60 * blocksPerSecond; ++b) {
            const double t0 = threadSeconds();
            fx->processReplacing(in, out, kBlock);
            secondCpu[static_cast<std::size_t>(b / blocksPerSecond)] += threadSeconds() - t0;
        }
        const double worst = *std::max_element(secondCpu.begin(), secondCpu.end());
        std::printf("\nsilence after loud: CPU s per audio s in silent seconds 1, 10, 30, 60: %.5f %.5f %.5f %.5f\n",
                    secondCpu[0], secondCpu[9], secondCpu[29], secondCpu[59]);
        std::printf("  slowest silent second / first: %.3f, last / first: %.3f\n", worst / secondCpu[0],
                    secondCpu[59] / secondCpu[0]);
        state.counters["worst_over_first"] = worst / secondCpu[0];
        state.counters["last_over_first"] = secondCpu[59] / secondCpu[0];
    }
}
BENCHMARK(SoakSilenceAfterLoud)->Iterations(1)->Unit(benchmark::kSecond)->UseRealTime();

} // namespace
