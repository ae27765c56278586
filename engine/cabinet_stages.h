#pragma once
// The stages of the per-sample cabinet path that keep state of their own, each with its
// state beside the step that updates it: the drive, the dry substitute, the horn feed, the
// one-pole smoothers, the resampler and the crosstalk lines. RotaryEffect::renderSamples
// (cabinet_path.cpp) runs them together with the stages that are views of the engine's
// filters and rotors. Audio thread only; nothing allocates after construction.

#include "dsp/numeric.h"
#include "dsp/simd/dot.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <cstddef>
#include <cstdint>
#include <vector>

namespace kestro {

// Asymmetric tube curve: q = 2u / (2 - u/4) for u < 0, else u / (u/2 + 1); p = 0.55 q;
// f = ((1.5 p - 0.5 p^3) - 0.3) * 1.4.
inline double tubeCurve(double u)
{
    const double q = u < 0.0 ? (2.0 * u) / (2.0 - 0.25 * u) : u / (0.5 * u + 1.0);
    const double p = 0.55 * q;
    return ((1.5 * p - 0.5 * p * p * p) - 0.3) * 1.4;
}

// The amplifier's drive, by type. Inputs below 1e-8 pass every type unchanged.
struct DriveStage {
    double lowPass = 0.0;       // DC removal after the tube curve
    double dcCoefficient = 0.0; // 1 - 0.109^(2 / (host rate * 0.1))

    double process(int type, double x, double drive)
    {
        if (type == 1) {
            // a = f(d x 1.18); b = f(-a); lp = (-b - lp) c + lp; y = (-b - lp) / d
            const double a = tubeCurve(drive * x * 1.18);
            const double b = tubeCurve(-a);
            lowPass = flush((-b - lowPass) * dcCoefficient + lowPass);
            const double y = (-b - lowPass) / drive;
            return std::fabs(x) >= 1e-8 ? y : x;
        }
        if (type == 2) {
            // u = d x 1.34349 limited to +-1; y = (1.5 u - 0.5 u^3) * 0.5 / d
            const double u = drive * x * 1.34349;
            const double c = (std::fabs(u + 1.0) - std::fabs(u - 1.0)) * 0.5;
            const double y = (1.5 * c - 0.5 * c * c * c) * 0.5 / drive;
            return std::fabs(x) >= 1e-8 ? y : x;
        }
        return x;
    }
};

// What the output rests on while the model is rebuilt: each input side scaled by the input
// gain, halved and smoothed, s = (s - h) p + h with h = g x / 2 and p = exp(-2 pi 3000 / model
// rate). It follows the input in every mode, so a fade always lands on the present input.
struct DrySubstitute {
    double left = 0.0;
    double right = 0.0;
    double pole = 0.0;

    void follow(double inputGain, double inA, double inB)
    {
        const double halfA = inputGain * inA * 0.5;
        const double halfB = inputGain * inB * 0.5;
        left = flush((left - halfA) * pole + halfA);
        right = flush((right - halfB) * pole + halfB);
    }
};

// The horn's feed ahead of its voicing chains, a DC-blocking high-pass at 500 Hz:
// h = flush(c h + (x - x_prev)), c = 0.005^(500 / model rate).
struct HornFeed {
    double state = 0.0;
    double previous = 0.0;
    double coefficient = 0.0;

    [[gnu::always_inline]] double process(double x)
    {
        const double h = flush(coefficient * state + (x - previous));
        state = h;
        previous = x;
        return h;
    }

    void clear()
    {
        state = 0.0;
        previous = 0.0;
    }
};

// The one-pole low-pass the model uses between its stages (the line smoothers, the drum
// low-pass): s = flush((s - x) c + x).
struct OnePole {
    double state = 0.0;

    [[gnu::always_inline]] double step(double x, double coefficient)
    {
        state = flush((state - x) * coefficient + x);
        return state;
    }
};

// The FIR between the host rate and the model rate: one input ring (decimation) and two
// output rings (interpolation), 32 floats each stored twice, sharing one position that moves
// down one step per host sample. Without a kernel (N = 1) the model runs at the host rate.
struct ModelRateResampler {
    const float* kernel = nullptr;
    std::int32_t position = 31;
    alignas(64) std::array<float, 64> input{};
    alignas(64) std::array<float, 64> left{};
    alignas(64) std::array<float, 64> right{};

    // Steps the position and stores the host sample (as a float) in both copies.
    std::size_t push(double x)
    {
        position = (position - 1) & 31;
        const auto pos = static_cast<std::size_t>(position);
        const auto xf = static_cast<float>(x);
        input[pos] = xf;
        input[pos + 32] = xf;
        return pos;
    }

    // x_model = sum kernel[k] input[pos + k]; the host sample itself without a kernel.
    double decimated(std::size_t pos, double x) const
    {
        return kernel != nullptr ? static_cast<double>(simd::dot32(kernel, &input[pos])) : x;
    }

    // Stores the (anti-imaged, gain-compensated) model outputs and returns
    // y = sum kernel[k] ring[pos + k] for each side.
    void interpolate(std::size_t pos, float l, float r, double& outLeft, double& outRight)
    {
        left[pos] = l;
        left[pos + 32] = l;
        right[pos] = r;
        right[pos + 32] = r;
        outLeft = simd::dot32(kernel, &left[pos]);
        outRight = simd::dot32(kernel, &right[pos]);
    }

    void clear()
    {
        input.fill(0.0f);
        left.fill(0.0f);
        right.fill(0.0f);
        position = 31;
    }
};

// The three crosstalk lines between the rotors and the microphones (drum, horn, cabinet),
// 1024 doubles each with one shared write position.
struct FeedbackLines {
    static constexpr int kLength = 1024;
    static constexpr std::int32_t kMask = kLength - 1;
    std::vector<double> drum;
    std::vector<double> horn;
    std::vector<double> cabinet;
    std::int32_t write = 0;

    void allocate()
    {
        drum.assign(kLength, 0.0);
        horn.assign(kLength, 0.0);
        cabinet.assign(kLength, 0.0);
    }

    void clear()
    {
        std::fill(drum.begin(), drum.end(), 0.0);
        std::fill(horn.begin(), horn.end(), 0.0);
        std::fill(cabinet.begin(), cabinet.end(), 0.0);
        write &= kMask;
    }

    // Linear read at (write - delay), wrapped into the line: line[i] (1 - f) + line[i + 1] f.
    static double read(const double* line, std::int32_t write, double delay)
    {
        double pos = static_cast<double>(write) - delay;
        if (pos < 0.0)
            pos += kLength;
        if (!(pos >= 0.0 && pos < static_cast<double>(kLength)))
            pos = reducePosition(pos);
        const auto i = static_cast<std::int32_t>(pos);
        const double f = pos - i;
        return line[i & kMask] * (1.0 - f) + line[(i + 1) & kMask] * f;
    }

    // Whatever delay the geometry gave, the read stays in the line.
    [[gnu::cold, gnu::noinline]] static double reducePosition(double pos)
    {
        if (!std::isfinite(pos))
            return 0.0;
        pos = std::fmod(pos, static_cast<double>(kLength));
        if (pos < 0.0)
            pos += kLength;
        return pos < static_cast<double>(kLength) ? pos : 0.0;
    }
};

} // namespace kestro
