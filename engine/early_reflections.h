#pragma once
// The room around the cabinet as 12 discrete reflections per side: each a delayed,
// attenuated and individually low-passed copy of that side's room send. Runs at the
// model rate.

#include "dsp/numeric.h"

#include <array>
#include <cstddef>
#include <cstdint>
#include <vector>

namespace kestro {

class EarlyReflections {
public:
    static constexpr int kLineLength = 65536;
    static constexpr std::int32_t kLineMask = kLineLength - 1;
    static constexpr int kTapsPerSide = 12;
    static constexpr int kTaps = 2 * kTapsPerSide;  // 0..11 left line, 12..23 right line

    // Allocates both lines; nothing allocates afterwards.
    EarlyReflections();
    EarlyReflections(const EarlyReflections&) = delete;
    EarlyReflections& operator=(const EarlyReflections&) = delete;

    // Lays out all 24 taps. roomSize S and virtualRoomSize V scale the paths, lrOffset O (m)
    // and V act only through the normalising length, mainCutoffHz M sets the low-passes.
    // Not for the audio path proper: the engine runs it behind its rebuild fade, because
    // taps jump. Invalid input (NaN, infinities, negative sizes) yields silent or
    // zero-delay taps, never an out-of-range read.
    void computeReflections(double roomSize, double virtualRoomSize, double lrOffset,
                            double mainCutoffHz, double modelRate);

    // The engine owns the smoothing of the output gain and hands the current value in
    // before each step (or whenever it changes); it starts at 1.0.
    void setOutputGain(double gain) { outputGain_ = gain; }
    double outputGain() const { return outputGain_; }

    // One model step: writes the room sends and returns the two reflection sums.
    // Left and right taps are interleaved so the two summing chains overlap; each side
    // still adds its taps in order.
    void processReflections(double left, double right, double& erL, double& erR) {
        const std::int32_t w = writePos_;
        double* const lineL = lineL_.data();
        double* const lineR = lineR_.data();
        lineL[w] = left;
        lineR[w] = right;
        double sumL = 0.0;
        double sumR = 0.0;
        for (int k = 0; k < kTapsPerSide; ++k) {
            sumL += tap(lineL, w, idx(k));
            sumR += tap(lineR, w, idx(k + kTapsPerSide));
        }
        erL = flush(sumL * outputGain_);
        erR = flush(sumR * outputGain_);
        writePos_ = (w + 1) & kLineMask;
    }

    // Silences the lines and the low-pass states; the taps stay.
    void clear();

    // Inspection, for the engine's diagnostics and for tests. Out-of-range taps read 0.
    std::int32_t tapDelay(int tap) const { return valid(tap) ? delay_[idx(tap)] : 0; }
    float tapFraction(int tap) const { return valid(tap) ? fraction_[idx(tap)] : 0.0f; }
    double tapGain(int tap) const { return valid(tap) ? gain_[idx(tap)] : 0.0; }
    double tapCoefficient(int tap) const { return valid(tap) ? coefficient_[idx(tap)] : 0.0; }
    double tapState(int tap) const { return valid(tap) ? state_[idx(tap)] : 0.0; }
    double normalisingLength() const { return normalisingLength_; }
    std::int32_t writePosition() const { return writePos_; }

private:
    static bool valid(int tap) { return tap >= 0 && tap < kTaps; }
    static std::size_t idx(int tap) { return static_cast<std::size_t>(tap); }

    double tap(const double* line, std::int32_t w, std::size_t i) {
        const std::int32_t p = (w - delay_[i]) & kLineMask;
        const double f = fraction_[i];
        const double v = ((1.0 - f) * line[p] + f * line[(p + 1) & kLineMask]) * gain_[i];
        state_[i] = flush((state_[i] - v) * coefficient_[i] + v);
        return state_[i];
    }

    std::vector<double> lineL_;
    std::vector<double> lineR_;
    std::int32_t writePos_ = 0;

    std::array<std::int32_t, kTaps> delay_{};
    std::array<float, kTaps> fraction_{};
    std::array<double, kTaps> gain_{};
    std::array<double, kTaps> coefficient_{};
    std::array<double, kTaps> state_{};

    double normalisingLength_ = 0.0;
    double outputGain_ = 1.0;
};

} // namespace kestro
