#include "engine/early_reflections.h"

#include <algorithm>
#include <cmath>

namespace kestro {

namespace {

// Seconds per metre of path at 340.29 m/s.
constexpr double kSecondsPerMetre = 0.0029386699579770194;

// Path-length factors of the direct reflections (scaled by the room size) ...
constexpr double kPathLeft[12] = {3.1, 4.3, 5.7, 6.3, 7.8, 8.3, 8.7, 9.3, 9.6, 10.5, 11.1, 11.7};
constexpr double kPathRight[12] = {3.0, 4.0, 4.8, 7.5, 8.1, 8.5, 9.1, 9.5, 9.9, 10.3, 10.9, 11.3};
// ... and of the far paths, which only set the length at which a reflection is 20 dB down.
constexpr double kFarLeft[12] = {3.15, 4.08, 5.48, 6.8, 8.9, 10.5, 12.3, 12.9, 13.3, 13.7, 14.1, 14.9};
constexpr double kFarRight[12] = {3.05, 4.47, 4.87, 7.4, 8.2, 11.4, 11.2, 11.8, 12.1, 12.9, 13.5, 14.6};
// Later reflections are duller; the last two sit at the 20 Hz floor whatever the cutoff.
constexpr double kCutoffLeft[12] = {0.93, 0.91, 0.8, 0.7, 0.7, 0.65, 0.6, 0.55, 0.5, 0.35, 0.0, 0.0};
constexpr double kCutoffRight[12] = {0.97, 0.9, 0.8, 0.7, 0.7, 0.65, 0.6, 0.55, 0.5, 0.35, 0.0, 0.0};

// The interpolated read touches delay and delay - 1, so the longest usable delay keeps
// both inside the line without wrapping onto the sample just written.
constexpr double kMaxDelay = EarlyReflections::kLineLength - 2;

} // namespace

EarlyReflections::EarlyReflections()
    : lineL_(static_cast<std::size_t>(kLineLength), 0.0),
      lineR_(static_cast<std::size_t>(kLineLength), 0.0) {}

void EarlyReflections::clear() {
    std::fill(lineL_.begin(), lineL_.end(), 0.0);
    std::fill(lineR_.begin(), lineR_.end(), 0.0);
    state_.fill(0.0);
}

void EarlyReflections::computeReflections(double roomSize, double virtualRoomSize, double lrOffset,
                                          double mainCutoffHz, double modelRate) {
    const double S = roomSize;
    const double V = virtualRoomSize;
    const double O = lrOffset;
    const double M = mainCutoffHz;
    const double rate = modelRate;

    double lmax = S * kFarLeft[0] * V + O;
    for (int k = 0; k < 12; ++k) {
        lmax = std::max(lmax, S * kFarLeft[k] * V + O);
        lmax = std::max(lmax, S * kFarRight[k] * V + O);
    }
    normalisingLength_ = lmax;

    for (int side = 0; side < 2; ++side) {
        const double* path = side == 0 ? kPathLeft : kPathRight;
        const double* cutoff = side == 0 ? kCutoffLeft : kCutoffRight;
        for (int k = 0; k < kTapsPerSide; ++k) {
            const std::size_t i = idx(side * kTapsPerSide + k);

            // A gain that is not a number would poison the low-pass state for good;
            // such a tap stays silent instead.
            const double g = std::pow(10.0, (-20.0 * S * path[k] / lmax) * 0.05);
            gain_[i] = std::isfinite(g) ? g : 0.0;

            // Guard before converting: NaN, negative or oversized delays never become an index.
            double t = path[k] * S * rate * kSecondsPerMetre;
            if (!(t >= 0.0)) t = 0.0;
            if (t > kMaxDelay) t = kMaxDelay;
            const auto whole = static_cast<std::int32_t>(t);
            delay_[i] = whole;
            fraction_[i] = static_cast<float>(t - whole);

            double f = cutoff[k] * M / rate;
            f = std::max(f, 20.0 / rate);
            f = std::min(f, 20000.0 / rate);
            // A nonsensical rate could otherwise give a pole outside the unit circle.
            const double c = flush(std::exp(-6.28318530718 * f));
            coefficient_[i] = (c >= 0.0 && c < 1.0) ? c : 0.0;
        }
    }
}

} // namespace kestro
