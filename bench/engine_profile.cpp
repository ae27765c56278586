// A short, repeatable engine run for instruction-count profiling (valgrind --tool=callgrind):
// the demo chord through one instance, lever slow -> fast half-way, no timing of its own.
//
//   kestro_engine_profile [seconds=4] [cpu mode=0] [rate=44100] [block=512]

#include "engine/rotary_effect.h"
#include "params/parameter_indices.h"

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <memory>
#include <vector>

namespace {

VstIntPtr VSTCALLBACK profileHost(AEffect*, VstInt32 opcode, VstInt32, VstIntPtr, void*, float)
{
    return opcode == audioMasterVersion ? 2400 : 0;
}

} // namespace

int main(int argc, char** argv)
{
    const double seconds = argc > 1 ? std::atof(argv[1]) : 4.0;
    const int cpuMode = argc > 2 ? std::atoi(argv[2]) : 0;
    const double rate = argc > 3 ? std::atof(argv[3]) : 44100.0;
    const int block = argc > 4 ? std::atoi(argv[4]) : 512;
    if (!(seconds > 0.0) || !(rate > 0.0) || block < 1) {
        std::fprintf(stderr, "usage: kestro_engine_profile [seconds] [cpu mode] [rate] [block]\n");
        return 2;
    }
    const long frames = static_cast<long>(seconds * rate);
    std::vector<float> signal(static_cast<std::size_t>(frames));
    for (long n = 0; n < frames; ++n) {
        const double t = static_cast<double>(n) / rate;
        double s = 0.0;
        for (double f : {261.63, 329.63, 392.0})
            for (int h : {1, 2, 3, 4, 6, 8})
                s += std::sin(2.0 * M_PI * f * h * t) / h;
        signal[static_cast<std::size_t>(n)] = static_cast<float>(0.03 * s);
    }
    auto fx = std::make_unique<kestro::RotaryEffect>(profileHost);
    fx->setParameter(kestro::kCpuMode, static_cast<float>(cpuMode));
    fx->setSampleRate(static_cast<float>(rate));
    fx->setBlockSize(block);
    fx->resume();
    std::vector<float> outL(static_cast<std::size_t>(block)), outR(static_cast<std::size_t>(block));
    double sum = 0.0;
    for (long pos = 0; pos + block <= frames; pos += block) {
        if (pos <= frames / 2 && frames / 2 < pos + block)
            fx->setParameter(kestro::kLever, 1.0f);
        float* in[2] = {signal.data() + pos, signal.data() + pos};
        float* out[2] = {outL.data(), outR.data()};
        fx->processReplacing(in, out, block);
        sum += static_cast<double>(outL[0]);
    }
    std::printf("%.9g\n", sum);
    return 0;
}
